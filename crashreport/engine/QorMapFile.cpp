#include "QorMapFile.h"

#include "PeFileView.h"
#include "QorByteReader.h"
#include "QorDebugReaders.h"
#include "QorStrings.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <limits>

namespace qor {

namespace {

constexpr uint32_t DebugDirectoryIndex = 6;
constexpr size_t FingerprintLength = 31;
// The streamed value tag of a long string in the component-stream format.
constexpr char LongStringTag = 12;

std::string FileNameWithoutPath(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool FitsAddress(uintptr_t address)
{
    return uint64_t(address) <= std::numeric_limits<uint32_t>::max();
}

} // namespace

std::optional<std::string> ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::optional<int64_t> FileDayOf(const std::string& path)
{
    std::error_code error;
    const auto time = std::filesystem::last_write_time(path, error);
    if (error)
        return std::nullopt;
    return std::chrono::duration_cast<std::chrono::hours>(time.time_since_epoch()).count() / 24;
}

std::string DebugFileBaseName(const std::string& moduleFileName)
{
    const size_t dot = moduleFileName.rfind('.');
    return dot == std::string::npos ? moduleFileName : moduleFileName.substr(0, dot);
}

std::optional<std::string> ReadFileRange(const std::string& path, uint64_t offset, uint64_t count)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    in.seekg(0, std::ios::end);
    const auto size = static_cast<uint64_t>(std::max<std::streamoff>(in.tellg(), 0));
    if (offset >= size)
        return std::string();
    const uint64_t length = std::min(count, size - offset);
    std::string bytes(static_cast<size_t>(length), '\0');
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(bytes.data(), static_cast<std::streamsize>(length));
    bytes.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return bytes;
}

std::optional<std::string> ModuleDebugSources::ReadFilePart(const std::string& path,
                                                            uint64_t offset, uint64_t count)
{
    std::optional<std::string> file = ReadFile(path);
    if (!file || offset >= file->size())
        return file ? std::optional<std::string>(std::string()) : std::nullopt;
    return file->substr(static_cast<size_t>(offset),
                        static_cast<size_t>(std::min<uint64_t>(count, file->size() - offset)));
}

std::optional<std::string> Td32DataInModuleFile(ModuleDebugSources& sources,
                                                const std::string& moduleFileName)
{
    // The headers and the section table lie in the file's first bytes; 64 KiB holds any
    // image's headers (they are at most a few pages).
    constexpr uint64_t HeadersRead = 0x10000;
    const std::optional<std::string> headers = sources.ReadFilePart(moduleFileName, 0, HeadersRead);
    if (!headers)
        return std::nullopt;
    const PeFileView image(*headers);
    if (!image.Valid() || image.Sections().empty())
        return std::string();
    const auto [rva, size] = image.DataDirectory(DebugDirectoryIndex);
    const PeSectionHeader& last = image.Sections().back();
    if (rva == 0 || last.virtualAddress != rva)
        return std::string();
    // The debug directory entry: 28 bytes, the file offset of its data at byte 24.
    const std::optional<std::string> entry =
        sources.ReadFilePart(moduleFileName, uint64_t(last.rawOffset) + 24, 4);
    if (!entry || entry->size() < 4)
        return std::string();
    const uint32_t dataOffset = U32At(*entry, 0);
    if (dataOffset == 0)
        return std::string();
    std::optional<std::string> data = sources.ReadFilePart(
        moduleFileName, dataOffset, std::numeric_limits<uint64_t>::max() - dataOffset);
    return data ? std::move(data) : std::optional<std::string>(std::string());
}

std::string MinDebugInfoOf(std::string_view settings)
{
    const std::string_view property = "\x0CMinDebugInfo";
    for (size_t at = settings.find(property); at != std::string_view::npos;
         at = settings.find(property, at + 1)) {
        const size_t value = at + property.size();
        if (value + 5 + FingerprintLength > settings.size() || settings[value] != LongStringTag ||
            U32At(settings, value + 1) != FingerprintLength)
            continue;
        return std::string(settings.substr(value + 5, FingerprintLength));
    }
    return {};
}

TMapFile::TMapFile(bool valid, std::string moduleFileName, uintptr_t moduleHandle, bool codeOnly,
                   bool sideFilesOnly, ModuleDebugSources* sources)
    : tables_(ModuleLayout{}, codeOnly), codeOnly_(codeOnly)
{
    if (!valid || !sources)
        return;
    moduleFileName_ = std::move(moduleFileName);
    debugFileName_ = moduleFileName_;
    moduleHandle_ = moduleHandle;
    const std::optional<ModuleLayout> layout = sources->Layout();
    if (!layout)
        return;
    tables_ = DebugTables(*layout, codeOnly_);
    dataStart_ = layout->dataBase;
    dataEnd_ = sources->DataEnd();
    valid_ = Load(sideFilesOnly, *sources);
    if (valid_)
        tables_.SortLines();
}

bool TMapFile::Load(bool sideFilesOnly, ModuleDebugSources& sources)
{
    const std::string base = DebugFileBaseName(debugFileName_);
    const auto readSideFile = [&](const char* extension,
                                  bool (*reader)(std::string_view, DebugTables&)) {
        const std::optional<std::string> file = sources.ReadFile(base + extension);
        return file && reader(*file, tables_);
    };
    if (sideFilesOnly)
        return readSideFile(".qor", ReadPackedDebugInfo);
    return LoadPacked(sources) || LoadTd32(sources) || readSideFile(".map", ReadMapText) ||
           readSideFile(".qor", ReadPackedDebugInfo) || readSideFile(".bdbg", ReadBdbgFile);
}

bool TMapFile::LoadPacked(ModuleDebugSources& sources)
{
    const std::string data = sources.Resource("QOR", "EXCEPT");
    const std::optional<PackedDebugHeader> header = ReadPackedDebugHeader(data);
    if (!header)
        return false;
    std::string fingerprint;
    if (header->flags & PackedMinimalFlag) {
        // Minimal information in the module: the full ".qor" file wins when its fingerprint is
        // the one the settings name.
        fingerprint = MinDebugInfoOf(sources.Resource("#10", "TQOREXCEPT"));
        if (!fingerprint.empty()) {
            const ModuleLayout layout = tables_.Layout();
            tables_.fingerprint = fingerprint;
            const std::optional<std::string> full =
                sources.ReadFile(DebugFileBaseName(debugFileName_) + ".qor");
            if (full && ReadPackedDebugInfo(*full, tables_))
                return true;
            tables_ = DebugTables(layout, codeOnly_);
        }
    }
    tables_.fingerprint.clear();
    if (!ReadPackedDebugInfo(data, tables_))
        return false;
    if (header->flags & PackedMinimalFlag)
        tables_.fingerprint = fingerprint;
    return true;
}

bool TMapFile::LoadTd32(ModuleDebugSources& sources)
{
    if (tables_.Layout().twoCodeSections)
        return false;
    if (const std::optional<std::string> inImage = sources.ImageDebugData())
        return ReadTd32Data(*inImage, tables_);
    // A ".tds" file older (in whole days) than the ".map" of the same name is stale.
    const std::string base = DebugFileBaseName(debugFileName_);
    const std::optional<int64_t> tdsDay = sources.FileDay(base + ".tds");
    const std::optional<int64_t> mapDay = sources.FileDay(base + ".map");
    if (tdsDay && !(mapDay && *tdsDay < *mapDay)) {
        const std::optional<std::string> tds = sources.ReadFile(base + ".tds");
        if (tds)
            return ReadTd32Data(*tds, tables_);
    }
    const std::optional<std::string> data = Td32DataInModuleFile(sources, moduleFileName_);
    return data && !data->empty() && ReadTd32Data(*data, tables_);
}

TMfSegment TMapFile::SegmentAt(bool code, uint32_t address) const
{
    const TMfSegment* segment = tables_.SegmentAt(code, address);
    return segment ? *segment : TMfSegment{};
}

TMfPublic TMapFile::PublicAt(uint32_t address) const
{
    const std::vector<TMfPublic>& publics = tables_.publics;
    const auto next =
        std::upper_bound(publics.begin(), publics.end(), address,
                         [](uint32_t a, const TMfPublic& p) { return a < p.address; });
    if (next == publics.begin())
        return {};
    if (next == publics.end() && CodeEnd() != 0 && address >= CodeEnd())
        return {};
    return *(next - 1);
}

int32_t TMapFile::LineAt(uint32_t address, uint32_t& nextLineAddress) const
{
    nextLineAddress = address + 1;
    const std::vector<TMfLine>& lines = tables_.lines;
    const TMfSegment* segment = tables_.SegmentAt(true, address);
    if (lines.empty())
        return segment && segment->hasLines ? -1 : 0;
    const auto next = std::upper_bound(lines.begin(), lines.end(), address,
                                       [](uint32_t a, const TMfLine& l) { return a < l.address; });
    if (next == lines.begin() || !segment)
        return 0;
    if (next == lines.end() && CodeEnd() != 0 && address >= CodeEnd())
        return 0;
    const TMfLine& found = *(next - 1);
    if (uint64_t(found.address) > uint64_t(segment->start) + segment->length ||
        found.address < segment->start)
        return 0;
    if (next != lines.end())
        nextLineAddress = next->address;
    return found.line;
}

uint32_t TMapFile::LocatePublic(bool code, const std::string& unit, const std::string& name,
                                bool caseSensitive) const
{
    const auto search = [&](const std::string& wanted) -> uint32_t {
        for (const TMfSegment& s : tables_.segments) {
            if (s.code != code || !TextMatches(s.unit, wanted))
                continue;
            for (const TMfPublic& p : tables_.publics)
                if (p.code == code && p.address >= s.start &&
                    uint64_t(p.address) <= uint64_t(s.start) + s.length &&
                    (caseSensitive ? p.name == name : TextMatches(p.name, name)))
                    return p.address;
        }
        return 0;
    };
    uint32_t address = search(unit);
    if (address == 0 && unit.find('.') == std::string::npos)
        for (const char* extension : {".cpp", ".h", ".c"})
            if ((address = search(unit + extension)) != 0)
                break;
    return address;
}

ModuleFileDebugSources::ModuleFileDebugSources(std::string moduleFileName)
{
    file_ = ReadFile(moduleFileName).value_or(std::string());
    const PeFileView image(file_);
    if (image.Valid() && !image.Pe32Plus())
        imageBase_ = static_cast<uint32_t>(image.ImageBase());
}

std::optional<ModuleLayout> ModuleFileDebugSources::Layout()
{
    const PeFileView image(file_);
    if (!image.Valid() || image.Pe32Plus())
        return std::nullopt;
    return image.LayoutAt(imageBase_);
}

uint32_t ModuleFileDebugSources::DataEnd()
{
    const PeFileView image(file_);
    return image.DataStartAt(imageBase_) + image.DataSizes();
}

std::string ModuleFileDebugSources::Resource(std::string_view type, std::string_view name)
{
    return std::string(PeFileView(file_).Resource(type, name));
}

std::optional<std::string> ModuleFileDebugSources::ImageDebugData()
{
    // The loaded image's debug directory entry names its data by RVA (byte 20) and size
    // (byte 16); in the file the same bytes lie at the section's raw data.
    const PeFileView image(file_);
    const auto [rva, size] = image.DataDirectory(DebugDirectoryIndex);
    if (rva == 0 || size == 0)
        return std::nullopt;
    const std::optional<uint32_t> entry = image.FileOffsetOf(rva);
    if (!entry)
        return std::string();
    const std::optional<uint32_t> data = image.FileOffsetOf(U32At(file_, size_t(*entry) + 20));
    if (!data)
        return std::string();
    const uint32_t dataSize = U32At(file_, size_t(*entry) + 16);
    if (*data > file_.size())
        return std::string();
    return std::string(std::string_view(file_).substr(*data, dataSize));
}

std::optional<std::string> ModuleFileDebugSources::ReadFile(const std::string& path)
{
    return ReadWholeFile(path);
}

std::optional<std::string> ModuleFileDebugSources::ReadFilePart(const std::string& path,
                                                                uint64_t offset, uint64_t count)
{
    return ReadFileRange(path, offset, count);
}

std::optional<int64_t> ModuleFileDebugSources::FileDay(const std::string& path)
{
    return FileDayOf(path);
}

std::shared_ptr<const TMapFile> DebugInfoStore::MapFileOf(uintptr_t address)
{
    const auto empty = [] {
        return std::make_shared<const TMapFile>(false, std::string(), 0, false, false, nullptr);
    };
    try {
        uintptr_t module = 0;
        std::string fileName;
        if (!platform_.ModuleOfAddress(address, module, fileName))
            return empty();
        const uint32_t dosDateTime = platform_.FileDosDateTime(fileName);
        // Loading happens under the lock, so that two threads asking for the same module
        // build it once.
        std::lock_guard<std::mutex> hold(lock_);
        for (size_t i = 0; i < cache_.size(); ++i) {
            if (!TextMatches(cache_[i].mapFile->ModuleFileName(), fileName))
                continue;
            if (cache_[i].dosDateTime == dosDateTime)
                return cache_[i].mapFile;
            // The module file was rebuilt: drop the stale object (a user still holding it
            // keeps it alive until done).
            cache_[i] = std::move(cache_.back());
            cache_.pop_back();
            break;
        }
        const std::unique_ptr<ModuleDebugSources> sources = platform_.SourcesOf(module, fileName);
        auto made =
            std::make_shared<const TMapFile>(true, fileName, module, false, false, sources.get());
        if (made->Valid())
            cache_.push_back({dosDateTime, made});
        return made;
    } catch (...) {
        return empty();
    }
}

bool DebugInfoStore::AddressInfo(uintptr_t address, AddressDetails& details)
{
    details = {};
    const std::shared_ptr<const TMapFile> mapFile = MapFileOf(address);
    if (!mapFile->Valid() || !FitsAddress(address))
        return false;
    const uint32_t at = static_cast<uint32_t>(address);
    details.moduleFileName = mapFile->ModuleFileName();
    details.unit = mapFile->SegmentAt(true, at).unit;
    const TMfPublic routine = mapFile->PublicAt(at);
    if (routine.valid) {
        details.routine = routine.name;
        details.routineStart = routine.address;
    }
    uint32_t next = 0;
    details.line = std::max(mapFile->LineAt(at, next), 0);
    return true;
}

std::string DebugInfoStore::RoutineNameAt(uintptr_t address)
{
    const std::shared_ptr<const TMapFile> mapFile = MapFileOf(address);
    if (!mapFile->Valid() || !FitsAddress(address))
        return {};
    const uint32_t at = static_cast<uint32_t>(address);
    const TMfPublic routine = mapFile->PublicAt(at);
    if (!routine.valid || routine.address != at)
        return {};
    const std::string unit = mapFile->SegmentAt(true, at).unit;
    std::string name = unit.empty() ? routine.name : unit + "." + routine.name;
    if (name.find('%') != std::string::npos)
        name += " (" + FileNameWithoutPath(mapFile->ModuleFileName()) + ")";
    return name;
}

void DebugInfoStore::CachedLineAt(uintptr_t address, int32_t& line, uintptr_t& rangeStart,
                                  uintptr_t& rangeEnd)
{
    if (line != 0 && address >= rangeStart && address < rangeEnd)
        return;
    line = 0;
    rangeStart = address;
    rangeEnd = address + 1;
    const std::shared_ptr<const TMapFile> mapFile = MapFileOf(address);
    if (!mapFile->Valid() || !FitsAddress(address))
        return;
    uint32_t next = 0;
    line = std::max(mapFile->LineAt(static_cast<uint32_t>(address), next), 0);
    rangeEnd = next;
}

void DebugInfoStore::Clear()
{
    std::lock_guard<std::mutex> hold(lock_);
    cache_.clear();
}

size_t DebugInfoStore::CachedCount()
{
    std::lock_guard<std::mutex> hold(lock_);
    return cache_.size();
}

} // namespace qor
