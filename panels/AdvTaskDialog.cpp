#include "AdvTaskDialog.h"

#include "AdvMessageForm.h"
#include "TaskDialogText.h"

#include "core/TypeInfo.h"
#include "draw/AdvHintInfo.h"
#include "windows/Application.h"
#include "windows/Forms.h"
#include "windows/Images.h"
#include "windows/StdCtrls.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

using namespace classlib;

namespace panels {

CLASSLIB_DEFINE_ENUM(TCommonButton, "cbOK", "cbYes", "cbNo", "cbCancel", "cbRetry", "cbClose")
CLASSLIB_DEFINE_ENUM(TTaskDialogPosition, "dpScreenCenter", "dpOwnerFormCenter")
CLASSLIB_DEFINE_ENUM(TTaskDialogFooterIcon, "tfiBlank", "tfiWarning", "tfiQuestion", "tfiError",
                     "tfiInformation", "tfiShield")
CLASSLIB_DEFINE_ENUM(TTaskDialogIcon, "tiBlank", "tiWarning", "tiQuestion", "tiError",
                     "tiInformation", "tiNotUsed", "tiShield")
CLASSLIB_DEFINE_ENUM(TTaskDialogOption, "doHyperlinks", "doCommandLinks", "doCommandLinksNoIcon",
                     "doExpandedDefault", "doExpandedFooter", "doAllowMinimize", "doVerifyChecked",
                     "doProgressBar", "doProgressBarMarquee", "doTimer", "doNoDefaultRadioButton",
                     "doAllowDialogCancel")
CLASSLIB_DEFINE_ENUM(TNonNativeDialog, "nndAuto", "nndAlways")
CLASSLIB_DEFINE_ENUM(TTaskDialogProgressState, "psNormal", "psError", "psPaused")

CLASSLIB_PUBLISH(TCustomAdvTaskDialog) {}

CLASSLIB_PUBLISH(TAdvTaskDialog)
{
    using D = TAdvTaskDialog;
    c.Property("CustomButtons", &D::CustomButtons, &D::SetCustomButtons);
    c.Property("CustomIcon", &D::CustomIcon, &D::SetCustomIcon);
    c.Property("RadioButtons", &D::RadioButtons, &D::SetRadioButtons);
    c.Property("CommonButtons", &D::CommonButtons);
    c.Property("DefaultButton", &D::DefaultButton).SetDefault(0);
    c.Property("DefaultRadioButton", &D::DefaultRadioButton).SetDefault(200);
    c.Property("DialogPosition", &D::DialogPosition).SetDefault(dpScreenCenter);
    c.Property("ExpandedText", &D::ExpandedText, &D::SetExpandedText);
    c.Property("Footer", &D::Footer, &D::SetFooter);
    c.Property("FooterIcon", &D::FooterIcon).SetDefault(tfiBlank);
    c.Property("Icon", &D::Icon).SetDefault(tiBlank);
    c.Property("Title", &D::Title);
    c.Property("Instruction", &D::Instruction, &D::SetInstruction);
    c.Property("Content", &D::Content, &D::SetContent);
    c.Property("ExpandControlText", &D::ExpandControlText);
    c.Property("CollapsControlText", &D::CollapsControlText);
    c.Property("Options", &D::Options);
    c.Property("ApplicationIsParent", &D::ApplicationIsParent).SetDefault(true);
    c.Property("VerificationText", &D::VerificationText);
    c.Property("NonNativeDialog", &D::NonNativeDialog).SetDefault(nndAuto);
    c.Property("NonNativeMinFormWidth", &D::NonNativeMinFormWidth).SetDefault(350);
    c.Property("ProgressBarMin", &D::ProgressBarMin).SetDefault(0);
    c.Property("ProgressBarMax", &D::ProgressBarMax).SetDefault(100);
    c.Property("Version", &D::Version, &D::SetVersion).Stored(false);
    c.Property("OnDialogCreated", &D::OnDialogCreated);
    c.Property("OnDialogClose", &D::OnDialogClose);
    c.Property("OnDialogButtonClick", &D::OnDialogButtonClick);
    c.Property("OnDialogRadioClick", &D::OnDialogRadioClick);
    c.Property("OnDialogHyperlinkClick", &D::OnDialogHyperlinkClick);
    c.Property("OnDialogTimer", &D::OnDialogTimer);
    c.Property("OnDialogVerifyClick", &D::OnDialogVerifyClick);
    c.Property("OnDialogProgress", &D::OnDialogProgress);
}

namespace {

std::wstring Wide(const std::string& text)
{
    if (text.empty())
        return {};
    const int n =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::string Narrow(const wchar_t* text)
{
    if (!text)
        return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), n, nullptr, nullptr);
    return narrow;
}

// A button or radio text as the native dialog takes it: at most 1023 characters.
std::wstring ButtonText(const std::string& line)
{
    std::wstring wide = Wide(ExpandNewlineEscapes(line));
    if (wide.size() > 1023)
        wide.resize(1023);
    return wide;
}

const wchar_t* OrNull(const std::wstring& text)
{
    return text.empty() ? nullptr : text.c_str();
}

// The native flags of the options; the timer callback serves progress bars and the timer.
struct OptionFlag {
    TTaskDialogOption option;
    TASKDIALOG_FLAGS flag;
};
constexpr OptionFlag OptionFlags[] = {
    {doHyperlinks, TDF_ENABLE_HYPERLINKS},
    {doExpandedDefault, TDF_EXPANDED_BY_DEFAULT},
    {doExpandedFooter, TDF_EXPAND_FOOTER_AREA},
    {doAllowMinimize, TDF_CAN_BE_MINIMIZED},
    {doVerifyChecked, TDF_VERIFICATION_FLAG_CHECKED},
    {doProgressBar, TDF_SHOW_PROGRESS_BAR},
    {doProgressBarMarquee, TDF_SHOW_MARQUEE_PROGRESS_BAR},
    {doNoDefaultRadioButton, TDF_NO_DEFAULT_RADIO_BUTTON},
    {doAllowDialogCancel, TDF_ALLOW_DIALOG_CANCELLATION},
};

constexpr TASKDIALOG_COMMON_BUTTON_FLAGS CommonButtonFlags[] = {
    TDCBF_OK_BUTTON,     TDCBF_YES_BUTTON,   TDCBF_NO_BUTTON,
    TDCBF_CANCEL_BUTTON, TDCBF_RETRY_BUTTON, TDCBF_CLOSE_BUTTON};

// Resource identifiers of the platform's icon set, by TTaskDialogIcon (0: none).
constexpr WORD MainIcons[] = {17, 84, 99, 98, 81, 0, 78};
// By TTaskDialogFooterIcon (0: none); information and shield are the platform's own icons.
constexpr WORD FooterIcons[] = {0, 84, 99, 98, 65533, 65532};

constexpr int ProgressStates[] = {PBST_NORMAL, PBST_ERROR, PBST_PAUSED};

} // namespace

TCustomAdvTaskDialog::TCustomAdvTaskDialog(TComponent* owner)
    : TComponent(owner),
      customButtons_(std::make_unique<TStringList>()),
      customIcon_(std::make_unique<TIcon>()),
      radioButtons_(std::make_unique<TStringList>())
{
}

TCustomAdvTaskDialog::~TCustomAdvTaskDialog() = default;

void TCustomAdvTaskDialog::SetCustomIcon(TIcon* value)
{
    customIcon_->Assign(value);
}

void TCustomAdvTaskDialog::TextChanged(int element, const std::string& text)
{
    if (dialogHandle_) {
        const std::wstring wide = Wide(text);
        SendMessageW(dialogHandle_, TDM_UPDATE_ELEMENT_TEXT, static_cast<WPARAM>(element),
                     reinterpret_cast<LPARAM>(wide.c_str()));
    }
    if (form_)
        form_->Relayout();
}

void TCustomAdvTaskDialog::SetInstruction(const std::string& value)
{
    if (value == instruction_)
        return;
    instruction_ = value;
    TextChanged(TDE_MAIN_INSTRUCTION, value);
}

void TCustomAdvTaskDialog::SetContent(const std::string& value)
{
    if (value == content_)
        return;
    content_ = value;
    TextChanged(TDE_CONTENT, value);
}

void TCustomAdvTaskDialog::SetExpandedText(const std::string& value)
{
    if (value == expandedText_)
        return;
    expandedText_ = value;
    TextChanged(TDE_EXPANDED_INFORMATION, value);
}

void TCustomAdvTaskDialog::SetFooter(const std::string& value)
{
    if (value == footer_)
        return;
    footer_ = value;
    TextChanged(TDE_FOOTER, value);
}

// ---- emulation's controls ---------------------------------------------------------------------

TButtonControl* TCustomAdvTaskDialog::CreateButton(TComponent* owner)
{
    return new TButton(owner);
}

TButtonControl* TCustomAdvTaskDialog::CreateRadioButton(TComponent* owner)
{
    return new TRadioButton(owner);
}

void TCustomAdvTaskDialog::InitRadioButton(TCustomForm* form, TButtonControl* radio,
                                           const TNotifyEvent& onClick, int index)
{
    radio->SetName("Radio" + std::to_string(index));
    radio->SetParent(form);
    radio->Font()->SetName(form->Font()->Name());
    radio->Font()->SetSize(8);
    radio->SetBiDiMode(form->BiDiMode());
    radio->OnClick = onClick;
}

void TCustomAdvTaskDialog::SetRadioButtonState(TButtonControl* radio, bool checked)
{
    if (auto* r = dynamic_cast<TRadioButton*>(radio))
        r->SetChecked(checked);
}

void TCustomAdvTaskDialog::SetRadioButtonCaption(TButtonControl* radio, const std::string& text)
{
    if (radio)
        radio->SetCaption(text);
}

void TCustomAdvTaskDialog::SetButtonCaption(TButtonControl* button, const std::string& text)
{
    if (auto* b = dynamic_cast<TButton*>(button))
        b->SetCaption(text);
}

void TCustomAdvTaskDialog::SetButtonCancel(TButtonControl* button, bool value)
{
    if (auto* b = dynamic_cast<TButton*>(button))
        b->SetCancel(value);
}

void TCustomAdvTaskDialog::SetButtonDefault(TButtonControl* button, bool value)
{
    if (auto* b = dynamic_cast<TButton*>(button))
        b->SetDefault(value);
}

void TCustomAdvTaskDialog::SetButtonModalResult(TButtonControl* button, TModalResult value)
{
    if (auto* b = dynamic_cast<TButton*>(button))
        b->SetModalResult(value);
}

TModalResult TCustomAdvTaskDialog::GetButtonModalResult(TButtonControl* button)
{
    auto* b = dynamic_cast<TButton*>(button);
    return b ? b->ModalResult() : 0;
}

// ---- showing ----------------------------------------------------------------------------------

int GetFileVersionMS(const std::string& file)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    if (size == 0)
        return -1;
    std::vector<char> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(file.c_str(), 0, size, data.data()) ||
        !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info)
        return -1;
    return static_cast<int>(info->dwFileVersionMS);
}

bool TCustomAdvTaskDialog::NativeAvailable() const
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&version);
#pragma GCC diagnostic pop
    const int ms = GetFileVersionMS("COMCTL32.DLL");
    const int comctlMajor = ms == -1 ? 255 : (ms >> 16) & 0xFF;
    return version.dwMajorVersion >= 6 && comctlMajor >= 6 && NonNativeDialog == nndAuto;
}

int TCustomAdvTaskDialog::Execute()
{
    if (!NativeAvailable())
        return ExecuteNonNativeAt(-1, -1);
    return ExecuteNative();
}

int TCustomAdvTaskDialog::ExecuteNonNativeAt(int x, int y)
{
    return RunEmulatedTaskDialog(this, x, y);
}

int TCustomAdvTaskDialog::ExecuteNonNative()
{
    return RunEmulatedTaskDialog(this, -1, -1);
}

int TCustomAdvTaskDialog::ExecuteNative()
{
    HMODULE comctl = LoadLibraryA("comctl32.dll");
    if (!comctl)
        return -1;
    using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
    auto taskDialogIndirect = reinterpret_cast<TaskDialogIndirectFn>(
        reinterpret_cast<void*>(GetProcAddress(comctl, "TaskDialogIndirect")));
    if (!taskDialogIndirect) {
        FreeLibrary(comctl);
        return -1;
    }

    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    if (!Owner() || ApplicationIsParent) {
        config.hwndParent = Application ? Application->Handle() : nullptr;
    } else {
        auto* owner = dynamic_cast<TWinControl*>(Owner());
        if (!owner)
            throw EInvalidCast("Invalid class typecast");
        config.hwndParent = owner->Handle();
    }

    std::vector<std::wstring> customTexts, radioTexts;
    std::vector<TASKDIALOG_BUTTON> buttons, radios;
    for (int i = 0; i < customButtons_->Count(); ++i)
        customTexts.push_back(ButtonText(customButtons_->Strings(i)));
    for (int i = 0; i < radioButtons_->Count(); ++i)
        radioTexts.push_back(ButtonText(radioButtons_->Strings(i)));
    for (size_t i = 0; i < customTexts.size(); ++i)
        buttons.push_back(TASKDIALOG_BUTTON{100 + static_cast<int>(i), customTexts[i].c_str()});
    for (size_t i = 0; i < radioTexts.size(); ++i)
        radios.push_back(TASKDIALOG_BUTTON{200 + static_cast<int>(i), radioTexts[i].c_str()});
    config.cButtons = static_cast<UINT>(buttons.size());
    config.pButtons = buttons.empty() ? nullptr : buttons.data();
    config.cRadioButtons = static_cast<UINT>(radios.size());
    config.pRadioButtons = radios.empty() ? nullptr : radios.data();

    const std::wstring title = Wide(ExpandNewlineEscapes(Title));
    const std::wstring instruction = Wide(ExpandNewlineEscapes(instruction_));
    const std::wstring content = Wide(ExpandNewlineEscapes(content_));
    const std::wstring footer = Wide(ExpandNewlineEscapes(footer_));
    const std::wstring expandControl = Wide(ExpandControlText);
    const std::wstring collapseControl = Wide(CollapsControlText);
    const std::wstring expanded = Wide(expandedText_);
    const std::wstring verification = Wide(VerificationText);
    config.pszWindowTitle = OrNull(title);
    config.pszMainInstruction = OrNull(instruction);
    config.pszContent = OrNull(content);
    config.pszFooter = OrNull(footer);
    config.pszExpandedControlText = OrNull(expandControl);
    config.pszCollapsedControlText = OrNull(collapseControl);
    config.pszExpandedInformation = OrNull(expanded);
    config.pszVerificationText = OrNull(verification);

    for (int b = cbOK; b <= cbClose; ++b)
        if (CommonButtons.Contains(static_cast<TCommonButton>(b)))
            config.dwCommonButtons |= CommonButtonFlags[b];

    TASKDIALOG_FLAGS flags = 0;
    if (Options.Contains(doCommandLinksNoIcon))
        flags |= TDF_USE_COMMAND_LINKS_NO_ICON;
    else if (Options.Contains(doCommandLinks))
        flags |= TDF_USE_COMMAND_LINKS;
    for (const OptionFlag& f : OptionFlags)
        if (Options.Contains(f.option))
            flags |= f.flag;
    if (Options.Contains(doProgressBar) || Options.Contains(doProgressBarMarquee) ||
        Options.Contains(doTimer))
        flags |= TDF_CALLBACK_TIMER;
    if (DialogPosition == dpOwnerFormCenter)
        flags |= TDF_POSITION_RELATIVE_TO_WINDOW;

    if (!customIcon_->Empty()) {
        flags |= TDF_USE_HICON_MAIN;
        config.hMainIcon = customIcon_->Handle();
    } else if (MainIcons[Icon] != 0) {
        config.pszMainIcon = MAKEINTRESOURCEW(MainIcons[Icon]);
    }
    if (FooterIcons[FooterIcon] != 0)
        config.pszFooterIcon = MAKEINTRESOURCEW(FooterIcons[FooterIcon]);
    config.dwFlags = flags;
    config.nDefaultButton = DefaultButton;
    config.nDefaultRadioButton = DefaultRadioButton;
    config.pfCallback = &TCustomAdvTaskDialog::NativeCallback;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(this);

    int button = 0, radio = 0;
    BOOL verified = FALSE;
    progressPosition_ = 0;
    const HRESULT result = taskDialogIndirect(&config, &button, &radio, &verified);
    // The window is gone: later text changes must not reach a window that is no longer ours.
    dialogHandle_ = nullptr;
    FreeLibrary(comctl);
    if (FAILED(result))
        return 0;
    RadioButtonResult = radio;
    VerificationChecked = verified != FALSE;
    return button;
}

HRESULT CALLBACK TCustomAdvTaskDialog::NativeCallback(HWND window, UINT notification, WPARAM wParam,
                                                      LPARAM lParam, LONG_PTR data)
{
    auto* dialog = reinterpret_cast<TCustomAdvTaskDialog*>(data);
    try {
        return dialog->Notify(window, notification, wParam, lParam);
    } catch (...) {
        // A handler's failure must not unwind through the platform's dialog code.
        if (Application)
            Application->HandleException(dialog);
        return S_OK;
    }
}

HRESULT TCustomAdvTaskDialog::Notify(HWND window, UINT notification, WPARAM wParam, LPARAM lParam)
{
    dialogHandle_ = window;
    switch (notification) {
        case TDN_CREATED:
            if (OnDialogCreated)
                OnDialogCreated(this);
            if (Options.Contains(doProgressBar))
                SendMessageW(window, TDM_SET_PROGRESS_BAR_RANGE, 0,
                             MAKELPARAM(ProgressBarMin, ProgressBarMax));
            break;
        case TDN_BUTTON_CLICKED: {
            if (OnDialogButtonClick)
                OnDialogButtonClick(this, static_cast<int>(wParam));
            bool canClose = true;
            if (OnDialogClose) {
                OnDialogClose(this, canClose);
                if (!canClose)
                    return S_FALSE;
            }
            break;
        }
        case TDN_HYPERLINK_CLICKED: {
            const std::string target = Narrow(reinterpret_cast<const wchar_t*>(lParam));
            if (OnDialogHyperlinkClick)
                OnDialogHyperlinkClick(this, target);
            else if (target.find("://") != std::string::npos)
                OpenLinkInBrowser(nullptr, target);
            break;
        }
        case TDN_TIMER:
            if (OnDialogTimer)
                OnDialogTimer(this);
            if (OnDialogProgress) {
                int position = progressPosition_;
                TTaskDialogProgressState state = psNormal;
                OnDialogProgress(this, position, state);
                progressPosition_ = position;
                SendMessageW(window, TDM_SET_PROGRESS_BAR_POS, static_cast<WPARAM>(position), 0);
                SendMessageW(window, TDM_SET_PROGRESS_BAR_STATE,
                             static_cast<WPARAM>(ProgressStates[state]), 0);
            }
            break;
        case TDN_RADIO_BUTTON_CLICKED:
            if (OnDialogRadioClick)
                OnDialogRadioClick(this, static_cast<int>(wParam));
            break;
        case TDN_VERIFICATION_CLICKED:
            if (OnDialogVerifyClick)
                OnDialogVerifyClick(this, wParam != 0);
            break;
        default:
            break;
    }
    return S_OK;
}

bool OpenLinkInBrowser(HWND parent, const std::string& link)
{
    // Only web links reach the shell, opened with "open" as the link itself: no program runs
    // elevated, and no text of the link becomes a command line of its own.
    if (!IsWebLink(link))
        return false;
    return reinterpret_cast<INT_PTR>(
               ShellExecuteA(parent, "open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

} // namespace panels
