#pragma once
// An OSCAR account wired as the program wires it, with the real sockets
// service, so that it talks to a real (scripted) server over loopback: the
// real services manager and event-argument factory, the contact-list model,
// and the protocols-manager double of the XMPP harness, which keeps the
// account's values and records its events.

#include "CMD5.h"
#include "CRuvAccount.h"
#include "CRuvSettings.h"
#include "CSocketsManagerImpl.h"
#include "XmppAccountHarness.h"

#include <memory>
#include <string>

namespace RuvPeers {

using XmppTest::U;

class LiveRuvAccount {
public:
    static constexpr unsigned int kAccountId = 0x30000001;

    LiveRuvAccount() {
        services.RegisterService(Protocols::EventArgFactoryGuid, static_cast<Protocols::CEventArgFactory*>(&factory));
        services.RegisterService(ProtocolsManagerGuid, static_cast<Protocols::CProtocolsManager*>(&manager));
        manager.accountId = kAccountId;
        manager.changes = &changes;
        managerKey = services.RegisterEventsClient(&manager, U("Protocols manager"));
        sockets = std::make_unique<Sockets::CSocketsManagerImpl>(&services);
        services.BroadcastStarted();
        account = new CRuvAccount(&services, kAccountId, managerKey);
    }
    ~LiveRuvAccount() {
        Command(Protocols::AccountCommand::Shutdown);
        account->Destroy();
        sockets.reset();
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

    XmppTest::ChangeSignal changes;
    Services::CServicesManagerImpl services;
    Protocols::CEventArgFactoryImpl factory;
    XmppTest::XmppFakeProtocolsManager manager;
    std::unique_ptr<Sockets::CSocketsManagerImpl> sockets;
    unsigned int managerKey = 0;
    CRuvAccount* account = nullptr;
};

}  // namespace RuvPeers
