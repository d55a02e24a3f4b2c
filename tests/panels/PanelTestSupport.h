#pragma once
// What the panel tests share: a shown form to place panels on, a panel painted into a DIB,
// event counters, and colours as DIB pixels.
#include "panels/AdvPanel.h"

#include "windows/Forms.h"

#include "GuiTest.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace paneltest {

// A TColor (0x00BBGGRR, system colours resolved) as a DIB pixel (0xRRGGBB).
inline uint32_t Px(classlib::TColor c)
{
    c = classlib::ColorToRGB(c);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// Counts notify events and remembers their anchors.
struct Events {
    int count = 0;
    std::vector<std::string> anchors;
    void Notify(classlib::TObject*) { ++count; }
    void Anchor(classlib::TObject*, std::string anchor) { anchors.push_back(anchor); }
};

// The control painted alone into a DIB of its size.
inline std::unique_ptr<testsupport::Dib> Render(classlib::TWinControl* control,
                                                uint32_t fill = 0x010203)
{
    auto dib = std::make_unique<testsupport::Dib>(control->Width(), control->Height(), fill);
    control->PaintTo(dib->dc(), 0, 0);
    return dib;
}

// A shown form owning what a test places on it.
class PanelFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new classlib::TForm(nullptr);
        form->SetBounds(60, 60, 640, 480);
        form->Show();
    }
    void TearDown() override { form->Free(); }

    template <class P = panels::TAdvPanel>
    P* Place(int left, int top, int width, int height, classlib::TWinControl* parent = nullptr)
    {
        auto* panel = new P(form);
        panel->SetParent(parent ? parent : form);
        panel->SetBounds(left, top, width, height);
        return panel;
    }
    // A plain panel: no bevel, one colour.
    panels::TAdvPanel* PlacePlain(int width, int height, classlib::TColor color = 0x00C08040)
    {
        auto* panel = Place(10, 10, width, height);
        panel->SetBevelOuter(classlib::bvNone);
        panel->SetColor(color);
        return panel;
    }

    classlib::TForm* form = nullptr;
};

} // namespace paneltest
