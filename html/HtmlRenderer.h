// DrawHtmlText: the one routine that draws, measures and hit-tests mini-HTML text for every
// HTML-capable control (check box, radio group, labels, combo box, status bar, panels, task
// dialog). It keeps no state between calls. The inputs are one record in the order the callers
// supply them, the outputs another; the portable layout lives in HtmlLayout, this is the
// canvas side (fonts, pictures, image lists, shell icons).
#pragma once

#include <windows.h>

#include <string>

#include "draw/PictureContainer.h"
#include "html/HtmlMarkup.h"
#include "windows/Graphics.h"
#include "windows/ImageLists.h"

namespace html {

struct HtmlDrawRequest {
    // Surface drawn on or measured with; its font is the base font.
    classlib::TCanvas* Canvas = nullptr;
    // The mini-HTML text.
    std::string Text;
    // Layout rectangle.
    RECT Rect{};
    // Source of "IDX:" images; none draws nothing for them.
    classlib::TCustomImageList* Images = nullptr;
    // Point to hit-test.
    int X = -1;
    int Y = -1;
    // 0-based index of the anchor drawn with a focus rectangle; -1 none.
    int FocusIndex = -1;
    // 1-based number of the hovered anchor; -1 none.
    int HotIndex = -1;
    // Shadow displacement in pixels, both directions.
    int ShadowOffset = 1;
    // The second pass measures and hit-tests instead of drawing.
    bool HitTestOnly = false;
    // Only the measuring pass runs.
    bool MeasureOnly = false;
    // Image-list and shell images are stretched by ImageScale.
    bool ScaleImages = false;
    // Colours from FONT, BODY and links are ignored.
    bool PlainColors = false;
    // False: blinking text is drawn in the background colour.
    bool BlinkPhase = true;
    // True: underline and hover colours only on anchor HotIndex; false: on every anchor.
    bool HotEffects = false;
    // Break lines after spaces; false: one line per break, cut with an end ellipsis.
    bool WordWrap = true;
    // Scale factor for scaled images.
    double ImageScale = 1.0;
    classlib::TColor LinkColor = classlib::clBlue;
    // Background and text colour of a hovered anchor; clNone for none.
    classlib::TColor HotBackColor = classlib::clNone;
    classlib::TColor HotTextColor = classlib::clNone;
    classlib::TColor ShadowColor = classlib::clGray;
    // Cache of URL pictures ("RES://", "FILE://"); none draws nothing for them.
    draw::THTMLPictureCache* PictureCache = nullptr;
    // Named pictures; none draws nothing for them.
    draw::TPictureContainer* PictureContainer = nullptr;
    // Pixels added to every line height.
    int LineSpacing = 0;
    // In/out: the anchor target and rectangle found by an earlier call; the result starts from
    // these and replaces them only on a hit.
    std::string HitAnchor;
    RECT HitAnchorRect{};
};

struct HtmlDrawResult {
    // Target of the anchor under (X, Y); the request's HitAnchor when none was found.
    std::string HitAnchor;
    // The text without tags (read it from a MeasureOnly call: each line once).
    std::string PlainText;
    // Target of the anchor with the focus rectangle.
    std::string FocusedHref;
    // Widest line plus 2.
    int TextWidth = 0;
    // Height of the processed lines.
    int TextHeight = 0;
    // Anchors met.
    int AnchorCount = 0;
    // 1-based number of the anchor under the point; -1 none.
    int HitAnchorIndex = -1;
    // That anchor's rectangle on its last line; the request's HitAnchorRect when none was found.
    RECT HitAnchorRect{};
};

// Draws (or measures, or hit-tests) `request.Text` in `request.Rect` on `request.Canvas`.
// True when the point lies on an anchor's text or an image inside an anchor (meaningful with
// HitTestOnly true and MeasureOnly false). On return the canvas has its entry font and brush.
bool DrawHtmlText(const HtmlDrawRequest& request, HtmlDrawResult& result);

// Helpers of the renderer that controls may use too.
// True when the path's attributes can be read and include the directory attribute.
bool IsDirectoryPath(const std::string& path);
// The bitmap's device-independent bits stretched into `rect` on the canvas.
void StretchBitmapToRect(classlib::TCanvas* canvas, const RECT& rect, classlib::TBitmap* bitmap);
// A system small (or large) icon by index, file, folder or extension; `size` receives the icon
// size; drawn at (x, y) when `draw`, stretched by `scale` when `stretch`.
void DrawShellIcon(classlib::TCanvas* canvas, int x, int y, SIZE& size, double scale, bool stretch,
                   bool draw, bool large, const std::string& name);
// `count` bands (0 counts as 1) from color1 to color2; a frame in frameColor unless clNone.
void FillGradientBands(classlib::TCanvas* canvas, classlib::TColor color1, classlib::TColor color2,
                       bool horizontal, const RECT& rect, int count, classlib::TColor frameColor);

} // namespace html
