#pragma once
// The capability rows the plug-in knows: the 35 extended statuses, whose
// position is their id, and the tree of every named capability (the
// extended statuses among them). Both are data fixed at build time; one
// read-only copy serves every account.

#include "CRuvCapabilityTree.h"

#include <string_view>

namespace RuvCapabilityCatalogue {

inline constexpr int kXStatusCount = 35;

// Fills an empty list with the extended statuses in id order (id = index + 1).
void BuildXStatusList(RuvCapabilityList& out);
// Inserts every known capability; false when the tree ran out of memory.
bool BuildCapabilityTree(CRuvCapabilityTree& out);

// The shared, built copies.
const RuvCapabilityList& XStatusList();
const CRuvCapabilityTree& Tree();

// The id (1-35) of the first of `guids` that is an extended status, tried in
// the peer's order; 0 when none is.
int GetXStatusId(const RuvCapabilityList& xStatuses, const RuvCapabilityGuid* guids, size_t count);

// The identifier of a known key; all zero for a key no row has.
RuvCapabilityGuid GuidOf(std::u16string_view key);

// The 16-byte form of a two-byte short capability.
RuvCapabilityGuid FromShort(uint8_t high, uint8_t low);

}  // namespace RuvCapabilityCatalogue
