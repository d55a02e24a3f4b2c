// Toolbar items through a form stream (menu buttons and separators read back with every
// published property, values at their streaming defaults not written) and the button's action
// link in both directions (the action's state onto the button; the button's press and group
// onto the action).
#include "toolbar/AdvDockPanel.h"
#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvToolBarItems.h"

#include "GuiTest.h"

#include "core/ComponentStream.h"
#include "core/FormText.h"
#include "core/Streams.h"
#include "menus/AdvMenus.h"
#include "windows/ActnList.h"
#include "windows/Application.h"
#include "windows/Forms.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

using namespace classlib;
using namespace toolbar;

namespace {

// A form with a toolbar, a drop-down menu and an action list, named so that streams resolve.
struct ItemsForm {
    ItemsForm()
    {
        RegisterDockClasses();
        RegisterToolBarItemClasses();
        RegisterActionClasses();
        menus::RegisterAdvMenuClasses();
        form = new TForm(nullptr);
        form->SetName("Holder");
        form->SetBounds(100, 100, 500, 200);
        bar = new TAdvCustomToolBar(form);
        bar->SetName("Bar");
        bar->SetParent(form);
    }
    ~ItemsForm()
    {
        form->Free();
        Application->ProcessMessages();
    }
    template <class T>
    T* Find(const char* name) const
    {
        return dynamic_cast<T*>(form->FindComponent(name));
    }
    TForm* form;
    TAdvCustomToolBar* bar;
};

std::string Save(TComponent* root)
{
    TStringStream stream;
    WriteComponentToStream(stream, root);
    return stream.DataString();
}

// Writes `item` and reads the stream into `into` (a fresh item of the same class and name).
// The item is the stream's root: the class library writes no child controls of a control.
void RoundTrip(TComponent* item, TComponent* into)
{
    TStringStream stream(Save(item));
    ReadComponentFromStream(stream, into);
}

template <class T>
T* NewItem(ItemsForm& f, const char* name)
{
    auto* item = new T(f.form);
    item->SetName(name);
    item->SetParent(f.bar);
    return item;
}

TEST(ToolBarItemsStream, EveryPublishedPropertyComesBack)
{
    ItemsForm from;
    auto* menu = new menus::TAdvPopupMenu(from.form);
    menu->SetName("Menu1");
    auto* b = NewItem<TAdvToolBarMenuButton>(from, "Open");
    b->SetCaption("Open file");
    b->SetHint("Opens a file");
    b->SetGlyphPosition(gpTop);
    b->SetDropDownButton(true);
    b->SetDropDownSplit(false);
    b->SetDropDownMenu(menu);
    b->SetGroupIndex(3);
    b->SetDown(true);
    b->SetImageIndex(2);
    b->SetParentStyler(false);
    b->SetPosition(daLeft);
    b->SetShaded(false);
    b->SetShowCaption(true);
    b->SetEnabled(false);
    b->OfficeHint()->SetTitle("Open");
    b->Appearance()->SetBorderHotColor(clRed);
    TBitmap glyph;
    glyph.SetSize(4, 4);
    glyph.Canvas()->SetPixel(1, 2, clLime);
    b->SetGlyph(&glyph);
    glyph.Canvas()->SetPixel(1, 2, clBlue);
    b->SetGlyphHot(&glyph);
    auto* sep = NewItem<TAdvToolBarSeparator>(from, "Sep");
    sep->SetSeparatorStyle(ssBlank);
    sep->SetLineColor(clRed);

    ItemsForm to;
    auto* r = NewItem<TAdvToolBarMenuButton>(to, "Open");
    auto* rs = NewItem<TAdvToolBarSeparator>(to, "Sep");
    RoundTrip(b, r);
    RoundTrip(sep, rs);

    struct Case {
        const char* property;
        std::function<bool()> same;
    };
    const Case cases[] = {
        {"Caption", [&] { return r->Caption() == "Open file"; }},
        {"Hint", [&] { return r->Hint() == "Opens a file"; }},
        {"GlyphPosition", [&] { return r->GlyphPosition() == gpTop; }},
        {"DropDownButton", [&] { return r->DropDownButton(); }},
        {"DropDownSplit", [&] { return !r->DropDownSplit(); }},
        {"DropDownMenu", [&] { return r->DropDownMenu() == menu; }},
        {"GroupIndex", [&] { return r->GroupIndex() == 3; }},
        {"Down", [&] { return r->Down(); }},
        {"ImageIndex", [&] { return r->ImageIndex() == 2; }},
        {"ParentStyler", [&] { return !r->ParentStyler(); }},
        {"Position", [&] { return r->Position() == daLeft; }},
        {"Shaded", [&] { return !r->Shaded(); }},
        {"ShowCaption", [&] { return r->ShowCaption(); }},
        {"Enabled", [&] { return !r->Enabled(); }},
        {"OfficeHint", [&] { return r->OfficeHint()->Title() == "Open"; }},
        {"Appearance", [&] { return r->Appearance()->BorderHotColor() == clRed; }},
        {"Glyph",
         [&] { return r->Glyph()->Width() == 4 && r->Glyph()->Canvas()->Pixel(1, 2) == clLime; }},
        {"GlyphHot", [&] { return r->GlyphHot()->Canvas()->Pixel(1, 2) == clBlue; }},
        {"Version", [&] { return r->Version() == "3.1.4.0"; }},
        {"SeparatorStyle", [&] { return rs->SeparatorStyle() == ssBlank; }},
        {"LineColor", [&] { return rs->LineColor() == clRed; }},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(c.same()) << c.property << " did not come back";
}

TEST(ToolBarItemsStream, DefaultsAreNotWritten)
{
    ItemsForm from;
    const std::string text =
        ObjectBinaryToText(Save(NewItem<TAdvToolBarMenuButton>(from, "Plain"))) +
        ObjectBinaryToText(Save(NewItem<TAdvToolBarSeparator>(from, "Sep")));
    for (const char* property :
         {"GlyphPosition =", "DropDownButton =", "DropDownSplit =", "GroupIndex =", "Down =",
          "ImageIndex =", "ParentStyler =", "Shaded =", "ShowCaption =", "SeparatorStyle ="})
        EXPECT_EQ(text.find(property), std::string::npos) << property << " written\n" << text;
    // Without a streaming default the separator's line colour is always written.
    EXPECT_NE(text.find("LineColor ="), std::string::npos) << text;
}

TEST(ToolBarItemsStream, AReadVersionIsIgnored)
{
    ItemsForm to;
    auto* b = NewItem<TAdvToolBarMenuButton>(to, "Old");
    TStringStream stream(ObjectTextToBinary(R"(object Old: TAdvToolBarMenuButton
  Version = '1.0.0.0'
  GroupIndex = 1
  Down = True
end
)"));
    ReadComponentFromStream(stream, b);
    EXPECT_EQ(b->Version(), "3.1.4.0");
    EXPECT_TRUE(b->Down()) << "a Down read from the stream is applied after loading";
}

// ---- the action link ----

struct RunCounter {
    int runs = 0;
    void Run(TObject*) { ++runs; }
};

class ButtonActionLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        list = new TActionList(f.form);
        a = NewAction("Bold");
        b = NewButton();
        b->SetAction(a);
    }
    TAction* NewAction(const char* caption)
    {
        auto* action = new TAction(f.form);
        action->SetActionList(list);
        action->SetCaption(caption);
        return action;
    }
    TAdvToolBarMenuButton* NewButton()
    {
        auto* button = new TAdvToolBarMenuButton(f.form);
        button->SetLeft(1000);
        button->SetParent(f.bar);
        return button;
    }
    // A press and release on the toolbar's window inside the button.
    void Click(TControl* c)
    {
        const HWND h = f.bar->Handle();
        const LPARAM at = MAKELPARAM(c->Left() + 3, c->Top() + 3);
        SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(h, WM_LBUTTONUP, 0, at);
    }
    ItemsForm f;
    TActionList* list = nullptr;
    TAction* a = nullptr;
    TAdvToolBarMenuButton* b = nullptr;
};

TEST_F(ButtonActionLink, TheButtonUsesTheToolBarButtonLink)
{
    ASSERT_NE(b->Action(), nullptr);
    EXPECT_EQ(b->Action(), a);
    EXPECT_EQ(b->Caption(), "Bold");
}

TEST_F(ButtonActionLink, ActionStateFollowsOntoTheButton)
{
    a->SetCaption("Italic");
    EXPECT_EQ(b->Caption(), "Italic");
    a->SetHint("Slants the text");
    EXPECT_EQ(b->Hint(), "Slants the text");
    a->SetEnabled(false);
    EXPECT_FALSE(b->Enabled());
    a->SetVisible(false);
    EXPECT_FALSE(b->Visible());
    a->SetImageIndex(5);
    EXPECT_EQ(b->ImageIndex(), 5);
    a->SetGroupIndex(2);
    EXPECT_EQ(b->GroupIndex(), 2);
    a->SetChecked(true);
    EXPECT_TRUE(b->Down()) << "a checked action holds its grouped button down";
}

TEST_F(ButtonActionLink, GroupAndCheckedFollowOnlyWhileTheButtonShowsTheAction)
{
    a->SetGroupIndex(2);
    ASSERT_EQ(b->GroupIndex(), 2);
    // A button that shows the action's group follows a change of it.
    a->SetGroupIndex(3);
    EXPECT_EQ(b->GroupIndex(), 3);
    // The button's own group, set apart from the action, is kept.
    b->SetGroupIndex(7);
    a->SetGroupIndex(4);
    EXPECT_EQ(b->GroupIndex(), 7);
    // A button pressed down by the user while its action stays unchecked stays down when
    // another of the action's properties changes.
    b->SetDown(true);
    ASSERT_FALSE(a->Checked());
    a->SetCaption("Other");
    EXPECT_TRUE(b->Down());
}

TEST_F(ButtonActionLink, AClickRunsTheActionAndARaisedGroupMemberUnchecksItsAction)
{
    RunCounter counter;
    a->OnExecute = TNotifyEvent(&counter, &RunCounter::Run);
    b->SetAction(nullptr);
    b->SetAction(a); // OnClick becomes the action's handler
    f.form->Show();
    Click(b);
    EXPECT_EQ(counter.runs, 1);

    a->SetGroupIndex(1);
    a->SetChecked(true);
    ASSERT_TRUE(b->Down());
    auto* other = NewButton();
    other->SetGroupIndex(1);
    other->SetDown(true);
    EXPECT_FALSE(b->Down());
    EXPECT_FALSE(a->Checked()) << "the raised button's action is unchecked";
}

TEST_F(ButtonActionLink, AFreedActionLeavesTheButton)
{
    a->Free();
    EXPECT_EQ(b->Action(), nullptr);
    EXPECT_EQ(b->Caption(), "Bold");
}

} // namespace
