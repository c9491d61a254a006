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

#include "ClBenchModel.h"
#include "CYol_CLEnvironment.h"
#include "CYol_CLRootItem.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using ClBench::kAccounts;
constexpr int kGroupsPerAccount = 10;
constexpr int kMaxContacts = 5000;

struct Row {
    unsigned int account;
    unsigned int group;
    unsigned int contact;
    unsigned int metaGroup;
    unsigned int metaContact;
    std::u16string name;
    Protocols::ContactStatusInfo status;
};

// A model holding the largest list once; every run shows a prefix of it.
struct Stage : ClBench::ModelStage {
    std::vector<unsigned int> groups;
    std::vector<unsigned int> metaGroups;
    std::vector<Row> rows;

    Stage() {
        CL::CYol_CLEnvironment::Set(&services, nullptr);

        const CYolString alias(u"CL Alias");
        for (unsigned int account : kAccounts)
            for (int g = 0; g < kGroupsPerAccount; ++g) {
                unsigned int id = model->AddGroup(account);
                model->SetItemString(id, alias, CYolString::FromUtf8("Group " + std::to_string(g)));
                groups.push_back(id);
            }
        for (int m = 0; m < 10; ++m)
            metaGroups.push_back(model->AddMetaGroup(CYolString::FromUtf8("Meta " + std::to_string(m)), 0, false));
        for (int i = 0; i < kMaxContacts; ++i) {
            Row row;
            row.account = kAccounts[i % 3];
            row.group = groups[static_cast<size_t>((i % 3) * kGroupsPerAccount + (i / 3) % kGroupsPerAccount)];
            row.contact = model->AddContact(row.account, row.group);
            // Names in no particular order, as a roster brings them.
            std::string name = "Name " + std::to_string((i * 7919) % 100003);
            model->SetItemString(row.contact, alias, CYolString::FromUtf8(name));
            row.name = CYolString::FromUtf8(name).ToU16();
            row.metaGroup = metaGroups[static_cast<size_t>(i % 10)];
            std::string login = "l";
            login += std::to_string(i);
            row.metaContact = model->AddMetaContact(row.metaGroup, static_cast<unsigned int>(i + 1),
                                                    CYolString::FromUtf8(name), CYolString::FromUtf8(login),
                                                    CYolString(u"Ruv1"));
            row.status.status = i % 3 == 0 ? 2 : 0;
            rows.push_back(std::move(row));
        }
    }
    ~Stage() { CL::CYol_CLEnvironment::Set(nullptr, nullptr); }
};

Stage& TheStage() {
    static Stage stage;
    return stage;
}

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
        for (unsigned int account : kAccounts)
            views->AccountAdded(account);
        for (int g = 0; g < 3 * kGroupsPerAccount; ++g)
            views->GroupAdded(kAccounts[g / kGroupsPerAccount], stage.groups[static_cast<size_t>(g)], true);
        for (unsigned int metaGroup : stage.metaGroups)
            views->MetaGroupAdded(metaGroup, true);
        for (int i = 0; i < contacts; ++i) {
            const Row& row = stage.rows[static_cast<size_t>(i)];
            views->ContactAdded(row.account, row.group, row.contact, row.status);
            views->MetaContactAdded(row.metaGroup, row.metaContact, row.status);
        }
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
