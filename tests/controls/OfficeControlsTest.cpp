// The group box, the office check box, radio button and radio group, and the office image:
// frames and tiles, glyphs and mini-HTML captions painted into a DIB, clicks, keys and groups
// under sent messages, the radio group's columns, and a PNG drawn centred.
#include "controls/AdvGroupBox.h"
#include "controls/AdvOfficeButtons.h"
#include "controls/AdvOfficeImage.h"
#include "controls/ControlClasses.h"

#include "core/ComponentStream.h"
#include "core/FormText.h"
#include "windows/ExtCtrls.h"
#include "windows/Forms.h"
#include "windows/ImageLists.h"

#include "FileBytes.h"
#include "GuiTest.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace classlib;
using namespace controls;
using testsupport::Dib;

namespace {

constexpr TColor ParentColour = 0x123456;

uint32_t Px(TColor c)
{
    c = ColorToRGB(c);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// Colours of the glyph bitmaps (resources/bitmaps/make_office_glyphs.py).
constexpr uint32_t GlyphFrame = 0x8E8F8F, GlyphFrameHot = 0x5EA4E6, GlyphMark = 0x213A8C;

class OfficeControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(40, 40, 420, 260);
        panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBevelOuter(bvNone);
        panel->SetBounds(0, 0, 400, 220);
        panel->SetColor(ParentColour);
        form->Show();
    }
    void TearDown() override { form->Free(); }

    template <class C>
    C* Place(int left, int top, int w, int h)
    {
        auto* c = new C(form);
        c->SetParent(panel);
        c->SetBounds(left, top, w, h);
        return c;
    }

    static std::unique_ptr<Dib> Render(TWinControl* c)
    {
        auto dib = std::make_unique<Dib>(c->Width(), c->Height(), 0xFFFFFF);
        c->PaintTo(dib->dc(), 0, 0);
        return dib;
    }

    static int CountPixels(const Dib& d, RECT r, uint32_t rgb)
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += d.Pixel(x, y) == rgb;
        return n;
    }

    static void Click(TWinControl* c, int x, int y)
    {
        SendMessageA(c->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(c->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }

public:
    void Clicked(TObject* sender) { clicks.push_back(sender); }

protected:
    TForm* form = nullptr;
    TPanel* panel = nullptr;
    std::vector<TObject*> clicks;
};

// ---- group box ----------------------------------------------------------------------------------

TEST_F(OfficeControlsTest, GroupBoxWithoutFrameOrTransparencyIsAFlatTile)
{
    auto* box = Place<TAdvGroupBox>(10, 10, 120, 40);
    box->SetParentBackground(false);
    box->SetTransparent(false);
    box->SetBorderStyle(TGroupBoxBorderStyle::bsNone);
    box->SetColor(0xFAFAFA);
    auto dib = Render(box);
    EXPECT_EQ(CountPixels(*dib, RECT{0, 0, 120, 40}, Px(0xFAFAFA)), 120 * 40);
}

TEST_F(OfficeControlsTest, GroupBoxFrameStartsHalfAnEmptyCaptionBelowTheTop)
{
    struct Case {
        TCaptionPosition position;
        int frameTop, frameBottomLine;
    };
    for (const Case& c : {Case{cpTopLeft, 1, 39}, Case{cpBottomCenter, 0, 39}}) {
        auto* box = Place<TAdvGroupBox>(10, 10, 120, 40);
        box->SetParentBackground(false);
        box->SetTransparent(false);
        box->SetColor(0xFAFAFA);
        box->SetBorderColor(0x0000FF);
        box->SetCaptionPosition(c.position);
        auto dib = Render(box);
        EXPECT_EQ(dib->Pixel(60, c.frameTop), 0xFF0000u) << c.position;
        if (c.frameTop > 0)
            EXPECT_EQ(dib->Pixel(60, 0), Px(0xFAFAFA));
        EXPECT_EQ(dib->Pixel(60, c.frameBottomLine), 0xFF0000u) << c.position;
        box->Free();
    }
}

TEST_F(OfficeControlsTest, GroupBoxCaptionGeometry)
{
    auto* box = Place<TAdvGroupBox>(10, 10, 120, 60);
    box->SetCtl3D(false);
    RECT client{0, 0, 120, 60};
    box->AdjustClientRect(client);
    // Border width 1, empty caption height 2: (1, 2, 119, 59) inset by 1.
    EXPECT_EQ(client.left, 2);
    EXPECT_EQ(client.top, 3);
    EXPECT_EQ(client.right, 118);
    EXPECT_EQ(client.bottom, 58);

    box->SetCaption("Caption");
    box->SetCaptionPosition(cpBottomLeft);
    const RECT single = box->GetFrameRect();
    box->SetBorderStyle(TGroupBoxBorderStyle::bsDouble);
    EXPECT_EQ(box->GetFrameRect().bottom, single.bottom + 1);

    box->SetCaptionPosition(cpTopCenter);
    box->SetWidth(20);
    EXPECT_LT(box->GetCaptionRect().left, 0); // narrower than its caption: clipped on both sides
}

TEST_F(OfficeControlsTest, GroupBoxImageSitsAtTheCaptionsCornerAndGoesWithItsList)
{
    auto* images = new TImageList(form);
    images->SetWidth(6);
    images->SetHeight(6);
    TBitmap red;
    red.SetSize(6, 6);
    red.Canvas()->Brush()->SetColor(0x0000FF);
    red.Canvas()->FillRect(RECT{0, 0, 6, 6});
    images->Add(&red, nullptr);
    auto* box = Place<TAdvGroupBox>(10, 10, 120, 60);
    box->SetImages(images);
    box->SetImageIndex(0);
    const RECT c = box->GetCaptionRect();
    EXPECT_EQ(c.left, 8);
    EXPECT_EQ(c.right - c.left, 6);
    auto dib = Render(box);
    EXPECT_EQ(dib->Pixel(8, 0), 0xFF0000u);
    EXPECT_EQ(dib->Pixel(13, 5), 0xFF0000u);
    images->Free();
    EXPECT_EQ(box->Images(), nullptr);
    EXPECT_EQ(box->ImageIndex(), -1);
}

// ---- check box ----------------------------------------------------------------------------------

TEST_F(OfficeControlsTest, NewCheckBoxShowsItsClassNameAndVersion)
{
    TAdvOfficeCheckBox box(nullptr);
    EXPECT_EQ(box.Caption(), "TAdvOfficeCheckBox");
    EXPECT_EQ(box.Version(), "1.1.1.1");
    EXPECT_EQ(box.Width(), 120);
    EXPECT_EQ(box.Height(), 20);
}

TEST_F(OfficeControlsTest, CheckBoxGlyphFollowsStateHoverAndAlignment)
{
    auto* box = Place<TAdvOfficeCheckBox>(10, 10, 150, 20);
    box->SetCaption("");
    // The glyph is 13 x 13 at (0, 4); its frame starts one pixel in.
    EXPECT_EQ(Render(box)->Pixel(1, 10), GlyphFrame);
    box->SetState(cbGrayed);
    EXPECT_EQ(Render(box)->Pixel(3, 10), Render(box)->Pixel(4, 9)); // grey shows unchecked
    box->SetChecked(true);
    EXPECT_EQ(Render(box)->Pixel(3, 10), GlyphMark);
    box->Perform(CM_MOUSEENTER);
    EXPECT_EQ(Render(box)->Pixel(1, 10), GlyphFrameHot);
    box->Perform(CM_MOUSELEAVE);
    box->SetAlignment(taRightJustify);
    auto right = Render(box);
    EXPECT_EQ(right->Pixel(150 - 14 + 1, 10), GlyphFrame);
    EXPECT_NE(right->Pixel(1, 10), GlyphFrame);
}

TEST_F(OfficeControlsTest, CheckBoxCaptionIsMiniHtml)
{
    auto* box = Place<TAdvOfficeCheckBox>(10, 10, 150, 20);
    box->SetCaption("<FONT color=\"#FF0000\">WWWW</FONT>");
    auto dib = Render(box);
    EXPECT_GT(CountPixels(*dib, RECT{16, 0, 150, 20}, 0xFF0000), 10);
    EXPECT_EQ(CountPixels(*dib, RECT{0, 0, 16, 20}, 0xFF0000), 0);
    EXPECT_EQ(CountPixels(*dib, RECT{16, 0, 150, 20}, 0x000000), 0); // no tag text drawn
}

TEST_F(OfficeControlsTest, CheckBoxClicksAndKeysToggleAndClick)
{
    auto* box = Place<TAdvOfficeCheckBox>(10, 10, 150, 20);
    box->SetTabStop(true);
    box->OnClick = TNotifyEvent(this, &OfficeControlsTest::Clicked);
    Click(box, 5, 5); // the first click focuses and toggles
    EXPECT_TRUE(box->IsFocused());
    EXPECT_TRUE(box->Checked());
    Click(box, 150, 20); // the right and bottom edges count as inside
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(clicks.size(), 2u);

    box->SetState(cbGrayed);
    Click(box, 5, 5);
    EXPECT_EQ(box->State(), cbChecked);

    box->SetReadOnly(true);
    Click(box, 5, 5);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(clicks.size(), 4u);
    box->SetReadOnly(false);

    SendMessageA(box->Handle(), WM_KEYDOWN, VK_SPACE, 1);
    EXPECT_TRUE(box->Down());
    SendMessageA(box->Handle(), WM_KEYUP, VK_SPACE, 1u | (1u << 30) | (1u << 31));
    EXPECT_FALSE(box->Down());
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(clicks.size(), 5u);
}

// ---- radio buttons and group
// ----------------------------------------------------------------------

TEST_F(OfficeControlsTest, CheckingARadioButtonUnchecksItsGroupAndClicksOnce)
{
    auto* a = Place<TAdvOfficeRadioButton>(10, 10, 135, 20);
    auto* b = Place<TAdvOfficeRadioButton>(10, 40, 135, 20);
    auto* other = Place<TAdvOfficeRadioButton>(10, 70, 135, 20);
    other->SetGroupIndex(1);
    other->SetChecked(true);
    a->SetChecked(true);
    b->OnClick = TNotifyEvent(this, &OfficeControlsTest::Clicked);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(other->Checked());
    EXPECT_EQ(clicks.size(), 1u);

    a->OnClick = TNotifyEvent(this, &OfficeControlsTest::Clicked);
    Click(a, 5,
          5); // unfocused: checked by the focus without the setter's click, one click at release
    EXPECT_TRUE(a->Checked());
    EXPECT_FALSE(b->Checked());
    EXPECT_EQ(clicks.size(), 2u);
    SendMessageA(a->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(a->Handle(), WM_LBUTTONUP, 0,
                 MAKELPARAM(500, 5)); // released outside: still a click
    EXPECT_EQ(clicks.size(), 3u);
}

class RadioGroupTest : public OfficeControlsTest {
protected:
    TAdvOfficeRadioGroup* PlaceGroup(int columns, int count)
    {
        auto* g = Place<TAdvOfficeRadioGroup>(10, 10, 132, 52);
        g->SetColumns(columns);
        for (int i = 0; i < count; ++i)
            g->Items()->Add("Item " + std::to_string(i));
        g->OnClick = TNotifyEvent(this, &OfficeControlsTest::Clicked);
        return g;
    }
};

TEST_F(RadioGroupTest, ButtonsFillColumnsTopToBottom)
{
    TAdvOfficeRadioGroup* g = PlaceGroup(2, 4);
    ASSERT_EQ(g->ButtonCount(), 4);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, g->Font()->Handle());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    const int th = tm.tmHeight;
    const int cw = (132 - 10) / 2, a = 52 - th - 5, rh = a / 2, m = (a % 2) / 2 + th + 1 - th / 2;
    for (int i = 0; i < 4; ++i) {
        TAdvGroupButton* button = g->Buttons(i);
        EXPECT_EQ(button->Left(), (i / 2) * cw + 8) << i;
        EXPECT_EQ(button->Top(), (i % 2) * rh + m) << i;
        EXPECT_EQ(button->Width(), cw);
        EXPECT_EQ(button->Height(), rh);
        EXPECT_TRUE(button->Visible());
        EXPECT_EQ(button->Caption(), "Item " + std::to_string(i));
    }
    if (th == 13) { // the main window's group, as laid out with Tahoma 8 pt
        EXPECT_EQ(g->Buttons(3)->Left(), 69);
        EXPECT_EQ(g->Buttons(1)->Top(), 25);
    }
}

TEST_F(RadioGroupTest, ColumnsAreLimitedToOneToSixteen)
{
    TAdvOfficeRadioGroup* g = PlaceGroup(1, 2);
    g->SetColumns(0);
    EXPECT_EQ(g->Columns(), 1);
    g->SetColumns(17);
    EXPECT_EQ(g->Columns(), 16);
}

TEST_F(RadioGroupTest, ItemIndexChecksOneButtonAndFollowsTheItems)
{
    TAdvOfficeRadioGroup* g = PlaceGroup(1, 4);
    g->SetItemIndex(2);
    EXPECT_TRUE(g->Buttons(2)->Checked());
    EXPECT_EQ(clicks.size(), 1u);
    g->SetItemIndex(-1);
    EXPECT_FALSE(g->Buttons(2)->Checked());
    EXPECT_EQ(clicks.size(), 1u);
    g->SetItemIndex(9);
    EXPECT_EQ(g->ItemIndex(), 3);

    Click(g->Buttons(1), 5, 5);
    EXPECT_EQ(g->ItemIndex(), 1);

    g->SetItemIndex(3);
    g->Items()->Delete(3);
    g->Items()->Delete(2);
    EXPECT_EQ(g->ItemIndex(), 1);
    EXPECT_EQ(g->ButtonCount(), 2);
    g->Items()->Clear();
    EXPECT_EQ(g->ItemIndex(), -1);
    EXPECT_EQ(g->ButtonCount(), 0);
}

// A layout lists ItemIndex before Items: an index past the items must wait for them and then
// be clamped, never used to reach a button that does not exist.
TEST_F(RadioGroupTest, AnItemIndexPastTheItemsWhileLoadingIsClampedOnceTheyAreThere)
{
    RegisterControlClasses();
    TStringStream in(
        ObjectTextToBinary("object Group: TAdvOfficeRadioGroup\n"
                           "  Width = 132\n"
                           "  Height = 52\n"
                           "  Columns = 2\n"
                           "  ItemIndex = 7\n"
                           "  Items.Strings = (\n"
                           "    'P16'\n"
                           "    'P18'\n"
                           "    'P24'\n"
                           "    'dsPIC')\n"
                           "end\n"));
    auto* g = dynamic_cast<TAdvOfficeRadioGroup*>(ReadComponentFromStream(in, nullptr));
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->ItemIndex(), 3);
    ASSERT_EQ(g->ButtonCount(), 4);
    EXPECT_TRUE(g->Buttons(3)->Checked());
    EXPECT_EQ(g->Columns(), 2);
    g->Free();
}

// ---- office image
// ------------------------------------------------------------------------------------

class OfficeImageTest : public OfficeControlsTest {
protected:
    std::unique_ptr<Dib> RenderPanel()
    {
        auto dib = std::make_unique<Dib>(panel->Width(), panel->Height(), 0xFFFFFF);
        panel->PaintTo(dib->dc(), 0, 0);
        return dib;
    }
};

TEST_F(OfficeImageTest, WithoutAPictureADottedBlueFrameShows)
{
    auto* image = new TAdvOfficeImage(form);
    image->SetParent(panel);
    image->SetLeft(20);
    image->SetTop(20);
    EXPECT_EQ(image->Width(), 32);
    EXPECT_EQ(image->Version(), "1.0.2.0");
    auto dib = RenderPanel();
    int blue = 0;
    for (int x = 20; x < 52; ++x)
        blue += dib->Pixel(x, 20) == 0x0000FFu;
    EXPECT_GT(blue, 8);
    EXPECT_LT(blue, 32); // dotted, not solid
}

TEST_F(OfficeImageTest, APngIsDrawnAtItsSizeCentredAndADamagedOneDrawsNothing)
{
    const std::string png = testsupport::ReadBytes(BRENVIK_DRAW_TEST_DATA "quadrants.png");
    ASSERT_FALSE(png.empty());
    auto* image = new TAdvOfficeImage(form);
    image->SetParent(panel);
    image->SetBounds(20, 20, 32, 30);
    TStringStream bytes(png);
    image->Picture()->LoadFromStream(bytes);
    auto dib = RenderPanel();
    // An 8 x 8 picture with red, blue, green and white quadrants at ((32 - 8) / 2, (30 - 8) / 2).
    const int x = 20 + 12, y = 20 + 11;
    EXPECT_EQ(dib->Pixel(x, y), 0xFF0000u);
    EXPECT_EQ(dib->Pixel(x + 7, y), 0x0000FFu);
    EXPECT_EQ(dib->Pixel(x, y + 7), 0x00FF00u);
    EXPECT_EQ(dib->Pixel(x + 7, y + 7), 0xFFFFFFu);
    EXPECT_EQ(dib->Pixel(x - 1, y), Px(ParentColour));

    image->SetCenter(false);
    EXPECT_EQ(RenderPanel()->Pixel(20, 20), 0xFF0000u);

    TStringStream damaged(png.substr(0, 20));
    image->Picture()->LoadFromStream(damaged);
    auto none = RenderPanel();
    for (int py = 20; py < 50; ++py)
        for (int px = 20; px < 52; ++px)
            ASSERT_EQ(none->Pixel(px, py), Px(ParentColour)) << px << "," << py;
}

} // namespace
