#pragma once
// The main window: finds the bootloader among the HID devices, shows what it reports, connects
// with the two-step handshake and disconnects with the restart command, and logs every event as
// a line of the history window. The window's controls come from its form layout.
#include "DeviceInfo.h"
#include "Protocol.h"
#include "UploadPlan.h"

#include "controls/AdvGlowButton.h"
#include "controls/AdvGroupBox.h"
#include "controls/HTMLComboBox.h"
#include "controls/AdvReflectionLabel.h"
#include "controls/HTMLabel.h"
#include "controls/OcLabel.h"
#include "controls/OcXPProgressBar.h"
#include "controls/AdvOfficeButtons.h"
#include "controls/ControlClasses.h"
#include "hid/OcHidControllerClass.h"
#include "panels/AdvOfficeStatusBar.h"
#include "panels/AdvPanel.h"
#include "panels/AdvTaskDialog.h"
#include "windows/Dialogs.h"
#include "windows/Forms.h"
#include "windows/StdCtrls.h"
#include "windows/Timers.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace app {

struct TLoadedFile {
    std::string FileName;
    bool Loaded = false;
    FamilyCode McuType = 0; // the family the image was built for, or named on the command line
};

// Results of WaitAnswer.
enum WaitResult { WaitAnswered = 0, WaitNoDevice = 1, WaitTimedOut = 2 };

class TDovrel : public classlib::TForm {
    CLASSLIB_CLASS(TDovrel, classlib::TForm)
    CLASSLIB_MESSAGES()
    // Creates the window from its form layout.
    explicit TDovrel(classlib::TComponent* owner);
    ~TDovrel() override;

    // ---- components of the layout ----
    controls::TAdvGlowButton* ButtonConnect = nullptr;
    controls::TAdvGlowButton* ButtonOpenHex = nullptr;
    controls::TAdvGlowButton* ButtonStartBootloader = nullptr;
    controls::TAdvGlowButton* AdvGlowButton1 = nullptr;
    controls::TAdvGlowButton* AdvGlowButton2 = nullptr;
    controls::TOcXPProgressBar* ProgressBar1 = nullptr;
    controls::TAdvOfficeCheckBox* CheckBoxClose = nullptr;
    controls::TOcLabel* fwVerLabel = nullptr;
    controls::THTMLComboBox* DeviceComboBox = nullptr;
    controls::THTMLComboBox* MCUComboBox = nullptr;
    classlib::TMemo* MemoHistoryWindow = nullptr;
    classlib::TMemo* MemoTerminalWindow = nullptr;
    controls::THTMLabel* HTMLabel3 = nullptr;
    controls::TAdvReflectionLabel* AdvReflectionLabel1 = nullptr;
    controls::TAdvGroupBox* AdvGroupBoxes[9] = {}; // AdvGroupBox1 .. AdvGroupBox9
    controls::TAdvGroupBox* Panel1 = nullptr;
    panels::TAdvOfficeStatusBar* StatusBar1 = nullptr;
    panels::TAdvTaskDialog* AdvTaskDialog1 = nullptr;
    classlib::TOpenDialog* OpenDialog1 = nullptr;
    classlib::TTimer* Timer1 = nullptr;
    hid::TOcHidDeviceController* HidCtl = nullptr;

    // ---- form and control events (bound by name from the layout) ----
    void FormCreate(classlib::TObject* Sender);
    void FormShow(classlib::TObject* Sender);
    void FormCloseQuery(classlib::TObject* Sender, bool& CanClose);
    void FormClose(classlib::TObject* Sender, classlib::TCloseAction& Action);
    void FormDestroy(classlib::TObject* Sender);
    void ButtonConnectClick(classlib::TObject* Sender);
    void ButtonOpenHexClick(classlib::TObject* Sender);
    void ButtonStartBootloaderClick(classlib::TObject* Sender);
    void Timer1Timer(classlib::TObject* Sender);
    void AdvGlowButton1Click(classlib::TObject* Sender);
    void StatusBar1DrawPanel(panels::TAdvOfficeStatusBar* StatusBar,
                             panels::TAdvOfficeStatusPanel* Panel, const RECT& Rect);
    void HTMLabel3Click(classlib::TObject* Sender);
    void HTMLabel3MouseEnter(classlib::TObject* Sender);
    void HTMLabel3MouseLeave(classlib::TObject* Sender);

    // ---- device discovery and connection ----
    void HidCtlArrival(hid::TOcHidDevice* HidDev);
    bool HidCtlEnumerate(hid::TOcHidDevice* HidDev, int Idx);
    void HidCtlDeviceChange(classlib::TObject* Sender);
    void HidCtlDeviceDataError(hid::TOcHidDevice* HidDev, uint32_t Error);
    void HidCtlRemoval(hid::TOcHidDevice* HidDev);
    // True when a bootloader device was found and answered the information request.
    bool FindBootloaderDevice(const std::wstring& product);
    bool WaitForDevice();
    std::string DeviceName(hid::TOcHidDevice* HidDev);

    // ---- HEX file ----
    // Loads the HEX file for the connected device's family: message boxes for problems, the
    // "Opened: " line and the status panel when it loaded. False when the file was refused
    // before anything changed (none of its data lies inside the device's address window).
    bool LoadHexFile(const std::string& path);
    void WMDropFiles(classlib::TMessage& m);
    const std::vector<std::uint8_t>& ProgramImage() const { return programImage_; }
    const std::vector<std::uint8_t>& BootImage() const { return bootImage_; }

    // ---- upload ----
    // Ends the connection after a finished or failed upload (restart command when the device
    // is still there).
    void UploadEnded();
    // Reports a stop request; the connection stays.
    void UploadAborted();
    // True from "Begin uploading" until the upload has ended, failed or stopped.
    bool UploadRunning() const { return uploadRunning_; }

    // ---- protocol ----
    void SendClaim();
    void SendHandshake();
    void SendQueryInfo();
    void SendRestart();
    void SendWrite(std::uint32_t address, std::uint16_t count);
    void SendErase(std::uint32_t address, std::uint16_t count);
    // Sends the first `length` bytes of the shared buffer as output reports: 0 the last report
    // was written, -1 a write failed (nothing further is sent), 1 no device.
    int SendReport(std::size_t length);
    // The data handler of the bootloader device.
    void ShowRead(hid::TOcHidDevice* HidDev, uint8_t ReportID, const void* Data, uint16_t Size);
    bool CheckAnswer(std::uint8_t command);
    // Waits for the answer to `command`, handling messages meanwhile, until it arrives, the
    // device goes away or `timeoutMs` has passed (its own deadline, whatever other waits do).
    WaitResult WaitAnswer(std::uint8_t command, unsigned timeoutMs);
    void ReportWaitError(int result);

    // ---- state ----
    void AddHistory(std::string_view line);
    void SetVersionLabel(const std::string& text);
    static std::string GetFileVersionText(const std::string& path);
    ReceiveBuffer& SharedBuffer() { return sharedBuffer_; }
    const DeviceInfo& Info() const { return info_; }
    // Display name of each HID device; the entry's object is the device claimed for the window.
    classlib::TStringList* DeviceList() const { return deviceList_; }
    hid::TOcHidDevice* CurrentDevice() const { return currentDevice_; }
    bool Connected() const { return connected_; }
    bool ShowReenterHint() const { return showReenterHint_; }
    const TLoadedFile& LoadedFile() const { return loadedFile_; }
    std::uint8_t AutoRunFlags() const { return autoRunFlags_; }
    // True while a command waits for its answer; device changes wait until it ends.
    bool ExchangeRunning() const { return exchangeDepth_ > 0; }

private:
    // Marks a protocol exchange; device changes that arrive meanwhile are handled after the
    // outermost one ends.
    class ExchangeScope {
    public:
        explicit ExchangeScope(TDovrel& window) : window_(window) { ++window_.exchangeDepth_; }
        ~ExchangeScope();
        ExchangeScope(const ExchangeScope&) = delete;
        ExchangeScope& operator=(const ExchangeScope&) = delete;

    private:
        TDovrel& window_;
    };

    template <class T>
    T* Component(const char* name);
    void BindComponents();
    void ClearLoadedFile() { loadedFile_ = TLoadedFile{}; }
    // Browse and drop: clears the loaded file and loads `path`; a file refused before anything
    // changed leaves the file loaded before as it was.
    void LoadChosenHexFile(const std::string& path);
    void ShowDeviceInfo();
    void ApplyShowTimeSettings();
    void SetCollapsedWidth();
    void ReadCommandLine();
    void ReleaseHeldDevices();
    void RunAutomaticUpload();
    void StartUpload();
    bool AskOverflowQuestions(const UploadPlan& plan);
    void ShowResultDialog(std::string_view title, std::string_view instruction,
                          std::string_view content, const std::string& expanded);
    void ShowLoadedFileInStatusBar(const std::string& path);
    class WindowUploadTarget;
    void WMDeferredDeviceChange(classlib::TMessage& m);

    classlib::TStringList* deviceList_ = nullptr; // display names; objects: the claimed devices
    hid::TOcHidDevice* currentDevice_ = nullptr;
    // The device the last search chose, also when its probe failed: its removal is the
    // bootloader's removal.
    hid::TOcHidDevice* bootloaderDevice_ = nullptr;
    ReceiveBuffer sharedBuffer_;
    bool rxReady_ = false;
    bool connected_ = false;
    bool connecting_ = false;
    bool showReenterHint_ = true;
    DeviceInfo info_;
    TLoadedFile loadedFile_;
    std::vector<std::uint8_t> programImage_;
    std::vector<std::uint8_t> bootImage_;
    bool uploadRunning_ = false;
    // The window was asked to close during an upload: it closes once the upload is over.
    bool closeAfterUpload_ = false;
    std::uint8_t autoRunFlags_ = 0;
    int exchangeDepth_ = 0;
    bool deviceChangePending_ = false;
};

// Registers the classes the main window's layout names.
void RegisterWindowClasses();

} // namespace app
