#pragma once

#include <cstdio>

// Prints formatted text meant for scripts to read, with numbers in the C
// locale's format (a decimal point) whatever locale the window system set for
// the rest of the program. Text for people, the graphs' labels among them,
// keeps the user's locale.
void printMachineLine(std::FILE* stream, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
