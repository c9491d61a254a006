#include "CYolHttpExchange.h"

#include "CSocketsManager.h"
#include "YolGuids.h"

namespace UI {

CYolHttpExchange::CYolHttpExchange(Services::CServicesManager* services, unsigned int requester)
    : services(services), requester(requester) {}

CYolHttpExchange::~CYolHttpExchange() { Shutdown(); }

Sockets::CSocketsManager* CYolHttpExchange::Sockets() const {
    return services != nullptr ? static_cast<Sockets::CSocketsManager*>(services->GetService(SocketsManagerGuid))
                               : nullptr;
}

std::string CYolHttpExchange::DescribeRoute(const Sockets::ConnectionSettings& settings) {
    std::string out = settings.host.ToUtf8() + ":" + std::to_string(settings.port);
    static const char* const kProxyNames[] = {"", "HTTP proxy", "SOCKS4 proxy", "SOCKS5 proxy"};
    if (settings.proxyType == Sockets::ProxyType::None || settings.proxyType > Sockets::ProxyType::Socks5)
        return out;
    out.append(" through ").append(kProxyNames[settings.proxyType]).append(" ");
    if (settings.proxyAuth != 0 && !settings.proxyLogin.IsEmpty())
        out.append(settings.proxyLogin.ToUtf8()).append(":******@");
    return out.append(settings.proxyHost.ToUtf8()).append(":").append(std::to_string(settings.proxyPort));
}

bool CYolHttpExchange::Connect(const std::string& host, unsigned int port) {
    Sockets::CSocketsManager* sockets = Sockets();
    route = host + ":" + std::to_string(port);
    if (sockets == nullptr) {
        SetOutcome(TUpdateOutcome::ConnectFailed, "no network service to reach " + route);
        return false;
    }
    clientKey = services->RegisterEventsClient(this, CYolString());
    socket = clientKey != 0 ? sockets->CreateSocket(clientKey) : nullptr;
    Sockets::ConnectionSettings settings;
    sockets->GetSettings(settings);
    settings.host = CYolString::FromUtf8(host);
    settings.port = port;
    settings.secure = 0;
    route = DescribeRoute(settings);
    if (socket == nullptr || sockets->Connect(socket, settings) != 0) {
        SetOutcome(TUpdateOutcome::ConnectFailed, "could not connect to " + route);
        ended = true;
        return false;
    }
    return true;
}

void CYolHttpExchange::Shutdown() {
    if (clientKey != 0 && services != nullptr)
        services->UnregisterEventsClient(clientKey);
    clientKey = 0;
    if (socket != nullptr) {
        if (Sockets::CSocketsManager* sockets = Sockets()) {
            sockets->Close(socket);
            sockets->DestroySocket(socket);
        }
        socket = nullptr;
    }
}

int CYolHttpExchange::OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* arg,
                              Services::CEventArg* extra) {
    auto* from = dynamic_cast<Services::CEventArg_Data<Sockets::CYolSocket*>*>(arg);
    if (channel != SocketsManagerGuid || from == nullptr || from->Get() != socket || ended)
        return 0;
    auto* code = dynamic_cast<Services::CEventArg_Data<int>*>(extra);
    switch (event) {
    case Sockets::SocketEvent::ConnectResult:
        OnConnected(code != nullptr ? code->Get() : -1);
        break;
    case Sockets::SocketEvent::DataAvailable:
        OnData();
        break;
    case Sockets::SocketEvent::Closed:
        OnData();
        End(connectedOnce);
        break;
    default:
        break;
    }
    return 0;
}

void CYolHttpExchange::OnConnected(int code) {
    Sockets::CSocketsManager* sockets = Sockets();
    if (code != 0 || sockets == nullptr) {
        SetOutcome(TUpdateOutcome::ConnectFailed, "could not connect to " + route);
        End(false);
        return;
    }
    connectedOnce = true;
    const std::string request = BuildRequest();
    if (sockets->Send(socket, request.data(), static_cast<int>(request.size()), 0) < 0) {
        SetOutcome(TUpdateOutcome::ConnectFailed, "could not send the request to " + route);
        End(false);
    }
}

void CYolHttpExchange::OnData() {
    Sockets::CSocketsManager* sockets = Sockets();
    char chunk[16 * 1024];
    int n;
    while (!ended && sockets != nullptr && (n = sockets->Receive(socket, chunk, sizeof chunk, 0)) > 0) {
        const std::string_view data(chunk, size_t(n));
        if (headDone) {
            OnBody(data);
            continue;
        }
        head.append(data);
        TakeHead();
    }
}

void CYolHttpExchange::TakeHead() {
    const UpdateWire::ReplyHead parsed = UpdateWire::ParseReplyHead(head);
    if (!parsed.complete) {
        if (head.size() > UpdateWire::kHeadCap)
            Abort(TUpdateOutcome::BrokenReply, "the reply of " + route + " has no end of its head");
        return;
    }
    if (parsed.bodyOffset > UpdateWire::kHeadCap) {
        Abort(TUpdateOutcome::BrokenReply, "the reply head of " + route + " is too long");
        return;
    }
    if (!parsed.valid) {
        Abort(TUpdateOutcome::BrokenReply, "the reply of " + route + " is not a valid HTTP reply");
        return;
    }
    headDone = true;
    std::string body = head.substr(parsed.bodyOffset);
    head.clear();
    head.shrink_to_fit();
    OnHead(parsed, body);
}

void CYolHttpExchange::Abort(TUpdateOutcome why, const std::string& text) {
    if (ended)
        return;
    SetOutcome(why, text);
    if (Sockets::CSocketsManager* sockets = Sockets())
        sockets->Close(socket);
    End(connectedOnce);
}

void CYolHttpExchange::End(bool connected) {
    if (ended)
        return;
    ended = true;
    OnEnd(connected);
}

void CYolHttpExchange::SetOutcome(TUpdateOutcome why, const std::string& text) {
    {
        std::lock_guard<std::mutex> hold(reportLock);
        report = text;
    }
    outcome.store(why);
}

CYolString CYolHttpExchange::Report() const {
    std::lock_guard<std::mutex> hold(reportLock);
    return CYolString::FromUtf8(report);
}

void CYolHttpExchange::SendToRequester(int event, Services::CEventArg* arg) {
    // The manager owns the argument from here on, delivered or not.
    if (services != nullptr)
        services->SendEvent(requester, PreferencesGuid, event, arg, nullptr, false);
    else if (arg != nullptr)
        arg->AddRef(0);
}

}  // namespace UI
