#pragma once
// The account's answers to requests a server or contact sends it: one small
// class per kind of request, held and registered in the account's responder
// registry (CWorkQueue) by XmppResponderSet. They run on the account's queue
// thread and write only to their stanza sink.

#include "CWorkQueue.h"
#include "JabberIq.h"
#include "XmppStanzaSink.h"
#include "XmppTransferResponders.h"

#include <cstdint>
#include <functional>

// jabber:iq:version: the client's name, version and system.
class XmppVersionResponder final : public XmppIqResponder {
public:
    explicit XmppVersionResponder(XmppStanzaSink& sink) : sink(sink) {}
    void OnRequest(const XmlNode& stanza, IqRequest& request) override;

private:
    XmppStanzaSink& sink;
};

// urn:xmpp:ping: an empty result.
class XmppPingResponder final : public XmppIqResponder {
public:
    explicit XmppPingResponder(XmppStanzaSink& sink) : sink(sink) {}
    void OnRequest(const XmlNode& stanza, IqRequest& request) override;

private:
    XmppStanzaSink& sink;
};

// disco#info: our own features, for our node or one of its caps nodes;
// item-not-found for any other node.
class XmppDiscoInfoResponder final : public XmppIqResponder {
public:
    explicit XmppDiscoInfoResponder(XmppStanzaSink& sink) : sink(sink) {}
    void OnRequest(const XmlNode& stanza, IqRequest& request) override;

private:
    XmppStanzaSink& sink;
};

// The responders of one account and the table of what it serves: each row
// with a responder registers it for the requests it names, and each row with
// a feature puts that feature into disco#info and caps. A feature is
// announced there or nowhere, so it is never announced without what answers
// it.
class XmppResponderSet {
public:
    // `rosterPush` answers roster pushes; it belongs to the roster and
    // outlives the set, as `transfers` does.
    XmppResponderSet(XmppStanzaSink& sink, XmppIqResponder& rosterPush, XmppFileTransfer& transfers)
        : version(sink), ping(sink), discoInfo(sink), rosterPush(rosterPush), si(transfers), streamHost(transfers),
          ibb(transfers) {}
    XmppResponderSet(const XmppResponderSet&) = delete;
    XmppResponderSet& operator=(const XmppResponderSet&) = delete;

    // Fills an empty registry; one already filled is left as it is.
    void RegisterIn(CWorkQueue& registry);
    // The features the table announces (FeatureFlag bits).
    static uint64_t Features();

private:
    struct ServedRow;
    static const ServedRow kServed[];

    XmppVersionResponder version;
    XmppPingResponder ping;
    XmppDiscoInfoResponder discoInfo;
    XmppIqResponder& rosterPush;
    XmppSiResponder si;
    XmppStreamHostResponder streamHost;
    XmppIbbResponder ibb;
};
