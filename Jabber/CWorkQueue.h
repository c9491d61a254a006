#pragma once
// CWorkQueue: the request-handler registry of one XMPP account. It is filled
// when the account starts and read by the router for every incoming get or
// set; both happen on the account's queue thread, and so do the handlers.
//
// The account keeps no queue of deferred calls and no thread of its own for
// them: work it wants done later goes through its timers (CAccount's
// StartTimer), whose call-backs the timer service posts to the same queue
// thread, so nothing of the account ever runs anywhere else.

#include "CYolString.h"
#include "JabberIq.h"
#include "XmlNode.h"

#include <vector>

class CJabberAccount;

class CWorkQueue {
public:
    explicit CWorkQueue(CJabberAccount* owner) : owner(owner) {}
    CWorkQueue(const CWorkQueue&) = delete;
    CWorkQueue& operator=(const CWorkQueue&) = delete;

    // Appends a handler for requests of `types` (IqType bits) whose first
    // child has the namespace `xmlns` and the name `element` (null: any).
    void Register(IqRequestHandler handler, int types, int fields, const char* xmlns, const char* element);
    int RegisteredCount() const { return static_cast<int>(registry.size()); }

    // Offers a get or set to the registry: every matching handler is called,
    // in registration order, with one shared request. True when one matched.
    bool Offer(const XmlNode& iq, int type);

private:
    struct Entry {
        IqRequestHandler handler;
        int types;
        int fields;
        CYolString xmlns;  // empty: any
        CYolString element;  // empty: any
        bool anyXmlns;
        bool anyElement;
    };

    CJabberAccount* owner;
    std::vector<Entry> registry;
};
