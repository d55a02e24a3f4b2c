#pragma once
// The labels' tests: a shown form with a plain panel of a known colour as the labels' parent,
// rendered into a DIB, and the bounding box of the pixels of one colour.
#include "windows/ExtCtrls.h"
#include "windows/Forms.h"

#include "GuiTest.h"

#include <gtest/gtest.h>

#include <memory>

namespace labelfixture {

constexpr classlib::TColor ParentColour = 0x00C8F0E0; // what shows behind a transparent label

// A TColor (0x00BBGGRR) as a DIB pixel (0xRRGGBB).
inline uint32_t Rgb(classlib::TColor c)
{
    c = classlib::ColorToRGB(c);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// The smallest rectangle holding every pixel of `rgb` inside `area` (empty when none).
inline RECT InkBox(const testsupport::Dib& dib, const RECT& area, uint32_t rgb)
{
    RECT box{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (dib.Pixel(x, y) == rgb) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box.left == LONG_MAX ? RECT{} : box;
}

inline int CountPixels(const testsupport::Dib& dib, const RECT& area, uint32_t rgb)
{
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            count += dib.Pixel(x, y) == rgb;
    return count;
}

class LabelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new classlib::TForm(nullptr);
        form->SetBounds(40, 40, 520, 360);
        panel = new classlib::TPanel(form);
        panel->SetParent(form);
        panel->SetBevelOuter(classlib::bvNone);
        panel->SetBounds(0, 0, 500, 320);
        panel->SetColor(ParentColour);
        panel->SetParentBackground(false);
    }
    void TearDown() override { form->Free(); }

    template <class Label>
    Label* Place(int left, int top, int width, int height)
    {
        auto* label = new Label(form);
        label->SetParent(panel);
        label->SetBounds(left, top, width, height);
        return label;
    }

    std::unique_ptr<testsupport::Dib> Render()
    {
        auto dib = std::make_unique<testsupport::Dib>(panel->Width(), panel->Height(), 0xFFFFFF);
        panel->PaintTo(dib->dc(), 0, 0);
        return dib;
    }

    classlib::TForm* form = nullptr;
    classlib::TPanel* panel = nullptr;
};

} // namespace labelfixture
