#pragma once
// GUI test support: real windows on the virtual display, painting into a 32-bit DIB for
// pixel checks, pumping messages until a condition or a deadline, and screenshots.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace testsupport {

// A top-down 32-bit DIB section with its own memory device context.
class Dib {
public:
    Dib(int width, int height, uint32_t fillRgb = 0xFFFFFF);
    ~Dib();
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;

    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The pixel as 0xRRGGBB (GdiFlush first, so pending GDI output is in the bits).
    uint32_t Pixel(int x, int y) const;
    bool SaveBmp(const std::string& path) const;

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    uint32_t* bits_ = nullptr;
};

// Pumps this thread's messages through the class library's application (so synchronized calls
// run and forms get their dialog keys) until `done` returns true or `timeoutMs` passes.
// Returns whether the condition was met.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000);
// Pumps this thread's messages for `ms` milliseconds.
void PumpFor(DWORD ms);

// The first top-level window of this thread with the class name; 0 when none. Unlike
// FindWindow it never finds a window of another test process on the same display.
HWND FindThreadWindow(const char* className);

// A left click at the middle of the window's client area as the mouse gives it: a press and
// a release sent to the window. Returns when the release's handling is over.
void ClickWindow(HWND window);

// Saves the whole virtual display as "<directory of the test executable>/screenshots/<name>.bmp"
// and returns the path (empty on failure).
std::string SaveScreenshot(const std::string& name);
// "<directory of the test executable>/screenshots/<name>.bmp", the directory made when missing.
std::string ScreenshotPath(const std::string& name);

// Fixture that owns the windows a test creates and destroys them afterwards.
class GuiTest : public ::testing::Test {
public:
    using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)>;

protected:
    void TearDown() override;
    // A visible top-level window of a private class whose messages go to `handler` first;
    // when the handler returns false the default window procedure runs.
    HWND CreateTestWindow(const char* title, int clientWidth, int clientHeight,
                          Handler handler = {});

private:
    std::vector<HWND> windows_;
};

} // namespace testsupport
