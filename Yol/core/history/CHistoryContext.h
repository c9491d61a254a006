#pragma once
// What the history store asks of the rest of the program. The history
// controller keeps no state of its own: the contact list names the contact
// and tells its membership, the protocols manager names the account, the
// preferences say whether history is kept and the chat-window controller
// knows the user's own name. The contact-list model and the protocols
// manager provide the real implementation; the tests use a small fake.
//
// Every call may come from any thread that appends or loads history.

#include "CYolArray.h"
#include "CYolString.h"

class CHistoryContext {
public:
    virtual ~CHistoryContext() = default;

    // --- contact list ----------------------------------------------------
    // The account a contact belongs to; 0 for an unknown item.
    virtual unsigned int GetItemAccount(unsigned int id) = 0;
    // A string value of an item ("SrvLogName", "CL Alias"); false, out
    // untouched, when the item or the value is missing.
    virtual bool GetItemString(unsigned int id, const CYolString& name, CYolString& out) = 0;
    // The group of a contact or the meta group of a meta contact; 0 for none.
    virtual unsigned int GetParentId(unsigned int id) = 0;
    // Appends the ids of the meta contact's resolved sub-contacts, in order.
    virtual void GetMetaSubContacts(unsigned int metaContactId, CYolArray<unsigned int>& out) = 0;

    // --- protocols manager -------------------------------------------------
    // The first name of the account's protocol record; empty when unknown.
    virtual CYolString GetAccountProtocolName(unsigned int accountId) = 0;
    // The account's login without the protocol prefix; empty when unknown.
    virtual CYolString GetAccountLogin(unsigned int accountId) = 0;

    // --- preferences -----------------------------------------------------
    // A byte preference ("HistSaveHist", "HistSaveNotInList") with the
    // preference's own default applied when it was never set.
    virtual unsigned char GetPreferenceByte(const CYolString& name) = 0;

    // --- chat windows ----------------------------------------------------
    // The user's own display name, the sender of outgoing messages.
    virtual CYolString GetOwnName() = 0;
};
