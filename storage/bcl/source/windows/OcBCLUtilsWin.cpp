#include "OcBCLUtilsWin.h"

#include "windows/Graphics.h"

#include "BcSysInfoWin.h"

#include <shellapi.h>

#include <cstdlib>

namespace bcl {

namespace {

const wchar_t* StepOneUnit(const wchar_t* p)
{
    return p + 1;
}

using NextWideCharFn = const wchar_t* (*)(const wchar_t*);

NextWideCharFn ChooseNextWideChar()
{
    if (SystemInfo().PlatformIsNT)
        return [](const wchar_t* p) -> const wchar_t* { return CharNextW(p); };
    return StepOneUnit;
}

} // namespace

bool IsKeyDown(int virtualKey)
{
    return GetKeyState(virtualKey) < 0;
}

bool OpenWithShell(const char* target)
{
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

bool OpenWithShell(const std::string& target)
{
    return OpenWithShell(target.c_str());
}

int RectExtentX(const RECT& rect)
{
    return std::abs(rect.right - rect.left);
}

int RectExtentY(const RECT& rect)
{
    return std::abs(rect.bottom - rect.top);
}

int DrawTextOnCanvas(classlib::TCanvas* canvas, const char* text, int length, RECT& rect,
                     UINT flags)
{
    return DrawTextA(canvas->Handle(), text, length, &rect, flags);
}

bool GUIDsEqual(const GUID& a, const GUID& b)
{
    return IsEqualGUID(a, b);
}

const wchar_t* NextWideChar(const wchar_t* p)
{
    static const NextWideCharFn next = ChooseNextWideChar();
    return next(p);
}

} // namespace bcl
