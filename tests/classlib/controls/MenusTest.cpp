// Menus under Wine: the form's menu bar and its platform entries, menu messages reaching the
// items, shortcuts, pop-up menus driven through the platform's menu loop with posted keys,
// owner drawing, context menus, merging and menus read from a layout.
#include "core/FormText.h"
#include "core/Streams.h"
#include "windows/ActnList.h"
#include "windows/Application.h"
#include "windows/ExtCtrls.h"
#include "windows/Forms.h"
#include "windows/Menus.h"
#include "windows/StdCtrls.h"

#include <gtest/gtest.h>

#include "GuiTest.h"

#include <string>
#include <vector>

using namespace classlib;
using testsupport::PumpUntil;

namespace {

void PumpPending()
{
    Application->ProcessMessages();
}

// Keys the platform's menu loop reads from the queue once the menu is up.
void PostKeys(std::initializer_list<WORD> keys)
{
    for (WORD key : keys)
        PostMessageA(PopupListWindow(), WM_KEYDOWN, key, 1);
}

std::string MenuText(HMENU menu, UINT position)
{
    char text[128] = {};
    GetMenuStringA(menu, position, text, sizeof(text), MF_BYPOSITION);
    return text;
}

UINT MenuType(HMENU menu, UINT position)
{
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(menu, position, TRUE, &info);
    return info.fType;
}

// Records which items were clicked, by name.
struct ClickLog : TObject {
    std::vector<std::string> clicks;
    void Clicked(TObject* sender) { clicks.push_back(static_cast<TComponent*>(sender)->Name()); }
};

TMenuItem* NewItem(TComponent* owner, TMenuItem* parent, const std::string& name,
                   const std::string& caption, ClickLog* log = nullptr)
{
    auto* item = new TMenuItem(owner);
    item->SetName(name);
    item->SetCaption(caption);
    if (log)
        item->OnClick = TNotifyEvent(log, &ClickLog::Clicked);
    parent->Add(item);
    return item;
}

// A form with a menu bar: File (Open Ctrl+O, a line, a disabled Exit, a hidden Secret) and
// View (two radio items of one group, a default item), and an edit that has the focus.
class MenuFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(40, 40, 320, 200);
        menu = new TMainMenu(form);
        file = NewItem(form, menu->Items(), "File", "&File", &log);
        open = NewItem(form, file, "Open", "&Open", &log);
        open->SetShortCut(ShortCut('O', TShiftState{ssCtrl}));
        open->SetHint("Open|Opens a file");
        NewItem(form, file, "Line", "-");
        exitItem = NewItem(form, file, "Exit", "E&xit", &log);
        exitItem->SetEnabled(false);
        secret = NewItem(form, file, "Secret", "Secret", &log);
        secret->SetVisible(false);
        view = NewItem(form, menu->Items(), "View", "&View", &log);
        small = NewItem(form, view, "Small", "&Small", &log);
        large = NewItem(form, view, "Large", "&Large", &log);
        for (TMenuItem* item : {small, large}) {
            item->SetRadioItem(true);
            item->SetGroupIndex(1);
        }
        large->SetChecked(true);
        details = NewItem(form, view, "Details", "&Details", &log);
        details->SetDefault(true);
        details->SetShortCut(ShortCut('D', TShiftState{ssAlt}));
        form->SetMenu(menu);
        edit = new TEdit(form);
        edit->SetParent(form);
        form->Show();
        edit->SetFocus();
        PumpPending();
    }
    void TearDown() override { delete form; }

    ClickLog log;
    TForm* form = nullptr;
    TMainMenu* menu = nullptr;
    TMenuItem *file, *open, *exitItem, *secret, *view, *small, *large, *details;
    TEdit* edit = nullptr;
};

TEST_F(MenuFormTest, TheBarAndItsDropDownsHoldTheVisibleItemsWithTheirState)
{
    HMENU bar = GetMenu(form->Handle());
    ASSERT_EQ(bar, menu->Handle());
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    EXPECT_EQ(MenuText(bar, 0), "&File");
    EXPECT_EQ(GetSubMenu(bar, 0), file->Handle());

    HMENU fileMenu = file->Handle();
    ASSERT_EQ(GetMenuItemCount(fileMenu), 3) << "the hidden item is not shown";
    EXPECT_EQ(MenuText(fileMenu, 0), "&Open\tCtrl+O");
    EXPECT_TRUE(MenuType(fileMenu, 1) & MFT_SEPARATOR);
    EXPECT_TRUE(GetMenuState(fileMenu, 2, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_EQ(GetMenuItemID(fileMenu, 0), open->Command());

    HMENU viewMenu = view->Handle();
    EXPECT_FALSE(GetMenuState(viewMenu, 0, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(viewMenu, 1, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_TRUE(MenuType(viewMenu, 1) & MFT_RADIOCHECK);
    EXPECT_EQ(GetMenuDefaultItem(viewMenu, TRUE, 0), 2u);
    EXPECT_EQ(MenuText(viewMenu, 2), "&Details\tAlt+D");

    // Checking a radio item unchecks the other of its group, in the platform menu too.
    small->SetChecked(true);
    EXPECT_FALSE(large->Checked());
    EXPECT_TRUE(GetMenuState(viewMenu, 0, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(viewMenu, 1, MF_BYPOSITION) & MF_CHECKED);

    // Changes reach the entries at once.
    secret->SetVisible(true);
    exitItem->SetCaption("&Quit");
    EXPECT_EQ(GetMenuItemCount(fileMenu), 4);
    EXPECT_EQ(MenuText(fileMenu, 2), "&Quit");
    delete secret;
    EXPECT_EQ(GetMenuItemCount(fileMenu), 3);
    // Items added to a shown menu appear at their place; an item that gets its first
    // sub-item becomes a sub-menu.
    TMenuItem* save = new TMenuItem(form);
    save->SetCaption("&Save");
    file->Insert(1, save);
    EXPECT_EQ(MenuText(fileMenu, 1), "&Save");
    NewItem(form, save, "AsText", "As &text");
    EXPECT_EQ(GetSubMenu(fileMenu, 1), save->Handle());
    EXPECT_EQ(GetMenuItemCount(save->Handle()), 1);
}

TEST_F(MenuFormTest, MenuMessagesReachTheirItems)
{
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(open->Command(), 0), 0);
    SendMessageA(form->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view->Handle()),
                 MAKELPARAM(1, 0));
    // A disabled item does not run.
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(exitItem->Command(), 0), 0);
    EXPECT_EQ(log.clicks, (std::vector<std::string>{"Open", "View"}));

    // Selecting an item shows the long part of its hint as the application's hint.
    SendMessageA(form->Handle(), WM_MENUSELECT, MAKEWPARAM(open->Command(), MF_HILITE),
                 reinterpret_cast<LPARAM>(file->Handle()));
    EXPECT_EQ(Application->Hint(), "Opens a file");
    SendMessageA(form->Handle(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(Application->Hint(), "");
}

TEST_F(MenuFormTest, ShortcutsRunTheirItemWhileAControlHasTheFocus)
{
    BYTE keys[256] = {};
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    PostMessageA(edit->Handle(), WM_KEYDOWN, 'O', 1);
    PumpPending();
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    // Alt+D comes as a system key with the Alt bit in the key data.
    PostMessageA(edit->Handle(), WM_SYSKEYDOWN, 'D', 1 | (1 << 29));
    PumpPending();
    // Without Ctrl, O is text for the edit.
    PostMessageA(edit->Handle(), WM_KEYDOWN, 'O', 1);
    PumpPending();
    EXPECT_EQ(log.clicks, (std::vector<std::string>{"Open", "Details"}));
}

TEST(Menus, ShortcutTextRoundTrips)
{
    struct Case {
        TShortCut shortCut;
        const char* text;
    };
    const Case cases[] = {
        {static_cast<TShortCut>('O' | scCtrl), "Ctrl+O"},
        {static_cast<TShortCut>(VK_F5 | scCtrl | scShift), "Shift+Ctrl+F5"},
        {static_cast<TShortCut>(VK_DELETE), "Del"},
        {static_cast<TShortCut>('X' | scAlt), "Alt+X"},
        {static_cast<TShortCut>(VK_RETURN | scShift | scCtrl | scAlt), "Shift+Ctrl+Alt+Enter"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShortCutToText(c.shortCut), c.text);
        EXPECT_EQ(TextToShortCut(c.text), c.shortCut) << c.text;
    }
    EXPECT_EQ(TextToShortCut("ctrl+o"), static_cast<TShortCut>('O' | scCtrl));
    EXPECT_EQ(TextToShortCut("Ctrl+Nothing"), scNone);
    EXPECT_EQ(ShortCutToText(scNone), "");
}

// A pop-up menu of three items; the owner-drawn variant records what it is asked to draw.
class PopupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner = new TComponent(nullptr);
        popup = new TPopupMenu(owner);
        popup->OnPopup = TNotifyEvent(this, &PopupTest::Popped);
        alpha = NewItem(owner, popup->Items(), "Alpha", "&Alpha", &log);
        beta = NewItem(owner, popup->Items(), "Beta", "&Beta", &log);
        gamma = NewItem(owner, popup->Items(), "Gamma", "&Gamma", &log);
    }
    void TearDown() override { delete owner; }
    void Popped(TObject* sender) { popups.push_back(sender); }
    void Measure(TObject*, TCanvas*, int& width, int& height)
    {
        width = 120;
        height = 40;
    }
    void Draw(TObject* sender, TCanvas* canvas, RECT rect, TOwnerDrawState)
    {
        drawnHeights.push_back(rect.bottom - rect.top);
        GetWindowRect(WindowFromDC(canvas->Handle()), &menuWindow);
        drawn.push_back(static_cast<TComponent*>(sender)->Name());
    }
    void OwnerDrawn()
    {
        for (TMenuItem* item : {alpha, beta, gamma}) {
            item->OnMeasureItem = TMenuMeasureItemEvent(this, &PopupTest::Measure);
            item->OnAdvancedDrawItem = TAdvancedMenuDrawItemEvent(this, &PopupTest::Draw);
        }
    }

    ClickLog log;
    std::vector<TObject*> popups;
    std::vector<int> drawnHeights;
    std::vector<std::string> drawn;
    RECT menuWindow{};
    TComponent* owner = nullptr;
    TPopupMenu* popup = nullptr;
    TMenuItem *alpha, *beta, *gamma;
};

TEST_F(PopupTest, TheChosenItemRunsAfterThePopUp)
{
    PostKeys({VK_DOWN, VK_DOWN, VK_RETURN});
    popup->Popup(200, 200);
    EXPECT_EQ(popups, (std::vector<TObject*>{popup}));
    EXPECT_EQ(popup->PopupPoint().x, 200);
    ASSERT_TRUE(PumpUntil([&] { return !log.clicks.empty(); }));
    EXPECT_EQ(log.clicks, (std::vector<std::string>{"Beta"}));

    // Escape closes the menu and runs nothing.
    log.clicks.clear();
    PostKeys({VK_DOWN, VK_ESCAPE});
    popup->Popup(200, 200);
    PumpPending();
    EXPECT_TRUE(log.clicks.empty());
}

TEST_F(PopupTest, OwnerDrawnItemsAreMeasuredDrawnAndChosenByTheirAccelerator)
{
    OwnerDrawn();
    // Owner-drawn items have no text the platform could search: the typed accelerator comes
    // back as WM_MENUCHAR and the item is found by its caption.
    PostMessageA(PopupListWindow(), WM_CHAR, 'g', 1);
    popup->Popup(100, 100);
    ASSERT_TRUE(PumpUntil([&] { return !log.clicks.empty(); }));
    EXPECT_EQ(log.clicks, (std::vector<std::string>{"Gamma"}));
    ASSERT_FALSE(drawn.empty());
    for (int height : drawnHeights)
        EXPECT_EQ(height, 40);
    EXPECT_EQ(MenuType(popup->Handle(), 0) & MFT_OWNERDRAW, static_cast<UINT>(MFT_OWNERDRAW));
}

TEST_F(PopupTest, AlignmentPlacesTheMenuAroundThePoint)
{
    OwnerDrawn();
    struct Case {
        TPopupAlignment alignment;
        const char* name;
    };
    for (const Case& c : {Case{paLeft, "left"}, Case{paRight, "right"}, Case{paCenter, "center"}}) {
        popup->SetAlignment(c.alignment);
        menuWindow = RECT{};
        PostKeys({VK_ESCAPE});
        popup->Popup(600, 300);
        PumpPending();
        ASSERT_NE(menuWindow.right, 0) << c.name;
        switch (c.alignment) {
            case paLeft:
                EXPECT_EQ(menuWindow.left, 600) << c.name;
                break;
            case paRight:
                EXPECT_EQ(menuWindow.right, 600) << c.name;
                break;
            case paCenter:
                EXPECT_EQ((menuWindow.left + menuWindow.right) / 2, 600) << c.name;
                break;
        }
    }
}

TEST_F(PopupTest, ARightClickOnAControlShowsItsPopUpMenu)
{
    auto* form = new TForm(owner);
    form->SetBounds(50, 50, 300, 200);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 200, 100);
    panel->SetPopupMenu(popup);
    form->Show();
    PumpPending();
    const POINT inside = panel->ClientToScreen(POINT{10, 10});

    PostKeys({VK_ESCAPE});
    SendMessageA(panel->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel->Handle()),
                 MAKELPARAM(inside.x, inside.y));
    EXPECT_EQ(popups.size(), 1u);
    EXPECT_EQ(popup->PopupComponent(), panel);
    EXPECT_EQ(popup->PopupPoint().x, inside.x);

    // OnContextPopup sees the point in client coordinates and may keep the menu closed.
    POINT seen{};
    struct Veto : TObject {
        POINT* seen;
        void Handle(TObject*, POINT pos, bool& handled)
        {
            *seen = pos;
            handled = true;
        }
    } veto;
    veto.seen = &seen;
    panel->OnContextPopup = TContextPopupEvent(&veto, &Veto::Handle);
    SendMessageA(panel->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel->Handle()),
                 MAKELPARAM(inside.x, inside.y));
    EXPECT_EQ(popups.size(), 1u);
    EXPECT_EQ(seen.x, 10);
    EXPECT_EQ(seen.y, 10);

    // Without AutoPopup nothing shows.
    panel->OnContextPopup = nullptr;
    popup->SetAutoPopup(false);
    SendMessageA(panel->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel->Handle()),
                 MAKELPARAM(inside.x, inside.y));
    EXPECT_EQ(popups.size(), 1u);
}

TEST_F(PopupTest, AGraphicControlUnderThePointerGetsTheContextMenuFirst)
{
    auto* form = new TForm(owner);
    form->SetBounds(50, 50, 300, 200);
    auto* image = new TImage(form);
    image->SetParent(form);
    image->SetBounds(20, 20, 50, 50);
    image->SetPopupMenu(popup);
    auto* other = new TPopupMenu(owner);
    form->SetPopupMenu(other);
    form->Show();
    PumpPending();
    const POINT onImage = form->ClientToScreen(POINT{30, 30});
    PostKeys({VK_ESCAPE});
    SendMessageA(form->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form->Handle()),
                 MAKELPARAM(onImage.x, onImage.y));
    EXPECT_EQ(popups.size(), 1u);
    EXPECT_EQ(popup->PopupComponent(), image);
}

TEST(Menus, MergingReplacesAndOrdersBarItemsByGroup)
{
    TComponent owner(nullptr);
    auto bar = [](TMainMenu* menu) {
        std::vector<std::string> captions;
        HMENU handle = menu->Handle();
        for (int i = 0; i < GetMenuItemCount(handle); ++i)
            captions.push_back(MenuText(handle, static_cast<UINT>(i)));
        return captions;
    };
    auto* main = new TMainMenu(&owner);
    auto* child = new TMainMenu(&owner);
    struct Entry {
        TMainMenu* menu;
        const char* caption;
        int group;
    };
    const Entry entries[] = {
        {main, "File", 0},      {main, "Edit", 1},   {main, "Window", 9},
        {child, "Document", 1}, {child, "Tools", 5},
    };
    for (const Entry& e : entries)
        NewItem(&owner, e.menu->Items(), "", e.caption)->SetGroupIndex(e.group);

    main->Merge(child);
    EXPECT_EQ(bar(main), (std::vector<std::string>{"File", "Document", "Tools", "Window"}));
    // A change of a merged item reaches the bar it is merged into.
    child->Items()->Items(1)->SetCaption("Extras");
    EXPECT_EQ(bar(main), (std::vector<std::string>{"File", "Document", "Extras", "Window"}));
    main->Unmerge(child);
    EXPECT_EQ(bar(main), (std::vector<std::string>{"File", "Edit", "Window"}));
    // A merged menu that is freed leaves the bar.
    main->Merge(child);
    delete child;
    EXPECT_EQ(bar(main), (std::vector<std::string>{"File", "Edit", "Window"}));
}

TEST(Menus, TheItemTreeRejectsWhatCannotBeAMenu)
{
    TComponent owner(nullptr);
    auto* menu = new TPopupMenu(&owner);
    TMenuItem* a = NewItem(&owner, menu->Items(), "A", "A");
    TMenuItem* b = NewItem(&owner, a, "B", "B");
    EXPECT_THROW(menu->Items()->Add(b), EMenuError); // already in a menu
    a->Remove(b);
    EXPECT_THROW(b->Add(b), EMenuError); // itself
    EXPECT_THROW(menu->Items()->Items(5), EMenuError);
    delete b;
    EXPECT_EQ(a->Count(), 0);
}

// Menus stream inside a form's layout: items nest in their menu and parent items, and the
// form's Menu and a control's PopupMenu are references.
class TMenuLayoutForm : public TForm {
    CLASSLIB_CLASS(TMenuLayoutForm, TForm)
    explicit TMenuLayoutForm(TComponent* owner) : TForm(owner) {}
    int opened = 0;
    void OpenClick(TObject*) { ++opened; }
};

CLASSLIB_PUBLISH(TMenuLayoutForm)
{
    c.Method("OpenClick", &TMenuLayoutForm::OpenClick);
}

TEST(Menus, AMenuReadFromALayoutIsTheFormsBar)
{
    RegisterClasses({&TMenuLayoutForm::StaticClass()});
    const char* text = R"(object MenuLayoutForm: TMenuLayoutForm
  Caption = 'Menus'
  Menu = MainMenu1
  object Panel1: TPanel
    Width = 100
    Height = 50
    PopupMenu = PopupMenu1
  end
  object MainMenu1: TMainMenu
    object File1: TMenuItem
      Caption = '&File'
      object Open1: TMenuItem
        Caption = '&Open...'
        ShortCut = 16463
        OnClick = OpenClick
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object Recent1: TMenuItem
        Caption = '&Recent'
        object First1: TMenuItem
          Caption = 'First'
          Checked = True
          RadioItem = True
        end
      end
    end
  end
  object PopupMenu1: TPopupMenu
    Alignment = paCenter
    object Copy1: TMenuItem
      Caption = '&Copy'
    end
  end
end
)";
    auto* form = new TMenuLayoutForm(nullptr);
    TStringStream stream(ObjectTextToBinary(text));
    form->LoadLayoutFromStream(stream);
    auto* menu = static_cast<TMainMenu*>(form->FindComponent("MainMenu1"));
    auto* popup = static_cast<TPopupMenu*>(form->FindComponent("PopupMenu1"));
    ASSERT_EQ(form->Menu(), menu);
    EXPECT_EQ(static_cast<TPanel*>(form->FindComponent("Panel1"))->PopupMenu(), popup);
    EXPECT_EQ(popup->Alignment(), paCenter);
    ASSERT_EQ(menu->Items()->Count(), 1);
    TMenuItem* file = menu->Items()->Items(0);
    ASSERT_EQ(file->Count(), 3);
    EXPECT_EQ(file->Items(2)->Items(0)->Name(), "First1");
    EXPECT_EQ(popup->Items()->Items(0)->Caption(), "&Copy");

    form->Show();
    HMENU bar = GetMenu(form->Handle());
    ASSERT_EQ(bar, menu->Handle());
    EXPECT_EQ(MenuText(GetSubMenu(bar, 0), 0), "&Open...\tCtrl+O");
    EXPECT_TRUE(GetMenuState(GetSubMenu(GetSubMenu(bar, 0), 2), 0, MF_BYPOSITION) & MF_CHECKED);
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(file->Items(0)->Command(), 0), 0);
    EXPECT_EQ(form->opened, 1);
    delete form;
}

} // namespace
