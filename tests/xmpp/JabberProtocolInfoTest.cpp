// The flavours of the XMPP plug-in as the program sees them: the export's
// descriptions, the kind behind each protocol GUID, the image table, the
// localized status lists, the account menus and the built-in strings.

#include "CAccountRegistry.h"
#include "JabberProtocolInfo.h"
#include "JabberStrings.h"
#include "TestSupport.h"
#include "YolGuids.h"
#include "YolWMMUI_Controller.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using Protocols::ProtocolInfo;
using Protocols::StatusInfo;

std::string BuiltIn(int id) {
    CYolString text;
    JabberDefaultUiString(id, text);
    return text.ToUtf8();
}

CYolString BuiltInText(int id) {
    CYolString text;
    JabberDefaultUiString(id, text);
    return text;
}

// Image ids the skin service might have handed out: 1000 + the table index.
CYolArray<unsigned int> ImageIds(int count = kJabberImageCount) {
    CYolArray<unsigned int> ids;
    for (int i = 0; i < count; ++i)
        ids.Add(1000u + static_cast<unsigned int>(i));
    return ids;
}

std::vector<unsigned int> Icon(const StatusInfo& entry) {
    std::vector<unsigned int> out;
    for (int i = 0; i < entry.icon.Count(); ++i)
        out.push_back(entry.icon[i]);
    return out;
}

TEST(JabberProtocolInfo, DescriptionsComeInListingOrderAfterWhatTheCallerHad) {
    CYolArray<ProtocolInfo> out;
    ProtocolInfo earlier;
    earlier.displayName = W("Other plug-in");
    out.Add(earlier);

    GetJabberProtocols(nullptr, out);

    struct Row {
        YOL_GUID id;
        const char* displayName;
        const char* iconFile;
        std::vector<std::string> suffixes;
    };
    const Row rows[] = {
        {JabberYolProtocolGuid, "Yol", "xmpyol_stconnect.png", {"@yol.im"}},
        {JabberYandexProtocolGuid, "Yandex Online", "xmpyandex_stonline.png", {"@ya.ru", "@yandex.ru"}},
        {JabberGoogleTalkProtocolGuid, "Google Talk", "xmpgoogle_stonline.png", {"@gmail.com"}},
        {JabberLiveJournalProtocolGuid, "Live Journal", "xmplj_stonline.png", {"@livejournal.com"}},
        {JabberVKontakteProtocolGuid, "VKontakte", "xmpvk_stonline.png", {"@vk.com", "@vkontakte.ru"}},
        {JabberProtocolGuid, "XMPP(Jabber)", "xmpxmpp_stconnect.png", {}},
    };
    ASSERT_EQ(out.Count(), 7);
    EXPECT_EQ(Utf8Of(out[0].displayName), "Other plug-in");
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(rows[i].displayName);
        const ProtocolInfo& info = out[i + 1];
        EXPECT_EQ(info.id, rows[i].id);
        EXPECT_EQ(Utf8Of(info.displayName), rows[i].displayName);
        EXPECT_EQ(Utf8Of(info.iconFile), rows[i].iconFile);
        EXPECT_EQ(Utf8Of(info.name), "Jabber");
        EXPECT_EQ(Utf8Of(info.pluginName), "Jabber");
        EXPECT_TRUE(info.description.IsEmpty());
        EXPECT_FALSE(info.authors.IsEmpty());
        EXPECT_EQ(info.imageId, -1);
        std::vector<std::string> suffixes;
        for (int s = 0; s < info.loginSuffixes.Count(); ++s)
            suffixes.push_back(Utf8Of(info.loginSuffixes[s]));
        EXPECT_EQ(suffixes, rows[i].suffixes);
    }
}

TEST(JabberProtocolInfo, EveryUnknownProtocolMakesAPlainXmppAccount) {
    const YOL_GUID unknown{0x12345678, 0x1, 0x2, 3, 4, 5, 6, 7, 8, 9, 10};
    const struct {
        YOL_GUID id;
        int kind;
        const char* protocolName;
        int firstStatusImage;
    } rows[] = {
        {JabberYolProtocolGuid, JabberKindYol, "Yol", 19},
        {JabberProtocolGuid, JabberKindXmpp, "Jabber", 0},
        {JabberYandexProtocolGuid, JabberKindYandex, "Yandex Online", 24},
        {JabberGoogleTalkProtocolGuid, JabberKindGoogleTalk, "Google Talk", 29},
        {JabberLiveJournalProtocolGuid, JabberKindLiveJournal, "Live Journal", 34},
        {JabberVKontakteProtocolGuid, JabberKindVKontakte, "VKontakte", 39},
        {RuvProtocolGuid, JabberKindXmpp, "Jabber", 0},
        {unknown, JabberKindXmpp, "Jabber", 0},
        {YOL_GUID{}, JabberKindXmpp, "Jabber", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.protocolName);
        const int kind = JabberKindOf(row.id);
        EXPECT_EQ(kind, row.kind);
        EXPECT_EQ(Utf8Of(CYolString(GetJabberFlavour(kind).protocolName)), row.protocolName);
        EXPECT_EQ(GetJabberFlavour(kind).firstStatusImage, row.firstStatusImage);
    }
    EXPECT_EQ(&GetJabberFlavour(-1), &GetJabberFlavour(JabberKindXmpp));
    EXPECT_EQ(&GetJabberFlavour(kJabberKindCount), &GetJabberFlavour(JabberKindXmpp));
}

TEST(JabberProtocolInfo, ImageTableHoldsEightySixDistinctNamesInItsFixedOrder) {
    const std::pair<int, const char*> spots[] = {
        {0, "xmpxmpp_stoffline.png"},   {4, "xmpxmpp_stnotinlist.png"}, {5, "yol_stinvis.png"},
        {15, "yol_stdnd.png"},          {16, "yol_cmn_connect.png"},    {17, "proto_optadvanced.png"},
        {18, "proto_mailboxfull.png"},  {19, "xmpyol_stoffline.png"},   {23, "xmpyol_stnotinlist.png"},
        {26, "xmpyandex_stonline.png"}, {31, "xmpgoogle_stonline.png"}, {36, "xmplj_stonline.png"},
        {43, "xmpvk_stnotinlist.png"},  {44, "proto_authrequired.png"}, {47, "proto_authdecline.png"},
        {48, "proto_balloon.png"},      {49, "xstatus_mode.png"},       {50, "xstatus_none.png"},
        {51, "xstatus_angry.png"},      {72, "xstatus_@.png"},          {85, "xstatus_ru_journal.png"},
    };
    for (const auto& [index, name] : spots)
        EXPECT_EQ(Utf8Of(GetStatusImageName(index)), name) << index;
    EXPECT_TRUE(GetStatusImageName(-1).IsEmpty());
    EXPECT_TRUE(GetStatusImageName(kJabberImageCount).IsEmpty());

    std::set<std::string> names;
    for (int i = 0; i < kJabberImageCount; ++i)
        names.insert(Utf8Of(GetStatusImageName(i)));
    EXPECT_EQ(names.size(), size_t(kJabberImageCount));
}

TEST(JabberProtocolInfo, EachFlavoursFiveStatusImagesStartAtItsFirstIndex) {
    const char* const prefixes[kJabberKindCount] = {"xmpyol_", "xmpxmpp_", "xmpyandex_", "xmpgoogle_", "xmplj_", "xmpvk_"};
    const char* const tails[] = {"stoffline.png", "stconnect.png", "stonline.png", "stifa.png", "stnotinlist.png"};
    for (int kind = 0; kind < kJabberKindCount; ++kind)
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(Utf8Of(GetStatusImageName(GetJabberFlavour(kind).firstStatusImage + i)),
                      std::string(prefixes[kind]) + tails[i]);
}

TEST(JabberProtocolInfo, StatusListNamesEveryStatusAndStacksItsOverlay) {
    // Per status: its English name and its icon as table indexes, F = the
    // flavour's first status image.
    const struct {
        const char* name;
        int image;  // offset from F
        int overlay;
    } rows[Protocols::StatusCount] = {
        {"Offline", 0, -1},        {"Connection", 1, -1},     {"Online", 2, -1},
        {"Invisible", 2, 5},       {"Invisible for all", 3, 5}, {"Free for chat", 2, 6},
        {"Evil", 2, 7},            {"Depression", 2, 8},      {"@ Home", 2, 9},
        {"@ Work", 2, 10},         {"Lunch", 2, 11},          {"Away", 2, 12},
        {"Not available", 2, 13},  {"Occupied", 2, 14},       {"Do not disturb", 2, 15},
    };
    for (int kind = 0; kind < kJabberKindCount; ++kind) {
        const int first = GetJabberFlavour(kind).firstStatusImage;
        CYolArray<StatusInfo> list = BuildJabberStatusList(kind, ImageIds(), BuiltInText);
        ASSERT_EQ(list.Count(), Protocols::StatusCount);
        for (int status = 0; status < Protocols::StatusCount; ++status) {
            SCOPED_TRACE(testing::Message() << "kind " << kind << " status " << status);
            EXPECT_EQ(list[status].status, status);
            EXPECT_EQ(Utf8Of(list[status].name), rows[status].name);
            std::vector<unsigned int> expected = {1000u + unsigned(first + rows[status].image)};
            if (rows[status].overlay >= 0)
                expected.push_back(1000u + unsigned(rows[status].overlay));
            EXPECT_EQ(Icon(list[status]), expected);
        }
    }
}

TEST(JabberProtocolInfo, StatusIconsPastTheRegisteredImagesTakeTheLastOne) {
    // Only 30 images registered: VKontakte's first status image (39) is past
    // the end, the shared overlays are not.
    CYolArray<StatusInfo> list = BuildJabberStatusList(JabberKindVKontakte, ImageIds(30), BuiltInText);
    EXPECT_EQ(Icon(list[Protocols::Offline]), std::vector<unsigned int>{1029});
    EXPECT_EQ(Icon(list[Protocols::Away]), (std::vector<unsigned int>{1029, 1012}));

    CYolArray<StatusInfo> bare = BuildJabberStatusList(JabberKindYol, CYolArray<unsigned int>(), BuiltInText);
    ASSERT_EQ(bare.Count(), Protocols::StatusCount);
    EXPECT_EQ(bare[Protocols::Online].icon.Count(), 0);
    EXPECT_EQ(Utf8Of(bare[Protocols::Online].name), "Online");
}

TEST(JabberProtocolInfo, StatusListTakesItsNamesFromTheGivenLanguage) {
    auto russian = [](int id) { return id == JabberStrOnline ? W("В сети") : CYolString(); };
    CYolArray<StatusInfo> list = BuildJabberStatusList(JabberKindXmpp, ImageIds(), russian);
    EXPECT_EQ(Utf8Of(list[Protocols::Online].name), "В сети");
    EXPECT_TRUE(list[Protocols::Away].name.IsEmpty());
}

TEST(JabberProtocolInfo, StatusMenuListsFourteenStatusesInGroupsAndChecksTheWantedOne) {
    CYolArray<StatusInfo> list = BuildJabberStatusList(JabberKindYol, ImageIds(), BuiltInText);
    CYolMenuInfo menu;
    FillJabberStatusMenu(menu, list, W("Yol user@yol.im"), 7, Protocols::Away);

    EXPECT_EQ(Utf8Of(menu.title.GetLocalized()), "Yol user@yol.im");
    const int order[] = {5, 6, 7, 8, 9, -1, 10, 11, 12, 13, 14, -1, 2, 3, 4, -1, 0};
    ASSERT_EQ(menu.Count(), 17);
    for (int i = 0; i < 17; ++i) {
        SCOPED_TRACE(i);
        const CYolMenuItemInfo& item = menu[i];
        if (order[i] < 0) {
            EXPECT_EQ(item.kind, CYolMenuItemInfo::Separator);
            continue;
        }
        EXPECT_EQ(item.kind, CYolMenuItemInfo::Item);
        EXPECT_EQ(item.commandId, order[i]);
        EXPECT_EQ(YolMenuContextValue(item.context), static_cast<unsigned int>(order[i]));
        EXPECT_EQ(item.callback, &Protocols::StatusMenuCallback);
        EXPECT_EQ(Utf8Of(item.caption.GetLocalized()), Utf8Of(list[order[i]].name));
        EXPECT_EQ(item.images.Count(), list[order[i]].icon.Count());
        EXPECT_EQ(item.marked, order[i] == Protocols::Away);
    }
}

int RecordOpen(unsigned int id, void* context);
std::vector<std::pair<unsigned int, unsigned int>> opened;
int RecordOpen(unsigned int id, void* context) {
    opened.emplace_back(id, YolMenuContextValue(context));
    return 0;
}

TEST(JabberProtocolInfo, MailboxMenuOpensTheInboxThroughTheGivenCallback) {
    CYolMenuInfo menu;
    FillJabberMailboxMenu(menu, W(BuiltIn(JabberStrMailbox)), W(BuiltIn(JabberStrOpenInbox)), 1018, RecordOpen, 42);
    EXPECT_EQ(Utf8Of(menu.title.GetLocalized()), "Mailbox");
    ASSERT_EQ(menu.Count(), 1);
    EXPECT_EQ(Utf8Of(menu[0].caption.GetLocalized()), "Open Inbox");
    ASSERT_EQ(menu[0].images.Count(), 1);
    EXPECT_EQ(menu[0].images[0], 1018u);
    EXPECT_FALSE(menu[0].marked);

    opened.clear();
    EXPECT_TRUE(menu[0].Invoke(7));
    EXPECT_EQ(opened, (std::vector<std::pair<unsigned int, unsigned int>>{{7, 42}}));
}

TEST(JabberStrings, BuiltInTableAnswersTheTextsTheAccountShows) {
    const std::pair<int, const char*> rows[] = {
        {0, "@ Home"},
        {3, "Connection"},
        {14, "Online"},
        {16, "Account"},
        {35, "Request authorization"},
        {65, "Female"},
        {75, "Nickname"},
        {76, "Acc.: <account>\r\nE-mail received\r\nFrom: <name>\r\nSubject: <subject>"},
        {77, "Mailbox"},
        {78, "Open Inbox"},
        {79, "Invalid account name or password"},
    };
    for (const auto& [id, text] : rows)
        EXPECT_EQ(BuiltIn(id), text) << id;
}

TEST(JabberStrings, IdsOutsideTheTableOrWithoutTextLeaveTheOutputAlone) {
    for (int id : {-1, 15, 80, 81, kJabberStringCount, 1000}) {
        CYolString text = W("kept");
        EXPECT_FALSE(JabberDefaultUiString(id, text)) << id;
        EXPECT_EQ(Utf8Of(text), "kept");
    }
}

TEST(JabberStrings, ControllerWithoutAPackFallsBackToTheBuiltInTable) {
    TempFolder folder;
    MUI::CYolWMMUI_Controller controller(W(folder.Root() + "/"), W("Xmp_"), W("English"), JabberDefaultUiString);
    controller.ChangeLang(W("Russian"));
    EXPECT_EQ(Utf8Of(controller.GetCurLang()), "English");
    CYolString text;
    ASSERT_TRUE(controller.GetString(JabberStrInvalidLogin, text));
    EXPECT_EQ(Utf8Of(text), "Invalid account name or password");
}

}  // namespace
