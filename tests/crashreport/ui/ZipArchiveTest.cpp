// WriteZipArchive over real files under Wine: what is stored (names by path index, names in the
// system code page as UTF-8, attributes, dates), what is skipped, and when the archive goes.
// The archive is taken apart here and its members inflated with zlib.
#include "ZipArchive.h"

#include "WindowsTempFolder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <map>
#include <random>

using namespace crashui;

namespace {

uint32_t Le(const std::string& s, size_t at, int size)
{
    uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = (v << 8) | uint8_t(s[at + size_t(i)]);
    return v;
}

struct TStored {
    std::string content;
    uint32_t attributes = 0;
    uint16_t dosDate = 0, dosTime = 0;
};

// Name -> member, from the central directory; the content inflated by zlib and checked against
// the recorded CRC and size.
std::map<std::string, TStored> Members(const std::string& zip)
{
    std::map<std::string, TStored> members;
    if (zip.size() < 22 || Le(zip, zip.size() - 22, 4) != 0x06054B50)
        return members;
    size_t central = Le(zip, zip.size() - 6, 4);
    const uint32_t count = Le(zip, zip.size() - 12, 2);
    for (uint32_t k = 0; k < count; ++k) {
        const size_t nameLength = Le(zip, central + 28, 2);
        const std::string name = zip.substr(central + 46, nameLength);
        const size_t local = Le(zip, central + 42, 4);
        TStored stored;
        stored.attributes = Le(zip, central + 38, 4);
        stored.dosTime = uint16_t(Le(zip, local + 10, 2));
        stored.dosDate = uint16_t(Le(zip, local + 12, 2));
        const uint32_t packed = Le(zip, local + 18, 4), size = Le(zip, local + 22, 4);
        stored.content.assign(size, '\0');
        z_stream z{};
        inflateInit2(&z, -15);
        z.next_in =
            reinterpret_cast<Bytef*>(const_cast<char*>(zip.data() + local + 30 + nameLength));
        z.avail_in = packed;
        char none = 0;
        z.next_out = size ? reinterpret_cast<Bytef*>(stored.content.data())
                          : reinterpret_cast<Bytef*>(&none);
        z.avail_out = size;
        const int status = inflate(&z, Z_FINISH);
        inflateEnd(&z);
        const uint32_t crc =
            uint32_t(crc32(0, reinterpret_cast<const Bytef*>(stored.content.data()), size));
        if (status != Z_STREAM_END || crc != Le(zip, local + 14, 4))
            stored.content = "damaged";
        members[name] = stored;
        central += 46 + nameLength;
    }
    return members;
}

std::string Noise(size_t size)
{
    std::mt19937 rng(7);
    std::string s(size, '\0');
    for (char& c : s)
        c = char(rng() % 5 ? 'a' + rng() % 4 : rng());
    return s;
}

} // namespace

TEST(WriteZipArchive, StoresFilesUnderTheirNamesAndSkipsWhatCannotBeRead)
{
    TTempFolder folder;
    const std::string report = "date/time : 2026-12-11\r\n";
    const std::string big = Noise(3 * 1048576 + 5);
    ASSERT_TRUE(WriteWholeFile(folder.File(L"bugreport.txt"), report));
    ASSERT_TRUE(WriteWholeFile(folder.File(L"empty.txt"), ""));
    ASSERT_TRUE(WriteWholeFile(folder.File(L"big.bin"), big));
    // A name with characters of the system code page (Windows-1252 here).
    ASSERT_TRUE(WriteWholeFile(folder.File(L"Bericht \x00C4\x00D6\x00DC\x00DF.txt"), "umlauts"));
    SetFileAttributesW(folder.File(L"empty.txt").c_str(), FILE_ATTRIBUTE_READONLY);

    const std::wstring archive = folder.File(L"attachments.zip");
    ASSERT_TRUE(WriteZipArchive(
        archive,
        {folder.File(L"missing.txt"), folder.File(L"bugreport.txt"), folder.File(L"empty.txt"),
         folder.File(L"big.bin"), folder.File(L"Bericht \x00C4\x00D6\x00DC\x00DF.txt")},
        {L"never.txt", L"report.txt"}));
    const auto members = Members(ReadWholeFile(archive));
    ASSERT_EQ(members.size(), 4u);
    // The second path takes the second archive name although the first path was skipped.
    ASSERT_EQ(members.count("report.txt"), 1u);
    EXPECT_EQ(members.at("report.txt").content, report);
    EXPECT_EQ(members.at("empty.txt").content, "");
    EXPECT_EQ(members.at("big.bin").content, big);
    ASSERT_EQ(members.count("Bericht \xC3\x84\xC3\x96\xC3\x9C\xC3\x9F.txt"), 1u);
    EXPECT_EQ(members.at("Bericht \xC3\x84\xC3\x96\xC3\x9C\xC3\x9F.txt").content, "umlauts");

    EXPECT_EQ(members.at("empty.txt").attributes & FILE_ATTRIBUTE_READONLY,
              DWORD(FILE_ATTRIBUTE_READONLY));
    // The date is the file's last write in local time.
    HANDLE file = CreateFileW(folder.File(L"big.bin").c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME written, local;
    WORD date = 0, time = 0;
    GetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    FileTimeToLocalFileTime(&written, &local);
    FileTimeToDosDateTime(&local, &date, &time);
    EXPECT_EQ(members.at("big.bin").dosDate, date);
    EXPECT_EQ(members.at("big.bin").dosTime, time);
}

TEST(WriteZipArchive, NothingStoredDeletesTheArchive)
{
    TTempFolder folder;
    const std::wstring archive = folder.File(L"none.zip");
    ASSERT_TRUE(WriteWholeFile(archive, "old archive"));
    EXPECT_FALSE(
        WriteZipArchive(archive, {folder.File(L"missing1"), folder.File(L"missing2")}, {}));
    EXPECT_FALSE(FileExists(archive));
    EXPECT_FALSE(WriteZipArchive(archive, {}, {}));
    EXPECT_FALSE(FileExists(archive));

    ASSERT_TRUE(WriteWholeFile(folder.File(L"a.txt"), "a"));
    EXPECT_FALSE(WriteZipArchive(folder.File(L"no folder\\x.zip"), {folder.File(L"a.txt")}, {}));
}

TEST(WriteZipArchive, ALockedInputIsStillReadWhenItSharesReading)
{
    TTempFolder folder;
    ASSERT_TRUE(WriteWholeFile(folder.File(L"log.txt"), "being written"));
    // Another writer holds the file open with read sharing, as a log file is.
    HANDLE writer =
        CreateFileW(folder.File(L"log.txt").c_str(), GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(WriteZipArchive(folder.File(L"a.zip"), {folder.File(L"log.txt")}, {}));
    CloseHandle(writer);
    EXPECT_EQ(Members(ReadWholeFile(folder.File(L"a.zip"))).at("log.txt").content, "being written");
}
