#pragma once
// RuvOwnStatus: the status the user asked for and how the account tells the
// server: the status word, and the capability list that carries what the
// word cannot (the moods and lunch, the extended status). It owns the wanted
// status, the status a reconnection restores and the extended status with
// its title and description; the status the server confirmed stays with the
// account, which it asks for.
// Runs on the account's queue thread.

#include "CYolString.h"
#include "RuvPacketSink.h"

#include <functional>

class RuvOwnStatus {
public:
    struct Ports {
        std::function<int()> confirmed;          // the status the server confirmed (0 offline, 1 connecting)
        std::function<bool()> typingNotices;     // the typing capability is announced
    };
    RuvOwnStatus(RuvPacketSink& sink, Ports ports) : sink(sink), ports(std::move(ports)) {}

    // A status request on an open connection: the word goes out unless the
    // status is already the one in force, and the capabilities follow when
    // the old or the new status travels as one. `always` sends the word
    // even then: on activation the status the server reported came from
    // no request of this connection, and only this packet carries the
    // direct-connection block peers recognise the client by.
    void SetOnlineStatus(int status, bool always = false);
    // Sends the own capability list for the status being set and the
    // extended status in force; nothing goes while the connection is down
    // (the list follows the sign-on).
    void SendCapabilities();
    // A new extended status (0: none, which also empties title and
    // description), announced at once when connected.
    void SetXStatus(int id, const CYolString& title, const CYolString& description);

    int Wanted() const { return wanted; }
    int ToRestore() const { return toRestore; }
    void SetWanted(int status) { wanted = toRestore = status; }
    // The user asked to go offline: nothing is to be restored.
    void ClearWanted() { wanted = 0; }
    int XStatus() const { return xStatus; }
    const CYolString& XStatusTitle() const { return xStatusTitle; }
    const CYolString& XStatusDescription() const { return xStatusDescription; }

private:
    RuvPacketSink& sink;
    Ports ports;
    int wanted = 0;
    int toRestore = 0;
    int xStatus = 0;
    CYolString xStatusTitle;
    CYolString xStatusDescription;
};
