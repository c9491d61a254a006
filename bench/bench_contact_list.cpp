// Loading a contact list into the model: contacts spread over three
// accounts and ten groups each, every one filed into a meta contact (a third
// of them into meta contacts the stored meta list already holds, waiting for
// them), inside one update bracket as an account's cached list is loaded.
// Time and heap per contact, at 1,000 to 5,000 contacts, so that a cost that
// grows with the list (a walk per insertion) shows as a per-contact figure
// that climbs and in the fitted complexity.
//
// Reference, same run: the same contacts inserted into a std::map keyed by
// id, holding the two strings every contact carries.

#include "CContactListCache.h"
#include "CContactListImpl.h"
#include "ClBenchModel.h"
#include "CServicesManagerImpl.h"
#include "ProtocolsManagerEvents.h"
#include "ValueNames.h"
#include "YolGuids.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <map>
#include <memory>
#include <string>
#include <utility>

namespace {

using ClBench::kAccounts;
constexpr int kGroupsPerAccount = 10;

size_t HeapInUse() { return mallinfo2().uordblks; }

std::string Login(int index) { return std::to_string(100000 + index); }

// The stored meta list: for every third contact index, a meta contact in
// the meta group of its group's name waiting for the contacts of that login
// on the first two accounts.
CAutoBuf StoredMetaList(int contacts) {
    CL::MetaListData list;
    for (int g = 0; g < kGroupsPerAccount; ++g)
        list.metaGroupNames.Add(CYolString::FromUtf8("Group " + std::to_string(g)));
    for (int i = 0; i < contacts / 3; i += 3) {
        CL::MetaContactRecord record;
        record.number = static_cast<unsigned int>(i + 1);
        record.metaGroupName = list.metaGroupNames[i % kGroupsPerAccount];
        record.name = CYolString::FromUtf8("Meta " + std::to_string(i));
        record.subContacts.Add(CL::MetaSubContactEntry{CYolString::FromUtf8(Login(i)), CYolString(u"Ruv1")});
        record.subContacts.Add(CL::MetaSubContactEntry{CYolString::FromUtf8(Login(i)), CYolString(u"Ruv2")});
        list.metaContacts.Add(std::move(record));
    }
    CAutoBuf bytes;
    CL::CContactListCache::BuildMetaList(list, bytes);
    return bytes;
}

// A model on a services manager of its own, its three accounts announced and
// the stored meta list parsed: everything before the first contact arrives.
struct Stage : ClBench::ModelStage {
    explicit Stage(int contacts) {
        CAutoBuf list = StoredMetaList(contacts);
        model->ParseMetaList(list.Data(), static_cast<size_t>(list.Length()));
    }
};

void Load(CL::CContactListImpl& model, int contacts) {
    const CYolString loginName(ValueName::SrvLogName);
    const CYolString aliasName(ValueName::Alias);
    model.BeginUpdate();
    unsigned int groups[3][kGroupsPerAccount];
    for (int a = 0; a < 3; ++a)
        for (int g = 0; g < kGroupsPerAccount; ++g) {
            groups[a][g] = model.AddGroup(kAccounts[a]);
            model.SetItemString(groups[a][g], loginName, CYolString::FromUtf8("Group " + std::to_string(g)));
            model.NotifyGroupAdded(groups[a][g]);
        }
    Protocols::ContactStatusInfo status;
    for (int i = 0; i < contacts; ++i) {
        // Contact i is the (i / 3)-th of its account: logins repeat across
        // accounts, as the same person's on several networks.
        int a = i % 3;
        int index = i / 3;
        unsigned int id = model.AddContact(kAccounts[a], groups[a][index % kGroupsPerAccount]);
        model.SetItemString(id, loginName, CYolString::FromUtf8(Login(index)));
        model.SetItemString(id, aliasName, CYolString::FromUtf8("Name " + std::to_string(index)));
        model.NotifyContactAdded(id, status);
    }
    model.EndUpdate();
}

void BM_ModelLoadAndFile(benchmark::State& state) {
    int contacts = static_cast<int>(state.range(0));
    double bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto stage = std::make_unique<Stage>(contacts);
        size_t before = HeapInUse();
        state.ResumeTiming();

        Load(*stage->model, contacts);

        state.PauseTiming();
        bytes = static_cast<double>(HeapInUse() - before);
        CYolArray<CL::CLItemInfo> meta;
        stage->model->GetMetaItems(meta);
        benchmark::DoNotOptimize(meta.Count());
        stage.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(contacts);
    state.counters["ns_per_contact"] =
        benchmark::Counter(static_cast<double>(contacts), benchmark::Counter::kIsIterationInvariantRate |
                                                              benchmark::Counter::kInvert);
    state.counters["bytes_per_contact"] = bytes / contacts;
}

void BM_StdMapReference(benchmark::State& state) {
    int contacts = static_cast<int>(state.range(0));
    double bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto map = std::make_unique<std::map<unsigned int, std::pair<std::u16string, std::u16string>>>();
        size_t before = HeapInUse();
        state.ResumeTiming();

        for (int i = 0; i < contacts; ++i) {
            int index = i / 3;
            (*map)[0x80000001u + static_cast<unsigned int>(i)] = {
                CYolString::FromUtf8(Login(index)).ToU16(),
                CYolString::FromUtf8("Name " + std::to_string(index)).ToU16()};
        }

        state.PauseTiming();
        bytes = static_cast<double>(HeapInUse() - before);
        benchmark::DoNotOptimize(map->size());
        map.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(contacts);
    state.counters["ns_per_contact"] =
        benchmark::Counter(static_cast<double>(contacts), benchmark::Counter::kIsIterationInvariantRate |
                                                              benchmark::Counter::kInvert);
    state.counters["bytes_per_contact"] = bytes / contacts;
}

BENCHMARK(BM_ModelLoadAndFile)->DenseRange(1000, 5000, 1000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_StdMapReference)->DenseRange(1000, 5000, 1000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace
