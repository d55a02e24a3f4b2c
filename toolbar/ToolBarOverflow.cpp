// Hiding the least recently used controls of a docked toolbar that is too short, and giving
// them back when room comes.
#include "toolbar/ToolBarOverflow.h"

#include <algorithm>

namespace toolbar {

ToolBarOverflow::ToolBarOverflow(std::vector<OverflowControl> controls)
    : controls_(std::move(controls))
{
    for (int i = 0; i < static_cast<int>(controls_.size()); ++i)
        savedOrder_.push_back(i);
}

bool ToolBarOverflow::IsHidden(int index) const
{
    return std::find(hidden_.begin(), hidden_.end(), index) != hidden_.end();
}

void ToolBarOverflow::Unhide(int index)
{
    hidden_.erase(std::remove(hidden_.begin(), hidden_.end(), index), hidden_.end());
}

int ToolBarOverflow::End(int start) const
{
    int end = start;
    for (int i = 0; i < static_cast<int>(controls_.size()); ++i)
        if (Shown(i))
            end += controls_[std::size_t(i)].length;
    return end;
}

int ToolBarOverflow::GroupSeparatorWhenEmpty(int index, bool comingBack) const
{
    const int n = static_cast<int>(controls_.size());
    // Scans from `index` in steps of `step` to the group's separator; false when a shown
    // control of the group was met. Going out, hidden separators are passed over (they closed
    // an emptied group); coming back, any separator ends the group.
    auto scan = [&](int step, int& separator) {
        separator = -1;
        for (int i = index + step; i >= 0 && i < n; i += step) {
            if (controls_[std::size_t(i)].separator) {
                if (!comingBack && IsHidden(i))
                    continue;
                separator = i;
                return true;
            }
            if (Shown(i))
                return false;
        }
        return true;
    };
    int leading = -1, trailing = -1;
    if (!scan(-1, leading) || !scan(+1, trailing))
        return -1;
    if (!comingBack)
        return leading >= 0 ? leading : trailing;
    if (leading >= 0 && IsHidden(leading))
        return leading;
    return trailing >= 0 && IsHidden(trailing) ? trailing : -1;
}

void ToolBarOverflow::Update(int length, int start, int rightHandle, int available)
{
    const int n = static_cast<int>(controls_.size());
    // Tidy: the last shown control after a hidden separator goes with it.
    for (int i = n - 1; i >= 0; --i) {
        if (!Shown(i) || controls_[std::size_t(i)].separator)
            continue;
        for (int j = i - 1; j >= 0; --j) {
            if (controls_[std::size_t(j)].separator) {
                if (IsHidden(j))
                    hidden_.push_back(i);
                break;
            }
        }
        break;
    }
    int last = -1;
    for (int i = n - 1; i >= 0 && last < 0; --i)
        if (Shown(i))
            last = i;
    if (last < 0) {
        // Nothing shows: hidden controls come back, most recently hidden first, while they fit.
        int free = available;
        while (!hidden_.empty() && controls_[std::size_t(hidden_.back())].length <= free) {
            free -= controls_[std::size_t(hidden_.back())].length;
            hidden_.pop_back();
        }
        return;
    }
    const int end = End(start);
    if (end >= length - rightHandle) {
        int excess = end + rightHandle - length;
        while (excess > 0) {
            int victim = -1;
            for (auto it = savedOrder_.rbegin(); it != savedOrder_.rend(); ++it) {
                const OverflowControl& c = controls_[std::size_t(*it)];
                if (!IsHidden(*it) && !c.separator && c.visible) {
                    victim = *it;
                    break;
                }
            }
            if (victim < 0)
                break;
            hidden_.push_back(victim);
            excess -= controls_[std::size_t(victim)].length;
            const int separator = GroupSeparatorWhenEmpty(victim, false);
            if (separator >= 0) {
                hidden_.push_back(separator);
                excess -= controls_[std::size_t(separator)].length;
            }
        }
        return;
    }
    int free = length - rightHandle - end;
    while (free > 0) {
        int candidate = -1;
        for (auto it = hidden_.rbegin(); it != hidden_.rend(); ++it) {
            if (!controls_[std::size_t(*it)].separator) {
                candidate = *it;
                break;
            }
        }
        if (candidate < 0)
            break;
        const int len = controls_[std::size_t(candidate)].length;
        if (len > free)
            break;
        const int separator = GroupSeparatorWhenEmpty(candidate, true);
        if (separator < 0) {
            Unhide(candidate);
            free -= len;
            continue;
        }
        const int both = len + controls_[std::size_t(separator)].length;
        if (both > free)
            break;
        Unhide(candidate);
        Unhide(separator);
        free -= both;
    }
}

void ToolBarOverflow::Clicked(int index, bool adaptiveOrder, int length, int start, int rightHandle,
                              int available)
{
    if (index < 0 || index >= static_cast<int>(controls_.size()))
        return;
    if (adaptiveOrder) {
        savedOrder_.erase(std::remove(savedOrder_.begin(), savedOrder_.end(), index),
                          savedOrder_.end());
        savedOrder_.insert(savedOrder_.begin(), index);
        if (IsHidden(index)) {
            if (!controls_[std::size_t(index)].separator) {
                const int separator = GroupSeparatorWhenEmpty(index, true);
                if (separator >= 0)
                    Unhide(separator);
            }
            Unhide(index);
        }
    }
    Update(length, start, rightHandle, available);
}

} // namespace toolbar
