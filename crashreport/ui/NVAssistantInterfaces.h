#pragma once
// The interfaces of the crash-report wizard: its items (INVItem and the kinds), its pages
// (INVForm) and the wizard (INVWizard): reference-counted interfaces with fixed identifiers;
// callers outside the wizard hold only these. Windows are uintptr_t handle values.
#include "core/Object.h"

#include <cstdint>
#include <string>

namespace crashui {

class INVBitmap;
class INVForm;
class INVItem;
class INVWizard;

class INVItem : public classlib::IInterface {
public:
    static constexpr classlib::TGUID IID =
        classlib::TGUID::FromText("{36EE4E77-B6B3-41D0-ABA7-3D9B90847EC0}");
    virtual std::string Name() const = 0;
    virtual uintptr_t Handle() const = 0;
    virtual bool TabStop() const = 0;
    virtual int32_t Spacing() const = 0;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual void TakeFocus() = 0;
};

class INVButton : public INVItem {
public:
    static constexpr classlib::TGUID IID =
        classlib::TGUID::FromText("{20E07644-4788-4FDF-8F90-B62C0E61E20B}");
    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual int32_t MinWidth() const = 0;
};

class INVLabel : public INVItem {
public:
    static constexpr classlib::TGUID IID =
        classlib::TGUID::FromText("{EA968486-7DA2-486F-9D40-DE0B7BDECBEC}");
    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
};

class INVEdit : public INVItem {
public:
    static constexpr classlib::TGUID IID =
        classlib::TGUID::FromText("{22AC205D-0FED-425B-BEBB-9FBAB850C1DC}");
    virtual int32_t Lines() const = 0;
    virtual bool Optional() const = 0;
    virtual std::string Text() = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual bool Colored() const = 0;
    virtual void SetColored(bool colored) = 0;
    virtual bool Valid() const = 0;
    virtual void SetValid(bool valid) = 0;
    virtual uint8_t OutputType() const = 0;
    virtual void SetOutputType(uint8_t type) = 0;
    virtual std::string OutputName() const = 0;
    virtual void SetOutputName(const std::string& name) = 0;
};

class INVCheckBox : public INVItem {
public:
    static constexpr classlib::TGUID IID =
        classlib::TGUID::FromText("{34E76977-C2B5-4819-B8F6-B6170089A03C}");
    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual bool Checked() const = 0;
    virtual void SetChecked(bool checked) = 0;
    virtual std::string OutputName() const = 0;
    virtual void SetOutputName(const std::string& name) = 0;
};

class INVImage : public INVItem {
public:
    static constexpr classlib::TGUID IID =
        classlib::TGUID::FromText("{A0DE7AC1-F790-4BDB-B6B2-453AF25A6B7B}");
    virtual std::string File() const = 0;
    virtual classlib::TInterfacePtr<INVBitmap> Bitmap() const = 0;
    virtual void SetBitmap(classlib::TInterfacePtr<INVBitmap> bitmap) = 0;
    virtual bool Clickable() const = 0;
    virtual bool Border() const = 0;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
};

// Page action codes.
enum : uint8_t { kActionCreated = 0, kActionShowing = 1, kActionClosed = 2, kActionItem = 3 };
// Modal results.
enum : uint8_t { kResultContinued = 1, kResultSkipped = 2, kResultCancelled = 3 };

// An action callback: (page, action code, item or null, reported exception).
using TNVAction = void (*)(INVForm& page, uint8_t action, INVItem* item, void* reportedException);

class INVForm : public classlib::IInterface {
public:
    static constexpr classlib::TGUID IID =
        classlib::TGUID::FromText("{9C62303F-3C4A-4E2F-9C14-74C518871995}");
    virtual INVWizard* Assistant() const = 0;
    virtual std::string Name() const = 0;
    virtual std::string Title() const = 0;
    virtual void SetTitle(const std::string& title) = 0;
    virtual std::string Message() const = 0;
    virtual void SetMessage(const std::string& message) = 0;
    virtual int32_t ItemCount() const = 0;
    virtual classlib::TInterfacePtr<INVItem> Item(int32_t index) const = 0;
    virtual classlib::TInterfacePtr<INVButton> ContinueBtn() const = 0;
    virtual classlib::TInterfacePtr<INVButton> SkipBtn() const = 0;
    virtual classlib::TInterfacePtr<INVButton> CancelBtn() const = 0;
    virtual std::string ActiveControl() const = 0;
    virtual void SetActiveControl(const std::string& name) = 0;
    virtual int32_t Timer() const = 0;
    virtual uintptr_t Handle() const = 0;
    virtual uint8_t ModalResult() const = 0;
    virtual TNVAction OnAction() const = 0;
    virtual void SetOnAction(TNVAction action) = 0;
    virtual classlib::TInterfacePtr<INVEdit> EditByName(const std::string& name) const = 0;
    virtual classlib::TInterfacePtr<INVLabel> LabelByName(const std::string& name) const = 0;
    virtual classlib::TInterfacePtr<INVButton> ButtonByName(const std::string& name) const = 0;
    virtual classlib::TInterfacePtr<INVCheckBox> CheckBoxByName(const std::string& name) const = 0;
    virtual classlib::TInterfacePtr<INVImage> ImageByName(const std::string& name) const = 0;
    virtual void Suppress() = 0;
    virtual uint8_t RunModal(uintptr_t parent) = 0;
    virtual void* ReportedException() const = 0;
    virtual void SetReportedException(void* exception) = 0;
    virtual uint32_t UserData() const = 0;
    virtual void SetUserData(uint32_t data) = 0;
};

class INVWizard : public classlib::IInterface {
public:
    static constexpr classlib::TGUID IID =
        classlib::TGUID::FromText("{14A3AFE4-B39F-4745-8F85-08FFABE8771C}");
    virtual std::string Title() const = 0;
    virtual void SetTitle(const std::string& title) = 0;
    virtual int32_t FormCount() const = 0;
    virtual classlib::TInterfacePtr<INVForm> Form(int32_t index) const = 0;
    virtual classlib::TInterfacePtr<INVForm> FormByName(const std::string& name) const = 0;
    virtual uint8_t ModalResult() const = 0;
    virtual TNVAction OnAction() const = 0;
    virtual void SetOnAction(TNVAction action) = 0;
    virtual uint8_t RunModal(uintptr_t parent) = 0;
    virtual void* ReportedException() const = 0;
    virtual void SetReportedException(void* exception) = 0;
    virtual uint32_t UserData() const = 0;
    virtual void SetUserData(uint32_t data) = 0;
};

} // namespace crashui
