#pragma once
// XmppLogin: the login of an XMPP account, from the stream header the client
// sends to the established session: the server's features, stream
// compression, SASL (DIGEST-MD5 before PLAIN) or the older jabber:iq:auth
// exchange, resource binding and the session.
//
// It owns the stream id, the SASL mechanism of the attempt, the mark that
// the server wants a session, the bound JID and the mark of a server that
// spoke without a version (kept for the account's life: its later streams
// log in with iq-auth too). Each login element is taken only in the state
// that waits for it; anything else is dropped. It writes to its stanza sink
// and asks its owner for the settings and for what touches the connection.
//
// Runs on the account's queue thread, like everything of the account.

#include "CYolString.h"
#include "JabberSasl.h"
#include "XmlNode.h"
#include "XmppAccountSettings.h"
#include "XmppStanzaSink.h"

#include <memory>
#include <string>

enum class LoginState {
    Idle,         // no connection, or the login was given up
    StreamStart,  // a new stream is due or opened: waiting for the server's header
    Features,     // waiting for the server's features
    Compression,  // "compress" sent, waiting for "compressed"
    Sasl,         // "auth" sent: challenges until success or failure
    LegacyAuth,   // jabber:iq:auth fields asked for, then the login sent
    Bind,         // the resource bind request sent
    Session,      // the session request sent
    Established,
};

// What the login needs of the account that owns it.
class MXmppLoginOwner {
public:
    virtual const XmppAccountSettings& LoginSettings() const = 0;
    // Sets up the zlib streams; false when they cannot be.
    virtual bool StartCompression() = 0;
    // The server agreed: the bytes after its answer go through zlib.
    virtual void ActivateCompression() = 0;
    virtual bool IsCompressionActive() const = 0;
    // The server's stream ends with the element being handled (which this
    // frees): whatever arrives next is read as a new stream.
    virtual void ResetStream() = 0;
    // Writes the stream's end tag; the server closes the socket after it.
    virtual void EndStream() = 0;
    // The server refused the credentials, or could not prove it knows the
    // password: the connection ends for good and the user is told.
    virtual void LoginRefused() = 0;
    // The session is open: the account goes online.
    virtual void LoginEstablished() = 0;

protected:
    ~MXmppLoginOwner() = default;
};

class XmppLogin {
public:
    XmppLogin(XmppStanzaSink& sink, MXmppLoginOwner& owner) : sink(sink), owner(owner) {}
    XmppLogin(const XmppLogin&) = delete;
    XmppLogin& operator=(const XmppLogin&) = delete;

    // A fresh connection: nothing of an earlier attempt counts any more.
    void Begin();
    // Sends the stream header.
    void OpenStream();
    // The connection is gone: drops the mechanism.
    void Stop();

    void OnStreamHeader(const XmlNode& element);
    void OnFeatures(const XmlNode& element);
    void OnCompressed(const XmlNode& element);
    void OnSaslChallenge(const XmlNode& element);
    void OnSaslSuccess(const XmlNode& element);
    void OnSaslFailure(const XmlNode& element);

    LoginState State() const { return state; }
    const CYolString& BoundJid() const { return boundJid; }
    const std::string& StreamId() const { return streamId; }
    bool IsLegacyOnly() const { return legacyOnly; }
    // Forgets the server's stream id (the account is shut down).
    void ForgetStreamId() { streamId.clear(); }

private:
    SaslCredentials Credentials() const;
    void StartSasl(std::unique_ptr<SaslMechanism> mechanism);
    void StartBind(bool session);
    void StartLegacyAuth();
    void OnLegacyAuthFields(const XmlNode& iq);
    void OnLegacyAuthResult(const XmlNode& iq);
    void OnBindResult(const XmlNode& iq);
    void OnSessionResult(const XmlNode& iq);
    void Establish();
    // Ends the login on the server's side only; the server closes later.
    void GiveUp();
    void Refuse();

    XmppStanzaSink& sink;
    MXmppLoginOwner& owner;
    LoginState state = LoginState::Idle;
    std::string streamId;
    bool legacyOnly = false;
    std::unique_ptr<SaslMechanism> sasl;
    bool sessionRequired = false;
    CYolString boundJid;
};
