#pragma once
// XmppCapabilities: what the account knows of its contacts' resources'
// capabilities. It owns the cache of capability entries (seeded with the
// account's own) and reads each resource's announced node, version and
// extensions from the shared contact map. It runs on the account's queue
// thread; the cache locks itself for the plug-in's other readers.

#include "JabberCaps.h"
#include "JabberContacts.h"

class XmppCapabilities {
public:
    explicit XmppCapabilities(CJabberContactMap& contacts) : contacts(contacts) {}

    // Fills the cache with the account's own entries.
    void Seed() { cache.Seed(); }
    // The feature bits of a contact's resource, kCapsNotKnown when the
    // resource is not online. Without `completeResource` the JID must name
    // the resource; with it a bare JID stands for the resource sent to.
    uint64_t ResourceFeatures(const CYolString& jid, bool completeResource);
    // Copies the capabilities a presence announced onto the resource it
    // came from (or the contact's summary, for a JID without resource).
    void StoreAnnounced(const CYolString& from, const XmlNode* caps);

private:
    CJabberContactMap& contacts;
    CCapsCache cache;
};
