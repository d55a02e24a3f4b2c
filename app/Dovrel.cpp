#include "Dovrel.h"

#include "CommandLine.h"
#include "Families.h"
#include "HexLoader.h"
#include "Texts.h"
#include "XPManifest.h"

#include "OcFormStorage.h"

#include "core/StringList.h"
#include "core/SysUtils.h"
#include "windows/Application.h"
#include "windows/Graphics.h"
#include "windows/ImageLists.h"
#include "windows/Screen.h"
#include "windows/Threads.h"

#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <iterator>
#include <vector>

using namespace classlib;

namespace app {

namespace {

// Posted to the window when a device change that arrived during an exchange can be handled.
constexpr UINT WM_DEFERRED_DEVICE_CHANGE = WM_APP + 1;

constexpr const char* VendorAddress = "www.tarnwell.example";
constexpr const char* VendorUrl = "http://www.tarnwell.example/";

std::string LinkHtml(bool underlined)
{
    const std::string text = std::string("<FONT color=\"#5498FF\">") + VendorAddress + "</FONT>";
    return underlined ? "<U><B>" + text + "</B></U>" : "<B>" + text + "</B>";
}

std::string Narrow(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(std::max(size, 0)), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(),
                            size, nullptr, nullptr);
    return result;
}

bool FileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsExistingHexFile(const std::string& path)
{
    return HasHexExtension(path) && FileExists(path);
}

bool ReadWholeFile(const std::string& path, std::string& content)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    content.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

const std::wstring& BootloaderProductNameWide()
{
    static const std::wstring name(text::BootloaderProductName.begin(),
                                   text::BootloaderProductName.end());
    return name;
}

} // namespace

CLASSLIB_PUBLISH(TDovrel)
{
    c.Method("FormCreate", &TDovrel::FormCreate);
    c.Method("FormShow", &TDovrel::FormShow);
    c.Method("FormCloseQuery", &TDovrel::FormCloseQuery);
    c.Method("FormClose", &TDovrel::FormClose);
    c.Method("FormDestroy", &TDovrel::FormDestroy);
    c.Method("ButtonConnectClick", &TDovrel::ButtonConnectClick);
    c.Method("ButtonOpenHexClick", &TDovrel::ButtonOpenHexClick);
    c.Method("ButtonStartBootloaderClick", &TDovrel::ButtonStartBootloaderClick);
    c.Method("Timer1Timer", &TDovrel::Timer1Timer);
    c.Method("AdvGlowButton1Click", &TDovrel::AdvGlowButton1Click);
    c.Method("StatusBar1DrawPanel", &TDovrel::StatusBar1DrawPanel);
    c.Method("HTMLabel3Click", &TDovrel::HTMLabel3Click);
    c.Method("HTMLabel3MouseEnter", &TDovrel::HTMLabel3MouseEnter);
    c.Method("HTMLabel3MouseLeave", &TDovrel::HTMLabel3MouseLeave);
    c.Method("HidCtlArrival", &TDovrel::HidCtlArrival);
    c.Method("HidCtlEnumerate", &TDovrel::HidCtlEnumerate);
    c.Method("HidCtlDeviceChange", &TDovrel::HidCtlDeviceChange);
    c.Method("HidCtlDeviceDataError", &TDovrel::HidCtlDeviceDataError);
    c.Method("HidCtlRemoval", &TDovrel::HidCtlRemoval);
    c.Method("ShowRead", &TDovrel::ShowRead);
    c.Method("DeviceName", &TDovrel::DeviceName);
}

CLASSLIB_MESSAGE_MAP(TDovrel)
{
    m.On(WM_DEFERRED_DEVICE_CHANGE, &TDovrel::WMDeferredDeviceChange);
    m.On(WM_DROPFILES, &TDovrel::WMDropFiles);
}

void RegisterWindowClasses()
{
    RegisterFormClasses();
    controls::RegisterControlClasses();
    panels::RegisterPanelClasses();
    RegisterClasses({&TDovrel::StaticClass(), &hid::TOcHidDeviceController::StaticClass(),
                     &TImageList::StaticClass(), &TOpenDialog::StaticClass(),
                     &TTimer::StaticClass(), &TMemo::StaticClass(), &TXPManifest::StaticClass()});
    storage::RegisterStorageClasses();
}

TDovrel::TDovrel(TComponent* owner) : TForm(owner)
{
    LoadLayout();
}

TDovrel::~TDovrel()
{
    DestroyComponents();
}

template <class T>
T* TDovrel::Component(const char* name)
{
    auto* component = dynamic_cast<T*>(FindComponent(name));
    if (component == nullptr)
        throw ELayoutError(std::string("The main window's layout has no ") + name + " of class " +
                           T::StaticClass().ClassName());
    return component;
}

void TDovrel::BindComponents()
{
    using controls::TAdvGlowButton;
    ButtonConnect = Component<TAdvGlowButton>("ButtonConnect");
    ButtonOpenHex = Component<TAdvGlowButton>("ButtonOpenHex");
    ButtonStartBootloader = Component<TAdvGlowButton>("ButtonStartBootloader");
    AdvGlowButton1 = Component<TAdvGlowButton>("AdvGlowButton1");
    AdvGlowButton2 = Component<TAdvGlowButton>("AdvGlowButton2");
    ProgressBar1 = Component<controls::TOcXPProgressBar>("ProgressBar1");
    CheckBoxClose = Component<controls::TAdvOfficeCheckBox>("CheckBoxClose");
    fwVerLabel = Component<controls::TOcLabel>("fwVerLabel");
    DeviceComboBox = Component<controls::THTMLComboBox>("DeviceComboBox");
    MCUComboBox = Component<controls::THTMLComboBox>("MCUComboBox");
    MemoHistoryWindow = Component<TMemo>("MemoHistoryWindow");
    MemoTerminalWindow = Component<TMemo>("MemoTerminalWindow");
    HTMLabel3 = Component<controls::THTMLabel>("HTMLabel3");
    AdvReflectionLabel1 = Component<controls::TAdvReflectionLabel>("AdvReflectionLabel1");
    for (int i = 0; i < 9; ++i)
        AdvGroupBoxes[i] =
            Component<controls::TAdvGroupBox>(("AdvGroupBox" + std::to_string(i + 1)).c_str());
    Panel1 = Component<controls::TAdvGroupBox>("Panel1");
    StatusBar1 = Component<panels::TAdvOfficeStatusBar>("StatusBar1");
    AdvTaskDialog1 = Component<panels::TAdvTaskDialog>("AdvTaskDialog1");
    OpenDialog1 = Component<TOpenDialog>("OpenDialog1");
    Timer1 = Component<TTimer>("Timer1");
    HidCtl = Component<hid::TOcHidDeviceController>("HidCtl");
}

// ---- life cycle ----

void TDovrel::FormCreate(TObject*)
{
    BindComponents();
    autoRunFlags_ = 0;
    deviceList_ = new TStringList;
    sharedBuffer_ = ReceiveBuffer(InitialSharedBufferSize);
    connected_ = false;
    ClearLoadedFile();
    rxReady_ = false;
    showReenterHint_ = true;

    DragAcceptFiles(Handle(), TRUE);

    // The designed width includes the activity box on the right; the window opens without it.
    SetTag(Width());
    SetCollapsedWidth();

    SetCaption(Caption() + " v" + GetFileVersionText(Application->ExeName()));
    SetVersionLabel("");
    fwVerLabel->SetVisible(true);

    ReadCommandLine();
}

void TDovrel::SetCollapsedWidth()
{
    controls::TAdvGroupBox* deviceBox = AdvGroupBoxes[2];
    SetWidth(deviceBox->Left() + deviceBox->Width() + 6);
}

void TDovrel::ReadCommandLine()
{
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i)
        arguments.emplace_back(__argv[i]);
    const CommandLineRequest request = ParseCommandLine(arguments, FileExists);
    if (request.mcuType == 0)
        return;
    loadedFile_.McuType = request.mcuType;
    if (request.autoRun) {
        loadedFile_.FileName = request.hexFile;
        autoRunFlags_ = 1;
    }
}

void TDovrel::FormShow(TObject*)
{
    AddHistory(text::AttachDevice);
    ApplyShowTimeSettings();
}

void TDovrel::ApplyShowTimeSettings()
{
    AdvReflectionLabel1->SetVisible(false);
    constexpr TColor tile = static_cast<TColor>(0xFAFAFA);
    constexpr TColor activity = static_cast<TColor>(0xDCDCDC);
    AdvGroupBoxes[0]->SetColor(tile);
    for (int i = 2; i < 9; ++i)
        AdvGroupBoxes[i]->SetColor(tile);
    AdvGroupBoxes[1]->SetColor(activity);
    for (controls::TAdvGroupBox* box : AdvGroupBoxes) {
        box->SetParentBackground(false);
        box->SetParentColor(false);
        box->SetTransparent(false);
        box->SetBorderStyle(controls::TGroupBoxBorderStyle::bsNone);
    }
}

void TDovrel::FormCloseQuery(TObject*, bool& CanClose)
{
    // Closing in the middle of an upload would send the restart command between a write
    // command and its data: the close is a stop request first, and the window closes once the
    // upload is over.
    if (uploadRunning_) {
        ButtonStartBootloader->SetTag(0);
        closeAfterUpload_ = true;
        CanClose = false;
    }
}

void TDovrel::FormClose(TObject*, TCloseAction&)
{
    if (connected_)
        SendRestart();
}

void TDovrel::FormDestroy(TObject*)
{
    // The claimed devices and their readers must go before the controller does.
    ReleaseHeldDevices();
    delete deviceList_;
    deviceList_ = nullptr;
}

void TDovrel::ReleaseHeldDevices()
{
    currentDevice_ = nullptr;
    bootloaderDevice_ = nullptr;
    if (deviceList_ == nullptr)
        return;
    for (int i = 0; i < deviceList_->Count(); ++i) {
        if (TObject* device = deviceList_->Objects(i))
            device->Free();
    }
    deviceList_->Clear();
}

std::string TDovrel::GetFileVersionText(const std::string& path)
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0)
        return {};
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data()))
        return {};
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) ||
        info == nullptr || length < sizeof(VS_FIXEDFILEINFO))
        return {};
    return std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
           std::to_string(LOWORD(info->dwFileVersionLS));
}

void TDovrel::SetVersionLabel(const std::string& text)
{
    fwVerLabel->SetCaption(text);
}

void TDovrel::AddHistory(std::string_view line)
{
    MemoHistoryWindow->Lines()->Add(std::string(line));
}

void TDovrel::StatusBar1DrawPanel(panels::TAdvOfficeStatusBar* StatusBar,
                                  panels::TAdvOfficeStatusPanel* Panel, const RECT& Rect)
{
    TCanvas* canvas = StatusBar->Canvas();
    canvas->Font()->SetColor(StatusBar->Font()->Color());
    canvas->Font()->SetName(StatusBar->Font()->Name());
    canvas->FillRect(Rect);
    canvas->TextRect(Rect, Rect.left + 2, Rect.top + 4, Panel->Text());
}

// ---- cosmetic handlers ----

void TDovrel::HTMLabel3Click(TObject*)
{
    ShellExecuteA(nullptr, "open", VendorUrl, nullptr, nullptr, SW_SHOWNORMAL);
}

void TDovrel::HTMLabel3MouseEnter(TObject*)
{
    HTMLabel3->HTMLText()->SetText(LinkHtml(true));
    Screen->SetCursor(crHandPoint);
}

void TDovrel::HTMLabel3MouseLeave(TObject*)
{
    HTMLabel3->HTMLText()->SetText(LinkHtml(false));
    Screen->SetCursor(crDefault);
}

void TDovrel::AdvGlowButton1Click(TObject*)
{
    controls::TAdvGroupBox* progressRow = AdvGroupBoxes[7];
    if (AdvGlowButton1->Tag() != 0) {
        AdvGlowButton1->SetCaption(std::string(text::CaptionShowActivity));
        AdvGlowButton1->SetTag(0);
        progressRow->SetColor(static_cast<TColor>(0xFAFAFA));
        SetCollapsedWidth();
    } else {
        progressRow->SetColor(static_cast<TColor>(0xDCDCDC));
        AdvGlowButton1->SetCaption(std::string(text::CaptionHideActivity));
        AdvGlowButton1->SetTag(1);
        SetWidth(static_cast<int>(Tag()));
    }
}

// ---- discovery and connection ----

std::string TDovrel::DeviceName(hid::TOcHidDevice* HidDev)
{
    const HIDD_ATTRIBUTES& attributes = HidDev->Attributes();
    return text::DeviceDisplayName(Narrow(HidDev->GetProductString()), attributes.VendorID,
                                   attributes.ProductID, Narrow(HidDev->GetSerialNumberString()));
}

// Arrivals and read errors are not shown: the device change that follows an arrival runs the
// discovery, and a device that fails to deliver is noticed by the protocol's waits.
void TDovrel::HidCtlArrival(hid::TOcHidDevice*) {}

void TDovrel::HidCtlDeviceDataError(hid::TOcHidDevice*, uint32_t) {}

bool TDovrel::HidCtlEnumerate(hid::TOcHidDevice* HidDev, int Idx)
{
    const std::string name = DeviceName(HidDev);
    hid::TOcHidDevice* claimed = nullptr;
    if (!HidCtl->AcquireDeviceAt(Idx, claimed))
        claimed = nullptr;
    deviceList_->AddObject(name, claimed);
    return true;
}

void TDovrel::HidCtlDeviceChange(TObject*)
{
    if (exchangeDepth_ > 0) {
        // Freeing the claimed devices now would pull the device from under the command that
        // waits; the list is rebuilt when the exchange ends.
        deviceChangePending_ = true;
        return;
    }
    deviceChangePending_ = false;
    ReleaseHeldDevices();
    HidCtl->EnumeratePlugged();
    if (FindBootloaderDevice(BootloaderProductNameWide()))
        RunAutomaticUpload();
}

void TDovrel::RunAutomaticUpload()
{
    if ((autoRunFlags_ & 1) == 0)
        return;
    // Once only, whatever happens: cleared before anything can run a second device change.
    autoRunFlags_ = static_cast<std::uint8_t>(autoRunFlags_ & ~1u);
    if (loadedFile_.FileName.empty())
        return;
    ButtonConnectClick(ButtonConnect);
    if (!connected_)
        return;
    // The family named on the command line stays in LoadedFile and must match the device.
    LoadHexFile(loadedFile_.FileName);
    ButtonStartBootloaderClick(ButtonStartBootloader);
}

void TDovrel::WMDeferredDeviceChange(TMessage&)
{
    if (deviceChangePending_ && exchangeDepth_ == 0 && deviceList_ != nullptr)
        HidCtlDeviceChange(HidCtl);
}

TDovrel::ExchangeScope::~ExchangeScope()
{
    if (--window_.exchangeDepth_ == 0 && window_.deviceChangePending_ && window_.HandleAllocated())
        PostMessageA(window_.Handle(), WM_DEFERRED_DEVICE_CHANGE, 0, 0);
}

bool TDovrel::FindBootloaderDevice(const std::wstring& product)
{
    hid::TOcHidDevice* match = nullptr;
    for (int i = 0; i < deviceList_->Count() && match == nullptr; ++i) {
        auto* device = static_cast<hid::TOcHidDevice*>(deviceList_->Objects(i));
        if (device != nullptr && device->GetProductString() == product)
            match = device;
    }
    if (match == nullptr)
        return false;
    currentDevice_ = match;
    bootloaderDevice_ = match;
    if (!match->OpenedReadWrite()) {
        match->SetDataHandler(nullptr);
        return false;
    }
    ExchangeScope exchange(*this);
    match->SetDataHandler(hid::TOcHidDataEvent(this, &TDovrel::ShowRead));
    SendQueryInfo();
    const WaitResult result = WaitAnswer(CmdQueryInfo, CommandTimeoutMs);
    // A record whose block sizes would break the upload's arithmetic does not describe a usable
    // bootloader; it is treated like a device that does not answer.
    if (result != WaitAnswered || !HasUsableGeometry(info_)) {
        AddHistory(text::NotInBootloaderMode);
        AddHistory(text::ResetDevice);
        showReenterHint_ = false;
        currentDevice_ = nullptr;
        return false;
    }
    ShowDeviceInfo();
    return true;
}

void TDovrel::ShowDeviceInfo()
{
    MCUComboBox->Items()->Clear();
    if (const Family* family = FindFamily(info_.mcuType)) {
        MCUComboBox->Items()->Add(CenteredComboItem(family->text));
        MCUComboBox->SetItemIndex(0);
    }
    DeviceComboBox->Items()->Clear();
    if (!info_.mcuName.empty()) {
        DeviceComboBox->Items()->Add(CenteredComboItem(info_.mcuName));
        DeviceComboBox->SetItemIndex(0);
    }
    sharedBuffer_.Resize(info_.eraseBlockSize);
    AdvGlowButton2->SetImageIndex(1);
}

bool TDovrel::WaitForDevice()
{
    for (int i = 0; i < 10; ++i) {
        if (currentDevice_ != nullptr)
            return true;
        Sleep(1);
    }
    return currentDevice_ != nullptr;
}

void TDovrel::ButtonConnectClick(TObject*)
{
    // One exchange at a time: a click while a command waits (the handshake, a probe or an
    // upload) would start a second exchange inside the first.
    if (exchangeDepth_ > 0 || connecting_)
        return;
    SetVersionLabel("");
    if (connected_) {
        connected_ = false;
        ButtonConnect->SetCaption(std::string(text::CaptionConnect));
        MemoTerminalWindow->Lines()->Clear();
        AddHistory(text::Disconnected);
        AddHistory(text::Reset);
        SendRestart();
        return;
    }
    if (currentDevice_ == nullptr)
        FindBootloaderDevice(BootloaderProductNameWide());
    if (!WaitForDevice()) {
        AddHistory(text::UnableToFindDevice(text::BootloaderProductName));
        return;
    }
    ExchangeScope exchange(*this);
    connecting_ = true;
    AddHistory(text::WaitingMcuResponse);
    ButtonConnect->SetCaption(std::string(text::CaptionWaitingDisconnect));
    ButtonStartBootloader->SetEnabled(false);
    SendClaim();
    WaitResult result = WaitAnswer(CmdClaim, CommandTimeoutMs);
    if (result == WaitAnswered) {
        SendHandshake();
        result = WaitAnswer(CmdHandshake, CommandTimeoutMs);
    }
    if (result != WaitAnswered) {
        ReportWaitError(result);
        ButtonConnect->SetCaption(std::string(text::CaptionConnect));
        AddHistory(text::Disconnected);
    } else {
        connected_ = true;
        MemoTerminalWindow->Lines()->Clear();
        AddHistory(text::Connected);
        ButtonConnect->SetCaption(std::string(text::CaptionDisconnect));
        SetVersionLabel(text::VersionLabel(info_.bootRevision));
    }
    ButtonStartBootloader->SetEnabled(true);
    connecting_ = false;
}

void TDovrel::HidCtlRemoval(hid::TOcHidDevice* HidDev)
{
    // Only the bootloader device this window uses: another device with the same product string
    // going away changes nothing here.
    if (HidDev == nullptr || HidDev != bootloaderDevice_)
        return;
    currentDevice_ = nullptr;
    bootloaderDevice_ = nullptr;
    if (connected_) {
        MemoTerminalWindow->Lines()->Clear();
        if (ButtonStartBootloader->Tag() == 0) {
            connected_ = false;
            ButtonConnect->SetCaption(std::string(text::CaptionConnect));
            AddHistory(text::DeviceRemoved);
            AddHistory(text::Disconnected);
        }
    } else if (showReenterHint_) {
        AddHistory(text::ReenterBootloader);
    } else {
        showReenterHint_ = true;
    }
    MCUComboBox->Clear();
    DeviceComboBox->Clear();
    AdvGlowButton2->SetImageIndex(0);
}

// ---- HEX file ----

bool TDovrel::LoadHexFile(const std::string& path)
{
    if (!FileExists(path) || info_.mcuType == 0)
        return true;
    if (loadedFile_.McuType != 0 && loadedFile_.McuType != info_.mcuType) {
        AddHistory(text::ErrorInvalidMcuType);
        return true;
    }
    std::string content;
    if (!ReadWholeFile(path, content)) {
        programImage_.clear();
        bootImage_.clear();
        AddHistory(std::string(text::FileNotFoundPrefix) + path);
        return true;
    }
    HexLoadResult result = LoadHex(content, path, info_);
    const auto box = [&] {
        MessageDlg(result.message, result.box == MessageBoxKind::Error ? mtError : mtWarning,
                   {mbOK});
    };
    // A file with nothing for this device is refused before anything changes: the file loaded
    // before stays loaded.
    if (result.problem == HexProblem::OutsideWindow) {
        box();
        return false;
    }
    programImage_.clear();
    bootImage_.clear();
    if (!result.Ok()) {
        box();
        return true;
    }
    programImage_ = std::move(result.program);
    bootImage_ = std::move(result.boot);
    loadedFile_ = TLoadedFile{path, true, info_.mcuType};
    AddHistory(std::string(text::OpenedPrefix) + path);
    ShowLoadedFileInStatusBar(path);
    return true;
}

void TDovrel::LoadChosenHexFile(const std::string& path)
{
    const TLoadedFile previous = loadedFile_;
    ClearLoadedFile();
    if (!LoadHexFile(path))
        loadedFile_ = previous;
}

void TDovrel::ShowLoadedFileInStatusBar(const std::string& path)
{
    TCanvas* canvas = StatusBar1->Canvas();
    canvas->Font()->Assign(StatusBar1->Font());
    const int width = StatusBar1->Width() - canvas->TextWidth("W");
    const std::string shortened = text::ShortenPath(path, [&](std::string_view candidate) {
        return canvas->TextWidth(std::string(text::StatusFilePrefix) + std::string(candidate)) <=
               width;
    });
    (*StatusBar1->Panels())[0]->SetText(std::string(text::StatusFilePrefix) + shortened);
}

void TDovrel::ButtonOpenHexClick(TObject*)
{
    if (!connected_) {
        AddHistory(text::ErrorConnectFirst);
        return;
    }
    if (uploadRunning_)
        return;
    if (!OpenDialog1->Execute())
        return;
    const std::string path = OpenDialog1->FileName();
    if (!IsExistingHexFile(path)) {
        AddHistory(std::string(text::FileNotFoundPrefix) + path);
        return;
    }
    LoadChosenHexFile(path);
}

void TDovrel::WMDropFiles(TMessage& m)
{
    const auto drop = reinterpret_cast<HDROP>(m.WParam);
    // The drop handle is released however this ends, also when a load fails.
    struct DropRelease {
        HDROP drop;
        ~DropRelease() { DragFinish(drop); }
    } release{drop};
    m.Result = 0;
    if (!connected_) {
        AddHistory(text::ErrorConnectFirst);
        return;
    }
    // Browse is disabled while an upload runs; a drop is refused the same way, so the images
    // do not change beneath the running upload.
    if (uploadRunning_)
        return;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char name[MAX_PATH + 1] = {};
        if (DragQueryFileA(drop, i, name, MAX_PATH) == 0)
            continue;
        const std::string path = name;
        if (!IsExistingHexFile(path))
            continue;
        LoadChosenHexFile(path);
        return;
    }
}

// ---- upload ----

// The upload's side of the window: commands go out through the protocol, the progress bar and
// the upload button follow the plan's phases.
class TDovrel::WindowUploadTarget : public UploadTarget {
public:
    explicit WindowUploadTarget(TDovrel& window) : w_(window) {}

    void BeginPhase(const PlanStep& phase) override
    {
        if (w_.Timer1->Enabled()) {
            w_.Timer1->SetEnabled(false);
            w_.ProgressBar1->SetPosition(w_.ProgressBar1->Max());
            w_.ProgressBar1->Update();
        }
        w_.AddHistory(phase.history);
        if (phase.setsProgress) {
            w_.ProgressBar1->SetMax(
                static_cast<int>(std::min<std::uint32_t>(phase.progressMax, INT_MAX)));
            w_.ProgressBar1->SetPosition(0);
        }
        if (phase.disablesStop)
            w_.ButtonStartBootloader->SetEnabled(false);
        if (phase.eraseAnimation) {
            w_.Timer1->SetInterval(EraseAnimationIntervalMs);
            w_.Timer1->SetEnabled(true);
        }
    }

    int Erase(std::uint32_t address, std::uint32_t count, unsigned timeoutMs) override
    {
        w_.SendErase(address, static_cast<std::uint16_t>(count));
        return w_.WaitAnswer(CmdErase, timeoutMs);
    }

    void BeginWrite(std::uint32_t address, std::uint32_t count) override
    {
        w_.SendWrite(address, static_cast<std::uint16_t>(count));
    }

    int WriteChunk(std::uint32_t, std::span<const std::uint8_t> bytes) override
    {
        std::span<std::uint8_t> buffer = w_.sharedBuffer_.Bytes();
        const std::size_t length = std::min(bytes.size(), buffer.size());
        std::copy_n(bytes.begin(), length, buffer.begin());
        // One step per byte, applied once per chunk: the bar ends where per-byte steps leave it
        // (it stops at its maximum), with one invalidation per chunk instead of one per byte.
        if (w_.ButtonStartBootloader->Tag() == 1)
            w_.ProgressBar1->StepBy(
                static_cast<int>(std::min<std::size_t>(length, 0x7FFFFFFF / 8)) *
                w_.ProgressBar1->Steps());
        w_.SendReport(length);
        const WaitResult result = w_.WaitAnswer(CmdWrite, CommandTimeoutMs);
        // The first answered chunk ends the phase in which the upload could not be stopped.
        if (result == WaitAnswered && !w_.ButtonStartBootloader->Enabled())
            w_.ButtonStartBootloader->SetEnabled(true);
        return result;
    }

    bool StopRequested() override { return w_.ButtonStartBootloader->Tag() == 0; }

private:
    static constexpr unsigned EraseAnimationIntervalMs = 1000;
    TDovrel& w_;
};

void TDovrel::ButtonStartBootloaderClick(TObject*)
{
    // Nothing raised inside the upload may leave the window stuck in "Stop uploading": the
    // failure is reported and the window returns to idle as after a failed upload.
    std::string failure;
    try {
        StartUpload();
        return;
    } catch (const Exception& e) {
        failure = e.Message();
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
    }
    try {
        AddHistory(text::UploadFailed(failure));
        if (uploadRunning_)
            UploadEnded();
    } catch (...) {
        // The window itself failed; nothing more can be shown.
    }
    if (closeAfterUpload_) {
        closeAfterUpload_ = false;
        Close();
    }
}

void TDovrel::StartUpload()
{
    const std::string_view refusal =
        UploadPreconditionError(connected_, loadedFile_.Loaded, info_.mcuType, loadedFile_.McuType);
    if (!refusal.empty()) {
        AddHistory(refusal);
        return;
    }
    if (ButtonStartBootloader->Tag() != 0) {
        // "Stop uploading": the running upload stops at its next check.
        ButtonStartBootloader->SetTag(0);
        return;
    }
    // One exchange at a time: an upload does not start inside a probe or a connect.
    if (uploadRunning_ || exchangeDepth_ > 0)
        return;

    const UploadPlan plan = PlanUpload({info_, programImage_, bootImage_});
    if (!plan.Ok()) {
        AddHistory(plan.error);
        return;
    }

    ButtonConnect->SetEnabled(false);
    ButtonOpenHex->SetEnabled(false);
    ButtonStartBootloader->SetTag(1);
    ButtonStartBootloader->SetCaption(std::string(text::CaptionStopUploading));
    AddHistory(text::Uploading);
    uploadRunning_ = true;

    UploadOutcome outcome;
    {
        ExchangeScope exchange(*this);
        if (!AskOverflowQuestions(plan)) {
            outcome.kind = UploadOutcome::Stopped;
        } else {
            WindowUploadTarget target(*this);
            outcome = ExecutePlan(plan, target);
        }
    }

    switch (outcome.kind) {
        case UploadOutcome::Done: {
            AddHistory(text::CompletedSuccessfully);
            UploadEnded();
            ShowResultDialog(text::SuccessTitle, text::SuccessInstruction, text::SuccessContent,
                             text::SuccessExpanded(loadedFile_.FileName));
            if (CheckBoxClose->Checked() || closeAfterUpload_) {
                closeAfterUpload_ = false;
                Close();
            }
            return;
        }
        case UploadOutcome::Stopped:
            UploadAborted();
            break;
        case UploadOutcome::Failed:
            ReportWaitError(outcome.waitResult);
            UploadEnded();
            break;
    }
    if (closeAfterUpload_) {
        closeAfterUpload_ = false;
        Close();
    }
}

bool TDovrel::AskOverflowQuestions(const UploadPlan& plan)
{
    // The plan is made for Yes: it already leaves out what would be ignored.
    for (const OverflowQuestion question : plan.questions) {
        if (MessageDlg(std::string(QuestionText(question)), mtWarning, {mbYes, mbNo}) != mrYes)
            return false;
    }
    return true;
}

void TDovrel::ShowResultDialog(std::string_view title, std::string_view instruction,
                               std::string_view content, const std::string& expanded)
{
    AdvTaskDialog1->Title = std::string(title);
    AdvTaskDialog1->SetInstruction(std::string(instruction));
    AdvTaskDialog1->SetContent(std::string(content));
    AdvTaskDialog1->SetExpandedText(expanded);
    AdvTaskDialog1->Execute();
}

void TDovrel::UploadEnded()
{
    uploadRunning_ = false;
    connected_ = false;
    ButtonConnect->SetEnabled(true);
    ButtonConnect->SetCaption(std::string(text::CaptionConnect));
    ButtonOpenHex->SetEnabled(true);
    AddHistory(text::Disconnected);
    Timer1->SetEnabled(false);
    ProgressBar1->SetPosition(0);
    ButtonStartBootloader->SetTag(0);
    ButtonStartBootloader->SetCaption(std::string(text::CaptionBeginUploading));
    if (currentDevice_ != nullptr) {
        AddHistory(text::Reset);
        SendRestart();
    }
}

void TDovrel::UploadAborted()
{
    uploadRunning_ = false;
    ButtonConnect->SetEnabled(true);
    ButtonOpenHex->SetEnabled(true);
    Timer1->SetEnabled(false);
    ProgressBar1->SetPosition(0);
    ButtonStartBootloader->SetTag(0);
    ButtonStartBootloader->SetCaption(std::string(text::CaptionBeginUploading));
    ShowResultDialog(text::AbortTitle, text::AbortInstruction, text::AbortContent,
                     text::AbortExpanded(loadedFile_.FileName));
    AddHistory(text::UploadAborted);
}

void TDovrel::Timer1Timer(TObject*)
{
    const int maximum = ProgressBar1->Max();
    ProgressBar1->SetPosition(static_cast<int>(NextEraseAnimationPosition(
        static_cast<std::uint32_t>(std::max(ProgressBar1->Position(), 0)),
        static_cast<std::uint32_t>(std::max(maximum, 0)))));
}

// ---- protocol ----

void TDovrel::SendClaim()
{
    SendReport(BuildFrame(sharedBuffer_.Bytes(), CmdClaim));
}

void TDovrel::SendHandshake()
{
    SendReport(BuildFrame(sharedBuffer_.Bytes(), CmdHandshake));
}

void TDovrel::SendQueryInfo()
{
    SendReport(BuildFrame(sharedBuffer_.Bytes(), CmdQueryInfo));
}

void TDovrel::SendRestart()
{
    // The device leaves the bootloader and goes away: that removal needs no explanation.
    showReenterHint_ = false;
    SendReport(BuildFrame(sharedBuffer_.Bytes(), CmdRestart));
}

void TDovrel::SendWrite(std::uint32_t address, std::uint16_t count)
{
    SendReport(BuildAddressedFrame(sharedBuffer_.Bytes(), CmdWrite, address, count));
}

void TDovrel::SendErase(std::uint32_t address, std::uint16_t count)
{
    SendReport(BuildAddressedFrame(sharedBuffer_.Bytes(), CmdErase, address, count));
}

int TDovrel::SendReport(std::size_t length)
{
    // The message is copied first: every send discards what was received into the buffer.
    const std::vector<std::uint8_t> message(
        sharedBuffer_.Bytes().begin(),
        sharedBuffer_.Bytes().begin() +
            static_cast<std::ptrdiff_t>(std::min(length, sharedBuffer_.Size())));
    sharedBuffer_.Reset();
    rxReady_ = false;
    if (currentDevice_ == nullptr)
        return 1;
    for (const OutputReport& report : SplitIntoReports(message)) {
        HIDP_CAPS caps{};
        DWORD written = 0;
        bool ok = false;
        try {
            currentDevice_->QueryCaps(caps);
            // The report holds report ID and 64 bytes; a longer output report is not written
            // beyond it.
            const DWORD count = std::min<DWORD>(caps.OutputReportByteLength, OutputReportSize);
            ok = currentDevice_->WriteReport(report.data(), count, written);
        } catch (const Exception&) {
            ok = false;
        }
        // The rest of the message means nothing to the device without this part: stop here,
        // and the wait that follows runs into its timeout.
        if (!ok)
            return -1;
    }
    return 0;
}

void TDovrel::ShowRead(hid::TOcHidDevice*, uint8_t, const void* Data, uint16_t Size)
{
    sharedBuffer_.Append({static_cast<const std::uint8_t*>(Data), Size});
    rxReady_ = true;
}

bool TDovrel::CheckAnswer(std::uint8_t command)
{
    const AnswerCheck check = AnswerCheckFor(command);
    if (check == AnswerCheck::None || !rxReady_)
        return false;
    rxReady_ = false;
    if (check == AnswerCheck::DeviceInfo) {
        info_ = ParseDeviceInfo(sharedBuffer_.Received(), info_);
        return true;
    }
    return IsEcho(sharedBuffer_.Received(), static_cast<Command>(command & 0x7F));
}

WaitResult TDovrel::WaitAnswer(std::uint8_t command, unsigned timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (currentDevice_ == nullptr)
            return WaitNoDevice;
        // An answer already received counts even when this thread comes back to it only after
        // the deadline (a busy machine may wake it late); at the deadline, input reports that
        // arrived in time but wait as synchronized calls are served before giving up.
        if (CheckAnswer(command))
            return WaitAnswered;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            CheckSynchronize();
            return CheckAnswer(command) ? WaitAnswered : WaitTimedOut;
        }
        // Sleeps until a message, a synchronized call (input reports arrive as one) or the
        // deadline. A synchronized call alone is served alone, so the answer is checked (and
        // the next report sent) without first going through the window's messages; those are
        // served on the next pass, while the device works.
        HANDLE sync = SyncEvent();
        if (MsgWaitForMultipleObjectsEx(1, &sync, static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                        MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0)
            CheckSynchronize();
        else
            Application->ProcessMessages();
    }
}

void TDovrel::ReportWaitError(int result)
{
    const std::string_view line = WaitErrorText(result);
    if (!line.empty())
        AddHistory(line);
}

} // namespace app
