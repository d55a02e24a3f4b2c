// Menu plumbing for menu bars that are not native menus: the pop-up list window measures an
// owner-drawn item by its id, its WM_MENUSELECT messages reach listeners (also the closing one
// that a message-filter hook never sees), and a form without a native menu hands Alt, F10 and
// Alt+letter to the control registered as its menu bar.
#include "windows/Application.h"
#include "windows/Forms.h"
#include "windows/Menus.h"
#include "windows/StdCtrls.h"
#include "windows/ThreadHooks.h"

#include <gtest/gtest.h>

#include "GuiTest.h"

#include <vector>

using namespace classlib;

namespace {

struct Measurer {
    void Measure(TObject*, TCanvas*, int& width, int& height)
    {
        width = 77;
        height = 19;
    }
};

TEST(PopupListWindowTest, MeasuresAnOwnerDrawnItemByItsId)
{
    auto* menu = new TPopupMenu(nullptr);
    auto* item = new TMenuItem(menu);
    item->SetCaption("Measured");
    Measurer measurer;
    item->OnMeasureItem = TMenuMeasureItemEvent(&measurer, &Measurer::Measure);
    menu->Items()->Add(item);
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = item->Command();
    measure.itemWidth = 10;
    measure.itemHeight = 10;
    EXPECT_EQ(
        SendMessageA(PopupListWindow(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)),
        TRUE);
    EXPECT_EQ(measure.itemWidth, 77u);
    EXPECT_EQ(measure.itemHeight, 19u);
    menu->Free();
}

TEST(PopupListWindowTest, ListenersSeeTheClosingMenuSelectThatNoMessageFilterSees)
{
    auto* menu = new TPopupMenu(nullptr);
    for (const char* caption : {"One", "Two"}) {
        auto* item = new TMenuItem(menu);
        item->SetCaption(caption);
        menu->Items()->Add(item);
    }
    std::vector<TMessage> heard;
    const int listener = AddMenuSelectListener([&](const TMessage& m) { heard.push_back(m); });
    bool filterSawClose = false;
    bool filterSawMenu = false;
    TThreadHook filter(WH_MSGFILTER, [&](int code, WPARAM w, LPARAM l) {
        const auto* msg = reinterpret_cast<const MSG*>(l);
        if (code == MSGF_MENU) {
            filterSawMenu = true;
            if (msg->message == WM_MENUSELECT && HIWORD(msg->wParam) == 0xFFFF)
                filterSawClose = true;
        }
        return filter.CallNext(code, w, l);
    });
    // The platform's menu loop reads these once the menu is up: select an item, then leave.
    PostMessageA(PopupListWindow(), WM_KEYDOWN, VK_DOWN, 1);
    PostMessageA(PopupListWindow(), WM_KEYDOWN, VK_ESCAPE, 1);
    menu->Popup(200, 200);
    RemoveMenuSelectListener(listener);

    ASSERT_FALSE(heard.empty());
    const TMessage& last = heard.back();
    EXPECT_EQ(HIWORD(last.WParam), 0xFFFF);
    EXPECT_EQ(last.LParam, 0);
    EXPECT_TRUE(filterSawMenu);
    EXPECT_FALSE(filterSawClose);
    // A removed listener hears nothing more.
    const size_t count = heard.size();
    SendMessageA(PopupListWindow(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(heard.size(), count);
    menu->Free();
}

// A control that takes the form's keyboard menu requests, as a toolbar in menu-bar mode does.
class TMenuBarStandIn : public TCustomControl {
    CLASSLIB_CLASS(TMenuBarStandIn, TCustomControl)
    CLASSLIB_MESSAGES()
    explicit TMenuBarStandIn(TComponent* owner) : TCustomControl(owner) {}
    std::vector<LPARAM> keys;

protected:
    void WMSysCommand(TMessage& m)
    {
        if ((m.WParam & 0xFFF0) != SC_KEYMENU)
            return Inherited(TMenuBarStandIn::StaticClass(), m);
        keys.push_back(m.LParam);
        m.Result = 1;
    }
};
CLASSLIB_PUBLISH(TMenuBarStandIn) {}
CLASSLIB_MESSAGE_MAP(TMenuBarStandIn)
{
    m.On(WM_SYSCOMMAND, &TMenuBarStandIn::WMSysCommand);
}

class KeyMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(40, 40, 300, 200);
        bar = new TMenuBarStandIn(form);
        bar->SetParent(form);
        bar->SetBounds(0, 0, 300, 24);
        edit = new TEdit(form);
        edit->SetParent(form);
        edit->SetBounds(10, 40, 100, 24);
        form->SetMenuBarControl(bar);
        form->Show();
        Application->ProcessMessages();
    }
    void TearDown() override { form->Free(); }
    TForm* form = nullptr;
    TMenuBarStandIn* bar = nullptr;
    TEdit* edit = nullptr;
};

TEST_F(KeyMenuTest, AltF10AndAltLetterGoToTheRegisteredMenuBar)
{
    // Alt or F10 alone (key 0), and Alt with a letter, as the form's window receives them.
    SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 0);
    SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
    // Alt+letter typed in a control: the system turns it into SC_KEYMENU for the form.
    SendMessageA(edit->Handle(), WM_SYSCHAR, 'v', 0x20000000);
    EXPECT_EQ(bar->keys, (std::vector<LPARAM>{0, 'f', 'v'}));
}

TEST_F(KeyMenuTest, NothingGoesToTheBarOnceItIsFreedOrWhenTheFormHasANativeMenu)
{
    auto* native = new TMainMenu(form);
    auto* item = new TMenuItem(form);
    item->SetCaption("&File");
    native->Items()->Add(item);
    form->SetMenu(native);
    // The native menu's loop opens File; these leave it again.
    PostMessageA(form->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(form->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
    EXPECT_TRUE(bar->keys.empty());
    form->SetMenu(nullptr);
    bar->Free();
    EXPECT_EQ(form->MenuBarControl(), nullptr);
}

} // namespace
