#pragma once
// Actions: an action holds a caption, enabled, checked, visible, hint and image state and an
// OnExecute handler, and belongs to an action list (with the images); a control linked to it (its
// Action property) follows the action's state and runs the action when clicked.
#include "core/Component.h"
#include "core/Events.h"

#include <windows.h>

#include <string>
#include <vector>

namespace classlib {

class TControl;
class TActionLink;

class TCustomActionList;
class TCustomImageList;

class TBasicAction : public TComponent {
    CLASSLIB_CLASS(TBasicAction, TComponent)
    explicit TBasicAction(TComponent* owner) : TComponent(owner) {}
    ~TBasicAction() override;

    // Runs OnExecute; false when none is assigned.
    virtual bool Execute();
    // Runs OnUpdate (which sets the action's state); false when none is assigned.
    virtual bool Update();
    // A target-aware action (a hint action, an edit action) acts on the control that says it
    // handles it: HandlesTarget asks, ExecuteTarget and UpdateTarget act.
    virtual bool HandlesTarget(TObject*) { return false; }
    virtual void ExecuteTarget(TObject*) {}
    virtual void UpdateTarget(TObject*) {}
    // The component that ran the action last (the clicked control or menu item).
    TComponent* ActionComponent() const { return actionComponent_; }
    void SetActionComponent(TComponent* value) { actionComponent_ = value; }
    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;

    void RegisterLink(TActionLink* link);
    void UnRegisterLink(TActionLink* link);

protected:
    friend class TCustomActionList;
    // Tells every linked client that a property changed.
    void Change();
    std::vector<TActionLink*> links_;
    TComponent* actionComponent_ = nullptr;
};

// An action that belongs to an action list and carries what its clients show.
class TCustomAction : public TBasicAction {
    CLASSLIB_CLASS(TCustomAction, TBasicAction)
    explicit TCustomAction(TComponent* owner) : TBasicAction(owner) {}
    ~TCustomAction() override;

    // The action list first (its OnExecute), then the application's OnActionExecute, then
    // OnExecute, then the active form's controls that handle the action as a target.
    // A disabled action does nothing; AutoCheck toggles Checked first.
    bool Execute() override;
    // The same chain with the update events.
    bool Update() override;

    TCustomActionList* ActionList() const { return actionList_; }
    void SetActionList(TCustomActionList* value);
    int Index() const;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    // Checking an action of a GroupIndex other than 0 unchecks the others of its group in
    // the same action list.
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    bool AutoCheck() const { return autoCheck_; }
    void SetAutoCheck(bool value) { autoCheck_ = value; }
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value);
    // An image of the action list's Images.
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    WORD ShortCut() const { return shortCut_; }
    void SetShortCut(WORD value);
    const std::string& Category() const { return category_; }
    void SetCategory(const std::string& value) { category_ = value; }

    // TComponent: actions are streamed inside their action list.
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* value) override;

private:
    TCustomActionList* actionList_ = nullptr;
    std::string caption_;
    bool enabled_ = true;
    bool checked_ = false;
    bool autoCheck_ = false;
    int groupIndex_ = 0;
    bool visible_ = true;
    std::string hint_;
    int imageIndex_ = -1;
    WORD shortCut_ = 0;
    std::string category_;
};

class TAction : public TCustomAction {
    CLASSLIB_CLASS(TAction, TCustomAction)
    explicit TAction(TComponent* owner) : TCustomAction(owner) {}
};

// The action the application runs when its Hint changes and OnHint is not assigned; a
// control that shows hints (a status bar) handles it as a target.
class THintAction : public TCustomAction {
    CLASSLIB_CLASS(THintAction, TCustomAction)
    explicit THintAction(TComponent* owner) : TCustomAction(owner) {}
};

using TActionEvent = TEvent<void(TBasicAction* Action, bool& Handled)>;

class TCustomActionList : public TComponent {
    CLASSLIB_CLASS(TCustomActionList, TComponent)
    explicit TCustomActionList(TComponent* owner) : TComponent(owner) {}
    ~TCustomActionList() override;

    int ActionCount() const { return static_cast<int>(actions_.size()); }
    TCustomAction* Actions(int index) const;
    // Images of the actions (their ImageIndex); a reference, cleared when freed.
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* value);
    // OnExecute/OnUpdate of the list; true when they handled the action.
    virtual bool ExecuteAction(TBasicAction* action);
    virtual bool UpdateAction(TBasicAction* action);
    // Runs Update on every action (what the application does when it goes idle).
    void UpdateActions();
    TActionEvent OnExecute;
    TActionEvent OnUpdate;

protected:
    friend class TCustomAction;
    void Notification(TComponent* component, TOperation operation) override;
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;

    std::vector<TCustomAction*> actions_;
    TCustomImageList* images_ = nullptr;
};

class TActionList : public TCustomActionList {
    CLASSLIB_CLASS(TActionList, TCustomActionList)
    explicit TActionList(TComponent* owner) : TCustomActionList(owner) {}
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

// Copies an action's caption, enabled and visible state, hint and click handler to a control,
// and its image index to a control that publishes an integer ImageIndex.
class TControlActionLink : public TActionLink {
public:
    explicit TControlActionLink(TControl* control) : control_(control) {}
    void ActionChanged() override;
    // Whether the control's OnClick is the action's own handler (then the action runs).
    bool IsOnExecuteLinked() const;

private:
    TControl* control_;
};

// Runs the application's hint action for `hint`: the active form's controls that handle it.
void ExecuteHintAction(const std::string& hint);

void RegisterActionClasses();

} // namespace classlib
