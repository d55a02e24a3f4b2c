#pragma once
// Bootloader protocol framing: command frames, answer checks, the bounded collection of
// received bytes and the cutting of a message into HID output reports.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace app {

inline constexpr std::uint8_t FrameMarker = 0x0F;
inline constexpr std::size_t InitialSharedBufferSize = 64;
inline constexpr std::size_t ReportPayloadSize = 64;
inline constexpr std::size_t OutputReportSize = ReportPayloadSize + 1; // report ID 0 first
inline constexpr std::uint32_t MaxEraseRunBlocks = 0x7FFF;
inline constexpr std::uint32_t MaxWriteRunBytes = 0x8000;

enum Command : std::uint8_t {
    CmdHandshake = 1,
    CmdQueryInfo = 2,
    CmdClaim = 3,
    CmdRestart = 4,
    CmdWrite = 11,
    CmdErase = 21,
};

// Answer timeouts in milliseconds.
inline constexpr unsigned CommandTimeoutMs = 1000; // commands 1, 2, 3 and each write chunk
inline constexpr unsigned BlockEraseMsPerBlock = 100;
inline constexpr unsigned SectorEraseMsAtEnd = 8000;   // per sector, bootloader at the end
inline constexpr unsigned SectorEraseMsAtStart = 4000; // per sector, bootloader at the start
inline constexpr unsigned LastBlockEraseMs = 1000;
inline constexpr unsigned LastSectorEraseMs = 4000;

// Builds a two-byte frame (commands 1, 2, 3, 4) at the start of `buffer`; returns its length.
std::size_t BuildFrame(std::span<std::uint8_t> buffer, Command command);
// Builds the eight-byte frame of commands 11 and 21: address and the count's low 16 bits,
// both little-endian. Returns its length.
std::size_t BuildAddressedFrame(std::span<std::uint8_t> buffer, Command command,
                                std::uint32_t address, std::uint32_t count);

// How the answer to a command is recognised (by the command's low 7 bits): the echo for 1, 3,
// 11 and 21; any report at all for 2 (the device-information record has no marker); nothing
// for the others.
enum class AnswerCheck { None, Echo, DeviceInfo };
AnswerCheck AnswerCheckFor(std::uint8_t command);

// True when the received bytes start with the echo 0x0F, command.
bool IsEcho(std::span<const std::uint8_t> received, Command command);

// Collects input reports between two sends. Bytes that do not fit in the buffer are dropped:
// a device that sends more than the buffer holds must not make the receiver write past it.
class ReceiveBuffer {
public:
    explicit ReceiveBuffer(std::size_t size = InitialSharedBufferSize) : bytes_(size) {}

    void Resize(std::size_t size);
    // Forgets what was received (every send does this).
    void Reset();
    // Appends a report's bytes as far as they fit; returns how many were stored.
    std::size_t Append(std::span<const std::uint8_t> data);

    std::span<std::uint8_t> Bytes() { return bytes_; }
    std::span<const std::uint8_t> Bytes() const { return bytes_; }
    std::span<const std::uint8_t> Received() const { return {bytes_.data(), index_}; }
    std::size_t Size() const { return bytes_.size(); }
    std::size_t Index() const { return index_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t index_ = 0;
};

using OutputReport = std::array<std::uint8_t, OutputReportSize>;

// Cuts a message into output reports of report ID 0 and up to 64 message bytes each; the rest
// of a report is zero. An empty message still gives one report.
std::vector<OutputReport> SplitIntoReports(std::span<const std::uint8_t> message);

// The history line of a failed wait: 1 device removed, 2 timeout; empty for anything else.
std::string_view WaitErrorText(int waitResult);

} // namespace app
