#pragma once
// Routines on 8-bit texts (system code page) and the character tables they rest on. The
// tables are built once from the platform's locale services, so that classification and
// case mapping are table look-ups afterwards.
#include <cstdint>
#include <string>
#include <string_view>

namespace classlib {
class TStrings;
}

namespace bcl {

struct CharTables {
    uint16_t type[256];     // CT_CTYPE1 flags per character
    uint8_t cases[3 * 256]; // lower-case, upper-case and case-toggled forms, 256 each
};

// Offsets of the three blocks of CharTables::cases.
enum CaseBlock : int { cbLower = 0, cbUpper = 256, cbToggle = 512 };

// The tables of the string routines, built on first use (module start-up forces it).
const CharTables& StringTables();

bool IsUpperChar(char c);
bool IsLowerChar(char c);
bool IsDigitChar(char c);
bool IsHexDigitChar(char c);
char TableUpperChar(char c);

void MapCaseInPlace(std::string& text, CaseBlock block);
void UpperCaseInPlace(std::string& text);
std::string UpperCaseCopy(std::string_view text);

void CutAtZeroChar(std::string& text);
std::string LeftChars(std::string_view text, int count);
std::string CharsFrom(std::string_view text, int index); // 1-based index

std::string EnsurePrefix(std::string_view prefix, std::string_view text);
std::string EnsureSuffix(std::string_view suffix, std::string_view text);
std::string RemovePrefixIfPresent(std::string_view prefix, std::string_view text);

// 1-based position of `sub` in `text` ignoring case, 0 when absent.
int FindTextNoCase(std::string_view sub, std::string_view text);
// As FindTextNoCase, searching from the 1-based `index`; the result is a position in `text`.
int FindTextFrom(std::string_view sub, std::string_view text, int index);

// Replaces `list` with the parts of `text` between occurrences of `separator`. Empty parts
// are kept only with `keepEmpty`; a trailing separator never yields an empty last part.
void SplitToList(std::string_view text, std::string_view separator, classlib::TStrings& list,
                 bool keepEmpty);

enum TReplaceTextFlag : unsigned { rtReplaceAll = 1, rtIgnoreCase = 2 };
using TReplaceTextFlags = unsigned;
// Replaces the first (or with rtReplaceAll every) occurrence of `search` in `text`. An
// empty `search` raises EBcStringError unless `text` is empty, which then becomes
// `replacement`. Zero characters in `text` are ordinary characters.
void ReplaceText(std::string& text, std::string_view search, std::string_view replacement,
                 TReplaceTextFlags flags);

// Copies `count` characters from `source` at 0-based `sourceOffset` into `dest` at 0-based
// `destOffset`; the caller guarantees both ranges.
void CopyCharsInto(std::string_view source, int sourceOffset, std::string& dest, int destOffset,
                   int count);

} // namespace bcl
