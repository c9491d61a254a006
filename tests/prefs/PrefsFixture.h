#pragma once
// A program folder of its own for each test, with helpers that put packs
// into it, and a services manager on which a test puts the settings
// database and the contact-list model it needs.

#include "CContactListImpl.h"
#include "CServicesManagerImpl.h"
#include "CYolPath.h"
#include "MemoryDatabase.h"
#include "TYolWMPrefs.h"
#include "TestSupport.h"
#include "YolGuids.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// An alerts file of seven entries "<event>=<sound> <flags>".
inline std::string AlertsFile(const std::vector<std::string>& sounds, const std::string& flags = "1") {
    std::string text = "[YolAlerts]\r\n";
    for (const std::string& sound : sounds)
        text += "Event=" + sound + " " + flags + "\r\n";
    return text;
}

inline std::string SevenSounds(const std::string& stem = "s") {
    std::vector<std::string> names;
    for (int n = 0; n < 7; ++n)
        names.push_back(stem + std::to_string(n) + ".wav");
    return AlertsFile(names);
}

inline std::vector<std::string> Names(const CYolArray<CYolString>& list) {
    std::vector<std::string> names;
    for (const CYolString& name : list)
        names.push_back(name.ToUtf8());
    return names;
}

class ProgramFolderTest : public TempFolderTest {
protected:
    ProgramFolderTest() { CYolPath::SetAppDir(W(folder)); }
    ~ProgramFolderTest() override {
        CYolPath::SetAppDir(CYolString());
        UI::TYolWMPrefs::SetLanguageAsker(nullptr);
    }

    void PutAlertPack(const std::string& name, const std::string& text = SevenSounds()) {
        Put("Alerts/" + name + "/_alerts.ini", text);
    }
    void PutSkin(const std::string& name, const std::string& colors = "[YolColors]") {
        Put("Skins/" + name + "/_colors.ini", colors);
    }
    void PutSmilePack(const std::string& name) { Put("Smilies/" + name + "/_define.ini", "x"); }
    // A pack folder without its definition file.
    void PutBrokenPack(const std::string& kind, const std::string& name) { Put(kind + "/" + name + "/readme.txt"); }
    // The program's own packs.
    void PutDefaultPacks() {
        PutAlertPack("Yol PDA alerts");
        PutSkin("Yol PDA skin");
        PutSmilePack("Yol PDA smilies");
    }
};

// The program folder plus a services manager that the test fills with a
// settings database and, where it matters, the contact-list model.
class ServicesTest : public ProgramFolderTest {
protected:
    ~ServicesTest() override {
        model.reset();
        services.StopAllQueues();
    }

    MemoryDatabase& AddMemoryDatabase() {
        memory = std::make_unique<MemoryDatabase>();
        services.RegisterService(DatabaseGuid, static_cast<Database::CYolDatabase*>(memory.get()));
        return *memory;
    }
    void AddModel() { model = std::make_unique<CL::CContactListImpl>(&services); }

    // Destroyed after the model, which may still write settings.
    std::unique_ptr<MemoryDatabase> memory;
    Services::CServicesManagerImpl services;
    std::unique_ptr<CL::CContactListImpl> model;
};
