// DrawHtmlText against DrawTextA on the same plain paragraph, wrapped in the same rectangle,
// in the same font on the same 32-bit DIB section, in one run. Prints both times a paragraph
// and the ratio DrawHtmlText / DrawTextA (goal: within 2).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "html/HtmlRenderer.h"

namespace {

constexpr int W = 400, H = 300;
const std::string kParagraph =
    "The bootloader keeps control of the device after a reset: the host finds it, reads what "
    "the device is, loads an Intel HEX file into the family's flash images, erases and writes "
    "the flash, redirects the reset vector and restarts the device. Every event is a line in "
    "the history window, and a second click on the button stops after the current erase "
    "command or write run, so that the device is never left half written without a record.";

double NowMs()
{
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

// Milliseconds per paragraph, best of five batches.
template <class Paint>
double Time(Paint paint, int paragraphs)
{
    double best = 1e300;
    for (int batch = 0; batch < 5; ++batch) {
        const double start = NowMs();
        for (int i = 0; i < paragraphs; ++i)
            paint();
        GdiFlush();
        best = std::min(best, (NowMs() - start) / paragraphs);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    const int paragraphs = argc > 1 ? std::atoi(argv[1]) : 200;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = W;
    info.bmiHeader.biHeight = -H;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = SelectObject(dc, dib);

    classlib::TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.Font()->SetName("Arial");
    canvas.Font()->SetHeight(-13);
    html::HtmlDrawRequest request;
    request.Canvas = &canvas;
    request.Text = kParagraph;
    request.Rect = RECT{0, 0, W, H};
    html::HtmlDrawResult result;
    auto drawHtml = [&] { html::DrawHtmlText(request, result); };

    HFONT font =
        CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    auto drawText = [&] {
        HGDIOBJ oldFont = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        RECT r{1, 0, W, H};
        DrawTextA(dc, kParagraph.c_str(), static_cast<int>(kParagraph.size()), &r,
                  DT_WORDBREAK | DT_EXPANDTABS | DT_EXTERNALLEADING);
        SelectObject(dc, oldFont);
    };

    drawHtml();
    drawText();
    // Batches of the two alternate, so that a busy machine slows both alike.
    double htmlMs = 1e300, gdiMs = 1e300;
    for (int round = 0; round < 5; ++round) {
        htmlMs = std::min(htmlMs, Time(drawHtml, paragraphs));
        gdiMs = std::min(gdiMs, Time(drawText, paragraphs));
    }
    std::printf(
        "plain paragraph of %zu characters in %dx%d, %d paragraphs a batch, best of 25 batches\n",
        kParagraph.size(), W, H, paragraphs);
    std::printf("DrawHtmlText: %.4f ms a paragraph\nDrawTextA:    %.4f ms a paragraph\n", htmlMs,
                gdiMs);
    std::printf("ratio DrawHtmlText / DrawTextA: %.2f (goal: within 2)\n", htmlMs / gdiMs);

    canvas.SetHandle(nullptr);
    DeleteObject(font);
    SelectObject(dc, oldBitmap);
    DeleteObject(dib);
    DeleteDC(dc);
    return 0;
}
