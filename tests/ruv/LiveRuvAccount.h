#pragma once
// An OSCAR account wired as the program wires it, with the real sockets
// service, so that it talks to a real (scripted) server over loopback: the
// real services manager and event-argument factory, the contact-list model
// over an in-memory settings file, and the protocols-manager double of the
// XMPP harness, which keeps the account's values and records its events.
// What the contact list tells its subscribers is kept as text lines a test
// can wait for.

#include "CMD5.h"
#include "CRuvAccount.h"
#include "CRuvSettings.h"
#include "CSkinManager.h"
#include "CSocketsManagerImpl.h"
#include "XmppAccountHarness.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace RuvPeers {

using XmppTest::U;

// The skin service as far as the plug-in uses it: one id per image name.
class RecordingSkins : public Skins::CSkinManager {
public:
    int RegisterImage(const CYolString& fileName) override {
        std::lock_guard guard(lock);
        const std::string name = fileName.ToUtf8();
        const auto found = ids.find(name);
        if (found != ids.end())
            return found->second;
        const int id = 9000 + static_cast<int>(ids.size());
        ids.emplace(name, id);
        return id;
    }
    void ReleaseImage(int) override {}
    CYolString& GetLanguage(CYolString& out) override { return out; }
    HBRUSH GetBkBrush() override { return nullptr; }
    COLORREF GetTextColor() override { return 0; }
    // The name registered under `id`; "" for none.
    std::string NameOf(int id) {
        std::lock_guard guard(lock);
        for (const auto& [name, value] : ids)
            if (value == id)
                return name;
        return "";
    }

private:
    std::mutex lock;
    std::map<std::string, int> ids;
};

class LiveRuvAccount : public TempFolder {
public:
    static constexpr unsigned int kAccountId = 0x30000001;

    LiveRuvAccount() {
        database = std::make_unique<Database::CYolDatabaseImpl>(&services, U(PathOf("settings.yol")));
        services.RegisterService(Protocols::EventArgFactoryGuid, static_cast<Protocols::CEventArgFactory*>(&factory));
        services.RegisterService(ProtocolsManagerGuid, static_cast<Protocols::CProtocolsManager*>(&manager));
        manager.accountId = kAccountId;
        manager.changes = &changes;
        for (int event : {1, 3, 4, 6})
            services.RegisterEvent(ProtocolsManagerGuid, event);
        managerKey = services.RegisterEventsClient(&manager, U("Protocols manager"));
        sockets = std::make_unique<Sockets::CSocketsManagerImpl>(&services);
        contactList = std::make_unique<CL::CContactListImpl>(&services);
        log.Attach(services, &changes);
        services.BroadcastStarted();
        account = new CRuvAccount(&services, kAccountId, managerKey);
        XmppTest::AnnounceAccount(services, *contactList, kAccountId);
    }
    ~LiveRuvAccount() {
        Command(Protocols::AccountCommand::Shutdown);
        account->Destroy();
        sockets.reset();
        contactList.reset();
        services.StopAllQueues();
    }
    LiveRuvAccount(const LiveRuvAccount&) = delete;
    LiveRuvAccount& operator=(const LiveRuvAccount&) = delete;

    // Points the account at a login server on 127.0.0.1, stores the
    // password as the settings pane would (its digest, scrambled), and
    // initialises the account.
    void Setup(const std::string& login, const std::string& password, unsigned int port) {
        unsigned char digest[16];
        CMD5::Hash(password.data(), static_cast<unsigned int>(password.size()), digest);
        static const char* digits = "0123456789ABCDEF";
        std::string hex;
        for (unsigned char byte : digest) {
            hex.push_back(digits[byte >> 4]);
            hex.push_back(digits[byte & 15]);
        }
        std::string blob = ScramblePasswordText(hex);
        manager.SetAccountBlob(kAccountId, U("SrvLogPass"), blob.data(), static_cast<unsigned int>(blob.size()));
        manager.SetAccountString(kAccountId, U("SrvLogName"), U(login), false);
        manager.SetAccountString(kAccountId, U("SrvConServer"), U("127.0.0.1"), false);
        manager.SetAccountDword(kAccountId, U("SrvConPort"), port);
        manager.login = U(login);
        Command(Protocols::AccountCommand::Init);
    }

    // Offers the skin service, without which client pictures (and so the
    // client rules) are not loaded; before Setup. Accounts in one process
    // share one plug-in, so they share the service too.
    void UseSkins(RecordingSkins& shared) {
        skins = &shared;
        services.RegisterService(SkinManagerGuid, static_cast<Skins::CSkinManager*>(skins));
    }

    int Command(int event, Services::CEventArg* first = nullptr, Services::CEventArg* second = nullptr) {
        return services.SendEvent(account->GetClientId(), ProtocolsManagerGuid, event, first, second, true);
    }
    void SetStatus(Protocols::Status status) {
        Command(Protocols::AccountCommand::SetStatus, new Services::CEventArg_Data<Protocols::Status>(status));
    }
    int GetStatus() { return Command(Protocols::AccountCommand::GetStatus); }
    bool Eventually(const std::function<bool()>& done, int timeoutMs = 15000) { return changes.Until(done, timeoutMs); }
    bool WaitForStatus(int status, int timeoutMs = 15000) {
        return Eventually([&] { return GetStatus() == status; }, timeoutMs);
    }
    // Waits for a ShowText event with `text`, reading the events it passes.
    bool WaitForText(const std::string& text) {
        return Eventually([&] {
            for (const auto& e : manager.TakeEvents())
                if (e.event == Protocols::AccountEvent::ShowText && e.text.ToUtf8() == text)
                    return true;
            return false;
        });
    }

    // A menu entry chosen for `id` (a contact, or 0), as its call-back posts it.
    void Choose(unsigned int id, unsigned int choice) {
        services.SendEvent(account->GetClientId(), RuvProtocolGuid, RuvMenus::kMenuEvent, Arg(id), Arg(choice), true);
    }

    static Services::CEventArg* Arg(unsigned int value) { return new Services::CEventArg_Data<unsigned int>(value); }
    static Services::CEventArg* Arg(bool value) { return new Services::CEventArg_Data<bool>(value); }
    static Services::CEventArg* Arg(const std::string& text) {
        return new Services::CEventArg_Data<CYolString>(U(text));
    }

    // --- the contact-list model ---
    void DrainList() {
        services.SendEvent(account->GetClientId(), ServicesManagerGuid, 0, nullptr, nullptr, true);
        services.SendEvent(contactList->GetEventsClientId(), ServicesManagerGuid, 0, nullptr, nullptr, true);
        // Events the account (or a page on the UI thread) sent the manager
        // wait on its own queue.
        services.SendEvent(managerKey, ServicesManagerGuid, 0, nullptr, nullptr, true);
    }
    CYolString ItemString(unsigned int id, const char* key) {
        CYolString value;
        contactList->GetItemString(id, U(key), value);
        return value;
    }
    unsigned char Flag(unsigned int id, const char* key) {
        unsigned char value = 0;
        contactList->GetItemByte(id, U(key), &value);
        return value;
    }
    std::vector<CL::CLItemInfo> Rows() {
        DrainList();
        CYolArray<CL::CLItemInfo> items;
        contactList->GetAccountItems(kAccountId, items);
        return std::vector<CL::CLItemInfo>(items.begin(), items.end());
    }
    unsigned int ContactOf(const std::string& name) {
        for (const CL::CLItemInfo& row : Rows())
            if (row.itemId != 0 && ItemString(row.itemId, "SrvLogName") == U(name))
                return row.itemId;
        return 0;
    }
    unsigned int GroupNamed(const std::string& name) {
        for (const CL::CLItemInfo& row : Rows())
            if (row.itemId == 0 && ItemString(row.parentId, "SrvLogName") == U(name))
                return row.parentId;
        return 0;
    }
    // "Group/name 'alias'" per contact, sorted.
    std::vector<std::string> Contacts() {
        std::vector<std::string> out;
        for (const CL::CLItemInfo& row : Rows()) {
            if (row.itemId == 0)
                continue;
            std::string group = row.parentId ? ItemString(row.parentId, "SrvLogName").ToUtf8() : "-";
            out.push_back(group + "/" + ItemString(row.itemId, "SrvLogName").ToUtf8() + " '" +
                          ItemString(row.itemId, "CL Alias").ToUtf8() + "'");
        }
        std::sort(out.begin(), out.end());
        return out;
    }
    // The picture name of the extra status icon the account gives a
    // contact ("" for none): the client its rules recognised. Asked through
    // the account's own queue, as the program asks.
    std::string ClientPictureOf(unsigned int contact) {
        const std::vector<std::string> pictures = PicturesOf(contact);
        return pictures.empty() ? "" : pictures.back();
    }
    // The names of every picture among the contact's extra status icons, in
    // their order.
    std::vector<std::string> PicturesOf(unsigned int contact) {
        Protocols::ContactStatusInfo status;
        services.SendEvent(account->GetClientId(), ProtocolsManagerGuid, Protocols::AccountCommand::GetContactStatus,
                           Arg(contact), new Services::CEventArg_Data<Protocols::ContactStatusInfo*>(&status), true);
        std::vector<std::string> pictures;
        for (const auto& icon : status.extraIcons)
            for (unsigned int id : icon)
                if (std::string name = skins ? skins->NameOf(static_cast<int>(id)) : ""; !name.empty())
                    pictures.push_back(name);
        return pictures;
    }
    // Sends a text message to a contact as the message window does.
    void SendText(unsigned int contact, const std::string& text, unsigned int messageId) {
        Protocols::MessageInfo message;
        message.contactId = contact;
        message.messageId = messageId;
        message.text = CYolString::FromUtf8(text);
        Command(Protocols::AccountCommand::SendMessage, new Services::CEventArg_Data<Protocols::MessageInfo>(message));
    }

    XmppTest::ChangeSignal changes;
    Services::CServicesManagerImpl services;
    RecordingSkins* skins = nullptr;
    Protocols::CEventArgFactoryImpl factory;
    XmppTest::XmppFakeProtocolsManager manager;
    std::unique_ptr<Database::CYolDatabaseImpl> database;
    std::unique_ptr<Sockets::CSocketsManagerImpl> sockets;
    std::unique_ptr<CL::CContactListImpl> contactList;
    XmppTest::ContactListLog log;
    unsigned int managerKey = 0;
    CRuvAccount* account = nullptr;
};

}  // namespace RuvPeers
