#include "Config.h"

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>

namespace sim {
namespace {

std::string Trim(std::string_view s)
{
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string_view::npos)
        return {};
    size_t e = s.find_last_not_of(" \t\r");
    return std::string(s.substr(b, e - b + 1));
}

bool ParseNumber(const std::string& text, uint64_t max, uint64_t* value)
{
    if (text.empty() || text[0] == '-')
        return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long v = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || v > max)
        return false;
    *value = v;
    return true;
}

bool ParseBool(const std::string& text, bool* value)
{
    if (text == "yes" || text == "true" || text == "1")
        return *value = true, true;
    if (text == "no" || text == "false" || text == "0")
        return *value = false, true;
    return false;
}

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

bool ParseScript(const std::string& text, ScriptedBehaviour* b)
{
    static const std::map<std::string, Misbehaviour> kKinds = {
        {"delay", Misbehaviour::Delay},          {"silent", Misbehaviour::Silent},
        {"wrong_echo", Misbehaviour::WrongEcho}, {"garbage", Misbehaviour::Garbage},
        {"duplicate", Misbehaviour::Duplicate},  {"split", Misbehaviour::Split},
        {"remove", Misbehaviour::Remove}};
    // <kind> <stage> [ms (delay only)] [@occurrence]
    std::vector<std::string> w = Words(text);
    if (w.size() < 2 || !kKinds.count(w[0]))
        return false;
    b->what = kKinds.at(w[0]);
    auto stage = StageFromName(w[1]);
    if (!stage)
        return false;
    b->stage = *stage;
    size_t i = 2;
    uint64_t v;
    if (b->what == Misbehaviour::Delay) {
        if (i >= w.size() || !ParseNumber(w[i], UINT32_MAX, &v))
            return false;
        b->delayMs = static_cast<uint32_t>(v);
        ++i;
    }
    if (i < w.size()) {
        if (w[i].size() < 2 || w[i][0] != '@' || !ParseNumber(w[i].substr(1), UINT32_MAX, &v))
            return false;
        b->occurrence = static_cast<uint32_t>(v);
        ++i;
    }
    return i == w.size();
}

bool ParseBytes(const std::string& text, std::vector<uint8_t>* bytes)
{
    for (const std::string& w : Words(text)) {
        uint64_t v;
        if (!ParseNumber(w.rfind("0x", 0) == 0 ? w : "0x" + w, 0xFF, &v))
            return false;
        bytes->push_back(static_cast<uint8_t>(v));
    }
    return true;
}

using Setter = std::function<bool(DeviceProfile&, const std::string&)>;

template <class T>
Setter Number(T DeviceProfile::*field)
{
    return [field](DeviceProfile& d, const std::string& v) {
        uint64_t n;
        if (!ParseNumber(v, static_cast<T>(~T{0}), &n))
            return false;
        d.*field = static_cast<T>(n);
        return true;
    };
}
Setter Flag(bool DeviceProfile::*field)
{
    return [field](DeviceProfile& d, const std::string& v) { return ParseBool(v, &(d.*field)); };
}
// Text with \uXXXX escapes for characters beyond ASCII, kept as UTF-8.
bool ParseText(const std::string& text, std::string* out)
{
    out->clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\\u") != 0) {
            *out += text[i];
            continue;
        }
        uint64_t c;
        if (i + 6 > text.size() || !ParseNumber("0x" + text.substr(i + 2, 4), 0xFFFF, &c) || c == 0)
            return false;
        if (c < 0x80) {
            *out += char(c);
        } else if (c < 0x800) {
            *out += char(0xC0 | (c >> 6)), *out += char(0x80 | (c & 0x3F));
        } else {
            *out += char(0xE0 | (c >> 12)), *out += char(0x80 | ((c >> 6) & 0x3F)),
                *out += char(0x80 | (c & 0x3F));
        }
        i += 5;
    }
    return true;
}

Setter Text(std::string DeviceProfile::*field)
{
    return [field](DeviceProfile& d, const std::string& v) { return ParseText(v, &(d.*field)); };
}

const std::map<std::string, Setter>& DeviceKeys()
{
    static const std::map<std::string, Setter> keys = {
        {"vid", Number(&DeviceProfile::vendorId)},
        {"pid", Number(&DeviceProfile::productId)},
        {"version", Number(&DeviceProfile::version)},
        {"product", Text(&DeviceProfile::product)},
        {"manufacturer", Text(&DeviceProfile::manufacturer)},
        {"serial", Text(&DeviceProfile::serial)},
        {"languages",
         [](DeviceProfile& d, const std::string& v) {
             d.languages.clear();
             for (const std::string& w : Words(v)) {
                 uint64_t n;
                 if (w == "none")
                     continue;
                 if (!ParseNumber("0x" + w, 0xFFFF, &n) || n == 0 || d.languages.size() == 16)
                     return false;
                 d.languages.push_back(static_cast<uint16_t>(n));
             }
             return true;
         }},
        {"input_report_length", Number(&DeviceProfile::inputReportLength)},
        {"read_write", Flag(&DeviceProfile::readWrite)},
        {"openable", Flag(&DeviceProfile::openable)},
        {"identifiable", Flag(&DeviceProfile::identifiable)},
        {"plugged", Flag(&DeviceProfile::plugged)},
        {"plug_after", Number(&DeviceProfile::plugAfterMs)},
        {"bootloader", Flag(&DeviceProfile::bootloader)},
        {"family", Number(&DeviceProfile::family)},
        {"erase_block", Number(&DeviceProfile::eraseBlockSize)},
        {"write_block", Number(&DeviceProfile::writeBlockSize)},
        {"boot_revision", Number(&DeviceProfile::bootRevision)},
        {"boot_start", Number(&DeviceProfile::bootStart)},
        {"flash_size", Number(&DeviceProfile::flashSize)},
        {"app_start", Number(&DeviceProfile::appStart)},
        {"name", Text(&DeviceProfile::mcuName)},
        {"record",
         [](DeviceProfile& d, const std::string& v) {
             std::vector<uint8_t> bytes;
             if (!ParseBytes(v, &bytes) || bytes.size() > 64)
                 return false;
             d.rawRecord = bytes;
             return true;
         }},
        {"initially_erased", Flag(&DeviceProfile::initiallyErased)},
        {"answer_delay", Number(&DeviceProfile::answerDelayMs)},
        {"erase_time", Number(&DeviceProfile::eraseMsPerBlock)},
        {"program_time", Number(&DeviceProfile::programMsPerChunk)},
        {"frame_timing", Flag(&DeviceProfile::frameTiming)},
        {"remove_after", Number(&DeviceProfile::removeAfterReports)},
        {"announce_removal", Flag(&DeviceProfile::announceRemoval)},
        {"refuse_writes_after", Number(&DeviceProfile::refuseWritesAfter)},
        {"misbehave",
         [](DeviceProfile& d, const std::string& v) {
             ScriptedBehaviour b;
             if (!ParseScript(v, &b))
                 return false;
             d.script.push_back(b);
             return true;
         }},
    };
    return keys;
}

} // namespace

bool ParseConfig(std::string_view text, SimulatorConfig* out, std::string* error)
{
    SimulatorConfig config;
    enum { None, Simulator, Device } section = None;
    int lineNumber = 0;
    auto fail = [&](const std::string& why) {
        *error = "line " + std::to_string(lineNumber) + ": " + why;
        return false;
    };
    while (!text.empty()) {
        size_t eol = text.find('\n');
        std::string_view raw = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
        ++lineNumber;
        std::string line = Trim(raw.substr(0, raw.find('#')));
        if (line.empty())
            continue;
        if (line.front() == '[') {
            if (line.back() != ']')
                return fail("unclosed section header");
            std::vector<std::string> w = Words(line.substr(1, line.size() - 2));
            if (w.size() == 1 && w[0] == "simulator") {
                section = Simulator;
            } else if (w.size() == 2 && w[0] == "device") {
                for (const DeviceProfile& d : config.devices) {
                    if (d.id == w[1])
                        return fail("device '" + w[1] + "' defined twice");
                }
                section = Device;
                config.devices.emplace_back().id = w[1];
            } else {
                return fail("unknown section '" + line + "'");
            }
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            return fail("expected key = value");
        std::string key = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
        if (section == Simulator && key == "trace") {
            config.tracePath = value;
        } else if (section == Simulator && key == "flash_dump") {
            config.flashDumpPath = value;
        } else if (section == Device && DeviceKeys().count(key)) {
            if (!DeviceKeys().at(key)(config.devices.back(), value))
                return fail("invalid value for '" + key + "': " + value);
        } else {
            return fail("unknown key '" + key + "'");
        }
    }
    for (const DeviceProfile& d : config.devices) {
        if (d.eraseBlockSize == 0 || d.writeBlockSize == 0)
            return fail("device '" + d.id + "': erase_block and write_block must not be 0");
        // The flash model holds every byte in memory.
        if (d.flashSize > kMaxFlashSize)
            return fail("device '" + d.id + "': flash_size above " + std::to_string(kMaxFlashSize));
    }
    *out = std::move(config);
    return true;
}

} // namespace sim
