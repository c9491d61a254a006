#include "CYol_CLRowBlocks.h"

#include "CYol_CLItemKinds.h"

namespace CL {

namespace {
constexpr int kRunSize = 32;

// The kinds of row the order tells apart: unread events first, then the
// status class (0 offline, 1 connecting, 2 online).
int StatusClass(const CYol_CLContactItem& row) { return row.status.status == 0 ? 0 : row.status.status == 1 ? 1 : 2; }
int Kind(const CYol_CLContactItem& row) { return (row.pending.Count() > 0 ? 3 : 0) + StatusClass(row); }
}  // namespace

struct CYol_CLRowBlocks::Run {
    CYol_CLContactItem* first = nullptr;
    int count = 0;
    bool dirty = true;
    bool any[6] = {};
    CYolString greatest[6];
};

CYol_CLRowBlocks::CYol_CLRowBlocks() = default;
CYol_CLRowBlocks::~CYol_CLRowBlocks() = default;

size_t CYol_CLRowBlocks::IndexOf(const Run* run) const {
    for (size_t i = 0; i < runs.size(); ++i)
        if (runs[i].get() == run)
            return i;
    return runs.size();
}

void CYol_CLRowBlocks::Refresh(Run& run) {
    if (!run.dirty)
        return;
    for (int kind = 0; kind < 6; ++kind) {
        run.any[kind] = false;
        run.greatest[kind] = CYolString();
    }
    CYol_CLItem* item = run.first;
    for (int i = 0; i < run.count && item != nullptr; ++i, item = item->next) {
        const auto& row = static_cast<const CYol_CLContactItem&>(*item);
        int kind = Kind(row);
        if (!run.any[kind] || run.greatest[kind].Compare(row.name) < 0)
            run.greatest[kind] = row.name;
        run.any[kind] = true;
    }
    run.dirty = false;
}

CYol_CLItem* CYol_CLRowBlocks::SortedPlace(const CYol_CLContactItem& row) {
    bool pending = row.pending.Count() > 0;
    int status = StatusClass(row);
    for (const std::unique_ptr<Run>& run : runs) {
        Refresh(*run);
        // Does the run hold a sibling the row compares below?
        bool holds = pending && (run->any[0] || run->any[1] || run->any[2]);
        int base = pending ? 3 : 0;
        for (int cls = 0; cls < 3 && !holds; ++cls) {
            if (!run->any[base + cls])
                continue;
            if (status == 2 && cls == 0)
                holds = true;
            else if (!(status == 0 && cls == 2))
                holds = row.name.Compare(run->greatest[base + cls]) < 0;
        }
        if (!holds)
            continue;
        CYol_CLItem* item = run->first;
        for (int i = 0; i < run->count && item != nullptr; ++i, item = item->next)
            if (row.Compare(*item) < 0)
                return item;
    }
    return nullptr;
}

CYol_CLContactItem* CYol_CLRowBlocks::Find(unsigned int modelId) const {
    auto it = byId.find(modelId);
    return it != byId.end() ? it->second : nullptr;
}

void CYol_CLRowBlocks::Linked(CYol_CLContactItem& row) {
    byId[row.modelId] = &row;
    auto* next = static_cast<CYol_CLContactItem*>(row.next);
    auto* prev = static_cast<CYol_CLContactItem*>(row.prev);
    Run* run = next != nullptr ? next->run : prev != nullptr ? prev->run : nullptr;
    if (run == nullptr) {
        runs.push_back(std::make_unique<Run>());
        run = runs.back().get();
    }
    if (run->first == nullptr || run->first == next)
        run->first = &row;
    row.run = run;
    ++run->count;
    run->dirty = true;
    if (run->count > 2 * kRunSize)
        Split(IndexOf(run));
}

void CYol_CLRowBlocks::Split(size_t index) {
    Run& run = *runs[index];
    auto second = std::make_unique<Run>();
    CYol_CLItem* item = run.first;
    for (int i = 0; i < kRunSize; ++i)
        item = item->next;
    second->first = static_cast<CYol_CLContactItem*>(item);
    second->count = run.count - kRunSize;
    run.count = kRunSize;
    run.dirty = true;
    for (int i = 0; i < second->count; ++i, item = item->next)
        static_cast<CYol_CLContactItem*>(item)->run = second.get();
    runs.insert(runs.begin() + static_cast<std::ptrdiff_t>(index) + 1, std::move(second));
}

void CYol_CLRowBlocks::Unlinking(CYol_CLContactItem& row) {
    byId.erase(row.modelId);
    Run* run = row.run;
    row.run = nullptr;
    if (run == nullptr)
        return;
    --run->count;
    run->dirty = true;
    if (run->first == &row) {
        auto* next = static_cast<CYol_CLContactItem*>(row.next);
        run->first = next != nullptr && next->run == run ? next : nullptr;
    }
    if (run->count == 0)
        runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(IndexOf(run)));
}

void CYol_CLRowBlocks::KeyChanged(CYol_CLContactItem& row) {
    if (row.run != nullptr)
        row.run->dirty = true;
}

}  // namespace CL
