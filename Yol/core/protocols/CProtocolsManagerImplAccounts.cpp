// The account table: creating, starting, moving and deleting accounts, the
// stored account list "Accounts data", and the account settings slots.

#include "CProtocolsManagerImpl.h"

#include "PluginExportTypes.h"

#include "CProtocolsManagerImplShared.h"
#include "CRecord.h"
#include "CSkinManager.h"
#include "CYolDatabaseImpl.h"
#include "CYolPair.h"

namespace Protocols {

using Services::CEventArg;
using Services::CEventArg_Data;

namespace {

const char16_t* const kAccountsDataKey = u"Accounts data";
const char16_t* const kFileNameKey = u"SrvFileName";
const char16_t* const kBaseAccountKey = u"BaseAcc";

}  // namespace

// --- lookups (account lock held) ---------------------------------------------

int CProtocolsManagerImpl::IndexOf(unsigned int account) const {
    if (account == 0)
        return -1;
    for (int i = 0; i < accounts.Count(); ++i) {
        if (accounts[i].id == account)
            return i;
    }
    return -1;
}

CProtocolsManagerImpl::AccountInfo* CProtocolsManagerImpl::Lookup(unsigned int account) {
    int index = IndexOf(account);
    return index < 0 ? nullptr : &accounts[index];
}

bool CProtocolsManagerImpl::FindRef(unsigned int account, AccountRef& ref) {
    CYolCriticalSection::Guard guard(accountLock);
    const AccountInfo* info = Lookup(account);
    if (info == nullptr)
        return false;
    ref = {info->id, info->clientId, info->protocol};
    return true;
}

unsigned int CProtocolsManagerImpl::GetAccountClientId(unsigned int account) {
    AccountRef ref;
    return FindRef(account, ref) ? ref.clientId : 0;
}

// --- creation and start --------------------------------------------------------

unsigned int CProtocolsManagerImpl::CreateAccount(const YOL_GUID& protocol,
                                                  std::shared_ptr<CAccountSettingsStore> settings, bool start) {
    std::shared_ptr<ProtocolEntry> entry = FindEntry(protocol);
    if (entry == nullptr)
        return 0;
    if (settings == nullptr)
        settings = std::make_shared<CAccountSettingsStore>();

    unsigned int id = 0;
    {
        std::lock_guard<std::mutex> creation(creationLock);
        CYolCriticalSection::Guard guard(accountLock);
        if (tornDown)
            return 0;
        // The entry carries its id already, so that an account may read its
        // settings while the plug-in constructs it.
        unsigned int candidate = nextAccountId;
        AccountInfo fresh;
        fresh.id = candidate;
        fresh.protocol = protocol;
        fresh.settings = settings;
        accounts.Add(std::move(fresh));

        CYolDll dll;
        unsigned int client = 0;
        if (LoadPlugin(dll, entry->dllFile, entry->folder)) {
            auto create = FindExport<CreateAccountFuncPtr>(dll, CreateAccountFuncName);
            if (create != nullptr)
                client = create(protocol, services, candidate, clientId);
            if (client == 0)
                UnloadPlugin(dll);
        }
        int index = IndexOf(candidate);
        if (client == 0) {
            accounts.RemoveAt(index);
            return 0;
        }
        accounts[index].clientId = client;
        accounts[index].dll = dll;
        id = candidate;
        ++nextAccountId;
    }
    if (start) {
        StartAccount(id);
        AssignFileName(id);
    }
    return id;
}

void CProtocolsManagerImpl::StartAccount(unsigned int account) {
    AccountRef ref;
    {
        CYolCriticalSection::Guard guard(accountLock);
        AccountInfo* info = Lookup(account);
        if (info == nullptr || info->started)
            return;
        info->started = true;
        ref = {info->id, info->clientId, info->protocol};
    }
    if (services == nullptr)
        return;
    services->SendEvent(ref.clientId, ProtocolsManagerGuid, AccountCommand::Init, nullptr, nullptr, true);

    CYolString language;
    if (auto* skins = static_cast<Skins::CSkinManager*>(services->GetService(SkinManagerGuid)))
        skins->GetLanguage(language);
    services->SendEvent(ref.clientId, ProtocolsManagerGuid, AccountCommand::SetLanguage, NewArg(language), nullptr,
                        false);

    unsigned int xStatus = GetXStatusId();
    CYolPair<CYolString, CYolString> texts;
    GetXStatusText(xStatus, texts.first, texts.second);
    services->SendEvent(ref.clientId, ProtocolsManagerGuid, AccountCommand::SetXStatus, NewArg(xStatus),
                        NewArg(texts), false);

    Broadcast(ProtocolsManagerEvent::AccountAdded, AccountIdArg(ref.id), nullptr, false);
    services->SendEvent(ref.clientId, ProtocolsManagerGuid, AccountCommand::Ready, nullptr, nullptr, true);
}

void CProtocolsManagerImpl::AssignFileName(unsigned int account) {
    YOL_GUID protocol;
    {
        CYolCriticalSection::Guard guard(accountLock);
        const AccountInfo* info = Lookup(account);
        if (info == nullptr)
            return;
        protocol = info->protocol;
    }
    std::shared_ptr<ProtocolEntry> entry = FindEntry(protocol);
    CYolString stem = entry != nullptr ? entry->pluginName : CYolString();

    CYolCriticalSection::Guard guard(accountLock);
    AccountInfo* info = Lookup(account);
    if (info == nullptr)
        return;
    std::vector<CYolString> taken;
    for (const AccountInfo& other : accounts) {
        CYolString name;
        if (other.settings->GetString(kFileNameKey, name, false))
            taken.push_back(name);
    }
    for (int n = 0; n <= kMaxFileNameSuffix; ++n) {
        CYolString candidate = n == 0 ? stem : stem + CYolString(static_cast<unsigned int>(n), false);
        bool used = false;
        for (const CYolString& name : taken)
            used = used || name == candidate;
        if (used)
            continue;
        if (!candidate.IsEmpty())
            info->settings->SetString(kFileNameKey, candidate, false);
        return;
    }
}

void CProtocolsManagerImpl::StartLoadedAccounts() {
    if (MServerAccountList* list = serverList.load(std::memory_order_acquire))
        list->LoadMetaContactList();
    std::vector<unsigned int> ids;
    {
        CYolCriticalSection::Guard guard(accountLock);
        for (const AccountInfo& info : accounts)
            ids.push_back(info.id);
    }
    for (unsigned int id : ids)
        StartAccount(id);
    Broadcast(ProtocolsManagerEvent::AccountsLoaded, nullptr, nullptr, false);
}

void CProtocolsManagerImpl::StartAllAccounts() {
    MServerAccountList* list = serverList.load(std::memory_order_acquire);
    if (list != nullptr && list->TakeOverStart())
        return;
    StartLoadedAccounts();
}

// --- the stored list ------------------------------------------------------------

// Once, into an empty table: the stored list already holds every account
// made before (each change of the list is saved at once).
void CProtocolsManagerImpl::LoadStoredAccounts() {
    if (storedLoaded.exchange(true, std::memory_order_acq_rel) || GetAccountCount() != 0)
        return;
    EnsureScanned();
    Database::CYolDatabase* db = DatabaseService(services);
    if (db == nullptr)
        return;
    unsigned long size = 0;
    if (!db->GetSize(ProtocolsManagerGuid, kAccountsDataKey, size) || size == 0)
        return;
    std::vector<unsigned char> bytes(size);
    if (!db->GetData(ProtocolsManagerGuid, kAccountsDataKey, bytes.data(), size) || size != bytes.size())
        return;
    CYolArray<Database::CRecord> stored;
    if (Database::UnpackRecords(stored, bytes.data(), size) != size)
        return;
    for (const Database::CRecord& record : stored) {
        YOL_GUID protocol;
        // Accounts of a protocol that is no longer installed are left behind.
        if (!protocol.SetString(record.GetName()) || FindEntry(protocol) == nullptr)
            continue;
        auto settings = std::make_shared<CAccountSettingsStore>();
        if (!settings->Unpack(record.GetData(), record.GetSize()))
            continue;
        CreateAccount(protocol, std::move(settings), false);
    }
}

bool CProtocolsManagerImpl::SaveStoredAccounts() {
    Database::CYolDatabase* db = DatabaseService(services);
    if (db == nullptr)
        return false;
    std::lock_guard<std::mutex> save(saveLock);
    savePending.store(false, std::memory_order_release);
    CYolArray<Database::CRecord> list;
    {
        CYolCriticalSection::Guard guard(accountLock);
        std::vector<unsigned char> packed;
        for (const AccountInfo& info : accounts) {
            if (!info.settings->Pack(packed))
                continue;
            list.Add(Database::CRecord(info.protocol.GetString(), packed.data(), packed.size()));
        }
    }
    unsigned long total = Database::GetRecordsSize(list);
    std::vector<unsigned char> bytes(total);
    if (total > 0 && Database::PackRecords(list, bytes.data(), total) != total)
        return false;
    if (!db->SetData(ProtocolsManagerGuid, kAccountsDataKey, bytes.data(), total))
        return false;
    // The only database the core registers is the settings file's.
    return static_cast<Database::CYolDatabaseImpl*>(db)->Save();
}

// --- moving and deleting ----------------------------------------------------------

int CProtocolsManagerImpl::MoveAccount(unsigned int account, unsigned int index, bool broadcast) {
    {
        CYolCriticalSection::Guard guard(accountLock);
        int from = IndexOf(account);
        if (from < 0 || index >= static_cast<unsigned int>(accounts.Count()))
            return -1;
        AccountInfo moving = accounts[from];
        accounts.RemoveAt(from);
        accounts.InsertAt(static_cast<int>(index), moving);
        if (broadcast)
            Broadcast(ProtocolsManagerEvent::AccountChanged, AccountIdArg(account), NewArg(index), false);
    }
    SaveStoredAccounts();
    return 0;
}

int CProtocolsManagerImpl::NotifyAccountChanged(unsigned int account, unsigned int index) {
    return MoveAccount(account, index, true);
}

void CProtocolsManagerImpl::OnDeleteAccount(unsigned int account, unsigned int flags) {
    if (flags & DeleteFlags::BroadcastRemoved)
        Broadcast(ProtocolsManagerEvent::AccountRemoved, AccountIdArg(account), nullptr, true);
    AccountRef ref;
    if (!FindRef(account, ref))
        return;
    Broadcast(ProtocolsManagerEvent::KillTimer, AccountIdArg(account), nullptr, true);
    services->SendEvent(ref.clientId, ProtocolsManagerGuid, AccountCommand::Shutdown, nullptr, nullptr, true);
    // Whatever is still queued for the account is dropped, and a handler
    // still running finishes, before the object goes.
    services->UnregisterEventsClient(ref.clientId);

    AccountInfo gone;
    {
        CYolCriticalSection::Guard guard(accountLock);
        int index = IndexOf(account);
        if (index < 0)
            return;
        gone = accounts[index];
        accounts.RemoveAt(index);
    }
    {
        std::lock_guard<std::mutex> creation(creationLock);
        if (auto destroy = FindExport<DestroyAccountFuncPtr>(gone.dll, DestroyAccountFuncName))
            destroy(ref.clientId);
    }
    // Unloaded by a request of its own, queued behind every event the account
    // managed to post before it went.
    PostRequest(ProtocolsManagerRequest::UnloadPluginDll, NewArg(gone.dll), nullptr);

    if (ref.protocol == JabberYolProtocolGuid) {
        if (Database::CYolDatabase* db = DatabaseService(services))
            db->SetDword(ProtocolsManagerGuid, u"AcUpd", 0);
    }
    SaveStoredAccounts();
    if (flags & DeleteFlags::WriteServerList) {
        if (MServerAccountList* list = serverList.load(std::memory_order_acquire))
            list->OnAccountListChanged();
    }
}

// --- account table slots ------------------------------------------------------------

unsigned int CProtocolsManagerImpl::AddAccount(const YOL_GUID& protocol) {
    unsigned int id = CreateAccount(protocol, nullptr, true);
    if (id != 0)
        SaveStoredAccounts();
    return id;
}

void CProtocolsManagerImpl::BuildServerAccountList() {
    PostRequest(ProtocolsManagerRequest::BuildServerAccountList, nullptr, nullptr);
}

int CProtocolsManagerImpl::DeleteAccount(unsigned int account) {
    PostRequest(ProtocolsManagerRequest::DeleteAccount, NewArg(account),
                NewArg(static_cast<unsigned int>(DeleteFlags::BroadcastRemoved | DeleteFlags::WriteServerList)));
    return 0;
}

int CProtocolsManagerImpl::GetAccountCount() {
    CYolCriticalSection::Guard guard(accountLock);
    return accounts.Count();
}

unsigned int CProtocolsManagerImpl::GetAccountId(unsigned int index) {
    CYolCriticalSection::Guard guard(accountLock);
    if (index >= static_cast<unsigned int>(accounts.Count()))
        return 0;
    return accounts[static_cast<int>(index)].id;
}

unsigned int CProtocolsManagerImpl::GetBaseAccount() {
    CYolCriticalSection::Guard guard(accountLock);
    for (const AccountInfo& info : accounts) {
        const Database::CRecord* base = Database::FindRecord(info.settings->Records(), kBaseAccountKey);
        if (base != nullptr && base->GetSize() > 0 && base->GetData()[0] != 0)
            return info.id;
    }
    return 0;
}

void CProtocolsManagerImpl::SetBaseAccountLogin(const CYolString& login, const CYolString& password) {
    PostRequest(ProtocolsManagerRequest::SetBaseAccountLogin, NewArg(login), NewArg(password));
}

void CProtocolsManagerImpl::ResetAccounts() {
    PostRequest(ProtocolsManagerRequest::AskBaseAccount, NewArg(true), nullptr);
    std::vector<unsigned int> ids;
    {
        CYolCriticalSection::Guard guard(accountLock);
        for (const AccountInfo& info : accounts)
            ids.push_back(info.id);
    }
    for (auto it = ids.rbegin(); it != ids.rend(); ++it)
        PostRequest(ProtocolsManagerRequest::DeleteAccount, NewArg(*it),
                    NewArg(static_cast<unsigned int>(DeleteFlags::BroadcastRemoved)));
    if (MServerAccountList* list = serverList.load(std::memory_order_acquire))
        list->ClearMetaContacts();
}

void CProtocolsManagerImpl::OnAskBaseAccount(bool again) {
    if (MServerAccountList* list = serverList.load(std::memory_order_acquire))
        list->OnAskBaseAccount(again);
    else
        StartAllAccounts();
}

void CProtocolsManagerImpl::OnSetBaseAccountLogin(const CYolString& login, const CYolString& password) {
    if (MServerAccountList* list = serverList.load(std::memory_order_acquire))
        list->OnSetBaseAccountLogin(login, password);
}

// --- account settings -------------------------------------------------------------------

template <typename Fn>
bool CProtocolsManagerImpl::WithSettings(unsigned int account, Fn&& fn) {
    CYolCriticalSection::Guard guard(accountLock);
    AccountInfo* info = Lookup(account);
    return info != nullptr && fn(*info->settings);
}

template <typename Fn>
bool CProtocolsManagerImpl::ChangeSettings(unsigned int account, Fn&& fn) {
    if (!WithSettings(account, fn))
        return false;
    ScheduleSave();
    return true;
}

bool CProtocolsManagerImpl::GetAccountValueSize(unsigned int account, const CYolString& key, unsigned int& size) {
    return WithSettings(account, [&](CAccountSettingsStore& s) { return s.GetValueSize(key, size); });
}

bool CProtocolsManagerImpl::GetAccountBlob(unsigned int account, const CYolString& key, void* buffer,
                                           unsigned int& size) {
    return WithSettings(account, [&](CAccountSettingsStore& s) { return s.GetBlob(key, buffer, size); });
}

bool CProtocolsManagerImpl::GetAccountString(unsigned int account, const CYolString& key, CYolString& value,
                                             bool isProtected) {
    return WithSettings(account, [&](CAccountSettingsStore& s) { return s.GetString(key, value, isProtected); });
}

bool CProtocolsManagerImpl::GetAccountDword(unsigned int account, const CYolString& key, unsigned int& value) {
    return WithSettings(account, [&](CAccountSettingsStore& s) { return s.GetDword(key, value); });
}

bool CProtocolsManagerImpl::GetAccountWord(unsigned int account, const CYolString& key, unsigned short& value) {
    return WithSettings(account, [&](CAccountSettingsStore& s) { return s.GetWord(key, value); });
}

bool CProtocolsManagerImpl::GetAccountByte(unsigned int account, const CYolString& key, unsigned char& value) {
    return WithSettings(account, [&](CAccountSettingsStore& s) { return s.GetByte(key, value); });
}

bool CProtocolsManagerImpl::GetAccountBool(unsigned int account, const CYolString& key, bool& value) {
    return WithSettings(account, [&](CAccountSettingsStore& s) { return s.GetBool(key, value); });
}

bool CProtocolsManagerImpl::SetAccountBlob(unsigned int account, const CYolString& key, const void* data,
                                           const unsigned int& size) {
    return ChangeSettings(account, [&](CAccountSettingsStore& s) { return s.SetBlob(key, data, size); });
}

bool CProtocolsManagerImpl::SetAccountString(unsigned int account, const CYolString& key, const CYolString& value,
                                             bool isProtected) {
    return ChangeSettings(account, [&](CAccountSettingsStore& s) { return s.SetString(key, value, isProtected); });
}

bool CProtocolsManagerImpl::SetAccountDword(unsigned int account, const CYolString& key, const unsigned int& value) {
    return ChangeSettings(account, [&](CAccountSettingsStore& s) { return s.SetDword(key, value); });
}

bool CProtocolsManagerImpl::SetAccountWord(unsigned int account, const CYolString& key,
                                           const unsigned short& value) {
    return ChangeSettings(account, [&](CAccountSettingsStore& s) { return s.SetWord(key, value); });
}

bool CProtocolsManagerImpl::SetAccountByte(unsigned int account, const CYolString& key,
                                           const unsigned char& value) {
    return ChangeSettings(account, [&](CAccountSettingsStore& s) { return s.SetByte(key, value); });
}

bool CProtocolsManagerImpl::SetAccountBool(unsigned int account, const CYolString& key, const bool& value) {
    return ChangeSettings(account, [&](CAccountSettingsStore& s) { return s.SetBool(key, value); });
}

bool CProtocolsManagerImpl::ExportAccountSettings(unsigned int account, CBigTLVCol& block) {
    block.Clear();
    return WithSettings(account, [&](CAccountSettingsStore& s) {
        s.Export(block);
        return true;
    });
}

bool CProtocolsManagerImpl::ImportAccountSettings(unsigned int account, const CBigTLVCol& block) {
    return ChangeSettings(account, [&](CAccountSettingsStore& s) {
        s.Import(block);
        return true;
    });
}

CYolString CProtocolsManagerImpl::GetAccountFileName(unsigned int account) {
    CYolString name;
    GetAccountString(account, kFileNameKey, name, false);
    return name;
}

}  // namespace Protocols
