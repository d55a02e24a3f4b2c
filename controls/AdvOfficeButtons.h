#pragma once
// The office check box and radio button: windowed controls that paint a small glyph bitmap
// chosen by their state, mouse-over and pressed state, and a caption in mini-HTML through the
// shared renderer; anchors in the caption open through the shell or fire OnAnchorClick. The
// radio group is a group box holding one radio button per line of its Items, in columns.
//
// The check box and the radio button share TOfficeButtonControl, which holds what the two
// have in common (glyph and caption painting, anchors, mouse, keys and focus); each adds its
// own state and click rules.
#include <memory>
#include <string>
#include <vector>

#include "AdvGroupBox.h"
#include "core/StringList.h"
#include "draw/PictureContainer.h"
#include "html/AnchorLinks.h"
#include "windows/Controls.h"
#include "windows/ImageLists.h"
#include "windows/StdCtrls.h"

namespace html {
struct HtmlDrawRequest;
}

namespace controls {

using html::TAnchorClick;
using TEnabledEvent =
    classlib::TEvent<void(classlib::TObject* Sender, int ItemIndex, bool& Enabled)>;

// The alternate-pixel focus frame of the office buttons: the four edges of `r` (end points
// excluded) in `color`.
void DrawFocusFrame(classlib::TCanvas* canvas, const RECT& r, classlib::TColor color);

class TOfficeButtonControl : public classlib::TCustomControl {
    CLASSLIB_CLASS(TOfficeButtonControl, classlib::TCustomControl)
    CLASSLIB_MESSAGES()
    explicit TOfficeButtonControl(classlib::TComponent* owner);
    ~TOfficeButtonControl() override;

    bool Down() const { return down_; }
    void SetDown(bool value) { down_ = value; }
    bool ReturnIsTab() const { return returnIsTab_; }
    void SetReturnIsTab(bool value) { returnIsTab_ = value; }
    classlib::TCustomImageList* Images() const { return images_; }
    void SetImages(classlib::TCustomImageList* value);
    classlib::TColor URLColor() const { return urlColor_; }
    void SetURLColor(classlib::TColor value);
    classlib::TTextLayout ButtonVertAlign() const { return buttonVertAlign_; }
    void SetButtonVertAlign(classlib::TTextLayout value);
    classlib::TAlignment Alignment() const { return alignment_; }
    void SetAlignment(classlib::TAlignment value);
    bool Ellipsis() const { return ellipsis_; }
    void SetEllipsis(bool value);
    draw::TPictureContainer* PictureContainer() const { return pictureContainer_; }
    void SetPictureContainer(draw::TPictureContainer* value);
    int ShadowOffset() const { return shadowOffset_; }
    void SetShadowOffset(int value);
    classlib::TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(classlib::TColor value);
    // The mini-HTML caption.
    void SetCaption(const std::string& value);
    std::string Version() const { return "1.1.1.1"; }
    void SetVersion(const std::string&) {}
    // Paint the parent's image as background before drawing (the radio group switches it off
    // for its buttons).
    bool PaintParent() const { return paintParent_; }
    void SetPaintParent(bool value) { paintParent_ = value; }
    bool IsFocused() const { return isFocused_; }
    bool IsHot() const { return isHot_; }
    draw::THTMLPictureCache* PictureCache() const { return pictureCache_.get(); }

    // The anchor under a client point, or empty.
    std::string GetAnchorAt(int x, int y);

    TAnchorClick OnAnchorClick;
    TAnchorClick OnAnchorEnter;
    TAnchorClick OnAnchorExit;

    void SetBounds(int left, int top, int width, int height) override;

protected:
    // What the subclasses choose.
    virtual bool ShowsChecked() const { return false; }
    virtual bool IsRadio() const { return false; }

    void Loaded() override;
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;
    void Paint() override;
    void MouseDown(classlib::TMouseButton button, classlib::TShiftState shift, int x,
                   int y) override;
    void MouseMove(classlib::TShiftState shift, int x, int y) override;
    void KeyDown(WORD& key, classlib::TShiftState shift) override;
    void DoEnter() override;
    void DoExit() override;
    void WMEraseBkgnd(classlib::TMessage& m);
    void CMEnabledChanged(classlib::TMessage& m);
    void CMMouseEnter(classlib::TMessage& m);
    void CMMouseLeave(classlib::TMessage& m);

    void DrawGlyph();
    // The glyph strip (16 pixels at the left or right) invalidated with erasing.
    void InvalidateGlyphStrip(bool atRight);
    bool GlyphAtRight() const;
    // The caption through the renderer in `rect` with this control's arguments.
    bool RenderCaption(html::HtmlDrawRequest& request, const RECT& rect, bool hitTestOnly,
                       bool measureOnly, classlib::TColor linkColor, int x, int y,
                       std::string* anchor, SIZE* textSize);

    bool down_ = false;
    bool isFocused_ = false;
    bool isHot_ = false;
    bool inClick_ = false;
    bool isPressed_ = false;
    bool paintParent_ = true;
    classlib::TCursor savedCursor_ = classlib::crDefault;

private:
    bool returnIsTab_ = false;
    classlib::TCustomImageList* images_ = nullptr;
    std::string lastAnchor_;
    classlib::TColor urlColor_ = classlib::clBlue;
    std::unique_ptr<draw::THTMLPictureCache> pictureCache_;
    classlib::TTextLayout buttonVertAlign_ = classlib::tlTop;
    classlib::TAlignment alignment_ = classlib::taLeftJustify;
    bool ellipsis_ = false;
    draw::TPictureContainer* pictureContainer_ = nullptr;
    int shadowOffset_ = 1;
    classlib::TColor shadowColor_ = 0x808080;
};

class TCustomAdvOfficeCheckBox : public TOfficeButtonControl {
    CLASSLIB_CLASS(TCustomAdvOfficeCheckBox, TOfficeButtonControl)
    CLASSLIB_MESSAGES()
    explicit TCustomAdvOfficeCheckBox(classlib::TComponent* owner);

    classlib::TCheckBoxState State() const { return state_; }
    void SetState(classlib::TCheckBoxState value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { readOnly_ = value; }
    virtual void Toggle();

protected:
    bool ShowsChecked() const override { return state_ == classlib::cbChecked; }
    bool IsRadio() const override { return false; }
    void MouseUp(classlib::TMouseButton button, classlib::TShiftState shift, int x, int y) override;
    void KeyUp(WORD& key, classlib::TShiftState shift) override;

private:
    void CMDialogChar(classlib::TMessage& m);
    classlib::TCheckBoxState state_ = classlib::cbUnchecked;
    bool readOnly_ = false;
};

class TAdvOfficeCheckBox : public TCustomAdvOfficeCheckBox {
    CLASSLIB_CLASS(TAdvOfficeCheckBox, TCustomAdvOfficeCheckBox)
    // A new check box shows its class name as caption until one is set.
    explicit TAdvOfficeCheckBox(classlib::TComponent* owner) : TCustomAdvOfficeCheckBox(owner)
    {
        TCustomControl::SetCaption(ClassName());
    }
    bool Checked() const { return State() == classlib::cbChecked; }
    void SetChecked(bool value);
};

class TAdvOfficeRadioButton : public TOfficeButtonControl {
    CLASSLIB_CLASS(TAdvOfficeRadioButton, TOfficeButtonControl)
    CLASSLIB_MESSAGES()
    explicit TAdvOfficeRadioButton(classlib::TComponent* owner);

    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    uint8_t GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(uint8_t value) { groupIndex_ = value; }
    // The class library's click does nothing: OnClick comes only from DoClick.
    void Click() override {}

protected:
    virtual void DoClick();
    bool ShowsChecked() const override { return checked_; }
    bool IsRadio() const override { return true; }
    void MouseUp(classlib::TMouseButton button, classlib::TShiftState shift, int x, int y) override;
    void KeyUp(WORD& key, classlib::TShiftState shift) override;
    void DoEnter() override;

private:
    void WMLButtonDown(classlib::TMessage& m);
    void CMDialogChar(classlib::TMessage& m);
    bool checked_ = false;
    uint8_t groupIndex_ = 0;
};

class TCustomAdvOfficeRadioGroup;

// A radio button created, owned and placed by a radio group; never streamed.
class TAdvGroupButton : public TAdvOfficeRadioButton {
    CLASSLIB_CLASS(TAdvGroupButton, TAdvOfficeRadioButton)
    explicit TAdvGroupButton(TCustomAdvOfficeRadioGroup* group);
    ~TAdvGroupButton() override;

protected:
    void KeyDown(WORD& key, classlib::TShiftState shift) override;
    void KeyPress(char& key) override;

private:
    TCustomAdvOfficeRadioGroup* group_;
};

class TCustomAdvOfficeRadioGroup : public TAdvGroupBox {
    CLASSLIB_CLASS(TCustomAdvOfficeRadioGroup, TAdvGroupBox)
    CLASSLIB_MESSAGES()
    explicit TCustomAdvOfficeRadioGroup(classlib::TComponent* owner);
    ~TCustomAdvOfficeRadioGroup() override;

    classlib::TStringList* Items() const { return items_.get(); }
    void SetItems(classlib::TStringList* value) { items_->Assign(value); }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int value);
    int Columns() const { return columns_; }
    void SetColumns(int value);
    classlib::TAlignment Alignment() const { return alignment_; }
    void SetAlignment(classlib::TAlignment value);
    classlib::TTextLayout ButtonVertAlign() const { return buttonVertAlign_; }
    void SetButtonVertAlign(classlib::TTextLayout value);
    classlib::TCustomImageList* Images() const { return buttonImages_; }
    void SetImages(classlib::TCustomImageList* value);
    draw::TPictureContainer* PictureContainer() const { return pictureContainer_; }
    void SetPictureContainer(draw::TPictureContainer* value);
    bool Ellipsis() const { return ellipsis_; }
    void SetEllipsis(bool value);
    int ShadowOffset() const { return shadowOffset_; }
    void SetShadowOffset(int value);
    classlib::TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(classlib::TColor value);
    std::string Version() const { return "1.1.1.1"; }
    void SetVersion(const std::string&) {}
    TEnabledEvent OnIsEnabled;

    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    TAdvGroupButton* Buttons(int index) const { return buttons_[static_cast<size_t>(index)]; }
    virtual bool CanModify() const { return true; }

    void ReadState(classlib::TReader& reader) override;

protected:
    friend class TAdvGroupButton;
    void Loaded() override;
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;
    void ButtonClick(classlib::TObject* sender);
    void GroupKeyDown(WORD& key, classlib::TShiftState shift) { KeyDown(key, shift); }
    void GroupKeyPress(char& key) { KeyPress(key); }

private:
    void ItemsChange(classlib::TObject*);
    void UpdateButtons();
    void SetButtonCount(int count);
    void ArrangeButtons();
    void CMEnabledChanged(classlib::TMessage& m);
    void CMFontChanged(classlib::TMessage& m);
    void WMSize(classlib::TMessage& m);

    std::vector<TAdvGroupButton*> buttons_;
    std::unique_ptr<classlib::TStringList> items_;
    int itemIndex_ = -1;
    int columns_ = 1;
    bool reading_ = false;
    bool updating_ = false;
    classlib::TAlignment alignment_ = classlib::taLeftJustify;
    classlib::TTextLayout buttonVertAlign_ = classlib::tlTop;
    classlib::TCustomImageList* buttonImages_ = nullptr;
    draw::TPictureContainer* pictureContainer_ = nullptr;
    bool ellipsis_ = false;
    int shadowOffset_ = 1;
    classlib::TColor shadowColor_ = 0xC0C0C0;
};

class TAdvOfficeRadioGroup : public TCustomAdvOfficeRadioGroup {
    CLASSLIB_CLASS(TAdvOfficeRadioGroup, TCustomAdvOfficeRadioGroup)
    explicit TAdvOfficeRadioGroup(classlib::TComponent* owner) : TCustomAdvOfficeRadioGroup(owner)
    {
    }
};

} // namespace controls
