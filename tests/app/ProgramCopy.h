#pragma once
// The real Brenvik.exe out of process: a private copy in a temporary folder of its own (so its
// "Settings.ini" and whatever else it keeps beside itself are the test's alone), started and
// driven from the test through its windows, closed as a user closes it, or killed.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace program_copy {

inline constexpr DWORD StartLimitMs = 30000;
inline constexpr DWORD ExitLimitMs = 30000;

// The build's Brenvik.exe, seen from inside Wine (the build tree is on drive Z:).
inline std::string BuiltProgram()
{
    std::string path = "Z:" BRENVIK_EXE_UNIX_PATH;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

inline std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The window's text; empty when its thread does not answer.
inline std::string TextOf(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return {};
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    text.resize(copied);
    return text;
}

// Wine chooses a program's DLL overrides by its file name when it starts: Brenvik.exe loads the
// fake HID.dll and SetupApi.dll from its own folder.
inline void UseSimulatedDevicesLibraries()
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Brenvik.exe\\DllOverrides",
                        0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    static const char value[] = "native,builtin";
    for (const char* dll : {"hid", "setupapi"})
        RegSetValueExA(key, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
    RegCloseKey(key);
}

// A folder of its own under the temporary folder holding a copy of the program and of the
// named files from beside the test program; removed with everything in it.
class PrivateCopy {
public:
    explicit PrivateCopy(const std::string& label,
                         std::initializer_list<const char*> besideTest = {})
    {
        char self[MAX_PATH], temp[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        GetTempPathA(MAX_PATH, temp);
        static int serial = 0;
        folder_ = std::string(temp) + "brenvik-" + label + "-" +
                  std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial) + "\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
        if (!CopyFileA(BuiltProgram().c_str(), Path("Brenvik.exe").c_str(), FALSE))
            missing_ += BuiltProgram() + " ";
        std::string testFolder = self;
        testFolder.erase(testFolder.find_last_of('\\') + 1);
        for (const char* file : besideTest)
            if (!CopyFileA((testFolder + file).c_str(), Path(file).c_str(), FALSE))
                missing_ += std::string(file) + " ";
    }
    ~PrivateCopy()
    {
        for (const std::string& name : Files()) {
            SetFileAttributesA(Path(name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(Path(name).c_str());
        }
        RemoveDirectoryA(folder_.c_str());
    }
    PrivateCopy(const PrivateCopy&) = delete;
    PrivateCopy& operator=(const PrivateCopy&) = delete;

    std::string Path(const std::string& name) const { return folder_ + name; }
    // The files that could not be copied; empty when all are there.
    const std::string& Missing() const { return missing_; }

    // The names of the files in the folder, sorted.
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA(Path("*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            return names;
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(data.cFileName);
        } while (FindNextFileA(find, &data));
        FindClose(find);
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string folder_;
    std::string missing_;
};

struct WindowSearch {
    explicit WindowSearch(DWORD processId, const char* className = nullptr,
                          const char* text = nullptr, bool firstOnly = false)
        : processId(processId), className(className), text(text), firstOnly(firstOnly)
    {
    }
    DWORD processId;
    const char* className; // any when null
    const char* text;      // any when null
    bool firstOnly;
    std::vector<HWND> found;
};

inline BOOL CALLBACK MatchWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || (search->className && ClassOf(window) != search->className) ||
        (search->text && TextOf(window) != search->text))
        return TRUE;
    search->found.push_back(window);
    return !search->firstOnly;
}

// The program running in a process of its own; ended by force if a test leaves it running.
class Program {
public:
    // Starts the copy with the given arguments. The working folder is not the program's unless
    // one is given, so that what the program keeps beside itself is found there.
    explicit Program(const PrivateCopy& copy, const std::string& arguments = "",
                     const std::string& workingFolder = "")
    {
        std::string commandLine =
            "\"" + copy.Path("Brenvik.exe") + "\"" + (arguments.empty() ? "" : " " + arguments);
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, MAX_PATH);
        STARTUPINFOA si{};
        si.cb = sizeof si;
        started_ = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  workingFolder.empty() ? windows : workingFolder.c_str(), &si,
                                  &info_) != FALSE;
    }
    ~Program()
    {
        if (!started_)
            return;
        if (!Ended(0))
            Kill();
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return started_; }
    DWORD ProcessId() const { return info_.dwProcessId; }

    // The program's top-level windows.
    std::vector<HWND> Windows() const
    {
        WindowSearch search(info_.dwProcessId);
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // The main window, or null while there is none.
    HWND MainWindow() const
    {
        WindowSearch search(info_.dwProcessId, "ClasslibTDovrel", nullptr, true);
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.found.empty() ? nullptr : search.found.front();
    }

    // Waits until the main window is shown; null when it is not within the limit or the process
    // ended first.
    HWND WaitForMainWindow(DWORD limitMs = StartLimitMs) const
    {
        const DWORD start = GetTickCount();
        while (started_ && GetTickCount() - start < limitMs) {
            HWND window = MainWindow();
            if (window && IsWindowVisible(window))
                return window;
            if (Ended(50))
                break;
        }
        return nullptr;
    }

    // The first child window of the main window with the given class and text.
    HWND Child(const char* className, const char* text) const
    {
        WindowSearch search(info_.dwProcessId, className, text, true);
        if (HWND main = MainWindow())
            EnumChildWindows(main, MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.found.empty() ? nullptr : search.found.front();
    }

    // WM_CLOSE to the main window, as its close button sends it; true when the process then
    // ends by itself with exit code 0.
    bool Close() const
    {
        if (HWND main = MainWindow())
            PostMessageA(main, WM_CLOSE, 0, 0);
        return Ended(ExitLimitMs) && ExitCode() == 0;
    }

    void Kill() const
    {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, ExitLimitMs);
    }

    bool Ended(DWORD limitMs) const
    {
        return WaitForSingleObject(info_.hProcess, limitMs) == WAIT_OBJECT_0;
    }

    DWORD ExitCode() const
    {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }

private:
    bool started_ = false;
    PROCESS_INFORMATION info_{};
};

} // namespace program_copy
