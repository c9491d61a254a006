// The shared protocol records: what a new one holds, copies that share
// nothing with their source, the arguments the program's factory makes of
// them, and the plug-ins' built-in text source.

#include "CEventArgFactoryImpl.h"
#include "PluginHelpers.h"
#include "ProtocolRecords.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using Services::CEventArg_Data;

namespace {

CYolArray<unsigned int> Ids(std::initializer_list<unsigned int> ids) {
    CYolArray<unsigned int> out;
    for (unsigned int id : ids)
        out.Add(id);
    return out;
}

TEST(ProtocolRecordsTest, StatusNumbersAreTheSharedOnes) {
    const std::pair<Protocols::Status, int> rows[] = {
        {Protocols::Offline, 0},   {Protocols::Connecting, 1},      {Protocols::Online, 2},
        {Protocols::Invisible, 3}, {Protocols::InvisibleForAll, 4}, {Protocols::FreeForChat, 5},
        {Protocols::Evil, 6},      {Protocols::Depression, 7},      {Protocols::AtHome, 8},
        {Protocols::AtWork, 9},    {Protocols::Lunch, 10},          {Protocols::Away, 11},
        {Protocols::NotAvailable, 12}, {Protocols::Occupied, 13},   {Protocols::DoNotDisturb, 14},
    };
    for (auto [status, number] : rows) {
        EXPECT_EQ(static_cast<int>(status), number);
        EXPECT_EQ(Protocols::IsConnectedStatus(status), number > 1) << number;
    }
    static_assert(sizeof(Protocols::Status) == 4);
}

TEST(ProtocolRecordsTest, NewRecordsAreEmptyWithTheirGrowSteps) {
    Protocols::StatusInfo status;
    EXPECT_EQ(status.icon.Count(), 0);
    EXPECT_EQ(status.icon.GrowStep(), 10);

    Protocols::ContactStatusInfo contact;
    EXPECT_EQ(contact.status, 0u);
    EXPECT_TRUE(contact.text.IsEmpty());
    EXPECT_EQ(contact.icons.GrowStep(), 1);
    EXPECT_EQ(contact.extraIcons.GrowStep(), 1);

    Protocols::UserInfo user;
    EXPECT_EQ(user.contactId, 0u);
    EXPECT_EQ(user.gender, 0);
    EXPECT_EQ(user.age, 0);
    EXPECT_EQ(user.imageIds.GrowStep(), 10);

    Protocols::ProtocolInfo protocol;
    for (const CYolString* text : {&protocol.iconFile, &protocol.name, &protocol.displayName, &protocol.description,
                                   &protocol.authors, &protocol.pluginName})
        EXPECT_TRUE(text->IsEmpty());
    EXPECT_EQ(protocol.loginSuffixes.Count(), 0);
    EXPECT_EQ(protocol.loginSuffixes.GrowStep(), 10);
}

TEST(ProtocolRecordsTest, ContactStatusCopiesKeepIconOrderAndShareNothing) {
    Protocols::ContactStatusInfo original;
    original.status = Protocols::Away;
    original.text = W("at lunch");
    original.icons.Add(Ids({11, 12}));
    original.icons.Add(Ids({40}));
    original.extraIcons.Add(Ids({90}));

    Protocols::ContactStatusInfo copy(original);
    copy.icons[0].Add(13);
    copy.icons[1][0] = 41;
    copy.extraIcons.Add(Ids({91}));
    copy.text += W("!");

    ASSERT_EQ(original.icons.Count(), 2);
    EXPECT_EQ(original.icons[0].Count(), 2);
    EXPECT_EQ(original.icons[0][1], 12u);
    EXPECT_EQ(original.icons[1][0], 40u);
    EXPECT_EQ(original.extraIcons.Count(), 1);
    EXPECT_EQ(original.text, W("at lunch"));
    EXPECT_EQ(copy.icons[0][2], 13u);
    EXPECT_NE(copy.icons[0].buffer, original.icons[0].buffer);

    Protocols::ContactStatusInfo assigned;
    assigned = original;
    EXPECT_EQ(assigned.status, static_cast<unsigned int>(Protocols::Away));
    EXPECT_EQ(assigned.icons[0][0], 11u);
    EXPECT_EQ(assigned.icons[1][0], 40u);
}

TEST(ProtocolRecordsTest, ProtocolInfoCopiesAndAssignmentsCarryEveryField) {
    Protocols::ProtocolInfo original;
    original.id = YOL_GUID{0xBB11FAAD, 0x81A3, 0x4CD4, 0x91, 0x3B, 0x39, 0xDD, 0xA8, 0x9C, 0xF3, 0x40};
    original.iconFile = W("ruv.png");
    original.name = W("ICQ");
    original.displayName = W("Ruv");
    original.authors = W("Yol team");
    original.pluginName = W("Ruv");
    original.loginSuffixes.Add(W("@a.example"));

    Protocols::ProtocolRecord assigned;
    assigned.loginSuffixes.Add(W("@stale"));
    assigned = original;
    Protocols::ProtocolInfo copied(original);
    for (Protocols::ProtocolInfo* out : {&assigned, &copied}) {
        EXPECT_EQ(out->id, original.id);
        EXPECT_EQ(out->iconFile, W("ruv.png"));
        EXPECT_EQ(out->name, W("ICQ"));
        EXPECT_EQ(out->displayName, W("Ruv"));
        EXPECT_TRUE(out->description.IsEmpty());
        EXPECT_EQ(out->authors, W("Yol team"));
        EXPECT_EQ(out->pluginName, W("Ruv"));
        ASSERT_EQ(out->loginSuffixes.Count(), 1);
        EXPECT_EQ(out->loginSuffixes[0], W("@a.example"));
        out->loginSuffixes.Add(W("@b.example"));
        out->name = W("changed");
    }
    EXPECT_EQ(original.loginSuffixes.Count(), 1);
    EXPECT_EQ(original.name, W("ICQ"));
}

TEST(ProtocolRecordsTest, MessageAndTimerCopiesKeepTheTimeBytes) {
    Protocols::MessageInfo message;
    message.time = CYolTime(2009, 2, 28, 23, 59, 58);
    message.metaContactId = 0xC0000001;
    message.contactId = 0x80000002;
    message.messageId = 9;
    message.kind = 2;
    message.flags = -1;
    message.text = W("hi");
    message.extra = W("there");
    Protocols::MessageInfo copy(message);
    EXPECT_EQ(std::memcmp(&copy.time, &message.time, sizeof(CYolTime)), 0);
    EXPECT_EQ(copy.metaContactId, 0xC0000001u);
    EXPECT_EQ(copy.contactId, 0x80000002u);
    EXPECT_EQ(copy.messageId, 9u);
    EXPECT_EQ(copy.kind, 2u);
    EXPECT_EQ(copy.flags, -1);
    EXPECT_EQ(copy.text, W("hi"));
    EXPECT_EQ(copy.extra, W("there"));

    Protocols::TimerRequest request;
    request.fireTime = CYolTime(2010, 1, 2, 3, 4, 5);
    request.info = {reinterpret_cast<Protocols::TimerCallback>(0x1234), &request};
    request.clientId = 7;
    request.requestId = 8;
    Protocols::TimerRequest requestCopy = request;
    EXPECT_EQ(std::memcmp(&requestCopy, &request, sizeof request), 0);
    EXPECT_EQ(sizeof(CYolTime), 36u);
}

TEST(ProtocolRecordsTest, FileTransferProgressCopiesEveryField) {
    Protocols::FTProgress progress;
    progress.contactId = 0x80000003;
    progress.fileName = W("/home/me/a.jpg");
    progress.state = 1;
    progress.activate = 1;
    progress.outgoing = 1;
    progress.totalSize = 1000;
    progress.doneSize = 250;
    progress.reserved = 0xDEADBEEF;
    progress.text = W("note");
    Protocols::FTProgress copy(progress);
    EXPECT_EQ(copy.contactId, progress.contactId);
    EXPECT_EQ(copy.fileName, progress.fileName);
    EXPECT_EQ(copy.state, 1u);
    EXPECT_EQ(copy.activate, 1u);
    EXPECT_EQ(copy.outgoing, 1u);
    EXPECT_EQ(copy.totalSize, 1000u);
    EXPECT_EQ(copy.doneSize, 250u);
    EXPECT_EQ(copy.reserved, 0xDEADBEEFu);
    EXPECT_EQ(copy.text, W("note"));
}

TEST(ProtocolRecordsTest, FactoryArgumentsHoldTheirOwnCopyAndStartUnowned) {
    Protocols::CEventArgFactoryImpl factory;
    Protocols::StatusInfo status(Protocols::Away, W("Away"));
    status.icon.Add(5);
    Protocols::UserInfo user;
    user.contactId = 3;
    user.nick = W("bob");
    user.gender = 2;
    user.age = 31;
    Protocols::NotificationInfo note(W("Title"), CYolFormatString(W("Hello <name>")));
    Protocols::StatusIconInfo icon{2, Ids({7, 8})};

    Services::CEventArg* statusArg = factory.NewStatusInfo(status);
    Services::CEventArg* userArg = factory.NewUserInfo(user);
    Services::CEventArg* noteArg = factory.NewNotificationInfo(note);
    Services::CEventArg* iconArg = factory.NewStatusIconInfo(icon);
    status.icon[0] = 6;
    status.name = W("changed");
    user.nick = W("changed");
    icon.icon.Add(9);

    for (Services::CEventArg* arg : {statusArg, userArg, noteArg, iconArg})
        EXPECT_EQ(arg->RefCount(), 0);
    auto& heldStatus = static_cast<CEventArg_Data<Protocols::StatusInfo>*>(statusArg)->data;
    EXPECT_EQ(heldStatus.status, Protocols::Away);
    EXPECT_EQ(heldStatus.name, W("Away"));
    EXPECT_EQ(heldStatus.icon[0], 5u);
    auto& heldUser = static_cast<CEventArg_Data<Protocols::UserInfo>*>(userArg)->data;
    EXPECT_EQ(heldUser.nick, W("bob"));
    EXPECT_EQ(heldUser.gender, 2);
    EXPECT_EQ(heldUser.age, 31);
    auto& heldNote = static_cast<CEventArg_Data<Protocols::NotificationInfo>*>(noteArg)->data;
    EXPECT_EQ(heldNote.title, W("Title"));
    EXPECT_EQ(heldNote.text.GetDefault(), W("Hello <name>"));
    auto& heldIcon = static_cast<CEventArg_Data<Protocols::StatusIconInfo>*>(iconArg)->data;
    EXPECT_EQ(heldIcon.index, 2);
    EXPECT_EQ(heldIcon.icon.Count(), 2);

    // Nobody took them: AddRef(0) frees each (the leak checker would see one
    // left over).
    for (Services::CEventArg* arg : {statusArg, userArg, noteArg, iconArg})
        EXPECT_EQ(arg->AddRef(0), 0);
}

TEST(ProtocolRecordsTest, FactoryMakesEveryKindTheAccountsSend) {
    Protocols::CEventArgFactoryImpl factory;
    Protocols::CEventArgFactory& shared = factory;
    CYolArray<CYolString> strings;
    strings.Add(W("a"));
    Protocols::TimerRequest request;
    request.requestId = 4;
    Services::CEventArg* made[] = {
        shared.NewUInt(0x10000001),
        shared.NewInt(-3),
        shared.NewBool(true),
        shared.NewStatus(Protocols::Occupied),
        shared.NewString(W("text")),
        shared.NewStringPair(Protocols::StringPair(W("a"), W("b"))),
        shared.NewStringArray(strings),
        shared.NewUIntArray(Ids({1, 2, 3})),
        shared.NewMessageInfo(Protocols::MessageInfo()),
        shared.NewFTProgress(Protocols::FTProgress()),
        shared.NewTimerInfo(Protocols::TimerInfo{}),
        shared.NewTimerRequest(request),
    };
    EXPECT_EQ(static_cast<CEventArg_Data<unsigned int>*>(made[0])->data, 0x10000001u);
    EXPECT_EQ(static_cast<CEventArg_Data<int>*>(made[1])->data, -3);
    EXPECT_TRUE(static_cast<CEventArg_Data<bool>*>(made[2])->data);
    EXPECT_EQ(static_cast<CEventArg_Data<Protocols::Status>*>(made[3])->data, Protocols::Occupied);
    EXPECT_EQ(static_cast<CEventArg_Data<CYolString>*>(made[4])->data, W("text"));
    EXPECT_EQ(static_cast<CEventArg_Data<Protocols::StringPair>*>(made[5])->data.second, W("b"));
    EXPECT_EQ(static_cast<CEventArg_Data<CYolArray<CYolString>>*>(made[6])->data[0], W("a"));
    EXPECT_EQ(static_cast<CEventArg_Data<CYolArray<unsigned int>>*>(made[7])->data.Count(), 3);
    EXPECT_EQ(static_cast<CEventArg_Data<Protocols::TimerRequest>*>(made[11])->data.requestId, 4u);
    for (Services::CEventArg* arg : made) {
        ASSERT_NE(arg, nullptr);
        arg->AddRef(0);
    }
}

TEST(DefaultUiStringTest, LooksTextsUpByIdInsideTheTableOnly) {
    static const char* const table[] = {"Offline", nullptr, "\xD0\x92 \xD1\x81\xD0\xB5\xD1\x82\xD0\xB8", ""};
    struct Row {
        int id;
        bool found;
        const char16_t* text;
    };
    const Row rows[] = {
        {0, true, u"Offline"},
        {2, true, u"\u0412 \u0441\u0435\u0442\u0438"},
        {3, true, u""},
        {1, false, u"unchanged"},
        {4, false, u"unchanged"},
        {-1, false, u"unchanged"},
        {1000000, false, u"unchanged"},
    };
    for (const Row& row : rows) {
        CYolString out(u"unchanged");
        EXPECT_EQ(Protocols::GetDefaultUiString(table, row.id, out), row.found) << row.id;
        EXPECT_EQ(out, CYolString(row.text)) << row.id;
    }
}

TEST(PluginModuleTest, OneModulePerLibrary) {
    EXPECT_NE(Protocols::GetPluginModule(), nullptr);
    EXPECT_EQ(Protocols::GetPluginModule(), Protocols::GetPluginModule());
}

}  // namespace
