#pragma once
// A canvas with fixed metrics for the portable layout: every character is 8 pixels wide (a
// space 4, one more in bold), every text as high as the font's pixel height (16 when the
// height is 0). It records what is drawn, and counts the turned fonts it creates and deletes.
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "html/HtmlLayout.h"

namespace html::testing {

struct DrawnText {
    std::string Text; // after prefix processing
    HtmlRect Rect;
    HtmlFont Font;
    HtmlColor Brush;
    unsigned Format;
};

struct DrawnRectangle {
    HtmlRect Rect;
    HtmlColor Pen;
    HtmlColor Brush;
};

struct DrawnLine {
    int X1, Y1, X2, Y2;
    HtmlColor Pen;
};

struct DrawnImage {
    std::string Source;
    int X, Top, Width, Height;
};

struct DrawnBackground {
    std::string Source;
    HtmlBackground Kind;
};

class FakeHtmlCanvas : public HtmlCanvas {
public:
    FakeHtmlCanvas()
    {
        font.Name = "Base";
        font.Height = -16;
        font.Color = 0x000000;
    }

    static int CharWidth(char c, bool bold) { return (c == ' ' ? 4 : 8) + (bold ? 1 : 0); }

    // What the platform shows of `text`: without kFormatNoPrefix "&&" shows one ampersand and a
    // single "&" marks the next character instead of showing.
    static std::string Shown(std::string_view text, unsigned format)
    {
        if (format & kFormatNoPrefix)
            return std::string(text);
        std::string shown;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '&' && i + 1 < text.size())
                ++i;
            else if (text[i] == '&')
                continue;
            shown += text[i];
        }
        return shown;
    }

    int Width(std::string_view text) const
    {
        int w = 0;
        for (char c : text)
            w += CharWidth(c, (font.Style & kHtmlBold) != 0);
        return w;
    }
    int Height() const { return font.Height == 0 ? 16 : std::abs(font.Height); }

    HtmlFont Font() override { return font; }
    void SetFont(const HtmlFont& f) override { font = f; }
    HtmlColor BrushColor() override { return brush; }
    void SetBrushColor(HtmlColor c) override { brush = c; }
    HtmlColor PenColor() override { return pen; }
    void SetPen(HtmlColor c, int) override { pen = c; }
    HtmlColor ToRGB(HtmlColor c) override
    {
        return (c & 0xFF000000u) == 0xFF000000u ? (c & 0xFF) * 0x010101u : c;
    }
    int PixelsPerInchX() override { return dpi; }
    int PixelsPerInchY() override { return dpi; }
    int TextWidth(std::string_view text) override { return Width(text); }
    int TextHeight(std::string_view) override { return Height(); }
    void DrawText(std::string_view text, HtmlRect& rect, unsigned format) override
    {
        const std::string shown = Shown(text, format);
        if (format & kFormatCalcRect) {
            rect.Right = rect.Left + Width(shown);
            rect.Bottom = rect.Top + Height();
            return;
        }
        texts.push_back({shown, rect, font, brush, format});
    }
    void Rectangle(const HtmlRect& r) override { rectangles.push_back({r, pen, brush}); }
    void MoveTo(int x, int y) override { penX = x, penY = y; }
    void LineTo(int x, int y) override
    {
        lines.push_back({penX, penY, x, y, pen});
        penX = x, penY = y;
    }
    void DrawFocusRect(const HtmlRect& r) override { focusRects.push_back(r); }
    void SelectRotatedFont(int angle) override
    {
        if (liveRotatedFonts > 0)
            rotatedFontLeaked = true;
        ++liveRotatedFonts;
        angles.push_back(angle);
    }
    void RestoreCanvasFont() override
    {
        if (liveRotatedFonts == 0)
            restoreWithoutFont = true;
        else
            --liveRotatedFonts;
    }
    HtmlImageSize PlaceImage(std::string_view source, int x, int top, int width, int height,
                             bool draw) override
    {
        const auto found = images.find(std::string(source));
        if (found == images.end())
            return {};
        if (draw)
            drawnImages.push_back({std::string(source), x, top, width, height});
        const bool stretched = width >= 1 && height >= 1;
        return {stretched ? width * dpi / 96 : found->second.Width * dpi / 96,
                stretched ? height * dpi / 96 : found->second.Height * dpi / 96};
    }
    void DrawBackgroundImage(std::string_view source, HtmlBackground kind, int, int, int,
                             const HtmlRect&) override
    {
        backgrounds.push_back({std::string(source), kind});
    }

    // The texts drawn in one colour, joined.
    std::string TextsInColor(HtmlColor color) const
    {
        std::string joined;
        for (const DrawnText& t : texts)
            if (t.Font.Color == color)
                joined += t.Text;
        return joined;
    }
    std::string AllText() const
    {
        std::string joined;
        for (const DrawnText& t : texts)
            joined += t.Text;
        return joined;
    }

    HtmlFont font;
    HtmlColor brush = 0xFFFFFF;
    HtmlColor pen = 0;
    int dpi = 96;
    int penX = 0, penY = 0;
    std::map<std::string, HtmlImageSize> images;
    std::vector<DrawnText> texts;
    std::vector<DrawnRectangle> rectangles;
    std::vector<DrawnLine> lines;
    std::vector<HtmlRect> focusRects;
    std::vector<DrawnImage> drawnImages;
    std::vector<DrawnBackground> backgrounds;
    std::vector<int> angles;
    int liveRotatedFonts = 0;
    bool rotatedFontLeaked = false;
    bool restoreWithoutFont = false;
};

} // namespace html::testing
