#include "DockRowLayout.h"

#include "core/Exceptions.h"

#include <algorithm>
#include <limits>

namespace toolbar {

using classlib::Exception;

int DockRowLayout::AddToolBarRecord(const RowToolBar& bar)
{
    bars_.push_back(bar);
    bars_.back().row = -1;
    return static_cast<int>(bars_.size()) - 1;
}

int DockRowLayout::Growable(int id) const
{
    const RowToolBar& b = Bar(id);
    if (b.maxLength <= 0)
        return 0; // no maximum: the toolbar does not take free space on its own
    return std::max(0, b.maxLength - b.length);
}

int DockRowLayout::Shrinkable(int id) const
{
    return std::max(0, Bar(id).length - std::max(0, Bar(id).minLength));
}

int DockRowLayout::IndexIn(int row, int id) const
{
    const std::vector<int>& list = rows_[static_cast<size_t>(row)].toolBars;
    auto it = std::find(list.begin(), list.end(), id);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void DockRowLayout::Shift(int row, int from, int to, int delta)
{
    for (int k = from; k <= to; ++k)
        Bar(At(row, k)).along += delta;
}

void DockRowLayout::ResetRowIndexes()
{
    for (RowToolBar& b : bars_)
        b.row = -1;
    for (int r = 0; r < RowCount(); ++r)
        for (int id : rows_[static_cast<size_t>(r)].toolBars)
            Bar(id).row = r;
}

int DockRowLayout::AddRow()
{
    rows_.emplace_back();
    UpdateRows();
    return RowCount() - 1;
}

void DockRowLayout::InsertRow(int index)
{
    index = std::clamp(index, 0, RowCount());
    rows_.insert(rows_.begin() + index, DockRow{});
    ResetRowIndexes();
    UpdateRows();
}

void DockRowLayout::DeleteRow(int index)
{
    if (index < 0 || index >= RowCount())
        return;
    rows_.erase(rows_.begin() + index);
    ResetRowIndexes();
}

void DockRowLayout::ClearRows()
{
    rows_.clear();
    ResetRowIndexes();
}

int DockRowLayout::RowOf(int id) const
{
    for (int r = 0; r < RowCount(); ++r)
        if (IndexIn(r, id) >= 0)
            return r;
    return -1;
}

bool DockRowLayout::Accepts(int row, int id) const
{
    if (Size(row) == 0)
        return true;
    if (Bar(At(row, 0)).menuBar)
        return false;
    return !Bar(id).menuBar;
}

void DockRowLayout::FillWithMenuBar(int row, int id)
{
    const DockRow& r = rows_[static_cast<size_t>(row)];
    const int w = std::max(0, r.alongEnd - r.alongStart - 2 * kToolBarGap);
    RowToolBar& b = Bar(id);
    b.minLength = w;
    b.maxLength = w;
    b.length = w;
    b.along = r.alongStart + kToolBarGap;
}

int DockRowLayout::AddToolBar(int row, int id)
{
    if (IndexIn(row, id) >= 0 || !Accepts(row, id))
        return -1;
    DockRow& r = rows_[static_cast<size_t>(row)];
    r.toolBars.push_back(id);
    const int index = Size(row) - 1;
    RowToolBar& b = Bar(id);
    if (b.menuBar) {
        FillWithMenuBar(row, id);
    } else if (!vertical_) {
        b.along = (index == 0 ? r.alongStart : End(At(row, index - 1))) + kToolBarGap;
    } else {
        b.along = index == 0 ? r.alongEnd - kToolBarGap - b.length
                             : End(At(row, index - 1)) + kToolBarGap;
    }
    b.row = row;
    UpdateRows();
    return index;
}

void DockRowLayout::AppendToRow(int row, int id)
{
    if (IndexIn(row, id) >= 0)
        return;
    rows_[static_cast<size_t>(row)].toolBars.push_back(id);
    Bar(id).row = row;
}

void DockRowLayout::RemoveFromRow(int row, int id, bool deleteEmpty)
{
    const int index = IndexIn(row, id);
    if (index < 0)
        return;
    std::vector<int>& list = rows_[static_cast<size_t>(row)].toolBars;
    list.erase(list.begin() + index);
    Bar(id).row = -1;
    ArrangeRow(row);
    if (deleteEmpty)
        DeleteIfEmpty(row);
}

void DockRowLayout::MoveToRow(int id, int index)
{
    if (index < 0 || index >= RowCount())
        throw Exception("Invalid Row Index");
    const int old = RowOf(id);
    if (old == index || !Accepts(index, id))
        return;
    if (old >= 0)
        RemoveFromRow(old, id, false);
    AddToolBar(index, id);
    if (old >= 0)
        DeleteIfEmpty(old);
}

void DockRowLayout::DeleteIfEmpty(int row)
{
    if (row < 0 || row >= RowCount() || Size(row) != 0 || !rowsMayChange)
        return;
    DeleteRow(row);
    UpdateRows();
}

int DockRowLayout::Thickness(int row) const
{
    int t = kMinRowThickness;
    for (int id : rows_[static_cast<size_t>(row)].toolBars)
        t = std::max(t, Bar(id).thickness);
    return t;
}

int DockRowLayout::Gap(int row, int a, int b) const
{
    const DockRow& r = rows_[static_cast<size_t>(row)];
    if (a < 0 && b < 0)
        return 0;
    if (a < 0)
        return Bar(At(row, b)).along - r.alongStart - kToolBarGap;
    if (b < 0)
        return r.alongEnd - End(At(row, a)) - kToolBarGap;
    return Bar(At(row, b)).along - End(At(row, a)) - kToolBarGap;
}

// Removes `overlap` at the end of position k: first by moving k and those before it into the
// free gaps towards the row start, then by shrinking them.
void DockRowLayout::PushBack(int row, int k, int overlap)
{
    for (int j = k; j >= 0 && overlap > 0; --j) {
        const int d = std::min(std::max(0, Gap(row, j - 1, j)), overlap);
        Shift(row, j, k, -d);
        overlap -= d;
    }
    for (int j = k; j >= 0 && overlap > 0; --j) {
        const int d = std::min(Shrinkable(At(row, j)), overlap);
        Bar(At(row, j)).length -= d;
        Shift(row, j + 1, k, -d);
        overlap -= d;
    }
}

void DockRowLayout::ArrangeRow(int row)
{
    const DockRow& r = rows_[static_cast<size_t>(row)];
    const int n = Size(row);
    for (int k = 0; k < n; ++k) {
        RowToolBar& bar = Bar(At(row, k));
        bar.across = r.acrossStart;
        bar.row = row;
        if (k == 0 && bar.menuBar) {
            FillWithMenuBar(row, At(row, 0));
            return;
        }
        int g = Gap(row, k, k + 1 < n ? k + 1 : -1);
        if (g > 0) {
            for (int j = k; j >= 0 && g > 0; --j) {
                const int d = std::min(Growable(At(row, j)), g);
                Bar(At(row, j)).length += d;
                Shift(row, j + 1, k, d);
                g -= d;
            }
            for (int j = k + 1; !vertical_ && j < n && g > 0; ++j) {
                const int d = std::min(Growable(At(row, j)), g);
                Bar(At(row, j)).length += d;
                g -= d;
            }
        } else if (g < 0) {
            PushBack(row, k, -g);
        }
        // Free space before the toolbar lets it grow towards the row start, its end kept.
        int c = Growable(At(row, k));
        for (int b = k; b >= 0 && c > 0; --b) {
            const int d = std::min(std::max(0, Gap(row, b - 1, b)), c);
            Shift(row, b, k, -d);
            Bar(At(row, k)).length += d;
            c -= d;
        }
    }
    if (n == 0)
        return;
    // Clean-up: inside the row start, no overlap, inside the row end as far as the minimum
    // lengths allow.
    RowToolBar& first = Bar(At(row, 0));
    first.along = std::max(first.along, r.alongStart + kToolBarGap);
    for (int k = 1; k < n; ++k) {
        RowToolBar& b = Bar(At(row, k));
        b.along = std::max(b.along, End(At(row, k - 1)) + kToolBarGap);
    }
    const int overflow = End(At(row, n - 1)) - (r.alongEnd - kToolBarGap);
    if (overflow > 0)
        PushBack(row, n - 1, overflow);
}

void DockRowLayout::UpdateRows()
{
    int pos = kRowGap;
    for (int r = 0; r < RowCount(); ++r) {
        DockRow& row = rows_[static_cast<size_t>(r)];
        row.alongStart = alongMargin;
        row.alongEnd = panelLength - alongMargin;
        row.acrossStart = pos;
        row.acrossEnd = pos + Thickness(r) + kRowGap;
        ArrangeRow(r);
        pos += Thickness(r) + kRowGap;
    }
}

int DockRowLayout::DockSize(bool designing, bool useRunTimeHeight) const
{
    const int margin = vertical_ ? alongMargin : acrossMargin;
    const bool designRule = designing && !useRunTimeHeight;
    if (rows_.empty())
        return designRule ? 2 * margin + 13 : minimumSize;
    return rows_.back().acrossEnd + margin + (designRule ? 13 : 0);
}

void DockRowLayout::MoveInRow(int row, int id, int& start, int& length)
{
    const int idx = row >= 0 && row < RowCount() ? IndexIn(row, id) : -1;
    if (idx < 0)
        throw Exception("Invalid ToolBar Index");
    const DockRow& r = rows_[static_cast<size_t>(row)];
    const int n = Size(row);
    const int last = n - 1;
    RowToolBar& bar = Bar(id);
    const int pos = bar.along;

    if (start < pos) {
        start = std::max(start, r.alongStart + kToolBarGap);
        if (idx == 0) {
            bar.along = start;
        } else if (start < pos) {
            int need = pos - start;
            for (int j = idx; j >= 0 && need > 0; --j) {
                const int d = std::min(std::max(0, Gap(row, j - 1, j)), need);
                Shift(row, j, idx, -d);
                need -= d;
            }
            if (need > 0 && Gap(row, last, -1) <= 0) {
                int growCap = 0;
                for (int m = idx; m <= last; ++m)
                    growCap += Growable(At(row, m));
                for (int j = idx - 1; j >= 0 && need > 0 && growCap > 0; --j) {
                    const int d = std::min({Shrinkable(At(row, j)), need, growCap});
                    if (d <= 0)
                        continue;
                    Bar(At(row, j)).length -= d;
                    Shift(row, j + 1, idx, -d);
                    // The space freed after the toolbar goes to it and the ones after it.
                    int rest = d;
                    for (int m = idx; m <= last && rest > 0; ++m) {
                        if (m > idx)
                            Bar(At(row, m)).along -= rest;
                        const int e = std::min(Growable(At(row, m)), rest);
                        Bar(At(row, m)).length += e;
                        rest -= e;
                    }
                    need -= d;
                    growCap -= d;
                }
            }
            if (need > 0 && !loading && idx > 0) {
                const int prev = At(row, idx - 1);
                if (Bar(prev).along + 5 >= bar.along - need) {
                    std::vector<int>& list = rows_[static_cast<size_t>(row)].toolBars;
                    std::swap(list[static_cast<size_t>(idx)], list[static_cast<size_t>(idx - 1)]);
                    bar.along = Bar(prev).along;
                    Bar(prev).along = End(id) + kToolBarGap;
                    ArrangeRow(row);
                }
            }
        }
        start = bar.along;
    } else if (start > pos) {
        int need = start - pos;
        for (int j = idx; j <= last && need > 0; ++j) {
            const int d = std::min(std::max(0, Gap(row, j, j < last ? j + 1 : -1)), need);
            Shift(row, idx, j, d);
            need -= d;
        }
        bool spaceBefore = false;
        for (int j = 0; j <= idx; ++j)
            spaceBefore = spaceBefore || Gap(row, j - 1, j) > 0;
        if (need > 0 && !spaceBefore) {
            int growCap = 0;
            for (int m = 0; m < idx; ++m)
                growCap += Growable(At(row, m));
            for (int j = last; j > idx && need > 0 && growCap > 0; --j) {
                const int d = std::min({Shrinkable(At(row, j)), need, growCap});
                if (d <= 0)
                    continue;
                Bar(At(row, j)).length -= d;
                Bar(At(row, j)).along += d;
                Shift(row, idx, j - 1, d);
                int rest = d; // now free just before the toolbar
                for (int m = idx - 1; m >= 0 && rest > 0; --m) {
                    if (m < idx - 1)
                        Bar(At(row, m + 1)).along += rest;
                    const int e = std::min(Growable(At(row, m)), rest);
                    Bar(At(row, m)).length += e;
                    rest -= e;
                }
                need -= d;
                growCap -= d;
            }
        }
        start = bar.along;
    } else if (length < bar.length) {
        bar.length = std::max(0, length);
        if (n == 1)
            ArrangeRow(row);
    } else if (length > bar.length) {
        int rest = length - bar.length;
        int found = 0;
        for (int j = idx; j <= last && rest > 0; ++j) {
            const int d = std::min(std::max(0, Gap(row, j, j < last ? j + 1 : -1)), rest);
            Shift(row, idx + 1, j, d);
            found += d;
            rest -= d;
        }
        for (int j = idx; j >= 0 && rest > 0; --j) {
            const int d = std::min(std::max(0, Gap(row, j - 1, j)), rest);
            Shift(row, j, idx, -d);
            found += d;
            rest -= d;
        }
        bar.length += found;
        start = bar.along;
    }
    length = bar.length;
}

void DockRowLayout::InsertRowWith(int index, int id)
{
    index = std::clamp(index, 0, RowCount());
    rows_.insert(rows_.begin() + index, DockRow{});
    ResetRowIndexes();
    UpdateRows();
    AddToolBar(index, id);
}

void DockRowLayout::MoveAcrossRows(int id, int& across, int& thickness)
{
    const int own = Bar(id).row;
    if (own < 0 || own >= RowCount())
        return;
    const int t = Row(own).acrossStart;
    const int size = Size(own);
    // Takes the toolbar into row `target`, or into a new row at `newIndex` when that row refuses.
    auto moveInto = [&](int target, int newIndex) {
        if (Accepts(target, id)) {
            MoveToRow(id, target);
            return;
        }
        if (!rowsMayChange)
            return;
        const int before = RowCount();
        RemoveFromRow(own, id, true);
        if (RowCount() < before && own < newIndex)
            --newIndex;
        InsertRowWith(newIndex, id);
    };
    if (across >= t - 5 && across <= t - 3 && size >= 2) {
        if (rowsMayChange) {
            RemoveFromRow(own, id, true);
            InsertRowWith(own, id);
        }
        across = Bar(id).across;
    } else if (across < t - 6 && own > 0) {
        const int end = vertical_ ? own : RowCount();
        for (int r = 0; r < end; ++r) {
            if (r != own && across >= Row(r).acrossStart && across < Row(r).acrossEnd) {
                moveInto(r, r);
                break;
            }
        }
        across = Bar(id).across;
    } else if (across >= t + 3 && across <= t + 5 && size >= 2) {
        if (rowsMayChange) {
            RemoveFromRow(own, id, true);
            InsertRowWith(own + 1, id);
        }
        across = Bar(id).across;
    } else if (across > t + 5 && own < RowCount() - 1) {
        for (int r = own + 1; r < RowCount(); ++r) {
            if (Row(r).acrossEnd > across) {
                moveInto(r, r + 1);
                break;
            }
        }
        across = Bar(id).across;
    } else if (designing && own == RowCount() - 1 && across > t + 5 && size > 1) {
        // At design time a toolbar pulled well below the last row gets a row of its own there.
        RemoveFromRow(own, id, true);
        InsertRowWith(RowCount(), id);
        across = Bar(id).across;
    } else {
        across = t;
    }
    if (thickness != Bar(id).thickness) {
        Bar(id).thickness = thickness;
        UpdateRows();
    }
}

void DockRowLayout::VisibilityChanged(int id, bool visible)
{
    const int row = Bar(id).row;
    if (!visible) {
        if (row >= 0 && row < RowCount())
            RemoveFromRow(row, id, true);
        return;
    }
    if (RowOf(id) >= 0)
        return;
    if (!rowsMayChange && RowCount() > 0) {
        AddToolBar(RowCount() - 1, id);
        return;
    }
    if (rowsMayChange)
        AddToolBar(AddRow(), id);
}

int DockRowLayout::FindAcceptingRow(int id, bool searchFromLast) const
{
    for (int k = 0; k < RowCount(); ++k) {
        const int r = searchFromLast ? RowCount() - 1 - k : k;
        if (Accepts(r, id))
            return r;
    }
    return -1;
}

// ---- floating rows ---------------------------------------------------------------------------

namespace {
int Widest(const FloatingControls& c)
{
    int w = 0;
    for (int len : c.lengths)
        w = std::max(w, len);
    return w;
}
} // namespace

int MaxFloatingRows(const FloatingControls& c)
{
    const int a = std::max(c.minimumLength, Widest(c) + 2);
    int x = 2;
    int rows = 1;
    const size_t n = c.lengths.size();
    for (size_t k = 0; k < n; ++k) {
        const int len = c.lengths[k];
        if (a - x < len) {
            ++rows;
            x = 2;
        }
        x += len;
        // A row filled exactly counts one more only when another control follows it.
        if (x == a && k + 1 < n) {
            ++rows;
            x = 2;
        }
    }
    return rows;
}

bool FloatingSizeFor(const FloatingControls& c, int rows, int& width, int& height)
{
    if (rows <= 0 || rows > MaxFloatingRows(c))
        return false;
    int w = std::max(c.minimumLength, Widest(c) + 4);
    for (;;) {
        int x = 2;
        int used = 1;
        int m = w;
        for (int len : c.lengths) {
            if (w - x - 2 < len) {
                m = std::min(m, w - x - 2);
                ++used;
                x = 2;
            }
            x += len;
        }
        if (used > rows) {
            w += 10;
            continue;
        }
        height = used * c.rowThickness + c.captionHeight;
        if (used >= 2)
            w -= std::min(m, w - x - 2);
        width = w;
        return true;
    }
}

} // namespace toolbar
