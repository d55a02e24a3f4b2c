#include "windows/Dialogs.h"

#include "core/StringList.h"
#include "core/TypeInfo.h"
#include "windows/Application.h"

#include <commdlg.h>

#include <cstring>
#include <vector>

namespace classlib {

CLASSLIB_DEFINE_ENUM(TMsgDlgType, "mtWarning", "mtError", "mtInformation", "mtConfirmation",
                     "mtCustom")
CLASSLIB_DEFINE_ENUM(TMsgDlgBtn, "mbYes", "mbNo", "mbOK", "mbCancel", "mbAbort", "mbRetry",
                     "mbIgnore", "mbAll", "mbNoToAll", "mbYesToAll", "mbHelp")
CLASSLIB_DEFINE_ENUM(TOpenOption, "ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly",
                     "ofNoChangeDir", "ofShowHelp", "ofNoValidate", "ofAllowMultiSelect",
                     "ofExtensionDifferent", "ofPathMustExist", "ofFileMustExist", "ofCreatePrompt",
                     "ofShareAware", "ofNoReadOnlyReturn", "ofNoTestFileCreate",
                     "ofNoNetworkButton", "ofNoLongNames", "ofOldStyleDialog",
                     "ofNoDereferenceLinks", "ofEnableIncludeNotify", "ofEnableSizing")

CLASSLIB_PUBLISH(TOpenDialog)
{
    c.Property("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt);
    c.Property("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName);
    c.Property("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter);
    c.Property("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex)
        .SetDefault(1);
    c.Property("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir);
    c.Property("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions)
        .SetDefault(TOpenOptions{ofHideReadOnly, ofEnableSizing});
    c.Property("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
    c.Property("OnClose", &TOpenDialog::OnClose);
    c.Property("OnShow", &TOpenDialog::OnShow);
}

namespace {

// The owner of a dialog: the active window of this thread, else the application window.
HWND DialogOwner()
{
    if (HWND active = GetActiveWindow())
        return active;
    return Application ? Application->Handle() : nullptr;
}

struct TypeStyle {
    const char* caption;
    UINT icon;
};

// In the order of TMsgDlgType.
const TypeStyle kTypeStyles[] = {
    {messages::SMsgDlgWarning, MB_ICONWARNING},
    {messages::SMsgDlgError, MB_ICONERROR},
    {messages::SMsgDlgInformation, MB_ICONINFORMATION},
    {messages::SMsgDlgConfirm, MB_ICONQUESTION},
    {nullptr, 0},
};

struct ButtonText {
    const char* caption;
    TModalResult result;
};

// In the order of TMsgDlgBtn.
const ButtonText kButtons[] = {
    {messages::SMsgDlgYes, mrYes},         {messages::SMsgDlgNo, mrNo},
    {messages::SMsgDlgOK, mrOk},           {messages::SMsgDlgCancel, mrCancel},
    {messages::SMsgDlgAbort, mrAbort},     {messages::SMsgDlgRetry, mrRetry},
    {messages::SMsgDlgIgnore, mrIgnore},   {messages::SMsgDlgAll, mrAll},
    {messages::SMsgDlgNoToAll, mrNoToAll}, {messages::SMsgDlgYesToAll, mrYesToAll},
    {messages::SMsgDlgHelp, mrNone},
};

UINT ButtonStyle(TMsgDlgButtons buttons)
{
    const bool cancel = buttons.Contains(mbCancel);
    if (buttons.Contains(mbYes) || buttons.Contains(mbNo))
        return cancel ? MB_YESNOCANCEL : MB_YESNO;
    if (buttons.Contains(mbAbort) || buttons.Contains(mbIgnore))
        return MB_ABORTRETRYIGNORE;
    if (buttons.Contains(mbRetry))
        return MB_RETRYCANCEL;
    return cancel ? MB_OKCANCEL : MB_OK;
}

} // namespace

std::string MsgDlgCaption(TMsgDlgType type)
{
    const char* caption = kTypeStyles[type].caption;
    return caption ? caption : "";
}

std::string MsgDlgButtonCaption(TMsgDlgBtn button)
{
    return kButtons[button].caption;
}

TModalResult MsgDlgButtonResult(TMsgDlgBtn button)
{
    return kButtons[button].result;
}

TModalResult MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons, int)
{
    const TypeStyle& style = kTypeStyles[type];
    const std::string caption = style.caption
                                    ? std::string(style.caption)
                                    : (Application ? Application->Title() : std::string());
    return MessageBoxA(DialogOwner(), message.c_str(), caption.c_str(),
                       ButtonStyle(buttons) | style.icon);
}

void ShowMessage(const std::string& message)
{
    const std::string caption = Application ? Application->Title() : std::string();
    MessageBoxA(DialogOwner(), message.c_str(), caption.c_str(), MB_OK);
}

// ---- TOpenDialog ----------------------------------------------------------------------------

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner), files_(new TStringList) {}

TOpenDialog::~TOpenDialog()
{
    delete files_;
}

TStrings* TOpenDialog::Files() const
{
    return files_;
}

bool TOpenDialog::Execute()
{
    // Options with a flag of their own, in the order of TOpenOption.
    static const DWORD kFlags[] = {OFN_READONLY,
                                   OFN_OVERWRITEPROMPT,
                                   OFN_HIDEREADONLY,
                                   OFN_NOCHANGEDIR,
                                   OFN_SHOWHELP,
                                   OFN_NOVALIDATE,
                                   OFN_ALLOWMULTISELECT,
                                   OFN_EXTENSIONDIFFERENT,
                                   OFN_PATHMUSTEXIST,
                                   OFN_FILEMUSTEXIST,
                                   OFN_CREATEPROMPT,
                                   OFN_SHAREAWARE,
                                   OFN_NOREADONLYRETURN,
                                   OFN_NOTESTFILECREATE,
                                   OFN_NONETWORKBUTTON,
                                   OFN_NOLONGNAMES,
                                   0,
                                   OFN_NODEREFERENCELINKS,
                                   OFN_ENABLEINCLUDENOTIFY,
                                   OFN_ENABLESIZING};
    DWORD flags = 0;
    for (int option = ofReadOnly; option <= ofEnableSizing; ++option)
        if (options_.Contains(static_cast<TOpenOption>(option)))
            flags |= kFlags[option];
    if (!options_.Contains(ofOldStyleDialog))
        flags |= OFN_EXPLORER;

    // "a|b|c|d" becomes "a\0b\0c\0d\0\0".
    std::string filter = filter_;
    for (char& ch : filter)
        if (ch == '|')
            ch = '\0';
    filter.append(2, '\0');

    // Room for many names when several may be chosen.
    std::vector<char> buffer(options_.Contains(ofAllowMultiSelect) ? 0x10000 : MAX_PATH + 1, '\0');
    fileName_.copy(buffer.data(), buffer.size() - 1);

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = DialogOwner();
    dialog.lpstrFilter = filter_.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(filterIndex_);
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrInitialDir = initialDir_.empty() ? nullptr : initialDir_.c_str();
    dialog.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
    dialog.lpstrDefExt = defaultExt_.empty() ? nullptr : defaultExt_.c_str();
    dialog.Flags = flags;

    if (OnShow)
        OnShow(this);
    const bool chosen = GetOpenFileNameA(&dialog) != 0;
    if (OnClose)
        OnClose(this);
    if (!chosen)
        return false;

    filterIndex_ = static_cast<int>(dialog.nFilterIndex);
    options_.Exclude(ofReadOnly);
    if (dialog.Flags & OFN_READONLY)
        options_.Include(ofReadOnly);
    files_->Clear();
    // Several names: the folder, then each name, separated by NULs and ended by two.
    const char* first = buffer.data();
    const char* next = first + std::strlen(first) + 1;
    if (options_.Contains(ofAllowMultiSelect) && *next) {
        std::string folder = first;
        if (!folder.empty() && folder.back() != '\\')
            folder += '\\';
        for (; *next; next += std::strlen(next) + 1)
            files_->Add(folder + next);
        fileName_ = files_->Strings(0);
    } else {
        fileName_ = first;
        files_->Add(fileName_);
    }
    return true;
}

} // namespace classlib
