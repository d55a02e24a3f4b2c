// The option selector window, the control selector panel, the "Customize" entry and the "Add
// or Remove Buttons" pop-up as real windows: their geometry from measured text, their pixels,
// hiding on deactivation (the hide timers stepped by calling their handlers), showing and
// hiding a toolbar's button from the pop-up, and a click elsewhere closing the whole chain.
#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvToolBarItems.h"
#include "toolbar/OptionSelectorWindow.h"
#include "toolbar/ToolBarPopupWindow.h"

#include "GuiTest.h"

#include "menus/AdvMenuStyler.h"
#include "menus/AdvMenus.h"
#include "windows/Application.h"
#include "windows/Forms.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace classlib;
using namespace toolbar;
using testsupport::Dib;

namespace {

// The width of `text` in Tahoma 8 points, measured with a font of the test's own.
int TahomaWidth(const std::string& text)
{
    HDC dc = GetDC(nullptr);
    const int height = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
    HFONT font =
        CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return size.cx;
}

// A customizer that counts its runs.
class Customizer : public TComponent, public IToolBarCustomizer {
public:
    explicit Customizer(TComponent* owner) : TComponent(owner) {}
    std::string CustomizeText() const override { return "Customize"; }
    void Customize() override { ++runs; }
    int runs = 0;
};

void Tick(TTimer* timer)
{
    ASSERT_TRUE(timer->Enabled());
    timer->OnTimer()(timer);
}

class OptionSelector : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetCursorPos(0, 0);
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 500, 200);
        form->Show();
        window = new TOptionSelectorWindow(form);
        ConfigureDropDownForm(window, form, 10, 10);
        panel = new TControlSelectorPanel(window);
        panel->SetParent(window);
        window->SetOptionsPanel(panel);
    }
    void TearDown() override
    {
        form->Free();
        Application->ProcessMessages();
    }
    TPanel* Control(int width, int height)
    {
        auto* c = new TPanel(form);
        c->SetBounds(0, 0, width, height);
        return c;
    }

    TForm* form = nullptr;
    TOptionSelectorWindow* window = nullptr;
    TControlSelectorPanel* panel = nullptr;
};

} // namespace

TEST_F(OptionSelector, ControlSelectorPlacesControlsInRowsAndEntriesBelow)
{
    // Widths 40, 40 and 60 in the default row width 130: two share the first row, the third
    // (wider than 130 - 83) starts a second one; the panel is 130 + 2 x 3 wide.
    TPanel* a = Control(40, 22);
    TPanel* b = Control(40, 22);
    TPanel* c = Control(60, 20);
    for (TPanel* p : {a, b, c})
        EXPECT_GE(panel->AddControl(p), 0);
    EXPECT_EQ(panel->AddControl(a), 0); // already listed
    EXPECT_EQ(panel->AddControl(nullptr), -1);
    EXPECT_EQ(a->Parent(), panel);
    panel->SetShowAddRemove(true);
    panel->Arrange();
    window->UpdateSize();
    EXPECT_EQ(a->Left(), 3);
    EXPECT_EQ(b->Left(), 43);
    EXPECT_EQ(a->Top(), 3);
    EXPECT_EQ(c->Left(), 3);
    EXPECT_EQ(c->Top(), 25);
    EXPECT_EQ(panel->Width(), 136);
    // Rows 42 high, the gap of 8 and one entry of 20, with both margins.
    EXPECT_EQ(panel->Height(), 3 + 42 + 8 + 20 + 3);
    const RECT& e = panel->AddRemoveItem().Bounds;
    EXPECT_EQ(e.left, 3);
    EXPECT_EQ(e.right, 133);
    EXPECT_EQ(e.bottom, panel->Height() - 3);
    EXPECT_EQ(window->Width(), 136);
    EXPECT_EQ(window->Height(), panel->Height());
}

TEST_F(OptionSelector, EntriesAloneAndTheirWidthFromLongCaptions)
{
    auto* customizer = new Customizer(form);
    panel->SetCustomizer(customizer);
    panel->SetShowAddRemove(true);
    panel->UpdateEntryWidths();
    panel->Arrange();
    // No controls: no gap.
    EXPECT_EQ(panel->Height(), 3 + 20 + 20 + 3);
    EXPECT_EQ(panel->OptionsItem().Bounds.bottom, panel->AddRemoveItem().Bounds.top);
    const std::string longer = "Options of a toolbar with a rather long caption indeed";
    panel->SetOptionsCaption(longer);
    panel->Arrange();
    EXPECT_EQ(panel->Width(), TahomaWidth(longer) + 15 + 6);
    EXPECT_FALSE(panel->IsEmpty());
    panel->SetCustomizer(nullptr);
    panel->SetShowAddRemove(false);
    EXPECT_TRUE(panel->IsEmpty());
}

TEST_F(OptionSelector, PanelIsFlatOrAGradientUnderAGreyBorder)
{
    panel->SetShowAddRemove(false);
    panel->SetBounds(0, 0, 60, 40);
    panel->SetColor(0x00FF00); // green
    Dib flat(60, 40, 0);
    panel->Perform(WM_PAINT, reinterpret_cast<WPARAM>(flat.dc()), 0);
    EXPECT_EQ(flat.Pixel(0, 20), 0x808080u);
    EXPECT_EQ(flat.Pixel(59, 20), 0x808080u);
    EXPECT_EQ(flat.Pixel(30, 0), 0x808080u);
    EXPECT_EQ(flat.Pixel(30, 39), 0x808080u);
    EXPECT_EQ(flat.Pixel(30, 20), 0x00FF00u);
    panel->SetColorTo(0x0000FF); // red, horizontal: green on the left, red on the right
    Dib gradient(60, 40, 0);
    panel->Perform(WM_PAINT, reinterpret_cast<WPARAM>(gradient.dc()), 0);
    // 40 bands: the first one near green, the last one near red.
    const uint32_t left = gradient.Pixel(2, 20), right = gradient.Pixel(57, 20);
    EXPECT_GT((left >> 8) & 0xFF, 0xE0u);
    EXPECT_LT((left >> 16) & 0xFF, 0x20u);
    EXPECT_GT((right >> 16) & 0xFF, 0xE0u);
    EXPECT_LT((right >> 8) & 0xFF, 0x20u);
    EXPECT_EQ(gradient.Pixel(0, 20), 0x808080u);
}

TEST_F(OptionSelector, DeactivationHidesTheWindowOneTickLaterUnlessACallerHoldsIt)
{
    window->SetBounds(200, 200, 100, 50);
    window->Show();
    ASSERT_TRUE(window->Visible());
    window->SetAutoHide(false);
    window->Perform(WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(window->HideTimer()->Enabled());
    EXPECT_TRUE(window->Visible());
    window->SetAutoHide(true);
    window->Perform(WM_ACTIVATE, WA_INACTIVE, 0);
    Tick(window->HideTimer());
    EXPECT_FALSE(window->Visible());
    EXPECT_FALSE(window->HideTimer()->Enabled());
    // The bottom-right 10 x 10 corner sizes, the rest is nowhere.
    const POINT corner = window->ClientToScreen(POINT{95, 45});
    EXPECT_EQ(window->Perform(WM_NCHITTEST, 0, MAKELPARAM(corner.x, corner.y)), HTBOTTOMRIGHT);
    const POINT middle = window->ClientToScreen(POINT{50, 25});
    EXPECT_EQ(window->Perform(WM_NCHITTEST, 0, MAKELPARAM(middle.x, middle.y)), 0);
}

TEST_F(OptionSelector, CustomizeEntryRunsItsCustomizerOnlyOnAReleaseOverIt)
{
    auto* bar = new TAdvCustomToolBar(form);
    bar->SetParent(form);
    auto* customizer = new Customizer(form);
    auto* holder = new TOptionSelectorWindow(form);
    ConfigureDropDownForm(holder, form, 100, 40);
    auto* option = new TCustomizeOption(holder);
    option->SetParent(holder);
    option->SetAdvToolBar(bar);
    option->SetCustomizer(customizer);
    option->SetCaption("Customize Bar");
    option->UpdateSize();
    EXPECT_EQ(option->Height(), 25);
    EXPECT_EQ(option->Width(), TahomaWidth("Customize Bar") + 18);
    holder->SetOptionsPanel(option);
    holder->UpdateSize();
    holder->SetBounds(150, 150, holder->Width(), holder->Height());
    holder->Show();
    const HWND h = option->Handle();
    // Pressed over the entry, released outside: still down, nothing runs.
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_TRUE(option->Down());
    SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
    EXPECT_TRUE(option->Down());
    EXPECT_EQ(customizer->runs, 0);
    // Released over it: the window hides and the customizer runs.
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_FALSE(option->Down());
    EXPECT_FALSE(holder->Visible());
    EXPECT_EQ(customizer->runs, 1);
}

namespace {

// A toolbar with two named buttons and a separator between them, and an option window for it.
class AddRemove : public OptionSelector {
protected:
    void SetUp() override
    {
        OptionSelector::SetUp();
        bar = new TAdvCustomToolBar(form);
        bar->SetName("Bar");
        bar->SetText("Standard");
        bar->SetParent(form);
        first = Button("Open", 0);
        auto* separator = new TAdvToolBarSeparator(form);
        separator->SetLeft(500);
        separator->SetParent(bar);
        second = Button("Save", 1000);
        window->SetAdvToolBar(bar);
        panel->SetAdvToolBar(bar);
        panel->SetShowAddRemove(true);
        panel->Arrange();
        window->UpdateSize();
        window->SetBounds(150, 150, window->Width(), window->Height());
        window->Show();
    }
    TAdvToolBarMenuButton* Button(const std::string& caption, int left)
    {
        auto* b = new TAdvToolBarMenuButton(form);
        b->SetLeft(left);
        b->SetText(caption);
        b->SetParent(bar);
        return b;
    }
    void MoveOnto(TControl* c, const RECT& r)
    {
        SendMessageA(static_cast<TWinControl*>(c)->Handle(), WM_MOUSEMOVE, 0,
                     MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }

    TAdvCustomToolBar* bar = nullptr;
    TAdvToolBarMenuButton *first = nullptr, *second = nullptr;
};

} // namespace

TEST_F(AddRemove, HoveringTheEntryListsTheToolBarsButtonsUnderItsCaption)
{
    MoveOnto(panel, panel->AddRemoveItem().Bounds);
    TATBPopupWindow* popup = panel->AddRemoveWindow();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->Visible());
    EXPECT_TRUE(panel->AddRemoveItem().Down);
    EXPECT_FALSE(window->AutoHide()); // held open while its pop-up is
    TATBMenuItem* root = popup->RootItem();
    ASSERT_EQ(root->ChildCount(), 1);
    TATBMenuItem* toolBarItem = root->Child(0);
    EXPECT_EQ(toolBarItem->Caption, "Standard");
    ASSERT_EQ(toolBarItem->ChildCount(), 2); // the separator is left out
    EXPECT_EQ(toolBarItem->Child(0)->Caption, "Open");
    EXPECT_EQ(toolBarItem->Child(1)->Caption, "Save");
    EXPECT_TRUE(toolBarItem->Child(0)->Checkable);
    EXPECT_TRUE(toolBarItem->Child(0)->Checked);
    // At the entry's top-right corner.
    const POINT corner = panel->ClientToScreen(
        POINT{panel->AddRemoveItem().Bounds.right, panel->AddRemoveItem().Bounds.top});
    EXPECT_EQ(popup->Left(), corner.x);
    EXPECT_EQ(popup->Top(), corner.y);
    // One item 24 high within margins of 2; W = its caption + 7 + 30 for its children,
    // at least 70.
    TATBPopupPanel* popupPanel = popup->PopupPanel();
    EXPECT_EQ(popupPanel->Height(), 2 + 24 + 2);
}

TEST_F(AddRemove, ClickingACheckedItemHidesTheButtonAndAgainShowsIt)
{
    MoveOnto(panel, panel->AddRemoveItem().Bounds);
    TATBPopupWindow* popup = panel->AddRemoveWindow();
    ASSERT_NE(popup, nullptr);
    TATBPopupPanel* outer = popup->PopupPanel();
    MoveOnto(outer, popup->RootItem()->Child(0)->Bounds);
    TATBPopupWindow* nested = outer->ChildWindow();
    ASSERT_NE(nested, nullptr);
    EXPECT_TRUE(nested->Visible());
    EXPECT_EQ(outer->OpenChildIndex(), 0);
    TATBPopupPanel* inner = nested->PopupPanel();
    TATBMenuItem* open = popup->RootItem()->Child(0)->Child(0);
    const RECT r = open->Bounds;
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(inner->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(inner->Handle(), WM_LBUTTONUP, 0, at);
    EXPECT_FALSE(first->Visible());
    EXPECT_FALSE(open->Checked);
    SendMessageA(inner->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(inner->Handle(), WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(first->Visible());
    EXPECT_TRUE(open->Checked);
    EXPECT_TRUE(second->Visible());
}

TEST_F(AddRemove, AClickElsewhereClosesTheWholeChain)
{
    MoveOnto(panel, panel->AddRemoveItem().Bounds);
    TATBPopupWindow* popup = panel->AddRemoveWindow();
    ASSERT_NE(popup, nullptr);
    MoveOnto(popup->PopupPanel(), popup->RootItem()->Child(0)->Bounds);
    TATBPopupWindow* nested = popup->PopupPanel()->ChildWindow();
    ASSERT_NE(nested, nullptr);
    // The outer pop-up waits while its nested one is open.
    EXPECT_FALSE(popup->AutoHide());
    nested->Perform(WM_ACTIVATE, WA_INACTIVE, 0);
    Tick(nested->HideTimer());
    EXPECT_FALSE(nested->Visible());
    EXPECT_FALSE(popup->Visible());
    EXPECT_FALSE(window->Visible());
    EXPECT_FALSE(panel->AddRemoveItem().Down);
}

TEST(ToolBarPopupPanel, ShortCaptionsGiveTheMinimumWidthWithOrWithoutTheCheckColumn)
{
    TForm* form = new TForm(nullptr);
    auto* styler = new menus::TAdvMenuStyler(form);
    auto* window = new TATBPopupWindow(form);
    ConfigureDropDownForm(window, form, 10, 10);
    TATBMenuItem* root = window->CreateRootItem();
    for (const char* caption : {"A", "B", "C"})
        root->AddChild()->Caption = caption;
    TATBPopupPanel* panel = window->PopupPanel();
    struct Case {
        bool styler, checkColumn;
    };
    for (Case c : {Case{false, false}, Case{true, false}, Case{true, true}}) {
        panel->SetMenuStyler(c.styler ? styler : nullptr);
        panel->SetCheckColumn(c.checkColumn);
        panel->Arrange();
        EXPECT_EQ(panel->Width(), 74) << c.styler << c.checkColumn;
        EXPECT_EQ(panel->Height(), 2 + 3 * 26) << c.styler << c.checkColumn;
        EXPECT_EQ(root->Child(2)->Bounds.top, 2 + 2 * 26);
    }
    // A caption of 60 pixels with the 24-pixel check column: 60 + 7 + 24 = 91.
    form->Canvas()->Font()->Assign(panel->Font());
    std::string caption = "Wide";
    while (panel->Canvas()->TextWidth(caption) < 60)
        caption += "W";
    root->Child(0)->Caption = caption;
    panel->SetMenuStyler(styler);
    panel->SetCheckColumn(true);
    panel->Arrange();
    EXPECT_EQ(panel->Width(),
              panel->Canvas()->TextWidth(caption) + 7 + styler->IconBar()->Size() + 4);
    form->Free();
}

namespace {

// An option menu whose command frees the option window (and with it the panel) while the
// menu is open.
class FreeingMenu : public menus::TAdvPopupMenu {
public:
    using menus::TAdvPopupMenu::TAdvPopupMenu;
    void Popup(int, int) override
    {
        ++shown;
        delete victim;
    }
    TComponent* victim = nullptr;
    int shown = 0;
};

} // namespace

TEST_F(AddRemove, AnOptionMenuCommandMayFreeTheOptionWindow)
{
    auto* menu = new FreeingMenu(form);
    menu->victim = window;
    panel->SetOptionMenu(menu);
    panel->Arrange();
    // Called as the entry's hover calls it; the menu's command frees the panel's window.
    panel->ShowOptions();
    EXPECT_EQ(menu->shown, 1);
    // The form still runs its messages without the window.
    Application->ProcessMessages();
}
