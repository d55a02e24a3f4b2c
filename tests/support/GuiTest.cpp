#include "GuiTest.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

#include "windows/Application.h"

namespace testsupport {

Dib::Dib(int width, int height, uint32_t fillRgb) : width_(width), height_(height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    dc_ = CreateCompatibleDC(nullptr);
    oldBitmap_ = SelectObject(dc_, bitmap_);
    for (int i = 0; i < width * height; ++i)
        bits_[i] = fillRgb & 0xFFFFFF;
}

Dib::~Dib()
{
    SelectObject(dc_, oldBitmap_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
}

uint32_t Dib::Pixel(int x, int y) const
{
    GdiFlush();
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0xFFFFFFFF;
    return bits_[y * width_ + x] & 0xFFFFFF;
}

bool Dib::SaveBmp(const std::string& path) const
{
    GdiFlush();
    const DWORD imageSize = static_cast<DWORD>(width_) * height_ * 4;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER header{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + imageSize;
    header.biSize = sizeof(header);
    header.biWidth = width_;
    header.biHeight = -height_;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    header.biSizeImage = imageSize;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    const bool ok = std::fwrite(&file, sizeof(file), 1, out) == 1 &&
                    std::fwrite(&header, sizeof(header), 1, out) == 1 &&
                    std::fwrite(bits_, imageSize, 1, out) == 1;
    return std::fclose(out) == 0 && ok;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        // The class library's pump: synchronized calls and the forms' dialog keys too.
        classlib::Application->ProcessMessages();
        if (done())
            return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return false;
        // A queued synchronized call posts a wake-up message, so input covers it.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(10, timeoutMs - elapsed),
                                  QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

namespace {

struct ClassSearch {
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchClass(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<ClassSearch*>(data);
    char name[256] = {};
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpiA(name, search->className) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

HWND FindThreadWindow(const char* className)
{
    ClassSearch search{className, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string ScreenshotPath(const std::string& name)
{
    char exePath[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, exePath, MAX_PATH);
    std::string directory(exePath, length);
    directory.erase(directory.find_last_of("\\/") + 1);
    directory += "screenshots";
    CreateDirectoryA(directory.c_str(), nullptr);
    return directory + "\\" + name + ".bmp";
}

std::string SaveScreenshot(const std::string& name)
{
    const std::string path = ScreenshotPath(name);

    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    Dib dib(width, height);
    HDC screen = GetDC(nullptr);
    const BOOL copied = BitBlt(dib.dc(), 0, 0, width, height, screen, 0, 0, SRCCOPY);
    ReleaseDC(nullptr, screen);
    return copied && dib.SaveBmp(path) ? path : std::string();
}

namespace {

const char kTestWindowClass[] = "BrenvikTestWindow";
std::map<HWND, GuiTest::Handler*>& Handlers()
{
    static std::map<HWND, GuiTest::Handler*> handlers;
    return handlers;
}
GuiTest::Handler* pendingHandler = nullptr;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto& handlers = Handlers();
    auto found = handlers.find(window);
    if (found == handlers.end() && pendingHandler) {
        found = handlers.emplace(window, pendingHandler).first;
        pendingHandler = nullptr;
    }
    if (found != handlers.end() && *found->second) {
        LRESULT result = 0;
        if ((*found->second)(window, message, wParam, lParam, result))
            return result;
    }
    if (message == WM_NCDESTROY && found != handlers.end()) {
        delete found->second;
        handlers.erase(found);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

HWND GuiTest::CreateTestWindow(const char* title, int clientWidth, int clientHeight,
                               Handler handler)
{
    static const ATOM registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = TestWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = kTestWindowClass;
        return RegisterClassA(&windowClass);
    }();
    if (!registered)
        return nullptr;
    RECT bounds{0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&bounds, WS_OVERLAPPEDWINDOW, FALSE);
    pendingHandler = new Handler(std::move(handler));
    HWND window = CreateWindowA(kTestWindowClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                                bounds.right - bounds.left, bounds.bottom - bounds.top, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    if (pendingHandler) { // creation failed before the first message
        delete pendingHandler;
        pendingHandler = nullptr;
    }
    if (window) {
        windows_.push_back(window);
        UpdateWindow(window);
    }
    return window;
}

void GuiTest::TearDown()
{
    for (HWND window : windows_)
        if (IsWindow(window))
            DestroyWindow(window);
    windows_.clear();
}

void ClickWindow(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    const LPARAM at =
        MAKELPARAM((client.right - client.left) / 2, (client.bottom - client.top) / 2);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(window, WM_LBUTTONUP, 0, at);
}

} // namespace testsupport
