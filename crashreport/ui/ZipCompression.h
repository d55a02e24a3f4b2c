#pragma once
// The zip archive layout of the crash-report code and its writer. Portable (no <windows.h>).
// The deflate driver and the CRC-32 it uses are the engine core's (QorZip.h).
#include "core/SysUtils.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace crashui {

// What the archive records of one stored file.
struct TZipMember {
    std::string name; // UTF-8 bytes as stored
    uint16_t dosTime = 0, dosDate = 0;
    uint32_t attributes = 0; // external attributes (DOS attributes)
    uint32_t crc = 0;
    uint32_t compressedSize = 0, size = 0;
    uint32_t localHeaderOffset = 0;
};

// Local header (30 bytes) with the name; central-directory header (46 bytes) with the name;
// end record (22 bytes).
std::string ZipLocalHeader(const TZipMember& member);
std::string ZipCentralHeader(const TZipMember& member);
std::string ZipEndRecord(uint16_t entries, uint32_t directorySize, uint32_t directoryOffset);

// The name a file is stored under: the k-th archive name when the list has one, else the path
// after its last backslash; UTF-8.
std::string ZipMemberName(const classlib::WideString& path,
                          const std::vector<classlib::WideString>& archiveNames, size_t index);

// Writes a zip archive member by member to a byte sink. Members whose content cannot be
// compressed into memory are left out; a failed write ends the archive.
class TZipWriter {
public:
    virtual ~TZipWriter() = default;
    // Compresses and writes one member (local header, name, data). False only when a write
    // failed; a member that cannot be held in memory is skipped and gives true.
    bool AddMember(TZipMember member, const uint8_t* content, uint32_t size);
    // Writes the central directory and the end record; false when a write failed or no member
    // was stored.
    bool Finish();
    const std::vector<TZipMember>& Members() const { return members_; }

protected:
    // Appends bytes to the archive; false on a failed or short write.
    virtual bool Write(const void* data, size_t size) = 0;

private:
    bool Put(const std::string& bytes) { return Put(bytes.data(), bytes.size()); }
    bool Put(const void* data, size_t size);
    std::vector<TZipMember> members_;
    uint64_t position_ = 0;
};

// DOS date and time fields of a calendar time.
uint16_t DosDate(int year, int month, int day);
uint16_t DosTime(int hour, int minute, int second);

} // namespace crashui
