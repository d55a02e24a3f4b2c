#pragma once
// Stand-in for the engine's reported-exception interfaces (IQESettings, IQEException) and the
// engine services the presentation calls, until the engine's own land. Only the operations the
// exception box, the report tabs and the presentation use are here, with the engine's names;
// the engine's objects implement them, tests implement them with fakes. Portable: windows are
// passed as uintptr_t (a window handle's value).
#include "NVAssistantInterfaces.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace crashui {

// Settings of the faulting module (one getter per key, setters for the keys the box writes).
class IQESettings {
public:
    virtual ~IQESettings() = default;

    virtual uintptr_t ModuleHandle() = 0;
    virtual bool AutoShowBugRep() = 0;
    virtual void SetAutoShowBugRep(bool value) = 0;
    virtual bool SendBtnVis() = 0;
    virtual bool SaveBtnVis() = 0;
    virtual bool PrintBtnVis() = 0;
    virtual bool ShowBtnVis() = 0;
    virtual void SetShowBtnVis(bool value) = 0;
    virtual bool ContinueBtnVis() = 0;
    virtual bool RestartBtnVis() = 0;
    virtual bool CloseBtnVis() = 0;
    virtual uint8_t FocusedBtn() = 0;
    virtual void SetFocusedBtn(uint8_t value) = 0;
    virtual bool UglyBtns() = 0;
    virtual int32_t AutoContinue() = 0;
    virtual void SetAutoContinue(int32_t value) = 0;
    virtual int32_t AutoRestart() = 0;
    virtual void SetAutoRestart(int32_t value) = 0;
    virtual int32_t AutoClose() = 0;
    virtual void SetAutoClose(int32_t value) = 0;
    virtual int32_t AutoDelay() = 0;
    virtual void SetPlWaitBox(bool value) = 0;
    virtual std::string TitleBar() = 0;
    virtual std::string ExceptMsg() = 0;
    virtual std::string FrozenMsg() = 0;
    virtual std::string SendBtnTxt() = 0;
    virtual std::string SaveBtnTxt() = 0;
    virtual std::string PrintBtnTxt() = 0;
    virtual std::string ShowBtnTxt() = 0;
    virtual std::string ContinueBtnTxt() = 0;
    virtual std::string RestartBtnTxt() = 0;
    virtual std::string CloseBtnTxt() = 0;
    virtual std::string OkBtnTxt() = 0;
    virtual std::string DetailsBtnTxt() = 0;
    virtual std::string MailFrom() = 0;
    virtual void SetMailFrom(const std::string& value) = 0;
    // The wizard of the Assistant1, Assistant2, ... setting of that name; empty when none.
    virtual classlib::TInterfacePtr<INVWizard> AssistantByName(const std::string& name) = 0;
};

// Called with (complete, report text) whenever the report changes, on the report thread.
using TReportListener = std::function<void(bool complete, const std::string& report)>;

class IQEException : public IQESettings {
public:
    virtual std::string ReportText(bool wait) = 0;
    virtual int ReportKind() = 0; // 0 exception, 1 frozen application, 2 hidden
    virtual std::string ErrorMessage() = 0;
    virtual std::string ErrorClassName() = 0;
    virtual bool Continuable() = 0;
    virtual int DisplayMode() = 0; // 0 full box, 1 assistant, 2 detail box, 3 simple box, 4 none
    virtual std::string DisplayAssistant() = 0;
    virtual std::vector<std::pair<std::string, std::string>> ReportHeader() = 0;
    virtual std::vector<std::pair<std::string, std::string>> ReportSections() = 0;
    // The listener is identified by its key when it is removed.
    virtual void AddReportListener(const void* key, TReportListener listener) = 0;
    virtual void RemoveReportListener(const void* key) = 0;
    virtual void PerformSend(uintptr_t parent) = 0;
    virtual void PerformSave(uintptr_t parent) = 0;
    virtual void PerformPrint(uintptr_t parent) = 0;
    virtual void PerformContinue(uintptr_t parent) = 0;
    virtual void PerformRestart(uintptr_t parent) = 0;
    virtual void PerformClose(uintptr_t parent) = 0;
    virtual void PerformShowReport(uintptr_t parent) = 0;
    // The screenshot (taken on the first request when one is wanted; nil when none) and whether
    // it goes with the report.
    virtual classlib::TInterfacePtr<INVBitmap> ScreenImage() = 0;
    virtual void SetScreenImage(classlib::TInterfacePtr<INVBitmap> image) = 0;
    virtual bool AttachScreenshot() = 0;
    virtual void SetAttachScreenshot(bool value) = 0;

    // Engine services reached through the exception in this stand-in (free routines of the
    // engine otherwise).
    // ExpandPlaceholders(module, text, class name, report, message).
    virtual std::string ExpandPlaceholders(const std::string& text, const std::string& className,
                                           const std::string& report,
                                           const std::string& message) = 0;
    // DispatchHandlers for an action event; true when a handler took the action.
    virtual bool DispatchAction(uintptr_t parent, int actionCode) = 0;
    // AutoButtonDue(setting value).
    virtual bool AutoButtonDue(int32_t value) = 0;
    // StoreAssistantInput and IQESettingsInternal.SaveFormCache.
    virtual void StoreAssistantInput(INVWizard& wizard) = 0;
    virtual void SaveFormCache(INVWizard& wizard) = 0;
};

} // namespace crashui
