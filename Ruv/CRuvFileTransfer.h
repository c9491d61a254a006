#pragma once
// CRuvFileTransfer: one file carried between the account and one contact,
// in either direction, over its own connection to a rendezvous proxy: the
// proxy handshake (create a proxy session and tell the peer where it is, or
// join the one the peer named), then the OFT2 headers, then the file's
// bytes. Each step is reported to the program as a transfer report. The
// list that owns it (RuvFileTransfer) hands it its connection's events and
// acts on the step each call answers: a finished or failed session is
// removed there, and a received file that did not complete goes with it.
// Runs on the account's queue thread, like the list.

#include "CTransferFile.h"
#include "CYolString.h"
#include "ProtocolRecords.h"
#include "RuvMessagePackets.h"
#include "RuvPacketSink.h"

#include <cstdint>
#include <string>
#include <string_view>

// What the sessions need of their account.
class MRuvTransferPorts {
public:
    virtual void ReportProgress(const Protocols::FTProgress& progress) = 0;
    // Plain TCP connections, named by a number (0: none could be made).
    virtual int ConnectTransfer(const CYolString& host, uint32_t port) = 0;
    virtual bool SendTransfer(int socket, std::string_view bytes) = 0;
    virtual void CloseTransfer(int socket) = 0;
    virtual CYolString OwnScreenName() = 0;
    // The network's rendezvous proxy that creates proxy sessions.
    virtual CYolString ProxyHost() = 0;
    virtual uint32_t ProxyPort() = 0;

protected:
    ~MRuvTransferPorts() = default;
};

// What a call leaves of the session: it goes on, it is over (remove it), or
// it failed (report it, remove it).
enum class RuvTransferStep { Going, Over, Failed };

// The state a transfer report carries.
enum class RuvFTState : unsigned int { Offered = 0, Progress = 1, Completed = 2, Cancelled = 3, Failed = 4 };

class CRuvFileTransfer {
public:
    enum Flag : uint8_t {
        kCreated = 0x01,
        kJoinPeer = 0x02,     // join the proxy session the peer named
        kRedirected = 0x04,   // the peer's redirect asked for a connection
        kSending = 0x08,
        kOffered = 0x10,      // the peer offered the file to us
        kFinished = 0x20,
        kConnectAsked = 0x40, // Connect ran (the user accepted, or the peer answered our offer)
    };
    enum State : uint8_t {
        Idle = 0,
        ProxyHandshake = 1,
        Headers = 2,
        SendingData = 3,
        ConnectingProxy = 4,
        ReceivingData = 5,
    };
    static constexpr size_t kChunkSize = 4096;
    // Bytes kept for a state that reads nothing, before the peer counts as
    // misbehaving.
    static constexpr size_t kMaxIdleBytes = 64 * 1024;

    CRuvFileTransfer(RuvPacketSink& sink, MRuvTransferPorts& ports, const CYolString& screenName,
                     unsigned int contactId, RuvCookie cookie, const CYolString& path, uint32_t size);
    CRuvFileTransfer(const CRuvFileTransfer&) = delete;
    CRuvFileTransfer& operator=(const CRuvFileTransfer&) = delete;
    // A received file that did not complete is removed with the session.
    ~CRuvFileTransfer() { Disconnect(); }

    // Starts (or restarts) the connection: to the peer's proxy session with
    // kJoinPeer, else to the network's proxy for a new one.
    RuvTransferStep Connect();
    void Disconnect();
    // A transfer that ends short: the partial file it received goes.
    void DiscardFile() { file.DiscardFile(); }

    RuvTransferStep OnConnected(int code);
    RuvTransferStep OnData(std::string_view bytes);
    RuvTransferStep OnSendResult(int result);
    RuvTransferStep OnClosed();

    // The receiving side's file: the target path chosen by the user.
    void SetTarget(const CYolString& target) { file.fileName = target; }
    void Report(RuvFTState state, bool activate = false);

    bool Has(Flag flag) const { return (flags & flag) != 0; }
    void Set(uint8_t flag) { flags |= flag; }
    void Clear(uint8_t flag) { flags = static_cast<uint8_t>(flags & ~flag); }
    // The data phase is under way (headers or bytes).
    bool Carrying() const { return state == Headers || state == SendingData || state == ReceivingData; }

    CYolString screenName;
    unsigned int contactId;
    RuvCookie cookie;
    // The name as offered (a plain file name), sent in the headers.
    CYolString fileName;
    uint32_t address = 0;
    uint16_t port = 0;
    uint8_t flags = kCreated;
    State state = Idle;
    uint16_t requestNumber = 0;
    int socket = 0;

    const CYolString& Path() const { return file.fileName; }
    uint32_t TotalSize() const { return static_cast<uint32_t>(file.totalSize); }
    uint32_t DoneSize() const { return static_cast<uint32_t>(file.doneSize); }

private:
    RuvTransferStep OnProxyPacket(std::string_view packet);
    RuvTransferStep OnHeader(std::string_view header);
    RuvTransferStep SendNextChunk();
    RuvTransferStep WriteReceived(std::string_view bytes);
    bool Send(std::string_view bytes) { return socket != 0 && ports.SendTransfer(socket, bytes); }
    bool SendHeader(uint16_t type);
    RuvRendezvousTarget Target() const { return {cookie, screenName, address, port}; }

    RuvPacketSink& sink;
    MRuvTransferPorts& ports;
    // Path, sizes and the bytes themselves.
    CTransferFile file;
    // Bytes received and not yet read as a packet or header.
    std::string inbox;
    // The peer's prompt, sent back as our acknowledgement and done header.
    std::string savedHeader;
};

// An IPv4 address as the wire holds it, in dotted form.
CYolString DottedAddress(uint32_t address);
