// Host implementation of the toolkit's platform texts: the C locale's separator, and no
// system message tables (error codes then read "Error $...").
#include "QorPlatformText.h"

#include <clocale>

namespace qor {

char PlatformDecimalSeparator()
{
    const std::lconv* conventions = std::localeconv();
    return conventions && conventions->decimal_point ? conventions->decimal_point[0] : '\0';
}

std::string PlatformErrorMessage(uint32_t)
{
    return {};
}

} // namespace qor
