#pragma once
// Form placement and form storage: dropped on a form, the placement takes over the form's
// OnShow, OnCloseQuery and OnDestroy (chaining the form's own handlers), restores the window
// placement when the form is first shown and saves it when the form closes. The form storage
// also keeps chosen published properties of the form's components (StoredProps lines
// "Component.Property") and a collection of named values.
#include "OcAppStorage.h"
#include "OcPropertyStorage.h"
#include "OcWindowPlacement.h"
#include "OcWndProcHook.h"

#include "core/Collection.h"
#include "windows/Forms.h"

#include <variant>
#include <vector>

namespace storage {

enum TOcFormPlacementVersionCheck { fpvcNocheck, fpvcCheckGreaterEqual, fpvcCheckEqual };
CLASSLIB_ENUM(TOcFormPlacementVersionCheck);

class TOcFormPlacement;

// Something that follows a form placement: told after each save and each restore.
class TOcFormPlacementLink {
public:
    virtual ~TOcFormPlacementLink() = default;
    virtual void PlacementSaved(TOcFormPlacement& placement) = 0;
    virtual void PlacementRestored(TOcFormPlacement& placement) = 0;
};

// Minimum and maximum sizes enforced through WM_GETMINMAXINFO; 0 leaves a value to Windows.
class TOcWinMinMaxInfo : public TPersistent {
    CLASSLIB_CLASS(TOcWinMinMaxInfo, TPersistent)
    explicit TOcWinMinMaxInfo(TOcFormPlacement* owner = nullptr) : owner_(owner) {}
    void Assign(TPersistent* source) override;
    bool DefaultMinMaxInfo() const;

    int MaxPosLeft() const { return values_[0]; }
    void SetMaxPosLeft(int v) { Set(0, v); }
    int MaxPosTop() const { return values_[1]; }
    void SetMaxPosTop(int v) { Set(1, v); }
    int MaxSizeHeight() const { return values_[2]; }
    void SetMaxSizeHeight(int v) { Set(2, v); }
    int MaxSizeWidth() const { return values_[3]; }
    void SetMaxSizeWidth(int v) { Set(3, v); }
    int MaxTrackHeight() const { return values_[4]; }
    void SetMaxTrackHeight(int v) { Set(4, v); }
    int MaxTrackWidth() const { return values_[5]; }
    void SetMaxTrackWidth(int v) { Set(5, v); }
    int MinTrackHeight() const { return values_[6]; }
    void SetMinTrackHeight(int v) { Set(6, v); }
    int MinTrackWidth() const { return values_[7]; }
    void SetMinTrackWidth(int v) { Set(7, v); }

private:
    void Set(int index, int value);
    TOcFormPlacement* owner_;
    int values_[8] = {};
};

class TOcFormPlacement : public TComponent {
    CLASSLIB_CLASS(TOcFormPlacement, TComponent)
    explicit TOcFormPlacement(TComponent* owner);
    ~TOcFormPlacement() override;

    void SavePlacement();
    void RestorePlacement();
    bool CanUseStorage() const { return active_ && appStorage_; }
    // Takes over the form's OnShow, OnCloseQuery and OnDestroy (done when loaded with the
    // form) and gives them back.
    void HookFormEvents();
    void UnhookFormEvents();

    std::string LoadNamedString(const std::string& name, const std::string& fallback);
    void StoreNamedString(const std::string& name, const std::string& value);
    int LoadNamedInteger(const std::string& name, int fallback);
    void StoreNamedInteger(const std::string& name, int value);
    bool LoadNamedBoolean(const std::string& name, bool fallback);
    void StoreNamedBoolean(const std::string& name, bool value);
    double LoadNamedFloat(const std::string& name, double fallback);
    void StoreNamedFloat(const std::string& name, double value);
    TDateTime LoadNamedDateTime(const std::string& name, TDateTime fallback);
    void StoreNamedDateTime(const std::string& name, TDateTime value);

    bool Active() const { return active_; }
    void SetActive(bool value) { active_ = value; }
    TOcCustomAppStorage* AppStorage() const { return appStorage_; }
    void SetAppStorage(TOcCustomAppStorage* value);
    const std::string& AppStoragePath() const { return appStoragePath_; }
    void SetAppStoragePath(const std::string& value);
    TPlacementOptions Options() const { return options_; }
    void SetOptions(TPlacementOptions value) { options_ = value; }
    int Version() const { return version_; }
    void SetVersion(int value) { version_ = value; }
    TOcFormPlacementVersionCheck VersionCheck() const { return versionCheck_; }
    void SetVersionCheck(TOcFormPlacementVersionCheck value) { versionCheck_ = value; }
    bool PreventResize() const { return preventResize_; }
    void SetPreventResize(bool value);
    TOcWinMinMaxInfo* MinMaxInfo() const { return minMaxInfo_; }
    void SetMinMaxInfo(TOcWinMinMaxInfo* value) { minMaxInfo_->Assign(value); }
    bool Saved() const { return saved_; }
    bool Restored() const { return restored_; }
    TOcWindowHook* WinHook() const { return winHook_; }
    // Notified after each save and restore; the placement does not own them.
    std::vector<TOcFormPlacementLink*> Links;

    classlib::TNotifyEvent OnSavePlacement;
    classlib::TNotifyEvent OnRestorePlacement;
    classlib::TNotifyEvent BeforeSavePlacement;
    classlib::TNotifyEvent AfterSavePlacement;
    classlib::TNotifyEvent BeforeRestorePlacement;
    classlib::TNotifyEvent AfterRestorePlacement;

    void MinMaxChanged();

protected:
    virtual void WritePlacementValues();
    virtual void ReadPlacementValues();
    virtual void FireSavePlacement();
    virtual void FireRestorePlacement();
    void Loaded() override;
    void Notification(TComponent* component, classlib::TOperation operation) override;
    classlib::TCustomForm* Form() const;
    std::string NamedPath(const std::string& name, bool reading);
    void ResolveFormNamePath();
    bool restored_ = false;

private:
    void FormShow(classlib::TObject* sender);
    void FormCloseQuery(classlib::TObject* sender, bool& canClose);
    void FormDestroy(classlib::TObject* sender);
    void HandleHookedMessage(classlib::TObject* sender, classlib::TMessage& msg, bool& handled);
    void UpdateWindowHook();
    void ApplyPreventResize();
    void ReapplyPlacement();
    void ReportException();
    void NotifyLinks(bool saved);

    bool active_ = true;
    TOcCustomAppStorage* appStorage_ = nullptr;
    std::string appStoragePath_ = "%FORM_NAME%";
    TPlacementOptions options_;
    int version_ = 0;
    TOcFormPlacementVersionCheck versionCheck_ = fpvcCheckGreaterEqual;
    bool preventResize_ = false;
    bool defMaximize_ = true;
    TOcWindowHook* winHook_;
    TOcWinMinMaxInfo* minMaxInfo_;
    classlib::TNotifyEvent savedShow_;
    classlib::TCloseQueryEvent savedCloseQuery_;
    classlib::TNotifyEvent savedDestroy_;
    bool hooked_ = false;
    bool saved_ = false;
    bool destroying_ = false;
};

class TOcFormStorage;

// A date and time kept as a stored value (a plain TDateTime would read as a float).
struct TOcStoredDate {
    TDateTime Value = 0;
    bool operator==(const TOcStoredDate& other) const { return Value == other.Value; }
};

// A named value kept by the form storage.
using TOcStoredValueData =
    std::variant<std::monostate, int, double, bool, std::string, TOcStoredDate>;
using TOcStoredValueEvent =
    classlib::TEvent<void(classlib::TObject* sender, TOcStoredValueData& value)>;

class TOcStoredValue : public classlib::TCollectionItem {
    CLASSLIB_CLASS(TOcStoredValue, classlib::TCollectionItem)
    explicit TOcStoredValue(classlib::TCollection* collection) : TCollectionItem(collection) {}
    void Assign(TPersistent* source) override;
    std::string DisplayName() const override
    {
        return name_.empty() ? inherited::DisplayName() : name_;
    }

    const std::string& Name() const { return name_; }
    // Raises EOCLException when another value of the collection has the name (any case).
    void SetName(const std::string& value);
    TOcStoredValueData Value;
    std::string KeyString;
    TOcStoredValueEvent OnSave;
    TOcStoredValueEvent OnRestore;

    virtual void Save();
    virtual void Restore();

protected:
    // Value goes into the form stream beside the published properties, only when not empty.
    void DefineProperties(classlib::TFiler& filer) override;

private:
    TOcFormStorage* Storage() const;
    std::string Path() const;
    std::string name_;
};

class TOcStoredValues : public classlib::TOwnedCollection {
    CLASSLIB_CLASS(TOcStoredValues, classlib::TOwnedCollection)
    explicit TOcStoredValues(TOcFormStorage* storage);
    TOcStoredValue* Items(int index) const
    {
        return static_cast<TOcStoredValue*>(TCollection::Items(index));
    }
    int IndexOf(std::string_view name) const;
    TOcFormStorage* Storage() const { return storage_; }
    std::string Path;
    virtual void SaveValues();
    virtual void RestoreValues();

private:
    TOcFormStorage* storage_;
};

CLASSLIB_DECLARE_EXCEPTION(EOCLException, Exception);

// The StoredProps lines: after an assignment (not while the form storage itself is being
// loaded) the lines are bound to the owner's components; a form being loaded binds them in
// the storage's loaded notification.
class TOcFormStorageStringList : public classlib::TStringList {
    CLASSLIB_CLASS(TOcFormStorageStringList, classlib::TStringList)
    explicit TOcFormStorageStringList(TOcFormStorage* storage = nullptr) : storage_(storage) {}
    void Assign(TPersistent* source) override;
    // Binds the lines to the owner's components and asks each for a removal notification.
    void BindToOwner();

private:
    TOcFormStorage* storage_;
};

class TOcFormStorage : public TOcFormPlacement {
    CLASSLIB_CLASS(TOcFormStorage, TOcFormPlacement)
    explicit TOcFormStorage(TComponent* owner);
    ~TOcFormStorage() override;

    classlib::TStrings* StoredProps() const { return storedProps_; }
    void SetStoredProps(classlib::TStrings* value);
    TOcStoredValues* StoredValues() const { return storedValues_; }
    const std::string& StoredPropsPath() const { return storedPropsPath_; }
    void SetStoredPropsPath(const std::string& value) { storedPropsPath_ = value; }
    const std::string& StoredValuesPath() const { return storedValues_->Path; }
    void SetStoredValuesPath(const std::string& value) { storedValues_->Path = value; }

    virtual void SaveStoredProps();
    virtual void LoadStoredProps();

protected:
    void WritePlacementValues() override;
    void ReadPlacementValues() override;
    void Loaded() override;
    void Notification(TComponent* component, classlib::TOperation operation) override;
    void WriteState(classlib::TWriter& writer) override;

private:
    TOcFormStorageStringList* storedProps_;
    TOcStoredValues* storedValues_;
    std::string storedPropsPath_;
};

// Makes the storage components known to the form loader by class name.
void RegisterStorageClasses();

} // namespace storage
