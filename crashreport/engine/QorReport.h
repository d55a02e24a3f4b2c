#pragma once
// One reported exception or detected freeze (Windows): `TIQEException`, its per-exception
// settings over the module's, the bug-report header and sections, the completion that fills the
// sections (in a thread of its own when made on the handling thread), the change notification,
// and the actions. The portable texts are QorReportText; the dialogs' part is reached through
// QorReportActions.
#include "QorInterfaces.h"
#include "QorReportActions.h"
#include "StackTracer.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qor {

class TIQESettings;

// What the pipeline knows of an exception when it makes the object.
struct ExceptionObjectArguments {
    uint8_t kind = reportException;
    std::exception_ptr object;
    std::string message; // the interception point's text when there is no object
    uintptr_t address = 0;
    bool dontCompleteYet = false; // the sections are filled when the text is asked for
    uintptr_t packageHandle = 0;
    uintptr_t associatedObject = 0;
    uint8_t origin = 0;
    // None: the settings of the module at `address`, else those of the caller's module.
    std::shared_ptr<TIQESettings> moduleSettings;
    const CONTEXT* context = nullptr;
    uintptr_t framePointer = 0;    // 0: the caller's
    uintptr_t stackPosition = 0;   // 0: the caller's
    uint32_t faultingThreadId = 0; // 0: the calling thread
    bool continuable = true;
    // The stack candidates captured at a throw (entry 0 holds their number): the faulting
    // thread's trace starts from them instead of a scan made now, after the stack unwound.
    std::vector<TDAPreStackItem> preparedStack;
};

class TIQEException;
std::shared_ptr<TIQEException> CreateExceptionObject(const ExceptionObjectArguments& arguments);

// The open exception window of this process (class "qorExceptWndClass"), or none.
HWND ExceptionBoxWindow();

// The routine that lists the code of the routine at `routineStart` with `location` marked, for
// the "disassembling" section (arguments: FormatDisAsm, LimitDisAsm). Set at start-up by the
// listing's link module; while none is set, reports have no such section.
using DisassemblyRoutine = std::string (*)(uint32_t routineStart, uint32_t location,
                                           bool automaticDelimiters, uint32_t maxLines);
void SetDisassemblyRoutine(DisassemblyRoutine routine);

class TIQEException final : public IQEException,
                            public IQEExceptionEx,
                            public FieldsOwnerException {
public:
    explicit TIQEException(const ExceptionObjectArguments& arguments);
    ~TIQEException() override;
    TIQEException(const TIQEException&) = delete;
    TIQEException& operator=(const TIQEException&) = delete;

    // IQESettings: the exception's own values, else the module's, else the defaults.
    uintptr_t ModuleHandle() override;
    bool BoolProp(std::string_view key) override;
    int32_t IntProp(std::string_view key) override;
    std::string StrProp(std::string_view key) override;
    bool SetBoolProp(std::string_view key, bool value) override;
    bool SetIntProp(std::string_view key, int32_t value) override;
    bool SetStrProp(std::string_view key, std::string_view value) override;

    // IQEException
    uint8_t Stage() override { return stage_; }
    bool Continuable() override { return continuable_; }
    void SetContinuable(bool value) override { continuable_ = value && continuableAtCreation_; }
    uint8_t ReportKind() override { return kind_; }
    std::exception_ptr ErrorObject() override { return object_; }
    std::string ErrorClassName() override;
    std::string ErrorMessage() override;
    uintptr_t ErrorAddress() override { return address_; }
    uint32_t FaultingThreadId() override { return faultingThreadId_; }
    uint32_t StackCrc(int index) override;
    const void* CpuContext() override { return hasContext_ ? &context_ : nullptr; }
    uint8_t OriginCode() override { return origin_; }
    uintptr_t AssociatedObject() override { return associatedObject_; }
    uintptr_t PackageHandle() override { return packageHandle_; }
    IQEFields ReportHeader() override;
    IQEFields ReportSections() override;
    std::string ReportText() override { return ReportText(true); }
    std::string ReportText(bool mustBeComplete) override;
    void SetReportText(const std::string& text) override;
    ReportScreenshot ScreenImage() override;
    void SetScreenImage(ReportScreenshot image) override;
    void HoldChanges() override;
    void ReleaseChanges() override;
    void AddReportListener(const void* key, ReportListener listener, bool critical) override;
    void RemoveReportListener(const void* key) override;
    bool WantsReport() override { return wantsReport_; }
    void SetWantsReport(bool value) override { wantsReport_ = value; }
    bool WantsScreenshot() override { return wantsScreenshot_; }
    void SetWantsScreenshot(bool value) override { wantsScreenshot_ = value; }
    bool RunsHandlers() override { return runsHandlers_; }
    void SetRunsHandlers(bool value) override { runsHandlers_ = value; }
    bool AttachScreenshot() override { return attachScreenshot_; }
    void SetAttachScreenshot(bool value) override { attachScreenshot_ = value; }
    uint8_t DisplayMode() override { return displayMode_; }
    void SetDisplayMode(uint8_t value) override { displayMode_ = value; }
    std::string DisplayAssistant() override;
    void SetDisplayAssistant(const std::string& value) override;
    void Present() override;
    void PerformShowReport(uintptr_t parent) override;
    void PerformSend(uintptr_t parent) override;
    void PerformSave(uintptr_t parent) override;
    void PerformPrint(uintptr_t parent) override;
    void PerformContinue(uintptr_t parent) override;
    void PerformRestart(uintptr_t parent) override;
    void PerformClose(uintptr_t parent) override;

    // IQEExceptionEx
    bool HasCriticalListener() override;
    uint32_t CompletionThreadId() override { return completionThreadId_; }
    void SetStage(uint8_t stage) override;
    bool ReportSent() override { return sent_; }
    void SetReportSent(bool value) override { sent_ = value; }
    bool ReportSaved() override { return saved_; }
    void SetReportSaved(bool value) override { saved_ = value; }
    bool ClaimCompletionCall() override { return ++completionClaims_ == 0; }
    bool ClaimAutoSave() override { return ++autoSaveClaims_ == 0; }
    uintptr_t* SendThreadSlot() override { return &sendThread_; }

    // Every change of the header or the sections (FieldsOwnerException).
    void MarkReportChanged() override;
    bool ReportComplete() const { return complete_; }
    // Fills the sections; in the completion thread, or in the calling one.
    void ReportCompletionThread();

private:
    std::string InternalError(const std::string& routine);
    struct SettingValue {
        uint8_t kind;
        bool boolean;
        int32_t integer;
        std::string text;
    };
    struct ThreadStack {
        std::string name;
        uint32_t currentAddress = 0;
        bool isExceptionThread = false;
        bool external = false;
        uint32_t stackPosition = 0, stackTop = 0;
        uintptr_t creatorAddress = 0;
        uint32_t framePointer = 0;
        bool termination = false;
        std::vector<uint8_t> preparedItems; // the pre-scanned candidates (TDAPreStackList)
        uint32_t creatorThreadId = 0;
    };
    struct Listener {
        const void* key;
        ReportListener listener;
        bool critical;
    };
    struct TraceOut {
        uint32_t firstChecksum = 0, chainChecksum = 0;
        uint32_t exceptionAddress = 0;
        uint32_t routineStart = 0, routineAddress = 0; // of the newest frame, for the listing
        bool hasLines = false;
        std::string text;
    };

    const SettingValue* OwnValue(std::string_view key) const;
    void Store(std::string_view key, SettingValue value);
    void ApplyClassFilters();
    void BuildReport();
    void BuildHeader();
    void BuildSections();
    void AddThreadSection(std::vector<std::pair<std::string, std::string>>& sections,
                          uint32_t threadId, bool exceptionThread);
    void StartCompletion();
    void RunCompletion();
    void CompleteSection(const std::string& name, const std::string& text);
    TraceOut GetThreadReport(ThreadStack& record);
    std::string StackDumpText();
    // ShowDisAsm is on and a listing routine is set.
    bool ListsDisassembly();
    std::string CleartextDisassembly(uint32_t routineStart, uint32_t location);
    std::string CpuRegistersSection();
    void NotifyReportListeners();
    HWND ActionWindow(uintptr_t parent) const;
    void EndWithAction(uint8_t action, uintptr_t parent, bool close);

    std::shared_ptr<TIQESettings> moduleSettings_;
    mutable std::mutex settingsLock_;
    std::map<std::string, SettingValue, std::less<>> own_;

    std::atomic<uint8_t> stage_{0};
    std::atomic<bool> continuable_{true};
    bool continuableAtCreation_ = true;
    uint8_t kind_ = reportException;
    std::exception_ptr object_;
    std::string message_;
    std::atomic<uintptr_t> address_{0};
    uint32_t faultingThreadId_ = 0;
    std::array<uint32_t, 3> checksums_{};
    uintptr_t stackPosition_ = 0, framePointer_ = 0;
    std::vector<TDAPreStackItem> preparedStack_;
    CONTEXT context_{};
    bool hasContext_ = false;
    uint8_t origin_ = 0;
    uintptr_t associatedObject_ = 0, packageHandle_ = 0;
    IQEFields header_, sections_;
    std::string text_;
    std::atomic<bool> complete_{false};
    ReportScreenshot screenshot_;
    std::atomic<long> batch_{0};
    std::atomic<bool> dirty_{false};
    std::mutex listenerLock_;
    std::vector<Listener> listeners_;
    std::atomic<bool> wantsReport_{true}, wantsScreenshot_{false}, runsHandlers_{true},
        attachScreenshot_{false};
    std::atomic<uint8_t> displayMode_{0};
    std::string assistant_;
    std::vector<ThreadStack> threadStacks_;
    std::mutex textLock_; // the cached text, the version, the assistant name and the caches
    uint64_t version_ = 0;
    HANDLE completionThread_ = nullptr;
    std::atomic<uint32_t> completionThreadId_{0};
    volatile bool abort_ = false;
    std::unique_ptr<ReportAlert> alert_;
    std::atomic<bool> sent_{false}, saved_{false};
    std::atomic<long> completionClaims_{-1}, autoSaveClaims_{-1};
    uintptr_t sendThread_ = 0;
    bool dontCompleteYet_ = false;
    std::string classNameCache_, messageCache_;
    SYSTEMTIME created_{};
    std::recursive_mutex buildLock_;
    bool built_ = false, building_ = false;
    std::atomic<bool> completing_{false};
    int remainingSections_ = 0;
    std::vector<std::string> fingerprints_;
};

} // namespace qor
