#pragma once
// Office image: a windowless control showing one GDI+ picture at its own size, centred or at
// the top-left corner, with rich-hint data for its owner and mouse enter and leave events.
// Without a picture it shows a dotted blue frame so that it stays visible while a form is
// designed.
#include <memory>

#include "draw/AdvHintInfo.h"
#include "draw/GDIPicture.h"
#include "windows/Controls.h"

namespace controls {

class TAdvOfficeImage : public classlib::TGraphicControl {
    CLASSLIB_CLASS(TAdvOfficeImage, classlib::TGraphicControl)
    explicit TAdvOfficeImage(classlib::TComponent* owner);

    draw::TAdvHintInfo* OfficeHint() const { return officeHint_.get(); }
    void SetOfficeHint(draw::TAdvHintInfo* value) { officeHint_->Assign(value); }
    draw::TGDIPPicture* Picture() const { return picture_.get(); }
    void SetPicture(draw::TGDIPPicture* value);
    bool Center() const { return center_; }
    void SetCenter(bool value);
    std::string Version() const;
    void SetVersion(const std::string&) {}

protected:
    virtual void DrawPicture(classlib::TCanvas* canvas);
    virtual int GetVersionNr() const { return 0x01000200; }
    void Paint() override;

private:
    void PictureChanged(classlib::TObject*) { Invalidate(); }

    std::unique_ptr<draw::TAdvHintInfo> officeHint_;
    std::unique_ptr<draw::TGDIPPicture> picture_;
    bool center_ = true;
};

} // namespace controls
