// An upload through the real window for every family, with the bootloader at the end of flash
// and, where the family has it, at the start: the device's flash is read back byte for byte and
// must hold what the upload plan says (the earlier program where nothing was erased, the plan's
// erases and writes elsewhere), the image's own bytes at their addresses, the reset vector
// redirected, the saved vector at its place and the bootloader untouched; the device records no
// violation. Sector families, the PIC32 boot flash and the Kinetis configuration field are rows
// of the same table.
#include "MainWindowFixture.h"

#include "HexLoader.h"
#include "HexRecords.h"
#include "PlanChecks.h"
#include "ResetVector.h"
#include "UploadPlanFlash.h"

#include <cstdio>

using namespace window_test;
using app::Bytes;

namespace {

enum class Layout { AtEnd, AtStart };

struct Segment {
    std::uint32_t first;  // image index
    std::uint32_t length; // image bytes
};

struct FamilyCase {
    const char* name;
    app::FamilyCode family;
    Layout layout;
    std::uint16_t eraseBlock, writeBlock;
    std::uint32_t bootStart; // as the device reports it (end layout)
    std::uint32_t flashSize;
    std::uint32_t appStart; // as the device reports it (start layout)
    std::vector<Segment> program;
    std::vector<Segment> boot; // PIC32 boot flash
    bool keptStartup = false;  // PIC32: the boot image starts with code the bootloader keeps
};

void PrintTo(const FamilyCase& c, std::ostream* out)
{
    *out << c.name
         << (c.layout == Layout::AtEnd ? ", bootloader at the end" : ", bootloader at the start");
}

bool IsPic24(app::FamilyCode f)
{
    return app::InGroup(f, app::GroupPic24);
}
bool IsPic32(app::FamilyCode f)
{
    return app::InGroup(f, app::GroupPic32);
}

// Image address of image index 0 in program flash, as the plan counts (and the device address of
// the region's first byte).
std::uint32_t ProgramRegionFirst(app::FamilyCode f)
{
    return IsPic32(f) ? 0x1D000000 : f == 41 ? 0x08000000 : 0;
}

std::uint64_t ProgramRegionLength(const FamilyCase& c)
{
    return IsPic24(c.family) ? std::uint64_t{c.flashSize} / 2 * 3 : c.flashSize;
}

std::uint32_t BootRegionLength(app::FamilyCode f)
{
    return (f == 20 ? 0x1FC03000u : 0x1FC14000u) - 0x1FC00000u;
}

// HEX text of the image bytes `data` at image index `first`: PIC24 images hold three of every
// four HEX bytes (the fourth, the phantom byte, is 0); the STM32 and PIC32 images start at their
// flash's address.
void AddHex(std::vector<std::string>& lines, std::uint32_t& upper, std::uint32_t hexAddress,
            const Bytes& data)
{
    for (std::size_t at = 0; at < data.size(); at += 16) {
        const std::uint32_t address = hexAddress + static_cast<std::uint32_t>(at);
        if (address >> 16 != upper) {
            upper = address >> 16;
            lines.push_back(hextest::Upper(static_cast<std::uint16_t>(upper)));
        }
        // A record does not cross a 64 KB boundary.
        const std::size_t n =
            std::min<std::size_t>({16, data.size() - at, 0x10000 - (address & 0xFFFF)});
        lines.push_back(hextest::Data(static_cast<std::uint16_t>(address),
                                      Bytes(data.begin() + static_cast<std::ptrdiff_t>(at),
                                            data.begin() + static_cast<std::ptrdiff_t>(at + n))));
        at -= 16 - n;
    }
}

Bytes Pattern(std::size_t length, std::uint32_t seed)
{
    Bytes b(length);
    for (std::size_t i = 0; i < length; ++i)
        b[i] = static_cast<std::uint8_t>(seed * 31 + i * 7 + (i >> 8) + 1);
    return b;
}

std::string HexFile(const FamilyCase& c)
{
    std::vector<std::string> lines;
    std::uint32_t upper = 0;
    for (const Segment& s : c.program) {
        Bytes data = Pattern(s.length, s.first + c.family);
        if (app::InGroup(c.family, app::GroupArm) && s.first == 0 && data.size() >= 8) {
            // A vector table: initial stack pointer and a Thumb reset handler.
            const Bytes table{0x00, 0x10, 0x00, 0x20, 0xC1, 0x01, 0x00, 0x08};
            std::copy(table.begin(), table.end(), data.begin());
        }
        if (IsPic24(c.family)) {
            Bytes four;
            for (std::size_t i = 0; i < data.size(); ++i) {
                four.push_back(data[i]);
                if (i % 3 == 2)
                    four.push_back(0);
            }
            AddHex(lines, upper, s.first / 3 * 4, four);
        } else {
            AddHex(lines, upper, app::HexImageBase(c.family) + s.first, data);
        }
    }
    for (const Segment& s : c.boot) {
        Bytes data = Pattern(s.length, s.first + 99);
        if (c.keptStartup && s.first == 0)
            std::copy_n(Bytes{0xFC, 0xFF, 0xBD, 0x27}.begin(), 4, data.begin()); // 0x27BDFFFC
        AddHex(lines, upper, app::Pic32BootBase + s.first, data);
    }
    lines.push_back(hextest::End);
    return hextest::Lines(lines);
}

std::string DeviceConfig(const FamilyCase& c)
{
    char text[512];
    std::snprintf(text, sizeof text,
                  "[device boot]\nname = %s\nfamily = %u\nerase_block = %u\nwrite_block = %u\n"
                  "boot_revision = 0x%X\nboot_start = 0x%X\nflash_size = 0x%X\napp_start = 0x%X\n",
                  c.name, c.family, c.eraseBlock, c.writeBlock,
                  c.layout == Layout::AtStart ? 0x0101 : 0x0100, c.bootStart, c.flashSize,
                  c.appStart);
    return text;
}

// The bytes a redirected reset vector holds (end layout), written from the instruction encodings
// of each family: PIC18 GOTO, PIC24 GOTO (to the bootloader's word address), FT90x jump; ARM only
// replaces the reset handler's entry (image index 4) by the bootloader's address in Thumb state.
// `*at` is the image index of the first byte.
Bytes RedirectedHead(app::FamilyCode f, std::uint32_t bs, std::size_t* at)
{
    *at = 0;
    if (f == 2 || f == 3)
        return {static_cast<std::uint8_t>(bs >> 1), 0xEF, static_cast<std::uint8_t>(bs >> 9),
                static_cast<std::uint8_t>(0xF0 | ((bs >> 17) & 0x0F))};
    if (IsPic24(f))
        return {static_cast<std::uint8_t>(bs),
                static_cast<std::uint8_t>(bs >> 8),
                0x04,
                static_cast<std::uint8_t>(bs >> 16),
                0x00,
                0x00};
    if (f == 40)
        return {static_cast<std::uint8_t>(bs >> 2), static_cast<std::uint8_t>(bs >> 10),
                static_cast<std::uint8_t>(0x30 | ((bs >> 18) & 0x0F)), 0x00};
    if (app::InGroup(f, app::GroupArm)) {
        *at = 4;
        return {static_cast<std::uint8_t>(bs + 1), static_cast<std::uint8_t>(bs >> 8),
                static_cast<std::uint8_t>(bs >> 16), static_cast<std::uint8_t>(bs >> 24)};
    }
    return {};
}

class FamilyUpload : public MainWindow, public testing::WithParamInterface<FamilyCase> {};

TEST_P(FamilyUpload, FlashHoldsWhatThePlanSays)
{
    const FamilyCase& c = GetParam();
    const std::string hex = HexFile(c);

    // The earlier program on the device, before anything is sent.
    char error[256] = {};
    ASSERT_GE(SimConfigure(DeviceConfig(c).c_str(), error, sizeof error), 0) << error;
    const std::uint32_t programFirst = ProgramRegionFirst(c.family);
    plantest::FlashContents program{
        programFirst, ReadFlash(0, programFirst, static_cast<DWORD>(ProgramRegionLength(c)))};
    plantest::FlashContents boot{
        app::Pic32BootBase,
        IsPic32(c.family) ? ReadFlash(0, app::Pic32BootBase, BootRegionLength(c.family)) : Bytes{}};
    ASSERT_EQ(program.bytes.size(), ProgramRegionLength(c));
    const plantest::FlashContents before = program, bootBefore = boot;

    LoadAndUpload(DeviceConfig(c), hex);
    ASSERT_FALSE(HasFatalFailure());
    const Lines history = History();
    ASSERT_GE(history.size(), 3u);
    EXPECT_EQ(std::count(history.begin(), history.end(), std::string("Completed successfully.")), 1)
        << testing::PrintToString(history);
    EXPECT_EQ(dialogs->Titles(), Lines{"Success"}) << "no overflow question, one result dialog";
    EXPECT_EQ(Violations(0), Lines{});

    // The plan the window ran, applied to the flash as it was.
    const app::UploadInput input{form->Info(), form->ProgramImage(), form->BootImage()};
    const app::UploadPlan plan = app::PlanUpload(input);
    ASSERT_TRUE(plan.Ok());
    EXPECT_EQ(plantest::CheckPlan(input, plan), "");
    ASSERT_TRUE(plantest::ApplyPlan(plan, app::Region::Program, program));
    ASSERT_TRUE(plantest::ApplyPlan(plan, app::Region::Boot, boot));
    const Bytes flash = ReadFlash(0, programFirst, static_cast<DWORD>(program.bytes.size()));
    EXPECT_EQ(plantest::FirstDifference(flash, program.bytes), -1)
        << "program flash differs from the plan";
    if (IsPic32(c.family))
        EXPECT_EQ(plantest::FirstDifference(
                      ReadFlash(0, app::Pic32BootBase, BootRegionLength(c.family)), boot.bytes),
                  -1)
            << "boot flash differs from the plan";

    // Independent of the plan: the bootloader's area reads as before, the image's bytes are at
    // their addresses, the saved vector at its place and the reset vector enters the bootloader.
    Bytes image = form->ProgramImage();
    if (app::InGroup(c.family, app::GroupKinetis))
        app::PatchKinetisConfig(image);
    const plantest::Layout l = plantest::LayoutOf(input.device);
    const std::size_t vectorLength = app::SavedVectorLength(c.family);
    ASSERT_EQ(plan.savedVector.size(), vectorLength);
    std::uint64_t vectorFirst =
        c.layout == Layout::AtStart ? l.protectLo : l.protectHi - vectorLength;
    std::size_t headAt = 0;
    const Bytes head =
        c.layout == Layout::AtEnd ? RedirectedHead(c.family, c.bootStart, &headAt) : Bytes{};
    for (std::size_t i = 0; i < flash.size(); ++i) {
        const std::uint64_t a = programFirst + i;
        const bool protectedArea = a < l.protectLo || a >= l.protectHi;
        if (protectedArea) {
            if (flash[i] != before.bytes[i]) {
                ADD_FAILURE() << "bootloader area changed at 0x" << std::hex << a;
                break;
            }
            continue;
        }
        std::uint8_t want;
        if (a >= vectorFirst && a < vectorFirst + vectorLength)
            want = plan.savedVector[static_cast<std::size_t>(a - vectorFirst)];
        else if (i >= headAt && i < headAt + head.size())
            want = head[i - headAt];
        else if (i < image.size() && (c.layout == Layout::AtStart || a < vectorFirst))
            want = image[i];
        else
            continue;
        if (flash[i] != want) {
            ADD_FAILURE() << "flash 0x" << std::hex << a << " reads " << int(flash[i])
                          << ", expected " << int(want);
            break;
        }
    }
    if (c.family == 2 || c.family == 3 || c.family == 40 || IsPic24(c.family))
        EXPECT_EQ(plan.savedVector,
                  Bytes(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(vectorLength)))
            << "the image's own start code is saved";
    if (app::InGroup(c.family, app::GroupKinetis) && c.layout == Layout::AtEnd)
        EXPECT_EQ(Bytes(flash.begin() + 0x400, flash.begin() + 0x410),
                  Bytes(app::KinetisConfigField.begin(), app::KinetisConfigField.end()));
    if (IsPic32(c.family)) {
        // The boot flash's jump to the bootloader, behind the kept start-up code when there is one.
        const Bytes bootFlash = ReadFlash(0, app::Pic32BootBase, 80);
        const std::size_t p = c.keptStartup ? 64 : 0;
        const std::uint32_t bs = c.bootStart;
        const Bytes jump{static_cast<std::uint8_t>(bs >> 16),
                         static_cast<std::uint8_t>(bs >> 24),
                         0x1E,
                         0x3C,
                         static_cast<std::uint8_t>(bs),
                         static_cast<std::uint8_t>(bs >> 8),
                         0xDE,
                         0x37,
                         0x08,
                         0x00,
                         0xC0,
                         0x03,
                         0x00,
                         0x00,
                         0x00,
                         0x70};
        EXPECT_EQ(Bytes(bootFlash.begin() + p, bootFlash.begin() + p + 16), jump);
        EXPECT_EQ(bootBefore.bytes.size(), BootRegionLength(c.family));
        if (c.keptStartup)
            EXPECT_EQ(plan.savedVector,
                      Bytes(app::Pic32FixedStub.begin(), app::Pic32FixedStub.end()));
    }
}

// Geometry per family: small flashes, images that span several erase blocks (and for sector
// families several sectors), a gap between two segments, and an image that stops well below the
// bootloader so that the block below it is mostly erased bytes ending with the saved vector.
std::vector<FamilyCase> Cases()
{
    using L = Layout;
    std::vector<FamilyCase> end = {
        {"PIC16", 1, L::AtEnd, 64, 32, 0x1C00, 0x2000, 0, {{0, 200}, {0x300, 16}}, {}},
        {"PIC18", 2, L::AtEnd, 64, 32, 0x7C00, 0x8000, 0, {{0, 300}, {0x1000, 40}}, {}},
        {"PIC18FJ", 3, L::AtEnd, 1024, 64, 0xFC00, 0x10000, 0, {{0, 0x500}}, {}},
        {"PIC24", 4, L::AtEnd, 1536, 192, 0x2000, 0x4000, 0, {{0, 1800}, {3600, 300}}, {}},
        {"dsPIC", 10, L::AtEnd, 1536, 384, 0x4000, 0x8000, 0, {{0, 3072}}, {}},
        {"dsPIC33", 11, L::AtEnd, 3072, 192, 0x8000, 0x10000, 0, {{0, 999}}, {}},
        {"PIC32", 20, L::AtEnd, 4096, 256, 0x9D07F000, 0x80000, 0, {{0, 0x2100}}, {{0, 0x200}}},
        {"PIC32MZ",
         21,
         L::AtEnd,
         16384,
         512,
         0x9D0FC000,
         0x100000,
         0,
         {{0, 0x5000}},
         {{0, 0x100}},
         true},
        {"ARM", 30, L::AtEnd, 1024, 256, 0xF000, 0x10000, 0, {{0, 0x900}, {0x2000, 0x40}}, {}},
        {"STELLARIS_M3", 31, L::AtEnd, 1024, 64, 0x1F000, 0x20000, 0, {{0, 0x500}}, {}},
        {"STELLARIS_M4", 32, L::AtEnd, 1024, 128, 0x3F000, 0x40000, 0, {{0, 0x500}}, {}},
        {"STELLARIS", 33, L::AtEnd, 1024, 256, 0xF000, 0x10000, 0, {{0, 0x500}}, {}},
        {"STM32L1XX", 34, L::AtEnd, 256, 128, 0x7000, 0x8000, 0, {{0, 0x380}}, {}},
        {"STM32F1XX", 35, L::AtEnd, 1024, 256, 0xE000, 0x10000, 0, {{0, 0x900}}, {}},
        {"STM32F2XX", 36, L::AtEnd, 1024, 256, 0x20000, 0x40000, 0, {{0, 0x5000}}, {}},
        {"STM32F4XX", 37, L::AtEnd, 1024, 256, 0x10000, 0x20000, 0, {{0, 0x4100}}, {}},
        {"TIVA_C", 38, L::AtEnd, 1024, 256, 0x3F000, 0x40000, 0, {{0, 0x700}}, {}},
        {"FT90X", 40, L::AtEnd, 1024, 256, 0x3C000, 0x40000, 0, {{0, 0x600}}, {}},
        {"STM32F7XX", 41, L::AtEnd, 1024, 256, 0x08020000, 0x40000, 0, {{0, 0x8100}}, {}},
        {"MK64F", 42, L::AtEnd, 4096, 256, 0xF000, 0x10000, 0, {{0, 0x600}}, {}},
        {"MK22F", 43, L::AtEnd, 2048, 128, 0x1F800, 0x20000, 0, {{0, 0x900}}, {}},
        {"MK66FX", 46, L::AtEnd, 4096, 512, 0x3F000, 0x40000, 0, {{0, 0x1100}}, {}},
    };
    // The same devices with the bootloader below the application: the image carries its vector
    // table at 0 and the application from its start on. The PIC24 and PIC32 groups are expected
    // with the bootloader at the end only.
    std::vector<FamilyCase> all = end;
    for (FamilyCase c : end) {
        if (IsPic24(c.family) || IsPic32(c.family))
            continue;
        c.layout = L::AtStart;
        const bool sectors = app::IsSectorFamily(c.family);
        const std::uint32_t app =
            sectors ? (c.family == 41 ? 0x8000u : 0x4000u) : 4u * c.eraseBlock;
        c.appStart = (c.family == 41 ? 0x08000000u : 0u) + app;
        c.bootStart = c.flashSize; // the loader keeps data below it
        c.program = {{0, 16}, {app, c.program[0].length}};
        all.push_back(c);
    }
    return all;
}

std::string CaseName(const testing::TestParamInfo<FamilyCase>& info)
{
    return std::string(info.param.name) +
           (info.param.layout == Layout::AtEnd ? "_BootAtEnd" : "_BootAtStart");
}

INSTANTIATE_TEST_SUITE_P(Families, FamilyUpload, testing::ValuesIn(Cases()), CaseName);

} // namespace
