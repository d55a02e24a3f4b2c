// Writing and reading a toolbar's floating state and its controls' visibility.
#include "toolbar/ToolBarStateRecord.h"

#include "core/SysUtils.h"

namespace toolbar {

namespace {
bool StoredAsFloating(TLayoutValues& values, const std::string& name)
{
    return classlib::SameText(values.ReadString(name + ".Name", ""), name) &&
           values.ReadInteger(name + ".State", 0) == 1;
}
} // namespace

void WriteToolBarState(TLayoutValues& values, const std::string& name,
                       const ToolBarStateValues& now)
{
    if (now.state == 1) {
        values.WriteString(name + ".Name", name);
        values.WriteInteger(name + ".State", 1);
        values.WriteInteger(name + ".FloatingRows", now.floatingRows);
        values.WriteInteger(name + ".Left", now.left);
        values.WriteInteger(name + ".Top", now.top);
        values.WriteInteger(name + ".Width", now.width);
        values.WriteInteger(name + ".Height", now.height);
        values.WriteInteger(name + ".Visible", now.visible ? 1 : 0);
    } else if (StoredAsFloating(values, name)) {
        values.WriteInteger(name + ".State", now.state);
    }
    for (const auto& [control, visible] : now.controls)
        values.WriteInteger(name + "." + control, visible ? 1 : 0);
}

ToolBarStateRead ReadToolBarState(TLayoutValues& values, const std::string& name,
                                  const ToolBarStateValues& now)
{
    ToolBarStateRead read;
    read.floatingRows = now.floatingRows;
    read.left = now.left;
    read.top = now.top;
    read.visible = now.visible;
    if (StoredAsFloating(values, name)) {
        read.floatAgain = true;
        read.floatingRows = values.ReadInteger(name + ".FloatingRows", now.floatingRows);
        read.left = values.ReadInteger(name + ".Left", now.left);
        read.top = values.ReadInteger(name + ".Top", now.top);
        read.visible = values.ReadInteger(name + ".Visible", now.visible ? 1 : 0) != 0;
    }
    for (const auto& [control, visible] : now.controls)
        read.controlsVisible.push_back(values.ReadInteger(name + "." + control, visible ? 1 : 0) !=
                                       0);
    return read;
}

} // namespace toolbar
