// Reader of the ".bdbg" binary debug file.
#include "QorByteReader.h"
#include "QorDebugReaders.h"

#include <array>

namespace qor {

namespace {

constexpr size_t HeaderSize = 35;
constexpr uint8_t Version = 1;
constexpr uint32_t TableEnd = 0x7FFFFFFF;
constexpr size_t LongestName = 255;

struct BdbgHeader {
    uint32_t fileTable = 0;
    uint32_t symbolTable = 0;
    uint32_t lineTable = 0;
    uint32_t namePool = 0;
    uint32_t checksum = 0;
    bool checksumValid = false;
};

bool ChecksumHolds(std::string_view data, uint32_t checksum)
{
    uint32_t sum = 0;
    for (size_t offset = 0; offset + 4 <= data.size(); offset += 4)
        sum += U32At(data, offset);
    sum -= checksum;
    return ((sum >> 8) | (sum << 24)) == checksum;
}

// The next tuple of a table, or false at its end marker or where the data runs out.
template <size_t N>
bool NextTuple(ByteReader& reader, std::array<uint32_t, N>& deltas)
{
    for (uint32_t& delta : deltas)
        if (!reader.SevenBit(delta) || (&delta == &deltas[0] && delta == TableEnd))
            return false;
    return true;
}

// Packed names: 6-bit characters, low bits first, four characters in three bytes.
char PackedCharacter(uint32_t code)
{
    static constexpr char Alphabet[] =
        "\0"
        "0123456789"
        "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
        "abcdefghijklmnopqrstuvwxyz"
        "_";
    return Alphabet[code & 63];
}

std::string PackedName(std::string_view bytes, std::string name)
{
    for (size_t bit = 0; name.size() < LongestName; bit += 6) {
        const size_t byte = bit / 8;
        if (byte >= bytes.size())
            break;
        uint32_t window = static_cast<uint8_t>(bytes[byte]);
        if (byte + 1 < bytes.size())
            window |= uint32_t(static_cast<uint8_t>(bytes[byte + 1])) << 8;
        const uint32_t code = (window >> (bit % 8)) & 63;
        if (code == 0)
            break;
        name += PackedCharacter(code);
    }
    return name;
}

std::string NameAt(std::string_view data, const BdbgHeader& header, int32_t offset)
{
    if (offset <= 0)
        return {};
    const uint64_t start = uint64_t(header.namePool) + static_cast<uint32_t>(offset) - 1;
    if (start >= data.size())
        return {};
    const std::string_view bytes = data.substr(static_cast<size_t>(start));
    switch (static_cast<uint8_t>(bytes[0])) {
        case 1: {
            // A plain text with every byte but 0xAA exclusive-or'ed with 0xAA.
            std::string name;
            for (size_t i = 1; i < bytes.size() && bytes[i] != '\0' && name.size() < LongestName;
                 ++i) {
                const uint8_t b = static_cast<uint8_t>(bytes[i]);
                name += static_cast<char>(b == 0xAA ? b : b ^ 0xAA);
            }
            return name;
        }
        case 2:
            return PackedName(bytes.substr(1), "@");
        default:
            return PackedName(bytes, {});
    }
}

std::string WithoutPath(std::string name)
{
    const size_t slash = name.rfind('\\');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

} // namespace

bool ReadBdbgFile(std::string_view data, DebugTables& tables)
{
    if (data.size() < HeaderSize || data.size() % 4 != 0 || data.substr(0, 4) != "BDBG" ||
        static_cast<uint8_t>(data[4]) != Version)
        return false;
    BdbgHeader header;
    header.fileTable = U32At(data, 9);
    header.symbolTable = U32At(data, 13);
    header.lineTable = U32At(data, 17);
    header.namePool = U32At(data, 21);
    header.checksum = U32At(data, 29);
    header.checksumValid = data[33] != 0;
    if (header.checksumValid && !ChecksumHolds(data, header.checksum))
        return false;
    const uint32_t codeBase = tables.BaseOf(true);

    // Source files: each starts a code unit range at its address; the ranges reach to the
    // next one and the last to the end of the code.
    {
        ByteReader reader(data, header.fileTable);
        std::array<uint32_t, 2> deltas{};
        uint32_t address = 0, name = 0;
        while (header.fileTable < data.size() && NextTuple(reader, deltas)) {
            address += deltas[0];
            name += deltas[1];
            tables.AddSegment(true, codeBase + address, 1,
                              WithoutPath(NameAt(data, header, static_cast<int32_t>(name))));
        }
        tables.SortSegments();
        tables.MergeSegments(false);
        if (!tables.segments.empty()) {
            TMfSegment& last = tables.segments.back();
            const uint32_t codeEnd = tables.Layout().codeEnd;
            if (last.code && codeEnd > last.start)
                last.length = codeEnd - last.start;
        }
    }
    {
        ByteReader reader(data, header.symbolTable);
        std::array<uint32_t, 3> deltas{};
        uint32_t address = 0, name = 0, prefix = 0;
        while (header.symbolTable < data.size() && NextTuple(reader, deltas)) {
            address += deltas[0];
            name += deltas[1];
            prefix += deltas[2];
            std::string text = NameAt(data, header, static_cast<int32_t>(name));
            if (static_cast<int32_t>(prefix) > 0)
                text = NameAt(data, header, static_cast<int32_t>(prefix)) + "." + text;
            tables.AddPublic(true, std::move(text), address);
        }
    }
    {
        ByteReader reader(data, header.lineTable);
        std::array<uint32_t, 2> deltas{};
        uint32_t address = 0, line = 0;
        while (header.lineTable < data.size() && NextTuple(reader, deltas)) {
            address += deltas[0];
            line += deltas[1];
            tables.AddLine(static_cast<int32_t>(line), codeBase + address);
        }
    }
    return true;
}

} // namespace qor
