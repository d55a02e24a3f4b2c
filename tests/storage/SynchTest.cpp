// Named mutexes seen from this and a second process, wait outcomes (abandoned, timeout,
// error) and the mutex error's message.
#include "BcSynch.h"
#include "PeerProcess.h"

#include <gtest/gtest.h>

#include <thread>

using namespace bcl;

namespace {

std::string UniqueName(const char* what)
{
    return std::string("bcl_test_") + what + "_" + std::to_string(GetCurrentProcessId());
}

} // namespace

TEST(Synch, SecondCreationOfANameOpensTheSameMutex)
{
    const std::string name = UniqueName("mutex");
    TBcMutex first(nullptr, false, name);
    EXPECT_FALSE(first.AlreadyExisted());
    EXPECT_EQ(first.ObjectName(), name);
    TBcMutex second(nullptr, false, name);
    EXPECT_TRUE(second.AlreadyExisted());

    // Owned by this thread through the first handle: another process sees it held, and
    // sees it free once released.
    ASSERT_EQ(first.WaitTimeout(0), woSignaled);
    auto held = peer::Run("bcl_peer.exe", "mutex " + name);
    EXPECT_EQ(held.output, "existed=1 outcome=4") << "woTimeout from the second process";
    EXPECT_TRUE(first.Unlock());
    auto freed = peer::Run("bcl_peer.exe", "mutex " + name);
    EXPECT_EQ(freed.output, "existed=1 outcome=3") << "woSignaled from the second process";
}

TEST(Synch, AMutexOfAnotherThreadTimesOutAndUnlockByANonOwnerFails)
{
    TBcMutex mutex(nullptr, false, UniqueName("held"));
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE taken = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread owner([&] {
        mutex.WaitInfinite();
        SetEvent(taken);
        WaitForSingleObject(release, INFINITE);
        mutex.Unlock();
    });
    WaitForSingleObject(taken, INFINITE);
    EXPECT_EQ(mutex.WaitTimeout(0), woTimeout);
    EXPECT_FALSE(mutex.Unlock());
    SetEvent(release);
    owner.join();
    EXPECT_EQ(mutex.WaitTimeout(0), woSignaled);
    EXPECT_TRUE(mutex.Unlock());
    CloseHandle(release);
    CloseHandle(taken);
}

TEST(Synch, AbandonedMutexGivesTheAbandonedOutcome)
{
    TBcMutex mutex(nullptr, false, UniqueName("abandoned"));
    std::thread owner([&] { EXPECT_EQ(mutex.WaitInfinite(), woSignaled); }); // ends owning it
    owner.join();
    EXPECT_EQ(mutex.WaitInfinite(), woAbandoned);
    EXPECT_EQ(int(woAbandoned), 0);
    // The abandoned wait made this thread the owner.
    EXPECT_TRUE(mutex.Unlock());
}

TEST(Synch, WaitResultsMapToOutcomes)
{
    EXPECT_EQ(WaitOutcomeFromResult(WAIT_ABANDONED), woAbandoned);
    EXPECT_EQ(WaitOutcomeFromResult(WAIT_FAILED), woError);
    EXPECT_EQ(WaitOutcomeFromResult(0x1234), woError);
    EXPECT_EQ(WaitOutcomeFromResult(WAIT_IO_COMPLETION), woIOCompletion);
    EXPECT_EQ(WaitOutcomeFromResult(WAIT_OBJECT_0), woSignaled);
    EXPECT_EQ(WaitOutcomeFromResult(WAIT_TIMEOUT), woTimeout);
}

TEST(Synch, MutexErrorCarriesThePlatformTextAndCode)
{
    // A name that an event already uses cannot become a mutex.
    const std::string name = UniqueName("event");
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, name.c_str());
    try {
        TBcMutex mutex(nullptr, false, name);
        FAIL() << "created";
    } catch (const EBcMutexError& e) {
        EXPECT_EQ(e.ErrorCode(), uint32_t{ERROR_INVALID_HANDLE});
        const std::string message = e.what();
        const std::string firstLine = "Win32 error: " + e.ErrorText() + " (6)";
        EXPECT_EQ(message, firstLine + "\r\nFailed to create mutex");
        EXPECT_FALSE(e.ErrorText().empty());
    }
    CloseHandle(event);
}

TEST(Synch, WaitOnAClosedHandleIsAnError)
{
    struct ClosedMutex : TBcMutex {
        ClosedMutex() : TBcMutex(nullptr, false, "")
        {
            CloseHandle(objectHandle_);
            objectHandle_ = nullptr;
        }
    } mutex;
    EXPECT_EQ(mutex.WaitTimeout(0), woError);
}
