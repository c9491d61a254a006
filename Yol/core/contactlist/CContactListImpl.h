#pragma once
// CL::CContactListImpl: the one contact-list model of the program. It holds,
// per account, the groups and contacts that the plug-ins report and the
// temporary contacts they make for strangers, and a second tree, independent
// of accounts, of meta groups and meta contacts that joins contacts of
// several accounts into one entry.
//
// Locking. One lock guards every table, index and item. It is never held
// across a synchronous broadcast (GroupRemoved, ContactRemoved,
// MetaContactRemoved) nor across any call into the protocols manager, so
// subscribers and plug-ins may call back into the model; posted broadcasts
// go out with the lock held, so their order is the order of the changes.
// Code that gives the lock up for a moment looks everything up again
// afterwards: nothing found before is trusted across the gap. Maps are walked
// only under the lock; a walk that has to release it takes the lowest
// remaining id each time round instead of keeping a cursor.
//
// Threads. The operations run on the callers' threads (plug-in queues, the
// window); removals, moves, message deliveries, the account notifications of
// the protocols manager and the cache writes run on the model's own queue
// thread ("CL").
//
// Caches. "CL data", "MetaCL data" and "Metagroup data" (CContactListCache.h)
// are written to the settings database and the settings file is saved when
// the lists change: one write per burst of changes, after the outermost
// update bracket closes, on the model's own thread; and once more at
// teardown.

#include "CAntiSpamFilter.h"
#include "CContactList.h"
#include "CContactListCache.h"
#include "CEventArg.h"
#include "CEventsClient.h"
#include "CRecord.h"
#include "CServicesManager.h"
#include "CYolArray.h"
#include "CYolCriticalSection.h"
#include "CYolMap.h"
#include "CYolPair.h"
#include "CYolString.h"
#include "ContactListEvents.h"
#include "ProtocolRecords.h"

#include <atomic>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace Protocols {
class CProtocolsManager;
}
namespace Database {
class CYolDatabase;
}

namespace CL {

// The model's own request (besides ContactListRequest): writes the caches
// and saves the settings file once after a burst of changes.
inline constexpr int kSaveCachesRequest = 172;
static_assert(kSaveCachesRequest > ContactListRequest::ClearMetaContacts &&
              kSaveCachesRequest != ContactListRequest::MessageNotSent);

// What the model tells the storage server about meta groups and meta
// contacts (the server store's change builders and its batch). Meta contacts
// are named by their persistent number. Every call is made with the model's
// lock held, so calls never overlap and arrive in the order of the changes.
class MServerStoreLink {
public:
    virtual bool IsEnabled() = 0;
    virtual void BeginBatch() = 0;
    virtual int EndBatch(unsigned int requester) = 0;
    virtual int GroupAdded(unsigned int requester, const CYolString& groupName, const CYolString& afterGroup) = 0;
    virtual int GroupRenamed(unsigned int requester, const CYolString& oldName, const CYolString& newName) = 0;
    virtual int GroupDeleted(unsigned int requester, const CYolString& groupName) = 0;
    virtual int MetaAdded(unsigned int requester, unsigned int metaId, const CYolString& metaGroup,
                          const CYolString& metaName) = 0;
    virtual int MetaRenamed(unsigned int requester, unsigned int metaId, const CYolString& newName) = 0;
    virtual int MetaMoved(unsigned int requester, unsigned int metaId, const CYolString& newGroupName) = 0;
    virtual int MetaDeleted(unsigned int requester, unsigned int metaId) = 0;
    virtual int SubAdded(unsigned int requester, unsigned int metaId, const CYolString& metaGroup,
                         unsigned int subPosition, const CYolString& subName, const CYolString& protoName) = 0;
    virtual int SubMoved(unsigned int requester, unsigned int metaId, unsigned int subPosition,
                         unsigned int newPosition, const CYolString& subName, const CYolString& protoName) = 0;
    virtual int SubDeleted(unsigned int requester, unsigned int metaId, unsigned int subPosition,
                           const CYolString& subName, const CYolString& protoName) = 0;

protected:
    ~MServerStoreLink() = default;
};

class CContactListImpl final : public CContactList {
public:
    // --- items -----------------------------------------------------------------------
    struct CLItem {
        CLItem() { values.SetGrowStep(10); }
        virtual ~CLItem() = default;
        unsigned int id = 0;
        CYolArray<Database::CRecord> values;
    };
    struct Contact final : CLItem {
        unsigned int groupId = 0;  // 0 outside groups; always 0 for a temporary contact
        Protocols::ContactStatusInfo status;
    };
    struct Group final : CLItem {
        CYolMap<unsigned int, Contact*> contacts;
    };
    // A sub-contact is matched to a contact by the account's "SrvFileName"
    // and the contact's "SrvLogName", both compared exactly; contact is null
    // until then.
    struct MContactSubContact {
        Contact* contact = nullptr;
        CYolString accountKey;
        CYolString login;
    };
    struct MContact final : CLItem {
        MContact() { subContacts.SetGrowStep(10); }
        unsigned int metaGroupId = 0;  // 0: the default meta group
        unsigned int number = 0;       // persistent, 1 or more
        CYolArray<MContactSubContact> subContacts;
    };
    struct MGroup final : CLItem {
        CYolMap<unsigned int, std::unique_ptr<MContact>> contacts;
    };

    // What the cache writer takes of the model, copied under the lock.
    struct Snapshot {
        CYolArray<CachedAccountList> accounts;  // ascending account id
        MetaListData metaList;
        CYolArray<MetaGroupOpenedLine> openedLines;
    };

    explicit CContactListImpl(Services::CServicesManager* services);
    // Stops the model's queue, writes the caches, frees every item and
    // unregisters from the services manager.
    ~CContactListImpl();
    CContactListImpl(const CContactListImpl&) = delete;
    CContactListImpl& operator=(const CContactListImpl&) = delete;

    // --- CContactList ----------------------------------------------------------------------
    void BeginUpdate() override;
    void EndUpdate() override;
    unsigned int AddGroup(unsigned int accountId) override;
    void NotifyGroupAdded(unsigned int groupId) override;
    void RemoveGroup(unsigned int groupId) override;
    void NotifyGroupChanged(unsigned int groupId) override;
    unsigned int AddMetaGroup(const CYolString& name, unsigned int neighbourMetaGroupId, bool setOrder) override;
    void NotifyMetaGroupChanged(unsigned int metaGroupId) override;
    void RenameMetaGroup(unsigned int metaGroupId, const CYolString& name) override;
    void RemoveMetaGroup(unsigned int metaGroupId) override;
    bool IsMetaGroup(unsigned int id) override;
    unsigned int AddMetaContact(unsigned int metaGroupId, unsigned int number, const CYolString& name,
                                const CYolString& login, const CYolString& accountKey) override;
    bool AddMetaSubContact(unsigned int metaContactId, const CYolString& login, const CYolString& accountKey) override;
    void GetMetaSubContacts(unsigned int metaContactId, CYolArray<unsigned int>& out) override;
    void RenameMetaContact(unsigned int metaContactId, const CYolString& name) override;
    void MoveMetaContact(unsigned int metaContactId, unsigned int metaGroupId) override;
    void MoveContactToMetaContact(unsigned int contactId, unsigned int targetId) override;
    void RemoveMetaContact(unsigned int metaContactId) override;
    bool IsMetaContact(unsigned int id) override;
    unsigned int AddContact(unsigned int accountId, unsigned int groupId) override;
    void NotifyContactAdded(unsigned int contactId, const Protocols::ContactStatusInfo& status) override;
    void RemoveContact(unsigned int contactId) override;
    bool MoveContact(unsigned int contactId, unsigned int groupId) override;
    void SetContactStatus(unsigned int contactId, const Protocols::ContactStatusInfo& status) override;
    void NotifyContactChanged(unsigned int contactId) override;
    int CheckAntispam(unsigned int contactId, const Protocols::MessageInfo& message) override;
    void ReceiveMessage(unsigned int contactId, const Protocols::MessageInfo& message) override;
    void NotifyMessageAck(unsigned int contactId, unsigned int messageId) override;
    void SetContactTyping(unsigned int contactId, bool typing) override;
    CYolString GetItemKey(unsigned int id) override;
    unsigned int FindItemByKey(const CYolString& key) override;
    unsigned int FindOrAddTempContact(unsigned int accountId, const CYolString& login) override;
    void RemoveTempContact(unsigned int contactId) override;
    void RemoveAccountTempContacts(unsigned int accountId) override;
    bool IsTempContact(unsigned int contactId) override;
    unsigned int GetParentId(unsigned int id) override;
    unsigned int GetMetaContactOf(unsigned int contactId) override;
    Protocols::ContactStatusInfo& GetItemStatus(Protocols::ContactStatusInfo& out, unsigned int id) override;
    bool SendMessage(unsigned int id, Protocols::MessageInfo* message, bool silent) override;
    bool SendTypingNotification(unsigned int id, bool typing) override;
    bool RequestContactDetails(unsigned int id) override;
    bool SendFile(unsigned int id, const CYolString& path) override;
    void SetGroupOpened(unsigned int id, bool opened) override;
    bool IsGroupOpened(unsigned int id) override;
    unsigned int GetItemAccount(unsigned int id) override;
    bool GetItemBlob(unsigned int id, const CYolString& name, void* buffer, unsigned int* size) override;
    bool GetItemString(unsigned int id, const CYolString& name, CYolString& out) override;
    bool GetItemDword(unsigned int id, const CYolString& name, unsigned int* out) override;
    bool GetItemWord(unsigned int id, const CYolString& name, short* out) override;
    bool GetItemByte(unsigned int id, const CYolString& name, unsigned char* out) override;
    void SetItemBlob(unsigned int id, const CYolString& name, const void* data, const unsigned int* size) override;
    void SetItemString(unsigned int id, const CYolString& name, const CYolString& value) override;
    void SetItemDword(unsigned int id, const CYolString& name, const unsigned int* value) override;
    void SetItemWord(unsigned int id, const CYolString& name, const short* value) override;
    void SetItemByte(unsigned int id, const CYolString& name, const unsigned char* value) override;
    bool GetAccountItems(unsigned int accountId, CYolArray<CLItemInfo>& out) override;
    bool GetGroupIds(unsigned int accountId, CYolArray<unsigned int>& out) override;
    void GetMetaItems(CYolArray<CLItemInfo>& out) override;
    bool GetAntispamMsgsFromNIL() override;
    bool GetShowBirthdayBalloon() override;
    void SetShowBirthdayBalloon(bool show) override;
    void NotifyMessageNotSent(unsigned int contactId, const Protocols::MessageInfo& message) override;
    unsigned int RetireAccountItems(unsigned int accountId) override;

    // --- settings of the preferences ---------------------------------------------------
    bool GetAntispamEnable();
    void SetAntispamEnable(bool enable);
    void SetAntispamMsgsFromNIL(bool accept);
    CYolString GetAntispamQuestion();
    void SetAntispamQuestion(const CYolString& text);
    CYolString GetAntispamAnswer();
    void SetAntispamAnswer(const CYolString& text);
    CYolString GetAntispamConfirm();
    void SetAntispamConfirm(const CYolString& text);

    // --- caches --------------------------------------------------------------------------
    // Rebuilds one account's groups and contacts from "CL data"; false when
    // there is nothing stored for it.
    bool LoadAccountList(unsigned int accountId);
    // Writes "CL data" (unless no account is known), "Metagroup data" and
    // "MetaCL data", and saves the settings file when anything changed.
    void SaveAccountLists();
    // Rebuilds meta groups and meta contacts from a "MetaCL data" byte string
    // (the stored one, or the one the server store downloaded).
    void ParseMetaList(const unsigned char* data, size_t size);
    // Loads the stored "MetaCL data" (what the protocols manager does when
    // the server store gives no list).
    void LoadStoredMetaList();
    // Queues ClearMetaContacts (request 171) with true.
    void PostClearMetaContacts();
    // The lists as the cache writer takes them (also for tests).
    void TakeSnapshot(Snapshot& out);

    // --- wiring ---------------------------------------------------------------------------
    // Not owned; null detaches. The core sets it once, before the services
    // start.
    void SetServerStore(MServerStoreLink* store);

    unsigned int GetEventsClientId() const { return clientId; }
    unsigned int GetServiceKey() const { return serviceKey; }

private:
    class CEventHandler final : public Services::CEventsClient {
    public:
        explicit CEventHandler(CContactListImpl& owner) : owner(owner) {}
        int OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* arg, Services::CEventArg* extra) override;

    private:
        CContactListImpl& owner;
    };

    // What the anti-spam filter asks of the model.
    class AntispamHost final : public MAntiSpamHost {
    public:
        explicit AntispamHost(CContactListImpl& owner) : owner(owner) {}
        Database::CYolDatabase* AntispamDatabase() override;
        void SendAntispamReply(const Protocols::MessageInfo& reply) override;

    private:
        CContactListImpl& owner;
    };

    struct ItemEntry {
        unsigned int accountId = 0;
        std::unique_ptr<CLItem> item;
        // The account's clear generation when the item was made; below the
        // account's current one the item is retired (see RetireAccountItems).
        unsigned int generation = 0;
    };
    struct AccountEntry {
        // Its groups and its contacts outside groups.
        CYolMap<unsigned int, bool> topLevel;
        // Raised by every RetireAccountItems; new items are stamped with it.
        unsigned int generation = 0;
    };
    // A clear of everything an account holds, whatever its generation.
    static constexpr unsigned int kClearEverything = ~0u;
    // The status list the application fills in place (FillStatusList),
    // shared with the argument that carries it.
    struct StatusListBox;
    class StatusListArg;
    // A meta contact's sub-contacts by their strings: meta contact id ->
    // number of its entries with those strings.
    using SubKey = std::pair<CYolString, CYolString>;  // accountKey, login
    using SubHolders = std::map<unsigned int, int>;

    // Holds the model's lock for a scope.
    class Locked {
    public:
        explicit Locked(CContactListImpl& model) : model(model) { model.Lock(); }
        ~Locked() { model.Unlock(); }
        Locked(const Locked&) = delete;
        Locked& operator=(const Locked&) = delete;

    private:
        CContactListImpl& model;
    };

    // --- CContactListImpl.cpp: lock, services, broadcasts, brackets -------------
    void Lock();
    void Unlock();
    Protocols::CProtocolsManager* ProtocolsManager() const;
    Database::CYolDatabase* SettingsDatabase() const;
    MServerStoreLink* Store() const;  // null unless attached and enabled; lock held
    // Posted broadcast; lock held. The arguments are handed over.
    void Raise(int event, Services::CEventArg* arg, Services::CEventArg* extra = nullptr);
    // Runs fn with the lock given up whole, however deep this thread holds
    // it; taken back as deep afterwards.
    template <typename Fn>
    void WithoutLock(Fn&& fn) {
        int depth = lockDepth;
        lockDepth = 0;
        for (int i = 0; i < depth; ++i)
            lock.Leave();
        fn();
        for (int i = 0; i < depth; ++i)
            lock.Enter();
        lockDepth = depth;
    }
    // Synchronous broadcast; releases the lock around it (lock held on entry
    // and on return).
    void RaiseSync(int event, Services::CEventArg* arg, Services::CEventArg* extra = nullptr);
    bool PostRequest(int request, Services::CEventArg* arg, Services::CEventArg* extra = nullptr);
    // The contact that acts for an item (a meta contact's chosen
    // sub-contact) and its account; false when none does. Lock held.
    bool FindActingContact(unsigned int id, unsigned int& contact, unsigned int& account);
    // Runs send(manager, account, contact) for the acting contact, without
    // the lock; false when no contact acts.
    template <typename Send>
    bool ActThrough(unsigned int id, Send&& send);
    void BeginUpdateLocked();
    void EndUpdateLocked();

    // --- CContactListImplCache.cpp: writing and reading the caches -------------
    // The lists changed: their caches are written once the burst is over
    // (lock held).
    void MarkChanged();
    void ScheduleSave();
    // Writes what changed (everything when final); lock not held.
    void SaveCaches(bool final);
    void ApplyMetaList(const MetaListData& list, const CYolString& openedText);

    // --- CContactListImplItems.cpp: tables, values, enumerations (lock held) ----
    ItemEntry* FindGroupOrContact(unsigned int id);
    CLItem* FindItem(unsigned int id);
    Contact* FindListedContact(unsigned int id);
    Group* FindGroup(unsigned int id, unsigned int* accountId = nullptr);
    ItemEntry* FindContactByLogin(unsigned int accountId, const CYolString& login, bool withTemporary);
    // A group or listed contact made before its account's latest
    // RetireAccountItems: it waits for its removal and the account no longer
    // sees it.
    bool IsRetired(const ItemEntry& entry);
    bool IsRetiredItem(unsigned int id);  // groups and listed contacts
    unsigned int AddGroupLocked(unsigned int accountId);
    unsigned int AddContactLocked(unsigned int accountId, unsigned int groupId);
    void SetValues(unsigned int id, const CYolArray<Database::CRecord>& values);
    static CYolString ValueString(const CLItem& item, const char16_t* name);
    static bool ValueByte(const CLItem& item, const char16_t* name, unsigned char& out);
    static bool ValueDword(const CLItem& item, const char16_t* name, unsigned int& out);
    // The item's value of that name, made empty when missing; null when the
    // name cannot be stored.
    static Database::CRecord* ValueRecord(CLItem& item, const CYolString& name);
    static void SetValueString(CLItem& item, const char16_t* name, const CYolString& value);
    static void SetValueDword(CLItem& item, const char16_t* name, unsigned int value);
    static void SetValueByte(CLItem& item, const char16_t* name, unsigned char value);
    // Writes a value of `size` bytes through `write`; a change of the lists.
    template <typename Write>
    void WriteValue(unsigned int id, const CYolString& name, Write&& write);
    // Takes a contact out of the tables and frees it (lock held; any meta
    // contact still holding it lets go first).
    void DestroyContact(unsigned int contactId);
    // The account's "SrvFileName" (asked of the protocols manager; lock not held).
    CYolString AccountKeyOf(unsigned int accountId);
    CYolString AccountTextOf(unsigned int accountId);

    // --- CContactListImplMeta.cpp: meta groups, meta contacts, filing (lock held) ---
    // --- CContactListImplMetaRequests.cpp: the queued meta changes (lock held) ----
    MGroup* FindMetaGroup(unsigned int id);
    MGroup* FindMetaGroupByName(const CYolString& name);
    MContact* FindMetaContact(unsigned int id);
    MContact* FindMetaContactOfContact(unsigned int contactId);
    // The first meta contact, in the meta tree's order, with an entry of
    // these strings still waiting for its contact.
    MContact* FindMetaContactBySub(const CYolString& accountKey, const CYolString& login);
    MContact* FindMetaContactByNumber(unsigned int number);
    unsigned int NextMetaNumber();
    unsigned int AddMetaGroupLocked(const CYolString& name, unsigned int neighbourId, bool setOrder);
    unsigned int AddMetaContactLocked(unsigned int metaGroupId, unsigned int number, const CYolString& name,
                                      const CYolString& login, const CYolString& accountKey);
    // Places a new meta group in the window's order; answers the name of the
    // meta group it stands after (empty when first).
    CYolString PlaceMetaGroup(MGroup& added, unsigned int neighbourId);
    Protocols::ContactStatusInfo GetMergedStatus(const MContact& meta) const;
    unsigned int ChooseSubContact(unsigned int metaContactId);
    static int CountResolved(const MContact& meta);
    static bool SameStatus(const Protocols::ContactStatusInfo& a, const Protocols::ContactStatusInfo& b);
    void AddSubEntry(MContact& meta, const MContactSubContact& entry);
    void RemoveSubEntry(MContact& meta, int index);
    void Resolve(MContact& meta, int index, Contact* contact);
    // Files a contact that was just added into a meta contact.
    void FileContact(Contact& contact, const CYolString& accountKey);
    // A new meta contact in the meta group for the contact; the meta contact.
    MContact* FileIntoNewMetaContact(Contact& contact, MGroup& group, const CYolString& accountKey);
    // The contact leaves the meta contact holding it (may release the lock).
    void LeaveMetaContact(unsigned int contactId);
    // Takes a meta contact out of its meta group and frees it.
    void DestroyMetaContact(unsigned int metaContactId);
    // Request 168's steps; askAccounts false for a meta group's removal.
    void RemoveMetaContactNow(unsigned int metaContactId, bool askAccounts);
    void RemoveMetaGroupNow(unsigned int metaGroupId);
    void ClearMetaContactsNow(bool withEvents);
    void MoveMetaContactNow(unsigned int metaContactId, unsigned int metaGroupId);
    void MoveContactToMetaContactNow(unsigned int contactId, unsigned int targetId);

    // --- CContactListImplEvents.cpp: the queue thread's work -------------------------
    // (the removals and moves are entered with the lock held)
    int OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* arg, Services::CEventArg* extra);
    void OnServicesStarted();
    void OnAccountAdded(unsigned int accountId);
    // Removes the account's groups and contacts stamped below `below`
    // (kClearEverything: all of them), and with removeEntry the account.
    void OnAccountCleared(unsigned int accountId, unsigned int below, bool removeEntry);
    // The account's groups and contacts stamped below `below`, lowest id
    // first, and the ids of its top level whose item is gone.
    std::vector<unsigned int> ItemsToClear(unsigned int accountId, unsigned int below);
    void OnRequest(int request, Services::CEventArg* arg, Services::CEventArg* extra);
    // Raises a message event for a listed contact, the record's meta contact
    // filled in; a temporary or unknown contact gets nothing.
    void RaiseMessage(int event, unsigned int contactId, Services::CEventArg* message);
    void RemoveGroupNow(unsigned int groupId);
    void RemoveContactNow(unsigned int contactId);
    void MoveContactNow(unsigned int contactId, unsigned int groupId);

    Services::CServicesManager* services;
    CEventHandler handler{*this};
    unsigned int serviceKey = 0;
    unsigned int clientId = 0;
    unsigned int eventKeys[ContactListEvent::Last + 1] = {};
    unsigned int startedSubscription = 0;
    unsigned int managerSubscriptions[4] = {};

    CYolCriticalSection lock;
    int lockDepth = 0;  // how deep the holding thread has taken it
    int updateDepth = 0;

    // Program-wide id counters, one per kind; never reset.
    unsigned int nextGroupId = FirstIdOf(ItemKind::Group);
    unsigned int nextMetaGroupId = FirstIdOf(ItemKind::MGroup);
    unsigned int nextContactId = FirstIdOf(ItemKind::Contact);
    unsigned int nextMetaContactId = FirstIdOf(ItemKind::MContact);

    CYolMap<unsigned int, AccountEntry> accounts;
    CYolMap<unsigned int, ItemEntry> items;           // groups and listed contacts
    CYolMap<unsigned int, ItemEntry> tempContacts;    // temporary contacts
    CYolMap<unsigned int, std::unique_ptr<MGroup>> metaGroups;  // the default one (id 0) included

    // Indexes over the meta tree, kept in step with it so that filing,
    // status changes and look-ups do not walk every meta contact.
    CYolMap<unsigned int, MContact*> metaContactIndex;  // meta contact id -> meta contact
    CYolMap<unsigned int, unsigned int> contactMeta;    // contact id -> meta contact resolving it
    std::map<SubKey, SubHolders> subIndex;
    std::map<unsigned int, int> numberUse;  // number -> meta contacts using it
    unsigned int lowestFreeNumber = 1;     // no number below it is free

    std::shared_ptr<StatusListBox> statusList;

    MServerStoreLink* serverStore = nullptr;
    AntispamHost antispamHost{*this};
    CAntiSpamFilter antispam{antispamHost};

    std::atomic<bool> savePending{false};
    bool changed = false;       // lists changed since the caches were last written
    bool accountRemoved = false;  // an account was deleted since the model started
    bool batchOpen = false;     // the store's batch was opened by the outermost bracket
    // ClearMetaContacts requests posted and not yet carried out, and those
    // that a meta list parsed meanwhile already carried out.
    int pendingClears = 0;
    int clearsDoneEarly = 0;
    bool stopping = false;      // teardown began: nothing more is queued
    std::mutex saveLock;        // one cache write at a time; taken before the model's lock
};

}  // namespace CL
