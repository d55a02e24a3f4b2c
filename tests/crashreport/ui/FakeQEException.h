#pragma once
// A reported exception for the presentation tests: settings and report as plain fields, and a
// record of the actions the presentation asked for.
#include "QEExceptionStandIn.h"

#ifdef _WIN32
#include "NVBitmap.h"
#else
// Native builds have no bitmap object (it is a DIB section); the native tests hand over none.
namespace crashui {
class INVBitmap : public classlib::IInterface {};
} // namespace crashui
#endif

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace crashui::testing {

class TFakeQEException : public IQEException {
public:
    // Settings (of `module`: its resources give the box its icons; 0 is the program).
    uintptr_t module = 0;
    bool autoShowBugRep = false, sendBtnVis = true, saveBtnVis = true, printBtnVis = false,
         showBtnVis = true, continueBtnVis = true, restartBtnVis = true, closeBtnVis = true,
         uglyBtns = false, plWaitBox = true;
    uint8_t focusedBtn = 0;
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
    int reportKind = 0, displayMode = 0;
    bool continuable = true;
    classlib::TInterfacePtr<INVBitmap> screenImage;
    bool attachScreenshot = true;
    std::string assistant;
    std::vector<std::pair<std::string, std::string>> header, sections;

    // What happened.
    std::vector<std::string> actions;
    std::vector<int> dispatched;
    int storedInput = 0, savedCaches = 0;
    TReportListener listener;
    // Called with the box window by continue, restart and close (the engine closes the box).
    std::function<void(uintptr_t)> onFinalAction;

    uintptr_t ModuleHandle() override { return module; }
    bool AutoShowBugRep() override { return autoShowBugRep; }
    void SetAutoShowBugRep(bool v) override { autoShowBugRep = v; }
    bool SendBtnVis() override { return sendBtnVis; }
    bool SaveBtnVis() override { return saveBtnVis; }
    bool PrintBtnVis() override { return printBtnVis; }
    bool ShowBtnVis() override { return showBtnVis; }
    void SetShowBtnVis(bool v) override { showBtnVis = v; }
    bool ContinueBtnVis() override { return continueBtnVis; }
    bool RestartBtnVis() override { return restartBtnVis; }
    bool CloseBtnVis() override { return closeBtnVis; }
    uint8_t FocusedBtn() override { return focusedBtn; }
    void SetFocusedBtn(uint8_t v) override { focusedBtn = v; }
    bool UglyBtns() override { return uglyBtns; }
    int32_t AutoContinue() override { return autoContinue; }
    void SetAutoContinue(int32_t v) override { autoContinue = v; }
    int32_t AutoRestart() override { return autoRestart; }
    void SetAutoRestart(int32_t v) override { autoRestart = v; }
    int32_t AutoClose() override { return autoClose; }
    void SetAutoClose(int32_t v) override { autoClose = v; }
    int32_t AutoDelay() override { return autoDelay; }
    void SetPlWaitBox(bool v) override { plWaitBox = v; }
    std::string TitleBar() override { return titleBar; }
    std::string ExceptMsg() override { return exceptMsg; }
    std::string FrozenMsg() override { return frozenMsg; }
    std::string SendBtnTxt() override { return sendBtnTxt; }
    std::string SaveBtnTxt() override { return saveBtnTxt; }
    std::string PrintBtnTxt() override { return printBtnTxt; }
    std::string ShowBtnTxt() override { return showBtnTxt; }
    std::string ContinueBtnTxt() override { return continueBtnTxt; }
    std::string RestartBtnTxt() override { return restartBtnTxt; }
    std::string CloseBtnTxt() override { return closeBtnTxt; }
    std::string OkBtnTxt() override { return okBtnTxt; }
    std::string DetailsBtnTxt() override { return detailsBtnTxt; }
    std::string MailFrom() override { return mailFrom; }
    void SetMailFrom(const std::string& v) override { mailFrom = v; }
    classlib::TInterfacePtr<INVWizard> AssistantByName(const std::string& name) override
    {
        return name == "wizard" ? wizard : nullptr;
    }

    std::string ReportText(bool wait) override
    {
        actions.push_back(wait ? "report(wait)" : "report");
        return report;
    }
    int ReportKind() override { return reportKind; }
    std::string ErrorMessage() override { return message; }
    std::string ErrorClassName() override { return className; }
    bool Continuable() override { return continuable; }
    int DisplayMode() override { return displayMode; }
    std::string DisplayAssistant() override { return assistant; }
    std::vector<std::pair<std::string, std::string>> ReportHeader() override { return header; }
    std::vector<std::pair<std::string, std::string>> ReportSections() override { return sections; }
    void AddReportListener(const void*, TReportListener l) override { listener = std::move(l); }
    void RemoveReportListener(const void*) override { listener = nullptr; }
    void PerformSend(uintptr_t) override { actions.push_back("send"); }
    void PerformSave(uintptr_t) override { actions.push_back("save"); }
    void PerformPrint(uintptr_t) override { actions.push_back("print"); }
    void PerformContinue(uintptr_t parent) override
    {
        actions.push_back("continue");
        if (onFinalAction)
            onFinalAction(parent);
    }
    void PerformRestart(uintptr_t parent) override
    {
        actions.push_back("restart");
        if (onFinalAction)
            onFinalAction(parent);
    }
    void PerformClose(uintptr_t parent) override
    {
        actions.push_back("close");
        if (onFinalAction)
            onFinalAction(parent);
    }
    void PerformShowReport(uintptr_t) override { actions.push_back("show"); }
    classlib::TInterfacePtr<INVBitmap> ScreenImage() override { return screenImage; }
    void SetScreenImage(classlib::TInterfacePtr<INVBitmap> image) override
    {
        screenImage = std::move(image);
    }
    bool AttachScreenshot() override { return attachScreenshot; }
    void SetAttachScreenshot(bool v) override { attachScreenshot = v; }

    // Only the placeholders the tests use.
    std::string ExpandPlaceholders(const std::string& text, const std::string& cls,
                                   const std::string& rep, const std::string& msg) override
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
    bool DispatchAction(uintptr_t, int code) override
    {
        dispatched.push_back(code);
        return false;
    }
    bool AutoButtonDue(int32_t value) override { return value == 1; }
    void StoreAssistantInput(INVWizard&) override { ++storedInput; }
    void SaveFormCache(INVWizard&) override { ++savedCaches; }
};

} // namespace crashui::testing
