#pragma once
// The window side of the control utility routines: the stepped gradient on a canvas, the
// active-window test, selective font copying, image-list relinking and the extra drag
// cursors registered at start-up.
#include "windows/Graphics.h"

#include <cstdint>

namespace classlib {
class TChangeLink;
class TComponent;
class TCustomImageList;
} // namespace classlib

namespace storage {

// Fills `rect` with a stepped two-colour gradient (see PlanStepGradient), the canvas locked
// meanwhile. Nothing is drawn when both colours are clNone, or when the rectangle is empty
// and the device context maps text units.
void PaintStepGradient(classlib::TCanvas& canvas, const RECT& rect, classlib::TColor startColor,
                       uint8_t stepCount, uint8_t direction, classlib::TColor endColor);

// True when the calling thread's active window is one of its top-level windows.
bool ThreadOwnsActiveWindow();

// Bits of AssignFontParts' options: bit 0 enables copying; each further bit keeps one
// attribute of the target.
enum TFontPartOption : uint8_t {
    fpoEnabled = 0x01,
    fpoKeepCharset = 0x02,
    fpoKeepColor = 0x04,
    fpoKeepHeight = 0x08,
    fpoKeepName = 0x10,
    fpoKeepPitch = 0x20,
    fpoKeepStyle = 0x40,
};
void AssignFontParts(classlib::TFont& target, const classlib::TFont& source, uint8_t options);

// As RelinkComponent, and moves `changeLink` from the old image list to the new one.
bool RelinkImageList(classlib::TComponent* owner, classlib::TCustomImageList* imageList,
                     classlib::TCustomImageList*& reference, classlib::TChangeLink* changeLink);

// Module start-up: the cursor numbers 368 to 371 stand for the multiple-item drag and drag
// cursors (when the screen object exists; failures are ignored).
void RegisterExtraDragCursors();

} // namespace storage
