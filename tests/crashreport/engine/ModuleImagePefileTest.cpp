// The module-image readers against pefile (an independent PE reader) on the i686 program and on
// a library with every kind of export (names, an ordinal-only entry, data, forwarders), built for
// i686 and x86_64; read both as files and as the loader maps them.
#include "QorModuleImage.h"

#include "HostTool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

using namespace qor;

namespace {

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("missing: " + path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string PefileDump(const std::string& path)
{
    return RunHostTool(std::string(BRENVIK_PYTHON) + " '" + BRENVIK_PE_DUMP + "' '" + path + "'",
                       "");
}

std::string Hex(uint64_t v)
{
    char text[24];
    std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(v));
    return text;
}

// Our reader's findings in the dump script's form.
std::string OurDump(const PeImageReader& pe)
{
    std::ostringstream out;
    out << "machine " << Hex(pe.Machine()) << "\npe32plus " << pe.Pe32Plus() << "\nimagebase "
        << Hex(pe.ImageBase()) << "\nimagesize " << Hex(pe.ImageSize()) << "\nentry "
        << Hex(pe.EntryPointRva()) << "\n";
    for (const PeSectionHeader& s : pe.Sections())
        out << "section " << s.name << " " << Hex(s.virtualAddress) << " " << Hex(s.virtualSize)
            << " " << Hex(s.rawOffset) << " " << Hex(s.rawSize) << " " << Hex(s.characteristics)
            << "\n";
    for (uint32_t i = 0; i < pe.DataDirectoryCount(); ++i)
        out << "directory " << i << " " << Hex(pe.DataDirectory(i).rva) << " "
            << Hex(pe.DataDirectory(i).size) << "\n";
    for (const PeExport& e : pe.Exports())
        out << "export " << e.ordinal << " " << Hex(e.rva) << " " << e.name << " " << e.forwarder
            << "\n";
    for (const PeImport& i : pe.Imports()) {
        if (i.name.empty())
            out << "import " << i.library << " #" << i.ordinal << "\n";
        else
            out << "import " << i.library << " " << i.name << " " << i.hint << "\n";
    }
    return out.str();
}

// The file placed as the loader maps it: headers and each section's raw data at its RVA.
MemoryImage MapAsLoader(const std::vector<uint8_t>& file, uint32_t base)
{
    ByteViewMemory view(file.data(), file.size());
    PeImageReader pe(view, 0, PeLayout::File);
    std::vector<uint8_t> image(pe.ImageSize());
    const auto& sections = pe.Sections();
    size_t headers = sections.empty() ? file.size() : sections.front().rawOffset;
    std::copy_n(file.begin(), std::min({headers, file.size(), image.size()}), image.begin());
    for (const PeSectionHeader& s : sections) {
        size_t n = std::min<size_t>(s.rawSize, s.virtualSize);
        if (s.rawOffset + n <= file.size() && s.virtualAddress + n <= image.size())
            std::copy_n(file.begin() + s.rawOffset, n, image.begin() + s.virtualAddress);
    }
    MemoryImage memory;
    memory.Add(base, std::move(image), true, base);
    return memory;
}

struct Module {
    const char* what;
    const char* path;
};

const Module kModules[] = {
    {"i686 program", BRENVIK_I686_EXE},
    {"i686 library", BRENVIK_I686_FIXTURE},
    {"x86_64 library", BRENVIK_X64_FIXTURE},
};

} // namespace

TEST(ModuleImagePefile, FileAndLoadedImageAgreeWithPefile)
{
    for (const Module& m : kModules) {
        SCOPED_TRACE(m.what);
        const std::string expected = PefileDump(m.path);
        ASSERT_NE(expected.find("directory 0"), std::string::npos) << expected;
        const std::vector<uint8_t> file = ReadFile(m.path);

        ByteViewMemory view(file.data(), file.size());
        PeImageReader asFile(view, 0, PeLayout::File);
        ASSERT_TRUE(asFile.Valid());
        EXPECT_EQ(OurDump(asFile), expected);

        const uint32_t base = 0x10000000;
        MemoryImage loaded = MapAsLoader(file, base);
        PeImageReader asLoaded(loaded, base, PeLayout::Loaded);
        ASSERT_TRUE(asLoaded.Valid());
        EXPECT_EQ(OurDump(asLoaded), expected);
    }
}

TEST(ModuleImagePefile, ExportLookupsFindPefilesEntries)
{
    for (const Module& m : {kModules[1], kModules[2]}) {
        SCOPED_TRACE(m.what);
        // "export <ordinal> <rva> <name> <forwarder>" lines of pefile.
        std::istringstream lines(PefileDump(m.path));
        std::vector<PeExport> expected;
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("export ", 0) != 0)
                continue;
            PeExport e;
            std::istringstream fields(line.substr(7));
            std::string rva;
            fields >> e.ordinal >> rva;
            e.rva = static_cast<uint32_t>(std::stoul(rva, nullptr, 16));
            fields.get();
            std::getline(fields, e.name, ' ');
            std::getline(fields, e.forwarder);
            expected.push_back(e);
        }
        ASSERT_EQ(expected.size(), 7u);

        const std::vector<uint8_t> file = ReadFile(m.path);
        const uint32_t base = 0x20000000;
        MemoryImage loaded = MapAsLoader(file, base);
        PeImageReader pe(loaded, base, PeLayout::Loaded);
        for (const PeExport& e : expected) {
            SCOPED_TRACE(e.ordinal);
            uint32_t rva = 0;
            EXPECT_TRUE(pe.ExportRvaByOrdinal(e.ordinal, rva));
            EXPECT_EQ(rva, e.rva);
            if (!e.name.empty()) {
                EXPECT_TRUE(pe.ExportRvaByName(e.name, rva));
                EXPECT_EQ(rva, e.rva);
            }
            EXPECT_EQ(pe.IsForwarderRva(e.rva), !e.forwarder.empty());
            // An entry without a name is named by its ordinal: here index 6 of the table with
            // ordinal base 1 gives "#7".
            std::string name = e.name.empty() ? "#" + std::to_string(e.ordinal) : e.name;
            EXPECT_EQ(pe.ExportNameOfRva(e.rva), name);
            EXPECT_EQ(ExportNameAt(loaded, base + e.rva), name);
        }
        uint32_t rva = 0;
        EXPECT_FALSE(pe.ExportRvaByOrdinal(6, rva)) << "a zero entry of the function table";
        EXPECT_FALSE(pe.ExportRvaByOrdinal(0, rva)) << "below the ordinal base";
        EXPECT_FALSE(pe.ExportRvaByOrdinal(9, rva)) << "beyond the table";
        EXPECT_FALSE(pe.ExportRvaByName("fixturefirst", rva)) << "names compare case-sensitively";
        EXPECT_FALSE(pe.ExportRvaByName("FixtureFirs", rva));
        EXPECT_EQ(pe.ExportNameOfRva(expected[0].rva + 1), "");
    }
}

// Cut short at any length, an image gives no more entries than the whole one (and, under the
// address sanitizer, no read outside the cut view).
TEST(ModuleImagePefile, TruncatedImagesYieldFewerEntries)
{
    const std::vector<uint8_t> file = ReadFile(BRENVIK_I686_FIXTURE);
    ByteViewMemory whole(file.data(), file.size());
    PeImageReader full(whole, 0, PeLayout::File);
    const size_t exports = full.Exports().size(), imports = full.Imports().size();
    for (size_t length = 0; length < file.size(); length += 61) {
        SCOPED_TRACE(length);
        std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<ptrdiff_t>(length));
        ByteViewMemory view(cut.data(), cut.size());
        PeImageReader pe(view, 0, PeLayout::File);
        if (length < 64)
            EXPECT_FALSE(pe.Valid()) << "no room for the offset of the PE headers";
        EXPECT_LE(pe.Exports().size(), exports);
        EXPECT_LE(pe.Imports().size(), imports);
        EXPECT_LE(pe.Sections().size(), full.Sections().size());
    }
}
