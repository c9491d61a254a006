// The alerts file of an alert pack: what parses, what falls back to the
// built-in settings, the vibration flags both ways, and the default pack the
// build installs.

#include "FileHelpers.h"
#include "PrefsFixture.h"
#include "TYolWMAlertSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

using Alert::TYolWMAlertSettings;

namespace {

const CYolString kFolder(u"/p/");

bool Parse(const std::string& text, CYolArray<TYolWMAlertSettings>& records) {
    return Alert::ParseAlertsFile(text.data(), text.size(), kFolder, records);
}

std::string AlertEntries(int count, const std::string& separator = "\r\n") {
    std::string text = "[YolAlerts]\r\n";
    for (int n = 0; n < count; ++n)
        text += "k" + std::to_string(n) + "=s" + std::to_string(n) + ".wav 1" + separator;
    return text;
}

void ExpectBuiltIn(const CYolArray<TYolWMAlertSettings>& records) {
    const unsigned int vibra[] = {0xF, 0, 0, 0, 0x3, 0, 0};
    ASSERT_EQ(records.Count(), 7);
    for (int event = 0; event < 7; ++event) {
        SCOPED_TRACE(event);
        EXPECT_TRUE(records[event].on);
        EXPECT_FALSE(records[event].soundOn);
        EXPECT_EQ(records[event].sound.Length(), 0);
        EXPECT_EQ(records[event].vibra, vibra[event]);
    }
}

}  // namespace

TEST(AlertsFile, ReadsOneRecordPerEntryInOrder) {
    const std::string text = "[YolAlerts]\r\nmsg=incoming.wav 1111\r\n=b.wav\t\t0101\r\n\r\nc.wav=c.wav  0 junk d=d.wav 1"
                             "\ne=e.wav 01 f=f.wav 1 g=g.wav 00000001";
    CYolArray<TYolWMAlertSettings> records;
    ASSERT_TRUE(Parse(text, records));
    ASSERT_EQ(records.Count(), 7);
    EXPECT_TRUE(records[0].on);
    EXPECT_TRUE(records[0].soundOn);
    EXPECT_EQ(records[0].sound.ToUtf8(), "/p/incoming.wav");
    EXPECT_EQ(records[0].vibra, 0xFu);
    EXPECT_EQ(records[1].vibra, 0xAu);
    EXPECT_EQ(records[2].sound.ToUtf8(), "/p/c.wav");
    EXPECT_EQ(records[2].vibra, 0u);
    // "junk" holds no "=", so the next entry is d's.
    EXPECT_EQ(records[3].sound.ToUtf8(), "/p/d.wav");
    EXPECT_EQ(records[6].vibra, 0x80u);
}

TEST(AlertsFile, AcceptsOrRejectsWholeFiles) {
    const std::string longName = "=" + std::string(5000, 'n') + " 1";
    struct Case {
        const char* name;
        std::string text;
        bool parses;
        int records;  // appended before the verdict
    };
    const Case cases[] = {
        {"seven entries", AlertEntries(7), true, 7},
        {"no line end after the seventh flags", AlertEntries(6) + "k=s.wav 1", true, 7},
        {"anything after the seventh entry", AlertEntries(7) + "h=h.wav 1\r\n\x01\xFF", true, 7},
        {"blanks of every kind between entries", AlertEntries(7, " \t\v\f\n"), true, 7},
        {"empty", "", false, 0},
        {"shorter than the header", "[YolAler", false, 0},
        {"header ending in a lone LF", "[YolAlerts]\n" + AlertEntries(7).substr(13), false, 0},
        {"header in other letter case", "[yolalerts]\r\n" + AlertEntries(7).substr(13), false, 0},
        {"six entries", AlertEntries(6), false, 6},
        {"sixth flags end the file", AlertEntries(5) + "k=s.wav 1", false, 5},
        {"name ends the file", AlertEntries(6) + "k=s.wav", false, 6},
        {"blanks after the name end the file", AlertEntries(6) + "k=s.wav \r\n", false, 6},
        {"no sign after the header", "[YolAlerts]\r\nincoming.wav 1\r\n", false, 0},
        {"empty name", "[YolAlerts]\r\nk= s.wav 1\r\n" + AlertEntries(6).substr(13), false, 0},
        {"name leading out of the pack", AlertEntries(3) + "k=../s.wav 1\r\n" + AlertEntries(3).substr(13), false, 3},
        {"name in a sub-folder", AlertEntries(3) + "k=sub/s.wav 1\r\n" + AlertEntries(3).substr(13), false, 3},
        {"name in a handheld sub-folder", AlertEntries(3) + "k=sub\\s.wav 1\r\n" + AlertEntries(3).substr(13), false, 3},
        {"name of two dots", "[YolAlerts]\r\nk=.. 1\r\n" + AlertEntries(6).substr(13), false, 0},
        {"NUL in a name", AlertEntries(1) + std::string("k=a\0b.wav 1\r\n", 13) + AlertEntries(5).substr(13), false, 1},
        {"name past the path limit", AlertEntries(2) + longName + "\r\n" + AlertEntries(4).substr(13), false, 2},
        {"flags past the path limit", AlertEntries(2) + "k=s.wav " + std::string(260, '1') + "\r\n" + AlertEntries(4).substr(13),
         false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CYolArray<TYolWMAlertSettings> records;
        EXPECT_EQ(Parse(c.text, records), c.parses);
        EXPECT_EQ(records.Count(), c.records);
    }
}

TEST(AlertsFile, FlagsBothWays) {
    struct Case {
        std::string text;
        unsigned int flags;
    };
    const Case read[] = {
        {"1111", 0xF}, {"0101", 0xA}, {"0", 0}, {"", 0}, {"x1", 0x3},
        {std::string(40, '1'), 0xFFFFFFFF}, {std::string(32, '0') + "11111111", 0},
    };
    for (const Case& c : read) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Alert::FlagsFromString(c.text.data(), c.text.size()), c.flags);
        EXPECT_EQ(Alert::FlagsFromString(W(c.text)), c.flags);
    }
    const Case written[] = {
        {"1111", 0xF}, {"0101", 0xA}, {"0", 0}, {"1", 1}, {std::string(31, '0') + "1", 0x80000000},
        {std::string(32, '1'), 0xFFFFFFFF},
    };
    for (const Case& c : written)
        EXPECT_EQ(Alert::FlagsToString(c.flags).ToUtf8(), c.text);
    // A character outside ASCII is one step, as it is one character.
    EXPECT_EQ(Alert::FlagsFromString(W("\xC3\xA9" "1")), 0x3u);
}

class AlertPackTest : public ProgramFolderTest {};

TEST_F(AlertPackTest, LoadsThePackWithFullPathsToItsSounds) {
    PutAlertPack("Chimes", "[YolAlerts]\r\nmsg=incoming.wav 1111\r\n" + AlertEntries(6).substr(13));
    CYolArray<TYolWMAlertSettings> records;
    Alert::LoadAlertSettings(W("Chimes"), records);
    ASSERT_EQ(records.Count(), 7);
    EXPECT_EQ(records[0].sound.ToUtf8(), folder + "/Alerts/Chimes/incoming.wav");
    EXPECT_EQ(records[0].vibra, 0xFu);
    EXPECT_EQ(records[6].sound.ToUtf8(), folder + "/Alerts/Chimes/s5.wav");
}

TEST_F(AlertPackTest, AnythingThatIsNotAWholePackGivesTheBuiltInSettings) {
    PutAlertPack("Six", AlertEntries(6));
    PutAlertPack("Lone LF", "[YolAlerts]\n" + AlertEntries(7).substr(13));
    PutBrokenPack("Alerts", "Empty");
    Put("Alerts/Folder/_alerts.ini/x");
    for (const char* pack : {"Six", "Lone LF", "Empty", "Missing", "Folder", "", "..", "../Alerts/Six"}) {
        SCOPED_TRACE(pack);
        CYolArray<TYolWMAlertSettings> records;
        records.Add(TYolWMAlertSettings());
        Alert::LoadAlertSettings(W(pack), records);
        ExpectBuiltIn(records);
    }
    CYolArray<TYolWMAlertSettings> records;
    Alert::LoadAlertSettingsFile(W(folder + "/nowhere/_alerts.ini"), records);
    ExpectBuiltIn(records);
}

// Packs copied from the handheld's file system, which ignored letter case.
TEST_F(AlertPackTest, FindsFilesWhateverTheirLetterCase) {
    Put("Alerts/Chimes/_ALERTS.INI", "[YolAlerts]\r\nmsg=Incoming.WAV 1\r\n" + AlertEntries(6).substr(13));
    Put("Alerts/Chimes/incoming.wav", "RIFF");
    CYolArray<TYolWMAlertSettings> records;
    Alert::LoadAlertSettings(W("chimes"), records);
    ASSERT_EQ(records.Count(), 7);
    EXPECT_EQ(records[0].sound.ToUtf8(), folder + "/Alerts/Chimes/incoming.wav");
    // A sound that is not there at all keeps the name the pack gives it.
    EXPECT_EQ(records[1].sound.ToUtf8(), folder + "/Alerts/Chimes/s0.wav");
}

TEST_F(AlertPackTest, SoundNamesInTheHandheldsCodePage) {
    PutAlertPack("Cyr", "[YolAlerts]\r\nmsg=\xE7\xE2\xF3\xEA.wav 1\r\nb=\xD0\xB7.wav 1\r\n" + AlertEntries(5).substr(13));
    CYolArray<TYolWMAlertSettings> records;
    Alert::LoadAlertSettings(W("Cyr"), records);
    ASSERT_EQ(records.Count(), 7);
    EXPECT_EQ(records[0].sound.ToUtf8(), folder + "/Alerts/Cyr/\xD0\xB7\xD0\xB2\xD1\x83\xD0\xBA.wav");
    // Written here in UTF-8.
    EXPECT_EQ(records[1].sound.ToUtf8(), folder + "/Alerts/Cyr/\xD0\xB7.wav");
}

// The pack the program comes with, as the build wrote it.
TEST(DefaultAlertPack, HoldsOneShortPcmSoundPerEvent) {
    const std::string pack = std::string(YOL_PROGRAM_FOLDER) + "/Alerts/Yol PDA alerts/";
    CYolArray<TYolWMAlertSettings> records;
    Alert::LoadAlertSettingsFile(W(pack + "_alerts.ini"), records);
    ASSERT_EQ(records.Count(), 7);
    EXPECT_EQ(records[0].vibra, 0xFu);
    std::set<std::string> sounds;
    for (const TYolWMAlertSettings& record : records) {
        const std::string path = record.sound.ToUtf8();
        SCOPED_TRACE(path);
        EXPECT_TRUE(record.soundOn);
        EXPECT_EQ(path.substr(0, pack.size()), pack);
        sounds.insert(path);
        const Bytes wave = ReadBytes(path);
        ASSERT_GT(wave.size(), 44u + 1000);
        EXPECT_EQ(std::string(wave.begin(), wave.begin() + 4), "RIFF");
        EXPECT_EQ(std::string(wave.begin() + 8, wave.begin() + 16), "WAVEfmt ");
        // PCM, one channel, 16 bits, the samples from byte 44 to the end.
        EXPECT_EQ(Bytes(wave.begin() + 20, wave.begin() + 24), Hex("0100 0100"));
        EXPECT_EQ(Bytes(wave.begin() + 34, wave.begin() + 36), Hex("1000"));
        EXPECT_EQ(std::string(wave.begin() + 36, wave.begin() + 40), "data");
        const unsigned int data = wave[40] | wave[41] << 8 | wave[42] << 16 | unsigned(wave[43]) << 24;
        EXPECT_EQ(data, wave.size() - 44);
        EXPECT_NE(std::count(wave.begin() + 44, wave.end(), 0), static_cast<long>(wave.size() - 44));
    }
    EXPECT_EQ(sounds.size(), 7u);
}
