// Bringing the engine up and down. The engine's start object runs before the class library's
// (it is linked whole into the program); test programs link the engine without it and call
// StartLibrary and StopLibrary themselves.
#pragma once

#include <cstdint>

namespace qor {

// Keeps the settings of the engine's own module, opens the process's shared thread registry
// (and learns the main thread from it), and, as those settings say, installs every interception
// point, starts the handling thread (and the freeze watchdog with CheckFreeze) and sets the
// memory reserve aside. On the main thread. Never raises.
void StartLibrary();
// Takes everything down again: no thread stays blocked, no import slot or code stays patched,
// the registry is closed and the settings are let go.
void StopLibrary();

// Milliseconds of the performance counter when the library started; 0 before, or when the
// counter is not available.
int64_t LibraryStartTime();

} // namespace qor
