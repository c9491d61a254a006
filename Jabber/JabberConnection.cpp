// The account's connection: connecting under a wanted status, the socket
// events and the stream they carry, and losing the connection.

#include "CJabberAccount.h"

int CJabberAccount::Connect(Protocols::Status wanted) {
    if (wanted == Protocols::Offline)
        return -2;
    if (status == Protocols::Connecting) {
        wantedStatus = wanted;
        reconnectStatus = wanted;
        return 0;
    }
    if (status >= Protocols::Online) {
        wantedStatus = wanted;
        ApplyStatus(wanted);
        ReportStatus(wanted);
        return 0;
    }
    if (!SocketsService())
        return -3;
    pendingIqs.Clear();
    roster.ForgetGroupsBeforeRoster();
    if (int result = connection.Open(clientId, settings.host, settings.hostPort, settings.useSsl); result != 0)
        return result;

    status = Protocols::Connecting;
    wantedStatus = wanted;
    reconnectStatus = wanted;
    ReportStatus(Protocols::Connecting);
    return 0;
}

int CJabberAccount::OnSocketConnected(Sockets::CYolSocket* connected, int code) {
    if (OnTransferSocketEvent(connected, Sockets::SocketEvent::ConnectResult, code))
        return 0;
    if (!connection.Owns(connected))
        return 0;
    if (code == 0) {
        connection.OnConnected();
        login.Begin();
        return 0;
    }
    Protocols::Status restore = wantedStatus;
    Disconnect();
    if (code != -3 && restore != Protocols::Offline) {
        reconnectStatus = restore;
        StartReconnect();
    }
    return 0;
}

int CJabberAccount::OnSocketClosed(Sockets::CYolSocket* closed, int code) {
    if (OnTransferSocketEvent(closed, Sockets::SocketEvent::Closed, code))
        return 0;
    if (!connection.Owns(closed))
        return 0;
    LoseConnection();
    return 0;
}

void CJabberAccount::LoseConnection() {
    Protocols::Status restore = wantedStatus;
    if (restore == Protocols::Offline)
        return;
    Disconnect();
    reconnectStatus = restore;
    StartReconnect();
}

int CJabberAccount::OnSocketData(Sockets::CYolSocket* from, int byteCount) {
    if (OnTransferSocketEvent(from, Sockets::SocketEvent::DataAvailable, byteCount))
        return 0;
    if (status == Protocols::Offline || !connection.Owns(from))
        return 0;
    if (connection.OnData(byteCount) == XmppConnection::ReadResult::Broken)
        LoseConnection();
    return 0;
}

void CJabberAccount::OnStreamHeader(const XmlNode& header) { login.OnStreamHeader(header); }

bool CJabberAccount::SendStanza(const XmlNode& element) { return SendText(element.Serialize()); }

bool CJabberAccount::SendText(std::string_view text) { return connection.SendText(text); }
