// Any sequence of dock-row operations on any toolbars: every operation returns, each toolbar is
// in at most one row and its row index says which, a menu bar is alone in its row, neighbours
// never overlap, every toolbar stays inside its row when the row can hold the toolbars' minimum
// lengths, and rows lie one after another across the panel. The floating row counts always
// give a size, and a size for more rows is never wider.
#include "toolbar/DockRowLayout.h"

#include "core/Exceptions.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "../support/FuzzInput.h"

using namespace toolbar;

namespace {

using Input = FuzzByteReader;

void Fail(const char* what)
{
    std::fprintf(stderr, "row invariant broken: %s\n", what);
    std::abort();
}

void Check(const DockRowLayout& layout)
{
    int across = DockRowLayout::kRowGap;
    for (int r = 0; r < layout.RowCount(); ++r) {
        const DockRow& row = layout.Row(r);
        if (row.acrossStart != across)
            Fail("rows are not stacked");
        across = row.acrossEnd;
        int minimums = 0;
        for (size_t k = 0; k < row.toolBars.size(); ++k) {
            const RowToolBar& bar = layout.ToolBar(row.toolBars[k]);
            minimums += bar.minLength + DockRowLayout::kToolBarGap;
            if (bar.row != r || layout.RowOf(row.toolBars[k]) != r)
                Fail("row index");
            if (bar.menuBar && row.toolBars.size() != 1)
                Fail("menu bar shares its row");
            if (bar.length < 0)
                Fail("negative length");
            if (k > 0) {
                const RowToolBar& prev = layout.ToolBar(row.toolBars[k - 1]);
                if (bar.along < prev.along + prev.length)
                    Fail("overlap");
            }
        }
        if (row.toolBars.empty())
            continue;
        const RowToolBar& first = layout.ToolBar(row.toolBars.front());
        const RowToolBar& last = layout.ToolBar(row.toolBars.back());
        if (first.along < row.alongStart)
            Fail("before the row start");
        if (minimums + DockRowLayout::kToolBarGap <= row.alongEnd - row.alongStart &&
            last.along + last.length > row.alongEnd)
            Fail("past the row end");
    }
    for (int id = 0; id < layout.ToolBarCount(); ++id) {
        const int row = layout.ToolBar(id).row;
        if (row != layout.RowOf(id))
            Fail("stale row index");
    }
}

void FuzzRows(Input& in)
{
    DockRowLayout layout(in.Byte() & 1);
    layout.panelLength = 40 + in.Byte() * 4;
    const int count = 1 + in.Byte() % 8;
    for (int k = 0; k < count; ++k) {
        RowToolBar bar;
        bar.minLength = in.Byte() % 80;
        bar.length = bar.minLength + in.Byte() % 80;
        bar.maxLength = (in.Byte() & 1) ? 0 : bar.length + in.Byte() % 100;
        bar.thickness = 10 + in.Byte() % 40;
        bar.menuBar = (in.Byte() % 8) == 0;
        layout.AddToolBarRecord(bar);
    }
    for (int k = 0; k < count; ++k) {
        const int row = layout.FindAcceptingRow(k, false);
        layout.AddToolBar(row >= 0 && (in.Byte() & 1) ? row : layout.AddRow(), k);
    }
    Check(layout);
    for (int step = 0; step < 64 && !in.Empty(); ++step) {
        const int op = in.Byte() % 6;
        const int id = in.Byte() % count;
        const int value = static_cast<int>(static_cast<std::int8_t>(in.Byte())) * 3;
        const int mode = in.Byte();
        layout.rowsMayChange = (mode % 5) != 0;
        layout.designing = layout.rowsMayChange && (mode & 0x40) != 0; // designing unlocks rows
        const int row = layout.ToolBar(id).row;
        try {
            switch (op) {
                case 0:
                    if (row >= 0) {
                        int start = layout.ToolBar(id).along + value;
                        int length = layout.ToolBar(id).length;
                        layout.MoveInRow(row, id, start, length);
                    }
                    break;
                case 1:
                    if (row >= 0) {
                        int start = layout.ToolBar(id).along;
                        int length = std::max(0, layout.ToolBar(id).length + value);
                        layout.MoveInRow(row, id, start, length);
                    }
                    break;
                case 2:
                    if (row >= 0) {
                        int across = layout.ToolBar(id).across + value / 3;
                        int thickness = layout.ToolBar(id).thickness;
                        layout.MoveAcrossRows(id, across, thickness);
                    }
                    break;
                case 3:
                    layout.VisibilityChanged(id, value >= 0);
                    break;
                case 4:
                    layout.MoveToRow(id, value / 3);
                    break;
                case 5:
                    layout.panelLength = std::max(0, layout.panelLength + value);
                    layout.UpdateRows();
                    break;
            }
        } catch (const classlib::Exception&) {
            // Invalid row or toolbar indexes are refused before anything changes.
        }
        Check(layout);
    }
}

void FuzzFloating(Input& in)
{
    FloatingControls c;
    c.minimumLength = 1 + in.Byte() % 100;
    const int n = in.Byte() % 16;
    for (int k = 0; k < n; ++k)
        c.lengths.push_back(in.Byte() % 120);
    const int most = MaxFloatingRows(c);
    if (most < 1)
        Fail("no floating row");
    int previousWidth = 1 << 30;
    for (int rows = 1; rows <= most; ++rows) {
        int w = 0, h = 0;
        if (!FloatingSizeFor(c, rows, w, h))
            Fail("a usable row count gives no size");
        if (w > previousWidth)
            Fail("more rows made it wider");
        previousWidth = w;
        if (h > rows * c.rowThickness + c.captionHeight)
            Fail("more rows used than asked for");
    }
    int w = 0, h = 0;
    if (FloatingSizeFor(c, most + 1, w, h) || FloatingSizeFor(c, 0, w, h))
        Fail("an unusable row count gave a size");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input in{data, data + size};
    if (in.Byte() & 1)
        FuzzFloating(in);
    else
        FuzzRows(in);
    return 0;
}
