#include "DockLayoutRecord.h"

#include <algorithm>

namespace toolbar {

int ReadStoredToolBarCount(TLayoutValues& values)
{
    return std::clamp(values.ReadInteger("ToolBarCount", 0), 0, kMaxStoredToolBars);
}

int ReadStoredRowCount(TLayoutValues& values, int currentRows, int toolBarCount)
{
    return std::clamp(values.ReadInteger("RowCount", currentRows), 0, std::max(0, toolBarCount));
}

std::string ReadStoredName(TLayoutValues& values, int n, const std::string& fallback)
{
    return values.ReadString("Name" + std::to_string(n), fallback);
}

StoredToolBar ReadStoredToolBar(TLayoutValues& values, const std::string& name,
                                const StoredToolBar& current, int rowCount)
{
    StoredToolBar bar;
    bar.row = values.ReadInteger(name + ".Row", current.row);
    if (bar.row < 0 || bar.row >= rowCount)
        bar.row = -1;
    auto place = [&](const char* key, int fallback) {
        return std::clamp(values.ReadInteger(name + key, fallback), -kMaxStoredCoordinate,
                          kMaxStoredCoordinate);
    };
    auto size = [&](const char* key, int fallback) {
        return std::clamp(values.ReadInteger(name + key, fallback), 0, kMaxStoredLength);
    };
    bar.left = place(".Left", current.left);
    bar.top = place(".Top", current.top);
    bar.width = size(".Width", current.width);
    bar.height = size(".Height", current.height);
    bar.visible = values.ReadInteger(name + ".Visible", current.visible ? 1 : 0) != 0;
    return bar;
}

void WriteStoredCounts(TLayoutValues& values, int toolBarCount, int rowCount)
{
    values.WriteInteger("ToolBarCount", toolBarCount);
    values.WriteInteger("RowCount", rowCount);
}

void WriteStoredToolBar(TLayoutValues& values, int n, const std::string& name,
                        const StoredToolBar& bar)
{
    values.WriteString("Name" + std::to_string(n), name);
    values.WriteInteger(name + ".Row", bar.row);
    values.WriteInteger(name + ".Left", bar.left);
    values.WriteInteger(name + ".Top", bar.top);
    values.WriteInteger(name + ".Width", bar.width);
    values.WriteInteger(name + ".Height", bar.height);
    values.WriteInteger(name + ".Visible", bar.visible ? 1 : 0);
}

} // namespace toolbar
