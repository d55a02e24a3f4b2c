#pragma once
// The channels through the user's own mail program: MAPI (mapi32.dll, looked up at run time)
// and the "mailto" command registered for the protocol.
#include "BugReportDelivery.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace crashreport {

// Hidden sends with recipients go out without a dialog; otherwise the user sees the mail.
MapiOutcome SendViaMapi(const std::string& recipients, const std::string& subject,
                        const std::string& body, bool hidden, HWND parent,
                        const std::vector<std::string>& sendAsNames,
                        const std::vector<std::string>& files);

// True when the mail program was started.
bool SendViaMailto(const std::string& recipients, const std::string& subject,
                   const std::string& body);

// Whether the process loader lock is held, polled every 10 ms for up to `milliseconds`:
// starting threads, dialogs or the mail client then would deadlock.
bool LoaderLockHeld(uint32_t milliseconds);

} // namespace crashreport
