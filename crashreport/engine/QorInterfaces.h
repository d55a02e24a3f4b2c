#pragma once
// The faces of one reported exception (portable): `IQESettings`, the settings of one exception
// (typed reads and writes by key, with one getter per key the dialogs read), `IQEException`,
// what the pipeline, the handlers, the dialogs and the delivery see of it, and `IQEExceptionEx`,
// the engine's own bookkeeping. The object behind them is `TIQEException` (QorReport.h).
//
// The engine sits below the dialogs: what an action needs of them (showing the exception,
// delivering, saving and printing the report, the screenshot, the please-wait alert) is reached
// through `ReportActions`, a table of callbacks the dialogs' library fills at start-up
// (QorReportActions.h).
#include "QorReportLists.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace qor {

class IQEException;

// Settings by key; every value falls back to the module's setting and then to the built-in
// default. The named getters are the keys the exception box and the presentation read.
class IQESettings {
public:
    virtual ~IQESettings() = default;

    virtual uintptr_t ModuleHandle() = 0;
    virtual bool BoolProp(std::string_view key) = 0;
    virtual int32_t IntProp(std::string_view key) = 0;
    virtual std::string StrProp(std::string_view key) = 0;
    virtual bool SetBoolProp(std::string_view key, bool value) = 0;
    virtual bool SetIntProp(std::string_view key, int32_t value) = 0;
    virtual bool SetStrProp(std::string_view key, std::string_view value) = 0;

    bool AutoShowBugRep() { return BoolProp("AutoShowBugRep"); }
    void SetAutoShowBugRep(bool value) { SetBoolProp("AutoShowBugRep", value); }
    bool SendBtnVis() { return BoolProp("SendBtnVis"); }
    bool SaveBtnVis() { return BoolProp("SaveBtnVis"); }
    bool PrintBtnVis() { return BoolProp("PrintBtnVis"); }
    bool ShowBtnVis() { return BoolProp("ShowBtnVis"); }
    void SetShowBtnVis(bool value) { SetBoolProp("ShowBtnVis", value); }
    bool ContinueBtnVis() { return BoolProp("ContinueBtnVis"); }
    bool RestartBtnVis() { return BoolProp("RestartBtnVis"); }
    bool CloseBtnVis() { return BoolProp("CloseBtnVis"); }
    uint8_t FocusedBtn() { return static_cast<uint8_t>(IntProp("FocusedBtn")); }
    void SetFocusedBtn(uint8_t value) { SetIntProp("FocusedBtn", value); }
    bool UglyBtns() { return BoolProp("UglyBtns"); }
    int32_t AutoContinue() { return IntProp("AutoContinue"); }
    void SetAutoContinue(int32_t value) { SetIntProp("AutoContinue", value); }
    int32_t AutoRestart() { return IntProp("AutoRestart"); }
    void SetAutoRestart(int32_t value) { SetIntProp("AutoRestart", value); }
    int32_t AutoClose() { return IntProp("AutoClose"); }
    void SetAutoClose(int32_t value) { SetIntProp("AutoClose", value); }
    int32_t AutoDelay() { return IntProp("AutoDelay"); }
    void SetPlWaitBox(bool value) { SetBoolProp("PlWaitBox", value); }
    std::string TitleBar() { return StrProp("TitleBar"); }
    std::string ExceptMsg() { return StrProp("ExceptMsg"); }
    std::string FrozenMsg() { return StrProp("FrozenMsg"); }
    std::string SendBtnTxt() { return StrProp("SendBtnTxt"); }
    std::string SaveBtnTxt() { return StrProp("SaveBtnTxt"); }
    std::string PrintBtnTxt() { return StrProp("PrintBtnTxt"); }
    std::string ShowBtnTxt() { return StrProp("ShowBtnTxt"); }
    std::string ContinueBtnTxt() { return StrProp("ContinueBtnTxt"); }
    std::string RestartBtnTxt() { return StrProp("RestartBtnTxt"); }
    std::string CloseBtnTxt() { return StrProp("CloseBtnTxt"); }
    std::string OkBtnTxt() { return StrProp("OkBtnTxt"); }
    std::string DetailsBtnTxt() { return StrProp("DetailsBtnTxt"); }
};

// A report listener: called with the complete flag, the report text and the exception whenever
// the report changes, in the thread that changed it.
using ReportListener =
    std::function<void(bool complete, const std::string& report, IQEException& exception)>;

// A screenshot held by the exception (the dialogs' bitmap; opaque to the engine).
using ReportScreenshot = std::shared_ptr<void>;

enum ReportKindCode : uint8_t { reportException = 0, reportFrozen = 1, reportHidden = 2 };
enum DisplayModeCode : uint8_t {
    displayFullBox = 0,
    displayAssistant = 1,
    displayDetailBox = 2,
    displaySimpleBox = 3
};

class IQEException : public IQESettings {
public:
    virtual uint8_t Stage() = 0;
    virtual bool Continuable() = 0;
    // False is always taken, true only when the exception was continuable at creation.
    virtual void SetContinuable(bool value) = 0;
    virtual uint8_t ReportKind() = 0;
    // The exception object (may be empty) and the message the interception point gave.
    virtual std::exception_ptr ErrorObject() = 0;
    virtual std::string ErrorClassName() = 0;
    virtual std::string ErrorMessage() = 0;
    virtual uintptr_t ErrorAddress() = 0;
    virtual uint32_t FaultingThreadId() = 0;
    // Index 0..2; 0 for any other index and before the report is complete.
    virtual uint32_t StackCrc(int index) = 0;
    // The copy of the thread context, null when none was given (a CONTEXT on Windows).
    virtual const void* CpuContext() = 0;
    virtual uint8_t OriginCode() = 0;
    virtual uintptr_t AssociatedObject() = 0;
    virtual uintptr_t PackageHandle() = 0;
    virtual IQEFields ReportHeader() = 0;
    virtual IQEFields ReportSections() = 0;
    // The complete report (waits for the completion), or with `mustBeComplete` false the text
    // as it stands.
    virtual std::string ReportText() = 0;
    virtual std::string ReportText(bool mustBeComplete) = 0;
    virtual void SetReportText(const std::string& text) = 0;
    virtual ReportScreenshot ScreenImage() = 0;
    virtual void SetScreenImage(ReportScreenshot image) = 0;
    virtual void HoldChanges() = 0;
    virtual void ReleaseChanges() = 0;
    // A listener is identified by its key (a procedure's or an object's address); adding a key
    // again only replaces its critical flag. A new listener is called at once.
    virtual void AddReportListener(const void* key, ReportListener listener, bool critical) = 0;
    virtual void RemoveReportListener(const void* key) = 0;
    virtual bool WantsReport() = 0;
    virtual void SetWantsReport(bool value) = 0;
    virtual bool WantsScreenshot() = 0;
    virtual void SetWantsScreenshot(bool value) = 0;
    virtual bool RunsHandlers() = 0;
    virtual void SetRunsHandlers(bool value) = 0;
    virtual bool AttachScreenshot() = 0;
    virtual void SetAttachScreenshot(bool value) = 0;
    virtual uint8_t DisplayMode() = 0;
    virtual void SetDisplayMode(uint8_t value) = 0;
    virtual std::string DisplayAssistant() = 0;
    virtual void SetDisplayAssistant(const std::string& value) = 0;
    virtual void Present() = 0;
    // Windows are handle values; 0 takes the open exception window, if any.
    virtual void PerformShowReport(uintptr_t parent) = 0;
    virtual void PerformSend(uintptr_t parent) = 0;
    virtual void PerformSave(uintptr_t parent) = 0;
    virtual void PerformPrint(uintptr_t parent) = 0;
    virtual void PerformContinue(uintptr_t parent) = 0;
    virtual void PerformRestart(uintptr_t parent) = 0;
    virtual void PerformClose(uintptr_t parent) = 0;
};

class IQEExceptionEx {
public:
    virtual ~IQEExceptionEx() = default;
    virtual bool HasCriticalListener() = 0;
    virtual uint32_t CompletionThreadId() = 0;
    // 3 is stored as 4 when the report is already complete.
    virtual void SetStage(uint8_t stage) = 0;
    virtual bool ReportSent() = 0;
    virtual void SetReportSent(bool value) = 0;
    virtual bool ReportSaved() = 0;
    virtual void SetReportSaved(bool value) = 0;
    // True for the first caller ever, from any thread.
    virtual bool ClaimCompletionCall() = 0;
    virtual bool ClaimAutoSave() = 0;
    // The stored handle of the last background send thread (the delivery fills it, the next
    // send closes it).
    virtual uintptr_t* SendThreadSlot() = 0;
};

} // namespace qor
