#pragma once
// Dates and times as the platform keeps them: a TDateTime is the number of days since
// 30 December 1899, the fraction of a day being the time. FormatDateTime writes one with the
// platform's format tokens and the separators and names of a TFormatSettings; FormatSettings
// holds the program's, which the Windows run time fills from the user's locale at start-up.
#include "core/Exceptions.h"

#include <array>
#include <string>
#include <string_view>

namespace classlib {

using TDateTime = double;

struct TFormatSettings {
    char DateSeparator = '/';
    char TimeSeparator = ':';
    std::string ShortDateFormat = "m/d/yyyy";
    std::string LongDateFormat = "dddd, mmmm d, yyyy";
    std::string ShortTimeFormat = "h:nn AMPM";
    std::string LongTimeFormat = "h:nn:ss AMPM";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    // January first; Sunday first.
    std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> LongMonthNames{"January",   "February", "March",    "April",
                                               "May",       "June",     "July",     "August",
                                               "September", "October",  "November", "December"};
    std::array<std::string, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> LongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
};

// The program's settings (the user's locale once the Windows run time has started).
extern TFormatSettings FormatSettings;

// Raise EConvertError for a day, month, hour ... that does not exist.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime value);
bool IsLeapYear(int year);

// The platform's tokens, case-insensitive: c, d, dd, ddd, dddd, ddddd (short date), dddddd
// (long date), m, mm, mmm, mmmm (minutes right after an hour), yy, yyyy, h, hh, n, nn, s, ss,
// z, zzz, t (short time), tt (long time), am/pm, a/p, ampm (12-hour clock), "/" and ":" (the
// separators), and text in quotes; other characters are copied.
std::string FormatDateTime(std::string_view format, TDateTime value,
                           const TFormatSettings& settings = FormatSettings);
std::string DateToStr(TDateTime value, const TFormatSettings& settings = FormatSettings);
std::string TimeToStr(TDateTime value, const TFormatSettings& settings = FormatSettings);
std::string DateTimeToStr(TDateTime value, const TFormatSettings& settings = FormatSettings);

// Reads what DateTimeToStr writes: a date of three numbers in the order of the short date
// format (d, m, y), separated by the date separator or by the separator the format itself
// writes, optionally followed by a time (hours and minutes, optional seconds and milliseconds,
// the AM/PM strings before or after); a time alone is a time on day 0. A two-digit year is
// taken within 50 years of the current one. Raises EConvertError "'%s' is not a valid date
// and time" for anything else.
TDateTime StrToDateTime(std::string_view text, const TFormatSettings& settings = FormatSettings);

// A date or time picture of the platform's locale settings ("d/M/yyyy", "HH:mm:ss", "h:mm tt")
// in the tokens of FormatDateTime ("d/m/yyyy", "hh:nn:ss", "h:nn AMPM").
std::string LocalePictureToFormat(std::string_view picture);

} // namespace classlib
