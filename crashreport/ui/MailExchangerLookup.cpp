#include "MailExchangerLookup.h"

#include "DnsMessage.h"

namespace crashreport {

namespace {

std::string FirstExchanger(DnsResolver& resolver, const std::string& domain,
                           const std::string& baseDomain, const std::vector<std::string>& servers)
{
    std::vector<std::string> answers, authorities;
    resolver.Query(domain, servers, kDnsTypeMx, answers, authorities);
    if (answers.empty() && baseDomain != domain)
        resolver.Query(baseDomain, servers, kDnsTypeMx, answers, authorities);
    return answers.empty() ? std::string() : answers.front();
}

} // namespace

std::string FindMailServer(const std::string& recipient, DnsResolver& resolver,
                           const std::vector<std::string>& configuredServers,
                           const std::vector<std::string>& rootServers)
{
    const std::string domain = MailDomainOf(recipient);
    const std::string baseDomain = BaseDomainOf(domain);
    if (!configuredServers.empty())
        return FirstExchanger(resolver, domain, baseDomain, configuredServers);

    std::vector<std::string> answers, authorities;
    resolver.Query(baseDomain, rootServers, kDnsTypeNs, answers, authorities);
    if (authorities.empty())
        return {};
    std::vector<std::string> servers = authorities;
    resolver.Query(baseDomain, servers, kDnsTypeNs, answers, authorities);
    for (int round = 0; round < kRootWalkRounds && answers.empty() && !authorities.empty();
         ++round) {
        servers = authorities;
        resolver.Query(baseDomain, servers, kDnsTypeNs, answers, authorities);
    }
    if (answers.empty())
        answers = authorities;
    return FirstExchanger(resolver, domain, baseDomain, answers);
}

} // namespace crashreport
