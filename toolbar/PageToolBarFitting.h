// How a ribbon page makes its toolbars fit its width (portable): narrowing takes one size step at
// a time from the toolbars (large buttons to labels before labels to glyphs, each time the step
// that frees least), and compacts the rightmost toolbar into a drop-down button only when no
// button can shrink any more; widening undoes steps, glyphs to labels first, and leaves compact
// mode only when the expanded toolbar fits with 4 px to spare.
//
// Every pass that changes nothing ends the fitting: a toolbar that refuses to compact, or a step
// that frees no pixel, cannot make the page try again forever.
#pragma once

#include <functional>
#include <vector>

namespace toolbar {

// A size step a toolbar could take: the width it frees (shrinking) or needs (growing), and its
// kind. Shrink kinds: 1 up to three large buttons become labels, 0 a column of labels becomes
// glyphs. Grow kinds: 1 a column of glyphs becomes labels, 2 up to three labels become large.
// A width of 0 means no step.
struct ToolBarStep {
    int width = 0;
    int kind = 0;
};

// What the page needs of a toolbar on it.
class IPageToolBar {
public:
    virtual int Left() const = 0;
    virtual int Width() const = 0;
    // Visible (or any at design time) and through loading.
    virtual bool Eligible() const = 0;
    virtual bool Compact() const = 0;
    virtual bool MayCompact() const = 0;
    virtual int ExpandedWidth() const = 0;
    virtual int CompactedWidth() const = 0;
    virtual ToolBarStep MeasureShrink() const = 0;
    virtual ToolBarStep MeasureGrow() const = 0;
    // Applied steps answer the width freed or taken.
    virtual int ShrinkStep() = 0;
    virtual int GrowStep() = 0;
    // Compacting for lack of steps also marks the toolbar as shrunk.
    virtual void SetCompact(bool value, bool markShrunk) = 0;

protected:
    ~IPageToolBar() = default;
};

class PageToolBarFitting {
public:
    // The toolbars in ascending Left, read again for every pass.
    std::function<std::vector<IPageToolBar*>()> collect;
    // Places the toolbars after a step changed a width.
    std::function<void()> position;
    int pageWidth = 0;

    // Page width minus the right edge of the last toolbar minus 2.
    int FreeWidth() const;
    void Shrink();
    void Grow();
    // The fitting after loading: both directions, steps chosen to satisfy the need at once.
    void Arrange();

private:
    int RightEdge() const;
    bool ShrinkPass(bool arranging);
    bool GrowPass(bool fromLast);
};

} // namespace toolbar
