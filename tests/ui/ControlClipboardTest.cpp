// The clipboard: opening, ownership of blocks, text in and out, and
// exclusion of other threads while it is open.

#include "Shell/Clipboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace {

HGLOBAL TextBlock(std::u16string_view text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * 2);
    auto* p = static_cast<char16_t*>(GlobalLock(block));
    std::memcpy(p, text.data(), text.size() * 2);
    p[text.size()] = 0;
    GlobalUnlock(block);
    return block;
}

TEST(Clipboard, HoldsTheBlockItIsGivenUntilEmptied) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(EmptyClipboard());
    HGLOBAL block = TextBlock(u"abc");
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, block), block);
    EXPECT_EQ(GlobalFree(block), block) << "the clipboard owns it now";
    EXPECT_TRUE(CloseClipboard());

    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr) << "only while open";
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    EXPECT_EQ(GlobalSize(data), 8u);
    EXPECT_EQ(std::u16string(static_cast<const char16_t*>(GlobalLock(data))), u"abc");
    GlobalUnlock(data);
    EXPECT_TRUE(EmptyClipboard());
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    EXPECT_EQ(Platform::ReadClipboardText(), u"");
}

TEST(Clipboard, AnotherThreadCannotOpenItMeanwhile) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    bool openedThere = true;
    bool wroteThere = true;
    std::thread([&] {
        openedThere = OpenClipboard(nullptr);
        wroteThere = Platform::WriteClipboardText(u"x", nullptr);
    }).join();
    EXPECT_FALSE(openedThere);
    EXPECT_FALSE(wroteThere);
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard());
    EXPECT_TRUE(Platform::WriteClipboardText(u"text\0cut", nullptr));
    EXPECT_EQ(Platform::ReadClipboardText(), u"text") << "the text ends at its terminator";
}

} // namespace
