#pragma once
// TScreen: what the program knows about the display: installed fonts, the mouse cursor,
// pixels per inch and the work area. One instance, `Screen`, exists from start-up on.
#include "core/Component.h"

#include <windows.h>

#include <map>
#include <memory>
#include <vector>

namespace classlib {

class TStrings;
class TStringList;
class TFont;

// Cursor numbers: negative values are the system's cursors, crDefault the window's own.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

enum TMonitorDefaultTo { mdNearest, mdNull, mdPrimary };

// One display of the desktop.
class TMonitor : public TObject {
public:
    explicit TMonitor(HMONITOR handle, int number) : handle_(handle), number_(number) {}
    HMONITOR Handle() const { return handle_; }
    int MonitorNum() const { return number_; }
    RECT BoundsRect() const;
    // The monitor without the task bar and docked bars.
    RECT WorkareaRect() const;
    int Left() const { return BoundsRect().left; }
    int Top() const { return BoundsRect().top; }
    int Width() const;
    int Height() const;
    bool Primary() const;

private:
    HMONITOR handle_;
    int number_;
};

class TScreen : public TComponent {
    CLASSLIB_CLASS(TScreen, TComponent)
    explicit TScreen(TComponent* owner);
    ~TScreen() override;

    // Family names of the installed fonts, sorted, without the vertical ("@") variants.
    TStrings* Fonts();
    // The cursor shown over the program's windows; crDefault lets each window choose.
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);
    // The cursor handle of a number (the arrow for an unknown one).
    HCURSOR Cursors(TCursor cursor);
    // Registers a cursor of the program under a positive number.
    void SetCursors(TCursor cursor, HCURSOR handle);

    // The system's fonts for hints (the status font), message boxes, icon titles and menus,
    // read from the desktop's settings when first asked for.
    TFont* HintFont();
    TFont* MessageFont();
    TFont* IconFont();
    TFont* MenuFont();

    // The displays, the primary one first; re-read on every call of MonitorCount.
    int MonitorCount();
    TMonitor* Monitors(int index);
    TMonitor* PrimaryMonitor();
    // The monitor at a point or overlapping a rectangle or window most; nullptr with mdNull
    // when none is there.
    TMonitor* MonitorFromPoint(POINT point, TMonitorDefaultTo fallback = mdNearest);
    TMonitor* MonitorFromRect(const RECT& rect, TMonitorDefaultTo fallback = mdNearest);
    TMonitor* MonitorFromWindow(HWND window, TMonitorDefaultTo fallback = mdNearest);
    // The whole desktop over all monitors.
    RECT DesktopRect() const;

    int PixelsPerInch() const;
    int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
    int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
    // The desktop without the task bar.
    RECT WorkAreaRect() const;
    int WorkAreaLeft() const { return WorkAreaRect().left; }
    int WorkAreaTop() const { return WorkAreaRect().top; }
    int WorkAreaWidth() const;
    int WorkAreaHeight() const;

private:
    TMonitor* FindMonitor(HMONITOR handle);
    void ReadMonitors();

    TStringList* fonts_ = nullptr;
    std::unique_ptr<TFont> hintFont_, messageFont_, iconFont_, menuFont_;
    std::vector<std::unique_ptr<TMonitor>> monitors_;
    TCursor cursor_ = crDefault;
    std::map<TCursor, HCURSOR> cursors_;
};

extern TScreen* Screen;

} // namespace classlib
