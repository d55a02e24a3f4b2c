// The loader-lock test of the exception path (Windows): the engine's pipeline handles a report
// in place while the lock is held, and the crash-report dialogs and the delivery
// (crashreport/ui) start no thread, dialog or mail client then.
#pragma once

namespace qor {

// Whether the loader lock or the process-environment lock is held by any thread, polled every
// 10 ms for up to `milliseconds` (0: tested once). Starting a thread, showing a dialog or
// loading a library while it is held could deadlock.
bool LoaderLockHeld(unsigned milliseconds);

} // namespace qor
