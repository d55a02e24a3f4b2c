// Path and end ellipsis and accelerator marks, measured with a fixed-pitch width of 10 pixels
// a character so the expected texts follow from the rules alone.
#include "draw/CaptionText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace draw;

namespace {

int Fixed(const std::string& text)
{
    return static_cast<int>(text.size()) * 10;
}

} // namespace

TEST(CutFirstPathComponent, StepsTowardsASingleBackslash)
{
    const struct {
        std::string in, out;
    } cases[] = {
        {"\\a\\b\\", "\\...\\b\\"},
        {"\\...\\b\\", "\\...\\"},
        {"\\...\\", "\\"},
        {"\\", ""},
        {"", ""},
        {"abc", ""},
        {"a\\b\\", "...\\b\\"},
    };
    for (const auto& c : cases) {
        std::string dir = c.in;
        CutFirstPathComponent(dir);
        EXPECT_EQ(dir, c.out) << c.in;
    }
}

TEST(ShortenPathToWidth, PassesThroughEachShorterForm)
{
    const std::string path = "C:\\alpha\\beta\\file.txt";
    const std::vector<std::string> forms = {path, "C:\\...\\beta\\file.txt", "C:\\...\\file.txt",
                                            "...\\file.txt", "file.txt"};
    for (const std::string& form : forms)
        EXPECT_EQ(ShortenPathToWidth(path, Fixed, Fixed(form)), form);
    EXPECT_EQ(ShortenPathToWidth(path, Fixed, 1), "file.txt") << "the bare file name at the end";
}

TEST(EllipsisText, EndEllipsisFitsTheWidth)
{
    const struct {
        std::string text;
        int maxWidth;
        std::string expected;
    } cases[] = {
        {"Hello world", 200, "Hello world"}, // fits
        {"Hello world", 30, "."},            // three average characters do not fit
        {"Hello world", 80, "Hell..."},      // shrinks until it is narrower than the width
        {"Hello world", 69, "Hel..."},
        {"", 5, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EllipsisText(false, c.text, Fixed, 10, c.maxWidth), c.expected) << c.maxWidth;
    for (int w = 31; w < 110; ++w)
        EXPECT_LE(Fixed(EllipsisText(false, "Hello world", Fixed, 10, w)), w) << w;
    EXPECT_EQ(EllipsisText(false, "Hello world", Fixed, 0, 50), "") << "no font metrics";
    // Characters narrower than the average: the first guess fits, so it grows while it fits.
    auto narrow = [](const std::string& text) { return static_cast<int>(text.size()) * 5; };
    EXPECT_EQ(EllipsisText(false, "Hello world, again", narrow, 10, 80), "Hello world, ...");
    EXPECT_EQ(EllipsisText(true, "C:\\a\\file.txt", Fixed, 10, 80), "file.txt");
}

TEST(SplitAccel, MarksAndLiteralAmpersands)
{
    const struct {
        std::string caption, text;
        int pos;
    } cases[] = {
        {"&File", "File", 1},  {"E&xit", "Exit", 2},   {"Fish && Chips", "Fish & Chips", -1},
        {"A&&B&C", "A&BC", 4}, {"Plain", "Plain", -1},
    };
    for (const auto& c : cases) {
        const TAccelText t = SplitAccel(c.caption);
        EXPECT_EQ(t.Text, c.text) << c.caption;
        EXPECT_EQ(t.AccelPos, c.pos) << c.caption;
    }
}
