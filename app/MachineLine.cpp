#include "app/MachineLine.h"

#include <locale.h>

#include <cstdarg>

void printMachineLine(std::FILE* stream, const char* format, ...) {
    // Qt sets the process's locale from the environment when it starts.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    const locale_t previous = cLocale ? uselocale(cLocale) : locale_t(0);
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stream, format, arguments);
    va_end(arguments);
    if (cLocale) {
        uselocale(previous);
    }
}
