#include "OcWndProcHook.h"

#include "core/ComponentStream.h"
#include "windows/Application.h"
#include "windows/Forms.h"

#include <algorithm>
#include <utility>

namespace storage {

using namespace classlib;

namespace {

// The control-message base plus 33: "free the object in the first parameter".
constexpr UINT CM_RELEASE_LATER = 0xB000 + 33;

// Plain pointers (constant-initialised, no destructors of their own): the module's shut-down
// below is the one place that frees them, whatever order other statics go in.
TOcWndProcHook* registryInstance = nullptr;
TOcReleaser* releaserInstance = nullptr;

// Shut-down: the releaser first (freeing what still waits), then the registry.
struct ModuleShutdown {
    ~ModuleShutdown()
    {
        delete std::exchange(releaserInstance, nullptr);
        delete std::exchange(registryInstance, nullptr);
    }
} moduleShutdown;

// The releaser's window has a plain procedure of its own that finds the releaser through its
// slot, so that a message arriving after the releaser is gone (the system tears windows
// down at thread exit) finds nothing instead of a freed object.
constexpr const char* kReleaserClass = "TOcReleaserWindow";

LRESULT CALLBACK ReleaserWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == CM_RELEASE_LATER && releaserInstance) {
        try {
            releaserInstance->Release(reinterpret_cast<TObject*>(wParam));
        } catch (...) {
            if (Application)
                Application->HandleException(nullptr);
        }
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

HWND CreateReleaserWindow()
{
    static const bool registered = [] {
        WNDCLASSA cls{};
        cls.lpfnWndProc = ReleaserWindowProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = kReleaserClass;
        return RegisterClassA(&cls) != 0;
    }();
    (void)registered;
    return CreateWindowExA(0, kReleaserClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

} // namespace

// ---- hook information -------------------------------------------------------------------------

TOcHookInfos::TOcHookInfos(TOcWndProcHook* controller, TControl* control)
    : controller_(controller), control_(control)
{
}

TOcHookInfos::~TOcHookInfos()
{
    if (controller_)
        controller_->Forget(this);
    if (!controlDestroyed_ && control_)
        for (const Registration& r : registered_)
            control_->RemoveWindowProcHook(r.order, r.hook);
}

void TOcHookInfos::Add(TOcHookOrder order, const TOcHookMethod& hook)
{
    if (controlDestroyed_ || !control_)
        return;
    control_->AddWindowProcHook(order, hook);
    registered_.push_back(Registration{order, hook});
}

bool TOcHookInfos::Remove(TOcHookOrder order, const TOcHookMethod& hook)
{
    for (auto it = registered_.begin(); it != registered_.end(); ++it) {
        if (it->order != order || it->hook.Code() != hook.Code() ||
            it->hook.Receiver() != hook.Receiver())
            continue;
        registered_.erase(it);
        return controlDestroyed_ || !control_ || control_->RemoveWindowProcHook(order, hook);
    }
    return false;
}

void TOcHookInfos::ControlGone()
{
    if (controlDestroyed_)
        return;
    controlDestroyed_ = true;
    registered_.clear();
    if (controller_)
        controller_->Forget(this);
    controller_ = nullptr;
    ReleaserInstance()->ReleaseLater(this);
}

// ---- registry ---------------------------------------------------------------------------------

TOcWndProcHook::TOcWndProcHook(TComponent* owner) : TComponent(owner) {}

TOcWndProcHook::~TOcWndProcHook()
{
    while (!infos_.empty())
        delete infos_.back(); // leaves the list itself
}

TOcHookInfos* TOcWndProcHook::Find(const TControl* control) const
{
    for (TOcHookInfos* infos : infos_)
        if (infos->Control() == control)
            return infos;
    return nullptr;
}

TOcHookInfos* TOcWndProcHook::FindOrCreate(TControl* control)
{
    if (TOcHookInfos* infos = Find(control))
        return infos;
    auto* infos = new TOcHookInfos(this, control);
    infos_.push_back(infos);
    control->FreeNotification(this);
    return infos;
}

void TOcWndProcHook::Forget(TOcHookInfos* infos)
{
    infos_.erase(std::remove(infos_.begin(), infos_.end(), infos), infos_.end());
}

void TOcWndProcHook::Notification(TComponent* component, TOperation operation)
{
    inherited::Notification(component, operation);
    if (operation != opRemove)
        return;
    // The control is going (its own class may be gone already): match by address.
    for (TOcHookInfos* infos : std::vector<TOcHookInfos*>(infos_))
        if (static_cast<TComponent*>(infos->Control()) == component)
            infos->ControlGone();
}

CLASSLIB_PUBLISH(TOcWndProcHook) {}

TOcWndProcHook* WndProcHook()
{
    if (!registryInstance)
        registryInstance = new TOcWndProcHook(nullptr);
    return registryInstance;
}

bool AddWindowProcHook(TControl* control, TOcHookOrder order, const TOcHookMethod& hook)
{
    if (!control || control->ComponentState().Contains(csDestroying) || !hook)
        return false;
    WndProcHook()->FindOrCreate(control)->Add(order, hook);
    return true;
}

bool RemoveWindowProcHook(TControl* control, TOcHookOrder order, const TOcHookMethod& hook)
{
    if (!control || !hook || !registryInstance)
        return false;
    TOcHookInfos* infos = registryInstance->Find(control);
    if (!infos)
        return false;
    infos->Remove(order, hook);
    return true;
}

// ---- releaser ---------------------------------------------------------------------------------

TOcReleaser::~TOcReleaser()
{
    std::vector<TObject*> waiting;
    waiting.swap(releasing_);
    for (TObject* object : waiting)
        delete object;
    if (handle_)
        DestroyWindow(handle_);
}

void TOcReleaser::ReleaseLater(TObject* object)
{
    if (!object || std::find(releasing_.begin(), releasing_.end(), object) != releasing_.end())
        return;
    if (!handle_)
        handle_ = CreateReleaserWindow();
    releasing_.push_back(object);
    PostMessageA(handle_, CM_RELEASE_LATER, reinterpret_cast<WPARAM>(object), 0);
}

void TOcReleaser::Release(TObject* object)
{
    auto it = std::find(releasing_.begin(), releasing_.end(), object);
    if (it == releasing_.end())
        return; // freed already
    releasing_.erase(it);
    delete object;
}

TOcReleaser* ReleaserInstance()
{
    if (!releaserInstance)
        releaserInstance = new TOcReleaser();
    return releaserInstance;
}

// ---- the hook component -----------------------------------------------------------------------

TOcWindowHook::TOcWindowHook(TComponent* owner) : TComponent(owner) {}

TOcWindowHook::~TOcWindowHook()
{
    SetActive(false);
    SetControl(nullptr);
}

bool TOcWindowHook::Registering() const
{
    return active_ && control_ && !ComponentState().Contains(csDesigning);
}

void TOcWindowHook::Register(TOcHookOrder order, bool add)
{
    const TOcHookMethod method = order == hoAfterMsg
                                     ? TOcHookMethod(this, &TOcWindowHook::DoAfterMessage)
                                     : TOcHookMethod(this, &TOcWindowHook::DoBeforeMessage);
    if (add)
        AddWindowProcHook(control_, order, method);
    else
        RemoveWindowProcHook(control_, order, method);
}

void TOcWindowHook::SetActive(bool value)
{
    if (value == active_)
        return;
    const bool wasRegistering = Registering();
    active_ = value;
    if (ComponentState().Contains(csDesigning) || !control_)
        return;
    if (active_ && !wasRegistering) {
        if (afterMessage_)
            Register(hoAfterMsg, true);
        if (beforeMessage_)
            Register(hoBeforeMsg, true);
    } else if (!active_ && wasRegistering) {
        Register(hoAfterMsg, false);
        Register(hoBeforeMsg, false);
    }
}

void TOcWindowHook::SetAfterMessage(const TOcHookMessageEvent& value)
{
    if (Registering() && static_cast<bool>(afterMessage_) != static_cast<bool>(value))
        Register(hoAfterMsg, static_cast<bool>(value));
    afterMessage_ = value;
}

void TOcWindowHook::SetBeforeMessage(const TOcHookMessageEvent& value)
{
    if (Registering() && static_cast<bool>(beforeMessage_) != static_cast<bool>(value))
        Register(hoBeforeMsg, static_cast<bool>(value));
    beforeMessage_ = value;
}

void TOcWindowHook::SetControl(TControl* value)
{
    if (value == control_)
        return;
    const bool wasActive = active_;
    SetActive(false);
    if (control_)
        control_->RemoveFreeNotification(this);
    if (value && value->ComponentState().Contains(csDestroying)) {
        control_ = nullptr;
        return;
    }
    control_ = value;
    if (control_)
        control_->FreeNotification(this);
    SetActive(wasActive);
}

bool TOcWindowHook::HooksOwnerForm() const
{
    return control_ != nullptr && control_ == Owner() &&
           dynamic_cast<TCustomForm*>(control_) != nullptr;
}

void TOcWindowHook::DefineProperties(TFiler& filer)
{
    TComponent::DefineProperties(filer);
    filer.DefineProperty(
        "IsForm",
        [this](TReader& reader) {
            if (reader.ReadBoolean())
                if (auto* form = dynamic_cast<TCustomForm*>(Owner()))
                    SetControl(form);
        },
        [](TWriter& writer) { writer.WriteBoolean(true); }, HooksOwnerForm());
}

bool TOcWindowHook::DoAfterMessage(TMessage& msg)
{
    bool handled = false;
    if (afterMessage_)
        afterMessage_(this, msg, handled);
    return handled;
}

bool TOcWindowHook::DoBeforeMessage(TMessage& msg)
{
    bool handled = false;
    if (beforeMessage_)
        beforeMessage_(this, msg, handled);
    return handled;
}

void TOcWindowHook::Notification(TComponent* component, TOperation operation)
{
    inherited::Notification(component, operation);
    if (operation == opRemove && control_ && static_cast<TComponent*>(control_) == component) {
        // The registry forgets the control by itself; only the reference goes here.
        control_ = nullptr;
    }
}

CLASSLIB_PUBLISH(TOcWindowHook)
{
    using C = TOcWindowHook;
    c.Property("Active", &C::Active, &C::SetActive).SetDefault(true);
    c.Property("Control", &C::Control, &C::SetControl).Stored(&C::ControlStored);
    c.Property("AfterMessage", &C::AfterMessage, &C::SetAfterMessage);
    c.Property("BeforeMessage", &C::BeforeMessage, &C::SetBeforeMessage);
}

} // namespace storage
