#include "StreamFixture.h"

#include "core/FormText.h"

#include <gtest/gtest.h>

using namespace classlib;
using namespace streamfixture;

namespace {

class ComponentStream : public ::testing::Test {
protected:
    void SetUp() override { RegisterFixtureClasses(); }

    static TBoard* Read(const std::string& bytes, std::vector<std::string>* log = nullptr)
    {
        auto* board = new TBoard(nullptr);
        board->LoadLog = log;
        TStringStream in(bytes);
        try {
            ReadComponentFromStream(in, board);
        } catch (...) {
            board->Free();
            throw;
        }
        return board;
    }

    static std::string Write(TComponent* root)
    {
        TStringStream out;
        WriteComponentToStream(out, root);
        return out.DataString();
    }
};

// A class name longer than the highest value tag: the entry of a component list starts with the
// name's length, which must not be taken for a value tag.
class TThingWithAVeryLongClassName : public TThing {
    CLASSLIB_CLASS(TThingWithAVeryLongClassName, TThing)
    explicit TThingWithAVeryLongClassName(TComponent* owner) : TThing(owner) {}
};
CLASSLIB_PUBLISH(TThingWithAVeryLongClassName) {}

TThing* Find(TComponent* root, const char* name)
{
    return dynamic_cast<TThing*>(root->FindComponent(name));
}

} // namespace

TEST_F(ComponentStream, RoundTripKeepsEveryPropertyKind)
{
    const std::string bytes = SampleStream();
    ASSERT_EQ(bytes.substr(0, 4), "TPF0");
    std::vector<std::string> loadOrder;
    TBoard* board = Read(bytes, &loadOrder);

    EXPECT_EQ(board->Name(), "Board1");
    EXPECT_EQ(board->Caption, "Main board");
    ASSERT_EQ(board->ComponentCount(), 3);
    TThing* first = Find(board, "First");
    TThing* inner = Find(board, "Inner");
    TThing* second = Find(board, "Second");
    ASSERT_TRUE(first && inner && second);
    EXPECT_EQ(first->Number, -200);
    EXPECT_EQ(first->Big, 0x123456789LL);
    EXPECT_EQ(first->Letter, 'Z');
    EXPECT_EQ(first->Shade, shDark);
    EXPECT_TRUE(first->Shades == (TShades{shLight, shDark}));
    EXPECT_EQ(first->Ratio, 1.5);
    EXPECT_EQ(first->Small, 0.25f);
    EXPECT_EQ(first->Caption, std::string("It's \x01\xE9"));
    EXPECT_EQ(first->Wide, L"wide \x263A");
    EXPECT_TRUE(first->Flag);
    EXPECT_EQ(first->Look()->FaceName, "Arial");
    EXPECT_EQ(first->Look()->Size, 12);
    EXPECT_EQ(first->Lines()->CommaText(), "one,\"two, three\"");
    ASSERT_EQ(first->Columns()->Count(), 2);
    EXPECT_EQ(static_cast<TColumn*>(first->Columns()->Items(0))->Width, 100000);
    EXPECT_EQ(static_cast<TColumn*>(first->Columns()->Items(0))->Title, "Address");
    EXPECT_EQ(static_cast<TColumn*>(first->Columns()->Items(1))->Width, 64);
    EXPECT_EQ(first->Data, std::string("\x00\x01\xFF", 3));
    EXPECT_EQ(inner->Parent, first);
    EXPECT_EQ(inner->Caption, std::string(300, 'x'));
    EXPECT_EQ(second->Ratio, -1e-300);
    // References resolved after loading, also forward and to the root.
    EXPECT_EQ(first->Link(), second);
    EXPECT_EQ(second->Link(), board);
    // The event is bound to the root's published method.
    ASSERT_TRUE(first->OnClick);
    first->OnClick(first);
    EXPECT_EQ(board->Clicked, std::vector<TObject*>{first});
    // Loaded runs in creation order, root first, with loading finished.
    EXPECT_EQ(loadOrder, (std::vector<std::string>{"Board1", "First", "Inner", "Second"}));
    EXPECT_FALSE(first->ComponentState().Contains(csLoading));
    EXPECT_FALSE(first->ComponentState().Contains(csReading));

    // Written again, the loaded tree gives the same bytes.
    EXPECT_EQ(Write(board), bytes);
    board->Free();
}

TEST_F(ComponentStream, ReadCreatesTheRootByClassNameWhenNoneIsGiven)
{
    TStringStream in(SampleStream());
    TComponent* root = ReadComponentFromStream(in, nullptr);
    ASSERT_TRUE(dynamic_cast<TBoard*>(root));
    EXPECT_EQ(root->ComponentCount(), 3);
    root->Free();
}

TEST_F(ComponentStream, ChildrenWithLongClassNamesAreRead)
{
    RegisterClasses({&TThingWithAVeryLongClassName::StaticClass()});
    TBoard* board =
        Read(ObjectTextToBinary("object Board1: TBoard\n"
                                "  object Long1: TThingWithAVeryLongClassName\n"
                                "    Number = 7\n"
                                "  end\n"
                                "end\n"));
    auto* child = dynamic_cast<TThingWithAVeryLongClassName*>(board->FindComponent("Long1"));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->Number, 7);
    board->Free();
}

TEST_F(ComponentStream, TextLayoutCompilesLoadsAndConvertsBack)
{
    const std::string layout =
        "object Board1: TBoard\n"
        "  Caption = 'Board'\n"
        "  object First: TThing\n"
        "    Number = 70000\n"
        "    Letter = 'q'\n"
        "    Shade = shLight\n"
        "    Shades = [shMedium, shDark]\n"
        "    Ratio = 2.5\n"
        "    Small = 0.5s\n"
        "    Caption = 'It''s'#13#10'ok'\n"
        "    Wide = 'smile '#9786\n"
        "    Flag = True\n"
        "    Look.FaceName = 'Courier'\n"
        "    Lines.Strings = (\n"
        "      'a'\n"
        "      'b')\n"
        "    Columns = <\n"
        "      item\n"
        "        Width = 5\n"
        "      end\n"
        "      item\n"
        "        Title = 'T'\n"
        "      end>\n"
        "    Link = Second\n"
        "    OnClick = ThingClick\n"
        "    Data = {\n"
        "      00FF10}\n"
        "    object Inner: TThing\n"
        "      Number = -1\n"
        "    end\n"
        "  end\n"
        "  object Second: TThing\n"
        "  end\n"
        "end\n";
    const std::string bytes = ObjectTextToBinary(layout);
    EXPECT_EQ(ObjectBinaryToText(bytes), layout);
    TBoard* board = Read(bytes);
    TThing* first = Find(board, "First");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Number, 70000);
    EXPECT_EQ(first->Letter, 'q');
    EXPECT_EQ(first->Caption, "It's\r\nok");
    EXPECT_EQ(first->Wide, L"smile \x263A");
    EXPECT_EQ(first->Small, 0.5f);
    EXPECT_EQ(first->Look()->FaceName, "Courier");
    EXPECT_EQ(first->Lines()->Count(), 2);
    EXPECT_EQ(first->Columns()->Count(), 2);
    EXPECT_EQ(first->Link(), Find(board, "Second"));
    EXPECT_EQ(first->Data, std::string("\x00\xFF\x10", 3));
    EXPECT_EQ(Find(board, "Inner")->Parent, first);
    board->Free();
}

TEST_F(ComponentStream, BinaryToTextToBinaryIsIdentity)
{
    const std::string bytes = SampleStream();
    EXPECT_EQ(ObjectTextToBinary(ObjectBinaryToText(bytes)), bytes);
}

TEST_F(ComponentStream, LayoutSyntaxErrorsNameTheLine)
{
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"object A: TBoard\n  Caption = )\nend\n", "Line 2: Invalid property value"},
        {"object A: TBoard\n  Caption 'x'\nend\n", "Line 2: '=' expected"},
        {"thing A: TBoard\nend\n", "Line 1: 'object' expected"},
        {"object A: TBoard\n  Caption = 'open\nend\n", "Line 2: Unterminated string"},
        {"object A: TBoard\n  Data = {0F1}\nend\n", "Line 2: Invalid binary value"},
        {"object A: TBoard\nend\nextra", "Line 3: End of text expected"},
    };
    for (const auto& c : cases) {
        try {
            ObjectTextToBinary(c.text);
            ADD_FAILURE() << c.text;
        } catch (const EParserError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

TEST_F(ComponentStream, BadInputIsRefusedWithReadErrors)
{
    const std::string good =
        ObjectTextToBinary("object B: TBoard\n  object F: TThing\n    Number = 1\n  end\nend\n");
    auto replace = [&](const std::string& from, const std::string& to) {
        std::string s = good;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    struct Case {
        std::string bytes;
        const char* message;
    };
    const Case cases[] = {
        {"TPF1" + good.substr(4), "Invalid stream format"},
        {replace("TThing", "TThong"), "Error reading F: Class TThong not found"},
        {replace("Number", "Numbxr"), "Error reading F.Numbxr: Property Numbxr does not exist"},
        {replace(std::string("\x06Number\x02", 8), std::string("\x06Number\x63", 8)),
         "Error reading F.Number: Invalid stream format"},
        {ObjectTextToBinary(
             "object B: TBoard\n object F: TThing\n end\n object f: TThing\n end\nend\n"),
         "A component named f already exists"},
        {replace(std::string("\x06Number\x02\x01", 9),
                 std::string("\x06Number\x0C\xFF\xFF\xFF\x7F", 12)),
         "Error reading F.Number: Invalid property value"},
        {replace(std::string("\x06Number\x02\x01", 9), std::string("\x06Number\x07\x03"
                                                                   "abc",
                                                                   12)),
         "Error reading F.Number: Invalid property value"},
    };
    for (const auto& c : cases) {
        try {
            delete Read(c.bytes);
            ADD_FAILURE() << c.message;
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    // A huge count in a skipped value is checked against the rest of the stream.
    TStringStream huge(std::string("\x0C\xFF\xFF\xFF\x7F", 5));
    TReader reader(huge);
    EXPECT_THROW(reader.SkipValue(), EReadError);
}

TEST_F(ComponentStream, EveryTruncationIsARefusal)
{
    const std::string bytes = SampleStream();
    for (size_t n = 0; n < bytes.size(); ++n) {
        TBoard* board = new TBoard(nullptr);
        TStringStream in(bytes.substr(0, n));
        EXPECT_THROW(ReadComponentFromStream(in, board), EReadError) << n;
        board->Free();
    }
}

TEST_F(ComponentStream, DeepNestingIsRefused)
{
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "object A" + std::to_string(i) + ": TThing\n";
    for (int i = 0; i < 100; ++i)
        text += "end\n";
    EXPECT_THROW(ObjectTextToBinary(text), EParserError);
    // The same nesting written by hand.
    std::string bytes = "TPF0";
    for (int i = 0; i < 100; ++i)
        bytes += std::string("\x06TThing\x02X", 9) +
                 std::string(1, static_cast<char>('A' + i % 26)) + std::string(1, '\0');
    TStringStream in(bytes);
    EXPECT_THROW(ReadComponentFromStream(in, nullptr), EReadError);
}

TEST_F(ComponentStream, DatesKeepTheirTagInBothForms)
{
    // vaDate (17) and the date-time as a little-endian double; the bytes of 46000.5 from
    // Python's struct.pack('<d', 46000.5).
    const std::string expected("\x11\x00\x00\x00\x00\x10\x76\xE6\x40", 9);
    TStringStream written("");
    TWriter writer(written);
    writer.WriteDate(46000.5);
    EXPECT_EQ(written.DataString(), expected);

    const std::string layout = "object B: TBoard\n  Stamp = 46000.5d\nend\n";
    const std::string bytes = ObjectTextToBinary(layout);
    EXPECT_NE(bytes.find(std::string("\x05Stamp", 6) + expected), std::string::npos);
    EXPECT_EQ(ObjectBinaryToText(bytes), layout);
}

TEST_F(ComponentStream, ExtendedFloatsConvertBothWays)
{
    const double values[] = {0.0, 1.0, -2.5, 1e300, -1e-300, 4.9406564584124654e-324, 0.1};
    for (double v : values) {
        uint8_t ext[10];
        DoubleToExtended(v, ext);
        EXPECT_EQ(ExtendedToDouble(ext), v);
    }
    uint8_t one[10];
    DoubleToExtended(1.0, one);
    const uint8_t expected[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
    EXPECT_EQ(std::vector<uint8_t>(one, one + 10), std::vector<uint8_t>(expected, expected + 10));
}
