// Export names in the analyser and the listing: a branch to a jump stub that leads to an
// exported entry of another module records (and names) the export, on a synthetic address space
// with a small library image whose export directory is written here by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FunctionAnalyser.h"
#include "FunctionListing.h"
#include "QorModuleImage.h"

namespace qor {
namespace {

constexpr uint32_t kLibrary = 0x10000000; // the library's image base
constexpr uint32_t kProgram = 0x00400000; // the listed code's module
constexpr uint32_t kExportedRva = 0x1000; // "LibraryRoutine", ordinal 1
constexpr uint32_t kUnnamedRva = 0x1010;  // ordinal 2, no name
constexpr uint32_t kInnerRva = 0x1020;    // not exported

void Put32(std::vector<uint8_t>& b, uint32_t at, uint32_t v)
{
    std::memcpy(&b[at], &v, 4);
}

void Put16(std::vector<uint8_t>& b, uint32_t at, uint16_t v)
{
    std::memcpy(&b[at], &v, 2);
}

// A 32-bit library image as the loader maps it: headers, an export directory at 0x200 with
// two entries (one named), and code at 0x1000.
std::vector<uint8_t> LibraryImage()
{
    std::vector<uint8_t> b(0x2000, 0xCC);
    std::fill(b.begin(), b.begin() + 0x1000, 0);
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 60, 0x40);
    Put32(b, 0x40, 0x4550);
    Put16(b, 0x44, 0x14C);       // i386
    Put16(b, 0x54, 0xE0);        // optional header size
    Put16(b, 0x58, 0x10B);       // PE32
    Put32(b, 0x58 + 56, 0x2000); // image size
    Put32(b, 0x58 + 92, 16);     // data directories
    Put32(b, 0x58 + 96, 0x200);  // export directory
    Put32(b, 0x58 + 100, 0x100);
    Put32(b, 0x200 + 16, 1); // ordinal base
    Put32(b, 0x200 + 20, 2); // functions
    Put32(b, 0x200 + 24, 1); // names
    Put32(b, 0x200 + 28, 0x240);
    Put32(b, 0x200 + 32, 0x260);
    Put32(b, 0x200 + 36, 0x270);
    Put32(b, 0x240, kExportedRva);
    Put32(b, 0x244, kUnnamedRva);
    Put32(b, 0x260, 0x280);
    Put16(b, 0x270, 0);
    std::memcpy(&b[0x280], "LibraryRoutine", 15);
    b[kExportedRva] = 0xC3;
    b[kUnnamedRva] = 0xC3;
    b[kInnerRva] = 0xC3;
    return b;
}

std::vector<uint8_t> Rel32(uint8_t opcode, uint32_t from, uint32_t target)
{
    uint32_t d = target - (from + 5);
    return {opcode, uint8_t(d), uint8_t(d >> 8), uint8_t(d >> 16), uint8_t(d >> 24)};
}

// The program: a function at 0x401000 that calls a stub at 0x401100 and returns; the stub is
// `first` followed by whatever jump it makes.
MemoryImage Space(const std::vector<uint8_t>& stub)
{
    MemoryImage m;
    m.Add(kLibrary, LibraryImage(), true, kLibrary);
    std::vector<uint8_t> code(0x200, 0xCC);
    std::vector<uint8_t> call = Rel32(0xE8, 0x401000, 0x401100);
    std::copy(call.begin(), call.end(), code.begin());
    code[5] = 0xC3;
    std::copy(stub.begin(), stub.end(), code.begin() + 0x100);
    m.Add(0x401000, code, true, kProgram);
    return m;
}

} // namespace

TEST(ExportNames, AnalyserRecordsTheExportBehindAJumpStub)
{
    // The stub at 0x401100 jumps to the library: by a relative jump, or through a pointer.
    std::vector<uint8_t> pointerStub = {0xFF, 0x25, 0x80, 0x11, 0x40, 0x00}; // jmp [$401180]
    pointerStub.resize(0x84, 0xCC);
    Put32(pointerStub, 0x80, kLibrary + kExportedRva);
    struct Case {
        const char* what;
        std::vector<uint8_t> stub;
        uint32_t recorded;
    } cases[] = {
        {"relative jump to an export", Rel32(0xE9, 0x401100, kLibrary + kExportedRva),
         kLibrary + kExportedRva},
        {"jump through a pointer to an export", pointerStub, kLibrary + kExportedRva},
        {"jump to an entry exported without a name", Rel32(0xE9, 0x401100, kLibrary + kUnnamedRva),
         kLibrary + kUnnamedRva},
        {"jump to code that is not exported", Rel32(0xE9, 0x401100, kLibrary + kInnerRva),
         0x401100},
        {"a stub that is no branch", {0x90, 0xC3}, 0x401100},
        {"a call starts no stub", Rel32(0xE8, 0x401100, kLibrary + kExportedRva), 0x401100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryImage m = Space(c.stub);
        TFunctionInfo info = AnalyseCode(m, 0x401000, {});
        ASSERT_TRUE(info.valid);
        ASSERT_EQ(info.outsideBranches.size(), 1u);
        EXPECT_EQ(info.outsideBranches[0].target, c.recorded);
    }
}

TEST(ExportNames, ListingNamesExportsAndTheirModule)
{
    MemoryImage m = Space(Rel32(0xE9, 0x401100, kLibrary + kExportedRva));
    ListingHooks hooks;
    hooks.moduleName = [](uint32_t base) {
        return base == kLibrary ? "library.dll" : "program.exe";
    };
    TFunctionInfo info;
    std::string listing = ParseFunction(m, 0x401000, 0x401000, 0, false, info, {}, hooks);
    EXPECT_NE(listing.find("  ; LibraryRoutine (library.dll)"), std::string::npos) << listing;

    // The header of an exported function is its export name; the same module gets no suffix.
    TFunctionInfo libraryInfo;
    listing = ParseFunction(m, kLibrary + kExportedRva, 0, 0, false, libraryInfo, {}, hooks);
    EXPECT_NE(listing.find("10001000 LibraryRoutine:"), std::string::npos) << listing;
    listing = ParseFunction(m, kLibrary + kUnnamedRva, 0, 0, false, libraryInfo, {}, hooks);
    EXPECT_NE(listing.find("10001010 #2:"), std::string::npos) << listing;
    listing = ParseFunction(m, kLibrary + kInnerRva, 0, 0, false, libraryInfo, {}, hooks);
    EXPECT_NE(listing.find("10001020 sub_10001020:"), std::string::npos) << listing;

    // A name that holds "(" already gets no module.
    hooks.routineName = [](uint32_t a) { return a == 0x401100 ? "Stub(int)" : ""; };
    MemoryImage plain = Space({0x90, 0xC3});
    listing = ParseFunction(plain, 0x401000, 0, 0, false, info, {}, hooks);
    EXPECT_NE(listing.find("  ; Stub(int)\r\n"), std::string::npos) << listing;
}

TEST(ExportNames, ExportNameAtNeedsAnImage)
{
    MemoryImage m = Space({0xC3});
    EXPECT_EQ(ExportNameAt(m, kLibrary + kExportedRva), "LibraryRoutine");
    EXPECT_EQ(ExportNameAt(m, kLibrary + kUnnamedRva), "#2");
    EXPECT_EQ(ExportNameAt(m, kLibrary + kInnerRva), "");
    EXPECT_EQ(ExportNameAt(m, 0x401100), "") << "a module without headers";
    EXPECT_EQ(ExportNameAt(m, 0x30000000), "") << "free memory";
}

} // namespace qor
