#include "core/ComponentStream.h"

#include "core/Collection.h"
#include "core/SysUtils.h"

#include <cmath>
#include <cstring>

namespace classlib {

CLASSLIB_PUBLISH(TFiler) {}
CLASSLIB_PUBLISH(TReader) {}
CLASSLIB_PUBLISH(TWriter) {}

namespace {

constexpr char Signature[4] = {'T', 'P', 'F', '0'};
TFindGlobalComponent findGlobalComponent = nullptr;

[[noreturn]] void InvalidStream()
{
    throw EReadError(messages::InvalidImage);
}

const TComponent* AsComponent(const TPersistent* p)
{
    return dynamic_cast<const TComponent*>(p);
}

int64_t IdentToInteger(const TTypeInfo* type, const std::string& ident)
{
    int64_t value;
    if (!FindIdentToInt(type, ident, value))
        TReader::PropValueError();
    return value;
}

} // namespace

void SetFindGlobalComponent(TFindGlobalComponent find)
{
    findGlobalComponent = find;
}

// ---- extended floats ------------------------------------------------------------------------

void DoubleToExtended(double value, uint8_t out[10])
{
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    const bool negative = bits >> 63;
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    uint64_t mantissa;
    int extExponent;
    if (exponent == 0 && fraction == 0) {
        mantissa = 0;
        extExponent = 0;
    } else if (exponent == 0x7FF) {
        mantissa = (uint64_t{1} << 63) | (fraction << 11);
        extExponent = 0x7FFF;
    } else if (exponent == 0) {
        // Subnormal double: normal in the wider exponent range.
        int shift = 0;
        while (!(fraction & (uint64_t{1} << 52))) {
            fraction <<= 1;
            ++shift;
        }
        mantissa = fraction << 11;
        extExponent = 1 - 1023 - shift + 16383;
    } else {
        mantissa = (uint64_t{1} << 63) | (fraction << 11);
        extExponent = exponent - 1023 + 16383;
    }
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<uint8_t>(mantissa >> (8 * i));
    const uint16_t top = static_cast<uint16_t>((negative ? 0x8000 : 0) | extExponent);
    out[8] = static_cast<uint8_t>(top);
    out[9] = static_cast<uint8_t>(top >> 8);
}

double ExtendedToDouble(const uint8_t in[10])
{
    uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i)
        mantissa |= uint64_t{in[i]} << (8 * i);
    const uint16_t top = static_cast<uint16_t>(in[8] | (in[9] << 8));
    const bool negative = top & 0x8000;
    const int exponent = top & 0x7FFF;
    double value;
    if (exponent == 0x7FFF)
        value = (mantissa << 1) == 0 ? INFINITY : NAN;
    else if (mantissa == 0)
        value = 0;
    else
        value = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
    return negative ? -value : value;
}

// ---- TReader: structure ---------------------------------------------------------------------

struct NestingGuard {
    explicit NestingGuard(TReader& r) : reader(r) { reader.EnterNesting(); }
    ~NestingGuard() { --reader.nesting_; }
    TReader& reader;
};

void TReader::EnterNesting()
{
    if (++nesting_ > MaxStreamNesting) {
        --nesting_;
        InvalidStream();
    }
}

void TReader::PropValueError()
{
    throw EReadError(messages::InvalidPropertyValue);
}

void TReader::ReadBytes(void* buffer, int64_t count)
{
    stream_.ReadBuffer(buffer, count);
}

int64_t TReader::ReadCount()
{
    uint8_t b[4];
    ReadBytes(b, 4);
    const uint32_t count = b[0] | (b[1] << 8) | (b[2] << 16) | (uint32_t{b[3]} << 24);
    // Checked against what is left before anything is allocated for it.
    if (static_cast<int64_t>(count) > stream_.Size() - stream_.Position())
        throw EReadError(messages::ReadError);
    return count;
}

void TReader::ReadSignature()
{
    char sig[4];
    ReadBytes(sig, 4);
    if (std::memcmp(sig, Signature, 4) != 0)
        InvalidStream();
}

void TReader::ReadPrefix(uint8_t& flags, int& childPos)
{
    flags = 0;
    childPos = 0;
    uint8_t b;
    ReadBytes(&b, 1);
    if ((b & 0xF0) == 0xF0) {
        flags = b & 0x0F;
        if (flags & ffChildPos)
            childPos = ReadInteger();
    } else {
        stream_.Seek(-1, soCurrent);
    }
}

TValueType TReader::ReadValue()
{
    uint8_t b;
    ReadBytes(&b, 1);
    if (b > vaLastValue)
        InvalidStream();
    return static_cast<TValueType>(b);
}

TValueType TReader::NextValue()
{
    const TValueType v = ReadValue();
    stream_.Seek(-1, soCurrent);
    return v;
}

void TReader::CheckValue(TValueType value)
{
    if (ReadValue() != value)
        PropValueError();
}

bool TReader::EndOfList()
{
    // Peeks the raw byte: in a list of components the next entry starts with its class name's
    // length, which is not a value type and may exceed the last one.
    uint8_t b;
    ReadBytes(&b, 1);
    stream_.Seek(-1, soCurrent);
    return b == vaNull;
}

void TReader::ReadListBegin()
{
    CheckValue(vaList);
}
void TReader::ReadListEnd()
{
    CheckValue(vaNull);
}

std::string TReader::ReadStr()
{
    uint8_t length;
    ReadBytes(&length, 1);
    std::string s(length, '\0');
    ReadBytes(s.data(), length);
    return s;
}

void TReader::SkipProperty()
{
    ReadStr();
    SkipValue();
}

void TReader::SkipValue()
{
    NestingGuard guard(*this);
    auto skip = [&](int64_t n) {
        if (n > stream_.Size() - stream_.Position())
            throw EReadError(messages::ReadError);
        stream_.Seek(n, soCurrent);
    };
    switch (ReadValue()) {
        case vaNull:
        case vaFalse:
        case vaTrue:
        case vaNil:
            break;
        case vaList:
            while (!EndOfList())
                SkipValue();
            ReadListEnd();
            break;
        case vaInt8:
            skip(1);
            break;
        case vaInt16:
            skip(2);
            break;
        case vaInt32:
            skip(4);
            break;
        case vaExtended:
            skip(10);
            break;
        case vaString:
        case vaIdent:
            ReadStr();
            break;
        case vaBinary:
        case vaLString:
        case vaUTF8String:
            skip(ReadCount());
            break;
        case vaWString: {
            const int64_t units = ReadCount();
            skip(units); // the count was checked as bytes; the units are twice that
            skip(units);
            break;
        }
        case vaSet:
            while (!ReadStr().empty()) {
            }
            break;
        case vaCollection:
            while (!EndOfList()) {
                const TValueType v = NextValue();
                if (v == vaInt8 || v == vaInt16 || v == vaInt32)
                    ReadInteger();
                ReadListBegin();
                while (!EndOfList())
                    SkipProperty();
                ReadListEnd();
            }
            ReadListEnd();
            break;
        case vaSingle:
            skip(4);
            break;
        case vaCurrency:
        case vaDate:
        case vaInt64:
        case vaDouble:
            skip(8);
            break;
    }
}

// ---- TReader: values ------------------------------------------------------------------------

int64_t TReader::ReadInt64()
{
    const TValueType v = ReadValue();
    switch (v) {
        case vaInt8: {
            int8_t x;
            ReadBytes(&x, 1);
            return x;
        }
        case vaInt16: {
            uint8_t b[2];
            ReadBytes(b, 2);
            return static_cast<int16_t>(b[0] | (b[1] << 8));
        }
        case vaInt32: {
            uint8_t b[4];
            ReadBytes(b, 4);
            return static_cast<int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (uint32_t{b[3]} << 24));
        }
        case vaInt64: {
            uint8_t b[8];
            ReadBytes(b, 8);
            uint64_t x = 0;
            for (int i = 0; i < 8; ++i)
                x |= uint64_t{b[i]} << (8 * i);
            return static_cast<int64_t>(x);
        }
        default:
            PropValueError();
    }
}

int TReader::ReadInteger()
{
    if (NextValue() == vaInt64)
        PropValueError();
    return static_cast<int>(ReadInt64());
}

double TReader::ReadFloat()
{
    switch (NextValue()) {
        case vaInt8:
        case vaInt16:
        case vaInt32:
        case vaInt64:
            return static_cast<double>(ReadInt64());
        default:
            break;
    }
    const TValueType v = ReadValue();
    switch (v) {
        case vaExtended: {
            uint8_t b[10];
            ReadBytes(b, 10);
            return ExtendedToDouble(b);
        }
        case vaSingle: {
            float f;
            uint8_t b[4];
            ReadBytes(b, 4);
            std::memcpy(&f, b, 4);
            return f;
        }
        case vaDouble:
        case vaDate: {
            double d;
            uint8_t b[8];
            ReadBytes(b, 8);
            std::memcpy(&d, b, 8);
            return d;
        }
        case vaCurrency: {
            uint8_t b[8];
            ReadBytes(b, 8);
            uint64_t x = 0;
            for (int i = 0; i < 8; ++i)
                x |= uint64_t{b[i]} << (8 * i);
            return static_cast<double>(static_cast<int64_t>(x)) / 10000.0;
        }
        default:
            PropValueError();
    }
}

namespace {
WideString ReadUtf16(TReader& reader, int64_t units)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(units) * 2);
    reader.Stream().ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    std::u16string u16;
    u16.reserve(static_cast<size_t>(units));
    for (size_t i = 0; i < bytes.size(); i += 2)
        u16.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    if constexpr (sizeof(wchar_t) == 2)
        return WideString(u16.begin(), u16.end());
    // Wider wchar_t: combine surrogate pairs through UTF-8.
    std::string utf8;
    for (size_t i = 0; i < u16.size(); ++i) {
        uint32_t cp = u16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < u16.size() && u16[i + 1] >= 0xDC00 &&
            u16[i + 1] <= 0xDFFF)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (u16[++i] - 0xDC00u);
        else if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD;
        utf8 += WideToUtf8(WideString(1, static_cast<wchar_t>(cp)));
    }
    return Utf8ToWide(utf8);
}
} // namespace

std::string TReader::ReadString()
{
    const TValueType v = ReadValue();
    switch (v) {
        case vaString:
            return ReadStr();
        case vaLString: {
            std::string s(static_cast<size_t>(ReadCount()), '\0');
            ReadBytes(s.data(), static_cast<int64_t>(s.size()));
            return s;
        }
        case vaWString:
            return WideToAnsi(ReadUtf16(*this, ReadCount()));
        case vaUTF8String: {
            std::string s(static_cast<size_t>(ReadCount()), '\0');
            ReadBytes(s.data(), static_cast<int64_t>(s.size()));
            return WideToAnsi(Utf8ToWide(s));
        }
        default:
            PropValueError();
    }
}

WideString TReader::ReadWideString()
{
    switch (NextValue()) {
        case vaWString:
            ReadValue();
            return ReadUtf16(*this, ReadCount());
        case vaUTF8String: {
            ReadValue();
            std::string s(static_cast<size_t>(ReadCount()), '\0');
            ReadBytes(s.data(), static_cast<int64_t>(s.size()));
            return Utf8ToWide(s);
        }
        default:
            return AnsiToWide(ReadString());
    }
}

std::string TReader::ReadIdent()
{
    switch (ReadValue()) {
        case vaIdent:
            return ReadStr();
        case vaFalse:
            return "False";
        case vaTrue:
            return "True";
        case vaNil:
            return "nil";
        case vaNull:
            return "Null";
        default:
            PropValueError();
    }
}

bool TReader::ReadBoolean()
{
    const TValueType v = ReadValue();
    if (v != vaTrue && v != vaFalse)
        PropValueError();
    return v == vaTrue;
}

char TReader::ReadChar()
{
    CheckValue(vaString);
    const std::string s = ReadStr();
    if (s.size() != 1)
        PropValueError();
    return s[0];
}

uint32_t TReader::ReadSet(const TTypeInfo* setType)
{
    CheckValue(vaSet);
    uint32_t result = 0;
    const TTypeInfo* element = setType ? setType->CompType : nullptr;
    while (true) {
        const std::string name = ReadStr();
        if (name.empty())
            break;
        const int v = GetEnumValue(element, name);
        if (v < 0 || v > 31)
            PropValueError();
        result |= uint32_t{1} << v;
    }
    return result;
}

std::vector<uint8_t> TReader::ReadBinary()
{
    CheckValue(vaBinary);
    std::vector<uint8_t> data(static_cast<size_t>(ReadCount()));
    ReadBytes(data.data(), static_cast<int64_t>(data.size()));
    return data;
}

// ---- TReader: objects -----------------------------------------------------------------------

void TReader::DefineProperty(const std::string& name, const TReaderProc& read, const TWriterProc&,
                             bool)
{
    if (!propHandled_ && read && SameText(name, propName_)) {
        read(*this);
        propHandled_ = true;
    }
}

void TReader::DefineBinaryProperty(const std::string& name, const TStreamProc& read,
                                   const TStreamProc&, bool)
{
    if (!propHandled_ && read && SameText(name, propName_)) {
        const std::vector<uint8_t> data = ReadBinary();
        TMemoryStream stream;
        if (!data.empty())
            stream.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
        stream.SetPosition(0);
        read(stream);
        propHandled_ = true;
    }
}

void TReader::ReadCollection(TCollection& collection)
{
    NestingGuard guard(*this);
    UpdateBracket(collection, [&] {
        if (!EndOfList())
            collection.Clear();
        while (!EndOfList()) {
            const TValueType v = NextValue();
            if (v == vaInt8 || v == vaInt16 || v == vaInt32)
                ReadInteger(); // the item's order, kept by position
            TCollectionItem* item = collection.Add();
            ReadListBegin();
            while (!EndOfList())
                ReadProperty(item);
            ReadListEnd();
        }
        ReadListEnd();
    });
}

void TReader::ReadProperty(TPersistent* instance)
{
    const std::string fullName = ReadStr();
    if (fullName.empty())
        InvalidStream();
    propName_ = fullName;
    try {
        TPersistent* target = instance;
        std::string name = fullName;
        size_t dot;
        while ((dot = name.find('.')) != std::string::npos) {
            const std::string head = name.substr(0, dot);
            const TPropInfo* p = target->ClassType().FindProperty(head);
            if (!p || p->PropType->Kind != tkClass)
                throw EReadError(Format(messages::UnknownProperty, {head}));
            auto* nested = dynamic_cast<TPersistent*>(GetObjectProp(target, *p));
            if (!nested)
                throw EReadError(Format(messages::UnknownProperty, {head}));
            target = nested;
            name = name.substr(dot + 1);
        }
        if (const TPropInfo* p = target->ClassType().FindProperty(name)) {
            ReadPropValue(target, *p);
        } else {
            propName_ = name;
            propHandled_ = false;
            target->DefineProperties(*this);
            if (!propHandled_)
                throw EReadError(Format(messages::UnknownProperty, {name}));
            propHandled_ = false;
        }
    } catch (Exception& e) {
        // Say where: "Error reading Button1.Caption: Invalid property value".
        if (e.Message().rfind("Error reading ", 0) != 0) {
            const TComponent* c = AsComponent(instance);
            const std::string owner = c ? c->Name() : instance->GetNamePath();
            e.SetMessage(Format("Error reading %s%s%s: %s",
                                {owner, owner.empty() ? "" : ".", fullName, e.Message()}));
        }
        throw;
    }
}

void TReader::ReadPropValue(TPersistent* instance, const TPropInfo& prop)
{
    const TTypeInfo* type = prop.PropType;
    if (!prop.HasWriter() && type->Kind != tkClass)
        throw EReadError(Format(messages::PropertyReadOnly, {prop.Name}));
    switch (type->Kind) {
        case tkInteger:
            SetOrdProp(instance, prop,
                       NextValue() == vaIdent ? IdentToInteger(type, ReadIdent()) : ReadInteger());
            break;
        case tkInt64:
            SetOrdProp(instance, prop, ReadInt64());
            break;
        case tkChar:
            SetOrdProp(instance, prop, static_cast<unsigned char>(ReadChar()));
            break;
        case tkWChar: {
            const WideString w = ReadWideString();
            if (w.size() != 1)
                PropValueError();
            SetOrdProp(instance, prop, static_cast<int64_t>(w[0]));
            break;
        }
        case tkEnumeration: {
            const int v = GetEnumValue(type, ReadIdent());
            if (v < 0)
                PropValueError();
            SetOrdProp(instance, prop, v);
            break;
        }
        case tkSet:
            SetOrdProp(instance, prop, ReadSet(type));
            break;
        case tkFloat:
            SetFloatProp(instance, prop, ReadFloat());
            break;
        case tkString:
        case tkLString:
            SetStrProp(instance, prop, ReadString());
            break;
        case tkWString:
            SetWideStrProp(instance, prop, ReadWideString());
            break;
        case tkClass:
            switch (NextValue()) {
                case vaNil:
                    ReadValue();
                    SetObjectProp(instance, prop, nullptr);
                    break;
                case vaCollection: {
                    ReadValue();
                    auto* collection = dynamic_cast<TCollection*>(GetObjectProp(instance, prop));
                    if (!collection)
                        PropValueError();
                    ReadCollection(*collection);
                    break;
                }
                case vaIdent:
                    if (!prop.HasWriter())
                        throw EReadError(Format(messages::PropertyReadOnly, {prop.Name}));
                    fixups_.push_back({instance, &prop, ReadIdent()});
                    break;
                default:
                    PropValueError();
            }
            break;
        case tkMethod: {
            if (NextValue() == vaNil) {
                ReadValue();
                SetMethodProp(instance, prop, TMethod{});
                break;
            }
            const std::string name = ReadIdent();
            const TMethodCode* code = root_ ? root_->ClassType().MethodAddress(name) : nullptr;
            void* receiver = code ? code->ReceiverFor(root_) : nullptr;
            if (!code || !receiver)
                throw EReadError(Format(messages::MethodNotFound, {name}));
            SetMethodProp(instance, prop, TMethod{code, receiver});
            break;
        }
        default:
            PropValueError();
    }
}

TComponent* TReader::FindReference(const std::string& name) const
{
    const auto dot = name.find('.');
    if (dot == std::string::npos) {
        if (root_ && SameText(root_->Name(), name))
            return root_;
        return root_ ? root_->FindComponent(name) : nullptr;
    }
    const std::string rootName = name.substr(0, dot);
    const std::string rest = name.substr(dot + 1);
    TComponent* otherRoot = nullptr;
    if (root_ && SameText(root_->Name(), rootName))
        otherRoot = root_;
    else if (findGlobalComponent)
        otherRoot = findGlobalComponent(rootName);
    return otherRoot ? otherRoot->FindComponent(rest) : nullptr;
}

void TReader::FixupReferences()
{
    // References to components that do not exist stay nil, as the stream may name components
    // of roots that are not loaded.
    std::vector<Fixup> pending;
    pending.swap(fixups_);
    for (const Fixup& f : pending) {
        TComponent* target = FindReference(f.name);
        if (!target)
            continue;
        if (f.prop->PropType->ClassType && !target->InheritsFrom(*f.prop->PropType->ClassType))
            throw EReadError(
                Format("Error reading %s: %s is not a %s",
                       {f.prop->Name, f.name, f.prop->PropType->ClassType->ClassName()}));
        SetObjectProp(f.instance, *f.prop, target);
    }
}

TComponent* TReader::ReadComponent(TComponent* component)
{
    NestingGuard guard(*this);
    uint8_t flags;
    int childPos;
    ReadPrefix(flags, childPos);
    const std::string className = ReadStr();
    const std::string name = ReadStr();
    bool created = false;
    if (!component && (flags & (ffInherited | ffInline)) && owner_) {
        component = owner_->FindComponent(name);
        if (!component)
            throw EReadError(Format(messages::AncestorNotFound, {name}));
    }
    if (!component) {
        const TMetaClass* cls = GetClass(className);
        // Say which entry of the stream names the class, as property errors do.
        if (!cls)
            throw EClassNotFound(Format("Error reading %s: %s",
                                        {name, Format(messages::ClassNotFound, {className})}));
        if (!cls->InheritsFrom(TComponent::StaticClass()) || !cls->CanCreate())
            throw EReadError(Format("Invalid class type %s", {className}));
        component = static_cast<TComponent*>(cls->Create(owner_));
        created = true;
    }
    try {
        component->state_ += TComponentState{csLoading, csReading};
        if (created) {
            if (parent_ && component->HasParent())
                component->SetParentComponent(parent_);
            try {
                component->SetName(name);
            } catch (const EComponentError& e) {
                throw EReadError(e.Message()); // two entries of one name: malformed stream
            }
        }
        if (std::find(loaded_.begin(), loaded_.end(), component) == loaded_.end())
            loaded_.push_back(component);
        component->ReadState(*this);
        component->state_.Exclude(csReading);
    } catch (...) {
        if (created) {
            loaded_.erase(std::remove(loaded_.begin(), loaded_.end(), component), loaded_.end());
            component->Free();
        } else {
            component->state_.Exclude(csReading);
        }
        throw;
    }
    return component;
}

void TReader::ReadData(TComponent* instance)
{
    while (!EndOfList())
        ReadProperty(instance);
    ReadListEnd();
    TComponent* oldOwner = owner_;
    TComponent* oldParent = parent_;
    parent_ = instance->GetChildParent();
    owner_ = instance->GetChildOwner();
    if (!owner_)
        owner_ = root_;
    try {
        while (!EndOfList())
            ReadComponent(nullptr);
        ReadListEnd();
    } catch (...) {
        owner_ = oldOwner;
        parent_ = oldParent;
        throw;
    }
    owner_ = oldOwner;
    parent_ = oldParent;
}

TComponent* TReader::ReadRootComponent(TComponent* root)
{
    ReadSignature();
    uint8_t flags;
    int childPos;
    ReadPrefix(flags, childPos);
    const std::string className = ReadStr();
    bool created = false;
    if (!root) {
        const TMetaClass* cls = GetClass(className);
        if (!cls)
            throw EClassNotFound(Format(messages::ClassNotFound, {className}));
        if (!cls->InheritsFrom(TComponent::StaticClass()) || !cls->CanCreate())
            throw EReadError(Format("Invalid class type %s", {className}));
        root = static_cast<TComponent*>(cls->Create(nullptr));
        created = true;
    }
    root_ = root;
    owner_ = root;
    parent_ = nullptr;
    loaded_.clear();
    fixups_.clear();
    try {
        root->state_ += TComponentState{csLoading, csReading};
        std::string name = ReadStr();
        // Another root of the same name under the same owner gets a numbered name.
        if (!name.empty() && root->Owner() && !SameText(root->Name(), name)) {
            std::string unique = name;
            for (int n = 1; root->Owner()->FindComponent(unique); ++n)
                unique = name + "_" + IntToStr(n);
            name = unique;
        }
        root->SetName(name);
        loaded_.push_back(root);
        root->ReadState(*this);
        root->state_.Exclude(csReading);
        FixupReferences();
    } catch (...) {
        for (TComponent* c : loaded_)
            c->state_ -= TComponentState{csLoading, csReading};
        loaded_.clear();
        fixups_.clear();
        if (created)
            root->Free();
        throw;
    }
    std::vector<TComponent*> loaded;
    loaded.swap(loaded_);
    for (TComponent* c : loaded)
        c->Loaded();
    return root;
}

// ---- TWriter --------------------------------------------------------------------------------

void TWriter::WriteSignature()
{
    WriteBytes(Signature, 4);
}

void TWriter::WritePrefix(uint8_t flags, int childPos)
{
    if (flags == 0)
        return;
    const uint8_t b = static_cast<uint8_t>(0xF0 | flags);
    WriteBytes(&b, 1);
    if (flags & ffChildPos)
        WriteInteger(childPos);
}

void TWriter::WriteValue(TValueType value)
{
    const auto b = static_cast<uint8_t>(value);
    WriteBytes(&b, 1);
}

void TWriter::WriteStr(std::string_view s)
{
    if (s.size() > 255)
        throw EWriteError(Format("Name too long for the component stream: %s", {s.substr(0, 40)}));
    const auto length = static_cast<uint8_t>(s.size());
    WriteBytes(&length, 1);
    WriteBytes(s.data(), static_cast<int64_t>(s.size()));
}

void TWriter::WritePropName(std::string_view name)
{
    WriteStr(propPath_ + std::string(name));
}

namespace {
void PutLittleEndian(uint8_t* out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}
} // namespace

void TWriter::WriteInteger(int64_t value)
{
    uint8_t b[9];
    int size;
    if (value >= INT8_MIN && value <= INT8_MAX) {
        b[0] = vaInt8;
        size = 1;
    } else if (value >= INT16_MIN && value <= INT16_MAX) {
        b[0] = vaInt16;
        size = 2;
    } else if (value >= INT32_MIN && value <= INT32_MAX) {
        b[0] = vaInt32;
        size = 4;
    } else {
        b[0] = vaInt64;
        size = 8;
    }
    PutLittleEndian(b + 1, static_cast<uint64_t>(value), size);
    WriteBytes(b, size + 1);
}

void TWriter::WriteInt32(int32_t value)
{
    uint8_t b[5];
    b[0] = vaInt32;
    PutLittleEndian(b + 1, static_cast<uint32_t>(value), 4);
    WriteBytes(b, 5);
}

void TWriter::WriteFloat(double value)
{
    uint8_t b[11];
    b[0] = vaExtended;
    DoubleToExtended(value, b + 1);
    WriteBytes(b, 11);
}

void TWriter::WriteSingle(float value)
{
    uint8_t b[5];
    b[0] = vaSingle;
    std::memcpy(b + 1, &value, 4);
    WriteBytes(b, 5);
}

void TWriter::WriteDouble(double value)
{
    uint8_t b[9];
    b[0] = vaDouble;
    std::memcpy(b + 1, &value, 8);
    WriteBytes(b, 9);
}

void TWriter::WriteDate(double value)
{
    uint8_t b[9];
    b[0] = vaDate;
    std::memcpy(b + 1, &value, 8);
    WriteBytes(b, 9);
}

void TWriter::WriteCurrency(double value)
{
    uint8_t b[9];
    b[0] = vaCurrency;
    PutLittleEndian(b + 1,
                    static_cast<uint64_t>(static_cast<int64_t>(std::llround(value * 10000.0))), 8);
    WriteBytes(b, 9);
}

void TWriter::WriteString(std::string_view value)
{
    if (value.size() <= 255) {
        WriteValue(vaString);
        WriteStr(value);
        return;
    }
    WriteLString(value);
}

void TWriter::WriteLString(std::string_view value)
{
    uint8_t b[5];
    b[0] = vaLString;
    PutLittleEndian(b + 1, value.size(), 4);
    WriteBytes(b, 5);
    if (!value.empty())
        WriteBytes(value.data(), static_cast<int64_t>(value.size()));
}

void TWriter::WriteWideString(const WideString& value)
{
    std::vector<uint8_t> units;
    auto put = [&](uint32_t u) {
        units.push_back(static_cast<uint8_t>(u));
        units.push_back(static_cast<uint8_t>(u >> 8));
    };
    for (wchar_t c : value) {
        auto cp = static_cast<uint32_t>(c);
        if (cp > 0xFFFF) {
            cp -= 0x10000;
            put(0xD800 + (cp >> 10));
            put(0xDC00 + (cp & 0x3FF));
        } else {
            put(cp);
        }
    }
    uint8_t b[5];
    b[0] = vaWString;
    PutLittleEndian(b + 1, units.size() / 2, 4);
    WriteBytes(b, 5);
    if (!units.empty())
        WriteBytes(units.data(), static_cast<int64_t>(units.size()));
}

void TWriter::WriteUTF8String(std::string_view value)
{
    uint8_t b[5];
    b[0] = vaUTF8String;
    PutLittleEndian(b + 1, value.size(), 4);
    WriteBytes(b, 5);
    WriteBytes(value.data(), static_cast<int64_t>(value.size()));
}

void TWriter::WriteIdent(std::string_view ident)
{
    if (SameText(ident, "False"))
        WriteValue(vaFalse);
    else if (SameText(ident, "True"))
        WriteValue(vaTrue);
    else if (SameText(ident, "nil"))
        WriteValue(vaNil);
    else if (SameText(ident, "Null"))
        WriteValue(vaNull);
    else {
        WriteValue(vaIdent);
        WriteStr(ident);
    }
}

void TWriter::WriteBoolean(bool value)
{
    WriteValue(value ? vaTrue : vaFalse);
}

void TWriter::WriteChar(char value)
{
    WriteValue(vaString);
    WriteStr(std::string(1, value));
}

void TWriter::WriteSet(const TTypeInfo* setType, uint32_t value)
{
    WriteValue(vaSet);
    const TTypeInfo* element = setType ? setType->CompType : nullptr;
    for (int bit = 0; bit < 32; ++bit)
        if (value & (uint32_t{1} << bit))
            WriteStr(element && element->Kind == tkEnumeration ? GetEnumName(element, bit)
                                                               : IntToStr(bit));
    WriteStr("");
}

void TWriter::WriteBinary(const void* data, int64_t size)
{
    uint8_t b[5];
    b[0] = vaBinary;
    PutLittleEndian(b + 1, static_cast<uint64_t>(size), 4);
    WriteBytes(b, 5);
    WriteBytes(data, size);
}

void TWriter::DefineProperty(const std::string& name, const TReaderProc&, const TWriterProc& write,
                             bool hasData)
{
    if (hasData && write) {
        WritePropName(name);
        write(*this);
    }
}

void TWriter::DefineBinaryProperty(const std::string& name, const TStreamProc&,
                                   const TStreamProc& write, bool hasData)
{
    if (hasData && write) {
        TMemoryStream data;
        write(data);
        WritePropName(name);
        WriteBinary(data.Memory(), data.Size());
    }
}

void TWriter::WriteCollection(TCollection* collection)
{
    WriteValue(vaCollection);
    if (collection) {
        const std::string oldPath = propPath_;
        propPath_.clear();
        try {
            for (int i = 0; i < collection->Count(); ++i) {
                WriteListBegin();
                WriteProperties(collection->Items(i));
                WriteListEnd();
            }
        } catch (...) {
            propPath_ = oldPath;
            throw;
        }
        propPath_ = oldPath;
    }
    WriteListEnd();
}

void TWriter::WriteProperty(TPersistent* instance, const TPropInfo& prop)
{
    const TTypeInfo* type = prop.PropType;
    if (!prop.IsStored(instance))
        return;
    if (!prop.HasWriter() && type->Kind != tkClass)
        return;
    switch (type->Kind) {
        case tkInteger:
        case tkInt64:
        case tkChar:
        case tkWChar:
        case tkEnumeration:
        case tkSet: {
            const int64_t value = GetOrdProp(instance, prop);
            if (prop.Default != NoDefault && value == prop.Default)
                return;
            WritePropName(prop.Name);
            if (type->Kind == tkEnumeration)
                WriteIdent(GetEnumName(type, value));
            else if (type->Kind == tkSet)
                WriteSet(type, static_cast<uint32_t>(value));
            else if (type->Kind == tkChar)
                WriteChar(static_cast<char>(value));
            else if (type->Kind == tkWChar)
                WriteWideString(WideString(1, static_cast<wchar_t>(value)));
            else {
                std::string ident;
                if (type->Kind == tkInteger && FindIntToIdent(type, value, ident))
                    WriteIdent(ident);
                else
                    WriteInteger(value);
            }
            return;
        }
        case tkFloat: {
            const double value = GetFloatProp(instance, prop);
            if (value == 0)
                return;
            WritePropName(prop.Name);
            if (type->FloatType == ftSingle)
                WriteSingle(static_cast<float>(value));
            else if (type->FloatType == ftCurr)
                WriteCurrency(value);
            else
                WriteFloat(value);
            return;
        }
        case tkString:
        case tkLString: {
            const std::string value = GetStrProp(instance, prop);
            if (value.empty())
                return;
            WritePropName(prop.Name);
            WriteString(value);
            return;
        }
        case tkWString: {
            const WideString value = GetWideStrProp(instance, prop);
            if (value.empty())
                return;
            WritePropName(prop.Name);
            WriteWideString(value);
            return;
        }
        case tkMethod: {
            const TMethod method = GetMethodProp(instance, prop);
            const std::string name =
                method.Code && root_ ? root_->ClassType().MethodName(method.Code) : std::string();
            if (name.empty())
                return;
            WritePropName(prop.Name);
            WriteIdent(name);
            return;
        }
        case tkClass: {
            TObject* value = GetObjectProp(instance, prop);
            if (!value)
                return;
            auto* component = dynamic_cast<TComponent*>(value);
            if (component && !component->ComponentStyle().Contains(csSubComponent)) {
                if (!prop.HasWriter())
                    return;
                std::string name = component->Name();
                if (name.empty())
                    return;
                if (component != lookupRoot_ && component->Owner() != lookupRoot_) {
                    const TComponent* owner = component->Owner();
                    if (!owner || owner->Name().empty())
                        return;
                    name = owner->Name() + "." + name;
                }
                WritePropName(prop.Name);
                WriteIdent(name);
                return;
            }
            if (auto* collection = dynamic_cast<TCollection*>(value)) {
                WritePropName(prop.Name);
                WriteCollection(collection);
                return;
            }
            if (auto* nested = dynamic_cast<TPersistent*>(value)) {
                const std::string oldPath = propPath_;
                propPath_ += prop.Name + ".";
                try {
                    WriteProperties(nested);
                } catch (...) {
                    propPath_ = oldPath;
                    throw;
                }
                propPath_ = oldPath;
            }
            return;
        }
        default:
            return;
    }
}

void TWriter::WriteProperties(TPersistent* instance)
{
    for (const TPropInfo* prop : instance->ClassType().Properties())
        WriteProperty(instance, *prop);
    instance->DefineProperties(*this);
}

void TWriter::WriteData(TComponent* instance)
{
    WriteProperties(instance);
    WriteListEnd();
    instance->GetChildren([this](TComponent* child) { WriteComponent(child); }, root_);
    WriteListEnd();
}

void TWriter::WriteComponent(TComponent* component)
{
    component->state_.Include(csWriting);
    try {
        WritePrefix(0, 0);
        WriteStr(component->ClassName());
        WriteStr(component->Name());
        component->WriteState(*this);
    } catch (...) {
        component->state_.Exclude(csWriting);
        throw;
    }
    component->state_.Exclude(csWriting);
}

void TWriter::WriteDescendent(TComponent* root, TComponent*)
{
    root_ = root;
    lookupRoot_ = root;
    WriteSignature();
    WriteComponent(root);
}

// ---- entry points ---------------------------------------------------------------------------

void WriteComponentToStream(TStream& stream, TComponent* root)
{
    TWriter writer(stream);
    writer.WriteRootComponent(root);
}

TComponent* ReadComponentFromStream(TStream& stream, TComponent* root)
{
    TReader reader(stream);
    return reader.ReadRootComponent(root);
}

// ---- TComponent streaming -------------------------------------------------------------------

void TComponent::ReadState(TReader& reader)
{
    reader.ReadData(this);
}

void TComponent::WriteState(TWriter& writer)
{
    writer.WriteData(this);
}

} // namespace classlib
