#pragma once
// The platform side of the extended-control utilities: key state, shell open, rectangle
// extents, text drawing, GUID comparison and wide-character stepping.
#include <windows.h>

#include <string>

namespace classlib {
class TCanvas;
}

namespace bcl {

bool IsKeyDown(int virtualKey);
// True when the shell opened the target (ShellExecute result above 32).
bool OpenWithShell(const std::string& target);
bool OpenWithShell(const char* target);
int RectExtentX(const RECT& rect);
int RectExtentY(const RECT& rect);
// DrawTextA on the canvas's device context; returns the text's height. `length` -1:
// zero-terminated.
int DrawTextOnCanvas(classlib::TCanvas* canvas, const char* text, int length, RECT& rect,
                     UINT flags);
bool GUIDsEqual(const GUID& a, const GUID& b);
// The next character: CharNextW on the NT family, one 16-bit unit further otherwise.
const wchar_t* NextWideChar(const wchar_t* p);

} // namespace bcl
