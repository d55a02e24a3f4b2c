// The panel styler: the presets pushed to several panels at once, a settings change pushed
// and repainted, what a panel keeps of its own, the free notification, the style interface
// and the theme adaptation on WM_THEMECHANGED.
#include "panels/AdvPanelStyler.h"

#include "PanelTestSupport.h"

using namespace classlib;
using namespace panels;
using paneltest::Px;
using paneltest::Render;

namespace {

class AdvPanelStylerTest : public paneltest::PanelFixture {
protected:
    void SetUp() override
    {
        PanelFixture::SetUp();
        styler = new TAdvPanelStyler(form);
        for (int i = 0; i < 3; ++i) {
            TAdvPanel* panel = Place(10 + 110 * i, 10, 100, 80);
            panel->SetStyler(styler);
            panels.push_back(panel);
        }
    }
    TAdvPanelStyler* styler = nullptr;
    std::vector<TAdvPanel*> panels;
};

// Colours of the preset tables: background, gradient end, caption, status strip.
struct PresetColours {
    TAdvPanelStyle style;
    TColor color, colorTo, captionColor, captionColorTo, stripColor, borderColor;
    TBevelCut bevelOuter;
    bool borderShadow;
};

const PresetColours Presets[] = {
    {psOffice2003Blue, 0xFDEADA, 0xE4AE88, 0xD68759, 0x933803, 0xE08F65, clGray, bvNone, false},
    {psOffice2003Silver, 0xECE2E1, 0xB39698, 0xEFE7E7, 0xAA8888, 0xBFA8A9, clGray, bvNone, false},
    {psOffice2003Olive, 0xCFF0EA, 0x8CC0B1, 0xC6EFE7, 0x94BDB5, 0x80B0A1, clGray, bvNone, false},
    {psOffice2003Classic, clWhite, 0xE3F0F2, clHighlight, clBlue, 0xE3F0F2, clGray, bvNone, true},
    {psOffice2007Luna, 0xFAF1E9, 0xEDD8C7, 0xFFEFE3, 0xFFD2AF, 0xF7E3D3, 0xFFD2AF, bvNone, false},
    {psOffice2007Obsidian, 0xCFC6C1, 0xC5BBB4, 0xB8B8B6, 0xA0A09E, 0xA19F9E, 0xFFD2AF, bvNone,
     false},
    {psWindowsXP, clBtnFace, clNone, clWhite, clNone, clBtnFace, clGray, bvRaised, false},
    {psWhidbey, clWhite, 0xE3F0F2, 0xF3F7F8, 0xACC3C3, 0xE3F0F2, clGray, bvNone, true},
    {psOffice2007Silver, 0xF9F5F3, 0xE7DCD5, 0xF8F7F6, 0xE8E0DB, 0xFAEEEB, 0xFFD2AF, bvNone, false},
    {psXP, clWhite, 0xE3F0F2, clHighlight, clBlue, 0xE3F0F2, clGray, bvNone, true},
    {psFlat, clBtnFace, clNone, clHighlight, clNone, clBtnFace, clGray, bvNone, false},
    {psHalsk, clWhite, 0xE4E4E4, clWhite, clNone, 0xDEDEDE, clGray, bvNone, true},
    {psClassic, clBtnFace, clNone, clWhite, clNone, clBtnFace, clGray, bvRaised, false},
};

TEST_F(AdvPanelStylerTest, EveryPresetReachesEveryPanel)
{
    for (const PresetColours& p : Presets) {
        SCOPED_TRACE(static_cast<int>(p.style));
        styler->SetStyle(p.style);
        EXPECT_EQ(styler->Style(), p.style);
        for (TAdvPanel* panel : panels) {
            EXPECT_EQ(panel->Color(), p.color);
            EXPECT_EQ(panel->ColorTo(), p.colorTo);
            EXPECT_EQ(panel->Caption()->Color(), p.captionColor);
            EXPECT_EQ(panel->Caption()->ColorTo(), p.captionColorTo);
            EXPECT_EQ(panel->StatusBar()->Color(), p.stripColor);
            EXPECT_EQ(panel->BorderColor(), p.borderColor);
            EXPECT_EQ(panel->BevelOuter(), p.bevelOuter);
            EXPECT_EQ(panel->BevelInner(), bvNone);
            EXPECT_EQ(panel->BorderShadow(), p.borderShadow);
        }
    }
    // Halsk's caption has the metal shading and shows in the settings; a panel keeps its own
    // caption visibility (copying a caption leaves it out).
    styler->SetStyle(psHalsk);
    EXPECT_TRUE(styler->Settings()->Caption()->Visible());
    EXPECT_FALSE(panels[0]->Caption()->Visible());
    EXPECT_EQ(panels[0]->Caption()->ShadeType(), stRMetal);
    styler->SetStyle(psWindowsXP);
    EXPECT_FALSE(styler->Settings()->Caption()->Visible());
}

TEST_F(AdvPanelStylerTest, CustomKeepsThePresetValues)
{
    styler->SetStyle(psOffice2003Olive);
    styler->SetStyle(psCustom);
    EXPECT_EQ(styler->Settings()->Color(), 0xCFF0EAu);
    EXPECT_EQ(panels[1]->Color(), 0xCFF0EAu);
}

TEST_F(AdvPanelStylerTest, ASettingsChangeIsPushedAndRepainted)
{
    styler->SetStyle(psFlat);
    auto before = Render(panels[2]);
    EXPECT_EQ(before->Pixel(50, 40), Px(clBtnFace));
    styler->Settings()->SetColor(0x00FF00); // stored only
    EXPECT_EQ(panels[0]->Color(), clBtnFace);
    styler->Settings()->SetBevelOuter(bvNone); // notifies: pushes everything
    for (TAdvPanel* panel : panels)
        EXPECT_EQ(panel->Color(), 0x00FF00u);
    EXPECT_EQ(Render(panels[2])->Pixel(50, 40), 0x00FF00u);

    // Members of the owned font change nothing until another notifying change.
    styler->Settings()->Font()->SetColor(0x0000FF);
    EXPECT_NE(panels[0]->Font()->Color(), 0x0000FFu);
    styler->Settings()->SetHover(true);
    EXPECT_EQ(panels[0]->Font()->Color(), 0x0000FFu);
    EXPECT_TRUE(panels[0]->Hover());
}

TEST_F(AdvPanelStylerTest, PanelsKeepTheirOwnButtonsSizeStateAndText)
{
    TAdvPanel* panel = panels[0];
    panel->Caption()->SetVisible(true);
    panel->Caption()->SetCloseButton(true);
    panel->SetText("own text");
    panel->SetHint("own hint");
    panel->SetCollaps(true);
    styler->Settings()->Caption()->SetMinMaxButton(true);
    styler->Settings()->SetHeight(300);
    styler->Settings()->SetText("styler text");
    styler->SetStyle(psHalsk);
    EXPECT_TRUE(panel->Caption()->CloseButton());
    EXPECT_FALSE(panel->Caption()->MinMaxButton());
    EXPECT_TRUE(panel->Collaps());
    EXPECT_EQ(panel->Height(), 18);
    EXPECT_EQ(panel->Text(), "own text");
    EXPECT_EQ(panel->Hint(), "own hint");
}

TEST_F(AdvPanelStylerTest, AFreedStylerDropsOutOfItsPanels)
{
    styler->Free();
    for (TAdvPanel* panel : panels)
        EXPECT_EQ(panel->Styler(), nullptr);
    panels[0]->SetColorTo(clNone); // the panel lives on
    panels[0]->SetColor(0x123456);
    EXPECT_EQ(Render(panels[0])->Pixel(50, 40), 0x563412u);
}

TEST_F(AdvPanelStylerTest, TheStyleInterfaceSelectsByOrdinal)
{
    ITMSStyle* style = nullptr;
    ASSERT_TRUE(styler->GetInterface(ITMSStyle::IID, reinterpret_cast<void**>(&style)));
    styler->SetStyle(psWhidbey);
    style->ApplyStyle(8);
    EXPECT_EQ(styler->Style(), psWhidbey);
    style->ApplyStyle(10);
    EXPECT_EQ(styler->Style(), psWhidbey);
    style->ApplyStyle(0x81);
    EXPECT_EQ(styler->Style(), psOffice2003Silver);
    EXPECT_EQ(panels[2]->Color(), 0xECE2E1u);
}

TEST_F(AdvPanelStylerTest, ThemeChangeReappliesAnAutomaticPreset)
{
    styler->SetStyle(psCustom);
    styler->Settings()->SetColor(0x123456);
    styler->Settings()->SetBevelOuter(bvNone);
    HWND notifier = styler->NotifierWindow()->Handle();
    SendMessageA(notifier, WM_THEMECHANGED, 0, 0);
    EXPECT_EQ(styler->Style(), psCustom); // adaptation off
    EXPECT_EQ(panels[0]->Color(), 0x123456u);

    styler->SetAutoThemeAdapt(true);
    SendMessageA(notifier, WM_THEMECHANGED, 0, 0);
    // Whatever the scheme, an automatic preset replaced the custom values.
    const TAdvPanelStyle chosen = styler->Style();
    EXPECT_TRUE(chosen == psOffice2003Blue || chosen == psOffice2003Olive ||
                chosen == psOffice2003Silver || chosen == psXP);
    for (const PresetColours& p : Presets) {
        if (p.style == chosen) {
            EXPECT_EQ(panels[0]->Color(), p.color);
        }
    }
}

} // namespace
