// The consumer: attaching and detaching providers, contexts by name and by interface, the
// relay of provider notices to its owner, its extensions, and the selection extension; and a
// consumer streamed with its owner's form data.
#include "ProviderFixture.h"

#include "core/ComponentStream.h"
#include "core/Streams.h"

#include <gtest/gtest.h>

#include <memory>

using namespace providerfixture;
using namespace classlib;

namespace {

// A control-like owner: publishes its consumer as "Provider" and logs what it is told.
class TConsumerOwner : public TComponent {
    CLASSLIB_CLASS(TConsumerOwner, TComponent)
    explicit TConsumerOwner(TComponent* owner, std::vector<int> attributes = {2})
        : TComponent(owner)
    {
        consumer_ = TOcDataConsumer::Create(this, attributes);
        consumer_->OnConsumerChanged =
            TOcConsumerChangeEvent(this, &TConsumerOwner::ConsumerChanged);
        consumer_->OnConsumerChanging =
            TOcConsumerChangeEvent(this, &TConsumerOwner::ConsumerChanging);
    }
    ~TConsumerOwner() override { consumer_->Free(); }

    TOcDataConsumer* Consumer() const { return consumer_; }
    void SetLoading(bool loading)
    {
        TComponentState state = ComponentState();
        SetComponentState(loading ? state.Include(csLoading) : state.Exclude(csLoading));
    }
    void ConsumerChanged(TOcDataConsumer*, TOcConsumerChangeReason reason)
    {
        Changed.push_back(reason);
    }
    void ConsumerChanging(TOcDataConsumer*, TOcConsumerChangeReason reason)
    {
        Changing.push_back(reason);
    }

    std::vector<TOcConsumerChangeReason> Changed, Changing;

protected:
    void Loaded() override
    {
        TComponent::Loaded();
        consumer_->Loaded();
    }

private:
    TOcDataConsumer* consumer_;
};

// A form-like root that streams the components it owns.
class TTestForm : public TComponent {
    CLASSLIB_CLASS(TTestForm, TComponent)
    explicit TTestForm(TComponent* owner) : TComponent(owner) {}
    ~TTestForm() override { DestroyComponents(); }
    void GetChildren(const TGetChildProc& proc, TComponent*) override
    {
        for (int i = 0; i < ComponentCount(); ++i)
            proc(Components(i));
    }
};

// Logs the extension events.
struct ExtensionLog {
    void Before(TOcDataConsumer*, const TMetaClass*& cls)
    {
        Offered.push_back(cls->ClassName());
        if (Skip)
            cls = nullptr;
    }
    void After(TOcDataConsumer*, TOcDataConsumerAggregatedObject* extension)
    {
        Created.push_back(extension->ClassName());
    }
    std::vector<std::string> Offered, Created;
    bool Skip = false;
};

class Consumer : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterFixtureClasses();
        RegisterClasses({&TConsumerOwner::StaticClass(), &TTestForm::StaticClass()});
        provider = std::make_unique<TTestProvider>(nullptr);
        provider->SetName("Provider1");
        BuildSampleTree(*provider);
        owner = std::make_unique<TConsumerOwner>(nullptr);
    }
    void TearDown() override
    {
        owner.reset();
        provider.reset();
    }
    TOcDataConsumer* C() { return owner->Consumer(); }
    TInterfacePtr<IOcDataConsumerSelection> Selection()
    {
        return TInterfacePtr<IOcDataConsumer>(C()).Query<IOcDataConsumerSelection>();
    }
    std::string SelectedID()
    {
        auto selection = Selection();
        TInterfacePtr<IOcDataItem> item = selection ? selection->SelectedItem() : nullptr;
        return item ? item->ID() : "";
    }
    void ExpectError(const std::function<void()>& call, const std::string& message)
    {
        try {
            call();
            ADD_FAILURE() << "no error, expected " << message;
        } catch (const EOCLDataConsumer& e) {
            EXPECT_EQ(e.Message(), message);
        }
    }

    std::unique_ptr<TTestProvider> provider;
    std::unique_ptr<TConsumerOwner> owner;
};

} // namespace

CLASSLIB_PUBLISH(TConsumerOwner)
{
    c.Property("Provider", &TConsumerOwner::Consumer);
}
CLASSLIB_PUBLISH(TTestForm) {}

TEST_F(Consumer, KeepsAttributeCodesOnceAndIsNeverCounted)
{
    TConsumerOwner other(nullptr, {2, 3, 2});
    EXPECT_EQ(other.Consumer()->AttributeCodes(), (std::vector<int>{2, 3}));
    EXPECT_TRUE(other.Consumer()->HasAttribute(3));
    EXPECT_FALSE(other.Consumer()->HasAttribute(4));
    TInterfacePtr<IOcDataConsumer> intf = other.Consumer();
    EXPECT_EQ(intf->AddRef(), -1);
    EXPECT_EQ(intf->Release(), -1);
    EXPECT_EQ(intf->OwnerComponent(), &other);
    intf.Reset();
    EXPECT_EQ(other.Consumer()->RefCount(), 0) << "alive and uncounted";
}

TEST_F(Consumer, AttachingAProviderListensRelaysAndCreatesItsExtensions)
{
    C()->SetProviderInterface(provider.get());
    EXPECT_EQ(provider->ListenerCount(), 1);
    EXPECT_EQ(C()->ProviderInterface().Get(), static_cast<IOcDataProvider*>(provider.get()));
    EXPECT_EQ(C()->Context(), "") << "a provider without contexts leaves Context empty";
    ASSERT_FALSE(owner->Changed.empty());
    EXPECT_EQ(owner->Changed.back(), cnrProvider);
    EXPECT_EQ(owner->Changing.front(), cnrProvider);
    ASSERT_EQ(C()->ExtensionCount(), 1);
    EXPECT_EQ(C()->Extensions(0)->ClassName(), "TOcDataConsumerItemSelect");
    EXPECT_EQ(provider->ConsumerDepth(), 0u) << "the extension query pops what it pushed";

    owner->Changed.clear();
    const int pushes = provider->Pushes;
    C()->SetProviderInterface(provider.get());
    EXPECT_TRUE(owner->Changed.empty()) << "the same provider again changes nothing";
    EXPECT_EQ(provider->Pushes, pushes);

    C()->SetProviderInterface(nullptr);
    EXPECT_EQ(provider->ListenerCount(), 0);
    EXPECT_EQ(C()->ExtensionCount(), 0);
    EXPECT_EQ(owner->Changed.back(), cnrProvider);
}

TEST_F(Consumer, ProviderNoticesReachTheOwnerAsDataOrViewChanges)
{
    C()->SetProviderInterface(provider.get());
    struct Case {
        TOcProviderChangeReason reason;
        TOcConsumerChangeReason expected;
    };
    const Case cases[] = {{pnrRefresh, cnrView},
                          {pnrItemUpdated, cnrProviderData},
                          {pnrItemsUpdated, cnrProviderData},
                          {pnrContextAdded, cnrProviderData}};
    for (const Case& c : cases) {
        owner->Changed.clear();
        provider->NotifyChanged(c.reason, nullptr);
        ASSERT_FALSE(owner->Changed.empty());
        EXPECT_EQ(owner->Changed.back(), c.expected) << int(c.reason);
    }
}

TEST_F(Consumer, AClosingProviderIsDetached)
{
    C()->SetProviderInterface(provider.get());
    provider->Close();
    EXPECT_FALSE(C()->ProviderInterface());
    EXPECT_EQ(C()->ExtensionCount(), 0);
    EXPECT_EQ(provider->ListenerCount(), 0);
}

TEST_F(Consumer, AFreedProviderComponentLeavesNoDanglingLink)
{
    C()->SetProviderInterface(provider.get());
    owner->FreeNotification(provider.get());
    provider.reset();
    EXPECT_FALSE(C()->ProviderInterface());
    EXPECT_EQ(owner->Changed.back(), cnrProvider);
}

TEST_F(Consumer, ContextsFollowTheProviderAndAreSetByName)
{
    TInterfacePtr<IOcDataContext> en = provider->AddContext("English");
    TInterfacePtr<IOcDataContext> de = provider->AddContext("German");
    C()->SetProviderInterface(provider.get());
    EXPECT_EQ(C()->Context(), "English") << "the first context is selected";
    EXPECT_FALSE(C()->IsContextStored());

    owner->Changed.clear();
    C()->SetContext("german");
    EXPECT_EQ(C()->ContextInterface(), de);
    EXPECT_EQ(owner->Changed, (std::vector<TOcConsumerChangeReason>{cnrContext}));
    EXPECT_TRUE(C()->IsContextStored());

    owner->Changed.clear();
    C()->SetContext("German");
    C()->SetContext("GERMAN");
    EXPECT_TRUE(owner->Changed.empty()) << "the same context, by any case, changes nothing";

    ExpectError([&] { C()->SetContext("French"); }, "Provider has no context named \"French\"");
    EXPECT_EQ(C()->Context(), "German");

    TTestProvider other(nullptr);
    TInterfacePtr<IOcDataContext> foreign = other.AddContext("Elsewhere");
    ExpectError([&] { C()->SetContextInterface(foreign.Get()); },
                "The specified context is not part of the same provider");

    C()->SetContext("");
    EXPECT_FALSE(C()->ContextInterface());

    provider->AnswerContexts = false;
    ExpectError([&] { C()->SetContext("English"); }, "Provider does not support contexts");
    C()->SetProviderInterface(nullptr);
}

TEST_F(Consumer, AContextNameWithoutProviderIsParkedOnlyWhileLoading)
{
    ExpectError([&] { C()->SetContext("German"); },
                "You must specify a provider before setting the context");

    provider->AddContext("English");
    provider->AddContext("German");
    owner->SetLoading(true);
    C()->SetContext("German");
    EXPECT_EQ(C()->PendingContextName, "German");
    owner->SetLoading(false);
    C()->SetProviderInterface(provider.get());
    EXPECT_EQ(C()->Context(), "German") << "the parked name is applied when the provider comes";
    EXPECT_TRUE(C()->PendingContextName.empty());

    TConsumerOwner late(nullptr);
    late.SetLoading(true);
    late.Consumer()->SetContext("German");
    late.SetLoading(false);
    ExpectError([&] { late.Consumer()->Loaded(); },
                "You must specify a provider before setting the context");
}

TEST_F(Consumer, ExtensionEventsMayReplaceOrSkipAClass)
{
    ExtensionLog log;
    C()->BeforeExtensionCreated = TOcBeforeExtensionCreatedEvent(&log, &ExtensionLog::Before);
    C()->AfterExtensionCreated = TOcExtensionCreatedEvent(&log, &ExtensionLog::After);
    log.Skip = true;
    C()->SetProviderInterface(provider.get());
    EXPECT_EQ(log.Offered, (std::vector<std::string>{"TOcDataConsumerItemSelect"}));
    EXPECT_TRUE(log.Created.empty());
    EXPECT_EQ(C()->ExtensionCount(), 0);

    log.Skip = false;
    C()->RefreshExtensions();
    EXPECT_EQ(log.Created, (std::vector<std::string>{"TOcDataConsumerItemSelect"}));
    C()->RefreshExtensions();
    EXPECT_EQ(C()->ExtensionCount(), 1) << "a class already present is not created again";
}

TEST_F(Consumer, LinkedServersHearOfANewProvider)
{
    struct Server : IOcDataConsumerServer {
        bool QueryInterface(const TGUID& iid, void** obj) override
        {
            *obj = iid == IOcDataConsumerServer::IID || iid == IInterface::IID ? this : nullptr;
            return *obj != nullptr;
        }
        int AddRef() override { return -1; }
        int Release() override { return -1; }
        void ClientProviderChanged(IOcDataConsumerClientLink* client) override
        {
            Clients.push_back(client);
        }
        std::vector<IOcDataConsumerClientLink*> Clients;
    } server;
    C()->ServerLinked(&server);
    C()->SetProviderInterface(provider.get());
    ASSERT_EQ(server.Clients.size(), 1u);
    EXPECT_EQ(server.Clients[0], static_cast<IOcDataConsumerClientLink*>(C()));
    C()->ServerUnlinked(&server);
    C()->SetProviderInterface(nullptr);
    EXPECT_EQ(server.Clients.size(), 1u);
}

// ---- selection ------------------------------------------------------------------------------

TEST_F(Consumer, SelectionFindsItemsAnywhereAndKeepsItOnAnUnknownIdentifier)
{
    C()->SetProviderInterface(provider.get());
    auto* select = C()->FindImplementer<TOcDataConsumerItemSelect>();
    ASSERT_TRUE(select);
    owner->Changed.clear();
    select->SetItem("a1x");
    EXPECT_EQ(SelectedID(), "A1x") << "the lookup is recursive and ignores case";
    EXPECT_EQ(owner->Changed, (std::vector<TOcConsumerChangeReason>{cnrView}));
    EXPECT_EQ(provider->ConsumerDepth(), 0u);

    const int pushes = provider->Pushes;
    select->SetItem("A1x");
    EXPECT_EQ(provider->Pushes, pushes)
        << "the selected identifier again asks the provider nothing";

    ExpectError([&] { select->SetItem("Nope"); }, "Item not found in the selected context");
    EXPECT_EQ(SelectedID(), "A1x");
    EXPECT_EQ(provider->ConsumerDepth(), 0u) << "the access bracket ends on errors too";

    select->SetItem("");
    EXPECT_EQ(SelectedID(), "");
}

TEST_F(Consumer, DeletingTheSelectedItemsAncestorClearsTheSelectionFirst)
{
    C()->SetProviderInterface(provider.get());
    auto* select = C()->FindImplementer<TOcDataConsumerItemSelect>();
    select->SetItem("A1x");
    auto editing = TInterfacePtr<IOcDataItems>(provider->Data()).Query<IOcDataItemsEditing>();
    editing->DeleteItem(1); // B: unrelated
    EXPECT_EQ(SelectedID(), "A1x");
    editing->DeleteItem(0); // A, the grandparent
    EXPECT_EQ(SelectedID(), "");
    EXPECT_FALSE(provider->Data()->ItemByPath("A"));
}

TEST_F(Consumer, AnItemNamedBeforeItsProviderIsSelectedWhenTheProviderArrives)
{
    provider->Extensions = {};
    auto* select = TAggregatedPersistentEx::Create<TOcDataConsumerItemSelect>(C());
    ExpectError([&] { select->SetItem("C1"); },
                "You must specify a provider before setting the item");
    owner->SetLoading(true);
    select->SetItem("C1");
    EXPECT_EQ(select->PendingItemID, "C1");
    EXPECT_TRUE(C()->ExtensionFixupPending);
    owner->SetLoading(false);
    C()->SetProviderInterface(provider.get());
    EXPECT_EQ(SelectedID(), "C1");
    EXPECT_EQ(C()->ExtensionCount(), 1)
        << "streamed in without provider, the selection survives the switch";
}

TEST_F(Consumer, TheConsumerStreamsWithItsOwnersFormData)
{
    TTestForm form(nullptr);
    form.SetName("Form1");
    auto* source = new TTestProvider(&form);
    source->SetName("Provider1");
    BuildSampleTree(*source);
    source->AddContext("English");
    source->AddContext("German");
    auto* label = new TConsumerOwner(&form);
    label->SetName("Label1");
    label->Consumer()->SetProviderInterface(source);
    label->Consumer()->SetContext("German");
    label->Consumer()->FindImplementer<TOcDataConsumerItemSelect>()->SetItem("C1");

    TStringStream out;
    WriteComponentToStream(out, &form);
    const std::string bytes = out.DataString();
    for (const char* name : {"Provider.Context", "Provider.Provider", "Provider.Extensions"})
        EXPECT_NE(bytes.find(name), std::string::npos) << name;

    // The provider's name, the context and the item are parked while the form is read and
    // fixed up when the label is loaded.
    TTestForm copy(nullptr);
    TStringStream in(bytes);
    ReadComponentFromStream(in, &copy);
    auto* copied = dynamic_cast<TConsumerOwner*>(copy.FindComponent("Label1"));
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->Consumer()->ProviderInterface().Get(),
              static_cast<IOcDataProvider*>(
                  dynamic_cast<TTestProvider*>(copy.FindComponent("Provider1"))));
    EXPECT_EQ(copied->Consumer()->Context(), "German");
    auto selection =
        TInterfacePtr<IOcDataConsumer>(copied->Consumer()).Query<IOcDataConsumerSelection>();
    ASSERT_TRUE(selection);
    ASSERT_TRUE(selection->SelectedItem());
    EXPECT_EQ(selection->SelectedItem()->ID(), "C1");
    EXPECT_EQ(copied->Consumer()->ExtensionCount(), 1);
}
