#pragma once
// A contact list of 5,000 contacts for the benchmarks of the contact-list
// views and window: three accounts of ten groups each, a third of the
// contacts online, each also a meta contact in one of ten meta groups, with
// captions in a real model; and the view set loaded from it as the model's
// broadcasts would load it.

#include "ClBenchModel.h"
#include "CYol_CLEnvironment.h"
#include "CYol_CLRootItem.h"
#include "ValueNames.h"

#include <string>
#include <utility>
#include <vector>

namespace ClBench {

inline constexpr int kGroupsPerAccount = 10;
inline constexpr int kMaxContacts = 5000;

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

        const CYolString alias(ValueName::Alias);
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

inline Stage& TheStage() {
    static Stage stage;
    return stage;
}

// The first `contacts` rows of the stage shown in all four views.
inline void LoadViews(CL::CYol_CLRootItem& views, const Stage& stage, int contacts) {
    for (unsigned int account : kAccounts)
        views.AccountAdded(account);
    for (int g = 0; g < 3 * kGroupsPerAccount; ++g)
        views.GroupAdded(kAccounts[g / kGroupsPerAccount], stage.groups[static_cast<size_t>(g)], true);
    for (unsigned int metaGroup : stage.metaGroups)
        views.MetaGroupAdded(metaGroup, true);
    for (int i = 0; i < contacts; ++i) {
        const Row& row = stage.rows[static_cast<size_t>(i)];
        views.ContactAdded(row.account, row.group, row.contact, row.status);
        views.MetaContactAdded(row.metaGroup, row.metaContact, row.status);
    }
}

}  // namespace ClBench
