#include "BcFileUtilsWin.h"

#include "BcErrors.h"
#include "BcPaths.h"
#include "BcResourceTexts.h"
#include "BcStrings.h"
#include "BcSynch.h"

#include <shlobj.h>

#include <cstring>

namespace bcl {

bool FileExistsNotFolder(const std::string& fileName)
{
    if (fileName.empty())
        return false;
    const DWORD attributes = GetFileAttributesA(fileName.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ModuleFileName(HMODULE module)
{
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(module, buffer, sizeof(buffer));
    return std::string(buffer, length);
}

std::string TempFolderWithSeparator()
{
    const DWORD size = GetTempPathA(0, nullptr);
    std::string path(size, '\0');
    if (size > 0)
        GetTempPathA(size, path.data());
    CutAtZeroChar(path);
    return path;
}

std::string WindowsTempFolder()
{
    return PathDropSeparator(TempFolderWithSeparator());
}

std::string WindowsFolder()
{
    const UINT size = GetWindowsDirectoryA(nullptr, 0);
    if (size == 0)
        return {};
    std::string path(size, '\0');
    GetWindowsDirectoryA(path.data(), size);
    CutAtZeroChar(path);
    return path;
}

std::string SpecialFolderPath(int folderId)
{
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, folderId, &items)))
        return {};
    char buffer[MAX_PATH] = {};
    std::string path;
    if (SHGetPathFromIDListA(items, buffer))
        path.assign(buffer, strnlen(buffer, sizeof(buffer)));
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
        if (allocator->DidAlloc(items) != 0)
            allocator->Free(items);
        allocator->Release();
    }
    return path;
}

std::string AppDataFolder()
{
    return SpecialFolderPath(CSIDL_APPDATA);
}

TBcFileVersionInfo ReadFileVersionInfo(const std::string& fileName)
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &handle);
    if (size == 0)
        throw EBcFileVersionInfoError(texts::NoVersionInformation);
    std::string buffer(size, '\0');
    if (!GetFileVersionInfoA(fileName.c_str(), 0, size, buffer.data()))
        throw EBcWin32Error("GetFileVersionInfo \"" + fileName + "\"");
    return TBcFileVersionInfo(buffer);
}

bool ReadFixedFileInfo(const std::string& fileName, VsFixedFileInfo& fixedInfo)
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &handle);
    if (size == 0)
        return false;
    std::string buffer(size, '\0');
    if (!GetFileVersionInfoA(fileName.c_str(), 0, size, buffer.data()))
        return false;
    void* block = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(buffer.data(), "\\", &block, &length) || length != sizeof(VsFixedFileInfo))
        return false;
    std::memcpy(&fixedInfo, block, sizeof(VsFixedFileInfo));
    return true;
}

} // namespace bcl
