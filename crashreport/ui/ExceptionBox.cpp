#include "ExceptionBox.h"

#include "AlphaPicture.h"
#include "ExceptionPathSystem.h"
#include "QorHandlers.h"
#include "QorPipeline.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace crashui {

namespace {

std::atomic<TIdeLineJump> g_ideLineJump{nullptr};
std::atomic<TFreezeWatchdogNotice> g_freezeWatchdogNotice{nullptr};

// The icon resources by button kind (send ... cantContinue, then the box's 32 x 32 icon).
constexpr const char* kIconNames[9] = {"QEISEND",  "QEISAVE",         "QEIPRINT",
                                       "QEISHOW",  "QEICONTINUE",     "QEIRESTART",
                                       "QEICLOSE", "QEICANTCONTINUE", "QEIBIG"};
constexpr int kIconControlId = 108;

constexpr char kBoxProperty[] = "qorExceptBox";
constexpr UINT_PTR kCountdownTimer = 777;

// Raises every channel by the step (capped at 255) when at most one channel would pass 256,
// else lowers every channel (floored at 0).
COLORREF ShadeColor(COLORREF colour, int step)
{
    int over = 0;
    for (int shift = 0; shift < 24; shift += 8)
        if (static_cast<int>((colour >> shift) & 0xFF) + step > 256)
            ++over;
    COLORREF result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int channel = static_cast<int>((colour >> shift) & 0xFF);
        const int shaded = over <= 1 ? std::min(channel + step, 255) : std::max(channel - step, 0);
        result |= static_cast<COLORREF>(shaded) << shift;
    }
    return result;
}

// Each channel (n x from + (8 - n) x to) / 8: frame n of a fade.
COLORREF MixColour(COLORREF from, COLORREF to, int n)
{
    COLORREF mixed = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>((from >> shift) & 0xFF);
        const int b = static_cast<int>((to >> shift) & 0xFF);
        mixed |= static_cast<COLORREF>((n * a + (8 - n) * b) / 8) << shift;
    }
    return mixed;
}

bool HighColour()
{
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(nullptr, screen);
    return bits > 14;
}

void FillRectColour(HDC dc, const RECT& rect, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

std::string WindowText(HWND window)
{
    std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(
        static_cast<size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void CopyTextToClipboard(HWND owner, const std::string& text)
{
    if (!OpenClipboard(owner))
        return;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (memory) {
        char* target = static_cast<char*>(GlobalLock(memory));
        std::copy(text.begin(), text.end(), target);
        target[text.size()] = '\0';
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_TEXT, memory))
            GlobalFree(memory);
    }
    CloseClipboard();
}

std::string ExecutableTitle()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    name = name.substr(name.find_last_of("\\/") + 1);
    return name.substr(0, name.rfind('.'));
}

// The engine's automatic-button rule for an AutoClose or AutoRestart value, over the times of
// this process's recent exceptions.
bool AutoButtonDue(int32_t setting)
{
    return qor::AutoButtonDue(static_cast<uint32_t>(setting), qor::EngineTimeRing(),
                              qor::SecondsNow());
}

std::string Expand(IQESettings& settings, const std::string& text, const std::string& className,
                   const std::string& report, const std::string& message)
{
    return qor::ExpandPlaceholders(reinterpret_cast<HMODULE>(settings.ModuleHandle()), text,
                                   className, message, report);
}

// Fires the action handlers of an action the box itself carries out (show report, help).
void DispatchBoxAction(IQEException& exception, uint8_t action)
{
    bool handled = false;
    qor::DispatchHandlers(qor::eventAction, action, handled, exception);
}

} // namespace

TExceptionBox::TExceptionBox(IQEException& exception, bool beep, bool detail, bool compact)
    : exception_(exception), compact_(compact)
{
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    images_ = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 1);
    const bool full = !compact;
    const bool withReport = full && exception.AutoShowBugRep();
    if (withReport)
        exception.SetShowBtnVis(false);

    if (AutoButtonDue(exception.AutoClose()) && exception.CloseBtnVis())
        exception.SetFocusedBtn(kBtnClose);
    else if (AutoButtonDue(exception.AutoRestart()) && exception.RestartBtnVis())
        exception.SetFocusedBtn(kBtnRestart);
    else if (exception.AutoContinue() && exception.ContinueBtnVis() && exception.Continuable())
        exception.SetFocusedBtn(kBtnContinue);

    const bool frozen = exception.ReportKind() == 1;
    const std::string message = BreakSentences(exception.ErrorMessage());
    std::string text;
    std::string caption;
    if (full) {
        text = Expand(exception, frozen ? exception.FrozenMsg() : exception.ExceptMsg(),
                      exception.ErrorClassName(), "", message);
        caption = exception.TitleBar();
    } else {
        text = frozen ? Expand(exception, exception.FrozenMsg(), exception.ErrorClassName(), "",
                               message)
                      : message;
        caption = ExecutableTitle();
    }

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.style = CS_CLASSDC | CS_PARENTDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = kExceptionBoxClass;
    RegisterClassA(&windowClass);
    DWORD style = WS_CAPTION | WS_SYSMENU;
    if (withReport)
        style |= WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    window_ =
        CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, kExceptionBoxClass, caption.c_str(),
                        style, 0, 0, 100, 100, nullptr, nullptr, instance, nullptr);
    if (!window_)
        return;
    SetPropA(window_, kBoxProperty, this);
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BoxProc));
    if (!withReport) {
        HMENU menu = GetSystemMenu(window_, FALSE);
        for (UINT command : {SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE, SC_SIZE})
            DeleteMenu(menu, command, MF_BYCOMMAND);
    }

    font_ = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
    if (!font_)
        font_ = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                            "MS Sans Serif");
    monoFont_ =
        CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Courier New");
    LOGFONTA bold{};
    GetObjectA(font_, sizeof(bold), &bold);
    bold.lfWeight = FW_BOLD;
    boldFont_ = CreateFontIndirectA(&bold);
    buttonHeight_ = compact ? 23 : exception.UglyBtns() ? 26 : 22;

    const bool visible[7] = {
        full && exception.SendBtnVis(),
        full && exception.SaveBtnVis(),
        full && exception.PrintBtnVis(),
        (full && exception.ShowBtnVis()) || (compact && detail),
        exception.ContinueBtnVis() || compact,
        full && exception.RestartBtnVis(),
        full && exception.CloseBtnVis(),
    };
    const std::string captions[7] = {
        exception.SendBtnTxt(),
        exception.SaveBtnTxt(),
        exception.PrintBtnTxt(),
        full ? exception.ShowBtnTxt() : exception.DetailsBtnTxt(),
        full ? exception.ContinueBtnTxt() : exception.OkBtnTxt(),
        exception.RestartBtnTxt(),
        exception.CloseBtnTxt(),
    };
    int widths[7];
    for (int k = 0; k < 7; ++k)
        widths[k] = MeasureCaption(captions[k], visible[k]);
    if (compact)
        for (int k : {kBtnShow, kBtnContinue})
            if (visible[k] && widths[k] < 75)
                widths[k] = 79;
    const int lw = std::max({widths[kBtnContinue], widths[kBtnRestart], widths[kBtnClose]});

    int rows = visible[kBtnContinue] + visible[kBtnRestart] + visible[kBtnClose];
    const bool leftButtons =
        visible[kBtnSend] || visible[kBtnSave] || visible[kBtnPrint] || visible[kBtnShow];
    const bool stacked = full && rows > 1 && leftButtons;
    if (rows == 1)
        rows = 2;

    int total;
    int offset = 26;
    if (compact) {
        total = widths[kBtnContinue] + 26 + (detail ? widths[kBtnShow] + 2 : 0);
    } else if (stacked) {
        total =
            widths[kBtnSend] + widths[kBtnSave] + widths[kBtnPrint] + widths[kBtnShow] + lw + 14;
        offset = lw + 40;
    } else {
        total = 14;
        for (int w : widths)
            total += w;
    }

    const HMODULE iconModule = exception.ModuleHandle()
                                   ? reinterpret_cast<HMODULE>(exception.ModuleHandle())
                                   : GetModuleHandleA(nullptr);
    for (int k = 0; k < 9; ++k)
        icons_[k] = LoadAlphaPicture(iconModule, kIconNames[k], k == kIconBig ? 32 : 16);
    const bool withIcon = !icons_[kIconBig].Empty();
    if (withIcon) {
        offset += 40;
        iconControl_ = CreateWindowExA(
            0, "Button", "", WS_CHILD | WS_VISIBLE | WS_DISABLED | BS_OWNERDRAW, 9, 10, 32, 32,
            window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIconControlId)), instance,
            nullptr);
        SetWindowLongPtrA(iconControl_, GWLP_USERDATA, kIconBig);
    }

    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font_);
    RECT measured{0, 0, std::max(total, 664) - offset, 0};
    DrawTextA(screen, text.c_str(), -1, &measured, DT_CALCRECT | DT_WORDBREAK);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    const int textHeight = measured.bottom - measured.top;
    const int captionHeight = GetSystemMetrics(SM_CYCAPTION);
    int width = std::max(total, offset + static_cast<int>(measured.right - measured.left));
    const int widthLimit = std::min(664, GetSystemMetrics(SM_CXSCREEN) - 5 * captionHeight);
    if (withReport)
        width = std::max(width, widthLimit);

    int top = withIcon && textHeight < 26 ? 31 : textHeight + 5;
    if (rows == 3) {
        if (stacked)
            top = std::max(top - (buttonHeight_ + 4), 7);
        else
            rows = 2;
    }
    if (!stacked && full)
        rows = std::max(rows, 2);

    stackedLayout_ = stacked;
    int height;
    int x;
    if (compact) {
        x = detail ? (width - widths[kBtnContinue] + 4 - 6 - widths[kBtnShow] + 4) / 2 - 3
                   : (width - widths[kBtnContinue] + 4) / 2 - 3;
        CreateBoxButton(captions[kBtnContinue], true, kBtnContinue, widths[kBtnContinue], 1, top,
                        x);
        x += 2;
        CreateBoxButton(captions[kBtnShow], visible[kBtnShow], kBtnShow, widths[kBtnShow], 1, top,
                        x);
        height = 2 * (buttonHeight_ + 4) + top + 13;
    } else {
        x = 6;
        for (int k : {kBtnSend, kBtnSave, kBtnPrint, kBtnShow})
            CreateBoxButton(captions[k], visible[k], static_cast<TBoxButtonKind>(k), widths[k],
                            rows - 1, top, x);
        x = stacked ? width - lw - 8
                    : width - (widths[kBtnContinue] + widths[kBtnRestart] + widths[kBtnClose]) - 8;
        CreateBoxButton(captions[kBtnContinue], visible[kBtnContinue], kBtnContinue,
                        stacked ? lw : widths[kBtnContinue], 0, top, x);
        CreateBoxButton(captions[kBtnRestart], visible[kBtnRestart], kBtnRestart,
                        stacked ? lw : widths[kBtnRestart], visible[kBtnContinue] ? 1 : 0, top, x);
        CreateBoxButton(captions[kBtnClose], visible[kBtnClose], kBtnClose,
                        stacked ? lw : widths[kBtnClose], rows - 1, top, x);
        height = rows * (buttonHeight_ + 4) + top + 8;
    }

    HWND continueButton = buttons_[kBtnContinue];
    if (continueButton && !exception.Continuable() &&
        (buttons_[kBtnRestart] || buttons_[kBtnClose])) {
        EnableWindow(continueButton, FALSE);
        SetWindowLongPtrA(continueButton, GWLP_USERDATA, kBtnCantContinue);
        cantContinue_ = true;
    }

    const int textLeft = withIcon ? 51 : 11;
    const int textTop = withIcon && textHeight < 26 ? 12 + (26 - textHeight) / 2 : 12;
    text_ = CreateWindowExA(0, "Static", text.c_str(), WS_CHILD | WS_VISIBLE, textLeft, textTop,
                            measured.right - measured.left, textHeight, window_, nullptr, instance,
                            nullptr);
    SendMessageA(text_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), 0);

    if (withReport) {
        const int contentHeight = height;
        height = std::min(height + 474, GetSystemMetrics(SM_CYSCREEN) - 5 * captionHeight);
        tabs_ = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 5,
                                contentHeight - 4, width - 15, height - contentHeight - 6, window_,
                                nullptr, instance, nullptr);
        SendMessageA(tabs_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), 0);
        SetPropA(tabs_, kBoxProperty, this);
        tabPreviousProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(tabs_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TabProc)));
        SyncTabs();
        ShowCurrentTab();
    }

    height += captionHeight;
    if (withReport) {
        width += 2 * (GetSystemMetrics(SM_CXFRAME) - GetSystemMetrics(SM_CXDLGFRAME));
        height += 2 * (GetSystemMetrics(SM_CYFRAME) - GetSystemMetrics(SM_CYDLGFRAME));
    }
    SetWindowPos(window_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    RECT placed;
    GetWindowRect(window_, &placed);
    minWidth_ = placed.right - placed.left;
    minHeight_ = placed.bottom - placed.top;
    tracking_ = true;

    if (full) {
        if (AutoButtonDue(exception.AutoClose()) && buttons_[kBtnClose])
            autoButton_ = buttons_[kBtnClose];
        else if (AutoButtonDue(exception.AutoRestart()) && buttons_[kBtnRestart])
            autoButton_ = buttons_[kBtnRestart];
        else if (exception.AutoContinue() && buttons_[kBtnContinue] && exception.Continuable())
            autoButton_ = buttons_[kBtnContinue];
        if (autoButton_) {
            countdownStart_ = GetTickCount();
            SetTimer(window_, kCountdownTimer, 10, nullptr);
        }
    }

    if (beep)
        MessageBeep(MB_ICONHAND);
    ShowWindow(window_, IsIconic(window_) ? SW_RESTORE : SW_SHOWNORMAL);
    BringWindowToTop(window_);
    SetForegroundWindow(window_);
    if (frozen)
        if (const TFreezeWatchdogNotice notice = g_freezeWatchdogNotice.load())
            notice(window_);
    HWND box = window_;
    exception.AddReportListener(
        this,
        [box](bool, const std::string&, IQEException&) {
            PostMessageA(box, kMsgReportChanged, 1357, 2468);
        },
        false);
}

TExceptionBox::~TExceptionBox()
{
    exception_.RemoveReportListener(this);
    if (window_ && IsWindow(window_)) {
        shuttingDown_ = true;
        DestroyWindow(window_);
    }
    if (images_)
        ImageList_Destroy(images_);
    for (HFONT font : {font_, monoFont_, boldFont_})
        if (font)
            DeleteObject(font);
}

HWND TExceptionBox::Button(TBoxButtonKind kind) const
{
    if (kind == kIconBig)
        return iconControl_;
    return buttons_[kind == kBtnCantContinue ? kBtnContinue : kind];
}

int TExceptionBox::MeasureCaption(const std::string& caption, bool visible) const
{
    if (!visible)
        return 0;
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font_);
    SIZE size{};
    GetTextExtentPoint32A(screen, caption.c_str(), static_cast<int>(caption.size()), &size);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return size.cx + 39;
}

void TExceptionBox::CreateBoxButton(const std::string& caption, bool visible, TBoxButtonKind kind,
                                    int width, int row, int top, int& x)
{
    if (!visible)
        return;
    const bool rightHand = kind > kBtnShow;
    if (rightHand && !stackedLayout_)
        row = 1;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (compact_ ? BS_PUSHBUTTON : BS_OWNERDRAW);
    const bool focused = (!focusGiven_ && kind == (exception_.FocusedBtn() & 0x7F)) ||
                         (compact_ && kind == kBtnContinue);
    if (focused && compact_)
        style |= BS_DEFPUSHBUTTON;
    HWND button = CreateWindowExA(
        0, "Button", caption.c_str(), style, x, top + row * (buttonHeight_ + 4), width - 4,
        buttonHeight_, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + kind)),
        GetModuleHandleA(nullptr), nullptr);
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font_), 0);
    SetWindowLongPtrA(button, GWLP_USERDATA, kind);
    buttons_[kind] = button;
    if (focused && !focusGiven_) {
        focusGiven_ = true;
        SendMessageA(window_, DM_SETDEFID, static_cast<WPARAM>(100 + kind), 0);
        SetFocus(button);
    }
    if (!(rightHand && stackedLayout_))
        x += width;
}

LRESULT CALLBACK TExceptionBox::BoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* box = static_cast<TExceptionBox*>(GetPropA(window, kBoxProperty));
    if (!box)
        return DefWindowProcA(window, message, wParam, lParam);
    return box->WindowProc(message, wParam, lParam);
}

LRESULT CALLBACK TExceptionBox::TabProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* box = static_cast<TExceptionBox*>(GetPropA(window, kBoxProperty));
    if (!box)
        return DefWindowProcA(window, message, wParam, lParam);
    return box->TabWindowProc(message, wParam, lParam);
}

LRESULT TExceptionBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    auto defaultProc = [&] {
        return IsWindowUnicode(window_) ? DefWindowProcW(window_, message, wParam, lParam)
                                        : DefWindowProcA(window_, message, wParam, lParam);
    };
    switch (message) {
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {minWidth_, minHeight_};
            return 0;
        }
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.CtlType == ODT_BUTTON)
                PaintButton(item);
            return 1;
        }
        case WM_WINDOWPOSCHANGING: {
            const LRESULT result = defaultProc();
            const auto& pos = *reinterpret_cast<const WINDOWPOS*>(lParam);
            if (!tracking_ || (pos.flags & (SWP_NOSIZE | SWP_SHOWWINDOW | SWP_HIDEWINDOW)))
                return result;
            RECT current;
            GetWindowRect(window_, &current);
            const int currentHeight = current.bottom - current.top;
            if (pos.cy < minHeight_ || currentHeight < minHeight_)
                return result;
            const int dx = pos.cx - (current.right - current.left);
            const int dy = pos.cy - currentHeight;
            if (dx == 0 && dy == 0)
                return result;
            for (int kind : {kBtnContinue, kBtnRestart, kBtnClose}) {
                if (!buttons_[kind])
                    continue;
                RECT r;
                GetWindowRect(buttons_[kind], &r);
                MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
                SetWindowPos(buttons_[kind], nullptr, r.left + dx, r.top, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            for (HWND grown : {tabs_, content_}) {
                if (!grown)
                    continue;
                RECT r;
                GetWindowRect(grown, &r);
                SetWindowPos(grown, nullptr, 0, 0, r.right - r.left + dx, r.bottom - r.top + dy,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            return result;
        }
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            if (header.hwndFrom == tabs_ && header.code == TCN_SELCHANGE)
                ShowCurrentTab();
            return defaultProc();
        }
        case WM_COMMAND: {
            const LRESULT result = defaultProc();
            HWND control = reinterpret_cast<HWND>(lParam);
            if (!control && LOWORD(wParam) == IDOK)
                control = GetFocus();
            if (control && std::find(std::begin(buttons_), std::end(buttons_), control) !=
                               std::end(buttons_)) {
                if (countdownStart_) {
                    StopCountdown();
                    if (autoButton_)
                        InvalidateRect(autoButton_, nullptr, FALSE);
                }
                const bool show = control == buttons_[kBtnShow];
                if (!compact_ && !exception_.UglyBtns() &&
                    (show || GetTickCount() - lastAnimationEnd_ > 200))
                    BlinkButton(control, show);
                PressButton(control);
            }
            return result;
        }
        case WM_TIMER:
            if (wParam == kCountdownTimer)
                OnTimer();
            return 0;
        case WM_NULL:
            if (wParam == 777 && lParam == 777)
                CloseBox();
            return 0;
        case kMsgReportChanged:
            if (tabs_) {
                SyncTabs();
                ShowCurrentTab();
            }
            return 0;
        case kMsgShowDetails:
            ShowDetails();
            return 0;
        case kMsgCloseBox:
            CloseBox();
            return 0;
        default:
            return defaultProc();
    }
}

void TExceptionBox::OnClose()
{
    const auto parent = reinterpret_cast<uintptr_t>(window_);
    switch (exception_.FocusedBtn()) {
        case kBtnContinue:
            exception_.PerformContinue(parent);
            return;
        case kBtnRestart:
            exception_.PerformRestart(parent);
            return;
        case kBtnClose:
            exception_.PerformClose(parent);
            return;
        default:
            break;
    }
    if (buttons_[kBtnContinue] && exception_.Continuable())
        exception_.PerformContinue(parent);
    else if (buttons_[kBtnClose])
        exception_.PerformClose(parent);
    else if (buttons_[kBtnRestart])
        exception_.PerformRestart(parent);
    else if (compact_)
        exception_.PerformClose(parent);
}

void TExceptionBox::PressButton(HWND button)
{
    const auto parent = reinterpret_cast<uintptr_t>(window_);
    const auto kind = static_cast<int>(std::find(std::begin(buttons_), std::end(buttons_), button) -
                                       std::begin(buttons_));
    switch (kind) {
        case kBtnShow:
            ShowDetails();
            break;
        case kBtnClose:
            exception_.PerformClose(parent);
            break;
        case kBtnRestart:
            exception_.PerformRestart(parent);
            break;
        case kBtnContinue:
            if (exception_.Continuable())
                exception_.PerformContinue(parent);
            else
                exception_.PerformClose(parent);
            break;
        case kBtnSend:
            exception_.PerformSend(parent);
            break;
        case kBtnSave:
            exception_.PerformSave(parent);
            break;
        case kBtnPrint:
            exception_.PerformPrint(parent);
            break;
        default:
            break;
    }
}

void TExceptionBox::StopCountdown()
{
    KillTimer(window_, kCountdownTimer);
    countdownStart_ = 0;
}

void TExceptionBox::OnTimer()
{
    const uint32_t delay = static_cast<uint32_t>(exception_.AutoDelay());
    if (delay == 0 || !autoButton_ || !countdownStart_)
        return;
    const uint32_t elapsed = GetTickCount() - countdownStart_;
    RECT client;
    GetClientRect(autoButton_, &client);
    const uint32_t width = static_cast<uint32_t>(client.right);
    const bool framed = exception_.UglyBtns();
    const uint32_t x = framed ? (elapsed * (width - 11) + delay * 500) / (delay * 1000) + 5
                              : (elapsed * width + delay * 500) / (delay * 1000);
    if (static_cast<int>(x) == lastLineX_)
        return;
    if (framed ? x > width - 6 : x > width)
        PostMessageA(window_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(autoButton_), BN_CLICKED),
                     reinterpret_cast<LPARAM>(autoButton_));
    lastLineX_ = static_cast<int>(x);
    InvalidateRect(autoButton_, nullptr, FALSE);
}

void TExceptionBox::PaintButton(const DRAWITEMSTRUCT& item)
{
    if ((item.itemAction & ODA_FOCUS) && countdownStart_)
        StopCountdown();
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    if (item.hwndItem == iconControl_) {
        DrawAlphaPicture(item.hDC, 0, 0, icons_[kIconBig], face);
        return;
    }
    const bool highColour = HighColour();
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    auto shaded = [&](COLORREF colour, int step) {
        return highColour ? ShadeColor(colour, disabled ? step / 2 : step) : colour;
    };
    const COLORREF black = 0, white = RGB(255, 255, 255);
    const COLORREF dark = GetSysColor(COLOR_3DDKSHADOW);
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    const bool focusChange = (item.itemAction & ODA_FOCUS) != 0;
    if (exception_.UglyBtns())
        DrawButtonLook(item.hwndItem, item.hDC, item.itemState, black, shaded(face, 16));
    else if (focused && focusChange)
        AnimateButton(item.hwndItem, item.hDC, item.itemState, {black, face}, {white, dark}, 16,
                      true);
    else if (focused)
        DrawButtonLook(item.hwndItem, item.hDC, item.itemState, white, dark);
    else if (focusChange)
        AnimateButton(item.hwndItem, item.hDC, item.itemState, {white, dark}, {black, face}, 16,
                      false);
    else
        DrawButtonLook(item.hwndItem, item.hDC, item.itemState, black, shaded(face, 16));
}

void TExceptionBox::AnimateButton(HWND button, HDC dc, UINT state, TButtonColours from,
                                  TButtonColours to, int step, bool shadeStart)
{
    if (step && HighColour()) {
        TButtonColours& shaded = shadeStart ? from : to;
        shaded.face = ShadeColor(shaded.face, step);
    }
    for (int n = 7; n >= 0; --n) {
        if (n != 7)
            Sleep(10);
        DrawButtonLook(button, dc, state, MixColour(from.text, to.text, n),
                       MixColour(from.face, to.face, n));
    }
    lastAnimationEnd_ = GetTickCount();
}

void TExceptionBox::BlinkButton(HWND button, bool show)
{
    HDC dc = GetDC(button);
    const UINT state = GetFocus() == button ? ODS_FOCUS : 0;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const TButtonColours focused{RGB(255, 255, 255), GetSysColor(COLOR_3DDKSHADOW)};
    if (show) {
        AnimateButton(button, dc, state, focused, {face, face}, 0, false);
    } else {
        AnimateButton(button, dc, state, focused, {0, face}, 16, false);
        Sleep(10);
        AnimateButton(button, dc, state, {0, face}, focused, 16, true);
    }
    ReleaseDC(button, dc);
}

void TExceptionBox::DrawButtonLook(HWND button, HDC target, UINT state, COLORREF textColour,
                                   COLORREF face)
{
    RECT rect;
    GetClientRect(button, &rect);
    // Painted off-screen and copied in one piece, so that the icon blends over the face.
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, rect.right, rect.bottom);
    HGDIOBJ previousBitmap = SelectObject(dc, bitmap);
    const bool framed = exception_.UglyBtns();
    const bool focused = (state & ODS_FOCUS) != 0;
    const bool disabled = (state & ODS_DISABLED) != 0;
    int inset = 0;
    COLORREF lineColour;
    if (framed) {
        DrawFrameControl(dc, &rect, DFC_BUTTON,
                         DFCS_BUTTONPUSH | ((state & ODS_SELECTED) ? DFCS_PUSHED : 0));
        RECT inner = rect;
        InflateRect(&inner, -2, -2);
        FillRectColour(dc, inner, face);
        lineColour = GetSysColor(COLOR_3DDKSHADOW);
        inset = 2;
    } else {
        FillRectColour(dc, rect, face);
        lineColour = GetSysColor(COLOR_BTNFACE);
    }
    if (button == autoButton_ && countdownStart_ && lastLineX_ >= 0) {
        auto line = [&](int x, COLORREF colour) {
            RECT r{x, 2 * inset, x + 1, rect.bottom - 2 * inset};
            FillRectColour(dc, r, colour);
        };
        line(lastLineX_, lineColour);
        if (HighColour()) {
            for (int d = 1; d <= 3; ++d) {
                COLORREF blended = 0;
                for (int shift = 0; shift < 24; shift += 8) {
                    const int l = static_cast<int>((lineColour >> shift) & 0xFF);
                    const int f = static_cast<int>((face >> shift) & 0xFF);
                    blended |= static_cast<COLORREF>(((4 - d) * l + d * f) / 4) << shift;
                }
                line(lastLineX_ - d, blended);
                line(lastLineX_ + d, blended);
            }
        }
    }
    if (framed && focused) {
        RECT focus = rect;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
    const auto kind = static_cast<int>(GetWindowLongPtrA(button, GWLP_USERDATA));
    if (kind >= 0 && kind < kIconBig)
        DrawAlphaPictureOver(dc, inset + 3, inset + 3, icons_[kind]);
    const std::string caption = WindowText(button).substr(0, 29);
    HGDIOBJ previousFont = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SIZE size{};
    GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    const int d = (static_cast<int>(rect.right - rect.left) - size.cx - 35) / 2;
    if (disabled) {
        SetTextColor(dc, RGB(255, 255, 255));
        TextOutA(dc, d + 28, inset + 5, caption.c_str(), static_cast<int>(caption.size()));
        textColour = GetSysColor(COLOR_3DDKSHADOW);
    }
    SetTextColor(dc, textColour);
    TextOutA(dc, d + 27, inset + 4, caption.c_str(), static_cast<int>(caption.size()));
    SelectObject(dc, previousFont);
    BitBlt(target, 0, 0, rect.right, rect.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

void TExceptionBox::ShowDetails()
{
    DispatchBoxAction(exception_, 6);
    reshow_ = true;
    CloseBox();
}

void TExceptionBox::CloseBox()
{
    shuttingDown_ = true;
    if (tabs_)
        ShowCurrentTab();
    if (window_ && IsWindow(window_))
        DestroyWindow(window_);
}

void TExceptionBox::SyncTabs()
{
    const std::vector<std::string> wanted = WantedTabNames(FieldPairs(exception_.ReportSections()));
    auto tabText = [&](int index) {
        char buffer[128] = {};
        TCITEMA tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = buffer;
        tab.cchTextMax = sizeof(buffer);
        SendMessageA(tabs_, TCM_GETITEMA, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&tab));
        return std::string(buffer);
    };
    bool changed = false;
    for (int k = static_cast<int>(SendMessageA(tabs_, TCM_GETITEMCOUNT, 0, 0)) - 1; k >= 0; --k) {
        if (std::find(wanted.begin(), wanted.end(), tabText(k)) == wanted.end()) {
            SendMessageA(tabs_, TCM_DELETEITEM, static_cast<WPARAM>(k), 0);
            changed = true;
        }
    }
    for (size_t k = 0; k < wanted.size(); ++k) {
        const int count = static_cast<int>(SendMessageA(tabs_, TCM_GETITEMCOUNT, 0, 0));
        bool present = false;
        for (int t = 0; t < count && !present; ++t)
            present = tabText(t) == wanted[k];
        if (present)
            continue;
        TCITEMA tab{};
        tab.mask = TCIF_TEXT;
        std::string name = wanted[k];
        tab.pszText = name.data();
        SendMessageA(tabs_, TCM_INSERTITEMA, k, reinterpret_cast<LPARAM>(&tab));
        changed = true;
    }
    if (changed)
        InvalidateRect(tabs_, nullptr, TRUE);
}

RECT TExceptionBox::TabContentRect() const
{
    RECT r;
    GetClientRect(tabs_, &r);
    SendMessageA(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    r.left -= 1;
    r.top += 2;
    InflateRect(&r, -3, -3);
    return r;
}

void TExceptionBox::ShowCurrentTab()
{
    const int tab = shuttingDown_ ? -1 : static_cast<int>(SendMessageA(tabs_, TCM_GETCURSEL, 0, 0));
    std::pair<std::string, std::string> text;
    if (tab >= 0)
        text = TabText(tab, FieldPairs(exception_.ReportHeader()),
                       FieldPairs(exception_.ReportSections()));
    if (tab == shownTab_ && text.first == shownText_)
        return;
    if (content_) {
        SendMessageA(content_, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
        DestroyWindow(content_);
        content_ = nullptr;
    }
    list_ = {};
    if (tab >= 0) {
        list_ = BuildTabList(tab, text.first, text.second);
        if (list_.IsList()) {
            CreateReportListView();
        } else {
            const RECT r = TabContentRect();
            content_ = CreateWindowExA(0, "Edit", text.first.c_str(),
                                       WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL |
                                           ES_MULTILINE | ES_READONLY | ES_WANTRETURN,
                                       r.left, r.top, r.right - r.left, r.bottom - r.top, tabs_,
                                       nullptr, GetModuleHandleA(nullptr), nullptr);
            SendMessageA(content_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), 0);
        }
    }
    shownTab_ = tab;
    shownText_ = text.first;
}

void TExceptionBox::CreateReportListView()
{
    const RECT r = TabContentRect();
    DWORD style = WS_CHILD | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LVS_REPORT | LVS_SINGLESEL |
                  LVS_OWNERDRAWFIXED | LVS_NOSORTHEADER;
    if (!list_.showHeaders)
        style |= LVS_NOCOLUMNHEADER;
    content_ =
        CreateWindowExA(0, WC_LISTVIEWA, "", style, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, tabs_, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(content_, WM_SETFONT,
                 reinterpret_cast<WPARAM>(list_.monospace ? monoFont_ : font_), 0);
    SendMessageA(content_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
    for (size_t k = 0; k < list_.columns.size(); ++k) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_TEXT;
        column.fmt = list_.columns[k].alignment;
        std::string name = list_.columns[k].name;
        column.pszText = name.data();
        SendMessageA(content_, LVM_INSERTCOLUMNA, k, reinterpret_cast<LPARAM>(&column));
    }
    for (size_t row = 0; row < list_.rows.size(); ++row) {
        std::vector<std::string> cells = RowCells(list_.rows[row], list_.columns, list_.separator);
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(row);
        item.pszText = cells[0].data();
        SendMessageA(content_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        for (size_t k = 1; k < cells.size(); ++k) {
            LVITEMA sub{};
            sub.iSubItem = static_cast<int>(k);
            sub.pszText = cells[k].data();
            SendMessageA(content_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
        }
    }
    for (size_t k = 0; k < list_.columns.size(); ++k)
        SendMessageA(content_, LVM_SETCOLUMNWIDTH, k, LVSCW_AUTOSIZE);
    ShowWindow(content_, SW_SHOW);
}

LRESULT TExceptionBox::TabWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.CtlType == ODT_LISTVIEW && item.itemID < list_.rows.size())
                DrawListRow(item);
            return TRUE;
        }
        case WM_CTLCOLORSTATIC:
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        default:
            break;
    }
    const LRESULT result = CallWindowProcA(tabPreviousProc_, tabs_, message, wParam, lParam);
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == NM_DBLCLK &&
        SendMessageA(tabs_, TCM_GETCURSEL, 0, 0) == 1)
        JumpToSelectedLine();
    return result;
}

void TExceptionBox::JumpToSelectedLine()
{
    const TIdeLineJump jump = g_ideLineJump.load();
    const auto selected = static_cast<int>(
        SendMessageA(content_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (!jump || selected <= 0 || static_cast<size_t>(selected) >= list_.rows.size())
        return;
    std::string line = list_.rows[static_cast<size_t>(selected)].line;
    if (line.empty() || line == ">")
        return;
    std::replace(line.begin(), line.end(), '\t', ' ');
    SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    jump(line);
}

void SetIdeLineJump(TIdeLineJump jump)
{
    g_ideLineJump.store(jump);
}

void SetFreezeWatchdogNotice(TFreezeWatchdogNotice notice)
{
    g_freezeWatchdogNotice.store(notice);
}

void TExceptionBox::DrawListRow(const DRAWITEMSTRUCT& item)
{
    const TListRow& row = list_.rows[item.itemID];
    const bool whiteRow = row.colour == kRowWhite;
    const bool selected =
        !whiteRow &&
        (SendMessageA(content_, LVM_GETITEMSTATE, item.itemID, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    HDC dc = item.hDC;
    const RECT rowRect = item.rcItem;
    const size_t columns = list_.columns.size();
    const bool highColour = HighColour();
    std::vector<RECT> cellRects;
    int left = rowRect.left;
    for (size_t k = 0; k < columns; ++k) {
        const int width = static_cast<int>(SendMessageA(content_, LVM_GETCOLUMNWIDTH, k, 0));
        cellRects.push_back({left, rowRect.top, left + width, rowRect.bottom});
        COLORREF colour = row.colour;
        if (!colour)
            colour = (k % 2 == 1 || columns == 1) ? kRowWhite
                     : k % 4 == 0                 ? kRowBlueTint
                                                  : kRowRedTint;
        FillRectColour(dc, cellRects.back(), ShownCellColour(colour, selected, highColour));
        left += width;
    }
    const bool nextIsHeader =
        item.itemID + 1 < list_.rows.size() && list_.rows[item.itemID + 1].header;
    if (selected) {
        HBRUSH frame = CreateSolidBrush(highColour ? RGB(176, 176, 176) : RGB(128, 128, 128));
        FrameRect(dc, &rowRect, frame);
        DeleteObject(frame);
    } else if (!nextIsHeader) {
        RECT bottom{rowRect.left, rowRect.bottom - 1, rowRect.right, rowRect.bottom};
        FillRectColour(dc, bottom, highColour ? RGB(224, 224, 224) : RGB(255, 255, 255));
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, 0);
    const std::vector<std::string> cells = RowCells(row, list_.columns, list_.separator);
    if (!cells.empty() && cells[0] == ">>") {
        RECT text{rowRect.left + 6, rowRect.top + 2, rowRect.right - 4, rowRect.bottom};
        const std::string line = row.line.size() > 3 ? row.line.substr(3) : std::string();
        HGDIOBJ previous = nullptr;
        if (row.header) {
            previous = SelectObject(dc, boldFont_);
            RECT underline{rowRect.left, rowRect.bottom - 2, rowRect.right, rowRect.bottom};
            FillRectColour(dc, underline, selected ? RGB(160, 160, 160) : RGB(192, 192, 192));
        } else {
            SetTextColor(dc, RGB(96, 96, 96));
        }
        DrawTextA(dc, line.c_str(), -1, &text, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        if (previous)
            SelectObject(dc, previous);
        SetTextColor(dc, 0);
        return;
    }
    for (size_t k = 0; k < cells.size(); ++k) {
        RECT text = cellRects[k];
        text.left += k == 0 ? 6 : 4;
        text.right -= 4;
        text.top += 2;
        UINT format = DT_SINGLELINE | DT_NOPREFIX;
        if (list_.columns[k].alignment & 1)
            format |= DT_RIGHT;
        else if (list_.columns[k].alignment & 2)
            format |= DT_CENTER;
        const std::string& cell = cells[k];
        const bool path =
            cell.size() >= 3 && IsCharAlphaA(cell[0]) && cell[1] == ':' && cell[2] == '\\';
        format |= path ? DT_PATH_ELLIPSIS : DT_END_ELLIPSIS;
        DrawTextA(dc, cell.c_str(), -1, &text, format);
    }
}

void ShowExceptionBox(IQEException& exception, uint8_t style, bool beep)
{
    bool reshow;
    {
        TExceptionBox box(exception, beep, style == kBoxDetail, style != kBoxFull);
        HWND window = box.Window();
        MSG message;
        while (window && IsWindow(window)) {
            const BOOL got = GetMessageA(&message, nullptr, 0, 0);
            if (got == 0) {
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            if (got == -1)
                break;
            if (message.message == WM_KEYDOWN) {
                if (message.wParam == VK_ESCAPE) {
                    message.hwnd = window;
                    message.message = WM_CLOSE;
                    message.wParam = 0;
                    message.lParam = 0;
                } else if (message.wParam == VK_F1) {
                    DispatchBoxAction(exception, 7);
                } else if (message.wParam == 'C' && (GetKeyState(VK_CONTROL) & 0x8000)) {
                    message.wParam = 0;
                    CopyTextToClipboard(window, exception.AutoShowBugRep()
                                                    ? exception.ReportText(false)
                                                    : exception.ErrorMessage());
                }
            }
            if (message.hwnd && message.hwnd == box.Content()) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            } else if (!IsDialogMessageA(window, &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
        reshow = box.ReshowRequested();
    }
    if (reshow && (style == kBoxFull || style == kBoxDetail)) {
        exception.SetAutoShowBugRep(true);
        exception.SetAutoContinue(0);
        exception.SetAutoRestart(0);
        exception.SetAutoClose(0);
        ShowExceptionBox(exception, kBoxFull, false);
    }
}

namespace {

// Whether this program is built for the console subsystem.
bool IsConsoleProgram()
{
    const auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI;
}

} // namespace

TPresentationHost WindowsPresentationHost()
{
    TPresentationHost host;
    host.consoleProgram = IsConsoleProgram();
    // Until the engine's start-up sets its CGI hook: a program started by a web server.
    host.cgiProgram = GetEnvironmentVariableA("GATEWAY_INTERFACE", nullptr, 0) != 0;
    host.writeOutput = [](std::string_view text) {
        HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
        DWORD written = 0;
        return output && output != INVALID_HANDLE_VALUE &&
               WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
               written == text.size();
    };
    host.showExceptionBox = ShowExceptionBox;
    host.expandPlaceholders = Expand;
    return host;
}

} // namespace crashui
