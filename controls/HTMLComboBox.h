#pragma once
// HTML combo box: an owner-drawn combo box whose items are mini-HTML; for now each item is
// drawn as plain text, centred when the item's markup centres it.
#include "windows/StdCtrls.h"

namespace controls {

class THTMLComboBox : public classlib::TCustomComboBox {
    CLASSLIB_CLASS(THTMLComboBox, classlib::TCustomComboBox)
    explicit THTMLComboBox(classlib::TComponent* owner);

    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int value) { buttonWidth_ = value; }
    int DropWidth() const { return dropWidth_; }
    void SetDropWidth(int value) { dropWidth_ = value; }
    int DropHeight() const { return dropHeight_; }
    void SetDropHeight(int value) { dropHeight_ = value; }

protected:
    void DrawItem(int index, RECT rect, classlib::TOwnerDrawState state) override;

private:
    int buttonWidth_ = 19;
    int dropWidth_ = 0;
    int dropHeight_ = 200;
};

} // namespace controls
