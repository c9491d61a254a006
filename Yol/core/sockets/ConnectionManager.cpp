#include "ConnectionManager.h"

#include "CSocketsManager.h"
#include "SocketIo.h"

#include <poll.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace Sockets {

namespace {

struct StatusRow {
    unsigned int status;
    const char* text;
};

constexpr StatusRow statusTexts[] = {
    {ConnMgrStatus::Disconnected, "Connection is disconnected"},
    {ConnMgrStatus::ConnectionFailed, "Connection failed and can't be reestablished"},
    {ConnMgrStatus::ConnectionCanceled, "User aborted connection"},
    {ConnMgrStatus::ConnectionDisabled, "Connection is ready to connect but disabled"},
    {ConnMgrStatus::NoPathToDestination, "No path could be found to destination"},
    {ConnMgrStatus::PhoneOff, "Phone resource needed and phone is off"},
    {ConnMgrStatus::ExclusiveConflict,
     "The connection could not be established because it would multi-home an exclusive connection"},
    {ConnMgrStatus::NoResources, "Failed to allocate resources to make the connection"},
    {ConnMgrStatus::ConnectionLinkFailed, "Connection link disconnected prematurely"},
    {ConnMgrStatus::AuthenticationFailed, "Failed to authenticate user"},
    {ConnMgrStatus::NoPathWithProperty,
     "Path with connection having requested property, ex. WAKE_ON_INCOMING, is not available"},
};

struct ProxyKindRow {
    const char* scheme;
    unsigned int kind;
};

constexpr ProxyKindRow proxySchemes[] = {
    {"http", 1}, {"socks4", 4}, {"socks4a", 4}, {"socks5", 8}, {"socks5h", 8}, {"socks", 8},
};

// Configured proxy kind -> the proxy type of the connection settings.
struct ProxyTypeRow {
    unsigned int kind;
    unsigned int type;
};

constexpr ProxyTypeRow proxyTypes[] = {
    {1, ProxyType::Http},
    {4, ProxyType::Socks4},
    {8, ProxyType::Socks5},
};

CYolString Hex(unsigned int value, const char* format) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return CYolString::FromUtf8(text);
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string PercentDecode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The connection of the always-connected network.
class CAlwaysUp final : public CNetworkConnection {
public:
    int ChangeFd() const override { return -1; }
    int QueryStatus(unsigned int& status) override {
        status = ConnMgrStatus::Connected;
        return 0;
    }
};

// Waits until the connection is up. Empty when it is, else the detail of
// the failure.
CYolString WaitConnected(CNetworkConnection& connection, int wakeFd, int roundMs) {
    for (;;) {
        unsigned int status = 0;
        int query = connection.QueryStatus(status);
        if (query != 0)
            return u" can't determine connection status" + Hex(static_cast<unsigned int>(query), " 0x%X");
        if (status == ConnMgrStatus::Connected)
            return {};
        if ((status & 0x20) && status != ConnMgrStatus::WaitingForPath && status != ConnMgrStatus::WaitingForPhone) {
            CYolString text = ConnMgrStatusText(status);
            return text.IsEmpty() ? Hex(status, " 0x%X") : u": " + text;
        }
        int wait = connection.ChangeFd() >= 0 ? WaitFor(connection.ChangeFd(), POLLIN, wakeFd, roundMs)
                                              : WaitFor(wakeFd, POLLIN, -1, roundMs);
        if (wait == SocketError::Interrupted || (connection.ChangeFd() < 0 && wait == 0))
            return u": user aborted connection";
        if (wait == SocketError::TimedOut) {
            CYolString text = ConnMgrStatusText(status);
            return text.IsEmpty() ? CYolString(u": timeout expired ") : u": timeout expired (" + text + u")";
        }
        if (wait != 0)
            return u" state detection error" + Hex(static_cast<unsigned int>(wait), " 0x%X");
    }
}

// A port as text: decimal digits only, 1 to 65535. The digits are checked
// before any conversion, so that no overlong number wraps into range.
bool ParsePort(const std::string& text, unsigned int& port) {
    if (text.empty() || text.size() > 5)
        return false;
    unsigned int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned int>(c - '0');
    }
    if (value < 1 || value > 0xFFFF)
        return false;
    port = value;
    return true;
}

// "host[:port]" -> host and port (0 when none is given); an IPv6 host comes
// in brackets. Empty when it splits, else what is wrong with it.
std::string SplitServer(const std::string& server, std::string& host, unsigned int& port) {
    size_t colon;
    if (!server.empty() && server.front() == '[') {
        size_t close = server.find(']');
        if (close == std::string::npos)
            return "no closing bracket after the IPv6 address";
        host = server.substr(1, close - 1);
        colon = close + 1;
        if (colon < server.size() && server[colon] != ':')
            return "text after the IPv6 address";
    } else {
        colon = server.find(':');
        host = server.substr(0, colon);
    }
    if (host.empty())
        return "no host name";
    port = 0;
    if (colon >= server.size() || colon + 1 == server.size())
        return {};
    std::string digits = server.substr(colon + 1);
    if (!ParsePort(digits, port))
        return "port \"" + digits + "\" is not a number from 1 to 65535";
    return {};
}

}  // namespace

CYolString ConnMgrStatusText(unsigned int status) {
    for (const auto& row : statusTexts)
        if (row.status == status)
            return CYolString::FromUtf8(row.text);
    return {};
}

// --- the always-connected stand-in ------------------------------------------

CAlwaysConnected::CAlwaysConnected(EnvironmentLookup environment) : environment(std::move(environment)) {}

int CAlwaysConnected::WaitReady(int) { return 0; }

bool CAlwaysConnected::EnumDestination(int index, CYolString& description) {
    if (index != 0)
        return false;
    description = u"The Internet";
    return true;
}

int CAlwaysConnected::MapUrl(const CYolString&, int& destination) {
    destination = 0;
    return 0;
}

int CAlwaysConnected::Establish(int, CNetworkConnection*& connection) {
    connection = new CAlwaysUp;
    return 0;
}

void CAlwaysConnected::Release(CNetworkConnection* connection, bool) { delete connection; }

const char* CAlwaysConnected::Lookup(const char* name) const {
    return environment ? environment(name) : std::getenv(name);
}

bool CAlwaysConnected::GetProxyConfig(const CYolString& host, ProxyConfig& config) {
    static const char* const names[][2] = {
        {"all_proxy", "ALL_PROXY"}, {"https_proxy", "HTTPS_PROXY"}, {"http_proxy", "HTTP_PROXY"}};
    const char* noProxy = Lookup("no_proxy");
    if (!noProxy || !*noProxy)
        noProxy = Lookup("NO_PROXY");
    if (noProxy && NoProxyMatches(noProxy, host.ToUtf8()))
        return false;
    for (const auto& pair : names) {
        for (const char* name : pair) {
            const char* value = Lookup(name);
            if (!value || !*value)
                continue;
            std::string fault;
            if (!ParseProxyUrl(value, config, fault)) {
                config = ProxyConfig();
                config.fault = CYolString::FromUtf8(std::string("Proxy variable ") + name + ": " + fault);
            }
            return true;
        }
    }
    return false;
}

bool CAlwaysConnected::ParseProxyUrl(const std::string& url, ProxyConfig& config, std::string& fault) {
    std::string rest = url;
    unsigned int kind = 1;
    size_t schemeEnd = rest.find("://");
    if (schemeEnd != std::string::npos) {
        std::string scheme = Lower(rest.substr(0, schemeEnd));
        kind = 0;
        for (const auto& row : proxySchemes)
            if (scheme == row.scheme)
                kind = row.kind;
        if (kind == 0) {
            fault = "scheme \"" + scheme + "\" is not a proxy this program speaks";
            return false;
        }
        rest = rest.substr(schemeEnd + 3);
    }
    rest = rest.substr(0, rest.find('/'));
    std::string user, password;
    size_t at = rest.rfind('@');
    if (at != std::string::npos) {
        std::string credentials = rest.substr(0, at);
        rest = rest.substr(at + 1);
        size_t colon = credentials.find(':');
        user = PercentDecode(credentials.substr(0, colon));
        if (colon != std::string::npos)
            password = PercentDecode(credentials.substr(colon + 1));
    }
    std::string host;
    unsigned int port = 0;
    fault = SplitServer(rest, host, port);
    if (!fault.empty())
        return false;
    if (port == 0)
        port = 1080;
    bool v6 = host.find(':') != std::string::npos;
    config.kind = kind;
    config.server = CYolString::FromUtf8((v6 ? "[" + host + "]" : host) + ":" + std::to_string(port));
    config.userName = CYolString::FromUtf8(user);
    config.password = CYolString::FromUtf8(password);
    return true;
}

bool CAlwaysConnected::NoProxyMatches(const std::string& noProxy, const std::string& rawHost) {
    std::string host = Lower(rawHost);
    size_t start = 0;
    while (start <= noProxy.size()) {
        size_t comma = noProxy.find(',', start);
        std::string entry = noProxy.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        start = comma == std::string::npos ? noProxy.size() + 1 : comma + 1;
        while (!entry.empty() && std::isspace(static_cast<unsigned char>(entry.front())))
            entry.erase(entry.begin());
        while (!entry.empty() && std::isspace(static_cast<unsigned char>(entry.back())))
            entry.pop_back();
        entry = Lower(entry);
        if (entry.empty())
            continue;
        if (entry == "*")
            return true;
        if (entry.front() == '.')
            entry.erase(entry.begin());
        if (host == entry)
            return true;
        if (host.size() > entry.size() && host.compare(host.size() - entry.size(), entry.size(), entry) == 0 &&
            host[host.size() - entry.size() - 1] == '.')
            return true;
    }
    return false;
}

// --- the network step --------------------------------------------------------

int ConnectToNetwork(CConnectionManager& manager, ConnectionSettings& settings, int wakeFd, int roundMs,
                     MConnectReport& report, CNetworkConnection*& connection) {
    connection = nullptr;
    report.ReportProgress(u"Connect to network");
    int ready = manager.WaitReady(10000);
    if (ready != 0)
        return ready;

    // A proxy on this very machine needs no network to be reached: the
    // network is the one towards the destination.
    bool viaProxy = settings.proxyType != ProxyType::None && settings.proxyHost != u"localhost" &&
                    settings.proxyHost != u"127.0.0.1";
    CYolString url = u"http://" + (viaProxy ? settings.proxyHost : settings.host);

    int destination = -1;
    if (!settings.accessPoint.IsEmpty()) {
        CYolString description;
        for (int i = 0; manager.EnumDestination(i, description); ++i) {
            if (description == settings.accessPoint) {
                destination = i;
                break;
            }
        }
    }
    CYolString detail;
    if (destination < 0) {
        int mapped = manager.MapUrl(url, destination);
        if (mapped != 0)
            detail = u": can't find network (0x" + Hex(static_cast<unsigned int>(mapped), "%08X") + u")";
    }
    CNetworkConnection* established = nullptr;
    if (detail.IsEmpty()) {
        int result = manager.Establish(destination, established);
        if (result != 0)
            detail = u": connection request error" + Hex(static_cast<unsigned int>(result), " 0x%X");
    }
    if (detail.IsEmpty() && established)
        detail = WaitConnected(*established, wakeFd, roundMs);
    if (!detail.IsEmpty()) {
        if (established)
            manager.Release(established, false);
        report.ReportError(u"Network error" + detail);
        return -1;
    }
    connection = established;

    if (settings.proxyType != ProxyType::None)
        return 0;
    ProxyConfig config;
    if (!manager.GetProxyConfig(settings.host, config))
        return 0;
    if (!config.fault.IsEmpty()) {
        report.ReportError(config.fault);
        return ProxyUnusable;
    }
    for (const auto& row : proxyTypes) {
        if (row.kind != config.kind)
            continue;
        std::string host;
        unsigned int port = 0;
        std::string fault = SplitServer(config.server.ToUtf8(), host, port);
        if (fault.empty() && port == 0)
            fault = "no port";
        if (!fault.empty()) {
            report.ReportError(u"Proxy server " + config.server + u": " + CYolString::FromUtf8(fault));
            return ProxyUnusable;
        }
        report.ReportProgress(u"Connect to network");
        settings.proxyType = row.type;
        settings.proxyHost = CYolString::FromUtf8(host);
        settings.proxyPort = port;
        settings.proxyAuth = config.userName.IsEmpty() ? 0 : 1;
        settings.proxyLogin = config.userName;
        settings.proxyPassword = config.password;
    }
    return 0;
}

}  // namespace Sockets
