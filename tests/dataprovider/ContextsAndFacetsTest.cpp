// Contexts (unique names, path lookups, deletion) and the item aspects that depend on them
// (per-context texts), with the notices every aspect sends.
#include "ProviderFixture.h"

#include <gtest/gtest.h>

#include <memory>

using namespace providerfixture;
using namespace classlib;

namespace {

class Contexts : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterFixtureClasses();
        provider = std::make_unique<TTestProvider>(nullptr);
        a = provider->AddContext("A");
        b = provider->AddContext("B");
        // A list below A: its contexts inherit A's values.
        below = TOcBaseDataContexts::Create<TOcDataContexts>(provider.get(), a.Get());
        belowRef = static_cast<IOcDataContexts*>(below);
        ab = provider->AddContext("AB", below);
        provider->Log.clear();
    }
    void TearDown() override
    {
        ab.Reset();
        belowRef.Reset();
        a.Reset();
        b.Reset();
        provider.reset();
    }
    std::string Find(IOcDataContexts* list, const char* path)
    {
        TInterfacePtr<IOcDataContext> context = list->ContextByPath(path);
        return context ? context->ContextName() : "(none)";
    }

    std::unique_ptr<TTestProvider> provider;
    TInterfacePtr<IOcDataContext> a, b, ab;
    TOcDataContexts* below = nullptr;
    TInterfacePtr<IOcDataContexts> belowRef;
};

} // namespace

TEST_F(Contexts, PathsWalkUpToAncestorsAndToTheRootList)
{
    IOcDataContexts* root = provider->Contexts();
    struct Case {
        IOcDataContexts* list;
        const char* path;
        const char* found;
    };
    const Case cases[] = {
        {root, "b", "B"},      {root, "..", "(none)"}, {root, "../A", "(none)"},
        {below, "AB", "AB"},   {below, "../B", "B"},   {below, "..\\B", "B"},
        {below, "/A", "A"},    {below, "\\B", "B"},    {below, "A", "(none)"},
        {root, "Q", "(none)"}, {root, "", "(none)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Find(c.list, c.path), c.found) << c.path;
    EXPECT_EQ(root->IndexOfContext(b.Get()), 1);
    EXPECT_EQ(root->IndexOfContext(ab.Get()), -1);
}

TEST_F(Contexts, NamesAreUniqueIgnoringCase)
{
    TOcDataContexts* root = provider->Contexts();
    EXPECT_THROW(TOcBaseDataContext::Create<TOcDataContext>(root, "a"), EOCLDataContexts)
        << "the name is checked when the context is made";
    // Made for another list, then inserted here.
    auto* twin = TOcBaseDataContext::Create<TOcDataContext>(below, "a");
    TInterfacePtr<IOcDataContext> twinRef = static_cast<IOcDataContext*>(twin);
    try {
        root->InsertContext(twinRef.Get());
        FAIL() << "no error";
    } catch (const EOCLDataContexts& e) {
        EXPECT_EQ(e.Message(), "A context with that name already exists");
    }
    EXPECT_EQ(root->ContextCount(), 2);
    root->InsertContext(a.Get()); // the same context again: nothing
    EXPECT_EQ(root->ContextCount(), 2);

    auto* managed = TOcBaseDataContext::Create<TOcManagedDataContext>(root, "M");
    TInterfacePtr<IOcDataContext> managedRef = static_cast<IOcDataContext*>(managed);
    root->InsertContext(managedRef.Get());
    auto rename = managedRef.Query<IOcDataContextRename>();
    ASSERT_TRUE(rename);
    EXPECT_THROW(rename->Rename("b"), EOCLDataContexts);
    rename->Rename("m");
    EXPECT_EQ(managedRef->ContextName(), "m") << "its own name in another case";
    EXPECT_FALSE(a.Query<IOcDataContextRename>())
        << "a plain context cannot be renamed through the interface";

    try {
        TOcBaseDataContext::Create<TOcDataContext>(nullptr, "X");
        FAIL() << "no error";
    } catch (const EOCLDataContexts& e) {
        EXPECT_EQ(e.Message(), "Cannot create a context without a context list owner");
    }
}

TEST_F(Contexts, DeletionNotifiesAndFixedContextsStay)
{
    TOcDataContexts* root = provider->Contexts();
    auto* fixed = TOcBaseDataContext::Create<TOcFixedDataContext>(root, "Fixed");
    TInterfacePtr<IOcDataContext> fixedRef = static_cast<IOcDataContext*>(fixed);
    root->InsertContext(fixedRef.Get());
    ASSERT_EQ(provider->Log.size(), 2u);
    EXPECT_EQ(provider->Log[0].reason, pnrContextAdded);
    EXPECT_EQ(provider->Log[0].source, nullptr) << "the root list has no ancestor";
    EXPECT_EQ(provider->Log[1].source, IdentityOf(fixedRef.Get()));
    EXPECT_TRUE(fixed->IsPermanent());

    provider->Log.clear();
    root->DeleteContextAt(2);
    EXPECT_EQ(root->ContextCount(), 3);
    EXPECT_TRUE(provider->Log.empty()) << "a fixed context is silently kept";

    below->RemoveContext(ab.Get());
    EXPECT_EQ(below->ContextCount(), 0);
    ASSERT_EQ(provider->Log.size(), 2u);
    EXPECT_EQ(provider->Log[0].reason, pnrContextDeleted);
    EXPECT_EQ(provider->Log[0].source, IdentityOf(ab.Get()));
    EXPECT_EQ(provider->Log[1].source, IdentityOf(a.Get()))
        << "the changed notice names the list's ancestor";

    root->ClearContexts();
    EXPECT_EQ(root->ContextCount(), 0);
}

TEST_F(Contexts, ContextTextsInheritFromAncestorsAndDropTheirOverride)
{
    TOcBaseDataItem* item = AddTextItem(provider->Data(), "I");
    item->RemoveImplementer(item->Implementers(0));
    auto* text = TAggregatedPersistentEx::Create<TOcDataItemContextTextImpl>(item);
    text->SetText("plain");
    provider->Log.clear();

    provider->PushContext(a.Get());
    text->WriteText("in A");
    EXPECT_EQ(text->ReadText(), "in A");
    provider->PopContext();
    EXPECT_EQ(text->ReadText(), "plain") << "without a context, the plain text";

    provider->PushContext(ab.Get());
    EXPECT_EQ(text->ReadText(), "in A") << "AB's list has A as ancestor";
    EXPECT_TRUE(text->HasNoOverride());
    const size_t notices = provider->Log.size();
    text->WriteText("in A");
    EXPECT_EQ(provider->Log.size(), notices) << "an inherited value is not copied";
    text->WriteText("in AB");
    EXPECT_EQ(text->ReadText(), "in AB");
    EXPECT_FALSE(text->HasNoOverride());
    EXPECT_FALSE(item->HasNoOverrides());
    text->DropOverride();
    EXPECT_EQ(text->ReadText(), "in A");
    EXPECT_TRUE(text->HasNoOverride());
    provider->PopContext();

    provider->PushContext(b.Get());
    EXPECT_EQ(text->ReadText(), "plain");
    provider->PopContext();

    // Forgetting A takes its text.
    item->ForgetContext(a.Get());
    provider->PushContext(a.Get());
    EXPECT_EQ(text->ReadText(), "plain");
    provider->PopContext();
}

TEST_F(Contexts, AspectsReportOnlyRealChanges)
{
    TOcBaseDataItem* item = AddTextItem(provider->Data(), "I", "same");
    auto* glyph = TAggregatedPersistentEx::Create<TOcDataItemImageImpl>(item);
    provider->Log.clear();
    TInterfacePtr<IOcDataItemText> text = TInterfacePtr<IOcDataItem>(item).Query<IOcDataItemText>();
    text->WriteText("same");
    glyph->SetImageIndex(0);
    glyph->SetAlignment(gaLeftJustify);
    EXPECT_TRUE(provider->Log.empty()) << "unchanged values send nothing";

    text->WriteText("Same");
    glyph->SetSelectedIndex(4);
    ASSERT_EQ(provider->Log.size(), 4u);
    for (const Notice& n : provider->Log) {
        EXPECT_EQ(n.reason, pnrItemUpdated);
        EXPECT_EQ(n.source, item->Identity());
    }
    auto* blockable = TAggregatedPersistentEx::Create<TOcDataItemBlockableTextImpl>(
        AddTextItem(provider->Data(), "J"));
    EXPECT_TRUE(blockable->CanEdit());
    blockable->SetReadOnly(true);
    EXPECT_FALSE(blockable->CanEdit());
    blockable->WriteText("still written");
    EXPECT_EQ(blockable->ReadText(), "still written") << "ReadOnly only answers CanEdit";
}

TEST_F(Contexts, AnAspectNeverAnswersTheOverrideInterfaceForAnother)
{
    TOcBaseDataItem* item = AddTextItem(provider->Data(), "I");
    auto* glyph = TAggregatedPersistentEx::Create<TOcDataItemImageImpl>(item);
    TAggregatedPersistentEx::Create<TOcDataItemContextTextImpl>(item);
    void* obj = nullptr;
    EXPECT_FALSE(glyph->QueryInterface(IOcDataContextOverride::IID, &obj))
        << "refused, not passed to the item";
    EXPECT_TRUE(glyph->QueryInterface(IOcDataItemText::IID, &obj))
        << "other interfaces come from the item";
    static_cast<IOcDataItemText*>(obj)->Release();
    EXPECT_TRUE(TInterfacePtr<IOcDataItem>(item).Query<IOcDataContextOverride>())
        << "the item itself has one";
}
