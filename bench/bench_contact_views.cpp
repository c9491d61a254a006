// Loading a contact list into the four views of the contact-list window:
// contacts spread over three accounts of ten groups each, a third of them
// online, each also shown as a meta contact in one of ten meta groups, fed
// to the view set as the model's broadcasts would (grouped, flat, grouped
// meta and flat meta at once). Captions are read from a real model. Time per
// contact at 1,000 to 5,000 contacts, so that a walk per insertion that
// grows with the list shows as a per-contact figure that climbs and in the
// fitted complexity.
//
// Reference, same run: the same rows kept in one std::multimap per view,
// keyed by (parent, name), as a plain sorted container would keep them.

#include "ClViewsStage.h"
#include "CYol_CLRootItem.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using ClBench::kAccounts;
using ClBench::kGroupsPerAccount;
using ClBench::Row;
using ClBench::Stage;
using ClBench::TheStage;

void PerContact(benchmark::State& state, int contacts) {
    state.SetComplexityN(contacts);
    state.counters["ns_per_contact"] =
        benchmark::Counter(static_cast<double>(contacts), benchmark::Counter::kIsIterationInvariantRate |
                                                              benchmark::Counter::kInvert);
}

void BM_ViewsLoad(benchmark::State& state) {
    Stage& stage = TheStage();
    int contacts = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto views = std::make_unique<CL::CYol_CLRootItem>();
        state.ResumeTiming();
        ClBench::LoadViews(*views, stage, contacts);
        state.PauseTiming();
        benchmark::DoNotOptimize(views->flat->GetHeight());
        views.reset();
        state.ResumeTiming();
    }
    PerContact(state, contacts);
}

void BM_MultimapReference(benchmark::State& state) {
    Stage& stage = TheStage();
    int contacts = static_cast<int>(state.range(0));
    using View = std::multimap<std::pair<unsigned int, std::u16string>, unsigned int>;
    for (auto _ : state) {
        state.PauseTiming();
        auto views = std::make_unique<std::vector<View>>(4);
        state.ResumeTiming();
        for (int i = 0; i < contacts; ++i) {
            const Row& row = stage.rows[static_cast<size_t>(i)];
            unsigned int header = row.status.status > 1 ? 0 : 1;
            (*views)[0].emplace(std::make_pair(row.group, row.name), row.contact);
            (*views)[1].emplace(std::make_pair(header, row.name), row.contact);
            (*views)[2].emplace(std::make_pair(row.metaGroup, row.name), row.metaContact);
            (*views)[3].emplace(std::make_pair(header, row.name), row.metaContact);
        }
        state.PauseTiming();
        benchmark::DoNotOptimize((*views)[1].size());
        views.reset();
        state.ResumeTiming();
    }
    PerContact(state, contacts);
}

}  // namespace

BENCHMARK(BM_ViewsLoad)->DenseRange(1000, 5000, 1000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_MultimapReference)->DenseRange(1000, 5000, 1000)->Unit(benchmark::kMillisecond)->Complexity();
