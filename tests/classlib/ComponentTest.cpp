#include "core/Component.h"
#include "core/Events.h"
#include "core/TypeInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace classlib;

namespace {

// Records every notification it gets and drops its reference to a removed partner.
class TWatcher : public TComponent {
    CLASSLIB_CLASS(TWatcher, TComponent)
    explicit TWatcher(TComponent* owner, std::vector<std::string>* log = nullptr)
        : TComponent(owner), log_(log)
    {
    }
    TComponent* Partner = nullptr;
    void SetPartner(TComponent* partner)
    {
        Partner = partner;
        if (partner)
            partner->FreeNotification(this);
    }
    void Click(TObject* sender) { clicks.push_back(sender); }
    void OtherClick(TObject*) {}
    std::vector<TObject*> clicks;

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (log_)
            log_->push_back(Name() + (operation == opInsert ? " +" : " -") + component->Name());
        if (operation == opRemove && component == Partner)
            Partner = nullptr;
    }

private:
    std::vector<std::string>* log_;
};

CLASSLIB_PUBLISH(TWatcher) {}

} // namespace

TEST(Component, OwnerFreesOwnedComponentsAndTheyLeaveWhenFreedFirst)
{
    auto* owner = new TComponent(nullptr);
    auto* a = new TComponent(owner);
    auto* b = new TComponent(owner);
    a->SetName("A");
    b->SetName("b");
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->FindComponent("B"), b);
    EXPECT_EQ(b->ComponentIndex(), 1);
    a->Free();
    EXPECT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(owner->Components(0), b);
    EXPECT_THROW(owner->Components(1), EListError);
    owner->Free(); // frees b too (ASan reports a leak otherwise)
}

TEST(Component, NamesMustBeIdentifiersAndUniqueInTheOwner)
{
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    a->SetName("Button1");
    try {
        b->SetName("BUTTON1");
        FAIL();
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "A component named BUTTON1 already exists");
    }
    EXPECT_THROW(b->SetName("1x"), EComponentError);
    a->SetName("button1"); // renaming itself with another case is allowed
    b->SetName("");
    b->SetName("Button2");
    EXPECT_EQ(a->GetNamePath(), "button1");

    // A named component inserted into another owner must not collide there either.
    TComponent other(nullptr);
    auto* c = new TComponent(&other);
    c->SetName("Button2");
    other.RemoveComponent(c);
    EXPECT_THROW(owner.InsertComponent(c), EComponentError);
    other.InsertComponent(c);
}

TEST(Component, FreeNotificationClearsReferencesAcrossOwners)
{
    std::vector<std::string> log;
    TComponent formA(nullptr), formB(nullptr);
    auto* watcher = new TWatcher(&formA, &log);
    watcher->SetName("W");
    auto* target = new TComponent(&formB);
    target->SetName("T");
    watcher->SetPartner(target);
    EXPECT_TRUE(target->ComponentState().Contains(csFreeNotification));
    target->Free();
    EXPECT_EQ(watcher->Partner, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"W -T"}));

    // The reverse: a freed watcher leaves no dangling entry in its partner.
    auto* target2 = new TComponent(&formB);
    watcher->SetPartner(target2);
    watcher->Free();
    target2->Free(); // must not notify the freed watcher
}

TEST(Component, SiblingsHearOfInsertionAndRemoval)
{
    std::vector<std::string> log;
    auto* owner = new TComponent(nullptr);
    auto* w = new TWatcher(owner, &log);
    w->SetName("W");
    auto* x = new TComponent(owner);
    x->SetName("X");
    x->Free();
    // W joined the owner while still being constructed, so it first hears of X.
    EXPECT_EQ(log, (std::vector<std::string>{"W +", "W -X"}));
    owner->Free();
}

TEST(Component, DestroyingMarksTheWholeTree)
{
    struct TProbe : TComponent {
        using TComponent::TComponent;
        bool* ownerWasDestroying = nullptr;
        ~TProbe() override
        {
            *ownerWasDestroying = Owner() == nullptr && ComponentState().Contains(csDestroying);
        }
    };
    bool seen = false;
    auto* owner = new TComponent(nullptr);
    auto* probe = new TProbe(owner);
    probe->ownerWasDestroying = &seen;
    owner->Free();
    EXPECT_TRUE(seen);
}

namespace {

// Saves what it sees of its tree when the tree starts going: its owner's components by name.
class TSaver : public TComponent {
public:
    TSaver(TComponent* owner, const std::string& name, std::vector<std::string>* log,
           bool fail = false)
        : TComponent(owner), log_(log), fail_(fail)
    {
        SetName(name);
    }

protected:
    void TreeDestroying() override
    {
        std::string seen = Name() + ":";
        if (Owner())
            for (int i = 0; i < Owner()->ComponentCount(); ++i)
                seen += " " + Owner()->Components(i)->Name();
        log_->push_back(seen);
        if (fail_)
            throw Exception("cannot save " + Name());
    }

private:
    std::vector<std::string>* log_;
    bool fail_;
};

std::vector<std::string> reported;
void RecordReport(TObject* sender)
{
    try {
        throw;
    } catch (const Exception& e) {
        reported.push_back(static_cast<TComponent*>(sender)->Name() + " " + e.Message());
    }
}

} // namespace

TEST(Component, TreeDestroyingRunsOnceOnEveryComponentWhileTheTreeIsWhole)
{
    std::vector<std::string> log;
    auto* root = new TSaver(nullptr, "Root", &log);
    auto* panel = new TSaver(root, "Panel", &log);
    new TSaver(panel, "Button", &log);
    new TSaver(root, "Toolbar", &log);
    root->Free();
    // Owners before what they own; every sibling still there (components go newest first).
    EXPECT_EQ(log, (std::vector<std::string>{"Root:", "Panel: Panel Toolbar", "Button: Button",
                                             "Toolbar: Panel Toolbar"}));
}

// A container whose owned components refer back to it: they go in its own destructor.
class TSaverRoot : public TSaver {
public:
    using TSaver::TSaver;
    ~TSaverRoot() override { DestroyComponents(); }
};

TEST(Component, APlainDeleteStillTellsTheOwnedTreesWhileTheyAreWhole)
{
    std::vector<std::string> log;
    auto* root = new TSaverRoot(nullptr, "Root", &log);
    auto* panel = new TSaver(root, "Panel", &log);
    new TSaver(panel, "Button", &log);
    new TSaver(root, "Toolbar", &log);
    delete root; // no BeforeDestruction
    // The root itself is half gone and is not told; everything it owns is, each once, with
    // all its siblings still there.
    EXPECT_EQ(log, (std::vector<std::string>{"Panel: Panel Toolbar", "Button: Button",
                                             "Toolbar: Panel Toolbar"}));
}

TEST(Component, AFailureWhileTheTreeGoesIsReportedAndTheRestStillRuns)
{
    std::vector<std::string> log;
    reported.clear();
    SetApplicationHandleException(&RecordReport);
    auto* root = new TSaver(nullptr, "Root", &log);
    new TSaver(root, "Broken", &log, true);
    new TSaver(root, "After", &log);
    EXPECT_NO_THROW(root->Free());
    SetApplicationHandleException(nullptr);
    EXPECT_EQ(reported, (std::vector<std::string>{"Broken cannot save Broken"}));
    EXPECT_EQ(log.size(), 3u);
}

TEST(Events, AssignedMeansCodeSetAndEqualityComparesCode)
{
    TWatcher a(nullptr), b(nullptr);
    TNotifyEvent none;
    EXPECT_FALSE(none);
    TNotifyEvent fromA(&a, &TWatcher::Click);
    TNotifyEvent fromB(&b, &TWatcher::Click);
    TNotifyEvent other(&a, &TWatcher::OtherClick);
    EXPECT_TRUE(fromA.Assigned());
    EXPECT_EQ(fromA, fromB); // same code, other receiver
    EXPECT_FALSE(fromA == other);
    fromB(&a);
    EXPECT_EQ(b.clicks, (std::vector<TObject*>{&a}));
    EXPECT_TRUE(a.clicks.empty());

    // Untyped round trip and a signature check.
    TNotifyEvent back(fromA.AsMethod());
    back(nullptr);
    EXPECT_EQ(a.clicks.size(), 1u);
    EXPECT_THROW((TEvent<void(TObject*, bool&)>(fromA.AsMethod())), EInvalidCast);
}

TEST(Events, VetoAndValueEvents)
{
    struct TReceiver : TObject {
        void CanClose(TObject*, bool& allow) { allow = false; }
        int Twice(int v) { return 2 * v; }
    } r;
    TEvent<void(TObject*, bool&)> onCloseQuery(&r, &TReceiver::CanClose);
    bool allow = true;
    onCloseQuery(nullptr, allow);
    EXPECT_FALSE(allow);
    TEvent<int(int)> twice(&r, &TReceiver::Twice);
    EXPECT_EQ(twice(21), 42);
}

namespace {
struct IGreeter : IInterface {
    static constexpr TGUID IID = TGUID::FromText("{11AC2DDC-C087-4298-AB6E-EA1B5017511B}");
    virtual std::string Greet() = 0;
};
struct TGreeter : TInterfacedObject, IGreeter {
    bool* freed;
    explicit TGreeter(bool* f) : freed(f) {}
    ~TGreeter() override { *freed = true; }
    std::string Greet() override { return "hi"; }
    bool QueryInterface(const TGUID& iid, void** obj) override
    {
        return TInterfacedObject::QueryInterface(iid, obj);
    }
    int AddRef() override { return TInterfacedObject::AddRef(); }
    int Release() override { return TInterfacedObject::Release(); }
    bool GetInterface(const TGUID& iid, void** obj) override
    {
        return GetInterfaceOf<IGreeter>(this, iid, obj) ||
               TInterfacedObject::GetInterface(iid, obj);
    }
};
} // namespace

TEST(Interfaces, ComponentsDoNotCountReferencesInterfacedObjectsDo)
{
    bool freed = false;
    {
        TInterfacePtr<IGreeter> g(new TGreeter(&freed));
        EXPECT_EQ(g->Greet(), "hi");
        auto again = g.Query<IGreeter>();
        ASSERT_TRUE(again);
        EXPECT_FALSE(g.Query<IInterface>() == nullptr);
    }
    EXPECT_TRUE(freed);

    TComponent c(nullptr);
    TInterfacePtr<IInterface> i(&c); // no counting: the component outlives the reference
    EXPECT_FALSE(Supports<IGreeter>(&c));
    EXPECT_EQ(GUIDToString(IGreeter::IID), "{11AC2DDC-C087-4298-AB6E-EA1B5017511B}");
    EXPECT_TRUE(StringToGUID("{11ac2ddc-c087-4298-ab6e-ea1b5017511b}") == IGreeter::IID);
    EXPECT_THROW(StringToGUID("{11AC2DDC-C087-4298-AB6E-EA1B5017511}"), EConvertError);
}

TEST(Persistent, AssignWithoutSupportRaisesAssignError)
{
    TPersistent a, b;
    try {
        a.Assign(&b);
        FAIL();
    } catch (const EAssignError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TPersistent to a TPersistent");
        EXPECT_EQ(e.ClassName(), "EAssignError");
    }
    EXPECT_THROW(a.Assign(nullptr), EAssignError);
}
