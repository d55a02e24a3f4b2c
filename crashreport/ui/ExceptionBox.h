#pragma once
// The exception box: the window that tells the user about an exception and offers the actions
// on it, in three styles (full with up to seven owner-drawn buttons and, with the report shown,
// resizable tabs of report lists; detail: OK and details; simple: OK), and ShowExceptionBox,
// which runs one box with its message loop and shortcuts. Windows only; the report lists'
// columns and rows come from ReportListViews.h.
#include "AlphaPicture.h"
#include "ExceptionPresentation.h"
#include "ReportListViews.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

namespace crashui {

constexpr char kExceptionBoxClass[] = "qorExceptWndClass";
constexpr UINT kMsgReportChanged = WM_USER + 777;
constexpr UINT kMsgShowDetails = WM_USER + 778;
constexpr UINT kMsgCloseBox = WM_USER + 779;

// Button kinds, also the order of TExceptionBox's button fields.
enum TBoxButtonKind : uint8_t {
    kBtnSend = 0,
    kBtnSave = 1,
    kBtnPrint = 2,
    kBtnShow = 3,
    kBtnContinue = 4,
    kBtnRestart = 5,
    kBtnClose = 6,
    kBtnCantContinue = 7,
    kIconBig = 8, // the box's own 32 x 32 icon
};

class TExceptionBox {
public:
    TExceptionBox(IQEException& exception, bool beep, bool detail, bool compact);
    ~TExceptionBox();
    TExceptionBox(const TExceptionBox&) = delete;
    TExceptionBox& operator=(const TExceptionBox&) = delete;

    HWND Window() const { return window_; }
    HWND TabControl() const { return tabs_; }
    HWND Content() const { return content_; }
    // The button window of a kind (continue also for kind 7, the icon control for kind 8); 0
    // when not shown.
    HWND Button(TBoxButtonKind kind) const;
    bool ReshowRequested() const { return reshow_; }
    const TReportList& CurrentList() const { return list_; }

    void ShowDetails();
    void CloseBox();
    void SyncTabs();
    void ShowCurrentTab();

private:
    static LRESULT CALLBACK BoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK TabProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT TabWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    void JumpToSelectedLine();

    int MeasureCaption(const std::string& caption, bool visible) const;
    void CreateBoxButton(const std::string& caption, bool visible, TBoxButtonKind kind, int width,
                         int row, int top, int& x);
    struct TButtonColours {
        COLORREF text;
        COLORREF face;
    };
    void PaintButton(const DRAWITEMSTRUCT& item);
    // The button with these colours, unshaded, its icon and caption.
    void DrawButtonLook(HWND button, HDC target, UINT state, COLORREF textColour, COLORREF face);
    // Eight frames from one look to the other, 10 ms apart; the start (or else the end) face is
    // shaded by the step first.
    void AnimateButton(HWND button, HDC dc, UINT state, TButtonColours from, TButtonColours to,
                       int step, bool shadeStart);
    void BlinkButton(HWND button, bool show);
    void DrawListRow(const DRAWITEMSTRUCT& item);
    void PressButton(HWND button);
    void OnClose();
    void OnTimer();
    void StopCountdown();
    RECT TabContentRect() const;
    void CreateReportListView();

    IQEException& exception_;
    HFONT font_ = nullptr;
    HFONT monoFont_ = nullptr;
    HFONT boldFont_ = nullptr;
    HWND window_ = nullptr;
    HWND tabs_ = nullptr;
    HWND content_ = nullptr;
    HWND text_ = nullptr;
    HWND buttons_[7] = {}; // by kind: send, save, print, show, continue, restart, close
    bool buttonFocused_[7] = {};
    HWND autoButton_ = nullptr;
    HWND iconControl_ = nullptr;
    TAlphaPicture icons_[9]; // by button kind, then the big icon
    DWORD lastAnimationEnd_ = 0;
    bool compact_ = false;
    bool stackedLayout_ = false; // continue, restart and close in one column
    bool cantContinue_ = false;  // the continue button shown disabled (kind 7)
    bool focusGiven_ = false;
    bool reshow_ = false;
    int buttonHeight_ = 22;
    DWORD countdownStart_ = 0;
    int lastLineX_ = -1;
    int minWidth_ = 0;
    int minHeight_ = 0;
    bool tracking_ = false;
    TReportList list_;
    HIMAGELIST images_ = nullptr;
    WNDPROC tabPreviousProc_ = nullptr;
    int shownTab_ = -1;
    std::string shownText_;
    bool shuttingDown_ = false;
};

// Runs one exception box to its end: Esc closes it as the close command does, F1 fires the
// help handlers, Ctrl+C copies the report (or the message); a requested reshow brings the
// exception back in a full box with its report and without automatic buttons.
void ShowExceptionBox(IQEException& exception, uint8_t style, bool beep);

// A double click on a call-stack line of the box hands the line (tabs replaced by blanks) to
// this routine, which takes it to a running development environment; the engine sets it. Until
// then, and after SetIdeLineJump(nullptr), the double click does nothing.
using TIdeLineJump = void (*)(const std::string& line);
void SetIdeLineJump(TIdeLineJump jump);

// For a frozen application the box hands its window to the freeze watchdog (which posts the
// watchdog's message with the window as first parameter; once the application answers again the
// box gets WM_NULL with both parameters 777 and closes). The engine sets it; until then nothing
// is told.
using TFreezeWatchdogNotice = void (*)(HWND box);
void SetFreezeWatchdogNotice(TFreezeWatchdogNotice notice);

// The Windows host of PresentException: console and CGI output on standard output.
TPresentationHost WindowsPresentationHost();

} // namespace crashui
