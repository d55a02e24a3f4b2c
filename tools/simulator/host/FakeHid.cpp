// The fake HID.dll: answers the HID class queries for the simulated devices (the device is found
// by the name of the pipe a handle is connected to).
#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <type_traits>

#include "HidApiEntryPoints.h"
// after the entry points: it needs their types
#include "FakeExports.h"
#include "SimApi.h"

namespace {

constexpr GUID kHidInterfaceClass = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
constexpr NTSTATUS kHidpSuccess = static_cast<NTSTATUS>(0x00110000);
constexpr NTSTATUS kHidpInvalidPreparsedData = static_cast<NTSTATUS>(0xC0110001);
constexpr uint32_t kPreparsedMagic = 0x53494D50; // "PMIS"

// What HidD_GetPreparsedData hands out: enough to answer HidP_GetCaps.
struct Preparsed {
    uint32_t magic;
    HIDP_CAPS caps;
};

std::mutex g_buffersLock;
std::map<HANDLE, ULONG> g_inputBuffers; // per open handle, as the HID driver keeps it

BOOLEAN CopyString(const WCHAR* text, PVOID buffer, ULONG length)
{
    size_t bytes = (wcslen(text) + 1) * sizeof(WCHAR);
    if (text[0] == 0) {
        SetLastError(ERROR_INVALID_PARAMETER); // the device has no such string
        return FALSE;
    }
    if (!buffer || length < bytes) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, text, bytes);
    return TRUE;
}

struct Hid {
    static ULONG HidD_Hello(PCHAR Buffer, ULONG BufferLength)
    {
        static const char kHello[] = "Hello\n";
        if (Buffer && BufferLength >= sizeof kHello)
            std::memcpy(Buffer, kHello, sizeof kHello);
        return sizeof kHello;
    }

    static void HidD_GetHidGuid(LPGUID HidGuid) { *HidGuid = kHidInterfaceClass; }

    static BOOLEAN HidD_GetAttributes(HANDLE HidDeviceObject, PHIDD_ATTRIBUTES Attributes)
    {
        SimDeviceInfo info;
        if (!SimDeviceForHandle(HidDeviceObject, &info))
            return FALSE;
        if (!info.identifiable) {
            SetLastError(ERROR_GEN_FAILURE);
            return FALSE;
        }
        Attributes->Size = sizeof(HIDD_ATTRIBUTES);
        Attributes->VendorID = info.vendorId;
        Attributes->ProductID = info.productId;
        Attributes->VersionNumber = info.version;
        return TRUE;
    }

    static BOOLEAN HidD_GetPreparsedData(HANDLE HidDeviceObject,
                                         PHIDP_PREPARSED_DATA* PreparsedData)
    {
        SimDeviceInfo info;
        if (!SimDeviceForHandle(HidDeviceObject, &info))
            return FALSE;
        auto* p = static_cast<Preparsed*>(LocalAlloc(LPTR, sizeof(Preparsed)));
        p->magic = kPreparsedMagic;
        p->caps.UsagePage = 0xFF00; // vendor-defined
        p->caps.Usage = 1;
        p->caps.InputReportByteLength = info.inputReportLength;
        p->caps.OutputReportByteLength = 65;
        p->caps.NumberLinkCollectionNodes = 1;
        p->caps.NumberInputValueCaps = 1;
        p->caps.NumberOutputValueCaps = 1;
        p->caps.NumberInputDataIndices = 1;
        p->caps.NumberOutputDataIndices = 1;
        *PreparsedData = reinterpret_cast<PHIDP_PREPARSED_DATA>(p);
        return TRUE;
    }

    static BOOLEAN HidD_FreePreparsedData(PHIDP_PREPARSED_DATA PreparsedData)
    {
        auto* p = reinterpret_cast<Preparsed*>(PreparsedData);
        if (!p || p->magic != kPreparsedMagic) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        p->magic = 0;
        LocalFree(p);
        return TRUE;
    }

    static NTSTATUS HidP_GetCaps(PHIDP_PREPARSED_DATA PreparsedData, PHIDP_CAPS Capabilities)
    {
        auto* p = reinterpret_cast<Preparsed*>(PreparsedData);
        if (!p || p->magic != kPreparsedMagic)
            return kHidpInvalidPreparsedData;
        *Capabilities = p->caps;
        return kHidpSuccess;
    }

    static BOOLEAN HidD_GetManufacturerString(HANDLE HidDeviceObject, PVOID Buffer,
                                              ULONG BufferLength)
    {
        SimDeviceInfo info;
        return SimDeviceForHandle(HidDeviceObject, &info) &&
               CopyString(info.manufacturer, Buffer, BufferLength);
    }

    static BOOLEAN HidD_GetProductString(HANDLE HidDeviceObject, PVOID Buffer, ULONG BufferLength)
    {
        SimDeviceInfo info;
        return SimDeviceForHandle(HidDeviceObject, &info) &&
               CopyString(info.product, Buffer, BufferLength);
    }

    static BOOLEAN HidD_GetSerialNumberString(HANDLE HidDeviceObject, PVOID Buffer,
                                              ULONG BufferLength)
    {
        SimDeviceInfo info;
        return SimDeviceForHandle(HidDeviceObject, &info) &&
               CopyString(info.serial, Buffer, BufferLength);
    }

    // String 0 is the language table; 1 to 3 are the manufacturer, product and serial-number
    // strings.
    static BOOLEAN HidD_GetIndexedString(HANDLE HidDeviceObject, ULONG StringIndex, PVOID Buffer,
                                         ULONG BufferLength)
    {
        SimDeviceInfo info;
        if (!SimDeviceForHandle(HidDeviceObject, &info))
            return FALSE;
        WCHAR languages[17] = {};
        std::copy_n(info.languages, info.languageCount, languages);
        switch (StringIndex) {
            case 0:
                if (info.languageCount == 0) { // an empty table: the answer holds nothing
                    if (!Buffer || BufferLength < sizeof(WCHAR))
                        return SetLastError(ERROR_INVALID_USER_BUFFER), FALSE;
                    *static_cast<WCHAR*>(Buffer) = 0;
                    return TRUE;
                }
                return CopyString(languages, Buffer, BufferLength);
            case 1:
                return CopyString(info.manufacturer, Buffer, BufferLength);
            case 2:
                return CopyString(info.product, Buffer, BufferLength);
            case 3:
                return CopyString(info.serial, Buffer, BufferLength);
        }
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }

    static BOOLEAN HidD_GetNumInputBuffers(HANDLE HidDeviceObject, PULONG NumberBuffers)
    {
        SimDeviceInfo info;
        if (!SimDeviceForHandle(HidDeviceObject, &info))
            return FALSE;
        std::lock_guard<std::mutex> hold(g_buffersLock);
        auto it = g_inputBuffers.find(HidDeviceObject);
        *NumberBuffers = it == g_inputBuffers.end() ? 32 : it->second;
        return TRUE;
    }

    static BOOLEAN HidD_SetNumInputBuffers(HANDLE HidDeviceObject, ULONG NumberBuffers)
    {
        SimDeviceInfo info;
        if (!SimDeviceForHandle(HidDeviceObject, &info))
            return FALSE;
        if (NumberBuffers < 2 || NumberBuffers > 512) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        std::lock_guard<std::mutex> hold(g_buffersLock);
        g_inputBuffers[HidDeviceObject] = NumberBuffers;
        return TRUE;
    }
};

} // namespace

#define FAKE_HID_EXPORT(Ret, Name, Params, Args, MinimumNt) \
    FAKE_EXPORT(Hid, Ret, Name, Params, Args)
#define FAKE_HID_ALIAS(Variable, Export)
BRENVIK_HID_ENTRY_POINTS(FAKE_HID_EXPORT, FAKE_HID_ALIAS)
