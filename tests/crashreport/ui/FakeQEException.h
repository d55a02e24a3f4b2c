#pragma once
// A reported exception for the presentation tests: the engine's report-object interfaces over
// plain fields (settings by key, the report and its lists), a record of the actions asked for,
// and a presentation host whose engine routines are the fake's own.
#include "ExceptionPresentation.h"

#ifdef _WIN32
#include "NVBitmap.h"
#else
// Native builds have no bitmap object (it is a DIB section); the native tests hand over none.
namespace crashui {
class INVBitmap : public classlib::IInterface {};
} // namespace crashui
#endif

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace crashui::testing {

class TFakeQEException : public qor::IQEException, public qor::IQEExceptionEx {
public:
    // Settings (of `module`: its resources give the box its icons; 0 is the program).
    uintptr_t module = 0;
    bool autoShowBugRep = false, sendBtnVis = true, saveBtnVis = true, printBtnVis = false,
         showBtnVis = true, continueBtnVis = true, restartBtnVis = true, closeBtnVis = true,
         uglyBtns = false, plWaitBox = true;
    int32_t focusedBtn = 0;
    int32_t autoContinue = 0, autoRestart = 0, autoClose = 0, autoDelay = 0;
    std::string titleBar = "Brenvik", exceptMsg = "An error occurred: %exceptMsg%",
                frozenMsg = "The application seems to be frozen.", sendBtnTxt = "send bug report",
                saveBtnTxt = "save bug report", printBtnTxt = "print bug report",
                showBtnTxt = "show bug report", continueBtnTxt = "continue application",
                restartBtnTxt = "restart application", closeBtnTxt = "close application",
                okBtnTxt = "OK", detailsBtnTxt = "Details";
    std::string mailFrom;
    classlib::TInterfacePtr<INVWizard> wizard;

    // The exception.
    std::string report = "date/time          : 2026-12-11\r\n\r\nmain thread:\r\n0040a1f2 Foo";
    std::string message = "Access violation.", className = "EAccessViolation";
    uint8_t reportKind = 0, displayMode = 0;
    bool continuable = true;
#ifdef _WIN32
    classlib::TInterfacePtr<INVBitmap> screenImage;
#endif
    bool attachScreenshot = true;
    std::string assistant;
    std::vector<std::pair<std::string, std::string>> header, sections;
    bool saved = false, sent = false;

    // What happened.
    std::vector<std::string> actions;
    int storedInput = 0, savedCaches = 0;
    qor::ReportListener listener;
    // Called with the box window by continue, restart and close (the engine closes the box).
    std::function<void(uintptr_t)> onFinalAction;

    // The placeholders the tests use, expanded as the engine does.
    static std::string ExpandPlaceholders(const std::string& text, const std::string& cls,
                                          const std::string& rep, const std::string& msg)
    {
        std::string out = text;
        auto replace = [&](const std::string& from, const std::string& to) {
            for (size_t at = out.find(from); at != std::string::npos;
                 at = out.find(from, at + to.size()))
                out.replace(at, from.size(), to);
        };
        replace("%exceptMsg%", msg.empty() ? "Unknown" : msg);
        replace("%exceptClass%", cls);
        replace("%bugReport%", rep);
        replace("%LF%", "\r\n");
        return out;
    }

    // A host whose engine routines are the fake's: the expansion above, the assistant named
    // "wizard", and counters for the stored input and the form cache.
    void Connect(TPresentationHost& host)
    {
        host.expandPlaceholders = [](IQESettings&, const std::string& t, const std::string& c,
                                     const std::string& r, const std::string& m) {
            return ExpandPlaceholders(t, c, r, m);
        };
        host.assistantByName = [this](IQEException&, const std::string& name) {
            return name == "wizard" ? wizard : nullptr;
        };
        host.storeAssistantInput = [this](IQEException&, INVWizard&) { ++storedInput; };
        host.saveFormCache = [this](IQEException&, INVWizard&) { ++savedCaches; };
    }

    // IQESettings by key.
    uintptr_t ModuleHandle() override
    {
        return module;
    }
    bool BoolProp(std::string_view key) override
    {
        if (bool* value = BoolField(key))
            return *value;
        return false;
    }
    int32_t IntProp(std::string_view key) override
    {
        if (int32_t* value = IntField(key))
            return *value;
        return 0;
    }
    std::string StrProp(std::string_view key) override
    {
        if (std::string* value = TextField(key))
            return *value;
        return {};
    }
    bool SetBoolProp(std::string_view key, bool value) override
    {
        bool* field = BoolField(key);
        return field && (*field = value, true);
    }
    bool SetIntProp(std::string_view key, int32_t value) override
    {
        int32_t* field = IntField(key);
        return field && (*field = value, true);
    }
    bool SetStrProp(std::string_view key, std::string_view value) override
    {
        std::string* field = TextField(key);
        return field && (*field = std::string(value), true);
    }

    // IQEException
    uint8_t Stage() override
    {
        return 3;
    }
    bool Continuable() override
    {
        return continuable;
    }
    void SetContinuable(bool value) override
    {
        continuable = value;
    }
    uint8_t ReportKind() override
    {
        return reportKind;
    }
    std::exception_ptr ErrorObject() override
    {
        return nullptr;
    }
    std::string ErrorClassName() override
    {
        return className;
    }
    std::string ErrorMessage() override
    {
        return message;
    }
    uintptr_t ErrorAddress() override
    {
        return 0;
    }
    uint32_t FaultingThreadId() override
    {
        return 0;
    }
    uint32_t StackCrc(int) override
    {
        return 0;
    }
    const void* CpuContext() override
    {
        return nullptr;
    }
    uint8_t OriginCode() override
    {
        return 0;
    }
    uintptr_t AssociatedObject() override
    {
        return 0;
    }
    uintptr_t PackageHandle() override
    {
        return 0;
    }
    qor::IQEFields ReportHeader() override
    {
        return Fields(header);
    }
    qor::IQEFields ReportSections() override
    {
        return Fields(sections);
    }
    std::string ReportText() override
    {
        return ReportText(true);
    }
    std::string ReportText(bool wait) override
    {
        actions.push_back(wait ? "report(wait)" : "report");
        return report;
    }
    void SetReportText(const std::string& text) override
    {
        report = text;
    }
    qor::ReportScreenshot ScreenImage() override
    {
#ifdef _WIN32
        return ShareScreenshot(screenImage);
#else
        return nullptr;
#endif
    }
    void SetScreenImage(qor::ReportScreenshot image) override
    {
#ifdef _WIN32
        screenImage = ScreenshotBitmap(image);
#else
        (void)image;
#endif
    }
    void HoldChanges() override {}
    void ReleaseChanges() override {}
    void AddReportListener(const void*, qor::ReportListener l, bool) override
    {
        listener = std::move(l);
    }
    void RemoveReportListener(const void*) override
    {
        listener = nullptr;
    }
    bool WantsReport() override
    {
        return true;
    }
    void SetWantsReport(bool) override {}
    bool WantsScreenshot() override
    {
        return false;
    }
    void SetWantsScreenshot(bool) override {}
    bool RunsHandlers() override
    {
        return true;
    }
    void SetRunsHandlers(bool) override {}
    bool AttachScreenshot() override
    {
        return attachScreenshot;
    }
    void SetAttachScreenshot(bool v) override
    {
        attachScreenshot = v;
    }
    uint8_t DisplayMode() override
    {
        return displayMode;
    }
    void SetDisplayMode(uint8_t value) override
    {
        displayMode = value;
    }
    std::string DisplayAssistant() override
    {
        return assistant;
    }
    void SetDisplayAssistant(const std::string& value) override
    {
        assistant = value;
    }
    void Present() override
    {
        actions.push_back("present");
    }
    void PerformSend(uintptr_t) override
    {
        actions.push_back("send");
    }
    void PerformSave(uintptr_t) override
    {
        actions.push_back("save");
    }
    void PerformPrint(uintptr_t) override
    {
        actions.push_back("print");
    }
    void PerformContinue(uintptr_t parent) override
    {
        Final("continue", parent);
    }
    void PerformRestart(uintptr_t parent) override
    {
        Final("restart", parent);
    }
    void PerformClose(uintptr_t parent) override
    {
        Final("close", parent);
    }
    void PerformShowReport(uintptr_t) override
    {
        actions.push_back("show");
    }

    // IQEExceptionEx
    bool HasCriticalListener() override
    {
        return false;
    }
    uint32_t CompletionThreadId() override
    {
        return 0;
    }
    void SetStage(uint8_t) override {}
    bool ReportSent() override
    {
        return sent;
    }
    void SetReportSent(bool value) override
    {
        sent = value;
    }
    bool ReportSaved() override
    {
        return saved;
    }
    void SetReportSaved(bool value) override
    {
        saved = value;
    }
    bool ClaimCompletionCall() override
    {
        return false;
    }
    bool ClaimAutoSave() override
    {
        return false;
    }
    uintptr_t* SendThreadSlot() override
    {
        return &sendThread_;
    }

private:
    uintptr_t sendThread_ = 0;

    void Final(const char* what, uintptr_t parent)
    {
        actions.push_back(what);
        if (onFinalAction)
            onFinalAction(parent);
    }

    static qor::IQEFields Fields(const std::vector<std::pair<std::string, std::string>>& pairs)
    {
        qor::IQEFields fields = qor::CreateFields();
        fields->EnableWriting();
        for (const auto& [name, content] : pairs)
            fields->Append(name, content);
        return fields;
    }

    // The field a settings key names (null for any other key).
    template <typename T>
    static T* Named(std::initializer_list<std::pair<const char*, T*>> table, std::string_view key)
    {
        for (const auto& [name, field] : table)
            if (key == name)
                return field;
        return nullptr;
    }
    bool* BoolField(std::string_view key)
    {
        return Named<bool>({{"AutoShowBugRep", &autoShowBugRep},
                            {"SendBtnVis", &sendBtnVis},
                            {"SaveBtnVis", &saveBtnVis},
                            {"PrintBtnVis", &printBtnVis},
                            {"ShowBtnVis", &showBtnVis},
                            {"ContinueBtnVis", &continueBtnVis},
                            {"RestartBtnVis", &restartBtnVis},
                            {"CloseBtnVis", &closeBtnVis},
                            {"UglyBtns", &uglyBtns},
                            {"PlWaitBox", &plWaitBox}},
                           key);
    }
    int32_t* IntField(std::string_view key)
    {
        return Named<int32_t>({{"FocusedBtn", &focusedBtn},
                               {"AutoContinue", &autoContinue},
                               {"AutoRestart", &autoRestart},
                               {"AutoClose", &autoClose},
                               {"AutoDelay", &autoDelay}},
                              key);
    }
    std::string* TextField(std::string_view key)
    {
        return Named<std::string>({{"TitleBar", &titleBar},
                                   {"ExceptMsg", &exceptMsg},
                                   {"FrozenMsg", &frozenMsg},
                                   {"SendBtnTxt", &sendBtnTxt},
                                   {"SaveBtnTxt", &saveBtnTxt},
                                   {"PrintBtnTxt", &printBtnTxt},
                                   {"ShowBtnTxt", &showBtnTxt},
                                   {"ContinueBtnTxt", &continueBtnTxt},
                                   {"RestartBtnTxt", &restartBtnTxt},
                                   {"CloseBtnTxt", &closeBtnTxt},
                                   {"OkBtnTxt", &okBtnTxt},
                                   {"DetailsBtnTxt", &detailsBtnTxt},
                                   {"MailFrom", &mailFrom}},
                                  key);
    }
};

} // namespace crashui::testing
