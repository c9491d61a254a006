#pragma once
// What the protocols manager's tests share: a protocols folder of their own
// in a temporary folder, into which copies of the test plug-in are installed;
// a services manager with a settings database and a skin service; a recorder
// of the manager's broadcasts; and the manager itself.

#include "CEventArg.h"
#include "CEventsClient.h"
#include "CProtocolsManagerImpl.h"
#include "CServicesManagerImpl.h"
#include "CSkinColourSource.h"
#include "CSkinManagerImpl.h"
#include "CTimerService.h"
#include "CYolDatabaseImpl.h"
#include "EventTestSupport.h"
#include "TestPluginControl.h"
#include "YolGuids.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <stdlib.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ProtocolsTest {

namespace fs = std::filesystem;
using Services::CEventArg;
using Services::CEventArg_Data;
using namespace Protocols;

inline CYolString Text(const char* utf8) {
    return CYolString::FromUtf8(utf8);
}

// Protocols the tests install, by their text form for the plug-in's
// configuration.
inline constexpr const char* kJabberYol = "{97573E1B-25C2-4222-A5E3-C2CC540F0ADE}";
inline constexpr const char* kRuv = "{BB11FAAD-81A3-4CD4-913B-39DDA89CF340}";
inline constexpr const char* kJabber = "{AB4D1737-3B4D-4DA7-8B82-60C8DDF8D8EB}";
inline constexpr const char* kOther = "{E3CA4FAB-0F3C-4FA8-ADFF-88A01C3622F7}";
inline constexpr const char* kSecond = "{0A000000-0000-0000-0000-000000000002}";

inline YOL_GUID Guid(const char* text) {
    YOL_GUID id;
    id.SetString(Text(text));
    return id;
}

template <typename T>
const T& Value(CEventArg* arg) {
    return static_cast<CEventArg_Data<T>*>(arg)->data;
}

// Subscribes to every broadcast of the protocols manager and keeps each
// delivery, with a reference on its arguments. As the application does, it
// fills the global status list when StatusList comes.
class BroadcastRecorder final : public Services::CEventsClient {
public:
    struct Item {
        int event;
        CEventArg* arg;
        CEventArg* extra;
    };

    ~BroadcastRecorder() { Clear(); }

    void Attach(Services::CServicesManager& services) {
        key = services.RegisterEventsClient(this, Text("Recorder"));
        for (int event = 1; event <= 23; ++event)
            services.Subscribe(ProtocolsManagerGuid, event, key);
    }
    void Detach(Services::CServicesManager& services) {
        if (key != 0)
            services.UnregisterEventsClient(key);
        key = 0;
    }

    int OnEvent(const YOL_GUID&, int event, CEventArg* arg, CEventArg* extra) override {
        if (event == ProtocolsManagerEvent::StatusList && arg != nullptr && extra != nullptr) {
            *Value<CYolString*>(arg) = Text("Status");
            for (const StatusInfo& entry : statusList)
                Value<CYolArray<StatusInfo>*>(extra)->Add(entry);
        }
        std::lock_guard<std::mutex> guard(lock);
        if (arg != nullptr)
            arg->AddRef(1);
        if (extra != nullptr)
            extra->AddRef(1);
        items.push_back({event, arg, extra});
        changed.notify_all();
        return 0;
    }

    std::vector<Item> Items() {
        std::lock_guard<std::mutex> guard(lock);
        return items;
    }
    std::vector<Item> Of(int event) {
        std::vector<Item> of;
        for (const Item& item : Items())
            if (item.event == event)
                of.push_back(item);
        return of;
    }
    std::vector<int> Events() {
        std::vector<int> numbers;
        for (const Item& item : Items())
            numbers.push_back(item.event);
        return numbers;
    }
    bool WaitForCount(int event, size_t count, int timeoutMs = 10000) {
        std::unique_lock<std::mutex> guard(lock);
        return changed.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] {
            size_t n = 0;
            for (const Item& item : items)
                n += item.event == event;
            return n >= count;
        });
    }
    void Clear() {
        std::lock_guard<std::mutex> guard(lock);
        for (Item& item : items) {
            if (item.arg != nullptr)
                item.arg->Release();
            if (item.extra != nullptr)
                item.extra->Release();
        }
        items.clear();
    }

    // What the "application" puts into the global status list.
    std::vector<StatusInfo> statusList;

private:
    unsigned int key = 0;
    std::mutex lock;
    std::condition_variable changed;
    std::vector<Item> items;
};

class ProtocolsFixture : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "yol-protocols-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        fs::create_directories(root / "Protos");
        OpenDatabase();
        skins = std::make_unique<Skins::CSkinManagerImpl>(&services, images, language, colours);
        recorder.statusList = {
            StatusInfo(Offline, Text("Offline")), StatusInfo(Connecting, Text("Connecting")),
            StatusInfo(Online, Text("Online")), StatusInfo(Away, Text("Away")),
            StatusInfo(Occupied, Text("Occupied")),
        };
    }

    void TearDown() override {
        timers.reset();
        manager.reset();
        recorder.Detach(services);
        recorder.Clear();
        database.reset();
        skins.reset();
        services.StopAllQueues();
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    void OpenDatabase() {
        database = std::make_unique<Database::CYolDatabaseImpl>(&services, Text(SettingsPath().c_str()));
    }
    std::string SettingsPath() const { return (root / "settings.yol").string(); }
    CYolString ProtosFolder() const { return Text(((root / "Protos").string() + "/").c_str()); }
    std::string LibraryPath(const std::string& folder) const {
        return (root / "Protos" / folder / (folder + ".so")).string();
    }

    // A copy of the test plug-in in Protos/<folder>/<folder>.so reporting the
    // given configuration lines.
    void Install(const std::string& folder, std::initializer_list<std::string> lines,
                 const char* library = TEST_PLUGIN_PATH) {
        fs::create_directories(root / "Protos" / folder);
        fs::copy_file(library, LibraryPath(folder), fs::copy_options::overwrite_existing);
        std::ofstream cfg(root / "Protos" / folder / "protocols.cfg");
        for (const std::string& line : lines)
            cfg << line << "\n";
    }

    // The manager on the fixture's folder, with the recorder listening.
    CProtocolsManagerImpl& Manager() {
        if (manager == nullptr) {
            manager = std::make_unique<CProtocolsManagerImpl>(&services, ProtosFolder());
            recorder.Attach(services);
        }
        return *manager;
    }

    void StartTimers() { timers = std::make_unique<Services::CTimerService>(&services); }

    // The services' start-up: the manager loads the stored accounts and starts
    // them, ending with AccountsLoaded.
    void StartServices() {
        Manager();
        services.BroadcastStarted();
        ASSERT_TRUE(recorder.WaitForCount(ProtocolsManagerEvent::AccountsLoaded, 1));
    }

    // The manager goes (saving "Accounts data"), the settings file is read
    // again and a new manager starts on it.
    void Restart() {
        timers.reset();
        manager.reset();
        recorder.Detach(services);
        recorder.Clear();
        database.reset();
        OpenDatabase();
        StartServices();
    }

    // Checks the settings file now and again each time a save of the
    // database ends, until `holds`; false when a save that could bring it
    // does not end within the limit.
    bool WaitForSavedFile(const std::function<bool()>& holds,
                          std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        for (;;) {
            const uint64_t seen = database->SavesEnded();
            if (holds())
                return true;
            if (!database->WaitForSaveAfter(seen, limit))
                return false;
        }
    }

    // The control block of a loaded plug-in copy; null when not loaded.
    TestPlugin::Control* ControlOf(const std::string& folder) {
        void* handle = dlopen(LibraryPath(folder).c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
        if (handle == nullptr)
            return nullptr;
        auto get = reinterpret_cast<TestPluginControlFunc>(dlsym(handle, kTestPluginControlExport));
        TestPlugin::Control* control = get != nullptr ? get() : nullptr;
        dlclose(handle);
        return control;
    }
    // Whether the copy is mapped, read from the process's map so that asking
    // holds no reference (the last dlclose would otherwise be the test's).
    bool IsLoaded(const std::string& folder) {
        std::ifstream maps("/proc/self/maps");
        std::string line;
        std::string path = fs::canonical(LibraryPath(folder)).string();
        while (std::getline(maps, line))
            if (line.size() >= path.size() && line.compare(line.size() - path.size(), path.size(), path) == 0)
                return true;
        return false;
    }
    // Keeps a copy loaded (and its recording readable) until Unpin.
    void* Pin(const std::string& folder) { return dlopen(LibraryPath(folder).c_str(), RTLD_NOW | RTLD_LOCAL); }
    void Unpin(void* handle) {
        if (handle != nullptr)
            dlclose(handle);
    }

    // A settings value of "Accounts data" as the settings database holds it now.
    std::vector<unsigned char> StoredAccounts() {
        unsigned long size = 0;
        if (!database->GetSize(ProtocolsManagerGuid, Text("Accounts data"), size))
            return {};
        std::vector<unsigned char> bytes(size);
        database->GetData(ProtocolsManagerGuid, Text("Accounts data"), bytes.data(), size);
        return bytes;
    }
    // The protocol GUID texts of the stored accounts, in order.
    std::vector<std::string> StoredProtocols() {
        std::vector<unsigned char> bytes = StoredAccounts();
        CYolArray<Database::CRecord> list;
        if (!bytes.empty())
            Database::UnpackRecords(list, bytes.data(), bytes.size());
        std::vector<std::string> names;
        for (const Database::CRecord& record : list)
            names.push_back(record.GetName().ToUtf8());
        return names;
    }

    fs::path root;
    Services::CServicesManagerImpl services;
    std::unique_ptr<Database::CYolDatabaseImpl> database;
    Skins::CSkinImageStoreModel images;
    Skins::CLanguageHolder language{Text("English")};
    Skins::CSkinColourHolder colours;
    std::unique_ptr<Skins::CSkinManagerImpl> skins;
    BroadcastRecorder recorder;
    std::unique_ptr<CProtocolsManagerImpl> manager;
    std::unique_ptr<Services::CTimerService> timers;
};

// "{GUID}|name|display|plug-in|icon" for the plug-in's configuration.
inline std::string Line(const char* guid, const char* plugin, const char* icon = "icon.png",
                        const char* flags = "") {
    return std::string(guid) + "|" + plugin + " family|" + plugin + " display|" + plugin + "|" + icon + "|" + flags;
}

}  // namespace ProtocolsTest
