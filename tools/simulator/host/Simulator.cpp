// The simulated devices of one process: each plugged device serves its named pipe from its own
// thread and runs the bootloader engine on the reports written to it.
#define BRENVIK_SIM_BUILDING
#include "SimApi.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <dbt.h>

#include "Bootloader.h"
#include "Config.h"
#include "FlashDump.h"
#include "FrameModel.h"
#include "Trace.h"

namespace {

constexpr DWORD kReportBytes = 65;     // report ID and 64 payload bytes
constexpr int kSpareInstances = 16;    // listening pipe instances kept ready for CreateFile
constexpr size_t kInputBuffers = 64;   // answers kept per open handle before the oldest drop
constexpr DWORD kRestartDetachMs = 20; // a restarted device leaves the bus after this
// A timed wait ends up to a millisecond or more after its timeout (whole-millisecond timers).
// In frame timing an answer must leave on its frame, so the last stretch before it is spent
// polling the clock instead.
constexpr double kFramePollMs = 2.5;

double NowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

class Device;

// One pipe instance: listening for a client, or connected to one client handle.
struct PipeInstance {
    Device* device = nullptr;
    HANDLE pipe = INVALID_HANDLE_VALUE;
    OVERLAPPED connect{};
    bool connected = false;
    OVERLAPPED readOverlap{};
    uint8_t readBuffer[1024];
    OVERLAPPED writeOverlap{};
    uint8_t writeBuffer[kReportBytes];
    bool writing = false;
    bool closing = false;
    std::deque<std::vector<uint8_t>> pending;
};

struct ScheduledAnswer {
    double dueMs;
    uint64_t frame;
    std::vector<uint8_t> report;
};

std::mutex g_lock; // guards every device and the device list

class Device {
public:
    explicit Device(const sim::DeviceProfile& profile) : engine_(profile) {}
    ~Device() { StopServing(); }

    const sim::DeviceProfile& Profile() const { return engine_.Profile(); }
    sim::Bootloader& Engine() { return engine_; }
    sim::Trace& Trace() { return trace_; }
    const sim::FrameModel& Frames() const { return frames_; }
    double ExchangeMs() const
    {
        return firstReportMs_ < 0 ? 0 : std::max(0.0, lastDeliveredMs_ - firstReportMs_);
    }
    void StartExchange()
    {
        firstReportMs_ = NowMs();
        frames_ = sim::FrameModel();
    }
    bool Plugged() const { return plugged_; }
    DWORD Instance() const { return instance_; }
    const std::string& Path() const { return path_; }
    std::string PipeName() const { return path_.substr(path_.rfind('\\') + 1); }

    // Called with g_lock held.
    void Plug(DWORD instance)
    {
        instance_ = instance;
        char name[160];
        std::snprintf(name, sizeof name,
                      "\\\\.\\pipe\\hid#vid_%04x&pid_%04x#brenvik-sim-%lu-%s-%lu#"
                      "{4d1e55b2-f16f-11cf-88cb-001111000030}",
                      Profile().vendorId, Profile().productId, GetCurrentProcessId(),
                      Profile().id.c_str(), instance);
        path_ = name;
        plugged_ = true;
        Event("plugged as " + path_);
        if (!Profile().openable)
            return; // the path exists in the device list but cannot be opened
        stop_ = false;
        wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        HANDLE listening = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this, listening] { Serve(listening); });
        // The path opens as soon as the device is listed.
        WaitForSingleObject(listening, INFINITE);
        CloseHandle(listening);
    }

    // Called without g_lock held (the serving thread takes it).
    void StopServing()
    {
        if (thread_.joinable()) {
            stop_ = true;
            SetEvent(wake_);
            if (thread_.get_id() != std::this_thread::get_id()) {
                thread_.join();
            } else {
                thread_.detach();
            }
        }
        if (wake_) {
            CloseHandle(wake_);
            wake_ = nullptr;
        }
    }

    void MarkUnplugged(const std::string& why)
    {
        plugged_ = false;
        Event("unplugged: " + why);
    }

    void Event(const std::string& what)
    {
        trace_.Add(Elapsed(), sim::Direction::Event, nullptr, 0, what);
    }

    uint64_t Elapsed() const
    {
        double now = NowMs();
        if (start_ < 0)
            start_ = now;
        return uint64_t(now - start_);
    }

private:
    void Serve(HANDLE listening);
    void AddListener();
    void Connected(PipeInstance* instance);
    void StartRead(PipeInstance* instance);
    void ReadDone(PipeInstance* instance, DWORD error, DWORD bytes);
    void Pump(PipeInstance* instance);
    void WriteDone(PipeInstance* instance, DWORD error);
    void Close(PipeInstance* instance);
    void DeliverDue();
    void AcceptPendingConnections();
    void Report(PipeInstance* instance, const uint8_t* bytes, DWORD size);
    void LeaveBus(const std::string& why);

    static void CALLBACK OnRead(DWORD error, DWORD bytes, OVERLAPPED* overlap);
    static void CALLBACK OnWrite(DWORD error, DWORD bytes, OVERLAPPED* overlap);

    sim::Bootloader engine_;
    sim::Trace trace_;
    sim::FrameModel frames_;
    mutable double start_ = -1;
    bool plugged_ = false;
    DWORD instance_ = 0;
    std::string path_;

    // Serving thread state (touched by that thread only, except stop_ and wake_).
    std::thread thread_;
    HANDLE wake_ = nullptr;
    volatile bool stop_ = false;
    bool leaving_ = false;
    double leaveAtMs_ = 0;
    std::string leaveWhy_;
    std::vector<std::unique_ptr<PipeInstance>> instances_;
    std::vector<ScheduledAnswer> scheduled_;
    double lastAnswerMs_ = -1e9, lastReportMs_ = -1e9;
    double firstReportMs_ = -1, lastDeliveredMs_ = 0;
    uint32_t reportsAccepted_ = 0;
};

// Never destroyed: at exit the devices' serving threads have been ended without returning, and
// a device's destructor would wait for its thread for ever.
std::vector<std::unique_ptr<Device>>& g_devices = *new std::vector<std::unique_ptr<Device>>;
unsigned g_generation = 0; // counts the device sets; a timed plug belongs to one of them
std::string g_tracePath;
std::string g_flashDumpPath;
DWORD g_nextInstance = 0x1001;
bool g_started = false;

BOOL CALLBACK AnnounceTo(HWND hwnd, LPARAM)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == GetCurrentProcessId())
        PostMessageW(hwnd, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    return TRUE;
}

// Tells the process's top-level windows that the device tree changed, as Windows does.
void Announce()
{
    EnumWindows(AnnounceTo, 0);
}

void Device::Serve(HANDLE listening)
{
    for (int i = 0; i < kSpareInstances; ++i)
        AddListener();
    SetEvent(listening);
    while (!stop_) {
        std::vector<HANDLE> waits{wake_};
        std::vector<PipeInstance*> listening;
        for (auto& p : instances_) {
            if (!p->connected && !p->closing && p->pipe != INVALID_HANDLE_VALUE) {
                waits.push_back(p->connect.hEvent);
                listening.push_back(p.get());
            }
        }
        DWORD timeout = INFINITE;
        double now = NowMs();
        if (Profile().frameTiming && !scheduled_.empty() &&
            scheduled_.front().dueMs - now <= kFramePollMs) {
            // A report that comes meanwhile (a host waits for its answer first) is taken after it.
            const double due = scheduled_.front().dueMs;
            while (now < due) {
                YieldProcessor();
                now = NowMs();
            }
            DeliverDue();
            now = NowMs();
        }
        if (!scheduled_.empty()) {
            double due = scheduled_.front().dueMs;
            if (Profile().frameTiming && due - now > kFramePollMs)
                timeout = DWORD(due - now - kFramePollMs);
            else
                timeout = due <= now ? 0 : DWORD(due - now + 0.999);
        }
        if (leaving_)
            timeout = std::min<DWORD>(timeout, leaveAtMs_ <= now ? 0 : DWORD(leaveAtMs_ - now + 1));
        DWORD r = WaitForMultipleObjectsEx(DWORD(waits.size()), waits.data(), FALSE, timeout, TRUE);
        if (r > WAIT_OBJECT_0 && r < WAIT_OBJECT_0 + waits.size()) {
            Connected(listening[r - WAIT_OBJECT_0 - 1]);
        }
        AcceptPendingConnections();
        DeliverDue();
        if (leaving_ && NowMs() >= leaveAtMs_)
            break;
        // Instances whose I/O has finished are dropped.
        instances_.erase(std::remove_if(instances_.begin(), instances_.end(),
                                        [](const std::unique_ptr<PipeInstance>& p) {
                                            return p->pipe == INVALID_HANDLE_VALUE && !p->writing;
                                        }),
                         instances_.end());
    }
    // Closing every instance fails the clients' pending and later I/O, as a removed device does.
    for (auto& p : instances_) {
        CancelIo(p->pipe);
        Close(p.get());
    }
    SleepEx(0, TRUE); // let cancelled completions run before the buffers go
    instances_.clear();
    if (leaving_) {
        bool announce;
        {
            std::lock_guard<std::mutex> hold(g_lock);
            MarkUnplugged(leaveWhy_);
            announce = Profile().announceRemoval;
        }
        if (announce)
            Announce();
    }
}

void Device::AddListener()
{
    auto p = std::make_unique<PipeInstance>();
    p->device = this;
    // A device that opens for queries only: an outbound pipe refuses clients that ask to write
    // (and to read), while a client asking for no access connects.
    DWORD access = Profile().readWrite ? PIPE_ACCESS_DUPLEX : PIPE_ACCESS_OUTBOUND;
    p->pipe = CreateNamedPipeA(path_.c_str(), access | FILE_FLAG_OVERLAPPED,
                               PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                               PIPE_UNLIMITED_INSTANCES, kReportBytes * 64, 1024, 0, nullptr);
    if (p->pipe == INVALID_HANDLE_VALUE)
        return;
    p->connect.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!ConnectNamedPipe(p->pipe, &p->connect)) {
        DWORD e = GetLastError();
        if (e == ERROR_PIPE_CONNECTED) {
            SetEvent(p->connect.hEvent);
        } else if (e != ERROR_IO_PENDING) {
            CloseHandle(p->pipe);
            CloseHandle(p->connect.hEvent);
            return;
        }
    }
    instances_.push_back(std::move(p));
}

void Device::Connected(PipeInstance* instance)
{
    CloseHandle(instance->connect.hEvent);
    instance->connect.hEvent = nullptr;
    instance->connected = true;
    AddListener();
    if (Profile().readWrite)
        StartRead(instance);
}

void Device::StartRead(PipeInstance* instance)
{
    std::memset(&instance->readOverlap, 0, sizeof instance->readOverlap);
    instance->readOverlap.hEvent = reinterpret_cast<HANDLE>(instance);
    if (!ReadFileEx(instance->pipe, instance->readBuffer, sizeof instance->readBuffer,
                    &instance->readOverlap, OnRead)) {
        Close(instance);
    }
}

void CALLBACK Device::OnRead(DWORD error, DWORD bytes, OVERLAPPED* overlap)
{
    auto* instance = reinterpret_cast<PipeInstance*>(overlap->hEvent);
    instance->device->ReadDone(instance, error, bytes);
}

void Device::ReadDone(PipeInstance* instance, DWORD error, DWORD bytes)
{
    if (instance->pipe == INVALID_HANDLE_VALUE)
        return;
    if (error != 0 && error != ERROR_MORE_DATA) { // the client closed its handle
        Close(instance);
        return;
    }
    Report(instance, instance->readBuffer,
           error == ERROR_MORE_DATA ? sizeof instance->readBuffer + 1 : bytes);
    if (instance->pipe != INVALID_HANDLE_VALUE && !stop_ && !leaving_)
        StartRead(instance);
}

void Device::Report(PipeInstance* instance, const uint8_t* bytes, DWORD size)
{
    std::lock_guard<std::mutex> hold(g_lock);
    double now = NowMs();
    if (size != kReportBytes) {
        // A HID driver refuses such a write; over a pipe the write has already succeeded, so the
        // device drops it and the violation record tells the test.
        trace_.Add(Elapsed(), sim::Direction::ToDevice, bytes, std::min<DWORD>(size, kReportBytes),
                   "dropped: " + std::to_string(size) + " bytes instead of 65");
        engine_.AddViolation(sim::ViolationKind::WrongReportSize,
                             "output report of " + std::to_string(size) + " bytes");
        return;
    }
    uint32_t refuseAfter = Profile().refuseWritesAfter;
    if (refuseAfter != 0 && reportsAccepted_ >= refuseAfter) {
        trace_.Add(Elapsed(), sim::Direction::ToDevice, bytes, size,
                   "refused: handle disconnected");
        DisconnectNamedPipe(instance->pipe);
        Close(instance);
        return;
    }
    ++reportsAccepted_;
    if (firstReportMs_ < 0)
        firstReportMs_ = now;
    uint64_t frame = frames_.HostReport();
    sim::Reaction reaction = engine_.Receive(bytes + 1, size - 1);
    trace_.Add(Elapsed(), sim::Direction::ToDevice, bytes, size, reaction.note);
    double reportMs = now;
    // In frame timing a report occupies the frame after the previous report and after the frame
    // of the last answer the host received.
    if (Profile().frameTiming)
        reportMs = std::max({now, lastReportMs_ + 1.0, lastDeliveredMs_ + 1.0});
    lastReportMs_ = reportMs;
    for (const sim::Answer& a : reaction.answers) {
        ScheduledAnswer s;
        s.frame = frames_.DeviceAnswer(frame, a.delayMs);
        s.dueMs = reportMs + a.delayMs;
        if (Profile().frameTiming) {
            s.dueMs = std::max(reportMs + 1.0 + a.delayMs, lastAnswerMs_ + 1.0);
            lastAnswerMs_ = s.dueMs;
        }
        s.report.assign(kReportBytes, 0);
        std::copy(a.payload.begin(), a.payload.end(), s.report.begin() + 1);
        scheduled_.insert(std::upper_bound(scheduled_.begin(), scheduled_.end(), s,
                                           [](const ScheduledAnswer& x, const ScheduledAnswer& y) {
                                               return x.dueMs < y.dueMs;
                                           }),
                          s);
    }
    if (reaction.remove)
        LeaveBus(reaction.note.empty() ? "scripted removal"
                                       : "scripted removal at " + reaction.note);
    if (reaction.restart && !leaving_) {
        leaving_ = true;
        leaveAtMs_ = now + kRestartDetachMs;
        leaveWhy_ = "restart";
    }
}

void Device::LeaveBus(const std::string& why)
{
    leaving_ = true;
    leaveAtMs_ = NowMs();
    leaveWhy_ = why;
    scheduled_.clear();
}

// A client whose CreateFile has returned is connected even when this thread has not yet seen the
// connect event (the wait above may have ended for a completed read instead): a HID driver queues
// an input report for every handle opened before the report came.
// The listeners are asked all at once: in frame timing this runs on the way to every answer.
void Device::AcceptPendingConnections()
{
    std::vector<PipeInstance*> listening;
    std::vector<HANDLE> events;
    for (auto& p : instances_) {
        if (!p->connected && !p->closing && p->pipe != INVALID_HANDLE_VALUE && p->connect.hEvent) {
            listening.push_back(p.get());
            events.push_back(p->connect.hEvent);
        }
    }
    std::vector<PipeInstance*> ready;
    for (size_t from = 0; from < events.size(); from += MAXIMUM_WAIT_OBJECTS) {
        DWORD count = DWORD(std::min<size_t>(events.size() - from, MAXIMUM_WAIT_OBJECTS));
        if (WaitForMultipleObjects(count, events.data() + from, FALSE, 0) >= WAIT_OBJECT_0 + count)
            continue;
        for (size_t i = from; i < from + count; ++i)
            if (WaitForSingleObject(events[i], 0) == WAIT_OBJECT_0)
                ready.push_back(listening[i]);
    }
    for (PipeInstance* p : ready)
        Connected(p);
}

void Device::DeliverDue()
{
    double now = NowMs();
    std::lock_guard<std::mutex> hold(g_lock);
    while (!scheduled_.empty() && scheduled_.front().dueMs <= now) {
        ScheduledAnswer s = std::move(scheduled_.front());
        scheduled_.erase(scheduled_.begin());
        frames_.AnswerSeen(s.frame);
        lastDeliveredMs_ = now;
        trace_.Add(Elapsed(), sim::Direction::ToHost, s.report.data(), s.report.size(), "");
        for (auto& p : instances_) {
            if (!p->connected || p->pipe == INVALID_HANDLE_VALUE)
                continue;
            if (p->pending.size() >= kInputBuffers)
                p->pending.pop_front();
            p->pending.push_back(s.report);
            Pump(p.get());
        }
    }
}

void Device::Pump(PipeInstance* instance)
{
    if (instance->writing || instance->pending.empty() || instance->pipe == INVALID_HANDLE_VALUE)
        return;
    std::copy(instance->pending.front().begin(), instance->pending.front().end(),
              instance->writeBuffer);
    instance->pending.pop_front();
    std::memset(&instance->writeOverlap, 0, sizeof instance->writeOverlap);
    instance->writeOverlap.hEvent = reinterpret_cast<HANDLE>(instance);
    if (WriteFileEx(instance->pipe, instance->writeBuffer, kReportBytes, &instance->writeOverlap,
                    OnWrite)) {
        instance->writing = true;
    }
}

void CALLBACK Device::OnWrite(DWORD error, DWORD, OVERLAPPED* overlap)
{
    auto* instance = reinterpret_cast<PipeInstance*>(overlap->hEvent);
    instance->writing = false;
    if (error != 0) {
        instance->pending.clear();
        return;
    }
    std::lock_guard<std::mutex> hold(g_lock);
    instance->device->Pump(instance);
}

void Device::Close(PipeInstance* instance)
{
    if (instance->pipe == INVALID_HANDLE_VALUE)
        return;
    instance->closing = true;
    instance->pending.clear();
    CloseHandle(instance->pipe);
    instance->pipe = INVALID_HANDLE_VALUE;
    if (instance->connect.hEvent) {
        CloseHandle(instance->connect.hEvent);
        instance->connect.hEvent = nullptr;
    }
}

// ---- Device list ----

SIM_API BOOL SimPlug(int device, BOOL announce);

// Devices that arrive later (`plug_after`): a process started with its configuration file sees
// a device change at a known point without anyone calling SimPlug.
void SchedulePlugs()
{
    const unsigned generation = ++g_generation;
    for (size_t i = 0; i < g_devices.size(); ++i) {
        const sim::DeviceProfile& p = g_devices[i]->Profile();
        if (p.plugged || p.plugAfterMs == 0)
            continue;
        std::thread([generation, i, ms = p.plugAfterMs] {
            Sleep(ms);
            bool current;
            {
                std::lock_guard<std::mutex> hold(g_lock);
                current = generation == g_generation;
            }
            if (current)
                SimPlug(int(i), TRUE);
        }).detach();
    }
}

void StartLocked()
{
    if (g_started)
        return;
    g_started = true;
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("BRENVIK_SIM_CONFIG", path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return;
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    sim::SimulatorConfig config;
    std::string error;
    if (!in || !sim::ParseConfig(text.str(), &config, &error)) {
        std::fprintf(stderr, "simulated devices: %s: %s\n", path,
                     in ? error.c_str() : "cannot be read");
        return;
    }
    g_tracePath = config.tracePath;
    g_flashDumpPath = config.flashDumpPath;
    for (const sim::DeviceProfile& profile : config.devices) {
        g_devices.push_back(std::make_unique<Device>(profile));
        if (profile.plugged)
            g_devices.back()->Plug(g_nextInstance++);
    }
    SchedulePlugs();
}

Device* DeviceAt(int index)
{
    StartLocked();
    if (index < 0 || index >= int(g_devices.size()))
        return nullptr;
    return g_devices[index].get();
}

void Fill(Device& d, SimDeviceInfo* out)
{
    std::memset(out, 0, sizeof *out);
    out->devInst = d.Instance();
    std::snprintf(out->path, sizeof out->path, "%s", d.Path().c_str());
    out->vendorId = d.Profile().vendorId;
    out->productId = d.Profile().productId;
    out->version = d.Profile().version;
    out->identifiable = d.Profile().identifiable;
    auto copy = [](const std::string& s, WCHAR* to, int size) {
        int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), to, size - 1);
        to[std::max(n, 0)] = 0;
    };
    out->inputReportLength = d.Profile().inputReportLength;
    out->languageCount = int(std::min<size_t>(d.Profile().languages.size(), 16));
    std::copy_n(d.Profile().languages.begin(), out->languageCount, out->languages);
    copy(d.Profile().product, out->product, 127);
    copy(d.Profile().manufacturer, out->manufacturer, 127);
    copy(d.Profile().serial, out->serial, 127);
}

int CopyText(const std::string& text, char* out, int size)
{
    if (out && size > 0) {
        size_t n = std::min(text.size(), size_t(size - 1));
        std::memcpy(out, text.data(), n);
        out[n] = 0;
    }
    return int(text.size());
}

// Called at exit without g_lock: the serving threads are gone, one may have held it.
void WriteExitFiles()
{
    if (!g_tracePath.empty()) {
        std::ofstream out(g_tracePath, std::ios::binary);
        for (auto& d : g_devices) {
            out << "device " << d->Profile().id << " (frame model " << d->Frames().MinimumMs()
                << " ms)\n"
                << d->Trace().Text();
        }
    }
    if (!g_flashDumpPath.empty()) {
        std::ofstream out(g_flashDumpPath, std::ios::binary);
        for (auto& d : g_devices)
            out << sim::FlashDumpText(d->Engine());
    }
}

} // namespace

// ---- Control ----

SIM_API int SimConfigure(const char* configText, char* error, int errorSize)
{
    sim::SimulatorConfig config;
    std::string why;
    if (!configText || !sim::ParseConfig(configText, &config, &why)) {
        CopyText(configText ? why : "no configuration text", error, errorSize);
        return -1;
    }
    std::vector<std::unique_ptr<Device>> old;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_started = true;
        old.swap(g_devices);
    }
    old.clear(); // stops their threads (outside the lock: they take it while finishing)
    std::lock_guard<std::mutex> hold(g_lock);
    g_tracePath = config.tracePath;
    g_flashDumpPath = config.flashDumpPath;
    for (const sim::DeviceProfile& profile : config.devices) {
        g_devices.push_back(std::make_unique<Device>(profile));
        if (profile.plugged)
            g_devices.back()->Plug(g_nextInstance++);
    }
    SchedulePlugs();
    return int(g_devices.size());
}

SIM_API int SimDeviceCount(void)
{
    std::lock_guard<std::mutex> hold(g_lock);
    StartLocked();
    return int(g_devices.size());
}

SIM_API int SimFindDevice(const char* id)
{
    std::lock_guard<std::mutex> hold(g_lock);
    StartLocked();
    for (size_t i = 0; i < g_devices.size(); ++i) {
        if (id && g_devices[i]->Profile().id == id)
            return int(i);
    }
    return -1;
}

SIM_API BOOL SimPlug(int device, BOOL announce)
{
    Device* d;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        d = DeviceAt(device);
        if (!d || d->Plugged())
            return FALSE;
    }
    d->StopServing(); // an earlier instance that left by itself
    {
        std::lock_guard<std::mutex> hold(g_lock);
        d->Plug(g_nextInstance++);
    }
    if (announce)
        Announce();
    return TRUE;
}

SIM_API BOOL SimUnplug(int device, BOOL announce)
{
    Device* d;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        d = DeviceAt(device);
        if (!d || !d->Plugged())
            return FALSE;
        d->MarkUnplugged("unplugged by the test");
    }
    d->StopServing();
    if (announce)
        Announce();
    return TRUE;
}

SIM_API BOOL SimIsPlugged(int device)
{
    std::lock_guard<std::mutex> hold(g_lock);
    Device* d = DeviceAt(device);
    return d && d->Plugged();
}

SIM_API int SimDevicePath(int device, char* path, int size)
{
    std::lock_guard<std::mutex> hold(g_lock);
    Device* d = DeviceAt(device);
    return d ? CopyText(d->Path(), path, size) : -1;
}

SIM_API BOOL SimReadFlash(int device, DWORD address, void* buffer, DWORD length)
{
    std::lock_guard<std::mutex> hold(g_lock);
    Device* d = DeviceAt(device);
    return d && d->Engine().Read(address, static_cast<uint8_t*>(buffer), length);
}

SIM_API int SimViolationCount(int device)
{
    std::lock_guard<std::mutex> hold(g_lock);
    Device* d = DeviceAt(device);
    return d ? int(d->Engine().Violations().size()) : -1;
}

SIM_API int SimViolationKind(int device, int index)
{
    std::lock_guard<std::mutex> hold(g_lock);
    Device* d = DeviceAt(device);
    if (!d || index < 0 || index >= int(d->Engine().Violations().size()))
        return -1;
    return int(d->Engine().Violations()[index].kind);
}

SIM_API int SimViolationText(int device, int index, char* text, int size)
{
    std::lock_guard<std::mutex> hold(g_lock);
    Device* d = DeviceAt(device);
    if (!d || index < 0 || index >= int(d->Engine().Violations().size()))
        return -1;
    const sim::Violation& v = d->Engine().Violations()[index];
    return CopyText(std::string(sim::ViolationName(v.kind)) + ": " + v.detail, text, size);
}

SIM_API int SimTraceText(int device, char* text, int size)
{
    std::lock_guard<std::mutex> hold(g_lock);
    Device* d = DeviceAt(device);
    return d ? CopyText(d->Trace().Text(), text, size) : -1;
}

SIM_API int SimReportsReceived(int device)
{
    std::lock_guard<std::mutex> hold(g_lock);
    Device* d = DeviceAt(device);
    return d ? int(d->Engine().ReportsReceived()) : -1;
}

SIM_API DWORD SimFrameModelMs(int device)
{
    std::lock_guard<std::mutex> hold(g_lock);
    Device* d = DeviceAt(device);
    return d ? DWORD(d->Frames().MinimumMs()) : 0;
}

SIM_API void SimStartExchange(int device)
{
    std::lock_guard<std::mutex> hold(g_lock);
    if (Device* d = DeviceAt(device))
        d->StartExchange();
}

SIM_API DWORD SimExchangeMs(int device)
{
    std::lock_guard<std::mutex> hold(g_lock);
    Device* d = DeviceAt(device);
    return d ? DWORD(d->ExchangeMs() + 0.5) : 0;
}

// ---- Queries of the fake libraries ----

SIM_API int SimPresentDevices(SimDeviceInfo* out, int max)
{
    std::lock_guard<std::mutex> hold(g_lock);
    StartLocked();
    int n = 0;
    for (auto& d : g_devices) {
        if (!d->Plugged())
            continue;
        if (n < max)
            Fill(*d, &out[n]);
        ++n;
    }
    return n;
}

SIM_API BOOL SimDeviceForInstance(DWORD devInst, SimDeviceInfo* out)
{
    std::lock_guard<std::mutex> hold(g_lock);
    StartLocked();
    for (auto& d : g_devices) {
        if (d->Plugged() && d->Instance() == devInst) {
            Fill(*d, out);
            return TRUE;
        }
    }
    SetLastError(ERROR_DEVICE_NOT_CONNECTED);
    return FALSE;
}

SIM_API BOOL SimDeviceForHandle(HANDLE handle, SimDeviceInfo* out)
{
    // The pipe's name identifies the device instance (each plug has its own path).
    alignas(FILE_NAME_INFO) char buffer[sizeof(FILE_NAME_INFO) + 600];
    auto* info = reinterpret_cast<FILE_NAME_INFO*>(buffer);
    if (!GetFileInformationByHandleEx(handle, FileNameInfo, info, sizeof buffer - 2)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::string name;
    for (DWORD i = 0; i < info->FileNameLength / sizeof(WCHAR); ++i)
        name += char(info->FileName[i]);
    name = name.substr(name.rfind('\\') + 1);
    std::lock_guard<std::mutex> hold(g_lock);
    StartLocked();
    for (auto& d : g_devices) {
        if (!d->Path().empty() && d->PipeName() == name) {
            if (!d->Plugged())
                break;
            Fill(*d, out);
            return TRUE;
        }
    }
    SetLastError(ERROR_DEVICE_NOT_CONNECTED);
    return FALSE;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    // The devices are never destroyed at exit (their threads are gone by then); only the trace
    // and flash dump files are written.
    if (reason == DLL_PROCESS_DETACH)
        WriteExitFiles();
    return TRUE;
}
