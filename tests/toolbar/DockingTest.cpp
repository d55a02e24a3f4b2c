// Dock panels and toolbars as real windows on a form: rows and panel size, drags synthesized
// with posted mouse messages (swapping, a new row above, tear-off at 27 px and not at 26, the
// allowed dock sides, docking a floating toolbar), the floating window's edge drag, layout
// round trips through an INI file and the registry, damaged layouts, the painted grip, right
// handle, corners and caption buttons, and the faults mended on the way.
#include "toolbar/AdvDockPanel.h"
#include "toolbar/AdvToolBar.h"
#include "toolbar/FloatingWindow.h"
#include "toolbar/MenuTracking.h"

#include "GuiTest.h"

#include "core/ComponentStream.h"
#include "core/Exceptions.h"
#include "core/FormText.h"
#include "core/Streams.h"
#include "windows/Application.h"
#include "windows/ExtCtrls.h"
#include "windows/ImageLists.h"
#include "windows/Images.h"
#include "windows/Forms.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <new>
#include <string>
#include <vector>

using namespace classlib;
using namespace toolbar;
using testsupport::Dib;

namespace {

constexpr UINT WM_SET_POINTER = WM_APP + 1;
std::vector<bool> captureHeld; // whether the dragged window held the capture at each step
HWND draggedWindow = nullptr;

LRESULT CALLBACK PointerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SET_POINTER) {
        SetCursorPos(static_cast<int>(wParam), static_cast<int>(lParam));
        captureHeld.push_back(GetCapture() == draggedWindow);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A hidden window that moves the pointer when its message comes out of the drag's own loop.
HWND PointerWindow()
{
    static HWND window = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = PointerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "BrenvikDockPointer";
        RegisterClassA(&wc);
        return CreateWindowA("BrenvikDockPointer", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             wc.hInstance, nullptr);
    }();
    return window;
}

// Presses the left button at `press` (client coordinates of `control`), moves the pointer
// through the screen points and releases it. The drag loop runs inside the press.
void Drag(TWinControl* control, POINT press, const std::vector<POINT>& path)
{
    HWND h = control->Handle();
    draggedWindow = h;
    captureHeld.clear();
    const POINT start = control->ClientToScreen(press);
    SetCursorPos(start.x, start.y);
    for (POINT p : path) {
        PostMessageA(PointerWindow(), WM_SET_POINTER, static_cast<WPARAM>(p.x), p.y);
        PostMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(press.x, press.y));
    }
    PostMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(press.x, press.y));
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.x, press.y));
}

class Docking : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 500, 360);
        form->Show();
        top = new TAdvDockPanel(form);
        top->SetName("TopDock");
        top->SetParent(form);
    }
    void TearDown() override
    {
        form->Free();
        Application->ProcessMessages();
    }
    // A toolbar named `name` with `buttons` 30 x 22 panels as its controls.
    TAdvCustomToolBar* ToolBar(const char* name, int buttons, TWinControl* parent)
    {
        auto* t = new TAdvCustomToolBar(form);
        t->SetName(name);
        t->SetParent(parent);
        for (int i = 0; i < buttons; ++i) {
            auto* p = new TPanel(form);
            p->SetBounds(100 * i, 0, 30, 22);
            p->SetParent(t);
        }
        return t;
    }
    TForm* form = nullptr;
    TAdvDockPanel* top = nullptr;
};

TEST_F(Docking, ToolBarsTakeRowsAndThePanelFollows)
{
    TAdvCustomToolBar* a = ToolBar("A", 2, top);
    TAdvCustomToolBar* b = ToolBar("B", 1, top);
    EXPECT_EQ(a->State(), tsDocked);
    EXPECT_EQ(a->DockPanel(), top);
    EXPECT_EQ(top->RowCount(), 2);
    EXPECT_EQ(a->Top(), 1);
    EXPECT_EQ(b->Top(), 28);
    EXPECT_EQ(top->Height(), 55);
    // Grip 7 + 2, two 30-px controls, right handle 14.
    EXPECT_EQ(a->Width(), 9 + 60 + 14);
    EXPECT_EQ(a->ControlOrder(0)->Left(), 9);
    // Moved up into A's row, B joins it where it was asked to go.
    b->SetBounds(250, a->Top(), b->Width(), b->Height());
    EXPECT_EQ(top->RowCount(), 1);
    EXPECT_EQ(b->Left(), 250);
    EXPECT_EQ(b->RowIndex(), 0);
    EXPECT_EQ(top->Height(), 28);
}

TEST_F(Docking, PanelRules)
{
    EXPECT_EQ(top->Version(), "3.1.4.0");
    top->SetVersion("9.9");
    EXPECT_EQ(top->Version(), "3.1.4.0");
    top->SetMinimumSize(0);
    EXPECT_EQ(top->MinimumSize(), 3);
    auto* nested = new TAdvDockPanel(form);
    EXPECT_THROW(nested->SetParent(top), Exception);
    TAdvCustomToolBar* a = ToolBar("A", 1, top);
    EXPECT_THROW(nested->SetParent(a), Exception);
    try {
        nested->SetParent(a);
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Invalid Parent");
    }
    top->SetAlign(daLeft);
    EXPECT_EQ(a->Position(), daLeft);
    EXPECT_GT(a->Height(), a->Width());
}

TEST_F(Docking, FreeToolBarDropsParentStyler)
{
    TAdvCustomToolBar* a = ToolBar("A", 1, form);
    EXPECT_EQ(a->State(), tsFree);
    EXPECT_FALSE(a->ParentStyler());
    a->SetAllowFloating(false);
    EXPECT_FALSE(a->AllowFloating());
}

TEST_F(Docking, DragSwapsToolBarsAndOpensARowAbove)
{
    TAdvCustomToolBar* a = ToolBar("A", 1, top);
    TAdvCustomToolBar* b = ToolBar("B", 1, top);
    b->SetBounds(250, a->Top(), b->Width(), b->Height());
    ASSERT_EQ(top->RowCount(), 1);
    ASSERT_GT(b->Left(), a->Left());
    const HWND handle = b->Handle();
    // B's grip moved to within 5 px of A's start: the two change places.
    const POINT grip{3, 10};
    const POINT at = b->ClientToScreen(grip);
    Drag(b, grip, {{at.x - 20, at.y}, {at.x - (b->Left() - a->Left()) + 3, at.y}});
    EXPECT_LT(b->Left(), a->Left());
    EXPECT_EQ(top->RowToolBars(0).front(), b);
    EXPECT_EQ(b->Handle(), handle);
    // 4 px above the row, in a row of two: a new row above.
    const POINT from = b->ClientToScreen(grip);
    Drag(b, grip, {{from.x, from.y - 14}});
    EXPECT_EQ(top->RowCount(), 2);
    EXPECT_EQ(top->RowToolBars(0).front(), b);
    EXPECT_EQ(a->RowIndex(), 1);
    EXPECT_FALSE(b->Dragging());
}

TEST_F(Docking, TearOffNeedsMoreThan26PixelsBeyondThePanel)
{
    struct Case {
        int beyond;
        TToolBarState expected;
    } cases[] = {{26, tsDocked}, {27, tsFloating}};
    for (const Case& c : cases) {
        TAdvCustomToolBar* t = ToolBar(c.beyond == 26 ? "Stays" : "Goes", 1, top);
        const HWND handle = t->Handle();
        const POINT grip{3, 10};
        const POINT panelOrigin = top->ClientToScreen(POINT{0, 0});
        const POINT at = t->ClientToScreen(grip);
        Drag(t, grip, {{at.x, at.y + 20}, {at.x, panelOrigin.y + top->Height() + c.beyond}});
        EXPECT_EQ(t->State(), c.expected) << c.beyond;
        EXPECT_EQ(t->Handle(), handle) << c.beyond;
        for (bool held : captureHeld)
            EXPECT_TRUE(held) << c.beyond;
        if (c.expected == tsFloating) {
            ASSERT_NE(t->FloatingWindow(), nullptr);
            EXPECT_EQ(t->Parent(), t->FloatingWindow());
            EXPECT_EQ(t->LastDockPanel(), top);
            EXPECT_EQ(top->ToolBarCount(), 0);
        }
        t->Free();
    }
}

TEST_F(Docking, WithoutAllowFloatingAToolBarStaysDocked)
{
    TAdvCustomToolBar* t = ToolBar("T", 1, top);
    t->SetAllowFloating(false);
    const POINT at = t->ClientToScreen(POINT{3, 10});
    Drag(t, POINT{3, 10}, {{at.x, at.y + 150}, {at.x + 300, at.y + 200}});
    EXPECT_EQ(t->State(), tsDocked);
    EXPECT_EQ(t->Parent(), top);
}

TEST_F(Docking, FloatingToolBarDocksOnlyWhereItIsAllowed)
{
    auto* left = new TAdvDockPanel(form);
    left->SetParent(form);
    left->SetAlign(daLeft);
    left->SetMinimumSize(20);
    TAdvCustomToolBar* t = ToolBar("T", 2, top);
    t->SetAllowedDockAligns(kAllDockAligns & ~(1u << daLeft));
    t->MakeFloating(form->Left() + 250, form->Top() + 200, true);
    ASSERT_EQ(t->State(), tsFloating);
    const HWND handle = t->Handle();
    const POINT caption{20, 5};
    const POINT inLeft = left->ClientToScreen(POINT{5, left->Height() / 2});
    Drag(t, caption, {{inLeft.x + 40, inLeft.y}, inLeft});
    EXPECT_EQ(t->State(), tsFloating);
    // Within 15 px below the top panel's inner edge.
    const POINT belowTop = top->ClientToScreen(POINT{200, top->Height() + 12});
    Drag(t, caption, {{belowTop.x, belowTop.y + 40}, belowTop});
    EXPECT_EQ(t->State(), tsDocked);
    EXPECT_EQ(t->Parent(), top);
    EXPECT_EQ(t->FloatingWindow(), nullptr);
    EXPECT_EQ(t->Handle(), handle);
}

TEST_F(Docking, ClosingAFloatingToolBarHidesItAndFiresOnClose)
{
    TAdvCustomToolBar* t = ToolBar("T", 1, top);
    struct Recorder {
        int closed = 0;
        void Closed(TObject*) { ++closed; }
    } recorder;
    t->OnClose = TNotifyEvent(&recorder, &Recorder::Closed);
    t->MakeFloating(300, 300, true);
    const RECT close = t->CloseButtonRect();
    const LPARAM at = MAKELPARAM(close.left + 3, close.top + 3);
    SendMessageA(t->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(t->Handle(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ(recorder.closed, 1);
    EXPECT_FALSE(t->Visible());
    EXPECT_EQ(t->State(), tsFloating);
}

TEST_F(Docking, FloatingEdgeDragChangesTheRows)
{
    TAdvCustomToolBar* t = ToolBar("T", 6, top);
    t->MakeFloating(200, 200, true);
    t->SetFloatingRows(2);
    ASSERT_EQ(t->FloatingRows(), 2);
    TFloatingWindow* w = t->FloatingWindow();
    const HWND h = w->Handle();
    const int y = w->Height() / 2;
    struct Case {
        int distance, rows;
    } cases[] = {{5, 2}, {6, 1}};
    for (const Case& c : cases) {
        t->SetFloatingRows(2);
        // Pressed on the right edge; the distance counts from the window's edge.
        const int x = w->Width() - 1;
        SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(w->Width() + c.distance, y));
        SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(w->Width() + c.distance, y));
        EXPECT_EQ(t->FloatingRows(), c.rows) << c.distance;
        EXPECT_EQ(w->Width(), t->Width() + 2 * w->BorderWidth() + 2);
    }
}

// ---- layout store -------------------------------------------------------------------------

std::string TempIni(const char* name)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

std::string IniValue(const std::string& file, const char* key)
{
    char buffer[256] = {};
    GetPrivateProfileStringA("Layout", key, "", buffer, sizeof buffer, file.c_str());
    return buffer;
}

class DockLayout : public Docking {
protected:
    void Build(TPersistenceLocation location, const std::string& key)
    {
        top->Persistence()->SetLocation(location);
        top->Persistence()->SetKey(key);
        top->Persistence()->SetSection("Layout");
        top->Persistence()->SetEnabled(true);
        a = ToolBar("One", 2, top);
        b = ToolBar("Two", 1, top);
    }
    // Closes the form (Free, or a plain delete that skips BeforeDestruction: both save the
    // layout while the form is whole) and builds it again from the store.
    void Reopen(TPersistenceLocation location, const std::string& key, bool plainDelete = false)
    {
        if (plainDelete)
            delete form;
        else
            form->Free();
        SetUp();
        Build(location, key);
        top->LoadLayout();
    }
    TAdvCustomToolBar* a = nullptr;
    TAdvCustomToolBar* b = nullptr;
};

TEST_F(DockLayout, RoundTripThroughAnIniFile)
{
    const std::string file = TempIni("brenvik-dock-layout.ini");
    DeleteFileA(file.c_str());
    Build(plIniFile, file);
    b->SetBounds(250, a->Top(), b->Width(), b->Height());
    ASSERT_EQ(top->RowCount(), 1);
    const int bLeft = b->Left();
    Reopen(plIniFile, file);
    EXPECT_EQ(IniValue(file, "ToolBarCount"), "2");
    EXPECT_EQ(IniValue(file, "Name1"), "One");
    EXPECT_EQ(IniValue(file, "Two.Row"), "0");
    EXPECT_EQ(top->RowCount(), 1);
    EXPECT_EQ(b->RowIndex(), 0);
    EXPECT_EQ(b->Left(), bLeft);
    DeleteFileA(file.c_str());
}

TEST_F(DockLayout, APlainDeleteOfTheFormSavesTheWholeLayout)
{
    const std::string file = TempIni("brenvik-dock-delete.ini");
    DeleteFileA(file.c_str());
    Build(plIniFile, file);
    b->SetBounds(250, a->Top(), b->Width(), b->Height());
    ASSERT_EQ(top->RowCount(), 1);
    Reopen(plIniFile, file, true);
    EXPECT_EQ(IniValue(file, "ToolBarCount"), "2");
    EXPECT_EQ(IniValue(file, "RowCount"), "1");
    EXPECT_EQ(top->RowCount(), 1);
    EXPECT_EQ(b->RowIndex(), 0);
    DeleteFileA(file.c_str());
}

TEST_F(DockLayout, HandWrittenAndDamagedIniFiles)
{
    struct Case {
        const char* name;
        const char* text;
        int rows;
    } cases[] = {
        {"hand-written: Two above One",
         "[Layout]\nToolBarCount=2\nRowCount=2\nName1=Two\nTwo.Row=0\nName2=One\nOne.Row=1\n", 2},
        {"huge counts", "[Layout]\nToolBarCount=2000000000\nRowCount=99999\nName1=One\n", 2},
        {"negative rows",
         "[Layout]\nToolBarCount=2\nRowCount=1\nName1=One\nOne.Row=-4\nName2=Two\nTwo.Row=-1\n", 2},
        {"text where numbers belong",
         "[Layout]\nToolBarCount=2\nRowCount=x\nName1=One\nOne.Row=first\nOne.Width=wide\n"
         "Name2=Two\nTwo.Left=far\n",
         2},
        {"sizes beyond any screen",
         "[Layout]\nToolBarCount=1\nRowCount=1\nName1=One\nOne.Row=0\nOne.Width=99999999\n"
         "One.Left=-99999999\nOne.Height=77777777\n",
         2},
    };
    const std::string file = TempIni("brenvik-dock-hand.ini");
    for (const Case& c : cases) {
        std::ofstream(file) << c.text;
        TearDown();
        SetUp();
        Build(plIniFile, file);
        top->LoadLayout();
        top->Persistence()->SetEnabled(false); // leave the file as written
        EXPECT_EQ(top->RowCount(), c.rows) << c.name;
        for (TAdvCustomToolBar* t : {a, b}) {
            EXPECT_GE(t->RowIndex(), 0) << c.name;
            EXPECT_GE(t->Left(), 1) << c.name;
            EXPECT_LE(t->Left() + t->Width(), top->Width()) << c.name;
            EXPECT_LE(t->Height(), 40) << c.name;
        }
        if (std::string(c.name).rfind("hand", 0) == 0) {
            EXPECT_EQ(top->RowToolBars(0).front(), b) << c.name;
        }
    }
    DeleteFileA(file.c_str());
}

std::string RegQuery(const std::string& key)
{
    const std::string out = TempIni("brenvik-reg-query.txt");
    std::string command = "cmd /c reg query \"HKCU\\" + key + "\" > \"" + out + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi))
        return "";
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::ifstream in(out);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    DeleteFileA(out.c_str());
    return text;
}

TEST_F(DockLayout, RoundTripThroughTheRegistry)
{
    const std::string key = "Software\\BrenvikTests\\DockLayout";
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    Build(plRegistry, key);
    b->SetBounds(250, a->Top(), b->Width(), b->Height());
    ASSERT_EQ(top->RowCount(), 1);
    Reopen(plRegistry, key);
    EXPECT_EQ(top->RowCount(), 1);
    EXPECT_EQ(b->RowIndex(), 0);
    const std::string listing = RegQuery(key + "\\Layout");
    EXPECT_NE(listing.find("ToolBarCount"), std::string::npos) << listing;
    EXPECT_NE(listing.find("Two.Row"), std::string::npos) << listing;
    top->Persistence()->SetEnabled(false);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\BrenvikTests");
}

// ---- form layouts -------------------------------------------------------------------------

// A form read from layout text: a top dock panel with toolbars designed at the given places.
TForm* ReadForm(const std::string& toolBars, const std::string& panelProperties = "")
{
    RegisterDockClasses();
    RegisterClasses({&TPanel::StaticClass()});
    const std::string text =
        "object DockForm: TForm\n  Left = 100\n  Top = 100\n"
        "  ClientWidth = 500\n  ClientHeight = 300\n"
        "  object Dock: TAdvDockPanel\n" +
        panelProperties + toolBars + "  end\nend\n";
    auto* form = new TForm(nullptr);
    TStringStream stream(ObjectTextToBinary(text));
    form->LoadLayoutFromStream(stream);
    return form;
}

std::string DesignedToolBar(const char* name, int left, int top)
{
    return std::string("    object ") + name +
           ": TAdvCustomToolBar\n      Left = " + std::to_string(left) +
           "\n      Top = " + std::to_string(top) + "\n      object " + name +
           "Button: TPanel\n        Width = 30\n"
           "        Height = 22\n      end\n    end\n";
}

TEST(DockForms, DesignedToolBarsFindTheirRowsWhenTheLayoutLoads)
{
    struct Case {
        const char* name;
        int topA, leftA, topB, leftB;
        int rows;
        const char* first; // the first toolbar of row 0
    } cases[] = {
        {"Top 2 and Top 30: two rows", 2, 10, 30, 10, 2, "A"},
        {"the same Top: one row, ordered by Left", 2, 200, 2, 10, 1, "B"},
    };
    for (const Case& c : cases) {
        TForm* form =
            ReadForm(DesignedToolBar("A", c.leftA, c.topA) + DesignedToolBar("B", c.leftB, c.topB));
        auto* dock = static_cast<TAdvDockPanel*>(form->FindComponent("Dock"));
        ASSERT_NE(dock, nullptr) << c.name;
        EXPECT_EQ(dock->ToolBarCount(), 2) << c.name;
        EXPECT_EQ(dock->RowCount(), c.rows) << c.name;
        ASSERT_GE(dock->RowCount(), 1) << c.name;
        EXPECT_EQ(dock->RowToolBars(0).front()->Name(), c.first) << c.name;
        auto* a = static_cast<TAdvCustomToolBar*>(form->FindComponent("A"));
        EXPECT_EQ(a->State(), tsDocked) << c.name;
        EXPECT_EQ(a->Top(), 1) << c.name;
        form->Free();
    }
}

TEST(DockForms, PanelPropertiesGoThroughTheLayout)
{
    TForm* form = ReadForm("",
                           "    Align = daLeft\n    MinimumSize = 7\n    LockHeight = True\n"
                           "    Persistence.Key = 'Software\\Brenvik'\n"
                           "    Persistence.Section = 'Dock'\n"
                           "    Persistence.Location = plIniFile\n"
                           "    Version = '1.0'\n");
    auto* dock = static_cast<TAdvDockPanel*>(form->FindComponent("Dock"));
    EXPECT_EQ(dock->Align(), daLeft);
    EXPECT_EQ(dock->MinimumSize(), 7);
    EXPECT_TRUE(dock->LockHeight());
    EXPECT_EQ(dock->Persistence()->Key(), "Software\\Brenvik");
    EXPECT_EQ(dock->Persistence()->Section(), "Dock");
    EXPECT_EQ(dock->Persistence()->Location(), plIniFile);
    EXPECT_EQ(dock->Version(), "3.1.4.0");
    // Written back: what differs from the defaults, by name.
    TStringStream out("");
    WriteComponentToStream(out, dock);
    const std::string text = ObjectBinaryToText(out.DataString());
    for (const char* expected :
         {"Align = daLeft", "MinimumSize = 7", "LockHeight = True", "Persistence.Section = 'Dock'",
          "Persistence.Location = plIniFile"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    EXPECT_EQ(text.find("UseRunTimeHeight"), std::string::npos) << text;
    form->Free();
}

// ---- painting -----------------------------------------------------------------------------

TEST_F(Docking, GripDotsNeedTwelvePixels)
{
    struct Case {
        int thickness;
        bool dots;
    } cases[] = {{11, false}, {12, true}};
    for (const Case& c : cases) {
        TAdvCustomToolBar* t = ToolBar("Free", 0, form);
        t->SetAutoSizeToolBar(false);
        t->InternalStyler()->Color()->SetColor(0x00FF00);
        t->InternalStyler()->Color()->SetColorTo(clNone);
        t->SetBounds(10, 200, 100, c.thickness);
        Dib dib(100, c.thickness, 0x123456);
        t->PaintTo(dib.dc(), 0, 0);
        // The first pair's shadow square at (4, 4).
        const uint32_t shadow = static_cast<uint32_t>(ColorToRGB(clBtnShadow));
        const uint32_t rgb = ((shadow & 0xFF) << 16) | (shadow & 0xFF00) | ((shadow >> 16) & 0xFF);
        EXPECT_EQ(dib.Pixel(4, 4) == rgb, c.dots) << c.thickness;
        EXPECT_EQ(dib.Pixel(4, 4) == 0x00FF00, !c.dots) << c.thickness;
        t->Free();
    }
}

// The toolbar's own painting, without its child windows (which cover the right handle of a
// squeezed toolbar until hidden controls are moved to the overflow list).
struct PaintedToolBar : TAdvCustomToolBar {
    using TAdvCustomToolBar::TAdvCustomToolBar;
    void PaintInto(HDC dc) { PaintWindow(dc); }
};

TEST_F(Docking, ChevronOnlyWhileControlsAreHiddenAndCornersTakeThePanelColour)
{
    top->InternalStyler()->DockColor()->SetColor(0x0000FF);
    top->InternalStyler()->DockColor()->SetColorTo(clNone);
    auto* t = new PaintedToolBar(form);
    t->SetParent(top);
    for (int i = 0; i < 3; ++i) {
        auto* p = new TPanel(form);
        p->SetBounds(100 * i, 0, 30, 22);
        p->SetParent(t);
    }
    Dib panel(top->Width(), top->Height(), 0);
    top->PaintTo(panel.dc(), 0, 0);
    auto chevron = [&] {
        Dib dib(t->Width(), t->Height(), 0);
        t->PaintInto(dib.dc());
        // The handle's rectangle ends at Width + 1; the first chevron stroke at Right - 6.
        const uint32_t stroke = dib.Pixel(t->Width() + 1 - 6, 6);
        const uint32_t corner = dib.Pixel(0, 0);
        return std::make_pair(stroke == 0, corner);
    };
    auto [shown, corner] = chevron();
    EXPECT_FALSE(shown);
    EXPECT_EQ(corner, 0xFF0000u); // 0x0000FF as a TColor is red
    // A panel too narrow for the whole toolbar: shorter than its full length, the chevron
    // appears.
    form->SetClientWidth(90);
    ASSERT_LT(t->Width(), t->Constraints()->MaxWidth());
    EXPECT_TRUE(chevron().first);
}

TEST_F(Docking, CaptionBandOnADockedToolBar)
{
    top->InternalStyler()->Color()->SetColor(0x0000FF); // body: red
    top->InternalStyler()->Color()->SetColorTo(clNone);
    top->InternalStyler()->CaptionAppearance()->SetCaptionColor(0x00FF00); // band: green
    top->InternalStyler()->CaptionAppearance()->SetCaptionColorTo(clNone);
    auto* t = new PaintedToolBar(form);
    t->SetParent(top);
    auto* p = new TPanel(form);
    p->SetBounds(0, 0, 30, 22);
    p->SetParent(t);
    ASSERT_EQ(t->Height(), 26);
    struct Case {
        bool atEnd;
        int controlTop; // the first control: C + 2 below a top band, else 2
        int bandY, bodyY;
    } cases[] = {{false, 18, 8, 30}, {true, 2, 34, 10}};
    for (const Case& c : cases) {
        t->SetShowCaption(true);
        t->SetCaptionAtEnd(c.atEnd);
        EXPECT_EQ(t->Height(), 26 + 16) << c.atEnd; // the row thickness and the band
        EXPECT_EQ(p->Top(), c.controlTop) << c.atEnd;
        Dib dib(t->Width(), t->Height(), 0);
        t->PaintInto(dib.dc());
        EXPECT_EQ(dib.Pixel(t->Width() / 2, c.bandY), 0x00FF00u) << c.atEnd;
        EXPECT_EQ(dib.Pixel(t->Width() / 2, c.bodyY), 0xFF0000u) << c.atEnd;
    }
    t->SetShowCaption(false);
    EXPECT_EQ(t->Height(), 26);
    EXPECT_EQ(p->Top(), 2);
}

TEST_F(Docking, CaptionOptionButtonOnlyWithoutTheFullRightHandle)
{
    TAdvCustomToolBar* t = ToolBar("T", 1, top);
    t->SetShowCaption(true);
    EXPECT_LT(t->CaptionOptionButtonRect().left, 0); // the full handle carries the option mark
    t->SetFullRightHandle(false);
    const RECT r = t->CaptionOptionButtonRect();
    EXPECT_EQ(r.left, t->Width() - 16 + 1);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right, t->Width() - 1);
    EXPECT_EQ(r.bottom, 15);
    struct Receiver : TObject {
        std::vector<POINT> clicks;
        void Click(TObject*, POINT client, POINT) { clicks.push_back(client); }
    } receiver;
    t->OnOptionClick = TOptionClickEvent(&receiver, &Receiver::Click);
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    SendMessageA(t->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(t->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    ASSERT_EQ(receiver.clicks.size(), 1u);
    EXPECT_EQ(receiver.clicks[0].x, t->Left() + t->Width() - 12);
    EXPECT_EQ(receiver.clicks[0].y, t->Top() + t->Height() + 1);
    t->SetShowCaption(false);
    EXPECT_LT(t->CaptionOptionButtonRect().left, 0);
}

TEST_F(Docking, HintsOfTheOptionAndCloseButtons)
{
    TAdvCustomToolBar* t = ToolBar("T", 2, top);
    t->SetHint("toolbar");
    t->SetOptionHint("options");
    t->SetCloseHint("close");
    auto hintAt = [&](POINT p) {
        THintInfo info;
        info.HintStr = t->Hint();
        info.CursorPos = p;
        t->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
        return info.HintStr;
    };
    const RECT handle = t->RightHandleRect();
    EXPECT_EQ(hintAt(POINT{handle.left + 2, 5}), "options");
    EXPECT_EQ(hintAt(POINT{20, 5}), "toolbar");
    t->MakeFloating(250, 250, true);
    const RECT close = t->CloseButtonRect(), option = t->FloatingOptionButtonRect();
    EXPECT_EQ(hintAt(POINT{close.left + 2, close.top + 2}), "close");
    EXPECT_EQ(hintAt(POINT{option.left + 2, option.top + 2}), "options");
    t->SetShowClose(false);
    EXPECT_EQ(hintAt(POINT{close.left + 2, close.top + 2}), "options"); // moved to the end
    t->SetShowHint(false);
    EXPECT_EQ(hintAt(POINT{close.left + 2, close.top + 2}), "toolbar");
}

TEST_F(Docking, StylerPictureOnThePanelAndTheToolBar)
{
    auto* picture = new TBitmap();
    picture->SetSize(4, 4);
    picture->Canvas()->Brush()->SetColor(0x00FF00);
    picture->Canvas()->FillRect(RECT{0, 0, 4, 4});
    TCustomAdvToolBarStyler* styler = top->InternalStyler();
    styler->DockColor()->SetColor(0x0000FF);
    styler->DockColor()->SetColorTo(clNone);
    styler->Color()->SetColor(0xFF0000);
    styler->Color()->SetColorTo(clNone);
    styler->SetBackGround(picture);
    delete picture;
    auto* t = new PaintedToolBar(form);
    t->SetParent(top);
    struct Case {
        TBackGroundDisplay display;
        POINT panelPicture, panelPlain; // the panel: tiles from (1, 1), stretched inset by 2
        POINT barPicture, barPlain;     // the toolbar: tiles from (0, 0), centred
    } cases[] = {
        {bdTile, {1, 1}, {0, 0}, {t->Width() / 2, t->Height() / 2}, {-1, -1}},
        {bdStretch, {2, 2}, {1, 1}, {2, 2}, {1, 1}},
        {bdCenter,
         {top->Width() / 2, top->Height() / 2},
         {2, 2},
         {t->Width() / 2, t->Height() / 2},
         {t->Width() / 2 + 3, t->Height() / 2}},
    };
    for (const Case& c : cases) {
        styler->SetBackGroundDisplay(c.display);
        Dib panel(top->Width(), top->Height(), 0);
        top->PaintTo(panel.dc(), 0, 0);
        EXPECT_EQ(panel.Pixel(c.panelPicture.x, c.panelPicture.y), 0x00FF00u) << c.display;
        EXPECT_EQ(panel.Pixel(c.panelPlain.x, c.panelPlain.y), 0xFF0000u) << c.display;
        Dib bar(t->Width(), t->Height(), 0);
        t->PaintInto(bar.dc());
        EXPECT_EQ(bar.Pixel(c.barPicture.x, c.barPicture.y), 0x00FF00u) << c.display;
        if (c.barPlain.x >= 0) { // tiles cover the whole toolbar
            EXPECT_NE(bar.Pixel(c.barPlain.x, c.barPlain.y), 0x00FF00u) << c.display;
        }
    }
}

TEST_F(Docking, ImageListsChangeTheThickness)
{
    TAdvCustomToolBar* t = ToolBar("Free", 1, form);
    auto list = [&](int size) {
        auto* images = new TCustomImageList(form);
        images->SetWidth(size);
        images->SetHeight(size);
        return images;
    };
    TCustomImageList* small = list(16);
    TCustomImageList* large = list(24);
    const int start = t->Height();
    t->SetImages(small); // the first list: nothing to compare with
    EXPECT_EQ(t->Height(), start);
    t->SetImages(large);
    EXPECT_EQ(t->Height(), start + 8);
    t->SetImages(small);
    EXPECT_EQ(t->Height(), start);
    t->SetImages(nullptr); // shrinks by the old list's size
    EXPECT_EQ(t->Height(), start - 16);
    // A freed list is let go of without a change of size.
    t->SetImages(large);
    t->SetDisabledImages(small);
    const int height = t->Height();
    large->Free();
    small->Free();
    EXPECT_EQ(t->Images(), nullptr);
    EXPECT_EQ(t->DisabledImages(), nullptr);
    EXPECT_EQ(t->Height(), height);
}

TEST_F(Docking, FloatingCaptionButtons)
{
    TAdvCustomToolBar* t = ToolBar("T", 2, top);
    // A floating toolbar paints with its last dock panel's styler.
    top->InternalStyler()->CaptionAppearance()->SetCaptionColor(0x808000);
    top->InternalStyler()->CaptionAppearance()->SetCaptionColorTo(clNone);
    t->MakeFloating(200, 200, true);
    auto render = [&] {
        auto dib = std::make_unique<Dib>(t->Width(), t->Height(), 0);
        t->PaintTo(dib->dc(), 0, 0);
        return dib;
    };
    {
        auto dib = render();
        const RECT close = t->CloseButtonRect();
        EXPECT_EQ(close.right, t->Width() - 1);
        // The X's strokes start at the corners of the button inset by 4 px, in white.
        EXPECT_EQ(dib->Pixel(close.left + 4, close.top + 5), 0xFFFFFFu);
        EXPECT_EQ(dib->Pixel(close.left + 2, close.top + 5), 0x008080u);
        const RECT option = t->FloatingOptionButtonRect();
        EXPECT_EQ(option.right, close.left - 2);
        EXPECT_EQ(dib->Pixel(option.left + 5, option.bottom - 10), 0xFFFFFFu);
    }
    t->SetShowClose(false);
    auto dib = render();
    const RECT option = t->FloatingOptionButtonRect();
    EXPECT_EQ(option.right, t->Width() - 1);
    EXPECT_EQ(dib->Pixel(option.left + 5, option.bottom - 10), 0xFFFFFFu);
}

// ---- faults mended ------------------------------------------------------------------------

TEST_F(Docking, FloatingToolBarLetsGoOfAFreedStyler)
{
    auto* styler = new TCustomAdvToolBarStyler(form);
    top->SetToolBarStyler(styler);
    TAdvCustomToolBar* t = ToolBar("T", 1, top);
    ASSERT_EQ(t->CurrentStyler(), styler);
    t->MakeFloating(250, 250, true);
    ASSERT_EQ(t->State(), tsFloating);
    styler->Free();
    EXPECT_NE(t->CurrentStyler(), styler);
    EXPECT_EQ(t->CurrentStyler(), top->CurrentStyler());
    t->Repaint();
}

struct LoadedPanel : TAdvDockPanel {
    using TAdvDockPanel::Loaded;
    using TAdvDockPanel::TAdvDockPanel;
};

TEST_F(Docking, RefusedDockKeepsTheFloatingWindow)
{
    auto* locked = new LoadedPanel(form);
    locked->SetParent(form);
    locked->SetAlign(daBottom);
    TAdvCustomToolBar* menu = ToolBar("Menu", 1, nullptr);
    menu->SetMenuBar(true);
    menu->SetParent(locked);
    locked->Loaded();
    locked->SetLockHeight(true);
    TAdvCustomToolBar* t = ToolBar("T", 1, top);
    t->MakeFloating(250, 250, true);
    TFloatingWindow* window = t->FloatingWindow();
    EXPECT_FALSE(t->CanDockTo(locked));
    t->SetParent(locked);
    EXPECT_EQ(t->State(), tsFloating);
    EXPECT_EQ(t->FloatingWindow(), window);
    EXPECT_EQ(t->Parent(), window);
    EXPECT_EQ(locked->ToolBarCount(), 1);
}

TEST_F(Docking, APanelNeverTouchesAToolBarThatWasDestroyed)
{
    // The toolbar lives in storage the test keeps: once destroyed, every word of it is set to
    // the panel's address, so a panel still holding it would take it for one of its own and
    // write its row index into the dead object.
    alignas(TAdvCustomToolBar) static unsigned char storage[sizeof(TAdvCustomToolBar)];
    auto** words = reinterpret_cast<TAdvDockPanel**>(storage);
    const size_t count = sizeof storage / sizeof *words;
    for (bool floating : {false, true}) {
        auto* t = new (storage) TAdvCustomToolBar(nullptr);
        t->SetParent(top);
        TAdvCustomToolBar* other = ToolBar("Other", 1, top);
        if (floating)
            t->MakeFloating(250, 250, true);
        t->~TAdvCustomToolBar();
        for (size_t i = 0; i < count; ++i)
            words[i] = top;
        top->SetWidth(top->Width() + 10); // the rows are laid out again
        other->SetBounds(other->Left() + 20, other->Top(), other->Width(), other->Height());
        size_t changed = 0;
        for (size_t i = 0; i < count; ++i)
            changed += words[i] != top;
        EXPECT_EQ(changed, 0u) << (floating ? "floating" : "docked");
        EXPECT_EQ(top->ToolBarCount(), 1);
        EXPECT_EQ(top->RowCount(), 1);
        other->Free();
    }
}

// Freed between two others of its tree (components go newest first): tells what the toolbar
// holds when the styler made after it is already gone.
struct StylerWitness : TComponent {
    StylerWitness(TComponent* owner, TAdvCustomToolBar* t, TComponent* styler, bool* held)
        : TComponent(owner), toolBar(t), freed(styler), stillHeld(held)
    {
    }
    ~StylerWitness() override
    {
        *stillHeld = toolBar->CurrentStyler() == freed || toolBar->ToolBarStyler() == freed;
    }
    TAdvCustomToolBar* toolBar;
    TComponent* freed;
    bool* stillHeld;
};

TEST_F(Docking, AToolBarGoingWithItsFormLetsGoOfAStylerFreedBeforeIt)
{
    for (bool assigned : {false, true}) {
        TAdvCustomToolBar* t = ToolBar("T", 1, top);
        bool held = true;
        auto* witness = new StylerWitness(form, t, nullptr, &held);
        auto* styler = new TCustomAdvToolBarStyler(form);
        witness->freed = styler;
        if (assigned) { // the toolbar's own styler
            t->SetParentStyler(false);
            t->SetToolBarStyler(styler);
        } else { // the panel's, which the toolbar paints with
            top->SetToolBarStyler(styler);
        }
        ASSERT_EQ(t->CurrentStyler(), styler);
        form->Free(); // the styler goes first, then the witness, then the toolbar
        EXPECT_FALSE(held) << assigned;
        SetUp();
    }
}

TEST_F(Docking, DestroyedToolBarLeavesNoMenuTrackingBehind)
{
    TAdvCustomToolBar* t = ToolBar("T", 1, top);
    MenuTrackToolBar = t;
    MenuTrackButtonIndex = 0;
    InstallMenuTrackHook();
    MenuKeyToolBar = t;
    InstallMenuKeyHook();
    t->Free();
    EXPECT_EQ(MenuTrackToolBar, nullptr);
    EXPECT_EQ(MenuTrackHook, nullptr);
    EXPECT_EQ(MenuTrackButtonIndex, -1);
    EXPECT_EQ(MenuKeyToolBar, nullptr);
    EXPECT_EQ(MenuKeyHook, nullptr);
    EXPECT_EQ(top->ToolBarCount(), 0);
}

} // namespace
