#pragma once
// Message dialogs and the file-open dialog.
//
// MessageDlg shows the system message box (the platform's message dialog may be replaced by
// an equivalent that keeps texts, types and buttons); its caption names the type. Both kinds of
// dialog run a modal loop, in which synchronized calls of worker threads keep running.
#include "core/Component.h"
#include "core/Events.h"
#include "core/Object.h"
#include "core/TypeInfo.h"

#include <windows.h>

#include <string>

namespace classlib {

class TStrings;
class TStringList;

// Results of modal dialogs and forms (the values of IDOK .. IDNO).
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;
constexpr TModalResult mrAll = mrNo + 1;
constexpr TModalResult mrNoToAll = mrAll + 1;
constexpr TModalResult mrYesToAll = mrNoToAll + 1;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp
};
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
CLASSLIB_ENUM(TMsgDlgType);
CLASSLIB_ENUM(TMsgDlgBtn);

// The message dialog's resource strings: the window caption of each dialog type and the
// caption of each button ("&Yes", "OK", "N&o to All", ...). Dialogs of the program's own (the
// task dialog) caption their buttons with them; a translation replaces them in one place.
namespace messages {
inline constexpr const char* SMsgDlgWarning = "Warning";
inline constexpr const char* SMsgDlgError = "Error";
inline constexpr const char* SMsgDlgInformation = "Information";
inline constexpr const char* SMsgDlgConfirm = "Confirm";
inline constexpr const char* SMsgDlgYes = "&Yes";
inline constexpr const char* SMsgDlgNo = "&No";
inline constexpr const char* SMsgDlgOK = "OK";
inline constexpr const char* SMsgDlgCancel = "Cancel";
inline constexpr const char* SMsgDlgAbort = "&Abort";
inline constexpr const char* SMsgDlgRetry = "&Retry";
inline constexpr const char* SMsgDlgIgnore = "&Ignore";
inline constexpr const char* SMsgDlgAll = "&All";
inline constexpr const char* SMsgDlgNoToAll = "N&o to All";
inline constexpr const char* SMsgDlgYesToAll = "Yes to &All";
inline constexpr const char* SMsgDlgHelp = "&Help";
} // namespace messages

// The caption of a dialog type (empty for mtCustom) and of a button, and the modal result a
// button gives.
std::string MsgDlgCaption(TMsgDlgType type);
std::string MsgDlgButtonCaption(TMsgDlgBtn button);
TModalResult MsgDlgButtonResult(TMsgDlgBtn button);

// Shows `message` and returns the button chosen (mrYes, mrOk, ...). The caption is "Warning",
// "Error", "Information" or "Confirm" (the application's title for mtCustom). The system box
// offers these button sets: Yes/No, Yes/No/Cancel, OK, OK/Cancel, Abort/Retry/Ignore,
// Retry/Cancel; another set shows the nearest one of them (a set with Yes or No the Yes/No
// family, else one with Retry the retry family, else OK with Cancel when Cancel is asked).
// Closing the box without a button gives mrCancel (or mrNo, mrOk where there is no Cancel).
TModalResult MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons,
                        int helpContext = 0);
// An OK box titled with the application's title.
void ShowMessage(const std::string& message);

enum TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
    ofEnableIncludeNotify,
    ofEnableSizing
};
using TOpenOptions = TSet<TOpenOption>;
CLASSLIB_ENUM(TOpenOption);

// The system's file-open dialog.
class TOpenDialog : public TComponent {
    CLASSLIB_CLASS(TOpenDialog, TComponent)
    explicit TOpenDialog(TComponent* owner);
    ~TOpenDialog() override;

    // Shows the dialog; true when the user chose a file (FileName and Files then hold it).
    bool Execute();

    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& value) { fileName_ = value; }
    // Every file chosen (one unless ofAllowMultiSelect).
    TStrings* Files() const;
    // "Description|mask|Description|mask..."
    const std::string& Filter() const { return filter_; }
    void SetFilter(const std::string& value) { filter_ = value; }
    // 1-based index of the filter shown (and chosen).
    int FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(int value) { filterIndex_ = value; }
    const std::string& InitialDir() const { return initialDir_; }
    void SetInitialDir(const std::string& value) { initialDir_ = value; }
    const std::string& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const std::string& value) { defaultExt_ = value; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& value) { title_ = value; }
    TOpenOptions Options() const { return options_; }
    void SetOptions(TOpenOptions value) { options_ = value; }

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

private:
    std::string fileName_;
    TStringList* files_;
    std::string filter_;
    int filterIndex_ = 1;
    std::string initialDir_;
    std::string defaultExt_;
    std::string title_;
    TOpenOptions options_{ofHideReadOnly, ofEnableSizing};
};

} // namespace classlib
