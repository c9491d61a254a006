#pragma once
// ZemFileTransfer: the account's file transfers. It owns the transfer list,
// answers the user's commands (send, accept, refuse or cancel), the
// transfer packets of the session (offers, answers, proxy requests and
// their acknowledgements) and the events of the transfer connections, and
// reports every step to the program's transfers window.
//
// Threads: the session's packets and the commands come on the account's
// queue thread, and so do the transfer sockets' events, since the account
// owns those sockets; one lock serialises every entry point all the same,
// so the list and its transfers are never touched by two threads at once
// wherever a caller runs. The sink and the ports are called under it.

#include "CTransferSockets.h"
#include "CZemContactList.h"
#include "CZemTransfer.h"
#include "MrimPacketSink.h"
#include "MrimWire.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <random>
#include <vector>

class ZemFileTransfer final : public MTransferSocketEvents {
public:
    ZemFileTransfer(MrimPacketSink& sink, const CZemContactList& contacts, MZemTransferPorts& ports)
        : sink(sink), contacts(contacts), ports(ports), random(std::random_device{}()) {}
    ZemFileTransfer(const ZemFileTransfer&) = delete;
    ZemFileTransfer& operator=(const ZemFileTransfer&) = delete;

    // ---- the user's commands ----
    // 0 when the offer went out; -1 for an unknown contact, a file that is
    // missing, empty, too large or badly named, a second transfer of the
    // same file to the same contact, or a session that is not there.
    int SendFile(unsigned int contact, const CYolString& path);
    void AcceptFile(unsigned int contact, const CYolString& fileName, const CYolString& targetPath);
    // Refuses an offer or cancels a transfer under way, in either direction.
    void RefuseFile(unsigned int contact, const CYolString& fileName);

    // ---- packets of the session ----
    void OnOffer(const MrimPacket& packet);
    void OnAnswer(const MrimPacket& packet);
    void OnProxy(const MrimPacket& packet);
    void OnProxyAck(const MrimPacket& packet);

    // ---- the transfer connections ----
    void OnSocketConnected(int socket, int code) override;
    void OnSocketData(int socket, const uint8_t* data, size_t size) override;
    void OnSocketSendResult(int socket, int result) override;
    void OnSocketClosed(int socket, int code) override;

    // The session ended: every transfer stops, reported as failed.
    void EndSession();
    size_t Count();

private:
    using Lock = std::lock_guard<std::recursive_mutex>;

    // A transfer is named by its session id together with its peer, so
    // nobody else can answer for it.
    CZemTransfer* FindBySession(uint32_t sessionId, const CYolString& from);
    CZemTransfer* FindByFile(unsigned int contact, const CYolString& name);
    CZemTransfer* FindBySocket(int socket);
    uint32_t NewSessionId();
    // Acts on what a transfer's call left of it.
    void Apply(CZemTransfer* transfer, TransferStep step);
    void Fail(CZemTransfer* transfer, ZemFTState report);
    void Drop(CZemTransfer* transfer);
    // The proxy's id and addresses came: the transfer meets the peer there.
    void ToProxy(CZemTransfer& transfer, const MrimProxyAnswer& answer);

    MrimPacketSink& sink;
    const CZemContactList& contacts;
    MZemTransferPorts& ports;
    std::mt19937 random;
    std::recursive_mutex lock;
    std::vector<std::unique_ptr<CZemTransfer>> transfers;
};
