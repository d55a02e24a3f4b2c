// Plans run against a device model that knows only the protocol's commands: an erase names the
// last of `count` blocks (or sectors), a write announces a run and its chunks follow.
#include "UploadPlan.h"

#include "PlanChecks.h"
#include "SectorMap.h"

#include <gtest/gtest.h>

#include <map>

using namespace app;

namespace {

using plantest::Device;

class FakeDevice : public UploadTarget {
public:
    explicit FakeDevice(const DeviceInfo& d) : d_(d) {}

    // Flash bytes by image address (PIC24: three image bytes per two address units).
    std::map<std::uint64_t, std::uint8_t> flash;
    std::map<std::uint64_t, bool> erased;
    std::vector<std::string> log;
    std::vector<std::string> violations;
    int stopAfterCalls = -1; // the stop click arrives after this many erase/chunk calls
    int failChunk = -1;      // this chunk's wait fails (2: timeout)

    void BeginPhase(const PlanStep& phase) override { log.emplace_back(phase.history); }

    int Erase(std::uint32_t address, std::uint32_t count, unsigned) override
    {
        ++calls_;
        const bool pic24 = InGroup(d_.mcuType, GroupPic24);
        if (IsSectorFamily(d_.mcuType) && address < 0x1FC00000) {
            const std::uint64_t base = d_.mcuType == 41 ? 0x08000000 : 0;
            const int last = SectorIndex(d_.mcuType, address);
            for (int k = last - static_cast<int>(count) + 1; k <= last; ++k)
                Clear(base + SectorOffset(d_.mcuType, k),
                      static_cast<std::uint64_t>(SectorSize(d_.mcuType, k)));
            return 0;
        }
        const std::uint64_t block = pic24 ? d_.eraseBlockSize / 3 * 2 : d_.eraseBlockSize;
        const std::uint64_t first = address - (count - 1) * block;
        Clear(pic24 ? first / 2 * 3 : first, count * std::uint64_t{d_.eraseBlockSize});
        return 0;
    }

    void BeginWrite(std::uint32_t address, std::uint32_t count) override
    {
        if (remaining_ != 0)
            violations.push_back("write command before the previous run was complete");
        next_ = address;
        remaining_ = count;
    }

    int WriteChunk(std::uint32_t address, std::span<const std::uint8_t> bytes) override
    {
        ++calls_;
        if (address != next_ || bytes.size() > remaining_)
            violations.push_back("chunk outside its announced run");
        const bool pic24 = InGroup(d_.mcuType, GroupPic24);
        const std::uint64_t at = pic24 ? std::uint64_t{address} / 2 * 3 : address;
        for (std::size_t k = 0; k < bytes.size(); ++k) {
            if (!erased[at + k])
                violations.push_back("byte written without an erase");
            erased[at + k] = false;
            flash[at + k] = bytes[k];
        }
        next_ = address + static_cast<std::uint32_t>(pic24 ? bytes.size() / 3 * 2 : bytes.size());
        remaining_ -= static_cast<std::uint32_t>(bytes.size());
        return ++chunks_ == failChunk ? 2 : 0;
    }

    bool StopRequested() override { return stopAfterCalls >= 0 && calls_ >= stopAfterCalls; }

private:
    void Clear(std::uint64_t first, std::uint64_t length)
    {
        for (std::uint64_t a = first; a < first + length; ++a) {
            erased[a] = true;
            flash.erase(a);
        }
    }

    DeviceInfo d_;
    int calls_ = 0;
    int chunks_ = 0;
    std::uint32_t next_ = 0;
    std::uint32_t remaining_ = 0;
};

Bytes Pattern(std::size_t n)
{
    Bytes b(n);
    for (std::size_t k = 0; k < n; ++k)
        b[k] = static_cast<std::uint8_t>(k * 13 + (k >> 8) + 1);
    return b;
}

} // namespace

TEST(UploadExecute, DeviceEndsWithTheImageTheJumpAndTheSavedVector)
{
    struct Case {
        const char* what;
        DeviceInfo device;
        std::size_t imageSize;
        std::uint64_t imageBase;   // image address of image index 0
        std::uint64_t vectorPlace; // image address of the saved vector
        std::size_t redirected;    // leading image bytes replaced by the jump
    };
    const Case cases[] = {
        {"PIC18", Device(2, 64, 32, 0x7C00), 300, 0, 0x7C00 - 4, 4},
        {"PIC16 keeps its image", Device(1, 64, 64, 0x1F00), 300, 0, 0, 0},
        {"PIC24", Device(4, 1536, 192, 0x2000), 5000, 0, 0x3000 - 6, 6},
        {"dsPIC33 up to the bootloader", Device(11, 1536, 192, 0x2000), 0x3000 - 6, 0, 0x3000 - 6,
         6},
        {"ARM", Device(30, 1024, 256, 0x8000), 0x1234, 0, 0x8000 - 20, 8},
        {"FT90x", Device(40, 1024, 256, 0x3C000), 0x2000, 0, 0x3C000 - 4, 4},
        {"STM32F4 sectors", Device(37, 1024, 256, 0x20000), 0x9000, 0, 0x20000 - 20, 8},
        {"STM32F7 sectors", Device(41, 1024, 256, 0x08020000), 0x100, 0x08000000, 0x08020000 - 20,
         8},
        {"Kinetis", Device(43, 2048, 256, 0x10000), 0x800, 0, 0x10000 - 20, 8},
        {"ARM, bootloader at the start", Device(30, 1024, 256, 0, 0x0101, 0x10000, 0x1000), 0x1850,
         0, 0x1000, 0},
        {"STM32F4, bootloader at the start", Device(37, 1024, 256, 0, 0x0101, 0x100000, 0x10000),
         0x30000, 0, 0x10000, 0},
        {"PIC24, bootloader at the start", Device(4, 1536, 192, 0, 0x0101, 0x8000, 0x800), 4000, 0,
         0xC00, 0},
    };
    for (const auto& c : cases) {
        const Bytes image = Pattern(c.imageSize);
        const UploadPlan plan = PlanUpload({c.device, image, {}});
        ASSERT_TRUE(plan.Ok()) << c.what;
        FakeDevice device(c.device);
        const UploadOutcome outcome = ExecutePlan(plan, device);
        EXPECT_EQ(outcome.kind, UploadOutcome::Done) << c.what;
        EXPECT_EQ(device.violations, std::vector<std::string>{}) << c.what;
        const bool atStart = c.device.IsBootAtStart();
        const std::uint64_t first = atStart ? c.vectorPlace - c.imageBase : 0;
        Bytes want = image;
        if (InGroup(c.device.mcuType, GroupKinetis))
            PatchKinetisConfig(want);
        for (std::size_t i = std::max<std::size_t>(static_cast<std::size_t>(first), c.redirected);
             i < want.size(); ++i) {
            const std::uint64_t a = c.imageBase + i;
            if (a >= c.vectorPlace && a < c.vectorPlace + plan.savedVector.size())
                continue;
            if (!atStart && a >= c.vectorPlace)
                break;
            ASSERT_TRUE(device.flash.count(a)) << c.what << " image byte " << i << " not written";
            ASSERT_EQ(device.flash[a], want[i]) << c.what << " image byte " << i;
        }
        for (std::size_t k = 0; k < plan.savedVector.size(); ++k)
            ASSERT_EQ(device.flash[c.vectorPlace + k], plan.savedVector[k])
                << c.what << " vector byte " << k;
    }
}

TEST(UploadExecute, Pic32BootFlashIsWrittenAfterTheProgramFlash)
{
    const DeviceInfo d = Device(20, 4096, 512, 0x9D07F000);
    Bytes boot(16, 0);
    boot[0] = 0xFC;
    boot[1] = 0xFF;
    boot[2] = 0xBD;
    boot[3] = 0x27;
    const UploadPlan plan = PlanUpload({d, Pattern(0x3000), boot});
    FakeDevice device(d);
    EXPECT_EQ(ExecutePlan(plan, device).kind, UploadOutcome::Done);
    EXPECT_EQ(device.violations, std::vector<std::string>{});
    EXPECT_EQ(device.log, (std::vector<std::string>{"Flash Erase...", "Flash Write...",
                                                    "Boot Erase...", "Boot Write..."}));
    EXPECT_EQ(device.flash[0x1FC00000 + 64], 0x07);
    EXPECT_EQ(device.flash[0x1FC00000 + 79], 0x70);
    EXPECT_EQ(device.flash[0x1D07F000 - 16], Pic32FixedStub[0]);
}

TEST(UploadExecute, StopAndFailureEndTheRunAtTheirPlace)
{
    const DeviceInfo d = Device(2, 64, 64, 0xFC00);
    const UploadPlan plan = PlanUpload({d, Pattern(0x9000), {}});
    {
        FakeDevice device(d);
        device.stopAfterCalls = 1; // clicked during the first erase
        EXPECT_EQ(ExecutePlan(plan, device).kind, UploadOutcome::Stopped);
        EXPECT_TRUE(device.flash.empty()) << "nothing written after a stop during erase";
    }
    {
        FakeDevice device(d);
        device.stopAfterCalls = 3; // clicked during the first write run: the run is finished
        EXPECT_EQ(ExecutePlan(plan, device).kind, UploadOutcome::Stopped);
        EXPECT_EQ(device.flash.size(), 0x8000u) << "one whole run";
    }
    {
        FakeDevice device(d);
        device.failChunk = 5;
        const UploadOutcome outcome = ExecutePlan(plan, device);
        EXPECT_EQ(outcome.kind, UploadOutcome::Failed);
        EXPECT_EQ(outcome.waitResult, 2);
        EXPECT_EQ(device.flash.size(), 5u * 64);
    }
}
