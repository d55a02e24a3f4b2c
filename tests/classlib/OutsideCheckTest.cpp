// An outside check of the component-stream format: Free Pascal's classes unit (a separate
// implementation of the format) converts bytes our writer wrote into text, and text into bytes
// our reader reads. Built where `fpc` is present (native build).
#include "StreamFixture.h"

#include "core/FormText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace classlib;
using namespace streamfixture;

namespace {

std::string Slurp(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void Spit(const std::string& name, const std::string& content)
{
    std::ofstream(name, std::ios::binary) << content;
}

// Runs the Free Pascal converter ("b2t" or "t2b") over `input`.
std::string Convert(const char* direction, const std::string& input, const char* tag)
{
    const std::string in = std::string(BRENVIK_OUTSIDE_DIR) + "/" + tag + ".in";
    const std::string out = std::string(BRENVIK_OUTSIDE_DIR) + "/" + tag + ".out";
    Spit(in, input);
    std::remove(out.c_str());
    const std::string command =
        std::string(BRENVIK_STREAMCONV) + " " + direction + " " + in + " " + out;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return Slurp(out);
}

} // namespace

TEST(OutsideCheck, TextOfOurBytesMatchesWhatTheWriterWasGiven)
{
    RegisterFixtureClasses();
    TBoard* board = MakeSampleBoard();
    // The outside converter does not know single-precision values; leave them at their default.
    static_cast<TThing*>(board->FindComponent("First"))->Small = 0;
    TStringStream out;
    WriteComponentToStream(out, board);
    board->Free();
    const std::string bytes = out.DataString();

    const std::string text = Convert("b2t", bytes, "sample");
    for (const char* line : {"object Board1: TBoard",
                             "  Caption = 'Main board'",
                             "  object First: TThing",
                             "    Number = -200",
                             "    Big = 4886718345",
                             "    Letter = 'Z'",
                             "    Shade = shDark",
                             "    Shades = [shLight, shDark]",
                             "    Caption = 'It''s '#1#233",
                             "    Wide = 'wide '#9786",
                             "    Flag = True",
                             "    Look.FaceName = 'Arial'",
                             "    Look.Styles = [shMedium]",
                             "      'two, three'",
                             "        Width = 100000",
                             "    Link = Second",
                             "    OnClick = ThingClick",
                             "      0001FF",
                             "    object Inner: TThing",
                             "    Link = Board1"})
        EXPECT_NE(text.find(std::string(line) + "\n"), std::string::npos) << line << "\n" << text;
    EXPECT_NE(text.find("Ratio =  1.5"), std::string::npos) << text;
    // Read back by our text parser, the outside text gives exactly our bytes.
    EXPECT_EQ(ObjectTextToBinary(text), bytes);
}

TEST(OutsideCheck, OurReaderReadsBytesTheOutsideConverterWrote)
{
    RegisterFixtureClasses();
    const std::string layout =
        "object Board1: TBoard\n"
        "  Caption = 'Outside'\n"
        "  object First: TThing\n"
        "    Number = 70000\n"
        "    Big = 4886718345\n"
        "    Letter = 'q'\n"
        "    Shade = shLight\n"
        "    Shades = [shMedium, shDark]\n"
        "    Ratio = 2.5\n"
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
        "      end>\n"
        "    Link = Second\n"
        "    OnClick = ThingClick\n"
        "    Data = {00FF10}\n"
        "  end\n"
        "  object Second: TThing\n"
        "  end\n"
        "end\n";
    const std::string bytes = Convert("t2b", layout, "layout");
    ASSERT_EQ(bytes.substr(0, 4), "TPF0");
    auto* board = new TBoard(nullptr);
    TStringStream in(bytes);
    ReadComponentFromStream(in, board);
    auto* first = dynamic_cast<TThing*>(board->FindComponent("First"));
    ASSERT_TRUE(first);
    EXPECT_EQ(board->Caption, "Outside");
    EXPECT_EQ(first->Number, 70000);
    EXPECT_EQ(first->Big, 4886718345LL);
    EXPECT_EQ(first->Letter, 'q');
    EXPECT_EQ(first->Shade, shLight);
    EXPECT_TRUE(first->Shades == (TShades{shMedium, shDark}));
    EXPECT_EQ(first->Ratio, 2.5);
    EXPECT_EQ(first->Caption, "It's\r\nok");
    EXPECT_EQ(first->Wide, L"smile \x263A");
    EXPECT_TRUE(first->Flag);
    EXPECT_EQ(first->Look()->FaceName, "Courier");
    EXPECT_EQ(first->Lines()->CommaText(), "a,b");
    ASSERT_EQ(first->Columns()->Count(), 1);
    EXPECT_EQ(static_cast<TColumn*>(first->Columns()->Items(0))->Width, 5);
    EXPECT_EQ(first->Link(), board->FindComponent("Second"));
    EXPECT_TRUE(first->OnClick);
    EXPECT_EQ(first->Data, std::string("\x00\xFF\x10", 3));
    board->Free();
}
