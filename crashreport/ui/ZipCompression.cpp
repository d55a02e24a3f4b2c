#include "ZipCompression.h"

#include "QorZip.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace crashui {

namespace {

void Put16(std::string& s, uint32_t v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v)
{
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

// Bytes 4 to 29 of the local header, which the central header repeats.
std::string SharedHeaderPart(const TZipMember& m)
{
    std::string s;
    Put16(s, 20);     // version needed
    Put16(s, 0x0800); // names are UTF-8
    Put16(s, 8);      // deflate
    Put16(s, m.dosTime);
    Put16(s, m.dosDate);
    Put32(s, m.crc);
    Put32(s, m.compressedSize);
    Put32(s, m.size);
    Put16(s, static_cast<uint32_t>(m.name.size()));
    Put16(s, 0); // extra field length
    return s;
}

} // namespace

std::string ZipLocalHeader(const TZipMember& member)
{
    std::string s;
    Put32(s, 0x04034B50);
    return s + SharedHeaderPart(member) + member.name;
}

std::string ZipCentralHeader(const TZipMember& member)
{
    std::string s;
    Put32(s, 0x02014B50);
    Put16(s, 20); // made by: DOS attributes
    s += SharedHeaderPart(member);
    Put16(s, 0); // comment length
    Put16(s, 0); // disk number start
    Put16(s, 0); // internal attributes
    Put32(s, member.attributes);
    Put32(s, member.localHeaderOffset);
    return s + member.name;
}

std::string ZipEndRecord(uint16_t entries, uint32_t directorySize, uint32_t directoryOffset)
{
    std::string s;
    Put32(s, 0x06054B50);
    Put16(s, 0);
    Put16(s, 0);
    Put16(s, entries);
    Put16(s, entries);
    Put32(s, directorySize);
    Put32(s, directoryOffset);
    Put16(s, 0);
    return s;
}

std::string ZipMemberName(const classlib::WideString& path,
                          const std::vector<classlib::WideString>& archiveNames, size_t index)
{
    if (index < archiveNames.size())
        return classlib::WideToUtf8(archiveNames[index]);
    const size_t slash = path.rfind(L'\\');
    return classlib::WideToUtf8(slash == classlib::WideString::npos ? path
                                                                    : path.substr(slash + 1));
}

bool TZipWriter::Put(const void* data, size_t size)
{
    if (!Write(data, size))
        return false;
    position_ += size;
    return true;
}

bool TZipWriter::AddMember(TZipMember member, const uint8_t* content, uint32_t size)
{
    // Sizes and offsets are 32-bit fields (no Zip64), and a member's name length and the entry
    // count 16-bit ones: what does not fit is left out rather than written wrapped.
    const uint32_t capacity = qor::DeflateDestinationSize(size);
    if (capacity == 0 || member.name.size() > 0xFFFF || members_.size() >= 0xFFFF ||
        position_ > std::numeric_limits<uint32_t>::max())
        return true;
    std::unique_ptr<uint8_t[]> compressed(new (std::nothrow) uint8_t[capacity]());
    if (!compressed)
        return true;
    member.crc = ~qor::ContinueCrc32(0xFFFFFFFFu, content, size);
    member.size = size;
    member.compressedSize = qor::DeflateBuffer(content, compressed.get(), size, capacity);
    if (member.compressedSize == 0)
        return true;
    member.localHeaderOffset = static_cast<uint32_t>(position_);
    if (!Put(ZipLocalHeader(member)) || !Put(compressed.get(), member.compressedSize))
        return false;
    members_.push_back(std::move(member));
    return true;
}

bool TZipWriter::Finish()
{
    if (members_.empty() || position_ > std::numeric_limits<uint32_t>::max())
        return false;
    const uint32_t directoryOffset = static_cast<uint32_t>(position_);
    uint64_t directorySize = 0;
    for (const TZipMember& m : members_) {
        const std::string header = ZipCentralHeader(m);
        if (!Put(header))
            return false;
        directorySize += header.size();
    }
    if (directorySize > std::numeric_limits<uint32_t>::max())
        return false;
    return Put(ZipEndRecord(static_cast<uint16_t>(members_.size()),
                            static_cast<uint32_t>(directorySize), directoryOffset));
}

uint16_t DosDate(int year, int month, int day)
{
    return static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}

uint16_t DosTime(int hour, int minute, int second)
{
    return static_cast<uint16_t>((hour << 11) | (minute << 5) | (second / 2));
}

} // namespace crashui
