// A group's row index finds the same sorted place as the plain walk over
// every sibling, whatever mix of statuses, unread events, equal names and
// renamed rows the group holds: the same script of inserts, status changes,
// unread events, renames and removals is run on a group and on a parent
// that walks its children one by one, and the orders must agree throughout.

#include "ViewTestSupport.h"

#include <random>

namespace ViewTest {
namespace {

using CL::CYol_CLContactItem;
using CL::CYol_CLItem;

// Row i of either tree stands for the same contact.
struct Twin {
    CYol_CLContactItem* indexed = nullptr;
    CYol_CLContactItem* walked = nullptr;
};

std::string Order(const CYol_CLItem& parent) {
    std::string out;
    for (const CYol_CLItem* item = parent.firstChild; item != nullptr; item = item->next)
        out += std::to_string(static_cast<const CYol_CLContactItem*>(item)->modelId) + " ";
    return out;
}

TEST(RowIndexTest, FindsThePlacesThePlainWalkFinds) {
    std::mt19937 random(20261211);
    const char* names[] = {"al", "Al", "bo", "BOB", "b", "cy", "Cy", "zed", "", "al "};
    CL::CYol_CLGroupItem group(1, 1);
    CL::CYol_CLGroupViewItem plain;
    std::vector<Twin> rows;
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned int>(n)); };
    for (int step = 0; step < 4000; ++step) {
        int action = rows.empty() ? 0 : pick(6);
        if (action <= 1) {
            Protocols::ContactStatusInfo status = ClTest::Status(static_cast<unsigned int>(pick(4)));
            Twin twin;
            unsigned int id = static_cast<unsigned int>(step + 1);
            twin.indexed = new CYol_CLContactItem(id, status, false);
            twin.walked = new CYol_CLContactItem(id, status, false);
            twin.indexed->name = twin.walked->name = CYolString::FromUtf8(names[pick(10)]);
            twin.indexed->InsertInto(&group, -1);
            twin.walked->InsertInto(&plain, -1);
            rows.push_back(twin);
        } else {
            size_t index = static_cast<size_t>(pick(static_cast<int>(rows.size())));
            Twin& twin = rows[index];
            if (action == 2) {
                Protocols::ContactStatusInfo status = ClTest::Status(static_cast<unsigned int>(pick(4)));
                twin.indexed->SetStatus(status);
                twin.walked->SetStatus(status);
            } else if (action == 3) {
                Protocols::MessageInfo message;
                message.messageId = static_cast<unsigned int>(step);
                twin.indexed->AddPending(message);
                twin.walked->AddPending(message);
            } else if (action == 4) {
                // A rename keeps the row in place; the order it breaks is
                // the one both walks see.
                CYolString name = CYolString::FromUtf8(names[pick(10)]);
                twin.indexed->name = twin.walked->name = name;
                group.ChildKeyChanged(*twin.indexed);
                if (pick(2) == 0) {
                    twin.indexed->RemovePending(static_cast<unsigned int>(-1));
                    twin.walked->RemovePending(static_cast<unsigned int>(-1));
                }
            } else {
                twin.indexed->Remove();
                twin.walked->Remove();
                rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(index));
            }
        }
        ASSERT_EQ(Order(group), Order(plain)) << "after step " << step;
    }
    ASSERT_GT(rows.size(), 200u);
    for (const Twin& twin : rows)
        EXPECT_EQ(group.FindRow(twin.indexed->modelId), twin.indexed);
}

}  // namespace
}  // namespace ViewTest
