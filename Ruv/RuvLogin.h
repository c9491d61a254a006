#pragma once
// RuvLogin: an OSCAR account's way from the login server to a running
// session. On the login connection: the greeting, the key request, the MD5
// login and its reply; on the session connection: the cookie, the service
// family's families, versions and rate classes with the requests that open
// each service, the first complete server-side list, which activates the
// session, and the own information that confirms the status. It also reads
// the close frames and the server's pause, which end any connection.
//
// It owns the login state, the login reply (session server and cookie)
// and nothing else. Each frame is taken only in the state that waits for
// it; anything else is dropped. It writes to its packet sink and asks its
// owner for settings and for what touches the connection. Runs on the
// account's queue thread.

#include "CRuvSettings.h"
#include "RuvOwnStatus.h"
#include "RuvPacketSink.h"
#include "RuvRecords.h"

#include <string_view>


// What the login needs of the account that owns it.
class MRuvLoginOwner {
public:
    virtual const CRuvSettings& LoginSettings() const = 0;
    // The login server accepted: drop its connection and connect to the
    // session server. False when that connection could not start.
    virtual bool OpenSession(const CYolString& host, unsigned int port) = 0;
    // The connection ends: text `stringId` (0: none) is shown and, when
    // `reconnect`, the account tries again after its delay.
    virtual void EndConnection(int stringId, bool reconnect) = 0;
    // The server told the account's own status (a word already mapped).
    virtual void OwnStatusReported(int status) = 0;
    // The session runs: privacy and keep-alive are the owner's.
    virtual void SessionActivated() = 0;

protected:
    ~MRuvLoginOwner() = default;
};

class RuvLogin {
public:
    // Scoped to the login: each protocol's login has states of its own.
    enum class LoginState {
        Idle,            // no connection
        LoginHello,      // login server connected: waiting for its greeting
        Key,             // key requested
        Reply,           // MD5 login sent: waiting for the reply
        SessionHello,    // session server connected: waiting for its greeting
        Families,        // cookie sent: waiting for the server's families
        Versions,        // versions sent
        Rates,           // rate request sent
        List,            // services requested: waiting for the complete list
        Established,
    };

    RuvLogin(RuvPacketSink& sink, MRuvLoginOwner& owner, RuvOwnStatus& ownStatus)
        : sink(sink), owner(owner), ownStatus(ownStatus) {}
    RuvLogin(const RuvLogin&) = delete;
    RuvLogin& operator=(const RuvLogin&) = delete;

    // A connection to the login server is under way.
    void Begin() { state = LoginState::LoginHello; }
    // The session connection is under way.
    void BeginSession() { state = LoginState::SessionHello; }
    void Stop();
    LoginState State() const { return state; }
    const CSnacLoginReply& Reply() const { return reply; }

    // One whole frame of the current connection.
    void OnFrame(std::string_view frame);

private:
    using Bytes = const uint8_t*;
    void OnHello(Bytes frame, size_t size);
    void OnSnac(Bytes frame, size_t size);
    void OnClose(Bytes frame, size_t size);
    void OnKey(Bytes frame, size_t size);
    void OnLoginReply(Bytes frame, size_t size);
    void OnFamilies(Bytes frame, size_t size);
    void OnVersions(Bytes frame, size_t size);
    void OnRates(Bytes frame, size_t size);
    void OnOwnInfo(Bytes frame, size_t size);
    void OnPause(Bytes frame, size_t size);
    void OnListPart(Bytes frame, size_t size);
    void Activate();
    void SendSnac(uint16_t family, uint16_t subtype, uint32_t requestId, std::string payload = {});

    RuvPacketSink& sink;
    MRuvLoginOwner& owner;
    RuvOwnStatus& ownStatus;
    LoginState state = LoginState::Idle;
    CSnacLoginReply reply;
};
