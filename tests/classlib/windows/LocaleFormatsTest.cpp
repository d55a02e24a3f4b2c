// Locale formats against the platform's own date and time formatting (GetDateFormat and
// GetTimeFormat of the same locale), and the message dialog's resource strings.
#include "core/DateTime.h"
#include "windows/Dialogs.h"
#include "windows/LocaleFormats.h"

#include <gtest/gtest.h>

#include <string>

using namespace classlib;

namespace {

std::string PlatformDate(LCID locale, DWORD flags, const SYSTEMTIME& when)
{
    char text[256] = {};
    GetDateFormatA(locale, flags, &when, nullptr, text, sizeof(text));
    return text;
}

std::string PlatformTime(LCID locale, const SYSTEMTIME& when)
{
    char text[256] = {};
    GetTimeFormatA(locale, 0, &when, nullptr, text, sizeof(text));
    return text;
}

TEST(LocaleFormats, FormatDateTimeWritesWhatThePlatformWritesForTheLocale)
{
    const LCID locales[] = {
        LOCALE_USER_DEFAULT,
        MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT),
        MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK), SORT_DEFAULT),
        MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT),
        MAKELCID(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), SORT_DEFAULT),
    };
    SYSTEMTIME moments[] = {
        {2024, 2, 4, 29, 13, 5, 9, 0},
        {1999, 12, 5, 31, 0, 0, 7, 0},
        {2026, 3, 4, 5, 9, 30, 0, 0},
    };
    for (LCID locale : locales) {
        const TFormatSettings settings = GetLocaleFormatSettings(locale);
        for (const SYSTEMTIME& st : moments) {
            const TDateTime value = EncodeDate(st.wYear, st.wMonth, st.wDay) +
                                    EncodeTime(st.wHour, st.wMinute, st.wSecond, 0);
            EXPECT_EQ(FormatDateTime(settings.ShortDateFormat, value, settings),
                      PlatformDate(locale, DATE_SHORTDATE, st))
                << std::hex << locale << " " << settings.ShortDateFormat;
            EXPECT_EQ(FormatDateTime(settings.LongDateFormat, value, settings),
                      PlatformDate(locale, DATE_LONGDATE, st))
                << std::hex << locale << " " << settings.LongDateFormat;
            EXPECT_EQ(FormatDateTime(settings.LongTimeFormat, value, settings),
                      PlatformTime(locale, st))
                << std::hex << locale << " " << settings.LongTimeFormat;
        }
    }
}

TEST(LocaleFormats, TheProgramStartsWithTheUsersFormats)
{
    const TFormatSettings user = GetLocaleFormatSettings(LOCALE_USER_DEFAULT);
    EXPECT_EQ(FormatSettings.ShortDateFormat, user.ShortDateFormat);
    EXPECT_EQ(FormatSettings.LongTimeFormat, user.LongTimeFormat);
    EXPECT_EQ(FormatSettings.LongMonthNames[0], user.LongMonthNames[0]);
    SYSTEMTIME st{2024, 2, 4, 29, 13, 5, 9, 0};
    const TDateTime value = EncodeDate(2024, 2, 29) + EncodeTime(13, 5, 9, 0);
    EXPECT_EQ(DateToStr(value), PlatformDate(LOCALE_USER_DEFAULT, DATE_SHORTDATE, st));
    EXPECT_EQ(TimeToStr(value), PlatformTime(LOCALE_USER_DEFAULT, st));
}

TEST(MessageDialogTexts, ButtonsAndCaptionsAreTheResourceStrings)
{
    struct Case {
        TMsgDlgBtn button;
        const char* caption;
        TModalResult result;
    };
    const Case cases[] = {
        {mbOK, "OK", 1},          {mbYes, "&Yes", 6},        {mbNo, "&No", 7},
        {mbCancel, "Cancel", 2},  {mbRetry, "&Retry", 4},    {mbAbort, "&Abort", 3},
        {mbIgnore, "&Ignore", 5}, {mbHelp, "&Help", mrNone},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MsgDlgButtonCaption(c.button), c.caption);
        EXPECT_EQ(MsgDlgButtonResult(c.button), c.result) << c.caption;
    }
    EXPECT_EQ(MsgDlgCaption(mtWarning), "Warning");
    EXPECT_EQ(MsgDlgCaption(mtConfirmation), "Confirm");
    EXPECT_EQ(MsgDlgCaption(mtCustom), "");
}

} // namespace
