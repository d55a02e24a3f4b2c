#pragma once
// THTMLComboBox: a combo box whose items are mini-HTML, each drawn (in the list and in the edit
// field) by the shared renderer; item heights come from the rendered text, anchors in the
// selected item react to the mouse, and keyboard lookup and sorting work on the plain text.
// TBaseCustomComboBox adds the optional flat look: a thin frame and a flat drop-down button
// painted over the native control.
#include "core/Exceptions.h"
#include "windows/ImageLists.h"
#include "windows/StdCtrls.h"

#include <memory>
#include <string>

namespace draw {
class THTMLPictureCache;
class TPictureContainer;
} // namespace draw

namespace controls {

class EHTMLComboBoxError : public classlib::Exception {
public:
    using Exception::Exception;
};

// The combo box's anchor events carry the item index.
using TComboAnchorClick =
    classlib::TEvent<void(classlib::TObject* Sender, int Index, const std::string& Anchor)>;

class TBaseCustomComboBox : public classlib::TCustomComboBox {
    CLASSLIB_CLASS(TBaseCustomComboBox, classlib::TCustomComboBox)
    CLASSLIB_MESSAGES()
    explicit TBaseCustomComboBox(classlib::TComponent* owner);

    bool AutoFocus() const { return autoFocus_; }
    void SetAutoFocus(bool value) { autoFocus_ = value; }
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    bool Etched() const { return etched_; }
    void SetEtched(bool value);
    int ButtonWidth() const { return buttonWidth_; }
    // Takes 14 to 32; other values are ignored.
    void SetButtonWidth(int value);
    bool FocusBorder() const { return focusBorder_; }
    void SetFocusBorder(bool value) { focusBorder_ = value; }
    bool MouseInControl() const { return mouseInControl_; }

protected:
    // The flat frame and, unless the style is csSimple, the flat button, on the window's DC.
    void DrawFlatFrameAndButton();
    void CMEnter(classlib::TMessage& m);
    void CMExit(classlib::TMessage& m);
    void CMMouseEnter(classlib::TMessage& m);
    void CMMouseLeave(classlib::TMessage& m);
    void CMEnabledChanged(classlib::TMessage& m);
    void CNCommand(classlib::TMessage& m);
    void WMPaint(classlib::TMessage& m);
    void WMNCPaint(classlib::TMessage& m);

private:
    bool ShowsFocusFrame() const;
    bool ShowsButtonEdge() const;
    void DrawFlatFrame(HDC dc, RECT rect);
    void DrawFlatButton(HDC dc, RECT windowRect);

    bool autoFocus_ = false;
    bool flat_ = false;
    bool etched_ = false;
    classlib::TColor savedColor_;
    bool savedParentColor_;
    int buttonWidth_;
    bool focusBorder_ = false;
    bool mouseInControl_ = false;
};

class THTMLComboBox : public TBaseCustomComboBox {
    CLASSLIB_CLASS(THTMLComboBox, TBaseCustomComboBox)
    CLASSLIB_MESSAGES()
    explicit THTMLComboBox(classlib::TComponent* owner);
    ~THTMLComboBox() override;

    // Every style written becomes csOwnerDrawFixed.
    void SetStyle(classlib::TComboBoxStyle value) override;
    int DropWidth() const;
    void SetDropWidth(int value);
    int DropHeight() const { return dropHeight_; }
    void SetDropHeight(int value) { dropHeight_ = value; }
    int EditHeight() const;
    void SetEditHeight(int value);
    classlib::TCustomImageList* Images() const { return images_; }
    void SetImages(classlib::TCustomImageList* value);
    classlib::TColor URLColor() const { return urlColor_; }
    void SetURLColor(classlib::TColor value);
    bool IncrLookup() const { return incrLookup_; }
    void SetIncrLookup(bool value) { incrLookup_ = value; }
    bool Ellipsis() const { return ellipsis_; }
    void SetEllipsis(bool value);
    int ShadowOffset() const { return shadowOffset_; }
    void SetShadowOffset(int value);
    classlib::TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(classlib::TColor value);
    bool Sorted() const { return sortedHtml_; }
    void SetSorted(bool value);
    bool ItemHint() const { return itemHint_; }
    void SetItemHint(bool value) { itemHint_ = value; }
    bool HTMLHint() const { return htmlHint_; }
    void SetHTMLHint(bool value) { htmlHint_ = value; }
    draw::TPictureContainer* PictureContainer() const { return pictureContainer_; }
    void SetPictureContainer(draw::TPictureContainer* value) { pictureContainer_ = value; }
    std::string Version() const;
    void SetVersion(const std::string&) {}
    uint32_t GetVersionNr() const { return 0x01050001; }

    // The item's text with the markup rendered away; raises EHTMLComboBoxError "Item index out
    // of range" for an index outside the items.
    std::string GetItemPlainText(int index);
    const std::string& LookupBuffer() const { return lookup_; }

    TComboAnchorClick OnAnchorClick;
    TComboAnchorClick OnAnchorEnter;
    TComboAnchorClick OnAnchorExit;

protected:
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;
    void CreateHandle() override;
    void DrawItem(int index, RECT rect, classlib::TOwnerDrawState state) override;
    void MeasureItem(int index, int& height) override;
    void MouseMove(classlib::TShiftState shift, int x, int y) override;
    void KeyDown(WORD& key, classlib::TShiftState shift) override;
    void DoEnter() override;
    void CNCommand(classlib::TMessage& m);
    void CMHintShow(classlib::TMessage& m);
    void WMLButtonDown(classlib::TMessage& m);
    void WMChar(classlib::TMessage& m);

private:
    struct Rendered {
        bool onAnchor;
        std::string anchor;
        std::string plainText;
        int textHeight;
    };
    // The item rendered on a canvas of the control window's DC (its default font) over `rect`.
    Rendered RenderOnWindowDC(int index, const RECT& rect, int x, int y, bool hitTestOnly,
                              bool measureOnly);
    bool ValidIndex(int index) const { return index >= 0 && index < Items()->Count(); }
    // The first item from `from` on whose plain text starts with the lookup buffer (ASCII
    // upper case), or -1.
    int FindLookupMatch(int from);

    classlib::TColor urlColor_ = classlib::clBlue;
    bool incrLookup_ = false;
    classlib::TCustomImageList* images_ = nullptr;
    int dropHeight_ = 200;
    std::string lastAnchor_;
    std::string lookup_;
    bool sortedHtml_ = false;
    bool ellipsis_ = false;
    draw::TPictureContainer* pictureContainer_ = nullptr;
    int shadowOffset_ = 0;
    classlib::TColor shadowColor_ = classlib::clBlack;
    std::unique_ptr<draw::THTMLPictureCache> pictureCache_;
    bool itemHint_ = false;
    bool htmlHint_ = false;
    // Sizes set before the window existed; -1 none.
    int pendingDropWidth_ = -1;
    int pendingEditHeight_ = -1;
};

} // namespace controls
