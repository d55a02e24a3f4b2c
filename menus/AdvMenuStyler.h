// Menu stylers: the complete look of an office menu (appearance objects, fonts, the border of
// menu windows, text quality), bound to one menu at a time. TCustomAdvMenuStyler carries the
// behaviour, TAdvMenuStyler publishes it.
#pragma once

#include "core/Component.h"
#include "menus/AdvMenuAppearance.h"

namespace menus {

// How item text is drawn: GDI, or GDI+ with ClearType or anti-aliased rendering.
enum TAntiAlias { aaNone, aaClearType, aaAntiAlias };
CLASSLIB_ENUM(TAntiAlias);

class TCustomAdvMenuStyler : public classlib::TComponent {
    CLASSLIB_CLASS(TCustomAdvMenuStyler, classlib::TComponent)
    explicit TCustomAdvMenuStyler(classlib::TComponent* owner);
    ~TCustomAdvMenuStyler() override;

    // Copies the look of another TAdvMenuStyler (refreshing the bound menu step by step);
    // NotesFont, MenuBorderColor, AntiAlias and ButtonAppearance stay.
    void Assign(TPersistent* source) override;

    // Binds the styler to `menu` (nullptr unbinds): the appearance objects refresh that menu.
    // Binding the menu it already has only refreshes; a styler bound elsewhere before lets go
    // of its old menu completely.
    void BindMenu(TMenu* menu);
    TMenu* Menu() const { return menu_; }

    TSeparator* Separator() const { return separator_; }
    void SetSeparator(TSeparator* value);
    TBackground* Background() const { return background_; }
    void SetBackground(TBackground* value);
    TIconBar* IconBar() const { return iconBar_; }
    void SetIconBar(TIconBar* value);
    TMenuGlyphs* Glyphs() const { return glyphs_; }
    void SetGlyphs(TMenuGlyphs* value);
    TRootItem* RootItem() const { return rootItem_; }
    void SetRootItem(TRootItem* value);
    TSelectedItem* SelectedItem() const { return selectedItem_; }
    void SetSelectedItem(TSelectedItem* value);
    TSideBar* SideBar() const { return sideBar_; }
    void SetSideBar(TSideBar* value);
    TFont* Font() const { return font_; }
    void SetFont(TFont* value);
    TFont* NotesFont() const { return notesFont_; }
    void SetNotesFont(TFont* value);
    bool UseSystemFont() const { return useSystemFont_; }
    void SetUseSystemFont(bool value);
    TAntiAlias AntiAlias() const { return antiAlias_; }
    void SetAntiAlias(TAntiAlias value);
    TColor MenuBorderColor() const { return menuBorderColor_; }
    void SetMenuBorderColor(TColor value) { menuBorderColor_ = value; }
    TButtonAppearance* ButtonAppearance() const { return buttonAppearance_; }
    void SetButtonAppearance(TButtonAppearance* value) { buttonAppearance_->Assign(value); }
    // The menu background composed once per menu-window size.
    TBitmap* BackgroundCache() const { return backgroundCache_; }

protected:
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;
    void Refresh(bool remeasure) const { RefreshOwnerMenu(menu_, remeasure); }

private:
    void HandMenuToObjects(TMenu* menu);

    bool useSystemFont_ = true;
    TSideBar* sideBar_;
    TBackground* background_;
    TIconBar* iconBar_;
    TSelectedItem* selectedItem_;
    TRootItem* rootItem_;
    TMenuGlyphs* glyphs_;
    TSeparator* separator_;
    TFont* font_;
    TColor menuBorderColor_ = 0x7C7C94;
    TMenu* menu_ = nullptr;
    TBitmap* backgroundCache_;
    TFont* notesFont_;
    TAntiAlias antiAlias_ = aaNone;
    TButtonAppearance* buttonAppearance_;
};

class TAdvMenuStyler : public TCustomAdvMenuStyler {
    CLASSLIB_CLASS(TAdvMenuStyler, TCustomAdvMenuStyler)
    explicit TAdvMenuStyler(classlib::TComponent* owner) : TCustomAdvMenuStyler(owner) {}
};

void RegisterMenuStylerClasses();

} // namespace menus
