// The office menus' parts without a shown menu: the small routines, the appearance objects and
// their copy rules, stylers bound to menus (and the mended binding faults), the components'
// styler bookkeeping and pop-up position, and a styler streamed through a form layout.
#include "core/ComponentStream.h"
#include "core/FormText.h"
#include "core/Streams.h"
#include "core/TypeInfo.h"
#include "menus/AdvMenuUtil.h"
#include "menus/AdvMenuWindows.h"
#include "menus/AdvMenus.h"
#include "windows/Screen.h"

#include "PropertyWalk.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace classlib;
using namespace menus;

namespace {

// A pop-up menu that counts how often it is asked to rebuild (re-measure) its items.
class TCountingPopupMenu : public TAdvPopupMenu {
public:
    explicit TCountingPopupMenu(TComponent* owner) : TAdvPopupMenu(owner) {}
    void UpdateItems() override
    {
        ++updates;
        TAdvPopupMenu::UpdateItems();
    }
    int updates = 0;
};

// ---- routines -------------------------------------------------------------------------------

TEST(MenuUtil, CenterSizeInRectTruncatesTowardZero)
{
    struct Case {
        RECT in;
        int w, h;
        RECT out;
    };
    const Case cases[] = {
        {{0, 0, 11, 11}, 4, 4, {3, 3, 7, 7}},
        // (-11 + 0 + 4) / 2 = -3 (toward zero), not -4.
        {{-11, -11, 0, 0}, 4, 4, {-7, -7, -3, -3}},
        {{10, 20, 30, 40}, 20, 20, {10, 20, 30, 40}},
    };
    for (const Case& c : cases) {
        RECT r = c.in;
        CenterSizeInRect(r, c.w, c.h);
        EXPECT_EQ(r.left, c.out.left);
        EXPECT_EQ(r.top, c.out.top);
        EXPECT_EQ(r.right, c.out.right);
        EXPECT_EQ(r.bottom, c.out.bottom);
    }
}

TEST(MenuUtil, ColourChannelsAndBounds)
{
    int r, g, b;
    SplitRGB(0x00332211, r, g, b);
    EXPECT_EQ(r, 0x11);
    EXPECT_EQ(g, 0x22);
    EXPECT_EQ(b, 0x33);
    SplitRGB(clWindow, r, g, b); // a system colour is resolved first
    EXPECT_EQ(
        PackBytes(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b), 0),
        static_cast<uint32_t>(GetSysColor(COLOR_WINDOW)));
    EXPECT_EQ(PackBytes(1, 2, 3, 4), 0x04030201u);
    const RECT none = BitmapBounds(nullptr);
    EXPECT_TRUE(none.left == 0 && none.top == 0 && none.right == 0 && none.bottom == 0);
    TBitmap bitmap;
    bitmap.SetSize(7, 5);
    const RECT bounds = BitmapBounds(&bitmap);
    EXPECT_EQ(bounds.right, 7);
    EXPECT_EQ(bounds.bottom, 5);
}

TEST(MenuUtil, RotatedFontKeepsWeightAndItalic)
{
    TFont font;
    font.SetName("Tahoma");
    font.SetStyle(TFontStyles{fsBold, fsItalic});
    HFONT rotated = CreateRotatedFont(&font, -90);
    ASSERT_NE(rotated, nullptr);
    LOGFONTA lf{};
    GetObjectA(rotated, sizeof(lf), &lf);
    EXPECT_EQ(lf.lfEscapement, -900);
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_EQ(lf.lfItalic, 1);
    EXPECT_STREQ(lf.lfFaceName, "Tahoma");
    DeleteObject(rotated);
}

TEST(MenuUtil, LayeredWindowRoutinesAreFoundAtStartUp)
{
    AdvMenuUtilInitialize();
    EXPECT_TRUE(LayeredWindowsAvailable);
    EXPECT_NE(SetLayeredWindowAttributesRoutine, nullptr);
    AdvMenuUtilFinalize();
}

TEST(MenuShortCuts, PlatformTextWithWindowsKeyPrefix)
{
    const TShortCut ctrlShiftF5 = static_cast<TShortCut>(scCtrl | scShift | VK_F5);
    EXPECT_EQ(ShortCutText(ctrlShiftF5, false), ShortCutToText(ctrlShiftF5));
    EXPECT_EQ(ShortCutText(static_cast<TShortCut>(ctrlShiftF5 | 0x200), false),
              "Win+" + ShortCutToText(ctrlShiftF5));
}

TEST(MenuShortCuts, InternationalTextUsesTheKeyboardsNames)
{
    // Expected parts come from the platform's own key names.
    const std::string shift = CapitalizeKeyName(KeyNameText(VK_SHIFT));
    const std::string ctrl = CapitalizeKeyName(KeyNameText(VK_CONTROL));
    const std::string key = CapitalizeKeyName(KeyNameText('A'));
    ASSERT_FALSE(key.empty());
    EXPECT_EQ(ShortCutText(static_cast<TShortCut>(scCtrl | scShift | 'A'), true),
              ctrl + "+" + shift + "+" + key);
    EXPECT_EQ(CapitalizeKeyName("NUM LOCK"), "Num lock");
    EXPECT_EQ(CapitalizeKeyName("KEY (x)"), "Key (X)");
}

// ---- appearance objects ---------------------------------------------------------------------

TEST(MenuAppearance, IndexedColoursRefuseUnknownIndexes)
{
    TRootItem root;
    root.SetHoverColor(3, 0x123456);
    EXPECT_EQ(root.GetHoverColor(3), 0x123456u);
    EXPECT_THROW(root.GetHoverColor(4), EInvalidPropertyIndex);
    EXPECT_THROW(root.SetSelectedColor(-1, 0), EInvalidPropertyIndex);
    TIconBar bar;
    EXPECT_THROW(bar.SetColor(2, 0x1), EInvalidPropertyIndex);
    EXPECT_EQ(bar.Color(), 0xFFF9F9u) << "a refused index leaves the values";
    try {
        bar.GetCheckColor(7);
        FAIL();
    } catch (const EInvalidPropertyIndex& e) {
        EXPECT_EQ(e.Message(), "Invalid property index 7.");
    }
}

TEST(MenuAppearance, SettersRefreshTheMenuOnlyWhereTheyShould)
{
    auto* menu = new TCountingPopupMenu(nullptr);
    auto* styler = new TAdvMenuStyler(nullptr);
    menu->SetMenuStyler(styler);
    TIconBar* bar = styler->IconBar();
    struct Case {
        const char* what;
        std::function<void()> change;
        int remeasures;
    };
    const Case cases[] = {
        {"icon bar colour stores only", [&] { bar->SetColor(0, 0x10); }, 0},
        {"icon bar check colour repaints", [&] { bar->SetCheckColor(0, 0x10); }, 0},
        {"icon bar size re-measures", [&] { bar->SetSize(40); }, 1},
        {"notes font re-measures", [&] { styler->SetNotesFont(styler->Font()); }, 1},
        {"border colour is a plain field", [&] { styler->SetMenuBorderColor(0x1); }, 0},
        {"root item hover colour re-measures", [&] { styler->RootItem()->SetHoverColor(0, 0x1); },
         1},
    };
    for (const Case& c : cases) {
        const int before = menu->updates;
        c.change();
        EXPECT_EQ(menu->updates - before, c.remeasures) << c.what;
    }
    bar->SetSize(10);
    EXPECT_EQ(bar->Size(), 16);
    EXPECT_EQ(bar->Color(), 0x10u);
    menu->Free();
    styler->Free();
}

TEST(MenuAppearance, CopyRulesOfTheAppearanceObjects)
{
    TSeparator a, b;
    b.SetWidth(3);
    b.SetMargin(5);
    b.SetColor(0, 0x11);
    b.SetColor(1, 0x22);
    a.Assign(&b);
    EXPECT_EQ(a.Width(), 3);
    EXPECT_EQ(a.Margin(), 5);
    EXPECT_EQ(a.Color(), 0x11u);
    EXPECT_EQ(a.ColorTo(), 0x22u);

    TSideBar s1, s2;
    s2.SetSplitterColor(0x1);
    s2.SetSplitterColorTo(0x2);
    s2.SetSize(40);
    s2.SetCaption("Brenvik");
    s1.Assign(&s2);
    EXPECT_EQ(s1.Size(), 40);
    EXPECT_EQ(s1.Caption(), "Brenvik");
    EXPECT_EQ(s1.SplitterColor(), 0x808080u) << "the splitter colours stay";
    EXPECT_EQ(s1.SplitterColorTo(), clNone);

    TIconBar i1, i2;
    i2.SetColor(0, 0x77);
    i2.SetCheckColor(0, 0x66);
    i1.Assign(&i2);
    EXPECT_EQ(i1.GetCheckColor(0), 0x66u);
    EXPECT_EQ(i1.Color(), 0xFFF9F9u) << "the icon bar's own colours are not copied";

    TButtonAppearance buttons;
    TFont font;
    EXPECT_NO_THROW(buttons.Assign(&font)) << "any other source is ignored";
    TGradientBar bar;
    EXPECT_THROW(bar.Assign(&font), EAssignError);
}

TEST(MenuAppearance, ButtonAppearanceNotifiesChangedValuesOnly)
{
    TButtonAppearance buttons;
    int changes = 0;
    struct Counter : TObject {
        int* n;
        void Changed(TObject*) { ++*n; }
    } counter;
    counter.n = &changes;
    buttons.OnChange = TNotifyEvent(&counter, &Counter::Changed);
    buttons.SetColorAt(2, 0xB59285); // the value it has
    EXPECT_EQ(changes, 0);
    buttons.SetColorAt(2, 0x1);
    buttons.SetGradientDirection(gdHorizontal);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(std::string(buttons.CaptionFont()->Name()), SystemFontName());
}

TEST(MenuAppearance, BackgroundPicturePlacement)
{
    TBackground background;
    int x = 0, y = 0;
    EXPECT_FALSE(background.PicturePosition(RECT{0, 0, 100, 50}, x, y))
        << "no picture, nothing computed";
    TBitmap picture;
    picture.SetSize(10, 6);
    TPicture holder;
    holder.SetGraphic(&picture);
    background.SetImage(&holder);
    background.SetOffsetX(2);
    background.SetOffsetY(3);
    struct Case {
        TBackgroundPosition position;
        int x, y;
    };
    // R = (5, 7, 105, 57): W 100, H 50, picture 10 x 6.
    const Case cases[] = {
        {bpTopLeft, 7, 10},    {bpTopRight, 97, 10},
        {bpBottomLeft, 7, 54}, {bpBottomRight, 97, 54},
        {bpTopCenter, 52, 10}, {bpBottomCenter, 52, 54},
        {bpCenter, 52, 32},    {bpTiled, 5, 7},
        {bpStretched, 5, 7},   {bpXY, 5, 7},
    };
    for (const Case& c : cases) {
        background.SetPosition(c.position);
        ASSERT_TRUE(background.PicturePosition(RECT{5, 7, 105, 57}, x, y));
        EXPECT_EQ(x, c.x) << c.position;
        EXPECT_EQ(y, c.y) << c.position;
    }
}

// ---- stylers --------------------------------------------------------------------------------

TEST(MenuStylers, AssignCopiesTheLookButNotTheWindowSettings)
{
    TAdvMenuStyler source(nullptr), target(nullptr);
    source.SideBar()->SetCaption("Side");
    source.Font()->SetName("Courier New");
    source.SetAntiAlias(aaClearType);
    source.SetMenuBorderColor(0x1);
    source.Glyphs()->Check()->SetSize(3, 3);
    target.Assign(&source);
    EXPECT_EQ(target.SideBar()->Caption(), "Side");
    EXPECT_EQ(target.Font()->Name(), "Courier New");
    EXPECT_EQ(target.Glyphs()->Check()->Width(), 3);
    EXPECT_EQ(target.AntiAlias(), aaNone);
    EXPECT_EQ(target.MenuBorderColor(), 0x7C7C94u);
    TCustomAdvMenuStyler plain(nullptr);
    EXPECT_THROW(target.Assign(&plain), EAssignError);
}

TEST(MenuStylers, ABoundStylerRefreshesItsMenuUntilTheMenuGoes)
{
    auto* styler = new TAdvMenuStyler(nullptr);
    auto* menu = new TCountingPopupMenu(nullptr);
    menu->SetMenuStyler(styler);
    EXPECT_EQ(styler->Menu(), menu);
    EXPECT_EQ(styler->IconBar()->Menu(), menu);
    const int before = menu->updates;
    styler->SetUseSystemFont(false);
    EXPECT_EQ(menu->updates, before + 1);
    menu->Free();
    EXPECT_EQ(styler->Menu(), nullptr);
    EXPECT_EQ(styler->IconBar()->Menu(), nullptr);
    EXPECT_NO_THROW(styler->IconBar()->SetSize(30)) << "a plain component again";
    styler->Free();
}

// Mended: binding the same menu twice registers it once, and a menu that switches to another
// styler is let go of completely by the old one (which then never refreshes it again).
TEST(MenuStylers, BindingIsIdempotentAndSwitchingLetsGoCompletely)
{
    auto* first = new TAdvMenuStyler(nullptr);
    auto* second = new TAdvMenuStyler(nullptr);
    auto* menu = new TCountingPopupMenu(nullptr);
    menu->SetMenuStyler(first);
    first->BindMenu(menu);
    first->BindMenu(menu);
    menu->SetMenuStyler(second);
    EXPECT_EQ(first->Menu(), nullptr);
    EXPECT_EQ(first->SideBar()->Menu(), nullptr);
    const int before = menu->updates;
    first->SetFont(second->Font());
    EXPECT_EQ(menu->updates, before) << "the old styler refreshes nothing";
    menu->Free();
    EXPECT_NO_THROW(first->IconBar()->SetSize(30));
    EXPECT_EQ(second->Menu(), nullptr);
    first->Free();
    second->Free();
}

// Mended: a menu whose external styler is freed paints with a new private styler.
TEST(MenuStylers, FreeingTheExternalStylerFallsBackToAPrivateOne)
{
    for (bool sameOwner : {false, true}) {
        auto* owner = new TComponent(nullptr);
        auto* styler = new TAdvMenuStyler(sameOwner ? owner : nullptr);
        auto* menu = new TAdvMainMenu(owner);
        menu->SetMenuStyler(styler);
        EXPECT_EQ(menu->FindComponent("InternalMenuStyler"), nullptr);
        styler->Free();
        EXPECT_EQ(menu->MenuStyler(), nullptr) << sameOwner;
        TCustomAdvMenuStyler* current = menu->GetCurrentMenuStyler();
        ASSERT_NE(current, nullptr);
        EXPECT_EQ(current->Name(), "InternalMenuStyler");
        EXPECT_EQ(current->Owner(), menu);
        owner->Free();
    }
}

// A menu and its styler on one form go together in either order (the menu forgets the styler
// while both are being destroyed).
TEST(MenuStylers, MenuAndStylerOfOneOwnerGoTogether)
{
    for (bool menuFirst : {true, false}) {
        auto* owner = new TComponent(nullptr);
        TAdvPopupMenu* menu = menuFirst ? new TAdvPopupMenu(owner) : nullptr;
        auto* styler = new TAdvMenuStyler(owner);
        if (!menu)
            menu = new TAdvPopupMenu(owner);
        menu->SetMenuStyler(styler);
        EXPECT_NO_FATAL_FAILURE(owner->Free()) << menuFirst;
    }
}

// ---- components -----------------------------------------------------------------------------

TEST(MenuComponents, VersionReadsTheFixedNumber)
{
    TAdvMainMenu main(nullptr);
    TAdvPopupMenu popup(nullptr);
    EXPECT_EQ(main.Version(), "2.5.2.4");
    popup.SetVersion("9.9");
    EXPECT_EQ(popup.Version(), "2.5.2.4");
    EXPECT_TRUE(main.OwnerDraw());
    EXPECT_EQ(main.GetReserved(), 255);
    EXPECT_TRUE(popup.ShowNotes());
}

TEST(MenuComponents, PrivateStylersAndTheirClasses)
{
    TAdvMainMenu main(nullptr);
    TAdvPopupMenu popup(nullptr);
    EXPECT_TRUE(main.GetCurrentMenuStyler()->InheritsFrom(TAdvMenuStyler::StaticClass()));
    EXPECT_EQ(&popup.GetCurrentMenuStyler()->ClassType(), &TCustomAdvMenuStyler::StaticClass());
    auto* styler = new TAdvMenuStyler(nullptr);
    popup.SetMenuStyler(styler);
    EXPECT_EQ(popup.FindComponent("InternalMenuStyler"), nullptr) << "the private styler is freed";
    popup.SetMenuStyler(nullptr);
    ASSERT_NE(popup.FindComponent("InternalMenuStyler"), nullptr);
    EXPECT_EQ(popup.GetCurrentMenuStyler(), popup.FindComponent("InternalMenuStyler"));
    styler->Free();
}

TEST(MenuComponents, PopupPositionCorrection)
{
    struct Case {
        int x, width;
        TPopupAlignment alignment;
        int expected;
    };
    const int desktop = 1280;
    const Case cases[] = {
        {100, 80, paCenter, 108}, {100, 80, paLeft, 100},
        {200, 80, paRight, 217},  {100, 80, paRight, 100}, // left-tight (100 - 80 - 34 < 0): stays
        {1200, 80, paLeft, 1217},                          // right-tight: 17 to the right
        {1270, 80, paLeft, 1279},                          // then limited to the desktop
    };
    for (const Case& c : cases)
        EXPECT_EQ(TAdvPopupMenu::CorrectedPopupX(c.x, c.width, c.alignment, desktop), c.expected)
            << c.x;
}

TEST(MenuComponents, EmptyPopupShowsNothing)
{
    TAdvPopupMenu popup(nullptr);
    int popups = 0;
    struct Counter : TObject {
        int* n;
        void Popped(TObject*) { ++*n; }
    } counter;
    counter.n = &popups;
    popup.OnPopup = TNotifyEvent(&counter, &Counter::Popped);
    popup.Popup(100, 100);
    EXPECT_EQ(popups, 0);
}

TEST(MenuComponents, ItemsAddedToAPopupAreHookedAtOnce)
{
    TAdvPopupMenu popup(nullptr);
    auto* item = new TMenuItem(&popup);
    item->SetCaption("New");
    popup.Items()->Add(item);
    EXPECT_TRUE(item->OnAdvancedDrawItem);
    EXPECT_TRUE(item->OnMeasureItem);
    EXPECT_TRUE(item->OnAdvancedDrawItem ==
                TAdvancedMenuDrawItemEvent(&popup, &TAdvPopupMenu::DrawItemHandler));
}

TEST(MenuComponents, ItemsAddedToAMainMenuOutsideARebuildOnlyRefresh)
{
    TAdvMainMenu main(nullptr);
    auto* item = new TMenuItem(&main);
    main.Items()->Add(item);
    EXPECT_FALSE(item->OnAdvancedDrawItem);
    main.BeginMenuUpdate();
    auto* during = new TMenuItem(&main);
    main.Items()->Add(during);
    EXPECT_TRUE(during->OnAdvancedDrawItem) << "hooked at once during a Window-menu rebuild";
    main.EndMenuUpdate();
    EXPECT_FALSE(main.Updating());
    EXPECT_TRUE(item->OnAdvancedDrawItem) << "the end of the rebuild hooks every item";
}

TEST(MenuComponents, HookingReplacesAnItemsOwnHandlers)
{
    TAdvPopupMenu popup(nullptr);
    auto* item = new TMenuItem(&popup);
    popup.Items()->Add(item);
    struct Own : TObject {
        void Draw(TObject*, TCanvas*, RECT, TOwnerDrawState) {}
        void Measure(TObject*, TCanvas*, int&, int&) {}
    } own;
    item->OnAdvancedDrawItem = TAdvancedMenuDrawItemEvent(&own, &Own::Draw);
    item->OnMeasureItem = TMenuMeasureItemEvent(&own, &Own::Measure);
    const TAdvancedMenuDrawItemEvent draw(&popup, &TAdvPopupMenu::DrawItemHandler);
    const TMenuMeasureItemEvent measure(&popup, &TAdvPopupMenu::MeasureItemHandler);
    HookMenuOwnerDraw(&popup, nullptr, true, true, draw, measure);
    EXPECT_TRUE(item->OnAdvancedDrawItem == draw);
    EXPECT_TRUE(item->OnMeasureItem == measure);
}

TEST(MenuClassification, LevelsAndVisibleIndexes)
{
    TAdvMainMenu main(nullptr);
    auto* file = new TMenuItem(&main);
    auto* hidden = new TMenuItem(&main);
    auto* open = new TMenuItem(&main);
    auto* sub = new TMenuItem(&main);
    auto* deep = new TMenuItem(&main);
    main.Items()->Add(file);
    file->Add(hidden);
    file->Add(open);
    file->Add(sub);
    sub->Add(deep);
    hidden->SetVisible(false);
    sub->SetBreak(mbBreak);
    EXPECT_EQ(MenuItemLevel(file), 0);
    EXPECT_EQ(MenuItemLevel(open), 1);
    EXPECT_EQ(MenuItemLevel(deep), 2);
    EXPECT_TRUE(IsMenuBarItem(file));
    EXPECT_FALSE(IsMenuBarItem(open));
    EXPECT_TRUE(IsFirstLevelItem(open));
    EXPECT_FALSE(IsFirstLevelItem(deep));
    EXPECT_EQ(VisibleItemIndex(hidden), -1);
    EXPECT_EQ(VisibleItemIndex(open), 0);
    EXPECT_EQ(VisibleItemIndex(sub), 1);
    EXPECT_TRUE(IsFirstVisibleItem(open));
    EXPECT_TRUE(IsInFirstVisibleSubMenu(open));
    EXPECT_FALSE(HasColumnBreakBefore(open));
    EXPECT_TRUE(HasColumnBreakBefore(sub));
    EXPECT_EQ(GetItemMenuIntf(deep), static_cast<IAdvMenu*>(&main));
    TPopupMenu plain(nullptr);
    EXPECT_EQ(GetMenuIntf(&plain), nullptr);
    // The side bar shows where VisibleIn says.
    TSideBar* bar = main.GetCurrentMenuStyler()->SideBar();
    bar->SetVisible(true);
    bar->SetVisibleIn(viFirstLevel);
    EXPECT_TRUE(ShowsSideBar(open));
    EXPECT_FALSE(ShowsSideBar(deep));
    bar->SetVisibleIn(viAnyLevel);
    EXPECT_TRUE(ShowsSideBar(deep));
    EXPECT_FALSE(ShowsSideBar(file));
}

// ---- streaming ------------------------------------------------------------------------------

using Snapshot = testsupport::PropertySnapshot;

void Walk(TObject* object, const std::string& path, Snapshot& out, bool mutate)
{
    testsupport::WalkProperties(object, path, out, mutate);
}

TEST(MenuStreaming, EveryAppearanceObjectStreamsThroughAFormLayoutAndBack)
{
    RegisterAdvMenuClasses();
    TAdvMenuStyler fresh(nullptr);
    Snapshot defaults;
    Walk(&fresh, "", defaults, false);

    auto* styler = new TAdvMenuStyler(nullptr);
    styler->SetName("MenuStyler1");
    Snapshot changed;
    Walk(styler, "", changed, true);
    ASSERT_GT(changed.size(), 100u);
    for (const char* object :
         {"Background.", "IconBar.", "SelectedItem.", "RootItem.", "SideBar.",
          "SideBar.Background.", "SideBar.Image.", "Separator.", "ButtonAppearance.",
          "SelectedItem.NotesFont.", "RootItem.Font.", "NotesFont."})
        EXPECT_TRUE(std::any_of(changed.begin(), changed.end(), [&](const auto& kv) {
            return kv.first.rfind(object, 0) == 0;
        })) << object;
    for (const auto& [name, value] : changed)
        EXPECT_NE(defaults[name], value) << name << " was not changed";

    // Through the text layout the form files use.
    auto* copy = new TAdvMenuStyler(nullptr);
    testsupport::CopyThroughFormLayout(styler, copy);
    Snapshot read;
    Walk(copy, "", read, false);
    EXPECT_EQ(read.size(), changed.size());
    for (const auto& [name, value] : changed)
        EXPECT_EQ(read[name], value) << name;
    copy->Free();
    styler->Free();
}

TEST(MenuStreaming, DefaultsAndClNoneReadBack)
{
    RegisterAdvMenuClasses();
    const char* layout =
        "object MenuStyler1: TAdvMenuStyler\n"
        "  SideBar.SplitterColorTo = clNone\n"
        "  Separator.GradientType = gtLeft\n"
        "end\n";
    auto* styler = new TAdvMenuStyler(nullptr);
    testsupport::ReadFormLayout(layout, styler);
    EXPECT_EQ(styler->SideBar()->SplitterColorTo(), clNone);
    EXPECT_EQ(styler->Separator()->GradientType(), gtLeft);
    // Properties without a streamed default are always written.
    TMemoryStream out;
    WriteComponentToStream(out, styler);
    const std::string written = ObjectBinaryToText(
        std::string_view(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size())));
    EXPECT_NE(written.find("AntiAlias = aaNone"), std::string::npos) << written;
    EXPECT_NE(written.find("Background.Position = bpCenter"), std::string::npos) << written;
    EXPECT_EQ(written.find("SplitterColorTo"), std::string::npos) << "clNone is the default";
    styler->Free();
}

} // namespace
