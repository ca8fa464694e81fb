/*
 * Texts in the process code page: the code page every ANSI call of the
 * program speaks.
 */
#ifndef KELVORIA_TEXT_H
#define KELVORIA_TEXT_H

/* The degree sign (U+00B0) in the process code page: the byte 0xB0 on
 * Windows-1252. */
const char *degreeSign();

#endif
