// HID layer timing against the simulated device with zero answer latency:
//  1. host turnaround of one report round trip through the controller's device (WriteReport,
//     the simulated answer, the reader thread, delivery on the main thread by a synchronized
//     call), against the reference of a raw Win32 client doing the same exchange on one thread
//     (WriteFile, ReadFileEx, alertable SleepEx) on the same device in the same run;
//  2. the stop latency of a reader (SetDataHandler with no handler: terminate and wait), against
//     the reader's wait step.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "SimApi.h"
#include "hid/OcHidControllerClass.h"

namespace {

double NowMs()
{
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the main thread's messages (and so the synchronized calls) until `done` or `limitMs`.
template <class Done>
bool Pump(Done done, double limitMs = 5000)
{
    const double start = NowMs();
    while (!done()) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done())
            break;
        if (NowMs() - start > limitMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

struct Receiver {
    int reports = 0;
    void Data(hid::TOcHidDevice*, uint8_t, const void*, uint16_t) { ++reports; }
    bool Enumerate(hid::TOcHidDevice*, int) { return true; }
};

void CALLBACK ReadDone(DWORD, DWORD, LPOVERLAPPED) {}

std::vector<uint8_t> HandshakeReport()
{
    std::vector<uint8_t> report(65, 0);
    report[1] = 0x0F;
    report[2] = 3;
    return report;
}

std::vector<double> RawRoundTrips(const std::string& path, int count)
{
    HANDLE main =
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE read = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    std::vector<double> times;
    if (main == INVALID_HANDLE_VALUE || read == INVALID_HANDLE_VALUE)
        return times;
    const std::vector<uint8_t> report = HandshakeReport();
    uint8_t buffer[65];
    for (int i = 0; i < count; ++i) {
        OVERLAPPED overlap{};
        const double start = NowMs();
        ReadFileEx(read, buffer, sizeof buffer, &overlap, ReadDone);
        DWORD written = 0;
        WriteFile(main, report.data(), 65, &written, nullptr);
        while (SleepEx(100, TRUE) != WAIT_IO_COMPLETION) {
        }
        times.push_back(NowMs() - start);
    }
    CloseHandle(read);
    CloseHandle(main);
    return times;
}

std::vector<double> ControllerRoundTrips(hid::TOcHidDevice* device, Receiver& receiver, int count)
{
    const std::vector<uint8_t> report = HandshakeReport();
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const int before = receiver.reports;
        const double start = NowMs();
        DWORD written = 0;
        device->WriteReport(report.data(), 65, written);
        if (!Pump([&] { return receiver.reports > before; }))
            break;
        times.push_back(NowMs() - start);
    }
    return times;
}

} // namespace

int main(int argc, char** argv)
{
    const int trips = argc > 1 ? std::max(10, atoi(argv[1])) : 500;
    char error[256] = {};
    if (SimConfigure("[device bench]\n", error, sizeof error) != 1) {
        std::fprintf(stderr, "simulator: %s\n", error);
        return 1;
    }
    if (GetProcAddress(GetModuleHandleA("setupapi.dll"), "CM_Get_Device_IDA") != nullptr) {
        std::fprintf(stderr,
                     "Wine's own setupapi.dll was loaded: run "
                     "tools/simulator/wine-dll-overrides.sh %s first\n",
                     "hid_roundtrip_bench.exe");
        return 1;
    }

    Receiver receiver;
    auto* controller = new hid::TOcHidDeviceController(nullptr);
    controller->SetOnEnumerate({&receiver, &Receiver::Enumerate});
    controller->DeviceChange();
    hid::TOcHidDevice* device = nullptr;
    if (controller->DeviceCount() != 1 || !controller->AcquireDeviceAt(0, device)) {
        std::fprintf(stderr, "the simulated device was not found\n");
        return 1;
    }
    const std::string path = device->PnPInfo()->DevicePath();

    // Round trips, the two paths interleaved in blocks so that both see the same conditions.
    std::vector<double> raw, hosted;
    for (int block = 0; block < 5; ++block) {
        std::vector<double> r = RawRoundTrips(path, trips / 5);
        raw.insert(raw.end(), r.begin(), r.end());
        device->SetDataHandler({&receiver, &Receiver::Data});
        std::vector<double> h = ControllerRoundTrips(device, receiver, trips / 5);
        hosted.insert(hosted.end(), h.begin(), h.end());
        device->SetDataHandler(nullptr);
        // Reports the raw client provokes would queue up on the idle read handle.
        device->CloseOverlappedHandle(false);
    }
    if (raw.empty() || hosted.empty()) {
        std::fprintf(stderr, "round trips failed\n");
        return 1;
    }
    const double rawMs = Median(raw), hostedMs = Median(hosted);
    std::printf(
        "round trip, median of %zu: controller %.3f ms, raw Win32 client %.3f ms, ratio %.2f\n",
        hosted.size(), hostedMs, rawMs, hostedMs / rawMs);

    // Stop latency: the stop request lands at a random point of the reader's wait step.
    for (uint32_t step : {10u, 100u}) {
        device->SetReaderSleepTime(step);
        std::vector<double> stops;
        for (int i = 0; i < 20; ++i) {
            device->SetDataHandler({&receiver, &Receiver::Data});
            Sleep(static_cast<DWORD>(step / 2 + (i * 7919u) % step));
            const double start = NowMs();
            device->SetDataHandler(nullptr);
            stops.push_back(NowMs() - start);
            device->CloseOverlappedHandle(false);
        }
        const double worst = *std::max_element(stops.begin(), stops.end());
        std::printf(
            "reader stop, step %u ms: median %.2f ms (%.2f steps), worst %.2f ms (%.2f steps)\n",
            step, Median(stops), Median(stops) / step, worst, worst / step);
    }

    delete device;
    delete controller;
    SimConfigure("", nullptr, 0);
    return 0;
}
