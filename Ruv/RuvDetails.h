#pragma once
// RuvDetails: the details of users as the OSCAR account keeps them. It
// asks the meta service for a contact's or the user's own full details,
// remembering whose details each request's series of replies carries, and
// stores every reply of a series as it comes: a contact's values on its
// contact-list item, the own values as account settings (both under the
// names of RuvDetailKeys.h). A contact still shown under its login gets
// the nick from the reply. It tells the program when a series is complete
// (details ready), and sends the user's changed own details.
//
// A reply whose result is a failure leaves the stored values as they are;
// the series still ends with its event. The open series are forgotten when
// the connection ends, since their replies cannot come any more.
//
// Runs on the account's queue thread; the own-details pages post their
// changes to it.

#include "CTLV.h"
#include "CYolString.h"
#include "RuvContactListPorts.h"
#include "RuvDetailKeys.h"
#include "RuvPacketSink.h"

#include <functional>
#include <map>
#include <optional>
#include <variant>
#include <vector>

using RuvDetailValue = std::variant<CYolString, uint16_t, uint8_t>;
using RuvDetailValues = std::vector<std::pair<const char16_t*, RuvDetailValue>>;

// Where the details are written. The account puts the program's contact
// list and protocols manager behind it; tests put a recording fake.
class RuvDetailStore {
public:
    virtual ~RuvDetailStore() = default;
    virtual void StoreContact(unsigned int contact, const char16_t* key, const RuvDetailValue& value) = 0;
    // False when there is nowhere to keep the own details.
    virtual bool OwnAvailable() = 0;
    virtual void StoreOwn(const char16_t* key, const RuvDetailValue& value) = 0;
};

// One details reply read from its frame.
struct RuvDetailsReply {
    uint16_t subtype = 0;
    uint16_t sequence = 0;
    // More replies of the series follow (SNAC flags bit 0).
    bool more = false;
    bool success = false;
    // The fields under their names, in store order; empty for the
    // subtypes without fields.
    RuvDetailValues values;
    // The nick of a basic reply.
    CYolString nick;
};
// False when the frame is no details reply (wrong subtype, cut short).
bool ReadDetailsReply(const uint8_t* frame, size_t size, RuvDetailsReply& out);

// A login or typed number as the meta service takes it: decimal digits
// only, fitting 32 bits; nothing otherwise.
std::optional<uint32_t> RuvNumber(const CYolString& text);

class RuvDetails {
public:
    struct Ports {
        // Any state after connecting.
        std::function<bool()> online;
        std::function<CYolString()> ownLogin;
        // The server-side item's nick is rewritten.
        std::function<void(unsigned int contact, const CYolString& nick)> renameOnServer;
        std::function<void(unsigned int contact)> contactDetailsReady;
        std::function<void()> ownDetailsReady;
    };
    RuvDetails(RuvPacketSink& sink, RuvListModel& model, RuvDetailStore& store, Ports ports)
        : sink(sink), model(model), store(store), ports(std::move(ports)) {}

    // Asks for a contact's full details, or the user's own; false when
    // nothing was sent (offline, or a login that is not a number).
    bool RequestContactInfo(unsigned int contact);
    bool RequestOwnInfo();
    // The user changed own details (TLVs in the save request's form): the
    // birthday it carries is stored, and the changes go to the server when
    // the account is online. False when nothing was sent.
    bool SaveOwnInfo(const CTLVCol& changes);

    // An info reply of the meta service (a whole 15/03 frame) that is no
    // search hit.
    void OnMetaInfoReply(const uint8_t* frame, size_t size);

    // The requests whose series is still open.
    size_t PendingInfoRequests() const { return pendingInfoRequests.size(); }
    // The connection ended: no open series will get its replies.
    void Forget() { pendingInfoRequests.clear(); }

private:
    bool Request(unsigned int contact, uint32_t number);
    void StoreForContact(unsigned int contact, const RuvDetailsReply& reply);
    // A meta sequence number no open series uses.
    uint16_t FreeSequence();

    RuvPacketSink& sink;
    RuvListModel& model;
    RuvDetailStore& store;
    Ports ports;
    // Meta sequence -> whose details (contact id; 0: the user's own).
    std::map<uint16_t, unsigned int> pendingInfoRequests;
};

// RuvDetailStore over the program's contact list and protocols manager,
// found at every call.
namespace CL {
class CContactList;
}
namespace Protocols {
class CProtocolsManager;
}
class RuvDetailStoreAdapter final : public RuvDetailStore {
public:
    RuvDetailStoreAdapter(unsigned int accountId, std::function<CL::CContactList*()> list,
                          std::function<Protocols::CProtocolsManager*()> manager)
        : accountId(accountId), list(std::move(list)), manager(std::move(manager)) {}
    void StoreContact(unsigned int contact, const char16_t* key, const RuvDetailValue& value) override;
    bool OwnAvailable() override { return manager() != nullptr; }
    void StoreOwn(const char16_t* key, const RuvDetailValue& value) override;

private:
    unsigned int accountId;
    std::function<CL::CContactList*()> list;
    std::function<Protocols::CProtocolsManager*()> manager;
};
