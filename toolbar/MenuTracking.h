#pragma once
// The process-wide state of a menu bar's open drop-down menu and the two thread hooks that
// move between drop-downs with the keyboard and the mouse. Only one toolbar tracks a menu at a
// time; a toolbar that goes clears every reference to itself and removes the hooks.
#include <windows.h>

namespace classlib {
class TMenuItem;
}

namespace toolbar {

class TAdvCustomToolBar;

extern TAdvCustomToolBar* MenuTrackToolBar;
extern int MenuTrackButtonIndex;
extern classlib::TMenuItem* MenuTrackItem;
extern bool MenuTrackKeepOpen;
extern POINT MenuTrackMousePos;
extern bool MenuTrackDownSent;
extern HHOOK MenuTrackHook;
extern HHOOK MenuKeyHook;
extern TAdvCustomToolBar* MenuKeyToolBar;

// WH_MSGFILTER for the current thread, installed once.
void InstallMenuTrackHook();
// Unhooks and clears the tracked toolbar, button index, item and the posted-down flag.
void RemoveMenuTrackHook();
// WH_GETMESSAGE for the current thread, installed once.
void InstallMenuKeyHook();
void RemoveMenuKeyHook();
// Called by a toolbar that goes: no variable keeps pointing at it.
void ForgetMenuTrackingOf(TAdvCustomToolBar* toolBar);

} // namespace toolbar
