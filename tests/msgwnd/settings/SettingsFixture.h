#pragma once
// A services manager of the test's own with a settings database in memory,
// for the settings record and the dialog that edits it.

#include "CServicesManagerImpl.h"
#include "DialogStrings.h"
#include "MemoryDatabase.h"
#include "TYolWMMWSettings.h"
#include "TestSupport.h"
#include "YolGuids.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class SettingsStore {
public:
    SettingsStore() { services.RegisterService(DatabaseGuid, static_cast<Database::CYolDatabase*>(&database)); }

    std::vector<std::string> Replies(const MW::TYolWMMWSettings& settings) const
    {
        std::vector<std::string> texts;
        for (const CYolString& reply : settings.replies)
            texts.push_back(reply.ToUtf8());
        return texts;
    }

    Services::CServicesManagerImpl services;
    MemoryDatabase database;
};
