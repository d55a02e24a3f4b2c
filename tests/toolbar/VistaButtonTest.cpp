// The quick-access toolbar's glyph button on a real form: its size, the glyphs of the table,
// the face in each state, the presses and releases the parent routes to it, and when it
// repaints.
#include "toolbar/AdvVistaButton.h"

#include "GlowColorSets.h"
#include "GuiTest.h"

#include "windows/ExtCtrls.h"
#include "windows/Forms.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <utility>
#include <vector>

using namespace classlib;
using namespace toolbar;
using controls::TGlowButtonAppearance;
using testsupport::Dib;
using testsupport::PumpFor;

namespace {

constexpr TColor Background = 0x123456;

uint32_t Px(TColor c)
{
    c = ColorToRGB(c);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// One colour for the fills and another for the border of a state, so that a face reads as
// two known colours.
void SetFlat(TGlowButtonAppearance* a, TGlowButtonAppearance::TSetKind kind, TColor fill,
             TColor border)
{
    testsupport::SetFlatGlowColors(a, kind, fill, fill, border);
}

// Counts its paintings.
class CountingButton : public TAdvVistaButton {
public:
    using TAdvVistaButton::TAdvVistaButton;
    int paints = 0;

protected:
    void Paint() override
    {
        ++paints;
        TAdvVistaButton::Paint();
    }
};

constexpr TColor NormalFill = 0x0000C0, HotFill = 0x00C000, DownFill = 0xC00000,
                 DisabledFill = 0x808000, NormalBorder = 0x404040, HotBorder = 0x004080,
                 DownBorder = 0x800040, DisabledBorder = 0x408000;

class VistaButton : public ::testing::Test {
protected:
    static constexpr int BL = 20, BT = 10; // the button's place on the panel

    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(40, 40, 300, 200);
        panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBevelOuter(bvNone);
        panel->SetBounds(0, 0, 200, 100);
        panel->SetColor(Background);
        button = new CountingButton(form);
        button->SetParent(panel);
        button->SetLeft(BL);
        button->SetTop(BT);
        TGlowButtonAppearance* a = button->Appearance();
        SetFlat(a, TGlowButtonAppearance::skNormal, NormalFill, NormalBorder);
        SetFlat(a, TGlowButtonAppearance::skHot, HotFill, HotBorder);
        SetFlat(a, TGlowButtonAppearance::skDown, DownFill, DownBorder);
        SetFlat(a, TGlowButtonAppearance::skDisabled, DisabledFill, DisabledBorder);
        button->OnClick = TNotifyEvent(this, &VistaButton::Clicked);
        form->Show();
        ASSERT_TRUE(testsupport::PumpUntil([&] { return IsWindowVisible(form->Handle()) != 0; }));
        PumpFor(30);
    }
    void TearDown() override { form->Free(); }

    // The button's part of the panel, painted.
    std::unique_ptr<Dib> Render()
    {
        Dib whole(panel->Width(), panel->Height(), 0xFFFFFF);
        panel->PaintTo(whole.dc(), 0, 0);
        auto dib = std::make_unique<Dib>(button->Width(), button->Height(), 0xFFFFFF);
        BitBlt(dib->dc(), 0, 0, button->Width(), button->Height(), whole.dc(), BL, BT, SRCCOPY);
        return dib;
    }

    void Send(UINT msg, WPARAM w, int x, int y)
    {
        SendMessageA(panel->Handle(), msg, w, MAKELPARAM(BL + x, BT + y));
    }

public:
    void Clicked(TObject*) { ++clicks; }

protected:
    TForm* form = nullptr;
    TPanel* panel = nullptr;
    CountingButton* button = nullptr;
    int clicks = 0;
};

} // namespace

TEST_F(VistaButton, NewButtonIs23By22AndDrawsOnlyALeftTriangleOverItsParent)
{
    TAdvVistaButton fresh(nullptr);
    EXPECT_EQ(fresh.Width(), 23);
    EXPECT_EQ(fresh.Height(), 22);
    EXPECT_EQ(fresh.GlyphKind(), 0);
    EXPECT_FALSE(fresh.ShowHint());
    EXPECT_EQ(fresh.Font()->Name(), "Tahoma");

    auto d = Render();
    // No face: the corners and the fill area show the panel.
    for (POINT p : {POINT{0, 0}, POINT{22, 21}, POINT{3, 5}, POINT{0, 11}})
        EXPECT_EQ(d->Pixel(p.x, p.y), Px(Background)) << p.x << "," << p.y;
    // cx = 11, cy = 11: one pixel at x 10, three at x 11 (rows 10..12), five at x 12 (9..13).
    const std::vector<POINT> drawn{{10, 11}, {11, 10}, {11, 12}, {12, 9}, {12, 13}};
    const std::vector<POINT> clear{{9, 11}, {10, 10}, {11, 9}, {11, 13},
                                   {12, 8}, {12, 14}, {13, 11}};
    for (POINT p : drawn)
        EXPECT_NE(d->Pixel(p.x, p.y), Px(Background)) << p.x << "," << p.y;
    for (POINT p : clear)
        EXPECT_EQ(d->Pixel(p.x, p.y), Px(Background)) << p.x << "," << p.y;
}

// Each glyph of the table: points that must carry the glyph's colour and points next to them
// that must stay clear (line ends are excluded).
TEST_F(VistaButton, GlyphsFollowTheTable)
{
    // 23 x 22: cx 11, cy 11, R 23, t 6, b 18.
    struct Case {
        uint8_t kind, variant;
        std::vector<std::pair<POINT, uint32_t>> drawn;
        std::vector<POINT> clear;
    };
    const uint32_t black = 0x000000, white = 0xFFFFFF;
    const Case cases[] = {
        // Right-pointing triangle: five at x 10, three at x 11, one at x 12.
        {2, 0, {}, {{12, 10}, {12, 12}, {11, 9}, {11, 13}, {10, 8}, {10, 14}, {9, 11}}},
        // The "more" chevrons: black at x 17 (rows 11..13) and its tip (17..18, 12); white
        // one pixel right and down.
        {2,
         1,
         {{{17, 11}, black},
          {{17, 13}, black},
          {{18, 12}, black},
          {{13, 11}, black},
          {{14, 12}, black},
          {{18, 13}, white},
          {{18, 14}, white},
          {{19, 13}, white},
          {{14, 13}, white},
          {{15, 13}, white}},
         {{17, 14}, {19, 12}, {13, 14}, {15, 12}, {20, 13}, {18, 15}}},
        // The customize mark: bars at rows 9 and 11 over x 14..18, three at row 12 (15..17),
        // one at (16, 13).
        {3,
         2,
         {{{14, 9}, black},
          {{18, 9}, black},
          {{14, 11}, black},
          {{18, 11}, black},
          {{15, 12}, black},
          {{17, 12}, black},
          {{16, 13}, black}},
         {{19, 9}, {13, 9}, {14, 12}, {18, 12}, {15, 13}, {17, 13}, {16, 14}, {16, 10}}},
        // A kind outside the table draws nothing.
        {5, 0, {}, {{10, 11}, {11, 11}, {12, 11}, {17, 12}, {16, 13}}},
    };
    for (const Case& c : cases) {
        button->SetGlyphVariant(c.variant);
        button->SetGlyphKind(c.kind);
        auto d = Render();
        for (const auto& [p, rgb] : c.drawn)
            EXPECT_EQ(d->Pixel(p.x, p.y), rgb)
                << int(c.kind) << "/" << int(c.variant) << " at " << p.x << "," << p.y;
        for (POINT p : c.clear)
            EXPECT_EQ(d->Pixel(p.x, p.y), Px(Background))
                << int(c.kind) << "/" << int(c.variant) << " at " << p.x << "," << p.y;
    }
    // The right triangle is drawn in the blended arrow colour, like the left one.
    button->SetGlyphVariant(0);
    button->SetGlyphKind(2);
    auto d = Render();
    for (POINT p : {POINT{10, 9}, POINT{10, 13}, POINT{11, 10}, POINT{11, 12}, POINT{12, 11}})
        EXPECT_NE(d->Pixel(p.x, p.y), Px(Background)) << p.x << "," << p.y;
}

// The face's fill and border show the colour set of the state: disabled over pressed or held
// down over hot.
TEST_F(VistaButton, FaceShowsTheColoursOfItsState)
{
    struct Case {
        const char* name;
        bool hot, press, forced, enabled;
        TColor fill, border;
    };
    const Case cases[] = {
        {"hot", true, false, false, true, HotFill, HotBorder},
        {"pressed", true, true, false, true, DownFill, DownBorder},
        {"forced down", false, false, true, true, DownFill, DownBorder},
        {"forced down and hot", true, false, true, true, DownFill, DownBorder},
        {"disabled and hot", true, false, false, false, DisabledFill, DisabledBorder},
        {"disabled and forced", false, false, true, false, DisabledFill, DisabledBorder},
    };
    for (const Case& c : cases) {
        button->SetEnabled(c.enabled);
        button->SetForcedDown(c.forced);
        if (c.hot)
            button->Perform(CM_MOUSEENTER, 0, 0);
        if (c.press)
            Send(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
        auto d = Render();
        EXPECT_EQ(d->Pixel(4, 5), Px(c.fill)) << c.name;     // upper half
        EXPECT_EQ(d->Pixel(4, 17), Px(c.fill)) << c.name;    // lower half
        EXPECT_EQ(d->Pixel(0, 11), Px(c.border)) << c.name;  // left border
        EXPECT_EQ(d->Pixel(11, 21), Px(c.border)) << c.name; // bottom border
        EXPECT_EQ(d->Pixel(22, 11), Px(c.border)) << c.name; // right border (W - 1)
        if (c.press)
            Send(WM_LBUTTONUP, 0, 5, 5);
        button->Perform(CM_MOUSELEAVE, 0, 0);
        button->SetForcedDown(false);
        button->SetEnabled(true);
    }
}

TEST_F(VistaButton, ReleaseClicksWhereverThePointerIsAndOnlyTheLeftButtonPresses)
{
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    EXPECT_TRUE(button->Pressed());
    Send(WM_MOUSEMOVE, MK_LBUTTON, 150, 80);
    Send(WM_LBUTTONUP, 0, 150, 80); // far outside the button
    EXPECT_FALSE(button->Pressed());
    EXPECT_EQ(clicks, 1);

    Send(WM_RBUTTONDOWN, MK_RBUTTON, 5, 5);
    EXPECT_FALSE(button->Pressed());
    Send(WM_RBUTTONUP, 0, 5, 5);
    EXPECT_EQ(clicks, 2);

    button->SetEnabled(false);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    EXPECT_FALSE(button->Pressed());
    Send(WM_LBUTTONUP, 0, 5, 5);
    EXPECT_EQ(clicks, 2);
}

TEST_F(VistaButton, RepaintsOnlyWhenTheStateChangesExceptForTheGlyphKind)
{
    struct Case {
        const char* name;
        void (*twice)(TAdvVistaButton*);
        int paints;
    };
    const Case cases[] = {
        {"glyph kind", [](TAdvVistaButton* b) { b->SetGlyphKind(3); }, 2},
        {"glyph variant", [](TAdvVistaButton* b) { b->SetGlyphVariant(1); }, 1},
        {"forced down", [](TAdvVistaButton* b) { b->SetForcedDown(true); }, 1},
    };
    for (const Case& c : cases) {
        button->paints = 0;
        c.twice(button);
        c.twice(button);
        EXPECT_EQ(button->paints, c.paints) << c.name;
    }

    // Held down: entering and leaving change hot but paint nothing.
    button->paints = 0;
    button->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_TRUE(button->Hot());
    button->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(button->Hot());
    EXPECT_EQ(button->paints, 0);
    auto d = Render();
    EXPECT_EQ(d->Pixel(4, 5), Px(DownFill));

    // Released: entering paints once, entering again nothing.
    button->SetForcedDown(false);
    button->paints = 0;
    button->Perform(CM_MOUSEENTER, 0, 0);
    button->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_EQ(button->paints, 1);
}
