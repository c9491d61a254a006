// Reading WAV files by their chunks.

#include "AlertTestSupport.h"
#include "CYolWaveFile.h"

using namespace alerts_test;

namespace {

const Bytes kStereoWave = Tone16(40, 2, 440);
const Bytes kMono8 = Tone8(33, 300);

struct Case {
    const char* name;
    Bytes file;
    bool accepted;
    Bytes samples;
};

std::vector<Case> Cases() {
    const Bytes fmt = Fmt(2, 22050, 16);
    const Bytes data = Chunk("data", kStereoWave);
    const Bytes list = Chunk("LIST", Bytes{'I', 'N', 'F', 'O', 'x'}); // odd: a pad byte follows
    Bytes truncated = Riff({fmt, Chunk("data", kStereoWave, kStereoWave.size() + 4)});
    Bytes badAlign = Fmt(2, 22050, 16);
    badAlign[8 + 12] = 3; // block alignment 3 for 2 x 16 bits
    Bytes halfFrame = kStereoWave;
    halfFrame.resize(halfFrame.size() - 2);
    return {
        {"canonical", Riff({fmt, data}), true, kStereoWave},
        {"8-bit mono", Riff({Fmt(1, 11025, 8), Chunk("data", kMono8)}), true, kMono8},
        {"chunks before the format and the data", Riff({list, Chunk("fact", Bytes(4, 9)), fmt, list, data}), true,
         kStereoWave},
        {"format after the data", Riff({data, fmt}), true, kStereoWave},
        {"odd chunk last without its pad byte", [&] {
             Bytes f = Riff({fmt, data});
             Bytes tail = Chunk("junk", Bytes{1});
             tail.pop_back();
             f.insert(f.end(), tail.begin(), tail.end());
             return f;
         }(), true, kStereoWave},
        {"data longer than the file", truncated, false, {}},
        {"chunk longer than the file", Riff({Chunk("LIST", Bytes(8, 0), 1000), fmt, data}), false, {}},
        {"not PCM", Riff({Fmt(2, 22050, 16, 3), data}), false, {}},
        {"24 bits", Riff({Fmt(2, 22050, 24), data}), false, {}},
        {"three channels", Riff({Fmt(3, 22050, 16), Chunk("data", Tone16(40, 3, 440))}), false, {}},
        {"block alignment that disagrees", Riff({badAlign, data}), false, {}},
        {"half a frame of data", Riff({fmt, Chunk("data", halfFrame)}), false, {}},
        {"format too short", Riff({Chunk("fmt ", Bytes(14, 1)), data}), false, {}},
        {"no format", Riff({data}), false, {}},
        {"no data", Riff({fmt}), false, {}},
        {"two data chunks", Riff({fmt, data, data}), false, {}},
        {"not RIFF", [&] { Bytes f = Riff({fmt, data}); f[0] = 'X'; return f; }(), false, {}},
        {"not WAVE", [&] { Bytes f = Riff({fmt, data}); f[8] = 'A'; return f; }(), false, {}},
        {"header only", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0}, false, {}},
    };
}

TEST(WaveFile, AcceptsPlainPcmWhereverItsChunksStandAndRefusesTheRest) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        CYolWaveFile wave;
        ASSERT_EQ(wave.Parse(c.file.data(), c.file.size()), c.accepted);
        EXPECT_EQ(wave.Samples(), c.samples) << "a refused file gives no samples";
    }
}

TEST(WaveFile, ReportsTheFormatOfTheFile) {
    const Bytes file = Riff({Chunk("LIST", Bytes(6, 0)), Fmt(1, 11025, 8), Chunk("data", kMono8)});
    CYolWaveFile wave;
    ASSERT_TRUE(wave.Parse(file.data(), file.size()));
    EXPECT_EQ(wave.Format().formatTag, 1);
    EXPECT_EQ(wave.Format().channels, 1);
    EXPECT_EQ(wave.Format().samplesPerSec, 11025u);
    EXPECT_EQ(wave.Format().avgBytesPerSec, 11025u);
    EXPECT_EQ(wave.Format().blockAlign, 1);
    EXPECT_EQ(wave.Format().bitsPerSample, 8);
}

TEST(WaveFile, LoadsFromDiskAndRefusesAMissingFile) {
    TempFolder folder;
    WriteBytes(folder / "a.wav", Riff({Fmt(2, 22050, 16), Chunk("data", kStereoWave)}));
    CYolWaveFile wave;
    EXPECT_TRUE(wave.Load(Wide(folder / "a.wav")));
    EXPECT_EQ(wave.Samples(), kStereoWave);
    EXPECT_FALSE(wave.Load(Wide(folder / "missing.wav")));
    EXPECT_TRUE(wave.Samples().empty());
}

} // namespace
