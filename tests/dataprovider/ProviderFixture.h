#pragma once
// A provider component for the framework's tests and fuzz target: it owns a root item list
// (published as "Data", so its tree streams as "Data.Items"), optionally a root context list,
// keeps the listener, consumer and context stacks the contract asks for, and logs every
// notice it passes on.
#include "dataprovider/OcDataFacets.h"
#include "dataprovider/OcDataConsumer.h"
#include "dataprovider/OcDataContexts.h"
#include "dataprovider/OcDataViewList.h"

#include <string>
#include <vector>

namespace providerfixture {

using namespace dataprovider;
using classlib::TComponent;

struct Notice {
    bool after;
    TOcProviderChangeReason reason;
    IInterface* source; // identity of the source object, or nullptr
};

class TTestProvider : public TComponent, public IOcDataProvider, public IOcDataProviderComponent {
    CLASSLIB_CLASS(TTestProvider, TComponent)
    explicit TTestProvider(TComponent* owner);
    ~TTestProvider() override;

    bool QueryInterface(const TGUID& iid, void** obj) override;
    int AddRef() override { return -1; }
    int Release() override { return -1; }
    bool GetInterface(const TGUID& iid, void** obj) override;

    // IOcDataProvider
    void AddListener(IOcDataProviderListener* listener) override;
    void RemoveListener(IOcDataProviderListener* listener) override;
    TInterfacePtr<IOcDataItems> RootItemList() override { return root_; }
    void NotifyChanging(TOcProviderChangeReason reason, IInterface* source) override;
    void NotifyChanged(TOcProviderChangeReason reason, IInterface* source) override;
    std::vector<const classlib::TMetaClass*> ExtensionClasses() override { return Extensions; }
    void PushConsumer(IOcDataConsumer* consumer) override
    {
        ++Pushes;
        consumers_.emplace_back(consumer);
    }
    TInterfacePtr<IOcDataConsumer> CurrentConsumer() override;
    void PopConsumer() override { consumers_.pop_back(); }
    void PushContext(IOcDataContext* context) override { contexts_.emplace_back(context); }
    TInterfacePtr<IOcDataContext> CurrentContext() override;
    void PopContext() override { contexts_.pop_back(); }

    // IOcDataProviderComponent
    TComponent* ProviderComponent() override { return this; }

    TOcDataItemsList* Data() const
    {
        return static_cast<TOcDataItemsList*>(root_->ImplementingObject());
    }
    // The root context list, made on first use.
    TOcDataContexts* Contexts();
    // A context of the root list (inserted).
    TInterfacePtr<IOcDataContext> AddContext(const std::string& name,
                                             TOcDataContexts* list = nullptr);
    // The root contexts' names, comma separated; setting it adds the contexts (published, so a
    // provider read from a form has its contexts before the form's consumers are loaded).
    std::string ContextNames() const;
    void SetContextNames(const std::string& names);
    // Tells the listeners that the provider goes away.
    void Close();

    size_t ConsumerDepth() const { return consumers_.size(); }
    size_t ContextDepth() const { return contexts_.size(); }
    int ListenerCount() const { return static_cast<int>(listeners_.size()); }

    std::vector<const classlib::TMetaClass*> Extensions{&TOcDataConsumerItemSelect::StaticClass()};
    std::vector<Notice> Log;
    bool AnswerContexts = true;
    int Pushes = 0; // consumers pushed so far

private:
    TInterfacePtr<IOcDataItems> root_;
    TInterfacePtr<IOcDataContexts> rootContexts_;
    std::vector<IOcDataProviderListener*> listeners_;
    std::vector<TInterfacePtr<IOcDataConsumer>> consumers_;
    std::vector<TInterfacePtr<IOcDataContext>> contexts_;
};

// Registers the framework's classes and the fixture's (idempotent).
void RegisterFixtureClasses();

// An item with a text aspect appended to `list` (through its editing implementer when it has
// one, so the provider hears of it).
TOcBaseDataItem* AddTextItem(IOcDataItems* list, const std::string& id,
                             const std::string& text = {});
// The sub-item list of `item`, made when it has none.
TOcDataItemsList* ChildrenOf(TOcBaseDataItem* item);
// The text of an item's text aspect ("" without one).
std::string TextOf(IOcDataItem* item);
// The identity of an interface reference, for comparing with logged sources.
IInterface* IdentityOf(IInterface* intf);

// A tree of three levels in `provider`'s root list:
//   A (text "Alpha") > A1 > A1x, A2;  B;  C > C1
void BuildSampleTree(TTestProvider& provider);

} // namespace providerfixture
