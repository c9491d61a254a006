// vCard requests, their replies and the own vCard.

#include "XmppVCard.h"

#include "JabberNamespaces.h"
#include "XmppStanzas.h"

namespace {

// Requests whose answer never comes stay in the table until it holds this
// many; then the oldest goes.
constexpr size_t kMaxPendingRequests = 256;

// The last value the reply gave `key`, empty when none.
CYolString LastText(const std::vector<DetailValue>& values, const char16_t* key) {
    CYolString text;
    for (const DetailValue& value : values)
        if (CYolString(value.key) == key)
            text = value.text;
    return text;
}

bool IsItemNotFound(const XmlNode& iq) {
    return XmlNode::GetChild(iq.GetChild("error"), "item-not-found") != nullptr;
}

}  // namespace

struct XmppVCard::Target {
    unsigned int item = 0;
    bool own = false;
    bool search = false;
};

XmppVCard::XmppVCard(XmppStanzaSink& sink, CJabberContactMap& contacts, XmppDetailsList& list, XmppOwnDetailStore& own,
                     XmppDetailsEvents& events, OwnLogin ownLogin)
    : sink(sink), contacts(contacts), list(list), own(own), events(events), ownLogin(std::move(ownLogin)) {}

int XmppVCard::Request(const CYolString& jid, int target) {
    XmlNode iq = MakeIq("get", -1, jid);
    XmlNode& card = iq.AddChild("vCard");
    card.SetAttrNarrow("xmlns", JabberNs::VCard);
    card.SetAttrNarrow("prodid", "-//HandGen//NONSGML vGen v1.0//EN");
    card.SetAttrNarrow("version", "2.0");
    const CYolString login = ownLogin();
    const int key = !login.IsEmpty() && SameJid(jid, login) ? kOwnRequestKey : 0;
    const int number = sink.SendIq(iq, [this](const XmlNode& reply) { OnReply(reply); }, key);
    if (pending.size() >= kMaxPendingRequests)
        pending.erase(pending.begin());
    pending[number] = target;
    return number;
}

void XmppVCard::RequestOnce(unsigned int contact) {
    unsigned int requested = 0;
    CYolString jid;
    if (!list.ShowsBirthdays() || !list.ItemLogin(contact, jid))
        return;
    if (list.GetDetailNumber(contact, DetailKey::DetailsRequested, DetailType::Byte, requested) && requested != 0)
        return;
    Request(jid, static_cast<int>(contact));
}

bool XmppVCard::IsOwnReply(const CYolString& from) {
    const CYolString login = ownLogin();
    const int length = login.Length();
    if (length == 0 || from.Length() < length || CYolString::Comparei(from.c_str(), login.c_str(), length) != 0)
        return false;
    return from.Length() == length || from.At(length) == u'/';
}

XmppVCard::Target XmppVCard::FindTarget(int number, const CYolString& from) {
    Target target;
    target.own = IsOwnReply(from);
    const ContactRecord* entry = contacts.FindContact(ContactKindRoster, from);
    const unsigned int listed = entry != nullptr ? entry->contactId : 0;
    if (auto found = pending.find(number); found != pending.end()) {
        const int value = found->second;
        pending.erase(found);
        target.search = value == kSearchTarget;
        if (target.search)
            target.item = listed != 0 ? listed : list.TempContact(BareJidCopy(from));
        else if (value != kOwnTarget)
            target.item = static_cast<unsigned int>(value);
    }
    if (target.item == 0)
        target.item = listed;
    return target;
}

void XmppVCard::Clear(const Target& target) {
    for (const DetailKeyRow& row : DetailKeyRows()) {
        if (!row.cleared)
            continue;
        if (target.own && own.Available()) {
            if (row.type == DetailType::Text)
                own.WriteText(row.key, CYolString());
            else
                own.WriteNumber(row.key, row.type, 0);
        }
    }
    if (target.item == 0)
        return;
    list.SetDetailNumber(target.item, DetailKey::DetailsRequested, DetailType::Byte, 0);
    for (const DetailKeyRow& row : DetailKeyRows()) {
        if (!row.cleared)
            continue;
        if (row.type == DetailType::Text)
            list.SetDetailText(target.item, row.key, CYolString());
        else
            list.SetDetailNumber(target.item, row.key, row.type, 0);
    }
}

void XmppVCard::Store(const Target& target, const std::vector<DetailValue>& values) {
    for (const DetailValue& value : values) {
        const bool text = value.type == DetailType::Text;
        if (target.item != 0) {
            if (text)
                list.SetDetailText(target.item, value.key, value.text);
            else
                list.SetDetailNumber(target.item, value.key, value.type, value.number);
        }
        if (target.own && own.Available()) {
            if (text)
                own.WriteText(value.key, value.text);
            else
                own.WriteNumber(value.key, value.type, value.number);
        }
    }
}

void XmppVCard::ReportSearchResult(unsigned int item, const std::vector<DetailValue>& values) {
    Protocols::UserInfo user;
    user.contactId = item;
    list.ItemLogin(item, user.login);
    user.nick = LastText(values, DetailKey::DisplayName);
    user.firstName = LastText(values, DetailKey::FirstName);
    user.lastName = LastText(values, DetailKey::LastName);
    user.email = LastText(values, DetailKey::HomeEmail);
    const CYolString gender = LastText(values, DetailKey::Gender);
    user.gender = gender == u"Male" ? 2 : gender == u"Female" ? 1 : 0;
    events.SearchResult(&user);
}

void XmppVCard::OnReply(const XmlNode& iq) {
    const StanzaHead head(iq);
    if (head.type == nullptr)
        return;
    // The server answers for the user's own account without a "from": such
    // a reply is the own account's.
    const CYolString from = head.from != nullptr ? *head.from : ownLogin();
    const Target target = FindTarget(ParseIqId(head.id), from);
    if (target.item == 0 && !target.own) {
        // The search dialog waits for its end however the lookup went.
        if (target.search)
            events.SearchResult(nullptr);
        return;
    }
    Clear(target);
    const bool result = *head.type == u"result";
    if (result) {
        const XmlNode* vCard = iq.GetChild("vCard");
        const std::vector<DetailValue> values = vCard != nullptr ? ReadVCardDetails(*vCard) : std::vector<DetailValue>();
        if (target.item != 0)
            list.SetDetailNumber(target.item, DetailKey::DetailsRequested, DetailType::Byte, 1);
        Store(target, values);
        if (target.own)
            RememberOwnCard(vCard);
        if (target.item != 0 && target.search)
            ReportSearchResult(target.item, values);
    } else if (target.own && *head.type == u"error" && IsItemNotFound(iq)) {
        // The server keeps no vCard for us: publishing loses nothing.
        RememberOwnCard(nullptr);
    }
    // A failed request ends the same way as an answered one: the dialogs
    // waiting for it re-read what is now stored (nothing) and stop waiting.
    if (target.search)
        events.SearchResult(nullptr);
    else if (target.item != 0)
        events.ContactDetailsReady(target.item);
    if (target.own)
        events.OwnDetailsReady();
}

void XmppVCard::RememberOwnCard(const XmlNode* vCard) {
    ownCard = vCard != nullptr ? CopyElement(*vCard) : XmlNode("vCard");
    ownCardText = own.Available() ? BuildOwnVCard(own, &*ownCard).Serialize() : std::string();
}

void XmppVCard::Publish() {
    // Without the server's own vCard of this session we could not keep the
    // fields we do not show, and could not tell whether anything changed.
    if (!own.Available() || !ownCard)
        return;
    XmlNode card = BuildOwnVCard(own, &*ownCard);
    std::string text = card.Serialize();
    if (text == ownCardText)
        return;
    XmlNode iq = MakeIq("set", -1, CYolString());
    iq.AdoptChild(std::move(card));
    std::string previous = std::exchange(ownCardText, std::move(text));
    // A refused set leaves the server's card as it was: the next publish
    // tries again.
    sink.SendIq(
        iq,
        [this, previous = std::move(previous)](const XmlNode& reply) {
            const StanzaHead head(reply);
            if (!head.TypeIs(u"result"))
                ownCardText = previous;
        },
        kPublishKey);
}

void XmppVCard::EndSession() {
    pending.clear();
    ownCard.reset();
    ownCardText.clear();
}
