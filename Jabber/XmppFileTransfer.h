#pragma once
// XmppFileTransfer: the account's file transfers. It owns the session list,
// negotiates each transfer (a stream-initiation offer in either direction,
// the user's accept and refuse), carries the bytes over a SOCKS5 bytestream
// through a proxy or over an in-band bytestream, and reports every step to
// the program's transfers window. The negotiation lives in
// XmppFileTransfer.cpp, each stream method in a file of its own
// (XmppSocks5Bytestream.cpp, XmppInBandBytestream.cpp).
//
// Threads: stanzas and commands come on the account's queue thread; the
// events of bytestream sockets may come on another. One lock serialises
// every entry point, so sessions and the list are never touched by two
// threads at once; the sink and the ports are called under it.

#include "JabberContacts.h"
#include "JabberIq.h"
#include "CTransferSockets.h"
#include "ProtocolRecords.h"
#include "XmppContactListPorts.h"
#include "XmppStanzaSink.h"
#include "XmppTransferSession.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The state a transfer report carries.
enum class FTState : unsigned int { Offered = 0, Progress = 1, Completed = 2, Cancelled = 3, Failed = 4 };

// What the transfers need of their account.
class XmppTransferPorts {
public:
    virtual ~XmppTransferPorts() = default;
    virtual void ReportProgress(const Protocols::FTProgress& progress) = 0;
    // The full JID the server bound for this session.
    virtual CYolString BoundJid() = 0;
    // The bytestream proxy's JID when the account uses one; else empty.
    virtual CYolString BytestreamProxy() = 0;
};

// Plain TCP connections to stream hosts; their events come back through
// XmppFileTransfer's OnSocket* calls with the number Connect gave.
class XmppBytestreamSockets {
public:
    virtual ~XmppBytestreamSockets() = default;
    // A socket connecting to host:port; 0 when none could be made.
    virtual int Connect(const CYolString& host, uint32_t port) = 0;
    virtual bool Send(int socket, const std::string& bytes) = 0;
    // Closes and forgets the socket; no event comes for it any more.
    virtual void Close(int socket) = 0;
};

class XmppFileTransfer final : public MTransferSocketEvents {
public:
    static constexpr size_t kChunkSize = 2048;

    XmppFileTransfer(XmppStanzaSink& sink, CJabberContactMap& contacts, XmppListItems& list, XmppTransferPorts& ports,
                     XmppBytestreamSockets& sockets);
    ~XmppFileTransfer();
    XmppFileTransfer(const XmppFileTransfer&) = delete;
    XmppFileTransfer& operator=(const XmppFileTransfer&) = delete;

    // ---- the user's commands ----
    void SendFile(unsigned int contact, const CYolString& path);
    void AcceptFile(unsigned int contact, const CYolString& fileName, const CYolString& targetPath);
    void RefuseFile(unsigned int contact, const CYolString& fileName);

    // ---- requests a peer or proxy sends ----
    void OnSiRequest(const XmlNode& iq, const IqRequest& request);
    void OnStreamHostOffer(const XmlNode& iq, const IqRequest& request);
    void OnIbbRequest(const XmlNode& iq, const IqRequest& request);
    // A message holding in-band data; true when it held any (it is then
    // never shown as chat text).
    bool OnIbbMessage(const XmlNode& message);

    // ---- the account's connection and the bytestream sockets ----
    // A send on the account's connection went (result 0) or failed: paces
    // outgoing in-band streams.
    void OnSendResult(int result);
    void OnSocketConnected(int socket, int code) override;
    void OnSocketData(int socket, const uint8_t* data, size_t size) override;
    void OnSocketSendResult(int socket, int result) override;
    void OnSocketClosed(int socket, int code) override;
    bool OwnsSocket(int socket);

    // The session ended: every transfer stops, reported as failed.
    void EndSession();
    size_t SessionCount();

private:
    using Session = CTransferSession;
    using Lock = std::lock_guard<std::recursive_mutex>;

    // Session list.
    Session* FindByIqNumber(int number);
    Session* FindBySid(const CYolString& sid, const CYolString* from);
    Session* FindByFile(unsigned int contact, const CYolString& fileName);
    Session* FindBySocket(int socket);
    void DropSession(Session* session);
    // Reports a failure, drops the session and what it received.
    void FailSession(Session* session);
    void Report(const Session& session, FTState state, bool activate);
    void ReportWithoutSizes(const Session& session, FTState state);

    // Negotiation.
    void HandleSiOffer(const XmlNode& iq, const IqRequest& request);
    void AnswerSiError(const IqRequest& request, const char* condition, const char* conditionNs);
    void SendSiAccept(Session& session);
    void OnSiAnswer(const XmlNode& iq);

    // The sending pump both methods share.
    void SendTransferChunk(Session& session);
    // Every byte of the file went out: reported complete, session dropped.
    void SendingDone(Session& session);

    // SOCKS5 bytestreams.
    void QueryProxyStreamHost(Session& session);
    void OnProxyStreamHost(const XmlNode& iq);
    void SendStreamHostOffer(Session& session);
    void OnStreamHostOfferResult(const XmlNode& iq);
    void ConnectStreamHost(Session& session);
    void OnSocksReply(Session& session, const uint8_t* data, size_t size);
    void SendActivate(Session& session);
    void OnActivateResult(const XmlNode& iq);
    void SendStreamHostUsed(Session& session);
    void ReceiveBytes(Session& session, const uint8_t* data, size_t size);
    void CloseSocket(Session& session);

    // In-band bytestreams.
    void SendIbbOpen(Session& session);
    void OnIbbOpenResult(const XmlNode& iq);
    void SendIbbClose(Session& session);
    void SendIbbData(Session& session, const std::string& bytes);
    // False when the data ended the transfer.
    bool HandleIbbData(const XmlNode& data, const CYolString* from);

    IqAnswer AnswerTo(void (XmppFileTransfer::*handler)(const XmlNode&));
    // The session an answer belongs to when it is a result; an error ends
    // the session with a report. Null either way when nothing goes on.
    Session* AnsweredSession(const XmlNode& iq);

    XmppStanzaSink& sink;
    CJabberContactMap& contacts;
    XmppListItems& list;
    XmppTransferPorts& ports;
    XmppBytestreamSockets& sockets;

    std::recursive_mutex lock;
    // In creation order: the in-band pump serves the first that waits.
    std::vector<std::unique_ptr<Session>> sessions;
};
