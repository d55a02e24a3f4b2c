// The chunk stream: what is refused with which exception, what is kept, skipped or carried
// through unchanged, and the chunk list.
#include "PngBuilder.h"
#include "PngImage.h"
#include "PngReference.h"

#include "core/Streams.h"

#include <gtest/gtest.h>

using namespace png;
using namespace pngtest;

namespace {

// 8 × 2 gray image, 8 bits: rows 0..7 and 8..15, filter 0.
std::string GrayRows()
{
    return std::string("\0\0\1\2\3\4\5\6\7\0\10\11\12\13\14\15\16\17", 18);
}
std::string GrayHeader()
{
    return Header(8, 2, 8, 0);
}
std::string GrayData()
{
    return Chunk("IDAT", Deflate(GrayRows()));
}
std::string End()
{
    return Chunk("IEND", "");
}
std::string Flip(std::string s, size_t at)
{
    s[at] = char(s[at] ^ 1);
    return s;
}

std::string FlipLast(const std::string& s)
{
    return Flip(s, s.size() - 1);
}

// The exception's class name, or "" when loading succeeds.
std::string LoadFailure(TPNGImage& image, const std::string& bytes)
{
    classlib::TStringStream stream(bytes);
    try {
        image.LoadFromStream(stream);
    } catch (const classlib::Exception& e) {
        return e.ClassName();
    }
    return {};
}

struct RefusedCase {
    const char* what;
    std::string bytes;
    const char* exception;
    size_t chunksKept;
};

TEST(PngChunkStream, RefusesBrokenStreamsWithTheCodecsException)
{
    const std::string s = Signature();
    const std::string compressed = Deflate(GrayRows());
    const RefusedCase cases[] = {
        {"fewer than 8 bytes", s.substr(0, 5), "EPNGInvalidFileHeader", 0},
        {"a signature byte differs", Flip(s, 7) + GrayHeader() + GrayData() + End(),
         "EPNGInvalidFileHeader", 0},
        {"signature then nothing", s, "EPngUnexpectedEnd", 0},
        {"first chunk not IHDR", s + Chunk("tEXt", "a\0b") + GrayHeader(), "EPNGIHDRNotFirst", 0},
        {"unknown critical chunk", s + GrayHeader() + Chunk("ABCD", "x") + GrayData() + End(),
         "EPNGUnknownCriticalChunk", 2},
        {"names are case-sensitive", s + GrayHeader() + Chunk("Idat", compressed) + End(),
         "EPNGUnknownCriticalChunk", 2},
        {"flipped data byte", s + Flip(GrayHeader(), 9) + GrayData() + End(), "EPngInvalidCRC", 1},
        {"header of 12 bytes",
         s + Chunk("IHDR", std::string(GrayHeader(), 8, 12)) + GrayData() + End(),
         "EPngInvalidIHDR", 1},
        {"width 65536", s + Header(65536, 1, 8, 0) + GrayData() + End(), "EPNGSizeExceeds", 1},
        {"compression method 1",
         s + Chunk("IHDR", BigEndian32(8) + BigEndian32(2) + std::string("\x08\0\1\0\0", 5)) +
             GrayData() + End(),
         "EPNGUnknownCompression", 1},
        {"interlace method 2", s + Header(8, 2, 8, 0, 2) + GrayData() + End(),
         "EPNGUnknownInterlace", 1},
        {"width 0", s + Header(0, 2, 8, 0) + GrayData() + End(), "EPngInvalidIHDR", 1},
        {"depth 4 for RGB", s + Header(8, 2, 4, 2) + GrayData() + End(), "EPngInvalidIHDR", 1},
        {"16-bit palette", s + Header(8, 2, 16, 3) + GrayData() + End(), "EPngInvalidIHDR", 1},
        {"no image data", s + GrayHeader() + End(), "EPNGNoImageData", 2},
        {"image data run interrupted",
         s + GrayHeader() + Chunk("IDAT", compressed.substr(0, 5)) + Chunk("tEXt", "a\0b") +
             Chunk("IDAT", compressed.substr(5)) + End(),
         "EPNGMissingMultipleIDAT", 2},
        {"wrong CRC in the second image-data chunk",
         s + GrayHeader() + Chunk("IDAT", compressed.substr(0, 5)) +
             FlipLast(Chunk("IDAT", compressed.substr(5))) + End(),
         "EPngInvalidCRC", 2},
        {"not a zlib stream", s + GrayHeader() + Chunk("IDAT", std::string(20, '\x55')) + End(),
         "EPNGZLIBError", 2},
        {"palette of 10 bytes",
         s + Header(8, 2, 8, 3) + Chunk("PLTE", std::string(10, '\0')) + GrayData() + End(),
         "EPNGInvalidPalette", 2},
        {"palette of 257 entries",
         s + Header(8, 2, 8, 3) + Chunk("PLTE", std::string(771, '\0')) + GrayData() + End(),
         "EPNGInvalidPalette", 2},
        {"transparency of 257 bytes",
         s + GrayHeader() + Chunk("tRNS", std::string(257, '\0')) + GrayData() + End(),
         "EPNGInvalidPalette", 2},
        // A length of 0xFFFFFFFF used to wrap the size arithmetic; lengths beyond what the
        // stream holds are refused before anything is allocated for them.
        {"length 0xFFFFFFFF", s + GrayHeader() + BigEndian32(0xFFFFFFFF) + "tEXt" + "abc",
         "EPngUnexpectedEnd", 1},
        {"length beyond the stream", s + GrayHeader() + BigEndian32(0x40000000) + "tEXt" + "abc",
         "EPngUnexpectedEnd", 2},
        // An image too large to hold (65535 × 65535 RGBA used to overflow 32-bit sizes).
        {"image too large to hold", s + Header(65535, 65535, 8, 6) + GrayData() + End(),
         "EPNGOutMemory", 1},
        {"truncated image-data chunk", s + GrayHeader() + GrayData().substr(0, 20),
         "EPngUnexpectedEnd", 2},
    };
    for (const RefusedCase& c : cases) {
        TPNGImage image;
        EXPECT_EQ(LoadFailure(image, c.bytes), c.exception) << c.what;
        EXPECT_EQ(image.Chunks().Count(), c.chunksKept) << c.what;
        image.ClearChunks();
        EXPECT_TRUE(image.Empty()) << c.what;
    }
}

TEST(PngChunkStream, MessagesAreTheFixedTexts)
{
    TPNGImage image;
    classlib::TStringStream stream(Signature());
    try {
        image.LoadFromStream(stream);
        FAIL();
    } catch (const classlib::Exception& e) {
        EXPECT_EQ(e.Message(),
                  "This \"Portable Network Graphics\" image is invalid because the decoder "
                  "found an unexpected end of the file.");
    }
    classlib::TStringStream broken(Signature() + GrayHeader() +
                                   Chunk("IDAT", std::string(20, '\x55')) + End());
    try {
        image.LoadFromStream(broken);
        FAIL();
    } catch (const classlib::Exception& e) {
        EXPECT_EQ(e.Message(),
                  "Could not decompress the image because it contains invalid compressed "
                  "data.\r\n Description: data error (-3)");
    }
}

TEST(PngChunkStream, AcceptsTheLargestSideAndALongerHeader)
{
    TPNGImage wide;
    const std::string row = std::string(1, '\0') + std::string(8192, '\xFF');
    EXPECT_EQ(LoadFailure(
                  wide, Signature() + Header(65535, 1, 1, 0) + Chunk("IDAT", Deflate(row)) + End()),
              "");
    EXPECT_EQ(wide.Width(), 65535);
    EXPECT_EQ(wide.ReadPixel(65534, 0), 0xFFFFFFu);

    TPNGImage longer;
    const std::string header = std::string(GrayHeader(), 8, 13) + "Z";
    EXPECT_EQ(LoadFailure(longer, Signature() + Chunk("IHDR", header) + GrayData() + End()), "");
    EXPECT_EQ(longer.ReadPixel(7, 1), 0x0F0F0Fu);
}

TEST(PngChunkStream, KeepsUnknownAncillaryChunksAndDropsChrmAndLateImageData)
{
    const std::string privateChunk = Chunk("prVt", std::string("\0\1\2 private", 11));
    const std::string bytes =
        Signature() + GrayHeader() + privateChunk + Chunk("cHRM", std::string(32, '\1')) +
        GrayData() + Chunk("tEXt", std::string("a\0b", 3)) + GrayData() + End() + "trailing bytes";
    TPNGImage image;
    classlib::TStringStream stream(bytes);
    image.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), int64_t(bytes.size() - 14)) << "nothing after IEND is read";
    ASSERT_EQ(image.Chunks().Count(), 5u);
    EXPECT_EQ(image.Chunks().Chunk(1)->ClassType().ClassName(), "TChunk");
    EXPECT_EQ(image.Chunks().Chunk(1)->NameText(), "prVt");

    classlib::TStringStream saved;
    image.SaveToStream(saved);
    EXPECT_EQ(ChunkNames(saved.DataString()),
              (std::vector<std::string>{"IHDR", "prVt", "IDAT", "tEXt", "IEND"}));
    EXPECT_EQ(saved.DataString().substr(8 + 25, privateChunk.size()), privateChunk);
    EXPECT_EQ(PngcheckComplaint(saved.DataString()), "");
}

TEST(PngChunkStream, ImageDataSplitIntoChunksOfAnySizeDecodesTheSame)
{
    const TBuiltPng built = RandomPng(13, 7, 6, 8, 5);
    const std::string compressed = ChunkData(built.bytes, "IDAT")[0];
    std::string oneByteChunks = Signature() + Header(13, 7, 8, 6);
    for (char c : compressed)
        oneByteChunks += Chunk("IDAT", std::string(1, c));
    oneByteChunks += Chunk("IDAT", "") + End();
    TPNGImage whole, split;
    ASSERT_EQ(LoadFailure(whole, built.bytes), "");
    ASSERT_EQ(LoadFailure(split, oneByteChunks), "");
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 13; ++x) {
            EXPECT_EQ(split.ReadPixel(x, y), whole.ReadPixel(x, y));
            EXPECT_EQ(split.AlphaRow(y)[x], whole.AlphaRow(y)[x]);
        }
    }
}

TEST(PngChunkStream, InterlacedSinglePixelComesFromTheFirstPass)
{
    TPNGImage image;
    const std::string pass1 = std::string("\0\x10\x20\x30", 4);
    ASSERT_EQ(LoadFailure(image, Signature() + Header(1, 1, 8, 2, 1) +
                                     Chunk("IDAT", Deflate(pass1)) + End()),
              "");
    EXPECT_EQ(image.ReadPixel(0, 0), 0x302010u);
    EXPECT_EQ(image.InterlaceMethod(), 1);
}

TEST(PngChunkStream, FirstLineOfEveryPassIsFilteredAgainstZeros)
{
    // 8 × 8 gray, interlaced: every line of every pass written with the Up filter, so each
    // pass's first line must take zeros as its previous row.
    std::vector<std::vector<uint8_t>> image(8, std::vector<uint8_t>(8));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            image[y][x] = uint8_t(y * 8 + x + 1);
    std::string rows;
    for (const TAdam7Pass& pass : Adam7Passes) {
        std::vector<uint8_t> previous(8, 0);
        for (uint32_t y = pass.rowStart; y < 8; y += pass.rowStep) {
            rows += '\2';
            std::vector<uint8_t> line;
            for (uint32_t x = pass.columnStart; x < 8; x += pass.columnStep)
                line.push_back(image[y][x]);
            for (size_t i = 0; i < line.size(); ++i)
                rows += char(line[i] - previous[i]);
            previous = line;
            previous.resize(8, 0);
        }
    }
    TPNGImage decoded;
    ASSERT_EQ(LoadFailure(decoded, Signature() + Header(8, 8, 8, 0, 1) +
                                       Chunk("IDAT", Deflate(rows)) + End()),
              "");
    const TReferenceImage reference = DecodeWithLibpng(Signature() + Header(8, 8, 8, 0, 1) +
                                                       Chunk("IDAT", Deflate(rows)) + End());
    ASSERT_EQ(reference.error, "");
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(decoded.ReadPixel(x, y) & 0xFF, reference.rgba[(y * 8 + x) * 4])
                << x << "," << y;
}

TEST(PngPointerList, ExtractsTheLastOccurrenceAndIgnoresBadIndexes)
{
    int a = 0, b = 0;
    TPNGPointerList list(nullptr);
    list.Append(&a);
    list.Append(&b);
    list.Append(&a);
    EXPECT_EQ(list.Extract(&a), &a);
    EXPECT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.ItemAt(0), &a);
    EXPECT_EQ(list.ItemAt(1), &b);
    EXPECT_EQ(list.Extract(&list), nullptr);
    EXPECT_EQ(list.ItemAt(2), nullptr);
    list.PutAt(5, &b);
    EXPECT_EQ(list.Count(), 2u);
}

TEST(PngChunkRegistry, CreatesRegisteredClassesByExactName)
{
    RegisterCommonChunks();
    const struct {
        const char* name;
        const char* className;
    } cases[] = {{"IHDR", "TChunkIHDR"}, {"IDAT", "TChunkIDAT"}, {"IEND", "TChunkIEND"},
                 {"PLTE", "TChunkPLTE"}, {"gAMA", "TChunkgAMA"}, {"tRNS", "TChunktRNS"},
                 {"pHYs", "TChunkpHYs"}, {"tIME", "TChunktIME"}, {"tEXt", "TChunktEXt"},
                 {"zTXt", "TChunkzTXt"}, {"ztxt", "TChunk"},     {"iTXt", "TChunk"}};
    for (const auto& c : cases) {
        std::unique_ptr<TChunk> chunk(
            CreateChunkByName(nullptr, reinterpret_cast<const uint8_t*>(c.name)));
        EXPECT_EQ(chunk->ClassType().ClassName(), c.className) << c.name;
        EXPECT_EQ(chunk->NameText(), c.name);
    }
}

} // namespace
