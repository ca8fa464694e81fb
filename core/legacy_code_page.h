/*
 * The code page Windows uses for programs that are not Unicode (the system
 * locale's ANSI code page, "Language for non-Unicode programs"). A UTF-8
 * manifest changes the process code page but not this one: it is what text
 * that is not UTF-8 (an older playlist, a tag written by such a program)
 * was most likely written in. Header-only, so that the player and the
 * engine library, which share no code, read the same locale.
 */
#ifndef KELVORIA_LEGACY_CODE_PAGE_H
#define KELVORIA_LEGACY_CODE_PAGE_H

#include <windows.h>

/* 1252 when the system cannot tell. */
inline unsigned legacyCodePage()
{
    static unsigned codePage;
    if (!codePage) {
        DWORD number = 0;
        if (GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                           reinterpret_cast<char *>(&number), sizeof(number) / sizeof(char)) &&
            number != 0 && number != CP_UTF8)
            codePage = number;
        else
            codePage = 1252;
    }
    return codePage;
}

#endif
