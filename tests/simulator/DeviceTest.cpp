// The simulated devices as a program sees them: a raw Win32 client (SetupAPI enumeration,
// CreateFile, WriteFile, ReadFileEx with an alertable wait, HID class queries) against the fake
// SetupApi.dll and HID.dll, with the simulator driven through its control API.
#include <windows.h>

#include <setupapi.h>

extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#include <dbt.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "HidApiEntryPoints.h"
#include "SimApi.h"

namespace {

constexpr DWORD kWaitIoCompletion = 192;

const char kPic18[] =
    "[device pic18]\n"
    "family = 2\nerase_block = 64\nwrite_block = 32\nboot_start = 0x7C00\nflash_size = 0x8000\n"
    "serial = SIM-0001\n";

std::vector<std::string> PresentPaths()
{
    GUID hid;
    HidD_GetHidGuid(&hid);
    std::vector<std::string> paths;
    HDEVINFO set =
        SetupDiGetClassDevsA(&hid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    EXPECT_NE(set, INVALID_HANDLE_VALUE);
    for (DWORD i = 0;; ++i) {
        SP_DEVICE_INTERFACE_DATA itf{};
        itf.cbSize = sizeof itf;
        if (!SetupDiEnumDeviceInterfaces(set, nullptr, &hid, i, &itf)) {
            EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_ITEMS));
            break;
        }
        SP_DEVINFO_DATA info{};
        info.cbSize = sizeof info;
        DWORD required = 0;
        EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailA(set, &itf, nullptr, 0, &required, &info));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
        std::vector<char> block(required);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(block.data());
        // The fixed part of the ANSI detail record, as Windows checks it: 5 bytes in 32-bit
        // programs, 8 in 64-bit ones (the record is packed to the pointer size there).
        const DWORD fixedPart = sizeof(void*) == 4 ? 5 : 8;
        static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == (sizeof(void*) == 4 ? 5 : 8));
        detail->cbSize = fixedPart;
        EXPECT_TRUE(SetupDiGetDeviceInterfaceDetailA(set, &itf, detail, required, nullptr, &info));
        paths.push_back(detail->DevicePath);

        char ids[1024] = {};
        DWORD type = 0;
        EXPECT_TRUE(SetupDiGetDeviceRegistryPropertyA(set, &info, SPDRP_HARDWAREID, &type,
                                                      reinterpret_cast<BYTE*>(ids), sizeof ids,
                                                      nullptr));
        EXPECT_EQ(type, DWORD(REG_MULTI_SZ));
        EXPECT_NE(std::string(ids).find("HID\\VID_"), std::string::npos);
    }
    EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
    return paths;
}

HANDLE Open(const std::string& path, DWORD flags)
{
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags, nullptr);
}

bool WriteReport(HANDLE h, std::vector<uint8_t> message)
{
    message.insert(message.begin(), 0); // report ID
    message.resize(65, 0);
    DWORD written = 0;
    return WriteFile(h, message.data(), 65, &written, nullptr) && written == 65;
}

// One input report through ReadFileEx and an alertable wait, as the HID reader does.
struct Reader {
    HANDLE handle;
    OVERLAPPED overlap{};
    uint8_t buffer[65];
    static void CALLBACK Done(DWORD, DWORD, OVERLAPPED*) {}

    // Returns the bytes read (0: failed or nothing), waiting at most `limitMs` for the report.
    DWORD Next(DWORD limitMs = 5000)
    {
        std::memset(&overlap, 0, sizeof overlap);
        std::memset(buffer, 0, sizeof buffer);
        if (!ReadFileEx(handle, buffer, sizeof buffer, &overlap, Done))
            return 0;
        DWORD waited = 0, r;
        while ((r = SleepEx(100, TRUE)) != kWaitIoCompletion && (waited += 100) < limitMs) {
        }
        if (r != kWaitIoCompletion) {
            CancelIo(handle);
            SleepEx(0, TRUE);
            return 0;
        }
        DWORD bytes = 0;
        return GetOverlappedResult(handle, &overlap, &bytes, FALSE) ? bytes : 0;
    }
};

class SimulatedDevice : public testing::Test {
protected:
    void Configure(const char* text)
    {
        char error[256] = {};
        ASSERT_GE(SimConfigure(text, error, sizeof error), 0) << error;
    }
    void TearDown() override { SimConfigure("", nullptr, 0); }
};

TEST_F(SimulatedDevice, TheFakeLibrariesAreLoadedAndExportTheTable)
{
    HMODULE hid = GetModuleHandleA("hid.dll"), setupapi = GetModuleHandleA("setupapi.dll");
    ASSERT_TRUE(hid && setupapi);
    // Wine's own libraries export more than the binding's list.
    EXPECT_EQ(GetProcAddress(setupapi, "CM_Get_Device_IDA"), nullptr)
        << "Wine's setupapi.dll was loaded";
    EXPECT_EQ(GetProcAddress(hid, "HidD_GetMsGenreDescriptor"), nullptr)
        << "Wine's hid.dll was loaded";

    int hidNames = 0, setupNames = 0;
#define CHECK_HID(Ret, Name, Params, Args, Nt)               \
    EXPECT_NE(GetProcAddress(hid, #Name), nullptr) << #Name; \
    ++hidNames;
#define CHECK_ALIAS(Variable, Export)
    BRENVIK_HID_ENTRY_POINTS(CHECK_HID, CHECK_ALIAS)
#define CHECK_SETUP(Ret, Name, Params, Args)                      \
    EXPECT_NE(GetProcAddress(setupapi, #Name), nullptr) << #Name; \
    ++setupNames;
    BRENVIK_SETUPAPI_CALLED_ENTRY_POINTS(CHECK_SETUP)
#define CHECK_BOUND(Name)                                         \
    EXPECT_NE(GetProcAddress(setupapi, #Name), nullptr) << #Name; \
    ++setupNames;
    BRENVIK_SETUPAPI_BOUND_ENTRY_POINTS(CHECK_BOUND)

    // Nothing beyond the table: count the names of each export directory.
    auto exportedNames = [](HMODULE module) {
        auto* base = reinterpret_cast<const BYTE*>(module);
        auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
        return int(reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress)
                       ->NumberOfNames);
    };
    EXPECT_EQ(exportedNames(hid), hidNames);
    EXPECT_EQ(exportedNames(setupapi), setupNames);
    EXPECT_EQ(hidNames, 41); // 46 variables less the 5 button aliases
}

TEST_F(SimulatedDevice, RawClientEnumeratesOpensClaimsAndReadsTheAnswer)
{
    Configure(kPic18);
    std::vector<std::string> paths = PresentPaths();
    ASSERT_EQ(paths.size(), 1u);

    HANDLE main = Open(paths[0], 0);
    ASSERT_NE(main, INVALID_HANDLE_VALUE);
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    ASSERT_TRUE(HidD_GetAttributes(main, &attributes));
    EXPECT_EQ(attributes.VendorID, 0x04D8);
    EXPECT_EQ(attributes.ProductID, 0x003C);
    wchar_t text[254] = {};
    ASSERT_TRUE(HidD_GetProductString(main, text, sizeof text));
    EXPECT_STREQ(text, L"USB HID Bootloader");
    ASSERT_TRUE(HidD_GetSerialNumberString(main, text, sizeof text));
    EXPECT_STREQ(text, L"SIM-0001");
    ASSERT_TRUE(HidD_GetIndexedString(main, 0, text, sizeof text));
    EXPECT_EQ(text[0], 0x0409);
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    ASSERT_TRUE(HidD_GetPreparsedData(main, &preparsed));
    HIDP_CAPS caps{};
    EXPECT_EQ(HidP_GetCaps(preparsed, &caps), HIDP_STATUS_SUCCESS);
    EXPECT_EQ(caps.InputReportByteLength, 65);
    EXPECT_EQ(caps.OutputReportByteLength, 65);
    EXPECT_TRUE(HidD_FreePreparsedData(preparsed));
    ULONG buffers = 0;
    EXPECT_TRUE(HidD_SetNumInputBuffers(main, 64));
    EXPECT_TRUE(HidD_GetNumInputBuffers(main, &buffers));
    EXPECT_EQ(buffers, 64u);

    Reader reader{Open(paths[0], FILE_FLAG_OVERLAPPED)};
    ASSERT_NE(reader.handle, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(WriteReport(main, {0x0F, 3}));
    ASSERT_EQ(reader.Next(), 65u);
    EXPECT_EQ(reader.buffer[0], 0);
    EXPECT_EQ(reader.buffer[1], 0x0F);
    EXPECT_EQ(reader.buffer[2], 3);

    // The information record arrives whole in the next report.
    ASSERT_TRUE(WriteReport(main, {0x0F, 2}));
    ASSERT_EQ(reader.Next(), 65u);
    EXPECT_EQ(reader.buffer[2], 1); // tag 1 ...
    EXPECT_EQ(reader.buffer[3], 2); // ... PIC18

    CloseHandle(reader.handle);
    CloseHandle(main);
    EXPECT_EQ(SimReportsReceived(0), 2);
    char trace[4096];
    SimTraceText(0, trace, sizeof trace);
    EXPECT_NE(std::string(trace).find("claim"), std::string::npos) << trace;
}

TEST_F(SimulatedDevice, UploadThroughThePipesLandsInFlash)
{
    Configure(kPic18);
    std::string path = PresentPaths().at(0);
    HANDLE main = Open(path, 0);
    Reader reader{Open(path, FILE_FLAG_OVERLAPPED)};
    ASSERT_TRUE(main != INVALID_HANDLE_VALUE && reader.handle != INVALID_HANDLE_VALUE);

    ASSERT_TRUE(WriteReport(main, {0x0F, 21, 64, 0, 0, 0, 2, 0})); // erase blocks 0 and 1
    ASSERT_EQ(reader.Next(), 65u);
    EXPECT_EQ(reader.buffer[2], 21);
    ASSERT_TRUE(WriteReport(main, {0x0F, 11, 0, 0, 0, 0, 100, 0})); // write 100 bytes at 0
    std::vector<uint8_t> data(100);
    for (int i = 0; i < 100; ++i)
        data[i] = uint8_t(0x80 + i);
    ASSERT_TRUE(WriteReport(main, std::vector<uint8_t>(data.begin(), data.begin() + 64)));
    ASSERT_EQ(reader.Next(), 65u); // chunk of one erase block acknowledged
    EXPECT_EQ(reader.buffer[2], 11);
    ASSERT_TRUE(WriteReport(main, std::vector<uint8_t>(data.begin() + 64, data.end())));
    ASSERT_EQ(reader.Next(), 65u);
    EXPECT_EQ(reader.buffer[2], 11);

    std::vector<uint8_t> flash(100);
    ASSERT_TRUE(SimReadFlash(0, 0, flash.data(), 100));
    EXPECT_EQ(flash, data);
    EXPECT_EQ(SimViolationCount(0), 0);
    // Erase (frames 0, 1 + 0 ms), write command 2, chunks 3 and 5 answered in 4 and 6: 7 frames.
    EXPECT_EQ(SimFrameModelMs(0), 7u);

    // A write of the wrong size never reaches the device's protocol.
    DWORD written = 0;
    uint8_t shortReport[10] = {0, 0x0F, 3};
    WriteFile(main, shortReport, sizeof shortReport, &written, nullptr);
    ASSERT_TRUE(WriteReport(main, {0x0F, 1}));
    ASSERT_EQ(reader.Next(), 65u); // only the handshake is answered
    EXPECT_EQ(reader.buffer[2], 1);
    ASSERT_EQ(SimViolationCount(0), 1);
    EXPECT_EQ(SimViolationKind(0, 0), 4);
    CloseHandle(reader.handle);
    CloseHandle(main);
}

TEST_F(SimulatedDevice, FrameTimingPacesTheExchange)
{
    Configure((std::string(kPic18) + "frame_timing = yes\n").c_str());
    std::string path = PresentPaths().at(0);
    HANDLE main = Open(path, 0);
    Reader reader{Open(path, FILE_FLAG_OVERLAPPED)};
    for (uint8_t command : std::initializer_list<uint8_t>{3, 1, 2}) {
        ASSERT_TRUE(WriteReport(main, {0x0F, command}));
        ASSERT_EQ(reader.Next(), 65u);
        EXPECT_EQ(reader.buffer[2], command == 2 ? 1 : command);
    }
    // Three commands answered one frame after each: 6 frames at best. The answers are never
    // delivered before their frame, so the exchange took at least from frame 0 to frame 5.
    EXPECT_EQ(SimFrameModelMs(0), 6u);
    EXPECT_GE(SimExchangeMs(0), 5u);
    CloseHandle(reader.handle);
    CloseHandle(main);
}

TEST_F(SimulatedDevice, RefusedWritesFailAtTheClient)
{
    Configure((std::string(kPic18) + "refuse_writes_after = 1\n").c_str());
    std::string path = PresentPaths().at(0);
    HANDLE main = Open(path, 0);
    Reader reader{Open(path, FILE_FLAG_OVERLAPPED)};
    ASSERT_TRUE(WriteReport(main, {0x0F, 3}));
    ASSERT_EQ(reader.Next(), 65u);
    WriteReport(main, {0x0F, 1}); // taken by the pipe, refused by the device: the handle is cut
    EXPECT_EQ(reader.Next(1000), 0u);
    EXPECT_FALSE(WriteReport(main, {0x0F, 1}));
    EXPECT_EQ(SimReportsReceived(0), 1);
    CloseHandle(reader.handle);
    CloseHandle(main);
}

// A top-level window that counts device-tree notifications.
struct NotificationWindow {
    static inline int count = 0;
    HWND hwnd;
    NotificationWindow()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "SimNotificationWindow";
        RegisterClassA(&wc);
        hwnd = CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                             wc.hInstance, nullptr);
        count = 0;
    }
    ~NotificationWindow() { DestroyWindow(hwnd); }
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l)
    {
        if (m == WM_DEVICECHANGE && w == DBT_DEVNODES_CHANGED)
            ++count;
        return DefWindowProcA(h, m, w, l);
    }
    void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    // A device that leaves by itself is announced by its own thread after it has left the list.
    void PumpUntilNotified()
    {
        for (int i = 0; i < 500 && count == 0; ++i) {
            Pump();
            if (count == 0)
                Sleep(10);
        }
    }
};

TEST_F(SimulatedDevice, UnplugAndReplugAreAnnouncedAndGiveANewInstance)
{
    Configure(kPic18);
    NotificationWindow window;
    std::string first = PresentPaths().at(0);
    HANDLE main = Open(first, 0);
    Reader reader{Open(first, FILE_FLAG_OVERLAPPED)};

    ASSERT_TRUE(SimUnplug(0, TRUE));
    window.Pump();
    EXPECT_EQ(NotificationWindow::count, 1);
    EXPECT_TRUE(PresentPaths().empty());
    EXPECT_EQ(reader.Next(), 0u); // reading from a removed device fails
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    EXPECT_FALSE(HidD_GetAttributes(main, &attributes));
    EXPECT_FALSE(WriteReport(main, {0x0F, 3}));
    EXPECT_EQ(Open(first, 0), INVALID_HANDLE_VALUE);
    CloseHandle(reader.handle);
    CloseHandle(main);

    ASSERT_TRUE(SimPlug(0, FALSE)); // re-plugged without notification
    window.Pump();
    EXPECT_EQ(NotificationWindow::count, 1);
    std::vector<std::string> again = PresentPaths();
    ASSERT_EQ(again.size(), 1u);
    EXPECT_NE(again[0], first);
    HANDLE reopened = Open(again[0], 0);
    EXPECT_NE(reopened, INVALID_HANDLE_VALUE);
    CloseHandle(reopened);
}

TEST_F(SimulatedDevice, RestartAndScriptedRemovalTakeTheDeviceAway)
{
    struct Case {
        const char* extra;
        std::vector<uint8_t> command;
    };
    const Case cases[] = {
        {"", {0x0F, 4}},                           // restart: the device leaves the bootloader
        {"misbehave = remove claim\n", {0x0F, 3}}, // gone instead of answering
        {"remove_after = 1\n", {0x0F, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extra);
        Configure((std::string(kPic18) + c.extra).c_str());
        NotificationWindow window;
        std::string path = PresentPaths().at(0);
        HANDLE main = Open(path, 0);
        Reader reader{Open(path, FILE_FLAG_OVERLAPPED)};
        ASSERT_TRUE(WriteReport(main, c.command));
        EXPECT_EQ(reader.Next(), 0u); // no answer; the read fails when the device goes
        for (int i = 0; i < 500 && SimIsPlugged(0); ++i)
            Sleep(10);
        EXPECT_FALSE(SimIsPlugged(0));
        window.PumpUntilNotified();
        EXPECT_EQ(NotificationWindow::count, 1);
        CloseHandle(reader.handle);
        CloseHandle(main);
    }
}

TEST_F(SimulatedDevice, QueryOnlyDevicesAndLanguageTables)
{
    Configure(
        "[device query]\nread_write = no\nlanguages = none\nserial = S1\n"
        "[device mirror]\nserial = \\u0409\nlanguages = 0409 0407\n");
    std::vector<std::string> paths = PresentPaths();
    ASSERT_EQ(paths.size(), 2u);

    EXPECT_EQ(Open(paths[0], 0), INVALID_HANDLE_VALUE); // no read and write access ...
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    HANDLE query = CreateFileA(paths[0].c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(query, INVALID_HANDLE_VALUE); // ... but the query-only open works
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    EXPECT_TRUE(HidD_GetAttributes(query, &attributes));
    WCHAR table[254];
    std::memset(table, 0xFF, sizeof table);
    EXPECT_TRUE(HidD_GetIndexedString(query, 0, table, sizeof table));
    EXPECT_EQ(table[0], 0); // an empty language table
    CloseHandle(query);

    HANDLE mirror = Open(paths[1], 0);
    ASSERT_NE(mirror, INVALID_HANDLE_VALUE);
    WCHAR serial[254] = {};
    ASSERT_TRUE(HidD_GetSerialNumberString(mirror, serial, sizeof serial));
    ASSERT_TRUE(HidD_GetIndexedString(mirror, 0, table, sizeof table));
    EXPECT_EQ(serial[0], 0x0409);
    EXPECT_EQ(table[0], 0x0409);
    EXPECT_EQ(table[1], 0x0407);
    CloseHandle(mirror);
}

TEST_F(SimulatedDevice, DevicesThatCannotBeOpenedOrIdentified)
{
    Configure(
        "[device closed]\nopenable = no\n"
        "[device anonymous]\nidentifiable = no\nproduct = Keyboard\n");
    std::vector<std::string> paths = PresentPaths();
    ASSERT_EQ(paths.size(), 2u); // both are listed
    EXPECT_EQ(Open(paths[0], 0), INVALID_HANDLE_VALUE);
    HANDLE h = Open(paths[1], 0);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    EXPECT_FALSE(HidD_GetAttributes(h, &attributes));
    wchar_t text[254];
    EXPECT_TRUE(HidD_GetProductString(h, text, sizeof text));
    EXPECT_STREQ(text, L"Keyboard");
    EXPECT_FALSE(HidD_GetSerialNumberString(h, text, sizeof text)); // it has none
    CloseHandle(h);
}

// Run only as a child of the test below (disabled otherwise): the simulator starts with the
// devices of the file named by BRENVIK_SIM_CONFIG.
TEST(SimulatorChild, DISABLED_StartsWithTheConfigurationFile)
{
    if (!GetEnvironmentVariableA("BRENVIK_SIM_CONFIG", nullptr, 0))
        GTEST_SKIP() << "run by the test below";
    ASSERT_EQ(SimDeviceCount(), 2);
    EXPECT_FALSE(SimIsPlugged(SimFindDevice("later")));
    std::vector<std::string> paths = PresentPaths();
    ASSERT_EQ(paths.size(), 1u);
    HANDLE main = Open(paths[0], 0);
    Reader reader{Open(paths[0], FILE_FLAG_OVERLAPPED)};
    ASSERT_TRUE(WriteReport(main, {0x0F, 2}));
    ASSERT_EQ(reader.Next(), 65u);
    CloseHandle(reader.handle);
    CloseHandle(main);
}

TEST(SimulatorStart, ConfigurationFileAndTraceFile)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string dir = std::string(temp) + "brenvik-sim-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string config = dir + "\\devices.ini", trace = dir + "\\trace.txt";
    FILE* f = std::fopen(config.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fprintf(
        f, "[simulator]\ntrace = %s\n[device first]\nfamily = 37\n[device later]\nplugged = no\n",
        trace.c_str());
    std::fclose(f);

    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string command = std::string("\"") + exe +
                          "\" --gtest_filter=SimulatorChild.* --gtest_also_run_disabled_tests";
    SetEnvironmentVariableA("BRENVIK_SIM_CONFIG", config.c_str());
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                  nullptr, &si, &pi);
    SetEnvironmentVariableA("BRENVIK_SIM_CONFIG", nullptr);
    ASSERT_TRUE(started);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(code, 0u);

    std::string text;
    if (FILE* t = std::fopen(trace.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, t)) > 0)
            text.append(buffer, n);
        std::fclose(t);
    }
    EXPECT_NE(text.find("device first"), std::string::npos) << text;
    EXPECT_NE(text.find("query information"), std::string::npos) << text;
    EXPECT_NE(text.find("device later"), std::string::npos) << text;
    DeleteFileA(config.c_str());
    DeleteFileA(trace.c_str());
    RemoveDirectoryA(dir.c_str());
}

} // namespace
