#include "windows/LocaleFormats.h"

#include <algorithm>
#include <cctype>

namespace classlib {

namespace {

std::string LocaleText(LCID locale, LCTYPE type, const std::string& fallback)
{
    char text[256] = {};
    if (GetLocaleInfoA(locale, type, text, sizeof(text)) <= 1)
        return fallback;
    return text;
}

// The short time is the long time without its seconds (and the separator before them).
std::string WithoutSeconds(const std::string& format)
{
    std::string result = format;
    const size_t s = result.find_first_of("sS");
    if (s == std::string::npos)
        return result;
    size_t begin = s;
    while (begin > 0 && !std::isalpha(static_cast<unsigned char>(result[begin - 1])))
        --begin;
    size_t end = s;
    while (end < result.size() && (result[end] == 's' || result[end] == 'S'))
        ++end;
    result.erase(begin, end - begin);
    return result;
}

} // namespace

TFormatSettings GetLocaleFormatSettings(LCID locale)
{
    TFormatSettings settings;
    const std::string dateSeparator = LocaleText(locale, LOCALE_SDATE, "/");
    const std::string timeSeparator = LocaleText(locale, LOCALE_STIME, ":");
    settings.DateSeparator = dateSeparator.empty() ? '/' : dateSeparator[0];
    settings.TimeSeparator = timeSeparator.empty() ? ':' : timeSeparator[0];
    settings.ShortDateFormat =
        LocalePictureToFormat(LocaleText(locale, LOCALE_SSHORTDATE, "M/d/yyyy"));
    settings.LongDateFormat =
        LocalePictureToFormat(LocaleText(locale, LOCALE_SLONGDATE, "dddd, MMMM d, yyyy"));
    settings.LongTimeFormat =
        LocalePictureToFormat(LocaleText(locale, LOCALE_STIMEFORMAT, "h:mm:ss tt"));
    settings.ShortTimeFormat = WithoutSeconds(settings.LongTimeFormat);
    settings.TimeAMString = LocaleText(locale, LOCALE_S1159, "AM");
    settings.TimePMString = LocaleText(locale, LOCALE_S2359, "PM");
    for (int m = 0; m < 12; ++m) {
        settings.ShortMonthNames[m] =
            LocaleText(locale, LOCALE_SABBREVMONTHNAME1 + m, settings.ShortMonthNames[m]);
        settings.LongMonthNames[m] =
            LocaleText(locale, LOCALE_SMONTHNAME1 + m, settings.LongMonthNames[m]);
    }
    // The locale's week starts with Monday (name 1); the settings' with Sunday.
    for (int d = 0; d < 7; ++d) {
        const LCTYPE offset = static_cast<LCTYPE>((d + 6) % 7);
        settings.ShortDayNames[d] =
            LocaleText(locale, LOCALE_SABBREVDAYNAME1 + offset, settings.ShortDayNames[d]);
        settings.LongDayNames[d] =
            LocaleText(locale, LOCALE_SDAYNAME1 + offset, settings.LongDayNames[d]);
    }
    return settings;
}

} // namespace classlib
