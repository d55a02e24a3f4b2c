#include "QorExceptionRequest.h"

#include <algorithm>

namespace qor {

void EnterExceptionTime(ExceptionTimeRing& ring, int64_t now)
{
    std::copy_backward(ring.begin(), ring.end() - 1, ring.end());
    ring[0] = now;
}

bool AutoButtonDue(uint32_t setting, const ExceptionTimeRing& ring, int64_t now)
{
    if (setting <= 1)
        return setting == 1;
    // An entry later than now (a clock set back) passes.
    return std::all_of(ring.begin(), ring.end(), [&](int64_t entry) {
        return entry != 0 && now - entry <= static_cast<int64_t>(setting);
    });
}

AutomaticEnd ChooseAutomaticEnd(bool continuable, uint32_t autoRestart, uint32_t autoClose,
                                const ExceptionTimeRing& ring, int64_t now)
{
    if (AutoButtonDue(autoClose, ring, now))
        return AutomaticEnd::Close;
    if (AutoButtonDue(autoRestart, ring, now))
        return AutomaticEnd::Restart;
    return continuable ? AutomaticEnd::Continue : AutomaticEnd::Close;
}

} // namespace qor
