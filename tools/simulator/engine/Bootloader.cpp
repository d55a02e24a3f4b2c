#include "Bootloader.h"

#include <algorithm>
#include <cstdio>

#include "InfoRecord.h"

namespace sim {
namespace {

struct SectorRun {
    uint32_t count;
    uint32_t size;
};

// Sector layouts of the STM32 families that erase by sectors, from the start of flash; the last
// size repeats for every further sector.
constexpr SectorRun kSectorsF2F4[] = {{4, 0x4000}, {1, 0x10000}, {7, 0x20000},
                                      {4, 0x4000}, {1, 0x10000}, {7, 0x20000}};
constexpr SectorRun kSectorsF7[] = {{4, 0x8000}, {1, 0x20000}, {3, 0x40000}};

template <size_t N>
void SectorAt(const SectorRun (&map)[N], uint32_t offset, uint32_t* index, uint32_t* start,
              uint32_t* size)
{
    uint64_t at = 0;
    uint32_t i = 0;
    for (const SectorRun& run : map) {
        for (uint32_t k = 0; k < run.count; ++k, ++i) {
            if (offset < at + run.size) {
                *index = i, *start = static_cast<uint32_t>(at), *size = run.size;
                return;
            }
            at += run.size;
        }
    }
    uint32_t last = map[N - 1].size;
    uint32_t extra = static_cast<uint32_t>((offset - at) / last);
    *index = i + extra, *start = static_cast<uint32_t>(at + uint64_t{extra} * last), *size = last;
}

template <size_t N>
void SectorByIndex(const SectorRun (&map)[N], uint32_t index, uint32_t* start, uint32_t* size)
{
    uint64_t at = 0;
    uint32_t i = 0;
    for (const SectorRun& run : map) {
        for (uint32_t k = 0; k < run.count; ++k, ++i) {
            if (i == index) {
                *start = static_cast<uint32_t>(at), *size = run.size;
                return;
            }
            at += run.size;
        }
    }
    uint32_t last = map[N - 1].size;
    *start = static_cast<uint32_t>(at + uint64_t{index - i} * last), *size = last;
}

uint32_t Le32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24);
}

std::string Hex(uint32_t v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

} // namespace

const char* StageName(Stage stage)
{
    static const char* const kNames[] = {"claim", "handshake", "query", "restart",
                                         "write", "erase",     "chunk"};
    return kNames[static_cast<int>(stage)];
}

std::optional<Stage> StageFromName(const std::string& name)
{
    for (int i = 0; i < 7; ++i) {
        if (name == StageName(static_cast<Stage>(i)))
            return static_cast<Stage>(i);
    }
    return std::nullopt;
}

Bootloader::Bootloader(const DeviceProfile& profile)
    : profile_(profile), family_(FindFamily(profile.family).value_or(UnknownFamily(profile.family)))
{
    BuildFlash();
}

uint32_t Bootloader::ProgramOffset(uint32_t address) const
{
    switch (family_.addresses) {
        case AddressModel::Pic24Words:
            return address / 2 * 3;
        case AddressModel::Pic32: {
            uint32_t physical = address & 0x1FFFFFFF;
            return physical >= kPic32ProgramFlash ? physical - kPic32ProgramFlash : physical;
        }
        case AddressModel::Stm32:
            return address >= kStm32Flash ? address - kStm32Flash : address;
        case AddressModel::Linear:
            break;
    }
    return address;
}

void Bootloader::BuildFlash()
{
    uint32_t size = family_.addresses == AddressModel::Pic24Words ? profile_.flashSize / 2 * 3
                                                                  : profile_.flashSize;
    // An earlier program (programmed zeros) unless the device starts erased; the bootloader's own
    // area is always programmed.
    int program = flash_.AddRegion("program", size, profile_.initiallyErased ? 0xFF : 0x00,
                                   !profile_.initiallyErased);
    uint32_t bootStart, bootEnd;
    if (profile_.BootAtStart()) {
        bootStart = 0, bootEnd = ProgramOffset(profile_.appStart);
    } else {
        bootStart = ProgramOffset(profile_.bootStart), bootEnd = size;
    }
    flash_.Protect(program, bootStart, bootEnd);
    if (family_.addresses == AddressModel::Pic32) {
        uint32_t bootSize = Pic32BootFlashEnd(profile_.family) - kPic32BootFlash;
        int boot = flash_.AddRegion("boot", bootSize, profile_.initiallyErased ? 0xFF : 0x00,
                                    !profile_.initiallyErased);
        // The last erase block of the boot flash holds the configuration words.
        flash_.Protect(boot, bootSize - std::min<uint32_t>(profile_.eraseBlockSize, bootSize),
                       bootSize);
    }
    // The bootloader's own code stays programmed whatever the initial state.
    for (int r = 0; r < flash_.RegionCount(); ++r) {
        const FlashRegion& region = flash_.Region(r);
        flash_.Fill(r, region.protectedStart, region.protectedEnd, 0x00, true);
    }
}

Bootloader::Location Bootloader::Translate(uint32_t address) const
{
    Location at;
    if (family_.addresses == AddressModel::Pic32) {
        uint32_t physical = address & 0x1FFFFFFF;
        if (physical >= kPic32BootFlash) {
            at.region = 1, at.offset = physical - kPic32BootFlash;
        } else if (physical >= kPic32ProgramFlash) {
            at.region = 0, at.offset = physical - kPic32ProgramFlash;
        } else {
            return at;
        }
    } else {
        at.offset = ProgramOffset(address);
    }
    at.valid = at.offset < flash_.Region(at.region).size;
    return at;
}

std::string Bootloader::Where(const Location& at, uint32_t length) const
{
    return flash_.Region(at.region).name + " " + Hex(at.offset) + "+" + Hex(length);
}

void Bootloader::AddViolation(ViolationKind kind, std::string detail)
{
    violations_.push_back({kind, std::move(detail)});
}

Reaction Bootloader::Receive(const uint8_t* payload, size_t size)
{
    Reaction r;
    ++reports_;
    if (profile_.removeAfterReports != 0 && reports_ >= profile_.removeAfterReports) {
        r.remove = true;
        r.note = "removed after " + std::to_string(reports_) + " reports";
        return r;
    }
    if (run_.active) {
        Data(payload, size, r);
    } else if (size >= 2 && payload[0] == kFrameMarker) {
        Command(payload, size, r);
    } else {
        AddViolation(ViolationKind::OutsideRun, "report without a frame marker and no write run");
        r.note = "data outside a write run";
    }
    if (!profile_.bootloader) {
        r.answers.clear();
        r.restart = false;
    }
    return r;
}

void Bootloader::Respond(Stage stage, const std::vector<uint8_t>& bytes, uint32_t delayMs,
                         Reaction& r)
{
    uint32_t occurrence = ++stageCount_[static_cast<int>(stage)];
    Answer answer;
    std::copy_n(bytes.begin(), std::min(bytes.size(), answer.payload.size()),
                answer.payload.begin());
    answer.delayMs = delayMs + profile_.answerDelayMs;
    std::vector<Answer> out{answer};
    for (const ScriptedBehaviour& b : profile_.script) {
        if (b.stage != stage || (b.occurrence != 0 && b.occurrence != occurrence))
            continue;
        switch (b.what) {
            case Misbehaviour::Delay:
                for (Answer& a : out)
                    a.delayMs += b.delayMs;
                break;
            case Misbehaviour::Silent:
                out.clear();
                break;
            case Misbehaviour::WrongEcho:
                for (Answer& a : out)
                    a.payload[1] ^= 0x40;
                break;
            case Misbehaviour::Garbage:
                for (Answer& a : out) {
                    for (uint8_t& byte : a.payload) {
                        garbageSeed_ = garbageSeed_ * 1103515245 + 12345;
                        byte = static_cast<uint8_t>(garbageSeed_ >> 16);
                    }
                    a.payload[0] = 0xA5; // never a frame marker
                }
                break;
            case Misbehaviour::Duplicate:
                if (!out.empty())
                    out.push_back(out.back());
                break;
            case Misbehaviour::Split:
                if (!out.empty() && bytes.size() >= 2) {
                    size_t first = bytes.size() / 2;
                    Answer head = out.front(), tail = out.front();
                    std::fill(head.payload.begin() + first, head.payload.end(), 0);
                    tail.payload.fill(0);
                    std::copy(bytes.begin() + first, bytes.end(), tail.payload.begin());
                    out = {head, tail};
                }
                break;
            case Misbehaviour::Remove:
                out.clear();
                r.remove = true;
                break;
        }
    }
    r.answers.insert(r.answers.end(), out.begin(), out.end());
}

void Bootloader::Command(const uint8_t* bytes, size_t size, Reaction& r)
{
    uint8_t frame[8] = {}; // a short report reads as zeros beyond its end
    std::copy_n(bytes, std::min(size, sizeof frame), frame);
    uint8_t command = frame[1];
    uint32_t address = Le32(frame + 2);
    uint32_t count = frame[6] | (frame[7] << 8);
    // A scripted removal at the write or restart stage happens on the command itself.
    auto removedAt = [&](Stage stage) {
        for (const ScriptedBehaviour& b : profile_.script) {
            if (b.what == Misbehaviour::Remove && b.stage == stage &&
                (b.occurrence == 0 || b.occurrence == stageCount_[static_cast<int>(stage)] + 1))
                return true;
        }
        return false;
    };
    switch (command) {
        case kCmdClaim:
            r.note = "claim";
            Respond(Stage::Claim, {kFrameMarker, kCmdClaim}, 0, r);
            break;
        case kCmdHandshake:
            r.note = "handshake";
            Respond(Stage::Handshake, {kFrameMarker, kCmdHandshake}, 0, r);
            break;
        case kCmdQuery:
            r.note = "query information";
            Respond(Stage::Query, EncodeInfoRecord(profile_), 0, r);
            break;
        case kCmdRestart:
            r.note = "restart";
            if (removedAt(Stage::Restart))
                r.remove = true;
            ++stageCount_[static_cast<int>(Stage::Restart)];
            r.restart = true;
            break;
        case kCmdWrite:
            r.note = "write " + Hex(address) + " count " + Hex(count);
            if (removedAt(Stage::Write)) {
                r.remove = true;
                break;
            }
            ++stageCount_[static_cast<int>(Stage::Write)];
            StartWrite(address, count, r);
            break;
        case kCmdErase:
            r.note = "erase " + Hex(address) + " count " + Hex(count);
            Erase(address, count, r);
            break;
        default:
            r.note = "unknown command " + std::to_string(command);
            break;
    }
}

void Bootloader::Erase(uint32_t address, uint32_t count, Reaction& r)
{
    Location last = Translate(address);
    if (!last.valid) {
        AddViolation(ViolationKind::OutsideFlash, "erase ending at " + Hex(address));
    } else if (count > 0) {
        const FlashRegion& region = flash_.Region(last.region);
        // The address names the last block (or sector) of the run; the run reaches back from it.
        std::vector<std::pair<int64_t, uint32_t>> units; // start offset, size
        if (family_.erase == EraseModel::Blocks || last.region != 0) {
            uint32_t block = profile_.eraseBlockSize;
            int64_t lastStart = last.offset / block * int64_t{block};
            for (uint32_t k = count; k-- > 0;)
                units.push_back({lastStart - int64_t{k} * block, block});
        } else {
            uint32_t index, start, size;
            if (family_.erase == EraseModel::SectorsF2F4) {
                SectorAt(kSectorsF2F4, last.offset, &index, &start, &size);
            } else {
                SectorAt(kSectorsF7, last.offset, &index, &start, &size);
            }
            for (uint32_t k = count; k-- > 0;) {
                if (k > index) {
                    units.push_back({-1, 0});
                    continue;
                }
                if (family_.erase == EraseModel::SectorsF2F4) {
                    SectorByIndex(kSectorsF2F4, index - k, &start, &size);
                } else {
                    SectorByIndex(kSectorsF7, index - k, &start, &size);
                }
                units.push_back({start, size});
            }
        }
        for (auto [start, size] : units) {
            if (start < 0 || start + size > region.size) {
                AddViolation(
                    ViolationKind::OutsideFlash,
                    "erase " + region.name + " " + (start < 0 ? "below 0" : Hex(uint32_t(start))));
            } else if (region.TouchesBootloader(start, size)) {
                AddViolation(ViolationKind::BootloaderArea,
                             "erase " + Where({true, last.region, uint32_t(start)}, size));
            } else {
                flash_.Erase(last.region, uint32_t(start), size);
            }
        }
    }
    Respond(Stage::Erase, {kFrameMarker, kCmdErase}, profile_.eraseMsPerBlock * count, r);
}

void Bootloader::StartWrite(uint32_t address, uint32_t count, Reaction& r)
{
    run_ = WriteRun{};
    if (count == 0)
        return;
    run_.active = true;
    run_.total = run_.remaining = count;
    run_.start = Translate(address);
    run_.next = run_.start.offset;
    if (!run_.start.valid ||
        uint64_t{run_.start.offset} + count > flash_.Region(run_.start.region).size) {
        AddViolation(ViolationKind::OutsideFlash, "write " + Hex(address) + " count " + Hex(count));
        run_.skipBytes = true;
    } else if (flash_.Region(run_.start.region).TouchesBootloader(run_.start.offset, count)) {
        AddViolation(ViolationKind::BootloaderArea, "write " + Where(run_.start, count));
        run_.skipBytes = true;
    }
    (void)r;
}

void Bootloader::Data(const uint8_t* bytes, size_t size, Reaction& r)
{
    if (run_.chunkFilled == 0) {
        run_.chunkSize = std::min<uint32_t>(profile_.eraseBlockSize, run_.remaining);
        run_.notErased = 0;
    }
    uint32_t take =
        std::min<uint32_t>(static_cast<uint32_t>(size), run_.chunkSize - run_.chunkFilled);
    for (uint32_t i = 0; i < take; ++i, ++run_.next) {
        if (run_.skipBytes)
            continue;
        if (!flash_.Program(run_.start.region, run_.next, bytes[i]) && run_.notErased++ == 0) {
            run_.firstNotErased = run_.next;
        }
    }
    run_.chunkFilled += take;
    r.note = "data " + std::to_string(take) + " of chunk " + std::to_string(run_.chunkSize);
    if (run_.chunkFilled < run_.chunkSize)
        return;

    if (run_.notErased != 0) {
        AddViolation(
            ViolationKind::NotErased,
            "program " + Where({true, run_.start.region, run_.firstNotErased}, run_.notErased));
    }
    run_.remaining -= run_.chunkSize;
    run_.chunkFilled = 0;
    if (run_.remaining == 0)
        run_.active = false;
    Respond(Stage::Chunk, {kFrameMarker, kCmdWrite}, profile_.programMsPerChunk, r);
}

bool Bootloader::Read(uint32_t address, uint8_t* out, uint32_t length) const
{
    Location at = Translate(address);
    if (!at.valid)
        return false;
    const FlashRegion& region = flash_.Region(at.region);
    if (uint64_t{at.offset} + length > region.size)
        return false;
    std::copy_n(region.data.begin() + at.offset, length, out);
    return true;
}

} // namespace sim
