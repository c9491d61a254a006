#pragma once
// Protocols::CProtocolsManagerImpl: the protocols manager. It finds the
// protocol plug-ins, owns every account (the account object lives inside its
// plug-in; the manager keeps its library, its events-client key, its protocol
// and its settings), turns interface calls into AccountCommand events, and
// hands the accounts' AccountEvent reports on to its subscribers as
// ProtocolsManagerEvent broadcasts.
//
// Threads and locks. Every interface operation may be called on any thread.
// Two locks: the account lock (the account table) and the protocol-table
// lock, always taken in that order; the account lock is never held across a
// waited-for send to an account or a waited-for broadcast, so an account's
// handler may call back into the manager. Account creation and the plug-ins'
// DestroyAccountFunc never overlap (the creation lock, taken before the
// account lock). Account events, start-up, deletions and the requests the
// manager posts to itself run on the manager's own queue thread
// ("Protocols manager").
//
// Plug-in code and plug-in memory. An event argument lives until its last
// holder lets go, and its code lives in the module that made it. Accounts
// make theirs with the program's argument factory, which the manager
// registers (EventArgFactoryGuid); the manager still never hands an account's
// argument on, but copies what an account reports into arguments of its own
// before broadcasting. A deleted account's events client is unregistered
// (its queue dropped) before the plug-in destroys the object, its timers are
// killed first, and its library is unloaded only from a request that runs
// after every event already queued for the manager.
//
// "Accounts data" is written whenever the account list changes (an account
// added, moved or deleted) and, once per burst, after settings change.
//
// The server-store side of the start-up (reading the account list, the
// base-account prompt, requests 166 and 167, writing the list back) plugs in
// through MServerAccountList; without one the accounts are started from the
// local "Accounts data" alone.

#include "CAccountSettingsStore.h"
#include "CEventArgFactoryImpl.h"
#include "CEventArg.h"
#include "CEventsClient.h"
#include "CProtocolsManager.h"
#include "CServicesManager.h"
#include "CTLV.h"
#include "CYolCriticalSection.h"
#include "CYolDll.h"
#include "CYolMap.h"
#include "CYolPath.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Protocols {


// The order of the protocol table and of every list of protocols:
// JabberYolProtocolGuid, RuvProtocolGuid, the others by GUID, JabberProtocolGuid.
struct ProtocolGuidLess {
    bool operator()(const YOL_GUID& a, const YOL_GUID& b) const;
};

class CProtocolsManagerImpl;

// The server store's part in the account lifecycle. Every call comes on the
// manager's queue thread unless said otherwise.
class MServerAccountList {
public:
    // Request 166: ask for the base account's login, or start the accounts.
    virtual void OnAskBaseAccount(bool again) = 0;
    // Request 167.
    virtual void OnSetBaseAccountLogin(const CYolString& login, const CYolString& password) = 0;
    // Asked before the accounts are started from the local list: true when
    // the server store is enabled and has taken over (it then starts them
    // with StartLoadedAccounts once its read result is in).
    virtual bool TakeOverStart() = 0;
    // Before the accounts are started from the local list.
    virtual void LoadMetaContactList() = 0;
    // An event on ServerStoreGuid.
    virtual void OnServerStoreEvent(int event, Services::CEventArg* arg, Services::CEventArg* extra) = 0;
    // An account was deleted with DeleteFlags::WriteServerList.
    virtual void OnAccountListChanged() = 0;
    // ResetAccounts, after the deletions were queued (any thread).
    virtual void ClearMetaContacts() = 0;

protected:
    ~MServerAccountList() = default;
};

class CProtocolsManagerImpl final : public CProtocolsManager {
public:
    static constexpr unsigned int kFirstAccountId = 0x10000001;
    static constexpr int kMaxFileNameSuffix = 99;

    // Registers the service ProtocolsManagerGuid, the events client
    // "Protocols manager" and the broadcasts, and subscribes to the services'
    // start-up. Plug-ins are looked for in protocolsFolder/<Name>/<Name>.so.
    CProtocolsManagerImpl(Services::CServicesManager* services,
                          const CYolString& protocolsFolder = CYolPath::GetProtosDir());
    // Unregisters the events client, shuts every account down and destroys
    // it, saves "Accounts data", releases the protocol images and the service.
    ~CProtocolsManagerImpl();
    CProtocolsManagerImpl(const CProtocolsManagerImpl&) = delete;
    CProtocolsManagerImpl& operator=(const CProtocolsManagerImpl&) = delete;

    // --- CProtocolsManager ----------------------------------------------------
    int DiscoverProtocols() override;
    int GetProtocolCount() override;
    const ProtocolEntry* FindProtocol(const YOL_GUID& id) override;
    void GetProtocolInfo(ProtocolRecord& out, int index) override;
    unsigned int GetBaseAccount() override;
    void SetBaseAccountLogin(const CYolString& login, const CYolString& password) override;
    void ResetAccounts() override;
    unsigned int GetXStatusId() override;
    void SetXStatus(unsigned int id, const CYolString& title, const CYolString& description) override;
    void GetXStatusText(unsigned int id, CYolString& title, CYolString& description) override;
    unsigned int AddAccount(const YOL_GUID& protocol) override;
    int DeleteAccount(unsigned int account) override;
    int ReloadAccountSettings(unsigned int account) override;
    int SendNotify84(unsigned int account, unsigned int value) override;
    int SendStringList(unsigned int account, CYolArray<CYolString> list) override;
    int GetAccountCount() override;
    int NotifyAccountChanged(unsigned int account, unsigned int index) override;
    unsigned int GetAccountId(unsigned int index) override;
    void GetAccountLogin(CYolString& out, unsigned int account, bool withProtocol) override;
    void GetAccountProtocolInfo(ProtocolRecord& out, unsigned int account) override;
    bool GetAccountValueSize(unsigned int account, const CYolString& key, unsigned int& size) override;
    bool GetAccountBlob(unsigned int account, const CYolString& key, void* buffer, unsigned int& size) override;
    bool GetAccountString(unsigned int account, const CYolString& key, CYolString& value, bool isProtected) override;
    bool GetAccountDword(unsigned int account, const CYolString& key, unsigned int& value) override;
    bool GetAccountWord(unsigned int account, const CYolString& key, unsigned short& value) override;
    bool GetAccountByte(unsigned int account, const CYolString& key, unsigned char& value) override;
    bool GetAccountBool(unsigned int account, const CYolString& key, bool& value) override;
    bool SetAccountBlob(unsigned int account, const CYolString& key, const void* data,
                        const unsigned int& size) override;
    bool SetAccountString(unsigned int account, const CYolString& key, const CYolString& value,
                          bool isProtected) override;
    bool SetAccountDword(unsigned int account, const CYolString& key, const unsigned int& value) override;
    bool SetAccountWord(unsigned int account, const CYolString& key, const unsigned short& value) override;
    bool SetAccountByte(unsigned int account, const CYolString& key, const unsigned char& value) override;
    bool SetAccountBool(unsigned int account, const CYolString& key, const bool& value) override;
    bool SendContactIdList(unsigned int account, CYolArray<unsigned int>* ids) override;
    bool GetContactStatus(unsigned int account, unsigned int contact, ContactStatusInfo* out) override;
    bool SendMenu60(unsigned int account, CYolMenuInfo* menu) override;
    bool SendMenu61(unsigned int account, unsigned int value, CYolMenuInfo* menu) override;
    bool GetContactMenu(unsigned int account, unsigned int contact, CYolMenuInfo* menu) override;
    bool GetContactQuickMenu(unsigned int account, unsigned int contact, CYolMenuInfo* menu) override;
    bool BroadcastMenu64(CYolMenuInfo* menu) override;
    bool AddGroup(unsigned int account, const CYolString& name) override;
    bool RenameGroup(unsigned int account, unsigned int group, const CYolString& name) override;
    bool DeleteGroup(unsigned int account, unsigned int group) override;
    bool AddContact(unsigned int account, unsigned int group, const CYolString& login,
                    const CYolString& name) override;
    bool RenameContact(unsigned int account, unsigned int contact, const CYolString& name) override;
    bool MoveContact(unsigned int account, unsigned int contact, unsigned int group) override;
    bool DeleteContact(unsigned int account, unsigned int contact) override;
    bool SendContact80(unsigned int account, unsigned int contact) override;
    bool RequestContactInfo(unsigned int account, unsigned int contact) override;
    bool SendMessage(unsigned int account, const MessageInfo& message, bool silent) override;
    bool SendTyping(unsigned int account, unsigned int contact, bool typing) override;
    bool SetAuthorization(unsigned int account, unsigned int contact, bool grant) override;
    int CreateOwnDetailsPanes(unsigned int account, YolTabDlg::CDlgInfo* panes) override;
    int CreateContactDetailsPanes(unsigned int account, unsigned int contact, YolTabDlg::CDlgInfo* panes) override;
    int StartSearch(unsigned int account, int page) override;
    int CreateSearchPanes(unsigned int account, YolTabDlg::CDlgInfo* panes) override;
    int SetStatus(unsigned int account, Status status) override;
    int GetStatus(unsigned int account, Status& out) override;
    int GetStatusInfo(unsigned int account, Status status, StatusInfo& out) override;
    int GetLogonDate(unsigned int account, CYolTime& out) override;
    int GetAccountMenu(unsigned int account, unsigned int kind, CYolMenuInfo* menu) override;
    int CreateSettingsPanes(unsigned int account, YolTabDlg::CDlgInfo* panes) override;
    int GetAccountObject(unsigned int account, void** out) override;
    int AcceptFile(unsigned int account, unsigned int contact, const CYolString& fileName,
                   const CYolString& targetPath) override;
    int SendFile(unsigned int account, unsigned int contact, const CYolString& path) override;
    int RefuseFile(unsigned int account, unsigned int contact, const CYolString& fileName) override;

    // --- for the core and the server-store side -------------------------------
    // A new account of a protocol of the table with the given settings (an
    // empty store when null); started at once (and given a file name) when
    // `start`. 0 when the library or the plug-in made no account.
    unsigned int CreateAccount(const YOL_GUID& protocol, std::shared_ptr<CAccountSettingsStore> settings, bool start);
    // Moves the account to position index; with `broadcast`, AccountChanged
    // tells the subscribers. -1 when the index is not below the count or the
    // account is unknown.
    int MoveAccount(unsigned int account, unsigned int index, bool broadcast);
    // Init, language, extended status, AccountAdded, Ready; once per account.
    void StartAccount(unsigned int account);
    // Starts every account of the table that has not been started, in table
    // order, then broadcasts AccountsLoaded.
    void StartLoadedAccounts();
    // The server store's turn when it takes over, else StartLoadedAccounts.
    void StartAllAccounts();
    void LoadStoredAccounts();
    // Writes "Accounts data" and saves the settings file; false when there is
    // no database or the file could not be written.
    bool SaveStoredAccounts();
    // After an account's settings were edited: queues writing "Accounts data"
    // and the account list to the server store (any thread).
    void BuildServerAccountList();
    bool ExportAccountSettings(unsigned int account, CBigTLVCol& block);
    bool ImportAccountSettings(unsigned int account, const CBigTLVCol& block);
    // "SrvFileName", empty when missing.
    CYolString GetAccountFileName(unsigned int account);
    // The account's events-client key, 0 for an unknown account.
    unsigned int GetAccountClientId(unsigned int account);
    // Broadcasts a ProtocolsManagerEvent; the arguments are handed over.
    int Broadcast(int event, Services::CEventArg* arg, Services::CEventArg* extra, bool wait);
    // Posts a ProtocolsManagerRequest to the manager's own queue; false when
    // it was not queued (the arguments are freed then).
    bool PostRequest(int request, Services::CEventArg* arg, Services::CEventArg* extra);
    unsigned int GetEventsClientId() const { return clientId; }
    Services::CServicesManager* GetServices() const { return services; }
    Status GetGlobalStatus();
    // Not owned; null detaches.
    void SetServerAccountList(MServerAccountList* list);

private:
    class CEventHandler final : public Services::CEventsClient {
    public:
        explicit CEventHandler(CProtocolsManagerImpl& owner) : owner(owner) {}
        int OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* arg, Services::CEventArg* extra) override;

    private:
        CProtocolsManagerImpl& owner;
    };

    struct AccountInfo {
        unsigned int id = 0;
        YOL_GUID protocol{};
        unsigned int clientId = 0;
        CYolDll dll;
        std::shared_ptr<CAccountSettingsStore> settings;
        bool started = false;
    };
    // What a command needs of an account, read under the account lock.
    struct AccountRef {
        unsigned int id = 0;
        unsigned int clientId = 0;
        YOL_GUID protocol{};
    };
    // The global status title and list handed to the StatusList subscribers.
    struct StatusListStaging;
    using ProtocolTable = CYolMap<YOL_GUID, std::shared_ptr<ProtocolEntry>, ProtocolGuidLess>;

    // CProtocolsManagerImpl.cpp
    void Teardown();
    void ScheduleSave();
    Services::CEventArg* AccountIdArg(unsigned int account);

    // CProtocolsManagerImplProtocols.cpp
    void EnsureScanned();
    int ScanLocked();  // with scanLock held
    void ReleaseImages(const std::vector<std::shared_ptr<ProtocolEntry>>& entries);
    static void CopyRecord(ProtocolRecord& out, const ProtocolEntry& entry);
    // Every load and unload of a plug-in library goes through these.
    bool LoadPlugin(CYolDll& dll, const CYolString& file, const CYolString& folder);
    void UnloadPlugin(CYolDll& dll);
    std::shared_ptr<ProtocolEntry> FindEntry(const YOL_GUID& id);

    // CProtocolsManagerImplAccounts.cpp
    // Position and entry of an account; with the account lock held.
    int IndexOf(unsigned int account) const;
    AccountInfo* Lookup(unsigned int account);
    bool FindRef(unsigned int account, AccountRef& ref);
    void AssignFileName(unsigned int account);
    void OnDeleteAccount(unsigned int account, unsigned int flags);
    void OnAskBaseAccount(bool again);
    void OnSetBaseAccountLogin(const CYolString& login, const CYolString& password);
    template <typename Fn>
    bool WithSettings(unsigned int account, Fn&& fn);
    template <typename Fn>
    bool ChangeSettings(unsigned int account, Fn&& fn);

    // CProtocolsManagerImplCommands.cpp
    // -2 for an unknown account; else SendEvent's answer, posted ones mapped
    // to 0 (queued) or -3 (refused); -1 when building the arguments failed.
    // The arguments are made by `make` only once the account is known.
    template <typename Make>
    int Command(unsigned int account, int command, bool wait, Make&& make);
    // The result kinds of CProtocolsManager.h.
    template <typename Make>
    bool R1(unsigned int account, int command, bool wait, Make&& make);
    template <typename Make>
    int R2(unsigned int account, int command, bool wait, Make&& make);
    // The account's answer to AccountCommand::GetStatus; Offline when it is gone.
    int QueryStatus(const AccountRef& ref);
    std::vector<AccountRef> SnapshotAccounts();

    // CProtocolsManagerImplEvents.cpp
    int OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* arg, Services::CEventArg* extra);
    void OnServicesStarted();
    void OnLanguageChanged(Services::CEventArg* language);
    void OnAccountEvent(const YOL_GUID& channel, int event, Services::CEventArg* arg, Services::CEventArg* extra);
    void OnManagerRequest(int request, Services::CEventArg* arg, Services::CEventArg* extra);
    void ComputeGlobalStatus(unsigned int account, const StatusInfo& info);
    void BroadcastStatusList();
    StatusInfo GlobalEntry(int status);
    static int GlobalStatusMenuCallback(unsigned int account, void* status);

    Services::CServicesManager* services;
    CYolString protocolsFolder;
    CEventHandler handler{*this};
    // The arguments accounts send are made here, by the program's code.
    CEventArgFactoryImpl argFactory;
    unsigned int argFactoryKey = 0;
    unsigned int serviceKey = 0;
    unsigned int clientId = 0;
    std::map<int, unsigned int> eventKeys;  // ProtocolsManagerEvent -> broadcast key
    unsigned int startSubscription = 0;
    std::atomic<MServerAccountList*> serverList{nullptr};

    // Protocol table.
    std::mutex scanLock;  // one scan at a time; taken before the table lock
    CYolCriticalSection protocolLock;
    ProtocolTable protocols;
    // Entries of earlier scans, kept so that FindProtocol's answers stay valid.
    std::vector<std::shared_ptr<ProtocolEntry>> retiredProtocols;
    std::atomic<bool> scanNeeded{true};  // cleared when the first scan has put its table in place
    std::atomic<std::thread::id> scanningThread{};

    // Held around each dlopen and dlclose of a plug-in, and nothing else. The
    // C library orders those calls out of the program's sight; this lock
    // makes the order the program's own, so that a library unloaded on the
    // queue thread is loaded again elsewhere only once its unload (static
    // destructors included) has finished.
    std::mutex libraryLock;

    // Account table.
    std::mutex creationLock;  // CreateAccountFunc / DestroyAccountFunc; before the account lock
    CYolCriticalSection accountLock;
    CYolArray<AccountInfo> accounts;
    unsigned int nextAccountId = kFirstAccountId;
    std::mutex saveLock;  // one snapshot-and-write at a time; taken before the account lock
    std::atomic<bool> savePending{false};
    std::atomic<bool> storedLoaded{false};
    bool tornDown = false;

    // Global state.
    std::mutex globalLock;
    int globalStatus = Offline;
    CYolString globalStatusTitle;
    CYolArray<StatusInfo> globalStatusList;
};

}  // namespace Protocols
