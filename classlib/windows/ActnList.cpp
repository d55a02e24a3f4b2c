#include "windows/ActnList.h"

#include "core/SysUtils.h"
#include "core/TypeInfo.h"
#include "windows/Application.h"
#include "windows/Controls.h"
#include "windows/Forms.h"
#include "windows/ImageLists.h"

#include <algorithm>

namespace classlib {

CLASSLIB_PUBLISH(TBasicAction)
{
    c.Property("OnExecute", &TBasicAction::OnExecute);
    c.Property("OnUpdate", &TBasicAction::OnUpdate);
}

CLASSLIB_PUBLISH(TCustomAction) {}

CLASSLIB_PUBLISH(TAction)
{
    c.Property("AutoCheck", &TAction::AutoCheck, &TAction::SetAutoCheck).SetDefault(false);
    c.Property("Caption", &TAction::Caption, &TAction::SetCaption);
    c.Property("Category", &TAction::Category, &TAction::SetCategory);
    c.Property("Checked", &TAction::Checked, &TAction::SetChecked).SetDefault(false);
    c.Property("Enabled", &TAction::Enabled, &TAction::SetEnabled).SetDefault(true);
    c.Property("GroupIndex", &TAction::GroupIndex, &TAction::SetGroupIndex).SetDefault(0);
    c.Property("Hint", &TAction::Hint, &TAction::SetHint);
    c.Property("ImageIndex", &TAction::ImageIndex, &TAction::SetImageIndex).SetDefault(-1);
    c.Property("ShortCut", &TAction::ShortCut, &TAction::SetShortCut).SetDefault(0);
    c.Property("Visible", &TAction::Visible, &TAction::SetVisible).SetDefault(true);
}

CLASSLIB_PUBLISH(THintAction) {}

CLASSLIB_PUBLISH(TCustomActionList) {}

CLASSLIB_PUBLISH(TActionList)
{
    c.Property("Images", &TActionList::Images, &TActionList::SetImages);
    c.Property("OnExecute", &TActionList::OnExecute);
    c.Property("OnUpdate", &TActionList::OnUpdate);
}

namespace {

// The form whose controls see actions nobody else handled: the active one, else the main form.
TCustomForm* ActionTargetForm()
{
    for (HWND w = GetActiveWindow(); w; w = GetParent(w))
        if (auto* form = dynamic_cast<TCustomForm*>(TWinControl::FindControl(w)))
            return form;
    return Application ? dynamic_cast<TCustomForm*>(Application->MainForm()) : nullptr;
}

bool SendToTargetForm(UINT msg, TBasicAction* action)
{
    TCustomForm* form = ActionTargetForm();
    return form && !form->ComponentState().Contains(csDestroying) &&
           form->Perform(msg, 0, reinterpret_cast<LPARAM>(action)) != 0;
}

} // namespace

TBasicAction::~TBasicAction()
{
    // Clients drop their link when told through free notification; any left are detached.
    while (!links_.empty())
        links_.back()->SetAction(nullptr);
}

bool TBasicAction::Execute()
{
    if (!OnExecute)
        return false;
    OnExecute(this);
    return true;
}

bool TBasicAction::Update()
{
    if (!OnUpdate)
        return false;
    OnUpdate(this);
    return true;
}

void TBasicAction::RegisterLink(TActionLink* link)
{
    if (std::find(links_.begin(), links_.end(), link) == links_.end())
        links_.push_back(link);
}

void TBasicAction::UnRegisterLink(TActionLink* link)
{
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
}

void TBasicAction::Change()
{
    for (TActionLink* link : std::vector<TActionLink*>(links_))
        link->ActionChanged();
}

// ---- TCustomAction --------------------------------------------------------------------------

TCustomAction::~TCustomAction()
{
    SetActionList(nullptr);
}

bool TCustomAction::Execute()
{
    Update();
    if (!enabled_)
        return false;
    if (autoCheck_ && (!checked_ || groupIndex_ == 0))
        SetChecked(!checked_);
    return (actionList_ && actionList_->ExecuteAction(this)) ||
           (Application && Application->ExecuteAction(this)) || TBasicAction::Execute() ||
           SendToTargetForm(CM_ACTIONEXECUTE, this);
}

bool TCustomAction::Update()
{
    return (actionList_ && actionList_->UpdateAction(this)) ||
           (Application && Application->UpdateAction(this)) || TBasicAction::Update() ||
           SendToTargetForm(CM_ACTIONUPDATE, this);
}

void TCustomAction::SetActionList(TCustomActionList* value)
{
    if (actionList_ == value)
        return;
    if (actionList_) {
        auto& list = actionList_->actions_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    actionList_ = value;
    if (value)
        value->actions_.push_back(this);
}

int TCustomAction::Index() const
{
    if (!actionList_)
        return -1;
    const auto& list = actionList_->actions_;
    return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

TComponent* TCustomAction::GetParentComponent() const
{
    return actionList_;
}

void TCustomAction::SetParentComponent(TComponent* value)
{
    if (auto* list = dynamic_cast<TCustomActionList*>(value))
        SetActionList(list);
}

void TCustomAction::SetCaption(const std::string& value)
{
    if (caption_ != value) {
        caption_ = value;
        Change();
    }
}
void TCustomAction::SetEnabled(bool value)
{
    if (enabled_ != value) {
        enabled_ = value;
        Change();
    }
}
void TCustomAction::SetVisible(bool value)
{
    if (visible_ != value) {
        visible_ = value;
        Change();
    }
}
void TCustomAction::SetHint(const std::string& value)
{
    if (hint_ != value) {
        hint_ = value;
        Change();
    }
}
void TCustomAction::SetImageIndex(int value)
{
    if (imageIndex_ != value) {
        imageIndex_ = value;
        Change();
    }
}
void TCustomAction::SetShortCut(WORD value)
{
    if (shortCut_ != value) {
        shortCut_ = value;
        Change();
    }
}

void TCustomAction::SetChecked(bool value)
{
    if (checked_ == value)
        return;
    checked_ = value;
    if (value && groupIndex_ != 0 && actionList_)
        for (TCustomAction* other : actionList_->actions_)
            if (other != this && other->groupIndex_ == groupIndex_)
                other->SetChecked(false);
    Change();
}

void TCustomAction::SetGroupIndex(int value)
{
    if (groupIndex_ == value)
        return;
    groupIndex_ = value;
    if (checked_ && value != 0 && actionList_)
        for (TCustomAction* other : actionList_->actions_)
            if (other != this && other->groupIndex_ == value)
                other->SetChecked(false);
    Change();
}

// ---- TCustomActionList ----------------------------------------------------------------------

TCustomActionList::~TCustomActionList()
{
    while (!actions_.empty())
        actions_.back()->SetActionList(nullptr);
}

TCustomAction* TCustomActionList::Actions(int index) const
{
    if (index < 0 || index >= ActionCount())
        throw EListError(Format(messages::ListIndexError, {index}));
    return actions_[static_cast<size_t>(index)];
}

void TCustomActionList::SetImages(TCustomImageList* value)
{
    if (images_ == value)
        return;
    images_ = value;
    if (value)
        value->FreeNotification(this);
    // Clients show the images of the new list.
    for (TCustomAction* action : actions_)
        action->Change();
}

bool TCustomActionList::ExecuteAction(TBasicAction* action)
{
    bool handled = false;
    if (OnExecute)
        OnExecute(action, handled);
    return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* action)
{
    bool handled = false;
    if (OnUpdate)
        OnUpdate(action, handled);
    return handled;
}

void TCustomActionList::UpdateActions()
{
    for (TCustomAction* action : std::vector<TCustomAction*>(actions_))
        action->Update();
}

void TCustomActionList::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == images_)
        SetImages(nullptr);
    if (auto* action = dynamic_cast<TCustomAction*>(component);
        action && action->ActionList() == this)
        action->SetActionList(nullptr);
}

void TCustomActionList::GetChildren(const TGetChildProc& proc, TComponent* root)
{
    for (TCustomAction* action : actions_)
        if (action->Owner() == root)
            proc(action);
}

void ExecuteHintAction(const std::string& hint)
{
    THintAction action(nullptr);
    action.SetHint(hint);
    action.Execute();
}

void TActionLink::SetAction(TBasicAction* action)
{
    if (action_ == action)
        return;
    if (action_)
        action_->UnRegisterLink(this);
    action_ = action;
    if (action_)
        action_->RegisterLink(this);
}

void TControlActionLink::ActionChanged()
{
    control_->ActionChange(action_, false);
}

bool TControlActionLink::IsOnExecuteLinked() const
{
    return action_ && control_->OnClick == action_->OnExecute;
}

void RegisterActionClasses()
{
    RegisterClasses({&TBasicAction::StaticClass(), &TAction::StaticClass(),
                     &TActionList::StaticClass(), &THintAction::StaticClass()});
}

} // namespace classlib
