#include "JabberContacts.h"

#include <algorithm>
#include <array>

namespace {

int FindUnit(const CYolString& text, char16_t unit) {
    const char16_t* units = text.c_str();
    for (int i = 0, n = text.Length(); i < n; ++i)
        if (units[i] == unit)
            return i;
    return -1;
}

int BareLength(const CYolString& jid) {
    int slash = FindUnit(jid, u'/');
    return slash < 0 ? jid.Length() : slash;
}

bool EqualIgnoringCase(const char16_t* a, int aLength, const char16_t* b, int bLength) {
    return aLength == bLength && (aLength == 0 || CYolString::Comparei(a, b, aLength) == 0);
}

// Whether the JID's resource goes when it is stored: only an "@" followed
// later by "/" makes a resource of a user's JID; a server or gateway address
// keeps the whole text.
bool HasUserResource(const CYolString& jid) {
    int at = FindUnit(jid, u'@');
    return at >= 0 && jid.Find(at, CYolString(u"/")) > at;
}

bool ComparesFullJid(int kind) { return kind == ContactKindOccupant || kind == ContactKindStranger; }

// A hash of what the first `length` units of a JID compare by: JIDs that
// SameJid (whole) or SameBareJid (bare parts) call equal hash alike. Comparei
// folds each unit and stops at the first one that folds to 0, and equal
// JIDs have equal lengths, so the hash covers the kind, the length and the
// folded units before that one (64-bit FNV-1a).
uint64_t KeyHash(int kind, const CYolString& jid, int length) {
    uint64_t hash = 0xCBF29CE484222325ULL;
    auto mix = [&hash](uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) {
            hash ^= (value >> shift) & 0xFF;
            hash *= 0x100000001B3ULL;
        }
    };
    mix(static_cast<uint32_t>(kind));
    mix(static_cast<uint32_t>(length));
    const char16_t* units = jid.c_str();
    for (int i = 0; i < length; ++i) {
        char16_t folded = CYolString::ToLowerChar(units[i]);
        if (folded == 0)
            break;
        mix(folded);
    }
    return hash;
}

}  // namespace

// --- records -------------------------------------------------------------------

int ContactRecord::FindResource(const CYolString& resourceName) const {
    for (size_t i = 0; i < resources.size(); ++i)
        if (resources[i].name == resourceName)
            return static_cast<int>(i);
    return -1;
}

int ContactRecord::FindResourceIgnoringCase(const CYolString& resourceName) const {
    for (size_t i = 0; i < resources.size(); ++i)
        if (EqualIgnoringCase(resources[i].name.c_str(), resources[i].name.Length(), resourceName.c_str(),
                              resourceName.Length()))
            return static_cast<int>(i);
    return -1;
}

void ContactRecord::ClearResources() {
    resources.clear();
    lastMessageResource = -1;
    chosenResource = -1;
    if (resourceMode == ResourceModeChosen)
        resourceMode = ResourceModeLastMessage;
}

// --- JID helpers -----------------------------------------------------------------

CYolString JidNode(const CYolString& jid) {
    int end = FindUnit(jid, u'@');
    if (end < 0)
        end = FindUnit(jid, u'/');
    return end < 0 ? jid : jid.Substring(0, end);
}

CYolString BareJidCopy(const CYolString& jid) {
    int length = BareLength(jid);
    return length == jid.Length() ? jid : jid.Substring(0, length);
}

CYolString JidResource(const CYolString& jid) {
    int slash = FindUnit(jid, u'/');
    return slash < 0 ? CYolString() : jid.Substring(slash + 1, jid.Length() - slash - 1);
}

bool JidHasResource(const CYolString& jid) { return FindUnit(jid, u'/') >= 0; }

bool SameJid(const CYolString& a, const CYolString& b) {
    return EqualIgnoringCase(a.c_str(), a.Length(), b.c_str(), b.Length());
}

bool SameBareJid(const CYolString& a, const CYolString& b) {
    return EqualIgnoringCase(a.c_str(), BareLength(a), b.c_str(), BareLength(b));
}

Protocols::Status MergeStatus(Protocols::Status a, Protocols::Status b) {
    using namespace Protocols;
    static constexpr std::array<Status, 12> order = {FreeForChat, Online,   Evil, Depression, AtHome,       AtWork,
                                                     DoNotDisturb, Occupied, Away, Lunch,      NotAvailable, Invisible};
    for (Status candidate : order)
        if (candidate == a || candidate == b)
            return candidate;
    return (a != Offline && b != Offline) ? a : Offline;
}

// --- the map --------------------------------------------------------------------

namespace {

// Equal hashes only make candidates: each is checked with the comparison
// the lookup rules name, and the earliest one that passes wins.
template <typename Index, typename Matches, typename Posting = typename Index::mapped_type>
Posting Earliest(const Index& index, uint64_t hash, Matches matches) {
    Posting best{0, nullptr};
    auto [from, to] = index.equal_range(hash);
    for (auto it = from; it != to; ++it)
        if ((best.record == nullptr || it->second.order < best.order) && matches(*it->second.record))
            best = it->second;
    return best;
}

template <typename Index>
void RemovePosting(Index& index, uint64_t hash, uint64_t order) {
    auto [from, to] = index.equal_range(hash);
    for (auto it = from; it != to; ++it)
        if (it->second.order == order) {
            index.erase(it);
            return;
        }
}

}  // namespace

// Every entry is found by its whole JID; all but those of kinds 7 and 8 and
// those marked full-JID key also by their bare JID.
void CJabberContactMap::Index(const Slot& slot, bool add) {
    const ContactRecord& entry = *slot.record;
    const bool bare = !ComparesFullJid(entry.kind) && !entry.fullJidKey;
    const uint64_t fullHash = KeyHash(entry.kind, entry.jid, entry.jid.Length());
    const uint64_t bareHash = KeyHash(entry.kind, entry.jid, BareLength(entry.jid));
    if (add) {
        byFullJid.emplace(fullHash, Posting{slot.order, slot.record.get()});
        if (bare)
            byBareJid.emplace(bareHash, Posting{slot.order, slot.record.get()});
    } else {
        RemovePosting(byFullJid, fullHash, slot.order);
        if (bare)
            RemovePosting(byBareJid, bareHash, slot.order);
    }
}

bool CJabberContactMap::HasRoom(const CYolString& jid) const {
    return Earliest(byBareJid, KeyHash(ContactKindRoom, jid, BareLength(jid)), [&](const ContactRecord& entry) {
               return entry.kind == ContactKindRoom && SameBareJid(entry.jid, jid);
           }).record != nullptr;
}

// Kinds 7 and 8 and, while a room of that bare JID exists, kind 0 compare
// whole JIDs. Otherwise an entry compares as a bare JID, except a kind-0
// entry marked full-JID key, which compares whole; of the two candidates the
// earlier one wins.
CJabberContactMap::Posting CJabberContactMap::Lookup(int kind, const CYolString& jid) const {
    const uint64_t fullHash = KeyHash(kind, jid, jid.Length());
    auto sameWhole = [&](const ContactRecord& entry) { return entry.kind == kind && SameJid(entry.jid, jid); };
    if (ComparesFullJid(kind) || (kind == ContactKindRoster && HasRoom(jid)))
        return Earliest(byFullJid, fullHash, sameWhole);
    Posting bare = Earliest(byBareJid, KeyHash(kind, jid, BareLength(jid)), [&](const ContactRecord& entry) {
        return entry.kind == kind && SameBareJid(entry.jid, jid);
    });
    if (kind != ContactKindRoster)
        return bare;
    Posting keyed = Earliest(byFullJid, fullHash,
                             [&](const ContactRecord& entry) { return entry.fullJidKey && sameWhole(entry); });
    return keyed.record != nullptr && (bare.record == nullptr || keyed.order < bare.order) ? keyed : bare;
}

int CJabberContactMap::PositionOf(uint64_t order) const {
    auto found = std::lower_bound(entries.begin(), entries.end(), order,
                                  [](const Slot& slot, uint64_t wanted) { return slot.order < wanted; });
    return found != entries.end() && found->order == order ? static_cast<int>(found - entries.begin()) : -1;
}

ContactRecord* CJabberContactMap::FindContact(int kind, const CYolString& jid) {
    CYolCriticalSection::Guard hold(section);
    return At(kind, jid);
}

int CJabberContactMap::FindContactIndex(int kind, const CYolString& jid) {
    CYolCriticalSection::Guard hold(section);
    Posting found = Lookup(kind, jid);
    return found.record == nullptr ? 0 : PositionOf(found.order) + 1;
}

ContactRecord* CJabberContactMap::GetContactAt(int index) {
    CYolCriticalSection::Guard hold(section);
    if (index < 0 || static_cast<size_t>(index) >= entries.size())
        return nullptr;
    return entries[static_cast<size_t>(index)].record.get();
}

int CJabberContactMap::Count() {
    CYolCriticalSection::Guard hold(section);
    return static_cast<int>(entries.size());
}

int CJabberContactMap::FindContactByKind(int kind, int start) {
    CYolCriticalSection::Guard hold(section);
    for (size_t i = static_cast<size_t>(std::max(start, 0)); i < entries.size(); ++i)
        if (entries[i].record->kind == kind)
            return static_cast<int>(i);
    return -1;
}

ContactRecord* CJabberContactMap::FindOrAddContact(int kind, const CYolString& jid) {
    CYolCriticalSection::Guard hold(section);
    if (ContactRecord* existing = At(kind, jid))
        return existing;

    auto entry = std::make_unique<ContactRecord>();
    entry->kind = kind;
    bool room = kind == ContactKindRoster && HasRoom(jid);
    bool keepResource = kind == ContactKindStranger || room || !HasUserResource(jid);
    entry->jid = keepResource ? jid : BareJidCopy(jid);
    entry->fullJidKey = room;
    if (kind == ContactKindRoster)
        entry->flags = ContactFlagChatStates;

    entries.push_back(Slot{std::move(entry), nextOrder++});
    Index(entries.back(), true);
    return entries.back().record.get();
}

void CJabberContactMap::RemoveContact(int kind, const CYolString& jid) {
    CYolCriticalSection::Guard hold(section);
    int index = PositionOf(Lookup(kind, jid).order);
    if (index < 0)
        return;
    Index(entries[static_cast<size_t>(index)], false);
    entries.erase(entries.begin() + index);
}

void CJabberContactMap::ClearContacts() {
    CYolCriticalSection::Guard hold(section);
    entries.clear();
    byBareJid.clear();
    byFullJid.clear();
}

bool CJabberContactMap::UpdateResource(int kind, const CYolString& jid, Protocols::Status status,
                                       const CYolString& text, int8_t priority) {
    CYolCriticalSection::Guard hold(section);
    ContactRecord* found = At(kind, jid);
    if (found == nullptr)
        return false;
    ContactRecord& entry = *found;

    if (!JidHasResource(jid)) {
        entry.summary.status = status;
        entry.summary.SetStatusText(text);
        entry.summary.ClearXStatus();
        return false;
    }
    CYolString resourceName = JidResource(jid);
    if (resourceName.IsEmpty())
        return false;

    int at = entry.FindResource(resourceName);
    if (at >= 0) {
        ResourceRecord& resource = entry.resources[static_cast<size_t>(at)];
        resource.status = status;
        resource.SetStatusText(text);
        resource.priority = priority;
        resource.ClearXStatus();
        return false;
    }
    ResourceRecord& added = entry.resources.emplace_back();
    added.name = resourceName;
    added.status = status;
    added.statusText = text;
    added.statusTextChanged = true;
    added.priority = priority;
    return true;
}

void CJabberContactMap::RemoveResource(int kind, const CYolString& jid) {
    CYolCriticalSection::Guard hold(section);
    ContactRecord* found = At(kind, jid);
    if (found == nullptr)
        return;
    ContactRecord& entry = *found;
    int at = entry.FindResourceIgnoringCase(JidResource(jid));
    if (at < 0)
        return;

    // Indices into the array follow the resources that move down, so they
    // never name a resource other than the one they were set for.
    if (entry.lastMessageResource == at)
        entry.lastMessageResource = -1;
    else if (entry.lastMessageResource > at)
        --entry.lastMessageResource;
    if (entry.chosenResource == at) {
        entry.chosenResource = -1;
        if (entry.resourceMode == ResourceModeChosen)
            entry.resourceMode = ResourceModeLastMessage;
    } else if (entry.chosenResource > at) {
        --entry.chosenResource;
    }
    entry.resources.erase(entry.resources.begin() + at);
}

CYolString CJabberContactMap::BestResource(const CYolString& jid) {
    CYolCriticalSection::Guard hold(section);
    const ContactRecord* found = At(ContactKindRoster, jid);
    if (found == nullptr)
        return CYolString();
    const ContactRecord& entry = *found;
    const auto& resources = entry.resources;
    int count = static_cast<int>(resources.size());
    if (count == 0)
        return CYolString();
    if (count == 1)
        return resources[0].name;

    auto valid = [count](int at) { return at >= 0 && at < count; };
    int pick = -1;
    if (entry.resourceMode == ResourceModeLastMessage && valid(entry.lastMessageResource)) {
        pick = entry.lastMessageResource;
    } else if (entry.resourceMode == ResourceModeChosen && valid(entry.chosenResource)) {
        pick = entry.chosenResource;
    } else {
        int best = -200;
        for (int i = 0; i < count; ++i)
            if (resources[static_cast<size_t>(i)].priority > best) {
                best = resources[static_cast<size_t>(i)].priority;
                pick = i;
            }
    }
    if (pick < 0 || resources[static_cast<size_t>(pick)].name.IsEmpty())
        return resources[0].name;
    return resources[static_cast<size_t>(pick)].name;
}

CYolString CJabberContactMap::FullJidForSend(const CYolString& jid) {
    if (JidHasResource(jid))
        return jid;
    CYolString resource = BestResource(jid);
    if (resource.IsEmpty())
        return jid;
    return jid + u"/" + resource;
}
