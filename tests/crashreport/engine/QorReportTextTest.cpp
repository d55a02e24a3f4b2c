// The report's texts and the class of a C++ exception object, natively and under Wine.
#include "QorExceptionClass.h"
#include "QorReportLists.h"
#include "QorReportText.h"

#include <gtest/gtest.h>

#include <regex>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using namespace qor;

namespace {

IQEFields FieldsOf(const std::vector<std::pair<std::string, std::string>>& items)
{
    IQEFields fields = CreateFields();
    fields->EnableWriting();
    for (const auto& [name, content] : items)
        fields->Append(name, content);
    return fields;
}

} // namespace

TEST(ReportText, HeaderLinesShareOneColonColumnAndStandOnOneLineEach)
{
    const IQEFields header = FieldsOf({{"date/time", "2026-12-11, 09:05:03, 7ms"},
                                       {"exception message", "first\r\nsecond\rthird\n  fourth"},
                                       {"process id", "$1a"}});
    const IQEFields sections = CreateFields();
    // The longest name has 17 characters: every name is padded to 18, then ": ".
    EXPECT_EQ(AssembleReportText(*header, *sections),
              "date/time         : 2026-12-11, 09:05:03, 7ms\r\n"
              "exception message : first second third fourth\r\n"
              "process id        : $1a");
}

TEST(ReportText, SectionsFollowTheHeaderWithABlankLineAndNoEmptyLineInside)
{
    const IQEFields header = FieldsOf({{"a", "1"}});
    const IQEFields sections = FieldsOf({
        {"main thread ($1f4):", "line one  \r\n\r\nline three\tx \t"},
        {"modules", "m1\rm2\nm3\r\n"},
    });
    EXPECT_EQ(AssembleReportText(*header, *sections),
              "a : 1\r\n"
              "\r\n"
              "main thread ($1f4):\r\n"
              "line one\r\n"
              ".\r\n"
              "line three\tx\r\n"
              "\r\n"
              "modules:\r\n"
              "m1\r\n"
              "m2\r\n"
              "m3");
}

TEST(ReportText, ALineOfBlanksInsideASectionIsWrittenAsADot)
{
    const IQEFields header = CreateFields();
    IQEFields sections = CreateFields();
    sections->EnableWriting();
    sections->Append("stack", "x\r\n \r\ny");
    EXPECT_EQ(AssembleReportText(*header, *sections), "\r\n\r\nstack:\r\nx\r\n.\r\ny");
}

TEST(ReportText, CallstackCrcIsThreeDollarHexValues)
{
    const std::string text = CallstackCrcText({0x2a, 0xdeadbeef, 0});
    EXPECT_EQ(text, "$0000002a, $deadbeef, $00000000");
    EXPECT_EQ(text.size(), 31u);
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(^\$[0-9a-f]{8}(, \$[0-9a-f]{8}){2}$)")));
}

TEST(ReportText, DatesAndTimes)
{
    const LocalTime time{2026, 3, 4, 9, 5, 3, 7};
    EXPECT_EQ(ReportDateTimeText(time), "2026-03-04, 09:05:03, 7ms");
    EXPECT_EQ(ModuleDateTimeText(time), "2026-03-04 09:05");
}

TEST(ReportText, ExceptionMessageBecomesOneSentenceOnOneLine)
{
    const struct {
        const char* message;
        const char* header;
    } cases[] = {
        {"Disk full!!", "Disk full."},
        {"first line\r\nsecond   line.", "first line second line."},
        {"a\n\nb", "a b."},
        {"", "."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HeaderMessageText(c.message), c.header) << c.message;
}

TEST(ReportText, CpuRegistersInTheirFixedOrder)
{
    EXPECT_EQ(CpuRegistersText({1, 2, 3, 4, 5, 6, 0x401000, 0x12ff80, 0xdeadbeef}),
              "eax = 00000001\r\nebx = 00000002\r\necx = 00000003\r\nedx = 00000004\r\n"
              "esi = 00000005\r\nedi = 00000006\r\neip = 00401000\r\nesp = 0012ff80\r\n"
              "ebp = deadbeef");
}

TEST(ReportText, ClassFilterGroupTakesTheFirstListNamingTheClassOrAnAncestor)
{
    auto inherits = [](const std::string& name) { return name == "EBase" || name == "EMine"; };
    const struct {
        const char* f1;
        const char* f2;
        const char* group;
    } cases[] = {
        {"EOther, EBase", "EMine", "F1"}, {"EOther", "  EMine ,EThird", "F2"},
        {"EOther", "EThird", "Gn"},       {"", "", "Gn"},
        {" , ", "EMine", "F2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassFilterGroup(c.f1, c.f2, inherits), c.group) << c.f1 << " / " << c.f2;
}

namespace report_test {
struct Base : std::runtime_error {
    Base() : std::runtime_error("base") {}
};
struct Mixin {
    virtual ~Mixin() = default;
};
struct Derived : Mixin, Base {};
} // namespace report_test

TEST(ExceptionClass, NamesTheDynamicTypeAndFindsItsBaseClasses)
{
    const std::exception_ptr derived = std::make_exception_ptr(report_test::Derived());
    EXPECT_EQ(ExceptionClassText(derived), "report_test::Derived");
    for (const char* name : {"report_test::Derived", "Derived", "Base", "report_test::Mixin",
                             "std::runtime_error", "runtime_error", "std::exception"})
        EXPECT_TRUE(InheritsFromName(derived, name)) << name;
    for (const char* name : {"logic_error", "report_test", "", "Deriv"})
        EXPECT_FALSE(InheritsFromName(derived, name)) << name;

    const std::exception_ptr number = std::make_exception_ptr(42);
    EXPECT_EQ(ExceptionClassText(number), "int");
    EXPECT_FALSE(InheritsFromName(number, "std::exception"));

    EXPECT_EQ(ExceptionClassText(nullptr), "Unknown");
    EXPECT_FALSE(InheritsFromName(nullptr, "std::exception"));
}
