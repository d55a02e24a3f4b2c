#pragma once
// Upload planning: from the loaded images and the device's information, the list of erase and
// write commands an upload sends, with the history lines, progress ranges and timeouts that go
// with them. The window executes a plan step by step against the device; the plan itself is a
// value that tests and fuzzers inspect.
#include "DeviceInfo.h"
#include "ResetVector.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace app {

// Questions asked before anything is erased. Yes cuts the image (the plan is built for Yes);
// No stops the upload as a user abort.
enum class OverflowQuestion { BootloaderArea, ProgramMemory, BootSpace };
std::string_view QuestionText(OverflowQuestion question);

enum class StepKind {
    Phase, // append `history`; with `setsProgress` progress maximum := `progressMax`, position 0
    Erase, // SendErase(address, count); wait for the echo up to `timeoutMs`
    Write, // SendWrite(address, count); then the chunks of `data`, each acknowledged
};

enum class Region { Program, Boot };

struct PlanStep {
    StepKind kind = StepKind::Phase;
    Region region = Region::Program;

    // Phase.
    std::string_view history;
    bool setsProgress = false; // the phase restarts the progress bar at `progressMax` (may be 0)
    std::uint32_t progressMax = 0;
    bool eraseAnimation = false; // the erase animation runs until the next phase
    bool disablesStop = false;   // the upload button stays disabled until a chunk is answered

    // Erase: address of the run's last block (or sector) and the number of blocks (or
    // sectors). Write: address of the run's first byte and its byte count. Device addresses.
    std::uint32_t address = 0;
    std::uint32_t count = 0;
    unsigned timeoutMs = 0;

    // Image addresses covered ([first, end), image units): what an erase clears or a write
    // programs. Program flash and boot flash have separate ranges.
    std::uint64_t first = 0;
    std::uint64_t end = 0;

    // Write: the run's bytes, padded with 0xFF past the image and carrying the saved vector.
    Bytes data;
};

struct Chunk {
    std::uint32_t address; // device address of the chunk's first byte
    std::size_t offset;    // into the step's data
    std::size_t length;
};

struct UploadPlan {
    FamilyCode family = 0;
    BootLayout layout = BootLayout::AtEnd;
    // Non-empty when no safe plan exists for this device and image: the history line to show
    // instead of uploading. Nothing is sent then.
    std::string_view error;
    std::vector<OverflowQuestion> questions;
    std::vector<PlanStep> steps;
    Bytes savedVector;
    std::size_t chunkSize = 0; // bytes per acknowledged message: one erase block

    // Protected ranges in image units: the bootloader in program flash, and the end of the boot
    // flash. Nothing is erased or written there.
    std::uint64_t programFirst = 0; // writable program range [programFirst, programEnd)
    std::uint64_t programEnd = 0;
    std::uint64_t bootFirst = 0;
    std::uint64_t bootEnd = 0;
    // Image range of the block that carries the saved vector (written last in program flash).
    std::uint64_t vectorBlockFirst = 0;
    std::uint64_t vectorBlockEnd = 0;

    bool Ok() const { return error.empty(); }
};

struct UploadInput {
    DeviceInfo device;
    Bytes program; // ProgramImage as loaded
    Bytes boot;    // BootImage (PIC32)
};

UploadPlan PlanUpload(const UploadInput& input);

// The acknowledged messages of a write step: one erase block each, the last one shorter.
std::vector<Chunk> ChunksOf(const UploadPlan& plan, const PlanStep& step);

// The window's side of running a plan. Waits return 0 (answered), 1 (the device went away) or
// 2 (timeout), as the protocol's answer wait does.
class UploadTarget {
public:
    virtual ~UploadTarget() = default;
    // Appends the phase's history line and sets the progress range (a maximum of 0 leaves the
    // bar as it is); a running erase animation stops first and the bar shows full. Starts the
    // erase animation or disables the upload button as the phase says.
    virtual void BeginPhase(const PlanStep& phase) = 0;
    // SendErase(address, count) and the wait for its echo.
    virtual int Erase(std::uint32_t address, std::uint32_t count, unsigned timeoutMs) = 0;
    // SendWrite(address, count): the run's chunks follow.
    virtual void BeginWrite(std::uint32_t address, std::uint32_t count) = 0;
    // One chunk: progress by its bytes, sent as one message, its echo awaited; an answered chunk
    // enables the upload button again.
    virtual int WriteChunk(std::uint32_t address, std::span<const std::uint8_t> bytes) = 0;
    // The stop request (the upload button's second click), looked at after every erase command
    // and every write run, and once more at the end.
    virtual bool StopRequested() = 0;
};

struct UploadOutcome {
    enum Kind { Done, Stopped, Failed } kind = Done;
    int waitResult = 0; // Failed: the wait's result, for its history line
};

// Runs the plan's steps in order. A refused plan must not be run (it has no steps).
UploadOutcome ExecutePlan(const UploadPlan& plan, UploadTarget& target);

// The history line that refuses "Begin uploading", checked in this order: not connected, no
// file loaded, a file loaded for another family; empty when the upload may start.
std::string_view UploadPreconditionError(bool connected, bool loaded, FamilyCode device,
                                         FamilyCode loadedFor);

// Next position of the progress bar's erase animation (one tick a second): steps of a tenth of
// the maximum (at least 1), starting over at one step once the maximum is reached.
std::uint32_t NextEraseAnimationPosition(std::uint32_t position, std::uint32_t maximum);

// Device address of an image address: PIC24 images hold three bytes per two address units.
std::uint32_t DeviceAddress(FamilyCode family, std::uint64_t imageAddress);

} // namespace app
