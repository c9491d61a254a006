#pragma once
// CL::CContactListCache: the byte forms of the contact-list caches kept in the
// settings database (section ContactListGuid), built from and parsed into the
// plain records below. The model gathers and applies the records; nothing
// here touches the model, the database or a lock.
//
// "CL data": packed records (CRecord.h: name length byte, UTF-8 name, 32-bit
// little-endian data length, data) nested three deep:
//   top list      one field per account, named with the account text
//   account list  "Group" fields (data: a group list), then "Contact" fields
//                 (data: the values of a contact outside groups)
//   group list    "Group settings" first (data: the group's values), then one
//                 "Contact" field per contact of the group
// Reading an account list tells a group from a contact by the presence of a
// "Group settings" field, whatever the field's own name.
//
// "MetaCL data": the meta-contact records, the 32 marker bytes, then the name
// of every meta group but the default one, each followed by "\r\n". A record,
// all numbers big-endian, strings UTF-8 without terminator:
//   R(4) 01 0004 number(4) 02 A(2) group-name 03 B(2) name 04 S(4) entries
// where each entry is 01 L1(2) login 02 L2(2) accountKey, S is the entries'
// total size and R = A + B + S + 18 counts the bytes after R itself.
//
// "Metagroup data": one line per meta group with a "Group opened" byte, the
// default meta group (empty name) included: name, tab, the byte in decimal,
// line feed.

#include "CAutoBuf.h"
#include "CRecord.h"
#include "CYolArray.h"
#include "CYolString.h"

#include <cstddef>

namespace CL {

// The named values of one group or contact, in their order.
using CacheValues = CYolArray<Database::CRecord>;

// One field of an account list: a group with its contacts, or a contact
// outside groups.
struct CachedListItem {
    bool isGroup = false;
    CacheValues values;              // the group's or the contact's values
    CYolArray<CacheValues> contacts;  // a group's contacts; empty for a contact
};

struct CachedAccountList {
    CYolString accountText;  // protocol GUID text followed by the login
    CYolArray<CachedListItem> items;
};

struct MetaSubContactEntry {
    CYolString login;
    CYolString accountKey;  // the account's "SrvFileName"
};

struct MetaContactRecord {
    unsigned int number = 0;
    CYolString metaGroupName;
    CYolString name;
    CYolArray<MetaSubContactEntry> subContacts;
    // Parsing only: the index in MetaListData::metaGroupNames of the meta
    // group this record names, or -1 when the list holds no such meta group
    // (no meta contact is to be made of it then).
    int metaGroupIndex = -1;
};

struct MetaListData {
    // In file order. Building writes these as they are; the model supplies
    // the meta contacts of every meta group but the default one.
    CYolArray<MetaContactRecord> metaContacts;
    // The meta groups other than the default one, in file order.
    CYolArray<CYolString> metaGroupNames;
    // Parsing only: false when a record ran past its bounds; reading stopped
    // there and metaContacts holds the whole records before it.
    bool recordsIntact = true;
};

struct MetaGroupOpenedLine {
    CYolString name;  // empty for the default meta group
    unsigned char opened = 0;
};

class CContactListCache {
public:
    static constexpr char kMetaListMarker[] = "F088BADFAD5545C48FC99C21CC4A7353";
    static constexpr int kMetaListMarkerLength = 32;

    // --- "CL data" -----------------------------------------------------
    // The whole blob, accounts in the order given. What the format cannot
    // hold is left out, never written half: an account whose text is over
    // 255 UTF-8 bytes, a value whose name is, and a value named "Group
    // settings" of a contact outside groups (it would read back as a group).
    // False, `out` empty, when the blob would pass 2 GB.
    static bool BuildContactListData(const CYolArray<CachedAccountList>& accounts, CAutoBuf& out);
    // The list of the account named `accountText` (matched byte for byte in
    // UTF-8). The first whole field of that name counts; a damaged top list
    // is read up to the damage, as the settings file is. The account's own
    // list must be whole at every level: any length past its bounds, stray
    // bytes or a truncated value fail it. False, `items` empty, when there is
    // no such field or its list is damaged; true with no items for an empty
    // list.
    static bool ParseAccountList(const unsigned char* data, size_t size, const CYolString& accountText,
                                 CYolArray<CachedListItem>& items);

    // --- "MetaCL data" -------------------------------------------------
    // Records, marker and name lines. A meta group name's "\r\n" (which would
    // split its line in two) is written as one blank, in its line and in the
    // records that name it, so the group comes back under that name with its
    // meta contacts. Left out, and counted in `leftOut`: a record whose
    // names cannot be stored (over 65535 UTF-8 bytes) or whose bytes would
    // hold the marker (a name containing it: the reader would take the
    // records to end there); a sub-contact entry whose login or account key
    // is over 65535 bytes. False, `out` empty, past 2 GB.
    static bool BuildMetaList(const MetaListData& list, CAutoBuf& out, int* leftOut = nullptr);
    // False, `out` empty, when size is 0 or there is no marker. Otherwise the
    // meta groups are the non-empty pieces after the marker that end in
    // "\r\n" (bytes after the last one are ignored), names told apart with
    // case folded, as the model tells meta groups apart; and the records are
    // read up to the marker, each bounded by its own length, with
    // metaGroupIndex naming its meta group (again case-folded). A length
    // past its record or past the marker stops the reading (recordsIntact
    // false) with no part of that record kept. Nothing is allocated beyond
    // what the input holds.
    static bool ParseMetaList(const unsigned char* data, size_t size, MetaListData& out);

    // --- "Metagroup data" ----------------------------------------------
    // Empty when there are no lines (the model then writes nothing). The line
    // of a name holding a tab or a line feed is left out: it could not be
    // read back.
    static CYolString BuildMetagroupData(const CYolArray<MetaGroupOpenedLine>& lines);
    // Every line ended by a line feed whose first tab comes before it and
    // whose value is a decimal number 0-255; other lines are skipped.
    static void ParseMetagroupData(const CYolString& text, CYolArray<MetaGroupOpenedLine>& lines);
};

}  // namespace CL
