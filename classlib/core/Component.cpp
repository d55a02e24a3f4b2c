#include "core/Component.h"

#include "core/SysUtils.h"
#include "core/TypeInfo.h"

#include <algorithm>

namespace classlib {

CLASSLIB_DEFINE_ENUM(TComponentStateFlag, "csLoading", "csReading", "csWriting", "csDestroying",
                     "csDesigning", "csAncestor", "csUpdating", "csFixups", "csFreeNotification",
                     "csInline", "csDesignInstance")
CLASSLIB_DEFINE_ENUM(TComponentStyleFlag, "csInheritable", "csCheckPropAvail", "csSubComponent",
                     "csTransient")
CLASSLIB_DEFINE_ENUM(TOperation, "opInsert", "opRemove")

CLASSLIB_PUBLISH(TComponent)
{
    c.Property("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
    c.Property("Tag", &TComponent::Tag, &TComponent::SetTag).SetDefault(0);
}

TComponent::TComponent(TComponent* owner)
{
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    Destroying();
    while (!freeNotifies_.empty()) {
        TComponent* partner = freeNotifies_.back();
        freeNotifies_.pop_back();
        partner->RemoveNotification(this);
        partner->Notification(this, opRemove);
    }
    DestroyComponents();
    if (owner_)
        owner_->RemoveComponent(this);
}

namespace {
TApplicationHandleException applicationHandleException = nullptr;
}

void SetApplicationHandleException(TApplicationHandleException handler)
{
    applicationHandleException = handler;
}

void ApplicationHandleException(TObject* sender)
{
    if (applicationHandleException)
        applicationHandleException(sender);
}

void TComponent::BeforeDestruction()
{
    // A component freed by its destroying owner was told with the owner's tree.
    if (!state_.Contains(csDestroying))
        NotifyTreeDestroying();
    Destroying();
}

void TComponent::NotifyTreeDestroying()
{
    try {
        TreeDestroying();
    } catch (...) {
        ApplicationHandleException(this);
    }
    // A copy: a notified component may free others of the tree.
    for (TComponent* c : std::vector<TComponent*>(components_))
        if (std::find(components_.begin(), components_.end(), c) != components_.end())
            c->NotifyTreeDestroying();
}

void TComponent::Destroying()
{
    if (state_.Contains(csDestroying))
        return;
    state_.Include(csDestroying);
    for (TComponent* c : components_)
        c->Destroying();
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount())
        throw EListError(Format(messages::ListIndexError, {index}));
    return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const
{
    if (!owner_)
        return -1;
    const auto& list = owner_->components_;
    const auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TComponent::SetComponentIndex(int index)
{
    if (!owner_)
        return;
    auto& list = owner_->components_;
    const int current = ComponentIndex();
    if (current < 0)
        return;
    index = std::clamp(index, 0, static_cast<int>(list.size()) - 1);
    list.erase(list.begin() + current);
    list.insert(list.begin() + index, this);
}

TComponent* TComponent::FindComponent(std::string_view name) const
{
    if (name.empty())
        return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->name_, name))
            return c;
    return nullptr;
}

void TComponent::SetName(const std::string& name)
{
    if (name_ == name)
        return;
    if (!name.empty() && !IsValidIdent(name))
        throw EComponentError(Format(messages::InvalidName, {name}));
    if (owner_)
        owner_->ValidateRename(this, name_, name);
    else
        ValidateRename(nullptr, name_, name);
    ChangeName(name);
}

void TComponent::ValidateRename(TComponent* component, const std::string& currentName,
                                const std::string& newName)
{
    // Also checked when a named component is inserted: two owned components of one name
    // would make FindComponent and the reference fix-ups of the streams ambiguous.
    if (component && !newName.empty() && !SameText(currentName, newName)) {
        TComponent* existing = FindComponent(newName);
        if (existing && existing != component)
            throw EComponentError(Format(messages::DuplicateName, {newName}));
    }
}

void TComponent::ValidateContainer(TComponent* component)
{
    component->ValidateInsert(this);
}

void TComponent::SetSubComponent(bool value)
{
    if (value)
        style_.Include(csSubComponent);
    else
        style_.Exclude(csSubComponent);
}

void TComponent::SetDesigning(bool value, bool setChildren)
{
    if (value)
        state_.Include(csDesigning);
    else
        state_.Exclude(csDesigning);
    if (setChildren)
        for (TComponent* c : components_)
            c->SetDesigning(value, true);
}

void TComponent::InsertComponent(TComponent* component)
{
    component->ValidateContainer(this);
    ValidateRename(component, std::string(), component->name_);
    Insert(component);
    if (state_.Contains(csDesigning))
        component->SetDesigning(true);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    ValidateRename(component, component->name_, std::string());
    Notification(component, opRemove);
    Remove(component);
}

void TComponent::Insert(TComponent* component)
{
    if (component->owner_)
        component->owner_->Remove(component);
    components_.push_back(component);
    component->owner_ = this;
}

void TComponent::Remove(TComponent* component)
{
    components_.erase(std::remove(components_.begin(), components_.end(), component),
                      components_.end());
    component->owner_ = nullptr;
}

void TComponent::DestroyComponents()
{
    // Every owned tree hears of its end before any of them goes, so that each can still read
    // the others: a destructor (a plain delete, which skips BeforeDestruction) frees them
    // here, newest first.
    for (TComponent* c : std::vector<TComponent*>(components_))
        if (std::find(components_.begin(), components_.end(), c) != components_.end() &&
            !c->state_.Contains(csDestroying))
            c->NotifyTreeDestroying();
    for (TComponent* c : components_)
        c->Destroying();
    while (!components_.empty()) {
        TComponent* instance = components_.back();
        if (instance->state_.Contains(csFreeNotification))
            RemoveComponent(instance);
        else
            Remove(instance);
        instance->Free();
    }
}

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this)
        return;
    if (!owner_ || component->owner_ != owner_) {
        if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) ==
            freeNotifies_.end()) {
            freeNotifies_.push_back(component);
            component->FreeNotification(this);
        }
    }
    state_.Include(csFreeNotification);
}

void TComponent::RemoveNotification(TComponent* component)
{
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component),
                        freeNotifies_.end());
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (!component)
        return;
    RemoveNotification(component);
    component->RemoveNotification(this);
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove && component)
        RemoveFreeNotification(component);
    // Owned components may go while they are told; walk down and re-clamp.
    int i = ComponentCount() - 1;
    while (i >= 0) {
        components_[static_cast<size_t>(i)]->Notification(component, operation);
        --i;
        if (i >= ComponentCount())
            i = ComponentCount() - 1;
    }
}

void TComponent::Loaded()
{
    state_.Exclude(csLoading);
}

void TComponent::GetChildren(const TGetChildProc&, TComponent*) {}

std::string TComponent::GetNamePath() const
{
    return name_;
}

bool TComponent::GetInterface(const TGUID& iid, void** obj)
{
    return GetInterfaceOf<IInterface>(this, iid, obj) || TPersistent::GetInterface(iid, obj);
}

bool TComponent::QueryInterface(const TGUID& iid, void** obj)
{
    return GetInterface(iid, obj);
}

} // namespace classlib
