#pragma once
// The date and time formats, separators and names of a locale of the platform, as the
// TFormatSettings that FormatDateTime uses. The run time fills FormatSettings with the user's
// at start-up.
#include "core/DateTime.h"

#include <windows.h>

namespace classlib {

TFormatSettings GetLocaleFormatSettings(LCID locale);

} // namespace classlib
