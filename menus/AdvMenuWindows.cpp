#include "menus/AdvMenuWindows.h"

#include "menus/AdvMenuGradients.h"
#include "menus/AdvMenuUtil.h"
#include "core/SysUtils.h"
#include "windows/Application.h"
#include "windows/Forms.h"

#include <algorithm>
#include <cctype>

namespace menus {

using namespace classlib;

namespace {

// The previous window procedure of a window the menus subclassed. Kept in a window property,
// not in GWLP_USERDATA: that slot belongs to whoever created the window.
constexpr const char* kSavedProcProperty = "BrenvikAdvMenuSavedProc";

void SaveWindowProc(HWND window, WNDPROC proc)
{
    SetPropA(window, kSavedProcProperty, reinterpret_cast<HANDLE>(proc));
}

void ForgetWindowProc(HWND window)
{
    RemovePropA(window, kSavedProcProperty);
}

WNDPROC CurrentWindowProc(HWND window)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}

void InstallWindowProc(HWND window, WNDPROC proc)
{
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
}

RECT MenuItemRect(HWND window, HMENU menu, int position)
{
    RECT r{0, 0, 0, 0};
    if (menu && position >= 0)
        GetMenuItemRect(window, menu, static_cast<UINT>(position), &r);
    return r;
}

bool IsEmpty(const RECT& r)
{
    return r.right - r.left == 0 && r.bottom - r.top == 0;
}

TAdvMainMenu* AsMainMenu(TMenu* menu)
{
    return dynamic_cast<TAdvMainMenu*>(menu);
}

} // namespace

WNDPROC SavedWindowProc(HWND window)
{
    return reinterpret_cast<WNDPROC>(GetPropA(window, kSavedProcProperty));
}

// ---- menu access ----------------------------------------------------------------------------

IAdvMenu* GetMenuIntf(TMenu* menu)
{
    return dynamic_cast<IAdvMenu*>(menu);
}

TMenu* GetItemMenu(TMenuItem* item)
{
    if (!item)
        return nullptr;
    if (item->Parent())
        return item->GetParentMenu();
    return dynamic_cast<TMenu*>(item->Owner());
}

IAdvMenu* GetItemMenuIntf(TMenuItem* item)
{
    return GetMenuIntf(GetItemMenu(item));
}

// ---- item classification --------------------------------------------------------------------

int MenuItemLevel(TMenuItem* item)
{
    int parents = 0;
    for (TMenuItem* p = item ? item->Parent() : nullptr; p; p = p->Parent())
        ++parents;
    return parents - 1;
}

bool IsMainMenuRootItem(TMenuItem* item)
{
    return item && dynamic_cast<TMainMenu*>(item->GetParentComponent());
}

bool IsMenuBarItem(TMenuItem* item)
{
    TComponent* parent = item ? item->GetParentComponent() : nullptr;
    return dynamic_cast<TMenu*>(parent) && !dynamic_cast<TAdvPopupMenu*>(parent);
}

bool IsFirstLevelItem(TMenuItem* item)
{
    if (!item)
        return false;
    TComponent* parent = item->GetParentComponent();
    if (dynamic_cast<TPopupMenu*>(parent))
        return true;
    auto* parentItem = dynamic_cast<TMenuItem*>(parent);
    return parentItem && dynamic_cast<TMainMenu*>(parentItem->GetParentComponent());
}

TMenuItem* FirstVisibleItem(TMenuItem* parent)
{
    if (parent)
        for (int i = 0; i < parent->Count(); ++i)
            if (parent->Items(i)->Visible())
                return parent->Items(i);
    return nullptr;
}

bool IsFirstVisibleItem(TMenuItem* item)
{
    return item && item->Parent() && FirstVisibleItem(item->Parent()) == item;
}

int VisibleItemIndex(TMenuItem* item)
{
    if (!item || !item->Visible() || !item->Parent())
        return -1;
    int index = -1;
    TMenuItem* parent = item->Parent();
    for (int i = 0; i <= parent->IndexOf(item); ++i)
        if (parent->Items(i)->Visible())
            ++index;
    return index;
}

bool IsInFirstVisibleSubMenu(TMenuItem* item)
{
    TMenu* menu = GetItemMenu(item);
    if (dynamic_cast<TMainMenu*>(menu))
        return item->Parent() && item->Parent() == FirstVisibleItem(menu->Items());
    return IsMenuBarItem(item);
}

bool HasColumnBreakBefore(TMenuItem* item)
{
    TMenuItem* parent = item ? item->Parent() : nullptr;
    if (!parent)
        return false;
    const int index = parent->IndexOf(item);
    for (int i = 0; i <= index; ++i) {
        TMenuItem* sibling = parent->Items(i);
        if (sibling->Visible() && sibling->Break() != mbNone)
            return true;
    }
    return false;
}

bool ShowsSideBar(TMenuItem* item)
{
    IAdvMenu* intf = GetItemMenuIntf(item);
    if (!intf)
        return false;
    TSideBar* bar = intf->GetCurrentMenuStyler()->SideBar();
    if (!bar->Visible())
        return false;
    switch (bar->VisibleIn()) {
        case viFirstVisible:
            return IsInFirstVisibleSubMenu(item);
        case viFirstLevel:
            return IsFirstLevelItem(item);
        case viAnyLevel:
            return !IsMenuBarItem(item);
    }
    return false;
}

bool SubMenuOpensRight(TMenuItem* item, HWND)
{
    if (IsMenuBarItem(item))
        return true;
    // On the NT platform the rectangles are asked without a window.
    HWND window = nullptr;
    TMenuItem* parent = item->Parent();
    if (!parent || !item->Visible())
        return true;
    RECT first = MenuItemRect(window, parent->Handle(), 0);
    for (int i = parent->IndexOf(item); i > 0 && IsEmpty(first); --i)
        first = MenuItemRect(window, parent->Handle(), 0);
    if (IsEmpty(first))
        return true;
    if (!parent->Visible() || !parent->Parent())
        return false;
    const RECT own = MenuItemRect(window, parent->Parent()->Handle(), VisibleItemIndex(parent));
    return own.left < first.left || (own.left == first.left && own.right < first.right);
}

bool IsLastMenuBarItem(TMenuItem* item)
{
    if (!IsMenuBarItem(item))
        return false;
    HWND window = MenuBarWindow(GetItemMenu(item));
    HMENU bar = window ? GetMenu(window) : nullptr;
    if (!bar)
        return false;
    for (int i = GetMenuItemCount(bar) - 1; i >= 0; --i) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        if (!GetMenuItemInfoA(bar, static_cast<UINT>(i), TRUE, &info))
            continue;
        if (info.fType & MFT_OWNERDRAW)
            return info.wID == item->Command() ||
                   (info.hSubMenu && info.hSubMenu == item->Handle());
    }
    return false;
}

RECT SubMenuBounds(TMenuItem* item, HWND window)
{
    RECT bounds{0, 0, 0, 0};
    TMenuItem* parent = item ? item->Parent() : nullptr;
    if (!parent)
        return bounds;
    HMENU menu = parent->Handle();
    for (int i = 0; i <= parent->Count(); ++i) {
        RECT r;
        if (menu && GetMenuItemRect(window, menu, static_cast<UINT>(i), &r)) {
            if (IsRectEmpty(&bounds))
                bounds = r;
            else
                UnionRect(&bounds, &bounds, &r);
        }
    }
    return bounds;
}

HWND MenuBarWindow(TMenu* menu)
{
    if (!menu)
        return nullptr;
    if (auto* form = dynamic_cast<TCustomForm*>(menu->Owner()))
        if (form->FormStyle() == fsMDIChild && form->HandleAllocated())
            return GetParent(GetParent(form->Handle()));
    return menu->WindowHandle();
}

HWND MdiClientWindow(IAdvMenu* intf)
{
    auto* menu = intf ? AsMainMenu(intf->GetMenu()) : nullptr;
    if (!menu || menu->ComponentState().Contains(csDestroying))
        return nullptr;
    auto* form = dynamic_cast<TCustomForm*>(menu->Owner());
    if (!form || !form->HandleAllocated())
        return nullptr;
    if (form->FormStyle() == fsMDIChild)
        return GetParent(form->Handle());
    if (form->FormStyle() == fsMDIForm)
        return form->ClientHandle();
    return nullptr;
}

TCustomForm* FindFormByHandle(HWND handle)
{
    for (int i = 0; i < FormCount(); ++i)
        if (Forms(i)->HandleAllocated() && Forms(i)->Handle() == handle)
            return Forms(i);
    return nullptr;
}

// ---- hooking --------------------------------------------------------------------------------

void HookMenuItem(TMenuItem* item, const THookRecord& hook)
{
    if (!item || (hook.menu && hook.menu->ComponentState().Contains(csLoading)))
        return;
    if (item->OnAdvancedDrawItem && item->OnAdvancedDrawItem == hook.draw)
        return;
    if (!item->OnMeasureItem || hook.force)
        item->OnMeasureItem = hook.measure;
    if ((!item->OnDrawItem && !item->OnAdvancedDrawItem) || hook.force)
        item->OnAdvancedDrawItem = hook.draw;
}

void HookMenuItems(TMenuItem* parent, bool recursive, const THookRecord& hook)
{
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* child = parent->Items(i);
        HookMenuItem(child, hook);
        if (recursive && child->Count() > 0)
            HookMenuItems(child, true, hook);
    }
}

void HookMenuOwnerDraw(TMenu* menu, TMenuItem* item, bool recursive, bool force,
                       const TAdvancedMenuDrawItemEvent& draw, const TMenuMeasureItemEvent& measure)
{
    const THookRecord hook{menu, force, draw, measure};
    if (item)
        HookMenuItem(item, hook);
    else
        HookMenuItems(menu->Items(), recursive, hook);
}

// ---- refresh --------------------------------------------------------------------------------

void RestoreMdiClient(HWND client)
{
    if (!client || !IsWindow(client))
        return;
    if (WNDPROC saved = SavedWindowProc(client)) {
        InstallWindowProc(client, saved);
        ForgetWindowProc(client);
    }
}

void RefreshMenu(IAdvMenu* intf, bool update, bool update2)
{
    if (!intf || !intf->GetMenu())
        return;
    if (update || update2)
        intf->UpdateItems();
    auto* menu = AsMainMenu(intf->GetMenu());
    if (!menu)
        return;
    HWND client = MdiClientWindow(intf);
    if (!client || CurrentWindowProc(client) == &MdiClientMenuWindowProc)
        return;
    if (menu->SubclassedClient())
        RestoreMdiClient(menu->SubclassedClient());
    WNDPROC previous = CurrentWindowProc(client);
    menu->SetSubclassedClient(client, previous);
    SaveWindowProc(client, previous);
    InstallWindowProc(client, &MdiClientMenuWindowProc);
}

void RefreshOwnerMenu(TMenu* menu, bool remeasure)
{
    RefreshMenu(GetMenuIntf(menu), remeasure, false);
}

// ---- menu windows ---------------------------------------------------------------------------

LRESULT CALLBACK PopupMenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC saved = SavedWindowProc(window);
    if (message == WM_ERASEBKGND)
        return 1;
    if ((message == WM_SHOWWINDOW && !wParam) || message == WM_CLOSE || message == WM_DESTROY) {
        SetWindowRgn(window, nullptr, TRUE);
        if (saved) {
            InstallWindowProc(window, saved);
            ForgetWindowProc(window);
        }
    }
    return saved ? CallWindowProcA(saved, window, message, wParam, lParam)
                 : DefWindowProcA(window, message, wParam, lParam);
}

void PrepareMenuWindow(TMenuItem* item, TCanvas* canvas)
{
    IAdvMenu* intf = GetItemMenuIntf(item);
    if (!intf)
        return;
    TMenu* menu = intf->GetMenu();
    HWND window = WindowFromDC(canvas->Handle());
    if (!window || !IsWindow(window) || window == menu->WindowHandle() || IsMenuBarItem(item))
        return;
    const int depth = MenuItemLevel(item) + (dynamic_cast<TPopupMenu*>(menu) ? 1 : 0);
    RECT bounds;
    GetWindowRect(window, &bounds);
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    if (CurrentWindowProc(window) != &PopupMenuWindowProc) {
        SaveWindowProc(window, CurrentWindowProc(window));
        InstallWindowProc(window, &PopupMenuWindowProc);
        // The 17-pixel strip at the right is cut away (measuring added it to every item).
        SetWindowRgn(window, CreateRectRgn(1, 1, width - 1 - 17, height - 1), TRUE);
        if (depth == 1) {
            SetWindowPos(window, nullptr, bounds.left - 1, bounds.top - 2, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        } else {
            const int dx = (SubMenuOpensRight(item, window) ? -17 : 17) + 3;
            SetWindowPos(window, nullptr, bounds.left + dx, bounds.top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        GetWindowRect(window, &bounds);
    }
    TCustomAdvMenuStyler* styler = intf->GetCurrentMenuStyler();
    HDC dc = GetWindowDC(window);
    if (!dc)
        return;
    {
        TCanvas frame;
        frame.SetHandle(dc);
        RECT r{1, 1, width - 1, height - 1};
        if (depth == 1)
            r.right -= 17;
        else if (SubMenuOpensRight(item, window))
            r.right -= 34;
        frame.Brush()->SetStyle(bsSolid);
        frame.Brush()->SetColor(styler->MenuBorderColor());
        frame.FrameRect(r);
        if (depth == 1 && dynamic_cast<TMainMenu*>(menu)) {
            // The drop-down's top border opens under the bar item it belongs to.
            TMenuItem* barItem = item;
            while (barItem->Parent() && barItem->Parent()->Parent())
                barItem = barItem->Parent();
            const RECT itemRect =
                MenuItemRect(MenuBarWindow(menu), menu->Handle(), VisibleItemIndex(barItem));
            if (!IsEmpty(itemRect)) {
                frame.Pen()->SetStyle(psSolid);
                frame.Pen()->SetColor(styler->Background()->Color());
                frame.MoveTo(itemRect.left - bounds.left + 1, 1);
                frame.LineTo(itemRect.right - bounds.left - 1, 1);
            }
        }
        InflateRect(&r, -1, -1);
        frame.Brush()->SetColor(styler->Background()->Color());
        frame.FrameRect(r);
        frame.SetHandle(nullptr);
    }
    ReleaseDC(window, dc);
}

// ---- MDI window list ------------------------------------------------------------------------

LRESULT CALLBACK MdiClientMenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC saved = SavedWindowProc(window);
    auto passOn = [&] {
        return saved ? CallWindowProcA(saved, window, message, wParam, lParam)
                     : DefWindowProcA(window, message, wParam, lParam);
    };
    if (message != WM_MDIREFRESHMENU)
        return passOn();
    TCustomForm* form = FindFormByHandle(GetParent(window));
    auto* menu = form ? dynamic_cast<TAdvMainMenu*>(form->Menu()) : nullptr;
    TMenuItem* windowMenu = form ? form->WindowMenu() : nullptr;
    if (!form || form->FormStyle() != fsMDIForm || !menu || !windowMenu)
        return 0;
    try {
        menu->BeginMenuUpdate();
        TMenuItem* marker = nullptr;
        std::function<void(TMenuItem*)> find = [&](TMenuItem* parent) {
            for (int i = 0; i < parent->Count() && !marker; ++i) {
                if (parent->Items(i)->ShortCut() == kWindowListMarker)
                    marker = parent->Items(i);
                else
                    find(parent->Items(i));
            }
        };
        find(menu->Items());
        if (!marker || marker->Caption() != "-") {
            marker = new TMenuItem(windowMenu);
            marker->SetCaption("-");
            marker->SetShortCut(kWindowListMarker);
            marker->SetVisible(form->MDIChildCount() > 0);
            windowMenu->Add(marker);
        } else {
            // The marker line shows only above a list (kept up to date on every rebuild).
            marker->SetVisible(form->MDIChildCount() > 0);
            const int index = windowMenu->IndexOf(marker);
            while (index >= 0 && windowMenu->Count() > index + 1)
                windowMenu->Delete(windowMenu->Count() - 1);
        }
        // Sorted by caption (letter case ignored), duplicates kept.
        std::vector<std::pair<std::string, TCustomForm*>> children;
        for (int i = 0; i < form->MDIChildCount(); ++i) {
            TCustomForm* child = form->MDIChildren(i);
            if (!child->ComponentState().Contains(csDestroying))
                children.emplace_back(child->Caption(), child);
        }
        std::stable_sort(children.begin(), children.end(), [](const auto& a, const auto& b) {
            return CompareText(a.first, b.first) < 0;
        });
        TCustomForm* active = form->ActiveMDIChild();
        int number = 0;
        for (const auto& [caption, child] : children) {
            auto* entry = new TMenuItem(windowMenu);
            entry->SetCaption(IntToStr(++number) + " " + caption);
            entry->SetTag(reinterpret_cast<intptr_t>(child->Handle()));
            entry->OnClick = TNotifyEvent(menu, &TAdvMainMenu::WindowListItemClick);
            entry->SetRadioItem(true);
            entry->SetGroupIndex(kWindowListGroup);
            entry->SetChecked(active && active->Handle() == child->Handle());
            windowMenu->Add(entry);
        }
        menu->EndMenuUpdate();
    } catch (...) {
        // A window procedure lets no exception through: the application reports it.
        menu->EndMenuUpdate();
        if (Application)
            Application->HandleException(menu);
    }
    return reinterpret_cast<LRESULT>(menu->Handle());
}

HICON GetWindowIconCopy(HWND window, bool large)
{
    const int cx = GetSystemMetrics(large ? SM_CXICON : SM_CXSMICON);
    const int cy = GetSystemMetrics(large ? SM_CYICON : SM_CYSMICON);
    WPARAM request = large ? ICON_BIG : ICON_SMALL2;
    auto icon =
        reinterpret_cast<HICON>(GetClassLongPtrA(window, large ? GCLP_HICON : GCLP_HICONSM));
    if (!icon && !large)
        icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
    if (!icon)
        icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, request, 0));
    if (!icon && !large)
        icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0));
    if (!icon)
        return nullptr;
    return static_cast<HICON>(CopyImage(icon, IMAGE_ICON, cx, cy, 0));
}

void DrawMdiChildIcon(TAdvMainMenu* menu, TMenuItem* item, const RECT& rect)
{
    if (!IsMenuBarItem(item) || rect.left <= 4)
        return;
    const int index = menu->Items()->IndexOf(item);
    if (index > 0)
        return;
    auto* form = dynamic_cast<TCustomForm*>(menu->Owner());
    if (!form || form->FormStyle() != fsMDIForm || !form->HandleAllocated())
        return;
    TCustomForm* child = form->ActiveMDIChild();
    if (!child || !child->HandleAllocated())
        return;
    HICON icon = GetWindowIconCopy(child->Handle(), false);
    if (!icon)
        return;
    TRootItem* root = menu->GetCurrentMenuStyler()->RootItem();
    HDC dc = GetWindowDC(form->Handle());
    if (dc) {
        TCanvas canvas;
        canvas.SetHandle(dc);
        const RECT area{4, rect.top, rect.left, rect.bottom};
        DrawGradientPart(
            &canvas, area, root->GradientDirection(), root->Color(),
            root->GradientDirection() == gdHorizontal ? root->Color() : root->ColorTo(), area);
        DrawIconEx(dc, rect.left - 16, rect.top + 2, icon, 16, 16, 0, nullptr, DI_NORMAL);
        canvas.SetHandle(nullptr);
        ReleaseDC(form->Handle(), dc);
    }
    // The copy is this routine's own.
    DestroyIcon(icon);
}

// ---- shortcut text --------------------------------------------------------------------------

std::string KeyNameText(WORD key)
{
    const UINT scanCode = MapVirtualKeyA(key, 0);
    LONG lParam = static_cast<LONG>(scanCode << 16);
    if (key != VK_BACK && key != VK_RETURN && key != VK_SHIFT && key != VK_CONTROL &&
        key != VK_MENU)
        lParam |= 0x1000000;
    char buffer[256] = {};
    GetKeyNameTextA(lParam, buffer, 255);
    return buffer;
}

std::string CapitalizeKeyName(const std::string& text)
{
    std::string result = text;
    for (size_t i = 1; i < result.size(); ++i)
        result[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(result[i])));
    const size_t open = result.find('(');
    if (open != std::string::npos && open + 1 < result.size())
        result[open + 1] =
            static_cast<char>(std::toupper(static_cast<unsigned char>(result[open + 1])));
    return result;
}

std::string ShortCutText(TShortCut shortCut, bool international)
{
    if (!international) {
        const std::string text = ShortCutToText(static_cast<TShortCut>(shortCut & ~0x200));
        return (shortCut & 0x200) ? "Win+" + text : text;
    }
    std::string result = CapitalizeKeyName(KeyNameText(static_cast<WORD>(shortCut & 0xFF)));
    struct Modifier {
        TShortCut bit;
        WORD key;
    };
    static constexpr Modifier modifiers[] = {
        {scShift, VK_SHIFT}, {scCtrl, VK_CONTROL}, {scAlt, VK_MENU}};
    for (const Modifier& m : modifiers)
        if (shortCut & m.bit)
            result = CapitalizeKeyName(KeyNameText(m.key)) + "+" + result;
    return result;
}

} // namespace menus
