#pragma once
// Painting the drawing helpers into a 32-bit DIB section: a canvas and a GDI+ surface on one
// DIB, both gone before its pixels are read.
#include <cstdint>
#include <functional>
#include <memory>

#include "GuiTest.h"
#include "draw/AdvGDIP.h"
#include "windows/Graphics.h"

namespace drawtest {

// A TColor (0x00BBGGRR, system colours resolved) as a DIB pixel (0xRRGGBB).
inline uint32_t Px(classlib::TColor c)
{
    c = classlib::ColorToRGB(c);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

using Painter = std::function<void(classlib::TCanvas*, draw::TGPGraphics*)>;

inline std::unique_ptr<testsupport::Dib> PaintOnDib(int w, int h, const Painter& paint,
                                                    uint32_t fill = 0xFFFFFF)
{
    auto dib = std::make_unique<testsupport::Dib>(w, h, fill);
    classlib::TCanvas canvas;
    canvas.SetHandle(dib->dc());
    {
        auto graphics = draw::TGPGraphics::CreateFromHDC(dib->dc());
        paint(&canvas, graphics.get());
    }
    canvas.SetHandle(nullptr);
    return dib;
}

// The same for painters that only use the canvas.
inline std::unique_ptr<testsupport::Dib> PaintOnDib(
    int w, int h, const std::function<void(classlib::TCanvas*)>& paint, uint32_t fill = 0xFFFFFF)
{
    return PaintOnDib(w, h, Painter([&](classlib::TCanvas* c, draw::TGPGraphics*) { paint(c); }),
                      fill);
}

} // namespace drawtest
