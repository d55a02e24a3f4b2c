#include "toolbar/ToolBarStylePresets.h"

#include "core/TypeInfo.h"

#include <algorithm>

namespace toolbar {

CLASSLIB_DEFINE_ENUM(TToolBarStyle, "bsOffice2003Blue", "bsOffice2003Silver", "bsOffice2003Olive",
                     "bsOffice2003Classic", "bsOffice2007Luna", "bsOffice2007Obsidian",
                     "bsWindowsXP", "bsWhidbeyStyle", "bsCustom", "bsOffice2007Silver",
                     "bsOfficeXP")

namespace {

// The colour values of the platform that the blocks use (TColor encoding).
constexpr uint32_t clNone = 0x1FFFFFFF;
constexpr uint32_t clHighlight = 0xFF00000D;
constexpr uint32_t clBtnFace = 0xFF00000F;
// Ordinals: the toolbar module's gdHorizontal, gdVertical; the GDI+ gradient kinds ggRadial,
// ggVertical; the drag-grip styles.
constexpr uint32_t gdHorizontal = 0, gdVertical = 1;
constexpr uint32_t ggRadial = 0, ggVertical = 1;
constexpr uint32_t dsDots = 0, dsSingleLine = 1, dsNone = 4;
constexpr uint32_t N = NotWritten;

// Columns: Office 2003 blue, silver, olive, classic; Office 2007 luna, obsidian; Windows XP;
// Whidbey; Office 2007 silver.
constexpr TPresetRow Each(const char* path, uint32_t blue, uint32_t silver, uint32_t olive,
                          uint32_t classic, uint32_t luna, uint32_t obsidian, uint32_t xp,
                          uint32_t whidbey, uint32_t silver2007)
{
    return {path, {blue, silver, olive, classic, luna, obsidian, xp, whidbey, silver2007}};
}
constexpr TPresetRow All(const char* path, uint32_t value)
{
    return Each(path, value, value, value, value, value, value, value, value, value);
}
// One value for the Office 2003 family (with Windows XP and Whidbey), one for the Office 2007
// family.
constexpr TPresetRow Family(const char* path, uint32_t office2003, uint32_t office2007)
{
    return Each(path, office2003, office2003, office2003, office2003, office2007, office2007,
                office2003, office2003, office2007);
}
// The hot, down and checked glow-button colours that a block writes itself: the common set
// in the classic and the three Office 2007 blocks, the Windows XP block's own set.
constexpr TPresetRow GlowInBlock(const char* path, uint32_t common, uint32_t xp)
{
    return Each(path, N, N, N, common, common, common, xp, N, common);
}
// The compact glow buttons' own hot, down and checked set (luna and Office 2007 silver).
constexpr TPresetRow CompactOwn(const char* path, uint32_t value)
{
    return Each(path, N, N, N, N, value, N, N, N, value);
}

// The blocks of Office 2003 blue and Office 2007 luna are given whole; the values of the other
// blocks beyond their telling colours and style-wide settings are the project's choice, made
// by these rules: a style takes the value of its family's complete block (blue for the Office
// 2003 styles, Windows XP and Whidbey; luna for obsidian and Office 2007 silver), except that
//  - the page appearance, the mirror of `Color`, the pager caption, the selected tab and the
//    tab group are flat in the style's own telling colour of that part;
//  - the button appearance of the Office 2003 styles takes `Color`'s colours, and its hot,
//    down and checked end colours repeat the start colours where those are not blue's;
//  - the glow button's mirror colours repeat its normal colours;
//  - the quick-access toolbar's border is the floating-window border colour and its full-size
//    colours are its own end colour;
//  - the tab background of the Office 2003 styles ends in the dock colour's end colour;
//  - obsidian, whose tab ground and tab groups are dark, writes white text on them;
//  - the classic, Whidbey and olive button borders are the class's classic navy 0x6A240A,
//    0x6A240A and the dark olive 0x385D3F; the styler border of the open Office 2007 styles is
//    their floating-window border colour.
const TPresetRow Rows[] = {
    // The styler's own settings.
    Each("ComponentStyle", 0, 1, 2, N, 4, 5, 6, 7, 9),
    Each("RightHandleColor", 0xF1A675, 0xC8B2B3, 0x8CC2B0, 0x808080, 0xDFD2C5, 0xCAC7C6, clBtnFace,
         0xEBEEEF, 0xC6B0B1),
    Each("RightHandleColorTo", 0x913500, 0x927476, 0x6B7760, 0x808080, 0xE0C7AD, 0xB4B0AE, clNone,
         0x7E9898, 0x947779),
    All("RightHandleColorHot", 0xD3F8FF),
    All("RightHandleColorHotTo", 0x76C1FF),
    Each("RightHandleColorDown", 0x087FE8, N, N, 0x087FE8, 0x087FE8, 0x087FE8, 0x087FE8, 0x087FE8,
         0x087FE8),
    Each("RightHandleColorDownTo", 0x7CDAF7, N, N, 0x7CDAF7, 0x7CDAF7, 0x7CDAF7, 0x7CDAF7, 0x7CDAF7,
         0x7CDAF7),
    Each("FloatingWindowBorderColor", 0x913500, 0x927476, 0x6B7760, 0x828F92, 0xE3B28D, 0xB4B0AE,
         clHighlight, 0x828F92, 0xC6B0B1),
    Family("FloatingWindowBorderWidth", 2, 1),
    Each("RoundedCorners", 1, 1, 1, 1, 1, 1, 0, 1, 1),
    Each("DragGripStyle", dsDots, dsDots, dsDots, dsDots, dsNone, dsNone, dsSingleLine, dsDots,
         dsNone),
    Each("FrameBevel", 0, 0, 0, 0, 0, 0, 2, 0, 0),
    Each("ShowFrameBevel", 0, 0, 0, 0, 0, 0, 1, 0, 0),
    Each("BorderColor", 0xEBC7AB, N, N, N, 0xD7C8B7, 0xB4B0AE, N, N, 0xC6B0B1),
    All("BorderColorHot", 0xE0C7AD),

    // The toolbar gradient and the dock area.
    Each("Color.Color", 0xFDEADA, 0xECE2E1, 0xCFF0EA, 0xFFFFFF, 0xEDD8C7, 0xC5BBB4, clBtnFace,
         0xF5F9FA, 0xE7DCD5),
    Each("Color.ColorTo", 0xE4AE88, 0xB39698, 0x8CC0B1, 0xC9D1D5, 0xF6E9D9, 0xECECE5, clBtnFace,
         0xA8C0C0, 0xF4F4EE),
    All("Color.Direction", gdVertical),
    Family("Color.Steps", 64, N),
    Each("DockColor.ColorTo", 0xFADAC4, 0xF7F3F3, 0xE4F1F2, 0xD2BDB6, 0xFAF1E9, 0xC5BBB4, clBtnFace,
         0xE7F2F3, 0xF7F3F3),
    Each("DockColor.Color", 0xF5BFA0, 0xE6D8D8, 0xAADADA, 0xD2BDB6, 0xEDD8C7, 0xCFC6C1, clBtnFace,
         0xD7E5E5, 0xE5D7D7),
    All("DockColor.Direction", gdHorizontal),
    All("DockColor.Steps", 128),

    // Captions.
    Each("CaptionAppearance.CaptionColor", clHighlight, clHighlight, clHighlight, 0x808080,
         0xF2DAC2, 0xB8B8B6, clHighlight, 0x99A8AC, 0xEFE3DF),
    Each("CaptionAppearance.CaptionColorTo", clHighlight, clHighlight, clHighlight, 0x808080,
         0xF0D9C1, 0xB8B8B6, clHighlight, 0x99A8AC, 0xEFE3DF),
    Each("CaptionAppearance.CaptionBorderColor", clHighlight, clHighlight, clHighlight, 0x808080, N,
         N, clHighlight, 0x99A8AC, 0xEFE3DF),
    Family("CaptionAppearance.CaptionColorHot", 0xCCF4FF, 0xFFE0C8),
    Family("CaptionAppearance.CaptionColorHotTo", 0x91D0FF, 0xFFEDD6),
    Family("CaptionAppearance.CaptionTextColor", 0xFFFFFF, 0xAA6A3E),
    Family("CaptionAppearance.CaptionTextColorHot", 0x000000, 0xAA6A3E),

    // Toolbar buttons.
    Each("ButtonAppearance.Color", 0xFDEADA, 0xECE2E1, 0xCFF0EA, 0xFFFFFF, 0xCFF0EA, 0xCFF0EA,
         clBtnFace, 0xF5F9FA, 0xCFF0EA),
    Each("ButtonAppearance.ColorTo", 0xE4AE88, 0xB39698, 0x8CC0B1, 0xC9D1D5, 0x8CC0B1, 0x8CC0B1,
         clBtnFace, 0xA8C0C0, 0x8CC0B1),
    Each("ButtonAppearance.ColorDown", 0x4E91FE, 0x4E91FE, 0x4E91FE, 0xE2B598, 0x4E91FE, 0x4E91FE,
         0xB59284, 0xE2B598, 0x4E91FE),
    Each("ButtonAppearance.ColorDownTo", 0x91D3FF, 0x91D3FF, 0x91D3FF, 0xE2B598, 0x91D3FF, 0x91D3FF,
         0xB59284, 0xE2B598, 0x91D3FF),
    Each("ButtonAppearance.ColorHot", 0xCCF4FF, 0xCCF4FF, 0xCCF4FF, 0xD2BDB6, 0xCCF4FF, 0xCCF4FF,
         0xEFD3C6, 0xEED2C1, 0xCCF4FF),
    Each("ButtonAppearance.ColorHotTo", 0x91D0FF, 0x91D0FF, 0x91D0FF, 0xD2BDB6, 0x91D0FF, 0x91D0FF,
         0xEFD3C6, 0xEED2C1, 0x91D0FF),
    Each("ButtonAppearance.ColorChecked", 0x8CD5FF, 0x8CD5FF, 0x8CD5FF, 0xD8D5D4, 0x8CD5FF,
         0x8CD5FF, clBtnFace, clBtnFace, 0x8CD5FF),
    Each("ButtonAppearance.ColorCheckedTo", 0x58AFFF, 0x58AFFF, 0x58AFFF, 0xD8D5D4, 0x58AFFF,
         0x58AFFF, clBtnFace, clBtnFace, 0x58AFFF),
    All("ButtonAppearance.CaptionTextColor", 0x000000),
    All("ButtonAppearance.CaptionTextColorChecked", 0x000000),
    All("ButtonAppearance.CaptionTextColorDown", 0x000000),
    All("ButtonAppearance.CaptionTextColorHot", 0x000000),
    Each("ButtonAppearance.BorderDownColor", 0x800000, 0x800000, 0x385D3F, 0x6A240A, 0x385D3F,
         0x385D3F, N, 0x6A240A, 0x385D3F),
    Each("ButtonAppearance.BorderHotColor", 0x800000, 0x800000, 0x385D3F, 0x6A240A, 0x385D3F,
         0x385D3F, N, 0x6A240A, 0x385D3F),
    Each("ButtonAppearance.BorderCheckedColor", 0x800000, 0x800000, 0x385D3F, N, 0x385D3F, 0x385D3F,
         N, N, 0x385D3F),

    // Glow buttons on toolbars: the normal look, the hot, down and checked sets the block
    // writes itself, then the compact buttons take a copy (and luna's and Office 2007 silver's
    // compact buttons their own hot, down and checked set).
    Each("GlowButtonAppearance.Color", 0xEEDBC8, 0xE6E9E2, 0xCFF0EA, 0xFFFFFF, 0xEEDBC8, 0xDFDED6,
         0xFFFFFF, 0xFFFFFF, 0xF3F3F1),
    Each("GlowButtonAppearance.ColorTo", 0xF6DDC9, 0xE6D8D8, 0xCFF0EA, 0xC9D1D5, 0xF6DDC9, 0xE4E2DB,
         0xB9D8DC, 0xDFEDF0, 0xF2F2F0),
    Each("GlowButtonAppearance.ColorMirror", 0xEDD4C0, 0xE6E9E2, 0xCFF0EA, 0xFFFFFF, 0xEDD4C0,
         0xDFDED6, 0xFFFFFF, 0xFFFFFF, 0xF3F3F1),
    Each("GlowButtonAppearance.ColorMirrorTo", 0xF7E1D0, 0xE6D8D8, 0xCFF0EA, 0xC9D1D5, 0xF7E1D0,
         0xE4E2DB, 0xB9D8DC, 0xDFEDF0, 0xF2F2F0),
    Each("GlowButtonAppearance.BorderColor", 0xE0B99B, 0x927476, 0x8CC0B1, 0x000000, 0xE0B99B,
         0xC0BCB2, 0xB9D8DC, 0x99A8AC, 0xCAC7C6),
    All("GlowButtonAppearance.Gradient", ggVertical),
    All("GlowButtonAppearance.GradientMirror", ggVertical),
    GlowInBlock("GlowButtonAppearance.ColorHot", 0xEBFDFF, 0xEFD3C6),
    GlowInBlock("GlowButtonAppearance.ColorHotTo", 0xACECFF, 0xEFD3C6),
    GlowInBlock("GlowButtonAppearance.ColorMirrorHot", 0x59DAFF, 0xEFD3C6),
    GlowInBlock("GlowButtonAppearance.ColorMirrorHotTo", 0xA4E9FF, 0xEFD3C6),
    GlowInBlock("GlowButtonAppearance.BorderColorHot", 0x99CEDB, clHighlight),
    GlowInBlock("GlowButtonAppearance.GradientHot", ggVertical, ggVertical),
    GlowInBlock("GlowButtonAppearance.GradientMirrorHot", ggVertical, ggVertical),
    GlowInBlock("GlowButtonAppearance.ColorDown", 0x76AFF1, 0xB59284),
    GlowInBlock("GlowButtonAppearance.ColorDownTo", 0x4190F3, 0xB59284),
    GlowInBlock("GlowButtonAppearance.ColorMirrorDown", 0x0E72F1, 0xB59284),
    GlowInBlock("GlowButtonAppearance.ColorMirrorDownTo", 0x4C9FFD, 0xB59284),
    GlowInBlock("GlowButtonAppearance.BorderColorDown", 0x45667B, clHighlight),
    GlowInBlock("GlowButtonAppearance.GradientDown", ggVertical, ggVertical),
    GlowInBlock("GlowButtonAppearance.GradientMirrorDown", ggVertical, ggVertical),
    GlowInBlock("GlowButtonAppearance.ColorChecked", 0xB5DBFB, 0xB9D8DC),
    GlowInBlock("GlowButtonAppearance.ColorCheckedTo", 0x78C7FE, 0xB9D8DC),
    GlowInBlock("GlowButtonAppearance.ColorMirrorChecked", 0x9FEBFD, 0xB9D8DC),
    GlowInBlock("GlowButtonAppearance.ColorMirrorCheckedTo", 0x56B4FE, 0xB9D8DC),
    GlowInBlock("GlowButtonAppearance.GradientChecked", ggVertical, ggVertical),
    GlowInBlock("GlowButtonAppearance.GradientMirrorChecked", ggVertical, ggVertical),
    Each("GlowButtonAppearance.BorderColorChecked", N, N, N, N, 0x45667B, 0x45667B, 0x000000, N,
         0x45667B),
    {"CompactGlowButtonAppearance", {0, 0, 0, 0, 0, 0, 0, 0, 0}, "GlowButtonAppearance"},
    CompactOwn("CompactGlowButtonAppearance.ColorHot", 0xF7F7EF),
    CompactOwn("CompactGlowButtonAppearance.ColorHotTo", 0xF7E7D6),
    CompactOwn("CompactGlowButtonAppearance.ColorMirrorHot", 0xF7EAC3),
    CompactOwn("CompactGlowButtonAppearance.ColorMirrorHotTo", 0xF7E7D6),
    CompactOwn("CompactGlowButtonAppearance.BorderColorHot", 0xE7D6B5),
    CompactOwn("CompactGlowButtonAppearance.GradientHot", ggVertical),
    CompactOwn("CompactGlowButtonAppearance.GradientMirrorHot", ggVertical),
    CompactOwn("CompactGlowButtonAppearance.ColorDown", 0xDEC6AD),
    CompactOwn("CompactGlowButtonAppearance.ColorDownTo", 0xCEAD8C),
    CompactOwn("CompactGlowButtonAppearance.ColorMirrorDown", 0xFFD6B5),
    CompactOwn("CompactGlowButtonAppearance.ColorMirrorDownTo", 0xC69473),
    CompactOwn("CompactGlowButtonAppearance.BorderColorDown", 0xB7A38E),
    CompactOwn("CompactGlowButtonAppearance.GradientDown", ggVertical),
    CompactOwn("CompactGlowButtonAppearance.GradientMirrorDown", ggVertical),
    CompactOwn("CompactGlowButtonAppearance.ColorChecked", 0xDEC6AD),
    CompactOwn("CompactGlowButtonAppearance.ColorCheckedTo", 0xCEAD8C),
    CompactOwn("CompactGlowButtonAppearance.ColorMirrorChecked", 0xFFD6B5),
    CompactOwn("CompactGlowButtonAppearance.ColorMirrorCheckedTo", 0xC69473),
    CompactOwn("CompactGlowButtonAppearance.BorderColorChecked", 0xB7A38E),
    CompactOwn("CompactGlowButtonAppearance.GradientChecked", ggVertical),
    CompactOwn("CompactGlowButtonAppearance.GradientMirrorChecked", ggVertical),

    // Tab groups of the pager: their own colours, tabs, pages, toolbars and captions.
    Each("GroupAppearance.TextColor", 0x000000, 0x000000, 0x000000, 0x000000, 0x8B4215, 0xFFFFFF,
         0x000000, 0x000000, 0x8B4215),
    Each("GroupAppearance.Color", 0xFDEADA, 0xC8B2B3, 0xCFF0EA, 0xB59285, 0xF1DECC, 0x43575F,
         0xEFD3C6, 0xFFFFFF, 0xD1CDCA),
    Each("GroupAppearance.ColorTo", 0xF1DECC, 0xC8B2B3, 0xCFF0EA, 0xB59285, 0xD8E2E1, 0x43575F,
         0xEFD3C6, 0xFFFFFF, 0xD1CDCA),
    Each("GroupAppearance.ColorMirror", 0xF1DECC, 0xC8B2B3, 0xCFF0EA, 0xB59285, 0xD8E2E1, 0x43575F,
         0xEFD3C6, 0xFFFFFF, 0xD1CDCA),
    Each("GroupAppearance.ColorMirrorTo", 0xFDEADA, 0xC8B2B3, 0xCFF0EA, 0xB59285, 0xA5E1E9,
         0x43575F, 0xEFD3C6, 0xFFFFFF, 0xD1CDCA),
    All("GroupAppearance.Gradient", ggVertical),
    All("GroupAppearance.GradientMirror", ggVertical),
    All("GroupAppearance.BorderColor", 0xC2C2C2),
    Family("GroupAppearance.TabAppearance.ColorHot", 0xCCF4FF, 0xDDE5E4),
    Family("GroupAppearance.TabAppearance.ColorHotTo", 0xCCF4FF, 0xFFDEC5),
    Family("GroupAppearance.TabAppearance.ColorMirrorHot", 0xCCF4FF, 0xD5DFDD),
    Family("GroupAppearance.TabAppearance.ColorMirrorHotTo", 0x91D0FF, 0xA3D3E1),
    Family("GroupAppearance.TabAppearance.Gradient", ggVertical, ggRadial),
    Family("GroupAppearance.TabAppearance.GradientMirror", ggVertical, ggRadial),
    All("GroupAppearance.TabAppearance.ColorSelected", 0x9EDFFB),
    All("GroupAppearance.TabAppearance.ColorSelectedTo", 0xBAE8FC),
    All("GroupAppearance.TabAppearance.ColorMirrorSelected", 0xBAE8FC),
    All("GroupAppearance.TabAppearance.ColorMirrorSelectedTo", 0xD4F1FD),
    Family("GroupAppearance.TabAppearance.TextColorSelected", 0x000000, 0x8B4215),
    All("GroupAppearance.TabAppearance.BorderColorSelected", 0xA0BFCC),
    All("GroupAppearance.TabAppearance.BorderColorSelectedHot", 0xA0BFCC),
    Family("GroupAppearance.TabAppearance.BorderColorHot", clHighlight, 0xA0BFCC),
    Family("GroupAppearance.TabAppearance.BorderColor", clHighlight, 0xA0BFCC),
    Family("GroupAppearance.TabAppearance.TextColor", 0x000000, 0x8B4215),
    Family("GroupAppearance.TabAppearance.TextColorHot", 0x000000, 0x8B4215),
    Each("GroupAppearance.TabAppearance.ShadowColor", N, N, N, N, 0xE8C7AE, 0xE8C7AE, 0xA4BCBF, N,
         N),
    Each("GroupAppearance.TabAppearance.HighLightColor", N, N, N, N, 0xFFFABF, 0xFFFABF, 0xFFFABF,
         N, N),
    Each("GroupAppearance.TabAppearance.HighLightColorSelected", N, N, N, N, 0x63CCF8, 0x63CCF8,
         0x63CCF8, N, N),
    Each("GroupAppearance.TabAppearance.HighLightColorSelectedHot", N, N, N, N, 0xBDFFFF, 0xBDFFFF,
         0xBDFFFF, N, N),
    Each("GroupAppearance.TabAppearance.HighLightColorDown", N, N, N, N, 0xFFFBD0, 0xFFFBD0,
         0xFFFBD0, N, N),
    Each("GroupAppearance.TabAppearance.HighLightColorHot", N, N, N, N, 0xFDF4ED, 0xFDF4ED,
         0xFDF4ED, N, N),
    All("GroupAppearance.PageAppearance.Color", 0xD6F2FE),
    All("GroupAppearance.PageAppearance.ColorTo", 0xF9F9F9),
    All("GroupAppearance.PageAppearance.BorderColor", 0xC2C2C2),
    All("GroupAppearance.PageAppearance.ColorMirror", 0xF9F9F9),
    All("GroupAppearance.PageAppearance.ColorMirrorTo", 0xF9F9F9),
    All("GroupAppearance.PageAppearance.Gradient", ggVertical),
    All("GroupAppearance.PageAppearance.GradientMirror", ggVertical),
    Each("GroupAppearance.PageAppearance.ShadowColor", N, N, N, N, 0xC4AA96, 0xC4AA96, N, N, N),
    Each("GroupAppearance.PageAppearance.HighLightColor", N, N, N, N, 0xFDF9CE, 0xFDF9CE, N, N, N),
    All("GroupAppearance.ToolBarAppearance.Color.Color", 0xECF8FD),
    All("GroupAppearance.ToolBarAppearance.Color.ColorTo", 0xF9F9F9),
    All("GroupAppearance.ToolBarAppearance.BorderColor", 0xCCD1D3),
    All("GroupAppearance.ToolBarAppearance.BorderColorHot", 0xC7C7C7),
    All("GroupAppearance.ToolBarAppearance.ColorHot.Color", 0xEEF4F5),
    All("GroupAppearance.ToolBarAppearance.ColorHot.ColorTo", 0xFDFBFA),
    All("GroupAppearance.CaptionAppearance.CaptionColor", 0xF2DAC2),
    All("GroupAppearance.CaptionAppearance.CaptionColorTo", 0xF0D9C1),
    All("GroupAppearance.CaptionAppearance.CaptionColorHot", 0xFFE0C8),
    All("GroupAppearance.CaptionAppearance.CaptionColorHotTo", 0xFFEDD6),
    Family("GroupAppearance.CaptionAppearance.CaptionTextColor", 0x000000, 0xAA6A3E),
    Family("GroupAppearance.CaptionAppearance.CaptionTextColorHot", 0x000000, 0xAA6A3E),

    // Pager tabs.
    Each("TabAppearance.BackGround.Color", 0xE4AE88, 0xE6D8D8, 0x8CC0B1, 0xC9D1D5, 0xFFDBBF,
         0x535353, clBtnFace, 0x859D9D, 0xDDD4D0),
    Each("TabAppearance.BackGround.ColorTo", 0xFADAC4, 0xF7F3F3, 0xE4F1F2, 0xD2BDB6, clNone, clNone,
         clBtnFace, 0xE7F2F3, clNone),
    Each("TabAppearance.BackGround.Direction", N, N, N, N, N, gdVertical, N, N, N),
    All("TabAppearance.BorderColor", clNone),
    All("TabAppearance.BorderColorDisabled", clNone),
    Family("TabAppearance.BorderColorHot", clHighlight, 0xEABC99),
    Family("TabAppearance.BorderColorSelected", 0x000000, 0xE3B28D),
    All("TabAppearance.BorderColorSelectedHot", 0x60CCF9),
    Each("TabAppearance.TextColor", 0x000000, 0x000000, 0x000000, 0x000000, 0x8B4215, 0xFFFFFF,
         0x000000, 0x000000, 0x8B4215),
    Each("TabAppearance.TextColorHot", 0x000000, 0x000000, 0x000000, 0x000000, 0x8B4215, 0x000000,
         0x000000, 0x000000, 0x8B4215),
    Each("TabAppearance.TextColorSelected", 0x000000, 0x000000, 0x000000, 0x000000, 0x8B4215,
         0x000000, 0x000000, 0x000000, 0x8B4215),
    All("TabAppearance.TextColorDisabled", 0x808080),
    Each("TabAppearance.ColorSelected", 0xFCDCC4, 0x927476, 0x8CC0B1, 0xC9D1D5, 0xFEF6F0, 0xEFEEED,
         0xFFFFFF, 0xADC4C4, 0xF6F6F6),
    Each("TabAppearance.ColorSelectedTo", 0xFAF1E9, 0x927476, 0x8CC0B1, 0xC9D1D5, 0xFAF1E9,
         0xEFEEED, 0xFFFFFF, 0xADC4C4, 0xF6F6F6),
    Each("TabAppearance.ColorMirrorSelected", 0xFAF1E9, 0x927476, 0x8CC0B1, 0xC9D1D5, 0xFAF1E9,
         0xEFEEED, 0xFFFFFF, 0xADC4C4, 0xF6F6F6),
    Each("TabAppearance.ColorMirrorSelectedTo", 0xF6EAE0, 0x927476, 0x8CC0B1, 0xC9D1D5, 0xF6EAE0,
         0xEFEEED, 0xFFFFFF, 0xADC4C4, 0xF6F6F6),
    All("TabAppearance.ColorDisabled", 0xFFFFFF),
    All("TabAppearance.ColorDisabledTo", 0xC0C0C0),
    All("TabAppearance.ColorMirrorDisabled", 0xFFFFFF),
    All("TabAppearance.ColorMirrorDisabledTo", 0xC0C0C0),
    Family("TabAppearance.ColorHot", 0xCCF4FF, 0xDDE5E4),
    Family("TabAppearance.ColorHotTo", 0xCCF4FF, 0xFFDEC5),
    Family("TabAppearance.ColorMirrorHot", 0xCCF4FF, 0xD5DFDD),
    Family("TabAppearance.ColorMirrorHotTo", 0x91D0FF, 0xA3D3E1),
    All("TabAppearance.Gradient", ggVertical),
    All("TabAppearance.GradientDisabled", ggVertical),
    Family("TabAppearance.GradientHot", ggVertical, ggRadial),
    All("TabAppearance.GradientMirrorDisabled", ggVertical),
    All("TabAppearance.GradientMirrorHot", ggVertical),
    All("TabAppearance.GradientMirrorSelected", ggVertical),
    All("TabAppearance.GradientSelected", ggVertical),
    Family("TabAppearance.ShadowColor", 0xA3673F, 0xE8C7AE),
    All("TabAppearance.HighLightColor", 0xFFFABF),
    All("TabAppearance.HighLightColorSelected", 0x63CCF8),
    All("TabAppearance.HighLightColorSelectedHot", 0xBDFFFF),
    All("TabAppearance.HighLightColorDown", 0xFFFBD0),
    All("TabAppearance.HighLightColorHot", 0xFDF4ED),

    // The mirror half of the toolbar gradient, the hot toolbar gradient.
    Each("Color.Mirror.Color", 0xFADAC4, 0xEBDEDE, 0xB9EAE1, 0xDFE3E6, 0xF3E5DA, 0xE0DBD7,
         clBtnFace, 0xD2E6E8, 0xF8F4F1),
    Each("Color.Mirror.ColorTo", 0xFADAC4, 0xEBDEDE, 0xB9EAE1, 0xDFE3E6, 0xF0DED0, 0xE0DBD7,
         clBtnFace, 0xD2E6E8, 0xF8F4F1),
    Each("Color.Mirror.ColorMirror", 0xF9D2B9, 0xEBDEDE, 0xB9EAE1, 0xDFE3E6, 0xEDD9C8, 0xE0DBD7,
         clBtnFace, 0xD2E6E8, 0xF8F4F1),
    Each("Color.Mirror.ColorMirrorTo", 0xFCE1CE, 0xEBDEDE, 0xB9EAE1, 0xDFE3E6, 0xFBEDDC, 0xE0DBD7,
         clBtnFace, 0xD2E6E8, 0xF8F4F1),
    All("ColorHot.Color", 0xFFF1E6),
    All("ColorHot.ColorTo", 0xFAEADE),
    All("ColorHot.Direction", gdVertical),
    Family("ColorHot.Mirror.Color", 0xFBE2D2, 0xFDEFE5),
    Family("ColorHot.Mirror.ColorTo", 0xFBE2D2, 0xFCF0E7),
    Family("ColorHot.Mirror.ColorMirror", 0xFBDCC8, 0xFBE9DB),
    Family("ColorHot.Mirror.ColorMirrorTo", 0xFDE7D7, 0xFBEDDC),

    // Pager pages, caption and quick-access toolbar.
    All("PageAppearance.BorderColor", 0xE3B28D),
    Each("PageAppearance.Color", 0xFADAC4, 0xEBDEDE, 0xB9EAE1, 0xDFE3E6, 0xF3E5DA, 0xE0DBD7,
         clBtnFace, 0xD2E6E8, 0xF8F4F1),
    Each("PageAppearance.ColorTo", 0xFADAC4, 0xEBDEDE, 0xB9EAE1, 0xDFE3E6, 0xF0DED0, 0xE0DBD7,
         clBtnFace, 0xD2E6E8, 0xF8F4F1),
    Each("PageAppearance.ColorMirror", 0xF9D2B9, 0xEBDEDE, 0xB9EAE1, 0xDFE3E6, 0xEDD9C8, 0xE0DBD7,
         clBtnFace, 0xD2E6E8, 0xF8F4F1),
    Each("PageAppearance.ColorMirrorTo", 0xFDE8D7, 0xEBDEDE, 0xB9EAE1, 0xDFE3E6, 0xFFF4E3, 0xE0DBD7,
         clBtnFace, 0xD2E6E8, 0xF8F4F1),
    All("PageAppearance.Gradient", ggVertical),
    All("PageAppearance.GradientMirror", ggVertical),
    Family("PageAppearance.ShadowColor", 0xCD9D7A, 0xC4AA96),
    All("PageAppearance.HighLightColor", 0xFDF9CE),
    Each("PagerCaption.Color", 0xE4AE88, 0xE6D8D8, 0x8CC0B1, 0x808080, 0xECE7E2, 0x524743,
         clBtnFace, 0x859D9D, 0xEBE8E7),
    Each("PagerCaption.ColorTo", 0xE4AE88, 0xE6D8D8, 0x8CC0B1, 0x808080, 0xEDE5DE, 0x524743,
         clBtnFace, 0x859D9D, 0xEBE8E7),
    Each("PagerCaption.ColorMirror", 0xE4AE88, 0xE6D8D8, 0x8CC0B1, 0x808080, 0xECE1D8, 0x524743,
         clBtnFace, 0x859D9D, 0xEBE8E7),
    Each("PagerCaption.ColorMirrorTo", 0xE4AE88, 0xE6D8D8, 0x8CC0B1, 0x808080, 0xEFEBDF, 0x524743,
         clBtnFace, 0x859D9D, 0xEBE8E7),
    All("PagerCaption.BorderColor", 0xF0CAAE),
    All("PagerCaption.Gradient", ggVertical),
    All("PagerCaption.GradientMirror", ggVertical),
    Each("QATAppearance.Color", 0xFDEADA, 0xECE2E1, 0xCFF0EA, 0xFFFFFF, 0xF4E7DE, 0x847E7B,
         clBtnFace, 0xF5F9FA, 0xE7DCD5),
    Each("QATAppearance.ColorTo", 0xE4AE88, 0xB39698, 0x8CC0B1, 0xC9D1D5, 0xEED8C9, 0x474747,
         clBtnFace, 0xA8C0C0, 0xF4F4EE),
    Each("QATAppearance.BorderColor", 0x913500, 0x927476, 0x6B7760, 0x828F92, 0xD5B39A, 0xB4B0AE,
         clHighlight, 0x828F92, 0xC6B0B1),
    Each("QATAppearance.FullSizeColor", 0xE4AE88, 0xB39698, 0x8CC0B1, 0xC9D1D5, 0xEDCDB2, 0x474747,
         clBtnFace, 0xA8C0C0, 0xF4F4EE),
    Each("QATAppearance.FullSizeColorTo", 0xE4AE88, 0xB39698, 0x8CC0B1, 0xC9D1D5, 0xEAC5AA,
         0x474747, clBtnFace, 0xA8C0C0, 0xF4F4EE),
    Each("QATAppearance.FullSizeBorderColor", 0xE4AE88, 0xB39698, 0x8CC0B1, 0xC9D1D5, 0xCDA17E,
         0x474747, clBtnFace, 0xA8C0C0, 0xF4F4EE),
    Each("QATWideArc", N, N, N, N, N, 1, N, N, N),
};

// One column: every style that takes it writes the same values.
constexpr TPresetRow Common(const char* path, uint32_t value)
{
    return {path, {value}};
}

const TPresetRow CommonGlowRows[] = {
    Common("GlowButtonAppearance.ColorHot", 0xEBFDFF),
    Common("GlowButtonAppearance.ColorHotTo", 0xACECFF),
    Common("GlowButtonAppearance.ColorMirrorHot", 0x59DAFF),
    Common("GlowButtonAppearance.ColorMirrorHotTo", 0xA4E9FF),
    Common("GlowButtonAppearance.BorderColorHot", 0x99CEDB),
    Common("GlowButtonAppearance.GradientHot", ggVertical),
    Common("GlowButtonAppearance.GradientMirrorHot", ggVertical),
    Common("GlowButtonAppearance.ColorDown", 0x76AFF1),
    Common("GlowButtonAppearance.ColorDownTo", 0x4190F3),
    Common("GlowButtonAppearance.ColorMirrorDown", 0x0E72F1),
    Common("GlowButtonAppearance.ColorMirrorDownTo", 0x4C9FFD),
    Common("GlowButtonAppearance.BorderColorDown", 0x45667B),
    Common("GlowButtonAppearance.GradientDown", ggVertical),
    Common("GlowButtonAppearance.GradientMirrorDown", ggVertical),
    Common("GlowButtonAppearance.ColorChecked", 0xB5DBFB),
    Common("GlowButtonAppearance.ColorCheckedTo", 0x78C7FE),
    Common("GlowButtonAppearance.ColorMirrorChecked", 0x9FEBFD),
    Common("GlowButtonAppearance.ColorMirrorCheckedTo", 0x56B4FE),
    Common("GlowButtonAppearance.GradientChecked", ggVertical),
    Common("GlowButtonAppearance.GradientMirrorChecked", ggVertical),
};

} // namespace

int PresetColumn(int style)
{
    // Indexed by style number; bsOfficeXP writes the bsWindowsXP block.
    static constexpr int Columns[] = {0, 1, 2, 3, 4, 5, 6, 7, -1, 8, 6};
    if (style < 0 || style >= static_cast<int>(std::size(Columns)))
        return -1;
    return Columns[style];
}

std::span<const TPresetRow> PresetRows()
{
    return Rows;
}

std::span<const TPresetRow> CommonGlowButtonSet()
{
    return CommonGlowRows;
}

bool TakesCommonGlowButtonSet(int style)
{
    return style == bsOffice2003Blue || style == bsOffice2003Silver || style == bsOffice2003Olive ||
           style == bsWhidbeyStyle;
}

uint32_t PresetValue(int style, std::string_view path)
{
    const int column = PresetColumn(style);
    if (column < 0)
        return NotWritten;
    uint32_t value = NotWritten;
    for (const TPresetRow& row : Rows)
        if (!row.copyFrom && path == row.path &&
            row.values[static_cast<size_t>(column)] != NotWritten)
            value = row.values[static_cast<size_t>(column)];
    return value;
}

uint32_t SwapRedBlue(uint32_t color)
{
    return (color & 0xFF00FF00u) | ((color & 0xFFu) << 16) | ((color >> 16) & 0xFFu);
}

TToolBarStyle StyleForXPColorScheme(int scheme)
{
    static constexpr TToolBarStyle Styles[] = {bsOffice2003Classic, bsOffice2003Blue,
                                               bsOffice2003Olive, bsOffice2003Silver};
    if (scheme < 0 || scheme >= static_cast<int>(std::size(Styles)))
        return bsOffice2003Classic;
    return Styles[scheme];
}

} // namespace toolbar
