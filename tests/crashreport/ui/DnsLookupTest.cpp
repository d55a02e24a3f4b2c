#include "DnsMessage.h"
#include "MailExchangerLookup.h"

#include <gtest/gtest.h>

#include <map>

namespace crashreport {
namespace {

std::string Hex(std::string_view hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return bytes;
}

// Question and replies packed by dnslib (python3-dnslib) for "example.test"; the records use
// compressed names.
const std::string kMxQuery = Hex("000101000001000000000000076578616d706c65047465737400000f0001");
const std::string kMxReply =
    Hex("000185800001000200000000076578616d706c65047465737400000f0001c00c000f0001000000000008000a03"
        "6d7831c00cc00c000f"
        "000100000000000d00140331323701300130013900");
const std::string kNsQuery = Hex("000101000001000000000000076578616d706c6504746573740000020001");
const std::string kNsReply =
    Hex("000185800001000000020000076578616d706c6504746573740000020001c00c00020001000000000006036e73"
        "31c00cc00c000200"
        "0100000000000c036e7332056f74686572c014");
const std::string kNameErrorReply =
    Hex("000185830001000000000000076578616d706c65047465737400000f0001");

TEST(DnsMessage, BuildsQuestionsAsDnslibDoes)
{
    EXPECT_EQ(BuildDnsQuery("example.test", kDnsTypeMx), kMxQuery);
    EXPECT_EQ(BuildDnsQuery("example.test", kDnsTypeNs), kNsQuery);
    EXPECT_EQ(BuildDnsQuery("example.test", kDnsTypeMx).size(), 12 + 14 + 4u);
    EXPECT_EQ(BuildDnsQuery(std::string(64, 'a') + ".test", kDnsTypeMx), "");
    EXPECT_EQ(BuildDnsQuery("a..test", kDnsTypeMx), "");
}

TEST(DnsMessage, ReadsAnswersAndAuthoritiesThroughCompressedNames)
{
    const DnsReply mx = ParseDnsReply(kMxReply, kMxQuery, kDnsTypeMx);
    EXPECT_EQ(mx.status, DnsReply::Status::ok);
    EXPECT_EQ(mx.answers, (std::vector<std::string>{"mx1.example.test", "127.0.0.9"}));
    const DnsReply ns = ParseDnsReply(kNsReply, kNsQuery, kDnsTypeNs);
    EXPECT_TRUE(ns.answers.empty());
    EXPECT_EQ(ns.authorities, (std::vector<std::string>{"ns1.example.test", "ns2.other.test"}));
    EXPECT_EQ(ParseDnsReply(kNameErrorReply, kMxQuery, kDnsTypeMx).status,
              DnsReply::Status::errorCode);
}

TEST(DnsMessage, RejectsTruncatedAndLoopingReplies)
{
    for (size_t size = 0; size < kMxReply.size(); ++size)
        EXPECT_EQ(ParseDnsReply(kMxReply.substr(0, size), kMxQuery, kDnsTypeMx).status,
                  DnsReply::Status::malformed)
            << size;
    std::string loop = kMxReply;
    loop[kMxQuery.size()] = '\xC0';
    loop[kMxQuery.size() + 1] = static_cast<char>(kMxQuery.size()); // a pointer to itself
    EXPECT_EQ(ParseDnsReply(loop, kMxQuery, kDnsTypeMx).status, DnsReply::Status::malformed);
    std::string outside = kMxReply;
    outside[outside.size() - 11] = '\x3F'; // a label longer than the record
    EXPECT_EQ(ParseDnsReply(outside, kMxQuery, kDnsTypeMx).status, DnsReply::Status::malformed);
}

TEST(DnsMessage, FindsTheDomainsOfAnAddress)
{
    EXPECT_EQ(MailDomainOf("Ann <ann@mail.example.test>"), "mail.example.test");
    EXPECT_EQ(BaseDomainOf("a.b.example.test"), "b.example.test");
    EXPECT_EQ(BaseDomainOf("b.example.test"), "b.example.test");
}

// Answers by (name, first server, type); records every question.
class ZoneResolver : public DnsResolver {
public:
    struct Reply {
        std::vector<std::string> answers, authorities;
    };
    std::map<std::tuple<std::string, std::string, uint16_t>, Reply> zone;
    std::vector<std::string> asked;
    void Query(const std::string& name, const std::vector<std::string>& servers, uint16_t type,
               std::vector<std::string>& answers, std::vector<std::string>& authorities) override
    {
        const std::string server = servers.empty() ? "" : servers.front();
        asked.push_back((type == kDnsTypeMx ? "MX " : "NS ") + name + " @" + server);
        const Reply reply = zone[{name, server, type}];
        answers = reply.answers;
        authorities = reply.authorities;
    }
};

TEST(MailExchanger, AsksConfiguredServersForTheDomainThenItsBase)
{
    ZoneResolver resolver;
    resolver.zone[{"b.example.test", "10.0.0.1", kDnsTypeMx}] = {
        {"mx.example.test", "mx2.example.test"}, {}};
    EXPECT_EQ(FindMailServer("x@a.b.example.test", resolver, {"10.0.0.1"}, {"root"}),
              "mx.example.test");
    EXPECT_EQ(resolver.asked, (std::vector<std::string>{"MX a.b.example.test @10.0.0.1",
                                                        "MX b.example.test @10.0.0.1"}));

    ZoneResolver threeLabels;
    EXPECT_EQ(FindMailServer("x@b.example.test", threeLabels, {"10.0.0.1"}, {"root"}), "");
    EXPECT_EQ(threeLabels.asked.size(), 1u);
}

TEST(MailExchanger, WalksDownFromTheRootsWithoutConfiguredServers)
{
    ZoneResolver resolver;
    resolver.zone[{"example.test", "root", kDnsTypeNs}] = {{}, {"tld-ns"}};
    resolver.zone[{"example.test", "tld-ns", kDnsTypeNs}] = {{}, {"zone-ns"}};
    resolver.zone[{"example.test", "zone-ns", kDnsTypeNs}] = {{"ns.example.test"}, {}};
    resolver.zone[{"example.test", "ns.example.test", kDnsTypeMx}] = {{"mx.example.test"}, {}};
    EXPECT_EQ(FindMailServer("x@example.test", resolver, {}, {"root", "root2"}), "mx.example.test");
    EXPECT_EQ(resolver.asked.back(), "MX example.test @ns.example.test");
}

TEST(MailExchanger, EndlessReferralsStopAfterTheLastRound)
{
    ZoneResolver resolver;
    resolver.zone[{"example.test", "root", kDnsTypeNs}] = {{}, {"loop-ns"}};
    resolver.zone[{"example.test", "loop-ns", kDnsTypeNs}] = {{}, {"loop-ns"}};
    resolver.zone[{"example.test", "loop-ns", kDnsTypeMx}] = {{"mx.example.test"}, {}};
    EXPECT_EQ(FindMailServer("x@example.test", resolver, {}, {"root"}), "mx.example.test");
    EXPECT_EQ(resolver.asked.size(), 1u + 1u + kRootWalkRounds + 1u);

    ZoneResolver noRoots;
    EXPECT_EQ(FindMailServer("x@example.test", noRoots, {}, {"root"}), "");
    EXPECT_EQ(noRoots.asked.size(), 1u);
}

} // namespace
} // namespace crashreport
