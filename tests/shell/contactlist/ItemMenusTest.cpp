// The context menus of the rows, built against the real model and a
// protocols manager whose account statuses the cases set, written out as
// one line: entries by caption and images, "-" for a separator, sub-menus
// in braces; and what the chosen entries do.

#include "ViewTestSupport.h"

namespace ViewTest {
namespace {

using ClTest::kAccountA;
using ClTest::kAccountB;

std::string Line(const CYolMenuInfo& menu) {
    std::string out;
    for (int i = 0; i < menu.Count(); ++i) {
        const CYolMenuItemInfo& entry = menu[i];
        if (!out.empty())
            out += "|";
        if (entry.kind == CYolMenuItemInfo::Separator) {
            out += "-";
            continue;
        }
        out += entry.caption.GetLocalized().ToUtf8();
        for (unsigned int image : entry.images)
            out += "[" + std::to_string(image) + "]";
        if (entry.subMenu != nullptr)
            out += "{" + entry.subMenu->title.GetLocalized().ToUtf8() + ": " + Line(*entry.subMenu) + "}";
    }
    return out;
}

class MenusTest : public ViewsTest {
protected:
    void SetUp() override {
        ViewsTest::SetUp();
        manager.pluginMenus = true;
        AddAccounts();
        friends = NamedGroup(kAccountA, "Friends");
        work = NamedGroup(kAccountA, "Work");
        family = NamedGroup(kAccountB, "Family");
        ann = Contact(kAccountA, friends, "ann", 2, "Ann");
        stranger = Contact(kAccountA, 0, "stranger", 0, "Stranger");
        dad = Contact(kAccountB, family, "dad", 2, "Dad");
        Settle();
    }

    CL::CYol_CLItem* Grouped(unsigned int account, unsigned int group = 0, unsigned int contact = 0, bool find = true) {
        auto* item = CL::FindChild<CL::CYol_CLAccountItem>(views.grouped, account);
        if (!find || (group == 0 && contact == 0))
            return item;
        auto* groupItem = CL::FindChild<CL::CYol_CLGroupItem>(item, group);
        return contact == 0 ? static_cast<CL::CYol_CLItem*>(groupItem)
                            : CL::FindChild<CL::CYol_CLContactItem>(groupItem, contact);
    }
    CL::CYol_CLItem* Meta(unsigned int contact) {
        unsigned int meta = model->GetMetaContactOf(contact);
        auto* group = CL::FindChild<CL::CYol_CLMetagroupItem>(views.groupedMeta, model->GetParentId(meta));
        return CL::FindChild<CL::CYol_CLMetacontactItem>(group, meta);
    }
    std::string MenuOf(CL::CYol_CLItem* item) {
        CYolMenuInfo menu;
        if (item == nullptr)
            return "no item";
        auto held = views.Lock();
        item->BuildMenu(menu, 0, 100, &control);
        return menu.title.GetLocalized().ToUtf8() + ": " + Line(menu);
    }
    // Chooses the entry of that caption, in the menu or one sub-menu down.
    void Choose(CL::CYol_CLItem* item, const std::string& caption, int subMenu = -1) {
        CYolMenuInfo menu;
        auto held = views.Lock();
        item->BuildMenu(menu, 0, 100, &control);
        const CYolMenuInfo* in = subMenu >= 0 ? menu[subMenu].subMenu : &menu;
        ASSERT_NE(in, nullptr);
        for (int i = 0; i < in->Count(); ++i)
            if ((*in)[i].caption.GetLocalized().ToUtf8() == caption) {
                item->CallWithId((*in)[i].commandId, (*in)[i].callback, in->context, (*in)[i].context);
                return;
            }
        FAIL() << "no entry " << caption;
    }
    void Online(unsigned int account) { manager.SetAccountStatus(account, Protocols::Online); }

    RecordingCtrl control{nullptr};
    unsigned int friends = 0, work = 0, family = 0, ann = 0, stranger = 0, dad = 0;
};

TEST_F(MenusTest, AccountAndGroupMenusFollowTheAccountStatusAndTheGroupOrder) {
    EXPECT_EQ(MenuOf(Grouped(kAccountA)),
              "Account: Open groups[33]|Close groups[16]|-|Network settings[41]");
    Online(kAccountA);
    EXPECT_EQ(MenuOf(Grouped(kAccountA)), "Account: Open groups[33]|Close groups[16]|-|Create new group[17]|"
                                          "Add contact[18]|-|Network settings[41]");
    const std::string groupHead =
        "Group: Open groups[33]|Close groups[16]|-|Create new group[17]|Rename group[35]|Delete group[20]|"
        "Add contact[18]|-|";
    EXPECT_EQ(MenuOf(Grouped(kAccountA, friends)), groupHead + "Move down[24]");
    EXPECT_EQ(MenuOf(Grouped(kAccountA, work)), groupHead + "Move up[23]");
    // The account's row outside groups, and a group of an offline account.
    EXPECT_EQ(MenuOf(Grouped(kAccountA, 0, 0, true)->lastChild), "Group: Open groups[33]|Close groups[16]");
    EXPECT_EQ(MenuOf(Grouped(kAccountB, family)), "Group: Open groups[33]|Close groups[16]");
}

TEST_F(MenusTest, ContactMenus) {
    const std::string common = "Contact details[38]|Message history[39]|Copy contact name[40]|-|";
    struct Case {
        const char* name;
        std::function<CL::CYol_CLItem*()> item;
        bool online;
        std::string expected;
    };
    const Case cases[] = {
        {"offline account", [&] { return Grouped(kAccountA, friends, ann); }, false,
         "ann - Ann: " + common + "plugin " + ClTest::Hex(ann)},
        {"online, another group to move to", [&] { return Grouped(kAccountA, friends, ann); }, true,
         "ann - Ann: Send message[28]|Send file[76]|-|" + common +
             "Rename contact[34]|Delete contact[19]|Move to group[25]{Move to group: Work}|plugin " +
             ClTest::Hex(ann)},
        // Judged by its own account, not by the global status.
        {"outside groups, online account", [&] { return Grouped(kAccountA, 0, 0)->lastChild->firstChild; }, true,
         "stranger - Stranger: Send message[28]|Send file[76]|-|" + common +
             "Add to contact list[18]|Delete contact[19]|plugin " + ClTest::Hex(stranger)},
        {"outside groups, offline account", [&] { return Grouped(kAccountA, 0, 0)->lastChild->firstChild; }, false,
         "stranger - Stranger: " + common + "Delete contact[19]|plugin " + ClTest::Hex(stranger)},
        {"the account's only group", [&] { return Grouped(kAccountB, family, dad); }, true,
         "dad - Dad: Send message[28]|Send file[76]|-|" + common + "Rename contact[34]|Delete contact[19]|plugin " +
             ClTest::Hex(dad)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Protocols::Status status = c.online ? Protocols::Online : Protocols::Offline;
        manager.SetAccountStatus(kAccountA, status);
        manager.SetAccountStatus(kAccountB, status);
        EXPECT_EQ(MenuOf(c.item()), c.expected);
    }
}

TEST_F(MenusTest, MetaContactWithTwoSubContactsShowsASubMenuForEach) {
    Online(kAccountA);
    Protocols::ContactStatusInfo status = ClTest::Status(2);
    status.icons.Add(CYolArray<unsigned int>());
    status.icons[0].Add(90);
    model->SetContactStatus(ann, status);
    // Dad's status carries no icon list at all.
    model->MoveContactToMetaContact(dad, model->GetMetaContactOf(ann));
    Settle();
    EXPECT_EQ(MenuOf(Meta(ann)),
              "Ann: Send message[28]|Send file[76]|-|Rename contact[34]|Delete contact[19]|"
              "Move to group[25]{Move to group: Family}|-|"
              "ann[90]{ann - Ann: Contact details[38]|Message history[39]|Copy contact name[40]|-|"
              "Rename contact[34]|Delete contact[19]|Move to metacontact[26]|plugin " +
                  ClTest::Hex(ann) +
                  "}|"
                  "dad{dad - Dad: Contact details[38]|Message history[39]|Copy contact name[40]|-|"
                  "Move to metacontact[26]|plugin " +
                  ClTest::Hex(dad) + "}");
}

TEST_F(MenusTest, ChosenEntriesActOnTheControlTheModelAndTheProtocolsManager) {
    Online(kAccountA);
    Online(kAccountB);
    Choose(Grouped(kAccountA), "Add contact");
    Choose(Grouped(kAccountA, work), "Add contact");
    Choose(Grouped(kAccountA, work), "Create new group");
    Choose(Grouped(kAccountA, friends, ann), "Rename contact");
    Choose(Grouped(kAccountA, 0, 0)->lastChild->firstChild, "Add to contact list");
    EXPECT_EQ(control.Take(), (std::vector<std::string>{
                                  "AddContact " + ClTest::Hex(kAccountA) + " 0",
                                  "AddContact " + ClTest::Hex(kAccountA) + " " + ClTest::Hex(work),
                                  "NewGroup " + ClTest::Hex(kAccountA),
                                  "RenameItem " + ClTest::Hex(ann),
                                  "AddContactToGroup " + ClTest::Hex(kAccountA) + " " + ClTest::Hex(stranger),
                              }));
    // A one-sub-contact meta contact stands for its sub-contact where a
    // contact is needed, and for itself elsewhere.
    unsigned int annMeta = model->GetMetaContactOf(ann);
    Choose(Meta(ann), "Contact details");
    Choose(Meta(ann), "Send message");
    EXPECT_EQ(control.Take(), (std::vector<std::string>{"ShowContactDetails " + ClTest::Hex(ann),
                                                        "ActivateItem2 " + ClTest::Hex(annMeta)}));

    manager.ClearCalls();
    Choose(Grouped(kAccountA, friends, ann), "Work", 9);
    EXPECT_EQ(manager.Calls(), std::vector<std::string>{"MoveContact " + ClTest::Hex(kAccountA) + " " +
                                                        ClTest::Hex(ann) + " " + ClTest::Hex(work)});

    // Group order: Move down swaps the indexes and the rows.
    Choose(Grouped(kAccountA, friends), "Move down");
    auto* account = Grouped(kAccountA);
    EXPECT_EQ(static_cast<CL::CYol_CLGroupItem*>(account->firstChild)->modelId, work);
    unsigned int index = 99;
    model->GetItemDword(friends, W("CLCtrl group index"), &index);
    EXPECT_EQ(index, 1u);

    Choose(Grouped(kAccountA), "Close groups");
    EXPECT_FALSE(account->expanded);
    EXPECT_FALSE(account->firstChild->expanded);
    unsigned char open = 1;
    model->GetItemByte(work, W("CLCtrl open"), &open);
    EXPECT_EQ(open, 0);
}

}  // namespace
}  // namespace ViewTest
