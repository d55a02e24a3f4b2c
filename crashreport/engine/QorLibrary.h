// Bringing the engine up and down. The engine's start object runs before the class library's
// (it is linked whole into the program); test programs link the engine without it and call
// StartLibrary and StopLibrary themselves.
#pragma once

namespace qor {

// Installs every interception point, starts the handling thread (and the freeze watchdog with
// CheckFreeze) and sets the memory reserve aside, as the engine's settings say. On the main
// thread. Never raises.
void StartLibrary();
// Takes everything down again: no thread stays blocked, no import slot or code stays patched.
void StopLibrary();

} // namespace qor
