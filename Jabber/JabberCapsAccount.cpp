// The account's side of entity capabilities: what a contact's resource can
// do.

#include "CJabberAccount.h"

uint64_t CJabberAccount::GetResourceFeatures(const CYolString& jid, bool completeResource) {
    const CYolString full = completeResource ? contacts.FullJidForSend(jid) : jid;
    CYolCriticalSection::Guard guard(contacts.Lock());
    ContactRecord* entry = contacts.FindContact(ContactKindRoster, full);
    if (!entry)
        entry = contacts.FindContact(ContactKindStranger, full);
    const int index = entry ? entry->FindResource(JidResource(full)) : -1;
    if (index < 0)
        return kCapsNotKnown;
    const ResourceRecord& resource = entry->resources[static_cast<size_t>(index)];
    return CapsFeatures(caps, resource.capsNode, resource.capsVer, resource.capsExt, resource.learnedFeatures);
}
