// Any bytes as a reply to an MX and to an NS question: the reader must stay inside the
// received bytes and never loop.
#include "DnsMessage.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string mxQuery =
        crashreport::BuildDnsQuery("example.test", crashreport::kDnsTypeMx);
    static const std::string nsQuery =
        crashreport::BuildDnsQuery("example.test", crashreport::kDnsTypeNs);
    const std::string reply(reinterpret_cast<const char*>(data), size);
    crashreport::ParseDnsReply(reply, mxQuery, crashreport::kDnsTypeMx);
    crashreport::ParseDnsReply(reply, nsQuery, crashreport::kDnsTypeNs);
    return 0;
}
