/*
 * Paths: the program's folder and joining a folder and a name, in one place
 * that says when a result does not fit its buffer. A cut path would name
 * another file, so nothing here ever cuts one; and names in UTF-8 take up
 * to three bytes a character, so paths run longer than their letters.
 */
#ifndef KELVORIA_PATHS_H
#define KELVORIA_PATHS_H

#include <stddef.h>

/* Cuts `path` at its last backslash, in place, and returns it: C:\Music
 * for C:\Music\a.mp3, C: for C:\*.* and for C:\. A text without a
 * backslash is left as it is. */
char *findFilePath(char *path);

/* `folder`, one backslash, then `name`, into `path` (of `size` bytes). A
 * folder that ends in a backslash (a drive's root as the open dialog gives
 * it) keeps it, so the result has two in a row, which Windows reads as one.
 * False, with `path` empty, when the result does not fit. */
bool joinPath(char *path, size_t size, const char *folder, const char *name);

/* The program file's full path; false (and the text empty) when it does
 * not fit `size`. */
bool programFile(char *path, size_t size);

/* The program file's folder, without a trailing backslash; false (and the
 * text empty) when it does not fit `size`. */
bool programFolder(char *folder, size_t size);

/* The process's current folder; false (and the text empty) when it does
 * not fit `size`. */
bool currentFolder(char *folder, size_t size);

/* `path` made absolute against `folder` when it is relative (not from a
 * drive's root nor a network share), with "." and ".." resolved and never
 * climbing above the root. False when the result does not fit `size`. */
bool absolutePath(char *result, size_t size, const char *folder, const char *path);

#endif
