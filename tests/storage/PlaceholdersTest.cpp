// The text work of the placeholder translation and of the control utilities: command
// scanning, date formats, gradient band plans and reference relinking.
#include "OcControlUtils.h"
#include "Placeholders.h"
#include "core/Component.h"

#include <gtest/gtest.h>

#include <vector>

using namespace storage;

namespace {

// Knows DATE (as "D") and LONG; everything else is unknown.
bool Expand(const std::string& command, std::string& result)
{
    if (command == "DATE") {
        result = "D";
        return true;
    }
    if (command == "LONG") {
        result = "long value";
        return true;
    }
    return false;
}

} // namespace

TEST(Placeholders, ExpandDelimitedCommands)
{
    struct Case {
        const char* text;
        const char* left;
        const char* right;
        const char* expected;
    };
    const Case cases[] = {
        {"Settings.ini", "%", "%", "Settings.ini"},
        {"", "%", "%", ""},
        {"log_%DATE%.txt", "%", "%", "log_D.txt"},
        {"%DATE%%LONG%", "%", "%", "Dlong value"},
        {"50%", "%", "%", "50%"},
        {"a%X%b", "%", "%", "aX%b"},
        {"%%DATE%", "%", "%", "D"},
        {"<DATE>-<LONG>", "<", ">", "D-long value"},
        // An empty delimiter is never found: no command, no endless scan.
        {"a%DATE%b", "", "%", "a%DATE%b"},
        {"a%DATE%b", "%", "", "a%DATE%b"},
        {"", "", "", ""},
        {"x%", "%", "", "x%"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandDelimitedCommands(c.text, c.left, c.right, Expand), c.expected)
            << c.text << " with '" << c.left << "' '" << c.right << "'";
}

TEST(Placeholders, DateTimeFormats)
{
    const TDateTimeParts when{2026, 12, 9, 7, 5, 3};
    EXPECT_EQ(FormatDateTimeText("dd_mm_yyyy", when), "09_12_2026");
    EXPECT_EQ(FormatDateTimeText("hh_nn_ss", when), "07_05_03");
    EXPECT_EQ(FormatDateTimeText("dd_mm_yyyy hh_nn_ss", when), "09_12_2026 07_05_03");
    EXPECT_EQ(FormatDateTimeText("hh:mm", when), "07:05") << "mm after an hour is minutes";
    EXPECT_EQ(FormatDateTimeText("x", when), "x");
}

TEST(ControlUtils, GradientBands)
{
    struct Case {
        int extent;
        uint8_t steps;
        size_t bands;
        int bandSize;
        int lastStrip;
    };
    const Case cases[] = {
        {5, 255, 5, 1, 0}, // at most one band per pixel
        {10, 3, 4, 3, 1},  // three bands of 3 and a 1-pixel strip in the end colour
        {12, 4, 4, 3, 0},
        {7, 2, 3, 3, 1},
    };
    for (const auto& c : cases) {
        const auto bands = PlanStepGradient(20, c.extent, 0x000000, c.steps, 0, 0xFFFFFF);
        ASSERT_EQ(bands.size(), c.bands) << c.extent << "/" << int(c.steps);
        EXPECT_EQ(bands[0].from, 20);
        EXPECT_EQ(bands[0].to - bands[0].from, c.bandSize);
        EXPECT_EQ(bands.back().to, 20 + c.extent);
        if (c.lastStrip) {
            EXPECT_EQ(bands.back().to - bands.back().from, c.lastStrip);
            EXPECT_EQ(bands.back().color, 0xFFFFFFu);
        }
    }
}

TEST(ControlUtils, GradientColoursAndDirections)
{
    const auto three = PlanStepGradient(0, 9, 0x000000, 3, 0, 0x0000FF);
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(three[0].color, 0x000000u);
    EXPECT_EQ(three[1].color, 0x000080u) << "MulDiv(1, 255, 2) rounds 127.5 up";
    EXPECT_EQ(three[2].color, 0x0000FFu);

    const auto reversed = PlanStepGradient(0, 9, 0x000000, 3, 1, 0x0000FF);
    EXPECT_EQ(reversed.front().color, 0x0000FFu) << "bottom to top: colours exchanged";

    // One solid fill for fewer than two steps or equal colours.
    for (const auto& plan : {PlanStepGradient(0, 10, 0x112233, 1, 2, 0x445566),
                             PlanStepGradient(0, 10, 0x112233, 8, 0, 0x112233)}) {
        ASSERT_EQ(plan.size(), 1u);
        EXPECT_EQ(plan[0].from, 0);
        EXPECT_EQ(plan[0].to, 10);
        EXPECT_EQ(plan[0].color, 0x112233u);
    }
    EXPECT_EQ(PlanStepGradient(0, 10, 0x112233, 0, 3, 0x445566)[0].color, 0x445566u);
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

TEST(ControlUtils, RelinkComponentMovesTheRemovalNotification)
{
    TWatcher owner(nullptr);
    auto* first = new classlib::TComponent(nullptr);
    auto* second = new classlib::TComponent(nullptr);
    classlib::TComponent* reference = nullptr;

    EXPECT_TRUE(RelinkComponent(&owner, first, reference));
    EXPECT_EQ(reference, first);
    EXPECT_FALSE(RelinkComponent(&owner, first, reference)) << "the same component again";
    EXPECT_FALSE(RelinkComponent(nullptr, second, reference)) << "no owner";
    EXPECT_EQ(reference, first);
    EXPECT_TRUE(RelinkComponent(&owner, second, reference));

    first->Free(); // no longer linked: the owner hears nothing
    EXPECT_TRUE(owner.removed.empty());
    second->Free();
    ASSERT_EQ(owner.removed.size(), 1u);
    EXPECT_EQ(owner.removed[0], second);
}
