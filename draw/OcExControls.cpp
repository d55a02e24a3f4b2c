#include "draw/OcExControls.h"

#include <iterator>

#include "core/TypeInfo.h"

using namespace classlib;

namespace draw {

CLASSLIB_PUBLISH(TOcExGraphicControl)
{
    c.Property("AboutOCL", &TOcExGraphicControl::AboutOCL, &TOcExGraphicControl::SetAboutOCL)
        .Stored(false);
    AsColorProperty(c.Property("HintColor", &TOcExGraphicControl::HintColor,
                               &TOcExGraphicControl::SetHintColor))
        .SetDefault(static_cast<int64_t>(clDefault));
}

uint32_t ShiftToKeyFlags(TShiftState shift)
{
    static const struct {
        TShiftStateFlag flag;
        uint32_t bits;
    } keyFlags[] = {{ssShift, 0x08000000}, {ssAlt, 0x20000000}, {ssCtrl, 0x10000000}};
    uint32_t result = 0;
    for (const auto& k : keyFlags)
        if (shift.Contains(k.flag))
            result |= k.bits;
    return result;
}

void ResolveHintColor(THintInfo& hintInfo, TControl* control, TColor hintColor)
{
    if (hintColor == clNone) {
        hintInfo.HintColor = THintManager::Instance().HintColor;
    } else if (hintColor == clDefault) {
        if (control && control->Parent()) {
            THintInfo copy = hintInfo;
            control->Parent()->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&copy));
            hintInfo.HintColor = copy.HintColor;
        }
    } else {
        hintInfo.HintColor = hintColor;
    }
}

bool IsDesignerMessage(TControl*, const TMessage& message)
{
    // Focus, cancel-mode and hit-test messages, keyboard (256..265) and mouse (512..522)
    // messages are the control's own; a designer could only take the others at design time,
    // and the class library has none.
    (void)message;
    return false;
}

TOcExGraphicControl::TOcExGraphicControl(TComponent* owner) : TGraphicControl(owner) {}

bool TOcExGraphicControl::GetInterface(const TGUID& iid, void** obj)
{
    if (iid == IOcExControl::IID) {
        *obj = static_cast<IInterface*>(this);
        return true;
    }
    return TGraphicControl::GetInterface(iid, obj);
}

LRESULT TOcExGraphicControl::SendToBase(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage message{msg, wParam, lParam, 0};
    TGraphicControl::WndProc(message);
    return message.Result;
}

LRESULT TOcExGraphicControl::SendStructToBase(UINT msg, WPARAM wParam, void* record)
{
    return SendToBase(msg, wParam, reinterpret_cast<LPARAM>(record));
}

void TOcExGraphicControl::WndProc(TMessage& message)
{
    if (IsDesignerMessage(this, message)) {
        TGraphicControl::WndProc(message);
        return;
    }
    using Self = TOcExGraphicControl;
    static const struct {
        UINT msg;
        void (*handle)(Self&, TMessage&);
    } routes[] = {
        {CM_DIALOGCHAR,
         [](Self& c, TMessage& m) {
             const WORD key = LOWORD(m.WParam);
             m.Result = c.QueryWantKey(key, KeyDataToShiftState(m.LParam),
                                       std::wstring(1, static_cast<wchar_t>(key)));
         }},
        {CM_FOCUSCHANGED,
         [](Self& c, TMessage& m) { c.NotifyFocusChanged(reinterpret_cast<TControl*>(m.LParam)); }},
        {CM_PARENTFONTCHANGED, [](Self& c, TMessage&) { c.NotifyParentFontChanged(); }},
        {CM_PARENTCOLORCHANGED, [](Self& c, TMessage&) { c.NotifyParentColorChanged(); }},
        {CM_HITTEST,
         [](Self& c, TMessage& m) {
             m.Result = c.QueryHitTest(static_cast<short>(LOWORD(m.LParam)),
                                       static_cast<short>(HIWORD(m.LParam)));
         }},
        {CM_VISIBLECHANGED, [](Self& c, TMessage&) { c.NotifyVisibleChanged(); }},
        {CM_ENABLEDCHANGED, [](Self& c, TMessage&) { c.NotifyEnabledChanged(); }},
        {CM_COLORCHANGED, [](Self& c, TMessage&) { c.NotifyColorChanged(); }},
        {CM_FONTCHANGED, [](Self& c, TMessage&) { c.NotifyFontChanged(); }},
        {CM_TEXTCHANGED, [](Self& c, TMessage&) { c.NotifyTextChanged(); }},
        {CM_MOUSEENTER,
         [](Self& c, TMessage& m) { c.NotifyMouseEnter(reinterpret_cast<TControl*>(m.LParam)); }},
        {CM_MOUSELEAVE,
         [](Self& c, TMessage& m) { c.NotifyMouseLeave(reinterpret_cast<TControl*>(m.LParam)); }},
        {CM_PARENTSHOWHINTCHANGED, [](Self& c, TMessage&) { c.NotifyParentShowHintChanged(); }},
        {CM_HINTSHOW,
         [](Self& c, TMessage& m) {
             m.Result = c.PrepareHintShow(*reinterpret_cast<THintInfo*>(m.LParam));
         }},
        {CM_OCEX_SUPPORTSQUERY,
         [](Self& c, TMessage& m) {
             void* obj = nullptr;
             m.Result = c.GetInterface(IOcExControlQuery::IID, &obj);
         }},
    };
    for (const auto& route : routes)
        if (route.msg == message.Msg) {
            route.handle(*this, message);
            return;
        }
    TGraphicControl::WndProc(message);
}

void TOcExGraphicControl::NotifyTextChanged()
{
    SendToBase(CM_TEXTCHANGED, 0, 0);
}

bool TOcExGraphicControl::QueryWantKey(WORD key, TShiftState shift, const std::wstring&)
{
    return SendToBase(CM_DIALOGCHAR, key, static_cast<LPARAM>(ShiftToKeyFlags(shift))) != 0;
}

bool TOcExGraphicControl::QueryHitTest(int x, int y)
{
    return SendToBase(CM_HITTEST, 0, PointToLParam(x, y)) != 0;
}

void TOcExGraphicControl::NotifyFocusChanged(TControl* control)
{
    SendToBase(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
}

void TOcExGraphicControl::NotifyVisibleChanged()
{
    SendToBase(CM_VISIBLECHANGED, 0, 0);
}
void TOcExGraphicControl::NotifyEnabledChanged()
{
    SendToBase(CM_ENABLEDCHANGED, 0, 0);
}
void TOcExGraphicControl::NotifyColorChanged()
{
    SendToBase(CM_COLORCHANGED, 0, 0);
}
void TOcExGraphicControl::NotifyFontChanged()
{
    SendToBase(CM_FONTCHANGED, 0, 0);
}
void TOcExGraphicControl::NotifyParentFontChanged()
{
    SendToBase(CM_PARENTFONTCHANGED, 0, 0);
}
void TOcExGraphicControl::NotifyParentShowHintChanged()
{
    SendToBase(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TOcExGraphicControl::NotifyParentColorChanged()
{
    SendToBase(CM_PARENTCOLORCHANGED, 0, 0);
    if (OnParentColorChange)
        OnParentColorChange(this);
}

bool TOcExGraphicControl::PrepareHintShow(THintInfo& hintInfo)
{
    ResolveHintColor(hintInfo, this, hintColor_);
    if (hintWindowClass_)
        hintInfo.HintWindowClass = hintWindowClass_;
    return SendStructToBase(CM_HINTSHOW, 0, &hintInfo) != 0;
}

// The inherited handling fires OnMouseEnter and OnMouseLeave itself for a message about the
// control's own pointer (LParam 0); the control is passed on in LParam so that each event runs
// once, in the order this class gives it.
void TOcExGraphicControl::NotifyMouseEnter(TControl* control)
{
    mouseOver_ = true;
    if (OnMouseEnter)
        OnMouseEnter(this);
    SendToBase(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(control ? control : this));
}

void TOcExGraphicControl::NotifyMouseLeave(TControl* control)
{
    mouseOver_ = false;
    SendToBase(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(control ? control : this));
    if (OnMouseLeave)
        OnMouseLeave(this);
}

} // namespace draw
