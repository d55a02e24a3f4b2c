#pragma once
// Which controls of a docked toolbar are hidden for want of room, over lengths only. The
// controls are in layout order; a priority order (most recently used first) decides which go
// first, and separators follow their groups: a group that shows nothing hides its leading
// separator (the trailing one for the first group), and a hidden control comes back with its
// separator only when both fit. The toolbar copies the result onto its controls.
#include <cstddef>
#include <vector>

namespace toolbar {

struct OverflowControl {
    int length = 0; // along the toolbar
    bool separator = false;
    bool visible = true;
};

class ToolBarOverflow {
public:
    // The controls in layout order; the priority order starts as the layout order.
    explicit ToolBarOverflow(std::vector<OverflowControl> controls);

    const std::vector<OverflowControl>& Controls() const { return controls_; }
    void SetVisible(int index, bool visible) { controls_.at(std::size_t(index)).visible = visible; }
    void SetLength(int index, int length) { controls_.at(std::size_t(index)).length = length; }
    // Indexes, the most recently used first.
    const std::vector<int>& SavedOrder() const { return savedOrder_; }
    // Indexes in the order they were hidden.
    const std::vector<int>& Hidden() const { return hidden_; }
    bool IsHidden(int index) const;

    // Decides the hidden controls for a toolbar of `length` whose controls start at `start`
    // and end `rightHandle` before its end; `available` is the room for controls when none
    // shows. The shown controls lie end to end from `start`.
    void Update(int length, int start, int rightHandle, int available);
    // A control was used: with an adaptive order it moves to the front and, when hidden,
    // comes back (with its group's hidden separator); then the hidden set is decided again.
    void Clicked(int index, bool adaptiveOrder, int length, int start, int rightHandle,
                 int available);
    // Every hidden control comes back.
    void RestoreAll() { hidden_.clear(); }

private:
    bool Shown(int i) const { return !IsHidden(i) && controls_[std::size_t(i)].visible; }
    void Unhide(int index);
    // When the group of `index` shows nothing: the separator that goes (or comes back) with
    // it; -1 when the group still shows something or has no such separator.
    int GroupSeparatorWhenEmpty(int index, bool comingBack) const;
    int End(int start) const;

    std::vector<OverflowControl> controls_;
    std::vector<int> savedOrder_;
    std::vector<int> hidden_;
};

} // namespace toolbar
