#pragma once
// What a device's flash must hold after an upload: its contents before the upload, with every
// erase of the plan applied (0xFF) and every write's bytes put in place. Tests of whole uploads
// compare this with the flash the simulated device reports.
#include "UploadPlan.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace plantest {

// A flash region by image address: bytes[0] is at image address `first`.
struct FlashContents {
    std::uint64_t first = 0;
    app::Bytes bytes;

    std::uint64_t End() const { return first + bytes.size(); }
};

// Applies the plan's erases and writes of `region`; false when one of them reaches outside the
// contents (a plan that touches flash the device does not have).
inline bool ApplyPlan(const app::UploadPlan& plan, app::Region region, FlashContents& flash)
{
    for (const app::PlanStep& s : plan.steps) {
        if (s.kind == app::StepKind::Phase || s.region != region)
            continue;
        if (s.first < flash.first || s.end > flash.End())
            return false;
        const auto at = flash.bytes.begin() + static_cast<std::ptrdiff_t>(s.first - flash.first);
        if (s.kind == app::StepKind::Erase)
            std::fill(at, at + static_cast<std::ptrdiff_t>(s.end - s.first), std::uint8_t{0xFF});
        else
            std::copy(s.data.begin(), s.data.end(), at);
    }
    return true;
}

// Index of the first byte where two contents of the same length differ, or -1.
inline long long FirstDifference(const app::Bytes& got, const app::Bytes& want)
{
    if (got.size() != want.size())
        return static_cast<long long>(std::min(got.size(), want.size()));
    const auto m = std::mismatch(got.begin(), got.end(), want.begin());
    return m.first == got.end() ? -1 : static_cast<long long>(m.first - got.begin());
}

} // namespace plantest
