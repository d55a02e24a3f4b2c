#include "menus/AdvMenuStyler.h"

#include "windows/Menus.h"
#include "windows/Screen.h"

namespace menus {

using namespace classlib;

CLASSLIB_DEFINE_ENUM(TAntiAlias, "aaNone", "aaClearType", "aaAntiAlias")

CLASSLIB_PUBLISH(TCustomAdvMenuStyler) {}

CLASSLIB_PUBLISH(TAdvMenuStyler)
{
    c.Property("AntiAlias", &TAdvMenuStyler::AntiAlias, &TAdvMenuStyler::SetAntiAlias);
    c.Property("Background", &TAdvMenuStyler::Background, &TAdvMenuStyler::SetBackground);
    c.Property("IconBar", &TAdvMenuStyler::IconBar, &TAdvMenuStyler::SetIconBar);
    c.Property("SelectedItem", &TAdvMenuStyler::SelectedItem, &TAdvMenuStyler::SetSelectedItem);
    c.Property("RootItem", &TAdvMenuStyler::RootItem, &TAdvMenuStyler::SetRootItem);
    c.Property("Glyphs", &TAdvMenuStyler::Glyphs, &TAdvMenuStyler::SetGlyphs);
    c.Property("SideBar", &TAdvMenuStyler::SideBar, &TAdvMenuStyler::SetSideBar);
    c.Property("Separator", &TAdvMenuStyler::Separator, &TAdvMenuStyler::SetSeparator);
    c.Property("Font", &TAdvMenuStyler::Font, &TAdvMenuStyler::SetFont);
    c.Property("NotesFont", &TAdvMenuStyler::NotesFont, &TAdvMenuStyler::SetNotesFont);
    c.Property("UseSystemFont", &TAdvMenuStyler::UseSystemFont, &TAdvMenuStyler::SetUseSystemFont)
        .SetDefault(true);
    AsColorProperty(c.Property("MenuBorderColor", &TAdvMenuStyler::MenuBorderColor,
                               &TAdvMenuStyler::SetMenuBorderColor))
        .SetDefault(0x7C7C94);
    c.Property("ButtonAppearance", &TAdvMenuStyler::ButtonAppearance,
               &TAdvMenuStyler::SetButtonAppearance);
}

TCustomAdvMenuStyler::TCustomAdvMenuStyler(TComponent* owner)
    : TComponent(owner),
      sideBar_(new TSideBar()),
      background_(new TBackground()),
      iconBar_(new TIconBar()),
      selectedItem_(new TSelectedItem()),
      rootItem_(new TRootItem()),
      glyphs_(new TMenuGlyphs()),
      separator_(new TSeparator()),
      font_(new TFont()),
      backgroundCache_(new TBitmap()),
      notesFont_(new TFont()),
      buttonAppearance_(new TButtonAppearance())
{
    RegisterMenuStylerClasses();
    font_->Assign(Screen->MenuFont());
    notesFont_->Assign(Screen->MenuFont());
    notesFont_->SetSize(notesFont_->Size() - 2);
    notesFont_->SetColor(0x808080);
}

TCustomAdvMenuStyler::~TCustomAdvMenuStyler()
{
    delete background_;
    delete iconBar_;
    delete selectedItem_;
    delete rootItem_;
    delete glyphs_;
    delete sideBar_;
    delete separator_;
    delete font_;
    delete backgroundCache_;
    delete notesFont_;
    delete buttonAppearance_;
}

void TCustomAdvMenuStyler::HandMenuToObjects(TMenu* menu)
{
    background_->SetMenu(menu);
    iconBar_->SetMenu(menu);
    selectedItem_->SetMenu(menu);
    rootItem_->SetMenu(menu);
    glyphs_->SetMenu(menu);
    sideBar_->SetMenu(menu);
    separator_->SetMenu(menu);
}

void TCustomAdvMenuStyler::BindMenu(TMenu* menu)
{
    if (menu_ && menu_ != menu)
        RemoveFreeNotification(menu_);
    menu_ = menu;
    if (menu)
        menu->FreeNotification(this);
    HandMenuToObjects(menu);
    Refresh(false);
}

void TCustomAdvMenuStyler::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component && component == menu_)
        BindMenu(nullptr);
}

void TCustomAdvMenuStyler::SetSeparator(TSeparator* value)
{
    separator_->Assign(value);
    Refresh(false);
}

void TCustomAdvMenuStyler::SetBackground(TBackground* value)
{
    background_->Assign(value);
    Refresh(false);
}

void TCustomAdvMenuStyler::SetIconBar(TIconBar* value)
{
    iconBar_->Assign(value);
    Refresh(false);
}

void TCustomAdvMenuStyler::SetGlyphs(TMenuGlyphs* value)
{
    glyphs_->Assign(value);
    Refresh(false);
}

void TCustomAdvMenuStyler::SetRootItem(TRootItem* value)
{
    rootItem_->Assign(value);
    Refresh(false);
}

void TCustomAdvMenuStyler::SetSelectedItem(TSelectedItem* value)
{
    selectedItem_->Assign(value);
    Refresh(false);
}

void TCustomAdvMenuStyler::SetSideBar(TSideBar* value)
{
    sideBar_->Assign(value);
    Refresh(true);
}

void TCustomAdvMenuStyler::SetFont(TFont* value)
{
    font_->Assign(value);
    Refresh(true);
}

void TCustomAdvMenuStyler::SetNotesFont(TFont* value)
{
    notesFont_->Assign(value);
    Refresh(true);
}

void TCustomAdvMenuStyler::SetUseSystemFont(bool value)
{
    useSystemFont_ = value;
    Refresh(true);
}

void TCustomAdvMenuStyler::SetAntiAlias(TAntiAlias value)
{
    antiAlias_ = value;
    Refresh(true);
}

void TCustomAdvMenuStyler::Assign(TPersistent* source)
{
    auto* styler = dynamic_cast<TAdvMenuStyler*>(source);
    if (!styler) {
        TComponent::Assign(source);
        return;
    }
    SetBackground(styler->background_);
    SetIconBar(styler->iconBar_);
    SetSelectedItem(styler->selectedItem_);
    SetRootItem(styler->rootItem_);
    SetGlyphs(styler->glyphs_);
    SetSideBar(styler->sideBar_);
    SetSeparator(styler->separator_);
    font_->Assign(styler->font_);
    SetUseSystemFont(styler->useSystemFont_);
}

void RegisterMenuStylerClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterMenuAppearanceClasses();
    RegisterClasses({&TCustomAdvMenuStyler::StaticClass(), &TAdvMenuStyler::StaticClass()});
}

} // namespace menus
