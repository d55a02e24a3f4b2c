// Feeds arbitrary bytes to the reader of item-tree streams: the properties of a provider's root
// list ("Extensions", "Items") are read from the input on top of a tree it already holds. Any input
// must end in a tree read completely, or in a stream read error or a framework error with the tree
// as it was; never in a crash, a leak or another exception.
#include "ProviderFixture.h"
#include "../support/FuzzInput.h"

#include "core/Streams.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace classlib;
using namespace providerfixture;

namespace {

std::string Dump(IOcDataItems* list)
{
    std::string out = "{";
    for (int i = 0; i < list->ItemCount(); ++i) {
        TInterfacePtr<IOcDataItem> item = list->ItemAt(i);
        out += item->ID() + "'" + TextOf(item.Get()) + "'";
        if (auto children = item.Query<IOcDataItems>())
            out += Dump(children.Get());
    }
    return out + "}";
}

// A stream of a small tree with every property the framework streams.
std::string SampleStream()
{
    TTestProvider provider(nullptr);
    provider.SetName("P");
    BuildSampleTree(provider);
    TOcBaseDataItem* b =
        static_cast<TOcBaseDataItem*>(provider.Data()->ItemByPath("B")->ImplementingObject());
    TAggregatedPersistentEx::Create<TOcDataItemImageImpl>(b)->SetImageIndex(2);
    TAggregatedPersistentEx::Create<TOcDataItemBlockableTextImpl>(
        static_cast<TOcBaseDataItem*>(provider.Data()->ItemByPath("C/C1")->ImplementingObject()));
    TStringStream out;
    TWriter writer(out);
    writer.WriteProperties(provider.Data());
    return out.DataString();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool registered = (RegisterFixtureClasses(), true);
    (void)registered;
    static const std::string sample = SampleStream();
    const std::string bytes = FuzzStreamBytes(sample, data, size);
    TTestProvider provider(nullptr);
    AddTextItem(provider.Data(), "Kept", "before");
    const std::string before = Dump(provider.Data());
    try {
        TStringStream in(bytes);
        TReader reader(in);
        // One property: each is read completely or not at all.
        reader.ReadProperty(provider.Data());
    } catch (const EReadError&) {
        if (Dump(provider.Data()) != before)
            std::abort(); // a half-read tree
        return 0;
    } catch (const draw::EOCLException&) {
        if (Dump(provider.Data()) != before)
            std::abort();
        return 0;
    }
    // A tree read completely writes out again.
    TStringStream out;
    TWriter writer(out);
    writer.WriteProperties(provider.Data());
    return 0;
}
