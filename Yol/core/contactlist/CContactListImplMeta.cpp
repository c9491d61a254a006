// Meta groups and meta contacts: creation, the indexes over them, merged
// status, filing contacts into meta contacts and taking them out again.

#include "CContactListImpl.h"

#include "CContactListImplShared.h"

#include <algorithm>
#include <tuple>

namespace CL {

using namespace Detail;

namespace {

bool SameIcons(const CYolArray<CYolArray<unsigned int>>& a, const CYolArray<CYolArray<unsigned int>>& b) {
    if (a.Count() != b.Count())
        return false;
    for (int i = 0; i < a.Count(); ++i)
        if (!std::equal(a[i].begin(), a[i].end(), b[i].begin(), b[i].end()))
            return false;
    return true;
}

using StatusPair = CYolPair<unsigned int, Protocols::ContactStatusInfo>;

}  // namespace

// ------------------------------------------------------------- look-ups

CContactListImpl::MGroup* CContactListImpl::FindMetaGroup(unsigned int id) {
    if (id != 0 && !IsMetaGroupId(id))
        return nullptr;
    std::unique_ptr<MGroup>* group = metaGroups.Find(id);
    return group != nullptr ? group->get() : nullptr;
}

CContactListImpl::MGroup* CContactListImpl::FindMetaGroupByName(const CYolString& name) {
    // Meta groups are few; the walk keeps the first in id order, and a meta
    // group without an alias (the default one) answers to the empty name.
    for (auto [id, group] : metaGroups) {
        (void)id;
        if (ValueString(*group, kAliasName).Compare(name) == 0)
            return group.get();
    }
    return nullptr;
}

CContactListImpl::MContact* CContactListImpl::FindMetaContact(unsigned int id) {
    if (!IsMetaContactId(id))
        return nullptr;
    MContact** meta = metaContactIndex.Find(id);
    return meta != nullptr ? *meta : nullptr;
}

CContactListImpl::MContact* CContactListImpl::FindMetaContactOfContact(unsigned int contactId) {
    unsigned int* metaId = contactMeta.Find(contactId);
    return metaId != nullptr ? FindMetaContact(*metaId) : nullptr;
}

CContactListImpl::MContact* CContactListImpl::FindMetaContactBySub(const CYolString& accountKey,
                                                                   const CYolString& login) {
    auto holders = subIndex.find(SubKey(accountKey, login));
    if (holders == subIndex.end())
        return nullptr;
    // The first in the walk order of the meta tree: meta groups by id, then
    // their meta contacts by id.
    MContact* best = nullptr;
    for (const auto& [metaId, count] : holders->second) {
        (void)count;
        MContact* meta = FindMetaContact(metaId);
        if (meta == nullptr)
            continue;
        bool waiting = false;
        for (const MContactSubContact& sub : meta->subContacts)
            waiting = waiting || (sub.contact == nullptr && sub.accountKey == accountKey && sub.login == login);
        if (!waiting)
            continue;
        if (best == nullptr || std::tie(meta->metaGroupId, meta->id) < std::tie(best->metaGroupId, best->id))
            best = meta;
    }
    return best;
}

CContactListImpl::MContact* CContactListImpl::FindMetaContactByNumber(unsigned int number) {
    if (numberUse.find(number) == numberUse.end())
        return nullptr;
    for (auto [groupId, group] : metaGroups) {
        (void)groupId;
        for (auto [metaId, meta] : group->contacts) {
            (void)metaId;
            if (meta->number == number)
                return meta.get();
        }
    }
    return nullptr;
}

unsigned int CContactListImpl::NextMetaNumber() {
    while (numberUse.find(lowestFreeNumber) != numberUse.end())
        ++lowestFreeNumber;
    return lowestFreeNumber;
}

bool CContactListImpl::SameStatus(const Protocols::ContactStatusInfo& a, const Protocols::ContactStatusInfo& b) {
    return a.status == b.status && a.text == b.text && SameIcons(a.icons, b.icons) &&
           SameIcons(a.extraIcons, b.extraIcons);
}

int CContactListImpl::CountResolved(const MContact& meta) {
    int resolved = 0;
    for (const MContactSubContact& sub : meta.subContacts)
        resolved += sub.contact != nullptr ? 1 : 0;
    return resolved;
}

// ------------------------------------------------------- sub-contacts

void CContactListImpl::AddSubEntry(MContact& meta, const MContactSubContact& entry) {
    meta.subContacts.Add(entry);
    ++subIndex[SubKey(entry.accountKey, entry.login)][meta.id];
    if (entry.contact != nullptr) {
        contactMeta.Erase(entry.contact->id);
        contactMeta.Insert(entry.contact->id, meta.id);
    }
}

void CContactListImpl::RemoveSubEntry(MContact& meta, int index) {
    MContactSubContact entry = meta.subContacts[index];
    meta.subContacts.RemoveAt(index);
    auto holders = subIndex.find(SubKey(entry.accountKey, entry.login));
    if (holders != subIndex.end()) {
        auto held = holders->second.find(meta.id);
        if (held != holders->second.end() && --held->second <= 0)
            holders->second.erase(held);
        if (holders->second.empty())
            subIndex.erase(holders);
    }
    if (entry.contact == nullptr)
        return;
    for (const MContactSubContact& other : meta.subContacts)
        if (other.contact == entry.contact)
            return;
    contactMeta.Erase(entry.contact->id);
}

void CContactListImpl::Resolve(MContact& meta, int index, Contact* contact) {
    Contact* previous = meta.subContacts[index].contact;
    meta.subContacts[index].contact = contact;
    if (previous != nullptr && previous != contact) {
        bool stillHeld = false;
        for (const MContactSubContact& other : meta.subContacts)
            stillHeld = stillHeld || other.contact == previous;
        if (!stillHeld)
            contactMeta.Erase(previous->id);
    }
    contactMeta.Erase(contact->id);
    contactMeta.Insert(contact->id, meta.id);
}

// --------------------------------------------------------- merged status

Protocols::ContactStatusInfo CContactListImpl::GetMergedStatus(const MContact& meta) const {
    Protocols::ContactStatusInfo merged;
    int resolved = 0;
    bool connected = false;
    for (const MContactSubContact& sub : meta.subContacts) {
        if (sub.contact == nullptr)
            continue;
        if (++resolved == 1)
            merged = sub.contact->status;
        if (!connected && sub.contact->status.status > Protocols::Connecting) {
            merged = sub.contact->status;
            connected = true;
        }
    }
    if (resolved > 1) {
        std::lock_guard<std::mutex> guard(statusList->mutex);
        const CYolArray<Protocols::StatusInfo>& list = statusList->list;
        if (list.Count() > 0) {
            int index;
            if (meta.metaGroupId != 0)
                index = std::min<unsigned int>(merged.status, static_cast<unsigned int>(list.Count() - 1));
            else
                index = list.Count() > 1 ? 1 : 0;
            if (merged.icons.Count() == 0)
                merged.icons.Add(list[index].icon);
            else
                merged.icons[0] = list[index].icon;
        }
    }
    return merged;
}

unsigned int CContactListImpl::ChooseSubContact(unsigned int metaContactId) {
    MContact* meta = FindMetaContact(metaContactId);
    if (meta == nullptr)
        return 0;
    const MContactSubContact* first = nullptr;
    for (const MContactSubContact& sub : meta->subContacts) {
        if (sub.contact == nullptr)
            continue;
        if (sub.contact->status.status > Protocols::Connecting)
            return sub.contact->id;
        if (first == nullptr)
            first = &sub;
    }
    return first != nullptr ? first->contact->id : 0;
}

// ---------------------------------------------------------- meta groups

unsigned int CContactListImpl::AddMetaGroup(const CYolString& name, unsigned int neighbourMetaGroupId, bool setOrder) {
    Locked held(*this);
    return AddMetaGroupLocked(name, neighbourMetaGroupId, setOrder);
}

unsigned int CContactListImpl::AddMetaGroupLocked(const CYolString& name, unsigned int neighbourId, bool setOrder) {
    // An existing name creates nothing and announces nothing.
    if (FindMetaGroupByName(name) != nullptr || !IsMetaGroupId(nextMetaGroupId))
        return 0;
    try {
        auto group = std::make_unique<MGroup>();
        MGroup* added = group.get();
        unsigned int id = group->id = nextMetaGroupId;
        SetValueString(*group, kLoginName, name);
        SetValueString(*group, kAliasName, name);
        if (!metaGroups.Insert(id, std::move(group)).second)
            return 0;
        ++nextMetaGroupId;
        if (setOrder) {
            CYolString after = PlaceMetaGroup(*added, neighbourId);
            if (MServerStoreLink* store = Store())
                store->GroupAdded(clientId, name, after);
        }
        Raise(ContactListEvent::MetaGroupAdded, NewArg(id));
        MarkChanged();
        return id;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

CYolString CContactListImpl::PlaceMetaGroup(MGroup& added, unsigned int neighbourId) {
    // The window orders meta groups by this index. A new meta group takes
    // the neighbour's place and everything from there moves down one, so
    // no two meta groups share a place; without a placed neighbour it goes
    // last. The store is given the meta group it now stands after.
    MGroup* neighbour = neighbourId != 0 ? FindMetaGroup(neighbourId) : nullptr;
    unsigned int place = 0;
    bool beforeNeighbour = neighbour != nullptr && neighbour != &added && ValueDword(*neighbour, kGroupIndexName, place);

    MGroup* after = nullptr;
    unsigned int afterIndex = 0;
    unsigned int last = 0;
    bool anyPlaced = false;
    for (auto [id, group] : metaGroups) {
        (void)id;
        unsigned int index = 0;
        if (group.get() == &added || !ValueDword(*group, kGroupIndexName, index))
            continue;
        last = anyPlaced ? std::max(last, index) : index;
        anyPlaced = true;
        bool candidate = beforeNeighbour ? index < place : true;
        if (candidate && (after == nullptr || index >= afterIndex)) {
            after = group.get();
            afterIndex = index;
        }
    }
    if (beforeNeighbour) {
        for (auto [id, group] : metaGroups) {
            (void)id;
            unsigned int index = 0;
            if (group.get() != &added && ValueDword(*group, kGroupIndexName, index) && index >= place)
                SetValueDword(*group, kGroupIndexName, index + 1);
        }
        SetValueDword(added, kGroupIndexName, place);
    } else {
        SetValueDword(added, kGroupIndexName, anyPlaced ? last + 1 : 1);
    }
    return after != nullptr ? ValueString(*after, kLoginName) : CYolString();
}

void CContactListImpl::NotifyMetaGroupChanged(unsigned int metaGroupId) {
    Locked held(*this);
    if (FindMetaGroup(metaGroupId) != nullptr)
        Raise(ContactListEvent::MetaGroupChanged, NewArg(metaGroupId));
}

void CContactListImpl::RenameMetaGroup(unsigned int metaGroupId, const CYolString& name) {
    Locked held(*this);
    MGroup* group = FindMetaGroup(metaGroupId);
    // The default meta group keeps its empty name (contacts outside groups
    // are filed by it), and two meta groups never share a name.
    if (group == nullptr || metaGroupId == 0)
        return;
    MGroup* namesake = FindMetaGroupByName(name);
    if (namesake != nullptr && namesake != group)
        return;
    if (MServerStoreLink* store = Store())
        store->GroupRenamed(clientId, ValueString(*group, kLoginName), name);
    SetValueString(*group, kLoginName, name);
    SetValueString(*group, kAliasName, name);
    Raise(ContactListEvent::MetaGroupChanged, NewArg(metaGroupId));
    MarkChanged();
}

void CContactListImpl::RemoveMetaGroup(unsigned int metaGroupId) {
    Locked held(*this);
    MGroup* group = FindMetaGroup(metaGroupId);
    if (group == nullptr || metaGroupId == 0)
        return;
    if (MServerStoreLink* store = Store())
        store->GroupDeleted(clientId, ValueString(*group, kLoginName));
    PostRequest(ContactListRequest::RemoveMetaGroup, NewArg(metaGroupId));
}

bool CContactListImpl::IsMetaGroup(unsigned int id) { return IsMetaGroupId(id); }
bool CContactListImpl::IsMetaContact(unsigned int id) { return IsMetaContactId(id); }

// -------------------------------------------------------- meta contacts

unsigned int CContactListImpl::AddMetaContact(unsigned int metaGroupId, unsigned int number, const CYolString& name,
                                              const CYolString& login, const CYolString& accountKey) {
    Locked held(*this);
    return AddMetaContactLocked(metaGroupId, number, name, login, accountKey);
}

unsigned int CContactListImpl::AddMetaContactLocked(unsigned int metaGroupId, unsigned int number,
                                                    const CYolString& name, const CYolString& login,
                                                    const CYolString& accountKey) {
    MGroup* group = FindMetaGroup(metaGroupId);
    if (group == nullptr || !IsMetaContactId(nextMetaContactId))
        return 0;
    try {
        auto meta = std::make_unique<MContact>();
        MContact* added = meta.get();
        unsigned int id = meta->id = nextMetaContactId;
        meta->metaGroupId = metaGroupId;
        meta->number = number;
        SetValueString(*meta, kLoginName, name);
        SetValueString(*meta, kAliasName, name);
        if (!group->contacts.Insert(id, std::move(meta)).second)
            return 0;
        ++nextMetaContactId;
        metaContactIndex.Insert(id, added);
        ++numberUse[number];
        AddSubEntry(*added, MContactSubContact{nullptr, accountKey, login});
        MarkChanged();
        return id;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

bool CContactListImpl::AddMetaSubContact(unsigned int metaContactId, const CYolString& login,
                                         const CYolString& accountKey) {
    Locked held(*this);
    MContact* meta = FindMetaContact(metaContactId);
    if (meta == nullptr)
        return false;
    AddSubEntry(*meta, MContactSubContact{nullptr, accountKey, login});
    MarkChanged();
    return true;
}

void CContactListImpl::GetMetaSubContacts(unsigned int metaContactId, CYolArray<unsigned int>& out) {
    Locked held(*this);
    if (MContact* meta = FindMetaContact(metaContactId))
        for (const MContactSubContact& sub : meta->subContacts)
            if (sub.contact != nullptr)
                out.Add(sub.contact->id);
}

void CContactListImpl::RenameMetaContact(unsigned int metaContactId, const CYolString& name) {
    Locked held(*this);
    MContact* meta = FindMetaContact(metaContactId);
    if (meta == nullptr)
        return;
    SetValueString(*meta, kLoginName, name);
    SetValueString(*meta, kAliasName, name);
    Raise(ContactListEvent::MetaContactChanged, NewArg(metaContactId));
    // The server never holds the default meta group's meta contacts.
    if (MServerStoreLink* store = meta->metaGroupId != 0 ? Store() : nullptr)
        store->MetaRenamed(clientId, meta->number, name);
    MarkChanged();
}

void CContactListImpl::DestroyMetaContact(unsigned int metaContactId) {
    MContact* meta = FindMetaContact(metaContactId);
    if (meta == nullptr)
        return;
    while (meta->subContacts.Count() > 0)
        RemoveSubEntry(*meta, meta->subContacts.Count() - 1);
    auto use = numberUse.find(meta->number);
    if (use != numberUse.end() && --use->second <= 0) {
        numberUse.erase(use);
        if (meta->number != 0 && meta->number < lowestFreeNumber)
            lowestFreeNumber = meta->number;
    }
    metaContactIndex.Erase(metaContactId);
    if (MGroup* group = FindMetaGroup(meta->metaGroupId))
        group->contacts.Erase(metaContactId);
    MarkChanged();
}

// ------------------------------------------------------------------ filing

void CContactListImpl::FileContact(Contact& contact, const CYolString& accountKey) {
    CYolString login = ValueString(contact, kLoginName);
    // A meta contact still waiting for a contact of these strings; a second
    // contact with the same login on the account (a buddy listed in two
    // groups) does not take the entries of the first.
    if (MContact* meta = FindMetaContactBySub(accountKey, login)) {
        unsigned int metaId = meta->id;
        for (int i = 0; i < meta->subContacts.Count(); ++i) {
            const MContactSubContact& sub = meta->subContacts[i];
            if (sub.contact != nullptr || sub.accountKey != accountKey || sub.login != login)
                continue;
            Protocols::ContactStatusInfo before = GetMergedStatus(*meta);
            Resolve(*meta, i, &contact);
            int resolved = CountResolved(*meta);
            if (resolved == 1) {
                Raise(ContactListEvent::MetaContactAdded, NewArg(metaId),
                      NewArg(StatusPair(meta->metaGroupId, GetMergedStatus(*meta))));
            } else if (resolved == 2) {
                Raise(ContactListEvent::MetaContactStatusChanged, NewArg(metaId), NewArg(GetMergedStatus(*meta)));
            } else {
                // Past the second sub-contact the merged status is announced
                // only when it changed, so the window never shows a stale one.
                Protocols::ContactStatusInfo after = GetMergedStatus(*meta);
                if (!SameStatus(before, after))
                    Raise(ContactListEvent::MetaContactStatusChanged, NewArg(metaId), NewArg(std::move(after)));
            }
        }
        MarkChanged();
        return;
    }

    CYolString groupName;
    if (contact.groupId != 0)
        if (Group* group = FindGroup(contact.groupId))
            groupName = ValueString(*group, kLoginName);
    MGroup* metaGroup = FindMetaGroupByName(groupName);
    if (metaGroup == nullptr)
        metaGroup = FindMetaGroup(AddMetaGroupLocked(groupName, 0, true));
    if (metaGroup != nullptr)
        FileIntoNewMetaContact(contact, *metaGroup, accountKey);
}

CContactListImpl::MContact* CContactListImpl::FileIntoNewMetaContact(Contact& contact, MGroup& group,
                                                                     const CYolString& accountKey) {
    if (!IsMetaContactId(nextMetaContactId))
        return nullptr;
    CYolString login = ValueString(contact, kLoginName);
    CYolString name = ValueString(contact, kAliasName);
    CYolString groupName = ValueString(group, kLoginName);
    MContact* added = nullptr;
    try {
        auto meta = std::make_unique<MContact>();
        added = meta.get();
        meta->id = nextMetaContactId;
        meta->metaGroupId = group.id;
        meta->number = NextMetaNumber();
        SetValueString(*meta, kLoginName, name);
        SetValueString(*meta, kAliasName, name);
        if (!group.contacts.Insert(added->id, std::move(meta)).second)
            return nullptr;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    ++nextMetaContactId;
    metaContactIndex.Insert(added->id, added);
    ++numberUse[added->number];

    MServerStoreLink* store = group.id != 0 ? Store() : nullptr;
    if (store != nullptr)
        store->MetaAdded(clientId, added->number, groupName, name);
    AddSubEntry(*added, MContactSubContact{&contact, accountKey, login});
    if (store != nullptr)
        store->SubAdded(clientId, added->number, groupName, static_cast<unsigned int>(added->subContacts.Count() - 1),
                        login, accountKey);
    Raise(ContactListEvent::MetaContactAdded, NewArg(added->id),
          NewArg(StatusPair(group.id, GetMergedStatus(*added))));
    MarkChanged();
    return added;
}

void CContactListImpl::LeaveMetaContact(unsigned int contactId) {
    MContact* meta = FindMetaContactOfContact(contactId);
    if (meta == nullptr) {
        contactMeta.Erase(contactId);
        return;
    }
    unsigned int metaId = meta->id;
    unsigned int metaGroupId = meta->metaGroupId;
    for (int i = 0; i < meta->subContacts.Count();) {
        const MContactSubContact& sub = meta->subContacts[i];
        if (sub.contact != nullptr && sub.contact->id == contactId)
            RemoveSubEntry(*meta, i);  // the next entry moved into this place
        else
            ++i;
    }
    contactMeta.Erase(contactId);
    MarkChanged();
    if (CountResolved(*meta) > 0) {
        Raise(ContactListEvent::MetaContactStatusChanged, NewArg(metaId), NewArg(GetMergedStatus(*meta)));
        return;
    }
    RaiseSync(ContactListEvent::MetaContactRemoved, NewArg(metaId), NewArg(metaGroupId));
    // Looked up again: the lock was given up for the broadcast.
    meta = FindMetaContact(metaId);
    if (meta != nullptr && meta->subContacts.Count() == 0 && meta->metaGroupId != 0)
        DestroyMetaContact(metaId);
}

}  // namespace CL
