// The debug-information store: the choice of source per module, the lookups on the tables,
// the minimal-information path and the locked per-process cache, over fake modules.
#include "DebugFileWriter.h"

#include "QorDebugReaders.h"
#include "QorMapFile.h"
#include "QorPackedDebugWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <map>
#include <thread>

namespace {

using namespace qor;

constexpr uint32_t Base = 0x00400000;
constexpr uint32_t CodeBase = 0x00401000;
constexpr uint32_t CodeEnd = 0x00409000;
const std::string Module = "C:\\app\\Prog.exe";

// What one fake module offers: its resources and the files beside it.
struct FakeModule : ModuleDebugSources {
    ModuleLayout layout{CodeBase, CodeEnd, 0x0040A000, false};
    std::map<std::string, std::string> resources; // "type/name"
    std::map<std::string, std::string> files;
    std::map<std::string, int64_t> days;
    std::optional<std::string> imageDebug;

    // The file parts read, and the whole files read.
    std::vector<std::pair<uint64_t, uint64_t>> partsRead;
    std::vector<std::string> wholeFilesRead;

    std::optional<ModuleLayout> Layout() override { return layout; }
    uint32_t DataEnd() override { return 0x0040B000; }
    std::string Resource(std::string_view type, std::string_view name) override
    {
        const auto it = resources.find(std::string(type) + "/" + std::string(name));
        return it == resources.end() ? std::string() : it->second;
    }
    std::optional<std::string> ImageDebugData() override { return imageDebug; }
    std::optional<std::string> ReadFile(const std::string& path) override
    {
        wholeFilesRead.push_back(path);
        const auto it = files.find(path);
        return it == files.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    std::optional<std::string> ReadFilePart(const std::string& path, uint64_t offset,
                                            uint64_t count) override
    {
        const auto it = files.find(path);
        if (it == files.end())
            return std::nullopt;
        const std::string& file = it->second;
        const uint64_t start = std::min<uint64_t>(offset, file.size());
        const uint64_t length = std::min<uint64_t>(count, file.size() - start);
        partsRead.push_back({start, length});
        return file.substr(size_t(start), size_t(length));
    }
    std::optional<int64_t> FileDay(const std::string& path) override
    {
        const auto it = days.find(path);
        if (it != days.end())
            return it->second;
        return files.count(path) ? std::optional<int64_t>(0) : std::nullopt;
    }
};

// Two units, three routines and lines in both units (offsets from the code base).
PackedDebugContent SampleContent()
{
    PackedDebugContent c;
    c.segments = {{true, true, 0x000, 0x100, "main.cpp", false},
                  {true, true, 0x100, 0x200, "util.cpp", false}};
    c.publics = {{true, true, "main", 0x010},
                 {true, true, "Util.Clamp", 0x100},
                 {true, true, "Util.Wrap", 0x180}};
    c.lines = {{10, 0x010}, {11, 0x018}, {20, 0x100}, {21, 0x110}, {30, 0x180}};
    c.entryPoint = 0x010;
    return c;
}

std::string SamplePayload(uint32_t flags = 0, bool minimal = false)
{
    return PackedDebugData(PackedDebugTables(SampleContent(), minimal), {3, 0x1234, 0x5678, flags});
}

TMapFile Load(FakeModule& module)
{
    return TMapFile(true, Module, Base, false, false, &module);
}

TEST(MapFileLookups, RoutinesUnitsAndLinesOfAddresses)
{
    FakeModule module;
    module.resources["QOR/EXCEPT"] = SamplePayload();
    const TMapFile map = Load(module);
    ASSERT_TRUE(map.Valid());
    EXPECT_EQ(map.EntryPoint(), CodeBase + 0x10);

    struct Case {
        uint32_t offset;
        const char* routine; // nullptr: no routine
        const char* unit;
        int32_t line;
        uint32_t nextLine;
    } cases[] = {
        {0x008, nullptr, "main.cpp", 0, 0x009}, // below the first public and line
        {0x010, "main", "main.cpp", 10, 0x018}, // a routine's first byte
        {0x01C, "main", "main.cpp", 11, 0x100}, // between two publics: the lower one
        {0x0FF, "main", "main.cpp", 11, 0x100}, // the unit's last byte
        {0x120, "Util.Clamp", "util.cpp", 21, 0x180},
        {0x2FF, "Util.Wrap", "util.cpp", 30, 0x300}, // last public, below the code end
        {0x8000, nullptr, "", 0, 0x8001},            // last public, beyond the code end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        const uint32_t address = CodeBase + c.offset;
        const TMfPublic routine = map.PublicAt(address);
        EXPECT_EQ(routine.valid, c.routine != nullptr);
        if (c.routine) {
            EXPECT_EQ(routine.name, c.routine);
        }
        EXPECT_EQ(map.SegmentAt(true, address).unit, c.unit);
        uint32_t next = 0;
        EXPECT_EQ(map.LineAt(address, next), c.line);
        EXPECT_EQ(next, CodeBase + c.nextLine);
    }
}

TEST(MapFileLookups, LineOutsideTheAddressesSegmentIsUnknown)
{
    // The nearest line entry lies in the first unit; the asked address is in the second.
    PackedDebugContent c = SampleContent();
    c.lines = {{10, 0x010}};
    FakeModule module;
    module.resources["QOR/EXCEPT"] = PackedDebugData(PackedDebugTables(c, false), {});
    const TMapFile map = Load(module);
    uint32_t next = 0;
    EXPECT_EQ(map.LineAt(CodeBase + 0x20, next), 10);
    EXPECT_EQ(map.LineAt(CodeBase + 0x120, next), 0);
}

TEST(MapFileLookups, LocatePublicRetriesSourceExtensionsOnlyForPlainUnits)
{
    FakeModule module;
    PackedDebugContent c = SampleContent();
    c.segments.push_back({true, true, 0x300, 0x100, "plain.c", false});
    c.publics.push_back({true, true, "Helper", 0x300});
    module.resources["QOR/EXCEPT"] = PackedDebugData(PackedDebugTables(c, false), {});
    const TMapFile map = Load(module);
    struct Case {
        const char* unit;
        const char* name;
        bool caseSensitive;
        uint32_t expected;
    } cases[] = {
        {"util.cpp", "Util.Wrap", true, CodeBase + 0x180},
        {"UTIL.CPP", "util.wrap", false, CodeBase + 0x180},
        {"util.cpp", "util.wrap", true, 0},
        {"util", "Util.Clamp", true, CodeBase + 0x100}, // retried as "util.cpp"
        {"plain", "Helper", true, CodeBase + 0x300},    // ".cpp", ".h", then ".c"
        {"util.x", "Util.Clamp", true, 0},              // holds ".": not retried
        {"main.cpp", "Util.Wrap", true, 0},             // another unit's routine
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.unit) + " " + k.name);
        EXPECT_EQ(map.LocatePublic(true, k.unit, k.name, k.caseSensitive), k.expected);
    }
}

TEST(MapFileSources, FirstSourceThatYieldsWins)
{
    const std::string map =
        "\r\n  Address         Publics by Value\r\n\r\n"
        " 0001:00000040       MapRoutine\r\n";
    const std::string td32 =
        Td32Data({Td32Names({"TdsRoutine"}),
                  {0x125, std::string(4, '\0') + Td32Symbol(0x0020, 26, 12, 20, 1, 0x50)}});
    struct Case {
        const char* name;
        bool resource, tds, tdsOlderThanMap, map, qor;
        const char* routineAt0x60;
    } cases[] = {
        {"resource first", true, true, false, true, true, "Util.Clamp"},
        {"tds before the map", false, true, false, true, true, "TdsRoutine"},
        {"tds older than the map", false, true, true, true, true, "MapRoutine"},
        {"map before the qor file", false, false, false, true, true, "MapRoutine"},
        {"qor file", false, false, false, false, true, "Util.Clamp"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        FakeModule module;
        PackedDebugContent c = SampleContent();
        c.publics = {{true, true, "Util.Clamp", 0x60}};
        const std::string payload = PackedDebugData(PackedDebugTables(c, false), {});
        if (k.resource)
            module.resources["QOR/EXCEPT"] = payload;
        if (k.tds) {
            module.files["C:\\app\\Prog.tds"] = td32;
            module.days["C:\\app\\Prog.tds"] = k.tdsOlderThanMap ? 100 : 101;
            module.days["C:\\app\\Prog.map"] = 101;
        }
        if (k.map)
            module.files["C:\\app\\Prog.map"] = map;
        if (k.qor)
            module.files["C:\\app\\Prog.qor"] = payload;
        const TMapFile loaded = Load(module);
        ASSERT_TRUE(loaded.Valid());
        EXPECT_EQ(loaded.PublicAt(CodeBase + 0x60).name, k.routineAt0x60);
    }
}

// A module file of 1 MiB and more with TD32 data appended: the debug directory's section is
// the image's last, and its entry names the data's file offset. Only the headers, the entry's
// offset field and the data are read, never the whole file.
TEST(MapFileSources, TdDataAppendedToTheModuleFileIsReadWithoutTheRestOfTheFile)
{
    const std::string td32 =
        Td32Data({Td32Names({"TdsRoutine"}),
                  {0x125, std::string(4, '\0') + Td32Symbol(0x0020, 26, 12, 20, 1, 0x50)}});
    const auto put = [](std::string& b, size_t at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
    };
    constexpr uint32_t DebugSectionRaw = 0x100000, DataOffset = DebugSectionRaw + 0x200;
    struct Case {
        const char* name;
        uint32_t debugSectionRva; // the last section's address
        const char* routineAt0x60;
    } cases[] = {
        {"last section at the debug directory", 0x3000, "TdsRoutine"},
        {"last section elsewhere", 0x4000, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string file(DataOffset, '\0');
        file[0] = 'M';
        file[1] = 'Z';
        put(file, 60, 0x40, 4);
        put(file, 0x40, 0x4550, 4);
        put(file, 0x44, 0x14C, 2); // i386
        put(file, 0x46, 2, 2);     // two sections
        put(file, 0x54, 0xE0, 2);  // optional header size
        const size_t optional = 0x58;
        put(file, optional, 0x10B, 2);
        put(file, optional + 92, 16, 4);             // data directories
        put(file, optional + 96 + 6 * 8, 0x3000, 4); // debug directory
        put(file, optional + 100 + 6 * 8, 28, 4);
        const size_t sections = optional + 0xE0;
        put(file, sections + 8, 0x1000, 4); // .text: virtual size, address, raw size, offset
        put(file, sections + 12, 0x1000, 4);
        put(file, sections + 16, 0x200, 4);
        put(file, sections + 20, 0x400, 4);
        put(file, sections + 36, 0x60000020, 4);
        put(file, sections + 40 + 8, 0x200, 4);
        put(file, sections + 40 + 12, c.debugSectionRva, 4);
        put(file, sections + 40 + 16, 0x200, 4);
        put(file, sections + 40 + 20, DebugSectionRaw, 4);
        put(file, DebugSectionRaw + 24, DataOffset, 4);
        file += td32;

        FakeModule module;
        module.files[Module] = file;
        const TMapFile loaded = Load(module);
        EXPECT_EQ(loaded.Valid(), c.routineAt0x60 != nullptr);
        if (c.routineAt0x60) {
            EXPECT_EQ(loaded.PublicAt(CodeBase + 0x60).name, c.routineAt0x60);
        }
        EXPECT_EQ(std::count(module.wholeFilesRead.begin(), module.wholeFilesRead.end(), Module),
                  0);
        uint64_t bytesRead = 0;
        for (const auto& [offset, length] : module.partsRead)
            bytesRead += length;
        EXPECT_LE(bytesRead, 0x10000 + 4 + td32.size());
    }
}

TEST(MapFileSources, WithoutAnySourceTheObjectIsInvalidAndLookupsEmpty)
{
    FakeModule module;
    module.files["C:\\app\\Prog.qor"] = "qorExceptDebug damaged";
    const TMapFile map = Load(module);
    EXPECT_FALSE(map.Valid());
    uint32_t next = 0;
    EXPECT_FALSE(map.PublicAt(CodeBase + 0x10).valid);
    EXPECT_EQ(map.LineAt(CodeBase + 0x10, next), 0);
    EXPECT_EQ(map.LocatePublic(true, "main", "main", false), 0u);
    EXPECT_FALSE(TMapFile(false, Module, Base, false, false, &module).Valid());
}

// A module per fake file name; the platform counts how often it builds one.
struct FakeProcess : DebugInfoPlatform {
    std::map<std::string, std::function<void(FakeModule&)>> modules; // by file name
    std::map<uintptr_t, std::string> moduleAt;                       // by address >> 16
    std::atomic<uint32_t> date{1};
    std::atomic<int> builds{0};

    bool ModuleOfAddress(uintptr_t address, uintptr_t& module, std::string& name) override
    {
        const auto it = moduleAt.find(address >> 16);
        if (it == moduleAt.end())
            return false;
        module = address & ~uintptr_t(0xFFFF);
        name = it->second;
        return true;
    }
    uint32_t FileDosDateTime(const std::string&) override { return date; }
    std::unique_ptr<ModuleDebugSources> SourcesOf(uintptr_t, const std::string& name) override
    {
        ++builds;
        auto module = std::make_unique<FakeModule>();
        modules.at(name)(*module);
        return module;
    }
};

// The program with the sample tables, and a system library without debug information.
struct SampleProcess : FakeProcess {
    SampleProcess()
    {
        moduleAt[CodeBase >> 16] = Module;
        moduleAt[0x1000] = "C:\\windows\\system32\\kernel32.dll";
        modules[Module] = [](FakeModule& m) { m.resources["QOR/EXCEPT"] = SamplePayload(); };
        modules["C:\\windows\\system32\\kernel32.dll"] = [](FakeModule&) {};
    }
};

TEST(DebugInfoStore, AddressInfoAndRoutineNames)
{
    SampleProcess process;
    DebugInfoStore store(process);
    AddressDetails details;
    ASSERT_TRUE(store.AddressInfo(CodeBase + 0x114, details));
    EXPECT_EQ(details.moduleFileName, Module);
    EXPECT_EQ(details.unit, "util.cpp");
    EXPECT_EQ(details.routine, "Util.Clamp");
    EXPECT_EQ(details.routineStart, CodeBase + 0x100);
    EXPECT_EQ(details.line, 21);

    EXPECT_EQ(store.RoutineNameAt(CodeBase + 0x180), "util.cpp.Util.Wrap");
    EXPECT_EQ(store.RoutineNameAt(CodeBase + 0x181), "");
    // A module without debug information, and an address in no module.
    EXPECT_FALSE(store.AddressInfo(0x10000010, details));
    EXPECT_FALSE(store.AddressInfo(0x20000010, details));
    EXPECT_EQ(store.CachedCount(), 1u);
}

TEST(DebugInfoStore, CachedLineKeepsItsRangeAndLooksUpOutsideIt)
{
    SampleProcess process;
    DebugInfoStore store(process);
    int32_t line = 0;
    uintptr_t start = 0, end = 0;
    store.CachedLineAt(CodeBase + 0x104, line, start, end);
    EXPECT_EQ(line, 20);
    EXPECT_EQ(start, CodeBase + 0x104);
    EXPECT_EQ(end, CodeBase + 0x110);
    line = 99; // inside the range nothing is looked up
    store.CachedLineAt(CodeBase + 0x10F, line, start, end);
    EXPECT_EQ(line, 99);
    store.CachedLineAt(CodeBase + 0x110, line, start, end);
    EXPECT_EQ(line, 21);
}

TEST(DebugInfoStore, RebuiltModuleFileIsLoadedAgain)
{
    SampleProcess process;
    DebugInfoStore store(process);
    const std::shared_ptr<const TMapFile> first = store.MapFileOf(CodeBase);
    EXPECT_EQ(store.MapFileOf(CodeBase + 4), first);
    EXPECT_EQ(process.builds, 1);
    process.date = 2;
    const std::shared_ptr<const TMapFile> second = store.MapFileOf(CodeBase);
    EXPECT_NE(second, first);
    EXPECT_EQ(process.builds, 2);
    EXPECT_EQ(store.CachedCount(), 1u);
    // The replaced object is still whole for whoever holds it.
    EXPECT_EQ(first->PublicAt(CodeBase + 0x10).name, "main");
    store.Clear();
    EXPECT_EQ(store.CachedCount(), 0u);
}

// Mended: the cache is shared by the handling and completion threads and the dialogs. Lookups
// from several threads while the module file keeps changing (each change drops the cached
// object) must neither build a module twice for one date nor touch a freed object.
TEST(DebugInfoStore, LookupsFromSeveralThreadsWhileTheModuleIsRebuilt)
{
    SampleProcess process;
    DebugInfoStore store(process);
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t)
        readers.emplace_back([&] {
            while (!stop) {
                AddressDetails details;
                if (!store.AddressInfo(CodeBase + 0x184, details) ||
                    details.routine != "Util.Wrap" || details.line != 30)
                    ++wrong;
                if (store.RoutineNameAt(CodeBase + 0x10) != "main.cpp.main")
                    ++wrong;
            }
        });
    for (uint32_t date = 2; date < 60; ++date) {
        process.date = date;
        std::this_thread::yield();
    }
    stop = true;
    for (std::thread& t : readers)
        t.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_LE(store.CachedCount(), 1u);
}

// Minimal information in the module, the full tables in the ".qor" file named by the settings'
// fingerprint.
struct MinimalCase {
    std::string module;
    std::string full;
    std::string fingerprint;
};

MinimalCase MinimalModule()
{
    MinimalCase c;
    c.full = SamplePayload();
    c.fingerprint = PackedDebugFingerprint(c.full.size(), 0x1234, 0x5678);
    c.module = SamplePayload(PackedMinimalFlag, true);
    return c;
}

std::string SettingsWithMinDebugInfo(const std::string& value)
{
    using namespace std::string_literals;
    std::string settings = "TPF0\x0BTQorSettings\x00\x0CMinDebugInfo\x0C"s;
    AppendLittleEndian32(settings, static_cast<uint32_t>(value.size()));
    return settings + value + std::string(2, '\0');
}

TEST(MinimalDebugInfo, FullQorFileGivesTheNamesWithoutItTheModuleNumbersThem)
{
    const MinimalCase minimal = MinimalModule();
    ASSERT_EQ(minimal.fingerprint.size(), 31u);
    struct Case {
        const char* name;
        bool qorFile;
        bool settingsNameIt;
        std::string qorContent;
        const char* routine;
        const char* unit;
        bool fingerprintHeld;
    } cases[] = {
        {"with the .qor file", true, true, minimal.full, "Util.Clamp", "util.cpp", false},
        {"without it", false, true, "", "public%1", "segment%1", true},
        {"another build's .qor file", true, true, SamplePayload() + "x", "public%1", "segment%1",
         true},
        {"settings without the value", true, false, minimal.full, "public%1", "segment%1", false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        FakeProcess process;
        process.moduleAt[CodeBase >> 16] = Module;
        process.modules[Module] = [&](FakeModule& m) {
            m.resources["QOR/EXCEPT"] = minimal.module;
            if (k.settingsNameIt)
                m.resources["#10/TQOREXCEPT"] = SettingsWithMinDebugInfo(minimal.fingerprint);
            if (k.qorFile)
                m.files["C:\\app\\Prog.qor"] = k.qorContent;
        };
        DebugInfoStore store(process);
        const std::shared_ptr<const TMapFile> map = store.MapFileOf(CodeBase);
        ASSERT_TRUE(map->Valid());
        EXPECT_EQ(map->Fingerprint(), k.fingerprintHeld ? minimal.fingerprint : "");
        AddressDetails details;
        ASSERT_TRUE(store.AddressInfo(CodeBase + 0x104, details));
        EXPECT_EQ(details.routine, k.routine);
        EXPECT_EQ(details.unit, k.unit);
        const std::string name = store.RoutineNameAt(CodeBase + 0x100);
        EXPECT_EQ(name, std::string(k.routine) == "Util.Clamp" ? "util.cpp.Util.Clamp"
                                                               : "segment%1.public%1 (Prog.exe)");
    }
}

TEST(MinimalDebugInfo, LinesOfTheMinimalFormAreMarkedAsInTheFullFile)
{
    PackedDebugContent c = SampleContent();
    c.segments[1].hasLines = true;
    c.lines.clear();
    FakeModule module;
    module.resources["QOR/EXCEPT"] =
        PackedDebugData(PackedDebugTables(c, true), {3, 1, 2, PackedMinimalFlag});
    const TMapFile map = Load(module);
    uint32_t next = 0;
    EXPECT_EQ(map.LineAt(CodeBase + 0x20, next), 0);
    EXPECT_EQ(map.LineAt(CodeBase + 0x120, next), -1);
}

// A file read in part: from the offset, cut at the file's end, nothing beyond it; no file, no
// bytes.
TEST(MapFileSources, ReadFileRangeReadsFromTheOffsetUpToTheEnd)
{
    const std::string path = ::testing::TempDir() + "read-file-range.bin";
    {
        std::ofstream out(path, std::ios::binary);
        out << "0123456789";
    }
    struct Case {
        uint64_t offset, count;
        const char* bytes;
    } cases[] = {{0, 4, "0123"}, {6, 100, "6789"}, {10, 1, ""}, {50, 1, ""}};
    for (const Case& c : cases)
        EXPECT_EQ(ReadFileRange(path, c.offset, c.count), std::string(c.bytes)) << c.offset;
    std::remove(path.c_str());
    EXPECT_EQ(ReadFileRange(path, 0, 4), std::nullopt);
}

} // namespace
