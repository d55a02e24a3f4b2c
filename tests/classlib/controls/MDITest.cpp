// MDI forms under Wine: the frame's client window, children created inside it, activation,
// arrangement, the Window menu the platform fills with the children, and the form styles read
// from a layout.
#include "core/FormText.h"
#include "core/Streams.h"
#include "windows/Application.h"
#include "windows/Forms.h"
#include "windows/Menus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace classlib;

namespace {

std::string MenuText(HMENU menu, int position)
{
    char text[128] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof(text), MF_BYPOSITION);
    return text;
}

class MDITest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame = new TForm(nullptr);
        frame->SetFormStyle(fsMDIForm);
        frame->SetBounds(10, 10, 600, 400);
        menu = new TMainMenu(frame);
        windowItem = new TMenuItem(menu);
        windowItem->SetCaption("&Window");
        auto* cascade = new TMenuItem(menu);
        cascade->SetCaption("&Cascade");
        windowItem->Add(cascade);
        menu->Items()->Add(windowItem);
        frame->SetMenu(menu);
        frame->SetWindowMenu(windowItem);
        frame->Show();
    }
    void TearDown() override
    {
        for (TCustomForm* child : children)
            child->Free();
        frame->Free();
    }
    TCustomForm* AddChild(const std::string& caption)
    {
        auto* child = new TForm(nullptr);
        child->SetFormStyle(fsMDIChild);
        child->SetCaption(caption);
        child->SetBounds(0, 0, 200, 150);
        child->Show();
        children.push_back(child);
        return child;
    }

    TForm* frame = nullptr;
    TMainMenu* menu = nullptr;
    TMenuItem* windowItem = nullptr;
    std::vector<TCustomForm*> children;
};

TEST_F(MDITest, FrameHasAClientWindowThatFillsItsClientArea)
{
    HWND client = frame->ClientHandle();
    ASSERT_TRUE(IsWindow(client));
    EXPECT_EQ(GetParent(client), frame->Handle());
    char cls[64] = {};
    GetClassNameA(client, cls, sizeof(cls));
    EXPECT_STREQ(cls, "MDIClient");
    RECT frameClient, clientRect;
    GetClientRect(frame->Handle(), &frameClient);
    GetWindowRect(client, &clientRect);
    EXPECT_EQ(clientRect.right - clientRect.left, frameClient.right);
    EXPECT_EQ(clientRect.bottom - clientRect.top, frameClient.bottom);
}

TEST_F(MDITest, ChildrenLiveInTheClientAndTheLastShownIsActive)
{
    TCustomForm* a = AddChild("Alpha");
    TCustomForm* b = AddChild("Beta");
    EXPECT_EQ(GetParent(a->Handle()), frame->ClientHandle());
    EXPECT_TRUE(GetWindowLongA(a->Handle(), GWL_EXSTYLE) & WS_EX_MDICHILD);
    EXPECT_EQ(frame->MDIChildCount(), 2);
    EXPECT_EQ(frame->ActiveMDIChild(), b);
    EXPECT_EQ(frame->MDIChildren(0), b);
    EXPECT_EQ(frame->MDIChildren(1), a);
    EXPECT_THROW(frame->MDIChildren(2), EListError);

    SendMessageA(frame->ClientHandle(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(a->Handle()), 0);
    EXPECT_EQ(frame->ActiveMDIChild(), a);
    frame->Next();
    EXPECT_EQ(frame->ActiveMDIChild(), b);
}

TEST_F(MDITest, WindowMenuListsTheChildrenAndItsEntryActivatesOne)
{
    TCustomForm* a = AddChild("Alpha");
    AddChild("Beta");
    HMENU windowMenu = windowItem->Handle();
    const int count = GetMenuItemCount(windowMenu);
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i)
        texts.push_back(MenuText(windowMenu, i));
    ASSERT_GE(count, 3) << "the Cascade item plus entries for two children";
    bool alphaListed = false;
    UINT alphaCommand = 0;
    for (int i = 0; i < count; ++i)
        if (texts[static_cast<size_t>(i)].find("Alpha") != std::string::npos) {
            alphaListed = true;
            alphaCommand = GetMenuItemID(windowMenu, i);
        }
    ASSERT_TRUE(alphaListed);
    // The frame hands the entry's command to the platform, which activates the child.
    SendMessageA(frame->Handle(), WM_COMMAND, alphaCommand, 0);
    EXPECT_EQ(frame->ActiveMDIChild(), a);
}

TEST_F(MDITest, CascadeAndTileArrangeTheChildren)
{
    TCustomForm* a = AddChild("Alpha");
    TCustomForm* b = AddChild("Beta");
    frame->Cascade();
    RECT ra, rb;
    GetWindowRect(a->Handle(), &ra);
    GetWindowRect(b->Handle(), &rb);
    EXPECT_NE(ra.left, rb.left) << "cascaded windows are offset";
    EXPECT_NE(ra.top, rb.top);

    frame->SetTileMode(tbVertical);
    frame->Tile();
    GetWindowRect(a->Handle(), &ra);
    GetWindowRect(b->Handle(), &rb);
    RECT client;
    GetClientRect(frame->ClientHandle(), &client);
    EXPECT_EQ(ra.top, rb.top) << "vertical tiling puts the two side by side";
    EXPECT_EQ((ra.right - ra.left) + (rb.right - rb.left), client.right);
}

TEST_F(MDITest, FreeingAChildRemovesItFromTheClient)
{
    TCustomForm* a = AddChild("Alpha");
    AddChild("Beta");
    HWND window = a->Handle();
    a->Free();
    children.erase(children.begin());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(frame->MDIChildCount(), 1);
}

TEST(MDIStyles, ChildWithoutAnMDIFormCannotBeCreated)
{
    auto* child = new TForm(nullptr);
    child->SetFormStyle(fsMDIChild);
    EXPECT_THROW(child->HandleNeeded(), EInvalidOperation);
    child->Free();
}

TEST(MDIStyles, StayOnTopIsATopmostWindow)
{
    auto* form = new TForm(nullptr);
    form->SetFormStyle(fsStayOnTop);
    form->HandleNeeded();
    EXPECT_TRUE(GetWindowLongA(form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    form->Free();
}

TEST(MDIStyles, FormStyleAndWindowMenuComeFromALayout)
{
    const char* text =
        "object MdiFrame: TForm\n"
        "  FormStyle = fsMDIForm\n"
        "  Menu = MainMenu1\n"
        "  WindowMenu = WindowItem\n"
        "  object MainMenu1: TMainMenu\n"
        "    object WindowItem: TMenuItem\n"
        "      Caption = '&Window'\n"
        "    end\n"
        "  end\n"
        "end\n";
    TStringStream source(text);
    TMemoryStream binary;
    ObjectTextToBinary(source, binary);
    binary.SetPosition(0);
    auto* form = new TForm(nullptr);
    form->LoadLayoutFromStream(binary);
    EXPECT_EQ(form->FormStyle(), fsMDIForm);
    ASSERT_NE(form->WindowMenu(), nullptr);
    EXPECT_EQ(form->WindowMenu()->Name(), "WindowItem");
    form->HandleNeeded();
    EXPECT_TRUE(IsWindow(form->ClientHandle()));
    form->Free();
}

} // namespace
