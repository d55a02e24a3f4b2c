#include "QorPackedDebugWriter.h"

#include "QorCrypt.h"
#include "QorDebugReaders.h"
#include "QorZip.h"

#include <algorithm>

namespace qor {

namespace {

void AppendU32(std::string& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// One signed byte, or the escape byte 0x80 and the 32-bit value (0x80 itself is -128).
void AppendCompact(std::string& bytes, uint32_t delta)
{
    const int32_t value = static_cast<int32_t>(delta);
    if (value >= -127 && value <= 127) {
        bytes += static_cast<char>(static_cast<int8_t>(value));
        return;
    }
    bytes += '\x80';
    AppendU32(bytes, delta);
}

// A length byte and at most 255 characters.
void AppendShortString(std::string& bytes, const std::string& text)
{
    const size_t length = std::min<size_t>(text.size(), 255);
    bytes += static_cast<char>(length);
    bytes.append(text, 0, length);
}

} // namespace

std::string PackedDebugTables(const PackedDebugContent& content, bool minimal)
{
    std::string bytes;
    AppendU32(bytes, static_cast<uint32_t>(content.segments.size()));
    for (const TMfSegment& s : content.segments) {
        AppendU32(bytes, s.start);
        AppendU32(bytes, s.length);
        if (minimal)
            bytes += static_cast<char>(s.hasLines ? 1 : 0);
        else
            AppendShortString(bytes, s.unit);
    }
    AppendU32(bytes, static_cast<uint32_t>(content.publics.size()));
    for (size_t i = 0; i < content.publics.size(); ++i) {
        if (!minimal)
            AppendShortString(bytes, content.publics[i].name);
        if (i == 0)
            AppendU32(bytes, content.publics[i].address);
        else
            AppendCompact(bytes, content.publics[i].address - content.publics[i - 1].address);
    }
    const std::vector<TMfLine>& lines = content.lines;
    AppendU32(bytes, static_cast<uint32_t>(lines.size()));
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i == 0) {
            AppendU32(bytes, static_cast<uint32_t>(lines[i].line));
            AppendU32(bytes, lines[i].address);
        } else {
            AppendCompact(bytes, static_cast<uint32_t>(lines[i].line) -
                                     static_cast<uint32_t>(lines[i - 1].line));
            AppendCompact(bytes, lines[i].address - lines[i - 1].address);
        }
    }
    if (content.entryPoint)
        AppendU32(bytes, *content.entryPoint);
    return bytes;
}

std::string PackedDebugData(const std::string& tables, const PackedDebugHeaderFields& fields)
{
    std::string payload = PackString(tables);
    if (payload.empty())
        return {};
    // The cipher works on whole 8-byte blocks: the reader deciphers the same whole blocks and
    // the compressed string's own length ignores what follows the deflate data.
    const uint32_t length = static_cast<uint32_t>(payload.size());
    LegacyEncrypt(payload, PackedDebugKey(length));
    std::string data(PackedDebugSignature);
    AppendU32(data, length);
    AppendU32(data, fields.version);
    if (fields.version == 3) {
        AppendU32(data, fields.fingerprintA);
        AppendU32(data, fields.fingerprintB);
        AppendU32(data, fields.flags);
    }
    return data + payload;
}

} // namespace qor
