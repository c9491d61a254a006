#pragma once
// RuvMessages: the account's messages and typing notices both ways.
// Outgoing texts are cut into pieces the server takes (never inside a
// character) and sent on the channel and in the encoding the contact's
// client reads; incoming ones (live and stored) are delivered to the
// contact list, strangers becoming contacts when the list admits them, and
// acknowledged to senders allowed to see the account. Delivery
// acknowledgements are matched on the cookie word that holds the message
// id. A peer's request for the user's extended status is answered with it,
// and a peer's answer is kept with the contact and shown to the user.
// Typing codes follow the wire: 0 finished, 1 typed, 2 begun.
// Runs on the account's queue thread.

#include "RuvPacketSink.h"
#include "RuvServerList.h"

#include <functional>

class CSnacIncomingMessage;

// The user's own extended status as a request is answered with it.
struct RuvOwnXStatus {
    int id = 0;
    CYolString login;
    CYolString title;
    CYolString description;
};

class RuvMessages {
public:
    struct Ports {
        std::function<int()> status;
        // Whether typing notices are shown and sent.
        std::function<bool()> typingNotices;
        // Whether a contact may see the account (privacy).
        std::function<bool(const CRuvListItem*)> visibleTo;
        std::function<CYolString(int)> uiString;
        // Without it, extended-status requests go unanswered.
        std::function<RuvOwnXStatus()> ownXStatus;
    };
    RuvMessages(RuvPacketSink& sink, CRuvServerList& list, RuvListModel& model, Ports ports)
        : sink(sink), list(list), model(model), ports(std::move(ports)) {}

    // UTF-16 units of text in one message.
    static constexpr int kChunk = 2000;
    // Between two stopped-typing notices to one contact, in seconds.
    static constexpr int64_t kTypingStopGap = 3;

    void SendMessage(const Protocols::MessageInfo& message);
    void SendTyping(unsigned int contact, bool typing);
    // A message to the user from `sender` (kind 0 text, 1 stored, 3
    // authorization); `image` -1 for none.
    void Deliver(const CYolString& sender, unsigned int kind, int image, const CYolString& text,
                 const CYolString& extra = {});

    // --- what the server sends (whole frames) ---
    void OnMessage(const uint8_t* frame, size_t size);
    void OnClientResponse(const uint8_t* frame, size_t size);
    void OnTyping(const uint8_t* frame, size_t size);

private:
    void AnswerXStatusRequest(const CSnacIncomingMessage& request);
    void SendChunk(const CRuvListItem& item, uint32_t messageId, const CYolString& text);
    // The contact a message from `sender` goes to; 0 when it is dropped.
    unsigned int Receiver(const CYolString& sender, const Protocols::MessageInfo& message);

    RuvPacketSink& sink;
    CRuvServerList& list;
    RuvListModel& model;
    Ports ports;
};
