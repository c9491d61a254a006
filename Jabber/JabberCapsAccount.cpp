// The account's side of entity capabilities: what a contact's resource can
// do.

#include "XmppCapabilities.h"

uint64_t XmppCapabilities::ResourceFeatures(const CYolString& jid, bool completeResource) {
    const CYolString full = completeResource ? contacts.FullJidForSend(jid) : jid;
    CYolCriticalSection::Guard guard(contacts.Lock());
    ContactRecord* entry = contacts.FindContact(ContactKindRoster, full);
    if (!entry)
        entry = contacts.FindContact(ContactKindStranger, full);
    const int index = entry ? entry->FindResource(JidResource(full)) : -1;
    if (index < 0)
        return kCapsNotKnown;
    const ResourceRecord& resource = entry->resources[static_cast<size_t>(index)];
    return CapsFeatures(cache, resource.capsNode, resource.capsVer, resource.capsExt, resource.learnedFeatures);
}

void XmppCapabilities::StoreAnnounced(const CYolString& from, const XmlNode* caps) {
    ContactRecord* entry = contacts.FindContact(ContactKindRoster, from);
    if (entry == nullptr || caps == nullptr)
        return;
    ResourceRecord* resource = &entry->summary;
    if (JidHasResource(from)) {
        const int at = entry->FindResource(JidResource(from));
        if (at < 0)
            return;
        resource = &entry->resources[static_cast<size_t>(at)];
    }
    auto text = [caps](std::string_view name) {
        const CYolString* value = caps->GetAttr(name);
        return value != nullptr ? *value : CYolString();
    };
    resource->capsNode = text("node");
    resource->capsVer = text("ver");
    resource->capsExt = text("ext");
}
