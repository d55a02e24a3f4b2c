#include "BcErrors.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace bcl {

std::string FormatText(const char* pattern, ...)
{
    va_list args;
    va_start(args, pattern);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, pattern, copy);
    va_end(copy);
    std::string result;
    if (needed > 0) {
        std::vector<char> buffer(static_cast<size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), pattern, args);
        result.assign(buffer.data(), static_cast<size_t>(needed));
    }
    va_end(args);
    return result;
}

} // namespace bcl
