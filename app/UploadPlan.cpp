#include "UploadPlan.h"

#include "HexLoader.h"
#include "Protocol.h"
#include "SectorMap.h"
#include "Texts.h"

#include <algorithm>
#include <optional>

namespace app {

namespace {

std::uint64_t RoundUp(std::uint64_t v, std::uint64_t multiple)
{
    return (v + multiple - 1) / multiple * multiple;
}

std::uint64_t Pic32BootFlashEnd(FamilyCode family)
{
    return family == 20 ? 0x1FC03000 : 0x1FC14000;
}

// Image address of image index 0 in program flash.
std::uint64_t ImageBaseAddress(FamilyCode family)
{
    if (InGroup(family, GroupPic32))
        return Pic32ProgramBase;
    if (InGroup(family, GroupSectorF7))
        return Stm32FlashBase;
    return 0;
}

class Planner {
public:
    Planner(const UploadInput& input, UploadPlan& plan)
        : d_(input.device),
          f_(input.device.mcuType),
          plan_(plan),
          image_(input.program),
          boot_(input.boot)
    {
        plan_.family = f_;
        plan_.layout = d_.IsBootAtStart() ? BootLayout::AtStart : BootLayout::AtEnd;
        plan_.chunkSize = d_.eraseBlockSize;
        sectors_ = IsSectorFamily(f_);
        pic32_ = InGroup(f_, GroupPic32);
        ebs_ = d_.eraseBlockSize;
        wbs_ = d_.writeBlockSize;
    }

    void Run()
    {
        // PIC24 images hold three bytes per instruction: blocks that split an instruction have
        // no device address.
        if (!HasUsableGeometry(d_) || (InGroup(f_, GroupPic24) && (ebs_ % 3 != 0 || wbs_ % 3 != 0)))
            return Refuse();
        if (InGroup(f_, GroupKinetis))
            PatchKinetisConfig(image_);
        if (plan_.layout == BootLayout::AtEnd)
            PlanBootAtEnd();
        else
            PlanBootAtStart();
        if (plan_.Ok())
            PlanBootFlash();
        if (!plan_.Ok() || !IsSafe())
            Refuse(); // also drops steps added after a refusal deep inside a stage
    }

private:
    void Refuse()
    {
        plan_.error = text::ErrorCannotPlanUpload;
        plan_.steps.clear();
        plan_.questions.clear();
    }

    // Boot flash of PIC32 devices: both layouts ask the same question; the end layout also
    // patched the jump to the bootloader into it.
    bool CutBootImage(OverflowQuestion question)
    {
        if (!pic32_)
            return true;
        const std::uint64_t limit = Pic32BootFlashEnd(f_) - ebs_;
        // No room at all, or none for a boot image that has data (the cut would drop all of it).
        if (limit < Pic32BootBase || (limit == Pic32BootBase && !boot_.empty()))
            return false;
        plan_.bootFirst = Pic32BootBase;
        plan_.bootEnd = limit;
        if (boot_.size() + Pic32BootBase > limit) {
            if (std::find(plan_.questions.begin(), plan_.questions.end(), question) ==
                plan_.questions.end())
                plan_.questions.push_back(question);
            boot_.resize(static_cast<std::size_t>(limit - Pic32BootBase));
        }
        return true;
    }

    void PlanBootAtEnd()
    {
        const std::uint64_t base = ImageBaseAddress(f_);
        const std::uint64_t bs = BootloaderImageAddress(f_, d_.bootStart);
        plan_.savedVector = BuildResetRedirect(f_, BootLayout::AtEnd, d_.bootStart, image_, boot_);
        const std::uint64_t savedLength = plan_.savedVector.size();
        plan_.programFirst = base;
        plan_.programEnd = bs;

        if (image_.empty()) {
            if (!CutBootImage(OverflowQuestion::BootloaderArea))
                Refuse();
            return;
        }

        // The block (or sector) directly below the bootloader is erased and written last and
        // ends with the saved vector. The device's layout must hold that block; this is decided
        // before the overflow cut, which could otherwise shrink the image to nothing and report
        // an upload that wrote nothing (not even the saved vector) as a success.
        std::uint64_t last = ebs_;
        if (sectors_) {
            if (bs == 0)
                return Refuse();
            const std::int64_t size =
                SectorSize(f_, SectorIndex(f_, static_cast<std::uint32_t>(bs - 1)));
            if (size <= 0)
                return Refuse();
            last = static_cast<std::uint64_t>(size);
        }
        if (bs < base + last || savedLength > last)
            return Refuse();

        if (image_.size() + base > bs - savedLength) {
            plan_.questions.push_back(OverflowQuestion::BootloaderArea);
            image_.resize(static_cast<std::size_t>(bs - savedLength - base));
        }
        if (!CutBootImage(OverflowQuestion::BootloaderArea))
            return Refuse();
        const std::uint64_t len = image_.size();
        const bool reachesLast = len + base > bs - last;

        std::uint64_t n;
        if (sectors_)
            n = static_cast<std::uint64_t>(
                    SectorIndex(f_, static_cast<std::uint32_t>(base + len))) +
                1;
        else
            n = (len + ebs_ - 1) / ebs_;
        if (reachesLast && n > 0)
            --n;
        AddPhase(Region::Program, text::FlashErase, n, true, !pic32_);
        if (sectors_)
            EraseSectors(base, 0, n, SectorEraseMsAtEnd);
        else
            EraseBlocks(Region::Program, base, n, BlockEraseMsPerBlock);

        const std::uint64_t length = reachesLast ? bs - last - base : RoundUp(len, wbs_);
        AddPhase(Region::Program, text::FlashWrite, (length + last) * 7, false, false);
        WriteRuns(Region::Program, Slice(image_, 0, length), base, ProgramRunLimit());

        // Last block: erased alone, written from the image where it reaches it, with the saved
        // vector at its very end.
        const std::uint64_t lastFirst = bs - last;
        PlanStep erase;
        erase.kind = StepKind::Erase;
        erase.address = DeviceAddress(f_, lastFirst);
        erase.count = 1;
        erase.timeoutMs = sectors_ ? LastSectorEraseMs : LastBlockEraseMs;
        erase.first = lastFirst;
        erase.end = bs;
        if (sectors_) {
            const int index = SectorIndex(f_, static_cast<std::uint32_t>(lastFirst));
            erase.first = SectorStart(base, index);
            erase.end = SectorStart(base, index + 1);
        }
        plan_.steps.push_back(erase);
        Bytes block = Slice(image_, lastFirst - base, last);
        std::copy(plan_.savedVector.begin(), plan_.savedVector.end(),
                  block.end() - static_cast<std::ptrdiff_t>(savedLength));
        plan_.vectorBlockFirst = lastFirst;
        plan_.vectorBlockEnd = bs;
        WriteRuns(Region::Program, std::move(block), lastFirst, ProgramRunLimit());
    }

    void PlanBootAtStart()
    {
        const std::uint64_t imageBase = ImageBaseAddress(f_);
        std::uint64_t app = d_.appStart;
        std::uint64_t limit = d_.flashSize;
        if (InGroup(f_, GroupPic24)) {
            app = std::uint64_t{d_.appStart} / 2 * 3;
            limit = std::uint64_t{d_.flashSize} / 2 * 3;
        } else if (pic32_) {
            // The application start may come as an address or as an offset into program flash.
            const std::uint64_t physical = d_.appStart & 0x1FFFFFFF;
            app = physical >= Pic32ProgramBase ? physical : Pic32ProgramBase + d_.appStart;
            limit = d_.flashSize & 0x1FFFFFFF;
        }
        plan_.programFirst = app;
        plan_.programEnd = imageBase + limit;

        if (image_.empty()) {
            if (!CutBootImage(OverflowQuestion::BootSpace))
                Refuse();
            return;
        }
        if (image_.size() > limit) {
            plan_.questions.push_back(OverflowQuestion::ProgramMemory);
            image_.resize(static_cast<std::size_t>(limit));
        }
        if (!CutBootImage(OverflowQuestion::BootSpace))
            return Refuse();
        // The application must start inside what is left of the image, at or above its first
        // address (a cut to nothing leaves no application to write).
        if (app < imageBase || app - imageBase >= image_.size())
            return Refuse();
        const std::uint64_t appIndex = app - imageBase;
        const std::uint64_t length = RoundUp(image_.size() - appIndex, wbs_);

        std::uint64_t n;
        int firstSector = 0;
        if (sectors_) {
            firstSector = SectorIndex(f_, static_cast<std::uint32_t>(app));
            n = static_cast<std::uint64_t>(
                    SectorIndex(f_, static_cast<std::uint32_t>(app + length - 1)) - firstSector) +
                1;
        } else {
            n = (length + ebs_ - 1) / ebs_; // counted from the application start
        }
        AddPhase(Region::Program, text::FlashErase, n, true, !pic32_);
        if (sectors_)
            EraseSectors(imageBase, firstSector, n, SectorEraseMsAtStart);
        else
            EraseBlocks(Region::Program, app, n, BlockEraseMsPerBlock);

        AddPhase(Region::Program, text::FlashWrite, length * 7, false, false);
        // Only the saving: the image keeps its own vector, and the saved copy opens the
        // application's first block.
        plan_.savedVector =
            BuildResetRedirect(f_, BootLayout::AtStart, d_.bootStart, image_, boot_);
        Bytes data = Slice(image_, appIndex, length);
        if (plan_.savedVector.size() > data.size())
            return Refuse();
        std::copy(plan_.savedVector.begin(), plan_.savedVector.end(), data.begin());
        plan_.vectorBlockFirst = app;
        plan_.vectorBlockEnd = app + std::min<std::uint64_t>(ebs_, length);
        WriteRuns(Region::Program, std::move(data), app, ProgramRunLimit());
    }

    void PlanBootFlash()
    {
        if (!pic32_ || boot_.empty())
            return;
        const std::uint64_t n = (boot_.size() + ebs_ - 1) / ebs_;
        AddPhase(Region::Boot, text::BootErase, std::nullopt, false, true);
        EraseBlocks(Region::Boot, Pic32BootBase, n, BlockEraseMsPerBlock);
        const std::uint64_t length = RoundUp(boot_.size(), wbs_);
        AddPhase(Region::Boot, text::BootWrite, length * 7, false, false);
        if (wbs_ >= MaxWriteRunBytes)
            return Refuse();
        WriteRuns(Region::Boot, Slice(boot_, 0, length), Pic32BootBase, MaxWriteRunBytes - wbs_);
    }

    std::uint64_t ProgramRunLimit() const { return MaxWriteRunBytes / wbs_ * wbs_; }

    std::uint64_t SectorStart(std::uint64_t regionBase, int index) const
    {
        return regionBase + SectorOffset(f_, index);
    }

    // `length` bytes of `source` from `offset` on, 0xFF past its end.
    static Bytes Slice(const Bytes& source, std::uint64_t offset, std::uint64_t length)
    {
        Bytes out(static_cast<std::size_t>(length), 0xFF);
        if (offset < source.size()) {
            const std::uint64_t n = std::min<std::uint64_t>(length, source.size() - offset);
            std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(offset), n, out.begin());
        }
        return out;
    }

    // `progressMax` empty: the phase leaves the progress bar as it is.
    void AddPhase(Region region, std::string_view history, std::optional<std::uint64_t> progressMax,
                  bool animation, bool disablesStop)
    {
        PlanStep s;
        s.kind = StepKind::Phase;
        s.region = region;
        s.history = history;
        s.setsProgress = progressMax.has_value();
        s.progressMax = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(progressMax.value_or(0), 0xFFFFFFFF));
        s.eraseAnimation = animation;
        s.disablesStop = disablesStop;
        plan_.steps.push_back(s);
    }

    // Runs of at most 0x7FFF blocks; each run names its last block, and each later run moves on
    // by the blocks already erased.
    void EraseBlocks(Region region, std::uint64_t first, std::uint64_t n, unsigned msPerBlock)
    {
        for (std::uint64_t done = 0; done < n;) {
            const std::uint64_t run = std::min<std::uint64_t>(n - done, MaxEraseRunBlocks);
            PlanStep s;
            s.kind = StepKind::Erase;
            s.region = region;
            s.first = first + done * ebs_;
            s.end = s.first + run * ebs_;
            s.address = DeviceAddress(f_, s.end - ebs_);
            s.count = static_cast<std::uint32_t>(run);
            s.timeoutMs = static_cast<unsigned>(run * msPerBlock);
            plan_.steps.push_back(s);
            done += run;
        }
    }

    void EraseSectors(std::uint64_t regionBase, int firstSector, std::uint64_t n,
                      unsigned msPerSector)
    {
        for (std::uint64_t done = 0; done < n;) {
            const std::uint64_t run = std::min<std::uint64_t>(n - done, MaxEraseRunBlocks);
            const int from = firstSector + static_cast<int>(done);
            const int last = from + static_cast<int>(run) - 1;
            if (SectorSize(f_, last) < 0)
                return Refuse();
            PlanStep s;
            s.kind = StepKind::Erase;
            s.first = SectorStart(regionBase, from);
            s.end = SectorStart(regionBase, last + 1);
            s.address = DeviceAddress(f_, SectorStart(regionBase, last));
            s.count = static_cast<std::uint32_t>(run);
            s.timeoutMs = static_cast<unsigned>(run * msPerSector);
            plan_.steps.push_back(s);
            done += run;
        }
    }

    void WriteRuns(Region region, Bytes data, std::uint64_t first, std::uint64_t maxRun)
    {
        for (std::uint64_t offset = 0; offset < data.size();) {
            const std::uint64_t run = std::min<std::uint64_t>(data.size() - offset, maxRun);
            PlanStep s;
            s.kind = StepKind::Write;
            s.region = region;
            s.first = first + offset;
            s.end = s.first + run;
            s.address = DeviceAddress(f_, s.first);
            s.count = static_cast<std::uint32_t>(run);
            s.data.assign(data.begin() + static_cast<std::ptrdiff_t>(offset),
                          data.begin() + static_cast<std::ptrdiff_t>(offset + run));
            plan_.steps.push_back(std::move(s));
            offset += run;
        }
    }

    // The plan only ever writes what an earlier command erased, erases whole blocks, and stays
    // out of the bootloader (and the end of the boot flash). Device geometries that break this
    // (a bootloader or application start off the block grid, write blocks that do not divide
    // erase blocks) are refused instead of being uploaded half-right.
    bool IsSafe() const
    {
        struct Range {
            std::uint64_t first, end;
        };
        std::vector<Range> erased[2];
        for (const PlanStep& s : plan_.steps) {
            if (s.kind == StepKind::Phase)
                continue;
            const bool boot = s.region == Region::Boot;
            const std::uint64_t lo = boot ? plan_.bootFirst : plan_.programFirst;
            const std::uint64_t hi = boot ? plan_.bootEnd : plan_.programEnd;
            if (s.first >= s.end || s.first < lo || s.end > hi)
                return false;
            auto& ranges = erased[boot ? 1 : 0];
            if (s.kind == StepKind::Erase) {
                if (!sectors_ || boot) {
                    if (s.first % ebs_ != 0)
                        return false;
                }
                ranges.push_back({s.first, s.end});
                continue;
            }
            // Covered by the union of earlier erases.
            std::uint64_t at = s.first;
            bool progress = true;
            while (at < s.end && progress) {
                progress = false;
                for (const Range& r : ranges) {
                    if (r.first <= at && at < r.end) {
                        at = r.end;
                        progress = true;
                    }
                }
            }
            if (at < s.end)
                return false;
        }
        return true;
    }

    const DeviceInfo& d_;
    FamilyCode f_;
    UploadPlan& plan_;
    Bytes image_;
    Bytes boot_;
    bool sectors_ = false;
    bool pic32_ = false;
    std::uint64_t ebs_ = 0;
    std::uint64_t wbs_ = 0;
};

} // namespace

std::string_view QuestionText(OverflowQuestion question)
{
    switch (question) {
        case OverflowQuestion::BootloaderArea:
            return text::OverBootloaderArea;
        case OverflowQuestion::ProgramMemory:
            return text::ExceedProgramMemory;
        case OverflowQuestion::BootSpace:
            return text::ExceedBootSpace;
    }
    return {};
}

std::uint32_t DeviceAddress(FamilyCode family, std::uint64_t imageAddress)
{
    if (InGroup(family, GroupPic24))
        return static_cast<std::uint32_t>(imageAddress / 3 * 2);
    return static_cast<std::uint32_t>(imageAddress);
}

std::string_view UploadPreconditionError(bool connected, bool loaded, FamilyCode device,
                                         FamilyCode loadedFor)
{
    if (!connected)
        return text::ErrorConnectFirst;
    if (!loaded)
        return text::ErrorLoadHexFirst;
    if (device != loadedFor)
        return text::ErrorReloadHex;
    return {};
}

std::uint32_t NextEraseAnimationPosition(std::uint32_t position, std::uint32_t maximum)
{
    const std::uint32_t step = std::max<std::uint32_t>(maximum / 10, 1);
    if (position < maximum)
        return static_cast<std::uint32_t>(
            std::min<std::uint64_t>(std::uint64_t{position} + step, maximum));
    return step;
}

UploadPlan PlanUpload(const UploadInput& input)
{
    UploadPlan plan;
    Planner(input, plan).Run();
    return plan;
}

UploadOutcome ExecutePlan(const UploadPlan& plan, UploadTarget& target)
{
    for (const PlanStep& s : plan.steps) {
        switch (s.kind) {
            case StepKind::Phase:
                target.BeginPhase(s);
                continue;
            case StepKind::Erase:
                if (const int r = target.Erase(s.address, s.count, s.timeoutMs); r != 0)
                    return {UploadOutcome::Failed, r};
                break;
            case StepKind::Write:
                target.BeginWrite(s.address, s.count);
                for (const Chunk& c : ChunksOf(plan, s)) {
                    const int r =
                        target.WriteChunk(c.address, std::span(s.data).subspan(c.offset, c.length));
                    if (r != 0)
                        return {UploadOutcome::Failed, r};
                }
                break;
        }
        // A stop request is honoured after a whole erase command or write run, never inside one.
        if (target.StopRequested())
            return {UploadOutcome::Stopped, 0};
    }
    if (target.StopRequested())
        return {UploadOutcome::Stopped, 0};
    return {};
}

std::vector<Chunk> ChunksOf(const UploadPlan& plan, const PlanStep& step)
{
    std::vector<Chunk> chunks;
    if (step.kind != StepKind::Write || plan.chunkSize == 0)
        return chunks;
    for (std::size_t offset = 0; offset < step.data.size(); offset += plan.chunkSize) {
        const std::size_t length = std::min(plan.chunkSize, step.data.size() - offset);
        chunks.push_back({DeviceAddress(plan.family, step.first + offset), offset, length});
    }
    return chunks;
}

} // namespace app
