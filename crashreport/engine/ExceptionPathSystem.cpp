#include "ExceptionPathSystem.h"

#include "ExceptionPathUtils.h"
#include "QorOsInfo.h"
#include "QorSettings.h"
#include "QorStrings.h"
#include "QorTools.h"

#include <shlobj.h>

#include <cstring>
#include <vector>

namespace qor {

std::string ModuleFilePath(HMODULE module)
{
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path, length);
}

std::string MakeAbsolute(std::string_view path)
{
    return MakeAbsolutePath(path, ModuleFilePath(nullptr));
}

std::string LibraryTempFolder()
{
    char temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length > MAX_PATH)
        return {};
    std::string folder(temp, length);
    CreateDirectoryA(folder.c_str(), nullptr);
    if (folder.back() != '\\')
        folder += '\\';
    folder += StripExt(StripPath(ModuleFilePath(nullptr))) + ".qorExcept\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void ClearLibraryTempFolder()
{
    const std::string folder = LibraryTempFolder();
    if (folder.empty() || GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "*.*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileA((folder + found.cFileName).c_str()); // failures (".", "..") ignored
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

std::string ComputerNameStr()
{
    char name[MAX_PATH + 1] = {};
    DWORD length = MAX_PATH;
    if (!GetComputerNameA(name, &length))
        return {};
    return std::string(name, length);
}

std::string ReadRegistryText(HKEY root, const std::string& path, const std::string& valueName)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    std::string text;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        size != 0) {
        std::vector<char> buffer(static_cast<size_t>(size) * 2, '\0');
        DWORD read = size * 2;
        if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(buffer.data()), &read) == ERROR_SUCCESS)
            text = type == REG_SZ ? std::string(buffer.data()) : std::string(buffer.data(), read);
    }
    RegCloseKey(key);
    return text;
}

bool WriteRegistryText(HKEY root, const std::string& path, const std::string& valueName,
                       const std::string& text)
{
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const bool written = RegSetValueExA(key, valueName.c_str(), 0, REG_SZ,
                                        reinterpret_cast<const BYTE*>(text.c_str()),
                                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

bool DeleteRegistryValue(HKEY root, const std::string& path, const std::string& valueName)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    const bool deleted = RegDeleteValueA(key, valueName.c_str()) == ERROR_SUCCESS;
    RegCloseKey(key);
    return deleted;
}

int64_t SecondsNow()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<int64_t>(ticks / 10000000u);
}

void EveryoneSecurityAttributes(SECURITY_ATTRIBUTES& attributes, SECURITY_DESCRIPTOR& descriptor)
{
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = &descriptor;
    attributes.bInheritHandle = FALSE;
}

std::string FileVersionText(HMODULE module)
{
    // A version number of 0 is no version (the file has no version information).
    const uint64_t version = FileVersionNumber(ModuleFilePath(module));
    return version == 0 ? std::string() : FileVersionText(version);
}

namespace {

// The version a placeholder names: the module's settings' version text, else the file's
// version number, else "?".
std::string VersionOf(HMODULE module)
{
    std::string text;
    if (const IQEModuleSettings settings = ModuleSettings(module))
        settings->VersionText(text);
    if (text.empty())
        text = FileVersionText(module);
    return text.empty() ? "?" : text;
}

std::string ShellFolder(int folder, const std::string& fallback)
{
    char path[MAX_PATH + 1] = {};
    if (SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK || !path[0])
        return fallback;
    std::string text = path;
    if (text.back() == '\\')
        text.pop_back();
    return text;
}

bool HasText(std::string_view text, std::string_view name)
{
    return LowerStr(text).find(LowerStr(name)) != std::string::npos;
}

} // namespace

std::string ExpandPlaceholders(HMODULE module, std::string_view text, std::string_view classText,
                               std::string_view messageText, std::string_view reportText)
{
    PlaceholderValues values;
    const HMODULE executable = GetModuleHandleA(nullptr);
    values.AppName = StripPath(ModuleFilePath(nullptr));
    values.ModName = StripPath(ModuleFilePath(module));
    // Versions and folders are looked up only when the text asks for them.
    if (HasText(text, "%appversion%"))
        values.AppVersion = VersionOf(executable);
    if (HasText(text, "%modversion%"))
        values.ModVersion = VersionOf(module);
    values.ExceptClass = classText;
    values.ExceptMsg = messageText;
    values.BugReport = reportText;
    SYSTEMTIME now;
    GetLocalTime(&now);
    values.Now = {now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                  now.wMinute, now.wSecond, now.wMilliseconds};
    values.ComputerName = ComputerNameStr();
    const std::string executableFolder = PathOnly(ModuleFilePath(nullptr));
    if (HasText(text, "%userappdata%") || HasText(text, "%commonappdata%")) {
        values.UserAppData = ShellFolder(CSIDL_APPDATA, executableFolder);
        values.CommonAppData = ShellFolder(CSIDL_COMMON_APPDATA, executableFolder);
    }
    return ExpandPlaceholderText(text, values);
}

void CopyToClipboard(std::string_view text)
{
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    if (!OpenClipboard(nullptr))
        return;
    const HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1);
    if (copy != nullptr) {
        auto* bytes = static_cast<char*>(GlobalLock(copy));
        std::memcpy(bytes, text.data(), text.size());
        bytes[text.size()] = '\0';
        GlobalUnlock(copy);
        if (SetClipboardData(CF_TEXT, copy) == nullptr)
            GlobalFree(copy);
    }
    CloseClipboard();
}

} // namespace qor
