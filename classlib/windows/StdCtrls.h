#pragma once
// The standard controls: label (painted by its parent), and wrappers of the platform's native
// controls: button, check box, radio button, edit, memo, combo box (with fixed owner drawing),
// list box and group box.
#include "core/StringList.h"
#include "windows/Controls.h"
#include "windows/Dialogs.h"

namespace classlib {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
CLASSLIB_ENUM(TAlignment);
CLASSLIB_ENUM(TTextLayout);
CLASSLIB_ENUM(TCheckBoxState);
CLASSLIB_ENUM(TScrollStyle);
CLASSLIB_ENUM(TComboBoxStyle);
CLASSLIB_ENUM(TListBoxStyle);

using TDrawItemEvent =
    TEvent<void(TWinControl* Control, int Index, RECT Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = TEvent<void(TWinControl* Control, int Index, int& Height)>;

class TCustomLabel : public TGraphicControl {
    CLASSLIB_CLASS(TCustomLabel, TGraphicControl)
    CLASSLIB_MESSAGES()
    explicit TCustomLabel(TComponent* owner);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout value);
    void SetAutoSize(bool value) override;
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    bool Transparent() const { return !controlStyle_.Contains(csOpaque); }
    void SetTransparent(bool value);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);
    // The control that takes the focus when the label's accelerator is pressed.
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* value);

protected:
    void Paint() override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void AdjustBounds();
    UINT TextFlags() const;
    void CMTextChanged(TMessage& m);
    void CMFontChanged(TMessage& m);
    void CMDialogChar(TMessage& m);

    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    TWinControl* focusControl_ = nullptr;
};

class TLabel : public TCustomLabel {
    CLASSLIB_CLASS(TLabel, TCustomLabel)
    explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
};

class TButtonControl : public TWinControl {
    CLASSLIB_CLASS(TButtonControl, TWinControl)
    CLASSLIB_MESSAGES()
    explicit TButtonControl(TComponent* owner);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);

protected:
    void CreateParams(TCreateParams& params) override;
    void CNCtlColor(TMessage& m);
    bool wordWrap_ = false;
};

class TButton : public TButtonControl {
    CLASSLIB_CLASS(TButton, TButtonControl)
    CLASSLIB_MESSAGES()
    explicit TButton(TComponent* owner);
    // The default button answers Enter (while no other button has the focus), the cancel
    // button Escape.
    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult value) { modalResult_ = value; }
    void Click() override;

protected:
    void CreateParams(TCreateParams& params) override;
    void SetButtonStyle(bool isDefault);
    void CNCommand(TMessage& m);
    void CMDialogKey(TMessage& m);
    void CMDialogChar(TMessage& m);
    void CMFocusChanged(TMessage& m);

    bool default_ = false;
    bool cancel_ = false;
    bool active_ = false;
    TModalResult modalResult_ = mrNone;
};

class TCustomCheckBox : public TButtonControl {
    CLASSLIB_CLASS(TCustomCheckBox, TButtonControl)
    CLASSLIB_MESSAGES()
    explicit TCustomCheckBox(TComponent* owner);
    TCheckBoxState State() const;
    void SetState(TCheckBoxState value);
    bool Checked() const { return State() == cbChecked; }
    void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool value);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandle() override;
    virtual void Toggle();
    void CNCommand(TMessage& m);
    void CMDialogChar(TMessage& m);

    TCheckBoxState state_ = cbUnchecked;
    bool allowGrayed_ = false;
};

class TCheckBox : public TCustomCheckBox {
    CLASSLIB_CLASS(TCheckBox, TCustomCheckBox)
    explicit TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}
};

class TRadioButton : public TButtonControl {
    CLASSLIB_CLASS(TRadioButton, TButtonControl)
    CLASSLIB_MESSAGES()
    explicit TRadioButton(TComponent* owner);
    bool Checked() const;
    // Checking one radio button unchecks its siblings.
    void SetChecked(bool value);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandle() override;
    void CNCommand(TMessage& m);
    void CMDialogChar(TMessage& m);
    bool checked_ = false;
};

class TCustomEdit : public TWinControl {
    CLASSLIB_CLASS(TCustomEdit, TWinControl)
    CLASSLIB_MESSAGES()
    explicit TCustomEdit(TComponent* owner);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    bool Modified() const;
    void Clear() { SetText(""); }
    void SelectAll();
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandle() override;
    virtual void Change();
    void CNCommand(TMessage& m);

    bool readOnly_ = false;
    int maxLength_ = 0;
    TBorderStyle borderStyle_ = bsSingle;
};

class TEdit : public TCustomEdit {
    CLASSLIB_CLASS(TEdit, TCustomEdit)
    explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

class TCustomMemo : public TCustomEdit {
    CLASSLIB_CLASS(TCustomMemo, TCustomEdit)
    CLASSLIB_MESSAGES()
    explicit TCustomMemo(TComponent* owner);
    ~TCustomMemo() override;
    // The text by lines; changes go straight to the control.
    TStrings* Lines() const { return lines_; }
    void SetLines(TStrings* value) { lines_->Assign(value); }
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool value) { wantReturns_ = value; }

protected:
    void CreateParams(TCreateParams& params) override;
    void WMGetDlgCode(TMessage& m);

    TStrings* lines_;
    TScrollStyle scrollBars_ = ssNone;
    bool wordWrap_ = true;
    bool wantReturns_ = true;
};

class TMemo : public TCustomMemo {
    CLASSLIB_CLASS(TMemo, TCustomMemo)
    explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}
};

// Items kept in a native list (combo box or list box), mirrored while the window exists.
class TNativeListStrings;

class TCustomComboBox : public TWinControl {
    CLASSLIB_CLASS(TCustomComboBox, TWinControl)
    CLASSLIB_MESSAGES()
    explicit TCustomComboBox(TComponent* owner);
    ~TCustomComboBox() override;
    TStrings* Items() const;
    void SetItems(TStrings* value);
    int ItemIndex() const;
    void SetItemIndex(int value);
    TComboBoxStyle Style() const { return style_; }
    virtual void SetStyle(TComboBoxStyle value);
    int ItemHeight() const;
    void SetItemHeight(int value);
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int value) { dropDownCount_ = value; }
    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int value) { maxLength_ = value; }
    bool DroppedDown() const;
    void SetDroppedDown(bool value);
    // The canvas owner drawing paints on (bound to the item's device context in DrawItem).
    TCanvas* Canvas() const { return canvas_; }
    void Clear();

    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TNotifyEvent OnSelect;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

protected:
    friend class TNativeListStrings;
    void CreateParams(TCreateParams& params) override;
    void CreateHandle() override;
    void DestroyWnd() override;
    // Owner drawing: paints item `index` into `rect` on Canvas.
    virtual void DrawItem(int index, RECT rect, TOwnerDrawState state);
    virtual void MeasureItem(int index, int& height);
    virtual void Change();
    void CNCommand(TMessage& m);
    void CNDrawItem(TMessage& m);
    void CNMeasureItem(TMessage& m);

    TNativeListStrings* items_;
    TCanvas* canvas_;
    TComboBoxStyle style_ = csDropDown;
    int itemIndex_ = -1;
    int itemHeight_ = 16;
    int dropDownCount_ = 8;
    int maxLength_ = 0;
    bool sorted_ = false;
};

class TComboBox : public TCustomComboBox {
    CLASSLIB_CLASS(TComboBox, TCustomComboBox)
    explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
};

class TCustomListBox : public TWinControl {
    CLASSLIB_CLASS(TCustomListBox, TWinControl)
    CLASSLIB_MESSAGES()
    explicit TCustomListBox(TComponent* owner);
    ~TCustomListBox() override;
    TStrings* Items() const;
    void SetItems(TStrings* value);
    int ItemIndex() const;
    void SetItemIndex(int value);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);
    void Clear();

protected:
    friend class TNativeListStrings;
    void CreateParams(TCreateParams& params) override;
    void CreateHandle() override;
    void DestroyWnd() override;
    void CNCommand(TMessage& m);

    TNativeListStrings* items_;
    int itemIndex_ = -1;
    bool sorted_ = false;
};

class TListBox : public TCustomListBox {
    CLASSLIB_CLASS(TListBox, TCustomListBox)
    explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
};

// A framed box with a caption that holds other controls.
class TCustomGroupBox : public TCustomControl {
    CLASSLIB_CLASS(TCustomGroupBox, TCustomControl)
    CLASSLIB_MESSAGES()
    explicit TCustomGroupBox(TComponent* owner);
    void AdjustClientRect(RECT& rect) override;

protected:
    void Paint() override;
    void CMDialogChar(TMessage& m);
    void CMTextChanged(TMessage& m);
};

class TGroupBox : public TCustomGroupBox {
    CLASSLIB_CLASS(TGroupBox, TCustomGroupBox)
    explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}
};

void RegisterStandardClasses();

} // namespace classlib
