// A layout compiled by formc at build time: embedded as an RCDATA resource named after its
// class in the Windows build, left beside the test in the native build.
#include "StreamFixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace classlib;
using namespace streamfixture;

namespace {
std::string CompiledBoard()
{
#ifdef _WIN32
    HRSRC resource = FindResourceA(nullptr, "TBOARD", MAKEINTRESOURCEA(10));
    if (!resource)
        return {};
    HGLOBAL handle = LoadResource(nullptr, resource);
    const char* data = static_cast<const char*>(LockResource(handle));
    return std::string(data, SizeofResource(nullptr, resource));
#else
    std::ifstream in(BRENVIK_FORMS_DIR "/Board.bin", std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
#endif
}
} // namespace

TEST(FormResource, CompiledLayoutLoadsIntoItsForm)
{
    RegisterFixtureClasses();
    const std::string bytes = CompiledBoard();
    ASSERT_FALSE(bytes.empty());
    auto* board = new TBoard(nullptr);
    TStringStream in(bytes);
    ReadComponentFromStream(in, board);
    EXPECT_EQ(board->Caption, "Embedded board");
    auto* first = dynamic_cast<TThing*>(board->FindComponent("First"));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Number, 42);
    EXPECT_EQ(first->Lines()->Count(), 2);
    EXPECT_TRUE(first->OnClick);
    board->Free();
}
