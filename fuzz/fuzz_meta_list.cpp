// "MetaCL data" parsing on arbitrary bytes: records bounded by their lengths,
// group indexes in range, and what was read builds into bytes that read back
// whole and build into the same bytes again.

#include "FuzzSupport.h"
#include "CContactListCache.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

using CL::CContactListCache;
using CL::MetaListData;

namespace {


void CheckIndexes(const MetaListData& list) {
    for (const CL::MetaContactRecord& record : list.metaContacts)
        Fuzz::Check(record.metaGroupIndex >= -1 && record.metaGroupIndex < list.metaGroupNames.Count());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MetaListData list;
    bool read = CContactListCache::ParseMetaList(data, size, list);
    CheckIndexes(list);
    if (!read) {
        Fuzz::Check(list.metaContacts.Count() == 0 && list.metaGroupNames.Count() == 0);
        return 0;
    }

    CAutoBuf built;
    int leftOut = 0;
    Fuzz::Check(CContactListCache::BuildMetaList(list, built, &leftOut));
    MetaListData back;
    Fuzz::Check(CContactListCache::ParseMetaList(built.Data(), size_t(built.Length()), back));
    Fuzz::Check(back.recordsIntact);
    CheckIndexes(back);
    Fuzz::Check(back.metaContacts.Count() <= list.metaContacts.Count() &&
          back.metaContacts.Count() >= list.metaContacts.Count() - leftOut);
    Fuzz::Check(back.metaGroupNames.Count() == list.metaGroupNames.Count());

    CAutoBuf again;
    int leftOutAgain = -1;
    Fuzz::Check(CContactListCache::BuildMetaList(back, again, &leftOutAgain));
    Fuzz::Check(leftOutAgain == 0 && again.Length() == built.Length() &&
          std::memcmp(again.Data(), built.Data(), size_t(built.Length())) == 0);
    return 0;
}
