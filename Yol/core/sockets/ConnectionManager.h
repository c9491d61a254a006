#pragma once
// The network connection every connect attempt asks for first. The handheld
// had to bring a data link up (and learnt its proxy from it); here the
// machine is always connected, and the proxy comes from the environment
// (all_proxy, https_proxy, http_proxy). The connect thread still walks the
// whole sequence, so a connection manager that reports other statuses (tests)
// produces the same texts and codes on the same paths.

#include "CYolString.h"

#include <functional>
#include <mutex>

namespace Sockets {

struct ConnectionSettings;

// Connection statuses.
namespace ConnMgrStatus {
enum : unsigned int {
    Unknown = 0x00,
    Connected = 0x10,
    Suspended = 0x11,
    Disconnected = 0x20,
    ConnectionFailed = 0x21,
    ConnectionCanceled = 0x22,
    ConnectionDisabled = 0x23,
    NoPathToDestination = 0x24,
    WaitingForPath = 0x25,
    WaitingForPhone = 0x26,
    PhoneOff = 0x27,
    ExclusiveConflict = 0x28,
    NoResources = 0x29,
    ConnectionLinkFailed = 0x2A,
    AuthenticationFailed = 0x2B,
    NoPathWithProperty = 0x2C,
    WaitingConnection = 0x40,
};
}

// The text of a failure status; empty for every other status.
CYolString ConnMgrStatusText(unsigned int status);

// A proxy the platform's configuration names. kind: 1 HTTP, 4 SOCKS4,
// 8 SOCKS5; server "host:port" (an IPv6 host in brackets). A proxy that is
// set but cannot be used comes with `fault` saying where it was set and what
// is wrong; connecting around it would go past a proxy the user asked for.
struct ProxyConfig {
    unsigned int kind = 0;
    CYolString server;
    CYolString userName;
    CYolString password;
    CYolString fault;
};

// One established network connection.
class CNetworkConnection {
public:
    virtual ~CNetworkConnection() = default;
    // Readable whenever the status may have changed; -1 when it never does.
    virtual int ChangeFd() const = 0;
    // 0 and the status, or the failing query's result.
    virtual int QueryStatus(unsigned int& status) = 0;
};

class CConnectionManager {
public:
    virtual ~CConnectionManager() = default;
    // 0 when ready within the time, else the wait's result.
    virtual int WaitReady(int timeoutMs) = 0;
    // The description of destination network `index`; false past the last.
    virtual bool EnumDestination(int index, CYolString& description) = 0;
    // The destination network for an address: 0 and its index, or an error.
    virtual int MapUrl(const CYolString& url, int& destination) = 0;
    // Asks for a connection to the destination: 0 and the connection, or an
    // error.
    virtual int Establish(int destination, CNetworkConnection*& connection) = 0;
    // Gives the connection back; `cache` keeps the link up for reuse.
    virtual void Release(CNetworkConnection* connection, bool cache) = 0;
    // The configured proxy for connections to `host`; false when none.
    // True with `fault` set when one is configured but unusable.
    virtual bool GetProxyConfig(const CYolString& host, ProxyConfig& config) = 0;
};

// Looks an environment variable up: getenv by default; tests give their own.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// The always-connected stand-in: one destination, "The Internet", whose
// connection is up from the start and never drops.
class CAlwaysConnected final : public CConnectionManager {
public:
    explicit CAlwaysConnected(EnvironmentLookup environment = nullptr);

    int WaitReady(int timeoutMs) override;
    bool EnumDestination(int index, CYolString& description) override;
    int MapUrl(const CYolString& url, int& destination) override;
    int Establish(int destination, CNetworkConnection*& connection) override;
    void Release(CNetworkConnection* connection, bool cache) override;
    // all_proxy, then https_proxy, then http_proxy (each also in capitals):
    // "[scheme://][user[:password]@]host[:port][/]" with scheme http, socks4,
    // socks4a, socks5 or socks5h (none: http; port: 1080 when missing).
    // no_proxy ("*", or host names and domain suffixes separated by commas)
    // keeps the proxy off for the hosts it names. A variable that does not
    // parse gives its name and fault ("Proxy variable all_proxy: ...").
    bool GetProxyConfig(const CYolString& host, ProxyConfig& config) override;

    // Parses one proxy address as above; false with `fault` set when it is
    // not one.
    static bool ParseProxyUrl(const std::string& url, ProxyConfig& config, std::string& fault);
    static bool NoProxyMatches(const std::string& noProxy, const std::string& host);

private:
    const char* Lookup(const char* name) const;

    EnvironmentLookup environment;
};

// Progress and error texts of a connect attempt.
class MConnectReport {
public:
    virtual void ReportProgress(const CYolString& text) = 0;
    virtual void ReportError(const CYolString& text) = 0;

protected:
    ~MConnectReport() = default;
};

// Result of the network step when the configured proxy cannot be used.
inline constexpr int ProxyUnusable = -2;

// The network step of a connect attempt: waits for the network connection
// the settings need (rounds of `roundMs`, ended early by `wakeFd`) and, when
// the settings name no proxy, takes the configured one into them. 0, or -1
// after reporting "Network error" and its detail; 0 with no event when the
// manager never became ready; ProxyUnusable after reporting what is wrong
// with the configured proxy, and then no connection may be made.
// `connection` receives the connection to release when done.
int ConnectToNetwork(CConnectionManager& manager, ConnectionSettings& settings, int wakeFd, int roundMs,
                     MConnectReport& report, CNetworkConnection*& connection);

}  // namespace Sockets
