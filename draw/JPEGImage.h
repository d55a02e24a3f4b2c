// TJPEGImage: the JPEG picture format of the picture-format registry ("jpeg", "jpg"). It keeps
// the file bytes it was loaded from (saved unchanged until the picture changes) and the
// decoded pixels as a bitmap that draws on a canvas.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "windows/Images.h"

namespace draw {

class TJPEGImage : public classlib::TGraphic {
    CLASSLIB_CLASS(TJPEGImage, classlib::TGraphic)
    TJPEGImage();
    ~TJPEGImage() override;

    // From another JPEG picture (its bytes and settings) or a bitmap (encoded when saved).
    void Assign(classlib::TPersistent* source) override;
    // The picture stretched to the rectangle.
    void Draw(classlib::TCanvas* canvas, const RECT& rect) override;
    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    // The size comes from the image.
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    // Reads the JPEG file from the stream's position to its end. Damaged or undecodable data
    // raises EInvalidGraphic and leaves the picture empty.
    void LoadFromStream(classlib::TStream& stream) override;
    // The bytes as loaded, or, after a change, the picture encoded at CompressionQuality.
    void SaveToStream(classlib::TStream& stream) override;

    // 1 to 100, used when the picture is encoded; 90 by default.
    int CompressionQuality() const { return quality_; }
    void SetCompressionQuality(int quality);
    // Decodes and encodes in shades of grey.
    bool Grayscale() const { return grayscale_; }
    void SetGrayscale(bool value);
    // Whether the loaded file was progressive.
    bool ProgressiveFile() const { return progressive_; }

    // The decoded pixels (a 24-bit bitmap), null when empty.
    classlib::TBitmap* Bitmap() const { return bitmap_.get(); }

private:
    void Decode();
    void Clear();

    std::vector<uint8_t> bytes_; // the file as loaded; empty when the bitmap must be encoded
    std::unique_ptr<classlib::TBitmap> bitmap_;
    int quality_ = 90;
    bool grayscale_ = false;
    bool progressive_ = false;
};

// Registers the format for "jpeg" and "jpg" (module start-up) and removes it (shut-down).
void JpegModuleInitialize();
void JpegModuleFinalize();

} // namespace draw
