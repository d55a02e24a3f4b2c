// Random markup, rectangle sizes and flags through the portable layout. Invariants: no read
// outside the text (the sanitizers), every turned font deleted and none created over another,
// the measured size inside its limits, and for markup whose tags StripHtmlTags treats alike
// the measured plain text equal to StripHtmlTags.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FakeHtmlCanvas.h"
#include "html/HtmlLayout.h"

namespace {

// Markup where the layout's plain text and StripHtmlTags must agree: no entities, line breaks,
// placeholders, hidden text, breaks or rules, and every "<" closed by a ">".
bool PlainTextComparable(const std::string& markup)
{
    if (markup.find_first_of("&\r\n") != std::string::npos)
        return false;
    for (size_t i = 0; i < markup.size(); ++i) {
        if (markup[i] != '<')
            continue;
        if (markup.find('>', i) == std::string::npos)
            return false;
        const std::string head = html::UpperCase(markup.substr(i + 1, 3));
        if (head.starts_with("#") || head.starts_with("Z") || head.starts_with("/Z") ||
            head.starts_with("BR") || head.starts_with("HR"))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 6)
        return 0;
    const uint8_t flags = data[0];
    html::HtmlLayoutRequest q;
    q.Rect = {data[1] % 16, data[2] % 16, data[1] % 16 + data[3] * 2, data[2] % 16 + data[4] * 2};
    q.X = data[5] % 128;
    q.Y = data[5] / 2;
    q.HitTestOnly = flags & 1;
    q.MeasureOnly = flags & 2;
    q.WordWrap = flags & 4;
    q.PlainColors = flags & 8;
    q.BlinkPhase = flags & 16;
    q.HotEffects = flags & 32;
    q.FocusIndex = (flags & 64) ? 0 : -1;
    q.HotIndex = (flags & 128) ? 1 : -1;
    q.Text.assign(reinterpret_cast<const char*>(data + 6), size - 6);

    html::testing::FakeHtmlCanvas canvas;
    canvas.images["PIC"] = {30, 20};
    canvas.images["pic"] = {10, 40};
    const html::HtmlFont entryFont = canvas.font;
    const html::HtmlLayoutResult r = html::LayoutHtmlText(canvas, q);

    if (canvas.liveRotatedFonts != 0 || canvas.rotatedFontLeaked || canvas.restoreWithoutFont)
        __builtin_trap();
    if (!(canvas.font == entryFont))
        __builtin_trap();

    // Widths: every character at most 9 pixels, and per tag at most one pixel value, one list
    // indent per open level and one picture.
    const int64_t tags = std::count(q.Text.begin(), q.Text.end(), '<');
    const int64_t widthLimit =
        2 + 9 * static_cast<int64_t>(q.Text.size()) + tags * (32767 + 12 * tags + 30);
    if (r.TextWidth < 0 || r.TextWidth > widthLimit)
        __builtin_trap();
    // Heights: at least one line; when the rectangle limits the lines, at most its height plus
    // the tallest possible line (a 32767-point font, images, scripts and spacing).
    if (r.TextHeight < 1)
        __builtin_trap();
    if (!q.MeasureOnly && r.TextHeight > std::max(0, q.Rect.Bottom - q.Rect.Top) + 3 * 44000)
        __builtin_trap();
    if (r.AnchorCount < 0 || r.AnchorCount > tags)
        __builtin_trap();

    if (q.MeasureOnly && PlainTextComparable(q.Text) && r.PlainText != html::StripHtmlTags(q.Text))
        __builtin_trap();
    return 0;
}
