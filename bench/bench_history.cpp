// History store speed: appending 100,000 messages one by one, and loading
// the newest 50 of them, against reading the same file whole with fread.
// The load walks every record head, so the raw read is its floor. Single
// appends, later and first ones, are measured against the same writes
// without their syncs.

#include "CHistoryFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int kMessages = 100000;

CHistoryFile::Message Message(int i) {
    CHistoryFile::Message message;
    message.direction = static_cast<unsigned char>(i & 1);
    message.time = 1200000000u + unsigned(i);
    message.text = "Message number " + std::to_string(i) + ", with a few words to make it typical.";
    return message;
}

std::string TempPath(const char* name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/" + name + "-" + std::to_string(getpid()) + ".yhf";
}

int AppendAll(const std::string& path) {
    std::filesystem::remove(path);
    CYolString name = CYolString::FromUtf8(path);
    int failures = 0;
    for (int i = 0; i < kMessages; ++i)
        failures += CHistoryFile::Append(name, "contact", "Contact", Message(i)) != CHistoryFile::Ok;
    return failures;
}

const std::string& FilePath() {
    static const std::string path = TempPath("yol-bench-history");
    return path;
}

// The load benchmarks read the file that BM_Append100k wrote. When that one
// was filtered out, the same bytes are written directly: a fresh header and
// the records, as the appends would have left them.
const std::string& FullFile() {
    static const bool ready = [] {
        std::atexit([] { std::filesystem::remove(FilePath()); });
        if (std::filesystem::exists(FilePath()))
            return true;
        std::vector<unsigned char> records;
        for (int i = 0; i < kMessages; ++i) {
            std::vector<unsigned char> record = CHistoryFile::BuildRecord(uint32_t(i + 1), Message(i));
            records.insert(records.end(), record.begin(), record.end());
        }
        CHistoryFile::Header header = CHistoryFile::Header::Fresh("contact", "Contact");
        header.SetMessageCount(kMessages);
        header.SetLastMessageNumber(kMessages);
        header.SetTotalBytes(uint32_t(records.size()));
        std::vector<unsigned char> bytes = header.Serialize();
        FILE* file = std::fopen(FilePath().c_str(), "wb");
        bool ok = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                  std::fwrite(records.data(), 1, records.size(), file) == records.size();
        if (file)
            std::fclose(file);
        return ok;
    }();
    if (!ready)
        std::abort();
    return FilePath();
}

void BM_Append100k(benchmark::State& state) {
    for (auto _ : state) {
        int failures = AppendAll(FilePath());
        if (failures != 0)
            state.SkipWithError("append failed");
    }
    state.counters["file_bytes"] = double(std::filesystem::file_size(FilePath()));
    state.counters["s_per_message"] =
        benchmark::Counter(double(kMessages), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Append100k)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// One append to a file of a few messages, and one first append that creates
// the file: each with its syncs (the record before the header; a new file
// and then its folder), against the same writes on the same kind of file
// without any sync. The difference is what the syncs cost per append.
std::string SmallFile() { return TempPath("yol-bench-append"); }

void BM_AppendSynced(benchmark::State& state) {
    CYolString name = CYolString::FromUtf8(SmallFile());
    std::filesystem::remove(SmallFile());
    int i = 0;
    for (auto _ : state)
        if (CHistoryFile::Append(name, "contact", "Contact", Message(i++)) != CHistoryFile::Ok)
            state.SkipWithError("append failed");
    std::filesystem::remove(SmallFile());
}
BENCHMARK(BM_AppendSynced)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The reference: open and lock, read the header, write the record at the
// end and the header at the start, as an append does, without syncing.
void BM_AppendUnsynced(benchmark::State& state) {
    std::filesystem::remove(SmallFile());
    CHistoryFile::Header header = CHistoryFile::Header::Fresh("contact", "Contact");
    std::vector<unsigned char> bytes = header.Serialize();
    int i = 0;
    for (auto _ : state) {
        int fd = open(SmallFile().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0 || flock(fd, LOCK_EX) != 0 || pread(fd, bytes.data(), bytes.size(), 0) < 0) {
            state.SkipWithError("open failed");
            break;
        }
        ++i;
        std::vector<unsigned char> record = CHistoryFile::BuildRecord(uint32_t(i), Message(i));
        off_t end = lseek(fd, 0, SEEK_END);
        bool ok = pwrite(fd, record.data(), record.size(), end < off_t(bytes.size()) ? off_t(bytes.size()) : end) ==
                      ssize_t(record.size()) &&
                  pwrite(fd, bytes.data(), bytes.size(), 0) == ssize_t(bytes.size());
        close(fd);
        if (!ok)
            state.SkipWithError("write failed");
    }
    std::filesystem::remove(SmallFile());
}
BENCHMARK(BM_AppendUnsynced)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Each iteration starts without the file; `append` creates it.
template <typename Append>
void FirstAppends(benchmark::State& state, Append append) {
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(SmallFile());
        state.ResumeTiming();
        if (!append())
            state.SkipWithError("append failed");
    }
    std::filesystem::remove(SmallFile());
}

void BM_FirstAppendSynced(benchmark::State& state) {
    CYolString name = CYolString::FromUtf8(SmallFile());
    FirstAppends(state, [&] { return CHistoryFile::Append(name, "contact", "Contact", Message(1)) == CHistoryFile::Ok; });
}
BENCHMARK(BM_FirstAppendSynced)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_FirstAppendUnsynced(benchmark::State& state) {
    CHistoryFile::Header header = CHistoryFile::Header::Fresh("contact", "Contact");
    std::vector<unsigned char> bytes = header.Serialize();
    std::vector<unsigned char> record = CHistoryFile::BuildRecord(1, Message(1));
    bytes.insert(bytes.end(), record.begin(), record.end());
    FirstAppends(state, [&] {
        int fd = open(SmallFile().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        bool ok = fd >= 0 && flock(fd, LOCK_EX) == 0 && pwrite(fd, bytes.data(), bytes.size(), 0) == ssize_t(bytes.size());
        if (fd >= 0)
            close(fd);
        return ok;
    });
}
BENCHMARK(BM_FirstAppendUnsynced)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_LoadNewest50(benchmark::State& state) {
    CYolString name = CYolString::FromUtf8(FullFile());
    for (auto _ : state) {
        CYolArray<CTLVCol> out;
        if (CHistoryFile::Load(name, 50, out) != CHistoryFile::Ok || out.Count() != 50)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(out.Count());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(FullFile())));
}
BENCHMARK(BM_LoadNewest50)->Unit(benchmark::kMicrosecond);

// The reference: the same file read whole into memory, nothing parsed.
void BM_RawReadWholeFile(benchmark::State& state) {
    const std::string& path = FullFile();
    std::vector<unsigned char> buffer(std::filesystem::file_size(path));
    for (auto _ : state) {
        FILE* file = std::fopen(path.c_str(), "rb");
        if (!file) {
            state.SkipWithError("open failed");
            break;
        }
        size_t got = std::fread(buffer.data(), 1, buffer.size(), file);
        std::fclose(file);
        if (got != buffer.size())
            state.SkipWithError("short read");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(buffer.size()));
}
BENCHMARK(BM_RawReadWholeFile)->Unit(benchmark::kMicrosecond);

void BM_LoadAll(benchmark::State& state) {
    CYolString name = CYolString::FromUtf8(FullFile());
    for (auto _ : state) {
        CYolArray<CTLVCol> out;
        if (CHistoryFile::Load(name, 0, out) != CHistoryFile::Ok || out.Count() != kMessages)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(out.Count());
    }
}
BENCHMARK(BM_LoadAll)->Unit(benchmark::kMillisecond);

} // namespace
