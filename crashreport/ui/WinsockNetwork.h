#pragma once
// The delivery's outside world on Windows: Winsock streams with bounded waits, the DNS client
// over UDP port 53, the machine's DNS servers and internet proxy, the browser and the clock.
#include "MailExchangerLookup.h"
#include "SendJob.h"

#include <string>
#include <vector>

namespace crashreport {

// Starts the socket library (version 1.1) for its lifetime.
class WinsockSession {
public:
    WinsockSession();
    ~WinsockSession();
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool Started() const { return started_; }

private:
    bool started_ = false;
};

// The answer time-out of SMTP and HTTP reads.
inline constexpr int32_t kAnswerTimeoutMs = 7000;
// The wait for one DNS reply.
inline constexpr int32_t kDnsReplyTimeoutMs = 5000;

// The two root name servers the walk starts from when the machine has no DNS server.
const std::vector<std::string>& RootNameServers();
// The machine's DNS servers (GetNetworkParams, or the registry values of old systems).
std::vector<std::string> SystemDnsServers();
// The proxy list of the system's internet settings (wininet, looked up at run time).
std::string QuerySystemProxy();

// DNS questions over UDP to port 53 of the servers.
class UdpDnsResolver : public DnsResolver {
public:
    void Query(const std::string& name, const std::vector<std::string>& servers, uint16_t type,
               std::vector<std::string>& answers, std::vector<std::string>& authorities) override;
};

// Needs a started WinsockSession. The DNS servers default to the machine's.
class WinsockNetwork : public NetworkServices {
public:
    WinsockNetwork();
    WinsockNetwork(std::vector<std::string> dnsServers, std::vector<std::string> rootServers);
    std::unique_ptr<ByteStream> Connect(const std::string& host, int32_t port) override;
    std::string FindMailServer(const std::string& recipient) override;
    std::string SystemProxy() override;
    void OpenInBrowser(const std::string& url) override;
    std::string ComputerName() override;
    std::string MailDate() override;
    std::string MessageId() override;

private:
    std::vector<std::string> dnsServers_;
    std::vector<std::string> rootServers_;
};

// TransmitReport on Winsock: false when the socket library does not start.
bool TransmitReportOverWinsock(const SendJob& job);

} // namespace crashreport
