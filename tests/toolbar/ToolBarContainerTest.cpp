// The toolbar container on a toolbar: the etched frame and its caption gap, the line colour
// and 3D look from the container or from its toolbar's styler, the styler's look for the glow
// buttons inside, and where a control dropped at design time goes.
#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvToolBarContainer.h"
#include "toolbar/AdvToolBarStylers.h"

#include "GuiTest.h"

#include "controls/AdvGlowButton.h"
#include "windows/ExtCtrls.h"
#include "windows/Forms.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

using namespace classlib;
using namespace toolbar;
using testsupport::Dib;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

constexpr TColor Background = 0x123456;
constexpr TColor OwnLine = 0x0000C0;

uint32_t Px(TColor c)
{
    c = ColorToRGB(c);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// A container that can be put into design mode, as the form designer does.
class DesignedContainer : public TAdvToolBarContainer {
public:
    using TAdvToolBarContainer::TAdvToolBarContainer;
    void SetDesigning() { SetComponentState(ComponentState() + TComponentState{csDesigning}); }
};

class ToolBarContainer : public ::testing::Test {
protected:
    static constexpr int W = 120, H = 50;

    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(40, 40, 400, 200);
        panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBevelOuter(bvNone);
        panel->SetBounds(0, 0, 380, 160);
        panel->SetColor(Background);
        container = new DesignedContainer(form);
        container->SetParent(panel);
        container->SetBounds(10, 10, W, H);
        container->SetLineColor(OwnLine);
        form->Show();
        ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()) != 0; }));
        PumpFor(30);
    }
    void TearDown() override
    {
        form->Free();
        delete styler;
    }

    // A toolbar with an office styler whose container line is `line`, as the container's
    // toolbar (the container stays on the plain panel, so the background stays known).
    TAdvCustomToolBar* AttachToolBar(TColor line, bool line3D)
    {
        styler = new TAdvToolBarOfficeStyler(nullptr);
        styler->ContainerAppearance()->SetLineColor(line);
        styler->ContainerAppearance()->SetLine3D(line3D);
        auto* t = new TAdvCustomToolBar(form);
        t->SetParent(panel);
        t->SetBounds(200, 10, 100, 26);
        t->SetToolBarStyler(styler);
        container->SetToolBar(t);
        return t;
    }

    std::unique_ptr<Dib> Render()
    {
        auto dib = std::make_unique<Dib>(W, H, 0x00FF00);
        container->PaintTo(dib->dc(), 0, 0);
        return dib;
    }

    TForm* form = nullptr;
    TPanel* panel = nullptr;
    DesignedContainer* container = nullptr;
    TAdvToolBarOfficeStyler* styler = nullptr;
};

// Frame pixels of a container of W x H with inset 2: top line at y 4, white at y 5; left line
// x 0, white x 1; bottom y H - 2, white y H - 1; right x W - 2, white x W - 1.
void ExpectFrame(const Dib& d, TColor line, bool line3D, const char* name)
{
    const int W = d.width(), H = d.height();
    EXPECT_EQ(d.Pixel(60, 4), Px(line)) << name;
    EXPECT_EQ(d.Pixel(0, 25), Px(line)) << name;
    EXPECT_EQ(d.Pixel(60, H - 2), Px(line)) << name;
    EXPECT_EQ(d.Pixel(W - 2, 25), Px(line)) << name;
    EXPECT_EQ(d.Pixel(W - 3, 4), Px(line)) << name; // the top line ends before x W - 2
    const uint32_t white = line3D ? 0xFFFFFF : Px(Background);
    EXPECT_EQ(d.Pixel(60, 5), white) << name;
    EXPECT_EQ(d.Pixel(1, 25), white) << name;
    EXPECT_EQ(d.Pixel(60, H - 1), white) << name;
    EXPECT_EQ(d.Pixel(W - 1, 25), white) << name;
    // Inside and above the frame the parent shows through.
    EXPECT_EQ(d.Pixel(60, 2), Px(Background)) << name;
    EXPECT_EQ(d.Pixel(60, 25), Px(Background)) << name;
}

} // namespace

TEST_F(ToolBarContainer, DrawsAnEtchedFrameOverItsParent)
{
    EXPECT_EQ(container->FrameInset(), 2);
    EXPECT_TRUE(container->ParentStyler());
    auto d = Render();
    ExpectFrame(*d, OwnLine, true, "3D");
    container->SetLine3D(false);
    d = Render();
    ExpectFrame(*d, OwnLine, false, "flat");
}

TEST_F(ToolBarContainer, CaptionLeavesAGapInTheTopLineAndIsBlack)
{
    container->SetCaption("Wx");
    // The gap runs from x 9 to one pixel past the text, which starts at x 10.
    const int textWidth = container->Canvas()->TextWidth("Wx");
    const int r = 10 + textWidth;
    auto d = Render();
    EXPECT_EQ(d->Pixel(8, 4), Px(OwnLine));
    EXPECT_NE(d->Pixel(9, 4), Px(OwnLine));
    EXPECT_NE(d->Pixel(r, 4), Px(OwnLine));
    EXPECT_EQ(d->Pixel(r + 1, 4), Px(OwnLine));
    bool black = false;
    for (int y = 0; y < 16; ++y)
        for (int x = 10; x < r; ++x)
            black = black || d->Pixel(x, y) == 0;
    EXPECT_TRUE(black);
}

TEST_F(ToolBarContainer, LineColourComesFromTheToolBarsStylerUnlessParentStylerIsOff)
{
    struct Case {
        const char* name;
        TColor stylerLine;
        bool stylerLine3D, parentStyler;
        TColor expectedLine; // clNone: no frame
        bool expected3D;
    };
    const Case cases[] = {
        {"styler's line", 0xC00000, false, true, 0xC00000, false},
        {"own line, parent styler off", 0xC00000, false, false, OwnLine, true},
        {"styler says none", clNone, true, true, clNone, false},
    };
    for (const Case& c : cases) {
        AttachToolBar(c.stylerLine, c.stylerLine3D);
        container->SetParentStyler(c.parentStyler);
        container->SetCaption("Wx");
        auto d = Render();
        if (c.expectedLine == clNone) {
            for (POINT p : {POINT{60, 4}, POINT{0, 25}, POINT{60, 5}, POINT{12, 6}})
                EXPECT_EQ(d->Pixel(p.x, p.y), Px(Background)) << c.name;
        } else {
            ExpectFrame(*d, c.expectedLine, c.expected3D, c.name);
        }
        container->SetToolBar(nullptr);
        delete styler;
        styler = nullptr;
    }
    // Its own clNone draws no frame and no caption either.
    container->SetLineColor(clNone);
    auto d = Render();
    for (int x = 0; x < W; x += 3)
        for (int y = 0; y < H; y += 3)
            ASSERT_EQ(d->Pixel(x, y), Px(Background)) << x << "," << y;
}

TEST_F(ToolBarContainer, GlowButtonsTakeTheStylersLookUnlessItsStyleIs8)
{
    auto* button = new controls::TAdvGlowButton(form);
    button->SetParent(container);
    button->SetBounds(5, 10, 40, 22);
    const TColor ownHot = button->Appearance()->ColorHot();

    // Without a toolbar nothing changes.
    container->ApplyStylerToButtons();
    EXPECT_EQ(button->Appearance()->ColorHot(), ownHot);

    AttachToolBar(OwnLine, true);
    styler->GlowButtonAppearance()->SetColorHot(0x010203);
    styler->GlowButtonAppearance()->SetBorderColor(0x0A0B0C);
    styler->SetComponentStyle(8);
    container->ApplyStylerToButtons();
    EXPECT_EQ(button->Appearance()->ColorHot(), 0x010203);
    EXPECT_EQ(button->Appearance()->BorderColor(), 0x0A0B0C);

    // A style other than 8 is applied to the button after the appearance: style 3's glow
    // border is black.
    styler->SetComponentStyle(3);
    container->ApplyStylerToButtons();
    EXPECT_EQ(button->Appearance()->BorderColor(), 0);
}

TEST_F(ToolBarContainer, ControlDroppedAtDesignTimeGoesRightOfTheOthers)
{
    container->SetDesigning();
    auto place = [&](int left, int width) {
        auto* p = new TPanel(form);
        p->SetBounds(left, 10, width, 20);
        p->SetParent(container);
        return p;
    };
    // A rightmost edge beyond the container's width (120) leaves the control where it is.
    TPanel* wide = place(100, 30);
    EXPECT_EQ(wide->Left(), 100); // nothing else there
    TPanel* stays = place(3, 10);
    EXPECT_EQ(stays->Left(), 3);
    wide->Free();
    stays->Free();

    place(5, 30); // the first: nothing else to its left
    TPanel* second = place(0, 20);
    EXPECT_EQ(second->Left(), 35);
    TPanel* third = place(7, 20);
    EXPECT_EQ(third->Left(), 55);
}
