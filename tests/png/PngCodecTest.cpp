// Ancillary chunks, encoding (round trips through libpng and pngcheck, filter choice, chunk
// splitting) and the image operations (pixels, resizing, copying).
#include "PngBuilder.h"
#include "PngImage.h"
#include "PngPixels.h"
#include "PngReference.h"

#include "core/Streams.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace png;
using namespace pngtest;

namespace {

void Load(TPNGImage& image, const std::string& bytes)
{
    classlib::TStringStream stream(bytes);
    image.LoadFromStream(stream);
}

std::string Save(TPNGImage& image)
{
    classlib::TStringStream stream;
    image.SaveToStream(stream);
    return stream.DataString();
}

std::string GrayPng(const std::string& beforeData)
{
    return RandomPng(4, 2, 0, 8, 3, beforeData).bytes;
}

// ---- Ancillary chunks -----------------------------------------------------------------------

TEST(PngTextChunks, TextReadsAndWritesBackByteForByte)
{
    const std::string text = Chunk("tEXt", std::string("Title\0Hello", 11));
    TPNGImage image;
    Load(image, GrayPng(text));
    const auto* chunk = image.Chunks().Find<TChunktEXt>();
    ASSERT_NE(chunk, nullptr);
    EXPECT_EQ(chunk->Keyword, "Title");
    EXPECT_EQ(chunk->Text, "Hello");
    EXPECT_EQ(ChunkData(Save(image), "tEXt"),
              std::vector<std::string>{std::string("Title\0Hello", 11)});

    TPNGImage noSeparator;
    Load(noSeparator, GrayPng(Chunk("tEXt", "Keyword")));
    EXPECT_EQ(noSeparator.Chunks().Find<TChunktEXt>()->Keyword, "Keyword");
    EXPECT_EQ(noSeparator.Chunks().Find<TChunktEXt>()->Text, "");
}

TEST(PngTextChunks, CompressedText)
{
    const std::string longText(3000, 'a');
    const struct {
        const char* what;
        std::string data;
        std::string text;
    } cases[] = {
        {"long text", std::string("Comment\0\0", 9) + Deflate(longText), longText},
        {"method 1", std::string("Comment\0\1", 9) + Deflate("abc"), ""},
        {"broken stream", std::string("Comment\0\0", 9) + "garbage", ""},
        // The method byte used to be read past the data when the separator was missing.
        {"no separator", "Comment", ""},
        {"separator last", std::string("Comment\0", 8), ""},
    };
    for (const auto& c : cases) {
        TPNGImage image;
        Load(image, GrayPng(Chunk("zTXt", c.data)));
        const auto* chunk = image.Chunks().Find<TChunkzTXt>();
        ASSERT_NE(chunk, nullptr) << c.what;
        EXPECT_EQ(chunk->Text, c.text) << c.what;
    }

    // Written back: one complete zlib stream; an empty text is written as " ".
    TPNGImage image;
    Load(image, GrayPng(Chunk("zTXt", cases[0].data) +
                        Chunk("zTXt", std::string("Empty\0\0", 7) + Deflate(""))));
    const std::vector<std::string> written = ChunkData(Save(image), "zTXt");
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(Inflate(written[0].substr(9)), longText);
    EXPECT_EQ(Inflate(written[1].substr(7)), " ");
}

TEST(PngTextChunks, InflatedTextIsCapped)
{
    const std::string bomb =
        std::string("Comment\0\0", 9) + Deflate(std::string(MaxInflatedTextSize + 1, 'x'), 9);
    TPNGImage image;
    Load(image, GrayPng(Chunk("zTXt", bomb)));
    EXPECT_EQ(image.Chunks().Find<TChunkzTXt>()->Text, "");
}

TEST(PngAncillaryChunks, PhysicalSizeAndTime)
{
    TPNGImage image;
    Load(image, GrayPng(Chunk("pHYs", std::string(8, '\1')) +
                        Chunk("tIME", std::string("\x07\xE9\x0C\x1F\x17\x3B\x3C", 7))));
    const auto* phys = image.Chunks().Find<TChunkpHYs>();
    EXPECT_EQ(phys->PPUnitX, 0u);
    EXPECT_EQ(phys->Unit, 0);
    const auto* time = image.Chunks().Find<TChunktIME>();
    EXPECT_EQ(time->Year, 2025);
    EXPECT_EQ(time->Second, 60);
    const std::string saved = Save(image);
    EXPECT_EQ(ChunkData(saved, "pHYs"), std::vector<std::string>{std::string(9, '\0')});
    EXPECT_EQ(ChunkData(saved, "tIME"),
              std::vector<std::string>{std::string("\x07\xE9\x0C\x1F\x17\x3B\x3C", 7)});
}

TEST(PngAncillaryChunks, GammaBuildsTheTables)
{
    TPNGImage image;
    Load(image, GrayPng(Chunk("gAMA", BigEndian32(100000))));
    EXPECT_EQ(image.GammaTable[128], 186);
    EXPECT_EQ(image.GammaTable[255], 255);
    EXPECT_EQ(image.InverseTable[186], 128);

    TPNGImage identity;
    Load(identity, GrayPng(Chunk("gAMA", BigEndian32(45455))));
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(identity.GammaTable[i], i);

    TPNGImage shortGamma;
    Load(shortGamma, GrayPng(Chunk("gAMA", std::string(3, '\1'))));
    EXPECT_EQ(shortGamma.Chunks().Find<TChunkgAMA>()->GetGamma(), 1u);
}

TEST(PngAncillaryChunks, TransparencyDecidesTheDrawingMode)
{
    const struct {
        const char* what;
        std::string bytes;
        TTransparencyMode mode;
    } cases[] = {
        {"gray", GrayPng(""), ptmNone},
        {"gray with key", GrayPng(Chunk("tRNS", std::string("\0\7", 2))), ptmBit},
        {"palette", RandomPng(4, 2, 3, 8).bytes, ptmNone},
        {"palette, one transparent entry",
         RandomPng(4, 2, 3, 2, 1, Chunk("tRNS", std::string("\xFF\0\xFF", 3))).bytes, ptmBit},
        // One half-transparent entry used to count as a key colour.
        {"palette, one half-transparent entry",
         RandomPng(4, 2, 3, 2, 1, Chunk("tRNS", std::string("\xFF\x80\xFF", 3))).bytes, ptmPartial},
        {"palette, two partial entries",
         RandomPng(4, 2, 3, 2, 1, Chunk("tRNS", std::string("\x80\0\xFF", 3))).bytes, ptmPartial},
        {"RGB with alpha", RandomPng(4, 2, 6, 8).bytes, ptmPartial},
        {"gray with alpha", RandomPng(4, 2, 4, 16).bytes, ptmPartial},
    };
    for (const auto& c : cases) {
        TPNGImage image;
        Load(image, c.bytes);
        EXPECT_EQ(image.TransparencyMode(), c.mode) << c.what;
    }
}

// 16-bit keys used to be compared by their low byte; the image holds the high byte.
TEST(PngAncillaryChunks, SixteenBitKeysUseTheHighByte)
{
    TPNGImage gray;
    Load(gray, Signature() + Header(2, 1, 16, 0) + Chunk("tRNS", std::string("\xAB\x01", 2)) +
                   Chunk("IDAT", Deflate(std::string("\0\xAB\x01\x10\x00", 5))) +
                   Chunk("IEND", ""));
    EXPECT_EQ(gray.TransparentColor(), 0xABABABu);
    EXPECT_EQ(gray.ReadPixel(0, 0), gray.TransparentColor());

    TPNGImage rgb;
    Load(rgb, Signature() + Header(1, 1, 16, 2) +
                  Chunk("tRNS", std::string("\x11\x01\x22\x02\x33\x03", 6)) +
                  Chunk("IDAT", Deflate(std::string("\0\x11\x01\x22\x02\x33\x03", 7))) +
                  Chunk("IEND", ""));
    EXPECT_EQ(rgb.TransparentColor(), 0x332211u);
    EXPECT_EQ(rgb.ReadPixel(0, 0), rgb.TransparentColor());
}

// 2-bit gray samples used to be held as 4 × p, making white a light gray.
TEST(PngAncillaryChunks, TwoBitGrayKeepsItsLevels)
{
    const std::string bytes = Signature() + Header(4, 1, 2, 0) +
                              Chunk("tRNS", std::string("\0\3", 2)) +
                              Chunk("IDAT", Deflate(std::string("\0\x1B", 2))) + Chunk("IEND", "");
    TPNGImage image;
    Load(image, bytes);
    EXPECT_EQ(image.HeaderChunk()->HeldBitsPerPixel(), 4u);
    EXPECT_EQ(image.HeaderChunk()->BitmapInfo.bmiHeader.biClrUsed, 16u);
    const uint32_t expected[] = {0x000000, 0x555555, 0xAAAAAA, 0xFFFFFF};
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(image.ReadPixel(x, 0), expected[x]) << x;
    EXPECT_EQ(image.TransparentColor(), 0xFFFFFFu);

    const std::string saved = Save(image);
    EXPECT_EQ(PngcheckComplaint(saved), "");
    const TReferenceImage reference = DecodeWithLibpng(saved);
    ASSERT_EQ(reference.error, "");
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(reference.rgba[x * 4], expected[x] & 0xFF) << x;
}

// ---- Encoding -------------------------------------------------------------------------------

struct RoundTripCase {
    int colorType, depth;
};

class PngRoundTrip : public ::testing::TestWithParam<std::tuple<RoundTripCase, int, int>> {};

// Filter sets: None, Sub, Up, Average, Paeth, all five.
const TFilterSet FilterSets[] = {FilterBit(pfNone),    FilterBit(pfSub),   FilterBit(pfUp),
                                 FilterBit(pfAverage), FilterBit(pfPaeth), 0x1F};

TEST_P(PngRoundTrip, SavedImageDecodesToTheSamePixels)
{
    const auto [format, interlace, filterIndex] = GetParam();
    TPNGImage original;
    Load(original, RandomPng(19, 11, format.colorType, format.depth,
                             unsigned(format.depth * 10 + format.colorType))
                       .bytes);
    const std::vector<uint8_t> pixels = OurRgba(original);
    original.SetInterlaceMethod(uint8_t(interlace));
    original.SetFilters(FilterSets[filterIndex]);
    const std::string saved = Save(original);

    EXPECT_EQ(PngcheckComplaint(saved), "");
    const TReferenceImage reference = DecodeWithLibpng(saved);
    ASSERT_EQ(reference.error, "");
    EXPECT_EQ(reference.interlace, interlace);
    EXPECT_EQ(FirstDifference(pixels, reference.rgba, 19), "") << "libpng";
    TPNGImage again;
    Load(again, saved);
    EXPECT_EQ(FirstDifference(OurRgba(again), pixels, 19), "") << "our decoder";
}

const RoundTripCase Formats[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                                 {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};

INSTANTIATE_TEST_SUITE_P(EveryFormat, PngRoundTrip,
                         ::testing::Combine(::testing::ValuesIn(Formats), ::testing::Values(0, 1),
                                            ::testing::Range(0, 6)),
                         [](const auto& info) {
                             const RoundTripCase f = std::get<0>(info.param);
                             return "type" + std::to_string(f.colorType) + "_depth" +
                                    std::to_string(f.depth) +
                                    (std::get<1>(info.param) ? "_adam7" : "_plain") + "_filters" +
                                    std::to_string(std::get<2>(info.param));
                         });

TEST(PngEncoder, FilterChoice)
{
    // 6 × 3 gray rows: one of bytes that never repeat at distance 1 or 2 under Sub or Up, one
    // of one repeated value.
    const std::string rows = std::string("\0\x01\x09\x03\x0E\x07\x1F", 7) +
                             std::string("\0\x05\x05\x05\x05\x05\x05", 7) +
                             std::string("\0\x40\x11\x72\x23\x64\x35", 7);
    const std::string bytes =
        Signature() + Header(6, 3, 8, 0) + Chunk("IDAT", Deflate(rows)) + Chunk("IEND", "");
    const struct {
        const char* what;
        TFilterSet filters;
        std::vector<int> expected;
    } cases[] = {
        {"default {Sub}", DefaultFilterSet, {1, 1, 1}},
        {"{None}", FilterBit(pfNone), {0, 0, 0}},
        {"empty set", 0, {0, 0, 0}},
        {"{Paeth} alone", FilterBit(pfPaeth), {4, 4, 4}},
        {"{Sub, Up}: no repeats in row 1, Sub repeats in row 2, none in row 3",
         TFilterSet(FilterBit(pfSub) | FilterBit(pfUp)),
         {0, 1, 0}},
        {"all: None scores first on a repeated row", 0x1F, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        TPNGImage image;
        Load(image, bytes);
        if (c.filters != DefaultFilterSet)
            image.SetFilters(c.filters);
        const std::string saved = Save(image);
        EXPECT_EQ(RowFilters(saved, 6, 3), c.expected) << c.what;
        EXPECT_EQ(PngcheckComplaint(saved), "") << c.what;
    }
}

TEST(PngEncoder, SplitsImageDataAtTheMaximumSize)
{
    // Random RGB samples barely compress: about 2.5 × 65535 bytes of compressed data.
    TPNGImage image;
    Load(image, RandomPng(256, 214, 2, 8, 9).bytes);
    image.SetFilters(FilterBit(pfNone));
    image.SetDeflateLevel(0);
    const std::string saved = Save(image);
    const std::vector<std::string> chunks = ChunkData(saved, "IDAT");
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].size(), 65535u);
    EXPECT_EQ(chunks[1].size(), 65535u);
    EXPECT_GT(chunks[2].size(), 0u);
    EXPECT_LT(chunks[2].size(), 65535u);
    EXPECT_EQ(PngcheckComplaint(saved), "");

    image.SetMaxIdatSize(1000);
    EXPECT_EQ(image.MaxIdatSize(), 65535u);
    image.SetMaxIdatSize(100000);
    EXPECT_EQ(image.MaxIdatSize(), 100000u);
    EXPECT_EQ(ChunkData(Save(image), "IDAT").size(), 2u);
}

TEST(PngEncoder, SixteenBitImagesAreWrittenWithZeroLowBytes)
{
    TPNGImage image;
    Load(image, RandomPng(5, 3, 2, 16, 4).bytes);
    image.SetFilters(FilterBit(pfNone));
    const std::string saved = Save(image);
    EXPECT_EQ(ChunkData(saved, "IHDR")[0][8], 16);
    std::string compressed = ChunkData(saved, "IDAT")[0];
    const std::string rows = Inflate(compressed);
    for (size_t y = 0; y < 3; ++y)
        for (size_t i = 2; i <= 30; i += 2)
            EXPECT_EQ(rows[y * 31 + i], 0) << y << "," << i;
}

// zlib's results used to go unchecked: a deflater that cannot start stops the save.
TEST(PngEncoder, FailingDeflaterRaisesInsteadOfWritingAnEmptyImage)
{
    TPNGImage image;
    Load(image, GrayPng(""));
    image.SetDeflateLevel(10);
    classlib::TStringStream stream;
    try {
        image.SaveToStream(stream);
        FAIL() << "saved";
    } catch (const EPNGZLIBError& e) {
        EXPECT_EQ(e.Message(),
                  "Could not compress the image data.\r\n Description: stream error (-2)");
    }
}

TEST(PngEncoder, GammaCorrectedColoursAreWrittenThroughTheInverseTable)
{
    TPNGImage image;
    Load(image, RandomPng(16, 16, 2, 8, 2, Chunk("gAMA", BigEndian32(100000))).bytes);
    TPNGImage again;
    Load(again, Save(image));
    int worst = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            for (int c = 0; c < 24; c += 8)
                worst = std::max(worst, std::abs(int((again.ReadPixel(x, y) >> c) & 0xFF) -
                                                 int((image.ReadPixel(x, y) >> c) & 0xFF)));
    // The two tables round at different ends of the curve; a few steps at most.
    EXPECT_LE(worst, 4);
}

// ---- Image operations -----------------------------------------------------------------------

TEST(PngImageOperations, EmptyImage)
{
    TPNGImage image;
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Height(), 0);
    EXPECT_THROW(image.HeaderChunk(), EPNGHeaderNotPresent);
    EXPECT_THROW(image.SetImageSize(2, 2), EPNGHeaderNotPresent);
    EXPECT_EQ(image.Filters(), FilterBit(pfSub));
    EXPECT_EQ(image.DeflateLevel(), 7);
    EXPECT_EQ(image.MaxIdatSize(), 65535u);
}

TEST(PngImageOperations, PixelsOutsideTheImage)
{
    TPNGImage image;
    Load(image, RandomPng(4, 4, 2, 8).bytes);
    EXPECT_EQ(image.ReadPixel(-1, 0), 0u);
    EXPECT_EQ(image.ReadPixel(0, 4), 0u);
    const std::vector<uint8_t> before = OurRgba(image);
    image.WritePixel(4, 0, 0xFFFFFF);
    image.WritePixel(0, -1, 0xFFFFFF);
    EXPECT_EQ(OurRgba(image), before);
    image.WritePixel(1, 2, 0x123456);
    EXPECT_EQ(image.ReadPixel(1, 2), 0x123456u);
}

TEST(PngImageOperations, WritingAPalettePixelPicksTheNearestEntry)
{
    const std::string palette = std::string("\0\0\0\xFF\0\0\0\xFF\0", 9);
    TPNGImage image;
    Load(image, Signature() + Header(2, 1, 8, 3) + Chunk("PLTE", palette) +
                    Chunk("IDAT", Deflate(std::string(3, '\0'))) + Chunk("IEND", ""));
    image.WritePixel(1, 0, 0x10E010); // nearly green
    EXPECT_EQ(HeldIndex(image, 1, 0), 2);
    EXPECT_EQ(image.ReadPixel(1, 0), 0x00FF00u);
}

TEST(PngImageOperations, ResizingKeepsTheTopLeftAndMakesNewAreaBlackAndOpaque)
{
    TPNGImage image;
    Load(image, RandomPng(4, 4, 6, 8, 7).bytes);
    const std::vector<uint8_t> before = OurRgba(image);
    EXPECT_THROW(image.SetImageSize(0, 2), EPNGInvalidNewSize);
    image.SetImageSize(8, 2);
    ASSERT_EQ(image.Width(), 8);
    ASSERT_EQ(image.Height(), 2);
    const std::vector<uint8_t> after = OurRgba(image);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 8; ++x) {
            const uint8_t* p = after.data() + (y * 8 + x) * 4;
            if (x < 4) {
                EXPECT_EQ(std::memcmp(p, before.data() + (y * 4 + x) * 4, 4), 0) << x << "," << y;
            } else {
                EXPECT_EQ(p[0] | p[1] | p[2], 0) << x << "," << y;
                EXPECT_EQ(p[3], 255) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(PngcheckComplaint(Save(image)), "");
}

TEST(PngImageOperations, CopyHasTheSameChunksSettingsAndPixels)
{
    TPNGImage source;
    Load(source,
         RandomPng(6, 5, 2, 16, 8,
                   Chunk("gAMA", BigEndian32(100000)) + Chunk("tEXt", std::string("k\0v", 3)))
             .bytes);
    source.SetFilters(0x1F);
    source.SetDeflateLevel(9);
    source.SetInterlaceMethod(1);
    TPNGImage copy;
    copy.AssignFrom(source);
    EXPECT_EQ(copy.Filters(), 0x1F);
    EXPECT_EQ(copy.DeflateLevel(), 9);
    EXPECT_EQ(copy.InterlaceMethod(), 1);
    ASSERT_EQ(copy.Chunks().Count(), source.Chunks().Count());
    for (size_t i = 0; i < copy.Chunks().Count(); ++i)
        EXPECT_EQ(copy.Chunks().Chunk(i)->ClassType().ClassName(),
                  source.Chunks().Chunk(i)->ClassType().ClassName());
    EXPECT_EQ(OurRgba(copy), OurRgba(source));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 18; ++x)
            EXPECT_EQ(copy.LowByteRow(y)[x], 0);
    // The copy saves the same bytes as its source: its samples go back through the same
    // inverse gamma table.
    EXPECT_EQ(Save(copy), Save(source));
}

} // namespace

namespace {

TEST(PngBlending, BlendsOverTheTargetAndStretchesByWholePixels)
{
    // 2 × 1 RGBA: black at alpha 128, then opaque (200, 100, 50).
    TPNGImage image;
    Load(image, Signature() + Header(2, 1, 8, 6) +
                    Chunk("IDAT", Deflate(std::string("\0\0\0\0\x80\xC8\x64\x32\xFF", 9))) +
                    Chunk("IEND", ""));
    std::vector<uint8_t> white(2 * 4, 255);
    image.BlendOnto(white.data(), 2, 1);
    EXPECT_EQ(white[0], 127); // (0 × 128 + 127 × 255 + 255) >> 8
    EXPECT_EQ(white[2], 127);
    EXPECT_EQ(white[4], 50); // blue of the opaque pixel
    EXPECT_EQ(white[6], 200);

    std::vector<uint8_t> wide(4 * 2 * 4, 255);
    image.BlendOnto(wide.data(), 4, 2);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(wide[(y * 4 + 1) * 4], 127) << y;
        EXPECT_EQ(wide[(y * 4 + 2) * 4], 50) << y;
    }
}

TEST(PngBlending, PaletteAndGrayAlphaImages)
{
    TPNGImage palette;
    Load(palette, Signature() + Header(2, 1, 1, 3) +
                      Chunk("PLTE", std::string("\x10\x20\x30\xFF\xFF\xFF", 6)) +
                      Chunk("tRNS", std::string("\x40", 1)) +
                      Chunk("IDAT", Deflate(std::string("\0\x40", 2))) + Chunk("IEND", ""));
    ASSERT_EQ(palette.TransparencyMode(), ptmPartial);
    std::vector<uint8_t> black(2 * 4, 0);
    palette.BlendOnto(black.data(), 2, 1);
    EXPECT_EQ(black[2], (0x10 * 0x40 + 255) >> 8); // red of entry 0 at alpha 64
    EXPECT_EQ(black[4], 255);                      // entry 1 is opaque

    TPNGImage grayAlpha;
    Load(grayAlpha, Signature() + Header(1, 1, 8, 4) +
                        Chunk("IDAT", Deflate(std::string("\0\xFF\x80", 3))) + Chunk("IEND", ""));
    std::vector<uint8_t> target(4, 0);
    grayAlpha.BlendOnto(target.data(), 1, 1);
    EXPECT_EQ(target[1], (255 * 128 + 255) >> 8);
}

} // namespace
