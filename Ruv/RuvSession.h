#pragma once
// RuvSession: the features of a signed-on OSCAR account and the table that
// routes each received SNAC to one of them by family and subtype: the
// server-side list and its edits, privacy, presence, messages with
// typing, the contact menus' commands and the location service's rights;
// the meta service's frames go on to the account. The login keeps what it reads itself; everything else of a
// session comes here. Runs on the account's queue thread.

#include "RuvContactCommands.h"
#include "RuvListEdits.h"
#include "RuvMessages.h"
#include "RuvPresence.h"
#include "RuvPrivacy.h"
#include "RuvServerList.h"

#include <functional>
#include <string_view>

class RuvSession {
public:
    struct Ports {
        std::function<int()> status;
        std::function<void(int)> changeStatus;
        std::function<void(const CYolString&)> showText;
        std::function<void(int image)> showPrivacyMode;
        std::function<bool()> typingNotices;
        // The session runs (the list that activated it has come).
        std::function<bool()> established;
        // What a peer's extended-status request is answered with.
        std::function<RuvOwnXStatus()> ownXStatus;
    };
    RuvSession(RuvPacketSink& sink, RuvListModel& model, Ports ports);
    RuvSession(const RuvSession&) = delete;
    RuvSession& operator=(const RuvSession&) = delete;

    // One whole frame; SNACs without a route are left to others.
    void OnFrame(std::string_view frame);
    // The session was activated: the privacy mode goes to the server.
    void Activated();
    // The meta service's frames (family 0x15) go to the account's meta
    // handler, which holds what the session has not: the details store.
    void SetMetaHandler(std::function<void(uint16_t subtype, const uint8_t* frame, size_t size)> handler) {
        metaHandler = std::move(handler);
    }
    // The connection ended: every contact is offline, and no answer to an
    // edit sent on it will come.
    void Ended() {
        list.ConnectionEnded();
        edits.Forget();
    }

    CRuvServerList list;
    RuvPrivacy privacy;
    RuvListEdits edits;
    RuvPresence presence;
    RuvMessages messages;
    RuvContactCommands commands;

private:
    void OnListPart(const uint8_t* frame, size_t size);
    void OnListUnchanged(const uint8_t* frame, size_t size);
    void ListComplete();
    // The location service's rights have come: the client announces its
    // whole capability list (the activation later narrows it).
    void OnLocationRights();
    void OnMeta(uint16_t subtype, const uint8_t* frame, size_t size) {
        if (metaHandler)
            metaHandler(subtype, frame, size);
    }

    Ports ports;
    RuvPacketSink& sink;
    std::function<void(uint16_t subtype, const uint8_t* frame, size_t size)> metaHandler;
};
