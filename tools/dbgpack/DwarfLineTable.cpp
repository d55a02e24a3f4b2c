#include "DwarfLineTable.h"

#include "QorByteReader.h"

#include <map>

namespace dbgpack {

namespace {

using qor::ByteReader;

bool Uleb(ByteReader& reader, uint64_t& value)
{
    value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        uint8_t byte = 0;
        if (!reader.U8(byte))
            return false;
        value |= uint64_t(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            return true;
    }
    return false;
}

bool Sleb(ByteReader& reader, int64_t& value)
{
    uint64_t result = 0;
    int shift = 0;
    uint8_t byte = 0;
    do {
        if (shift >= 64 || !reader.U8(byte))
            return false;
        result |= uint64_t(byte & 0x7F) << shift;
        shift += 7;
    } while (byte & 0x80);
    if (shift < 64 && (byte & 0x40))
        result |= ~uint64_t(0) << shift;
    value = static_cast<int64_t>(result);
    return true;
}

std::string CString(std::string_view section, uint64_t offset)
{
    if (offset >= section.size())
        return {};
    const std::string_view rest = section.substr(static_cast<size_t>(offset));
    return std::string(rest.substr(0, rest.find('\0')));
}

std::string WithoutFolder(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The forms a DWARF 5 directory or file entry uses (DW_FORM_*).
enum Form : uint64_t {
    FormBlock2 = 0x03,
    FormBlock4 = 0x04,
    FormData2 = 0x05,
    FormData4 = 0x06,
    FormData8 = 0x07,
    FormString = 0x08,
    FormBlock = 0x09,
    FormBlock1 = 0x0A,
    FormData1 = 0x0B,
    FormSdata = 0x0D,
    FormStrp = 0x0E,
    FormUdata = 0x0F,
    FormData16 = 0x1E,
    FormLineStrp = 0x1F,
};

struct Sections {
    std::string_view lineStrings, strings;
};

// One attribute value: a text for the string forms, a number otherwise. False on damage or an
// unknown form.
bool ReadForm(ByteReader& reader, uint64_t form, const Sections& sections, std::string& text,
              uint64_t& number)
{
    uint8_t u8 = 0;
    uint16_t u16 = 0;
    uint32_t u32 = 0;
    int64_t signedValue = 0;
    text.clear();
    number = 0;
    switch (form) {
        case FormString:
            while (reader.U8(u8) && u8 != 0)
                text += static_cast<char>(u8);
            return u8 == 0;
        case FormLineStrp:
        case FormStrp:
            if (!reader.U32(u32))
                return false;
            text = CString(form == FormLineStrp ? sections.lineStrings : sections.strings, u32);
            return true;
        case FormData1:
            return reader.U8(u8) && ((number = u8), true);
        case FormData2:
            return reader.U16(u16) && ((number = u16), true);
        case FormData4:
            return reader.U32(u32) && ((number = u32), true);
        case FormData8:
            return reader.Skip(8);
        case FormData16:
            return reader.Skip(16);
        case FormUdata:
            return Uleb(reader, number);
        case FormSdata:
            return Sleb(reader, signedValue);
        case FormBlock:
            return Uleb(reader, number) && reader.Skip(static_cast<size_t>(number));
        case FormBlock1:
            return reader.U8(u8) && reader.Skip(u8);
        case FormBlock2:
            return reader.U16(u16) && reader.Skip(u16);
        case FormBlock4:
            return reader.U32(u32) && reader.Skip(u32);
        default:
            return false;
    }
}

constexpr uint64_t ContentPath = 1, ContentDirectoryIndex = 2;

// A DWARF 5 entry table (directories or files): the format, then the entries' paths and
// directory indexes.
bool ReadEntryTable(ByteReader& reader, const Sections& sections,
                    std::vector<std::pair<std::string, uint64_t>>& entries)
{
    uint8_t formatCount = 0;
    if (!reader.U8(formatCount))
        return false;
    std::vector<std::pair<uint64_t, uint64_t>> format(formatCount);
    for (auto& [content, form] : format)
        if (!Uleb(reader, content) || !Uleb(reader, form))
            return false;
    uint64_t count = 0;
    if (!Uleb(reader, count))
        return false;
    for (uint64_t i = 0; i < count; ++i) {
        std::pair<std::string, uint64_t> entry;
        for (const auto& [content, form] : format) {
            std::string text;
            uint64_t number = 0;
            if (!ReadForm(reader, form, sections, text, number))
                return false;
            if (content == ContentPath)
                entry.first = text;
            else if (content == ContentDirectoryIndex)
                entry.second = number;
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

class FileNames {
public:
    explicit FileNames(LineTables& tables) : tables_(tables) {}
    uint32_t IndexOf(const std::string& path)
    {
        const std::string name = WithoutFolder(path);
        const auto [it, added] = index_.try_emplace(name, uint32_t(tables_.files.size()));
        if (added)
            tables_.files.push_back(name);
        return it->second;
    }

private:
    LineTables& tables_;
    std::map<std::string, uint32_t> index_;
};

// One unit's header and program; false when the unit is damaged (its rows so far are kept).
bool ReadUnit(std::string_view unit, const Sections& sections, FileNames& names, LineTables& tables)
{
    ByteReader reader(unit);
    uint16_t version = 0;
    uint8_t addressSize = 4, segmentSelector = 0, minimumLength = 1, maxOps = 1, defaultIsStmt = 0;
    uint8_t lineRange = 0, opcodeBase = 0;
    int8_t lineBase = 0;
    uint32_t headerLength = 0;
    if (!reader.U16(version) || version < 2 || version > 5)
        return false;
    if (version >= 5 && (!reader.U8(addressSize) || !reader.U8(segmentSelector)))
        return false;
    if (!reader.U32(headerLength))
        return false;
    const size_t programStart = reader.Position() + headerLength;
    uint8_t lineBaseByte = 0;
    if (!reader.U8(minimumLength) || (version >= 4 && !reader.U8(maxOps)) ||
        !reader.U8(defaultIsStmt) || !reader.U8(lineBaseByte) || !reader.U8(lineRange) ||
        !reader.U8(opcodeBase) || lineRange == 0 || opcodeBase == 0)
        return false;
    lineBase = static_cast<int8_t>(lineBaseByte);
    std::vector<uint8_t> argumentCounts(opcodeBase, 0);
    for (size_t i = 1; i < opcodeBase; ++i)
        if (!reader.U8(argumentCounts[i]))
            return false;

    // The unit's file numbers, mapped to the shared file names.
    std::vector<uint32_t> files;
    if (version >= 5) {
        std::vector<std::pair<std::string, uint64_t>> directories, entries;
        if (!ReadEntryTable(reader, sections, directories) ||
            !ReadEntryTable(reader, sections, entries))
            return false;
        for (const auto& entry : entries)
            files.push_back(names.IndexOf(entry.first));
    } else {
        std::string text;
        uint64_t number = 0;
        while (ReadForm(reader, FormString, sections, text, number) && !text.empty()) {
        }
        files.push_back(names.IndexOf("")); // file numbers start at 1 before DWARF 5
        while (ReadForm(reader, FormString, sections, text, number) && !text.empty()) {
            uint64_t ignored = 0;
            if (!Uleb(reader, ignored) || !Uleb(reader, ignored) || !Uleb(reader, ignored))
                return false;
            files.push_back(names.IndexOf(text));
        }
    }
    ByteReader program(unit, programStart);
    if (program.Position() != programStart)
        return false;

    uint64_t address = 0, file = 1;
    int64_t line = 1;
    const auto fileIndex = [&]() { return file < files.size() ? files[file] : 0u; };
    const auto emit = [&](bool end) {
        tables.rows.push_back(
            {static_cast<uint32_t>(address), fileIndex(), static_cast<int32_t>(line), end});
    };
    const auto reset = [&]() {
        address = 0;
        file = 1;
        line = 1;
    };
    uint8_t opcode = 0;
    while (program.U8(opcode)) {
        uint64_t u = 0;
        int64_t s = 0;
        if (opcode >= opcodeBase) {
            const uint8_t adjusted = static_cast<uint8_t>(opcode - opcodeBase);
            address += uint64_t(adjusted / lineRange) * minimumLength;
            line += lineBase + adjusted % lineRange;
            emit(false);
            continue;
        }
        switch (opcode) {
            case 0: { // extended
                uint8_t sub = 0;
                if (!Uleb(program, u) || u == 0)
                    return false;
                const size_t next = program.Position() + static_cast<size_t>(u);
                if (!program.U8(sub))
                    return false;
                if (sub == 1) { // end of sequence
                    emit(true);
                    reset();
                } else if (sub == 2) { // set address
                    uint32_t value = 0;
                    if (addressSize != 4 || !program.U32(value))
                        return false;
                    address = value;
                }
                if (next > unit.size())
                    return false;
                program = ByteReader(unit, next);
                break;
            }
            case 1: // copy
                emit(false);
                break;
            case 2:
                if (!Uleb(program, u))
                    return false;
                address += u * minimumLength;
                break;
            case 3:
                if (!Sleb(program, s))
                    return false;
                line += s;
                break;
            case 4:
                if (!Uleb(program, file))
                    return false;
                break;
            case 8: // const add pc
                address += uint64_t((255 - opcodeBase) / lineRange) * minimumLength;
                break;
            case 9: {
                uint16_t delta = 0;
                if (!program.U16(delta))
                    return false;
                address += delta;
                break;
            }
            default: // opcodes without effect on the rows, skipped by their argument counts
                for (uint8_t i = 0; i < argumentCounts[opcode]; ++i)
                    if (!Uleb(program, u))
                        return false;
        }
    }
    return true;
}

} // namespace

LineTables ReadLineTables(std::string_view debugLine, std::string_view lineStrings,
                          std::string_view strings)
{
    LineTables tables;
    FileNames names(tables);
    const Sections sections{lineStrings, strings};
    ByteReader units(debugLine);
    uint32_t length = 0;
    while (units.U32(length) && length != 0xFFFFFFFF && length <= units.Left()) {
        const std::string_view unit = debugLine.substr(units.Position(), length);
        ReadUnit(unit, sections, names, tables);
        units.Skip(length);
    }
    return tables;
}

} // namespace dbgpack
