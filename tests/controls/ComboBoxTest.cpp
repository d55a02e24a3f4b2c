// The HTML combo box: forced owner-draw style, button width limits, item drawing through the
// renderer (selection colours, 2-pixel indent), measured heights, plain-text lookup and
// sorting, anchors in the selected item, the flat look's disabled colour, and device names
// with markup characters.
#include "controls/HTMLComboBox.h"

#include "app/Families.h"
#include "core/StringList.h"
#include "windows/ExtCtrls.h"
#include "windows/Forms.h"
#include "windows/Screen.h"

#include "GuiTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace classlib;
using namespace controls;
using testsupport::Dib;

namespace {

constexpr uint32_t Green = 0x00A000; // as a DIB pixel

uint32_t Rgb(TColor c)
{
    c = ColorToRGB(c);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

int CountPixels(const Dib& dib, const RECT& area, uint32_t rgb)
{
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            count += dib.Pixel(x, y) == rgb;
    return count;
}

// Reaches the combo box's own item drawing and measuring.
class TTestCombo : public THTMLComboBox {
public:
    using THTMLComboBox::THTMLComboBox;
    void Draw(Dib& dib, int index, const RECT& rect, TOwnerDrawState state)
    {
        Canvas()->SetHandle(dib.dc());
        Canvas()->SetFont(Font());
        DrawItem(index, rect, state);
        Canvas()->SetHandle(nullptr);
    }
    int Measure(int index)
    {
        int height = 0;
        MeasureItem(index, height);
        return height;
    }
};

struct AnchorLog {
    std::vector<std::string> clicks;
    void Click(TObject*, int, const std::string& anchor) { clicks.push_back(anchor); }
};

class ComboBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(40, 40, 400, 300);
        panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBounds(0, 0, 380, 260);
        panel->SetColor(0x123456);
        combo = new TTestCombo(form);
        combo->SetParent(panel);
        combo->SetBounds(10, 10, 153, 22);
        combo->Font()->SetName("Tahoma");
        combo->Font()->SetHeight(-11);
    }
    void TearDown() override { form->Free(); }

    TForm* form = nullptr;
    TPanel* panel = nullptr;
    TTestCombo* combo = nullptr;
};

} // namespace

TEST_F(ComboBoxTest, StyleStaysOwnerDrawFixedAndButtonWidthKeepsItsRange)
{
    combo->SetStyle(csDropDown);
    EXPECT_EQ(combo->Style(), csOwnerDrawFixed);
    EXPECT_EQ(combo->Version(), "1.5.0.1");
    struct Case {
        int value, expected;
    } cases[] = {{13, GetSystemMetrics(SM_CXVSCROLL) + 2}, {14, 14}, {33, 14}, {32, 32}};
    for (const Case& c : cases) {
        combo->SetButtonWidth(c.value);
        EXPECT_EQ(combo->ButtonWidth(), c.expected) << c.value;
    }
    combo->SetFlat(true);
    EXPECT_FALSE(combo->Ctl3D());
}

TEST_F(ComboBoxTest, PlainTextOutsideTheItemsRaises)
{
    combo->Items()->Add("<B>one</B>");
    EXPECT_EQ(combo->GetItemPlainText(0), "one");
    for (int index : {-1, 1}) {
        try {
            combo->GetItemPlainText(index);
            ADD_FAILURE() << "no exception for " << index;
        } catch (const EHTMLComboBoxError& e) {
            EXPECT_STREQ(e.what(), "Item index out of range");
        }
    }
}

TEST_F(ComboBoxTest, SortingComparesPlainTextAndKeepsTheIndexNumber)
{
    combo->Items()->Add("<B>b</B>");
    combo->Items()->Add("a");
    combo->SetItemIndex(0);
    combo->SetSorted(true);
    EXPECT_EQ(combo->Items()->Strings(0), "a");
    EXPECT_EQ(combo->Items()->Strings(1), "<B>b</B>");
    EXPECT_EQ(combo->ItemIndex(), 0);
}

TEST_F(ComboBoxTest, LookupMatchesThePlainTextsBeginning)
{
    combo->Items()->Add("<B>Start</B>");
    combo->Items()->Add("<I>Stop</I>");
    combo->SetItemIndex(0);
    combo->Perform(WM_CHAR, 's', 0);
    EXPECT_EQ(combo->ItemIndex(), 0); // the current item matches
    combo->SetIncrLookup(true);
    combo->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
    for (char c : std::string("sto"))
        combo->Perform(WM_CHAR, static_cast<WPARAM>(c), 0);
    EXPECT_EQ(combo->ItemIndex(), 1);
    combo->Perform(WM_CHAR, 'x', 0);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->LookupBuffer(), "x");
}

TEST_F(ComboBoxTest, ItemsDrawThroughTheRendererTwoPixelsIn)
{
    combo->Items()->Add("<FONT color=\"#00A000\">Item</FONT> <A href=\"x\">link</A>");
    Dib dib(200, 20, 0xFFFFFF);
    const RECT rect{0, 0, 200, 20};

    combo->Draw(dib, 0, rect, TOwnerDrawState{});
    EXPECT_GT(CountPixels(dib, rect, Green), 5);          // the markup's colour
    EXPECT_GT(CountPixels(dib, rect, Rgb(clBlue)), 5);    // anchors in URLColor
    EXPECT_EQ(CountPixels(dib, {0, 0, 2, 20}, Green), 0); // nothing left of the indent

    combo->Draw(dib, 0, rect, TOwnerDrawState{odSelected});
    EXPECT_EQ(dib.Pixel(0, 0), Rgb(clHighlight));
    EXPECT_EQ(CountPixels(dib, rect, Green), 0); // selection colours win
    EXPECT_EQ(CountPixels(dib, rect, Rgb(clBlue)), 0);
    EXPECT_GT(CountPixels(dib, rect, Rgb(clHighlightText)), 10);
}

TEST_F(ComboBoxTest, MeasuredHeightIsTheRenderedHeightPlusFour)
{
    combo->Items()->Add("one");
    combo->Items()->Add("two<BR>lines");
    const int one = combo->Measure(0);
    const int two = combo->Measure(1);
    EXPECT_GT(one, 4);
    EXPECT_EQ(two - 4, 2 * (one - 4));
    EXPECT_EQ(combo->Measure(5), combo->EditHeight());
}

TEST_F(ComboBoxTest, ClickOnAnAnchorFiresTheEventAndKeepsTheListClosed)
{
    form->Show();
    combo->Items()->Add("<A href=\"file://C:/windows/notepad.exe\">open</A>");
    combo->SetItemIndex(0);
    AnchorLog log;
    combo->OnAnchorClick = TComboAnchorClick(&log, &AnchorLog::Click);
    combo->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 6));
    EXPECT_EQ(log.clicks, std::vector<std::string>{"file://C:/windows/notepad.exe"});
    EXPECT_FALSE(combo->DroppedDown());
}

TEST_F(ComboBoxTest, DisablingAFlatComboShowsItsParentsColour)
{
    combo->SetColor(0x00FF00);
    combo->SetFlat(true);
    combo->SetEnabled(false);
    EXPECT_EQ(combo->Color(), 0x123456u);
    combo->SetEnabled(true);
    EXPECT_EQ(combo->Color(), 0x00FF00u);
}

TEST_F(ComboBoxTest, DeviceNameWithMarkupCharactersShowsLiterally)
{
    const std::string name = "PIC<IMG src=\"FILE://C:/x.bmp\"> & <B>";
    const std::string item = app::CenteredComboItem(name);
    EXPECT_EQ(
        item,
        "<P align=\"center\">PIC&lt;IMG src=&quot;FILE://C:/x.bmp&quot;&gt; &amp; &lt;B&gt;</P>");
    combo->Items()->Add(item);
    EXPECT_EQ(combo->GetItemPlainText(0).find("PIC<IMG src=\"FILE://C:/x.bmp\">"), 0u);
}
