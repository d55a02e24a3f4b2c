// TOcHidPnPInfo and TOcHidDevice.
#include <algorithm>
#include <cstring>

#include "hid/Hid.h"
#include "hid/ModuleLoader.h"
#include "hid/OcHidControllerClass.h"
#include "hid/SetupApi.h"

namespace hid {

namespace {

constexpr DWORD TextPropertySize = 1024;
constexpr DWORD ListPropertySize = 16384;
constexpr ULONG StringBufferChars = 254;
constexpr ULONG StringBufferBytes = StringBufferChars * sizeof(WCHAR);

// One registry property of the interface's device and the field it fills.
struct RegistryProperty {
    DWORD property;
    std::string TOcHidPnPInfo::*text;
    std::vector<std::string> TOcHidPnPInfo::*list;
    DWORD TOcHidPnPInfo::*number;
};

constexpr RegistryProperty Text(DWORD property, std::string TOcHidPnPInfo::*field)
{
    return {property, field, nullptr, nullptr};
}
constexpr RegistryProperty List(DWORD property, std::vector<std::string> TOcHidPnPInfo::*field)
{
    return {property, nullptr, field, nullptr};
}
constexpr RegistryProperty Number(DWORD property, DWORD TOcHidPnPInfo::*field)
{
    return {property, nullptr, nullptr, field};
}

// In the order they are read.
constexpr RegistryProperty registryProperties[] = {
    Number(SPDRP_CAPABILITIES, &TOcHidPnPInfo::Capabilities),
    Text(SPDRP_CLASS, &TOcHidPnPInfo::Class),
    Text(SPDRP_CLASSGUID, &TOcHidPnPInfo::ClassGuid),
    List(SPDRP_COMPATIBLEIDS, &TOcHidPnPInfo::CompatibleIds),
    Number(SPDRP_CONFIGFLAGS, &TOcHidPnPInfo::ConfigFlags),
    Text(SPDRP_DEVICEDESC, &TOcHidPnPInfo::DeviceDesc),
    Text(SPDRP_DRIVER, &TOcHidPnPInfo::Driver),
    Text(SPDRP_FRIENDLYNAME, &TOcHidPnPInfo::FriendlyName),
    List(SPDRP_HARDWAREID, &TOcHidPnPInfo::HardwareId),
    List(SPDRP_LOWERFILTERS, &TOcHidPnPInfo::LowerFilters),
    Text(SPDRP_MFG, &TOcHidPnPInfo::Mfg),
    List(SPDRP_UPPERFILTERS, &TOcHidPnPInfo::UpperFilters),
    Text(SPDRP_SERVICE, &TOcHidPnPInfo::Service),
    Text(SPDRP_ADDRESS, &TOcHidPnPInfo::Address),
    Number(SPDRP_BUSNUMBER, &TOcHidPnPInfo::BusNumber),
    Text(SPDRP_BUSTYPEGUID, &TOcHidPnPInfo::BusTypeGuid),
    Text(SPDRP_CHARACTERISTICS, &TOcHidPnPInfo::Characteristics),
    Number(SPDRP_DEVTYPE, &TOcHidPnPInfo::DevType),
    Text(SPDRP_ENUMERATOR_NAME, &TOcHidPnPInfo::EnumeratorName),
    Number(SPDRP_EXCLUSIVE, &TOcHidPnPInfo::Exclusive),
    Number(SPDRP_LEGACYBUSTYPE, &TOcHidPnPInfo::LegacyBusType),
    Text(SPDRP_LOCATION_INFORMATION, &TOcHidPnPInfo::LocationInformation),
    Text(SPDRP_PHYSICAL_DEVICE_OBJECT_NAME, &TOcHidPnPInfo::PhysicalDeviceObjectName),
    Text(SPDRP_SECURITY_SDS, &TOcHidPnPInfo::SecuritySds),
    Number(SPDRP_UI_NUMBER, &TOcHidPnPInfo::UiNumber),
    Text(SPDRP_UI_NUMBER_DESC_FORMAT, &TOcHidPnPInfo::UiNumberDescFormat),
};

// The library fills at most `size` bytes; the buffers carry two zero bytes more, so that text
// and multi-string scans always end inside them.
bool ReadRegistryProperty(HDEVINFO set, SP_DEVINFO_DATA& info, DWORD property,
                          std::vector<char>& buffer, DWORD size)
{
    buffer.assign(size + 2, 0);
    return SetupDiGetDeviceRegistryPropertyA(set, &info, property, nullptr,
                                             reinterpret_cast<PBYTE>(buffer.data()), size,
                                             nullptr) != FALSE;
}

std::wstring WideUpToZero(const WCHAR* text, size_t maxChars)
{
    size_t length = 0;
    while (length < maxChars && text[length] != 0)
        ++length;
    return std::wstring(text, length);
}

bool IsOpen(HANDLE handle)
{
    return handle != INVALID_HANDLE_VALUE;
}

void CloseAndForget(HANDLE& handle)
{
    if (IsOpen(handle)) {
        CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
}

} // namespace

// ---- TOcHidPnPInfo ------------------------------------------------------------------------------

TOcHidPnPInfo::TOcHidPnPInfo(HDEVINFO deviceInfoSet, const std::string& devicePath,
                             const SP_DEVINFO_DATA& deviceInfo)
    : deviceInfo_(deviceInfo), devicePath_(devicePath)
{
    std::vector<char> buffer;
    for (const RegistryProperty& p : registryProperties) {
        if (p.text != nullptr) {
            if (ReadRegistryProperty(deviceInfoSet, deviceInfo_, p.property, buffer,
                                     TextPropertySize))
                this->*p.text = buffer.data();
        } else if (p.list != nullptr) {
            if (ReadRegistryProperty(deviceInfoSet, deviceInfo_, p.property, buffer,
                                     ListPropertySize)) {
                for (const char* entry = buffer.data(); *entry != 0;
                     entry += std::strlen(entry) + 1)
                    (this->*p.list).emplace_back(entry);
            }
        } else if (ReadRegistryProperty(deviceInfoSet, deviceInfo_, p.property, buffer,
                                        sizeof(DWORD))) {
            std::memcpy(&(this->*p.number), buffer.data(), sizeof(DWORD));
        }
    }
}

// ---- TOcHidDevice -------------------------------------------------------------------------------

TOcHidDevice::TOcHidDevice(std::unique_ptr<TOcHidPnPInfo> pnpInfo,
                           TOcHidDeviceController* controller)
    : controller_(controller), pnpInfo_(std::move(pnpInfo))
{
    if (controller_ != nullptr) {
        SetReaderSleepTime(controller_->devThreadSleepTime_);
        SetDataHandler(controller_->onDeviceData_);
        OnDataError = controller_->onDeviceDataError_;
        OnUnplug = controller_->onDeviceUnplug_;
    }
    mainHandle_ = OpenPath(GENERIC_READ | GENERIC_WRITE, 0);
    openedReadWrite_ = IsOpen(mainHandle_);
    if (!openedReadWrite_)
        mainHandle_ = OpenPath(0, 0);
    if (!IsOpen(mainHandle_))
        throw EControllerError(DeviceCannotBeOpened);
    attributes_.Size = sizeof(HIDD_ATTRIBUTES);
    if (HidD_GetAttributes == nullptr || !HidD_GetAttributes(mainHandle_, &attributes_)) {
        CloseMainHandle();
        throw EControllerError(DeviceCannotBeIdentified);
    }
    CloseMainHandle();
}

TOcHidDevice::~TOcHidDevice()
{
    const TOcHidDataEvent dataHandler = dataHandler_;
    const TOcHidPlugEvent unplugHandler = OnUnplug;
    SetDataHandler(nullptr);
    OnUnplug = nullptr;
    CloseMainHandle();
    CloseOverlappedHandle(false);
    CloseOverlappedHandle(true);
    ReleasePreparsedData();

    if (controller_ == nullptr)
        return;
    std::vector<TOcHidDevice*>& list = controller_->devices_;
    auto entry = std::find(list.begin(), list.end(), this);
    if (entry == list.end())
        return;
    if (!Plugged()) {
        list.erase(entry);
        return;
    }
    // Hand the interface back to the controller as a fresh, unclaimed device. The PnP info moves
    // to it first: a construction that fails frees it with the partly built device, so it is
    // freed exactly once whatever happens; the entry is then dropped, and nothing leaves this
    // destructor.
    try {
        auto* fresh = new TOcHidDevice(std::move(pnpInfo_), controller_);
        fresh->SetDataHandler(dataHandler);
        fresh->OnUnplug = unplugHandler;
        fresh->readerSleepTime_.store(readerSleepTime_.load());
        *entry = fresh;
    } catch (...) {
        list.erase(entry);
    }
}

bool TOcHidDevice::CanAccess() const
{
    return plugged_.load() && (claimed_.load() || inEvent_.load());
}

HANDLE TOcHidDevice::OpenPath(DWORD access, DWORD flags) const
{
    return CreateFileA(pnpInfo_->DevicePath().c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, flags, nullptr);
}

void TOcHidDevice::ApplyInputBuffers(HANDLE handle, ULONG& count)
{
    if (count != 0)
        HidD_SetNumInputBuffers(handle, count);
    HidD_GetNumInputBuffers(handle, &count);
}

bool TOcHidDevice::OpenMainHandle()
{
    if (CanAccess() && !IsOpen(mainHandle_)) {
        mainHandle_ = OpenPath(GENERIC_READ | GENERIC_WRITE, 0);
        openedReadWrite_ = IsOpen(mainHandle_);
        if (!openedReadWrite_)
            mainHandle_ = OpenPath(0, 0);
        if (IsOpen(mainHandle_))
            ApplyInputBuffers(mainHandle_, mainInputBuffers_);
    }
    return IsOpen(mainHandle_);
}

void TOcHidDevice::CloseMainHandle()
{
    CloseAndForget(mainHandle_);
    mainInputBuffers_ = 0;
}

bool TOcHidDevice::OpenOverlappedHandle(bool write)
{
    if (!CanAccess())
        return false;
    if (write) {
        if (!IsOpen(writeHandle_))
            writeHandle_ = OpenPath(GENERIC_WRITE, FILE_FLAG_OVERLAPPED);
        return IsOpen(writeHandle_);
    }
    if (!IsOpen(readHandle_)) {
        readHandle_ = OpenPath(GENERIC_READ, FILE_FLAG_OVERLAPPED);
        if (IsOpen(readHandle_))
            ApplyInputBuffers(readHandle_, readInputBuffers_);
    }
    return IsOpen(readHandle_);
}

void TOcHidDevice::CloseOverlappedHandle(bool write)
{
    if (write) {
        CloseAndForget(writeHandle_);
    } else {
        CloseAndForget(readHandle_);
        readInputBuffers_ = 0;
    }
}

void TOcHidDevice::MarkUnplugged()
{
    CloseMainHandle();
    CloseOverlappedHandle(true);
    // A running reader owns the read handle: closing it here could pull it from under a pending
    // read, and the reader might then use a handle value the system has given to somebody else.
    // The reader notices the removal within one wait step and closes the handle itself.
    if (reader_ == nullptr)
        CloseOverlappedHandle(false);
    plugged_.store(false);
    const TOcHidPlugEvent handler = OnUnplug;
    OnUnplug = nullptr;
    if (handler)
        handler(this);
}

void TOcHidDevice::SetReaderSleepTime(uint32_t milliseconds)
{
    if (milliseconds >= 10 && milliseconds <= 10000)
        readerSleepTime_.store(milliseconds);
}

void TOcHidDevice::ReleasePreparsedData()
{
    if (preparsedData_ != 0 && HidD_FreePreparsedData != nullptr)
        HidD_FreePreparsedData(preparsedData_);
    preparsedData_ = 0;
}

PHIDP_PREPARSED_DATA TOcHidDevice::LoadPreparsedData()
{
    if (preparsedData_ == 0 && OpenMainHandle()) {
        if (!HidD_GetPreparsedData(mainHandle_, &preparsedData_))
            preparsedData_ = 0;
        CloseMainHandle();
    }
    return preparsedData_;
}

void TOcHidDevice::QueryCaps(HIDP_CAPS& caps)
{
    std::memset(&caps, 0, sizeof(caps));
    if (PHIDP_PREPARSED_DATA data = LoadPreparsedData())
        HidP_GetCaps(data, &caps);
}

std::wstring TOcHidDevice::GetProductString()
{
    if (productString_.empty() && OpenMainHandle()) {
        WCHAR buffer[StringBufferChars] = {};
        if (HidD_GetProductString(mainHandle_, buffer, StringBufferBytes))
            productString_ = WideUpToZero(buffer, StringBufferChars);
        CloseMainHandle();
    }
    return productString_;
}

std::wstring TOcHidDevice::GetSerialNumberString()
{
    if (serialNumber_.empty() && OpenMainHandle()) {
        WCHAR serial[StringBufferChars] = {};
        if (HidD_GetSerialNumberString(mainHandle_, serial, StringBufferBytes)) {
            // String index 0 is the device's language-ID table. A device without a serial number
            // may answer the serial request with that table; such an answer is no serial number.
            WORD languages[StringBufferChars];
            std::memset(languages, 0xFF, sizeof(languages));
            HidD_GetIndexedString(mainHandle_, 0, languages, StringBufferBytes);
            size_t length = 0;
            for (size_t i = StringBufferChars; i-- > 0;) {
                if (languages[i] != 0xFFFF) {
                    length = languages[i] == 0 ? i : i + 1;
                    break;
                }
            }
            bool differs = false;
            for (size_t i = 0; i < length && !differs; ++i)
                differs = serial[i] != languages[i];
            if (differs)
                serialNumber_ = WideUpToZero(serial, StringBufferChars);
        }
        CloseMainHandle();
    }
    return serialNumber_;
}

bool TOcHidDevice::WriteReport(const void* buffer, DWORD count, DWORD& written)
{
    written = 0;
    return OpenMainHandle() && WriteFile(mainHandle_, buffer, count, &written, nullptr) != FALSE;
}

void TOcHidDevice::SetDataHandler(const TOcHidDataEvent& handler)
{
    if (!handler)
        StopReadThread();
    dataHandler_ = handler;
    StartReadThread();
}

void TOcHidDevice::StartReadThread()
{
    if (!dataHandler_ || !Plugged() || !Claimed() || !openedReadWrite_ || reader_ != nullptr)
        return;
    HIDP_CAPS caps;
    QueryCaps(caps);
    // A device without input reports has nothing to read: a reader would only spin on reads that
    // can never return anything.
    if (caps.InputReportByteLength == 0)
        return;
    // The read handle is opened before the reader runs: input reports are queued only for open
    // handles, so an answer to a report written right after this call would otherwise be lost
    // when it came before the new thread had opened its handle. From here on the reader owns it.
    OpenOverlappedHandle(false);
    reader_ = new TOcHidDeviceReadThread(this);
    reader_->FreeOnTerminate = false;
    reader_->Start();
}

void TOcHidDevice::StopReadThread()
{
    if (reader_ == nullptr)
        return;
    reader_->Terminate();
    reader_->WaitFor();
    delete reader_;
    reader_ = nullptr;
}

bool TOcHidDevice::ReadReportAsync(void* buffer, DWORD count,
                                   LPOVERLAPPED_COMPLETION_ROUTINE completion)
{
    if (!OpenOverlappedHandle(false)) {
        if (!CanAccess())
            SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return false;
    }
    std::memset(&readOverlap_, 0, sizeof(readOverlap_));
    readOverlap_.hEvent = this; // ReadFileEx leaves the event member to the caller
    return ReadFileEx(readHandle_, buffer, count, &readOverlap_, completion) != FALSE;
}

DWORD TOcHidDevice::GetOverlappedBytes()
{
    DWORD bytes = 0;
    if (IsOpen(readHandle_) && GetOverlappedResult(readHandle_, &readOverlap_, &bytes, FALSE))
        return bytes;
    return 0;
}

bool TOcHidDevice::CancelIoByName(HANDLE handle)
{
    using CancelIoFunction = BOOL(WINAPI*)(HANDLE);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    CancelIoFunction cancel = nullptr;
    AssignEntryPoint(cancel, GetProcAddress(kernel, "CancelIo"));
    return cancel != nullptr && cancel(handle) != FALSE;
}

bool TOcHidDevice::CancelPendingIo(bool write)
{
    if (!write && IsOpen(readHandle_))
        return CancelIoByName(readHandle_);
    if (write && IsOpen(writeHandle_))
        return CancelIoByName(writeHandle_);
    return false;
}

} // namespace hid
