// GIF frames against gifsicle: GIFs are made in the test (ImageMagick draws the single frames,
// gifsicle joins them with delays and positions), and `gifsicle --info` says what they hold.
#include "draw/GifFrames.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

using draw::IsGifData;
using draw::ScanGifFrames;
using draw::SelectGifFrame;

namespace {

using Bytes = std::vector<uint8_t>;

std::string RunTool(const std::string& command)
{
    std::string out;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p)
        return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    EXPECT_EQ(pclose(p), 0) << command << "\n" << out;
    return out;
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// What `gifsicle --info` reports of one image.
struct InfoFrame {
    int delay = 0; // hundredths of a second
    int left = 0, top = 0;
};

std::vector<InfoFrame> GifsicleFrames(const std::string& path)
{
    const std::string info = RunTool("gifsicle --info '" + path + "'");
    std::vector<InfoFrame> frames;
    static const std::regex image(R"(\+ image #\d+ \d+x\d+(?: at (\d+),(\d+))?)");
    static const std::regex delay(R"(delay (\d+)\.(\d+)s)");
    std::string line;
    std::istringstream lines(info);
    while (std::getline(lines, line)) {
        std::smatch m;
        if (std::regex_search(line, m, image)) {
            InfoFrame f;
            if (m[1].matched) {
                f.left = std::stoi(m[1]);
                f.top = std::stoi(m[2]);
            }
            frames.push_back(f);
        } else if (std::regex_search(line, m, delay) && !frames.empty()) {
            frames.back().delay = std::stoi(m[1]) * 100 + std::stoi(m[2]);
        }
    }
    return frames;
}

// A temporary folder with GIFs made by the outside tools.
class GifFrames : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/brenvik-gif-XXXXXX";
        dir = mkdtemp(pattern);
        for (const char* tool : {"gifsicle", "convert"})
            ASSERT_EQ(std::system((std::string("command -v ") + tool + " >/dev/null").c_str()), 0)
                << tool << " is missing (packages gifsicle, imagemagick)";
        RunTool("convert -size 4x4 xc:red '" + File("red.gif") + "'");
        RunTool("convert -size 3x2 xc:blue '" + File("blue.gif") + "'");
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }
    std::string File(const std::string& name) const { return dir + "/" + name; }

    // Joins the single frames with gifsicle; `options` carries delays and positions.
    Bytes Make(const std::string& name, const std::string& frames)
    {
        RunTool("cd '" + dir + "' && gifsicle --loopcount=forever " + frames + " > " + name);
        return ReadFile(File(name));
    }

    std::string dir;
};

} // namespace

TEST_F(GifFrames, CountsDelaysAndPositionsMatchGifsicle)
{
    const std::vector<std::string> cases = {
        "-d 10 red.gif",
        "-d 10 red.gif -d 25 blue.gif -d 7 --position 1,2 blue.gif",
        "-d 3 red.gif -d 4 red.gif -d 5 red.gif -d 6 blue.gif -d 250 --position 0,1 blue.gif",
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const std::string name = "anim" + std::to_string(i) + ".gif";
        const Bytes gif = Make(name, cases[i]);
        const auto expected = GifsicleFrames(File(name));
        const auto frames = ScanGifFrames(gif.data(), gif.size());
        ASSERT_EQ(frames.size(), expected.size()) << cases[i];
        for (size_t k = 0; k < frames.size(); ++k) {
            EXPECT_EQ(frames[k].Delay, expected[k].delay) << cases[i] << " frame " << k;
            EXPECT_EQ(frames[k].Left, expected[k].left) << cases[i] << " frame " << k;
            EXPECT_EQ(frames[k].Top, expected[k].top) << cases[i] << " frame " << k;
        }
    }
}

// Choosing frame k keeps the header part and frames k onwards; gifsicle reads the trimmed data
// as a GIF of those frames.
TEST_F(GifFrames, SelectedFrameLeavesTheEarlierFramesOut)
{
    const Bytes gif =
        Make("three.gif", "-d 10 red.gif -d 25 blue.gif -d 7 --position 1,2 blue.gif");
    const auto all = GifsicleFrames(File("three.gif"));
    ASSERT_EQ(all.size(), 3u);

    uint16_t left = 99, top = 99;
    EXPECT_EQ(SelectGifFrame(gif.data(), gif.size(), 1, left, top), gif)
        << "frame 1 is the data unchanged";
    EXPECT_EQ(left, 0);
    EXPECT_EQ(top, 0);

    for (int frame = 2; frame <= 3; ++frame) {
        const Bytes trimmed = SelectGifFrame(gif.data(), gif.size(), frame, left, top);
        WriteFile(File("trimmed.gif"), trimmed);
        const auto rest = GifsicleFrames(File("trimmed.gif"));
        ASSERT_EQ(rest.size(), all.size() - static_cast<size_t>(frame - 1)) << "frame " << frame;
        for (size_t k = 0; k < rest.size(); ++k)
            EXPECT_EQ(rest[k].delay, all[k + static_cast<size_t>(frame - 1)].delay)
                << "frame " << frame;
        EXPECT_EQ(left, all[static_cast<size_t>(frame - 1)].left);
        EXPECT_EQ(top, all[static_cast<size_t>(frame - 1)].top);
    }
}

// A frame test reads up to 12 bytes past a 0x21; every shortened copy is scanned and trimmed
// from a buffer of exactly its size, so a read past its end is a sanitizer failure.
TEST_F(GifFrames, TruncatedDataIsNeverReadPastItsEnd)
{
    const Bytes gif = Make("two.gif", "-d 10 red.gif -d 25 --position 1,1 blue.gif");
    const size_t frames = ScanGifFrames(gif.data(), gif.size()).size();
    for (size_t n = 0; n <= gif.size(); ++n) {
        const Bytes part(gif.begin(), gif.begin() + static_cast<std::ptrdiff_t>(n));
        const auto found = ScanGifFrames(part.data(), part.size());
        EXPECT_LE(found.size(), frames);
        uint16_t left = 0, top = 0;
        const Bytes trimmed = SelectGifFrame(part.data(), part.size(), 2, left, top);
        EXPECT_LE(trimmed.size(), part.size());
        const auto screen = draw::GifScreenSize(part.data(), part.size());
        EXPECT_EQ(screen.Width, n >= 10 ? 4 : 0);
    }
}

TEST(GifData, RecognisedByItsSignatureOnly)
{
    const struct {
        std::string bytes;
        bool gif;
    } cases[] = {
        {"GIF89a", true},       {"GIF87", true}, {"GIF8", false}, // shorter than 5 bytes
        {"\x89PNG\r\n", false}, {"", false},
    };
    for (const auto& c : cases) {
        const auto* data = reinterpret_cast<const uint8_t*>(c.bytes.data());
        EXPECT_EQ(IsGifData(data, c.bytes.size()), c.gif) << c.bytes;
    }
    // A graphic control extension inside data that is no GIF is not a frame.
    const Bytes png = {0x89, 'P', 'N', 'G', 0x21, 0xF9, 0x04, 0, 0, 0, 0, 0, 0x2C, 0, 0, 0, 0, 0};
    EXPECT_TRUE(ScanGifFrames(png.data(), png.size()).empty());
}

// A comment extension between a graphic control extension and its image descriptor means that
// frame is not recognised (the frame test wants the descriptor right after the extension).
TEST_F(GifFrames, ControlExtensionNotFollowedByADescriptorIsNoFrame)
{
    Bytes gif = Make("two.gif", "-d 10 red.gif -d 25 blue.gif");
    const auto before = ScanGifFrames(gif.data(), gif.size());
    ASSERT_EQ(before.size(), 2u);
    const Bytes comment = {0x21, 0xFE, 0x01, 'x', 0x00};
    gif.insert(gif.begin() + static_cast<std::ptrdiff_t>(before[0].Offset + 8), comment.begin(),
               comment.end());
    WriteFile(File("commented.gif"), gif);
    ASSERT_EQ(GifsicleFrames(File("commented.gif")).size(), 2u);
    const auto frames = ScanGifFrames(gif.data(), gif.size());
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].Delay, 25);
}
