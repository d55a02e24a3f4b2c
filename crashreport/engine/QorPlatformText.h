#pragma once
// What the text toolkit asks of the platform: one implementation per platform, same
// declarations. The Win32 one asks the thread's locale and the system's message tables; the
// host one (native build) answers from the C locale and knows no system messages.
#include <cstdint>
#include <string>

namespace qor {

// The first character of the calling thread's locale decimal separator, 0 when the query fails.
char PlatformDecimalSeparator();

// The system's message text for an error or status code as the platform formats it (line
// breaks included), empty when it has none.
std::string PlatformErrorMessage(uint32_t code);

} // namespace qor
