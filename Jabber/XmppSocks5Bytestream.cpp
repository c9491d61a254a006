// SOCKS5 bytestreams of file transfers: the sender asks its proxy for a
// stream host, offers it and connects through it; the receiver connects to
// the host the sender offered. Both speak SOCKS5 to the host on a socket of
// the session.

#include "XmppFileTransfer.h"

#include "JabberNamespaces.h"

#include <charconv>

namespace {

// A stream host as a peer or proxy describes it; false when it lacks a
// part or its port is no port.
bool ReadStreamHost(const XmlNode& node, StreamHostInfo& out) {
    const CYolString* jid = node.GetAttr("jid");
    const CYolString* host = node.GetAttr("host");
    const CYolString* port = node.GetAttr("port");
    if (node.Name() != "streamhost" || jid == nullptr || host == nullptr || port == nullptr || host->IsEmpty())
        return false;
    const std::string digits = port->ToUtf8();
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || value == 0 || value > 65535)
        return false;
    out = StreamHostInfo{*jid, *host, value};
    return true;
}

XmlNode& AddBytestreamQuery(XmlNode& iq, const CYolString& sid) {
    XmlNode& query = iq.AddQuery(JabberNs::Bytestreams);
    if (!sid.IsEmpty())
        query.SetAttr("sid", sid);
    return query;
}

}  // namespace

// ---- sender ----

void XmppFileTransfer::QueryProxyStreamHost(Session& session) {
    session.proxyJid = ports.BytestreamProxy();
    XmlNode iq = MakeIq("get", -1, session.proxyJid);
    iq.AddQuery(JabberNs::Bytestreams);
    session.iqNumber = sink.SendIq(iq, AnswerTo(&XmppFileTransfer::OnProxyStreamHost));
}

void XmppFileTransfer::OnProxyStreamHost(const XmlNode& iq) {
    Session* session = AnsweredSession(iq);
    if (session == nullptr)
        return;
    const XmlNode* query = iq.FindChildInNs("query", JabberNs::Bytestreams);
    const XmlNode* host = XmlNode::GetChild(query, "streamhost");
    StreamHostInfo info;
    if (host == nullptr || !ReadStreamHost(*host, info)) {
        FailSession(session);
        return;
    }
    session->streamHosts.push_back(info);
    SendStreamHostOffer(*session);
}

void XmppFileTransfer::SendStreamHostOffer(Session& session) {
    const StreamHostInfo& host = session.streamHosts.front();
    XmlNode iq = MakeIq("set", -1, session.peerJid);
    XmlNode& streamHost = AddBytestreamQuery(iq, session.sid).AddChild("streamhost");
    streamHost.SetAttr("jid", host.jid);
    streamHost.SetAttr("host", host.host);
    streamHost.SetAttrNarrow("port", std::to_string(host.port));
    session.iqNumber = sink.SendIq(iq, AnswerTo(&XmppFileTransfer::OnStreamHostOfferResult));
}

void XmppFileTransfer::OnStreamHostOfferResult(const XmlNode& iq) {
    // An error: the peer could not reach the host, and the transfer is over.
    if (Session* session = AnsweredSession(iq))
        ConnectStreamHost(*session);
}

void XmppFileTransfer::SendActivate(Session& session) {
    XmlNode iq = MakeIq("set", -1, session.proxyJid);
    AddBytestreamQuery(iq, session.sid).AddWideTextChild("activate", session.peerJid);
    session.iqNumber = sink.SendIq(iq, AnswerTo(&XmppFileTransfer::OnActivateResult));
}

void XmppFileTransfer::OnActivateResult(const XmlNode& iq) {
    if (Session* session = AnsweredSession(iq)) {
        session->activated = true;
        SendTransferChunk(*session);
    }
}

// ---- receiver ----

void XmppFileTransfer::OnStreamHostOffer(const XmlNode& iq, const IqRequest& request) {
    Lock guard(lock);
    const XmlNode* query = iq.FindChildInNs("query", JabberNs::Bytestreams);
    const CYolString* sid = XmlNode::GetAttr(query, "sid");
    Session* session = sid && request.from ? FindBySid(*sid, request.from) : nullptr;
    if (session == nullptr || session->outgoing || !session->accepted || session->socket != 0) {
        XmlNode reply = MakeIqAnswer("error", request);
        XmlNode& error = reply.AddChild("error");
        error.SetAttrNarrow("type", "cancel");
        error.AddNsChild("item-not-found", CYolString::FromUtf8(JabberNs::Stanzas));
        sink.SendStanza(reply);
        return;
    }
    session->iqId = request.id ? *request.id : CYolString();
    session->method = TransferMethod::Socks5Bytestreams;
    for (int i = 0; i < query->ChildCount(); ++i) {
        StreamHostInfo info;
        if (ReadStreamHost(query->ChildAt(i), info))
            session->streamHosts.push_back(info);
    }
    if (session->streamHosts.empty()) {
        FailSession(session);
        return;
    }
    ConnectStreamHost(*session);
}

void XmppFileTransfer::SendStreamHostUsed(Session& session) {
    XmlNode reply = MakeIqReply("result", session.iqId.IsEmpty() ? nullptr : &session.iqId, &session.peerJid);
    XmlNode& used = reply.AddQuery(JabberNs::Bytestreams).AddChild("streamhost-used");
    used.SetAttr("jid", session.streamHosts.front().jid);
    sink.SendStanza(reply);
}

void XmppFileTransfer::ReceiveBytes(Session& session, const uint8_t* data, size_t size) {
    if (size == 0)
        return;
    const bool first = session.doneSize == 0;
    if (!session.AppendToFile(data, size)) {
        FailSession(&session);
        return;
    }
    Report(session, FTState::Progress, first);
    // A SOCKS5 stream ends with its last byte; an in-band one with its close.
    if (session.method == TransferMethod::Socks5Bytestreams && session.Whole()) {
        session.KeepFile();
        Report(session, FTState::Completed, false);
        DropSession(&session);
    }
}

// ---- the socket, both sides ----

void XmppFileTransfer::ConnectStreamHost(Session& session) {
    if (session.streamHosts.empty())
        return;
    CloseSocket(session);
    session.socksState = Session::SocksIdle;
    session.socksReader = XmppSocks5Reader();
    const StreamHostInfo& host = session.streamHosts.front();
    session.socket = sockets.Connect(host.host, host.port);
    if (session.socket == 0)
        FailSession(&session);
}

void XmppFileTransfer::CloseSocket(Session& session) {
    if (session.socket != 0)
        sockets.Close(session.socket);
    session.socket = 0;
}

void XmppFileTransfer::OnSocketConnected(int socket, int code) {
    Lock guard(lock);
    Session* session = FindBySocket(socket);
    if (session == nullptr || session->socksState != Session::SocksIdle)
        return;
    if (code != 0 || !sockets.Send(socket, XmppSocks5::Greeting())) {
        FailSession(session);
        return;
    }
    session->socksState = Session::GreetingSent;
}

void XmppFileTransfer::OnSocksReply(Session& session, const uint8_t* data, size_t size) {
    while (session.socksState == Session::GreetingSent || session.socksState == Session::ConnectSent) {
        size_t used = 0;
        const XmppSocks5Reader::Result result = session.socksReader.Feed(data, size, used);
        data += used;
        size -= used;
        if (result == XmppSocks5Reader::Result::NeedMore)
            return;
        if (result == XmppSocks5Reader::Result::Refused) {
            FailSession(&session);
            return;
        }
        if (session.socksState == Session::GreetingSent) {
            const CYolString& initiator = session.outgoing ? session.ownJid : session.peerJid;
            const CYolString& target = session.outgoing ? session.peerJid : session.ownJid;
            if (!sockets.Send(session.socket, XmppSocks5::ConnectRequest(session.sid, initiator, target))) {
                FailSession(&session);
                return;
            }
            session.socksState = Session::ConnectSent;
        } else if (session.outgoing) {
            session.socksState = Session::Sending;
            SendActivate(session);
        } else {
            session.socksState = Session::Receiving;
            SendStreamHostUsed(session);
        }
    }
    // What follows the connect reply on a receiving stream is the file.
    if (session.socksState == Session::Receiving)
        ReceiveBytes(session, data, size);
}

void XmppFileTransfer::OnSocketData(int socket, const uint8_t* data, size_t size) {
    Lock guard(lock);
    Session* session = FindBySocket(socket);
    if (session == nullptr)
        return;
    switch (session->socksState) {
    case Session::GreetingSent:
    case Session::ConnectSent: OnSocksReply(*session, data, size); break;
    case Session::Receiving: ReceiveBytes(*session, data, size); break;
    default: break;  // nothing is read while sending
    }
}

void XmppFileTransfer::OnSocketSendResult(int socket, int result) {
    Lock guard(lock);
    Session* session = FindBySocket(socket);
    if (session == nullptr || session->socksState != Session::Sending || !session->activated)
        return;
    if (result != 0)
        FailSession(session);
    else
        SendTransferChunk(*session);
}

void XmppFileTransfer::OnSocketClosed(int socket, int) {
    Lock guard(lock);
    Session* session = FindBySocket(socket);
    if (session == nullptr)
        return;
    // The receiver hangs up once it has every byte, and that may be told
    // before the result of the last send: a stream that had the whole file
    // handed over is done.
    if (session->outgoing && session->socksState == Session::Sending && session->activated && session->Whole()) {
        SendingDone(*session);
        return;
    }
    // Any other stream still in the list did not finish: whatever came is not the file.
    FailSession(session);
}
