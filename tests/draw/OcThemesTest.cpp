// Control backgrounds: the parent paints under a control of its colour while visual styles are
// on (Wine reports them active), otherwise the colour is filled; the parent's erase runs with
// the context moved to the control and clipped, and both are put back.
#include "draw/OcThemes.h"
#include "windows/Themes.h"
#include "draw/APXPVS.h"
#include "draw/OcExControls.h"

#include "windows/ExtCtrls.h"
#include "windows/Forms.h"

#include "GuiTest.h"

#include <gtest/gtest.h>

using namespace classlib;
using namespace draw;
using testsupport::Dib;

namespace {

constexpr TColor PanelColour = 0x00563412;

class BackgroundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        apxpvs::ThemeBindingInitialize();
        form = new TForm(nullptr);
        form->SetBounds(40, 40, 300, 200);
        panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBevelOuter(bvNone);
        panel->SetBounds(0, 0, 200, 100);
        panel->SetColor(PanelColour);
        control = new TOcExGraphicControl(form);
        control->SetParent(panel);
        control->SetBounds(10, 0, 30, 20); // at the parent's top edge: one offset is zero
        panel->WindowProc = [this](TMessage& m) {
            if (m.Msg == WM_ERASEBKGND) {
                ++erases;
                GetWindowOrgEx(reinterpret_cast<HDC>(m.WParam), &originDuringErase);
            }
            panel->WndProc(m);
        };
    }
    void TearDown() override
    {
        form->Free();
        apxpvs::ThemeBindingFinalize();
    }

    TForm* form = nullptr;
    TPanel* panel = nullptr;
    TOcExGraphicControl* control = nullptr;
    int erases = 0;
    POINT originDuringErase{};
};

} // namespace

TEST_F(BackgroundTest, ParentEraseRunsMovedByEitherOffsetAndClipped)
{
    ASSERT_TRUE(classlib::ThemeServices()->ThemesEnabled());
    Dib dib(60, 40, 0xFFFFFF);
    PaintParentBackground(control, dib.dc(), RECT{0, 0, 30, 20});
    EXPECT_EQ(erases, 1);
    EXPECT_EQ(originDuringErase.x, -10) << "moved although the top offset is zero";
    EXPECT_EQ(originDuringErase.y, 0);
    POINT after{};
    GetWindowOrgEx(dib.dc(), &after);
    EXPECT_EQ(after.x, 0);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(dib.dc(), region), 0) << "no clip region is left behind";
    DeleteObject(region);
    EXPECT_EQ(dib.Pixel(15, 5), 0x123456u) << "the panel's colour under the control";
    EXPECT_EQ(dib.Pixel(35, 5), 0xFFFFFFu) << "clipped to the rectangle";
}

TEST_F(BackgroundTest, NoClippingRectangleLeavesTheClipAlone)
{
    Dib dib(60, 40, 0xFFFFFF);
    PaintParentBackgroundAt(control, dib.dc(), POINT{0, 0}, NoClipRect);
    EXPECT_EQ(erases, 1);
    EXPECT_EQ(originDuringErase.x, 0) << "no offset, no move";
    EXPECT_EQ(dib.Pixel(45, 5), 0x123456u);
}

TEST_F(BackgroundTest, ParentPaintsOnlyForItsColourAndWhenAllowed)
{
    const struct {
        TColor color;
        bool needsParent, parentBackgroundStyle;
        int erases;
    } cases[] = {
        {PanelColour, false, false, 1},
        {PanelColour, true, false, 0}, // the control wants its parent but does not allow it
        {PanelColour, true, true, 1},
        {0x000000FF, false, false, 0},
    };
    for (const auto& c : cases) {
        erases = 0;
        TControlStyle style = control->ControlStyle();
        if (c.parentBackgroundStyle)
            style.Include(csParentBackground);
        else
            style.Exclude(csParentBackground);
        control->SetControlStyle(style);
        Dib dib(60, 40, 0xFFFFFF);
        TCanvas canvas;
        canvas.SetHandle(dib.dc());
        canvas.Brush()->SetColor(0x00FF00);
        PaintControlBackgroundColor(control, &canvas, RECT{0, 0, 30, 20}, c.needsParent, c.color);
        EXPECT_EQ(canvas.Brush()->Color(), 0x00FF00u) << "the brush colour is put back";
        canvas.SetHandle(nullptr);
        EXPECT_EQ(erases, c.erases)
            << std::hex << c.color << " " << c.needsParent << c.parentBackgroundStyle;
        if (c.erases == 0)
            EXPECT_EQ(dib.Pixel(5, 5),
                      ((c.color & 0xFF) << 16) | (c.color & 0xFF00) | ((c.color >> 16) & 0xFF));
    }
    EXPECT_EQ(ParentBackgroundStyleBits(control), (TControlStyle{}));
    control->SetControlStyle(control->ControlStyle() + TControlStyle{csParentBackground, csOpaque});
    EXPECT_EQ(ParentBackgroundStyleBits(control), (TControlStyle{csParentBackground}));
}
