#include "RuvLogin.h"

#include "RuvPackets.h"
#include "RuvStatuses.h"

namespace {

constexpr int kStringServerPause = 104;
constexpr int kStringUnknownError = 113;

// The rate-limit codes: the server asks to come back later.
bool Retries(uint16_t code) { return code == 0x18 || code == 0x1D; }

std::string Tlv16Payload(uint16_t type, uint16_t value) { return OscarWriter().Tlv16(type, value).Take(); }

}  // namespace

void RuvLogin::Stop() {
    state = LoginState::Idle;
    reply.ClearSession();
}

void RuvLogin::SendSnac(uint16_t family, uint16_t subtype, uint32_t requestId, std::string payload) {
    sink.Send(CPlainSnacPacket(sink.NextSequence(), family, subtype, requestId, std::move(payload)));
}

void RuvLogin::OnFrame(std::string_view frame) {
    auto* bytes = reinterpret_cast<Bytes>(frame.data());
    CFlapPacket header;
    if (header.Unpack(bytes, frame.size()) == 0)
        return;
    switch (header.channel) {
    case 1:
        OnHello(bytes, frame.size());
        break;
    case 2:
        OnSnac(bytes, frame.size());
        break;
    case 4:
        OnClose(bytes, frame.size());
        break;
    default:
        break;  // keep-alive and error frames carry nothing for us
    }
}

void RuvLogin::OnHello(Bytes frame, size_t size) {
    if (!IsServerHello(frame, size) || (state != LoginState::LoginHello && state != LoginState::SessionHello))
        return;
    sink.RestartSequence();
    if (state == LoginState::LoginHello) {
        sink.Send(CLoginHelloPacket(sink.NextSequence()));
        sink.Send(CKeyRequestPacket(sink.NextSequence(), 0, owner.LoginSettings().login));
        state = LoginState::Key;
    } else {
        sink.Send(CFlapCookiePacket(sink.NextSequence(), reply.cookie));
        reply.ClearSession();
        state = LoginState::Families;
    }
}

void RuvLogin::OnSnac(Bytes frame, size_t size) {
    CSnacPacket header;
    if (header.Unpack(frame, size) == 0)
        return;
    using Handler = void (RuvLogin::*)(Bytes, size_t);
    // Which frame each state takes; the own information and the pause come
    // at any time of a session.
    static constexpr struct {
        uint16_t family;
        uint16_t subtype;
        RuvLogin::LoginState first;
        RuvLogin::LoginState last;
        Handler handler;
    } kRoutes[] = {
        {0x17, 0x07, LoginState::Key, LoginState::Key, &RuvLogin::OnKey},
        {0x17, 0x03, LoginState::Reply, LoginState::Reply, &RuvLogin::OnLoginReply},
        {0x01, 0x03, LoginState::Families, LoginState::Families, &RuvLogin::OnFamilies},
        {0x01, 0x18, LoginState::Versions, LoginState::Versions, &RuvLogin::OnVersions},
        {0x01, 0x07, LoginState::Rates, LoginState::Rates, &RuvLogin::OnRates},
        {0x13, 0x06, LoginState::List, LoginState::List, &RuvLogin::OnListPart},
        {0x13, 0x0F, LoginState::List, LoginState::List, &RuvLogin::OnListPart},
        {0x01, 0x0F, LoginState::List, LoginState::Established, &RuvLogin::OnOwnInfo},
        {0x01, 0x0B, LoginState::Families, LoginState::Established, &RuvLogin::OnPause},
    };
    for (const auto& route : kRoutes) {
        if (route.family == header.family && route.subtype == header.subtype && state >= route.first &&
            state <= route.last) {
            (this->*route.handler)(frame, size);
            return;
        }
    }
}

void RuvLogin::OnKey(Bytes frame, size_t size) {
    CSnacAuthKeyReply key;
    if (key.Unpack(frame, size) == 0)
        return;
    const CRuvSettings& settings = owner.LoginSettings();
    sink.Send(CMd5LoginPacket(sink.NextSequence(), 0, settings.login, key.key, settings.passwordDigest));
    state = LoginState::Reply;
}

void RuvLogin::OnLoginReply(Bytes frame, size_t size) {
    if (reply.Unpack(frame, size) == 0)
        return;
    if (reply.errorCode != 0) {
        const uint16_t code = reply.errorCode;
        Stop();
        owner.EndConnection(LoginErrorStringId(code), Retries(code));
        return;
    }
    if (!reply.HasSession()) {
        // Accepted, but with nowhere to go: a failure, not a silent stall.
        Stop();
        owner.EndConnection(kStringUnknownError, false);
        return;
    }
    state = LoginState::SessionHello;
    if (!owner.OpenSession(reply.host, reply.port)) {
        Stop();
        owner.EndConnection(0, true);
    }
}

void RuvLogin::OnFamilies(Bytes frame, size_t size) {
    CSnacServerFamilies families;
    if (families.Unpack(frame, size) == 0)
        return;
    sink.Send(CFamilyVersionsPacket(sink.NextSequence(), 0x17, RuvFamilyVersions()));
    state = LoginState::Versions;
}

void RuvLogin::OnVersions(Bytes frame, size_t size) {
    CSnacServiceVersions versions;
    if (versions.Unpack(frame, size) == 0)
        return;
    sink.Send(CRateRequestPacket(sink.NextSequence(), 6));
    state = LoginState::Rates;
}

void RuvLogin::OnRates(Bytes frame, size_t size) {
    CSnacRateInfo rates;
    if (rates.Unpack(frame, size) == 0)
        return;
    std::vector<uint16_t> groups;
    for (const TRateClass& rate : rates.classes)
        groups.push_back(rate.groupId);
    sink.Send(CRateAckPacket(sink.NextSequence(), std::move(groups)));
    // The requests that open each service once the rates are known, in
    // order; two carry one TLV (type 0: none).
    static constexpr struct {
        uint16_t family;
        uint16_t subtype;
        uint32_t requestId;
        uint16_t tlvType;
        uint16_t tlvValue;
    } kServiceRequests[] = {
        {0x01, 0x0E, 0x0E, 0, 0},       // own information
        {0x13, 0x02, 2, 0x000B, 0x000F},  // list rights
        {0x13, 0x04, 0x10004, 0, 0},    // the list itself
        {0x02, 0x02, 2, 0, 0},          // location rights
        {0x03, 0x02, 2, 0x0005, 0x0003},  // buddy rights
        {0x04, 0x04, 4, 0, 0},          // messaging parameters
        {0x09, 0x02, 2, 0, 0},          // privacy rights
    };
    for (const auto& request : kServiceRequests)
        SendSnac(request.family, request.subtype, request.requestId,
                 request.tlvType != 0 ? Tlv16Payload(request.tlvType, request.tlvValue) : std::string());
    state = LoginState::List;
}

void RuvLogin::OnListPart(Bytes frame, size_t size) {
    CSnacPacket header;
    if (header.Unpack(frame, size) == 0)
        return;
    // A list in several parts marks every part but the last with flag bit 0.
    if (header.subtype == 0x06 && (header.flags & 0x0001) != 0)
        return;
    Activate();
}

void RuvLogin::Activate() {
    state = LoginState::Established;
    ownStatus.SendCapabilities();
    sink.Send(CIcbmParamsPacket(sink.NextSequence(), 2, {0, 0x070B, 8000, 999, 999, 0}));
    ownStatus.SetOnlineStatus(ownStatus.Wanted(), true);
    sink.Send(CClientReadyPacket(sink.NextSequence(), 2));
    owner.SessionActivated();
    SendSnac(0x13, 0x07, 7);
    SendSnac(0x01, 0x11, sink.RandomRequestId(), OscarWriter().U32(0).Take());
    SendSnac(0x04, 0x10, sink.RandomRequestId());
}

void RuvLogin::OnOwnInfo(Bytes frame, size_t size) {
    CSnacOwnInfo info;
    if (info.Unpack(frame, size) == 0)
        return;
    if (std::optional<uint16_t> word = info.StatusWord())
        owner.OwnStatusReported(RuvStatus::FromWord(*word));
}

void RuvLogin::OnPause(Bytes, size_t) {
    Stop();
    owner.EndConnection(kStringServerPause, true);
}

void RuvLogin::OnClose(Bytes frame, size_t size) {
    CRuvClosePacket close;
    if (close.Unpack(frame, size) == 0)
        return;
    if (close.ErrorCode() != 0) {
        const uint16_t code = close.ErrorCode();
        Stop();
        owner.EndConnection(close.ErrorStringId(), Retries(code));
    } else if (close.ReasonCode() != 0) {
        Stop();
        owner.EndConnection(close.ReasonStringId(), false);
    }
    // Neither: the login server's regular goodbye after its reply.
}
