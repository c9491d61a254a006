#pragma once
// CHistoryController: the message history of contacts and meta contacts.
// Every message sent to or received from a contact is appended to that
// contact's history file; the chat windows load the newest messages of a
// contact, or of all sub-contacts of a meta contact merged by time, and the
// history dialog deletes a contact's history.
//
// The controller keeps nothing between calls but the history folder: names
// come from the contact list and the protocols manager through
// CHistoryContext at every call, and the file's bytes are CHistoryFile's.
// Calls may come from several threads at once; appends to one file are
// serialised by the file lock.

#include "CHistoryContext.h"
#include "CHistoryFile.h"
#include "CTLV.h"
#include "CYolArray.h"
#include "CYolString.h"

class CHistoryController {
public:
    // One message prepared for display.
    struct CHistoryMessageRecord {
        unsigned int direction = 0; // 0 incoming, 1 outgoing
        unsigned int unused = 0;    // not set by the loader
        unsigned int icon = 0;      // 27 incoming, 28 outgoing
        CYolString sender;
        CYolString timeCaption;     // "(" + time + ")"
        CYolString text;
    };

    static constexpr unsigned int kIncomingIcon = 27;
    static constexpr unsigned int kOutgoingIcon = 28;
    // The longest file name the file systems we write to accept, in bytes.
    static constexpr size_t kMaxFileNameBytes = 255;

    // History in the program's "History/" folder.
    explicit CHistoryController(CHistoryContext& context);
    // History in another folder (tests, a second profile).
    CHistoryController(CHistoryContext& context, const CYolString& historyFolder);

    // The full name of the contact's history file; creates the history
    // folder when it is missing.
    CYolString HistoryFilePath(unsigned int contactId) const;

    // 0 written or not wanted; 1 the file cannot be opened; 3 another
    // version; 4 a write failed, or the history folder could not be made
    // or flushed.
    int AppendHistoryMessage(unsigned int contactId, unsigned char thirdByte, unsigned char direction,
                             unsigned char secondByte, unsigned int time, const CYolString& text) const;
    // Appends to `out` the newest maxCount message records (all when 0),
    // oldest first; 0, or 1, 2, 3 as above.
    int LoadHistoryRecords(unsigned int contactId, unsigned int maxCount, CYolArray<CTLVCol>& out) const;
    // The same, converted for display and appended to `out`.
    int LoadContactHistory(unsigned int contactId, unsigned int maxCount,
                           CYolArray<CHistoryMessageRecord>& out) const;
    // The newest maxCount messages of all sub-contacts (all when 0), ordered
    // by time and inserted before what `out` holds, oldest first. Always 0.
    int LoadMetaContactHistory(unsigned int metaContactId, unsigned int maxCount,
                               CYolArray<CHistoryMessageRecord>& out) const;
    // True when the file was deleted.
    bool DeleteHistoryFile(unsigned int contactId) const;

    // The file name (without folder) for the three names. Each name is
    // escaped so that it cannot leave the folder or make an invalid name:
    // "/", "\", ":", "%", "*", "?", '"', "<", ">", "|", control characters
    // and unpaired surrogates become "%XX" per UTF-8 byte (upper-case hex);
    // a name that is "." or ".." has its dots escaped and an empty name
    // becomes "%". Everything else, other scripts included, stays as it is,
    // so P, bob and alice give "P_bob_alice.yhf". A file name that would
    // pass kMaxFileNameBytes is cut between whole characters and escapes and
    // ends in "%~", 16 hex digits of the SHA-1 of the uncut name, and ".yhf";
    // "%~" never occurs in a name that was not cut.
    static CYolString HistoryFileName(const CYolString& protocol, const CYolString& login, const CYolString& contact);

    // Converts one loaded record for display; `alias` is the sender of
    // incoming messages, `ownName` of outgoing ones. A direction other than
    // 0 and 1 leaves direction, icon and sender at their defaults.
    static CHistoryMessageRecord ToMessageRecord(const CTLVCol& tlvs, const CYolString& alias,
                                                 const CYolString& ownName);

private:
    CYolString HistoryFolder() const;
    // HistoryFilePath, telling whether the folder is there and on disk.
    CYolString PrepareFilePath(unsigned int contactId, bool& folderKept) const;
    CYolString ItemString(unsigned int id, const char16_t* name) const;

    CHistoryContext& context;
    CYolString folder; // empty: the program's history folder
};
