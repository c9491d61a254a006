// Groups, contacts and temporary contacts; the items' named values; the
// enumerations and the item keys.

#include "CContactListImpl.h"

#include "CContactListImplShared.h"
#include "CProtocolsManager.h"

#include <cstring>
#include <new>

namespace CL {

using namespace Detail;


// --------------------------------------------------------------- look-ups

CContactListImpl::ItemEntry* CContactListImpl::FindGroupOrContact(unsigned int id) {
    if (IsGroupId(id))
        return items.Find(id);
    if (!IsContactId(id))
        return nullptr;
    if (ItemEntry* entry = items.Find(id))
        return entry;
    return tempContacts.Find(id);
}

CContactListImpl::CLItem* CContactListImpl::FindItem(unsigned int id) {
    if (id == 0 || IsMetaGroupId(id))
        return FindMetaGroup(id);
    if (IsMetaContactId(id))
        return FindMetaContact(id);
    ItemEntry* entry = FindGroupOrContact(id);
    return entry != nullptr ? entry->item.get() : nullptr;
}

CContactListImpl::Contact* CContactListImpl::FindListedContact(unsigned int id) {
    if (!IsContactId(id))
        return nullptr;
    ItemEntry* entry = items.Find(id);
    return entry != nullptr ? static_cast<Contact*>(entry->item.get()) : nullptr;
}

CContactListImpl::Group* CContactListImpl::FindGroup(unsigned int id, unsigned int* accountId) {
    if (!IsGroupId(id))
        return nullptr;
    ItemEntry* entry = items.Find(id);
    if (entry == nullptr)
        return nullptr;
    if (accountId != nullptr)
        *accountId = entry->accountId;
    return static_cast<Group*>(entry->item.get());
}

CContactListImpl::ItemEntry* CContactListImpl::FindContactByLogin(unsigned int accountId, const CYolString& login,
                                                                  bool withTemporary) {
    ItemEntry* found = nullptr;
    if (AccountEntry* account = accounts.Find(accountId)) {
        // Contacts outside groups first, then group by group; the last match
        // of the walk wins.
        for (auto [id, unused] : account->topLevel) {
            (void)unused;
            ItemEntry* entry = IsContactId(id) ? items.Find(id) : nullptr;
            if (entry != nullptr && !IsRetired(*entry) && ValueString(*entry->item, kLoginName) == login)
                found = entry;
        }
        for (auto [id, unused] : account->topLevel) {
            (void)unused;
            Group* group = FindGroup(id);
            if (group == nullptr || IsRetiredItem(id))
                continue;
            for (auto [contactId, contact] : group->contacts) {
                ItemEntry* entry = items.Find(contactId);
                if (entry != nullptr && !IsRetired(*entry) && ValueString(*contact, kLoginName) == login)
                    found = entry;
            }
        }
    }
    if (found != nullptr || !withTemporary)
        return found;
    // Only the account's own strangers: a stranger of another account with
    // the same login is another person, and a reply must leave through the
    // account the message came in on.
    for (auto [id, entry] : tempContacts) {
        (void)id;
        if (entry.accountId == accountId && ValueString(*entry.item, kLoginName) == login)
            found = &entry;
    }
    return found;
}

bool CContactListImpl::IsRetired(const ItemEntry& entry) {
    const AccountEntry* account = accounts.Find(entry.accountId);
    return account != nullptr && entry.generation < account->generation;
}

bool CContactListImpl::IsRetiredItem(unsigned int id) {
    const ItemEntry* entry = items.Find(id);
    return entry != nullptr && IsRetired(*entry);
}

// ------------------------------------------------------------- creation

unsigned int CContactListImpl::AddGroup(unsigned int accountId) {
    Locked held(*this);
    return AddGroupLocked(accountId);
}

unsigned int CContactListImpl::AddGroupLocked(unsigned int accountId) {
    AccountEntry* account = accounts.Find(accountId);
    if (account == nullptr || !IsGroupId(nextGroupId))
        return 0;
    try {
        auto group = std::make_unique<Group>();
        unsigned int id = group->id = nextGroupId;
        if (!items.Insert(id, ItemEntry{accountId, std::move(group), account->generation}).second)
            return 0;
        ++nextGroupId;
        account->topLevel.Insert(id, true);
        MarkChanged();
        return id;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

unsigned int CContactListImpl::AddContact(unsigned int accountId, unsigned int groupId) {
    Locked held(*this);
    return AddContactLocked(accountId, groupId);
}

unsigned int CContactListImpl::AddContactLocked(unsigned int accountId, unsigned int groupId) {
    Group* group = nullptr;
    if (groupId != 0) {
        // The group must be one of the same account: a contact filed under a
        // group of another account would be cached, removed and counted with
        // that account.
        unsigned int groupAccount = 0;
        // A retired group is on its way out and would take the contact along.
        group = FindGroup(groupId, &groupAccount);
        if (group == nullptr || groupAccount == 0 || groupAccount != accountId || IsRetiredItem(groupId))
            return 0;
    }
    if (!IsContactId(nextContactId))
        return 0;
    try {
        AccountEntry* account = accounts.Find(accountId);
        auto contact = std::make_unique<Contact>();
        Contact* raw = contact.get();
        unsigned int id = contact->id = nextContactId;
        contact->groupId = groupId;
        const unsigned int generation = account != nullptr ? account->generation : 0;
        if (!items.Insert(id, ItemEntry{accountId, std::move(contact), generation}).second)
            return 0;
        ++nextContactId;
        if (group != nullptr)
            group->contacts.Insert(id, raw);
        else if (account != nullptr)
            account->topLevel.Insert(id, true);
        MarkChanged();
        return id;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

unsigned int CContactListImpl::FindOrAddTempContact(unsigned int accountId, const CYolString& login) {
    Locked held(*this);
    if (ItemEntry* entry = FindContactByLogin(accountId, login, true))
        return entry->item->id;
    if (!IsContactId(nextContactId))
        return 0;
    try {
        auto contact = std::make_unique<Contact>();
        unsigned int id = contact->id = nextContactId;
        SetValueString(*contact, kLoginName, login);
        if (!tempContacts.Insert(id, ItemEntry{accountId, std::move(contact)}).second)
            return 0;
        ++nextContactId;
        return id;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

void CContactListImpl::RemoveTempContact(unsigned int contactId) {
    Locked held(*this);
    tempContacts.Erase(contactId);
}

void CContactListImpl::RemoveAccountTempContacts(unsigned int accountId) {
    Locked held(*this);
    std::vector<unsigned int> doomed;
    for (auto [id, entry] : tempContacts)
        if (entry.accountId == accountId)
            doomed.push_back(id);
    for (unsigned int id : doomed)
        tempContacts.Erase(id);
}

bool CContactListImpl::IsTempContact(unsigned int contactId) {
    Locked held(*this);
    return IsContactId(contactId) && tempContacts.Contains(contactId);
}

void CContactListImpl::DestroyContact(unsigned int contactId) {
    // A contact that was filed again while the lock was given up lets go of
    // its meta contact now: no meta contact may keep a freed contact.
    while (contactMeta.Contains(contactId))
        LeaveMetaContact(contactId);
    ItemEntry* entry = items.Find(contactId);
    if (entry == nullptr)
        return;
    auto* contact = static_cast<Contact*>(entry->item.get());
    if (Group* group = FindGroup(contact->groupId))
        group->contacts.Erase(contactId);
    if (AccountEntry* account = accounts.Find(entry->accountId))
        account->topLevel.Erase(contactId);
    items.Erase(contactId);
    MarkChanged();
}

// --------------------------------------------------------- notifications

void CContactListImpl::NotifyGroupAdded(unsigned int groupId) {
    Locked held(*this);
    if (FindGroupOrContact(groupId) != nullptr)
        Raise(ContactListEvent::GroupAdded, NewArg(groupId));
}

void CContactListImpl::NotifyGroupChanged(unsigned int groupId) {
    Locked held(*this);
    if (FindGroupOrContact(groupId) != nullptr)
        Raise(ContactListEvent::GroupChanged, NewArg(groupId));
}

void CContactListImpl::NotifyContactChanged(unsigned int contactId) {
    Locked held(*this);
    if (IsContactId(contactId) && FindGroupOrContact(contactId) != nullptr)
        Raise(ContactListEvent::ContactChanged, NewArg(contactId));
}

void CContactListImpl::NotifyContactAdded(unsigned int contactId, const Protocols::ContactStatusInfo& status) {
    unsigned int accountId = 0;
    bool listed = false;
    {
        Locked held(*this);
        ItemEntry* entry = IsContactId(contactId) ? FindGroupOrContact(contactId) : nullptr;
        if (entry == nullptr)
            return;
        accountId = entry->accountId;
        listed = items.Contains(contactId);
    }
    // Asked of the protocols manager without the lock.
    CYolString accountKey = listed ? AccountKeyOf(accountId) : CYolString();

    Locked held(*this);
    ItemEntry* entry = FindGroupOrContact(contactId);
    if (entry == nullptr)
        return;
    auto* contact = static_cast<Contact*>(entry->item.get());
    contact->status = status;
    Raise(ContactListEvent::ContactAdded, NewArg(contactId),
          NewArg(CYolPair<unsigned int, Protocols::ContactStatusInfo>(contact->groupId, status)));
    // Strangers are not filed: their meta contacts would be kept and sent to
    // the server. A contact already filed (reported twice) stays where it is.
    if (items.Contains(contactId) && !contactMeta.Contains(contactId))
        FileContact(*contact, accountKey);
}

void CContactListImpl::SetContactStatus(unsigned int contactId, const Protocols::ContactStatusInfo& status) {
    Locked held(*this);
    ItemEntry* entry = IsContactId(contactId) ? FindGroupOrContact(contactId) : nullptr;
    if (entry == nullptr)
        return;
    static_cast<Contact*>(entry->item.get())->status = status;
    Raise(ContactListEvent::ContactStatusChanged, NewArg(contactId), NewArg(status));
    if (MContact* meta = FindMetaContactOfContact(contactId))
        Raise(ContactListEvent::MetaContactStatusChanged, NewArg(meta->id), NewArg(GetMergedStatus(*meta)));
}

// ---------------------------------------------------------- relations

unsigned int CContactListImpl::GetParentId(unsigned int id) {
    Locked held(*this);
    if (Contact* contact = FindListedContact(id))
        return contact->groupId;
    if (MContact* meta = FindMetaContact(id))
        return meta->metaGroupId;
    return 0;
}

unsigned int CContactListImpl::GetMetaContactOf(unsigned int contactId) {
    Locked held(*this);
    MContact* meta = FindMetaContactOfContact(contactId);
    return meta != nullptr ? meta->id : 0;
}

unsigned int CContactListImpl::GetItemAccount(unsigned int id) {
    Locked held(*this);
    ItemEntry* entry = FindGroupOrContact(id);
    return entry != nullptr ? entry->accountId : 0;
}

Protocols::ContactStatusInfo& CContactListImpl::GetItemStatus(Protocols::ContactStatusInfo& out, unsigned int id) {
    Locked held(*this);
    if (ItemEntry* entry = IsContactId(id) ? FindGroupOrContact(id) : nullptr)
        out = static_cast<Contact*>(entry->item.get())->status;
    else if (MContact* meta = FindMetaContact(id))
        out = GetMergedStatus(*meta);
    else
        out = Protocols::ContactStatusInfo();
    return out;
}

// ------------------------------------------------------------- values

CYolString CContactListImpl::ValueString(const CLItem& item, const char16_t* name) {
    CYolString out;
    const Database::CRecord* record = Database::FindRecord(item.values, CYolString(name));
    if (record != nullptr && record->GetSize() != 0)
        record->GetString(out);
    return out;
}

bool CContactListImpl::ValueByte(const CLItem& item, const char16_t* name, unsigned char& out) {
    const Database::CRecord* record = Database::FindRecord(item.values, CYolString(name));
    if (record == nullptr || record->GetSize() != 1)
        return false;
    out = record->GetByte();
    return true;
}

bool CContactListImpl::ValueDword(const CLItem& item, const char16_t* name, unsigned int& out) {
    const Database::CRecord* record = Database::FindRecord(item.values, CYolString(name));
    if (record == nullptr || record->GetSize() != 4)
        return false;
    out = static_cast<unsigned int>(record->GetDword());
    return true;
}

Database::CRecord* CContactListImpl::ValueRecord(CLItem& item, const CYolString& name) {
    if (Database::CRecord* record = Database::FindRecord(item.values, name))
        return record;
    int index = Database::AddRecord(item.values, Database::CRecord(name, nullptr, 0));
    return index >= 0 ? &item.values[index] : nullptr;
}

void CContactListImpl::SetValueString(CLItem& item, const char16_t* name, const CYolString& value) {
    if (Database::CRecord* record = ValueRecord(item, CYolString(name)))
        record->SetString(value);
}

void CContactListImpl::SetValueDword(CLItem& item, const char16_t* name, unsigned int value) {
    if (Database::CRecord* record = ValueRecord(item, CYolString(name)))
        record->SetDword(value);
}

void CContactListImpl::SetValueByte(CLItem& item, const char16_t* name, unsigned char value) {
    if (Database::CRecord* record = ValueRecord(item, CYolString(name)))
        record->SetByte(value);
}

void CContactListImpl::SetValues(unsigned int id, const CYolArray<Database::CRecord>& values) {
    CLItem* item = FindItem(id);
    if (item == nullptr)
        return;
    item->values = values;
    item->values.SetGrowStep(10);
    MarkChanged();
}

template <typename Write>
void CContactListImpl::WriteValue(unsigned int id, const CYolString& name, Write&& write) {
    Locked held(*this);
    CLItem* item = FindItem(id);
    Database::CRecord* record = item != nullptr ? ValueRecord(*item, name) : nullptr;
    if (record == nullptr)
        return;
    write(*record);
    // Strangers' values are not cached.
    if (!(IsContactId(id) && tempContacts.Contains(id)))
        MarkChanged();
}

bool CContactListImpl::GetItemBlob(unsigned int id, const CYolString& name, void* buffer, unsigned int* size) {
    if (size == nullptr)
        return false;
    Locked held(*this);
    CLItem* item = FindItem(id);
    const Database::CRecord* record = item != nullptr ? Database::FindRecord(item->values, name) : nullptr;
    if (record == nullptr || *size < record->GetSize())
        return false;
    if (record->GetSize() != 0) {
        if (buffer == nullptr)
            return false;
        std::memcpy(buffer, record->GetData(), record->GetSize());
    }
    return true;
}

bool CContactListImpl::GetItemString(unsigned int id, const CYolString& name, CYolString& out) {
    Locked held(*this);
    CLItem* item = FindItem(id);
    const Database::CRecord* record = item != nullptr ? Database::FindRecord(item->values, name) : nullptr;
    if (record == nullptr || record->GetSize() == 0)
        return false;
    record->GetString(out);
    return true;
}

bool CContactListImpl::GetItemDword(unsigned int id, const CYolString& name, unsigned int* out) {
    Locked held(*this);
    CLItem* item = FindItem(id);
    const Database::CRecord* record = item != nullptr ? Database::FindRecord(item->values, name) : nullptr;
    if (out == nullptr || record == nullptr || record->GetSize() != 4)
        return false;
    *out = static_cast<unsigned int>(record->GetDword());
    return true;
}

bool CContactListImpl::GetItemWord(unsigned int id, const CYolString& name, short* out) {
    Locked held(*this);
    CLItem* item = FindItem(id);
    const Database::CRecord* record = item != nullptr ? Database::FindRecord(item->values, name) : nullptr;
    if (out == nullptr || record == nullptr || record->GetSize() != 2)
        return false;
    *out = static_cast<short>(record->GetWord());
    return true;
}

bool CContactListImpl::GetItemByte(unsigned int id, const CYolString& name, unsigned char* out) {
    Locked held(*this);
    CLItem* item = FindItem(id);
    const Database::CRecord* record = item != nullptr ? Database::FindRecord(item->values, name) : nullptr;
    if (out == nullptr || record == nullptr || record->GetSize() != 1)
        return false;
    *out = record->GetByte();
    return true;
}

void CContactListImpl::SetItemBlob(unsigned int id, const CYolString& name, const void* data,
                                   const unsigned int* size) {
    if (size == nullptr || (data == nullptr && *size != 0))
        return;
    WriteValue(id, name, [&](Database::CRecord& record) { record.SetData(data, *size); });
}

void CContactListImpl::SetItemString(unsigned int id, const CYolString& name, const CYolString& value) {
    WriteValue(id, name, [&](Database::CRecord& record) { record.SetString(value); });
}

void CContactListImpl::SetItemDword(unsigned int id, const CYolString& name, const unsigned int* value) {
    if (value != nullptr)
        WriteValue(id, name, [&](Database::CRecord& record) { record.SetDword(*value); });
}

void CContactListImpl::SetItemWord(unsigned int id, const CYolString& name, const short* value) {
    if (value != nullptr)
        WriteValue(id, name,
                   [&](Database::CRecord& record) { record.SetWord(static_cast<unsigned short>(*value)); });
}

void CContactListImpl::SetItemByte(unsigned int id, const CYolString& name, const unsigned char* value) {
    if (value != nullptr)
        WriteValue(id, name, [&](Database::CRecord& record) { record.SetByte(*value); });
}

void CContactListImpl::SetGroupOpened(unsigned int id, bool opened) {
    unsigned char value = opened ? 1 : 0;
    SetItemByte(id, CYolString(kGroupOpenedName), &value);
}

bool CContactListImpl::IsGroupOpened(unsigned int id) {
    unsigned char value = 0;
    return GetItemByte(id, CYolString(kGroupOpenedName), &value) && value != 0;
}

// -------------------------------------------------------- enumerations

bool CContactListImpl::GetAccountItems(unsigned int accountId, CYolArray<CLItemInfo>& out) {
    Locked held(*this);
    AccountEntry* account = accounts.Find(accountId);
    if (account == nullptr)
        return false;
    // Retired items are gone as far as the account is concerned.
    for (auto [id, unused] : account->topLevel) {
        (void)unused;
        if (IsRetiredItem(id))
            continue;
        if (IsContactId(id)) {
            out.Add(CLItemInfo{0, id});
            continue;
        }
        out.Add(CLItemInfo{id, 0});
        if (Group* group = FindGroup(id))
            for (auto [contactId, contact] : group->contacts) {
                (void)contact;
                if (!IsRetiredItem(contactId))
                    out.Add(CLItemInfo{id, contactId});
            }
    }
    return true;
}

bool CContactListImpl::GetGroupIds(unsigned int accountId, CYolArray<unsigned int>& out) {
    Locked held(*this);
    if (accountId == 0) {
        for (auto [id, group] : metaGroups) {
            (void)group;
            if (id != 0)
                out.Add(id);
        }
        return true;
    }
    AccountEntry* account = accounts.Find(accountId);
    if (account == nullptr)
        return false;
    for (auto [id, unused] : account->topLevel) {
        (void)unused;
        if (IsGroupId(id) && !IsRetiredItem(id))
            out.Add(id);
    }
    return true;
}

void CContactListImpl::GetMetaItems(CYolArray<CLItemInfo>& out) {
    Locked held(*this);
    for (auto [groupId, group] : metaGroups) {
        out.Add(CLItemInfo{groupId, 0});
        for (auto [metaId, meta] : group->contacts)
            if (CountResolved(*meta) > 0)
                out.Add(CLItemInfo{groupId, metaId});
    }
}

// ------------------------------------------------------------------ keys

CYolString CContactListImpl::AccountKeyOf(unsigned int accountId) {
    CYolString key;
    if (Protocols::CProtocolsManager* manager = ProtocolsManager())
        manager->GetAccountString(accountId, CYolString(u"SrvFileName"), key, false);
    return key;
}

CYolString CContactListImpl::AccountTextOf(unsigned int accountId) {
    CYolString text;
    if (Protocols::CProtocolsManager* manager = ProtocolsManager())
        manager->GetAccountLogin(text, accountId, true);
    return text;
}

CYolString CContactListImpl::GetItemKey(unsigned int id) {
    unsigned int accountId = 0;
    CYolString login;
    {
        Locked held(*this);
        if (MContact* meta = FindMetaContact(id))
            return CYolString(u"|") + CYolString(meta->number, false);
        ItemEntry* entry = IsContactId(id) ? FindGroupOrContact(id) : nullptr;
        if (entry == nullptr)
            return CYolString();
        accountId = entry->accountId;
        login = ValueString(*entry->item, kLoginName);
    }
    // The account answers for its login itself, so the lock is not held.
    CYolString text = AccountTextOf(accountId);
    // Without its account's text the key would read as a meta contact's.
    if (text.IsEmpty())
        return CYolString();
    return text + u"|" + login;
}

unsigned int CContactListImpl::FindItemByKey(const CYolString& key) {
    if (key.At(0) == u'|') {
        CYolString digits = key.Substring(1, key.Length() - 1);
        if (digits.IsEmpty())
            return 0;
        for (int i = 0; i < digits.Length(); ++i)
            if (digits.At(i) < u'0' || digits.At(i) > u'9')
                return 0;
        Locked held(*this);
        MContact* meta = FindMetaContactByNumber(digits.Uint(false));
        return meta != nullptr ? meta->id : 0;
    }
    if (key.Find(0, CYolString(u"|")) < 0)
        return 0;
    Protocols::CProtocolsManager* manager = ProtocolsManager();
    if (manager == nullptr)
        return 0;
    int count = manager->GetAccountCount();
    for (int i = 0; i < count; ++i) {
        unsigned int accountId = manager->GetAccountId(static_cast<unsigned int>(i));
        CYolString prefix = AccountTextOf(accountId) + u"|";
        // Compared as a whole prefix, so a login that holds "|" still finds
        // its contact.
        if (prefix.Length() == 1 || key.Length() < prefix.Length() || key.Substring(0, prefix.Length()) != prefix)
            continue;
        CYolString login = key.Substring(prefix.Length(), key.Length() - prefix.Length());
        Locked held(*this);
        ItemEntry* entry = FindContactByLogin(accountId, login, false);
        return entry != nullptr ? entry->item->id : 0;
    }
    return 0;
}

}  // namespace CL
