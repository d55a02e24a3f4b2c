#include "toolbar/PageToolBarFitting.h"

namespace toolbar {

namespace {

// A pass bound far above any real number of steps: a safeguard only.
constexpr int kMaxPasses = 10000;

bool Candidate(const IPageToolBar* t)
{
    return t->Eligible() && !t->Compact();
}

// What a pass can change: the widths and the compact states.
struct Shape {
    int widths = 0;
    int compact = 0;
    bool operator==(const Shape& o) const { return widths == o.widths && compact == o.compact; }
};

Shape ShapeOf(const std::vector<IPageToolBar*>& list)
{
    Shape s;
    for (const IPageToolBar* t : list) {
        s.widths += t->Width();
        s.compact += t->Compact() ? 1 : 0;
    }
    return s;
}

} // namespace

int PageToolBarFitting::RightEdge() const
{
    const std::vector<IPageToolBar*> list = collect();
    return list.empty() ? 0 : list.back()->Left() + list.back()->Width();
}

int PageToolBarFitting::FreeWidth() const
{
    return pageWidth - RightEdge() - 2;
}

bool PageToolBarFitting::ShrinkPass(bool arranging)
{
    const std::vector<IPageToolBar*> list = collect();
    if (list.empty())
        return false;
    const int free = FreeWidth();
    if (free > 0)
        return false;
    int need = -free;
    const Shape before = ShapeOf(list);
    IPageToolBar* best = nullptr;
    ToolBarStep chosen;
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        IPageToolBar* t = *it;
        if (!Candidate(t))
            continue;
        const ToolBarStep m = t->MeasureShrink();
        if (m.width <= 0)
            continue;
        // Large-to-label steps first, and among steps of a kind the one freeing least (while
        // arranging, one that frees enough).
        if (!best || (m.width < chosen.width && m.kind == chosen.kind) ||
            (m.kind == 1 && chosen.kind == 0) ||
            (arranging && m.kind == chosen.kind && chosen.width < need)) {
            best = t;
            chosen = m;
        }
    }
    if (best) {
        need -= best->ShrinkStep();
        position();
    }
    if (need <= 0)
        return arranging && !(ShapeOf(list) == before);
    if (!best) {
        for (auto it = list.rbegin(); it != list.rend(); ++it) {
            if (Candidate(*it)) {
                (*it)->SetCompact(true, !arranging);
                position();
                break;
            }
        }
    }
    return !(ShapeOf(list) == before);
}

bool PageToolBarFitting::GrowPass(bool arranging)
{
    const std::vector<IPageToolBar*> list = collect();
    if (list.empty())
        return false;
    const int free = FreeWidth();
    if (free <= 0)
        return false;
    const Shape before = ShapeOf(list);
    for (IPageToolBar* t : list) {
        if (!t->Eligible() || !t->Compact() || !t->MayCompact())
            continue;
        if (free < t->ExpandedWidth() - t->CompactedWidth() + 4)
            return false;
        t->SetCompact(false, false);
        position();
        return !(ShapeOf(list) == before);
    }
    IPageToolBar* best = nullptr;
    ToolBarStep chosen;
    const int n = static_cast<int>(list.size());
    for (int k = 0; k < n; ++k) {
        IPageToolBar* t = list[arranging ? n - 1 - k : k];
        if (!Candidate(t))
            continue;
        const ToolBarStep m = t->MeasureGrow();
        if (m.width <= 0 || (arranging && m.width >= free))
            continue;
        // Glyph-to-label steps first, and among steps of a kind the one needing most.
        if (!best || (m.width > chosen.width && m.kind == chosen.kind) ||
            (m.kind == 1 && chosen.kind == 2)) {
            best = t;
            chosen = m;
        }
    }
    if (!best || chosen.width >= free)
        return false;
    const int taken = best->GrowStep();
    position();
    return free - taken > 0 && !(ShapeOf(list) == before);
}

void PageToolBarFitting::Shrink()
{
    for (int n = 0; n < kMaxPasses && ShrinkPass(false); ++n) {
    }
}

void PageToolBarFitting::Grow()
{
    for (int n = 0; n < kMaxPasses && GrowPass(false); ++n) {
    }
}

void PageToolBarFitting::Arrange()
{
    for (int n = 0; n < kMaxPasses; ++n) {
        const bool changed = FreeWidth() <= 0 ? ShrinkPass(true) : GrowPass(true);
        if (!changed)
            break;
    }
}

} // namespace toolbar
