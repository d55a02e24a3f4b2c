#pragma once
// The channels through the user's own mail program: MAPI (mapi32.dll, looked up at run time)
// and the "mailto" command registered for the protocol.
#include "BugReportDelivery.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace crashreport {

// The crash-report engine's hold on the main thread: `unblock` releases it and answers whether
// it was held; `block` holds it again. Either may be empty (no hold).
struct MainThreadRelease {
    std::function<bool()> unblock;
    std::function<void()> block;
};

// Hidden sends with recipients go out without a dialog; otherwise the user sees the mail. A
// main thread held by the engine is released for the call, since the mail client's window may
// need it.
MapiOutcome SendViaMapi(const std::string& recipients, const std::string& subject,
                        const std::string& body, bool hidden, HWND parent,
                        const std::vector<std::string>& sendAsNames,
                        const std::vector<std::string>& files,
                        const MainThreadRelease& mainThread = {});

// True when the mail program was started.
bool SendViaMailto(const std::string& recipients, const std::string& subject,
                   const std::string& body);

} // namespace crashreport
