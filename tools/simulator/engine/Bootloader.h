// The protocol engine of one simulated bootloader: takes the payload of each output report the
// host writes (report ID removed) and says what the device answers, when, and whether it goes
// away. Frames: 0x0F, command, [address 32-bit LE, count 16-bit LE]; commands 3 claim,
// 1 handshake, 2 query, 4 restart, 11 write run, 21 erase run. The data of a write run follow the
// write command as chunks of at most one erase block, each acknowledged with 0x0F, 11.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "DeviceProfile.h"
#include "Family.h"
#include "FlashModel.h"

namespace sim {

constexpr uint8_t kFrameMarker = 0x0F;
constexpr uint8_t kCmdHandshake = 1;
constexpr uint8_t kCmdQuery = 2;
constexpr uint8_t kCmdClaim = 3;
constexpr uint8_t kCmdRestart = 4;
constexpr uint8_t kCmdWrite = 11;
constexpr uint8_t kCmdErase = 21;

using Payload = std::array<uint8_t, 64>;

struct Answer {
    Payload payload{};
    uint32_t delayMs = 0; // processing time before the answer is ready
};

struct Reaction {
    std::vector<Answer> answers;
    std::string note;     // what the report meant, for the trace
    bool remove = false;  // the device disappears now (scripted removal)
    bool restart = false; // the device leaves the bootloader (detaches)
};

class Bootloader {
public:
    explicit Bootloader(const DeviceProfile& profile);

    Reaction Receive(const uint8_t* payload, size_t size);

    const DeviceProfile& Profile() const { return profile_; }
    const FlashModel& Flash() const { return flash_; }
    const std::vector<Violation>& Violations() const { return violations_; }
    void AddViolation(ViolationKind kind, std::string detail);

    // Reads flash by device address; false when the range is not flash of this device.
    bool Read(uint32_t address, uint8_t* out, uint32_t length) const;
    bool InWriteRun() const { return run_.active; }
    uint32_t ReportsReceived() const { return reports_; }

private:
    struct Location {
        bool valid = false;
        int region = 0;
        uint32_t offset = 0;
    };
    struct WriteRun {
        bool active = false;
        Location start;
        uint32_t total = 0;     // bytes announced
        uint32_t remaining = 0; // bytes still expected
        uint32_t chunkSize = 0; // bytes of the chunk being received
        uint32_t chunkFilled = 0;
        uint32_t next = 0;      // offset of the next byte in the region
        bool skipBytes = false; // the run was refused (outside flash or bootloader area)
        uint32_t notErased = 0; // bytes of the current chunk that hit programmed flash
        uint32_t firstNotErased = 0;
    };

    Location Translate(uint32_t address) const;
    uint32_t ProgramOffset(uint32_t address) const;
    void BuildFlash();
    void Command(const uint8_t* bytes, size_t size, Reaction& r);
    void Erase(uint32_t address, uint32_t count, Reaction& r);
    void StartWrite(uint32_t address, uint32_t count, Reaction& r);
    void Data(const uint8_t* bytes, size_t size, Reaction& r);
    void Respond(Stage stage, const std::vector<uint8_t>& bytes, uint32_t delayMs, Reaction& r);
    std::string Where(const Location& at, uint32_t length) const;

    DeviceProfile profile_;
    Family family_;
    FlashModel flash_;
    std::vector<Violation> violations_;
    WriteRun run_;
    uint32_t reports_ = 0;
    uint32_t stageCount_[7] = {};
    uint32_t garbageSeed_ = 0x1234567;
};

} // namespace sim
