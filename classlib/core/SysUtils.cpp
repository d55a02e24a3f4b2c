#include "core/SysUtils.h"

#include "core/Exceptions.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace classlib {

namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}
char ToUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
char ToLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

[[noreturn]] void FormatError(std::string_view format)
{
    throw EConvertError(Format("Format '%s' invalid or incompatible with argument", {format}));
}

std::string Hex(uint64_t value, int digits)
{
    static const char hexDigits[] = "0123456789ABCDEF";
    std::string s;
    do {
        s.push_back(hexDigits[value & 15]);
        value >>= 4;
    } while (value != 0);
    while (static_cast<int>(s.size()) < digits)
        s.push_back('0');
    std::reverse(s.begin(), s.end());
    return s;
}

// Decimal digits of |value| rounded half away from zero: the digit string (without trailing
// zeros, "0" for zero) and the decimal exponent of its first digit. The value is first taken
// to 18 significant digits, then rounded where the caller needs it, as the platform's
// conversion does (so 2.5 rounds to 3 and 1.005, stored as 1.00499.., to 1.00).
struct Decimal {
    std::string digits;
    int exponent = 0; // value = d1.d2d3... * 10^exponent
    bool negative = false;
};

Decimal ExactDecimal(double value)
{
    Decimal d;
    d.negative = std::signbit(value) && value != 0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17e", std::fabs(value));
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            d.digits.push_back(*p);
    d.exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    return d;
}

// Keeps `count` significant digits (may be 0 or negative: rounding at a position left of the
// first digit).
Decimal RoundDecimal(Decimal d, int count)
{
    if (d.digits.find_first_not_of('0') == std::string::npos) {
        d.digits = "0";
        d.exponent = 0;
        return d;
    }
    if (count < 0) {
        d.digits = "0";
        d.exponent = 0;
        return d;
    }
    if (count < static_cast<int>(d.digits.size())) {
        const bool up = d.digits[static_cast<size_t>(count)] >= '5';
        d.digits.resize(static_cast<size_t>(count));
        if (up) {
            int i = count - 1;
            for (; i >= 0; --i) {
                if (d.digits[static_cast<size_t>(i)] == '9') {
                    d.digits[static_cast<size_t>(i)] = '0';
                } else {
                    ++d.digits[static_cast<size_t>(i)];
                    break;
                }
            }
            if (i < 0) {
                d.digits.insert(d.digits.begin(), '1');
                ++d.exponent;
            }
        }
    }
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty() || d.digits == "0") {
        d.digits = "0";
        d.exponent = 0;
    }
    return d;
}

Decimal ToDecimal(double value, int precision)
{
    return RoundDecimal(ExactDecimal(value), std::clamp(precision, 1, 18));
}

// Fixed-point text of `value` with `decimals` digits after the point, thousands grouped.
std::string FixedText(double value, int decimals, bool thousands)
{
    decimals = std::clamp(decimals, 0, 18);
    const Decimal exact = ExactDecimal(value);
    const Decimal d = RoundDecimal(exact, exact.exponent + 1 + decimals);
    std::string intPart, fraction;
    for (int pos = std::max(d.exponent, 0); pos >= -decimals; --pos) {
        const int index = d.exponent - pos;
        const char digit = index >= 0 && index < static_cast<int>(d.digits.size())
                               ? d.digits[static_cast<size_t>(index)]
                               : '0';
        (pos >= 0 ? intPart : fraction).push_back(digit);
    }
    if (thousands) {
        std::string grouped;
        for (size_t i = 0; i < intPart.size(); ++i) {
            if (i > 0 && (intPart.size() - i) % 3 == 0)
                grouped.push_back(',');
            grouped.push_back(intPart[i]);
        }
        intPart = grouped;
    }
    std::string s = fraction.empty() ? intPart : intPart + "." + fraction;
    if (d.negative && d.digits != "0")
        s.insert(s.begin(), '-');
    return s;
}

std::string ExponentText(int exponent, int minDigits, bool alwaysSign)
{
    std::string s = std::to_string(std::abs(exponent));
    while (static_cast<int>(s.size()) < minDigits)
        s.insert(s.begin(), '0');
    if (exponent < 0)
        s.insert(s.begin(), '-');
    else if (alwaysSign)
        s.insert(s.begin(), '+');
    return "E" + s;
}

std::string GeneralText(double value, int precision, int digits)
{
    const Decimal d = ToDecimal(value, precision);
    std::string s;
    if (d.exponent >= precision || d.exponent < -4) {
        s = d.digits.substr(0, 1);
        if (d.digits.size() > 1)
            s += "." + d.digits.substr(1);
        s += ExponentText(d.exponent, digits, false);
    } else if (d.exponent >= 0) {
        std::string intPart = d.digits.substr(0, std::min<size_t>(d.digits.size(), d.exponent + 1));
        intPart.append(static_cast<size_t>(d.exponent + 1) - intPart.size(), '0');
        s = intPart;
        if (d.digits.size() > static_cast<size_t>(d.exponent + 1))
            s += "." + d.digits.substr(d.exponent + 1);
    } else {
        s = "0." + std::string(static_cast<size_t>(-d.exponent - 1), '0') + d.digits;
    }
    if (d.negative && d.digits != "0")
        s.insert(s.begin(), '-');
    return s;
}

bool SpecialFloat(double value, std::string& text)
{
    if (std::isnan(value))
        text = "NAN";
    else if (std::isinf(value))
        text = value < 0 ? "-INF" : "INF";
    else
        return false;
    return true;
}

} // namespace

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits)
{
    std::string special;
    if (SpecialFloat(value, special))
        return special;
    precision = std::clamp(precision, 1, 18);
    switch (format) {
        case ffGeneral:
            return GeneralText(value, precision, digits);
        case ffExponent: {
            const Decimal d = ToDecimal(value, precision);
            std::string mantissa = d.digits;
            mantissa.append(
                static_cast<size_t>(precision) - std::min<size_t>(precision, mantissa.size()), '0');
            std::string s = mantissa.substr(0, 1);
            if (precision > 1)
                s += "." + mantissa.substr(1);
            s += ExponentText(d.exponent, std::clamp(digits, 0, 4), true);
            if (d.negative)
                s.insert(s.begin(), '-');
            return s;
        }
        case ffFixed:
        case ffNumber:
        case ffCurrency: {
            const Decimal d = ToDecimal(value, precision);
            if (d.exponent >= precision)
                return GeneralText(value, precision, 0);
            return FixedText(value, digits, format != ffFixed);
        }
    }
    return GeneralText(value, precision, digits);
}

std::string FloatToStr(double value)
{
    return FloatToStrF(value, ffGeneral, 15, 0);
}

std::string Format(std::string_view format, std::initializer_list<TFormatArg> argList)
{
    const TFormatArg* args = argList.begin();
    const int argCount = static_cast<int>(argList.size());
    std::string out;
    int nextArg = 0;
    size_t i = 0;
    const size_t n = format.size();
    auto takeNumber = [&](int& target) -> bool {
        if (i < n && format[i] == '*') {
            if (nextArg >= argCount || (args[nextArg].GetKind() != TFormatArg::Kind::Integer &&
                                        args[nextArg].GetKind() != TFormatArg::Kind::Unsigned))
                FormatError(format);
            target = static_cast<int>(args[nextArg++].AsInteger());
            ++i;
            return true;
        }
        if (i < n && std::isdigit(static_cast<unsigned char>(format[i]))) {
            int v = 0;
            while (i < n && std::isdigit(static_cast<unsigned char>(format[i]))) {
                v = v * 10 + (format[i] - '0');
                if (v > 100000)
                    FormatError(format);
                ++i;
            }
            target = v;
            return true;
        }
        return false;
    };
    while (i < n) {
        const char c = format[i++];
        if (c != '%') {
            out.push_back(c);
            continue;
        }
        if (i < n && format[i] == '%') {
            out.push_back('%');
            ++i;
            continue;
        }
        bool leftAlign = false;
        int width = -1;
        int precision = -1;
        // index ":" comes first when a number is followed by a colon
        int number = -1;
        if (takeNumber(number) && i < n && format[i] == ':') {
            nextArg = number;
            ++i;
            number = -1;
        }
        if (number < 0) {
            if (i < n && format[i] == '-') {
                leftAlign = true;
                ++i;
            }
            takeNumber(width);
        } else {
            width = number;
        }
        if (i < n && format[i] == '.') {
            ++i;
            if (!takeNumber(precision))
                precision = 0;
        }
        if (i >= n)
            FormatError(format);
        const char type = ToLower(format[i++]);
        if (nextArg >= argCount)
            FormatError(format);
        const TFormatArg& arg = args[nextArg++];
        const auto kind = arg.GetKind();
        const bool integral =
            kind == TFormatArg::Kind::Integer || kind == TFormatArg::Kind::Unsigned;
        std::string text;
        switch (type) {
            case 'd':
            case 'u': {
                if (!integral)
                    FormatError(format);
                int64_t v = arg.AsInteger();
                bool negative = false;
                uint64_t magnitude;
                if (type == 'u' && kind == TFormatArg::Kind::Integer && v < 0)
                    magnitude = static_cast<uint32_t>(v);
                else if (kind == TFormatArg::Kind::Integer && v < 0) {
                    negative = true;
                    magnitude = 0 - static_cast<uint64_t>(v);
                } else
                    magnitude = static_cast<uint64_t>(v);
                text = std::to_string(magnitude);
                if (precision > static_cast<int>(text.size()))
                    text.insert(0, static_cast<size_t>(precision) - text.size(), '0');
                if (negative)
                    text.insert(text.begin(), '-');
                break;
            }
            case 'x': {
                if (!integral)
                    FormatError(format);
                int64_t v = arg.AsInteger();
                uint64_t bits = (kind == TFormatArg::Kind::Integer && v < 0 && v >= INT32_MIN)
                                    ? static_cast<uint32_t>(v)
                                    : static_cast<uint64_t>(v);
                text = Hex(bits, precision);
                break;
            }
            case 'e':
            case 'f':
            case 'g':
            case 'n':
            case 'm': {
                if (kind != TFormatArg::Kind::Float && !integral)
                    FormatError(format);
                const double v = kind == TFormatArg::Kind::Float
                                     ? arg.AsFloat()
                                     : static_cast<double>(arg.AsInteger());
                if (type == 'e')
                    text = FloatToStrF(v, ffExponent, precision < 0 ? 15 : precision, 3);
                else if (type == 'f')
                    text = FloatToStrF(v, ffFixed, 18, precision < 0 ? 2 : precision);
                else if (type == 'g')
                    text = FloatToStrF(v, ffGeneral, precision < 0 ? 15 : precision, 3);
                else
                    text = FloatToStrF(v, ffNumber, 18, precision < 0 ? 2 : precision);
                break;
            }
            case 'p':
                if (kind != TFormatArg::Kind::Pointer)
                    FormatError(format);
                text = Hex(reinterpret_cast<uintptr_t>(arg.AsPointer()),
                           static_cast<int>(sizeof(void*) * 2));
                break;
            case 's':
                if (kind != TFormatArg::Kind::Text)
                    FormatError(format);
                text = arg.AsText();
                if (precision >= 0 && static_cast<size_t>(precision) < text.size())
                    text.resize(static_cast<size_t>(precision));
                break;
            default:
                FormatError(format);
        }
        if (width > static_cast<int>(text.size())) {
            const std::string pad(static_cast<size_t>(width) - text.size(), ' ');
            text = leftAlign ? text + pad : pad + text;
        }
        out += text;
    }
    return out;
}

std::string IntToStr(int64_t value)
{
    return std::to_string(value);
}
std::string UIntToStr(uint64_t value)
{
    return std::to_string(value);
}

std::string IntToHex(int64_t value, int digits)
{
    const uint64_t bits = (value < 0 && value >= INT32_MIN) ? static_cast<uint32_t>(value)
                                                            : static_cast<uint64_t>(value);
    return Hex(bits, digits);
}

bool TryStrToInt64(std::string_view text, int64_t& value)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    bool hex = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size())
        return false;
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && ToUpper(c) >= 'A' && ToUpper(c) <= 'F')
            digit = ToUpper(c) - 'A' + 10;
        else
            return false;
        const uint64_t base = hex ? 16 : 10;
        if (magnitude > (std::numeric_limits<uint64_t>::max() - digit) / base)
            return false;
        magnitude = magnitude * base + static_cast<uint64_t>(digit);
    }
    if (hex) {
        // Hexadecimal texts give the bit pattern, as the platform's conversion does.
        value = static_cast<int64_t>(magnitude);
        if (negative)
            value = static_cast<int64_t>(0 - magnitude);
        return true;
    }
    if (negative) {
        if (magnitude > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + 1)
            return false;
        value = static_cast<int64_t>(0 - magnitude);
    } else {
        if (magnitude > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
            return false;
        value = static_cast<int64_t>(magnitude);
    }
    return true;
}

bool TryStrToInt(std::string_view text, int& value)
{
    int64_t wide;
    if (!TryStrToInt64(text, wide))
        return false;
    const bool hex = text.find_first_of("$xX") != std::string_view::npos;
    if (hex) {
        if (wide < INT32_MIN || wide > static_cast<int64_t>(UINT32_MAX))
            return false;
        value = static_cast<int>(static_cast<uint32_t>(wide));
        return true;
    }
    if (wide < INT32_MIN || wide > INT32_MAX)
        return false;
    value = static_cast<int>(wide);
    return true;
}

int StrToInt(std::string_view text)
{
    int v;
    if (!TryStrToInt(text, v))
        throw EConvertError(Format(messages::InvalidInteger, {text}));
    return v;
}

int64_t StrToInt64(std::string_view text)
{
    int64_t v;
    if (!TryStrToInt64(text, v))
        throw EConvertError(Format(messages::InvalidInteger, {text}));
    return v;
}

int StrToIntDef(std::string_view text, int fallback)
{
    int v;
    return TryStrToInt(text, v) ? v : fallback;
}

int64_t StrToInt64Def(std::string_view text, int64_t fallback)
{
    int64_t v;
    return TryStrToInt64(text, v) ? v : fallback;
}

bool TryStrToFloat(std::string_view text, double& value)
{
    const std::string s = Trim(text);
    // sign, digits with an optional point, optional exponent; nothing else.
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        size_t expDigits = 0;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i, ++expDigits;
        if (expDigits == 0)
            return false;
    }
    if (i != s.size())
        return false;
    value = std::strtod(s.c_str(), nullptr);
    return !std::isinf(value);
}

double StrToFloat(std::string_view text)
{
    double v;
    if (!TryStrToFloat(text, v))
        throw EConvertError(Format(messages::InvalidFloat, {text}));
    return v;
}

double StrToFloatDef(std::string_view text, double fallback)
{
    double v;
    return TryStrToFloat(text, v) ? v : fallback;
}

std::string BoolToStr(bool value, bool useBoolStrs)
{
    if (useBoolStrs)
        return value ? "True" : "False";
    return value ? "-1" : "0";
}

bool TryStrToBool(std::string_view text, bool& value)
{
    if (SameText(text, "True")) {
        value = true;
        return true;
    }
    if (SameText(text, "False")) {
        value = false;
        return true;
    }
    double number;
    if (TryStrToFloat(text, number)) {
        value = number != 0;
        return true;
    }
    return false;
}

bool StrToBool(std::string_view text)
{
    bool v;
    if (!TryStrToBool(text, v))
        throw EConvertError(Format(messages::InvalidBoolean, {text}));
    return v;
}

std::string UpperCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = ToUpper(c);
    return r;
}

std::string LowerCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = ToLower(c);
    return r;
}

int CompareStr(std::string_view a, std::string_view b)
{
    const int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CompareText(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(ToUpper(a[i]));
        const auto cb = static_cast<unsigned char>(ToUpper(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CompareText(a, b) == 0;
}

std::string Trim(std::string_view s)
{
    return TrimRight(TrimLeft(s));
}

std::string TrimLeft(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s)
{
    size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1]))
        --n;
    return std::string(s.substr(0, n));
}

std::string QuotedStr(std::string_view s)
{
    return AnsiQuotedStr(s, '\'');
}

std::string AnsiQuotedStr(std::string_view s, char quote)
{
    std::string r(1, quote);
    for (char c : s) {
        r.push_back(c);
        if (c == quote)
            r.push_back(c);
    }
    r.push_back(quote);
    return r;
}

std::string AnsiExtractQuotedStr(std::string_view s, size_t& pos, char quote)
{
    if (pos >= s.size() || s[pos] != quote)
        return {};
    std::string r;
    ++pos;
    while (pos < s.size()) {
        if (s[pos] == quote) {
            if (pos + 1 < s.size() && s[pos + 1] == quote) {
                r.push_back(quote);
                pos += 2;
                continue;
            }
            ++pos;
            break;
        }
        r.push_back(s[pos++]);
    }
    return r;
}

std::string AnsiDequotedStr(std::string_view s, char quote)
{
    size_t pos = 0;
    std::string r = AnsiExtractQuotedStr(s, pos, quote);
    if (pos == 0 || pos != s.size() || s.size() < 2 || s.back() != quote)
        return std::string(s);
    return r;
}

std::string StringReplace(std::string_view s, std::string_view oldPattern,
                          std::string_view newPattern, unsigned flags)
{
    if (oldPattern.empty())
        return std::string(s);
    const bool ignoreCase = flags & rfIgnoreCase;
    const std::string hay = ignoreCase ? UpperCase(s) : std::string(s);
    const std::string needle = ignoreCase ? UpperCase(oldPattern) : std::string(oldPattern);
    std::string r;
    size_t from = 0;
    while (true) {
        const size_t at = hay.find(needle, from);
        if (at == std::string::npos)
            break;
        r.append(s.substr(from, at - from));
        r.append(newPattern);
        from = at + needle.size();
        if (!(flags & rfReplaceAll))
            break;
    }
    r.append(s.substr(from));
    return r;
}

namespace {
bool IsDelimiter(char c)
{
    return c == '\\' || c == '/';
}
size_t LastDelimiter(std::string_view s, bool withDrive)
{
    for (size_t i = s.size(); i > 0; --i)
        if (IsDelimiter(s[i - 1]) || (withDrive && s[i - 1] == ':'))
            return i - 1;
    return std::string_view::npos;
}
} // namespace

std::string ExtractFilePath(std::string_view fileName)
{
    const size_t at = LastDelimiter(fileName, true);
    return at == std::string_view::npos ? std::string() : std::string(fileName.substr(0, at + 1));
}

std::string ExtractFileDir(std::string_view fileName)
{
    const size_t at = LastDelimiter(fileName, true);
    if (at == std::string_view::npos)
        return {};
    // keep the delimiter of a root ("C:\", "\") and the colon of a drive
    if (at > 0 && IsDelimiter(fileName[at]) && fileName[at - 1] != ':' &&
        !(at == 1 && IsDelimiter(fileName[0])))
        return std::string(fileName.substr(0, at));
    if (at == 0 && IsDelimiter(fileName[0]))
        return std::string(fileName.substr(0, 1));
    return std::string(fileName.substr(0, at + 1));
}

std::string ExtractFileName(std::string_view fileName)
{
    const size_t at = LastDelimiter(fileName, true);
    return std::string(at == std::string_view::npos ? fileName : fileName.substr(at + 1));
}

std::string ExtractFileExt(std::string_view fileName)
{
    for (size_t i = fileName.size(); i > 0; --i) {
        const char c = fileName[i - 1];
        if (c == '.')
            return std::string(fileName.substr(i - 1));
        if (IsDelimiter(c) || c == ':')
            break;
    }
    return {};
}

std::string ExtractFileDrive(std::string_view fileName)
{
    if (fileName.size() >= 2 && fileName[1] == ':')
        return std::string(fileName.substr(0, 2));
    if (fileName.size() >= 2 && IsDelimiter(fileName[0]) && IsDelimiter(fileName[1])) {
        // UNC: \\server\share
        size_t i = 2;
        int parts = 0;
        while (i < fileName.size()) {
            if (IsDelimiter(fileName[i]) && ++parts == 2)
                break;
            ++i;
        }
        return std::string(fileName.substr(0, i));
    }
    return {};
}

std::string ChangeFileExt(std::string_view fileName, std::string_view extension)
{
    const std::string ext = ExtractFileExt(fileName);
    return std::string(fileName.substr(0, fileName.size() - ext.size())) + std::string(extension);
}

std::string IncludeTrailingPathDelimiter(std::string_view path)
{
    std::string r(path);
    if (r.empty() || !IsDelimiter(r.back()))
        r.push_back(PathDelim);
    return r;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path)
{
    std::string r(path);
    if (!r.empty() && IsDelimiter(r.back()))
        r.pop_back();
    return r;
}

bool IsPathDelimiter(std::string_view s, int index)
{
    return index >= 1 && index <= static_cast<int>(s.size()) &&
           IsDelimiter(s[static_cast<size_t>(index - 1)]);
}

} // namespace classlib

namespace classlib {
bool IsValidIdent(std::string_view ident, bool allowDots)
{
    auto alpha = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    };
    auto alnum = [&](char c) { return alpha(c) || (c >= '0' && c <= '9'); };
    if (ident.empty() || !alpha(ident[0]))
        return false;
    for (size_t i = 1; i < ident.size(); ++i) {
        if (allowDots && ident[i] == '.') {
            if (i + 1 >= ident.size() || !alpha(ident[i + 1]))
                return false;
            continue;
        }
        if (!alnum(ident[i]))
            return false;
    }
    return true;
}
} // namespace classlib

namespace classlib {
namespace {
WideString Latin1ToWide(std::string_view text)
{
    WideString r;
    r.reserve(text.size());
    for (char c : text)
        r.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return r;
}
std::string WideToLatin1(const WideString& text)
{
    std::string r;
    r.reserve(text.size());
    for (wchar_t c : text)
        r.push_back(static_cast<uint32_t>(c) <= 255 ? static_cast<char>(c) : '?');
    return r;
}
TToWideConversion toWide = &Latin1ToWide;
TFromWideConversion fromWide = &WideToLatin1;
} // namespace

std::string WideToAnsi(const WideString& text)
{
    return fromWide(text);
}
WideString AnsiToWide(std::string_view text)
{
    return toWide(text);
}

void SetCodePageConversion(TToWideConversion to, TFromWideConversion from)
{
    toWide = to ? to : &Latin1ToWide;
    fromWide = from ? from : &WideToLatin1;
}

WideString Utf8ToWide(std::string_view text)
{
    WideString r;
    size_t i = 0;
    auto emit = [&](uint32_t cp) {
        if (sizeof(wchar_t) == 2 && cp > 0xFFFF) {
            cp -= 0x10000;
            r.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
            r.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            r.push_back(static_cast<wchar_t>(cp));
        }
    };
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        if (extra < 0 || (extra > 0 && i + static_cast<size_t>(extra) >= text.size())) {
            emit(0xFFFD);
            ++i;
            continue;
        }
        uint32_t cp = extra == 0 ? b : (b & (0x3F >> extra));
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            if ((c & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            emit(0xFFFD);
            ++i;
            continue;
        }
        emit(cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return r;
}

std::string WideToUtf8(const WideString& text)
{
    std::string r;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = static_cast<uint32_t>(text[i]);
        if (sizeof(wchar_t) == 2 && cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
            const auto low = static_cast<uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (cp < 0x80) {
            r.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            r.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            r.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            r.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            r.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            r.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            r.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            r.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            r.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            r.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return r;
}
} // namespace classlib
