// Chain-safe hooks: two hook chains on a form's own message handling and two native
// subclassers of its window, freed in every order, leave the form working and never touch
// GWLP_USERDATA; thread hooks installed and removed in any order keep the system's chain
// whole; an exception in any of them reaches the application's handler.
#include "windows/Application.h"
#include "windows/Forms.h"
#include "windows/ThreadHooks.h"
#include "windows/WindowProcs.h"

#include <gtest/gtest.h>

#include "ExceptionRecorder.h"
#include "GuiTest.h"

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace classlib;

namespace {

constexpr UINT WM_PROBE = WM_USER + 1;
constexpr UINT WM_FAIL = WM_USER + 2;
constexpr LONG_PTR kUserData = 0x5A5A1234;

// A form that counts the probes its own message map receives.
class TProbeForm : public TForm {
    CLASSLIB_CLASS(TProbeForm, TForm)
    CLASSLIB_MESSAGES()
    explicit TProbeForm(TComponent* owner) : TForm(owner) {}
    int probes = 0;

protected:
    void WMProbe(TMessage& m)
    {
        ++probes;
        m.Result = 42;
    }
};
CLASSLIB_PUBLISH(TProbeForm) {}
CLASSLIB_MESSAGE_MAP(TProbeForm)
{
    m.On(WM_PROBE, &TProbeForm::WMProbe);
}

// One party that hooks the form: through the form's hook chain or by subclassing its window.
struct Party {
    int seen = 0;
    bool Hook(TMessage& m)
    {
        if (m.Msg == WM_PROBE)
            ++seen;
        if (m.Msg == WM_FAIL)
            throw Exception("hook failed");
        return false;
    }
};

class HookParty {
public:
    virtual ~HookParty() = default;
    Party party;
};

class ChainParty : public HookParty {
public:
    ChainParty(TControl* control, THookOrder order) : control_(control), order_(order)
    {
        control_->AddWindowProcHook(order_, TWindowProcHook(&party, &Party::Hook));
    }
    ~ChainParty() override
    {
        control_->RemoveWindowProcHook(order_, TWindowProcHook(&party, &Party::Hook));
    }

private:
    TControl* control_;
    THookOrder order_;
};

class SubclassParty : public HookParty {
public:
    explicit SubclassParty(HWND window)
        : subclass_(window, [this, window](TMessage& m) {
              party.Hook(m);
              TWindowSubclass::CallNext(window, m);
          })
    {
    }

private:
    TWindowSubclass subclass_;
};

class FormHooksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new TProbeForm(nullptr);
        form->HandleNeeded();
        SetWindowLongPtrA(form->Handle(), GWLP_USERDATA, kUserData);
        originalProc = GetWindowLongPtrA(form->Handle(), GWLP_WNDPROC);
    }
    void TearDown() override { form->Free(); }

    std::vector<std::unique_ptr<HookParty>> MakeParties()
    {
        std::vector<std::unique_ptr<HookParty>> parties;
        parties.push_back(std::make_unique<ChainParty>(form, hoBeforeMsg));
        parties.push_back(std::make_unique<SubclassParty>(form->Handle()));
        parties.push_back(std::make_unique<ChainParty>(form, hoAfterMsg));
        parties.push_back(std::make_unique<SubclassParty>(form->Handle()));
        return parties;
    }
    LRESULT Probe() { return SendMessageA(form->Handle(), WM_PROBE, 0, 0); }

    TProbeForm* form = nullptr;
    LONG_PTR originalProc = 0;
};

TEST_F(FormHooksTest, PartiesFreedInEveryOrderLeaveTheFormWorking)
{
    std::array<int, 4> order{0, 1, 2, 3};
    do {
        SCOPED_TRACE(testing::Message()
                     << "order " << order[0] << order[1] << order[2] << order[3]);
        auto parties = MakeParties();
        std::vector<bool> alive(parties.size(), true);
        for (int index : order) {
            parties[static_cast<size_t>(index)].reset();
            alive[static_cast<size_t>(index)] = false;
            std::vector<int> before;
            for (const auto& p : parties)
                before.push_back(p ? p->party.seen : 0);
            const int probes = form->probes;
            EXPECT_EQ(Probe(), 42);
            EXPECT_EQ(form->probes, probes + 1);
            for (size_t i = 0; i < parties.size(); ++i)
                if (alive[i])
                    EXPECT_EQ(parties[i]->party.seen, before[i] + 1)
                        << "party " << i << " was cut off";
            EXPECT_EQ(GetWindowLongPtrA(form->Handle(), GWLP_USERDATA), kUserData);
        }
        EXPECT_EQ(GetWindowLongPtrA(form->Handle(), GWLP_WNDPROC), originalProc);
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(FormHooksTest, ABeforeHookThatHandlesTheMessageKeepsItFromTheForm)
{
    struct Eater {
        bool Hook(TMessage& m)
        {
            if (m.Msg != WM_PROBE)
                return false;
            m.Result = 7;
            return true;
        }
    } eater;
    const TWindowProcHook hook(&eater, &Eater::Hook);
    form->AddWindowProcHook(hoBeforeMsg, hook);
    EXPECT_EQ(Probe(), 7);
    EXPECT_EQ(form->probes, 0);
    EXPECT_TRUE(form->RemoveWindowProcHook(hoBeforeMsg, hook));
    EXPECT_FALSE(form->RemoveWindowProcHook(hoBeforeMsg, hook));
    EXPECT_EQ(Probe(), 42);
}

TEST_F(FormHooksTest, AnExceptionInAHookOrSubclassReachesTheApplicationHandler)
{
    for (int kind = 0; kind < 2; ++kind) {
        SCOPED_TRACE(kind == 0 ? "hook chain" : "subclass");
        ExceptionRecorder recorder;
        std::unique_ptr<HookParty> party;
        if (kind == 0)
            party = std::make_unique<ChainParty>(form, hoBeforeMsg);
        else
            party = std::make_unique<SubclassParty>(form->Handle());
        SendMessageA(form->Handle(), WM_FAIL, 0, 0);
        ASSERT_EQ(recorder.Count(), 1u);
        EXPECT_EQ(recorder.Entries()[0].message, "hook failed");
        EXPECT_EQ(recorder.Entries()[0].path, ExceptionPath::Application);
        EXPECT_EQ(Probe(), 42); // still working
    }
}

TEST_F(FormHooksTest, AFormFreedByItsOwnHookStopsTheDispatch)
{
    struct Killer {
        TProbeForm** form;
        bool after = false;
        bool Before(TMessage& m)
        {
            if (m.Msg == WM_PROBE)
                FreeAndNil(*form);
            return false;
        }
        bool After(TMessage& m)
        {
            if (m.Msg == WM_PROBE)
                after = true;
            return false;
        }
    } killer{&form};
    form->AddWindowProcHook(hoBeforeMsg, TWindowProcHook(&killer, &Killer::Before));
    form->AddWindowProcHook(hoAfterMsg, TWindowProcHook(&killer, &Killer::After));
    SendMessageA(form->Handle(), WM_PROBE, 0, 0);
    EXPECT_EQ(form, nullptr);
    EXPECT_FALSE(killer.after);
    form = new TProbeForm(nullptr); // for TearDown
}

// ---- thread hooks --------------------------------------------------------------------------

struct ThreadHookParty {
    std::vector<UINT> seen;
    std::unique_ptr<TThreadHook> hook;
    void Install(bool failing = false)
    {
        hook = std::make_unique<TThreadHook>(
            WH_GETMESSAGE, [this, failing](int code, WPARAM w, LPARAM l) {
                const auto* msg = reinterpret_cast<const MSG*>(l);
                if (code == HC_ACTION && msg->message >= WM_PROBE && msg->message <= WM_FAIL) {
                    seen.push_back(msg->message);
                    if (failing && msg->message == WM_FAIL)
                        throw Exception("thread hook failed");
                }
                return hook->CallNext(code, w, l);
            });
    }
};

void PostAndPump(HWND window, UINT msg)
{
    PostMessageA(window, msg, 0, 0);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

TEST(ThreadHookTest, HooksRemovedInEitherOrderKeepTheOthersInTheChain)
{
    HWND window = AllocateHWnd(
        [](TMessage& m) { m.Result = DefWindowProcA(nullptr, m.Msg, m.WParam, m.LParam); });
    for (const auto& order : {std::array<int, 2>{0, 1}, std::array<int, 2>{1, 0}}) {
        SCOPED_TRACE(testing::Message() << "first removed " << order[0]);
        std::array<ThreadHookParty, 2> parties;
        parties[0].Install();
        parties[1].Install();
        PostAndPump(window, WM_PROBE);
        EXPECT_EQ(parties[0].seen.size(), 1u);
        EXPECT_EQ(parties[1].seen.size(), 1u);
        parties[static_cast<size_t>(order[0])].hook.reset();
        PostAndPump(window, WM_PROBE);
        EXPECT_EQ(parties[static_cast<size_t>(order[1])].seen.size(), 2u)
            << "the remaining hook was cut off";
        EXPECT_EQ(parties[static_cast<size_t>(order[0])].seen.size(), 1u);
    }
    DeallocateHWnd(window);
}

TEST(ThreadHookTest, AnExceptionInAHookReachesTheApplicationHandlerAndTheChainGoesOn)
{
    HWND window = AllocateHWnd(
        [](TMessage& m) { m.Result = DefWindowProcA(nullptr, m.Msg, m.WParam, m.LParam); });
    ExceptionRecorder recorder;
    ThreadHookParty older, failing;
    older.Install();
    failing.Install(true); // the newest hook is called first
    PostAndPump(window, WM_FAIL);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Entries()[0].message, "thread hook failed");
    EXPECT_EQ(older.seen.size(), 1u); // called once, by the failing hook before it failed
    DeallocateHWnd(window);
}

TEST(ThreadHookTest, AHookMayRemoveItselfInsideItsProcedure)
{
    HWND window = AllocateHWnd(
        [](TMessage& m) { m.Result = DefWindowProcA(nullptr, m.Msg, m.WParam, m.LParam); });
    int calls = 0;
    std::unique_ptr<TThreadHook> hook;
    hook = std::make_unique<TThreadHook>(WH_GETMESSAGE, [&](int code, WPARAM w, LPARAM l) {
        const auto* msg = reinterpret_cast<const MSG*>(l);
        if (code == HC_ACTION && msg->message == WM_PROBE) {
            ++calls;
            const LRESULT next = hook->CallNext(code, w, l);
            hook.reset();
            return next;
        }
        return hook->CallNext(code, w, l);
    });
    PostAndPump(window, WM_PROBE);
    PostAndPump(window, WM_PROBE);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(hook, nullptr);
    DeallocateHWnd(window);
}

} // namespace
