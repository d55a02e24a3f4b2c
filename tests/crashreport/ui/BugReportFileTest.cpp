// "bugreport.txt" under Wine: appending, merging a repeated report (the file really shrinks
// when the merged content is shorter), the size cap, files that cannot be written (read-only,
// held open by another writer) keeping their content, and the automatic file name.
#include "BugReportFile.h"

#include "WindowsTempFolder.h"

#include <gtest/gtest.h>

using namespace crashui;

namespace {

std::string Report(const std::string& crc, const std::string& body,
                   const std::string& exceptionClass = "EAccessViolation")
{
    auto line = [](const std::string& name, const std::string& value) {
        return name + std::string(19 - name.size(), ' ') + ": " + value + "\r\n";
    };
    return line("date/time", "2026-12-11, 06:00:00, 000ms") + line("executable", "Brenvik.exe") +
           line("exec. date/time", "11.12.2026 05:00") + line("version", "1.0.0.0") +
           line("current module", "Brenvik.exe") + line("module date/time", "11.12.2026 05:00") +
           line("exception class", exceptionClass) +
           line("exception message", "Access violation.") + line("callstack crc", crc) + "\r\n" +
           body;
}

const std::string CrcA = "$11111111, $22222222, $33333333";
const std::string CrcB = "$44444444, $55555555, $66666666";

} // namespace

TEST(BugReportFile, AppendsAndMergesARepeatIntoAShorterFile)
{
    TTempFolder folder;
    const std::string name = folder.AnsiFile("bugreport.txt");
    TBugReportFileSettings settings;
    const std::string longA = Report(CrcA, std::string(5000, 'a'));
    const std::string b = Report(CrcB, "b");
    const std::string shortA = Report(CrcA, "short");
    ASSERT_TRUE(WriteBugReportFile(name, longA, nullptr, settings, true));
    ASSERT_TRUE(WriteBugReportFile(name, b, nullptr, settings, true));
    EXPECT_EQ(ReadWholeFile(folder.File(L"bugreport.txt")), longA + "\r\n\r\n" + b + "\r\n\r\n");

    // The repeat replaces the long report: the file ends up shorter than it was.
    ASSERT_TRUE(WriteBugReportFile(name, shortA, nullptr, settings, true));
    std::string counted = shortA;
    counted.insert(counted.find("\r\n", counted.find("callstack crc")),
                   "\r\ncount              : 2");
    EXPECT_EQ(ReadWholeFile(folder.File(L"bugreport.txt")), b + "\r\n\r\n" + counted + "\r\n\r\n");
}

TEST(BugReportFile, SizeCapCutsWholeReportsAndAppendingOffReplaces)
{
    TTempFolder folder;
    const std::string name = folder.AnsiFile("capped.txt");
    TBugReportFileSettings settings;
    settings.rules.maxSize = 20000;
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(WriteBugReportFile(
            name, Report("$" + std::to_string(10000000 + i) + ", $0, $0", std::string(3000, 'x')),
            nullptr, settings, true));
    const std::string file = ReadWholeFile(folder.File(L"capped.txt"));
    EXPECT_LT(file.size(), 20000u + 3500u);
    EXPECT_EQ(file.substr(0, 9), "date/time");
    EXPECT_NE(file.find("$10000019"), std::string::npos);
    EXPECT_EQ(file.find("$10000000"), std::string::npos);

    settings.rules.append = false;
    ASSERT_TRUE(WriteBugReportFile(name, Report(CrcB, "only"), nullptr, settings, true));
    EXPECT_EQ(ReadWholeFile(folder.File(L"capped.txt")), Report(CrcB, "only") + "\r\n\r\n");
}

TEST(BugReportFile, FileWeCannotWriteIsReportedAndKeepsItsContent)
{
    // Ways another party keeps the file from us. (The read-only attribute cannot be used here:
    // Wine maps it to Unix permissions, which do not bind a process running as root.)
    struct Holder {
        const char* what;
        DWORD access;
        DWORD share;
    };
    const Holder holders[] = {
        {"a writer holding it without sharing", GENERIC_READ | GENERIC_WRITE, 0},
        {"a reader that lets nobody write", GENERIC_READ, FILE_SHARE_READ},
    };
    for (const Holder& holder : holders) {
        TTempFolder folder;
        const std::string name = folder.AnsiFile("bugreport.txt");
        TBugReportFileSettings settings;
        const std::string first = Report(CrcA, "first");
        ASSERT_TRUE(WriteBugReportFile(name, first, nullptr, settings, true)) << holder.what;
        const std::string before = ReadWholeFile(folder.File(L"bugreport.txt"));

        HANDLE other = CreateFileA(name.c_str(), holder.access, holder.share, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(other, INVALID_HANDLE_VALUE) << holder.what;
        EXPECT_FALSE(WriteBugReportFile(name, first, nullptr, settings, true)) << holder.what;
        CloseHandle(other);
        EXPECT_EQ(ReadWholeFile(folder.File(L"bugreport.txt")), before) << holder.what;
    }
}

TEST(BugReportFile, AutomaticNameIsTheSettingBesideTheExecutable)
{
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string exeFolder = exe;
    exeFolder.resize(exeFolder.find_last_of('\\') + 1);
    std::string exeName = std::string(exe).substr(exeFolder.size());
    exeName.resize(exeName.rfind('.'));

    TBugReportFileSettings settings;
    settings.bugRepFile = "reports-%APPNAME%\\sub\\%ModName%.txt";
    settings.moduleFileName = "C:\\Program Files\\Brenvik\\plugin.dll";
    EXPECT_EQ(BugReportFileName(settings), "reports-" + exeName + "\\sub\\plugin.txt");

    const std::string expected = exeFolder + "reports-" + exeName + "\\sub\\plugin.txt";
    ASSERT_TRUE(WriteBugReportFile("", Report(CrcA, "auto"), nullptr, settings, true));
    HANDLE file = CreateFileA(expected.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << expected;
    CloseHandle(file);
    DeleteFileA(expected.c_str());
    RemoveDirectoryA((exeFolder + "reports-" + exeName + "\\sub").c_str());
    RemoveDirectoryA((exeFolder + "reports-" + exeName).c_str());

    const std::string desktop = DesktopFolder();
    EXPECT_FALSE(desktop.empty());
    EXPECT_EQ(desktop.back(), '\\');
}
