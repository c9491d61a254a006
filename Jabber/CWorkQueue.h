#pragma once
// CWorkQueue: the request-responder registry of one XMPP account. It is
// filled when the account starts and read by the router for every incoming
// get or set; both happen on the account's queue thread, and so do the
// responders.
//
// The account keeps no queue of deferred calls and no thread of its own for
// them: work it wants done later goes through its timers (CAccount's
// StartTimer), whose call-backs the timer service posts to the same queue
// thread, so nothing of the account ever runs anywhere else.

#include "CYolString.h"
#include "JabberIq.h"
#include "XmlNode.h"

#include <functional>
#include <vector>

class CWorkQueue {
public:
    // The contact-list id of a bare JID, 0 when it is not listed.
    using ContactLookup = std::function<unsigned int(const CYolString& bareJid)>;
    explicit CWorkQueue(ContactLookup contactOf) : contactOf(std::move(contactOf)) {}
    CWorkQueue(const CWorkQueue&) = delete;
    CWorkQueue& operator=(const CWorkQueue&) = delete;

    // Appends a responder for requests of `types` (IqType bits) whose first
    // child has the namespace `xmlns` and the name `element` (null: any).
    // The responder outlives the registry.
    void Register(XmppIqResponder& responder, int types, int fields, const char* xmlns, const char* element);
    int RegisteredCount() const { return static_cast<int>(registry.size()); }

    // Offers a get or set to the registry: every matching responder is
    // called, in registration order, with one shared request. True when one
    // matched.
    bool Offer(const XmlNode& iq, int type);

private:
    struct Entry {
        XmppIqResponder* responder;
        int types;
        int fields;
        CYolString xmlns;    // empty: any
        CYolString element;  // empty: any
        bool anyXmlns;
        bool anyElement;
    };

    ContactLookup contactOf;
    std::vector<Entry> registry;
};
