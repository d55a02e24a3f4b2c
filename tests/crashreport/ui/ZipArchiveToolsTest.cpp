// Zip archives written member by member, checked by unzip -t, zipinfo and Python's zipfile
// (which also gives back every member's name and bytes). The tools come from the packages
// unzip and python3 (tools/lib.sh); a missing tool fails the test.
#include "QorZip.h"
#include "ZipCompression.h"

#include "FileBytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

using namespace crashui;

namespace {

class TStringZipWriter : public TZipWriter {
public:
    std::string bytes;
    size_t failAfter = SIZE_MAX; // bytes accepted before writes fail

protected:
    bool Write(const void* data, size_t size) override
    {
        if (bytes.size() + size > failAfter)
            return false;
        bytes.append(static_cast<const char*>(data), size);
        return true;
    }
};

std::string RunTool(const std::string& command, int& status)
{
    std::string out;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) {
        status = -1;
        return out;
    }
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    status = pclose(p);
    return out;
}

struct TInput {
    classlib::WideString path;
    std::string content;
};

std::string RandomBytes(size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (char& c : s)
        c = static_cast<char>(rng() % 7 == 0 ? rng() : 'a' + rng() % 3);
    return s;
}

class ZipArchiveTools : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/brenvik-zip-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

    std::string WriteArchive(const std::vector<TInput>& inputs,
                             const std::vector<classlib::WideString>& names)
    {
        TStringZipWriter writer;
        for (size_t k = 0; k < inputs.size(); ++k) {
            TZipMember member;
            member.name = ZipMemberName(inputs[k].path, names, k);
            member.dosDate = DosDate(2026, 12, 11);
            member.dosTime = DosTime(6, 30, 44);
            member.attributes = 0x20; // archive
            EXPECT_TRUE(writer.AddMember(member,
                                         reinterpret_cast<const uint8_t*>(inputs[k].content.data()),
                                         static_cast<uint32_t>(inputs[k].content.size())));
        }
        EXPECT_TRUE(writer.Finish());
        const std::string path = dir_ + "/archive.zip";
        testsupport::WriteBytes(path, writer.bytes);
        return path;
    }

    std::string dir_;
};

} // namespace

TEST_F(ZipArchiveTools, ArchivesPassUnzipZipinfoAndPythonWithTheirNamesAndBytes)
{
    const std::vector<TInput> inputs = {
        {L"C:\\Temp\\bugreport.txt",
         "date/time          : 2026-12-11\r\nexception class    : EAccessViolation\r\n"},
        {L"C:\\Temp\\empty.log", ""},
        {L"C:\\Users\\J\xF6rg\\Bild \xC4rger \xDF.png", RandomBytes(5000, 1)},
        {L"big.bin", RandomBytes(3 * qor::WindowSize + 17, 2)},
    };
    const std::string archive = WriteArchive(inputs, {});

    int status = 0;
    std::string out = RunTool("unzip -t '" + archive + "'", status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("No errors detected"), std::string::npos) << out;

    out = RunTool("zipinfo -v '" + archive + "'", status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("central directory contains 4 entries"), std::string::npos) << out;
    EXPECT_NE(out.find("2026 Dec 11 06:30:44"), std::string::npos) << out;

    // Python lists the names (as UTF-8 thanks to the flag) and a hex dump of each member.
    const std::string script = dir_ + "/check.py";
    testsupport::WriteBytes(
        script,
        "import sys, zipfile\n"
        "z = zipfile.ZipFile(sys.argv[1])\n"
        "bad = z.testzip()\n"
        "print('BAD', bad) if bad else None\n"
        "for i in z.infolist():\n"
        "    open(sys.argv[2] + '/' + str(z.infolist().index(i)), 'wb').write(z.read(i))\n"
        "    print(i.filename.encode('utf-8').hex(), i.flag_bits, i.compress_type, i.file_size)\n");
    out = RunTool("/usr/bin/python3 '" + script + "' '" + archive + "' '" + dir_ + "'", status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_EQ(out.find("BAD"), std::string::npos) << out;
    auto hex = [](const std::string& s) {
        std::string h;
        char b[3];
        for (unsigned char c : s) {
            std::snprintf(b, sizeof b, "%02x", c);
            h += b;
        }
        return h;
    };
    const std::string expected =
        hex("bugreport.txt") + " 2048 8 " + std::to_string(inputs[0].content.size()) + "\n" +
        hex("empty.log") + " 2048 8 0\n" + hex("Bild \xC3\x84rger \xC3\x9F.png") +
        " 2048 8 5000\n" + hex("big.bin") + " 2048 8 " + std::to_string(inputs[3].content.size()) +
        "\n";
    EXPECT_EQ(out, expected);
    for (size_t k = 0; k < inputs.size(); ++k)
        EXPECT_EQ(testsupport::ReadBytes(dir_ + "/" + std::to_string(k)), inputs[k].content) << k;
}

TEST_F(ZipArchiveTools, ArchiveNamesMatchByPathIndexAndPathsWithoutBackslashStayWhole)
{
    const std::vector<classlib::WideString> names = {L"first.txt", L"second.txt"};
    EXPECT_EQ(ZipMemberName(L"C:\\a\\one.txt", names, 1), "second.txt");
    EXPECT_EQ(ZipMemberName(L"C:\\a\\three.txt", names, 2), "three.txt");
    EXPECT_EQ(ZipMemberName(L"plain name.txt", {}, 0), "plain name.txt");
    EXPECT_EQ(ZipMemberName(L"C:\\dir\\", {}, 0), "");
}

TEST(ZipWriter, LayoutOfHeadersAndEndRecord)
{
    TZipMember m;
    m.name = "ab";
    m.dosTime = 0x1234;
    m.dosDate = 0x5678;
    m.crc = 0xAABBCCDD;
    m.compressedSize = 7;
    m.size = 9;
    m.attributes = 0x20;
    m.localHeaderOffset = 0x100;
    const std::string local = ZipLocalHeader(m);
    ASSERT_EQ(local.size(), 32u);
    EXPECT_EQ(local.substr(0, 14),
              std::string("PK\x03\x04\x14\x00\x00\x08\x08\x00\x34\x12\x78\x56", 14));
    const std::string central = ZipCentralHeader(m);
    ASSERT_EQ(central.size(), 48u);
    EXPECT_EQ(central.substr(0, 6), std::string("PK\x01\x02\x14\x00", 6));
    EXPECT_EQ(central.substr(6, 26), local.substr(4, 26));
    EXPECT_EQ(central.substr(32, 14), std::string("\0\0\0\0\0\0\x20\0\0\0\0\x01\0\0", 14));
    EXPECT_EQ(ZipEndRecord(2, 100, 300),
              std::string("PK\x05\x06\0\0\0\0\x02\0\x02\0\x64\0\0\0\x2C\x01\0\0\0\0", 22));
}

TEST(ZipWriter, NothingStoredOrAFailedWriteFails)
{
    TStringZipWriter empty;
    EXPECT_FALSE(empty.Finish());

    TStringZipWriter failing;
    failing.failAfter = 40; // the local header and name go through, the data does not
    TZipMember m;
    m.name = "file.txt";
    const std::string content(1000, 'x');
    EXPECT_FALSE(failing.AddMember(m, reinterpret_cast<const uint8_t*>(content.data()), 1000));
    EXPECT_TRUE(failing.Members().empty());
}
