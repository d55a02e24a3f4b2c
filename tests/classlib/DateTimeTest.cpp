// Dates and FormatDateTime against GNU date (coreutils), which formats the same moments with
// strftime in the C locale: the English names and 12-hour designators of the default settings.
#include "core/DateTime.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace classlib;

namespace {

// What `date` prints for a moment ("2024-02-29 13:05:09.250") in a strftime format.
std::string DateTool(const std::string& moment, const std::string& format)
{
    const std::string command = "LC_ALL=C TZ=UTC date -d '" + moment + "' '+" + format + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return "date did not start";
    std::string out;
    char buffer[256];
    while (fgets(buffer, sizeof(buffer), pipe))
        out += buffer;
    const int status = pclose(pipe);
    if (status != 0)
        return "date failed: " + out;
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

struct Moment {
    const char* text; // as `date -d` reads it
    int year, month, day, hour, minute, second, ms;
};

const Moment kMoments[] = {
    {"2024-02-29 13:05:09.250", 2024, 2, 29, 13, 5, 9, 250},
    {"1999-12-31 00:00:07", 1999, 12, 31, 0, 0, 7, 0},
    {"1900-03-01 09:30:00", 1900, 3, 1, 9, 30, 0, 0},
    {"2026-12-10 23:59:59.999", 2026, 12, 10, 23, 59, 59, 999},
    {"1899-12-30 12:00:00", 1899, 12, 30, 12, 0, 0, 0},
    {"1850-07-04 06:15:00", 1850, 7, 4, 6, 15, 0, 0},
};

TDateTime ValueOf(const Moment& m)
{
    const TDateTime date = EncodeDate(m.year, m.month, m.day);
    const TDateTime time = EncodeTime(m.hour, m.minute, m.second, m.ms);
    // Before the epoch the time counts away from zero, as the platform keeps it.
    return date < 0 ? date - time : date + time;
}

TEST(DateTime, DaysAndWeekdaysMatchTheCalendar)
{
    for (const Moment& m : kMoments) {
        const std::string day(m.text, 10);
        const long long seconds = std::stoll(DateTool(day, "%s"));
        const long long epoch = std::stoll(DateTool("1899-12-30", "%s"));
        EXPECT_EQ(static_cast<long long>(EncodeDate(m.year, m.month, m.day)),
                  (seconds - epoch) / 86400)
            << m.text;
        // %u: 1 Monday ... 7 Sunday; DayOfWeek: 1 Sunday ... 7 Saturday.
        EXPECT_EQ(DayOfWeek(ValueOf(m)), std::stoi(DateTool(day, "%u")) % 7 + 1) << m.text;
        int y, mo, d, h, mi, s, ms;
        DecodeDate(ValueOf(m), y, mo, d);
        DecodeTime(ValueOf(m), h, mi, s, ms);
        EXPECT_EQ((std::vector<int>{y, mo, d, h, mi, s, ms}),
                  (std::vector<int>{m.year, m.month, m.day, m.hour, m.minute, m.second, m.ms}))
            << m.text;
    }
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(2024, 13, 1), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
}

TEST(DateTime, FormatDateTimeWritesTheTokensAsStrftimeDoes)
{
    struct Case {
        const char* format;   // FormatDateTime
        const char* strftime; // date
    };
    const Case cases[] = {
        {"yyyy-mm-dd hh:nn:ss", "%Y-%m-%d %H:%M:%S"},
        {"d/m/yy", "%-d/%-m/%y"},
        {"dddd, mmmm d, yyyy", "%A, %B %-d, %Y"},
        {"ddd dd mmm", "%a %d %b"},
        {"h:nn am/pm", "%-I:%M %P"},
        {"hh:nn AM/PM", "%I:%M %p"},
        {"h A/P", "%-I %p"},
        {"hh:mm", "%H:%M"},
        {"HH:MM:SS.zzz", "%H:%M:%S.%3N"},
        {"'Day' d \"of\" mmmm", "Day %-d of %B"},
        {"ddddd", "%-m/%-d/%Y"},
        {"dddddd", "%A, %B %-d, %Y"},
        {"t", "%-I:%M %p"},
        {"tt", "%-I:%M:%S %p"},
    };
    for (const Moment& m : kMoments) {
        for (const Case& c : cases) {
            std::string expected = DateTool(m.text, c.strftime);
            if (std::string(c.format) == "h A/P") // a/p writes one letter
                expected = expected.substr(0, expected.size() - 1);
            EXPECT_EQ(FormatDateTime(c.format, ValueOf(m)), expected)
                << c.format << " at " << m.text;
        }
    }
}

TEST(DateTime, TheFullFormatLeavesOutAMidnightTime)
{
    const TDateTime midnight = EncodeDate(2024, 2, 29);
    EXPECT_EQ(FormatDateTime("c", midnight), DateTool("2024-02-29", "%-m/%-d/%Y"));
    EXPECT_EQ(DateTimeToStr(midnight + EncodeTime(13, 5, 9, 0)),
              DateTool("2024-02-29 13:05:09", "%-m/%-d/%Y %-I:%M:%S %p"));
}

TEST(DateTime, SettingsGiveSeparatorsAndNames)
{
    TFormatSettings german;
    german.DateSeparator = '.';
    german.ShortDateFormat = LocalePictureToFormat("dd.MM.yyyy");
    german.LongTimeFormat = LocalePictureToFormat("HH:mm:ss");
    german.LongMonthNames[2] = "M\xE4rz";
    const TDateTime value = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 0);
    EXPECT_EQ(german.ShortDateFormat, "dd.mm.yyyy");
    EXPECT_EQ(german.LongTimeFormat, "hh:nn:ss");
    EXPECT_EQ(FormatDateTime("c", value, german),
              DateTool("2024-03-05 14:07:09", "%d.%m.%Y %H:%M:%S"));
    EXPECT_EQ(FormatDateTime("d/mmmm", value, german), "5.M\xE4rz");
    EXPECT_EQ(LocalePictureToFormat("h:mm:ss tt"), "h:nn:ss AMPM");
    EXPECT_EQ(LocalePictureToFormat("d 'de' MMMM"), "d \"de\" mmmm");
}

TEST(DateTime, TextReadsBackAsTheSameMoment)
{
    // What DateTimeToStr writes (seconds are its finest unit) reads back as the same value.
    for (const Moment& m : kMoments) {
        Moment whole = m;
        whole.ms = 0;
        const TDateTime value = ValueOf(whole);
        EXPECT_NEAR(StrToDateTime(DateTimeToStr(value)), value, 1e-9) << m.text;
    }
}

TEST(DateTime, TextIsReadInTheOrderAndSeparatorsOfTheSettings)
{
    TFormatSettings german;
    german.DateSeparator = '.';
    german.ShortDateFormat = "dd.mm.yyyy";
    german.LongTimeFormat = "hh:nn:ss";
    TFormatSettings iso;
    iso.DateSeparator = '-';
    iso.ShortDateFormat = "yyyy-mm-dd";
    // A format that writes its own separators, not the settings' ones.
    TFormatSettings underscored;
    underscored.ShortDateFormat = "dd_mm_yyyy";
    underscored.LongTimeFormat = "hh_nn_ss";
    const TFormatSettings us;
    const TDateTime march15 = EncodeDate(2023, 3, 15);
    const struct {
        const char* text;
        const TFormatSettings& settings;
        TDateTime expected;
    } cases[] = {
        {"3/15/2023 12:00:00 PM", us, march15 + 0.5},
        {"3/15/2023", us, march15},
        {" 3 / 15 / 2023  2:05 pm ", us, march15 + EncodeTime(14, 5, 0, 0)},
        {"3/15/2023 12:30:15 AM", us, march15 + EncodeTime(0, 30, 15, 0)},
        {"3/15/2023 AM 11:30", us, march15 + EncodeTime(11, 30, 0, 0)},
        {"3/15/2023 23:59:59.5", us, march15 + EncodeTime(23, 59, 59, 500)},
        {"10:20", us, EncodeTime(10, 20, 0, 0)},
        {"7/4/1850 6:15:00 AM", us, EncodeDate(1850, 7, 4) - EncodeTime(6, 15, 0, 0)},
        {"1/2/05", us, EncodeDate(2005, 1, 2)},
        {"1/2/99", us, EncodeDate(1999, 1, 2)},
        {"15.03.2023 14:07:09", german, march15 + EncodeTime(14, 7, 9, 0)},
        {"2023-03-15 14:07", iso, march15 + EncodeTime(14, 7, 0, 0)},
        {"15_03_2023 14_07_09", underscored, march15 + EncodeTime(14, 7, 9, 0)},
        {"15/03/2023 14:07:09", underscored, march15 + EncodeTime(14, 7, 9, 0)},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(StrToDateTime(c.text, c.settings), c.expected, 1e-9) << c.text;

    for (const char* text :
         {"", "abc", "3/15", "13/15/2023", "2/30/2023", "3/15/2023 25:00", "3/15/2023 13:00 PM",
          "3/15/2023 x", "3/15/2023 10", "1234567890/1/2023", "15.03.2023"})
        EXPECT_THROW(StrToDateTime(text), EConvertError) << text;
    try {
        StrToDateTime("3/15");
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'3/15' is not a valid date and time");
    }
}

} // namespace
