// In-band bytestreams of file transfers: the file in Base64 chunks inside
// the XMPP stream, paced by the account connection's send results.

#include "XmppFileTransfer.h"

#include "JabberNamespaces.h"

#include <charconv>
#include <cstdlib>
#include <memory>

namespace {

XmlNode IbbElement(std::string_view name, const CYolString& sid) {
    XmlNode element(name);
    element.SetAttrNarrow("xmlns", JabberNs::Ibb);
    element.SetAttr("sid", sid);
    return element;
}

void AnswerRequest(XmppStanzaSink& sink, const IqRequest& request, const char* condition) {
    XmlNode reply = MakeIqAnswer(condition ? "error" : "result", request);
    if (condition) {
        XmlNode& error = reply.AddChild("error");
        error.SetAttrNarrow("type", "cancel");
        error.AddNsChild(condition, CYolString::FromUtf8(JabberNs::Stanzas));
    }
    sink.SendStanza(reply);
}

struct FreeDeleter {
    void operator()(char* bytes) const { std::free(bytes); }
};

}  // namespace

// ---- sender ----

void XmppFileTransfer::SendIbbOpen(Session& session) {
    XmlNode iq = MakeIq("set", -1, session.peerJid);
    XmlNode& open = iq.AdoptChild(IbbElement("open", session.sid));
    open.SetAttrNarrow("block-size", std::to_string(kChunkSize));
    // Our data goes in messages, paced by our own connection.
    open.SetAttrNarrow("stanza", "message");
    session.iqNumber = sink.SendIq(iq, AnswerTo(&XmppFileTransfer::OnIbbOpenResult));
}

void XmppFileTransfer::OnIbbOpenResult(const XmlNode& iq) {
    // Only now may data go: the pump serves open streams alone.
    if (Session* session = AnsweredSession(iq)) {
        session->ibbOpen = true;
        SendTransferChunk(*session);
    }
}

void XmppFileTransfer::SendIbbData(Session& session, const std::string& bytes) {
    int length = static_cast<int>(bytes.size());
    std::unique_ptr<char, FreeDeleter> text(CYolString::Base64Encode(bytes.data(), length));
    XmlNode message("message");
    message.SetAttr("to", session.peerJid);
    message.SetId(sink.NextStanzaNumber());
    XmlNode& data = message.AdoptChild(IbbElement("data", session.sid));
    data.SetAttrNarrow("seq", std::to_string(session.nextSeq));
    data.SetText(CYolString::FromUtf8(std::string_view(text.get(), static_cast<size_t>(length))));
    // The sequence runs modulo 65536, as both ends count it.
    ++session.nextSeq;
    XmlNode& amp = message.AddNsChild("amp", CYolString::FromUtf8(JabberNs::Amp));
    static constexpr const char* kRules[][2] = {{"deliver-at", "stored"}, {"match-resource", "exact"}};
    for (const auto& [condition, value] : kRules) {
        XmlNode& rule = amp.AddChild("rule");
        rule.SetAttrNarrow("condition", condition);
        rule.SetAttrNarrow("value", value);
        rule.SetAttrNarrow("action", "error");
    }
    sink.SendStanza(message);
}

void XmppFileTransfer::SendIbbClose(Session& session) {
    session.ibbOpen = false;
    XmlNode iq = MakeIq("set", -1, session.peerJid);
    iq.AdoptChild(IbbElement("close", session.sid));
    sink.SendIq(iq, IqAnswer());
}

void XmppFileTransfer::OnSendResult(int result) {
    Lock guard(lock);
    if (result != 0)
        return;
    // One chunk per send result, for the oldest outgoing in-band stream.
    for (auto& session : sessions)
        if (session->outgoing && session->ibbOpen && session->method == TransferMethod::InBandBytestreams) {
            SendTransferChunk(*session);
            return;
        }
}

// ---- receiver ----

void XmppFileTransfer::OnIbbRequest(const XmlNode& iq, const IqRequest& request) {
    Lock guard(lock);
    const XmlNode* element = iq.GetFirstChild();
    const CYolString* sid = XmlNode::GetAttr(element, "sid");
    Session* session = sid && request.from ? FindBySid(*sid, request.from) : nullptr;
    if (session != nullptr && (session->outgoing || !session->accepted))
        session = nullptr;
    if (session == nullptr || element == nullptr) {
        AnswerRequest(sink, request, "item-not-found");
        return;
    }
    const std::string& name = element->Name();
    if (name == "open") {
        session->method = TransferMethod::InBandBytestreams;
        session->ibbOpen = true;
        session->nextSeq = 0;
        AnswerRequest(sink, request, nullptr);
    } else if (name == "close") {
        session->ibbOpen = false;
        const bool whole = session->Whole();
        AnswerRequest(sink, request, whole ? nullptr : "item-not-found");
        if (!whole) {
            FailSession(session);
            return;
        }
        session->KeepFile();
        Report(*session, FTState::Completed, false);
        DropSession(session);
    } else if (name == "data") {
        AnswerRequest(sink, request, HandleIbbData(*element, request.from) ? nullptr : "not-acceptable");
    } else {
        AnswerRequest(sink, request, "bad-request");
    }
}

bool XmppFileTransfer::OnIbbMessage(const XmlNode& message) {
    const XmlNode* data = message.FindChildInNs("data", JabberNs::Ibb);
    if (data == nullptr)
        return false;
    const CYolString* type = message.GetAttr("type");
    if ((type != nullptr && type->ToUtf8() == "error") || message.GetChild("error") != nullptr)
        return true;
    Lock guard(lock);
    HandleIbbData(*data, message.GetAttr("from"));
    return true;
}

bool XmppFileTransfer::HandleIbbData(const XmlNode& data, const CYolString* from) {
    const CYolString* sid = data.GetAttr("sid");
    const CYolString* seq = data.GetAttr("seq");
    Session* session = sid && from ? FindBySid(*sid, from) : nullptr;
    if (session == nullptr || session->outgoing || !session->ibbOpen || seq == nullptr)
        return false;
    const std::string digits = seq->ToUtf8();
    unsigned int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    int length = 0;
    std::unique_ptr<char, FreeDeleter> bytes(
        data.Text().IsEmpty() ? nullptr : CYolString::Base64Decode(data.Text().c_str(), length));
    if (error != std::errc() || end != digits.data() + digits.size() || number != session->nextSeq ||
        bytes == nullptr) {
        FailSession(session);
        return false;
    }
    ++session->nextSeq;
    ReceiveBytes(*session, reinterpret_cast<const uint8_t*>(bytes.get()), static_cast<size_t>(length));
    return true;
}
