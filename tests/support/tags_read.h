/*
 * Tags are read in the background: a test that wants the names tags give
 * takes the reader's answers, as the player's loop does, until every tag
 * asked for is written back; no other message (a window's tick) is run.
 * False when that takes more than 20 s.
 */
#ifndef KELVORIA_TEST_TAGS_READ_H
#define KELVORIA_TEST_TAGS_READ_H

#include "tag_reader.h"

#include <windows.h>

inline bool waitForTags()
{
    ULONGLONG end = GetTickCount64() + 20000;
    MSG message;
    while (tagsWaiting() > 0) {
        if (GetTickCount64() > end)
            return false;
        if (PeekMessageA(&message, NULL, MSG_TAGS_READ, MSG_TAGS_READ, PM_REMOVE))
            DispatchMessageA(&message);
        else
            Sleep(5);
    }
    return true;
}

#endif
