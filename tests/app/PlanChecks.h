#pragma once
// Checks an upload plan the way a device's flash would see it: nothing written that was not
// erased since, nothing erased or written in the bootloader or the end of the boot flash, the
// image's bytes where they belong, and the block with the saved vector written last.
#include "UploadPlan.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <string>

namespace plantest {

using namespace app;

// The information record of a test device.
inline DeviceInfo Device(FamilyCode family, std::uint16_t ebs, std::uint16_t wbs,
                         std::uint32_t bootStart, std::uint16_t revision = 0x0100,
                         std::uint32_t flash = 0, std::uint32_t appStart = 0)
{
    DeviceInfo d;
    d.mcuType = family;
    d.eraseBlockSize = ebs;
    d.writeBlockSize = wbs;
    d.bootStart = bootStart;
    d.bootRevision = revision;
    d.flashSize = flash;
    d.appStart = appStart;
    return d;
}

struct Layout {
    std::uint64_t base = 0;      // image address of image index 0
    std::uint64_t protectLo = 0; // program writes stay in [protectLo, protectHi)
    std::uint64_t protectHi = 0;
    std::uint64_t bootHi = 0; // boot writes stay below
};

inline Layout LayoutOf(const DeviceInfo& d)
{
    Layout l;
    const FamilyCode f = d.mcuType;
    const bool pic24 = f == 4 || f == 10 || f == 11, pic32 = f == 20 || f == 21;
    l.base = pic32 ? 0x1D000000 : f == 41 ? 0x08000000 : 0;
    if (!d.IsBootAtStart()) {
        l.protectLo = l.base;
        l.protectHi = pic32   ? (d.bootStart & 0x1FFFFFFF)
                      : pic24 ? std::uint64_t{d.bootStart} / 2 * 3
                              : d.bootStart;
    } else {
        l.protectLo = pic24 ? std::uint64_t{d.appStart} / 2 * 3 : d.appStart;
        if (pic32 && (d.appStart & 0x1FFFFFFF) < 0x1D000000)
            l.protectLo = 0x1D000000 + std::uint64_t{d.appStart};
        if (pic32)
            l.protectLo = std::max<std::uint64_t>(l.protectLo, 0x1D000000);
        const std::uint64_t limit = pic32   ? (d.flashSize & 0x1FFFFFFF)
                                    : pic24 ? std::uint64_t{d.flashSize} / 2 * 3
                                            : d.flashSize;
        l.protectHi = l.base + limit;
    }
    l.bootHi = (f == 20 ? 0x1FC03000 : 0x1FC14000) - std::uint64_t{d.eraseBlockSize};
    return l;
}

// Empty when the plan is sound; otherwise what is wrong with it.
inline std::string CheckPlan(const UploadInput& input, const UploadPlan& plan)
{
    std::ostringstream err;
    if (!plan.Ok()) {
        if (!plan.steps.empty())
            return "a refused plan still has steps";
        return {};
    }
    const DeviceInfo& d = input.device;
    const Layout l = LayoutOf(d);
    const bool atEnd = !d.IsBootAtStart();
    std::map<std::uint64_t, std::uint64_t> erased[2];  // first -> end, per region
    std::map<std::uint64_t, std::uint64_t> written[2]; // first -> length of runs since their erase
    auto isErased = [&](int r, std::uint64_t a) {
        auto it = erased[r].upper_bound(a);
        if (it == erased[r].begin())
            return false;
        --it;
        return a < it->second;
    };
    std::size_t lastProgramErase = plan.steps.size();
    for (std::size_t k = 0; k < plan.steps.size(); ++k) {
        const PlanStep& s = plan.steps[k];
        const int r = s.region == Region::Boot ? 1 : 0;
        if (s.kind == StepKind::Phase)
            continue;
        const std::uint64_t lo = r ? 0x1FC00000 : l.protectLo;
        const std::uint64_t hi = r ? l.bootHi : l.protectHi;
        if (s.first < lo || s.end > hi || s.first >= s.end) {
            err << "step " << k << " [" << std::hex << s.first << "," << s.end << ") outside ["
                << lo << "," << hi << ")";
            return err.str();
        }
        if (s.kind == StepKind::Erase) {
            if (s.count == 0 || s.count > 0x7FFF)
                return "erase count out of range";
            erased[r][s.first] = std::max(erased[r][s.first], s.end);
            for (auto it = written[r].lower_bound(s.first);
                 it != written[r].end() && it->first < s.end;)
                it = written[r].erase(it);
            if (!r)
                lastProgramErase = k;
            continue;
        }
        if (s.count != s.data.size() || s.count > 0x8000)
            return "write count does not match its data";
        if (s.address != DeviceAddress(plan.family, s.first))
            return "write address is not the device address of its first byte";
        std::size_t total = 0;
        for (const Chunk& c : ChunksOf(plan, s)) {
            if (c.length == 0 || c.length > plan.chunkSize || c.offset != total)
                return "chunks do not tile the run";
            total += c.length;
        }
        if (total != s.data.size())
            return "chunks do not cover the run";
        for (std::uint64_t a = s.first; a < s.end; ++a) {
            if (!isErased(r, a)) {
                err << "byte " << std::hex << a << " written without an erase (step " << std::dec
                    << k << ")";
                return err.str();
            }
        }
        // Overlapping writes between two erases would program a byte twice.
        auto next = written[r].lower_bound(s.first);
        if (next != written[r].end() && next->first < s.end)
            return "two writes overlap";
        if (next != written[r].begin() &&
            std::prev(next)->first + std::prev(next)->second > s.first)
            return "two writes overlap";
        written[r][s.first] = s.end - s.first;
    }

    // The image's bytes land at their addresses; the saved vector sits at its place.
    Bytes image = input.program;
    if (d.mcuType == 42 || d.mcuType == 43 || d.mcuType == 46)
        PatchKinetisConfig(image);
    const std::size_t redirected = atEnd ? 8 : 0; // the patched reset vector
    std::uint64_t vectorFirst = 0, vectorEnd = 0;
    if (!plan.savedVector.empty() && plan.vectorBlockEnd != 0) {
        vectorFirst = atEnd ? plan.vectorBlockEnd - plan.savedVector.size() : plan.vectorBlockFirst;
        vectorEnd = vectorFirst + plan.savedVector.size();
    }
    std::uint64_t writtenImageBytes = 0;
    for (const PlanStep& s : plan.steps) {
        if (s.kind != StepKind::Write || s.region != Region::Program)
            continue;
        for (std::uint64_t a = s.first; a < s.end; ++a) {
            const std::uint8_t got = s.data[static_cast<std::size_t>(a - s.first)];
            if (a >= vectorFirst && a < vectorEnd) {
                if (got != plan.savedVector[static_cast<std::size_t>(a - vectorFirst)])
                    return "saved vector not at its place";
                continue;
            }
            const std::uint64_t i = a - l.base;
            if (i < redirected)
                continue;
            const std::uint8_t want = i < image.size() ? image[static_cast<std::size_t>(i)] : 0xFF;
            if (got != want) {
                err << "image byte " << std::hex << i << " written as " << int(got)
                    << ", image has " << int(want);
                return err.str();
            }
            writtenImageBytes += i < image.size();
        }
    }
    // Every image byte inside the writable range is written (nothing silently dropped).
    std::uint64_t expected = 0;
    for (std::uint64_t i = 0; i < image.size(); ++i) {
        const std::uint64_t a = l.base + i;
        if (a >= l.protectLo && a < l.protectHi && !(a >= vectorFirst && a < vectorEnd) &&
            i >= redirected)
            ++expected;
    }
    if (writtenImageBytes != expected) {
        err << "image bytes written " << writtenImageBytes << ", expected " << expected;
        return err.str();
    }

    if (atEnd && vectorEnd != 0) {
        // The block with the saved vector is erased after every other program erase and then
        // written completely, by the last program writes and by nothing before.
        if (lastProgramErase >= plan.steps.size())
            return "the vector block is never erased";
        const PlanStep& e = plan.steps[lastProgramErase];
        if (!(e.first <= plan.vectorBlockFirst && plan.vectorBlockEnd <= e.end))
            return "the vector block is not erased last";
        std::uint64_t covered = plan.vectorBlockFirst;
        for (std::size_t k = 0; k < plan.steps.size(); ++k) {
            const PlanStep& s = plan.steps[k];
            if (s.kind != StepKind::Write || s.region != Region::Program)
                continue;
            const bool inBlock = s.first >= plan.vectorBlockFirst && s.end <= plan.vectorBlockEnd;
            if (inBlock != (k > lastProgramErase))
                return "the block with the saved vector is not written last";
            if (inBlock && s.first == covered)
                covered = s.end;
        }
        if (covered != plan.vectorBlockEnd)
            return "the block with the saved vector is not written completely";
    }
    return {};
}

} // namespace plantest
