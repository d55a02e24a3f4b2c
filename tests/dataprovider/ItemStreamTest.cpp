// Checks against outside tools: item identifiers against Python's uuid, and streaming of item
// trees in the component-stream format: the "Items", "SubItems" and
// "Extensions" properties, checked against Free Pascal's converter (an outside implementation
// of the format), read back equal, and broken streams that leave the tree as it was.
#include "ProviderFixture.h"

#include "core/FormText.h"
#include "core/Streams.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

using namespace providerfixture;
using namespace classlib;

namespace {

// An item class whose standard text aspect exists from construction on.
class TCaptionedItem : public TOcBaseDataItem {
    CLASSLIB_CLASS(TCaptionedItem, TOcBaseDataItem)

protected:
    void CreateDefaultImplementers() override
    {
        TAggregatedPersistentEx::Create<TOcDataItemTextImpl>(this);
    }
};

// A second list class, to switch an item's sub-item list by stream.
class TOtherItemsList : public TOcDataItemsList {
    CLASSLIB_CLASS(TOtherItemsList, TOcDataItemsList)
};

} // namespace

CLASSLIB_PUBLISH(TCaptionedItem) {}
CLASSLIB_PUBLISH(TOtherItemsList) {}

namespace {

void RegisterAll()
{
    RegisterFixtureClasses();
    RegisterClasses({&TCaptionedItem::StaticClass(), &TOtherItemsList::StaticClass()});
}

// "ID 'text' [children]" of a list, recursively, with the classes of lists and aspects.
std::string Dump(IOcDataItems* list)
{
    std::string out = list->ImplementingObject()->ClassName() + "{";
    for (int i = 0; i < list->ItemCount(); ++i) {
        TInterfacePtr<IOcDataItem> item = list->ItemAt(i);
        auto* object = static_cast<TOcBaseDataItem*>(item->ImplementingObject());
        out += (i ? " " : "") + item->ID() + ":" + object->ClassName() + "'" + TextOf(item.Get()) +
               "'";
        for (int k = 0; k < object->ImplementerCount(); ++k)
            out += "+" + object->Implementers(k)->ClassName();
        if (auto glyph = item.Query<IOcDataItemGlyph>())
            out += "#" + std::to_string(glyph->ImageIndex()) + "/" +
                   std::to_string(glyph->SelectedIndex()) + "/" +
                   std::to_string(glyph->Alignment());
        if (auto children = item.Query<IOcDataItems>())
            out += Dump(children.Get());
    }
    return out + "}";
}

std::string StreamOf(TComponent* component)
{
    TStringStream out;
    WriteComponentToStream(out, component);
    return out.DataString();
}

void ReadInto(TComponent* component, const std::string& bytes)
{
    TStringStream in(bytes);
    ReadComponentFromStream(in, component);
}

std::string Slurp(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Free Pascal's converter over `input` ("b2t" or "t2b").
std::string Convert(const char* direction, const std::string& input, const char* tag)
{
    const std::string dir = ::testing::TempDir();
    const std::string in = dir + tag + ".in";
    const std::string out = dir + tag + ".out";
    std::ofstream(in, std::ios::binary) << input;
    std::remove(out.c_str());
    const std::string command =
        std::string(BRENVIK_STREAMCONV) + " " + direction + " " + in + " " + out;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return Slurp(out);
}

// The converter pads some lines of collections with trailing blanks; they carry nothing.
std::string WithoutTrailingBlanks(const std::string& text)
{
    std::string out;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        line.erase(line.find_last_not_of(' ') + 1);
        out += line + "\n";
    }
    return out;
}

// Runs a command and answers its standard output.
std::string RunCommand(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return output;
    char buffer[256];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << command;
    return output;
}

class ItemStream : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterAll();
        provider = std::make_unique<TTestProvider>(nullptr);
        provider->SetName("Provider1");
        IOcDataItems* root = provider->Data();
        TOcBaseDataItem* a = AddTextItem(root, "A", "Alpha");
        TOcBaseDataItem* a1 = AddTextItem(ChildrenOf(a), "A1", "It's");
        auto* glyph = TAggregatedPersistentEx::Create<TOcDataItemImageImpl>(a1);
        glyph->SetImageIndex(3);
        glyph->SetSelectedIndex(-1);
        glyph->SetAlignment(gaCenter);
        AddTextItem(ChildrenOf(a1), "A1x", "deep");
        AddTextItem(root, "B", "Bravo");
    }

    std::unique_ptr<TTestProvider> provider;
};

// The text form of the sample tree, written by hand from the token tables of the format: a
// list's "Extensions" then its "Items"; each item its ID, "Extensions", "SubItems"; nested
// names without the owner's path.
const char* const SampleText =
    "object Provider1: TTestProvider\n"
    "  Data.Extensions = <\n"
    "    item\n"
    "      ClassName = 'TOcBaseDataItemsListManagement'\n"
    "    end>\n"
    "  Data.Items = <\n"
    "    item\n"
    "      ClassName = 'TOcBaseDataItem'\n"
    "      ID = 'A'\n"
    "      Extensions = <\n"
    "        item\n"
    "          ClassName = 'TOcDataItemTextImpl'\n"
    "          Text = 'Alpha'\n"
    "        end>\n"
    "      SubItems = <\n"
    "        item\n"
    "          ClassName = 'TOcDataItemsList'\n"
    "          Extensions = <\n"
    "            item\n"
    "              ClassName = 'TOcBaseDataItemsListManagement'\n"
    "            end>\n"
    "          Items = <\n"
    "            item\n"
    "              ClassName = 'TOcBaseDataItem'\n"
    "              ID = 'A1'\n"
    "              Extensions = <\n"
    "                item\n"
    "                  ClassName = 'TOcDataItemTextImpl'\n"
    "                  Text = 'It''s'\n"
    "                end\n"
    "                item\n"
    "                  ClassName = 'TOcDataItemImageImpl'\n"
    "                  Alignment = taCenter\n"
    "                  ImageIndex = 3\n"
    "                  SelectedIndex = -1\n"
    "                end>\n"
    "              SubItems = <\n"
    "                item\n"
    "                  ClassName = 'TOcDataItemsList'\n"
    "                  Extensions = <\n"
    "                    item\n"
    "                      ClassName = 'TOcBaseDataItemsListManagement'\n"
    "                    end>\n"
    "                  Items = <\n"
    "                    item\n"
    "                      ClassName = 'TOcBaseDataItem'\n"
    "                      ID = 'A1x'\n"
    "                      Extensions = <\n"
    "                        item\n"
    "                          ClassName = 'TOcDataItemTextImpl'\n"
    "                          Text = 'deep'\n"
    "                        end>\n"
    "                    end>\n"
    "                end>\n"
    "            end>\n"
    "        end>\n"
    "    end\n"
    "    item\n"
    "      ClassName = 'TOcBaseDataItem'\n"
    "      ID = 'B'\n"
    "      Extensions = <\n"
    "        item\n"
    "          ClassName = 'TOcDataItemTextImpl'\n"
    "          Text = 'Bravo'\n"
    "        end>\n"
    "    end>\n"
    "end\n";

} // namespace

TEST_F(ItemStream, TextOfOurBytesMatchesTheOutsideConverter)
{
    const std::string bytes = StreamOf(provider.get());
    EXPECT_EQ(WithoutTrailingBlanks(Convert("b2t", bytes, "item_tree")), SampleText);
}

TEST_F(ItemStream, BytesTheOutsideConverterWroteReadBackIntoTheSameTree)
{
    const std::string bytes = Convert("t2b", SampleText, "item_tree_text");
    ASSERT_EQ(bytes.substr(0, 4), "TPF0");
    EXPECT_EQ(bytes, StreamOf(provider.get())) << "the same bytes as ours";
    TTestProvider copy(nullptr);
    ReadInto(&copy, bytes);
    EXPECT_EQ(Dump(copy.Data()), Dump(provider->Data()));
}

TEST_F(ItemStream, ATreeStreamedOutAndBackEqualsTheOriginal)
{
    TOcBaseDataItem* c = AddTextItem(provider->Data(), "C", "Charlie");
    auto* contextText = TAggregatedPersistentEx::Create<TOcDataItemContextTextImpl>(
        AddTextItem(ChildrenOf(c), "C1"));
    contextText->SetText("plain");
    auto* blockable = TAggregatedPersistentEx::Create<TOcDataItemBlockableTextImpl>(
        TOcBaseDataItem::Create<TCaptionedItem>(provider->Data()));
    provider->Data()->StoreItem(static_cast<TOcBaseDataItem*>(blockable->Owner()));
    blockable->SetReadOnly(true);
    blockable->SetText("locked");

    TTestProvider copy(nullptr);
    ReadInto(&copy, StreamOf(provider.get()));
    const std::string original = Dump(provider->Data());
    EXPECT_EQ(Dump(copy.Data()), original);
    EXPECT_NE(
        original.find("C1:TOcBaseDataItem'plain'+TOcDataItemTextImpl+TOcDataItemContextTextImpl"),
        std::string::npos)
        << original;
    TInterfacePtr<IOcDataItem> last = copy.Data()->ItemAt(copy.Data()->ItemCount() - 1);
    EXPECT_FALSE(last.Query<IOcDataItemText>()->CanEdit()) << "ReadOnly travels";
    EXPECT_EQ(StreamOf(&copy), StreamOf(provider.get()));
}

TEST_F(ItemStream, AnEmptyListWritesItsCollectionAndAChildlessItemNoSubItems)
{
    TTestProvider empty(nullptr);
    const std::string bytes = StreamOf(&empty);
    EXPECT_NE(bytes.find(std::string("\x0A"
                                     "Data.Items\x0E\x00",
                                     13)),
              std::string::npos);
    const std::string sample = StreamOf(provider.get());
    const size_t b =
        sample.find(std::string("\x02"
                                "ID\x06\x01"
                                "B"));
    ASSERT_NE(b, std::string::npos);
    EXPECT_EQ(sample.find("SubItems", b), std::string::npos) << "B has no children";
    EXPECT_NE(sample.find("SubItems"), std::string::npos);
}

TEST_F(ItemStream, ReadingReusesAnImplementerTheItemAlreadyCarries)
{
    const std::string text =
        "object Provider1: TTestProvider\n"
        "  Data.Items = <\n"
        "    item\n"
        "      classname = 'TCaptionedItem'\n"
        "      ID = 'K'\n"
        "      Extensions = <\n"
        "        item\n"
        "          CLASSNAME = 'TOcDataItemTextImpl'\n"
        "          Text = 'kept'\n"
        "        end>\n"
        "    end>\n"
        "end\n";
    TTestProvider target(nullptr);
    ReadInto(&target, ObjectTextToBinary(text));
    EXPECT_EQ(Dump(target.Data()), "TOcDataItemsList{K:TCaptionedItem'kept'+TOcDataItemTextImpl}");
}

TEST_F(ItemStream, SubItemsNamingAnotherListClassGiveTheItemANewListOfThatClass)
{
    TInterfacePtr<IOcDataItem> a = provider->Data()->ItemByPath("A");
    auto* item = static_cast<TOcBaseDataItem*>(a->ImplementingObject());
    const std::string otherClass =
        "\x09"
        "ClassName\x06\x0F"
        "TOtherItemsList";
    // The value of "SubItems": another list class with one item.
    std::string value = std::string("\x0E\x01", 2) + otherClass + "\x05Items\x0E\x01" +
                        "\x09"
                        "ClassName\x06\x0F"
                        "TOcBaseDataItem" +
                        "\x02ID\x06\x01Z" + std::string("\x00\x00\x00\x00", 4);
    TStringStream in("\x08SubItems" + value);
    TReader reader(in);
    reader.ReadProperty(item);
    EXPECT_EQ(
        Dump(provider->Data()),
        "TOcDataItemsList{A:TOcBaseDataItem'Alpha'+TOcDataItemTextImpl+TOcBaseDataItemSubItems"
        "TOtherItemsList{Z:TOcBaseDataItem''} B:TOcBaseDataItem'Bravo'+TOcDataItemTextImpl}");
}

// Each broken stream raises the stream read error and leaves the tree exactly as it was.
TEST_F(ItemStream, ABrokenStreamRaisesAndLeavesTheTreeAsItWas)
{
    struct Case {
        const char* what;
        std::string from; // text of the good stream to replace
        std::string to;
        const char* message; // expected in the error text ("" = any)
    };
    const std::string good =
        WithoutTrailingBlanks(Convert("b2t", StreamOf(provider.get()), "broken_base"));
    const Case cases[] = {
        {"an unknown item class", "ClassName = 'TOcBaseDataItem'\n                      ID = 'A1x'",
         "ClassName = 'TNoSuchItem'\n                      ID = 'A1x'", "TNoSuchItem not found"},
        {"a registered class that is no item", "ClassName = 'TOcBaseDataItem'\n      ID = 'B'",
         "ClassName = 'TOcDataContext'\n      ID = 'B'", "Invalid class type"},
        {"an implementer that is no implementer",
         "ClassName = 'TOcDataItemTextImpl'\n                          Text = 'deep'",
         "ClassName = 'TOcBaseDataItem'\n                          Text = 'deep'",
         "Invalid class type"},
        {"a list class that is no list",
         "ClassName = 'TOcDataItemsList'\n                  Extensions",
         "ClassName = 'TOcBaseDataItem'\n                  Extensions", "Invalid class type"},
        {"an entry without its class name", "ClassName = 'TOcBaseDataItem'\n      ID = 'B'",
         "ID = 'B'", "Missing ClassName property"},
        {"an aspect list that is no collection",
         "Extensions = <\n        item\n          ClassName = 'TOcDataItemTextImpl'\n          "
         "Text = 'Bravo'\n        end>",
         "Extensions = 5", "Expected collection"},
        {"items that are no collection", "Items = <\n                    item",
         "Items = 5\n                    Q = <\n                    item", "Expected collection"},
        {"an abstract item list class", "ClassName = 'TOcDataItemsList'\n          Extensions",
         "ClassName = 'TOcBaseDataItems'\n          Extensions", ""},
        {"an unknown property of a late item", "ID = 'B'", "ID = 'B'\n      Colour = 5", "Colour"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t at = good.find(c.from);
        ASSERT_NE(at, std::string::npos) << c.from << "\n" << good;
        std::string text = good;
        text.replace(at, c.from.size(), c.to);
        std::string bytes;
        try {
            bytes = ObjectTextToBinary(text);
        } catch (const Exception& e) {
            FAIL() << e.Message() << "\n" << text;
        }
        // Read into a provider that already holds a tree: it must come out untouched.
        TTestProvider target(nullptr);
        BuildSampleTree(target);
        const std::string before = Dump(target.Data());
        try {
            ReadInto(&target, bytes);
            ADD_FAILURE() << "no error";
        } catch (const EReadError& e) {
            EXPECT_NE(e.Message().find(c.message), std::string::npos) << e.Message();
        }
        EXPECT_EQ(Dump(target.Data()), before);
    }
}

TEST_F(ItemStream, ATruncatedStreamLeavesTheTreeAsItWas)
{
    const std::string bytes = StreamOf(provider.get());
    TTestProvider target(nullptr);
    BuildSampleTree(target);
    const std::string before = Dump(target.Data());
    for (size_t cut = 40; cut < bytes.size(); cut += 7) {
        try {
            ReadInto(&target, bytes.substr(0, cut));
            ADD_FAILURE() << "no error at " << cut;
        } catch (const EReadError&) {
        }
        ASSERT_EQ(Dump(target.Data()), before) << "cut at " << cut;
    }
}

// The identifier is the GUID's bytes in memory order: what Python's uuid calls bytes_le. Fresh
// identifiers are version-4 GUIDs of the RFC 4122 variant.
TEST(ItemIdentifiers, AreTheMemoryOrderBytesOfTheGuidAsPythonsUuidSeesThem)
{
    const TGUID fixed[] = {IOcDataProvider::IID, IOcDataItemText::IID,
                           TGUID::FromText("{00112233-4455-6677-8899-AABBCCDDEEFF}")};
    std::string script = "import uuid\n";
    std::vector<std::string> expectedIds;
    for (const TGUID& g : fixed) {
        script += "print(uuid.UUID('" + GUIDToString(g) + "').bytes_le.hex().upper())\n";
        expectedIds.push_back(BytesToHex(&g, sizeof g));
    }
    std::vector<std::string> fresh;
    for (int i = 0; i < 3; ++i) {
        const TGUID g = CreateGUID();
        fresh.push_back(BytesToHex(&g, sizeof g));
        script += "u = uuid.UUID(bytes_le=bytes.fromhex('" + fresh.back() +
                  "'))\n"
                  "print(u.version, u.variant == uuid.RFC_4122)\n";
    }
    const std::string file = ::testing::TempDir() + "item_ids.py";
    FILE* out = std::fopen(file.c_str(), "w");
    ASSERT_TRUE(out);
    std::fputs(script.c_str(), out);
    std::fclose(out);
    std::string expected;
    for (const std::string& id : expectedIds)
        expected += id + "\n";
    for (size_t i = 0; i < fresh.size(); ++i)
        expected += "4 True\n";
    EXPECT_EQ(RunCommand("python3 " + file), expected);
}
