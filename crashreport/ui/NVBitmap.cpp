#include "NVBitmap.h"

#include "BitmapPixels.h"
#include "ScreenshotPng.h"

#include "core/TypeInfo.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

namespace crashui {

namespace {

class TINVBitmap : public classlib::TInterfacedObject, public INVBitmap {
    CLASSLIB_CLASS(TINVBitmap, TInterfacedObject)
    ~TINVBitmap() override
    {
        if (dc_) {
            SelectObject(dc_, previous_);
            DeleteDC(dc_);
        }
        if (bitmap_)
            DeleteObject(bitmap_);
    }
    CLASSLIB_IINTERFACE_OF(TInterfacedObject)
    bool GetInterface(const classlib::TGUID& iid, void** obj) override
    {
        return classlib::GetInterfaceOf<INVBitmap>(this, iid, obj) ||
               TInterfacedObject::GetInterface(iid, obj);
    }

    // A W x H bitmap object, or nil when its context or DIB section cannot be made.
    static classlib::TInterfacePtr<TINVBitmap> Make(int width, int height);

    HDC DC() const { return dc_; }
    uint8_t* Pixels() const { return pixels_; }

    int Width() override { return header_.biWidth; }
    int Height() override { return header_.biHeight; }
    bool PaintTo(HDC dc, int x, int y) override
    {
        return BitBlt(dc, x, y, Width(), Height(), dc_, 0, 0, SRCCOPY) != FALSE;
    }
    std::string BmpBytes() override { return BmpFileBytes(Width(), Height(), pixels_); }
    std::string PngBytes(uint8_t format) override
    {
        return ScreenshotPngBytes(pixels_, static_cast<uint32_t>(Width()),
                                  static_cast<uint32_t>(Height()), format);
    }
    bool WriteBmpFile(const std::string& fileName) override
    {
        return WriteNewFile(fileName, BmpBytes());
    }
    bool WritePngFile(const std::string& fileName, uint8_t format) override
    {
        const std::string bytes = PngBytes(format);
        return !bytes.empty() && WriteNewFile(fileName, bytes);
    }
    TNVBitmapPtr FitInto(int width, int height) override;

private:
    static bool WriteNewFile(const std::string& fileName, const std::string& bytes);

    BITMAPINFOHEADER header_{};
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    HDC dc_ = nullptr;
    uint8_t* pixels_ = nullptr;
};

CLASSLIB_PUBLISH(TINVBitmap) {}

classlib::TInterfacePtr<TINVBitmap> TINVBitmap::Make(int width, int height)
{
    if (width <= 0 || height <= 0 || width > INT_MAX / 4 / height)
        return {};
    classlib::TInterfacePtr<TINVBitmap> b(new TINVBitmap);
    BITMAPINFOHEADER& h = b->header_;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height; // positive: rows bottom-up
    h.biPlanes = 1;
    h.biBitCount = 32;
    h.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    b->dc_ = CreateCompatibleDC(nullptr);
    if (!b->dc_)
        return {};
    void* bits = nullptr;
    b->bitmap_ = CreateDIBSection(b->dc_, reinterpret_cast<BITMAPINFO*>(&h), DIB_RGB_COLORS, &bits,
                                  nullptr, 0);
    if (!b->bitmap_ || !bits)
        return {}; // the destructor deletes the context (and a section without bits)
    b->pixels_ = static_cast<uint8_t*>(bits);
    b->previous_ = SelectObject(b->dc_, b->bitmap_);
    return b;
}

bool TINVBitmap::WriteNewFile(const std::string& fileName, const std::string& bytes)
{
    HANDLE file = CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    CloseHandle(file);
    if (!ok)
        DeleteFileA(fileName.c_str());
    return ok;
}

TNVBitmapPtr TINVBitmap::FitInto(int width, int height)
{
    const TSize size = FitBox({Width(), Height()}, {width, height});
    auto fitted = Make(size.width, size.height);
    if (!fitted)
        return {};
    ResampleMitchell(pixels_, {Width(), Height()}, fitted->pixels_, size);
    return TNVBitmapPtr(fitted.Get());
}

// ---- Capture ----------------------------------------------------------------------------------

// Whether a top-level window counts for the application filter: visible, not minimised, with
// a positive width or height.
bool Shows(HWND window, RECT& rect)
{
    if (!IsWindowVisible(window) || IsIconic(window) || !GetWindowRect(window, &rect))
        return false;
    return rect.right > rect.left || rect.bottom > rect.top;
}

bool OfThisProcess(HWND window)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

BOOL CALLBACK CollectShowingWindow(HWND window, LPARAM list)
{
    RECT r;
    if (OfThisProcess(window) && Shows(window, r))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> ShowingWindowsOfThisProcess()
{
    std::vector<HWND> windows;
    EnumWindows(CollectShowingWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// The visible parts of the windows, relative to (x0, y0): each window's rectangle less every
// showing window above it; nil when nothing is left.
HRGN VisibleRegion(const std::vector<HWND>& windows, int x0, int y0)
{
    HRGN all = nullptr;
    for (HWND window : windows) {
        RECT r;
        GetWindowRect(window, &r);
        HRGN region = CreateRectRgn(r.left - x0, r.top - y0, r.right - x0, r.bottom - y0);
        for (HWND above = GetWindow(window, GW_HWNDPREV); above;
             above = GetWindow(above, GW_HWNDPREV)) {
            RECT a;
            if (!Shows(above, a))
                continue;
            HRGN cover = CreateRectRgn(a.left - x0, a.top - y0, a.right - x0, a.bottom - y0);
            CombineRgn(region, region, cover, RGN_DIFF);
            DeleteObject(cover);
        }
        if (!all) {
            all = region;
        } else {
            CombineRgn(all, all, region, RGN_OR);
            DeleteObject(region);
        }
    }
    RECT box;
    if (all && GetRgnBox(all, &box) == NULLREGION) {
        DeleteObject(all);
        all = nullptr;
    }
    return all;
}

// The cursor drawn at its position relative to the capture origin.
void DrawCursor(HDC dc, int x0, int y0)
{
    HCURSOR cursor = nullptr;
    POINT position{};
    bool showing = false;
    using TGetCursorInfo = BOOL(WINAPI*)(PCURSORINFO);
    auto getCursorInfo = reinterpret_cast<TGetCursorInfo>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetCursorInfo")));
    CURSORINFO info{};
    info.cbSize = sizeof info;
    if (getCursorInfo && getCursorInfo(&info)) {
        cursor = info.hCursor;
        showing = (info.flags & CURSOR_SHOWING) != 0;
        position = info.ptScreenPos;
    } else if (GetCursorPos(&position)) {
        // The cursor belongs to the thread of the window under the pointer.
        if (HWND window = WindowFromPoint(position)) {
            const DWORD self = GetCurrentThreadId(),
                        owner = GetWindowThreadProcessId(window, nullptr);
            AttachThreadInput(self, owner, TRUE);
            cursor = GetCursor();
            AttachThreadInput(self, owner, FALSE);
            showing = true;
        }
    }
    if (!cursor || !showing)
        return;
    ICONINFO icon{};
    if (GetIconInfo(cursor, &icon)) {
        if (icon.hbmMask)
            DeleteObject(icon.hbmMask);
        if (icon.hbmColor)
            DeleteObject(icon.hbmColor);
        position.x -= static_cast<LONG>(icon.xHotspot);
        position.y -= static_cast<LONG>(icon.yHotspot);
    }
    DrawIconEx(dc, position.x - x0, position.y - y0, cursor, 0, 0, 0, nullptr, DI_NORMAL);
}

TNVBitmapPtr CaptureCore(HDC source, int x0, int y0, int width, int height,
                         bool thisApplicationOnly, bool drawCursor)
{
    HRGN region = nullptr;
    if (thisApplicationOnly) {
        const std::vector<HWND> windows = ShowingWindowsOfThisProcess();
        if (windows.empty())
            return {};
        LONG left = LONG_MAX, top = LONG_MAX, right = LONG_MIN, bottom = LONG_MIN;
        for (HWND window : windows) {
            RECT r;
            GetWindowRect(window, &r);
            left = std::min(left, r.left - x0);
            top = std::min(top, r.top - y0);
            right = std::max(right, r.right - x0);
            bottom = std::max(bottom, r.bottom - y0);
        }
        left = std::max<LONG>(left, 0);
        top = std::max<LONG>(top, 0);
        right = std::min<LONG>(right, width);
        bottom = std::min<LONG>(bottom, height);
        if (right <= left || bottom <= top)
            return {}; // every window lies off the screen
        x0 += left;
        y0 += top;
        width = right - left;
        height = bottom - top;
        region = VisibleRegion(windows, x0, y0);
        if (!region)
            return {};
    }
    auto bitmap = TINVBitmap::Make(width, height);
    if (!bitmap) {
        if (region)
            DeleteObject(region);
        return {};
    }
    if (region) {
        RECT all{0, 0, width, height};
        FillRect(bitmap->DC(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SelectClipRgn(bitmap->DC(), region);
    }
    const bool copied = BitBlt(bitmap->DC(), 0, 0, width, height, source, x0, y0, SRCCOPY) != FALSE;
    if (region) {
        SelectClipRgn(bitmap->DC(), nullptr);
        DeleteObject(region);
    }
    if (!copied)
        return {};
    if (drawCursor)
        DrawCursor(bitmap->DC(), x0, y0);
    return TNVBitmapPtr(bitmap.Get());
}

} // namespace

TNVBitmapPtr CaptureScreen(bool thisApplicationOnly)
{
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!display)
        return {};
    int x0 = 0, y0 = 0, width, height;
    if (GetSystemMetrics(SM_CMONITORS) > 0) {
        x0 = GetSystemMetrics(SM_XVIRTUALSCREEN);
        y0 = GetSystemMetrics(SM_YVIRTUALSCREEN);
        width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
        height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    } else {
        width = GetDeviceCaps(display, HORZRES);
        height = GetDeviceCaps(display, VERTRES);
    }
    TNVBitmapPtr result = CaptureCore(display, x0, y0, width, height, thisApplicationOnly, true);
    DeleteDC(display);
    return result;
}

TNVBitmapPtr BitmapFromFile(const std::string& fileName)
{
    HBITMAP loaded = static_cast<HBITMAP>(LoadImageA(nullptr, fileName.c_str(), IMAGE_BITMAP, 0, 0,
                                                     LR_CREATEDIBSECTION | LR_LOADFROMFILE));
    if (!loaded)
        return {};
    TNVBitmapPtr result;
    BITMAP info{};
    if (GetObjectA(loaded, sizeof info, &info) == sizeof info) {
        if (HDC dc = CreateCompatibleDC(nullptr)) {
            HGDIOBJ previous = SelectObject(dc, loaded);
            result = CaptureCore(dc, 0, 0, info.bmWidth, std::abs(info.bmHeight), false, false);
            SelectObject(dc, previous);
            DeleteDC(dc);
        }
    }
    DeleteObject(loaded);
    return result;
}

qor::ReportScreenshot ShareScreenshot(TNVBitmapPtr bitmap)
{
    if (!bitmap)
        return nullptr;
    return std::make_shared<TNVBitmapPtr>(std::move(bitmap));
}

TNVBitmapPtr ScreenshotBitmap(const qor::ReportScreenshot& screenshot)
{
    return screenshot ? *static_cast<const TNVBitmapPtr*>(screenshot.get()) : nullptr;
}

} // namespace crashui
