#include "QorTools.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "GuardedRead.h"
#include "QorModuleImage.h"
#include "QorStrings.h"
#include "QorUnmangle.h"

namespace qor {

namespace {

// ---- OS information -------------------------------------------------------------------------

bool OnWindows9xLine()
{
    return (GetVersion() & 0x80000000u) != 0;
}

OsVersionFacts GatherOsFacts()
{
    OsVersionFacts f;
    if (OnWindows9xLine()) {
        OSVERSIONINFOA v{};
        v.dwOSVersionInfoSize = sizeof v;
        if (GetVersionExA(&v)) {
            f.major = v.dwMajorVersion;
            f.minor = v.dwMinorVersion;
            f.build = v.dwBuildNumber;
            f.platformId = v.dwPlatformId;
            f.servicePack.assign(v.szCSDVersion, strnlen(v.szCSDVersion, sizeof v.szCSDVersion));
        }
    } else {
        OSVERSIONINFOEXW ex{};
        ex.dwOSVersionInfoSize = sizeof ex;
        OSVERSIONINFOW plain{};
        plain.dwOSVersionInfoSize = sizeof plain;
        const OSVERSIONINFOW* v = nullptr;
        if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&ex))) {
            v = reinterpret_cast<const OSVERSIONINFOW*>(&ex);
            f.extended = true;
            f.productType = ex.wProductType;
            f.servicePackMajor = ex.wServicePackMajor;
        } else if (GetVersionExW(&plain)) {
            v = &plain;
        }
        if (v) {
            f.major = v->dwMajorVersion;
            f.minor = v->dwMinorVersion;
            f.build = v->dwBuildNumber;
            f.platformId = v->dwPlatformId;
            // The service-pack text in 8 bits: the low byte of each code unit.
            for (size_t i = 0; i < 128 && v->szCSDVersion[i]; ++i)
                f.servicePack += static_cast<char>(v->szCSDVersion[i] & 0xFF);
        }
    }
    f.serverR2 = GetSystemMetrics(SM_SERVERR2) != 0;
    f.tabletPc = GetSystemMetrics(SM_TABLETPC) != 0;
    f.mediaCenter = GetSystemMetrics(SM_MEDIACENTER) != 0;
    f.starter = GetSystemMetrics(SM_STARTER) != 0;
    using NativeInfo = void(WINAPI*)(SYSTEM_INFO*);
    if (auto native = reinterpret_cast<NativeInfo>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetNativeSystemInfo")))) {
        SYSTEM_INFO info{};
        native(&info);
        f.x64 = info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
    }
    return f;
}

// ---- loaded module images -------------------------------------------------------------------

bool ReadAt(const void* base, uintptr_t offset, void* destination, size_t count)
{
    return GuardedRead(reinterpret_cast<uintptr_t>(base) + offset, destination, count);
}

// A loaded module as the reader sees it: the whole image, which the loader maps readable.
struct LoadedModule {
    explicit LoadedModule(HMODULE module)
        : view(module, PeHeadersOf(module) ? ImageSize(PeHeadersOf(module)) : 0),
          image(view, 0, PeLayout::Loaded)
    {
    }
    ByteViewMemory view;
    PeImageReader image;
};

bool ExportFromFile(HMODULE module, const PeImageReader& loaded, uint32_t index, uint32_t& rva)
{
    size_t size = 0;
    const void* file = MapModuleFile(module, &size);
    if (!file)
        return false;
    ByteViewMemory view(file, size);
    PeImageReader onDisk(view, 0, PeLayout::File);
    PeExportDirectory inMemory, inFile;
    uint32_t fileRva = 0;
    bool found = onDisk.Valid() && loaded.ExportDirectory(inMemory) &&
                 onDisk.ExportDirectory(inFile) && inFile.namesRva == inMemory.namesRva &&
                 inFile.functionsRva == inMemory.functionsRva &&
                 onDisk.ExportRvaOfIndex(index, fileRva);
    UnmapViewOfFile(file);
    if (found)
        rva = fileRva;
    return found;
}

// ---- message-handler windows ------------------------------------------------------------------

struct MessageHandler {
    UINT message;
    TMessageHandlerProc procedure;
    TMessageHandlerMethod code;
    void* object;
    bool Same(TMessageHandlerProc p, TMessageHandlerMethod c, void* o) const
    {
        return procedure == p && code == c && object == o;
    }
};

struct HandlerWindow {
    DWORD thread;
    HWND window;
    std::vector<MessageHandler> handlers;
};

// The list is guarded by a named mutex of this copy of the engine; the handle is created once.
std::mutex gMutexHandleLock;
HANDLE gListMutex = nullptr;
std::vector<HandlerWindow> gWindows;

class ListLock {
public:
    explicit ListLock(HANDLE mutex) : mutex_(mutex) { WaitForSingleObject(mutex_, INFINITE); }
    ~ListLock() { ReleaseMutex(mutex_); }
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;

private:
    HANDLE mutex_;
};

std::string HandlerNameSuffix()
{
    return FormatHex(GetCurrentThreadId(), 1, '0') +
           FormatHex64(reinterpret_cast<uintptr_t>(&MessageHandlerWindow), 1, '0');
}

HANDLE ListMutex(bool create)
{
    std::lock_guard<std::mutex> lock(gMutexHandleLock);
    if (!gListMutex && create)
        gListMutex =
            CreateMutexA(nullptr, FALSE, ("qorToolsMsgHandlerMutex" + HandlerNameSuffix()).c_str());
    return gListMutex;
}

HandlerWindow* EntryOf(DWORD thread)
{
    auto it = std::find_if(gWindows.begin(), gWindows.end(),
                           [&](const HandlerWindow& w) { return w.thread == thread; });
    return it == gWindows.end() ? nullptr : &*it;
}

bool DispatchedMessage(UINT message)
{
    static const UINT kBroadcasts[] = {0x11, 0x12, 0x15, 0x16, 0x17, 0x1A, 0x1B, 0x1C, 0x1D,
                                       0x1E, 0x2A, 0x41, 0x48, 0x50, 0x51, 0x54, 0x7E};
    return message >= 0x218 || std::find(std::begin(kBroadcasts), std::end(kBroadcasts), message) !=
                                   std::end(kBroadcasts);
}

LRESULT CALLBACK HandlerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = IsWindowUnicode(window) ? DefWindowProcW(window, message, wParam, lParam)
                                             : DefWindowProcA(window, message, wParam, lParam);
    HANDLE mutex = ListMutex(false);
    if (!mutex || !DispatchedMessage(message))
        return result;
    std::vector<MessageHandler> handlers;
    {
        ListLock lock(mutex);
        for (const HandlerWindow& w : gWindows)
            if (w.window == window)
                handlers = w.handlers;
    }
    // Called on a copy, after the lock: a handler may register or remove handlers.
    for (const MessageHandler& h : handlers) {
        if (h.message != message)
            continue;
        if (h.procedure)
            h.procedure(window, message, wParam, lParam, result);
        else if (h.code)
            h.code(h.object, window, message, wParam, lParam, result);
    }
    return result;
}

uint32_t gWin9xKey = 0;
bool gWin95Layout = false;
std::once_flag gWin9xKeyOnce;

} // namespace

void QueryOsInfo(TOS& os)
{
    // Concurrent first calls compute the same record; the copy is taken under a lock so that
    // no caller reads a half-written one.
    static std::mutex lock;
    static TOS info;
    std::lock_guard<std::mutex> guard(lock);
    if (info.description.empty())
        info = DescribeOs(GatherOsFacts());
    os = info;
}

uint16_t FreeResourcesPercent(uint16_t)
{
    // The free-resource figures exist only on the Windows 9x line, through 16-bit thunks this
    // program (32- and 64-bit) cannot call; the NT line has none.
    return 0;
}

uint64_t FileVersionNumber(const std::string& fileName)
{
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &handle);
    if (!size)
        return 0;
    std::vector<char> data(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(fileName.c_str(), 0, size, data.data()) ||
        !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        length < sizeof(VS_FIXEDFILEINFO))
        return 0;
    return uint64_t{fixed->dwFileVersionMS} << 32 | fixed->dwFileVersionLS;
}

uint32_t TicksSince(uint32_t start)
{
    return TicksBetween(start, GetTickCount());
}

bool ModuleOfAddress(const void* address, HMODULE& module, std::string& fileName)
{
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(address, &info, sizeof info) != sizeof info || info.State != MEM_COMMIT ||
        !info.AllocationBase)
        return false;
    HMODULE base = static_cast<HMODULE>(info.AllocationBase);
    wchar_t name[MAX_PATH + 1];
    DWORD length = GetModuleFileNameW(base, name, MAX_PATH);
    if (!length || length >= MAX_PATH)
        return false;
    name[length] = 0;
    module = base;
    fileName = NarrowText(reinterpret_cast<const char16_t*>(name));
    return true;
}

const void* PeHeadersOf(HMODULE module)
{
    uint16_t dos = 0;
    uint32_t offset = 0, signature = 0;
    if (!module || !ReadAt(module, 0, &dos, 2) || dos != 0x5A4D ||
        !ReadAt(module, 60, &offset, 4) || !ReadAt(module, offset, &signature, 4) ||
        signature != 0x4550)
        return nullptr;
    return reinterpret_cast<const uint8_t*>(module) + offset;
}

uint32_t ImageSize(const void* headers)
{
    uint32_t size = 0; // SizeOfImage lies at the same place in both optional-header forms
    return headers && ReadAt(headers, 24 + 56, &size, 4) ? size : 0;
}

const void* DataDirectoryOf(HMODULE module, uint32_t index)
{
    LoadedModule m(module);
    PeDataDirectory d = m.image.DataDirectory(index);
    return d.rva ? reinterpret_cast<const uint8_t*>(module) + d.rva : nullptr;
}

const void* ExportDirectoryOf(HMODULE module)
{
    return DataDirectoryOf(module, kExportDirectoryIndex);
}

uint32_t RvaToFileOffset(const void* headers, uint32_t rva)
{
    uint16_t count = 0, optionalSize = 0;
    if (!headers || !ReadAt(headers, 6, &count, 2) || !ReadAt(headers, 20, &optionalSize, 2))
        return rva;
    const size_t size = 24 + size_t{optionalSize} + size_t{count} * 40;
    std::vector<uint8_t> bytes(size);
    if (!ReadAt(headers, 0, bytes.data(), size))
        return rva;
    ByteViewMemory view(bytes.data(), bytes.size());
    return SectionRvaToFileOffset(ReadSectionHeaders(view, 0), rva);
}

const void* MapModuleFile(HMODULE module, size_t* size)
{
    std::vector<wchar_t> name(32768);
    DWORD length = GetModuleFileNameW(module, name.data(), static_cast<DWORD>(name.size()));
    if (!length || length >= name.size())
        return nullptr;
    HANDLE file = CreateFileW(name.data(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    LARGE_INTEGER fileSize{};
    HANDLE mapping = GetFileSizeEx(file, &fileSize) && fileSize.QuadPart > 0
                         ? CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr)
                         : nullptr;
    const void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (mapping)
        CloseHandle(mapping);
    CloseHandle(file);
    if (view && size)
        *size = static_cast<size_t>(fileSize.QuadPart);
    return view;
}

void* ResolveExport(HMODULE module, uint32_t rva)
{
    LoadedModule m(module);
    if (!m.image.Valid())
        return nullptr;
    if (!m.image.IsForwarderRva(rva))
        return reinterpret_cast<uint8_t*>(module) + rva;
    std::string forwarder;
    if (!m.image.ReadRvaText(rva, forwarder))
        return nullptr;
    size_t dot = forwarder.find('.', 1);
    if (dot == std::string::npos)
        return nullptr;
    // Only a library that is loaded already: a crash report must not load libraries.
    HMODULE target = GetModuleHandleA(forwarder.substr(0, dot).c_str());
    if (!target)
        return nullptr;
    // Forwarders that lead in a circle (damaged or hostile libraries) end after a few hops
    // instead of exhausting the stack of the code that reports a crash.
    constexpr int kMaxForwarderHops = 16;
    static thread_local int hops = 0;
    if (hops >= kMaxForwarderHops)
        return nullptr;
    struct Hop {
        Hop() { ++hops; }
        ~Hop() { --hops; }
    } hop;
    std::string function = forwarder.substr(dot + 1);
    if (function.size() > 1 && function[0] == '#')
        return ExportByOrdinal(
            target, static_cast<uint32_t>(ParseIntBuf(false, function.data() + 1,
                                                      static_cast<int>(function.size() - 1))));
    return ExportByName(target, function, false);
}

void* ExportByName(HMODULE module, const std::string& name, bool doubleCheck)
{
    LoadedModule m(module);
    if (!module || !m.image.Valid())
        return nullptr;
    uint32_t index = 0, rva = 0;
    if (m.image.ExportIndexByName(name, index) && m.image.ExportRvaOfIndex(index, rva)) {
        if (doubleCheck || rva >= m.image.ImageSize())
            ExportFromFile(module, m.image, index, rva);
        return ResolveExport(module, rva);
    }
    if (m.image.Pe32Plus())
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(module, name.c_str()));
}

void* ExportByOrdinal(HMODULE module, uint32_t ordinal)
{
    LoadedModule m(module);
    uint32_t rva = 0;
    if (m.image.ExportRvaByOrdinal(ordinal, rva))
        return ResolveExport(module, rva);
    if (!m.image.Valid() || m.image.Pe32Plus() || ordinal > 0xFFFF)
        return nullptr;
    return reinterpret_cast<void*>(
        GetProcAddress(module, reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(ordinal))));
}

std::string ExportName(HMODULE module, const void* address, bool unmangle)
{
    uintptr_t base = reinterpret_cast<uintptr_t>(module), at = reinterpret_cast<uintptr_t>(address);
    if (!module || at < base || at - base > 0xFFFFFFFF)
        return "";
    LoadedModule m(module);
    std::string name = m.image.ExportNameOfRva(static_cast<uint32_t>(at - base));
    std::string unit;
    if (unmangle && !name.empty()) {
        std::string unmangled = name;
        if (UnmangleName(unmangled, unit))
            return unit + "." + unmangled;
    }
    return name;
}

std::string ReadResource(HMODULE module, const char* type, const char* name)
{
    HRSRC resource = FindResourceA(module, name, type);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return "";
    return std::string(static_cast<const char*>(bytes), SizeofResource(module, resource));
}

HWND MessageHandlerWindow(DWORD thread)
{
    const DWORD self = GetCurrentThreadId();
    if (!thread)
        thread = self;
    HANDLE mutex = ListMutex(true);
    if (!mutex)
        return nullptr;
    {
        ListLock lock(mutex);
        if (HandlerWindow* entry = EntryOf(thread))
            return entry->window;
    }
    if (thread != self)
        return nullptr; // windows are created only by their own thread
    const std::string className = kMessageHandlerClassPrefix + HandlerNameSuffix();
    WNDCLASSA wc{};
    wc.lpfnWndProc = HandlerWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className.c_str();
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, className.c_str(), "", WS_POPUP, 0, 0, 0, 0,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    if (window) {
        ListLock lock(mutex);
        gWindows.push_back({thread, window, {}});
    }
    return window;
}

UINT AddMessageHandler(TMessageHandlerProc procedure, UINT message, DWORD thread,
                       TMessageHandlerMethod code, void* object)
{
    HWND window = MessageHandlerWindow(thread);
    if (!window)
        return 0;
    ListLock lock(ListMutex(false));
    auto entry = std::find_if(gWindows.begin(), gWindows.end(),
                              [&](const HandlerWindow& w) { return w.window == window; });
    if (entry == gWindows.end())
        return 0;
    std::vector<MessageHandler>& handlers = entry->handlers;
    if (message) {
        for (const MessageHandler& h : handlers)
            if (h.message == message && h.Same(procedure, code, object))
                return 0;
    } else {
        message = 1024;
        while (std::any_of(handlers.begin(), handlers.end(),
                           [&](const MessageHandler& h) { return h.message == message; }))
            ++message;
    }
    handlers.push_back({message, procedure, code, object});
    return message;
}

void RemoveMessageHandler(TMessageHandlerProc procedure, UINT message, DWORD thread,
                          TMessageHandlerMethod code, void* object)
{
    HANDLE mutex = ListMutex(false);
    if (!mutex)
        return;
    const DWORD self = GetCurrentThreadId();
    if (!thread)
        thread = self;
    HWND emptied = nullptr;
    {
        ListLock lock(mutex);
        HandlerWindow* entry = EntryOf(thread);
        if (!entry)
            return;
        std::vector<MessageHandler>& handlers = entry->handlers;
        for (size_t i = 0; i < handlers.size();) {
            if (handlers[i].Same(procedure, code, object) &&
                (!message || handlers[i].message == message)) {
                handlers[i] = handlers.back(); // the last handler takes its place
                handlers.pop_back();
            } else {
                ++i;
            }
        }
        if (handlers.empty() && IsWindow(entry->window)) {
            emptied = entry->window;
            *entry = std::move(gWindows.back());
            gWindows.pop_back();
        }
    }
    if (!emptied)
        return;
    if (thread == self)
        DestroyWindow(emptied);
    else
        PostMessageA(emptied, WM_CLOSE, 0, 0);
}

uint32_t Win9xIdKey()
{
    std::call_once(gWin9xKeyOnce, [] {
        const uint32_t thread = GetCurrentThreadId(), process = GetCurrentProcessId();
        // The thread information block through ntdll's export: the compiler's inline form
        // reads the segment register, which only the 32-bit layout names the same way.
        using CurrentTeb = void*(NTAPI*)();
        auto currentTeb = reinterpret_cast<CurrentTeb>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtCurrentTeb")));
        if (!currentTeb)
            return;
        const uint8_t* tib = static_cast<const uint8_t*>(currentTeb());
        const void* self = nullptr;
        if (!ReadAt(tib, offsetof(NT_TIB, Self), &self, sizeof self))
            return;
        auto wordAt = [](uint32_t address, uint32_t& value) {
            return GuardedRead(address, &value, sizeof value);
        };
        uint32_t key = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(self) - 16) ^ thread;
        uint32_t word = 0;
        if (wordAt((thread ^ key) + 8, word) && word == (process ^ key)) {
            gWin9xKey = key;
            gWin95Layout = true;
            return;
        }
        uint32_t at30 = 0;
        if (!ReadAt(tib, 0x30, &at30, sizeof at30))
            return;
        key = at30 ^ process;
        if (wordAt((thread ^ key) + 0x38, word) && word == (process ^ key))
            gWin9xKey = key;
    });
    return gWin9xKey;
}

bool Win95Layout()
{
    Win9xIdKey();
    return gWin95Layout;
}

} // namespace qor
