#pragma once
// Pictures: the abstract graphic, device-independent bitmaps, icons, the picture container
// with its registry of file formats by extension.
#include "windows/Graphics.h"

#include <memory>
#include <string>
#include <vector>

namespace classlib {

class TStream;

// A picture that can be drawn on a canvas, loaded and saved, put on the clipboard and stored
// in form layouts.
class TGraphic : public TPersistent {
    CLASSLIB_CLASS(TGraphic, TPersistent)
    virtual void Draw(TCanvas* canvas, const RECT& rect) = 0;
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int width) = 0;
    virtual void SetHeight(int height) = 0;
    virtual void SetSize(int width, int height);
    // The stream from its current position on holds the file bytes of the picture.
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    virtual void LoadFromFile(const std::string& fileName);
    virtual void SaveToFile(const std::string& fileName);
    // Clipboard data in `format` (a CF_* number); the clipboard keeps `data`. The base class
    // supports no format and raises EInvalidGraphic.
    virtual void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette);
    // New clipboard data (owned by the caller until handed to the clipboard) and its format.
    virtual void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette);
    // The colour palette of a palette-based picture, else null; the graphic keeps it.
    virtual HPALETTE Palette() { return nullptr; }
    virtual void SetPalette(HPALETTE) {}

    virtual bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool value);
    // Set by every change; setting it to true reports a change.
    bool Modified() const { return modified_; }
    void SetModified(bool value);

    TNotifyEvent OnChange;

protected:
    // The form streams store a graphic as the binary property "Data": what WriteData writes.
    void DefineProperties(TFiler& filer) override;
    virtual void ReadData(TStream& stream) { LoadFromStream(stream); }
    virtual void WriteData(TStream& stream) { SaveToStream(stream); }
    virtual void Changed();

private:
    friend class TPicture; // reads and writes its graphic's stream data
    bool transparent_ = false;
    bool modified_ = false;
};

// pfDevice: a device-dependent bitmap of the screen's depth; pf15bit 5-5-5 and pf16bit 5-6-5
// 16-bit pixels; pf1bit to pf8bit index a colour table.
enum TPixelFormat {
    pfDevice,
    pf1bit,
    pf4bit,
    pf8bit,
    pf15bit,
    pf16bit,
    pf24bit,
    pf32bit,
    pfCustom
};
enum TTransparentMode { tmAuto, tmFixed };
enum TBitmapHandleType { bmDIB, bmDDB };
CLASSLIB_ENUM(TPixelFormat);
CLASSLIB_ENUM(TTransparentMode);
CLASSLIB_ENUM(TBitmapHandleType);

class TBitmapCanvas;

// A bitmap kept as a DIB section (bottom-up rows, so its pixels can be read and written
// directly and it saves as a BMP file bit for bit) or, on request, as a device-dependent
// bitmap.
class TBitmap : public TGraphic {
    CLASSLIB_CLASS(TBitmap, TGraphic)
    TBitmap();
    ~TBitmap() override;
    void Assign(TPersistent* source) override;

    void Draw(TCanvas* canvas, const RECT& rect) override;
    bool Empty() const override { return width_ == 0 || height_ == 0; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void SetWidth(int width) override { SetSize(width, height_); }
    void SetHeight(int height) override { SetSize(width_, height); }
    // New pixels are white; pixels that remain keep their colour.
    void SetSize(int width, int height) override;
    // pfDevice for a device-dependent bitmap.
    TPixelFormat PixelFormat() const;
    // Converts the pixels (colours a format cannot hold become the nearest it can); a new
    // palette format gets the default colour table: black and white for pf1bit, the 16
    // standard colours for pf4bit, the halftone palette for pf8bit. pfDevice makes a
    // device-dependent bitmap; pfCustom raises EInvalidGraphic.
    void SetPixelFormat(TPixelFormat format);
    TBitmapHandleType HandleType() const { return handleType_; }
    void SetHandleType(TBitmapHandleType type);
    // One bit per pixel.
    bool Monochrome() const { return pixelFormat_ == pf1bit; }
    // True converts to one bit per pixel (black and white), false to 24 bits or the screen's
    // depth.
    void SetMonochrome(bool value);

    // Reads a BMP file (Windows bitmap, 1, 4, 8, 16, 24 or 32 bits, uncompressed, RLE or bit
    // fields) and keeps its pixel format and colour table; raises EInvalidGraphic for anything
    // else or a truncated file.
    void LoadFromStream(TStream& stream) override;
    // Writes a BMP file of the bitmap's pixel format (a device-dependent bitmap as 32 bits).
    void SaveToStream(TStream& stream) override;
    // A bitmap resource (RT_BITMAP) of the module (the program when null), in its own pixel
    // format with its colour table; raises EResNotFound when there is none.
    void LoadFromResourceName(HINSTANCE instance, const std::string& name);
    void LoadFromResourceID(HINSTANCE instance, int id);
    // CF_BITMAP only: a copy of the clipboard's bitmap / a device-dependent copy for it.
    void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
    void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;
    // The colour table as a palette for pf1bit to pf8bit; setting one replaces the colour
    // table's entries (the pixels keep their indexes).
    HPALETTE Palette() override;
    void SetPalette(HPALETTE palette) override;

    // The canvas draws into the bitmap.
    TCanvas* Canvas();
    HBITMAP Handle();
    // Adopts a bitmap handle (converted to a DIB of its colour depth).
    void SetHandle(HBITMAP bitmap);
    // Start of pixel row `row` (0 = top) in the pixel format's layout (a device-dependent
    // bitmap becomes a DIB first).
    void* ScanLine(int row);

    // The colour drawn as transparent: the bottom-left pixel in tmAuto, else the colour set.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode mode);

    // Releases the canvas's device context (GDI has few of them).
    void Dormant();

protected:
    void Changed() override;
    // In the form streams a bitmap is its BMP file preceded by the file's length (32 bits).
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) override;

private:
    friend class TBitmapCanvas;
    // Replaces the image by a new white one; `sourceBits`/`sourceInfo` (DIB pixels in any
    // format GDI converts) fill it when given.
    void NewImage(int width, int height, TPixelFormat format, TBitmapHandleType type,
                  const std::vector<RGBQUAD>& colorTable, const void* sourceBits = nullptr,
                  const BITMAPINFO* sourceInfo = nullptr);
    // Rebuilds the image in another size, format or handle type, copying the pixels over.
    void Convert(int width, int height, TPixelFormat format, TBitmapHandleType type);
    void FreeImage();
    void FreePalette();
    uint8_t* RowBits(int row);
    void LoadFromBitmapHandle(HBITMAP bitmap);
    // A whole BMP file, checked before anything is read from it.
    void LoadFromBmpFile(const std::vector<uint8_t>& file);
    void LoadFromBitmapResource(HINSTANCE instance, LPCSTR name, const std::string& label);

    int width_ = 0;
    int height_ = 0;
    TPixelFormat pixelFormat_ = pf24bit;
    TBitmapHandleType handleType_ = bmDIB;
    std::vector<RGBQUAD> colorTable_;
    HBITMAP image_ = nullptr;
    uint8_t* bits_ = nullptr; // DIB pixels; null for a device-dependent bitmap
    int stride_ = 0;
    HPALETTE palette_ = nullptr;
    TBitmapCanvas* canvas_ = nullptr;
    TTransparentMode transparentMode_ = tmAuto;
    TColor transparentColor_ = clDefault;
};

class TIcon : public TGraphic {
    CLASSLIB_CLASS(TIcon, TGraphic)
    TIcon() = default;
    ~TIcon() override;
    void Assign(TPersistent* source) override;

    void Draw(TCanvas* canvas, const RECT& rect) override;
    bool Empty() const override { return icon_ == nullptr; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    // An icon's size comes from its image.
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    // Reads an .ico file (the image that best fits the system icon size); keeps the bytes so
    // that saving writes the same file.
    void LoadFromStream(TStream& stream) override;
    // Writes the file bytes the icon was loaded from; an icon made from a handle raises
    // EInvalidGraphicOperation.
    void SaveToStream(TStream& stream) override;
    void LoadFromResourceName(HINSTANCE instance, const std::string& name);

    HICON Handle() const { return icon_; }
    // Adopts an icon handle.
    void SetHandle(HICON icon);
    HICON ReleaseHandle();

private:
    void Reset(HICON icon);

    HICON icon_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> fileBytes_;
};

CLASSLIB_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
CLASSLIB_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);
// A resource of the program that is not there.
CLASSLIB_DECLARE_EXCEPTION(EResNotFound, Exception);

// ---- Picture and the format registry --------------------------------------------------------

struct TFileFormat {
    std::string extension;   // without the dot, lower case ("bmp")
    std::string description; // "Bitmaps"
    const TMetaClass* graphicClass;
};

// Clipboard formats pictures can take: CF_BITMAP (TBitmap) is built in. A later registration
// of a format replaces the earlier one.
void RegisterClipboardFormat(UINT format, const TMetaClass& graphicClass);
// Formats known to pictures; "bmp" and "ico" are built in. A later registration of an
// extension replaces the earlier one. The class must derive from TGraphic.
void RegisterFileFormat(const std::string& extension, const std::string& description,
                        const TMetaClass& graphicClass);
// Removes every extension registered for the class.
void UnregisterGraphicClass(const TMetaClass& graphicClass);
// The format registered for an extension (with or without the dot, any case), or null.
const TFileFormat* FindFileFormat(const std::string& extension);
// Open-dialog filter of all formats: "All (*.bmp;*.ico)|*.bmp;*.ico|Bitmaps (*.bmp)|*.bmp|..."
std::string GraphicFilter();

// Holds one graphic of any registered kind.
class TPicture : public TPersistent {
    CLASSLIB_CLASS(TPicture, TPersistent)
    TPicture() = default;
    ~TPicture() override;
    void Assign(TPersistent* source) override;

    TGraphic* Graphic() const { return graphic_; }
    // Copies `graphic` (a new graphic of its class, assigned from it); null clears.
    void SetGraphic(TGraphic* graphic);
    // The graphic as a bitmap; replaces any other graphic by an empty bitmap.
    TBitmap* Bitmap();
    TIcon* Icon();
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }

    // Chooses the graphic class by the file's extension; an unknown extension raises
    // EInvalidGraphic "Unknown picture file extension (.xyz)".
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);
    // A graphic of the class registered for the clipboard format; an unregistered format
    // raises EInvalidGraphic.
    void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette);
    void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette);
    static bool SupportsClipboardFormat(UINT format);

    TNotifyEvent OnChange;

protected:
    // Stored in the form streams as "Data": the graphic's class name (a length byte and the
    // characters) followed by the graphic's own data.
    void DefineProperties(TFiler& filer) override;
    void Changed(TObject* sender);

private:
    void ReadData(TStream& stream);
    void WriteData(TStream& stream);
    void Replace(TGraphic* graphic);

    TGraphic* graphic_ = nullptr;
};

} // namespace classlib
