// The account's side of file transfers: the program's commands, the
// reports, and the bytestream sockets the transfers open through the
// sockets service (owned by the account, so their events come on its
// queue thread).

#include "CJabberAccount.h"

#include "CSocketsManager.h"

int CJabberAccount::SendFile(unsigned int contact, CYolString path) {
    if (status > Protocols::Connecting)
        transfers.SendFile(contact, path);
    return 0;
}

int CJabberAccount::AcceptFile(unsigned int contact, CYolString fileName, CYolString targetPath) {
    transfers.AcceptFile(contact, fileName, targetPath);
    return 0;
}

int CJabberAccount::RefuseFile(unsigned int contact, CYolString fileName) {
    transfers.RefuseFile(contact, fileName);
    return 0;
}

void CJabberAccount::ReportProgress(const Protocols::FTProgress& progress) {
    SendAccountEvent(Protocols::AccountEvent::FileTransferProgress, NewFTProgressEventArg(progress));
}

CYolString CJabberAccount::BytestreamProxy() {
    return settings.fileTransferProxyEnabled ? settings.fileTransferProxy : CYolString();
}

int CJabberAccount::Connect(const CYolString& host, uint32_t port) {
    return bytestreams.Connect(GetClientId(), host, port);
}

bool CJabberAccount::Send(int socket, const std::string& bytes) { return bytestreams.Send(socket, bytes); }

void CJabberAccount::Close(int socket) { bytestreams.Close(socket); }

bool CJabberAccount::OnTransferSocketEvent(Sockets::CYolSocket* socket, int event, int value) {
    return bytestreams.Route(socket, event, value, transfers);
}

int CJabberAccount::OnSocketSendError(Sockets::CYolSocket* socket, int code) {
    if (OnTransferSocketEvent(socket, Sockets::SocketEvent::SendError, code))
        return 0;
    // Each send on the account's own connection lets one in-band chunk go.
    if (connection.Owns(socket))
        transfers.OnSendResult(code);
    return 0;
}
