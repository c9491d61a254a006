#pragma once
// XmppSearch: the user search. A search by JID asks that JID for its vCard
// (XmppVCard turns the reply into the one result); the other searches send
// a form to the user directory and hand each user found to the program as a
// temporary contact. Every search ends with the end marker, also when it
// failed. It owns the criteria the search pages fill in; it writes through
// its stanza sink and runs on the account's queue thread.

#include "ProtocolRecords.h"
#include "XmppContactListPorts.h"
#include "XmppStanzaSink.h"
#include "XmppVCard.h"

#include <cstdint>
#include <functional>
#include <vector>

// The criteria of the search pages; reset whenever the pages are made.
struct SearchParams {
    uint32_t reserved = 0;
    CYolString jid;
    CYolString email;
    CYolString nickname;
    CYolString firstName;
    CYolString lastName;
    CYolString country;
    uint32_t reservedEnd = 0;
};

// The search pages, by index.
enum SearchPage : int { SearchByJid = 0, SearchByEmail = 1, SearchGlobal = 2 };

// A directory field's meaning: its code, -1 for a name we do not know.
int SearchFieldCode(const CYolString& name);
// The users a directory reply lists (x:data items, or the plain form's
// items); users without a JID are left out.
std::vector<Protocols::UserInfo> ReadSearchResults(const XmlNode& iq);

class XmppSearch {
public:
    // The JID of the user directory the form searches go to.
    using DirectoryJid = std::function<CYolString()>;
    // The waiting-request key: a new search replaces an outstanding one.
    static constexpr int kSearchKey = 6;

    XmppSearch(XmppStanzaSink& sink, XmppDetailsList& list, XmppDetailsEvents& events, XmppVCard& vcard,
               DirectoryJid directory);

    SearchParams& Params() { return params; }
    void ResetParams() { params = SearchParams(); }
    void Start(int page);
    void OnReply(const XmlNode& iq);

private:
    XmppStanzaSink& sink;
    XmppDetailsList& list;
    XmppDetailsEvents& events;
    XmppVCard& vcard;
    DirectoryJid directory;
    SearchParams params;
};
