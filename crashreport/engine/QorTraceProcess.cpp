#include "QorTraceProcess.h"

#include "ExceptionPathSystem.h"
#include "QorReport.h"
#include "QorSettings.h"
#include "QorStrings.h"
#include "QorThreadRegistry.h"
#include "QorTools.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string_view>

namespace qor {

namespace {

std::atomic<bool> traceRequestActive{false};

struct IdeSearch {
    std::string prefix;
    UINT message;
    const std::string* line;
};

BOOL CALLBACK SendToHandlerWindow(HWND window, LPARAM parameter)
{
    const IdeSearch& search = *reinterpret_cast<const IdeSearch*>(parameter);
    char className[256];
    const int length = GetClassNameA(window, className, sizeof className);
    if (length <= 0 ||
        std::string_view(className, static_cast<size_t>(length)).substr(0, search.prefix.size()) !=
            search.prefix)
        return TRUE;
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(window, search.message, GetCurrentProcessId(),
                        reinterpret_cast<LPARAM>(search.line->c_str()), SMTO_ABORTIFHUNG, 1000,
                        &answer);
    return FALSE;
}

} // namespace

bool TraceRequestActive()
{
    return traceRequestActive;
}

std::string CurrentProcessReport()
{
    ExceptionObjectArguments arguments;
    arguments.kind = reportFrozen;
    arguments.moduleSettings = ModuleSettings(nullptr);
    const std::shared_ptr<TIQEException> exception = CreateExceptionObject(arguments);
    exception->SetBoolProp("PlWaitBox", false);
    exception->SetBoolProp("ListThreads", true);
    return exception->ReportText(true);
}

bool WriteTraceMapping(const std::string& report, int32_t size)
{
    if (size < 1)
        return false;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, "Global\\qorTraceProcessMap");
    if (!mapping)
        mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, "qorTraceProcessMap");
    if (!mapping)
        return false;
    bool written = false;
    // The size is the requester's word: it is clamped to the mapping, so that a size beyond it
    // cannot write past the block's end.
    if (void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0)) {
        MEMORY_BASIC_INFORMATION region{};
        if (VirtualQuery(view, &region, sizeof region) == sizeof region && region.RegionSize > 0) {
            const size_t limit = std::min<size_t>(static_cast<size_t>(size), region.RegionSize);
            const size_t length = std::min(report.size(), limit - 1);
            std::memcpy(view, report.data(), length);
            static_cast<char*>(view)[length] = 0;
            written = true;
        }
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    return written;
}

void JumpToIdeLine(const std::string& line)
{
    const HWND environment = FindWindowA("TAppBuilder", nullptr);
    if (environment == nullptr)
        return;
    IdeSearch search;
    search.prefix = std::string(kMessageHandlerClassPrefix) +
                    FormatHex(GetWindowThreadProcessId(environment, nullptr), 1, '0');
    search.message = RegisterWindowMessageA("qorExceptIdeJumpCommand");
    search.line = &line;
    EnumWindows(SendToHandlerWindow, reinterpret_cast<LPARAM>(&search));
}

} // namespace qor

extern "C" DWORD WINAPI qorTraceProcess(void* size)
{
    try {
        const uint32_t self = GetCurrentThreadId();
        qor::SetThreadName(self, "-");
        qor::traceRequestActive = true;
        const std::string report = qor::CurrentProcessReport();
        qor::traceRequestActive = false;
        const auto requested = static_cast<int32_t>(reinterpret_cast<intptr_t>(size));
        if (!report.empty()) {
            if (requested < 1)
                qor::CopyToClipboard(report);
            else
                qor::WriteTraceMapping(report, requested);
        }
        qor::SetThreadName(self, nullptr);
    } catch (...) {
        qor::traceRequestActive = false;
    }
    return 0;
}
