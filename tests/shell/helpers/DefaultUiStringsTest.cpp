// The built-in English strings: every id of the table answers its text, and
// ids outside it answer nothing without reading past the table.

#include "DefaultUiStrings.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(DefaultUiStrings, AnswersTheTextOfEachId) {
    const std::pair<int, const char*> cases[] = {
        {0, "Offline"},
        {27, "Quit Yol"},
        {99, "Save message history for \"Not in list\""},
        {135, " <empty>"},
        {170, "Show \"Send message\" button"},
        {238, "New version of Yol PDA (%d) loaded! Install now?"},
        {239, "Received file '%s' (size: %.1lf Kb)?"},
        {258, "If you have Yol account,\nlogin please\n(or skip this request)"},
        {276, "OK"},
        {315, "Description"},
    };
    for (const auto& [id, text] : cases) {
        CYolString out;
        EXPECT_TRUE(GetDefaultUiString(id, out)) << id;
        EXPECT_EQ(out.ToUtf8(), text) << id;
    }
}

TEST(DefaultUiStrings, EveryIdHasText) {
    for (int id = 0; id < kDefaultUiStringCount; ++id) {
        CYolString out;
        EXPECT_TRUE(GetDefaultUiString(id, out));
        EXPECT_FALSE(out.IsEmpty()) << id;
    }
    CYolString update;
    GetDefaultUiString(237, update);
    EXPECT_NE(update.ToUtf8().find("%d"), std::string::npos);
    EXPECT_NE(update.ToUtf8().find("\nDownload now?"), std::string::npos);
}

TEST(DefaultUiStrings, IdsOutsideTheTableAnswerAnEmptyText) {
    for (int id : {-1, kDefaultUiStringCount, 100000, -2147483647 - 1}) {
        CYolString out = W("before");
        EXPECT_FALSE(GetDefaultUiString(id, out)) << id;
        EXPECT_TRUE(out.IsEmpty()) << id;
    }
}

}  // namespace
