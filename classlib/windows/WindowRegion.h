#pragma once
// A window region (the shape outside which a window is neither drawn nor hit), owned until it
// is handed to a window. The system owns a region it was given and frees it with the window or
// with the next region, so a region must never be freed or reused after SetWindowRgn took it;
// this object frees only a region nobody took.
#include <windows.h>

namespace classlib {

class TWindowRegion {
public:
    // Takes ownership of `region` (may be null).
    explicit TWindowRegion(HRGN region = nullptr) : region_(region) {}
    ~TWindowRegion();
    TWindowRegion(TWindowRegion&& other) noexcept;
    TWindowRegion& operator=(TWindowRegion&& other) noexcept;
    TWindowRegion(const TWindowRegion&) = delete;
    TWindowRegion& operator=(const TWindowRegion&) = delete;

    // A rectangle with rounded corners (corner ellipses `ellipseWidth` x `ellipseHeight`).
    static TWindowRegion RoundRect(const RECT& rect, int ellipseWidth, int ellipseHeight);

    HRGN Handle() const { return region_; }
    // Hands the region to the window, which owns it from then on (this object is empty
    // afterwards); false, keeping the region, when there is none or the system refuses.
    bool ApplyTo(HWND window, bool redraw);
    // Gives the window its plain rectangle back (the system frees the region it held).
    static void RemoveFrom(HWND window, bool redraw);

private:
    HRGN region_;
};

} // namespace classlib
