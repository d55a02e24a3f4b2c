// BrenvikSim.dll: the simulated devices of one process. The fake HID.dll and SetupApi.dll ask it
// what is plugged in; tests and tools drive it through the control functions.
//
// The simulator starts on first use. Its initial devices come from the configuration file named
// by the environment variable BRENVIK_SIM_CONFIG (none when unset); SimConfigure replaces them.
// Each plugged device serves its device path, a named pipe, from a thread of its own: every
// CreateFile on the path connects a new pipe instance; each 65-byte write is one output report;
// each answer goes to every open instance as one 65-byte input report (report ID 0), as a HID
// driver fills every open handle's input buffer.
#pragma once

#include <windows.h>

#ifdef BRENVIK_SIM_BUILDING
#define SIM_API extern "C" __declspec(dllexport)
#else
#define SIM_API extern "C" __declspec(dllimport)
#endif

// ---- Control ----

// Replaces every device by those of the configuration text (see tools/simulator/README.md).
// Devices are replaced without notification. Returns the number of devices, or -1 with the
// reason in `error`.
SIM_API int SimConfigure(const char* configText, char* error, int errorSize);
SIM_API int SimDeviceCount(void);
SIM_API int SimFindDevice(const char* id); // index or -1
// Plugging gives the device a new device instance and device path. `announce` posts
// WM_DEVICECHANGE (DBT_DEVNODES_CHANGED) to every top-level window of the process.
SIM_API BOOL SimPlug(int device, BOOL announce);
SIM_API BOOL SimUnplug(int device, BOOL announce);
SIM_API BOOL SimIsPlugged(int device);
// Device path of the current (or last) instance; returns the length written.
SIM_API int SimDevicePath(int device, char* path, int size);
// Flash contents by device address (PIC24: the length counts flash bytes, three per two address
// units). False when the range is not flash of the device.
SIM_API BOOL SimReadFlash(int device, DWORD address, void* buffer, DWORD length);
SIM_API int SimViolationCount(int device);
// Kind of a violation: 0 not erased, 1 outside flash, 2 bootloader area, 3 outside a write run,
// 4 wrong report size; -1 for a bad index. The text is "<kind>: <detail>".
SIM_API int SimViolationKind(int device, int index);
SIM_API int SimViolationText(int device, int index, char* text, int size);
// The trace of every report in both directions; returns the length of the whole text (the text
// is cut to `size` - 1 characters).
SIM_API int SimTraceText(int device, char* text, int size);
SIM_API int SimReportsReceived(int device);
// Shortest time in milliseconds the exchange so far could have taken at one report per 1 ms frame
// and direction with a host that reacts at once.
SIM_API DWORD SimFrameModelMs(int device);
// Milliseconds from the first report the device took (or from SimStartExchange) to the last
// answer it delivered: the exchange as it happened, to set against SimFrameModelMs.
SIM_API DWORD SimExchangeMs(int device);
// Times the exchange from now on: SimExchangeMs counts from this call, SimFrameModelMs from 0.
// A client's own work before its first report then counts against it.
SIM_API void SimStartExchange(int device);

// ---- Used by the fake HID.dll and SetupApi.dll ----

struct SimDeviceInfo {
    DWORD devInst;
    char path[260];
    WORD vendorId, productId, version;
    BOOL identifiable;
    WCHAR product[127], manufacturer[127], serial[127];
    int languageCount; // entries of the language table (string descriptor 0)
    WORD languages[16];
    WORD inputReportLength; // announced by the report descriptor
};

// The plugged devices in plug order; returns how many there are (at most `max` are copied).
SIM_API int SimPresentDevices(SimDeviceInfo* out, int max);
SIM_API BOOL SimDeviceForInstance(DWORD devInst, SimDeviceInfo* out);
// The plugged device whose pipe `handle` is connected to; on failure the last error is
// ERROR_DEVICE_NOT_CONNECTED (unplugged) or ERROR_INVALID_HANDLE (not a device handle).
SIM_API BOOL SimDeviceForHandle(HANDLE handle, SimDeviceInfo* out);
