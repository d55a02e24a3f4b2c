#include "windows/ActnList.h"

#include "core/TypeInfo.h"
#include "windows/Controls.h"

#include <algorithm>

namespace classlib {

CLASSLIB_PUBLISH(TBasicAction)
{
    c.Property("OnExecute", &TBasicAction::OnExecute);
}

CLASSLIB_PUBLISH(TAction)
{
    c.Property("Caption", &TAction::Caption, &TAction::SetCaption);
    c.Property("Checked", &TAction::Checked, &TAction::SetChecked).SetDefault(false);
    c.Property("Enabled", &TAction::Enabled, &TAction::SetEnabled).SetDefault(true);
    c.Property("Hint", &TAction::Hint, &TAction::SetHint);
    c.Property("Visible", &TAction::Visible, &TAction::SetVisible).SetDefault(true);
}

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

void TAction::SetCaption(const std::string& value) { if (caption_ != value) { caption_ = value; Change(); } }
void TAction::SetEnabled(bool value) { if (enabled_ != value) { enabled_ = value; Change(); } }
void TAction::SetChecked(bool value) { if (checked_ != value) { checked_ = value; Change(); } }
void TAction::SetVisible(bool value) { if (visible_ != value) { visible_ = value; Change(); } }
void TAction::SetHint(const std::string& value) { if (hint_ != value) { hint_ = value; Change(); } }

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
    RegisterClasses({&TBasicAction::StaticClass(), &TAction::StaticClass()});
}

} // namespace classlib
