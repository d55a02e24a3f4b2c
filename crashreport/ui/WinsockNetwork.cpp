#include "WinsockNetwork.h"

#include "DnsMessage.h"
#include "MailMessage.h"
#include "SendingDriver.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace crashreport {

namespace {

// A dotted IPv4 address as it is, else the first address of a host-name lookup.
std::optional<in_addr> ResolveHostAddress(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    in_addr address{};
    address.s_addr = inet_addr(text.c_str());
    if (address.s_addr != INADDR_NONE)
        return address;
    const hostent* host = gethostbyname(text.c_str());
    if (!host || host->h_addrtype != AF_INET || !host->h_addr_list || !host->h_addr_list[0])
        return std::nullopt;
    std::memcpy(&address, host->h_addr_list[0], sizeof address);
    return address;
}

sockaddr_in EndPoint(in_addr address, int32_t port)
{
    sockaddr_in end{};
    end.sin_family = AF_INET;
    end.sin_addr = address;
    end.sin_port = htons(static_cast<u_short>(port));
    return end;
}

// Whether data (or the peer's close) is there within the time.
bool WaitReadable(SOCKET socket, int32_t milliseconds)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval wait{milliseconds / 1000, (milliseconds % 1000) * 1000};
    return select(0, &readable, nullptr, nullptr, &wait) == 1;
}

class SocketStream : public ByteStream {
public:
    explicit SocketStream(SOCKET socket) : socket_(socket) {}
    ~SocketStream() override { closesocket(socket_); }

    bool Send(std::string_view bytes) override
    {
        // Pieces of at most 1024 bytes, in order.
        while (!bytes.empty()) {
            const int piece = static_cast<int>(std::min<size_t>(bytes.size(), 1024));
            const int sent = send(socket_, bytes.data(), piece, 0);
            if (sent <= 0)
                return false;
            bytes.remove_prefix(static_cast<size_t>(sent));
        }
        return true;
    }

    Received Receive(std::string& appendTo, size_t maxBytes) override
    {
        if (!WaitReadable(socket_, kAnswerTimeoutMs))
            return Received::timeout;
        std::string buffer(std::min<size_t>(maxBytes, 5120), '\0');
        const int got = recv(socket_, buffer.data(), static_cast<int>(buffer.size()), 0);
        if (got <= 0)
            return Received::closed;
        appendTo.append(buffer.data(), static_cast<size_t>(got));
        return Received::data;
    }

private:
    SOCKET socket_;
};

std::vector<std::string> SplitServerList(const std::string& text)
{
    const char delimiter = text.find(',') != std::string::npos ? ',' : ' ';
    std::vector<std::string> servers;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(delimiter, start);
        if (end == std::string::npos)
            end = text.size();
        std::string item = text.substr(start, end - start);
        while (!item.empty() && item.front() == ' ')
            item.erase(0, 1);
        while (!item.empty() && item.back() == ' ')
            item.pop_back();
        if (!item.empty())
            servers.push_back(item);
        start = end + 1;
    }
    return servers;
}

// Old systems (Windows 95 and NT 4) keep their DNS servers in the registry only.
std::vector<std::string> RegistryDnsServers()
{
    const bool windows9x = (GetVersion() & 0x80000000u) != 0;
    const std::string key = std::string("System\\CurrentControlSet\\Services\\") +
                            (windows9x ? "VxD\\MSTCP" : "Tcpip\\Parameters");
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return {};
    std::string value;
    for (const char* name : {"DhcpNameServer", "NameServer"}) {
        char buffer[512] = {};
        DWORD size = sizeof buffer - 1;
        if (RegQueryValueExA(handle, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                             &size) == ERROR_SUCCESS &&
            buffer[0] != '\0') {
            value = buffer;
            break;
        }
    }
    RegCloseKey(handle);
    return SplitServerList(value);
}

bool IsOldSystem()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&version))
        return false;
#pragma GCC diagnostic pop
    return version.dwMajorVersion < 5; // Windows 95 line and NT 3/4
}

} // namespace

WinsockSession::WinsockSession()
{
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

WinsockSession::~WinsockSession()
{
    if (started_)
        WSACleanup();
}

const std::vector<std::string>& RootNameServers()
{
    static const std::vector<std::string> roots = {"a.root-servers.net", "b.root-servers.net"};
    return roots;
}

std::vector<std::string> SystemDnsServers()
{
    if (IsOldSystem())
        return RegistryDnsServers();
    HMODULE library = LoadLibraryA("IpHlpApi.dll");
    if (!library)
        return {};
    using GetNetworkParamsFn = DWORD(WINAPI*)(PFIXED_INFO, PULONG);
    const auto getNetworkParams = reinterpret_cast<GetNetworkParamsFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "GetNetworkParams")));
    std::vector<std::string> servers;
    ULONG size = 0;
    if (getNetworkParams && getNetworkParams(nullptr, &size) == ERROR_BUFFER_OVERFLOW && size > 0) {
        std::vector<unsigned char> buffer(static_cast<size_t>(size) * 2);
        size = static_cast<ULONG>(buffer.size());
        auto* info = reinterpret_cast<PFIXED_INFO>(buffer.data());
        if (getNetworkParams(info, &size) == ERROR_SUCCESS) {
            std::string first;
            if (info->CurrentDnsServer)
                first = info->CurrentDnsServer->IpAddress.String;
            else
                first = info->DnsServerList.IpAddress.String;
            if (!first.empty())
                servers.push_back(first);
            for (const IP_ADDR_STRING* entry = &info->DnsServerList; entry; entry = entry->Next) {
                const std::string address = entry->IpAddress.String;
                if (!address.empty() && address != first)
                    servers.push_back(address);
            }
        }
    }
    FreeLibrary(library);
    return servers;
}

std::string QuerySystemProxy()
{
    HMODULE library = LoadLibraryA("wininet.dll");
    if (!library)
        return {};
    using QueryOptionFn = BOOL(WINAPI*)(void*, DWORD, void*, DWORD*);
    const auto queryOption = reinterpret_cast<QueryOptionFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "InternetQueryOptionA")));
    std::string proxy;
    constexpr DWORD kProxyOption = 38; // INTERNET_OPTION_PROXY
    DWORD size = 0;
    if (queryOption) {
        queryOption(nullptr, kProxyOption, nullptr, &size);
        // INTERNET_PROXY_INFO: access type, then the proxy list and bypass texts.
        struct ProxyInfo {
            DWORD accessType;
            const char* proxy;
            const char* bypass;
        };
        if (size >= sizeof(ProxyInfo)) {
            std::vector<unsigned char> buffer(size, 0);
            if (queryOption(nullptr, kProxyOption, buffer.data(), &size)) {
                const auto* info = reinterpret_cast<const ProxyInfo*>(buffer.data());
                constexpr DWORD kNamedProxy = 3; // INTERNET_OPEN_TYPE_PROXY
                if (info->accessType == kNamedProxy && info->proxy)
                    proxy = info->proxy;
            }
        }
    }
    FreeLibrary(library);
    return proxy;
}

void UdpDnsResolver::Query(const std::string& name, const std::vector<std::string>& servers,
                           uint16_t type, std::vector<std::string>& answers,
                           std::vector<std::string>& authorities)
{
    answers.clear();
    authorities.clear();
    const std::string query = BuildDnsQuery(name, type);
    if (query.empty())
        return;
    SOCKET socket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (socket == INVALID_SOCKET)
        return;
    sockaddr_in local = EndPoint(in_addr{}, 0);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    int outstanding = 0;
    if (bind(socket, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0) {
        for (const std::string& server : servers) {
            const std::optional<in_addr> address = ResolveHostAddress(server);
            if (!address)
                continue;
            const sockaddr_in peer = EndPoint(*address, 53);
            if (sendto(socket, query.data(), static_cast<int>(query.size()), 0,
                       reinterpret_cast<const sockaddr*>(&peer),
                       sizeof peer) == static_cast<int>(query.size()))
                ++outstanding;
        }
    }
    // At most one reply per server counts, each awaited for a bounded time.
    while (outstanding > 0) {
        if (!WaitReadable(socket, kDnsReplyTimeoutMs))
            break;
        char reply[kDnsMessageLimit];
        const int got = recv(socket, reply, sizeof reply, 0);
        if (got <= 0)
            break;
        --outstanding;
        const DnsReply parsed =
            ParseDnsReply(std::string_view(reply, static_cast<size_t>(got)), query, type);
        if (parsed.status != DnsReply::Status::ok)
            continue;
        if (!parsed.answers.empty() || !parsed.authorities.empty()) {
            answers = parsed.answers;
            authorities = parsed.authorities;
            break;
        }
    }
    closesocket(socket);
}

WinsockNetwork::WinsockNetwork() : WinsockNetwork(SystemDnsServers(), RootNameServers()) {}

WinsockNetwork::WinsockNetwork(std::vector<std::string> dnsServers,
                               std::vector<std::string> rootServers)
    : dnsServers_(std::move(dnsServers)), rootServers_(std::move(rootServers))
{
}

std::unique_ptr<ByteStream> WinsockNetwork::Connect(const std::string& host, int32_t port)
{
    const std::optional<in_addr> address = ResolveHostAddress(host);
    if (!address)
        return nullptr;
    SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET)
        return nullptr;
    const sockaddr_in peer = EndPoint(*address, port);
    if (connect(socket, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        closesocket(socket);
        return nullptr;
    }
    return std::make_unique<SocketStream>(socket);
}

std::string WinsockNetwork::FindMailServer(const std::string& recipient)
{
    UdpDnsResolver resolver;
    return crashreport::FindMailServer(recipient, resolver, dnsServers_, rootServers_);
}

std::string WinsockNetwork::SystemProxy()
{
    return QuerySystemProxy();
}

void WinsockNetwork::OpenInBrowser(const std::string& url)
{
    ShellExecuteA(nullptr, nullptr, url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::string WinsockNetwork::ComputerName()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

std::string WinsockNetwork::MailDate()
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    return MailDateText(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

std::string WinsockNetwork::MessageId()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return MessageIdText((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

bool TransmitReportOverWinsock(const SendJob& job)
{
    WinsockSession session;
    if (!session.Started())
        return false;
    WinsockNetwork network;
    return TransmitReport(job, network);
}

} // namespace crashreport
