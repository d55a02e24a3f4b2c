#include "PngChunk.h"

#include "PngImage.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <mutex>

using namespace classlib;

namespace png {

// ---- Exceptions -----------------------------------------------------------------------------

std::string ZlibCodeText(int code)
{
    static const char* const texts[] = {"incompatible version (-6)",
                                        "buffer error (-5)",
                                        "insufficient memory (-4)",
                                        "data error (-3)",
                                        "stream error (-2)",
                                        "file error (-1)",
                                        "(0)",
                                        "stream end (1)",
                                        "need dictionary (2)"};
    if (code < -6 || code > 2)
        return {};
    return texts[code + 6];
}

EPNGZLIBError::EPNGZLIBError(int code, const char* prefix)
    : Exception(std::string(prefix) + ZlibCodeText(code))
{
}

// ---- CRC and byte order ---------------------------------------------------------------------

uint32_t UpdateCrc(uint32_t crc, const void* buffer, size_t count)
{
    // zlib's CRC-32 is the PNG one with the register inverted on entry and exit.
    uLong c = ~crc & 0xFFFFFFFFu;
    const auto* p = static_cast<const Bytef*>(buffer);
    while (count > 0) {
        const auto n = static_cast<uInt>(std::min<size_t>(count, 1u << 30));
        c = crc32(c, p, n);
        p += n;
        count -= n;
    }
    return ~static_cast<uint32_t>(c);
}

uint32_t SwapBytes32(uint32_t v)
{
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

uint16_t SwapBytes16(uint16_t v)
{
    return static_cast<uint16_t>((v >> 8) | (v << 8));
}

uint32_t ReadBigEndian32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void WriteBigEndian32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

std::string ChunkNameText(const uint8_t name[4])
{
    size_t n = 0;
    while (n < 4 && name[n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char*>(name), n);
}

// ---- TChunk ---------------------------------------------------------------------------------

CLASSLIB_PUBLISH(TChunk) {}

TChunk::TChunk(TPNGImage* owner, const TMetaClass& chunkClass) : data_(1, 0), owner_(owner)
{
    const std::string name = ChunkName(chunkClass);
    if (name.size() == 4)
        std::memcpy(name_, name.data(), 4);
}

TChunk::~TChunk() = default;

std::string TChunk::ChunkName(const TMetaClass& chunkClass)
{
    const std::string& className = chunkClass.ClassName();
    return className.size() > 6 ? className.substr(6) : std::string();
}

void TChunk::SetName(const uint8_t name[4])
{
    std::memcpy(name_, name, 4);
}

void TChunk::SetDataSize(uint32_t size)
{
    data_.resize(size_t(size) + 1, 0);
    dataSize_ = size;
}

void TChunk::CopyFrom(const TChunk& source)
{
    std::memcpy(name_, source.name_, 4);
    SetDataSize(source.dataSize_);
    std::memcpy(data_.data(), source.data_.data(), dataSize_);
}

TChunkIHDR* TChunk::HeaderChunk() const
{
    if (!owner_ || owner_->Chunks().Count() == 0)
        return nullptr;
    return dynamic_cast<TChunkIHDR*>(owner_->Chunks().Chunk(0));
}

bool TChunk::ReadChunk(TStream& stream, const uint8_t name[4], uint32_t size)
{
    // A length that announces more than the stream holds is refused before anything is
    // allocated for it, so a few bytes cannot ask for gigabytes.
    if (size > MaxChunkLength)
        throw EPngUnexpectedEnd();
    if (int64_t(size) + 4 > stream.Size() - stream.Position())
        throw EPngUnexpectedEnd();
    SetDataSize(size);
    if (size > 0)
        stream.ReadBuffer(data_.data(), size);
    uint8_t stored[4];
    if (stream.Read(stored, 4) != 4)
        throw EPngUnexpectedEnd();
    uint32_t crc = UpdateCrc(0xFFFFFFFFu, name, 4);
    crc = ~UpdateCrc(crc, data_.data(), size);
    if (crc != ReadBigEndian32(stored))
        throw EPngInvalidCRC();
    return true;
}

void WriteChunkBytes(TStream& stream, const uint8_t name[4], const uint8_t* data, uint32_t size)
{
    uint8_t field[4];
    WriteBigEndian32(field, size);
    stream.WriteBuffer(field, 4);
    stream.WriteBuffer(name, 4);
    if (size > 0)
        stream.WriteBuffer(data, size);
    const uint32_t crc = ~UpdateCrc(UpdateCrc(0xFFFFFFFFu, name, 4), data, size);
    WriteBigEndian32(field, crc);
    stream.WriteBuffer(field, 4);
}

bool TChunk::WriteRawChunk(TStream& stream)
{
    WriteChunkBytes(stream, name_, data_.data(), dataSize_);
    return true;
}

bool TChunk::WriteChunk(TStream& stream)
{
    return WriteRawChunk(stream);
}

// ---- Lists ----------------------------------------------------------------------------------

void TPNGPointerList::Append(void* item)
{
    items_.push_back(item);
}

void* TPNGPointerList::Extract(void* item)
{
    for (size_t i = items_.size(); i-- > 0;) {
        if (items_[i] == item) {
            items_.erase(items_.begin() + static_cast<ptrdiff_t>(i));
            return item;
        }
    }
    return nullptr;
}

void* TPNGPointerList::ItemAt(size_t index) const
{
    return index < items_.size() ? items_[index] : nullptr;
}

void TPNGPointerList::PutAt(size_t index, void* item)
{
    if (index < items_.size())
        items_[index] = item;
}

void TPNGPointerList::Resize(size_t count)
{
    items_.resize(count, nullptr);
    if (count == 0)
        items_.shrink_to_fit();
}

TChunk* TPNGList::FindByClass(const TMetaClass& chunkClass) const
{
    for (size_t i = 0; i < Count(); ++i) {
        TChunk* chunk = Chunk(i);
        if (chunk && chunk->InheritsFrom(chunkClass))
            return chunk;
    }
    return nullptr;
}

// ---- Registry -------------------------------------------------------------------------------

namespace {
std::vector<TChunkClass>& Registry()
{
    static std::vector<TChunkClass> registry;
    return registry;
}
std::mutex registryLock;
} // namespace

void RegisterChunk(const TChunkClass& chunkClass)
{
    std::lock_guard<std::mutex> hold(registryLock);
    Registry().push_back(chunkClass);
}

void RegisterCommonChunks()
{
    {
        std::lock_guard<std::mutex> hold(registryLock);
        if (!Registry().empty())
            return;
    }
    RegisterChunk<TChunkIEND>();
    RegisterChunk<TChunkIHDR>();
    RegisterChunk<TChunkIDAT>();
    RegisterChunk<TChunkPLTE>();
    RegisterChunk<TChunkgAMA>();
    RegisterChunk<TChunktRNS>();
    RegisterChunk<TChunkpHYs>();
    RegisterChunk<TChunktIME>();
    RegisterChunk<TChunktEXt>();
    RegisterChunk<TChunkzTXt>();
}

void FreeChunkClassList()
{
    std::lock_guard<std::mutex> hold(registryLock);
    Registry().clear();
    Registry().shrink_to_fit();
}

TChunk* CreateChunkByName(TPNGImage* owner, const uint8_t name[4])
{
    const std::string text = ChunkNameText(name);
    TChunkFactory create = &TChunk::NewInstance;
    {
        std::lock_guard<std::mutex> hold(registryLock);
        for (const TChunkClass& entry : Registry()) {
            if (TChunk::ChunkName(*entry.metaClass) == text) {
                create = entry.create;
                break;
            }
        }
    }
    TChunk* chunk = create(owner);
    chunk->SetName(name);
    return chunk;
}

} // namespace png
