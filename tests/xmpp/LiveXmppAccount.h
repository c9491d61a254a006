#pragma once
// An XMPP account wired as the program wires it, with the real sockets
// service, so that it talks to a real server: the real services manager, the
// program's event-argument factory, the contact-list model over an in-memory
// settings file, and the protocols-manager double of the account harness
// (which keeps the account's values and records its events). What the
// contact list tells its subscribers about messages and statuses is kept as
// text lines a test can wait for (ContactListLog of the harness).

#include "CSocketsManagerImpl.h"
#include "XmppAccountHarness.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace XmppPeers {

using XmppTest::U;

// What the contact list tells its subscribers, as text lines.
using XmppTest::ContactListLog;

class LiveXmppAccount : public TempFolder {
public:
    static constexpr unsigned int kAccountId = 0x20000001;

    explicit LiveXmppAccount(int kind = JabberKindXmpp) {
        database = std::make_unique<Database::CYolDatabaseImpl>(&services, U(PathOf("settings.yol")));
        services.RegisterService(Protocols::EventArgFactoryGuid, static_cast<Protocols::CEventArgFactory*>(&factory));
        services.RegisterService(ProtocolsManagerGuid, static_cast<Protocols::CProtocolsManager*>(&manager));
        for (int event : {1, 3, 4, 6})
            services.RegisterEvent(ProtocolsManagerGuid, event);
        manager.accountId = kAccountId;
        manager.changes = &changes;
        managerKey = services.RegisterEventsClient(&manager, U("Protocols manager"));
        sockets = std::make_unique<Sockets::CSocketsManagerImpl>(&services);
        contactList = std::make_unique<CL::CContactListImpl>(&services);
        log.Attach(services, &changes);
        services.BroadcastStarted();
        account = new CJabberAccount(&services, kAccountId, managerKey, kind);
        account->SetProtocolId(*GetJabberFlavour(kind).protocol);
        XmppTest::AnnounceAccount(services, *contactList, kAccountId);
        manager.pagesServices = &services;
        manager.pagesClient = account->GetClientId();
    }
    ~LiveXmppAccount() {
        if (account) {
            Command(Protocols::AccountCommand::Shutdown);
            account->Destroy();
        }
        sockets.reset();
        contactList.reset();
        services.StopAllQueues();
    }
    LiveXmppAccount(const LiveXmppAccount&) = delete;
    LiveXmppAccount& operator=(const LiveXmppAccount&) = delete;

    // Points the account at a server on 127.0.0.1 (the login's domain is
    // the server's virtual host), then initialises it.
    void Setup(const std::string& jid, const std::string& password, unsigned int port, bool tls) {
        manager.SetAccountString(kAccountId, U("SrvLogName"), U(jid), false);
        manager.SetAccountString(kAccountId, U("SrvLogPass"), U(password), true);
        manager.SetAccountDword(kAccountId, U("SrvConPort"), port);
        manager.SetAccountByte(kAccountId, U("SrvSpecBool1"), tls ? 1 : 0);
        manager.SetAccountByte(kAccountId, U("SrvSpecBool2"), 1);
        manager.SetAccountString(kAccountId, U("SrvSpecString2"), U("127.0.0.1"), false);
        manager.SetAccountDword(kAccountId, U("SrvSpecDword2"), port);
        manager.login = U(jid);
        Command(Protocols::AccountCommand::Init);
        Command(Protocols::AccountCommand::Ready);
    }

    int Command(int event, Services::CEventArg* first = nullptr, Services::CEventArg* second = nullptr) {
        return services.SendEvent(account->GetClientId(), ProtocolsManagerGuid, event, first, second, true);
    }
    static Services::CEventArg* Arg(unsigned int value) { return new Services::CEventArg_Data<unsigned int>(value); }
    static Services::CEventArg* Arg(const std::string& text) {
        return new Services::CEventArg_Data<CYolString>(U(text));
    }
    static Services::CEventArg* Arg(bool value) { return new Services::CEventArg_Data<bool>(value); }

    void SetStatus(Protocols::Status status) {
        Command(Protocols::AccountCommand::SetStatus, new Services::CEventArg_Data<Protocols::Status>(status));
    }
    int GetStatus() { return Command(Protocols::AccountCommand::GetStatus); }

    // Checks `done` (on the test's thread) now and whenever the account
    // reported something or the contact list changed, until it holds or
    // the time is up.
    bool Eventually(const std::function<bool()>& done, int timeoutMs = 15000) {
        return changes.Until(done, timeoutMs);
    }
    bool WaitForStatus(int status, int timeoutMs = 15000) {
        return Eventually([&] { return GetStatus() == status; }, timeoutMs);
    }

    // --- the contact-list model ---------------------------------------------------------
    void DrainList() {
        services.SendEvent(account->GetClientId(), ServicesManagerGuid, 0, nullptr, nullptr, true);
        services.SendEvent(contactList->GetEventsClientId(), ServicesManagerGuid, 0, nullptr, nullptr, true);
    }
    CYolString ItemString(unsigned int id, const char* key) {
        CYolString value;
        contactList->GetItemString(id, U(key), value);
        return value;
    }
    std::vector<CL::CLItemInfo> Rows() {
        DrainList();
        CYolArray<CL::CLItemInfo> items;
        contactList->GetAccountItems(kAccountId, items);
        std::vector<CL::CLItemInfo> rows;
        for (int i = 0; i < items.Count(); ++i)
            rows.push_back(items[i]);
        return rows;
    }
    unsigned int ContactOf(const std::string& jid) {
        for (const CL::CLItemInfo& row : Rows())
            if (row.itemId != 0 && ItemString(row.itemId, "SrvLogName") == U(jid))
                return row.itemId;
        return 0;
    }
    unsigned int GroupNamed(const std::string& name) {
        for (const CL::CLItemInfo& row : Rows())
            if (row.itemId == 0 && ItemString(row.parentId, "SrvLogName") == U(name))
                return row.parentId;
        return 0;
    }
    // "Group/jid 'alias' subscription" per contact, sorted.
    std::vector<std::string> Contacts() {
        std::vector<std::string> out;
        for (const CL::CLItemInfo& row : Rows()) {
            if (row.itemId == 0)
                continue;
            unsigned char subscription = 0xFF;
            contactList->GetItemByte(row.itemId, U("Subscription"), &subscription);
            std::string group = row.parentId ? ItemString(row.parentId, "SrvLogName").ToUtf8() : "-";
            out.push_back(group + "/" + ItemString(row.itemId, "SrvLogName").ToUtf8() + " '" +
                          ItemString(row.itemId, "CL Alias").ToUtf8() + "' " + std::to_string(subscription));
        }
        std::sort(out.begin(), out.end());
        return out;
    }
    Protocols::ContactStatusInfo Shown(unsigned int contact) {
        DrainList();
        Protocols::ContactStatusInfo info;
        contactList->GetItemStatus(info, contact);
        return info;
    }

    XmppTest::ChangeSignal changes;
    Services::CServicesManagerImpl services;
    Protocols::CEventArgFactoryImpl factory;
    XmppTest::XmppFakeProtocolsManager manager;
    std::unique_ptr<Database::CYolDatabaseImpl> database;
    std::unique_ptr<Sockets::CSocketsManagerImpl> sockets;
    std::unique_ptr<CL::CContactListImpl> contactList;
    ContactListLog log;
    unsigned int managerKey = 0;
    CJabberAccount* account = nullptr;
};

}  // namespace XmppPeers
