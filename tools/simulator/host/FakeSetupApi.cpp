// The fake SetupApi.dll: a device-information set lists the plugged simulated devices as present
// HID interfaces, with their paths and Plug-and-Play registry properties.
#define _SETUPAPI_ // this library defines the SetupAPI functions (no dllimport)
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "HidApiEntryPoints.h"
// after the entry points: it needs their types
#include "FakeExports.h"
#include "SimApi.h"

namespace {

constexpr GUID kHidInterfaceClass = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
constexpr GUID kHidDeviceClass = {
    0x745A17A0, 0x74D3, 0x11D0, {0xB6, 0xFE, 0x00, 0xA0, 0xC9, 0x0F, 0x57, 0xDA}};

struct DeviceSet {
    std::vector<SimDeviceInfo> devices;
};

std::mutex g_setsLock;
std::set<DeviceSet*> g_sets;

DeviceSet* Lookup(HDEVINFO handle)
{
    std::lock_guard<std::mutex> hold(g_setsLock);
    auto* set = static_cast<DeviceSet*>(handle);
    if (!g_sets.count(set)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return set;
}

const SimDeviceInfo* InSet(DeviceSet* set, PSP_DEVINFO_DATA data)
{
    if (!data || data->cbSize != sizeof(SP_DEVINFO_DATA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    for (const SimDeviceInfo& d : set->devices) {
        if (d.devInst == data->DevInst)
            return &d;
    }
    SetLastError(ERROR_NO_SUCH_DEVINST);
    return nullptr;
}

// A registry property as the Plug-and-Play manager keeps it for a HID interface's device.
bool Property(const SimDeviceInfo& d, DWORD property, DWORD* type, std::string* value)
{
    char text[256];
    auto sz = [&](const std::string& s) { *type = REG_SZ, *value = s + '\0'; };
    auto multi = [&](const std::vector<std::string>& items) {
        *type = REG_MULTI_SZ;
        value->clear();
        for (const std::string& s : items)
            *value += s + '\0';
        *value += '\0';
    };
    auto number = [&](DWORD n) {
        *type = REG_DWORD, value->assign(reinterpret_cast<char*>(&n), 4);
    };
    switch (property) {
        case SPDRP_DEVICEDESC:
            sz("HID-compliant device");
            return true;
        case SPDRP_SERVICE:
            sz("");
            return false;
        case SPDRP_CLASS:
            sz("HIDClass");
            return true;
        case SPDRP_CLASSGUID:
            sz("{745a17a0-74d3-11d0-b6fe-00a0c90f57da}");
            return true;
        case SPDRP_DRIVER:
            std::snprintf(text, sizeof text, "{745a17a0-74d3-11d0-b6fe-00a0c90f57da}\\%04lu",
                          d.devInst % 10000);
            sz(text);
            return true;
        case SPDRP_MFG:
            sz("(Standard system devices)");
            return true;
        case SPDRP_PHYSICAL_DEVICE_OBJECT_NAME:
            std::snprintf(text, sizeof text, "\\Device\\%08lx", d.devInst);
            sz(text);
            return true;
        case SPDRP_ENUMERATOR_NAME:
            sz("HID");
            return true;
        case SPDRP_HARDWAREID: {
            char full[64], short_[64];
            std::snprintf(full, sizeof full, "HID\\VID_%04X&PID_%04X&REV_%04X", d.vendorId,
                          d.productId, d.version);
            std::snprintf(short_, sizeof short_, "HID\\VID_%04X&PID_%04X", d.vendorId, d.productId);
            multi({full, short_});
            return true;
        }
        case SPDRP_COMPATIBLEIDS:
            multi({"HID_DEVICE_UP:FF00_U:0001", "HID_DEVICE"});
            return true;
        case SPDRP_CAPABILITIES:
            number(0x04 | 0x80);
            return true; // removable, surprise removal OK
        case SPDRP_CONFIGFLAGS:
            number(0);
            return true;
        case SPDRP_DEVTYPE:
            number(0x22);
            return true; // FILE_DEVICE_UNKNOWN
    }
    return false; // properties a HID interface's device does not have
}

struct SetupApi {
    static HDEVINFO SetupDiGetClassDevsA(CONST GUID* ClassGuid, PCSTR, HWND, DWORD Flags)
    {
        if (!(Flags & DIGCF_DEVICEINTERFACE) || !ClassGuid) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        auto* set = new DeviceSet;
        if (IsEqualGUID(*ClassGuid, kHidInterfaceClass)) {
            int n = SimPresentDevices(nullptr, 0);
            set->devices.resize(n);
            set->devices.resize(std::min(n, SimPresentDevices(set->devices.data(), n)));
        }
        std::lock_guard<std::mutex> hold(g_setsLock);
        g_sets.insert(set);
        return set;
    }

    static WINBOOL SetupDiEnumDeviceInterfaces(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA,
                                               CONST GUID* InterfaceClassGuid, DWORD MemberIndex,
                                               PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData)
    {
        DeviceSet* set = Lookup(DeviceInfoSet);
        if (!set)
            return FALSE;
        if (!DeviceInterfaceData ||
            DeviceInterfaceData->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
            SetLastError(ERROR_INVALID_USER_BUFFER);
            return FALSE;
        }
        if (!InterfaceClassGuid || !IsEqualGUID(*InterfaceClassGuid, kHidInterfaceClass) ||
            MemberIndex >= set->devices.size()) {
            SetLastError(ERROR_NO_MORE_ITEMS);
            return FALSE;
        }
        DeviceInterfaceData->InterfaceClassGuid = kHidInterfaceClass;
        DeviceInterfaceData->Flags = SPINT_ACTIVE;
        DeviceInterfaceData->Reserved = MemberIndex + 1;
        return TRUE;
    }

    static WINBOOL SetupDiGetDeviceInterfaceDetailA(
        HDEVINFO DeviceInfoSet, PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData,
        PSP_DEVICE_INTERFACE_DETAIL_DATA_A DeviceInterfaceDetailData,
        DWORD DeviceInterfaceDetailDataSize, PDWORD RequiredSize, PSP_DEVINFO_DATA DeviceInfoData)
    {
        DeviceSet* set = Lookup(DeviceInfoSet);
        if (!set)
            return FALSE;
        if (!DeviceInterfaceData || DeviceInterfaceData->Reserved == 0 ||
            DeviceInterfaceData->Reserved > set->devices.size()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        const SimDeviceInfo& d = set->devices[DeviceInterfaceData->Reserved - 1];
        DWORD required = DWORD(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) +
                               std::strlen(d.path) + 1);
        if (RequiredSize)
            *RequiredSize = required;
        if (DeviceInterfaceDetailData &&
            DeviceInterfaceDetailData->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
            SetLastError(ERROR_INVALID_USER_BUFFER);
            return FALSE;
        }
        if (!DeviceInterfaceDetailData || DeviceInterfaceDetailDataSize < required) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        std::strcpy(DeviceInterfaceDetailData->DevicePath, d.path);
        if (DeviceInfoData) {
            if (DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA)) {
                SetLastError(ERROR_INVALID_USER_BUFFER);
                return FALSE;
            }
            DeviceInfoData->ClassGuid = kHidDeviceClass;
            DeviceInfoData->DevInst = d.devInst;
            DeviceInfoData->Reserved = DeviceInterfaceData->Reserved;
        }
        return TRUE;
    }

    static WINBOOL SetupDiGetDeviceRegistryPropertyA(HDEVINFO DeviceInfoSet,
                                                     PSP_DEVINFO_DATA DeviceInfoData,
                                                     DWORD Property, PDWORD PropertyRegDataType,
                                                     PBYTE PropertyBuffer, DWORD PropertyBufferSize,
                                                     PDWORD RequiredSize)
    {
        DeviceSet* set = Lookup(DeviceInfoSet);
        if (!set)
            return FALSE;
        const SimDeviceInfo* d = InSet(set, DeviceInfoData);
        if (!d)
            return FALSE;
        DWORD type = 0;
        std::string value;
        if (!::Property(*d, Property, &type, &value)) {
            SetLastError(ERROR_INVALID_DATA);
            return FALSE;
        }
        if (RequiredSize)
            *RequiredSize = DWORD(value.size());
        if (PropertyRegDataType)
            *PropertyRegDataType = type;
        if (!PropertyBuffer || PropertyBufferSize < value.size()) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        std::memcpy(PropertyBuffer, value.data(), value.size());
        return TRUE;
    }

    static WINBOOL SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet)
    {
        DeviceSet* set = Lookup(DeviceInfoSet);
        if (!set)
            return FALSE;
        {
            std::lock_guard<std::mutex> hold(g_setsLock);
            g_sets.erase(set);
        }
        delete set;
        return TRUE;
    }
};

} // namespace

#define FAKE_SETUPAPI_EXPORT(Ret, Name, Params, Args) FAKE_EXPORT(SetupApi, Ret, Name, Params, Args)
BRENVIK_SETUPAPI_CALLED_ENTRY_POINTS(FAKE_SETUPAPI_EXPORT)
