#include "MrimConnection.h"

#include "CSocketsManager.h"

#include <algorithm>
#include <climits>

namespace {

bool IsHostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

}  // namespace

bool ParseRedirectText(std::string_view text, CYolString& host, unsigned int& port) {
    size_t end = text.find_first_of("\r\n", 0);
    if (end != std::string_view::npos)
        text = text.substr(0, end);
    size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 >= text.size())
        return false;
    std::string_view name = text.substr(0, colon);
    std::string_view digits = text.substr(colon + 1);
    if (!std::all_of(name.begin(), name.end(), IsHostCharacter) || digits.size() > 5)
        return false;
    unsigned int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned int>(c - '0');
    }
    if (value == 0 || value > 65535)
        return false;
    host = CYolString::FromUtf8(name);
    port = value;
    return true;
}

int MrimConnection::Open(unsigned int owner, const CYolString& host, unsigned int port, bool isRedirect) {
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
    redirect = isRedirect;
    return 0;
}

void MrimConnection::Drop() {
    dropped.Close(socket);
    socket = nullptr;
    redirect = false;
    redirectText.clear();
    // A packet being handled still points into the assembler's buffer: it
    // is emptied once the handler has returned.
    if (delivering)
        clearAfterDelivery = true;
    else
        assembler.Clear();
}

MrimConnection::ReadResult MrimConnection::OnData(int byteCount) {
    Sockets::CSocketsManager* service = sockets();
    if (!service || !socket || byteCount <= 0)
        return ReadResult::Ok;
    // Only what this event announced is read: later bytes bring their own
    // event, so a server that never stops cannot starve the account's queue.
    size_t announced = static_cast<size_t>(byteCount);
    char chunk[16384];
    while (announced > 0 && socket) {
        int wanted = static_cast<int>(std::min(announced, sizeof(chunk)));
        int received = service->Receive(socket, chunk, wanted, 0);
        if (received < 1)
            return ReadResult::Failed;
        announced -= std::min(announced, static_cast<size_t>(received));
        std::string_view bytes(chunk, static_cast<size_t>(received));
        if (redirect) {
            redirectText.append(bytes);
            if (redirectText.size() > kMaxRedirectText)
                return ReadResult::Broken;
            if (redirectText.find_first_of("\r\n") != std::string::npos)
                FinishRedirect();
            continue;
        }
        assembler.Append(bytes);
        if (!Deliver())
            return ReadResult::Broken;
    }
    return ReadResult::Ok;
}

bool MrimConnection::Deliver() {
    MrimPacket packet;
    while (socket) {
        MrimPacketAssembler::Result result = assembler.Next(packet);
        if (result == MrimPacketAssembler::Result::Broken)
            return false;
        if (result == MrimPacketAssembler::Result::NeedMore)
            return true;
        delivering = true;
        reader.OnPacket(packet);
        delivering = false;
        if (clearAfterDelivery) {
            clearAfterDelivery = false;
            assembler.Clear();
        }
    }
    return true;
}

void MrimConnection::OnRedirectClosed() {
    if (redirect)
        FinishRedirect();
}

void MrimConnection::FinishRedirect() {
    CYolString host;
    unsigned int port = 0;
    bool valid = ParseRedirectText(redirectText, host, port);
    Drop();
    reader.OnRedirect(valid, host, port);
}

bool MrimConnection::Send(std::string_view bytes) {
    Sockets::CSocketsManager* service = sockets();
    if (!service || !socket || bytes.empty() || bytes.size() > INT_MAX)
        return false;
    return service->Send(socket, bytes.data(), static_cast<int>(bytes.size()), 0) == static_cast<int>(bytes.size());
}
