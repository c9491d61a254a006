// The alert sound player: the samples SDL's disk driver writes, compared
// with the WAV's own, scaled by the alert volume.

#include "AlertTestSupport.h"
#include "Audio/PlaySound.h"
#include "Audio/WaveOut.h"
#include "CYolWMAlert_Sound.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

using namespace alerts_test;

namespace {

const Bytes kStereo = Tone16(3000, 2, 440);

class Sound : public AlertWindowTest {
protected:
    void SetUp() override {
        AlertWindowTest::SetUp();
        prefs.AlertAdvancedSound = 1;
        player = std::make_unique<Alert::CYolWMAlert_Sound>(prefs);
        ASSERT_EQ(player->Create(nullptr, parent, 0, RECT{}), 1);
    }
    void TearDown() override {
        player.reset();
        EXPECT_EQ(Platform::OpenWaveOutCount(), 0) << "every output is closed again";
        AlertWindowTest::TearDown();
    }

    std::string Wav(const std::string& name, const Bytes& file) {
        WriteBytes(folder / name, file);
        return folder / name;
    }
    // Runs the player's messages until every queued sound has played;
    // `onDone` sees each completion before the player does.
    void PlayAll(const std::function<void()>& onDone = {}) {
        while (player->IsPlaying() || player->QueuedCount() > 0) {
            MSG msg;
            ASSERT_GT(GetMessage(&msg, nullptr, 0, 0), 0);
            if (msg.message == MM_WOM_DONE && onDone)
                onDone();
            DispatchMessage(&msg);
        }
    }

    std::unique_ptr<Alert::CYolWMAlert_Sound> player;
};

TEST_F(Sound, PlaysTheSamplesAtTheAlertVolumeInBothChannels) {
    const std::string tone = Wav("tone.wav", Riff({Fmt(2, 22050, 16), Chunk("data", kStereo)}));
    struct Row {
        unsigned int alertVolume;
        unsigned int level;
    };
    // Volume 10 and anything above it is full; 5 is half of 0xFFFF.
    for (const Row row : {Row{10, 0xFFFF}, Row{5, 32767}, Row{1, 6553}, Row{0, 0}, Row{40, 0xFFFF}}) {
        SCOPED_TRACE(row.alertVolume);
        prefs.AlertVol = row.alertVolume;
        UseDiskAudio(folder / ("volume" + std::to_string(row.alertVolume) + ".raw"));
        player->PlaySound(Wide(tone));
        ASSERT_TRUE(player->IsPlaying());
        PlayAll();
        const Bytes played = ReadBytes(folder / ("volume" + std::to_string(row.alertVolume) + ".raw"));
        EXPECT_TRUE(PlayedAfterSilence(played, Scaled16(kStereo, 2, row.level, row.level), 4));
    }
}

TEST_F(Sound, PlaysEightBitMonoInItsOwnFormat) {
    const Bytes samples = Tone8(2000, 300);
    prefs.AlertVol = 5;
    player->PlaySound(Wide(Wav("low.wav", Riff({Chunk("LIST", Bytes(5, 1)), Fmt(1, 11025, 8), Chunk("data", samples)}))));
    PlayAll();
    EXPECT_TRUE(PlayedAfterSilence(ReadBytes(folder / "played.raw"), Scaled8(samples, 32767), 1, 0x80));
}

TEST_F(Sound, QueuedSoundsPlayInOrderOneAtATime) {
    const Bytes tones[] = {Tone16(1500, 1, 300), Tone16(1500, 1, 600), Tone16(1500, 1, 900), Tone16(1500, 1, 1200)};
    for (int i = 0; i < 4; ++i)
        Wav("tone" + std::to_string(i) + ".wav", Riff({Fmt(1, 22050, 16), Chunk("data", tones[i])}));
    UseDiskAudio(folder / "played0.raw");
    for (int i = 0; i < 3; ++i)
        player->PlaySound(Wide(folder / ("tone" + std::to_string(i) + ".wav")));
    EXPECT_TRUE(player->IsPlaying());
    EXPECT_EQ(player->QueuedCount(), 2);
    EXPECT_EQ(Platform::OpenWaveOutCount(), 3) << "each queued sound holds its own output";
    int done = 0;
    PlayAll([&] {
        // Each sound's output opens after the one before closed: its samples
        // go to a file of their own.
        ++done;
        UseDiskAudio(folder / ("played" + std::to_string(done) + ".raw"));
        if (done == 1) {
            EXPECT_EQ(player->QueuedCount(), 2);
            player->PlaySound(Wide(folder / "tone3.wav"));
            EXPECT_EQ(player->QueuedCount(), 3) << "a sound raised while another plays waits its turn";
        }
    });
    EXPECT_EQ(done, 4);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(PlayedAfterSilence(ReadBytes(folder / ("played" + std::to_string(i) + ".raw")), tones[i], 2));
    }
}

TEST_F(Sound, BrokenOrMissingFilesPlayNothingAndHoldNothing) {
    const Bytes data = Tone16(100, 2, 440);
    const std::string files[] = {
        Wav("long.wav", Riff({Fmt(2, 22050, 16), Chunk("data", data, data.size() * 2)})),
        Wav("float.wav", Riff({Fmt(2, 22050, 16, 3), Chunk("data", data)})),
        Wav("odd.wav", Riff({Fmt(2, 22050, 16), Chunk("data", Bytes(data.begin(), data.end() - 1))})),
        Wav("short.wav", Bytes{'R', 'I', 'F', 'F'}),
        folder / "missing.wav",
    };
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        player->PlaySound(Wide(file));
        EXPECT_FALSE(player->IsPlaying());
        EXPECT_EQ(player->QueuedCount(), 0);
        EXPECT_EQ(Platform::OpenWaveOutCount(), 0);
    }
}

TEST_F(Sound, GoingAwayWithSoundsQueuedReleasesThemAll) {
    const std::string tone = Wav("tone.wav", Riff({Fmt(2, 22050, 16), Chunk("data", kStereo)}));
    for (int i = 0; i < 3; ++i)
        player->PlaySound(Wide(tone));
    ASSERT_EQ(Platform::OpenWaveOutCount(), 3);
    player.reset();
    EXPECT_EQ(Platform::OpenWaveOutCount(), 0);
    Platform::PumpMessages();
}

TEST_F(Sound, PlaysTheEventsSoundOnlyWhenItsSettingsAskForOne) {
    prefs.Alerts[Alert::EAlertWarning].sound = Wide(Wav("tone.wav", Riff({Fmt(2, 22050, 16), Chunk("data", kStereo)})));
    player->PlayEvent(Alert::EAlertWarning);
    EXPECT_FALSE(player->IsPlaying());
    prefs.Alerts[Alert::EAlertWarning].soundOn = true;
    player->PlayEvent(Alert::EAlertWarning);
    EXPECT_TRUE(player->IsPlaying());
    PlayAll();
}

TEST_F(Sound, SimpleModePlaysTheFileAsItIsWithoutTheVolume) {
    prefs.AlertAdvancedSound = 0;
    prefs.AlertVol = 2;
    player->PlaySound(Wide(Wav("tone.wav", Riff({Fmt(2, 22050, 16), Chunk("data", kStereo)}))));
    EXPECT_FALSE(player->IsPlaying()) << "the platform plays it";
    Platform::WaitForPlaySound();
    EXPECT_TRUE(PlayedAfterSilence(ReadBytes(folder / "played.raw"), kStereo, 4));
}

TEST_F(Sound, SimpleModeGivesWayToTheSoundThatPlays) {
    const std::string first = Wav("first.wav", Riff({Fmt(1, 22050, 16), Chunk("data", Tone16(20000, 1, 300))}));
    const std::string second = Wav("second.wav", Riff({Fmt(1, 22050, 16), Chunk("data", Tone16(500, 1, 900))}));
    ASSERT_TRUE(PlaySoundW(Wide(first).c_str(), nullptr, SND_FILENAME | SND_ASYNC));
    EXPECT_FALSE(PlaySoundW(Wide(second).c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NOSTOP));
    Platform::WaitForPlaySound();
    EXPECT_TRUE(PlayedAfterSilence(ReadBytes(folder / "played.raw"), Tone16(20000, 1, 300), 2));
    EXPECT_FALSE(PlaySoundW(Wide(folder / "missing.wav").c_str(), nullptr, SND_FILENAME | SND_NODEFAULT));
}

// A manual clock that lets a second thread move it each time the player
// reads it.
class SteppedClock final : public CYolManualClock {
public:
    SteppedClock() : CYolManualClock(5000000, 1700000000), previous(CYolClock::Install(this)) {}
    ~SteppedClock() override { CYolClock::Install(previous); }

    uint64_t TickCount64() const override {
        {
            std::lock_guard<std::mutex> guard(lock);
            ++reads;
        }
        changed.notify_all();
        return CYolManualClock::TickCount64();
    }
    // Waits until the clock was read since the last call; false once
    // stopped.
    bool WaitForRead() {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [&] { return reads > seen || stopped; });
        seen = reads;
        return !stopped;
    }
    void Stop() {
        {
            std::lock_guard<std::mutex> guard(lock);
            stopped = true;
        }
        changed.notify_all();
    }

private:
    CYolClock* previous;
    mutable std::mutex lock;
    mutable std::condition_variable changed;
    mutable uint64_t reads = 0;
    uint64_t seen = 0;
    bool stopped = false;
};

TEST_F(Sound, WakesAnUnattendedDeviceAndWaitsAtMostFiveSecondsForTheAudio) {
    const std::string tone = Wav("tone.wav", Riff({Fmt(2, 22050, 16), Chunk("data", kStereo)}));
    struct Row {
        const char16_t* state;
        CEDEVICE_POWER_STATE audio;
        const char16_t* stateAfter;
        int queries;
    };
    const Row rows[] = {
        {u"on", D4, u"on", 0},
        {u"Unattended", D4, u"screenoff", 5},
        {u"resuming", D0, u"screenoff", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.stateAfter, row.stateAfter + 2));
        Platform::ResetPower();
        Platform::SetSystemPowerStateName(row.state);
        Platform::SetDevicePowerState(u"wav1:", row.audio);
        SteppedClock stepped;
        const uint64_t from = stepped.CYolManualClock::TickCount64();
        std::thread mover([&] {
            while (stepped.WaitForRead())
                stepped.Advance(100);
        });
        player->PlaySound(Wide(tone));
        stepped.Stop();
        mover.join();
        EXPECT_EQ(Platform::GetSystemPowerStateName(), row.stateAfter);
        EXPECT_EQ(Platform::DevicePowerQueries(), row.queries);
        EXPECT_GE(stepped.CYolManualClock::TickCount64() - from, 1000u * row.queries)
            << "a second between two looks";
        EXPECT_TRUE(player->IsPlaying()) << "the sound plays all the same";
        PlayAll();
    }
}

} // namespace
