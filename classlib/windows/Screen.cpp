#include "windows/Screen.h"

#include "core/StringList.h"
#include "core/TypeInfo.h"

namespace classlib {

CLASSLIB_PUBLISH(TScreen) {}

namespace {

// The system cursors by number.
const struct {
    TCursor cursor;
    LPCSTR id;
} kSystemCursors[] = {
    {crArrow, IDC_ARROW}, {crCross, IDC_CROSS}, {crIBeam, IDC_IBEAM}, {crSizeNESW, IDC_SIZENESW},
    {crSizeNS, IDC_SIZENS}, {crSizeNWSE, IDC_SIZENWSE}, {crSizeWE, IDC_SIZEWE},
    {crUpArrow, IDC_UPARROW}, {crHourGlass, IDC_WAIT}, {crNo, IDC_NO},
    {crAppStart, IDC_APPSTARTING}, {crHelp, IDC_HELP}, {crHandPoint, IDC_HAND},
    {crSizeAll, IDC_SIZEALL},
};

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
}

TScreen::~TScreen()
{
    delete fonts_;
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
                         MAKELPARAM(SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(position.x, position.y)),
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
