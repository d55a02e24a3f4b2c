#include "MenuTracking.h"

#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvToolBarItems.h"

#include "windows/Menus.h"
#include "windows/Messages.h"

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

// From the tracked button, the next (or previous) visible, enabled button of the tracked
// toolbar, wrapping at both ends; nullptr when the walk comes back to the start.
TAdvCustomToolBarButton* NextMenuButton(bool forward)
{
    TAdvCustomToolBar* bar = MenuTrackToolBar;
    if (!bar || bar->ControlOrderCount() == 0)
        return nullptr;
    const int count = bar->ControlOrderCount();
    const int start = MenuTrackButtonIndex < 0 ? 0 : MenuTrackButtonIndex;
    for (int step = 1; step < count; ++step) {
        const int i = ((start + (forward ? step : -step)) % count + count) % count;
        auto* b = dynamic_cast<TAdvCustomToolBarButton*>(bar->ControlOrder(i));
        if (b && b->Visible() && b->Enabled())
            return b;
    }
    return nullptr;
}

// The highlighted top-level item of the dropped menu, for a loop that has not reported its
// selection (WM_MENUSELECT is sent to the menu's owner and need not pass the filter).
classlib::TMenuItem* HighlightedItem(TAdvCustomToolBar* bar)
{
    classlib::TPopupMenu* menu = bar->TempMenu();
    if (!menu)
        return nullptr;
    HMENU h = menu->Handle();
    for (int i = 0; i < GetMenuItemCount(h); ++i)
        if (GetMenuState(h, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) {
            MENUITEMINFOA info{sizeof info};
            info.fMask = MIIM_ID | MIIM_SUBMENU;
            if (!GetMenuItemInfoA(h, static_cast<UINT>(i), TRUE, &info))
                return nullptr;
            return info.hSubMenu ? classlib::TMenuItem::FindByHandle(info.hSubMenu)
                                 : classlib::TMenuItem::FindByCommand(info.wID);
        }
    return nullptr;
}

LRESULT CALLBACK MenuTrackMsgFilterProc(int code, WPARAM wParam, LPARAM lParam)
{
    auto* msg = reinterpret_cast<MSG*>(lParam);
    // A right-to-left menu swaps the meaning of the horizontal arrows.
    if (MenuTrackItem && msg && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP))
        if (classlib::TMenu* menu = MenuTrackItem->GetParentMenu();
            menu && menu->BiDiMode() != classlib::bdLeftToRight) {
            if (msg->wParam == VK_LEFT)
                msg->wParam = VK_RIGHT;
            else if (msg->wParam == VK_RIGHT)
                msg->wParam = VK_LEFT;
        }
    const LRESULT answer = CallNextHookEx(MenuTrackHook, code, wParam, lParam);
    if (answer != 0 || code != MSGF_MENU || !msg || !MenuTrackToolBar)
        return answer;
    TAdvCustomToolBar* bar = MenuTrackToolBar;
    if (!MenuTrackDownSent) {
        // The first item of the dropped menu is selected, as on a native menu bar.
        PostMessageA(msg->hwnd, WM_KEYDOWN, VK_DOWN, 0);
        MenuTrackDownSent = true;
    }
    TAdvCustomToolBarButton* target = nullptr;
    bool byMouse = false;
    switch (msg->message) {
        case WM_KEYDOWN:
            if (msg->wParam == VK_RETURN)
                bar->SetMenuLoopResult(true);
            else if (msg->wParam == VK_ESCAPE)
                MenuTrackKeepOpen = true;
            if (!MenuTrackItem && (msg->wParam == VK_RIGHT || msg->wParam == VK_LEFT))
                MenuTrackItem = HighlightedItem(bar);
            if (MenuTrackItem) {
                if (msg->wParam == VK_RIGHT && MenuTrackItem->Count() == 0)
                    target = NextMenuButton(true);
                else if (msg->wParam == VK_LEFT && MenuTrackItem->Parent() &&
                         dynamic_cast<classlib::TPopupMenu*>(MenuTrackItem->Parent()->Owner()) &&
                         !MenuTrackItem->Parent()->Parent())
                    target = NextMenuButton(false);
            }
            break;
        case WM_SYSKEYDOWN:
            if (msg->wParam == VK_MENU) {
                bar->CancelMenu();
                return answer;
            }
            break;
        case WM_MENUSELECT: {
            const UINT flags = HIWORD(msg->wParam);
            const auto menu = reinterpret_cast<HMENU>(msg->lParam);
            if (flags == 0xFFFF && !menu) {
                if (!MenuTrackKeepOpen)
                    bar->CancelMenu();
                return answer;
            }
            MenuTrackKeepOpen = false;
            if (flags & MF_POPUP)
                MenuTrackItem = classlib::TMenuItem::FindByHandle(
                    GetSubMenu(menu, static_cast<int>(LOWORD(msg->wParam))));
            else
                MenuTrackItem = classlib::TMenuItem::FindByCommand(LOWORD(msg->wParam));
            break;
        }
        case WM_MOUSEMOVE:
            // The menu loop hands the pointer's screen point (see the toolbar notes).
            if (msg->pt.x != MenuTrackMousePos.x || msg->pt.y != MenuTrackMousePos.y) {
                target = dynamic_cast<TAdvCustomToolBarButton*>(
                    classlib::FindControlAtPos(msg->pt, false));
                byMouse = true;
                MenuTrackMousePos = msg->pt;
            }
            break;
        default:
            break;
    }
    if (target && target->IsMenuButton() && target->ButtonIndex() != MenuTrackButtonIndex &&
        target->Parent() && target->Parent()->HandleAllocated()) {
        MenuTrackKeepOpen = true;
        bar->SetCancelOnCaptureLoss(false);
        bar->ClickButton(target, byMouse);
    }
    return answer;
}

LRESULT CALLBACK MenuKeyGetMessageProc(int code, WPARAM wParam, LPARAM lParam)
{
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && msg && MenuKeyToolBar) {
        if (msg->message == classlib::CM_DEACTIVATE) {
            MenuKeyToolBar->CancelMenu();
        } else if (msg->message == WM_COMMAND) {
            RemoveMenuKeyHook();
        } else if (!MenuTrackHook && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP ||
                                      msg->message == WM_CHAR || msg->message == WM_SYSKEYDOWN ||
                                      msg->message == WM_SYSKEYUP)) {
            // The keyboard loop takes the keys, whichever window has the focus.
            msg->hwnd = MenuKeyToolBar->Handle();
        }
    }
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
