#pragma once
// RuvListEdits: changes of the server-side list. The contact-list commands
// (groups and contacts added, renamed, moved, removed), the privacy-list
// commands and the authorization requests and answers become edits the
// server acknowledges; only an acknowledgement changes the account's copy
// of the list and the program's contact list.
//
// Each edit goes out under a request id of its own, from a counter, and
// waits under that id until its acknowledgement; the acknowledged item is
// found again by its type, group and item id. It owns the table of edits
// waiting. Runs on the account's queue thread.

#include "RuvPacketSink.h"
#include "RuvServerList.h"

#include <functional>
#include <map>

class RuvListEdits {
public:
    struct Ports {
        std::function<void(const CYolString&)> showText;
        // A message to the user from `sender`: kind 0 text, 3 authorization
        // request; `image` -1 for none.
        std::function<void(const CYolString& sender, unsigned int kind, int image, const CYolString& text)> deliver;
    };
    RuvListEdits(RuvPacketSink& sink, CRuvServerList& list, RuvListModel& model, Ports ports)
        : sink(sink), list(list), model(model), ports(std::move(ports)) {}

    // --- commands (contact and group ids of the contact list) ---
    void AddGroup(const CYolString& name);
    void RenameGroup(unsigned int group, const CYolString& name);
    void DeleteGroup(unsigned int group);
    void AddContact(const CYolString& name, const CYolString& nick, unsigned int group);
    void RenameContact(unsigned int contact, const CYolString& nick);
    void MoveContact(unsigned int contact, unsigned int group);
    void DeleteContact(unsigned int contact);
    // `type`: RuvItemType::Permit, Deny or Ignore.
    void AddToPrivacyList(unsigned int contact, uint16_t type);
    void RemoveFromPrivacyList(unsigned int contact, uint16_t type);
    void SetAuthorization(unsigned int contact, bool grant);
    void RequestAuthorization(unsigned int contact, const CYolString& reason);

    // --- what the server sends (whole frames) ---
    void OnAck(const uint8_t* frame, size_t size);
    void OnAuthRequest(const uint8_t* frame, size_t size);
    void OnAuthReply(const uint8_t* frame, size_t size);

    size_t Waiting() const { return pending.size(); }
    void Forget() { pending.clear(); }

private:
    enum class Op { Add = 1, Update = 2, Delete = 3, MoveDelete = 4, MoveAdd = 5 };
    struct Pending {
        Op op;
        CSsiItem item;
    };

    void Send(Op op, const CSsiItem& item);
    void SendItem(uint16_t subtype, uint32_t requestId, const CSsiItem& item);
    void SendBare(uint16_t subtype);
    uint32_t NextRequestId();
    // An item id neither the list nor an edit waiting uses.
    uint16_t FreeItemId() const;
    CRuvListItem* GroupOf(unsigned int group);
    void Applied(const Pending& edit);
    void AppliedBuddy(Op op, const CSsiItem& item);
    void AppliedGroup(Op op, const CSsiItem& item);
    void AppliedPrivacy(Op op, const CSsiItem& item);
    void Refused(const Pending& edit, uint16_t result);
    void SetListFlag(const CYolString& name, uint16_t type, unsigned char value);

    RuvPacketSink& sink;
    CRuvServerList& list;
    RuvListModel& model;
    Ports ports;
    std::map<uint32_t, Pending> pending;
    uint32_t lastRequestId = 0;
};
