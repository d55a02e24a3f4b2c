// What an interception point hands to the exception-handling thread, and the time ring that
// decides the automatic restart and close buttons. Portable: no system calls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qor {

// Exception kinds.
enum : uint8_t { kindException = 0, kindFrozen = 1, kindHidden = 2 };

// One request, written into the handling thread's pipe in a single write. The fields keep
// the order of the 56-byte record of the 32-bit program; every slot is as wide as an address
// (4 bytes there, 8 bytes in the 64-bit build), so that handles and addresses fit in both.
// Byte-sized values use the low byte of their slot. An all-zero request is the stop request.
struct ExceptionRequest {
    uintptr_t event = 0;          // manual-reset event set when done; 0 for stop and in place
    uintptr_t callerThreadId = 0; // thread that called ProcessException
    uintptr_t kind = 0;
    uintptr_t exceptObject = 0;
    uintptr_t exceptAddress = 0;
    uintptr_t continuable = 0;
    uintptr_t stackPointer = 0;
    uintptr_t framePointer = 0;
    uintptr_t context = 0;   // address of a saved CPU context, 0 when none
    uintptr_t reportOut = 0; // address of a text that receives the report, 0 when none
    uintptr_t origin = 0;    // origin code of the interception point
    uintptr_t relatedObject = 0;
    uintptr_t packageHandle = 0;
    uintptr_t preparedStack = 0;

    bool IsStopRequest() const { return event == 0; }
};
static_assert(sizeof(ExceptionRequest) == 14 * sizeof(uintptr_t), "one slot per field");
static_assert(sizeof(uintptr_t) != 4 || sizeof(ExceptionRequest) == 56, "the 32-bit record");

// Times of the ten most recent exceptions of kind 0 or 1, seconds since 1601-01-01 UTC,
// newest first; handed over to the next instance on a restart.
using ExceptionTimeRing = std::array<int64_t, 10>;

// Shifts the ring by one (the oldest time falls out) and puts `now` in front.
void EnterExceptionTime(ExceptionTimeRing& ring, int64_t now);

// The automatic-button rule for the value of AutoRestart or AutoClose: 0 never, 1 always;
// N >= 2 only when all ten entries are set and none is more than N seconds before `now`.
bool AutoButtonDue(uint32_t setting, const ExceptionTimeRing& ring, int64_t now);

// What the handling thread does after an exception that reaches the automatic buttons.
enum class AutomaticEnd { Continue, Restart, Close };
AutomaticEnd ChooseAutomaticEnd(bool continuable, uint32_t autoRestart, uint32_t autoClose,
                                const ExceptionTimeRing& ring, int64_t now);

// The hand-over block of a restart: the old process's id, the mapping handle duplicated into
// the new process, and the time ring. The 32-bit program's block is 88 bytes; the handle slot
// is as wide as a handle.
struct RestartHandOver {
    uint32_t oldProcessId = 0;
    uintptr_t mappingHandle = 0;
    ExceptionTimeRing ring{};
};

} // namespace qor
