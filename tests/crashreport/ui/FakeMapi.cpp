// A stand-in for the system's mapi32.dll: MAPISendMail writes what it was handed to the file
// named by BRENVIK_MAPI_RECORD and answers the code in BRENVIK_MAPI_RESULT (default success).
#include <windows.h>
#include <mapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Variable(const char* name)
{
    char value[1024] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

std::string Text(const char* text)
{
    return text ? text : "(null)";
}

} // namespace

extern "C" ULONG WINAPI MAPISendMail(LHANDLE session, ULONG_PTR parent, lpMapiMessage message,
                                     FLAGS flags, ULONG reserved)
{
    std::string record = "session=" + std::to_string(session) +
                         "\nparent=" + std::to_string(parent) + "\nflags=" + std::to_string(flags) +
                         "\nreserved=" + std::to_string(reserved) + "\n";
    record +=
        "subject=" + Text(message->lpszSubject) + "\nnote=" + Text(message->lpszNoteText) + "\n";
    record += "originator=" + std::string(message->lpOriginator ? "set" : "none") + "\n";
    for (ULONG i = 0; i < message->nRecipCount; ++i) {
        const MapiRecipDesc& r = message->lpRecips[i];
        record += "recipient=" + std::to_string(r.ulRecipClass) + "|" + Text(r.lpszName) + "|" +
                  Text(r.lpszAddress) + "\n";
    }
    for (ULONG i = 0; i < message->nFileCount; ++i) {
        const MapiFileDesc& f = message->lpFiles[i];
        record += "file=" + std::to_string(f.nPosition) + "|" + Text(f.lpszPathName) + "|" +
                  Text(f.lpszFileName) + "\n";
    }
    if (FILE* out = std::fopen(Variable("BRENVIK_MAPI_RECORD").c_str(), "wb")) {
        std::fwrite(record.data(), 1, record.size(), out);
        std::fclose(out);
    }
    return static_cast<ULONG>(std::atoi(Variable("BRENVIK_MAPI_RESULT").c_str()));
}
