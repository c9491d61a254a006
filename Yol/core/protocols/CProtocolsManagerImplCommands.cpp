// The command family: interface calls that become one AccountCommand event
// to one account (or to each), and the status reads and changes built on it.

#include "CProtocolsManagerImpl.h"

#include "CProtocolsManagerImplShared.h"
#include "CYolMenuInfo.h"
#include "CYolPair.h"

namespace Protocols {

using Services::CEventArg;

namespace {

using StringPair = CYolPair<CYolString, CYolString>;

// Builds nothing: commands without arguments.
void NoArgs(CEventArg*&, CEventArg*&) {}

}  // namespace

// The lock is left before the arguments are built and the event sent, so
// the account's handler may call back into the manager.
template <typename Make>
int CProtocolsManagerImpl::Command(unsigned int account, int command, bool wait, Make&& make) {
    AccountRef ref;
    if (services == nullptr || !FindRef(account, ref))
        return -2;
    CEventArg* arg = nullptr;
    CEventArg* extra = nullptr;
    try {
        make(arg, extra);
    } catch (...) {
        ReleaseUnsent(arg, extra);
        return -1;
    }
    int result = services->SendEvent(ref.clientId, ProtocolsManagerGuid, command, arg, extra, wait);
    if (wait || result == -2)
        return result;
    return result == 1 ? 0 : -3;
}

template <typename Make>
bool CProtocolsManagerImpl::R1(unsigned int account, int command, bool wait, Make&& make) {
    return Command(account, command, wait, std::forward<Make>(make)) == 0;
}

template <typename Make>
int CProtocolsManagerImpl::R2(unsigned int account, int command, bool wait, Make&& make) {
    if (account == 0)
        return 0;
    return Command(account, command, wait, std::forward<Make>(make));
}

std::vector<CProtocolsManagerImpl::AccountRef> CProtocolsManagerImpl::SnapshotAccounts() {
    std::vector<AccountRef> refs;
    CYolCriticalSection::Guard guard(accountLock);
    for (const AccountInfo& info : accounts)
        refs.push_back({info.id, info.clientId, info.protocol});
    return refs;
}

int CProtocolsManagerImpl::QueryStatus(const AccountRef& ref) {
    if (services == nullptr)
        return Offline;
    int status = services->SendEvent(ref.clientId, ProtocolsManagerGuid, AccountCommand::GetStatus, nullptr, nullptr,
                                     true);
    return status < 0 ? Offline : status;
}

// --- R2 commands ----------------------------------------------------------------

int CProtocolsManagerImpl::ReloadAccountSettings(unsigned int account) {
    return R2(account, AccountCommand::ReloadSettings, false, NoArgs);
}

int CProtocolsManagerImpl::SendNotify84(unsigned int account, unsigned int value) {
    return R2(account, AccountCommand::Notify84, true, [&](CEventArg*& a, CEventArg*&) { a = NewArg(value); });
}

int CProtocolsManagerImpl::SendStringList(unsigned int account, CYolArray<CYolString> list) {
    return R2(account, AccountCommand::StringList, true, [&](CEventArg*& a, CEventArg*&) { a = NewArg(list); });
}

int CProtocolsManagerImpl::CreateOwnDetailsPanes(unsigned int account, YolTabDlg::CDlgInfo* panes) {
    return R2(account, AccountCommand::CreateOwnDetailsPanes, true,
              [&](CEventArg*& a, CEventArg*&) { a = NewArg(panes); });
}

int CProtocolsManagerImpl::CreateContactDetailsPanes(unsigned int account, unsigned int contact,
                                                     YolTabDlg::CDlgInfo* panes) {
    return R2(account, AccountCommand::CreateContactDetailsPanes, true, [&](CEventArg*& a, CEventArg*& b) {
        a = NewArg(contact);
        b = NewArg(panes);
    });
}

int CProtocolsManagerImpl::StartSearch(unsigned int account, int page) {
    return R2(account, AccountCommand::StartSearch, true,
              [&](CEventArg*& a, CEventArg*&) { a = NewArg(static_cast<unsigned int>(page)); });
}

int CProtocolsManagerImpl::CreateSearchPanes(unsigned int account, YolTabDlg::CDlgInfo* panes) {
    return R2(account, AccountCommand::CreateSearchPanes, true,
              [&](CEventArg*&, CEventArg*& b) { b = NewArg(panes); });
}

int CProtocolsManagerImpl::CreateSettingsPanes(unsigned int account, YolTabDlg::CDlgInfo* panes) {
    return R2(account, AccountCommand::CreateSettingsPanes, true,
              [&](CEventArg*& a, CEventArg*&) { a = NewArg(panes); });
}

int CProtocolsManagerImpl::GetAccountObject(unsigned int account, void** out) {
    return R2(account, AccountCommand::GetAccountObject, true, [&](CEventArg*& a, CEventArg*&) { a = NewArg(out); });
}

int CProtocolsManagerImpl::AcceptFile(unsigned int account, unsigned int contact, const CYolString& fileName,
                                      const CYolString& targetPath) {
    return R2(account, AccountCommand::AcceptFile, false, [&](CEventArg*& a, CEventArg*& b) {
        a = NewArg(contact);
        b = NewArg(StringPair(fileName, targetPath));
    });
}

int CProtocolsManagerImpl::SendFile(unsigned int account, unsigned int contact, const CYolString& path) {
    return R2(account, AccountCommand::SendFile, false, [&](CEventArg*& a, CEventArg*& b) {
        a = NewArg(contact);
        b = NewArg(path);
    });
}

int CProtocolsManagerImpl::RefuseFile(unsigned int account, unsigned int contact, const CYolString& fileName) {
    return R2(account, AccountCommand::RefuseFile, false, [&](CEventArg*& a, CEventArg*& b) {
        a = NewArg(contact);
        b = NewArg(fileName);
    });
}

// --- R1 and R3 commands --------------------------------------------------------------

bool CProtocolsManagerImpl::SendContactIdList(unsigned int account, CYolArray<unsigned int>* ids) {
    return R1(account, AccountCommand::ContactIdList, true, [&](CEventArg*& a, CEventArg*&) { a = NewArg(ids); });
}

bool CProtocolsManagerImpl::GetContactStatus(unsigned int account, unsigned int contact, ContactStatusInfo* out) {
    return R1(account, AccountCommand::GetContactStatus, true, [&](CEventArg*& a, CEventArg*& b) {
        a = NewArg(contact);
        b = NewArg(out);
    });
}

bool CProtocolsManagerImpl::SendMenu60(unsigned int account, CYolMenuInfo* menu) {
    return R1(account, AccountCommand::Menu60, true, [&](CEventArg*&, CEventArg*& b) { b = NewArg(menu); });
}

bool CProtocolsManagerImpl::SendMenu61(unsigned int account, unsigned int value, CYolMenuInfo* menu) {
    return R1(account, AccountCommand::Menu61, true, [&](CEventArg*& a, CEventArg*& b) {
        a = NewArg(value);
        b = NewArg(menu);
    });
}

bool CProtocolsManagerImpl::GetContactMenu(unsigned int account, unsigned int contact, CYolMenuInfo* menu) {
    return R1(account, AccountCommand::GetContactMenu, true, [&](CEventArg*& a, CEventArg*& b) {
        a = NewArg(contact);
        b = NewArg(menu);
    });
}

bool CProtocolsManagerImpl::GetContactQuickMenu(unsigned int account, unsigned int contact, CYolMenuInfo* menu) {
    return R1(account, AccountCommand::GetContactQuickMenu, true, [&](CEventArg*& a, CEventArg*& b) {
        a = NewArg(contact);
        b = NewArg(menu);
    });
}

bool CProtocolsManagerImpl::BroadcastMenu64(CYolMenuInfo* menu) {
    bool any = false;
    for (const AccountRef& ref : SnapshotAccounts()) {
        any = R1(ref.id, AccountCommand::Menu64, true, [&](CEventArg*& a, CEventArg*& b) {
            a = NewArg(ref.id);
            b = NewArg(menu);
        }) || any;
    }
    return any;
}

bool CProtocolsManagerImpl::AddGroup(unsigned int account, const CYolString& name) {
    return R1(account, AccountCommand::AddGroup, false, [&](CEventArg*& a, CEventArg*&) { a = NewArg(name); });
}

bool CProtocolsManagerImpl::RenameGroup(unsigned int account, unsigned int group, const CYolString& name) {
    return R1(account, AccountCommand::RenameGroup, true, [&](CEventArg*& a, CEventArg*& b) {
        a = NewArg(group);
        b = NewArg(name);
    });
}

bool CProtocolsManagerImpl::DeleteGroup(unsigned int account, unsigned int group) {
    return R1(account, AccountCommand::DeleteGroup, false, [&](CEventArg*& a, CEventArg*&) { a = NewArg(group); });
}

bool CProtocolsManagerImpl::AddContact(unsigned int account, unsigned int group, const CYolString& login,
                                       const CYolString& name) {
    return R1(account, AccountCommand::AddContact, false, [&](CEventArg*& a, CEventArg*& b) {
        a = NewArg(StringPair(login, name));
        b = NewArg(group);
    });
}

bool CProtocolsManagerImpl::RenameContact(unsigned int account, unsigned int contact, const CYolString& name) {
    return R1(account, AccountCommand::RenameContact, false, [&](CEventArg*& a, CEventArg*& b) {
        a = NewArg(contact);
        b = NewArg(name);
    });
}

bool CProtocolsManagerImpl::MoveContact(unsigned int account, unsigned int contact, unsigned int group) {
    return R1(account, AccountCommand::MoveContact, false, [&](CEventArg*& a, CEventArg*& b) {
        a = NewArg(contact);
        b = NewArg(group);
    });
}

bool CProtocolsManagerImpl::DeleteContact(unsigned int account, unsigned int contact) {
    return R1(account, AccountCommand::DeleteContact, false, [&](CEventArg*& a, CEventArg*&) { a = NewArg(contact); });
}

bool CProtocolsManagerImpl::SendContact80(unsigned int account, unsigned int contact) {
    return R1(account, AccountCommand::Contact80, false, [&](CEventArg*& a, CEventArg*&) { a = NewArg(contact); });
}

bool CProtocolsManagerImpl::RequestContactInfo(unsigned int account, unsigned int contact) {
    return R1(account, AccountCommand::RequestContactInfo, false,
              [&](CEventArg*& a, CEventArg*&) { a = NewArg(contact); });
}

bool CProtocolsManagerImpl::SendTyping(unsigned int account, unsigned int contact, bool typing) {
    return R1(account, AccountCommand::SendTyping, false, [&](CEventArg*& a, CEventArg*& b) {
        a = NewArg(contact);
        b = NewArg(typing);
    });
}

bool CProtocolsManagerImpl::SetAuthorization(unsigned int account, unsigned int contact, bool grant) {
    return R1(account, AccountCommand::SetAuthorization, false, [&](CEventArg*& a, CEventArg*& b) {
        a = NewArg(contact);
        b = NewArg(grant);
    });
}

// The command is queued and the application told in one step under the lock,
// so MessageSent never reports a message for an account already gone.
bool CProtocolsManagerImpl::SendMessage(unsigned int account, const MessageInfo& message, bool silent) {
    CYolCriticalSection::Guard guard(accountLock);
    const AccountInfo* info = Lookup(account);
    if (info == nullptr || services == nullptr)
        return false;
    int queued = services->SendEvent(info->clientId, ProtocolsManagerGuid, AccountCommand::SendMessage,
                                     NewArg(message), nullptr, false);
    if (queued != 1)
        return false;
    if (!silent)
        Broadcast(ProtocolsManagerEvent::MessageSent, AccountIdArg(account), NewArg(message), false);
    return true;
}

// --- login, status and menus ------------------------------------------------------------

void CProtocolsManagerImpl::GetAccountLogin(CYolString& out, unsigned int account, bool withProtocol) {
    out = CYolString();
    AccountRef ref;
    if (services == nullptr || !FindRef(account, ref))
        return;
    if (withProtocol)
        out = ref.protocol.GetString();
    CYolString login;
    services->SendEvent(ref.clientId, ProtocolsManagerGuid, AccountCommand::GetLogin, NewArg(&login), nullptr, true);
    out += login;
}

int CProtocolsManagerImpl::SetStatus(unsigned int account, Status status) {
    if (account != 0)
        return Command(account, AccountCommand::SetStatus, false, [&](CEventArg*& a, CEventArg*&) { a = NewArg(status); });

    std::vector<AccountRef> refs = SnapshotAccounts();
    std::vector<int> statuses;
    bool online = false;
    for (const AccountRef& ref : refs) {
        statuses.push_back(QueryStatus(ref));
        online = online || IsConnectedStatus(statuses.back());
    }
    int result = 0;
    for (size_t i = 0; i < refs.size(); ++i) {
        // A new online status goes to the connected accounts only (to all
        // when none is); going offline stops every account, connecting ones
        // included.
        if (status != Offline && online && !IsConnectedStatus(statuses[i]))
            continue;
        result = Command(refs[i].id, AccountCommand::SetStatus, false,
                         [&](CEventArg*& a, CEventArg*&) { a = NewArg(status); });
    }
    return result;
}

int CProtocolsManagerImpl::GetStatus(unsigned int account, Status& out) {
    if (account == 0) {
        out = GetGlobalStatus();
        return 0;
    }
    AccountRef ref;
    if (services == nullptr || !FindRef(account, ref))
        return 0;
    int status = services->SendEvent(ref.clientId, ProtocolsManagerGuid, AccountCommand::GetStatus, nullptr, nullptr,
                                     true);
    if (status >= 0)
        out = static_cast<Status>(status);
    return 0;
}

int CProtocolsManagerImpl::GetStatusInfo(unsigned int account, Status status, StatusInfo& out) {
    if (account != 0) {
        StatusInfo* target = &out;
        return R2(account, AccountCommand::GetStatusInfo, true, [&](CEventArg*& a, CEventArg*& b) {
            a = NewArg(status);
            b = NewArg(target);
        });
    }
    std::lock_guard<std::mutex> guard(globalLock);
    for (const StatusInfo& entry : globalStatusList) {
        if (entry.status == status) {
            out = entry;
            break;
        }
    }
    return 0;
}

int CProtocolsManagerImpl::GetAccountMenu(unsigned int account, unsigned int kind, CYolMenuInfo* menu) {
    if (account != 0) {
        return R2(account, AccountCommand::GetAccountMenu, true, [&](CEventArg*& a, CEventArg*& b) {
            a = NewArg(menu);
            b = NewArg(kind);
        });
    }
    if (kind != 0 || menu == nullptr)
        return 0;
    std::lock_guard<std::mutex> guard(globalLock);
    menu->title = CYolFormatString(globalStatusTitle);
    for (const StatusInfo& entry : globalStatusList) {
        // Connecting is a state the user cannot ask for.
        if (entry.status == Connecting)
            continue;
        menu->Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, entry.icon, CYolFormatString(entry.name), 0,
                                   &GlobalStatusMenuCallback, YolMenuContext(static_cast<unsigned int>(entry.status)),
                                   entry.status == globalStatus));
    }
    return 0;
}

int CProtocolsManagerImpl::GlobalStatusMenuCallback(unsigned int /*account*/, void* status) {
    if (CProtocolsManagerImpl* manager = g_protocolsManager.load(std::memory_order_acquire))
        manager->SetStatus(0, static_cast<Status>(YolMenuContextValue(status)));
    return 0;
}

}  // namespace Protocols
