// The office menu components: TAdvMainMenu (a form's menu bar) and TAdvPopupMenu, owner-drawn
// platform menus whose items the engine of AdvMenuDraw measures and paints from a menu styler.
// Each owns a private styler ("InternalMenuStyler") until an external one is assigned, and
// keeps every item hooked as items come and go. The main menu also rebuilds its form's MDI
// Window menu (AdvMenuWindows). At module level: the desktop's menu-animation switch.
#pragma once

#include "menus/AdvMenuStyler.h"
#include "windows/ImageLists.h"
#include "windows/Menus.h"

namespace menus {

using classlib::TCanvas;
using classlib::TComponent;
using classlib::TCustomImageList;
using classlib::TMenuItem;
using classlib::TOperation;
using classlib::TOwnerDrawState;

// What the owner-draw engine asks of an office menu.
class IAdvMenu {
public:
    virtual ~IAdvMenu() = default;
    virtual void UpdateItems() = 0;
    virtual TMenu* GetMenu() = 0;
    // The external styler (may be nullptr) and the one painting uses (never nullptr).
    virtual TCustomAdvMenuStyler* GetMenuStyler() const = 0;
    virtual TCustomAdvMenuStyler* GetCurrentMenuStyler() const = 0;
    virtual void SetMenuStyler(TCustomAdvMenuStyler* value) = 0;
    // A byte (255 at creation) that nothing in the program reads.
    virtual uint8_t GetReserved() const = 0;
    virtual void SetReserved(uint8_t value) = 0;
    virtual bool GetShowNotes() const = 0;
    virtual void SetShowNotes(bool value) = 0;
    virtual bool GetIntlKeybShortCuts() const = 0;
    virtual void SetIntlKeybShortCuts(bool value) = 0;
    virtual TCustomImageList* GetDisabledImages() const = 0;
};

// The styler bookkeeping both components share.
class TAdvMenuStylerSlot {
public:
    TAdvMenuStylerSlot(TMenu* menu, bool fullStyler) : menu_(menu), fullStyler_(fullStyler) {}
    // A new private styler owned by the menu, not bound to it.
    void CreateInternalStyler();
    void SetMenuStyler(TCustomAdvMenuStyler* value);
    // After loading: a streamed external styler replaces the private one.
    void Loaded();
    // The external styler or the disabled images went away.
    void Notification(TComponent* component, TOperation operation);
    void Destroying();

    TCustomAdvMenuStyler* external = nullptr;
    TCustomAdvMenuStyler* internal = nullptr;
    TCustomAdvMenuStyler* current = nullptr;
    uint8_t reserved = 255;
    bool showNotes = true;
    bool intlKeybShortCuts = false;
    TCustomImageList* disabledImages = nullptr;

private:
    TMenu* menu_;
    bool fullStyler_;
};

// Version number of both components: 2.5.2.4.
constexpr uint32_t kAdvMenuVersion = 0x02050204;
std::string VersionText(uint32_t version);

class TAdvMainMenu : public classlib::TMainMenu, public IAdvMenu {
    CLASSLIB_CLASS(TAdvMainMenu, classlib::TMainMenu)
    explicit TAdvMainMenu(TComponent* owner);
    ~TAdvMainMenu() override;

    TCustomAdvMenuStyler* MenuStyler() const { return slot_.external; }
    void SetMenuStyler(TCustomAdvMenuStyler* value) override;
    TCustomImageList* DisabledImages() const { return slot_.disabledImages; }
    void SetDisabledImages(TCustomImageList* value);
    bool IntlKeybShortCuts() const { return slot_.intlKeybShortCuts; }
    bool ShowNotes() const { return slot_.showNotes; }
    virtual uint32_t GetVersionNr() const { return kAdvMenuVersion; }
    std::string Version() const { return VersionText(GetVersionNr()); }
    void SetVersion(const std::string&) {}

    // Window-menu rebuild: the menu is in update mode between these (counted).
    void BeginMenuUpdate();
    void EndMenuUpdate();
    bool Updating() const { return updating_; }
    // Click of a Window-menu child entry: activates the child whose window handle is its Tag.
    void WindowListItemClick(classlib::TObject* sender);

    // The MDI client this menu subclassed and that client's previous window procedure.
    HWND SubclassedClient() const { return mdiClient_; }
    WNDPROC SubclassedClientProc() const { return mdiClientProc_; }
    void SetSubclassedClient(HWND client, WNDPROC proc)
    {
        mdiClient_ = client;
        mdiClientProc_ = proc;
    }

    // A form's window now shows the menu: the menu takes over its MDI client.
    void SetWindowHandle(HWND value) override;

    // IAdvMenu
    void UpdateItems() override { TMainMenu::UpdateItems(); }
    TMenu* GetMenu() override { return this; }
    TCustomAdvMenuStyler* GetMenuStyler() const override { return slot_.external; }
    TCustomAdvMenuStyler* GetCurrentMenuStyler() const override { return slot_.current; }
    uint8_t GetReserved() const override { return slot_.reserved; }
    void SetReserved(uint8_t value) override { slot_.reserved = value; }
    bool GetShowNotes() const override { return slot_.showNotes; }
    void SetShowNotes(bool value) override { slot_.showNotes = value; }
    bool GetIntlKeybShortCuts() const override { return slot_.intlKeybShortCuts; }
    void SetIntlKeybShortCuts(bool value) override { slot_.intlKeybShortCuts = value; }
    TCustomImageList* GetDisabledImages() const override { return slot_.disabledImages; }

    // The item handlers the hooking installs.
    void MeasureItemHandler(classlib::TObject* sender, TCanvas* canvas, int& width, int& height);
    void DrawItemHandler(classlib::TObject* sender, TCanvas* canvas, RECT rect,
                         TOwnerDrawState state);

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void MenuChanged(classlib::TObject* sender, TMenuItem* source, bool rebuild) override;

private:
    void StylerFontChanged(classlib::TObject* sender);
    void HookAll();

    TAdvMenuStylerSlot slot_;
    bool updating_ = false;
    int updateCount_ = 0;
    HWND mdiClient_ = nullptr;
    WNDPROC mdiClientProc_ = nullptr;
};

class TAdvPopupMenu : public classlib::TPopupMenu, public IAdvMenu {
    CLASSLIB_CLASS(TAdvPopupMenu, classlib::TPopupMenu)
    explicit TAdvPopupMenu(TComponent* owner);
    ~TAdvPopupMenu() override;

    TCustomAdvMenuStyler* MenuStyler() const { return slot_.external; }
    void SetMenuStyler(TCustomAdvMenuStyler* value) override;
    TCustomImageList* DisabledImages() const { return slot_.disabledImages; }
    void SetDisabledImages(TCustomImageList* value);
    bool IntlKeybShortCuts() const { return slot_.intlKeybShortCuts; }
    bool ShowNotes() const { return slot_.showNotes; }
    virtual uint32_t GetVersionNr() const { return kAdvMenuVersion; }
    std::string Version() const { return VersionText(GetVersionNr()); }
    void SetVersion(const std::string&) {}

    // Corrects X for the 17-pixel strip the drop-down hides at its right, then pops up.
    void Popup(int x, int y) override;
    virtual void PopupAtPoint(POINT point) { Popup(point.x, point.y); }
    // The X the platform pop-up gets for a pop-up at `x` (first item `firstItemWidth` wide).
    static int CorrectedPopupX(int x, int firstItemWidth, classlib::TPopupAlignment alignment,
                               int desktopWidth);

    // IAdvMenu
    void UpdateItems() override { TPopupMenu::UpdateItems(); }
    TMenu* GetMenu() override { return this; }
    TCustomAdvMenuStyler* GetMenuStyler() const override { return slot_.external; }
    TCustomAdvMenuStyler* GetCurrentMenuStyler() const override { return slot_.current; }
    uint8_t GetReserved() const override { return slot_.reserved; }
    void SetReserved(uint8_t value) override { slot_.reserved = value; }
    bool GetShowNotes() const override { return slot_.showNotes; }
    void SetShowNotes(bool value) override { slot_.showNotes = value; }
    bool GetIntlKeybShortCuts() const override { return slot_.intlKeybShortCuts; }
    void SetIntlKeybShortCuts(bool value) override { slot_.intlKeybShortCuts = value; }
    TCustomImageList* GetDisabledImages() const override { return slot_.disabledImages; }

    void MeasureItemHandler(classlib::TObject* sender, TCanvas* canvas, int& width, int& height);
    void DrawItemHandler(classlib::TObject* sender, TCanvas* canvas, RECT rect,
                         TOwnerDrawState state);

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void MenuChanged(classlib::TObject* sender, TMenuItem* source, bool rebuild) override;

private:
    void Hook(TMenuItem* item, bool recursive);
    TAdvMenuStylerSlot slot_;
};

// The desktop's menu animation: switched off at start-up, and at shut-down set back to what it
// was, but only when this process switched it off (another instance that found it off already
// leaves it alone). The shut-down also runs when the program ends through an unhandled
// exception or exit().
void DisableMenuAnimation();
void RestoreMenuAnimation();

// Module start-up and shut-down (counted).
void AdvMenusInitialize();
void AdvMenusFinalize();

void RegisterAdvMenuClasses();

} // namespace menus
