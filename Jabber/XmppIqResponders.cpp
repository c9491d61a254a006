#include "XmppIqResponders.h"

#include "JabberCaps.h"
#include "JabberNamespaces.h"

void XmppVersionResponder::OnRequest(const XmlNode&, IqRequest& request) {
    if (!request.from)
        return;
    XmlNode reply = MakeIqReply("result", request.id, request.from);
    XmlNode& query = reply.AddQuery(JabberNs::Version);
    query.AddTextChild("name", std::string(kClientNamePrefix) + kOsName);
    query.AddWideTextChild("version", CYolString(kProgramVersion, false, 4));
    query.AddTextChild("os", kOsName);
    sink.SendStanza(reply);
}

void XmppPingResponder::OnRequest(const XmlNode&, IqRequest& request) {
    sink.SendStanza(MakeIqReply("result", request.id, request.from));
}

void XmppDiscoInfoResponder::OnRequest(const XmlNode&, IqRequest& request) {
    const CYolString* node = request.query ? request.query->GetAttr("node") : nullptr;
    uint64_t features = 0;
    if (request.query && OwnCapsFeaturesForNode(node, features)) {
        sink.SendStanza(
            BuildDiscoInfoResult(request.id, request.from, node && !node->IsEmpty() ? node : nullptr, features));
        return;
    }
    XmlNode reply = MakeIqReply("error", request.id, request.from);
    XmlNode& error = reply.AddChild("error");
    error.SetAttrNarrow("code", "404");
    error.SetAttrNarrow("type", "cancel");
    error.AddNsChild("item-not-found", CYolString::FromUtf8(JabberNs::Stanzas));
    sink.SendStanza(reply);
}
