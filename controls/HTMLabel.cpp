#include "HTMLabel.h"

#include "HtmlText.h"
#include "windows/Graphics.h"

using namespace classlib;

namespace controls {

CLASSLIB_PUBLISH(THTMLabel)
{
    c.Property("HTMLText", &THTMLabel::HTMLText, &THTMLabel::SetHTMLText);
    c.Property("Transparent", &THTMLabel::Transparent, &THTMLabel::SetTransparent).SetDefault(true);
}

CLASSLIB_PUBLISH(TAdvReflectionLabel)
{
    c.Property("ReflectionAxis", &TAdvReflectionLabel::ReflectionAxis, &TAdvReflectionLabel::SetReflectionAxis)
        .SetDefault(0);
}

CLASSLIB_PUBLISH(TOcLabel) {}

THTMLabel::THTMLabel(TComponent* owner) : TGraphicControl(owner), htmlText_(new TStringList)
{
    htmlText_->OnChange = TNotifyEvent(this, &THTMLabel::TextChanged);
    SetBounds(0, 0, 100, 17);
}

THTMLabel::~THTMLabel()
{
    delete htmlText_;
}

void THTMLabel::SetHTMLText(TStringList* value)
{
    htmlText_->Assign(value);
}

void THTMLabel::SetTransparent(bool value)
{
    transparent_ = value;
    Invalidate();
}

void THTMLabel::TextChanged(TObject*)
{
    Invalidate();
}

void THTMLabel::Paint()
{
    TCanvas* canvas = Canvas();
    RECT rect = ClientRect();
    if (!transparent_) {
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(rect);
    }
    std::string html = htmlText_->Text();
    while (!html.empty() && (html.back() == '\n' || html.back() == '\r'))
        html.pop_back();
    canvas->Font()->Assign(Font());
    canvas->Font()->SetColor(static_cast<TColor>(HtmlFirstColor(html, static_cast<unsigned>(Font()->Color()))));
    if (HtmlStartsBold(html))
        canvas->Font()->SetStyle(canvas->Font()->Style() + TFontStyles{fsBold});
    canvas->Brush()->SetStyle(bsClear);
    const std::string text = HtmlToPlainText(html);
    DrawTextA(canvas->Handle(), text.c_str(), static_cast<int>(text.size()), &rect,
              DT_WORDBREAK | DT_NOPREFIX | (BiDiMode() == bdRightToLeft ? DT_RTLREADING : 0));
}

} // namespace controls
