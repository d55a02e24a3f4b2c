// The simulated bootloader's protocol engine, flash model, frame timing and configuration,
// tested natively.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Bootloader.h"
#include "Config.h"
#include "Family.h"
#include "FrameModel.h"
#include "InfoRecord.h"

namespace sim {
namespace {

// ---- Host-side helpers written from the protocol's rules, independent of the engine ----

std::vector<uint8_t> Frame(uint8_t command, uint32_t address = 0, uint16_t count = 0)
{
    std::vector<uint8_t> f{kFrameMarker, command};
    if (command == kCmdWrite || command == kCmdErase) {
        for (int i = 0; i < 4; ++i)
            f.push_back(static_cast<uint8_t>(address >> (8 * i)));
        f.push_back(static_cast<uint8_t>(count));
        f.push_back(static_cast<uint8_t>(count >> 8));
    }
    return f;
}

// Sends a message as the host does: 64 message bytes per report, the tail of the last report
// filled with a byte that must not matter.
std::vector<Reaction> Send(Bootloader& device, const std::vector<uint8_t>& message)
{
    std::vector<Reaction> reactions;
    for (size_t at = 0; at < message.size(); at += 64) {
        uint8_t report[64];
        std::memset(report, 0xEE, sizeof report);
        size_t n = std::min<size_t>(64, message.size() - at);
        std::memcpy(report, message.data() + at, n);
        reactions.push_back(device.Receive(report, sizeof report));
    }
    return reactions;
}

std::vector<Answer> Answers(const std::vector<Reaction>& reactions)
{
    std::vector<Answer> all;
    for (const Reaction& r : reactions)
        all.insert(all.end(), r.answers.begin(), r.answers.end());
    return all;
}

bool IsEcho(const Answer& a, uint8_t command)
{
    return a.payload[0] == kFrameMarker && a.payload[1] == command;
}

// Write run as the host sends it: the command, then chunks of one erase block each.
std::vector<Answer> WriteRun(Bootloader& device, uint32_t address, const std::vector<uint8_t>& data)
{
    std::vector<Answer> acks =
        Answers(Send(device, Frame(kCmdWrite, address, uint16_t(data.size()))));
    size_t block = device.Profile().eraseBlockSize;
    for (size_t at = 0; at < data.size(); at += block) {
        std::vector<uint8_t> chunk(data.begin() + at,
                                   data.begin() + std::min(data.size(), at + block));
        auto a = Answers(Send(device, chunk));
        acks.insert(acks.end(), a.begin(), a.end());
    }
    return acks;
}

std::vector<uint8_t> ReadFlash(const Bootloader& device, uint32_t address, uint32_t length)
{
    std::vector<uint8_t> bytes(length);
    EXPECT_TRUE(device.Read(address, bytes.data(), length));
    return bytes;
}

int CountViolations(const Bootloader& device, ViolationKind kind)
{
    int n = 0;
    for (const Violation& v : device.Violations())
        n += v.kind == kind;
    return n;
}

// ---- Information record ----

// Decodes a record by the host's rules: values aligned from the record's start by the family
// known at that point.
struct Decoded {
    uint8_t family = 0;
    uint32_t erase = 0, write = 0, revision = 0, bootStart = 0, flashSize = 0, appStart = 0;
    std::string name;
    std::vector<size_t> offsets16, offsets32;
};

Decoded DecodeRecord(const std::vector<uint8_t>& rec)
{
    Decoded d;
    auto align = [&](int bits) {
        auto f = FindFamily(d.family);
        if (!f)
            return 1;
        return bits == 16 ? int(f->align16) : int(f->align32);
    };
    size_t length = rec.at(0), i = 1;
    while (i < length) {
        uint8_t tag = rec.at(i);
        if (tag == 1) {
            d.family = rec.at(i + 1);
            i += 1;
        } else if (tag == 3 || tag == 4 || tag == 5) {
            while ((i + 1) % align(16) != 0)
                ++i;
            uint32_t v = rec.at(i + 1) | rec.at(i + 2) << 8;
            d.offsets16.push_back(i + 1);
            (tag == 3 ? d.erase : tag == 4 ? d.write : d.revision) = v;
            i += 2;
        } else if (tag == 6 || tag == 8 || tag == 9) {
            while ((i + 1) % align(32) != 0)
                ++i;
            uint32_t v = 0;
            for (int k = 3; k >= 0; --k)
                v = v << 8 | rec.at(i + 1 + k);
            d.offsets32.push_back(i + 1);
            (tag == 6 ? d.bootStart : tag == 8 ? d.flashSize : d.appStart) = v;
            i += 4;
        } else if (tag == 7) {
            size_t z = i + 1;
            while (rec.at(z) != 0)
                d.name += char(rec.at(z++));
            i = z;
        }
        ++i;
    }
    return d;
}

TEST(InfoRecord, EveryFamilyDecodesByItsAlignment)
{
    int count = 0;
    const Family* families = Families(&count);
    ASSERT_EQ(count, 22);
    for (int k = 0; k < count; ++k) {
        const Family& f = families[k];
        SCOPED_TRACE(std::string(f.text));
        DeviceProfile profile;
        profile.family = f.code;
        profile.eraseBlockSize = static_cast<uint16_t>(0x0400 + k);
        profile.writeBlockSize = static_cast<uint16_t>(0x0100 + k);
        profile.bootRevision = 0x1201;
        profile.bootStart = 0x1D07C000 + k;
        profile.flashSize = 0x00080000 + k;
        profile.appStart = 0x00004000 + k;
        profile.mcuName = "MCU-" + std::to_string(f.code);
        std::vector<uint8_t> rec = EncodeInfoRecord(profile);
        ASSERT_LE(rec.size(), 64u);
        ASSERT_EQ(rec[0], rec.size());
        Decoded d = DecodeRecord(rec);
        EXPECT_EQ(d.family, f.code);
        EXPECT_EQ(d.erase, profile.eraseBlockSize);
        EXPECT_EQ(d.write, profile.writeBlockSize);
        EXPECT_EQ(d.revision, profile.bootRevision);
        EXPECT_EQ(d.bootStart, profile.bootStart);
        EXPECT_EQ(d.flashSize, profile.flashSize);
        EXPECT_EQ(d.appStart, profile.appStart);
        EXPECT_EQ(d.name, profile.mcuName);
        for (size_t o : d.offsets16)
            EXPECT_EQ(o % f.align16, 0u);
        for (size_t o : d.offsets32)
            EXPECT_EQ(o % f.align32, 0u);
    }
}

TEST(InfoRecord, AlignmentGroupsPadAsTheFamiliesDo)
{
    struct Case {
        uint8_t family;
        size_t firstValue16, firstValue32;
    };
    // Record: L, 1, code, 3, [pad], erase ... 6, [pad], boot start ...
    const Case cases[] = {
        {2, 4, 13},  // PIC18: no padding anywhere (tag 6 at 12)
        {4, 4, 16},  // PIC24: 2-byte alignment for both sizes (tag 6 at 14, value at 16)
        {20, 4, 16}, // PIC32: 32-bit values on multiples of 4
        {99, 4, 13}, // unknown family: values follow their tags
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.family));
        DeviceProfile profile;
        profile.family = c.family;
        Decoded d = DecodeRecord(EncodeInfoRecord(profile));
        EXPECT_EQ(d.offsets16.front(), c.firstValue16);
        EXPECT_EQ(d.offsets32.front(), c.firstValue32);
    }
}

// ---- Protocol ----

DeviceProfile Pic18()
{
    DeviceProfile profile; // defaults: PIC18, blocks of 64, bootloader at 0x7C00 of 0x8000
    profile.initiallyErased = false;
    return profile;
}

TEST(Protocol, ClaimHandshakeAndQueryAreAnswered)
{
    Bootloader device(Pic18());
    auto a = Answers(Send(device, Frame(kCmdClaim)));
    ASSERT_EQ(a.size(), 1u);
    EXPECT_TRUE(IsEcho(a[0], kCmdClaim));
    a = Answers(Send(device, Frame(kCmdHandshake)));
    ASSERT_EQ(a.size(), 1u);
    EXPECT_TRUE(IsEcho(a[0], kCmdHandshake));
    a = Answers(Send(device, Frame(kCmdQuery)));
    ASSERT_EQ(a.size(), 1u);
    std::vector<uint8_t> expected = EncodeInfoRecord(device.Profile());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), a[0].payload.begin()));
}

TEST(Protocol, RestartDetachesWithoutAnswer)
{
    Bootloader device(Pic18());
    auto r = Send(device, Frame(kCmdRestart));
    EXPECT_TRUE(r[0].restart);
    EXPECT_TRUE(r[0].answers.empty());
}

TEST(Protocol, DeviceThatIsNoBootloaderNeverAnswers)
{
    DeviceProfile profile = Pic18();
    profile.bootloader = false;
    Bootloader device(profile);
    EXPECT_TRUE(Answers(Send(device, Frame(kCmdQuery))).empty());
    EXPECT_TRUE(Answers(Send(device, Frame(kCmdClaim))).empty());
}

// The end-layout upload of a 100-byte PIC18 image below a bootloader at 0x7C00: two erase blocks,
// a 128-byte write run, then the last block below the bootloader erased and written alone.
TEST(Protocol, Pic18EndLayoutUploadProducesTheImage)
{
    Bootloader device(Pic18());
    std::vector<uint8_t> image(100);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t(i + 1);

    auto a = Answers(Send(device, Frame(kCmdErase, 64, 2)));
    ASSERT_EQ(a.size(), 1u);
    EXPECT_TRUE(IsEcho(a[0], kCmdErase));

    std::vector<uint8_t> run = image;
    run.resize(128, 0xFF);
    a = WriteRun(device, 0, run);
    ASSERT_EQ(a.size(), 2u); // one acknowledgement per 64-byte chunk
    for (const Answer& ack : a)
        EXPECT_TRUE(IsEcho(ack, kCmdWrite));

    EXPECT_EQ(Answers(Send(device, Frame(kCmdErase, 0x7C00 - 64, 1))).size(), 1u);
    std::vector<uint8_t> last(64, 0xFF);
    const uint8_t vector[4] = {0x12, 0xEF, 0x00, 0xF0};
    std::memcpy(last.data() + 60, vector, 4);
    EXPECT_EQ(WriteRun(device, 0x7C00 - 64, last).size(), 1u);

    EXPECT_EQ(ReadFlash(device, 0, 128), run);
    EXPECT_EQ(ReadFlash(device, 0x7C00 - 64, 64), last);
    EXPECT_EQ(ReadFlash(device, 128, 1)[0], 0x00); // not erased: the earlier program remains
    EXPECT_TRUE(device.Violations().empty()) << device.Violations().front().detail;
    EXPECT_FALSE(device.InWriteRun());
}

TEST(Protocol, ShortLastReportOfAChunkCarriesOnlyTheRunsBytes)
{
    Bootloader device(Pic18());
    Send(device, Frame(kCmdErase, 0, 1));
    std::vector<uint8_t> data(36, 0x5A);
    auto a = WriteRun(device, 0, data); // one report with 36 meaningful bytes and a 0xEE tail
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(ReadFlash(device, 0, 36), data);
    EXPECT_EQ(ReadFlash(device, 36, 1)[0], 0xFF); // the tail was not programmed
    // The next report is a command again.
    EXPECT_TRUE(IsEcho(Answers(Send(device, Frame(kCmdClaim))).at(0), kCmdClaim));
}

TEST(Protocol, Stm32SectorErasesReachBackFromTheLastSector)
{
    struct Case {
        uint8_t family;
        uint32_t address; // start of the last sector of the run
        uint16_t count;
        uint32_t erasedEnd; // flash offset where erased flash ends
    };
    const Case cases[] = {
        {37, 0x010000, 5, 0x020000},   // F4: sectors 0..4 (offsets)
        {37, 0x08010000, 5, 0x020000}, // the same by address
        {36, 0x0E0000, 1, 0x100000},   // F2: sector 11 alone
        {41, 0x08020000, 5, 0x040000}, // F7: sectors 0..4
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        DeviceProfile profile;
        profile.family = c.family;
        profile.eraseBlockSize = 1024;
        profile.flashSize = 0x100000;
        profile.bootStart = 0x100000; // no bootloader area inside this flash
        Bootloader device(profile);
        auto a = Answers(Send(device, Frame(kCmdErase, c.address, c.count)));
        ASSERT_EQ(a.size(), 1u);
        EXPECT_TRUE(IsEcho(a[0], kCmdErase));
        uint32_t erasedStart = c.count == 1 ? c.address & 0xFFFFF : 0;
        EXPECT_EQ(ReadFlash(device, erasedStart, 1)[0], 0xFF);
        EXPECT_EQ(ReadFlash(device, c.erasedEnd - 1, 1)[0], 0xFF);
        if (c.erasedEnd < profile.flashSize)
            EXPECT_EQ(ReadFlash(device, c.erasedEnd, 1)[0], 0x00);
        if (erasedStart > 0)
            EXPECT_EQ(ReadFlash(device, erasedStart - 1, 1)[0], 0x00);
        EXPECT_TRUE(device.Violations().empty());
    }
}

TEST(Protocol, Pic24AddressesCountTwoUnitsPerThreeBytes)
{
    DeviceProfile profile;
    profile.family = 4;
    profile.eraseBlockSize = 1536; // 512 instructions of 3 bytes
    profile.writeBlockSize = 192;
    profile.flashSize = 0x2AC00; // device address units
    profile.bootStart = 0x29C00;
    Bootloader device(profile);
    // Erase blocks 0 and 1: the last block's image offset 1536 is device address 1024.
    Send(device, Frame(kCmdErase, 1024, 2));
    std::vector<uint8_t> first(96, 0x11), second(96, 0x22);
    // A chunk of 96 image bytes advances the device address by 64.
    EXPECT_EQ(WriteRun(device, 0x400, first).size(), 1u);
    EXPECT_EQ(WriteRun(device, 0x440, second).size(), 1u);
    EXPECT_EQ(ReadFlash(device, 0x400, 96), first);
    EXPECT_EQ(ReadFlash(device, 0x440, 96), second);
    EXPECT_TRUE(device.Violations().empty());
}

TEST(Protocol, Pic32HasProgramAndBootFlash)
{
    DeviceProfile profile;
    profile.family = 20;
    profile.eraseBlockSize = 4096;
    profile.writeBlockSize = 512;
    profile.flashSize = 0x80000;
    profile.bootStart = 0x9D07C000; // virtual address of the bootloader in program flash
    profile.mcuName = "PIC32MX795F512L";
    Bootloader device(profile);
    Send(device, Frame(kCmdErase, 0x1FC00000, 1));
    Send(device, Frame(kCmdErase, 0x1D000000 + 4096, 2));
    std::vector<uint8_t> boot(512, 0xB0), program(512, 0xC0);
    EXPECT_EQ(WriteRun(device, 0x1FC00000, boot).size(), 1u);
    EXPECT_EQ(WriteRun(device, 0x1D001000, program).size(), 1u);
    EXPECT_EQ(ReadFlash(device, 0x1FC00000, 512), boot);
    EXPECT_EQ(ReadFlash(device, 0xBD001000, 512), program); // also readable by virtual address
    EXPECT_TRUE(device.Violations().empty());
    // The boot flash's last erase block holds the configuration words and is protected.
    WriteRun(device, 0x1FC03000 - 16, std::vector<uint8_t>(16, 0));
    EXPECT_EQ(CountViolations(device, ViolationKind::BootloaderArea), 1);
}

TEST(Protocol, EachViolationIsRecorded)
{
    struct Case {
        const char* what;
        std::vector<std::vector<uint8_t>> messages;
        ViolationKind kind;
    };
    std::vector<uint8_t> block(64, 0x33);
    const Case cases[] = {
        {"programming without erase", {Frame(kCmdWrite, 0, 64), block}, ViolationKind::NotErased},
        {"writing twice after one erase",
         {Frame(kCmdErase, 0, 1), Frame(kCmdWrite, 0, 64), block, Frame(kCmdWrite, 0, 64), block},
         ViolationKind::NotErased},
        {"writing past the flash",
         {Frame(kCmdWrite, 0x8000, 64), block},
         ViolationKind::OutsideFlash},
        {"erasing past the flash", {Frame(kCmdErase, 0x8000, 1)}, ViolationKind::OutsideFlash},
        {"erasing below the flash", {Frame(kCmdErase, 0, 2)}, ViolationKind::OutsideFlash},
        {"writing the bootloader",
         {Frame(kCmdWrite, 0x7C00, 64), block},
         ViolationKind::BootloaderArea},
        {"a run reaching into the bootloader",
         {Frame(kCmdWrite, 0x7BC0, 128), block, block},
         ViolationKind::BootloaderArea},
        {"erasing the bootloader", {Frame(kCmdErase, 0x7C00, 1)}, ViolationKind::BootloaderArea},
        {"data nobody announced", {block}, ViolationKind::OutsideRun},
        {"more data than the run announced",
         {Frame(kCmdErase, 0, 1), Frame(kCmdWrite, 0, 64), block, block},
         ViolationKind::OutsideRun},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bootloader device(Pic18());
        for (const auto& m : c.messages)
            Send(device, m);
        ASSERT_EQ(device.Violations().size(), 1u);
        EXPECT_EQ(device.Violations()[0].kind, c.kind) << device.Violations()[0].detail;
    }
}

TEST(Protocol, RefusedRunsLeaveTheFlashAlone)
{
    Bootloader device(Pic18());
    std::vector<uint8_t> before = ReadFlash(device, 0x7BC0, 128);
    Send(device, Frame(kCmdWrite, 0x7BC0, 128));
    Send(device, std::vector<uint8_t>(64, 0x44));
    auto a = Answers(Send(device, std::vector<uint8_t>(64, 0x44)));
    EXPECT_EQ(a.size(), 1u); // still acknowledged: the device keeps in step with the host
    EXPECT_EQ(ReadFlash(device, 0x7BC0, 128), before);
}

// ---- Scripted behaviour ----

TEST(Script, MisbehavioursChangeTheAnswers)
{
    struct Case {
        const char* line;
        uint8_t command;
        size_t answers;
        bool echoOk; // first answer is the right echo
        bool remove;
    };
    const Case cases[] = {
        {"silent claim", kCmdClaim, 0, false, false},
        {"wrong_echo handshake", kCmdHandshake, 1, false, false},
        {"garbage claim", kCmdClaim, 1, false, false},
        {"duplicate claim", kCmdClaim, 2, true, false},
        {"split claim", kCmdClaim, 2, false, false},
        {"remove claim", kCmdClaim, 0, false, true},
        {"delay claim 1500", kCmdClaim, 1, true, false},
        {"silent claim @2", kCmdClaim, 1, true, false}, // applies to the second claim only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        SimulatorConfig config;
        std::string error;
        ASSERT_TRUE(ParseConfig(std::string("[device d]\nmisbehave = ") + c.line, &config, &error))
            << error;
        Bootloader device(config.devices[0]);
        auto r = Send(device, Frame(c.command));
        auto a = Answers(r);
        ASSERT_EQ(a.size(), c.answers);
        if (!a.empty())
            EXPECT_EQ(IsEcho(a[0], c.command), c.echoOk);
        EXPECT_EQ(r[0].remove, c.remove);
    }
}

TEST(Script, SplitAnswerCarriesTheRecordInTwoReports)
{
    DeviceProfile profile = Pic18();
    profile.script.push_back({Misbehaviour::Split, Stage::Query});
    Bootloader device(profile);
    auto a = Answers(Send(device, Frame(kCmdQuery)));
    ASSERT_EQ(a.size(), 2u);
    std::vector<uint8_t> rec = EncodeInfoRecord(profile);
    size_t half = rec.size() / 2;
    EXPECT_TRUE(std::equal(rec.begin(), rec.begin() + half, a[0].payload.begin()));
    EXPECT_TRUE(std::equal(rec.begin() + half, rec.end(), a[1].payload.begin()));
}

TEST(Script, DelaysAddUpWithProcessingTimes)
{
    DeviceProfile profile = Pic18();
    profile.answerDelayMs = 2;
    profile.eraseMsPerBlock = 10;
    profile.script.push_back({Misbehaviour::Delay, Stage::Erase, 0, 1000});
    Bootloader device(profile);
    auto a = Answers(Send(device, Frame(kCmdErase, 192, 4)));
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].delayMs, 2u + 40u + 1000u);
}

TEST(Script, RemovalAfterReportsAndAtAStage)
{
    DeviceProfile profile = Pic18();
    profile.removeAfterReports = 3;
    Bootloader device(profile);
    EXPECT_FALSE(Send(device, Frame(kCmdQuery))[0].remove);
    EXPECT_FALSE(Send(device, Frame(kCmdClaim))[0].remove);
    EXPECT_TRUE(Send(device, Frame(kCmdHandshake))[0].remove);

    DeviceProfile atWrite = Pic18();
    atWrite.script.push_back({Misbehaviour::Remove, Stage::Write});
    Bootloader second(atWrite);
    EXPECT_FALSE(Send(second, Frame(kCmdErase, 0, 1))[0].remove);
    EXPECT_TRUE(Send(second, Frame(kCmdWrite, 0, 64))[0].remove);
}

// ---- Frame timing ----

// A host that sends each message as soon as the answer to the previous one has arrived.
uint64_t MinimumTime(Bootloader& device, const std::vector<std::vector<uint8_t>>& messages)
{
    FrameModel model;
    for (const auto& m : messages) {
        for (size_t at = 0; at < m.size(); at += 64) {
            uint8_t report[64] = {};
            std::memcpy(report, m.data() + at, std::min<size_t>(64, m.size() - at));
            uint64_t frame = model.HostReport();
            for (const Answer& a : device.Receive(report, 64).answers) {
                model.AnswerSeen(model.DeviceAnswer(frame, a.delayMs));
            }
        }
    }
    return model.MinimumMs();
}

TEST(FrameTiming, MinimumTimeFollowsTheFrameArithmetic)
{
    {
        // Claim, handshake, query: each report in the frame after the previous answer, each answer
        // in the frame after its report: 6 frames.
        Bootloader device(Pic18());
        EXPECT_EQ(MinimumTime(device, {Frame(kCmdClaim), Frame(kCmdHandshake), Frame(kCmdQuery)}),
                  6u);
    }
    {
        // Erase of 2 blocks at 10 ms each: report 0, answer 1 + 20 = 21. Then a write command
        // (frame 22) and a 128-byte run in two 64-byte chunks: chunk reports 23, answer 24; next
        // chunk 25, answer 26: 27 frames.
        DeviceProfile profile = Pic18();
        profile.eraseMsPerBlock = 10;
        Bootloader device(profile);
        std::vector<uint8_t> chunk(64, 1);
        EXPECT_EQ(
            MinimumTime(device, {Frame(kCmdErase, 64, 2), Frame(kCmdWrite, 0, 128), chunk, chunk}),
            27u);
    }
}

TEST(FrameTiming, AtMostOneReportPerFrameInEachDirection)
{
    FrameModel model;
    EXPECT_EQ(model.HostReport(), 0u);
    EXPECT_EQ(model.HostReport(), 1u); // a second report without waiting: next frame
    EXPECT_EQ(model.DeviceAnswer(1, 0), 2u);
    EXPECT_EQ(model.DeviceAnswer(1, 0), 3u); // a duplicate answer waits for the next frame
    model.AnswerSeen(3);
    EXPECT_EQ(model.HostReport(), 4u);
    EXPECT_EQ(model.MinimumMs(), 5u);
}

// ---- Configuration ----

TEST(Config, ReadsDevicesAndTheirKeys)
{
    SimulatorConfig config;
    std::string error;
    const char* text =
        "# two bootloaders\n"
        "[simulator]\ntrace = out.txt\n"
        "[device a]\nfamily = 37\nvid = 0x0483\nerase_block = 1024\nboot_start = 0x080E0000\n"
        "misbehave = delay erase 50 @2\nserial = 1234\n"
        "[device b]\nplugged = no\nrecord = 05 01 02 00 00\n";
    ASSERT_TRUE(ParseConfig(text, &config, &error)) << error;
    ASSERT_EQ(config.devices.size(), 2u);
    EXPECT_EQ(config.tracePath, "out.txt");
    const DeviceProfile& a = config.devices[0];
    EXPECT_EQ(a.id, "a");
    EXPECT_EQ(a.family, 37);
    EXPECT_EQ(a.vendorId, 0x0483);
    EXPECT_EQ(a.bootStart, 0x080E0000u);
    EXPECT_EQ(a.serial, "1234");
    ASSERT_EQ(a.script.size(), 1u);
    EXPECT_EQ(a.script[0].delayMs, 50u);
    EXPECT_EQ(a.script[0].occurrence, 2u);
    EXPECT_EQ(a.languages, (std::vector<uint16_t>{0x0409}));
    EXPECT_FALSE(config.devices[1].plugged);
    EXPECT_EQ(config.devices[1].rawRecord, (std::vector<uint8_t>{5, 1, 2, 0, 0}));
}

TEST(Config, StringsTakeEscapesAndLanguageTablesMayBeEmpty)
{
    SimulatorConfig config;
    std::string error;
    ASSERT_TRUE(
        ParseConfig("[device a]\nserial = A\\u0409\\u00e9\nlanguages = 0409 0407\n"
                    "[device b]\nlanguages = none\nread_write = no\n",
                    &config, &error))
        << error;
    EXPECT_EQ(config.devices[0].serial, "A\xD0\x89\xC3\xA9");
    EXPECT_EQ(config.devices[0].languages, (std::vector<uint16_t>{0x0409, 0x0407}));
    EXPECT_TRUE(config.devices[1].languages.empty());
    EXPECT_FALSE(config.devices[1].readWrite);
}

TEST(Config, TheDemoConfigurationHoldsAPic18AndAnStm32F4)
{
    std::ifstream in(SIM_DEMO_CONFIG);
    std::stringstream text;
    text << in.rdbuf();
    SimulatorConfig config;
    std::string error;
    ASSERT_TRUE(ParseConfig(text.str(), &config, &error)) << error;
    ASSERT_EQ(config.devices.size(), 2u);
    EXPECT_EQ(config.devices[0].family, 2);
    EXPECT_EQ(config.devices[1].family, 37);
}

TEST(Config, ErrorsNameTheLine)
{
    const char* bad[] = {
        "key = 1",                  // outside a section
        "[device a]\nfamily = 300", // out of range
        "[device a]\nvid = -1",
        "[device a]\nflavour = sweet",
        "[device a]\nmisbehave = delay erase", // no time
        "[device a]\nmisbehave = sulk claim",
        "[device a]\n[device a]",
        "[device a]\nerase_block = 0",
        "[device a]\nflash_size = 0x80000000",
        "[device a",
        "[device a]\nserial = \\u12", // short escape
        "[device a]\nlanguages = 0409 zz",
    };
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        SimulatorConfig config;
        std::string error;
        EXPECT_FALSE(ParseConfig(text, &config, &error));
        EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
    }
}

} // namespace
} // namespace sim
