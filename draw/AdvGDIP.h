// GDI+ object wrappers over the flat API of gdiplus.dll, colour and record helpers, and GDI+
// start-up and shut-down.
//
// One class per kind of GDI+ object. Each wrapper owns its native object (released by its
// destructor) and keeps the status of its creating call and, after that, of its last failed
// call: a later successful call never clears an earlier failure. GDI+ failures are recorded,
// never raised; the drawing simply does not appear. Wrappers live for one paint call: the
// Create... functions return a new object that the caller frees before it returns.
//
// The wrappers are allocated by GDI+ (GdipAlloc); allocating one while GDI+ is not running
// starts it again.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "core/Object.h"
#include "windows/Graphics.h"

struct IStream;

namespace draw {

// ---- Values and records ---------------------------------------------------------------------

// 0xAARRGGBB.
using ARGB = uint32_t;
// A GDI+ status code: 0 Ok, 1 GenericError, 2 InvalidParameter, 3 OutOfMemory, ... 14
// FontFamilyNotFound, 15 FontStyleNotFound, ...
using GpStatusCode = int;
constexpr GpStatusCode gpOk = 0;
constexpr GpStatusCode gpInvalidParameter = 2;

struct TGPRectF {
    float X = 0, Y = 0, Width = 0, Height = 0;
};
struct TGPPoint {
    int32_t X = 0, Y = 0;
};

// Text smoothing of the styled controls: GDI text (aaNone) or GDI+ text with ClearType
// grid-fit or anti-aliased rendering.
enum TAntiAlias { aaNone, aaClearType, aaAntiAlias };
CLASSLIB_ENUM(TAntiAlias);

// A system colour resolved to RGB, then opaque ARGB (red and blue swapped into place).
ARGB ColorToGPColor(classlib::TColor color);
ARGB BuildARGB(uint8_t a, uint8_t r, uint8_t g, uint8_t b);
uint8_t AlphaOf(ARGB color);
uint8_t RedOf(ARGB color);
uint8_t GreenOf(ARGB color);
uint8_t BlueOf(ARGB color);
void BuildPoint(int32_t x, int32_t y, TGPPoint& point);
TGPRectF BuildRectF(float x, float y, float width, float height);

// Image format codes of TGPImage::GetImageRawFormat.
enum TGPImageFormat {
    gifUnknown = 0,
    gifMemoryBmp,
    gifBmp,
    gifEmf,
    gifWmf,
    gifJpeg,
    gifPng,
    gifGif,
    gifTiff,
    gifExif,
    gifIcon
};

// ---- Module start-up and shut-down ----------------------------------------------------------

// Starts GDI+ on the module's first initialization; the matching shut-down stops it when the
// initialization count returns to zero (not when this code runs inside a library, whose host
// may still use GDI+).
void GdiplusModuleInitialize();
void GdiplusModuleFinalize();

// Native GDI+ objects currently owned by wrappers (for leak checks).
int LiveNativeObjectCount();

// ---- Wrappers -------------------------------------------------------------------------------

class TGdiplusBase : public classlib::TObject {
public:
    // Instances come from GdipAlloc (GDI+ is started when it is not running) and go back
    // with GdipFree.
    static void* operator new(std::size_t size);
    static void operator delete(void* memory);

    GpStatusCode LastStatus() const { return lastStatus_; }
    // The native GDI+ object; null when the creating call failed.
    void* NativeObject() const { return native_; }

protected:
    // A new wrapper of class W holding the result of its creating call (the status always,
    // Ok included). `call` receives the address of the native object to fill.
    template <class W, class Native, class Call>
    static std::unique_ptr<W> Make(Call call);
    // Stores a later call's status when it is a failure; returns it.
    GpStatusCode Track(GpStatusCode status);
    // Hands the native object to its release call once and forgets it.
    template <class Release>
    void ReleaseNative(Release release);

private:
    void Forget();

    void* native_ = nullptr;
    GpStatusCode lastStatus_ = gpOk;
};

template <class Release>
void TGdiplusBase::ReleaseNative(Release release)
{
    // A nil native object goes to the release call as it is: GDI+ answers InvalidParameter.
    release(native_);
    Forget();
}

class TGPStringFormat : public TGdiplusBase {
public:
    ~TGPStringFormat() override;
    static std::unique_ptr<TGPStringFormat> CreateStringFormat(int32_t formatFlags,
                                                               uint16_t language);
    // 0 near, 1 center, 2 far.
    GpStatusCode SetStringFormatAlign(int alignment);
    GpStatusCode SetStringFormatLineAlign(int alignment);
    GpStatusCode SetStringFormatTrimming(int trimming);
    GpStatusCode SetStringFormatHotkeyPrefix(int hotkeyPrefix);
};

class TGPPen : public TGdiplusBase {
public:
    ~TGPPen() override;
    // Width in world units.
    static std::unique_ptr<TGPPen> CreatePen1(ARGB color, float width);
    // 2 = dotted.
    GpStatusCode SetPenDashStyle(int dashStyle);
};

class TGPBrush : public TGdiplusBase {
public:
    ~TGPBrush() override;
};

class TGPSolidBrush : public TGPBrush {
public:
    static std::unique_ptr<TGPSolidBrush> CreateSolidFill(ARGB color);
};

class TGPLinearGradientBrush : public TGPBrush {
public:
    // Mode 0 horizontal, 1 vertical, 2 forward diagonal, 3 backward diagonal; tiled.
    static std::unique_ptr<TGPLinearGradientBrush> CreateLineBrushFromRect(const TGPRectF& rect,
                                                                           ARGB color1, ARGB color2,
                                                                           int mode);
};

class TGPGraphicsPath;

class TGPPathGradientBrush : public TGPBrush {
public:
    static std::unique_ptr<TGPPathGradientBrush> CreatePathGradientFromPath(TGPGraphicsPath* path);
    GpStatusCode SetPathGradientCenterColor(ARGB color);
    // The number of points of the brush's boundary; 0 when it cannot be read.
    int GetPathGradientPointCount();
    // Sets up to `count` surround colours; more colours than the brush has points, a non-positive
    // point count or no colours set nothing and record InvalidParameter. On success `count`
    // receives the number of colours GDI+ took.
    GpStatusCode SetPathGradientSurroundColorsWithCount(const ARGB* colors, int& count);
    GpStatusCode SetPathGradientCenterPointI(TGPPoint point);
};

class TGPRegion : public TGdiplusBase {
public:
    ~TGPRegion() override;
    static std::unique_ptr<TGPRegion> CreateRegionRect(const TGPRectF& rect);
    static std::unique_ptr<TGPRegion> CreateRegionPath(TGPGraphicsPath* path);
    // Excludes the path from the region.
    GpStatusCode CombineRegionPath(TGPGraphicsPath* path);
    // Unites the region with another.
    GpStatusCode CombineRegionRegion(TGPRegion* region);
};

class TGPFontFamily : public TGdiplusBase {
public:
    ~TGPFontFamily() override;
    // Looked up among the installed fonts; status 14 when there is no such family.
    static std::unique_ptr<TGPFontFamily> CreateFontFamilyFromName(const std::wstring& name);
};

class TGPFont : public TGdiplusBase {
public:
    ~TGPFont() override;
    // Style bits 1 bold, 2 italic, 4 underline, 8 strikeout; unit 2 pixel, 3 point, ...
    static std::unique_ptr<TGPFont> CreateFromFamily(TGPFontFamily* family, float emSize, int style,
                                                     int unit);
};

class TGPGraphicsPath : public TGdiplusBase {
public:
    ~TGPGraphicsPath() override;
    // Fill mode 0 alternate, 1 winding.
    static std::unique_ptr<TGPGraphicsPath> CreatePath(int fillMode);
    GpStatusCode ClosePathFigure();
    GpStatusCode AddPathLine(float x1, float y1, float x2, float y2);
    // The arc of the ellipse in the box; angles in degrees.
    GpStatusCode AddPathArc(float x, float y, float width, float height, float startAngle,
                            float sweepAngle);
    GpStatusCode AddPathEllipse(float x, float y, float width, float height);
};

class TGPImage : public TGdiplusBase {
public:
    ~TGPImage() override;
    // From a COM stream; with colour management when `useIcm` is set.
    static std::unique_ptr<TGPImage> LoadImageFromStream(IStream* stream, bool useIcm);
    // A TGPImageFormat code; gifUnknown for an unknown format or an image that did not load.
    int GetImageRawFormat();
    // 0 when the size cannot be read.
    unsigned GetImageHeight();
    unsigned GetImageWidth();
    // 6 = rotate 180 degrees and flip horizontally (a vertical flip).
    GpStatusCode ImageRotateFlip(int rotateFlip);
};

class TGPBitmap : public TGPImage {
public:
    static std::unique_ptr<TGPBitmap> CreateBitmapFromStream(IStream* stream, bool useIcm);
    // GDI+ allocates the pixels.
    static std::unique_ptr<TGPBitmap> CreateBitmapFromScan0(int width, int height, int pixelFormat);
    GpStatusCode BitmapGetPixel(int x, int y, ARGB& color);
    GpStatusCode BitmapSetPixel(int x, int y, ARGB color);
};

class TGPGraphics : public TGdiplusBase {
public:
    ~TGPGraphics() override;
    static std::unique_ptr<TGPGraphics> CreateFromHDC(HDC dc);
    GpStatusCode SetTextRenderingHint(int hint);
    // 4 = anti-alias.
    GpStatusCode SetSmoothingMode(int mode);
    GpStatusCode DrawPath(TGPPen* pen, TGPGraphicsPath* path);
    GpStatusCode FillRectRecord(TGPBrush* brush, const TGPRectF& rect);
    GpStatusCode FillRectWithBrush(TGPBrush* brush, float x, float y, float width, float height);
    GpStatusCode StrokeRectangle(TGPPen* pen, float x, float y, float width, float height);
    // 8-bit text in the system code page; `length` in characters.
    GpStatusCode DrawAnsiString(const std::string& text, int length, TGPFont* font,
                                const TGPRectF& layout, TGPStringFormat* format, TGPBrush* brush);
    GpStatusCode DrawString(const std::wstring& text, int length, TGPFont* font,
                            const TGPRectF& layout, TGPStringFormat* format, TGPBrush* brush);
    GpStatusCode MeasureString(const std::wstring& text, int length, TGPFont* font,
                               const TGPRectF& layout, TGPStringFormat* format, TGPRectF& bounds,
                               int& codepointsFitted, int& linesFilled);
    // The image scaled to the rectangle.
    GpStatusCode DrawImageRect(TGPImage* image, int x, int y, int width, int height);
    // Combine mode 0 replace, 1 intersect, 2 union, 3 xor, 4 exclude, 5 complement.
    GpStatusCode SetClipRegion(TGPRegion* region, int combineMode);
};

} // namespace draw
