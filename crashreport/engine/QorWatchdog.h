// The freeze watchdog: pings a hidden window of the main thread every FreezeTimeout / 10 ms and
// reports a frozen application (kind 1, origin 1) after ten unanswered pings in a row.
#pragma once

#include <cstdint>

namespace qor {

// On the main thread. Nothing when a watchdog of this engine already runs. A time-out under
// 1000 ms counts as 1000 ms. Only one watchdog of the process pings at a time: it holds the
// first mutex of the shared thread registry (open before it starts), the others wait for it.
void StartFreezeWatchdog(uint32_t freezeTimeout);
void StopFreezeWatchdog();
// Pauses nest; while paused no ping is sent and no freeze is counted.
void HoldFreezeCheck(bool pause);
void ResetFreezeMisses();
// The watchdog's thread, 0 when none runs (reports leave it out).
uint32_t FreezeWatchdogThreadId();

} // namespace qor
