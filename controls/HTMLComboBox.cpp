#include "HTMLComboBox.h"

#include "HtmlText.h"
#include "core/StringList.h"
#include "windows/Graphics.h"

using namespace classlib;

namespace controls {

CLASSLIB_PUBLISH(THTMLComboBox)
{
    c.Property("Items", &THTMLComboBox::Items, &THTMLComboBox::SetItems);
    c.Property("ItemIndex", &THTMLComboBox::ItemIndex, &THTMLComboBox::SetItemIndex).SetDefault(-1);
    c.Property("Style", &THTMLComboBox::Style, &THTMLComboBox::SetStyle).SetDefault(csOwnerDrawFixed);
    c.Property("ButtonWidth", &THTMLComboBox::ButtonWidth, &THTMLComboBox::SetButtonWidth).SetDefault(19);
    c.Property("DropWidth", &THTMLComboBox::DropWidth, &THTMLComboBox::SetDropWidth).SetDefault(0);
    c.Property("DropHeight", &THTMLComboBox::DropHeight, &THTMLComboBox::SetDropHeight).SetDefault(200);
}

THTMLComboBox::THTMLComboBox(TComponent* owner) : TCustomComboBox(owner)
{
    style_ = csOwnerDrawFixed;
}

void THTMLComboBox::DrawItem(int index, RECT rect, TOwnerDrawState state)
{
    TCanvas* canvas = Canvas();
    const bool selected = state.Contains(odSelected) && !state.Contains(odComboBoxEdit);
    canvas->Brush()->SetColor(selected ? clHighlight : Color());
    canvas->FillRect(rect);
    if (index < 0 || index >= Items()->Count())
        return;
    const std::string html = Items()->Strings(index);
    const std::string text = HtmlToPlainText(html);
    canvas->Font()->Assign(Font());
    if (selected)
        canvas->Font()->SetColor(clHighlightText);
    canvas->Brush()->SetStyle(bsClear);
    const bool centred = html.find("align=\"center\"") != std::string::npos;
    DrawTextA(canvas->Handle(), text.c_str(), static_cast<int>(text.size()), &rect,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (centred ? DT_CENTER : DT_LEFT));
}

} // namespace controls
