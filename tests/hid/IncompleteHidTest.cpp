// The binding and the controller with a HID.dll that lacks an export the binding needs (the
// library beside this program; SetupApi.dll is Wine's own).
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "HidEvents.h"
#include "hid/Hid.h"
#include "hid/OcHidControllerClass.h"
#include "hid/SetupApi.h"

namespace {

TEST(IncompleteHidLibrary, BindingFailsAndLeavesNothingBound)
{
    ASSERT_NE(GetProcAddress(LoadLibraryA("HID.dll"), "HidD_Hello_Renamed"), nullptr)
        << "Wine's hid.dll was loaded";
    EXPECT_FALSE(hid::BindHid());
    EXPECT_FALSE(hid::IsHidBound());
    EXPECT_EQ(hid::HidD_GetHidGuid, nullptr);
    EXPECT_EQ(hid::HidD_GetAttributes, nullptr);
}

TEST(IncompleteHidLibrary, TheControllerRunsWithoutDevicesAndReleasesSetupApi)
{
    hidtest::HidEvents events;
    auto controller = std::make_unique<hid::TOcHidDeviceController>(nullptr);
    events.Watch(*controller);
    EXPECT_TRUE(hid::IsSetupApiBound());
    EXPECT_FALSE(hid::IsHidBound());
    EXPECT_EQ(controller->WindowHandle(), nullptr);
    EXPECT_EQ(memcmp(&controller->InterfaceClass(), &hid::DefaultHidInterfaceClass, sizeof(GUID)),
              0);
    controller->SetOnDeviceChange(events.OnChange());
    controller->DeviceChange();
    EXPECT_TRUE(events.log.empty());
    EXPECT_EQ(controller->DeviceCount(), 0);
    EXPECT_EQ(controller->EnumeratePlugged(), 0);
    hid::TOcHidDevice* device = nullptr;
    EXPECT_FALSE(controller->AcquireDeviceAt(0, device));
    EXPECT_EQ(device, nullptr);
    // The controller bound SetupAPI although HID failed: its destruction releases it.
    controller.reset();
    EXPECT_FALSE(hid::IsSetupApiBound());
}

} // namespace
