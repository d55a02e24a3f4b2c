#pragma once
// A graphic that keeps an image exactly as its bytes were loaded (any format the platform's
// OLE picture loader reads: BMP, JPEG, GIF, ICO, metafiles) and draws it through the OLE
// picture made from them; saving writes the same bytes back, so a form layout stores the file.
#include "core/Streams.h"
#include "windows/Images.h"

#include <ole2.h>
#include <olectl.h>

namespace panels {

class TAdvImage : public classlib::TGraphic {
    CLASSLIB_CLASS(TAdvImage, classlib::TGraphic)
    TAdvImage();
    ~TAdvImage() override;

    void Assign(classlib::TPersistent* source) override;
    void Draw(classlib::TCanvas* canvas, const RECT& rect) override;
    bool Empty() const override { return empty_; }
    int Width() const override;
    int Height() const override;
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    void LoadFromStream(classlib::TStream& stream) override;
    void SaveToStream(classlib::TStream& stream) override;
    // An unreadable file or damaged bytes leave the graphic empty; nothing is raised.
    void LoadFromFile(const std::string& fileName) override;
    void LoadFromClipboardFormat(UINT, HANDLE, HPALETTE) override {}
    void SaveToClipboardFormat(UINT&, HANDLE&, HPALETTE&) override {}

    // The loaded bytes.
    classlib::TMemoryStream& Data() { return data_; }

protected:
    void ReadData(classlib::TStream& stream) override;
    void WriteData(classlib::TStream& stream) override;

private:
    void TakeBytes(classlib::TStream& source);
    void BuildPicture();
    void DropPicture();

    classlib::TMemoryStream data_;
    bool empty_ = true;
    IPicture* picture_ = nullptr;
    int pixelsPerInchX_ = 96;
    int pixelsPerInchY_ = 96;
};

} // namespace panels
