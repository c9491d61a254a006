#include "CLItemRefArrayMap.h"

namespace Protocols {

void CLItemRefArrayMap::Add(const CLItemRef& item) {
    if (CYolArray<CLItemRef>* items = Find(item.key)) {
        items->Add(item);
        return;
    }
    CYolArray<CLItemRef> one;
    one.Add(item);
    Insert(item.key, std::move(one));
}

bool CLItemRefArrayMap::RemoveLast(const CYolString& key) {
    CYolArray<CLItemRef>* items = Find(key);
    if (items == nullptr)
        return false;
    if (items->Count() <= 1)
        return Erase(key);
    items->RemoveAt(items->Count() - 1);
    return true;
}

bool CLItemRefArrayMap::RemoveAt(const CYolString& key, int index) {
    CYolArray<CLItemRef>* items = Find(key);
    if (items == nullptr || index < 0 || index >= items->Count())
        return false;
    if (items->Count() == 1)
        return Erase(key);
    items->RemoveAt(index);
    return true;
}

}  // namespace Protocols
