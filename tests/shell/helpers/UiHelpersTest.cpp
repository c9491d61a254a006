// Clipboard text and the OK/Cancel soft-key captions.

#include "DefaultUiStrings.h"
#include "Shell/Clipboard.h"
#include "TestSupport.h"
#include "UiHelpers.h"

#include <gtest/gtest.h>

namespace {

TEST(ClipboardText, CopiesOnlyWhenTheWholeTextAndItsTerminatorFit) {
    ASSERT_TRUE(SetClipboardText(u"Hello, world", 5));
    EXPECT_TRUE(HasClipboardText());
    // The block holds "Hello" and its terminator: 6 units.
    char16_t buffer[16];
    buffer[0] = u'x';
    EXPECT_EQ(GetClipboardText(buffer, 6), 7);
    EXPECT_EQ(buffer[0], u'x');
    EXPECT_EQ(GetClipboardText(buffer, 7), 6);
    EXPECT_EQ(std::u16string(buffer), u"Hello");
    EXPECT_EQ(GetClipboardText(nullptr, 0), 7);

    ASSERT_TRUE(SetClipboardText(u"whole"));
    EXPECT_EQ(GetClipboardText(buffer, 16), 6);
    EXPECT_EQ(std::u16string(buffer), u"whole");
}

TEST(ClipboardText, EmptyClipboardHasNoText) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_FALSE(HasClipboardText());
    char16_t buffer[4] = u"abc";
    EXPECT_EQ(GetClipboardText(buffer, 4), 0);
    EXPECT_EQ(std::u16string(buffer), u"abc");
}

TEST(SoftKeyCaptions, OkAndCancelOthersUntouched) {
    const std::pair<int, const char*> cases[] = {{0, "OK"}, {1, "Cancel"}, {2, "kept"}, {-1, "kept"}};
    for (const auto& [key, caption] : cases) {
        CYolString text = W("kept");
        EXPECT_TRUE(GetOkCancelSoftKeyCap(key, text, GetDefaultUiString));
        EXPECT_EQ(text.ToUtf8(), caption) << key;
    }
}

}  // namespace
