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

bool CJabberContactMap::HasRoom(const CYolString& jid) {
    for (const auto& entry : entries)
        if (entry->kind == ContactKindRoom && SameBareJid(entry->jid, jid))
            return true;
    return false;
}

int CJabberContactMap::IndexOf(int kind, const CYolString& jid) {
    bool keyIsFull = ComparesFullJid(kind) || (kind == ContactKindRoster && HasRoom(jid));
    for (size_t i = 0; i < entries.size(); ++i) {
        const ContactRecord& entry = *entries[i];
        if (entry.kind != kind)
            continue;
        bool full = keyIsFull || (kind == ContactKindRoster && entry.fullJidKey);
        if (full ? SameJid(entry.jid, jid) : SameBareJid(entry.jid, jid))
            return static_cast<int>(i);
    }
    return -1;
}

ContactRecord* CJabberContactMap::FindContact(int kind, const CYolString& jid) {
    CYolCriticalSection::Guard hold(section);
    int index = IndexOf(kind, jid);
    return index < 0 ? nullptr : entries[static_cast<size_t>(index)].get();
}

int CJabberContactMap::FindContactIndex(int kind, const CYolString& jid) {
    CYolCriticalSection::Guard hold(section);
    return IndexOf(kind, jid) + 1;
}

ContactRecord* CJabberContactMap::GetContactAt(int index) {
    CYolCriticalSection::Guard hold(section);
    if (index < 0 || static_cast<size_t>(index) >= entries.size())
        return nullptr;
    return entries[static_cast<size_t>(index)].get();
}

int CJabberContactMap::Count() {
    CYolCriticalSection::Guard hold(section);
    return static_cast<int>(entries.size());
}

int CJabberContactMap::FindContactByKind(int kind, int start) {
    CYolCriticalSection::Guard hold(section);
    for (size_t i = static_cast<size_t>(std::max(start, 0)); i < entries.size(); ++i)
        if (entries[i]->kind == kind)
            return static_cast<int>(i);
    return -1;
}

ContactRecord* CJabberContactMap::FindOrAddContact(int kind, const CYolString& jid) {
    CYolCriticalSection::Guard hold(section);
    int index = IndexOf(kind, jid);
    if (index >= 0)
        return entries[static_cast<size_t>(index)].get();

    auto entry = std::make_unique<ContactRecord>();
    entry->kind = kind;
    bool room = kind == ContactKindRoster && HasRoom(jid);
    bool keepResource = kind == ContactKindStranger || room || !HasUserResource(jid);
    entry->jid = keepResource ? jid : BareJidCopy(jid);
    entry->fullJidKey = room;
    if (kind == ContactKindRoster)
        entry->flags = ContactFlagChatStates;
    entries.push_back(std::move(entry));
    return entries.back().get();
}

void CJabberContactMap::RemoveContact(int kind, const CYolString& jid) {
    CYolCriticalSection::Guard hold(section);
    int index = IndexOf(kind, jid);
    if (index >= 0)
        entries.erase(entries.begin() + index);
}

void CJabberContactMap::ClearContacts() {
    CYolCriticalSection::Guard hold(section);
    entries.clear();
}

bool CJabberContactMap::UpdateResource(int kind, const CYolString& jid, Protocols::Status status,
                                       const CYolString& text, int8_t priority) {
    CYolCriticalSection::Guard hold(section);
    int index = IndexOf(kind, jid);
    if (index < 0)
        return false;
    ContactRecord& entry = *entries[static_cast<size_t>(index)];

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
    int index = IndexOf(kind, jid);
    if (index < 0)
        return;
    ContactRecord& entry = *entries[static_cast<size_t>(index)];
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
    int index = IndexOf(ContactKindRoster, jid);
    if (index < 0)
        return CYolString();
    const ContactRecord& entry = *entries[static_cast<size_t>(index)];
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
