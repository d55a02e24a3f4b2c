#pragma once
// Task dialog: a window title, a main instruction, content, common and custom buttons (or
// command links), radio buttons, an expandable text, a verification check box, a footer, icons
// and a progress bar, shown modally. Where the platform has the native task dialog (Windows 6
// with version 6 of the common controls) it is filled in and shown by TaskDialogIndirect;
// otherwise the dialog's own emulation, TAdvMessageForm, shows it.
#include "core/Component.h"
#include "core/Events.h"
#include "core/StringList.h"
#include "windows/Controls.h"
#include "windows/Dialogs.h"
#include "windows/Graphics.h"

#include <windows.h>

#include <memory>
#include <string>

namespace classlib {
class TIcon;
class TButtonControl;
} // namespace classlib

namespace panels {

class TAdvMessageForm;

enum TCommonButton { cbOK, cbYes, cbNo, cbCancel, cbRetry, cbClose };
using TCommonButtons = classlib::TSet<TCommonButton>;
CLASSLIB_ENUM(TCommonButton);
enum TTaskDialogPosition { dpScreenCenter, dpOwnerFormCenter };
CLASSLIB_ENUM(TTaskDialogPosition);
enum TTaskDialogFooterIcon {
    tfiBlank,
    tfiWarning,
    tfiQuestion,
    tfiError,
    tfiInformation,
    tfiShield
};
CLASSLIB_ENUM(TTaskDialogFooterIcon);
enum TTaskDialogIcon {
    tiBlank,
    tiWarning,
    tiQuestion,
    tiError,
    tiInformation,
    tiNotUsed,
    tiShield
};
CLASSLIB_ENUM(TTaskDialogIcon);
enum TTaskDialogOption {
    doHyperlinks,
    doCommandLinks,
    doCommandLinksNoIcon,
    doExpandedDefault,
    doExpandedFooter,
    doAllowMinimize,
    doVerifyChecked,
    doProgressBar,
    doProgressBarMarquee,
    doTimer,
    doNoDefaultRadioButton,
    doAllowDialogCancel
};
using TTaskDialogOptions = classlib::TSet<TTaskDialogOption>;
CLASSLIB_ENUM(TTaskDialogOption);
enum TNonNativeDialog { nndAuto, nndAlways };
CLASSLIB_ENUM(TNonNativeDialog);
enum TTaskDialogProgressState { psNormal, psError, psPaused };
CLASSLIB_ENUM(TTaskDialogProgressState);

using TTaskDialogCloseEvent = classlib::TEvent<void(classlib::TObject* Sender, bool& CanClose)>;
using TTaskDialogButtonClickEvent = classlib::TEvent<void(classlib::TObject* Sender, int ButtonID)>;
using TTaskDialogHyperlinkClickEvent =
    classlib::TEvent<void(classlib::TObject* Sender, const std::string& HRef)>;
using TTaskDialogVerifyClickEvent = classlib::TEvent<void(classlib::TObject* Sender, bool Checked)>;
using TTaskDialogProgressEvent =
    classlib::TEvent<void(classlib::TObject* Sender, int& Pos, TTaskDialogProgressState& State)>;

class TCustomAdvTaskDialog : public classlib::TComponent {
    CLASSLIB_CLASS(TCustomAdvTaskDialog, classlib::TComponent)
    explicit TCustomAdvTaskDialog(classlib::TComponent* owner);
    ~TCustomAdvTaskDialog() override;

    classlib::TStrings* CustomButtons() const { return customButtons_.get(); }
    void SetCustomButtons(classlib::TStrings* value) { customButtons_->Assign(value); }
    classlib::TIcon* CustomIcon() const { return customIcon_.get(); }
    void SetCustomIcon(classlib::TIcon* value);
    classlib::TStrings* RadioButtons() const { return radioButtons_.get(); }
    void SetRadioButtons(classlib::TStrings* value) { radioButtons_->Assign(value); }
    const std::string& Instruction() const { return instruction_; }
    void SetInstruction(const std::string& value);
    const std::string& Content() const { return content_; }
    void SetContent(const std::string& value);
    const std::string& ExpandedText() const { return expandedText_; }
    void SetExpandedText(const std::string& value);
    const std::string& Footer() const { return footer_; }
    void SetFooter(const std::string& value);
    std::string Version() const { return "1.5.0.6"; }
    void SetVersion(const std::string&) {}

    // Plain fields: written directly, without change handling.
    TCommonButtons CommonButtons;
    int DefaultButton = 0;
    int DefaultRadioButton = 200;
    TTaskDialogPosition DialogPosition = dpScreenCenter;
    TTaskDialogFooterIcon FooterIcon = tfiBlank;
    TTaskDialogIcon Icon = tiBlank;
    std::string Title;
    std::string ExpandControlText;
    std::string CollapsControlText;
    TTaskDialogOptions Options;
    bool ApplicationIsParent = true;
    std::string VerificationText;
    TNonNativeDialog NonNativeDialog = nndAuto;
    int NonNativeMinFormWidth = 350;
    int ProgressBarMin = 0;
    int ProgressBarMax = 100;

    classlib::TNotifyEvent OnDialogCreated;
    TTaskDialogCloseEvent OnDialogClose;
    TTaskDialogButtonClickEvent OnDialogButtonClick;
    TTaskDialogButtonClickEvent OnDialogRadioClick;
    TTaskDialogHyperlinkClickEvent OnDialogHyperlinkClick;
    classlib::TNotifyEvent OnDialogTimer;
    TTaskDialogVerifyClickEvent OnDialogVerifyClick;
    TTaskDialogProgressEvent OnDialogProgress;

    // After Execute: the selected radio button's identifier and the check box's state.
    int RadioButtonResult = 0;
    bool VerificationChecked = false;
    // The native dialog's window while it is shown, else null.
    HWND DialogHandle() const { return dialogHandle_; }
    // The emulation form while Execute shows it, else null.
    TAdvMessageForm* Form() const { return form_; }

    // Factories and control operations of the emulation; the button operations act only on
    // push buttons (GetButtonModalResult answers 0 for anything else).
    virtual classlib::TButtonControl* CreateButton(classlib::TComponent* owner);
    virtual classlib::TButtonControl* CreateRadioButton(classlib::TComponent* owner);
    virtual void InitRadioButton(classlib::TCustomForm* form, classlib::TButtonControl* radio,
                                 const classlib::TNotifyEvent& onClick, int index);
    virtual void SetRadioButtonState(classlib::TButtonControl* radio, bool checked);
    virtual void SetRadioButtonCaption(classlib::TButtonControl* radio, const std::string& text);
    virtual void SetButtonCaption(classlib::TButtonControl* button, const std::string& text);
    virtual void SetButtonCancel(classlib::TButtonControl* button, bool value);
    virtual void SetButtonDefault(classlib::TButtonControl* button, bool value);
    virtual void SetButtonModalResult(classlib::TButtonControl* button,
                                      classlib::TModalResult value);
    virtual classlib::TModalResult GetButtonModalResult(classlib::TButtonControl* button);

    // Shows the dialog modally: natively where the platform can, else emulated. Returns the
    // identifier of the closing button (see ExecuteNative and the emulation for the values).
    virtual int Execute();
    // The emulation at (x, y) (negative: the position rule of the form).
    virtual int ExecuteNonNativeAt(int x, int y);
    virtual int ExecuteNonNative();
    // The native path alone: -1 when comctl32 or TaskDialogIndirect is missing, 0 when
    // TaskDialogIndirect fails, else the pressed button's identifier.
    int ExecuteNative();
    // True where Execute takes the native path: Windows 6 or later, comctl32 version 6 or
    // later, and NonNativeDialog nndAuto.
    bool NativeAvailable() const;

private:
    friend class TAdvMessageForm;
    friend int RunEmulatedTaskDialog(TCustomAdvTaskDialog* dialog, int x, int y);
    static HRESULT CALLBACK NativeCallback(HWND window, UINT notification, WPARAM wParam,
                                           LPARAM lParam, LONG_PTR data);
    HRESULT Notify(HWND window, UINT notification, WPARAM wParam, LPARAM lParam);
    void TextChanged(int element, const std::string& text);

    std::unique_ptr<classlib::TStringList> customButtons_;
    std::unique_ptr<classlib::TIcon> customIcon_;
    std::unique_ptr<classlib::TStringList> radioButtons_;
    std::string instruction_;
    std::string content_;
    std::string expandedText_;
    std::string footer_;
    HWND dialogHandle_ = nullptr;
    TAdvMessageForm* form_ = nullptr;
    int progressPosition_ = 0;
};

class TAdvTaskDialog : public TCustomAdvTaskDialog {
    CLASSLIB_CLASS(TAdvTaskDialog, TCustomAdvTaskDialog)
    explicit TAdvTaskDialog(classlib::TComponent* owner) : TCustomAdvTaskDialog(owner) {}
};

// Opens a web link in the user's browser through the shell's "open" verb, unelevated, the link
// being the one thing opened; anything but a web link (IsWebLink) is refused (false).
bool OpenLinkInBrowser(HWND parent, const std::string& link);
// The high 32 bits of a file's fixed version (major version in the high 16 bits); -1 when its
// version resource cannot be read.
int GetFileVersionMS(const std::string& file);

} // namespace panels
