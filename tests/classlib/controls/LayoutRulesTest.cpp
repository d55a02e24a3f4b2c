// Right-to-left modes applied to windows and text, FlipChildren, the panel's border width, and
// scaling of layouts made at another screen resolution.
#include "core/FormText.h"
#include "core/Streams.h"
#include "windows/Application.h"
#include "windows/ExtCtrls.h"
#include "windows/Forms.h"
#include "windows/StdCtrls.h"

#include "GuiTest.h"

#include <gtest/gtest.h>

#include <string>

using namespace classlib;

namespace {

TEST(BiDiMode, ModesBecomeWindowStylesAndFollowTheParent)
{
    struct Case {
        TBiDiMode mode;
        DWORD styles; // of WS_EX_RTLREADING, WS_EX_RIGHT, WS_EX_LEFTSCROLLBAR
    };
    const Case cases[] = {
        {bdLeftToRight, 0},
        {bdRightToLeft, WS_EX_RTLREADING | WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR},
        {bdRightToLeftNoAlign, WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR},
        {bdRightToLeftReadingOnly, WS_EX_RTLREADING},
    };
    constexpr DWORD mask = WS_EX_RTLREADING | WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR;
    auto* form = new TForm(nullptr);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    auto* edit = new TEdit(form);
    edit->SetParent(panel);
    form->Show();
    for (const Case& c : cases) {
        // The mode is set on the panel; the edit follows it (ParentBiDiMode).
        panel->SetBiDiMode(c.mode);
        EXPECT_EQ(edit->BiDiMode(), c.mode);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(edit->Handle(), GWL_EXSTYLE)) & mask,
                  c.styles)
            << c.mode;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(panel->Handle(), GWL_EXSTYLE)) & mask,
                  c.styles)
            << c.mode;
    }
    delete form;
}

TEST(BiDiMode, TextFlagsSwapLeftAndRightForRightToLeftAlignment)
{
    TComponent owner(nullptr);
    auto* label = new TLabel(&owner);
    struct Case {
        TBiDiMode mode;
        UINT given;
        UINT expected;
    };
    const Case cases[] = {
        {bdLeftToRight, DT_LEFT, DT_LEFT},
        {bdRightToLeft, DT_LEFT, DT_RIGHT | DT_RTLREADING},
        {bdRightToLeft, DT_RIGHT, DT_LEFT | DT_RTLREADING},
        {bdRightToLeft, DT_CENTER, DT_CENTER | DT_RTLREADING},
        {bdRightToLeftNoAlign, DT_LEFT, DT_LEFT | DT_RTLREADING},
        {bdRightToLeftReadingOnly, DT_RIGHT, DT_RIGHT | DT_RTLREADING},
    };
    for (const Case& c : cases) {
        label->SetBiDiMode(c.mode);
        EXPECT_EQ(label->DrawTextBiDiModeFlags(c.given), c.expected) << c.mode << " " << c.given;
    }
}

TEST(BiDiMode, ALabelOfRightToLeftAlignmentDrawsAtItsRight)
{
    auto* form = new TForm(nullptr);
    form->SetColor(clWhite);
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetAutoSize(false);
    label->SetBounds(0, 0, 200, 20);
    label->Font()->SetColor(clBlack);
    label->SetCaption("MMM");
    form->SetClientSize(220, 40);
    form->Show();
    auto inkColumns = [&] {
        testsupport::Dib dib(220, 40);
        form->PaintTo(dib.dc(), 0, 0);
        int first = -1, last = -1;
        for (int x = 0; x < 200; ++x)
            for (int y = 0; y < 20; ++y)
                if (dib.Pixel(x, y) == 0x000000) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
        return std::pair<int, int>(first, last);
    };
    const auto leftToRight = inkColumns();
    ASSERT_GE(leftToRight.first, 0);
    EXPECT_LT(leftToRight.first, 10);
    label->SetBiDiMode(bdRightToLeft);
    const auto rightToLeft = inkColumns();
    EXPECT_GT(rightToLeft.second, 190);
    EXPECT_GT(rightToLeft.first, 100);
    delete form;
}

TEST(FlipChildren, MirrorsPlacesAndSideAlignment)
{
    auto* form = new TForm(nullptr);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBevelOuter(bvNone);
    panel->SetBounds(0, 0, 200, 100);
    auto* a = new TPanel(form);
    a->SetParent(panel);
    a->SetBounds(10, 10, 30, 20);
    auto* nested = new TPanel(form);
    nested->SetParent(a);
    nested->SetBounds(5, 0, 10, 10);
    auto* side = new TPanel(form);
    side->SetParent(panel);
    side->SetWidth(40);
    side->SetAlign(alLeft);
    ASSERT_EQ(side->Left(), 0);

    panel->FlipChildren(false);
    EXPECT_EQ(a->Left(), 200 - 10 - 30);
    EXPECT_EQ(side->Align(), alRight);
    EXPECT_EQ(side->Left(), 160);
    EXPECT_EQ(nested->Left(), 5) << "only the first level";

    panel->FlipChildren(true);
    EXPECT_EQ(a->Left(), 10);
    EXPECT_EQ(side->Align(), alLeft);
    EXPECT_EQ(side->Left(), 0);
    EXPECT_EQ(nested->Left(), 30 - 5 - 10);
    delete form;
}

TEST(Panel, BorderWidthInsetsTheChildrenBetweenTheBevels)
{
    auto* form = new TForm(nullptr);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 200, 100);
    panel->SetBevelOuter(bvRaised);
    panel->SetBevelInner(bvLowered);
    panel->SetBevelWidth(2);
    panel->SetBorderWidth(3);
    auto* child = new TPanel(form);
    child->SetParent(panel);
    child->SetAlign(alClient);
    const int inset = 2 + 3 + 2;
    EXPECT_EQ(child->BoundsRect().left, inset);
    EXPECT_EQ(child->BoundsRect().top, inset);
    EXPECT_EQ(child->Width(), 200 - 2 * inset);
    EXPECT_EQ(child->Height(), 100 - 2 * inset);
    panel->SetBorderWidth(0);
    EXPECT_EQ(child->Left(), 4);
    delete form;
}

TEST(Scaling, ALayoutMadeAtAnotherResolutionIsScaledToTheScreen)
{
    HDC dc = GetDC(nullptr);
    const int ppi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    const int made = ppi * 5 / 4; // a layout from a screen of 125 % of this one
    auto layout = [&](bool scaled) {
        return "object Form1: TForm\n  ClientWidth = 400\n  ClientHeight = 300\n  Font.Height = "
               "-15\n"
               "  PixelsPerInch = " +
               std::to_string(made) + "\n" + (scaled ? "" : "  Scaled = False\n") +
               "  object Button1: TButton\n    Left = 100\n    Top = 50\n    Width = 200\n    "
               "Height = 25\n"
               "  end\nend\n";
    };
    auto read = [&](bool scaled) {
        auto* form = new TForm(nullptr);
        TStringStream stream(ObjectTextToBinary(layout(scaled)));
        form->LoadLayoutFromStream(stream);
        return form;
    };
    TForm* form = read(true);
    auto* button = static_cast<TButton*>(form->FindComponent("Button1"));
    EXPECT_EQ(button->Left(), MulDiv(100, ppi, made));
    EXPECT_EQ(button->Top(), MulDiv(50, ppi, made));
    EXPECT_EQ(button->Width(), MulDiv(200, ppi, made));
    EXPECT_EQ(button->Height(), MulDiv(25, ppi, made));
    EXPECT_EQ(form->ClientWidth(), MulDiv(400, ppi, made));
    EXPECT_EQ(form->ClientHeight(), MulDiv(300, ppi, made));
    EXPECT_EQ(form->Font()->Height(), MulDiv(-15, ppi, made));
    EXPECT_EQ(form->PixelsPerInch(), ppi);
    delete form;

    form = read(false);
    button = static_cast<TButton*>(form->FindComponent("Button1"));
    EXPECT_EQ(button->Width(), 200);
    EXPECT_EQ(form->ClientWidth(), 400);
    delete form;

    // ScaleBy scales a control with its children and its own font.
    TComponent owner(nullptr);
    auto* panel = new TPanel(&owner);
    panel->SetBounds(10, 10, 100, 50);
    panel->SetParentFont(false);
    panel->Font()->SetHeight(-11);
    panel->Constraints()->SetMaxWidth(150);
    auto* child = new TPanel(&owner);
    child->SetParent(panel);
    child->SetBounds(4, 4, 20, 10);
    panel->ScaleBy(2, 1);
    EXPECT_EQ(panel->Width(), 200);
    EXPECT_EQ(panel->Constraints()->MaxWidth(), 300);
    EXPECT_EQ(panel->Font()->Height(), -22);
    EXPECT_EQ(child->Left(), 8);
    EXPECT_EQ(child->Width(), 40);
}

} // namespace
