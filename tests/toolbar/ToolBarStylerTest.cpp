// The toolbar stylers: which setter sends which change kind to the registered controls, the
// registered-control list and its free notifications, the menu styler reference, the presets as
// a live styler shows them (a new styler, every style's telling colours, the complete blocks),
// Assign, streaming through a form layout and the theme adaptation on WM_THEMECHANGED.
#include "PresetExpectations.h"
#include "PropertyWalk.h"

#include "toolbar/AdvToolBarStylers.h"

#include "core/ComponentStream.h"
#include "core/Exceptions.h"
#include "core/FormText.h"
#include "core/Streams.h"
#include "core/TypeInfo.h"
#include "windows/Forms.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace classlib;
using namespace toolbar;
using namespace toolbar_expectations;

namespace {

// A control that takes a styler the way dock panels, toolbars and pagers do, and records every
// change kind it is told and the styler it would paint with at that moment.
class TStyledControl : public TCustomControl, public IToolBarStylerClient {
public:
    TStyledControl(TComponent* owner, bool releasedByStyler)
        : TCustomControl(owner),
          releasedByStyler_(releasedByStyler),
          link_(this, new TCustomAdvToolBarStyler(this))
    {
    }

    void ToolBarStylerChanged(int kind) override
    {
        kinds.push_back(kind);
        paintedWith.push_back(link_.Current());
    }
    TCustomAdvToolBarStyler* ToolBarStyler() const override { return link_.External(); }
    void SetToolBarStyler(TCustomAdvToolBarStyler* styler) override
    {
        if (!styler)
            ++handedNoStyler;
        if (link_.SetExternal(styler))
            paintedWith.push_back(link_.Current());
    }
    bool ReleasedByStyler() const override { return releasedByStyler_; }
    TCustomAdvToolBarStyler* Internal() const { return link_.Internal(); }
    TCustomAdvToolBarStyler* Current() const { return link_.Current(); }

    std::vector<int> kinds;
    std::vector<TCustomAdvToolBarStyler*> paintedWith;
    int handedNoStyler = 0;

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TCustomControl::Notification(component, operation);
        if (link_.StylerRemoved(component, operation))
            paintedWith.push_back(link_.Current());
    }

private:
    bool releasedByStyler_;
    TToolBarStylerLink link_;
};

TObject* ObjectAt(TObject* object, const std::string& path)
{
    size_t from = 0;
    for (size_t dot = path.find('.'); dot != std::string::npos; dot = path.find('.', from)) {
        object = GetObjectProp(object, path.substr(from, dot - from));
        from = dot + 1;
    }
    return object;
}

// The value at a styler path: a published property, or one of the preset-only settings.
uint32_t ValueAt(TAdvToolBarOfficeStyler* styler, const std::string& path)
{
    const std::map<std::string, std::function<uint32_t()>> presetOnly = {
        {"ComponentStyle", [&] { return styler->ComponentStyle(); }},
        {"RoundedCorners", [&] { return static_cast<uint32_t>(styler->RoundedCorners()); }},
        {"FrameBevel", [&] { return static_cast<uint32_t>(styler->FrameBevel()); }},
        {"ShowFrameBevel", [&] { return static_cast<uint32_t>(styler->ShowFrameBevel()); }},
        {"QATWideArc", [&] { return static_cast<uint32_t>(styler->QATWideArc()); }},
    };
    if (auto found = presetOnly.find(path); found != presetOnly.end())
        return found->second();
    const size_t dot = path.rfind('.');
    TObject* object = ObjectAt(styler, path);
    return static_cast<uint32_t>(
        GetOrdProp(object, dot == std::string::npos ? path : path.substr(dot + 1)));
}

class ToolBarStylerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        styler = new TAdvToolBarOfficeStyler(nullptr);
        control = new TStyledControl(nullptr, true);
        control->SetToolBarStyler(styler);
        control->kinds.clear();
    }
    void TearDown() override
    {
        control->Free();
        styler->Free();
    }
    TAdvToolBarOfficeStyler* styler = nullptr;
    TStyledControl* control = nullptr;
};

// ---- change kinds ----------------------------------------------------------------------------

TEST_F(ToolBarStylerTest, EverySetterSendsItsKind)
{
    using S = TAdvToolBarOfficeStyler;
    TBitmap bitmap;
    TFont font;
    struct Case {
        const char* name;
        std::function<void(S*)> set;
        std::vector<int> kinds;
    };
    const std::vector<Case> cases = {
        {"BackGround (equal contents)", [&](S* s) { s->SetBackGround(&bitmap); }, {1}},
        {"BackGroundTransparent", [](S* s) { s->SetBackGroundTransparent(false); }, {1}},
        {"BackGroundTransparent unchanged", [](S* s) { s->SetBackGroundTransparent(false); }, {}},
        {"BackGroundDisplay", [](S* s) { s->SetBackGroundDisplay(bdStretch); }, {1}},
        {"Font (equal contents)", [](S* s) { s->SetFont(s->Font()); }, {1}},
        {"BorderColor", [](S* s) { s->SetBorderColor(0x010203); }, {2}},
        {"BorderColor unchanged", [](S* s) { s->SetBorderColor(0x010203); }, {}},
        {"BorderColorHot", [](S* s) { s->SetBorderColorHot(0x010203); }, {2}},
        {"RightHandleColor", [](S* s) { s->SetRightHandleColor(0x010203); }, {2}},
        {"RightHandleColorTo", [](S* s) { s->SetRightHandleColorTo(0x010203); }, {2}},
        {"RightHandleColorHot", [](S* s) { s->SetRightHandleColorHot(0x010203); }, {2}},
        {"RightHandleColorHotTo", [](S* s) { s->SetRightHandleColorHotTo(0x010203); }, {2}},
        {"RightHandleColorDown", [](S* s) { s->SetRightHandleColorDown(0x010203); }, {2}},
        {"RightHandleColorDownTo", [](S* s) { s->SetRightHandleColorDownTo(0x010203); }, {2}},
        {"RightHandleColorDownTo unchanged",
         [](S* s) { s->SetRightHandleColorDownTo(0x010203); },
         {}},
        {"RightHandleImage (equal contents)", [&](S* s) { s->SetRightHandleImage(&bitmap); }, {2}},
        {"FloatingWindowBorderColor", [](S* s) { s->SetFloatingWindowBorderColor(0x010203); }, {2}},
        {"FloatingWindowBorderWidth", [](S* s) { s->SetFloatingWindowBorderWidth(5); }, {2}},
        {"CaptionFont (equal contents)", [](S* s) { s->SetCaptionFont(s->CaptionFont()); }, {2}},
        {"inside Color", [](S* s) { s->Color()->SetColorTo(0x010203); }, {2}},
        {"inside Color, its steps", [](S* s) { s->Color()->SetSteps(0); }, {2}},
        {"inside the mirror of Color",
         [](S* s) { s->Color()->Mirror()->SetColorMirror(0x010203); },
         {}},
        {"inside ColorHot", [](S* s) { s->ColorHot()->SetColor(0x010203); }, {}},
        {"inside DockColor", [](S* s) { s->DockColor()->SetColor(0x010203); }, {2}},
        {"inside CaptionAppearance",
         [](S* s) { s->CaptionAppearance()->SetCaptionColor(0x010203); },
         {2}},
        {"RoundedCorners (unchanged, still sent)",
         [](S* s) { s->SetRoundedCorners(s->RoundedCorners()); },
         {2}},
        {"FrameBevel", [](S* s) { s->SetFrameBevel(1); }, {2}},
        {"FrameBevel unchanged", [](S* s) { s->SetFrameBevel(1); }, {}},
        {"ShowFrameBevel", [](S* s) { s->SetShowFrameBevel(true); }, {2}},
        {"inside ContainerAppearance",
         [](S* s) { s->ContainerAppearance()->SetLine3D(false); },
         {4}},
        {"DragGripStyle", [](S* s) { s->SetDragGripStyle(dsFlatDots); }, {5}},
        {"DragGripStyle unchanged", [](S* s) { s->SetDragGripStyle(dsFlatDots); }, {}},
        {"DragGripImage", [&](S* s) { s->SetDragGripImage(&bitmap); }, {}},
        {"AdvMenuStyler none", [](S* s) { s->SetAdvMenuStyler(nullptr); }, {6}},
        {"inside GlowButtonAppearance",
         [](S* s) { s->GlowButtonAppearance()->SetColor(0x010203); },
         {7}},
        {"inside CompactGlowButtonAppearance",
         [](S* s) { s->CompactGlowButtonAppearance()->SetColor(0x010203); },
         {7}},
        {"inside TabAppearance", [](S* s) { s->TabAppearance()->SetColor(0x010203); }, {10}},
        {"inside the tab background",
         [](S* s) { s->TabAppearance()->BackGround()->SetColor(0x010203); },
         {10}},
        {"inside PageAppearance", [](S* s) { s->PageAppearance()->SetColor(0x010203); }, {10}},
        {"inside GroupAppearance", [](S* s) { s->GroupAppearance()->SetColor(0x010203); }, {10}},
        {"inside the group's tabs",
         [](S* s) { s->GroupAppearance()->TabAppearance()->SetColor(0x010203); },
         {10}},
        {"inside PagerCaption", [](S* s) { s->PagerCaption()->SetTextColor(0x010203); }, {11}},
        {"inside QATAppearance", [](S* s) { s->QATAppearance()->SetColor(0x010203); }, {12}},
        {"inside ButtonAppearance", [](S* s) { s->ButtonAppearance()->SetColor(0x010203); }, {}},
        {"ButtonAppearance copied",
         [](S* s) { s->SetButtonAppearance(s->ButtonAppearance()); },
         {}},
        {"SystemFont", [](S* s) { s->SetSystemFont(false); }, {}},
        {"Style bsCustom", [](S* s) { s->SetStyle(bsCustom); }, {2}},
        {"Style unchanged", [](S* s) { s->SetStyle(bsCustom); }, {}},
    };
    for (const Case& c : cases) {
        control->kinds.clear();
        c.set(styler);
        EXPECT_EQ(control->kinds, c.kinds) << c.name;
    }
}

// ---- the registered-control list -------------------------------------------------------------

TEST_F(ToolBarStylerTest, RegistrationIsOnceAndRemovalComplete)
{
    EXPECT_EQ(styler->ControlCount(), 1);
    // A control that binds again is listed once, and one removal takes it off.
    styler->AddControl(control);
    styler->AddControl(control);
    EXPECT_EQ(styler->ControlCount(), 1);
    styler->NotifyControls(ckAppearance);
    EXPECT_EQ(control->kinds, std::vector<int>{2}) << "told once";
    styler->RemoveControl(control);
    EXPECT_EQ(styler->ControlCount(), 0);
    styler->RemoveControl(control);
    styler->AddControl(nullptr);
    EXPECT_EQ(styler->ControlCount(), 0);
}

TEST_F(ToolBarStylerTest, AFreedControlLeavesTheList)
{
    auto* other = new TStyledControl(nullptr, false);
    other->SetToolBarStyler(styler);
    styler->AddControl(other); // bound again
    EXPECT_EQ(styler->ControlCount(), 2);
    other->Free();
    EXPECT_EQ(styler->ControlCount(), 1);
    EXPECT_EQ(styler->Controls(0), control);
    styler->NotifyControls(ckQAT);
    EXPECT_EQ(control->kinds, std::vector<int>{12});
}

TEST_F(ToolBarStylerTest, ControlsThatAreNotStyledControlsAreSkipped)
{
    auto* plain = new TCustomControl(nullptr);
    auto* notCustom = new TControl(nullptr);
    styler->AddControl(plain);
    styler->AddControl(notCustom);
    styler->NotifyControls(ckDragGrip);
    EXPECT_EQ(control->kinds, std::vector<int>{5});
    plain->Free();
    notCustom->Free();
    EXPECT_EQ(styler->ControlCount(), 1);
}

TEST_F(ToolBarStylerTest, TheMenuStylerReference)
{
    EXPECT_EQ(styler->CurrentMenuStyler(), styler->InternalMenuStyler());
    EXPECT_EQ(styler->InternalMenuStyler()->Name(), "InternalMenuStyler");
    auto* menuStyler = new menus::TAdvMenuStyler(nullptr);
    styler->SetAdvMenuStyler(menuStyler);
    EXPECT_EQ(styler->CurrentMenuStyler(), menuStyler);
    control->kinds.clear();
    menuStyler->Free();
    EXPECT_EQ(styler->AdvMenuStyler(), nullptr);
    EXPECT_EQ(styler->CurrentMenuStyler(), styler->InternalMenuStyler());
    EXPECT_EQ(control->kinds, std::vector<int>{6});
}

// A styler that several controls share: freed, it leaves each on its own internal styler, and
// nothing paints with it afterwards.
TEST(ToolBarStylerSharing, FreeingASharedStylerLeavesEveryControlOnItsInternalStyler)
{
    for (bool sameOwner : {true, false}) {
        auto* form = new TForm(nullptr);
        auto* styler = new TAdvToolBarOfficeStyler(sameOwner ? form : nullptr);
        // Two toolbars (they drop the styler through their free notification), a dock panel
        // and a pager (the styler hands them no styler while it is being freed).
        std::vector<TStyledControl*> controls = {
            new TStyledControl(form, false), new TStyledControl(form, false),
            new TStyledControl(form, true), new TStyledControl(form, true)};
        for (TStyledControl* c : controls) {
            c->SetToolBarStyler(styler);
            EXPECT_EQ(c->Current(), styler);
        }
        EXPECT_EQ(styler->ControlCount(), 4);
        styler->Free();
        for (size_t i = 0; i < controls.size(); ++i) {
            TStyledControl* c = controls[i];
            EXPECT_EQ(c->ToolBarStyler(), nullptr) << i << " same owner " << sameOwner;
            EXPECT_EQ(c->Current(), c->Internal()) << i;
            EXPECT_EQ(c->handedNoStyler, c->ReleasedByStyler() ? 1 : 0) << i;
            ASSERT_FALSE(c->paintedWith.empty()) << i;
            EXPECT_EQ(c->paintedWith.back(), c->Internal()) << i;
            c->kinds.clear();
            c->paintedWith.clear();
            c->Internal()->NotifyControls(ckAppearance);
            EXPECT_EQ(c->kinds, std::vector<int>{2}) << i;
            EXPECT_EQ(c->paintedWith, std::vector<TCustomAdvToolBarStyler*>{c->Internal()}) << i;
        }
        form->Free();
    }
}

// An owner frees its components one by one: a registered control that goes before the styler
// leaves the list even though the styler is already marked as being destroyed.
TEST(ToolBarStylerSharing, AControlFreedWhileTheStylerIsBeingDestroyedLeavesTheList)
{
    auto* form = new TForm(nullptr);
    auto* styler = new TAdvToolBarOfficeStyler(form);
    auto* dock = new TStyledControl(form, true);
    auto* toolBar = new TStyledControl(form, false);
    dock->SetToolBarStyler(styler);
    toolBar->SetToolBarStyler(styler);
    static_cast<TComponent*>(form)->Destroying();
    toolBar->Free();
    dock->Free();
    EXPECT_EQ(styler->ControlCount(), 0);
    form->Free();
}

TEST(ToolBarStylerSharing, AControlKeepsItsInternalStylerListed)
{
    auto* control = new TStyledControl(nullptr, false);
    EXPECT_EQ(control->Internal()->Name(), "InternalStyler");
    EXPECT_TRUE(
        static_cast<TComponent*>(control->Internal())->ComponentStyle().Contains(csSubComponent));
    EXPECT_EQ(control->Internal()->ControlCount(), 1);
    auto* styler = new TAdvToolBarOfficeStyler(nullptr);
    control->SetToolBarStyler(styler);
    control->SetToolBarStyler(styler);
    EXPECT_EQ(styler->ControlCount(), 1);
    EXPECT_EQ(control->Internal()->ControlCount(), 1) << "never removed from its internal styler";
    control->SetToolBarStyler(nullptr);
    EXPECT_EQ(styler->ControlCount(), 0);
    EXPECT_EQ(control->Current(), control->Internal());
    styler->Free();
    control->Free();
}

// ---- presets on a live styler ----------------------------------------------------------------

void ExpectValues(TAdvToolBarOfficeStyler* styler, std::span<const Expected> values,
                  const char* what)
{
    for (const Expected& e : values)
        EXPECT_EQ(ValueAt(styler, e.path), e.value) << what << ": " << e.path;
}

TEST_F(ToolBarStylerTest, ANewStylerCarriesTheBlueBlockOverTheWindowsXPBlock)
{
    EXPECT_EQ(styler->Style(), bsOffice2003Blue);
    ExpectValues(styler, BlueBlock, "blue block");
    ExpectValues(styler, CommonGlowSet, "common glow set");
    // The compact glow buttons copied the glow buttons.
    for (const Expected& e : CommonGlowSet)
        EXPECT_EQ(ValueAt(styler, std::string("Compact") + e.path), e.value) << e.path;
    // What only the Windows XP block writes stays.
    const Expected xpOnly[] = {
        {"GlowButtonAppearance.BorderColorChecked", 0x000000},
        {"CompactGlowButtonAppearance.BorderColorChecked", 0x000000},
        {"GroupAppearance.TabAppearance.ShadowColor", 0xA4BCBF},
        {"GroupAppearance.TabAppearance.HighLightColor", 0xFFFABF},
        {"GroupAppearance.TabAppearance.HighLightColorSelected", 0x63CCF8},
        {"GroupAppearance.TabAppearance.HighLightColorSelectedHot", 0xBDFFFF},
        {"GroupAppearance.TabAppearance.HighLightColorDown", 0xFFFBD0},
        {"GroupAppearance.TabAppearance.HighLightColorHot", 0xFDF4ED},
    };
    ExpectValues(styler, xpOnly, "left by the Windows XP block");
    // Neither block writes these: initial values.
    EXPECT_EQ(styler->ColorHot()->Steps(), 64);
    EXPECT_EQ(styler->ContainerAppearance()->LineColor(), clBtnShadow);
    EXPECT_EQ(styler->BackGroundDisplay(), bdTile);
}

TEST_F(ToolBarStylerTest, TheLunaBlock)
{
    styler->SetStyle(bsOffice2007Luna);
    ExpectValues(styler, LunaBlock, "luna block");
}

TEST_F(ToolBarStylerTest, EveryStyleShowsItsTellingColours)
{
    for (size_t column = 0; column < std::size(TellingStyles); ++column) {
        const int style = TellingStyles[column];
        styler->ApplyStyle(static_cast<uint8_t>(style));
        EXPECT_EQ(styler->Style(), style);
        for (const Telling& row : TellingColours)
            EXPECT_EQ(ValueAt(styler, row.path), row.values[column])
                << row.path << " style " << style;
    }
}

TEST_F(ToolBarStylerTest, StyleWideSettingsAndTheTwoWindowsXPStyles)
{
    struct Settings {
        TToolBarStyle style;
        int componentStyle;
        bool roundedCorners;
        TDragGripStyle grip;
        int frameBevel;
        bool showFrameBevel;
        int borderWidth;
    };
    const Settings table[] = {
        {bsOffice2003Blue, 0, true, dsDots, 0, false, 2},
        {bsOffice2003Silver, 1, true, dsDots, 0, false, 2},
        {bsOffice2003Olive, 2, true, dsDots, 0, false, 2},
        {bsOffice2003Classic, 8, true, dsDots, 0, false, 2},
        {bsOffice2007Luna, 4, true, dsNone, 0, false, 1},
        {bsOffice2007Obsidian, 5, true, dsNone, 0, false, 1},
        {bsWindowsXP, 6, false, dsSingleLine, 2, true, 2},
        {bsOfficeXP, 6, false, dsSingleLine, 2, true, 2},
        {bsWhidbeyStyle, 7, true, dsDots, 0, false, 2},
        {bsOffice2007Silver, 9, true, dsNone, 0, false, 1},
    };
    for (const Settings& s : table) {
        styler->SetStyle(s.style);
        EXPECT_EQ(styler->ComponentStyle(), s.componentStyle) << s.style;
        EXPECT_EQ(styler->RoundedCorners(), s.roundedCorners) << s.style;
        EXPECT_EQ(styler->DragGripStyle(), s.grip) << s.style;
        EXPECT_EQ(styler->FrameBevel(), s.frameBevel) << s.style;
        EXPECT_EQ(styler->ShowFrameBevel(), s.showFrameBevel) << s.style;
        EXPECT_EQ(styler->FloatingWindowBorderWidth(), s.borderWidth) << s.style;
        EXPECT_EQ(styler->QATWideArc(), s.style == bsOffice2007Obsidian) << s.style;
    }
    // bsWindowsXP and bsOfficeXP: the same colours, different Style values.
    styler->ApplyStyle(6);
    std::map<std::string, uint32_t> xp;
    for (const Telling& row : TellingColours)
        xp[row.path] = ValueAt(styler, row.path);
    styler->ApplyStyle(10);
    EXPECT_EQ(styler->Style(), bsOfficeXP);
    EXPECT_EQ(styler->ComponentStyle(), 6);
    for (const Telling& row : TellingColours)
        EXPECT_EQ(ValueAt(styler, row.path), xp[row.path]) << row.path;
}

TEST_F(ToolBarStylerTest, StyleChangesRunOnlyForANewStyle)
{
    control->kinds.clear();
    styler->SetStyle(bsOffice2003Blue);
    EXPECT_TRUE(control->kinds.empty()) << "the current style again changes nothing";
    styler->Color()->SetColor(0x010203);
    styler->SetStyle(bsOffice2003Silver);
    styler->SetStyle(bsOffice2003Blue);
    EXPECT_EQ(styler->Color()->Color(), 0xFDEADAu)
        << "switching away and back writes the block again";
    ASSERT_FALSE(control->kinds.empty());
    EXPECT_EQ(control->kinds.back(), ckAppearance);

    // Blue to silver keeps blue's right-hand down colours (silver does not write them).
    styler->SetStyle(bsOffice2003Silver);
    EXPECT_EQ(styler->RightHandleColorDown(), 0x087FE8u);
    EXPECT_EQ(styler->RightHandleColorDownTo(), 0x7CDAF7u);

    // A number that names no style is ignored.
    styler->ApplyStyle(11);
    styler->ApplyStyle(200);
    EXPECT_EQ(styler->Style(), bsOffice2003Silver);
}

using Snapshot = testsupport::PropertySnapshot;

void Walk(TObject* object, const std::string& path, Snapshot& out, bool mutate)
{
    testsupport::WalkProperties(object, path, out, mutate);
}

TEST_F(ToolBarStylerTest, CustomChangesNoColourButResetsTheStyleWideState)
{
    styler->SetStyle(bsOffice2007Obsidian);
    EXPECT_TRUE(styler->QATWideArc());
    styler->Font()->SetName("Courier New");
    styler->TabAppearance()->Font()->SetName("Courier New");
    styler->PagerCaption()->Font()->SetName("Courier New");
    styler->PagerCaption()->SetSystemFont(false);
    Snapshot before;
    Walk(styler, "", before, false);
    control->kinds.clear();
    styler->SetStyle(bsCustom);
    Snapshot after;
    Walk(styler, "", after, false);
    for (const auto& [name, value] : before)
        if (name.find("Font.Name") == std::string::npos && name != "Style") {
            EXPECT_EQ(after[name], value) << name;
        }
    EXPECT_EQ(styler->ComponentStyle(), 8);
    EXPECT_FALSE(styler->QATWideArc());
    EXPECT_EQ(styler->Font()->Name(), SystemFontName());
    EXPECT_EQ(styler->TabAppearance()->Font()->Name(), SystemFontName());
    EXPECT_EQ(styler->PagerCaption()->Font()->Name(), "Courier New") << "its own SystemFont is off";
    EXPECT_EQ(control->kinds, std::vector<int>{2});
}

// ---- Assign --------------------------------------------------------------------------------

TEST_F(ToolBarStylerTest, AssignCopiesTheToolbarLookOnly)
{
    auto* source = new TAdvToolBarOfficeStyler(nullptr);
    source->SetStyle(bsOffice2007Obsidian);
    source->SetBackGroundTransparent(false);
    source->SetBackGroundDisplay(bdCenter);
    source->SetFloatingWindowBorderWidth(7);
    source->Font()->SetName("Courier New");
    source->CaptionFont()->SetName("Courier New");
    source->ButtonAppearance()->SetGradientDirectionHot(gdHorizontal);
    source->SetRoundedCorners(false);
    source->SetSystemFont(false);
    auto* menuStyler = new menus::TAdvMenuStyler(nullptr);
    menuStyler->SetMenuBorderColor(0x0A0B0C);
    menuStyler->Font()->SetName("Courier New");
    source->SetAdvMenuStyler(menuStyler);

    const std::string captionFont = styler->CaptionFont()->Name();
    struct Copied {
        const char* path;
        bool copied;
    };
    const Copied table[] = {
        {"Color.Color", true},
        {"Color.Mirror.ColorMirror", true},
        {"DockColor.Color", true},
        {"BackGroundTransparent", true},
        {"BackGroundDisplay", true},
        {"DragGripStyle", true},
        {"FloatingWindowBorderColor", true},
        {"FloatingWindowBorderWidth", true},
        {"CaptionAppearance.CaptionColor", true},
        {"ButtonAppearance.Color", true},
        {"ButtonAppearance.BorderHotColor", true},
        {"RightHandleColor", false},
        {"RightHandleColorDownTo", false},
        {"BorderColor", false},
        {"BorderColorHot", false},
        {"ColorHot.Mirror.Color", false},
        {"ContainerAppearance.LineColor", false},
        {"GlowButtonAppearance.Color", false},
        {"CompactGlowButtonAppearance.ColorTo", false},
        {"PagerCaption.Color", false},
        {"TabAppearance.BackGround.Color", false},
        {"PageAppearance.Color", false},
        {"GroupAppearance.Color", false},
        {"QATAppearance.Color", false},
    };
    // The source differs from the target everywhere the table looks.
    std::map<std::string, uint32_t> before;
    for (const Copied& c : table) {
        before[c.path] = ValueAt(styler, c.path);
        if (ValueAt(source, c.path) == before[c.path]) {
            const std::string path = c.path;
            const size_t dot = path.rfind('.');
            SetOrdProp(ObjectAt(source, path),
                       dot == std::string::npos ? path : path.substr(dot + 1),
                       c.path == std::string("FloatingWindowBorderWidth") ? 9 : 0x0F0E0D);
        }
        ASSERT_NE(ValueAt(source, c.path), before[c.path]) << c.path;
    }
    styler->Assign(source);
    for (const Copied& c : table)
        EXPECT_EQ(ValueAt(styler, c.path), c.copied ? ValueAt(source, c.path) : before[c.path])
            << c.path;
    EXPECT_EQ(styler->Style(), bsOffice2003Blue);
    EXPECT_TRUE(styler->SystemFont());
    EXPECT_EQ(styler->Font()->Name(), "Courier New");
    EXPECT_EQ(styler->CaptionFont()->Name(), captionFont) << "CaptionFont is not copied";
    EXPECT_EQ(styler->ButtonAppearance()->GradientDirectionHot(), gdVertical);
    EXPECT_TRUE(styler->RoundedCorners()) << "unpublished state is not copied";
    EXPECT_EQ(styler->ComponentStyle(), 0);
    // The menu look went into this styler's current (internal) menu styler.
    EXPECT_EQ(styler->AdvMenuStyler(), nullptr);
    EXPECT_EQ(styler->CurrentMenuStyler()->Font()->Name(), "Courier New");

    TButtonAppearance foreign;
    EXPECT_THROW(styler->Assign(&foreign), EAssignError);
    source->Free();
    menuStyler->Free();
}

// ---- streaming -----------------------------------------------------------------------------

TEST(ToolBarStylerStreaming, AStylerStreamsThroughAFormLayoutAndBack)
{
    RegisterToolBarStylerClasses();
    auto* styler = new TAdvToolBarOfficeStyler(nullptr);
    styler->SetName("ToolBarStyler1");
    Snapshot changed;
    Walk(styler, "", changed, true);
    // With the theme adaptation on, loading would pick a preset over the stored colours.
    styler->SetAutoThemeAdapt(false);
    changed.clear();
    Walk(styler, "", changed, false);
    ASSERT_GT(changed.size(), 300u);

    auto* copy = new TAdvToolBarOfficeStyler(nullptr);
    testsupport::CopyThroughFormLayout(styler, copy);
    Snapshot read;
    Walk(copy, "", read, false);
    EXPECT_EQ(read.size(), changed.size());
    for (const auto& [name, value] : changed)
        EXPECT_EQ(read[name], value) << name;
    copy->Free();
    styler->Free();
}

TEST(ToolBarStylerStreaming, TheStyleComesFirstAndStoredColoursOverrideIt)
{
    RegisterToolBarStylerClasses();
    const char* layout =
        "object ToolBarStyler1: TAdvToolBarOfficeStyler\n"
        "  Style = bsOffice2007Luna\n"
        "  Color.Color = 1193046\n"
        "  RightHandleColor = clGray\n"
        "end\n";
    auto* styler = new TAdvToolBarOfficeStyler(nullptr);
    testsupport::ReadFormLayout(layout, styler);
    EXPECT_EQ(styler->Style(), bsOffice2007Luna);
    EXPECT_EQ(styler->Color()->Color(), 0x123456u);
    EXPECT_EQ(styler->Color()->ColorTo(), 0xF6E9D9u) << "luna's";
    EXPECT_EQ(styler->RightHandleColor(), clGray);
    // Written back: 0x808080 is the streamed default of RightHandleColor, the initial
    // FloatingWindowBorderColor is always written.
    TMemoryStream out;
    WriteComponentToStream(out, styler);
    const std::string written = ObjectBinaryToText(
        std::string_view(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size())));
    EXPECT_EQ(written.find("  RightHandleColor ="), std::string::npos) << written;
    EXPECT_NE(written.find("FloatingWindowBorderColor"), std::string::npos) << written;
    EXPECT_EQ(written.find("AutoThemeAdapt"), std::string::npos) << written;
    styler->Free();
}

// ---- theme adaptation ------------------------------------------------------------------------

bool IsAutomaticStyle(TToolBarStyle style)
{
    return style == bsOffice2003Blue || style == bsOffice2003Olive || style == bsOffice2003Silver ||
           style == bsOffice2003Classic;
}

TEST(ToolBarStylerTheme, ThemeChangedReappliesAnAutomaticPreset)
{
    auto* form = new TForm(nullptr);
    form->SetBounds(40, 40, 200, 120);
    form->Show();
    auto* styler = new TAdvToolBarOfficeStyler(form);
    ASSERT_EQ(styler->NotifierWindow()->Parent(), form);
    styler->SetStyle(bsCustom);
    styler->Color()->SetColor(0x123456);
    HWND notifier = styler->NotifierWindow()->Handle();
    ASSERT_TRUE(IsWindow(notifier));
    SendMessageA(notifier, WM_THEMECHANGED, 0, 0);
    EXPECT_EQ(styler->Style(), bsCustom) << "AutoThemeAdapt off";
    EXPECT_EQ(styler->Color()->Color(), 0x123456u);

    styler->SetAutoThemeAdapt(true);
    SendMessageA(notifier, WM_THEMECHANGED, 0, 0);
    EXPECT_TRUE(IsAutomaticStyle(styler->Style())) << styler->Style();
    EXPECT_EQ(styler->Color()->Color(), PresetValue(styler->Style(), "Color.Color"));
    form->Free();
}

TEST(ToolBarStylerTheme, TheNotifierWindowReportsTheThemeMessage)
{
    auto* form = new TForm(nullptr);
    auto* window = new TNotifierWindow(form);
    window->SetParent(form);
    struct Receiver {
        TObject* sender = nullptr;
        int count = 0;
        void Changed(TObject* s)
        {
            sender = s;
            ++count;
        }
    } receiver;
    SendMessageA(window->Handle(), WM_THEMECHANGED, 0, 0);
    window->OnThemeChange = TNotifyEvent(&receiver, &Receiver::Changed);
    SendMessageA(window->Handle(), WM_THEMECHANGED, 0, 0);
    SendMessageA(window->Handle(), WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(receiver.count, 1);
    EXPECT_EQ(receiver.sender, window);
    form->Free();
}

TEST(ToolBarStylerTheme, LoadingWithAutoThemeAdaptSelectsTheSchemeStyle)
{
    RegisterToolBarStylerClasses();
    const char* layout =
        "object ToolBarStyler1: TAdvToolBarOfficeStyler\n"
        "  Style = bsCustom\n"
        "  AutoThemeAdapt = True\n"
        "end\n";
    auto* styler = new TAdvToolBarOfficeStyler(nullptr);
    testsupport::ReadFormLayout(layout, styler);
    EXPECT_TRUE(styler->AutoThemeAdapt());
    EXPECT_TRUE(IsAutomaticStyle(styler->Style())) << styler->Style();
    styler->Free();
}

} // namespace
