// Stream initiation: offers in both directions, the user's answer, the
// peer's answer, the session list and the reports.

#include "XmppFileTransfer.h"

#include "CYolCriticalSection.h"
#include "CYolRand.h"
#include "JabberNamespaces.h"
#include "YolAsciiText.h"

#include <charconv>
#include <cstdio>
#include <limits>

namespace {

bool TypeIs(const XmlNode& iq, std::string_view type) {
    const CYolString* value = iq.GetAttr("type");
    return value != nullptr && YolAsciiEqualsNoCase(value->ToUtf8(), type);
}

// A decimal size as offered; false for anything but plain digits in range.
bool ParseSize(const CYolString* text, int64_t& out) {
    if (text == nullptr || text->IsEmpty())
        return false;
    const std::string digits = text->ToUtf8();
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), out);
    return error == std::errc() && end == digits.data() + digits.size() && out >= 0 &&
           out <= static_cast<int64_t>(std::numeric_limits<uint32_t>::max());
}

// The stream-method field of an offer or an answer.
const XmlNode* StreamMethodField(const XmlNode* si) {
    const XmlNode* feature = si ? si->FindChildInNs("feature", JabberNs::FeatureNeg) : nullptr;
    const XmlNode* x = feature ? feature->FindChildInNs("x", JabberNs::XData) : nullptr;
    return XmlNode::FindChildWithAttr(x, "field", "var", CYolString(u"stream-method"));
}

// Which offered method we take: SOCKS5 whenever it is offered.
TransferMethod ChooseMethod(const XmlNode& field) {
    static constexpr std::pair<const char*, TransferMethod> kPreference[] = {
        {JabberNs::Bytestreams, TransferMethod::Socks5Bytestreams},
        {JabberNs::Ibb, TransferMethod::InBandBytestreams},
    };
    for (const auto& [xmlns, method] : kPreference)
        for (int i = 0; i < field.ChildCount(); ++i) {
            const XmlNode& option = field.ChildAt(i);
            const XmlNode* value = option.GetChild("value");
            if (option.Name() == "option" && value != nullptr && value->Text().ToUtf8() == xmlns)
                return method;
        }
    return TransferMethod::None;
}

const char* MethodNamespace(TransferMethod method) {
    return method == TransferMethod::Socks5Bytestreams ? JabberNs::Bytestreams : JabberNs::Ibb;
}

CYolString RandomSid() {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08u", static_cast<unsigned int>(CYolRand::Secure32() % 100000000u));
    return CYolString::FromUtf8(digits);
}

}  // namespace

XmppFileTransfer::XmppFileTransfer(XmppStanzaSink& sink, CJabberContactMap& contacts, XmppListItems& list,
                                   XmppTransferPorts& ports, XmppBytestreamSockets& sockets)
    : sink(sink), contacts(contacts), list(list), ports(ports), sockets(sockets) {}

XmppFileTransfer::~XmppFileTransfer() {
    Lock guard(lock);
    for (auto& session : sessions)
        if (session->socket != 0)
            sockets.Close(session->socket);
}

IqAnswer XmppFileTransfer::AnswerTo(void (XmppFileTransfer::*handler)(const XmlNode&)) {
    return [this, handler](const XmlNode& iq) {
        Lock guard(lock);
        (this->*handler)(iq);
    };
}

XmppFileTransfer::Session* XmppFileTransfer::AnsweredSession(const XmlNode& iq) {
    Session* session = FindByIqNumber(ParseIqId(iq));
    if (session != nullptr && !TypeIs(iq, "result")) {
        FailSession(session);
        return nullptr;
    }
    return session;
}

// ---- session list ----

XmppFileTransfer::Session* XmppFileTransfer::FindByIqNumber(int number) {
    for (auto& session : sessions)
        if (number > 0 && session->iqNumber == number)
            return session.get();
    return nullptr;
}

XmppFileTransfer::Session* XmppFileTransfer::FindBySid(const CYolString& sid, const CYolString* from) {
    for (auto& session : sessions)
        if (session->sid == sid && (from == nullptr || SameJid(*from, session->peerJid)))
            return session.get();
    return nullptr;
}

XmppFileTransfer::Session* XmppFileTransfer::FindByFile(unsigned int contact, const CYolString& fileName) {
    for (auto& session : sessions)
        if (session->contact == contact && session->fileName == fileName)
            return session.get();
    return nullptr;
}

XmppFileTransfer::Session* XmppFileTransfer::FindBySocket(int socket) {
    for (auto& session : sessions)
        if (socket != 0 && session->socket == socket)
            return session.get();
    return nullptr;
}

bool XmppFileTransfer::OwnsSocket(int socket) {
    Lock guard(lock);
    return FindBySocket(socket) != nullptr;
}

size_t XmppFileTransfer::SessionCount() {
    Lock guard(lock);
    return sessions.size();
}

void XmppFileTransfer::DropSession(Session* session) {
    for (auto it = sessions.begin(); it != sessions.end(); ++it)
        if (it->get() == session) {
            CloseSocket(*session);
            sessions.erase(it);
            return;
        }
}

void XmppFileTransfer::FailSession(Session* session) {
    // The partial file goes before anyone hears that the transfer ended.
    session->DiscardFile();
    Report(*session, FTState::Failed, false);
    if (session->ibbOpen)
        SendIbbClose(*session);
    DropSession(session);
}

void XmppFileTransfer::Report(const Session& session, FTState state, bool activate) {
    Protocols::FTProgress progress;
    progress.contactId = session.contact;
    progress.fileName = session.fileName;
    progress.state = static_cast<unsigned int>(state);
    progress.activate = activate ? 1 : 0;
    progress.outgoing = session.outgoing ? 1 : 0;
    progress.totalSize = static_cast<unsigned int>(session.totalSize);
    progress.doneSize = static_cast<unsigned int>(session.doneSize);
    ports.ReportProgress(progress);
}

void XmppFileTransfer::ReportWithoutSizes(const Session& session, FTState state) {
    Protocols::FTProgress progress;
    progress.contactId = session.contact;
    progress.fileName = session.fileName;
    progress.state = static_cast<unsigned int>(state);
    progress.outgoing = session.outgoing ? 1 : 0;
    ports.ReportProgress(progress);
}

void XmppFileTransfer::EndSession() {
    Lock guard(lock);
    while (!sessions.empty()) {
        Session* session = sessions.front().get();
        // Nothing can be sent any more: the stream is gone.
        session->ibbOpen = false;
        session->DiscardFile();
        Report(*session, FTState::Failed, false);
        DropSession(session);
    }
}

// ---- offers we receive ----

void XmppFileTransfer::AnswerSiError(const IqRequest& request, const char* condition, const char* conditionNs) {
    XmlNode reply = MakeIqAnswer("error", request);
    XmlNode& error = reply.AddChild("error");
    error.SetAttrNarrow("code", "400");
    error.SetAttrNarrow("type", "cancel");
    error.AddNsChild("bad-request", CYolString::FromUtf8(JabberNs::Stanzas));
    if (conditionNs != nullptr)
        error.AddNsChild(condition, CYolString::FromUtf8(conditionNs));
    else
        error.AddChild(condition);
    sink.SendStanza(reply);
}

void XmppFileTransfer::OnSiRequest(const XmlNode& iq, const IqRequest& request) {
    Lock guard(lock);
    const XmlNode* si = iq.FindChildInNs("si", JabberNs::Si);
    const CYolString* profile = si ? si->GetAttr("profile") : nullptr;
    if (profile == nullptr || profile->ToUtf8() != JabberNs::SiFileTransfer) {
        AnswerSiError(request, "bad-profile", nullptr);
        return;
    }
    HandleSiOffer(iq, request);
}

void XmppFileTransfer::HandleSiOffer(const XmlNode& iq, const IqRequest& request) {
    const XmlNode* si = iq.FindChildInNs("si", JabberNs::Si);
    if (request.from == nullptr || request.from->IsEmpty() || si == nullptr || !TypeIs(iq, "set"))
        return;
    const XmlNode* file = si->FindChildInNs("file", JabberNs::SiFileTransfer);
    const CYolString* sid = si->GetAttr("id");
    const CYolString* name = XmlNode::GetAttr(file, "name");
    const XmlNode* field = StreamMethodField(si);
    int64_t size = 0;
    const CYolString baseName = name ? TransferBaseName(*name) : CYolString();
    if (sid == nullptr || sid->IsEmpty() || baseName.IsEmpty() || !ParseSize(XmlNode::GetAttr(file, "size"), size) ||
        field == nullptr) {
        AnswerSiError(request, "bad-profile", JabberNs::Si);
        return;
    }
    const TransferMethod method = ChooseMethod(*field);
    if (method == TransferMethod::None) {
        AnswerSiError(request, "no-valid-streams", JabberNs::Si);
        return;
    }
    unsigned int contact = 0;
    {
        CYolCriticalSection::Guard contactsGuard(contacts.Lock());
        const ContactRecord* entry = contacts.FindContact(ContactKindRoster, BareJidCopy(*request.from));
        contact = entry ? entry->contactId : 0;
    }
    if (contact == 0 || FindBySid(*sid, request.from) != nullptr)
        return;
    auto session = std::make_unique<Session>();
    session->peerJid = *request.from;
    session->ownJid = ports.BoundJid();
    session->contact = contact;
    session->sid = *sid;
    session->iqId = request.id ? *request.id : CYolString();
    session->method = method;
    session->fileName = baseName;
    session->totalSize = size;
    sessions.push_back(std::move(session));
    Report(*sessions.back(), FTState::Offered, false);
}

// ---- the user's commands ----

void XmppFileTransfer::AcceptFile(unsigned int contact, const CYolString& fileName, const CYolString& targetPath) {
    Lock guard(lock);
    Session* session = FindByFile(contact, fileName);
    if (session == nullptr || session->outgoing || session->accepted)
        return;
    // Another file of that name stays: the new one gets a name of its own.
    const CYolString target = FreeTargetPath(targetPath);
    if (target.IsEmpty()) {
        FailSession(session);
        return;
    }
    session->fileName = target;
    session->accepted = true;
    SendSiAccept(*session);
}

void XmppFileTransfer::SendSiAccept(Session& session) {
    XmlNode reply = MakeIqReply("result", session.iqId.IsEmpty() ? nullptr : &session.iqId, &session.peerJid);
    XmlNode& si = reply.AddNsChild("si", CYolString::FromUtf8(JabberNs::Si));
    XmlNode& x = si.AddNsChild("feature", CYolString::FromUtf8(JabberNs::FeatureNeg))
                     .AddNsChild("x", CYolString::FromUtf8(JabberNs::XData));
    x.SetAttrNarrow("type", "submit");
    XmlNode& field = x.AddChild("field");
    field.SetAttrNarrow("var", "stream-method");
    field.AddTextChild("value", MethodNamespace(session.method));
    sink.SendStanza(reply);
}

void XmppFileTransfer::RefuseFile(unsigned int contact, const CYolString& fileName) {
    Lock guard(lock);
    Session* session = FindByFile(contact, fileName);
    if (session == nullptr)
        return;
    if (!session->outgoing && !session->accepted) {
        XmlNode reply = MakeIqReply("error", session->iqId.IsEmpty() ? nullptr : &session->iqId, &session->peerJid);
        XmlNode& error = reply.AddChild("error");
        error.SetAttrNarrow("code", "403");
        error.SetAttrNarrow("type", "cancel");
        error.AddNsChild("forbidden", CYolString::FromUtf8(JabberNs::Stanzas));
        error.AddNsChild("text", CYolString::FromUtf8(JabberNs::Stanzas)).SetText(CYolString(u"File transfer refused"));
        sink.SendStanza(reply);
    }
    // The user stopped it: no report, but the peer learns that the stream ends.
    if (session->ibbOpen)
        SendIbbClose(*session);
    session->DiscardFile();
    DropSession(session);
}

void XmppFileTransfer::SendFile(unsigned int contact, const CYolString& path) {
    Lock guard(lock);
    CYolString bareJid;
    if (!list.ItemLogin(contact, bareJid) || bareJid.IsEmpty())
        return;
    CYolString peerJid;
    {
        CYolCriticalSection::Guard contactsGuard(contacts.Lock());
        if (contacts.FindContact(ContactKindRoster, bareJid) == nullptr)
            return;
        // Without a known resource the offer goes to the bare JID, never to "jid/".
        peerJid = contacts.FullJidForSend(bareJid);
    }
    int64_t size = TransferFileSize(path);
    if (size <= 0 || size > static_cast<int64_t>(std::numeric_limits<uint32_t>::max()))
        return;
    auto owned = std::make_unique<Session>();
    Session& session = *owned;
    session.contact = contact;
    session.outgoing = true;
    session.fileName = path;
    session.totalSize = size;
    session.method = TransferMethod::InBandBytestreams;
    session.sid = RandomSid();
    session.peerJid = peerJid;
    session.ownJid = ports.BoundJid();
    sessions.push_back(std::move(owned));

    XmlNode iq = MakeIq("set", -1, peerJid);
    XmlNode& si = iq.AddNsChild("si", CYolString::FromUtf8(JabberNs::Si));
    si.SetAttr("id", session.sid);
    si.SetAttrNarrow("mime-type", "binary/octet-stream");
    si.SetAttrNarrow("profile", JabberNs::SiFileTransfer);
    XmlNode& file = si.AddNsChild("file", CYolString::FromUtf8(JabberNs::SiFileTransfer));
    file.SetAttr("name", TransferBaseName(path));
    file.SetAttrNarrow("size", std::to_string(size));
    file.AddChild("desc");
    XmlNode& x = si.AddNsChild("feature", CYolString::FromUtf8(JabberNs::FeatureNeg))
                     .AddNsChild("x", CYolString::FromUtf8(JabberNs::XData));
    x.SetAttrNarrow("type", "form");
    XmlNode& field = x.AddChild("field");
    field.SetAttrNarrow("var", "stream-method");
    field.SetAttrNarrow("type", "list-single");
    field.AddChild("option").AddTextChild("value", JabberNs::Ibb);
    if (!ports.BytestreamProxy().IsEmpty())
        field.AddChild("option").AddTextChild("value", JabberNs::Bytestreams);
    session.iqNumber = sink.SendIq(iq, AnswerTo(&XmppFileTransfer::OnSiAnswer));
}

// ---- the peer's answer to our offer ----

void XmppFileTransfer::OnSiAnswer(const XmlNode& iq) {
    Session* session = FindByIqNumber(ParseIqId(iq));
    if (session == nullptr || !session->outgoing)
        return;
    if (TypeIs(iq, "result")) {
        const XmlNode* value = XmlNode::GetChild(StreamMethodField(iq.FindChildInNs("si", JabberNs::Si)), "value");
        const std::string chosen = value ? value->Text().ToUtf8() : std::string();
        if (YolAsciiEqualsNoCase(chosen, JabberNs::Ibb)) {
            SendIbbOpen(*session);
        } else if (YolAsciiEqualsNoCase(chosen, JabberNs::Bytestreams) && !ports.BytestreamProxy().IsEmpty()) {
            session->method = TransferMethod::Socks5Bytestreams;
            QueryProxyStreamHost(*session);
        } else {
            FailSession(session);
        }
        return;
    }
    if (TypeIs(iq, "error")) {
        const XmlNode* error = iq.GetChild("error");
        const CYolString* type = XmlNode::GetAttr(error, "type");
        const bool refused = type != nullptr && type->ToUtf8() == "cancel";
        ReportWithoutSizes(*session, refused ? FTState::Cancelled : FTState::Failed);
        DropSession(session);
    }
}

// ---- the sending pump ----

void XmppFileTransfer::SendTransferChunk(Session& session) {
    if (session.Whole()) {
        SendingDone(session);
        return;
    }
    const bool first = session.doneSize == 0;
    std::string chunk;
    if (!session.TakeChunk(kChunkSize, chunk)) {
        FailSession(&session);
        return;
    }
    if (session.method == TransferMethod::InBandBytestreams) {
        SendIbbData(session, chunk);
    } else if (!sockets.Send(session.socket, chunk)) {
        FailSession(&session);
        return;
    }
    Report(session, FTState::Progress, first);
}

void XmppFileTransfer::SendingDone(Session& session) {
    Report(session, FTState::Completed, false);
    if (session.ibbOpen)
        SendIbbClose(session);
    DropSession(&session);
}
