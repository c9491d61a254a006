#pragma once
// An account of the harness brought online over SASL PLAIN, with helpers to
// answer its roster request and to read the contact-list model back as
// plain strings.

#include "RecordingStanzaSink.h"
#include "XmppAccountHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

namespace XmppTest {

inline constexpr const char* kServerHeader =
    "<?xml version='1.0'?><stream:stream xmlns='jabber:client' xmlns:stream='http://etherx.jabber.org/streams' "
    "id='s1' from='example.org' version='1.0'>";

// The number of the first request in `sent` whose first child starts as
// `child` does ("query xmlns='jabber:iq:roster'"); -1 when none.
inline int RequestNumber(const std::string& sent, const std::string& child) {
    std::smatch match;
    std::regex pattern("id='yol_([0-9]+)'[^>]*><" + child);
    return std::regex_search(sent, match, pattern) ? std::stoi(match[1]) : -1;
}

class XmppSession : public ::testing::Test {
protected:
    static constexpr unsigned int kAccount = XmppAccountHarness::kAccountId;

    void SetUp() override {
        h.SetValue("SrvLogName", "alice@example.org");
        h.SetValue("SrvLogPass", "secret");
        h.Init();
    }

    CL::CContactList& List() { return *h.contactList; }

    // Lets the contact-list model run what was queued to it.
    void DrainList() {
        h.Drain();
        h.services.SendEvent(h.contactList->GetEventsClientId(), ServicesManagerGuid, 0, nullptr, nullptr, true);
    }

    // Connects and logs in; the roster request is left unanswered.
    void LogIn(Protocols::Status wanted = Protocols::Online) {
        h.SetStatus(wanted);
        h.Connected();
        h.Receive(std::string(kServerHeader) +
                  "<stream:features><mechanisms xmlns='urn:ietf:params:xml:ns:xmpp-sasl'><mechanism>PLAIN</mechanism>"
                  "</mechanisms></stream:features>");
        h.Receive("<success xmlns='urn:ietf:params:xml:ns:xmpp-sasl'/>");
        h.Receive(std::string(kServerHeader) +
                  "<stream:features><bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'/></stream:features>");
        int bind = RequestNumber(h.TakeSent(), "bind");
        ASSERT_GT(bind, 0);
        h.Receive("<iq type='result' id='yol_" + std::to_string(bind) +
                  "'><bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'><jid>alice@example.org/Yol PDA</jid></bind></iq>");
        rosterRequest = RequestNumber(h.TakeSent(), "query xmlns='jabber:iq:roster'");
        ASSERT_GT(rosterRequest, 0);
    }

    void ReceiveRoster(const std::string& items) {
        h.Receive("<iq type='result' id='yol_" + std::to_string(rosterRequest) +
                  "'><query xmlns='jabber:iq:roster'>" + items + "</query></iq>");
        DrainList();
    }

    // Logs in with that roster and forgets what went out.
    void GoOnline(const std::string& items) {
        LogIn();
        ReceiveRoster(items);
        h.TakeSent();
        h.Events();
    }

    CYolString ItemString(unsigned int id, const char* key) {
        CYolString value;
        List().GetItemString(id, U(key), value);
        return value;
    }

    unsigned int GroupNamed(const char* name) {
        for (const CL::CLItemInfo& row : Rows())
            if (row.itemId == 0 && ItemString(row.parentId, "SrvLogName") == U(name))
                return row.parentId;
        return 0;
    }

    unsigned int ContactOf(const char* jid) {
        for (const CL::CLItemInfo& row : Rows())
            if (row.itemId != 0 && ItemString(row.itemId, "SrvLogName") == U(jid))
                return row.itemId;
        return 0;
    }

    std::vector<CL::CLItemInfo> Rows() {
        DrainList();
        CYolArray<CL::CLItemInfo> items;
        List().GetAccountItems(kAccount, items);
        std::vector<CL::CLItemInfo> rows;
        for (int i = 0; i < items.Count(); ++i)
            rows.push_back(items[i]);
        return rows;
    }

    // "group Friends" and "Friends/bob@example.org 'Bob' 3" (a contact outside
    // groups under "-"), sorted.
    std::vector<std::string> Items() {
        std::vector<std::string> out;
        for (const CL::CLItemInfo& row : Rows()) {
            if (row.itemId == 0) {
                out.push_back("group " + ItemString(row.parentId, "SrvLogName").ToUtf8());
                continue;
            }
            unsigned char subscription = 0xFF;
            List().GetItemByte(row.itemId, U("Subscription"), &subscription);
            std::string group = row.parentId ? ItemString(row.parentId, "SrvLogName").ToUtf8() : "-";
            out.push_back(group + "/" + ItemString(row.itemId, "SrvLogName").ToUtf8() + " '" +
                          ItemString(row.itemId, "CL Alias").ToUtf8() + "' " + std::to_string(subscription));
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    // A group or contact put into the list before the session, as an earlier
    // session would have left it.
    unsigned int ListedGroup(const char* name) {
        unsigned int group = List().AddGroup(kAccount);
        List().SetItemString(group, U("SrvLogName"), U(name));
        List().SetItemString(group, U("CL Alias"), U(name));
        List().NotifyGroupAdded(group);
        return group;
    }
    unsigned int ListedContact(unsigned int group, const char* jid, unsigned char subscription = 3) {
        unsigned int contact = List().AddContact(kAccount, group);
        List().SetItemString(contact, U("SrvLogName"), U(jid));
        List().SetItemString(contact, U("CL Alias"), U(jid));
        List().SetItemByte(contact, U("Subscription"), &subscription);
        List().NotifyContactAdded(contact, Protocols::ContactStatusInfo());
        return contact;
    }

    Protocols::ContactStatusInfo Shown(unsigned int contact) {
        DrainList();
        Protocols::ContactStatusInfo info;
        List().GetItemStatus(info, contact);
        return info;
    }

    int Command(int event, Services::CEventArg* first = nullptr, Services::CEventArg* second = nullptr) {
        int result = h.Command(event, first, second);
        DrainList();
        return result;
    }
    static Services::CEventArg* Arg(unsigned int value) { return new Services::CEventArg_Data<unsigned int>(value); }
    static Services::CEventArg* Arg(const char* text) { return new Services::CEventArg_Data<CYolString>(U(text)); }

    XmppAccountHarness h;
    int rosterRequest = -1;
};

}  // namespace XmppTest
