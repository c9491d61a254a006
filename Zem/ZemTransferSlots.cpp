// The account's side of file transfers: the program's commands, the
// reports, and the transfer sockets, owned by the account so their events
// come on its queue thread.

#include "CZemAccount.h"

#include "CSocketsManager.h"

int CZemAccount::SendFile(unsigned int contact, CYolString path) {
    return status > Protocols::Connecting ? fileTransfer.SendFile(contact, path) : -1;
}

int CZemAccount::AcceptFile(unsigned int contact, CYolString fileName, CYolString targetPath) {
    fileTransfer.AcceptFile(contact, fileName, targetPath);
    return 0;
}

int CZemAccount::RefuseFile(unsigned int contact, CYolString fileName) {
    fileTransfer.RefuseFile(contact, fileName);
    return 0;
}

void CZemAccount::ReportProgress(const Protocols::FTProgress& progress) {
    SendAccountEvent(Protocols::AccountEvent::FileTransferProgress, NewFTProgressEventArg(progress));
}

int CZemAccount::ConnectTransfer(const CYolString& host, uint32_t port) {
    return transferSockets.Connect(GetClientId(), host, port);
}

bool CZemAccount::SendTransfer(int socket, std::string_view bytes) { return transferSockets.Send(socket, bytes); }

void CZemAccount::CloseTransfer(int socket) { transferSockets.Close(socket); }

bool CZemAccount::RouteTransferEvent(Sockets::CYolSocket* socket, int event, int value) {
    return transferSockets.Route(socket, event, value, fileTransfer);
}

int CZemAccount::OnSocketSendError(Sockets::CYolSocket* socket, int code) {
    RouteTransferEvent(socket, Sockets::SocketEvent::SendError, code);
    return 0;
}
