#pragma once
// The file and file-mapping sides of the compression drivers (QorZip.h), and the
// drivers' entry points with one argument per side kind: a side is a mapping when both its
// file and mapping handles are given, a file when only the file handle is, else memory.
#include "QorZip.h"

#include <windows.h>

#include <memory>

namespace crashui {

// An open file read or written through one buffer of a window's size.
class TFileSide : public qor::TDataSide {
public:
    explicit TFileSide(HANDLE file) : file_(file) {}
    bool OpenWindow(uint64_t start, uint32_t size, bool forWriting, uint8_t*& data) override;
    bool WriteOut(uint64_t start, uint32_t from, uint32_t to) override;

private:
    HANDLE file_;
    std::unique_ptr<uint8_t[]> buffer_;
};

// A file mapping reached through one view at a time (read-only for a source, all-access for a
// destination).
class TMappingSide : public qor::TDataSide {
public:
    explicit TMappingSide(HANDLE mapping) : mapping_(mapping) {}
    ~TMappingSide() override { Unmap(); }
    bool OpenWindow(uint64_t start, uint32_t size, bool forWriting, uint8_t*& data) override;

private:
    void Unmap();
    HANDLE mapping_;
    void* view_ = nullptr;
};

uint64_t DeflateStream(HANDLE sourceFile, HANDLE destinationFile, HANDLE sourceMapping,
                       HANDLE destinationMapping, uint64_t destinationOffset,
                       const void* sourceMemory, void* destinationMemory, uint64_t sourceLength,
                       uint64_t destinationLength, uint32_t* crc = nullptr);
uint64_t InflateStream(HANDLE sourceFile, HANDLE destinationFile, HANDLE sourceMapping,
                       HANDLE destinationMapping, uint64_t sourceOffset, const void* sourceMemory,
                       void* destinationMemory, uint64_t sourceLength, uint64_t destinationLength,
                       uint32_t* crc = nullptr);

} // namespace crashui
