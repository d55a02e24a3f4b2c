// The HID controller, its devices and their readers against the simulated devices (fake HID.dll
// and SetupApi.dll, device paths served as named pipes by the simulator).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "GuiTest.h"
#include "HidEvents.h"
#include "SimApi.h"
#include "hid/Hid.h"
#include "hid/OcHidControllerClass.h"
#include "hid/SetupApi.h"

namespace {

using hid::TOcHidDevice;
using hid::TOcHidDeviceController;
using hidtest::HidEvents;
using testsupport::PumpUntil;

constexpr DWORD WaitLimitMs = 10000;
constexpr LPARAM FirstNotification = -1;

const char OneDevice[] = "[device a]\nserial = SIM-0001\n";
const char TwoDevices[] = "[device a]\nserial = SIM-0001\n[device b]\nvid = 0x1234\npid = 0x5678\n";

// A controller whose component state a test may set (the form reader sets "loading").
class TestController : public TOcHidDeviceController {
public:
    using TOcHidDeviceController::TOcHidDeviceController;
    void SetLoading(bool loading)
    {
        classlib::TComponentState state = ComponentState();
        if (loading)
            state.Include(classlib::csLoading);
        else
            state.Exclude(classlib::csLoading);
        SetComponentState(state);
    }
};

// One output report of the bootloader protocol: report ID 0, then the frame, padded to 65 bytes.
std::vector<uint8_t> Report(std::initializer_list<uint8_t> frame)
{
    std::vector<uint8_t> report(65, 0);
    std::copy(frame.begin(), frame.end(), report.begin() + 1);
    return report;
}

class HidController : public testing::Test {
protected:
    void Configure(const char* text)
    {
        char error[256] = {};
        ASSERT_GE(SimConfigure(text, error, sizeof error), 0) << error;
    }

    // A controller bound to `events`, after its first (posted) rebuild.
    std::unique_ptr<TestController> Start(HidEvents& events)
    {
        auto controller = std::make_unique<TestController>(nullptr);
        events.Watch(*controller);
        controller->SetLoading(true); // as from a form: the handler does not rebuild at once
        controller->SetOnDeviceChange(events.OnChange());
        controller->SetLoading(false);
        EXPECT_TRUE(PumpUntil([&] { return !events.log.empty(); }, WaitLimitMs));
        events.log.clear();
        return controller;
    }

    std::unique_ptr<TestController> Start(const char* config, HidEvents& events)
    {
        Configure(config);
        return Start(events);
    }

    // Delivers a device-tree change notification and waits until the controller has handled it.
    static void Notify(TOcHidDeviceController& controller, LPARAM value = 0)
    {
        SendMessageA(controller.WindowHandle(), WM_DEVICECHANGE, 7, value);
    }

    static TOcHidDevice* Claim(TOcHidDeviceController& controller, int index)
    {
        TOcHidDevice* device = nullptr;
        EXPECT_TRUE(controller.AcquireDeviceAt(index, device));
        return device;
    }

    void TearDown() override { SimConfigure("", nullptr, 0); }
};

TEST_F(HidController, FirstNotificationAnnouncesThePresentDevicesAndAQuietRebuildFiresNothing)
{
    Configure(TwoDevices);
    HidEvents events;
    auto controller = std::make_unique<TOcHidDeviceController>(nullptr);
    events.Watch(*controller);
    controller->SetOnDeviceChange(events.OnChange()); // at run time: rebuilds at once
    EXPECT_EQ(events.log, (std::vector<std::string>{"arrival", "arrival", "change"}));
    events.log.clear();

    // The notification posted at creation still ends in OnDeviceChange, even with nothing new.
    ASSERT_TRUE(PumpUntil([&] { return !events.log.empty(); }, WaitLimitMs));
    EXPECT_EQ(events.log, (std::vector<std::string>{"change"}));
    events.log.clear();

    Notify(*controller);
    EXPECT_TRUE(events.log.empty());
    ASSERT_EQ(controller->DeviceCount(), 2);
    EXPECT_EQ(controller->Devices(1)->Attributes().VendorID, 0x1234);
    EXPECT_EQ(controller->EnumeratePlugged(), 2);
    EXPECT_EQ(events.enumerated, (std::vector<int>{0, 1}));
}

TEST_F(HidController, AssigningTheSameChangeHandlerAgainDoesNotRebuild)
{
    HidEvents events;
    auto controller = Start(OneDevice, events);
    SimUnplug(0, FALSE);
    controller->SetOnDeviceChange(events.OnChange());
    EXPECT_TRUE(events.log.empty());
    EXPECT_EQ(controller->DeviceCount(), 1);
    controller->SetOnDeviceChange(nullptr);
    EXPECT_EQ(events.log, (std::vector<std::string>{"removal"}));
    EXPECT_EQ(controller->DeviceCount(), 0);
}

TEST_F(HidController, EnumerationStopsWhenTheHandlerSaysSoAndCountsWithoutHandler)
{
    HidEvents events;
    auto controller = Start(TwoDevices, events);
    events.goOn = false;
    EXPECT_EQ(controller->EnumeratePlugged(), 1);
    EXPECT_EQ(events.enumerated, (std::vector<int>{0}));
    controller->SetOnEnumerate(nullptr);
    EXPECT_EQ(controller->EnumeratePlugged(), 1);
}

TEST_F(HidController, UnplugOfAClaimedDeviceFiresUnplugRemovalChangeAndKeepsItUntilFreed)
{
    HidEvents events;
    auto controller = Start(TwoDevices, events);
    controller->SetOnDeviceUnplug(events.OnUnplug());
    TOcHidDevice* device = Claim(*controller, 0);

    SimUnplug(0, TRUE); // announced: WM_DEVICECHANGE reaches the controller's window
    ASSERT_TRUE(PumpUntil([&] { return events.log.size() >= 3; }, WaitLimitMs));
    EXPECT_EQ(events.log, (std::vector<std::string>{"unplug", "removal", "change"}));
    ASSERT_EQ(controller->DeviceCount(), 2);
    EXPECT_EQ(controller->Devices(0), device);
    EXPECT_FALSE(device->Plugged());

    events.enumerated.clear();
    EXPECT_EQ(controller->EnumeratePlugged(), 1);
    EXPECT_EQ(events.enumerated, (std::vector<int>{1})); // list positions count the unplugged one

    // Every further pass reports it again, until its owner frees it.
    events.log.clear();
    Notify(*controller);
    EXPECT_EQ(events.log, (std::vector<std::string>{"removal", "change"}));
    delete device;
    EXPECT_EQ(controller->DeviceCount(), 1);
    events.log.clear();
    Notify(*controller);
    EXPECT_TRUE(events.log.empty());
}

TEST_F(HidController, UnplugOfAnUnclaimedDeviceRemovesItAfterOnRemoval)
{
    HidEvents events;
    auto controller = Start(OneDevice, events);
    SimUnplug(0, FALSE);
    Notify(*controller);
    EXPECT_EQ(events.log, (std::vector<std::string>{"removal", "change"}));
    EXPECT_EQ(controller->DeviceCount(), 0);
    EXPECT_EQ(controller->EnumeratePlugged(), 0);

    // Plugged in again, it arrives as a new device.
    events.log.clear();
    SimPlug(0, FALSE);
    Notify(*controller);
    EXPECT_EQ(events.log, (std::vector<std::string>{"arrival", "change"}));
}

TEST_F(HidController, AcquireDeviceAtRefusesBadIndicesAndClaimedDevices)
{
    HidEvents events;
    auto controller = Start(OneDevice, events);
    TOcHidDevice* first = Claim(*controller, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->Claimed());
    for (int index : {-1, controller->DeviceCount(), 0}) {
        TOcHidDevice* device = first;
        EXPECT_FALSE(controller->AcquireDeviceAt(index, device)) << index;
        EXPECT_EQ(device, nullptr) << index;
    }
    delete first;
}

TEST_F(HidController, FreeingAClaimedPluggedDeviceHandsAFreshCopyBack)
{
    HidEvents events;
    auto controller = Start(TwoDevices, events);
    TOcHidDevice* device = Claim(*controller, 1);
    const DWORD instance = device->PnPInfo()->DevInst();
    device->SetReaderSleepTime(50);
    delete device;
    ASSERT_EQ(controller->DeviceCount(), 2);
    TOcHidDevice* fresh = controller->Devices(1);
    EXPECT_FALSE(fresh->Claimed());
    EXPECT_TRUE(fresh->Plugged());
    EXPECT_EQ(fresh->PnPInfo()->DevInst(), instance);
    EXPECT_EQ(fresh->ReaderSleepTime(), 50u);
    EXPECT_EQ(Claim(*controller, 1), fresh);
    delete fresh;
}

TEST_F(HidController, AReplacementThatCannotBeOpenedDropsTheEntry)
{
    HidEvents events;
    auto controller = Start(TwoDevices, events);
    TOcHidDevice* device = Claim(*controller, 0);
    // The devices are replaced without notification: the listed paths lead nowhere now, so the
    // replacement's construction fails inside the destructor.
    Configure(OneDevice);
    delete device;
    ASSERT_EQ(controller->DeviceCount(), 1);
    EXPECT_EQ(controller->Devices(0)->Attributes().VendorID, 0x1234);
}

TEST_F(HidController, InterfacesThatCannotBeOpenedOrIdentifiedAreLeftOut)
{
    HidEvents events;
    auto controller = Start(
        "[device closed]\nopenable = no\n[device anonymous]\nidentifiable = no\n[device good]\npid "
        "= 0x0042\n",
        events);
    ASSERT_EQ(controller->DeviceCount(), 1);
    EXPECT_EQ(controller->Devices(0)->Attributes().ProductID, 0x0042);
}

TEST_F(HidController, StringsAttributesAndReportLengthsOfADevice)
{
    struct Case {
        const char* config;
        const wchar_t* serial;
    };
    const Case cases[] = {
        {"[device a]\nserial = SIM-0001\nvid = 0x04D8\npid = 0x003C\nversion = 0x0102\n",
         L"SIM-0001"},
        {"[device a]\n", L""}, // no serial-number string
        {"[device a]\nserial = SIM-0001\nlanguages = 0409 0407\n", L"SIM-0001"},
        // A serial string that repeats the language table within the table's length is none.
        {"[device a]\nserial = \\u0409\n", L""},
        {"[device a]\nserial = \\u0409\\u0407\nlanguages = 0409 0407\n", L""},
        {"[device a]\nserial = \\u0409X\n", L""},
        {"[device a]\nserial = \\u0407\\u0409\nlanguages = 0409 0407\n", L"\u0407\u0409"},
        // An empty language table leaves nothing to tell a serial number by.
        {"[device a]\nserial = SIM-0001\nlanguages = none\n", L""},
    };
    for (const Case& c : cases) {
        HidEvents events;
        auto controller = Start(c.config, events);
        ASSERT_EQ(controller->DeviceCount(), 1);
        TOcHidDevice* device = controller->Devices(0);
        // Unclaimed and outside an event the device is not accessible.
        EXPECT_EQ(device->GetProductString(), L"");
        EXPECT_FALSE(device->OpenMainHandle());

        device = Claim(*controller, 0);
        EXPECT_EQ(device->GetProductString(), L"USB HID Bootloader");
        EXPECT_EQ(device->GetSerialNumberString(), c.serial) << c.config;
        EXPECT_EQ(device->Attributes().VendorID, 0x04D8);
        EXPECT_EQ(device->Attributes().ProductID, 0x003C);
        HIDP_CAPS caps;
        device->QueryCaps(caps);
        EXPECT_EQ(caps.InputReportByteLength, 65);
        EXPECT_EQ(caps.OutputReportByteLength, 65);
        EXPECT_TRUE(device->OpenedReadWrite());
        EXPECT_FALSE(device->PnPInfo()->DevicePath().empty());
        delete device;
    }
}

TEST_F(HidController, ADeviceThatOpensOnlyForQueriesIsListedButNeverReadOrWritten)
{
    HidEvents events;
    auto controller = Start("[device a]\nread_write = no\n", events);
    ASSERT_EQ(controller->DeviceCount(), 1);
    TOcHidDevice* device = Claim(*controller, 0);
    EXPECT_FALSE(device->OpenedReadWrite());
    device->SetDataHandler(events.OnData());
    EXPECT_FALSE(device->HasReader());
    EXPECT_EQ(device->GetProductString(), L"USB HID Bootloader");
    const std::vector<uint8_t> report = Report({0x0F, 3});
    DWORD written = 0;
    EXPECT_FALSE(device->WriteReport(report.data(), 65, written));
    EXPECT_EQ(SimReportsReceived(0), 0);
    delete device;
}

TEST_F(HidController, ADeviceWithoutInputReportsGetsNoReader)
{
    HidEvents events;
    auto controller = Start("[device a]\ninput_report_length = 0\n", events);
    TOcHidDevice* device = Claim(*controller, 0);
    device->SetDataHandler(events.OnData());
    EXPECT_FALSE(device->HasReader());
    const std::vector<uint8_t> report = Report({0x0F, 3});
    DWORD written = 0;
    EXPECT_TRUE(device->WriteReport(report.data(), 65, written));
    delete device;
}

TEST_F(HidController, AnEnumerateHandlerReadsStringsOfUnclaimedDevicesWhichCloseAfterwards)
{
    HidEvents events;
    auto controller = Start(OneDevice, events);
    std::wstring product;
    struct Reader {
        std::wstring* product;
        bool Enumerate(TOcHidDevice* device, int)
        {
            *product = device->GetProductString();
            return device->OpenMainHandle(); // left open on purpose: the controller closes it
        }
    } reader{&product};
    controller->SetOnEnumerate({&reader, &Reader::Enumerate});
    EXPECT_EQ(controller->EnumeratePlugged(), 1);
    EXPECT_EQ(product, L"USB HID Bootloader");
    // Cached: readable after the event although the device is closed and inaccessible again.
    EXPECT_EQ(controller->Devices(0)->GetProductString(), L"USB HID Bootloader");
    EXPECT_FALSE(controller->Devices(0)->OpenMainHandle());
}

TEST_F(HidController, OutputReportsAreWrittenAndInputReportsArriveOnTheMainThread)
{
    HidEvents events;
    auto controller = Start(OneDevice, events);
    TOcHidDevice* device = Claim(*controller, 0);
    device->SetDataHandler(events.OnData());
    ASSERT_TRUE(device->HasReader());

    // Reading a string closes the main handle; the next write opens it again.
    EXPECT_EQ(device->GetProductString(), L"USB HID Bootloader");
    const std::vector<uint8_t> report = Report({0x0F, 3});
    DWORD written = 0;
    ASSERT_TRUE(device->WriteReport(report.data(), static_cast<DWORD>(report.size()), written));
    EXPECT_EQ(written, 65u);
    ASSERT_TRUE(PumpUntil([&] { return !events.reports.empty(); }, WaitLimitMs));
    EXPECT_EQ(SimReportsReceived(0), 1);
    const hidtest::Report& answer = events.reports[0];
    EXPECT_EQ(answer.reportId, 0);
    ASSERT_EQ(answer.data.size(), 64u);
    EXPECT_EQ(answer.data[0], 0x0F);
    EXPECT_EQ(answer.data[1], 3);
    EXPECT_EQ(answer.threadId, GetCurrentThreadId());
    EXPECT_TRUE(events.errors.empty());

    // An unassigned handler stops the reader; an assigned one starts it again.
    device->SetDataHandler(nullptr);
    EXPECT_FALSE(device->HasReader());
    device->SetDataHandler(events.OnData());
    EXPECT_TRUE(device->HasReader());
    delete device;
}

TEST_F(HidController, AReplacedDataHandlerKeepsTheRunningReader)
{
    HidEvents events, other;
    auto controller = Start(OneDevice, events);
    TOcHidDevice* device = Claim(*controller, 0);
    device->SetDataHandler(events.OnData());
    device->SetDataHandler(other.OnData());
    EXPECT_TRUE(device->HasReader());
    const std::vector<uint8_t> report = Report({0x0F, 3});
    DWORD written = 0;
    ASSERT_TRUE(device->WriteReport(report.data(), 65, written));
    ASSERT_TRUE(PumpUntil([&] { return !other.reports.empty(); }, WaitLimitMs));
    EXPECT_TRUE(events.reports.empty());
    delete device;
}

TEST_F(HidController, AfterAnUnplugTheReaderReportsErrorsUntilTheOwnerFreesTheDevice)
{
    HidEvents events;
    auto controller = Start(OneDevice, events);
    controller->SetOnDeviceUnplug(events.OnUnplug());
    controller->SetOnDeviceDataError(events.OnDataError());
    controller->SetOnDeviceData(events.OnData());
    controller->SetDevThreadSleepTime(10);
    TOcHidDevice* device = Claim(*controller, 0);
    ASSERT_TRUE(device->HasReader());

    SimUnplug(0, TRUE);
    ASSERT_TRUE(PumpUntil([&] { return !events.log.empty(); }, WaitLimitMs));
    const size_t errorsAtUnplug = events.errors.size();
    ASSERT_TRUE(PumpUntil([&] { return events.errors.size() >= errorsAtUnplug + 3; }, WaitLimitMs));
    EXPECT_EQ(std::count(events.log.begin(), events.log.end(), "unplug"), 1);
    EXPECT_TRUE(events.reports.empty());
    EXPECT_EQ(events.errors.back(), static_cast<uint32_t>(ERROR_DEVICE_NOT_CONNECTED));

    // Refused requests are paced by the wait step: in any stretch of time at most one per step
    // (and one already on its way) arrives, where retrying at once would deliver hundreds.
    constexpr uint32_t StepMs = 50;
    controller->SetDevThreadSleepTime(StepMs);
    testsupport::PumpFor(2 * StepMs); // the step of 10 ms in progress ends
    const size_t before = events.errors.size();
    const DWORD start = GetTickCount();
    testsupport::PumpFor(500);
    const DWORD elapsed = GetTickCount() - start;
    const size_t during = events.errors.size() - before;
    EXPECT_GE(during, 1u) << "still reporting";
    EXPECT_LE(during, elapsed / StepMs + 2) << "refused reads in " << elapsed << " ms";

    device->MarkUnplugged(); // again: the unplug handler has fired already
    EXPECT_EQ(std::count(events.log.begin(), events.log.end(), "unplug"), 1);

    delete device;
    const size_t errors = events.errors.size();
    testsupport::PumpFor(100);
    EXPECT_EQ(events.errors.size(), errors);
}

TEST_F(HidController, ARemovalDuringARebuildIsSeenByOneMoreRebuild)
{
    Configure(OneDevice);
    HidEvents events;
    auto controller = std::make_unique<TestController>(nullptr);
    events.Watch(*controller);
    // The arrival handler runs a long operation that keeps the message loop going, as the
    // application's automatic upload does; the device goes away meanwhile.
    struct LongOperation {
        void Arrival(TOcHidDevice*)
        {
            SimUnplug(0, TRUE);
            testsupport::PumpFor(100);
        }
    } operation;
    controller->SetOnArrival({&operation, &LongOperation::Arrival});
    controller->SetLoading(true);
    controller->SetOnDeviceChange(events.OnChange());
    controller->SetLoading(false);
    // The first rebuild runs from the window, so the notification inside it is held back.
    ASSERT_TRUE(PumpUntil([&] { return events.log.size() >= 3; }, WaitLimitMs));
    EXPECT_EQ(events.log, (std::vector<std::string>{"change", "removal", "change"}));
    EXPECT_EQ(controller->DeviceCount(), 0);
}

TEST_F(HidController, HandlerAndSleepTimeSettersReachTheListedDevices)
{
    HidEvents events;
    auto controller = Start(TwoDevices, events);
    TOcHidDevice* device = Claim(*controller, 0);
    EXPECT_FALSE(device->HasReader());
    controller->SetOnDeviceData(events.OnData()); // the claimed device starts its reader
    EXPECT_TRUE(device->HasReader());
    EXPECT_EQ(controller->Devices(1)->DataHandler(), events.OnData());
    controller->SetOnDeviceData(nullptr);
    EXPECT_FALSE(device->HasReader());

    // A device whose step was set apart keeps it; the others follow, within 10..10000.
    controller->Devices(1)->SetReaderSleepTime(300);
    controller->SetDevThreadSleepTime(20000);
    EXPECT_EQ(controller->DevThreadSleepTime(), 20000u);
    EXPECT_EQ(device->ReaderSleepTime(), 100u);
    EXPECT_EQ(controller->Devices(1)->ReaderSleepTime(), 300u);
    controller->SetDevThreadSleepTime(100);
    controller->SetDevThreadSleepTime(40);
    EXPECT_EQ(device->ReaderSleepTime(), 40u);
    EXPECT_EQ(controller->Devices(1)->ReaderSleepTime(), 300u);

    for (uint32_t value : {9u, 10001u, 10u, 10000u}) {
        device->SetReaderSleepTime(500);
        device->SetReaderSleepTime(value);
        EXPECT_EQ(device->ReaderSleepTime(), value == 9 || value == 10001 ? 500u : value) << value;
    }

    controller->SetVersion("2.0");
    EXPECT_EQ(controller->Version(), "1.0.35");
    delete device;
}

TEST_F(HidController, DestroyingTheControllerLeavesClaimedDevicesToTheirOwnersUnplugged)
{
    HidEvents events;
    auto controller = Start(TwoDevices, events);
    TOcHidDevice* device = Claim(*controller, 0);
    device->OnUnplug = events.OnUnplug();
    device->SetDataHandler(events.OnData());
    HIDP_CAPS caps;
    device->QueryCaps(caps); // holds preparsed data now
    controller.reset();
    EXPECT_EQ(events.log, (std::vector<std::string>{"unplug"}));
    EXPECT_FALSE(device->Plugged());
    EXPECT_EQ(device->Controller(), nullptr);
    DWORD written = 0;
    const std::vector<uint8_t> report = Report({0x0F, 3});
    EXPECT_FALSE(device->WriteReport(report.data(), 65, written));
    delete device;
    EXPECT_FALSE(hid::IsHidBound());
    EXPECT_FALSE(hid::IsSetupApiBound());
}

TEST_F(HidController, OneControllersDestructionLeavesTheLibrariesToAnother)
{
    Configure(OneDevice);
    HidEvents first, second;
    auto one = Start(first);
    auto two = Start(second);
    one.reset();
    EXPECT_TRUE(hid::IsHidBound());
    EXPECT_TRUE(hid::IsSetupApiBound());
    SimUnplug(0, FALSE);
    Notify(*two);
    EXPECT_EQ(second.log, (std::vector<std::string>{"removal", "change"}));
    two.reset();
    EXPECT_FALSE(hid::IsHidBound());
    EXPECT_FALSE(hid::IsSetupApiBound());
}

} // namespace
