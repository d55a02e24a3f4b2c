#include "OcPropertyStorage.h"
#include "StorageFixture.h"

#include "core/Collection.h"

using namespace storage;
using namespace storagetest;
using namespace classlib;

namespace storagetest {

enum TPanelMode { pmHidden, pmSmall, pmLarge };
CLASSLIB_ENUM(TPanelMode);
CLASSLIB_DEFINE_ENUM(TPanelMode, "pmHidden", "pmSmall", "pmLarge")

// A control-like component with the kinds of properties a form stores.
class TStoredThing : public TComponent {
    CLASSLIB_CLASS(TStoredThing, TComponent)
    explicit TStoredThing(TComponent* owner) : TComponent(owner) { Lines = new TStringList(); }
    ~TStoredThing() override { delete Lines; }
    bool Checked = false;
    int ItemIndex = -1;
    std::string FileName;
    TPanelMode Mode = pmSmall;
    TSet<TPanelMode> Modes;
    double Ratio = 0;
    long long Big = 0;
    TStringList* Lines;
    TStringList* GetLines() const { return Lines; }
};

CLASSLIB_PUBLISH(TStoredThing)
{
    c.Property("Checked", &TStoredThing::Checked).SetDefault(false);
    c.Property("ItemIndex", &TStoredThing::ItemIndex).SetDefault(-1);
    c.Property("FileName", &TStoredThing::FileName);
    c.Property("Mode", &TStoredThing::Mode).SetDefault(pmSmall);
    c.Property("Modes", &TStoredThing::Modes);
    c.Property("Ratio", &TStoredThing::Ratio);
    c.Property("Big", &TStoredThing::Big);
    c.Property("Lines", &TStoredThing::GetLines);
}

class TPoint3 : public TCollectionItem {
    CLASSLIB_CLASS(TPoint3, TCollectionItem)
    explicit TPoint3(TCollection* c) : TCollectionItem(c) {}
    int X = 0;
    std::string Label;
};
CLASSLIB_PUBLISH(TPoint3)
{
    c.Property("X", &TPoint3::X);
    c.Property("Label", &TPoint3::Label);
}

// Components that refer to each other (a cycle) and own a sub-component.
class TLinked : public TComponent {
    CLASSLIB_CLASS(TLinked, TComponent)
    explicit TLinked(TComponent* owner) : TComponent(owner) {}
    int Value = 0;
    TComponent* Partner = nullptr;
    TComponent* Inner = nullptr;
    TComponent* GetPartner() const { return Partner; }
    TComponent* GetInner() const { return Inner; }
};
CLASSLIB_PUBLISH(TLinked)
{
    c.Property("Value", &TLinked::Value);
    c.Property("Partner", &TLinked::GetPartner);
    c.Property("Inner", &TLinked::GetInner);
}

} // namespace storagetest

struct PropertyStorageTest : IniStorageTest {
    PropertyStorageTest() : form(new TComponent(nullptr))
    {
        form->SetName("Dovrel");
        box = new TStoredThing(form);
        box->SetName("CheckBoxClose");
        combo = new TStoredThing(form);
        combo->SetName("MCUComboBox");
        props.AppStorage = ini;
        props.AppStoragePath = "frmDovrel\\";
    }
    ~PropertyStorageTest() override { form->Free(); }
    void Bind(std::initializer_list<const char*> lines)
    {
        for (const char* line : lines)
            stored.Add(line);
        SyncStoredList(form, &stored, true);
    }
    TComponent* form;
    TStoredThing* box;
    TStoredThing* combo;
    TStringList stored;
    TOcPropertyStorage props;
};

TEST(StoredItems, SplitJoinRename)
{
    const TStoredItem item = SplitStoredItem(" CheckBoxClose . Checked ");
    EXPECT_TRUE(item.Valid);
    EXPECT_EQ(item.Component, "CheckBoxClose");
    EXPECT_EQ(item.Property, "Checked");
    EXPECT_FALSE(SplitStoredItem("NoDot").Valid);
    EXPECT_FALSE(SplitStoredItem(".Checked").Valid);
    EXPECT_EQ(JoinStoredItem("a", ""), "");
    EXPECT_EQ(RenameStoredItem("Old.Prop.Sub", "New"), "New.Prop.Sub");
    EXPECT_EQ(RenameStoredItem("bad", "New"), "");
}

TEST_F(PropertyStorageTest, StoresUnderComponentUnderscorePropertyInListOrder)
{
    Bind({"CheckBoxClose . Checked", "MCUComboBox.ItemIndex", "MCUComboBox.FileName",
          "Ghost.Checked", "MCUComboBox.NoSuchProperty"});
    EXPECT_EQ(stored.Count(), 4); // the unknown component is dropped when bound
    box->Checked = true;
    combo->ItemIndex = 3;
    combo->FileName = "C:\\fw\\blink.hex";
    props.StoreComponentProperties(form, &stored);
    EXPECT_EQ(Text(),
              "[frmDovrel]\r\nCheckBoxClose_Checked=TRUE\r\nMCUComboBox_ItemIndex=3\r\n"
              "MCUComboBox_FileName=C:\\fw\\blink.hex\r\n\r\n");

    box->Checked = false;
    combo->ItemIndex = -1;
    combo->FileName.clear();
    props.LoadComponentProperties(form, &stored);
    EXPECT_TRUE(box->Checked);
    EXPECT_EQ(combo->ItemIndex, 3);
    EXPECT_EQ(combo->FileName, "C:\\fw\\blink.hex");
}

TEST_F(PropertyStorageTest, DamagedValuesKeepTheirPropertyAndSpareTheOthers)
{
    Bind({"CheckBoxClose.Checked", "MCUComboBox.ItemIndex", "MCUComboBox.Mode", "MCUComboBox.Modes",
          "MCUComboBox.Ratio", "MCUComboBox.Big", "MCUComboBox.FileName"});
    Load(
        "[frmDovrel]\r\nCheckBoxClose_Checked=perhaps\r\nMCUComboBox_ItemIndex=12abc\r\n"
        "MCUComboBox_Mode=99\r\nMCUComboBox_Modes=[pmNone]\r\nMCUComboBox_Ratio=zz\r\n"
        "MCUComboBox_Big=99999999999999999999999\r\nMCUComboBox_FileName=kept going\r\n");
    box->Checked = true;
    props.LoadComponentProperties(form, &stored);
    EXPECT_TRUE(box->Checked);
    EXPECT_EQ(combo->ItemIndex, -1);
    EXPECT_EQ(combo->Mode, pmSmall);
    EXPECT_TRUE(combo->Modes.Empty());
    EXPECT_EQ(combo->Ratio, 0);
    EXPECT_EQ(combo->Big, 0);
    EXPECT_EQ(combo->FileName, "kept going");

    Load("[frmDovrel]\r\nCheckBoxClose_Checked=no\r\n");
    props.LoadComponentProperties(form, &stored);
    EXPECT_FALSE(box->Checked);
}

TEST_F(PropertyStorageTest, RenamedComponentStoresUnderItsNewName)
{
    Bind({"CheckBoxClose.Checked"});
    box->SetName("CloseBox");
    props.StoreComponentProperties(form, &stored);
    EXPECT_EQ(stored[0], "CloseBox.Checked");
    EXPECT_EQ(Text(), "[frmDovrel]\r\nCloseBox_Checked=FALSE\r\n\r\n");
}

// A property that refers to a free-standing component is not followed (components refer to
// each other in cycles, and each stores itself); a sub-component is stored inside its owner.
TEST_F(IniStorageTest, ReferencedComponentsAreNotFollowedButSubComponentsAre)
{
    auto* a = new TLinked(nullptr);
    auto* b = new TLinked(nullptr);
    auto* inner = new TLinked(a);
    inner->SetSubComponent(true);
    inner->Value = 7;
    a->Value = 1;
    b->Value = 2;
    a->Partner = b;
    b->Partner = a;
    a->Inner = inner;
    ini->StoreObjectProperties("a", a, nullptr); // returns: the cycle is not walked
    EXPECT_EQ(ini->LoadInteger("a\\Value", 0), 1);
    EXPECT_EQ(ini->LoadInteger("a\\Inner\\Value", 0), 7);
    EXPECT_FALSE(ini->IsStoredFolder("a\\Partner"));
    EXPECT_EQ(ini->LoadInteger("a\\Partner\\Value", -1), -1);
    a->Free();
    b->Free();
}

TEST_F(IniStorageTest, ObjectsStringListsAndCollectionsRoundTrip)
{
    auto* thing = new TStoredThing(nullptr);
    thing->Checked = true;
    thing->Mode = pmLarge;
    thing->Modes = {pmHidden, pmLarge};
    thing->Ratio = 0.1;
    thing->Big = 1LL << 40;
    thing->Lines->SetText("one\ntwo");
    ini->StoreObjectProperties("obj", thing, nullptr);
    auto* copy = new TStoredThing(nullptr);
    ini->LoadObjectProperties("obj", copy, nullptr);
    EXPECT_TRUE(copy->Checked);
    EXPECT_EQ(copy->Mode, pmLarge);
    EXPECT_EQ(copy->Modes, thing->Modes);
    EXPECT_EQ(copy->Ratio, 0.1);
    EXPECT_EQ(copy->Big, 1LL << 40);
    EXPECT_EQ(copy->Lines->CommaText(), "one,two");
    EXPECT_EQ(ini->LoadString("obj\\Mode", ""), "pmLarge");

    TCollection points(TPoint3::StaticClass());
    for (int i = 0; i < 3; ++i) {
        auto* p = static_cast<TPoint3*>(points.Add());
        p->X = i * 10;
        p->Label = "p" + std::to_string(i);
    }
    ini->StoreCollection("pts", &points);
    points.Delete(2);
    ini->StoreCollection("pts", &points); // the surplus item goes
    EXPECT_FALSE(ini->IsStoredFolder("pts\\Item2"));
    TCollection back(TPoint3::StaticClass());
    EXPECT_EQ(ini->LoadCollection("pts", &back), 2);
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(static_cast<TPoint3*>(back.Items(1))->X, 10);
    EXPECT_EQ(static_cast<TPoint3*>(back.Items(1))->Label, "p1");
    thing->Free();
    copy->Free();
}

namespace {

// Takes over the string list of one chosen object and records what it was asked to do.
class TLinesEngine : public TOcAppStoragePropertyEngine {
public:
    explicit TLinesEngine(TObject* taken) : taken_(taken) {}
    bool Supports(TObject*, TObject* propertyObject) override { return propertyObject == taken_; }
    void ReadProperty(TOcCustomAppStorage& storage, const std::string& path, TObject*, bool, bool,
                      TObject* propertyObject) override
    {
        static_cast<TStrings*>(propertyObject)->SetText(storage.LoadString(path, "?"));
    }
    void WriteProperty(TOcCustomAppStorage& storage, const std::string& path, TObject*, bool,
                       TObject* propertyObject) override
    {
        storage.StoreString(path, "engine:" + static_cast<TStrings*>(propertyObject)->CommaText());
    }

private:
    TObject* taken_;
};

} // namespace

TEST_F(IniStorageTest, RegisteredEngineTakesOverTheClassPropertiesItSupports)
{
    auto* taken = new TStoredThing(nullptr);
    auto* other = new TStoredThing(nullptr);
    taken->Lines->SetText("a\nb");
    other->Lines->SetText("c\nd");
    ASSERT_NE(RegisteredAppStoragePropertyEngineList(), nullptr);
    RegisteredAppStoragePropertyEngineList()->Add(new TLinesEngine(taken->Lines));

    ini->StoreObjectProperties("taken", taken, nullptr);
    ini->StoreObjectProperties("other", other, nullptr);
    EXPECT_EQ(ini->LoadString("taken\\Lines", ""), "engine:a,b");
    EXPECT_EQ(ini->LoadInteger("taken\\Lines\\Count", -1), -1);
    EXPECT_EQ(ini->LoadInteger("other\\Lines\\Count", 0), 2)
        << "an unsupported object keeps the built-in handling";

    taken->Lines->Clear();
    ini->LoadObjectProperties("taken", taken, nullptr);
    EXPECT_EQ(taken->Lines->Strings(0), "engine:a,b");
    taken->Free();
    other->Free();
}

TEST(PropertyStoreIgnoreList, NamesAndCombination)
{
    EXPECT_STREQ(PropertyStoreIgnoreList.front(), "AboutOCL");
    EXPECT_STREQ(PropertyStoreIgnoreList[5], "Name");
    EXPECT_STREQ(PropertyStoreIgnoreList[9], "DeleteBeforeStore");
    EXPECT_STREQ(PropertyStoreIgnoreList.back(), "SynchronizeStoreProperties");

    TStringList first, second, target;
    first.SetText("Tag\nName");
    second.SetText("Caption");
    target.SetText("stale");
    CombineIgnoreLists(target, &first, &second);
    EXPECT_EQ(target.CommaText(), "Tag,Name,Caption");
    CombineIgnoreLists(target, nullptr, &second);
    EXPECT_EQ(target.CommaText(), "Caption");
}

namespace storagetest {

// Stores one value of its own; with `alsoPublished` it asks for its published properties too.
class TSelfStorer : public TComponent, public ISelfStoringObject, public IStoreAlsoPublished {
    CLASSLIB_CLASS(TSelfStorer, TComponent)
    explicit TSelfStorer(TComponent* owner) : TComponent(owner) {}
    bool alsoPublished = false;
    int Level = 0;
    WideString Title;
    std::string own;
    void ReadFromAppStorage(TOcCustomAppStorage& storage, const std::string& path) override
    {
        own = storage.LoadString(JoinStoragePaths({path, "Own"}), "none");
    }
    void WriteToAppStorage(TOcCustomAppStorage& storage, const std::string& path) override
    {
        storage.StoreString(JoinStoragePaths({path, "Own"}), own);
    }
    bool QueryInterface(const TGUID& iid, void** obj) override
    {
        return TComponent::QueryInterface(iid, obj);
    }
    int AddRef() override { return TComponent::AddRef(); }
    int Release() override { return TComponent::Release(); }
    bool GetInterface(const TGUID& iid, void** obj) override
    {
        if (GetInterfaceOf<ISelfStoringObject>(this, iid, obj))
            return true;
        if (alsoPublished && GetInterfaceOf<IStoreAlsoPublished>(this, iid, obj))
            return true;
        return TComponent::GetInterface(iid, obj);
    }
};

CLASSLIB_PUBLISH(TSelfStorer)
{
    c.Property("Level", &TSelfStorer::Level).SetDefault(0);
    c.Property("Title", &TSelfStorer::Title);
}

} // namespace storagetest

TEST_F(IniStorageTest, SelfStoringObjectsStoreAlsoPublishedAndWideStrings)
{
    for (bool alsoPublished : {false, true}) {
        SCOPED_TRACE(alsoPublished);
        Load("");
        auto* object = new TSelfStorer(nullptr);
        object->alsoPublished = alsoPublished;
        object->own = "mine";
        object->Level = 4;
        object->Title = L"Gr\u00FC\u00DFe \u0416"; // beyond the ANSI code page
        ini->StoreObjectProperties("obj", object, nullptr);
        EXPECT_EQ(ini->LoadString("obj\\Own", ""), "mine");
        EXPECT_EQ(ini->LoadInteger("obj\\Level", -1), alsoPublished ? 4 : -1);

        auto* copy = new TSelfStorer(nullptr);
        copy->alsoPublished = alsoPublished;
        ini->LoadObjectProperties("obj", copy, nullptr);
        EXPECT_EQ(copy->own, "mine");
        EXPECT_EQ(copy->Level, alsoPublished ? 4 : 0);
        EXPECT_EQ(copy->Title, alsoPublished ? object->Title : WideString());
        object->Free();
        copy->Free();
    }
}

TEST_F(IniStorageTest, TranslatedPropertyNamesNameTheKeys)
{
    struct Translator {
        std::vector<std::string> calls;
        void Translate(TOcCustomAppStorage*, TObject*, std::string& name, bool reading)
        {
            calls.push_back(name + (reading ? " r" : " w"));
            name = "x" + name;
        }
    } translator;
    ini->OnTranslatePropertyName =
        TOcTranslatePropertyNameEvent(&translator, &Translator::Translate);
    auto* thing = new TStoredThing(nullptr);
    thing->ItemIndex = 2;
    TStringList ignore;
    ignore.SetText("Checked\nFileName\nMode\nModes\nRatio\nBig\nLines");
    ini->StoreObjectProperties("t", thing, &ignore);
    EXPECT_EQ(ini->LoadInteger("t\\xItemIndex", -5), 2);
    EXPECT_EQ(ini->LoadInteger("t\\ItemIndex", -5), -5);
    thing->ItemIndex = 0;
    ini->LoadObjectProperties("t", thing, &ignore);
    EXPECT_EQ(thing->ItemIndex, 2);
    EXPECT_NE(std::find(translator.calls.begin(), translator.calls.end(), "ItemIndex w"),
              translator.calls.end());
    EXPECT_NE(std::find(translator.calls.begin(), translator.calls.end(), "ItemIndex r"),
              translator.calls.end());
    thing->Free();
}
