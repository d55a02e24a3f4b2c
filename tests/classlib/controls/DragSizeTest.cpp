// Dragging and docking through the drag loop's mouse capture, the mouse wheel, and the size
// rules of SetBounds (OnCanResize, CanAutoSize, OnConstrainedResize, Constraints, OnResize).
#include "windows/Application.h"
#include "windows/ExtCtrls.h"
#include "windows/Forms.h"
#include "windows/StdCtrls.h"

#include <gtest/gtest.h>

#include <windowsx.h>

#include <string>
#include <vector>

using namespace classlib;

namespace {

// Sends a mouse message to the window that holds the capture, at a screen point.
void MouseAt(UINT msg, POINT screen)
{
    HWND capture = GetCapture();
    ASSERT_NE(capture, nullptr);
    ScreenToClient(capture, &screen);
    SendMessageA(capture, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                 MAKELPARAM(screen.x, screen.y));
}

class DragTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 400, 300);
        source = NewPanel(10, 10);
        target = NewPanel(150, 10);
        refuser = NewPanel(10, 150);
        source->SetDragMode(dmAutomatic);
        source->OnStartDrag = TStartDragEvent(this, &DragTest::StartDrag);
        source->OnEndDrag = TEndDragEvent(this, &DragTest::EndDrag);
        source->OnClick = TNotifyEvent(this, &DragTest::Click);
        target->OnDragOver = TDragOverEvent(this, &DragTest::DragOver);
        target->OnDragDrop = TDragDropEvent(this, &DragTest::DragDrop);
        form->Show();
        Application->ProcessMessages();
    }
    void TearDown() override { delete form; }

    TPanel* NewPanel(int left, int top)
    {
        auto* panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBounds(left, top, 100, 100);
        return panel;
    }
    POINT On(TControl* control, int x = 50, int y = 50)
    {
        return control->ClientToScreen(POINT{x, y});
    }
    void PressOnSource()
    {
        SendMessageA(source->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
    }

    void StartDrag(TObject*, TDragObject*&) { log.push_back("start"); }
    void EndDrag(TObject*, TObject* to, int x, int y)
    {
        log.push_back(std::string("end ") + (to == target ? "target" : to ? "other" : "nothing"));
        endPos = POINT{x, y};
    }
    void DragOver(TObject*, TObject* from, int, int, TDragState state, bool& accept)
    {
        static const char* const names[] = {"enter", "leave", "move"};
        log.push_back(names[state]);
        accept = from == source;
        cursorDuringOver = true;
    }
    void DragDrop(TObject*, TObject* from, int x, int y)
    {
        log.push_back(from == source ? "drop source" : "drop other");
        dropPos = POINT{x, y};
    }
    void Click(TObject*) { log.push_back("click"); }

    std::vector<std::string> log;
    POINT dropPos{}, endPos{};
    bool cursorDuringOver = false;
    TForm* form = nullptr;
    TPanel *source, *target, *refuser;
};

TEST_F(DragTest, AnAutomaticDragStartsAfterTheThresholdAndDropsOnATargetThatAccepts)
{
    PressOnSource();
    ASSERT_TRUE(source->Dragging());
    MouseAt(WM_MOUSEMOVE, On(source, 52, 52)); // below the threshold: no drag yet
    EXPECT_TRUE(log.empty());
    MouseAt(WM_MOUSEMOVE, On(target, 20, 30));
    EXPECT_EQ(GetCursor(), Screen->Cursors(crDrag));
    MouseAt(WM_MOUSEMOVE, On(refuser));
    EXPECT_EQ(GetCursor(), Screen->Cursors(crNoDrop)) << "a control without OnDragOver refuses";
    MouseAt(WM_MOUSEMOVE, On(target, 20, 30));
    MouseAt(WM_LBUTTONUP, On(target, 20, 30));
    EXPECT_EQ(log, (std::vector<std::string>{"start", "enter", "move", "leave", "enter", "move",
                                             "move", "drop source", "end target"}));
    EXPECT_EQ(dropPos.x, 20);
    EXPECT_EQ(dropPos.y, 30);
    EXPECT_EQ(endPos.x, 20);
    EXPECT_FALSE(source->Dragging());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(DragTest, ADropWhereNothingAcceptsEndsWithoutATarget)
{
    PressOnSource();
    MouseAt(WM_MOUSEMOVE, On(refuser));
    MouseAt(WM_LBUTTONUP, On(refuser));
    EXPECT_EQ(log, (std::vector<std::string>{"start", "end nothing"}));

    // A right click cancels a drag over a target that would accept.
    log.clear();
    source->BeginDrag(true);
    MouseAt(WM_MOUSEMOVE, On(target));
    MouseAt(WM_RBUTTONDOWN, On(target));
    EXPECT_EQ(log, (std::vector<std::string>{"start", "enter", "move", "end nothing"}));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(DragTest, ReleasingBeforeTheThresholdIsAClick)
{
    PressOnSource();
    MouseAt(WM_LBUTTONUP, On(source, 51, 50));
    EXPECT_EQ(log, (std::vector<std::string>{"click"}));
    EXPECT_FALSE(source->Dragging());
}

TEST_F(DragTest, ADockDragMovesTheControlIntoTheSite)
{
    auto* label = new TLabel(form);
    label->SetParent(source);
    label->SetCaption("Dock me");
    label->SetDragKind(dkDock);
    std::vector<std::string> dock;
    struct Events : TObject {
        std::vector<std::string>* log;
        TWinControl* site;
        void StartDock(TObject*, TDragDockObject*&) { log->push_back("start dock"); }
        void EndDock(TObject*, TObject* to, int, int)
        {
            log->push_back(to == site ? "end dock site" : "end dock");
        }
        void DockDrop(TObject*, TDragDockObject* from, int, int)
        {
            log->push_back(from && from->Control ? "dropped " + from->Control->Caption()
                                                 : "dropped");
        }
    } events;
    events.log = &dock;
    events.site = target;
    label->OnStartDock = TStartDockEvent(&events, &Events::StartDock);
    label->OnEndDock = TEndDragEvent(&events, &Events::EndDock);
    target->SetDockSite(true);
    target->OnDockDrop = TDockDropEvent(&events, &Events::DockDrop);

    // Only dock sites are targets of a dock drag.
    label->BeginDrag(true);
    MouseAt(WM_MOUSEMOVE, On(refuser));
    MouseAt(WM_LBUTTONUP, On(refuser));
    EXPECT_EQ(label->Parent(), source);
    label->BeginDrag(true);
    MouseAt(WM_MOUSEMOVE, On(target, 30, 40));
    MouseAt(WM_LBUTTONUP, On(target, 30, 40));
    EXPECT_EQ(label->Parent(), target);
    EXPECT_EQ(label->Left(), 30);
    EXPECT_EQ(dock, (std::vector<std::string>{"start dock", "end dock", "start dock",
                                              "dropped Dock me", "end dock site"}));
}

TEST(MouseWheel, NotchesBecomeUpAndDownAndUnhandledTurnsGoToTheParent)
{
    auto* form = new TForm(nullptr);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    auto* inner = new TPanel(form);
    inner->SetParent(panel);
    form->Show();
    struct Counter : TObject {
        std::vector<std::string> log;
        bool handleWheel = false;
        void Wheel(TObject* sender, TShiftState, int delta, POINT, bool& handled)
        {
            log.push_back(static_cast<TComponent*>(sender)->Name() + " wheel " +
                          std::to_string(delta));
            handled = handleWheel;
        }
        void Down(TObject*, TShiftState, POINT, bool& handled)
        {
            log.push_back("down");
            handled = true;
        }
        void Up(TObject*, TShiftState, POINT, bool& handled)
        {
            log.push_back("up");
            handled = true;
        }
    } counter;
    panel->SetName("Panel");
    inner->SetName("Inner");
    inner->OnMouseWheel = TMouseWheelEvent(&counter, &Counter::Wheel);
    inner->OnMouseWheelDown = TMouseWheelUpDownEvent(&counter, &Counter::Down);
    inner->OnMouseWheelUp = TMouseWheelUpDownEvent(&counter, &Counter::Up);
    panel->OnMouseWheel = TMouseWheelEvent(&counter, &Counter::Wheel);
    auto turn = [&](int delta) {
        SendMessageA(inner->Handle(), WM_MOUSEWHEEL,
                     MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))),
                     MAKELPARAM(10, 10));
    };
    turn(-2 * WHEEL_DELTA);
    turn(WHEEL_DELTA / 2);
    turn(WHEEL_DELTA / 2);
    EXPECT_EQ(counter.log,
              (std::vector<std::string>{"Inner wheel -240", "down", "down", "Inner wheel 60",
                                        "Panel wheel 60", "Inner wheel 60", "up"}));
    // A handled turn stops at the control.
    counter.log.clear();
    counter.handleWheel = true;
    turn(WHEEL_DELTA);
    EXPECT_EQ(counter.log, (std::vector<std::string>{"Inner wheel 120"}));
    delete form;
}

// A control that can only be 50 pixels wide while it sizes itself.
class TFixedWidth : public TGraphicControl {
    CLASSLIB_CLASS(TFixedWidth, TGraphicControl)
    explicit TFixedWidth(TComponent* owner) : TGraphicControl(owner) {}

protected:
    bool CanAutoSize(int& width, int&) override
    {
        width = 50;
        return true;
    }
};
CLASSLIB_PUBLISH(TFixedWidth) {}

TEST(Sizing, SetBoundsAsksTheControlAndItsConstraints)
{
    TComponent owner(nullptr);
    struct Rules : TObject {
        bool allow = true;
        int resized = 0;
        void CanResize(TObject*, int& width, int&, bool& resize)
        {
            resize = allow;
            if (width > 300)
                width = 300;
        }
        void Constrain(TObject*, int&, int&, int& maxWidth, int&) { maxWidth = 250; }
        void Resized(TObject*) { ++resized; }
    } rules;
    auto* control = new TFixedWidth(&owner);
    control->SetBounds(0, 0, 100, 40);
    control->OnCanResize = TCanResizeEvent(&rules, &Rules::CanResize);
    control->OnResize = TNotifyEvent(&rules, &Rules::Resized);

    struct Case {
        const char* name;
        bool allow;
        bool autoSize;
        bool constrain;
        int minWidth;
        int width;  // asked for
        int expect; // width afterwards
    };
    const Case cases[] = {
        {"allowed", true, false, false, 0, 120, 120},
        {"vetoed keeps the size", false, false, false, 0, 140, 120},
        {"OnCanResize changes the size", true, false, false, 0, 400, 300},
        {"OnConstrainedResize narrows the limit", true, false, true, 0, 280, 250},
        {"Constraints' minimum", true, false, false, 130, 90, 130},
        {"CanAutoSize decides while auto-sized", true, true, false, 0, 200, 50},
    };
    for (const Case& c : cases) {
        rules.allow = c.allow;
        control->OnConstrainedResize = c.constrain
                                           ? TConstrainedResizeEvent(&rules, &Rules::Constrain)
                                           : TConstrainedResizeEvent();
        control->Constraints()->SetMinWidth(c.minWidth);
        control->SetAutoSize(c.autoSize);
        control->SetBounds(5, 5, c.width, 40);
        EXPECT_EQ(control->Width(), c.expect) << c.name;
        EXPECT_EQ(control->Left(), 5) << c.name;
        control->SetAutoSize(false);
    }
    // OnResize follows size changes only.
    rules.allow = true;
    control->SetBounds(5, 5, 100, 40);
    const int before = rules.resized;
    control->SetBounds(20, 20, 100, 40);
    EXPECT_EQ(rules.resized, before);
    control->SetBounds(20, 20, 110, 40);
    EXPECT_EQ(rules.resized, before + 1);
}

TEST(Sizing, AWindowedControlReportsResizesOfItsWindow)
{
    auto* form = new TForm(nullptr);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    form->Show();
    int resized = 0;
    struct Counter : TObject {
        int* count;
        void Resized(TObject*) { ++*count; }
    } counter;
    counter.count = &resized;
    panel->OnResize = TNotifyEvent(&counter, &Counter::Resized);
    SetWindowPos(panel->Handle(), nullptr, 0, 0, 77, 66, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(resized, 1);
    EXPECT_EQ(panel->Width(), 77);
    delete form;
}

TEST(Sizing, AFormsConstraintsLimitTheUsersSizing)
{
    auto* form = new TForm(nullptr);
    form->Constraints()->SetMinWidth(200);
    form->Constraints()->SetMaxHeight(400);
    form->Show();
    MINMAXINFO info{};
    info.ptMinTrackSize = POINT{10, 11};
    info.ptMaxTrackSize = POINT{5000, 5000};
    SendMessageA(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 200);
    EXPECT_EQ(info.ptMaxTrackSize.y, 400);
    EXPECT_NE(info.ptMinTrackSize.y, 0) << "a limit of 0 leaves the platform's value";
    EXPECT_NE(info.ptMaxTrackSize.x, 0);
    delete form;
}

} // namespace
