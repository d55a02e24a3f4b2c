// The freeze watchdog: pings a hidden window of the main thread every FreezeTimeout / 10 ms and
// reports a frozen application (kind 1, origin 1) after ten unanswered pings in a row.
#pragma once

#include <cstdint>

namespace qor {

// On the main thread. Nothing when a watchdog of this engine already runs.
void StartFreezeWatchdog(uint32_t freezeTimeout);
void StopFreezeWatchdog();
// Pauses nest; while paused no ping is sent and no freeze is counted.
void HoldFreezeCheck(bool pause);
void ResetFreezeMisses();
// The watchdog's thread, 0 when none runs (reports leave it out).
uint32_t FreezeWatchdogThreadId();

} // namespace qor
