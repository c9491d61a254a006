#pragma once
// CL::CYol_CLRowBlocks: an index over the contact rows of one parent (a
// group, meta group or status header) that finds the sorted place of a new
// row, and a row by its model id, without walking every sibling.
//
// The rows stay in their linked list; the index cuts that list into runs of
// a few dozen rows and keeps, per run and per kind of row (with or without
// unread events; offline, connecting or online), the greatest name. A new
// row goes before the first sibling it compares below; the summaries tell
// which run holds that sibling, so only that run is walked row by row, and
// the place found is the one the plain walk from the first child finds,
// ties and all.

#include "CYolString.h"

#include <memory>
#include <unordered_map>
#include <vector>

namespace CL {

class CYol_CLItem;
class CYol_CLContactItem;

class CYol_CLRowBlocks {
public:
    CYol_CLRowBlocks();
    ~CYol_CLRowBlocks();
    CYol_CLRowBlocks(const CYol_CLRowBlocks&) = delete;
    CYol_CLRowBlocks& operator=(const CYol_CLRowBlocks&) = delete;

    // The sibling the row goes before, null for the end.
    CYol_CLItem* SortedPlace(const CYol_CLContactItem& row);
    CYol_CLContactItem* Find(unsigned int modelId) const;

    // Kept in step with the parent's list.
    void Linked(CYol_CLContactItem& row);
    void Unlinking(CYol_CLContactItem& row);
    // The row's name changed while it kept its place.
    void KeyChanged(CYol_CLContactItem& row);

    struct Run;

private:
    void Split(size_t index);
    void Refresh(Run& run);
    size_t IndexOf(const Run* run) const;

    std::vector<std::unique_ptr<Run>> runs;
    std::unordered_map<unsigned int, CYol_CLContactItem*> byId;
};

}  // namespace CL
