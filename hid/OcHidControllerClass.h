// USB HID device access: the controller component that follows the device tree, the device
// objects it lists and the reader thread of a claimed device.
//
// Threads: everything runs on the main thread except a claimed device's reader, which owns the
// device's overlapped read handle while it exists and hands every input report to the main
// thread through a synchronized call.
#pragma once

#include "hid/HidApiEntryPoints.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Events.h"
#include "draw/OcTypes.h"
#include "windows/Threads.h"
#include "windows/WindowProcs.h"

namespace hid {

class TOcHidDevice;
class TOcHidDeviceController;
class TOcHidDeviceReadThread;

// Raised when a present interface cannot be opened or identified.
class EControllerError : public draw::EOCLException {
public:
    using EOCLException::EOCLException;
};

inline constexpr const char* DeviceCannotBeOpened = "Device cannot be opened";
inline constexpr const char* DeviceCannotBeIdentified = "Device cannot be identified";

using TOcHidPlugEvent = classlib::TEvent<void(TOcHidDevice* HidDev)>;
using TOcHidEnumerateEvent = classlib::TEvent<bool(TOcHidDevice* HidDev, int Idx)>;
using TOcHidDataEvent =
    classlib::TEvent<void(TOcHidDevice* HidDev, uint8_t ReportID, const void* Data, uint16_t Size)>;
using TOcHidDataErrorEvent = classlib::TEvent<void(TOcHidDevice* HidDev, uint32_t Error)>;

// GUID_DEVINTERFACE_HID of the driver kit: the interface class used when HID.dll is missing.
inline constexpr GUID DefaultHidInterfaceClass = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// Where an interface lives in the Plug-and-Play tree, with the registry properties of its
// device read once when the enumeration finds it.
class TOcHidPnPInfo : public classlib::TObject {
public:
    TOcHidPnPInfo(HDEVINFO deviceInfoSet, const std::string& devicePath,
                  const SP_DEVINFO_DATA& deviceInfo);

    DWORD DevInst() const { return deviceInfo_.DevInst; }
    const std::string& DevicePath() const { return devicePath_; }

    // Text properties (empty when the query failed).
    std::string DeviceDesc, Service, Class, ClassGuid, Driver, Mfg, FriendlyName,
        LocationInformation, PhysicalDeviceObjectName, BusTypeGuid, EnumeratorName, SecuritySds,
        Characteristics, Address, UiNumberDescFormat;
    // Multi-string properties.
    std::vector<std::string> HardwareId, CompatibleIds, UpperFilters, LowerFilters;
    // Numeric properties (0 when the query failed).
    DWORD Capabilities = 0, ConfigFlags = 0, UiNumber = 0, LegacyBusType = 0, BusNumber = 0,
          DevType = 0, Exclusive = 0;

private:
    SP_DEVINFO_DATA deviceInfo_;
    std::string devicePath_;
};

// One present HID interface. The controller creates and lists it; an owner claims it through the
// controller (AcquireDeviceAt) and frees it when done.
class TOcHidDevice : public classlib::TObject {
public:
    // Freeing a claimed device that is still plugged puts a fresh, unclaimed device for the same
    // interface in its place in the controller's list; an unplugged one leaves the list.
    ~TOcHidDevice() override;

    TOcHidDeviceController* Controller() const { return controller_; }
    bool Plugged() const { return plugged_.load(); }
    bool Claimed() const { return claimed_.load(); }
    bool OpenedReadWrite() const { return openedReadWrite_; }
    const HIDD_ATTRIBUTES& Attributes() const { return attributes_; }
    const TOcHidPnPInfo* PnPInfo() const { return pnpInfo_.get(); }

    // Plugged and either claimed or inside one of the controller's events for this device.
    bool CanAccess() const;

    bool OpenMainHandle();
    void CloseMainHandle();
    bool OpenOverlappedHandle(bool write);
    void CloseOverlappedHandle(bool write);
    // Input-buffer counts of the open main and read handles (0 while closed).
    ULONG MainInputBuffers() const { return mainInputBuffers_; }
    ULONG ReadInputBuffers() const { return readInputBuffers_; }

    // Closes the handles, marks the device gone and calls the unplug handler (once).
    void MarkUnplugged();

    // Alertable wait step of the reader in milliseconds; values outside 10..10000 are ignored.
    uint32_t ReaderSleepTime() const { return readerSleepTime_.load(); }
    void SetReaderSleepTime(uint32_t milliseconds);

    // The preparsed report descriptor (fetched once), 0 when unavailable.
    PHIDP_PREPARSED_DATA LoadPreparsedData();
    // Report lengths and usage; all zero without preparsed data.
    void QueryCaps(HIDP_CAPS& caps);
    std::wstring GetProductString();
    // Empty when the device has none, or when its serial string merely repeats its language table.
    std::wstring GetSerialNumberString();

    // Writes one output report (first byte the report ID) through the main handle.
    bool WriteReport(const void* buffer, DWORD count, DWORD& written);

    // An unassigned handler stops the reader; an assigned one starts it when the device allows.
    void SetDataHandler(const TOcHidDataEvent& handler);
    const TOcHidDataEvent& DataHandler() const { return dataHandler_; }
    TOcHidDataErrorEvent OnDataError;
    TOcHidPlugEvent OnUnplug;

    void StartReadThread();
    void StopReadThread();
    bool HasReader() const { return reader_ != nullptr; }

    // Used by the reader, on its own thread.
    bool ReadReportAsync(void* buffer, DWORD count, LPOVERLAPPED_COMPLETION_ROUTINE completion);
    DWORD GetOverlappedBytes();
    bool CancelPendingIo(bool write);
    static bool CancelIoByName(HANDLE handle);

private:
    friend class TOcHidDeviceController;
    friend class TOcHidDeviceReadThread;

    // Opens the interface to read its attributes; raises EControllerError when it cannot be opened
    // or identified (the PnP info is then freed with the partly built device).
    TOcHidDevice(std::unique_ptr<TOcHidPnPInfo> pnpInfo, TOcHidDeviceController* controller);
    HANDLE OpenPath(DWORD access, DWORD flags) const;
    void ApplyInputBuffers(HANDLE handle, ULONG& count);
    void ReleasePreparsedData();

    TOcHidDeviceController* controller_;
    std::atomic<bool> plugged_{true};
    std::atomic<bool> claimed_{false};
    std::atomic<bool> inEvent_{false};
    HANDLE mainHandle_ = INVALID_HANDLE_VALUE;
    HANDLE readHandle_ = INVALID_HANDLE_VALUE; // the reader's while one exists
    HANDLE writeHandle_ = INVALID_HANDLE_VALUE;
    OVERLAPPED readOverlap_{};
    HIDD_ATTRIBUTES attributes_{};
    std::unique_ptr<TOcHidPnPInfo> pnpInfo_;
    std::wstring productString_;
    PHIDP_PREPARSED_DATA preparsedData_ = 0;
    std::wstring serialNumber_;
    ULONG mainInputBuffers_ = 0;
    ULONG readInputBuffers_ = 0;
    std::atomic<uint32_t> readerSleepTime_{100};
    TOcHidDataEvent dataHandler_;
    bool openedReadWrite_ = false;
    TOcHidDeviceReadThread* reader_ = nullptr;
};

// Keeps one overlapped read pending on a claimed device and delivers each input report to the
// device's data handler on the main thread.
class TOcHidDeviceReadThread : public classlib::TThread {
public:
    // Created suspended; the device starts it.
    explicit TOcHidDeviceReadThread(TOcHidDevice* device);

    uint32_t ErrorCode() const { return errorCode_; }

protected:
    void Execute() override;

private:
    void DeliverData();
    void DeliverError();
    void Deliver(void (TOcHidDeviceReadThread::*delivery)());
    // Waits alertably in sleep steps until the pending read completes, or a stop request or the
    // device's removal interrupts the wait; returns whether the read completed.
    bool WaitForRead();
    // Cancels the pending read and waits until its completion has been delivered, so that neither
    // the buffer nor a later wait is touched by it afterwards. The wait is bounded (a driver that
    // never completes a cancelled read must not hold the thread, and with it its owner's stop,
    // for ever): false when the completion did not come in time.
    bool AbandonPendingRead();
    static void CALLBACK ReadCompleted(DWORD errorCode, DWORD bytes, LPOVERLAPPED overlapped);

    uint32_t errorCode_ = 0;
    TOcHidDevice* device_;
    DWORD bytesRead_ = 0;
    std::vector<uint8_t> buffer_;
};

// The non-visual component through which the program reaches USB HID devices.
class TOcHidDeviceController : public draw::TOcComponent {
    CLASSLIB_CLASS(TOcHidDeviceController, draw::TOcComponent)
    explicit TOcHidDeviceController(classlib::TComponent* owner);
    ~TOcHidDeviceController() override;

    // Rebuilds the device list from the interfaces present now and fires the events.
    void DeviceChange();
    // Calls OnEnumerate for each plugged device in list order until it returns false; returns the
    // number of calls.
    int EnumeratePlugged();
    // Claims the unclaimed device at list position `index`; `device` is null on failure.
    bool AcquireDeviceAt(int index, TOcHidDevice*& device);

    int DeviceCount() const { return static_cast<int>(devices_.size()); }
    TOcHidDevice* Devices(int index) const { return devices_.at(static_cast<size_t>(index)); }
    const GUID& InterfaceClass() const { return interfaceClass_; }
    HWND WindowHandle() const { return window_; }

    uint32_t DevThreadSleepTime() const { return devThreadSleepTime_; }
    void SetDevThreadSleepTime(uint32_t value);
    std::string Version() const { return "1.0.35"; }
    void SetVersion(const std::string&) {}

    const TOcHidPlugEvent& OnArrival() const { return onArrival_; }
    void SetOnArrival(const TOcHidPlugEvent& handler) { onArrival_ = handler; }
    const TOcHidEnumerateEvent& OnEnumerate() const { return onEnumerate_; }
    void SetOnEnumerate(const TOcHidEnumerateEvent& handler) { onEnumerate_ = handler; }
    const classlib::TNotifyEvent& OnDeviceChange() const { return onDeviceChange_; }
    void SetOnDeviceChange(const classlib::TNotifyEvent& handler);
    const TOcHidDataEvent& OnDeviceData() const { return onDeviceData_; }
    void SetOnDeviceData(const TOcHidDataEvent& handler);
    const TOcHidDataErrorEvent& OnDeviceDataError() const { return onDeviceDataError_; }
    void SetOnDeviceDataError(const TOcHidDataErrorEvent& handler);
    const TOcHidPlugEvent& OnDeviceUnplug() const { return onDeviceUnplug_; }
    void SetOnDeviceUnplug(const TOcHidPlugEvent& handler);
    const TOcHidPlugEvent& OnRemoval() const { return onRemoval_; }
    void SetOnRemoval(const TOcHidPlugEvent& handler) { onRemoval_ = handler; }

private:
    friend class TOcHidDevice;

    void HandleWindowMessage(classlib::TMessage& message);
    std::vector<TOcHidDevice*> CollectPresentDevices();
    TOcHidDevice* CreateDeviceForInterface(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& interfaceData);
    bool FireEnumerate(TOcHidDevice* device, int index);
    void FireForDevice(const TOcHidPlugEvent& handler, TOcHidDevice* device);
    bool ListsPluggedInstance(DWORD devInst) const;
    template <class Event>
    void ReplaceDeviceHandler(Event TOcHidDevice::*field, Event& stored, const Event& handler);
    // Frees a device the controller owns; detached first, so its destruction leaves the list alone.
    static void FreeDetached(TOcHidDevice* device);

    GUID interfaceClass_ = DefaultHidInterfaceClass;
    TOcHidPlugEvent onArrival_;
    classlib::TNotifyEvent onDeviceChange_;
    TOcHidEnumerateEvent onEnumerate_;
    TOcHidDataEvent onDeviceData_;
    TOcHidDataErrorEvent onDeviceDataError_;
    TOcHidPlugEvent onDeviceUnplug_;
    TOcHidPlugEvent onRemoval_;
    uint32_t devThreadSleepTime_ = 100;
    std::vector<TOcHidDevice*> devices_;
    bool inDeviceChange_ = false;
    // A notification that came while a rebuild ran from the window: one more rebuild follows.
    bool deviceChangeSkipped_ = false;
    LPARAM skippedNotification_ = 0;
    LPARAM lastNotification_ = 0;
    HWND window_ = nullptr;
    // What this controller bound, so that it releases exactly that.
    bool setupApiBound_ = false;
    bool hidBound_ = false;
};

// Start-up routine of the module: registers the controller class, so that form layouts create it
// by name.
void RegisterHidClasses();

} // namespace hid
