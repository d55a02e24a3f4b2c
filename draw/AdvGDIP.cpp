#include "AdvGDIP.h"

#include <objidl.h>
#include <gdiplus.h>

#include <atomic>
#include <iterator>
#include <new>
#include <vector>

#include "core/TypeInfo.h"

namespace draw {

CLASSLIB_DEFINE_ENUM(TAntiAlias, "aaNone", "aaClearType", "aaAntiAlias")

namespace gp = Gdiplus::DllExports;
using Gdiplus::GpStatus;

namespace {

// ---- Module state ---------------------------------------------------------------------------

ULONG_PTR Token = 0;
Gdiplus::GdiplusStartupInput StartupInput;
Gdiplus::GdiplusStartupOutput StartupOutput;
int InitCount = 0;
bool Running = false;
std::atomic<int> LiveObjects{0};

void StartGdiplus()
{
    // The background thread is not suppressed: suppressing it obliges the program to call the
    // notification hook returned in the output record on its message thread (and the unhook
    // before shut-down), and without those calls GDI+ never runs its background work.
    StartupInput.GdiplusVersion = 1;
    StartupInput.DebugEventCallback = nullptr;
    StartupInput.SuppressBackgroundThread = FALSE;
    StartupInput.SuppressExternalCodecs = FALSE;
    StartupOutput = {};
    // A failed start-up is made up for by the allocation retry.
    Running = Gdiplus::GdiplusStartup(&Token, &StartupInput, &StartupOutput) == Gdiplus::Ok;
}

// True when this code is part of a library loaded by another program rather than of the
// program itself.
bool RunsInsideLibrary()
{
    HMODULE own = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&RunsInsideLibrary), &own);
    return own != nullptr && own != GetModuleHandleA(nullptr);
}

GpStatusCode Code(GpStatus status)
{
    return static_cast<GpStatusCode>(status);
}

template <class Native>
Native* NativeOf(const TGdiplusBase* wrapper)
{
    return wrapper ? static_cast<Native*>(wrapper->NativeObject()) : nullptr;
}

// The published GDI+ image-format identifiers differ only in their first 32 bits
// (b96b3cXX-0728-11d3-9d7b-0000f81ef32e); listed in the order of the format codes.
constexpr uint32_t FormatIdFirstWords[] = {
    0xB96B3CAA, // memory bitmap
    0xB96B3CAB, // BMP
    0xB96B3CAC, // EMF
    0xB96B3CAD, // WMF
    0xB96B3CAE, // JPEG
    0xB96B3CAF, // PNG
    0xB96B3CB0, // GIF
    0xB96B3CB1, // TIFF
    0xB96B3CB2, // EXIF
    0xB96B3CB5, // icon
};
constexpr GUID FormatIdTail = {0, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

int FormatCode(const GUID& id)
{
    if (id.Data2 != FormatIdTail.Data2 || id.Data3 != FormatIdTail.Data3 ||
        memcmp(id.Data4, FormatIdTail.Data4, sizeof id.Data4) != 0)
        return gifUnknown;
    for (std::size_t i = 0; i < std::size(FormatIdFirstWords); ++i)
        if (id.Data1 == FormatIdFirstWords[i])
            return static_cast<int>(i) + gifMemoryBmp;
    return gifUnknown;
}

Gdiplus::RectF ToRectF(const TGPRectF& r)
{
    return Gdiplus::RectF(r.X, r.Y, r.Width, r.Height);
}

} // namespace

// ---- Helpers --------------------------------------------------------------------------------

ARGB ColorToGPColor(classlib::TColor color)
{
    const classlib::TColor rgb = classlib::ColorToRGB(color);
    return BuildARGB(0xFF, GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

ARGB BuildARGB(uint8_t a, uint8_t r, uint8_t g, uint8_t b)
{
    return (ARGB{a} << 24) | (ARGB{r} << 16) | (ARGB{g} << 8) | ARGB{b};
}

uint8_t AlphaOf(ARGB color)
{
    return static_cast<uint8_t>(color >> 24);
}
uint8_t RedOf(ARGB color)
{
    return static_cast<uint8_t>(color >> 16);
}
uint8_t GreenOf(ARGB color)
{
    return static_cast<uint8_t>(color >> 8);
}
uint8_t BlueOf(ARGB color)
{
    return static_cast<uint8_t>(color);
}

void BuildPoint(int32_t x, int32_t y, TGPPoint& point)
{
    point.X = x;
    point.Y = y;
}

TGPRectF BuildRectF(float x, float y, float width, float height)
{
    return TGPRectF{x, y, width, height};
}

// ---- Start-up and shut-down -----------------------------------------------------------------

void GdiplusModuleInitialize()
{
    // A wrapper made before the module started may have started GDI+ already.
    if (InitCount++ == 0 && !Running)
        StartGdiplus();
}

void GdiplusModuleFinalize()
{
    if (InitCount == 0 || --InitCount != 0)
        return;
    if (!RunsInsideLibrary()) {
        Gdiplus::GdiplusShutdown(Token);
        Running = false;
    }
}

int LiveNativeObjectCount()
{
    return LiveObjects.load();
}

// ---- TGdiplusBase ---------------------------------------------------------------------------

void* TGdiplusBase::operator new(std::size_t size)
{
    // Some GDI+ implementations (Wine's) still allocate after a shut-down: a wrapper made then
    // starts GDI+ again all the same.
    if (!Running)
        StartGdiplus();
    void* memory = gp::GdipAlloc(size);
    if (!memory) {
        // GDI+ is not running (never started, or shut down): start it and ask once more.
        StartGdiplus();
        memory = gp::GdipAlloc(size);
    }
    if (!memory)
        throw std::bad_alloc();
    return memory;
}

void TGdiplusBase::operator delete(void* memory)
{
    gp::GdipFree(memory);
}

template <class W, class Native, class Call>
std::unique_ptr<W> TGdiplusBase::Make(Call call)
{
    std::unique_ptr<W> wrapper(new W);
    Native* native = nullptr;
    TGdiplusBase& base = *wrapper;
    base.lastStatus_ = Code(call(&native));
    base.native_ = native;
    if (native)
        ++LiveObjects;
    return wrapper;
}

GpStatusCode TGdiplusBase::Track(GpStatusCode status)
{
    if (status != gpOk)
        lastStatus_ = status;
    return status;
}

void TGdiplusBase::Forget()
{
    if (native_)
        --LiveObjects;
    native_ = nullptr;
}

// ---- String format --------------------------------------------------------------------------

TGPStringFormat::~TGPStringFormat()
{
    ReleaseNative(
        [](void* n) { gp::GdipDeleteStringFormat(static_cast<Gdiplus::GpStringFormat*>(n)); });
}

std::unique_ptr<TGPStringFormat> TGPStringFormat::CreateStringFormat(int32_t formatFlags,
                                                                     uint16_t language)
{
    return Make<TGPStringFormat, Gdiplus::GpStringFormat>([&](Gdiplus::GpStringFormat** n) {
        return gp::GdipCreateStringFormat(formatFlags, language, n);
    });
}

GpStatusCode TGPStringFormat::SetStringFormatAlign(int alignment)
{
    return Track(
        Code(gp::GdipSetStringFormatAlign(NativeOf<Gdiplus::GpStringFormat>(this),
                                          static_cast<Gdiplus::StringAlignment>(alignment))));
}

GpStatusCode TGPStringFormat::SetStringFormatLineAlign(int alignment)
{
    return Track(
        Code(gp::GdipSetStringFormatLineAlign(NativeOf<Gdiplus::GpStringFormat>(this),
                                              static_cast<Gdiplus::StringAlignment>(alignment))));
}

GpStatusCode TGPStringFormat::SetStringFormatTrimming(int trimming)
{
    return Track(Code(gp::GdipSetStringFormatTrimming(
        NativeOf<Gdiplus::GpStringFormat>(this), static_cast<Gdiplus::StringTrimming>(trimming))));
}

GpStatusCode TGPStringFormat::SetStringFormatHotkeyPrefix(int hotkeyPrefix)
{
    return Track(Code(gp::GdipSetStringFormatHotkeyPrefix(NativeOf<Gdiplus::GpStringFormat>(this),
                                                          hotkeyPrefix)));
}

// ---- Pen ------------------------------------------------------------------------------------

TGPPen::~TGPPen()
{
    ReleaseNative([](void* n) { gp::GdipDeletePen(static_cast<Gdiplus::GpPen*>(n)); });
}

std::unique_ptr<TGPPen> TGPPen::CreatePen1(ARGB color, float width)
{
    return Make<TGPPen, Gdiplus::GpPen>([&](Gdiplus::GpPen** n) {
        return gp::GdipCreatePen1(color, width, Gdiplus::UnitWorld, n);
    });
}

GpStatusCode TGPPen::SetPenDashStyle(int dashStyle)
{
    return Track(Code(gp::GdipSetPenDashStyle(NativeOf<Gdiplus::GpPen>(this),
                                              static_cast<Gdiplus::GpDashStyle>(dashStyle))));
}

// ---- Brushes --------------------------------------------------------------------------------

TGPBrush::~TGPBrush()
{
    ReleaseNative([](void* n) { gp::GdipDeleteBrush(static_cast<Gdiplus::GpBrush*>(n)); });
}

std::unique_ptr<TGPSolidBrush> TGPSolidBrush::CreateSolidFill(ARGB color)
{
    return Make<TGPSolidBrush, Gdiplus::GpSolidFill>(
        [&](Gdiplus::GpSolidFill** n) { return gp::GdipCreateSolidFill(color, n); });
}

std::unique_ptr<TGPLinearGradientBrush> TGPLinearGradientBrush::CreateLineBrushFromRect(
    const TGPRectF& rect, ARGB color1, ARGB color2, int mode)
{
    const Gdiplus::RectF r = ToRectF(rect);
    return Make<TGPLinearGradientBrush, Gdiplus::GpLineGradient>([&](Gdiplus::GpLineGradient** n) {
        return gp::GdipCreateLineBrushFromRect(&r, color1, color2,
                                               static_cast<Gdiplus::LinearGradientMode>(mode),
                                               Gdiplus::WrapModeTile, n);
    });
}

std::unique_ptr<TGPPathGradientBrush> TGPPathGradientBrush::CreatePathGradientFromPath(
    TGPGraphicsPath* path)
{
    return Make<TGPPathGradientBrush, Gdiplus::GpPathGradient>([&](Gdiplus::GpPathGradient** n) {
        return gp::GdipCreatePathGradientFromPath(NativeOf<Gdiplus::GpPath>(path), n);
    });
}

GpStatusCode TGPPathGradientBrush::SetPathGradientCenterColor(ARGB color)
{
    Track(Code(gp::GdipSetPathGradientCenterColor(NativeOf<Gdiplus::GpPathGradient>(this), color)));
    return LastStatus();
}

int TGPPathGradientBrush::GetPathGradientPointCount()
{
    INT count = 0;
    Track(Code(gp::GdipGetPathGradientPointCount(NativeOf<Gdiplus::GpPathGradient>(this), &count)));
    return count;
}

GpStatusCode TGPPathGradientBrush::SetPathGradientSurroundColorsWithCount(const ARGB* colors,
                                                                          int& count)
{
    const int points = GetPathGradientPointCount();
    if (!colors || count > points || points <= 0)
        return Track(gpInvalidParameter);
    const std::vector<Gdiplus::ARGB> surround(colors, colors + count);
    INT taken = count;
    const GpStatusCode status = Track(Code(gp::GdipSetPathGradientSurroundColorsWithCount(
        NativeOf<Gdiplus::GpPathGradient>(this), surround.data(), &taken)));
    if (status == gpOk)
        count = taken;
    return status;
}

GpStatusCode TGPPathGradientBrush::SetPathGradientCenterPointI(TGPPoint point)
{
    const Gdiplus::GpPoint p(point.X, point.Y);
    return Track(
        Code(gp::GdipSetPathGradientCenterPointI(NativeOf<Gdiplus::GpPathGradient>(this), &p)));
}

// ---- Region ---------------------------------------------------------------------------------

TGPRegion::~TGPRegion()
{
    ReleaseNative([](void* n) { gp::GdipDeleteRegion(static_cast<Gdiplus::GpRegion*>(n)); });
}

std::unique_ptr<TGPRegion> TGPRegion::CreateRegionRect(const TGPRectF& rect)
{
    const Gdiplus::RectF r = ToRectF(rect);
    return Make<TGPRegion, Gdiplus::GpRegion>(
        [&](Gdiplus::GpRegion** n) { return gp::GdipCreateRegionRect(&r, n); });
}

std::unique_ptr<TGPRegion> TGPRegion::CreateRegionPath(TGPGraphicsPath* path)
{
    return Make<TGPRegion, Gdiplus::GpRegion>([&](Gdiplus::GpRegion** n) {
        return gp::GdipCreateRegionPath(NativeOf<Gdiplus::GpPath>(path), n);
    });
}

GpStatusCode TGPRegion::CombineRegionPath(TGPGraphicsPath* path)
{
    return Track(Code(gp::GdipCombineRegionPath(NativeOf<Gdiplus::GpRegion>(this),
                                                NativeOf<Gdiplus::GpPath>(path),
                                                Gdiplus::CombineModeExclude)));
}

GpStatusCode TGPRegion::CombineRegionRegion(TGPRegion* region)
{
    return Track(Code(gp::GdipCombineRegionRegion(NativeOf<Gdiplus::GpRegion>(this),
                                                  NativeOf<Gdiplus::GpRegion>(region),
                                                  Gdiplus::CombineModeUnion)));
}

// ---- Fonts ----------------------------------------------------------------------------------

TGPFontFamily::~TGPFontFamily()
{
    ReleaseNative(
        [](void* n) { gp::GdipDeleteFontFamily(static_cast<Gdiplus::GpFontFamily*>(n)); });
}

std::unique_ptr<TGPFontFamily> TGPFontFamily::CreateFontFamilyFromName(const std::wstring& name)
{
    return Make<TGPFontFamily, Gdiplus::GpFontFamily>([&](Gdiplus::GpFontFamily** n) {
        return gp::GdipCreateFontFamilyFromName(name.c_str(), nullptr, n);
    });
}

TGPFont::~TGPFont()
{
    ReleaseNative([](void* n) { gp::GdipDeleteFont(static_cast<Gdiplus::GpFont*>(n)); });
}

std::unique_ptr<TGPFont> TGPFont::CreateFromFamily(TGPFontFamily* family, float emSize, int style,
                                                   int unit)
{
    return Make<TGPFont, Gdiplus::GpFont>([&](Gdiplus::GpFont** n) {
        return gp::GdipCreateFont(NativeOf<Gdiplus::GpFontFamily>(family), emSize, style,
                                  static_cast<Gdiplus::Unit>(unit), n);
    });
}

// ---- Path -----------------------------------------------------------------------------------

TGPGraphicsPath::~TGPGraphicsPath()
{
    ReleaseNative([](void* n) { gp::GdipDeletePath(static_cast<Gdiplus::GpPath*>(n)); });
}

std::unique_ptr<TGPGraphicsPath> TGPGraphicsPath::CreatePath(int fillMode)
{
    return Make<TGPGraphicsPath, Gdiplus::GpPath>([&](Gdiplus::GpPath** n) {
        return gp::GdipCreatePath(static_cast<Gdiplus::GpFillMode>(fillMode), n);
    });
}

GpStatusCode TGPGraphicsPath::ClosePathFigure()
{
    return Track(Code(gp::GdipClosePathFigure(NativeOf<Gdiplus::GpPath>(this))));
}

GpStatusCode TGPGraphicsPath::AddPathLine(float x1, float y1, float x2, float y2)
{
    return Track(Code(gp::GdipAddPathLine(NativeOf<Gdiplus::GpPath>(this), x1, y1, x2, y2)));
}

GpStatusCode TGPGraphicsPath::AddPathArc(float x, float y, float width, float height,
                                         float startAngle, float sweepAngle)
{
    return Track(Code(gp::GdipAddPathArc(NativeOf<Gdiplus::GpPath>(this), x, y, width, height,
                                         startAngle, sweepAngle)));
}

GpStatusCode TGPGraphicsPath::AddPathEllipse(float x, float y, float width, float height)
{
    return Track(
        Code(gp::GdipAddPathEllipse(NativeOf<Gdiplus::GpPath>(this), x, y, width, height)));
}

// ---- Images ---------------------------------------------------------------------------------

TGPImage::~TGPImage()
{
    ReleaseNative([](void* n) { gp::GdipDisposeImage(static_cast<Gdiplus::GpImage*>(n)); });
}

std::unique_ptr<TGPImage> TGPImage::LoadImageFromStream(IStream* stream, bool useIcm)
{
    return Make<TGPImage, Gdiplus::GpImage>([&](Gdiplus::GpImage** n) {
        return useIcm ? gp::GdipLoadImageFromStreamICM(stream, n)
                      : gp::GdipLoadImageFromStream(stream, n);
    });
}

int TGPImage::GetImageRawFormat()
{
    GUID id{};
    if (Track(Code(gp::GdipGetImageRawFormat(NativeOf<Gdiplus::GpImage>(this), &id))) != gpOk)
        return gifUnknown;
    return FormatCode(id);
}

unsigned TGPImage::GetImageHeight()
{
    UINT height = 0;
    if (Track(Code(gp::GdipGetImageHeight(NativeOf<Gdiplus::GpImage>(this), &height))) != gpOk)
        return 0;
    return height;
}

unsigned TGPImage::GetImageWidth()
{
    UINT width = 0;
    if (Track(Code(gp::GdipGetImageWidth(NativeOf<Gdiplus::GpImage>(this), &width))) != gpOk)
        return 0;
    return width;
}

GpStatusCode TGPImage::ImageRotateFlip(int rotateFlip)
{
    return Track(Code(gp::GdipImageRotateFlip(NativeOf<Gdiplus::GpImage>(this),
                                              static_cast<Gdiplus::RotateFlipType>(rotateFlip))));
}

std::unique_ptr<TGPBitmap> TGPBitmap::CreateBitmapFromStream(IStream* stream, bool useIcm)
{
    return Make<TGPBitmap, Gdiplus::GpBitmap>([&](Gdiplus::GpBitmap** n) {
        return useIcm ? gp::GdipCreateBitmapFromStreamICM(stream, n)
                      : gp::GdipCreateBitmapFromStream(stream, n);
    });
}

std::unique_ptr<TGPBitmap> TGPBitmap::CreateBitmapFromScan0(int width, int height, int pixelFormat)
{
    return Make<TGPBitmap, Gdiplus::GpBitmap>([&](Gdiplus::GpBitmap** n) {
        return gp::GdipCreateBitmapFromScan0(width, height, 0, pixelFormat, nullptr, n);
    });
}

GpStatusCode TGPBitmap::BitmapGetPixel(int x, int y, ARGB& color)
{
    Gdiplus::ARGB value = 0;
    const GpStatusCode status =
        Track(Code(gp::GdipBitmapGetPixel(NativeOf<Gdiplus::GpBitmap>(this), x, y, &value)));
    color = value;
    return status;
}

GpStatusCode TGPBitmap::BitmapSetPixel(int x, int y, ARGB color)
{
    return Track(Code(gp::GdipBitmapSetPixel(NativeOf<Gdiplus::GpBitmap>(this), x, y, color)));
}

// ---- Graphics -------------------------------------------------------------------------------

TGPGraphics::~TGPGraphics()
{
    ReleaseNative([](void* n) { gp::GdipDeleteGraphics(static_cast<Gdiplus::GpGraphics*>(n)); });
}

std::unique_ptr<TGPGraphics> TGPGraphics::CreateFromHDC(HDC dc)
{
    return Make<TGPGraphics, Gdiplus::GpGraphics>(
        [&](Gdiplus::GpGraphics** n) { return gp::GdipCreateFromHDC(dc, n); });
}

GpStatusCode TGPGraphics::SetTextRenderingHint(int hint)
{
    return Track(Code(gp::GdipSetTextRenderingHint(NativeOf<Gdiplus::GpGraphics>(this),
                                                   static_cast<Gdiplus::TextRenderingHint>(hint))));
}

GpStatusCode TGPGraphics::SetSmoothingMode(int mode)
{
    return Track(Code(gp::GdipSetSmoothingMode(NativeOf<Gdiplus::GpGraphics>(this),
                                               static_cast<Gdiplus::SmoothingMode>(mode))));
}

GpStatusCode TGPGraphics::DrawPath(TGPPen* pen, TGPGraphicsPath* path)
{
    return Track(
        Code(gp::GdipDrawPath(NativeOf<Gdiplus::GpGraphics>(this), NativeOf<Gdiplus::GpPen>(pen),
                              NativeOf<Gdiplus::GpPath>(path))));
}

GpStatusCode TGPGraphics::FillRectRecord(TGPBrush* brush, const TGPRectF& rect)
{
    return FillRectWithBrush(brush, rect.X, rect.Y, rect.Width, rect.Height);
}

GpStatusCode TGPGraphics::FillRectWithBrush(TGPBrush* brush, float x, float y, float width,
                                            float height)
{
    return Track(
        Code(gp::GdipFillRectangle(NativeOf<Gdiplus::GpGraphics>(this),
                                   NativeOf<Gdiplus::GpBrush>(brush), x, y, width, height)));
}

GpStatusCode TGPGraphics::StrokeRectangle(TGPPen* pen, float x, float y, float width, float height)
{
    return Track(Code(gp::GdipDrawRectangle(NativeOf<Gdiplus::GpGraphics>(this),
                                            NativeOf<Gdiplus::GpPen>(pen), x, y, width, height)));
}

GpStatusCode TGPGraphics::DrawAnsiString(const std::string& text, int length, TGPFont* font,
                                         const TGPRectF& layout, TGPStringFormat* format,
                                         TGPBrush* brush)
{
    // Zero-filled room for every character and a terminator, converted in the ANSI code page.
    std::vector<wchar_t> wide(text.size() + 1, L'\0');
    if (!text.empty())
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            static_cast<int>(text.size()));
    const Gdiplus::RectF r = ToRectF(layout);
    return Track(Code(gp::GdipDrawString(
        NativeOf<Gdiplus::GpGraphics>(this), wide.data(), length, NativeOf<Gdiplus::GpFont>(font),
        &r, NativeOf<Gdiplus::GpStringFormat>(format), NativeOf<Gdiplus::GpBrush>(brush))));
}

GpStatusCode TGPGraphics::DrawString(const std::wstring& text, int length, TGPFont* font,
                                     const TGPRectF& layout, TGPStringFormat* format,
                                     TGPBrush* brush)
{
    const Gdiplus::RectF r = ToRectF(layout);
    return Track(Code(gp::GdipDrawString(
        NativeOf<Gdiplus::GpGraphics>(this), text.c_str(), length, NativeOf<Gdiplus::GpFont>(font),
        &r, NativeOf<Gdiplus::GpStringFormat>(format), NativeOf<Gdiplus::GpBrush>(brush))));
}

GpStatusCode TGPGraphics::MeasureString(const std::wstring& text, int length, TGPFont* font,
                                        const TGPRectF& layout, TGPStringFormat* format,
                                        TGPRectF& bounds, int& codepointsFitted, int& linesFilled)
{
    const Gdiplus::RectF r = ToRectF(layout);
    Gdiplus::RectF box;
    INT fitted = 0, lines = 0;
    const GpStatusCode status = Track(Code(gp::GdipMeasureString(
        NativeOf<Gdiplus::GpGraphics>(this), text.c_str(), length, NativeOf<Gdiplus::GpFont>(font),
        &r, NativeOf<Gdiplus::GpStringFormat>(format), &box, &fitted, &lines)));
    bounds = TGPRectF{box.X, box.Y, box.Width, box.Height};
    codepointsFitted = fitted;
    linesFilled = lines;
    return status;
}

GpStatusCode TGPGraphics::DrawImageRect(TGPImage* image, int x, int y, int width, int height)
{
    return Track(Code(gp::GdipDrawImageRect(
        NativeOf<Gdiplus::GpGraphics>(this), NativeOf<Gdiplus::GpImage>(image),
        static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
        static_cast<float>(height))));
}

GpStatusCode TGPGraphics::SetClipRegion(TGPRegion* region, int combineMode)
{
    return Track(Code(gp::GdipSetClipRegion(NativeOf<Gdiplus::GpGraphics>(this),
                                            NativeOf<Gdiplus::GpRegion>(region),
                                            static_cast<Gdiplus::CombineMode>(combineMode))));
}

} // namespace draw
