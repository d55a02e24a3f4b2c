// The window side of the control utilities: the stepped gradient painted through a canvas
// into a 32-bit DIB, the active-window test, font parts, image-list relinking and the extra
// drag cursors.
#include "GuiTest.h"
#include "OcControlUtilsWin.h"
#include "windows/ImageLists.h"
#include "windows/Screen.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace storage;
using testsupport::Dib;

namespace {

void Paint(Dib& dib, const RECT& rect, classlib::TColor from, uint8_t steps, uint8_t direction,
           classlib::TColor to)
{
    classlib::TCanvas canvas;
    canvas.SetHandle(dib.dc());
    PaintStepGradient(canvas, rect, from, steps, direction, to);
    EXPECT_EQ(canvas.LockCount(), 0);
    canvas.SetHandle(nullptr);
}

} // namespace

TEST(GradientPaint, BandsAndTheEndColourStrip)
{
    Dib dib(20, 10, 0x00FF00);
    // 10 pixels high, 3 steps: bands of 3 pixels, the last pixel row in the end colour.
    // TColor is 0x00BBGGRR: blue 0xFF0000 runs to red 0x0000FF.
    Paint(dib, RECT{0, 0, 20, 10}, 0xFF0000, 3, 0, 0x0000FF);
    EXPECT_EQ(dib.Pixel(5, 0), 0x0000FFu); // Pixel() is 0xRRGGBB: blue
    EXPECT_EQ(dib.Pixel(5, 2), 0x0000FFu);
    // The middle step: red 0 + MulDiv(1, 255, 2) = 128, blue 255 + MulDiv(1, -255, 2) = 127
    // (MulDiv rounds halves away from zero).
    EXPECT_EQ(dib.Pixel(5, 3), 0x80007Fu);
    EXPECT_EQ(dib.Pixel(5, 8), 0xFF0000u);
    EXPECT_EQ(dib.Pixel(5, 9), 0xFF0000u); // the remaining strip: end colour
}

TEST(GradientPaint, RightToLeftExchangesTheColoursAndNoneDrawsNothing)
{
    Dib dib(4, 2, 0x00FF00);
    Paint(dib, RECT{0, 0, 4, 2}, 0x000000, 255, 3, 0xFFFFFF);
    EXPECT_EQ(dib.Pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(dib.Pixel(3, 1), 0x000000u);

    Dib untouched(4, 2, 0x00FF00);
    Paint(untouched, RECT{0, 0, 4, 2}, classlib::clNone, 4, 0, classlib::clNone);
    Paint(untouched, RECT{2, 2, 2, 2}, 0x000000, 4, 0, 0xFFFFFF);
    EXPECT_EQ(untouched.Pixel(0, 0), 0x00FF00u);
    EXPECT_EQ(untouched.Pixel(2, 1), 0x00FF00u);
}

TEST(GradientPaint, SystemColoursAreResolved)
{
    Dib dib(2, 2, 0x00FF00);
    Paint(dib, RECT{0, 0, 2, 2}, 0xFF00000F, 1, 0, 0x000000); // button face
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(dib.Pixel(1, 1),
              (uint32_t(GetRValue(face)) << 16) | (GetGValue(face) << 8) | GetBValue(face));
}

TEST(ControlUtilsWin, ActiveWindowBelongsToTheCallingThreadOnly)
{
    HWND window = CreateWindowExA(0, "STATIC", "active", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    SetActiveWindow(window);
    ASSERT_EQ(GetActiveWindow(), window);
    EXPECT_TRUE(ThreadOwnsActiveWindow());
    bool otherThread = true;
    std::thread([&] { otherThread = ThreadOwnsActiveWindow(); }).join();
    EXPECT_FALSE(otherThread);
    DestroyWindow(window);
}

TEST(ControlUtilsWin, AssignFontParts)
{
    classlib::TFont source;
    source.SetName("Tahoma");
    source.SetColor(0x123456);
    source.SetHeight(-20);
    source.SetCharset(238);
    source.SetPitch(classlib::fpFixed);
    source.SetStyle({classlib::fsBold});
    auto fresh = [] {
        auto font = std::make_unique<classlib::TFont>();
        font->SetName("Arial");
        font->SetColor(0);
        font->SetHeight(-11);
        return font;
    };

    auto untouched = fresh();
    AssignFontParts(*untouched, source, 0);
    EXPECT_EQ(untouched->Name(), "Arial");
    EXPECT_EQ(untouched->Height(), -11);

    auto all = fresh();
    AssignFontParts(*all, source, fpoEnabled);
    EXPECT_EQ(all->Name(), "Tahoma");
    EXPECT_EQ(all->Color(), 0x123456u);
    EXPECT_EQ(all->Height(), -20);
    EXPECT_EQ(all->Charset(), 238);
    EXPECT_EQ(all->Pitch(), classlib::fpFixed);
    EXPECT_TRUE(all->Style().Contains(classlib::fsBold));

    auto keepNameAndColor = fresh();
    AssignFontParts(*keepNameAndColor, source, fpoEnabled | fpoKeepName | fpoKeepColor);
    EXPECT_EQ(keepNameAndColor->Name(), "Arial");
    EXPECT_EQ(keepNameAndColor->Color(), 0u);
    EXPECT_EQ(keepNameAndColor->Height(), -20);
}

namespace {

class TWatcher : public classlib::TComponent {
public:
    using TComponent::TComponent;
    std::vector<classlib::TComponent*> removed;

protected:
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == classlib::opRemove)
            removed.push_back(component);
    }
};

} // namespace

TEST(ControlUtilsWin, RelinkImageListMovesNotificationAndChangeLink)
{
    TWatcher owner(nullptr);
    auto* first = new classlib::TImageList(nullptr);
    auto* second = new classlib::TImageList(nullptr);
    classlib::TChangeLink link;
    classlib::TCustomImageList* reference = nullptr;

    EXPECT_TRUE(RelinkImageList(&owner, first, reference, &link));
    EXPECT_EQ(link.Sender(), first);
    EXPECT_FALSE(RelinkImageList(&owner, first, reference, &link));
    EXPECT_TRUE(RelinkImageList(&owner, second, reference, &link));
    EXPECT_EQ(reference, second);
    EXPECT_EQ(link.Sender(), second);

    first->Free();
    EXPECT_TRUE(owner.removed.empty());
    EXPECT_TRUE(RelinkImageList(&owner, nullptr, reference, &link));
    EXPECT_EQ(link.Sender(), nullptr);
    second->Free();
    EXPECT_TRUE(owner.removed.empty());
}

TEST(ControlUtilsWin, ExtraDragCursorsStandForTheDragCursors)
{
    ASSERT_NE(classlib::Screen, nullptr);
    // Something else under the numbers first, so that the registration shows.
    HCURSOR cross = LoadCursor(nullptr, IDC_CROSS);
    for (int number = 368; number <= 371; ++number)
        classlib::Screen->SetCursors(number, cross);
    ASSERT_NE(classlib::Screen->Cursors(-16), cross);
    // The drag (-12) and multi-drag (-16) cursors are drawn cursors of their own, so the
    // comparisons below tell the two apart and from the arrow.
    const HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    for (int number : {-12, -16}) {
        const HCURSOR cursor = classlib::Screen->Cursors(number);
        EXPECT_NE(cursor, arrow) << number;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(cursor, &info)) << number;
        EXPECT_FALSE(info.fIcon) << number;
        if (info.hbmMask)
            DeleteObject(info.hbmMask);
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
    }
    EXPECT_NE(classlib::Screen->Cursors(-12), classlib::Screen->Cursors(-16));
    RegisterExtraDragCursors();
    EXPECT_EQ(classlib::Screen->Cursors(368), classlib::Screen->Cursors(-16));
    EXPECT_EQ(classlib::Screen->Cursors(369), classlib::Screen->Cursors(-12));
    EXPECT_EQ(classlib::Screen->Cursors(370), classlib::Screen->Cursors(-16));
    EXPECT_EQ(classlib::Screen->Cursors(371), classlib::Screen->Cursors(-16));
}
