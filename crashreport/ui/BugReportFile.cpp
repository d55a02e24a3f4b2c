#include "BugReportFile.h"

#include "QorLoaderLock.h"

#include "core/SysUtils.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <vector>

namespace crashui {

namespace {

std::string ExecutableName()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file name without folder and extension.
std::string BareName(const std::string& path)
{
    std::string name = path.substr(FolderOf(path).size());
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

void ReplaceIgnoringCase(std::string& text, const std::string& placeholder,
                         const std::string& value)
{
    auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return s;
    };
    const std::string key = lower(placeholder);
    for (size_t at = lower(text).find(key); at != std::string::npos;
         at = lower(text).find(key, at + value.size()))
        text.replace(at, placeholder.size(), value);
}

// Relative paths are taken from the executable's folder.
std::string MakeAbsolute(const std::string& path)
{
    const bool rooted = (path.size() >= 2 && path[1] == ':') ||
                        (!path.empty() && (path[0] == '\\' || path[0] == '/'));
    return rooted ? path : FolderOf(ExecutableName()) + path;
}

bool ChooseFile(std::string& name, HWND parent, const std::string& title)
{
    const std::string initialFolder =
        name.find('\\') == std::string::npos ? DesktopFolder() : FolderOf(MakeAbsolute(name));
    char buffer[MAX_PATH] = {};
    name.substr(FolderOf(name).size()).copy(buffer, MAX_PATH - 1);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = parent;
    dialog.lpstrFilter = "*.txt\0*.txt\0";
    dialog.lpstrFile = buffer;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = initialFolder.c_str();
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = "txt";
    dialog.Flags = OFN_HIDEREADONLY | OFN_NOREADONLYRETURN;
    if (!GetSaveFileNameA(&dialog))
        return false;
    name = buffer;
    return true;
}

// Merges and trims the file's old content in a mapping of it; returns the size kept, or the
// whole size when the file cannot be mapped (the report is then simply appended).
uint64_t WorkOnOldContent(HANDLE file, uint64_t size, std::string& report,
                          const TBugReportRules& rules)
{
    if (size > SIZE_MAX)
        return size;
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 0, nullptr);
    if (!mapping)
        return size;
    uint64_t kept = size;
    if (void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0)) {
        kept = MergeAndTrim(static_cast<char*>(view), static_cast<size_t>(size), report, rules);
        // Unmapped here, before the caller cuts the file: a file with a mapped view cannot
        // shrink, and the moved content would stay followed by its old tail.
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    return kept;
}

} // namespace

std::string BugReportFileName(const TBugReportFileSettings& settings)
{
    std::string name = settings.bugRepFile;
    ReplaceIgnoringCase(name, "%appname%", BareName(ExecutableName()));
    ReplaceIgnoringCase(name, "%modname%", BareName(settings.moduleFileName));
    return name;
}

std::string DesktopFolder()
{
    using TGetFolder = BOOL(WINAPI*)(HWND, LPWSTR, int, BOOL);
    std::string folder;
    HMODULE shell = LoadLibraryA("shell32.dll");
    auto getFolder = shell ? reinterpret_cast<TGetFolder>(reinterpret_cast<void*>(
                                 GetProcAddress(shell, "SHGetSpecialFolderPathW")))
                           : nullptr;
    wchar_t path[MAX_PATH] = {};
    if (getFolder && getFolder(nullptr, path, CSIDL_DESKTOPDIRECTORY, TRUE))
        folder = classlib::WideToAnsi(path);
    if (shell)
        FreeLibrary(shell);
    if (folder.empty())
        return FolderOf(ExecutableName());
    if (folder.back() != '\\')
        folder += '\\';
    return folder;
}

bool ForceFolders(const std::string& filePath)
{
    std::string folder = FolderOf(filePath);
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    if (folder.empty())
        return false;
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    ForceFolders(folder); // its parent first
    return CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool WriteBugReportFile(const std::string& fileName, std::string report, HWND parent,
                        const TBugReportFileSettings& settings, bool automatic)
{
    std::string target = fileName;
    if (target.empty()) {
        target = BugReportFileName(settings);
        if (automatic)
            target = MakeAbsolute(target);
        else if (qor::LoaderLockHeld(250)) {
            // The save dialog could deadlock while the loader lock is held.
            MessageBeep(0);
            return false;
        } else if (!ChooseFile(target, parent, settings.saveDialogTitle))
            return false;
    }
    ForceFolders(target);
    HANDLE file = CreateFileA(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    uint64_t position = 0;
    LARGE_INTEGER size{};
    if (settings.rules.append && GetFileSizeEx(file, &size)) {
        position = static_cast<uint64_t>(size.QuadPart);
        if (OldContentNeedsWork(report, position, settings.rules))
            position = WorkOnOldContent(file, position, report, settings.rules);
    }
    report += "\r\n\r\n";
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(position);
    DWORD written = 0;
    const bool ok =
        SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
        WriteFile(file, report.data(), static_cast<DWORD>(report.size()), &written, nullptr) &&
        written == report.size() && SetEndOfFile(file);
    CloseHandle(file);
    return ok;
}

TBugReportFileSettings BugReportFileSettingsOf(qor::IQESettings& settings)
{
    TBugReportFileSettings file;
    file.bugRepFile = settings.StrProp("BugRepFile");
    char path[MAX_PATH] = {};
    const DWORD length =
        GetModuleFileNameA(reinterpret_cast<HMODULE>(settings.ModuleHandle()), path, MAX_PATH);
    file.moduleFileName.assign(path, length < MAX_PATH ? length : 0);
    file.saveDialogTitle = settings.SaveBtnTxt();
    file.rules.append = settings.BoolProp("AppendBugReps");
    file.rules.maxSize = static_cast<uint32_t>(std::max(settings.IntProp("BugRepFileSize"), 0));
    file.rules.noDupExcepts = settings.BoolProp("NoDupExcepts");
    file.rules.dupExceptDef = settings.IntProp("DupExceptDef");
    file.rules.noDupFreezes = settings.BoolProp("NoDupFreezes");
    file.rules.dupFreezeDef = settings.IntProp("DupFreezeDef");
    return file;
}

bool WriteBugReportFile(const std::string& fileName, std::string report, HWND parent,
                        qor::IQESettings& settings, bool automatic)
{
    if (!WriteBugReportFile(fileName, std::move(report), parent, BugReportFileSettingsOf(settings),
                            automatic))
        return false;
    if (fileName.empty() && automatic)
        if (auto* exception = dynamic_cast<qor::IQEExceptionEx*>(&settings))
            exception->SetReportSaved(true);
    return true;
}

} // namespace crashui
