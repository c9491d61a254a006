// The byte layer under the account's XML stream: connecting through the
// sockets service, the receive buffer that feeds the parser, the send path
// and stream compression.

#include "CJabberAccount.h"
#include "CSocketsManager.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {
// What ReadSocket answers when the compressed stream is broken.
constexpr int kReadBroken = INT_MIN;
}  // namespace

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
    Sockets::CSocketsManager* sockets = SocketsService();
    if (!sockets)
        return -3;
    if (socket && sockets->IsValidSocket(socket))
        sockets->DestroySocket(socket);
    socket = nullptr;
    compression.End();
    receiveUsed = 0;
    pendingIqs.Clear();
    groupsBeforeRoster.clear();

    socket = sockets->CreateSocket(clientId);
    if (!socket)
        return -4;
    Sockets::ConnectionSettings connection;
    sockets->GetSettings(connection);
    connection.host = settings.host;
    connection.port = settings.hostPort;
    connection.secure = settings.useSsl ? 1 : 0;
    if (int result = sockets->Connect(socket, connection); result != 0)
        return result;
    sockets->SetSocketOption(socket, 1);

    status = Protocols::Connecting;
    wantedStatus = wanted;
    reconnectStatus = wanted;
    ReportStatus(Protocols::Connecting);
    return 0;
}

int CJabberAccount::OnSocketConnected(Sockets::CYolSocket* connected, int code) {
    if (connected != socket)
        return 0;
    if (code == 0) {
        if (Sockets::CSocketsManager* sockets = SocketsService())
            sockets->SetSocketOption(socket, 1);
        receiveUsed = 0;
        ResetStream();
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

int CJabberAccount::OnSocketClosed(Sockets::CYolSocket* closed, int) {
    if (closed != socket)
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

bool CJabberAccount::GrowReceiveBuffer(size_t capacity) {
    if (capacity > kMaxReceiveBuffer)
        return false;
    if (capacity > receiveCapacity) {
        receiveBuffer.resize(capacity + 1);
        receiveCapacity = capacity;
    }
    return true;
}

int CJabberAccount::OnSocketData(Sockets::CYolSocket* from, int byteCount) {
    if (status == Protocols::Offline || from != socket)
        return 0;
    // Only what this event announced is read: bytes that came after it get
    // an event of their own, so a server that never stops sending cannot
    // keep the account's other events waiting behind it.
    size_t announced = byteCount > 0 ? static_cast<size_t>(byteCount) : 0;
    // The announced bytes may be more than the buffer ever holds: they are
    // read in parts, and the parser takes each part before the next is read.
    GrowReceiveBuffer(std::min(receiveUsed + announced, kMaxReceiveBuffer));
    // Compressed bytes can inflate to far more than one buffer, and no
    // further event comes for what is already in the inflater, so the loop
    // runs until the inflater is empty too.
    for (;;) {
        // The parser never leaves more than a stanza's worth unread, so a
        // full buffer at its largest is a parser that takes nothing more.
        if (receiveUsed == receiveCapacity &&
            (receiveCapacity == kMaxReceiveBuffer ||
             !GrowReceiveBuffer(std::min(receiveCapacity * 2, kMaxReceiveBuffer)))) {
            LoseConnection();
            return 0;
        }
        int read = ReadSocket(announced);
        if (read == kReadBroken) {
            LoseConnection();
            return 0;
        }
        if (read <= 0)
            return 0;
        receiveUsed += static_cast<size_t>(read);
        receiveBuffer[receiveUsed] = '\0';
        FeedParser();
        if (status == Protocols::Offline)
            return 0;
        if (parser.Failed()) {
            LoseConnection();
            return 0;
        }
    }
}

// A parser reset by the login (a new stream) stops after the element that
// ended the old stream, so what follows is fed again to the new one; any
// other parser leaves at most an unfinished tag, and takes nothing more.
void CJabberAccount::FeedParser() {
    while (receiveUsed > 0) {
        size_t taken = parser.Feed(receiveBuffer.data(), receiveUsed);
        if (status == Protocols::Offline || taken == 0)
            return;
        std::memmove(receiveBuffer.data(), receiveBuffer.data() + taken, receiveUsed - taken);
        receiveUsed -= taken;
        receiveBuffer[receiveUsed] = '\0';
    }
}

int CJabberAccount::ReadSocket(size_t& announced) {
    Sockets::CSocketsManager* sockets = SocketsService();
    if (!sockets || !socket)
        return 0;
    char* out = receiveBuffer.data() + receiveUsed;
    size_t room = receiveCapacity - receiveUsed;
    if (!compression.IsActive())
        return TakeAnnounced(*sockets, out, room, announced);
    for (;;) {
        if (!compression.HasPendingOutput()) {
            char compressed[XmppCompression::kChunk];
            int received = TakeAnnounced(*sockets, compressed, sizeof(compressed), announced);
            if (received < 1)
                return received;
            compression.AddInput(compressed, static_cast<size_t>(received));
        }
        size_t produced = 0;
        if (compression.Inflate(out, room, produced) == XmppCompression::InflateResult::Error)
            return kReadBroken;
        if (produced > 0)
            return static_cast<int>(produced);
    }
}

int CJabberAccount::TakeAnnounced(Sockets::CSocketsManager& sockets, char* out, size_t room, size_t& announced) {
    size_t wanted = std::min({room, announced, size_t{INT_MAX}});
    if (wanted == 0)
        return 0;
    int received = sockets.Receive(socket, out, static_cast<int>(wanted), 0);
    if (received > 0)
        announced -= std::min(announced, static_cast<size_t>(received));
    return received;
}

bool CJabberAccount::SendStanza(const XmlNode& element) { return SendText(element.Serialize()); }

bool CJabberAccount::SendText(std::string_view text) {
    Sockets::CSocketsManager* sockets = SocketsService();
    if (!sockets || !socket || text.empty())
        return false;
    if (!compression.IsActive())
        return sockets->Send(socket, text.data(), static_cast<int>(text.size()), 0) == static_cast<int>(text.size());
    return compression.Deflate(text, [sockets, this](const char* data, int length) {
        return sockets->Send(socket, data, length, 0);
    });
}
