#include "QorSettings.h"

#include "ExceptionPathSystem.h"
#include "QorStrings.h"

#include <mutex>

namespace qor {

namespace {

std::mutex librarySettingsGuard;
IQEModuleSettings librarySettings;

// The zero-terminated text at `address` in this process, as far as it can be read.
std::string ReadTextAt(const char* address)
{
    std::string text;
    for (size_t i = 0; i < 4096; ++i) {
        char c = 0;
        SIZE_T read = 0;
        if (!ReadProcessMemory(GetCurrentProcess(), address + i, &c, 1, &read) || read != 1)
            return {};
        if (c == 0)
            return text;
        text += c;
    }
    return text;
}

IQEModuleSettings NewSettings(HMODULE module)
{
    return std::make_shared<TIQESettings>(module, true);
}

bool SaysNoSettings(const IQEModuleSettings& settings)
{
    return settings->BoolProp("NoSettings");
}

bool IsUsable(const IQEModuleSettings& settings)
{
    return settings && settings->HasSettings() && !SaysNoSettings(settings);
}

} // namespace

TIQESettings::TIQESettings(HMODULE module, bool readResource)
{
    if (!readResource)
        return;
    record_ = AcquireModuleSettings(module);
    hasSettings_ = record_ != nullptr;
    if (!hasSettings_)
        return;
    module_ = module;
    if (const uint32_t offset = DwordProp("VersionVar"))
        versionText_ = ReadTextAt(reinterpret_cast<const char*>(module) + offset);
}

TIQESettings::~TIQESettings()
{
    // The lists may outlive these settings in their holders' hands.
    if (additionalFields_)
        additionalFields_->DetachSettings();
    if (additionalAttachments_)
        additionalAttachments_->DetachSettings();
    if (record_ != nullptr)
        ReleaseModuleSettings(record_);
}

bool TIQESettings::IsEnginesOwn() const
{
    const IQEModuleSettings library = LibrarySettings();
    return !library || library->ModuleHandle() == module_;
}

const SettingsProperty* TIQESettings::LookupProperty(std::string_view key, bool allowDefault,
                                                     uint8_t kind, bool addWhenMissing)
{
    if (record_ != nullptr) {
        int32_t i = IndexOfProperty(record_->Count, record_->Table, key);
        if (i < 0 && addWhenMissing)
            i = AppendProperty(record_->Capacity, record_->Count, record_->Table, key, kind, false,
                               0, {});
        if (i >= 0)
            return &record_->Table[i];
    }
    return allowDefault ? DefaultSetting(key) : nullptr;
}

bool TIQESettings::ReadEntry(std::string_view key, SettingsProperty& value, std::string& text)
{
    // Under the lock: another thread's set operation may replace the text meanwhile.
    SettingsLock lock;
    const SettingsProperty* entry = LookupProperty(key, IsEnginesOwn(), SettingsText, false);
    if (entry == nullptr)
        return false;
    value = *entry;
    text = entry->Text != nullptr ? entry->Text : "";
    value.Key = nullptr;
    value.Text = nullptr;
    return true;
}

bool TIQESettings::BoolProp(std::string_view key)
{
    SettingsProperty value{};
    std::string text;
    if (ReadEntry(key, value, text))
        return value.Boolean != 0;
    return !IsEnginesOwn() && LibrarySettings()->BoolProp(key);
}

int32_t TIQESettings::IntProp(std::string_view key)
{
    SettingsProperty value{};
    std::string text;
    if (ReadEntry(key, value, text))
        return value.Integer;
    return IsEnginesOwn() ? 0 : LibrarySettings()->IntProp(key);
}

uint32_t TIQESettings::DwordProp(std::string_view key)
{
    return static_cast<uint32_t>(IntProp(key));
}

void TIQESettings::StrProp(std::string_view key, std::string& text)
{
    SettingsProperty value{};
    if (ReadEntry(key, value, text)) {
        // The exception's placeholders stay until a report fills them.
        text = ExpandPlaceholders(module_, text, "%exceptClass%", "%exceptMsg%", "%bugReport%");
        return;
    }
    text.clear();
    if (!IsEnginesOwn())
        LibrarySettings()->StrProp(key, text);
}

std::string TIQESettings::StrProp(std::string_view key)
{
    std::string text;
    StrProp(key, text);
    return text;
}

bool TIQESettings::Store(std::string_view key, uint8_t kind, bool boolean, int32_t integer,
                         std::string_view text)
{
    if (!hasSettings_)
        return false;
    SettingsLock lock;
    // Without defaults the entry is always one of the record's own, which may be changed.
    auto* entry = const_cast<SettingsProperty*>(LookupProperty(key, false, kind, true));
    if (entry == nullptr || entry->Kind != kind)
        return false;
    switch (kind) {
        case SettingsBoolean:
            entry->Boolean = boolean ? 1 : 0;
            break;
        case SettingsInteger:
            entry->Integer = integer;
            break;
        default: {
            const char* old = entry->Text;
            char* copy = nullptr;
            if (!text.empty()) {
                copy = static_cast<char*>(SettingsAlloc(text.size() + 1));
                text.copy(copy, text.size());
            }
            entry->Text = copy;
            SettingsFree(old);
        }
    }
    return true;
}

bool TIQESettings::SetBoolProp(std::string_view key, bool value)
{
    return Store(key, SettingsBoolean, value, 0, {});
}

bool TIQESettings::SetIntProp(std::string_view key, int32_t value)
{
    return Store(key, SettingsInteger, false, value, {});
}

bool TIQESettings::SetStrProp(std::string_view key, std::string_view value)
{
    return Store(key, SettingsText, false, 0, value);
}

bool TIQESettings::SetDwordProp(std::string_view key, uint32_t value)
{
    return Store(key, SettingsInteger, false, static_cast<int32_t>(value), {});
}

bool TIQESettings::PluginEnabled(std::string_view name)
{
    return ListHasText(StrProp("Plugins"), name, '|');
}

void TIQESettings::SetPluginEnabled(std::string_view name, bool on)
{
    if (on == PluginEnabled(name))
        return;
    const std::string plugins = StrProp("Plugins");
    std::string text;
    if (on) {
        text = plugins.empty() ? std::string(name) : plugins + "|" + std::string(name);
    } else {
        // Rescanning from the inserted bar removes adjacent repetitions too.
        text = "|" + plugins + "|";
        SubstText(text, "|" + std::string(name) + "|", "|", true);
        text = text.size() <= 2 ? std::string() : text.substr(1, text.size() - 2);
    }
    SetStrProp("Plugins", text);
}

void TIQESettings::Refresh()
{
    if (record_ != nullptr)
        ReloadModuleProperties(module_, *record_);
}

IQEFields TIQESettings::AdditionalFields()
{
    if (!additionalFields_) {
        IQEFields fields = CreateFields();
        fields->EnableWriting();
        const std::string text = StrProp("AddFields");
        for (int i = 1; i <= ListItemCount(text, '|'); ++i) {
            const std::string item = ListItem(text, i, '|');
            fields->SetValue(ListItem(item, 1, '='), ListItem(item, 2, '='));
        }
        fields->AttachSettings([this](const std::string& form) { SetStrProp("AddFields", form); });
        additionalFields_ = fields;
    }
    return additionalFields_;
}

IQEAttachments TIQESettings::AdditionalAttachments()
{
    if (!additionalAttachments_) {
        IQEAttachments attachments = CreateAttachments();
        const std::string text = StrProp("AddAttachs");
        for (int i = 1; i <= ListItemCount(text, '|'); ++i) {
            const std::string item = ListItem(text, i, '|');
            attachments->Append(ListItem(item, 1, '>'), ListItem(item, 2, '>'),
                                ListItem(item, 3, '>'), ListItem(item, 4, '>'));
        }
        attachments->AttachSettings(
            [this](const std::string& form) { SetStrProp("AddAttachs", form); });
        additionalAttachments_ = attachments;
    }
    return additionalAttachments_;
}

IQEModuleSettings LibrarySettings()
{
    std::lock_guard<std::mutex> lock(librarySettingsGuard);
    return librarySettings;
}

void SetLibrarySettings(IQEModuleSettings settings)
{
    std::lock_guard<std::mutex> lock(librarySettingsGuard);
    librarySettings = std::move(settings);
}

HMODULE EngineModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&EngineModule), &module);
    return module;
}

IQEModuleSettings FindSettingsModule()
{
    IQEModuleSettings found;
    if (FindSettingsResource(EngineModule()) != nullptr)
        found = NewSettings(EngineModule());
    if (!found || SaysNoSettings(found)) {
        const HMODULE ide = GetModuleHandleA("qorExceptIde_.bpl");
        if (ide != nullptr && FindSettingsResource(ide) != nullptr)
            found = NewSettings(ide);
    }
    // The first region of every allocation in the address space that carries the resource.
    const char* address = nullptr;
    const void* previousBase = nullptr;
    MEMORY_BASIC_INFORMATION region;
    while ((!found || SaysNoSettings(found)) &&
           VirtualQuery(address, &region, sizeof(region)) == sizeof(region)) {
        if (region.State == MEM_COMMIT && region.BaseAddress == region.AllocationBase &&
            region.AllocationBase != previousBase &&
            FindSettingsResource(static_cast<HMODULE>(region.AllocationBase)) != nullptr) {
            IQEModuleSettings candidate = NewSettings(static_cast<HMODULE>(region.AllocationBase));
            if (!found || !SaysNoSettings(candidate))
                found = candidate;
        }
        previousBase = region.AllocationBase;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    return found;
}

IQEModuleSettings ModuleSettings(HMODULE module)
{
    IQEModuleSettings own = NewSettings(module);
    // The engine is linked statically, never loaded as a run-time package: a module without
    // settings keeps its own (empty) ones.
    if (!own->HasSettings() || !SaysNoSettings(own))
        return own;
    IQEModuleSettings fallback = FindSettingsModule();
    return IsUsable(fallback) ? fallback : own;
}

IQEModuleSettings ModuleSettingsOfAddress(const void* codeAddress)
{
    IQEModuleSettings result;
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQuery(codeAddress, &region, sizeof(region)) == sizeof(region) &&
        region.State == MEM_COMMIT && region.AllocationBase != nullptr &&
        region.AllocationBase != EngineModule() &&
        FindSettingsResource(static_cast<HMODULE>(region.AllocationBase)) != nullptr)
        result = NewSettings(static_cast<HMODULE>(region.AllocationBase));
    if (!result || (result->HasSettings() && SaysNoSettings(result))) {
        IQEModuleSettings fallback = FindSettingsModule();
        if (!result)
            result = fallback;
        else if (IsUsable(fallback))
            result = fallback;
    }
    return result ? result : NewSettings(EngineModule());
}

__attribute__((noinline)) IQEModuleSettings SettingsOfCaller(int level)
{
    // Level 0 is where this call returns to; each further level follows one saved frame pointer.
    void* const* frame = static_cast<void* const*>(__builtin_frame_address(0));
    const void* address = __builtin_return_address(0);
    for (int i = 0; i < level && frame != nullptr; ++i) {
        frame = static_cast<void* const*>(frame[0]);
        address = frame != nullptr ? frame[1] : nullptr;
    }
    return ModuleSettingsOfAddress(address);
}

} // namespace qor
