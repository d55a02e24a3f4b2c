#include "OcAppIniFileStorage.h"

#include "BcFileUtilsWin.h"
#include "BcMime.h"
#include "BcPaths.h"
#include "BcSynch.h"
#include "OcControlUtils.h"

#include "core/SysUtils.h"

#include <windows.h>

#include <vector>

namespace storage {

using namespace classlib;

namespace {

constexpr const char* kMutexPrefix = "TOcCustomAppStorage.Synchronize:";

std::string LastErrorText(const char* operation, const std::string& fileName)
{
    const DWORD code = GetLastError();
    char buffer[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   buffer, sizeof buffer, nullptr);
    return Format("%s \"%s\": %s (%d)",
                  {operation, fileName, Trim(buffer), static_cast<int>(code)});
}

bool FolderExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void ForceFolders(const std::string& folder)
{
    const std::string path = ExcludeTrailingPathDelimiter(folder);
    if (path.empty() || FolderExists(path))
        return;
    const std::string parent = ExtractFileDir(path);
    if (!parent.empty() && parent != path)
        ForceFolders(parent);
    if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        throw EFCreateError(LastErrorText("Cannot create folder", path));
}

std::string ReadWholeFile(const std::string& fileName)
{
    HANDLE file = CreateFileA(fileName.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw EFOpenError(LastErrorText("Cannot open file", fileName));
    std::string text;
    char buffer[65536];
    DWORD read = 0;
    BOOL ok;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr)) && read > 0)
        text.append(buffer, read);
    const std::string failure = ok ? std::string() : LastErrorText("Cannot read file", fileName);
    CloseHandle(file);
    if (!failure.empty())
        throw EStreamError(failure);
    return text;
}

// Writes `text` to a new temporary file beside `fileName`, then moves it over the old file
// in one step. On any failure the temporary file is removed and the old file stays.
void ReplaceFileWithText(const std::string& fileName, const std::string& text)
{
    const std::string folder = ExtractFileDir(fileName);
    char temp[MAX_PATH + 1] = {};
    if (!GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "ini", 0, temp))
        throw EFCreateError(LastErrorText("Cannot create a temporary file in", folder));
    const std::string tempName = temp;
    std::string failure;
    HANDLE file =
        CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        failure = LastErrorText("Cannot create file", tempName);
    } else {
        DWORD written = 0;
        if (!text.empty() &&
            (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
             written != text.size()))
            failure = LastErrorText("Cannot write file", tempName);
        else if (!FlushFileBuffers(file))
            failure = LastErrorText("Cannot write file", tempName);
        CloseHandle(file);
    }
    if (failure.empty() &&
        !MoveFileExA(temp, fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        failure = LastErrorText("Cannot replace file", fileName);
    if (!failure.empty()) {
        DeleteFileA(temp);
        throw EStreamError(failure);
    }
}

} // namespace

TOcAppIniFileStorage::TOcAppIniFileStorage(TComponent* owner) : TOcCustomAppIniStorage(owner) {}

TOcAppIniFileStorage::~TOcAppIniFileStorage() = default;

std::string TOcAppIniFileStorage::GetTranslatedFileName()
{
    std::string name = ActiveTranslateStringEngine()->ExpandText(FileName());
    if (OnGetFileName)
        OnGetFileName(this, name);
    return name;
}

std::string TOcAppIniFileStorage::FileMutexName(const std::string& fileName)
{
    const std::string text = kMutexPrefix + fileName;
    std::string name(static_cast<size_t>((text.size() + 2) / 3 * 4), '\0');
    bcl::EncodeBase64Tail(reinterpret_cast<const uint8_t*>(text.data()),
                          static_cast<int32_t>(text.size()), name.data());
    return name;
}

void TOcAppIniFileStorage::RunUnderFileMutex(const std::string& fileName,
                                             const std::function<void()>& routine)
{
    bcl::TBcMutex mutex(nullptr, false, FileMutexName(fileName));
    const bcl::TBcWaitOutcome outcome = mutex.WaitInfinite();
    // An abandoned mutex is ours now: its former owner died, and the file is replaced whole.
    if (outcome != bcl::woSignaled && outcome != bcl::woAbandoned)
        throw Exception(Format("%s: Mutex Timeout", {kMutexPrefix + fileName}));
    try {
        routine();
    } catch (...) {
        mutex.Unlock();
        throw;
    }
    mutex.Unlock();
}

bool TOcAppIniFileStorage::FileHasReadOnlyAttribute(const std::string& fileName) const
{
    const DWORD attributes = GetFileAttributesA(fileName.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_READONLY);
}

void TOcAppIniFileStorage::ComputeFullFileName()
{
    if (fileName_.empty() && location_ != flCustom) {
        fullFileName_.clear();
    } else {
        const std::string translated = ActiveTranslateStringEngine()->ExpandText(fileName_);
        const std::string name = ExtractFileName(translated);
        switch (location_) {
            case flCustom:
                fullFileName_ = GetTranslatedFileName();
                break;
            case flWindows:
                fullFileName_ = bcl::PathWithSeparator(bcl::WindowsFolder()) + name;
                break;
            case flTemp:
                fullFileName_ = bcl::PathWithSeparator(bcl::TempFolderWithSeparator()) + name;
                break;
            case flExeFile:
                fullFileName_ = ExtractFilePath(bcl::ModuleFileName(nullptr)) + name;
                break;
            case flUserFolder:
                fullFileName_ = bcl::PathWithSeparator(bcl::AppDataFolder()) +
                                (bcl::PathIsAbsoluteName(translated) ? name : translated);
                break;
        }
    }
    physicalReadOnly_ = !fullFileName_.empty() && FileHasReadOnlyAttribute(fullFileName_);
}

void TOcAppIniFileStorage::SetFileName(const std::string& value)
{
    if (value == fileName_)
        return;
    const bool live = !ComponentState().Contains(csLoading) && UpdateCount() == 0;
    if (live)
        Flush();
    fileName_ = value;
    if (!fileName_.empty() && ExtractFileExt(fileName_).empty())
        fileName_ += "." + StorageFileExtension();
    ComputeFullFileName();
    if (live)
        RereadStorage();
}

void TOcAppIniFileStorage::SetLocation(TFileLocation value)
{
    if (value == location_)
        return;
    const bool live = !ComponentState().Contains(csLoading) && UpdateCount() == 0;
    if (live)
        Flush();
    location_ = value;
    ComputeFullFileName();
    if (live)
        RereadStorage();
}

void TOcAppIniFileStorage::SetOnGetFileName(const TOcGetFileNameEvent& value)
{
    const bool live = !ComponentState().Contains(csLoading) && UpdateCount() == 0;
    if (live)
        Flush();
    OnGetFileName = value;
    ComputeFullFileName();
    if (live)
        RereadStorage();
}

void TOcAppIniFileStorage::ReadDocument()
{
    IniFile().SetText(ReadWholeFile(FullFileName()));
}

void TOcAppIniFileStorage::WriteDocument()
{
    ReplaceFileWithText(FullFileName(), IniFile().GetText());
}

void TOcAppIniFileStorage::RereadStorage()
{
    if (UpdateCount() != 0 || ComponentState().Contains(csDesigning))
        return;
    inherited::RereadStorage();
    if (fullFileName_.empty() || !bcl::FileExistsNotFolder(fullFileName_)) {
        IniFile().Clear();
        return;
    }
    IniFile().SetFileName(fullFileName_);
    if (SynchronizeFlushReload())
        RunUnderFileMutex(fullFileName_, [this] { ReadDocument(); });
    else
        ReadDocument();
}

void TOcAppIniFileStorage::Flush()
{
    if (fullFileName_.empty() || IsReadOnly() || ComponentState().Contains(csDesigning))
        return;
    // A storage that never read its file (a form whose loading failed before the storage was
    // loaded) holds none of its settings: writing would replace them with nothing.
    if (!FileLoaded())
        return;
    try {
        ForceFolders(ExtractFilePath(fullFileName_));
        IniFile().SetFileName(fullFileName_);
        if (SynchronizeFlushReload())
            RunUnderFileMutex(fullFileName_, [this] { WriteDocument(); });
        else
            WriteDocument();
    } catch (const Exception& e) {
        NotifyError(e.Message());
    }
}

CLASSLIB_PUBLISH(TOcAppIniFileStorage)
{
    using C = TOcAppIniFileStorage;
    c.Property("AutoFlush", &C::AutoFlush, &C::SetAutoFlush).SetDefault(false);
    c.Property("AutoReload", &C::AutoReload, &C::SetAutoReload).SetDefault(false);
    c.Property("FileName", &C::FileName, &C::SetFileName);
    c.Property("FlushOnDestroy", &C::FlushOnDestroy, &C::SetFlushOnDestroy).SetDefault(true);
    c.Property("Location", &C::Location, &C::SetLocation).SetDefault(flExeFile);
    c.Property("DefaultSection", &C::DefaultSection, &C::SetDefaultSection);
    c.Property("SubStorages", &C::SubStorages);
    c.Property("OnGetFileName", &C::OnGetFileName, &C::SetOnGetFileName);
    c.Property("SynchronizeFlushReload", &C::SynchronizeFlushReload, &C::SetSynchronizeFlushReload)
        .SetDefault(false);
}

} // namespace storage
