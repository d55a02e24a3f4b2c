// Uploads through the real main window (created from its layout in this process, as the window
// tests do) against the simulated device:
//  1. throughput in the simulator's frame-timing mode, against the physical limit of USB
//     full-speed interrupt transfers for the exchange that happened (one 64-byte report per 1 ms
//     frame and direction, SimFrameModelMs): 256 KB with 1024-byte erase blocks (ARM) and a
//     PIC18 image with 64-byte blocks. Ratio = frame model / exchange time; 1 is the limit.
//  2. host processor time (GetProcessTimes) during a paced upload (the device takes its time to
//     erase and program each block) against the upload's wall time: waits that spin would show
//     a ratio near 1 (one core).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "Dovrel.h"
#include "SimApi.h"
#include "Texts.h"
#include "windows/Application.h"

namespace {

using app::TDovrel;

double NowMs()
{
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

double ProcessCpuMs()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return double((std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

template <class Done>
bool Pump(Done done, double limitMs = 20000)
{
    const double start = NowMs();
    while (!done()) {
        if (NowMs() - start > limitMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        classlib::Application->ProcessMessages();
    }
    return true;
}

// The result dialog is modal: a thread timer, served by its message loop, presses its OK.
BOOL CALLBACK CloseDialog(HWND window, LPARAM)
{
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, "#32770") == 0 && IsWindowVisible(window))
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}
void CALLBACK CloseDialogs(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), CloseDialog, 0);
}

// `length` bytes at `address` as Intel HEX, 32 bytes a record.
std::string HexText(std::uint32_t address, std::size_t length)
{
    std::string text;
    char line[128];
    std::uint32_t upper = 0;
    for (std::size_t at = 0; at < length; at += 32) {
        const std::uint32_t a = address + static_cast<std::uint32_t>(at);
        if ((a >> 16) != upper) {
            upper = a >> 16;
            const unsigned sum = 2 + 4 + (upper >> 8) + (upper & 0xFF);
            std::snprintf(line, sizeof line, ":02000004%04X%02X\r\n", upper,
                          (0x100 - (sum & 0xFF)) & 0xFF);
            text += line;
        }
        unsigned sum = 32 + ((a >> 8) & 0xFF) + (a & 0xFF);
        std::snprintf(line, sizeof line, ":20%04X00", a & 0xFFFF);
        text += line;
        for (int k = 0; k < 32; ++k) {
            const auto b = static_cast<unsigned>((at + k) * 13 % 251);
            sum += b;
            std::snprintf(line, sizeof line, "%02X", b);
            text += line;
        }
        std::snprintf(line, sizeof line, "%02X\r\n", (0x100 - (sum & 0xFF)) & 0xFF);
        text += line;
    }
    return text + ":00000001FF\r\n";
}

struct Measured {
    bool ok = false;
    double frameModelMs = 0, exchangeMs = 0; // during the upload, as the simulator saw it
    double wallMs = 0, cpuMs = 0;            // during the upload, as this process saw it
};

// One upload of `hexLength` bytes through a fresh window: connect, load, "Begin uploading".
Measured Upload(const std::string& config, std::uint32_t hexAddress, std::size_t hexLength)
{
    Measured m;
    char error[256] = {};
    if (SimConfigure(config.c_str(), error, sizeof error) < 0) {
        std::printf("configuration: %s\n", error);
        return m;
    }
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string hexPath = std::string(temp) + "brenvik-upload-bench.hex";
    std::ofstream(hexPath, std::ios::binary) << HexText(hexAddress, hexLength);

    auto* form = new TDovrel(classlib::Application);
    form->Show();
    auto history = [&] {
        std::vector<std::string> lines;
        for (int i = 0; i < form->MemoHistoryWindow->Lines()->Count(); ++i)
            lines.push_back(form->MemoHistoryWindow->Lines()->Strings(i));
        return lines;
    };
    if (Pump([&] { return form->Info().mcuType != 0; })) {
        form->LoadHexFile(hexPath);
        SendMessageA(form->ButtonConnect->Handle(), BM_CLICK, 0, 0);
        if (form->Connected() && form->LoadedFile().Loaded) {
            const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseDialogs);
            SimStartExchange(0);
            const double cpu0 = ProcessCpuMs(), wall0 = NowMs();
            SendMessageA(form->ButtonStartBootloader->Handle(), BM_CLICK, 0, 0);
            m.wallMs = NowMs() - wall0;
            m.cpuMs = ProcessCpuMs() - cpu0;
            m.frameModelMs = SimFrameModelMs(0);
            m.exchangeMs = SimExchangeMs(0);
            KillTimer(nullptr, timer);
            const auto lines = history();
            m.ok = SimViolationCount(0) == 0 &&
                   std::find(lines.begin(), lines.end(),
                             std::string(app::text::CompletedSuccessfully)) != lines.end();
        }
    }
    if (!m.ok) {
        std::printf("upload failed; history:\n");
        for (const std::string& line : history())
            std::printf("  %s\n", line.c_str());
    }
    form->Free();
    DeleteFileA(hexPath.c_str());
    return m;
}

} // namespace

int main(int argc, char** argv)
{
    const int repeats = argc > 1 ? std::atoi(argv[1]) : 3;
    app::RegisterWindowClasses();
    classlib::Application->Initialize();

    struct Throughput {
        const char* name;
        std::string config;
        std::uint32_t address;
        std::size_t length;
    };
    const Throughput throughput[] = {
        {"ARM, 256 KB, 1024-byte blocks",
         "[device d]\nframe_timing = yes\nfamily = 30\nerase_block = 1024\nwrite_block = 256\n"
         "boot_start = 0x7F000\nflash_size = 0x80000\ninitially_erased = yes\n",
         0, 256 * 1024},
        {"PIC18, 30 KB, 64-byte blocks",
         "[device d]\nframe_timing = yes\nfamily = 2\nerase_block = 64\nwrite_block = 32\n"
         "boot_start = 0x7C00\nflash_size = 0x8000\ninitially_erased = yes\n",
         0, 30 * 1024},
    };
    std::printf(
        "throughput in frame-timing mode: frame model / exchange (1 = the USB full-speed limit)\n");
    for (const Throughput& t : throughput) {
        for (int r = 0; r < repeats; ++r) {
            const Measured m = Upload(t.config, t.address, t.length);
            if (!m.ok)
                return 1;
            std::printf("  %-32s model %6.0f ms  exchange %6.0f ms  ratio %.3f  (%.1f KB/s)\n",
                        t.name, m.frameModelMs, m.exchangeMs, m.frameModelMs / m.exchangeMs,
                        static_cast<double>(t.length) / 1024.0 / (m.exchangeMs / 1000.0));
        }
    }

    // Paced: 5 ms to program each 1024-byte chunk, 2 ms to erase each block.
    const std::string paced =
        "[device d]\nfamily = 30\nerase_block = 1024\nwrite_block = 256\nboot_start = 0x7F000\n"
        "flash_size = 0x80000\nprogram_time = 5\nerase_time = 2\n";
    std::printf("processor time during a paced upload (128 KB): process CPU / wall time\n");
    for (int r = 0; r < repeats; ++r) {
        const Measured m = Upload(paced, 0, 128 * 1024);
        if (!m.ok)
            return 1;
        std::printf("  wall %6.0f ms  cpu %6.0f ms  ratio %.3f\n", m.wallMs, m.cpuMs,
                    m.cpuMs / m.wallMs);
    }
    return 0;
}
