// The pager's keyboard and window-management side as real windows: Alt and F10 with the Alt
// timer stepped by its handler, typed key tips with shared prefixes, Ctrl+F1 through the
// thread's message hook, collapsing with the quick-access strip, the minimized ribbon's pop-up
// (screenshot) and its release after the hide tick, caption buttons, caption-only mode on the
// toolbar form (screenshot), the arrows across a page's toolbars, and the stored state in an
// INI file and the registry.
#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvToolBarContainer.h"
#include "toolbar/AdvToolBarForm.h"
#include "toolbar/AdvToolBarPager.h"
#include "toolbar/KeyTips.h"

#include "GuiTest.h"
#include "windows/Application.h"
#include "windows/Forms.h"

#include <gtest/gtest.h>

#include <string>

using namespace classlib;
using namespace toolbar;
using controls::TAdvGlowButton;
using testsupport::Dib;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

// Sets or clears keys in this thread's keyboard state, which GetKeyState reads.
void SetKeys(std::initializer_list<int> keys, bool down)
{
    BYTE state[256];
    GetKeyboardState(state);
    for (int k : keys)
        state[k] = down ? 0x80 : 0;
    SetKeyboardState(state);
}

void ReleaseAllKeys()
{
    SetKeys({VK_MENU, VK_F10, VK_CONTROL, VK_SHIFT, VK_F1}, false);
}

bool TipShowing(TAdvPage* page)
{
    auto* w = page->TabKeyTipWindow();
    return w && w->HandleAllocated() && IsWindowVisible(w->Handle());
}

class PagerKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        ReleaseAllKeys();
        form = new TForm(nullptr);
        form->SetBounds(40, 40, 640, 320);
        form->Show();
        pager = new TAdvToolBarPager(form);
        pager->SetName("Pager");
        pager->SetParent(form);
        ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()) != 0; }));
        SetForegroundWindow(form->Handle());
        SetActiveWindow(form->Handle());
        PumpFor(20);
    }
    void TearDown() override
    {
        ReleaseAllKeys();
        if (form)
            form->Free();
        Application->ProcessMessages();
    }
    TAdvPage* AddPage(const std::string& caption, const std::string& tip)
    {
        auto* page = new TAdvPage(form);
        page->SetCaption(caption);
        page->SetShortCutHint(tip);
        page->SetPager(pager);
        if (pager->ActivePageIndex() < 0)
            pager->SelectPage(0);
        return page;
    }
    TAdvCustomToolBar* AddToolBar(TAdvPage* page, const std::string& name, int buttons)
    {
        auto* t = new TAdvCustomToolBar(form);
        t->SetName(name);
        t->SetParent(page);
        for (int i = 0; i < buttons; ++i) {
            auto* b = new TAdvGlowButton(form);
            b->SetName(name + "B" + std::to_string(i));
            b->SetParent(t);
            b->SetBounds(4 + i * 30, 2, 26, 22);
            b->SetTabStop(true);
        }
        return t;
    }
    void Tick(int times)
    {
        for (int i = 0; i < times; ++i)
            pager->AltTimerTick(pager->AltTimer());
    }
    void Key(int vk) { pager->Perform(WM_KEYDOWN, vk, 0); }
    void DialogKey(int vk) { pager->Perform(CM_DIALOGKEY, vk, 0); }
    TForm* form = nullptr;
    TAdvToolBarPager* pager = nullptr;
};

// ---- Alt, F10 and typed key tips ----------------------------------------------------------

TEST_F(PagerKeys, AltAndF10BringUpTheKeyTipsOnlyWithTabStop)
{
    TAdvPage* home = AddPage("Home", "H");
    AddPage("Insert", "N");

    // Without TabStop (the default) neither key arms the timer.
    SetKeys({VK_MENU}, true);
    DialogKey(VK_MENU);
    Tick(20);
    EXPECT_FALSE(pager->KeyTipsShown());
    SetKeys({VK_MENU}, false);

    pager->SetTabStop(true);
    // Alt held: nothing before 700 ms (13 ticks of 50), the tips at the 14th tick.
    SetKeys({VK_MENU}, true);
    DialogKey(VK_MENU);
    EXPECT_TRUE(pager->AltTimer()->Enabled());
    Tick(13);
    EXPECT_FALSE(pager->KeyTipsShown());
    Tick(1);
    EXPECT_TRUE(pager->KeyTipsShown());
    EXPECT_FALSE(pager->AltTimer()->Enabled());
    EXPECT_TRUE(TipShowing(home));
    SetKeys({VK_MENU}, false);
    // Alt again (released in between) cancels them.
    pager->Perform(WM_KEYUP, VK_MENU, 0);
    DialogKey(VK_MENU);
    EXPECT_FALSE(pager->KeyTipsShown());
    EXPECT_FALSE(TipShowing(home));

    // F10 held never shows them; its release does.
    SetKeys({VK_F10}, true);
    DialogKey(VK_F10);
    Tick(40);
    EXPECT_FALSE(pager->KeyTipsShown());
    SetKeys({VK_F10}, false);
    Tick(1);
    EXPECT_TRUE(pager->KeyTipsShown());
}

TEST_F(PagerKeys, TypedPrefixesKeepTheMatchingTipsAndAFullTipSelectsItsTab)
{
    TAdvPage* a = AddPage("First", "FA");
    TAdvPage* b = AddPage("Second", "FB");
    TAdvPage* n = AddPage("Third", "N");
    pager->ShowKeyTips();
    ASSERT_TRUE(TipShowing(a) && TipShowing(b) && TipShowing(n));

    Key('F');
    EXPECT_TRUE(pager->KeyTipsShown());
    EXPECT_TRUE(TipShowing(a));
    EXPECT_TRUE(TipShowing(b));
    EXPECT_FALSE(TipShowing(n));
    Key('B');
    EXPECT_FALSE(pager->KeyTipsShown());
    EXPECT_EQ(pager->ActivePageIndex(), 1);
    EXPECT_FALSE(TipShowing(a) || TipShowing(b));

    // A letter no tip begins with hides them all (and beeps).
    pager->ShowKeyTips();
    Key('Z');
    EXPECT_FALSE(pager->KeyTipsShown());
    EXPECT_FALSE(TipShowing(a) || TipShowing(b) || TipShowing(n));

    // Escape and the arrows cancel; the arrows also move to the neighbouring tab.
    pager->ShowKeyTips();
    Key(VK_RIGHT);
    EXPECT_FALSE(pager->KeyTipsShown());
    EXPECT_EQ(pager->ActivePageIndex(), 2);
}

// ---- Ctrl+F1 through the thread's hook, collapsing -----------------------------------------

TEST_F(PagerKeys, CtrlF1TogglesCollapsingOnceWhileHeld)
{
    AddPage("Home", "H");
    pager->InstallKeyTipHook();
    const int expandedHeight = pager->Height();
    auto press = [&](std::initializer_list<int> modifiers, int repeats) {
        SetKeys(modifiers, true);
        for (int i = 0; i < repeats; ++i)
            PostMessageA(pager->Handle(), WM_KEYDOWN, VK_F1, 0);
        PostMessageA(pager->Handle(), WM_KEYUP, VK_F1, 0);
        PumpFor(30);
        SetKeys(modifiers, false);
    };
    press({VK_CONTROL}, 3);
    EXPECT_FALSE(pager->Expanded());
    EXPECT_EQ(pager->Height(), pager->PageRect().top);
    press({VK_CONTROL, VK_SHIFT}, 1);
    EXPECT_FALSE(pager->Expanded());
    press({VK_CONTROL, VK_MENU}, 1);
    EXPECT_FALSE(pager->Expanded());
    press({VK_CONTROL}, 1);
    EXPECT_TRUE(pager->Expanded());
    EXPECT_EQ(pager->Height(), expandedHeight);
    pager->RemoveKeyTipHook();
}

TEST_F(PagerKeys, CollapsingKeepsTheQuickAccessStripAndFiresOnce)
{
    AddPage("Home", "H");
    auto* qat = new TAdvQuickAccessToolBar(form);
    qat->SetParent(pager);
    int expands = 0, collapses = 0;
    struct Counter : TObject {
        int* n;
        void Count(TObject*) { ++*n; }
    } onExpand, onCollapse;
    onExpand.n = &expands;
    onCollapse.n = &collapses;
    pager->OnExpand = TNotifyEvent(&onExpand, &Counter::Count);
    pager->OnCollaps = TNotifyEvent(&onCollapse, &Counter::Count);

    const int h = pager->Height();
    pager->SetShowQATBelow(true);
    EXPECT_TRUE(pager->QATBelow());
    EXPECT_EQ(pager->Height(), h + pager->QATStripHeight());
    const RECT below = pager->QATRect();
    EXPECT_EQ(below.bottom - below.top, pager->QATStripHeight());
    EXPECT_EQ(below.bottom, pager->ClientRect().bottom);

    pager->Collapse();
    pager->Collapse(); // the same value: nothing, no event
    EXPECT_EQ(collapses, 1);
    EXPECT_EQ(pager->Height(), pager->PageRect().top + pager->QATStripHeight());
    pager->Expand();
    pager->Expand();
    EXPECT_EQ(expands, 1);
    EXPECT_EQ(pager->Height(), h + pager->QATStripHeight());

    pager->SetShowQATBelow(false);
    EXPECT_EQ(pager->Height(), h);
    pager->SetShowQATBelow(false); // unchanged
    EXPECT_EQ(pager->Height(), h);
}

TEST_F(PagerKeys, TwoClicksOnTheActiveTabCollapseAndExpand)
{
    AddPage("Home", "H");
    AddPage("Insert", "N");
    const RECT tab = pager->TabRect(0);
    const LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    auto click = [&] {
        pager->Perform(WM_LBUTTONDOWN, MK_LBUTTON, at);
        pager->Perform(WM_LBUTTONUP, 0, at);
    };
    click();
    EXPECT_TRUE(pager->Expanded());
    click();
    EXPECT_FALSE(pager->Expanded());
    // The click timer's tick starts the count again.
    pager->ClickTimerTick(pager->ClickTimer());
    click();
    pager->ClickTimerTick(pager->ClickTimer());
    EXPECT_FALSE(pager->Expanded());
    click();
    click();
    EXPECT_TRUE(pager->Expanded());
    pager->SetHidePagesOnDblClick(false);
    click();
    click();
    EXPECT_TRUE(pager->Expanded());
}

// ---- the minimized ribbon's pop-up ---------------------------------------------------------

TEST_F(PagerKeys, ThePopupHoldsThePagesToolBarsAndGivesThemBackAfterItsTick)
{
    TAdvPage* home = AddPage("Home", "H");
    TAdvCustomToolBar* bar = AddToolBar(home, "Clipboard", 3);
    pager->Collapse();
    const RECT tab = pager->TabRect(0);
    const LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    pager->Perform(WM_LBUTTONDOWN, MK_LBUTTON, at);
    pager->Perform(WM_LBUTTONUP, 0, at);
    ASSERT_TRUE(pager->IsMinimizedPopupVisible());
    TMinimizedRibbonWindow* w = pager->MinimizedWindow();
    ASSERT_NE(home->MinimizedCopy(), nullptr);
    EXPECT_EQ(bar->Parent(), home->MinimizedCopy());
    EXPECT_EQ(w->Name(), "Pager_RibbonWindow");
    // Below the tab strip, at the page's left edge less 2.
    const POINT p =
        pager->ClientToScreen(POINT{pager->PageRect().left - 2, pager->TabStripRect().bottom});
    EXPECT_EQ(w->Left(), p.x);
    EXPECT_EQ(w->Top(), p.y);
    form->Repaint();
    w->Repaint();
    PumpFor(300);
    EXPECT_FALSE(testsupport::SaveScreenshot("pager-minimized-popup").empty());

    // The hide tick only hides; the window goes after the tick, the toolbars come home.
    w->HideTimer()->OnTimer()(w->HideTimer());
    EXPECT_EQ(pager->MinimizedWindow(), w);
    EXPECT_FALSE(IsWindowVisible(w->Handle()));
    ASSERT_TRUE(PumpUntil([&] { return pager->MinimizedWindow() == nullptr; }));
    EXPECT_EQ(bar->Parent(), home);
    EXPECT_EQ(home->MinimizedCopy(), nullptr);
    EXPECT_EQ(home->ToolBarCount(), 1);
}

TEST_F(PagerKeys, ATypedTabTipWhileCollapsedOpensThePopupWithTheToolBarTips)
{
    TAdvPage* home = AddPage("Home", "H");
    TAdvCustomToolBar* bar = AddToolBar(home, "Clipboard", 2);
    static_cast<TAdvGlowButton*>(bar->Controls(0))->SetShortCutHint("C");
    pager->Collapse();
    pager->ShowKeyTips();
    Key('H');
    ASSERT_TRUE(pager->IsMinimizedPopupVisible());
    TAdvPage* copy = home->MinimizedCopy();
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->ToolBarKeyTipsShown());
    pager->HideMinimizedPopup();
    EXPECT_EQ(pager->MinimizedWindow(), nullptr);
    EXPECT_EQ(bar->Parent(), home);
}

// ---- the arrows and key tips on a page's toolbars ------------------------------------------

TEST_F(PagerKeys, ArrowsCrossThePagesToolBarsAndWrap)
{
    TAdvPage* home = AddPage("Home", "H");
    TAdvCustomToolBar* one = AddToolBar(home, "One", 2);
    TAdvCustomToolBar* two = AddToolBar(home, "Two", 2);
    // A container in the second toolbar hands its glow buttons' keys to the toolbar.
    auto* box = new TAdvToolBarContainer(form);
    box->SetParent(two);
    box->SetBounds(70, 2, 60, 30);
    box->SetToolBar(two);
    auto* inBox = new TAdvGlowButton(form);
    inBox->SetParent(box);
    InstallToolBarKeyHandlers(one);
    InstallToolBarKeyHandlers(two);
    PumpFor(20);
    auto press = [](TControl* c, WORD key) {
        auto* b = static_cast<TAdvGlowButton*>(c);
        ASSERT_TRUE(b->OnInternalKeyDown.Assigned());
        b->OnInternalKeyDown(b, key, TShiftState{});
    };
    ASSERT_TRUE(inBox->OnInternalKeyDown.Assigned());
    static_cast<TWinControl*>(one->Controls(1))->SetFocus();
    press(one->Controls(1), VK_RIGHT);
    EXPECT_EQ(GetFocus(), static_cast<TWinControl*>(two->Controls(0))->Handle());
    press(two->Controls(0), VK_LEFT);
    EXPECT_EQ(GetFocus(), static_cast<TWinControl*>(one->Controls(1))->Handle());
    // Left on the first button of the first toolbar wraps to the last of the last.
    press(one->Controls(0), VK_LEFT);
    EXPECT_EQ(GetFocus(), LastFocusControl(two, true)->Handle());
    // Esc hands the focus back to the pager.
    pager->SetTabStop(true);
    press(two->Controls(0), VK_ESCAPE);
    EXPECT_TRUE(pager->Focused());
}

TEST_F(PagerKeys, TwoLetterToolBarTipsNarrowThenPress)
{
    TAdvPage* home = AddPage("Home", "H");
    TAdvCustomToolBar* bar = AddToolBar(home, "Clipboard", 3);
    auto* b0 = static_cast<TAdvGlowButton*>(bar->Controls(0));
    auto* b1 = static_cast<TAdvGlowButton*>(bar->Controls(1));
    auto* b2 = static_cast<TAdvGlowButton*>(bar->Controls(2));
    b0->SetShortCutHint("PA");
    b1->SetShortCutHint("PB");
    b2->SetShortCutHint("X");
    int clicks = 0;
    struct Counter : TObject {
        int* n;
        void Count(TObject*) { ++*n; }
    } counter;
    counter.n = &clicks;
    b1->OnClick = TNotifyEvent(&counter, &Counter::Count);
    auto visible = [](TAdvGlowButton* b) {
        auto* w = b->ShortCutHintWindow();
        return w && w->HandleAllocated() && IsWindowVisible(w->Handle());
    };
    home->ShowToolBarKeyTips();
    ASSERT_TRUE(visible(b0) && visible(b1) && visible(b2));
    WORD key = 'P';
    b0->OnInternalKeyDown(b0, key, TShiftState{});
    EXPECT_TRUE(visible(b0) && visible(b1));
    EXPECT_FALSE(visible(b2));
    EXPECT_EQ(clicks, 0);
    key = 'B';
    b0->OnInternalKeyDown(b0, key, TShiftState{});
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(home->ToolBarKeyTipsShown());
}

// ---- caption buttons and the caption-only form --------------------------------------------

TEST_F(PagerKeys, CaptionButtonsSitAtTheRightAndToggleTheForm)
{
    AddPage("Home", "H");
    pager->SetCaptionButtons(TCaptionButtons{cbClose, cbMinimize, cbMaximize});
    TAdvGlowButton* close = pager->CaptionButton(cbClose);
    TAdvGlowButton* maximize = pager->CaptionButton(cbMaximize);
    TAdvGlowButton* minimize = pager->CaptionButton(cbMinimize);
    ASSERT_TRUE(close && maximize && minimize);
    const int w = pager->Width();
    EXPECT_EQ(close->Left(), w - 16 - 6);
    EXPECT_EQ(maximize->Left(), close->Left() - 16 - 2);
    EXPECT_EQ(minimize->Left(), maximize->Left() - 16 - 2);
    EXPECT_EQ(close->Top(), pager->CaptionRect().top + 4);
    const RECT r = pager->CaptionButtonsRect();
    EXPECT_EQ(r.left, minimize->Left());
    EXPECT_EQ(r.right, close->Left() + 16);
    EXPECT_GE(pager->Caption()->TrailingIndent(), w - minimize->Left());

    maximize->Click();
    EXPECT_EQ(form->WindowState(), wsMaximized);
    maximize->Click();
    EXPECT_EQ(form->WindowState(), wsNormal);
    // A double click in the caption band does the same.
    pager->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 5));
    EXPECT_EQ(form->WindowState(), wsMaximized);
    pager->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 5));
    EXPECT_EQ(form->WindowState(), wsNormal);

    // The close event gets the close button; without the event the form would close.
    TObject* sender = nullptr;
    struct Recorder : TObject {
        TObject** out;
        void Record(TObject* s) { *out = s; }
    } recorder;
    recorder.out = &sender;
    pager->OnCloseButtonClick = TNotifyEvent(&recorder, &Recorder::Record);
    close->Click();
    EXPECT_EQ(sender, close);

    // Without buttons they go and the trailing indent comes back.
    pager->SetCaptionButtons(TCaptionButtons{});
    EXPECT_EQ(pager->CaptionButton(cbClose), nullptr);
    EXPECT_EQ(pager->CaptionButtonsRect().left, -1);
}

TEST(PagerCaptionOnly, TheToolBarFormBelow300PixelsShowsOnlyTheCaption)
{
    auto* form = new TAdvToolBarForm(nullptr);
    form->SetBounds(60, 60, 500, 260);
    auto* pager = new TAdvToolBarPager(form);
    pager->SetParent(form);
    auto* page = new TAdvPage(form);
    page->SetCaption("Home");
    page->SetPager(pager);
    auto* qat = new TAdvQuickAccessToolBar(form);
    qat->SetParent(pager);
    pager->SetCaptionButtons(TCaptionButtons{cbClose, cbMinimize, cbMaximize});
    form->Show();
    PumpFor(50);
    // What a status bar on the form reads: the frame in the real pager's caption text colour.
    const draw::IPagerCaptionForm* asCaptionForm = form;
    EXPECT_EQ(asCaptionForm->PagerFrameColor(),
              pager->CurrentStyler()->PagerCaption()->TextColor());
    const int full = pager->Height();
    form->SetBounds(60, 60, 250, 260);
    PumpFor(50);
    EXPECT_TRUE(pager->PagesMinimized());
    EXPECT_EQ(pager->Height(), pager->Caption()->Height());
    EXPECT_FALSE(qat->Visible());
    form->Repaint();
    PumpFor(300);
    EXPECT_FALSE(testsupport::SaveScreenshot("toolbar-form-caption-only").empty());
    form->SetBounds(60, 60, 500, 260);
    PumpFor(50);
    EXPECT_FALSE(pager->PagesMinimized());
    EXPECT_EQ(pager->Height(), full);
    EXPECT_TRUE(qat->Visible());
    form->Free();
    Application->ProcessMessages();
}

// ---- the stored state ----------------------------------------------------------------------

std::string TempIni(const char* name)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

std::string IniValue(const std::string& file, const char* key)
{
    char buffer[16] = {};
    GetPrivateProfileStringA("Ribbon", key, "", buffer, sizeof buffer, file.c_str());
    return buffer;
}

class PagerState : public PagerKeys {
protected:
    void Build(TPersistenceLocation location, const std::string& key)
    {
        AddPage("Home", "H");
        qat = new TAdvQuickAccessToolBar(form);
        qat->SetParent(pager);
        pager->Persistence()->SetLocation(location);
        pager->Persistence()->SetKey(key);
        pager->Persistence()->SetSection("Ribbon");
        pager->Persistence()->SetEnabled(true);
    }
    // Frees the form (the pager saves) and builds it again from the store.
    void Reopen(TPersistenceLocation location, const std::string& key)
    {
        form->Free();
        form = nullptr;
        Application->ProcessMessages();
        SetUp();
        Build(location, key);
        pager->LoadState();
    }
    TAdvQuickAccessToolBar* qat = nullptr;
};

TEST_F(PagerState, CollapsedAndStripBelowRoundTripThroughIniAndRegistry)
{
    const std::string file = TempIni("brenvik-pager-state.ini");
    const std::string regKey = "Software\\BrenvikTests\\PagerState";
    struct Store {
        TPersistenceLocation location;
        std::string key;
    } stores[] = {{plIniFile, file}, {plRegistry, regKey}};
    for (const Store& s : stores) {
        DeleteFileA(file.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, regKey.c_str());
        Build(s.location, s.key);
        const int h = pager->Height();
        pager->SetShowQATBelow(true);
        pager->Collapse();
        Reopen(s.location, s.key);
        if (s.location == plIniFile)
            EXPECT_EQ(IniValue(file, "Minimized"), "1");
        EXPECT_FALSE(pager->Expanded()) << s.location;
        EXPECT_TRUE(pager->QATBelow()) << s.location;
        pager->Expand();
        EXPECT_EQ(pager->Height(), h + pager->QATStripHeight()) << s.location;
        // Back to expanded, strip in the caption: stored as 0 and read back.
        pager->SetShowQATBelow(false);
        Reopen(s.location, s.key);
        if (s.location == plIniFile) {
            EXPECT_EQ(IniValue(file, "Minimized"), "0");
            EXPECT_EQ(IniValue(file, "ShowQATBelow"), "0");
        }
        EXPECT_TRUE(pager->Expanded()) << s.location;
        EXPECT_FALSE(pager->QATBelow()) << s.location;
        EXPECT_EQ(pager->Height(), h) << s.location;
    }
    DeleteFileA(file.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, regKey.c_str());
}

TEST_F(PagerState, AStoreThatCannotBeWrittenGoesToTheApplicationNotOutOfTheTearDown)
{
    // A directory of that name makes the INI file unwritable.
    const std::string dir = TempIni("brenvik-pager-not-a-file.ini");
    CreateDirectoryA(dir.c_str(), nullptr);
    Build(plIniFile, dir);
    pager->Collapse();
    int reported = 0;
    struct Handler : TObject {
        int* n;
        void Report(TObject*, Exception*) { ++*n; }
    } handler;
    handler.n = &reported;
    const TExceptionEvent saved = Application->OnException;
    Application->OnException = TExceptionEvent(&handler, &Handler::Report);
    EXPECT_NO_THROW(form->Free());
    form = nullptr;
    Application->OnException = saved;
    Application->ProcessMessages();
    EXPECT_EQ(reported, 1);
    RemoveDirectoryA(dir.c_str());
}

} // namespace

namespace {

// ---- the buttons of a maximized MDI child --------------------------------------------------

TEST(PagerMDIButtons, ShownForAMaximizedChildAndTheSubclassEndsCleanly)
{
    auto* frame = new TForm(nullptr);
    frame->SetFormStyle(fsMDIForm);
    frame->SetBounds(30, 30, 640, 420);
    frame->Show();
    auto* pager = new TAdvToolBarPager(frame);
    pager->SetParent(frame);
    auto* page = new TAdvPage(frame);
    page->SetCaption("Home");
    page->SetPager(pager);
    pager->SetAutoMDIButtons(true);
    auto* child = new TForm(nullptr);
    child->SetFormStyle(fsMDIChild);
    child->SetBounds(0, 0, 200, 150);
    child->Show();
    child->SetWindowState(wsMaximized);
    PumpFor(30);
    pager->Repaint();
    ASSERT_TRUE(pager->MDIMode());
    TAdvGlowButton* restore = pager->MDIButton(cbMaximize);
    ASSERT_NE(restore, nullptr);
    EXPECT_TRUE(restore->Visible());
    const RECT r = pager->MDIButtonsRect();
    EXPECT_EQ(pager->MDIButton(cbMinimize)->Left(), r.left);
    EXPECT_EQ(restore->Left(), r.left + 16 + 2);
    EXPECT_EQ(pager->MDIButton(cbClose)->Left(), r.left + 2 * (16 + 2));

    // Restore: the child comes back to normal and the buttons go.
    restore->Click();
    EXPECT_EQ(child->WindowState(), wsNormal);
    pager->Repaint();
    EXPECT_FALSE(pager->MDIMode());
    EXPECT_FALSE(restore->Visible());

    // Turning the buttons off removes any window region of the form.
    SetWindowRgn(frame->Handle(), CreateRectRgn(0, 0, 100, 100), TRUE);
    pager->SetAutoMDIButtons(false);
    HRGN probe = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(frame->Handle(), probe), ERROR);
    DeleteObject(probe);

    // On again, then the pager goes before its form: the form keeps working.
    pager->SetAutoMDIButtons(true);
    delete pager;
    frame->SetBounds(30, 30, 600, 400);
    PumpFor(20);
    child->Free();
    frame->Free();
    Application->ProcessMessages();
}

} // namespace
