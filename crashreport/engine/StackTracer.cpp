#include "StackTracer.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>

#include "QorStrings.h"
#include "QorUnmangle.h"
#include "QorZip.h"
#include "X86Decoder.h"

namespace qor {

namespace {

constexpr uint32_t kPageSize = 0x1000;

// Scores of chain links: the high half carries the path's state bits.
constexpr uint64_t kGoalUnknown = uint64_t{0x50000000} << 32;
constexpr uint64_t kGoalKnown = uint64_t{0x70000000} << 32;
constexpr uint64_t kNoPath = uint64_t{0x10000000} << 32;
constexpr uint64_t kGoalReached = uint64_t{0x40000000} << 32;
constexpr uint64_t kDirect = uint64_t{0x20000000} << 32;

std::string Hex8(uint32_t value)
{
    return FormatHex(value, 8, '0').substr(1);
}

std::string HexPlain(uint32_t value)
{
    return FormatHex(value, 1, '0').substr(1);
}

std::string FileNameOnly(const std::string& path)
{
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ContainsNoCase(const std::string& text, const std::string& part)
{
    return LowerStr(text).find(LowerStr(part)) != std::string::npos;
}

} // namespace

// --- reads ------------------------------------------------------------------------------------

bool IsCallBefore(const CodeMemory& memory, uint32_t returnAddress)
{
    uint8_t b[8];
    if (returnAddress <= 7 || !memory.Read(returnAddress - 8, b, 8))
        return false;
    // b[8 - k] is the byte at R-k.
    auto at = [&](int k) { return b[8 - k]; };
    if (at(5) == 0xE8 || at(7) == 0x9A)
        return true;
    for (int k : {2, 3, 4, 6, 7}) {
        if (at(k) == 0xFF && (at(k - 1) & 0x38) >> 3 >= 2 && (at(k - 1) & 0x38) >> 3 <= 3)
            return true;
    }
    return false;
}

const PageCachedMemory::Page& PageCachedMemory::PageOf(uint32_t number) const
{
    auto at = std::lower_bound(pages_.begin(), pages_.end(), number,
                               [](const Page& p, uint32_t n) { return p.number < n; });
    if (at != pages_.end() && at->number == number)
        return *at;
    Page page{number, 0, std::vector<uint8_t>(kPageSize)};
    // One read per page: as far as the region holding the page's start goes (a page may be
    // mapped only in part, as the tail of an image section in a synthetic image).
    const uint32_t start = number * kPageSize;
    const MemoryRegion r = source_.Region(start);
    const uint64_t end = std::min(uint64_t{r.start} + r.size, uint64_t{start} + kPageSize);
    if (r.readable && r.start <= start && end > start &&
        source_.Read(start, page.bytes.data(), static_cast<uint32_t>(end - start)))
        page.readable = static_cast<uint32_t>(end - start);
    return *pages_.insert(at, std::move(page));
}

bool PageCachedMemory::Read(uint32_t address, void* destination, uint32_t count) const
{
    auto* out = static_cast<uint8_t*>(destination);
    // The program's own code is read where it lies: no copy of its pages, no read service.
    if (const uint8_t* inPlace = source_.InPlace(address, count)) {
        std::memcpy(out, inPlace, count);
        return true;
    }
    while (count > 0) {
        const Page& page = PageOf(address / kPageSize);
        uint32_t offset = address % kPageSize;
        uint32_t n = std::min(count, kPageSize - offset);
        // Bytes past the cached part of the page: memory that is not laid out in pages (blocks
        // starting inside a page) is read from the source as asked.
        if (offset + n > page.readable)
            return source_.Region(address).readable && source_.Read(address, out, count);
        std::memcpy(out, page.bytes.data() + offset, n);
        out += n;
        count -= n;
        if (count > 0 && address > 0xFFFFFFFFu - n)
            return false;
        address += n;
    }
    return true;
}

MemoryRegion PageCachedMemory::Region(uint32_t address) const
{
    for (const auto& [page, region] : regions_) {
        if (page == address / kPageSize)
            return region;
    }
    MemoryRegion region = source_.Region(address);
    regions_.emplace_back(address / kPageSize, region);
    return region;
}

// --- process-wide tables ----------------------------------------------------------------------

struct StackTracer::Tables {
    struct Module {
        TraceModuleInfo info;
        std::string name; // without path
    };
    struct Function {
        int module = -1;
        std::string name;
        TFunctionInfo info;
        bool approved = false;
        bool removed = false;
    };
    std::vector<Module> modules;
    std::vector<Function> functions;
    std::map<uint32_t, int> functionByEntry;
};

std::string InternalErrorText(const std::string& routine)
{
    return ">> internal error in " + routine;
}

StackTracer::StackTracer(const CodeMemory& memory, const TraceEnvironment& environment)
    : memory_(memory), environment_(environment), tables_(std::make_unique<Tables>())
{
    tables_->modules.reserve(16);
    tables_->functions.reserve(16);
}

StackTracer::~StackTracer() = default;

// --- one trace --------------------------------------------------------------------------------

struct StackTracer::Trace {
    struct Link {
        int other = -1; // -1: the link describes its own item
        uint32_t callSite = 0;
        bool targetKnown = false;
        uint32_t target = 0;
        int function = -1;
        uint64_t score = 0;
    };
    struct LinkList {
        std::vector<Link> links;
        int best = -1;
    };
    struct Item {
        uint32_t returnAddress = 0;
        bool keep = false;
        bool top = false;
        int module = -1;
        LinkList links[2]; // 0 towards newer items, 1 towards older items (and own links)
        bool removed = false;
        uint32_t shownAddress = 0;
        std::string moduleName, unitName;
        int32_t line = 0;
        std::string routineName;
        uint32_t routineStart = 0;
        int32_t line2 = 0;
    };
    struct CallSite {
        uint32_t site = 0;
        bool targetKnown = false;
        uint32_t target = 0;
    };

    StackTracer& tracer;
    const TraceStackArguments& args;
    PageCachedMemory memory;
    std::vector<Item> items;
    std::vector<uint32_t> chainSlots; // return-address slots of the frame-pointer chain
    bool hasCreator = false;
    bool replayed = false;
    bool topAppended = false;
    uint32_t finallyReturn = 0;

    Trace(StackTracer& t, const TraceStackArguments& a) : tracer(t), args(a), memory(t.memory_) {}

    Tables& T() { return *tracer.tables_; }
    bool Aborted() const { return args.abort && *args.abort; }
    void Progress(int position) const
    {
        if (args.progress)
            args.progress(args.progressContext, position);
    }

    // Modules ---------------------------------------------------------------------------------
    int ModuleIndexOf(uint32_t address)
    {
        for (size_t i = 0; i < T().modules.size(); ++i) {
            const TraceModuleInfo& m = T().modules[i].info;
            if ((address > m.codeStart && address < m.codeEnd) ||
                (address > m.dataStart && address < m.dataEnd) || address == m.handle)
                return static_cast<int>(i);
        }
        MemoryRegion region = memory.Region(address);
        if (!region.committed || region.allocationBase == 0)
            return -1;
        for (size_t i = 0; i < T().modules.size(); ++i) {
            if (T().modules[i].info.handle == region.allocationBase)
                return static_cast<int>(i);
        }
        TraceModuleInfo info;
        if (!tracer.environment_.ModuleAt(region.allocationBase, info))
            return -1;
        if (T().modules.size() == T().modules.capacity())
            T().modules.reserve(T().modules.size() * 2);
        T().modules.push_back({info, FileNameOnly(info.fileName)});
        return static_cast<int>(T().modules.size() - 1);
    }
    const TMapFile* DebugOf(int module)
    {
        return module < 0 ? nullptr : T().modules[static_cast<size_t>(module)].info.debug.get();
    }
    static bool InCode(const TraceModuleInfo& m, uint32_t a)
    {
        return a >= m.codeStart && a < m.codeEnd;
    }

    // Functions -------------------------------------------------------------------------------
    int FunctionAt(uint32_t entry, int module, const std::string& name)
    {
        if (auto found = T().functionByEntry.find(entry); found != T().functionByEntry.end())
            return found->second;
        AnalyserAnchors anchors;
        if (module >= 0)
            anchors = tracer.environment_.AnchorsFor(T().modules[static_cast<size_t>(module)].info);
        Tables::Function f;
        f.module = module;
        f.info = AnalyseCode(memory, entry, anchors);
        f.name = name;
        if (f.name.empty() && module >= 0) {
            const TraceModuleInfo& m = T().modules[static_cast<size_t>(module)].info;
            if (const TMapFile* d = m.debug.get()) {
                TMfPublic p = d->PublicAt(entry);
                if (p.valid && p.address == entry)
                    f.name = p.name;
            }
            if (f.name.empty())
                f.name = tracer.environment_.ExportNameAt(m, entry);
        }
        int index = static_cast<int>(T().functions.size());
        T().functions.push_back(std::move(f));
        T().functionByEntry[entry] = index;
        // Functions reached by outside jumps belong to the same code path: add them too.
        std::vector<uint32_t> jumps;
        for (const TOutsideBranch& b :
             T().functions[static_cast<size_t>(index)].info.outsideBranches)
            if (!b.call && b.target)
                jumps.push_back(b.target);
        for (uint32_t target : jumps)
            FunctionAt(target, ModuleIndexOf(target), {});
        return index;
    }
    Tables::Function& Fn(int index) { return T().functions[static_cast<size_t>(index)]; }

    void Approve(int index)
    {
        std::vector<int> work{index};
        std::vector<bool> seen(T().functions.size() + 1);
        while (!work.empty()) {
            int f = work.back();
            work.pop_back();
            if (static_cast<size_t>(f) >= seen.size())
                seen.resize(static_cast<size_t>(f) + 1);
            if (seen[static_cast<size_t>(f)] || Fn(f).removed)
                continue;
            seen[static_cast<size_t>(f)] = true;
            Fn(f).approved = true;
            for (const TOutsideBranch& b : Fn(f).info.outsideBranches)
                if (!b.call && b.target)
                    if (auto it = T().functionByEntry.find(b.target);
                        it != T().functionByEntry.end())
                        work.push_back(it->second);
        }
    }

    static bool InAreas(const TFunctionInfo& info, uint32_t address)
    {
        for (const TCodeArea& a : info.areas)
            if (!a.caseTable && !a.exceptionTable && a.end && address >= a.start &&
                address <= a.end)
                return true;
        return false;
    }

    // The call before a return address inside function f (not the top item).
    bool CallIn(int f, uint32_t returnAddress, CallSite& site)
    {
        const TFunctionInfo& info = Fn(f).info;
        if (!info.valid)
            return false;
        for (const TUnknownBranch& b : info.unknownBranches)
            if (b.next == returnAddress && b.call) {
                site = {b.start, false, 0};
                return true;
            }
        for (const TOutsideBranch& b : info.outsideBranches)
            if (b.next == returnAddress && b.call) {
                site = {b.start, b.target != 0, b.target};
                return true;
            }
        return false;
    }

    // The top item: the instruction that ends at the return address, or the raise call.
    bool TopCallIn(int f, Item& item, CallSite& site)
    {
        const TFunctionInfo& info = Fn(f).info;
        if (info.codeLength == 0 && info.areas.empty())
            return item.returnAddress == info.entry;
        if (!info.valid)
            return false;
        if (!args.outsideException && args.isException) {
            for (const TOutsideBranch& b : info.outsideBranches) {
                if (!b.call || b.next != args.currentAddress || !b.target)
                    continue;
                std::string name = RoutineName(b.target);
                if (ContainsNoCase(name, "@RaiseExcept") || ContainsNoCase(name, "Error")) {
                    item.returnAddress = b.next;
                    site = {b.start, true, b.target};
                    return true;
                }
            }
        }
        for (const TCodeArea& a : info.areas) {
            if (a.caseTable || a.exceptionTable || !a.end || item.returnAddress < a.start ||
                item.returnAddress > a.end + 1)
                continue;
            for (uint32_t at = a.start; at < item.returnAddress;) {
                TDecodedInstruction d = DecodeInstruction(memory, at);
                if (!d.valid || d.next <= at)
                    return false;
                if (d.next == item.returnAddress) {
                    site = {d.start, d.target != 0, d.target};
                    return true;
                }
                at = d.next;
            }
        }
        return false;
    }

    std::string RoutineName(uint32_t address)
    {
        int module = ModuleIndexOf(address);
        if (const TMapFile* d = DebugOf(module)) {
            TMfPublic p = d->PublicAt(address);
            if (p.valid && p.address == address)
                return p.name;
        }
        if (auto it = T().functionByEntry.find(address); it != T().functionByEntry.end())
            return Fn(it->second).name;
        return {};
    }

    void AddOwnLink(Item& item, int function, const CallSite& site)
    {
        Link link;
        link.callSite = site.site;
        link.targetKnown = site.targetKnown;
        link.target = site.target;
        link.function = function;
        item.links[1].links.push_back(link);
    }

    // Phase 1 ---------------------------------------------------------------------------------
    std::vector<uint32_t> FramePointerChain()
    {
        std::vector<uint32_t> slots;
        uint32_t f = args.framePointer;
        while (f && f >= args.stackBottom && uint64_t{f} + 8 <= args.stackTop) {
            slots.push_back(f + 4);
            uint32_t next = 0;
            if (!ReadDword(memory, f, next) || next <= f)
                break;
            f = next;
        }
        return slots; // ascending: stack order from the newest frame
    }

    // Adds the candidate V found in slot S (0 for the top item and the creator). Returns whether
    // it was stored.
    bool AddCandidate(uint32_t slot, uint32_t value, bool top, bool marked, bool creator,
                      size_t& chainAt)
    {
        Item item;
        item.returnAddress = value;
        item.top = top;
        uint32_t examined = value - 1;
        CallSite site;
        bool siteKnown = false;
        if (top) {
            examined = value;
            uint8_t probe[8];
            if (memory.Read(value, probe, 8)) {
                TDecodedInstruction d = DecodeInstruction(memory, value);
                if (d.valid) {
                    item.returnAddress = d.next;
                    site = {value, false, 0};
                }
            }
        }
        MemoryRegion region = memory.Region(examined);
        bool readableCode = region.committed && region.allocationBase != 0;
        if (!top && !creator && (!readableCode || !IsCallBefore(memory, value)))
            return false;
        item.module = readableCode ? ModuleIndexOf(examined) : -1;
        if (item.module >= 0) {
            const TraceModuleInfo& m = T().modules[static_cast<size_t>(item.module)].info;
            bool inCode = item.returnAddress >= m.codeStart && item.returnAddress <= m.codeEnd;
            bool inData = item.returnAddress >= m.dataStart && item.returnAddress <= m.dataEnd;
            if (!inCode && !inData && !top && !creator)
                return false;
        }
        bool onChain = false;
        if (slot) {
            while (chainAt > 0 && chainSlots[chainAt - 1] > slot)
                --chainAt;
            onChain = chainAt > 0 && chainSlots[chainAt - 1] == slot;
        }
        int function = -1;
        if (item.module >= 0 && readableCode) {
            const TraceModuleInfo& m = T().modules[static_cast<size_t>(item.module)].info;
            const TMapFile* debug = m.debug.get();
            if (InCode(m, examined) && debug) {
                TMfPublic p = debug->PublicAt(examined);
                if (p.valid && p.code) {
                    int f = FunctionAt(p.address, item.module, p.name);
                    Approve(f);
                    if (Lookup(f, item, top, site)) {
                        function = f;
                    } else {
                        // Parts of the routine reached by jumps (cold paths, labels).
                        std::vector<TOutsideBranch> jumps = Fn(f).info.outsideBranches;
                        for (const TOutsideBranch& b : jumps) {
                            bool insideCode =
                                b.target >= Fn(f).info.codeStart &&
                                b.target < Fn(f).info.codeStart + Fn(f).info.codeLength;
                            TMfPublic owner = debug->PublicAt(b.target);
                            bool samePublic = owner.valid && owner.address == p.address;
                            if (b.target <= p.address || !(insideCode || samePublic))
                                continue;
                            int g = FunctionAt(b.target, item.module, p.name + ".@label");
                            Approve(g);
                            if (Lookup(g, item, top, site)) {
                                function = g;
                                break;
                            }
                        }
                    }
                }
            } else if (!debug && !m.mainModule) {
                uint32_t entry = tracer.environment_.NearestExport(m, examined);
                if (entry) {
                    int f = FunctionAt(entry, item.module, {});
                    if (InAreas(Fn(f).info, examined) && Lookup(f, item, top, site))
                        function = f;
                }
            }
        }
        siteKnown = function >= 0;
        if (top && !siteKnown && (!args.isException || args.outsideException)) {
            site = {item.returnAddress, false, 0};
            if (args.isException && args.outsideException) {
                uint8_t probe;
                if (!memory.Read(value, &probe, 1)) {
                    Tables::Function f;
                    f.module = item.module;
                    f.info.entry = value;
                    f.info.valid = true;
                    int index = static_cast<int>(T().functions.size());
                    if (auto it = T().functionByEntry.find(value); it != T().functionByEntry.end())
                        index = it->second;
                    else {
                        T().functions.push_back(f);
                        T().functionByEntry[value] = index;
                    }
                    function = index;
                    item.returnAddress = value;
                    site = {value, false, 0};
                }
            }
            AddOwnLink(item, function, site);
        }
        if (!(top || siteKnown || marked || onChain || creator))
            return false;
        item.keep = top || marked || onChain || creator;
        if (siteKnown)
            AddOwnLink(item, function, site);
        items.push_back(std::move(item));
        return true;
    }

    bool Lookup(int f, Item& item, bool top, CallSite& site)
    {
        if (Fn(f).removed)
            return false;
        return top ? TopCallIn(f, item, site) : CallIn(f, item.returnAddress, site);
    }

    void CollectPossibleStackItems()
    {
        chainSlots = FramePointerChain();
        size_t chainAt = chainSlots.size();
        if (args.creatorAddress) {
            hasCreator = AddCandidate(0, args.creatorAddress, false, true, true, chainAt);
        }
        bool endedAtTop = false;
        if (args.preparedList && !args.preparedList->empty()) {
            replayed = true;
            const TDAPreStackList& list = *args.preparedList;
            size_t count = std::min<size_t>((*args.preparedList)[0].address, list.size() - 1);
            for (size_t i = 1; i <= count && !Aborted(); ++i) {
                size_t none = 0;
                AddCandidate(0, list[i].address, false, list[i].frameChain != 0, false, none);
                Progress(static_cast<int>(25 * i / (count + 1)));
            }
        } else if (args.stackTop > args.stackBottom) {
            uint32_t span = args.stackTop - args.stackBottom;
            for (uint32_t slot = (args.stackTop - 4) & ~3u; slot >= args.stackBottom;) {
                if (Aborted())
                    return;
                uint32_t value = 0;
                if (ReadDword(memory, slot, value) && value != finallyReturn) {
                    if (args.isException && value == args.currentAddress && !args.noTopItem) {
                        endedAtTop = AddCandidate(slot, value, true, false, false, chainAt);
                        if (endedAtTop)
                            break;
                    } else if (AddCandidate(slot, value, false, false, false, chainAt) &&
                               chainAt > 0 && chainSlots[chainAt - 1] == slot) {
                        if (slot < args.stackBottom + 4)
                            break;
                        slot -= 4; // the saved frame pointer below a chain slot
                    }
                }
                if (slot < args.stackBottom + 4)
                    break;
                slot -= 4;
                if ((slot & 0xFFF) == 0)
                    Progress(static_cast<int>(25ull * (args.stackTop - slot) / span));
            }
        }
        if (!args.noTopItem && !endedAtTop && args.currentAddress) {
            size_t none = 0;
            topAppended = AddCandidate(0, args.currentAddress, true, false, false, none);
        }
        Progress(25);
    }

    // Phases 2 and 5 --------------------------------------------------------------------------
    void RemoveLinksTo(int index)
    {
        for (Item& it : items)
            for (LinkList& list : it.links) {
                auto end = std::remove_if(list.links.begin(), list.links.end(),
                                          [&](const Link& l) { return l.other == index; });
                list.links.erase(end, list.links.end());
                list.best = -1;
            }
    }

    void RemoveRecursion(bool markOnly)
    {
        for (bool changed = true; changed && !Aborted();) {
            changed = false;
            for (int i = static_cast<int>(items.size()) - 1; i >= 1; --i) {
                if (items[static_cast<size_t>(i)].removed)
                    continue;
                int k = i - 1;
                std::vector<int> between;
                while (k >= 0 && (items[static_cast<size_t>(k)].removed ||
                                  items[static_cast<size_t>(k)].returnAddress !=
                                      items[static_cast<size_t>(i)].returnAddress)) {
                    if (!items[static_cast<size_t>(k)].removed)
                        between.push_back(k);
                    --k;
                }
                if (k < 0)
                    continue;
                std::vector<int> below;
                for (int b = k - 1; b >= 0 && below.size() < between.size(); --b)
                    if (!items[static_cast<size_t>(b)].removed)
                        below.push_back(b);
                if (below.size() < between.size())
                    continue;
                bool equal = true;
                for (size_t n = 0; n < between.size() && equal; ++n)
                    equal = items[static_cast<size_t>(between[n])].returnAddress ==
                            items[static_cast<size_t>(below[n])].returnAddress;
                if (!equal)
                    continue;
                between.insert(between.begin(), i);
                for (int r : between) {
                    Item& it = items[static_cast<size_t>(r)];
                    it.keep = false;
                    it.removed = true;
                    if (!markOnly) {
                        it.links[0] = {};
                        it.links[1] = {};
                        RemoveLinksTo(r);
                    }
                }
                changed = true;
                break;
            }
        }
    }

    // Phase 3 ---------------------------------------------------------------------------------
    int FirstApprovedLink(const Item& item) const
    {
        const auto& links = item.links[1].links;
        for (size_t n = 0; n < links.size(); ++n)
            if (links[n].function >= 0 &&
                tracer.tables_->functions[static_cast<size_t>(links[n].function)].approved &&
                !tracer.tables_->functions[static_cast<size_t>(links[n].function)].removed)
                return static_cast<int>(n);
        return -1;
    }

    void RejectFunction(int f)
    {
        Fn(f).removed = true;
        Fn(f).approved = false;
        for (Item& it : items)
            for (LinkList& list : it.links) {
                auto end = std::remove_if(list.links.begin(), list.links.end(),
                                          [&](const Link& l) { return l.function == f; });
                if (end != list.links.end()) {
                    list.links.erase(end, list.links.end());
                    list.best = -1;
                }
            }
    }

    void Connect(int older, int newer, int function, const CallSite& site)
    {
        Link up;
        up.other = newer;
        up.callSite = site.site;
        up.targetKnown = site.targetKnown;
        up.target = site.target;
        up.function = function;
        items[static_cast<size_t>(older)].links[0].links.push_back(up);
        Link down = up;
        down.other = older;
        items[static_cast<size_t>(newer)].links[1].links.push_back(down);
    }

    bool HasApprovedLinkWithOtherSite(const Item& item, uint32_t site) const
    {
        for (const Link& l : item.links[1].links)
            if (l.function >= 0 &&
                tracer.tables_->functions[static_cast<size_t>(l.function)].approved &&
                l.callSite != site)
                return true;
        return false;
    }

    // Links the newer items up to the next kept one that this item's call can have reached.
    void ConnectUpwards(int i, bool targetKnown, uint32_t target, bool approved)
    {
        int targetFunction = -1;
        bool targetHasUnknownJump = false;
        if (targetKnown && target) {
            targetFunction = FunctionAt(target, ModuleIndexOf(target), {});
            if (approved)
                Approve(targetFunction);
            for (const TUnknownBranch& b : Fn(targetFunction).info.unknownBranches)
                targetHasUnknownJump |= !b.call;
        }
        bool hasUnknownLink = false;
        for (const Link& l : items[static_cast<size_t>(i)].links[0].links)
            hasUnknownLink |= l.function < 0;
        for (size_t j = static_cast<size_t>(i) + 1; j < items.size(); ++j) {
            Item& newer = items[j];
            if (!newer.removed) {
                if (targetFunction >= 0) {
                    CallSite site;
                    Item probe = newer;
                    bool found = newer.top ? TopCallIn(targetFunction, probe, site)
                                           : CallIn(targetFunction, newer.returnAddress, site);
                    if (found && !(!approved && HasApprovedLinkWithOtherSite(newer, site.site))) {
                        Connect(i, static_cast<int>(j), targetFunction, site);
                    } else if (targetHasUnknownJump &&
                               InAreas(Fn(targetFunction).info, newer.returnAddress - 1)) {
                        Connect(i, static_cast<int>(j), -1, {});
                    }
                } else if (!hasUnknownLink) {
                    Connect(i, static_cast<int>(j), -1, {});
                }
            }
            if (newer.keep)
                break;
        }
    }

    void InDeepChecks()
    {
        size_t first = hasCreator ? 1 : 0;
        std::vector<int> approvedFunctions;
        for (size_t f = 0; f < T().functions.size(); ++f)
            if (T().functions[f].approved && !T().functions[f].removed)
                approvedFunctions.push_back(static_cast<int>(f));
        for (size_t i = first; i < items.size(); ++i) {
            if (Aborted())
                return;
            Progress(25 + static_cast<int>(625 * i / std::max<size_t>(1, items.size())));
            Item& item = items[i];
            if (item.removed)
                continue;
            int linkIndex = FirstApprovedLink(item);
            if (linkIndex < 0) {
                for (int f : approvedFunctions) {
                    if (Fn(f).removed || !InAreas(Fn(f).info, item.returnAddress - 1))
                        continue;
                    CallSite site;
                    if (Lookup(f, item, item.top, site)) {
                        AddOwnLink(item, f, site);
                        linkIndex = static_cast<int>(item.links[1].links.size() - 1);
                    } else if (!item.keep) {
                        item.removed = true;
                    }
                    break;
                }
                if (item.removed)
                    continue;
            }
            if (linkIndex >= 0) {
                Link link = item.links[1].links[static_cast<size_t>(linkIndex)];
                std::vector<int> rejected;
                for (const Link& other : item.links[1].links)
                    if (other.function >= 0 && other.function != link.function &&
                        other.callSite != link.callSite)
                        rejected.push_back(other.function);
                for (int f : rejected)
                    RejectFunction(f);
                ConnectUpwards(static_cast<int>(i), link.targetKnown, link.target, true);
                continue;
            }
            // No approved function holds the address: decode the bytes before it.
            MemoryRegion region = memory.Region(item.returnAddress - 1);
            uint32_t from = item.returnAddress >= 7 ? item.returnAddress - 7 : 0;
            from = std::max(from, region.start);
            for (uint32_t at = from; at + 2 <= item.returnAddress; ++at) {
                TDecodedInstruction d = DecodeInstruction(memory, at);
                if (d.valid && d.call && d.next == item.returnAddress)
                    ConnectUpwards(static_cast<int>(i), d.target != 0, d.target, false);
            }
        }
    }

    // Phase 4 ---------------------------------------------------------------------------------
    bool HasLineBefore(int item)
    {
        const Item& it = items[static_cast<size_t>(item)];
        const TMapFile* d = DebugOf(it.module);
        uint32_t next = 0;
        return d && d->LineAt(it.returnAddress - 1, next) > 0;
    }

    // Scores the path from item `from` to item `goal` through link list `dir` (0: towards newer,
    // 1: towards older). Items between are scored first so that no recursion is needed.
    uint64_t ScorePath(int from, int goal, int dir)
    {
        std::map<int, uint64_t> best = ScorePaths(from, goal, dir);
        return best.count(from) ? best[from] : 0;
    }

    // The best score of every item from `from` to the one before `goal`.
    std::map<int, uint64_t> ScorePaths(int from, int goal, int dir)
    {
        int step = dir == 0 ? 1 : -1;
        std::map<int, uint64_t> best;
        for (int a = goal - step; a != from - step; a -= step) {
            if (a < 0 || static_cast<size_t>(a) >= items.size())
                break;
            Item& item = items[static_cast<size_t>(a)];
            if (item.removed) {
                best[a] = 0;
                continue;
            }
            uint64_t top = 0;
            item.links[dir].best = -1;
            for (size_t n = 0; n < item.links[dir].links.size(); ++n) {
                Link& l = item.links[dir].links[n];
                if (l.other < 0 || (dir == 0 ? l.other > goal : l.other < goal))
                    continue;
                if (Aborted()) {
                    l.score = kNoPath;
                } else if (l.score == 0) {
                    l.score = Score(a, l, goal, best);
                }
                if (l.score > kNoPath && l.score > top) {
                    top = l.score;
                    item.links[dir].best = static_cast<int>(n);
                }
            }
            best[a] = top;
        }
        return best;
    }

    uint64_t Score(int a, const Link& l, int goal, const std::map<int, uint64_t>& best)
    {
        bool known = l.function >= 0;
        uint64_t value;
        if (l.other == goal) {
            value = known ? kGoalKnown : kGoalUnknown;
        } else {
            if (items[static_cast<size_t>(l.other)].removed)
                return 0;
            auto it = best.find(l.other);
            value = it == best.end() ? 0 : it->second;
            if (value <= kNoPath)
                return 0;
        }
        int c;
        if (!known) {
            value &= ~kDirect;
            c = 0;
        } else {
            c = (value & kDirect) ? 28 : 14;
            if (Fn(l.function).approved)
                c += 14;
            const Item& item = items[static_cast<size_t>(a)];
            if (DebugOf(item.module) && items[static_cast<size_t>(l.other)].module >= 0) {
                if (!HasLineBefore(a))
                    c += 3;
                else
                    c += HasLineBefore(l.other) ? 9 : 6;
            }
        }
        return value + (uint64_t{1} << c);
    }

    void Readmit(int from, int goal, int dir)
    {
        int at = from;
        for (size_t guard = 0; at != goal && guard <= items.size(); ++guard) {
            Item& item = items[static_cast<size_t>(at)];
            item.removed = false;
            if (item.links[dir].best < 0)
                break;
            at = item.links[dir].links[static_cast<size_t>(item.links[dir].best)].other;
        }
    }

    // Before the oldest kept item: the oldest item with the best chain to it starts the trace.
    void ChooseStart(int goal)
    {
        std::map<int, uint64_t> best = ScorePaths(0, goal, 0);
        int start = -1;
        uint64_t top = kNoPath;
        for (const auto& [index, score] : best)
            if (score > top) {
                top = score;
                start = index;
            }
        for (int k = 0; k < goal; ++k)
            items[static_cast<size_t>(k)].removed = true;
        if (start >= 0)
            Readmit(start, goal, 0);
    }

    void ChooseChain(int older, int newer)
    {
        uint64_t forward = ScorePath(older, newer, 0);
        uint64_t backward = 0;
        if (!(forward & kGoalReached))
            backward = ScorePath(newer, older, 1);
        for (int k = older + 1; k < newer; ++k)
            items[static_cast<size_t>(k)].removed = true;
        if (forward >= backward && forward > kNoPath)
            Readmit(older, newer, 0);
        else if (backward > kNoPath)
            Readmit(newer, older, 1);
    }

    void RealizeOptimalLinkChains()
    {
        if (args.simpleMode || items.empty())
            return;
        int newer = static_cast<int>(items.size()) - 1;
        while (newer > 0 && items[static_cast<size_t>(newer)].removed)
            --newer;
        const int total = newer + 1;
        for (int k = newer - 1; k >= 0; --k) {
            if (Aborted())
                return;
            const Item& item = items[static_cast<size_t>(k)];
            if (item.removed || !item.keep)
                continue;
            if (newer - k > 1)
                ChooseChain(k, newer);
            newer = k;
            Progress(650 + 350 * (total - newer) / total);
        }
        if (newer > 0 && !Aborted())
            ChooseStart(newer);
        Progress(1000);
    }

    // Phases 6 and 7 --------------------------------------------------------------------------
    void FillFinalOutput(TraceStackResults& results)
    {
        for (int i = static_cast<int>(items.size()) - 1; i >= 0; --i) {
            if (Aborted())
                return;
            Item& item = items[static_cast<size_t>(i)];
            if (item.removed)
                continue;
            const Link* chosen = nullptr;
            for (const Link& l : item.links[1].links)
                if (l.function >= 0 && Fn(l.function).approved && l.callSite) {
                    chosen = &l;
                    break;
                }
            if (!chosen)
                for (const Link& l : item.links[1].links)
                    if (l.callSite) {
                        chosen = &l;
                        break;
                    }
            if (chosen) {
                item.shownAddress = chosen->callSite;
                if (chosen->function >= 0) {
                    std::string name = Fn(chosen->function).name, unit;
                    UnmangleName(name, unit);
                    item.routineName = name;
                    item.unitName = unit;
                    item.routineStart = Fn(chosen->function).info.entry;
                }
            } else {
                item.shownAddress = item.returnAddress;
            }
            if (item.module < 0) {
                item.moduleName = "???";
            } else {
                const Tables::Module& m = T().modules[static_cast<size_t>(item.module)];
                item.moduleName = m.name;
                if (const TMapFile* d = m.info.debug.get()) {
                    if (item.routineName.empty()) {
                        TMfPublic p = d->PublicAt(item.shownAddress);
                        if (p.valid) {
                            item.routineName = p.name;
                            item.routineStart = p.address;
                        }
                    }
                    TMfSegment s = d->SegmentAt(true, item.shownAddress);
                    if (s.valid)
                        item.unitName = s.unit;
                    uint32_t next = 0;
                    item.line = std::max(0, d->LineAt(item.shownAddress, next));
                    if (args.relativeLines && item.line > 0 && item.routineStart) {
                        int32_t first = d->LineAt(item.routineStart, next);
                        if (first > 0) {
                            item.line2 = item.line;
                            item.line = item.line - first;
                        }
                    }
                    std::string fingerprint = d->Fingerprint();
                    if (!fingerprint.empty()) {
                        std::string entry = m.name + "|" + fingerprint;
                        bool present = false;
                        for (const std::string& e : results.fingerprints)
                            present |= LowerStr(e) == LowerStr(entry);
                        if (!present)
                            results.fingerprints.push_back(entry);
                    }
                }
            }
            if (results.exceptionAddress == 0)
                results.exceptionAddress = item.shownAddress;
        }
        auto removeFromNewest = [&](const char* name, bool keepNewest) {
            for (int i = static_cast<int>(items.size()) - 1; i >= 0; --i) {
                if (items[static_cast<size_t>(i)].removed ||
                    items[static_cast<size_t>(i)].routineName != name)
                    continue;
                int newest = static_cast<int>(items.size()) - 1;
                for (int k = i; k <= newest; ++k)
                    if (!(keepNewest && k == newest))
                        items[static_cast<size_t>(k)].removed = true;
                return i;
            }
            return -1;
        };
        if (args.cppTerminationMode) {
            if (removeFromNewest("_ThrowExceptionLDTC", false) < 0)
                removeFromNewest("_ReThrowException", false);
        }
        if (replayed && topAppended) {
            int at = removeFromNewest("__ExceptionHandler", true);
            for (int k = at - 1; at >= 0 && k >= 0; --k) {
                Item& older = items[static_cast<size_t>(k)];
                if (older.removed || older.routineName.empty())
                    continue;
                if (older.routineName == "KiUserExceptionDispatcher")
                    older.removed = true;
                break;
            }
        }
    }

    void ComposeResult(TraceStackResults& results)
    {
        struct Row {
            const Item* item;
            bool hasOffset;
            uint32_t offset;
            std::string lineColumn, secondColumn;
        };
        std::vector<Row> rows;
        uint32_t lastAddress = 0;
        bool havePrinted = false;
        for (int i = static_cast<int>(items.size()) - 1; i >= 0; --i) {
            const Item& item = items[static_cast<size_t>(i)];
            if (item.removed)
                continue;
            bool creatorFrame = hasCreator && i == 0;
            bool named = !item.routineName.empty() &&
                         (item.line > 0 || item.line2 > 0 || !args.hideItemsWithoutLines);
            if (!(item.top || creatorFrame || named))
                continue;
            if (!item.top && !creatorFrame && havePrinted && item.shownAddress == lastAddress)
                continue;
            Row row{
                &item, item.routineStart != 0 && item.routineStart <= item.shownAddress, 0, {}, {}};
            if (row.hasOffset)
                row.offset = item.shownAddress - item.routineStart;
            if (item.line2 > 0) {
                row.lineColumn = std::to_string(item.line2);
                row.secondColumn = "+" + std::to_string(std::max(0, item.line));
            } else if (item.line > 0) {
                row.secondColumn = std::to_string(item.line);
            }
            rows.push_back(row);
            lastAddress = item.shownAddress;
            havePrinted = true;
        }
        size_t offsetWidth = 0, moduleWidth = 0, unitWidth = 0, lineWidth = 0, secondWidth = 0;
        bool anyOffset = false;
        for (const Row& r : rows) {
            if (r.hasOffset) {
                anyOffset = true;
                offsetWidth = std::max(offsetWidth, HexPlain(r.offset).size());
            }
            moduleWidth = std::max(moduleWidth, r.item->moduleName.size());
            unitWidth = std::max(unitWidth, r.item->unitName.size());
            lineWidth = std::max(lineWidth, r.lineColumn.size());
            secondWidth = std::max(secondWidth, r.secondColumn.size());
        }
        auto pad = [](std::string s, size_t width, bool right) {
            if (s.size() < width)
                s = right ? std::string(width - s.size(), ' ') + s
                          : s + std::string(width - s.size(), ' ');
            return s;
        };
        bool first = true;
        for (const Row& r : rows) {
            if (Aborted())
                break;
            const Item& item = *r.item;
            std::string line = Hex8(item.shownAddress) + " ";
            if (args.relativeAddresses && anyOffset) {
                std::string offset = r.hasOffset ? HexPlain(r.offset) : "";
                line += "+" + std::string(offsetWidth - offset.size(), '0') + offset + " ";
            }
            line += pad(item.moduleName, moduleWidth + 1, false);
            line += pad(item.unitName, unitWidth + 1, false);
            if (lineWidth > 0)
                line += pad(r.lineColumn, lineWidth + 1, true);
            line += pad(r.secondColumn, secondWidth + 1, true) + " ";
            line += item.routineName;
            if (!first)
                results.text += "\r\n";
            results.text += line;
            TStackItem out;
            out.address = item.shownAddress;
            out.offset = r.hasOffset ? r.offset : 0;
            out.moduleName = item.moduleName;
            out.unitName = item.unitName;
            out.line = r.lineColumn.empty() ? 0 : item.line2;
            out.relativeLine = std::max(0, item.line);
            out.routineName = item.routineName;
            results.items.push_back(out);
            if (item.line > 0 || item.line2 > 0)
                results.hasLines = true;
            uint32_t value = item.shownAddress;
            if (item.routineStart && item.module >= 0 && !item.routineName.empty()) {
                value = r.offset;
                for (const std::string* s : {&item.moduleName, &item.unitName, &item.routineName}) {
                    if (s->empty())
                        continue;
                    std::string lower = LowerStr(*s);
                    value = ContinueCrc32(value, lower.data(), lower.size());
                }
            }
            if (first) {
                results.firstChecksum = value;
                results.chainChecksum = value;
            } else {
                uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                                    static_cast<uint8_t>(value >> 16),
                                    static_cast<uint8_t>(value >> 24)};
                results.chainChecksum = ContinueCrc32(results.chainChecksum, bytes, 4);
            }
            first = false;
        }
        // The routine of the newest printed frame with a line, else with a routine start.
        for (const Row& r : rows)
            if (r.item->routineStart && (r.item->line > 0 || r.item->line2 > 0)) {
                results.routineStart = r.item->routineStart;
                results.routineAddress = r.item->shownAddress;
                return;
            }
        for (const Row& r : rows)
            if (r.item->routineStart) {
                results.routineStart = r.item->routineStart;
                results.routineAddress = r.item->shownAddress;
                return;
            }
    }
};

// --- entry points -----------------------------------------------------------------------------

void StackTracer::TraceStack(const TraceStackArguments& arguments, TraceStackResults& results)
{
    results = TraceStackResults{};
    TraceStackArguments args = arguments;
    if (args.stackTop <= args.stackBottom && !args.preparedList)
        return;
    // The stack range must be readable as a whole.
    if (!args.preparedList) {
        for (uint32_t page = args.stackBottom & ~(kPageSize - 1); page < args.stackTop;
             page += kPageSize) {
            MemoryRegion r = memory_.Region(std::max(page, args.stackBottom));
            if (!r.readable)
                return;
            if (page > 0xFFFFFFFFu - kPageSize)
                break;
        }
    }
    Trace trace(*this, args);
    const char* phase = "CollectPossibleStackItems";
    try {
        trace.CollectPossibleStackItems();
        if (trace.Aborted())
            return;
        phase = "RemoveRecursiveStackAreas";
        trace.RemoveRecursion(false);
        trace.Progress(25);
        if (trace.Aborted())
            return;
        phase = "InDeepChecks";
        trace.InDeepChecks();
        if (trace.Aborted())
            return;
        phase = "RealizeOptimalLinkChains";
        trace.RealizeOptimalLinkChains();
        if (trace.Aborted())
            return;
        phase = "RemoveRecursiveAreas";
        trace.RemoveRecursion(true);
        trace.Progress(1000);
        if (trace.Aborted())
            return;
        phase = "FillFinalOutput";
        trace.FillFinalOutput(results);
        if (trace.Aborted()) {
            results = TraceStackResults{};
            return;
        }
        phase = "ComposeResult";
        trace.ComposeResult(results);
    } catch (const std::exception&) {
        TraceStackResults failed;
        failed.text = InternalErrorText(phase);
        if (args.isException)
            failed.text +=
                "\r\n>> original exception location: \r\n" +
                StackItemText(args.currentAddress, args.relativeAddresses, args.relativeLines);
        results = std::move(failed);
    }
}

uint32_t StackTracer::CaptureStackCandidates(uint32_t framePointer, uint32_t stackTop,
                                             uint32_t stackBottom, uint32_t currentAddress,
                                             bool isException, TDAPreStackList& list) const
{
    list.clear();
    try {
        if (stackTop <= stackBottom)
            return 0;
        PageCachedMemory memory(memory_);
        std::vector<uint32_t> chain;
        for (uint32_t f = framePointer; f && f >= stackBottom && uint64_t{f} + 8 <= stackTop;) {
            chain.push_back(f + 4);
            uint32_t next = 0;
            if (!ReadDword(memory, f, next) || next <= f)
                break;
            f = next;
        }
        size_t chainAt = chain.size();
        list.reserve(64);
        list.push_back({});
        for (uint32_t slot = (stackTop - 4) & ~3u; slot >= stackBottom; slot -= 4) {
            uint32_t value = 0;
            if (ReadDword(memory, slot, value)) {
                if (isException && value == currentAddress)
                    break;
                while (chainAt > 0 && chain[chainAt - 1] > slot)
                    --chainAt;
                bool onChain = chainAt > 0 && chain[chainAt - 1] == slot;
                if (IsCallBefore(memory, value)) {
                    if (list.size() == list.capacity())
                        list.reserve(list.size() * 2);
                    list.push_back({static_cast<uint8_t>(onChain ? 1 : 0), value});
                    if (onChain) {
                        if (slot < stackBottom + 4)
                            break;
                        slot -= 4;
                    }
                }
            }
            if (slot < stackBottom + 4)
                break;
        }
        list[0].address = static_cast<uint32_t>(list.size() - 1);
        return list[0].address;
    } catch (...) {
        list.clear();
        return 0;
    }
}

std::string StackTracer::StackItemText(uint32_t address, bool relativeAddress,
                                       bool relativeLine) const
{
    std::string text = Hex8(address);
    try {
        MemoryRegion region = memory_.Region(address);
        TraceModuleInfo module;
        if (!region.committed || !region.allocationBase ||
            !environment_.ModuleAt(region.allocationBase, module) || !module.debug)
            throw std::runtime_error("no debug information");
        const TMapFile& debug = *module.debug;
        TMfPublic p = debug.PublicAt(address);
        TMfSegment s = debug.SegmentAt(true, address);
        uint32_t next = 0;
        int32_t line = std::max(0, debug.LineAt(address, next));
        std::string name = p.valid ? p.name : std::string();
        if (relativeAddress)
            text += " +" + HexPlain(p.valid ? address - p.address : 0);
        text += " " + FileNameOnly(module.fileName) + " " + (s.valid ? s.unit : "") + " ";
        if (line > 0)
            text += std::to_string(line) + " ";
        if (relativeLine) {
            int32_t first = p.valid ? std::max(0, debug.LineAt(p.address, next)) : 0;
            int32_t difference = line - first;
            text += difference < 0 ? "+0 " : "+" + std::to_string(difference) + " ";
        }
        return text + name;
    } catch (...) {
        return text + (relativeAddress ? " +0" : "") + " ???";
    }
}

} // namespace qor
