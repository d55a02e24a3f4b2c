#pragma once
// Byte streams: TStream (the abstract stream with exact-size reads and writes), memory
// streams (over foreign memory, owned memory, or a string) and TFileStream. Short exact reads
// and writes raise EReadError "Stream read error" / EWriteError "Stream write error".
#include "core/Object.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace classlib {

class TComponent;

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
    CLASSLIB_CLASS(TStream, TObject)
    // Up to `count` bytes; returns how many were transferred.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Returns the new position.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t position) { Seek(position, soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t size);

    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies `count` bytes from the current position of `source`; 0 copies all of `source`
    // from its start. Returns the number of bytes copied.
    int64_t CopyFrom(TStream& source, int64_t count);
};

// A stream over a block of memory it does not own (SetPointer); writing is not supported.
class TCustomMemoryStream : public TStream {
    CLASSLIB_CLASS(TCustomMemoryStream, TStream)
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return size_; }

    void* Memory() const { return memory_; }
    void SaveToStream(TStream& stream);
    void SaveToFile(const std::string& fileName);

protected:
    void SetPointer(void* memory, int64_t size);

private:
    uint8_t* memory_ = nullptr;
    int64_t size_ = 0;
    int64_t position_ = 0;
};

// A stream in owned, growing memory.
class TMemoryStream : public TCustomMemoryStream {
    CLASSLIB_CLASS(TMemoryStream, TCustomMemoryStream)
    TMemoryStream() = default;
    int64_t Write(const void* buffer, int64_t count) override;
    void SetSize(int64_t size) override;
    void Clear();
    void LoadFromStream(TStream& stream);
    void LoadFromFile(const std::string& fileName);

private:
    std::vector<uint8_t> data_;
};

// A stream over an 8-bit string (also used for binary data).
class TStringStream : public TStream {
    CLASSLIB_CLASS(TStringStream, TStream)
    explicit TStringStream(std::string data = {}) : data_(std::move(data)) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    const std::string& DataString() const { return data_; }
    std::string ReadString(int64_t count);
    void WriteString(const std::string& s)
    {
        WriteBuffer(s.data(), static_cast<int64_t>(s.size()));
    }

private:
    std::string data_;
    int64_t position_ = 0;
};

// File open modes: one access mode or fmCreate, combined with a share mode. The portable
// file stream opens through the C run time, which does not enforce share modes.
enum : unsigned {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFFFF
};

class TFileStream : public TStream {
    CLASSLIB_CLASS(TFileStream, TStream)
    // Raises EFCreateError "Cannot create file "%s". reason" or EFOpenError
    // "Cannot open file "%s". reason".
    TFileStream(const std::string& fileName, unsigned mode);
    ~TFileStream() override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
    std::FILE* file_ = nullptr;
    bool readable_ = true;
    bool writable_ = false;
};

} // namespace classlib
