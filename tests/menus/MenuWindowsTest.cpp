// Office menus shown for real under Wine: a pop-up menu's drop-down window is found while it
// is open and checked for its reshaping, frame and 17-pixel correction, and the keyboard
// chooses a command that closes it; the MDI Window menu of a TAdvMainMenu lists the children
// and activates the chosen one.
#include "core/FormText.h"
#include "core/Streams.h"
#include "menus/AdvMenuWindows.h"
#include "menus/AdvMenus.h"
#include "windows/Application.h"
#include "windows/Forms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace classlib;
using namespace menus;

namespace {

void Pump(DWORD ms = 100)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        Application->ProcessMessages();
        Sleep(5);
    }
}

struct OpenMenuLook {
    bool found = false;
    RECT window{};
    RECT region{};
    COLORREF outer = 0, inner = 0;
};

OpenMenuLook look;
int inspections = 0;

HWND FindDropDown()
{
    HWND w = FindWindowA("#32768", nullptr);
    return w && IsWindowVisible(w) ? w : nullptr;
}

void CALLBACK InspectOpenMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dropDown = FindDropDown();
    if (++inspections > 50) { // about five seconds: give up and close the menu
        KillTimer(nullptr, timer);
        EndMenu();
        return;
    }
    if (!dropDown || inspections < 3)
        return;
    KillTimer(nullptr, timer);
    look.found = true;
    GetWindowRect(dropDown, &look.window);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(dropDown, region) != ERROR)
        GetRgnBox(region, &look.region);
    DeleteObject(region);
    HDC dc = GetWindowDC(dropDown);
    const int middle = (look.window.bottom - look.window.top) / 2;
    look.outer = GetPixel(dc, 1, middle);
    look.inner = GetPixel(dc, 2, middle);
    ReleaseDC(dropDown, dc);
    // Down to the second item and choose it.
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN})
        PostMessageA(PopupListWindow(), WM_KEYDOWN, key, 1);
}

struct ClickRecorder : TObject {
    std::vector<std::string> clicked;
    void Click(TObject* sender) { clicked.push_back(static_cast<TMenuItem*>(sender)->Caption()); }
};

TEST(MenuWindows, PopupDropDownIsReshapedFramedAndClosedByTheKeyboard)
{
    auto* form = new TForm(nullptr);
    form->SetBounds(100, 100, 300, 200);
    form->Show();
    auto* popup = new TAdvPopupMenu(form);
    auto* styler = new TAdvMenuStyler(form);
    styler->SetMenuBorderColor(0x0000FF);
    styler->Background()->SetColor(0, 0x00FF00);
    popup->SetMenuStyler(styler);
    ClickRecorder recorder;
    for (const char* caption : {"One", "Two", "Three"}) {
        auto* item = new TMenuItem(popup);
        item->SetCaption(caption);
        item->OnClick = TNotifyEvent(&recorder, &ClickRecorder::Click);
        popup->Items()->Add(item);
    }
    look = OpenMenuLook{};
    inspections = 0;
    SetTimer(nullptr, 0, 100, &InspectOpenMenu);
    popup->Popup(300, 200);
    Pump(300);

    ASSERT_TRUE(look.found) << "the drop-down window was not seen";
    const int width = look.window.right - look.window.left,
              height = look.window.bottom - look.window.top;
    // Moved by (-1, -2) on its first paint, so that its frame starts at the point asked for.
    EXPECT_EQ(look.window.left, 300 - 1);
    EXPECT_EQ(look.window.top, 200 - 2);
    // The region: 1 pixel in on every side and the 17-pixel strip cut away at the right.
    EXPECT_EQ(look.region.left, 1);
    EXPECT_EQ(look.region.top, 1);
    EXPECT_EQ(look.region.right, width - 1 - 17);
    EXPECT_EQ(look.region.bottom, height - 1);
    EXPECT_EQ(look.outer, static_cast<COLORREF>(0x0000FF)) << "the frame in MenuBorderColor";
    EXPECT_EQ(look.inner, static_cast<COLORREF>(0x00FF00))
        << "inside it a frame in the background colour";
    ASSERT_EQ(recorder.clicked.size(), 1u);
    EXPECT_EQ(recorder.clicked[0], "Two");
    EXPECT_EQ(FindDropDown(), nullptr);
    form->Free();
}

class MdiWindowList : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterAdvMenuClasses();
        const char* layout =
            "object MdiFrame: TForm\n"
            "  FormStyle = fsMDIForm\n"
            "  Menu = MainMenu1\n"
            "  WindowMenu = WindowItem\n"
            "  object MainMenu1: TAdvMainMenu\n"
            "    object WindowItem: TMenuItem\n"
            "      Caption = '&Window'\n"
            "      object CascadeItem: TMenuItem\n"
            "        Caption = '&Cascade'\n"
            "      end\n"
            "    end\n"
            "  end\n"
            "end\n";
        TStringStream text(layout);
        TMemoryStream binary;
        ObjectTextToBinary(text, binary);
        binary.SetPosition(0);
        frame = new TForm(nullptr);
        frame->LoadLayoutFromStream(binary);
        frame->SetBounds(10, 10, 600, 400);
        frame->Show();
        menu = static_cast<TAdvMainMenu*>(frame->FindComponent("MainMenu1"));
        windowItem = frame->WindowMenu();
        for (const char* caption : {"b", "a", "a"}) {
            auto* child = new TForm(nullptr);
            child->SetFormStyle(fsMDIChild);
            child->SetCaption(caption);
            child->SetBounds(0, 0, 200, 150);
            child->Show();
            children.push_back(child);
        }
    }
    void TearDown() override
    {
        for (TCustomForm* child : children)
            child->Free();
        frame->Free();
    }
    std::vector<TMenuItem*> AfterMarker() const
    {
        std::vector<TMenuItem*> entries;
        bool seen = false;
        for (int i = 0; i < windowItem->Count(); ++i) {
            if (seen)
                entries.push_back(windowItem->Items(i));
            if (windowItem->Items(i)->ShortCut() == kWindowListMarker)
                seen = true;
        }
        return entries;
    }
    TForm* frame = nullptr;
    TAdvMainMenu* menu = nullptr;
    TMenuItem* windowItem = nullptr;
    std::vector<TCustomForm*> children;
};

TEST_F(MdiWindowList, ChildrenAreListedSortedBehindTheMarker)
{
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(frame->ClientHandle(), GWLP_WNDPROC)),
              &MdiClientMenuWindowProc);
    SendMessageA(frame->ClientHandle(), WM_MDIREFRESHMENU, 0, 0);
    ASSERT_EQ(windowItem->Count(), 5);
    EXPECT_EQ(windowItem->Items(1)->Caption(), "-");
    EXPECT_TRUE(windowItem->Items(1)->Visible());
    const std::vector<TMenuItem*> entries = AfterMarker();
    ASSERT_EQ(entries.size(), 3u);
    const char* captions[] = {"1 a", "2 a", "3 b"};
    int checked = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i]->Caption(), captions[i]);
        EXPECT_EQ(entries[i]->GroupIndex(), kWindowListGroup);
        EXPECT_TRUE(entries[i]->RadioItem());
        if (entries[i]->Checked()) {
            ++checked;
            EXPECT_EQ(reinterpret_cast<HWND>(entries[i]->Tag()), frame->ActiveMDIChild()->Handle());
        }
    }
    EXPECT_EQ(checked, 1);
    EXPECT_EQ(entries[2]->Tag(), reinterpret_cast<intptr_t>(children[0]->Handle()));
    // The platform's own list is not added: the Window menu shows just these entries.
    EXPECT_EQ(GetMenuItemCount(windowItem->Handle()), windowItem->Count());
}

TEST_F(MdiWindowList, ChoosingAnEntryActivatesThatChild)
{
    SendMessageA(frame->ClientHandle(), WM_MDIREFRESHMENU, 0, 0);
    TMenuItem* b = AfterMarker().back();
    ASSERT_EQ(b->Caption(), "3 b");
    b->Click();
    EXPECT_EQ(frame->ActiveMDIChild(), children[0]);
    // The platform's command reaches the entry as a menu command does.
    SendMessageA(frame->ClientHandle(), WM_MDIREFRESHMENU, 0, 0);
    TMenuItem* first = AfterMarker().front();
    SendMessageA(frame->Handle(), WM_COMMAND, first->Command(), 0);
    EXPECT_EQ(reinterpret_cast<HWND>(first->Tag()), frame->ActiveMDIChild()->Handle());
}

TEST_F(MdiWindowList, ARefreshReplacesTheEntriesAndARenamedMarkerGetsASecondOne)
{
    SendMessageA(frame->ClientHandle(), WM_MDIREFRESHMENU, 0, 0);
    SendMessageA(frame->ClientHandle(), WM_MDIREFRESHMENU, 0, 0);
    EXPECT_EQ(windowItem->Count(), 5);
    windowItem->Items(1)->SetCaption("Windows");
    SendMessageA(frame->ClientHandle(), WM_MDIREFRESHMENU, 0, 0);
    int markers = 0;
    for (int i = 0; i < windowItem->Count(); ++i)
        if (windowItem->Items(i)->ShortCut() == kWindowListMarker)
            ++markers;
    EXPECT_EQ(markers, 2);
}

TEST_F(MdiWindowList, IconCopiesAreTheirOwn)
{
    HICON own = LoadIcon(nullptr, IDI_APPLICATION);
    SendMessageA(children[0]->Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(own));
    HICON copy = GetWindowIconCopy(children[0]->Handle(), false);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, own);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(copy, &info));
    BITMAP bits{};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bits), &bits);
    EXPECT_EQ(bits.bmWidth, GetSystemMetrics(SM_CXSMICON)) << "copied at the small size";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_TRUE(DestroyIcon(copy));
    // The first bar item's paint draws the active child's icon from such a copy and destroys
    // the copy again; the window's own icon stays usable.
    DrawMdiChildIcon(menu, windowItem, RECT{30, 0, 80, 20});
    EXPECT_TRUE(GetIconInfo(own, &info));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

} // namespace
