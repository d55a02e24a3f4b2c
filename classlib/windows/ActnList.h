#pragma once
// Actions as far as controls need them: an action holds a caption, enabled, checked, visible
// and hint state and an OnExecute handler; a control linked to it (its Action property)
// follows the action's state and runs the action when clicked.
#include "core/Component.h"
#include "core/Events.h"

#include <string>
#include <vector>

namespace classlib {

class TControl;
class TActionLink;

class TBasicAction : public TComponent {
    CLASSLIB_CLASS(TBasicAction, TComponent)
    explicit TBasicAction(TComponent* owner) : TComponent(owner) {}
    ~TBasicAction() override;

    // Runs OnExecute; false when none is assigned.
    virtual bool Execute();
    TNotifyEvent OnExecute;

    void RegisterLink(TActionLink* link);
    void UnRegisterLink(TActionLink* link);

protected:
    // Tells every linked client that a property changed.
    void Change();
    std::vector<TActionLink*> links_;
};

class TAction : public TBasicAction {
    CLASSLIB_CLASS(TAction, TBasicAction)
    explicit TAction(TComponent* owner) : TBasicAction(owner) {}

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value);

private:
    std::string caption_;
    bool enabled_ = true;
    bool checked_ = false;
    bool visible_ = true;
    std::string hint_;
};

// The connection between an action and one client.
class TActionLink : public TObject {
public:
    TActionLink() = default;
    ~TActionLink() override { SetAction(nullptr); }
    TBasicAction* Action() const { return action_; }
    void SetAction(TBasicAction* action);
    bool Execute() { return action_ && action_->Execute(); }
    // The action changed: copy its state to the client.
    virtual void ActionChanged() {}

protected:
    TBasicAction* action_ = nullptr;
};

// Copies an action's caption, enabled and visible state, hint and checked state to a control.
class TControlActionLink : public TActionLink {
public:
    explicit TControlActionLink(TControl* control) : control_(control) {}
    void ActionChanged() override;
    // Whether the control's OnClick is the action's own handler (then the action runs).
    bool IsOnExecuteLinked() const;

private:
    TControl* control_;
};

void RegisterActionClasses();

} // namespace classlib
