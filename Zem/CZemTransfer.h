#pragma once
// CZemTransfer: one file transfer of an MRIM account, in either direction:
// who it is with, its session and proxy ids, the addresses to try, the
// files with how far each got, and the state of its transfer connection.
// It runs the connection's side of the transfer (connect, the proxy's
// greeting, the hello texts, the file requests, the data) and tells its
// list, by the step each call returns, when the transfer is over or failed.
// The list (ZemFileTransfer) owns it and serialises every touch under its
// lock.

#include "CTransferFile.h"
#include "CYolString.h"
#include "MrimPacketSink.h"
#include "MrimTransferPackets.h"
#include "ProtocolRecords.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The state a transfer report carries.
enum class ZemFTState : unsigned int { Offered = 0, Progress = 1, Completed = 2, Cancelled = 3, Failed = 4 };

enum class TransferConnState : uint8_t {
    Idle = 0,
    ConnectingDirect = 1,
    ConnectingProxy = 3,
    Receiving = 5,
    Greeting = 6,
    ProxyWait = 7,
    Sending = 8,
};

// What a call leaves of the transfer: it goes on, it is over (drop it), or
// it failed (report it, drop it and what it received).
enum class TransferStep { Going, Over, Failed };

// What the transfers need of their account.
class MZemTransferPorts {
public:
    virtual void ReportProgress(const Protocols::FTProgress& progress) = 0;
    virtual CYolString OwnAddress() = 0;
    // Plain TCP connections, named by a number (0: none could be made).
    virtual int ConnectTransfer(const CYolString& host, uint32_t port) = 0;
    virtual bool SendTransfer(int socket, std::string_view bytes) = 0;
    virtual void CloseTransfer(int socket) = 0;

protected:
    ~MZemTransferPorts() = default;
};

class CZemTransfer {
public:
    static constexpr size_t kChunkSize = 2048;
    // The longest greeting text (hello or file request) we wait for.
    static constexpr size_t kMaxGreeting = 1024;

    struct File {
        std::string offered;  // the name as it travels, Windows-1251
        CYolString name;      // the same name, as shown
        CTransferFile data;   // path, size and bytes done
    };

    CZemTransfer(MrimPacketSink& sink, MZemTransferPorts& ports) : sink(sink), ports(ports) {}
    CZemTransfer(const CZemTransfer&) = delete;
    CZemTransfer& operator=(const CZemTransfer&) = delete;
    ~CZemTransfer() { CloseSocket(); }

    File& AddFile(std::string offered, uint32_t size);
    // Tries the next address in `mode`; with every address tried, asks the
    // server for a proxy (the sender) or offers its own addresses (the
    // receiver), or fails when it was the proxy's addresses that ran out.
    TransferStep ConnectNext(TransferConnState mode);
    TransferStep OnConnected(int code);
    TransferStep OnData(std::string_view bytes);
    TransferStep OnSendResult(int result);
    TransferStep OnClosed();
    void CloseSocket();

    // Reports the file in hand (or the first) in `state`.
    void Report(ZemFTState state, bool activate = false);
    // The file in hand loses what it received.
    void DiscardCurrent();
    const File* FirstFile() const { return files.empty() ? nullptr : files.front().get(); }

    bool outgoing = false;
    CYolString peer;
    unsigned int contact = 0;
    uint32_t totalSize = 0;
    uint32_t sessionId = 0;
    std::string fileListRaw;
    std::string fileListWide;
    std::string proxyId;
    CYolString folder;
    std::vector<MrimTransferAddress> addresses;
    std::vector<std::unique_ptr<File>> files;
    size_t nextAddress = 0;
    size_t currentFile = 0;
    TransferConnState connState = TransferConnState::Idle;
    int socket = 0;

private:
    TransferStep OnGreetingText(std::string_view text);
    TransferStep SendHello();
    TransferStep RequestNextFile();
    TransferStep HandleGetFile(std::string_view name);
    TransferStep SendNextChunk();
    // Every byte of the file went out: reported complete, connection closed.
    TransferStep SendingDone();
    TransferStep ReceiveData(std::string_view bytes);
    bool IsPeersHello(std::string_view text) const;
    File* Current() { return currentFile < files.size() ? files[currentFile].get() : nullptr; }

    MrimPacketSink& sink;
    MZemTransferPorts& ports;
    // How the current connection was made: a failed one goes on the same way.
    TransferConnState connectMode = TransferConnState::ConnectingDirect;
    // Bytes of the proxy's answer and of greeting texts not yet whole.
    std::string inbox;
};
