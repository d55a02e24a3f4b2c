#include "TaskDialogButton.h"

#include "TaskDialogText.h"

#include "windows/Forms.h"
#include "windows/Images.h"
#include "windows/Messages.h"

#include <algorithm>

using namespace classlib;

namespace panels {

CLASSLIB_PUBLISH(TTaskDialogButton)
{
    using B = TTaskDialogButton;
    AsColorProperty(c.Property("BorderColor", &B::BorderColor, &B::SetBorderColor))
        .SetDefault(clNone);
    AsColorProperty(c.Property("BorderColorHot", &B::BorderColorHot, &B::SetBorderColorHot))
        .SetDefault(clNone);
    AsColorProperty(c.Property("BorderColorDown", &B::BorderColorDown, &B::SetBorderColorDown))
        .SetDefault(clNone);
    c.Property("HeadingFont", &B::HeadingFont, &B::SetHeadingFont);
    c.Property("ModalResult", &B::ModalResult, &B::SetModalResult).SetDefault(0);
    c.Property("Picture", &B::Picture, &B::SetPicture);
    c.Property("PictureHot", &B::PictureHot, &B::SetPictureHot);
    c.Property("PictureDown", &B::PictureDown, &B::SetPictureDown);
    c.Property("PictureDisabled", &B::PictureDisabled, &B::SetPictureDisabled);
}

CLASSLIB_MESSAGE_MAP(TTaskDialogButton)
{
    m.On(CM_MOUSEENTER, &TTaskDialogButton::CMMouseEnter);
    m.On(CM_MOUSELEAVE, &TTaskDialogButton::CMMouseLeave);
    m.On(WM_SETFOCUS, &TTaskDialogButton::WMFocusChanged);
    m.On(WM_KILLFOCUS, &TTaskDialogButton::WMFocusChanged);
}

TTaskDialogButton::TTaskDialogButton(TComponent* owner)
    : TCustomControl(owner),
      headingFont_(std::make_unique<TFont>()),
      picture_(std::make_unique<TBitmap>()),
      pictureHot_(std::make_unique<TBitmap>()),
      pictureDown_(std::make_unique<TBitmap>()),
      pictureDisabled_(std::make_unique<TBitmap>())
{
    SetBounds(0, 0, 22, 23);
    SetShowHint(false);
    picture_->OnChange = TNotifyEvent(this, &TTaskDialogButton::PictureChanged);
    pictureDisabled_->OnChange = TNotifyEvent(this, &TTaskDialogButton::PictureChanged);
}

TTaskDialogButton::~TTaskDialogButton() = default;

void TTaskDialogButton::SetPicture(TBitmap* value)
{
    picture_->Assign(value);
    Invalidate();
}

void TTaskDialogButton::SetPictureDisabled(TBitmap* value)
{
    pictureDisabled_->Assign(value);
    Invalidate();
}

void TTaskDialogButton::Click()
{
    if (TCustomForm* form = GetParentForm())
        form->SetModalResult(modalResult_);
    TCustomControl::Click();
}

void TTaskDialogButton::KeyPress(char& key)
{
    TCustomControl::KeyPress(key);
    if (key == ' ' || key == '\r')
        Click();
}

void TTaskDialogButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button == mbLeft) {
        down_ = true;
        Invalidate();
    }
}

void TTaskDialogButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    down_ = false;
    Invalidate();
}

void TTaskDialogButton::CMMouseEnter(TMessage& m)
{
    hot_ = true;
    if (focusOnHover_ && CanFocus())
        SetFocus();
    Invalidate();
    Inherited(TTaskDialogButton::StaticClass(), m);
}

void TTaskDialogButton::CMMouseLeave(TMessage& m)
{
    hot_ = false;
    Invalidate();
    Inherited(TTaskDialogButton::StaticClass(), m);
}

void TTaskDialogButton::WMFocusChanged(TMessage& m)
{
    Inherited(TTaskDialogButton::StaticClass(), m);
    Invalidate();
}

void TTaskDialogButton::Paint()
{
    TCanvas* canvas = Canvas();
    const RECT client = ClientRect();
    const bool focused = HandleAllocated() && GetFocus() == Handle();
    TColor border = down_ ? borderColorDown_ : hot_ ? borderColorHot_ : clNone;
    if (!Enabled())
        border = clNone;
    if (focused)
        border = borderColorDown_;

    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Parent() ? Parent()->Color() : Color());
    canvas->FillRect(client);

    TBitmap* picture = picture_.get();
    if (down_ && !pictureDown_->Empty())
        picture = pictureDown_.get();
    else if (hot_ && !pictureHot_->Empty())
        picture = pictureHot_.get();
    if (!Enabled() && !pictureDisabled_->Empty())
        picture = pictureDisabled_.get();
    const std::string text = Text();
    int textLeft = 0;
    if (picture->Empty()) {
        textLeft = 2;
    } else {
        const int x = text.empty() ? (Width() - picture->Width()) / 2 : 4;
        const int y = (Height() - picture->Height()) / 2;
        picture->SetTransparent(true);
        canvas->Draw(x, y, picture);
        textLeft = x + picture->Width() + 3;
    }

    canvas->Brush()->SetStyle(bsClear);
    const TColor disabledGrey = 12632256;
    if (!text.empty() && text.find("\\n") == std::string::npos &&
        text.find('\r') == std::string::npos) {
        canvas->Font()->Assign(headingFont_.get());
        if (!Enabled())
            canvas->Font()->SetColor(disabledGrey);
        RECT r{textLeft, 0, Width(), Height()};
        canvas->DrawText(text, r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    } else if (!text.empty()) {
        TStringList lines;
        SplitTaskLines(text, &lines);
        int total = 0, widest = 0;
        MeasureTaskText(canvas, text, headingFont_.get(), true, total, widest,
                        DrawTextBiDiModeFlagsReadingOnly(), Font());
        int y = (Height() - total) / 2 + 2;
        for (int i = 0; i < lines.Count(); ++i) {
            const std::string line = lines.Strings(i);
            if (i == 0) {
                if (line.empty())
                    continue;
                canvas->Font()->Assign(headingFont_.get());
                if (!Enabled())
                    canvas->Font()->SetColor(disabledGrey);
                RECT r{textLeft, y, Width(), Height()};
                canvas->DrawText(line, r, DT_SINGLELINE | DT_NOPREFIX);
                y += canvas->TextHeight("gh") + 4;
                continue;
            }
            canvas->Font()->Assign(Font());
            if (!Enabled())
                canvas->Font()->SetColor(disabledGrey);
            RECT r{textLeft, y, Width(), Height()};
            canvas->DrawText(line, r, DT_SINGLELINE | DT_NOPREFIX);
            y += canvas->TextHeight("gh") + 2;
        }
    }
    if (border != clNone) {
        canvas->Brush()->SetStyle(bsClear);
        canvas->Pen()->SetColor(border);
        canvas->RoundRect(client.left, client.top, client.right, client.bottom, 2, 2);
    }
}

void MeasureTaskText(TCanvas* canvas, const std::string& text, TFont* headingFont, bool headingMode,
                     int& height, int& width, UINT flags, TFont* bodyFont)
{
    height = 0;
    width = 0;
    if (!canvas)
        return;
    TFont saved;
    saved.Assign(canvas->Font());
    const auto measure = [&](const std::string& line, TFont* font, int& w, int& h) {
        canvas->Font()->Assign(font);
        RECT r{0, 0, 1000, 100};
        canvas->DrawText(line, r, flags | DT_SINGLELINE | DT_CALCRECT);
        w = r.right - r.left;
        h = r.bottom - r.top;
    };
    if (text.find("\\n") == std::string::npos && text.find('\r') == std::string::npos) {
        measure(text, headingFont, width, height);
    } else {
        TStringList lines;
        SplitTaskLines(text, &lines);
        for (int i = 0; i < lines.Count(); ++i) {
            const std::string line = TrimTaskText(lines.Strings(i));
            if (line.empty())
                continue;
            int w = 0, h = 0;
            if (i == 0) {
                measure(line, headingFont, w, h);
                width = headingMode ? w + 8 : w;
                height = headingMode ? h + 10 : h;
                continue;
            }
            measure(line, bodyFont, w, h);
            width = std::max(width, headingMode ? w + 8 : w);
            height += headingMode ? h + 2 : h;
        }
    }
    canvas->Font()->Assign(&saved);
}

} // namespace panels
