#pragma once
// Menus: TMenuItem (a caption with accelerator and shortcut, check and radio state, sub-items,
// owner drawing), TMainMenu (a form's menu bar, merged with another menu by group index) and
// TPopupMenu (shown at a point or when its control is right-clicked).
//
// Each item that has sub-items (and each menu's root item) owns a platform menu handle that
// holds the visible sub-items; a change of an item rebuilds its parent's entries. Every item
// gets a command number unique in the program, so WM_COMMAND, WM_INITMENUPOPUP, WM_MENUSELECT,
// WM_MENUCHAR, WM_MEASUREITEM and WM_DRAWITEM find their item wherever the menu is shown
// (DispatchMenuMessage; forms and the hidden window that pop-up menus use call it).
#include "core/Component.h"
#include "core/Events.h"
#include "windows/Controls.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace classlib {

class TBitmap;
class TCanvas;
class TCustomImageList;
class TMenu;
class TMenuActionLink;

// A shortcut: a virtual key in the low byte plus the modifier bits below.
using TShortCut = WORD;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

TShortCut ShortCut(WORD key, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, WORD& key, TShiftState& shift);
// "Ctrl+Shift+F5", "Alt+X", "Del"; empty for scNone.
std::string ShortCutToText(TShortCut shortCut);
// The reverse of ShortCutToText (case-insensitive); scNone for a text it does not know.
TShortCut TextToShortCut(const std::string& text);

enum TMenuBreak { mbNone, mbBreak, mbBarBreak };
enum TPopupAlignment { paLeft, paRight, paCenter };
enum TTrackButton { tbRightButton, tbLeftButton };
CLASSLIB_ENUM(TMenuBreak);
CLASSLIB_ENUM(TPopupAlignment);
CLASSLIB_ENUM(TTrackButton);

using TMenuDrawItemEvent =
    TEvent<void(TObject* Sender, TCanvas* ACanvas, RECT ARect, bool Selected)>;
using TAdvancedMenuDrawItemEvent =
    TEvent<void(TObject* Sender, TCanvas* ACanvas, RECT ARect, TOwnerDrawState State)>;
using TMenuMeasureItemEvent =
    TEvent<void(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)>;
using TMenuChangeEvent = TEvent<void(TObject* Sender, class TMenuItem* Source, bool Rebuild)>;

// Raised for a misuse of the item tree (inserting an item twice, an index out of range).
CLASSLIB_DECLARE_EXCEPTION(EMenuError, Exception);

class TMenuItem : public TComponent {
    CLASSLIB_CLASS(TMenuItem, TComponent)
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    // ---- the tree ----
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const;
    TMenuItem* Parent() const { return parent_; }
    // The item's place among its parent's items; setting it moves the item.
    int MenuIndex() const;
    void SetMenuIndex(int value);
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    // Takes the item out of this item's list (it is not freed).
    void Remove(TMenuItem* item);
    // Frees the sub-item at `index`.
    void Delete(int index);
    // Frees every sub-item.
    void Clear();
    int IndexOf(const TMenuItem* item) const;
    // The sub-item whose caption without '&' equals `caption` (case-insensitive), or nullptr.
    TMenuItem* Find(const std::string& caption) const;
    // The menu this item belongs to (through its parents), or nullptr.
    TMenu* GetParentMenu() const;

    // ---- what it shows ----
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    bool IsLine() const { return caption_ == "-"; }
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut value);
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    // A radio item is drawn with a bullet; checking one unchecks the radio items of its group.
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool value);
    // Radio group among siblings; for root items of a main menu also the merge group.
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value);
    // Clicking the item toggles Checked first.
    bool AutoCheck() const { return autoCheck_; }
    void SetAutoCheck(bool value) { autoCheck_ = value; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    // Shown in bold; the item a double click on the owning window's icon would choose.
    bool Default() const { return default_; }
    void SetDefault(bool value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    // A picture beside the caption when the menu has no image for the item (created on
    // first use; HasBitmap tells whether it exists).
    TBitmap* Bitmap();
    void SetBitmap(TBitmap* value);
    bool HasBitmap() const { return bitmap_ != nullptr; }
    TMenuBreak Break() const { return break_; }
    void SetBreak(TMenuBreak value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value) { hint_ = value; }
    TBasicAction* Action() const;
    void SetAction(TBasicAction* value);

    // ---- the platform menu ----
    // The command number in WM_COMMAND (unique in the program, given at creation).
    UINT Command() const { return command_; }
    // The sub-menu handle of an item with sub-items (created on demand), else nullptr.
    HMENU Handle();
    // Whether the item is drawn by the program (the menu's OwnerDraw, an image, or a handler).
    bool IsOwnerDraw() const;

    // Runs the action or OnClick (AutoCheck toggles first).
    virtual void Click();
    TNotifyEvent OnClick;
    TMenuDrawItemEvent OnDrawItem;
    TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;
    TMenuMeasureItemEvent OnMeasureItem;

    // Owner drawing: the handlers when assigned, else the library's own look (highlight,
    // check mark, image from the menu's Images, caption and shortcut).
    virtual void MeasureItem(TCanvas* canvas, int& width, int& height);
    virtual void AdvancedDrawItem(TCanvas* canvas, RECT rect, TOwnerDrawState state, bool topLevel);

    // TComponent
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* value) override;
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;

    // Finds an item by command number or sub-menu handle anywhere in the program.
    static TMenuItem* FindByCommand(UINT command);
    static TMenuItem* FindByHandle(HMENU menu);

protected:
    friend class TMenu;
    friend class TMainMenu;
    friend class TMenuActionLink;
    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override;
    // Something shown changed: the parent's entries are rebuilt and the menu told.
    void MenuChanged(bool rebuild);
    // Puts the visible sub-items (or `entries` when given) into Handle().
    void RebuildHandle(const std::vector<TMenuItem*>* entries = nullptr);
    void AppendTo(HMENU menu, UINT position);
    void TurnSiblingsOff();
    void DrawDefault(TCanvas* canvas, RECT rect, TOwnerDrawState state, bool topLevel);
    virtual void ActionChange(TBasicAction* sender, bool checkDefaults);

    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr; // set on a menu's root item
    HMENU handle_ = nullptr;
    UINT command_ = 0;
    std::string caption_;
    TShortCut shortCut_ = scNone;
    bool checked_ = false;
    bool radioItem_ = false;
    int groupIndex_ = 0;
    bool autoCheck_ = false;
    bool enabled_ = true;
    bool visible_ = true;
    bool default_ = false;
    int imageIndex_ = -1;
    TMenuBreak break_ = mbNone;
    std::string hint_;
    TMenuActionLink* actionLink_ = nullptr;
    TBitmap* bitmap_ = nullptr;
};

class TMenu : public TComponent {
    CLASSLIB_CLASS(TMenu, TComponent)
    explicit TMenu(TComponent* owner);
    ~TMenu() override;

    // The root item; its sub-items are the menu's entries.
    TMenuItem* Items() const { return items_; }
    // The platform menu handle (created on demand).
    virtual HMENU Handle();
    // The window that receives the menu's messages (a form for a main menu).
    HWND WindowHandle() const { return windowHandle_; }
    virtual void SetWindowHandle(HWND value) { windowHandle_ = value; }
    // Draw every item with the program (MeasureItem/AdvancedDrawItem of the items).
    bool OwnerDraw() const { return ownerDraw_; }
    void SetOwnerDraw(bool value);
    // Images drawn beside the items (by ImageIndex); a reference, cleared when freed.
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* value);
    TBiDiMode BiDiMode() const { return bidiMode_; }
    void SetBiDiMode(TBiDiMode value);
    // Rebuilds every platform entry (after images or fonts changed).
    void UpdateItems();

    // The item of a command number or sub-menu handle in this menu.
    TMenuItem* FindItem(UINT value, bool byHandle) const;
    // Runs the item of a command number; false when it is not in this menu.
    bool DispatchCommand(UINT command);
    // The sub-menu `menu` opens: its item is clicked (so that it can prepare its sub-items).
    bool DispatchPopup(HMENU menu);
    // Runs the enabled item whose shortcut matches a key message (WM_KEYDOWN/WM_SYSKEYDOWN).
    bool IsShortCut(const TMessage& message);

    TMenuChangeEvent OnChange;

protected:
    friend class TMenuItem;
    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override;
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;
    // An item changed; `source` is the item, nullptr for the whole menu.
    virtual void MenuChanged(TObject* sender, TMenuItem* source, bool rebuild);
    // The menu bar of the window is redrawn after a change.
    virtual void RefreshWindow() {}
    virtual HMENU CreateMenuHandle() = 0;

    TMenuItem* items_;
    HWND windowHandle_ = nullptr;
    bool ownerDraw_ = false;
    TCustomImageList* images_ = nullptr;
    TBiDiMode bidiMode_ = bdLeftToRight;
};

class TMainMenu : public TMenu {
    CLASSLIB_CLASS(TMainMenu, TMenu)
    explicit TMainMenu(TComponent* owner) : TMenu(owner) {}
    ~TMainMenu() override;
    // Shows the root items of `menu` in this menu bar: an item of `menu` replaces this menu's
    // items of the same GroupIndex, and takes its place in ascending GroupIndex order.
    void Merge(TMainMenu* menu);
    void Unmerge(TMainMenu* menu);
    TMainMenu* Merged() const { return merged_; }
    // The root items as the bar shows them (merged).
    std::vector<TMenuItem*> BarItems() const;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void RefreshWindow() override;
    HMENU CreateMenuHandle() override { return CreateMenu(); }
    TMainMenu* merged_ = nullptr;
    TMainMenu* mergedInto_ = nullptr;
};

class TPopupMenu : public TMenu {
    CLASSLIB_CLASS(TPopupMenu, TMenu)
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;
    // Shows the menu at a screen point until an item is chosen or the menu is dismissed
    // (OnPopup first); the chosen item's OnClick runs from the message loop afterwards.
    virtual void Popup(int x, int y);
    TPopupAlignment Alignment() const { return alignment_; }
    void SetAlignment(TPopupAlignment value) { alignment_ = value; }
    // Shown by a right click on a control whose PopupMenu it is.
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool value) { autoPopup_ = value; }
    TTrackButton TrackButton() const { return trackButton_; }
    void SetTrackButton(TTrackButton value) { trackButton_ = value; }
    // The control that was right-clicked, or the one set before Popup.
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* value);
    POINT PopupPoint() const { return popupPoint_; }
    TNotifyEvent OnPopup;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    virtual void DoPopup(TObject* sender);
    // The platform flags TrackPopupMenu gets for Alignment and TrackButton.
    UINT TrackFlags() const;
    HMENU CreateMenuHandle() override { return CreatePopupMenu(); }

    TPopupAlignment alignment_ = paLeft;
    bool autoPopup_ = true;
    TTrackButton trackButton_ = tbRightButton;
    TComponent* popupComponent_ = nullptr;
    POINT popupPoint_{};
};

// Hands a menu message (WM_COMMAND from a menu, WM_INITMENUPOPUP, WM_MENUSELECT, WM_MENUCHAR,
// WM_MEASUREITEM and WM_DRAWITEM of menu items) to the item it is about; true when one took it.
bool DispatchMenuMessage(TMessage& message);
// The hidden window that owns the program's pop-up menus while they are shown. It measures
// owner-drawn items for WM_MEASUREITEM by item id (command) like the menus' owner forms do.
HWND PopupListWindow();
// Listeners of the WM_MENUSELECT messages the pop-up list window receives, called before the
// items handle them. The closing WM_MENUSELECT (flags 0xFFFF, no menu) reaches only the
// menu's owner window, never a message-filter hook: this is where a pop-up menu's end is
// seen. A listener may remove itself (or others) while it runs.
using TMenuSelectListener = std::function<void(const TMessage& message)>;
int AddMenuSelectListener(TMenuSelectListener listener);
void RemoveMenuSelectListener(int id);

void RegisterMenuClasses();

} // namespace classlib
