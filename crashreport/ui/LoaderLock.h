#pragma once
// Whether the process loader lock is held. Starting a thread, showing a dialog or calling the
// mail client while it is held could deadlock, so the bug-report file's save dialog, the
// background send, printing and the MAPI and "mailto" channels ask first. The one
// implementation of the crash-report dialogs and the delivery.
#include <cstdint>

namespace crashui {

// Polled every 10 ms for up to `milliseconds`; true when it is still held then.
bool LoaderLockHeld(uint32_t milliseconds);

} // namespace crashui
