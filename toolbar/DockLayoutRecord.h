#pragma once
// The dock panel's layout record in a settings store: how many toolbars and rows were saved,
// and per toolbar (by its component name) its row, place, size and visibility. Reading never
// trusts the store: the counts are bounded, a row outside the stored rows leaves the toolbar
// outside every row, and places and sizes are clamped, so a damaged record gives a sane
// layout. The store itself is reached through `TLayoutValues` (an INI file or a registry key
// on Windows, anything in tests).
#include <string>

namespace toolbar {

// One section of a settings store.
class TLayoutValues {
public:
    virtual ~TLayoutValues() = default;
    virtual int ReadInteger(const std::string& key, int defaultValue) = 0;
    virtual std::string ReadString(const std::string& key, const std::string& defaultValue) = 0;
    virtual void WriteInteger(const std::string& key, int value) = 0;
    virtual void WriteString(const std::string& key, const std::string& value) = 0;
};

struct StoredToolBar {
    int row = -1;
    int left = 0, top = 0, width = 0, height = 0;
    bool visible = true;
};

// Bounds of what a record may ask for.
constexpr int kMaxStoredToolBars = 256;
constexpr int kMaxStoredCoordinate = 32767; // places lie within -this .. this
constexpr int kMaxStoredLength = 8192;      // sizes lie within 0 .. this

// "ToolBarCount", at most kMaxStoredToolBars; 0 for a missing, negative or unreadable value.
int ReadStoredToolBarCount(TLayoutValues& values);
// "RowCount" (the current count when missing), within 0 .. the stored toolbar count.
int ReadStoredRowCount(TLayoutValues& values, int currentRows, int toolBarCount);
// "Name" + n (n from 1); `fallback` when missing.
std::string ReadStoredName(TLayoutValues& values, int n, const std::string& fallback);
// The toolbar's values, the current ones as defaults. A row below 0 or not below `rowCount`
// becomes -1 (outside every row).
StoredToolBar ReadStoredToolBar(TLayoutValues& values, const std::string& name,
                                const StoredToolBar& current, int rowCount);

void WriteStoredCounts(TLayoutValues& values, int toolBarCount, int rowCount);
void WriteStoredToolBar(TLayoutValues& values, int n, const std::string& name,
                        const StoredToolBar& bar);

} // namespace toolbar
