// The desktop's menu-animation setting, read with SystemParametersInfo in second processes: off
// while a process with the office menu module runs, back to its previous value after it ends
// in order, through exit() or through an unhandled exception, and left alone by an instance
// that found it off already.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ProbePath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p = path;
    return p.substr(0, p.find_last_of("\\/") + 1) + "menus_animation_probe.exe";
}

HANDLE StartProbe(const std::string& arguments)
{
    std::string command = "\"" + ProbePath() + "\" " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

DWORD RunProbe(const std::string& arguments)
{
    HANDLE process = StartProbe(arguments);
    if (!process)
        return 999;
    WaitForSingleObject(process, 30000);
    DWORD code = 998;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code;
}

// The setting as a new process sees it.
int DesktopAnimation()
{
    return static_cast<int>(RunProbe("read"));
}

void SetDesktopAnimation(bool on)
{
    SystemParametersInfoA(SPI_SETMENUANIMATION, 0,
                          reinterpret_cast<PVOID>(static_cast<UINT_PTR>(on)), SPIF_SENDCHANGE);
}

// A probe that holds the module started until released.
class HeldProbe {
public:
    explicit HeldProbe(const std::string& tag)
    {
        const std::string base = "BrenvikMenuProbe" + std::to_string(GetCurrentProcessId()) + tag;
        ready_ = CreateEventA(nullptr, TRUE, FALSE, (base + "Ready").c_str());
        release_ = CreateEventA(nullptr, TRUE, FALSE, (base + "Release").c_str());
        process_ = StartProbe("hold " + base + "Ready " + base + "Release");
    }
    bool WaitReady() { return process_ && WaitForSingleObject(ready_, 30000) == WAIT_OBJECT_0; }
    DWORD Release()
    {
        SetEvent(release_);
        WaitForSingleObject(process_, 30000);
        DWORD code = 998;
        GetExitCodeProcess(process_, &code);
        return code;
    }
    ~HeldProbe()
    {
        if (process_)
            CloseHandle(process_);
        CloseHandle(ready_);
        CloseHandle(release_);
    }

private:
    HANDLE ready_;
    HANDLE release_;
    HANDLE process_ = nullptr;
};

class MenuAnimation : public ::testing::Test {
protected:
    void SetUp() override { original_ = DesktopAnimation(); }
    void TearDown() override { SetDesktopAnimation(original_ == 1); }
    int original_ = 0;
};

TEST_F(MenuAnimation, OffWhileRunningAndRestoredAfterAnOrderlyExit)
{
    for (bool before : {true, false}) {
        SetDesktopAnimation(before);
        ASSERT_EQ(DesktopAnimation(), before ? 1 : 0);
        HeldProbe probe("a");
        ASSERT_TRUE(probe.WaitReady());
        EXPECT_EQ(DesktopAnimation(), 0);
        EXPECT_EQ(probe.Release(), 0u);
        EXPECT_EQ(DesktopAnimation(), before ? 1 : 0) << before;
    }
}

// Mended: the setting comes back however the process ends.
TEST_F(MenuAnimation, RestoredWhenTheProgramEndsThroughAnExceptionOrExit)
{
    SetDesktopAnimation(true);
    EXPECT_NE(RunProbe("throw"), 0u);
    EXPECT_EQ(DesktopAnimation(), 1) << "after an unhandled exception";
    EXPECT_EQ(RunProbe("exit"), 3u);
    EXPECT_EQ(DesktopAnimation(), 1) << "after exit()";
}

// Mended: an instance that found the animation switched off by another one does not write
// that value back when it ends after it.
TEST_F(MenuAnimation, ASecondInstanceLeavesTheFirstOnesChangeAlone)
{
    SetDesktopAnimation(true);
    HeldProbe first("first");
    ASSERT_TRUE(first.WaitReady());
    HeldProbe second("second");
    ASSERT_TRUE(second.WaitReady());
    EXPECT_EQ(first.Release(), 0u);
    EXPECT_EQ(DesktopAnimation(), 1);
    EXPECT_EQ(second.Release(), 0u);
    EXPECT_EQ(DesktopAnimation(), 1);
}

} // namespace
