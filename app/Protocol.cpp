#include "Protocol.h"

#include "Texts.h"

#include <algorithm>
#include <stdexcept>

namespace app {

std::size_t BuildFrame(std::span<std::uint8_t> buffer, Command command)
{
    if (buffer.size() < 2)
        throw std::length_error("command frame does not fit the buffer");
    buffer[0] = FrameMarker;
    buffer[1] = command;
    return 2;
}

std::size_t BuildAddressedFrame(std::span<std::uint8_t> buffer, Command command,
                                std::uint32_t address, std::uint32_t count)
{
    if (buffer.size() < 8)
        throw std::length_error("command frame does not fit the buffer");
    buffer[0] = FrameMarker;
    buffer[1] = command;
    for (int i = 0; i < 4; ++i)
        buffer[2 + i] = static_cast<std::uint8_t>(address >> (8 * i));
    buffer[6] = static_cast<std::uint8_t>(count);
    buffer[7] = static_cast<std::uint8_t>(count >> 8);
    return 8;
}

AnswerCheck AnswerCheckFor(std::uint8_t command)
{
    switch (command & 0x7F) {
        case CmdHandshake:
        case CmdClaim:
        case CmdWrite:
        case CmdErase:
            return AnswerCheck::Echo;
        case CmdQueryInfo:
            return AnswerCheck::DeviceInfo;
        default:
            return AnswerCheck::None;
    }
}

bool IsEcho(std::span<const std::uint8_t> received, Command command)
{
    return received.size() >= 2 && received[0] == FrameMarker && received[1] == command;
}

void ReceiveBuffer::Resize(std::size_t size)
{
    bytes_.resize(size);
    index_ = std::min(index_, size);
}

void ReceiveBuffer::Reset()
{
    index_ = 0;
}

std::size_t ReceiveBuffer::Append(std::span<const std::uint8_t> data)
{
    const std::size_t n = std::min(data.size(), bytes_.size() - index_);
    std::copy_n(data.begin(), n, bytes_.begin() + static_cast<std::ptrdiff_t>(index_));
    index_ += n;
    return n;
}

std::vector<OutputReport> SplitIntoReports(std::span<const std::uint8_t> message)
{
    std::vector<OutputReport> reports;
    std::size_t offset = 0;
    do {
        OutputReport report{};
        const std::size_t n = std::min(ReportPayloadSize, message.size() - offset);
        std::copy_n(message.begin() + static_cast<std::ptrdiff_t>(offset), n, report.begin() + 1);
        reports.push_back(report);
        offset += n;
    } while (offset < message.size());
    return reports;
}

std::string_view WaitErrorText(int waitResult)
{
    switch (waitResult) {
        case 1:
            return text::ErrorDeviceRemoved;
        case 2:
            return text::ErrorTimeout;
        default:
            return {};
    }
}

} // namespace app
