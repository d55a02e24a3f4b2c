#include "draw/OcTypes.h"

#include "core/TypeInfo.h"

namespace draw {

CLASSLIB_PUBLISH(TOcComponent)
{
    c.Property("AboutOCL", &TOcComponent::AboutOCL, &TOcComponent::SetAboutOCL).Stored(false);
}

std::string VersionText(uint32_t packed)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        if (!text.empty())
            text += '.';
        text += std::to_string((packed >> shift) & 0xFF);
    }
    return text;
}

const std::array<TDefColorItem, 20> StandardColors = {{
    {0x000000, "clBlack", "Black"},
    {0x000080, "clMaroon", "Maroon"},
    {0x008000, "clGreen", "Green"},
    {0x008080, "clOlive", "Olive"},
    {0x800000, "clNavy", "Navy"},
    {0x800080, "clPurple", "Purple"},
    {0x808000, "clTeal", "Teal"},
    {0x808080, "clGray", "Gray"},
    {0xC0C0C0, "clSilver", "Silver"},
    {0x0000FF, "clRed", "Red"},
    {0x00FF00, "clLime", "Lime"},
    {0x00FFFF, "clYellow", "Yellow"},
    {0xFF0000, "clBlue", "Blue"},
    {0xFF00FF, "clFuchsia", "Fuchsia"},
    {0xFFFF00, "clAqua", "Aqua"},
    {0xFFFFFF, "clWhite", "White"},
    {0xC0DCC0, "clMoneyGreen", "Money Green"},
    {0xF0CAA6, "clSkyBlue", "Sky Blue"},
    {0xF0FBFF, "clCream", "Cream"},
    {0xA4A0A0, "clMedGray", "Medium Gray"},
}};

const std::array<TDefColorItem, 40> PaletteColors = {{
    {0x000000, "clBlack", "Black"},
    {0x003399, "clBrown", "Brown"},
    {0x003333, "clOliveGreen", "Olive Green"},
    {0x003300, "clDarkGreen", "Dark Green"},
    {0x663300, "clDarkTeal", "Dark Teal"},
    {0x800000, "clDarkBlue", "Dark Blue"},
    {0x993333, "clIndigo", "Indigo"},
    {0x333333, "clGray80", "Gray-80%"},
    {0x000080, "clDarkRed", "Dark Red"},
    {0x0066FF, "clOrange", "Orange"},
    {0x008080, "clDarkYellow", "Dark Yellow"},
    {0x008000, "clGreen", "Green"},
    {0x808000, "clTeal", "Teal"},
    {0xFF0000, "clBlue", "Blue"},
    {0x996666, "clBlueGray", "Blue-Gray"},
    {0x808080, "clGray50", "Gray-50%"},
    {0x0000FF, "clRed", "Red"},
    {0x0099FF, "clLightOrange", "Light Orange"},
    {0x00CC99, "clLime", "Lime"},
    {0x669933, "clSeaGreen", "Sea Green"},
    {0xCCCC33, "clAqua", "Aqua"},
    {0xFF6633, "clLightBlue", "Light Blue"},
    {0x800080, "clViolet", "Violet"},
    {0x969696, "clGray40", "Gray-40%"},
    {0xFF00FF, "clPink", "Pink"},
    {0x00CCFF, "clGold", "Gold"},
    {0x00FFFF, "clYellow", "Yellow"},
    {0x00FF00, "clBrightGreen", "Bright Green"},
    {0xFFFF00, "clTurquoise", "Turquoise"},
    {0xFFCC00, "clSkyBlue", "Sky Blue"},
    {0x663399, "clPlum", "Plum"},
    {0xC0C0C0, "clGray25", "Gray-25%"},
    {0xCC99FF, "clRose", "Rose"},
    {0x99CCFF, "clTan", "Tan"},
    {0x99FFFF, "clLightYellow", "Light Yellow"},
    {0xCCFFCC, "clLightGreen", "Light Green"},
    {0xFFFFCC, "clLightTurquoise", "Light Turquoise"},
    {0xFFCC99, "clPaleBlue", "Pale Blue"},
    {0xFF99CC, "clLavender", "Lavender"},
    {0xFFFFFF, "clWhite", "White"},
}};

namespace {
constexpr uint32_t System(uint32_t index)
{
    return 0xFF000000u | index;
}
} // namespace

// System colour indexes as the system numbers them (index 25 is unused).
const std::array<TDefColorItem, 30> SystemColors = {{
    {System(0), "clScrollBar", "Scroll Bar"},
    {System(1), "clBackground", "Background"},
    {System(2), "clActiveCaption", "Active Caption"},
    {System(3), "clInactiveCaption", "Inactive Caption"},
    {System(4), "clMenu", "Menu"},
    {System(5), "clWindow", "Window"},
    {System(6), "clWindowFrame", "Window Frame"},
    {System(7), "clMenuText", "Menu Text"},
    {System(8), "clWindowText", "Window Text"},
    {System(9), "clCaptionText", "Caption Text"},
    {System(10), "clActiveBorder", "Active Border"},
    {System(11), "clInactiveBorder", "Inactive Border"},
    {System(12), "clAppWorkSpace", "Application Workspace"},
    {System(13), "clHighlight", "Highlight"},
    {System(14), "clHighlightText", "Highlight Text"},
    {System(15), "clBtnFace", "Button Face"},
    {System(16), "clBtnShadow", "Button Shadow"},
    {System(17), "clGrayText", "Gray Text"},
    {System(18), "clBtnText", "Button Text"},
    {System(19), "clInactiveCaptionText", "Inactive Caption Text"},
    {System(20), "clBtnHighlight", "Button Highlight"},
    {System(21), "cl3DDkShadow", "3D Dark Shadow"},
    {System(22), "cl3DLight", "3D Light"},
    {System(23), "clInfoText", "Info Text"},
    {System(24), "clInfoBk", "Info Background"},
    {System(26), "clHotLight", "Hot Light"},
    {System(27), "clGradientActiveCaption", "Gradient Active Caption"},
    {System(28), "clGradientInactiveCaption", "Gradient Inactive Caption"},
    {System(30), "clMenuBar", "Menu Bar"},
    {System(29), "clMenuHighlight", "Menu Highlight"},
}};

CLASSLIB_PUBLISH(TOcPersistent) {}
CLASSLIB_PUBLISH(TOcPersistentProperty) {}

TOcPersistent::TOcPersistent(classlib::TPersistent* owner)
    : classlib::TComponent(dynamic_cast<classlib::TComponent*>(owner)), owner_(owner)
{
    SetSubComponent(true);
}

std::string TOcPersistent::GetNamePath() const
{
    std::string result = classlib::TComponent::GetNamePath();
    if (!owner_)
        return result;
    const auto* ownerComponent = dynamic_cast<const classlib::TComponent*>(owner_);
    const bool ownerIsSubObject =
        ownerComponent && ownerComponent->ComponentStyle().Contains(classlib::csSubComponent);
    if (ownerIsSubObject || owner_->GetOwner()) {
        const std::string ownerPath = owner_->GetNamePath();
        if (!ownerPath.empty())
            result = ownerPath + "." + result;
    }
    return result;
}

void TOcPersistentProperty::NotifyChanged()
{
    if (updateCount_ == 0 && OnAfterChange)
        OnAfterChange(this);
}

void TOcPersistentProperty::NotifyChanging()
{
    if (updateCount_ == 0 && OnBeforeChange)
        OnBeforeChange(this);
}

void TOcPersistentProperty::NotifyChangedProperty(const std::string& name)
{
    if (OnAfterPropertyChange)
        OnAfterPropertyChange(this, name);
}

void TOcPersistentProperty::NotifyChangingProperty(const std::string& name)
{
    if (OnBeforePropertyChange)
        OnBeforePropertyChange(this, name);
}

void TOcPersistentProperty::SetUpdating(bool updating)
{
    if (updating)
        NotifyChanging();
    else
        NotifyChanged();
}

void TOcPersistentProperty::BeginChanges()
{
    if (updateCount_ == 0)
        SetUpdating(true);
    ++updateCount_;
}

void TOcPersistentProperty::EndChanges()
{
    // An unmatched EndChanges would leave the count below zero and silence every later change.
    if (updateCount_ == 0)
        return;
    --updateCount_;
    if (updateCount_ == 0)
        SetUpdating(false);
}

} // namespace draw
