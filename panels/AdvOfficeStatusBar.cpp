#include "AdvOfficeStatusBar.h"

#include "windows/Graphics.h"

#include <algorithm>

using namespace classlib;

namespace panels {

CLASSLIB_DEFINE_ENUM(TAdvOfficeStatusPanelStyle, "psText", "psOwnerDraw")

CLASSLIB_PUBLISH(TAdvOfficeStatusPanel)
{
    c.Property("Style", &TAdvOfficeStatusPanel::Style, &TAdvOfficeStatusPanel::SetStyle).SetDefault(psText);
    c.Property("Text", &TAdvOfficeStatusPanel::Text, &TAdvOfficeStatusPanel::SetText);
    c.Property("Width", &TAdvOfficeStatusPanel::Width, &TAdvOfficeStatusPanel::SetWidth).SetDefault(50);
}

CLASSLIB_PUBLISH(TAdvOfficeStatusPanels) {}

CLASSLIB_PUBLISH(TAdvOfficeStatusBar)
{
    c.Property("Panels", &TAdvOfficeStatusBar::Panels, &TAdvOfficeStatusBar::SetPanels);
    c.Property("SimplePanel", &TAdvOfficeStatusBar::SimplePanel, &TAdvOfficeStatusBar::SetSimplePanel)
        .SetDefault(false);
    c.Property("SimpleText", &TAdvOfficeStatusBar::SimpleText, &TAdvOfficeStatusBar::SetSimpleText);
    c.Property("OnDrawPanel", &TAdvOfficeStatusBar::OnDrawPanel);
}

CLASSLIB_MESSAGE_MAP(TAdvOfficeStatusBar)
{
    m.On(WM_ERASEBKGND, &TAdvOfficeStatusBar::WMEraseBkgnd);
}

void TAdvOfficeStatusPanel::SetText(const std::string& value)
{
    if (value == text_)
        return;
    text_ = value;
    Changed(false);
}

void TAdvOfficeStatusPanel::SetWidth(int value)
{
    if (value == width_)
        return;
    width_ = value;
    Changed(true);
}

void TAdvOfficeStatusPanel::SetStyle(TAdvOfficeStatusPanelStyle value)
{
    if (value == style_)
        return;
    style_ = value;
    Changed(false);
}

void TAdvOfficeStatusPanel::Assign(TPersistent* source)
{
    if (auto* other = dynamic_cast<TAdvOfficeStatusPanel*>(source)) {
        text_ = other->text_;
        width_ = other->width_;
        style_ = other->style_;
        Changed(false);
        return;
    }
    TCollectionItem::Assign(source);
}

TAdvOfficeStatusPanels::TAdvOfficeStatusPanels(TAdvOfficeStatusBar* bar)
    : TOwnedCollection(bar, TAdvOfficeStatusPanel::StaticClass()), bar_(bar)
{
}

void TAdvOfficeStatusPanels::Update(TCollectionItem*)
{
    bar_->Invalidate();
}

TAdvOfficeStatusBar::TAdvOfficeStatusBar(TComponent* owner)
    : TCustomControl(owner), panels_(new TAdvOfficeStatusPanels(this))
{
    controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    color_ = clBtnFace;
    SetBounds(0, 0, 300, 19);
}

TAdvOfficeStatusBar::~TAdvOfficeStatusBar()
{
    delete panels_;
}

void TAdvOfficeStatusBar::SetSimpleText(const std::string& value)
{
    if (value == simpleText_)
        return;
    simpleText_ = value;
    if (simplePanel_)
        Invalidate();
}

void TAdvOfficeStatusBar::SetSimplePanel(bool value)
{
    simplePanel_ = value;
    Invalidate();
}

RECT TAdvOfficeStatusBar::PanelRect(int index) const
{
    RECT rect = ClientRect();
    int left = 0;
    for (int i = 0; i < index && i < panels_->Count(); ++i)
        left += (*panels_)[i]->Width();
    rect.left = std::min<int>(left, rect.right);
    if (index < panels_->Count())
        rect.right = std::min<int>(rect.left + (*panels_)[index]->Width(), rect.right);
    return rect;
}

// Painting covers the whole client area.
void TAdvOfficeStatusBar::WMEraseBkgnd(TMessage& m)
{
    m.Result = 1;
}

void TAdvOfficeStatusBar::Paint()
{
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Font());
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(ClientRect());
    if (simplePanel_) {
        const RECT rect = ClientRect();
        canvas->TextRect(rect, rect.left + 2, rect.top + 2, simpleText_);
        return;
    }
    for (int i = 0; i < panels_->Count(); ++i) {
        TAdvOfficeStatusPanel* panel = (*panels_)[i];
        const RECT rect = PanelRect(i);
        if (panel->Style() == psOwnerDraw) {
            if (OnDrawPanel)
                OnDrawPanel(this, panel, rect);
            // The handler may leave a brush or font behind; the next panel starts clean.
            canvas->Font()->Assign(Font());
            canvas->Brush()->SetColor(Color());
            canvas->Brush()->SetStyle(bsSolid);
            continue;
        }
        canvas->TextRect(rect, rect.left + 2, rect.top + 2, panel->Text());
    }
}

} // namespace panels
