// Where the preferences take what the settings section does not hold: the
// language the user is asked for, and the anti-spam settings the
// contact-list model keeps.

#include "PrefsFixture.h"

#include <gtest/gtest.h>

#include <string>

using UI::TYolWMPrefs;

namespace {

const char kBuiltInAnswer[] = "Plumo";
const char kBuiltInConfirm[] = "Thank you. Now you can send messages directly to my contact list.";

}  // namespace

class PrefsSourcesTest : public ServicesTest {
protected:
    PrefsSourcesTest() { PutDefaultPacks(); }
};

TEST_F(PrefsSourcesTest, AMissingLanguageIsAskedForOnce) {
    struct Case {
        const char* name;
        const char* stored;  // null: no "Lang" key
        bool withDialog;
        const char* chosen;
        int asked;
        const char* lang;
    };
    const Case cases[] = {
        {"no language, the user picks one", nullptr, true, "Russian", 1, "Russian"},
        {"no language, the dialog answers nothing", nullptr, true, "", 1, "English"},
        {"no language and no dialog", nullptr, false, "", 0, "English"},
        {"a stored language", "German", true, "Russian", 0, "German"},
        {"a stored empty language is kept", "", true, "Russian", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Services::CServicesManagerImpl own;
        MemoryDatabase database;
        own.RegisterService(DatabaseGuid, static_cast<Database::CYolDatabase*>(&database));
        if (c.stored != nullptr)
            database.SetString(PreferencesGuid, W("Lang"), W(c.stored));
        int asked = 0;
        TYolWMPrefs::SetLanguageAsker(nullptr);
        if (c.withDialog)
            TYolWMPrefs::SetLanguageAsker([&asked, &c] {
                ++asked;
                return W(c.chosen);
            });
        TYolWMPrefs prefs;
        prefs.Load(&own);
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(prefs.Lang.ToUtf8(), c.lang);
    }
}

TEST_F(PrefsSourcesTest, AntispamComesFromTheModelWhichGetsTheBuiltInTexts) {
    MemoryDatabase& database = AddMemoryDatabase();
    // What the preferences section holds is only a copy and is not read.
    database.SetByte(PreferencesGuid, W("AntispamEnable"), 1);
    database.SetString(PreferencesGuid, W("AntispamAnswer"), W("Stale"));
    AddModel();
    model->SetAntispamEnable(false);
    model->SetAntispamConfirm(W("Welcome"));

    TYolWMPrefs prefs;
    prefs.Load(&services);
    EXPECT_FALSE(prefs.AntispamEnable);
    EXPECT_EQ(prefs.AntispamAnswer.ToUtf8(), kBuiltInAnswer);
    EXPECT_EQ(prefs.AntispamConfirm.ToUtf8(), "Welcome");
    const std::string question = prefs.AntispamQuestion.ToUtf8();
    EXPECT_NE(question.find("anti-spam"), std::string::npos) << question;
    EXPECT_NE(question.find("PLUMO"), std::string::npos) << question;
    // The model now holds the texts in force, so the filter asks and checks them.
    EXPECT_EQ(model->GetAntispamAnswer().ToUtf8(), kBuiltInAnswer);
    EXPECT_EQ(model->GetAntispamQuestion(), prefs.AntispamQuestion);
    EXPECT_EQ(model->GetAntispamConfirm().ToUtf8(), "Welcome");

    model->SetAntispamEnable(true);
    prefs.Load(&services);
    EXPECT_TRUE(prefs.AntispamEnable);
}

TEST_F(PrefsSourcesTest, WithoutTheModelTheBuiltInTextsStand) {
    AddMemoryDatabase().SetString(PreferencesGuid, W("AntispamAnswer"), W("Stale"));
    TYolWMPrefs prefs;
    prefs.Load(&services);
    EXPECT_EQ(prefs.AntispamAnswer.ToUtf8(), kBuiltInAnswer);
    EXPECT_EQ(prefs.AntispamConfirm.ToUtf8(), kBuiltInConfirm);
    EXPECT_FALSE(prefs.AntispamEnable);
}
