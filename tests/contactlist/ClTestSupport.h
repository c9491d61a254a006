#pragma once
// What the contact-list model's tests share: a protocols manager that knows
// a few accounts and records what the model asks of it, a server store that
// records the changes it is told, a subscriber that records every
// ContactListEvent in a readable line, and a fixture that puts the model on
// a services manager of its own with a settings file in a temporary folder.

#include "CContactListImpl.h"
#include "ClFakeProtocolsManager.h"
#include "CProtocolsManager.h"
#include "CServicesManagerImpl.h"
#include "CYolDatabaseImpl.h"
#include "ContactListEvents.h"
#include "ProtocolsManagerEvents.h"
#include "TestSupport.h"
#include "YolGuids.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ClTest {

using Services::CEventArg;
using Services::CEventArg_Data;
using Protocols::ContactStatusInfo;
using Protocols::MessageInfo;
using StatusPair = CYolPair<unsigned int, ContactStatusInfo>;

inline ContactStatusInfo Status(unsigned int value) {
    ContactStatusInfo status;
    status.status = value;
    return status;
}

// ------------------------------------------------------------------ server store

class RecordingStore final : public CL::MServerStoreLink {
public:
    bool enabled = true;
    std::vector<std::string> calls;  // touched under the model's lock only

    bool IsEnabled() override { return enabled; }
    void BeginBatch() override { calls.push_back("BeginBatch"); }
    int EndBatch(unsigned int requester) override {
        calls.push_back("EndBatch " + Hex(requester));
        return 1;
    }
    int GroupAdded(unsigned int, const CYolString& name, const CYolString& after) override {
        return Add("GroupAdded " + name.ToUtf8() + " after=" + after.ToUtf8());
    }
    int GroupRenamed(unsigned int, const CYolString& oldName, const CYolString& newName) override {
        return Add("GroupRenamed " + oldName.ToUtf8() + " " + newName.ToUtf8());
    }
    int GroupDeleted(unsigned int, const CYolString& name) override { return Add("GroupDeleted " + name.ToUtf8()); }
    int MetaAdded(unsigned int, unsigned int number, const CYolString& group, const CYolString& name) override {
        return Add("MetaAdded " + std::to_string(number) + " " + group.ToUtf8() + " " + name.ToUtf8());
    }
    int MetaRenamed(unsigned int, unsigned int number, const CYolString& name) override {
        return Add("MetaRenamed " + std::to_string(number) + " " + name.ToUtf8());
    }
    int MetaMoved(unsigned int, unsigned int number, const CYolString& group) override {
        return Add("MetaMoved " + std::to_string(number) + " " + group.ToUtf8());
    }
    int MetaDeleted(unsigned int, unsigned int number) override { return Add("MetaDeleted " + std::to_string(number)); }
    int SubAdded(unsigned int, unsigned int number, const CYolString& group, unsigned int position,
                 const CYolString& login, const CYolString& key) override {
        return Add("SubAdded " + std::to_string(number) + " " + group.ToUtf8() + " " + std::to_string(position) + " " +
                   login.ToUtf8() + " " + key.ToUtf8());
    }
    int SubMoved(unsigned int, unsigned int number, unsigned int from, unsigned int to, const CYolString& login,
                 const CYolString& key) override {
        return Add("SubMoved " + std::to_string(number) + " " + std::to_string(from) + " " + std::to_string(to) + " " +
                   login.ToUtf8() + " " + key.ToUtf8());
    }
    int SubDeleted(unsigned int, unsigned int number, unsigned int position, const CYolString& login,
                   const CYolString& key) override {
        return Add("SubDeleted " + std::to_string(number) + " " + std::to_string(position) + " " + login.ToUtf8() +
                   " " + key.ToUtf8());
    }

private:
    int Add(std::string line) {
        calls.push_back(std::move(line));
        return 1;
    }
};

// -------------------------------------------------------------------- subscriber

// Records every ContactListEvent as one line: the event's name, its first
// argument in hexadecimal, then its second argument ("-" when missing):
//   "ContactAdded 80000001 1:2"   (group 1, status 2)
//   "ContactRemoved 80000001 -"
class EventRecorder final : public Services::CEventsClient {
public:
    // Called on the recorder's thread while it handles an event, before the
    // event is recorded; synchronous events wait for it.
    std::function<void(int event, unsigned int id)> onEvent;
    // The entries handed to FillStatusList.
    std::vector<Protocols::StatusInfo> statusList;

    void Attach(Services::CServicesManager& services) {
        key = services.RegisterEventsClient(this, CYolString(u"Recorder"));
        Subscribe(services);
    }
    // Again, to the broadcasts of a model made anew.
    void Subscribe(Services::CServicesManager& services) {
        for (int event = CL::ContactListEvent::First; event <= CL::ContactListEvent::Last; ++event)
            services.Subscribe(ContactListGuid, event, key);
    }
    unsigned int Key() const { return key; }

    std::vector<std::string> Take() {
        std::lock_guard<std::mutex> guard(mutex);
        std::vector<std::string> out;
        out.swap(lines);
        return out;
    }

    int OnEvent(const YOL_GUID& channel, int event, CEventArg* arg, CEventArg* extra) override {
        if (channel != ContactListGuid || event < CL::ContactListEvent::First || event > CL::ContactListEvent::Last)
            return 0;
        if (event == CL::ContactListEvent::FillStatusList) {
            auto* list = static_cast<CEventArg_Data<CYolArray<Protocols::StatusInfo>*>*>(arg)->data;
            for (const Protocols::StatusInfo& info : statusList)
                list->Add(info);
        }
        unsigned int id = arg != nullptr && event != CL::ContactListEvent::FillStatusList
                              ? static_cast<CEventArg_Data<unsigned int>*>(arg)->data
                              : 0;
        if (onEvent)
            onEvent(event, id);
        std::string line = Name(event);
        if (arg != nullptr && event != CL::ContactListEvent::FillStatusList)
            line += " " + Hex(id);
        line += " " + Second(event, extra);
        std::lock_guard<std::mutex> guard(mutex);
        lines.push_back(line);
        return 0;
    }

    static std::string Name(int event) {
        static const char* const names[] = {
            "",
            "ContactListReady",
            "FillStatusList",
            "UpdateBegin",
            "UpdateEnd",
            "GroupAdded",
            "GroupRemoved",
            "GroupChanged",
            "ContactAdded",
            "ContactRemoved",
            "ContactStatusChanged",
            "ContactChanged",
            "MessageReceived",
            "MessageAcknowledged",
            "ContactTyping",
            "MetaGroupAdded",
            "MetaGroupChanged",
            "MetaGroupRemoved",
            "MetaContactAdded",
            "MetaContactRemoved",
            "MetaContactStatusChanged",
            "MetaContactChanged",
            "MessageNotSent",
        };
        return names[event];
    }

private:
    static std::string Second(int event, CEventArg* extra) {
        using namespace CL::ContactListEvent;
        if (extra == nullptr)
            return "-";
        switch (event) {
            case ContactAdded:
            case MetaContactAdded: {
                const StatusPair& pair = static_cast<CEventArg_Data<StatusPair>*>(extra)->data;
                return Hex(pair.first) + ":" + std::to_string(pair.second.status);
            }
            case ContactStatusChanged:
            case MetaContactStatusChanged:
                return std::to_string(static_cast<CEventArg_Data<ContactStatusInfo>*>(extra)->data.status);
            case MessageReceived:
            case MessageNotSent: {
                const MessageInfo& message = static_cast<CEventArg_Data<MessageInfo>*>(extra)->data;
                return Hex(message.metaContactId) + ":" + message.text.ToUtf8();
            }
            case ContactTyping:
                return static_cast<CEventArg_Data<bool>*>(extra)->data ? "true" : "false";
            default:
                return Hex(static_cast<CEventArg_Data<unsigned int>*>(extra)->data);
        }
    }

    unsigned int key = 0;
    std::mutex mutex;
    std::vector<std::string> lines;
};

// ------------------------------------------------------------------------ fixture

inline constexpr unsigned int kAccountA = 0x10000001;
inline constexpr unsigned int kAccountB = 0x10000002;
inline constexpr unsigned int kAccountC = 0x10000003;

class ModelTest : public TempFolderTest {
protected:
    void SetUp() override {
        database = std::make_unique<Database::CYolDatabaseImpl>(&services, W(SettingsPath()));
        services.RegisterService(ProtocolsManagerGuid, static_cast<Protocols::CProtocolsManager*>(&manager));
        for (int event : {1, 3, 4, 6})
            managerEvents[event] = services.RegisterEvent(ProtocolsManagerGuid, event);
        manager.AddAccount(kAccountA, "alice", "Ruv1");
        manager.AddAccount(kAccountB, "bob", "Ruv2");
        manager.AddAccount(kAccountC, "carol", "Ruv3");
        BeforeModel();
        model = std::make_unique<CL::CContactListImpl>(&services);
        model->SetServerStore(&store);
        recorder.Attach(services);
        services.BroadcastStarted();
        Flush();
        recorder.Take();
    }

    void TearDown() override {
        model.reset();
        services.StopAllQueues();
    }

    // Between the database and the model (tests that preload settings).
    virtual void BeforeModel() {}

    std::string SettingsPath() const { return PathOf("settings.yol"); }

    // Waits until the model's queue has carried out everything posted so
    // far (including what those requests posted in turn) and the recorder
    // has seen every broadcast that came of it.
    void Flush() {
        for (int round = 0; round < 3; ++round)
            services.SendEvent(model->GetEventsClientId(), ContactListGuid, 0, nullptr, nullptr, true);
        services.SendEvent(recorder.Key(), ServicesManagerGuid, 0, nullptr, nullptr, true);
    }

    std::vector<std::string> Events() {
        Flush();
        return recorder.Take();
    }

    // A protocols-manager broadcast as the manager sends it: AccountRemoved
    // waits, the others are posted. `second`: the unsigned int second
    // argument, 0 for none.
    void ManagerEvent(int event, unsigned int account, unsigned int second = 0) {
        bool wait = event == Protocols::ProtocolsManagerEvent::AccountRemoved;
        CEventArg* extra = second != 0 ? new CEventArg_Data<unsigned int>(second) : nullptr;
        services.BroadcastEvent(managerEvents[event], new CEventArg_Data<unsigned int>(account), extra, wait);
        Flush();
    }

    unsigned int Group(unsigned int account, const std::string& name) {
        unsigned int id = model->AddGroup(account);
        model->SetItemString(id, W("SrvLogName"), W(name));
        model->NotifyGroupAdded(id);
        return id;
    }

    unsigned int Contact(unsigned int account, unsigned int group, const std::string& login, unsigned int status = 0,
                         const std::string& alias = "") {
        unsigned int id = model->AddContact(account, group);
        model->SetItemString(id, W("SrvLogName"), W(login));
        model->SetItemString(id, W("CL Alias"), W(alias.empty() ? login : alias));
        model->NotifyContactAdded(id, Status(status));
        return id;
    }

    std::string Text(unsigned int id, const char* name) {
        CYolString out;
        model->GetItemString(id, W(name), out);
        return out.ToUtf8();
    }

    unsigned int Merged(unsigned int metaId) {
        ContactStatusInfo out;
        return model->GetItemStatus(out, metaId).status;
    }

    std::vector<unsigned int> Subs(unsigned int metaId) {
        CYolArray<unsigned int> ids;
        model->GetMetaSubContacts(metaId, ids);
        return std::vector<unsigned int>(ids.begin(), ids.end());
    }

    Services::CServicesManagerImpl services;
    std::unique_ptr<Database::CYolDatabaseImpl> database;
    FakeProtocolsManager manager;
    RecordingStore store;
    EventRecorder recorder;
    std::map<int, unsigned int> managerEvents;
    std::unique_ptr<CL::CContactListImpl> model;
};

// A fixture whose three accounts are already known to the model.
class AccountsTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        for (unsigned int account : {kAccountA, kAccountB, kAccountC})
            ManagerEvent(Protocols::ProtocolsManagerEvent::AccountAdded, account);
        recorder.Take();
        store.calls.clear();
    }
};

}  // namespace ClTest
