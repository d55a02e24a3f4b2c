#include "OcAppStorage.h"

#include "BcMime.h"
#include "BcPlatformText.h"
#include "BcRTTI.h"
#include "OcControlUtils.h"

#include "core/SysUtils.h"

#include <cmath>
#include <cstring>

namespace storage {

using namespace classlib;

// ---- paths ------------------------------------------------------------------------------------

namespace {

std::string JoinPathRange(const std::string_view* first, const std::string_view* last)
{
    const std::string_view* start = first;
    for (const std::string_view* e = last; e-- > first + 1;)
        if (!e->empty() && e->front() == '\\') {
            start = e;
            break;
        }
    std::vector<std::string_view> segments;
    for (const std::string_view* e = start; e != last; ++e) {
        size_t pos = 0;
        while (pos <= e->size()) {
            size_t end = e->find('\\', pos);
            if (end == std::string_view::npos)
                end = e->size();
            const std::string_view seg = e->substr(pos, end - pos);
            pos = end + 1;
            if (seg.empty() || seg == ".")
                continue;
            if (seg.size() >= 2 && seg.find_first_not_of('.') == std::string_view::npos) {
                // n dots climb n-1 levels; with nothing written yet they are ignored.
                size_t up = seg.size() - 1;
                segments.resize(segments.size() > up ? segments.size() - up : 0);
                continue;
            }
            segments.push_back(seg);
        }
    }
    std::string result;
    for (size_t i = 0; i < segments.size(); ++i) {
        if (i)
            result += '\\';
        result += segments[i];
    }
    return result;
}

bool IsBooleanType(const TTypeInfo* info)
{
    const TTypeInfo* base = info->BaseType ? info->BaseType : info;
    return base == TypeInfoOf<bool>() || base->MinValue < 0;
}

bool IsDateTimeType(const TTypeInfo* info)
{
    return info && SameText(info->Name, "TDateTime");
}

// Ordinals as the type keeps them: unsigned 32-bit types read back from a signed integer.
int64_t OrdinalOfType(const TTypeInfo* info, int64_t value)
{
    if (info->OrdType == otULong)
        return static_cast<uint32_t>(value);
    return value;
}

bool InTypeRange(const TTypeInfo* info, int64_t value)
{
    return value >= info->MinValue && value <= info->MaxValue;
}

} // namespace

std::string JoinStoragePaths(std::initializer_list<std::string_view> elements)
{
    return JoinPathRange(elements.begin(), elements.end());
}

std::string JoinStoragePaths(const std::vector<std::string>& elements)
{
    std::vector<std::string_view> views(elements.begin(), elements.end());
    return JoinPathRange(views.data(), views.data() + views.size());
}

// ---- options ----------------------------------------------------------------------------------

TOcCustomAppStorageOptions::TOcCustomAppStorageOptions() = default;

std::string TOcCustomAppStorageOptions::FirstWord(std::string_view list)
{
    const size_t comma = list.find(',');
    return Trim(comma == std::string_view::npos ? list : list.substr(0, comma));
}

void TOcCustomAppStorageOptions::SetBooleanAsString(bool value)
{
    booleanAsString_ = value && !TrueWord().empty() && !FalseWord().empty();
}

void TOcCustomAppStorageOptions::SetBooleanStringTrueValues(const std::string& value)
{
    trueValues_ = value;
    booleanAsString_ = booleanAsString_ && !TrueWord().empty();
}

void TOcCustomAppStorageOptions::SetBooleanStringFalseValues(const std::string& value)
{
    falseValues_ = value;
    booleanAsString_ = booleanAsString_ && !FalseWord().empty();
}

bool TOcCustomAppStorageOptions::ValueInList(std::string_view value, std::string_view list) const
{
    TStringList items;
    items.SetCommaText(list);
    for (int i = 0; i < items.Count(); ++i)
        if (SameText(items[i], value))
            return true;
    return false;
}

void TOcCustomAppStorageOptions::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TOcCustomAppStorageOptions*>(source);
    if (!other) {
        inherited::Assign(source);
        return;
    }
    SetBooleanStringTrueValues(other->trueValues_);
    SetBooleanStringFalseValues(other->falseValues_);
    SetBooleanAsString(other->booleanAsString_);
    SetEnumerationAsString(other->enumerationAsString_);
    SetTypedIntegerAsString(other->typedIntegerAsString_);
    SetSetAsString(other->setAsString_);
    SetDateTimeAsString(other->dateTimeAsString_);
    SetFloatAsString(other->floatAsString_);
    SetDefaultIfReadConvertError(other->defaultIfReadConvertError_);
    SetDefaultIfValueNotExists(other->defaultIfValueNotExists_);
    SetStringListAsSingleValue(other->stringListAsSingleValue_);
    SetUseOldItemNameFormat(other->useOldItemNameFormat_);
    SetStoreDefaultValues(other->storeDefaultValues_);
    SetUseTranslateStringEngineDateTimeFormats(other->useTranslateStringEngineDateTimeFormats_);
}

CLASSLIB_PUBLISH(TOcCustomAppStorageOptions)
{
    using C = TOcCustomAppStorageOptions;
    c.Property("BooleanStringTrueValues", &C::BooleanStringTrueValues,
               &C::SetBooleanStringTrueValues);
    c.Property("BooleanStringFalseValues", &C::BooleanStringFalseValues,
               &C::SetBooleanStringFalseValues);
    c.Property("BooleanAsString", &C::BooleanAsString, &C::SetBooleanAsString).SetDefault(true);
    c.Property("EnumerationAsString", &C::EnumerationAsString, &C::SetEnumerationAsString)
        .SetDefault(true);
    c.Property("TypedIntegerAsString", &C::TypedIntegerAsString, &C::SetTypedIntegerAsString)
        .SetDefault(true);
    c.Property("SetAsString", &C::SetAsString, &C::SetSetAsString).SetDefault(false);
    c.Property("DateTimeAsString", &C::DateTimeAsString, &C::SetDateTimeAsString).SetDefault(true);
    c.Property("FloatAsString", &C::FloatAsString, &C::SetFloatAsString).SetDefault(false);
    c.Property("DefaultIfReadConvertError", &C::DefaultIfReadConvertError,
               &C::SetDefaultIfReadConvertError)
        .SetDefault(false);
    c.Property("DefaultIfValueNotExists", &C::DefaultIfValueNotExists,
               &C::SetDefaultIfValueNotExists)
        .SetDefault(true);
    c.Property("StoreDefaultValues", &C::StoreDefaultValues, &C::SetStoreDefaultValues)
        .SetDefault(true);
    c.Property("UseOldItemNameFormat", &C::UseOldItemNameFormat, &C::SetUseOldItemNameFormat)
        .SetDefault(true);
    c.Property("UseTranslateStringEngineDateTimeFormats",
               &C::UseTranslateStringEngineDateTimeFormats,
               &C::SetUseTranslateStringEngineDateTimeFormats)
        .SetDefault(false);
}

CLASSLIB_PUBLISH(TOcAppStorageOptions) {}

// ---- sub-storages -----------------------------------------------------------------------------

TOcAppSubStorages::TOcAppSubStorages(TOcCustomAppStorage* owner)
    : TOwnedCollection(owner, TOcAppSubStorage::StaticClass()), storage_(owner)
{
}

TOcAppSubStorage* TOcAppSubStorages::MatchSubStorage(std::string_view path, int skipIndex) const
{
    TOcAppSubStorage* best = nullptr;
    for (int i = 0; i < Count(); ++i) {
        if (i == skipIndex)
            continue;
        TOcAppSubStorage* item = Items(i);
        const std::string& root = item->RootPath();
        if (root.empty() || path.size() <= root.size() || path[root.size()] != '\\' ||
            !SameText(path.substr(0, root.size()), root))
            continue;
        if (!best || root.size() > best->RootPath().size())
            best = item;
    }
    return best;
}

bool TOcAppSubStorages::IsUniqueRootPath(std::string_view path, int skipIndex) const
{
    return MatchSubStorage(std::string(path) + "\\*", skipIndex) == nullptr;
}

void TOcAppSubStorages::RemoveStorageItems(TComponent* storage)
{
    for (int i = Count() - 1; i >= 0; --i)
        if (Items(i)->AppStorage() && static_cast<TComponent*>(Items(i)->AppStorage()) == storage)
            Delete(i);
}

CLASSLIB_PUBLISH(TOcAppSubStorages) {}

TOcCustomAppStorage* TOcAppSubStorage::OwnerStorage() const
{
    auto* subs = dynamic_cast<TOcAppSubStorages*>(Collection());
    return subs ? subs->Storage() : nullptr;
}

void TOcAppSubStorage::SetRootPath(const std::string& value)
{
    const std::string normal = JoinStoragePaths({value});
    if (normal == rootPath_)
        return;
    if (auto* subs = dynamic_cast<TOcAppSubStorages*>(Collection()))
        if (!subs->IsUniqueRootPath(normal, Index()))
            throw EOCLAppStorageError(Format("'%s' is not a unique root path", {normal}));
    rootPath_ = normal;
    Changed(false);
}

namespace {
bool ReachesStorage(TOcCustomAppStorage* from, TOcCustomAppStorage* target)
{
    if (!from)
        return false;
    for (int i = 0; i < from->SubStorages()->Count(); ++i) {
        TOcCustomAppStorage* next = from->SubStorages()->Items(i)->AppStorage();
        if (next == target || ReachesStorage(next, target))
            return true;
    }
    return false;
}
} // namespace

void TOcAppSubStorage::SetAppStorage(TOcCustomAppStorage* value)
{
    TOcCustomAppStorage* owner = OwnerStorage();
    if (value && owner && (value == owner || ReachesStorage(value, owner)))
        throw EOCLAppStorageError("Circular reference of storages");
    if (value == appStorage_)
        return;
    if (appStorage_ && owner)
        appStorage_->RemoveFreeNotification(owner);
    appStorage_ = value;
    if (appStorage_ && owner)
        appStorage_->FreeNotification(owner);
    Changed(false);
}

std::string TOcAppSubStorage::DisplayName() const
{
    if (!rootPath_.empty() && appStorage_ && !appStorage_->Name().empty())
        return "\\" + rootPath_ + "=" + appStorage_->Name();
    return inherited::DisplayName();
}

CLASSLIB_PUBLISH(TOcAppSubStorage)
{
    c.Property("RootPath", &TOcAppSubStorage::RootPath, &TOcAppSubStorage::SetRootPath);
    c.Property("AppStorage", &TOcAppSubStorage::AppStorage, &TOcAppSubStorage::SetAppStorage);
}

// ---- storage: construction --------------------------------------------------------------------

TOcCustomAppStorage::TOcCustomAppStorage(TComponent* owner)
    : TComponent(owner), ownEngine_(new TOcTranslateString(nullptr))
{
    subStorages_ = new TOcAppSubStorages(this);
}

TOcCustomAppStorage::~TOcCustomAppStorage()
{
    ownEngine_->Free();
    delete subStorages_;
    delete options_;
}

void TOcCustomAppStorage::SetTranslateStringEngine(TOcTranslateString* value)
{
    TComponent* reference = engine_;
    if (RelinkComponent(this, value, reference))
        engine_ = value;
}

void TOcCustomAppStorage::BeforeDestruction()
{
    // The flush runs here, while the back end's data still exists.
    if (flushOnDestroy_ && !flushedOnDestroy_) {
        flushedOnDestroy_ = true;
        Flush();
    }
    inherited::BeforeDestruction();
}

TOcCustomAppStorageOptions* TOcCustomAppStorage::CreateOptions() const
{
    return new TOcAppStorageOptions();
}

void TOcCustomAppStorage::SetStorageOptions(TOcCustomAppStorageOptions* value)
{
    if (value && value != StorageOptions())
        StorageOptions()->Assign(value);
}

void TOcCustomAppStorage::Loaded()
{
    inherited::Loaded();
    if (updateCount_ == 0)
        RereadStorage();
}

void TOcCustomAppStorage::Notification(TComponent* component, TOperation operation)
{
    inherited::Notification(component, operation);
    // The notification comes from the component's destructor, where its own class is gone
    // already: the mounts are found by address.
    if (operation == opRemove && component != this && subStorages_)
        subStorages_->RemoveStorageItems(component);
    if (operation == opRemove && engine_ && static_cast<TComponent*>(engine_) == component)
        engine_ = nullptr;
}

CLASSLIB_PUBLISH(TOcCustomAppStorage)
{
    using C = TOcCustomAppStorage;
    c.Property("ActiveTranslateStringEngine", &C::ActiveTranslateStringEngine);
    c.Property("StorageOptions", &C::StorageOptions, &C::SetStorageOptions);
    c.Property("TranslateStringEngine", &C::TranslateStringEngine, &C::SetTranslateStringEngine);
    c.Property("OnTranslatePropertyName", &C::OnTranslatePropertyName);
    c.Property("OnEncryptPropertyValue", &C::OnEncryptPropertyValue);
    c.Property("OnDecryptPropertyValue", &C::OnDecryptPropertyValue);
    c.Property("OnError", &C::OnError);
}

// ---- helpers ----------------------------------------------------------------------------------

bool TOcCustomAppStorage::IsReadOnly() const
{
    if (ComponentState().Contains(csDesigning))
        return readOnly_;
    return readOnly_ || FileIsReadOnly();
}

std::pair<TOcCustomAppStorage*, std::string> TOcCustomAppStorage::ResolveStoragePath(
    const std::string& path)
{
    const std::string joined = JoinStoragePaths({currentPath_, path});
    if (subStorages_)
        if (TOcAppSubStorage* item = subStorages_->MatchSubStorage(joined))
            if (item->AppStorage()) {
                const std::string rest = JoinStoragePaths(
                    {std::string_view(joined).substr(item->RootPath().size() + 1)});
                if (rest.empty())
                    throw EOCLAppStorageError("Invalid path");
                return {item->AppStorage(), "\\" + rest};
            }
    return {this, "\\" + joined};
}

std::pair<std::string, std::string> TOcCustomAppStorage::SplitValuePath(
    const std::string& path) const
{
    std::string full = root_ + "\\" + JoinStoragePaths({currentPath_, path});
    const size_t start = full.find_first_not_of('\\');
    full.erase(0, start == std::string::npos ? full.size() : start);
    const size_t slash = full.rfind('\\');
    if (slash == std::string::npos)
        return {std::string(), full};
    return {full.substr(0, slash), full.substr(slash + 1)};
}

std::string TOcCustomAppStorage::EncryptValueText(const std::string& text)
{
    if (!OnEncryptPropertyValue || cryptEnabledStatus_ <= 0)
        return text;
    std::string value = text;
    OnEncryptPropertyValue(value);
    return bcl::EncodeBase64Text(value);
}

std::string TOcCustomAppStorage::DecryptValueText(const std::string& text)
{
    if (!OnDecryptPropertyValue || cryptEnabledStatus_ <= 0)
        return text;
    std::string value = bcl::DecodeBase64Text(text);
    OnDecryptPropertyValue(value);
    return value;
}

std::string TOcCustomAppStorage::MapPropertyKeyName(TObject* instance, const std::string& name,
                                                    bool reading)
{
    std::string result = name;
    if (OnTranslatePropertyName)
        OnTranslatePropertyName(this, instance, result, reading);
    return result;
}

void TOcCustomAppStorage::NotifyError(const std::string& message)
{
    if (OnError)
        OnError(this, message);
}

void TOcCustomAppStorage::ReloadIfNeeded()
{
    if (NeedsReload())
        RereadStorage();
}

void TOcCustomAppStorage::FlushIfNeeded()
{
    if (NeedsFlush())
        Flush();
}

int TOcCustomAppStorage::PublishedPropertyCount(const TObject* object)
{
    return object ? static_cast<int>(object->ClassType().Properties().size()) : 0;
}

std::string TOcCustomAppStorage::PublishedPropertyName(const TObject* object, int index)
{
    return object->ClassType().Properties().at(static_cast<size_t>(index))->Name;
}

std::string TOcCustomAppStorage::ItemName(const std::string& prefix, int index) const
{
    if (StorageOptions()->UseOldItemNameFormat())
        return prefix + IntToStr(index);
    return prefix + "[" + IntToStr(index) + "]";
}

std::string TOcCustomAppStorage::CharItemName(int code)
{
    if (code >= 33 && code <= 122)
        return std::string("Char_") + static_cast<char>(code);
    return "Char#" + IntToStr(code);
}

std::string TOcCustomAppStorage::IntItemName(int n)
{
    return "Int_" + IntToStr(n);
}

int TOcCustomAppStorage::GetListCount(const std::string& path)
{
    return LoadInteger(JoinStoragePaths({path, "Count"}), 0);
}

void TOcCustomAppStorage::PutListCount(const std::string& path, int count)
{
    StoreInteger(JoinStoragePaths({path, "Count"}), count);
}

bool TOcCustomAppStorage::HasList(const std::string& path)
{
    return HasValue(path + "\\Count");
}

// ---- public operations ------------------------------------------------------------------------

bool TOcCustomAppStorage::IsStoredFolder(const std::string& path, bool listIsFolder)
{
    auto [target, abs] = ResolveStoragePath(path);
    return target->PathIsFolder(abs, listIsFolder);
}

bool TOcCustomAppStorage::HasStoredValue(const std::string& path)
{
    auto [target, abs] = ResolveStoragePath(path);
    return target->HasValue(abs);
}

bool TOcCustomAppStorage::HasStoredList(const std::string& path)
{
    auto [target, abs] = ResolveStoragePath(path);
    return target->HasList(abs);
}

void TOcCustomAppStorage::EraseValue(const std::string& path)
{
    auto [target, abs] = ResolveStoragePath(path);
    if (!target->IsReadOnly())
        target->RemoveValue(abs);
}

void TOcCustomAppStorage::EraseSubTree(const std::string& path)
{
    auto [target, abs] = ResolveStoragePath(path);
    if (!target->IsReadOnly())
        target->RemoveFolder(abs);
}

#define STORAGE_LOAD(get, ...)                     \
    auto [target, abs] = ResolveStoragePath(path); \
    return target->get(abs, __VA_ARGS__)
#define STORAGE_STORE(put, ...)                    \
    auto [target, abs] = ResolveStoragePath(path); \
    if (!target->IsReadOnly())                     \
    target->put(abs, __VA_ARGS__)

int TOcCustomAppStorage::LoadInteger(const std::string& path, int fallback)
{
    STORAGE_LOAD(GetIntegerValue, fallback);
}
void TOcCustomAppStorage::StoreInteger(const std::string& path, int value)
{
    STORAGE_STORE(PutIntegerValue, value);
}
double TOcCustomAppStorage::LoadFloat(const std::string& path, double fallback)
{
    STORAGE_LOAD(GetFloatValue, fallback);
}
void TOcCustomAppStorage::StoreFloat(const std::string& path, double value)
{
    STORAGE_STORE(PutFloatValue, value);
}
std::string TOcCustomAppStorage::LoadString(const std::string& path, const std::string& fallback)
{
    STORAGE_LOAD(GetStringValue, fallback);
}
void TOcCustomAppStorage::StoreString(const std::string& path, const std::string& value)
{
    STORAGE_STORE(PutStringValue, value);
}
TDateTime TOcCustomAppStorage::LoadDateTime(const std::string& path, TDateTime fallback)
{
    STORAGE_LOAD(GetDateTimeValue, fallback);
}
void TOcCustomAppStorage::StoreDateTime(const std::string& path, TDateTime value)
{
    STORAGE_STORE(PutDateTimeValue, value);
}
bool TOcCustomAppStorage::LoadBoolean(const std::string& path, bool fallback)
{
    STORAGE_LOAD(GetBooleanValue, fallback);
}
void TOcCustomAppStorage::StoreBoolean(const std::string& path, bool value)
{
    STORAGE_STORE(PutBooleanValue, value);
}
void TOcCustomAppStorage::LoadEnumeration(const std::string& path, const TTypeInfo* typeInfo,
                                          int64_t& target, int64_t fallback)
{
    auto [storage, abs] = ResolveStoragePath(path);
    storage->GetEnumValue(abs, typeInfo, target, fallback);
}
void TOcCustomAppStorage::StoreEnumeration(const std::string& path, const TTypeInfo* typeInfo,
                                           int64_t value)
{
    STORAGE_STORE(PutEnumValue, typeInfo, value);
}
void TOcCustomAppStorage::LoadSet(const std::string& path, const TTypeInfo* setInfo,
                                  uint32_t& target, uint32_t fallback)
{
    auto [storage, abs] = ResolveStoragePath(path);
    storage->GetSetValue(abs, setInfo, target, fallback);
}
void TOcCustomAppStorage::StoreSet(const std::string& path, const TTypeInfo* setInfo,
                                   uint32_t value)
{
    STORAGE_STORE(PutSetValue, setInfo, value);
}
#undef STORAGE_LOAD
#undef STORAGE_STORE

WideString TOcCustomAppStorage::LoadWideString(const std::string& path, const WideString& fallback)
{
    return RawReadWideString(path, fallback);
}

void TOcCustomAppStorage::StoreWideString(const std::string& path, const WideString& value)
{
    RawWriteWideString(path, value);
}

// ---- raw layer defaults -----------------------------------------------------------------------

namespace {

std::string WideToUtf8(const WideString& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            const uint32_t low = static_cast<uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Malformed sequences decode as U+FFFD, one per offending byte.
WideString Utf8ToWide(const std::string& text)
{
    WideString out;
    size_t i = 0;
    auto put = [&](uint32_t c) {
        if (sizeof(wchar_t) == 2 && c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (c >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
    };
    while (i < text.size()) {
        const uint8_t b = static_cast<uint8_t>(text[i]);
        int extra = b < 0x80             ? 0
                    : (b & 0xE0) == 0xC0 ? 1
                    : (b & 0xF0) == 0xE0 ? 2
                    : (b & 0xF8) == 0xF0 ? 3
                                         : -1;
        if (extra < 0 || i + static_cast<size_t>(extra) >= text.size() + (extra == 0 ? 1 : 0)) {
            put(0xFFFD);
            ++i;
            continue;
        }
        uint32_t c = extra == 0 ? b : (b & (0x3F >> extra));
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const uint8_t cb = static_cast<uint8_t>(text[i + static_cast<size_t>(k)]);
            if ((cb & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (cb & 0x3F);
        }
        if (!ok || c > 0x10FFFF) {
            put(0xFFFD);
            ++i;
            continue;
        }
        put(c);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

} // namespace

WideString TOcCustomAppStorage::RawReadWideString(const std::string& path,
                                                  const WideString& fallback)
{
    return Utf8ToWide(RawReadString(path, WideToUtf8(fallback)));
}

void TOcCustomAppStorage::RawWriteWideString(const std::string& path, const WideString& value)
{
    RawWriteString(path, WideToUtf8(value));
}

TDateTime TOcCustomAppStorage::RawReadDateTime(const std::string& path, TDateTime fallback)
{
    return RawReadFloat(path, fallback);
}

void TOcCustomAppStorage::RawWriteDateTime(const std::string& path, TDateTime value)
{
    RawWriteFloat(path, value);
}

bool TOcCustomAppStorage::RawReadBoolean(const std::string& path, bool fallback)
{
    return RawReadInteger(path, fallback ? 1 : 0) != 0;
}

void TOcCustomAppStorage::RawWriteBoolean(const std::string& path, bool value)
{
    RawWriteInteger(path, value ? 1 : 0);
}

// ---- value layer ------------------------------------------------------------------------------

template <class T, class F>
T TOcCustomAppStorage::ReadWithPolicy(const std::string& path, T fallback, F read)
{
    if (!HasValue(path) && StorageOptions()->DefaultIfValueNotExists())
        return fallback;
    try {
        return read();
    } catch (const EConvertError&) {
        if (StorageOptions()->DefaultIfReadConvertError())
            return fallback;
        throw;
    }
}

int TOcCustomAppStorage::GetIntegerValue(const std::string& path, int fallback)
{
    return ReadWithPolicy(path, fallback, [&] { return RawReadInteger(path, fallback); });
}

void TOcCustomAppStorage::PutIntegerValue(const std::string& path, int value)
{
    RawWriteInteger(path, value);
}

std::string TOcCustomAppStorage::GetStringValue(const std::string& path,
                                                const std::string& fallback)
{
    return ReadWithPolicy(path, fallback, [&] {
        return DecryptValueText(RawReadString(path, EncryptValueText(fallback)));
    });
}

void TOcCustomAppStorage::PutStringValue(const std::string& path, const std::string& value)
{
    RawWriteString(path, EncryptValueText(value));
}

template <class T, class FromText, class ReadRaw>
T TOcCustomAppStorage::ReadTextOrRaw(const std::string& path, T fallback, bool asText,
                                     const std::string& fallbackText, FromText fromText,
                                     ReadRaw readRaw)
{
    return ReadWithPolicy(path, fallback, [&]() -> T {
        auto readText = [&] {
            return fromText(DecryptValueText(RawReadString(path, EncryptValueText(fallbackText))));
        };
        if (asText) {
            try {
                return readText();
            } catch (const EConvertError&) {
                return readRaw();
            }
        }
        try {
            return readRaw();
        } catch (const EConvertError&) {
            return readText();
        }
    });
}

double TOcCustomAppStorage::GetFloatValue(const std::string& path, double fallback)
{
    return ReadTextOrRaw(
        path, fallback, StorageOptions()->FloatAsString(), FloatToStr(fallback),
        [](const std::string& text) { return StrToFloat(text); },
        [&] { return RawReadFloat(path, fallback); });
}

void TOcCustomAppStorage::PutFloatValue(const std::string& path, double value)
{
    if (StorageOptions()->FloatAsString())
        RawWriteString(path, EncryptValueText(FloatToStr(value)));
    else
        RawWriteFloat(path, value);
}

TDateTime TOcCustomAppStorage::GetDateTimeValue(const std::string& path, TDateTime fallback)
{
    return ReadTextOrRaw(
        path, fallback, StorageOptions()->DateTimeAsString(), DateTimeToText(fallback),
        [this](const std::string& text) { return TextToDateTime(text); },
        [&] { return RawReadDateTime(path, fallback); });
}

void TOcCustomAppStorage::PutDateTimeValue(const std::string& path, TDateTime value)
{
    if (StorageOptions()->DateTimeAsString())
        RawWriteString(path, EncryptValueText(DateTimeToText(value)));
    else
        RawWriteDateTime(path, value);
}

int TOcCustomAppStorage::GetBinaryValue(const std::string& path, void* buffer, int size)
{
    return RawReadBinary(path, buffer, size);
}

void TOcCustomAppStorage::PutBinaryValue(const std::string& path, const void* buffer, int size)
{
    RawWriteBinary(path, buffer, size);
}

bool TOcCustomAppStorage::GetBooleanValue(const std::string& path, bool fallback)
{
    return ReadWithPolicy(path, fallback, [&] {
        TOcCustomAppStorageOptions* o = StorageOptions();
        if (!o->BooleanAsString())
            return RawReadBoolean(path, fallback);
        const std::string text = DecryptValueText(
            RawReadString(path, EncryptValueText(fallback ? o->TrueWord() : o->FalseWord())));
        if (o->ValueInList(text, o->BooleanStringTrueValues()))
            return true;
        if (o->ValueInList(text, o->BooleanStringFalseValues()))
            return false;
        return RawReadBoolean(path, fallback);
    });
}

void TOcCustomAppStorage::PutBooleanValue(const std::string& path, bool value)
{
    TOcCustomAppStorageOptions* o = StorageOptions();
    if (o->BooleanAsString())
        RawWriteString(path, EncryptValueText(value ? o->TrueWord() : o->FalseWord()));
    else
        RawWriteBoolean(path, value);
}

void TOcCustomAppStorage::GetEnumValue(const std::string& path, const TTypeInfo* typeInfo,
                                       int64_t& target, int64_t fallback)
{
    if (!HasValue(path) && StorageOptions()->DefaultIfValueNotExists()) {
        target = fallback;
        return;
    }
    try {
        switch (typeInfo->Kind) {
            case tkEnumeration:
                if (IsBooleanType(typeInfo)) {
                    target = GetBooleanValue(path, fallback != 0) ? 1 : 0;
                    return;
                }
                {
                    // A sentinel default that no identifier can equal.
                    const std::string text = GetStringValue(path, "\x01");
                    const int byName = classlib::GetEnumValue(typeInfo, text);
                    if (byName >= 0 && InTypeRange(typeInfo, byName)) {
                        target = byName;
                        return;
                    }
                    const int number = GetIntegerValue(path, -1);
                    // An ordinal outside the type (a damaged or foreign file) keeps the default.
                    target = (number == -1 || !InTypeRange(typeInfo, number)) ? fallback : number;
                }
                return;
            case tkInteger:
            case tkChar:
            case tkWChar: {
                // A type with an identifier mapping (a colour, say) may be stored by its
                // identifier.
                const std::string text = TextOfIdentifierRead(path);
                int64_t byIdent = 0;
                if (!text.empty() && classlib::FindIdentToInt(typeInfo, text, byIdent)) {
                    target = byIdent;
                    return;
                }
                const int64_t value =
                    OrdinalOfType(typeInfo, GetIntegerValue(path, static_cast<int>(target)));
                target = InTypeRange(typeInfo, value) ? value : fallback;
                return;
            }
            default:
                throw EOCLAppStorageError("Invalid type");
        }
    } catch (const EConvertError&) {
        if (!StorageOptions()->DefaultIfReadConvertError())
            throw;
        target = fallback;
    }
}

void TOcCustomAppStorage::PutEnumValue(const std::string& path, const TTypeInfo* typeInfo,
                                       int64_t value)
{
    switch (typeInfo->Kind) {
        case tkEnumeration:
            if (IsBooleanType(typeInfo))
                PutBooleanValue(path, value != 0);
            else if (StorageOptions()->EnumerationAsString() && InTypeRange(typeInfo, value))
                PutStringValue(path, GetEnumName(typeInfo, value));
            else
                PutIntegerValue(path, static_cast<int>(value));
            return;
        case tkInteger:
        case tkChar:
        case tkWChar: {
            std::string ident;
            if (StorageOptions()->TypedIntegerAsString() &&
                classlib::FindIntToIdent(typeInfo, value, ident))
                PutStringValue(path, ident);
            else
                PutIntegerValue(path, static_cast<int>(value));
            return;
        }
        default:
            throw EOCLAppStorageError("Invalid type");
    }
}

std::string TOcCustomAppStorage::TextOfIdentifierRead(const std::string& path)
{
    // Read with DefaultIfReadConvertError on, whatever the options say: a text that is no
    // identifier is read again as a number, where a conversion error counts.
    TOcCustomAppStorageOptions* o = StorageOptions();
    const bool saved = o->DefaultIfReadConvertError();
    o->SetDefaultIfReadConvertError(true);
    try {
        std::string text = GetStringValue(path, "");
        o->SetDefaultIfReadConvertError(saved);
        return text;
    } catch (...) {
        o->SetDefaultIfReadConvertError(saved);
        throw;
    }
}

namespace {

// The value name of one possible element of a set below its folder.
std::string SetElementName(const TTypeInfo* element, int64_t ordinal)
{
    switch (element->Kind) {
        case tkInteger:
            return TOcCustomAppStorage::IntItemName(static_cast<int>(ordinal));
        case tkChar:
            return TOcCustomAppStorage::CharItemName(static_cast<int>(ordinal));
        case tkEnumeration:
            return GetEnumName(element, ordinal);
        default:
            throw EOCLAppStorageError("Unknown base type for given set");
    }
}

} // namespace

void TOcCustomAppStorage::PutSetValue(const std::string& path, const TTypeInfo* setInfo,
                                      uint32_t value)
{
    if (StorageOptions()->SetAsString()) {
        const std::vector<uint8_t> storage = bcl::SetStorageFromBits(setInfo, value);
        PutStringValue(path, bcl::SetToText(setInfo, storage.data(), true));
        return;
    }
    const TTypeInfo* element = setInfo->CompType;
    if (!element)
        throw EOCLAppStorageError("Unknown base type for given set");
    for (int64_t e = element->MinValue; e <= element->MaxValue; ++e) {
        const std::string name = SetElementName(element, e);
        const bool member = e >= 0 && e < 32 && (value & (uint32_t{1} << e)) != 0;
        StoreBoolean(JoinStoragePaths({path, name}), member);
    }
}

void TOcCustomAppStorage::GetSetValue(const std::string& path, const TTypeInfo* setInfo,
                                      uint32_t& target, uint32_t fallback)
{
    const TTypeInfo* element = setInfo->CompType;
    if (IsStoredFolder(path, true)) {
        if (!element)
            throw EOCLAppStorageError("Unknown base type for given set");
        uint32_t result = 0;
        for (int64_t e = element->MinValue; e <= element->MaxValue && e < 32; ++e)
            if (e >= 0 && LoadBoolean(JoinStoragePaths({path, SetElementName(element, e)}), false))
                result |= uint32_t{1} << e;
        target = result;
        return;
    }
    const std::vector<uint8_t> def = bcl::SetStorageFromBits(setInfo, fallback);
    const std::string text = GetStringValue(path, bcl::SetToText(setInfo, def.data(), true));
    try {
        std::vector<uint8_t> storage(def.size(), 0);
        bcl::TextToSet(setInfo, storage.data(), text);
        target = bcl::SetBitsFromStorage(setInfo, storage.data());
    } catch (const EConvertError&) {
        if (!StorageOptions()->DefaultIfReadConvertError())
            throw;
        target = fallback;
    } catch (const Exception& e) {
        // An unknown element name is a conversion problem of the stored text.
        if (!StorageOptions()->DefaultIfReadConvertError())
            throw EConvertError(e.Message());
        target = fallback;
    }
}

// ---- date-time text -----------------------------------------------------------------------------

const TFormatSettings& TOcCustomAppStorage::DateTimeFormatSettings()
{
    if (updateCount_ == 0)
        cachedFormatSettings_ = bcl::SystemDefaultFormatSettings();
    const TOcTranslateString* engine = ActiveTranslateStringEngine();
    if (!engine->DateFormat.empty())
        cachedFormatSettings_.ShortDateFormat = cachedFormatSettings_.LongDateFormat =
            engine->DateFormat;
    if (!engine->TimeFormat.empty())
        cachedFormatSettings_.ShortTimeFormat = cachedFormatSettings_.LongTimeFormat =
            engine->TimeFormat;
    return cachedFormatSettings_;
}

std::string TOcCustomAppStorage::DateTimeToText(TDateTime value)
{
    // Beyond the calendar's years 1 to 9999 there is no date to write.
    if (!std::isfinite(value) || value < -693593.0 || value >= 2958466.0)
        throw EConvertError("Invalid argument to date encode");
    const bool engineFormats = StorageOptions()->UseTranslateStringEngineDateTimeFormats();
    return FormatDateTime("", value, engineFormats ? DateTimeFormatSettings() : FormatSettings);
}

TDateTime TOcCustomAppStorage::TextToDateTime(const std::string& text)
{
    if (StorageOptions()->UseTranslateStringEngineDateTimeFormats()) {
        try {
            return StrToDateTime(text, DateTimeFormatSettings());
        } catch (const EConvertError&) {
            // Written in the program's formats (before the option was set): read those.
        }
    }
    return StrToDateTime(text, FormatSettings);
}

// ---- structured values ------------------------------------------------------------------------

template <class SelfStoring, class Property>
void TOcCustomAppStorage::WalkObjectProperties(const std::string& path, TObject* object,
                                               const TStrings* ignore, bool reading,
                                               SelfStoring selfStoring, Property property)
{
    if (!object)
        return;
    void* self = nullptr;
    const bool storesItself = object->GetInterface(ISelfStoringObject::IID, &self);
    if (storesItself)
        selfStoring(*static_cast<ISelfStoringObject*>(self));
    void* also = nullptr;
    if (storesItself && !object->GetInterface(IStoreAlsoPublished::IID, &also))
        return;
    for (int i = 0; i < PublishedPropertyCount(object); ++i) {
        const std::string name = PublishedPropertyName(object, i);
        const std::string key = MapPropertyKeyName(object, name, reading);
        if (ignore && ignore->IndexOf(name) >= 0)
            continue;
        property(JoinStoragePaths({path, key}), name);
    }
}

void TOcCustomAppStorage::StoreObjectProperties(const std::string& path, TObject* object,
                                                const TStrings* ignore, bool recursive)
{
    WalkObjectProperties(
        path, object, ignore, false,
        [&](ISelfStoringObject& self) { self.WriteToAppStorage(*this, path); },
        [&](const std::string& propertyPath, const std::string& name) {
            StorePropertyValue(propertyPath, object, recursive, name);
        });
}

void TOcCustomAppStorage::LoadObjectProperties(const std::string& path, TObject* object,
                                               const TStrings* ignore, bool clearFirst,
                                               bool recursive)
{
    WalkObjectProperties(
        path, object, ignore, true,
        [&](ISelfStoringObject& self) { self.ReadFromAppStorage(*this, path); },
        [&](const std::string& propertyPath, const std::string& name) {
            LoadPropertyValue(propertyPath, object, clearFirst, recursive, name);
        });
}

void TOcCustomAppStorage::WriteItemList(const std::string& path, TObject* object,
                                        const std::string& itemName, int count,
                                        const TItemWriter& writeItem,
                                        const TItemDeleter& deleteItems)
{
    if (ResolveStoragePath(JoinStoragePaths({path, "*"})).first->IsReadOnly())
        return;
    const int old = GetListCount(path);
    for (int i = 0; i < count; ++i)
        writeItem(*this, path, object, i, itemName);
    if (count < old && deleteItems)
        deleteItems(*this, path, object, count, old - 1, itemName);
    PutListCount(path, count);
}

int TOcCustomAppStorage::ReadItemList(const std::string& path, TObject* object,
                                      const std::string& itemName, const TItemReader& readItem)
{
    const int count = GetListCount(path);
    for (int i = 0; i < count; ++i)
        readItem(*this, path, object, i, itemName);
    return count < 0 ? 0 : count;
}

namespace {

std::string ItemKey(TOcCustomAppStorage& s, const std::string& path, const std::string& itemName,
                    int index)
{
    return JoinStoragePaths({path, s.ItemName(itemName, index)});
}

void EraseItems(TOcCustomAppStorage& s, const std::string& path, TObject*, int first, int last,
                const std::string& itemName)
{
    for (int i = first; i <= last; ++i)
        s.EraseValue(ItemKey(s, path, itemName, i));
}

} // namespace

void TOcCustomAppStorage::StoreStringList(const std::string& path, TStrings* list,
                                          const std::string& itemName)
{
    if (StorageOptions()->StringListAsSingleValue()) {
        if (HasStoredList(path))
            EraseSubTree(path);
        std::string text;
        for (int i = 0; i < list->Count(); ++i)
            text += (i ? "\r\n" : "") + list->Strings(i);
        StoreString(path, text);
        return;
    }
    WriteItemList(
        path, list, itemName, list->Count(),
        [](TOcCustomAppStorage& s, const std::string& p, TObject* o, int i, const std::string& n) {
            s.StoreString(ItemKey(s, p, n, i), static_cast<TStrings*>(o)->Strings(i));
        },
        EraseItems);
    StoreObjectProperties(path, list, nullptr, true);
}

int TOcCustomAppStorage::LoadStringList(const std::string& path, TStrings* list,
                                        const std::string& itemName, bool clearFirst)
{
    if (clearFirst)
        list->Clear();
    if (HasStoredList(path)) {
        list->BeginUpdate();
        try {
            LoadObjectProperties(path, list, nullptr, false, true);
            const int count = ReadItemList(path, list, itemName,
                                           [](TOcCustomAppStorage& s, const std::string& p,
                                              TObject* o, int i, const std::string& n) {
                                               static_cast<TStrings*>(o)->Add(s.LoadString(
                                                   ItemKey(s, p, n, i), std::string()));
                                           });
            list->EndUpdate();
            return count;
        } catch (...) {
            list->EndUpdate();
            throw;
        }
    }
    if (HasStoredValue(path))
        list->SetText(LoadString(path, std::string()));
    return list->Count();
}

void TOcCustomAppStorage::StoreCollection(const std::string& path, TCollection* collection,
                                          const std::string& itemName)
{
    WriteItemList(
        path, collection, itemName, collection->Count(),
        [](TOcCustomAppStorage& s, const std::string& p, TObject* o, int i, const std::string& n) {
            auto* c = static_cast<TCollection*>(o);
            if (i < c->Count())
                s.StoreObjectProperties(ItemKey(s, p, n, i), c->Items(i), nullptr, true);
        },
        EraseItems);
    StoreObjectProperties(path, collection, nullptr, true);
}

int TOcCustomAppStorage::LoadCollection(const std::string& path, TCollection* collection,
                                        const std::string& itemName, bool clearFirst)
{
    if (!HasStoredList(path) && StorageOptions()->DefaultIfValueNotExists())
        return collection->Count();
    collection->BeginUpdate();
    try {
        if (clearFirst)
            collection->Clear();
        LoadObjectProperties(path, collection, nullptr, false, true);
        const int count =
            ReadItemList(path, collection, itemName,
                         [](TOcCustomAppStorage& s, const std::string& p, TObject* o, int i,
                            const std::string& n) {
                             TCollectionItem* item = static_cast<TCollection*>(o)->Add();
                             s.LoadObjectProperties(ItemKey(s, p, n, i), item, nullptr, true, true);
                         });
        collection->EndUpdate();
        return count;
    } catch (...) {
        collection->EndUpdate();
        throw;
    }
}

// ---- single properties ------------------------------------------------------------------------

namespace {

// Objects a class-typed property leads into. A reference to a free-standing component is
// not followed: components refer to each other in cycles, and each stores itself.
TOcAppStoragePropertyEngine* FindPropertyEngine(TObject* instance, TObject* object)
{
    TOcAppStoragePropertyEngineList* engines = RegisteredAppStoragePropertyEngineList();
    return engines ? engines->FindEngine(instance, object) : nullptr;
}

bool FollowsObject(TObject* object)
{
    if (auto* component = dynamic_cast<TComponent*>(object))
        return component->ComponentStyle().Contains(csSubComponent);
    return dynamic_cast<TPersistent*>(object) != nullptr;
}

} // namespace

void TOcCustomAppStorage::StorePropertyValue(const std::string& path, TObject* instance,
                                             bool recursive, const std::string& name)
{
    if (!instance)
        return;
    const TPropInfo* prop = GetPropInfo(instance, name);
    if (!prop || !prop->PropType)
        return;
    const bool storeDefaults = StorageOptions()->StoreDefaultValues();
    if (!storeDefaults && !(prop->HasWriter() && IsStoredProp(instance, *prop)))
        return;
    const TTypeInfo* type = prop->PropType;
    switch (type->Kind) {
        case tkInteger:
        case tkChar:
        case tkWChar:
        case tkEnumeration: {
            const int64_t value = GetOrdProp(instance, *prop);
            if (!storeDefaults && prop->Default != NoDefault && value == prop->Default)
                return;
            if (type->Kind == tkEnumeration || StorageOptions()->TypedIntegerAsString())
                StoreEnumeration(path, type, value);
            else
                StoreInteger(path, static_cast<int>(value));
            return;
        }
        case tkFloat: {
            const double value = GetFloatProp(instance, *prop);
            if (!storeDefaults && value == 0)
                return;
            if (IsDateTimeType(type))
                StoreDateTime(path, value);
            else
                StoreFloat(path, value);
            return;
        }
        case tkString:
        case tkLString: {
            const std::string value = GetStrProp(instance, *prop);
            if (!storeDefaults && value.empty())
                return;
            StoreString(path, value);
            return;
        }
        case tkWString: {
            const WideString value = GetWideStrProp(instance, *prop);
            if (!storeDefaults && value.empty())
                return;
            StoreWideString(path, value);
            return;
        }
        case tkSet: {
            const int64_t value = GetOrdProp(instance, *prop);
            if (!storeDefaults && prop->Default != NoDefault && value == prop->Default)
                return;
            StoreSet(path, type, static_cast<uint32_t>(value));
            return;
        }
        case tkInt64: {
            const int64_t value = GetOrdProp(instance, *prop);
            if (!storeDefaults && value == 0)
                return;
            StoreString(path, IntToStr(value));
            return;
        }
        case tkClass: {
            TObject* object = GetObjectProp(instance, *prop);
            if (TOcAppStoragePropertyEngine* engine =
                    recursive ? FindPropertyEngine(instance, object) : nullptr)
                engine->WriteProperty(*this, path, instance, recursive, object);
            else if (auto* list = dynamic_cast<TStrings*>(object))
                StoreStringList(path, list, "Item");
            else if (recursive && object && FollowsObject(object)) {
                if (auto* collection = dynamic_cast<TCollection*>(object))
                    StoreCollection(path, collection, "Item");
                else
                    StoreObjectProperties(path, object, nullptr, recursive);
            }
            return;
        }
        default:
            return;
    }
}

void TOcCustomAppStorage::LoadPropertyValue(const std::string& path, TObject* instance,
                                            bool clearFirst, bool recursive,
                                            const std::string& name)
{
    if (!instance)
        return;
    const TPropInfo* prop = GetPropInfo(instance, name);
    if (!prop || !prop->PropType)
        return;
    const TTypeInfo* type = prop->PropType;
    switch (type->Kind) {
        case tkInteger:
        case tkChar:
        case tkWChar:
        case tkEnumeration: {
            if (!prop->SetOrd)
                return;
            const int64_t current = GetOrdProp(instance, *prop);
            int64_t value = current;
            LoadEnumeration(path, type, value, current);
            if (value != current)
                SetOrdProp(instance, *prop, value);
            return;
        }
        case tkFloat: {
            if (!prop->SetFloat)
                return;
            const double current = GetFloatProp(instance, *prop);
            SetFloatProp(
                instance, *prop,
                IsDateTimeType(type) ? LoadDateTime(path, current) : LoadFloat(path, current));
            return;
        }
        case tkString:
        case tkLString:
            if (prop->SetStr)
                SetStrProp(instance, *prop, LoadString(path, GetStrProp(instance, *prop)));
            return;
        case tkWString:
            if (prop->SetWideStr)
                SetWideStrProp(instance, *prop,
                               LoadWideString(path, GetWideStrProp(instance, *prop)));
            return;
        case tkSet: {
            if (!prop->SetOrd)
                return;
            const uint32_t current = static_cast<uint32_t>(GetOrdProp(instance, *prop));
            uint32_t value = current;
            LoadSet(path, type, value, current);
            SetOrdProp(instance, *prop, value);
            return;
        }
        case tkInt64: {
            if (!prop->SetOrd)
                return;
            const int64_t current = GetOrdProp(instance, *prop);
            SetOrdProp(instance, *prop, StrToInt64(LoadString(path, IntToStr(current))));
            return;
        }
        case tkClass: {
            TObject* object = GetObjectProp(instance, *prop);
            if (TOcAppStoragePropertyEngine* engine =
                    recursive ? FindPropertyEngine(instance, object) : nullptr)
                engine->ReadProperty(*this, path, instance, clearFirst, recursive, object);
            else if (auto* list = dynamic_cast<TStrings*>(object))
                LoadStringList(path, list, "Item", clearFirst);
            else if (recursive && object && FollowsObject(object)) {
                if (auto* collection = dynamic_cast<TCollection*>(object))
                    LoadCollection(path, collection, "Item", clearFirst);
                else
                    LoadObjectProperties(path, object, nullptr, clearFirst, recursive);
            }
            return;
        }
        default:
            return;
    }
}

// ---- property engines -------------------------------------------------------------------------

TOcAppStoragePropertyEngineList::~TOcAppStoragePropertyEngineList()
{
    for (auto engine = engines_.rbegin(); engine != engines_.rend(); ++engine)
        delete *engine;
}

TOcAppStoragePropertyEngine* TOcAppStoragePropertyEngineList::FindEngine(
    TObject* instance, TObject* propertyObject) const
{
    for (TOcAppStoragePropertyEngine* engine : engines_)
        if (engine->Supports(instance, propertyObject))
            return engine;
    return nullptr;
}

namespace {
// Lives until the module's static objects are destroyed; not re-created afterwards.
struct PropertyEngineRegistry {
    TOcAppStoragePropertyEngineList* list = nullptr;
    bool shutDown = false;
    ~PropertyEngineRegistry()
    {
        delete list;
        list = nullptr;
        shutDown = true;
    }
};
PropertyEngineRegistry propertyEngineRegistry;
} // namespace

TOcAppStoragePropertyEngineList* RegisteredAppStoragePropertyEngineList()
{
    if (!propertyEngineRegistry.list && !propertyEngineRegistry.shutDown)
        propertyEngineRegistry.list = new TOcAppStoragePropertyEngineList();
    return propertyEngineRegistry.list;
}

CLASSLIB_PUBLISH(TOcAppStoragePropertyEngine) {}

// ---- 80-bit extended values ---------------------------------------------------------------------

void DoubleToExtendedBytes(double value, uint8_t (&bytes)[10])
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const uint16_t sign = static_cast<uint16_t>((bits >> 63) << 15);
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    uint16_t e80 = 0;
    uint64_t mantissa = 0;
    if (exponent == 0x7FF) { // infinity and NaN
        e80 = 0x7FFF;
        mantissa = (uint64_t{1} << 63) | (fraction << 11);
    } else if (exponent != 0) {
        e80 = static_cast<uint16_t>(exponent - 1023 + 16383);
        mantissa = (uint64_t{1} << 63) | (fraction << 11);
    } else if (fraction != 0) { // subnormal double: normal in the wider format
        int shift = 0;
        while (!(fraction & (uint64_t{1} << 52))) {
            fraction <<= 1;
            ++shift;
        }
        e80 = static_cast<uint16_t>(1 - 1023 - shift + 16383);
        mantissa = fraction << 11;
    }
    e80 |= sign;
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<uint8_t>(mantissa >> (8 * i));
    bytes[8] = static_cast<uint8_t>(e80);
    bytes[9] = static_cast<uint8_t>(e80 >> 8);
}

double ExtendedBytesToDouble(const uint8_t (&bytes)[10])
{
    uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i)
        mantissa |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    const int e80 = bytes[8] | ((bytes[9] & 0x7F) << 8);
    const bool negative = bytes[9] & 0x80;
    double value;
    if (e80 == 0x7FFF)
        value = (mantissa << 1) ? std::nan("") : HUGE_VAL;
    else if (mantissa == 0)
        value = 0.0;
    else
        value = std::ldexp(static_cast<double>(mantissa), e80 - 16383 - 63);
    return negative ? -value : value;
}

} // namespace storage
