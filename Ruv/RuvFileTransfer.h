#pragma once
// RuvFileTransfer: the account's file transfers. It owns the sessions
// (CRuvFileTransfer), answers the user's send, accept and refuse commands,
// reads the rendezvous messages a peer sends through the server (offers,
// redirects to a proxy session, cancels) and hands each session the events
// of its connection. A session is named on the wire by its cookie (from
// the kernel's random source) and towards the user by contact and file
// name. A received offer connects nothing until the user accepts it; its
// name is kept as a plain file name and the accepted target never replaces
// a file that is there. Finished, failed and cancelled sessions are
// reported and removed.
//
// Runs on the account's queue thread: the commands, the session's frames
// and the transfer sockets' events (the account owns those sockets) all
// come there, so a session is never removed under a running handler.

#include "CRuvFileTransfer.h"
#include "CTransferSockets.h"
#include "RuvServerList.h"

#include <memory>
#include <string_view>
#include <vector>

class RuvFileTransfer final : public MTransferSocketEvents {
public:
    RuvFileTransfer(RuvPacketSink& sink, CRuvServerList& list, MRuvTransferPorts& ports)
        : sink(sink), list(list), ports(ports) {}
    RuvFileTransfer(const RuvFileTransfer&) = delete;
    RuvFileTransfer& operator=(const RuvFileTransfer&) = delete;

    // ---- the user's commands ----
    // Offers the file at `path`; nothing for an unknown contact, a missing
    // or empty file, or a second transfer of it to the same contact.
    void SendFile(unsigned int contact, const CYolString& path);
    void AcceptFile(unsigned int contact, const CYolString& fileName, const CYolString& targetPath);
    // Refuses an offer or cancels a transfer under way, in either direction.
    void RefuseFile(unsigned int contact, const CYolString& fileName);

    // ---- what the server relays (whole frames) ----
    // A frame that concerns a transfer; true when it did and nobody else
    // needs it.
    bool OnFrame(std::string_view frame);
    // A channel-2 message; true when it was a file-transfer rendezvous.
    bool OnRendezvous(const uint8_t* frame, size_t size);
    // A client error answer; true when it ended a transfer.
    bool OnCancel(const uint8_t* frame, size_t size);

    // ---- the transfer connections ----
    void OnSocketConnected(int socket, int code) override;
    void OnSocketData(int socket, const uint8_t* data, size_t size) override;
    void OnSocketSendResult(int socket, int result) override;
    void OnSocketClosed(int socket, int code) override;

    // The account's connection ended: every transfer stops, reported as
    // failed.
    void EndSession();
    size_t Count() const { return sessions.size(); }
    const CRuvFileTransfer* At(size_t index) const { return sessions[index].get(); }

private:
    CRuvFileTransfer* Find(unsigned int contact, RuvCookie cookie);
    CRuvFileTransfer* FindByName(unsigned int contact, const CYolString& name);
    CRuvFileTransfer* FindBySocket(int socket);
    CRuvFileTransfer* Create(const CRuvListItem& peer, RuvCookie cookie, const CYolString& path, uint32_t size,
                             uint8_t flags);
    void Remove(CRuvFileTransfer* session);
    // Acts on what a session's call left of it.
    void Apply(CRuvFileTransfer* session, RuvTransferStep step);
    void End(CRuvFileTransfer* session, RuvFTState report);
    void SendCancel(RuvCookie cookie, const CYolString& screenName);

    RuvPacketSink& sink;
    CRuvServerList& list;
    MRuvTransferPorts& ports;
    std::vector<std::unique_ptr<CRuvFileTransfer>> sessions;
};
