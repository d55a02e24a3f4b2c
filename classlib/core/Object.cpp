#include "core/Object.h"

#include "core/SysUtils.h"
#include "core/TypeInfo.h"

#include <cstring>
#include <mutex>
#include <random>

namespace classlib {

std::string GUIDToString(const TGUID& g)
{
    return Format(
        "{%.8x-%.4x-%.4x-%.2x%.2x-%.2x%.2x%.2x%.2x%.2x%.2x}",
        {g.D1, g.D2, g.D3, g.D4[0], g.D4[1], g.D4[2], g.D4[3], g.D4[4], g.D4[5], g.D4[6], g.D4[7]});
}

TGUID StringToGUID(std::string_view text)
{
    static const char layout[] = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    bool ok = text.size() == 38;
    for (size_t i = 0; ok && i < 38; ++i) {
        const char c = text[i];
        if (layout[i] == 'X')
            ok = (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
        else
            ok = c == layout[i];
    }
    if (!ok)
        throw EConvertError(Format("'%s' is not a valid GUID value", {text}));
    char buf[39];
    std::copy(text.begin(), text.end(), buf);
    buf[38] = 0;
    return TGUID::FromText(buf);
}

TGUID CreateGUID()
{
    static std::mutex lock;
    static std::random_device source;
    uint8_t bytes[16];
    {
        std::lock_guard<std::mutex> guard(lock);
        for (size_t i = 0; i < sizeof bytes; i += 4) {
            const uint32_t r = source();
            std::memcpy(bytes + i, &r, 4);
        }
    }
    TGUID g;
    g.D1 = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (uint32_t{bytes[3]} << 24);
    g.D2 = static_cast<uint16_t>(bytes[4] | (bytes[5] << 8));
    g.D3 = static_cast<uint16_t>(((bytes[6] | (bytes[7] << 8)) & 0x0FFF) | 0x4000);
    std::memcpy(g.D4, bytes + 8, 8);
    g.D4[0] = static_cast<uint8_t>((g.D4[0] & 0x3F) | 0x80);
    return g;
}

// ---- TObject --------------------------------------------------------------------------------

const TMetaClass& TObject::StaticClass()
{
    static const TMetaClass info("TObject", nullptr, nullptr, nullptr);
    return info;
}

const TMetaClass& TObject::ClassType() const
{
    return StaticClass();
}

std::string TObject::ClassName() const
{
    return ClassType().ClassName();
}

bool TObject::InheritsFrom(const TMetaClass& cls) const
{
    return ClassType().InheritsFrom(cls);
}

void TObject::Free()
{
    BeforeDestruction();
    delete this;
}

bool TObject::GetInterface(const TGUID&, void** obj)
{
    *obj = nullptr;
    return false;
}

// ---- TInterfacedObject ----------------------------------------------------------------------

CLASSLIB_PUBLISH(TInterfacedObject) {}

bool TInterfacedObject::GetInterface(const TGUID& iid, void** obj)
{
    return GetInterfaceOf<IInterface>(this, iid, obj) || TObject::GetInterface(iid, obj);
}

bool TInterfacedObject::QueryInterface(const TGUID& iid, void** obj)
{
    if (!GetInterface(iid, obj))
        return false;
    AddRef();
    return true;
}

int TInterfacedObject::AddRef()
{
    return ++refCount_;
}

int TInterfacedObject::Release()
{
    const int count = --refCount_;
    if (count == 0)
        Free();
    return count;
}

CLASSLIB_PUBLISH(TAggregatedObject) {}

// ---- TPersistent ----------------------------------------------------------------------------

CLASSLIB_PUBLISH(TPersistent) {}

void TPersistent::Assign(TPersistent* source)
{
    if (source) {
        source->AssignTo(this);
        return;
    }
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const
{
    dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const
{
    const std::string sourceName = source ? source->ClassName() : std::string("nil");
    throw EAssignError(Format(messages::AssignError, {sourceName, ClassName()}));
}

std::string TPersistent::GetNamePath() const
{
    std::string result = ClassName();
    if (const TPersistent* owner = GetOwner()) {
        const std::string ownerPath = owner->GetNamePath();
        if (!ownerPath.empty())
            result = ownerPath + "." + result;
    }
    return result;
}

void TPersistent::DefineProperties(TFiler&) {}

} // namespace classlib
