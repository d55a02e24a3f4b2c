#pragma once
// TPNGObject: the PNG image as a graphic of the class library, registered as the "PNG"
// picture format. It holds the portable image (PngImage.h) with its memory in a DIB section
// selected into a memory device context, and draws it plainly, with a key colour masked out,
// or blended by its alpha.
#include "PngImage.h"

#include "windows/Images.h"

#include <windows.h>

namespace png {

// The portable image with its pixel memory in a DIB section and its palette realized in the
// section's device context.
class TPNGDibImage : public TPNGImage {
public:
    std::unique_ptr<TImageMemory> CreateImageMemory(const TPngBitmapInfo& info,
                                                    uint64_t size) override;
    // The memory device context, the DIB section and the palette of the current image (null
    // without one).
    HDC Dc() const;
    HBITMAP Dib() const;
    HPALETTE Palette() const;
};

class TPNGObject : public classlib::TGraphic {
    CLASSLIB_CLASS(TPNGObject, classlib::TGraphic)
    TPNGObject();
    ~TPNGObject() override;

    void Assign(classlib::TPersistent* source) override;
    void Draw(classlib::TCanvas* canvas, const RECT& rect) override;
    bool Empty() const override { return image_.Empty(); }
    int Width() const override { return image_.Width(); }
    int Height() const override { return image_.Height(); }
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    void LoadFromStream(classlib::TStream& stream) override;
    void SaveToStream(classlib::TStream& stream) override;
    bool Transparent() const override;

    // The header's palette handle; raises EPNGHeaderNotPresent without a header.
    HPALETTE Palette() override;
    // Copies the palette's entries into the colour table (palette images only).
    void SetPalette(HPALETTE palette) override;
    // CF_BITMAP data (a bitmap handle the clipboard keeps).
    void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
    // A new bitmap handle of the image drawn over white, for the clipboard to own.
    void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;

    virtual classlib::TColor ReadPixel(int x, int y) { return image_.ReadPixel(x, y); }
    virtual void WritePixel(int x, int y, classlib::TColor color);

    // Rebuilds the image from a bitmap: 24-bit colour for bitmaps of 16 bits and more, a
    // palette image of the bitmap's depth below; with `transparent` a key colour.
    void AssignBitmapHandle(HBITMAP bitmap, bool transparent, classlib::TColor transparentColor);
    // Draws with partial transparency onto the device context's rectangle; raises
    // EPNGOutMemory when the blending surface cannot be created.
    void DrawAlphaBlended(HDC dc, const RECT& rect);

    // A canvas on the image's memory device context.
    classlib::TCanvas* Canvas();
    TPNGImage& Image() { return image_; }
    const TPNGImage& Image() const { return image_; }

protected:
    void AssignTo(classlib::TPersistent* dest) const override;

private:
    TPNGDibImage image_;
    classlib::TCanvas* canvas_;
};

// Draws the DIB stretched onto the rectangle with the pixels of the key colour left out.
void DrawMaskedBitmap(HDC dc, HDC imageDc, int imageWidth, int imageHeight, COLORREF key,
                      const RECT& rect);

// Module start-up and shut-down: the chunk classes and the "PNG" picture format.
void PngCodecInitialize();
void PngCodecFinalize();

} // namespace png
