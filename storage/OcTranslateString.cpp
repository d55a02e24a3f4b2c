#include "OcTranslateString.h"

#include "BcErrors.h"
#include "BcStrings.h"
#include "OcControlUtils.h"
#include "OcTranslatePlatform.h"
#include "Placeholders.h"
#include "core/SysUtils.h"
#include "core/TypeInfo.h"

namespace storage {

namespace {

constexpr const char* ReplacedRootValue =
    "The Default Root Value \"%0:s\" has been replaced with \"%1:s\".\r\n"
    "Please change the value in the FileVersionInfo Project Properties.";

std::string FileNameWithoutFolderAndExtension(const std::string& path)
{
    const std::string name = classlib::ExtractFileName(path);
    const std::string extension = classlib::ExtractFileExt(name);
    return name.substr(0, name.size() - extension.size());
}

std::string SizeText(TScreenExtent size)
{
    return classlib::Format("%dx%d", {size.width, size.height});
}

bool IsForm(const classlib::TComponent* component)
{
    for (const auto* cls = &component->ClassType(); cls; cls = cls->ClassParent())
        if (cls->ClassName() == "TCustomForm" || cls->ClassName() == "TForm")
            return true;
    return false;
}

} // namespace

TOcTranslateString::TOcTranslateString(classlib::TComponent* owner) : TComponent(owner) {}

std::string TOcTranslateString::ExpandText(std::string_view text)
{
    return ExpandDelimitedCommands(text, LeftDelimiter, RightDelimiter,
                                   [this](const std::string& command, std::string& result) {
                                       return ExpandCommand(command, result);
                                   });
}

bool TOcTranslateString::ExpandCommand(const std::string& command, std::string& commandResult)
{
    const std::string key = classlib::Trim(bcl::UpperCaseCopy(command));
    bool changed = true;
    if (key == "APPL_NAME") {
        commandResult = VersionValue(cachedProductName_, "APPL_NAME", 9, "MyOCLApplication");
        if (commandResult.empty())
            commandResult = FileNameWithoutFolderAndExtension(RunningExecutableName());
    } else if (key == "COMPANY_NAME") {
        commandResult = VersionValue(cachedCompanyName_, "COMPANY_NAME", 2, "MyCompany");
        if (commandResult.empty())
            commandResult = DefaultCompanyName();
    } else if (key == "FILEVERSION") {
        commandResult = VersionValue(cachedFileVersion_, "FILEVERSION", 4, "0.0.0.0");
    } else if (key == "PRODUCTVERSION") {
        commandResult = VersionValue(cachedProductVersion_, "PRODUCTVERSION", 10, "0.0.0.0");
    } else if (key == "DATE") {
        commandResult = FormatDateTimeText(DateFormat, LocalDateTimeNow());
    } else if (key == "TIME") {
        commandResult = FormatDateTimeText(TimeFormat, LocalDateTimeNow());
    } else if (key == "DATETIME") {
        commandResult = FormatDateTimeText(dateTimeFormat_, LocalDateTimeNow());
    } else if (key == "EXENAME") {
        commandResult = RunningExecutableName();
    } else if (key == "FILENAME") {
        commandResult = FileNameWithoutFolderAndExtension(RunningExecutableName());
    } else if (key == "FULLDIREXE") {
        commandResult = classlib::ExtractFileDir(RunningExecutableName());
    } else if (key == "FORMNAME") {
        commandResult = OwningFormProperty(false);
    } else if (key == "FORMCAPTION") {
        commandResult = OwningFormProperty(true);
    } else if (key == "SCREENSIZE") {
        commandResult = SizeText(PrimaryScreenSize());
    } else if (key == "DESKTOPSIZE") {
        commandResult = SizeText(VirtualDesktopSize());
    } else {
        changed = false;
    }
    if (OnProcessCommand)
        OnProcessCommand(this, key, commandResult, changed);
    return changed;
}

std::string TOcTranslateString::VersionValue(std::optional<std::string>& cache, const char* command,
                                             int keyNumber, const char* replacement)
{
    if (cache)
        return *cache;
    try {
        cache = ExecutableVersionValue(keyNumber);
    } catch (const bcl::EBcFileVersionInfoError&) {
        // No usable version resource: say so once per command, then use the stand-in.
        const std::string text = classlib::Format(ReplacedRootValue, {command, replacement});
        const std::string caption = FileNameWithoutFolderAndExtension(RunningExecutableName());
        ShowInformationBox(text, caption);
        cache = replacement;
    }
    return *cache;
}

std::string TOcTranslateString::OwningFormProperty(bool caption) const
{
    for (const classlib::TComponent* c = Owner(); c; c = c->Owner()) {
        if (!IsForm(c))
            continue;
        if (!caption)
            return c->Name();
        return classlib::GetPropInfo(c, "Caption") ? classlib::GetStrProp(c, "Caption")
                                                   : std::string();
    }
    return {};
}

CLASSLIB_PUBLISH(TOcTranslateString)
{
    c.Property("DateFormat", &TOcTranslateString::DateFormat);
    c.Property("DateTimeFormat", &TOcTranslateString::GetDateTimeFormat,
               &TOcTranslateString::SetDateTimeFormat);
    c.Property("LeftDelimiter", &TOcTranslateString::LeftDelimiter);
    c.Property("RightDelimiter", &TOcTranslateString::RightDelimiter);
    c.Property("TimeFormat", &TOcTranslateString::TimeFormat);
    c.Property("OnProcessCommand", &TOcTranslateString::OnProcessCommand);
}

} // namespace storage
