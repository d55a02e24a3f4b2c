// The owner-draw engine of the office menus: measures and paints every item of a TAdvMainMenu
// or TAdvPopupMenu from its current styler (icon column, side bar with a rotated caption,
// background gradient and picture, highlight boxes, check and radio glyphs, sub-menu arrow,
// caption with shortcut and note lines; menu-bar items with their own looks).
#pragma once

#include "menus/AdvMenus.h"

namespace menus {

// Every drop-down item gives up this strip at its right: the menu-window region cuts it away.
constexpr int kHiddenStrip = 17;

// The measure handler's body: width and height arrive holding the platform's measurement.
void MeasureAdvMenuItem(TMenuItem* item, TCanvas* canvas, int& width, int& height, bool sideBar);
// The draw handler's body; `rect` is the item rectangle (already less the hidden strip).
void DrawAdvMenuItem(TMenuItem* item, TCanvas* canvas, RECT rect, bool sideBar,
                     TOwnerDrawState state);
// Item text in the item's font and colours, GDI or GDI+ as the styler says; a DT_CALCRECT
// request measures into `rect` (GDI only).
void DrawMenuItemText(TMenuItem* item, TCanvas* canvas, std::string text, UINT format,
                      TOwnerDrawState state, RECT& rect);
// The caption before its first "\n" when notes are shown, else the whole caption.
std::string CaptionProper(const std::string& caption, bool showNotes);

} // namespace menus
