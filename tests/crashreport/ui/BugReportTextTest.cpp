// The bug-report file's text work: header lines, merging a repeated report into the new one,
// and trimming the oldest reports, on report texts laid out as the engine writes them.
#include "BugReportText.h"

#include <gtest/gtest.h>

#include <string>

using namespace crashui;

namespace {

struct TReport {
    std::string date = "2026-12-11, 06:00:00, 000ms";
    std::string executable = "Brenvik.exe";
    std::string version = "1.0.0.0";
    std::string execDate = "11.12.2026 05:00";
    std::string exceptionClass = "EAccessViolation";
    std::string crc = "$12345678, $9ABCDEF0, $0F1E2D3C";
    std::string count;
    std::string body = "main thread ($a4):\r\n0040a1f2 +012 Brenvik.exe Main 12 +0 TForm1.Click";

    std::string Text() const
    {
        auto line = [](const std::string& name, const std::string& value) {
            return name + std::string(19 - name.size(), ' ') + ": " + value + "\r\n";
        };
        std::string s = line("date/time", date) + line("executable", executable) +
                        line("exec. date/time", execDate) +
                        (version.empty() ? "" : line("version", version)) +
                        line("current module", executable) + line("module date/time", execDate);
        if (!exceptionClass.empty())
            s += line("exception class", exceptionClass);
        s += line("exception message", "Access violation.") + line("callstack crc", crc);
        if (!count.empty())
            s += line("count", count);
        return s + "\r\n" + body;
    }
};

std::string FileOf(std::initializer_list<std::string> reports)
{
    std::string s;
    for (const std::string& r : reports)
        s += r + "\r\n\r\n";
    return s;
}

// Runs the merge and trim over the file content and appends the report as the writer does.
std::string Append(const std::string& file, std::string report, const TBugReportRules& rules)
{
    std::string content = file;
    content.resize(MergeAndTrim(content.data(), content.size(), report, rules));
    return content + report + "\r\n\r\n";
}

int CountOf(const std::string& file, const std::string& needle)
{
    int n = 0;
    for (size_t at = file.find(needle); at != std::string::npos; at = file.find(needle, at + 1))
        ++n;
    return n;
}

} // namespace

TEST(BugReportHeader, ReadCompareAndInsertLines)
{
    const std::string report = TReport().Text();
    EXPECT_EQ(HeaderLineValue(report, "exception class"), "EAccessViolation");
    EXPECT_EQ(HeaderLineValue(report, "exec. date/time"), "11.12.2026 05:00");
    EXPECT_EQ(HeaderLineValue(report, "exception"), "") << "only the start of a longer name";
    EXPECT_EQ(HeaderLineValue(report, "count"), "");
    EXPECT_EQ(HeaderLineValue(report, "date/time"), "") << "the first line cannot be found";
    EXPECT_EQ(ReportHeaderField(report, "exception message"), "Access violation.");
    EXPECT_EQ(ReportHeaderField(report, "nothing"), "");

    TReport other;
    other.version = "2.0";
    EXPECT_TRUE(SameHeaderValue(report, other.Text(), "executable"));
    EXPECT_FALSE(SameHeaderValue(report, other.Text(), "version"));
    EXPECT_TRUE(SameHeaderValue(report, other.Text(), "absent item"));

    std::string withCount = report;
    InsertHeaderLine(withCount, "count", "callstack crc", "2");
    const size_t crcLine = withCount.find("\r\ncallstack crc");
    const size_t countLine = withCount.find("\r\ncount");
    ASSERT_NE(countLine, std::string::npos);
    EXPECT_EQ(withCount.find("\r\n", crcLine + 2), countLine) << "the line right after the anchor";
    EXPECT_EQ(withCount.find(':', countLine) - countLine, withCount.find(':', crcLine) - crcLine)
        << "colons aligned";
    EXPECT_EQ(HeaderLineValue(withCount, "count"), "2");

    std::string unchanged = report;
    InsertHeaderLine(unchanged, "count", "no such anchor", "2");
    EXPECT_EQ(unchanged, report);
}

TEST(BugReportMerge, RepeatedExceptionsCountUpAndMoveToTheEnd)
{
    const TBugReportRules rules;
    TReport first, other;
    other.crc = "$AAAAAAAA, $BBBBBBBB, $CCCCCCCC";
    std::string file = Append("", first.Text(), rules);
    file = Append(file, first.Text(), rules);
    EXPECT_EQ(CountOf(file, "date/time          : "), 1);
    EXPECT_EQ(HeaderLineValue(file, "count"), "2");
    file = Append(file, other.Text(), rules);
    file = Append(file, first.Text(), rules);
    EXPECT_EQ(CountOf(file, "date/time          : "), 2);
    EXPECT_EQ(HeaderLineValue(file, "count"), "3");
    EXPECT_LT(file.find("$AAAAAAAA"), file.find("count")) << "the merged report is the last";
    EXPECT_EQ(file.substr(file.size() - 4), "\r\n\r\n");
    EXPECT_EQ(file.substr(0, 9), "date/time");
}

TEST(BugReportMerge, RulesDecideWhatIsARepeat)
{
    TReport base;
    TReport deeper = base; // differs only in the second and third stack checksums
    deeper.crc = "$12345678, $00000000, $11111111";
    TReport newVersion = base;
    newVersion.version = "1.0.0.1";
    TReport unversioned = base, unversionedLater = base;
    unversioned.version = unversionedLater.version = "";
    unversionedLater.execDate = "12.12.2026 05:00";
    TReport frozen = base, frozenAgain = base;
    frozen.exceptionClass = frozenAgain.exceptionClass = "";
    TReport shortCrc = base;
    shortCrc.crc = "$12345678";

    TBugReportRules firstChecksum;
    firstChecksum.dupExceptDef = 0;
    TBugReportRules allChecksums;
    allChecksums.dupExceptDef = 2;
    TBugReportRules noDupExcepts;
    noDupExcepts.noDupExcepts = false;
    TBugReportRules noDupFreezes;
    noDupFreezes.noDupFreezes = false;
    const TBugReportRules defaults;

    struct Case {
        const char* what;
        TReport old, fresh;
        TBugReportRules rules;
        bool merged;
    } cases[] = {
        {"rule 0 compares the first checksum", base, deeper, firstChecksum, true},
        {"rule 2 compares all three", base, deeper, allChecksums, false},
        {"rule 1 compares two", base, deeper, defaults, false},
        {"another version", base, newVersion, defaults, false},
        {"no version, same dates", unversioned, unversioned, defaults, true},
        {"no version, other dates", unversioned, unversionedLater, defaults, false},
        {"merging of exceptions off", base, base, noDupExcepts, false},
        {"frozen reports by their own rule", frozen, frozenAgain, defaults, true},
        {"frozen reports, merging off", frozen, frozenAgain, noDupFreezes, false},
        {"a freeze does not match an exception", base, frozen, defaults, false},
        {"an exception does not match a freeze", frozen, base, defaults, false},
        {"a short checksum is always appended", shortCrc, shortCrc, defaults, false},
    };
    for (const Case& c : cases) {
        const std::string file = Append(Append("", c.old.Text(), c.rules), c.fresh.Text(), c.rules);
        EXPECT_EQ(CountOf(file, "date/time          : "), c.merged ? 1 : 2) << c.what;
        EXPECT_EQ(HeaderLineValue(file, "count"), c.merged ? "2" : "") << c.what;
    }
}

TEST(BugReportMerge, AppendingOffKeepsOneReport)
{
    TBugReportRules rules;
    rules.append = false;
    TReport a, b;
    b.crc = "$AAAAAAAA, $BBBBBBBB, $CCCCCCCC";
    const std::string file = Append(Append("", a.Text(), rules), b.Text(), rules);
    EXPECT_EQ(file, b.Text() + "\r\n\r\n");
}

TEST(BugReportTrim, OldestReportsGoUntilThreeQuartersOfTheLimitRemain)
{
    TBugReportRules rules;
    rules.maxSize = 100000;
    std::string file;
    for (int i = 0; i < 60; ++i) {
        TReport r;
        r.crc = "$" + std::to_string(10000000 + i) + ", $BBBBBBBB, $CCCCCCCC";
        r.body = std::string(2000, 'x');
        file = Append(file, r.Text(), rules);
        // Before each append the old content is cut below 75000 bytes once it passed 100000.
    }
    EXPECT_LT(file.size(), 100000u);
    EXPECT_EQ(file.substr(0, 9), "date/time") << "whole reports only";
    EXPECT_NE(file.find("$10000059"), std::string::npos);
    EXPECT_EQ(file.find("$10000000"), std::string::npos);

    // A single old report larger than three quarters of the limit stays whole.
    TReport huge;
    huge.body = std::string(90000, 'y');
    TReport next;
    next.crc = "$AAAAAAAA, $BBBBBBBB, $CCCCCCCC";
    rules.maxSize = 50000;
    const std::string kept = Append(Append("", huge.Text(), rules), next.Text(), rules);
    EXPECT_EQ(kept, FileOf({huge.Text(), next.Text()}));
}
