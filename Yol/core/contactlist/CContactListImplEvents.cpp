// The model's events client: wiring to the protocols manager once the
// services are up, the account notifications, and the requests the model
// posts to itself. Everything here runs on the "CL" queue thread.

#include "CContactListImpl.h"

#include "CContactListImplShared.h"
#include "CProtocolsManager.h"
#include "ProtocolsManagerEvents.h"
#include "YolGuids.h"

#include <algorithm>
#include <set>
#include <vector>

namespace CL {

using namespace Detail;

namespace {

using StatusPair = CYolPair<unsigned int, Protocols::ContactStatusInfo>;

unsigned int IdArg(Services::CEventArg* arg) {
    const unsigned int* value = ArgValue<unsigned int>(arg);
    return value != nullptr ? *value : 0;
}

// The protocols-manager broadcasts the model follows.
constexpr int kManagerEvents[] = {
    Protocols::ProtocolsManagerEvent::AccountsLoaded,
    Protocols::ProtocolsManagerEvent::AccountAdded,
    Protocols::ProtocolsManagerEvent::AccountRemoved,
    Protocols::ProtocolsManagerEvent::ClearContacts,
};

}  // namespace

int CContactListImpl::CEventHandler::OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* arg,
                                             Services::CEventArg* extra) {
    return owner.OnEvent(channel, event, arg, extra);
}

int CContactListImpl::OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* arg,
                              Services::CEventArg* extra) {
    if (channel == ServicesManagerGuid) {
        if (event == 1)
            OnServicesStarted();
        return 0;
    }
    if (channel == ProtocolsManagerGuid) {
        switch (event) {
            case Protocols::ProtocolsManagerEvent::AccountsLoaded: {
                Locked held(*this);
                Raise(ContactListEvent::ContactListReady, nullptr);
                break;
            }
            case Protocols::ProtocolsManagerEvent::AccountAdded:
                OnAccountAdded(IdArg(arg));
                break;
            case Protocols::ProtocolsManagerEvent::AccountRemoved:
                OnAccountCleared(IdArg(arg), kClearEverything, true);
                break;
            case Protocols::ProtocolsManagerEvent::ClearContacts: {
                // Without a generation (an account that does not retire its
                // items first) the clear takes everything there is.
                const unsigned int generation = IdArg(extra);
                OnAccountCleared(IdArg(arg), generation != 0 ? generation : kClearEverything, false);
                break;
            }
            default:
                break;
        }
        return 0;
    }
    if (channel == ContactListGuid)
        OnRequest(event, arg, extra);
    return 0;
}

void CContactListImpl::OnServicesStarted() {
    {
        Locked held(*this);
        // The protocols manager registered its broadcasts after the model was
        // made; subscribing is only possible now. Once only.
        if (managerSubscriptions[0] == 0)
            for (int i = 0; i < 4; ++i)
                managerSubscriptions[i] = services->Subscribe(ProtocolsManagerGuid, kManagerEvents[i], clientId);
    }
    Services::CEventArg* list = nullptr;
    try {
        list = new StatusListArg(statusList);
    } catch (const std::bad_alloc&) {
        list = nullptr;
    }
    Locked held(*this);
    Raise(ContactListEvent::FillStatusList, list);
}

void CContactListImpl::OnAccountAdded(unsigned int accountId) {
    if (accountId == 0)
        return;
    {
        Locked held(*this);
        // An account announced twice keeps its list; loading the cache again
        // would double every item.
        if (!accounts.Insert(accountId, AccountEntry{}).second)
            return;
    }
    LoadAccountList(accountId);
}

unsigned int CContactListImpl::RetireAccountItems(unsigned int accountId) {
    Locked held(*this);
    AccountEntry* account = accounts.Find(accountId);
    if (account == nullptr || account->generation + 1 >= kClearEverything)
        return 0;
    // The retired items leave the caches at once.
    MarkChanged();
    return ++account->generation;
}

void CContactListImpl::OnAccountCleared(unsigned int accountId, unsigned int below, bool removeEntry) {
    Locked held(*this);
    if (accounts.Find(accountId) == nullptr)
        return;
    BeginUpdateLocked();
    // Every removal gives the lock up, so the ids are gathered again after
    // each round: clearing everything takes what the account added meanwhile
    // as well. Each id is tried once, so an item that will not go cannot
    // hold the loop.
    std::set<unsigned int> tried;
    for (bool more = true; more;) {
        more = false;
        for (unsigned int id : ItemsToClear(accountId, below)) {
            if (!tried.insert(id).second)
                continue;
            more = true;
            if (IsGroupId(id))
                RemoveGroupNow(id);
            else
                RemoveContactNow(id);
            if (AccountEntry* account = accounts.Find(accountId); account != nullptr && !items.Contains(id))
                account->topLevel.Erase(id);
        }
    }
    EndUpdateLocked();
    if (removeEntry) {
        accounts.Erase(accountId);
        accountRemoved = true;
        MarkChanged();
    }
}

std::vector<unsigned int> CContactListImpl::ItemsToClear(unsigned int accountId, unsigned int below) {
    std::vector<unsigned int> out;
    AccountEntry* account = accounts.Find(accountId);
    if (account == nullptr)
        return out;
    for (auto [id, unused] : account->topLevel) {
        (void)unused;
        const ItemEntry* entry = items.Find(id);
        if (entry == nullptr || entry->generation < below) {
            out.push_back(id);  // a group goes with every contact in it
            continue;
        }
        if (Group* group = FindGroup(id))
            for (auto [contactId, contact] : group->contacts) {
                (void)contact;
                const ItemEntry* member = items.Find(contactId);
                if (member != nullptr && member->generation < below)
                    out.push_back(contactId);
            }
    }
    std::sort(out.begin(), out.end());
    return out;
}

void CContactListImpl::OnRequest(int request, Services::CEventArg* arg, Services::CEventArg* extra) {
    if (request == kSaveCachesRequest) {
        savePending = false;
        SaveCaches(false);
        return;
    }
    // Every request but ClearMetaContacts names an item first.
    unsigned int id = request == ContactListRequest::ClearMetaContacts ? 0 : IdArg(arg);
    Locked held(*this);
    switch (request) {
        case ContactListRequest::ReceiveMessage:
            // Strangers' messages reach the windows through the plug-ins'
            // own path (the anti-spam filter), never from here.
            RaiseMessage(ContactListEvent::MessageReceived, id, extra);
            break;
        case ContactListRequest::MessageNotSent:
            RaiseMessage(ContactListEvent::MessageNotSent, id, extra);
            break;
        case ContactListRequest::MessageAck:
            if (FindListedContact(id) != nullptr)
                Raise(ContactListEvent::MessageAcknowledged, NewArg(id), NewArg(IdArg(extra)));
            break;
        case ContactListRequest::Typing:
            if (FindListedContact(id) != nullptr)
                Raise(ContactListEvent::ContactTyping, NewArg(id), NewArg(IdArg(extra) != 0));
            break;
        case ContactListRequest::RemoveGroup:
            RemoveGroupNow(id);
            break;
        case ContactListRequest::RemoveContact:
            RemoveContactNow(id);
            break;
        case ContactListRequest::MoveContact:
            MoveContactNow(id, IdArg(extra));
            break;
        case ContactListRequest::RemoveMetaGroup:
            RemoveMetaGroupNow(id);
            break;
        case ContactListRequest::RemoveMetaContact:
            RemoveMetaContactNow(id, true);
            break;
        case ContactListRequest::MoveMetaContact:
            MoveMetaContactNow(id, IdArg(extra));
            break;
        case ContactListRequest::MoveContactToMetaContact:
            MoveContactToMetaContactNow(id, IdArg(extra));
            break;
        case ContactListRequest::ClearMetaContacts: {
            // Already carried out by a meta list parsed after it was posted.
            if (clearsDoneEarly > 0) {
                --clearsDoneEarly;
                break;
            }
            if (pendingClears > 0)
                --pendingClears;
            const bool* withEvents = ArgValue<bool>(arg);
            ClearMetaContactsNow(withEvents != nullptr && *withEvents);
            break;
        }
        default:
            break;
    }
}

void CContactListImpl::RaiseMessage(int event, unsigned int contactId, Services::CEventArg* message) {
    const Protocols::MessageInfo* held = ArgValue<Protocols::MessageInfo>(message);
    if (held == nullptr || FindListedContact(contactId) == nullptr)
        return;
    Protocols::MessageInfo copy = *held;
    if (MContact* meta = FindMetaContactOfContact(contactId))
        copy.metaContactId = meta->id;
    Raise(event, NewArg(contactId), NewArg(std::move(copy)));
}

void CContactListImpl::RemoveGroupNow(unsigned int groupId) {
    unsigned int accountId = 0;
    if (FindGroup(groupId, &accountId) == nullptr || accounts.Find(accountId) == nullptr)
        return;
    // Contact by contact, lowest id first, looking the group up again after
    // every broadcast; a contact a plug-in adds meanwhile goes as well.
    bool groupAnnounced = false;
    for (;;) {
        Group* group = FindGroup(groupId);
        if (group == nullptr)
            return;
        if (!group->contacts.IsEmpty()) {
            unsigned int contactId = FirstKey(group->contacts);
            LeaveMetaContact(contactId);
            if (FindListedContact(contactId) != nullptr)
                RaiseSync(ContactListEvent::ContactRemoved, NewArg(contactId));
            DestroyContact(contactId);
            if ((group = FindGroup(groupId)) != nullptr)
                group->contacts.Erase(contactId);
            continue;
        }
        if (groupAnnounced)
            break;
        RaiseSync(ContactListEvent::GroupRemoved, NewArg(groupId));
        groupAnnounced = true;
    }
    if (AccountEntry* account = accounts.Find(accountId))
        account->topLevel.Erase(groupId);
    items.Erase(groupId);
    MarkChanged();
}

void CContactListImpl::RemoveContactNow(unsigned int contactId) {
    if (FindListedContact(contactId) == nullptr)
        return;
    LeaveMetaContact(contactId);
    Contact* contact = FindListedContact(contactId);
    if (contact == nullptr)
        return;
    RaiseSync(ContactListEvent::ContactRemoved, NewArg(contactId), NewArg(contact->groupId));
    DestroyContact(contactId);
}

void CContactListImpl::MoveContactNow(unsigned int contactId, unsigned int groupId) {
    Contact* contact = FindListedContact(contactId);
    if (contact == nullptr)
        return;
    unsigned int accountId = items.Find(contactId)->accountId;
    unsigned int targetAccount = 0;
    // Only into a live group of the contact's own account; anything else
    // moves nothing and announces nothing.
    if (accounts.Find(accountId) == nullptr || FindGroup(groupId, &targetAccount) == nullptr ||
        targetAccount != accountId || IsRetiredItem(groupId))
        return;

    unsigned int formerGroup = contact->groupId;
    if (formerGroup != 0)
        RaiseSync(ContactListEvent::ContactRemoved, NewArg(contactId), NewArg(formerGroup));
    else
        RaiseSync(ContactListEvent::ContactRemoved, NewArg(contactId));
    contact = FindListedContact(contactId);
    if (contact == nullptr)
        return;
    Group* target = FindGroup(groupId);
    if (target == nullptr) {
        // The target went while the lock was given up: the contact stays
        // where it was and is shown there again.
        Raise(ContactListEvent::ContactAdded, NewArg(contactId),
              NewArg(StatusPair(contact->groupId, contact->status)));
        return;
    }
    if (Group* former = FindGroup(contact->groupId))
        former->contacts.Erase(contactId);
    else if (AccountEntry* account = accounts.Find(accountId))
        account->topLevel.Erase(contactId);
    target->contacts.Insert(contactId, contact);
    contact->groupId = groupId;
    MarkChanged();

    if (formerGroup == 0) {
        // Out of no group: its meta contact follows into the meta group of
        // the target's name.
        CYolString name = ValueString(*target, kLoginName);
        MGroup* metaGroup = FindMetaGroupByName(name);
        if (metaGroup == nullptr)
            metaGroup = FindMetaGroup(AddMetaGroupLocked(name, 0, true));
        MContact* meta = FindMetaContactOfContact(contactId);
        if (meta != nullptr && metaGroup != nullptr)
            PostRequest(ContactListRequest::MoveMetaContact, NewArg(meta->id), NewArg(metaGroup->id));
        // The plug-in is asked into a status of the model's own, never into
        // the contact, which other threads read under the lock.
        Protocols::ContactStatusInfo fresh;
        bool answered = false;
        WithoutLock([&] {
            if (Protocols::CProtocolsManager* manager = ProtocolsManager())
                answered = manager->GetContactStatus(accountId, contactId, &fresh);
        });
        contact = FindListedContact(contactId);
        if (contact == nullptr)
            return;
        if (answered)
            contact->status = fresh;
    }
    Raise(ContactListEvent::ContactAdded, NewArg(contactId), NewArg(StatusPair(contact->groupId, contact->status)));
}

}  // namespace CL
