// WAV files of alert packs: any bytes. A file is either refused with no
// samples, or its format is plain PCM the wave output takes, and its samples
// are a whole number of frames that fit inside the input.

#include "Audio/WaveOut.h"
#include "CYolWaveFile.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CYolWaveFile wave;
    if (!wave.Parse(data, size)) {
        Check(wave.Samples().empty());
        return 0;
    }
    const CYolWaveFile::TFormat& f = wave.Format();
    Check(CYolWaveFile::IsPlayable(f));
    Check(wave.Samples().size() % f.blockAlign == 0);
    Check(wave.Samples().size() + 20 <= size);
    // The output accepts every format the reader lets through.
    const WAVEFORMATEX format{f.formatTag, f.channels, f.samplesPerSec, f.avgBytesPerSec, f.blockAlign,
                              f.bitsPerSample, 0};
    HWAVEOUT out = nullptr;
    Check(waveOutOpen(&out, 0, &format, 0, 0, CALLBACK_NULL) == MMSYSERR_NOERROR);
    Check(waveOutClose(out) == MMSYSERR_NOERROR);
    return 0;
}
