// Ending the application at once, or replacing it by a fresh instance with the same command
// line that receives the exception times through a named shared-memory block.
#pragma once

namespace qor {

// Ends the process with exit code 1; no shut-down code of the program runs.
[[noreturn]] void CloseProcessNow();
// Starts a new instance (suspended until the hand-over block is ready) and ends this one with
// exit code 2, also when the new instance could not be created.
[[noreturn]] void RestartProcess();
// In a new instance: waits for the old one to end and takes over its exception times.
void TakeOverRestart();

} // namespace qor
