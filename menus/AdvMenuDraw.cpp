#include "menus/AdvMenuDraw.h"

#include "draw/AdvGDIP.h"
#include "menus/AdvMenuGradients.h"
#include "menus/AdvMenuUtil.h"
#include "menus/AdvMenuWindows.h"
#include "windows/ActnList.h"
#include "windows/Forms.h"
#include "windows/Screen.h"

#include <algorithm>
#include <cmath>

namespace menus {

using namespace classlib;

namespace {

const std::string kNoteBreak = "\\n";

bool HasNotes(const std::string& text, bool showNotes)
{
    return showNotes && text.find(kNoteBreak) != std::string::npos;
}

bool IsSelected(const TOwnerDrawState& state)
{
    return state.Contains(odSelected);
}
bool IsDisabled(const TOwnerDrawState& state)
{
    return state.Contains(odDisabled);
}
bool IsHot(const TOwnerDrawState& state)
{
    return state.Contains(odHotLight);
}

TColor DisabledTextColor(bool selected)
{
    if (selected && ColorToRGB(clHighlight) == ColorToRGB(clBtnShadow))
        return clBtnHighlight;
    return clBtnShadow;
}

SIZE MeasureSingleLine(TCanvas* canvas, const std::string& text)
{
    RECT r{0, 0, 0, 0};
    canvas->DrawText(text, r, DT_CALCRECT | DT_SINGLELINE);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

bool IsMiddleEastLocale()
{
    const LANGID language = PRIMARYLANGID(GetSystemDefaultLangID());
    return language == LANG_ARABIC || language == LANG_HEBREW || language == LANG_FARSI;
}

// The images an item draws with: the menu's.
TCustomImageList* ItemImages(TMenuItem* item)
{
    TMenu* menu = GetItemMenu(item);
    return menu ? menu->Images() : nullptr;
}

TCustomImageList* ActionImages(TMenuItem* item)
{
    auto* action = dynamic_cast<TCustomAction*>(item->Action());
    if (!action || !action->ActionList())
        return nullptr;
    TCustomImageList* images = action->ActionList()->Images();
    const int index = item->ImageIndex();
    return images && index != -1 && index < images->Count() ? images : nullptr;
}

// The drop-down's whole area in the canvas: the union of its items' rectangles moved to (0, 0),
// less the hidden strip. An item painted outside a shown menu (no rectangles to ask) takes the
// area from the canvas origin to its own bottom-right corner.
RECT MenuRectangle(TMenuItem* item, TCanvas* canvas, const RECT& itemRect)
{
    RECT bounds = SubMenuBounds(item, WindowFromDC(canvas->Handle()));
    RECT menu;
    if (IsRectEmpty(&bounds))
        menu = RECT{0, 0, itemRect.right, itemRect.bottom};
    else
        menu = RECT{0, 0, bounds.right - bounds.left - kHiddenStrip, bounds.bottom - bounds.top};
    return menu;
}

void FrameIn(TCanvas* canvas, const RECT& r, TColor color)
{
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(color);
    canvas->FrameRect(r);
}

void LineIn(TCanvas* canvas, TColor color, int x1, int y1, int x2, int y2)
{
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetColor(color);
    canvas->MoveTo(x1, y1);
    canvas->LineTo(x2, y2);
}

// Round half to even of value - 0.5, as the side-bar caption's placement asks.
int RoundDown5(double value)
{
    return static_cast<int>(std::nearbyint(value - 0.5));
}

void DrawSideBarCaption(TCanvas* canvas, TSideBar* bar, const RECT& strip)
{
    if (bar->Caption().empty())
        return;
    canvas->SetFont(bar->Font());
    HFONT rotated = CreateRotatedFont(bar->Font(), bar->Direction() == dUpToDown ? -90 : 90);
    HDC dc = canvas->Handle();
    HGDIOBJ old = SelectObject(dc, rotated);
    SIZE extent{};
    GetTextExtentPoint32A(dc, bar->Caption().c_str(), static_cast<int>(bar->Caption().size()),
                          &extent);
    const int cx = extent.cx, cy = extent.cy;
    int x = RoundDown5((bar->Size() - cy) / 2.0);
    SetBkMode(dc, TRANSPARENT);
    RECT clip = strip;
    clip.bottom += 1;
    const int height = strip.bottom - strip.top;
    int y;
    const bool downToUp = bar->Direction() == dDownToUp;
    if (bar->Alignment() == taCenter) {
        y = RoundDown5((height + cx) / 2.0);
    } else if ((bar->Alignment() == taRightJustify) == downToUp) {
        y = bar->CaptionOffset() + cx;
    } else {
        y = height - bar->CaptionOffset();
        TBackground* image = bar->Image();
        if (image->HasPicture() &&
            (image->Position() == bpBottomLeft || image->Position() == bpBottomRight))
            y -= image->Image()->Height();
    }
    if (!downToUp) {
        y -= cx;
        x += cy + 1;
    }
    x += strip.left;
    y += strip.top;
    const int depth = bar->Depth();
    auto textAt = [&](TColor color, int px, int py) {
        SetTextColor(dc, ColorToRGB(color));
        ExtTextOutA(dc, px, py, ETO_CLIPPED, &clip, bar->Caption().c_str(),
                    static_cast<UINT>(bar->Caption().size()), nullptr);
    };
    if (bar->HighlightColor() != clNone)
        textAt(bar->HighlightColor(), x - depth, y + depth);
    if (bar->ShadowColor() != clNone)
        textAt(bar->ShadowColor(), x + depth, y - depth);
    textAt(bar->Font()->Color(), x, y);
    SelectObject(dc, old);
    DeleteObject(rotated);
    SetBkMode(dc, OPAQUE);
}

void DrawSideBar(TCanvas* canvas, TCustomAdvMenuStyler* styler, const RECT& menuRect)
{
    TSideBar* bar = styler->SideBar();
    const RECT strip{menuRect.left, menuRect.top,
                     menuRect.left + bar->Size() + bar->SplitterWidth(), menuRect.bottom};
    DrawMenuBackground(canvas, strip, bar->Background(), true);
    if (bar->Image()->Color() != clNone)
        DrawMenuBackground(canvas, strip, bar->Image(), true);
    DrawSideBarCaption(canvas, bar, strip);
    if (bar->BorderColor() != clNone)
        FrameIn(canvas,
                RECT{strip.left, strip.top, strip.right - bar->SplitterWidth(), strip.bottom},
                bar->BorderColor());
    if (bar->SplitterColor() != clNone)
        DrawBandGradient(
            canvas, RECT{strip.right - bar->SplitterWidth(), strip.top, strip.right, strip.bottom},
            false, bar->SplitterMargin(), bar->SplitterGradientWidth(), bar->SplitterGradientType(),
            bar->SplitterColor(), bar->SplitterColorTo());
}

void DrawSeparatorLine(TCanvas* canvas, TCustomAdvMenuStyler* styler, RECT r)
{
    TSeparator* separator = styler->Separator();
    r.left += styler->IconBar()->Size();
    const int mid = r.top + (r.bottom - r.top) / 2;
    const RECT line{r.left, mid - separator->Width() / 2, r.right,
                    mid + (separator->Width() + 1) / 2};
    DrawBandGradient(canvas, line, true, separator->Margin(), separator->GradientWidth(),
                     separator->GradientType(), separator->Color(), separator->ColorTo());
}

// The window that holds the menu bar's client area, with that area in window coordinates.
bool BarClientArea(TMenu* menu, HWND& window, RECT& area)
{
    window = MenuBarWindow(menu);
    if (!window || !IsWindow(window))
        return false;
    RECT client, frame;
    GetClientRect(window, &client);
    GetWindowRect(window, &frame);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    area = RECT{origin.x - frame.left, origin.y - frame.top, origin.x - frame.left + client.right,
                origin.y - frame.top + client.bottom};
    return true;
}

int MaximizedChildIconsWidth(TMenu* menu)
{
    auto* form = dynamic_cast<TCustomForm*>(menu->Owner());
    if (!form || form->FormStyle() != fsMDIForm)
        return 0;
    TCustomForm* child = form->ActiveMDIChild();
    if (!child || !child->HandleAllocated() || !IsZoomed(child->Handle()))
        return 0;
    const TBorderIcons icons = child->BorderIcons();
    int count = 0;
    for (TBorderIcon icon : {biMinimize, biMaximize, biSystemMenu})
        if (icons.Contains(icon))
            ++count;
    return GetSystemMetrics(SM_CXMENUSIZE) * count;
}

// Returns false when the bar item must not be drawn at all (its window is gone).
bool DrawHighlight(TMenuItem* item, TCanvas* canvas, TCustomAdvMenuStyler* styler, const RECT& r,
                   bool bar, TOwnerDrawState state)
{
    TRootItem* root = styler->RootItem();
    if (bar) {
        auto drawLook = [&](const TRootItemLook& look) {
            if (look.colors[2] == clNone)
                DrawBox(canvas, r, true, look.border, look.direction, look.colors[0],
                        look.colors[1]);
            else
                DrawMirrorBox(canvas, r, true, look.border, look.direction, look.colors[0],
                              look.colors[1], look.colors[2], look.colors[3]);
        };
        if (IsSelected(state)) {
            drawLook(root->Selected());
            if (item->Count() > 0)
                LineIn(canvas, styler->Background()->Color(), r.left, r.bottom - 1, r.right - 1,
                       r.bottom - 1);
        } else if (IsHot(state)) {
            drawLook(root->Hover());
        } else if (root->Color() != clNone) {
            TMenu* menu = GetItemMenu(item);
            HWND window;
            RECT full;
            if (!BarClientArea(menu, window, full))
                return false;
            full.top = r.top;
            full.bottom = r.bottom;
            RECT part = r;
            if (IsLastMenuBarItem(item))
                part.right = full.right - MaximizedChildIconsWidth(menu);
            DrawGradientPart(canvas, full, root->GradientDirection(), root->Color(),
                             root->ColorTo(), part);
        }
    } else if (IsSelected(state)) {
        TSelectedItem* selected = styler->SelectedItem();
        DrawMirrorBox(canvas, r, true, selected->BorderColor(), selected->GradientDirection(),
                      selected->Color(), selected->ColorTo(), selected->ColorMirror(),
                      selected->ColorMirrorTo());
    }
    return true;
}

const TBoxColors& CheckColors(TCustomAdvMenuStyler* styler, bool selected, bool radio)
{
    if (selected)
        return radio ? styler->SelectedItem()->Radio() : styler->SelectedItem()->Check();
    return radio ? styler->IconBar()->Radio() : styler->IconBar()->Check();
}

void DrawGlyph(TCanvas* canvas, TBitmap* glyph, int x, int y, TColor color)
{
    const TColor saved = canvas->Font()->Color();
    canvas->Font()->SetColor(color);
    glyph->SetTransparent(true);
    canvas->Draw(x, y, glyph);
    canvas->Font()->SetColor(saved);
}

void DrawItemContent(TMenuItem* item, TCanvas* canvas, IAdvMenu* intf, const RECT& r,
                     TOwnerDrawState state)
{
    TCustomAdvMenuStyler* styler = intf->GetCurrentMenuStyler();
    const bool bar = IsMenuBarItem(item);
    const bool selected = IsSelected(state), disabled = IsDisabled(state);
    if (!DrawHighlight(item, canvas, styler, r, bar, state))
        return;
    const int iconSize = styler->IconBar()->Size();
    RECT iconSquare{r.left, r.top + 1, r.left + iconSize, r.bottom - 1};
    const int side = std::min(WidthOfRect(iconSquare), HeightOfRect(iconSquare));
    CenterSizeInRect(iconSquare, side, side);

    TCustomImageList* images = ItemImages(item);
    TCustomImageList* disabledImages = intf->GetDisabledImages();
    const int index = item->ImageIndex();
    TCustomImageList* actionImages = ActionImages(item);
    const bool image = images && index >= 0 && index < images->Count();
    const bool actionImage = actionImages != nullptr;
    const bool bitmap = item->HasBitmap() && !item->Bitmap()->Empty() && !image;
    const bool checkBox = item->Checked() && !bar && !image && !bitmap;
    RECT g = iconSquare;
    if (image || actionImage || bitmap || checkBox) {
        const bool radio = item->RadioItem();
        if (item->Checked() && !checkBox) {
            const TBoxColors& box = CheckColors(styler, selected, false);
            DrawBox(canvas, iconSquare, !disabled, box.border, box.direction, box.color,
                    box.colorTo);
        }
        if (image || actionImage) {
            TCustomImageList* list = actionImage ? actionImages : images;
            CenterSizeInRect(g, list->Width(), list->Height());
            if (bar)
                OffsetRect(&g, r.left + 6 - g.left, 0);
            if (actionImage)
                actionImages->Draw(canvas, g.left, g.top, index, !disabled);
            else if (!disabledImages || !disabled)
                images->Draw(canvas, g.left, g.top, index, !disabled);
            else
                disabledImages->Draw(canvas, g.left, g.top, index, true);
        } else {
            CenterSizeInRect(g, 16, 16);
            if (bar)
                OffsetRect(&g, r.left + 6 - g.left, 0);
            if (checkBox) {
                const TBoxColors& box = CheckColors(styler, selected, radio);
                DrawBox(canvas, iconSquare, !disabled, box.border, box.direction, box.color,
                        box.colorTo);
                if (selected)
                    FrameIn(canvas, r, styler->SelectedItem()->BorderColor());
                DrawGlyph(canvas, radio ? styler->Glyphs()->Radio() : styler->Glyphs()->Check(),
                          g.left, g.top, clBtnText);
            } else {
                TBitmap* picture = item->Bitmap();
                picture->SetTransparent(true);
                picture->SetTransparentMode(tmAuto);
                canvas->Draw(g.left, g.top, picture);
            }
        }
    }
    if (!bar && item->Count() > 0) {
        TMenu* menu = GetItemMenu(item);
        if (!(IsMiddleEastLocale() && menu->BiDiMode() == bdRightToLeft)) {
            const int y = (r.top + r.bottom - 5) / 2;
            RECT arrow{r.right - 8, y, r.right - 5, y + 6};
            TBitmap* glyph = styler->Glyphs()->SubMenu();
            CenterSizeInRect(arrow, glyph->Width(), glyph->Height());
            DrawGlyph(canvas, glyph, arrow.left, arrow.top, clBlack);
        }
    }
    RECT t = r;
    if (!bar)
        t.left = r.left + iconSize + 8;
    else if (image || actionImage || bitmap)
        t.left += WidthOfRect(g);
    UINT format = DT_SINGLELINE | DT_EXPANDTABS | (bar ? DT_CENTER : 0);
    if (state.Contains(odDefault))
        canvas->Font()->SetStyle(canvas->Font()->Style() + TFontStyles{fsBold});
    RECT measured = t;
    DrawMenuItemText(item, canvas, item->Caption(), format | DT_CALCRECT | DT_NOCLIP, state,
                     measured);
    OffsetRect(&t, 0, (HeightOfRect(t) - HeightOfRect(measured)) / 2);
    DrawMenuItemText(item, canvas, item->Caption(), format, state, t);
    if (!bar && item->ShortCut() != scNone) {
        t.right = r.right - 10;
        DrawMenuItemText(item, canvas, ShortCutText(item->ShortCut(), intf->GetIntlKeybShortCuts()),
                         DT_RIGHT, state, t);
    }
}

// The font of an item's text (the caption's colour rules included).
void SelectItemFont(TMenuItem* item, TCanvas* canvas, TCustomAdvMenuStyler* styler,
                    TOwnerDrawState state)
{
    const bool selected = IsSelected(state);
    if (IsMenuBarItem(item)) {
        TRootItem* root = styler->RootItem();
        canvas->Font()->Assign(root->UseSystemFont() ? Screen->MenuFont() : root->Font());
        if (selected && root->SelectedTextColor() != clNone)
            canvas->Font()->SetColor(root->SelectedTextColor());
        else if (IsHot(state) && root->HoverTextColor() != clNone)
            canvas->Font()->SetColor(root->HoverTextColor());
    } else if (!selected) {
        canvas->Font()->Assign(styler->UseSystemFont() ? Screen->MenuFont() : styler->Font());
    } else {
        TSelectedItem* item = styler->SelectedItem();
        canvas->Font()->Assign(item->UseSystemFont() ? Screen->MenuFont() : item->Font());
    }
    if (state.Contains(odDefault))
        canvas->Font()->SetStyle(canvas->Font()->Style() + TFontStyles{fsBold});
}

// Text through GDI+ in the canvas font's family and size.
void DrawTextGdiPlus(TCanvas* canvas, TFont* font, TColor color, const std::string& text,
                     const RECT& r, TAntiAlias antiAlias, int align, int lineAlign)
{
    HDC dc = canvas->Handle();
    auto graphics = draw::TGPGraphics::CreateFromHDC(dc);
    if (!graphics)
        return;
    graphics->SetTextRenderingHint(antiAlias == aaClearType ? 5 : 4);
    std::wstring family(font->Name().begin(), font->Name().end());
    auto fontFamily = draw::TGPFontFamily::CreateFontFamilyFromName(family);
    if (!fontFamily)
        fontFamily = draw::TGPFontFamily::CreateFontFamilyFromName(L"Arial");
    if (!fontFamily)
        return;
    auto gpFont =
        draw::TGPFont::CreateFromFamily(fontFamily.get(), static_cast<float>(font->Size()), 0, 3);
    auto format = draw::TGPStringFormat::CreateStringFormat(0x1000, 0);
    if (!gpFont || !format)
        return;
    format->SetStringFormatHotkeyPrefix(1);
    format->SetStringFormatAlign(align);
    format->SetStringFormatLineAlign(lineAlign);
    auto brush = draw::TGPSolidBrush::CreateSolidFill(draw::ColorToGPColor(color));
    graphics->DrawAnsiString(text, static_cast<int>(text.size()), gpFont.get(),
                             draw::BuildRectF(static_cast<float>(r.left), static_cast<float>(r.top),
                                              static_cast<float>(r.right - r.left),
                                              static_cast<float>(r.bottom - r.top)),
                             format.get(), brush.get());
}

} // namespace

std::string CaptionProper(const std::string& caption, bool showNotes)
{
    const size_t at = caption.find(kNoteBreak);
    return showNotes && at != std::string::npos ? caption.substr(0, at) : caption;
}

void MeasureAdvMenuItem(TMenuItem* item, TCanvas* canvas, int& width, int& height, bool sideBar)
{
    IAdvMenu* intf = GetItemMenuIntf(item);
    if (!intf)
        return;
    TCustomAdvMenuStyler* styler = intf->GetCurrentMenuStyler();
    const bool bar = IsMenuBarItem(item);
    if (bar) {
        NONCLIENTMETRICSA metrics{};
        metrics.cbSize = sizeof(metrics);
        if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
            width = metrics.iMenuWidth;
            height = metrics.iMenuHeight;
        }
    }
    if (item->IsLine()) {
        height = styler->Separator()->Width() + 2;
        width = -2;
        return;
    }
    if (!bar)
        width = styler->IconBar()->Size();
    TCustomImageList* images = ItemImages(item);
    if (images && (item->ImageIndex() >= 0 || !bar)) {
        if (bar)
            width = images->Width();
        else
            height = std::max(height, images->Height());
    } else if (item->HasBitmap() && !item->Bitmap()->Empty()) {
        if (bar)
            width = 16;
        else
            height = std::max(height, 16);
    } else if (bar) {
        width = -7;
    } else {
        height -= 3;
    }
    if (!bar) {
        width += 15;
        height += 5;
    }
    const bool showNotes = intf->GetShowNotes();
    std::string text = CaptionProper(item->Caption(), showNotes);
    if (item->ShortCut() != scNone)
        text += ShortCutText(item->ShortCut(), intf->GetIntlKeybShortCuts());
    if (bar) {
        if (!styler->RootItem()->UseSystemFont())
            canvas->Font()->Assign(styler->RootItem()->Font());
    } else if (!styler->UseSystemFont()) {
        canvas->Font()->Assign(styler->Font());
    } else if (!styler->SelectedItem()->UseSystemFont()) {
        canvas->Font()->Assign(styler->SelectedItem()->Font());
    }
    const SIZE extent = MeasureSingleLine(canvas, text);
    width += extent.cx + 7;
    if (!styler->UseSystemFont())
        height = extent.cy + 6;
    if (bar)
        return;
    if (item->ShortCut() & 0x200)
        width += canvas->TextWidth("Win+");
    if (sideBar && !HasColumnBreakBefore(item))
        width += styler->SideBar()->Size() + styler->SideBar()->SplitterWidth();
    height = (height + 1) / 2 * 2;
    width += kHiddenStrip;
    if (HasNotes(item->Caption(), showNotes)) {
        canvas->Font()->Assign(styler->NotesFont());
        const int lineHeight = canvas->TextHeight("gh");
        std::string rest = item->Caption();
        for (size_t at = rest.find(kNoteBreak); at != std::string::npos;
             at = rest.find(kNoteBreak)) {
            width = std::max(width, static_cast<int>(canvas->TextWidth(rest.substr(0, at))));
            height += lineHeight;
            rest.erase(0, at + kNoteBreak.size());
        }
        if (!rest.empty())
            width = std::max(width, static_cast<int>(canvas->TextWidth(rest)) + kHiddenStrip +
                                        styler->IconBar()->Size() + 15);
    }
}

void DrawAdvMenuItem(TMenuItem* item, TCanvas* canvas, RECT rect, bool sideBar,
                     TOwnerDrawState state)
{
    IAdvMenu* intf = GetItemMenuIntf(item);
    if (!intf)
        return;
    TCustomAdvMenuStyler* styler = intf->GetCurrentMenuStyler();
    const bool laterColumn = HasColumnBreakBefore(item);
    RECT content = rect;
    if (sideBar && !laterColumn)
        content.left += styler->SideBar()->Size() + styler->SideBar()->SplitterWidth();
    if (!IsMenuBarItem(item)) {
        const RECT menu = MenuRectangle(item, canvas, rect);
        if (sideBar && !laterColumn && IsFirstVisibleItem(item))
            DrawSideBar(canvas, styler, menu);
        TIconBar* iconBar = styler->IconBar();
        const RECT iconColumn{content.left, menu.top, content.left + iconBar->Size(), menu.bottom};
        DrawGradientPart(canvas, iconColumn, iconBar->GradientDirection(), iconBar->Color(),
                         iconBar->ColorTo(), content);
        if (iconBar->SeparatorColor() != clNone)
            LineIn(canvas, iconBar->SeparatorColor(), iconColumn.right - 1, menu.top,
                   iconColumn.right - 1, menu.bottom);
        TBackground* background = styler->Background();
        RECT area{iconColumn.right, content.top, content.right, content.bottom};
        const RECT full{iconColumn.right, menu.top, content.right, menu.bottom};
        if (background->MarginX() > 0 || background->MarginY() > 0) {
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor(background->Color());
            canvas->FillRect(area);
            InflateRect(&area, -background->MarginX(), -background->MarginY());
        }
        DrawGradientPart(canvas, full, background->GradientDirection(), background->Color(),
                         background->ColorTo(), area);
        if (background->HasPicture()) {
            TBitmap* cache = styler->BackgroundCache();
            if (cache->Width() != WidthOfRect(menu) || cache->Height() != HeightOfRect(menu)) {
                cache->SetSize(WidthOfRect(menu), HeightOfRect(menu));
                DrawMenuBackground(cache->Canvas(),
                                   RECT{0, 0, WidthOfRect(menu), HeightOfRect(menu)}, background,
                                   false);
            }
            canvas->SetCopyMode(cmSrcCopy);
            canvas->CopyRect(area, cache->Canvas(), area);
        }
    }
    if (item->IsLine())
        DrawSeparatorLine(canvas, styler, content);
    else
        DrawItemContent(item, canvas, intf, content, state);
    PrepareMenuWindow(item, canvas);
}

void DrawMenuItemText(TMenuItem* item, TCanvas* canvas, std::string text, UINT format,
                      TOwnerDrawState state, RECT& rect)
{
    IAdvMenu* intf = GetItemMenuIntf(item);
    if (!intf)
        return;
    TCustomAdvMenuStyler* styler = intf->GetCurrentMenuStyler();
    TMenu* menu = GetItemMenu(item);
    if (menu && menu->BiDiMode() == bdRightToLeft)
        format |= DT_RIGHT | DT_RTLREADING;
    const bool measuring = (format & DT_CALCRECT) != 0;
    if (measuring && (text.empty() || text == "&"))
        text += " ";
    canvas->Brush()->SetStyle(bsClear);
    SelectItemFont(item, canvas, styler, state);
    const bool selected = IsSelected(state), disabled = IsDisabled(state);
    const TAntiAlias antiAlias = styler->AntiAlias();
    if (HasNotes(text, intf->GetShowNotes())) {
        if (measuring)
            return;
        std::vector<std::string> lines;
        std::string rest = text;
        for (size_t at = rest.find(kNoteBreak); at != std::string::npos;
             at = rest.find(kNoteBreak)) {
            lines.push_back(rest.substr(0, at));
            rest.erase(0, at + kNoteBreak.size());
        }
        lines.push_back(rest);
        TFont* notesFont = selected ? styler->SelectedItem()->NotesFont() : styler->NotesFont();
        const TColor captionColor =
            disabled ? DisabledTextColor(selected) : canvas->Font()->Color();
        const TColor notesColor = disabled ? DisabledTextColor(selected) : notesFont->Color();
        if (antiAlias == aaNone) {
            canvas->Font()->SetColor(captionColor);
            const int captionHeight = canvas->TextHeight("gh");
            RECT line = rect;
            canvas->DrawText(lines[0], line, DT_SINGLELINE);
            TFont saved;
            saved.Assign(canvas->Font());
            canvas->Font()->Assign(notesFont);
            canvas->Font()->SetColor(notesColor);
            const int notesHeight = canvas->TextHeight("gh");
            int top = rect.top + captionHeight;
            for (size_t i = 1; i < lines.size(); ++i, top += notesHeight) {
                RECT r{rect.left, top, rect.right, top + notesHeight};
                canvas->DrawText(lines[i], r, DT_SINGLELINE);
            }
            canvas->Font()->Assign(&saved);
        } else {
            DrawTextGdiPlus(canvas, canvas->Font(), captionColor, lines[0], rect, antiAlias, 0, 0);
            canvas->Font()->Assign(notesFont);
            const int notesHeight = canvas->TextHeight("gh");
            int top = rect.top + 20;
            for (size_t i = 1; i < lines.size(); ++i, top += notesHeight)
                DrawTextGdiPlus(canvas, notesFont, notesColor, lines[i],
                                RECT{rect.left, top, rect.right, rect.bottom}, antiAlias, 0, 0);
        }
        return;
    }
    if (disabled)
        canvas->Font()->SetColor(DisabledTextColor(selected));
    if (antiAlias == aaNone) {
        canvas->DrawText(text, rect, format);
        return;
    }
    if (measuring)
        return;
    const int align = IsMenuBarItem(item) ? 1 : (format & DT_RIGHT) ? 2 : 0;
    DrawTextGdiPlus(canvas, canvas->Font(), canvas->Font()->Color(), text, rect, antiAlias, align,
                    1);
}

} // namespace menus
