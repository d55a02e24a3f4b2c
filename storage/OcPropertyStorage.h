#pragma once
// Storing chosen published properties of a form's components: lines "Component.Property"
// become values "Component_Property" below a storage folder (CheckBoxClose.Checked ->
// frmDovrel\CheckBoxClose_Checked).
#include "OcAppStorage.h"

#include <array>
#include <string>
#include <vector>

namespace storage {

// The storable published properties of one object (every kind except unknown and method),
// sorted by name.
class TOcPropInfoList : public TObject {
public:
    explicit TOcPropInfoList(const TObject* object);
    int Count() const { return static_cast<int>(list_.size()); }
    const classlib::TPropInfo* Items(int index) const
    {
        return list_.at(static_cast<size_t>(index));
    }
    // Case-insensitive; nullptr when absent.
    const classlib::TPropInfo* LookupByName(std::string_view name) const;

private:
    std::vector<const classlib::TPropInfo*> list_;
};

// A stored-item line split at its first "."; both parts trimmed; valid when neither is empty.
struct TStoredItem {
    std::string Component;
    std::string Property;
    bool Valid = false;
};
TStoredItem SplitStoredItem(std::string_view line);
std::string JoinStoredItem(std::string_view component, std::string_view property);
// The line with its component part replaced; empty for a line that is not valid.
std::string RenameStoredItem(std::string_view line, std::string_view newComponent);
// Binds the lines to components (fromOwner: each line's object = the owner's component of
// that name) or renames them after their components (not fromOwner). Lines that are not
// valid, or whose component is missing, are deleted.
void SyncStoredList(TComponent* owner, classlib::TStrings* list, bool fromOwner);

// Property names a property store never stores (its own settings and events).
extern const std::array<const char*, 18> PropertyStoreIgnoreList;
// An object's combined ignore list: target cleared, then the lines of first and of second.
void CombineIgnoreLists(classlib::TStrings& target, const classlib::TStrings* first,
                        const classlib::TStrings* second);

class TOcPropertyStorage : public TObject {
public:
    TOcPropertyStorage() = default;
    virtual ~TOcPropertyStorage() = default;

    TOcCustomAppStorage* AppStorage = nullptr;
    std::string AppStoragePath;

    void StoreComponentProperties(TComponent* owner, classlib::TStrings* list);
    void LoadComponentProperties(TComponent* owner, classlib::TStrings* list);

    virtual std::string ReadKeyText(const std::string& path, const std::string& item,
                                    const std::string& fallback);
    virtual void WriteKeyText(const std::string& path, const std::string& item,
                              const std::string& value);
    virtual void EraseStoredPath(const std::string& path);
    virtual std::string KeyForProperty(const std::string& property) const
    {
        return prefix_ + property;
    }
    virtual TOcPropertyStorage* CloneForStorage() const;

    TObject* CurrentObject() const { return object_; }
    TComponent* CurrentOwner() const { return owner_; }

private:
    void ProcessProperties(TComponent* owner, classlib::TStrings* list, bool store);

    TObject* object_ = nullptr;
    TComponent* owner_ = nullptr;
    std::string prefix_;
};

} // namespace storage
