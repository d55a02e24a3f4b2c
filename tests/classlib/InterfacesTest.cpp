// Interfaces of the class library: counted references, the interface list, aggregation
// (an aggregated object answers with its controller's count and identity) and the
// interface cast with its error class.
#include "core/Lists.h"
#include "core/TypeInfo.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace classlib;

namespace {

class IShape : public IInterface {
public:
    static constexpr TGUID IID = TGUID::FromText("{8D1E5F0A-2B6C-4C1D-9E3F-1A2B3C4D5E6F}");
    virtual int Corners() = 0;
};

class ILabelled : public IInterface {
public:
    static constexpr TGUID IID = TGUID::FromText("{0C9B7A65-4D3E-4F21-8A0B-C1D2E3F40516}");
    virtual std::string Label() = 0;
};

// A counted object that records its own destruction.
class TSquare : public TInterfacedObject, public IShape {
    CLASSLIB_CLASS(TSquare, TInterfacedObject)
    explicit TSquare(int* destroyed = nullptr) : destroyed_(destroyed) {}
    ~TSquare() override
    {
        if (destroyed_)
            ++*destroyed_;
    }
    CLASSLIB_IINTERFACE_OF(TInterfacedObject)
    int Corners() override { return 4; }
    bool GetInterface(const TGUID& iid, void** obj) override
    {
        return GetInterfaceOf<IShape>(this, iid, obj) || TInterfacedObject::GetInterface(iid, obj);
    }

private:
    int* destroyed_;
};

// Implements ILabelled for a controller that does not know the interface itself.
class TLabelPart : public TAggregatedObject, public ILabelled {
    CLASSLIB_CLASS(TLabelPart, TAggregatedObject)
    using TAggregatedObject::TAggregatedObject;
    CLASSLIB_IINTERFACE_OF(TAggregatedObject)
    std::string Label() override { return "square"; }
    bool GetInterface(const TGUID& iid, void** obj) override
    {
        return GetInterfaceOf<ILabelled>(this, iid, obj) ||
               TAggregatedObject::GetInterface(iid, obj);
    }
};

// A square that hands ILabelled queries to an aggregated part it owns.
class TLabelledSquare : public TSquare {
    CLASSLIB_CLASS(TLabelledSquare, TSquare)
    explicit TLabelledSquare(int* destroyed)
        : TSquare(destroyed), part_(new TLabelPart(static_cast<IShape*>(this)))
    {
    }
    ~TLabelledSquare() override { part_->Free(); }
    bool GetInterface(const TGUID& iid, void** obj) override
    {
        return TSquare::GetInterface(iid, obj) || part_->GetInterface(iid, obj);
    }
    TLabelPart* Part() const { return part_; }

private:
    TLabelPart* part_;
};

} // namespace

CLASSLIB_PUBLISH(TSquare) {}
CLASSLIB_PUBLISH(TLabelPart) {}
CLASSLIB_PUBLISH(TLabelledSquare) {}

TEST(InterfaceList, HoldsCountedReferencesAndReleasesThemOnDeleteClearAndDestruction)
{
    int destroyed = 0;
    auto* list = new TInterfaceList;
    TInterfacePtr<IShape> a(new TSquare(&destroyed));
    TInterfacePtr<IShape> b(new TSquare(&destroyed));
    IShape* rawA = a.Get();
    EXPECT_EQ(list->Add(a), 0);
    EXPECT_EQ(list->Add(b), 1);
    list->Insert(0, TInterfacePtr<IShape>(new TSquare(&destroyed)));
    a.Reset();
    b.Reset();
    EXPECT_EQ(destroyed, 0) << "the list keeps its entries alive";
    ASSERT_EQ(list->Count(), 3);
    EXPECT_EQ(list->IndexOf(rawA), 1);

    list->Delete(0);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(list->Remove(rawA), 0);
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(list->Remove(rawA), -1) << "an absent entry is not removed twice";
    EXPECT_THROW(list->Items(1), EListError);
    EXPECT_THROW(list->Insert(2, nullptr), EListError);
    list->Add(TInterfacePtr<IShape>(new TSquare(&destroyed)));
    list->Exchange(0, 1);
    EXPECT_EQ(list->First().Query<IShape>()->Corners(), 4);
    list->Clear();
    EXPECT_EQ(destroyed, 4);
    EXPECT_EQ(list->Count(), 0);

    list->Add(TInterfacePtr<IShape>(new TSquare(&destroyed)));
    list->Free();
    EXPECT_EQ(destroyed, 5) << "freeing the list releases what it still holds";
}

TEST(InterfaceList, AddsFromSeveralThreadsUnderItsLock)
{
    TInterfacePtr<IInterface> list(static_cast<TInterfacedObject*>(new TInterfaceList));
    auto* raw = static_cast<TInterfaceList*>(static_cast<TInterfacedObject*>(list.Get()));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([raw] {
            for (int i = 0; i < 200; ++i)
                raw->Add(TInterfacePtr<IShape>(new TSquare));
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(raw->Count(), 800);
}

TEST(Aggregation, AnAggregatedPartSharesTheControllersCountAndIdentity)
{
    int destroyed = 0;
    TInterfacePtr<IShape> shape(new TLabelledSquare(&destroyed));
    auto* square = static_cast<TLabelledSquare*>(static_cast<TSquare*>(shape.Get()));
    ASSERT_EQ(square->RefCount(), 1);

    TInterfacePtr<ILabelled> label = shape.Query<ILabelled>();
    ASSERT_TRUE(label);
    EXPECT_EQ(label->Label(), "square");
    EXPECT_EQ(label.Get(), static_cast<ILabelled*>(square->Part())) << "the part answers the query";
    EXPECT_EQ(square->RefCount(), 2) << "the reference counts on the controller";

    // Back from the part to the controller's interfaces and identity.
    TInterfacePtr<IShape> back = label.Query<IShape>();
    ASSERT_TRUE(back);
    EXPECT_EQ(back.Get(), shape.Get());
    EXPECT_TRUE(SameInterfaceObject(label.Get(), shape.Get()));
    EXPECT_EQ(InterfaceIdentity(label.Get()), InterfaceIdentity(shape.Get()));

    shape.Reset();
    back.Reset();
    EXPECT_EQ(destroyed, 0) << "the part's reference keeps the controller alive";
    label.Reset();
    EXPECT_EQ(destroyed, 1);
}

TEST(Aggregation, AnAggregatedObjectWithoutControllerAnswersNothing)
{
    TLabelPart part(nullptr);
    void* obj = &part;
    EXPECT_FALSE(part.QueryInterface(ILabelled::IID, &obj));
    EXPECT_EQ(obj, nullptr);
    EXPECT_EQ(part.AddRef(), -1);
    EXPECT_EQ(part.Release(), -1);
}

TEST(InterfaceCast, QueriesByIdentifierAndRaisesTheCastErrorForAMissingInterface)
{
    TInterfacePtr<IShape> square(new TSquare);
    void* obj = nullptr;
    EXPECT_TRUE(QueryByID(square.Get(), IShape::IID, &obj));
    static_cast<IShape*>(obj)->Release();
    EXPECT_FALSE(QueryByID(square.Get(), ILabelled::IID, &obj));
    EXPECT_FALSE(QueryByID(nullptr, IShape::IID, &obj));

    EXPECT_EQ(InterfaceCast<IShape>(square).Get(), square.Get());
    EXPECT_FALSE(InterfaceCast<ILabelled>(TInterfacePtr<IShape>()));
    try {
        InterfaceCast<ILabelled>(square);
        FAIL() << "no error";
    } catch (const EIntfCastError& e) {
        EXPECT_EQ(e.Message(), "Interface not supported");
        EXPECT_EQ(e.ClassName(), "EIntfCastError");
    }
    EXPECT_FALSE(SameInterfaceObject(square.Get(), TInterfacePtr<IShape>(new TSquare).Get()));
}
