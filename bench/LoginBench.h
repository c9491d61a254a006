#pragma once
// What the login benches report per contact: heap the process holds and
// time, so that lists of different sizes compare directly.

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstddef>

inline size_t HeapInUse() { return mallinfo2().uordblks; }

// Seconds per contact of one login, shown by the library with its prefix.
inline benchmark::Counter PerContact(int contacts) {
    return benchmark::Counter(contacts, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The counters of a reference reader's run.
inline void ReportReader(benchmark::State& state, int contacts, size_t bytes) {
    state.counters["contacts"] = contacts;
    state.counters["bytes_read"] = static_cast<double>(bytes);
    state.counters["time_per_contact"] = PerContact(contacts);
    state.SetComplexityN(contacts);
}

// The counters of an account's run. `looks` is how often the wait walked
// the model: each look walks the whole list, so a high count inflates the
// time.
inline void ReportAccount(benchmark::State& state, int contacts, double heapBytes, int looks) {
    state.counters["contacts"] = contacts;
    state.counters["heap_KiB"] = heapBytes / 1024.0;
    state.counters["heap_B_per_contact"] = heapBytes / contacts;
    state.counters["model_looks"] = benchmark::Counter(looks, benchmark::Counter::kAvgIterations);
    state.counters["time_per_contact"] = PerContact(contacts);
    state.SetComplexityN(contacts);
}

// 1,000, 2,000 and 5,000 contacts, a few logins each, with the growth fitted.
inline void ListSizes(benchmark::internal::Benchmark* bench) {
    bench->Arg(1000)->Arg(2000)->Arg(5000)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime()->Complexity(
        benchmark::oN);
}
