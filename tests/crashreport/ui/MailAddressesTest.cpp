#include "MailAddresses.h"
#include "MailMessage.h"

#include <gtest/gtest.h>

namespace crashreport {
namespace {

TEST(MailAddresses, NormalisesListsAndCountsTheirItems)
{
    struct Case {
        std::string list, normalised;
        int32_t count;
    } cases[] = {
        {"", "", 0},
        {"  ", "", 0},
        {"a@x.test", "a@x.test", 1},
        {"Ann Lee <ann@x.test>; bob@y.test", "Ann Lee <ann@x.test>,bob@y.test", 2},
        {" a@x.test ,b@y.test;  c@z.test ", "a@x.test,b@y.test,c@z.test", 3},
    };
    for (const Case& c : cases) {
        std::string list = c.list;
        EXPECT_EQ(CountMailAddresses(list), c.count) << c.list;
        EXPECT_EQ(list, c.normalised) << c.list;
    }
}

TEST(MailAddresses, FormatsAddressesInAngleBrackets)
{
    EXPECT_EQ(FormatMailAddress("a@x.test", false), "<a@x.test>");
    EXPECT_EQ(FormatMailAddress("a@x.test", true), "<a@x.test>");
    EXPECT_EQ(FormatMailAddress("Ann <a@x.test>", true), "Ann <a@x.test>");
    EXPECT_EQ(FormatMailAddress("Ann <a@x.test>", false), "<a@x.test>");
}

TEST(MailAddresses, SeveralRecipientsShareOneHeaderSeparatedByCommas)
{
    EXPECT_EQ(MailHeaderAddresses("a@x.test; Bob <b@y.test>"), "<a@x.test>, Bob <b@y.test>");
    const std::string header =
        MailHeaderText("a@x.test,b@y.test", "qorExcept <a@x.test>", "S", "D", "<M>");
    EXPECT_EQ(header.substr(0, header.find("\r\n")), "To: <a@x.test>, <b@y.test>");
    EXPECT_EQ(header.find("To:", 1), std::string::npos);
}

TEST(MailAddresses, SplitsNamesAndAddressesForTheMailClient)
{
    std::string list = "Ann Lee <ann@x.test>; bob@y.test";
    ASSERT_EQ(CountMailAddresses(list), 2);
    const std::vector<std::string> items = MailAddressItems(list);
    const MailRecipient named = SplitMailAddress(items[0]);
    EXPECT_EQ(named.name, "Ann Lee ");
    EXPECT_EQ(named.address, "SMTP:ann@x.test");
    const MailRecipient plain = SplitMailAddress(items[1]);
    EXPECT_EQ(plain.name, "bob@y.test");
    EXPECT_EQ(plain.address, "SMTP:bob@y.test");
}

TEST(MailMessage, EncodesSubjectsAndDates)
{
    EXPECT_EQ(EncodeMailSubject("Crash in app 2"), "=?ISO-8859-1?Q?Crash=20in=20app=202?=");
    EXPECT_EQ(EncodeMailSubject("a=b\xE4"), "=?ISO-8859-1?Q?a=3Db=E4?=");
    EXPECT_EQ(MailDateText(2026, 12, 1, 4, 5, 6), "1 Dec 2026 04:05:06 UT");
    EXPECT_EQ(MessageIdText(0x01dc6a3bULL), "<0000000001dc6a3b@qorExcept>");
    EXPECT_EQ(EscapeChars("a b&c\xE9", "\r\n \"#%&+<>?", '%'), "a%20b%26c\xE9");
}

TEST(MailMessage, DoublesEveryLeadingDotAcrossPieces)
{
    DotStuffer stuffer;
    std::string data = stuffer.Stuff(".first\r\nline.\r\n.");
    data += stuffer.Stuff("\r\n..\r");
    data += stuffer.Stuff("\n.end");
    EXPECT_EQ(data, "..first\r\nline.\r\n..\r\n...\r\n..end");
}

TEST(MailMessage, LabelsAttachmentsByTheFilePath)
{
    const std::string png = MimeAttachmentHeader("C:\\tmp\\screenShot.PNG", "shot.bin");
    EXPECT_NE(png.find("Content-Type: image/png; name=\"shot.bin\"\r\n"), std::string::npos);
    const std::string other = MimeAttachmentHeader("C:\\tmp\\report.txt", "shot.png");
    EXPECT_NE(other.find("Content-Type: application/octet-stream; name=\"shot.png\"\r\n"),
              std::string::npos);
    EXPECT_EQ(Base64Lines(std::string(58, 'a')).find("\r\n"), 76u);
}

} // namespace
} // namespace crashreport
