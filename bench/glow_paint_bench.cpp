// A glow button face and its rounded border painted through the drawing helpers (GDI+: radial
// upper half, vertical lower half, anti-aliased rounded outline) against the same shapes drawn
// with plain GDI calls (solid pre-fills, an ellipse, a vertical GradientFill, a RoundRect), in
// one run on the same 32-bit DIB section. Prints both times per face and their ratio.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

COLORREF Ref(classlib::TColor c) { return static_cast<COLORREF>(c); }

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
    return TRIVERTEX{x, y, static_cast<COLOR16>((c & 0xFF) << 8), static_cast<COLOR16>(c & 0xFF00),
                     static_cast<COLOR16>((c >> 8) & 0xFF00), 0};
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

}  // namespace

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
  PaintWithHelpers(dc);  // starts GDI+ outside the timing
  PaintWithGdi(dc);
  const double helpers = Time(dc, PaintWithHelpers, faces);
  const double gdi = Time(dc, PaintWithGdi, faces);
  std::printf("glow face %dx%d, %d faces a batch, best of 5\n", W, H, faces);
  std::printf("helpers (GDI+): %.4f ms a face\nplain GDI:      %.4f ms a face\nratio helpers / plain GDI: %.2f\n",
              helpers, gdi, helpers / gdi);
  SelectObject(dc, old);
  DeleteObject(dib);
  DeleteDC(dc);
  return 0;
}
