#include "OcXPProgressBar.h"

#include "OcBCLUtilsWin.h"
#include "OcControlUtilsWin.h"
#include "windows/Images.h"

#include <algorithm>

using namespace classlib;

namespace controls {

CLASSLIB_PUBLISH(TOcCustomXPProgressBar) {}

CLASSLIB_PUBLISH(TOcXPProgressBar)
{
    AsColorProperty(c.Property("BarColorFrom", &TOcXPProgressBar::BarColorFrom,
                               &TOcXPProgressBar::SetBarColorFrom))
        .SetDefault(0x31D329);
    AsColorProperty(
        c.Property("BarColorTo", &TOcXPProgressBar::BarColorTo, &TOcXPProgressBar::SetBarColorTo))
        .SetDefault(0xADEFAD);
    c.Property("Max", &TOcXPProgressBar::Max, &TOcXPProgressBar::SetMax).SetDefault(100);
    c.Property("Min", &TOcXPProgressBar::Min, &TOcXPProgressBar::SetMin).SetDefault(0);
    c.Property("Orientation", &TOcXPProgressBar::Orientation, &TOcXPProgressBar::SetOrientation)
        .SetDefault(pbHorizontal);
    c.Property("Position", &TOcXPProgressBar::Position, &TOcXPProgressBar::SetPosition)
        .SetDefault(0);
    c.Property("Smooth", &TOcXPProgressBar::Smooth, &TOcXPProgressBar::SetSmooth).SetDefault(false);
    AsColorProperty(c.Property("Color", &TControl::Color, &TControl::SetColor))
        .SetDefault(clWindow);
    c.Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor).SetDefault(false);
}

namespace {

constexpr TColor FrameDark = 0x686868;
constexpr TColor FrameMid = 0xBEBEBE;
constexpr TColor FrameLight = 0xEFEFEF;

// Directions of the stepped gradient: the start colour at the bottom, or at the right.
constexpr uint8_t GradientBottomUp = 1;
constexpr uint8_t GradientRightToLeft = 3;
constexpr uint8_t GradientSteps = 255;

// The XP blocks: BlockSize - 4 pixels long on a pitch of BlockSize - 2.
constexpr int BlockGap = 2;

// A straight run of frame pixels from (x0, y0) to (x1, y1), both included. Coordinates below
// zero count from the far edge: -1 is the last column or row, -2 the one before it.
struct FrameRun {
    int x0, y0, x1, y1;
    TColor color;
};

// The frame, grouped by colour so the pen changes only twice. The three outer columns on
// each side, then the rows between them; the outermost column leaves its end pixels
// uncovered: those four corners show the parent.
constexpr FrameRun FrameRuns[] = {
    {0, 2, 0, -3, FrameDark},    {-1, 2, -1, -3, FrameDark}, {1, 1, 1, 1, FrameDark},
    {-2, 1, -2, 1, FrameDark},   {1, -2, 1, -2, FrameDark},  {-2, -2, -2, -2, FrameDark},
    {2, 0, -3, 0, FrameDark},    {2, -1, -3, -1, FrameDark},

    {0, 1, 0, 1, FrameMid},      {-1, 1, -1, 1, FrameMid},   {0, -2, 0, -2, FrameMid},
    {-1, -2, -1, -2, FrameMid},  {1, 0, 1, 0, FrameMid},     {-2, 0, -2, 0, FrameMid},
    {1, 2, 1, -3, FrameMid},     {-2, 2, -2, -3, FrameMid},  {1, -1, 1, -1, FrameMid},
    {-2, -1, -2, -1, FrameMid},  {2, 1, -3, 1, FrameMid},    {2, 2, 2, 2, FrameMid},
    {-3, 2, -3, 2, FrameMid},

    {3, 2, -4, 2, FrameLight},   {2, 3, 2, -2, FrameLight},  {-3, 3, -3, -2, FrameLight},
    {3, -2, -4, -2, FrameLight},
};

int FromEdge(int coordinate, int size)
{
    return coordinate < 0 ? size + coordinate : coordinate;
}

void DrawFrame(TCanvas& canvas, int width, int height)
{
    for (const FrameRun& run : FrameRuns) {
        const int x0 = FromEdge(run.x0, width), y0 = FromEdge(run.y0, height);
        const int x1 = FromEdge(run.x1, width), y1 = FromEdge(run.y1, height);
        if (x1 < x0 || y1 < y0)
            continue; // a bar too small for this run
        canvas.Pen()->SetColor(run.color);
        canvas.MoveTo(x0, y0);
        // The line's end point is not drawn: go one pixel further.
        canvas.LineTo(x0 == x1 ? x1 : x1 + 1, x0 == x1 ? y1 + 1 : y1);
    }
}

} // namespace

TOcCustomXPProgressBar::TOcCustomXPProgressBar(TComponent* owner)
    : TOcBaseGradientProgressBar(owner)
{
    SetSteps(7);
    SetParentColor(false);
    SetColor(clWindow);
    SetBarColorFrom(0x31D329);
    SetBarColorTo(0xADEFAD);
}

TColor TOcCustomXPProgressBar::BackgroundColor() const
{
    // A control without a parent has no form either; it is not painted then anyway.
    return parent_ ? parent_->Color() : clBtnFace;
}

void TOcCustomXPProgressBar::DrawBlock(TCanvas& canvas, const RECT& piece) const
{
    RECT outer = piece; // the half next to the top or left edge
    RECT inner = piece; // the other half; for an odd thickness both share the middle line
    uint8_t direction;
    if (Orientation() == pbHorizontal) {
        const int half = bcl::RectExtentY(piece) / 2;
        outer.bottom -= half;
        inner.top += half;
        direction = GradientBottomUp;
    } else {
        const int half = bcl::RectExtentX(piece) / 2;
        outer.right -= half;
        inner.left += half;
        direction = GradientRightToLeft;
    }
    storage::PaintStepGradient(canvas, outer, BarColorFrom(), GradientSteps, direction,
                               BarColorTo());
    storage::PaintStepGradient(canvas, inner, BarColorTo(), GradientSteps, direction,
                               BarColorFrom());
}

// Paints the blocks of one bar: the first with DrawBlock, every later one of the same size as
// a copy of it. The blocks of a bar are alike, and their gradients are most of a paint's cost
// (up to 80 of them at full extent, while the upload repaints the bar for every chunk).
class TOcCustomXPProgressBar::BlockStamp {
public:
    BlockStamp(const TOcCustomXPProgressBar& bar, TCanvas& image) : bar_(bar), image_(image) {}

    void Paint(const RECT& block)
    {
        const int width = block.right - block.left, height = block.bottom - block.top;
        if (stamped_ && width == first_.right - first_.left &&
            height == first_.bottom - first_.top) {
            HDC dc = image_.Handle();
            BitBlt(dc, block.left, block.top, width, height, dc, first_.left, first_.top, SRCCOPY);
            return;
        }
        bar_.DrawBlock(image_, block);
        if (!stamped_) {
            first_ = block;
            stamped_ = true;
        }
    }

private:
    const TOcCustomXPProgressBar& bar_;
    TCanvas& image_;
    RECT first_{};
    bool stamped_ = false;
};

void TOcCustomXPProgressBar::DrawBar(TCanvas& canvas, int extent)
{
    const int w = width_;
    const int h = height_;
    TBitmap bitmap;
    bitmap.SetSize(w, h);
    TCanvas& image = *bitmap.Canvas();
    image.Brush()->SetColor(clFuchsia);
    image.FillRect(RECT{0, 0, w, h});
    image.Brush()->SetColor(color_);
    image.FillRect(RECT{3, 2, w - 3, h - 2});
    DrawFrame(image, w, h);

    const int pitch = BlockSize() - BlockGap;
    BlockStamp stamp{*this, image};
    if (Orientation() == pbHorizontal) {
        if (Smooth()) {
            const RECT piece{4, 3, std::min(2 + extent, w - 3), h - 3};
            if (piece.right > piece.left)
                DrawBlock(image, piece);
        } else {
            RECT block{4, 3, 4 + pitch - BlockGap, h - 3};
            for (; extent > BlockGap; extent -= pitch) {
                block.right = std::min<LONG>(block.right, w - 3);
                if (block.right > block.left)
                    stamp.Paint(block);
                OffsetRect(&block, pitch, 0);
            }
        }
    } else {
        if (Smooth()) {
            const int top = std::max(h - 2 - extent, 3);
            DrawBlock(image, RECT{4, top + 1, w - 4, h - 3});
        } else {
            RECT block{3, h - pitch - 1, w - 3, h - 3};
            for (; extent > BlockGap; extent -= pitch) {
                block.top = std::max<LONG>(block.top, 3);
                if (block.bottom > block.top)
                    stamp.Paint(block);
                OffsetRect(&block, 0, -pitch);
            }
        }
    }

    // Everything left in fuchsia (the four corners) shows the parent's colour.
    const RECT client = ClientRect();
    canvas.Brush()->SetColor(BackgroundColor());
    canvas.BrushCopy(client, &bitmap, client, clFuchsia);
}

} // namespace controls
