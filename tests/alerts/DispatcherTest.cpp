// Which alerts sound and vibrate, the preview, and the notification LED.

#include "AlertTestSupport.h"
#include "CYolWMAlert_Dispatcher.h"
#include "NullProtocolsManager.h"
#include "RecordingServicesManager.h"
#include "YolGuids.h"

#include <memory>
#include <optional>

using namespace alerts_test;
using Alert::TYolWMAlertEvent;
using Protocols::Status;

namespace {

class StatusProtocols final : public YolTest::NullProtocolsManager {
public:
    // Empty: the status query fails.
    std::optional<Status> global;

    int GetStatus(unsigned int account, Status& out) override {
        if (account != 0 || !global)
            return -1;
        out = *global;
        return 0;
    }
};

class Dispatcher : public AlertWindowTest {
protected:
    void SetUp() override {
        AlertWindowTest::SetUp();
        services.RegisterService(ProtocolsManagerGuid, &protocols);
        WriteBytes(folder / "tone.wav", Riff({Fmt(1, 22050, 16), Chunk("data", Tone16(200, 1, 440))}));
        prefs.AlertAdvancedSound = 1;
        for (auto& alert : prefs.Alerts) {
            alert.soundOn = true;
            alert.sound = Wide(folder / "tone.wav");
            alert.vibra = 0x3;
        }
    }

    std::unique_ptr<Alert::CYolWMAlert_Dispatcher> Make() {
        return std::make_unique<Alert::CYolWMAlert_Dispatcher>(&services, prefs, nullptr, parent);
    }

    RecordingServicesManager services;
    StatusProtocols protocols;
};

TEST_F(Dispatcher, GatesEachEventByItsSwitchesTheSoftModeAndTheStatus) {
    enum Query { Answers, Fails, NoManager };
    struct Row {
        TYolWMAlertEvent event;
        Status status;
        Query query;
        bool softMode;
        bool windowActive;
        bool eventOn, soundOn, vibraOn; // the event's own, the global sound and vibration switches
        bool sounds, vibrates;
    };
    using namespace Alert;
    using namespace Protocols;
    const Row rows[] = {
        {EAlertIncomingMessage, Online, Answers, true, false, true, true, true, true, true},
        {EAlertIncomingMessage, Online, Answers, true, true, true, true, true, true, true},
        {EAlertMessageSent, FreeForChat, Answers, false, true, true, true, true, true, true},
        {EAlertContactOnline, Away, Answers, true, false, true, true, true, true, true},
        {EAlertWarning, Occupied, Answers, true, false, true, true, true, false, false},
        {EAlertWarning, Occupied, Answers, true, true, true, true, true, false, false},
        {EAlertEmailMessage, NotAvailable, Answers, true, false, true, true, true, false, false},
        {EAlertEmailMessage, NotAvailable, Answers, false, false, true, true, true, true, true},
        {EAlertIncomingFile, Occupied, Answers, false, true, true, true, true, true, true},
        // "Do not disturb" is not among the statuses the soft mode keeps quiet.
        {EAlertIncomingFile, DoNotDisturb, Answers, true, false, true, true, true, true, true},
        {EAlertFileTransferComplete, DoNotDisturb, Answers, true, true, true, true, true, true, true},
        {EAlertFileTransferComplete, Offline, Answers, true, false, true, true, true, true, true},
        // A status that cannot be had lets the alert through.
        {EAlertIncomingMessage, Occupied, Fails, true, false, true, true, true, true, true},
        {EAlertMessageSent, Occupied, NoManager, true, false, true, true, true, true, true},
        // The event's own switch and the global switches.
        {EAlertContactOnline, Online, Answers, true, false, false, true, true, false, false},
        {EAlertWarning, Online, Answers, false, true, false, true, true, false, false},
        {EAlertEmailMessage, Online, Answers, true, false, true, false, true, false, true},
        {EAlertIncomingFile, Online, Answers, true, false, true, true, false, true, false},
        {EAlertFileTransferComplete, Online, Answers, false, true, true, false, false, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "event " << row.event << ", status " << row.status << ", query "
                                        << row.query << ", soft mode " << row.softMode << ", active "
                                        << row.windowActive << ", on " << row.eventOn << row.soundOn << row.vibraOn);
        protocols.global = row.query == Answers ? std::optional<Status>(row.status) : std::nullopt;
        if (row.query == NoManager)
            services.UnregisterService(services.registered.front().key);
        else if (!services.GetService(ProtocolsManagerGuid))
            services.RegisterService(ProtocolsManagerGuid, &protocols);
        SetActiveWindow(row.windowActive ? parent : probe());
        prefs.AlertSoftMode = row.softMode;
        prefs.Alerts[row.event].on = row.eventOn;
        prefs.AlertSoundOn = row.soundOn;
        prefs.AlertVibraOn = row.vibraOn;
        auto dispatcher = Make();
        dispatcher->RaiseAlert(row.event);
        EXPECT_EQ(dispatcher->Sound().IsPlaying(), row.sounds);
        EXPECT_EQ(dispatcher->Vibra().IsPlaying(), row.vibrates);
        prefs.Alerts[row.event].on = true;
    }
}

TEST_F(Dispatcher, EventWithoutSettingsDoesNothing) {
    auto dispatcher = Make();
    prefs.Alerts.RemoveAt(6);
    dispatcher->RaiseAlert(Alert::EAlertFileTransferComplete);
    dispatcher->RaiseAlert(static_cast<TYolWMAlertEvent>(-1));
    EXPECT_FALSE(dispatcher->Sound().IsPlaying());
    EXPECT_FALSE(dispatcher->Vibra().IsPlaying());
}

TEST_F(Dispatcher, PreviewPlaysTheEventsSettingsWhateverTheGlobalSwitches) {
    prefs.AlertSoundOn = 0;
    prefs.AlertVibraOn = 0;
    protocols.global = Protocols::Occupied;
    Alert::TYolWMAlertSettings settings{true, true, Wide(folder / "tone.wav"), 0x1};
    auto dispatcher = Make();
    dispatcher->Preview(settings);
    EXPECT_TRUE(dispatcher->Sound().IsPlaying());
    EXPECT_TRUE(dispatcher->Vibra().IsPlaying());

    auto quiet = Make();
    settings.on = false;
    quiet->Preview(settings);
    EXPECT_FALSE(quiet->Sound().IsPlaying());
    EXPECT_FALSE(quiet->Vibra().IsPlaying());
}

TEST_F(Dispatcher, PreviewWithoutSoundOnlyVibrates) {
    auto dispatcher = Make();
    dispatcher->Preview(Alert::TYolWMAlertSettings{true, false, Wide(folder / "tone.wav"), 0x1});
    EXPECT_FALSE(dispatcher->Sound().IsPlaying());
    EXPECT_TRUE(dispatcher->Vibra().IsPlaying());
}

TEST_F(Dispatcher, BlinksTheFirstLedThatCanBlink) {
    Platform::SetLeds({-1, 0, 2});
    auto dispatcher = Make();
    dispatcher->BlinkLed(true);
    dispatcher->BlinkLed(false);
    const auto changes = Platform::GetLedChanges();
    ASSERT_EQ(changes.size(), 2u);
    const NLED_SETTINGS_INFO& on = changes[0].settings;
    EXPECT_EQ(on.LedNum, 1u);
    EXPECT_EQ(on.OffOnBlink, NLED_MODE_BLINK);
    EXPECT_EQ(on.TotalCycleTime, 5000);
    EXPECT_EQ(on.OnTime, 200);
    EXPECT_EQ(on.OffTime, 0);
    EXPECT_EQ(on.MetaCycleOn, 200);
    EXPECT_EQ(on.MetaCycleOff, 200);
    EXPECT_EQ(changes[1].settings.LedNum, 1u);
    EXPECT_EQ(changes[1].settings.OffOnBlink, NLED_MODE_OFF);
}

TEST_F(Dispatcher, BlinksTheLedThePreferencesNameAndNoneWhenNoneCanBlink) {
    prefs.HardBlinkLed = 1;
    Make()->BlinkLed(true);
    EXPECT_EQ(Platform::GetLedMode(1), NLED_MODE_BLINK);

    Platform::SetLeds({-1});
    prefs.HardBlinkLed = 255;
    Make()->BlinkLed(true);
    EXPECT_TRUE(Platform::GetLedChanges().empty());
}

TEST_F(Dispatcher, CountsTheLedsAndNoneWhenTheDriverFails) {
    EXPECT_EQ(Alert::CYolWMAlert_Dispatcher::GetLedCount(), 2u);
    Platform::SetLeds({0, -1, 3}, true);
    EXPECT_EQ(Alert::CYolWMAlert_Dispatcher::GetLedCount(), 0u);
}

} // namespace
