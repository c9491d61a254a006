#include "RuvConnection.h"

#include "CSocketsManager.h"

#include <algorithm>
#include <climits>

int RuvConnection::Open(unsigned int owner, const CYolString& host, unsigned int port) {
    Sockets::CSocketsManager* service = sockets();
    if (!service)
        return -3;
    Drop();
    socket = service->CreateSocket(owner);
    if (!socket)
        return -4;
    Sockets::ConnectionSettings settings;
    service->GetSettings(settings);
    settings.host = host;
    settings.port = port;
    settings.secure = 0;
    if (int result = service->Connect(socket, settings); result != 0) {
        Drop();
        return result;
    }
    return 0;
}

RuvConnection::~RuvConnection() { Drop(); }

void RuvConnection::Drop() {
    dropped.Close(socket);
    socket = nullptr;
    // A frame being handled still points into the assembler's buffer: it is
    // emptied once the handler has returned.
    if (delivering)
        clearAfterDelivery = true;
    else
        assembler.Clear();
}

RuvConnection::ReadResult RuvConnection::OnData(int byteCount) {
    Sockets::CSocketsManager* service = sockets();
    if (!service || !socket || byteCount <= 0)
        return ReadResult::Ok;
    // Only what this event announced is read: later bytes bring their own
    // event, so a server that never stops cannot starve the account's queue.
    size_t announced = static_cast<size_t>(byteCount);
    char chunk[16384];
    // A handler may replace the connection (the login hands over to the
    // session server): the rest of this event belonged to the old socket.
    Sockets::CYolSocket* const reading = socket;
    while (announced > 0 && socket == reading) {
        int wanted = static_cast<int>(std::min(announced, sizeof(chunk)));
        int received = service->Receive(socket, chunk, wanted, 0);
        if (received < 1)
            return ReadResult::Failed;
        announced -= std::min(announced, static_cast<size_t>(received));
        assembler.Append(std::string_view(chunk, static_cast<size_t>(received)));
        if (!Deliver())
            return ReadResult::Broken;
    }
    return ReadResult::Ok;
}

bool RuvConnection::Deliver() {
    std::string_view frame;
    Sockets::CYolSocket* const reading = socket;
    while (socket != nullptr && socket == reading) {
        FlapAssembler::Result result = assembler.Next(frame);
        if (result == FlapAssembler::Result::Broken)
            return false;
        if (result == FlapAssembler::Result::NeedMore)
            return true;
        delivering = true;
        reader.OnFrame(frame);
        delivering = false;
        if (clearAfterDelivery) {
            clearAfterDelivery = false;
            assembler.Clear();
        }
    }
    return true;
}

bool RuvConnection::Send(std::string_view bytes) {
    Sockets::CSocketsManager* service = sockets();
    if (!service || !socket || bytes.empty() || bytes.size() > INT_MAX)
        return false;
    return service->Send(socket, bytes.data(), static_cast<int>(bytes.size()), 0) == static_cast<int>(bytes.size());
}
