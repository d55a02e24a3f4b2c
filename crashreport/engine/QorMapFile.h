#pragma once
// The debug-information store: one TMapFile per loaded module, filled from the first source
// that yields anything (the module's "QOR"/"EXCEPT" resource, TD32 symbols, the ".map",
// ".qor" and ".bdbg" files beside it), the per-process cache of them, and the lookups of
// units, routines and lines by address and of addresses by name.
//
// Portable: what a module offers is asked through ModuleDebugSources, and the process's
// modules through DebugInfoPlatform; the Windows store (QorMapFileWin32.cpp) reads the loaded
// images and the files beside them, tests give fakes or a module file read from disk.
#include "QorDebugTables.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qor {

// The debug-information sources of one module.
class ModuleDebugSources {
public:
    virtual ~ModuleDebugSources() = default;
    // The code and data ranges from the module's headers, and the end of its data range;
    // nullopt when the headers cannot be read.
    virtual std::optional<ModuleLayout> Layout() = 0;
    virtual uint32_t DataEnd() = 0;
    // A resource of the module ("#10" names the numeric type 10); empty when absent.
    virtual std::string Resource(std::string_view type, std::string_view name) = 0;
    // The TD32 data the loaded image's debug directory points at; nullopt when the image has
    // no debug directory (an empty text when it has one but the data cannot be read).
    virtual std::optional<std::string> ImageDebugData() = 0;
    // A whole file, nullopt when it cannot be read.
    virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
    // At most `count` bytes of a file from `offset` (fewer at its end, none beyond it); nullopt
    // when it cannot be read. Without an override the whole file is read and cut.
    virtual std::optional<std::string> ReadFilePart(const std::string& path, uint64_t offset,
                                                    uint64_t count);
    // The last-write time of a file in whole days; nullopt when missing.
    virtual std::optional<int64_t> FileDay(const std::string& path) = 0;
};

// A whole file, nullopt when it cannot be read; a file's last-write time in whole days.
std::optional<std::string> ReadWholeFile(const std::string& path);
// At most `count` bytes of a file from `offset`, read from there (not the whole file).
std::optional<std::string> ReadFileRange(const std::string& path, uint64_t offset, uint64_t count);
std::optional<int64_t> FileDayOf(const std::string& path);
// The tables' file name part: the full file name without its extension.
std::string DebugFileBaseName(const std::string& moduleFileName);
// TD32 data appended to a module file: when the last section of the image starts at the
// address of its debug directory, the directory entry at that section's raw data names the
// file offset of the data, which runs to the file's end. Only the headers, that entry and the
// data are read (a program file may be tens of megabytes of other things). Empty when the file
// holds none, nullopt when it cannot be read.
std::optional<std::string> Td32DataInModuleFile(ModuleDebugSources& sources,
                                                const std::string& moduleFileName);
// The "MinDebugInfo" value (a long string of 31 characters) of a streamed settings resource;
// empty when absent.
std::string MinDebugInfoOf(std::string_view settingsResource);

class TMapFile {
public:
    // An object made with `valid` false stays empty and invalid. `sideFilesOnly` restricts the
    // attempt to the ".qor" file.
    TMapFile(bool valid, std::string moduleFileName, uintptr_t moduleHandle, bool codeOnly,
             bool sideFilesOnly, ModuleDebugSources* sources);

    bool Valid() const { return valid_; }
    const std::string& ModuleFileName() const { return moduleFileName_; }
    const std::string& DebugFileName() const { return debugFileName_; }
    uintptr_t ModuleHandle() const { return moduleHandle_; }
    uint32_t EntryPoint() const { return tables_.entryPoint; }
    uint32_t CodeStart() const { return tables_.Layout().codeBase; }
    uint32_t CodeEnd() const { return tables_.Layout().codeEnd; }
    uint32_t DataStart() const { return dataStart_; }
    uint32_t DataEnd() const { return dataEnd_; }
    // Empty, or the 31-character fingerprint of the full debug file of minimal information.
    const std::string& Fingerprint() const { return tables_.fingerprint; }
    const DebugTables& Tables() const { return tables_; }

    TMfSegment SegmentAt(bool code, uint32_t address) const;
    TMfPublic PublicAt(uint32_t address) const;
    int32_t LineAt(uint32_t address, uint32_t& nextLineAddress) const;
    uint32_t LocatePublic(bool code, const std::string& unit, const std::string& name,
                          bool caseSensitive) const;

private:
    bool Load(bool sideFilesOnly, ModuleDebugSources& sources);
    bool LoadPacked(ModuleDebugSources& sources);
    bool LoadTd32(ModuleDebugSources& sources);

    std::string moduleFileName_;
    std::string debugFileName_;
    uintptr_t moduleHandle_ = 0;
    DebugTables tables_;
    uint32_t dataStart_ = 0, dataEnd_ = 0;
    bool codeOnly_ = false;
    bool valid_ = false;
};

// The sources of a module file read from disk, as if loaded at its preferred image base: its
// resources and the files beside it (host tools, benchmarks and tests read a built program
// this way).
class ModuleFileDebugSources : public ModuleDebugSources {
public:
    explicit ModuleFileDebugSources(std::string moduleFileName);
    std::optional<ModuleLayout> Layout() override;
    uint32_t DataEnd() override;
    std::string Resource(std::string_view type, std::string_view name) override;
    std::optional<std::string> ImageDebugData() override;
    std::optional<std::string> ReadFile(const std::string& path) override;
    std::optional<std::string> ReadFilePart(const std::string& path, uint64_t offset,
                                            uint64_t count) override;
    std::optional<int64_t> FileDay(const std::string& path) override;
    uint32_t ImageBase() const { return imageBase_; }

private:
    std::string file_;
    uint32_t imageBase_ = 0;
};

// The modules of the process a store serves.
class DebugInfoPlatform {
public:
    virtual ~DebugInfoPlatform() = default;
    // The module whose committed memory holds the address: its handle and file name.
    virtual bool ModuleOfAddress(uintptr_t address, uintptr_t& module, std::string& fileName) = 0;
    // The module file's last-write time as a DOS date (high word) and time (low word).
    virtual uint32_t FileDosDateTime(const std::string& fileName) = 0;
    virtual std::unique_ptr<ModuleDebugSources> SourcesOf(uintptr_t module,
                                                          const std::string& fileName) = 0;
};

struct AddressDetails {
    std::string moduleFileName;
    std::string unit;
    std::string routine;
    uint32_t routineStart = 0;
    int32_t line = 0; // 0 when unknown
};

// The per-process cache and the lookups through it. The cache is locked: lookups come from
// the exception-handling and report-completion threads and from the dialogs at once, and an
// object handed out stays alive while its user holds it, even when a rebuilt module file
// replaces it in the cache meanwhile.
class DebugInfoStore {
public:
    explicit DebugInfoStore(DebugInfoPlatform& platform) : platform_(platform) {}

    // The debug information of the module holding the address. Valid objects are shared with
    // the cache; an invalid one (no debug information, or the address in no module) is the
    // caller's alone.
    std::shared_ptr<const TMapFile> MapFileOf(uintptr_t address);
    // False when the module has no debug information.
    bool AddressInfo(uintptr_t address, AddressDetails& details);
    // The unit, "." and routine of a public starting exactly at the address; with minimal
    // information followed by " (" + the module file name without path + ")".
    std::string RoutineNameAt(uintptr_t address);
    // Keeps the line while the address stays in [rangeStart, rangeEnd).
    void CachedLineAt(uintptr_t address, int32_t& line, uintptr_t& rangeStart, uintptr_t& rangeEnd);
    // Frees every cached object (shut-down).
    void Clear();
    size_t CachedCount();

private:
    struct Entry {
        uint32_t dosDateTime;
        std::shared_ptr<const TMapFile> mapFile;
    };
    DebugInfoPlatform& platform_;
    std::mutex lock_;
    std::vector<Entry> cache_;
};

} // namespace qor
