#include "OcPropertyStorage.h"

#include "core/SysUtils.h"

#include <algorithm>
#include <map>
#include <memory>

namespace storage {

using namespace classlib;

namespace {
constexpr const char* kKeyDelimiter = "_";
constexpr char kItemDelimiter = '.';
} // namespace

TOcPropInfoList::TOcPropInfoList(const TObject* object)
{
    if (!object)
        return;
    for (const TPropInfo* p : object->ClassType().Properties())
        if (p->PropType && p->PropType->Kind != tkUnknown && p->PropType->Kind != tkMethod)
            list_.push_back(p);
    std::stable_sort(list_.begin(), list_.end(), [](const TPropInfo* a, const TPropInfo* b) {
        return CompareText(a->Name, b->Name) < 0;
    });
}

const TPropInfo* TOcPropInfoList::LookupByName(std::string_view name) const
{
    for (const TPropInfo* p : list_)
        if (SameText(p->Name, name))
            return p;
    return nullptr;
}

TStoredItem SplitStoredItem(std::string_view line)
{
    TStoredItem item;
    const size_t dot = line.find(kItemDelimiter);
    if (dot == std::string_view::npos)
        return item;
    item.Component = Trim(line.substr(0, dot));
    item.Property = Trim(line.substr(dot + 1));
    item.Valid = !item.Component.empty() && !item.Property.empty();
    return item;
}

std::string JoinStoredItem(std::string_view component, std::string_view property)
{
    if (component.empty() || property.empty())
        return {};
    return std::string(component) + kItemDelimiter + std::string(property);
}

std::string RenameStoredItem(std::string_view line, std::string_view newComponent)
{
    const TStoredItem item = SplitStoredItem(line);
    return item.Valid ? JoinStoredItem(newComponent, item.Property) : std::string();
}

void SyncStoredList(TComponent* owner, TStrings* list, bool fromOwner)
{
    if (!list)
        return;
    for (int i = list->Count() - 1; i >= 0; --i) {
        const TStoredItem item = SplitStoredItem(list->Strings(i));
        if (!item.Valid) {
            list->Delete(i);
            continue;
        }
        if (fromOwner) {
            TComponent* component = owner ? owner->FindComponent(item.Component) : nullptr;
            if (component)
                list->PutObject(i, component);
            else
                list->Delete(i);
        } else {
            auto* component = dynamic_cast<TComponent*>(list->Objects(i));
            if (component)
                list->Put(i, JoinStoredItem(component->Name(), item.Property));
            else
                list->Delete(i);
        }
    }
}

std::string TOcPropertyStorage::ReadKeyText(const std::string& path, const std::string& item,
                                            const std::string& fallback)
{
    if (!AppStorage)
        return fallback;
    return AppStorage->LoadString(
        JoinStoragePaths({path, AppStorage->MapPropertyKeyName(nullptr, item, true)}), fallback);
}

void TOcPropertyStorage::WriteKeyText(const std::string& path, const std::string& item,
                                      const std::string& value)
{
    if (AppStorage)
        AppStorage->StoreString(
            JoinStoragePaths({path, AppStorage->MapPropertyKeyName(nullptr, item, false)}), value);
}

void TOcPropertyStorage::EraseStoredPath(const std::string& path)
{
    if (AppStorage)
        AppStorage->EraseSubTree(path);
}

TOcPropertyStorage* TOcPropertyStorage::CloneForStorage() const
{
    auto* clone = new TOcPropertyStorage();
    clone->AppStorage = AppStorage;
    return clone;
}

void TOcPropertyStorage::StoreComponentProperties(TComponent* owner, TStrings* list)
{
    ProcessProperties(owner, list, true);
}

void TOcPropertyStorage::LoadComponentProperties(TComponent* owner, TStrings* list)
{
    ProcessProperties(owner, list, false);
}

void TOcPropertyStorage::ProcessProperties(TComponent* owner, TStrings* list, bool store)
{
    if (!list || !AppStorage)
        return;
    SyncStoredList(owner, list, false);

    // One information list per distinct component, by name.
    std::map<std::string, std::unique_ptr<TOcPropInfoList>,
             decltype(
                 [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; })>
        infos;
    for (int i = 0; i < list->Count(); ++i)
        if (auto* component = dynamic_cast<TComponent*>(list->Objects(i)))
            if (!infos.count(component->Name()))
                infos.emplace(component->Name(), std::make_unique<TOcPropInfoList>(component));

    struct OwnerScope {
        TComponent*& slot;
        ~OwnerScope() { slot = nullptr; }
    } scope{owner_};
    owner_ = owner;

    for (int i = 0; i < list->Count(); ++i) {
        const TStoredItem item = SplitStoredItem(list->Strings(i));
        if (!item.Valid)
            continue;
        auto* component = dynamic_cast<TComponent*>(list->Objects(i));
        if (!component)
            continue;
        object_ = component;
        auto info = infos.find(component->Name());
        if (info == infos.end())
            continue;
        prefix_ = component->Name() + kKeyDelimiter;
        const TPropInfo* prop = info->second->LookupByName(item.Property);
        if (!prop)
            continue;
        const std::string path =
            JoinStoragePaths({AppStoragePath, AppStorage->MapPropertyKeyName(
                                                  object_, KeyForProperty(item.Property), !store)});
        if (store) {
            AppStorage->StorePropertyValue(path, object_, true, prop->Name);
            continue;
        }
        // One property that cannot be read (damaged text, a value its setter refuses) must
        // not keep the others from loading.
        try {
            if (AppStorage->HasStoredValue(path) || AppStorage->IsStoredFolder(path, false))
                AppStorage->LoadPropertyValue(path, object_, true, true, prop->Name);
        } catch (const std::exception&) {
        }
    }
    object_ = nullptr;
}

const std::array<const char*, 18> PropertyStoreIgnoreList = {"AboutOCL",
                                                             "AppStorage",
                                                             "AppStoragePath",
                                                             "AutoLoad",
                                                             "ClearBeforeLoad",
                                                             "Name",
                                                             "Tag",
                                                             "Enabled",
                                                             "ReadOnly",
                                                             "DeleteBeforeStore",
                                                             "IgnoreLastLoadTime",
                                                             "IgnoreProperties",
                                                             "OnBeforeLoadProperties",
                                                             "OnAfterLoadProperties",
                                                             "OnBeforeStoreProperties",
                                                             "OnAfterStoreProperties",
                                                             "SynchronizeLoadProperties",
                                                             "SynchronizeStoreProperties"};

void CombineIgnoreLists(TStrings& target, const TStrings* first, const TStrings* second)
{
    target.Clear();
    for (const TStrings* list : {first, second})
        if (list)
            target.AddStrings(*list);
}

} // namespace storage
