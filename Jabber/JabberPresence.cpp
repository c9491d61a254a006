// Presence: the user's status sent out, the contacts' presence taken in and
// merged into one status per contact, the status record the contact list
// shows, and the subscription (authorization) exchange.

#include "XmppPresence.h"

#include "CYolTime.h"
#include "JabberCaps.h"
#include "JabberNamespaces.h"
#include "JabberPlugin.h"
#include "JabberPresenceRules.h"
#include "JabberProtocolInfo.h"
#include "XmppAccountSettings.h"
#include "XmppCapabilities.h"

#include <string>

namespace {

CYolString Wide(const char* ascii) { return CYolString::FromUtf8(ascii); }

}  // namespace

CYolArray<unsigned int> JabberIcon(std::initializer_list<int> indexes) {
    CYolArray<unsigned int> icon;
    for (int index : indexes)
        icon.Add(JabberPlugin::ImageId(index));
    return icon;
}

// Types not listed (probes, errors, unsubscriptions) change nothing.
const XmppPresence::TypeRow XmppPresence::kTypes[] = {
    {u"available", &XmppPresence::OnAvailable},
    {u"unavailable", &XmppPresence::OnUnavailable},
    {u"subscribe", &XmppPresence::OnSubscribe},
    {u"subscribed", &XmppPresence::OnSubscribed},
};

XmppPresence::XmppPresence(XmppStanzaSink& sink, CJabberContactMap& contacts, XmppPresenceList& list,
                           XmppCapabilities& caps, const XmppAccountSettings& settings, int firstStatusImage,
                           Deliver deliver)
    : sink(sink),
      contacts(contacts),
      list(list),
      caps(caps),
      settings(settings),
      firstStatusImage(firstStatusImage),
      deliver(std::move(deliver)) {}

// --- own presence -------------------------------------------------------------------------

Protocols::Status XmppPresence::Apply(Protocols::Status wanted) {
    PresenceRule rule = PresenceForStatus(wanted);
    mood = rule.mood;
    Send(wanted, true);
    return rule.presence;
}

void XmppPresence::Send(Protocols::Status presenceStatus, bool allRooms) {
    PresenceRule rule = PresenceForStatus(presenceStatus);
    // The same presence goes to the server and, addressed to each, to the
    // group-chat rooms.
    auto sendEverywhere = [this, allRooms](const auto& build) {
        sink.SendStanza(build(nullptr));
        if (!allRooms)
            return;
        for (int at = contacts.FindContactByKind(ContactKindRoom, 0); at >= 0;
             at = contacts.FindContactByKind(ContactKindRoom, at + 1))
            if (const ContactRecord* room = contacts.GetContactAt(at)) {
                CYolString to = BareJidCopy(room->jid);
                sink.SendStanza(build(&to));
            }
    };

    // Servers that do not know the invisible presence ignore it, and those
    // that do still keep showing what went before: contacts must first see
    // the account leave.
    if (rule.invisible && visiblePresenceSent) {
        sendEverywhere([](const CYolString* to) {
            XmlNode leave("presence");
            if (to != nullptr)
                leave.SetAttr("to", *to);
            leave.SetAttrNarrow("type", "unavailable");
            return leave;
        });
    }
    visiblePresenceSent = !rule.invisible;
    sendEverywhere([&](const CYolString* to) { return BuildPresence(to, rule.invisible, rule.show); });
}

XmlNode XmppPresence::BuildPresence(const CYolString* to, bool invisible, const char* show) const {
    XmlNode presence("presence");
    if (to != nullptr)
        presence.SetAttr("to", *to);
    if (invisible)
        presence.SetAttrNarrow("type", "invisible");
    presence.AddTextChild("priority", std::to_string(settings.priority));
    XmlNode& capsNode = presence.AddNsChild("c", Wide(JabberNs::Caps));
    capsNode.SetAttrNarrow("node", kOwnCapsNode);
    capsNode.SetAttr("ver", OwnCapsVer());
    if (show != nullptr)
        presence.AddTextChild("show", show);
    if (mood != 0)
        presence.AddNsChild("x", Wide(JabberNs::YolStatus)).SetAttrInt("value", mood);
    if (xStatusId != 0) {
        XmlNode& x = presence.AddNsChild("x", Wide(kXStatusNs));
        x.SetAttrInt("id", static_cast<int>(xStatusId));
        if (!xStatusTitle.IsEmpty())
            x.AddWideTextChild("title", xStatusTitle);
        if (!xStatusTitle.IsEmpty() || !xStatusDescription.IsEmpty()) {
            CYolString text = xStatusTitle;
            if (!xStatusTitle.IsEmpty() && !xStatusDescription.IsEmpty())
                text += u" ";
            text += xStatusDescription;
            presence.AddWideTextChild("status", text);
        }
    }
    return presence;
}

void XmppPresence::SetXStatus(unsigned int id, const CYolString& title, const CYolString& description) {
    xStatusId = id;
    xStatusTitle = id != 0 ? title : CYolString();
    xStatusDescription = id != 0 ? description : CYolString();
}

// --- incoming presence -------------------------------------------------------------------------

void XmppPresence::OnPresence(const PresenceStanza& stanza) {
    const StanzaHead& head = stanza.Head();
    if (!stanza.IsPresence() || !head.HasFrom() || (head.to != nullptr && *head.to == *head.from))
        return;
    const CYolString* type = head.type;
    for (const TypeRow& row : kTypes)
        if (type == nullptr ? row.handler == &XmppPresence::OnAvailable : *type == row.type) {
            (this->*row.handler)(stanza, *head.from);
            return;
        }
}

void XmppPresence::OnAvailable(const PresenceStanza& stanza, const CYolString& from) {
    ContactRecord* entry = contacts.FindContact(ContactKindRoster, from);
    if (entry == nullptr)
        return;
    const XmlNode* show = stanza.Show();
    const XmlNode* priority = stanza.Priority();
    contacts.UpdateResource(ContactKindRoster, from, StatusFromShow(show != nullptr ? &show->Text() : nullptr),
                            TextOf(stanza.Status()), ParsePriority(priority != nullptr ? &priority->Text() : nullptr));
    caps.StoreAnnounced(from, stanza.Part(PresencePart::Caps));

    ResourceRecord* resource = &entry->summary;
    if (JidHasResource(from)) {
        const int at = entry->FindResource(JidResource(from));
        resource = at >= 0 ? &entry->resources[static_cast<size_t>(at)] : nullptr;
    }
    if (resource != nullptr)
        ApplyStatusParts(stanza, *resource);
    UpdateContact(from);
}

void XmppPresence::ApplyStatusParts(const PresenceStanza& stanza, ResourceRecord& resource) {
    if (const XmlNode* x = stanza.Part(PresencePart::Mood))
        if (const CYolString* value = x->GetAttr("value"))
            resource.status = StatusFromMood(value->Uint(false, 0), resource.status);
    const XmlNode* x = stanza.Part(PresencePart::XStatus);
    if (x == nullptr)
        return;
    // An id we have no icon for is no extended status we can show: its icon
    // would be another one's.
    const CYolString* id = x->GetAttr("id");
    const unsigned int value = id != nullptr ? id->Uint(false, 0) : 0;
    if (value == 0 || value > static_cast<unsigned int>(kJabberXStatusCount)) {
        resource.ClearXStatus();
        return;
    }
    resource.xStatusId = static_cast<int>(value);
    resource.xStatusTitle = TextOf(x->GetChild("title"));
    resource.xStatusDescription = XStatusDescription(resource.statusText, resource.xStatusTitle);
}

void XmppPresence::OnUnavailable(const PresenceStanza& stanza, const CYolString& from) {
    ContactRecord* entry = contacts.FindContact(ContactKindRoster, from);
    if (entry == nullptr)
        return;
    contacts.RemoveResource(ContactKindRoster, from);
    if (entry->resources.empty()) {
        entry->summary.status = Protocols::Offline;
        entry->summary.SetStatusText(TextOf(stanza.Status()));
    }
    UpdateContact(from);
}

void XmppPresence::OnSubscribe(const PresenceStanza&, const CYolString& from) {
    if (from.Find(0, CYolString(u"@")) >= 0) {
        deliver(from, 3, 0, CYolString(), CYolString());
        return;
    }
    // A server or gateway asks to see our presence: nothing to ask the user
    // about.
    XmlNode grant("presence");
    grant.SetAttr("to", from);
    grant.SetAttrNarrow("type", "subscribed");
    sink.SendStanza(grant);
}

void XmppPresence::OnSubscribed(const PresenceStanza&, const CYolString& from) {
    if (ContactRecord* entry = contacts.FindContact(ContactKindRoster, from)) {
        entry->subscription = entry->subscription == 0 ? 1 : entry->subscription == 2 ? 3 : entry->subscription;
        list.SetSubscription(entry->contactId, entry->subscription);
    }
}

void XmppPresence::UpdateContact(const CYolString& jid) {
    ContactRecord* entry = contacts.FindContact(ContactKindRoster, jid);
    if (entry == nullptr)
        return;
    Protocols::Status merged =
        entry->resources.empty() && !JidHasResource(jid) ? entry->summary.status : Protocols::Offline;
    int chosen = -1;
    for (size_t i = 0; i < entry->resources.size(); ++i) {
        merged = MergeStatus(merged, entry->resources[i].status);
        if (entry->resources[i].status == merged)
            chosen = static_cast<int>(i);
    }
    entry->chosenResource = chosen;
    ResourceRecord& summary = entry->summary;
    summary.status = merged;
    if (chosen >= 0) {
        const ResourceRecord& from = entry->resources[static_cast<size_t>(chosen)];
        summary.xStatusId = from.xStatusId;
        summary.xStatusTitle = from.xStatusTitle;
        summary.xStatusDescription = from.xStatusDescription;
        summary.statusText = from.statusText;
        summary.statusTextChanged = from.statusTextChanged;
        summary.capsNode = from.capsNode;
        summary.capsVer = from.capsVer;
        summary.capsExt = from.capsExt;
    }
    if (entry->contactId == 0)
        return;
    Protocols::ContactStatusInfo info;
    BuildContactStatus(entry->contactId, info);
    list.SetContactStatus(entry->contactId, info);
}

// --- the status the contact list shows ----------------------------------------------------------

void XmppPresence::BuildContactStatus(unsigned int contact, Protocols::ContactStatusInfo& out) {
    out.icons.Clear();
    out.extraIcons.Clear();
    out.text = CYolString();
    const int first = firstStatusImage;
    const bool grouped = list.IsGrouped(contact);

    CYolString jid;
    const ContactRecord* entry =
        list.ItemLogin(contact, jid) ? contacts.FindContact(ContactKindRoster, jid) : nullptr;
    const int shown = entry != nullptr ? entry->summary.status : Protocols::Offline;
    out.status = static_cast<unsigned int>(shown);
    if (entry == nullptr) {
        out.icons.Add(JabberIcon({first + (grouped ? JabberImgStatusOffline : JabberImgStatusNotInList)}));
    } else if (!grouped) {
        out.icons.Add(JabberIcon({first + JabberImgStatusNotInList}));
    } else {
        if (shown == Protocols::Offline)
            out.icons.Add(JabberIcon({first + JabberImgStatusOffline}));
        else if (shown == Protocols::Online)
            out.icons.Add(JabberIcon({first + JabberImgStatusOnline}));
        else if (shown == Protocols::Invisible)
            out.icons.Add(JabberIcon({first + JabberImgStatusOnline, JabberImgInvisible}));
        else if (shown >= Protocols::FreeForChat && shown <= Protocols::DoNotDisturb)
            out.icons.Add(JabberIcon({first + JabberImgStatusOnline, shown + 1}));
        else
            out.icons.Add(CYolArray<unsigned int>());
        if (shown > Protocols::Connecting && entry->summary.xStatusId > 0) {
            out.icons.Add(JabberIcon({JabberImgXStatusNone + entry->summary.xStatusId}));
            out.text = entry->summary.xStatusTitle;
        }
    }

    ClientIconInfo client;
    if (entry != nullptr && shown > Protocols::Connecting && settings.showClientIcons &&
        CClientIconTable::Instance().Find(entry->summary.capsNode, entry->summary.capsVer, client) &&
        client.imageId != -1) {
        CYolArray<unsigned int> icon;
        icon.Add(static_cast<unsigned int>(client.imageId));
        out.extraIcons.Add(icon);
    }
    uint8_t subscription = 0;
    if (list.StoredSubscription(contact, subscription) && subscription != 1 && subscription != 3)
        out.extraIcons.Add(JabberIcon({JabberImgAuthRequired}));
    int month = 0;
    int day = 0;
    if (list.BirthdayShown(contact, month, day)) {
        CYolTime today;
        if (today.Month() == month && today.Day() == day)
            out.extraIcons.Add(JabberIcon({JabberImgBalloon}));
    }
}

// --- subscriptions and status texts ------------------------------------------------------------

void XmppPresence::SendSubscription(unsigned int contact, const char* type) {
    CYolString jid;
    if (!list.ItemLogin(contact, jid) || jid.IsEmpty())
        return;
    XmlNode presence("presence");
    presence.SetAttr("to", jid);
    presence.SetAttrNarrow("type", type);
    sink.SendStanza(presence);
}

void XmppPresence::ShowStatusText(unsigned int contact) {
    CYolString jid;
    ContactRecord* entry = list.ItemLogin(contact, jid) ? contacts.FindContact(ContactKindRoster, jid) : nullptr;
    if (entry == nullptr)
        return;
    ResourceRecord& shown = entry->summary;
    if (shown.status <= Protocols::Connecting || !shown.statusTextChanged)
        return;
    // The summary copies the flag from the chosen resource on every
    // presence, so the resource forgets it too: a text is shown once.
    shown.statusTextChanged = false;
    if (entry->chosenResource >= 0 && static_cast<size_t>(entry->chosenResource) < entry->resources.size())
        entry->resources[static_cast<size_t>(entry->chosenResource)].statusTextChanged = false;
    // An extended status shows under its title; a plain status text (most
    // clients send nothing else) shows on its own with the notice image,
    // since a notice without text would never reach the chat.
    if (!shown.xStatusTitle.IsEmpty())
        deliver(jid, 2, static_cast<int>(JabberPlugin::ImageId(JabberImgXStatusNone + shown.xStatusId)),
                shown.xStatusTitle, shown.xStatusDescription);
    else
        deliver(jid, 2, static_cast<int>(JabberPlugin::ImageId(JabberImgXStatusMode)), shown.statusText,
                CYolString());
}
