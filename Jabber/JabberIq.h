#pragma once
// Iq bookkeeping of an XMPP account: the ids it gives its requests, the
// table of answers it waits for, and what a registered responder is told
// about an incoming request.

#include "CYolString.h"
#include "XmlNode.h"

#include <cstdint>
#include <functional>
#include <vector>

// An answer to a request we sent, handed the whole iq (result or error).
using IqAnswer = std::function<void(const XmlNode& iq)>;

// Types of iq requests, as bits of a registration's type mask.
namespace IqType {
enum : int { Get = 4, Set = 8 };
}

// What a registration wants filled in beyond the fields every request gets
// (query, element name, namespace, id).
namespace IqField {
enum : int { Query = 1, ElementName = 2, Namespace = 4, From = 8, Contact = 0x10, To = 0x20, Id = 0x40 };
}

// An incoming get or set, as the registered responders see it. The
// pointers point into the stanza and live as long as the responder call.
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

// Answers one kind of incoming request. It has taken the request once
// OnRequest returns; answering is its business.
class XmppIqResponder {
public:
    virtual ~XmppIqResponder() = default;
    virtual void OnRequest(const XmlNode& stanza, IqRequest& request) = 0;
};

// How long an answer is waited for.
inline constexpr uint32_t kPendingIqLifetimeMs = 120000;

// The answers one session waits for, keyed by the number of our "yol_N"
// ids, with the counter that gives the numbers out. An answer is taken
// only from the address its request went to (the own server for requests
// without "to"), and only within the lifetime. Runs on the account's
// queue thread, like everything of the account.
class XmppPendingIqs {
public:
    // Whether `from` speaks for the own account or its server: the
    // account's bare JID as set up, its server, and the bound full JID.
    using OwnAddressCheck = std::function<bool(const CYolString& from)>;
    explicit XmppPendingIqs(OwnAddressCheck isOwnAddress) : isOwnAddress(std::move(isOwnAddress)) {}

    // The next request number (the N of "yol_N").
    int NextNumber();
    // Waits for the answer to request `id` sent to `to` (empty: the own
    // server). A non-zero key replaces the waiting request with that key.
    void Add(int id, int key, IqAnswer answer, const CYolString& to = CYolString());
    // The answer waiting for `id`, taken out of the table, when `from` may
    // answer it; empty otherwise. Drops entries past their lifetime.
    IqAnswer Take(int id, const CYolString* from);
    void Clear();
    int Count() const { return static_cast<int>(pending.size()); }

private:
    struct Entry {
        int id = 0;
        int key = 0;  // non-zero: only the newest request with this key is kept
        IqAnswer answer;
        CYolString to;      // where the request went; answers from elsewhere are not its answer
        uint32_t time = 0;  // tick count when it was sent
    };
    bool IsAddressedAnswer(const CYolString& to, const CYolString* from) const;

    OwnAddressCheck isOwnAddress;
    int counter = 0;
    std::vector<Entry> pending;
};

// The number inside one of our ids: "yol_" and decimal digits give the
// number (0 when the rest is no number); any other id, or none, gives -1.
int ParseIqId(const CYolString* id);
int ParseIqId(const XmlNode& stanza);
