#pragma once
// Formatting and conversion routines of the class library: integer and float text,
// hexadecimal, the `Format` routine with its argument list, case and trimming helpers, and
// file-name routines that need no file system. Texts are 8-bit strings (system code page);
// conversion failures raise EConvertError with the platform's messages.
#include "core/Exceptions.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace classlib {

using WideString = std::wstring;

// One argument of `Format`: an integer, a float, a text, a character or a pointer.
class TFormatArg {
public:
    enum class Kind { Integer, Unsigned, Float, Text, Pointer };

    TFormatArg(int v) : kind_(Kind::Integer), int_(v) {}
    TFormatArg(long v) : kind_(Kind::Integer), int_(v) {}
    TFormatArg(long long v) : kind_(Kind::Integer), int_(v) {}
    TFormatArg(unsigned v) : kind_(Kind::Unsigned), int_(static_cast<int64_t>(v)) {}
    TFormatArg(unsigned long v) : kind_(Kind::Unsigned), int_(static_cast<int64_t>(v)) {}
    TFormatArg(unsigned long long v) : kind_(Kind::Unsigned), int_(static_cast<int64_t>(v)) {}
    TFormatArg(double v) : kind_(Kind::Float), float_(v) {}
    TFormatArg(long double v) : kind_(Kind::Float), float_(static_cast<double>(v)) {}
    TFormatArg(char v) : kind_(Kind::Text), text_(1, v) {}
    TFormatArg(const char* v) : kind_(Kind::Text), text_(v ? v : "") {}
    TFormatArg(std::string_view v) : kind_(Kind::Text), text_(v) {}
    TFormatArg(const std::string& v) : kind_(Kind::Text), text_(v) {}
    TFormatArg(const void* v) : kind_(Kind::Pointer), pointer_(v) {}

    Kind GetKind() const { return kind_; }
    int64_t AsInteger() const { return int_; }
    double AsFloat() const { return float_; }
    const std::string& AsText() const { return text_; }
    const void* AsPointer() const { return pointer_; }

private:
    Kind kind_;
    int64_t int_ = 0;
    double float_ = 0;
    std::string text_;
    const void* pointer_ = nullptr;
};

// The platform's format routine: "%" [index ":"] ["-"] [width] ["." precision] type, with the
// types d, u, x, e, f, g, n, m, p, s (either case); width and precision may be "*". A format
// that does not match its arguments raises EConvertError.
std::string Format(std::string_view format, std::initializer_list<TFormatArg> args);

// Integer text.
std::string IntToStr(int64_t value);
std::string UIntToStr(uint64_t value);
// Upper-case hexadecimal with at least `digits` digits; negative values as their 32-bit
// (or 64-bit when they do not fit) two's complement.
std::string IntToHex(int64_t value, int digits);

// Decimal, "$" hexadecimal or "0x" hexadecimal with optional sign and leading blanks; a text
// that is no 32-bit (64-bit) integer raises EConvertError "'%s' is not a valid integer value".
int StrToInt(std::string_view text);
int64_t StrToInt64(std::string_view text);
int StrToIntDef(std::string_view text, int fallback);
int64_t StrToInt64Def(std::string_view text, int64_t fallback);
bool TryStrToInt(std::string_view text, int& value);
bool TryStrToInt64(std::string_view text, int64_t& value);

// Floats use "." as decimal separator and "," as thousands separator.
enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
std::string FloatToStr(double value);
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits);
double StrToFloat(std::string_view text);
double StrToFloatDef(std::string_view text, double fallback);
bool TryStrToFloat(std::string_view text, double& value);

// "True"/"False"; StrToBool also accepts numbers (0 is false) and either case.
std::string BoolToStr(bool value, bool useBoolStrs = true);
bool StrToBool(std::string_view text);
bool TryStrToBool(std::string_view text, bool& value);

// ASCII case mapping and comparisons (the compare routines return <0, 0, >0).
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
int CompareStr(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);

// Trimming removes blanks and control characters (codes up to 32).
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// `QuotedStr` doubles embedded quotes; `AnsiExtractQuotedStr` reads a quoted text at `pos`
// (0-based, advanced past it) and undoubles the quotes.
std::string QuotedStr(std::string_view s);
std::string AnsiQuotedStr(std::string_view s, char quote);
std::string AnsiDequotedStr(std::string_view s, char quote);
std::string AnsiExtractQuotedStr(std::string_view s, size_t& pos, char quote);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
std::string StringReplace(std::string_view s, std::string_view oldPattern,
                          std::string_view newPattern, unsigned flags);

// File-name routines: pure text, both "\" and "/" count as delimiters, ":" ends a drive.
inline constexpr char PathDelim = '\\';
std::string ExtractFilePath(std::string_view fileName); // with trailing delimiter
std::string ExtractFileDir(std::string_view fileName);  // without it
std::string ExtractFileName(std::string_view fileName);
std::string ExtractFileExt(std::string_view fileName); // with the dot
std::string ExtractFileDrive(std::string_view fileName);
std::string ChangeFileExt(std::string_view fileName, std::string_view extension);
std::string IncludeTrailingPathDelimiter(std::string_view path);
std::string ExcludeTrailingPathDelimiter(std::string_view path);
bool IsPathDelimiter(std::string_view s, int index); // 1-based index

} // namespace classlib

namespace classlib {
// A Pascal identifier: a letter or "_" followed by letters, digits and "_"; with `allowDots`,
// dot-separated identifiers.
bool IsValidIdent(std::string_view ident, bool allowDots = false);
} // namespace classlib

namespace classlib {
// Conversion between 8-bit text in the system code page and wide text. The portable default
// maps code points 0..255 one to one (others become '?'); the Windows run time installs the
// system code page's conversion with SetCodePageConversion.
std::string WideToAnsi(const WideString& text);
WideString AnsiToWide(std::string_view text);
using TToWideConversion = WideString (*)(std::string_view);
using TFromWideConversion = std::string (*)(const WideString&);
void SetCodePageConversion(TToWideConversion toWide, TFromWideConversion fromWide);
// UTF-8 <-> wide (UTF-16 code units on Windows, code points elsewhere); ill-formed bytes
// become U+FFFD.
WideString Utf8ToWide(std::string_view text);
std::string WideToUtf8(const WideString& text);
} // namespace classlib
