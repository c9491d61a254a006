// The menu description that the program and the plug-ins fill in place.

#include "CYolMenuInfo.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::pair<unsigned int, unsigned int>> calls;

int Record(unsigned int id, void* context) {
    calls.emplace_back(id, YolMenuContextValue(context));
    return 0;
}

CYolFormatString Text(const char* text) {
    return CYolFormatString(CYolString::FromUtf8(text));
}

CYolMenuItemInfo Item(const char* caption, int command) {
    return CYolMenuItemInfo(CYolMenuItemInfo::Item, 3, Text(caption), command, &Record, YolMenuContext(0x10000001),
                            false);
}

std::string Caption(const CYolMenuItemInfo& item) {
    return item.caption.GetLocalized().ToUtf8();
}

TEST(MenuInfo, EntriesKeepTheOrderOfAddingAndInsertAtPlacesBeforeAnIndex) {
    CYolMenuInfo menu;
    menu.Add(Item("first", 1));
    menu.Add(Item("second", 2));
    menu.InsertAt(1, CYolMenuItemInfo(CYolMenuItemInfo::Separator));
    // Past the end appends, as the plug-ins rely on for their separators.
    menu.InsertAt(99, Item("last", 3));
    ASSERT_EQ(menu.Count(), 4);
    EXPECT_EQ(Caption(menu[0]), "first");
    EXPECT_EQ(menu[1].kind, CYolMenuItemInfo::Separator);
    EXPECT_EQ(Caption(menu[2]), "second");
    EXPECT_EQ(menu[3].commandId, 3);
}

TEST(MenuInfo, ConstructorsFillWhatTheirFormGivesAndLeaveTheRestEmpty) {
    CYolArray<unsigned int> two;
    two.Add(7);
    two.Add(8);
    CYolMenuInfo sub(Text("sub"), YolMenuContext(5));
    sub.Add(Item("child", 9));

    struct Row {
        const char* form;
        CYolMenuItemInfo entry;
        int kind;
        std::vector<unsigned int> images;
        int commandId;
        bool hasCallback;
        bool hasSubMenu;
        bool marked;
    };
    const Row rows[] = {
        {"kind", CYolMenuItemInfo(CYolMenuItemInfo::Separator), 1, {}, 0, false, false, false},
        {"default", CYolMenuItemInfo(), 1, {}, 0, false, false, false},
        {"no image", CYolMenuItemInfo(2, Text("a"), 4, &Record, nullptr, true), 2, {}, 4, true, false, true},
        {"image -1", CYolMenuItemInfo(0, -1, Text("a"), 4, &Record, nullptr, false), 0, {}, 4, true, false, false},
        {"image 0", CYolMenuItemInfo(0, 0, Text("a"), 4, nullptr, nullptr, false), 0, {0}, 4, false, false, false},
        {"image list", CYolMenuItemInfo(0, two, Text("a"), -2, &Record, nullptr, false), 0, {7, 8}, -2, true, false,
         false},
        {"sub, image", CYolMenuItemInfo(6, Text("a"), sub), 3, {6}, 0, false, true, false},
        {"sub, no image", CYolMenuItemInfo(-1, Text("a"), sub), 3, {}, 0, false, true, false},
        {"sub, image list", CYolMenuItemInfo(two, Text("a"), sub), 3, {7, 8}, 0, false, true, false},
        {"sub, command", CYolMenuItemInfo(6, Text("a"), 12, sub), 3, {6}, 12, false, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.form);
        EXPECT_EQ(row.entry.kind, row.kind);
        std::vector<unsigned int> images(row.entry.images.begin(), row.entry.images.end());
        EXPECT_EQ(images, row.images);
        EXPECT_EQ(row.entry.commandId, row.commandId);
        EXPECT_EQ(row.entry.callback != nullptr, row.hasCallback);
        EXPECT_EQ(row.entry.marked, row.marked);
        ASSERT_EQ(row.entry.subMenu != nullptr, row.hasSubMenu);
        if (row.hasSubMenu) {
            EXPECT_NE(row.entry.subMenu, &sub);
            EXPECT_EQ(row.entry.subMenu->Count(), 1);
            EXPECT_EQ(row.entry.subMenu->context, YolMenuContext(5));
        }
    }
}

TEST(MenuInfo, TheEleventhEntryGrowsByTenAndKeepsTheFirstTenWithTheirSubMenus) {
    CYolMenuInfo child;
    child.Add(Item("child", 5));
    CYolMenuInfo menu;
    for (int i = 0; i < 10; ++i)
        menu.Add(i == 4 ? CYolMenuItemInfo(1, Text("sub"), child) : Item("filler", i));
    ASSERT_EQ(menu.Capacity(), 10);
    menu.Add(Item("eleventh", 10));
    EXPECT_EQ(menu.Capacity(), 20);
    ASSERT_EQ(menu.Count(), 11);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(menu[i].commandId, i == 4 ? 0 : i) << i;
    ASSERT_NE(menu[4].subMenu, nullptr);
    EXPECT_EQ(Caption((*menu[4].subMenu)[0]), "child");
    // The spare slots are separators that nobody can choose.
    for (int i = menu.Count(); i < menu.Capacity(); ++i)
        EXPECT_EQ(menu.buffer[i].kind, CYolMenuItemInfo::Separator);
}

TEST(MenuInfo, CopiesAreDeepSoTheCopySurvivesTheOriginal) {
    auto original = std::make_unique<CYolMenuInfo>(Text("title"), YolMenuContext(77));
    CYolMenuInfo grandChild;
    grandChild.Add(Item("deep", 8));
    CYolMenuInfo child;
    child.Add(CYolMenuItemInfo(-1, Text("inner"), grandChild));
    original->Add(CYolMenuItemInfo(2, Text("outer"), child));

    CYolMenuInfo copy(*original);
    CYolMenuInfo assigned;
    assigned.Add(CYolMenuItemInfo(2, Text("replaced"), child));
    assigned = *original;
    original.reset();

    for (const CYolMenuInfo* menu : {&copy, &assigned}) {
        EXPECT_EQ(menu->title.GetLocalized().ToUtf8(), "title");
        EXPECT_EQ(menu->context, YolMenuContext(77));
        ASSERT_EQ(menu->Count(), 1);
        const CYolMenuInfo* inner = (*menu)[0].subMenu;
        ASSERT_NE(inner, nullptr);
        ASSERT_NE((*inner)[0].subMenu, nullptr);
        EXPECT_EQ(Caption((*(*inner)[0].subMenu)[0]), "deep");
    }
    EXPECT_NE(copy[0].subMenu, assigned[0].subMenu);
}

TEST(MenuInfo, AssigningAnEntryReplacesItsSubMenuAndCopiesEveryField) {
    CYolMenuInfo child;
    child.Add(Item("child", 5));
    CYolMenuItemInfo target(2, Text("target"), child);
    CYolMenuItemInfo source = Item("source", 11);
    source.marked = true;
    target = source;
    EXPECT_EQ(target.kind, CYolMenuItemInfo::Item);
    EXPECT_EQ(Caption(target), "source");
    EXPECT_EQ(target.subMenu, nullptr);
    EXPECT_EQ(target.commandId, 11);
    EXPECT_EQ(target.callback, &Record);
    EXPECT_EQ(target.context, YolMenuContext(0x10000001));
    EXPECT_TRUE(target.marked);

    CYolMenuItemInfo self(2, Text("self"), child);
    const CYolMenuItemInfo& alias = self;
    self = alias;
    ASSERT_NE(self.subMenu, nullptr);
    EXPECT_EQ(self.subMenu->Count(), 1);
}

TEST(MenuInfo, InvokeCallsBackWithTheIdAndTheEntrysContext) {
    calls.clear();
    EXPECT_TRUE(Item("status", 11).Invoke(0x20000002));
    EXPECT_EQ(calls, (std::vector<std::pair<unsigned int, unsigned int>>{{0x20000002u, 0x10000001u}}));
    EXPECT_FALSE(CYolMenuItemInfo(CYolMenuItemInfo::Separator).Invoke(1));
}

}  // namespace
