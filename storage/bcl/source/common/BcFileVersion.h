#pragma once
// Reader of a version resource as the platform hands it out (the bytes GetFileVersionInfo
// returns): the fixed file information, the file flags, the string tables with their
// languages and the translation list. Every read is bounded by the end of the data; a
// resource that would need a read beyond it is refused as invalid.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bcl {

// VS_FIXEDFILEINFO, 52 bytes.
struct VsFixedFileInfo {
    uint32_t Signature;
    uint32_t StrucVersion;
    uint32_t FileVersionMS;
    uint32_t FileVersionLS;
    uint32_t ProductVersionMS;
    uint32_t ProductVersionLS;
    uint32_t FileFlagsMask;
    uint32_t FileFlags;
    uint32_t FileOS;
    uint32_t FileType;
    uint32_t FileSubtype;
    uint32_t FileDateMS;
    uint32_t FileDateLS;
};
static_assert(sizeof(VsFixedFileInfo) == 52);
inline constexpr uint32_t VsFixedFileInfoSignature = 0xFEEF04BD;

// Bit positions in TBcFileVersionInfo::BuildFlags().
enum TFileVersionFlag : uint8_t {
    fvDebug,
    fvInfoInferred,
    fvPatched,
    fvPreRelease,
    fvPrivateBuild,
    fvSpecialBuild,
};

// The standard string keys by number (1 "Comments" .. 12 "PrivateBuild").
std::string_view VersionKeyName(int keyNumber);

class TBcFileVersionInfo {
public:
    struct StringLine {
        std::string text; // key "=" value
        uint32_t tag;     // AllStrings: language index; LanguageStrings: language record
    };

    // Parses the resource; raises EBcFileVersionInfoError when it is not a valid one.
    explicit TBcFileVersionInfo(std::string_view resourceBuffer);

    const VsFixedFileInfo& FixedPart() const { return fixedPart_; }
    uint8_t BuildFlags() const { return buildFlags_; }
    bool HasFlag(TFileVersionFlag flag) const { return buildFlags_ & (1u << flag); }
    const std::vector<StringLine>& AllStrings() const { return allStrings_; }
    const std::vector<StringLine>& LanguageStrings() const { return languageStrings_; }
    // Language id in the low 16 bits, code page in the high 16 bits, one per string table.
    const std::vector<uint32_t>& StringTableLanguages() const { return stringTableLanguages_; }
    const std::vector<uint32_t>& TranslationList() const { return translationList_; }
    int CurrentLanguage() const { return currentLanguage_; }

    // Value of standard key 1..12 in the current language, empty when it has none.
    std::string KeyValue(int keyNumber) const;

private:
    class Parser;

    void FillLanguageStrings();

    std::vector<char> resourceBuffer_; // exactly the resource's bytes, nothing after them
    VsFixedFileInfo fixedPart_{};
    uint8_t buildFlags_ = 0;
    std::vector<StringLine> allStrings_;
    std::vector<StringLine> languageStrings_;
    std::vector<uint32_t> stringTableLanguages_;
    int currentLanguage_ = 0;
    std::vector<uint32_t> translationList_;
};

} // namespace bcl
