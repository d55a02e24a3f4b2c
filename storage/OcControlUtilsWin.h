#pragma once
// The window side of the control utility routines.
#include <windows.h>

#include <cstdint>

namespace storage {

// Fills `rect` with a stepped two-colour gradient (see PlanStepGradient). Colours are the
// class library's colour values (system colours resolved); nothing is drawn when both are
// clNone, or when the rectangle is empty and the device context maps text units.
void PaintStepGradient(HDC dc, const RECT& rect, uint32_t startColor, uint8_t stepCount,
                       uint8_t direction, uint32_t endColor);

// True when the calling thread's active window is one of its top-level windows.
bool ThreadOwnsActiveWindow();

} // namespace storage
