#include "AssistantHandlers.h"

#include "ExceptionPathSystem.h"
#include "ExceptionPathUtils.h"
#include "NVBitmap.h"
#include "QorMapFileWin32.h"
#include "QorInterfaces.h"
#include "core/SysUtils.h"

#include <windows.h>

#include <shellapi.h>

#include <map>
#include <mutex>

namespace crashui {

using classlib::TInterfacePtr;
using qor::IQEException;

namespace {

constexpr char kRememberName[] = "RememberName";
constexpr char kRememberEmail[] = "RememberEmail";

std::string EditText(INVForm& page, const char* name)
{
    TInterfacePtr<INVEdit> edit = page.EditByName(name);
    return edit ? edit->Text() : std::string();
}

void ContactPageCreated(INVForm& page)
{
    const std::string name =
        qor::ReadRegistryText(HKEY_CURRENT_USER, kContactFormKey, kRememberName);
    const std::string email =
        qor::ReadRegistryText(HKEY_CURRENT_USER, kContactFormKey, kRememberEmail);
    if (name.empty() && email.empty())
        return;
    if (TInterfacePtr<INVEdit> edit = page.EditByName("NameEdit"))
        edit->SetText(name);
    if (TInterfacePtr<INVEdit> edit = page.EditByName("EmailEdit"))
        edit->SetText(email);
    if (TInterfacePtr<INVCheckBox> check = page.CheckBoxByName("MemCheck"))
        check->SetChecked(true);
    TInterfacePtr<INVButton> continueButton = page.ContinueBtn();
    if (continueButton && continueButton->Enabled())
        page.SetActiveControl(continueButton->Name());
}

void ContactPageContinued(INVForm& page, IQEException* exception)
{
    if (TInterfacePtr<INVCheckBox> check = page.CheckBoxByName("MemCheck")) {
        // Failures to write or delete are of no consequence to the report.
        if (check->Checked()) {
            if (TInterfacePtr<INVEdit> edit = page.EditByName("NameEdit"))
                qor::WriteRegistryText(HKEY_CURRENT_USER, kContactFormKey, kRememberName,
                                       edit->Text());
            if (TInterfacePtr<INVEdit> edit = page.EditByName("EmailEdit"))
                qor::WriteRegistryText(HKEY_CURRENT_USER, kContactFormKey, kRememberEmail,
                                       edit->Text());
        } else {
            qor::DeleteRegistryValue(HKEY_CURRENT_USER, kContactFormKey, kRememberName);
            qor::DeleteRegistryValue(HKEY_CURRENT_USER, kContactFormKey, kRememberEmail);
        }
    }
    if (!exception)
        return;
    const std::string name = EditText(page, "NameEdit");
    const std::string email = EditText(page, "EmailEdit");
    if (!name.empty())
        exception->SetStrProp("MailFrom", name + " <" + email + ">");
}

// The state of a screenshot being edited. The page's user data (32 bits) holds the record's
// number, not its address, so that the same code works where addresses are wider.
struct TScreenshotEdit {
    uint32_t writeTime = 0;
    HANDLE editor = nullptr;
};

std::mutex g_editsLock;
std::map<uint32_t, TScreenshotEdit> g_edits;
uint32_t g_lastEdit = 0;

TScreenshotEdit* EditRecord(const INVForm& page)
{
    std::lock_guard<std::mutex> hold(g_editsLock);
    auto found = g_edits.find(page.UserData());
    return page.UserData() != 0 && found != g_edits.end() ? &found->second : nullptr;
}

TScreenshotEdit* NewEditRecord(INVForm& page, uint32_t writeTime)
{
    std::lock_guard<std::mutex> hold(g_editsLock);
    do
        ++g_lastEdit;
    while (g_lastEdit == 0 || g_edits.count(g_lastEdit));
    TScreenshotEdit& record = g_edits[g_lastEdit];
    record.writeTime = writeTime;
    page.SetUserData(g_lastEdit);
    return &record;
}

// Removes the page's record; the editor's handle is returned for closing.
HANDLE DropEditRecord(INVForm& page)
{
    std::lock_guard<std::mutex> hold(g_editsLock);
    auto found = g_edits.find(page.UserData());
    if (page.UserData() == 0 || found == g_edits.end())
        return nullptr;
    HANDLE editor = found->second.editor;
    g_edits.erase(found);
    page.SetUserData(0);
    return editor;
}

void ShowScreenshot(INVForm& page, IQEException& exception)
{
    if (TInterfacePtr<INVImage> image = page.ImageByName("ScrShotImg"))
        image->SetBitmap(ScreenshotBitmap(exception.ScreenImage()));
}

// A click on an image: the screenshot goes to the temporary file (the first time) and the
// system's editor opens it, unless an editor started earlier still runs.
void EditScreenshot(INVForm& page, INVItem& item, IQEException& exception, const std::string& file)
{
    TInterfacePtr<INVImage> image = TInterfacePtr<INVItem>(&item).Query<INVImage>();
    if (!image || !image->Bitmap())
        return;
    TScreenshotEdit* record = EditRecord(page);
    if (!record) {
        TInterfacePtr<INVBitmap> shot = ScreenshotBitmap(exception.ScreenImage());
        if (!shot || !shot->WriteBmpFile(file))
            return;
        record = NewEditRecord(page, FileWriteTime(file));
    }
    if (record->editor && WaitForSingleObject(record->editor, 0) == WAIT_OBJECT_0) {
        CloseHandle(record->editor);
        record->editor = nullptr;
    }
    if (record->editor)
        return;
    SHELLEXECUTEINFOA run{};
    run.cbSize = sizeof(run);
    run.fMask = SEE_MASK_NOCLOSEPROCESS;
    run.hwnd = reinterpret_cast<HWND>(page.Handle());
    run.lpVerb = "edit";
    run.lpFile = file.c_str();
    run.nShow = SW_SHOWMAXIMIZED;
    if (ShellExecuteExA(&run))
        record->editor = run.hProcess;
    else
        Beep(60, 60);
}

// The page's timer: a file the editor saved replaces the screenshot.
void ReloadScreenshot(INVForm& page, IQEException& exception, const std::string& file)
{
    TScreenshotEdit* record = EditRecord(page);
    if (!record)
        return;
    const uint32_t writeTime = FileWriteTime(file);
    if (writeTime == record->writeTime || !page.ImageByName("ScrShotImg"))
        return;
    TInterfacePtr<INVBitmap> loaded = BitmapFromFile(file);
    if (!loaded)
        return;
    record->writeTime = writeTime;
    exception.SetScreenImage(ShareScreenshot(loaded));
    ShowScreenshot(page, exception);
}

void ScreenshotPageClosed(INVForm& page, IQEException& exception)
{
    std::string file;
    const bool named = ScreenshotTempFile(file);
    if (EditRecord(page)) {
        if (HANDLE editor = DropEditRecord(page))
            CloseHandle(editor);
        if (named)
            DeleteFileA(file.c_str());
    }
    if (TInterfacePtr<INVCheckBox> check = page.CheckBoxByName("AttachCheck"))
        exception.SetAttachScreenshot(check->Checked());
}

} // namespace

void HandleContactForm(INVForm& page, uint8_t action, INVItem* item, void* exception)
{
    if (action == kActionCreated)
        ContactPageCreated(page);
    else if (action == kActionClosed && page.ModalResult() == kResultContinued)
        ContactPageContinued(page, static_cast<IQEException*>(exception));
    else if (action == kActionItem && item && item->Name() == "EmailEdit")
        if (TInterfacePtr<INVEdit> edit = TInterfacePtr<INVItem>(item).Query<INVEdit>())
            edit->SetValid(qor::EmailAddressIsValid(edit->Text()));
}

void HandleScreenshotForm(INVForm& page, uint8_t action, INVItem* item, void* reported)
{
    auto* exception = static_cast<IQEException*>(reported);
    if (!exception)
        return;
    std::string file;
    if (action == kActionCreated) {
        ShowScreenshot(page, *exception);
        if (TInterfacePtr<INVCheckBox> check = page.CheckBoxByName("AttachCheck"))
            check->SetChecked(exception->AttachScreenshot());
    } else if (action == kActionItem && ScreenshotTempFile(file)) {
        if (item)
            EditScreenshot(page, *item, *exception, file);
        else
            ReloadScreenshot(page, *exception, file);
    } else if (action == kActionClosed) {
        ScreenshotPageClosed(page, *exception);
    }
}

TNVAction AssistantHandlerByName(const std::string& name)
{
    if (classlib::SameText(name, "qorExcept.HandleContactForm"))
        return HandleContactForm;
    if (classlib::SameText(name, "qorExcept.HandleScreenshotForm"))
        return HandleScreenshotForm;
    if (name.empty())
        return nullptr;
    // Any other name is "unit.routine" (or a routine without unit), a public code symbol of
    // this program's own debug information.
    const size_t dot = name.find('.');
    const std::string unit = dot == std::string::npos ? std::string() : name.substr(0, dot);
    const std::string routine = dot == std::string::npos ? name : name.substr(dot + 1);
    const std::shared_ptr<const qor::TMapFile> map = qor::MapFileOf(0);
    if (!map || !map->Valid())
        return nullptr;
    const uint32_t address = map->LocatePublic(true, unit, routine, true);
    return address ? reinterpret_cast<TNVAction>(static_cast<uintptr_t>(address)) : nullptr;
}

uint32_t FileWriteTime(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);
    FILETIME local;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) ||
        !FileTimeToDosDateTime(&local, &date, &time))
        return 0;
    return uint32_t(date) << 16 | time;
}

bool ScreenshotTempFile(std::string& path)
{
    const std::string folder = qor::LibraryTempFolder();
    if (folder.empty())
        return false;
    path = folder + "screenShot.bmp";
    return true;
}

} // namespace crashui
