// The screenshot quantizer (Wu's cuts and the palette mapping of the PNG writer) against
// Pillow's median-cut quantizer (no dithering) on the same screenshots, in one run: the mean
// squared error of each palette image against the original, and the time each takes, as
// ratios Wu / median cut (below 1: closer to the original, or faster).
//
// Pillow decodes each screenshot and hands its pixels to this program, so both quantize the
// same pixels; Pillow's time is measured inside Python around `quantize` alone.
#include "ScreenshotPng.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <glob.h>
#include <unistd.h>

namespace {

// Loads the image with Pillow, writes its RGB bytes to `raw`, and prints "width height
// milliseconds mse" for the median-cut quantizer (best of `runs`).
const char* PillowScript = R"(
import sys, time
from PIL import Image, ImageChops
image = Image.open(sys.argv[1]).convert('RGB')
open(sys.argv[2], 'wb').write(image.tobytes())
best = 1e30
for _ in range(int(sys.argv[3])):
    start = time.perf_counter()
    quantized = image.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    best = min(best, (time.perf_counter() - start) * 1000)
difference = ImageChops.difference(image, quantized.convert('RGB')).histogram()
sse = sum(count * (i % 256) ** 2 for i, count in enumerate(difference))
print(image.width, image.height, best, sse / (image.width * image.height * 3))
)";

struct TReference {
    int width = 0, height = 0;
    double milliseconds = 0, mse = 0;
    std::string rgb;
};

bool RunPillow(const std::string& image, int runs, TReference& reference)
{
    char script[] = "/tmp/quantizer-bench-XXXXXX";
    const int fd = mkstemp(script);
    if (fd < 0)
        return false;
    if (write(fd, PillowScript, std::char_traits<char>::length(PillowScript)) < 0)
        return false;
    close(fd);
    const std::string raw = std::string(script) + ".rgb";
    const std::string command = "/usr/bin/python3 " + std::string(script) + " '" + image + "' " +
                                raw + " " + std::to_string(runs);
    FILE* pipe = popen(command.c_str(), "r");
    bool ok = pipe && std::fscanf(pipe, "%d %d %lf %lf", &reference.width, &reference.height,
                                  &reference.milliseconds, &reference.mse) == 4;
    if (pipe)
        ok = pclose(pipe) == 0 && ok;
    std::ifstream in(raw, std::ios::binary);
    reference.rgb.assign(std::istreambuf_iterator<char>(in), {});
    std::remove(script);
    std::remove(raw.c_str());
    return ok && reference.rgb.size() == size_t(reference.width) * reference.height * 3;
}

std::vector<std::string> DefaultScreenshots()
{
    std::vector<std::string> files;
    glob_t found{};
    if (glob("build/win*/tests/*/screenshots/*.bmp", 0, nullptr, &found) == 0)
        files.assign(found.gl_pathv, found.gl_pathv + found.gl_pathc);
    globfree(&found);
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 5;
    std::vector<std::string> images;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--runs=", 0) == 0)
            runs = std::max(1, std::atoi(arg.c_str() + 7));
        else
            images.push_back(arg);
    }
    if (images.empty())
        images = DefaultScreenshots();
    if (images.empty()) {
        std::fprintf(
            stderr,
            "no screenshots: name image files, or run tools/test first (it saves the GUI tests' "
            "screenshots under build/win*/tests/*/screenshots/)\n");
        return 1;
    }
    std::printf("%-56s %11s %9s %9s %9s %9s %7s %7s\n", "screenshot", "size", "mse Wu", "mse cut",
                "ms Wu", "ms cut", "mse", "time");
    double errorOurs = 0, errorReference = 0, timeOurs = 0, timeReference = 0;
    for (const std::string& image : images) {
        TReference reference;
        if (!RunPillow(image, runs, reference)) {
            std::fprintf(stderr, "%s: Pillow could not read it (package python3-pil)\n",
                         image.c_str());
            return 1;
        }
        // The bitmap object's layout: blue, green, red, 0; rows bottom-up.
        const size_t count = size_t(reference.width) * reference.height;
        std::vector<uint8_t> pixels(count * 4);
        for (int y = 0; y < reference.height; ++y)
            for (int x = 0; x < reference.width; ++x) {
                const uint8_t* rgb = reinterpret_cast<const uint8_t*>(
                    &reference.rgb[(size_t(y) * reference.width + x) * 3]);
                uint8_t* p = &pixels[(size_t(reference.height - 1 - y) * reference.width + x) * 4];
                p[0] = rgb[2];
                p[1] = rgb[1];
                p[2] = rgb[0];
            }
        crashui::TPalette palette;
        std::string indices;
        double best = 1e30;
        for (int run = 0; run < runs; ++run) {
            const auto start = std::chrono::steady_clock::now();
            crashui::QuantizeWu(pixels.data(), count, palette);
            indices = crashui::MapToPalette(pixels.data(), count, palette);
            best = std::min(best, std::chrono::duration<double, std::milli>(
                                      std::chrono::steady_clock::now() - start)
                                      .count());
        }
        double sse = 0;
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* p = &pixels[i * 4];
            const uint8_t* entry = &palette[3 * uint8_t(indices[i])];
            for (int c = 0; c < 3; ++c) {
                const double d = double(p[2 - c]) - entry[c];
                sse += d * d;
            }
        }
        const double mse = sse / double(count * 3);
        const double timeRatio = best / reference.milliseconds;
        std::string name = image.size() > 56 ? "..." + image.substr(image.size() - 53) : image;
        // A picture of fewer colours than the palette is exact for the median cut (error 0);
        // Wu's 5-bit histogram merges close colours there, so its ratio is shown as "-".
        char mseRatio[16] = "      -";
        if (reference.mse > 0)
            std::snprintf(mseRatio, sizeof mseRatio, "%7.3f", mse / reference.mse);
        std::printf("%-56s %5dx%-5d %9.3f %9.3f %9.2f %9.2f %s %7.3f\n", name.c_str(),
                    reference.width, reference.height, mse, reference.mse, best,
                    reference.milliseconds, mseRatio, timeRatio);
        errorOurs += mse * double(count);
        errorReference += reference.mse * double(count);
        timeOurs += best;
        timeReference += reference.milliseconds;
    }
    // Over all screenshots: summed squared errors and summed times.
    std::printf(
        "all %zu screenshots: squared error Wu / median cut %.3f, time Wu / median cut %.3f\n",
        images.size(), errorReference > 0 ? errorOurs / errorReference : 1.0,
        timeOurs / timeReference);
    return 0;
}
