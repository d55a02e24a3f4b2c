#include "core/Streams.h"

#include "core/SysUtils.h"
#include "core/TypeInfo.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace classlib {

CLASSLIB_PUBLISH(TStream) {}
CLASSLIB_PUBLISH(TCustomMemoryStream) {}
CLASSLIB_PUBLISH(TMemoryStream) {}
CLASSLIB_PUBLISH(TStringStream) {}
CLASSLIB_PUBLISH(TFileStream) {}

// ---- TStream --------------------------------------------------------------------------------

int64_t TStream::Size()
{
    const int64_t position = Seek(0, soCurrent);
    const int64_t size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

void TStream::SetSize(int64_t) {}

void TStream::ReadBuffer(void* buffer, int64_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError(messages::ReadError);
}

void TStream::WriteBuffer(const void* buffer, int64_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError(messages::WriteError);
}

int64_t TStream::CopyFrom(TStream& source, int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    const int64_t total = count;
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(count, 0xF000)));
    while (count > 0) {
        const int64_t n = std::min<int64_t>(count, static_cast<int64_t>(buffer.size()));
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        count -= n;
    }
    return total;
}

// ---- TCustomMemoryStream --------------------------------------------------------------------

void TCustomMemoryStream::SetPointer(void* memory, int64_t size)
{
    memory_ = static_cast<uint8_t*>(memory);
    size_ = size;
    if (position_ > size_)
        position_ = size_;
}

int64_t TCustomMemoryStream::Read(void* buffer, int64_t count)
{
    if (count <= 0 || position_ >= size_)
        return 0;
    const int64_t n = std::min(count, size_ - position_);
    std::memcpy(buffer, memory_ + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TCustomMemoryStream::Write(const void*, int64_t)
{
    return 0;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int64_t base = origin == soBeginning ? 0 : (origin == soCurrent ? position_ : size_);
    int64_t target = base + offset;
    if (target < 0)
        target = 0;
    position_ = target;
    return position_;
}

void TCustomMemoryStream::SaveToStream(TStream& stream)
{
    if (size_ > 0)
        stream.WriteBuffer(memory_, size_);
}

void TCustomMemoryStream::SaveToFile(const std::string& fileName)
{
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

// ---- TMemoryStream --------------------------------------------------------------------------

void TMemoryStream::SetSize(int64_t size)
{
    if (size < 0)
        size = 0;
    const int64_t position = Position();
    try {
        if (static_cast<uint64_t>(size) > data_.max_size())
            throw std::bad_alloc();
        data_.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        throw EStreamError(messages::MemoryStreamError);
    }
    SetPointer(data_.data(), size);
    if (position > size)
        Seek(0, soEnd);
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    const int64_t position = Position();
    const int64_t end = position + count;
    if (end > Size()) {
        // Grow geometrically so that many small writes stay linear.
        if (static_cast<uint64_t>(end) > data_.capacity()) {
            try {
                data_.reserve(std::max<size_t>(static_cast<size_t>(end), data_.capacity() * 2));
            } catch (const std::exception&) {
                throw EStreamError(messages::MemoryStreamError);
            }
        }
        SetSize(end);
    }
    std::memcpy(data_.data() + position, buffer, static_cast<size_t>(count));
    Seek(end, soBeginning);
    return count;
}

void TMemoryStream::Clear()
{
    data_.clear();
    SetPointer(nullptr, 0);
    Seek(0, soBeginning);
}

void TMemoryStream::LoadFromStream(TStream& stream)
{
    stream.SetPosition(0);
    const int64_t size = stream.Size();
    SetSize(size);
    if (size > 0)
        stream.ReadBuffer(data_.data(), size);
    Seek(0, soBeginning);
}

void TMemoryStream::LoadFromFile(const std::string& fileName)
{
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

// ---- TStringStream --------------------------------------------------------------------------

int64_t TStringStream::Read(void* buffer, int64_t count)
{
    const int64_t size = static_cast<int64_t>(data_.size());
    if (count <= 0 || position_ >= size)
        return 0;
    const int64_t n = std::min(count, size - position_);
    std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TStringStream::Write(const void* buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    const auto end = static_cast<size_t>(position_ + count);
    if (end > data_.size())
        data_.resize(end);
    std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
    position_ += count;
    return count;
}

int64_t TStringStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int64_t size = static_cast<int64_t>(data_.size());
    const int64_t base = origin == soBeginning ? 0 : (origin == soCurrent ? position_ : size);
    position_ = std::clamp<int64_t>(base + offset, 0, size);
    return position_;
}

void TStringStream::SetSize(int64_t size)
{
    data_.resize(static_cast<size_t>(std::max<int64_t>(size, 0)));
    position_ = std::min<int64_t>(position_, static_cast<int64_t>(data_.size()));
}

std::string TStringStream::ReadString(int64_t count)
{
    const int64_t n = std::clamp<int64_t>(count, 0, static_cast<int64_t>(data_.size()) - position_);
    std::string s = data_.substr(static_cast<size_t>(position_), static_cast<size_t>(n));
    position_ += n;
    return s;
}

// ---- TFileStream ----------------------------------------------------------------------------

namespace {
int SeekFile(std::FILE* f, int64_t offset, int whence)
{
#ifdef _WIN32
    return _fseeki64(f, offset, whence);
#else
    return fseeko(f, static_cast<off_t>(offset), whence);
#endif
}
int64_t TellFile(std::FILE* f)
{
#ifdef _WIN32
    return _ftelli64(f);
#else
    return static_cast<int64_t>(ftello(f));
#endif
}
} // namespace

TFileStream::TFileStream(const std::string& fileName, unsigned mode) : fileName_(fileName)
{
    const char* how;
    if (mode == fmCreate) {
        how = "w+b";
        writable_ = true;
    } else {
        switch (mode & 3) {
            case fmOpenWrite:
                how = "r+b";
                readable_ = false;
                writable_ = true;
                break;
            case fmOpenReadWrite:
                how = "r+b";
                writable_ = true;
                break;
            default:
                how = "rb";
        }
    }
    file_ = std::fopen(fileName.c_str(), how);
    if (!file_) {
        const std::string reason = std::strerror(errno);
        if (mode == fmCreate)
            throw EFCreateError(Format(messages::CreateFileError, {fileName, reason}));
        throw EFOpenError(Format(messages::OpenFileError, {fileName, reason}));
    }
}

TFileStream::~TFileStream()
{
    if (file_)
        std::fclose(file_);
}

int64_t TFileStream::Read(void* buffer, int64_t count)
{
    if (count <= 0 || !readable_)
        return 0;
    return static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Write(const void* buffer, int64_t count)
{
    if (count <= 0 || !writable_)
        return 0;
    // C streams need a positioning call between reading and writing.
    SeekFile(file_, 0, SEEK_CUR);
    return static_cast<int64_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int whence =
        origin == soBeginning ? SEEK_SET : (origin == soCurrent ? SEEK_CUR : SEEK_END);
    if (SeekFile(file_, offset, whence) != 0)
        return -1;
    return TellFile(file_);
}

void TFileStream::SetSize(int64_t size)
{
    std::fflush(file_);
    const int64_t position = Position();
#ifdef _WIN32
    const bool ok = _chsize_s(_fileno(file_), size) == 0;
#else
    const bool ok = ftruncate(fileno(file_), static_cast<off_t>(size)) == 0;
#endif
    if (!ok)
        throw EStreamError(Format("Cannot set the size of file \"%s\"", {fileName_}));
    Seek(std::min(position, size), soBeginning);
}

} // namespace classlib
