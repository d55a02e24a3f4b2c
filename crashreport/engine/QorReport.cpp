#include "QorReport.h"
#include "QorLoaderLock.h"

#include "ExceptionPathSystem.h"
#include "QorExceptionClass.h"
#include "QorExceptionRequest.h"
#include "QorHandlers.h"
#include "QorLibrary.h"
#include "QorPipeline.h"
#include "QorPluginSections.h"
#include "QorReportPlugins.h"
#include "QorReportText.h"
#include "QorRestart.h"
#include "QorSettings.h"
#include "QorSettingsTable.h"
#include "QorStrings.h"
#include "QorThreadRegistry.h"
#include "QorTools.h"
#include "QorTraceProcess.h"
#include "QorWatchdog.h"
#include "QorZip.h"
#include "StackDump.h"
#include "StackTracerWin32.h"
#include "GuardedRead.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace qor {

namespace {

constexpr UINT showReportMessage = WM_USER + 778;
constexpr UINT closeWindowMessage = WM_USER + 779;
constexpr const char* compiledWithOld = "GCC 2 (MinGW)";
constexpr const char* compiledWithNew = "GCC (MinGW-w64)";

std::atomic<uint64_t> exceptionNumber{0};
std::atomic<DisassemblyRoutine> disassemblyRoutine{nullptr};

LocalTime ToLocalTime(const SYSTEMTIME& time)
{
    return LocalTime{time.wYear,   time.wMonth,  time.wDay,         time.wHour,
                     time.wMinute, time.wSecond, time.wMilliseconds};
}

std::string Placeholder()
{
    return ">> " + std::string(kCalculatedSoon);
}

uint32_t Low32(uintptr_t value)
{
    return static_cast<uint32_t>(value);
}

uintptr_t StackPointer(const CONTEXT& context)
{
#ifdef _WIN64
    return context.Rsp;
#else
    return context.Esp;
#endif
}

uintptr_t FramePointer(const CONTEXT& context)
{
#ifdef _WIN64
    return context.Rbp;
#else
    return context.Ebp;
#endif
}

// The end of the memory region that holds `address`, 0 when it cannot be queried.
uintptr_t RegionEnd(uintptr_t address)
{
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(reinterpret_cast<const void*>(address), &region, sizeof region) !=
        sizeof region)
        return 0;
    return reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
}

struct ThreadState {
    CONTEXT context{};
    uintptr_t stackTop = 0;
    int priority = 0;
    bool suspended = false;
};

// A thread's registers, stack end, priority and whether something else holds it suspended.
bool QueryThreadState(uint32_t threadId, ThreadState& state)
{
    const bool self = threadId == GetCurrentThreadId();
    HANDLE thread = nullptr;
    if (self) {
        if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &thread,
                             0, FALSE, DUPLICATE_SAME_ACCESS))
            return false;
    } else {
        thread = OpenThreadById(
            threadId, THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_QUERY_INFORMATION);
        if (!thread)
            thread = OpenThreadById(threadId, THREAD_GET_CONTEXT);
        if (!thread)
            return false;
    }
    bool read = false;
    state.context.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER | CONTEXT_SEGMENTS;
    if (self) {
        RtlCaptureContext(&state.context);
        read = true;
    } else {
        const DWORD previous = SuspendThread(thread);
        if (previous != static_cast<DWORD>(-1))
            state.suspended = previous > 0;
        read = GetThreadContext(thread, &state.context) != 0;
        if (previous != static_cast<DWORD>(-1))
            ResumeThread(thread);
    }
    if (read) {
        state.stackTop = RegionEnd(StackPointer(state.context));
        const int priority = GetThreadPriority(thread);
        state.priority = priority == THREAD_PRIORITY_ERROR_RETURN ? 0 : priority;
    }
    CloseHandle(thread);
    return read && state.stackTop != 0;
}

std::string FileNameOnly(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Last write of a module's file as local time; false when the file is not found.
bool ModuleFileTime(HMODULE module, LocalTime& time)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(ModuleFilePath(module).c_str(), GetFileExInfoStandard, &data))
        return false;
    FILETIME local{};
    SYSTEMTIME system{};
    if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
        !FileTimeToSystemTime(&local, &system))
        return false;
    time = ToLocalTime(system);
    return true;
}

std::string UserNameText()
{
    char name[261] = {};
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size))
        return {};
    std::string text = name;
    if (UserIsAdministrator())
        text += "  <admin>";
    return text;
}

std::string RegisteredOwnerText()
{
    TOS os;
    QueryOsInfo(os);
    const std::string key =
        std::string("Software\\Microsoft\\Windows") + (os.isNT ? " NT" : "") + "\\CurrentVersion";
    std::string owner = ReadRegistryText(HKEY_LOCAL_MACHINE, key, "RegisteredOwner");
    const std::string organisation =
        ReadRegistryText(HKEY_LOCAL_MACHINE, key, "RegisteredOrganization");
    if (!organisation.empty())
        owner += " / " + organisation;
    return owner;
}

std::string FreeDiskSpaceText()
{
    char windows[MAX_PATH] = {};
    if (!GetWindowsDirectoryA(windows, MAX_PATH))
        return {};
    const char systemDrive = UpperChar(windows[0]);
    std::string text = DiskSpaceText(systemDrive);
    const std::string executable = ModuleFilePath(nullptr);
    if (executable.size() > 1 && executable[1] == ':' && UpperChar(executable[0]) != systemDrive)
        text += " " + DiskSpaceText(UpperChar(executable[0]));
    return text;
}

std::string CommandLineText()
{
    const std::string line = GetCommandLineA();
    // The program's name, quoted or not, then at least one parameter.
    size_t i = 0;
    if (!line.empty() && line[0] == '"') {
        i = line.find('"', 1);
        i = i == std::string::npos ? line.size() : i + 1;
    } else {
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
    }
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    return i < line.size() ? line : std::string();
}

// The linker generation that made the module holding the engine.
std::string CompiledWithText()
{
    const auto* base = reinterpret_cast<const uint8_t*>(EngineModule());
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (!base || dos->e_magic != IMAGE_DOS_SIGNATURE)
        return compiledWithOld;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.MajorLinkerVersion == 2)
        return compiledWithOld;
    return compiledWithNew;
}

std::string ProcessorText()
{
    const std::string name = ProcessorNameText();
    if (name.empty())
        return {};
    const int count = ProcessorCount();
    return count > 1 ? std::to_string(count) + "x " + name : name;
}

HANDLE OwnedHandle(uintptr_t value)
{
    return reinterpret_cast<HANDLE>(value);
}

} // namespace

namespace {

struct WindowSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindExceptionBox(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = {};
    if (owner == search->process && GetClassNameA(window, className, sizeof className) &&
        std::strcmp(className, "qorExceptWndClass") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI CompletionThreadProc(void* exception)
{
    static_cast<TIQEException*>(exception)->ReportCompletionThread();
    return 0;
}

} // namespace

void SetDisassemblyRoutine(DisassemblyRoutine routine)
{
    disassemblyRoutine = routine;
}

bool TIQEException::ListsDisassembly()
{
    return disassemblyRoutine.load() != nullptr && BoolProp("ShowDisAsm");
}

HWND ExceptionBoxWindow()
{
    WindowSearch search{GetCurrentProcessId(), nullptr};
    EnumWindows(FindExceptionBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

__attribute__((noinline)) std::shared_ptr<TIQEException> CreateExceptionObject(
    const ExceptionObjectArguments& arguments)
{
    ExceptionObjectArguments completed = arguments;
    // Without settings: those of the module the exception happened in, else the caller's.
    if (!completed.moduleSettings)
        completed.moduleSettings =
            completed.address
                ? ModuleSettingsOfAddress(reinterpret_cast<const void*>(completed.address))
                : ModuleSettingsOfAddress(__builtin_return_address(0));
    auto exception = std::make_shared<TIQEException>(completed);
    if (completed.dontCompleteYet)
        exception->ReportSections();
    return exception;
}

TIQEException::TIQEException(const ExceptionObjectArguments& arguments)
    : moduleSettings_(arguments.moduleSettings),
      continuable_(arguments.continuable),
      continuableAtCreation_(arguments.continuable),
      kind_(arguments.kind),
      object_(arguments.object),
      message_(arguments.message),
      address_(arguments.address),
      faultingThreadId_(arguments.faultingThreadId ? arguments.faultingThreadId
                                                   : GetCurrentThreadId()),
      stackPosition_(arguments.stackPosition),
      framePointer_(arguments.framePointer),
      preparedStack_(arguments.preparedStack),
      origin_(arguments.origin),
      associatedObject_(arguments.associatedObject),
      packageHandle_(arguments.packageHandle),
      dontCompleteYet_(arguments.dontCompleteYet)
{
    GetLocalTime(&created_);
    if (!stackPosition_)
        stackPosition_ = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (!framePointer_)
        framePointer_ = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (arguments.context) {
        context_ = *arguments.context;
        hasContext_ = true;
    }
    header_ = CreateFields();
    sections_ = CreateFields();
    for (const IQEFields& list : {header_, sections_}) {
        list->AttachException(this);
        list->EnableWriting();
    }
    const ReportActions actions = RegisteredReportActions();
    if (actions.createAlert)
        alert_ = actions.createAlert(StrProp("PlWaitTitle"));
    ApplyClassFilters();
}

TIQEException::~TIQEException()
{
    abort_ = true;
    if (completionThread_) {
        if (LoaderLockHeld(250))
            TerminateThread(completionThread_, 0);
        else
            WaitForSingleObject(completionThread_, INFINITE);
        CloseHandle(completionThread_);
    }
    header_->DetachException();
    sections_->DetachException();
    if (sendThread_)
        CloseHandle(OwnedHandle(sendThread_));
}

// --- settings ------------------------------------------------------------------------------

const TIQEException::SettingValue* TIQEException::OwnValue(std::string_view key) const
{
    const auto found = own_.find(key);
    return found == own_.end() ? nullptr : &found->second;
}

void TIQEException::Store(std::string_view key, SettingValue value)
{
    std::lock_guard<std::mutex> guard(settingsLock_);
    own_[std::string(key)] = std::move(value);
}

uintptr_t TIQEException::ModuleHandle()
{
    return moduleSettings_ ? reinterpret_cast<uintptr_t>(moduleSettings_->ModuleHandle()) : 0;
}

bool TIQEException::BoolProp(std::string_view key)
{
    {
        std::lock_guard<std::mutex> guard(settingsLock_);
        if (const SettingValue* value = OwnValue(key))
            return value->kind == SettingsBoolean ? value->boolean : value->integer != 0;
    }
    if (moduleSettings_)
        return moduleSettings_->BoolProp(key);
    const SettingsProperty* fallback = DefaultSetting(key);
    return fallback && fallback->Kind == SettingsBoolean && fallback->Boolean != 0;
}

int32_t TIQEException::IntProp(std::string_view key)
{
    {
        std::lock_guard<std::mutex> guard(settingsLock_);
        if (const SettingValue* value = OwnValue(key))
            return value->kind == SettingsBoolean ? (value->boolean ? 1 : 0) : value->integer;
    }
    if (moduleSettings_)
        return moduleSettings_->IntProp(key);
    const SettingsProperty* fallback = DefaultSetting(key);
    if (!fallback)
        return 0;
    return fallback->Kind == SettingsBoolean ? fallback->Boolean : fallback->Integer;
}

std::string TIQEException::StrProp(std::string_view key)
{
    {
        std::lock_guard<std::mutex> guard(settingsLock_);
        if (const SettingValue* value = OwnValue(key))
            return value->text;
    }
    if (moduleSettings_)
        return moduleSettings_->StrProp(key);
    const SettingsProperty* fallback = DefaultSetting(key);
    return fallback && fallback->Kind == SettingsText && fallback->Text ? fallback->Text : "";
}

bool TIQEException::SetBoolProp(std::string_view key, bool value)
{
    Store(key, {SettingsBoolean, value, 0, {}});
    return true;
}

bool TIQEException::SetIntProp(std::string_view key, int32_t value)
{
    Store(key, {SettingsInteger, false, value, {}});
    return true;
}

bool TIQEException::SetStrProp(std::string_view key, std::string_view value)
{
    Store(key, {SettingsText, false, 0, std::string(value)});
    return true;
}

void TIQEException::ApplyClassFilters()
{
    const std::string group = kind_ == reportFrozen || !object_
                                  ? std::string("Gn")
                                  : ClassFilterGroup(StrProp("F1Classes"), StrProp("F2Classes"),
                                                     [this](const std::string& name) {
                                                         return InheritsFromName(object_, name);
                                                     });
    wantsReport_ = !BoolProp(group + "NoBugRep");
    wantsScreenshot_ = !BoolProp(group + "NoScrShot") && IntProp("ScrShotDepth") > 0;
    SetBoolProp("PauseThreads", BoolProp("PauseThreads") && !BoolProp(group + "NoSuspend"));
    runsHandlers_ = !BoolProp(group + "NoHandlers");
    displayMode_ = static_cast<uint8_t>(IntProp(group + "ShowCfg"));
    assistant_ = StrProp(group + "Assis");
    attachScreenshot_ = wantsScreenshot_.load();
}

// --- facts ---------------------------------------------------------------------------------

std::string TIQEException::ErrorClassName()
{
    std::lock_guard<std::mutex> guard(textLock_);
    if (classNameCache_.empty())
        classNameCache_ = ExceptionClassText(object_);
    return classNameCache_;
}

std::string TIQEException::ErrorMessage()
{
    std::lock_guard<std::mutex> guard(textLock_);
    if (messageCache_.empty()) {
        std::string message = message_;
        if (message.empty() && object_) {
            // An object of the standard exception family says its message, another its class.
            try {
                std::rethrow_exception(object_);
            } catch (const std::exception& error) {
                message = error.what();
            } catch (...) {
                message = ExceptionClassText(object_);
            }
        }
        messageCache_ = MessageSentence(CleanMessageText(message));
    }
    return messageCache_;
}

uint32_t TIQEException::StackCrc(int index)
{
    return index >= 0 && index < 3 && complete_ ? checksums_[static_cast<size_t>(index)] : 0;
}

std::string TIQEException::DisplayAssistant()
{
    std::lock_guard<std::mutex> guard(textLock_);
    return assistant_;
}

void TIQEException::SetDisplayAssistant(const std::string& value)
{
    std::lock_guard<std::mutex> guard(textLock_);
    assistant_ = value;
}

void TIQEException::SetStage(uint8_t stage)
{
    stage_ = stage == 3 && complete_ ? 4 : stage;
}

ReportScreenshot TIQEException::ScreenImage()
{
    if (!screenshot_ && wantsScreenshot_) {
        const ReportActions actions = RegisteredReportActions();
        if (actions.captureScreen)
            screenshot_ = actions.captureScreen(BoolProp("ScrShotAppOnly"));
        if (!screenshot_)
            wantsScreenshot_ = false;
    }
    return screenshot_;
}

void TIQEException::SetScreenImage(ReportScreenshot image)
{
    screenshot_ = std::move(image);
}

// --- header and sections -------------------------------------------------------------------

IQEFields TIQEException::ReportHeader()
{
    BuildReport();
    return header_;
}

IQEFields TIQEException::ReportSections()
{
    BuildReport();
    return sections_;
}

void TIQEException::BuildReport()
{
    std::lock_guard<std::recursive_mutex> guard(buildLock_);
    // Listeners told of the header's lines ask for the text again: nothing is built twice.
    if (built_ || building_ || !wantsReport_)
        return;
    building_ = true;
    BuildHeader();
    BuildSections();
    building_ = false;
    built_ = true;
    StartCompletion();
}

void TIQEException::BuildHeader()
{
    std::vector<std::pair<std::string, std::string>> lines;
    auto add = [&lines](const std::string& name, auto value) {
        try {
            lines.emplace_back(name, value());
        } catch (...) {
            // A failing line is left out.
        }
    };
    add("date/time", [this] { return ReportDateTimeText(ToLocalTime(created_)); });
    add("computer name", [] { return ComputerNameStr(); });
    add("wts client name", [] { return TerminalClientName(); });
    add("user name", [] { return UserNameText(); });
    add("registered owner", [] { return RegisteredOwnerText(); });
    add("operating system", [] { return OsVersionText(); });
    add("system language", [] { return OsLanguageText(); });
    add("system up time", [] { return SystemUpTimeText(); });
    add("program up time", [] { return ProgramUpTimeText(LibraryStartTime()); });
    try {
        const std::string processor = ProcessorText();
        lines.emplace_back(ProcessorCount() > 1 ? "processors" : "processor", processor);
    } catch (...) {
    }
    add("physical memory", [] { return PhysicalMemoryText(); });
    add("free disk space", [] { return FreeDiskSpaceText(); });
    add("display mode", [] { return DisplayModeText(); });
    add("process id", [] { return FormatHex(GetCurrentProcessId(), 1, '0'); });
    add("allocated memory", [] { return AllocatedMemoryText(); });
    add("command line", [] { return CommandLineText(); });
    add("executable", [] { return FileNameOnly(ModuleFilePath(nullptr)); });
    const HMODULE engine = EngineModule();
    const bool engineIsMain = engine == GetModuleHandleA(nullptr);
    add("current module",
        [&] { return engineIsMain ? std::string() : FileNameOnly(ModuleFilePath(engine)); });
    add(engineIsMain ? "exec. date/time" : "module date/time", [&] {
        LocalTime time{};
        return ModuleFileTime(engine, time) ? ModuleDateTimeText(time) : std::string();
    });
    add("version", [&] {
        std::string text;
        if (moduleSettings_)
            moduleSettings_->VersionText(text);
        if (text.empty()) {
            const uint64_t number = FileVersionNumber(ModuleFilePath(engine));
            if (number)
                text = FileVersionText(number);
        }
        return text;
    });
    add("bde version", [] {
        const HMODULE bde = GetModuleHandleA("idapi32.dll");
        const uint64_t number = bde ? FileVersionNumber(ModuleFilePath(bde)) : 0;
        return number ? FileVersionText(number) : std::string();
    });
    add("compiled with", [] { return CompiledWithText(); });
    add("qorExcept version", [] { return std::string(kQorExceptVersion); });
    for (const ReportPlugin* plugin : PluginsOfSetting(StrProp("Plugins"), false))
        add(plugin->Name, [plugin] { return plugin->Text ? plugin->Text() : std::string(); });
    add("callstack crc", [] { return std::string(kCalculatedSoon); });
    add("exception number", [] { return std::to_string(++exceptionNumber); });
    if (kind_ != reportFrozen)
        add("exception class", [this] { return ErrorClassName(); });
    add("exception message", [this] {
        if (kind_ == reportFrozen)
            return StrProp("FrozenMsg");
        const std::string message = HeaderMessageText(ErrorMessage());
        return message == ErrorClassName() ? std::string() : message;
    });

    header_->BeginAccess();
    for (const auto& [name, value] : lines)
        header_->SetValue(name, value);
    // Lines added later by name go just before "callstack crc", however many system lines were
    // left out for an empty value (a count of the gathered lines would place them higher up
    // with every further empty line).
    header_->SetInsertIndex(header_->IndexOfName("callstack crc"));
    header_->EndAccess();
}

void TIQEException::AddThreadSection(std::vector<std::pair<std::string, std::string>>& sections,
                                     uint32_t threadId, bool exceptionThread)
{
    const bool relativeAddresses = BoolProp("ShowRelAddrs");
    const bool relativeLines = BoolProp("ShowRelLines");
    std::string name;
    try {
        uintptr_t creator = 0;
        uint32_t creatorThread = 0;
        std::string description;
        ThreadDescription(threadId, exceptionThread, creator, description, creatorThread);
        if (description.empty())
            return;
        name = description + ":";
        ThreadState state;
        if (!QueryThreadState(threadId, state)) {
            std::string text = ">> stack not accessible";
            if (exceptionThread)
                text += ", exception location:\r\n" +
                        ProcessStackTracer().StackItemText(Low32(address_), relativeAddresses,
                                                           relativeLines);
            sections.emplace_back(name, text);
            return;
        }
        if (state.suspended)
            name += " <suspended>";
        if (state.priority != 0)
            name += " <priority:" + std::to_string(state.priority) + ">";
        ThreadStack record;
        record.name = name;
        record.isExceptionThread = exceptionThread;
        record.creatorAddress = creator;
        record.creatorThreadId = creatorThread;
        uintptr_t stackPosition = StackPointer(state.context);
        uintptr_t framePointer = FramePointer(state.context);
        uint32_t currentForScan = 0;
        if (exceptionThread) {
            record.currentAddress = Low32(address_);
            if (hasContext_) {
                stackPosition = StackPointer(context_);
                framePointer = FramePointer(context_);
                state.stackTop = RegionEnd(stackPosition);
            } else {
                if (stackPosition_)
                    stackPosition = stackPosition_;
                if (framePointer_)
                    framePointer = framePointer_;
                currentForScan = Low32(address_);
            }
        }
        record.stackPosition = Low32(stackPosition);
        record.stackTop = Low32(state.stackTop);
        record.framePointer = Low32(framePointer);
        if (alert_)
            alert_->AddSegment(StrProp("PlWaitText"),
                               static_cast<int64_t>(state.stackTop - stackPosition) * 100);
        TDAPreStackList prepared;
        if (exceptionThread && !preparedStack_.empty())
            prepared = preparedStack_;
        else
            CaptureStackCandidates(record.framePointer, record.stackTop, record.stackPosition,
                                   currentForScan, exceptionThread, prepared);
        record.preparedItems.resize(prepared.size() * sizeof(TDAPreStackItem));
        if (!prepared.empty())
            std::memcpy(record.preparedItems.data(), prepared.data(), record.preparedItems.size());
        const std::string location = ProcessStackTracer().StackItemText(
            record.currentAddress, relativeAddresses, relativeLines);
        threadStacks_.push_back(std::move(record));
        sections.emplace_back(name, location + "\r\n>> stack " + std::string(kCalculatedSoon));
    } catch (...) {
        if (!name.empty())
            sections.emplace_back(name, InternalError("GetThreadStack"));
    }
}

void TIQEException::BuildSections()
{
    std::vector<std::pair<std::string, std::string>> sections;
    const uint32_t mainThread = ProcessMainThreadId();
    if (kind_ == reportFrozen) {
        AddThreadSection(sections, mainThread, false);
    } else {
        AddThreadSection(sections, faultingThreadId_, true);
        if (faultingThreadId_ != mainThread && mainThread != 0)
            AddThreadSection(sections, mainThread, false);
    }
    if (BoolProp("ListThreads")) {
        std::vector<uint32_t> threads;
        ListProcessThreads(threads);
        for (uint32_t thread : threads) {
            if ((thread == faultingThreadId_ && kind_ != reportFrozen) || thread == mainThread ||
                (!TraceRequestActive() &&
                 (thread == ExceptionThreadId() || thread == FreezeWatchdogThreadId())))
                continue;
            AddThreadSection(sections, thread, false);
        }
    }
    for (const ReportPlugin* plugin : PluginsOfSetting(StrProp("Plugins"), true))
        sections.emplace_back(plugin->Name, Placeholder());
    if (BoolProp("CpuRegs") && hasContext_)
        sections.emplace_back("cpu registers", Placeholder());
    if (BoolProp("StackDump") && hasContext_)
        sections.emplace_back("stack dump", Placeholder());
    if (ListsDisassembly())
        sections.emplace_back("disassembling", Placeholder());

    sections_->BeginAccess();
    for (const auto& [name, value] : sections)
        sections_->SetValue(name, value);
    sections_->EndAccess();
}

// --- completion ----------------------------------------------------------------------------

void TIQEException::StartCompletion()
{
    if (dontCompleteYet_)
        return;
    if (GetCurrentThreadId() == ExceptionThreadId() && !LoaderLockHeld(250)) {
        DWORD id = 0;
        completionThread_ =
            CreateThread(nullptr, 0, CompletionThreadProc, this, CREATE_SUSPENDED, &id);
        if (completionThread_) {
            completionThreadId_ = id;
            SetThreadRecord(id, completionThread_, "-", 0, 0, nullptr);
            SetThreadPriority(completionThread_, THREAD_PRIORITY_ABOVE_NORMAL);
            ResumeThread(completionThread_);
            return;
        }
    }
    if (alert_ && BoolProp("PlWaitBox"))
        alert_->Display(true);
    ReportCompletionThread();
}

void TIQEException::ReportCompletionThread()
{
    // One run at a time: a listener that asks for the complete text while the sections are
    // being filled gets them as they stand.
    if (completing_.exchange(true))
        return;
    RunCompletion();
    completing_ = false;
}

void TIQEException::RunCompletion()
{
    // Every thread record is traced, whatever ListThreads says: with ListThreads off the
    // records are the faulting thread and the main thread, and a main-thread section left
    // untraced would keep its placeholder for good.
    const bool cpuRegisters = BoolProp("CpuRegs") && hasContext_;
    const bool stackDump = BoolProp("StackDump") && hasContext_;
    const bool disassembly = ListsDisassembly();
    const std::vector<const ReportPlugin*> plugins = PluginsOfSetting(StrProp("Plugins"), true);
    remainingSections_ = static_cast<int>(threadStacks_.size()) + (cpuRegisters ? 1 : 0) +
                         (stackDump ? 1 : 0) + (disassembly ? 1 : 0) +
                         static_cast<int>(plugins.size());
    uint32_t routineStart = 0, routineAddress = 0;
    fingerprints_.clear();
    try {
        if (!abort_ && !threadStacks_.empty()) {
            const TraceOut first = GetThreadReport(threadStacks_[0]);
            checksums_[0] = first.firstChecksum;
            checksums_[1] = first.chainChecksum;
            checksums_[2] = first.chainChecksum;
            if (first.exceptionAddress)
                address_ = first.exceptionAddress;
            routineStart = first.routineStart;
            routineAddress = first.routineAddress;
            CompleteSection(threadStacks_[0].name, first.text);
        }
        if (!abort_ && cpuRegisters)
            CompleteSection("cpu registers", CpuRegistersSection());
        if (!abort_ && stackDump)
            CompleteSection("stack dump", StackDumpText());
        if (!abort_ && disassembly)
            CompleteSection("disassembling", CleartextDisassembly(routineStart, routineAddress));
        for (const ReportPlugin* plugin : plugins) {
            if (abort_)
                break;
            std::string text;
            try {
                text = plugin->Text ? plugin->Text() : std::string();
            } catch (...) {
                text = InternalError("plugin");
            }
            CompleteSection(plugin->Name, text);
        }
        for (size_t i = 1; i < threadStacks_.size() && !abort_; ++i) {
            const TraceOut trace = GetThreadReport(threadStacks_[i]);
            if (trace.hasLines) {
                const uint8_t bytes[4] = {static_cast<uint8_t>(trace.chainChecksum),
                                          static_cast<uint8_t>(trace.chainChecksum >> 8),
                                          static_cast<uint8_t>(trace.chainChecksum >> 16),
                                          static_cast<uint8_t>(trace.chainChecksum >> 24)};
                checksums_[2] = ContinueCrc32(checksums_[2], bytes, sizeof bytes);
            }
            CompleteSection(threadStacks_[i].name, trace.text);
        }
    } catch (...) {
        // The sections not stored keep their placeholders.
    }
    if (alert_)
        alert_->Dismiss();
    if (!abort_ && stage_ == 3) {
        stage_ = 4;
        bool handled = false;
        DispatchHandlers(eventException, 0, handled, *this);
    }
}

// The internal-error line of a section producer that failed; while an exception is reported,
// followed by the location of that exception.
std::string TIQEException::InternalError(const std::string& routine)
{
    std::string text = InternalErrorText(routine);
    if (kind_ != reportException || !address_)
        return text;
    try {
        text += ":\r\n" + ProcessStackTracer().StackItemText(
                              Low32(address_), BoolProp("ShowRelAddrs"), BoolProp("ShowRelLines"));
    } catch (...) {
        // The line stays without its location.
    }
    return text;
}

TIQEException::TraceOut TIQEException::GetThreadReport(ThreadStack& record)
{
    TraceOut out;
    try {
        TDAPreStackList prepared(record.preparedItems.size() / sizeof(TDAPreStackItem));
        if (!prepared.empty())
            std::memcpy(prepared.data(), record.preparedItems.data(),
                        prepared.size() * sizeof(TDAPreStackItem));
        TraceStackArguments arguments;
        arguments.hideItemsWithoutLines = BoolProp("HideUglyItems");
        arguments.relativeAddresses = BoolProp("ShowRelAddrs");
        arguments.relativeLines = BoolProp("ShowRelLines");
        arguments.currentAddress = record.currentAddress;
        arguments.isException = record.isExceptionThread;
        arguments.outsideException = record.external;
        arguments.stackBottom = record.stackPosition;
        arguments.stackTop = record.stackTop;
        arguments.creatorAddress = Low32(record.creatorAddress);
        arguments.framePointer = record.framePointer;
        arguments.cppTerminationMode = record.termination;
        arguments.preparedList = prepared.empty() ? nullptr : &prepared;
        arguments.abort = &abort_;
        arguments.noTopItem = !record.isExceptionThread && record.currentAddress == 0;
        TraceStackResults results;
        TraceStack(arguments, results);
        if (alert_)
            alert_->SegmentDone();
        record.preparedItems.clear();
        out.text = results.text;
        out.firstChecksum = results.firstChecksum;
        out.chainChecksum = results.chainChecksum;
        out.exceptionAddress = results.exceptionAddress;
        out.routineStart = results.routineStart;
        out.routineAddress = results.routineAddress;
        out.hasLines = results.hasLines;
        for (const std::string& fingerprint : results.fingerprints)
            if (std::find(fingerprints_.begin(), fingerprints_.end(), fingerprint) ==
                fingerprints_.end())
                fingerprints_.push_back(fingerprint);
        if (record.creatorAddress && !abort_ && !out.text.empty() && out.text[0] != '>') {
            uintptr_t creator = 0;
            uint32_t creatorsCreator = 0;
            std::string description;
            ThreadDescription(record.creatorThreadId, true, creator, description, creatorsCreator);
            const size_t lastBreak = out.text.rfind("\r\n");
            const std::string line = "\r\n>> created by " + description + " at:";
            out.text.insert(lastBreak == std::string::npos ? out.text.size() : lastBreak, line);
        }
    } catch (...) {
        out.text = InternalError("GetThreadReport");
    }
    return out;
}

std::string TIQEException::CpuRegistersSection()
{
    try {
#ifdef _WIN64
        const CONTEXT& c = context_;
        return CpuRegistersText({Low32(c.Rax), Low32(c.Rbx), Low32(c.Rcx), Low32(c.Rdx),
                                 Low32(c.Rsi), Low32(c.Rdi), Low32(c.Rip), Low32(c.Rsp),
                                 Low32(c.Rbp)});
#else
        const CONTEXT& c = context_;
        return CpuRegistersText({c.Eax, c.Ebx, c.Ecx, c.Edx, c.Esi, c.Edi, c.Eip, c.Esp, c.Ebp});
#endif
    } catch (...) {
        return InternalError("GetCpuRegisters");
    }
}

std::string TIQEException::CleartextDisassembly(uint32_t routineStart, uint32_t location)
{
    // No routine known: the section stays empty and is left out of the report.
    const DisassemblyRoutine routine = disassemblyRoutine.load();
    if (!routine || !routineStart)
        return {};
    try {
        return routine(routineStart, location, BoolProp("FormatDisAsm"),
                       static_cast<uint32_t>(std::max(IntProp("LimitDisAsm"), 0)));
    } catch (...) {
        return InternalError("GetCleartextDisAsm");
    }
}

std::string TIQEException::StackDumpText()
{
    try {
        ProcessMemory memory;
        return GetStackDump(memory, Low32(StackPointer(context_)));
    } catch (...) {
        return InternalError("GetStackDump");
    }
}

void TIQEException::CompleteSection(const std::string& name, const std::string& text)
{
    if (abort_)
        return;
    HoldChanges();
    sections_->SetValue(name, text);
    if (--remainingSections_ == 0) {
        header_->SetValue("callstack crc", CallstackCrcText(checksums_));
        for (const std::string& entry : fingerprints_) {
            const size_t bar = entry.find('|');
            if (bar != std::string::npos)
                header_->SetValue(entry.substr(0, bar) + ".qor", entry.substr(bar + 1));
        }
        complete_ = true;
    }
    ReleaseChanges();
}

// --- report text and listeners --------------------------------------------------------------

std::string TIQEException::ReportText(bool mustBeComplete)
{
    std::string cached;
    uint64_t version = 0;
    {
        std::lock_guard<std::mutex> guard(textLock_);
        cached = text_;
        version = version_;
    }
    if (!wantsReport_)
        return cached;
    if (!cached.empty() && (!mustBeComplete || complete_))
        return cached;
    BuildReport();
    if (mustBeComplete && !complete_) {
        if (dontCompleteYet_) {
            if (alert_ && BoolProp("PlWaitBox"))
                alert_->Display(true);
            ReportCompletionThread();
        } else if (completionThread_ && GetCurrentThreadId() != completionThreadId_ &&
                   !LoaderLockHeld(0)) {
            if (alert_ && BoolProp("PlWaitBox") && alert_->Displayed()) {
                SetThreadPriority(completionThread_, THREAD_PRIORITY_HIGHEST);
                while (WaitForSingleObject(completionThread_, 50) == WAIT_TIMEOUT)
                    alert_->Pump();
                alert_->Pump();
            } else {
                WaitForSingleObject(completionThread_, INFINITE);
            }
        }
    }
    std::string text = AssembleReportText(*header_, *sections_);
    {
        std::lock_guard<std::mutex> guard(textLock_);
        if (version_ == version)
            text_ = text;
    }
    return text;
}

void TIQEException::SetReportText(const std::string& text)
{
    {
        std::lock_guard<std::mutex> guard(textLock_);
        text_ = text;
    }
    NotifyReportListeners();
}

void TIQEException::HoldChanges()
{
    ++batch_;
}

void TIQEException::ReleaseChanges()
{
    if (--batch_ == 0 && dirty_)
        MarkReportChanged();
}

void TIQEException::MarkReportChanged()
{
    if (batch_ != 0) {
        dirty_ = true;
        return;
    }
    dirty_ = false;
    {
        std::lock_guard<std::mutex> guard(textLock_);
        ++version_;
        text_.clear();
    }
    NotifyReportListeners();
}

void TIQEException::NotifyReportListeners()
{
    std::vector<Listener> copy;
    {
        std::lock_guard<std::mutex> guard(listenerLock_);
        copy = listeners_;
    }
    if (copy.empty())
        return;
    const std::string text = ReportText(false);
    const bool complete = complete_;
    for (const Listener& entry : copy)
        entry.listener(complete, text, *this);
}

void TIQEException::AddReportListener(const void* key, ReportListener listener, bool critical)
{
    {
        std::lock_guard<std::mutex> guard(listenerLock_);
        for (Listener& entry : listeners_)
            if (entry.key == key) {
                entry.critical = critical;
                return;
            }
        listeners_.push_back({key, listener, critical});
    }
    const std::string text = ReportText(false);
    listener(complete_, text, *this);
}

void TIQEException::RemoveReportListener(const void* key)
{
    std::lock_guard<std::mutex> guard(listenerLock_);
    for (auto entry = listeners_.begin(); entry != listeners_.end(); ++entry)
        if (entry->key == key) {
            listeners_.erase(entry);
            return;
        }
}

bool TIQEException::HasCriticalListener()
{
    std::lock_guard<std::mutex> guard(listenerLock_);
    for (const Listener& entry : listeners_)
        if (entry.critical)
            return true;
    return false;
}

// --- actions -------------------------------------------------------------------------------

HWND TIQEException::ActionWindow(uintptr_t parent) const
{
    return parent ? reinterpret_cast<HWND>(parent) : ExceptionBoxWindow();
}

void TIQEException::Present()
{
    const ReportActions actions = RegisteredReportActions();
    if (actions.present)
        actions.present(*this);
}

void TIQEException::PerformShowReport(uintptr_t parent)
{
    if (const HWND window = ActionWindow(parent))
        PostMessageA(window, showReportMessage, 0, 0);
}

void TIQEException::PerformSend(uintptr_t parent)
{
    const HWND window = ActionWindow(parent);
    bool handled = false;
    DispatchHandlers(eventAction, actionSend, handled, *this);
    if (!handled) {
        const ReportScreenshot screenshot = attachScreenshot_ ? ScreenImage() : nullptr;
        if (sendThread_) {
            CloseHandle(OwnedHandle(sendThread_));
            sendThread_ = 0;
        }
        const std::string report = ReportText(true);
        const ReportActions actions = RegisteredReportActions();
        if (actions.deliver)
            actions.deliver(*this, report, screenshot, reinterpret_cast<uintptr_t>(window),
                            &sendThread_, BoolProp("SendInBackgr"));
    }
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

void TIQEException::PerformSave(uintptr_t parent)
{
    const HWND window = ActionWindow(parent);
    bool handled = false;
    DispatchHandlers(eventAction, actionSave, handled, *this);
    if (!handled) {
        const std::string report = ReportText(true);
        const ReportActions actions = RegisteredReportActions();
        if (actions.writeFile)
            actions.writeFile(*this, report, reinterpret_cast<uintptr_t>(window));
    }
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

void TIQEException::PerformPrint(uintptr_t parent)
{
    const HWND window = ActionWindow(parent);
    bool handled = false;
    DispatchHandlers(eventAction, actionPrint, handled, *this);
    if (!handled) {
        const std::string report = ReportText(true);
        const ReportActions actions = RegisteredReportActions();
        if (actions.print)
            actions.print(report, reinterpret_cast<uintptr_t>(window));
    }
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

void TIQEException::PerformContinue(uintptr_t parent)
{
    const HWND window = ActionWindow(parent);
    bool handled = false;
    DispatchHandlers(eventAction, actionContinue, handled, *this);
    if (window)
        SendMessageA(window, closeWindowMessage, 0, 0);
}

void TIQEException::EndWithAction(uint8_t action, uintptr_t parent, bool close)
{
    const HWND window = ActionWindow(parent);
    bool handled = false;
    DispatchHandlers(eventAction, action, handled, *this);
    if (handled)
        return;
    if (window)
        SendMessageA(window, closeWindowMessage, 0, 0);
    if (close)
        CloseProcessNow();
    RestartProcess();
}

void TIQEException::PerformRestart(uintptr_t parent)
{
    EndWithAction(actionRestart, parent, false);
}

void TIQEException::PerformClose(uintptr_t parent)
{
    EndWithAction(actionClose, parent, true);
}

} // namespace qor
