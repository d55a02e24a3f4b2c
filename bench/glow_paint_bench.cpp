// A glow button face and its rounded border painted through the drawing helpers (GDI+: radial
// upper half, vertical lower half, anti-aliased rounded outline) against the same shapes drawn
// with plain GDI calls (solid pre-fills, an ellipse, a vertical GradientFill, a RoundRect), in
// one run on the same 32-bit DIB section. Prints both times per face and their ratio, then
// where the helpers' time goes: the same face taken apart into its GDI+ steps, each timed on
// its own, as shares of the face.
#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "draw/GlowDrawing.h"

using namespace draw;

namespace {

constexpr int W = 120, H = 32;
constexpr classlib::TColor From = 0xF0D0B0, To = 0xC08040, Border = 0x806040;

double NowMs()
{
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

void PaintWithHelpers(HDC dc)
{
    auto graphics = TGPGraphics::CreateFromHDC(dc);
    graphics->SetSmoothingMode(4);
    DrawGlowFill(graphics.get(), {0, 0, W, H / 2}, From, To, ggRadial, true);
    DrawGlowFill(graphics.get(), {0, H / 2, W, H}, To, From, ggVertical, false);
    DrawRoundRectBorder(graphics.get(), Border, 0, 0, W - 1, H - 1, 3);
}

COLORREF Ref(classlib::TColor c)
{
    return static_cast<COLORREF>(c);
}

void PaintWithGdi(HDC dc)
{
    HBRUSH from = CreateSolidBrush(Ref(From)), to = CreateSolidBrush(Ref(To));
    RECT upper{0, 0, W, H / 2}, lower{0, H / 2, W, H};
    FillRect(dc, &upper, from);
    FillRect(dc, &lower, to);
    HGDIOBJ oldBrush = SelectObject(dc, to);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    Ellipse(dc, 0, -H / 4 + 2, W, H / 2);
    auto vertex = [](int x, int y, classlib::TColor c) {
        return TRIVERTEX{x,
                         y,
                         static_cast<COLOR16>((c & 0xFF) << 8),
                         static_cast<COLOR16>(c & 0xFF00),
                         static_cast<COLOR16>((c >> 8) & 0xFF00),
                         0};
    };
    TRIVERTEX v[2] = {vertex(0, H / 2, To), vertex(W, H, From)};
    GRADIENT_RECT g{0, 1};
    GradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V);
    HPEN pen = CreatePen(PS_SOLID, 1, Ref(Border));
    SelectObject(dc, pen);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, 0, 0, W, H, 6, 6);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(from);
    DeleteObject(to);
}

// Milliseconds per face, best of five batches.
template <class Paint>
double Time(HDC dc, Paint paint, int faces)
{
    double best = 1e300;
    for (int batch = 0; batch < 5; ++batch) {
        const double start = NowMs();
        for (int i = 0; i < faces; ++i)
            paint(dc);
        GdiFlush();
        best = std::min(best, (NowMs() - start) / faces);
    }
    return best;
}

// The steps of PaintWithHelpers, in the order a paint runs them.
enum Step {
    sGraphics,   // GdipCreateFromHDC and the smoothing mode
    sSolidFills, // the two solid pre-fills: brush creation and fill
    sPaths,      // the ellipse paths and the rounded outline: path creation and figures
    sBrushes,    // the path gradient and the linear gradient brush with their colours
    sGradients,  // the two gradient fills
    sBorder,     // the pen and the anti-aliased outline
    sRelease,    // freeing the brushes, paths and pen
    sFlush,      // GdipDeleteGraphics, which writes the drawing to the device context
    StepCount
};
const char* const kStepNames[StepCount] = {
    "graphics from the DC", "solid pre-fills",     "path building",   "gradient brushes",
    "gradient fills",       "anti-aliased border", "freeing objects", "graphics release (flush)"};

// One face through the same GDI+ calls as PaintWithHelpers, with a timestamp after each step.
void PaintInSteps(HDC dc, std::array<double, StepCount>& ms)
{
    double mark = NowMs();
    auto lap = [&](Step step) {
        const double now = NowMs();
        ms[step] += now - mark;
        mark = now;
    };
    auto graphics = TGPGraphics::CreateFromHDC(dc);
    graphics->SetSmoothingMode(4);
    lap(sGraphics);
    const RECT upper{0, 0, W, H / 2}, lower{0, H / 2, W, H};
    auto F = [](int v) { return static_cast<float>(v); };
    {
        auto from = TGPSolidBrush::CreateSolidFill(ColorToGPColor(From));
        graphics->FillRectWithBrush(from.get(), F(upper.left), F(upper.top), F(upper.right),
                                    F(upper.bottom));
        auto to = TGPSolidBrush::CreateSolidFill(ColorToGPColor(To));
        graphics->FillRectWithBrush(to.get(), F(lower.left), F(lower.top), F(lower.right),
                                    F(lower.bottom));
        lap(sSolidFills);
    }
    lap(sRelease);
    auto ellipse = TGPGraphicsPath::CreatePath(0);
    ellipse->AddPathEllipse(F(upper.left), F(upper.top - H / 4 + 2), F(upper.right),
                            F(upper.bottom));
    auto outline = TGPGraphicsPath::CreatePath(0);
    AddRoundRectOutline(*outline, 0, 0, W - 1, H - 1, 3);
    lap(sPaths);
    auto radial = TGPPathGradientBrush::CreatePathGradientFromPath(ellipse.get());
    radial->SetPathGradientCenterPointI(TGPPoint{W / 2, 0});
    radial->SetPathGradientCenterColor(ColorToGPColor(To));
    const ARGB surround = ColorToGPColor(From);
    int count = 1;
    radial->SetPathGradientSurroundColorsWithCount(&surround, count);
    auto linear = TGPLinearGradientBrush::CreateLineBrushFromRect(
        BuildRectF(0, F(H / 2), F(W), F(H / 2)), ColorToGPColor(To), ColorToGPColor(From), 1);
    lap(sBrushes);
    graphics->FillRectWithBrush(radial.get(), F(upper.left), F(upper.top), F(upper.right),
                                F(upper.bottom));
    graphics->FillRectWithBrush(linear.get(), F(lower.left), F(lower.top), F(lower.right),
                                F(lower.bottom));
    lap(sGradients);
    auto pen = TGPPen::CreatePen1(ColorToGPColor(Border), 1.0f);
    graphics->DrawPath(pen.get(), outline.get());
    lap(sBorder);
    pen.reset();
    radial.reset();
    linear.reset();
    ellipse.reset();
    outline.reset();
    lap(sRelease);
    graphics.reset();
    GdiFlush();
    lap(sFlush);
}

void PrintBreakdown(HDC dc, int faces)
{
    std::array<double, StepCount> ms{};
    for (int i = 0; i < faces; ++i)
        PaintInSteps(dc, ms);
    double total = 0;
    for (double v : ms)
        total += v;
    std::printf("where a face's time goes (%d faces, %.4f ms a face):\n", faces, total / faces);
    for (int step = 0; step < StepCount; ++step)
        std::printf("  %-26s %8.4f ms  %5.1f %%\n", kStepNames[step], ms[step] / faces,
                    100 * ms[step] / total);

    // The cost of one drawing call that touches almost no pixels: a face makes five (two solid
    // pre-fills, two gradient fills, one outline).
    auto graphics = TGPGraphics::CreateFromHDC(dc);
    graphics->SetSmoothingMode(4);
    auto brush = TGPSolidBrush::CreateSolidFill(ColorToGPColor(From));
    const double start = NowMs();
    for (int i = 0; i < faces; ++i)
        graphics->FillRectWithBrush(brush.get(), 1, 1, 2, 2);
    GdiFlush();
    const double call = (NowMs() - start) / faces;
    std::printf("one 2 x 2 anti-aliased solid fill: %.4f ms; five such calls: %.1f %% of a face\n",
                call, 100 * 5 * call / (total / faces));
}

} // namespace

int main(int argc, char** argv)
{
    const int faces = argc > 1 ? std::atoi(argv[1]) : 500;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = W;
    info.bmiHeader.biHeight = -H;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, dib);
    PaintWithHelpers(dc); // starts GDI+ outside the timing
    PaintWithGdi(dc);
    const double helpers = Time(dc, PaintWithHelpers, faces);
    const double gdi = Time(dc, PaintWithGdi, faces);
    std::printf("glow face %dx%d, %d faces a batch, best of 5\n", W, H, faces);
    std::printf(
        "helpers (GDI+): %.4f ms a face\nplain GDI:      %.4f ms a face\nratio helpers / plain "
        "GDI: %.2f\n",
        helpers, gdi, helpers / gdi);
    PrintBreakdown(dc, faces);
    SelectObject(dc, old);
    DeleteObject(dib);
    DeleteDC(dc);
    return 0;
}
