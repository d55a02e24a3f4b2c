// The status bar's appearance sets and stylers: which setters notify, the ten presets as the
// colour table gives them, the theme rule, the component style interface and the bar list.
#include "panels/AdvOfficeStatusBar.h"
#include "panels/AdvOfficeStatusBarStylers.h"

#include "core/Exceptions.h"
#include "core/TypeInfo.h"
#include "draw/XPColorScheme.h"

#include <gtest/gtest.h>

#include <functional>

using namespace classlib;
using namespace panels;

namespace {

// Counts the OnChange notices of an appearance set.
struct ChangeCounter {
    int count = 0;
    void Changed(TObject*) { ++count; }
};

TEST(VistaBackground, ConstructorValues)
{
    TVistaBackground set;
    EXPECT_EQ(set.BorderColor(), clNone);
    EXPECT_EQ(set.BorderColorHot(), clGray);
    EXPECT_EQ(set.BorderColorDown(), clGray);
    EXPECT_EQ(set.Color(), clWhite);
    EXPECT_EQ(set.ColorMirror(), clSilver);
    EXPECT_EQ(set.ColorMirrorTo(), clWhite);
    EXPECT_EQ(set.Steps(), 64);
    EXPECT_EQ(set.TextColor(), clBlack);
    EXPECT_EQ(set.TextStyle(), TFontStyles{});
}

TEST(VistaBackground, WhichSettersNotify)
{
    using Setter = std::function<void(TVistaBackground&, TColor)>;
    struct SetterCase {
        const char* name;
        Setter set;
        bool notifies;      // a changed value fires OnChange
        bool comparesFirst; // an equal value fires nothing
    };
    const SetterCase cases[] = {
        {"BorderColor", [](TVistaBackground& s, TColor c) { s.SetBorderColor(c); }, true, true},
        {"BorderColorDown", [](TVistaBackground& s, TColor c) { s.SetBorderColorDown(c); }, true,
         true},
        {"Color", [](TVistaBackground& s, TColor c) { s.SetColor(c); }, true, true},
        {"ColorTo", [](TVistaBackground& s, TColor c) { s.SetColorTo(c); }, true, true},
        {"ColorMirrorDownTo", [](TVistaBackground& s, TColor c) { s.SetColorMirrorDownTo(c); },
         true, true},
        {"TextColor", [](TVistaBackground& s, TColor c) { s.SetTextColor(c); }, true, true},
        {"TextColorDown", [](TVistaBackground& s, TColor c) { s.SetTextColorDown(c); }, true, true},
        {"BorderColorHot", [](TVistaBackground& s, TColor c) { s.SetBorderColorHot(c); }, false,
         true},
        {"ColorHot", [](TVistaBackground& s, TColor c) { s.SetColorHot(c); }, false, true},
        {"ColorMirrorHotTo", [](TVistaBackground& s, TColor c) { s.SetColorMirrorHotTo(c); }, false,
         true},
        {"TextColorHot", [](TVistaBackground& s, TColor c) { s.SetTextColorHot(c); }, false, true},
    };
    for (const SetterCase& c : cases) {
        TVistaBackground set;
        ChangeCounter counter;
        set.OnChange = TNotifyEvent(&counter, &ChangeCounter::Changed);
        c.set(set, 0x123456);
        EXPECT_EQ(counter.count, c.notifies ? 1 : 0) << c.name;
        c.set(set, 0x123456);
        EXPECT_EQ(counter.count, c.notifies ? 1 : 0) << c.name << " again";
    }
    TVistaBackground set;
    ChangeCounter counter;
    set.OnChange = TNotifyEvent(&counter, &ChangeCounter::Changed);
    set.SetTextStyle(TFontStyles{});
    set.SetTextStyle(TFontStyles{});
    EXPECT_EQ(counter.count, 2) << "TextStyle always notifies";
}

TEST(VistaBackground, AssignCopiesAllAndNotifiesOnce)
{
    TVistaBackground source, target;
    source.SetColorHot(1);
    source.SetColorMirrorDown(2);
    source.SetTextColorHot(3);
    source.SetSteps(12);
    source.SetTextStyle(TFontStyles{fsBold});
    ChangeCounter counter;
    target.OnChange = TNotifyEvent(&counter, &ChangeCounter::Changed);
    target.Assign(&source);
    EXPECT_EQ(counter.count, 1);
    EXPECT_EQ(target.ColorHot(), 1u);
    EXPECT_EQ(target.ColorMirrorDown(), 2u);
    EXPECT_EQ(target.TextColorHot(), 3u);
    EXPECT_EQ(target.Steps(), 12);
    EXPECT_EQ(target.TextStyle(), TFontStyles{fsBold});
}

// Colours of one appearance set as the preset table lists them.
struct SetColours {
    TColor border, color, colorTo, mirror, mirrorTo, text, textHot, textDown, colorHot, colorDown,
        borderDown;
};
struct PresetCase {
    TOfficeStatusBarStyle style;
    TColor stylerBorder;
    SetColours light, dark;
};

void ExpectSet(const TVistaBackground* s, const SetColours& e, const std::string& what)
{
    EXPECT_EQ(s->BorderColor(), e.border) << what;
    EXPECT_EQ(s->Color(), e.color) << what;
    EXPECT_EQ(s->ColorTo(), e.colorTo) << what;
    EXPECT_EQ(s->ColorMirror(), e.mirror) << what;
    EXPECT_EQ(s->ColorMirrorTo(), e.mirrorTo) << what;
    EXPECT_EQ(s->TextColor(), e.text) << what;
    EXPECT_EQ(s->TextColorHot(), e.textHot) << what;
    EXPECT_EQ(s->TextColorDown(), e.textDown) << what;
    EXPECT_EQ(s->ColorHot(), e.colorHot) << what;
    EXPECT_EQ(s->ColorDown(), e.colorDown) << what;
    EXPECT_EQ(s->BorderColorDown(), e.borderDown) << what;
}

TEST(OfficeStyler, PresetsFromAFreshStyler)
{
    // Each preset applied to a new styler (which holds TOfficeStatusBarStyle::psOffice2003Blue):
    // the values the table lists; text colours marked "-" there keep the Blue preset's black.
    const TColor N = clNone, W = clWhite, B = clBlack;
    const PresetCase cases[] = {
        {TOfficeStatusBarStyle::psOffice2003Blue,
         14986888,
         {14922381, 16440774, 14854530, 14854530, 14854530, B, B, B, 13958143, 9232890, 10240783},
         {N, 13861717, 10240783, 10240783, 10240783, W, W, W, 13958143, 9232890, 10240783}},
        {TOfficeStatusBarStyle::psOffice2003Silver,
         11769496,
         {N, 16249843, 15128792, 15128792, 15128792, B, B, B, 13958143, 9232890, 12032925},
         {N, 15128792, 12032925, 12032925, 12032925, W, W, W, 13958143, 9232890, 12032925}},
        {TOfficeStatusBarStyle::psOffice2003Olive,
         9224369,
         {N, 13627626, 9487285, 9487285, 9487285, B, B, B, 13958143, 9232890, 5080174},
         {N, 8503214, 5080174, 5080174, 5080174, W, W, W, 13958143, 9232890, 5080174}},
        {TOfficeStatusBarStyle::psOffice2003Classic,
         13226453,
         {N, W, 13226453, N, N, B, B, B, 13811126, 14857624, B},
         {N, clGray, clGray, N, N, W, W, W, 13811126, 14857624, B}},
        {TOfficeStatusBarStyle::psOffice2007Luna,
         11566422,
         {N, 16377559, 16309447, 16109747, 16244941, 6365193, B, B, 16515071, 7845111, 4548219},
         {N, 16309445, 16103047, 15382160, 12752244, 6365193, 6365193, 6365193, 16515071, 7845111,
          4548219}},
        {TOfficeStatusBarStyle::psOffice2007Obsidian,
         4276545,
         {N, 4276545, 3158063, 3158063, 5000268, W, W, W, 16515071, 7845111, 4548219},
         {N, 10592158, 6512478, 6512478, 5459275, W, W, W, 16515071, 7845111, 4548219}},
        {TOfficeStatusBarStyle::psWindowsXP,
         12632256,
         {N, clBtnFace, clBtnFace, clBtnFace, clBtnFace, B, B, B, 15717318, 11899524, B},
         {N, W, clBtnFace, clBtnFace, clBtnFace, B, B, B, 15717318, 11899524, B}},
        {TOfficeStatusBarStyle::psWhidbey,
         11059392,
         {N, 16120314, 11059392, N, N, B, B, B, 13958143, 9232890, B},
         {N, 15462127, 8296600, N, N, B, W, W, 13958143, 9232890, B}},
        {TOfficeStatusBarStyle::psOffice2007Silver,
         7760481,
         {N, 15460583, 13089717, 12038314, 13552071, 2762275, B, B, 16515071, 7845111, 4548219},
         {N, 15460583, 13089718, 12235950, 11512741, 2762275, 6365193, 6365193, 16515071, 7845111,
          4548219}},
    };
    for (const PresetCase& c : cases) {
        TAdvOfficeStatusBarOfficeStyler styler(nullptr);
        styler.SetStyle(c.style);
        const std::string name =
            GetEnumName(TypeInfoOf<TOfficeStatusBarStyle>(), static_cast<int64_t>(c.style));
        EXPECT_EQ(styler.Style(), c.style) << name;
        EXPECT_EQ(styler.BorderColor(), c.stylerBorder) << name;
        ExpectSet(styler.PanelAppearanceLight(), c.light, name + " light");
        ExpectSet(styler.PanelAppearanceDark(), c.dark, name + " dark");
    }
}

TEST(OfficeStyler, SwitchingWritesOnlyTheListedValues)
{
    TAdvOfficeStatusBarOfficeStyler styler(nullptr);
    EXPECT_EQ(styler.Style(), TOfficeStatusBarStyle::psOffice2003Blue);
    styler.SetStyle(TOfficeStatusBarStyle::psCustom);
    styler.PanelAppearanceLight()->SetColor(0x010203);
    styler.SetBorderColor(0x040506);
    EXPECT_EQ(styler.PanelAppearanceLight()->Color(), 0x010203u) << "psCustom keeps user colours";
    styler.SetStyle(TOfficeStatusBarStyle::psOffice2003Silver);
    EXPECT_EQ(styler.PanelAppearanceLight()->Color(), 16249843u);
    EXPECT_EQ(styler.PanelAppearanceLight()->TextColorHot(), clBlack)
        << "Silver leaves the Blue text colours";
}

TEST(OfficeStyler, TheCurrentStyleAgainChangesNothing)
{
    TAdvOfficeStatusBarOfficeStyler styler(nullptr);
    styler.PanelAppearanceLight()->SetColor(0x010203);
    ChangeCounter counter;
    styler.PanelAppearanceLight()->OnChange = TNotifyEvent(&counter, &ChangeCounter::Changed);
    styler.SetStyle(TOfficeStatusBarStyle::psOffice2003Blue);
    EXPECT_EQ(counter.count, 0);
    EXPECT_EQ(styler.PanelAppearanceLight()->Color(), 0x010203u);
}

TEST(OfficeStyler, AStyleNumberPastTheLastPresetIsIgnored)
{
    // Mended: a stored number with no preset used to be applied and stored.
    TAdvOfficeStatusBarOfficeStyler styler(nullptr);
    styler.ApplyStyle(6);
    EXPECT_EQ(styler.Style(), TOfficeStatusBarStyle::psWindowsXP);
    const TColor before = styler.PanelAppearanceLight()->Color();
    for (int number : {10, 11, 255, -1}) {
        styler.ApplyStyle(number);
        EXPECT_EQ(styler.Style(), TOfficeStatusBarStyle::psWindowsXP) << number;
        styler.SetStyle(static_cast<TOfficeStatusBarStyle>(number));
        EXPECT_EQ(styler.Style(), TOfficeStatusBarStyle::psWindowsXP) << number;
    }
    EXPECT_EQ(styler.PanelAppearanceLight()->Color(), before);
}

TEST(OfficeStyler, AssignFromAStylerWithoutStyleLeavesNoStaleStyle)
{
    // Mended: the colours come from the source, so the old preset name no longer applies.
    TCustomAdvOfficeStatusBarStyler plain(nullptr);
    plain.SetBorderColor(0x111111);
    plain.PanelAppearanceDark()->SetColor(0x222222);
    plain.SetAutoThemeAdapt(true);
    TAdvOfficeStatusBarOfficeStyler styler(nullptr);
    styler.Assign(&plain);
    EXPECT_EQ(styler.Style(), TOfficeStatusBarStyle::psCustom);
    EXPECT_EQ(styler.BorderColor(), 0x111111u);
    EXPECT_EQ(styler.PanelAppearanceDark()->Color(), 0x222222u);
    EXPECT_TRUE(styler.AutoThemeAdapt());
    // Setting Blue again really writes Blue (a stale TOfficeStatusBarStyle::psOffice2003Blue would
    // have skipped it).
    styler.SetStyle(TOfficeStatusBarStyle::psOffice2003Blue);
    EXPECT_EQ(styler.BorderColor(), 14986888u);

    TAdvOfficeStatusBarOfficeStyler olive(nullptr);
    olive.SetStyle(TOfficeStatusBarStyle::psOffice2003Olive);
    styler.Assign(&olive);
    EXPECT_EQ(styler.Style(), TOfficeStatusBarStyle::psOffice2003Olive);
}

TEST(OfficeStyler, ThemeRuleFollowsTheSchemeOnlyWhenAsked)
{
    // Wine has no XP colour scheme named by the table: the rule gives
    // TOfficeStatusBarStyle::psWindowsXP.
    const int theme = draw::GetXPThemeColorName();
    const TOfficeStatusBarStyle expected = theme == 1   ? TOfficeStatusBarStyle::psOffice2003Blue
                                           : theme == 2 ? TOfficeStatusBarStyle::psOffice2003Olive
                                           : theme == 3 ? TOfficeStatusBarStyle::psOffice2003Silver
                                                        : TOfficeStatusBarStyle::psWindowsXP;
    TAdvOfficeStatusBarOfficeStyler styler(nullptr);
    styler.SetStyle(TOfficeStatusBarStyle::psOffice2007Luna);
    styler.ThemeChanged();
    EXPECT_EQ(styler.Style(), TOfficeStatusBarStyle::psOffice2007Luna) << "AutoThemeAdapt off";
    styler.SetAutoThemeAdapt(true);
    styler.ThemeChanged();
    EXPECT_EQ(styler.Style(), expected);
}

TEST(OfficeStyler, BarListAndFreeNotification)
{
    TCustomAdvOfficeStatusBarStyler styler(nullptr);
    auto* bar = new TAdvOfficeStatusBar(nullptr);
    bar->SetStyler(&styler);
    ASSERT_EQ(styler.ControlCount(), 1);
    EXPECT_EQ(styler.Controls(0), bar);
    try {
        styler.Controls(1);
        ADD_FAILURE() << "no error past the end";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Index out of bounds in list read access");
    }
    bar->Free();
    EXPECT_EQ(styler.ControlCount(), 0);
}

TEST(OfficeStyler, AFreedStylerLeavesTheBarWithItsInternalOne)
{
    auto* styler = new TAdvOfficeStatusBarOfficeStyler(nullptr);
    TAdvOfficeStatusBar bar(nullptr);
    bar.SetStyler(styler);
    EXPECT_EQ(bar.CurrentStyler(), styler);
    styler->Free();
    EXPECT_EQ(bar.Styler(), nullptr);
    EXPECT_EQ(bar.CurrentStyler(), bar.InternalStyler());
}

} // namespace
