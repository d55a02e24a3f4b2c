#include "menus/AdvMenuAppearance.h"

#include "menus/AdvMenuUtil.h"
#include "windows/Menus.h"
#include "windows/Screen.h"

#include <algorithm>

namespace menus {

using namespace classlib;

CLASSLIB_DEFINE_ENUM(TGradientDirection, "gdVertical", "gdHorizontal")
CLASSLIB_DEFINE_ENUM(TGradientType, "gtLeft", "gtRight", "gtBoth")
CLASSLIB_DEFINE_ENUM(TSideBarVisibleIn, "viFirstVisible", "viFirstLevel", "viAnyLevel")
CLASSLIB_DEFINE_ENUM(TDirection, "dDownToUp", "dUpToDown")
CLASSLIB_DEFINE_ENUM(TBackgroundPosition, "bpTopLeft", "bpTopRight", "bpBottomLeft",
                     "bpBottomRight", "bpTopCenter", "bpBottomCenter", "bpTiled", "bpStretched",
                     "bpCenter", "bpXY")

namespace {

TFont* MenuFontCopy()
{
    auto* font = new TFont();
    font->Assign(Screen->MenuFont());
    return font;
}

TFont* NotesFontCopy(TColor color)
{
    TFont* font = MenuFontCopy();
    font->SetSize(font->Size() - 2);
    font->SetColor(color);
    return font;
}

// The glyphs as pixel rows: 'X' is the black drawing, '.' the white ground.
const char* const kCheckGlyph[] = {
    "................", "................", "................", "................",
    "................", "..........X.....", ".........XX.....", "....X...XXX.....",
    "....XX.XXX......", "....XXXXX.......", ".....XXX........", "......X.........",
    "................", "................", "................", "................",
};
const char* const kRadioGlyph[] = {
    "................", "................", "................", "................",
    "................", ".......XX.......", "......XXXX......", ".....XXXXXX.....",
    ".....XXXXXX.....", "......XXXX......", ".......XX.......", "................",
    "................", "................", "................", "................",
};
const char* const kSubMenuGlyph[] = {"X...", "XX..", "XXX.", "XXXX", "XXX.", "XX..", "X..."};

// The white ground is transparent. (The automatic mode would take the bottom-left pixel, which
// is part of the drawing in the sub-menu arrow.)
void MakeGlyphTransparent(TBitmap* glyph)
{
    glyph->SetTransparent(true);
    glyph->SetTransparentMode(tmFixed);
    glyph->SetTransparentColor(clWhite);
}

template <size_t Rows>
TBitmap* MakeGlyph(const char* const (&rows)[Rows])
{
    const int height = static_cast<int>(Rows);
    const int width = static_cast<int>(std::char_traits<char>::length(rows[0]));
    // A monochrome bitmap: a set bit is white, a clear bit black; rows padded to 16 bits.
    const int stride = (width + 15) / 16 * 2;
    std::vector<BYTE> bits(static_cast<size_t>(stride * height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (rows[y][x] != 'X')
                bits[static_cast<size_t>(y * stride + x / 8)] |= static_cast<BYTE>(0x80 >> (x % 8));
    auto* bitmap = new TBitmap();
    bitmap->SetHandle(CreateBitmap(width, height, 1, 1, bits.data()));
    MakeGlyphTransparent(bitmap);
    return bitmap;
}

} // namespace

const char* SystemFontName()
{
    HMODULE kernel = GetModuleHandleA("kernel32");
    return kernel && GetProcAddress(kernel, "GetLocaleInfoEx") ? "Segoe UI" : "Tahoma";
}

void RefreshOwnerMenu(TMenu* menu, bool remeasure);

// ---- TGradientBar ---------------------------------------------------------------------------

CLASSLIB_PUBLISH(TGradientBar) {}

TGradientBar::TGradientBar(TMenu* menu) : menu_(menu) {}

TColor TGradientBar::GetColor(int index) const
{
    if (index < 0 || index > 1)
        RaiseInvalidPropertyIndex(index);
    return colors_[index];
}

void TGradientBar::SetColor(int index, TColor value)
{
    if (index < 0 || index > 1)
        RaiseInvalidPropertyIndex(index);
    colors_[index] = value;
}

void TGradientBar::Assign(TPersistent* source)
{
    if (auto* bar = dynamic_cast<TGradientBar*>(source)) {
        colors_[0] = bar->colors_[0];
        colors_[1] = bar->colors_[1];
        direction_ = bar->direction_;
        return;
    }
    TPersistent::Assign(source);
}

TColor TBoxColors::Get(int index) const
{
    if (index < 0 || index > 1)
        RaiseInvalidPropertyIndex(index);
    return index == 0 ? color : colorTo;
}

void TBoxColors::Set(int index, TColor value)
{
    if (index < 0 || index > 1)
        RaiseInvalidPropertyIndex(index);
    (index == 0 ? color : colorTo) = value;
}

// ---- TIconBar -------------------------------------------------------------------------------

CLASSLIB_PUBLISH(TIconBar)
{
    AsColorProperty(c.IndexedProperty("Color", 0, &TIconBar::GetColor, &TIconBar::SetColor))
        .SetDefault(0xFFF9F9);
    AsColorProperty(c.IndexedProperty("ColorTo", 1, &TIconBar::GetColor, &TIconBar::SetColor))
        .SetDefault(0xBBA0A1);
    c.Property("GradientDirection", &TIconBar::GradientDirection, &TIconBar::SetGradientDirection)
        .SetDefault(gdHorizontal);
    AsColorProperty(
        c.IndexedProperty("CheckColor", 0, &TIconBar::GetCheckColor, &TIconBar::SetCheckColor))
        .SetDefault(0x6FC0FF);
    AsColorProperty(
        c.IndexedProperty("CheckColorTo", 1, &TIconBar::GetCheckColor, &TIconBar::SetCheckColor))
        .SetDefault(clNone);
    AsColorProperty(c.Property("CheckBorder", &TIconBar::CheckBorder, &TIconBar::SetCheckBorder))
        .SetDefault(0x6F4B4B);
    c.Property("CheckGradientDirection", &TIconBar::CheckGradientDirection,
               &TIconBar::SetCheckGradientDirection)
        .SetDefault(gdVertical);
    AsColorProperty(
        c.IndexedProperty("RadioColor", 0, &TIconBar::GetRadioColor, &TIconBar::SetRadioColor))
        .SetDefault(0x6FC0FF);
    AsColorProperty(
        c.IndexedProperty("RadioColorTo", 1, &TIconBar::GetRadioColor, &TIconBar::SetRadioColor))
        .SetDefault(clNone);
    AsColorProperty(c.Property("RadioBorder", &TIconBar::RadioBorder, &TIconBar::SetRadioBorder))
        .SetDefault(0x6F4B4B);
    c.Property("RadioGradientDirection", &TIconBar::RadioGradientDirection,
               &TIconBar::SetRadioGradientDirection)
        .SetDefault(gdVertical);
    AsColorProperty(
        c.Property("SeparatorColor", &TIconBar::SeparatorColor, &TIconBar::SetSeparatorColor))
        .SetDefault(clNone);
    c.Property("Size", &TIconBar::Size, &TIconBar::SetSize).SetDefault(24);
}

TIconBar::TIconBar(TMenu* menu) : TGradientBar(menu)
{
    colors_[0] = 0xFFF9F9;
    colors_[1] = 0xBBA0A1;
    direction_ = gdHorizontal;
}

void TIconBar::SetCheckColor(int index, TColor value)
{
    check_.Set(index, value);
    Refresh(false);
}

void TIconBar::SetRadioColor(int index, TColor value)
{
    radio_.Set(index, value);
    Refresh(false);
}

void TIconBar::SetSize(int value)
{
    size_ = std::max(value, 16);
    Refresh(true);
}

void TIconBar::Assign(TPersistent* source)
{
    auto* bar = dynamic_cast<TIconBar*>(source);
    if (!bar) {
        TGradientBar::Assign(source);
        return;
    }
    check_ = bar->check_;
    radio_ = bar->radio_;
    SetSize(bar->size_);
    separatorColor_ = bar->separatorColor_;
}

// ---- TSelectedItem --------------------------------------------------------------------------

CLASSLIB_PUBLISH(TSelectedItem)
{
    AsColorProperty(
        c.IndexedProperty("Color", 0, &TSelectedItem::GetColor, &TSelectedItem::SetColor))
        .SetDefault(0xC2EEFF);
    AsColorProperty(
        c.IndexedProperty("ColorTo", 1, &TSelectedItem::GetColor, &TSelectedItem::SetColor))
        .SetDefault(clNone);
    AsColorProperty(
        c.Property("ColorMirror", &TSelectedItem::ColorMirror, &TSelectedItem::SetColorMirror))
        .SetDefault(clNone);
    AsColorProperty(c.Property("ColorMirrorTo", &TSelectedItem::ColorMirrorTo,
                               &TSelectedItem::SetColorMirrorTo))
        .SetDefault(clNone);
    c.Property("GradientDirection", &TSelectedItem::GradientDirection,
               &TSelectedItem::SetGradientDirection)
        .SetDefault(gdVertical);
    AsColorProperty(
        c.Property("BorderColor", &TSelectedItem::BorderColor, &TSelectedItem::SetBorderColor))
        .SetDefault(0x6F4B4B);
    c.Property("Font", &TSelectedItem::Font, &TSelectedItem::SetFont);
    c.Property("NotesFont", &TSelectedItem::NotesFont, &TSelectedItem::SetNotesFont);
    c.Property("UseSystemFont", &TSelectedItem::UseSystemFont, &TSelectedItem::SetUseSystemFont)
        .SetDefault(true);
    AsColorProperty(c.IndexedProperty("CheckColor", 0, &TSelectedItem::GetCheckColor,
                                      &TSelectedItem::SetCheckColor))
        .SetDefault(0x3E80FE);
    AsColorProperty(c.IndexedProperty("CheckColorTo", 1, &TSelectedItem::GetCheckColor,
                                      &TSelectedItem::SetCheckColor))
        .SetDefault(clNone);
    AsColorProperty(
        c.Property("CheckBorder", &TSelectedItem::CheckBorder, &TSelectedItem::SetCheckBorder))
        .SetDefault(0x6F4B4B);
    c.Property("CheckGradientDirection", &TSelectedItem::CheckGradientDirection,
               &TSelectedItem::SetCheckGradientDirection)
        .SetDefault(gdVertical);
    AsColorProperty(c.IndexedProperty("RadioColor", 0, &TSelectedItem::GetRadioColor,
                                      &TSelectedItem::SetRadioColor))
        .SetDefault(0x3E80FE);
    AsColorProperty(c.IndexedProperty("RadioColorTo", 1, &TSelectedItem::GetRadioColor,
                                      &TSelectedItem::SetRadioColor))
        .SetDefault(clNone);
    AsColorProperty(
        c.Property("RadioBorder", &TSelectedItem::RadioBorder, &TSelectedItem::SetRadioBorder))
        .SetDefault(0x6F4B4B);
    c.Property("RadioGradientDirection", &TSelectedItem::RadioGradientDirection,
               &TSelectedItem::SetRadioGradientDirection)
        .SetDefault(gdVertical);
}

TSelectedItem::TSelectedItem(TMenu* menu)
    : TGradientBar(menu), font_(MenuFontCopy()), notesFont_(NotesFontCopy(clWindowText))
{
    colors_[0] = 0xC2EEFF;
    colors_[1] = clNone;
    direction_ = gdVertical;
    font_->SetColor(clWindowText);
}

TSelectedItem::~TSelectedItem()
{
    delete font_;
    delete notesFont_;
}

void TSelectedItem::SetFont(TFont* value)
{
    font_->Assign(value);
    Refresh(true);
}

void TSelectedItem::SetNotesFont(TFont* value)
{
    notesFont_->Assign(value);
    Refresh(true);
}

void TSelectedItem::SetUseSystemFont(bool value)
{
    useSystemFont_ = value;
    Refresh(true);
}

void TSelectedItem::SetCheckColor(int index, TColor value)
{
    check_.Set(index, value);
    Refresh(false);
}

void TSelectedItem::SetRadioColor(int index, TColor value)
{
    radio_.Set(index, value);
    Refresh(false);
}

void TSelectedItem::Assign(TPersistent* source)
{
    auto* item = dynamic_cast<TSelectedItem*>(source);
    if (!item) {
        TGradientBar::Assign(source);
        return;
    }
    colorMirror_ = item->colorMirror_;
    colorMirrorTo_ = item->colorMirrorTo_;
    borderColor_ = item->borderColor_;
    SetFont(item->font_);
    SetUseSystemFont(item->useSystemFont_);
    // The check border is not among what is copied.
    const TColor checkBorder = check_.border;
    check_ = item->check_;
    check_.border = checkBorder;
    radio_ = item->radio_;
}

// ---- TRootItem ------------------------------------------------------------------------------

CLASSLIB_PUBLISH(TRootItem)
{
    AsColorProperty(c.IndexedProperty("Color", 0, &TRootItem::GetColor, &TRootItem::SetColor))
        .SetDefault(0xE5D7D7);
    AsColorProperty(c.IndexedProperty("ColorTo", 1, &TRootItem::GetColor, &TRootItem::SetColor))
        .SetDefault(0xF7F2F2);
    c.Property("GradientDirection", &TRootItem::GradientDirection, &TRootItem::SetGradientDirection)
        .SetDefault(gdHorizontal);
    c.Property("Font", &TRootItem::Font, &TRootItem::SetFont);
    c.Property("UseSystemFont", &TRootItem::UseSystemFont, &TRootItem::SetUseSystemFont)
        .SetDefault(true);
    static constexpr const char* selectedNames[] = {"SelectedColor", "SelectedColorTo",
                                                    "SelectedColorMirror", "SelectedColorMirrorTo"};
    static constexpr const char* hoverNames[] = {"HoverColor", "HoverColorTo", "HoverColorMirror",
                                                 "HoverColorMirrorTo"};
    static constexpr TColor selectedDefaults[] = {0xF2E8E8, 0xCDB8B9, clNone, clNone};
    static constexpr TColor hoverDefaults[] = {0xCFF6FF, 0x9DD8FF, clNone, clNone};
    for (int i = 0; i < 4; ++i)
        AsColorProperty(c.IndexedProperty(selectedNames[i], i, &TRootItem::GetSelectedColor,
                                          &TRootItem::SetSelectedColor))
            .SetDefault(selectedDefaults[i]);
    c.Property("SelectedGradientDirection", &TRootItem::SelectedGradientDirection,
               &TRootItem::SetSelectedGradientDirection)
        .SetDefault(gdVertical);
    AsColorProperty(c.Property("SelectedBorderColor", &TRootItem::SelectedBorderColor,
                               &TRootItem::SetSelectedBorderColor))
        .SetDefault(0x947C7C);
    AsColorProperty(c.Property("SelectedTextColor", &TRootItem::SelectedTextColor,
                               &TRootItem::SetSelectedTextColor))
        .SetDefault(clWindowText);
    for (int i = 0; i < 4; ++i)
        AsColorProperty(c.IndexedProperty(hoverNames[i], i, &TRootItem::GetHoverColor,
                                          &TRootItem::SetHoverColor))
            .SetDefault(hoverDefaults[i]);
    c.Property("HoverGradientDirection", &TRootItem::HoverGradientDirection,
               &TRootItem::SetHoverGradientDirection)
        .SetDefault(gdVertical);
    AsColorProperty(c.Property("HoverBorderColor", &TRootItem::HoverBorderColor,
                               &TRootItem::SetHoverBorderColor))
        .SetDefault(0x6F4B4B);
    AsColorProperty(
        c.Property("HoverTextColor", &TRootItem::HoverTextColor, &TRootItem::SetHoverTextColor))
        .SetDefault(clWindowText);
}

TRootItem::TRootItem(TMenu* menu) : TGradientBar(menu), font_(MenuFontCopy())
{
    colors_[0] = 0xE5D7D7;
    colors_[1] = 0xF7F2F2;
    direction_ = gdHorizontal;
}

TRootItem::~TRootItem()
{
    delete font_;
}

void TRootItem::SetFont(TFont* value)
{
    font_->Assign(value);
    Refresh(true);
}

void TRootItem::SetUseSystemFont(bool value)
{
    useSystemFont_ = value;
    Refresh(true);
}

TColor TRootItem::GetSelectedColor(int index) const
{
    if (index < 0 || index > 3)
        RaiseInvalidPropertyIndex(index);
    return selected_.colors[index];
}

void TRootItem::SetSelectedColor(int index, TColor value)
{
    if (index < 0 || index > 3)
        RaiseInvalidPropertyIndex(index);
    selected_.colors[index] = value;
    Refresh(true);
}

TColor TRootItem::GetHoverColor(int index) const
{
    if (index < 0 || index > 3)
        RaiseInvalidPropertyIndex(index);
    return hover_.colors[index];
}

void TRootItem::SetHoverColor(int index, TColor value)
{
    if (index < 0 || index > 3)
        RaiseInvalidPropertyIndex(index);
    hover_.colors[index] = value;
    Refresh(true);
}

void TRootItem::Assign(TPersistent* source)
{
    auto* item = dynamic_cast<TRootItem*>(source);
    if (!item) {
        TGradientBar::Assign(source);
        return;
    }
    SetFont(item->font_);
    SetUseSystemFont(item->useSystemFont_);
    SetSelectedColor(0, item->selected_.colors[0]);
    SetSelectedColor(1, item->selected_.colors[1]);
    selected_.direction = item->selected_.direction;
    selected_.border = item->selected_.border;
    selected_.text = item->selected_.text;
    SetHoverColor(0, item->hover_.colors[0]);
    SetHoverColor(1, item->hover_.colors[1]);
    hover_.direction = item->hover_.direction;
    hover_.border = item->hover_.border;
    hover_.text = item->hover_.text;
    SetSelectedColor(2, item->selected_.colors[2]);
    SetSelectedColor(3, item->selected_.colors[3]);
}

// ---- TBackground ----------------------------------------------------------------------------

CLASSLIB_PUBLISH(TBackground)
{
    c.Property("Image", &TBackground::ImageIfAny, &TBackground::SetImage)
        .Stored(&TBackground::HasPicture);
    c.Property("Position", &TBackground::Position, &TBackground::SetPosition);
    c.Property("OffsetX", &TBackground::OffsetX, &TBackground::SetOffsetX).SetDefault(0);
    c.Property("OffsetY", &TBackground::OffsetY, &TBackground::SetOffsetY).SetDefault(0);
    c.Property("MarginX", &TBackground::MarginX, &TBackground::SetMarginX).SetDefault(0);
    c.Property("MarginY", &TBackground::MarginY, &TBackground::SetMarginY).SetDefault(0);
    AsColorProperty(c.IndexedProperty("Color", 0, &TBackground::GetColor, &TBackground::SetColor))
        .SetDefault(0xFFFAFD);
    AsColorProperty(c.IndexedProperty("ColorTo", 1, &TBackground::GetColor, &TBackground::SetColor))
        .SetDefault(clNone);
    c.Property("GradientDirection", &TBackground::GradientDirection,
               &TBackground::SetGradientDirection)
        .SetDefault(gdVertical);
}

TBackground::TBackground(TMenu* menu) : TGradientBar(menu)
{
    colors_[0] = 0xFFFAFD;
    colors_[1] = clNone;
    direction_ = gdVertical;
}

TBackground::~TBackground()
{
    delete image_;
    delete cache_;
}

TPicture* TBackground::Image()
{
    if (!image_)
        image_ = new TPicture();
    if (auto* bitmap = dynamic_cast<TBitmap*>(image_->Graphic())) {
        bitmap->SetTransparent(true);
        bitmap->SetTransparentMode(tmAuto);
    }
    return image_;
}

void TBackground::SetImage(TPicture* value)
{
    if (!value) {
        if (image_) {
            image_->SetGraphic(nullptr);
            delete image_;
            image_ = nullptr;
        }
    } else {
        Image()->Assign(value);
    }
    Refresh(false);
}

bool TBackground::HasPicture() const
{
    return image_ && image_->Graphic() && !image_->Graphic()->Empty();
}

TBitmap* TBackground::Cache()
{
    if (!cache_)
        cache_ = new TBitmap();
    return cache_;
}

bool TBackground::PicturePosition(const RECT& r, int& x, int& y)
{
    if (!HasPicture())
        return false;
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int pw = image_->Width(), ph = image_->Height();
    x = r.left;
    y = r.top;
    switch (position_) {
        case bpTopLeft:
        case bpBottomLeft:
            x += offsetX_;
            break;
        case bpTopRight:
        case bpBottomRight:
            x += w + offsetX_ - pw;
            break;
        case bpTopCenter:
        case bpBottomCenter:
        case bpCenter:
            x += (w - pw) / 2 + offsetX_;
            break;
        default:
            break;
    }
    switch (position_) {
        case bpTopLeft:
        case bpTopRight:
        case bpTopCenter:
            y += offsetY_;
            break;
        case bpBottomLeft:
        case bpBottomRight:
        case bpBottomCenter:
            y += h + offsetY_ - ph;
            break;
        case bpCenter:
            y += (h - ph) / 2 + offsetY_;
            break;
        default:
            break;
    }
    return true;
}

void TBackground::Assign(TPersistent* source)
{
    auto* background = dynamic_cast<TBackground*>(source);
    if (!background) {
        TGradientBar::Assign(source);
        return;
    }
    SetImage(background->image_);
    offsetX_ = background->offsetX_;
    offsetY_ = background->offsetY_;
    position_ = background->position_;
    colors_[0] = background->colors_[0];
    colors_[1] = background->colors_[1];
}

// ---- TSeparator -----------------------------------------------------------------------------

CLASSLIB_PUBLISH(TSeparator)
{
    AsColorProperty(c.IndexedProperty("Color", 0, &TSeparator::GetColor, &TSeparator::SetColor))
        .SetDefault(0x8F6D6E);
    AsColorProperty(c.IndexedProperty("ColorTo", 1, &TSeparator::GetColor, &TSeparator::SetColor))
        .SetDefault(clNone);
    c.Property("Width", &TSeparator::Width, &TSeparator::SetWidth).SetDefault(1);
    c.Property("GradientType", &TSeparator::GradientType, &TSeparator::SetGradientType);
    c.Property("GradientWidth", &TSeparator::GradientWidth, &TSeparator::SetGradientWidth)
        .SetDefault(0);
    c.Property("Margin", &TSeparator::Margin, &TSeparator::SetMargin).SetDefault(2);
}

TSeparator::TSeparator(TMenu* menu) : TGradientBar(menu)
{
    colors_[0] = 0x8F6D6E;
    colors_[1] = clNone;
    direction_ = gdHorizontal;
}

void TSeparator::Assign(TPersistent* source)
{
    if (auto* separator = dynamic_cast<TSeparator*>(source)) {
        width_ = separator->width_;
        gradientType_ = separator->gradientType_;
        gradientWidth_ = separator->gradientWidth_;
        margin_ = separator->margin_;
    }
    TGradientBar::Assign(source);
    direction_ = gdHorizontal; // fixed for separators
}

// ---- TMenuGlyphs ----------------------------------------------------------------------------

CLASSLIB_PUBLISH(TMenuGlyphs)
{
    c.Property("SubMenu", &TMenuGlyphs::SubMenu, &TMenuGlyphs::SetSubMenu);
    c.Property("Check", &TMenuGlyphs::Check, &TMenuGlyphs::SetCheck);
    c.Property("Radio", &TMenuGlyphs::Radio, &TMenuGlyphs::SetRadio);
}

TMenuGlyphs::TMenuGlyphs(TMenu* menu)
    : menu_(menu),
      subMenu_(MakeGlyph(kSubMenuGlyph)),
      check_(MakeGlyph(kCheckGlyph)),
      radio_(MakeGlyph(kRadioGlyph))
{
}

TMenuGlyphs::~TMenuGlyphs()
{
    delete subMenu_;
    delete check_;
    delete radio_;
}

void TMenuGlyphs::SetGlyph(TBitmap* target, TBitmap* value)
{
    target->Assign(value);
    MakeGlyphTransparent(target);
    RefreshOwnerMenu(menu_, false);
}

void TMenuGlyphs::SetSubMenu(TBitmap* value)
{
    SetGlyph(subMenu_, value);
}
void TMenuGlyphs::SetCheck(TBitmap* value)
{
    SetGlyph(check_, value);
}
void TMenuGlyphs::SetRadio(TBitmap* value)
{
    SetGlyph(radio_, value);
}

void TMenuGlyphs::Assign(TPersistent* source)
{
    auto* glyphs = dynamic_cast<TMenuGlyphs*>(source);
    if (!glyphs) {
        TPersistent::Assign(source);
        return;
    }
    SetSubMenu(glyphs->subMenu_);
    SetCheck(glyphs->check_);
    SetRadio(glyphs->radio_);
}

// ---- TBarCaption and TSideBar ---------------------------------------------------------------

CLASSLIB_PUBLISH(TBarCaption)
{
    c.Property("Alignment", &TBarCaption::Alignment, &TBarCaption::SetAlignment)
        .SetDefault(taLeftJustify);
    c.Property("Caption", &TBarCaption::Caption, &TBarCaption::SetCaption);
    c.Property("Font", &TBarCaption::Font, &TBarCaption::SetFont);
    AsColorProperty(
        c.Property("ShadowColor", &TBarCaption::ShadowColor, &TBarCaption::SetShadowColor))
        .SetDefault(clNone);
    c.Property("Depth", &TBarCaption::Depth, &TBarCaption::SetDepth).SetDefault(1);
    c.Property("Direction", &TBarCaption::Direction, &TBarCaption::SetDirection)
        .SetDefault(dDownToUp);
}

TBarCaption::TBarCaption(TMenu* menu) : menu_(menu), font_(new TFont())
{
    font_->SetName("Tahoma");
    font_->SetSize(14);
    font_->SetColor(0xFFFFFF);
    font_->SetStyle(TFontStyles{fsBold, fsItalic});
}

TBarCaption::~TBarCaption()
{
    delete font_;
}

void TBarCaption::SetFont(TFont* value)
{
    font_->Assign(value);
    RefreshOwnerMenu(menu_, true);
}

void TBarCaption::Assign(TPersistent* source)
{
    auto* caption = dynamic_cast<TBarCaption*>(source);
    if (!caption) {
        TPersistent::Assign(source);
        return;
    }
    captionOffset_ = caption->captionOffset_;
    alignment_ = caption->alignment_;
    caption_ = caption->caption_;
    SetFont(caption->font_);
    shadowColor_ = caption->shadowColor_;
    highlightColor_ = caption->highlightColor_;
    depth_ = caption->depth_;
    direction_ = caption->direction_;
}

CLASSLIB_PUBLISH(TSideBar)
{
    c.Property("Visible", &TSideBar::Visible, &TSideBar::SetVisible).SetDefault(false);
    c.Property("VisibleIn", &TSideBar::VisibleIn, &TSideBar::SetVisibleIn)
        .SetDefault(viFirstVisible);
    c.Property("Image", &TSideBar::Image, &TSideBar::SetImage);
    c.Property("Background", &TSideBar::Background, &TSideBar::SetBackground);
    c.Property("Size", &TSideBar::Size, &TSideBar::SetSize).SetDefault(24);
    AsColorProperty(
        c.Property("SplitterColor", &TSideBar::SplitterColor, &TSideBar::SetSplitterColor))
        .SetDefault(0x808080);
    AsColorProperty(
        c.Property("SplitterColorTo", &TSideBar::SplitterColorTo, &TSideBar::SetSplitterColorTo))
        .SetDefault(clNone);
    c.Property("SplitterWidth", &TSideBar::SplitterWidth, &TSideBar::SetSplitterWidth)
        .SetDefault(1);
    c.Property("SplitterMargin", &TSideBar::SplitterMargin, &TSideBar::SetSplitterMargin)
        .SetDefault(0);
    c.Property("SplitterGradientWidth", &TSideBar::SplitterGradientWidth,
               &TSideBar::SetSplitterGradientWidth)
        .SetDefault(0);
    c.Property("SplitterGradientType", &TSideBar::SplitterGradientType,
               &TSideBar::SetSplitterGradientType)
        .SetDefault(gtBoth);
    AsColorProperty(c.Property("BorderColor", &TSideBar::BorderColor, &TSideBar::SetBorderColor))
        .SetDefault(0xA19D9D);
}

TSideBar::TSideBar(TMenu* menu)
    : TBarCaption(menu), image_(new TBackground()), background_(new TBackground())
{
}

TSideBar::~TSideBar()
{
    delete image_;
    delete background_;
}

void TSideBar::SetVisible(bool value)
{
    visible_ = value;
    // Only a main menu with a window shows the change at once.
    if (menu_ && menu_->InheritsFrom(classlib::TMainMenu::StaticClass()) && menu_->WindowHandle())
        RefreshOwnerMenu(menu_, true);
}

void TSideBar::SetImage(TBackground* value)
{
    image_->Assign(value);
    RefreshOwnerMenu(menu_, true);
}

void TSideBar::SetBackground(TBackground* value)
{
    background_->Assign(value);
    if (background_->ImageIfAny() && dynamic_cast<TBitmap*>(background_->ImageIfAny()->Graphic()))
        background_->Cache()->SetTransparent(true);
    RefreshOwnerMenu(menu_, true);
}

void TSideBar::Assign(TPersistent* source)
{
    if (auto* bar = dynamic_cast<TSideBar*>(source)) {
        SetVisible(bar->visible_);
        SetImage(bar->image_);
        SetBackground(bar->background_);
        size_ = bar->size_;
        splitterWidth_ = bar->splitterWidth_;
        splitterMargin_ = bar->splitterMargin_;
        splitterGradientWidth_ = bar->splitterGradientWidth_;
        splitterGradientType_ = bar->splitterGradientType_;
        borderColor_ = bar->borderColor_;
    }
    TBarCaption::Assign(source);
}

// ---- TButtonAppearance ----------------------------------------------------------------------

CLASSLIB_PUBLISH(TButtonAppearance)
{
    static constexpr const char* names[] = {"Color",       "ColorTo",    "DownColor",
                                            "DownColorTo", "HoverColor", "HoverColorTo",
                                            "BorderColor"};
    static constexpr TColor defaults[] = {clNone,   clNone, 0xB59285, clNone,
                                          0xD2BDB6, clNone, clNone};
    for (int i = 0; i < 7; ++i)
        AsColorProperty(c.IndexedProperty(names[i], i, &TButtonAppearance::GetColorAt,
                                          &TButtonAppearance::SetColorAt))
            .SetDefault(defaults[i]);
    c.Property("GradientDirection", &TButtonAppearance::GradientDirection,
               &TButtonAppearance::SetGradientDirection)
        .SetDefault(gdVertical);
    AsColorProperty(c.Property("DownBorderColor", &TButtonAppearance::DownBorderColor,
                               &TButtonAppearance::SetDownBorderColor))
        .SetDefault(0x6A240A);
    AsColorProperty(c.Property("HoverBorderColor", &TButtonAppearance::HoverBorderColor,
                               &TButtonAppearance::SetHoverBorderColor))
        .SetDefault(0x6A240A);
    c.Property("CaptionFont", &TButtonAppearance::CaptionFont, &TButtonAppearance::SetCaptionFont);
    c.Property("UseSystemFont", &TButtonAppearance::UseSystemFont,
               &TButtonAppearance::SetUseSystemFont)
        .SetDefault(true);
}

TButtonAppearance::TButtonAppearance() : captionFont_(new TFont())
{
    captionFont_->SetName(SystemFontName());
}

TButtonAppearance::~TButtonAppearance()
{
    delete captionFont_;
}

void TButtonAppearance::Changed()
{
    if (OnChange)
        OnChange(this);
}

TColor TButtonAppearance::GetColorAt(int index) const
{
    if (index < 0 || index > 6)
        RaiseInvalidPropertyIndex(index);
    return colors_[index];
}

void TButtonAppearance::SetColorAt(int index, TColor value)
{
    if (index < 0 || index > 6)
        RaiseInvalidPropertyIndex(index);
    if (colors_[index] == value)
        return;
    colors_[index] = value;
    Changed();
}

void TButtonAppearance::SetGradientDirection(TGradientDirection value)
{
    if (direction_ == value)
        return;
    direction_ = value;
    Changed();
}

void TButtonAppearance::SetCaptionFont(TFont* value)
{
    captionFont_->Assign(value);
    Changed();
}

void TButtonAppearance::SetUseSystemFont(bool value)
{
    if (useSystemFont_ == value)
        return;
    useSystemFont_ = value;
    if (value)
        captionFont_->SetName(SystemFontName());
}

void TButtonAppearance::Assign(TPersistent* source)
{
    // Any other source is ignored.
    if (auto* other = dynamic_cast<TButtonAppearance*>(source)) {
        std::copy(std::begin(other->colors_), std::end(other->colors_), std::begin(colors_));
        direction_ = other->direction_;
        hoverBorderColor_ = other->hoverBorderColor_;
        downBorderColor_ = other->downBorderColor_;
    }
}

void RegisterMenuAppearanceClasses()
{
    RegisterClasses({&TGradientBar::StaticClass(), &TIconBar::StaticClass(),
                     &TSelectedItem::StaticClass(), &TRootItem::StaticClass(),
                     &TBackground::StaticClass(), &TSeparator::StaticClass(),
                     &TMenuGlyphs::StaticClass(), &TBarCaption::StaticClass(),
                     &TSideBar::StaticClass(), &TButtonAppearance::StaticClass()});
}

} // namespace menus
