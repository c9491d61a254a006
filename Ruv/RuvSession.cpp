#include "RuvSession.h"

#include "RuvPackets.h"
#include "RuvPlugin.h"

RuvSession::RuvSession(RuvPacketSink& sink, RuvListModel& model, Ports ports)
    : list(model),
      privacy(sink, list, {ports.status, ports.changeStatus, ports.showPrivacyMode}),
      edits(sink, list, model,
            {ports.showText,
             [this](const CYolString& sender, unsigned int kind, int image, const CYolString& text) {
                 messages.Deliver(sender, kind, image, text);
             }}),
      presence(list, model),
      messages(sink, list, model,
               {ports.status, ports.typingNotices,
                [this](const CRuvListItem* item) { return privacy.IsVisibleTo(item); },
                 [](int id) { return RuvPlugin::UiString(id); }, ports.ownXStatus}),
      commands(sink, list, model, ports.showText), ports(std::move(ports)), sink(sink) {}

void RuvSession::OnFrame(std::string_view frame) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(frame.data());
    CSnacPacket header;
    if (header.Unpack(bytes, frame.size()) == 0 || header.channel != 2)
        return;
    using Handler = void (*)(RuvSession&, const uint8_t*, size_t);
    static constexpr struct {
        uint16_t family;
        uint16_t subtype;
        Handler handler;
    } kRoutes[] = {
        {0x02, 0x03, [](RuvSession& s, const uint8_t*, size_t) { s.OnLocationRights(); }},
        {0x02, 0x06, [](RuvSession& s, const uint8_t* f, size_t n) { s.commands.OnUserInfo(f, n); }},
        {0x03, 0x0B, [](RuvSession& s, const uint8_t* f, size_t n) { s.presence.OnArrived(f, n); }},
        {0x03, 0x0C, [](RuvSession& s, const uint8_t* f, size_t n) { s.presence.OnDeparted(f, n); }},
        {0x04, 0x07, [](RuvSession& s, const uint8_t* f, size_t n) { s.messages.OnMessage(f, n); }},
        {0x04, 0x0B, [](RuvSession& s, const uint8_t* f, size_t n) { s.messages.OnClientResponse(f, n); }},
        {0x04, 0x14, [](RuvSession& s, const uint8_t* f, size_t n) { s.messages.OnTyping(f, n); }},
        {0x15, 0x01, [](RuvSession& s, const uint8_t* f, size_t n) { s.OnMeta(0x01, f, n); }},
        {0x15, 0x03, [](RuvSession& s, const uint8_t* f, size_t n) { s.OnMeta(0x03, f, n); }},
        {0x13, 0x06, [](RuvSession& s, const uint8_t* f, size_t n) { s.OnListPart(f, n); }},
        {0x13, 0x0F, [](RuvSession& s, const uint8_t* f, size_t n) { s.OnListUnchanged(f, n); }},
        {0x13, 0x0E, [](RuvSession& s, const uint8_t* f, size_t n) { s.edits.OnAck(f, n); }},
        {0x13, 0x19, [](RuvSession& s, const uint8_t* f, size_t n) { s.edits.OnAuthRequest(f, n); }},
        {0x13, 0x1B, [](RuvSession& s, const uint8_t* f, size_t n) { s.edits.OnAuthReply(f, n); }},
    };
    for (const auto& route : kRoutes) {
        if (route.family == header.family && route.subtype == header.subtype) {
            route.handler(*this, bytes, frame.size());
            return;
        }
    }
}

void RuvSession::OnListPart(const uint8_t* frame, size_t size) {
    CSnacRoster part;
    if (part.Unpack(frame, size) != 0 && list.TakePart(part))
        ListComplete();
}

void RuvSession::OnListUnchanged(const uint8_t*, size_t) {
    // The copy the account kept is the server's list.
    list.Sync();
    ListComplete();
}

void RuvSession::ListComplete() {
    // The first list of a connection activates the session, which sends
    // the mode itself; a later one only brings the server up to date.
    if (ports.established())
        privacy.SetMode(privacy.Mode(), true);
}

void RuvSession::OnLocationRights() { sink.Send(CSetCapsPacket::FullList(sink.NextSequence(), 4)); }

void RuvSession::Activated() {
    if (privacy.Mode() == RuvPrivacyMode::Unknown)
        privacy.TakeStoredMode();
    privacy.SetMode(privacy.Mode() == RuvPrivacyMode::Unknown ? RuvPrivacyMode::AllButInvisibleList : privacy.Mode(),
                    true);
}
