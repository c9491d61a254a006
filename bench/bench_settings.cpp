// Loading and saving a settings file of 10,000 records in five sections,
// against a plain read and write of the same bytes.
//
// BM_Load* read the file from disk (page cache); BM_Parse/BM_Serialize leave
// the disk out. BM_Save writes through a flushed temporary file and flushes
// the folder after the rename, so its fair reference is BM_RawWriteFlushed;
// BM_RawWriteRenamed is the same writes without the syncs, and the gap
// between the two is what the syncs cost per save.

#include "CYolDatabaseImpl.h"
#include "YolGuids.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kRecords = 10000;
const YOL_GUID kSections[] = {ProtocolsManagerGuid, ContactListGuid, SocketsManagerGuid, PreferencesGuid,
                              ServerStoreGuid};

// A folder of its own holding the file, removed at exit.
struct Fixture {
    std::string folder;
    std::string file;
    std::vector<unsigned char> bytes;

    Fixture() {
        char pattern[] = "/tmp/yol-bench-settings-XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            std::abort();
        folder = pattern;
        file = folder + "/settings.yol";
        Database::CYolDatabaseImpl db(nullptr, Path());
        for (int i = 0; i < kRecords; ++i) {
            const YOL_GUID& section = kSections[i % 5];
            CYolString key = CYolString::FromUtf8("Setting " + std::to_string(i));
            switch (i % 4) {
            case 0:
                db.SetDword(section, key, static_cast<unsigned long>(i));
                break;
            case 1:
                db.SetByte(section, key, static_cast<unsigned char>(i));
                break;
            case 2:
                db.SetString(section, key, CYolString::FromUtf8("value of setting " + std::to_string(i)));
                break;
            default: {
                std::vector<unsigned char> blob(64, static_cast<unsigned char>(i));
                db.SetData(section, key, blob.data(), blob.size());
            }
            }
        }
        if (!db.Save() || !db.SaveToBytes(bytes))
            std::abort();
    }
    ~Fixture() { std::filesystem::remove_all(folder); }

    CYolString Path() const { return CYolString::FromUtf8(file); }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void BM_LoadSettings(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        Database::CYolDatabaseImpl db(nullptr, f.Path());
        benchmark::DoNotOptimize(db.GetLoadResult().records);
    }
    state.SetBytesProcessed(state.iterations() * f.bytes.size());
}

void BM_RawRead(benchmark::State& state) {
    Fixture& f = Shared();
    std::vector<unsigned char> buffer(f.bytes.size());
    for (auto _ : state) {
        FILE* in = std::fopen(f.file.c_str(), "rb");
        size_t n = std::fread(buffer.data(), 1, buffer.size(), in);
        std::fclose(in);
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(state.iterations() * f.bytes.size());
}

void BM_ParseSettings(benchmark::State& state) {
    Fixture& f = Shared();
    Database::CYolDatabaseImpl db(nullptr, CYolString::FromUtf8(f.folder + "/absent/settings.yol"));
    for (auto _ : state)
        benchmark::DoNotOptimize(db.LoadFromBytes(f.bytes.data(), f.bytes.size()).records);
    state.SetBytesProcessed(state.iterations() * f.bytes.size());
}

void BM_SerializeSettings(benchmark::State& state) {
    Fixture& f = Shared();
    Database::CYolDatabaseImpl db(nullptr, f.Path());
    std::vector<unsigned char> out;
    for (auto _ : state) {
        db.SaveToBytes(out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * f.bytes.size());
}

void BM_SaveSettings(benchmark::State& state) {
    Fixture& f = Shared();
    Database::CYolDatabaseImpl db(nullptr, f.Path());
    for (auto _ : state)
        if (!db.Save())
            state.SkipWithError("save failed");
    state.SetBytesProcessed(state.iterations() * f.bytes.size());
}

void BM_RawWrite(benchmark::State& state) {
    Fixture& f = Shared();
    std::string target = f.folder + "/raw.yol";
    for (auto _ : state) {
        FILE* out = std::fopen(target.c_str(), "wb");
        std::fwrite(f.bytes.data(), 1, f.bytes.size(), out);
        std::fclose(out);
    }
    state.SetBytesProcessed(state.iterations() * f.bytes.size());
}

// The writes of a save: a temporary file renamed over the target; with
// `flush`, the file is synced before the rename and the folder after it.
void RawWriteRenamed(benchmark::State& state, bool flush) {
    Fixture& f = Shared();
    std::string temp = f.folder + "/raw.tmp";
    std::string target = f.folder + "/raw.yol";
    for (auto _ : state) {
        FILE* out = std::fopen(temp.c_str(), "wb");
        std::fwrite(f.bytes.data(), 1, f.bytes.size(), out);
        std::fflush(out);
        if (flush)
            fsync(fileno(out));
        std::fclose(out);
        std::rename(temp.c_str(), target.c_str());
        if (flush) {
            int dir = open(f.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            fsync(dir);
            close(dir);
        }
    }
    state.SetBytesProcessed(state.iterations() * f.bytes.size());
}

void BM_RawWriteRenamed(benchmark::State& state) { RawWriteRenamed(state, false); }
void BM_RawWriteFlushed(benchmark::State& state) { RawWriteRenamed(state, true); }

}  // namespace

BENCHMARK(BM_LoadSettings)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RawRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseSettings)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SerializeSettings)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveSettings)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_RawWrite)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_RawWriteRenamed)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_RawWriteFlushed)->Unit(benchmark::kMicrosecond)->UseRealTime();
