#include "core/FormText.h"

#include "core/ComponentStream.h"
#include "core/SysUtils.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace classlib {

// ---- text to binary -------------------------------------------------------------------------

namespace {

enum class Tok { End, Ident, Integer, Float, String, Symbol };

class TextParser {
public:
    TextParser(std::string_view text, TWriter& writer, TValueWidth valueWidth)
        : s_(text), w_(writer), valueWidth_(valueWidth)
    {
        Next();
    }

    void Object(int depth)
    {
        if (depth > MaxStreamNesting)
            Error("Objects nested too deeply");
        uint8_t flags = 0;
        if (IsWord("inherited"))
            flags |= ffInherited;
        else if (IsWord("inline"))
            flags |= ffInline;
        else if (!IsWord("object"))
            Error("'object' expected");
        Next();
        std::string name = ExpectIdent();
        std::string className;
        if (IsSymbol(':')) {
            Next();
            className = ExpectIdent();
        } else {
            className = name;
            name.clear();
        }
        int childPos = 0;
        if (IsSymbol('[')) {
            Next();
            childPos = static_cast<int>(ExpectInteger());
            Expect(']');
            flags |= ffChildPos;
        }
        w_.WritePrefix(flags, childPos);
        w_.WriteStr(className);
        w_.WriteStr(name);
        while (!IsWord("end") && !IsWord("object") && !IsWord("inherited") && !IsWord("inline"))
            Property(depth);
        w_.WriteListEnd();
        while (!IsWord("end"))
            Object(depth + 1);
        w_.WriteListEnd();
        Next();
    }

    void ExpectEnd()
    {
        if (tok_ != Tok::End)
            Error("End of text expected");
    }

private:
    [[noreturn]] void Error(const std::string& message) const
    {
        throw EParserError(Format("Line %d: %s", {line_, message}));
    }

    bool IsWord(const char* word) const { return tok_ == Tok::Ident && SameText(text_, word); }
    bool IsSymbol(char c) const { return tok_ == Tok::Symbol && symbol_ == c; }
    void Expect(char c)
    {
        if (!IsSymbol(c))
            Error(Format("'%s' expected", {std::string(1, c)}));
        Next();
    }
    std::string ExpectIdent()
    {
        if (tok_ != Tok::Ident)
            Error("Identifier expected");
        std::string r = text_;
        Next();
        return r;
    }
    int64_t ExpectInteger()
    {
        if (tok_ != Tok::Integer)
            Error("Integer expected");
        const int64_t v = integer_;
        Next();
        return v;
    }

    void Property(int depth)
    {
        const std::string name = ExpectIdent();
        if (name.size() > 255)
            Error("Property name too long");
        w_.WriteStr(name);
        Expect('=');
        Value(depth);
    }

    void Value(int depth)
    {
        if (depth > MaxStreamNesting)
            Error("Values nested too deeply");
        switch (tok_) {
            case Tok::Integer:
                if (valueWidth_ == TValueWidth::Full && integer_ >= INT32_MIN &&
                    integer_ <= INT32_MAX)
                    w_.WriteInt32(static_cast<int32_t>(integer_));
                else
                    w_.WriteInteger(integer_);
                Next();
                return;
            case Tok::Float:
                if (floatSuffix_ == 's')
                    w_.WriteSingle(static_cast<float>(float_));
                else if (floatSuffix_ == 'c')
                    w_.WriteCurrency(float_);
                else if (floatSuffix_ == 'd')
                    w_.WriteDate(float_);
                else
                    w_.WriteFloat(float_);
                Next();
                return;
            case Tok::String: {
                std::vector<uint32_t> units = string_;
                Next();
                while (IsSymbol('+')) {
                    Next();
                    if (tok_ != Tok::String)
                        Error("String expected");
                    units.insert(units.end(), string_.begin(), string_.end());
                    Next();
                }
                bool wide = false;
                for (uint32_t u : units)
                    wide = wide || u > 255;
                if (wide) {
                    WideString ws;
                    for (uint32_t u : units)
                        ws.push_back(static_cast<wchar_t>(u));
                    w_.WriteWideString(ws);
                } else {
                    std::string bytes;
                    for (uint32_t u : units)
                        bytes.push_back(static_cast<char>(u));
                    if (valueWidth_ == TValueWidth::Full)
                        w_.WriteLString(bytes);
                    else
                        w_.WriteString(bytes);
                }
                return;
            }
            case Tok::Ident: {
                if (text_.size() > 255)
                    Error("Identifier too long");
                w_.WriteIdent(text_);
                Next();
                return;
            }
            case Tok::Symbol:
                break;
            case Tok::End:
                Error("Value expected");
        }
        switch (symbol_) {
            case '[':
                Next();
                w_.WriteValue(vaSet);
                while (!IsSymbol(']')) {
                    const std::string element = tok_ == Tok::Integer ? IntToStr(integer_) : text_;
                    if (tok_ != Tok::Ident && tok_ != Tok::Integer)
                        Error("Identifier expected");
                    w_.WriteStr(element);
                    Next();
                    if (IsSymbol(','))
                        Next();
                    else if (!IsSymbol(']'))
                        Error("',' or ']' expected");
                }
                Next();
                w_.WriteStr("");
                return;
            case '(':
                Next();
                w_.WriteListBegin();
                while (!IsSymbol(')'))
                    Value(depth + 1);
                Next();
                w_.WriteListEnd();
                return;
            case '<':
                Next();
                w_.WriteValue(vaCollection);
                while (!IsSymbol('>')) {
                    if (!IsWord("item"))
                        Error("'item' expected");
                    Next();
                    if (IsSymbol('[')) {
                        Next();
                        w_.WriteInteger(ExpectInteger());
                        Expect(']');
                    }
                    w_.WriteListBegin();
                    while (!IsWord("end"))
                        Property(depth + 1);
                    Next();
                    w_.WriteListEnd();
                }
                Next();
                w_.WriteListEnd();
                return;
            case '{': {
                // Read the hexadecimal digits straight from the text.
                std::string bytes;
                int nibbles = 0;
                int current = 0;
                while (pos_ < s_.size() && s_[pos_] != '}') {
                    const char c = s_[pos_++];
                    if (c == '\n')
                        ++line_;
                    if (static_cast<unsigned char>(c) <= ' ')
                        continue;
                    int v;
                    if (c >= '0' && c <= '9')
                        v = c - '0';
                    else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
                        v = (c | 0x20) - 'a' + 10;
                    else
                        Error("Invalid binary value");
                    current = current * 16 + v;
                    if (++nibbles % 2 == 0) {
                        bytes.push_back(static_cast<char>(current));
                        current = 0;
                    }
                }
                if (pos_ >= s_.size() || nibbles % 2 != 0)
                    Error("Invalid binary value");
                ++pos_;
                w_.WriteBinary(bytes.data(), static_cast<int64_t>(bytes.size()));
                Next();
                return;
            }
            default:
                Error("Invalid property value");
        }
    }

    void SkipBlanks()
    {
        while (pos_ < s_.size() && static_cast<unsigned char>(s_[pos_]) <= ' ') {
            if (s_[pos_] == '\n')
                ++line_;
            ++pos_;
        }
    }

    static bool IsIdentStart(char c)
    {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

    void Next()
    {
        SkipBlanks();
        text_.clear();
        if (pos_ >= s_.size()) {
            tok_ = Tok::End;
            return;
        }
        const char c = s_[pos_];
        if (IsIdentStart(c)) {
            const size_t start = pos_;
            while (pos_ < s_.size() &&
                   (IsIdentStart(s_[pos_]) || IsDigit(s_[pos_]) || s_[pos_] == '.'))
                ++pos_;
            text_ = std::string(s_.substr(start, pos_ - start));
            tok_ = Tok::Ident;
            return;
        }
        if (c == '\'' || c == '#') {
            string_.clear();
            while (pos_ < s_.size() && (s_[pos_] == '\'' || s_[pos_] == '#')) {
                if (s_[pos_] == '#') {
                    ++pos_;
                    const size_t start = pos_;
                    const bool hex = pos_ < s_.size() && s_[pos_] == '$';
                    if (hex)
                        ++pos_;
                    while (pos_ < s_.size() &&
                           (IsDigit(s_[pos_]) ||
                            (hex && std::isxdigit(static_cast<unsigned char>(s_[pos_])))))
                        ++pos_;
                    int64_t code;
                    if (!TryStrToInt64(s_.substr(start, pos_ - start), code) || code < 0 ||
                        code > 0x10FFFF)
                        Error("Invalid character code");
                    string_.push_back(static_cast<uint32_t>(code));
                } else {
                    ++pos_;
                    while (true) {
                        if (pos_ >= s_.size() || s_[pos_] == '\n')
                            Error("Unterminated string");
                        if (s_[pos_] == '\'') {
                            if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '\'') {
                                string_.push_back('\'');
                                pos_ += 2;
                                continue;
                            }
                            ++pos_;
                            break;
                        }
                        string_.push_back(static_cast<unsigned char>(s_[pos_++]));
                    }
                }
            }
            tok_ = Tok::String;
            return;
        }
        if (IsDigit(c) || c == '$' ||
            ((c == '-' || c == '+') && pos_ + 1 < s_.size() &&
             (IsDigit(s_[pos_ + 1]) || s_[pos_ + 1] == '$'))) {
            const size_t start = pos_;
            if (c == '-' || c == '+')
                ++pos_;
            if (pos_ < s_.size() && s_[pos_] == '$') {
                ++pos_;
                while (pos_ < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[pos_])))
                    ++pos_;
            } else {
                while (pos_ < s_.size() && (IsDigit(s_[pos_]) || s_[pos_] == '.' ||
                                            s_[pos_] == 'e' || s_[pos_] == 'E' ||
                                            ((s_[pos_] == '-' || s_[pos_] == '+') &&
                                             (s_[pos_ - 1] == 'e' || s_[pos_ - 1] == 'E'))))
                    ++pos_;
            }
            const std::string number(s_.substr(start, pos_ - start));
            const bool isFloat = number.find_first_of(".eE") != std::string::npos &&
                                 number.find('$') == std::string::npos;
            if (isFloat) {
                floatSuffix_ = 0;
                if (pos_ < s_.size() &&
                    std::string_view("scdfSCDF").find(s_[pos_]) != std::string_view::npos)
                    floatSuffix_ = static_cast<char>(s_[pos_++] | 0x20);
                if (!TryStrToFloat(number, float_))
                    Error("Invalid floating point number " + number);
                tok_ = Tok::Float;
            } else {
                if (!TryStrToInt64(number, integer_))
                    Error("Invalid integer " + number);
                tok_ = Tok::Integer;
            }
            return;
        }
        symbol_ = c;
        ++pos_;
        tok_ = Tok::Symbol;
    }

    std::string_view s_;
    TWriter& w_;
    TValueWidth valueWidth_;
    size_t pos_ = 0;
    int line_ = 1;
    Tok tok_ = Tok::End;
    std::string text_;
    char symbol_ = 0;
    int64_t integer_ = 0;
    double float_ = 0;
    char floatSuffix_ = 0;
    std::vector<uint32_t> string_;
};

} // namespace

std::string ObjectTextToBinary(std::string_view text, TValueWidth valueWidth)
{
    TStringStream out;
    TWriter writer(out);
    writer.WriteSignature();
    TextParser parser(text, writer, valueWidth);
    parser.Object(0);
    parser.ExpectEnd();
    return out.DataString();
}

void ObjectTextToBinary(TStream& input, TStream& output)
{
    std::string text(static_cast<size_t>(input.Size() - input.Position()), '\0');
    input.ReadBuffer(text.data(), static_cast<int64_t>(text.size()));
    const std::string binary = ObjectTextToBinary(text);
    output.WriteBuffer(binary.data(), static_cast<int64_t>(binary.size()));
}

// ---- binary to text -------------------------------------------------------------------------

namespace {

template <class Units>
std::string QuoteUnits(const Units& units)
{
    if (units.empty())
        return "''";
    std::string r;
    bool quoted = false;
    for (auto unit : units) {
        const auto u = static_cast<uint32_t>(
            static_cast<std::make_unsigned_t<typename Units::value_type>>(unit));
        if (u >= 32 && u < 127) {
            if (!quoted) {
                r.push_back('\'');
                quoted = true;
            }
            r.push_back(static_cast<char>(u));
            if (u == '\'')
                r.push_back('\'');
        } else {
            if (quoted) {
                r.push_back('\'');
                quoted = false;
            }
            r += "#" + UIntToStr(u);
        }
    }
    if (quoted)
        r.push_back('\'');
    return r;
}

std::string FloatText(double v)
{
    std::string s;
    for (int precision = 15; precision <= 17; ++precision) {
        s = FloatToStrF(v, ffGeneral, precision, 0);
        double back;
        if (!TryStrToFloat(s, back) || back == v)
            break;
    }
    if (s.find_first_of(".EN") == std::string::npos) // keep it a float when read back
        s += ".0";
    return s;
}

class BinaryConverter {
public:
    explicit BinaryConverter(TReader& reader) : r_(reader) {}

    void Object(int indent)
    {
        NestingGuardText guard(depth_);
        uint8_t flags;
        int childPos;
        r_.ReadPrefix(flags, childPos);
        const std::string className = r_.ReadStr();
        const std::string name = r_.ReadStr();
        std::string header = (flags & ffInherited) ? "inherited "
                             : (flags & ffInline)  ? "inline "
                                                   : "object ";
        if (!name.empty())
            header += name + ": ";
        header += className;
        if (flags & ffChildPos)
            header += " [" + IntToStr(childPos) + "]";
        Line(indent, header);
        while (!r_.EndOfList())
            Property(indent + 2);
        r_.ReadListEnd();
        while (!r_.EndOfList())
            Object(indent + 2);
        r_.ReadListEnd();
        Line(indent, "end");
    }

    std::string Text() const { return out_; }

private:
    struct NestingGuardText {
        explicit NestingGuardText(int& d) : depth(d)
        {
            if (++depth > MaxStreamNesting)
                throw EReadError(messages::InvalidImage);
        }
        ~NestingGuardText() { --depth; }
        int& depth;
    };

    void Line(int indent, const std::string& text)
    {
        out_ += std::string(static_cast<size_t>(indent), ' ') + text + "\n";
    }

    void Property(int indent)
    {
        const std::string name = r_.ReadStr();
        out_ += std::string(static_cast<size_t>(indent), ' ') + name + " = ";
        Value(indent);
        out_ += "\n";
    }

    // Writes the value after "name = " without the final line end.
    void Value(int indent)
    {
        NestingGuardText guard(depth_);
        const TValueType type = r_.NextValue();
        switch (type) {
            case vaList:
                r_.ReadValue();
                out_ += "(";
                while (!r_.EndOfList()) {
                    out_ += "\n" + std::string(static_cast<size_t>(indent + 2), ' ');
                    Value(indent + 2);
                }
                r_.ReadListEnd();
                out_ += ")";
                return;
            case vaInt8:
            case vaInt16:
            case vaInt32:
            case vaInt64:
                out_ += IntToStr(r_.ReadInt64());
                return;
            case vaExtended:
            case vaDouble:
                out_ += FloatText(r_.ReadFloat());
                return;
            case vaSingle:
                out_ += FloatText(r_.ReadFloat()) + "s";
                return;
            case vaCurrency:
                out_ += FloatText(r_.ReadFloat()) + "c";
                return;
            case vaDate:
                out_ += FloatText(r_.ReadFloat()) + "d";
                return;
            case vaString:
            case vaLString:
                out_ += QuoteUnits(r_.ReadString());
                return;
            case vaWString:
            case vaUTF8String:
                out_ += QuoteUnits(r_.ReadWideString());
                return;
            case vaIdent:
            case vaFalse:
            case vaTrue:
            case vaNil:
            case vaNull:
                out_ += r_.ReadIdent();
                return;
            case vaBinary: {
                const std::vector<uint8_t> data = r_.ReadBinary();
                out_ += "{";
                for (size_t i = 0; i < data.size(); ++i) {
                    if (i % 32 == 0)
                        out_ += "\n" + std::string(static_cast<size_t>(indent + 2), ' ');
                    out_ += IntToHex(data[i], 2);
                }
                out_ += "}";
                return;
            }
            case vaSet: {
                r_.ReadValue();
                out_ += "[";
                bool first = true;
                for (std::string element = r_.ReadStr(); !element.empty(); element = r_.ReadStr()) {
                    out_ += (first ? "" : ", ") + element;
                    first = false;
                }
                out_ += "]";
                return;
            }
            case vaCollection: {
                r_.ReadValue();
                out_ += "<";
                while (!r_.EndOfList()) {
                    out_ += "\n" + std::string(static_cast<size_t>(indent + 2), ' ') + "item";
                    const TValueType v = r_.NextValue();
                    if (v == vaInt8 || v == vaInt16 || v == vaInt32)
                        out_ += " [" + IntToStr(r_.ReadInteger()) + "]";
                    out_ += "\n";
                    r_.ReadListBegin();
                    while (!r_.EndOfList())
                        Property(indent + 4);
                    r_.ReadListEnd();
                    out_ += std::string(static_cast<size_t>(indent + 2), ' ') + "end";
                }
                r_.ReadListEnd();
                out_ += ">";
                return;
            }
        }
    }

    TReader& r_;
    std::string out_;
    int depth_ = 0;
};

} // namespace

std::string ObjectBinaryToText(std::string_view binary)
{
    TStringStream in{std::string(binary)};
    TReader reader(in);
    reader.ReadSignature();
    BinaryConverter converter(reader);
    converter.Object(0);
    return converter.Text();
}

void ObjectBinaryToText(TStream& input, TStream& output)
{
    TReader reader(input);
    reader.ReadSignature();
    BinaryConverter converter(reader);
    converter.Object(0);
    const std::string text = converter.Text();
    output.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

} // namespace classlib
