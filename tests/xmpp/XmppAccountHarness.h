#pragma once
// An XMPP account under test, wired to the real services manager, the real
// contact-list model and an in-memory settings file, with two doubles in
// place of the network and of the protocols manager:
//   - RecordingSockets records every byte the account sends and hands it
//     whatever a test injects, split anywhere, plus connect results and
//     closes;
//   - XmppFakeProtocolsManager keeps the account's values (its settings)
//     and records every account event the account posts.
// Commands and socket events reach the account the way the program sends
// them: as events on the account's own queue thread, waited for. Nothing
// opens a port. The account is announced to the contact-list model, so the
// model keeps its items from the start.
//
//     XmppAccountHarness h;            // kind 1 (plain XMPP), not started
//     h.SetValue("SrvLogName", "alice@example.org");
//     h.Init();                        // AccountCommand::Init
//     h.SetStatus(Protocols::Online);  // connects: h.sockets.connects has the settings
//     h.Connected();                   // connect result 0: the stream header goes out
//     h.Receive("<stream:stream ...>");
//     h.TakeSent();                    // what went out since the last take
//     h.Events();                      // account events, after the queues drained

#include "CAccount.h"
#include "CContactListImpl.h"
#include "CEventArg.h"
#include "CEventArgFactoryImpl.h"
#include "CEventsClient.h"
#include "CJabberAccount.h"
#include "CProtocolsManager.h"
#include "CServicesManagerImpl.h"
#include "CSocketsManager.h"
#include "ContactListEvents.h"
#include "CYolClock.h"
#include "CYolDatabaseImpl.h"
#include "NullProtocolsManager.h"
#include "RecordingSockets.h"
#include "ProtocolsManagerEvents.h"
#include "TestSupport.h"
#include "YolGuids.h"
#include "YolTabDlg.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace XmppTest {

using Services::CEventArg;
using Services::CEventArg_Data;

using ::U;

// ------------------------------------------------------------------ sockets

using RecordingSockets = YolTest::RecordingSockets;

// ------------------------------------------------------------ change signal

// Counts what the doubles record, so that a test re-checks its condition
// each time something arrived instead of looking again on a timer.
class ChangeSignal {
public:
    void Notify() {
        {
            std::lock_guard guard(lock);
            ++count;
        }
        wake.notify_all();
    }
    // Evaluates `done` now and after every change until it holds; false
    // when the time ran out first.
    bool Until(const std::function<bool()>& done, int timeoutMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            uint64_t seen;
            {
                std::lock_guard guard(lock);
                seen = count;
            }
            if (done())
                return true;
            std::unique_lock guard(lock);
            if (!wake.wait_until(guard, deadline, [&] { return count != seen; }))
                return false;
        }
    }

private:
    std::mutex lock;
    std::condition_variable wake;
    uint64_t count = 0;
};

// ---------------------------------------------------------- protocols manager

// One account event as the account posted it.
struct AccountEventRecord {
    int event = 0;
    unsigned int account = 0;
    bool hasSecond = false;
    CYolString text;                         // ShowText, OpenUrl
    Protocols::StatusInfo status;            // StatusChanged
    CYolArray<unsigned int> icon;            // AddStatusIcon
    Protocols::TimerRequest timer;           // SetTimer
    Protocols::TimerInfo timerInfo;          // KillTimer
    Protocols::NotificationInfo notification;
    Protocols::FTProgress progress;
    Protocols::UserInfo user;
    unsigned int number = 0;                 // ContactDetailsReady (item id), ClearContacts (generation)
};

class XmppFakeProtocolsManager final : public YolTest::NullProtocolsManager, public Services::CEventsClient {
public:
    unsigned int accountId = 0;
    CYolString login;
    ChangeSignal* changes = nullptr;  // told of every event recorded

    // --- events client: the account's events --------------------------------------
    int OnEvent(const YOL_GUID&, int event, CEventArg* arg, CEventArg* extra) override {
        if (event < Protocols::AccountEvent::First || event > Protocols::AccountEvent::Last)
            return 0;
        AccountEventRecord record;
        record.event = event;
        if (arg)
            record.account = static_cast<CEventArg_Data<unsigned int>*>(arg)->data;
        record.hasSecond = extra != nullptr;
        if (extra)
            Read(event, extra, record);
        {
            std::lock_guard guard(lock);
            events.push_back(std::move(record));
        }
        if (changes != nullptr)
            changes->Notify();
        return 1;
    }
    static CEventArg* PanesArg(YolTabDlg::CDlgInfo* panes) { return new CEventArg_Data<YolTabDlg::CDlgInfo*>(panes); }
    int ToAccount(int command, CEventArg* first, CEventArg* second) {
        if (pagesServices == nullptr) {
            for (CEventArg* arg : {first, second})
                if (arg != nullptr)
                    arg->AddRef(0);
            return 0;
        }
        return pagesServices->SendEvent(pagesClient, ProtocolsManagerGuid, command, first, second, true);
    }

    // --- the program's page and search commands, sent on to the account ---------------
    // Set once the account exists: the pages and the searches the program's
    // dialogs ask the manager for go to it, waited for, as the program's
    // manager sends them.
    Services::CServicesManager* pagesServices = nullptr;
    unsigned int pagesClient = 0;

    int CreateSettingsPanes(unsigned int, YolTabDlg::CDlgInfo* panes) override {
        return ToAccount(Protocols::AccountCommand::CreateSettingsPanes, PanesArg(panes), nullptr);
    }
    int CreateOwnDetailsPanes(unsigned int, YolTabDlg::CDlgInfo* panes) override {
        return ToAccount(Protocols::AccountCommand::CreateOwnDetailsPanes, PanesArg(panes), nullptr);
    }
    int CreateContactDetailsPanes(unsigned int, unsigned int contact, YolTabDlg::CDlgInfo* panes) override {
        return ToAccount(Protocols::AccountCommand::CreateContactDetailsPanes,
                         new CEventArg_Data<unsigned int>(contact), PanesArg(panes));
    }
    int CreateSearchPanes(unsigned int, YolTabDlg::CDlgInfo* panes) override {
        return ToAccount(Protocols::AccountCommand::CreateSearchPanes, nullptr, PanesArg(panes));
    }
    int StartSearch(unsigned int, int page) override {
        return ToAccount(Protocols::AccountCommand::StartSearch,
                         new CEventArg_Data<unsigned int>(static_cast<unsigned int>(page)), nullptr);
    }
    int GetStatus(unsigned int, Protocols::Status& out) override {
        const int status = ToAccount(Protocols::AccountCommand::GetStatus, nullptr, nullptr);
        out = static_cast<Protocols::Status>(status < 0 ? 0 : status);
        return 0;
    }

    std::vector<AccountEventRecord> TakeEvents() {
        std::lock_guard guard(lock);
        std::vector<AccountEventRecord> out;
        out.swap(events);
        return out;
    }

    // --- account values ---------------------------------------------------------------
    bool GetAccountValueSize(unsigned int, const CYolString& key, unsigned int& size) override {
        std::lock_guard guard(lock);
        auto it = values.find(key.ToU16());
        if (it == values.end())
            return false;
        size = static_cast<unsigned int>(it->second.size());
        return true;
    }
    bool GetAccountBlob(unsigned int, const CYolString& key, void* buffer, unsigned int& size) override {
        std::lock_guard guard(lock);
        auto it = values.find(key.ToU16());
        if (it == values.end())
            return false;
        bool fits = size >= it->second.size();
        if (fits && !it->second.empty())
            std::memcpy(buffer, it->second.data(), it->second.size());
        size = static_cast<unsigned int>(it->second.size());
        return fits;
    }
    bool GetAccountString(unsigned int, const CYolString& key, CYolString& value, bool) override {
        std::lock_guard guard(lock);
        auto it = values.find(key.ToU16());
        if (it == values.end())
            return false;
        value = CYolString(reinterpret_cast<const char16_t*>(it->second.data()),
                           static_cast<int>(it->second.size() / 2));
        return true;
    }
    bool GetAccountDword(unsigned int, const CYolString& key, unsigned int& value) override { return Get(key, value); }
    bool GetAccountWord(unsigned int, const CYolString& key, unsigned short& value) override { return Get(key, value); }
    bool GetAccountByte(unsigned int, const CYolString& key, unsigned char& value) override { return Get(key, value); }
    bool GetAccountBool(unsigned int, const CYolString& key, bool& value) override {
        unsigned char byte = 0;
        if (!Get(key, byte))
            return false;
        value = byte != 0;
        return true;
    }
    bool SetAccountBlob(unsigned int, const CYolString& key, const void* data, const unsigned int& size) override {
        std::lock_guard guard(lock);
        auto* bytes = static_cast<const uint8_t*>(data);
        values[key.ToU16()] = std::vector<uint8_t>(bytes, bytes + size);
        return true;
    }
    bool SetAccountString(unsigned int, const CYolString& key, const CYolString& value, bool) override {
        std::lock_guard guard(lock);
        auto* units = reinterpret_cast<const uint8_t*>(value.c_str());
        values[key.ToU16()] = std::vector<uint8_t>(units, units + 2 * value.Length());
        return true;
    }
    bool SetAccountDword(unsigned int, const CYolString& key, const unsigned int& value) override { return Set(key, value); }
    bool SetAccountWord(unsigned int, const CYolString& key, const unsigned short& value) override { return Set(key, value); }
    bool SetAccountByte(unsigned int, const CYolString& key, const unsigned char& value) override { return Set(key, value); }
    bool SetAccountBool(unsigned int, const CYolString& key, const bool& value) override {
        return Set(key, static_cast<unsigned char>(value ? 1 : 0));
    }
    bool HasValue(std::string_view key) {
        std::lock_guard guard(lock);
        return values.count(U(key).ToU16()) != 0;
    }

    // --- the one account ----------------------------------------------------------------
    int GetAccountCount() override { return accountId ? 1 : 0; }
    unsigned int GetAccountId(unsigned int index) override { return index == 0 ? accountId : 0; }
    void GetAccountLogin(CYolString& out, unsigned int account, bool) override {
        out = account == accountId ? login : CYolString();
    }

private:
    template <typename T>
    bool Get(const CYolString& key, T& value) {
        std::lock_guard guard(lock);
        auto it = values.find(key.ToU16());
        if (it == values.end() || it->second.size() != sizeof(T))
            return false;
        std::memcpy(&value, it->second.data(), sizeof(T));
        return true;
    }
    template <typename T>
    bool Set(const CYolString& key, T value) {
        std::lock_guard guard(lock);
        auto* bytes = reinterpret_cast<const uint8_t*>(&value);
        values[key.ToU16()] = std::vector<uint8_t>(bytes, bytes + sizeof(T));
        return true;
    }
    template <typename T>
    static const T& Data(CEventArg* arg) {
        return static_cast<CEventArg_Data<T>*>(arg)->data;
    }
    static void Read(int event, CEventArg* extra, AccountEventRecord& record) {
        namespace E = Protocols::AccountEvent;
        switch (event) {
        case E::StatusChanged: record.status = Data<Protocols::StatusInfo>(extra); break;
        case E::ShowText:
        case E::OpenUrl: record.text = Data<CYolString>(extra); break;
        case E::AddStatusIcon: record.icon = Data<CYolArray<unsigned int>>(extra); break;
        case E::SetTimer: record.timer = Data<Protocols::TimerRequest>(extra); break;
        case E::KillTimer: record.timerInfo = Data<Protocols::TimerInfo>(extra); break;
        case E::Notification: record.notification = Data<Protocols::NotificationInfo>(extra); break;
        case E::FileTransferProgress: record.progress = Data<Protocols::FTProgress>(extra); break;
        case E::SearchResult: record.user = Data<Protocols::UserInfo>(extra); break;
        case E::ClearContacts:
        case E::ContactDetailsReady: record.number = Data<unsigned int>(extra); break;
        default: break;
        }
    }

    std::mutex lock;
    std::map<std::u16string, std::vector<uint8_t>> values;
    std::vector<AccountEventRecord> events;
};

// ------------------------------------------------------------ contact-list log

// The contact list's broadcasts as lines: "message <contact> <kind> <text>",
// "ack <contact> <message id>", "notsent <contact> <message id> <text>",
// "status <contact> <status> <text>", "typing <contact> <flag>".
class ContactListLog final : public Services::CEventsClient {
public:
    ContactListLog() = default;
    ContactListLog(const ContactListLog&) = delete;
    ContactListLog& operator=(const ContactListLog&) = delete;
    // No queue may call the log once it is gone.
    ~ContactListLog() {
        if (services != nullptr)
            services->UnregisterEventsClient(key);
    }

    // `changes` (when given) is told of every broadcast, the list's own
    // changes (contacts and groups added, changed, removed) among them.
    void Attach(Services::CServicesManager& manager, ChangeSignal* changes = nullptr) {
        services = &manager;
        this->changes = changes;
        key = manager.RegisterEventsClient(this, U("Contact-list log"));
        for (int event : {CL::ContactListEvent::MessageReceived, CL::ContactListEvent::MessageAcknowledged,
                          CL::ContactListEvent::MessageNotSent,
                          CL::ContactListEvent::ContactStatusChanged, CL::ContactListEvent::ContactTyping,
                          CL::ContactListEvent::GroupAdded, CL::ContactListEvent::GroupChanged,
                          CL::ContactListEvent::GroupRemoved, CL::ContactListEvent::ContactAdded,
                          CL::ContactListEvent::ContactRemoved, CL::ContactListEvent::ContactChanged})
            manager.Subscribe(ContactListGuid, event, key);
    }
    int OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* arg, Services::CEventArg* extra) override {
        if (channel != ContactListGuid || arg == nullptr)
            return 0;
        const int result = Record(event, arg, extra);
        if (changes != nullptr)
            changes->Notify();
        return result;
    }
    int Record(int event, Services::CEventArg* arg, Services::CEventArg* extra) {
        const unsigned int id = static_cast<Services::CEventArg_Data<unsigned int>*>(arg)->data;
        std::string line;
        switch (event) {
            case CL::ContactListEvent::MessageReceived: {
                const auto& m = static_cast<Services::CEventArg_Data<Protocols::MessageInfo>*>(extra)->data;
                line = "message " + std::to_string(id) + " " + std::to_string(m.kind) + " " + m.text.ToUtf8();
                std::lock_guard guard(lock);
                messages.push_back(m);
                break;
            }
            case CL::ContactListEvent::MessageAcknowledged:
                line = "ack " + std::to_string(id) + " " +
                       std::to_string(static_cast<Services::CEventArg_Data<unsigned int>*>(extra)->data);
                break;
            case CL::ContactListEvent::MessageNotSent: {
                const auto& m = static_cast<Services::CEventArg_Data<Protocols::MessageInfo>*>(extra)->data;
                line = "notsent " + std::to_string(id) + " " + std::to_string(m.messageId) + " " + m.text.ToUtf8();
                break;
            }
            case CL::ContactListEvent::ContactStatusChanged: {
                const auto& s = static_cast<Services::CEventArg_Data<Protocols::ContactStatusInfo>*>(extra)->data;
                line = "status " + std::to_string(id) + " " + std::to_string(s.status) + " " + s.text.ToUtf8();
                break;
            }
            case CL::ContactListEvent::ContactTyping:
                line = "typing " + std::to_string(id);
                break;
            default:
                return 0;
        }
        std::lock_guard guard(lock);
        lines.push_back(line);
        wake.notify_all();
        return 0;
    }
    // The first line, kept so far or coming within the time, that starts
    // with `prefix`; "" when none came. The line is taken.
    std::string WaitFor(const std::string& prefix, int timeoutMs = 15000) {
        std::unique_lock guard(lock);
        std::string found;
        wake.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] {
            auto it = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
            if (it == lines.end())
                return false;
            found = *it;
            lines.erase(it);
            return true;
        });
        return found;
    }

    // Waits until the log has taken every event posted to it so far.
    void Sync() {
        if (services != nullptr)
            services->SendEvent(key, ServicesManagerGuid, 0, nullptr, nullptr, true);
    }
    // The messages received so far, whole, taken.
    std::vector<Protocols::MessageInfo> TakeMessages() {
        std::lock_guard guard(lock);
        std::vector<Protocols::MessageInfo> out;
        out.swap(messages);
        return out;
    }

private:
    Services::CServicesManager* services = nullptr;
    ChangeSignal* changes = nullptr;
    unsigned int key = 0;
    std::mutex lock;
    std::condition_variable wake;
    std::vector<std::string> lines;
    std::vector<Protocols::MessageInfo> messages;
};

// ------------------------------------------------------------------ harness

// The contact-list model keeps items only for accounts the protocols
// manager has announced; the program announces every account it starts.
inline void AnnounceAccount(Services::CServicesManager& services, CL::CContactListImpl& list, unsigned int account) {
    services.SendEvent(list.GetEventsClientId(), ProtocolsManagerGuid, Protocols::ProtocolsManagerEvent::AccountAdded,
                       new CEventArg_Data<unsigned int>(account), nullptr, true);
}

// Whether the model still shows the item among the account's own: an item
// its account retired (a login change) is no longer shown.
inline bool ShownToAccount(CL::CContactList& list, unsigned int account, unsigned int item) {
    CYolArray<CL::CLItemInfo> rows;
    list.GetAccountItems(account, rows);
    for (const CL::CLItemInfo& row : rows)
        if (row.itemId == item || (row.itemId == 0 && row.parentId == item))
            return true;
    return false;
}

class XmppAccountHarness : public TempFolder {
public:
    static constexpr unsigned int kAccountId = 0x20000001;

    // An account of `kind` (JabberKind), constructed but not initialised.
    explicit XmppAccountHarness(int kind = JabberKindXmpp) {
        database = std::make_unique<Database::CYolDatabaseImpl>(&services, U(PathOf("settings.yol")));
        services.RegisterService(Protocols::EventArgFactoryGuid, static_cast<Protocols::CEventArgFactory*>(&factory));
        services.RegisterService(SocketsManagerGuid, static_cast<Sockets::CSocketsManager*>(&sockets));
        services.RegisterService(ProtocolsManagerGuid, static_cast<Protocols::CProtocolsManager*>(&manager));
        // The broadcasts the contact-list model listens to.
        for (int event : {1, 3, 4, 6})
            services.RegisterEvent(ProtocolsManagerGuid, event);
        manager.accountId = kAccountId;
        managerKey = services.RegisterEventsClient(&manager, U("Protocols manager"));
        contactList = std::make_unique<CL::CContactListImpl>(&services);
        services.BroadcastStarted();
        account = new CJabberAccount(&services, kAccountId, managerKey, kind);
        account->SetProtocolId(*GetJabberFlavour(kind).protocol);
        AnnounceAccount(services, *contactList, kAccountId);
        manager.pagesServices = &services;
        manager.pagesClient = account->GetClientId();
    }

    ~XmppAccountHarness() {
        // As the program does: an initialised account is shut down before it
        // goes, so the plug-in's shared tables are let go by the last one.
        if (account && initialised)
            Shutdown();
        if (account)
            account->Destroy();
        contactList.reset();
        services.StopAllQueues();
    }

    XmppAccountHarness(const XmppAccountHarness&) = delete;
    XmppAccountHarness& operator=(const XmppAccountHarness&) = delete;

    // --- account values (before Init, or before ReloadSettings) ----------------------
    void SetValue(std::string_view key, std::string_view text) {
        manager.SetAccountString(kAccountId, U(key), U(text), false);
    }
    void SetByte(std::string_view key, unsigned char value) { manager.SetAccountByte(kAccountId, U(key), value); }
    void SetDword(std::string_view key, unsigned int value) { manager.SetAccountDword(kAccountId, U(key), value); }

    // --- commands, on the account's thread -----------------------------------------------
    int Command(int event, CEventArg* first = nullptr, CEventArg* second = nullptr) {
        return services.SendEvent(account->GetClientId(), ProtocolsManagerGuid, event, first, second, true);
    }
    int Init() {
        initialised = true;
        return Command(Protocols::AccountCommand::Init);
    }
    int Shutdown() {
        initialised = false;
        return Command(Protocols::AccountCommand::Shutdown);
    }
    int SetStatus(Protocols::Status status) {
        return Command(Protocols::AccountCommand::SetStatus, new CEventArg_Data<Protocols::Status>(status));
    }
    int GetStatus() { return Command(Protocols::AccountCommand::GetStatus); }

    // --- the socket, as the sockets service reports it ------------------------------------
    Sockets::CYolSocket* Socket() {
        std::lock_guard guard(sockets.lock);
        return sockets.connects.empty() ? nullptr : sockets.connects.back().socket;
    }
    int SocketEvent(int event, CEventArg* second) {
        return services.SendEvent(account->GetClientId(), SocketsManagerGuid, event,
                                  new CEventArg_Data<Sockets::CYolSocket*>(Socket()), second, true);
    }
    int Connected(int code = 0) {
        return SocketEvent(Sockets::SocketEvent::ConnectResult, new CEventArg_Data<int>(code));
    }
    int Closed(int code = 0) { return SocketEvent(Sockets::SocketEvent::Closed, new CEventArg_Data<int>(code)); }
    // Bytes arriving as one chunk, with its data event.
    int Receive(std::string_view bytes) {
        sockets.Queue(std::string(bytes));
        return SocketEvent(Sockets::SocketEvent::DataAvailable, new CEventArg_Data<int>(static_cast<int>(bytes.size())));
    }
    // The same bytes in chunks of at most `piece` bytes, one event each.
    void ReceiveInPieces(std::string_view bytes, size_t piece) {
        for (size_t at = 0; at < bytes.size(); at += piece)
            Receive(bytes.substr(at, piece));
    }

    std::string TakeSent() { return sockets.TakeSent(); }

    // The server's side of a SASL PLAIN login with resource binding and no
    // session, as far as the account going online. Call after Init with
    // "SrvLogName" set; answers the account's status afterwards. What was
    // sent on the way is taken (dropped), and so are the events before the
    // bind result: the events of going online stay to be read.
    static constexpr std::string_view kServerHeader =
        "<?xml version='1.0'?><stream:stream xmlns='jabber:client' "
        "xmlns:stream='http://etherx.jabber.org/streams' id='s1' from='example.org' version='1.0'>";
    int GoOnline(Protocols::Status status = Protocols::Online) {
        SetStatus(status);
        Connected();
        Receive(std::string(kServerHeader) +
                "<stream:features><mechanisms xmlns='urn:ietf:params:xml:ns:xmpp-sasl'>"
                "<mechanism>PLAIN</mechanism></mechanisms></stream:features>");
        Receive("<success xmlns='urn:ietf:params:xml:ns:xmpp-sasl'/>");
        Receive(std::string(kServerHeader) +
                "<stream:features><bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'/></stream:features>");
        std::string sent = TakeSent();
        size_t at = sent.rfind("id='yol_");
        std::string id = at == std::string::npos ? "yol_0" : sent.substr(at + 4, sent.find('\'', at + 4) - at - 4);
        Events();
        Receive("<iq type='result' id='" + id +
                "'><bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'><jid>alice@example.org/Yol PDA</jid></bind></iq>");
        TakeSent();
        return GetStatus();
    }

    // Waits until every event posted so far to the manager double has been
    // recorded, and answers them.
    std::vector<AccountEventRecord> Events() {
        Drain();
        return manager.TakeEvents();
    }
    // Only the events of one number.
    std::vector<AccountEventRecord> Events(int event) {
        std::vector<AccountEventRecord> out;
        for (AccountEventRecord& record : Events())
            if (record.event == event)
                out.push_back(std::move(record));
        return out;
    }
    void Drain() {
        services.SendEvent(account->GetClientId(), ServicesManagerGuid, 0, nullptr, nullptr, true);
        services.SendEvent(managerKey, ServicesManagerGuid, 0, nullptr, nullptr, true);
    }

    // A timer the account asked for fires now, on the account's thread.
    int FireTimer(const Protocols::TimerRequest& request) {
        return services.SendEvent(account->GetClientId(), Protocols::TimerServiceGuid, Protocols::TimerEvent::Fire,
                                  new CEventArg_Data<Protocols::TimerRequest>(request), nullptr, true);
    }

    Services::CServicesManagerImpl services;
    Protocols::CEventArgFactoryImpl factory;
    RecordingSockets sockets;
    XmppFakeProtocolsManager manager;
    std::unique_ptr<Database::CYolDatabaseImpl> database;
    std::unique_ptr<CL::CContactListImpl> contactList;
    unsigned int managerKey = 0;
    CJabberAccount* account = nullptr;
    bool initialised = false;
};

}  // namespace XmppTest
