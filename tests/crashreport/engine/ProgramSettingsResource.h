#pragma once
// The keys and values of this program's settings resource, in the order it stores them, as the
// description of the settings lists them: every Boolean as a Boolean, every integer and
// enumerated value as an integer, every text as a text.
#include "QorSettingsTable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>

struct ExpectedSetting {
    const char* Key;
    uint8_t Kind;
    bool Boolean;
    int32_t Integer;
    const char* Text;
};

inline constexpr ExpectedSetting ProgramSettings[] = {
    {"Enabled", qor::SettingsBoolean, true, 0, ""},
    {"NoSettings", qor::SettingsBoolean, false, 0, ""},
    {"CheckFreeze", qor::SettingsBoolean, false, 0, ""},
    {"FreezeTimeout", qor::SettingsInteger, false, 60000, ""},
    {"AutoSave", qor::SettingsBoolean, true, 0, ""},
    {"AutoSaveIfNotSent", qor::SettingsBoolean, true, 0, ""},
    {"AutoSend", qor::SettingsBoolean, false, 0, ""},
    {"AutoSendBox", qor::SettingsBoolean, false, 0, ""},
    {"AutoClip", qor::SettingsBoolean, false, 0, ""},
    {"PauseThreads", qor::SettingsBoolean, false, 0, ""},
    {"PlWaitBox", qor::SettingsBoolean, true, 0, ""},
    {"AutoContinue", qor::SettingsBoolean, false, 0, ""},
    {"AutoRestart", qor::SettingsInteger, false, 0, ""},
    {"AutoClose", qor::SettingsInteger, false, 0, ""},
    {"SendBtnVis", qor::SettingsBoolean, true, 0, ""},
    {"SaveBtnVis", qor::SettingsBoolean, false, 0, ""},
    {"PrintBtnVis", qor::SettingsBoolean, false, 0, ""},
    {"ShowBtnVis", qor::SettingsBoolean, true, 0, ""},
    {"ContinueBtnVis", qor::SettingsBoolean, true, 0, ""},
    {"RestartBtnVis", qor::SettingsBoolean, true, 0, ""},
    {"CloseBtnVis", qor::SettingsBoolean, true, 0, ""},
    {"FocusedBtn", qor::SettingsInteger, false, 0, ""},
    {"SendAssis", qor::SettingsText, false, 0, "SendAssistant"},
    {"SaveAssis", qor::SettingsText, false, 0, "SaveAssistant"},
    {"PrintAssis", qor::SettingsText, false, 0, "PrintAssistant"},
    {"AutoShowBugRep", qor::SettingsBoolean, false, 0, ""},
    {"UglyBtns", qor::SettingsBoolean, false, 0, ""},
    {"MailAddr", qor::SettingsText, false, 0, "bugreports@example.com"},
    {"SendInBackgr", qor::SettingsBoolean, true, 0, ""},
    {"MailAsSmtpServer", qor::SettingsBoolean, false, 0, ""},
    {"MailAsSmtpClient", qor::SettingsBoolean, false, 0, ""},
    {"UploadViaHttp", qor::SettingsBoolean, false, 0, ""},
    {"MailViaMapi", qor::SettingsBoolean, true, 0, ""},
    {"MailViaMailto", qor::SettingsBoolean, true, 0, ""},
    {"SmtpServer", qor::SettingsText, false, 0, ""},
    {"SmtpPort", qor::SettingsInteger, false, 25, ""},
    {"SmtpAccount", qor::SettingsText, false, 0, ""},
    {"SmtpPassword", qor::SettingsText, false, 0, ""},
    {"HttpServer", qor::SettingsText, false, 0, ""},
    {"HttpPort", qor::SettingsInteger, false, 80, ""},
    {"HttpAccount", qor::SettingsText, false, 0, ""},
    {"HttpPassword", qor::SettingsText, false, 0, ""},
    {"AttachBugRep", qor::SettingsBoolean, true, 0, ""},
    {"AttachBugRepFile", qor::SettingsBoolean, true, 0, ""},
    {"DelBugRepFile", qor::SettingsBoolean, true, 0, ""},
    {"BugRepSendAs", qor::SettingsText, false, 0, "bugreport.txt"},
    {"BugRepZip", qor::SettingsText, false, 0, ""},
    {"ScrShotDepth", qor::SettingsInteger, false, 8, ""},
    {"ScrShotAppOnly", qor::SettingsBoolean, false, 0, ""},
    {"ScrShotSendAs", qor::SettingsText, false, 0, "screenshot.png"},
    {"ScrShotZip", qor::SettingsText, false, 0, ""},
    {"AddAttachs", qor::SettingsText, false, 0, ""},
    {"BugRepFile", qor::SettingsText, false, 0, "bugreport.txt"},
    {"AppendBugReps", qor::SettingsBoolean, true, 0, ""},
    {"BugRepFileSize", qor::SettingsInteger, false, 100000, ""},
    {"NoDupExcepts", qor::SettingsBoolean, true, 0, ""},
    {"NoDupFreezes", qor::SettingsBoolean, true, 0, ""},
    {"DupExceptDef", qor::SettingsInteger, false, 1, ""},
    {"DupFreezeDef", qor::SettingsInteger, false, 2, ""},
    {"ListThreads", qor::SettingsBoolean, true, 0, ""},
    {"CpuRegs", qor::SettingsBoolean, true, 0, ""},
    {"StackDump", qor::SettingsBoolean, true, 0, ""},
    {"ShowDisAsm", qor::SettingsBoolean, true, 0, ""},
    {"HideUglyItems", qor::SettingsBoolean, false, 0, ""},
    {"ShowRelAddrs", qor::SettingsBoolean, true, 0, ""},
    {"ShowRelLines", qor::SettingsBoolean, true, 0, ""},
    {"FormatDisAsm", qor::SettingsBoolean, false, 0, ""},
    {"LimitDisAsm", qor::SettingsInteger, false, 5, ""},
    {"Plugins", qor::SettingsText, false, 0, "modules|processes|hardware"},
    {"F1Classes", qor::SettingsText, false, 0, "EDBEditError"},
    {"F1NoBugRep", qor::SettingsBoolean, true, 0, ""},
    {"F1NoScrShot", qor::SettingsBoolean, true, 0, ""},
    {"F1NoHandlers", qor::SettingsBoolean, true, 0, ""},
    {"F1NoSuspend", qor::SettingsBoolean, true, 0, ""},
    {"F1ShowCfg", qor::SettingsInteger, false, 3, ""},
    {"F1Assis", qor::SettingsText, false, 0, ""},
    {"F2Classes", qor::SettingsText, false, 0, ""},
    {"F2NoBugRep", qor::SettingsBoolean, false, 0, ""},
    {"F2NoScrShot", qor::SettingsBoolean, false, 0, ""},
    {"F2NoHandlers", qor::SettingsBoolean, false, 0, ""},
    {"F2NoSuspend", qor::SettingsBoolean, false, 0, ""},
    {"F2ShowCfg", qor::SettingsInteger, false, 0, ""},
    {"F2Assis", qor::SettingsText, false, 0, ""},
    {"GnNoBugRep", qor::SettingsBoolean, false, 0, ""},
    {"GnNoScrShot", qor::SettingsBoolean, false, 0, ""},
    {"GnNoHandlers", qor::SettingsBoolean, false, 0, ""},
    {"GnNoSuspend", qor::SettingsBoolean, false, 0, ""},
    {"GnShowCfg", qor::SettingsInteger, false, 0, ""},
    {"GnAssis", qor::SettingsText, false, 0, ""},
    {"Assistant1", qor::SettingsText, false, 0,
     "SendAssistant|Send Assistant|ContactForm|DetailsForm|ScrShotForm"},
    {"Assistant2", qor::SettingsText, false, 0,
     "SaveAssistant|Save Assistant|ContactForm|DetailsForm"},
    {"Assistant3", qor::SettingsText, false, 0,
     "PrintAssistant|Print Assistant|ContactForm|DetailsForm"},
    {"TitleBar", qor::SettingsText, false, 0, "%appname%"},
    {"ExceptMsg", qor::SettingsText, false, 0, "An error occurred in the application."},
    {"FrozenMsg", qor::SettingsText, false, 0, "The application seems to be frozen."},
    {"SendBtnTxt", qor::SettingsText, false, 0, "send bug report"},
    {"SaveBtnTxt", qor::SettingsText, false, 0, "save bug report"},
    {"PrintBtnTxt", qor::SettingsText, false, 0, "print bug report"},
    {"ShowBtnTxt", qor::SettingsText, false, 0, "show bug report"},
    {"ContinueBtnTxt", qor::SettingsText, false, 0, "continue application"},
    {"RestartBtnTxt", qor::SettingsText, false, 0, "restart application"},
    {"CloseBtnTxt", qor::SettingsText, false, 0, "close application"},
    {"OkBtnTxt", qor::SettingsText, false, 0, "&OK"},
    {"DetailsBtnTxt", qor::SettingsText, false, 0, "&Details"},
    {"PlWaitTitle", qor::SettingsText, false, 0, "Information"},
    {"PlWaitText", qor::SettingsText, false, 0, "Please wait a moment..."},
    {"MailSubj", qor::SettingsText, false, 0, "bug report"},
    {"MailBody", qor::SettingsText, false, 0, "please find the bug report attached"},
    {"SendBoxTitle", qor::SettingsText, false, 0, "Sending bug report..."},
    {"PrepAttMsg", qor::SettingsText, false, 0, "Preparing attachments..."},
    {"MxLookMsg", qor::SettingsText, false, 0, "Searching for mail server..."},
    {"ConnMsg", qor::SettingsText, false, 0, "Connecting to server..."},
    {"AuthMsg", qor::SettingsText, false, 0, "Authentication..."},
    {"SendMailMsg", qor::SettingsText, false, 0, "Sending mail..."},
    {"FieldMsg", qor::SettingsText, false, 0, "Setting fields..."},
    {"SendAttMsg", qor::SettingsText, false, 0, "Sending attachments..."},
    {"SendFinalMsg", qor::SettingsText, false, 0, "Finalizing..."},
    {"SendFailMsg", qor::SettingsText, false, 0, "Sorry, sending the bug report didn't work."},
};

// A parsed property table compared with ProgramSettings (GoogleTest assertions).
inline void ExpectProgramSettings(const qor::SettingsProperty* table, int32_t count)
{
    ASSERT_EQ(count, static_cast<int32_t>(std::size(ProgramSettings)));
    for (int32_t i = 0; i < count; ++i) {
        const ExpectedSetting& expected = ProgramSettings[i];
        SCOPED_TRACE(expected.Key);
        EXPECT_STREQ(table[i].Key, expected.Key);
        EXPECT_EQ(table[i].Kind, expected.Kind);
        EXPECT_EQ(table[i].Boolean, expected.Boolean ? 1 : 0);
        EXPECT_EQ(table[i].Integer, expected.Integer);
        EXPECT_STREQ(table[i].Text ? table[i].Text : "", expected.Text);
    }
}
