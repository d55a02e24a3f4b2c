#pragma once
// The task dialog's own window, used where the native task dialog is unavailable: a white form
// built in code from the dialog's settings (instruction beside an optional icon, content,
// progress bar, radio buttons, expandable text, command links or push buttons, verification
// check box, footer) laid out in dialog units of the message font, with a grey button area.
#include "AdvTaskDialog.h"
#include "TaskDialogButton.h"

#include "windows/ComCtrls.h"
#include "windows/ExtCtrls.h"
#include "windows/Forms.h"
#include "windows/Images.h"
#include "windows/StdCtrls.h"
#include "windows/Timers.h"

#include <memory>
#include <string>
#include <vector>

namespace panels {

class TAdvMessageForm : public classlib::TForm {
    CLASSLIB_CLASS(TAdvMessageForm, classlib::TForm)
    CLASSLIB_MESSAGES()
    // Builds and lays out the form for `dialog`. Raises the platform's invalid-cast error when
    // the dialog's owner must be the parent but is not a form.
    TAdvMessageForm(classlib::TComponent* owner, TCustomAdvTaskDialog* dialog);
    ~TAdvMessageForm() override;

    // A text of the dialog changed while the form is shown.
    void Relayout();
    bool Expanded() const { return expanded_; }
    void SetExpanded(bool value);
    void ToggleExpanded() { SetExpanded(!expanded_); }

    TCustomAdvTaskDialog* Dialog() const { return dialog_; }
    const std::vector<classlib::TButtonControl*>& CommonButtonControls() const
    {
        return commonButtons_;
    }
    // Custom push buttons, or with doCommandLinks the command links.
    const std::vector<classlib::TWinControl*>& CustomButtonControls() const
    {
        return customButtons_;
    }
    const std::vector<classlib::TButtonControl*>& RadioButtonControls() const
    {
        return radioButtons_;
    }
    classlib::TLabel* InstructionLabel() const { return instruction_; }
    classlib::TImage* IconImage() const { return image_; }
    TTaskDialogButton* ExpandButton() const { return expandButton_; }
    classlib::TProgressBar* ProgressBar() const { return progress_; }
    classlib::TCheckBox* VerificationCheckBox() const { return verification_; }
    classlib::TTimer* Timer() const { return timer_; }
    RECT ContentRect() const { return contentRect_; }
    RECT ExpandedRect() const { return expandedRect_; }
    RECT FooterRect() const { return footerRect_; }
    // Where the footer's text starts: right of its icon.
    RECT FooterTextRect() const;
    int ButtonAreaTop() const { return buttonAreaTop_; }
    int HorizontalMargin() const { return horzMargin_; }
    int VerticalMargin() const { return vertMargin_; }
    int HorizontalSpacing() const { return horzSpacing_; }
    int VerticalSpacing() const { return vertSpacing_; }
    // The expander's label as shown now.
    std::string ExpanderText() const;
    // The anchor of the footer, content or expanded text under a point, empty when none.
    std::string AnchorAt(int x, int y);

protected:
    void PaintWindow(HDC dc) override;
    bool CloseQuery() override;
    void DoShow() override;
    void KeyDown(WORD& key, classlib::TShiftState shift) override;
    void MouseMove(classlib::TShiftState shift, int x, int y) override;
    void MouseDown(classlib::TMouseButton button, classlib::TShiftState shift, int x,
                   int y) override;
    void CMDialogChar(classlib::TMessage& m);
    void WMActivateForm(classlib::TMessage& m);

private:
    void BuildControls();
    void Arrange();
    int ClientWidthFor(bool atCreation);
    int ButtonRowWidth() const;
    SIZE MeasureBlock(const std::string& text, int width, bool html, bool escapes);
    void DrawBlock(classlib::TCanvas* canvas, const std::string& text, const RECT& rect, bool html,
                   bool escapes);
    void MeasureInstruction();
    void KeyHook(classlib::TObject* sender, WORD& key, classlib::TShiftState shift);
    void CopyToClipboard(const std::string& text);
    void RadioClick(classlib::TObject* sender);
    void CustomButtonClick(classlib::TObject* sender);
    void VerificationClick(classlib::TObject* sender);
    void ExpandClick(classlib::TObject* sender);
    void TimerTick(classlib::TObject* sender);
    bool HtmlContent() const;
    void LoadExpandPictures();

    TCustomAdvTaskDialog* dialog_;
    bool expanded_ = true;
    std::vector<classlib::TButtonControl*> commonButtons_;
    std::vector<classlib::TWinControl*> customButtons_;
    std::vector<classlib::TButtonControl*> radioButtons_;
    TTaskDialogButton* expandButton_ = nullptr;
    classlib::TLabel* instruction_ = nullptr;
    classlib::TImage* image_ = nullptr;
    classlib::TImage* footerImage_ = nullptr;
    classlib::TProgressBar* progress_ = nullptr;
    classlib::TCheckBox* verification_ = nullptr;
    classlib::TTimer* timer_ = nullptr;
    LPCSTR footerIcon_ = nullptr;
    std::unique_ptr<classlib::TBitmap> measure_;
    std::unique_ptr<classlib::TFont> instructionFont_;
    int horzMargin_ = 0, vertMargin_ = 0, horzSpacing_ = 0, vertSpacing_ = 0, buttonHeight_ = 0,
        buttonGap_ = 0;
    SIZE instructionSize_{};
    SIZE contentSize_{};
    SIZE expandedSize_{};
    SIZE footerSize_{};
    RECT contentRect_{};
    RECT expandedRect_{};
    RECT footerRect_{};
    int expandedTop_ = 0;
    int buttonAreaTop_ = 0;
    int textLeft_ = 0;
    int minClientWidth_ = 350;
    int requiredWidth_ = 0;
    int commandLinkWidth_ = 0;
    std::string caption_;
    std::string lastAnchor_;
};

// Creates and lays out the emulation form of `dialog` (none for no dialog).
TAdvMessageForm* CreateEmulatedTaskDialog(TCustomAdvTaskDialog* dialog);
// Shows the emulation modally at (x, y) (negative: centred by the dialog's position rule) and
// returns its modal result; -1 for no dialog.
int RunEmulatedTaskDialog(TCustomAdvTaskDialog* dialog, int x, int y);

} // namespace panels
