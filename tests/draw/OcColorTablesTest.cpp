// The colour tables of OcTypes against the class library's colour identifiers, whose system
// colours are numbered by the system's own headers: a picker's identifier reads back as the
// value it stands for.
#include "draw/OcTypes.h"

#include "windows/Graphics.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

using namespace classlib;

namespace {

template <size_t N>
void ExpectValuesOfTheirIdentifiers(const std::array<draw::TDefColorItem, N>& table)
{
    for (const draw::TDefColorItem& item : table) {
        TColor color = 0;
        ASSERT_TRUE(IdentToColor(item.Identifier, color)) << item.Identifier;
        EXPECT_EQ(item.Value, color) << item.Identifier;
    }
}

} // namespace

TEST(OcColorTables, StandardAndSystemColoursMatchTheirIdentifiers)
{
    ExpectValuesOfTheirIdentifiers(draw::StandardColors);
    ExpectValuesOfTheirIdentifiers(draw::SystemColors);
}

// Palette entries that share a name with a standard colour of the same value are the same
// colour: the palette's black, white, red, green, blue, teal and yellow cells
// (a red/blue swap of the byte order shows here).
TEST(OcColorTables, PaletteShowsThePureColoursAsTheirStandardValues)
{
    for (const char* ident :
         {"clBlack", "clWhite", "clRed", "clGreen", "clBlue", "clTeal", "clYellow"}) {
        TColor standard = 0;
        ASSERT_TRUE(IdentToColor(ident, standard));
        bool found = false;
        for (const draw::TDefColorItem& item : draw::PaletteColors)
            if (std::string(item.Identifier) == ident) {
                EXPECT_EQ(item.Value, standard) << ident;
                found = true;
            }
        EXPECT_TRUE(found) << ident;
    }
}
