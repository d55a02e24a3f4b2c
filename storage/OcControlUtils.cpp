#include "OcControlUtils.h"

#include "core/Component.h"

#include <algorithm>

namespace storage {

namespace {

std::string DefaultCompany;

uint32_t Component(uint32_t color, int shift)
{
    return (color >> shift) & 0xFF;
}

} // namespace

int MulDivRounded(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const int64_t product = int64_t{a} * b;
    const int64_t half = (c < 0 ? -int64_t{c} : int64_t{c}) / 2;
    const bool negative = (product < 0) != (c < 0);
    return static_cast<int>((product + (negative ? -half : half)) / c);
}

std::vector<TGradientBand> PlanStepGradient(int start, int extent, uint32_t startColor,
                                            uint8_t stepCount, uint8_t direction, uint32_t endColor)
{
    // Bottom-to-top and right-to-left are the other two with the colours exchanged.
    if (direction == 1 || direction == 3)
        std::swap(startColor, endColor);
    if (stepCount < 2 || startColor == endColor)
        return {{start, start + extent, startColor}};

    const int steps = std::max(2, std::min<int>(stepCount, extent));
    const int band = extent / steps;
    std::vector<TGradientBand> bands;
    if (band >= 1) {
        for (int i = 0; i < steps; ++i) {
            uint32_t color = 0;
            for (int shift : {0, 8, 16}) {
                const int from = static_cast<int>(Component(startColor, shift));
                const int to = static_cast<int>(Component(endColor, shift));
                const int value = from + MulDivRounded(i, to - from, steps - 1);
                color |= (static_cast<uint32_t>(value) & 0xFF) << shift;
            }
            bands.push_back({start + i * band, start + (i + 1) * band, color});
        }
    }
    const int rest = extent % steps;
    if (rest != 0)
        bands.push_back({start + extent - rest, start + extent, endColor});
    return bands;
}

bool RelinkComponent(classlib::TComponent* owner, classlib::TComponent* component,
                     classlib::TComponent*& reference)
{
    if (component == reference || !owner)
        return false;
    if (reference)
        reference->RemoveFreeNotification(owner);
    reference = component;
    if (component)
        component->FreeNotification(owner);
    return true;
}

const std::string& DefaultCompanyName()
{
    return DefaultCompany;
}

void SetDefaultCompanyName(const std::string& name)
{
    DefaultCompany = name;
}

} // namespace storage
