#pragma once
// Raw deflate and inflate drivers, the zip CRC-32 and the zip archive layout of the crash-report
// code. Portable (no <windows.h>): the drivers read and write their sides through `TDataSide`,
// whose memory form lives here and whose file and file-mapping forms are Windows code
// (CompressionSides.h).
#include "core/SysUtils.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace crashui {

// Sources and destinations are reached through windows of at most this many bytes, aligned to
// multiples of it from the start of the side.
inline constexpr uint32_t WindowSize = 1u << 20;

// One side (source or destination) of a driver call.
class TDataSide {
public:
    virtual ~TDataSide() = default;
    // Makes bytes [start, start + size) reachable at `data`; false when that fails. A source
    // window must deliver all `size` bytes.
    virtual bool OpenWindow(uint64_t start, uint32_t size, bool forWriting, uint8_t*& data) = 0;
    // A destination window is complete: bytes [from, to) of it must reach the side.
    virtual bool WriteOut(uint64_t /*start*/, uint32_t /*from*/, uint32_t /*to*/) { return true; }
    // Whether the call's offset applies to this side (file and mapping sides).
    virtual bool HonoursOffset() const { return true; }
};

// A memory block as a side; the offset does not apply to it.
class TMemorySide : public TDataSide {
public:
    explicit TMemorySide(const void* data) : data_(static_cast<uint8_t*>(const_cast<void*>(data))) {}
    bool OpenWindow(uint64_t start, uint32_t, bool, uint8_t*& data) override
    {
        data = data_ + start;
        return true;
    }
    bool HonoursOffset() const override { return false; }

private:
    uint8_t* data_;
};

// Raw deflate (no zlib wrapper) of `sourceLength` bytes from `source` into `destination`,
// whose first `offset` bytes are skipped and left as they are. Lengths and the offset are
// absolute positions on their side. Returns the compressed bytes written after the offset, or
// 0 on any failure, also when the destination was filled exactly or ran out. `crc`, when
// given, receives the CRC-32 of the source.
uint64_t DeflateStream(TDataSide& source, TDataSide& destination, uint64_t offset,
                       uint64_t sourceLength, uint64_t destinationLength, uint32_t* crc = nullptr);
// Raw inflate; the offset skips bytes at the start of the source. Returns the bytes written,
// which must be exactly `destinationLength` after the whole source was consumed; else 0.
// `crc`, when given, receives the CRC-32 of the output.
uint64_t InflateStream(TDataSide& source, TDataSide& destination, uint64_t offset,
                       uint64_t sourceLength, uint64_t destinationLength, uint32_t* crc = nullptr);

// The memory-to-memory forms; 0 on failure.
uint32_t DeflateBuffer(const void* source, void* destination, uint32_t sourceLength,
                       uint32_t destinationLength);
uint32_t InflateBuffer(const void* source, void* destination, uint32_t sourceLength,
                       uint32_t destinationLength);

// The destination a deflate of `sourceLength` bytes always fits: length x 11 / 10 + 12,
// computed in 64 bits; 0 when it exceeds what a 32-bit size can hold (the caller skips the
// data instead of allocating a wrapped-around size).
uint32_t DeflateDestinationSize(uint64_t sourceLength);

// The zip CRC-32 register advanced over the bytes, without the initial or final inversion:
// callers start with 0xFFFFFFFF and invert the result.
uint32_t ContinueCrc32(uint32_t crc, const void* buffer, size_t length);

// ---- Zip archives -----------------------------------------------------------------------------

// What the archive records of one stored file.
struct TZipMember {
    std::string name;           // UTF-8 bytes as stored
    uint16_t dosTime = 0, dosDate = 0;
    uint32_t attributes = 0;    // external attributes (DOS attributes)
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
