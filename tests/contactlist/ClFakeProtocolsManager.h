#pragma once
// A protocols manager that knows a few accounts (their logins and
// "SrvFileName") and records what the contact-list model asks of it. Shared
// by the model's tests and its benchmark, so it needs nothing of GoogleTest.

#include "../support/NullProtocolsManager.h"
#include "CYolMenuInfo.h"
#include "CYolString.h"
#include "CYolTime.h"
#include "YolGuids.h"

#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace ClTest {

using Protocols::ContactStatusInfo;
using Protocols::MessageInfo;

inline std::string Hex(unsigned int id) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", id);
    return text;
}

class FakeProtocolsManager final : public YolTest::NullProtocolsManager {
public:
    struct Account {
        CYolString login;     // GetAccountLogin without the protocol
        CYolString fileName;  // "SrvFileName"
    };

    using NullProtocolsManager::AddAccount;
    void AddAccount(unsigned int id, const std::string& login, const std::string& fileName) {
        std::lock_guard<std::mutex> guard(mutex);
        order.push_back(id);
        accounts[id] = Account{CYolString::FromUtf8(login), CYolString::FromUtf8(fileName)};
    }
    // What GetStatus answers for an account (0: the global status).
    void SetAccountStatus(unsigned int account, Protocols::Status status) {
        std::lock_guard<std::mutex> guard(mutex);
        accountStatuses[account] = status;
    }
    bool pluginMenus = false;
    void SetContactStatus(unsigned int contact, unsigned int status) {
        std::lock_guard<std::mutex> guard(mutex);
        statuses[contact] = status;
    }
    std::vector<std::string> Calls() {
        std::lock_guard<std::mutex> guard(mutex);
        return calls;
    }
    void ClearCalls() {
        std::lock_guard<std::mutex> guard(mutex);
        calls.clear();
    }
    // The protocol text every account's key starts with.
    static std::string ProtocolText() { return RuvProtocolGuid.GetString().ToUtf8(); }

    int GetAccountCount() override {
        std::lock_guard<std::mutex> guard(mutex);
        return static_cast<int>(order.size());
    }
    unsigned int GetAccountId(unsigned int index) override {
        std::lock_guard<std::mutex> guard(mutex);
        return index < order.size() ? order[index] : 0;
    }
    void GetAccountLogin(CYolString& out, unsigned int account, bool withProtocol) override {
        std::lock_guard<std::mutex> guard(mutex);
        auto it = accounts.find(account);
        if (it == accounts.end())
            return;
        out = withProtocol ? RuvProtocolGuid.GetString() + it->second.login : it->second.login;
    }
    bool GetAccountString(unsigned int account, const CYolString& key, CYolString& value, bool) override {
        std::lock_guard<std::mutex> guard(mutex);
        auto it = accounts.find(account);
        if (it == accounts.end() || key != CYolString(u"SrvFileName"))
            return false;
        value = it->second.fileName;
        return true;
    }
    // Runs at the start of every GetContactStatus, on the asking thread.
    std::function<void()> onGetContactStatus;

    bool GetContactStatus(unsigned int, unsigned int contact, ContactStatusInfo* out) override {
        if (onGetContactStatus)
            onGetContactStatus();
        std::lock_guard<std::mutex> guard(mutex);
        auto it = statuses.find(contact);
        if (out != nullptr)
            out->status = it != statuses.end() ? it->second : 0;
        return true;
    }
    bool SendMessage(unsigned int account, const MessageInfo& message, bool silent) override {
        Record("SendMessage " + Hex(account) + " " + Hex(message.contactId) + " " + Hex(message.metaContactId) + " " +
               message.text.ToUtf8() + (silent ? " silent" : ""));
        return true;
    }
    bool SendTyping(unsigned int account, unsigned int contact, bool typing) override {
        Record("SendTyping " + Hex(account) + " " + Hex(contact) + (typing ? " 1" : " 0"));
        return true;
    }
    bool RequestContactInfo(unsigned int account, unsigned int contact) override {
        Record("RequestContactInfo " + Hex(account) + " " + Hex(contact));
        return true;
    }
    int SendFile(unsigned int account, unsigned int contact, const CYolString& path) override {
        Record("SendFile " + Hex(account) + " " + Hex(contact) + " " + path.ToUtf8());
        return 0;
    }
    bool DeleteContact(unsigned int account, unsigned int contact) override {
        Record("DeleteContact " + Hex(account) + " " + Hex(contact));
        return true;
    }

    // Appends one entry per call, "plugin <contact>", when pluginMenus is set.
    bool GetContactMenu(unsigned int, unsigned int contact, CYolMenuInfo* menu) override {
        if (!pluginMenus || menu == nullptr)
            return false;
        CYolFormatString caption(CYolString::FromUtf8("plugin " + Hex(contact)));
        menu->Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, caption, 0, nullptr, nullptr, false));
        return true;
    }
    bool AddGroup(unsigned int account, const CYolString& name) override {
        Record("AddGroup " + Hex(account) + " " + name.ToUtf8());
        return true;
    }
    bool RenameGroup(unsigned int account, unsigned int group, const CYolString& name) override {
        Record("RenameGroup " + Hex(account) + " " + Hex(group) + " " + name.ToUtf8());
        return true;
    }
    bool RenameContact(unsigned int account, unsigned int contact, const CYolString& name) override {
        Record("RenameContact " + Hex(account) + " " + Hex(contact) + " " + name.ToUtf8());
        return true;
    }
    bool MoveContact(unsigned int account, unsigned int contact, unsigned int group) override {
        Record("MoveContact " + Hex(account) + " " + Hex(contact) + " " + Hex(group));
        return true;
    }
    int GetStatus(unsigned int account, Protocols::Status& out) override {
        std::lock_guard<std::mutex> guard(mutex);
        auto it = accountStatuses.find(account);
        out = it != accountStatuses.end() ? it->second : Protocols::Offline;
        return 0;
    }
    // Unknown until a test sets the logon time in Unix seconds: then, as the
    // real manager does, the answer is 1 and the time is the epoch.
    void SetLogonTime(unsigned int account, unsigned int unixSeconds) {
        std::lock_guard<std::mutex> guard(mutex);
        logons[account] = unixSeconds;
    }
    int GetLogonDate(unsigned int account, CYolTime& out) override {
        std::lock_guard<std::mutex> guard(mutex);
        auto it = logons.find(account);
        out = CYolTime(it != logons.end() ? it->second : 0u);
        out.ToLocal();
        return it != logons.end() ? 0 : 1;
    }

private:
    void Record(const std::string& call) {
        std::lock_guard<std::mutex> guard(mutex);
        calls.push_back(call);
    }

    std::mutex mutex;
    std::vector<unsigned int> order;
    std::map<unsigned int, Account> accounts;
    std::map<unsigned int, unsigned int> statuses;
    std::map<unsigned int, Protocols::Status> accountStatuses;
    std::map<unsigned int, unsigned int> logons;
    std::vector<std::string> calls;
};

}  // namespace ClTest
