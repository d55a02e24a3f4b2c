// The plumbing around the office-menu painting: reaching a menu's office interface, item
// classification, hooking the items' measure and draw handlers, refreshing, the subclassing,
// reshaping and framing of drop-down windows, the MDI client subclass that rebuilds a form's
// Window menu, and the shortcut texts.
#pragma once

#include "menus/AdvMenus.h"

#include <string>

namespace classlib {
class TCustomForm;
}

namespace menus {

// ---- menu access ----
IAdvMenu* GetMenuIntf(TMenu* menu);
TMenu* GetItemMenu(TMenuItem* item);
IAdvMenu* GetItemMenuIntf(TMenuItem* item);

// ---- item classification ----
int MenuItemLevel(TMenuItem* item);
bool IsMainMenuRootItem(TMenuItem* item);
// A root item of a main menu (a "bar item").
bool IsMenuBarItem(TMenuItem* item);
bool IsFirstLevelItem(TMenuItem* item);
TMenuItem* FirstVisibleItem(TMenuItem* parent);
bool IsFirstVisibleItem(TMenuItem* item);
int VisibleItemIndex(TMenuItem* item);
bool IsInFirstVisibleSubMenu(TMenuItem* item);
bool HasColumnBreakBefore(TMenuItem* item);
bool ShowsSideBar(TMenuItem* item);
bool SubMenuOpensRight(TMenuItem* item, HWND window);
bool IsLastMenuBarItem(TMenuItem* item);
RECT SubMenuBounds(TMenuItem* item, HWND window);
HWND MenuBarWindow(TMenu* menu);
HWND MdiClientWindow(IAdvMenu* intf);
classlib::TCustomForm* FindFormByHandle(HWND handle);

// ---- hooking ----
struct THookRecord {
    TMenu* menu;
    bool force;
    classlib::TAdvancedMenuDrawItemEvent draw;
    classlib::TMenuMeasureItemEvent measure;
};
void HookMenuItem(TMenuItem* item, const THookRecord& hook);
void HookMenuItems(TMenuItem* parent, bool recursive, const THookRecord& hook);
void HookMenuOwnerDraw(TMenu* menu, TMenuItem* item, bool recursive, bool force,
                       const classlib::TAdvancedMenuDrawItemEvent& draw,
                       const classlib::TMenuMeasureItemEvent& measure);

// ---- refresh ----
// With either flag the items are rebuilt (measured again); a main menu then subclasses its
// form's MDI client.
void RefreshMenu(IAdvMenu* intf, bool update, bool update2);

// ---- menu windows ----
// Subclasses, reshapes and moves the drop-down window the item is painted in (first paint)
// and frames it (every paint).
void PrepareMenuWindow(TMenuItem* item, TCanvas* canvas);
LRESULT CALLBACK PopupMenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The window procedure a subclassed window had before (nullptr when not subclassed).
WNDPROC SavedWindowProc(HWND window);

// ---- MDI window list ----
LRESULT CALLBACK MdiClientMenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Gives a subclassed MDI client its previous window procedure back.
void RestoreMdiClient(HWND client);
void DrawMdiChildIcon(TAdvMainMenu* menu, TMenuItem* item, const RECT& rect);
// A copy of the window's icon at the small or large size (the caller destroys it).
HICON GetWindowIconCopy(HWND window, bool large);
// The marker's shortcut and the radio group of the Window-menu child entries.
constexpr classlib::TShortCut kWindowListMarker = 0xABCD;
constexpr int kWindowListGroup = 205;

// ---- shortcut text ----
std::string KeyNameText(WORD key);
std::string CapitalizeKeyName(const std::string& text);
std::string ShortCutText(classlib::TShortCut shortCut, bool international);

} // namespace menus
