// The appearance objects of the office menus: persistent property bags a menu styler owns and
// the owner-draw engine reads on every paint. They store values and, for some properties, ask
// the menu they belong to for a refresh (with or without measuring the items again).
#pragma once

#include "core/Object.h"
#include "core/TypeInfo.h"
#include "windows/Graphics.h"
#include "windows/Images.h"
#include "windows/StdCtrls.h"

namespace classlib {
class TMenu;
}

namespace menus {

using classlib::TBitmap;
using classlib::TColor;
using classlib::TFont;
using classlib::TMenu;
using classlib::TPersistent;
using classlib::TPicture;

// Names and order are part of the streamed format. Vertical comes first here (the toolbar
// module's type of the same name has the opposite order).
enum TGradientDirection { gdVertical, gdHorizontal };
enum TGradientType { gtLeft, gtRight, gtBoth };
enum TSideBarVisibleIn { viFirstVisible, viFirstLevel, viAnyLevel };
enum TDirection { dDownToUp, dUpToDown };
enum TBackgroundPosition {
    bpTopLeft,
    bpTopRight,
    bpBottomLeft,
    bpBottomRight,
    bpTopCenter,
    bpBottomCenter,
    bpTiled,
    bpStretched,
    bpCenter,
    bpXY
};
CLASSLIB_ENUM(TGradientDirection);
CLASSLIB_ENUM(TGradientType);
CLASSLIB_ENUM(TSideBarVisibleIn);
CLASSLIB_ENUM(TDirection);
CLASSLIB_ENUM(TBackgroundPosition);

// Asks the menu (when it is an office menu) to repaint, re-measuring its items when asked.
void RefreshOwnerMenu(TMenu* menu, bool remeasure);

// A colour pair with a direction; the base of the icon bar, selected item, root item,
// background and separator objects. Its setters only store.
class TGradientBar : public TPersistent {
    CLASSLIB_CLASS(TGradientBar, TPersistent)
    explicit TGradientBar(TMenu* menu = nullptr);
    void Assign(TPersistent* source) override;

    // 0 = Color, 1 = ColorTo; any other index raises EInvalidPropertyIndex.
    TColor GetColor(int index) const;
    void SetColor(int index, TColor value);
    TColor Color() const { return colors_[0]; }
    TColor ColorTo() const { return colors_[1]; }
    TGradientDirection GradientDirection() const { return direction_; }
    void SetGradientDirection(TGradientDirection value) { direction_ = value; }
    TMenu* Menu() const { return menu_; }
    void SetMenu(TMenu* menu) { menu_ = menu; }

protected:
    void Refresh(bool remeasure) const { RefreshOwnerMenu(menu_, remeasure); }

    TGradientDirection direction_ = gdVertical;
    TMenu* menu_ = nullptr;
    TColor colors_[2] = {0xD8BDAF, classlib::clNone};
};

// A check or radio box colour set: colour pair (indexed 0, 1), border and direction.
struct TBoxColors {
    TColor color;
    TColor colorTo;
    TColor border;
    TGradientDirection direction;
    TColor Get(int index) const;
    void Set(int index, TColor value);
};

class TIconBar : public TGradientBar {
    CLASSLIB_CLASS(TIconBar, TGradientBar)
    explicit TIconBar(TMenu* menu = nullptr);
    void Assign(TPersistent* source) override;

    TColor GetCheckColor(int index) const { return check_.Get(index); }
    void SetCheckColor(int index, TColor value);
    TColor CheckBorder() const { return check_.border; }
    void SetCheckBorder(TColor value) { check_.border = value; }
    TGradientDirection CheckGradientDirection() const { return check_.direction; }
    void SetCheckGradientDirection(TGradientDirection value) { check_.direction = value; }
    TColor GetRadioColor(int index) const { return radio_.Get(index); }
    void SetRadioColor(int index, TColor value);
    TColor RadioBorder() const { return radio_.border; }
    void SetRadioBorder(TColor value) { radio_.border = value; }
    TGradientDirection RadioGradientDirection() const { return radio_.direction; }
    void SetRadioGradientDirection(TGradientDirection value) { radio_.direction = value; }
    TColor SeparatorColor() const { return separatorColor_; }
    void SetSeparatorColor(TColor value) { separatorColor_ = value; }
    int Size() const { return size_; }
    // At least 16; the items are measured again.
    void SetSize(int value);
    const TBoxColors& Check() const { return check_; }
    const TBoxColors& Radio() const { return radio_; }

private:
    TBoxColors check_{0x6FC0FF, classlib::clNone, 0x6F4B4B, gdVertical};
    TBoxColors radio_{0x6FC0FF, classlib::clNone, 0x6F4B4B, gdVertical};
    TColor separatorColor_ = classlib::clNone;
    int size_ = 24;
};

class TSelectedItem : public TGradientBar {
    CLASSLIB_CLASS(TSelectedItem, TGradientBar)
    explicit TSelectedItem(TMenu* menu = nullptr);
    ~TSelectedItem() override;
    void Assign(TPersistent* source) override;

    TColor ColorMirror() const { return colorMirror_; }
    void SetColorMirror(TColor value) { colorMirror_ = value; }
    TColor ColorMirrorTo() const { return colorMirrorTo_; }
    void SetColorMirrorTo(TColor value) { colorMirrorTo_ = value; }
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value) { borderColor_ = value; }
    TFont* Font() const { return font_; }
    void SetFont(TFont* value);
    TFont* NotesFont() const { return notesFont_; }
    void SetNotesFont(TFont* value);
    bool UseSystemFont() const { return useSystemFont_; }
    void SetUseSystemFont(bool value);
    TColor GetCheckColor(int index) const { return check_.Get(index); }
    void SetCheckColor(int index, TColor value);
    TColor CheckBorder() const { return check_.border; }
    void SetCheckBorder(TColor value) { check_.border = value; }
    TGradientDirection CheckGradientDirection() const { return check_.direction; }
    void SetCheckGradientDirection(TGradientDirection value) { check_.direction = value; }
    TColor GetRadioColor(int index) const { return radio_.Get(index); }
    void SetRadioColor(int index, TColor value);
    TColor RadioBorder() const { return radio_.border; }
    void SetRadioBorder(TColor value) { radio_.border = value; }
    TGradientDirection RadioGradientDirection() const { return radio_.direction; }
    void SetRadioGradientDirection(TGradientDirection value) { radio_.direction = value; }
    const TBoxColors& Check() const { return check_; }
    const TBoxColors& Radio() const { return radio_; }

private:
    TColor colorMirror_ = classlib::clNone;
    TColor colorMirrorTo_ = classlib::clNone;
    TColor borderColor_ = 0x6F4B4B;
    TFont* font_;
    TFont* notesFont_;
    bool useSystemFont_ = true;
    TBoxColors check_{0x3E80FE, classlib::clNone, 0x6F4B4B, gdVertical};
    TBoxColors radio_{0x3E80FE, classlib::clNone, 0x6F4B4B, gdVertical};
};

// One look of a menu-bar item: four colours (indexed 0-3: colour, to, mirror, mirror to),
// direction, border and text colour.
struct TRootItemLook {
    TColor colors[4];
    TGradientDirection direction;
    TColor border;
    TColor text;
};

class TRootItem : public TGradientBar {
    CLASSLIB_CLASS(TRootItem, TGradientBar)
    explicit TRootItem(TMenu* menu = nullptr);
    ~TRootItem() override;
    void Assign(TPersistent* source) override;

    TFont* Font() const { return font_; }
    void SetFont(TFont* value);
    bool UseSystemFont() const { return useSystemFont_; }
    void SetUseSystemFont(bool value);
    // 0 colour, 1 to, 2 mirror, 3 mirror to; other indexes raise EInvalidPropertyIndex.
    TColor GetSelectedColor(int index) const;
    void SetSelectedColor(int index, TColor value);
    TGradientDirection SelectedGradientDirection() const { return selected_.direction; }
    void SetSelectedGradientDirection(TGradientDirection value) { selected_.direction = value; }
    TColor SelectedBorderColor() const { return selected_.border; }
    void SetSelectedBorderColor(TColor value) { selected_.border = value; }
    TColor SelectedTextColor() const { return selected_.text; }
    void SetSelectedTextColor(TColor value) { selected_.text = value; }
    TColor GetHoverColor(int index) const;
    void SetHoverColor(int index, TColor value);
    TGradientDirection HoverGradientDirection() const { return hover_.direction; }
    void SetHoverGradientDirection(TGradientDirection value) { hover_.direction = value; }
    TColor HoverBorderColor() const { return hover_.border; }
    void SetHoverBorderColor(TColor value) { hover_.border = value; }
    TColor HoverTextColor() const { return hover_.text; }
    void SetHoverTextColor(TColor value) { hover_.text = value; }
    const TRootItemLook& Selected() const { return selected_; }
    const TRootItemLook& Hover() const { return hover_; }

private:
    TFont* font_;
    bool useSystemFont_ = true;
    TRootItemLook selected_{{0xF2E8E8, 0xCDB8B9, classlib::clNone, classlib::clNone},
                            gdVertical,
                            0x947C7C,
                            classlib::clWindowText};
    TRootItemLook hover_{{0xCFF6FF, 0x9DD8FF, classlib::clNone, classlib::clNone},
                         gdVertical,
                         0x6F4B4B,
                         classlib::clWindowText};
};

class TBackground : public TGradientBar {
    CLASSLIB_CLASS(TBackground, TGradientBar)
    explicit TBackground(TMenu* menu = nullptr);
    ~TBackground() override;
    void Assign(TPersistent* source) override;

    // Created on first use; a bitmap in it is drawn transparent (automatic mode).
    TPicture* Image();
    // nullptr clears and frees the picture; otherwise it is copied. Then a refresh.
    void SetImage(TPicture* value);
    // The picture when it exists, without creating it.
    TPicture* ImageIfAny() const { return image_; }
    bool HasPicture() const;
    TBackgroundPosition Position() const { return position_; }
    void SetPosition(TBackgroundPosition value) { position_ = value; }
    int OffsetX() const { return offsetX_; }
    void SetOffsetX(int value) { offsetX_ = value; }
    int OffsetY() const { return offsetY_; }
    void SetOffsetY(int value) { offsetY_ = value; }
    int MarginX() const { return marginX_; }
    void SetMarginX(int value) { marginX_ = value; }
    int MarginY() const { return marginY_; }
    void SetMarginY(int value) { marginY_ = value; }
    // The bitmap the background is composed in (created on first use).
    TBitmap* Cache();
    // Where the picture goes inside `r` (its position rule); false without a picture.
    bool PicturePosition(const RECT& r, int& x, int& y);

private:
    TPicture* image_ = nullptr;
    TBitmap* cache_ = nullptr;
    TBackgroundPosition position_ = bpCenter;
    int offsetX_ = 0, offsetY_ = 0, marginX_ = 0, marginY_ = 0;
};

class TSeparator : public TGradientBar {
    CLASSLIB_CLASS(TSeparator, TGradientBar)
    explicit TSeparator(TMenu* menu = nullptr);
    void Assign(TPersistent* source) override;

    int Width() const { return width_; }
    void SetWidth(int value) { width_ = value; }
    TGradientType GradientType() const { return gradientType_; }
    void SetGradientType(TGradientType value) { gradientType_ = value; }
    int GradientWidth() const { return gradientWidth_; }
    void SetGradientWidth(int value) { gradientWidth_ = value; }
    int Margin() const { return margin_; }
    void SetMargin(int value) { margin_ = value; }

private:
    int width_ = 1;
    TGradientType gradientType_ = gtBoth;
    int gradientWidth_ = 0;
    int margin_ = 2;
};

// The check, radio and sub-menu arrow glyphs (monochrome, black drawing on white).
class TMenuGlyphs : public TPersistent {
    CLASSLIB_CLASS(TMenuGlyphs, TPersistent)
    explicit TMenuGlyphs(TMenu* menu = nullptr);
    ~TMenuGlyphs() override;
    void Assign(TPersistent* source) override;

    TBitmap* SubMenu() const { return subMenu_; }
    void SetSubMenu(TBitmap* value);
    TBitmap* Check() const { return check_; }
    void SetCheck(TBitmap* value);
    TBitmap* Radio() const { return radio_; }
    void SetRadio(TBitmap* value);
    void SetMenu(TMenu* menu) { menu_ = menu; }

private:
    void SetGlyph(TBitmap* target, TBitmap* value);
    TMenu* menu_ = nullptr;
    TBitmap* subMenu_;
    TBitmap* check_;
    TBitmap* radio_;
};

class TBarCaption : public TPersistent {
    CLASSLIB_CLASS(TBarCaption, TPersistent)
    explicit TBarCaption(TMenu* menu = nullptr);
    ~TBarCaption() override;
    void Assign(TPersistent* source) override;

    classlib::TAlignment Alignment() const { return alignment_; }
    void SetAlignment(classlib::TAlignment value) { alignment_ = value; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value) { caption_ = value; }
    TFont* Font() const { return font_; }
    void SetFont(TFont* value);
    TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(TColor value) { shadowColor_ = value; }
    int Depth() const { return depth_; }
    void SetDepth(int value) { depth_ = value; }
    TDirection Direction() const { return direction_; }
    void SetDirection(TDirection value) { direction_ = value; }
    int CaptionOffset() const { return captionOffset_; }
    TColor HighlightColor() const { return highlightColor_; }
    void SetHighlightColor(TColor value) { highlightColor_ = value; }
    TMenu* Menu() const { return menu_; }
    void SetMenu(TMenu* menu) { menu_ = menu; }

protected:
    TMenu* menu_ = nullptr;

private:
    int captionOffset_ = 6;
    classlib::TAlignment alignment_ = classlib::taLeftJustify;
    std::string caption_;
    TFont* font_;
    TColor shadowColor_ = classlib::clNone;
    TColor highlightColor_ = classlib::clNone;
    int depth_ = 1;
    TDirection direction_ = dDownToUp;
};

class TSideBar : public TBarCaption {
    CLASSLIB_CLASS(TSideBar, TBarCaption)
    explicit TSideBar(TMenu* menu = nullptr);
    ~TSideBar() override;
    void Assign(TPersistent* source) override;

    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    TSideBarVisibleIn VisibleIn() const { return visibleIn_; }
    void SetVisibleIn(TSideBarVisibleIn value) { visibleIn_ = value; }
    TBackground* Image() const { return image_; }
    void SetImage(TBackground* value);
    TBackground* Background() const { return background_; }
    void SetBackground(TBackground* value);
    int Size() const { return size_; }
    void SetSize(int value) { size_ = value; }
    TColor SplitterColor() const { return splitterColor_; }
    void SetSplitterColor(TColor value) { splitterColor_ = value; }
    TColor SplitterColorTo() const { return splitterColorTo_; }
    void SetSplitterColorTo(TColor value) { splitterColorTo_ = value; }
    int SplitterWidth() const { return splitterWidth_; }
    void SetSplitterWidth(int value) { splitterWidth_ = value; }
    int SplitterMargin() const { return splitterMargin_; }
    void SetSplitterMargin(int value) { splitterMargin_ = value; }
    int SplitterGradientWidth() const { return splitterGradientWidth_; }
    void SetSplitterGradientWidth(int value) { splitterGradientWidth_ = value; }
    TGradientType SplitterGradientType() const { return splitterGradientType_; }
    void SetSplitterGradientType(TGradientType value) { splitterGradientType_ = value; }
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value) { borderColor_ = value; }

private:
    bool visible_ = false;
    TSideBarVisibleIn visibleIn_ = viFirstVisible;
    TBackground* image_;
    TBackground* background_;
    int size_ = 24;
    TColor splitterColor_ = 0x808080;
    TColor splitterColorTo_ = classlib::clNone;
    int splitterWidth_ = 1;
    int splitterMargin_ = 0;
    int splitterGradientWidth_ = 0;
    TGradientType splitterGradientType_ = gtBoth;
    TColor borderColor_ = 0xA19D9D;
};

// Colours of buttons on a menu bar, carried for hosts that draw such buttons (the owner-draw
// engine does not use them).
class TButtonAppearance : public TPersistent {
    CLASSLIB_CLASS(TButtonAppearance, TPersistent)
    TButtonAppearance();
    ~TButtonAppearance() override;
    void Assign(TPersistent* source) override;

    // 0 Color, 1 ColorTo, 2 DownColor, 3 DownColorTo, 4 HoverColor, 5 HoverColorTo,
    // 6 BorderColor: each setter stores a changed value and fires OnChange.
    TColor GetColorAt(int index) const;
    void SetColorAt(int index, TColor value);
    TGradientDirection GradientDirection() const { return direction_; }
    void SetGradientDirection(TGradientDirection value);
    TColor DownBorderColor() const { return downBorderColor_; }
    void SetDownBorderColor(TColor value) { downBorderColor_ = value; }
    TColor HoverBorderColor() const { return hoverBorderColor_; }
    void SetHoverBorderColor(TColor value) { hoverBorderColor_ = value; }
    TFont* CaptionFont() const { return captionFont_; }
    void SetCaptionFont(TFont* value);
    bool UseSystemFont() const { return useSystemFont_; }
    void SetUseSystemFont(bool value);
    classlib::TNotifyEvent OnChange;

private:
    void Changed();
    TColor colors_[7] = {classlib::clNone, classlib::clNone, 0xB59285,        classlib::clNone,
                         0xD2BDB6,         classlib::clNone, classlib::clNone};
    TGradientDirection direction_ = gdVertical;
    TColor downBorderColor_ = 0x6A240A;
    TColor hoverBorderColor_ = 0x6A240A;
    TFont* captionFont_;
    bool useSystemFont_ = true;
};

// "Segoe UI" on Vista and later (kernel32 exports GetLocaleInfoEx), else "Tahoma".
const char* SystemFontName();

void RegisterMenuAppearanceClasses();

} // namespace menus
