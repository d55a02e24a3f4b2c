#pragma once
// The row arithmetic of a dock panel, over lengths only: which toolbar sits in which row, where
// along its row, how long, and how thick each row and the panel are. The dock panel keeps one
// of these and copies the results onto its toolbars' bounds; nothing here touches a window.
//
// Words: along is the panel's length direction (x for a top or bottom panel, y for a left or
// right one), across the other. A toolbar's `along`/`length` are its Left/Width on a horizontal
// panel and its Top/Height on a vertical one; `across`/`thickness` the other pair.
#include <cstddef>
#include <vector>

namespace toolbar {

// One toolbar as the rows see it.
struct RowToolBar {
    int along = 0;
    int length = 60;
    int across = 0;
    int thickness = 26;
    int minLength = 0; // the size constraints along the toolbar; 0 as maximum means none
    int maxLength = 0;
    bool menuBar = false;
    int row = -1; // index of the row holding it, -1 when in none
};

struct DockRow {
    std::vector<int> toolBars; // toolbar ids in order along the row
    int alongStart = 0, alongEnd = 0, acrossStart = 0, acrossEnd = 0;
};

class DockRowLayout {
public:
    static constexpr int kRowGap = 1;     // before, between and after rows across the panel
    static constexpr int kToolBarGap = 2; // between toolbars and at the row ends
    static constexpr int kMinRowThickness = 26;

    explicit DockRowLayout(bool vertical = false) : vertical_(vertical) {}

    // The panel: its length along (Width or Height), its margins and whether rows may be
    // created and deleted (no locked height, or designing, or not yet loaded).
    bool vertical_ = false;
    int panelLength = 0;
    int alongMargin = 1;
    int acrossMargin = 0;
    int minimumSize = 3;
    bool rowsMayChange = true;
    bool loading = false;
    bool designing = false;

    // Toolbars are addressed by the id AddToolBarRecord gave them.
    int AddToolBarRecord(const RowToolBar& bar);
    RowToolBar& ToolBar(int id) { return bars_.at(static_cast<std::size_t>(id)); }
    const RowToolBar& ToolBar(int id) const { return bars_.at(static_cast<std::size_t>(id)); }
    int ToolBarCount() const { return static_cast<int>(bars_.size()); }
    int RowCount() const { return static_cast<int>(rows_.size()); }
    const DockRow& Row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }

    // Rows.
    int AddRow();
    void InsertRow(int index);
    void DeleteRow(int index);
    void ClearRows();
    int RowOf(int id) const;
    bool Accepts(int row, int id) const;
    int AddToolBar(int row, int id); // index in the row, -1 when refused or already there
    // Appends without any placement (the stored layout's order).
    void AppendToRow(int row, int id);
    void RemoveFromRow(int row, int id, bool deleteEmpty);
    void MoveToRow(int id, int index); // raises "Invalid Row Index"
    void DeleteIfEmpty(int row);
    int Thickness(int row) const;
    int Gap(int row, int a, int b) const; // a, b: positions in the row, -1 for none
    void ArrangeRow(int row);
    void UpdateRows();
    // The panel's thickness its rows ask for (before the side-dependent growth rule).
    int DockSize(bool designing = false, bool useRunTimeHeight = false) const;

    // A docked toolbar asks for new bounds. Raises "Invalid ToolBar Index" when `id` is not in
    // `row`.
    void MoveInRow(int row, int id, int& start, int& length);
    void MoveAcrossRows(int id, int& across, int& thickness);
    void VisibilityChanged(int id, bool visible);
    // First row (by the panel side's search order) that accepts the toolbar, -1 for none.
    int FindAcceptingRow(int id, bool searchFromLast) const;

    int Growable(int id) const;
    int Shrinkable(int id) const;

private:
    int End(int id) const { return bars_[static_cast<std::size_t>(id)].along + Bar(id).length; }
    const RowToolBar& Bar(int id) const { return bars_[static_cast<std::size_t>(id)]; }
    RowToolBar& Bar(int id) { return bars_[static_cast<std::size_t>(id)]; }
    int At(int row, int pos) const
    {
        return rows_[static_cast<std::size_t>(row)].toolBars[static_cast<std::size_t>(pos)];
    }
    int Size(int row) const
    {
        return static_cast<int>(rows_[static_cast<std::size_t>(row)].toolBars.size());
    }
    int IndexIn(int row, int id) const;
    void Shift(int row, int from, int to, int delta); // moves positions from..to along by delta
    void FillWithMenuBar(int row, int id);
    void ResetRowIndexes();
    void PushBack(int row, int k, int overlap); // step e of the arrangement
    void InsertRowWith(int index, int id);

    std::vector<RowToolBar> bars_;
    std::vector<DockRow> rows_;
};

// Floating rows of a toolbar: the lengths of all its controls (visible or not), its minimum
// length, the thickness of one row and the caption band's height.
struct FloatingControls {
    std::vector<int> lengths;
    int minimumLength = 60;
    int rowThickness = 26;
    int captionHeight = 16;
};

// The largest row count the controls can use.
int MaxFloatingRows(const FloatingControls& controls);
// The size of the floating toolbar laid out in `rows` rows; False for a count below 1 or above
// MaxFloatingRows.
bool FloatingSizeFor(const FloatingControls& controls, int rows, int& width, int& height);

} // namespace toolbar
