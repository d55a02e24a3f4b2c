#include "windows/Menus.h"

#include "core/SysUtils.h"
#include "core/TypeInfo.h"
#include "windows/ActnList.h"
#include "windows/Application.h"
#include "windows/Graphics.h"
#include "windows/ImageLists.h"
#include "windows/Images.h"
#include "windows/Screen.h"
#include "windows/WindowProcs.h"

#include <algorithm>
#include <unordered_map>

namespace classlib {

CLASSLIB_DEFINE_ENUM(TMenuBreak, "mbNone", "mbBreak", "mbBarBreak")
CLASSLIB_DEFINE_ENUM(TPopupAlignment, "paLeft", "paRight", "paCenter")
CLASSLIB_DEFINE_ENUM(TTrackButton, "tbRightButton", "tbLeftButton")

// ---- shortcuts ------------------------------------------------------------------------------

namespace {

struct KeyName {
    WORD key;
    const char* name;
};

// Names of the keys that are not a letter, a digit or a function key.
constexpr KeyName keyNames[] = {
    {VK_BACK, "BkSp"},   {VK_TAB, "Tab"},    {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},    {VK_END, "End"},
    {VK_HOME, "Home"},   {VK_LEFT, "Left"},  {VK_UP, "Up"},        {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},   {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};

struct ModifierName {
    TShortCut bit;
    const char* prefix;
};
// In the order the text shows them.
constexpr ModifierName modifierNames[] = {{scShift, "Shift+"}, {scCtrl, "Ctrl+"}, {scAlt, "Alt+"}};

std::string KeyText(WORD key)
{
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F24)
        return "F" + std::to_string(key - VK_F1 + 1);
    for (const KeyName& k : keyNames)
        if (k.key == key)
            return k.name;
    return {};
}

} // namespace

TShortCut ShortCut(WORD key, TShiftState shift)
{
    if (key & 0xFF00)
        return scNone;
    TShortCut result = key;
    if (shift.Contains(ssShift))
        result |= scShift;
    if (shift.Contains(ssCtrl))
        result |= scCtrl;
    if (shift.Contains(ssAlt))
        result |= scAlt;
    return result;
}

void ShortCutToKey(TShortCut shortCut, WORD& key, TShiftState& shift)
{
    key = shortCut & 0xFF;
    shift = {};
    if (shortCut & scShift)
        shift.Include(ssShift);
    if (shortCut & scCtrl)
        shift.Include(ssCtrl);
    if (shortCut & scAlt)
        shift.Include(ssAlt);
}

std::string ShortCutToText(TShortCut shortCut)
{
    const std::string key = KeyText(shortCut & 0xFF);
    if (key.empty())
        return {};
    std::string result;
    for (const ModifierName& m : modifierNames)
        if (shortCut & m.bit)
            result += m.prefix;
    return result + key;
}

TShortCut TextToShortCut(const std::string& text)
{
    std::string rest = text;
    TShortCut modifiers = 0;
    for (bool found = true; found;) {
        found = false;
        for (const ModifierName& m : modifierNames) {
            const size_t n = std::string(m.prefix).size();
            if (rest.size() > n && SameText(rest.substr(0, n), m.prefix)) {
                modifiers |= m.bit;
                rest.erase(0, n);
                found = true;
            }
        }
    }
    for (WORD key = 1; key < 0x100; ++key) {
        const std::string name = KeyText(key);
        if (!name.empty() && SameText(name, rest))
            return static_cast<TShortCut>(key | modifiers);
    }
    return scNone;
}

// ---- item registry --------------------------------------------------------------------------

namespace {

std::unordered_map<UINT, TMenuItem*>& ItemsByCommand()
{
    static std::unordered_map<UINT, TMenuItem*> items;
    return items;
}

// Command numbers are 16 bits in WM_COMMAND; numbers below 0x100 are left to dialogs.
UINT NewCommand(TMenuItem* item)
{
    static UINT next = 0x100;
    auto& items = ItemsByCommand();
    if (items.size() >= 0xFF00)
        throw EMenuError("Too many menu items");
    while (items.count(next))
        next = next >= 0xFFFF ? 0x100 : next + 1;
    const UINT command = next;
    items[command] = item;
    next = next >= 0xFFFF ? 0x100 : next + 1;
    return command;
}

std::string StripHotkey(const std::string& caption)
{
    std::string result;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i;
        result += caption[i];
    }
    return result;
}

TFont* MenuFont()
{
    return Screen->MenuFont();
}

} // namespace

// ---- TMenuItem ------------------------------------------------------------------------------

// Copies an action's caption, checked, enabled, visible, hint and image state to a menu item.
class TMenuActionLink : public TActionLink {
public:
    explicit TMenuActionLink(TMenuItem* item) : item_(item) {}
    void ActionChanged() override { item_->ActionChange(action_, false); }
    bool IsOnExecuteLinked() const { return action_ && item_->OnClick == action_->OnExecute; }

private:
    TMenuItem* item_;
};

CLASSLIB_PUBLISH(TMenuItem)
{
    c.Property("Action", &TMenuItem::Action, &TMenuItem::SetAction);
    c.Property("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck).SetDefault(false);
    c.Property("Break", &TMenuItem::Break, &TMenuItem::SetBreak).SetDefault(mbNone);
    c.Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
    c.Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked).SetDefault(false);
    c.Property("Default", &TMenuItem::Default, &TMenuItem::SetDefault).SetDefault(false);
    c.Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled).SetDefault(true);
    c.Property("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex).SetDefault(0);
    c.Property("Hint", &TMenuItem::Hint, &TMenuItem::SetHint);
    c.Property("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex).SetDefault(-1);
    c.Property("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem).SetDefault(false);
    c.Property("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut).SetDefault(0);
    c.Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible).SetDefault(true);
    c.Property("OnClick", &TMenuItem::OnClick);
    c.Property("OnDrawItem", &TMenuItem::OnDrawItem);
    c.Property("OnAdvancedDrawItem", &TMenuItem::OnAdvancedDrawItem);
    c.Property("OnMeasureItem", &TMenuItem::OnMeasureItem);
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner)
{
    command_ = NewCommand(this);
}

TMenuItem::~TMenuItem()
{
    while (!items_.empty())
        delete items_.back();
    if (parent_)
        parent_->Remove(this);
    delete actionLink_;
    actionLink_ = nullptr;
    delete bitmap_;
    if (handle_)
        DestroyMenu(handle_);
    ItemsByCommand().erase(command_);
}

TMenuItem* TMenuItem::FindByCommand(UINT command)
{
    auto& items = ItemsByCommand();
    auto it = items.find(command);
    return it == items.end() ? nullptr : it->second;
}

TMenuItem* TMenuItem::FindByHandle(HMENU menu)
{
    if (!menu)
        return nullptr;
    for (auto& [command, item] : ItemsByCommand())
        if (item->handle_ == menu)
            return item;
    return nullptr;
}

TMenuItem* TMenuItem::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EMenuError(Format(messages::ListIndexError, {index}));
    return items_[static_cast<size_t>(index)];
}

int TMenuItem::IndexOf(const TMenuItem* item) const
{
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

int TMenuItem::MenuIndex() const
{
    return parent_ ? parent_->IndexOf(this) : -1;
}

void TMenuItem::SetMenuIndex(int value)
{
    if (!parent_)
        return;
    TMenuItem* parent = parent_;
    const int count = parent->Count();
    value = std::clamp(value, 0, count - 1);
    if (value == MenuIndex())
        return;
    parent->Remove(this);
    parent->Insert(value, this);
}

void TMenuItem::Add(TMenuItem* item)
{
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (!item)
        return;
    if (item->parent_)
        throw EMenuError("Menu inserted twice");
    if (index < 0 || index > Count())
        throw EMenuError(Format(messages::ListIndexError, {index}));
    for (const TMenuItem* p = this; p; p = p->parent_)
        if (p == item)
            throw EMenuError("A menu item cannot contain itself");
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    if (handle_)
        RebuildHandle();
    // This item may just have become a sub-menu of its parent's.
    if (parent_ && parent_->handle_)
        parent_->RebuildHandle();
    if (TMenu* menu = GetParentMenu())
        menu->MenuChanged(this, item, true);
}

void TMenuItem::Remove(TMenuItem* item)
{
    const int index = IndexOf(item);
    if (index < 0)
        throw EMenuError("Menu item not found");
    items_.erase(items_.begin() + index);
    item->parent_ = nullptr;
    if (handle_)
        RebuildHandle();
    MenuChanged(true);
}

void TMenuItem::Delete(int index)
{
    delete Items(index);
}

void TMenuItem::Clear()
{
    while (!items_.empty())
        delete items_.back();
}

TMenuItem* TMenuItem::Find(const std::string& caption) const
{
    for (TMenuItem* item : items_)
        if (SameText(StripHotkey(item->caption_), StripHotkey(caption)))
            return item;
    return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const
{
    const TMenuItem* item = this;
    while (item->parent_)
        item = item->parent_;
    return item->menu_;
}

void TMenuItem::SetCaption(const std::string& value)
{
    if (caption_ == value)
        return;
    caption_ = value;
    MenuChanged(true);
}

void TMenuItem::SetShortCut(TShortCut value)
{
    if (shortCut_ == value)
        return;
    shortCut_ = value;
    MenuChanged(true);
}

void TMenuItem::SetChecked(bool value)
{
    if (checked_ == value)
        return;
    checked_ = value;
    if (value && radioItem_)
        TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::TurnSiblingsOff()
{
    if (!parent_)
        return;
    for (TMenuItem* sibling : parent_->items_)
        if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_ &&
            sibling->checked_) {
            sibling->checked_ = false;
            sibling->MenuChanged(false);
        }
}

void TMenuItem::SetRadioItem(bool value)
{
    if (radioItem_ == value)
        return;
    radioItem_ = value;
    if (checked_ && radioItem_)
        TurnSiblingsOff();
    MenuChanged(true);
}

void TMenuItem::SetGroupIndex(int value)
{
    if (groupIndex_ == value)
        return;
    groupIndex_ = value;
    if (checked_ && radioItem_)
        TurnSiblingsOff();
    MenuChanged(true);
}

void TMenuItem::SetEnabled(bool value)
{
    if (enabled_ == value)
        return;
    enabled_ = value;
    MenuChanged(false);
}

void TMenuItem::SetVisible(bool value)
{
    if (visible_ == value)
        return;
    visible_ = value;
    MenuChanged(true);
}

void TMenuItem::SetDefault(bool value)
{
    if (default_ == value)
        return;
    if (value && parent_)
        for (TMenuItem* sibling : parent_->items_)
            if (sibling != this && sibling->default_) {
                sibling->default_ = false;
                sibling->MenuChanged(false);
            }
    default_ = value;
    MenuChanged(false);
}

void TMenuItem::SetImageIndex(int value)
{
    if (imageIndex_ == value)
        return;
    imageIndex_ = value;
    MenuChanged(true);
}

void TMenuItem::SetBreak(TMenuBreak value)
{
    if (break_ == value)
        return;
    break_ = value;
    MenuChanged(true);
}

TBasicAction* TMenuItem::Action() const
{
    return actionLink_ ? actionLink_->Action() : nullptr;
}

void TMenuItem::SetAction(TBasicAction* value)
{
    if (!value) {
        delete actionLink_;
        actionLink_ = nullptr;
        return;
    }
    if (!actionLink_)
        actionLink_ = new TMenuActionLink(this);
    actionLink_->SetAction(value);
    value->FreeNotification(this);
    ActionChange(value, ComponentState().Contains(csLoading));
}

void TMenuItem::ActionChange(TBasicAction* sender, bool checkDefaults)
{
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action)
        return;
    if (!checkDefaults || caption_.empty())
        SetCaption(action->Caption());
    if (!checkDefaults || !checked_)
        SetChecked(action->Checked());
    if (!checkDefaults || enabled_)
        SetEnabled(action->Enabled());
    if (!checkDefaults || hint_.empty())
        SetHint(action->Hint());
    if (!checkDefaults || imageIndex_ < 0)
        SetImageIndex(action->ImageIndex());
    if (!checkDefaults || shortCut_ == scNone)
        SetShortCut(action->ShortCut());
    if (!checkDefaults || visible_)
        SetVisible(action->Visible());
    if (!checkDefaults || !OnClick)
        OnClick = action->OnExecute;
}

void TMenuItem::Click()
{
    if (!enabled_)
        return;
    if (autoCheck_ && !(actionLink_ && dynamic_cast<TCustomAction*>(Action()) &&
                        static_cast<TCustomAction*>(Action())->AutoCheck()))
        SetChecked(!checked_);
    if (OnClick && !(actionLink_ && actionLink_->IsOnExecuteLinked()))
        OnClick(this);
    else if (actionLink_)
        actionLink_->Execute();
}

void TMenuItem::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == Action())
        SetAction(nullptr);
}

void TMenuItem::Loaded()
{
    TComponent::Loaded();
    if (actionLink_)
        ActionChange(actionLink_->Action(), true);
}

TComponent* TMenuItem::GetParentComponent() const
{
    if (parent_ && parent_->menu_)
        return parent_->menu_;
    return parent_;
}

void TMenuItem::SetParentComponent(TComponent* value)
{
    if (parent_)
        parent_->Remove(this);
    if (auto* menu = dynamic_cast<TMenu*>(value))
        menu->Items()->Add(this);
    else if (auto* item = dynamic_cast<TMenuItem*>(value))
        item->Add(this);
}

void TMenuItem::GetChildren(const TGetChildProc& proc, TComponent* root)
{
    for (TMenuItem* item : items_)
        if (item->Owner() == root)
            proc(item);
}

HMENU TMenuItem::Handle()
{
    if (!handle_ && (menu_ || !items_.empty())) {
        handle_ = menu_ ? menu_->CreateMenuHandle() : CreatePopupMenu();
        RebuildHandle();
    }
    return handle_;
}

bool TMenuItem::IsOwnerDraw() const
{
    if (OnDrawItem || OnAdvancedDrawItem || OnMeasureItem)
        return true;
    TMenu* menu = GetParentMenu();
    return menu && (menu->OwnerDraw() || (menu->Images() && imageIndex_ >= 0));
}

TBitmap* TMenuItem::Bitmap()
{
    if (!bitmap_)
        bitmap_ = new TBitmap();
    return bitmap_;
}

void TMenuItem::SetBitmap(TBitmap* value)
{
    Bitmap()->Assign(value);
    MenuChanged(false);
}

void TMenuItem::MenuChanged(bool rebuild)
{
    if (parent_ && parent_->handle_)
        parent_->RebuildHandle();
    if (TMenu* menu = GetParentMenu())
        menu->MenuChanged(this, this, rebuild);
}

void TMenuItem::RebuildHandle(const std::vector<TMenuItem*>* entries)
{
    if (!handle_)
        return;
    std::vector<TMenuItem*> own;
    if (!entries) {
        if (auto* mainMenu = dynamic_cast<TMainMenu*>(menu_)) {
            own = mainMenu->BarItems();
        } else {
            for (TMenuItem* item : items_)
                if (item->visible_)
                    own.push_back(item);
        }
        entries = &own;
    }
    // RemoveMenu detaches sub-menus without destroying them: they belong to their items.
    while (GetMenuItemCount(handle_) > 0)
        RemoveMenu(handle_, 0, MF_BYPOSITION);
    UINT position = 0;
    for (TMenuItem* item : *entries)
        item->AppendTo(handle_, position++);
}

void TMenuItem::AppendTo(HMENU menu, UINT position)
{
    const std::string text =
        shortCut_ != scNone ? caption_ + "\t" + ShortCutToText(shortCut_) : caption_;
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_SUBMENU;
    if (IsLine()) {
        info.fType = MFT_SEPARATOR;
    } else if (IsOwnerDraw()) {
        info.fType = MFT_OWNERDRAW;
    } else {
        info.fType = MFT_STRING;
        info.fMask |= MIIM_STRING;
        info.dwTypeData = const_cast<char*>(text.c_str());
    }
    if (radioItem_)
        info.fType |= MFT_RADIOCHECK;
    if (break_ == mbBreak)
        info.fType |= MFT_MENUBREAK;
    else if (break_ == mbBarBreak)
        info.fType |= MFT_MENUBARBREAK;
    TMenu* owner = GetParentMenu();
    if (owner && owner->BiDiMode() != bdLeftToRight)
        info.fType |= MFT_RIGHTORDER | MFT_RIGHTJUSTIFY;
    if (checked_)
        info.fState |= MFS_CHECKED;
    if (!enabled_)
        info.fState |= MFS_DISABLED | MFS_GRAYED;
    if (default_)
        info.fState |= MFS_DEFAULT;
    info.wID = command_;
    info.hSubMenu = items_.empty() ? nullptr : Handle();
    info.dwItemData = reinterpret_cast<ULONG_PTR>(this);
    InsertMenuItemA(menu, position, TRUE, &info);
}

void TMenuItem::MeasureItem(TCanvas* canvas, int& width, int& height)
{
    canvas->Font()->Assign(MenuFont());
    if (default_)
        canvas->Font()->SetStyle(canvas->Font()->Style() + TFontStyles{fsBold});
    const bool topLevel = parent_ && dynamic_cast<TMainMenu*>(parent_->menu_);
    TMenu* menu = GetParentMenu();
    TCustomImageList* images = menu ? menu->Images() : nullptr;
    if (IsLine()) {
        width = 10;
        height = 5;
    } else {
        const int textWidth = canvas->TextWidth(StripHotkey(caption_));
        const int textHeight = canvas->TextHeight("Wg");
        const int column =
            std::max(GetSystemMetrics(SM_CXMENUCHECK), images ? images->Width() : 0) + 8;
        if (topLevel) {
            width = textWidth + (images && imageIndex_ >= 0 ? column : 0) + 4;
        } else {
            width = column + textWidth + 16;
            if (shortCut_ != scNone)
                width += canvas->TextWidth(ShortCutToText(shortCut_)) + 16;
        }
        height = std::max(textHeight + 6, images && imageIndex_ >= 0 ? images->Height() + 4 : 0);
    }
    if (OnMeasureItem)
        OnMeasureItem(this, canvas, width, height);
}

void TMenuItem::AdvancedDrawItem(TCanvas* canvas, RECT rect, TOwnerDrawState state, bool topLevel)
{
    if (OnAdvancedDrawItem)
        OnAdvancedDrawItem(this, canvas, rect, state);
    else if (OnDrawItem)
        OnDrawItem(this, canvas, rect, state.Contains(odSelected));
    else
        DrawDefault(canvas, rect, state, topLevel);
}

void TMenuItem::DrawDefault(TCanvas* canvas, RECT rect, TOwnerDrawState state, bool topLevel)
{
    const bool selected = state.Contains(odSelected) || state.Contains(odHotLight);
    canvas->Font()->Assign(MenuFont());
    if (default_)
        canvas->Font()->SetStyle(canvas->Font()->Style() + TFontStyles{fsBold});
    canvas->Brush()->SetColor(selected ? clHighlight : topLevel ? clMenuBar : clMenu);
    canvas->FillRect(rect);
    HDC dc = canvas->Handle();
    if (IsLine()) {
        RECT line{rect.left, (rect.top + rect.bottom) / 2 - 1, rect.right,
                  (rect.top + rect.bottom) / 2 + 1};
        DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
        return;
    }
    TMenu* menu = GetParentMenu();
    TCustomImageList* images = menu ? menu->Images() : nullptr;
    const bool enabled = !state.Contains(odDisabled) && !state.Contains(odGrayed);
    const int column =
        topLevel ? 0 : std::max(GetSystemMetrics(SM_CXMENUCHECK), images ? images->Width() : 0) + 8;
    if (images && imageIndex_ >= 0 && imageIndex_ < images->Count()) {
        const int x = rect.left + (topLevel ? 2 : (column - images->Width()) / 2);
        const int y = (rect.top + rect.bottom - images->Height()) / 2;
        if (checked_) {
            RECT frame{x - 1, y - 1, x + images->Width() + 1, y + images->Height() + 1};
            DrawEdge(dc, &frame, BDR_SUNKENOUTER, BF_RECT);
        }
        images->Draw(canvas, x, y, imageIndex_, enabled);
        if (topLevel)
            rect.left += images->Width() + 4;
    } else if (checked_ && !topLevel) {
        const int size = GetSystemMetrics(SM_CXMENUCHECK);
        RECT mark{rect.left + (column - size) / 2, (rect.top + rect.bottom - size) / 2, 0, 0};
        mark.right = mark.left + size;
        mark.bottom = mark.top + size;
        // The mark is a monochrome pattern: drawn in the text colour over the background.
        DrawFrameControl(dc, &mark, DFC_MENU, radioItem_ ? DFCS_MENUBULLET : DFCS_MENUCHECK);
    }
    SetBkMode(dc, TRANSPARENT);
    canvas->Font()->SetColor(!enabled ? clGrayText : selected ? clHighlightText : clMenuText);
    RECT text{rect.left + (topLevel ? 2 : column), rect.top, rect.right - 8, rect.bottom};
    UINT flags = DT_SINGLELINE | DT_VCENTER | (topLevel ? DT_CENTER : DT_LEFT);
    if (state.Contains(odNoAccel))
        flags |= DT_HIDEPREFIX;
    canvas->Handle(); // the canvas's font is selected now
    DrawTextA(dc, caption_.c_str(), -1, &text, flags);
    if (shortCut_ != scNone && !topLevel) {
        const std::string shortcut = ShortCutToText(shortCut_);
        DrawTextA(dc, shortcut.c_str(), -1, &text,
                  DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    }
}

// ---- TMenu ----------------------------------------------------------------------------------

CLASSLIB_PUBLISH(TMenu)
{
    c.Property("BiDiMode", &TMenu::BiDiMode, &TMenu::SetBiDiMode).SetDefault(bdLeftToRight);
    c.Property("Images", &TMenu::Images, &TMenu::SetImages);
    c.Property("OwnerDraw", &TMenu::OwnerDraw, &TMenu::SetOwnerDraw).SetDefault(false);
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this))
{
    RegisterMenuClasses();
    items_->menu_ = this;
    items_->SetSubComponent(true);
}

TMenu::~TMenu()
{
    // A window destroys the menu it shows: take it off first, the items own their handles.
    if (windowHandle_ && items_->handle_ && IsWindow(windowHandle_) &&
        GetMenu(windowHandle_) == items_->handle_)
        SetMenu(windowHandle_, nullptr);
    delete items_;
}

HMENU TMenu::Handle()
{
    return items_->Handle();
}

void TMenu::SetOwnerDraw(bool value)
{
    if (ownerDraw_ == value)
        return;
    ownerDraw_ = value;
    UpdateItems();
}

void TMenu::SetImages(TCustomImageList* value)
{
    if (images_ == value)
        return;
    images_ = value;
    if (value)
        value->FreeNotification(this);
    UpdateItems();
}

void TMenu::SetBiDiMode(TBiDiMode value)
{
    if (bidiMode_ == value)
        return;
    bidiMode_ = value;
    UpdateItems();
}

void TMenu::UpdateItems()
{
    // Rebuilds depth first, so that each entry is measured and drawn the new way.
    std::function<void(TMenuItem*)> rebuild = [&](TMenuItem* item) {
        for (TMenuItem* child : item->items_)
            rebuild(child);
        item->RebuildHandle();
    };
    rebuild(items_);
    RefreshWindow();
}

void TMenu::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == images_) {
        images_ = nullptr;
        if (!ComponentState().Contains(csDestroying))
            UpdateItems();
    }
}

void TMenu::Loaded()
{
    TComponent::Loaded();
    UpdateItems();
}

void TMenu::GetChildren(const TGetChildProc& proc, TComponent* root)
{
    items_->GetChildren(proc, root);
}

void TMenu::MenuChanged(TObject* sender, TMenuItem* source, bool rebuild)
{
    RefreshWindow();
    if (OnChange)
        OnChange(sender, source, rebuild);
}

TMenuItem* TMenu::FindItem(UINT value, bool byHandle) const
{
    TMenuItem* item =
        byHandle ? TMenuItem::FindByHandle(reinterpret_cast<HMENU>(static_cast<UINT_PTR>(value)))
                 : TMenuItem::FindByCommand(value);
    return item && item->GetParentMenu() == this ? item : nullptr;
}

bool TMenu::DispatchCommand(UINT command)
{
    TMenuItem* item = FindItem(command, false);
    if (!item)
        return false;
    item->Click();
    return true;
}

bool TMenu::DispatchPopup(HMENU menu)
{
    TMenuItem* item = TMenuItem::FindByHandle(menu);
    if (!item || item->GetParentMenu() != this)
        return false;
    if (item != items_)
        item->Click();
    return true;
}

bool TMenu::IsShortCut(const TMessage& message)
{
    if (message.Msg != WM_KEYDOWN && message.Msg != WM_SYSKEYDOWN && message.Msg != CN_KEYDOWN &&
        message.Msg != CN_SYSKEYDOWN)
        return false;
    TShiftState shift = KeyboardStateToShiftState() * TShiftState{ssShift, ssCtrl};
    if (message.LParam & (1 << 29))
        shift.Include(ssAlt);
    const TShortCut wanted = classlib::ShortCut(static_cast<WORD>(message.WParam), shift);
    if (wanted == scNone)
        return false;
    std::function<TMenuItem*(TMenuItem*)> find = [&](TMenuItem* parent) -> TMenuItem* {
        for (TMenuItem* item : parent->items_) {
            if (!item->visible_ || !item->enabled_)
                continue;
            if (item->shortCut_ == wanted)
                return item;
            if (TMenuItem* found = find(item))
                return found;
        }
        return nullptr;
    };
    TMenuItem* item = find(items_);
    if (!item)
        return false;
    item->Click();
    return true;
}

// ---- TMainMenu ------------------------------------------------------------------------------

CLASSLIB_PUBLISH(TMainMenu) {}

TMainMenu::~TMainMenu()
{
    // The bar this menu is merged into must not keep its sub-menus.
    if (mergedInto_)
        mergedInto_->Unmerge(this);
    if (merged_)
        merged_->mergedInto_ = nullptr;
}

void TMainMenu::Merge(TMainMenu* menu)
{
    if (menu == this)
        return;
    if (merged_)
        merged_->mergedInto_ = nullptr;
    merged_ = menu;
    if (menu) {
        menu->FreeNotification(this);
        menu->mergedInto_ = this;
    }
    items_->RebuildHandle();
    RefreshWindow();
}

void TMainMenu::Unmerge(TMainMenu* menu)
{
    if (menu && menu == merged_)
        Merge(nullptr);
}

std::vector<TMenuItem*> TMainMenu::BarItems() const
{
    std::vector<TMenuItem*> bar;
    for (TMenuItem* item : items_->items_)
        if (item->Visible())
            bar.push_back(item);
    if (!merged_)
        return bar;
    for (TMenuItem* item : merged_->items_->items_) {
        if (!item->Visible())
            continue;
        const int group = item->GroupIndex();
        bar.erase(std::remove_if(bar.begin(), bar.end(),
                                 [&](TMenuItem* own) {
                                     return own->GetParentMenu() == this &&
                                            own->GroupIndex() == group;
                                 }),
                  bar.end());
        auto at = std::find_if(bar.begin(), bar.end(),
                               [&](TMenuItem* other) { return other->GroupIndex() > group; });
        bar.insert(at, item);
    }
    return bar;
}

void TMainMenu::Notification(TComponent* component, TOperation operation)
{
    TMenu::Notification(component, operation);
    if (operation == opRemove && component == merged_)
        Merge(nullptr);
}

void TMainMenu::RefreshWindow()
{
    if (windowHandle_ && IsWindow(windowHandle_) && items_->handle_ &&
        GetMenu(windowHandle_) == items_->handle_)
        DrawMenuBar(windowHandle_);
    // A menu merged into another shows its items in that bar too.
    if (mergedInto_) {
        mergedInto_->items_->RebuildHandle();
        mergedInto_->RefreshWindow();
    }
}

// ---- TPopupMenu -----------------------------------------------------------------------------

CLASSLIB_PUBLISH(TPopupMenu)
{
    c.Property("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment).SetDefault(paLeft);
    c.Property("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).SetDefault(true);
    c.Property("TrackButton", &TPopupMenu::TrackButton, &TPopupMenu::SetTrackButton)
        .SetDefault(tbRightButton);
    c.Property("OnPopup", &TPopupMenu::OnPopup);
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner)
{
    windowHandle_ = PopupListWindow();
}

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::SetPopupComponent(TComponent* value)
{
    popupComponent_ = value;
    if (value)
        value->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation)
{
    TMenu::Notification(component, operation);
    if (operation == opRemove && component == popupComponent_)
        popupComponent_ = nullptr;
}

void TPopupMenu::DoPopup(TObject* sender)
{
    if (OnPopup)
        OnPopup(sender);
}

UINT TPopupMenu::TrackFlags() const
{
    // Right-to-left reading mirrors the alignment, as the menu opens towards the text's start.
    TPopupAlignment alignment = alignment_;
    if (bidiMode_ == bdRightToLeft && alignment != paCenter)
        alignment = alignment == paLeft ? paRight : paLeft;
    static constexpr UINT alignFlags[] = {TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
    return alignFlags[alignment] |
           (trackButton_ == tbRightButton ? TPM_RIGHTBUTTON : TPM_LEFTBUTTON);
}

void TPopupMenu::Popup(int x, int y)
{
    popupPoint_ = POINT{x, y};
    DoPopup(this);
    windowHandle_ = PopupListWindow();
    TrackPopupMenu(Handle(), TrackFlags(), x, y, 0, windowHandle_, nullptr);
}

// ---- message routing ------------------------------------------------------------------------

namespace {

TOwnerDrawState DrawState(UINT itemState)
{
    struct Flag {
        UINT platform;
        TOwnerDrawStateFlag flag;
    };
    static constexpr Flag flags[] = {
        {ODS_SELECTED, odSelected}, {ODS_GRAYED, odGrayed},     {ODS_DISABLED, odDisabled},
        {ODS_CHECKED, odChecked},   {ODS_FOCUS, odFocused},     {ODS_DEFAULT, odDefault},
        {ODS_HOTLIGHT, odHotLight}, {ODS_INACTIVE, odInactive}, {ODS_NOACCEL, odNoAccel},
    };
    TOwnerDrawState state;
    for (const Flag& f : flags)
        if (itemState & f.platform)
            state.Include(f.flag);
    return state;
}

bool IsBarItem(const TMenuItem* item)
{
    return item->Parent() && !item->Parent()->Parent() &&
           dynamic_cast<TMainMenu*>(item->GetParentMenu());
}

// The items a platform menu shows, in its positions.
std::vector<TMenuItem*> ShownItems(HMENU menu)
{
    std::vector<TMenuItem*> shown;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        shown.push_back(TMenuItem::FindByCommand(info.wID));
    }
    return shown;
}

bool MenuCommand(TMessage& m)
{
    // Menus send 0 in the high word and no control window; accelerators 1.
    if (HIWORD(m.WParam) > 1 || m.LParam != 0)
        return false;
    TMenuItem* item = TMenuItem::FindByCommand(LOWORD(m.WParam));
    if (!item)
        return false;
    item->Click();
    m.Result = 0;
    return true;
}

bool InitMenuPopup(TMessage& m)
{
    if (HIWORD(m.LParam) != 0) // the window's system menu
        return false;
    TMenuItem* item = TMenuItem::FindByHandle(reinterpret_cast<HMENU>(m.WParam));
    if (!item)
        return false;
    if (TMenu* menu = item->GetParentMenu())
        menu->DispatchPopup(reinterpret_cast<HMENU>(m.WParam));
    m.Result = 0;
    return true;
}

bool MenuSelect(TMessage& m)
{
    const UINT flags = HIWORD(m.WParam);
    auto* menu = reinterpret_cast<HMENU>(m.LParam);
    if (flags == 0xFFFF && !menu) { // the menu closed
        if (Application)
            Application->SetHint("");
        return false;
    }
    TMenuItem* item = nullptr;
    if (flags & MF_POPUP)
        item = TMenuItem::FindByHandle(GetSubMenu(menu, LOWORD(m.WParam)));
    else
        item = TMenuItem::FindByCommand(LOWORD(m.WParam));
    if (!item || !item->GetParentMenu())
        return false;
    if (Application)
        Application->SetHint(GetLongHint(item->Hint()));
    m.Result = 0;
    return true;
}

// Owner-drawn items have no text the platform could search for the typed accelerator.
bool MenuChar(TMessage& m)
{
    auto* menu = reinterpret_cast<HMENU>(m.LParam);
    if (!TMenuItem::FindByHandle(menu))
        return false;
    const WORD key = static_cast<WORD>(std::toupper(static_cast<unsigned char>(LOWORD(m.WParam))));
    const std::vector<TMenuItem*> shown = ShownItems(menu);
    for (size_t i = 0; i < shown.size(); ++i) {
        TMenuItem* item = shown[i];
        if (item && item->Enabled() && IsAccel(key, item->Caption())) {
            m.Result = MAKELRESULT(i, item->Count() > 0 ? MNC_SELECT : MNC_EXECUTE);
            return true;
        }
    }
    return false;
}

bool MeasureItem(TMessage& m)
{
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
    if (measure->CtlType != ODT_MENU)
        return false;
    TMenuItem* item = TMenuItem::FindByCommand(measure->itemID);
    if (!item)
        return false;
    HDC dc = GetDC(nullptr);
    const int saved = SaveDC(dc);
    TCanvas canvas;
    canvas.SetHandle(dc);
    int width = static_cast<int>(measure->itemWidth);
    int height = static_cast<int>(measure->itemHeight);
    item->MeasureItem(&canvas, width, height);
    canvas.SetHandle(nullptr);
    RestoreDC(dc, saved);
    ReleaseDC(nullptr, dc);
    measure->itemWidth = static_cast<UINT>(std::max(0, width));
    measure->itemHeight = static_cast<UINT>(std::max(0, height));
    m.Result = TRUE;
    return true;
}

bool DrawItem(TMessage& m)
{
    auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
    if (draw->CtlType != ODT_MENU)
        return false;
    TMenuItem* item = TMenuItem::FindByCommand(draw->itemID);
    if (!item)
        return false;
    const int saved = SaveDC(draw->hDC);
    TCanvas canvas;
    canvas.SetHandle(draw->hDC);
    item->AdvancedDrawItem(&canvas, draw->rcItem, DrawState(draw->itemState), IsBarItem(item));
    canvas.SetHandle(nullptr);
    RestoreDC(draw->hDC, saved);
    m.Result = TRUE;
    return true;
}

} // namespace

bool DispatchMenuMessage(TMessage& message)
{
    switch (message.Msg) {
        case WM_COMMAND:
            return MenuCommand(message);
        case WM_INITMENUPOPUP:
            return InitMenuPopup(message);
        case WM_MENUSELECT:
            return MenuSelect(message);
        case WM_MENUCHAR:
            return MenuChar(message);
        case WM_MEASUREITEM:
            return MeasureItem(message);
        case WM_DRAWITEM:
            return DrawItem(message);
        default:
            return false;
    }
}

namespace {

struct MenuSelectListeners {
    std::vector<std::pair<int, TMenuSelectListener>> list;
    int nextId = 1;
};

MenuSelectListeners& SelectListeners()
{
    static MenuSelectListeners listeners;
    return listeners;
}

void NotifyMenuSelectListeners(const TMessage& m)
{
    // By id from a copy: a listener may remove itself or another one.
    std::vector<int> ids;
    for (const auto& entry : SelectListeners().list)
        ids.push_back(entry.first);
    for (int id : ids) {
        auto& list = SelectListeners().list;
        auto it = std::find_if(list.begin(), list.end(),
                               [id](const auto& entry) { return entry.first == id; });
        if (it != list.end()) {
            const TMenuSelectListener listener = it->second;
            listener(m);
        }
    }
}

} // namespace

int AddMenuSelectListener(TMenuSelectListener listener)
{
    MenuSelectListeners& listeners = SelectListeners();
    const int id = listeners.nextId++;
    listeners.list.emplace_back(id, std::move(listener));
    return id;
}

void RemoveMenuSelectListener(int id)
{
    auto& list = SelectListeners().list;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [id](const auto& entry) { return entry.first == id; }),
               list.end());
}

HWND PopupListWindow()
{
    static HWND window = nullptr;
    if (!window || !IsWindow(window)) {
        window = AllocateHWnd([](TMessage& m) {
            if (m.Msg == WM_MENUSELECT)
                NotifyMenuSelectListeners(m);
            if (!DispatchMenuMessage(m))
                CallDefaultWindowProc(window, m);
        });
    }
    return window;
}

void RegisterMenuClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterClasses(
        {&TMenuItem::StaticClass(), &TMainMenu::StaticClass(), &TPopupMenu::StaticClass()});
}

} // namespace classlib
