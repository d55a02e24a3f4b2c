#pragma once
// The XP progress bar, office check box and office radio group with the properties the main
// window uses, on the standard controls; and the registration of every class of this folder
// with the class registry (so form layouts can create them by name).
#include "AdvGroupBox.h"
#include "windows/ComCtrls.h"
#include "windows/StdCtrls.h"

#include <algorithm>

namespace controls {

// XP-style progress bar: steps by 7 and stops at the maximum instead of wrapping around (the
// upload's maxima are computed for that step).
class TOcXPProgressBar : public classlib::TProgressBar {
    CLASSLIB_CLASS(TOcXPProgressBar, classlib::TProgressBar)
    explicit TOcXPProgressBar(classlib::TComponent* owner) : TProgressBar(owner) { SetStep(7); }
    int Position() const { return position_; }
    void StepIt() { StepBy(Step()); }
    // The native control repaints at once for every position it is given, and the upload steps
    // once per byte: a step that does not move the fill by a pixel is only remembered.
    void StepBy(int delta)
    {
        const int next = static_cast<int>(std::clamp<long long>(static_cast<long long>(position_) + delta, min_, max_));
        if (FillPixels(next) == FillPixels(position_))
            position_ = next;
        else
            SetPosition(next);
    }

private:
    long long FillPixels(int position) const
    {
        const long long range = static_cast<long long>(max_) - min_;
        return range <= 0 ? 0 : (static_cast<long long>(position) - min_) * Width() / range;
    }
};

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
