// Saving while a form's component tree is whole, minimizing the application, the control at a
// screen point with disabled controls included, and the panel's bevels.
#include "windows/Application.h"
#include "windows/ExtCtrls.h"
#include "windows/Forms.h"
#include "windows/StdCtrls.h"

#include <gtest/gtest.h>

#include "ExceptionRecorder.h"
#include "GuiTest.h"

#include <string>
#include <vector>

using namespace classlib;
using testsupport::Dib;
using testsupport::PumpUntil;

namespace {

// Saves its layout the way a toolbar does: by reading the controls it holds.
class TLayoutSaver : public TCustomControl {
    CLASSLIB_CLASS(TLayoutSaver, TCustomControl)
    explicit TLayoutSaver(TComponent* owner) : TCustomControl(owner) {}
    std::vector<std::string>* saved = nullptr;
    bool fail = false;

protected:
    void TreeDestroying() override
    {
        for (int i = 0; i < ControlCount(); ++i)
            saved->push_back(Controls(i)->Name() + "@" + std::to_string(Controls(i)->Left()));
        if (fail)
            throw Exception("layout not saved");
    }
};
CLASSLIB_PUBLISH(TLayoutSaver) {}

TEST(FormTreeTest, LayoutIsSavedWithTheControlsStillPresentAndFailuresGoToTheApplication)
{
    for (bool fail : {false, true}) {
        SCOPED_TRACE(fail ? "failing" : "saving");
        ExceptionRecorder recorder;
        std::vector<std::string> saved;
        auto* form = new TForm(nullptr);
        auto* bar = new TLayoutSaver(form);
        bar->SetParent(form);
        bar->saved = &saved;
        bar->fail = fail;
        // Created after the bar, so the form frees them before it.
        for (int i = 0; i < 2; ++i) {
            auto* button = new TButton(form);
            button->SetName("Button" + std::to_string(i));
            button->SetParent(bar);
            button->SetLeft(30 * i);
        }
        form->HandleNeeded();
        EXPECT_NO_THROW(form->Free());
        EXPECT_EQ(saved, (std::vector<std::string>{"Button0@0", "Button1@30"}));
        ASSERT_EQ(recorder.Count(), fail ? 1u : 0u);
        if (fail) {
            EXPECT_EQ(recorder.Entries()[0].message, "layout not saved");
            EXPECT_EQ(recorder.Entries()[0].sender, static_cast<TObject*>(bar));
        }
    }
}

TEST(ApplicationMinimizeTest, MinimizesTheMainForm)
{
    TForm* main = nullptr;
    Application->CreateForm(main);
    main->SetBounds(50, 50, 200, 150);
    main->Show();
    Application->ProcessMessages();
    Application->Minimize();
    EXPECT_TRUE(PumpUntil([&] { return IsIconic(main->Handle()) != FALSE; }));
    EXPECT_EQ(main->WindowState(), wsMinimized);
}

TEST(FindControlAtPosTest, FindsDisabledControlsOnlyWhenAsked)
{
    auto* form = new TForm(nullptr);
    form->SetBounds(60, 60, 300, 200);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 250, 150);
    auto* enabled = new TButton(form);
    enabled->SetParent(panel);
    enabled->SetBounds(10, 10, 80, 30);
    auto* disabled = new TButton(form);
    disabled->SetParent(panel);
    disabled->SetBounds(100, 10, 80, 30);
    disabled->SetEnabled(false);
    auto* label = new TLabel(form);
    label->SetParent(panel);
    label->SetBounds(10, 80, 80, 20);
    label->SetCaption("label");
    label->SetEnabled(false);
    form->Show();
    Application->ProcessMessages();

    struct Case {
        const char* name;
        TControl* at;
        bool allowDisabled;
        TControl* expected;
    };
    for (const Case& c : {Case{"enabled", enabled, false, enabled},
                          Case{"disabled, allowed", disabled, true, disabled},
                          Case{"disabled, excluded", disabled, false, panel},
                          Case{"disabled graphic, allowed", label, true, label},
                          Case{"disabled graphic, excluded", label, false, panel}}) {
        SCOPED_TRACE(c.name);
        const POINT p = c.at->ClientToScreen(POINT{5, 5});
        EXPECT_EQ(FindControlAtPos(p, c.allowDisabled), c.expected);
    }
    EXPECT_EQ(FindControlAtPos(POINT{5000, 5000}, true), nullptr);
    form->Free();
}

struct BevelCase {
    const char* name;
    TBevelCut outer, inner;
    int width;
    COLORREF topLeft, bottomRight, innerTopLeft;
};

class PanelBevelTest : public ::testing::TestWithParam<BevelCase> {};

TEST_P(PanelBevelTest, BevelsAreDrawnInHighlightAndShadow)
{
    const BevelCase& c = GetParam();
    auto* form = new TForm(nullptr);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 40, 30);
    panel->SetColor(static_cast<TColor>(0x00FF00));
    panel->SetBevelOuter(c.outer);
    panel->SetBevelInner(c.inner);
    panel->SetBevelWidth(c.width);
    form->HandleNeeded();
    Dib dib(40, 30);
    panel->PaintTo(dib.dc(), 0, 0);
    auto rgb = [](COLORREF bgr) {
        return static_cast<uint32_t>(GetRValue(bgr) << 16 | GetGValue(bgr) << 8 | GetBValue(bgr));
    };
    EXPECT_EQ(dib.Pixel(0, 0), rgb(c.topLeft));
    EXPECT_EQ(dib.Pixel(39, 29), rgb(c.bottomRight));
    EXPECT_EQ(dib.Pixel(c.width, c.width + 5), rgb(c.innerTopLeft));
    EXPECT_EQ(dib.Pixel(20, 15), 0x00FF00u);
    form->Free();
}

const COLORREF kHighlight = GetSysColor(COLOR_BTNHIGHLIGHT);
const COLORREF kShadow = GetSysColor(COLOR_BTNSHADOW);
const COLORREF kGreen = RGB(0, 255, 0);

INSTANTIATE_TEST_SUITE_P(
    Bevels, PanelBevelTest,
    ::testing::Values(BevelCase{"Raised", bvRaised, bvNone, 1, kHighlight, kShadow, kGreen},
                      BevelCase{"Lowered", bvLowered, bvNone, 1, kShadow, kHighlight, kGreen},
                      BevelCase{"RaisedOverLowered", bvRaised, bvLowered, 1, kHighlight, kShadow,
                                kShadow},
                      BevelCase{"WideRaised", bvRaised, bvNone, 3, kHighlight, kShadow, kGreen}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
