#include "menus/AdvMenus.h"

#include "core/SysUtils.h"
#include "menus/AdvMenuDraw.h"
#include "menus/AdvMenuUtil.h"
#include "menus/AdvMenuWindows.h"
#include "windows/Forms.h"

#include <cstdlib>
#include <exception>

namespace menus {

using namespace classlib;

std::string VersionText(uint32_t version)
{
    return Format("%d.%d.%d.%d",
                  {static_cast<int>(version >> 24), static_cast<int>((version >> 16) & 0xFF),
                   static_cast<int>((version >> 8) & 0xFF), static_cast<int>(version & 0xFF)});
}

// ---- styler bookkeeping ---------------------------------------------------------------------

void TAdvMenuStylerSlot::CreateInternalStyler()
{
    external = nullptr;
    internal = fullStyler_ ? new TAdvMenuStyler(menu_) : new TCustomAdvMenuStyler(menu_);
    internal->SetName("InternalMenuStyler");
    internal->SetSubComponent(true);
    current = internal;
}

void TAdvMenuStylerSlot::SetMenuStyler(TCustomAdvMenuStyler* value)
{
    if (value == external)
        return;
    if (external && external != internal) {
        external->RemoveFreeNotification(menu_);
        // The old styler lets go of this menu: it would otherwise refresh it after it is gone.
        if (external->Menu() == menu_)
            external->BindMenu(nullptr);
    }
    if (value) {
        if (internal && !menu_->ComponentState().Contains(csLoading)) {
            internal->Free();
            internal = nullptr;
        }
        external = value;
        current = value;
        value->FreeNotification(menu_);
    } else {
        CreateInternalStyler();
    }
    current->BindMenu(menu_);
}

void TAdvMenuStylerSlot::Loaded()
{
    if (internal && internal != current) {
        internal->Free();
        internal = nullptr;
    }
}

void TAdvMenuStylerSlot::Notification(TComponent* component, TOperation operation)
{
    if (operation != opRemove || !component)
        return;
    if (component == disabledImages)
        disabledImages = nullptr;
    if (component != external || external == internal)
        return;
    // The external styler is going: forget it (also while the menu itself goes, as when both
    // belong to one form) and paint with a private one again.
    external = nullptr;
    current = internal;
    if (!current && !menu_->ComponentState().Contains(csDestroying))
        CreateInternalStyler();
}

void TAdvMenuStylerSlot::Destroying()
{
    if (external && external != internal) {
        external->RemoveFreeNotification(menu_);
        if (external->Menu() == menu_)
            external->BindMenu(nullptr);
    }
    external = nullptr;
    if (internal) {
        internal->Free();
        internal = nullptr;
    }
    current = nullptr;
}

// ---- TAdvMainMenu ---------------------------------------------------------------------------

CLASSLIB_PUBLISH(TAdvMainMenu)
{
    c.Property("DisabledImages", &TAdvMainMenu::DisabledImages, &TAdvMainMenu::SetDisabledImages);
    c.Property("MenuStyler", &TAdvMainMenu::MenuStyler, &TAdvMainMenu::SetMenuStyler);
    c.Property("IntlKeybShortCuts", &TAdvMainMenu::IntlKeybShortCuts,
               &TAdvMainMenu::SetIntlKeybShortCuts)
        .SetDefault(false);
    c.Property("ShowNotes", &TAdvMainMenu::ShowNotes, &TAdvMainMenu::SetShowNotes).SetDefault(true);
    c.Property("Version", &TAdvMainMenu::Version, &TAdvMainMenu::SetVersion).Stored(false);
}

TAdvMainMenu::TAdvMainMenu(TComponent* owner) : TMainMenu(owner), slot_(this, true)
{
    RegisterAdvMenuClasses();
    SetOwnerDraw(true);
    slot_.CreateInternalStyler();
}

TAdvMainMenu::~TAdvMainMenu()
{
    RestoreMdiClient(mdiClient_);
    mdiClient_ = nullptr;
    mdiClientProc_ = nullptr;
    slot_.Destroying();
}

void TAdvMainMenu::SetMenuStyler(TCustomAdvMenuStyler* value)
{
    slot_.SetMenuStyler(value);
    slot_.current->Font()->OnChange = TNotifyEvent(this, &TAdvMainMenu::StylerFontChanged);
}

void TAdvMainMenu::SetWindowHandle(HWND value)
{
    TMainMenu::SetWindowHandle(value);
    if (value)
        RefreshMenu(this, false, false);
}

void TAdvMainMenu::StylerFontChanged(TObject*)
{
    RefreshMenu(this, false, false);
}

void TAdvMainMenu::SetDisabledImages(TCustomImageList* value)
{
    slot_.disabledImages = value;
    if (value)
        value->FreeNotification(this);
}

void TAdvMainMenu::HookAll()
{
    HookMenuOwnerDraw(this, nullptr, true, true,
                      TAdvancedMenuDrawItemEvent(this, &TAdvMainMenu::DrawItemHandler),
                      TMenuMeasureItemEvent(this, &TAdvMainMenu::MeasureItemHandler));
}

void TAdvMainMenu::Loaded()
{
    TMainMenu::Loaded();
    SetOwnerDraw(true);
    HookAll();
    slot_.Loaded();
    if (Items()->Count() > 0) {
        // The bar is rebuilt with owner-drawn entries.
        Items()->Items(0)->SetVisible(false);
        Items()->Items(0)->SetVisible(true);
    }
    RefreshMenu(this, false, false);
}

void TAdvMainMenu::Notification(TComponent* component, TOperation operation)
{
    TMainMenu::Notification(component, operation);
    slot_.Notification(component, operation);
}

void TAdvMainMenu::MenuChanged(TObject* sender, TMenuItem* source, bool)
{
    if (updating_)
        HookMenuOwnerDraw(this, source, false, true,
                          TAdvancedMenuDrawItemEvent(this, &TAdvMainMenu::DrawItemHandler),
                          TMenuMeasureItemEvent(this, &TAdvMainMenu::MeasureItemHandler));
    else
        RefreshMenu(this, false, false);
    TMainMenu::MenuChanged(sender, source, true);
}

void TAdvMainMenu::BeginMenuUpdate()
{
    updating_ = true;
    ++updateCount_;
}

void TAdvMainMenu::EndMenuUpdate()
{
    if (updateCount_ > 0)
        --updateCount_;
    if (updateCount_ == 0) {
        HookAll();
        if (WindowHandle())
            DrawMenuBar(WindowHandle());
        updating_ = false;
    }
}

void TAdvMainMenu::WindowListItemClick(TObject* sender)
{
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item || item->Tag() == 0)
        return;
    HWND client = MdiClientWindow(this);
    if (!client)
        return;
    if (SendMessageA(client, WM_MDIACTIVATE, static_cast<WPARAM>(item->Tag()), 0) == 0)
        item->SetChecked(true);
}

void TAdvMainMenu::MeasureItemHandler(TObject* sender, TCanvas* canvas, int& width, int& height)
{
    auto* item = static_cast<TMenuItem*>(sender);
    MeasureAdvMenuItem(item, canvas, width, height, ShowsSideBar(item));
}

void TAdvMainMenu::DrawItemHandler(TObject* sender, TCanvas* canvas, RECT rect,
                                   TOwnerDrawState state)
{
    auto* item = static_cast<TMenuItem*>(sender);
    if (!IsMenuBarItem(item))
        rect.right -= kHiddenStrip;
    DrawMdiChildIcon(this, item, rect);
    DrawAdvMenuItem(item, canvas, rect, ShowsSideBar(item), state);
}

// ---- TAdvPopupMenu --------------------------------------------------------------------------

CLASSLIB_PUBLISH(TAdvPopupMenu)
{
    c.Property("DisabledImages", &TAdvPopupMenu::DisabledImages, &TAdvPopupMenu::SetDisabledImages);
    c.Property("MenuStyler", &TAdvPopupMenu::MenuStyler, &TAdvPopupMenu::SetMenuStyler);
    c.Property("IntlKeybShortCuts", &TAdvPopupMenu::IntlKeybShortCuts,
               &TAdvPopupMenu::SetIntlKeybShortCuts)
        .SetDefault(false);
    c.Property("ShowNotes", &TAdvPopupMenu::ShowNotes, &TAdvPopupMenu::SetShowNotes)
        .SetDefault(true);
    c.Property("Version", &TAdvPopupMenu::Version, &TAdvPopupMenu::SetVersion).Stored(false);
}

TAdvPopupMenu::TAdvPopupMenu(TComponent* owner) : TPopupMenu(owner), slot_(this, false)
{
    RegisterAdvMenuClasses();
    SetOwnerDraw(true);
    slot_.CreateInternalStyler();
}

TAdvPopupMenu::~TAdvPopupMenu()
{
    slot_.Destroying();
}

void TAdvPopupMenu::SetMenuStyler(TCustomAdvMenuStyler* value)
{
    slot_.SetMenuStyler(value);
}

void TAdvPopupMenu::SetDisabledImages(TCustomImageList* value)
{
    slot_.disabledImages = value;
    if (value)
        value->FreeNotification(this);
}

void TAdvPopupMenu::Hook(TMenuItem* item, bool recursive)
{
    HookMenuOwnerDraw(this, item, recursive, true,
                      TAdvancedMenuDrawItemEvent(this, &TAdvPopupMenu::DrawItemHandler),
                      TMenuMeasureItemEvent(this, &TAdvPopupMenu::MeasureItemHandler));
}

void TAdvPopupMenu::Loaded()
{
    TPopupMenu::Loaded();
    SetOwnerDraw(true);
    Hook(nullptr, true);
    slot_.Loaded();
}

void TAdvPopupMenu::Notification(TComponent* component, TOperation operation)
{
    TPopupMenu::Notification(component, operation);
    slot_.Notification(component, operation);
}

void TAdvPopupMenu::MenuChanged(TObject* sender, TMenuItem* source, bool rebuild)
{
    Hook(source, false);
    TPopupMenu::MenuChanged(sender, source, rebuild);
}

int TAdvPopupMenu::CorrectedPopupX(int x, int firstItemWidth, TPopupAlignment alignment,
                                   int desktopWidth)
{
    const bool leftTight = x - firstItemWidth - 34 < 0;
    const bool rightTight = x + firstItemWidth + 51 >= desktopWidth;
    if ((alignment == paRight && !leftTight) || (alignment == paLeft && rightTight))
        x += kHiddenStrip;
    else if (alignment == paCenter)
        x += 8;
    return std::min(x, desktopWidth - 1);
}

void TAdvPopupMenu::Popup(int x, int y)
{
    if (Items()->Count() == 0)
        return;
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = Items()->Items(0)->Command();
    measure.itemWidth = 10;
    measure.itemHeight = 10;
    SendMessageA(PopupListWindow(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    x = CorrectedPopupX(x, static_cast<int>(measure.itemWidth), Alignment(),
                        GetSystemMetrics(SM_CXSCREEN));
    TPopupMenu::Popup(x, y);
}

void TAdvPopupMenu::MeasureItemHandler(TObject* sender, TCanvas* canvas, int& width, int& height)
{
    auto* item = static_cast<TMenuItem*>(sender);
    MeasureAdvMenuItem(item, canvas, width, height, ShowsSideBar(item));
}

void TAdvPopupMenu::DrawItemHandler(TObject* sender, TCanvas* canvas, RECT rect,
                                    TOwnerDrawState state)
{
    auto* item = static_cast<TMenuItem*>(sender);
    rect.right -= kHiddenStrip;
    DrawAdvMenuItem(item, canvas, rect, ShowsSideBar(item), state);
}

// ---- the desktop's menu animation -----------------------------------------------------------

namespace {

BOOL savedAnimation = FALSE;
bool switchedOff = false;
int menusStartCount = 0;
std::terminate_handler previousTerminate = nullptr;

[[noreturn]] void RestoreThenTerminate()
{
    RestoreMenuAnimation();
    if (previousTerminate)
        previousTerminate();
    std::abort();
}

void RestoreAtExit()
{
    RestoreMenuAnimation();
}

} // namespace

void DisableMenuAnimation()
{
    savedAnimation = FALSE;
    SystemParametersInfoA(SPI_GETMENUANIMATION, 0, &savedAnimation, 0);
    // A desktop that has it off already (the user's choice, or another instance of the program
    // that will put it back) is left alone, and so is not restored by this process either.
    if (!savedAnimation)
        return;
    SystemParametersInfoA(SPI_SETMENUANIMATION, 0,
                          reinterpret_cast<PVOID>(static_cast<UINT_PTR>(FALSE)), SPIF_SENDCHANGE);
    switchedOff = true;
}

void RestoreMenuAnimation()
{
    if (!switchedOff)
        return;
    switchedOff = false;
    SystemParametersInfoA(SPI_SETMENUANIMATION, 0,
                          reinterpret_cast<PVOID>(static_cast<UINT_PTR>(savedAnimation)),
                          SPIF_SENDCHANGE);
}

void AdvMenusInitialize()
{
    if (menusStartCount++ != 0)
        return;
    DisableMenuAnimation();
    // The setting is put back however the process ends: orderly shut-down, exit(), or an
    // exception nobody handled.
    static bool exitHookInstalled = false;
    if (!exitHookInstalled) {
        exitHookInstalled = true;
        std::atexit(&RestoreAtExit);
    }
    previousTerminate = std::set_terminate(&RestoreThenTerminate);
}

void AdvMenusFinalize()
{
    if (menusStartCount == 0 || --menusStartCount != 0)
        return;
    RestoreMenuAnimation();
    std::set_terminate(previousTerminate);
    previousTerminate = nullptr;
}

void RegisterAdvMenuClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterMenuStylerClasses();
    RegisterClasses({&TAdvMainMenu::StaticClass(), &TAdvPopupMenu::StaticClass()});
}

} // namespace menus
