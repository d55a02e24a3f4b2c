// The advanced panel under sent mouse messages and over time: collapse and expand (animated
// and not), the caption buttons and clicks, moving by the caption and sizing by the grip with
// locked coordinates, sizing to the text, and the position in an INI file or the registry.
#include "PanelTestSupport.h"

#include "html/HtmlRenderer.h"
#include "windows/Application.h"
#include "windows/StdCtrls.h"

#include "core/ComponentStream.h"
#include "core/FormText.h"
#include "core/Streams.h"

#include <algorithm>

using namespace classlib;
using namespace panels;
using paneltest::Events;
using testsupport::PumpUntil;

namespace {

class AdvPanelInteraction : public paneltest::PanelFixture {
protected:
    TAdvPanel* CaptionPanel(int width = 150, int height = 200, const std::string& name = "")
    {
        TAdvPanel* panel = PlacePlain(width, height, clWhite);
        panel->SetName(name);
        panel->Caption()->SetVisible(true);
        panel->SetCollapsDelay(0);
        return panel;
    }
    static void Click(TWinControl* control, int x, int y, UINT down = WM_LBUTTONDOWN,
                      UINT up = WM_LBUTTONUP)
    {
        SendMessageA(control->Handle(), down, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(control->Handle(), up, 0, MAKELPARAM(x, y));
    }
    static LRESULT HitTest(TWinControl* control, int x, int y)
    {
        const POINT screen = control->ClientToScreen(POINT{x, y});
        return SendMessageA(control->Handle(), WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
    }
};

TEST_F(AdvPanelInteraction, CollapseAndExpandWithoutAnimation)
{
    TAdvPanel* panel = CaptionPanel();
    Events minimized, maximized, ended;
    panel->OnMinimize = TNotifyEvent(&minimized, &Events::Notify);
    panel->OnMaximize = TNotifyEvent(&maximized, &Events::Notify);
    panel->OnEndCollapsExpand = TNotifyEvent(&ended, &Events::Notify);
    const TColor color = panel->Color();
    panel->SetCollaps(true);
    EXPECT_EQ(panel->Height(), 18); // caption height - 2
    EXPECT_EQ(panel->FullHeight(), 200);
    EXPECT_EQ(panel->Color(), color); // only an animation changes the colour
    panel->SetCollaps(false);
    EXPECT_EQ(panel->Height(), 200);
    EXPECT_EQ(minimized.count, 1);
    EXPECT_EQ(maximized.count, 1);
    EXPECT_EQ(ended.count, 2);
    panel->SetCollaps(false); // no change still ends
    EXPECT_EQ(ended.count, 3);
}

TEST_F(AdvPanelInteraction, CollapsedExtentByBorderAndCaptionSide)
{
    TAdvPanel* shadowed = CaptionPanel();
    shadowed->SetBorderWidth(1);
    shadowed->SetBorderShadow(true);
    shadowed->SetCollaps(true);
    EXPECT_EQ(shadowed->Height(), 20 - 2 + 5);

    TAdvPanel* left = CaptionPanel(150, 100);
    left->Caption()->SetPosition(cpLeft);
    left->SetCollaps(true);
    EXPECT_EQ(left->Width(), 20); // no -2 for a left caption
    EXPECT_EQ(left->Height(), 100);
    EXPECT_EQ(left->FullHeight(), 150);
    left->SetCollaps(false);
    EXPECT_EQ(left->Width(), 150);
}

struct HeightLog {
    TControl* control = nullptr;
    std::vector<int> heights;
    void Resized(TObject*) { heights.push_back(control->Height()); }
};

TEST_F(AdvPanelInteraction, AnimatedCollapseStepsAndColours)
{
    TAdvPanel* panel = CaptionPanel();
    panel->SetColor(0x00FF00);
    panel->SetCollapsColor(0x0000FF);
    panel->SetCollapsSteps(4);
    HeightLog log{panel, {}};
    panel->OnResize = TNotifyEvent(&log, &HeightLog::Resized);
    panel->SetCollaps(true);
    // (200 - 20) div 4 = 45 a step, then it snaps to the caption.
    const std::vector<int> collapsing = {155, 110, 65, 20, 18};
    EXPECT_EQ(log.heights, collapsing);
    EXPECT_EQ(panel->Color(), 0x0000FFu);
    log.heights.clear();
    panel->SetCollaps(false);
    // (FullHeight 200 - 20) div 4 = 45 a step up from 18, then FullHeight.
    const std::vector<int> expanding = {63, 108, 153, 198, 200};
    EXPECT_EQ(log.heights, expanding);
    EXPECT_EQ(panel->Color(), 0x00FF00u);
}

TEST_F(AdvPanelInteraction, ChildrenHiddenBeforeACollapseStayHidden)
{
    TAdvPanel* panel = CaptionPanel();
    auto* shown = new TPanel(form);
    shown->SetParent(panel);
    auto* hidden = new TPanel(form);
    hidden->SetParent(panel);
    hidden->SetVisible(false);
    panel->SetCollaps(true);
    EXPECT_FALSE(shown->Visible());
    panel->SetCollaps(false);
    EXPECT_TRUE(shown->Visible());
    EXPECT_FALSE(hidden->Visible());
}

TEST_F(AdvPanelInteraction, CloseButtonHidesThePanel)
{
    TAdvPanel* panel = CaptionPanel(150, 200, "Panel");
    panel->Caption()->SetCloseButton(true);
    Events closed;
    panel->OnClose = TNotifyEvent(&closed, &Events::Notify);
    Click(panel, 150 - 8, 8); // the 12 px square at the top right, 2 px in
    EXPECT_FALSE(panel->Visible());
    EXPECT_EQ(closed.count, 1);
    panel->SetVisible(true);
    EXPECT_TRUE(panel->Visible());
    testsupport::PumpFor(50);
    EXPECT_EQ(form->FindComponent("Panel"), panel); // FreeOnClose is off
}

TEST_F(AdvPanelInteraction, FreeOnCloseFreesAfterTheMouseMessage)
{
    TAdvPanel* panel = CaptionPanel(150, 200, "Panel");
    panel->Caption()->SetCloseButton(true);
    panel->SetFreeOnClose(true);
    Click(panel, 150 - 8, 8);
    EXPECT_EQ(form->FindComponent("Panel"), panel); // still there inside the message
    EXPECT_TRUE(PumpUntil([&] { return form->FindComponent("Panel") == nullptr; }, 2000));
}

// A close with FreeOnClose that arrives while an animated collapse pumps messages must not
// free the panel under the running animation: it is freed when the animation has ended.
struct CloseDuringAnimation {
    TAdvPanel* panel = nullptr;
    bool posted = false;
    int endedAt = 0;
    void Resized(TObject*)
    {
        if (posted || !panel->Animating())
            return;
        posted = true;
        PostMessageA(panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM(panel->Width() - 8, 8));
        PostMessageA(panel->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(panel->Width() - 8, 8));
    }
    void Ended(TObject*) { endedAt = panel->Height(); }
};

TEST_F(AdvPanelInteraction, FreeOnCloseWaitsForTheAnimation)
{
    TAdvPanel* panel = CaptionPanel(150, 200, "Panel");
    panel->Caption()->SetCloseButton(true);
    panel->SetFreeOnClose(true);
    panel->SetCollapsSteps(6);
    CloseDuringAnimation probe{panel};
    panel->OnResize = TNotifyEvent(&probe, &CloseDuringAnimation::Resized);
    panel->OnEndCollapsExpand = TNotifyEvent(&probe, &CloseDuringAnimation::Ended);
    panel->SetCollaps(true);
    EXPECT_TRUE(probe.posted);
    EXPECT_EQ(probe.endedAt, 18);
    EXPECT_FALSE(panel->Visible());
    EXPECT_EQ(form->FindComponent("Panel"), panel);
    EXPECT_TRUE(PumpUntil([&] { return form->FindComponent("Panel") == nullptr; }, 2000));
}

TEST_F(AdvPanelInteraction, MinMaxButtonAndCaptionClicks)
{
    TAdvPanel* panel = CaptionPanel();
    panel->Caption()->SetMinMaxButton(true);
    Events clicks, doubleClicks;
    panel->OnCaptionClick = TNotifyEvent(&clicks, &Events::Notify);
    panel->OnCaptionDBlClick = TNotifyEvent(&doubleClicks, &Events::Notify);
    Click(panel, 150 - 8, 8); // the min/max square
    EXPECT_TRUE(panel->Collaps());
    Click(panel, 150 - 8, 8);
    EXPECT_FALSE(panel->Collaps());
    Click(panel, 40, 8); // the caption, MinMaxCaption off
    EXPECT_FALSE(panel->Collaps());
    const int clicksBefore = clicks.count;
    EXPECT_GE(clicksBefore, 1);

    panel->Caption()->SetMinMaxCaption(true);
    Click(panel, 40, 8);
    EXPECT_TRUE(panel->Collaps());
    Click(panel, 150 - 8, 8); // the button toggles once, not twice
    EXPECT_FALSE(panel->Collaps());
    Click(panel, 40, 60); // the body is no caption
    EXPECT_FALSE(panel->Collaps());

    SendMessageA(panel->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(40, 8));
    SendMessageA(panel->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(40, 60));
    EXPECT_EQ(doubleClicks.count, 1);
}

TEST_F(AdvPanelInteraction, MovingByTheCaptionAndSizingByTheGrip)
{
    TAdvPanel* panel = CaptionPanel(150, 100);
    EXPECT_EQ(HitTest(panel, 40, 8), HTCLIENT);
    panel->SetCanMove(true);
    EXPECT_EQ(HitTest(panel, 40, 8), HTCAPTION);
    EXPECT_EQ(HitTest(panel, 40, 50), HTCLIENT);
    EXPECT_EQ(HitTest(panel, 148, 98), HTCLIENT);
    panel->SetCanSize(true);
    EXPECT_EQ(HitTest(panel, 148, 98), HTBOTTOMRIGHT);
    panel->SetCollaps(true);
    panel->SetCollaps(false);
}

TEST_F(AdvPanelInteraction, AnchorsUnderTheMouse)
{
    TAdvPanel* panel = PlacePlain(200, 80, clWhite);
    panel->SetText("<a href=\"first\">first anchor</a>");
    Events clicks, entered, left;
    panel->OnAnchorClick = TAnchorEvent(&clicks, &Events::Anchor);
    panel->OnAnchorEnter = TAnchorEvent(&entered, &Events::Anchor);
    panel->OnAnchorExit = TAnchorEvent(&left, &Events::Anchor);
    const TCursor normal = panel->Cursor();
    SendMessageA(panel->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(12, 7));
    EXPECT_EQ(panel->Cursor(), crHandPoint);
    EXPECT_EQ(entered.anchors, std::vector<std::string>{"first"});
    SendMessageA(panel->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(150, 60));
    EXPECT_EQ(panel->Cursor(), normal);
    EXPECT_EQ(left.anchors.size(), 1u);
    Click(panel, 12, 7);
    EXPECT_EQ(clicks.anchors, std::vector<std::string>{"first"});
    Click(panel, 150, 60);
    EXPECT_EQ(clicks.anchors.size(), 1u);
}

// The locks keep what the panel had when its form layout was loaded.
TEST_F(AdvPanelInteraction, LockedCoordinatesWhileMovingAndSizing)
{
    auto* panel = new TAdvPanel(form);
    panel->SetParent(form);
    TStringStream layout(
        ObjectTextToBinary("object Locked: TAdvPanel\n  Left = 20\n  Top = 30\n  Width = 150\n"
                           "  Height = 100\n  CanMove = True\n  FixedLeft = True\n"
                           "  FixedWidth = True\nend\n"));
    ReadComponentFromStream(layout, panel);
    const POINT origin = panel->ClientOrigin();
    RECT moving{origin.x + 40, origin.y + 30, origin.x + 40 + 150, origin.y + 30 + 100};
    panel->Perform(WM_MOVING, 0, reinterpret_cast<LPARAM>(&moving));
    EXPECT_EQ(moving.left, origin.x); // only the vertical move is kept
    EXPECT_EQ(moving.right - moving.left, 150);
    EXPECT_EQ(moving.top, origin.y + 30);

    RECT sizing{100, 100, 400, 360};
    panel->Perform(WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&sizing));
    EXPECT_EQ(sizing.right, 100 + 150); // only the height changes
    EXPECT_EQ(sizing.bottom, 360);
    EXPECT_EQ(panel->FullHeight(), 260);
}

TEST_F(AdvPanelInteraction, AutoSizeToTheText)
{
    TAdvPanel* panel = PlacePlain(300, 200, clWhite);
    panel->SetText("Sized <b>to</b> this text");
    panel->AutoSizing()->SetEnabled(true);
    // What the renderer measures for the same text in the panel's font.
    TBitmap scratch;
    scratch.SetSize(1, 1);
    scratch.Canvas()->SetFont(panel->Font());
    html::HtmlDrawRequest request;
    request.Canvas = scratch.Canvas();
    request.Text = panel->Text();
    request.Rect = RECT{0, 0, 0xFFFF, 0xFFFF};
    request.MeasureOnly = true;
    html::HtmlDrawResult measured;
    html::DrawHtmlText(request, measured);
    ASSERT_GT(measured.TextWidth, 0);
    EXPECT_EQ(panel->Width(), 2 * panel->BevelWidth() + measured.TextWidth);
    EXPECT_EQ(panel->Height(), 2 * panel->BevelWidth() + measured.TextHeight);

    panel->Caption()->SetVisible(true);
    panel->SetText(panel->Text());
    EXPECT_EQ(panel->Height(), 20 + 2 * panel->BevelWidth() + measured.TextHeight);
}

} // namespace

namespace {

class AdvPanelPosition : public paneltest::PanelFixture {
protected:
    void SetUp() override
    {
        PanelFixture::SetUp();
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        // One file per test: the test runner runs these cases in parallel processes.
        ini = std::string(folder) + "adv_panel_position_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
        DeleteFileA(ini.c_str());
    }
    void TearDown() override
    {
        PanelFixture::TearDown();
        DeleteFileA(ini.c_str());
    }
    TAdvPanel* SavingPanel(TPanelPositionLocation location, const std::string& key)
    {
        TAdvPanel* panel = PlacePlain(150, 200, clWhite);
        panel->Caption()->SetVisible(true);
        panel->Position()->SetSave(true);
        panel->Position()->SetLocation(location);
        panel->Position()->SetKey(key);
        panel->Position()->SetSection("Panel");
        return panel;
    }
    int IniValue(const char* name)
    {
        return static_cast<int>(GetPrivateProfileIntA("Panel", name, -999, ini.c_str()));
    }

    std::string ini;
};

TEST_F(AdvPanelPosition, SavedToAndRestoredFromAnIniFile)
{
    TAdvPanel* panel = SavingPanel(clInifile, ini);
    panel->SetBounds(30, 40, 150, 200);
    panel->SetCollaps(true);
    panel->Free(); // the window goes: the position is written
    EXPECT_EQ(IniValue("Top"), 40);
    EXPECT_EQ(IniValue("Left"), 30);
    EXPECT_EQ(IniValue("Height"), 18);
    EXPECT_EQ(IniValue("FullHeight"), 200);
    EXPECT_EQ(IniValue("Width"), 150);
    EXPECT_EQ(IniValue("Collaps"), 1);

    TAdvPanel* restored = SavingPanel(clInifile, ini);
    restored->LoadPosition();
    EXPECT_EQ(restored->Left(), 30);
    EXPECT_EQ(restored->Top(), 40);
    EXPECT_TRUE(restored->Collaps());
    EXPECT_EQ(restored->Height(), 18);
    restored->SetCollaps(false);
    EXPECT_EQ(restored->Height(), 200);
}

TEST_F(AdvPanelPosition, SavedToAndRestoredFromTheRegistry)
{
    const std::string key = "Software\\BrenvikTests\\AdvPanelPosition";
    TAdvPanel* panel = SavingPanel(clRegistry, key);
    panel->SetBounds(12, 14, 160, 90);
    panel->SavePosition();
    DWORD top = 0, size = sizeof(top);
    HKEY handle = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (key + "\\Panel").c_str(), 0, KEY_READ, &handle),
              ERROR_SUCCESS);
    char text[32] = {};
    DWORD type = 0;
    size = sizeof(text);
    EXPECT_EQ(RegQueryValueExA(handle, "Top", nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
              ERROR_SUCCESS);
    RegCloseKey(handle);
    if (type == REG_DWORD)
        EXPECT_EQ(*reinterpret_cast<DWORD*>(text), 14u);
    else
        EXPECT_STREQ(text, "14");
    (void)top;

    TAdvPanel* restored = SavingPanel(clRegistry, key);
    restored->LoadPosition();
    EXPECT_EQ(restored->Left(), 12);
    EXPECT_EQ(restored->Top(), 14);
    EXPECT_EQ(restored->Width(), 160);
    EXPECT_EQ(restored->Height(), 90);
    EXPECT_FALSE(restored->Collaps());
    restored->Position()->SetSave(false);
    panel->Position()->SetSave(false);
    RegDeleteKeyA(HKEY_CURRENT_USER, (key + "\\Panel").c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

TEST_F(AdvPanelPosition, NothingWithoutKeyOrSection)
{
    TAdvPanel* panel = SavingPanel(clInifile, ini);
    panel->Position()->SetSection("");
    panel->SavePosition();
    EXPECT_EQ(GetFileAttributesA(ini.c_str()), INVALID_FILE_ATTRIBUTES);
    panel->Position()->SetSave(false);
}

// A position that lies off every monitor (a file from another display set-up, or edited by
// hand) is moved onto the nearest one.
TEST_F(AdvPanelPosition, APositionOffEveryMonitorComesBack)
{
    WritePrivateProfileStringA("Panel", "Left", "-30000", ini.c_str());
    WritePrivateProfileStringA("Panel", "Top", "40000", ini.c_str());
    WritePrivateProfileStringA("Panel", "Width", "150", ini.c_str());
    WritePrivateProfileStringA("Panel", "Height", "100", ini.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str());
    TAdvPanel* panel = SavingPanel(clInifile, ini);
    panel->LoadPosition();
    panel->Position()->SetSave(false);
    EXPECT_EQ(panel->Width(), 150);
    EXPECT_EQ(panel->Height(), 100);
    const POINT topLeft = panel->ClientToScreen(POINT{0, 0});
    const RECT onScreen{topLeft.x, topLeft.y, topLeft.x + 150, topLeft.y + 100};
    EXPECT_NE(MonitorFromRect(&onScreen, MONITOR_DEFAULTTONULL), nullptr);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoA(MonitorFromRect(&onScreen, MONITOR_DEFAULTTONEAREST), &info);
    EXPECT_GE(onScreen.left, info.rcWork.left);
    EXPECT_LE(onScreen.bottom, info.rcWork.bottom);
}

} // namespace
