#include "CompressionSides.h"

#include <new>

namespace crashui {

namespace {

bool Seek(HANDLE file, uint64_t position)
{
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    return SetFilePointerEx(file, to, nullptr, FILE_BEGIN) != FALSE;
}

// The side a pair of handles and a memory pointer describe.
std::unique_ptr<qor::TDataSide> SideOf(HANDLE file, HANDLE mapping, const void* memory)
{
    if (file && mapping)
        return std::make_unique<TMappingSide>(mapping);
    if (file)
        return std::make_unique<TFileSide>(file);
    return std::make_unique<qor::TMemorySide>(memory);
}

} // namespace

bool TFileSide::OpenWindow(uint64_t start, uint32_t size, bool forWriting, uint8_t*& data)
{
    if (!buffer_) {
        buffer_.reset(new (std::nothrow) uint8_t[qor::WindowSize]);
        if (!buffer_)
            return false;
    }
    data = buffer_.get();
    if (forWriting)
        return true;
    DWORD read = 0;
    return Seek(file_, start) && ReadFile(file_, data, size, &read, nullptr) && read == size;
}

bool TFileSide::WriteOut(uint64_t start, uint32_t from, uint32_t to)
{
    if (to <= from)
        return true;
    DWORD written = 0;
    return Seek(file_, start + from) &&
           WriteFile(file_, buffer_.get() + from, to - from, &written, nullptr) &&
           written == to - from;
}

void TMappingSide::Unmap()
{
    if (view_)
        UnmapViewOfFile(view_);
    view_ = nullptr;
}

bool TMappingSide::OpenWindow(uint64_t start, uint32_t size, bool forWriting, uint8_t*& data)
{
    Unmap();
    view_ = MapViewOfFile(mapping_, forWriting ? FILE_MAP_ALL_ACCESS : FILE_MAP_READ,
                          static_cast<DWORD>(start >> 32), static_cast<DWORD>(start), size);
    data = static_cast<uint8_t*>(view_);
    return view_ != nullptr;
}

uint64_t DeflateStream(HANDLE sourceFile, HANDLE destinationFile, HANDLE sourceMapping,
                       HANDLE destinationMapping, uint64_t destinationOffset,
                       const void* sourceMemory, void* destinationMemory, uint64_t sourceLength,
                       uint64_t destinationLength, uint32_t* crc)
{
    auto source = SideOf(sourceFile, sourceMapping, sourceMemory);
    auto destination = SideOf(destinationFile, destinationMapping, destinationMemory);
    return qor::DeflateStream(*source, *destination, destinationOffset, sourceLength,
                              destinationLength, crc);
}

uint64_t InflateStream(HANDLE sourceFile, HANDLE destinationFile, HANDLE sourceMapping,
                       HANDLE destinationMapping, uint64_t sourceOffset, const void* sourceMemory,
                       void* destinationMemory, uint64_t sourceLength, uint64_t destinationLength,
                       uint32_t* crc)
{
    auto source = SideOf(sourceFile, sourceMapping, sourceMemory);
    auto destination = SideOf(destinationFile, destinationMapping, destinationMemory);
    return qor::InflateStream(*source, *destination, sourceOffset, sourceLength, destinationLength,
                              crc);
}

} // namespace crashui
