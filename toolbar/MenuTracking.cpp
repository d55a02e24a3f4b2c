#include "MenuTracking.h"

namespace toolbar {

TAdvCustomToolBar* MenuTrackToolBar = nullptr;
int MenuTrackButtonIndex = -1;
classlib::TMenuItem* MenuTrackItem = nullptr;
bool MenuTrackKeepOpen = false;
POINT MenuTrackMousePos{};
bool MenuTrackDownSent = false;
HHOOK MenuTrackHook = nullptr;
HHOOK MenuKeyHook = nullptr;
TAdvCustomToolBar* MenuKeyToolBar = nullptr;

namespace {
// The menu-bar behaviour that acts on these messages belongs to the toolbar's menu-bar mode;
// until it exists the hooks pass every message on.
LRESULT CALLBACK MenuTrackMsgFilterProc(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(MenuTrackHook, code, wParam, lParam);
}

LRESULT CALLBACK MenuKeyGetMessageProc(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(MenuKeyHook, code, wParam, lParam);
}
} // namespace

void InstallMenuTrackHook()
{
    MenuTrackKeepOpen = false;
    GetCursorPos(&MenuTrackMousePos);
    if (!MenuTrackHook)
        MenuTrackHook =
            SetWindowsHookExA(WH_MSGFILTER, MenuTrackMsgFilterProc, nullptr, GetCurrentThreadId());
}

void RemoveMenuTrackHook()
{
    if (MenuTrackHook)
        UnhookWindowsHookEx(MenuTrackHook);
    MenuTrackHook = nullptr;
    MenuTrackItem = nullptr;
    MenuTrackToolBar = nullptr;
    MenuTrackButtonIndex = -1;
    MenuTrackDownSent = false;
}

void InstallMenuKeyHook()
{
    if (!MenuKeyHook)
        MenuKeyHook =
            SetWindowsHookExA(WH_GETMESSAGE, MenuKeyGetMessageProc, nullptr, GetCurrentThreadId());
}

void RemoveMenuKeyHook()
{
    if (MenuKeyHook)
        UnhookWindowsHookEx(MenuKeyHook);
    MenuKeyHook = nullptr;
    MenuKeyToolBar = nullptr;
}

void ForgetMenuTrackingOf(TAdvCustomToolBar* toolBar)
{
    if (MenuTrackToolBar == toolBar)
        RemoveMenuTrackHook();
    if (MenuKeyToolBar == toolBar)
        RemoveMenuKeyHook();
}

} // namespace toolbar
