#pragma once
// The DNS packets of the mail exchanger lookup (RFC 1035): an MX or NS question, and the
// names in the answer and authority records of a reply. The reader checks every position
// against the received length and follows at most a bounded number of compression pointers,
// so a truncated or hostile reply is rejected instead of read past its end.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace crashreport {

inline constexpr uint16_t kDnsTypeNs = 2;
inline constexpr uint16_t kDnsTypeMx = 15;
inline constexpr size_t kDnsMessageLimit = 512;

// The question for `name`: identifier 1, recursion desired, class IN. Empty when the name does
// not fit a DNS message (a label above 63 characters, or the packet above 512 bytes).
std::string BuildDnsQuery(std::string_view name, uint16_t type);

struct DnsReply {
    enum class Status { ok, errorCode, malformed };
    Status status = Status::malformed;
    std::vector<std::string> answers;     // data names of the answer records
    std::vector<std::string> authorities; // data names of the authority records (NS queries)
};
// Reads a reply to `query` (the records start right after the question as it was sent).
DnsReply ParseDnsReply(std::string_view reply, std::string_view query, uint16_t type);

// The domain of a recipient address (after the first "@", without a trailing ">").
std::string MailDomainOf(const std::string& address);
// The domain cut to its last three labels.
std::string BaseDomainOf(const std::string& domain);

} // namespace crashreport
