// TOcHidDeviceController.
#include <memory>
#include <vector>

#include "core/TypeInfo.h"
#include "hid/Hid.h"
#include "hid/OcHidControllerClass.h"
#include "hid/SetupApi.h"

namespace hid {

CLASSLIB_PUBLISH(TOcHidDeviceController)
{
    c.Property("DevThreadSleepTime", &TOcHidDeviceController::DevThreadSleepTime,
               &TOcHidDeviceController::SetDevThreadSleepTime)
        .SetDefault(100);
    c.Property("Version", &TOcHidDeviceController::Version, &TOcHidDeviceController::SetVersion)
        .Stored(false);
    c.Property("OnArrival", &TOcHidDeviceController::OnArrival,
               &TOcHidDeviceController::SetOnArrival);
    c.Property("OnEnumerate", &TOcHidDeviceController::OnEnumerate,
               &TOcHidDeviceController::SetOnEnumerate);
    c.Property("OnDeviceChange", &TOcHidDeviceController::OnDeviceChange,
               &TOcHidDeviceController::SetOnDeviceChange);
    c.Property("OnDeviceData", &TOcHidDeviceController::OnDeviceData,
               &TOcHidDeviceController::SetOnDeviceData);
    c.Property("OnDeviceDataError", &TOcHidDeviceController::OnDeviceDataError,
               &TOcHidDeviceController::SetOnDeviceDataError);
    c.Property("OnDeviceUnplug", &TOcHidDeviceController::OnDeviceUnplug,
               &TOcHidDeviceController::SetOnDeviceUnplug);
    c.Property("OnRemoval", &TOcHidDeviceController::OnRemoval,
               &TOcHidDeviceController::SetOnRemoval);
    c.Method("DeviceChange", &TOcHidDeviceController::DeviceChange);
}

void RegisterHidClasses()
{
    classlib::RegisterClasses({&TOcHidDeviceController::StaticClass()});
}

namespace {

constexpr WPARAM DeviceNodesChanged = 7; // DBT_DEVNODES_CHANGED
constexpr DWORD PresentInterfaces = DIGCF_PRESENT | DIGCF_DEVICEINTERFACE;

} // namespace

void TOcHidDeviceController::FreeDetached(TOcHidDevice* device)
{
    device->controller_ = nullptr;
    delete device;
}

TOcHidDeviceController::TOcHidDeviceController(classlib::TComponent* owner)
    : draw::TOcComponent(owner)
{
    setupApiBound_ = BindSetupApi();
    if (setupApiBound_)
        hidBound_ = BindHid();
    if (hidBound_) {
        HidD_GetHidGuid(&interfaceClass_);
        window_ = classlib::AllocateHWnd(
            [this](classlib::TMessage& message) { HandleWindowMessage(message); }, this);
        // Posted, not sent: the first enumeration runs from the message loop, after the owning form
        // has finished loading and its handlers are set.
        PostMessageA(window_, WM_DEVICECHANGE, DeviceNodesChanged, static_cast<LPARAM>(-1));
    }
}

TOcHidDeviceController::~TOcHidDeviceController()
{
    onDeviceChange_ = nullptr;
    onDeviceUnplug_ = nullptr;
    onEnumerate_ = nullptr;
    if (window_ != nullptr) {
        classlib::DeallocateHWnd(window_);
        window_ = nullptr;
    }
    std::vector<TOcHidDevice*> devices;
    devices.swap(devices_);
    for (TOcHidDevice* device : devices) {
        device->controller_ = nullptr;
        if (device->Claimed()) {
            // Its owner keeps it; the library calls it still needs are made while the library is
            // bound.
            device->MarkUnplugged();
            device->ReleasePreparsedData();
        } else {
            delete device;
        }
    }
    // Release exactly what this controller bound: another controller's binding stays intact.
    if (hidBound_)
        UnbindHid();
    if (setupApiBound_)
        UnbindSetupApi();
}

void TOcHidDeviceController::HandleWindowMessage(classlib::TMessage& message)
{
    if (!ComponentState().Contains(classlib::csDestroying) && message.Msg == WM_DEVICECHANGE &&
        message.WParam == DeviceNodesChanged) {
        if (inDeviceChange_) {
            // A change during a rebuild may be a removal the running rebuild has already passed:
            // remember it and rebuild once more when the running one returns.
            deviceChangeSkipped_ = true;
            skippedNotification_ = message.LParam;
        } else {
            lastNotification_ = message.LParam;
            inDeviceChange_ = true;
            try {
                DeviceChange();
                while (deviceChangeSkipped_ && !ComponentState().Contains(classlib::csDestroying)) {
                    deviceChangeSkipped_ = false;
                    lastNotification_ = skippedNotification_;
                    DeviceChange();
                }
            } catch (...) {
                inDeviceChange_ = false;
                deviceChangeSkipped_ = false;
                throw;
            }
            inDeviceChange_ = false;
        }
    }
    classlib::CallDefaultWindowProc(window_, message);
}

bool TOcHidDeviceController::ListsPluggedInstance(DWORD devInst) const
{
    for (TOcHidDevice* device : devices_)
        if (device->Plugged() && device->PnPInfo() != nullptr &&
            device->PnPInfo()->DevInst() == devInst)
            return true;
    return false;
}

TOcHidDevice* TOcHidDeviceController::CreateDeviceForInterface(
    HDEVINFO set, SP_DEVICE_INTERFACE_DATA& interfaceData)
{
    SP_DEVINFO_DATA deviceInfo{};
    deviceInfo.cbSize = sizeof(SP_DEVINFO_DATA);
    DWORD required = 0;
    SetupDiGetDeviceInterfaceDetailA(set, &interfaceData, nullptr, 0, &required, &deviceInfo);
    if (required == 0 || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return nullptr;
    // Zeroed, with room for a terminating zero beyond what the library reports, so the path
    // always ends inside the block.
    std::vector<char> block(required + 1, 0);
    auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(block.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    if (!SetupDiGetDeviceInterfaceDetailA(set, &interfaceData, detail, required, nullptr,
                                          &deviceInfo))
        return nullptr;
    try {
        auto pnpInfo =
            std::make_unique<TOcHidPnPInfo>(set, std::string(detail->DevicePath), deviceInfo);
        return new TOcHidDevice(std::move(pnpInfo), this);
    } catch (const classlib::Exception&) {
        // An interface that cannot be opened or identified is left out without a message.
        return nullptr;
    }
}

std::vector<TOcHidDevice*> TOcHidDeviceController::CollectPresentDevices()
{
    std::vector<TOcHidDevice*> fresh;
    if (!IsHidBound() || !IsSetupApiBound())
        return fresh;
    HDEVINFO set = SetupDiGetClassDevsA(&interfaceClass_, nullptr, nullptr, PresentInterfaces);
    if (set == INVALID_HANDLE_VALUE)
        return fresh;
    try {
        for (DWORD index = 0;; ++index) {
            SP_DEVICE_INTERFACE_DATA interfaceData{};
            interfaceData.cbSize = sizeof(SP_DEVICE_INTERFACE_DATA);
            if (!SetupDiEnumDeviceInterfaces(set, nullptr, &interfaceClass_, index, &interfaceData))
                break;
            if (TOcHidDevice* device = CreateDeviceForInterface(set, interfaceData))
                fresh.push_back(device);
        }
    } catch (...) {
        for (TOcHidDevice* device : fresh)
            FreeDetached(device);
        SetupDiDestroyDeviceInfoList(set);
        throw;
    }
    SetupDiDestroyDeviceInfoList(set);
    return fresh;
}

void TOcHidDeviceController::FireForDevice(const TOcHidPlugEvent& handler, TOcHidDevice* device)
{
    if (!handler)
        return;
    device->inEvent_.store(true);
    try {
        handler(device);
    } catch (...) {
        device->inEvent_.store(false);
        throw;
    }
    device->inEvent_.store(false);
}

void TOcHidDeviceController::DeviceChange()
{
    bool changed = lastNotification_ == static_cast<LPARAM>(-1);
    std::vector<TOcHidDevice*> fresh = CollectPresentDevices();
    struct FreshGuard {
        std::vector<TOcHidDevice*>& devices;
        ~FreshGuard()
        {
            for (TOcHidDevice* device : devices)
                if (device != nullptr)
                    FreeDetached(device);
        }
    } freshGuard{fresh};

    // Removal pass, last entry first.
    for (size_t i = devices_.size(); i-- > 0;) {
        if (i >= devices_.size())
            continue; // a handler freed devices meanwhile
        TOcHidDevice* device = devices_[i];
        bool present = false;
        if (device->Plugged())
            for (TOcHidDevice* candidate : fresh)
                present =
                    present || candidate->PnPInfo()->DevInst() == device->PnPInfo()->DevInst();
        if (present)
            continue;
        device->MarkUnplugged();
        FireForDevice(onRemoval_, device);
        changed = true;
        if (i < devices_.size() && devices_[i] == device && !device->Claimed()) {
            devices_.erase(devices_.begin() + static_cast<std::ptrdiff_t>(i));
            FreeDetached(device);
        }
    }

    // Duplicate pass: interfaces the list already holds.
    for (TOcHidDevice*& candidate : fresh) {
        if (ListsPluggedInstance(candidate->PnPInfo()->DevInst())) {
            FreeDetached(candidate);
            candidate = nullptr;
        }
    }

    // Arrival pass.
    for (TOcHidDevice*& candidate : fresh) {
        if (candidate == nullptr)
            continue;
        TOcHidDevice* device = candidate;
        candidate = nullptr;
        devices_.push_back(device);
        changed = true;
        FireForDevice(onArrival_, device);
    }

    if (changed && onDeviceChange_)
        onDeviceChange_(this);
}

bool TOcHidDeviceController::FireEnumerate(TOcHidDevice* device, int index)
{
    if (!onEnumerate_)
        return false;
    device->inEvent_.store(true);
    bool goOn = false;
    try {
        goOn = onEnumerate_(device, index);
    } catch (...) {
        device->inEvent_.store(false);
        throw;
    }
    device->inEvent_.store(false);
    if (!device->Claimed()) {
        device->CloseMainHandle();
        device->CloseOverlappedHandle(false);
        device->CloseOverlappedHandle(true);
    }
    return goOn;
}

int TOcHidDeviceController::EnumeratePlugged()
{
    int count = 0;
    for (size_t i = 0; i < devices_.size(); ++i) {
        TOcHidDevice* device = devices_[i];
        if (!device->Plugged())
            continue;
        ++count;
        if (!FireEnumerate(device, static_cast<int>(i)))
            break;
    }
    return count;
}

bool TOcHidDeviceController::AcquireDeviceAt(int index, TOcHidDevice*& device)
{
    device = nullptr;
    if (index < 0 || index >= DeviceCount())
        return false;
    TOcHidDevice* candidate = devices_[static_cast<size_t>(index)];
    if (candidate->Claimed())
        return false;
    device = candidate;
    device->claimed_.store(true);
    device->StartReadThread();
    return true;
}

void TOcHidDeviceController::SetOnDeviceChange(const classlib::TNotifyEvent& handler)
{
    if (handler == onDeviceChange_)
        return;
    onDeviceChange_ = handler;
    if (!ComponentState().Contains(classlib::csLoading))
        DeviceChange();
}

void TOcHidDeviceController::SetOnDeviceData(const TOcHidDataEvent& handler)
{
    if (handler == onDeviceData_)
        return;
    // Copied: a device's handler change can run handlers that change the list.
    const std::vector<TOcHidDevice*> devices = devices_;
    for (TOcHidDevice* device : devices)
        if (device->DataHandler() == onDeviceData_)
            device->SetDataHandler(handler);
    onDeviceData_ = handler;
}

// Gives the new handler to every listed device that still has the old one, then stores it.
template <class Event>
void TOcHidDeviceController::ReplaceDeviceHandler(Event TOcHidDevice::*field, Event& stored,
                                                  const Event& handler)
{
    if (handler == stored)
        return;
    for (TOcHidDevice* device : devices_)
        if (device->*field == stored)
            device->*field = handler;
    stored = handler;
}

void TOcHidDeviceController::SetOnDeviceDataError(const TOcHidDataErrorEvent& handler)
{
    ReplaceDeviceHandler(&TOcHidDevice::OnDataError, onDeviceDataError_, handler);
}

void TOcHidDeviceController::SetOnDeviceUnplug(const TOcHidPlugEvent& handler)
{
    ReplaceDeviceHandler(&TOcHidDevice::OnUnplug, onDeviceUnplug_, handler);
}

void TOcHidDeviceController::SetDevThreadSleepTime(uint32_t value)
{
    if (value == devThreadSleepTime_)
        return;
    for (TOcHidDevice* device : devices_)
        if (device->ReaderSleepTime() == devThreadSleepTime_)
            device->SetReaderSleepTime(value);
    devThreadSleepTime_ = value;
}

} // namespace hid
