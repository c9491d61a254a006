// The queued changes of the meta tree, carried out on the model's own
// thread: removing meta contacts and meta groups, moving meta contacts
// between meta groups and contacts between meta contacts, clearing the tree.

#include "CContactListImpl.h"

#include "CContactListImplShared.h"
#include "CProtocolsManager.h"

#include <utility>
#include <vector>

namespace CL {

using namespace Detail;

namespace {
using StatusPair = CYolPair<unsigned int, Protocols::ContactStatusInfo>;
}

void CContactListImpl::RemoveMetaContactNow(unsigned int metaContactId, bool askAccounts) {
    MContact* meta = FindMetaContact(metaContactId);
    if (meta == nullptr)
        return;
    if (CountResolved(*meta) > 0) {
        RaiseSync(ContactListEvent::MetaContactRemoved, NewArg(metaContactId), NewArg(meta->metaGroupId));
        meta = FindMetaContact(metaContactId);
        if (meta == nullptr)
            return;
    }
    std::vector<std::pair<unsigned int, unsigned int>> doomed;  // account, contact
    if (askAccounts) {
        for (const MContactSubContact& sub : meta->subContacts)
            if (sub.contact != nullptr)
                if (ItemEntry* entry = items.Find(sub.contact->id))
                    doomed.emplace_back(entry->accountId, sub.contact->id);
        // The user deleted it: the server's copy goes too, or it would come
        // back at the next start as a meta contact nobody can see. (A meta
        // group's removal takes its meta contacts with it on the server.)
        if (MServerStoreLink* store = meta->metaGroupId != 0 ? Store() : nullptr)
            store->MetaDeleted(clientId, meta->number);
    }
    DestroyMetaContact(metaContactId);
    if (doomed.empty())
        return;
    // The contacts themselves leave when their plug-ins report them gone.
    WithoutLock([&] {
        if (Protocols::CProtocolsManager* manager = ProtocolsManager())
            for (const auto& [account, contact] : doomed)
                manager->DeleteContact(account, contact);
    });
}

void CContactListImpl::RemoveMetaGroupNow(unsigned int metaGroupId) {
    // The default meta group stays: contacts outside groups are filed there.
    if (metaGroupId == 0)
        return;
    for (;;) {
        MGroup* group = FindMetaGroup(metaGroupId);
        if (group == nullptr)
            return;
        if (group->contacts.IsEmpty())
            break;
        RemoveMetaContactNow(FirstKey(group->contacts), false);
    }
    Raise(ContactListEvent::MetaGroupRemoved, NewArg(metaGroupId));
    metaGroups.Erase(metaGroupId);
    MarkChanged();
}

void CContactListImpl::ClearMetaContactsNow(bool withEvents) {
    // The default meta group is emptied but kept: without it every contact
    // outside groups would be filed into a new meta group of an empty name.
    for (;;) {
        MGroup* defaultGroup = FindMetaGroup(0);
        if (defaultGroup == nullptr || defaultGroup->contacts.IsEmpty())
            break;
        unsigned int metaId = FirstKey(defaultGroup->contacts);
        if (withEvents)
            RemoveMetaContactNow(metaId, false);
        else
            DestroyMetaContact(metaId);
    }
    for (;;) {
        unsigned int groupId = 0;
        for (auto [id, group] : metaGroups) {
            (void)group;
            if (id != 0) {
                groupId = id;
                break;
            }
        }
        if (groupId == 0)
            break;
        if (withEvents) {
            RemoveMetaGroupNow(groupId);
            continue;
        }
        MGroup* group = FindMetaGroup(groupId);
        while (!group->contacts.IsEmpty())
            DestroyMetaContact(FirstKey(group->contacts));
        metaGroups.Erase(groupId);
    }
    if (FindMetaGroup(0) == nullptr)
        metaGroups.Insert(0u, std::make_unique<MGroup>());
    MarkChanged();
}

void CContactListImpl::MoveMetaContactNow(unsigned int metaContactId, unsigned int metaGroupId) {
    MContact* meta = FindMetaContact(metaContactId);
    if (meta == nullptr || FindMetaGroup(metaGroupId) == nullptr || meta->metaGroupId == metaGroupId ||
        FindMetaGroup(meta->metaGroupId) == nullptr)
        return;
    unsigned int oldGroupId = meta->metaGroupId;
    // A meta contact nobody sees is moved without being shown.
    bool visible = CountResolved(*meta) > 0;
    if (visible) {
        RaiseSync(ContactListEvent::MetaContactRemoved, NewArg(metaContactId), NewArg(oldGroupId));
        meta = FindMetaContact(metaContactId);
        if (meta == nullptr)
            return;
    }
    MGroup* from = FindMetaGroup(meta->metaGroupId);
    MGroup* to = FindMetaGroup(metaGroupId);
    if (to == nullptr || from == nullptr || meta->metaGroupId == metaGroupId) {
        // The target went while the lock was given up: it stays, shown again.
        if (visible)
            Raise(ContactListEvent::MetaContactAdded, NewArg(metaContactId),
                  NewArg(StatusPair(meta->metaGroupId, GetMergedStatus(*meta))));
        return;
    }
    oldGroupId = meta->metaGroupId;
    std::unique_ptr<MContact> owned = std::move(*from->contacts.Find(metaContactId));
    from->contacts.Erase(metaContactId);
    to->contacts.Insert(metaContactId, std::move(owned));
    meta->metaGroupId = metaGroupId;
    if (visible)
        Raise(ContactListEvent::MetaContactAdded, NewArg(metaContactId),
              NewArg(StatusPair(metaGroupId, GetMergedStatus(*meta))));
    MarkChanged();

    MServerStoreLink* store = Store();
    if (store == nullptr)
        return;
    CYolString groupName = ValueString(*to, kLoginName);
    if (oldGroupId != 0) {
        // Into the default meta group, which the server does not hold.
        if (metaGroupId == 0)
            store->MetaDeleted(clientId, meta->number);
        else
            store->MetaMoved(clientId, meta->number, groupName);
        return;
    }
    store->MetaAdded(clientId, meta->number, groupName, ValueString(*meta, kLoginName));
    for (int i = 0; i < meta->subContacts.Count(); ++i)
        store->SubAdded(clientId, meta->number, groupName, static_cast<unsigned int>(i), meta->subContacts[i].login,
                        meta->subContacts[i].accountKey);
}

void CContactListImpl::MoveContactToMetaContactNow(unsigned int contactId, unsigned int targetId) {
    Contact* contact = FindListedContact(contactId);
    if (contact == nullptr)
        return;
    bool toMeta = IsMetaContactId(targetId);
    if (toMeta ? FindMetaContact(targetId) == nullptr : FindMetaGroup(targetId) == nullptr)
        return;
    MContact* old = FindMetaContactOfContact(contactId);
    // Moving a contact to where it already is would take it out and might
    // destroy the very meta contact it is to go back into.
    if (old != nullptr && old->id == targetId)
        return;
    unsigned int accountId = items.Find(contactId)->accountId;

    MContactSubContact kept{contact, CYolString(), ValueString(*contact, kLoginName)};
    bool haveKept = false;
    if (old != nullptr) {
        MServerStoreLink* store = old->metaGroupId != 0 ? Store() : nullptr;
        for (int index = 0; index < old->subContacts.Count();) {
            if (old->subContacts[index].contact != contact) {
                ++index;
                continue;
            }
            if (!haveKept) {
                kept = old->subContacts[index];
                haveKept = true;
            }
            if (store != nullptr) {
                const MContactSubContact& gone = old->subContacts[index];
                store->SubDeleted(clientId, old->number, static_cast<unsigned int>(index), gone.login,
                                  gone.accountKey);
                for (int later = index + 1; later < old->subContacts.Count(); ++later)
                    store->SubMoved(clientId, old->number, static_cast<unsigned int>(later - 1),
                                    static_cast<unsigned int>(later), old->subContacts[later].login,
                                    old->subContacts[later].accountKey);
            }
            RemoveSubEntry(*old, index);
        }
        contactMeta.Erase(contactId);
        MarkChanged();
        if (CountResolved(*old) > 0) {
            Raise(ContactListEvent::MetaContactStatusChanged, NewArg(old->id), NewArg(GetMergedStatus(*old)));
        } else {
            unsigned int oldId = old->id;
            RaiseSync(ContactListEvent::MetaContactRemoved, NewArg(oldId), NewArg(old->metaGroupId));
            old = FindMetaContact(oldId);
            if (old != nullptr && old->subContacts.Count() == 0 && old->metaGroupId != 0) {
                if (MServerStoreLink* oldStore = Store())
                    oldStore->MetaDeleted(clientId, old->number);
                DestroyMetaContact(oldId);
            }
            // The lock was given up: the contact may be gone or filed anew.
            contact = FindListedContact(contactId);
            if (contact == nullptr || contactMeta.Contains(contactId))
                return;
        }
    }
    kept.contact = contact;
    if (!haveKept) {
        // Never filed: its account key is asked for without the lock.
        WithoutLock([&] { kept.accountKey = AccountKeyOf(accountId); });
        contact = FindListedContact(contactId);
        if (contact == nullptr || contactMeta.Contains(contactId))
            return;
        kept.contact = contact;
        kept.login = ValueString(*contact, kLoginName);
    }

    MContact* target = toMeta ? FindMetaContact(targetId) : nullptr;
    if (target == nullptr) {
        MGroup* group = toMeta ? nullptr : FindMetaGroup(targetId);
        // A target that went meanwhile: the contact is filed as it would be
        // when it is added, so it never ends up outside the meta tree.
        if (group == nullptr) {
            FileContact(*contact, kept.accountKey);
            return;
        }
        FileIntoNewMetaContact(*contact, *group, kept.accountKey);
        return;
    }
    int before = CountResolved(*target);
    Protocols::ContactStatusInfo previous = GetMergedStatus(*target);
    AddSubEntry(*target, kept);
    MarkChanged();
    if (target->metaGroupId != 0)
        if (MGroup* group = FindMetaGroup(target->metaGroupId))
            if (MServerStoreLink* store = Store())
                store->SubAdded(clientId, target->number, ValueString(*group, kLoginName),
                                static_cast<unsigned int>(target->subContacts.Count() - 1), kept.login,
                                kept.accountKey);
    Protocols::ContactStatusInfo merged = GetMergedStatus(*target);
    if (before == 0)
        Raise(ContactListEvent::MetaContactAdded, NewArg(target->id),
              NewArg(StatusPair(target->metaGroupId, std::move(merged))));
    else if (before == 1 || !SameStatus(previous, merged))
        Raise(ContactListEvent::MetaContactStatusChanged, NewArg(target->id), NewArg(std::move(merged)));
}

}  // namespace CL
