#pragma once
// Window-procedure hooks: any number of parties hook one control's window procedure without
// knowing of each other. Each hooked control gets a chain of hooks that run before its own
// procedure and a chain that runs after it: the class library's own hook chains of the control
// (TControl::AddWindowProcHook), so nobody replaces WindowProc for it. TOcWindowHook is the
// component form of one hook; TOcReleaser frees objects after the current message through a posted
// message.
#include "OcHookChains.h"

#include "core/Component.h"
#include "windows/Controls.h"

#include <vector>

namespace storage {

using TOcHookMethod = TOcHookChains<classlib::TMessage>::THook;

class TOcWndProcHook;

// The hooks of one control. They live in the control's own hook chains (TControl::
// AddWindowProcHook), shared with every other party that hooks the control, so hooks of the
// store and of others can be added and removed in any order.
class TOcHookInfos : public classlib::TObject {
public:
    TOcHookInfos(TOcWndProcHook* controller, classlib::TControl* control);
    ~TOcHookInfos() override;

    classlib::TControl* Control() const { return control_; }
    bool ControlDestroyed() const { return controlDestroyed_; }
    // Hooks registered through this registry are in the control's chains.
    bool Hooked() const { return !registered_.empty(); }
    void Add(TOcHookOrder order, const TOcHookMethod& hook);
    bool Remove(TOcHookOrder order, const TOcHookMethod& hook);
    // The control is being freed: stop at once and let the releaser free this later.
    void ControlGone();

private:
    struct Registration {
        TOcHookOrder order;
        TOcHookMethod hook;
    };

    TOcWndProcHook* controller_;
    classlib::TControl* control_;
    std::vector<Registration> registered_;
    bool controlDestroyed_ = false;
};

// The process-wide registry of hooked controls.
class TOcWndProcHook : public classlib::TComponent {
    CLASSLIB_CLASS(TOcWndProcHook, classlib::TComponent)
    explicit TOcWndProcHook(classlib::TComponent* owner);
    ~TOcWndProcHook() override;

    TOcHookInfos* Find(const classlib::TControl* control) const;
    TOcHookInfos* FindOrCreate(classlib::TControl* control);
    void Forget(TOcHookInfos* infos);
    int Count() const { return static_cast<int>(infos_.size()); }

protected:
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;

private:
    std::vector<TOcHookInfos*> infos_;
};

// The registry, created on first use and freed at shut-down.
TOcWndProcHook* WndProcHook();
// False when the control is missing or being destroyed, or the hook is not assigned.
bool AddWindowProcHook(classlib::TControl* control, TOcHookOrder order, const TOcHookMethod& hook);
// False when nothing was registered for the control or the arguments are missing.
bool RemoveWindowProcHook(classlib::TControl* control, TOcHookOrder order,
                          const TOcHookMethod& hook);

// Frees objects after the message being dispatched, through message 0xB021 posted to a
// hidden message-only window.
class TOcReleaser : public classlib::TObject {
public:
    TOcReleaser() = default;
    ~TOcReleaser() override;
    void ReleaseLater(classlib::TObject* object);
    int Waiting() const { return static_cast<int>(releasing_.size()); }

    // Frees the object now when it is still waiting.
    void Release(classlib::TObject* object);

private:
    std::vector<classlib::TObject*> releasing_;
    HWND handle_ = nullptr;
};

TOcReleaser* ReleaserInstance();

// The hook as a component: BeforeMessage and AfterMessage run around Control's own
// procedure while Active.
using TOcHookMessageEvent =
    classlib::TEvent<void(classlib::TObject* sender, classlib::TMessage& msg, bool& handled)>;

class TOcWindowHook : public classlib::TComponent {
    CLASSLIB_CLASS(TOcWindowHook, classlib::TComponent)
    explicit TOcWindowHook(classlib::TComponent* owner);
    ~TOcWindowHook() override;

    bool Active() const { return active_; }
    void SetActive(bool value);
    classlib::TControl* Control() const { return control_; }
    void SetControl(classlib::TControl* value);
    const TOcHookMessageEvent& AfterMessage() const { return afterMessage_; }
    void SetAfterMessage(const TOcHookMessageEvent& value);
    const TOcHookMessageEvent& BeforeMessage() const { return beforeMessage_; }
    void SetBeforeMessage(const TOcHookMessageEvent& value);

protected:
    virtual bool DoAfterMessage(classlib::TMessage& msg);
    virtual bool DoBeforeMessage(classlib::TMessage& msg);
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;
    // The hidden stored property "IsForm": a form layout cannot name its own root as the
    // hooked control, so "the hooked control is the owning form" is stored as a Boolean.
    void DefineProperties(classlib::TFiler& filer) override;

public:
    // The hooked control is the owner and a form: then "IsForm" is stored instead of Control.
    bool HooksOwnerForm() const;
    bool ControlStored() const { return !HooksOwnerForm(); }

private:
    bool Registering() const;
    void Register(TOcHookOrder order, bool add);

    bool active_ = true;
    classlib::TControl* control_ = nullptr;
    TOcHookMessageEvent afterMessage_;
    TOcHookMessageEvent beforeMessage_;
};

} // namespace storage
