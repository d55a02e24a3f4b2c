#include "Protocol.h"
#include "Texts.h"

#include <gtest/gtest.h>

#include <vector>

using namespace app;

TEST(Protocol, ShortFramesCarryMarkerAndCommand)
{
    for (Command c : {CmdHandshake, CmdQueryInfo, CmdClaim, CmdRestart}) {
        std::vector<std::uint8_t> buffer(64, 0xAA);
        EXPECT_EQ(BuildFrame(buffer, c), 2u);
        EXPECT_EQ(buffer[0], 0x0F);
        EXPECT_EQ(buffer[1], c);
        EXPECT_EQ(buffer[2], 0xAA) << "bytes behind the frame are left alone";
    }
}

TEST(Protocol, AddressedFramesAreLittleEndianWithSixteenBitCount)
{
    std::vector<std::uint8_t> buffer(64);
    EXPECT_EQ(BuildAddressedFrame(buffer, CmdErase, 0x1D07F000, 0x12345), 8u);
    const std::vector<std::uint8_t> expected{0x0F, 21, 0x00, 0xF0, 0x07, 0x1D, 0x45, 0x23};
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 8), expected);

    BuildAddressedFrame(buffer, CmdWrite, 0x40, 0x8000);
    const std::vector<std::uint8_t> write{0x0F, 11, 0x40, 0, 0, 0, 0x00, 0x80};
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 8), write);

    std::vector<std::uint8_t> tiny(7);
    EXPECT_THROW(BuildAddressedFrame(tiny, CmdWrite, 0, 0), std::length_error);
}

TEST(Protocol, EchoMatchesMarkerAndCode)
{
    struct Case {
        std::vector<std::uint8_t> bytes;
        Command command;
        bool expected;
    };
    const Case cases[] = {
        {{0x0F, 3}, CmdClaim, true},   {{0x0F, 11, 9, 9}, CmdWrite, true},
        {{0x0F, 11}, CmdErase, false}, // a write echo does not end an erase wait
        {{0x0E, 3}, CmdClaim, false},  {{0x0F}, CmdClaim, false},
        {{}, CmdHandshake, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsEcho(c.bytes, c.command), c.expected) << int(c.command);
}

TEST(Protocol, ReceiveBufferKeepsOnlyWhatFits)
{
    ReceiveBuffer rx(64);
    std::vector<std::uint8_t> report(64);
    for (std::size_t k = 0; k < report.size(); ++k)
        report[k] = static_cast<std::uint8_t>(k);
    EXPECT_EQ(rx.Append(std::span(report).first(40)), 40u);
    EXPECT_EQ(rx.Append(report), 24u); // second report: only the room that is left
    EXPECT_EQ(rx.Index(), 64u);
    EXPECT_EQ(rx.Append(report), 0u);
    EXPECT_EQ(rx.Bytes()[40], 0);
    EXPECT_EQ(rx.Bytes()[63], 23);

    rx.Reset();
    EXPECT_EQ(rx.Received().size(), 0u);
    rx.Resize(1024); // one erase block once the device information is known
    EXPECT_EQ(rx.Append(report) + rx.Append(report), 128u);
    rx.Resize(100);
    EXPECT_EQ(rx.Index(), 100u);
}

TEST(Protocol, MessagesAreCutIntoSixtyFourByteReports)
{
    struct Case {
        std::size_t length;
        std::vector<std::size_t> payloads;
    };
    const Case cases[] = {{2, {2}}, {64, {64}}, {100, {64, 36}}, {128, {64, 64}}, {0, {0}}};
    for (const auto& c : cases) {
        std::vector<std::uint8_t> message(c.length);
        for (std::size_t k = 0; k < c.length; ++k)
            message[k] = static_cast<std::uint8_t>(k + 1);
        const auto reports = SplitIntoReports(message);
        ASSERT_EQ(reports.size(), c.payloads.size()) << c.length;
        std::size_t offset = 0;
        for (std::size_t r = 0; r < reports.size(); ++r) {
            EXPECT_EQ(reports[r].size(), 65u);
            EXPECT_EQ(reports[r][0], 0) << "report ID";
            for (std::size_t k = 0; k < 64; ++k) {
                const std::uint8_t want = k < c.payloads[r] ? message[offset + k] : 0;
                ASSERT_EQ(reports[r][k + 1], want) << c.length << " report " << r << " byte " << k;
            }
            offset += c.payloads[r];
        }
    }
}

TEST(Protocol, WaitErrorsHaveTheirHistoryLines)
{
    EXPECT_EQ(WaitErrorText(1), "Error: Device removed.");
    EXPECT_EQ(WaitErrorText(2), "Error: Timeout waiting for MCU.");
    EXPECT_EQ(WaitErrorText(0), "");
    EXPECT_EQ(text::UnableToFindDevice(text::BootloaderProductName),
              "Unable to find device: USB HID Bootloader.");
    EXPECT_EQ(text::VersionLabel(0x12a), "Version: 012A");
    EXPECT_EQ(text::SuccessExpanded("C:\\a.hex"),
              "Uploading program \"C:\\a.hex\" finished with success.");
}

TEST(Protocol, AnswersAreRecognisedByTheCommandsLowSevenBits)
{
    struct Case {
        std::uint8_t command;
        AnswerCheck check;
    };
    const Case cases[] = {
        {1, AnswerCheck::Echo},    {3, AnswerCheck::Echo},       {11, AnswerCheck::Echo},
        {21, AnswerCheck::Echo},   {2, AnswerCheck::DeviceInfo}, {0x82, AnswerCheck::DeviceInfo},
        {0x95, AnswerCheck::Echo}, {4, AnswerCheck::None},       {0, AnswerCheck::None},
        {22, AnswerCheck::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AnswerCheckFor(c.command), c.check) << int(c.command);
}
