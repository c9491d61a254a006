// The preferences record in the settings database: a byte-exact round trip,
// the defaults of an empty or missing database, and the fallback of every key
// that cannot be used as stored.

#include "CYolDatabaseImpl.h"
#include "PrefsFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>

using UI::TYolWMPrefs;
using Alert::TYolWMAlertSettings;

namespace {

// Every key of the preferences section.
const char* const kKeys[] = {
    "GlobAutoConnect", "GlobTrayIcon", "GlobFullScreen", "GlobWideMenu", "CLMeta", "CLMode", "CLOnlyOnline",
    "CLColumns", "CLDontShowIcon", "CLFont", "Turn off", "Sign on", "Sign off", "Dont blinking", "Show msg",
    "Dont show if occupied", "Dont show if active", "Wake up", "Use blinking", "AlertSoundOn", "AlertAdvancedSound",
    "AlertVol", "AlertVibraOn", "AlertSoftMode", "AlertPackName", "Alerts", "SkinName", "Colors", "UseSmile",
    "ScaleSmile", "SmilePack", "Lang", "HistSaveHist", "HistSaveNotInList", "HistShowInMW", "HistMsgCountForShow",
    "AntispamEnable", "AntispamQuestion", "AntispamAnswer", "AntispamConfirm", "GlobDontSleep", "HardBlinkLed",
    "HardVibraLed",
};

const char kDefaultConfirm[] = "Thank you. Now you can send messages directly to my contact list.";

using Stored = std::map<std::string, Bytes>;

// What the record writes, key by key.
Stored Save(const TYolWMPrefs& prefs) {
    Services::CServicesManagerImpl services;
    MemoryDatabase database;
    services.RegisterService(DatabaseGuid, static_cast<Database::CYolDatabase*>(&database));
    prefs.Save(&services);
    Stored stored;
    for (const char* key : kKeys)
        stored[key] = database.Raw(PreferencesGuid, W(key).c_str());
    return stored;
}

Bytes Text(const std::string& utf8) { return Bytes(utf8.begin(), utf8.end()); }

Bytes Repeat(const Bytes& part, int times) {
    Bytes out;
    for (int n = 0; n < times; ++n)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes AlertsBlob(const CYolArray<TYolWMAlertSettings>& records) {
    Bytes blob;
    EXPECT_TRUE(PackAlertSettings(records, blob));
    return blob;
}

CYolArray<TYolWMAlertSettings> AlertRecords(int count) {
    CYolArray<TYolWMAlertSettings> records;
    for (int n = 0; n < count; ++n) {
        TYolWMAlertSettings record;
        record.on = n % 2 == 0;
        record.soundOn = n % 3 == 0;
        record.sound = W("/sounds/\xC3\xA9" + std::to_string(n) + ".wav");
        record.vibra = 0x1000u + n;
        records.Add(record);
    }
    return records;
}

// Every field away from its default.
TYolWMPrefs Filled() {
    TYolWMPrefs p;
    p.GlobAutoConnect = p.GlobTrayIcon = p.GlobWideMenu = false;
    p.GlobFullScreen = p.CLOnlyOnline = p.CLDontShowIcon = true;
    p.CLMeta = 0;
    p.CLMode = 3;
    p.CLColumns = 200;
    p.CLFont.lfHeight = -20;
    p.CLFont.lfWeight = FW_BOLD;
    p.CLFont.lfItalic = 1;
    std::memcpy(p.CLFont.lfFaceName, u"DejaVu Sans", sizeof u"DejaVu Sans");
    p.TurnOff = p.SignOn = p.SignOff = p.DontBlinking = p.DontShowIfOccupied = p.WakeUp = true;
    p.ShowMsg = p.DontShowIfActive = p.UseBlinking = false;
    p.AlertSoundOn = 0;
    p.AlertAdvancedSound = 1;
    p.AlertVol = 0x01020304;
    p.AlertVibraOn = p.AlertSoftMode = 0;
    p.AlertPackName = W("Chimes");  // not installed: the name is kept all the same
    p.Alerts = AlertRecords(7);
    p.SkinName = W("Night");
    for (int i = 0; i < Skins::SKIN_CLR_COUNT; ++i)
        p.Colors[i] = 0x010203u * (i + 1);
    p.UseSmile = p.ScaleSmile = 0;
    p.SmilePack = W("Faces");
    p.Lang = W("Russian");
    p.HistSaveHist = p.HistSaveNotInList = p.HistShowInMW = false;
    p.HistMsgCountForShow = 25;
    p.AntispamEnable = true;
    p.AntispamQuestion = W("Wie hei\xC3\x9F" "t das?");
    p.AntispamAnswer = W("Yol");
    p.AntispamConfirm = W("Danke");
    p.GlobDontSleep = true;
    p.HardBlinkLed = 2;
    p.HardVibraLed = 0;
    return p;
}

}  // namespace

class PrefsStoreTest : public ServicesTest {
protected:
    std::string ColorsFile(const std::string& digits) {
        std::string text = "[YolColors]";
        for (int n = 1; n <= 33; ++n)
            text += "\r\n" + std::to_string(n) + "=" + digits;
        return text;
    }
    // The program's own packs, the skin's colours all 0x0000FF.
    void PutPacks() {
        PutDefaultPacks();
        PutSkin("Yol PDA skin", ColorsFile("0000FF"));
    }
    Bytes SkinColours() { return Repeat(Hex("FF000000"), 33); }
    Bytes PackAlerts(const std::string& pack = "Yol PDA alerts") {
        CYolArray<TYolWMAlertSettings> records;
        Alert::LoadAlertSettings(W(pack), records);
        return AlertsBlob(records);
    }
};

TEST_F(PrefsStoreTest, RoundTripThroughTheSettingsFileIsByteExact) {
    PutSkin("Night");
    PutSmilePack("Faces");
    const TYolWMPrefs written = Filled();
    const CYolString first = W(PathOf("first.yol"));
    Bytes firstBytes;
    {
        Services::CServicesManagerImpl services;
        Database::CYolDatabaseImpl database(&services, first);
        written.Save(&services);
        ASSERT_TRUE(database.SaveToBytes(firstBytes));
        ASSERT_TRUE(database.Save());
    }
    TYolWMPrefs loaded;
    {
        Services::CServicesManagerImpl services;
        Database::CYolDatabaseImpl database(&services, first);
        CL::CContactListImpl list(&services);
        list.SetAntispamEnable(true);
        list.SetAntispamQuestion(written.AntispamQuestion);
        list.SetAntispamAnswer(written.AntispamAnswer);
        list.SetAntispamConfirm(written.AntispamConfirm);
        loaded.Load(&services);
    }
    Bytes secondBytes;
    {
        Services::CServicesManagerImpl services;
        Database::CYolDatabaseImpl database(&services, W(PathOf("second.yol")));
        loaded.Save(&services);
        ASSERT_TRUE(database.SaveToBytes(secondBytes));
    }
    EXPECT_EQ(firstBytes, secondBytes);
    const Stored stored = Save(loaded);
    for (const char* key : kKeys)
        EXPECT_FALSE(stored.at(key).empty()) << key;
}

// The table of defaults, in the stored form of each key.
TEST_F(PrefsStoreTest, EmptyOrMissingSettingsGiveTheDefaults) {
    PutPacks();
    Bytes font = Hex("0E000000 00000000 00000000 00000000 90010000 00000001 00000000");
    const Bytes face = Hex("5400 6100 6800 6F00 6D00 6100");  // "Tahoma"
    font.insert(font.end(), face.begin(), face.end());
    font.resize(92, 0);
    const Stored expected = {
        {"GlobAutoConnect", Hex("01")}, {"GlobTrayIcon", Hex("01")}, {"GlobFullScreen", Hex("00")},
        {"GlobWideMenu", Hex("01")}, {"CLMeta", Hex("01")}, {"CLMode", Hex("01")}, {"CLOnlyOnline", Hex("00")},
        {"CLColumns", Hex("02")}, {"CLDontShowIcon", Hex("00")}, {"CLFont", font}, {"Turn off", Hex("00")},
        {"Sign on", Hex("00")}, {"Sign off", Hex("00")}, {"Dont blinking", Hex("00")}, {"Show msg", Hex("01")},
        {"Dont show if occupied", Hex("00")}, {"Dont show if active", Hex("01")}, {"Wake up", Hex("00")},
        {"Use blinking", Hex("01")}, {"AlertSoundOn", Hex("01")}, {"AlertAdvancedSound", Hex("00")},
        {"AlertVol", Hex("0A000000")}, {"AlertVibraOn", Hex("01")}, {"AlertSoftMode", Hex("01")},
        {"AlertPackName", Text("Yol PDA alerts")}, {"Alerts", PackAlerts()}, {"SkinName", Text("Yol PDA skin")},
        {"Colors", SkinColours()}, {"UseSmile", Hex("01")}, {"ScaleSmile", Hex("01")},
        {"SmilePack", Text("Yol PDA smilies")}, {"Lang", Text("English")}, {"HistSaveHist", Hex("01")},
        {"HistSaveNotInList", Hex("01")}, {"HistShowInMW", Hex("01")}, {"HistMsgCountForShow", Hex("04000000")},
        {"AntispamEnable", Hex("00")}, {"AntispamAnswer", Text("Plumo")}, {"AntispamConfirm", Text(kDefaultConfirm)},
        {"GlobDontSleep", Hex("00")}, {"HardBlinkLed", Hex("FF")}, {"HardVibraLed", Hex("FF")},
    };
    for (bool withDatabase : {true, false}) {
        SCOPED_TRACE(withDatabase ? "empty settings" : "no settings database");
        Services::CServicesManagerImpl own;
        MemoryDatabase empty;
        if (withDatabase)
            own.RegisterService(DatabaseGuid, static_cast<Database::CYolDatabase*>(&empty));
        TYolWMPrefs prefs;
        prefs.CLMeta = 7;  // a second Load starts from the defaults as well
        prefs.Load(&own);
        Stored stored = Save(prefs);
        EXPECT_NE(stored["AntispamQuestion"], Bytes());
        stored.erase("AntispamQuestion");
        EXPECT_EQ(stored, expected);
        // Nothing was written: Load only reads.
        EXPECT_TRUE(empty.Raw(PreferencesGuid, u"Lang").empty());
    }
    // And Save without a database writes nowhere, harmlessly.
    TYolWMPrefs().Save(&services);
}

TEST_F(PrefsStoreTest, KeysThatCannotBeUsedAsStoredFallBack) {
    PutPacks();
    PutSkin("Night", ColorsFile("00FF00"));
    PutAlertPack("Chimes", SevenSounds("c"));
    LOGFONTW unterminated;
    unterminated.lfWeight = FW_BOLD;
    for (char16_t& unit : unterminated.lfFaceName)
        unit = u'A';
    Bytes colours132(132, 0x11);
    Bytes unreadable = Hex("00 05000000 0102");
    struct Case {
        const char* name;
        std::function<void(MemoryDatabase&)> store;
        const char* key;
        Bytes expected;
    };
    const Bytes builtInFont = Save(TYolWMPrefs())["CLFont"];
    Bytes keptFont(reinterpret_cast<const unsigned char*>(&unterminated),
                   reinterpret_cast<const unsigned char*>(&unterminated) + 92);
    keptFont[90] = keptFont[91] = 0;
    auto data = [](const char* key, Bytes bytes) {
        return [key, bytes](MemoryDatabase& db) { db.SetData(PreferencesGuid, W(key), bytes.data(), bytes.size()); };
    };
    auto text = [](const char* key, const char* value) {
        return [key, value](MemoryDatabase& db) { db.SetString(PreferencesGuid, W(key), W(value)); };
    };
    auto byte = [](const char* key, unsigned char value) {
        return [key, value](MemoryDatabase& db) { db.SetByte(PreferencesGuid, W(key), value); };
    };
    const Case cases[] = {
        {"font of 91 bytes", data("CLFont", Bytes(91, 0x22)), "CLFont", builtInFont},
        {"font of 93 bytes", data("CLFont", Bytes(93, 0x22)), "CLFont", builtInFont},
        {"font whose face name has no end", data("CLFont", Concat({Bytes(keptFont.begin(), keptFont.end() - 2), Hex("4100")})),
         "CLFont", keptFont},
        {"colours of 128 bytes", data("Colors", Bytes(128, 0x11)), "Colors", SkinColours()},
        {"colours of 136 bytes", data("Colors", Bytes(136, 0x11)), "Colors", SkinColours()},
        {"colours of 132 bytes", data("Colors", colours132), "Colors", colours132},
        {"six alert records", data("Alerts", AlertsBlob(AlertRecords(6))), "Alerts", PackAlerts()},
        {"eight alert records", data("Alerts", AlertsBlob(AlertRecords(8))), "Alerts", PackAlerts()},
        {"alerts that do not unpack", data("Alerts", unreadable), "Alerts", PackAlerts()},
        {"alerts of the stored pack", text("AlertPackName", "Chimes"), "Alerts", PackAlerts("Chimes")},
        {"pack that is gone is kept", text("AlertPackName", "Gone"), "AlertPackName", Text("Gone")},
        {"... and gives the built-in alerts", text("AlertPackName", "Gone"), "Alerts", PackAlerts("Gone")},
        {"skin whose folder lost its colours", text("SkinName", "Broken"), "SkinName", Text("Yol PDA skin")},
        {"colours of the stored skin", text("SkinName", "Night"), "Colors", Repeat(Hex("00FF0000"), 33)},
        {"smiley pack that is gone", text("SmilePack", "Gone"), "SmilePack", Text("Yol PDA smilies")},
        {"bool stored as 5 is written back as 1", byte("Show msg", 5), "Show msg", Hex("01")},
        {"byte value kept as stored", byte("CLColumns", 7), "CLColumns", Hex("07")},
        {"LED number", byte("HardBlinkLed", 3), "HardBlinkLed", Hex("03")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Services::CServicesManagerImpl own;
        MemoryDatabase database;
        own.RegisterService(DatabaseGuid, static_cast<Database::CYolDatabase*>(&database));
        c.store(database);
        TYolWMPrefs prefs;
        prefs.Load(&own);
        EXPECT_EQ(Save(prefs).at(c.key), c.expected);
    }
}
