#pragma once
// The bug-report file, "bugreport.txt" beside the executable by default: each report is
// appended, a repeat of an earlier report replaces it with a repeat count, and the oldest
// reports go when the file passes its size limit (BugReportText.h does the text work).
#include "BugReportText.h"
#include "QorInterfaces.h"

#include <windows.h>

#include <string>

namespace crashui {

// The settings the file is written by (the crash-report settings' BugRepFile, SaveBtnTxt and
// the rules' keys).
struct TBugReportFileSettings {
    std::string bugRepFile = "bugreport.txt"; // "%appname%" and "%modname%" allowed
    std::string moduleFileName;               // the module the settings belong to
    std::string saveDialogTitle;              // SaveBtnTxt
    TBugReportRules rules;
};

// Writes the report into the named file, or, without a name, into the settings' file (made
// absolute against the executable's folder when `automatic`, else chosen in a save dialog).
// False when the dialog was cancelled or the file cannot be opened, mapped or written; the
// old content is then as it was.
bool WriteBugReportFile(const std::string& fileName, std::string report, HWND parent,
                        const TBugReportFileSettings& settings, bool automatic);

// The same for the crash-report settings (an exception's or a module's). When no file name was
// given and the write is automatic, an exception behind the settings is marked as saved.
bool WriteBugReportFile(const std::string& fileName, std::string report, HWND parent,
                        qor::IQESettings& settings, bool automatic);
// The bug-report file's settings of the crash-report settings.
TBugReportFileSettings BugReportFileSettingsOf(qor::IQESettings& settings);

// The settings' file name with "%appname%" and "%modname%" (either letter case) replaced by
// the executable's and the module's file names without folder and extension.
std::string BugReportFileName(const TBugReportFileSettings& settings);
// The user's desktop folder with a trailing backslash; the executable's folder when unknown.
std::string DesktopFolder();
// Creates the folder of the path with every missing parent; true when it exists afterwards.
bool ForceFolders(const std::string& filePath);

} // namespace crashui
