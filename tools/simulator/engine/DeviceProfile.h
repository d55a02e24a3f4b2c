// Description of one simulated bootloader device: what it tells the host (USB identity and
// strings, information record), how its flash is laid out, and how it misbehaves when a test
// asks it to.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// Points of the protocol at which scripted behaviour applies.
enum class Stage : uint8_t { Claim, Handshake, Query, Restart, Write, Erase, Chunk };

enum class Misbehaviour : uint8_t {
    Delay,     // answer later by `delayMs` (beyond the host's timeout: a late answer)
    Silent,    // no answer
    WrongEcho, // the echo carries another command code
    Garbage,   // bytes that are no answer at all
    Duplicate, // the answer twice
    Split,     // the answer's bytes spread over two reports
    Remove,    // the device disappears instead of answering
};

struct ScriptedBehaviour {
    Misbehaviour what;
    Stage stage;
    uint32_t occurrence = 0; // 1-based occurrence of the stage it applies to; 0 = every one
    uint32_t delayMs = 0;    // Delay only
};

struct DeviceProfile {
    std::string id; // name in the configuration; also part of the device path

    // USB identity.
    uint16_t vendorId = 0x04D8;
    uint16_t productId = 0x003C;
    uint16_t version = 0x0100;
    std::string product = "USB HID Bootloader";
    std::string manufacturer = "Brenvik Simulated Devices";
    std::string serial; // empty: the device has no serial-number string (strings are UTF-8)
    std::vector<uint16_t> languages{0x0409}; // string descriptor 0; empty: an empty table
    bool openable = true;                    // false: CreateFile on its path fails
    uint16_t inputReportLength = 65; // as the report descriptor announces it (0: no input reports)
    bool readWrite = true;           // false: the path opens for queries only (access 0)
    bool identifiable = true;        // false: HidD_GetAttributes fails
    bool plugged = true;             // present when the simulator starts
    uint32_t plugAfterMs = 0; // not plugged at start: plugged (and announced) that long after

    // Bootloader.
    bool bootloader = true; // false: reports are taken but never answered
    uint8_t family = 2;
    uint16_t eraseBlockSize = 64;
    uint16_t writeBlockSize = 32;
    uint16_t bootRevision = 0x0100; // bit 0 set: bootloader at the start of flash
    uint32_t bootStart = 0x7C00;
    uint32_t flashSize = 0x8000;
    uint32_t appStart = 0;
    std::string mcuName = "PIC18F4550";
    std::optional<std::vector<uint8_t>> rawRecord; // replaces the encoded information record
    bool initiallyErased = false; // false: the application area holds an earlier program

    // Timing.
    uint32_t answerDelayMs = 0;
    uint32_t eraseMsPerBlock = 0;   // per erase block or sector
    uint32_t programMsPerChunk = 0; // per acknowledged chunk
    bool frameTiming = false;       // one report per 1 ms frame and direction

    // Scripted behaviour.
    std::vector<ScriptedBehaviour> script;
    uint32_t removeAfterReports = 0; // 0: never; else the device goes after that many reports
    bool announceRemoval = true;     // removals and arrivals post WM_DEVICECHANGE
    uint32_t refuseWritesAfter = 0;  // 0: never; else writes fail after that many reports

    bool BootAtStart() const { return (bootRevision & 1) != 0; }
};

const char* StageName(Stage stage);
std::optional<Stage> StageFromName(const std::string& name);

} // namespace sim
