#pragma once
// Routines the controls and the storage components share: the band plan of the stepped
// two-colour gradient, reference replacement with free-notification bookkeeping, and the
// module-wide default company name the placeholder translation falls back on.
#include <cstdint>
#include <string>
#include <vector>

namespace classlib {
class TComponent;
}

namespace storage {

// One band of a stepped gradient along its direction: pixels [from, to) across the whole
// other extent, in one RGB colour (0x00BBGGRR).
struct TGradientBand {
    int from;
    int to;
    uint32_t color;
};

// Directions: 0 top to bottom, 1 bottom to top, 2 left to right, 3 right to left; `start`
// and `extent` are measured along the direction (top and height, or left and width).
// Colours are RGB values already resolved from system colours.
std::vector<TGradientBand> PlanStepGradient(int start, int extent, uint32_t startColor,
                                            uint8_t stepCount, uint8_t direction,
                                            uint32_t endColor);

// Windows' MulDiv: a * b / c rounded to the nearest integer.
int MulDivRounded(int a, int b, int c);

// Replaces `reference` with `component` and moves the removal notification to it. False,
// and nothing changes, when `component` is already the reference or `owner` is null.
bool RelinkComponent(classlib::TComponent* owner, classlib::TComponent* component,
                     classlib::TComponent*& reference);

// Empty unless the application assigns it.
const std::string& DefaultCompanyName();
void SetDefaultCompanyName(const std::string& name);

} // namespace storage
