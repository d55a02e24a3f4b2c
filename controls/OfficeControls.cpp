#include "OfficeControls.h"

#include "AdvGlowButton.h"
#include "HTMLComboBox.h"
#include "AdvReflectionLabel.h"
#include "HTMLabel.h"
#include "OcLabel.h"
#include "core/StringList.h"

#include <algorithm>

using namespace classlib;

namespace controls {

CLASSLIB_PUBLISH(TAdvOfficeCheckBox) {}

CLASSLIB_PUBLISH(TAdvOfficeRadioGroup)
{
    c.Property("Items", &TAdvOfficeRadioGroup::Items, &TAdvOfficeRadioGroup::SetItems);
    c.Property("Columns", &TAdvOfficeRadioGroup::Columns, &TAdvOfficeRadioGroup::SetColumns).SetDefault(1);
    c.Property("ItemIndex", &TAdvOfficeRadioGroup::ItemIndex, &TAdvOfficeRadioGroup::SetItemIndex).SetDefault(-1);
}

TAdvOfficeRadioGroup::TAdvOfficeRadioGroup(TComponent* owner) : TAdvGroupBox(owner), items_(new TStringList)
{
    items_->OnChange = TNotifyEvent(this, &TAdvOfficeRadioGroup::ItemsChanged);
}

TAdvOfficeRadioGroup::~TAdvOfficeRadioGroup()
{
    delete items_;
}

void TAdvOfficeRadioGroup::SetItems(TStringList* value)
{
    items_->Assign(value);
}

void TAdvOfficeRadioGroup::SetColumns(int value)
{
    columns_ = std::max(1, value);
    ArrangeButtons();
}

void TAdvOfficeRadioGroup::SetItemIndex(int value)
{
    itemIndex_ = value;
    for (size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i]->SetChecked(static_cast<int>(i) == value);
}

void TAdvOfficeRadioGroup::Loaded()
{
    TAdvGroupBox::Loaded();
    ArrangeButtons();
}

void TAdvOfficeRadioGroup::ItemsChanged(TObject*)
{
    if (!ComponentState().Contains(csLoading))
        ArrangeButtons();
}

void TAdvOfficeRadioGroup::ButtonClick(TObject* sender)
{
    auto found = std::find(buttons_.begin(), buttons_.end(), sender);
    if (found != buttons_.end())
        itemIndex_ = static_cast<int>(found - buttons_.begin());
}

void TAdvOfficeRadioGroup::ArrangeButtons()
{
    while (static_cast<int>(buttons_.size()) > items_->Count()) {
        buttons_.back()->Free();
        buttons_.pop_back();
    }
    while (static_cast<int>(buttons_.size()) < items_->Count()) {
        auto* button = new TRadioButton(this);
        button->SetParent(this);
        button->OnClick = TNotifyEvent(this, &TAdvOfficeRadioGroup::ButtonClick);
        buttons_.push_back(button);
    }
    const int rows = (items_->Count() + columns_ - 1) / columns_;
    const int columnWidth = (Width() - 16) / columns_;
    const int rowHeight = rows > 0 ? (Height() - 20) / rows : 0;
    for (int i = 0; i < items_->Count(); ++i) {
        TRadioButton* button = buttons_[static_cast<size_t>(i)];
        button->SetCaption(items_->Strings(i));
        button->SetBounds(8 + (i / std::max(1, rows)) * columnWidth, 16 + (i % std::max(1, rows)) * rowHeight,
                          columnWidth, std::max(16, rowHeight));
        button->SetChecked(i == itemIndex_);
    }
}

void RegisterControlClasses()
{
    RegisterClasses({&TAdvGlowButton::StaticClass(), &TAdvGroupBox::StaticClass(), &THTMLabel::StaticClass(),
                     &TAdvReflectionLabel::StaticClass(), &TOcLabel::StaticClass(),
                     &TAdvOfficeImage::StaticClass(), &THTMLComboBox::StaticClass(),
                     &TOcXPProgressBar::StaticClass(), &TAdvOfficeCheckBox::StaticClass(),
                     &TAdvOfficeRadioGroup::StaticClass()});
}

} // namespace controls
