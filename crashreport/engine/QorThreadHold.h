// Holding the program's threads while a report is built: a thread stops at a safe point, when
// it fetches a window message (the message functions are hooked) or, for the main thread, when
// it receives the engine's dispatch message. The engine never suspends a thread from outside.
#pragma once

#include <cstdint>

namespace qor {

// Starts (hold) or ends a hold. Held are the main thread and the threads created by code of a
// module that carries the engine's debug information, except the calling and spared threads.
void HoldThreads(bool hold, uint32_t sparedThreadId);
// The hold point; keeps the calling thread's last system error code.
void PauseIfHeld();
// Lets a held main thread go (true when it was held), and holds it again.
bool UnblockMainThread();
void BlockMainThread();
bool IsEngineThread(uint32_t threadId);
// Called by the engine's shut-down: releases every held thread and forgets the hold state.
void EndThreadHold();

} // namespace qor
