#pragma once
// Protocols::CLItemRefArrayMap: every contact-list item that shares a key (a
// login or a group name), as the accounts match the server's list against
// the contact-list service's items. A key stays in the map only while it has
// at least one item.

#include "CYolArray.h"
#include "CYolMap.h"
#include "CYolString.h"
#include "ProtocolRecords.h"

namespace Protocols {

class CLItemRefArrayMap : public CYolMap<CYolString, CYolArray<CLItemRef>> {
public:
    // Appends the item to the array under its own key, or enters the key with
    // a one-item array.
    void Add(const CLItemRef& item);
    // Removes the key's last item; false when the key is absent.
    bool RemoveLast(const CYolString& key);
    // Removes the key's item at `index`, later ones moving down; false when
    // the key is absent or has no such item.
    bool RemoveAt(const CYolString& key, int index);
};

}  // namespace Protocols
