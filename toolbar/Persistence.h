#pragma once
// Where a dock panel, toolbar or pager keeps its layout: a registry key (below the current
// user) or an INI file, and a section. A store is opened only when storing is enabled, the key
// and the section are set and the owner is not being designed.
#include "toolbar/DockLayoutRecord.h"

#include "core/Events.h"
#include "windows/Controls.h"
#include "windows/IniFiles.h"

#include <memory>
#include <string>

namespace toolbar {

enum TPersistenceLocation { plRegistry, plIniFile };
CLASSLIB_ENUM(TPersistenceLocation);

class TPersistence : public classlib::TPersistent {
    CLASSLIB_CLASS(TPersistence, classlib::TPersistent)
    explicit TPersistence(classlib::TControl* owner) : owner_(owner) {}

    const std::string& Key() const { return key_; }
    void SetKey(const std::string& value);
    const std::string& Section() const { return section_; }
    void SetSection(const std::string& value);
    TPersistenceLocation Location() const { return location_; }
    void SetLocation(TPersistenceLocation value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    // Fired by every setter that changes a value.
    classlib::TNotifyEvent OnChange;

    // Copies the four settings from another TPersistence, without firing OnChange.
    void Assign(classlib::TPersistent* source) override;

    // The store, or nullptr when storing does not take place.
    std::unique_ptr<classlib::TCustomIniFile> OpenStore() const;

private:
    template <class T>
    void Store(T& field, const T& value)
    {
        if (field == value)
            return;
        field = value;
        if (OnChange)
            OnChange(this);
    }
    classlib::TControl* owner_;
    std::string key_;
    std::string section_;
    TPersistenceLocation location_ = plRegistry;
    bool enabled_ = false;
};

// One section of a store as the layout record reads and writes it.
class TIniLayoutValues : public TLayoutValues {
public:
    TIniLayoutValues(classlib::TCustomIniFile& store, std::string section)
        : store_(store), section_(std::move(section))
    {
    }
    int ReadInteger(const std::string& key, int defaultValue) override
    {
        return store_.ReadInteger(section_, key, defaultValue);
    }
    std::string ReadString(const std::string& key, const std::string& defaultValue) override
    {
        return store_.ReadString(section_, key, defaultValue);
    }
    void WriteInteger(const std::string& key, int value) override
    {
        store_.WriteInteger(section_, key, value);
    }
    void WriteString(const std::string& key, const std::string& value) override
    {
        store_.WriteString(section_, key, value);
    }

private:
    classlib::TCustomIniFile& store_;
    std::string section_;
};

} // namespace toolbar
