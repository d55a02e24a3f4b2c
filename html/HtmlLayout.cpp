#include "html/HtmlLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "draw/DrawMath.h"

namespace html {

namespace {

constexpr unsigned kBaseFormat =
    kFormatBottom | kFormatSingleLine | kFormatExpandTabs | kFormatExternalLeading;

// Width of a list level and of the bullet column.
constexpr int kListIndent = 12;
constexpr int kGradientBands = 64;
// Font heights beyond this are not meaningful for the platform; larger SIZE values are limited.
constexpr int kMaxFontPoints = 32767;
// Pixel values from the markup (IN, OF, INDENT, image sizes) are limited to what the
// platform's coordinates hold, so positions and widths never overflow.
constexpr int kMaxPixelValue = 32767;

int PixelValue(std::string_view text)
{
    return std::min(ParseIntValue(text), kMaxPixelValue);
}

char UpperAt(std::string_view s, size_t i)
{
    if (i >= s.size())
        return '\0';
    const char c = s[i];
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// The number after the first letter `letter` (any case) and one more character, between
// double quotes (the "x" of IN and OF, the "a" of R); `found` is false without the letter.
int LetterValue(std::string_view tag, char letter, bool& found)
{
    const int p = PosNoCase(std::string_view(&letter, 1), tag);
    found = p > 0;
    if (!found)
        return 0;
    size_t at = static_cast<size_t>(p) + 1; // past the letter and the character after it
    if (at < tag.size() && tag[at] == '"')
        ++at;
    return at < tag.size() ? PixelValue(tag.substr(at)) : 0;
}

// Everything one call keeps between its lines and passes.
class Layout {
public:
    Layout(HtmlCanvas& canvas, const HtmlLayoutRequest& request) : c_(canvas), q_(request) {}
    HtmlLayoutResult Run();

private:
    enum class Mode { Measure, Draw };

    // Lays out one line from the front of `text` (which it advances past what the line took)
    // and returns the line's source text.
    std::string Line(std::string_view& text, HtmlRect lineRect, Mode mode, int& carriedOffset);
    // Handles the tag at the start of `text` (`tag` is its text up to and including ">").
    void Tag(std::string_view tag, const HtmlRect& lineRect, Mode mode, int& carriedOffset);
    void ClosingTag(std::string_view tag, const HtmlRect& lineRect, Mode mode, int& carriedOffset);
    void OpeningTag(std::string_view tag, const HtmlRect& lineRect, Mode mode, int& carriedOffset);
    void AnchorStart(std::string_view tag, const HtmlRect& lineRect, Mode mode);
    void AnchorEnd(const HtmlRect& lineRect, Mode mode);
    void Font(std::string_view tag, Mode mode);
    void Paragraph(std::string_view tag, const HtmlRect& lineRect, Mode mode);
    void Body(std::string_view tag, Mode mode);
    void ListItem(Mode mode);
    void Image(std::string_view tag, const HtmlRect& lineRect, Mode mode);
    void ErrorMark(int left, int right, int bottom);
    // Draws the runs collected since the last tag as one text.
    void FlushText();

    void SetFont(const HtmlFont& font);
    void ChangeFont(unsigned setStyle, unsigned clearStyle);
    void SetTextColor(HtmlColor color);
    void EndRotation();
    int GhHeight() { return c_.TextHeight("gh"); }
    bool Hover() const { return !q_.HotEffects || q_.HotIndex == anchorCount_; }

    HtmlCanvas& c_;
    const HtmlLayoutRequest& q_;
    HtmlLayoutResult r_;
    unsigned format_ = kBaseFormat;

    HtmlFont baseFont_;
    HtmlFont measureLineFont_;
    HtmlFont drawLineFont_;
    bool rotated_ = false;

    HtmlColor entryBrush_ = kHtmlNoColor;
    HtmlColor fontBrush_ = kHtmlNoColor;
    HtmlColor highlightText_ = kHtmlNoColor;
    HtmlColor highlightBrush_ = kHtmlNoColor;
    HtmlColor paragraphBrush_ = kHtmlNoColor;
    HtmlColor hotBrush_ = kHtmlNoColor;
    HtmlColor hotText_ = kHtmlNoColor;

    bool inAnchor_ = false;
    std::string target_;
    bool shadow_ = false;
    bool hidden_ = false;
    bool errorMark_ = false;
    bool paragraphBackground_ = false;
    bool subscript_ = false;
    bool superscript_ = false;
    bool anchorHitPending_ = false;

    int anchorCount_ = 0;
    int listLevel_ = 0;
    int imageCounter_ = 0;
    int hoverImageIndex_ = -1;

    int lineAlignment_ = 0;
    int lineIndent_ = 0;

    // The line being laid out.
    int w_ = 0;
    int h_ = 0;
    int superscriptSpace_ = 0;
    int subscriptSpace_ = 0;
    int baselineRaise_ = 0;
    bool textHit_ = false;
    bool imageHit_ = false;
    bool lineEnd_ = false;
    bool overflow_ = false;
    bool listItemSeen_ = false;
    HtmlRect work_;
    // Runs of the drawing pass that follow each other without a tag between them share font,
    // colours and baseline: they are drawn by one call, as the platform would draw that text.
    std::string pendingText_;
    HtmlRect pendingRect_;
    unsigned pendingFormat_ = 0;

    HtmlRect focusRect_;
    int hitStartLeft_ = 0;
    int hitStartTop_ = 0;
};

void Layout::SetFont(const HtmlFont& font)
{
    EndRotation();
    c_.SetFont(font);
}

void Layout::ChangeFont(unsigned setStyle, unsigned clearStyle)
{
    HtmlFont f = c_.Font();
    f.Style = (f.Style | setStyle) & ~clearStyle;
    c_.SetFont(f);
}

void Layout::SetTextColor(HtmlColor color)
{
    HtmlFont f = c_.Font();
    f.Color = color;
    c_.SetFont(f);
}

// A turned font lives from "<R" to "</R", a nested "<R", the next restored line-start font or
// the end of the call, whichever comes first; it is never left selected or undeleted.
void Layout::EndRotation()
{
    if (!rotated_)
        return;
    c_.RestoreCanvasFont();
    rotated_ = false;
}

HtmlLayoutResult Layout::Run()
{
    r_.HitAnchor = q_.HitAnchor;
    r_.HitAnchorRect = q_.HitAnchorRect;

    HtmlRect rect = q_.Rect;
    rect.Left += 1;

    baseFont_ = c_.Font();
    measureLineFont_ = baseFont_;
    drawLineFont_ = baseFont_;
    entryBrush_ = c_.BrushColor();
    c_.SetBrushColor(kHtmlNoColor);

    if (q_.Text.find(" & ") != std::string::npos)
        format_ |= kFormatNoPrefix;
    if (!q_.WordWrap)
        format_ |= kFormatEndEllipsis;
    const std::string prepared = PrepareHtmlText(q_.Text);
    std::string_view text = prepared;

    int carriedOffset = 0;
    int drawAnchorCount = 0;
    int drawListLevel = 0;
    while (!text.empty()) {
        SetFont(measureLineFont_);
        h_ = GhHeight();
        const int lineStartGh = h_;
        superscriptSpace_ = subscriptSpace_ = baselineRaise_ = 0;
        subscript_ = superscript_ = false;
        const bool anchorAtStart = inAnchor_;
        const std::string targetAtStart = target_;
        const bool shadowAtStart = shadow_;
        const bool hiddenAtStart = hidden_;
        const int imagesAtStart = imageCounter_;

        int measuredOffset = carriedOffset;
        const std::string source = Line(text, rect, Mode::Measure, measuredOffset);

        inAnchor_ = anchorAtStart;
        target_ = targetAtStart;
        EndRotation();
        measureLineFont_ = c_.Font();
        h_ += q_.LineSpacing;

        HtmlRect line = rect;
        if (lineAlignment_ == 1 && rect.Right - w_ > rect.Left)
            line.Left = rect.Right - w_;
        if (lineAlignment_ == 2 && rect.Right - rect.Left - w_ > 0)
            line.Left = rect.Left + (rect.Right - rect.Left - w_) / 2;
        line.Left += lineIndent_;
        line.Bottom = line.Top + h_ + subscriptSpace_ + superscriptSpace_;

        if (!q_.MeasureOnly) {
            SetFont(drawLineFont_);
            anchorCount_ = drawAnchorCount;
            listLevel_ = drawListLevel;
            imageCounter_ = imagesAtStart;
            shadow_ = shadowAtStart;
            hidden_ = hiddenAtStart;
            subscript_ = superscript_ = false;
            std::string_view sourceText = source;
            Line(sourceText, line, q_.HitTestOnly ? Mode::Measure : Mode::Draw, carriedOffset);
            drawAnchorCount = anchorCount_;
            drawListLevel = listLevel_;
            EndRotation();
            drawLineFont_ = c_.Font();
            const int gh = GhHeight();
            const int base = line.Bottom - baselineRaise_;
            if ((textHit_ && base - gh < q_.Y && q_.Y < base) || imageHit_)
                r_.Hit = true;
        }

        const int advance = h_ + subscriptSpace_ + superscriptSpace_;
        rect.Top += advance;
        r_.TextHeight += advance;
        if (!q_.MeasureOnly && rect.Top + lineStartGh > rect.Bottom)
            text = {};
    }

    if (r_.TextHeight == 0)
        r_.TextHeight = GhHeight();
    r_.AnchorCount = anchorCount_;
    c_.SetBrushColor(entryBrush_);
    SetFont(baseFont_);
    return r_;
}

std::string Layout::Line(std::string_view& text, HtmlRect lineRect, Mode mode, int& carriedOffset)
{
    const bool drawing = mode == Mode::Draw;
    std::string source;
    std::string drawn;
    // Whether the drawn line ends at a break point (a space of the source, not "&nbsp;").
    bool drawnEndsWithBreak = false;
    w_ = 0;
    int trailingSpace = 0;
    lineEnd_ = overflow_ = listItemSeen_ = false;
    textHit_ = imageHit_ = false;

    lineRect.Bottom -= subscriptSpace_;
    work_ = lineRect;
    if (drawing)
        work_.Left += carriedOffset;

    if (drawing && paragraphBackground_) {
        const HtmlColor pen = c_.PenColor();
        c_.SetPen(c_.BrushColor(), 1);
        c_.Rectangle({q_.Rect.Left, lineRect.Top, q_.Rect.Right, lineRect.Top + h_});
        c_.SetPen(pen, 1);
    }

    while (!text.empty() && !lineEnd_ && !overflow_) {
        // The run ends before the next "<", or after the next space when wrapping, whichever
        // comes first (scanning only the run keeps the layout linear in the text).
        size_t n = 0;
        while (n < text.size() && text[n] != '<' && !(q_.WordWrap && text[n] == ' '))
            ++n;
        if (n < text.size() && text[n] == ' ')
            ++n;

        if (n > 0) {
            const std::string_view run(text.data(), n);
            const std::string decoded = DecodeRunEntities(run);
            const int h = c_.TextHeight(decoded);
            if (subscript_)
                subscriptSpace_ = std::max(subscriptSpace_, h / 4);
            if (superscript_)
                superscriptSpace_ = std::max(superscriptSpace_, h / 4);
            h_ = std::max(h_, h);

            if (hidden_) {
                r_.PlainText += decoded;
                text.remove_prefix(n);
            } else {
                int w = 0;
                if (drawing) {
                    if (superscript_)
                        work_.Bottom -= superscriptSpace_;
                    if (subscript_)
                        work_.Bottom += subscriptSpace_;
                    work_.Bottom -= baselineRaise_;
                    const unsigned drawFormat = format_ & ~kFormatExternalLeading;
                    if (shadow_) {
                        FlushText();
                        const HtmlFont font = c_.Font();
                        HtmlFont shadowFont = font;
                        shadowFont.Color = q_.ShadowColor;
                        c_.SetFont(shadowFont);
                        HtmlRect shadowRect{
                            work_.Left + q_.ShadowOffset, work_.Top + q_.ShadowOffset,
                            work_.Right + q_.ShadowOffset, work_.Bottom + q_.ShadowOffset};
                        c_.DrawText(decoded, shadowRect, drawFormat);
                        c_.SetFont(font);
                    }
                    const int runLeft = work_.Left;
                    HtmlRect drawRect = work_;
                    // Blinking text in its off phase takes the entry brush colour, which may be
                    // none: then nothing is painted.
                    if (c_.Font().Color == kHtmlNoColor) {
                        FlushText();
                    } else {
                        if (pendingText_.empty()) {
                            pendingRect_ = drawRect;
                            pendingFormat_ = drawFormat;
                        }
                        pendingText_ += decoded;
                    }
                    c_.DrawText(decoded, work_, format_ | kFormatCalcRect);
                    if (inAnchor_ && anchorCount_ == q_.FocusIndex + 1)
                        r_.FocusedHref = target_;
                    if (errorMark_) {
                        FlushText();
                        ErrorMark(runLeft, work_.Right, lineRect.Bottom);
                    }
                    const int x = work_.Right;
                    work_ = lineRect;
                    work_.Left = x;
                } else {
                    work_ = lineRect;
                    HtmlRect measured = work_;
                    c_.DrawText(decoded, measured, format_ | kFormatCalcRect);
                    w = measured.Right - measured.Left;
                    w_ += w;
                    const int offset = q_.X - lineRect.Left;
                    if (inAnchor_ && offset >= w_ - w && offset <= w_) {
                        textHit_ = true;
                        if (q_.Y > lineRect.Top) {
                            r_.HitAnchor = target_;
                            anchorHitPending_ = true;
                        }
                    }
                }

                const int available = lineRect.Right - lineRect.Left - carriedOffset;
                const bool fits =
                    w_ < available || w >= available || (!drawn.empty() && !drawnEndsWithBreak);
                drawn += decoded;
                drawnEndsWithBreak = run.back() == ' ';
                if (fits || !q_.WordWrap) {
                    // Only a run that stays on the line counts: a wrapped run is counted on the
                    // line that takes it, so a measuring call's plain text holds every run once.
                    r_.PlainText += decoded;
                    source.append(run);
                    text.remove_prefix(n);
                    trailingSpace =
                        (decoded.size() >= n && decoded[n - 1] == ' ') ? c_.TextWidth(" ") : 0;
                } else {
                    lineEnd_ = true;
                    w_ -= w;
                }
            }
        }

        // Tags at the start of the text.
        if (text.empty() || text[0] != '<')
            continue;
        if (text.size() <= 2) {
            // A "<" (or "<" and one character) at the very end is dropped.
            text = {};
            continue;
        }
        if (lineEnd_)
            continue;
        const size_t gt = text.find('>');
        const std::string_view tag = gt == std::string_view::npos ? text : text.substr(0, gt + 1);
        FlushText();
        Tag(tag, lineRect, mode, carriedOffset);
        if (overflow_)
            continue;
        if (gt == std::string_view::npos) {
            // A tag without its ">" ends the text.
            text = {};
        } else {
            source.append(tag);
            text.remove_prefix(gt + 1);
        }
    }

    FlushText();
    w_ -= trailingSpace;
    if (w_ > r_.TextWidth)
        r_.TextWidth = w_ + 2;

    if (drawing && inAnchor_ && anchorCount_ == q_.FocusIndex + 1) {
        focusRect_.Right = work_.Left;
        focusRect_.Bottom = work_.Bottom;
        HtmlRect drawnFocus = focusRect_;
        drawnFocus.Left -= 1;
        drawnFocus.Right += 1;
        c_.DrawFocusRect(drawnFocus);
        focusRect_.Left = lineRect.Left + 1;
        focusRect_.Top = focusRect_.Bottom;
    }
    return source;
}

void Layout::Tag(std::string_view tag, const HtmlRect& lineRect, Mode mode, int& carriedOffset)
{
    if (tag.size() > 3 && tag[1] == '/')
        ClosingTag(tag, lineRect, mode, carriedOffset);
    else
        OpeningTag(tag, lineRect, mode, carriedOffset);
}

void Layout::ClosingTag(std::string_view tag, const HtmlRect& lineRect, Mode mode,
                        int& carriedOffset)
{
    const bool drawing = mode == Mode::Draw;
    switch (UpperAt(tag, 2)) {
        case 'A':
            AnchorEnd(lineRect, mode);
            break;
        case 'B':
            if (UpperAt(tag, 3) == '>')
                ChangeFont(0, kHtmlBold);
            else
                SetTextColor(baseFont_.Color);
            break;
        case 'E':
            errorMark_ = false;
            break;
        case 'F': {
            HtmlFont f = c_.Font();
            f.Name = baseFont_.Name;
            f.Height = baseFont_.Height;
            if (drawing && !q_.PlainColors) {
                f.Color = baseFont_.Color;
                c_.SetBrushColor(fontBrush_);
            }
            c_.SetFont(f);
            break;
        }
        case 'H':
            // Only what "<HI" saved is restored: a stray "</H" leaves the colours alone.
            if (drawing && highlightText_ != kHtmlNoColor) {
                SetTextColor(highlightText_);
                c_.SetBrushColor(highlightBrush_);
                highlightText_ = kHtmlNoColor;
            }
            break;
        case 'I':
            ChangeFont(0, kHtmlItalic);
            break;
        case 'L':
            lineEnd_ = true;
            break;
        case 'O':
            carriedOffset = 0;
            break;
        case 'P':
            lineEnd_ = true;
            if (drawing) {
                c_.SetBrushColor(paragraphBrush_);
                paragraphBackground_ = false;
            }
            break;
        case 'R':
            EndRotation();
            break;
        case 'S':
            if (UpperAt(tag, 3) == 'U')
                subscript_ = superscript_ = false;
            else if (UpperAt(tag, 3) == 'H')
                shadow_ = false;
            else
                ChangeFont(0, kHtmlStrikeOut);
            break;
        case 'U':
            if (UpperAt(tag, 3) != '>' && listLevel_ > 0)
                --listLevel_;
            else
                ChangeFont(0, kHtmlUnderline);
            break;
        case 'Z':
            hidden_ = false;
            break;
        default:
            break;
    }
}

void Layout::OpeningTag(std::string_view tag, const HtmlRect& lineRect, Mode mode,
                        int& carriedOffset)
{
    const bool drawing = mode == Mode::Draw;
    const char third = UpperAt(tag, 2);
    switch (UpperAt(tag, 1)) {
        case 'A':
            AnchorStart(tag, lineRect, mode);
            break;
        case 'B':
            if (third == '>') {
                ChangeFont(kHtmlBold, 0);
            } else if (third == 'L') {
                if (!q_.BlinkPhase)
                    SetTextColor(entryBrush_);
            } else if (third == 'O') {
                Body(tag, mode);
            } else if (third == 'R') {
                lineEnd_ = true;
                r_.PlainText += '\r';
            }
            break;
        case 'E':
            if (drawing)
                errorMark_ = true;
            break;
        case 'F':
            Font(tag, mode);
            break;
        case 'H':
            if (third == 'I') {
                if (drawing) {
                    highlightText_ = c_.Font().Color;
                    highlightBrush_ = c_.BrushColor();
                    c_.SetBrushColor(kHtmlHighlight);
                    SetTextColor(kHtmlHighlightText);
                }
            } else if (third == 'R') {
                lineEnd_ = true;
                if (drawing) {
                    const HtmlColor pen = c_.PenColor();
                    c_.SetPen(0, 1);
                    c_.MoveTo(lineRect.Left, work_.Bottom + 1);
                    c_.LineTo(lineRect.Right, work_.Bottom + 1);
                    c_.SetPen(pen, 1);
                }
            }
            break;
        case 'I':
            if (third == '>') {
                ChangeFont(kHtmlItalic, 0);
            } else if (third == 'N') {
                bool found;
                const int n = LetterValue(tag, 'x', found);
                if (found && w_ < n) {
                    w_ = n;
                    work_.Left = q_.Rect.Left + n;
                }
            } else if (third == 'M') {
                Image(tag, lineRect, mode);
            }
            break;
        case 'L':
            ListItem(mode);
            break;
        case 'O':
            if (third == 'F') {
                bool found;
                const int n = LetterValue(tag, 'x', found);
                if (found) {
                    carriedOffset = n;
                    work_.Left = n;
                    w_ = n;
                }
            }
            break;
        case 'P':
            Paragraph(tag, lineRect, mode);
            break;
        case 'R': {
            bool found;
            const int angle = LetterValue(tag, 'a', found);
            EndRotation();
            c_.SelectRotatedFont(angle);
            rotated_ = true;
            break;
        }
        case 'S':
            if (third == '>')
                ChangeFont(kHtmlStrikeOut, 0);
            else if (third == 'H')
                shadow_ = true;
            else if (PosNoCase("<SUB>", tag) == 1)
                subscript_ = true;
            else if (PosNoCase("<SUP>", tag) == 1)
                superscript_ = true;
            break;
        case 'U':
            if (third == '>') {
                ChangeFont(kHtmlUnderline, 0);
            } else {
                ++listLevel_;
                lineEnd_ = true;
            }
            break;
        case 'Z':
            hidden_ = true;
            break;
        default:
            break;
    }
}

void Layout::AnchorStart(std::string_view tag, const HtmlRect& lineRect, Mode mode)
{
    const bool drawing = mode == Mode::Draw;
    if (drawing && q_.FocusIndex == anchorCount_) {
        focusRect_.Left = work_.Left;
        focusRect_.Top = work_.Top;
    }
    ++anchorCount_;
    if (Hover() && drawing) {
        ChangeFont(kHtmlUnderline, 0);
        if (q_.HotBackColor != kHtmlNoColor) {
            hotBrush_ = c_.BrushColor();
            c_.SetBrushColor(q_.HotBackColor);
        }
        if (q_.HotTextColor != kHtmlNoColor) {
            hotText_ = c_.Font().Color;
            SetTextColor(q_.HotTextColor);
        }
    }
    if (!q_.PlainColors &&
        (q_.HotTextColor == kHtmlNoColor || q_.HotIndex != anchorCount_ || !q_.HotEffects))
        SetTextColor(q_.LinkColor);
    // The target: between the tag's first two double quotes, whatever attribute precedes them.
    target_.clear();
    const size_t open = tag.find('"');
    if (open != std::string_view::npos) {
        const size_t close = tag.find('"', open + 1);
        if (close != std::string_view::npos)
            target_ = std::string(tag.substr(open + 1, close - open - 1));
    }
    inAnchor_ = true;
    hitStartLeft_ = lineRect.Left + w_;
    hitStartTop_ = lineRect.Top;
}

void Layout::AnchorEnd(const HtmlRect& lineRect, Mode mode)
{
    const bool drawing = mode == Mode::Draw;
    if (Hover() && drawing) {
        ChangeFont(0, kHtmlUnderline);
        if (q_.HotBackColor != kHtmlNoColor)
            c_.SetBrushColor(hotBrush_);
        if (q_.HotTextColor != kHtmlNoColor)
            SetTextColor(hotText_);
    }
    if (!q_.PlainColors)
        SetTextColor(baseFont_.Color);
    inAnchor_ = false;
    if (anchorHitPending_) {
        if (hitStartTop_ != lineRect.Top) {
            hitStartLeft_ = lineRect.Left;
            hitStartTop_ = lineRect.Top;
        }
        r_.HitAnchorRect = {hitStartLeft_, hitStartTop_, lineRect.Left + w_, lineRect.Bottom};
        r_.HitAnchorIndex = anchorCount_;
        anchorHitPending_ = false;
    }
    if (q_.FocusIndex == anchorCount_ - 1) {
        focusRect_.Right = work_.Left;
        focusRect_.Bottom = work_.Bottom - baselineRaise_;
        focusRect_.Top = focusRect_.Bottom - GhHeight();
        focusRect_.Left -= 1;
        focusRect_.Right += 1;
        if (drawing)
            c_.DrawFocusRect(focusRect_);
    }
}

void Layout::Font(std::string_view tag, Mode mode)
{
    const std::string attributes = UpperCase(tag.size() > 5 ? tag.substr(5) : std::string_view());
    HtmlFont f = c_.Font();
    bool found;
    const std::string face = AttributeValue(attributes, "FACE", &found);
    if (found && !face.empty())
        f.Name = face;
    const std::string color = AttributeValue(attributes, " COLOR", &found);
    if (found && !color.empty() && !q_.PlainColors)
        f.Color = ParseColorValue(color);
    const std::string background = AttributeValue(attributes, "BGCOLOR", &found);
    if (found && !background.empty() && mode == Mode::Draw && !q_.PlainColors) {
        fontBrush_ = c_.BrushColor();
        c_.SetBrushColor(ParseColorValue(background));
    }
    const std::string size = AttributeValue(attributes, "SIZE", &found);
    if (found) {
        static constexpr int kSizes[] = {8, 10, 12, 14, 16};
        int points = ParseIntValue(size);
        if (points >= 1 && points <= 5)
            points = kSizes[points - 1];
        points = std::min(points, kMaxFontPoints);
        f.Height = -static_cast<int>(
            std::lround(static_cast<double>(points) * c_.PixelsPerInchY() / 72.0));
    }
    c_.SetFont(f);
}

void Layout::Paragraph(std::string_view tag, const HtmlRect& lineRect, Mode mode)
{
    const std::string attributes = UpperCase(tag);
    bool found;
    const std::string align = AttributeValue(attributes, "ALIGN", &found);
    if (found) {
        int alignment = 0;
        if (align.find("RIGHT") != std::string::npos)
            alignment = 1;
        if (align.find("LEFT") != std::string::npos)
            alignment = 0;
        if (align.find("CENTER") != std::string::npos)
            alignment = 2;
        lineAlignment_ = alignment;
    }
    const std::string indent = AttributeValue(attributes, "INDENT", &found);
    if (found)
        lineIndent_ = PixelValue(indent);

    bool hasColor;
    const std::string from = AttributeValue(attributes, "BGCOLOR", &hasColor);
    if (!hasColor)
        return;
    bool hasTo;
    const std::string to = AttributeValue(attributes, "BGCOLORTO", &hasTo);
    const HtmlColor c = from.empty() ? kHtmlNoColor : ParseColorValue(from);
    paragraphBackground_ = true;
    if (mode != Mode::Draw)
        return;
    if (!hasTo) {
        paragraphBrush_ = c_.BrushColor();
        c_.SetBrushColor(c);
        c_.SetPen(c, 1);
        c_.Rectangle({q_.Rect.Left, lineRect.Top, q_.Rect.Right, lineRect.Bottom});
    } else {
        const HtmlColor e = to.empty() ? kHtmlNoColor : ParseColorValue(to);
        c_.SetPen(c, 1);
        FillGradientBands(c_, c, e, true,
                          {q_.Rect.Left, lineRect.Top, q_.Rect.Right, lineRect.Bottom + 2},
                          kGradientBands, kHtmlNoColor);
        c_.SetBrushColor(kHtmlNoColor);
    }
}

void Layout::Body(std::string_view tag, Mode mode)
{
    if (mode != Mode::Draw || q_.PlainColors)
        return;
    const std::string attributes = UpperCase(tag.size() > 5 ? tag.substr(5) : std::string_view());
    static constexpr std::pair<std::string_view, HtmlBackground> kImages[] = {
        {"BACKGROUND", HtmlBackground::Tile},
        {"BGTOPLEFT", HtmlBackground::TopLeft},
        {"BGTOPRIGHT", HtmlBackground::TopRight},
    };
    for (const auto& [name, kind] : kImages) {
        bool found;
        const std::string source = AttributeValue(attributes, name, &found);
        if (found && !source.empty())
            c_.DrawBackgroundImage(source, kind, work_.Left, work_.Top, work_.Right, q_.Rect);
    }

    bool hasColor;
    const std::string from = AttributeValue(attributes, "BGCOLOR", &hasColor);
    if (!hasColor)
        return;
    bool hasTo;
    const std::string to = AttributeValue(attributes, "BGCOLORTO", &hasTo);
    const HtmlColor c = from.empty() ? kHtmlNoColor : ParseColorValue(from);
    if (!hasTo) {
        fontBrush_ = c_.BrushColor();
        c_.SetBrushColor(c);
        const HtmlColor pen = c_.PenColor();
        c_.SetPen(c, 1);
        c_.Rectangle({q_.Rect.Left - 2, q_.Rect.Top, q_.Rect.Right, q_.Rect.Bottom});
        c_.SetPen(pen, 1);
    } else {
        const HtmlColor e = to.empty() ? kHtmlNoColor : ParseColorValue(to);
        bool hasDirection;
        const std::string direction = AttributeValue(attributes, "DIR", &hasDirection);
        const bool horizontal = direction.empty() || direction == "H";
        c_.SetPen(c, 1);
        FillGradientBands(c_, c, e, horizontal, q_.Rect, kGradientBands, kHtmlNoColor);
        c_.SetBrushColor(kHtmlNoColor);
    }
}

void Layout::ListItem(Mode mode)
{
    w_ += listLevel_ * kListIndent;
    if (listItemSeen_) {
        // A second item in one line starts the next line.
        overflow_ = true;
        return;
    }
    listItemSeen_ = true;
    work_.Left += listLevel_ * kListIndent - kListIndent;
    if (mode == Mode::Draw && !hidden_) {
        const HtmlFont font = c_.Font();
        HtmlFont symbol = font;
        symbol.Name = "Symbol";
        c_.SetFont(symbol);
        HtmlRect bullet = work_;
        c_.DrawText((listLevel_ % 2 != 0) ? "\xB7" : "o", bullet, 0);
        c_.SetFont(font);
    }
    work_.Left += kListIndent;
}

void Layout::Image(std::string_view tag, const HtmlRect& lineRect, Mode mode)
{
    ++imageCounter_;
    const std::string_view attributesText = tag.size() > 2 ? tag.substr(2) : std::string_view();
    const std::string attributes = UpperCase(attributesText);
    std::string source = AttributeValue(attributesText, "SRC");
    bool hasAlt;
    const std::string alt = AttributeValue(attributes, "ALT", &hasAlt);
    if (hoverImageIndex_ == imageCounter_ && hasAlt)
        source = alt;
    const int width = PixelValue(AttributeValue(attributes, "WIDTH"));
    const int height = PixelValue(AttributeValue(attributes, "HEIGHT"));

    const int x = work_.Left;
    const int top = work_.Top;
    const HtmlImageSize size = c_.PlaceImage(source, x, top, width, height, false);
    const int m = size.Width;
    const int lineWidth = lineRect.Right - lineRect.Left;
    if (lineWidth < w_ + m && m < lineWidth) {
        // It does not fit in the rest of the line: the tag starts the next one.
        overflow_ = true;
        return;
    }
    if (mode == Mode::Draw)
        c_.PlaceImage(source, x, top, width, height, true);

    // The image's offset in the line: W while measuring; while drawing W leaves out the text
    // widths, so the pen position tells where the image really is.
    const int left = mode == Mode::Draw ? x - lineRect.Left : w_;
    const int offset = q_.X - lineRect.Left;
    if (inAnchor_ && left < offset && offset < left + m && top < q_.Y && q_.Y < top + size.Height) {
        imageHit_ = true;
        r_.HitAnchor = target_;
        hoverImageIndex_ = imageCounter_;
    }

    w_ += m;
    work_.Left += m;
    h_ = std::max(h_, size.Height);

    const size_t align = attributes.find("ALIGN");
    if (align != std::string::npos) {
        const size_t quote = attributes.find('"', align);
        const std::string_view value = quote == std::string::npos
                                           ? std::string_view()
                                           : std::string_view(attributes).substr(quote + 1);
        if (value.starts_with("TOP"))
            baselineRaise_ = h_ - GhHeight();
        else if (value.starts_with("MIDDLE"))
            baselineRaise_ = (h_ - GhHeight()) / 2;
    }
    if (attributes.find("WRAP") != std::string::npos) {
        h_ = GhHeight();
        baselineRaise_ = 0;
    }
}

void Layout::FlushText()
{
    if (pendingText_.empty())
        return;
    c_.DrawText(pendingText_, pendingRect_, pendingFormat_);
    pendingText_.clear();
}

void Layout::ErrorMark(int left, int right, int bottom)
{
    c_.SetPen(0x0000FF, 1);
    int x = (left / 2) * 2;
    int phase = (x % 4 == 0) ? 2 : 0;
    c_.MoveTo(x, bottom + phase - 1);
    while (x < right) {
        phase = phase == 2 ? 0 : 2;
        c_.LineTo(x + 2, bottom + phase - 1);
        x += 2;
    }
}

} // namespace

void FillGradientBands(HtmlCanvas& canvas, HtmlColor color1, HtmlColor color2, bool horizontal,
                       const HtmlRect& rect, int count, HtmlColor frameColor)
{
    if (count < 1)
        count = 1;
    const HtmlColor from = canvas.ToRGB(color1);
    const HtmlColor to = canvas.ToRGB(color2);
    auto channel = [](HtmlColor c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
    const int dr = channel(to, 0) - channel(from, 0);
    const int dg = channel(to, 8) - channel(from, 8);
    const int db = channel(to, 16) - channel(from, 16);
    const int extent = horizontal ? rect.Right - rect.Left : rect.Bottom - rect.Top;
    const double step = static_cast<double>(extent) / count;
    for (int n = 0; n < count; ++n) {
        auto part = [&](int delta) {
            return draw::RoundEven(static_cast<long double>(n) * delta / count);
        };
        const HtmlColor color = static_cast<HtmlColor>(static_cast<int64_t>(from) + part(dr) +
                                                       256 * part(dg) + 65536 * part(db));
        canvas.SetPen(color, 1);
        canvas.SetBrushColor(color);
        const int start = draw::RoundEven(n * static_cast<long double>(step));
        const int stop = static_cast<int>(std::trunc(step)) + 1;
        if (horizontal)
            canvas.Rectangle({rect.Left + start, rect.Top,
                              std::min(rect.Right, rect.Left + start + stop), rect.Bottom});
        else
            canvas.Rectangle({rect.Left, rect.Top + start, rect.Right,
                              std::min(rect.Bottom, rect.Top + start + stop)});
    }
    if (frameColor != kHtmlNoColor) {
        canvas.SetBrushColor(kHtmlNoColor);
        canvas.SetPen(frameColor, 1);
        canvas.Rectangle(rect);
    }
}

HtmlLayoutResult LayoutHtmlText(HtmlCanvas& canvas, const HtmlLayoutRequest& request)
{
    Layout layout(canvas, request);
    return layout.Run();
}

} // namespace html
