#pragma once
// MrimLogin: the login of an MRIM account, from the first connection (which
// only names the server to use) to the established session: the greeting,
// the server's keep-alive period, the login packet and its answer, and
// afterwards the server's logout and new connection parameters.
//
// It owns the login state and the keep-alive period. Each packet of the
// login is taken only in the state that waits for it; anything else is
// dropped. It writes to its packet sink and asks its owner for the settings
// and for what touches the connection. Runs on the account's queue thread.

#include "CYolString.h"
#include "MrimPacketSink.h"
#include "MrimWire.h"

#include <cstdint>

enum class LoginState {
    Idle,         // no connection
    Redirect,     // the first connection is open: waiting for the address
    Connecting,   // the session connection is being opened
    Greeting,     // Hello sent: waiting for HelloAck
    Credentials,  // Login sent: waiting for LoginAck or LoginReject
    Established,
};

// What the login needs of the account that owns it.
class MMrimLoginOwner {
public:
    virtual const CYolString& LoginName() const = 0;
    virtual const CYolString& LoginPassword() const = 0;
    // The status the login asks for (what the user chose last).
    virtual int LoginStatus() const = 0;
    // Opens the session connection; false when it could not start.
    virtual bool OpenSession(const CYolString& host, unsigned int port) = 0;
    // The keep-alive runs every `seconds` from now (replacing any running).
    virtual void StartKeepAlive(unsigned int seconds) = 0;
    virtual void LoginAccepted() = 0;
    // The server refused the login (`reason` may be empty) or logged the
    // account out (`otherComputer`: the login is in use elsewhere); the
    // connection ends for good.
    virtual void LoginRefused(const CYolString& reason) = 0;
    virtual void LoggedOut(bool otherComputer) = 0;
    // The first connection's text was no address: the attempt failed.
    virtual void RedirectFailed() = 0;

protected:
    ~MMrimLoginOwner() = default;
};

class MrimLogin {
public:
    MrimLogin(MrimPacketSink& sink, MMrimLoginOwner& owner) : sink(sink), owner(owner) {}
    MrimLogin(const MrimLogin&) = delete;
    MrimLogin& operator=(const MrimLogin&) = delete;

    // The first connection is under way.
    void Begin() { state = LoginState::Redirect; }
    void Stop() { state = LoginState::Idle; }
    LoginState State() const { return state; }
    unsigned int PingPeriod() const { return pingPeriod; }

    void OnRedirect(bool valid, const CYolString& host, unsigned int port);
    // The session connection is up: the greeting goes out.
    void OnConnected();
    // A packet of the session; answers whether the login took it.
    bool OnPacket(const MrimPacket& packet);

    // The client description the login sends, in the device's code page.
    static std::string UserAgent();
    static std::string ClientDescription();
    // The login packet's body for the owner's login, password and status.
    std::string LoginBody() const;

private:
    void OnHelloAck(const MrimPacket& packet);
    void OnLoginAck();
    void OnLoginReject(const MrimPacket& packet);
    void OnLogout(const MrimPacket& packet);
    void OnConnectionParams(const MrimPacket& packet);

    MrimPacketSink& sink;
    MMrimLoginOwner& owner;
    LoginState state = LoginState::Idle;
    unsigned int pingPeriod = 0;
};
