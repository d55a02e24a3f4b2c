// The loader-lock test of the exception path under Wine: the locks are taken by another thread
// through ntdll's own entries.
#include "QorLoaderLock.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <thread>

using namespace qor;

namespace {

// The loader-lock test sees either lock the process environment block points at, held by
// another thread, and nothing once it is let go.
TEST(LoaderLock, HeldWhileAnotherThreadHoldsTheLoaderLockOrTheProcessLock)
{
    using LockLoader = LONG(NTAPI*)(ULONG, ULONG*, ULONG_PTR*);
    using UnlockLoader = LONG(NTAPI*)(ULONG, ULONG_PTR);
    using PebLock = VOID(NTAPI*)();
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const auto lockLoader = reinterpret_cast<LockLoader>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrLockLoaderLock")));
    const auto unlockLoader = reinterpret_cast<UnlockLoader>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrUnlockLoaderLock")));
    const auto acquirePeb = reinterpret_cast<PebLock>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlAcquirePebLock")));
    const auto releasePeb = reinterpret_cast<PebLock>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlReleasePebLock")));
    ASSERT_TRUE(lockLoader && unlockLoader && acquirePeb && releasePeb);
    EXPECT_FALSE(LoaderLockHeld(0));
    EXPECT_FALSE(LoaderLockHeld(250));

    struct Case {
        const char* lock;
        std::function<void()> take, give;
    };
    ULONG_PTR cookie = 0;
    const Case cases[] = {
        {"loader", [&] { lockLoader(0, nullptr, &cookie); }, [&] { unlockLoader(0, cookie); }},
        {"process environment", [&] { acquirePeb(); }, [&] { releasePeb(); }},
    };
    for (const Case& c : cases) {
        const HANDLE taken = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        const HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::thread holder([&] {
            c.take();
            SetEvent(taken);
            WaitForSingleObject(done, INFINITE);
            c.give();
        });
        WaitForSingleObject(taken, INFINITE);
        EXPECT_TRUE(LoaderLockHeld(0)) << c.lock;
        EXPECT_TRUE(LoaderLockHeld(30)) << c.lock << ": still held after the polls";
        SetEvent(done);
        holder.join();
        EXPECT_FALSE(LoaderLockHeld(0)) << c.lock;
        CloseHandle(taken);
        CloseHandle(done);
    }
}

} // namespace
