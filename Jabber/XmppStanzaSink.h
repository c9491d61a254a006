#pragma once
// XmppStanzaSink: where the account's feature classes (login, roster,
// presence, messages, mail, capabilities, responders) write. The account
// puts it on its session; tests put a recording double in its place and
// drive a feature with stanzas alone, without sockets or threads.

#include "JabberIq.h"
#include "XmlNode.h"

#include <string_view>

class XmppStanzaSink {
public:
    virtual ~XmppStanzaSink() = default;
    // Serialises the element and writes it to the session; false when
    // nothing went (no session, or the write failed).
    virtual bool SendStanza(const XmlNode& element) = 0;
    // Gives the iq a fresh "yol_N" id, waits for its answer with `answer`
    // (unless empty; a non-zero key keeps only the newest request with that
    // key) and sends it: the request number N.
    virtual int SendIq(XmlNode& iq, IqAnswer answer, int key = 0) = 0;
    // The next number for a "yol_N" id of a stanza that is no iq (a message
    // whose receipt names it); iqs and messages share the counter.
    virtual int NextStanzaNumber() = 0;
};
