// The message-window settings record: the defaults of a fresh settings file,
// what a record writes and the next one reads, and stored values that are
// out of range or of the wrong size.

#include "SettingsFixture.h"

#include <cstring>

using MW::TYolWMMWSettings;

namespace {

std::string Face(const LOGFONTW& font)
{
    return CYolString(font.lfFaceName).ToUtf8();
}

void ExpectFont(const LOGFONTW& font, int height, int weight, const char* what)
{
    SCOPED_TRACE(what);
    EXPECT_EQ(Face(font), "Tahoma");
    EXPECT_EQ(font.lfHeight, height);
    EXPECT_EQ(font.lfWeight, weight);
    EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(font.lfItalic + font.lfUnderline + font.lfStrikeOut + font.lfWidth, 0);
}

void ExpectDefaults(const TYolWMMWSettings& s)
{
    EXPECT_TRUE(s.showNames);
    EXPECT_FALSE(s.showTime);
    EXPECT_FALSE(s.msgFromNewl);
    EXPECT_EQ(s.yourName.ToUtf8(), "I");
    ExpectFont(s.headLogFont, 12, FW_BOLD, "head");
    ExpectFont(s.head2LogFont, 12, FW_NORMAL, "head 2");
    ExpectFont(s.textLogFont, 14, FW_NORMAL, "text");
    ExpectFont(s.editLogFont, 14, FW_NORMAL, "edit");
    EXPECT_EQ(s.maxLine, 3);
    EXPECT_TRUE(s.showSB);
    EXPECT_TRUE(s.sendOnEnter);
    EXPECT_TRUE(s.typingNotify);
    EXPECT_EQ(s.smiliesNum, 10);
    EXPECT_TRUE(s.dlgCompactMode);
    EXPECT_TRUE(s.showTB);
    EXPECT_TRUE(s.showTBSmaily);
    EXPECT_FALSE(s.showTBSend);
    EXPECT_FALSE(s.sendRepliesImmediately);
    EXPECT_TRUE(s.repliesInContextMenu);
    EXPECT_TRUE(s.caretLeftRight);
    EXPECT_TRUE(s.caretUpDown);
    EXPECT_TRUE(s.volumeForScroll);
    EXPECT_EQ(s.leftSK, TYolWMMWSettings::EMinimize);
    EXPECT_EQ(s.rightSK, TYolWMMWSettings::EMenu);
    EXPECT_EQ(s.headFont, nullptr);
    EXPECT_EQ(s.editFont, nullptr);
}

} // namespace

class SettingsRecord : public ::testing::Test, public SettingsStore {};

TEST_F(SettingsRecord, AFreshFileGivesTheDefaultsAndTheEnglishReplies)
{
    TYolWMMWSettings settings(&services);
    ExpectDefaults(settings);
    EXPECT_EQ(Replies(settings), (std::vector<std::string>{"Hi", "How are you?", "Bye"}));
}

TEST_F(SettingsRecord, WithoutADatabaseTheDefaultsHoldAndNothingIsWritten)
{
    Services::CServicesManagerImpl empty;
    {
        TYolWMMWSettings settings(&empty);
        ExpectDefaults(settings);
        settings.maxLine = 5;
    }
    EXPECT_TRUE(database.Raw(PreferencesGuid, u"MWMaxLine").empty());
}

TEST_F(SettingsRecord, WhatOneRecordWritesTheNextReads)
{
    {
        TYolWMMWSettings s(&services);
        s.showNames = false;
        s.showTime = true;
        s.msgFromNewl = true;
        s.yourName = W("Анна");
        s.headLogFont = TYolWMMWSettings::DefaultFont(20, FW_NORMAL);
        s.textLogFont.lfItalic = 1;
        s.maxLine = 5;
        s.showSB = false;
        s.sendOnEnter = false;
        s.typingNotify = false;
        s.editLogFont.lfHeight = 9;
        s.smiliesNum = 0;
        s.dlgCompactMode = false;
        s.showTB = false;
        s.showTBSmaily = false;
        s.showTBSend = true;
        s.sendRepliesImmediately = true;
        s.repliesInContextMenu = false;
        s.replies.Clear();
        s.replies.Add(W("Ok"));
        s.caretLeftRight = false;
        s.caretUpDown = false;
        s.volumeForScroll = false;
        s.leftSK = TYolWMMWSettings::ESend;
        s.rightSK = TYolWMMWSettings::EClose;
    }
    EXPECT_EQ(database.Raw(PreferencesGuid, u"MWShowTBSend"), (std::vector<uint8_t>{1}));
    EXPECT_EQ(database.Raw(PreferencesGuid, u"MWMaxLine"), (std::vector<uint8_t>{5, 0, 0, 0}));
    EXPECT_EQ(database.Raw(PreferencesGuid, u"MWRightSK"), (std::vector<uint8_t>{5}));
    EXPECT_EQ(database.Raw(PreferencesGuid, u"MWHeadFont").size(), 92u);

    TYolWMMWSettings s(&services);
    EXPECT_FALSE(s.showNames);
    EXPECT_TRUE(s.showTime);
    EXPECT_TRUE(s.msgFromNewl);
    EXPECT_EQ(s.yourName.ToUtf8(), "Анна");
    EXPECT_EQ(s.headLogFont.lfHeight, 20);
    EXPECT_EQ(s.headLogFont.lfWeight, FW_NORMAL);
    EXPECT_EQ(s.textLogFont.lfItalic, 1);
    EXPECT_EQ(s.maxLine, 5);
    EXPECT_FALSE(s.showSB);
    EXPECT_FALSE(s.sendOnEnter);
    EXPECT_FALSE(s.typingNotify);
    EXPECT_EQ(s.editLogFont.lfHeight, 9);
    EXPECT_EQ(s.smiliesNum, 0);
    EXPECT_FALSE(s.dlgCompactMode);
    EXPECT_FALSE(s.showTB);
    EXPECT_FALSE(s.showTBSmaily);
    EXPECT_TRUE(s.showTBSend);
    EXPECT_TRUE(s.sendRepliesImmediately);
    EXPECT_FALSE(s.repliesInContextMenu);
    EXPECT_EQ(Replies(s), (std::vector<std::string>{"Ok"}));
    EXPECT_FALSE(s.caretLeftRight);
    EXPECT_FALSE(s.caretUpDown);
    EXPECT_FALSE(s.volumeForScroll);
    EXPECT_EQ(s.leftSK, TYolWMMWSettings::ESend);
    EXPECT_EQ(s.rightSK, TYolWMMWSettings::EClose);
}

TEST_F(SettingsRecord, AnEmptiedReplyListStaysEmpty)
{
    {
        TYolWMMWSettings s(&services);
        s.replies.Clear();
    }
    TYolWMMWSettings s(&services);
    EXPECT_TRUE(Replies(s).empty());
}

TEST_F(SettingsRecord, StoredCountsAreBroughtIntoTheirRanges)
{
    struct Case {
        const char16_t* key;
        unsigned long stored;
        int TYolWMMWSettings::*field;
        int expected;
    };
    const Case cases[] = {
        {u"MWMaxLine", 0, &TYolWMMWSettings::maxLine, 1},
        {u"MWMaxLine", 4, &TYolWMMWSettings::maxLine, 4},
        {u"MWMaxLine", 6, &TYolWMMWSettings::maxLine, 5},
        {u"MWMaxLine", 0xFFFFFFFF, &TYolWMMWSettings::maxLine, 1},
        {u"MWMaxLine", 0x80000000, &TYolWMMWSettings::maxLine, 1},
        {u"MWSmiliesNum", 0, &TYolWMMWSettings::smiliesNum, 0},
        {u"MWSmiliesNum", 99, &TYolWMMWSettings::smiliesNum, 99},
        {u"MWSmiliesNum", 100, &TYolWMMWSettings::smiliesNum, 99},
        {u"MWSmiliesNum", 0xFFFFFFFF, &TYolWMMWSettings::smiliesNum, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(CYolString(c.key).ToUtf8() + " " + std::to_string(c.stored));
        database.SetDword(PreferencesGuid, c.key, c.stored);
        TYolWMMWSettings s(&services);
        EXPECT_EQ(s.*c.field, c.expected);
    }
}

TEST_F(SettingsRecord, OnlyAFontOfExactlyTheRecordsSizeIsTaken)
{
    LOGFONTW stored = TYolWMMWSettings::DefaultFont(30, FW_BOLD);
    // A face that fills its room without a terminator.
    for (char16_t& c : stored.lfFaceName)
        c = u'x';
    const auto* bytes = reinterpret_cast<const unsigned char*>(&stored);
    struct Case {
        unsigned long size;
        int height;
    };
    for (const Case& c : {Case{0, 14}, Case{28, 14}, Case{91, 14}, Case{93, 14}, Case{92, 30}}) {
        SCOPED_TRACE(c.size);
        std::vector<unsigned char> blob(bytes, bytes + std::min<unsigned long>(c.size, 92));
        blob.resize(c.size, 0);
        database.SetData(PreferencesGuid, W("MWTextFont"), blob.data(), c.size);
        TYolWMMWSettings s(&services);
        EXPECT_EQ(s.textLogFont.lfHeight, c.height);
        EXPECT_EQ(s.textLogFont.lfFaceName[LF_FACESIZE - 1], 0);
        if (c.size == 92) {
            EXPECT_EQ(Face(s.textLogFont), std::string(LF_FACESIZE - 1, 'x'));
        }
    }
}

TEST_F(SettingsRecord, DefaultRepliesFollowTheLanguage)
{
    TYolWMMWSettings s(&services);
    UI::SetDialogStrings([](int id, CYolString& text) {
        text = CYolString::FromUtf8("reply " + std::to_string(id));
        return true;
    });
    s.LoadDefaultReplies();
    UI::SetDialogStrings(nullptr);
    EXPECT_EQ(Replies(s), (std::vector<std::string>{"reply 175", "reply 176", "reply 177"}));
}
