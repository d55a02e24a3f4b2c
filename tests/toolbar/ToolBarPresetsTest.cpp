// The toolbar family's portable parts: the control list with tested indexes, the change-kind
// table, the style presets as data (every value of the two complete blocks, the telling colours
// of every style, which blocks write what), the XP colour-scheme rules and SwapRedBlue.
#include "PresetExpectations.h"

#include "draw/XPColorScheme.h"
#include "toolbar/DbgList.h"
#include "toolbar/StylerChangeKinds.h"
#include "toolbar/ToolBarStylePresets.h"

#include "core/Exceptions.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace toolbar;
using namespace toolbar_expectations;

namespace {

constexpr uint32_t clHighlight = 0xFF00000D;

// ---- TDbgList ------------------------------------------------------------------------------

TEST(DbgList, ItemAccessTestsTheIndex)
{
    TDbgList list;
    int a = 1, b = 2;
    list.Add(&a);
    list.Add(&b);
    EXPECT_EQ(list.Items(1), &b) << "Count - 1 is the last item";
    struct Case {
        int index;
        const char* message;
    };
    for (const Case& c : {Case{2, "Index out of bounds in list read access"},
                          Case{100, "Index out of bounds in list read access"}}) {
        try {
            list.Items(c.index);
            ADD_FAILURE() << c.index;
        } catch (const classlib::EListError&) {
            ADD_FAILURE() << "the platform's list error instead of the toolbar list's own "
                          << c.index;
        } catch (const classlib::Exception& e) {
            EXPECT_EQ(e.Message(), c.message) << c.index;
        }
    }
    try {
        list.SetItems(2, &a);
        ADD_FAILURE();
    } catch (const classlib::Exception& e) {
        EXPECT_EQ(e.Message(), "Index out of bounds in list write access");
    }
    EXPECT_EQ(list.Count(), 2) << "a refused write leaves the list as it was";
    EXPECT_EQ(list.Items(1), &b);
    list.SetItems(0, &b);
    EXPECT_EQ(list.Items(0), &b);
    EXPECT_THROW(list.Items(-1), classlib::Exception)
        << "a negative index is the platform list's to refuse";
}

// ---- change kinds --------------------------------------------------------------------------

TEST(StylerChangeKinds, TheNumbersAreWhatTheControlsReceive)
{
    EXPECT_EQ(ckBackground, 1);
    EXPECT_EQ(ckAppearance, 2);
    EXPECT_EQ(ckContainer, 4);
    EXPECT_EQ(ckDragGrip, 5);
    EXPECT_EQ(ckMenuStyler, 6);
    EXPECT_EQ(ckGlowButtons, 7);
    EXPECT_EQ(ckPager, 10);
    EXPECT_EQ(ckPagerCaption, 11);
    EXPECT_EQ(ckQAT, 12);
}

TEST(StylerChangeKinds, EverySourceSendsItsKind)
{
    // 0 stands for "sends nothing".
    const std::map<std::string, int> expected = {
        {"BackGround", 1},
        {"BackGroundDisplay", 1},
        {"BackGroundTransparent", 1},
        {"Font", 1},
        {"BorderColor", 2},
        {"BorderColorHot", 2},
        {"RightHandleColor", 2},
        {"RightHandleColorTo", 2},
        {"RightHandleColorHot", 2},
        {"RightHandleColorHotTo", 2},
        {"RightHandleColorDown", 2},
        {"RightHandleColorDownTo", 2},
        {"RightHandleImage", 2},
        {"FloatingWindowBorderColor", 2},
        {"FloatingWindowBorderWidth", 2},
        {"CaptionFont", 2},
        {"Color", 2},
        {"DockColor", 2},
        {"CaptionAppearance", 2},
        {"RoundedCorners", 2},
        {"FrameBevel", 2},
        {"ShowFrameBevel", 2},
        {"Style", 2},
        {"ContainerAppearance", 4},
        {"DragGripStyle", 5},
        {"AdvMenuStyler", 6},
        {"GlowButtonAppearance", 7},
        {"CompactGlowButtonAppearance", 7},
        {"TabAppearance", 10},
        {"PageAppearance", 10},
        {"GroupAppearance", 10},
        {"PagerCaption", 11},
        {"QATAppearance", 12},
        {"ButtonAppearance", 0},
        {"ColorHot", 0},
        {"DragGripImage", 0},
        {"SystemFont", 0},
    };
    std::map<std::string, int> table;
    for (const TStylerChangeSource& source : StylerChangeSources)
        table[std::string(source.property)] = source.broadcasts ? source.kind : 0;
    EXPECT_EQ(table, expected);
    static_assert(StylerChangeKindOf("QATAppearance") == ckQAT);
}

// ---- presets -------------------------------------------------------------------------------

TEST(ToolBarPresets, EveryStyleWritesItsTellingColours)
{
    for (const Telling& row : TellingColours)
        for (size_t column = 0; column < row.values.size(); ++column)
            EXPECT_EQ(PresetValue(TellingStyles[column], row.path), row.values[column])
                << row.path << " style " << TellingStyles[column];
    for (const Telling& row : TellingColours)
        EXPECT_EQ(PresetValue(bsOfficeXP, row.path), PresetValue(bsWindowsXP, row.path))
            << row.path;
}

TEST(ToolBarPresets, TheCompleteBlocksHoldEveryValue)
{
    struct BlockCase {
        TToolBarStyle style;
        std::span<const Expected> values;
    };
    for (const BlockCase& block :
         {BlockCase{bsOffice2003Blue, BlueBlock}, BlockCase{bsOffice2007Luna, LunaBlock}})
        for (const Expected& e : block.values)
            EXPECT_EQ(PresetValue(block.style, e.path), e.value)
                << e.path << " style " << block.style;
}

TEST(ToolBarPresets, CustomAndUnknownNumbersWriteNothing)
{
    for (int style : {static_cast<int>(bsCustom), 11, 255, -1}) {
        EXPECT_EQ(PresetColumn(style), -1) << style;
        EXPECT_EQ(PresetValue(style, "Color.Color"), NotWritten) << style;
    }
}

TEST(ToolBarPresets, StyleWideSettings)
{
    const uint32_t N = NotWritten;
    struct Settings {
        TToolBarStyle style;
        uint32_t componentStyle, roundedCorners, dragGripStyle, frameBevel, showFrameBevel,
            borderWidth;
    };
    const Settings table[] = {
        {bsOffice2003Blue, 0, 1, 0, 0, 0, 2},  {bsOffice2003Silver, 1, 1, 0, 0, 0, 2},
        {bsOffice2003Olive, 2, 1, 0, 0, 0, 2}, {bsOffice2003Classic, N, 1, 0, 0, 0, 2},
        {bsOffice2007Luna, 4, 1, 4, 0, 0, 1},  {bsOffice2007Obsidian, 5, 1, 4, 0, 0, 1},
        {bsWindowsXP, 6, 0, 1, 2, 1, 2},       {bsOfficeXP, 6, 0, 1, 2, 1, 2},
        {bsWhidbeyStyle, 7, 1, 0, 0, 0, 2},    {bsOffice2007Silver, 9, 1, 4, 0, 0, 1},
    };
    for (const Settings& s : table) {
        EXPECT_EQ(PresetValue(s.style, "ComponentStyle"), s.componentStyle) << s.style;
        EXPECT_EQ(PresetValue(s.style, "RoundedCorners"), s.roundedCorners) << s.style;
        EXPECT_EQ(PresetValue(s.style, "DragGripStyle"), s.dragGripStyle) << s.style;
        EXPECT_EQ(PresetValue(s.style, "FrameBevel"), s.frameBevel) << s.style;
        EXPECT_EQ(PresetValue(s.style, "ShowFrameBevel"), s.showFrameBevel) << s.style;
        EXPECT_EQ(PresetValue(s.style, "FloatingWindowBorderWidth"), s.borderWidth) << s.style;
        EXPECT_EQ(PresetValue(s.style, "DockColor.Direction"), 0u) << s.style;
        EXPECT_EQ(PresetValue(s.style, "DockColor.Steps"), 128u) << s.style;
        EXPECT_EQ(PresetValue(s.style, "TabAppearance.TextColorDisabled"), 0x808080u) << s.style;
        EXPECT_EQ(PresetValue(s.style, "TabAppearance.BorderColor"), 0x1FFFFFFFu) << s.style;
        EXPECT_EQ(PresetValue(s.style, "TabAppearance.BorderColorDisabled"), 0x1FFFFFFFu)
            << s.style;
        for (const char* text :
             {"ButtonAppearance.CaptionTextColor", "ButtonAppearance.CaptionTextColorHot",
              "ButtonAppearance.CaptionTextColorDown", "ButtonAppearance.CaptionTextColorChecked"})
            EXPECT_EQ(PresetValue(s.style, text), 0u) << text << " style " << s.style;
        EXPECT_EQ(PresetValue(s.style, "TabAppearance.ColorDisabled"), 0xFFFFFFu) << s.style;
        EXPECT_EQ(PresetValue(s.style, "TabAppearance.ColorMirrorDisabledTo"), 0xC0C0C0u)
            << s.style;
    }
}

// Which blocks write the properties that only some of them write.
TEST(ToolBarPresets, PropertiesOnlySomeBlocksWrite)
{
    struct Writers {
        const char* path;
        std::initializer_list<int> styles; // the styles that write it
    };
    const Writers table[] = {
        {"RightHandleColorDown", {0, 3, 4, 5, 6, 7, 9, 10}},
        {"RightHandleColorDownTo", {0, 3, 4, 5, 6, 7, 9, 10}},
        {"CaptionAppearance.CaptionBorderColor", {0, 1, 2, 3, 6, 7, 9, 10}},
        {"ButtonAppearance.BorderDownColor", {0, 1, 2, 3, 4, 5, 7, 9}},
        {"ButtonAppearance.BorderHotColor", {0, 1, 2, 3, 4, 5, 7, 9}},
        {"ButtonAppearance.BorderCheckedColor", {0, 1, 2, 4, 5, 9}},
        {"BorderColor", {0, 4, 5, 9}},
        {"GlowButtonAppearance.ColorHot", {3, 4, 5, 6, 9, 10}},
        {"GlowButtonAppearance.BorderColorChecked", {4, 5, 6, 9, 10}},
        {"CompactGlowButtonAppearance.ColorHot", {4, 9}},
        {"GroupAppearance.TabAppearance.ShadowColor", {4, 5, 6, 10}},
        {"GroupAppearance.PageAppearance.ShadowColor", {4, 5}},
        {"TabAppearance.BackGround.Direction", {5}},
        {"QATWideArc", {5}},
        {"Color.Steps", {0, 1, 2, 3, 6, 7, 10}},
    };
    for (const Writers& w : table)
        for (int style = 0; style <= 10; ++style) {
            const bool writes =
                std::find(w.styles.begin(), w.styles.end(), style) != w.styles.end();
            EXPECT_EQ(PresetValue(style, w.path) != NotWritten, writes)
                << w.path << " style " << style;
        }
}

TEST(ToolBarPresets, TheWindowsXPBlockKeepsItsOwnGlowAndGroupTabValues)
{
    EXPECT_EQ(PresetValue(bsWindowsXP, "GlowButtonAppearance.BorderColorChecked"), 0x000000u);
    EXPECT_EQ(PresetValue(bsWindowsXP, "GlowButtonAppearance.ColorHot"), 0xEFD3C6u);
    EXPECT_EQ(PresetValue(bsWindowsXP, "GlowButtonAppearance.ColorMirrorDownTo"), 0xB59284u);
    EXPECT_EQ(PresetValue(bsWindowsXP, "GlowButtonAppearance.ColorCheckedTo"), 0xB9D8DCu);
    EXPECT_EQ(PresetValue(bsWindowsXP, "GlowButtonAppearance.BorderColorHot"), clHighlight);
    EXPECT_EQ(PresetValue(bsWindowsXP, "GlowButtonAppearance.BorderColorDown"), clHighlight);
    const Expected groupTab[] = {
        {"ShadowColor", 0xA4BCBF},
        {"HighLightColor", 0xFFFABF},
        {"HighLightColorSelected", 0x63CCF8},
        {"HighLightColorSelectedHot", 0xBDFFFF},
        {"HighLightColorDown", 0xFFFBD0},
        {"HighLightColorHot", 0xFDF4ED},
    };
    for (const Expected& e : groupTab)
        EXPECT_EQ(PresetValue(bsWindowsXP, std::string("GroupAppearance.TabAppearance.") + e.path),
                  e.value)
            << e.path;
}

TEST(ToolBarPresets, TheCommonGlowSetIsTheSpecifiedOne)
{
    ASSERT_EQ(CommonGlowButtonSet().size(), std::size(CommonGlowSet));
    for (size_t i = 0; i < std::size(CommonGlowSet); ++i) {
        EXPECT_STREQ(CommonGlowButtonSet()[i].path, CommonGlowSet[i].path);
        EXPECT_EQ(CommonGlowButtonSet()[i].values[0], CommonGlowSet[i].value)
            << CommonGlowSet[i].path;
    }
    for (int style = 0; style <= 10; ++style)
        EXPECT_EQ(TakesCommonGlowButtonSet(style),
                  style == 0 || style == 1 || style == 2 || style == 7)
            << style;
    // The blocks that write the set themselves write the same values.
    for (int style : {3, 4, 5, 9})
        for (const Expected& e : CommonGlowSet)
            EXPECT_EQ(PresetValue(style, e.path), e.value) << e.path << " style " << style;
}

// ---- colour-scheme rules, SwapRedBlue --------------------------------------------------------

TEST(XPColorScheme, NamesMapCaseSensitively)
{
    struct Case {
        const char* name;
        int number;
        TToolBarStyle style;
    };
    const Case cases[] = {
        {"NormalColor", 1, bsOffice2003Blue}, {"HomeStead", 2, bsOffice2003Olive},
        {"Metallic", 3, bsOffice2003Silver},  {"normalcolor", 0, bsOffice2003Classic},
        {"Royale", 0, bsOffice2003Classic},   {"", 0, bsOffice2003Classic},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(draw::XPColorSchemeNumber(c.name), c.number) << c.name;
        EXPECT_EQ(StyleForXPColorScheme(draw::XPColorSchemeNumber(c.name)), c.style) << c.name;
    }
    EXPECT_EQ(StyleForXPColorScheme(-1), bsOffice2003Classic);
    EXPECT_EQ(StyleForXPColorScheme(4), bsOffice2003Classic);
}

TEST(SwapRedBlue, ExchangesTheLowestAndTheThirdByte)
{
    EXPECT_EQ(SwapRedBlue(0x123456), 0x563412u);
    EXPECT_EQ(SwapRedBlue(0xFF00000F), 0xFF0F0000u);
    EXPECT_EQ(SwapRedBlue(SwapRedBlue(0xABCDEF)), 0xABCDEFu);
}

} // namespace
