// The entry points of HID.dll and SetupApi.dll that the HID layer binds at run time, listed once.
//
// The HID layer expands these lists to declare its function-pointer variables and to bind them
// in list order; the simulated-device libraries (tools/simulator) expand the same lists to
// generate their exports, so the fakes offer exactly what the binding looks for.
//
// BRENVIK_HID_ENTRY_POINTS(EXPORT, ALIAS)
//   EXPORT(ReturnType, Name, (Parameters), (Arguments), MinimumNtVersion)
//     one export of HID.dll, bound to a variable of the same name. MinimumNtVersion is 0 for an
//     entry point every system has, else the Windows NT version (0x0500, 0x0501) from which it is
//     bound; on older systems the variable stays empty without failing the binding.
//   ALIAS(VariableName, ExportName)
//     a second variable bound to an export listed earlier (the button forms of the usage
//     functions have the signature of their export).
//
// BRENVIK_SETUPAPI_CALLED_ENTRY_POINTS(EXPORT)
//   EXPORT(ReturnType, Name, (Parameters), (Arguments)): the SetupApi.dll functions the HID layer
//   calls.
//
// BRENVIK_SETUPAPI_BOUND_ENTRY_POINTS(NAME): see SetupApiBoundEntryPoints.h.
//
// Types come from the Windows SDK headers; a file that defines functions of these names defines
// _SETUPAPI_ before including this header (so setupapi.h declares them without dllimport).

#pragma once

#include <windows.h>
#include <setupapi.h>

extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#define BRENVIK_HID_ENTRY_POINTS(EXPORT, ALIAS)                                                    \
    EXPORT(ULONG, HidD_Hello, (PCHAR Buffer, ULONG BufferLength), (Buffer, BufferLength), 0)       \
    EXPORT(void, HidD_GetHidGuid, (LPGUID HidGuid), (HidGuid), 0)                                  \
    EXPORT(BOOLEAN, HidD_GetPreparsedData,                                                         \
           (HANDLE HidDeviceObject, PHIDP_PREPARSED_DATA * PreparsedData),                         \
           (HidDeviceObject, PreparsedData), 0)                                                    \
    EXPORT(BOOLEAN, HidD_FreePreparsedData, (PHIDP_PREPARSED_DATA PreparsedData), (PreparsedData), \
           0)                                                                                      \
    EXPORT(BOOLEAN, HidD_GetConfiguration,                                                         \
           (HANDLE HidDeviceObject, PHIDD_CONFIGURATION Configuration, ULONG ConfigurationLength), \
           (HidDeviceObject, Configuration, ConfigurationLength), 0)                               \
    EXPORT(BOOLEAN, HidD_SetConfiguration,                                                         \
           (HANDLE HidDeviceObject, PHIDD_CONFIGURATION Configuration, ULONG ConfigurationLength), \
           (HidDeviceObject, Configuration, ConfigurationLength), 0)                               \
    EXPORT(BOOLEAN, HidD_FlushQueue, (HANDLE HidDeviceObject), (HidDeviceObject), 0)               \
    EXPORT(BOOLEAN, HidD_GetFeature,                                                               \
           (HANDLE HidDeviceObject, PVOID ReportBuffer, ULONG ReportBufferLength),                 \
           (HidDeviceObject, ReportBuffer, ReportBufferLength), 0)                                 \
    EXPORT(BOOLEAN, HidD_SetFeature,                                                               \
           (HANDLE HidDeviceObject, PVOID ReportBuffer, ULONG ReportBufferLength),                 \
           (HidDeviceObject, ReportBuffer, ReportBufferLength), 0)                                 \
    EXPORT(BOOLEAN, HidD_GetNumInputBuffers, (HANDLE HidDeviceObject, PULONG NumberBuffers),       \
           (HidDeviceObject, NumberBuffers), 0)                                                    \
    EXPORT(BOOLEAN, HidD_SetNumInputBuffers, (HANDLE HidDeviceObject, ULONG NumberBuffers),        \
           (HidDeviceObject, NumberBuffers), 0)                                                    \
    EXPORT(BOOLEAN, HidD_GetAttributes, (HANDLE HidDeviceObject, PHIDD_ATTRIBUTES Attributes),     \
           (HidDeviceObject, Attributes), 0)                                                       \
    EXPORT(BOOLEAN, HidD_GetManufacturerString,                                                    \
           (HANDLE HidDeviceObject, PVOID Buffer, ULONG BufferLength),                             \
           (HidDeviceObject, Buffer, BufferLength), 0)                                             \
    EXPORT(BOOLEAN, HidD_GetProductString,                                                         \
           (HANDLE HidDeviceObject, PVOID Buffer, ULONG BufferLength),                             \
           (HidDeviceObject, Buffer, BufferLength), 0)                                             \
    EXPORT(BOOLEAN, HidD_GetSerialNumberString,                                                    \
           (HANDLE HidDeviceObject, PVOID Buffer, ULONG BufferLength),                             \
           (HidDeviceObject, Buffer, BufferLength), 0)                                             \
    EXPORT(BOOLEAN, HidD_GetPhysicalDescriptor,                                                    \
           (HANDLE HidDeviceObject, PVOID Buffer, ULONG BufferLength),                             \
           (HidDeviceObject, Buffer, BufferLength), 0)                                             \
    EXPORT(BOOLEAN, HidD_GetIndexedString,                                                         \
           (HANDLE HidDeviceObject, ULONG StringIndex, PVOID Buffer, ULONG BufferLength),          \
           (HidDeviceObject, StringIndex, Buffer, BufferLength), 0)                                \
    EXPORT(BOOLEAN, HidD_GetInputReport,                                                           \
           (HANDLE HidDeviceObject, PVOID ReportBuffer, ULONG ReportBufferLength),                 \
           (HidDeviceObject, ReportBuffer, ReportBufferLength), 0x0501)                            \
    EXPORT(BOOLEAN, HidD_SetOutputReport,                                                          \
           (HANDLE HidDeviceObject, PVOID ReportBuffer, ULONG ReportBufferLength),                 \
           (HidDeviceObject, ReportBuffer, ReportBufferLength), 0x0501)                            \
    EXPORT(NTSTATUS, HidP_GetCaps, (PHIDP_PREPARSED_DATA PreparsedData, PHIDP_CAPS Capabilities),  \
           (PreparsedData, Capabilities), 0)                                                       \
    EXPORT(NTSTATUS, HidP_GetLinkCollectionNodes,                                                  \
           (PHIDP_LINK_COLLECTION_NODE LinkCollectionNodes, PULONG LinkCollectionNodesLength,      \
            PHIDP_PREPARSED_DATA PreparsedData),                                                   \
           (LinkCollectionNodes, LinkCollectionNodesLength, PreparsedData), 0)                     \
    EXPORT(NTSTATUS, HidP_GetSpecificButtonCaps,                                                   \
           (HIDP_REPORT_TYPE ReportType, USAGE UsagePage, USHORT LinkCollection, USAGE Usage,      \
            PHIDP_BUTTON_CAPS ButtonCaps, PUSHORT ButtonCapsLength,                                \
            PHIDP_PREPARSED_DATA PreparsedData),                                                   \
           (ReportType, UsagePage, LinkCollection, Usage, ButtonCaps, ButtonCapsLength,            \
            PreparsedData),                                                                        \
           0)                                                                                      \
    EXPORT(                                                                                        \
        NTSTATUS, HidP_GetSpecificValueCaps,                                                       \
        (HIDP_REPORT_TYPE ReportType, USAGE UsagePage, USHORT LinkCollection, USAGE Usage,         \
         PHIDP_VALUE_CAPS ValueCaps, PUSHORT ValueCapsLength, PHIDP_PREPARSED_DATA PreparsedData), \
        (ReportType, UsagePage, LinkCollection, Usage, ValueCaps, ValueCapsLength, PreparsedData), \
        0)                                                                                         \
    EXPORT(NTSTATUS, HidP_GetData,                                                                 \
           (HIDP_REPORT_TYPE ReportType, PHIDP_DATA DataList, PULONG DataLength,                   \
            PHIDP_PREPARSED_DATA PreparsedData, PCHAR Report, ULONG ReportLength),                 \
           (ReportType, DataList, DataLength, PreparsedData, Report, ReportLength), 0)             \
    EXPORT(NTSTATUS, HidP_SetData,                                                                 \
           (HIDP_REPORT_TYPE ReportType, PHIDP_DATA DataList, PULONG DataLength,                   \
            PHIDP_PREPARSED_DATA PreparsedData, PCHAR Report, ULONG ReportLength),                 \
           (ReportType, DataList, DataLength, PreparsedData, Report, ReportLength), 0)             \
    EXPORT(ULONG, HidP_MaxDataListLength,                                                          \
           (HIDP_REPORT_TYPE ReportType, PHIDP_PREPARSED_DATA PreparsedData),                      \
           (ReportType, PreparsedData), 0)                                                         \
    EXPORT(NTSTATUS, HidP_GetUsages,                                                               \
           (HIDP_REPORT_TYPE ReportType, USAGE UsagePage, USHORT LinkCollection, PUSAGE UsageList, \
            PULONG UsageLength, PHIDP_PREPARSED_DATA PreparsedData, PCHAR Report,                  \
            ULONG ReportLength),                                                                   \
           (ReportType, UsagePage, LinkCollection, UsageList, UsageLength, PreparsedData, Report,  \
            ReportLength),                                                                         \
           0)                                                                                      \
    ALIAS(HidP_GetButtons, HidP_GetUsages)                                                         \
    EXPORT(NTSTATUS, HidP_GetUsagesEx,                                                             \
           (HIDP_REPORT_TYPE ReportType, USHORT LinkCollection, PUSAGE_AND_PAGE ButtonList,        \
            ULONG * UsageLength, PHIDP_PREPARSED_DATA PreparsedData, PCHAR Report,                 \
            ULONG ReportLength),                                                                   \
           (ReportType, LinkCollection, ButtonList, UsageLength, PreparsedData, Report,            \
            ReportLength),                                                                         \
           0)                                                                                      \
    ALIAS(HidP_GetButtonsEx, HidP_GetUsagesEx)                                                     \
    EXPORT(NTSTATUS, HidP_SetUsages,                                                               \
           (HIDP_REPORT_TYPE ReportType, USAGE UsagePage, USHORT LinkCollection, PUSAGE UsageList, \
            PULONG UsageLength, PHIDP_PREPARSED_DATA PreparsedData, PCHAR Report,                  \
            ULONG ReportLength),                                                                   \
           (ReportType, UsagePage, LinkCollection, UsageList, UsageLength, PreparsedData, Report,  \
            ReportLength),                                                                         \
           0)                                                                                      \
    ALIAS(HidP_SetButtons, HidP_SetUsages)                                                         \
    EXPORT(NTSTATUS, HidP_UnsetUsages,                                                             \
           (HIDP_REPORT_TYPE ReportType, USAGE UsagePage, USHORT LinkCollection, PUSAGE UsageList, \
            PULONG UsageLength, PHIDP_PREPARSED_DATA PreparsedData, PCHAR Report,                  \
            ULONG ReportLength),                                                                   \
           (ReportType, UsagePage, LinkCollection, UsageList, UsageLength, PreparsedData, Report,  \
            ReportLength),                                                                         \
           0)                                                                                      \
    ALIAS(HidP_UnsetButtons, HidP_UnsetUsages)                                                     \
    EXPORT(ULONG, HidP_MaxUsageListLength,                                                         \
           (HIDP_REPORT_TYPE ReportType, USAGE UsagePage, PHIDP_PREPARSED_DATA PreparsedData),     \
           (ReportType, UsagePage, PreparsedData), 0)                                              \
    ALIAS(HidP_MaxButtonListLength, HidP_MaxUsageListLength)                                       \
    EXPORT(                                                                                        \
        NTSTATUS, HidP_GetUsageValue,                                                              \
        (HIDP_REPORT_TYPE ReportType, USAGE UsagePage, USHORT LinkCollection, USAGE Usage,         \
         PULONG UsageValue, PHIDP_PREPARSED_DATA PreparsedData, PCHAR Report, ULONG ReportLength), \
        (ReportType, UsagePage, LinkCollection, Usage, UsageValue, PreparsedData, Report,          \
         ReportLength),                                                                            \
        0)                                                                                         \
    EXPORT(                                                                                        \
        NTSTATUS, HidP_GetScaledUsageValue,                                                        \
        (HIDP_REPORT_TYPE ReportType, USAGE UsagePage, USHORT LinkCollection, USAGE Usage,         \
         PLONG UsageValue, PHIDP_PREPARSED_DATA PreparsedData, PCHAR Report, ULONG ReportLength),  \
        (ReportType, UsagePage, LinkCollection, Usage, UsageValue, PreparsedData, Report,          \
         ReportLength),                                                                            \
        0)                                                                                         \
    EXPORT(NTSTATUS, HidP_GetUsageValueArray,                                                      \
           (HIDP_REPORT_TYPE ReportType, USAGE UsagePage, USHORT LinkCollection, USAGE Usage,      \
            PCHAR UsageValue, USHORT UsageValueByteLength, PHIDP_PREPARSED_DATA PreparsedData,     \
            PCHAR Report, ULONG ReportLength),                                                     \
           (ReportType, UsagePage, LinkCollection, Usage, UsageValue, UsageValueByteLength,        \
            PreparsedData, Report, ReportLength),                                                  \
           0)                                                                                      \
    EXPORT(                                                                                        \
        NTSTATUS, HidP_SetUsageValue,                                                              \
        (HIDP_REPORT_TYPE ReportType, USAGE UsagePage, USHORT LinkCollection, USAGE Usage,         \
         ULONG UsageValue, PHIDP_PREPARSED_DATA PreparsedData, PCHAR Report, ULONG ReportLength),  \
        (ReportType, UsagePage, LinkCollection, Usage, UsageValue, PreparsedData, Report,          \
         ReportLength),                                                                            \
        0)                                                                                         \
    EXPORT(                                                                                        \
        NTSTATUS, HidP_SetScaledUsageValue,                                                        \
        (HIDP_REPORT_TYPE ReportType, USAGE UsagePage, USHORT LinkCollection, USAGE Usage,         \
         LONG UsageValue, PHIDP_PREPARSED_DATA PreparsedData, PCHAR Report, ULONG ReportLength),   \
        (ReportType, UsagePage, LinkCollection, Usage, UsageValue, PreparsedData, Report,          \
         ReportLength),                                                                            \
        0)                                                                                         \
    EXPORT(NTSTATUS, HidP_SetUsageValueArray,                                                      \
           (HIDP_REPORT_TYPE ReportType, USAGE UsagePage, USHORT LinkCollection, USAGE Usage,      \
            PCHAR UsageValue, USHORT UsageValueByteLength, PHIDP_PREPARSED_DATA PreparsedData,     \
            PCHAR Report, ULONG ReportLength),                                                     \
           (ReportType, UsagePage, LinkCollection, Usage, UsageValue, UsageValueByteLength,        \
            PreparsedData, Report, ReportLength),                                                  \
           0)                                                                                      \
    EXPORT(NTSTATUS, HidP_UsageListDifference,                                                     \
           (PUSAGE PreviousUsageList, PUSAGE CurrentUsageList, PUSAGE BreakUsageList,              \
            PUSAGE MakeUsageList, ULONG UsageListLength),                                          \
           (PreviousUsageList, CurrentUsageList, BreakUsageList, MakeUsageList, UsageListLength),  \
           0)                                                                                      \
    EXPORT(NTSTATUS, HidP_TranslateUsagesToI8042ScanCodes,                                         \
           (PUSAGE ChangedUsageList, ULONG UsageListLength, HIDP_KEYBOARD_DIRECTION KeyAction,     \
            PHIDP_KEYBOARD_MODIFIER_STATE ModifierState,                                           \
            PHIDP_INSERT_SCANCODES InsertCodesProcedure, PVOID InsertCodesContext),                \
           (ChangedUsageList, UsageListLength, KeyAction, ModifierState, InsertCodesProcedure,     \
            InsertCodesContext),                                                                   \
           0)                                                                                      \
    EXPORT(NTSTATUS, HidP_GetExtendedAttributes,                                                   \
           (HIDP_REPORT_TYPE ReportType, USHORT DataIndex, PHIDP_PREPARSED_DATA PreparsedData,     \
            PHIDP_EXTENDED_ATTRIBUTES Attributes, PULONG LengthAttributes),                        \
           (ReportType, DataIndex, PreparsedData, Attributes, LengthAttributes), 0x0500)           \
    EXPORT(NTSTATUS, HidP_InitializeReportForID,                                                   \
           (HIDP_REPORT_TYPE ReportType, UCHAR ReportID, PHIDP_PREPARSED_DATA PreparsedData,       \
            PCHAR Report, ULONG ReportLength),                                                     \
           (ReportType, ReportID, PreparsedData, Report, ReportLength), 0x0500)

#define BRENVIK_SETUPAPI_CALLED_ENTRY_POINTS(EXPORT)                                               \
    EXPORT(HDEVINFO, SetupDiGetClassDevsA,                                                         \
           (CONST GUID * ClassGuid, PCSTR Enumerator, HWND hwndParent, DWORD Flags),               \
           (ClassGuid, Enumerator, hwndParent, Flags))                                             \
    EXPORT(                                                                                        \
        WINBOOL, SetupDiEnumDeviceInterfaces,                                                      \
        (HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, CONST GUID * InterfaceClassGuid, \
         DWORD MemberIndex, PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData),                        \
        (DeviceInfoSet, DeviceInfoData, InterfaceClassGuid, MemberIndex, DeviceInterfaceData))     \
    EXPORT(WINBOOL, SetupDiGetDeviceInterfaceDetailA,                                              \
           (HDEVINFO DeviceInfoSet, PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData,                 \
            PSP_DEVICE_INTERFACE_DETAIL_DATA_A DeviceInterfaceDetailData,                          \
            DWORD DeviceInterfaceDetailDataSize, PDWORD RequiredSize,                              \
            PSP_DEVINFO_DATA DeviceInfoData),                                                      \
           (DeviceInfoSet, DeviceInterfaceData, DeviceInterfaceDetailData,                         \
            DeviceInterfaceDetailDataSize, RequiredSize, DeviceInfoData))                          \
    EXPORT(WINBOOL, SetupDiGetDeviceRegistryPropertyA,                                             \
           (HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,               \
            PDWORD PropertyRegDataType, PBYTE PropertyBuffer, DWORD PropertyBufferSize,            \
            PDWORD RequiredSize),                                                                  \
           (DeviceInfoSet, DeviceInfoData, Property, PropertyRegDataType, PropertyBuffer,          \
            PropertyBufferSize, RequiredSize))                                                     \
    EXPORT(WINBOOL, SetupDiDestroyDeviceInfoList, (HDEVINFO DeviceInfoSet), (DeviceInfoSet))

#include "SetupApiBoundEntryPoints.h"
