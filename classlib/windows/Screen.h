#pragma once
// TScreen: what the program knows about the display: installed fonts, the mouse cursor,
// pixels per inch and the work area. One instance, `Screen`, exists from start-up on.
#include "core/Component.h"

#include <windows.h>

#include <map>
#include <memory>

namespace classlib {

class TStrings;
class TStringList;

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
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

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
    TStringList* fonts_ = nullptr;
    TCursor cursor_ = crDefault;
    std::map<TCursor, HCURSOR> cursors_;
};

extern TScreen* Screen;

} // namespace classlib
