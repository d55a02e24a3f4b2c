#include "BcFileVersion.h"

#include "BcErrors.h"
#include "BcPlatformText.h"
#include "BcResourceTexts.h"
#include "BcStrings.h"
#include "core/SysUtils.h"

#include <cstring>

namespace bcl {

namespace {

constexpr std::string_view KeyNames[] = {
    "Comments",     "CompanyName",    "FileDescription", "FileVersion",
    "InternalName", "LegalCopyright", "LegalTradeMarks", "OriginalFilename",
    "ProductName",  "ProductVersion", "SpecialBuild",    "PrivateBuild",
};

// VS_FF_* bit of each TFileVersionFlag, in the enumeration's order.
constexpr uint32_t FlagBits[] = {0x1, 0x10, 0x4, 0x2, 0x8, 0x20};

bool SameTextAscii(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && UpperCaseCopy(a) == UpperCaseCopy(b);
}

size_t RoundUp4(size_t offset)
{
    return (offset + 3) & ~size_t{3};
}

// Keeps only the hexadecimal digits of a string-table key, after dropping "0x" pairs.
std::string NormaliseTableKey(std::string key)
{
    for (auto at = key.find("0x"); at != std::string::npos; at = key.find("0x"))
        key.erase(at, 2);
    std::string digits;
    for (char c : key)
        if (IsHexDigitChar(c))
            digits += c;
    return digits;
}

uint32_t HexValueOrZero(std::string_view digits)
{
    uint32_t value = 0;
    for (char c : digits) {
        const int d = (c >= '0' && c <= '9')   ? c - '0'
                      : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                      : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                               : -1;
        if (d < 0)
            return 0;
        value = value * 16 + static_cast<uint32_t>(d);
    }
    return value;
}

struct Invalid {}; // raised inside the parser, turned into the error mark

} // namespace

std::string_view VersionKeyName(int keyNumber)
{
    if (keyNumber < 1 || keyNumber > 12)
        return {};
    return KeyNames[keyNumber - 1];
}

// Walks the resource. Every read checks against `end_` (the smaller of the buffer's size
// and the root block's length) and throws Invalid when it would pass it.
class TBcFileVersionInfo::Parser {
public:
    Parser(TBcFileVersionInfo& info, std::string_view data)
        : info_(info), data_(data), end_(data.size())
    {
    }

    void Run()
    {
        Need(0, 6);
        wide_ = Word(4) <= 1;
        Header root = ReadHeader(0);
        if (root.length > data_.size())
            throw Invalid{};
        end_ = root.length;
        if (!SameTextAscii(root.key, "VS_VERSION_INFO") || root.valueLength != 52)
            throw Invalid{};
        Need(root.valueStart, 52);
        std::memcpy(&info_.fixedPart_, data_.data() + root.valueStart, 52);
        if (info_.fixedPart_.Signature != VsFixedFileInfoSignature)
            throw Invalid{};
        size_t pos = RoundUp4(root.valueStart + 52);
        while (pos < end_) {
            const Header child = ReadHeader(pos);
            const size_t childEnd = BlockEnd(child);
            const size_t contentStart = RoundUp4(child.valueStart + child.valueLength);
            if (SameTextAscii(child.key, "StringFileInfo"))
                ReadStringInfo(contentStart, childEnd);
            else if (SameTextAscii(child.key, "VarFileInfo"))
                ReadVarInfo(contentStart, childEnd);
            else
                break; // an unknown block ends the walk; what was read stays
            pos = RoundUp4(childEnd);
        }
        for (size_t flag = 0; flag < std::size(FlagBits); ++flag)
            if (info_.fixedPart_.FileFlagsMask & info_.fixedPart_.FileFlags & FlagBits[flag])
                info_.buildFlags_ |= static_cast<uint8_t>(1u << flag);
    }

private:
    struct Header {
        size_t start;
        size_t length;
        size_t valueLength;
        uint16_t type;
        std::string key;
        size_t valueStart;
    };

    void Need(size_t offset, size_t count) const
    {
        if (offset > end_ || count > end_ - offset)
            throw Invalid{};
    }

    uint16_t Word(size_t offset) const
    {
        Need(offset, 2);
        return static_cast<uint16_t>(static_cast<uint8_t>(data_[offset]) |
                                     static_cast<uint8_t>(data_[offset + 1]) << 8);
    }

    // Zero-terminated wide text at `offset`; `next` receives the offset after the zero.
    std::u16string WideZeroText(size_t offset, size_t& next) const
    {
        std::u16string text;
        for (;; offset += 2) {
            const uint16_t ch = Word(offset);
            if (ch == 0)
                break;
            text += static_cast<char16_t>(ch);
        }
        next = offset + 2;
        return text;
    }

    std::string NarrowZeroText(size_t offset, size_t& next) const
    {
        if (offset > end_)
            throw Invalid{};
        const size_t zero = data_.substr(0, end_).find('\0', offset);
        if (zero == std::string_view::npos)
            throw Invalid{};
        next = zero + 1;
        return std::string(data_.substr(offset, zero - offset));
    }

    Header ReadHeader(size_t start) const
    {
        Header h{};
        h.start = start;
        h.length = Word(start);
        h.valueLength = Word(start + 2);
        if (h.length == 0)
            throw Invalid{};
        size_t next;
        if (wide_) {
            h.type = Word(start + 4);
            h.key = WideToAnsiText(WideZeroText(start + 6, next));
        } else {
            h.type = 1;
            h.key = NarrowZeroText(start + 4, next);
        }
        h.valueStart = RoundUp4(next);
        return h;
    }

    size_t BlockEnd(const Header& h) const
    {
        if (h.length > end_ - h.start)
            throw Invalid{};
        return h.start + h.length;
    }

    void ReadStringInfo(size_t pos, size_t infoEnd)
    {
        uint32_t langIndex = 0;
        while (pos < infoEnd) {
            const Header table = ReadHeader(pos);
            const size_t tableEnd = BlockEnd(table);
            const std::string key = NormaliseTableKey(table.key);
            if (table.valueLength != 0 || key.size() != 8)
                throw Invalid{};
            const uint32_t language = HexValueOrZero(std::string_view(key).substr(0, 4));
            const uint32_t codePage = HexValueOrZero(std::string_view(key).substr(4, 4));
            info_.stringTableLanguages_.push_back(language | codePage << 16);
            pos = table.valueStart;
            while (pos < tableEnd) {
                const Header str = ReadHeader(pos);
                const size_t strEnd = BlockEnd(str);
                info_.allStrings_.push_back({str.key + "=" + StringValue(str), langIndex});
                pos = RoundUp4(strEnd);
            }
            pos = RoundUp4(tableEnd);
            ++langIndex;
        }
    }

    std::string StringValue(const Header& str) const
    {
        const size_t at = str.valueStart;
        const size_t len = str.valueLength;
        if (str.type == 0) {
            if (len >= 1 && len <= 4) {
                // Only the value's own bytes are read: a short value is not widened with
                // whatever follows it.
                Need(at, len);
                uint32_t value = 0;
                for (size_t i = 0; i < len; ++i)
                    value |= uint32_t{static_cast<uint8_t>(data_[at + i])} << (8 * i);
                return classlib::Format("$%.*x", {static_cast<int>(len * 2), value});
            }
            if (len != 0 && wide_) {
                size_t next;
                return WideToAnsiText(WideZeroText(at, next));
            }
            return {};
        }
        if (str.type != 1)
            throw Invalid{};
        if (len == 0)
            return {};
        if (wide_) {
            Need(at, len * 2);
            std::u16string text;
            for (size_t i = 0; i < len; ++i) {
                const uint16_t ch = Word(at + 2 * i);
                if (ch == 0)
                    break;
                text += static_cast<char16_t>(ch);
            }
            return WideToAnsiText(text);
        }
        size_t next;
        return NarrowZeroText(at, next);
    }

    void ReadVarInfo(size_t pos, size_t infoEnd)
    {
        if (pos >= infoEnd)
            return;
        const Header var = ReadHeader(pos);
        if (!SameTextAscii(var.key, "Translation"))
            return;
        const size_t count = var.valueLength / 4;
        Need(var.valueStart, count * 4);
        for (size_t i = 0; i < count; ++i) {
            const size_t at = var.valueStart + 4 * i;
            info_.translationList_.push_back(Word(at) | uint32_t{Word(at + 2)} << 16);
        }
    }

    TBcFileVersionInfo& info_;
    std::string_view data_;
    size_t end_;
    bool wide_ = true;
};

TBcFileVersionInfo::TBcFileVersionInfo(std::string_view resourceBuffer)
    : resourceBuffer_(resourceBuffer.begin(), resourceBuffer.end())
{
    try {
        Parser(*this, std::string_view(resourceBuffer_.data(), resourceBuffer_.size())).Run();
    } catch (const Invalid&) {
        throw EBcFileVersionInfoError(texts::NoVersionInformation);
    }
    FillLanguageStrings();
}

void TBcFileVersionInfo::FillLanguageStrings()
{
    languageStrings_.clear();
    if (currentLanguage_ < 0 ||
        static_cast<size_t>(currentLanguage_) >= stringTableLanguages_.size())
        return;
    const uint32_t record = stringTableLanguages_[static_cast<size_t>(currentLanguage_)];
    for (const auto& line : allStrings_)
        if (line.tag == static_cast<uint32_t>(currentLanguage_))
            languageStrings_.push_back({line.text, record});
}

std::string TBcFileVersionInfo::KeyValue(int keyNumber) const
{
    const std::string_view name = VersionKeyName(keyNumber);
    if (name.empty())
        return {};
    for (const auto& line : languageStrings_) {
        const auto eq = line.text.find('=');
        if (eq != std::string::npos &&
            SameTextAscii(std::string_view(line.text).substr(0, eq), name))
            return line.text.substr(eq + 1);
    }
    return {};
}

} // namespace bcl
