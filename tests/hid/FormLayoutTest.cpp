// The controller as a form layout holds it: created by class name, its properties and handlers set
// while the form loads, its first rebuild after loading from the message loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GuiTest.h"
#include "core/ComponentStream.h"
#include "core/FormText.h"
#include "core/Streams.h"
#include "core/TypeInfo.h"
#include "hid/OcHidControllerClass.h"

namespace {

class THidHost : public classlib::TComponent {
    CLASSLIB_CLASS(THidHost, classlib::TComponent)
    using TComponent::TComponent;
    std::vector<std::string> log;
    void HidCtlDeviceChange(classlib::TObject*) { log.push_back("change"); }
    void HidCtlArrival(hid::TOcHidDevice*) { log.push_back("arrival"); }
};

CLASSLIB_PUBLISH(THidHost)
{
    c.Method("HidCtlDeviceChange", &THidHost::HidCtlDeviceChange);
    c.Method("HidCtlArrival", &THidHost::HidCtlArrival);
}

const char Layout[] =
    "object HidHost: THidHost\n"
    "  object HidCtl: TOcHidDeviceController\n"
    "    DevThreadSleepTime = 50\n"
    "    Version = '2.0'\n"
    "    OnArrival = HidCtlArrival\n"
    "    OnDeviceChange = HidCtlDeviceChange\n"
    "  end\n"
    "end\n";

TEST(HidFormLayout, TheControllerLoadsWithoutRebuildingAndRebuildsFromTheMessageLoop)
{
    hid::RegisterHidClasses();
    THidHost host(nullptr);
    classlib::TStringStream in(classlib::ObjectTextToBinary(Layout));
    classlib::ReadComponentFromStream(in, &host);
    auto* controller = dynamic_cast<hid::TOcHidDeviceController*>(host.FindComponent("HidCtl"));
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->DevThreadSleepTime(), 50u);
    EXPECT_EQ(controller->Version(), "1.0.35");
    EXPECT_TRUE(host.log.empty()); // no rebuild while loading
    ASSERT_TRUE(testsupport::PumpUntil(
        [&] { return !host.log.empty() && host.log.back() == "change"; }, 10000));

    // Neither the version nor the about text is ever written to a layout.
    for (const char* name : {"Version", "AboutOCL"}) {
        const classlib::TPropInfo* property = controller->ClassType().FindProperty(name);
        ASSERT_NE(property, nullptr) << name;
        EXPECT_FALSE(property->IsStored(controller)) << name;
    }
}

} // namespace
