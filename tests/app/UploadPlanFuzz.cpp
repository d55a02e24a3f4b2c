// Any device geometry and images: a plan is either refused without steps, or it writes only
// what it erased, stays out of the bootloader, puts every image byte at its address and writes
// the block with the saved vector last.
#include "UploadPlan.h"

#include "PlanChecks.h"

#include <cstdio>
#include <cstdlib>

namespace {
std::uint32_t Take(const std::uint8_t*& p, const std::uint8_t* end, int bytes)
{
    std::uint32_t v = 0;
    for (int k = 0; k < bytes && p < end; ++k)
        v |= std::uint32_t{*p++} << (8 * k);
    return v;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::uint8_t* p = data;
    const std::uint8_t* end = data + size;
    static const app::FamilyCode kCodes[] = {1,  2,  3,  4,  10, 11, 20, 21, 30, 31, 32, 33,
                                             34, 35, 36, 37, 38, 40, 41, 42, 43, 46, 39};
    app::UploadInput in;
    app::DeviceInfo& d = in.device;
    d.mcuType = kCodes[Take(p, end, 1) % std::size(kCodes)];
    // Block sizes as powers of two (or PIC24 multiples of three) most of the time, anything else
    // now and then; addresses as block multiples with an occasional odd offset.
    const std::uint32_t shapes = Take(p, end, 1);
    const bool pic24 = d.mcuType == 4 || d.mcuType == 10 || d.mcuType == 11;
    d.eraseBlockSize = static_cast<std::uint16_t>(
        (shapes & 0x80) ? Take(p, end, 2)
                        : (64u << (shapes & 7)) * (pic24 ? 3 : 1) / (pic24 ? 2 : 1));
    d.writeBlockSize = static_cast<std::uint16_t>(
        (shapes & 0x40) ? Take(p, end, 2)
                        : std::max<std::uint32_t>(1u, d.eraseBlockSize >> ((shapes >> 3) & 7)));
    d.bootRevision = static_cast<std::uint16_t>(Take(p, end, 1) & 1);
    const std::uint32_t unit = std::max<std::uint32_t>(d.eraseBlockSize, 1);
    const std::uint32_t odd = (shapes & 0x20) ? Take(p, end, 1) : 0;
    const std::uint32_t base = (d.mcuType == 20 || d.mcuType == 21) ? 0x9D000000
                               : d.mcuType == 41                    ? 0x08000000
                                                                    : 0;
    d.bootStart = base + Take(p, end, 1) * unit * 4 + odd;
    d.appStart = Take(p, end, 1) * unit + odd;
    d.flashSize = Take(p, end, 1) * unit * 8;
    const std::size_t programSize = Take(p, end, 2) * 2 + Take(p, end, 1);
    const std::size_t bootSize =
        (d.mcuType == 20 || d.mcuType == 21) ? Take(p, end, 2) % 0x5000 : 0;
    in.program.resize(programSize);
    in.boot.resize(bootSize);
    for (std::size_t k = 0; k < programSize; ++k)
        in.program[k] =
            p < end ? p[k % static_cast<std::size_t>(end - p)] : static_cast<std::uint8_t>(k);
    for (std::size_t k = 0; k < bootSize; ++k)
        in.boot[k] = static_cast<std::uint8_t>(k * 13);

    const app::UploadPlan plan = app::PlanUpload(in);
    const std::string problem = plantest::CheckPlan(in, plan);
    if (!problem.empty()) {
        std::fprintf(
            stderr,
            "family %d ebs %u wbs %u boot 0x%X app 0x%X flash 0x%X rev %u image %zu boot %zu: %s\n",
            d.mcuType, d.eraseBlockSize, d.writeBlockSize, d.bootStart, d.appStart, d.flashSize,
            d.bootRevision, programSize, bootSize, problem.c_str());
        std::abort();
    }
    return 0;
}
