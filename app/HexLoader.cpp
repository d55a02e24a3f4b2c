#include "HexLoader.h"

#include "Texts.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace app {

namespace {

constexpr std::array<std::int8_t, 256> MakeHexTable()
{
    std::array<std::int8_t, 256> t{};
    for (auto& v : t)
        v = -1;
    for (int c = '0'; c <= '9'; ++c)
        t[c] = static_cast<std::int8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) {
        t[c] = static_cast<std::int8_t>(c - 'A' + 10);
        t[c + 'a' - 'A'] = static_cast<std::int8_t>(c - 'A' + 10);
    }
    return t;
}
constexpr auto kHexDigit = MakeHexTable();

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// ":00000001FF" in any case, also with trailing blanks.
bool IsEndLine(std::string_view line)
{
    while (!line.empty() && IsBlank(line.back()))
        line.remove_suffix(1);
    constexpr std::string_view end = ":00000001FF";
    if (line.size() != end.size())
        return false;
    for (std::size_t k = 0; k < end.size(); ++k) {
        if (std::toupper(static_cast<unsigned char>(line[k])) != end[k])
            return false;
    }
    return true;
}

// The lines of the file as the platform's string list splits them: CR LF, LF or CR end a line.
std::vector<std::string_view> SplitLines(std::string_view content)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    const std::size_t n = content.size();
    for (std::size_t k = 0; k < n; ++k) {
        const char c = content[k];
        if (c == '\n' || c == '\r') {
            lines.push_back(content.substr(start, k - start));
            if (c == '\r' && k + 1 < n && content[k + 1] == '\n')
                ++k;
            start = k + 1;
        }
    }
    if (start < n)
        lines.push_back(content.substr(start));
    return lines;
}

// Decodes the pairs behind the colon. False when a character is not a hexadecimal digit or
// the digits do not form whole pairs.
bool DecodeRecord(std::string_view line, std::vector<std::uint8_t>& bytes)
{
    const std::size_t digits = line.size() - 1;
    if (digits % 2 != 0)
        return false;
    bytes.resize(digits / 2);
    const auto* p = reinterpret_cast<const unsigned char*>(line.data()) + 1;
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        const int hi = kHexDigit[p[2 * k]];
        const int lo = kHexDigit[p[2 * k + 1]];
        if ((hi | lo) < 0)
            return false;
        bytes[k] = static_cast<std::uint8_t>(hi << 4 | lo);
    }
    return true;
}

enum RecordType : std::uint8_t { RecordData = 0, RecordExtendedLinear = 4 };

// Data records keep the family's window; the boot window applies to PIC32 only.
struct Window {
    std::uint64_t programFirst = 0;
    std::uint64_t programEnd = 0; // exclusive
    bool unlimited = false;
    std::uint32_t bootEnd = 0;               // 0: no boot image
    std::uint64_t growLimit = MaxImageBytes; // image indexes beyond it are refused
};

Window WindowFor(const DeviceInfo& d)
{
    Window w;
    const bool byFlash = d.HasFlashSizeLimit();
    const FamilyCode code = d.mcuType;
    const std::uint64_t flash = d.flashSize;
    std::uint64_t deviceFlash = 0; // image bytes the device's flash holds; 0 when unknown
    if (InGroup(code, GroupPic24)) {
        w.programEnd = byFlash ? flash / 3 * 4 : std::uint64_t{d.bootStart} * 2;
        // The HEX file addresses every device word with two bytes.
        deviceFlash = flash * 2;
    } else if (InGroup(code, GroupPic32)) {
        w.programFirst = Pic32ProgramBase;
        w.programEnd = byFlash ? Pic32ProgramBase + flash : 0x1F800000;
        w.bootEnd = code == 20 ? 0x1FC02FF0 : 0x1FC0FF00;
        deviceFlash = flash;
    } else if (FindFamily(code)) {
        w.programEnd = byFlash ? flash : d.bootStart;
        deviceFlash = flash;
    } else {
        w.unlimited = true;
    }
    if (deviceFlash != 0)
        w.growLimit = std::min<std::uint64_t>(deviceFlash, MaxImageBytes);
    return w;
}

void Grow(std::vector<std::uint8_t>& image, std::size_t length, FamilyCode family)
{
    std::size_t old = image.size();
    if (length <= old)
        return;
    image.resize(length, 0xFF);
    if (family == 1) {
        for (std::size_t k = old | 1; k < length; k += 2)
            image[k] = 0x3F;
    }
}

// The device's address window as the HEX file addresses it: "0x00000000-0x00007FFF", and for
// PIC32 the boot flash's window after a comma.
std::string WindowText(const Window& w, bool stm32)
{
    const std::uint64_t offset = stm32 ? Stm32FlashBase : 0;
    std::string text = w.programEnd > w.programFirst
                           ? text::AddressRange(w.programFirst + offset, w.programEnd - 1 + offset)
                           : std::string(text::EmptyWindow);
    if (w.bootEnd != 0)
        text += ", " + text::AddressRange(Pic32BootBase, w.bootEnd - 1u);
    return text;
}

// Everything but the CRC failure is shown as an error; the CRC box is a warning as it always was.
HexLoadResult Fail(HexProblem problem, int line, std::string message,
                   MessageBoxKind box = MessageBoxKind::Error)
{
    HexLoadResult r;
    r.problem = problem;
    r.line = line;
    r.message = std::move(message);
    r.box = box;
    return r;
}

} // namespace

std::string_view FileNameOnly(std::string_view path)
{
    const auto sep = path.find_last_of("\\/:");
    return sep == std::string_view::npos ? path : path.substr(sep + 1);
}

std::uint8_t ErasedByte(FamilyCode family, std::size_t index)
{
    return family == 1 && (index & 1) ? 0x3F : 0xFF;
}

HexLoadResult LoadHex(std::string_view content, std::string_view path, const DeviceInfo& device)
{
    const std::string_view fileName = FileNameOnly(path);
    const std::vector<std::string_view> lines = SplitLines(content);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(64);

    // The records up to the end line, each checked once before any image is touched.
    std::size_t endIndex = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.empty() || line[0] != ':')
            continue;
        if (IsEndLine(line)) {
            endIndex = i;
            break;
        }
        const int index = static_cast<int>(i);
        if (!DecodeRecord(line, bytes) || bytes.size() < 5 || bytes.size() < bytes[0] + 5u ||
            (bytes[3] == RecordExtendedLinear && bytes[0] < 2))
            return Fail(HexProblem::InvalidRecord, index, text::InvalidRecord(index, fileName));
        std::uint8_t sum = 0;
        for (std::uint8_t b : bytes)
            sum = static_cast<std::uint8_t>(sum + b);
        if (sum != 0)
            return Fail(HexProblem::Checksum, index, text::CrcFailed(index, fileName),
                        MessageBoxKind::Warning);
    }

    const FamilyCode family = device.mcuType;
    const Window window = WindowFor(device);
    const bool stm32 = InGroup(family, GroupStm32);
    HexLoadResult result;
    std::uint32_t upper = 0;
    bool hasData = false;
    for (std::size_t i = 0; i < endIndex; ++i) {
        const std::string_view line = lines[i];
        if (line.empty() || line[0] != ':')
            continue;
        const int index = static_cast<int>(i);
        DecodeRecord(line, bytes);
        const std::uint8_t count = bytes[0];
        const std::uint8_t type = bytes[3];
        if (type == RecordExtendedLinear)
            upper = std::uint32_t{bytes[4]} << 8 | bytes[5];
        std::uint32_t a = upper << 16 | std::uint32_t{bytes[1]} << 8 | bytes[2];
        if (stm32) {
            if (a < Stm32FlashBase)
                return Fail(HexProblem::BelowFlashOffset, index,
                            text::StartAddressViolation(index));
            a -= Stm32FlashBase;
        }
        if (type != RecordData)
            continue;
        hasData = hasData || count > 0;
        const std::uint8_t* data = bytes.data() + 4;
        if (window.bootEnd != 0 && a >= Pic32BootBase && a < window.bootEnd) {
            const std::size_t at = a - Pic32BootBase;
            Grow(result.boot, at + count, family);
            std::copy_n(data, count, result.boot.begin() + static_cast<std::ptrdiff_t>(at));
            continue;
        }
        if (!window.unlimited && (a < window.programFirst || a >= window.programEnd))
            continue;
        const std::uint64_t at = a - window.programFirst;
        if (at + count > window.growLimit)
            return Fail(HexProblem::BeyondFlash, index, text::BeyondFlash(index, fileName));
        Grow(result.program, static_cast<std::size_t>(at + count), family);
        std::copy_n(data, count, result.program.begin() + static_cast<std::ptrdiff_t>(at));
    }

    // Data of which nothing lands in the device's flash is a file for another device (linked
    // for another address, say): loading it would make an upload that writes nothing and
    // reports success.
    if (hasData && result.program.empty() && result.boot.empty())
        return Fail(HexProblem::OutsideWindow, -1,
                    text::OutsideWindow(fileName, WindowText(window, stm32)));

    if (InGroup(family, GroupPic24)) {
        // Four HEX bytes per instruction, the fourth a phantom byte: keep three.
        std::size_t out = 0;
        for (std::size_t k = 0; k < result.program.size(); ++k) {
            if ((k + 1) % 4 != 0)
                result.program[out++] = result.program[k];
        }
        result.program.resize(out);
    }
    return result;
}

} // namespace app
