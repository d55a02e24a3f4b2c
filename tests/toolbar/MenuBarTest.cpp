// Menu-bar mode on a real toolbar: the buttons made from a main menu, accelerators, the
// keyboard loop driven by posted keys (Alt, the arrows wrapping at both ends, Esc), a root
// menu dropped through the platform's real menu loop with its sub-items lent and given back,
// and merging a child's menu.
// Keys are posted from timer ticks: the keyboard loop and the menu loop both dispatch them.
#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvToolBarItems.h"

#include "GuiTest.h"

#include "windows/Application.h"
#include "windows/Forms.h"
#include "windows/Menus.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

using namespace classlib;
using namespace toolbar;

namespace {

TMenuItem* Item(TComponent* owner, TMenuItem* parent, const char* caption, int group = 0)
{
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    item->SetGroupIndex(group);
    parent->Add(item);
    return item;
}

class MenuBar : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetCursorPos(0, 0);
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 500, 300);
        form->Show();
        SetForegroundWindow(form->Handle());
        menu = new TMainMenu(form);
        file = Item(form, menu->Items(), "&File", 1);
        Item(form, file, "&Open");
        Item(form, file, "E&xit");
        edit = Item(form, menu->Items(), "&Edit", 2);
        Item(form, edit, "&Copy");
        help = Item(form, menu->Items(), "&Help", 9);
        bar = new TAdvCustomToolBar(form);
        bar->SetParent(form);
        bar->SetMenuBar(true);
        bar->SetMenu(menu);
        Application->ProcessMessages();
    }
    void TearDown() override
    {
        form->Free();
        Application->ProcessMessages();
    }
    TAdvCustomToolBarButton* ButtonFor(TMenuItem* item) const
    {
        for (int i = 0; i < bar->ControlOrderCount(); ++i)
            if (auto* b = dynamic_cast<TAdvCustomToolBarButton*>(bar->ControlOrder(i));
                b && b->MenuItem() == item)
                return b;
        return nullptr;
    }
    std::vector<std::string> Captions() const
    {
        std::vector<std::string> captions;
        for (int i = 0; i < bar->ControlOrderCount(); ++i)
            if (auto* b = dynamic_cast<TAdvCustomToolBarButton*>(bar->ControlOrder(i)))
                captions.push_back(b->Caption());
        return captions;
    }
    TForm* form = nullptr;
    TMainMenu* menu = nullptr;
    TMenuItem *file = nullptr, *edit = nullptr, *help = nullptr;
    TAdvCustomToolBar* bar = nullptr;
};

// Steps run one per timer tick, inside whatever loop is running; the last step's index is
// kept so that a loop that ends early shows where.
std::vector<std::function<void()>>* steps = nullptr;
size_t stepIndex = 0;
void CALLBACK RunStep(HWND, UINT, UINT_PTR id, DWORD)
{
    if (!steps || stepIndex >= steps->size()) {
        KillTimer(nullptr, id);
        return;
    }
    (*steps)[stepIndex++]();
}

struct Stepper {
    explicit Stepper(std::vector<std::function<void()>> s) : list(std::move(s))
    {
        steps = &list;
        stepIndex = 0;
        timer = SetTimer(nullptr, 0, 40, RunStep);
    }
    ~Stepper()
    {
        KillTimer(nullptr, timer);
        steps = nullptr;
    }
    std::vector<std::function<void()>> list;
    UINT_PTR timer;
};

void PostKey(HWND to, WORD key)
{
    PostMessageA(to, WM_KEYDOWN, key, 1);
    PostMessageA(to, WM_KEYUP, key, 0xC0000001);
}

TEST_F(MenuBar, EveryTopLevelItemGetsAButtonAndANewMenuReplacesThem)
{
    EXPECT_EQ(Captions(), (std::vector<std::string>{"&File", "&Edit", "&Help"}));
    EXPECT_NE(ButtonFor(edit), nullptr);
    EXPECT_TRUE(ButtonFor(edit)->IsMenuButton());
    EXPECT_TRUE(ButtonFor(edit)->ShowCaption());
    // A toolbar with a menu takes no further controls at design time.
    EXPECT_FALSE(bar->ControlStyle().Contains(csAcceptsControls));

    auto* other = new TMainMenu(form);
    Item(form, other->Items(), "&View");
    bar->SetMenu(other);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"&View"}));
    bar->SetMenu(nullptr);
    EXPECT_TRUE(Captions().empty());
    // A freed menu is forgotten.
    bar->SetMenu(other);
    other->Free();
    EXPECT_EQ(bar->Menu(), nullptr);
}

struct ClickCounter {
    int clicks = 0;
    void Clicked(TObject*) { ++clicks; }
};

TEST_F(MenuBar, AnAcceleratorClicksTheMatchingPlainButton)
{
    auto* plain = new TAdvCustomToolBar(form);
    plain->SetParent(form);
    plain->SetTop(100);
    auto* save = new TAdvCustomToolBarButton(form);
    save->SetParent(plain);
    save->SetCaption("&Save");
    ClickCounter counter;
    save->OnClick = TNotifyEvent(&counter, &ClickCounter::Clicked);
    struct Case {
        WPARAM key;
        bool enabled;
        LRESULT answer;
        int clicks;
    };
    const Case cases[] = {
        {'S', true, 1, 1}, {'s', true, 1, 2}, {'Q', true, 0, 2}, {'S', false, 0, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<char>(c.key));
        save->SetEnabled(c.enabled);
        EXPECT_EQ(plain->Perform(CM_DIALOGCHAR, c.key, 0), c.answer);
        EXPECT_EQ(counter.clicks, c.clicks);
    }
}

TEST_F(MenuBar, AltSelectsTheFirstButtonAndTheArrowsWrapAtBothEnds)
{
    const HWND h = bar->Handle();
    std::vector<TAdvCustomToolBarButton*> hot;
    auto record = [&] { hot.push_back(bar->HotButton()); };
    Stepper stepper({
        [&] {
            record();
            PostKey(h, VK_LEFT);
        },
        [&] {
            record();
            PostKey(h, VK_RIGHT);
        },
        [&] {
            record();
            PostKey(h, VK_RIGHT);
        },
        [&] {
            record();
            PostKey(h, VK_ESCAPE);
        },
    });
    // Alt alone, as the form hands it on.
    SendMessageA(h, WM_SYSCOMMAND, SC_KEYMENU, 0);
    EXPECT_EQ(hot, (std::vector<TAdvCustomToolBarButton*>{ButtonFor(file), ButtonFor(help),
                                                          ButtonFor(file), ButtonFor(edit)}));
    EXPECT_FALSE(bar->InMenuLoop());
    EXPECT_EQ(bar->HotButton(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MenuBar, DownDropsTheHotRootMenuWithItsSubItemsAndEscKeepsTheButtonHot)
{
    const HWND h = bar->Handle();
    TAdvCustomToolBarButton* dropped = nullptr;
    TAdvCustomToolBarButton* hotAfterEscape = nullptr;
    int lent = -1, left = -1;
    bool showing = false, loopAfterEscape = false;
    Stepper stepper({
        [&] { PostKey(h, VK_DOWN); }, // File is hot: Down drops its menu
        [&] {
            showing = bar->MenuShowing();
            dropped = bar->DroppedButton();
            lent = bar->TempMenu() ? bar->TempMenu()->Items()->Count() : -1;
            left = file->Count();
            PostKey(h, VK_ESCAPE);
        },
        [&] {
            hotAfterEscape = bar->HotButton();
            loopAfterEscape = bar->InMenuLoop();
            PostKey(h, VK_ESCAPE);
        },
    });
    SendMessageA(h, WM_SYSCOMMAND, SC_KEYMENU, 0);
    EXPECT_TRUE(showing);
    EXPECT_EQ(dropped, ButtonFor(file));
    // The sub-items are lent to the dropped menu and given back when it closes.
    EXPECT_EQ(lent, 2);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(hotAfterEscape, ButtonFor(file));
    EXPECT_TRUE(loopAfterEscape);
    EXPECT_FALSE(bar->InMenuLoop());
    Application->ProcessMessages();
    EXPECT_EQ(file->Count(), 2);
    EXPECT_EQ(file->Items(0)->Caption(), "&Open");
    EXPECT_EQ(bar->TempMenu(), nullptr);
}

TEST_F(MenuBar, AChildMenuMergesByGroupAndUnmergingRebuildsTheBar)
{
    auto* child = new TMainMenu(form);
    Item(form, child->Items(), "&Edit2", 2);  // replaces Edit (same group)
    Item(form, child->Items(), "&Window", 0); // appended
    bar->SetMergedMenu(child);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"&File", "&Edit2", "&Help", "&Window"}));
    bar->SetMergedMenu(nullptr);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"&File", "&Edit", "&Help"}));
    // A freed merged menu is unmerged.
    bar->SetMergedMenu(child);
    child->Free();
    EXPECT_EQ(bar->MergedMenu(), nullptr);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"&File", "&Edit", "&Help"}));
}

TEST_F(MenuBar, AllUngroupedItemsOfAChildAppendOneButtonEach)
{
    auto* child = new TMainMenu(form);
    Item(form, child->Items(), "&One");
    Item(form, child->Items(), "&Two");
    bar->SetMergedMenu(child);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"&File", "&Edit", "&Help", "&One", "&Two"}));
    bar->SetMergedMenu(nullptr);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"&File", "&Edit", "&Help"}));
}

} // namespace
