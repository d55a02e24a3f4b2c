// The toolbar and pager appearance objects: which setters raise the change event (and whether
// an equal value does), what Assign copies and what it leaves, which foreign sources raise the
// assignment error, the tab scroller's limits and the tab groups' notices.
#include "toolbar/AdvPagerAppearance.h"
#include "toolbar/AdvToolBarAppearance.h"

#include "core/Exceptions.h"
#include "windows/Graphics.h"

#include <gtest/gtest.h>

#include <functional>

using namespace classlib;
using namespace toolbar;

namespace {

struct ChangeCounter {
    int count = 0;
    TObject* sender = nullptr;
    void Changed(TObject* s)
    {
        ++count;
        sender = s;
    }
    TNotifyEvent Event() { return TNotifyEvent(this, &ChangeCounter::Changed); }
};

// One setter of an appearance object: whether a new value raises the change event and
// whether setting the same value again does.
template <class A>
struct SetterCase {
    const char* name;
    std::function<void(A&, int)> set; // the argument picks one of two distinct values
    bool newValueNotifies;
    bool equalValueNotifies;
};

template <class A>
void CheckSetters(std::initializer_list<SetterCase<A>> cases)
{
    for (const SetterCase<A>& c : cases) {
        A object;
        ChangeCounter counter;
        object.OnChange = counter.Event();
        c.set(object, 1);
        EXPECT_EQ(counter.count, c.newValueNotifies ? 1 : 0) << c.name;
        if (c.newValueNotifies) {
            EXPECT_EQ(counter.sender, &object) << c.name;
        }
        counter.count = 0;
        c.set(object, 1);
        EXPECT_EQ(counter.count, c.equalValueNotifies ? 1 : 0) << c.name << " with its own value";
    }
}

TColor Pick(int which)
{
    return which ? 0x123456 : 0x654321;
}

TEST(ToolBarAppearance, ButtonAppearanceSetters)
{
    using A = TButtonAppearance;
    CheckSetters<A>({
        {"Color", [](A& a, int w) { a.SetColor(Pick(w)); }, true, false},
        {"ColorCheckedTo", [](A& a, int w) { a.SetColorCheckedTo(Pick(w)); }, true, false},
        {"CaptionTextColorChecked", [](A& a, int w) { a.SetCaptionTextColorChecked(Pick(w)); },
         true, false},
        {"GradientDirection", [](A& a, int) { a.SetGradientDirection(gdHorizontal); }, true, false},
        {"BorderColor", [](A& a, int w) { a.SetBorderColor(Pick(w)); }, true, false},
        {"BorderCheckedColor", [](A& a, int w) { a.SetBorderCheckedColor(Pick(w)); }, true, false},
        {"GradientDirectionHot", [](A& a, int) { a.SetGradientDirectionHot(gdHorizontal); }, false,
         false},
        {"GradientDirectionDown", [](A& a, int) { a.SetGradientDirectionDown(gdHorizontal); },
         false, false},
        {"GradientDirectionChecked", [](A& a, int) { a.SetGradientDirectionChecked(gdHorizontal); },
         false, false},
        {"BorderHotColor", [](A& a, int w) { a.SetBorderHotColor(Pick(w)); }, false, false},
        {"BorderDownColor", [](A& a, int w) { a.SetBorderDownColor(Pick(w)); }, false, false},
        {"CaptionFont",
         [](A& a, int) {
             TFont f;
             a.SetCaptionFont(&f);
         },
         true, true},
        {"SystemFont", [](A& a, int) { a.SetSystemFont(false); }, false, false},
    });
}

TEST(ToolBarAppearance, GradientSettersNotifyEvenForAnEqualValue)
{
    using G = TGradientBackground;
    CheckSetters<G>({
        {"Color", [](G& g, int w) { g.SetColor(Pick(w)); }, true, true},
        {"ColorTo", [](G& g, int w) { g.SetColorTo(Pick(w)); }, true, true},
        {"Direction", [](G& g, int) { g.SetDirection(gdVertical); }, true, true},
        {"Steps", [](G& g, int) { g.SetSteps(0); }, true, true},
    });
    using M = TMirrorGradient;
    CheckSetters<M>({
        {"Color", [](M& m, int w) { m.SetColor(Pick(w)); }, true, false},
        {"ColorMirrorTo", [](M& m, int w) { m.SetColorMirrorTo(Pick(w)); }, true, false},
    });
    // The mirror of a Vista gradient reports to nobody.
    TVistaGradientBackground vista;
    ChangeCounter counter;
    vista.OnChange = counter.Event();
    vista.Mirror()->SetColorMirror(0x010203);
    EXPECT_EQ(counter.count, 0);
    EXPECT_EQ(vista.Mirror()->ColorMirror(), 0x010203u);
}

TEST(ToolBarAppearance, ButtonAppearanceAssign)
{
    TButtonAppearance source, target;
    source.SetColor(1);
    source.SetColorTo(2);
    source.SetColorHot(3);
    source.SetColorHotTo(4);
    source.SetColorDown(5);
    source.SetColorDownTo(6);
    source.SetColorChecked(7);
    source.SetColorCheckedTo(8);
    source.SetCaptionTextColor(9);
    source.SetCaptionTextColorHot(10);
    source.SetCaptionTextColorDown(11);
    source.SetCaptionTextColorChecked(12);
    source.SetGradientDirection(gdHorizontal);
    source.SetBorderColor(13);
    source.SetBorderHotColor(14);
    source.SetBorderDownColor(15);
    source.SetBorderCheckedColor(16);
    source.SetGradientDirectionHot(gdHorizontal);
    source.SetGradientDirectionDown(gdHorizontal);
    source.SetGradientDirectionChecked(gdHorizontal);
    source.CaptionFont()->SetName("Courier New");
    source.SetSystemFont(false);
    const std::string targetFont = target.CaptionFont()->Name();
    ChangeCounter counter;
    target.OnChange = counter.Event();
    target.Assign(&source);
    EXPECT_EQ(counter.count, 0) << "a copy raises no change event";
    const TColor copied[] = {target.Color(),
                             target.ColorTo(),
                             target.ColorHot(),
                             target.ColorHotTo(),
                             target.ColorDown(),
                             target.ColorDownTo(),
                             target.ColorChecked(),
                             target.ColorCheckedTo(),
                             target.CaptionTextColor(),
                             target.CaptionTextColorHot(),
                             target.CaptionTextColorDown(),
                             target.CaptionTextColorChecked()};
    for (TColor i = 0; i < 12; ++i)
        EXPECT_EQ(copied[i], i + 1) << i;
    EXPECT_EQ(target.GradientDirection(), gdHorizontal);
    EXPECT_EQ(target.BorderColor(), 13u);
    EXPECT_EQ(target.BorderHotColor(), 14u);
    EXPECT_EQ(target.BorderDownColor(), 15u);
    EXPECT_EQ(target.BorderCheckedColor(), 16u);
    // Not copied.
    EXPECT_EQ(target.GradientDirectionHot(), gdVertical);
    EXPECT_EQ(target.GradientDirectionDown(), gdVertical);
    EXPECT_EQ(target.GradientDirectionChecked(), gdVertical);
    EXPECT_EQ(target.CaptionFont()->Name(), targetFont);
    EXPECT_TRUE(target.SystemFont());
    // A foreign source is ignored without an error.
    TGradientBackground foreign;
    EXPECT_NO_THROW(target.Assign(&foreign));
    EXPECT_EQ(target.Color(), 1u);
}

// What Assign does with a source of another class, per class.
TEST(ToolBarAppearance, ForeignAssignSources)
{
    TCaptionAppearance foreign;
    struct Case {
        const char* name;
        std::function<void()> assign;
        bool raises;
    };
    TButtonAppearance button;
    TGradientBackground gradient;
    TVistaGradientBackground vista;
    TMirrorGradient mirror;
    TAdvToolBarButtonDrawPosition position;
    TContainerAppearance container;
    TAdvPageCaption pageCaption;
    TTabAppearance tab;
    TATBTabSettings settings;
    TVistaTextBackground text;
    TToolBarAppearance toolBar;
    TGroupAppearance group;
    TQATAppearance qat;
    TCaptionAppearance caption;
    TQATAppearance otherForCaption;
    const Case cases[] = {
        {"TButtonAppearance", [&] { button.Assign(&foreign); }, false},
        {"TGradientBackground", [&] { gradient.Assign(&foreign); }, false},
        {"TVistaGradientBackground", [&] { vista.Assign(&foreign); }, false},
        {"TAdvToolBarButtonDrawPosition", [&] { position.Assign(&foreign); }, false},
        {"TMirrorGradient", [&] { mirror.Assign(&foreign); }, true},
        {"TContainerAppearance", [&] { container.Assign(&foreign); }, true},
        {"TAdvPageCaption", [&] { pageCaption.Assign(&foreign); }, true},
        {"TTabAppearance", [&] { tab.Assign(&foreign); }, true},
        {"TATBTabSettings", [&] { settings.Assign(&foreign); }, true},
        {"TVistaTextBackground", [&] { text.Assign(&foreign); }, true},
        {"TToolBarAppearance", [&] { toolBar.Assign(&foreign); }, true},
        {"TGroupAppearance", [&] { group.Assign(&foreign); }, true},
        {"TQATAppearance", [&] { qat.Assign(&foreign); }, true},
        {"TCaptionAppearance", [&] { caption.Assign(&otherForCaption); }, true},
    };
    for (const Case& c : cases) {
        if (c.raises) {
            EXPECT_THROW(c.assign(), EAssignError) << c.name;
        } else {
            EXPECT_NO_THROW(c.assign()) << c.name;
        }
    }
    // A Vista gradient copies a plain gradient's values and keeps its mirror.
    TGradientBackground plain;
    plain.SetColor(0x111111);
    plain.SetSteps(3);
    vista.Mirror()->SetColor(0x222222);
    vista.Assign(&plain);
    EXPECT_EQ(vista.Color(), 0x111111u);
    EXPECT_EQ(vista.Steps(), 3);
    EXPECT_EQ(vista.Mirror()->Color(), 0x222222u);
}

TEST(ToolBarAppearance, ContainerAssignGoesThroughTheSetters)
{
    TContainerAppearance source, target;
    ChangeCounter counter;
    target.OnChange = counter.Event();
    target.Assign(&source);
    EXPECT_EQ(counter.count, 0) << "equal values raise nothing";
    source.SetLineColor(0x0000FF);
    source.SetLine3D(false);
    target.Assign(&source);
    EXPECT_EQ(counter.count, 2);
    EXPECT_EQ(target.LineColor(), 0x0000FFu);
    EXPECT_FALSE(target.Line3D());
    EXPECT_EQ(TContainerAppearance().LineColor(), clBtnShadow);
}

TEST(PagerAppearance, DirectSettersRaiseNothing)
{
    using T = TTabAppearance;
    CheckSetters<T>({
        {"BorderColor", [](T& t, int w) { t.SetBorderColor(Pick(w)); }, true, false},
        {"ColorMirrorDisabledTo", [](T& t, int w) { t.SetColorMirrorDisabledTo(Pick(w)); }, true,
         false},
        {"GradientMirrorHot", [](T& t, int) { t.SetGradientMirrorHot(draw::ggRadial); }, true,
         false},
        {"TextColorDisabled", [](T& t, int w) { t.SetTextColorDisabled(Pick(w)); }, true, false},
        {"BackGround.Color", [](T& t, int w) { t.BackGround()->SetColor(Pick(w)); }, true, true},
        {"BorderColorHot", [](T& t, int w) { t.SetBorderColorHot(Pick(w)); }, false, false},
        {"ShadowColor", [](T& t, int w) { t.SetShadowColor(Pick(w)); }, false, false},
        {"HighLightColor", [](T& t, int w) { t.SetHighLightColor(Pick(w)); }, false, false},
        {"HighLightColorHot", [](T& t, int w) { t.SetHighLightColorHot(Pick(w)); }, false, false},
        {"HighLightColorSelected", [](T& t, int w) { t.SetHighLightColorSelected(Pick(w)); }, false,
         false},
        {"HighLightColorSelectedHot", [](T& t, int w) { t.SetHighLightColorSelectedHot(Pick(w)); },
         false, false},
        {"HighLightColorDown", [](T& t, int w) { t.SetHighLightColorDown(Pick(w)); }, false, false},
        {"Font",
         [](T& t, int) {
             TFont f;
             t.SetFont(&f);
         },
         false, false},
    });
    using P = TVistaPageBackground;
    CheckSetters<P>({
        {"Color", [](P& p, int w) { p.SetColor(Pick(w)); }, true, false},
        {"ShadowColor", [](P& p, int w) { p.SetShadowColor(Pick(w)); }, false, false},
        {"HighLightColor", [](P& p, int w) { p.SetHighLightColor(Pick(w)); }, false, false},
    });
    using V = TVistaTextBackground;
    CheckSetters<V>({
        {"TextColor", [](V& v, int w) { v.SetTextColor(Pick(w)); }, true, false},
    });
    // Changes inside a tab group's parts reach the group.
    TGroupAppearance group;
    ChangeCounter counter;
    group.OnChange = counter.Event();
    group.TabAppearance()->SetColor(0x010101);
    group.PageAppearance()->SetColor(0x010101);
    group.CaptionAppearance()->SetCaptionColor(0x010101);
    group.ToolBarAppearance()->SetBorderColor(0x010101);
    EXPECT_EQ(counter.count, 4);
    group.ToolBarAppearance()->Color()->SetColor(0x020202);
    EXPECT_EQ(counter.count, 4)
        << "changes inside the toolbar appearance's gradients are not reported";
}

TEST(PagerAppearance, TabAssignRaisesOnlyTheTextColourEvents)
{
    TTabAppearance source, target;
    source.SetBorderColorSelected(0x0A0A0A);
    source.SetColorHot(0x0B0B0B);
    source.SetGradientSelected(draw::ggRadial);
    source.SetShadowColor(0x0C0C0C);
    source.SetHighLightColorDown(0x0D0D0D);
    source.SetTextColorDisabled(0x0E0E0E);
    source.SetTextColor(0x0F0F0F);
    source.BackGround()->SetColor(0x101010);
    source.Font()->SetName("Courier New");
    source.SetSystemFont(false);
    ChangeCounter counter;
    target.OnChange = counter.Event();
    target.Assign(&source);
    EXPECT_EQ(target.BorderColorSelected(), 0x0A0A0Au);
    EXPECT_EQ(target.ColorHot(), 0x0B0B0Bu);
    EXPECT_EQ(target.GradientSelected(), draw::ggRadial);
    EXPECT_EQ(target.ShadowColor(), 0x0C0C0Cu);
    EXPECT_EQ(target.HighLightColorDown(), 0x0D0D0Du);
    EXPECT_EQ(target.TextColorDisabled(), 0x0E0E0Eu);
    EXPECT_EQ(target.TextColor(), 0x0F0F0Fu);
    EXPECT_EQ(target.BackGround()->Color(), 0x101010u);
    EXPECT_EQ(target.Font()->Name(), "Courier New");
    EXPECT_TRUE(target.SystemFont()) << "SystemFont is not copied";
    EXPECT_EQ(counter.count, 1) << "only the changed TextColor raised an event";
}

TEST(PagerAppearance, AssignLeavesWhatItDoesNotCopy)
{
    TGroupAppearance group, groupSource;
    groupSource.ToolBarAppearance()->SetBorderColor(0x111111);
    groupSource.SetColor(0x222222);
    groupSource.TabAppearance()->SetColor(0x333333);
    groupSource.SetSystemFont(false);
    group.Assign(&groupSource);
    EXPECT_EQ(group.Color(), 0x222222u);
    EXPECT_EQ(group.TabAppearance()->Color(), 0x333333u);
    EXPECT_EQ(group.ToolBarAppearance()->BorderColor(), clNone)
        << "the toolbar appearance is not copied";
    EXPECT_TRUE(group.SystemFont());

    TATBTabSettings settings, settingsSource;
    settingsSource.SetSpacing(9);
    settingsSource.SetLeftMargin(7);
    settingsSource.SetEndMargin(5);
    settings.Assign(&settingsSource);
    EXPECT_EQ(settings.LeftMargin(), 7);
    EXPECT_EQ(settings.EndMargin(), 5);
    EXPECT_EQ(settings.Spacing(), 4) << "Spacing is not copied";

    TQATAppearance qat, qatSource;
    qatSource.SetSteps(3);
    qatSource.SetFullSizeColorTo(0x444444);
    ChangeCounter counter;
    qat.OnChange = counter.Event();
    qat.Assign(&qatSource);
    EXPECT_EQ(qat.FullSizeColorTo(), 0x444444u);
    EXPECT_EQ(qat.Steps(), 64) << "Steps is not copied";
    EXPECT_EQ(counter.count, 1) << "FullSizeColorTo goes through its setter";

    TAdvPageCaption caption, captionSource;
    captionSource.SetTrailingIndent(12);
    captionSource.SetHeight(30);
    captionSource.SetCaption("Ribbon");
    caption.Assign(&captionSource);
    EXPECT_EQ(caption.Height(), 30);
    EXPECT_EQ(caption.Caption(), "Ribbon");
    EXPECT_EQ(caption.TrailingIndent(), 0) << "the trailing indent is not copied";
}

TEST(PagerAppearance, NewQuickAccessAppearanceAndScroller)
{
    TQATAppearance qat;
    EXPECT_EQ(qat.FullSizeBorderColor(), 0x000000u);
    EXPECT_EQ(qat.FullSizeColor(), 0xC59F81u);
    EXPECT_EQ(qat.FullSizeColorTo(), 0xE3B28Du);

    TATBTabScroller scroller;
    EXPECT_FALSE(scroller.CanScrollLeft());
    EXPECT_FALSE(scroller.CanScrollRight());
    scroller.SetMaxOffset(10);
    scroller.SetMinOffset(2);
    scroller.SetMaxOffset(1);
    EXPECT_EQ(scroller.MaxOffset(), 10) << "below MinOffset: unchanged";
    scroller.SetMinOffset(11);
    EXPECT_EQ(scroller.MinOffset(), 2) << "above MaxOffset: unchanged";
    scroller.SetScrollOffset(5);
    EXPECT_TRUE(scroller.CanScrollLeft());
    EXPECT_TRUE(scroller.CanScrollRight());
    scroller.SetScrollOffset(50);
    EXPECT_FALSE(scroller.CanScrollRight());
}

TEST(PagerAppearance, TabGroupsTellTheirChanges)
{
    TAdvPageCaption pager; // any persistent stands for the owning pager
    TTabGroups groups(&pager);
    EXPECT_EQ(groups.GetOwner(), &pager);
    TTabGroupItem* item = groups.Add();
    EXPECT_EQ(item->TabIndexStart(), -1);
    EXPECT_EQ(item->TabIndexEnd(), -1);
    EXPECT_EQ(item->ImageIndex(), -1);
    EXPECT_TRUE(item->DefaultAppearance());
    EXPECT_EQ(item->CaptionAlignment(), taLeftJustify);
    ChangeCounter counter;
    groups.OnChange = counter.Event();
    item->SetTabIndexEnd(2);
    item->SetTabIndexEnd(2);
    EXPECT_EQ(counter.count, 1);
    item->GroupAppearance()->SetColor(0x123456);
    EXPECT_EQ(counter.count, 2) << "a change inside the group appearance";
    EXPECT_EQ(counter.sender, &groups);

    TTabGroupItem* copy = groups.Add();
    item->SetCaption("File");
    item->SetDefaultAppearance(false);
    copy->Assign(item);
    EXPECT_EQ(copy->Caption(), "File");
    EXPECT_EQ(copy->TabIndexEnd(), 2);
    EXPECT_TRUE(copy->DefaultAppearance()) << "not copied";
    EXPECT_EQ(copy->GroupAppearance()->Color(), clWhite) << "not copied";
}

} // namespace
