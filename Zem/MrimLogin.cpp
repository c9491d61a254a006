#include "MrimLogin.h"

#include "CYolSystemInfo.h"
#include "ZemStatuses.h"

#include <string>

namespace {

std::string AnsiText(const CYolString& text) { return To1251Bytes(text); }

std::string OsName() { return AnsiText(CYolString(CYolSystemInfo::OSName())); }

}  // namespace

std::string MrimLogin::UserAgent() {
    return "client=\"Yol Mobile " + OsName() + "\" version=\"2.0\" build=\"" +
           std::to_string(CYolSystemInfo::YolVersion()) + "\"";
}

std::string MrimLogin::ClientDescription() {
    return "Yol Mobile " + OsName() + " (build " + std::to_string(CYolSystemInfo::YolVersion()) + ");";
}

std::string MrimLogin::LoginBody() const {
    CYolString uri;
    const uint32_t wire = StatusToWire(owner.LoginStatus(), uri);
    return MrimBodyWriter()
        .LpsUtf8(owner.LoginName())
        .LpsUtf8(owner.LoginPassword())
        .UL(wire)
        .LpsUtf8(uri)
        .LPS({})
        .LPS({})
        .UL(ZemStatus::kFeatures)
        .LPS(UserAgent())
        .LPS("ru")
        .LPS(ClientDescription())
        .Take();
}

void MrimLogin::OnRedirect(bool valid, const CYolString& host, unsigned int port) {
    if (state != LoginState::Redirect)
        return;
    if (!valid) {
        state = LoginState::Idle;
        owner.RedirectFailed();
        return;
    }
    state = LoginState::Connecting;
    if (!owner.OpenSession(host, port)) {
        state = LoginState::Idle;
        owner.RedirectFailed();
    }
}

void MrimLogin::OnConnected() {
    if (state != LoginState::Connecting)
        return;
    state = LoginState::Greeting;
    sink.SendPacket(MrimPacketType::Hello, {});
}

bool MrimLogin::OnPacket(const MrimPacket& packet) {
    struct Route {
        MrimPacketType type;
        LoginState wanted;
        void (MrimLogin::*handler)(const MrimPacket&);
    };
    static constexpr Route kRoutes[] = {
        {MrimPacketType::HelloAck, LoginState::Greeting, &MrimLogin::OnHelloAck},
        {MrimPacketType::LoginReject, LoginState::Credentials, &MrimLogin::OnLoginReject},
        {MrimPacketType::Logout, LoginState::Established, &MrimLogin::OnLogout},
        {MrimPacketType::ConnectionParams, LoginState::Established, &MrimLogin::OnConnectionParams},
    };
    if (packet.header.type == Wire(MrimPacketType::LoginAck)) {
        if (state == LoginState::Credentials)
            OnLoginAck();
        return true;
    }
    for (const Route& route : kRoutes) {
        if (packet.header.type != Wire(route.type))
            continue;
        if (state == route.wanted)
            (this->*route.handler)(packet);
        return true;
    }
    return false;
}

void MrimLogin::OnHelloAck(const MrimPacket& packet) {
    MrimBodyReader body(packet.body);
    uint32_t period = 0;
    if (body.UL(period)) {
        pingPeriod = period;
        if (period != 0)
            owner.StartKeepAlive(period);
    }
    state = LoginState::Credentials;
    sink.SendPacket(MrimPacketType::Login, LoginBody());
}

void MrimLogin::OnLoginAck() {
    state = LoginState::Established;
    owner.LoginAccepted();
}

void MrimLogin::OnLoginReject(const MrimPacket& packet) {
    MrimBodyReader body(packet.body);
    CYolString reason = body.LpsUtf8();
    state = LoginState::Idle;
    owner.LoginRefused(body.Failed() ? CYolString() : reason);
}

void MrimLogin::OnLogout(const MrimPacket& packet) {
    MrimBodyReader body(packet.body);
    uint32_t reason = 0;
    const bool elsewhere = body.UL(reason) && (reason & 0x10) != 0;
    state = LoginState::Idle;
    owner.LoggedOut(elsewhere);
}

void MrimLogin::OnConnectionParams(const MrimPacket& packet) {
    MrimBodyReader body(packet.body);
    uint32_t period = 0;
    if (!body.UL(period) || period == 0)
        return;
    pingPeriod = period;
    owner.StartKeepAlive(period);
}
