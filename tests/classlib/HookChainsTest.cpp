#include "core/HookChains.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

using namespace classlib;

namespace {

struct Msg {
    int id = 0;
    std::string trace;
};

// Hooks that record themselves and, on cue, change the chains while they run.
struct Party {
    explicit Party(std::string partyName) : name(std::move(partyName)) {}
    std::string name;
    THookChains<Msg>* chains = nullptr;
    bool handles = false;
    std::function<void()> onCall;
    bool Hook(Msg& m)
    {
        m.trace += name;
        if (onCall)
            onCall();
        return handles;
    }
    THookChains<Msg>::THook AsHook() { return THookChains<Msg>::THook(this, &Party::Hook); }
};

struct HookChainsTest : ::testing::Test {
    THookChains<Msg> chains;
    Party a{"a"}, b{"b"}, c{"c"}, d{"d"}, x{"x"};
    std::string Dispatch(int id = 1)
    {
        Msg m;
        m.id = id;
        chains.Dispatch(
            m, [&] { m.trace += "|own|"; }, [] { return false; });
        return m.trace;
    }
};

} // namespace

TEST_F(HookChainsTest, BeforeHooksThenOwnProcedureThenAfterHooksInOrder)
{
    chains.Add(hoBeforeMsg, a.AsHook());
    chains.Add(hoBeforeMsg, b.AsHook());
    chains.Add(hoAfterMsg, c.AsHook());
    chains.Add(hoAfterMsg, d.AsHook());
    EXPECT_EQ(Dispatch(), "ab|own|cd");
    b.handles = true; // a handled message goes no further
    EXPECT_EQ(Dispatch(), "ab");
}

TEST_F(HookChainsTest, HooksThatChangeTheChainsDuringDispatch)
{
    chains.Add(hoBeforeMsg, a.AsHook());
    chains.Add(hoBeforeMsg, b.AsHook());
    chains.Add(hoBeforeMsg, c.AsHook());
    chains.Add(hoAfterMsg, d.AsHook());

    // b removes itself: c still runs, once.
    b.onCall = [&] { chains.Remove(hoBeforeMsg, b.AsHook()); };
    EXPECT_EQ(Dispatch(), "abc|own|d");
    EXPECT_EQ(Dispatch(), "ac|own|d");

    // a removes the next hook c, and adds x at the end: the dispatch goes on with x.
    a.onCall = [&] {
        chains.Remove(hoBeforeMsg, c.AsHook());
        chains.Add(hoBeforeMsg, x.AsHook());
        a.onCall = nullptr;
    };
    EXPECT_EQ(Dispatch(), "ax|own|d");

    // The last after hook adds another after hook: it sees the same message.
    d.onCall = [&] {
        chains.Add(hoAfterMsg, b.AsHook());
        d.onCall = nullptr;
    };
    EXPECT_EQ(Dispatch(), "ax|own|db");

    // A before hook added from an after hook waits for the next message.
    b.onCall = [&] {
        chains.Add(hoBeforeMsg, c.AsHook());
        b.onCall = nullptr;
    };
    EXPECT_EQ(Dispatch(), "ax|own|db");
    EXPECT_EQ(Dispatch(), "axc|own|db");
}

TEST_F(HookChainsTest, NestedDispatchesKeepTheirOwnPlace)
{
    chains.Add(hoBeforeMsg, a.AsHook());
    chains.Add(hoBeforeMsg, b.AsHook());
    chains.Add(hoBeforeMsg, c.AsHook());
    // a sends a nested message during which b removes itself; the outer dispatch must skip
    // the freed b and go on with c.
    std::string inner;
    a.onCall = [&] {
        a.onCall = nullptr;
        b.onCall = [&] { chains.Remove(hoBeforeMsg, b.AsHook()); };
        inner = Dispatch(2);
    };
    EXPECT_EQ(Dispatch(), "ac|own|");
    EXPECT_EQ(inner, "abc|own|");
    EXPECT_EQ(chains.Depth(), 0);
}

TEST_F(HookChainsTest, DestroyedControlStopsTheDispatch)
{
    bool gone = false;
    chains.Add(hoBeforeMsg, a.AsHook());
    chains.Add(hoBeforeMsg, b.AsHook());
    a.onCall = [&] { gone = true; };
    Msg m;
    bool ownRan = false;
    chains.Dispatch(
        m, [&] { ownRan = true; }, [&] { return gone; });
    EXPECT_EQ(m.trace, "a");
    EXPECT_FALSE(ownRan);
}

TEST_F(HookChainsTest, RemoveMatchesReceiverAndCode)
{
    Party other{"o"};
    chains.Add(hoAfterMsg, a.AsHook());
    EXPECT_FALSE(chains.Remove(hoAfterMsg, other.AsHook())); // same code, other receiver
    EXPECT_FALSE(chains.Remove(hoBeforeMsg, a.AsHook()));
    EXPECT_TRUE(chains.Remove(hoAfterMsg, a.AsHook()));
    EXPECT_TRUE(chains.Empty());
}
