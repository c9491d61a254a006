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

struct XmppResponderSet::ServedRow {
    int feature;  // row of kJabberFeatures, -1: none to announce
    XmppIqResponder* (*responder)(XmppResponderSet& set);  // null: served outside the registry
    int types;
    int fields;
    const char* xmlns;
    const char* element;
};

const XmppResponderSet::ServedRow XmppResponderSet::kServed[] = {
    {FeatureDiscoInfo, [](XmppResponderSet& set) -> XmppIqResponder* { return &set.discoInfo; }, IqType::Get,
     IqField::From | IqField::To | IqField::Id | IqField::Query, JabberNs::DiscoInfo, "query"},
    {FeatureVersion, [](XmppResponderSet& set) -> XmppIqResponder* { return &set.version; }, IqType::Get,
     IqField::From | IqField::Id, JabberNs::Version, "query"},
    {FeaturePing, [](XmppResponderSet& set) -> XmppIqResponder* { return &set.ping; }, IqType::Get,
     IqField::From | IqField::Id, JabberNs::Ping, "ping"},
    {-1, [](XmppResponderSet& set) -> XmppIqResponder* { return &set.rosterPush; }, IqType::Set,
     IqField::From | IqField::Id | IqField::Query, JabberNs::Roster, "query"},
    {FeatureSi, [](XmppResponderSet& set) -> XmppIqResponder* { return &set.si; }, IqType::Set,
     IqField::From | IqField::Id, JabberNs::Si, "si"},
    {FeatureBytestreams, [](XmppResponderSet& set) -> XmppIqResponder* { return &set.streamHost; }, IqType::Set,
     IqField::From | IqField::Id, JabberNs::Bytestreams, "query"},
    // Open, data and close alike.
    {FeatureIbb, [](XmppResponderSet& set) -> XmppIqResponder* { return &set.ibb; }, IqType::Set,
     IqField::From | IqField::Id, JabberNs::Ibb, nullptr},
    // The file profile of stream initiation: offers go to the si responder.
    {FeatureFileTransfer, nullptr, 0, 0, nullptr, nullptr},
    // Receipts are asked for and given in message stanzas.
    {FeatureReceipts, nullptr, 0, 0, nullptr, nullptr},
};

void XmppResponderSet::RegisterIn(CWorkQueue& registry) {
    if (registry.RegisteredCount() > 0)
        return;
    for (const ServedRow& row : kServed)
        if (row.responder)
            registry.Register(*row.responder(*this), row.types, row.fields, row.xmlns, row.element);
}

uint64_t XmppResponderSet::Features() {
    uint64_t features = 0;
    for (const ServedRow& row : kServed)
        if (row.feature >= 0)
            features |= FeatureFlag(row.feature);
    return features;
}

uint64_t OwnFeatures() { return XmppResponderSet::Features(); }
