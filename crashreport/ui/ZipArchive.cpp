#include "ZipArchive.h"

#include "ZipCompression.h"

#include <windows.h>

#include <memory>
#include <new>

namespace crashui {

namespace {

// The Windows 9x line has only the ANSI forms of the file calls.
bool AnsiFileCalls()
{
    return (GetVersion() & 0x80000000u) != 0;
}

HANDLE OpenFile(const classlib::WideString& path, DWORD access, DWORD share, DWORD disposition)
{
    if (AnsiFileCalls())
        return CreateFileA(classlib::WideToAnsi(path).c_str(), access, share, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

DWORD AttributesOf(const classlib::WideString& path)
{
    const DWORD attributes = AnsiFileCalls()
                                 ? GetFileAttributesA(classlib::WideToAnsi(path).c_str())
                                 : GetFileAttributesW(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes;
}

void Delete(const classlib::WideString& path)
{
    if (AnsiFileCalls())
        DeleteFileA(classlib::WideToAnsi(path).c_str());
    else
        DeleteFileW(path.c_str());
}

class TFileZipWriter : public TZipWriter {
public:
    explicit TFileZipWriter(HANDLE file) : file_(file) {}

protected:
    bool Write(const void* data, size_t size) override
    {
        DWORD written = 0;
        return size <= MAXDWORD &&
               WriteFile(file_, data, static_cast<DWORD>(size), &written, nullptr) &&
               written == size;
    }

private:
    HANDLE file_;
};

// Reads a whole file and its date; false when it cannot be opened, held or read completely.
bool ReadMember(const classlib::WideString& path, std::unique_ptr<uint8_t[]>& content,
                uint32_t& size, TZipMember& member)
{
    HANDLE file = OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = false;
    LARGE_INTEGER length;
    // The archive's sizes are 32-bit: a larger file is left out instead of being cut short.
    if (GetFileSizeEx(file, &length) && length.QuadPart >= 0 && length.QuadPart <= MAXDWORD) {
        size = static_cast<uint32_t>(length.QuadPart);
        content.reset(new (std::nothrow) uint8_t[size ? size : 1]());
        DWORD read = 0;
        ok = content &&
             (size == 0 || (ReadFile(file, content.get(), size, &read, nullptr) && read == size));
        FILETIME written, local;
        WORD dosDate = 0, dosTime = 0;
        if (ok && GetFileTime(file, nullptr, nullptr, &written) &&
            FileTimeToLocalFileTime(&written, &local) &&
            FileTimeToDosDateTime(&local, &dosDate, &dosTime)) {
            member.dosDate = dosDate;
            member.dosTime = dosTime;
        }
    }
    CloseHandle(file);
    return ok;
}

} // namespace

bool WriteZipArchive(const classlib::WideString& archivePath,
                     const std::vector<classlib::WideString>& filePaths,
                     const std::vector<classlib::WideString>& archiveNames)
{
    HANDLE archive = OpenFile(archivePath, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (archive == INVALID_HANDLE_VALUE)
        return false;
    TFileZipWriter writer(archive);
    bool ok = true;
    for (size_t k = 0; k < filePaths.size() && ok; ++k) {
        TZipMember member;
        member.name = ZipMemberName(filePaths[k], archiveNames, k);
        std::unique_ptr<uint8_t[]> content;
        uint32_t size = 0;
        if (!ReadMember(filePaths[k], content, size, member))
            continue;
        member.attributes = AttributesOf(filePaths[k]);
        ok = writer.AddMember(member, content.get(), size);
    }
    ok = ok && writer.Finish();
    CloseHandle(archive);
    if (!ok)
        Delete(archivePath);
    return ok;
}

} // namespace crashui
