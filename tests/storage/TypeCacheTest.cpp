// The cache of type records built at run time: reference counts, freeing a record together with
// one reference of the record it depends on, and emptying from the last entry. The sanitizer
// build reports a record freed twice or never.
#include "BcRTTI.h"

#include <gtest/gtest.h>

using namespace bcl;
using classlib::MakeEnumInfo;
using classlib::MakeSetInfo;
using classlib::TTypeInfo;

namespace {

// An enumeration (a, b, c), a subrange b..c of it and a set of the subrange, each a record of
// its own on the heap.
struct BuiltTypes {
    TTypeInfo* enumeration = new TTypeInfo(MakeEnumInfo("TLetters", {"a", "b", "c"}));
    TTypeInfo* subrange = [this] {
        auto* s = new TTypeInfo(*enumeration);
        s->Name = "TLateLetters";
        s->BaseType = enumeration;
        s->MinValue = 1;
        return s;
    }();
    TTypeInfo* set = new TTypeInfo(MakeSetInfo("TLateLetterSet", subrange));
};

TEST(TypeCache, ARecordGoesWithItsLastReferenceAndReleasesWhatItDependsOn)
{
    TBcTypeCache cache;
    BuiltTypes t;
    // Each dependent record holds one reference of the record it depends on.
    cache.AddReference(t.enumeration);
    cache.AddReference(t.subrange);
    cache.AddReference(t.enumeration);
    cache.AddReference(t.set);
    cache.AddReference(t.subrange);
    cache.AddReference(t.set);
    EXPECT_EQ(cache.Count(), 3);
    EXPECT_EQ(cache.ReferenceCount(t.enumeration), 2);
    EXPECT_EQ(cache.ReferenceCount(t.set), 2);

    cache.Release(t.set);
    EXPECT_EQ(cache.ReferenceCount(t.set), 1);
    EXPECT_EQ(cache.ReferenceCount(t.subrange), 2) << "the set still holds its element type";
    cache.Release(t.set);
    EXPECT_EQ(cache.ReferenceCount(t.set), 0);
    EXPECT_EQ(cache.ReferenceCount(t.subrange), 1);
    EXPECT_EQ(cache.Count(), 2);

    // A record that is not in the cache is left alone.
    const TTypeInfo outside = MakeEnumInfo("TOutside", {"x"});
    cache.Release(&outside);
    EXPECT_EQ(cache.Count(), 2);
}

TEST(TypeCache, EmptyingFreesEveryRecordFromTheLast)
{
    auto cache = std::make_unique<TBcTypeCache>();
    BuiltTypes t;
    cache->AddReference(t.enumeration);
    cache->AddReference(t.enumeration);
    cache->AddReference(t.subrange);
    cache->AddReference(t.subrange);
    cache->AddReference(t.set);
    // A set over a type of the class library, which the cache does not own.
    auto* byteSet = new TTypeInfo(MakeSetInfo("TByteSet", classlib::TypeInfoOf<unsigned char>()));
    cache->AddReference(byteSet);
    cache->ReleaseAll();
    EXPECT_EQ(cache->Count(), 0);
    // Destroying the cache empties it as well.
    BuiltTypes u;
    cache->AddReference(u.enumeration);
    cache->AddReference(u.subrange);
    cache->AddReference(u.set);
    cache.reset();
}

} // namespace
