// The proxy the environment names (all_proxy, https_proxy, http_proxy and
// no_proxy, each in either spelling), as the connect thread takes it into a
// connection's settings. The input is the destination host and the four
// values, separated by NUL bytes (an empty value is an unset variable); the
// first byte picks the spelling of each name.
//
// Beyond memory safety: a proxy the configuration accepts always reaches the
// settings whole (a known kind, a host, a port from 1 to 65535, a login
// exactly when the address named one), and the network step never fails on
// an always-connected machine.

#include "FuzzSupport.h"
#include "CSocketsManager.h"
#include "ConnectionManager.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace Sockets;

namespace {


class Report final : public MConnectReport {
public:
    void ReportProgress(const CYolString&) override {}
    void ReportError(const CYolString&) override { failed = true; }
    bool failed = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    std::vector<std::string> fields(1);
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == 0)
            fields.emplace_back();
        else
            fields.back() += static_cast<char>(data[i]);
    }
    fields.resize(5);
    const std::string& host = fields[0];
    static const char* const names[][2] = {
        {"all_proxy", "ALL_PROXY"}, {"https_proxy", "HTTPS_PROXY"}, {"http_proxy", "HTTP_PROXY"}, {"no_proxy", "NO_PROXY"}};
    std::vector<std::pair<std::string, std::string>> environment;
    for (int i = 0; i < 4; ++i)
        if (!fields[i + 1].empty())
            environment.emplace_back(names[i][(data[0] >> i) & 1], fields[i + 1]);
    CAlwaysConnected manager([&environment](const char* name) -> const char* {
        for (const auto& [key, value] : environment)
            if (key == name)
                return value.c_str();
        return nullptr;
    });

    ProxyConfig config;
    const bool configured = manager.GetProxyConfig(CYolString::FromUtf8(host), config);
    if (configured)
        Fuzz::Check(config.kind == 1 || config.kind == 4 || config.kind == 8);

    ConnectionSettings settings;
    settings.host = CYolString::FromUtf8(host);
    settings.port = 5222;
    Report report;
    CNetworkConnection* connection = nullptr;
    Fuzz::Check(ConnectToNetwork(manager, settings, -1, 10, report, connection) == 0);
    Fuzz::Check(!report.failed && connection != nullptr);
    manager.Release(connection, false);

    Fuzz::Check(configured == (settings.proxyType != ProxyType::None));
    if (configured) {
        Fuzz::Check(!settings.proxyHost.IsEmpty());
        Fuzz::Check(settings.proxyPort >= 1 && settings.proxyPort <= 0xFFFF);
        Fuzz::Check((settings.proxyAuth != 0) == !config.userName.IsEmpty());
        Fuzz::Check(settings.proxyLogin == config.userName && settings.proxyPassword == config.password);
    }
    return 0;
}
