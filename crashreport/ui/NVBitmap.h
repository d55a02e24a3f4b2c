#pragma once
// The crash-report bitmap object: a 32-bit bottom-up DIB section held by a reference-counted
// object behind `INVBitmap`, made by capturing the screen, loading a .bmp file or fitting
// another bitmap into a box; it paints itself and gives .bmp or .png bytes and files. Works on
// GDI directly, without the form library.
#include "core/Object.h"

#include <windows.h>

#include "QorInterfaces.h"

#include <cstdint>
#include <string>

namespace crashui {

class INVBitmap : public classlib::IInterface {
public:
    static constexpr classlib::TGUID IID =
        classlib::TGUID::FromText("{3EE757B5-CC56-4610-A917-E8731737D5BE}");
    virtual int Width() = 0;
    virtual int Height() = 0;
    // BitBlt of the whole bitmap to (x, y) of `dc`.
    virtual bool PaintTo(HDC dc, int x, int y) = 0;
    // A complete .bmp file: 54 header bytes and the pixels as stored.
    virtual std::string BmpBytes() = 0;
    // A PNG file image in the form `format` chooses (ScreenshotPng.h); a gray image turns the
    // object's own pixels gray. Empty when nothing could be made.
    virtual std::string PngBytes(uint8_t format) = 0;
    // Write the bytes to a new file (ANSI name); false, with no file left behind, on failure.
    virtual bool WriteBmpFile(const std::string& fileName) = 0;
    virtual bool WritePngFile(const std::string& fileName, uint8_t format) = 0;
    // A new bitmap scaled into the box, keeping the aspect ratio; nil when it cannot be made.
    virtual classlib::TInterfacePtr<INVBitmap> FitInto(int width, int height) = 0;

protected:
    ~INVBitmap() = default;
};

using TNVBitmapPtr = classlib::TInterfacePtr<INVBitmap>;

// A screenshot of the virtual screen with the mouse cursor drawn in; with `thisApplicationOnly`
// only the visible parts of this process's top-level windows (the rest white), cut to their
// bounding box. Nil when nothing could be captured.
TNVBitmapPtr CaptureScreen(bool thisApplicationOnly);
// The engine keeps an exception's screenshot as an opaque shared pointer: the dialogs' library
// stores a counted bitmap reference in it and reads it back (nil for an empty pointer).
qor::ReportScreenshot ShareScreenshot(TNVBitmapPtr bitmap);
TNVBitmapPtr ScreenshotBitmap(const qor::ReportScreenshot& screenshot);

// A .bmp file of any colour depth the platform loads, as 32 bits per pixel; nil on failure.
TNVBitmapPtr BitmapFromFile(const std::string& fileName);

} // namespace crashui
