// The account's side of file transfers: the program's commands, the
// reports, and the transfer sockets, owned by the account so their events
// come on its queue thread.

#include "CRuvAccount.h"

#include "CSocketsManager.h"

int CRuvAccount::SendFile(unsigned int contact, CYolString path) {
    // The offer travels on the session.
    if (status > Protocols::Connecting)
        fileTransfer.SendFile(contact, path);
    return 0;
}

int CRuvAccount::AcceptFile(unsigned int contact, CYolString fileName, CYolString targetPath) {
    fileTransfer.AcceptFile(contact, fileName, targetPath);
    return 0;
}

int CRuvAccount::RefuseFile(unsigned int contact, CYolString fileName) {
    fileTransfer.RefuseFile(contact, fileName);
    return 0;
}

void CRuvAccount::ReportProgress(const Protocols::FTProgress& progress) {
    SendAccountEvent(Protocols::AccountEvent::FileTransferProgress, NewFTProgressEventArg(progress));
}

int CRuvAccount::ConnectTransfer(const CYolString& host, uint32_t port) {
    return transferSockets.Connect(GetClientId(), host, port);
}

bool CRuvAccount::SendTransfer(int socket, std::string_view bytes) { return transferSockets.Send(socket, bytes); }

void CRuvAccount::CloseTransfer(int socket) { transferSockets.Close(socket); }

bool CRuvAccount::RouteTransferEvent(Sockets::CYolSocket* socket, int event, int value) {
    return transferSockets.Route(socket, event, value, fileTransfer);
}

int CRuvAccount::OnSocketSendError(Sockets::CYolSocket* socket, int code) {
    RouteTransferEvent(socket, Sockets::SocketEvent::SendError, code);
    return 0;
}
