// The caches: loading an account's list from "CL data", rebuilding the meta
// tree from "MetaCL data", and writing all three values back, with the
// settings file, whenever the lists changed.

#include "CContactListImpl.h"

#include "CContactListImplShared.h"
#include "CProtocolsManager.h"
#include "CYolDatabaseImpl.h"
#include "YolGuids.h"

#include <algorithm>
#include <vector>

namespace CL {

using namespace Detail;

namespace {

const char16_t* const kListKey = u"CL data";
const char16_t* const kMetaListKey = u"MetaCL data";
const char16_t* const kMetagroupKey = u"Metagroup data";

bool ReadBlob(Database::CYolDatabase& db, const char16_t* key, std::vector<unsigned char>& out) {
    CYolString name(key);
    unsigned long size = 0;
    if (!db.GetSize(ContactListGuid, name, size))
        return false;
    out.resize(size);
    if (size == 0)
        return true;
    return db.GetData(ContactListGuid, name, out.data(), size) && size == out.size();
}

// Writes a blob unless the database already holds exactly these bytes;
// true when it wrote.
bool WriteBlob(Database::CYolDatabase& db, const char16_t* key, const CAutoBuf& bytes) {
    std::vector<unsigned char> stored;
    if (ReadBlob(db, key, stored) && stored.size() == static_cast<size_t>(bytes.Length()) &&
        (stored.empty() || std::equal(stored.begin(), stored.end(), bytes.Data())))
        return false;
    unsigned long size = static_cast<unsigned long>(bytes.Length());
    return db.SetData(ContactListGuid, CYolString(key), bytes.Data(), size);
}

bool WriteText(Database::CYolDatabase& db, const char16_t* key, const CYolString& text) {
    CYolString stored;
    if (db.GetString(ContactListGuid, CYolString(key), stored) && stored == text)
        return false;
    return db.SetString(ContactListGuid, CYolString(key), text);
}

}  // namespace

// ------------------------------------------------------------ when to write

void CContactListImpl::MarkChanged() {
    changed = true;
    if (updateDepth == 0)
        ScheduleSave();
}

void CContactListImpl::ScheduleSave() {
    if (stopping || savePending.exchange(true))
        return;
    if (!PostRequest(kSaveCachesRequest, nullptr))
        savePending = false;
}

void CContactListImpl::SaveAccountLists() { SaveCaches(true); }

void CContactListImpl::SaveCaches(bool final) {
    Database::CYolDatabase* db = SettingsDatabase();
    if (db == nullptr)
        return;
    std::lock_guard<std::mutex> serial(saveLock);
    bool removed = false;
    {
        Locked held(*this);
        if (!final && !changed)
            return;
        changed = false;
        removed = accountRemoved;
    }
    Snapshot snapshot;
    TakeSnapshot(snapshot);

    bool wrote = false;
    // With no account known the stored list is kept: it is all there is of
    // accounts that did not come up this time. Once an account was deleted,
    // though, no account left means no list: the deleted account's contacts
    // must not stay behind in the file.
    CAutoBuf list;
    if ((snapshot.accounts.Count() > 0 || removed) && ProtocolsManager() != nullptr &&
        CContactListCache::BuildContactListData(snapshot.accounts, list))
        wrote = WriteBlob(*db, kListKey, list) || wrote;
    CYolString opened = CContactListCache::BuildMetagroupData(snapshot.openedLines);
    if (!opened.IsEmpty())
        wrote = WriteText(*db, kMetagroupKey, opened) || wrote;
    CAutoBuf metaList;
    if (CContactListCache::BuildMetaList(snapshot.metaList, metaList))
        wrote = WriteBlob(*db, kMetaListKey, metaList) || wrote;
    // Written through at once, so a crash or a killed process keeps the
    // lists as they were after the last change.
    if (wrote)
        if (auto* file = dynamic_cast<Database::CYolDatabaseImpl*>(db))
            file->Save();
}

void CContactListImpl::TakeSnapshot(Snapshot& out) {
    std::vector<unsigned int> accountIds;
    {
        Locked held(*this);
        for (auto [id, account] : accounts) {
            (void)account;
            accountIds.push_back(id);
        }
    }
    // The accounts answer for their logins themselves: asked without the lock.
    std::vector<CYolString> texts;
    for (unsigned int id : accountIds)
        texts.push_back(AccountTextOf(id));

    Locked held(*this);
    for (size_t i = 0; i < accountIds.size(); ++i) {
        AccountEntry* account = accounts.Find(accountIds[i]);
        if (account == nullptr || texts[i].IsEmpty())
            continue;
        CachedAccountList cached;
        cached.accountText = texts[i];
        // Retired items are on their way out: the caches already go without them.
        for (auto [id, unused] : account->topLevel) {
            (void)unused;
            if (IsRetiredItem(id))
                continue;
            CachedListItem item;
            if (Group* group = FindGroup(id)) {
                item.isGroup = true;
                item.values = group->values;
                for (auto [contactId, contact] : group->contacts)
                    if (!IsRetiredItem(contactId))
                        item.contacts.Add(contact->values);
            } else if (Contact* contact = FindListedContact(id)) {
                item.values = contact->values;
            } else {
                continue;
            }
            cached.items.Add(std::move(item));
        }
        out.accounts.Add(std::move(cached));
    }
    for (auto [groupId, group] : metaGroups) {
        unsigned char opened = 0;
        if (ValueByte(*group, kGroupOpenedName, opened))
            out.openedLines.Add(MetaGroupOpenedLine{ValueString(*group, kLoginName), opened});
        if (groupId == 0)
            continue;
        CYolString groupName = ValueString(*group, kLoginName);
        out.metaList.metaGroupNames.Add(groupName);
        for (auto [metaId, meta] : group->contacts) {
            (void)metaId;
            MetaContactRecord record;
            record.number = meta->number;
            record.metaGroupName = groupName;
            record.name = ValueString(*meta, kLoginName);
            for (const MContactSubContact& sub : meta->subContacts)
                record.subContacts.Add(MetaSubContactEntry{sub.login, sub.accountKey});
            out.metaList.metaContacts.Add(std::move(record));
        }
    }
}

// ------------------------------------------------------------------ reading

bool CContactListImpl::LoadAccountList(unsigned int accountId) {
    Database::CYolDatabase* db = SettingsDatabase();
    std::vector<unsigned char> blob;
    if (db == nullptr || !ReadBlob(*db, kListKey, blob))
        return false;
    CYolString text = AccountTextOf(accountId);
    CYolArray<CachedListItem> list;
    if (text.IsEmpty() || !CContactListCache::ParseAccountList(blob.data(), blob.size(), text, list))
        return false;
    if (list.Count() == 0)
        return true;

    Protocols::CProtocolsManager* manager = ProtocolsManager();
    auto addContact = [&](unsigned int groupId, const CacheValues& values) {
        unsigned int contactId;
        {
            Locked held(*this);
            contactId = AddContactLocked(accountId, groupId);
            if (contactId != 0)
                SetValues(contactId, values);
        }
        if (contactId == 0)
            return;
        // The plug-in answers itself: asked without the lock.
        Protocols::ContactStatusInfo status;
        if (manager != nullptr)
            manager->GetContactStatus(accountId, contactId, &status);
        NotifyContactAdded(contactId, status);
    };

    BeginUpdate();
    for (const CachedListItem& item : list) {
        if (!item.isGroup) {
            addContact(0, item.values);
            continue;
        }
        unsigned int groupId;
        {
            Locked held(*this);
            groupId = AddGroupLocked(accountId);
            if (groupId != 0)
                SetValues(groupId, item.values);
        }
        if (groupId == 0)
            continue;
        NotifyGroupAdded(groupId);
        for (const CacheValues& values : item.contacts)
            addContact(groupId, values);
    }
    EndUpdate();
    return true;
}

void CContactListImpl::LoadStoredMetaList() {
    Database::CYolDatabase* db = SettingsDatabase();
    std::vector<unsigned char> blob;
    if (db != nullptr && ReadBlob(*db, kMetaListKey, blob))
        ParseMetaList(blob.data(), blob.size());
}

void CContactListImpl::ParseMetaList(const unsigned char* data, size_t size) {
    MetaListData list;
    if (data == nullptr || !CContactListCache::ParseMetaList(data, size, list))
        return;
    CYolString openedText;
    if (Database::CYolDatabase* db = SettingsDatabase())
        db->GetString(ContactListGuid, CYolString(kMetagroupKey), openedText);

    Locked held(*this);
    // A clear that was asked for before this list came is carried out
    // first, whatever the order the two reach this model in: the list must
    // never be cleared away after it was applied.
    if (pendingClears > 0) {
        clearsDoneEarly += pendingClears;
        pendingClears = 0;
        ClearMetaContactsNow(true);
    }
    ApplyMetaList(list, openedText);
}

void CContactListImpl::ApplyMetaList(const MetaListData& list, const CYolString& openedText) {
    std::vector<unsigned int> groupIds;
    for (const CYolString& name : list.metaGroupNames) {
        // A meta group of that name that is already there is used as it is.
        MGroup* group = FindMetaGroupByName(name);
        groupIds.push_back(group != nullptr ? group->id : AddMetaGroupLocked(name, 0, false));
    }

    CYolArray<MetaGroupOpenedLine> lines;
    CContactListCache::ParseMetagroupData(openedText, lines);
    for (const MetaGroupOpenedLine& line : lines)
        if (MGroup* group = FindMetaGroupByName(line.name))
            SetValueByte(*group, kGroupOpenedName, line.opened);

    for (const MetaContactRecord& record : list.metaContacts) {
        // A number already in use belongs to a meta contact that is here
        // already (a list applied twice): it is not made a second time.
        if (numberUse.find(record.number) != numberUse.end())
            continue;
        unsigned int groupId = 0;
        if (record.metaGroupIndex >= 0 && static_cast<size_t>(record.metaGroupIndex) < groupIds.size())
            groupId = groupIds[record.metaGroupIndex];
        unsigned int metaId = 0;
        if (groupId != 0 && record.subContacts.Count() > 0) {
            const MetaSubContactEntry& first = record.subContacts[0];
            metaId = AddMetaContactLocked(groupId, record.number, record.name, first.login, first.accountKey);
        }
        if (metaId == 0) {
            if (MServerStoreLink* store = Store())
                store->MetaDeleted(clientId, record.number);
            continue;
        }
        MContact* meta = FindMetaContact(metaId);
        for (int i = 1; i < record.subContacts.Count(); ++i)
            AddSubEntry(*meta, MContactSubContact{nullptr, record.subContacts[i].accountKey,
                                                  record.subContacts[i].login});
    }
    MarkChanged();
}

}  // namespace CL
