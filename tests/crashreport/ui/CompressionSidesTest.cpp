// The compression drivers over real files and file mappings under Wine: several 1 MiB windows,
// the offsets at the start of a file, CRCs, and failures; zlib judges the compressed bytes.
#include "CompressionSides.h"

#include "WindowsTempFolder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

using namespace crashui;

namespace {

std::string Text(size_t size)
{
    static const char* words[] = {"thread ", "$00401A2C ", "kernel32.dll ", "\r\n",
                                  "eax=00000000 "};
    std::mt19937 rng(3);
    std::string s;
    while (s.size() < size)
        s += words[rng() % 5];
    s.resize(size);
    return s;
}

uint32_t ZlibCrc(const std::string& s)
{
    return uint32_t(crc32(0, reinterpret_cast<const Bytef*>(s.data()), uInt(s.size())));
}

HANDLE Open(const std::wstring& path, DWORD access, DWORD disposition)
{
    return CreateFileW(path.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

} // namespace

TEST(CompressionSides, FileToFileAndBackThroughAMapping)
{
    TTempFolder folder;
    const std::string original = Text(2 * 1048576 + 333333);
    ASSERT_TRUE(WriteWholeFile(folder.File(L"source.txt"), original));
    const std::string prefix = "HEADER-KEPT:";
    ASSERT_TRUE(WriteWholeFile(folder.File(L"packed.bin"), prefix));

    HANDLE source = Open(folder.File(L"source.txt"), GENERIC_READ, OPEN_EXISTING);
    HANDLE packed = Open(folder.File(L"packed.bin"), GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
    uint32_t crc = 0;
    const uint64_t length =
        DeflateStream(source, packed, nullptr, nullptr, prefix.size(), nullptr, nullptr,
                      original.size(), original.size() + prefix.size(), &crc);
    CloseHandle(source);
    CloseHandle(packed);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(crc, ZlibCrc(original));
    const std::string file = ReadWholeFile(folder.File(L"packed.bin"));
    ASSERT_EQ(file.size(), prefix.size() + length);
    EXPECT_EQ(file.substr(0, prefix.size()), prefix);

    // zlib inflates what the driver wrote.
    std::string check(original.size(), '\0');
    z_stream z{};
    inflateInit2(&z, -15);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(file.data() + prefix.size()));
    z.avail_in = uInt(length);
    z.next_out = reinterpret_cast<Bytef*>(check.data());
    z.avail_out = uInt(check.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
    inflateEnd(&z);
    EXPECT_EQ(check, original);

    // Back: from a mapping of the packed file (skipping the prefix) into a mapping of a new one.
    HANDLE packedFile = Open(folder.File(L"packed.bin"), GENERIC_READ, OPEN_EXISTING);
    HANDLE packedMap = CreateFileMappingW(packedFile, nullptr, PAGE_READONLY, 0, 0, nullptr);
    HANDLE outFile =
        Open(folder.File(L"unpacked.txt"), GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE outMap =
        CreateFileMappingW(outFile, nullptr, PAGE_READWRITE, 0, DWORD(original.size()), nullptr);
    ASSERT_TRUE(packedMap && outMap);
    crc = 0;
    EXPECT_EQ(InflateStream(packedFile, outFile, packedMap, outMap, prefix.size(), nullptr, nullptr,
                            file.size(), original.size(), &crc),
              original.size());
    EXPECT_EQ(crc, ZlibCrc(original));
    CloseHandle(outMap);
    CloseHandle(outFile);
    CloseHandle(packedMap);
    CloseHandle(packedFile);
    EXPECT_EQ(ReadWholeFile(folder.File(L"unpacked.txt")), original);

    // From the file into memory.
    packedFile = Open(folder.File(L"packed.bin"), GENERIC_READ, OPEN_EXISTING);
    std::string memory(original.size(), '\0');
    EXPECT_EQ(InflateStream(packedFile, nullptr, nullptr, nullptr, prefix.size(), nullptr,
                            memory.data(), file.size(), original.size()),
              original.size());
    CloseHandle(packedFile);
    EXPECT_EQ(memory, original);
}

TEST(CompressionSides, FailuresGiveZero)
{
    TTempFolder folder;
    const std::string original = Text(1048576 + 10);
    ASSERT_TRUE(WriteWholeFile(folder.File(L"source.txt"), original));
    // A destination opened for reading only: the window cannot be written out.
    ASSERT_TRUE(WriteWholeFile(folder.File(L"readonly.bin"), ""));
    HANDLE source = Open(folder.File(L"source.txt"), GENERIC_READ, OPEN_EXISTING);
    HANDLE destination = Open(folder.File(L"readonly.bin"), GENERIC_READ, OPEN_EXISTING);
    EXPECT_EQ(DeflateStream(source, destination, nullptr, nullptr, 0, nullptr, nullptr,
                            original.size(), 2 * original.size()),
              0u);
    CloseHandle(destination);
    // A source announced longer than the file: the last window cannot be read completely.
    std::string out(2 * original.size(), '\0');
    EXPECT_EQ(DeflateStream(source, nullptr, nullptr, nullptr, 0, nullptr, out.data(),
                            original.size() + 5000, out.size()),
              0u);
    CloseHandle(source);
}
