#pragma once
// CTransferSession: one file transfer of an XMPP account, in either
// direction: who it is with, the stream it negotiated, how far it got, and
// the file itself. A received file is created only when its first bytes
// come, never over an existing file, and removed again when the transfer
// fails, so no partial file stays behind; it never grows past the size that
// was offered. A sent file is opened, read and closed again for every chunk.
//
// The session list (XmppFileTransfer) owns the sessions and serialises every
// touch of them under its lock.

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

class CTransferSession {
public:
    // SOCKS5 progress of the session's bytestream socket.
    enum SocksState : uint8_t { SocksIdle = 0, GreetingSent = 1, ConnectSent = 2, Sending = 3, Receiving = 4 };

    CTransferSession() = default;
    CTransferSession(const CTransferSession&) = delete;
    CTransferSession& operator=(const CTransferSession&) = delete;
    // A receive that did not complete leaves no file behind.
    ~CTransferSession() { DiscardFile(); }

    // Received bytes: false (and nothing written) when they would pass the
    // offered size or the target cannot be created or written.
    bool AppendToFile(const uint8_t* data, size_t size);
    // The received file is whole: it stays.
    void KeepFile();
    // Removes what was received so far.
    void DiscardFile();
    // Up to `size` bytes of the sent file from doneSize on; false when the
    // file cannot be read there.
    bool ReadChunk(size_t size, std::string& out) const;

    int socket = 0;  // the bytestream socket, 0 when none
    SocksState socksState = SocksIdle;
    XmppSocks5Reader socksReader;
    unsigned int contact = 0;
    CYolString peerJid;
    CYolString ownJid;
    int iqNumber = 0;   // our request the session waits on
    CYolString iqId;    // the peer's request the session must answer, as received
    CYolString sid;
    CYolString fileName;  // incoming: offered base name, then the target path; outgoing: the path
    TransferMethod method = TransferMethod::None;
    int64_t totalSize = 0;
    int64_t doneSize = 0;
    bool ibbOpen = false;
    bool outgoing = false;
    bool accepted = false;
    bool activated = false;  // the proxy joined the stream: the file may flow
    uint16_t nextSeq = 0;
    CYolString proxyJid;
    std::vector<StreamHostInfo> streamHosts;

private:
    int fd = -1;
    bool created = false;  // we made the target file: ours to remove on failure
};

// The offered name as a plain file name: its last path component (either
// separator), empty when that is empty, "." or "..".
CYolString TransferBaseName(const CYolString& offered);
// `path`, or when a file is there already the first free "name (N).ext".
CYolString FreeTargetPath(const CYolString& path);
// Bytes of the file at `path`; -1 when it cannot be read as a file.
int64_t TransferFileSize(const CYolString& path);
