#pragma once
// CTransferSession: one file transfer of an XMPP account, in either
// direction: who it is with, the stream it negotiated, and (as its
// CTransferFile) how far it got and the file itself.
//
// The session list (XmppFileTransfer) owns the sessions and serialises every
// touch of them under its lock.

#include "CTransferFile.h"
#include "CYolString.h"
#include "XmppSocks5Reply.h"

#include <cstdint>
#include <string>
#include <vector>

enum class TransferMethod : uint8_t { None = 0, Socks5Bytestreams = 2, InBandBytestreams = 3 };

struct StreamHostInfo {
    CYolString jid;
    CYolString host;
    uint32_t port = 0;
};

class CTransferSession : public CTransferFile {
public:
    // SOCKS5 progress of the session's bytestream socket.
    enum SocksState : uint8_t { SocksIdle = 0, GreetingSent = 1, ConnectSent = 2, Sending = 3, Receiving = 4 };

    CTransferSession() = default;

    int socket = 0;  // the bytestream socket, 0 when none
    SocksState socksState = SocksIdle;
    XmppSocks5Reader socksReader;
    unsigned int contact = 0;
    CYolString peerJid;
    CYolString ownJid;
    int iqNumber = 0;   // our request the session waits on
    CYolString iqId;    // the peer's request the session must answer, as received
    CYolString sid;
    TransferMethod method = TransferMethod::None;
    bool ibbOpen = false;
    bool outgoing = false;
    bool accepted = false;
    bool activated = false;  // the proxy joined the stream: the file may flow
    uint16_t nextSeq = 0;
    CYolString proxyJid;
    std::vector<StreamHostInfo> streamHosts;
};
