#include "HexLoader.h"

#include "HexRecords.h"

#include <gtest/gtest.h>

using namespace app;
using namespace hextest;

namespace {

DeviceInfo Device(FamilyCode code, std::uint16_t revision = 0x0100,
                  std::uint32_t bootStart = 0x8000, std::uint32_t flash = 0x10000)
{
    DeviceInfo d;
    d.mcuType = code;
    d.bootRevision = revision;
    d.bootStart = bootStart;
    d.flashSize = flash;
    d.eraseBlockSize = 64;
    d.writeBlockSize = 64;
    return d;
}

using Bytes = std::vector<std::uint8_t>;

} // namespace

TEST(HexLoader, FillsGapsWithTheErasedValueOfTheFamily)
{
    const std::string file = Lines({Data(0x10, {0xAA, 0xBB}), End});
    const auto pic16 = LoadHex(file, "a.hex", Device(1));
    ASSERT_TRUE(pic16.Ok());
    Bytes expected;
    for (int k = 0; k < 8; ++k)
        expected.insert(expected.end(), {0xFF, 0x3F});
    expected.insert(expected.end(), {0xAA, 0xBB});
    EXPECT_EQ(pic16.program, expected);

    const auto pic18 = LoadHex(file, "a.hex", Device(2));
    Bytes ff(0x10, 0xFF);
    ff.insert(ff.end(), {0xAA, 0xBB});
    EXPECT_EQ(pic18.program, ff);
}

TEST(HexLoader, Pic24KeepsThreeOfFourBytes)
{
    const auto r = LoadHex(Lines({Data(0, {0, 1, 2, 3, 4, 5, 6, 7}), End}), "a.hex", Device(4));
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.program, (Bytes{0, 1, 2, 4, 5, 6}));
}

TEST(HexLoader, FamilyWindowsDecideWhatIsKept)
{
    struct Case {
        const char* what;
        DeviceInfo device;
        std::uint16_t upper;
        std::uint16_t address;
        std::size_t programSize; // after loading one 4-byte record
        std::size_t bootSize;
    };
    const Case cases[] = {
        {"PIC18 below the bootloader", Device(2, 0x0100, 0x7C00), 0, 0x7BFC, 0x7C00, 0},
        {"PIC18 at the bootloader", Device(2, 0x0100, 0x7C00), 0, 0x7C00, 0, 0},
        {"PIC18 rev 0x1200 up to flash", Device(2, 0x1200, 0x7C00, 0x8000), 0, 0x7C00, 0x7C04, 0},
        {"PIC18 rev 0x1200 past flash", Device(2, 0x1200, 0x7C00, 0x8000), 0, 0x8000, 0, 0},
        {"PIC24 below twice the boot word", Device(4, 0x0100, 0x1000), 0, 0x1FFC, 0x1800, 0},
        {"PIC24 at twice the boot word", Device(4, 0x0100, 0x1000), 0, 0x2000, 0, 0},
        {"PIC32 program flash", Device(20), 0x1D00, 0, 4, 0},
        {"PIC32 below 0x1F800000, flash size unknown", Device(20, 0x0100, 0x8000, 0), 0x1F7F,
         0xFFF0, 0x027FFFF4, 0},
        {"PIC32 at 0x1F800000", Device(20), 0x1F80, 0, 0, 0},
        {"PIC32 boot flash", Device(20), 0x1FC0, 0x2FEC, 0, 0x2FF0},
        {"PIC32 past code-20 boot window", Device(20), 0x1FC0, 0x2FF0, 0, 0},
        {"PIC32MZ boot window is larger", Device(21), 0x1FC0, 0x2FF0, 0, 0x2FF4},
        {"PIC32 program below 0x1D000000", Device(20), 0x1CFF, 0xFFF0, 0, 0},
        {"STM32 offset", Device(35, 0x0100, 0x10000), 0x0800, 0x0100, 0x104, 0},
        {"unknown family keeps everything", Device(39), 0x0001, 0, 0x10004, 0},
    };
    for (const auto& c : cases) {
        const auto r =
            LoadHex(Lines({Upper(c.upper), Data(c.address, {1, 2, 3, 4}), End}), "a.hex", c.device);
        if (c.programSize == 0 && c.bootSize == 0) {
            // The one record is dropped, so the file has nothing for this device.
            EXPECT_EQ(r.problem, HexProblem::OutsideWindow) << c.what;
            continue;
        }
        ASSERT_TRUE(r.Ok()) << c.what << ": " << r.message;
        EXPECT_EQ(r.program.size(), c.programSize) << c.what;
        EXPECT_EQ(r.boot.size(), c.bootSize) << c.what;
    }
}

TEST(HexLoader, EndLineStopsReadingAlsoWithTrailingBlanks)
{
    for (const char* end : {":00000001FF", ":00000001ff", ":00000001FF  ", ":00000001FF\t"}) {
        const auto r = LoadHex(Lines({Data(0, {1}), end, ":0400000000000000FF", "garbage:"}),
                               "a.hex", Device(2));
        ASSERT_TRUE(r.Ok()) << end << ": " << r.message;
        EXPECT_EQ(r.program, Bytes{1}) << end;
    }
    const auto empty = LoadHex(Lines({End, Data(0, {1})}), "a.hex", Device(2));
    EXPECT_TRUE(empty.Ok());
    EXPECT_TRUE(empty.program.empty());
}

TEST(HexLoader, FaultyLinesLoadNothingAndNameTheLine)
{
    const std::string good = Data(0, {1, 2, 3, 4});
    std::string badSum = good;
    badSum[badSum.size() - 1] = badSum.back() == '0' ? '1' : '0';
    struct Case {
        std::vector<std::string> lines;
        HexProblem problem;
        int line;
        std::string message;
    };
    const Case cases[] = {
        {{"; comment", "", good, badSum, End},
         HexProblem::Checksum,
         3,
         "CRC check failed. Invalid CRC at line 3 in file 'fw.hex'.\r\nNo data will be loaded."},
        {{good, ":0400000001020G0400", End},
         HexProblem::InvalidRecord,
         1,
         "Invalid HEX record at line 1 in file 'fw.hex'.\r\nNo data will be loaded."},
        {{good + " ", End}, HexProblem::InvalidRecord, 0, ""}, // trailing blank
        {{good, ":0400000001020304", End},
         HexProblem::InvalidRecord,
         1,
         ""},                                                                // shorter than counted
        {{good, ":040000000102030", End}, HexProblem::InvalidRecord, 1, ""}, // half a pair
        {{":00000004FC", End}, HexProblem::InvalidRecord, 0, ""}, // address record without address
        {{":", End}, HexProblem::InvalidRecord, 0, ""},
    };
    for (const auto& c : cases) {
        const auto r = LoadHex(Lines(c.lines), "C:\\dir\\fw.hex", Device(2));
        EXPECT_EQ(r.problem, c.problem) << c.lines[0];
        EXPECT_EQ(r.line, c.line) << c.lines[0];
        // Only the CRC failure is a warning; a malformed record is an error.
        EXPECT_EQ(r.box, c.problem == HexProblem::Checksum ? MessageBoxKind::Warning
                                                           : MessageBoxKind::Error)
            << c.lines[0];
        if (!c.message.empty()) {
            EXPECT_EQ(r.message, c.message);
        }
        EXPECT_TRUE(r.program.empty() && r.boot.empty()) << "no half-loaded image";
    }
}

TEST(HexLoader, Stm32AddressBelowFlashIsAnErrorAtThatLine)
{
    const auto r = LoadHex(Lines({Upper(0x0800), Data(0, {1}), Upper(0x0000), Data(0, {2}), End}),
                           "a.hex", Device(37, 0x0100, 0x10000));
    EXPECT_EQ(r.problem, HexProblem::BelowFlashOffset);
    EXPECT_EQ(r.line, 2);
    EXPECT_EQ(r.box, MessageBoxKind::Error);
    EXPECT_EQ(r.message, "Start address of hex input in line '2' violates internal flash offset.");
    EXPECT_TRUE(r.program.empty());
}

TEST(HexLoader, ImagesNeverGrowPastTheFlashOrTheSaneBound)
{
    struct Case {
        const char* what;
        DeviceInfo device;
        std::uint16_t upper;
        bool ok;
    };
    const Case cases[] = {
        // Revision 0x1200 keeps data up to a flash size the device may misreport.
        {"huge flash size", Device(30, 0x1200, 0, 0xFFFFFFFF), 0xF000, false},
        {"inside 64 MiB", Device(30, 0x1200, 0, 0xFFFFFFFF), 0x03FF, true},
        {"family without window", Device(44), 0x4000, false},
        {"family without window, low", Device(44), 0x0010, true},
        {"huge bootloader address", Device(2, 0x0100, 0xFFFFFFFF, 0), 0x8000, false},
    };
    for (const auto& c : cases) {
        const auto r =
            LoadHex(Lines({Upper(c.upper), Data(0xFFF0, {1, 2}), End}), "a.hex", c.device);
        EXPECT_EQ(r.Ok(), c.ok) << c.what;
        if (!c.ok) {
            EXPECT_EQ(r.problem, HexProblem::BeyondFlash) << c.what;
            EXPECT_EQ(r.box, MessageBoxKind::Error) << c.what;
            EXPECT_EQ(r.line, 1) << c.what;
            EXPECT_TRUE(r.program.empty()) << c.what;
        }
    }
    // A record that straddles the end of the flash is refused rather than cut.
    const auto straddle =
        LoadHex(Lines({Data(0x7FFF, {1, 2}), End}), "a.hex", Device(2, 0x1200, 0, 0x8000));
    EXPECT_EQ(straddle.problem, HexProblem::BeyondFlash);
}

TEST(HexLoader, FileWithNoByteInsideTheWindowIsRefusedNamingFileAndWindow)
{
    struct Case {
        const char* what;
        DeviceInfo device;
        std::vector<std::string> lines;
        bool refused;
        std::string window; // as the message names it
    };
    const Case cases[] = {
        // A generic-ARM device (image base 0) given a file linked at 0x08000000.
        {"ARM file linked for 0x08000000",
         Device(30, 0x0100, 0x8000),
         {Upper(0x0800), Data(0, {1, 2}), End},
         true,
         "0x00000000-0x00007FFF"},
        {"ARM, only part outside",
         Device(30, 0x0100, 0x8000),
         {Data(0x7FFE, {1, 2}), Upper(0x0800), Data(0, {1, 2}), End},
         false,
         ""},
        {"STM32 beyond its flash",
         Device(35, 0x1200, 0, 0x20000),
         {Upper(0x0802), Data(0, {1}), End},
         true,
         "0x08000000-0x0801FFFF"},
        {"PIC32 outside both windows",
         Device(20, 0x1200, 0, 0x80000),
         {Upper(0x1F00), Data(0, {1}), End},
         true,
         "0x1D000000-0x1D07FFFF, 0x1FC00000-0x1FC02FEF"},
        {"PIC32 boot flash only",
         Device(20, 0x1200, 0, 0x80000),
         {Upper(0x1FC0), Data(0, {1}), End},
         false,
         ""},
        {"bootloader at address 0 leaves no window",
         Device(2, 0x0100, 0),
         {Data(0, {1}), End},
         true,
         "(empty)"},
        {"no data at all", Device(30), {Upper(0x0800), End}, false, ""},
        {"data records without bytes", Device(30), {Data(0x9000, {}), End}, false, ""},
    };
    for (const auto& c : cases) {
        const auto r = LoadHex(Lines(c.lines), "C:\\fw\\app.hex", c.device);
        if (!c.refused) {
            EXPECT_TRUE(r.Ok()) << c.what << ": " << r.message;
            continue;
        }
        EXPECT_EQ(r.problem, HexProblem::OutsideWindow) << c.what;
        EXPECT_EQ(r.box, MessageBoxKind::Error) << c.what;
        EXPECT_EQ(r.message, "HEX file 'app.hex' has no data inside the device's address window " +
                                 c.window + ".\r\nNo data will be loaded.")
            << c.what;
        EXPECT_TRUE(r.program.empty() && r.boot.empty()) << c.what;
    }
}

TEST(HexLoader, LineEndingsOfAnyKindSeparateLines)
{
    const std::string a = Data(0, {1}), b = Data(1, {2});
    for (const std::string& sep : {std::string("\n"), std::string("\r"), std::string("\r\n")}) {
        const auto r = LoadHex(a + sep + b + sep + End, "a.hex", Device(2));
        ASSERT_TRUE(r.Ok()) << r.message;
        EXPECT_EQ(r.program, (Bytes{1, 2}));
    }
    // Line numbers count every line, also skipped ones and empty ones between CR LF pairs.
    const auto r = LoadHex("\r\n\n" + a + "\rx\r\n:zz\r\n", "a.hex", Device(2));
    EXPECT_EQ(r.line, 4);
}
