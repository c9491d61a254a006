// The menu description the manager and the plug-ins fill.

#include "CYolMenuInfo.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

std::vector<std::pair<unsigned int, unsigned int>> calls;

void Record(unsigned int context, unsigned int command) {
    calls.emplace_back(context, command);
}

CYolMenuItemInfo Item(const char* caption, int command) {
    CYolArray<unsigned int> images;
    images.Add(3);
    return CYolMenuItemInfo(CYolMenuItemInfo::Item, images, CYolFormatString(CYolString::FromUtf8(caption)), command,
                            &Record, 0x10000001, false);
}

TEST(MenuInfo, ItemsKeepTheOrderOfAppending) {
    CYolMenuInfo menu;
    menu.AddItem(Item("first", 1));
    menu.AddItem(Item("second", 2));
    ASSERT_EQ(menu.GetCount(), 2);
    EXPECT_EQ(menu[0].caption.GetLocalized().ToUtf8(), "first");
    EXPECT_EQ(menu[1].command, 2);
    EXPECT_EQ(menu[1].images[0], 3u);
}

TEST(MenuInfo, ASubMenuIsOwnedAndCopiedDeeply) {
    CYolMenuItemInfo parent = Item("parent", 0);
    parent.kind = CYolMenuItemInfo::SubMenu;
    parent.subMenu = new CYolMenuInfo;
    parent.subMenu->AddItem(Item("child", 5));

    CYolMenuItemInfo copy = parent;
    ASSERT_NE(copy.subMenu, nullptr);
    EXPECT_NE(copy.subMenu, parent.subMenu);
    copy.subMenu->AddItem(Item("only in the copy", 6));
    EXPECT_EQ(parent.subMenu->GetCount(), 1);

    CYolMenuInfo menu;
    menu.AddItem(parent);
    menu.AddItem(copy);  // growing the array moves the items with their sub-menus
    for (int i = 0; i < 20; ++i)
        menu.AddItem(Item("filler", i));
    EXPECT_EQ(menu[0].subMenu->GetCount(), 1);
    EXPECT_EQ(menu[1].subMenu->GetCount(), 2);
    EXPECT_EQ((*menu[1].subMenu)[1].command, 6);
}

TEST(MenuInfo, InvokeCallsBackWithContextAndCommand) {
    calls.clear();
    EXPECT_TRUE(Item("status", 11).Invoke());
    EXPECT_EQ(calls, (std::vector<std::pair<unsigned int, unsigned int>>{{0x10000001u, 11u}}));
    CYolMenuItemInfo separator;
    separator.kind = CYolMenuItemInfo::Separator;
    EXPECT_FALSE(separator.Invoke());
}

}  // namespace
