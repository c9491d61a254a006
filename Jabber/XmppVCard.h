#pragma once
// XmppVCard: the details of contacts and of the user (vCards). It asks a JID
// for its vCard, stores the reply's values on the contact's list item and,
// for the user's own vCard, among the own account values, tells the program
// that details are ready, turns a search by JID into one search result, and
// publishes the user's own vCard. It owns the table of vCard requests it
// waits for and the own vCard the server last gave it. It writes through its
// stanza sink and runs on the account's queue thread.

#include "JabberContacts.h"
#include "ProtocolRecords.h"
#include "XmppContactListPorts.h"
#include "XmppStanzaSink.h"
#include "XmppVCardFields.h"

#include <functional>
#include <map>
#include <optional>
#include <string>

// The own detail values, kept as account values.
class XmppOwnDetailStore : public XmppDetailReader {
public:
    // False when there is no store to read or write.
    virtual bool Available() = 0;
    virtual void WriteText(const char16_t* key, const CYolString& value) = 0;
    virtual void WriteNumber(const char16_t* key, DetailType type, unsigned int value) = 0;
};

// What the details and the search tell the program.
class XmppDetailsEvents {
public:
    virtual ~XmppDetailsEvents() = default;
    virtual void ContactDetailsReady(unsigned int item) = 0;
    virtual void OwnDetailsReady() = 0;
    // One found user; null ends the search.
    virtual void SearchResult(const Protocols::UserInfo* user) = 0;
};

class XmppVCard {
public:
    // The account's own login (its bare JID as set up).
    using OwnLogin = std::function<CYolString()>;
    // Targets of a request besides a contact's item id.
    static constexpr int kOwnTarget = 0;
    static constexpr int kSearchTarget = -1;
    // The waiting-request key of the own vCard request; a newer one replaces it.
    static constexpr int kOwnRequestKey = 4;
    static constexpr int kPublishKey = 5;

    XmppVCard(XmppStanzaSink& sink, CJabberContactMap& contacts, XmppDetailsList& list, XmppOwnDetailStore& own,
              XmppDetailsEvents& events, OwnLogin ownLogin);

    // Asks `jid` for its vCard; the request number.
    int Request(const CYolString& jid, int target);
    // The program asks about a contact: its vCard is fetched once per item,
    // and only when the list shows birthdays.
    void RequestOnce(unsigned int contact);
    void OnReply(const XmlNode& iq);
    // Stores the own values on the server when they differ from the vCard it
    // holds; the fields the values do not describe stay as they were.
    void Publish();
    // The session ended: no answer can come any more.
    void EndSession();

    size_t PendingCount() const { return pending.size(); }

private:
    struct Target;
    bool IsOwnReply(const CYolString& from);
    Target FindTarget(int number, const CYolString& from);
    void Clear(const Target& target);
    void Store(const Target& target, const std::vector<DetailValue>& values);
    void ReportSearchResult(unsigned int item, const std::vector<DetailValue>& values);
    void RememberOwnCard(const XmlNode* vCard);

    XmppStanzaSink& sink;
    CJabberContactMap& contacts;
    XmppDetailsList& list;
    XmppOwnDetailStore& own;
    XmppDetailsEvents& events;
    OwnLogin ownLogin;

    // Request number to its target: an item id, kOwnTarget or kSearchTarget.
    std::map<int, int> pending;
    // The own vCard as the server holds it, once it answered this session:
    // the element (for the fields we keep) and its text as we would publish
    // it (to see whether the user changed anything).
    std::optional<XmlNode> ownCard;
    std::string ownCardText;
};
