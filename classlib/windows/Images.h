#pragma once
// Pictures: the abstract graphic, device-independent bitmaps, icons, the picture container
// with its registry of file formats by extension.
#include "windows/Graphics.h"

#include <memory>
#include <string>
#include <vector>

namespace classlib {

class TStream;

// A picture that can be drawn on a canvas, loaded and saved.
class TGraphic : public TPersistent {
    CLASSLIB_CLASS(TGraphic, TPersistent)
    virtual void Draw(TCanvas* canvas, const RECT& rect) = 0;
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int width) = 0;
    virtual void SetHeight(int height) = 0;
    // The stream from its current position on holds the file bytes of the picture.
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

    virtual bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool value);
    bool Modified() const { return modified_; }
    void SetModified(bool value) { modified_ = value; }

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

enum TPixelFormat { pf1bit, pf4bit, pf8bit, pf24bit, pf32bit };
enum TTransparentMode { tmAuto, tmFixed };
CLASSLIB_ENUM(TPixelFormat);
CLASSLIB_ENUM(TTransparentMode);

class TBitmapCanvas;

// A bitmap kept as a DIB section (24 or 32 bits per pixel, bottom-up rows), so its pixels can
// be read and written directly and it saves as a BMP file bit for bit.
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
    void SetSize(int width, int height);
    TPixelFormat PixelFormat() const { return pixelFormat_; }
    // pf24bit or pf32bit; other formats are converted to pf24bit when loaded.
    void SetPixelFormat(TPixelFormat format);

    // Reads a BMP file (Windows bitmap, 1, 4, 8, 16, 24 or 32 bits, uncompressed or RLE);
    // raises EInvalidGraphic for anything else or a truncated file.
    void LoadFromStream(TStream& stream) override;
    // Writes a BMP file of the bitmap's pixel format.
    void SaveToStream(TStream& stream) override;
    // A bitmap resource (RT_BITMAP) of the module (the program when null).
    void LoadFromResourceName(HINSTANCE instance, const std::string& name);
    void LoadFromResourceID(HINSTANCE instance, int id);

    // The canvas draws into the bitmap.
    TCanvas* Canvas();
    HBITMAP Handle();
    // Adopts a bitmap handle (converted to a DIB of its colour depth).
    void SetHandle(HBITMAP bitmap);
    // Start of pixel row `row` (0 = top): 3 or 4 bytes per pixel in blue, green, red order.
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
    void CreateDib(int width, int height, TPixelFormat format, const void* sourceBits,
                   const BITMAPINFO* sourceInfo);
    void FreeImage();
    const uint8_t* RowBits(int row) const;
    HDC AcquireDc();
    void LoadFromBitmapHandle(HBITMAP bitmap);

    int width_ = 0;
    int height_ = 0;
    TPixelFormat pixelFormat_ = pf24bit;
    HBITMAP dib_ = nullptr;
    uint8_t* bits_ = nullptr;
    int stride_ = 0;
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
