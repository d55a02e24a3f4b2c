#include "windows/Screen.h"

#include "core/Exceptions.h"
#include "core/StringList.h"
#include "core/SysUtils.h"
#include "core/TypeInfo.h"
#include "windows/Graphics.h"

#include <algorithm>

namespace classlib {

CLASSLIB_PUBLISH(TScreen) {}

namespace {

// The system cursors by number.
const struct {
    TCursor cursor;
    LPCSTR id;
} kSystemCursors[] = {
    {crArrow, IDC_ARROW},          {crCross, IDC_CROSS},
    {crIBeam, IDC_IBEAM},          {crSizeNESW, IDC_SIZENESW},
    {crSizeNS, IDC_SIZENS},        {crSizeNWSE, IDC_SIZENWSE},
    {crSizeWE, IDC_SIZEWE},        {crUpArrow, IDC_UPARROW},
    {crHourGlass, IDC_WAIT},       {crNo, IDC_NO},
    {crAppStart, IDC_APPSTARTING}, {crHelp, IDC_HELP},
    {crHandPoint, IDC_HAND},       {crSizeAll, IDC_SIZEALL},
};

// The drag cursors are drawn here: an arrow with one sheet (drag) or three stacked sheets
// (multi-drag) below its tip. Masks are 32 x 32 bits; AND 0 and XOR 0 is black, AND 0 and
// XOR 1 white, AND 1 and XOR 0 transparent.
struct CursorMasks {
    uint8_t andBits[32 * 4];
    uint8_t xorBits[32 * 4];
    void Set(int x, int y, bool white)
    {
        const int byte = y * 4 + x / 8;
        const uint8_t bit = static_cast<uint8_t>(0x80 >> (x % 8));
        andBits[byte] &= static_cast<uint8_t>(~bit);
        if (white)
            xorBits[byte] |= bit;
        else
            xorBits[byte] &= static_cast<uint8_t>(~bit);
    }
    // A sheet: black frame, white inside.
    void Sheet(int left, int top, int width, int height)
    {
        for (int y = top; y < top + height; ++y)
            for (int x = left; x < left + width; ++x)
                Set(x, y,
                    !(x == left || y == top || x == left + width - 1 || y == top + height - 1));
    }
};

HCURSOR MakeDragCursor(int sheets)
{
    CursorMasks masks;
    std::fill(std::begin(masks.andBits), std::end(masks.andBits), 0xFF);
    std::fill(std::begin(masks.xorBits), std::end(masks.xorBits), 0x00);
    // The arrow: a black outline around white, tip at (0, 0).
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x <= y / 2 + y / 4 && x < 8; ++x)
            masks.Set(x, y, x != 0 && x != y / 2 + y / 4 && y != 11);
    for (int i = 0; i < sheets; ++i)
        masks.Sheet(8 + 3 * i, 12 + 3 * i, 11, 9);
    return CreateCursor(GetModuleHandleA(nullptr), 0, 0, 32, 32, masks.andBits, masks.xorBits);
}

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list)
{
    reinterpret_cast<std::vector<HMONITOR>*>(list)->push_back(monitor);
    return TRUE;
}

// A font of the desktop's settings.
std::unique_ptr<TFont> FontOf(const LOGFONTA& logFont)
{
    auto font = std::make_unique<TFont>();
    font->SetHandle(CreateFontIndirectA(&logFont));
    return font;
}

int CALLBACK CollectFont(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM list)
{
    if (font->lfFaceName[0] != '@')
        reinterpret_cast<TStringList*>(list)->Add(font->lfFaceName);
    return 1;
}

// Created during static initialisation, freed at the end of the program.
struct ScreenLifetime {
    ScreenLifetime() { Screen = new TScreen(nullptr); }
    ~ScreenLifetime()
    {
        TScreen* screen = Screen;
        Screen = nullptr;
        delete screen;
    }
};

} // namespace

TScreen* Screen = nullptr;

namespace {
ScreenLifetime lifetime;
}

TScreen::TScreen(TComponent* owner) : TComponent(owner)
{
    for (const auto& entry : kSystemCursors)
        cursors_[entry.cursor] = LoadCursorA(nullptr, entry.id);
    cursors_[crNone] = nullptr;
    cursors_[crDrag] = MakeDragCursor(1);
    cursors_[crMultiDrag] = MakeDragCursor(3);
    cursors_[crNoDrop] = LoadCursorA(nullptr, IDC_NO);
    cursors_[crHSplit] = LoadCursorA(nullptr, IDC_SIZEWE);
    cursors_[crVSplit] = LoadCursorA(nullptr, IDC_SIZENS);
    cursors_[crSQLWait] = LoadCursorA(nullptr, IDC_WAIT);
}

TScreen::~TScreen()
{
    delete fonts_;
    for (TCursor drawn : {crDrag, crMultiDrag})
        DestroyCursor(cursors_[drawn]);
}

namespace {

NONCLIENTMETRICSA NonClientMetrics()
{
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    return metrics;
}

} // namespace

TFont* TScreen::HintFont()
{
    if (!hintFont_)
        hintFont_ = FontOf(NonClientMetrics().lfStatusFont);
    return hintFont_.get();
}

TFont* TScreen::MessageFont()
{
    if (!messageFont_)
        messageFont_ = FontOf(NonClientMetrics().lfMessageFont);
    return messageFont_.get();
}

TFont* TScreen::MenuFont()
{
    if (!menuFont_)
        menuFont_ = FontOf(NonClientMetrics().lfMenuFont);
    return menuFont_.get();
}

TFont* TScreen::IconFont()
{
    if (!iconFont_) {
        LOGFONTA logFont{};
        SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof(logFont), &logFont, 0);
        iconFont_ = FontOf(logFont);
    }
    return iconFont_.get();
}

void TScreen::ReadMonitors()
{
    std::vector<HMONITOR> handles;
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&handles));
    // The primary monitor first, as its number is 0.
    std::stable_partition(handles.begin(), handles.end(), [](HMONITOR m) {
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        return GetMonitorInfoA(m, &info) && (info.dwFlags & MONITORINFOF_PRIMARY);
    });
    monitors_.clear();
    for (size_t i = 0; i < handles.size(); ++i)
        monitors_.push_back(std::make_unique<TMonitor>(handles[i], static_cast<int>(i)));
}

int TScreen::MonitorCount()
{
    ReadMonitors();
    return static_cast<int>(monitors_.size());
}

TMonitor* TScreen::Monitors(int index)
{
    if (monitors_.empty())
        ReadMonitors();
    if (index < 0 || index >= static_cast<int>(monitors_.size()))
        throw EListError(Format(messages::ListIndexError, {index}));
    return monitors_[static_cast<size_t>(index)].get();
}

TMonitor* TScreen::PrimaryMonitor()
{
    return MonitorFromPoint(POINT{0, 0}, mdPrimary);
}

TMonitor* TScreen::FindMonitor(HMONITOR handle)
{
    if (!handle)
        return nullptr;
    for (int pass = 0; pass < 2; ++pass) {
        for (auto& monitor : monitors_)
            if (monitor->Handle() == handle)
                return monitor.get();
        ReadMonitors(); // a display was added since the list was read
    }
    return nullptr;
}

namespace {
DWORD MonitorFlag(TMonitorDefaultTo fallback)
{
    static constexpr DWORD flags[] = {MONITOR_DEFAULTTONEAREST, MONITOR_DEFAULTTONULL,
                                      MONITOR_DEFAULTTOPRIMARY};
    return flags[fallback];
}
} // namespace

TMonitor* TScreen::MonitorFromPoint(POINT point, TMonitorDefaultTo fallback)
{
    return FindMonitor(::MonitorFromPoint(point, MonitorFlag(fallback)));
}

TMonitor* TScreen::MonitorFromRect(const RECT& rect, TMonitorDefaultTo fallback)
{
    return FindMonitor(::MonitorFromRect(&rect, MonitorFlag(fallback)));
}

TMonitor* TScreen::MonitorFromWindow(HWND window, TMonitorDefaultTo fallback)
{
    return FindMonitor(::MonitorFromWindow(window, MonitorFlag(fallback)));
}

RECT TScreen::DesktopRect() const
{
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// ---- TMonitor -------------------------------------------------------------------------------

namespace {
MONITORINFO MonitorInfo(HMONITOR monitor)
{
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoA(monitor, &info);
    return info;
}
} // namespace

RECT TMonitor::BoundsRect() const
{
    return MonitorInfo(handle_).rcMonitor;
}
RECT TMonitor::WorkareaRect() const
{
    return MonitorInfo(handle_).rcWork;
}
int TMonitor::Width() const
{
    const RECT r = BoundsRect();
    return r.right - r.left;
}
int TMonitor::Height() const
{
    const RECT r = BoundsRect();
    return r.bottom - r.top;
}
bool TMonitor::Primary() const
{
    return (MonitorInfo(handle_).dwFlags & MONITORINFOF_PRIMARY) != 0;
}

TStrings* TScreen::Fonts()
{
    if (!fonts_) {
        fonts_ = new TStringList;
        fonts_->SetSorted(true);
        fonts_->SetDuplicates(dupIgnore);
        HDC screen = GetDC(nullptr);
        LOGFONTA query{};
        query.lfCharSet = DEFAULT_CHARSET;
        EnumFontFamiliesExA(screen, &query, CollectFont, reinterpret_cast<LPARAM>(fonts_), 0);
        ReleaseDC(nullptr, screen);
    }
    return fonts_;
}

HCURSOR TScreen::Cursors(TCursor cursor)
{
    auto it = cursors_.find(cursor);
    if (it != cursors_.end())
        return it->second;
    return cursors_[crArrow];
}

void TScreen::SetCursors(TCursor cursor, HCURSOR handle)
{
    if (cursor > 0)
        cursors_[cursor] = handle;
}

void TScreen::SetCursor(TCursor cursor)
{
    if (cursor == cursor_)
        return;
    cursor_ = cursor;
    if (cursor == crDefault) {
        // Let the window under the mouse choose its cursor again.
        POINT position{};
        GetCursorPos(&position);
        if (HWND window = WindowFromPoint(position))
            SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                         MAKELPARAM(SendMessageA(window, WM_NCHITTEST, 0,
                                                 MAKELPARAM(position.x, position.y)),
                                    WM_MOUSEMOVE));
    } else {
        ::SetCursor(Cursors(cursor));
    }
}

int TScreen::PixelsPerInch() const
{
    HDC screen = GetDC(nullptr);
    const int ppi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return ppi;
}

RECT TScreen::WorkAreaRect() const
{
    RECT area{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0))
        area = {0, 0, Width(), Height()};
    return area;
}

int TScreen::WorkAreaWidth() const
{
    const RECT area = WorkAreaRect();
    return area.right - area.left;
}

int TScreen::WorkAreaHeight() const
{
    const RECT area = WorkAreaRect();
    return area.bottom - area.top;
}

} // namespace classlib
