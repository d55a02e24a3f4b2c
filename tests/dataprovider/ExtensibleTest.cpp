// Extensible objects and their implementers: interface lookup through implementers, shared
// count and identity, the implementer list's rules, and the "Extensions" stream property.
#include "ProviderFixture.h"

#include "core/FormText.h"
#include "core/Streams.h"

#include <gtest/gtest.h>

using namespace providerfixture;
using namespace classlib;

namespace {

class IProbe : public IInterface {
public:
    static constexpr TGUID IID = TGUID::FromText("{3E0C1B7A-55D2-4F0B-A9C4-7D21E6B0F319}");
    virtual int Which() = 0;
};

// Answers IProbe for its owner; Hidden keeps it out of the owner's queries.
class TProbeImpl : public TAggregatedPersistentEx, public IProbe {
    CLASSLIB_CLASS(TProbeImpl, TAggregatedPersistentEx)
    CLASSLIB_IINTERFACE_OF(TAggregatedPersistentEx)
    bool GetInterface(const TGUID& iid, void** obj) override
    {
        return GetInterfaceOf<IProbe>(this, iid, obj) ||
               TAggregatedPersistentEx::GetInterface(iid, obj);
    }
    int Which() override { return 1; }
    bool HiddenFromQueries() override { return Hidden; }
    bool Hidden = false;
    int Level = 0;
};

class TProbeImpl2 : public TProbeImpl {
    CLASSLIB_CLASS(TProbeImpl2, TProbeImpl)
    int Which() override { return 2; }
};

// Registered but not published to streams of implementers (the row view is such a class).
class TUnregisteredImpl : public TAggregatedPersistentEx {
    CLASSLIB_CLASS(TUnregisteredImpl, TAggregatedPersistentEx)
};

// An object to extend.
class TExtended : public TExtensibleInterfacedPersistent {
    CLASSLIB_CLASS(TExtended, TExtensibleInterfacedPersistent)
};

TExtended* NewExtended()
{
    return static_cast<TExtended*>(
        CreateOfClass<TExtended>(TExtended::StaticClass(), [](TExtended*) {}));
}

} // namespace

CLASSLIB_PUBLISH(TProbeImpl)
{
    c.Property("Level", &TProbeImpl::Level);
}
CLASSLIB_PUBLISH(TProbeImpl2) {}
CLASSLIB_PUBLISH(TUnregisteredImpl) {}
CLASSLIB_PUBLISH(TExtended) {}

namespace {
void Register()
{
    RegisterFixtureClasses();
    RegisterClasses(
        {&TProbeImpl::StaticClass(), &TProbeImpl2::StaticClass(), &TExtended::StaticClass()});
}
} // namespace

TEST(Extensible, ImplementersAnswerForTheOwnerWithItsCountAndIdentity)
{
    Register();
    TInterfacePtr<IInterface> owner = NewExtended()->Identity();
    auto* object =
        static_cast<TExtended*>(static_cast<TExtensibleInterfacedPersistent*>(owner.Get()));
    EXPECT_EQ(object->RefCount(), 1) << "construction leaves no count behind";
    EXPECT_FALSE(owner.Query<IProbe>());

    TProbeImpl* probe = TAggregatedPersistentEx::Create<TProbeImpl>(object);
    TInterfacePtr<IProbe> found = owner.Query<IProbe>();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Which(), 1);
    EXPECT_EQ(object->RefCount(), 2) << "the owner counts the implementer's interface";
    EXPECT_EQ(found.Query<IInterface>().Get(), object->Identity())
        << "and it is the owner's identity";

    // The later implementer answers first; a hidden one never answers.
    probe->Hidden = true;
    found.Reset();
    EXPECT_FALSE(owner.Query<IProbe>());
    probe->Hidden = false;

    // A second implementer of the same class, or of a class it derives from, is refused.
    try {
        TAggregatedPersistentEx::Create<TProbeImpl>(object);
        FAIL() << "no error";
    } catch (const draw::EOCLException& e) {
        EXPECT_EQ(e.Message(), "Implementation of that class already exists");
    }
    EXPECT_EQ(object->ImplementerCount(), 1);
    TAggregatedPersistentEx::Create<TProbeImpl2>(object);
    EXPECT_EQ(owner.Query<IProbe>()->Which(), 2) << "the last implementer is asked first";
    EXPECT_EQ(object->IndexOfImplementerClass(TProbeImpl::StaticClass()), 1)
        << "a descendant counts";

    object->RemoveImplementer(probe);
    EXPECT_EQ(object->ImplementerCount(), 1);
    object->RemoveImplementer(probe); // no longer there: ignored
    EXPECT_EQ(object->ImplementerCount(), 1);
}

TEST(Extensible, FreeingAnObjectThatIsStillReferencedIsAnInvalidPointerOperation)
{
    Register();
    TExtended* object = NewExtended();
    TInterfacePtr<IInterface> ref = object->Identity();
    try {
        object->Free();
        FAIL() << "no error";
    } catch (const EInvalidPointer& e) {
        EXPECT_EQ(e.Message(), "Invalid pointer operation");
    }
    object->HoldReference();
    object->DropHeldReference();
    EXPECT_EQ(object->RefCount(), 1) << "holding never destroys";
}

TEST(Extensible, ExtensionsAreStreamedOnlyForRegisteredImplementers)
{
    Register();
    TTestProvider provider(nullptr);
    provider.SetName("P");
    TOcBaseDataItem* item = AddTextItem(provider.Data(), "I");
    item->RemoveImplementer(item->Implementers(0));
    TAggregatedPersistentEx::Create<TUnregisteredImpl>(item);
    TStringStream out;
    WriteComponentToStream(out, &provider);
    const std::string text = ObjectBinaryToText(out.DataString());
    EXPECT_EQ(text.find("      Extensions"), std::string::npos)
        << "no streamable implementer, no property\n"
        << text;

    TAggregatedPersistentEx::Create<TProbeImpl>(item)->Level = 7;
    TStringStream again;
    WriteComponentToStream(again, &provider);
    const std::string withProbe = ObjectBinaryToText(again.DataString());
    EXPECT_NE(withProbe.find("ClassName = 'TProbeImpl'\n          Level = 7"), std::string::npos)
        << withProbe;
    EXPECT_EQ(withProbe.find("TUnregisteredImpl"), std::string::npos);
}

TEST(Extensible, ReadingExtensionsChecksEachEntryAndKeepsWhatTheObjectHad)
{
    Register();
    struct Case {
        const char* extensions;
        const char* error; // "" = none
    };
    const Case cases[] = {
        {"<\n item\n ClassName = 'TProbeImpl'\n Level = 3\n end>", ""},
        {"<\n item\n CLASSNAME = 'TProbeImpl'\n end>", ""},
        {"<\n item\n Level = 3\n end>", "Missing ClassName property"},
        {"<\n item\n ClassName = 'TExtended'\n end>", "Invalid class type"},
        {"<\n item\n ClassName = 'TOcDataConsumerItemSelect'\n end>", "Invalid class type"},
        {"<\n item\n ClassName = 'TNothing'\n end>", "TNothing not found"},
        {"'text'", "Expected collection"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extensions);
        const std::string text = std::string(
                                     "object P: TTestProvider\n Data.Items = <\n item\n ClassName "
                                     "= 'TOcBaseDataItem'\n") +
                                 " ID = 'I'\n end>\n Data.Extensions = " + c.extensions + "\nend\n";
        TTestProvider provider(nullptr);
        TStringStream in(ObjectTextToBinary(text));
        try {
            ReadComponentFromStream(in, &provider);
            EXPECT_STREQ(c.error, "");
            ASSERT_EQ(provider.Data()->ImplementerCount(), 2)
                << "the list's own editing implementer and the probe";
        } catch (const Exception& e) {
            EXPECT_NE(std::string(c.error), "") << e.Message();
            EXPECT_NE(e.Message().find(c.error), std::string::npos) << e.Message();
            EXPECT_EQ(provider.Data()->ImplementerCount(), 1) << "nothing added";
        }
    }
}
