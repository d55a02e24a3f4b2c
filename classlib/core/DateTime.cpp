#include "core/DateTime.h"

#include "core/SysUtils.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace classlib {

// Constructed before the other static objects of the program, so that the run time's start-up
// (which fills in the user's locale) cannot run before it and be undone by it.
__attribute__((init_priority(101))) TFormatSettings FormatSettings;

namespace {

constexpr int kDaysInMonth[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                     {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};
// Days from 1 January of year 1 to 30 December 1899.
constexpr int kDateDelta = 693594;
constexpr double kMsPerDay = 86400000.0;

std::string Padded(int value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%0*d", digits, value);
    return text;
}

// The time of day in whole milliseconds (the fraction of a day, also for dates before 1899).
long long TimeMs(TDateTime value)
{
    double fraction = std::fabs(value - std::trunc(value));
    long long ms = std::llround(fraction * kMsPerDay);
    return ms >= 86400000 ? 86399999 : ms;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

class DateTimeWriter {
public:
    DateTimeWriter(TDateTime value, const TFormatSettings& settings)
        : value_(value), settings_(settings)
    {
        DecodeDate(value, year_, month_, day_);
        DecodeTime(value, hour_, minute_, second_, ms_);
    }

    void Write(std::string_view format, int nesting = 0)
    {
        // Whether the format shows AM/PM: the hours then run on a 12-hour clock.
        twelveHour_ = HasAmPm(format);
        for (size_t i = 0; i < format.size();) {
            const std::string_view rest = format.substr(i);
            const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(rest[0])));
            auto count = [&](char letter) {
                size_t n = 0;
                while (n < rest.size() &&
                       std::tolower(static_cast<unsigned char>(rest[n])) == letter)
                    ++n;
                return n;
            };
            if (rest[0] == '"' || rest[0] == '\'') {
                const size_t end = rest.find(rest[0], 1);
                out_ += rest.substr(
                    1, end == std::string_view::npos ? std::string_view::npos : end - 1);
                i += end == std::string_view::npos ? rest.size() : end + 1;
                continue;
            }
            if (StartsWithNoCase(rest, "am/pm") || StartsWithNoCase(rest, "a/p")) {
                const bool full = StartsWithNoCase(rest, "am/pm");
                const std::string_view token = rest.substr(0, full ? 5 : 3);
                // The token's own case: "am/pm" writes "am", "AM/PM" writes "AM".
                const size_t pick = hour_ >= 12 ? (full ? 3 : 2) : 0;
                const size_t length = full ? 2 : 1;
                out_ += token.substr(pick, length);
                i += token.size();
                lastWasHour_ = false;
                continue;
            }
            if (StartsWithNoCase(rest, "ampm")) {
                out_ += hour_ >= 12 ? settings_.TimePMString : settings_.TimeAMString;
                i += 4;
                lastWasHour_ = false;
                continue;
            }
            size_t n = 1;
            switch (c) {
                case 'c':
                    if (nesting < 2) {
                        Nested(settings_.ShortDateFormat, nesting);
                        if (TimeMs(value_) != 0) {
                            out_ += ' ';
                            Nested(settings_.LongTimeFormat, nesting);
                        }
                    }
                    break;
                case 'd':
                    n = std::min<size_t>(count('d'), 6);
                    if (n <= 2)
                        out_ += Padded(day_, static_cast<int>(n));
                    else if (n == 3)
                        out_ += settings_.ShortDayNames[static_cast<size_t>(DayOfWeek(value_) - 1)];
                    else if (n == 4)
                        out_ += settings_.LongDayNames[static_cast<size_t>(DayOfWeek(value_) - 1)];
                    else if (nesting < 2)
                        Nested(n == 5 ? settings_.ShortDateFormat : settings_.LongDateFormat,
                               nesting);
                    break;
                case 'm':
                    n = std::min<size_t>(count('m'), 4);
                    if (lastWasHour_ && n <= 2)
                        out_ += Padded(minute_, static_cast<int>(n));
                    else if (n <= 2)
                        out_ += Padded(month_, static_cast<int>(n));
                    else
                        out_ +=
                            (n == 3 ? settings_.ShortMonthNames
                                    : settings_.LongMonthNames)[static_cast<size_t>(month_ - 1)];
                    break;
                case 'y':
                    n = count('y');
                    out_ += n <= 2 ? Padded(year_ % 100, 2) : Padded(year_, 4);
                    break;
                case 'h': {
                    n = std::min<size_t>(count('h'), 2);
                    int hour = hour_;
                    if (twelveHour_) {
                        hour %= 12;
                        if (hour == 0)
                            hour = 12;
                    }
                    out_ += Padded(hour, static_cast<int>(n));
                    lastWasHour_ = true;
                    i += n;
                    continue;
                }
                case 'n':
                    n = std::min<size_t>(count('n'), 2);
                    out_ += Padded(minute_, static_cast<int>(n));
                    break;
                case 's':
                    n = std::min<size_t>(count('s'), 2);
                    out_ += Padded(second_, static_cast<int>(n));
                    break;
                case 'z':
                    n = count('z') >= 3 ? 3 : 1;
                    out_ += Padded(ms_, static_cast<int>(n));
                    break;
                case 't':
                    n = std::min<size_t>(count('t'), 2);
                    if (nesting < 2)
                        Nested(n == 1 ? settings_.ShortTimeFormat : settings_.LongTimeFormat,
                               nesting);
                    break;
                case '/':
                    out_ += settings_.DateSeparator;
                    break;
                case ':':
                    out_ += settings_.TimeSeparator;
                    break;
                default:
                    out_ += rest[0];
                    break;
            }
            // Separators between an hour and "m" keep it a minute; other tokens do not.
            if (std::isalpha(static_cast<unsigned char>(c)))
                lastWasHour_ = false;
            i += n;
        }
    }

    const std::string& Text() const { return out_; }

private:
    static bool HasAmPm(std::string_view format)
    {
        for (size_t i = 0; i < format.size(); ++i) {
            if (format[i] == '"' || format[i] == '\'') {
                const size_t end = format.find(format[i], i + 1);
                if (end == std::string_view::npos)
                    return false;
                i = end;
                continue;
            }
            const std::string_view rest = format.substr(i);
            if (StartsWithNoCase(rest, "am/pm") || StartsWithNoCase(rest, "a/p") ||
                StartsWithNoCase(rest, "ampm"))
                return true;
        }
        return false;
    }

    void Nested(const std::string& format, int nesting)
    {
        const bool twelve = twelveHour_;
        const bool afterHour = lastWasHour_;
        lastWasHour_ = false;
        Write(format, nesting + 1);
        twelveHour_ = twelve;
        lastWasHour_ = afterHour;
    }

    TDateTime value_;
    const TFormatSettings& settings_;
    int year_, month_, day_, hour_, minute_, second_, ms_;
    bool twelveHour_ = false;
    bool lastWasHour_ = false;
    std::string out_;
};

} // namespace

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

TDateTime EncodeDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > kDaysInMonth[IsLeapYear(year)][month - 1])
        throw EConvertError("Invalid argument to date encode");
    int days = day;
    for (int m = 1; m < month; ++m)
        days += kDaysInMonth[IsLeapYear(year)][m - 1];
    const int y = year - 1;
    days += y * 365 + y / 4 - y / 100 + y / 400;
    return static_cast<TDateTime>(days - kDateDelta);
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999)
        throw EConvertError("Invalid argument to time encode");
    return (((hour * 60 + minute) * 60 + second) * 1000 + millisecond) / kMsPerDay;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day)
{
    long long days =
        static_cast<long long>(std::trunc(value)) + kDateDelta; // days since 0001-01-01, 1-based
    if (days <= 0) {
        year = month = day = 0;
        return;
    }
    long long d = days - 1;
    const long long y400 = d / 146097;
    d %= 146097;
    long long y100 = d / 36524;
    if (y100 == 4)
        y100 = 3;
    d -= y100 * 36524;
    const long long y4 = d / 1461;
    d %= 1461;
    long long y1 = d / 365;
    if (y1 == 4)
        y1 = 3;
    d -= y1 * 365;
    year = static_cast<int>(y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1);
    const bool leap = IsLeapYear(year);
    month = 1;
    while (d >= kDaysInMonth[leap][month - 1]) {
        d -= kDaysInMonth[leap][month - 1];
        ++month;
    }
    day = static_cast<int>(d + 1);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond)
{
    long long ms = TimeMs(value);
    millisecond = static_cast<int>(ms % 1000);
    ms /= 1000;
    second = static_cast<int>(ms % 60);
    ms /= 60;
    minute = static_cast<int>(ms % 60);
    hour = static_cast<int>(ms / 60);
}

int DayOfWeek(TDateTime value)
{
    // 30 December 1899 was a Saturday.
    const long long days = static_cast<long long>(std::trunc(value));
    return static_cast<int>(((days % 7) + 7 + 6) % 7) + 1;
}

std::string FormatDateTime(std::string_view format, TDateTime value,
                           const TFormatSettings& settings)
{
    DateTimeWriter writer(value, settings);
    writer.Write(format.empty() ? std::string_view("c") : format);
    return writer.Text();
}

std::string DateToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatDateTime(settings.ShortDateFormat, value, settings);
}

std::string TimeToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatDateTime(settings.LongTimeFormat, value, settings);
}

std::string DateTimeToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatDateTime("c", value, settings);
}

namespace {

// The character a format writes between its numbers itself (the "." of "dd.mm.yyyy"), or 0
// when it writes the settings' separator ("/" or ":") or none.
char LiteralSeparator(std::string_view format)
{
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '"' || c == '\'') {
            const size_t end = format.find(c, i + 1);
            if (end == std::string_view::npos)
                return 0;
            i = end;
            continue;
        }
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != ' ')
            return c == '/' || c == ':' ? 0 : c;
    }
    return 0;
}

// The order of day, month and year in a date format ("mdy", "dmy", "ymd"); month first when
// the format does not name all three.
std::string DateOrder(std::string_view format)
{
    std::string order;
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(format[i])));
        if (format[i] == '"' || format[i] == '\'') {
            const size_t end = format.find(format[i], i + 1);
            if (end == std::string_view::npos)
                break;
            i = end;
            continue;
        }
        if ((c == 'd' || c == 'm' || c == 'y') && order.find(c) == std::string::npos)
            order += c;
    }
    return order.size() == 3 ? order : "mdy";
}

int CurrentYear()
{
    const auto sinceUnixEpoch = std::chrono::system_clock::now().time_since_epoch();
    const double days =
        static_cast<double>(
            std::chrono::duration_cast<std::chrono::hours>(sinceUnixEpoch).count()) /
        24;
    int year, month, day;
    DecodeDate(days + 25569, year, month, day); // 1970-01-01 is day 25569
    return year;
}

class DateTimeScanner {
public:
    DateTimeScanner(std::string_view text, const TFormatSettings& settings)
        : text_(text), settings_(settings)
    {
    }

    bool AtEnd()
    {
        SkipBlanks();
        return pos_ == text_.size();
    }
    size_t Position() const { return pos_; }
    void Rewind(size_t position) { pos_ = position; }

    bool Date(TDateTime& date)
    {
        const char literal = LiteralSeparator(settings_.ShortDateFormat);
        int values[3];
        int digits[3];
        for (int i = 0; i < 3; ++i)
            if ((i > 0 && !Separator(settings_.DateSeparator, literal)) ||
                !Number(values[i], digits[i]))
                return false;
        const std::string order = DateOrder(settings_.ShortDateFormat);
        int year = values[order.find('y')];
        const int month = values[order.find('m')];
        const int day = values[order.find('d')];
        if (digits[order.find('y')] <= 2)
            year = WithCentury(year);
        try {
            date = EncodeDate(year, month, day);
        } catch (const EConvertError&) {
            return false;
        }
        return true;
    }

    bool Time(TDateTime& time)
    {
        const char literal = LiteralSeparator(settings_.LongTimeFormat);
        int half = HalfOfDay();
        int hour = 0, minute = 0, second = 0, ms = 0, digits = 0;
        if (!Number(hour, digits) || !Separator(settings_.TimeSeparator, literal) ||
            !Number(minute, digits))
            return false;
        const size_t beforeSeconds = pos_;
        if (!Separator(settings_.TimeSeparator, literal) || !Number(second, digits))
            Rewind(beforeSeconds);
        const size_t beforeMs = pos_;
        if (Char('.') && Number(ms, digits) && digits <= 3) {
            for (; digits < 3; ++digits)
                ms *= 10;
        } else {
            Rewind(beforeMs);
            ms = 0;
        }
        if (half < 0)
            half = HalfOfDay();
        if (half >= 0) {
            if (hour < 1 || hour > 12)
                return false;
            hour = hour % 12 + 12 * half;
        }
        try {
            time = EncodeTime(hour, minute, second, ms);
        } catch (const EConvertError&) {
            return false;
        }
        return true;
    }

private:
    void SkipBlanks()
    {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])))
            ++pos_;
    }

    bool Char(char c)
    {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool Separator(char setting, char literal)
    {
        return Char(setting) || (literal != 0 && Char(literal));
    }

    bool Number(int& value, int& digits)
    {
        SkipBlanks();
        value = 0;
        digits = 0;
        while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])) &&
               digits < 9) {
            value = value * 10 + (text_[pos_++] - '0');
            ++digits;
        }
        return digits > 0 &&
               (pos_ == text_.size() || !std::isdigit(static_cast<unsigned char>(text_[pos_])));
    }

    // 0 for the morning designator, 1 for the afternoon one, -1 when none follows.
    int HalfOfDay()
    {
        SkipBlanks();
        const std::string_view designators[][2] = {{settings_.TimeAMString, settings_.TimePMString},
                                                   {"AM", "PM"}};
        for (const auto& pair : designators)
            for (int half = 0; half < 2; ++half)
                if (!pair[half].empty() && StartsWithNoCase(text_.substr(pos_), pair[half])) {
                    pos_ += pair[half].size();
                    return half;
                }
        return -1;
    }

    static int WithCentury(int year)
    {
        const int threshold = CurrentYear() - 50;
        year += threshold / 100 * 100;
        return year < threshold ? year + 100 : year;
    }

    std::string_view text_;
    const TFormatSettings& settings_;
    size_t pos_ = 0;
};

} // namespace

TDateTime StrToDateTime(std::string_view text, const TFormatSettings& settings)
{
    DateTimeScanner scan(text, settings);
    TDateTime date = 0;
    TDateTime time = 0;
    if (scan.Date(date)) {
        if (scan.AtEnd() || (scan.Time(time) && scan.AtEnd()))
            return date < 0 ? date - time : date + time;
    } else {
        scan.Rewind(0);
        if (scan.Time(time) && scan.AtEnd())
            return time;
    }
    throw EConvertError("'" + std::string(text) + "' is not a valid date and time");
}

std::string LocalePictureToFormat(std::string_view picture)
{
    std::string result;
    for (size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        size_t n = 1;
        while (i + n < picture.size() && picture[i + n] == c)
            ++n;
        switch (c) {
            case '\'': {
                // Quoted text stays quoted ("''" is a quote).
                const size_t end = picture.find('\'', i + 1);
                const std::string_view text = picture.substr(
                    i + 1, end == std::string_view::npos ? std::string_view::npos : end - i - 1);
                result += text.empty() ? std::string("\"'\"") : "\"" + std::string(text) + "\"";
                i = end == std::string_view::npos ? picture.size() : end + 1;
                continue;
            }
            case 'M':
                result.append(n, 'm');
                break; // month
            case 'm':
                result.append(n, 'n');
                break; // minutes
            case 'H':
                result.append(n, 'h');
                break; // 24-hour clock: the format has no AM/PM
            case 't':
                result += "AMPM";
                break; // the AM/PM designator
            case 'g':
                break; // era: not shown
            default:
                result.append(picture.substr(i, n));
                break;
        }
        i += n;
    }
    return result;
}

} // namespace classlib
