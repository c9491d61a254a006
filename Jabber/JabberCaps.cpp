#include "JabberCaps.h"

#include "JabberNamespaces.h"

#include <algorithm>
#include <new>

const JabberFeature kJabberFeatures[kJabberFeatureCount] = {
    {JabberNs::DiscoInfo, "Supports Service Discovery info"},
    {JabberNs::DiscoItems, "Supports Service Discovery items list"},
    {JabberNs::Caps, "Can inform about its Jabber capabilities"},
    {JabberNs::Si, "Supports stream initiation (for filetransfers for ex.)"},
    {"http://jabber.org/protocol/si/profile/file-transfer", "Supports stream initiation for file transfers"},
    {JabberNs::Bytestreams, "Supports file transfers via SOCKS5 Bytestreams"},
    {JabberNs::Ibb, "Supports file transfers via In-Band Bytestreams"},
    {"jabber:iq:oob", "Supports file transfers via Out-of-Band Bytestreams"},
    {"http://jabber.org/protocol/commands", "Supports execution of Ad-Hoc commands"},
    {"jabber:iq:register", "Supports in-band registration"},
    {"http://jabber.org/protocol/muc", "Supports multi-user chat"},
    {JabberNs::ChatStates, "Can report chat state in a chat session"},
    {"jabber:iq:last", "Can report information about the last activity of the user"},
    {JabberNs::Version, "Can report own version information"},
    {"urn:xmpp:time", "Can report local time of the user"},
    {JabberNs::Ping, "Can send and receive ping requests"},
    {"jabber:x:data", "Supports data forms"},
    {JabberNs::Event,
     "Can request and respond to events relating to the delivery, display, and composition of messages"},
    {JabberNs::VCard, "Supports vCard"},
    {"jabber:iq:avatar", "Supports iq-based avatars"},
    {"http://jabber.org/protocol/xhtml-im", "Supports xHTML formatting of chat messages"},
    {"jabber:iq:agents", "Supports Jabber Browsing"},
    {"jabber:iq:browse", "Supports Jabber Browsing"},
    {"http://jabber.org/protocol/feature-neg", "Can negotiate options for specific features"},
    {"http://jabber.org/protocol/amp", "Can request advanced processing of message stanzas"},
    {"http://jabber.org/protocol/mood", "Can report information about user moods"},
    {"http://jabber.org/protocol/mood+notify", "Receives information about user moods"},
    {"http://jabber.org/protocol/pubsub", "Supports generic publish-subscribe functionality"},
    {"http://miranda-im.org/caps/secureim", "Supports SecureIM plugin for Miranda IM"},
    {"jabber:iq:privacy", "Can block communications from particular other users using Privacy lists"},
    {JabberNs::Receipts, "Supports Message Receipts"},
    {"http://jabber.org/protocol/tune", "Can report information about the music to which a user is listening"},
    {"http://jabber.org/protocol/tune+notify", "Receives information about the music to which a user is listening"},
    {"jabber:iq:private", "Supports private XML Storage (for bookmakrs and other)"},
    {"urn:xmpp:attention:0", "Supports attention requests ('nudge')"},
};

std::vector<const char*> FeatureNamespaces(uint64_t features) {
    std::vector<const char*> out;
    for (int row = 0; row < kJabberFeatureCount; ++row)
        if (features & FeatureFlag(row))
            out.push_back(kJabberFeatures[row].xmlns);
    return out;
}

bool OwnCapsFeaturesForNode(const CYolString* node, uint64_t& features) {
    if (!node || node->IsEmpty()) {
        features = OwnFeatures();
        return true;
    }
    const CYolString prefix = CYolString::FromUtf8(kOwnCapsNode) + u"#";
    if (node->Length() <= prefix.Length() || node->Substring(0, prefix.Length()) != prefix)
        return false;
    const CYolString name = node->Substring(prefix.Length(), node->Length() - prefix.Length());
    for (const CapsExtRow& row : OwnCapsExtRows()) {
        if (name == row.name) {
            features = row.features;
            return true;
        }
    }
    return false;
}

CYolString OwnCapsVer() { return CYolString::FromUtf8(kOsName) + CYolString(kProgramVersion, false); }

std::vector<CapsExtRow> OwnCapsExtRows() {
    const uint64_t own = OwnFeatures();
    std::vector<CapsExtRow> rows = {
        {u"cmds", own & FeatureFlag(FeatureCommands)},
        {OwnCapsVer(), own & ~FeatureFlag(FeatureCommands)},
    };
    std::erase_if(rows, [](const CapsExtRow& row) { return row.features == 0; });
    return rows;
}

XmlNode BuildDiscoInfoResult(const CYolString* id, const CYolString* to, const CYolString* node,
                             uint64_t features) {
    XmlNode iq = MakeIqReply("result", id, to);
    XmlNode& query = iq.AddQuery(JabberNs::DiscoInfo);
    if (node)
        query.SetAttr("node", *node);
    XmlNode& identity = query.AddChild("identity");
    identity.SetAttrNarrow("category", "client");
    identity.SetAttrNarrow("type", "pda");
    identity.SetAttrNarrow("name", std::string("Yol PDA ") + kOsName);
    for (const char* xmlns : FeatureNamespaces(features))
        query.AddChild("feature").SetAttrNarrow("var", xmlns);
    return iq;
}

// ---- CCapsCache -----------------------------------------------------------

void CCapsCache::Seed() {
    const CYolString node = CYolString::FromUtf8(kOwnCapsNode);
    Store(node, OwnCapsVer(), OwnFeatures(), ~uint64_t{0});
    for (const CapsExtRow& row : OwnCapsExtRows())
        Store(node, row.name, row.features, ~uint64_t{0});
}

uint64_t CCapsCache::Lookup(const CYolString& node, const CYolString& name) const {
    CYolCriticalSection::Guard guard(lock);
    for (const Node& at : nodes) {
        if (at.node != node)
            continue;
        for (const Entry& entry : at.entries)
            if (entry.name == name)
                return entry.value;
        return kCapsNotKnown;
    }
    return kCapsNotKnown;
}

int CCapsCache::Store(const CYolString& node, const CYolString& name, uint64_t value, uint64_t second) {
    CYolCriticalSection::Guard guard(lock);
    try {
        auto at = std::find_if(nodes.begin(), nodes.end(), [&](const Node& n) { return n.node == node; });
        if (at == nodes.end()) {
            if (nodes.size() >= kMaxNodes)
                return 0;
            at = nodes.insert(nodes.begin(), Node{node, {}});
        }
        for (Entry& entry : at->entries) {
            if (entry.name == name) {
                entry.value = value;
                entry.second = second;
                return 1;
            }
        }
        if (at->entries.size() >= kMaxEntriesPerNode)
            return 0;
        at->entries.insert(at->entries.begin(), Entry{name, value, second});
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

void CCapsCache::Clear() {
    CYolCriticalSection::Guard guard(lock);
    nodes.clear();
}

uint64_t CapsFeatures(const CCapsCache& cache, const CYolString& node, const CYolString& ver,
                      const CYolString& ext, uint64_t learned) {
    if (node.IsEmpty() || ver.IsEmpty())
        return 0;
    uint64_t value = cache.Lookup(node, ver);
    if (value == kCapsNotKnown)
        value = 0;
    const char16_t* text = ext.c_str();
    const int length = ext.Length();
    for (int start = 0; start < length;) {
        int end = start;
        while (end < length && text[end] != u' ')
            ++end;
        if (end > start) {
            const uint64_t part = cache.Lookup(node, CYolString(text + start, end - start));
            if (part != kCapsNotKnown)
                value |= part;
        }
        start = end + 1;
    }
    return value | learned;
}
