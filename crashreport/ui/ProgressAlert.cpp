#include "ProgressAlert.h"

#include "AlphaPicture.h"
#include "core/TypeInfo.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace crashui {

namespace {

constexpr int kWrapWidth = 420;
constexpr int kMinimumTextWidth = 220;
constexpr int kBarRange = 1000;
constexpr int kPictureSize = 32;

LRESULT CALLBACK ProgressAlertProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The module this code lives in: the window class is registered for it.
HINSTANCE OwnModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&ProgressAlertProc), &module);
    return module;
}

bool OwnedByCallingThread(HWND window)
{
    return window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

struct Segment {
    int64_t start;
    int64_t weight;
    std::string text;
};

class TIProgressAlert : public classlib::TInterfacedObject, public IProgressAlert {
    CLASSLIB_CLASS(TIProgressAlert, TInterfacedObject)
public:
    TIProgressAlert(const std::string& title, HMODULE pictureModule, const std::string& pictureName)
        : title_(title), pictureModule_(pictureModule), pictureName_(pictureName)
    {
    }
    ~TIProgressAlert() override
    {
        Dismiss();
        ReleaseMeasuring();
    }
    CLASSLIB_IINTERFACE_OF(TInterfacedObject)
    bool GetInterface(const classlib::TGUID& iid, void** obj) override
    {
        return classlib::GetInterfaceOf<IProgressAlert>(this, iid, obj) ||
               TInterfacedObject::GetInterface(iid, obj);
    }

    std::string Title() override { return title_; }
    void SetTitle(const std::string& title) override
    {
        if (title == title_)
            return;
        title_ = title;
        if (popup_)
            SetWindowTextA(popup_, title_.c_str());
    }
    int32_t Progress() override { return position_; }
    void SetProgress(int32_t position) override;
    void AddSegment(const std::string& text, int64_t weight) override
    {
        const std::string& shown =
            text.empty() && !segments_.empty() ? segments_.back().text : text;
        segments_.push_back({total_, weight, shown});
        total_ += weight;
    }
    void ClearSegments() override
    {
        segments_.clear();
        active_ = 0;
        total_ = 0;
    }
    void SegmentDone() override { SetActiveSegment(active_ + 1); }
    int32_t ActiveSegment() override { return active_; }
    void SetActiveSegment(int32_t index) override;
    void PumpMessages() override;
    bool Display(HWND parent, bool activate) override;
    void Dismiss() override;

    // WM_DRAWITEM of the picture window.
    void DrawPicture(HDC dc) const;

private:
    int BarValue() const;
    void ReleaseMeasuring();
    SIZE MeasureTextBox() const;

    HWND parent_ = nullptr;
    std::string title_;
    HDC measureDc_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ previousFont_ = nullptr;
    HWND popup_ = nullptr;
    HWND picture_ = nullptr;
    HWND label_ = nullptr;
    HWND bar_ = nullptr;
    std::vector<Segment> segments_;
    int64_t total_ = 0;
    int32_t active_ = 0;
    int32_t position_ = 0;
    HMODULE pictureModule_;
    std::string pictureName_;
};

CLASSLIB_PUBLISH(TIProgressAlert) {}

// ((W x P) div 1000 + S) x 1000 div T for the active segment; without segments, or with a
// total weight of 0, the bar shows the position itself.
int TIProgressAlert::BarValue() const
{
    if (segments_.empty() || total_ == 0 || active_ < 0 ||
        static_cast<size_t>(active_) >= segments_.size())
        return position_;
    const Segment& segment = segments_[static_cast<size_t>(active_)];
    const int64_t value =
        (segment.weight * position_ / kBarRange + segment.start) * kBarRange / total_;
    return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

void TIProgressAlert::SetProgress(int32_t position)
{
    position_ = position;
    if (!bar_)
        return;
    const WPARAM value = static_cast<WPARAM>(BarValue());
    if (OwnedByCallingThread(bar_)) {
        SendMessageA(bar_, PBM_SETPOS, value, 0);
        PumpMessages();
    } else {
        // Any thread may report progress without waiting for the popup's thread.
        PostMessageA(bar_, PBM_SETPOS, value, 0);
    }
}

void TIProgressAlert::SetActiveSegment(int32_t index)
{
    const int32_t count = static_cast<int32_t>(segments_.size());
    if (index == active_ || index < 0 || index > count)
        return;
    if (index == count) {
        active_ = count - 1;
        SetProgress(kBarRange);
    } else {
        active_ = index;
        SetProgress(0);
    }
    if (active_ < count && label_)
        SetWindowTextA(label_, segments_[static_cast<size_t>(active_)].text.c_str());
}

void TIProgressAlert::PumpMessages()
{
    if (!OwnedByCallingThread(popup_))
        return;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The thread's own loop must still see the request to end.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void TIProgressAlert::ReleaseMeasuring()
{
    if (measureDc_) {
        SelectObject(measureDc_, previousFont_);
        DeleteDC(measureDc_);
        measureDc_ = nullptr;
    }
    if (font_) {
        DeleteObject(font_);
        font_ = nullptr;
    }
}

// The box of the texts from the active segment to the last, each wrapped at 420 pixels.
SIZE TIProgressAlert::MeasureTextBox() const
{
    RECT box{};
    for (size_t i = static_cast<size_t>(std::max(active_, 0)); i < segments_.size(); ++i) {
        RECT r{0, 0, kWrapWidth, 0};
        DrawTextA(measureDc_, segments_[i].text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK);
        if (i == static_cast<size_t>(active_)) {
            box = r;
        } else {
            box.right = std::max(box.right, r.right);
            box.bottom = std::max(box.bottom, r.bottom);
        }
    }
    return {box.right - box.left, box.bottom - box.top};
}

bool TIProgressAlert::Display(HWND parent, bool activate)
{
    if (popup_)
        return false;
    parent_ = parent;
    if (parent_)
        EnableWindow(parent_, FALSE);
    if (segments_.empty())
        AddSegment("Please wait...", 1000);

    const HINSTANCE instance = OwnModule();
    WNDCLASSA windowClass{};
    windowClass.style = CS_CLASSDC | CS_PARENTDC;
    windowClass.lpfnWndProc = ProgressAlertProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = kProgressAlertClass;
    RegisterClassA(&windowClass); // already registered by an earlier popup: fine

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    popup_ = CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_TOOLWINDOW,
                             kProgressAlertClass, title_.c_str(), WS_CAPTION, 0, 0, 100, 100,
                             parent_, nullptr, instance, nullptr);
    if (!popup_) {
        // No window, nothing to dismiss later: the parent must not stay disabled.
        if (parent_)
            EnableWindow(parent_, TRUE);
        return true;
    }
    if (HMENU menu = GetSystemMenu(popup_, FALSE))
        for (UINT command : {SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE, SC_SIZE})
            DeleteMenu(menu, command, MF_BYCOMMAND);

    // A repeated Display measures with fresh objects; the earlier ones go first.
    ReleaseMeasuring();
    font_ = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
    if (!font_)
        font_ = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                            "MS Sans Serif");
    measureDc_ = CreateCompatibleDC(nullptr);
    if (measureDc_)
        previousFont_ = SelectObject(measureDc_, font_);

    SIZE box = MeasureTextBox();
    int width = box.cx;
    int height = box.cy;
    if (FindResourceA(pictureModule_, pictureName_.c_str(), MAKEINTRESOURCEA(2) /* RT_BITMAP */)) {
        width += 40;
        picture_ =
            CreateWindowExA(0, "Button", "", WS_CHILD | WS_VISIBLE | WS_DISABLED | BS_OWNERDRAW, 9,
                            9, kPictureSize, kPictureSize, popup_, nullptr, instance, nullptr);
        if (picture_)
            SetWindowLongPtrA(picture_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    width = std::max(width, kMinimumTextWidth);
    int labelX = 11;
    int labelY = 12;
    if (picture_) {
        labelX = 51;
        if (height < 26) {
            labelY = 12 + (26 - height) / 2;
            height = 26;
        }
    }
    const std::string& text = segments_[static_cast<size_t>(std::max(active_, 0))].text;
    label_ = CreateWindowExA(0, "Static", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, labelX,
                             labelY, width, height, popup_, nullptr, instance, nullptr);
    if (label_)
        SendMessageA(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    const int barHeight = GetSystemMetrics(SM_CYVSCROLL);
    bar_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 11, height + 24, width,
                           barHeight, popup_, nullptr, instance, nullptr);
    if (bar_)
        SendMessageA(bar_, PBM_SETRANGE, 0, MAKELPARAM(0, kBarRange));

    const int outerWidth = width + 22 + 2 * GetSystemMetrics(SM_CXDLGFRAME);
    const int outerHeight = height + 24 + barHeight + 12 + GetSystemMetrics(SM_CYSMCAPTION) +
                            2 * GetSystemMetrics(SM_CYDLGFRAME);
    if (IsIconic(popup_))
        ShowWindow(popup_, SW_RESTORE);
    if (activate) {
        const int x = (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2;
        const int y = (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2;
        SetWindowPos(popup_, nullptr, x, y, outerWidth, outerHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(popup_, SW_SHOWNORMAL);
        BringWindowToTop(popup_);
        SetForegroundWindow(popup_);
    } else {
        RECT work{};
        if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
            work.right = GetSystemMetrics(SM_CXFULLSCREEN);
            work.bottom = GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION);
        }
        SetWindowPos(popup_, nullptr, work.right - outerWidth - 2, work.bottom - outerHeight - 2,
                     outerWidth, outerHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(popup_, SW_SHOWNOACTIVATE);
    }
    SetProgress(position_);
    return true;
}

void TIProgressAlert::Dismiss()
{
    if (!popup_)
        return;
    if (picture_)
        SetWindowLongPtrA(picture_, GWLP_USERDATA, 0);
    if (OwnedByCallingThread(popup_)) {
        DestroyWindow(popup_);
    } else if (IsWindow(popup_)) {
        // The window procedure lets WM_CLOSE through once the flag is set; the owning thread
        // destroys its window while this one waits.
        SetWindowLongPtrA(popup_, GWLP_USERDATA, 1);
        SendMessageA(popup_, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    popup_ = picture_ = label_ = bar_ = nullptr;
    if (parent_) {
        EnableWindow(parent_, TRUE);
        SetActiveWindow(parent_);
    }
}

void TIProgressAlert::DrawPicture(HDC dc) const
{
    DrawAlphaPicture(dc, 0, 0, LoadAlphaPicture(pictureModule_, pictureName_, kPictureSize),
                     GetSysColor(COLOR_BTNFACE));
}

LRESULT CALLBACK ProgressAlertProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_CLOSE:
            // Neither the user nor the system closes the popup; only Dismiss does.
            if (GetWindowLongPtrA(window, GWLP_USERDATA) == 0)
                return 0;
            break;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            const auto* alert = reinterpret_cast<const TIProgressAlert*>(
                GetWindowLongPtrA(item->hwndItem, GWLP_USERDATA));
            if (alert) {
                try {
                    alert->DrawPicture(item->hDC);
                    return 1;
                } catch (...) {
                    // A picture that cannot be drawn leaves the button to the default handling.
                }
            }
            break;
        }
        default:
            break;
    }
    return IsWindowUnicode(window) ? DefWindowProcW(window, message, wParam, lParam)
                                   : DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

TProgressAlertPtr CreateProgressAlert(const std::string& title, HMODULE pictureModule,
                                      const std::string& pictureName)
{
    return TProgressAlertPtr(new TIProgressAlert(title, pictureModule, pictureName));
}

} // namespace crashui
