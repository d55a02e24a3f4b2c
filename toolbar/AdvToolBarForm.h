#pragma once
// The toolbar form: a form whose title bar is the ribbon pager among its children. It has no
// caption of its own, draws a rounded frame in the pager's caption colour, is sized from thin
// edges and wide corners, maximizes onto the work area of its monitor and switches the pager
// to its caption-only state while it is narrower than 300 pixels.
#include "draw/PagerCaptionForm.h"
#include "windows/Forms.h"

namespace toolbar {

// What the toolbar form needs of a ribbon pager among its children; the pager implements it.
class IToolBarFormPager {
public:
    // The caption text colour of the pager's current styler's caption appearance.
    virtual classlib::TColor CaptionTextColor() const = 0;
    // The caption-only state (the pages hidden).
    virtual bool PagesMinimized() const = 0;
    virtual void SetPagesMinimized(bool value) = 0;
    // Whether the pager drags the form by its caption band.
    virtual void SetCanMove(bool value) = 0;

protected:
    ~IToolBarFormPager() = default;
};

class TAdvToolBarForm : public classlib::TForm, public draw::IPagerCaptionForm {
    CLASSLIB_CLASS(TAdvToolBarForm, classlib::TForm)
    CLASSLIB_MESSAGES()
    explicit TAdvToolBarForm(classlib::TComponent* owner) : TForm(owner) {}

    // The width below which the pager shows only its caption.
    static constexpr int kCaptionOnlyWidth = 300;

    // draw::IPagerCaptionForm
    classlib::TColor PagerFrameColor() const override;

protected:
    void CreateParams(classlib::TCreateParams& params) override;
    void AdjustClientRect(RECT& rect) override;
    void Paint() override;

private:
    void WMSize(classlib::TMessage& m);
    void WMGetMinMaxInfo(classlib::TMessage& m);
    void WMNCHitTest(classlib::TMessage& m);
    // The first child (or, with `last`, the last child) that is a pager.
    IToolBarFormPager* FindPager(bool last) const;
};

} // namespace toolbar
