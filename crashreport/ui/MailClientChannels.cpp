#include "MailClientChannels.h"

#include "QorLoaderLock.h"
#include "MailAddresses.h"
#include "MailtoCommand.h"

#include <mapi.h>

namespace crashreport {

namespace {

// A topmost window leaves the topmost band while the mail program shows its window.
class TopmostPause {
public:
    explicit TopmostPause(HWND window)
        : window_(window && (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? window
                                                                                     : nullptr)
    {
        if (window_)
            SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    ~TopmostPause()
    {
        if (window_)
            SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    TopmostPause(const TopmostPause&) = delete;
    TopmostPause& operator=(const TopmostPause&) = delete;

private:
    HWND window_;
};

} // namespace

MapiOutcome SendViaMapi(const std::string& recipients, const std::string& subject,
                        const std::string& body, bool hidden, HWND parent,
                        const std::vector<std::string>& sendAsNames,
                        const std::vector<std::string>& files, const MainThreadRelease& mainThread)
{
    if (qor::LoaderLockHeld(250))
        return MapiOutcome::failed;
    HMODULE library = LoadLibraryA("mapi32.dll");
    if (!library)
        return MapiOutcome::failed;
    const auto sendMail = reinterpret_cast<LPMAPISENDMAIL>(
        reinterpret_cast<void*>(GetProcAddress(library, "MAPISendMail")));
    if (!sendMail) {
        FreeLibrary(library);
        return MapiOutcome::failed;
    }

    // The strings the descriptors point into live until the call returns.
    std::vector<MailRecipient> people;
    for (const std::string& item : MailAddressItems(recipients))
        people.push_back(SplitMailAddress(item));
    std::vector<MapiRecipDesc> recipientDescs;
    for (MailRecipient& person : people) {
        MapiRecipDesc desc{};
        desc.ulRecipClass = MAPI_TO;
        desc.lpszName = person.name.data();
        desc.lpszAddress = person.address.data();
        recipientDescs.push_back(desc);
    }
    std::vector<std::string> paths = files;
    std::vector<std::string> names = sendAsNames;
    names.resize(paths.size());
    std::vector<MapiFileDesc> fileDescs;
    for (size_t i = 0; i < paths.size(); ++i) {
        MapiFileDesc desc{};
        desc.nPosition = static_cast<ULONG>(-1);
        desc.lpszPathName = paths[i].data();
        desc.lpszFileName = names[i].data();
        fileDescs.push_back(desc);
    }
    std::string subjectText = subject;
    std::string noteText = body;
    MapiMessage message{};
    message.lpszSubject = subjectText.data();
    message.lpszNoteText = noteText.data();
    message.nRecipCount = static_cast<ULONG>(recipientDescs.size());
    message.lpRecips = recipientDescs.empty() ? nullptr : recipientDescs.data();
    message.nFileCount = static_cast<ULONG>(fileDescs.size());
    message.lpFiles = fileDescs.empty() ? nullptr : fileDescs.data();
    const FLAGS flags = hidden && !recipientDescs.empty() ? 0 : MAPI_LOGON_UI | MAPI_DIALOG;

    ULONG result;
    {
        TopmostPause pause(parent);
        const bool wasHeld = mainThread.unblock && mainThread.unblock();
        result = sendMail(0, reinterpret_cast<ULONG_PTR>(parent), &message, flags, 0);
        if (wasHeld && mainThread.block)
            mainThread.block();
    }
    FreeLibrary(library);
    if (result == SUCCESS_SUCCESS)
        return MapiOutcome::sent;
    return result == MAPI_USER_ABORT ? MapiOutcome::cancelled : MapiOutcome::failed;
}

bool SendViaMailto(const std::string& recipients, const std::string& subject,
                   const std::string& body)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "mailto\\shell\\open\\command", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    char stored[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    const LONG read =
        RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(stored), &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS || stored[0] == '\0')
        return false;
    char expanded[MAX_PATH + 1] = {};
    if (ExpandEnvironmentStringsA(stored, expanded, MAX_PATH) == 0 || expanded[0] == '\0')
        return false;

    const bool ntFamily = (GetVersion() & 0x80000000u) == 0;
    std::string commandLine = BuildMailtoCommand(expanded, recipients, subject, body, ntFamily);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

} // namespace crashreport
