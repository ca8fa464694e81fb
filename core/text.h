/*
 * Texts in the process code page: the code page every ANSI call of the
 * program speaks. It is UTF-8 where the program's manifest takes effect
 * (Windows 10 1903 and later), the system's ANSI code page elsewhere.
 */
#ifndef KELVORIA_TEXT_H
#define KELVORIA_TEXT_H

#include <stddef.h>
#include <string>

/* The degree sign (U+00B0) in the process code page: the byte 0xB0 on
 * Windows-1252, two bytes in UTF-8. */
const char *degreeSign();

/* True when the process code page is UTF-8. */
bool processUsesUtf8();

/* legacyCodePage(): the code page of programs that are not Unicode. */
#include "legacy_code_page.h"

/* How many bytes of `text` (at most `limit`) can be kept without cutting a
 * character in two: a UTF-8 sequence, or a double-byte character of an
 * East Asian code page. */
size_t lengthBetweenCharacters(const char *text, size_t limit);

/* Copies `source` into `target` (of `size` bytes, terminator included),
 * cut between characters when it does not fit. */
void copyText(char *target, size_t size, const char *source);

/* True when `bytes` are well-formed UTF-8. */
bool isUtf8(const char *bytes, size_t size);

/* Text from one code page to another. False (and `out` empty) when it is
 * not well formed in the first, or has a character the second cannot hold:
 * a path converted with a stand-in character would name another file. */
bool convertText(const std::string &in, unsigned from, unsigned to, std::string &out);

/* A text of the process code page in UTF-8 (the same bytes where the
 * process speaks UTF-8; as they are when they cannot be converted). */
std::string utf8Of(const std::string &text);

/* A UTF-8 text in the process code page; false when it is not well formed
 * or holds a character the code page cannot. */
bool fromUtf8(const std::string &utf8, std::string &text);

#endif
