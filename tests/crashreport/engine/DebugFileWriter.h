#pragma once
// A test-side writer of synthetic debug files, made from the format descriptions: the packed
// payload (".qor" file and resource) and the ".bdbg" binary debug file.
#include "PackedBytes.h"

#include "QorCrypt.h"
#include "QorPackedDebugWriter.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct SyntheticSegment {
    uint32_t start;
    uint32_t length;
    std::string unit;
    bool hasLines = false;
};

struct SyntheticPublic {
    std::string name;
    uint32_t address;
};

struct SyntheticLine {
    int32_t line;
    uint32_t address;
};

struct SyntheticDebugInfo {
    std::vector<SyntheticSegment> segments;
    std::vector<SyntheticPublic> publics;
    std::vector<SyntheticLine> lines;
    bool withEntryPoint = false;
    uint32_t entryPoint = 0;
};

inline void AppendShortString(std::string& bytes, const std::string& text)
{
    bytes += static_cast<char>(text.size());
    bytes += text;
}

// The decoded tables of a packed payload (addresses relative to the code base), written by the
// engine's payload writer (the build tool's).
inline std::string PackedTables(const SyntheticDebugInfo& info, bool minimal)
{
    qor::PackedDebugContent content;
    for (const SyntheticSegment& s : info.segments)
        content.segments.push_back({true, true, s.start, s.length, s.unit, s.hasLines});
    for (const SyntheticPublic& p : info.publics)
        content.publics.push_back({true, true, p.name, p.address});
    for (const SyntheticLine& l : info.lines)
        content.lines.push_back({l.line, l.address});
    if (info.withEntryPoint)
        content.entryPoint = info.entryPoint;
    return qor::PackedDebugTables(content, minimal);
}

// The key of a payload of that length, by the rule of the format: the word, "$" and the
// length as seven upper-case hexadecimal digits, the word and the length as eight decimal
// digits, doubled and enciphered with itself as password.
inline std::string PayloadKey(const std::string& word, uint32_t length)
{
    char half[64];
    std::snprintf(half, sizeof half, "%s$%07X%s%08u", word.c_str(), length, word.c_str(), length);
    std::string key = std::string(half) + half;
    const std::string password = key;
    qor::LegacyEncrypt(key, password);
    return key;
}

struct PackedHeaderFields {
    std::string signature = "qorExceptDebug";
    std::string keyWord = "Orvane";
    uint32_t version = 3;
    uint32_t fingerprintA = 0x11223344;
    uint32_t fingerprintB = 0xA5A5A5A5;
    uint32_t flags = 0;
};

inline std::string PackedDebugFile(const std::string& tables, const PackedHeaderFields& fields = {})
{
    std::string payload = ZlibPackedString(tables);
    qor::LegacyEncrypt(payload, PayloadKey(fields.keyWord, static_cast<uint32_t>(payload.size())));
    std::string file = fields.signature;
    AppendLittleEndian32(file, static_cast<uint32_t>(payload.size()));
    AppendLittleEndian32(file, fields.version);
    if (fields.version == 3) {
        AppendLittleEndian32(file, fields.fingerprintA);
        AppendLittleEndian32(file, fields.fingerprintB);
        AppendLittleEndian32(file, fields.flags);
    }
    return file + payload;
}

// ".bdbg": source files (address, name), symbols (address, name, optional prefix) and lines,
// names stored as given (already encoded name-pool entries: XOR text, packed or "@" packed).
struct BdbgContent {
    struct File {
        uint32_t address;
        std::string poolEntry;
    };
    struct Symbol {
        uint32_t address;
        std::string poolEntry;
        std::string prefixEntry;
    };
    std::vector<File> files;
    std::vector<Symbol> symbols;
    std::vector<SyntheticLine> lines;
    bool checksumValid = true;
    bool corruptChecksum = false;
};

inline void AppendSevenBit(std::string& bytes, uint32_t value)
{
    do {
        uint8_t group = value & 0x7F;
        value >>= 7;
        if (value != 0)
            group |= 0x80;
        bytes += static_cast<char>(group);
    } while (value != 0);
}

// A name-pool entry with the plain text exclusive-or'ed with 0xAA (first byte 1).
inline std::string XorPoolEntry(const std::string& text)
{
    std::string entry = "\x01";
    for (char c : text)
        entry += static_cast<char>(static_cast<uint8_t>(c) ^ 0xAA);
    return entry + '\0';
}

// A packed name: 6-bit codes low bits first (1-10 digits, 11-36 upper, 37-62 lower, 63 "_").
inline std::string PackedPoolEntry(const std::string& text, bool atSign = false)
{
    const auto code = [](char c) -> uint32_t {
        if (c >= '0' && c <= '9')
            return uint32_t(c - '0' + 1);
        if (c >= 'A' && c <= 'Z')
            return uint32_t(c - 'A' + 11);
        if (c >= 'a' && c <= 'z')
            return uint32_t(c - 'a' + 37);
        return 63;
    };
    std::vector<uint8_t> bits((text.size() + 1) * 6 / 8 + 2, 0);
    for (size_t i = 0; i < text.size(); ++i)
        for (int b = 0; b < 6; ++b)
            if (code(text[i]) & (1u << b))
                bits[(i * 6 + static_cast<size_t>(b)) / 8] |=
                    static_cast<uint8_t>(1u << ((i * 6 + static_cast<size_t>(b)) % 8));
    std::string entry = atSign ? "\x02" : "";
    entry.append(bits.begin(), bits.end());
    return entry;
}

inline std::string BdbgFile(const BdbgContent& content)
{
    // Name pool first (offsets are 1-based into it), then the three tables.
    std::string pool(1, '\0'); // a leading byte, so that names start at offset 2 and later
    const auto poolOffset = [&pool](const std::string& entry) -> uint32_t {
        if (entry.empty())
            return 0;
        pool += entry;
        return static_cast<uint32_t>(pool.size() - entry.size() + 1);
    };
    std::string files, symbols, lines;
    uint32_t address = 0, name = 0, prefix = 0;
    for (const auto& f : content.files) {
        const uint32_t offset = poolOffset(f.poolEntry);
        AppendSevenBit(files, f.address - address);
        AppendSevenBit(files, offset - name);
        address = f.address;
        name = offset;
    }
    AppendSevenBit(files, 0x7FFFFFFF);
    address = name = 0;
    for (const auto& s : content.symbols) {
        const uint32_t offset = poolOffset(s.poolEntry);
        const uint32_t prefixOffset = poolOffset(s.prefixEntry);
        AppendSevenBit(symbols, s.address - address);
        AppendSevenBit(symbols, offset - name);
        AppendSevenBit(symbols, prefixOffset - prefix);
        address = s.address;
        name = offset;
        prefix = prefixOffset;
    }
    AppendSevenBit(symbols, 0x7FFFFFFF);
    address = 0;
    int32_t line = 0;
    for (const auto& l : content.lines) {
        AppendSevenBit(lines, l.address - address);
        AppendSevenBit(lines, static_cast<uint32_t>(l.line - line));
        address = l.address;
        line = l.line;
    }
    AppendSevenBit(lines, 0x7FFFFFFF);

    const uint32_t header = 36;
    std::string file = "BDBG";
    file += '\x01';
    const uint32_t filesAt = header, symbolsAt = filesAt + static_cast<uint32_t>(files.size());
    const uint32_t linesAt = symbolsAt + static_cast<uint32_t>(symbols.size());
    const uint32_t poolAt = linesAt + static_cast<uint32_t>(lines.size());
    for (uint32_t value : {0u, filesAt, symbolsAt, linesAt, poolAt, 0u, 0u})
        AppendLittleEndian32(file, value);
    file += content.checksumValid ? '\x01' : '\x00';
    file += '\0'; // up to the 36-byte header
    file += '\0';
    file += files + symbols + lines + pool;
    while (file.size() % 4 != 0)
        file += '\0';
    // The checksum word at offset 29 lies across two aligned words, as its bytes rotated
    // left by 8; so with those bytes zero, the sum of the words is the checksum for which
    // (sum - checksum) rotated right by 8 gives the checksum back.
    const auto wordSum = [&file]() {
        uint32_t sum = 0;
        for (size_t i = 0; i + 4 <= file.size(); i += 4)
            sum += uint32_t(uint8_t(file[i])) | uint32_t(uint8_t(file[i + 1])) << 8 |
                   uint32_t(uint8_t(file[i + 2])) << 16 | uint32_t(uint8_t(file[i + 3])) << 24;
        return sum;
    };
    const auto setChecksum = [&file](uint32_t c) {
        for (int i = 0; i < 4; ++i)
            file[29 + static_cast<size_t>(i)] = static_cast<char>((c >> (8 * i)) & 0xFF);
    };
    setChecksum(0);
    const uint32_t checksum = wordSum();
    setChecksum(content.corruptChecksum ? checksum ^ 1 : checksum);
    return file;
}

// TD32 debug data: the signature, the directory offset, the subsections and one directory
// (16-byte header, 12-byte entries) at the end.
struct Td32Subsection {
    uint16_t kind;
    std::string bytes;
};

inline void AppendLittleEndian16(std::string& bytes, uint16_t value)
{
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>(value >> 8);
}

inline std::string Td32Data(const std::vector<Td32Subsection>& subsections,
                            const std::string& signature = "FB09")
{
    std::string data = signature;
    AppendLittleEndian32(data, 0); // directory offset, filled below
    std::vector<uint32_t> offsets;
    for (const Td32Subsection& s : subsections) {
        offsets.push_back(static_cast<uint32_t>(data.size()));
        data += s.bytes;
    }
    const uint32_t directory = static_cast<uint32_t>(data.size());
    AppendLittleEndian16(data, 16);
    AppendLittleEndian16(data, 12);
    AppendLittleEndian32(data, static_cast<uint32_t>(subsections.size()));
    AppendLittleEndian32(data, 0);
    AppendLittleEndian32(data, 0);
    for (size_t i = 0; i < subsections.size(); ++i) {
        AppendLittleEndian16(data, subsections[i].kind);
        AppendLittleEndian16(data, 1);
        AppendLittleEndian32(data, offsets[i]);
        AppendLittleEndian32(data, static_cast<uint32_t>(subsections[i].bytes.size()));
    }
    for (int i = 0; i < 4; ++i)
        data[4 + static_cast<size_t>(i)] = static_cast<char>((directory >> (8 * i)) & 0xFF);
    return data;
}

// Name table: a count, then each name as length byte, characters and a zero byte.
inline Td32Subsection Td32Names(const std::vector<std::string>& names)
{
    std::string bytes;
    AppendLittleEndian32(bytes, static_cast<uint32_t>(names.size()));
    for (const std::string& name : names) {
        AppendShortString(bytes, name);
        bytes += '\0';
    }
    return {0x130, bytes};
}

struct Td32ModuleSegment {
    uint16_t segment;
    uint16_t flags;
    uint32_t offset;
    uint32_t size;
};

// Module: segment count at byte 4, name index at byte 8, 12-byte segment entries from byte 28.
inline Td32Subsection Td32Module(uint32_t nameIndex, const std::vector<Td32ModuleSegment>& segments)
{
    std::string bytes(28, '\0');
    bytes[4] = static_cast<char>(segments.size());
    for (int i = 0; i < 4; ++i)
        bytes[8 + static_cast<size_t>(i)] = static_cast<char>((nameIndex >> (8 * i)) & 0xFF);
    for (const Td32ModuleSegment& s : segments) {
        AppendLittleEndian16(bytes, s.segment);
        AppendLittleEndian16(bytes, s.flags);
        AppendLittleEndian32(bytes, s.offset);
        AppendLittleEndian32(bytes, s.size);
    }
    return {0x120, bytes};
}

// Source lines of one file with one line block: file count, file offset; range count, name
// index, block offset; segment, pair count, offsets, line numbers.
inline Td32Subsection Td32SourceLines(uint32_t nameIndex, uint16_t segment,
                                      const std::vector<SyntheticLine>& lines)
{
    std::string bytes;
    AppendLittleEndian16(bytes, 1);
    AppendLittleEndian32(bytes, 6);
    AppendLittleEndian16(bytes, 1);
    AppendLittleEndian32(bytes, nameIndex);
    AppendLittleEndian32(bytes, 16);
    AppendLittleEndian16(bytes, segment);
    AppendLittleEndian16(bytes, static_cast<uint16_t>(lines.size()));
    for (const SyntheticLine& l : lines)
        AppendLittleEndian32(bytes, l.address);
    for (const SyntheticLine& l : lines)
        AppendLittleEndian16(bytes, static_cast<uint16_t>(l.line));
    return {0x127, bytes};
}

// One symbol record of the given kind: length, kind, and the name index and address at the
// kind's offsets.
inline std::string Td32Symbol(uint16_t kind, uint16_t length, size_t nameAt, size_t addressAt,
                              uint32_t nameIndex, uint32_t address)
{
    std::string record(size_t(length) + 2, '\0');
    const auto put = [&record](size_t at, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            record[at + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(0, length, 2);
    put(2, kind, 2);
    put(nameAt, nameIndex, 4);
    put(addressAt, address, 4);
    return record;
}
