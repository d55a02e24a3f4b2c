#pragma once
// The crash-report engine's text toolkit over 8-bit texts (system code page) and its root
// exception class. Positions are 1-based with 0 for "not found" (FindInBuffer alone works with
// 0-based offsets and -1); case-insensitive routines compare through one fixed table that
// lower-cases the letters of the Windows-1252 code page. No routine raises: positions out of
// range are clipped.
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

namespace qor {

// Root of the engine's exceptions. Deliberately not derived from the class library's
// Exception: the engine's own failures must not look like the application's.
class QorException {
public:
    explicit QorException(std::string message) : message_(std::move(message)) {}
    virtual ~QorException() = default;

    const std::string& Message() const noexcept { return message_; }

private:
    std::string message_;
};

using CharSet = std::bitset<256>;

// Trimming and deleting.
void TrimInPlace(std::string& text);
std::string TrimmedCopy(std::string_view text);
bool DeleteChar(std::string& text, char character);
bool DeleteChars(std::string& text, const CharSet& characters);
std::string DeletedCopy(std::string_view text, int position, int count);
void CropInPlace(std::string& text, int position, int count);
std::string RightChars(std::string_view text, int count);

// Replacing every occurrence of `search`; true when it occurred. With `rescan` a replacement
// may complete a new occurrence together with the text that follows it.
bool SubstStr(std::string& text, std::string_view search, std::string_view replacement,
              bool rescan);
bool SubstText(std::string& text, std::string_view search, std::string_view replacement,
               bool rescan);

// Case mapping and comparison.
char UpperChar(char c);
std::string UpperStr(std::string_view text);
char LowerChar(char c); // through the case table
std::string LowerStr(std::string_view text);
std::string SignText(bool positive);
bool TextMatches(std::string_view a, std::string_view b);
int TextOrder(std::string_view a, std::string_view b);

// Searching. `to` below `from` searches backwards for the last occurrence starting at or
// before `from`.
int FindStr(std::string_view search, std::string_view text, int from, int to);
int FindText(std::string_view search, std::string_view text, int from, int to);
// The search core: a length of 0 means the buffer is zero-terminated; 0-based offsets, -1
// when absent.
int FindInBuffer(const char* pattern, const char* text, int patternLength, int textLength,
                 bool ignoreCase, int from, int to);
bool StartsWithStr(std::string_view prefix, std::string_view text);
bool StartsWithText(std::string_view prefix, std::string_view text);
int FindCharOf(const CharSet& characters, std::string_view text, int from, int to);

// Padding and number formatting. A positive length pads on the left, a negative one on the
// right; texts are never shortened.
std::string PadStr(std::string_view text, int length, char fill);
void PadInPlace(std::string& text, int count, bool onTheLeft, char fill);
std::string FormatInt(int32_t value, int minimumLength, char fill);
std::string FormatCardinal(uint32_t value, int minimumLength, char fill);
std::string FormatInt64(int64_t value, int minimumLength, char fill);
std::string FormatHex(uint32_t value, int minimumLength, char fill);
std::string FormatHex64(uint64_t value, int minimumLength, char fill);
// Unvalidated number reading: characters outside the digit table count as 0, overflow wraps.
int32_t ParseIntBuf(bool hexadecimal, const char* characters, int count);

// Delimited lists ("modules|processes").
void TidyList(std::string& text, char delimiter);
int ListItemCount(std::string_view text, char delimiter);
std::string ListItem(std::string_view text, int n, char delimiter);
bool ListHasItem(std::string_view list, std::string_view item, char delimiter);
bool ListHasText(std::string_view list, std::string_view item, char delimiter);

// Locale and system texts.
char LocaleDecimalSeparator();
std::string SizeToText(int64_t byteCount);
std::string ErrorCodeText(uint32_t code);

// 8-bit text as UTF-16 code units 0..255 (each byte followed by a zero byte) and back.
std::string WidenText(std::string_view text, bool addTerminator);
std::string NarrowText(const char16_t* text);

} // namespace qor
