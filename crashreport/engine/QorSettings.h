#pragma once
// The settings objects of the crash-report engine (Windows): one module's settings read from its
// shared record (QorSettingsStore), the keys it lacks filled from the settings of the engine's
// own module (`LibrarySettings`) or the built-in defaults, texts with their module placeholders
// expanded, typed reads and writes by key, and the choice of settings for a module or address.
#include "QorReportLists.h"
#include "QorSettingsStore.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qor {

class TIQESettings;
// Settings objects are shared and freed with their last holder.
using IQEModuleSettings = std::shared_ptr<TIQESettings>;

class TIQESettings {
public:
    // Without `readResource` nothing is read (the reported-exception object fills its own).
    TIQESettings(HMODULE module, bool readResource);
    virtual ~TIQESettings();
    TIQESettings(const TIQESettings&) = delete;
    TIQESettings& operator=(const TIQESettings&) = delete;

    HMODULE ModuleHandle() const { return module_; }
    bool HasSettings() const { return hasSettings_; }

    // Typed reads of a key: this module's value, else (for another module than the engine's
    // own) the engine's own module's, else the built-in default; false, 0 or empty for a key
    // that no table holds. Texts come with their placeholders expanded for this module, the
    // exception's three placeholders left in place.
    bool BoolProp(std::string_view key);
    int32_t IntProp(std::string_view key);
    void StrProp(std::string_view key, std::string& text);
    std::string StrProp(std::string_view key);
    uint32_t DwordProp(std::string_view key);

    // Writes into the module's shared record (every holder sees it, Refresh discards it); false
    // without settings or when the key holds a value of another kind.
    bool SetBoolProp(std::string_view key, bool value);
    bool SetIntProp(std::string_view key, int32_t value);
    bool SetStrProp(std::string_view key, std::string_view value);
    bool SetDwordProp(std::string_view key, uint32_t value);

    // Whether `name` is an item of the "|"-separated `Plugins` text (ignoring case).
    bool PluginEnabled(std::string_view name);
    void SetPluginEnabled(std::string_view name, bool on);
    // The text at module base + `VersionVar`, read at construction.
    void VersionText(std::string& text) const { text = versionText_; }
    // Reloads the module's settings from its resource (values set since are lost).
    void Refresh();

    // The `AddFields` ("name=content|...") and `AddAttachs` ("file>send-as>zip>field|...")
    // texts as lists, built on first use and kept; their changes are written back.
    IQEFields AdditionalFields();
    IQEAttachments AdditionalAttachments();

protected:
    // The entry of `key`: this module's record (appending an entry of `kind` when asked), else
    // with `allowDefault` the built-in default. Called with the settings lock held.
    virtual const SettingsProperty* LookupProperty(std::string_view key, bool allowDefault,
                                                   uint8_t kind, bool addWhenMissing);

private:
    bool IsEnginesOwn() const;
    // The entry's value copied under the settings lock, or none found.
    bool ReadEntry(std::string_view key, SettingsProperty& value, std::string& text);
    bool Store(std::string_view key, uint8_t kind, bool boolean, int32_t integer,
               std::string_view text);

    bool hasSettings_ = false;
    HMODULE module_ = nullptr;
    ModuleSettingsRecord* record_ = nullptr;
    std::string versionText_;
    IQEFields additionalFields_;
    IQEAttachments additionalAttachments_;
};

// The settings of the engine's own module (set at library start, cleared at shut-down); while
// empty every settings object counts as the engine's own.
IQEModuleSettings LibrarySettings();
void SetLibrarySettings(IQEModuleSettings settings);
// The engine's own module (the module this code is linked into).
HMODULE EngineModule();

// The settings to fall back on: the engine's own module's, else the first module in the address
// space whose settings do not say `NoSettings`.
IQEModuleSettings FindSettingsModule();
// The settings chosen for a module, for the module that contains a code address, and for the
// caller's module (`level` frames up the chain of saved frame pointers).
IQEModuleSettings ModuleSettings(HMODULE module);
IQEModuleSettings ModuleSettingsOfAddress(const void* codeAddress);
IQEModuleSettings SettingsOfCaller(int level);

} // namespace qor
