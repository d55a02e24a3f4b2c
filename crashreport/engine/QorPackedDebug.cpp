// Reader of the packed debug payload.
#include "QorByteReader.h"
#include "QorCrypt.h"
#include "QorDebugReaders.h"
#include "QorStrings.h"
#include "QorZip.h"

namespace qor {

namespace {

// The fixed word the key is made from.
constexpr const char* KeyWord = "Orvane";

std::string UpperHex(uint32_t value, int digits)
{
    std::string text = FormatHex(value, digits, '0').substr(1);
    for (char& c : text)
        c = UpperChar(c);
    return text;
}

// Reads the decoded tables: segments, publics and lines, then the entry point when exactly
// four bytes remain. Reading stops where the data runs out.
void ReadPackedTables(std::string_view decoded, bool minimal, DebugTables& tables)
{
    ByteReader reader(decoded);
    const uint32_t codeBase = tables.BaseOf(true);
    uint32_t count = 0;
    if (!reader.U32(count))
        return;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t start = 0, length = 0;
        std::string unit;
        uint8_t hasLines = 0;
        if (!reader.U32(start) || !reader.U32(length))
            return;
        if (minimal) {
            if (!reader.U8(hasLines))
                return;
            unit = "segment%" + std::to_string(i);
        } else if (!reader.ShortString(unit)) {
            return;
        }
        tables.AddSegment(true, codeBase + start, length, std::move(unit), hasLines != 0);
    }
    tables.SortSegments();

    if (!reader.U32(count))
        return;
    uint32_t address = 0;
    for (uint32_t i = 0; i < count; ++i) {
        std::string name = "public%" + std::to_string(i);
        if (!minimal && !reader.ShortString(name))
            return;
        if (i == 0) {
            if (!reader.U32(address))
                return;
            address += codeBase;
        } else {
            int32_t delta = 0;
            if (!reader.Compact(delta))
                return;
            address += static_cast<uint32_t>(delta);
        }
        tables.AddStoredPublic(true, std::move(name), address);
    }

    if (!reader.U32(count))
        return;
    uint32_t line = 0;
    address = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (i == 0) {
            if (!reader.U32(line) || !reader.U32(address))
                return;
            address += codeBase;
        } else {
            int32_t lineDelta = 0, addressDelta = 0;
            if (!reader.Compact(lineDelta) || !reader.Compact(addressDelta))
                return;
            line += static_cast<uint32_t>(lineDelta);
            address += static_cast<uint32_t>(addressDelta);
        }
        tables.AddLine(static_cast<int32_t>(line), address);
    }

    uint32_t entryPoint = 0;
    if (reader.Left() == 4 && reader.U32(entryPoint))
        tables.entryPoint = entryPoint + codeBase;
}

} // namespace

std::optional<PackedDebugHeader> ReadPackedDebugHeader(std::string_view data)
{
    if (data.size() <= PackedDebugSignature.size() + 8 ||
        data.substr(0, PackedDebugSignature.size()) != PackedDebugSignature)
        return std::nullopt;
    PackedDebugHeader header;
    ByteReader reader(data, PackedDebugSignature.size());
    if (!reader.U32(header.payloadLength) || !reader.U32(header.version))
        return std::nullopt;
    if (header.version != 2 && header.version != 3)
        return std::nullopt;
    if (header.version == 3 && !(reader.U32(header.fingerprintA) &&
                                 reader.U32(header.fingerprintB) && reader.U32(header.flags)))
        return std::nullopt;
    if (header.payloadLength > reader.Left())
        return std::nullopt;
    header.payloadOffset = reader.Position();
    return header;
}

std::string PackedDebugFingerprint(size_t dataLength, uint32_t a, uint32_t b)
{
    return FormatHex(static_cast<uint32_t>(dataLength), 8, '0') + ", " + FormatHex(a, 8, '0') +
           ", " + FormatHex(b, 8, '0');
}

std::string PackedDebugKey(uint32_t payloadLength)
{
    std::string decimal = std::to_string(payloadLength);
    if (decimal.size() < 8)
        decimal.insert(0, 8 - decimal.size(), '0');
    const std::string half =
        std::string(KeyWord) + "$" + UpperHex(payloadLength, 7) + KeyWord + decimal;
    std::string key = half + half;
    const std::string password = key;
    LegacyEncrypt(key, password);
    return key;
}

bool ReadPackedDebugInfo(std::string_view data, DebugTables& tables)
{
    const std::optional<PackedDebugHeader> header = ReadPackedDebugHeader(data);
    if (!header)
        return false;
    if (!tables.fingerprint.empty() &&
        tables.fingerprint !=
            PackedDebugFingerprint(data.size(), header->fingerprintA, header->fingerprintB))
        return false;
    const bool minimal = (header->flags & PackedMinimalFlag) != 0;
    if (!minimal)
        tables.fingerprint.clear();
    std::string payload(data.substr(header->payloadOffset, header->payloadLength));
    LegacyDecrypt(payload, PackedDebugKey(header->payloadLength));
    const std::string decoded = UnpackString(payload);
    if (decoded.empty())
        return false;
    ReadPackedTables(decoded, minimal, tables);
    return true;
}

} // namespace qor
