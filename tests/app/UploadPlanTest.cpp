#include "UploadPlan.h"

#include "PlanChecks.h"
#include "Texts.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace app;

namespace {

using plantest::Device;

Bytes Pattern(std::size_t n, std::uint8_t seed = 1)
{
    Bytes b(n);
    for (std::size_t k = 0; k < n; ++k)
        b[k] = static_cast<std::uint8_t>(seed + k * 7 + (k >> 8));
    return b;
}

// One line per step: "phase <history> <max>", "erase <address> x<count> <timeout>ms",
// "write <address> <count>".
std::vector<std::string> Describe(const UploadPlan& plan)
{
    std::vector<std::string> out;
    char line[160];
    for (const PlanStep& s : plan.steps) {
        const char* boot = s.region == Region::Boot ? "boot " : "";
        switch (s.kind) {
            case StepKind::Phase:
                std::snprintf(line, sizeof line, "phase %.*s %u", int(s.history.size()),
                              s.history.data(), s.progressMax);
                break;
            case StepKind::Erase:
                std::snprintf(line, sizeof line, "%serase 0x%X x%u %ums", boot, s.address, s.count,
                              s.timeoutMs);
                break;
            case StepKind::Write:
                std::snprintf(line, sizeof line, "%swrite 0x%X %u", boot, s.address, s.count);
                break;
        }
        out.push_back(line);
    }
    return out;
}

UploadPlan PlanChecked(const UploadInput& input)
{
    UploadPlan plan = PlanUpload(input);
    const std::string problem = plantest::CheckPlan(input, plan);
    EXPECT_EQ(problem, "") << "family " << int(input.device.mcuType);
    return plan;
}

const PlanStep& LastWrite(const UploadPlan& plan, Region region = Region::Program)
{
    for (auto it = plan.steps.rbegin(); it != plan.steps.rend(); ++it)
        if (it->kind == StepKind::Write && it->region == region)
            return *it;
    throw std::logic_error("no write");
}

using Lines = std::vector<std::string>;

} // namespace

TEST(UploadPlan, EndLayoutKeepsTheBlockBelowTheBootloaderForLast)
{
    const Bytes image = Pattern(100);
    const UploadPlan plan = PlanChecked({Device(2, 64, 32, 0x7C00), image, {}});
    ASSERT_TRUE(plan.Ok());
    EXPECT_TRUE(plan.questions.empty());
    EXPECT_EQ(Describe(plan),
              (Lines{"phase Flash Erase... 2", "erase 0x40 x2 200ms", "phase Flash Write... 1344",
                     "write 0x0 128", "erase 0x7BC0 x1 1000ms", "write 0x7BC0 64"}));
    EXPECT_TRUE(plan.steps[0].eraseAnimation && plan.steps[0].disablesStop);
    const PlanStep& first = plan.steps[3];
    EXPECT_EQ(Bytes(first.data.begin() + 4, first.data.begin() + 100),
              Bytes(image.begin() + 4, image.end()));
    EXPECT_EQ(Bytes(first.data.begin(), first.data.begin() + 4), (Bytes{0x00, 0xEF, 0x3E, 0xF0}))
        << "GOTO bootloader";
    EXPECT_EQ(Bytes(first.data.begin() + 100, first.data.end()), Bytes(28, 0xFF));
    Bytes lastBlock(60, 0xFF);
    lastBlock.insert(lastBlock.end(), image.begin(), image.begin() + 4);
    EXPECT_EQ(plan.steps[5].data, lastBlock) << "0xFF ending with the saved vector";
}

TEST(UploadPlan, OverlapWithTheBootloaderIsAskedAndCut)
{
    // bs - length(saved vector) bytes raise no question; one more byte does.
    for (std::size_t extra : {0u, 1u, 200u}) {
        const std::size_t len = 0x7C00 - 4 + extra;
        const UploadPlan plan = PlanChecked({Device(2, 64, 64, 0x7C00), Pattern(len), {}});
        ASSERT_TRUE(plan.Ok());
        if (extra == 0) {
            EXPECT_TRUE(plan.questions.empty());
        } else {
            ASSERT_EQ(plan.questions,
                      std::vector<OverflowQuestion>{OverflowQuestion::BootloaderArea});
            EXPECT_EQ(QuestionText(plan.questions[0]),
                      "HEX file contains code over device bootloader area.\r\nThis code will be "
                      "ignored.\r\nContinue?");
        }
        // The image reaches the last block: it is not erased with the others.
        EXPECT_EQ(plan.steps[1].count, 0x7C00u / 64 - 1);
        EXPECT_EQ(LastWrite(plan).first, 0x7C00u - 64);
    }
}

TEST(UploadPlan, LongEraseRunsMoveOnByWhatWasErased)
{
    // 0x7FFF + 3 erase blocks below a bootloader far above.
    const std::size_t blocks = 0x7FFF + 3;
    const UploadPlan plan = PlanChecked({Device(30, 64, 64, 0x01000000), Pattern(blocks * 64), {}});
    ASSERT_TRUE(plan.Ok());
    const Lines d = Describe(plan);
    ASSERT_GE(d.size(), 3u);
    EXPECT_EQ(d[1], "erase 0x1FFF80 x32767 3276700ms");
    EXPECT_EQ(d[2], "erase 0x200040 x3 300ms");
}

TEST(UploadPlan, StartLayoutCountsFromTheApplicationStart)
{
    // Bootloader in the first 0x1000 bytes, application data up to 0x1850.
    Bytes image = Pattern(0x1850);
    const UploadPlan plan =
        PlanChecked({Device(30, 1024, 256, 0, 0x0101, 0x10000, 0x1000), image, {}});
    ASSERT_TRUE(plan.Ok());
    EXPECT_EQ(Describe(plan), (Lines{"phase Flash Erase... 3", "erase 0x1800 x3 300ms",
                                     "phase Flash Write... 16128", "write 0x1000 2304"}));
    const PlanStep& write = plan.steps[3];
    ASSERT_EQ(plan.savedVector.size(), 20u);
    EXPECT_EQ(Bytes(write.data.begin(), write.data.begin() + 20), plan.savedVector)
        << "vector opens the application";
    EXPECT_EQ(Bytes(write.data.begin() + 20, write.data.begin() + 0x850),
              Bytes(image.begin() + 0x1014, image.end()));
    EXPECT_EQ(image.size(), 0x1850u);

    // More than the flash holds: asked, then cut to the flash size.
    const UploadPlan big =
        PlanChecked({Device(30, 1024, 256, 0, 0x0101, 0x2000, 0x1000), Pattern(0x2100), {}});
    EXPECT_EQ(big.questions, std::vector<OverflowQuestion>{OverflowQuestion::ProgramMemory});
    EXPECT_EQ(LastWrite(big).end, 0x2000u);
}

TEST(UploadPlan, CombinationsThatCannotBePlannedAreRefused)
{
    struct Case {
        const char* what;
        DeviceInfo device;
        std::size_t imageSize;
        std::size_t bootSize = 0;
    };
    const Case cases[] = {
        {"application start beyond the image", Device(30, 1024, 256, 0, 0x0101, 0x10000, 0x4000),
         0x2000},
        // The overflow cut would leave nothing to write; the upload must not report success.
        {"bootloader inside the first erase block", Device(43, 64, 5120, 0x14, 0, 0xA00, 0x154),
         510},
        {"no flash above the application start", Device(30, 1024, 256, 0, 0x0101, 0, 0), 0x100},
        {"no boot flash below its protected end", Device(20, 0x3000, 256, 0x9D07F000), 0x100, 0x40},
        {"bootloader below the saved vector", Device(30, 1024, 256, 8), 0x100},
        {"bootloader off the erase-block grid", Device(2, 64, 64, 0x7C10), 0x100},
        {"write block does not divide the erase block", Device(2, 64, 48, 0x7C00), 0x70},
        {"erase block below one report", Device(2, 32, 32, 0x7C00), 0x10},
        {"write block above one run", Device(2, 64, 0x8001, 0x7C00), 0x10},
        {"application start off the block grid", Device(30, 1024, 256, 0, 0x0101, 0x10000, 0x1100),
         0x2000},
    };
    for (const auto& c : cases) {
        const UploadPlan plan = PlanUpload({c.device, Pattern(c.imageSize), Pattern(c.bootSize)});
        EXPECT_FALSE(plan.Ok()) << c.what;
        EXPECT_EQ(plan.error, "Error: Upload cannot be planned for this device layout.") << c.what;
        EXPECT_TRUE(plan.steps.empty() && plan.questions.empty()) << c.what;
    }
}

TEST(UploadPlan, Pic24WritesDeviceAddressesOfThreeBytePerTwoUnits)
{
    // 512 instructions per erase page (1536 image bytes), bootloader at word 0x2000.
    const Bytes image = Pattern(3000);
    const UploadPlan plan = PlanChecked({Device(4, 1536, 192, 0x2000), image, {}});
    ASSERT_TRUE(plan.Ok());
    EXPECT_EQ(Describe(plan),
              (Lines{"phase Flash Erase... 2", "erase 0x400 x2 200ms", "phase Flash Write... 32256",
                     "write 0x0 3072", "erase 0x1C00 x1 1000ms", "write 0x1C00 1536"}));
    const auto chunks = ChunksOf(plan, plan.steps[3]);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[1].address, 1024u) << "1536 image bytes advance the device address by 1024";
    EXPECT_EQ(Bytes(plan.steps[3].data.begin(), plan.steps[3].data.begin() + 6),
              (Bytes{0x00, 0x20, 0x04, 0x00, 0x00, 0x00}));
}

TEST(UploadPlan, SectorFamiliesEraseBySectors)
{
    struct Case {
        const char* what;
        DeviceInfo device;
        std::size_t imageSize;
        Lines steps;
    };
    const Case cases[] = {
        {"F4, bootloader at 0x20000 (end of sector 4)",
         Device(37, 1024, 256, 0x20000),
         0x9000,
         {"phase Flash Erase... 3", "erase 0x8000 x3 24000ms", "phase Flash Write... 716800",
          "write 0x0 32768", "write 0x8000 4096", "erase 0x10000 x1 4000ms", "write 0x10000 32768",
          "write 0x18000 32768"}},
        {"F7 addresses",
         Device(41, 1024, 256, 0x08020000),
         0x100,
         {"phase Flash Erase... 1", "erase 0x8000000 x1 8000ms", "phase Flash Write... 231168",
          "write 0x8000000 256", "erase 0x8018000 x1 4000ms", "write 0x8018000 32768"}},
        {"F4 bootloader at the start",
         Device(37, 1024, 256, 0, 0x0101, 0x100000, 0x10000),
         0x30000,
         {"phase Flash Erase... 2", "erase 0x20000 x2 8000ms", "phase Flash Write... 917504",
          "write 0x10000 32768", "write 0x18000 32768", "write 0x20000 32768",
          "write 0x28000 32768"}},
    };
    for (const auto& c : cases) {
        const UploadPlan plan = PlanChecked({c.device, Pattern(c.imageSize), {}});
        ASSERT_TRUE(plan.Ok()) << c.what;
        EXPECT_EQ(Describe(plan), c.steps) << c.what;
    }
}

TEST(UploadPlan, Pic32WritesTheBootFlashAfterTheProgramFlash)
{
    Bytes boot = Pattern(0x200);
    boot[0] = 0xFC;
    boot[1] = 0xFF;
    boot[2] = 0xBD;
    boot[3] = 0x27; // startup the bootloader keeps
    boot.resize(16);
    const UploadPlan plan = PlanChecked({Device(20, 4096, 256, 0x9D07F000), Pattern(0x9000), boot});
    ASSERT_TRUE(plan.Ok());
    EXPECT_EQ(
        Describe(plan),
        (Lines{"phase Flash Erase... 9", "erase 0x1D008000 x9 900ms", "phase Flash Write... 286720",
               "write 0x1D000000 32768", "write 0x1D008000 4096", "erase 0x1D07E000 x1 1000ms",
               "write 0x1D07E000 4096", "phase Boot Erase... 0", "boot erase 0x1FC00000 x1 100ms",
               "phase Boot Write... 1792", "boot write 0x1FC00000 256"}));
    EXPECT_FALSE(plan.steps[0].disablesStop) << "PIC32 keeps the stop button during flash erase";
    EXPECT_TRUE(plan.steps[7].disablesStop);
    const PlanStep& bootWrite = LastWrite(plan, Region::Boot);
    EXPECT_EQ(Bytes(bootWrite.data.begin() + 64, bootWrite.data.begin() + 80),
              (Bytes{0x07, 0x9D, 0x1E, 0x3C, 0x00, 0xF0, 0xDE, 0x37, 0x08, 0x00, 0xC0, 0x03, 0, 0,
                     0, 0x70}))
        << "the jump behind the kept startup is really written";
    EXPECT_EQ(Bytes(LastWrite(plan).data.end() - 16, LastWrite(plan).data.end()),
              Bytes(Pic32FixedStub.begin(), Pic32FixedStub.end()));

    // An empty program image still writes the boot flash; runs of boot flash stop one write
    // block short of 32 KB.
    const UploadPlan bootOnly =
        PlanChecked({Device(21, 0x4000, 256, 0x9D1F0000), {}, Pattern(0x9000)});
    EXPECT_EQ(Describe(bootOnly),
              (Lines{"phase Boot Erase... 0", "boot erase 0x1FC08000 x3 300ms",
                     "phase Boot Write... 258048", "boot write 0x1FC00000 32512",
                     "boot write 0x1FC07F00 4352"}));
}

TEST(UploadPlan, Pic32BootOverflowIsAskedOnce)
{
    const UploadPlan atEnd =
        PlanChecked({Device(20, 4096, 256, 0x9D07F000), Pattern(0x100000), Pattern(0x3000)});
    EXPECT_EQ(atEnd.questions, std::vector<OverflowQuestion>{OverflowQuestion::BootloaderArea});
    EXPECT_EQ(LastWrite(atEnd, Region::Boot).end, 0x1FC02000u);

    const UploadPlan atStart = PlanChecked(
        {Device(20, 4096, 256, 0, 0x0101, 0x80000, 0x1000), Pattern(0x2000), Pattern(0x3000)});
    EXPECT_EQ(atStart.questions, std::vector<OverflowQuestion>{OverflowQuestion::BootSpace});
    EXPECT_EQ(QuestionText(OverflowQuestion::BootSpace),
              "HEX file contains code that exceed available boot space.\r\nThis code will be "
              "ignored.\r\nContinue?");
    EXPECT_EQ(atStart.steps[3].address, 0x1D001000u)
        << "application start as an offset into program flash";
}

TEST(UploadPlan, KinetisImagesCarryTheConfigurationField)
{
    const UploadPlan plan = PlanChecked({Device(42, 1024, 256, 0x10000), Pattern(0x800), {}});
    ASSERT_TRUE(plan.Ok());
    const PlanStep& w = plan.steps[3];
    EXPECT_EQ(Bytes(w.data.begin() + 0x400, w.data.begin() + 0x410),
              Bytes(KinetisConfigField.begin(), KinetisConfigField.end()));
}

TEST(UploadPlan, EmptyImageWithoutBootFlashPlansNothing)
{
    const UploadPlan plan = PlanUpload({Device(2, 64, 64, 0x7C00), {}, {}});
    EXPECT_TRUE(plan.Ok());
    EXPECT_TRUE(plan.steps.empty());
}

TEST(UploadPlan, PreconditionsAreCheckedInOrder)
{
    EXPECT_EQ(UploadPreconditionError(false, false, 2, 4), "Error: Connect first.");
    EXPECT_EQ(UploadPreconditionError(true, false, 2, 4), "Error: Load HEX file first.");
    EXPECT_EQ(UploadPreconditionError(true, true, 2, 4), "Error: Reload HEX file.");
    EXPECT_EQ(UploadPreconditionError(true, true, 2, 2), "");
}

TEST(UploadPlan, EraseAnimationStepsByATenthAndStartsOver)
{
    std::vector<std::uint32_t> positions;
    std::uint32_t p = 0;
    for (int tick = 0; tick < 7; ++tick)
        positions.push_back(p = NextEraseAnimationPosition(p, 5));
    EXPECT_EQ(positions, (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 1, 2}));
    EXPECT_EQ(NextEraseAnimationPosition(95, 100), 100u);
    EXPECT_EQ(NextEraseAnimationPosition(100, 100), 10u);
}
