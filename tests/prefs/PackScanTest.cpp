// The scans of the program folder's packs and the rules that choose a
// default pack.

#include "PrefsFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using UI::TYolWMPrefs;
using Strings = std::vector<std::string>;

class PackScanTest : public ProgramFolderTest {};

TEST_F(PackScanTest, AlertAndSmileyPacksNeedTheirFileSkinsDoNot) {
    PutAlertPack("B chimes");
    PutAlertPack("A beeps");
    PutBrokenPack("Alerts", "C silent");
    Put("Alerts/D handheld/_ALERTS.INI", SevenSounds());
    Put("Alerts/not a folder.ini");
    PutSkin("Night");
    PutBrokenPack("Skins", "Broken");
    PutSmilePack("Faces");
    PutBrokenPack("Smilies", "Empty");

    CYolArray<CYolString> names;
    TYolWMPrefs::ListAlertPacks(names);
    EXPECT_EQ(Names(names), (Strings{"A beeps", "B chimes", "D handheld"}));
    TYolWMPrefs::ListSkins(names);
    EXPECT_EQ(Names(names), (Strings{"Broken", "Night"}));
    TYolWMPrefs::ListSmilePacks(names);
    EXPECT_EQ(Names(names), (Strings{"Faces"}));

    EXPECT_TRUE(TYolWMPrefs::IsAlertPackValid(W("A beeps")));
    EXPECT_FALSE(TYolWMPrefs::IsAlertPackValid(W("C silent")));
    EXPECT_FALSE(TYolWMPrefs::IsSkinValid(W("Broken")));
    EXPECT_TRUE(TYolWMPrefs::IsSmilePackValid(W("Faces")));
    // Names that would lead out of the pack folders are never packs.
    Put("Skins/_colors.ini");
    Put("_colors.ini");
    for (const char* name : {"", ".", "..", "../Skins/Night", "Night/"})
        EXPECT_FALSE(TYolWMPrefs::IsSkinValid(W(name))) << name;
}

TEST_F(PackScanTest, NoPackFoldersGiveEmptyLists) {
    CYolArray<CYolString> names;
    names.Add(W("stale"));
    TYolWMPrefs::ListAlertPacks(names);
    EXPECT_TRUE(Names(names).empty());
    TYolWMPrefs::ListSkins(names);
    EXPECT_TRUE(Names(names).empty());
    TYolWMPrefs::ListSmilePacks(names);
    EXPECT_TRUE(Names(names).empty());
    TYolWMPrefs::ListLanguages(names);
    EXPECT_EQ(Names(names), (Strings{"English"}));
}

TEST_F(PackScanTest, LanguagesAreEnglishThenTheProgramsPacks) {
    for (const char* file : {"Yol_Russian.so", "Yol_German.SO", "yol_French.so", "YOL_Dutch.so", "Xmp_Polish.so",
                             "Yol_Czech.dll", "Yol_.so", "Yol_Greek.so.1", "Russian.so"})
        Put(std::string("Langs/") + file);
    Put("Langs/Yol_Folder.so/inside");
    CYolArray<CYolString> names;
    TYolWMPrefs::ListLanguages(names);
    EXPECT_EQ(Names(names), (Strings{"English", "German", "Russian"}));
}

TEST_F(PackScanTest, DefaultsPreferTheProgramsOwnPackThenTheFirstValidOne) {
    struct Kind {
        const char* folder;
        const char* own;
        const char* definition;
        void (*getDefault)(CYolString&);
    };
    const Kind kinds[] = {
        {"Alerts", "Yol PDA alerts", "_alerts.ini", &TYolWMPrefs::GetDefaultAlertPack},
        {"Skins", "Yol PDA skin", "_colors.ini", &TYolWMPrefs::GetDefaultSkin},
        {"Smilies", "Yol PDA smilies", "_define.ini", &TYolWMPrefs::GetDefaultSmilePack},
    };
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.folder);
        const std::string root = std::string(kind.folder) + "/";
        CYolString name;
        kind.getDefault(name);
        EXPECT_EQ(name.ToUtf8(), kind.own) << "nothing installed";

        // A broken folder sorts first; a skin that lost its colours must not
        // stand in for the stored one that lost them too.
        PutBrokenPack(kind.folder, "A broken");
        Put(root + "M valid/" + kind.definition, SevenSounds());
        Put(root + "Z valid/" + kind.definition, SevenSounds());
        kind.getDefault(name);
        EXPECT_EQ(name.ToUtf8(), "M valid");

        Put(root + kind.own + "/" + kind.definition, SevenSounds());
        kind.getDefault(name);
        EXPECT_EQ(name.ToUtf8(), kind.own);
    }
}
