// The real Brenvik.exe keeps its settings across restarts: a private copy runs in a folder of
// its own (its "Settings.ini" lives beside it), is moved and changed through its window from
// this process, closed with WM_CLOSE and started again. The file is checked byte for byte and
// read back by Windows' own INI reader and by Python's configparser; a read-only file, a
// killed process and damaged files are handled without harm.
#include "FileBytes.h"
#include "ProgramCopy.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace program_copy;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

std::string Printf(const char* format, int a, int b, int c, int d)
{
    char text[128];
    snprintf(text, sizeof text, format, a, b, c, d);
    return text;
}

std::string ScreenSizeSuffix()
{
    return "(" + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
           std::to_string(GetSystemMetrics(SM_CYSCREEN)) + ")";
}

int ScreenPixelsPerInch()
{
    HDC dc = GetDC(nullptr);
    const int ppi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return ppi;
}

// The Unix name of a file (its last part may not exist yet), empty outside Wine.
std::string UnixFileName(const std::string& windowsName)
{
    using Convert = char*(CDECL*)(const wchar_t*);
    auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert)
        return std::string();
    const std::wstring wide(windowsName.begin(), windowsName.end());
    char* unixName = convert(wide.c_str());
    if (!unixName)
        return std::string();
    std::string result = unixName;
    HeapFree(GetProcessHeap(), 0, unixName);
    return result;
}

// Python's configparser, a reader independent of the program's, reads the file: the lines
// "section|key|value" of read_settings.py. Wine starts a Unix program without a process to
// wait for, so its output file is awaited.
std::vector<std::string> ReadWithConfigParser(const std::string& settingsFile)
{
    const std::string output = settingsFile + ".parsed";
    std::string commandLine = "python3 \"" BRENVIK_READ_SETTINGS_SCRIPT "\" \"" +
                              UnixFileName(settingsFile) + "\" \"" + UnixFileName(output) + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA("Z:\\usr\\bin\\python3", commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &si, &info)) {
        ADD_FAILURE() << "python3 does not start: " << GetLastError();
        return {};
    }
    if (info.hProcess)
        CloseHandle(info.hProcess);
    if (info.hThread)
        CloseHandle(info.hThread);
    const DWORD start = GetTickCount();
    while (GetFileAttributesA(output.c_str()) == INVALID_FILE_ATTRIBUTES &&
           GetTickCount() - start < StartLimitMs)
        Sleep(50);
    std::vector<std::string> lines;
    std::ifstream in(output, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    in.close();
    DeleteFileA(output.c_str());
    return lines;
}

// The program's main window, driven from this process.
class SettingsWindow : public Program {
public:
    explicit SettingsWindow(const PrivateCopy& copy) : Program(copy), window_(WaitForMainWindow())
    {
    }

    HWND Window() const { return window_; }

    RECT Rect() const
    {
        RECT r{};
        GetWindowRect(window_, &r);
        return r;
    }

    void MoveTo(int left, int top) const
    {
        SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // "Close when finished" is clicked as a button reports a click: BN_CLICKED to its parent.
    // Toggles the office check box with the Space key (it sits on a hidden panel, so the mouse
    // cannot focus it). Its state is not readable from outside the program: the tests see it
    // in the settings file the program writes.
    void ClickCloseWhenFinished() const
    {
        HWND box = Child("TAdvOfficeCheckBox", "Close when finished");
        SendMessageA(box, WM_KEYDOWN, VK_SPACE, 1);
        SendMessageA(box, WM_KEYUP, VK_SPACE, 1u | (1u << 30) | (1u << 31));
    }

private:
    HWND window_;
};

// The values the main window writes, in the order of the file.
struct Settings {
    int showCmd = SW_SHOWNORMAL;
    std::string minMaxPos;
    RECT normPos{};
    bool closeWhenFinished = false;
    std::string initialDir;
    std::string fileName;
    int mcuIndex = -1;

    std::string FileText() const
    {
        const std::string suffix = ScreenSizeSuffix();
        const std::string norm =
            Printf("%d,%d,%d,%d", normPos.left, normPos.top, normPos.right, normPos.bottom);
        return "[frmDovrel]\r\n"
               "FormVersion=0\r\n"
               "ShowCmd=" +
               std::to_string(showCmd) +
               "\r\n"
               // A window that was never maximized carries no placement flags.
               "Flags=0\r\n"
               "PixelsPerInch=" +
               std::to_string(ScreenPixelsPerInch()) +
               "\r\n"
               "MinMaxPos" +
               suffix + "=" + minMaxPos +
               "\r\n"
               "MinMaxPos=" +
               minMaxPos +
               "\r\n"
               "NormPos" +
               suffix + "=" + norm +
               "\r\n"
               "NormPos=" +
               norm +
               "\r\n"
               "CheckBoxClose_Checked=" +
               (closeWhenFinished ? "TRUE" : "FALSE") +
               "\r\n"
               "OpenDialog1_InitialDir=" +
               initialDir +
               "\r\n"
               "OpenDialog1_FileName=" +
               fileName +
               "\r\n"
               "MCUComboBox_ItemIndex=" +
               std::to_string(mcuIndex) +
               "\r\n"
               "\r\n";
    }
};

// The value of a key as the file holds it (empty when missing).
std::string ValueOf(const std::string& text, const std::string& key)
{
    const std::string start = "\r\n" + key + "=";
    const size_t at = text.find(start);
    if (at == std::string::npos)
        return std::string();
    const size_t from = at + start.size();
    return text.substr(from, text.find("\r\n", from) - from);
}

RECT Moved(RECT r, int left, int top)
{
    OffsetRect(&r, left - r.left, top - r.top);
    return r;
}

bool OnScreen(const RECT& r)
{
    return r.left >= 0 && r.top >= 0 && r.right <= GetSystemMetrics(SM_CXSCREEN) &&
           r.bottom <= GetSystemMetrics(SM_CYSCREEN);
}

testing::AssertionResult SameRect(const RECT& a, const RECT& b)
{
    if (EqualRect(&a, &b))
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << Printf("(%d,%d,%d,%d)", a.left, a.top, a.right, a.bottom) << " vs "
           << Printf("(%d,%d,%d,%d)", b.left, b.top, b.right, b.bottom);
}

class SettingsRestart : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(copy.Missing(), ""); }

    std::vector<std::string> FolderFiles() const { return copy.Files(); }

    // The window where the layout puts it, measured once with no settings file.
    RECT DesignedRect()
    {
        DeleteFileA(settings.c_str());
        SettingsWindow program(copy);
        EXPECT_NE(program.Window(), nullptr);
        const RECT r = program.Rect();
        EXPECT_TRUE(program.Close());
        DeleteFileA(settings.c_str());
        return r;
    }

    PrivateCopy copy{"settings"};
    const std::string settings = copy.Path("Settings.ini");
};

TEST_F(SettingsRestart, FirstRunWritesTheDocumentedFileAndTheNextRunRestoresIt)
{
    Settings expected;
    {
        SettingsWindow program(copy);
        ASSERT_NE(program.Window(), nullptr);
        program.MoveTo(300, 200);
        program.ClickCloseWhenFinished();
        expected.normPos = program.Rect();
        EXPECT_EQ(expected.normPos.left, 300);
        EXPECT_EQ(expected.normPos.top, 200);
        ASSERT_TRUE(program.Close());
    }
    const std::string written = ReadBytes(settings);
    expected.closeWhenFinished = true;
    // The minimized and maximized positions are the platform's; both copies must agree.
    expected.minMaxPos = ValueOf(written, "MinMaxPos");
    EXPECT_EQ(ValueOf(written, "MinMaxPos" + ScreenSizeSuffix()), expected.minMaxPos);
    int words[4];
    char end;
    EXPECT_EQ(sscanf(expected.minMaxPos.c_str(), "%d,%d,%d,%d%c", &words[0], &words[1], &words[2],
                     &words[3], &end),
              4)
        << expected.minMaxPos;
    EXPECT_EQ(written, expected.FileText());

    // Windows' own INI reader sees the same values.
    char value[256];
    GetPrivateProfileStringA("frmDovrel", "NormPos", "", value, sizeof value, settings.c_str());
    EXPECT_EQ(std::string(value), Printf("%d,%d,%d,%d", expected.normPos.left, expected.normPos.top,
                                         expected.normPos.right, expected.normPos.bottom));
    GetPrivateProfileStringA("frmDovrel", "CheckBoxClose_Checked", "", value, sizeof value,
                             settings.c_str());
    EXPECT_STREQ(value, "TRUE");
    EXPECT_EQ(GetPrivateProfileIntA("frmDovrel", "MCUComboBox_ItemIndex", 7, settings.c_str()), -1);
    EXPECT_EQ(GetPrivateProfileIntA("frmDovrel", "ShowCmd", 0, settings.c_str()), SW_SHOWNORMAL);

    // So does Python's configparser, key for key in the file's order.
    std::vector<std::string> keys;
    std::istringstream lines(written);
    for (std::string line; std::getline(lines, line);)
        if (line.find('=') != std::string::npos)
            keys.push_back(
                "frmDovrel|" + line.substr(0, line.find('=')) + "|" +
                line.substr(line.find('=') + 1, line.size() - line.find('=') - 2)); // without CR
    EXPECT_EQ(keys.size(), 12u);
    EXPECT_EQ(ReadWithConfigParser(settings), keys);

    // Started again: the window comes back where it was, with the box checked, and an
    // unchanged run writes the same bytes.
    {
        SettingsWindow program(copy);
        ASSERT_NE(program.Window(), nullptr);
        EXPECT_TRUE(SameRect(program.Rect(), expected.normPos));
        ASSERT_TRUE(program.Close());
    }
    EXPECT_EQ(ReadBytes(settings), written);
    EXPECT_EQ(FolderFiles(), (std::vector<std::string>{"Brenvik.exe", "Settings.ini"}));
}

TEST_F(SettingsRestart, StoredValuesPassThroughARunUnchanged)
{
    // A file as the program writes it, with values of its own: all of them reach the window's
    // components at start and come back from them at exit.
    const RECT designed = DesignedRect();
    Settings stored;
    stored.normPos = Moved(designed, 420, 260);
    stored.minMaxPos = "-1,-1,-1,-1";
    stored.closeWhenFinished = true;
    stored.initialDir = "Z:\\firmware\\boards";
    stored.fileName = "Z:\\firmware\\boards\\blink led.hex";
    WriteBytes(settings, stored.FileText());
    {
        SettingsWindow program(copy);
        ASSERT_NE(program.Window(), nullptr);
        EXPECT_TRUE(SameRect(program.Rect(), stored.normPos));
        ASSERT_TRUE(program.Close());
    }
    EXPECT_EQ(ReadBytes(settings), stored.FileText());

    // Keys the program does not know stay, and an existing file keeps its order.
    const std::string foreign = "[Other]\r\nKey=1\r\n\r\n[frmDovrel]\r\nNormPos=" +
                                Printf("%d,%d,%d,%d", stored.normPos.left, stored.normPos.top,
                                       stored.normPos.right, stored.normPos.bottom) +
                                "\r\nCheckBoxClose_Checked=no\r\nExtra=kept\r\n\r\n";
    WriteBytes(settings, foreign);
    {
        SettingsWindow program(copy);
        ASSERT_NE(program.Window(), nullptr);
        ASSERT_TRUE(program.Close());
    }
    const std::string rewritten = ReadBytes(settings);
    EXPECT_EQ(rewritten.rfind("[Other]\r\nKey=1\r\n\r\n[frmDovrel]\r\nNormPos=", 0), 0u)
        << rewritten;
    EXPECT_NE(rewritten.find("\r\nCheckBoxClose_Checked=FALSE\r\nExtra=kept\r\nFormVersion=0\r\n"),
              std::string::npos)
        << rewritten;
}

// Closed while the application was minimized, the program wrote "ShowCmd" 2: the next start
// minimizes the application once the window is shown, and closing it then keeps the 2.
TEST_F(SettingsRestart, MinimizedApplicationStartsMinimized)
{
    const RECT designed = DesignedRect();
    Settings stored;
    stored.showCmd = SW_SHOWMINIMIZED;
    stored.normPos = Moved(designed, 300, 200);
    stored.minMaxPos = "-1,-1,-1,-1";
    WriteBytes(settings, stored.FileText());
    {
        SettingsWindow program(copy);
        ASSERT_NE(program.Window(), nullptr);
        HWND application = nullptr;
        for (HWND w : program.Windows())
            if (ClassOf(w) == "ClasslibApplication")
                application = w;
        ASSERT_NE(application, nullptr);
        const DWORD start = GetTickCount();
        while (!IsIconic(application) && GetTickCount() - start < 10000)
            Sleep(20);
        EXPECT_TRUE(IsIconic(application));
        ASSERT_TRUE(program.Close());
    }
    EXPECT_EQ(ValueOf(ReadBytes(settings), "ShowCmd"), "2");
}

TEST_F(SettingsRestart, ReadOnlyFileIsLeftByteIdentical)
{
    const std::string original = "[frmDovrel]\r\nCheckBoxClose_Checked=yes\r\nNormPos=1,2,3\r\n";
    WriteBytes(settings, original);
    SetFileAttributesA(settings.c_str(), FILE_ATTRIBUTE_READONLY);
    {
        SettingsWindow program(copy);
        ASSERT_NE(program.Window(), nullptr);
        program.MoveTo(50, 60);
        program.ClickCloseWhenFinished();
        ASSERT_TRUE(program.Close());
    }
    EXPECT_EQ(ReadBytes(settings), original);
    EXPECT_EQ(GetFileAttributesA(settings.c_str()) & FILE_ATTRIBUTE_READONLY,
              DWORD{FILE_ATTRIBUTE_READONLY});
    EXPECT_EQ(FolderFiles(), (std::vector<std::string>{"Brenvik.exe", "Settings.ini"}));
}

TEST_F(SettingsRestart, KilledProcessLeavesTheOldFileIntact)
{
    const std::string original =
        "[frmDovrel]\r\nFormVersion=0\r\nCheckBoxClose_Checked=TRUE\r\n\r\n";
    WriteBytes(settings, original);
    {
        SettingsWindow program(copy);
        ASSERT_NE(program.Window(), nullptr);
        program.MoveTo(70, 80);
        program.ClickCloseWhenFinished();
        program.Kill();
    }
    EXPECT_EQ(ReadBytes(settings), original);
    EXPECT_EQ(FolderFiles(), (std::vector<std::string>{"Brenvik.exe", "Settings.ini"}));
}

TEST_F(SettingsRestart, DamagedFileStartsTheWindowOnTheScreen)
{
    const RECT designed = DesignedRect();
    ASSERT_TRUE(OnScreen(designed));
    const std::string suffix = ScreenSizeSuffix();
    struct Case {
        const char* what;
        std::string text;
        POINT origin; // where the window opens: Designed where the layout puts it, Anywhere on the
                      // screen
    };
    const POINT Designed{-1, -1};
    const POINT Anywhere{-2, -2};
    const char binary[] =
        "[frmDovrel]\r\nNormPos=1\0"
        "2,3,4\r\n\x01\x02\xff=\xfe\r\n";
    const std::vector<Case> cases = {
        {"words that are no numbers",
         "[frmDovrel]\r\nFormVersion=zero\r\nShowCmd=zz\r\nFlags=?\r\nPixelsPerInch="
         "many\r\nMinMaxPos=a,b,c,d\r\n"
         "NormPos=abc,def,ghi,jkl\r\nCheckBoxClose_Checked=perhaps\r\nMCUComboBox_ItemIndex="
         "12abc\r\n",
         Designed},
        {"numbers that overflow",
         "[frmDovrel]\r\nFlags=99999999999999999999\r\nNormPos=99999999999,99999999999,99999999999,"
         "99999999999\r\n"
         "MinMaxPos=-99999999999,1,2,3\r\nMCUComboBox_ItemIndex=4294967296\r\n",
         Designed},
        {"a size that overflows at a readable place",
         "[frmDovrel]\r\nNormPos=100,90,2147483647,2147483647\r\n", Designed},
        {"missing words", "[frmDovrel]\r\nNormPos=,,,\r\nMinMaxPos=\r\nShowCmd=\r\n", Designed},
        {"only a left edge", "[frmDovrel]\r\nNormPos=300\r\n", {300, designed.top}},
        {"left not below right", "[frmDovrel]\r\nNormPos=500,300,400,600\r\n", Designed},
        {"top not below bottom", "[frmDovrel]\r\nNormPos=500,300,900,300\r\n", Designed},
        {"a place no screen shows",
         "[frmDovrel]\r\nNormPos" + suffix + "=-30000,-30000,-29000,-29000\r\n", Designed},
        {"line feeds alone",
         "[frmDovrel]\nShowCmd=1\nNormPos=310,210," +
             std::to_string(310 + designed.right - designed.left) + "," +
             std::to_string(210 + designed.bottom - designed.top) + "\n",
         {310, 210}},
        {"carriage returns alone and blanks",
         "  [ frmDovrel ]  \r  NormPos =  320 , 220  \r\r\r",
         {320, 220}},
        {"no section", "NormPos=10,10,400,400\r\nShowCmd=3\r\n", Designed},
        {"bytes that are no text", std::string(binary, sizeof binary - 1), Anywhere},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(settings, c.text);
        SettingsWindow program(copy);
        ASSERT_NE(program.Window(), nullptr);
        const RECT r = program.Rect();
        const POINT origin = c.origin.x == Designed.x   ? POINT{designed.left, designed.top}
                             : c.origin.x == Anywhere.x ? POINT{r.left, r.top}
                                                        : c.origin;
        EXPECT_TRUE(SameRect(r, Moved(designed, origin.x, origin.y)));
        EXPECT_TRUE(OnScreen(r));
        ASSERT_TRUE(program.Close());
        // What the program writes back is sound again.
        const std::string written = ReadBytes(settings);
        char value[256];
        GetPrivateProfileStringA("frmDovrel", "NormPos", "", value, sizeof value, settings.c_str());
        EXPECT_EQ(std::string(value), Printf("%d,%d,%d,%d", r.left, r.top, r.right, r.bottom))
            << written;
        GetPrivateProfileStringA("frmDovrel", "CheckBoxClose_Checked", "", value, sizeof value,
                                 settings.c_str());
        EXPECT_STREQ(value, "FALSE") << written;
    }
}

TEST_F(SettingsRestart, ProgramStartsItsUtilityModulesAndStopsThemAtExit)
{
    // The unit-version registry that the utility modules' start-up creates is found through
    // objects named after the process; its shut-down empties the shared slot.
    SettingsWindow program(copy);
    ASSERT_NE(program.Window(), nullptr);
    const std::string pid = std::to_string(program.ProcessId());
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, ("MutexNPA_UnitVersioning_" + pid).c_str());
    EXPECT_NE(mutex, nullptr);
    HANDLE mapping =
        OpenFileMappingA(FILE_MAP_READ, FALSE, ("ShmNPA_UnitVersioning_" + pid).c_str());
    ASSERT_NE(mapping, nullptr);
    auto* slot = static_cast<const volatile uint32_t*>(
        MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(uint32_t)));
    ASSERT_NE(slot, nullptr);
    EXPECT_NE(*slot, 0u); // the registry's address
    ASSERT_TRUE(program.Close());
    EXPECT_EQ(*slot, 0u);
    UnmapViewOfFile(const_cast<uint32_t*>(slot));
    CloseHandle(mapping);
    if (mutex)
        CloseHandle(mutex);
}

} // namespace
