// Object window procedures: exceptions never leave a window procedure, utility windows get
// broadcasts, and a window may be destroyed by its own handler.
#include "windows/ExceptionHooks.h"
#include "windows/Threads.h"
#include "windows/WindowProcs.h"

#include "ExceptionRecorder.h"
#include "GuiTest.h"

#include <dbt.h>

#include <stdexcept>

using namespace classlib;

namespace {

class Marker : public TObject {};

TEST(WindowProcs, ExceptionInWindowMethodReachesHooksAndWindowGoesOn)
{
    ExceptionRecorder recorder;
    Marker sender;
    int handled = 0;
    HWND window = nullptr;
    window = AllocateHWnd(
        [&](TMessage& message) {
            if (message.Msg == WM_USER)
                throw std::runtime_error("thrown in a window procedure");
            if (message.Msg == WM_USER + 1) {
                ++handled;
                message.Result = 42;
                return;
            }
            CallDefaultWindowProc(window, message);
        },
        &sender);
    ASSERT_NE(window, nullptr);

    EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 0);
    EXPECT_EQ(SendMessageA(window, WM_USER + 1, 0, 0), 42);

    const auto entries = recorder.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].path, ExceptionPath::Application);
    EXPECT_EQ(entries[0].message, "thrown in a window procedure");
    EXPECT_EQ(entries[0].sender, &sender);
    EXPECT_EQ(handled, 1);
    DeallocateHWnd(window);
    EXPECT_FALSE(IsWindow(window));
}

TEST(WindowProcs, HooksAreAskedNewestFirstAndDefaultHandlingRunsWhenNoneTakesOver)
{
    static std::vector<std::string> order;
    order.clear();
    const int older = AddExceptionHook([](const UnhandledException&) {
        order.push_back("older");
        return false;
    });
    const int newer = AddExceptionHook([](const UnhandledException&) {
        order.push_back("newer");
        return false;
    });
    SetDefaultExceptionHandler([](const UnhandledException& report) {
        order.push_back("default:" + ExceptionMessage(report.exception));
    });
    try {
        throw std::runtime_error("nobody takes it");
    } catch (...) {
        HandleUnhandledException(ExceptionPath::Application, nullptr);
    }
    SetDefaultExceptionHandler(nullptr);
    RemoveExceptionHook(newer);
    RemoveExceptionHook(older);
    EXPECT_EQ(order, (std::vector<std::string>{"newer", "older", "default:nobody takes it"}));
}

TEST(WindowProcs, UtilityWindowIsTopLevelAndReceivesBroadcastDeviceChange)
{
    // DBT_CONFIGCHANGED with a private lParam: other programs on the display ignore it.
    const LPARAM tag = 0x5EED;
    bool received = false;
    HWND window = nullptr;
    window = AllocateHWnd([&](TMessage& message) {
        if (message.Msg == WM_DEVICECHANGE && message.WParam == DBT_CONFIGCHANGED &&
            message.LParam == tag)
            received = true;
        CallDefaultWindowProc(window, message);
    });
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetParent(window), nullptr);
    EXPECT_FALSE(IsWindowVisible(window));

    ASSERT_TRUE(PostMessageA(HWND_BROADCAST, WM_DEVICECHANGE, DBT_CONFIGCHANGED, tag));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return received; }, 10000));
    DeallocateHWnd(window);
}

TEST(WindowProcs, WindowMayBeDestroyedInsideItsOwnHandler)
{
    int calls = 0;
    std::string capturedAfterDestroy = "still here";
    HWND window = nullptr;
    window = AllocateHWnd([&, capture = std::string("alive")](TMessage& message) {
        if (message.Msg == WM_USER) {
            ++calls;
            DeallocateHWnd(window);
            // The method object must survive its own window's destruction until it returns.
            capturedAfterDestroy = capture;
            return;
        }
        CallDefaultWindowProc(window, message);
    });
    SendMessageA(window, WM_USER, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(capturedAfterDestroy, "alive");
}

class ObjectWindowTest : public testsupport::GuiTest {};

TEST_F(ObjectWindowTest, SubclassedControlKeepsItsOwnBehaviourForUnhandledMessages)
{
    HWND parent = CreateTestWindow("subclass", 200, 100);
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 150, 24, parent,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    int intercepted = 0;
    SubclassToObject(
        edit,
        [&](TMessage& message) {
            if (message.Msg == WM_USER + 7) {
                ++intercepted;
                return;
            }
            CallDefaultWindowProc(edit, message);
        },
        nullptr);
    EXPECT_TRUE(HasWindowObject(edit));
    SendMessageA(edit, WM_USER + 7, 0, 0);
    SetWindowTextA(edit, "typed");
    char text[32] = {};
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "typed");
    EXPECT_EQ(intercepted, 1);

    DetachWindowObject(edit);
    EXPECT_FALSE(HasWindowObject(edit));
    SendMessageA(edit, WM_USER + 7, 0, 0);
    EXPECT_EQ(intercepted, 1);
}

TEST_F(ObjectWindowTest, CreatedWindowKnowsItsHandleFromTheFirstMessage)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = ObjectWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "ObjectWindowTestClass";
        registered = RegisterClassA(&windowClass) != 0;
    }
    HWND handle = nullptr;
    HWND seenAtCreate = nullptr;
    bool sawNcCreate = false;
    HWND window = CreateObjectWindow(
        0, "ObjectWindowTestClass", "x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
        [&](TMessage& message) {
            if (message.Msg == WM_NCCREATE)
                sawNcCreate = true;
            if (message.Msg == WM_CREATE)
                seenAtCreate = handle;
            CallDefaultWindowProc(handle, message);
        },
        nullptr, &handle);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(sawNcCreate);
    EXPECT_EQ(seenAtCreate, window);
    EXPECT_EQ(handle, window);
    DestroyWindow(window);
}

} // namespace
