#pragma once
// Iq bookkeeping of an XMPP account: the ids it gives its requests, the
// table of answers it waits for and what a registered request handler is
// told about an incoming request.

#include "CYolString.h"
#include "XmlNode.h"

#include <cstdint>
#include <string_view>

class CJabberAccount;

// An answer the account waits for, handed the whole iq.
using IqHandler = void (CJabberAccount::*)(const XmlNode& iq);

// Types of iq requests, as bits of a registration's type mask.
namespace IqType {
enum : int { Get = 4, Set = 8 };
}

// What a registration wants filled in beyond the fields every request gets
// (query, element name, namespace, id).
namespace IqField {
enum : int { Query = 1, ElementName = 2, Namespace = 4, From = 8, Contact = 0x10, To = 0x20, Id = 0x40 };
}

// An incoming get or set, as the registered handlers see it. The pointers
// point into the stanza and live as long as the handler call.
struct IqRequest {
    int type = 0;  // IqType
    const CYolString* from = nullptr;
    const CYolString* xmlns = nullptr;
    CYolString elementName;
    const XmlNode* query = nullptr;
    unsigned int contact = 0;  // contact-list id of the sender, 0 when not in the list
    const CYolString* to = nullptr;
    const CYolString* id = nullptr;
};

// A registered request handler. It has taken the request once it returns;
// answering is its business.
using IqRequestHandler = void (CJabberAccount::*)(const XmlNode& stanza, IqRequest& request);

// One answer the account waits for.
struct PendingIq {
    int id = 0;
    int key = 0;  // non-zero: only the newest request with this key is kept
    IqHandler handler = nullptr;
    CYolString to;     // where the request went; answers from elsewhere are not its answer
    uint32_t time = 0;  // tick count when it was sent
};

// How long an answer is waited for.
inline constexpr uint32_t kPendingIqLifetimeMs = 120000;

// The number inside one of our ids: "yol_" and decimal digits give the
// number (0 when the rest is no number); any other id, or none, gives -1.
int ParseIqId(const CYolString* id);
int ParseIqId(const XmlNode& stanza);
