// Presence: the user's status sent out, the contacts' presence taken in and
// merged into one status per contact, the status record the contact list
// shows, and the subscription (authorization) exchange.

#include "CJabberAccount.h"

#include "CContactList.h"
#include "CYolMenuInfo.h"
#include "CYolTime.h"
#include "JabberCaps.h"
#include "JabberPlugin.h"
#include "JabberPresenceRules.h"
#include "ValueNames.h"

#include <string>

namespace {

const CYolString kSrvLogName(ValueName::SrvLogName);
const CYolString kSubscription(u"Subscription");
const CYolString kBirthMonth(u"Jabber: birth month");
const CYolString kBirthDay(u"Jabber: birth day");

CYolString Wide(const char* ascii) { return CYolString::FromUtf8(ascii); }

bool AttrIs(const XmlNode& node, std::string_view name, const char* value) {
    const CYolString* attr = node.GetAttr(name);
    return attr != nullptr && *attr == Wide(value);
}

CYolString ChildText(const XmlNode& node, std::string_view name) {
    const XmlNode* child = node.GetChild(name);
    return child != nullptr ? child->Text() : CYolString();
}

CYolArray<unsigned int> Icon(std::initializer_list<int> indexes) {
    CYolArray<unsigned int> icon;
    for (int index : indexes)
        icon.Add(JabberPlugin::ImageId(index));
    return icon;
}

// The contact menu's items call back on the window thread; the account is
// reached only through its queue, addressed by its events-client key, so a
// pick after the account is gone goes nowhere.
constexpr YOL_GUID JabberContactMenuGuid{0x6B0E5D21, 0x93C4, 0x4F7A, 0x8D, 0x12, 0x5A, 0x3E, 0xC1, 0x77, 0x0B, 0x94};
enum ContactMenuEvent : int { RequestAuthorizationEvent = 1 };

std::atomic<Services::CServicesManager*> menuServices{nullptr};

void PostMenuPick(unsigned int clientKey, const YOL_GUID& channel, int event, unsigned int contact, int grant) {
    Services::CServicesManager* services = menuServices.load();
    auto* factory = services != nullptr
                        ? static_cast<Protocols::CEventArgFactory*>(services->GetService(Protocols::EventArgFactoryGuid))
                        : nullptr;
    if (factory == nullptr)
        return;
    Services::CEventArg* first = factory->NewUInt(contact);
    Services::CEventArg* second = grant < 0 ? nullptr : factory->NewBool(grant != 0);
    if (services->SendEvent(clientKey, channel, event, first, second, false) != 1) {
        // Arguments nobody took are still ours: a count of 0 frees them.
        if (first != nullptr)
            first->AddRef(0);
        if (second != nullptr)
            second->AddRef(0);
    }
}

int RequestAuthorizationPicked(unsigned int contact, void* clientKey) {
    PostMenuPick(YolMenuContextValue(clientKey), JabberContactMenuGuid, RequestAuthorizationEvent, contact, -1);
    return 0;
}
int GrantAuthorizationPicked(unsigned int contact, void* clientKey) {
    PostMenuPick(YolMenuContextValue(clientKey), ProtocolsManagerGuid, Protocols::AccountCommand::SetAuthorization,
                 contact, 1);
    return 0;
}
int RevokeAuthorizationPicked(unsigned int contact, void* clientKey) {
    PostMenuPick(YolMenuContextValue(clientKey), ProtocolsManagerGuid, Protocols::AccountCommand::SetAuthorization,
                 contact, 0);
    return 0;
}

}  // namespace

// --- own presence -------------------------------------------------------------------------

CYolString CJabberAccount::GetOwnBareJid() const {
    if (settings.userName.IsEmpty())
        return CYolString();
    return settings.userName + u"@" + settings.server;
}

void CJabberAccount::ApplyStatus(Protocols::Status wanted) {
    if (status < Protocols::Online)
        return;
    PresenceRule rule = PresenceForStatus(wanted);
    status = rule.presence;
    mood = rule.mood;
    SendPresence(wanted, true);
}

void CJabberAccount::SendPresence(Protocols::Status presenceStatus, bool allRooms) {
    PresenceRule rule = PresenceForStatus(presenceStatus);
    // The same presence goes to the server and, addressed to each, to the
    // group-chat rooms.
    auto sendEverywhere = [this, allRooms](const auto& build) {
        SendStanza(build(nullptr));
        if (!allRooms)
            return;
        for (int at = contacts.FindContactByKind(ContactKindRoom, 0); at >= 0;
             at = contacts.FindContactByKind(ContactKindRoom, at + 1))
            if (const ContactRecord* room = contacts.GetContactAt(at)) {
                CYolString to = BareJidCopy(room->jid);
                SendStanza(build(&to));
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

    sendEverywhere([&](const CYolString* to) {
        XmlNode presence("presence");
        if (to != nullptr)
            presence.SetAttr("to", *to);
        if (rule.invisible)
            presence.SetAttrNarrow("type", "invisible");
        presence.AddTextChild("priority", std::to_string(settings.priority));
        XmlNode& caps = presence.AddNsChild("c", Wide(JabberNs::Caps));
        caps.SetAttrNarrow("node", kOwnCapsNode);
        caps.SetAttr("ver", OwnCapsVer());
        if (rule.show != nullptr)
            presence.AddTextChild("show", rule.show);
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
    });
}

int CJabberAccount::SetXStatus(unsigned int id, const CYolString& title, const CYolString& description) {
    xStatusId = id;
    xStatusTitle = id != 0 ? title : CYolString();
    xStatusDescription = id != 0 ? description : CYolString();
    if (status >= Protocols::Online)
        SendPresence(wantedStatus, true);
    return 0;
}

// --- incoming presence -------------------------------------------------------------------------

void CJabberAccount::StoreCaps(const XmlNode& presence) {
    const CYolString* from = presence.GetAttr("from");
    ContactRecord* entry = from != nullptr ? contacts.FindContact(ContactKindRoster, *from) : nullptr;
    if (entry == nullptr)
        return;
    const XmlNode* c = presence.FindChildWithAttr("c", "xmlns", Wide(JabberNs::Caps));
    if (c == nullptr)
        c = presence.FindChildWithAttr("caps:c", "xmlns:caps", Wide(JabberNs::Caps));
    if (c == nullptr)
        return;
    ResourceRecord* resource = &entry->summary;
    if (JidHasResource(*from)) {
        int at = entry->FindResource(JidResource(*from));
        if (at < 0)
            return;
        resource = &entry->resources[static_cast<size_t>(at)];
    }
    auto text = [c](std::string_view name) {
        const CYolString* value = c->GetAttr(name);
        return value != nullptr ? *value : CYolString();
    };
    resource->capsNode = text("node");
    resource->capsVer = text("ver");
    resource->capsExt = text("ext");
}

void CJabberAccount::OnPresence(const XmlNode& stanza) {
    const CYolString* from = stanza.GetAttr("from");
    const CYolString* to = stanza.GetAttr("to");
    CL::CContactList* list = ContactListService();
    if (stanza.Name() != "presence" || from == nullptr || from->IsEmpty() || (to != nullptr && *to == *from) ||
        list == nullptr)
        return;
    if (const XmlNode* mail = stanza.FindChildWithAttr("x", "xmlns", Wide(JabberNs::YolMailNotify))) {
        // Mail notices come from the own server; one from a contact would be
        // a fake that the user could follow to a page of the sender's making.
        if (IsOwnServer(*from))
            OnMailNotify(*mail);
        return;
    }

    const CYolString* type = stanza.GetAttr("type");
    if (type == nullptr || *type == u"available") {
        ContactRecord* entry = contacts.FindContact(ContactKindRoster, *from);
        if (entry == nullptr)
            return;
        const XmlNode* show = stanza.GetChild("show");
        Protocols::Status shown = StatusFromShow(show != nullptr ? &show->Text() : nullptr);
        const XmlNode* priority = stanza.GetChild("priority");
        contacts.UpdateResource(ContactKindRoster, *from, shown, ChildText(stanza, "status"),
                                ParsePriority(priority != nullptr ? &priority->Text() : nullptr));
        StoreCaps(stanza);

        ResourceRecord* resource = &entry->summary;
        if (JidHasResource(*from)) {
            int at = entry->FindResource(JidResource(*from));
            resource = at >= 0 ? &entry->resources[static_cast<size_t>(at)] : nullptr;
        }
        for (int i = 0; resource != nullptr && i < stanza.ChildCount(); ++i) {
            const XmlNode& x = stanza.ChildAt(i);
            if (x.Name() != "x")
                continue;
            if (AttrIs(x, "xmlns", JabberNs::YolStatus)) {
                const CYolString* value = x.GetAttr("value");
                if (value != nullptr)
                    resource->status = StatusFromMood(value->Uint(false, 0), resource->status);
            } else if (AttrIs(x, "xmlns", kXStatusNs)) {
                // An id we have no icon for is no extended status we can
                // show: its icon would be another one's.
                const CYolString* id = x.GetAttr("id");
                const unsigned int value = id != nullptr ? id->Uint(false, 0) : 0;
                if (value == 0 || value > static_cast<unsigned int>(kJabberXStatusCount)) {
                    resource->ClearXStatus();
                    continue;
                }
                resource->xStatusId = static_cast<int>(value);
                resource->xStatusTitle = ChildText(x, "title");
                resource->xStatusDescription = XStatusDescription(resource->statusText, resource->xStatusTitle);
            }
        }
        UpdateContactPresence(*from);
    } else if (*type == u"unavailable") {
        ContactRecord* entry = contacts.FindContact(ContactKindRoster, *from);
        if (entry == nullptr)
            return;
        contacts.RemoveResource(ContactKindRoster, *from);
        if (entry->resources.empty()) {
            entry->summary.status = Protocols::Offline;
            entry->summary.SetStatusText(ChildText(stanza, "status"));
        }
        UpdateContactPresence(*from);
    } else if (*type == u"subscribe") {
        if (from->Find(0, CYolString(u"@")) >= 0) {
            DeliverMessage(*from, 3, 0, CYolString(), CYolString());
        } else {
            // A server or gateway asks to see our presence: nothing to ask
            // the user about.
            XmlNode grant("presence");
            grant.SetAttr("to", *from);
            grant.SetAttrNarrow("type", "subscribed");
            SendStanza(grant);
        }
    } else if (*type == u"subscribed") {
        if (ContactRecord* entry = contacts.FindContact(ContactKindRoster, *from)) {
            uint8_t gained = entry->subscription == 0 ? 1 : entry->subscription == 2 ? 3 : entry->subscription;
            SetSubscription(*entry, gained);
        }
    }
}

void CJabberAccount::UpdateContactPresence(const CYolString& jid) {
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
    PushContactStatus(*entry);
}

// --- the status the contact list shows ----------------------------------------------------------

void CJabberAccount::BuildContactStatus(unsigned int contact, Protocols::ContactStatusInfo* out) {
    CL::CContactList* list = ContactListService();
    if (out == nullptr || list == nullptr)
        return;
    out->icons.Clear();
    out->extraIcons.Clear();
    out->text = CYolString();
    int first = GetFirstStatusImage();
    bool grouped = list->GetParentId(contact) != 0;

    CYolString jid;
    const ContactRecord* entry =
        list->GetItemString(contact, kSrvLogName, jid) ? contacts.FindContact(ContactKindRoster, jid) : nullptr;
    int shown = entry != nullptr ? entry->summary.status : Protocols::Offline;
    out->status = static_cast<unsigned int>(shown);
    if (entry == nullptr) {
        out->icons.Add(Icon({first + (grouped ? JabberImgStatusOffline : JabberImgStatusNotInList)}));
    } else if (!grouped) {
        out->icons.Add(Icon({first + JabberImgStatusNotInList}));
    } else {
        if (shown == Protocols::Offline)
            out->icons.Add(Icon({first + JabberImgStatusOffline}));
        else if (shown == Protocols::Online)
            out->icons.Add(Icon({first + JabberImgStatusOnline}));
        else if (shown == Protocols::Invisible)
            out->icons.Add(Icon({first + JabberImgStatusOnline, JabberImgInvisible}));
        else if (shown >= Protocols::FreeForChat && shown <= Protocols::DoNotDisturb)
            out->icons.Add(Icon({first + JabberImgStatusOnline, shown + 1}));
        else
            out->icons.Add(CYolArray<unsigned int>());
        if (shown > Protocols::Connecting && entry->summary.xStatusId > 0) {
            out->icons.Add(Icon({JabberImgXStatusNone + entry->summary.xStatusId}));
            out->text = entry->summary.xStatusTitle;
        }
    }

    ClientIconInfo client;
    if (entry != nullptr && shown > Protocols::Connecting && settings.showClientIcons &&
        CClientIconTable::Instance().Find(entry->summary.capsNode, entry->summary.capsVer, client) &&
        client.imageId != -1) {
        CYolArray<unsigned int> icon;
        icon.Add(static_cast<unsigned int>(client.imageId));
        out->extraIcons.Add(icon);
    }
    unsigned char subscription = 0;
    if (list->GetItemByte(contact, kSubscription, &subscription) && subscription != 1 && subscription != 3)
        out->extraIcons.Add(Icon({JabberImgAuthRequired}));
    unsigned char month = 0;
    unsigned char day = 0;
    if (list->GetShowBirthdayBalloon() && list->GetItemByte(contact, kBirthMonth, &month) &&
        list->GetItemByte(contact, kBirthDay, &day) && month != 0 && day != 0) {
        CYolTime today;
        if (today.Month() == month && today.Day() == day)
            out->extraIcons.Add(Icon({JabberImgBalloon}));
    }
}

// --- subscriptions and the contact menu ------------------------------------------------------------

void CJabberAccount::SendSubscription(unsigned int contact, const char* type) {
    CL::CContactList* list = ContactListService();
    CYolString jid;
    if (status < Protocols::Online || list == nullptr || !list->GetItemString(contact, kSrvLogName, jid) ||
        jid.IsEmpty())
        return;
    XmlNode presence("presence");
    presence.SetAttr("to", jid);
    presence.SetAttrNarrow("type", type);
    SendStanza(presence);
}

int CJabberAccount::SetAuthorization(unsigned int contact, bool grant) {
    SendSubscription(contact, grant ? "subscribed" : "unsubscribed");
    return 0;
}

int CJabberAccount::GetContactMenu(unsigned int contact, CYolMenuInfo* menu) {
    CL::CContactList* list = ContactListService();
    if (status <= Protocols::Connecting || list == nullptr || menu == nullptr)
        return 0;
    menuServices.store(servicesManager);
    unsigned char subscription = 0;
    if (!list->GetItemByte(contact, kSubscription, &subscription))
        subscription = 0;

    menu->Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
    auto add = [&](int text, int image, YolMenuCallback callback) {
        menu->Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, Icon({image}),
                                   CYolFormatString(JabberPlugin::UiString(text)), static_cast<int>(contact),
                                   callback, YolMenuContext(clientId), false));
    };
    if (subscription == 0 || subscription == 2)
        add(35, JabberImgAuthRequest, RequestAuthorizationPicked);
    if (subscription == 2 || subscription == 3)
        add(37, JabberImgAuthDecline, RevokeAuthorizationPicked);
    else if (subscription == 0 || subscription == 1)
        add(36, JabberImgAuthAccept, GrantAuthorizationPicked);
    return 0;
}

int CJabberAccount::OnOtherEvent(const YOL_GUID& channel, int event, Services::CEventArg* first,
                                 Services::CEventArg*) {
    if (channel == JabberContactMenuGuid && event == RequestAuthorizationEvent && first != nullptr)
        SendSubscription(static_cast<Services::CEventArg_Data<unsigned int>*>(first)->Get(), "subscribe");
    return 0;
}

// --- contact information --------------------------------------------------------------------------

int CJabberAccount::RequestContactInfo(unsigned int contact) {
    CL::CContactList* list = ContactListService();
    CYolString jid;
    if (list == nullptr || !list->GetItemString(contact, kSrvLogName, jid))
        return 0;
    ContactRecord* entry = contacts.FindContact(ContactKindRoster, jid);
    if (entry == nullptr)
        return 0;
    ResourceRecord& shown = entry->summary;
    if (shown.status > Protocols::Connecting && shown.statusTextChanged) {
        // The summary copies the flag from the chosen resource on every
        // presence, so the resource forgets it too: a text is shown once.
        shown.statusTextChanged = false;
        if (entry->chosenResource >= 0 && static_cast<size_t>(entry->chosenResource) < entry->resources.size())
            entry->resources[static_cast<size_t>(entry->chosenResource)].statusTextChanged = false;
        // An extended status shows under its title; a plain status text
        // (most clients send nothing else) shows on its own with the notice
        // image, since a notice without text would never reach the chat.
        if (!shown.xStatusTitle.IsEmpty())
            DeliverMessage(jid, 2, static_cast<int>(JabberPlugin::ImageId(JabberImgXStatusNone + shown.xStatusId)),
                           shown.xStatusTitle, shown.xStatusDescription);
        else
            DeliverMessage(jid, 2, static_cast<int>(JabberPlugin::ImageId(JabberImgXStatusMode)),
                           shown.statusText, CYolString());
    }
    return 0;
}
