// Decoding GIF files: our decoder against giflib on the same bytes, in the
// same run: the default smiley pack and a large 256-colour picture.
// Reported as frames per second of each; the ratio is read across the rows.

#include "Drawing/GifDecode.h"

#include "CYolFile.h"
#include "CYolFileSystem.h"
#include "CYolString.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

std::vector<Bytes> Pack() {
    std::vector<Bytes> out;
    const CYolString folder = CYolString::FromUtf8(YOL_PROGRAM_FOLDER "/Smilies/Yol PDA smilies/");
    CYolArray<CYolString> names;
    CYolFileSystem::GetDirectoryFiles(folder, CYolFileSystem::ListFiles, names);
    for (const CYolString& name : names) {
        Bytes bytes;
        if (name.ToUtf8().ends_with(".gif") && CYolFile::ReadAllBytes(folder + name, bytes))
            out.push_back(bytes);
    }
    return out;
}

int WriteMemory(GifFileType* gif, const GifByteType* data, int n) {
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + n);
    return n;
}

// 400 x 300, 256 colours of smooth noise, written by giflib.
std::vector<Bytes> Large() {
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteMemory, &error);
    GifColorType colours[256];
    for (int i = 0; i < 256; ++i)
        colours[i] = GifColorType{static_cast<GifByteType>(i), static_cast<GifByteType>(255 - i),
                                  static_cast<GifByteType>(i * 7)};
    ColorMapObject* map = GifMakeMapObject(256, colours);
    EGifPutScreenDesc(gif, 400, 300, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, 400, 300, false, nullptr);
    unsigned seed = 1;
    std::vector<GifByteType> row(400);
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 400; ++x) {
            seed = seed * 1103515245u + 12345u;
            row[static_cast<std::size_t>(x)] = static_cast<GifByteType>((x + y) / 3 + ((seed >> 16) % 4));
        }
        EGifPutLine(gif, row.data(), 400);
    }
    GifFreeMapObject(map);
    EGifCloseFile(gif, &error);
    return {out};
}

struct Input {
    const Bytes* bytes;
    std::size_t at;
};

int ReadMemory(GifFileType* gif, GifByteType* out, int n) {
    auto* in = static_cast<Input*>(gif->UserData);
    const std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(n), in->bytes->size() - in->at);
    std::memcpy(out, in->bytes->data() + in->at, take);
    in->at += take;
    return static_cast<int>(take);
}

void Ours(benchmark::State& state, const std::vector<Bytes>& files) {
    std::int64_t frames = 0;
    for (auto _ : state)
        for (const Bytes& file : files) {
            Smile::TGifImage image;
            frames += Smile::DecodeGif(image, file.data(), file.size());
            benchmark::DoNotOptimize(image.frames.data());
        }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}

void Giflib(benchmark::State& state, const std::vector<Bytes>& files) {
    std::int64_t frames = 0;
    for (auto _ : state)
        for (const Bytes& file : files) {
            Input input{&file, 0};
            int error = 0;
            GifFileType* gif = DGifOpen(&input, ReadMemory, &error);
            if (gif && DGifSlurp(gif) == GIF_OK)
                frames += gif->ImageCount;
            DGifCloseFile(gif, &error);
        }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}

const std::vector<Bytes> g_pack = Pack();
const std::vector<Bytes> g_large = Large();

void BM_PackOurs(benchmark::State& s) { Ours(s, g_pack); }
void BM_PackGiflib(benchmark::State& s) { Giflib(s, g_pack); }
void BM_LargeOurs(benchmark::State& s) { Ours(s, g_large); }
void BM_LargeGiflib(benchmark::State& s) { Giflib(s, g_large); }

BENCHMARK(BM_PackOurs);
BENCHMARK(BM_PackGiflib);
BENCHMARK(BM_LargeOurs);
BENCHMARK(BM_LargeGiflib);

} // namespace
