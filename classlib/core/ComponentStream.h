#pragma once
// The binary component stream ("TPF0"): TReader and TWriter, and the component-level entry
// points. A stream holds one root component: its class name, name, properties (name, value
// tag, value) up to an empty name, then its children the same way up to a zero byte.
//
// Reading creates the children by class name (class registry) in stream order, owned by the
// root (or the parent's GetChildOwner), tells components with HasParent() their parent through
// SetParentComponent before their properties, binds event properties to the root's published
// methods by name, resolves component references by name after everything is read, and then
// calls Loaded in creation order (root first). Malformed input raises EReadError.
#include "core/Component.h"
#include "core/Streams.h"
#include "core/TypeInfo.h"

#include <functional>
#include <string>
#include <vector>

namespace classlib {

class TCollection;
class TReader;
class TWriter;

enum TValueType : uint8_t {
    vaNull,
    vaList,
    vaInt8,
    vaInt16,
    vaInt32,
    vaExtended,
    vaString,
    vaIdent,
    vaFalse,
    vaTrue,
    vaBinary,
    vaSet,
    vaLString,
    vaNil,
    vaCollection,
    vaSingle,
    vaCurrency,
    vaDate,
    vaWString,
    vaInt64,
    vaUTF8String,
    vaDouble
};
inline constexpr uint8_t vaLastValue = vaDouble;

// Filer flags of a component entry (the prefix byte 0xF0 | flags).
enum TFilerFlag : uint8_t { ffInherited = 1, ffChildPos = 2, ffInline = 4 };

using TReaderProc = std::function<void(TReader&)>;
using TWriterProc = std::function<void(TWriter&)>;
using TStreamProc = std::function<void(TStream&)>;

class TFiler : public TObject {
    CLASSLIB_CLASS(TFiler, TObject)
    explicit TFiler(TStream& stream) : stream_(stream) {}

    TStream& Stream() const { return stream_; }
    TComponent* Root() const { return root_; }
    void SetRoot(TComponent* root) { root_ = root; }

    // Properties an object stores beyond its published ones; called from DefineProperties.
    virtual void DefineProperty(const std::string& name, const TReaderProc& read,
                                const TWriterProc& write, bool hasData) = 0;
    // A property whose value is a block of bytes (value tag vaBinary).
    virtual void DefineBinaryProperty(const std::string& name, const TStreamProc& read,
                                      const TStreamProc& write, bool hasData) = 0;

protected:
    TStream& stream_;
    TComponent* root_ = nullptr;
};

// The longest component nesting, list nesting and collection nesting a stream may have.
inline constexpr int MaxStreamNesting = 64;

class TReader : public TFiler {
    CLASSLIB_CLASS(TReader, TFiler)
    explicit TReader(TStream& stream) : TFiler(stream) {}

    // Components.
    // Reads a whole stream into `root`, or into a new instance of the stored class when `root`
    // is nullptr (freed again if reading fails).
    TComponent* ReadRootComponent(TComponent* root);
    // Reads one child entry: into `component` when given, else into a new component.
    TComponent* ReadComponent(TComponent* component);
    // Properties up to the end of the list, then the children.
    void ReadData(TComponent* instance);
    // One property (name and value) into `instance`; dotted names reach nested objects.
    void ReadProperty(TPersistent* instance);
    // Items of a collection, after its vaCollection tag.
    void ReadCollection(TCollection& collection);

    TComponent* Owner() const { return owner_; }
    void SetOwner(TComponent* owner) { owner_ = owner; }
    TComponent* Parent() const { return parent_; }
    void SetParent(TComponent* parent) { parent_ = parent; }
    // The property being read (for DefineProperties).
    const std::string& PropName() const { return propName_; }

    // Structure.
    void ReadSignature();
    void ReadPrefix(uint8_t& flags, int& childPos);
    TValueType ReadValue();
    TValueType NextValue();
    void CheckValue(TValueType value);
    bool EndOfList();
    void ReadListBegin();
    void ReadListEnd();
    void SkipValue();
    void SkipProperty();

    // Values (each checks its value tag).
    std::string ReadStr(); // a short string without tag (names)
    std::string ReadString();
    WideString ReadWideString();
    std::string ReadIdent();
    int ReadInteger();
    int64_t ReadInt64();
    double ReadFloat();
    bool ReadBoolean();
    char ReadChar();
    uint32_t ReadSet(const TTypeInfo* setType);
    std::vector<uint8_t> ReadBinary();

    void DefineProperty(const std::string& name, const TReaderProc& read, const TWriterProc& write,
                        bool hasData) override;
    void DefineBinaryProperty(const std::string& name, const TStreamProc& read,
                              const TStreamProc& write, bool hasData) override;

    // Raises EReadError "Invalid property value".
    [[noreturn]] static void PropValueError();

    // Nesting of structures that a reader's client reads recursively (lists of objects that
    // hold lists): EnterNesting raises EReadError "Invalid stream format" beyond
    // MaxStreamNesting levels; each successful call is paired with LeaveNesting.
    void EnterNesting();
    void LeaveNesting() { --nesting_; }

private:
    struct Fixup {
        TPersistent* instance;
        const TPropInfo* prop;
        std::string name;
    };
    void ReadBytes(void* buffer, int64_t count);
    int64_t ReadCount(); // a 32-bit count that must fit in the rest of the stream
    void ReadPropValue(TPersistent* instance, const TPropInfo& prop);
    void FixupReferences();
    TComponent* FindReference(const std::string& name) const;

    TComponent* owner_ = nullptr;
    TComponent* parent_ = nullptr;
    std::string propName_;
    bool propHandled_ = false;
    std::vector<TComponent*> loaded_;
    std::vector<Fixup> fixups_;
    int nesting_ = 0;
    friend struct NestingGuard;
};

class TWriter : public TFiler {
    CLASSLIB_CLASS(TWriter, TFiler)
    explicit TWriter(TStream& stream) : TFiler(stream) {}

    // The signature and `root` with its children (no ancestor comparison: every property that
    // differs from its default is written).
    void WriteDescendent(TComponent* root, TComponent* ancestor);
    void WriteRootComponent(TComponent* root) { WriteDescendent(root, nullptr); }
    void WriteComponent(TComponent* component);
    // Properties, the end of the list, then the children.
    void WriteData(TComponent* instance);
    void WriteProperties(TPersistent* instance);
    void WriteProperty(TPersistent* instance, const TPropInfo& prop);
    void WriteCollection(TCollection* collection);

    // Property path prefix of nested objects ("Font.").
    const std::string& PropPath() const { return propPath_; }
    void SetPropPath(std::string path) { propPath_ = std::move(path); }

    // Structure.
    void WriteSignature();
    void WritePrefix(uint8_t flags, int childPos);
    void WriteValue(TValueType value);
    void WriteStr(std::string_view s); // short string without tag; raises EWriteError beyond 255
    void WritePropName(std::string_view name);
    void WriteListBegin() { WriteValue(vaList); }
    void WriteListEnd() { WriteValue(vaNull); }

    // Values with their tags.
    void WriteInteger(int64_t value); // the smallest of vaInt8, vaInt16, vaInt32, vaInt64
    void WriteInt32(int32_t value);   // always vaInt32
    void WriteFloat(double value);    // vaExtended
    void WriteSingle(float value);
    void WriteDouble(double value);
    void WriteCurrency(double value);
    void WriteDate(double value);              // vaDate: the date-time as an 8-byte double
    void WriteString(std::string_view value);  // vaString, or vaLString beyond 255 bytes
    void WriteLString(std::string_view value); // always vaLString
    void WriteWideString(const WideString& value);
    void WriteUTF8String(std::string_view value);
    void WriteIdent(std::string_view ident); // False, True, nil, Null get their own tags
    void WriteBoolean(bool value);
    void WriteChar(char value);
    void WriteSet(const TTypeInfo* setType, uint32_t value);
    void WriteBinary(const void* data, int64_t size);

    void DefineProperty(const std::string& name, const TReaderProc& read, const TWriterProc& write,
                        bool hasData) override;
    void DefineBinaryProperty(const std::string& name, const TStreamProc& read,
                              const TStreamProc& write, bool hasData) override;

private:
    void WriteBytes(const void* data, int64_t count) { stream_.WriteBuffer(data, count); }
    std::string propPath_;
    TComponent* lookupRoot_ = nullptr;
};

// 80-bit extended floats of the stream <-> double.
void DoubleToExtended(double value, uint8_t out[10]);
double ExtendedToDouble(const uint8_t in[10]);

// Entry points: a whole component stream in a TStream.
void WriteComponentToStream(TStream& stream, TComponent* root);
TComponent* ReadComponentFromStream(TStream& stream, TComponent* root);

// Resolves "Root.Component" references to components of other roots (forms); the Windows run
// time installs one that looks through the application's forms. Returns nullptr when unknown.
using TFindGlobalComponent = TComponent* (*)(std::string_view name);
void SetFindGlobalComponent(TFindGlobalComponent find);

} // namespace classlib
