#pragma once
// The PNG chunk stream: the CRC, the codec's exceptions, the chunk base class with its class
// registry, and the pointer list that holds an image's chunks. Portable (no <windows.h>).
//
// Stream layout: the 8 signature bytes, then chunks (big-endian length, 4-letter name, data,
// CRC-32 over name and data) up to and including "IEND".
#include "core/Exceptions.h"
#include "core/Object.h"
#include "core/Streams.h"
#include "core/TypeInfo.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace png {

class TPNGImage;
class TChunkIHDR;

// ---- Exceptions -----------------------------------------------------------------------------

namespace messages {
inline constexpr const char* InvalidFileHeader =
    "The file being readed is not a valid \"Portable Network Graphics\" image because it "
    "contains an invalid header. This file may be corruped, try obtaining it again.";
inline constexpr const char* UnexpectedEnd =
    "This \"Portable Network Graphics\" image is invalid because the decoder found an "
    "unexpected end of the file.";
inline constexpr const char* IHDRNotFirst =
    "This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n"
    "(IHDR chunk is not the first)";
inline constexpr const char* UnknownCriticalChunk =
    "This \"Portable Network Graphics\" image contains an unknown critical part which could "
    "not be decoded.";
inline constexpr const char* NoImageData =
    "This \"Portable Network Graphics\" image contains no data.";
inline constexpr const char* InvalidCRC =
    "This \"Portable Network Graphics\" image is not valid because it contains invalid pieces "
    "of data (crc error)";
inline constexpr const char* InvalidIHDR =
    "The \"Portable Network Graphics\" image could not be loaded because one of its main "
    "piece of data (ihdr) might be corrupted";
inline constexpr const char* SizeExceeds =
    "This \"Portable Network Graphics\" image is not supported because either it's width or "
    "height exceeds the maximum size, which is 65535 pixels length.";
inline constexpr const char* UnknownCompression =
    "This \"Portable Network Graphics\" image is encoded with an unknown compression scheme "
    "which could not be decoded.";
inline constexpr const char* UnknownInterlace =
    "This \"Portable Network Graphics\" image uses an unknown interlace scheme which could not "
    "be decoded.";
inline constexpr const char* MissingMultipleIDAT =
    "This \"Portable Network Graphics\" image is invalid because it has missing image parts.";
inline constexpr const char* ZLIBError =
    "Could not decompress the image because it contains invalid compressed data.\r\n"
    " Description: ";
// Not one of the original texts: compression used not to be checked at all, and a failing
// deflater now stops the save with this message instead of writing a damaged file.
inline constexpr const char* DeflateError = "Could not compress the image data.\r\n Description: ";
inline constexpr const char* InvalidPalette =
    "The \"Portable Network Graphics\" image contains an invalid palette.";
inline constexpr const char* IncompatibleChunks = "The chunks must be compatible to be assigned.";
inline constexpr const char* NoPaletteEntry = "There is no such palette entry.";
inline constexpr const char* HeaderNotPresent =
    "This operation is not valid because the current image contains no valid header.";
inline constexpr const char* InvalidNewSize =
    "The new size provided for image resizing is invalid.";
inline constexpr const char* OutMemory =
    "Some operation could not be performed because the system is out of resources. Close "
    "some windows and try again.";
} // namespace messages

// Raised with a message of the caller's (incompatible chunk copies, missing palette entries).
class EPngError : public classlib::Exception {
public:
    using Exception::Exception;
};

// Exceptions with one fixed message each.
#define PNG_FIXED_EXCEPTION(Name, Text)                 \
    class Name : public classlib::Exception {           \
    public:                                             \
        Name() : classlib::Exception(messages::Text) {} \
    }
PNG_FIXED_EXCEPTION(EPNGInvalidFileHeader, InvalidFileHeader);
PNG_FIXED_EXCEPTION(EPngUnexpectedEnd, UnexpectedEnd);
PNG_FIXED_EXCEPTION(EPNGIHDRNotFirst, IHDRNotFirst);
PNG_FIXED_EXCEPTION(EPNGUnknownCriticalChunk, UnknownCriticalChunk);
PNG_FIXED_EXCEPTION(EPNGNoImageData, NoImageData);
PNG_FIXED_EXCEPTION(EPngInvalidCRC, InvalidCRC);
PNG_FIXED_EXCEPTION(EPngInvalidIHDR, InvalidIHDR);
PNG_FIXED_EXCEPTION(EPNGSizeExceeds, SizeExceeds);
PNG_FIXED_EXCEPTION(EPNGUnknownCompression, UnknownCompression);
PNG_FIXED_EXCEPTION(EPNGUnknownInterlace, UnknownInterlace);
PNG_FIXED_EXCEPTION(EPNGMissingMultipleIDAT, MissingMultipleIDAT);
PNG_FIXED_EXCEPTION(EPNGInvalidPalette, InvalidPalette);
PNG_FIXED_EXCEPTION(EPNGHeaderNotPresent, HeaderNotPresent);
PNG_FIXED_EXCEPTION(EPNGInvalidNewSize, InvalidNewSize);
PNG_FIXED_EXCEPTION(EPNGOutMemory, OutMemory);
#undef PNG_FIXED_EXCEPTION

// The inflater (or deflater) failed; the message ends with the zlib code's text.
class EPNGZLIBError : public classlib::Exception {
public:
    explicit EPNGZLIBError(int code, const char* prefix = messages::ZLIBError);
};
// "data error (-3)" for the zlib result codes -6 to 2; "" for others.
std::string ZlibCodeText(int code);

// ---- CRC and byte order ---------------------------------------------------------------------

// Continues the PNG CRC-32 register (started at 0xFFFFFFFF, inverted at the end) over `count`
// bytes.
uint32_t UpdateCrc(uint32_t crc, const void* buffer, size_t count);
uint32_t SwapBytes32(uint32_t value);
uint16_t SwapBytes16(uint16_t value);
// Big-endian fields of chunk data.
uint32_t ReadBigEndian32(const uint8_t* p);
void WriteBigEndian32(uint8_t* p, uint32_t value);

inline constexpr uint8_t PngSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
// Chunk lengths above this are refused: the format limits them to 2^31 - 1, and a larger
// value would wrap the size arithmetic.
inline constexpr uint32_t MaxChunkLength = 0x7FFFFFFF;

// A chunk name as text: the 4 bytes up to the first zero byte.
std::string ChunkNameText(const uint8_t name[4]);

// ---- Chunks ---------------------------------------------------------------------------------

class TChunk;
using TChunkFactory = TChunk* (*)(TPNGImage* owner);

// Declares a chunk class: class identity plus the virtual constructor.
#define PNG_CHUNK_CLASS(Self, Parent)                                     \
    CLASSLIB_CLASS(Self, Parent)                                          \
    static ::png::TChunk* NewInstance(::png::TPNGImage* owner)            \
    {                                                                     \
        return new Self(owner);                                           \
    }                                                                     \
    ::png::TChunk* NewOfSameClass(::png::TPNGImage* owner) const override \
    {                                                                     \
        return new Self(owner);                                           \
    }

// One chunk: name and raw data; descendants parse their fields from the data when read and
// rebuild the data from their fields when written. A chunk of an unregistered name is a plain
// TChunk that keeps its data, so that it survives a load and save.
class TChunk : public classlib::TObject {
    CLASSLIB_CLASS(TChunk, classlib::TObject)
    static TChunk* NewInstance(TPNGImage* owner) { return new TChunk(owner); }
    // A new chunk of this chunk's class for another owner (the copy of an image).
    virtual TChunk* NewOfSameClass(TPNGImage* owner) const { return new TChunk(owner); }

    // Descendants pass their own class, whose name becomes the chunk's name (the class
    // record of a descendant is not in force yet while this constructor runs).
    explicit TChunk(TPNGImage* owner, const classlib::TMetaClass& chunkClass = StaticClass());
    ~TChunk() override;

    // The class name from its seventh character on ("TChunkIHDR" gives "IHDR").
    static std::string ChunkName(const classlib::TMetaClass& chunkClass);

    virtual void CopyFrom(const TChunk& source);
    // Reads the data and the CRC; `name` is the 4 bytes read. Raises EPngInvalidCRC.
    virtual bool ReadChunk(classlib::TStream& stream, const uint8_t name[4], uint32_t size);
    virtual bool WriteChunk(classlib::TStream& stream);

    void SetDataSize(uint32_t size);
    uint32_t DataSize() const { return dataSize_; }
    uint8_t* Data() { return data_.data(); }
    const uint8_t* Data() const { return data_.data(); }
    TPNGImage* Owner() const { return owner_; }
    const uint8_t* Name() const { return name_; }
    std::string NameText() const { return ChunkNameText(name_); }
    void SetName(const uint8_t name[4]);
    // The owner's first chunk as the header; null while the owner has none.
    TChunkIHDR* HeaderChunk() const;
    // Writes the chunk from its current name and data.
    bool WriteRawChunk(classlib::TStream& stream);

private:
    std::vector<uint8_t> data_; // always one byte longer than the data
    uint32_t dataSize_ = 0;
    TPNGImage* owner_;
    uint8_t name_[4] = {};
};

// Writes one chunk: length, name, data, CRC.
void WriteChunkBytes(classlib::TStream& stream, const uint8_t name[4], const uint8_t* data,
                     uint32_t size);

// ---- Lists ----------------------------------------------------------------------------------

// A growable array of untyped pointers without spare capacity.
class TPNGPointerList : public classlib::TObject {
public:
    explicit TPNGPointerList(TPNGImage* owner) : owner_(owner) {}
    void Append(void* item);
    // Removes the last position that holds the item; answers it, or null when absent.
    void* Extract(void* item);
    void* ItemAt(size_t index) const;
    void PutAt(size_t index, void* item);
    // Sets the count; new slots are null.
    void Resize(size_t count);
    size_t Count() const { return items_.size(); }
    TPNGImage* Owner() const { return owner_; }

private:
    TPNGImage* owner_;
    std::vector<void*> items_;
};

// The chunk list of an image; it does not own its chunks (the image frees them).
class TPNGList : public TPNGPointerList {
public:
    using TPNGPointerList::TPNGPointerList;
    TChunk* Chunk(size_t index) const { return static_cast<TChunk*>(ItemAt(index)); }
    // The first chunk of the class or of a descendant, else null.
    TChunk* FindByClass(const classlib::TMetaClass& chunkClass) const;
    template <class C>
    C* Find() const
    {
        return static_cast<C*>(FindByClass(C::StaticClass()));
    }
};

// ---- Chunk-class registry -------------------------------------------------------------------

struct TChunkClass {
    const classlib::TMetaClass* metaClass;
    TChunkFactory create;
};
void RegisterChunk(const TChunkClass& chunkClass);
template <class C>
void RegisterChunk()
{
    RegisterChunk(TChunkClass{&C::StaticClass(), &C::NewInstance});
}
// IEND, IHDR, IDAT, PLTE, gAMA, tRNS, pHYs, tIME, tEXt, zTXt, in this order (once).
void RegisterCommonChunks();
void FreeChunkClassList();
// A new chunk of the class registered for the name (case-sensitive), else a plain TChunk;
// its name is the 4 bytes given.
TChunk* CreateChunkByName(TPNGImage* owner, const uint8_t name[4]);

} // namespace png
