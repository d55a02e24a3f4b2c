#pragma once
// TComponent: the owned, named, streamable object. An owner frees the components it owns;
// components that refer to each other across owners ask for free notification so that the
// reference can be cleared when the other is freed.
//
// Destruction: `Free()` (or FreeAndNil) runs BeforeDestruction first, which marks the
// component and its owned components as destroying while the whole object still exists.
// A class whose owned components refer back to it (a parent control, a form) calls
// DestroyComponents() in its own destructor, so that they go while it is still whole.
// DestroyComponents() first tells every owned tree (TreeDestroying) that was not told yet,
// so a plain `delete` of such a class still lets its components save what reads the others.
#include "core/Object.h"

#include <functional>
#include <string>
#include <vector>

namespace classlib {

class TReader;
class TWriter;

enum TComponentStateFlag {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance
};
using TComponentState = TSet<TComponentStateFlag>;

enum TComponentStyleFlag { csInheritable, csCheckPropAvail, csSubComponent, csTransient };
using TComponentStyle = TSet<TComponentStyleFlag>;

enum TOperation { opInsert, opRemove };
CLASSLIB_ENUM(TComponentStateFlag);
CLASSLIB_ENUM(TComponentStyleFlag);
CLASSLIB_ENUM(TOperation);

// Reports an exception that must not leave the code that met it (call it inside a catch
// block). The Windows run time installs the application's handling; without one the
// exception is dropped, because the callers are destructors that have nowhere to pass it.
using TApplicationHandleException = void (*)(class TObject* sender);
void SetApplicationHandleException(TApplicationHandleException handler);
void ApplicationHandleException(class TObject* sender);

// Called for each child by GetChildren (the writer uses it to store children in order).
using TGetChildProc = std::function<void(class TComponent* child)>;

class TComponent : public TPersistent, public IInterface {
    CLASSLIB_CLASS(TComponent, TPersistent)
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    // Raises EListError for an index out of range.
    TComponent* Components(int index) const;
    // Position in the owner's list, -1 without owner.
    int ComponentIndex() const;
    void SetComponentIndex(int index);
    // Owned component by name (ignoring case), nullptr when absent or `name` is empty.
    TComponent* FindComponent(std::string_view name) const;

    const std::string& Name() const { return name_; }
    // Raises EComponentError for a name that is no identifier or is taken in the owner.
    virtual void SetName(const std::string& name);
    intptr_t Tag() const { return tag_; }
    void SetTag(intptr_t tag) { tag_ = tag; }

    TComponentState ComponentState() const { return state_; }
    TComponentStyle ComponentStyle() const { return style_; }
    // A sub-component is stored as a nested object of its owner's property, not as a child.
    void SetSubComponent(bool value);
    void SetDesigning(bool value, bool setChildren = true);

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void DestroyComponents();
    // Marks this component and those it owns as destroying (idempotent).
    void Destroying();

    // Asks for Notification(component, opRemove) when `component` is freed, and the reverse.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Streaming: children in writing order, and their owner and parent while reading.
    virtual void GetChildren(const TGetChildProc& proc, TComponent* root);
    virtual TComponent* GetChildOwner() { return nullptr; }
    virtual TComponent* GetChildParent() { return this; }
    virtual bool HasParent() const { return false; }
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent*) {}
    // Reads and writes this component's properties and children (TReader::ReadData,
    // TWriter::WriteData).
    virtual void ReadState(TReader& reader);
    virtual void WriteState(TWriter& writer);

    // TPersistent
    std::string GetNamePath() const override;
    TPersistent* GetOwner() const override { return owner_; }
    void BeforeDestruction() override;

    // Components implement interfaces without reference counting: their owner frees them.
    bool QueryInterface(const TGUID& iid, void** obj) override;
    int AddRef() override { return -1; }
    int Release() override { return -1; }
    bool GetInterface(const TGUID& iid, void** obj) override;

protected:
    // Told when `component` is inserted into or removed from the owner tree this component
    // belongs to, or is freed after FreeNotification. Overrides clear their references and
    // chain to the parent class.
    virtual void Notification(TComponent* component, TOperation operation);
    // Runs after the component and its siblings are read, in creation order.
    virtual void Loaded();
    // Runs at the start of the destruction of the tree this component belongs to (its own
    // Free, or its owner's), on every component of the tree, owners before what they own,
    // while every component of the tree still exists: the place to save state that reads
    // other components (components are freed newest first, so a destructor finds its
    // siblings gone). An exception goes to ApplicationHandleException.
    virtual void TreeDestroying() {}
    virtual void ValidateRename(TComponent* component, const std::string& currentName,
                                const std::string& newName);
    virtual void ValidateInsert(TComponent*) {}
    virtual void ValidateContainer(TComponent* component);
    void SetComponentState(TComponentState state) { state_ = state; }
    void ChangeName(const std::string& name) { name_ = name; }

    friend class TReader;
    friend class TWriter;

private:
    void Insert(TComponent* component);
    void Remove(TComponent* component);
    void RemoveNotification(TComponent* component);
    void NotifyTreeDestroying();

    TComponent* owner_ = nullptr;
    std::string name_;
    intptr_t tag_ = 0;
    TComponentState state_;
    TComponentStyle style_{csInheritable};
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
};

} // namespace classlib
