// "CL data" parsing on arbitrary bytes. The first byte gives the length of the
// account text that follows it; the rest is the blob. An account list that
// reads builds into a blob that reads back with the same shape and builds
// into the same bytes again.

#include "FuzzSupport.h"
#include "CContactListCache.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

using CL::CachedAccountList;
using CL::CachedListItem;
using CL::CContactListCache;

namespace {


bool SameShape(const CYolArray<CachedListItem>& a, const CYolArray<CachedListItem>& b) {
    if (a.Count() != b.Count())
        return false;
    for (int i = 0; i < a.Count(); ++i) {
        if (a[i].isGroup != b[i].isGroup || a[i].contacts.Count() != b[i].contacts.Count())
            return false;
    }
    return true;
}

CAutoBuf BuildOne(const CYolString& text, const CYolArray<CachedListItem>& items) {
    CYolArray<CachedAccountList> accounts;
    CachedAccountList account;
    account.accountText = text;
    account.items = items;
    accounts.Add(account);
    CAutoBuf out;
    Fuzz::Check(CContactListCache::BuildContactListData(accounts, out));
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    size_t textLength = data[0] < size - 1 ? data[0] : size - 1;
    CYolString text(reinterpret_cast<const char*>(data + 1), int(textLength), YOL_CP_UTF8);
    const uint8_t* blob = data + 1 + textLength;
    size_t blobSize = size - 1 - textLength;

    CYolArray<CachedListItem> items;
    bool read = CContactListCache::ParseAccountList(blob, blobSize, text, items);
    if (!read) {
        Fuzz::Check(items.Count() == 0);
        return 0;
    }

    CAutoBuf built = BuildOne(text, items);
    CYolArray<CachedListItem> back;
    Fuzz::Check(CContactListCache::ParseAccountList(built.Data(), size_t(built.Length()), text, back));
    Fuzz::Check(SameShape(items, back));
    CAutoBuf again = BuildOne(text, back);
    Fuzz::Check(again.Length() == built.Length() &&
          std::memcmp(again.Data(), built.Data(), size_t(built.Length())) == 0);
    return 0;
}
