// TOcExGraphicControl: a graphic control whose window procedure turns the class library's
// component notifications (CM_ messages) into overridable methods, with mouse-over tracking
// and a hint colour of its own. The base of the extended labels.
#pragma once

#include <windows.h>

#include <string>

#include "core/Object.h"
#include "draw/OcTypes.h"
#include "windows/Controls.h"

namespace draw {

// Marks the extended controls (no methods beyond the basic interface operations).
struct IOcExControl {
    static constexpr classlib::TGUID IID =
        classlib::TGUID::FromText("{8E6579C3-D683-4562-AFAB-D23C8526E386}");
};

// Asked for by message 0xB7D0; no class of the system implements it.
struct IOcExControlQuery {
    static constexpr classlib::TGUID IID =
        classlib::TGUID::FromText("{76942BC0-2A6E-4DC4-BFC9-8E110DB7F601}");
};
constexpr UINT CM_OCEX_SUPPORTSQUERY = 0xB7D0;

// The key data of a keystroke message for a shift state (Shift 0x08000000, Alt 0x20000000,
// Ctrl 0x10000000).
uint32_t ShiftToKeyFlags(classlib::TShiftState shift);

// Sets the hint's colour from a control's HintColor: clNone gives the application's hint
// colour, clDefault the one the control's parent puts into a copy of the hint (unchanged
// without a parent), any other value itself.
void ResolveHintColor(classlib::THintInfo& hintInfo, classlib::TControl* control,
                      classlib::TColor hintColor);

// Whether a form designer takes the message instead of the control. Focus, cancel-mode,
// hit-test, keyboard and mouse messages never go to one; the class library has no form
// designer, so no other message does either.
bool IsDesignerMessage(classlib::TControl* control, const classlib::TMessage& message);

class TOcExGraphicControl : public classlib::TGraphicControl {
    CLASSLIB_CLASS(TOcExGraphicControl, classlib::TGraphicControl)
    explicit TOcExGraphicControl(classlib::TComponent* owner);

    void WndProc(classlib::TMessage& message) override;
    bool GetInterface(const classlib::TGUID& iid, void** obj) override;

    TOCLAboutInfo AboutOCL() const { return {}; }
    void SetAboutOCL(const TOCLAboutInfo&) {}
    classlib::TColor HintColor() const { return hintColor_; }
    void SetHintColor(classlib::TColor value) { hintColor_ = value; }
    bool MouseOver() const { return mouseOver_; }
    // The hint window class put into the hints of this control; none leaves the application's.
    const classlib::TMetaClass* HintWindowClass() const { return hintWindowClass_; }
    void SetHintWindowClass(const classlib::TMetaClass* value) { hintWindowClass_ = value; }

    classlib::TNotifyEvent OnParentColorChange;

    // Runs the inherited window procedure on a message built from the arguments.
    LRESULT SendToBase(UINT msg, WPARAM wParam, LPARAM lParam);
    // The same with a pointer to a record in LParam.
    LRESULT SendStructToBase(UINT msg, WPARAM wParam, void* record);

protected:
    virtual void NotifyTextChanged();
    virtual bool QueryWantKey(WORD key, classlib::TShiftState shift, const std::wstring& keyText);
    virtual bool QueryHitTest(int x, int y);
    virtual void NotifyFocusChanged(classlib::TControl* control);
    virtual void NotifyVisibleChanged();
    virtual void NotifyEnabledChanged();
    virtual void NotifyColorChanged();
    virtual void NotifyFontChanged();
    virtual void NotifyParentFontChanged();
    virtual void NotifyParentColorChanged();
    virtual void NotifyParentShowHintChanged();
    virtual bool PrepareHintShow(classlib::THintInfo& hintInfo);
    virtual void NotifyMouseEnter(classlib::TControl* control);
    virtual void NotifyMouseLeave(classlib::TControl* control);

    bool mouseOver_ = false;

private:
    classlib::TColor hintColor_ = classlib::clDefault;
    const classlib::TMetaClass* hintWindowClass_ = nullptr;
};

} // namespace draw
