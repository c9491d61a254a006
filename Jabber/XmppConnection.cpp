#include "XmppConnection.h"

#include "CSocketsManager.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {
// What ReadSocket answers when the compressed stream is broken.
constexpr int kReadBroken = INT_MIN;
}  // namespace

int XmppConnection::Open(unsigned int owner, const CYolString& host, unsigned int port, bool secure) {
    Sockets::CSocketsManager* service = sockets();
    if (!service)
        return -3;
    Drop(false);
    compression.End();
    receiveUsed = 0;

    socket = service->CreateSocket(owner);
    if (!socket)
        return -4;
    Sockets::ConnectionSettings connection;
    service->GetSettings(connection);
    connection.host = host;
    connection.port = port;
    connection.secure = secure ? 1 : 0;
    if (int result = service->Connect(socket, connection); result != 0)
        return result;
    service->SetSocketOption(socket, 1);
    return 0;
}

void XmppConnection::Drop(bool close) {
    if (Sockets::CSocketsManager* service = sockets(); service && socket && service->IsValidSocket(socket)) {
        if (close)
            service->Close(socket);
        service->DestroySocket(socket);
    }
    socket = nullptr;
}

void XmppConnection::OnConnected() {
    if (Sockets::CSocketsManager* service = sockets())
        service->SetSocketOption(socket, 1);
    receiveUsed = 0;
    ResetStream();
}

void XmppConnection::ResetStream() {
    parser.Reset();
    parser.SetCallback(
        1, XmlStreamParser::Start,
        [](XmlNode* element, void* reader) {
            if (element)
                static_cast<MXmppStreamReader*>(reader)->OnStreamHeader(*element);
        },
        &reader);
    parser.SetCallback(
        2, XmlStreamParser::End,
        [](XmlNode* element, void* reader) {
            if (element)
                static_cast<MXmppStreamReader*>(reader)->OnStanza(*element);
        },
        &reader);
    parser.SetDroppedCallback(
        [](XmlNode* element, void* reader) {
            if (element)
                static_cast<MXmppStreamReader*>(reader)->OnStanzaDropped(*element);
        },
        &reader);
}

bool XmppConnection::GrowReceiveBuffer(size_t capacity) {
    if (capacity > kMaxReceiveBuffer)
        return false;
    if (capacity > receiveCapacity) {
        receiveBuffer.resize(capacity + 1);
        receiveCapacity = capacity;
    }
    return true;
}

XmppConnection::ReadResult XmppConnection::OnData(int byteCount) {
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
             !GrowReceiveBuffer(std::min(receiveCapacity * 2, kMaxReceiveBuffer))))
            return ReadResult::Broken;
        int read = ReadSocket(announced);
        if (read == kReadBroken)
            return ReadResult::Broken;
        if (read <= 0)
            return ReadResult::Ok;
        receiveUsed += static_cast<size_t>(read);
        receiveBuffer[receiveUsed] = '\0';
        FeedParser();
        // A stanza's handler ended the connection.
        if (!socket)
            return ReadResult::Ok;
        if (parser.Failed())
            return ReadResult::Broken;
    }
}

// A parser reset for a new stream stops after the element that ended the old
// one, so what follows is fed again to the new one; any other parser leaves
// at most an unfinished tag, and takes nothing more.
void XmppConnection::FeedParser() {
    while (receiveUsed > 0) {
        size_t taken = parser.Feed(receiveBuffer.data(), receiveUsed);
        if (!socket || taken == 0)
            return;
        std::memmove(receiveBuffer.data(), receiveBuffer.data() + taken, receiveUsed - taken);
        receiveUsed -= taken;
        receiveBuffer[receiveUsed] = '\0';
    }
}

int XmppConnection::ReadSocket(size_t& announced) {
    Sockets::CSocketsManager* service = sockets();
    if (!service || !socket)
        return 0;
    char* out = receiveBuffer.data() + receiveUsed;
    size_t room = receiveCapacity - receiveUsed;
    if (!compression.IsActive())
        return TakeAnnounced(*service, out, room, announced);
    for (;;) {
        if (!compression.HasPendingOutput()) {
            char compressed[XmppCompression::kChunk];
            int received = TakeAnnounced(*service, compressed, sizeof(compressed), announced);
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

int XmppConnection::TakeAnnounced(Sockets::CSocketsManager& service, char* out, size_t room, size_t& announced) {
    size_t wanted = std::min({room, announced, size_t{INT_MAX}});
    if (wanted == 0)
        return 0;
    int received = service.Receive(socket, out, static_cast<int>(wanted), 0);
    if (received > 0)
        announced -= std::min(announced, static_cast<size_t>(received));
    return received;
}

bool XmppConnection::SendText(std::string_view text) {
    Sockets::CSocketsManager* service = sockets();
    if (!service || !socket || text.empty())
        return false;
    if (!compression.IsActive())
        return service->Send(socket, text.data(), static_cast<int>(text.size()), 0) == static_cast<int>(text.size());
    return compression.Deflate(text, [service, this](const char* data, int length) {
        return service->Send(socket, data, length, 0);
    });
}
