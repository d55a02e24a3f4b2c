// Automatic sizing, drop-down parts and glyph placement of a toolbar button, over numbers.
#include "toolbar/ToolBarButtonLayout.h"

#include <algorithm>
#include <cstdlib>

namespace toolbar {

ButtonExtent AutoButtonExtent(const ButtonMeasures& m)
{
    // Along the toolbar the glyph's own width counts for a horizontal button and its height
    // for a vertical one.
    const int gw = m.vertical ? m.glyphHeight : m.glyphWidth;
    const int gh = m.vertical ? m.glyphWidth : m.glyphHeight;
    const int tw = m.captionWidth;
    ButtonExtent e;
    if (m.glyphPosition == gpLeft || m.glyphPosition == gpRight) {
        if (gw > 0 && tw > 0)
            e.length = gw + m.spacing + tw;
        else
            e.length = gw > 0 ? gw : std::max(tw, 0);
        e.length += 2 * m.margin;
        if (m.quickAccess && !m.vertical)
            e.length += 2 * m.margin;
        e.thickness = std::max(m.textHeight, gh) + 2 * m.margin;
    } else {
        e.length = std::max(gw, tw) + 2 * m.margin;
        e.thickness = gh + m.textHeight + m.spacing + 2 * m.margin;
    }
    if (e.length < 16)
        e.length = 15;
    if (m.dropDownButton)
        e.length += m.dropDownWidth;
    return e;
}

DropDownParts SplitDropDown(int width, int height, bool vertical, bool dropDownButton,
                            int dropDownWidth)
{
    DropDownParts p;
    p.face = draw::TIntRect{0, 0, width, height};
    if (vertical)
        p.drop = draw::TIntRect{0, height - dropDownWidth, width, height};
    else
        p.drop = draw::TIntRect{width - dropDownWidth, 0, width, height};
    if (dropDownButton) {
        if (vertical)
            p.face.Bottom = p.drop.Top;
        else
            p.face.Right = p.drop.Left;
    }
    const int dw = (p.drop.Right - p.drop.Left), dh = (p.drop.Bottom - p.drop.Top);
    if (vertical)
        p.arrow = draw::TIntPoint{p.drop.Left + (dw - 3) / 2 + 1, p.drop.Top + (dh - 5) / 2};
    else
        p.arrow = draw::TIntPoint{p.drop.Left + (dw - 5) / 2, p.drop.Top + (dh - 3) / 2 + 1};
    return p;
}

GlyphLayout PlaceGlyphAndCaption(const GlyphLayoutInput& in)
{
    using namespace captionformat;
    const draw::TIntRect& f = in.face;
    const int w = (f.Right - f.Left), h = (f.Bottom - f.Top), hb = in.buttonHeight;
    const int tw = in.captionWidth, th = in.captionHeight;
    const int sp = tw > 0 && th > 0 ? in.spacing : 0;
    GlyphLayout out;
    out.format = kCenter | kVCenter | kSingleLine;
    out.caption = f;
    out.textAt = in.vertical ? draw::TIntPoint{f.Right + 1 - (w - th) / 2, f.Top + (h - tw) / 2}
                             : draw::TIntPoint{f.Left, f.Top};
    if (!in.hasGlyph)
        return out;
    const int gw = in.glyphWidth, gh = in.glyphHeight;
    int x = 0, y = 0;
    draw::TIntRect c = f;
    if (!in.vertical) {
        switch (in.glyphPosition) {
            case gpLeft:
                x = (w - gw - sp - tw) / 2;
                y = (hb - gh) / 2;
                c = draw::TIntRect{x + gw + sp, f.Top, f.Right, f.Bottom};
                out.format = kVCenter | kSingleLine;
                break;
            case gpTop:
                x = (w - gw) / 2;
                y = (hb - gh - sp - th) / 2;
                c = draw::TIntRect{f.Left, y + gh + sp, f.Right, f.Bottom};
                out.format = kCenter | kSingleLine;
                break;
            case gpRight: {
                const int d = (w - gw - sp - tw) / 2;
                x = w - d - gw;
                y = (hb - gh) / 2;
                c = draw::TIntRect{d, f.Top, x - sp, f.Bottom};
                out.format = kRight | kVCenter | kSingleLine;
                break;
            }
            case gpBottom: {
                const int e = (hb - gh - sp - th) / 2;
                x = (w - gw) / 2;
                y = hb - e - gh;
                c = draw::TIntRect{f.Left, y - sp - th, f.Right, y};
                out.format = kCenter | kVCenter | kSingleLine;
                break;
            }
        }
    } else {
        switch (in.glyphPosition) {
            case gpLeft:
                x = (w - gw) / 2;
                y = (h - gh - sp - tw) / 2;
                c = draw::TIntRect{f.Right - (w - th) / 2, y + gh + sp, f.Right, f.Bottom};
                out.format = kCenter | kSingleLine;
                break;
            case gpTop: {
                const int e = (h - gh - sp - tw) / 2;
                x = (w - gw) / 2;
                y = h - e - gh;
                c = draw::TIntRect{f.Right - (w - th) / 2, f.Top + e, f.Right, y - sp};
                out.format = kCenter | kBottom | kSingleLine;
                break;
            }
            case gpRight: {
                const int d = (w - gw - sp - th) / 2;
                x = w - d - gw;
                y = (h - gh) / 2;
                c = draw::TIntRect{f.Left, f.Top + (h - tw) / 2, x - sp, f.Bottom};
                c.Left = c.Right - ((c.Right - c.Left) - th) / 2;
                out.format = kCenter | kVCenter | kSingleLine;
                break;
            }
            case gpBottom:
                x = (w - gw - sp - th) / 2;
                y = (h - gh) / 2;
                c = draw::TIntRect{x + sp + gw, f.Top, f.Right, f.Bottom};
                c.Left = c.Right - ((c.Right - c.Left) - th) / 2;
                out.format = kCenter | kVCenter | kSingleLine;
                break;
        }
        out.textAt = in.glyphPosition == gpBottom
                         ? draw::TIntPoint{c.Left, c.Top + (c.Bottom - c.Top - tw) / 2}
                         : draw::TIntPoint{c.Left, c.Top};
    }
    // A button too small for its contents (not sized automatically) clips the caption with an
    // ellipsis and keeps the glyph inside.
    if (!in.autoSize) {
        if (!in.vertical && x < 0) {
            c.Left += std::abs(x) + 1;
            x = 1;
            out.format |= kEndEllipsis;
        } else if (in.vertical && y < 0) {
            c.Top += std::abs(y) + 1;
            out.textAt.Y += std::abs(y) + 1;
            y = 1;
            out.format |= kEndEllipsis;
        }
    }
    out.glyph = draw::TIntPoint{x, y};
    out.caption = c;
    return out;
}

uint32_t DisabledGlyphGrey(uint32_t colour)
{
    const uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    const uint32_t v = (r + g + b) / 3 / 2 + 96;
    return v | (v << 8) | (v << 16);
}

} // namespace toolbar
