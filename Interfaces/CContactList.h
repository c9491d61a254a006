#pragma once
// CL::CContactList: the contact-list model as the protocol plug-ins, the
// window and the message windows see it, found as the service
// ContactListGuid. Plug-ins feed it groups, contacts, statuses and messages;
// the windows read it and act on it. Changes are announced as
// ContactListEvent broadcasts on ContactListGuid (ContactListEvents.h).
//
// Item ids are unsigned 32-bit numbers whose top two bits give the kind (see
// ItemKind); 0 means none. Unknown ids give 0, false, an empty string or no
// action. Every operation may be called on any thread. Removals, moves and
// message deliveries are queued to the model's own thread and return before
// their effect and their events.
//
// Plug-ins are built against this exact table of operations: keep the order.
// Header only, so that plug-ins can include it without linking the core.

#include "CYolArray.h"
#include "CYolString.h"
#include "ProtocolRecords.h"

namespace CL {

// The kind of an item, from the top two bits of its id.
enum class ItemKind : unsigned int {
    Group = 0,     // 0x00000001-0x3FFFFFFF
    MGroup = 1,    // 0x40000000-0x7FFFFFFF
    Contact = 2,   // 0x80000000-0xBFFFFFFF, listed or temporary
    MContact = 3,  // 0xC0000000-0xFFFFFFFF
};

inline constexpr unsigned int kKindShift = 30;
inline constexpr unsigned int FirstIdOf(ItemKind kind) { return (static_cast<unsigned int>(kind) << kKindShift) | 1u; }
inline constexpr ItemKind KindOf(unsigned int id) { return static_cast<ItemKind>(id >> kKindShift); }
inline constexpr bool IsGroupId(unsigned int id) { return id != 0 && KindOf(id) == ItemKind::Group; }
inline constexpr bool IsMetaGroupId(unsigned int id) { return KindOf(id) == ItemKind::MGroup; }
inline constexpr bool IsContactId(unsigned int id) { return KindOf(id) == ItemKind::Contact; }
inline constexpr bool IsMetaContactId(unsigned int id) { return KindOf(id) == ItemKind::MContact; }

// One row of the enumerations: a parent (group or meta group, 0 = none) and
// an item under it (0 = the parent's own row).
struct CLItemInfo {
    unsigned int parentId = 0;
    unsigned int itemId = 0;
};

class CContactList {
public:
    // --- update brackets ---------------------------------------------------------
    // They nest; the outermost pair raises UpdateBegin and UpdateEnd.
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;

    // --- groups --------------------------------------------------------------------
    // A new group of a known account, or 0; no event until NotifyGroupAdded.
    virtual unsigned int AddGroup(unsigned int accountId) = 0;
    virtual void NotifyGroupAdded(unsigned int groupId) = 0;
    virtual void RemoveGroup(unsigned int groupId) = 0;  // queued
    virtual void NotifyGroupChanged(unsigned int groupId) = 0;

    // --- meta groups ---------------------------------------------------------------
    // 0 when a meta group of that name exists. setOrder places it next to the
    // neighbour in the window's order and tells the server store.
    virtual unsigned int AddMetaGroup(const CYolString& name, unsigned int neighbourMetaGroupId, bool setOrder) = 0;
    virtual void NotifyMetaGroupChanged(unsigned int metaGroupId) = 0;
    virtual void RenameMetaGroup(unsigned int metaGroupId, const CYolString& name) = 0;
    virtual void RemoveMetaGroup(unsigned int metaGroupId) = 0;  // queued
    virtual bool IsMetaGroup(unsigned int id) = 0;

    // --- meta contacts -------------------------------------------------------------
    // A meta contact with one sub-contact that resolves when the plug-in
    // reports a contact of that login on the account whose "SrvFileName" is
    // accountKey. No event.
    virtual unsigned int AddMetaContact(unsigned int metaGroupId, unsigned int number, const CYolString& name,
                                        const CYolString& login, const CYolString& accountKey) = 0;
    virtual bool AddMetaSubContact(unsigned int metaContactId, const CYolString& login,
                                   const CYolString& accountKey) = 0;
    // Appends the ids of its resolved sub-contacts, in order.
    virtual void GetMetaSubContacts(unsigned int metaContactId, CYolArray<unsigned int>& out) = 0;
    virtual void RenameMetaContact(unsigned int metaContactId, const CYolString& name) = 0;
    virtual void MoveMetaContact(unsigned int metaContactId, unsigned int metaGroupId) = 0;  // queued
    // target: a meta contact, or a meta group (0 the default one) for a new
    // meta contact of its own. Queued.
    virtual void MoveContactToMetaContact(unsigned int contactId, unsigned int targetId) = 0;
    virtual void RemoveMetaContact(unsigned int metaContactId) = 0;  // queued
    virtual bool IsMetaContact(unsigned int id) = 0;

    // --- contacts ------------------------------------------------------------------
    // A new contact of the account, in the group or (0) outside groups; no
    // event until NotifyContactAdded, which also files it into a meta contact.
    virtual unsigned int AddContact(unsigned int accountId, unsigned int groupId) = 0;
    virtual void NotifyContactAdded(unsigned int contactId, const Protocols::ContactStatusInfo& status) = 0;
    virtual void RemoveContact(unsigned int contactId) = 0;               // queued
    virtual bool MoveContact(unsigned int contactId, unsigned int groupId) = 0;  // queued; always true
    virtual void SetContactStatus(unsigned int contactId, const Protocols::ContactStatusInfo& status) = 0;
    virtual void NotifyContactChanged(unsigned int contactId) = 0;

    // --- messages ------------------------------------------------------------------
    // 1 deliver, 0 drop (the anti-spam question and answer).
    virtual int CheckAntispam(unsigned int contactId, const Protocols::MessageInfo& message) = 0;
    virtual void ReceiveMessage(unsigned int contactId, const Protocols::MessageInfo& message) = 0;  // queued
    virtual void NotifyMessageAck(unsigned int contactId, unsigned int messageId) = 0;              // queued
    virtual void SetContactTyping(unsigned int contactId, bool typing) = 0;                         // queued

    // --- keys and lookups ----------------------------------------------------------
    // Account text + "|" + login for a contact, "|" + number for a meta
    // contact, empty otherwise; FindItemByKey is the inverse.
    virtual CYolString GetItemKey(unsigned int id) = 0;
    virtual unsigned int FindItemByKey(const CYolString& key) = 0;
    virtual unsigned int FindOrAddTempContact(unsigned int accountId, const CYolString& login) = 0;
    virtual void RemoveTempContact(unsigned int contactId) = 0;
    virtual void RemoveAccountTempContacts(unsigned int accountId) = 0;
    virtual bool IsTempContact(unsigned int contactId) = 0;
    virtual unsigned int GetParentId(unsigned int id) = 0;
    virtual unsigned int GetMetaContactOf(unsigned int contactId) = 0;
    // A contact's status, a meta contact's merged status, else empty.
    virtual Protocols::ContactStatusInfo& GetItemStatus(Protocols::ContactStatusInfo& out, unsigned int id) = 0;

    // --- actions through the protocols manager ---------------------------------------
    // On a meta contact these act through its chosen sub-contact.
    virtual bool SendMessage(unsigned int id, Protocols::MessageInfo* message, bool silent) = 0;
    virtual bool SendTypingNotification(unsigned int id, bool typing) = 0;
    virtual bool RequestContactDetails(unsigned int id) = 0;
    virtual bool SendFile(unsigned int id, const CYolString& path) = 0;

    // --- item values -------------------------------------------------------------------
    virtual void SetGroupOpened(unsigned int id, bool opened) = 0;
    virtual bool IsGroupOpened(unsigned int id) = 0;
    virtual unsigned int GetItemAccount(unsigned int id) = 0;
    // Typed reads succeed only when the value has exactly the type's size (a
    // blob: when *size is at least its length; *size is left unchanged).
    virtual bool GetItemBlob(unsigned int id, const CYolString& name, void* buffer, unsigned int* size) = 0;
    virtual bool GetItemString(unsigned int id, const CYolString& name, CYolString& out) = 0;
    virtual bool GetItemDword(unsigned int id, const CYolString& name, unsigned int* out) = 0;
    virtual bool GetItemWord(unsigned int id, const CYolString& name, short* out) = 0;
    virtual bool GetItemByte(unsigned int id, const CYolString& name, unsigned char* out) = 0;
    virtual void SetItemBlob(unsigned int id, const CYolString& name, const void* data, const unsigned int* size) = 0;
    virtual void SetItemString(unsigned int id, const CYolString& name, const CYolString& value) = 0;
    virtual void SetItemDword(unsigned int id, const CYolString& name, const unsigned int* value) = 0;
    virtual void SetItemWord(unsigned int id, const CYolString& name, const short* value) = 0;
    virtual void SetItemByte(unsigned int id, const CYolString& name, const unsigned char* value) = 0;

    // --- enumerations ----------------------------------------------------------------
    virtual bool GetAccountItems(unsigned int accountId, CYolArray<CLItemInfo>& out) = 0;
    // Account 0: every meta group but the default one.
    virtual bool GetGroupIds(unsigned int accountId, CYolArray<unsigned int>& out) = 0;
    virtual void GetMetaItems(CYolArray<CLItemInfo>& out) = 0;

    // --- settings ------------------------------------------------------------------------
    virtual bool GetAntispamMsgsFromNIL() = 0;
    virtual bool GetShowBirthdayBalloon() = 0;
    virtual void SetShowBirthdayBalloon(bool show) = 0;

    // --- messages, continued -----------------------------------------------------------
    // A message handed to a plug-in that never reached the network (the
    // connection dropped, or the contact cannot be written to): raised again
    // as MessageNotSent with the whole record, so the text is not lost.
    // Queued. Kept last so that older plug-ins still find every slot where
    // they expect it.
    virtual void NotifyMessageNotSent(unsigned int contactId, const Protocols::MessageInfo& message) = 0;

    // --- an account's list cleared -------------------------------------------------------
    // Every group and contact the account has at this moment is retired at
    // once: the account's enumerations and look-ups no longer show them, no
    // contact may be added or moved into a retired group, and they are
    // removed, with their events, when the ClearContacts notification that
    // carries the answer reaches the model. What the account adds after this
    // call is kept, whatever order that notification arrives in. Answers the
    // clear's generation (1 or more), or 0 when the model does not know the
    // account; a ClearContacts without a generation removes everything. An
    // account calls it through CAccount::RaiseClearContacts. Kept last, as
    // the slot above.
    virtual unsigned int RetireAccountItems(unsigned int accountId) = 0;

protected:
    // The model is destroyed by the core, never through this interface; the
    // interface holds its 63 slots and nothing else.
    ~CContactList() = default;
};

}  // namespace CL
