// The OS helpers in a running process: the readers of loaded modules against what the system
// loader (GetProcAddress) and dbghelp find, the per-thread message-handler windows, and the OS
// information record.
#include "QorTools.h"

#include <dbghelp.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "GuardedRead.h"
#include "QorModuleImage.h"
#include "QorReadableMap.h"
#include "QorStrings.h"

using namespace qor;

namespace {

HMODULE Fixture()
{
    static HMODULE module = LoadLibraryA(BRENVIK_FIXTURE_LIBRARY);
    return module;
}

void* SystemLookup(HMODULE module, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(module, name));
}

// The named exports of a loaded module, as our reader finds them.
std::vector<PeExport> ExportsOf(HMODULE module)
{
    ByteViewMemory view(module, ImageSize(PeHeadersOf(module)));
    return PeImageReader(view, 0, PeLayout::Loaded).Exports();
}

} // namespace

TEST(QorToolsExports, FixtureExportsAsTheLoaderResolvesThem)
{
    HMODULE fixture = Fixture();
    ASSERT_NE(fixture, nullptr) << BRENVIK_FIXTURE_LIBRARY;
    for (const char* name : {"FixtureFirst", "FixtureSecond", "FixtureData", "ForwardedSleep"}) {
        SCOPED_TRACE(name);
        void* expected = SystemLookup(fixture, name);
        ASSERT_NE(expected, nullptr);
        EXPECT_EQ(ExportByName(fixture, name, false), expected);
        EXPECT_EQ(ExportByName(fixture, name, true), expected) << "checked against the file";
    }
    void* hidden = SystemLookup(fixture, MAKEINTRESOURCEA(7));
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(ExportByOrdinal(fixture, 7), hidden);
    EXPECT_EQ(ExportName(fixture, hidden, false), "#7") << "index 6, ordinal base 1";
    EXPECT_EQ(ExportName(fixture, SystemLookup(fixture, "FixtureFirst"), true), "FixtureFirst");
    EXPECT_EQ(ExportName(fixture, static_cast<char*>(hidden) + 1, false), "");
    // A forwarder to a library that is not loaded resolves to nothing.
    EXPECT_EQ(ExportByName(fixture, "ForwardedAbsent", false), nullptr);
    EXPECT_EQ(ExportByOrdinal(fixture, 5), nullptr);
    // A forwarder that leads back to itself ends instead of recursing for ever.
    EXPECT_EQ(ExportByName(fixture, "ForwardedToItself", false), nullptr);
    EXPECT_EQ(ExportByName(fixture, "Missing", false), nullptr);
    EXPECT_EQ(ExportByName(nullptr, "FixtureFirst", false), nullptr);
}

// Every named export of the system's libraries (kernel32 forwards many to ntdll) is found where
// the loader finds it, and an exported address is named by a name that leads back to it.
TEST(QorToolsExports, SystemLibrariesAgreeWithTheLoader)
{
    for (const char* library : {"kernel32.dll", "ntdll.dll", "user32.dll"}) {
        SCOPED_TRACE(library);
        HMODULE module = LoadLibraryA(library);
        ASSERT_NE(module, nullptr);
        size_t named = 0;
        for (const PeExport& e : ExportsOf(module)) {
            if (e.name.empty())
                continue;
            ++named;
            SCOPED_TRACE(e.name);
            if (!e.forwarder.empty()) {
                // The library is the text before the first "." after the first character, and
                // only one already loaded counts: Wine's 32-bit kernel32 forwards to 16-bit
                // modules ("krnl386.exe16.Name") that the loader's own lookup loads on demand.
                const std::string library = e.forwarder.substr(0, e.forwarder.find('.', 1));
                if (!GetModuleHandleA(library.c_str())) {
                    EXPECT_EQ(ExportByName(module, e.name, false), nullptr);
                    continue;
                }
            }
            void* expected = SystemLookup(module, e.name.c_str());
            EXPECT_EQ(ExportByName(module, e.name, false), expected);
            if (e.forwarder.empty()) {
                std::string name = ExportName(module, expected, false);
                EXPECT_EQ(SystemLookup(module, name.c_str()), expected) << name;
            }
        }
        EXPECT_GT(named, 100u);
    }
}

TEST(QorToolsImages, HeadersAndDirectoriesAgreeWithDbghelp)
{
    for (HMODULE module :
         {Fixture(), GetModuleHandleA(nullptr), GetModuleHandleA("kernel32.dll")}) {
        ASSERT_NE(module, nullptr);
        const auto* nt = ImageNtHeader(module);
        ASSERT_EQ(PeHeadersOf(module), static_cast<const void*>(nt));
        EXPECT_EQ(ImageSize(nt), nt->OptionalHeader.SizeOfImage);
        for (USHORT index = 0; index < 16; ++index) {
            SCOPED_TRACE(index);
            ULONG size = 0;
            void* expected = ImageDirectoryEntryToData(module, TRUE, index, &size);
            if (expected) {
                EXPECT_EQ(DataDirectoryOf(module, index), expected);
            }
        }
        EXPECT_EQ(ExportDirectoryOf(module), DataDirectoryOf(module, 0));
        // The file offset of each section's start, and of the export directory, as dbghelp
        // places them in the mapped file.
        size_t fileSize = 0;
        const auto* file = static_cast<const uint8_t*>(MapModuleFile(module, &fileSize));
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file[0], 'M');
        EXPECT_EQ(file[1], 'Z');
        auto* fileHeaders = ImageNtHeader(const_cast<uint8_t*>(file));
        ASSERT_NE(fileHeaders, nullptr);
        const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(fileHeaders);
        for (WORD i = 0; i < fileHeaders->FileHeader.NumberOfSections; ++i, ++section) {
            if (!section->SizeOfRawData)
                continue;
            ULONG rva = section->VirtualAddress + section->SizeOfRawData / 2;
            auto* at = static_cast<const uint8_t*>(
                ImageRvaToVa(fileHeaders, const_cast<uint8_t*>(file), rva, nullptr));
            if (at) {
                EXPECT_EQ(RvaToFileOffset(nt, rva), static_cast<uint32_t>(at - file)) << i;
            }
        }
        UnmapViewOfFile(file);
    }
    EXPECT_EQ(PeHeadersOf(nullptr), nullptr);
    static const char notAnImage[64] = "MZ";
    EXPECT_EQ(PeHeadersOf(reinterpret_cast<HMODULE>(const_cast<char*>(notAnImage))), nullptr);
}

TEST(QorToolsImages, ModuleOfAddressAndResources)
{
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    HMODULE module = nullptr;
    std::string name;
    ASSERT_TRUE(ModuleOfAddress(SystemLookup(kernel32, "Sleep"), module, name));
    EXPECT_EQ(module, kernel32);
    EXPECT_EQ(LowerStr(name.substr(name.size() - 12)), "kernel32.dll") << name;
    int onTheStack = 0;
    EXPECT_FALSE(ModuleOfAddress(reinterpret_cast<void*>(0x10), module, name));
    EXPECT_FALSE(ModuleOfAddress(&onTheStack, module, name)) << "a thread's stack is no module";

    // The version resource: its first word is its own length.
    std::string version = ReadResource(kernel32, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1));
    ASSERT_GE(version.size(), 2u);
    EXPECT_EQ(static_cast<uint8_t>(version[0]) | static_cast<uint8_t>(version[1]) << 8,
              static_cast<int>(version.size()));
    EXPECT_EQ(ReadResource(kernel32, "QOR", "EXCEPT"), "");

    char path[MAX_PATH];
    ASSERT_TRUE(GetModuleFileNameA(kernel32, path, MAX_PATH));
    EXPECT_NE(FileVersionNumber(path), 0u);
    EXPECT_EQ(FileVersionNumber("Z:\\no such file.dll"), 0u);
}

namespace {

struct Calls {
    int procedure = 0;
    int method = 0;
};
Calls gCalls;

void CountingProcedure(HWND, UINT message, WPARAM, LPARAM lParam, LRESULT& result)
{
    ++gCalls.procedure;
    result = static_cast<LRESULT>(message) + lParam;
}

void OtherProcedure(HWND, UINT, WPARAM, LPARAM, LRESULT&) {}

void CountingMethod(void* object, HWND, UINT, WPARAM, LPARAM, LRESULT& result)
{
    ++static_cast<Calls*>(object)->method;
    result = 7;
}

} // namespace

TEST(QorToolsMessageHandlers, RegisterDispatchAndRemove)
{
    gCalls = {};
    HWND window = MessageHandlerWindow(0);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(MessageHandlerWindow(GetCurrentThreadId()), window);
    char className[128];
    ASSERT_GT(GetClassNameA(window, className, sizeof className), 0);
    EXPECT_TRUE(StartsWithStr(kMessageHandlerClassPrefix + FormatHex(GetCurrentThreadId(), 1, '0'),
                              className))
        << className;

    EXPECT_EQ(AddMessageHandler(CountingProcedure, 0, 0), 1024u);
    EXPECT_EQ(AddMessageHandler(OtherProcedure, 0, 0), 1025u);
    EXPECT_EQ(AddMessageHandler(OtherProcedure, 0, 0), 1026u) << "the lowest free number";
    EXPECT_EQ(AddMessageHandler(CountingProcedure, 1024, 0), 0u) << "registered already";
    Calls methodCalls;
    EXPECT_EQ(AddMessageHandler(nullptr, 0x0219, 0, CountingMethod, &methodCalls), 0x0219u);

    EXPECT_EQ(SendMessageA(window, 1024, 0, 5), 1029);
    EXPECT_EQ(gCalls.procedure, 1);
    EXPECT_EQ(SendMessageA(window, 0x0219, 0, 0), 7);
    EXPECT_EQ(methodCalls.method, 1);
    // Messages outside the broadcast list and below 0x218 reach no handler.
    EXPECT_EQ(AddMessageHandler(CountingProcedure, WM_KEYDOWN, 0), UINT{WM_KEYDOWN});
    SendMessageA(window, WM_KEYDOWN, 0, 0);
    EXPECT_EQ(gCalls.procedure, 1);

    RemoveMessageHandler(OtherProcedure, 0, 0); // every message of that procedure
    RemoveMessageHandler(CountingProcedure, 0, 0);
    EXPECT_TRUE(IsWindow(window)) << "the method handler is left";
    RemoveMessageHandler(nullptr, 0x0219, 0, CountingMethod, &methodCalls);
    EXPECT_FALSE(IsWindow(window)) << "destroyed with its last handler";
    // A new registration makes a new window.
    EXPECT_EQ(AddMessageHandler(CountingProcedure, 0, 0), 1024u);
    HWND second = MessageHandlerWindow(0);
    EXPECT_TRUE(IsWindow(second));
    RemoveMessageHandler(CountingProcedure, 0, 0);
    EXPECT_FALSE(IsWindow(second));
}

TEST(QorToolsMessageHandlers, AnotherThreadWithoutAWindowGetsNone)
{
    std::mutex lock;
    std::condition_variable changed;
    bool done = false;
    DWORD id = 0;
    std::thread other([&] {
        std::unique_lock<std::mutex> guard(lock);
        id = GetCurrentThreadId();
        changed.notify_all();
        changed.wait(guard, [&] { return done; });
    });
    {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [&] { return id != 0; });
    }
    EXPECT_EQ(MessageHandlerWindow(id), nullptr);
    EXPECT_EQ(AddMessageHandler(CountingProcedure, 0, id), 0u);
    {
        std::lock_guard<std::mutex> guard(lock);
        done = true;
    }
    changed.notify_all();
    other.join();
}

TEST(QorToolsSystem, OsInfoAndNineXKeyOnTheNtLine)
{
    TOS os;
    QueryOsInfo(os);
    EXPECT_TRUE(os.isNT);
    EXPECT_FALSE(os.is9x);
    EXPECT_EQ(os.kindNT, os.osIndex);
    EXPECT_TRUE(StartsWithStr(OsName(os.osIndex), os.description)) << os.description;
    TOS again;
    QueryOsInfo(again);
    EXPECT_EQ(again.description, os.description);
    EXPECT_EQ(Win9xIdKey(), 0u);
    EXPECT_FALSE(Win95Layout());
    EXPECT_EQ(FreeResourcesPercent(0), 0);
}

namespace {

// Runs the probe beside this test with Wine's per-application Windows version set for it, and
// returns its line.
std::string ProbeUnderVersion(const char* version)
{
    const char* key = "Software\\Wine\\AppDefaults\\os_info_probe.exe";
    HKEY appDefaults = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &appDefaults,
                        nullptr) != ERROR_SUCCESS)
        return "no registry key";
    RegSetValueExA(appDefaults, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>(strlen(version) + 1));
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string probe(path, length);
    probe = probe.substr(0, probe.find_last_of("\\/") + 1) + "os_info_probe.exe";

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + probe + "\"";
    std::string output;
    if (CreateProcessA(probe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       nullptr, &startup, &process)) {
        CloseHandle(writeEnd);
        writeEnd = nullptr;
        char buffer[512];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got)
            output.append(buffer, got);
        WaitForSingleObject(process.hProcess, 30000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        output = "cannot start " + probe;
    }
    if (writeEnd)
        CloseHandle(writeEnd);
    CloseHandle(readEnd);
    RegDeleteValueA(appDefaults, "Version");
    RegCloseKey(appDefaults);
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    return output;
}

} // namespace

// Each Windows version Wine offers per application, with the description the OS name table and
// its suffix rules give for the version numbers Wine reports for it. On a 64-bit system (a
// 64-bit process, or a 32-bit one under WOW64) the NT line carries " x64" before the service
// pack; a 32-bit Wine prefix is a 32-bit system. Two facts of Wine 8.0: from Windows 8.1 on it
// reports 6.2 to a program without a compatibility manifest, as Windows does; and its "win7"
// setting reports a server (product type 3) while "win2008r2" reports a workstation.
TEST(QorToolsSystem, DescriptionOfEveryVersionWineReports)
{
    struct Case {
        const char* setting;
        const char* line; // description|major.minor.build|line|service pack
    } cases[] = {
        {"win10", "Windows NT New x64|6.2.9200|nt|"},
        {"win81", "Windows NT New x64|6.2.9200|nt|"},
        {"win8", "Windows NT New x64|6.2.9200|nt|"},
        {"win2008r2", "Windows 7 x64 Service Pack 1|6.1.7601|nt|Service Pack 1"},
        {"win7", "Windows 2008 R2 x64 Service Pack 1|6.1.7601|nt|Service Pack 1"},
        {"win2008", "Windows 2008 x64 Service Pack 2|6.0.6002|nt|Service Pack 2"},
        {"vista", "Windows Vista x64 Service Pack 2|6.0.6002|nt|Service Pack 2"},
        {"win2003", "Windows 2003 x64 Service Pack 2|5.2.3790|nt|Service Pack 2"},
        {"winxp64", "Windows XP x64 Service Pack 2|5.2.3790|nt|Service Pack 2"},
        {"winxp", "Windows XP x64 Service Pack 3|5.1.2600|nt|Service Pack 3"},
        {"win2k", "Windows 2000 x64 Service Pack 4|5.0.2195|nt|Service Pack 4"},
        {"nt40", "Windows NT 4 x64 Service Pack 6a|4.0.1381|nt|Service Pack 6a"},
        {"nt351", "Windows NT 3 x64 Service Pack 5|3.51.1057|nt|Service Pack 5"},
        {"winme", "Windows ME|4.90.3000|9x| "},
        {"win98", "Windows 98 SE|4.10.2222|9x| A "},
        {"win95", "Windows 95|4.0.950|9x|"},
        // Win32s on Windows 3.x: neither line, so no name.
        {"win31", "None|3.10.0|other|Win32s 1.3"},
        {"win30", "None|3.0.0|other|Win32s 1.3"},
        {"win20", "None|2.0.0|other|Win32s 1.3"},
    };
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const bool system64 = sizeof(void*) == 8 || wow64;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        std::string line = c.line;
        const size_t x64 = line.find(" x64");
        if (x64 != std::string::npos && !system64)
            line.erase(x64, 4);
        EXPECT_EQ(ProbeUnderVersion(c.setting), line);
    }
}

TEST(QorReadableMap, CoversTheProcessAndKnowsEachPage)
{
    // Four pages: read-write, no access, guard, and reserved only.
    auto* pages = static_cast<uint8_t*>(VirtualAlloc(nullptr, 0x4000, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_NE(pages, nullptr);
    ASSERT_TRUE(VirtualAlloc(pages, 0x1000, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_TRUE(VirtualAlloc(pages + 0x1000, 0x1000, MEM_COMMIT, PAGE_NOACCESS));
    ASSERT_TRUE(VirtualAlloc(pages + 0x2000, 0x1000, MEM_COMMIT, PAGE_READWRITE | PAGE_GUARD));
    pages[0] = 0x5A;
    int onTheStack = 0;

    TDATryRead* map = CreateReadableMap();
    ASSERT_NE(map, nullptr);
    const auto& entries = map->Entries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.front().start, 0u);
    EXPECT_EQ(entries.back().end, UINTPTR_MAX);
    for (size_t i = 1; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].start, entries[i - 1].end + 1) << "regions follow each other";
        EXPECT_NE(entries[i].readable, entries[i - 1].readable) << "equal neighbours are joined";
    }
    struct Case {
        const void* address;
        bool readable;
    } cases[] = {
        {pages, true},
        {pages + 0xFFF, true},
        {pages + 0x1000, false},
        {pages + 0x2000, false},
        {pages + 0x3000, false},
        {&onTheStack, true},
        {reinterpret_cast<void*>(&CreateReadableMap), true},
        {nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(IsReadable(map, reinterpret_cast<uintptr_t>(c.address)), c.readable);
    }
    EXPECT_FALSE(IsReadable(nullptr, reinterpret_cast<uintptr_t>(pages)));

    // A guarded read of the guard page with the map fails without touching it: the page keeps
    // its guard.
    uint8_t byte = 0;
    EXPECT_FALSE(GuardedRead(reinterpret_cast<uintptr_t>(pages + 0x2000), &byte, 1, map));
    MEMORY_BASIC_INFORMATION info;
    ASSERT_EQ(VirtualQuery(pages + 0x2000, &info, sizeof info), sizeof info);
    EXPECT_TRUE(info.Protect & PAGE_GUARD);
    FreeReadableMap(map);
    FreeReadableMap(nullptr);
    VirtualFree(pages, 0, MEM_RELEASE);
}
