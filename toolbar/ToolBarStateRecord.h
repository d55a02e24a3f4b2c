#pragma once
// A toolbar's own state in a settings store (beside the dock panel's layout record): whether
// it floated when the program ended, where and with how many rows, and the visibility of each
// named control. Keys are the toolbar's name, a dot and the value's name.
#include "toolbar/DockLayoutRecord.h"

#include <string>
#include <vector>

namespace toolbar {

struct ToolBarStateValues {
    int state = 0; // 0 docked, 1 floating, 2 free
    int floatingRows = 1;
    int left = 0, top = 0;     // the floating window's place
    int width = 0, height = 0; // the toolbar's size (written, never read back)
    bool visible = true;
    // The named controls in layout order with their visibility.
    std::vector<std::pair<std::string, bool>> controls;
};

// Writes the state. A floating toolbar writes everything; any other rewrites ".State" only when
// the store says that this toolbar floated (so it does not float again at the next start).
// The controls' visibility is always written.
void WriteToolBarState(TLayoutValues& values, const std::string& name,
                       const ToolBarStateValues& now);

struct ToolBarStateRead {
    bool floatAgain = false; // the store says that this toolbar floated
    int floatingRows = 1;
    int left = 0, top = 0;
    bool visible = true;
    std::vector<bool> controlsVisible; // in the order of `now.controls`
};

// Reads the state with the current values as defaults; ".State" of 1 counts only under the
// toolbar's own ".Name" (compared ignoring case).
ToolBarStateRead ReadToolBarState(TLayoutValues& values, const std::string& name,
                                  const ToolBarStateValues& now);

} // namespace toolbar
