#include "PeFileView.h"

#include "QorByteReader.h"
#include "QorStrings.h"

#include <cstdlib>

namespace qor {

namespace {

constexpr size_t SymbolRecordSize = 18;
constexpr size_t SectionHeaderSize = 40;

std::string_view Slice(std::string_view bytes, uint64_t offset, uint64_t size)
{
    if (offset > bytes.size() || size > bytes.size() - offset)
        return {};
    return bytes.substr(static_cast<size_t>(offset), static_cast<size_t>(size));
}

// A resource directory entry's name: a UTF-16 text in the resource section (narrowed, which
// is enough for the ASCII names looked up here).
std::string ResourceEntryName(std::string_view rsrc, uint32_t offset)
{
    const uint16_t length = U16At(rsrc, offset);
    std::string name;
    for (uint32_t i = 0; i < length; ++i) {
        const uint64_t at = uint64_t(offset) + 2 + 2 * uint64_t(i);
        if (at + 2 > rsrc.size())
            return {};
        name += static_cast<char>(U16At(rsrc, static_cast<size_t>(at)) & 0xFF);
    }
    return name;
}

// The offset (in the resource section) of the entry matching `key` in the directory at
// `directory`; "#n" matches the numeric identifier n. 0 when absent.
uint32_t FindResourceEntry(std::string_view rsrc, uint32_t directory, std::string_view key)
{
    const uint32_t count = uint32_t(U16At(rsrc, directory + 12)) + U16At(rsrc, directory + 14);
    const bool numeric = !key.empty() && key[0] == '#';
    const uint32_t id =
        numeric
            ? static_cast<uint32_t>(std::strtoul(std::string(key.substr(1)).c_str(), nullptr, 10))
            : 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t entry = uint64_t(directory) + 16 + 8 * uint64_t(i);
        if (entry + 8 > rsrc.size())
            return 0;
        const uint32_t nameField = U32At(rsrc, static_cast<size_t>(entry));
        const bool named = (nameField & 0x80000000u) != 0;
        const bool hit =
            numeric ? (!named && nameField == id)
                    : (named && TextMatches(ResourceEntryName(rsrc, nameField & 0x7FFFFFFFu),
                                            std::string(key)));
        if (hit)
            return U32At(rsrc, static_cast<size_t>(entry) + 4);
    }
    return 0;
}

} // namespace

PeFileView::PeFileView(std::string_view bytes) : bytes_(bytes)
{
    if (U16At(bytes, 0) != 0x5A4D)
        return;
    const uint32_t pe = U32At(bytes, 60);
    if (U32At(bytes, pe) != 0x00004550 || uint64_t(pe) + 24 > bytes.size())
        return;
    const uint16_t sectionCount = U16At(bytes, pe + 6);
    const uint32_t symbolTable = U32At(bytes, pe + 12);
    const uint32_t symbolCount = U32At(bytes, pe + 16);
    const uint16_t optionalSize = U16At(bytes, pe + 20);
    const size_t optional = pe + 24;
    const uint16_t magic = U16At(bytes, optional);
    if (magic != 0x10B && magic != 0x20B)
        return;
    pe32Plus_ = magic == 0x20B;
    sizeOfCode_ = U32At(bytes, optional + 4);
    initializedData_ = U32At(bytes, optional + 8);
    uninitializedData_ = U32At(bytes, optional + 12);
    entryPoint_ = U32At(bytes, optional + 16);
    baseOfCode_ = U32At(bytes, optional + 20);
    baseOfData_ = pe32Plus_ ? 0 : U32At(bytes, optional + 24);
    imageBase_ = pe32Plus_ ? uint64_t(U32At(bytes, optional + 24)) |
                                 uint64_t(U32At(bytes, optional + 28)) << 32
                           : U32At(bytes, optional + 28);
    const size_t directoryCountAt = optional + (pe32Plus_ ? 108 : 92);
    const uint32_t directoryCount = U32At(bytes, directoryCountAt);
    for (uint32_t i = 0; i < directoryCount && i < 16; ++i) {
        const size_t at = directoryCountAt + 4 + 8 * size_t(i);
        if (at + 8 > optional + optionalSize)
            break;
        directories_.push_back({U32At(bytes, at), U32At(bytes, at + 4)});
    }
    if (symbolTable != 0) {
        symbols_ = Slice(bytes, symbolTable, uint64_t(symbolCount) * SymbolRecordSize);
        const uint64_t stringsAt = uint64_t(symbolTable) + uint64_t(symbolCount) * SymbolRecordSize;
        const uint32_t stringsSize =
            U32At(bytes, static_cast<size_t>(std::min<uint64_t>(stringsAt, bytes.size())));
        strings_ = Slice(bytes, stringsAt, stringsSize);
    }
    const size_t sectionsAt = optional + optionalSize;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        const std::string_view header =
            Slice(bytes, sectionsAt + SectionHeaderSize * i, SectionHeaderSize);
        if (header.empty())
            break;
        PeSectionHeader section;
        section.name = std::string(header.substr(0, header.substr(0, 8).find('\0')));
        if (section.name.size() > 1 && section.name[0] == '/') {
            const size_t offset = std::strtoul(section.name.c_str() + 1, nullptr, 10);
            if (offset < strings_.size()) {
                const std::string_view rest = strings_.substr(offset);
                section.name = std::string(rest.substr(0, rest.find('\0')));
            }
        }
        section.virtualSize = U32At(header, 8);
        section.virtualAddress = U32At(header, 12);
        section.rawSize = U32At(header, 16);
        section.rawOffset = U32At(header, 20);
        section.characteristics = U32At(header, 36);
        sections_.push_back(std::move(section));
    }
    valid_ = true;
}

std::pair<uint32_t, uint32_t> PeFileView::DataDirectory(uint32_t index) const
{
    return index < directories_.size() ? directories_[index] : std::pair<uint32_t, uint32_t>{};
}

std::optional<uint32_t> PeFileView::FileOffsetOf(uint32_t rva) const
{
    for (const PeSectionHeader& s : sections_)
        if (rva >= s.virtualAddress && rva - s.virtualAddress < s.rawSize)
            return s.rawOffset + (rva - s.virtualAddress);
    return std::nullopt;
}

const PeSectionHeader* PeFileView::Section(std::string_view name) const
{
    for (const PeSectionHeader& s : sections_)
        if (s.name == name)
            return &s;
    return nullptr;
}

std::string_view PeFileView::SectionBytes(std::string_view name) const
{
    const PeSectionHeader* s = Section(name);
    if (!s)
        return {};
    return Slice(bytes_, s->rawOffset,
                 std::min(s->rawSize, s->virtualSize ? s->virtualSize : s->rawSize));
}

std::string_view PeFileView::Resource(std::string_view type, std::string_view name) const
{
    const auto [rva, size] = DataDirectory(2);
    const std::optional<uint32_t> at = rva ? FileOffsetOf(rva) : std::nullopt;
    if (!at)
        return {};
    const std::string_view rsrc = Slice(bytes_, *at, size);
    // Three levels: type, name, language (the first language is taken).
    uint32_t entry = FindResourceEntry(rsrc, 0, type);
    if (!(entry & 0x80000000u))
        return {};
    entry = FindResourceEntry(rsrc, entry & 0x7FFFFFFFu, name);
    if (!(entry & 0x80000000u))
        return {};
    const uint32_t languages = entry & 0x7FFFFFFFu;
    if (uint32_t(U16At(rsrc, languages + 12)) + U16At(rsrc, languages + 14) == 0)
        return {};
    const uint32_t leaf = U32At(rsrc, languages + 20);
    if (leaf & 0x80000000u)
        return {};
    const std::optional<uint32_t> data = FileOffsetOf(U32At(rsrc, leaf));
    if (!data)
        return {};
    return Slice(bytes_, *data, U32At(rsrc, leaf + 4));
}

ModuleLayout PeFileView::LayoutAt(uint32_t base) const
{
    ModuleLayout layout;
    if (!sections_.empty() && sections_[0].Code()) {
        layout.codeBase = base + sections_[0].virtualAddress;
        layout.codeEnd = layout.codeBase + sections_[0].virtualSize;
        if (sections_.size() > 1 && sections_[1].Code()) {
            layout.codeEnd = base + sections_[1].virtualAddress + sections_[1].virtualSize;
            layout.twoCodeSections = true;
        }
    } else {
        layout.codeBase = base + baseOfCode_;
        layout.codeEnd = layout.codeBase + sizeOfCode_;
    }
    layout.dataBase = base + baseOfData_;
    return layout;
}

} // namespace qor
