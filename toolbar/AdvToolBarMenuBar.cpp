// Menu-bar mode of the toolbar: the menu buttons made from a main menu, dropping a root
// item's sub-items as an office pop-up menu, the keyboard loop (Alt or F10, access keys, the
// arrows, Enter, Down, Esc), switching between root menus while one is open, accelerators and
// merging an MDI child's menu.
#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvDockPanel.h"
#include "toolbar/AdvToolBarItems.h"
#include "toolbar/ComponentWatch.h"
#include "toolbar/MenuTracking.h"

#include "menus/AdvMenus.h"
#include "windows/Application.h"
#include "windows/Menus.h"

#include <algorithm>

namespace toolbar {

using namespace classlib;

namespace {

// A button that stands for a root item (or drops a menu) rather than one with a drop-down part.
bool IsRootButton(const TAdvCustomToolBarButton* b)
{
    return b->IsMenuButton() && !b->DropDownButton() && (b->DropDownMenu() || b->MenuItem());
}

} // namespace

// ---- the menu and its buttons ---------------------------------------------------------------

void TAdvCustomToolBar::FreeMenuButtons(bool mergedOnly)
{
    for (int i = ControlOrderCount() - 1; i >= 0; --i) {
        auto* b = dynamic_cast<TAdvToolBarMenuButton*>(ControlOrder(i));
        if (b && (mergedOnly ? b->MergeMark() == 1 : b->MadeFromMenu()))
            b->Free();
    }
}

void TAdvCustomToolBar::SetMenu(TMainMenu* value)
{
    if (value == menu_)
        return;
    if (controlStyle_.Contains(csAcceptsControls)) {
        // A toolbar with a menu takes no further controls.
        controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks,
                                      csMenuEvents};
    }
    FreeMenuButtons(false);
    if (menu_)
        menu_->RemoveFreeNotification(this);
    menu_ = value;
    if (!menu_)
        return;
    menu_->FreeNotification(this);
    if (!ComponentState().Contains(csLoading) || menu_->Images())
        SetImages(menu_->Images());
    for (int i = 0; i < menu_->Items()->Count(); ++i) {
        auto* b = new TAdvToolBarMenuButton(this);
        try {
            b->SetMadeFromMenu(true);
            b->SetParent(this);
            b->SetShowCaption(true);
            b->SetMenuItem(menu_->Items()->Items(i));
            b->SetAutoSize(true);
        } catch (...) {
            b->Free();
            throw;
        }
    }
    // Bound again in control order, item by item.
    int item = 0;
    for (int i = 0; i < ControlOrderCount() && item < menu_->Items()->Count(); ++i)
        if (auto* b = dynamic_cast<TAdvToolBarMenuButton*>(ControlOrder(i)); b && b->MadeFromMenu())
            b->SetMenuItem(menu_->Items()->Items(item++));
}

void TAdvCustomToolBar::RefreshMenuButtons()
{
    if (!menu_)
        return;
    for (int i = 0; i < menu_->Items()->Count(); ++i) {
        TMenuItem* item = menu_->Items()->Items(i);
        TAdvCustomToolBarButton* bound = nullptr;
        for (int c = 0; c < ControlOrderCount() && !bound; ++c)
            if (auto* b = dynamic_cast<TAdvToolBarMenuButton*>(ControlOrder(c));
                b && b->MadeFromMenu() && b->MenuItem() == item)
                bound = b;
        if (!bound) {
            TMainMenu* m = menu_;
            SetMenu(nullptr);
            SetMenu(m);
            return;
        }
        bound->SetMenuItem(item);
    }
}

bool TAdvCustomToolBar::IsShortCut(TMessage& message)
{
    return menu_ && menu_->IsShortCut(message);
}

TCustomForm* TAdvCustomToolBar::FormOf() const
{
    TControl* c = dockPanel_       ? static_cast<TControl*>(dockPanel_)
                  : lastDockPanel_ ? static_cast<TControl*>(lastDockPanel_)
                                   : Parent();
    for (; c; c = c->Parent())
        if (auto* form = dynamic_cast<TCustomForm*>(c))
            return form;
    return nullptr;
}

// ---- dropping a menu ------------------------------------------------------------------------

bool TAdvCustomToolBar::TrackMenu(TAdvCustomToolBarButton* button)
{
    if (!button)
        return false;
    cancelOnCaptureLoss_ = false;
    if (button->DropDownMenu()) {
        tempMenu_ = button->DropDownMenu();
        tempMenu_->FreeNotification(this);
    } else if (!button->MenuItem()) {
        PostMessageA(Handle(), kMenuClosedMessage, 0, 0);
        return false;
    } else {
        TMenuItem* item = button->MenuItem();
        RestoreMenuItems();
        auto* popup = new menus::TAdvPopupMenu(this);
        if (TMenu* parentMenu = item->GetParentMenu()) {
            popup->SetBiDiMode(parentMenu->BiDiMode());
            popup->SetImages(parentMenu->Images());
            if (auto* adv = dynamic_cast<menus::TAdvMainMenu*>(parentMenu))
                popup->SetDisabledImages(adv->DisabledImages());
        }
        popup->SetTrackButton(tbLeftButton);
        tempMenu_ = popup;
        menuSourceItem_ = item;
        while (item->Count() > 0) {
            TMenuItem* sub = item->Items(item->Count() - 1);
            item->Remove(sub);
            popup->Items()->Insert(0, sub);
        }
    }
    tempMenu_->SetPopupComponent(this);
    const bool hasItems = tempMenu_->Items()->Count() > 0;
    bool hooked = false;
    TComponentWatch watch{this, button};
    try {
        if (hasItems && menu_) {
            MenuTrackButtonIndex = button->ButtonIndex();
            MenuTrackToolBar = this;
            InstallMenuTrackHook();
            hooked = true;
        }
        SelectMenuButton(-1);

        // The width of the widest top-level item, as the menu measures it.
        int w = 0;
        TMenuItem* widest = nullptr;
        int widestText = -1;
        for (int i = 0; i < tempMenu_->Items()->Count(); ++i) {
            TMenuItem* it = tempMenu_->Items()->Items(i);
            const int text = Canvas()->TextWidth(it->Caption()) +
                             Canvas()->TextWidth(ShortCutToText(it->ShortCut()));
            if (text > widestText) {
                widestText = text;
                widest = it;
            }
        }
        if (widest) {
            tempMenu_->Handle();
            MEASUREITEMSTRUCT mis{};
            mis.CtlType = ODT_MENU;
            mis.itemID = widest->Command();
            mis.itemWidth = 10;
            mis.itemHeight = 10;
            mis.itemData = reinterpret_cast<ULONG_PTR>(widest);
            SendMessageA(PopupListWindow(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
            w = static_cast<int>(mis.itemWidth);
        }

        POINT p{};
        switch (position_) {
            case daLeft:
                p = button->ClientToScreen(POINT{button->ClientWidth(), 1});
                break;
            case daRight:
                p = button->ClientToScreen(POINT{0, 1});
                p.x -= w;
                break;
            default: {
                p = button->ClientToScreen(POINT{0, button->ClientHeight()});
                if (tempMenu_->BiDiMode() != bdLeftToRight)
                    p.x += button->Width();
                MONITORINFO mi{sizeof mi};
                GetMonitorInfoA(MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST), &mi);
                const int count = tempMenu_->Items()->Count();
                const int menuHeight = GetSystemMetrics(SM_CYMENU) * count;
                if (mi.rcMonitor.bottom - mi.rcMonitor.top < menuHeight + p.y + 10)
                    p.y -= menuHeight + button->Height() + 4;
                if (mi.rcMonitor.right < w + p.x + 52)
                    p.x = mi.rcMonitor.right - w - 52;
                break;
            }
        }
        menuShowing_ = true;
        if (auto* adv = dynamic_cast<menus::TAdvPopupMenu*>(tempMenu_))
            adv->SetMenuStyler(currentStyler_->CurrentMenuStyler());
        if (hooked || (hasItems && !menu_)) {
            button->SetMenuIsDropped(true);
            droppedButton_ = button;
            tempMenu_->Popup(p.x, p.y);
        }
    } catch (...) {
        if (hooked)
            RemoveMenuTrackHook();
        if (watch.Alive(this))
            PostMessageA(Handle(), kMenuClosedMessage, 0, 0);
        throw;
    }
    // Nothing that went in the menu loop is touched again.
    if (hooked && (MenuTrackToolBar == this || MenuTrackToolBar == nullptr))
        RemoveMenuTrackHook();
    if (!watch.Alive(this))
        return true;
    if (watch.Alive(button)) {
        lastMenuButton_ = button;
        button->ResetState();
        if (MenuTrackKeepOpen && menuKeyboardMode_)
            SetHotButton(button);
    }
    PostMessageA(Handle(), kMenuClosedMessage, 0, 0);
    return true;
}

void TAdvCustomToolBar::RestoreMenuItems(bool force)
{
    // Only once the button that showed them is known (a menu-closed message that arrives while
    // the next root menu shows leaves that menu alone); forced when the button or the toolbar
    // goes, as the temp menu would free the sub-items with itself.
    if (menuSourceItem_ && tempMenu_ &&
        (force || (lastMenuButton_ && lastMenuButton_->MenuItem()))) {
        TMenuItem* items = tempMenu_->Items();
        while (items->Count() > 0) {
            TMenuItem* sub = items->Items(items->Count() - 1);
            items->Remove(sub);
            menuSourceItem_->Insert(0, sub);
        }
        tempMenu_->Free();
        tempMenu_ = nullptr;
        lastMenuButton_ = nullptr;
        menuSourceItem_ = nullptr;
    }
}

void TAdvCustomToolBar::MenuClosed()
{
    TAdvCustomToolBarButton* p = droppedButton_;
    droppedButton_ = nullptr;
    RestoreMenuItems();
    if (p && Parent() && menu_ && !p->SwitchPending()) {
        POINT cursor{};
        GetCursorPos(&cursor);
        if (FindControlAtPos(cursor, true) == p) {
            // The click that closed the menu on its own root button must not open it again.
            p->SetClosingClick(true);
            PostMessageA(Handle(), WM_LBUTTONUP, MK_LBUTTON,
                         MAKELPARAM(p->Left() + 1, p->Top() + 1));
        }
    }
    menuShowing_ = false;
    if (p)
        p->SetMenuIsDropped(false);
    if (lastMenuButton_)
        lastMenuButton_->Invalidate();
    cancelOnCaptureLoss_ = true;
}

// ---- switching and the keyboard loop --------------------------------------------------------

void TAdvCustomToolBar::ClickButton(TAdvCustomToolBarButton* button, bool byMouse)
{
    if (!button)
        return;
    cancelOnCaptureLoss_ = false;
    droppedButton_ = nullptr;
    button->SetSwitchPending(true);
    if (byMouse) {
        // A press where the pointer is: over the new button, so the platform closes the open
        // menu and the button opens its own.
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        SendInput(1, &input, sizeof input);
        return;
    }
    if (button->MenuItem() && button->MenuItem()->Count() > 0) {
        PostMessageA(Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM(button->Left(), button->Top()));
        return;
    }
    // No sub-items: a click just outside the button closes the open menu without opening
    // another; the timer then makes the button hot.
    const int x = button->Left() - (IsHorizontal(position_) ? 0 : 1);
    const int y = button->Top() - (IsHorizontal(position_) ? 1 : 0);
    PostMessageA(Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    pendingMenuButton_ = button;
    SetTimer(Handle(), kMenuSwitchTimerId, 1, nullptr);
}

void TAdvCustomToolBar::MenuSwitchTimerTick()
{
    KillTimer(Handle(), kMenuSwitchTimerId);
    if (TAdvCustomToolBarButton* pending = pendingMenuButton_) {
        TComponentWatch watch{this, pending};
        TrackMenuLoop(nullptr);
        if (!watch.Alive(this))
            return;
        if (watch.Alive(pending))
            SetHotButton(pending);
        pendingMenuButton_ = nullptr;
    }
}

void TAdvCustomToolBar::InitMenu(TAdvCustomToolBarButton* button)
{
    MenuKeyToolBar = this;
    SetMouseCapture(true);
    menuKeyboardMode_ = true;
    InstallMenuKeyHook();
    if (button) {
        SelectMenuButton(button->ButtonIndex());
        button->OpenRootMenu();
    } else {
        SelectMenuButton(0);
        cancelOnCaptureLoss_ = true;
    }
}

void TAdvCustomToolBar::TrackMenuLoop(TAdvCustomToolBarButton* button)
{
    if (inMenuLoop_) {
        if (button)
            ClickButton(button, false);
        return;
    }
    TComponentWatch watch{this};
    try {
        InitMenu(button);
        if (watch.Alive(this) && menu_) {
            inMenuLoop_ = true;
            while (inMenuLoop_ && !Application->Terminated()) {
                Application->HandleMessage();
                if (!watch.Alive(this))
                    return;
            }
        }
    } catch (...) {
        if (watch.Alive(this))
            CancelMenu();
        throw;
    }
    if (watch.Alive(this))
        CancelMenu();
}

void TAdvCustomToolBar::CancelMenu()
{
    cancelOnCaptureLoss_ = false;
    if (inMenuLoop_ || menuKeyboardMode_) {
        if (MenuKeyToolBar == this)
            RemoveMenuKeyHook();
        menuKeyboardMode_ = false;
        SetMouseCapture(false);
    }
    inMenuLoop_ = false;
    SelectMenuButton(-1);
}

void TAdvCustomToolBar::SelectMenuButton(int n)
{
    if (n < 0) {
        SetHotButton(nullptr);
        return;
    }
    int counted = 0;
    for (int i = 0; i < ControlOrderCount(); ++i) {
        auto* b = dynamic_cast<TAdvToolBarMenuButton*>(ControlOrder(i));
        if (!b || !b->Visible() || !b->Enabled())
            continue;
        if (counted++ == n) {
            SetHotButton(b);
            return;
        }
    }
}

void TAdvCustomToolBar::SetHotButton(TAdvCustomToolBarButton* button)
{
    if (button)
        button->SetHotTracked(true);
    else if (hotButton_)
        hotButton_->SetHotTracked(false);
}

void TAdvCustomToolBar::MenuBarKeyDown(TMessage& m)
{
    TAdvCustomToolBarButton* h = hotButton_;
    switch (m.WParam) {
        case VK_RETURN:
        case VK_DOWN:
            if (h)
                h->OpenRootMenu();
            return;
        case VK_ESCAPE:
            CancelMenu();
            return;
        case VK_LEFT: {
            int i = h ? h->ButtonIndex() - 1 : -1;
            if (i < 0)
                i = ControlOrderCount() - 1;
            SelectMenuButton(i);
            return;
        }
        case VK_RIGHT: {
            int i = h ? h->ButtonIndex() + 1 : 0;
            if (i >= ControlOrderCount())
                i = 0;
            SelectMenuButton(i);
            return;
        }
        default:
            return;
    }
}

bool TAdvCustomToolBar::MenuBarMessage(TMessage& m)
{
    switch (m.Msg) {
        case kMenuClosedMessage:
            MenuClosed();
            return true;
        case WM_TIMER:
            if (m.WParam != kMenuSwitchTimerId)
                return false;
            MenuSwitchTimerTick();
            return true;
        case WM_GETDLGCODE:
            if (!inMenuLoop_)
                return false;
            m.Result = DLGC_WANTARROWS;
            return true;
        case WM_SYSCOMMAND: {
            const WPARAM key = LOWORD(m.LParam);
            if (inMenuLoop_ || !Enabled() || !Showing() || !menu_ ||
                (m.WParam & 0xFFF0) != SC_KEYMENU || key == ' ' || key == '-' || GetCapture())
                return false;
            if (key == 0) {
                m.Result = 1;
                TrackMenuLoop(nullptr);
                return true;
            }
            for (int i = 0; i < ControlOrderCount(); ++i) {
                auto* b = dynamic_cast<TAdvCustomToolBarButton*>(ControlOrder(i));
                if (b && b->Visible() && b->Enabled() &&
                    IsAccel(static_cast<WORD>(key), b->Caption())) {
                    m.Result = 1;
                    TrackMenuLoop(b);
                    return true;
                }
            }
            return false;
        }
        case CN_SYSKEYDOWN: {
            TComponentWatch watch{this};
            TCustomControl::WndProc(m);
            if (watch.Alive(this) && m.WParam == VK_MENU)
                CancelMenu();
            return true;
        }
        case CN_CHAR:
            if (!inMenuLoop_ || ComponentState().Contains(csDesigning))
                return false;
            if (Perform(CM_DIALOGCHAR, m.WParam, m.LParam) == 0)
                return false;
            m.Result = 1;
            return true;
        case WM_CAPTURECHANGED: {
            TCustomControl::WndProc(m);
            if (inMenuLoop_ && cancelOnCaptureLoss_)
                CancelMenu();
            return true;
        }
        case WM_KEYDOWN:
            if (!inMenuLoop_)
                return false;
            if (m.WParam == VK_RETURN) {
                TComponentWatch watch{this};
                MenuBarKeyDown(m);
                return !watch.Alive(this);
            }
            if (m.WParam == VK_DOWN || m.WParam == VK_ESCAPE || m.WParam == VK_LEFT ||
                m.WParam == VK_RIGHT) {
                MenuBarKeyDown(m);
                return true;
            }
            return false;
        case CM_DIALOGCHAR: {
            if (!Enabled() || !Showing())
                return false;
            for (int i = 0; i < ControlOrderCount(); ++i) {
                auto* b = dynamic_cast<TAdvCustomToolBarButton*>(ControlOrder(i));
                if (!b || !b->Visible() || !b->Enabled() ||
                    !IsAccel(static_cast<WORD>(m.WParam), b->Caption()))
                    continue;
                m.Result = 1;
                if (IsRootButton(b)) {
                    // A root button of the bar opens its menu, inside the keyboard loop.
                    if (inMenuLoop_) {
                        SetHotButton(b);
                        b->OpenRootMenu();
                    } else {
                        TrackMenuLoop(b);
                    }
                } else if (b->DropDownButton() && (b->DropDownMenu() || b->Action())) {
                    // A press on the drop-down part opens the drop-down.
                    const LPARAM at = b->Horizontal() ? MAKELPARAM(b->Width() - 2, b->Height() / 2)
                                                      : MAKELPARAM(b->Width() / 2, b->Height() - 2);
                    TComponentWatch watch{b};
                    b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, at);
                    if (watch.Alive(b))
                        b->Perform(WM_LBUTTONUP, 0, at);
                } else {
                    b->Click();
                }
                return true;
            }
            return false;
        }
        default:
            return false;
    }
}

void TAdvCustomToolBar::MenuBarForget(TComponent* component)
{
    if (component == menu_) {
        menu_ = nullptr;
    }
    if (component == mergedMenu_) {
        mergedMenu_ = nullptr;
        if (!ComponentState().Contains(csDestroying))
            UnmergeMenu();
    }
    if (component == tempMenu_) {
        tempMenu_ = nullptr;
        menuSourceItem_ = nullptr;
    }
    if (component == lastMenuButton_) {
        RestoreMenuItems(true);
        lastMenuButton_ = nullptr;
    }
    if (component == droppedButton_)
        droppedButton_ = nullptr;
    if (component == pendingMenuButton_)
        pendingMenuButton_ = nullptr;
}

// ---- merging --------------------------------------------------------------------------------

void TAdvCustomToolBar::SetMergedMenu(TMainMenu* value)
{
    if (value && menu_) {
        if (value == mergedMenu_ || mergedMenu_ == menu_)
            return;
        if (mergedMenu_)
            SetMergedMenu(nullptr);
        mergedMenu_ = value;
        MergeMenu();
        mergedMenu_->FreeNotification(this);
        return;
    }
    UnmergeMenu();
    if (mergedMenu_)
        mergedMenu_->RemoveFreeNotification(this);
    mergedMenu_ = nullptr;
}

void TAdvCustomToolBar::MergeMenu()
{
    if (!mergedMenu_)
        return;
    std::vector<TAdvCustomToolBarButton*> taken;
    for (int i = 0; i < mergedMenu_->Items()->Count(); ++i) {
        TMenuItem* item = mergedMenu_->Items()->Items(i);
        TAdvToolBarMenuButton* match = nullptr;
        if (item->GroupIndex() != 0)
            for (int c = 0; c < ControlOrderCount() && !match; ++c) {
                auto* b = dynamic_cast<TAdvToolBarMenuButton*>(ControlOrder(c));
                if (b && b->MadeFromMenu() && b->MenuItem() &&
                    b->MenuItem()->GroupIndex() == item->GroupIndex() &&
                    std::find(taken.begin(), taken.end(), b) == taken.end())
                    match = b;
            }
        if (match) {
            match->SetMenuItem(item);
            match->SetMergeMark(1);
            taken.push_back(match);
            continue;
        }
        auto* b = new TAdvToolBarMenuButton(this);
        try {
            // Added after the bar's buttons: the toolbar orders its controls by place.
            int end = 0;
            for (int c = 0; c < ControlOrderCount(); ++c)
                end = std::max(end, ControlOrder(c)->Left() + ControlOrder(c)->Width());
            b->SetLeft(end + 1);
            b->SetParent(this);
            b->SetShowCaption(true);
            b->SetMenuItem(item);
            b->SetMergeMark(1);
            b->SetAutoSize(true);
        } catch (...) {
            b->Free();
            throw;
        }
    }
}

void TAdvCustomToolBar::UnmergeMenu()
{
    FreeMenuButtons(true);
    RefreshMenuButtons();
}

} // namespace toolbar
