// The glow button under sent mouse, key and timer messages: its looks per state painted into
// a DIB (with colour sets chosen so that each half of the face is one flat colour), the fades
// step by step, clicks, groups, check style, repeat clicks, default and cancel keys, key tips,
// size states and the drop-down menu.
#include "controls/AdvGlowButton.h"

#include "windows/ExtCtrls.h"
#include "windows/Forms.h"
#include "windows/ImageLists.h"
#include "windows/Messages.h"

#include "GlowColorSets.h"
#include "GuiTest.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace classlib;
using namespace controls;
using testsupport::Dib;

namespace {

constexpr TColor ParentColour = 0x123456;

// A TColor (0x00BBGGRR) as a DIB pixel (0xRRGGBB).
uint32_t Px(TColor c)
{
    c = ColorToRGB(c);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// p % of a plus (100 - p) % of b per channel, rounded (the Part's blend).
uint32_t BlendPx(TColor a, TColor b, int p)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        out |= static_cast<uint32_t>((ca * p + cb * (100 - p) + 50) / 100) << shift;
    }
    return Px(static_cast<TColor>(out));
}

// Flat colours per set: the upper half shows Color, the lower half ColorMirror.
struct Flat {
    TColor upper, lower, border;
};
constexpr Flat Normal{0x202020, 0x404040, 0x0000A0};
constexpr Flat Hot{0x2020F0, 0x4040F0, 0x00A000};
constexpr Flat Down{0xF02020, 0xF04040, 0xA00000};
constexpr Flat Checked{0x20F020, 0x40F040, 0xA0A000};
constexpr Flat Disabled{0xC0C0C0, 0xD0D0D0, 0x808080};

void SetFlat(TGlowButtonAppearance* a, TGlowButtonAppearance::TSetKind kind, Flat f)
{
    testsupport::SetFlatGlowColors(a, kind, f.upper, f.lower, f.border);
}

LPARAM At(int x, int y)
{
    return MAKELPARAM(x, y);
}

class GlowButtonTest : public ::testing::Test {
protected:
    static constexpr int W = 60, H = 30;

    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(40, 40, 400, 240);
        panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBevelOuter(bvNone);
        panel->SetBounds(0, 0, 380, 200);
        panel->SetColor(ParentColour);
        form->Show();
    }
    void TearDown() override { form->Free(); }

    TAdvGlowButton* Place(int left = 10, int top = 10, int w = W, int h = H)
    {
        auto* b = new TAdvGlowButton(form);
        b->SetParent(panel);
        b->SetBounds(left, top, w, h);
        b->SetShowCaption(false);
        TGlowButtonAppearance* a = b->Appearance();
        SetFlat(a, TGlowButtonAppearance::skNormal, Normal);
        SetFlat(a, TGlowButtonAppearance::skHot, Hot);
        SetFlat(a, TGlowButtonAppearance::skDown, Down);
        SetFlat(a, TGlowButtonAppearance::skChecked, Checked);
        SetFlat(a, TGlowButtonAppearance::skDisabled, Disabled);
        b->OnClick = TNotifyEvent(this, &GlowButtonTest::Clicked);
        b->HandleNeeded();
        return b;
    }

    std::unique_ptr<Dib> Render(TAdvGlowButton* b)
    {
        auto dib = std::make_unique<Dib>(b->Width(), b->Height(), 0xFFFFFF);
        b->PaintTo(dib->dc(), 0, 0);
        return dib;
    }

    // The upper and lower half's colour in the middle of the face.
    static std::pair<uint32_t, uint32_t> Halves(const Dib& d)
    {
        return {d.Pixel(d.width() / 2, 4), d.Pixel(d.width() / 2, d.height() - 5)};
    }

    // Ticks of the fade timer by its WM_TIMER messages, until it is gone (true) or `ticks` ran.
    static bool TickFade(TAdvGlowButton* b, int ticks = 20)
    {
        for (int i = 0; i < ticks; ++i) {
            TTimer* timer = FadeTimer(b);
            if (!timer)
                return true;
            SendMessageA(timer->Handle(), WM_TIMER, 1, 0);
        }
        return FadeTimer(b) == nullptr;
    }

    // The button's timers are components it owns; the fade timer is the one that is running
    // with the fade interval while no repeat clicking is on.
    static TTimer* FadeTimer(TAdvGlowButton* b)
    {
        for (int i = 0; i < b->ComponentCount(); ++i)
            if (auto* t = dynamic_cast<TTimer*>(b->Components(i));
                t && t->Interval() == GlowFadeInterval && t->Enabled())
                return t;
        return nullptr;
    }

    static void Press(TAdvGlowButton* b, int x = W / 2, int y = H / 2)
    {
        SendMessageA(b->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
    }
    static void Release(TAdvGlowButton* b, int x = W / 2, int y = H / 2)
    {
        SendMessageA(b->Handle(), WM_LBUTTONUP, 0, At(x, y));
    }

public:
    void Clicked(TObject* sender) { clicks.push_back(sender); }

protected:
    TForm* form = nullptr;
    TPanel* panel = nullptr;
    std::vector<TObject*> clicks;
};

// ---- appearance -------------------------------------------------------------------------------

TEST(GlowButtonAppearance, StartsWithTheDefaultTableAndPresetsFollowTheirRules)
{
    TGlowButtonAppearance a;
    EXPECT_EQ(a.BorderColor(), 12632256);
    EXPECT_EQ(a.ColorHot(), 16117985);
    EXPECT_EQ(a.ColorMirrorDisabled(), 11974326);
    EXPECT_EQ(a.GradientHot(), draw::ggRadial);
    EXPECT_EQ(a.GradientMirrorChecked(), draw::ggVertical);
    EXPECT_TRUE(a.SystemFont());

    a.ApplyStylePreset(3);
    EXPECT_EQ(a.BorderColor(), 0);
    EXPECT_EQ(a.ColorHot(), 15465983);
    EXPECT_EQ(a.BorderColorDown(), 4548219);

    TGlowButtonAppearance b;
    b.ApplyStylePreset(1);
    b.ApplyStylePreset(4);
    EXPECT_EQ(b.BorderColorChecked(), 4548219);
    b.ApplyStylePreset(1); // style 1 leaves the checked border alone
    EXPECT_EQ(b.BorderColorChecked(), 4548219);

    for (uint8_t unchanged : {uint8_t{8}, uint8_t{12}}) {
        TGlowButtonAppearance c;
        c.ApplyStylePreset(unchanged);
        EXPECT_EQ(c.Color(), 16777215);
        EXPECT_EQ(c.ColorHot(), 16117985);
    }
}

TEST(GlowButtonAppearance, AssigningEqualValuesFiresNoChange)
{
    TGlowButtonAppearance a, b;
    int changes = 0;
    struct Counter {
        int& n;
        void Changed(TObject*) { ++n; }
    } counter{changes};
    a.OnChange = TNotifyEvent(&counter, &Counter::Changed);
    a.Assign(&b);
    EXPECT_EQ(changes, 0);
    b.SetColorHot(0x123456);
    a.Assign(&b);
    EXPECT_EQ(changes, 1);
}

// ---- looks --------------------------------------------------------------------------------------

TEST_F(GlowButtonTest, EachStateShowsItsColourSet)
{
    struct Case {
        const char* what;
        std::function<void(TAdvGlowButton*)> setUp;
        Flat look;
    };
    const std::vector<Case> cases = {
        {"normal", [](TAdvGlowButton*) {}, Normal},
        {"hot after the fade",
         [](TAdvGlowButton* b) {
             b->Perform(CM_MOUSEENTER);
             TickFade(b);
         },
         Hot},
        {"held down after the fade",
         [](TAdvGlowButton* b) {
             b->Perform(CM_MOUSEENTER);
             Press(b);
             TickFade(b);
         },
         Down},
        {"down in a group",
         [](TAdvGlowButton* b) {
             b->SetGroupIndex(1);
             b->SetDown(true);
         },
         Checked},
        {"checked check button",
         [](TAdvGlowButton* b) {
             b->SetStyle(bsCheck);
             b->SetDown(true);
         },
         Checked},
        {"disabled", [](TAdvGlowButton* b) { b->SetEnabled(false); }, Disabled},
        {"disabled while fading in",
         [](TAdvGlowButton* b) {
             b->Perform(CM_MOUSEENTER);
             TickFade(b, 2);
             b->SetEnabled(false);
         },
         Disabled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TAdvGlowButton* b = Place();
        c.setUp(b);
        auto dib = Render(b);
        EXPECT_EQ(Halves(*dib), std::make_pair(Px(c.look.upper), Px(c.look.lower)));
        EXPECT_EQ(dib->Pixel(W / 2, 0), Px(c.look.border));
        b->Free();
    }
}

TEST_F(GlowButtonTest, WithoutShowDisabledADisabledButtonLooksNormal)
{
    TAdvGlowButton* b = Place();
    b->SetShowDisabled(false);
    b->SetEnabled(false);
    EXPECT_EQ(Halves(*Render(b)), std::make_pair(Px(Normal.upper), Px(Normal.lower)));
}

TEST_F(GlowButtonTest, RoundedCornersShowTheParentSquareOnesTheBorder)
{
    TAdvGlowButton* b = Place();
    auto rounded = Render(b);
    for (POINT p : {POINT{0, 0}, POINT{W - 1, 0}, POINT{0, H - 1}, POINT{W - 1, H - 1}})
        EXPECT_EQ(rounded->Pixel(p.x, p.y), Px(ParentColour)) << p.x << "," << p.y;
    b->SetRounded(false);
    b->SetPosition(draw::bpMiddle); // a middle button leaves its corners to the face
    auto square = Render(b);
    EXPECT_NE(square->Pixel(0, 0), Px(ParentColour));
}

TEST_F(GlowButtonTest, HotFadeStepsTwentyPercentPerTickAndStopsOneTickLater)
{
    TAdvGlowButton* b = Place();
    b->Perform(CM_MOUSEENTER);
    for (int percent = 20; percent <= 100; percent += 20) {
        SendMessageA(FadeTimer(b)->Handle(), WM_TIMER, 1, 0);
        EXPECT_EQ(Halves(*Render(b)).first, BlendPx(Hot.upper, Normal.upper, percent)) << percent;
    }
    ASSERT_NE(FadeTimer(b), nullptr);
    SendMessageA(FadeTimer(b)->Handle(), WM_TIMER, 1, 0);
    EXPECT_EQ(FadeTimer(b), nullptr);
    EXPECT_EQ(Halves(*Render(b)).first, Px(Hot.upper));

    b->Perform(CM_MOUSELEAVE);
    SendMessageA(FadeTimer(b)->Handle(), WM_TIMER, 1, 0);
    EXPECT_EQ(Halves(*Render(b)).first, BlendPx(Hot.upper, Normal.upper, 80));
    EXPECT_TRUE(TickFade(b));
    EXPECT_EQ(Halves(*Render(b)).first, Px(Normal.upper));
}

TEST_F(GlowButtonTest, ImageListImageIsCentredAndADisabledListKeepsItsColours)
{
    auto* images = new TImageList(form);
    images->SetWidth(8);
    images->SetHeight(8);
    TBitmap red;
    red.SetSize(8, 8);
    red.Canvas()->Brush()->SetColor(0x0000FF);
    red.Canvas()->FillRect(RECT{0, 0, 8, 8});
    images->Add(&red, nullptr);

    TAdvGlowButton* b = Place();
    b->SetImages(images);
    b->SetImageIndex(0);
    auto dib = Render(b);
    const int x = (W - 8) / 2, y = (H - 8) / 2;
    EXPECT_EQ(dib->Pixel(x, y), 0xFF0000u);
    EXPECT_EQ(dib->Pixel(x + 7, y + 7), 0xFF0000u);
    EXPECT_NE(dib->Pixel(x - 1, y), 0xFF0000u);

    b->SetDisabledImages(images);
    b->SetEnabled(false);
    EXPECT_EQ(Render(b)->Pixel(x + 3, y + 3), 0xFF0000u);
}

TEST_F(GlowButtonTest, DropDownPartShowsTheArrowAndTheSplitLineWhenHot)
{
    TAdvGlowButton* b = Place();
    b->SetDropDownButton(true);
    // The arrow's top stroke: five pixels at the part's middle, one pixel below its centre line.
    const int ax = W - 13 + (13 - 5) / 2, ay = 1 + (H - 3) / 2;
    auto normal = Render(b);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(normal->Pixel(ax + i, ay), 0x000000u) << i;
    EXPECT_EQ(normal->Pixel(W - 13, 4), Px(Normal.upper));

    b->Perform(CM_MOUSEENTER);
    TickFade(b);
    auto hot = Render(b);
    EXPECT_EQ(hot->Pixel(W - 13, 4), Px(Hot.border));
}

// ---- clicks
// ---------------------------------------------------------------------------------------

TEST_F(GlowButtonTest, PressAndReleaseClickOnce)
{
    TAdvGlowButton* b = Place();
    Press(b);
    Release(b);
    EXPECT_EQ(clicks.size(), 1u);
}

// A double click in a file dialog lands its second release on whatever lies below the dialog:
// a release whose press began elsewhere clicks nothing.
TEST_F(GlowButtonTest, AReleaseWithoutAPressOnTheButtonClicksNothing)
{
    TAdvGlowButton* b = Place();
    Release(b);
    EXPECT_TRUE(clicks.empty());
}

TEST_F(GlowButtonTest, ADoubleClickClicksTwice)
{
    TAdvGlowButton* b = Place();
    Press(b);
    Release(b);
    SendMessageA(b->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, At(W / 2, H / 2));
    Release(b);
    EXPECT_EQ(clicks.size(), 2u);
}

TEST_F(GlowButtonTest, DragOutAndBackKeepsOneClickReleaseOutsideNone)
{
    TAdvGlowButton* b = Place();
    b->Perform(CM_MOUSEENTER);
    Press(b);
    SendMessageA(b->Handle(), WM_MOUSEMOVE, MK_LBUTTON, At(W + 20, H / 2));
    b->Perform(CM_MOUSELEAVE);
    b->Perform(CM_MOUSEENTER);
    SendMessageA(b->Handle(), WM_MOUSEMOVE, MK_LBUTTON, At(W / 2, H / 2));
    TickFade(b);
    EXPECT_EQ(Halves(*Render(b)).first, Px(Down.upper)); // the pressed look is back
    Release(b);
    EXPECT_EQ(clicks.size(), 1u);

    Press(b);
    Release(b, W + 20, H / 2);
    EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(GlowButtonTest, CheckStyleTogglesOnAReleaseInsideOnly)
{
    TAdvGlowButton* b = Place();
    b->SetStyle(bsCheck);
    Press(b);
    Release(b, W + 20, 5);
    EXPECT_FALSE(b->Down()); // released outside: the press's toggle is undone
    Press(b);
    Release(b);
    EXPECT_TRUE(b->Down());
    Press(b);
    Release(b);
    EXPECT_FALSE(b->Down());
}

TEST_F(GlowButtonTest, GroupsKeepOneButtonDownUnlessAllMayBeUp)
{
    TAdvGlowButton* first = Place(10, 10);
    TAdvGlowButton* second = Place(10, 60);
    TAdvGlowButton* plain = Place(10, 110);
    plain->SetDown(true);
    EXPECT_FALSE(plain->Down()); // a push button outside a group never stays down

    first->SetGroupIndex(1);
    second->SetGroupIndex(1);
    Press(first);
    Release(first);
    EXPECT_TRUE(first->Down());
    Press(second);
    Release(second);
    EXPECT_TRUE(second->Down());
    EXPECT_FALSE(first->Down());
    second->SetDown(false);
    EXPECT_TRUE(second->Down());

    second->SetAllowAllUp(true);
    second->SetDown(false);
    EXPECT_FALSE(second->Down());
}

TEST_F(GlowButtonTest, RepeatClicksFollowTheRepeatTimersTicks)
{
    TAdvGlowButton* b = Place();
    b->SetRepeatClick(true);
    Press(b);
    TTimer* repeat = nullptr;
    for (int i = 0; i < b->ComponentCount(); ++i)
        if (auto* t = dynamic_cast<TTimer*>(b->Components(i)); t && t->Interval() == 400)
            repeat = t;
    ASSERT_NE(repeat, nullptr);
    EXPECT_TRUE(repeat->Enabled());
    SendMessageA(repeat->Handle(), WM_TIMER, 1, 0);
    EXPECT_EQ(clicks.size(), 1u);
    EXPECT_EQ(repeat->Interval(), 100u);
    SendMessageA(repeat->Handle(), WM_TIMER, 1, 0);
    SendMessageA(repeat->Handle(), WM_TIMER, 1, 0);
    EXPECT_EQ(clicks.size(), 3u);
    Release(b);
    EXPECT_FALSE(repeat->Enabled());
    EXPECT_EQ(clicks.size(), 4u); // the release is a click of its own
}

// ---- keys
// ------------------------------------------------------------------------------------------

TEST_F(GlowButtonTest, SpaceClicksOnceEvenWhenTheKeyIsHeld)
{
    TAdvGlowButton* b = Place();
    b->SetTabStop(true);
    b->SetFocus();
    const LPARAM first = 1, repeat = 1 | (1 << 30);
    SendMessageA(b->Handle(), WM_KEYDOWN, VK_SPACE, first);
    SendMessageA(b->Handle(), WM_CHAR, ' ', first);
    for (int i = 0; i < 3; ++i) {
        SendMessageA(b->Handle(), WM_KEYDOWN, VK_SPACE, repeat);
        SendMessageA(b->Handle(), WM_CHAR, ' ', repeat);
    }
    SendMessageA(b->Handle(), WM_KEYUP, VK_SPACE, first | (1u << 30) | (1u << 31));
    EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(GlowButtonTest, EnterClicksTheDefaultButtonEscapeTheCancelButtonNoneWithShift)
{
    TAdvGlowButton* ok = Place(10, 10);
    TAdvGlowButton* cancel = Place(10, 60);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    ok->RecreateWnd();
    ok->HandleNeeded();
    EXPECT_EQ(ok->Perform(CM_DIALOGKEY, VK_RETURN, 0), 1);
    EXPECT_EQ(cancel->Perform(CM_DIALOGKEY, VK_RETURN, 0), 0);
    EXPECT_EQ(ok->Perform(CM_DIALOGKEY, VK_ESCAPE, 0), 0);
    EXPECT_EQ(cancel->Perform(CM_DIALOGKEY, VK_ESCAPE, 0), 1);
    EXPECT_EQ(clicks, (std::vector<TObject*>{ok, cancel}));
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    const LRESULT withShift = ok->Perform(CM_DIALOGKEY, VK_RETURN, 0);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(withShift, 0);
    EXPECT_EQ(clicks.size(), 2u);
}

// ---- drop-down, key tips, size states
// -----------------------------------------------------------------

// A menu that records where it was asked to open instead of tracking.
class RecordingMenu : public TPopupMenu {
public:
    explicit RecordingMenu(TComponent* owner) : TPopupMenu(owner) {}
    void Popup(int x, int y) override { at.push_back(POINT{x, y}); }
    std::vector<POINT> at;
};

TEST_F(GlowButtonTest, DropDownOpensTheMenuBelowTheButtonAfterOnDropDown)
{
    TAdvGlowButton* b = Place(10, 20);
    int dropDowns = 0;
    struct Counter {
        int& n;
        void DroppedDown(TObject*) { ++n; }
    } counter{dropDowns};
    b->OnDropDown = TNotifyEvent(&counter, &Counter::DroppedDown);
    b->DropDown(); // no menu: nothing, not even the event
    EXPECT_EQ(dropDowns, 0);

    auto* menu = new RecordingMenu(form);
    b->SetDropDownMenu(menu);
    b->DropDown();
    EXPECT_EQ(dropDowns, 1);
    const POINT below = panel->ClientToScreen(POINT{10, 20 + H});
    ASSERT_EQ(menu->at.size(), 1u);
    EXPECT_EQ(menu->at[0].x, below.x);
    EXPECT_EQ(menu->at[0].y, below.y);

    b->SetDropDownButton(true);
    Press(b, W - 5, H / 2); // on the drop-down part
    EXPECT_EQ(menu->at.size(), 2u);
    Release(b, W - 5, H / 2);
}

TEST_F(GlowButtonTest, KeyTipSitsAtItsPositionAndTheEventMayMoveIt)
{
    TAdvGlowButton* b = Place(30, 40);
    b->SetShortCutHint("C");
    b->SetShortCutHintPos(shpAuto);
    b->ShowShortCutHint();
    TShortCutHintWindow* tip = b->ShortCutHintWindow();
    ASSERT_NE(tip, nullptr);
    RECT r{};
    GetWindowRect(tip->Handle(), &r);
    const POINT o = b->ClientOrigin();
    const int w = r.right - r.left, h = r.bottom - r.top;
    EXPECT_EQ(r.left, o.x + (W - w) / 2); // shpAuto is shpTop
    EXPECT_EQ(r.top, o.y - h / 2);
    EXPECT_EQ(tip->ColorTo(), b->Appearance()->Color());

    struct Mover {
        void Pos(TObject*, TButtonSizeState, TShortCutHintPos& pos) { pos = shpBelowBottomLeft; }
    } mover;
    b->OnGetShortCutHintPos = TGetShortCutHintPosEvent(&mover, &Mover::Pos);
    b->ShowShortCutHint();
    GetWindowRect(tip->Handle(), &r);
    EXPECT_EQ(r.left, o.x + 6);
    EXPECT_EQ(r.top, o.y + H);
    b->HideShortCutHint();
    EXPECT_FALSE(IsWindowVisible(tip->Handle()));
}

TEST_F(GlowButtonTest, GlyphSizeStateShrinksAnAutoSizedButtonAndLargeRestoresItsLayout)
{
    auto* images = new TImageList(form);
    images->SetWidth(16);
    images->SetHeight(16);
    TAdvGlowButton* b = Place();
    b->SetShowCaption(true);
    b->SetCaption("Caption");
    b->SetImages(images);
    b->SetImageIndex(0);
    b->SetLayout(blGlyphTop);
    b->SetDropDownPosition(dpBottom);
    b->SetAutoSize(true);
    b->SetSizeState(bsGlyph);
    // Content 16 x 16 (no caption), then 3 x Spacing + 2 x MarginHorz + 2 and 2 x Spacing + 2 x
    // MarginVert.
    EXPECT_EQ(b->Width(), 16 + 6 + 2 + 2);
    EXPECT_EQ(b->Height(), 16 + 4 + 2);
    EXPECT_EQ(b->Layout(), blGlyphLeft);
    SIZE withPart{};
    b->SetDropDownButton(true);
    b->CalcButtonSize(bsGlyph, withPart);
    EXPECT_EQ(withPart.cx, 16 + 6 + 2 + 2 + 13);
    b->SetSizeState(bsLarge);
    EXPECT_EQ(b->Layout(), blGlyphTop);
    EXPECT_EQ(b->DropDownPosition(), dpBottom);
}

TEST_F(GlowButtonTest, MinimumSizeStateRaisesTheStateOnly)
{
    TAdvGlowButton* b = Place();
    b->SetSizeState(bsGlyph);
    b->SetMinButtonSizeState(bsLabel);
    EXPECT_EQ(b->SizeState(), bsLabel);
    b->SetMinButtonSizeState(bsGlyph);
    EXPECT_EQ(b->SizeState(), bsLabel);
}

TEST_F(GlowButtonTest, VersionIsReadOnly)
{
    TAdvGlowButton* b = Place();
    EXPECT_EQ(b->Version(), "1.8.2.0");
    b->SetVersion("9");
    EXPECT_EQ(b->Version(), "1.8.2.0");
}

} // namespace
