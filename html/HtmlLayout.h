// The mini-HTML line layout without a device: it cuts the text into runs and tags, lays the
// runs out line by line in a rectangle (word wrap, alignment, indents, lists, images), draws
// them or measures them, and hit-tests anchors. It talks to the surface only through
// HtmlCanvas, which the Windows renderer implements on a class-library canvas and the tests
// and the fuzzer implement with fixed metrics.
#pragma once

#include <string>
#include <string_view>

#include "html/HtmlMarkup.h"

namespace html {

struct HtmlRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const HtmlRect&, const HtmlRect&) = default;
};

enum HtmlFontStyle : unsigned {
    kHtmlBold = 1,
    kHtmlItalic = 2,
    kHtmlUnderline = 4,
    kHtmlStrikeOut = 8,
};

// What the layout changes of a font. Height is in pixels as the platform's logical font takes
// it (negative: character height).
struct HtmlFont {
    std::string Name;
    int Height = 0;
    unsigned Style = 0;
    HtmlColor Color = 0;
    friend bool operator==(const HtmlFont&, const HtmlFont&) = default;
};

// The platform's single-line text format flags the layout uses.
enum HtmlTextFormat : unsigned {
    kFormatBottom = 0x8,
    kFormatSingleLine = 0x20,
    kFormatExpandTabs = 0x40,
    kFormatExternalLeading = 0x200,
    kFormatCalcRect = 0x400,
    kFormatNoPrefix = 0x800,
    kFormatEndEllipsis = 0x8000,
};

constexpr HtmlColor kHtmlHighlight = 0xFF00000D;
constexpr HtmlColor kHtmlHighlightText = 0xFF00000E;

enum class HtmlBackground { Tile, TopLeft, TopRight };

struct HtmlImageSize {
    int Width = 0;
    int Height = 0;
};

// The surface the layout draws on or measures with.
class HtmlCanvas {
public:
    virtual ~HtmlCanvas() = default;

    virtual HtmlFont Font() = 0;
    virtual void SetFont(const HtmlFont& font) = 0;
    // kHtmlNoColor: the brush is clear (text is drawn transparently, rectangles not filled).
    virtual HtmlColor BrushColor() = 0;
    virtual void SetBrushColor(HtmlColor color) = 0;
    virtual HtmlColor PenColor() = 0;
    virtual void SetPen(HtmlColor color, int width) = 0;
    // A system colour (0xFF000000 + n) as RGB; RGB values unchanged.
    virtual HtmlColor ToRGB(HtmlColor color) = 0;
    virtual int PixelsPerInchX() = 0;
    virtual int PixelsPerInchY() = 0;

    virtual int TextWidth(std::string_view text) = 0;
    virtual int TextHeight(std::string_view text) = 0;
    // Draws single-line text in `rect` with the platform's format flags; with kFormatCalcRect
    // only measures, setting rect's right (and bottom) edge to the text's.
    virtual void DrawText(std::string_view text, HtmlRect& rect, unsigned format) = 0;
    virtual void Rectangle(const HtmlRect& rect) = 0;
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    virtual void DrawFocusRect(const HtmlRect& rect) = 0;

    // Creates the current font turned by `angle` degrees and selects it; RestoreCanvasFont
    // selects the canvas font again and deletes the turned one. The layout pairs the two.
    virtual void SelectRotatedFont(int angle) = 0;
    virtual void RestoreCanvasFont() = 0;

    // Resolves an image source ("IDX:n", "SSYS:name", "LSYS:name", picture names, URLs) and
    // returns the size the layout reserves (device pixels); when `draw`, draws it with its top
    // left at (x, top), a picture stretched to width x height when both are at least 1.
    virtual HtmlImageSize PlaceImage(std::string_view source, int x, int top, int width, int height,
                                     bool draw) = 0;
    // A BODY background image over `rect` (tiled, or once at a corner).
    virtual void DrawBackgroundImage(std::string_view source, HtmlBackground kind, int x, int top,
                                     int workingRight, const HtmlRect& rect) = 0;
};

// `count` bands (0 counts as 1) from color1 to color2 across (horizontal) or down `rect`,
// each drawn as a rectangle with pen and brush in its colour; then a frame in frameColor
// unless it is kHtmlNoColor.
void FillGradientBands(HtmlCanvas& canvas, HtmlColor color1, HtmlColor color2, bool horizontal,
                       const HtmlRect& rect, int count, HtmlColor frameColor);

struct HtmlLayoutRequest {
    std::string Text;
    HtmlRect Rect;
    int X = -1;
    int Y = -1;
    int FocusIndex = -1;
    int HotIndex = -1;
    int ShadowOffset = 1;
    bool HitTestOnly = false;
    bool MeasureOnly = false;
    bool PlainColors = false;
    bool BlinkPhase = true;
    bool HotEffects = false;
    bool WordWrap = true;
    HtmlColor LinkColor = 0xFF0000;
    HtmlColor HotBackColor = kHtmlNoColor;
    HtmlColor HotTextColor = kHtmlNoColor;
    HtmlColor ShadowColor = 0x808080;
    int LineSpacing = 0;
    std::string HitAnchor;
    HtmlRect HitAnchorRect;
};

struct HtmlLayoutResult {
    bool Hit = false;
    std::string HitAnchor;
    std::string PlainText;
    std::string FocusedHref;
    int TextWidth = 0;
    int TextHeight = 0;
    int AnchorCount = 0;
    int HitAnchorIndex = -1;
    HtmlRect HitAnchorRect;
};

// Lays out, draws (or measures) and hit-tests `request.Text` on `canvas`. On return the canvas
// has its entry font and brush colour back and no turned font selected.
HtmlLayoutResult LayoutHtmlText(HtmlCanvas& canvas, const HtmlLayoutRequest& request);

} // namespace html
