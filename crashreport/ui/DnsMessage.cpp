#include "DnsMessage.h"

namespace crashreport {

namespace {

uint16_t Read16(std::string_view bytes, size_t at)
{
    return static_cast<uint16_t>((static_cast<uint8_t>(bytes[at]) << 8) |
                                 static_cast<uint8_t>(bytes[at + 1]));
}

void Append16(std::string& bytes, uint16_t value)
{
    bytes += static_cast<char>(value >> 8);
    bytes += static_cast<char>(value & 0xFF);
}

// A name at `pos` (moved past it); false when it leaves `limit` or the message, or loops.
bool ReadName(std::string_view message, size_t& pos, size_t limit, std::string& name)
{
    constexpr int kMaxJumps = 32;
    name.clear();
    size_t at = pos;
    bool jumped = false;
    int jumps = 0;
    for (;;) {
        if (at >= limit || at >= message.size())
            return false;
        const auto length = static_cast<uint8_t>(message[at]);
        if (length == 0) {
            if (!jumped)
                pos = at + 1;
            return true;
        }
        if (length >= 192) {
            if (at + 1 >= limit || at + 1 >= message.size() || ++jumps > kMaxJumps)
                return false;
            if (!jumped)
                pos = at + 2;
            jumped = true;
            at = Read16(message, at) & 0x3FFF;
            // Pointers lead into the message, not past the record being read.
            limit = message.size();
            continue;
        }
        if (length > 63 || at + 1 + length > limit || at + 1 + length > message.size())
            return false;
        if (!name.empty())
            name += '.';
        name.append(message.substr(at + 1, length));
        if (name.size() > 255)
            return false;
        at += 1 + length;
    }
}

// The data names of `count` records from `pos`.
bool ReadRecords(std::string_view message, size_t& pos, uint16_t count, uint16_t type,
                 std::vector<std::string>& names)
{
    for (uint16_t i = 0; i < count; ++i) {
        std::string owner;
        if (!ReadName(message, pos, message.size(), owner) || pos + 10 > message.size())
            return false;
        const size_t end = pos + 10 + Read16(message, pos + 8);
        if (end > message.size())
            return false;
        // MX data starts with its 16-bit preference.
        size_t dataStart = pos + (type == kDnsTypeMx ? 12 : 10);
        std::string name;
        if (dataStart > end || !ReadName(message, dataStart, end, name))
            return false;
        names.push_back(name);
        pos = end;
    }
    return true;
}

} // namespace

std::string BuildDnsQuery(std::string_view name, uint16_t type)
{
    std::string query;
    for (uint16_t field :
         {uint16_t(1), uint16_t(0x0100), uint16_t(1), uint16_t(0), uint16_t(0), uint16_t(0)})
        Append16(query, field);
    size_t start = 0;
    while (start <= name.size() && !name.empty()) {
        size_t end = name.find('.', start);
        if (end == std::string_view::npos)
            end = name.size();
        const size_t length = end - start;
        if (length > 63 || (length == 0 && end != name.size()))
            return {};
        if (length > 0) {
            query += static_cast<char>(length);
            query.append(name.substr(start, length));
        }
        start = end + 1;
    }
    query += '\0';
    Append16(query, type);
    Append16(query, 1);
    if (query.size() > kDnsMessageLimit)
        return {};
    return query;
}

DnsReply ParseDnsReply(std::string_view reply, std::string_view query, uint16_t type)
{
    DnsReply result;
    if (reply.size() < 12 || query.size() < 12 || reply.size() < query.size())
        return result;
    if ((static_cast<uint8_t>(reply[3]) & 0x0F) != 0) {
        result.status = DnsReply::Status::errorCode;
        return result;
    }
    size_t pos = query.size();
    const uint16_t answerCount = Read16(reply, 6);
    const uint16_t authorityCount = Read16(reply, 8);
    if (!ReadRecords(reply, pos, answerCount, type, result.answers))
        return result;
    if (type == kDnsTypeNs && !ReadRecords(reply, pos, authorityCount, type, result.authorities))
        return result;
    result.status = DnsReply::Status::ok;
    return result;
}

std::string MailDomainOf(const std::string& address)
{
    const size_t at = address.find('@');
    std::string domain = at == std::string::npos ? address : address.substr(at + 1);
    if (!domain.empty() && domain.back() == '>')
        domain.pop_back();
    return domain;
}

std::string BaseDomainOf(const std::string& domain)
{
    size_t dots = 0;
    for (size_t i = domain.size(); i-- > 0;)
        if (domain[i] == '.' && ++dots == 3)
            return domain.substr(i + 1);
    return domain;
}

} // namespace crashreport
