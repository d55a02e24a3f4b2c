// The quick-access toolbar on a stand-in pager: its parent rule, the required width and the
// size it takes, overflow while the pager narrows and widens, the customize button in both
// places, the overflow drop-down, images, key tips, the styler's look for its glow buttons,
// a freed drop-down menu, and the two looks as pixels.
#include "toolbar/AdvQuickAccessToolBar.h"
#include "toolbar/AdvToolBarStylers.h"
#include "toolbar/OptionSelectorWindow.h"

#include "GuiTest.h"

#include "controls/AdvGlowButton.h"
#include "core/Exceptions.h"
#include "windows/ExtCtrls.h"
#include "windows/Forms.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

using namespace classlib;
using namespace toolbar;
using controls::TAdvGlowButton;
using testsupport::Dib;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

constexpr TColor PagerColour = 0x123456;

uint32_t Px(TColor c)
{
    c = ColorToRGB(c);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// A stand-in for the ribbon pager: a plain control of one colour that gives the toolbar its
// rectangle and styler and, when resized, tells the toolbar what the pager does.
class FakePager : public TCustomControl, public IQuickAccessPager {
public:
    explicit FakePager(TComponent* owner) : TCustomControl(owner)
    {
        styler = new TAdvToolBarOfficeStyler(this);
        SetColor(PagerColour);
    }
    RECT qatRect{40, 0, 240, 26};
    bool captionVisible = true;
    TAdvToolBarOfficeStyler* styler;

    RECT QATRect() const override { return qatRect; }
    bool CaptionVisible() const override { return captionVisible; }
    TCustomAdvToolBarStyler* PagerStyler() const override { return styler; }

    // What the pager does after it was resized.
    void Resized(TAdvCustomQuickAccessToolBar* qat, int qatWidth)
    {
        qatRect.right = qatRect.left + qatWidth;
        qat->UpdateSize();
        qat->CheckOverflow();
        qat->ArrangeItems(false);
    }

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(PagerColour);
        Canvas()->FillRect(ClientRect());
    }
};

class QuickAccessToolBar : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(40, 40, 400, 200);
        pager = new FakePager(form);
        pager->SetParent(form);
        pager->SetBounds(0, 0, 380, 120);
        qat = new TAdvQuickAccessToolBar(form);
        qat->SetParent(pager);
        form->Show();
        ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()) != 0; }));
        PumpFor(30);
    }
    void TearDown() override { form->Free(); }

    // A 22-pixel glow button at `left`.
    TAdvGlowButton* AddButton(int left, const std::string& hint = {})
    {
        auto* b = new TAdvGlowButton(form);
        b->SetBounds(left, 2, 22, 22);
        b->SetShortCutHint(hint);
        b->SetParent(qat);
        buttons.push_back(b);
        return b;
    }
    void AddThree()
    {
        for (int left : {0, 30, 60})
            AddButton(left);
    }

    TForm* form = nullptr;
    FakePager* pager = nullptr;
    TAdvQuickAccessToolBar* qat = nullptr;
    std::vector<TAdvGlowButton*> buttons;
};

} // namespace

TEST_F(QuickAccessToolBar, AcceptsOnlyAPagerOrNoParent)
{
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    auto* other = new TAdvQuickAccessToolBar(form);
    try {
        other->SetParent(panel);
        ADD_FAILURE() << "a panel was accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Invalid Parent");
    }
    EXPECT_EQ(other->Parent(), nullptr);
    other->SetParent(pager);
    EXPECT_EQ(other->Parent(), pager);
    other->SetParent(nullptr);
    EXPECT_EQ(other->Parent(), nullptr);
}

TEST_F(QuickAccessToolBar, TakesTheWidthItsButtonsNeedAndLaysThemOutByLeft)
{
    AddThree();
    // Height 26: left margin 26 div 2 + 2 = 15, right margin 12, button width and gap 16.
    EXPECT_EQ(qat->Height(), 26);
    EXPECT_EQ(qat->RequiredWidth(), 66 + 15 + 12 + 16);
    EXPECT_EQ(qat->Width(), 109);
    EXPECT_EQ(qat->Left(), 40);
    ASSERT_EQ(qat->Items().size(), 3u);
    // Laid out from the left margin; centred in the arranging rectangle (top 3, bottom 25).
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(qat->Items()[i], buttons[i]);
        EXPECT_EQ(qat->Items()[i]->Left(), 15 + 22 * i);
        EXPECT_EQ(qat->Items()[i]->Top(), 3);
    }
    // The list follows Left: a button moved to the front comes first, one at the same Left
    // as another keeps its child order behind it.
    buttons[2]->SetLeft(0);
    buttons[1]->SetLeft(15);
    qat->BuildItemList();
    EXPECT_EQ(qat->Items()[0], buttons[2]);
    EXPECT_EQ(qat->Items()[1], buttons[0]);
    EXPECT_EQ(qat->Items()[2], buttons[1]);
    qat->ArrangeItems(false);
    EXPECT_EQ(buttons[1]->Left(), 59);
    // A pager rectangle narrower than 60 still gives 60.
    pager->Resized(qat, 40);
    EXPECT_EQ(qat->Width(), 60);
}

// Narrowing the pager's rectangle pushes the last buttons into the overflow list and shows the
// chevrons; widening brings a button back once the room reaches its width.
TEST_F(QuickAccessToolBar, OverflowFollowsThePagersWidth)
{
    AddThree();
    qat->SetShowCustomizeOption(true);
    ASSERT_NE(qat->CustomizeButton(), nullptr);
    EXPECT_TRUE(qat->CustomizeButton()->Visible());
    EXPECT_EQ(qat->CustomizeButton()->Left(), qat->Width() - 14);

    struct Step {
        int width; // of the pager's rectangle
        size_t listed, overflowing;
        bool chevrons, customize;
    };
    const Step steps[] = {
        {100, 2, 1, true, false}, // arrange right 72: the third (59..81) does not fit
        {80, 1, 2, true, false},  // right 52: the second (37..59) goes too
        {107, 2, 1, true, false}, // right 79: room 79 - 37 = 42 brings one back, not both
        {108, 2, 1, true, false}, // right 80: room 21 is short of 22
        {109, 3, 0, false, true}, // right 81: room 22
    };
    for (const Step& s : steps) {
        pager->Resized(qat, s.width);
        EXPECT_EQ(qat->Items().size(), s.listed) << s.width;
        EXPECT_EQ(qat->OverflowItems().size(), s.overflowing) << s.width;
        EXPECT_EQ(qat->OverflowButtonShown(), s.chevrons) << s.width;
        EXPECT_EQ(qat->CustomizeButton()->Visible(), s.customize) << s.width;
        if (s.chevrons) {
            EXPECT_EQ(qat->OverflowButton()->Left(), qat->Width() - 14) << s.width;
            EXPECT_EQ(qat->OverflowButton()->GlyphKind(), 2);
            EXPECT_EQ(qat->OverflowButton()->GlyphVariant(), 1);
            // Out of sight above the toolbar.
            for (TControl* c : qat->OverflowItems())
                EXPECT_EQ(c->Top(), -c->Height() - 2) << s.width;
        }
    }
    // Back in their order of Left.
    EXPECT_EQ(qat->Items()[2], buttons[2]);
    EXPECT_EQ(qat->CustomizeButton()->Left(), qat->Width() - 14);
}

TEST_F(QuickAccessToolBar, CustomizeButtonFollowsTheLastButtonBelowThePages)
{
    AddThree();
    pager->qatRect = RECT{0, 90, 380, 116};
    qat->SetShowBelow(true);
    EXPECT_EQ(qat->Width(), 380);
    EXPECT_EQ(qat->Top(), 90);
    qat->SetShowCustomizeOption(true);
    // Left margin 4: buttons at 4, 26 and 48, the customize button right after them.
    EXPECT_EQ(qat->Items()[0]->Left(), 4);
    EXPECT_EQ(qat->CustomizeButton()->Left(), 70);
    EXPECT_EQ(qat->CustomizeButton()->GlyphKind(), 3);
    qat->SetShowCustomizeOption(false);
    EXPECT_FALSE(qat->CustomizeButton()->Visible());
}

TEST_F(QuickAccessToolBar, OverflowDropDownShowsTheHiddenButtonsAndGivesThemBack)
{
    AddThree();
    pager->Resized(qat, 100);
    ASSERT_TRUE(qat->OverflowButtonShown());
    TAdvVistaButton* chevrons = qat->OverflowButton();
    // Pressing the chevrons opens the drop-down below the toolbar's right end.
    const POINT at{chevrons->Left() + 5, chevrons->Top() + 5};
    SendMessageA(qat->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    SendMessageA(qat->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    TCustomForm* window = qat->OverflowWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->Visible());
    EXPECT_TRUE(chevrons->ForcedDown());
    EXPECT_EQ(buttons[2]->Parent(), qat->OverflowPanel());
    EXPECT_EQ(qat->OverflowPanel()->Parent(), window);
    const POINT below = pager->ClientToScreen(
        POINT{qat->Left() + qat->Width() - 12, qat->Top() + qat->Height() + 1});
    EXPECT_EQ(window->Left(), below.x);
    EXPECT_EQ(window->Top(), below.y);
    testsupport::SaveScreenshot("qat_overflow_dropdown");

    qat->HideOverflow();
    EXPECT_FALSE(window->Visible());
    EXPECT_FALSE(chevrons->ForcedDown());

    // With room again the button comes back from the drop-down.
    pager->Resized(qat, 200);
    EXPECT_EQ(buttons[2]->Parent(), qat);
    EXPECT_EQ(qat->Items().size(), 3u);
    EXPECT_FALSE(qat->OverflowButtonShown());
}

TEST_F(QuickAccessToolBar, ImagesChangeTheHeightByTheDifferenceOfTheirHeights)
{
    qat->SetParent(nullptr); // without a pager the toolbar keeps the height it is given
    qat->SetBounds(0, 0, 100, 30);
    auto list = [&](int h) {
        auto* l = new TCustomImageList(form);
        l->SetWidth(h);
        l->SetHeight(h);
        return l;
    };
    TCustomImageList* i16 = list(16);
    qat->SetImages(i16);
    EXPECT_EQ(qat->Height(), 30); // no previous list
    qat->SetImages(list(24));
    EXPECT_EQ(qat->Height(), 38);
    qat->SetImages(i16);
    EXPECT_EQ(qat->Height(), 30);
    qat->SetImages(nullptr);
    EXPECT_EQ(qat->Height(), 14);
    // A freed list is dropped.
    TCustomImageList* gone = list(16);
    qat->SetImages(gone);
    qat->SetDisabledImages(gone);
    gone->Free();
    EXPECT_EQ(qat->Images(), nullptr);
    EXPECT_EQ(qat->DisabledImages(), nullptr);
}

TEST_F(QuickAccessToolBar, KeyTipsChooseTheButtonWhoseWholeTipWasTyped)
{
    struct Case {
        const char* first;
        const char* second;
        const char* typed;
        bool chosen;
        int count;
        int firstClicks, secondClicks;
    };
    const Case cases[] = {
        {"1", "12", "1", true, 0, 1, 0},
        {"12", "13", "1", false, 2, 0, 0},
        {"12", "23", "2", false, 1, 0, 0},
        {"ab", "Cd", "cD", true, 0, 0, 1}, // upper-cased on both sides
    };
    for (const Case& c : cases) {
        for (TAdvGlowButton* b : buttons)
            b->Free();
        buttons.clear();
        int clicks[2] = {0, 0};
        struct Counter {
            int* n;
            void Click(TObject*) { ++*n; }
        } counters[2] = {{&clicks[0]}, {&clicks[1]}};
        AddButton(0, c.first)->OnClick = TNotifyEvent(&counters[0], &Counter::Click);
        AddButton(30, c.second)->OnClick = TNotifyEvent(&counters[1], &Counter::Click);
        int count = 0;
        EXPECT_EQ(qat->KeyTipPressed(c.typed, count), c.chosen) << c.typed;
        EXPECT_EQ(count, c.count) << c.first << "/" << c.second << " " << c.typed;
        EXPECT_EQ(clicks[0], c.firstClicks) << c.typed;
        EXPECT_EQ(clicks[1], c.secondClicks) << c.typed;
    }
}

TEST_F(QuickAccessToolBar, GlowButtonsTakeThePagerStylersLook)
{
    AddThree();
    qat->SetShowCustomizeOption(true);
    pager->styler->GlowButtonAppearance()->SetColorHot(0x010203);
    pager->styler->SetComponentStyle(8); // the appearance alone
    struct Case {
        int kind;
        bool applied;
    };
    for (const Case& c : {Case{5, false}, Case{2, true}, Case{7, true}, Case{0, true}}) {
        buttons[0]->Appearance()->SetColorHot(0x0A0B0C);
        qat->CustomizeButton()->Appearance()->SetColorHot(0x0A0B0C);
        qat->StylerChanged(c.kind);
        const TColor expected = c.applied ? 0x010203 : 0x0A0B0C;
        EXPECT_EQ(buttons[0]->Appearance()->ColorHot(), expected) << c.kind;
        EXPECT_EQ(qat->CustomizeButton()->Appearance()->ColorHot(), expected) << c.kind;
    }
    // Any other style number is applied to the glow buttons after the appearance (style 3's
    // hot colour), but not to the customize button, which takes the appearance only.
    pager->styler->SetComponentStyle(3);
    qat->StylerChanged(2);
    EXPECT_EQ(buttons[0]->Appearance()->ColorHot(), 15465983);
    EXPECT_EQ(qat->CustomizeButton()->Appearance()->ColorHot(), 0x010203);
}

// The drop-down menu named by the toolbar may be freed first; the customize button must not
// show it afterwards.
TEST_F(QuickAccessToolBar, FreedDropDownMenuIsForgotten)
{
    qat->SetShowCustomizeOption(true);
    auto* menu = new TPopupMenu(form);
    qat->SetDropDownPopupMenu(menu);
    int customizeClicks = 0;
    struct Counter {
        int* n;
        void Click(TObject*) { ++*n; }
    } counter{&customizeClicks};
    qat->OnCustomizeClick = TNotifyEvent(&counter, &Counter::Click);
    menu->Free();
    EXPECT_EQ(qat->DropDownPopupMenu(), nullptr);
    qat->CustomizeButton()->Click();
    EXPECT_EQ(customizeClicks, 1);
    EXPECT_FALSE(qat->CustomizeButton()->ForcedDown());
}

TEST_F(QuickAccessToolBar, BelowThePagesPaintsAFramedGradientStrip)
{
    TQATAppearance* look = pager->styler->QATAppearance();
    look->SetFullSizeColor(0x00C000);
    look->SetFullSizeColorTo(0x00C000);
    look->SetFullSizeBorderColor(0x0000C0);
    pager->qatRect = RECT{0, 90, 380, 116};
    qat->SetShowBelow(true);
    Dib d(qat->Width(), qat->Height(), 0xFFFFFF);
    qat->PaintTo(d.dc(), 0, 0);
    const int W = qat->Width(), H = qat->Height();
    EXPECT_EQ(d.Pixel(W / 2, H / 2), Px(0x00C000));
    EXPECT_EQ(d.Pixel(W / 2, 0), Px(0x0000C0));     // top outline
    EXPECT_EQ(d.Pixel(0, H / 2), Px(0x0000C0));     // left outline
    EXPECT_EQ(d.Pixel(W / 2, H - 2), Px(0x0000C0)); // bottom outline
    const uint32_t highlight = d.Pixel(W / 2, 1);
    EXPECT_NE(highlight, Px(0x00C000));
    EXPECT_EQ(d.Pixel(W / 2, H - 1), highlight);

    // Without a second colour: a plain rectangle in the border colour.
    look->SetFullSizeColorTo(clNone);
    look->SetBorderColor(0xC00000);
    Dib plain(W, H, 0xFFFFFF);
    qat->PaintTo(plain.dc(), 0, 0);
    EXPECT_EQ(plain.Pixel(W / 2, 0), Px(0xC00000));
    EXPECT_EQ(plain.Pixel(W / 2, H / 2), Px(0x00C000));
}

TEST_F(QuickAccessToolBar, CaptionBandPaintsAPillOverThePager)
{
    TQATAppearance* look = pager->styler->QATAppearance();
    look->SetColor(0x00C000);
    look->SetColorTo(0x00C000);
    // Empty, the toolbar is 60 x 26: the band runs from x 0 to 44 - 13, the round end is an
    // ellipse from x 12 to 42 and the curve around the application button one from x -16
    // to 11.
    pager->Resized(qat, 200);
    const int W = qat->Width(), H = qat->Height();
    ASSERT_EQ(W, 60);
    ASSERT_EQ(H, 26);
    Dib d(W, H, 0xFFFFFF);
    qat->PaintTo(d.dc(), 0, 0);
    EXPECT_EQ(d.Pixel(25, 14), Px(0x00C000));
    EXPECT_EQ(d.Pixel(1, 13), Px(PagerColour));
    EXPECT_EQ(d.Pixel(W - 2, 13), Px(PagerColour));
    EXPECT_EQ(d.Pixel(25, 0), Px(PagerColour)); // above the pill (top 3)
}
