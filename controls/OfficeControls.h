#pragma once
// The office check box and office radio group with the properties the main window uses, on
// the standard controls; and the registration of every class of this folder with the class
// registry (so form layouts can create them by name).
#include "AdvGroupBox.h"
#include "OcXPProgressBar.h"
#include "windows/StdCtrls.h"

#include <vector>

namespace controls {

class TAdvOfficeCheckBox : public classlib::TCheckBox {
    CLASSLIB_CLASS(TAdvOfficeCheckBox, classlib::TCheckBox)
    explicit TAdvOfficeCheckBox(classlib::TComponent* owner) : TCheckBox(owner) {}
};

// Radio group: a group box holding one radio button per item, in columns.
class TAdvOfficeRadioGroup : public TAdvGroupBox {
    CLASSLIB_CLASS(TAdvOfficeRadioGroup, TAdvGroupBox)
    explicit TAdvOfficeRadioGroup(classlib::TComponent* owner);
    ~TAdvOfficeRadioGroup() override;

    classlib::TStringList* Items() const { return items_; }
    void SetItems(classlib::TStringList* value);
    int Columns() const { return columns_; }
    void SetColumns(int value);
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int value);

protected:
    void Loaded() override;

private:
    void ItemsChanged(classlib::TObject*);
    void ButtonClick(classlib::TObject* sender);
    void ArrangeButtons();

    classlib::TStringList* items_;
    std::vector<classlib::TRadioButton*> buttons_;
    int columns_ = 1;
    int itemIndex_ = -1;
};

void RegisterControlClasses();

} // namespace controls
