#pragma once
// Finding the mail server of a recipient's domain: an MX question to the machine's DNS
// servers, or, when none is configured, a walk down from the root name servers by NS
// questions. Only the first exchanger of the first useful answer counts.
#include <cstdint>
#include <string>
#include <vector>

namespace crashreport {

// One question to a list of servers, answered by the first useful reply.
class DnsResolver {
public:
    virtual ~DnsResolver() = default;
    virtual void Query(const std::string& name, const std::vector<std::string>& servers,
                       uint16_t type, std::vector<std::string>& answers,
                       std::vector<std::string>& authorities) = 0;
};

// The most NS rounds below the first two of a root walk.
inline constexpr int kRootWalkRounds = 10;

std::string FindMailServer(const std::string& recipient, DnsResolver& resolver,
                           const std::vector<std::string>& configuredServers,
                           const std::vector<std::string>& rootServers);

} // namespace crashreport
