// The run-time binding of HID.dll and SetupApi.dll against Wine's own libraries, and the
// controller on a system that presents no HID devices.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <setupapi.h>

#include "GuiTest.h"
#include "HidEvents.h"
#include "hid/Hid.h"
#include "hid/ModuleLoader.h"
#include "hid/OcHidControllerClass.h"
#include "hid/SetupApi.h"

namespace {

constexpr DWORD WaitLimitMs = 10000;

// How many of the 46 HID variables are set.
int BoundHidVariables()
{
    int bound = 0;
#define COUNT_EXPORT(ReturnType, Name, Parameters, Arguments, MinimumNtVersion) \
    bound += hid::Name != nullptr;
#define COUNT_ALIAS(VariableName, ExportName) bound += hid::VariableName != nullptr;
    BRENVIK_HID_ENTRY_POINTS(COUNT_EXPORT, COUNT_ALIAS)
#undef COUNT_EXPORT
#undef COUNT_ALIAS
    return bound;
}

// The HID interfaces the system presents, counted through SetupAPI directly (not through the
// binding under test).
int PresentHidInterfaces()
{
    HDEVINFO set = ::SetupDiGetClassDevsA(&hid::DefaultHidInterfaceClass, nullptr, nullptr,
                                          DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE)
        return -1;
    int count = 0;
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    while (::SetupDiEnumDeviceInterfaces(set, nullptr, &hid::DefaultHidInterfaceClass,
                                         static_cast<DWORD>(count), &data))
        ++count;
    ::SetupDiDestroyDeviceInfoList(set);
    return count;
}

bool AnySetupApiVariableSet()
{
    bool any = false;
#define CHECK_EXPORT(ReturnType, Name, Parameters, Arguments) any = any || hid::Name != nullptr;
    BRENVIK_SETUPAPI_CALLED_ENTRY_POINTS(CHECK_EXPORT)
#undef CHECK_EXPORT
    return any;
}

TEST(HidBinding, WinesHidLibraryBindsEveryVariableAndCountsItsUsers)
{
    ASSERT_TRUE(hid::BindHid());
    EXPECT_TRUE(hid::IsHidBound());
    // Wine reports Windows 6.1, so the version-dependent entry points are bound too; the button
    // forms of the usage functions share their exports.
    EXPECT_EQ(hid::HidP_GetButtons, hid::HidP_GetUsages);
    EXPECT_EQ(BoundHidVariables(), 46);
    ASSERT_TRUE(hid::BindHid());
    hid::UnbindHid();
    EXPECT_TRUE(hid::IsHidBound());
    EXPECT_EQ(BoundHidVariables(), 46);
    hid::UnbindHid();
    EXPECT_FALSE(hid::IsHidBound());
    EXPECT_EQ(BoundHidVariables(), 0);
    hid::UnbindHid(); // one too many: no effect on the next binding
    ASSERT_TRUE(hid::BindHid());
    EXPECT_EQ(BoundHidVariables(), 46);
    hid::UnbindHid();
    EXPECT_FALSE(hid::IsHidBound());
}

TEST(HidBinding, SetupApiStaysBoundUntilItsLastUserUnbinds)
{
    ASSERT_TRUE(hid::BindSetupApi());
    ASSERT_TRUE(hid::BindSetupApi());
    hid::UnbindSetupApi();
    EXPECT_TRUE(hid::IsSetupApiBound());
    EXPECT_NE(hid::SetupDiGetClassDevsA, nullptr);
    hid::UnbindSetupApi();
    EXPECT_FALSE(hid::IsSetupApiBound());
    EXPECT_FALSE(AnySetupApiVariableSet());
    hid::UnbindSetupApi(); // one too many: the next bind loads the library again
    ASSERT_TRUE(hid::BindSetupApi());
    EXPECT_TRUE(hid::IsSetupApiBound());
    hid::UnbindSetupApi();
    EXPECT_FALSE(hid::IsSetupApiBound());
}

TEST(HidBinding, LoaderRoutinesKeepAHandleAndCollectFailures)
{
    HMODULE module = nullptr;
    ASSERT_TRUE(hid::LoadLibraryOnce(module, "kernel32.dll"));
    HMODULE kept = module;
    ASSERT_TRUE(hid::LoadLibraryOnce(module, "user32.dll"));
    EXPECT_EQ(module, kept); // a set handle is kept, nothing else is loaded
    bool allOk = true;
    EXPECT_NE(hid::GetProcAddressChecked(module, "GetTickCount", allOk), nullptr);
    EXPECT_TRUE(allOk);
    EXPECT_EQ(hid::GetProcAddressChecked(module, "NoSuchExport", allOk), nullptr);
    EXPECT_FALSE(allOk);
    EXPECT_NE(hid::GetProcAddressChecked(module, "GetTickCount", allOk), nullptr);
    EXPECT_FALSE(allOk); // never set back
    EXPECT_EQ(hid::GetProcAddressChecked(nullptr, "GetTickCount", allOk), nullptr);
    hid::FreeLibraryHandle(module);
    EXPECT_EQ(module, nullptr);

    HMODULE missing = nullptr;
    const UINT mode = SetErrorMode(0);
    EXPECT_FALSE(hid::LoadLibraryOnce(missing, "no-such-library.dll"));
    EXPECT_EQ(SetErrorMode(mode), 0u); // the previous error mode is back
}

TEST(HidBinding, AControllerOnWinesLibrariesRebuildsFromTheMessageLoop)
{
    hidtest::HidEvents events;
    auto controller = std::make_unique<hid::TOcHidDeviceController>(nullptr);
    events.Watch(*controller);
    EXPECT_TRUE(hid::IsHidBound());
    EXPECT_NE(controller->WindowHandle(), nullptr);
    EXPECT_EQ(memcmp(&controller->InterfaceClass(), &hid::DefaultHidInterfaceClass, sizeof(GUID)),
              0);

    // Handlers are set after creation, as a form does while loading; the first rebuild comes from
    // the message loop and always ends in OnDeviceChange. (Wine may present HID interfaces of its
    // own, so their number is not fixed here.)
    controller->SetOnDeviceChange(events.OnChange());
    events.log.clear();
    ASSERT_TRUE(testsupport::PumpUntil(
        [&] { return !events.log.empty() && events.log.back() == "change"; }, WaitLimitMs));
    // Every interface the system presents is listed.
    const int present = PresentHidInterfaces();
    ASSERT_GE(present, 0);
    EXPECT_EQ(controller->DeviceCount(), present);
    hid::TOcHidDevice* device = nullptr;
    EXPECT_FALSE(controller->AcquireDeviceAt(controller->DeviceCount(), device));
    controller.reset();
    EXPECT_FALSE(hid::IsHidBound());
    EXPECT_FALSE(hid::IsSetupApiBound());
}

} // namespace
