// A plug-in thread feeding the model, a window thread reading it, the
// model's own thread carrying out removals and moves, and a subscriber that
// calls back into the model from every event it handles. Run under
// ThreadSanitizer in CI; here it checks that the model comes out whole.

#include "ClTestSupport.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace ClTest {
namespace {

using ConcurrencyTest = AccountsTest;

TEST_F(ConcurrencyTest, PluginWindowModelAndSubscriberThreadsKeepTheModelWhole) {
    std::atomic<int> callbacks{0};
    recorder.onEvent = [&](int event, unsigned int id) {
        // Reads of the very item an event names, the removed ones included.
        CYolString name;
        model->GetItemString(id, W("SrvLogName"), name);
        ContactStatusInfo status;
        model->GetItemStatus(status, id);
        if (event == CL::ContactListEvent::MetaContactRemoved) {
            CYolArray<unsigned int> subs;
            model->GetMetaSubContacts(id, subs);
        }
        callbacks.fetch_add(1, std::memory_order_relaxed);
    };

    std::atomic<bool> done{false};
    std::thread plugin([&] {
        for (int round = 0; round < 40; ++round) {
            unsigned int account = round % 2 == 0 ? kAccountA : kAccountB;
            model->BeginUpdate();
            unsigned int group = Group(account, "G" + std::to_string(round % 3));
            std::vector<unsigned int> added;
            for (int i = 0; i < 6; ++i)
                added.push_back(Contact(account, i % 2 == 0 ? group : 0, "L" + std::to_string(i), i % 4));
            model->EndUpdate();
            for (unsigned int id : added)
                model->SetContactStatus(id, Status(static_cast<unsigned int>(round % 5)));
            unsigned int stranger = model->FindOrAddTempContact(account, W("s" + std::to_string(round)));
            model->ReceiveMessage(stranger, MessageInfo());
            model->ReceiveMessage(added[0], MessageInfo());
            model->MoveContact(added[1], group);
            model->MoveContactToMetaContact(added[2], model->GetMetaContactOf(added[3]));
            model->RemoveContact(added[4]);
            if (round % 4 == 3)
                model->RemoveGroup(group);
            if (round % 5 == 4)
                model->RemoveMetaContact(model->GetMetaContactOf(added[5]));
            model->RemoveTempContact(stranger);
        }
        done = true;
    });
    std::thread window([&] {
        while (!done) {
            CYolArray<CL::CLItemInfo> meta;
            model->GetMetaItems(meta);
            for (const CL::CLItemInfo& row : meta) {
                ContactStatusInfo status;
                model->GetItemStatus(status, row.itemId);
                model->GetItemKey(row.itemId);
            }
            CYolArray<CL::CLItemInfo> items;
            model->GetAccountItems(kAccountA, items);
            for (const CL::CLItemInfo& row : items)
                model->IsGroupOpened(row.parentId);
        }
    });
    // Meanwhile the protocols manager clears one account's list twice.
    for (int i = 0; i < 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ManagerEvent(Protocols::ProtocolsManagerEvent::ClearContacts, kAccountB);
    }
    plugin.join();
    window.join();
    Flush();
    recorder.onEvent = nullptr;
    EXPECT_GT(callbacks.load(), 0);

    // Every row of the lists names a live item, and every meta contact's
    // sub-contacts are live contacts that know their meta contact.
    for (unsigned int account : {kAccountA, kAccountB}) {
        CYolArray<CL::CLItemInfo> items;
        ASSERT_TRUE(model->GetAccountItems(account, items));
        for (const CL::CLItemInfo& row : items) {
            unsigned int id = row.itemId != 0 ? row.itemId : row.parentId;
            EXPECT_EQ(model->GetItemAccount(id), account);
            if (row.itemId != 0) {
                EXPECT_EQ(model->GetParentId(row.itemId), row.parentId);
            }
        }
    }
    CYolArray<CL::CLItemInfo> meta;
    model->GetMetaItems(meta);
    for (const CL::CLItemInfo& row : meta) {
        if (row.itemId == 0)
            continue;
        EXPECT_EQ(model->GetParentId(row.itemId), row.parentId);
        for (unsigned int sub : Subs(row.itemId)) {
            EXPECT_NE(model->GetItemAccount(sub), 0u);
            EXPECT_EQ(model->GetMetaContactOf(sub), row.itemId);
        }
    }
}

// A login change: the old list is retired and its clear carried out on the
// model's thread while the plug-in fills in the new login's list.
TEST_F(ConcurrencyTest, TheNewLoginsListFilledDuringTheClearKeepsEveryItemAndNoneOfTheOld) {
    std::vector<unsigned int> old;
    for (int i = 0; i < 12; ++i) {
        unsigned int group = i % 3 == 0 ? Group(kAccountB, "old" + std::to_string(i)) : 0;
        if (group != 0)
            old.push_back(group);
        old.push_back(Contact(kAccountB, group, "L" + std::to_string(i)));
    }
    const unsigned int generation = model->RetireAccountItems(kAccountB);
    std::vector<unsigned int> added;
    std::thread plugin([&] {
        for (int i = 0; i < 12; ++i) {
            unsigned int group = Group(kAccountB, "G" + std::to_string(i % 3));
            added.push_back(group);
            added.push_back(Contact(kAccountB, group, "L" + std::to_string(i)));
            added.push_back(Contact(kAccountB, 0, "M" + std::to_string(i)));
        }
    });
    ManagerEvent(Protocols::ProtocolsManagerEvent::ClearContacts, kAccountB, generation);
    plugin.join();
    Flush();

    CYolArray<CL::CLItemInfo> rows;
    ASSERT_TRUE(model->GetAccountItems(kAccountB, rows));
    std::vector<unsigned int> shown;
    for (const CL::CLItemInfo& row : rows)
        shown.push_back(row.itemId != 0 ? row.itemId : row.parentId);
    std::sort(shown.begin(), shown.end());
    std::sort(added.begin(), added.end());
    EXPECT_EQ(shown, added);
    for (unsigned int id : old)
        EXPECT_EQ(model->GetItemAccount(id), 0u) << id;
}

}  // namespace
}  // namespace ClTest
