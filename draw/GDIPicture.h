// TGDIPPicture: the picture type of the styled controls. It keeps the encoded file bytes (PNG,
// JPEG, GIF, BMP, icon, ...) exactly as loaded and hands them to GDI+ whenever it is measured
// or drawn; it never decodes into a bitmap of its own. With a form it is stored as the binary
// property "Data" holding those bytes unchanged.
#pragma once

#include <memory>
#include <string>

#include "core/Events.h"
#include "core/Streams.h"
#include "windows/Images.h"

namespace draw {

class TGDIPPicture : public classlib::TGraphic {
    CLASSLIB_CLASS(TGDIPPicture, classlib::TGraphic)
    TGDIPPicture();
    ~TGDIPPicture() override;

    // From another GDI+ picture (its bytes), a bitmap or a picture (saved as a BMP file);
    // none clears the bytes. Any other source only marks the picture empty.
    void Assign(classlib::TPersistent* source) override;
    // BMP bytes are drawn at the rectangle's top-left corner in their natural size with their
    // automatic transparent colour left out; any other image is scaled to the rectangle.
    void Draw(classlib::TCanvas* canvas, const RECT& rect) override;
    bool Empty() const override { return empty_; }
    // The size of the last successful measurement; 0 until one.
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    // The size always comes from the image.
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    // Copies the whole stream (from its start), measures it and fires OnChange.
    void LoadFromStream(classlib::TStream& stream) override;
    void SaveToStream(classlib::TStream& stream) override;
    // Loads the file's bytes; a missing or unreadable file leaves the picture empty and
    // raises nothing.
    void LoadFromFile(const std::string& fileName) override;
    // No clipboard form: loading leaves the picture as it is, saving hands over no data.
    void LoadFromClipboardFormat(UINT, HANDLE, HPALETTE) override {}
    void SaveToClipboardFormat(UINT&, HANDLE&, HPALETTE&) override {}

    // Measures the stored image; true when the picture holds bytes and they were measured
    // (bytes that GDI+ cannot read measure 0 x 0).
    bool UpdateImageSize();

    // The encoded bytes.
    classlib::TMemoryStream& Data() { return *data_; }

    classlib::TNotifyEvent OnClear;

protected:
    void ReadData(classlib::TStream& stream) override;
    void WriteData(classlib::TStream& stream) override;

private:
    void CopyWhole(classlib::TStream& stream);
    bool HasBytes() const;

    std::unique_ptr<classlib::TMemoryStream> data_;
    int width_ = 0;
    int height_ = 0;
    bool empty_ = true;
};

} // namespace draw
