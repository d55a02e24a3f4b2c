// Records what the HID controller and its devices report, in order, for the tests of tests/hid.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hid/OcHidControllerClass.h"

namespace hidtest {

struct Report {
    uint8_t reportId;
    std::vector<uint8_t> data;
    DWORD threadId;
};

class HidEvents {
public:
    std::vector<std::string> log;
    std::vector<Report> reports;
    std::vector<uint32_t> errors;
    std::vector<int> enumerated;
    bool goOn = true;
    bool claimOnEnumerate = false;
    std::vector<hid::TOcHidDevice*> claimed;
    hid::TOcHidDeviceController* controller = nullptr;

    void Arrival(hid::TOcHidDevice*) { log.push_back("arrival"); }
    void Removal(hid::TOcHidDevice* device)
    {
        log.push_back(device->Plugged() ? "removal of plugged" : "removal");
    }
    void Change(classlib::TObject*) { log.push_back("change"); }
    void Unplug(hid::TOcHidDevice*) { log.push_back("unplug"); }
    bool Enumerate(hid::TOcHidDevice*, int index)
    {
        enumerated.push_back(index);
        hid::TOcHidDevice* device = nullptr;
        if (claimOnEnumerate && controller->AcquireDeviceAt(index, device))
            claimed.push_back(device);
        return goOn;
    }
    void Data(hid::TOcHidDevice*, uint8_t reportId, const void* data, uint16_t size)
    {
        const auto* bytes = static_cast<const uint8_t*>(data);
        reports.push_back(
            {reportId, std::vector<uint8_t>(bytes, bytes + size), GetCurrentThreadId()});
    }
    void DataError(hid::TOcHidDevice*, uint32_t error) { errors.push_back(error); }

    hid::TOcHidPlugEvent OnArrival() { return {this, &HidEvents::Arrival}; }
    hid::TOcHidPlugEvent OnRemoval() { return {this, &HidEvents::Removal}; }
    classlib::TNotifyEvent OnChange() { return {this, &HidEvents::Change}; }
    hid::TOcHidPlugEvent OnUnplug() { return {this, &HidEvents::Unplug}; }
    hid::TOcHidEnumerateEvent OnEnumerate() { return {this, &HidEvents::Enumerate}; }
    hid::TOcHidDataEvent OnData() { return {this, &HidEvents::Data}; }
    hid::TOcHidDataErrorEvent OnDataError() { return {this, &HidEvents::DataError}; }

    // Binds the controller's arrival, removal and change events to this recorder.
    void Watch(hid::TOcHidDeviceController& watched)
    {
        controller = &watched;
        watched.SetOnArrival(OnArrival());
        watched.SetOnRemoval(OnRemoval());
        watched.SetOnEnumerate(OnEnumerate());
    }
};

} // namespace hidtest
