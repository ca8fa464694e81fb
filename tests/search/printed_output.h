// What a piece of code prints on standard output, caught through a file.
#ifndef KELVORIA_TEST_PRINTED_OUTPUT_H
#define KELVORIA_TEST_PRINTED_OUTPUT_H

#include <windows.h>

#include <io.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

// What `action` prints on standard output, with text-mode line ends undone.
// The file lies in the temporary folder: the window tests run in the
// program's folder, which is not theirs to write.
template <typename Action> std::string printedBy(Action action)
{
    char file[MAX_PATH + 32] = "";
    GetTempPathA(MAX_PATH, file);
    strcat(file, "kelvoria-printed.txt");
    fflush(stdout);
    int saved = _dup(1);
    FILE *capture = fopen(file, "w");
    _dup2(_fileno(capture), 1);
    action();
    fflush(stdout);
    _dup2(saved, 1);
    _close(saved);
    fclose(capture);
    std::ostringstream printed;
    printed << std::ifstream(file, std::ios::binary).rdbuf();
    std::string text = printed.str();
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

#endif
