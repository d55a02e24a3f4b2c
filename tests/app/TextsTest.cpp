#include "Texts.h"

#include <gtest/gtest.h>

using namespace app::text;

TEST(Texts, DeviceDisplayNames)
{
    EXPECT_EQ(DeviceDisplayName("USB HID Bootloader", 0x04D8, 0x003C, ""), "USB HID Bootloader");
    EXPECT_EQ(DeviceDisplayName("", 0x04D8, 0x003C, ""), "Device VID=04d8 PID=003c");
    EXPECT_EQ(DeviceDisplayName("", 0xABCD, 0x1, "S1"), "Device VID=abcd PID=0001 (Serial=S1)");
    EXPECT_EQ(DeviceDisplayName("Pad", 1, 2, "007"), "Pad (Serial=007)");
}

TEST(Texts, PathsShortenTheirDirectoriesFirst)
{
    const std::string path = "C:\\Projects\\board\\build\\firmware.hex";
    struct Case {
        std::size_t width;
        const char* expected;
    };
    const Case cases[] = {
        {100, "C:\\Projects\\board\\build\\firmware.hex"},
        {31, "C:\\...\\board\\build\\firmware.hex"},
        {25, "C:\\...\\build\\firmware.hex"},
        {19, "C:\\...\\firmware.hex"},
        {18, "firmware.hex"},
        {3, "firmware.hex"}, // the file name stays even when nothing fits
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShortenPath(path, [&](std::string_view t) { return t.size() <= c.width; }),
                  c.expected)
            << c.width;
    EXPECT_EQ(ShortenPath("\\\\server\\share\\directory\\a.hex",
                          [](std::string_view t) { return t.size() <= 24; }),
              "\\\\server\\share\\...\\a.hex");
    EXPECT_EQ(ShortenPath("a.hex", [](std::string_view) { return false; }), "a.hex");
}

TEST(Texts, UploadFailureNamesItsReasonWhenThereIsOne)
{
    EXPECT_EQ(UploadFailed(""), "Error: Upload failed.");
    EXPECT_EQ(UploadFailed("Out of memory"), "Error: Upload failed: Out of memory.");
    EXPECT_EQ(UploadFailed("Device cannot be opened."),
              "Error: Upload failed: Device cannot be opened.");
}
