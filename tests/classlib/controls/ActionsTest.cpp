// Actions: what linked controls and menu items take over, group and auto-check rules, the
// order in which an action list, the application and the action itself are asked to run it,
// and the application's hint with its hint action.
#include "core/FormText.h"
#include "core/Streams.h"
#include "windows/ActnList.h"
#include "windows/Application.h"
#include "windows/Forms.h"
#include "windows/ImageLists.h"
#include "windows/Menus.h"
#include "windows/StdCtrls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace classlib;

namespace {

struct Recorder : TObject {
    std::vector<std::string> calls;
    bool handle = false;
    void Execute(TObject*) { calls.push_back("action"); }
    void ListExecute(TBasicAction*, bool& handled)
    {
        calls.push_back("list");
        handled = handle;
    }
    void AppExecute(TBasicAction*, bool& handled)
    {
        calls.push_back("application");
        handled = handle;
    }
    void Hint(TObject*) { calls.push_back("hint " + Application->Hint()); }
};

TEST(Actions, LinkedControlsAndMenuItemsFollowTheAction)
{
    TComponent owner(nullptr);
    auto* list = new TActionList(&owner);
    auto* images = new TImageList(&owner);
    list->SetImages(images);
    auto* action = new TAction(&owner);
    action->SetActionList(list);
    action->SetCaption("&Save");
    action->SetHint("Save|Saves the file");
    action->SetImageIndex(3);
    action->SetShortCut(static_cast<WORD>('S' | scCtrl));
    Recorder recorder;
    action->OnExecute = TNotifyEvent(&recorder, &Recorder::Execute);

    auto* button = new TButton(&owner);
    button->SetAction(action);
    auto* menu = new TPopupMenu(&owner);
    auto* item = new TMenuItem(&owner);
    menu->Items()->Add(item);
    item->SetAction(action);

    EXPECT_EQ(button->Caption(), "&Save");
    EXPECT_EQ(button->Hint(), "Save|Saves the file");
    EXPECT_EQ(item->Caption(), "&Save");
    EXPECT_EQ(item->ImageIndex(), 3);
    EXPECT_EQ(item->ShortCut(), static_cast<TShortCut>('S' | scCtrl));

    // Changes of the action reach every client.
    action->SetEnabled(false);
    action->SetChecked(true);
    action->SetImageIndex(5);
    action->SetVisible(false);
    action->SetCaption("Save &all");
    EXPECT_FALSE(button->Enabled());
    EXPECT_FALSE(button->Visible());
    EXPECT_EQ(button->Caption(), "Save &all");
    EXPECT_FALSE(item->Enabled());
    EXPECT_TRUE(item->Checked());
    EXPECT_EQ(item->ImageIndex(), 5);
    EXPECT_FALSE(item->Visible());

    // Clicking a client runs the action.
    action->SetEnabled(true);
    item->Click();
    button->Click();
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"action", "action"}));

    // A freed image list leaves the action list.
    delete images;
    EXPECT_EQ(list->Images(), nullptr);
}

// A text control with an image of an image list, as the styled buttons and labels are.
class TImageCaption : public TGraphicControl {
    CLASSLIB_CLASS(TImageCaption, TGraphicControl)
    explicit TImageCaption(TComponent* owner) : TGraphicControl(owner) {}
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value) { imageIndex_ = value; }

private:
    int imageIndex_ = -1;
};
CLASSLIB_PUBLISH(TImageCaption)
{
    c.Property("ImageIndex", &TImageCaption::ImageIndex, &TImageCaption::SetImageIndex)
        .SetDefault(-1);
}

// A control that shows an image takes the action's image, and follows it, when the action's
// list has images; without them it keeps its own.
TEST(Actions, ControlsWithAnImageTakeTheActionsImage)
{
    TComponent owner(nullptr);
    auto* list = new TActionList(&owner);
    auto* action = new TAction(&owner);
    action->SetActionList(list);
    action->SetImageIndex(3);

    auto* withoutImages = new TImageCaption(&owner);
    withoutImages->SetImageIndex(1);
    withoutImages->SetAction(action);
    EXPECT_EQ(withoutImages->ImageIndex(), 1);

    list->SetImages(new TImageList(&owner));
    auto* control = new TImageCaption(&owner);
    control->SetAction(action);
    EXPECT_EQ(control->ImageIndex(), 3);
    action->SetImageIndex(5);
    EXPECT_EQ(control->ImageIndex(), 5);
    EXPECT_EQ(control->Caption(), "");
}

TEST(Actions, CheckingAnActionOfAGroupUnchecksTheOthersOfItsList)
{
    TComponent owner(nullptr);
    auto* list = new TActionList(&owner);
    auto* other = new TActionList(&owner);
    auto make = [&](TActionList* l, int group) {
        auto* a = new TAction(&owner);
        a->SetActionList(l);
        a->SetGroupIndex(group);
        return a;
    };
    TAction* left = make(list, 1);
    TAction* right = make(list, 1);
    TAction* ungrouped = make(list, 0);
    TAction* elsewhere = make(other, 1);
    for (TAction* a : {left, ungrouped, elsewhere})
        a->SetChecked(true);
    right->SetChecked(true);
    EXPECT_FALSE(left->Checked());
    EXPECT_TRUE(right->Checked());
    EXPECT_TRUE(ungrouped->Checked());
    EXPECT_TRUE(elsewhere->Checked());

    // AutoCheck toggles on execution; a checked action of a group stays checked.
    for (TAction* a : {right, ungrouped})
        a->SetAutoCheck(true);
    right->Execute();
    ungrouped->Execute();
    EXPECT_TRUE(right->Checked());
    EXPECT_FALSE(ungrouped->Checked());
    // A disabled action does not run.
    ungrouped->SetEnabled(false);
    EXPECT_FALSE(ungrouped->Execute());
    EXPECT_FALSE(ungrouped->Checked());
}

TEST(Actions, TheListThenTheApplicationThenTheActionRunIt)
{
    struct Case {
        const char* name;
        bool listHandles;
        bool applicationHandles;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"list handles", true, false, {"list"}},
        {"application handles", false, true, {"list", "application"}},
        {"nobody handles", false, false, {"list", "application", "action"}},
    };
    for (const Case& c : cases) {
        TComponent owner(nullptr);
        Recorder listRecorder, appRecorder, actionRecorder;
        listRecorder.handle = c.listHandles;
        appRecorder.handle = c.applicationHandles;
        auto* list = new TActionList(&owner);
        list->OnExecute = TActionEvent(&listRecorder, &Recorder::ListExecute);
        Application->OnActionExecute = TActionEvent(&appRecorder, &Recorder::AppExecute);
        auto* action = new TAction(&owner);
        action->SetActionList(list);
        action->OnExecute = TNotifyEvent(&actionRecorder, &Recorder::Execute);
        EXPECT_TRUE(action->Execute()) << c.name;
        Application->OnActionExecute = nullptr;
        std::vector<std::string> calls = listRecorder.calls;
        calls.insert(calls.end(), appRecorder.calls.begin(), appRecorder.calls.end());
        calls.insert(calls.end(), actionRecorder.calls.begin(), actionRecorder.calls.end());
        EXPECT_EQ(calls, c.calls) << c.name;
    }
}

// A control that shows the hint actions it is given, as a status bar does.
class THintShower : public TCustomControl {
    CLASSLIB_CLASS(THintShower, TCustomControl)
    explicit THintShower(TComponent* owner) : TCustomControl(owner) {}
    std::vector<std::string> shown;
    bool ExecuteAction(TBasicAction* action) override
    {
        if (auto* hint = dynamic_cast<THintAction*>(action)) {
            shown.push_back(hint->Hint());
            return true;
        }
        return TCustomControl::ExecuteAction(action);
    }
};
CLASSLIB_PUBLISH(THintShower) {}

TEST(Actions, TheApplicationsHintGoesToOnHintOrToTheFormsHintAction)
{
    auto* form = new TForm(nullptr);
    auto* shower = new THintShower(form);
    shower->SetParent(form);
    auto* button = new TButton(form);
    button->SetParent(form);
    button->SetHint("Go|Starts the upload");
    form->Show();
    Application->ProcessMessages();

    // The pointer over a control makes its long hint the application's hint.
    THintManager::Instance().MouseMovedOver(button, POINT{0, 0});
    EXPECT_EQ(Application->Hint(), "Starts the upload");
    THintManager::Instance().MouseMovedOver(nullptr, POINT{0, 0});
    EXPECT_EQ(Application->Hint(), "");
    EXPECT_EQ(shower->shown, (std::vector<std::string>{"Starts the upload", ""}));

    Recorder recorder;
    Application->OnHint = TNotifyEvent(&recorder, &Recorder::Hint);
    Application->SetHint("Ready");
    Application->OnHint = nullptr;
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"hint Ready"}));
    EXPECT_EQ(shower->shown.size(), 2u) << "OnHint takes the hint instead of the hint action";
    Application->SetHint("");
    delete form;
}

TEST(Actions, ActionsStreamInsideTheirList)
{
    const char* text = R"(object Holder: TForm
  object ActionList1: TActionList
    object Connect: TAction
      Caption = '&Connect'
      GroupIndex = 2
      ImageIndex = 1
      Hint = 'Connect|Connects the device'
    end
  end
  object Button1: TButton
    Action = Connect
  end
end
)";
    auto* form = new TForm(nullptr);
    TStringStream stream(ObjectTextToBinary(text));
    form->LoadLayoutFromStream(stream);
    auto* list = static_cast<TActionList*>(form->FindComponent("ActionList1"));
    ASSERT_EQ(list->ActionCount(), 1);
    TCustomAction* action = list->Actions(0);
    EXPECT_EQ(action->Name(), "Connect");
    EXPECT_EQ(action->GroupIndex(), 2);
    EXPECT_EQ(action->ImageIndex(), 1);
    EXPECT_EQ(static_cast<TButton*>(form->FindComponent("Button1"))->Caption(), "&Connect");
    delete form;
}

} // namespace
