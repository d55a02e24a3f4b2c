// The debug-information store of the running process: its modules are the loaded images, their
// resources and the files beside them.
#include "QorMapFileWin32.h"

#include "PeFileView.h"
#include "QorByteReader.h"

#include <windows.h>

namespace qor {

namespace {

constexpr uint32_t DebugDirectoryIndex = 6;

// Reads a loaded image's headers; the tables hold 32-bit addresses, so a module loaded above
// 4 GB (only in a 64-bit process) has no layout and therefore no debug information.
class LoadedModuleSources : public ModuleDebugSources {
public:
    explicit LoadedModuleSources(HMODULE module)
        : module_(module), headers_(reinterpret_cast<const char*>(module), HeadersSize(module))
    {
    }

    std::optional<ModuleLayout> Layout() override
    {
        const PeFileView image(headers_);
        const uint64_t base = reinterpret_cast<uintptr_t>(module_);
        if (!image.Valid() || base > 0xFFFFFFFFu)
            return std::nullopt;
        return image.LayoutAt(static_cast<uint32_t>(base));
    }

    uint32_t DataEnd() override
    {
        const PeFileView image(headers_);
        const uint32_t base = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(module_));
        return image.DataStartAt(base) + image.DataSizes();
    }

    std::string Resource(std::string_view type, std::string_view name) override
    {
        const std::string typeText(type), nameText(name);
        HRSRC found = FindResourceA(module_, nameText.c_str(), typeText.c_str());
        HGLOBAL loaded = found ? LoadResource(module_, found) : nullptr;
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        if (!bytes)
            return {};
        return std::string(static_cast<const char*>(bytes), SizeofResource(module_, found));
    }

    std::optional<std::string> ImageDebugData() override
    {
        const PeFileView image(headers_);
        const auto [rva, size] = image.DataDirectory(DebugDirectoryIndex);
        if (rva == 0 || size == 0)
            return std::nullopt;
        const char* base = reinterpret_cast<const char*>(module_);
        const std::string_view entry(base + rva, 28);
        const uint32_t dataRva = U32At(entry, 20), dataSize = U32At(entry, 16);
        if (dataRva == 0)
            return std::string();
        return std::string(base + dataRva, dataSize);
    }

    std::optional<std::string> ReadFile(const std::string& path) override
    {
        return ReadWholeFile(path);
    }
    std::optional<std::string> ReadFilePart(const std::string& path, uint64_t offset,
                                            uint64_t count) override
    {
        return ReadFileRange(path, offset, count);
    }
    std::optional<int64_t> FileDay(const std::string& path) override { return FileDayOf(path); }

private:
    static size_t HeadersSize(HMODULE module)
    {
        // The headers lie in the image's first page; the optional header says how many bytes.
        const std::string_view page(reinterpret_cast<const char*>(module), 4096);
        const uint32_t pe = U32At(page, 60);
        const uint32_t size = U32At(page, size_t(pe) + 24 + 60);
        return size >= 512 && size <= 4096 ? size : 4096;
    }

    HMODULE module_;
    std::string_view headers_;
};

class ProcessModules : public DebugInfoPlatform {
public:
    bool ModuleOfAddress(uintptr_t address, uintptr_t& module, std::string& fileName) override
    {
        MEMORY_BASIC_INFORMATION region{};
        if (VirtualQuery(reinterpret_cast<const void*>(address), &region, sizeof region) == 0 ||
            region.State != MEM_COMMIT || !region.AllocationBase)
            return false;
        char name[MAX_PATH];
        const DWORD length =
            GetModuleFileNameA(static_cast<HMODULE>(region.AllocationBase), name, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return false;
        module = reinterpret_cast<uintptr_t>(region.AllocationBase);
        fileName.assign(name, length);
        return true;
    }

    uint32_t FileDosDateTime(const std::string& fileName) override
    {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        FILETIME local{};
        WORD date = 0, time = 0;
        if (!GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &data) ||
            !FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
            !FileTimeToDosDateTime(&local, &date, &time))
            return 0;
        return uint32_t(date) << 16 | time;
    }

    std::unique_ptr<ModuleDebugSources> SourcesOf(uintptr_t module, const std::string&) override
    {
        return std::make_unique<LoadedModuleSources>(reinterpret_cast<HMODULE>(module));
    }
};

} // namespace

DebugInfoStore& ProcessDebugInfo()
{
    static ProcessModules modules;
    static DebugInfoStore store(modules);
    return store;
}

std::shared_ptr<const TMapFile> MapFileOf(uintptr_t address)
{
    return ProcessDebugInfo().MapFileOf(address ? address
                                                : reinterpret_cast<uintptr_t>(&ProcessDebugInfo));
}

__attribute__((noinline)) bool AddressInfo(uintptr_t address, std::string& moduleFileName,
                                           std::string& unit, std::string& routine,
                                           uint32_t& routineStart, int32_t& line)
{
    if (address == 0)
        address = reinterpret_cast<uintptr_t>(__builtin_return_address(0)) - 1;
    AddressDetails details;
    const bool found = ProcessDebugInfo().AddressInfo(address, details);
    moduleFileName = details.moduleFileName;
    unit = details.unit;
    routine = details.routine;
    routineStart = details.routineStart;
    line = details.line;
    return found;
}

std::string RoutineNameAt(uintptr_t address)
{
    return ProcessDebugInfo().RoutineNameAt(address);
}

void CachedLineAt(uintptr_t address, int32_t& line, uintptr_t& rangeStart, uintptr_t& rangeEnd)
{
    ProcessDebugInfo().CachedLineAt(address, line, rangeStart, rangeEnd);
}

ListingHooks DebugInfoListingHooks()
{
    return {[](uint32_t address) { return RoutineNameAt(address); },
            [](uint32_t address) {
                int32_t line = 0;
                uintptr_t start = 0, end = 0;
                CachedLineAt(address, line, start, end);
                return static_cast<uint32_t>(line);
            }};
}

void StopMapFile()
{
    ProcessDebugInfo().Clear();
}

} // namespace qor
