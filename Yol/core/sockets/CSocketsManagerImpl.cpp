#include "CSocketsManagerImpl.h"

#include "CEventArg.h"
#include "CServicesManager.h"
#include "CYolDatabase.h"
#include "YolGuids.h"

#include <new>

namespace Sockets {

namespace {

Database::CYolDatabase* FindDatabase(Services::CServicesManager* manager) {
    return manager ? static_cast<Database::CYolDatabase*>(manager->GetService(DatabaseGuid)) : nullptr;
}

}  // namespace

CSocketsManagerImpl::CSocketsManagerImpl(Services::CServicesManager* manager)
    : CSocketsManagerImpl(manager, std::make_unique<CAlwaysConnected>(), SocketOptions()) {}

CSocketsManagerImpl::CSocketsManagerImpl(Services::CServicesManager* manager,
                                         std::unique_ptr<CConnectionManager> network, const SocketOptions& options)
    : manager(manager), network(std::move(network)), options(options) {
    if (manager) {
        serviceKey = manager->RegisterService(SocketsManagerGuid, static_cast<CSocketsManager*>(this));
        trafficEventKey = manager->RegisterEvent(SocketsManagerGuid, SocketsTrafficChanged);
    }
    LoadSettings();
}

CSocketsManagerImpl::~CSocketsManagerImpl() {
    SaveSettings();
    if (manager) {
        manager->UnregisterService(serviceKey);
        manager->UnregisterEvent(trafficEventKey);
    }
    std::lock_guard<std::mutex> hold(lock);
    for (auto& entry : sockets)
        entry.second->Close();
    sockets.clear();
}

// --- sockets ---------------------------------------------------------------------

std::shared_ptr<CYolSocket> CSocketsManagerImpl::Find(CYolSocket* socket) {
    std::lock_guard<std::mutex> hold(lock);
    auto found = sockets.find(socket);
    return found == sockets.end() ? nullptr : found->second;
}

size_t CSocketsManagerImpl::SocketCount() {
    std::lock_guard<std::mutex> hold(lock);
    return sockets.size();
}

CYolSocket* CSocketsManagerImpl::CreateSocket(unsigned int ownerClientKey) {
    try {
        auto socket = std::make_shared<CYolSocket>(ownerClientKey, static_cast<MSocketEvents&>(*this), *network, options);
        if (!socket->IsUsable())
            return nullptr;
        std::lock_guard<std::mutex> hold(lock);
        sockets.emplace(socket.get(), socket);
        return socket.get();
    } catch (const std::exception&) {
        return nullptr;
    }
}

bool CSocketsManagerImpl::IsValidSocket(CYolSocket* socket) { return Find(socket) != nullptr; }

int CSocketsManagerImpl::DestroySocket(CYolSocket* socket) {
    std::shared_ptr<CYolSocket> doomed;
    {
        std::lock_guard<std::mutex> hold(lock);
        auto found = sockets.find(socket);
        if (found == sockets.end())
            return -2;
        doomed = std::move(found->second);
        sockets.erase(found);
        try {
            doomed->Close();
        } catch (const std::exception&) {
            return -1;
        }
    }
    // Deleted here, or by a Send still holding it once that returns.
    return 0;
}

int CSocketsManagerImpl::Connect(CYolSocket* socket, const ConnectionSettings& settings) {
    auto found = Find(socket);
    if (!found)
        return -2;
    return found->Connect(settings);
}

int CSocketsManagerImpl::Send(CYolSocket* socket, const void* data, int length, int flags) {
    auto found = Find(socket);
    if (!found)
        return -2;
    // The bytes count as sent when asked for, whatever the send does.
    if (length > 0)
        bytesSent.fetch_add(static_cast<uint32_t>(length), std::memory_order_relaxed);
    TrafficChanged();
    int error = 0;
    int result = found->Send(data, length, flags, error);
    OnSocketEvent(socket, SocketEvent::SendError, error);
    return result;
}

int CSocketsManagerImpl::Receive(CYolSocket* socket, void* buffer, int size, int) {
    auto found = Find(socket);
    if (!found)
        return -2;
    int taken = found->Receive(buffer, size);
    if (taken > 0) {
        bytesReceived.fetch_add(static_cast<uint32_t>(taken), std::memory_order_relaxed);
        TrafficChanged();
    }
    return taken;
}

void CSocketsManagerImpl::Close(CYolSocket* socket) {
    if (auto found = Find(socket))
        found->Close();
}

void CSocketsManagerImpl::CloseAll() {
    std::lock_guard<std::mutex> hold(lock);
    for (auto& entry : sockets)
        entry.second->Close();
}

int CSocketsManagerImpl::SetSocketOption(CYolSocket* socket, int) { return Find(socket) ? 0 : -2; }

int CSocketsManagerImpl::Reserved9(CYolSocket* socket, int) { return Find(socket) ? 0 : -2; }

int CSocketsManagerImpl::Reserved10(CYolSocket* socket, int) { return Find(socket) ? 0 : -2; }

// --- events ----------------------------------------------------------------------

void CSocketsManagerImpl::OnSocketEvent(CYolSocket* socket, int event, int code) {
    if (!manager)
        return;
    auto* arg = new (std::nothrow) Services::CEventArg_Data<CYolSocket*>(socket);
    auto* extra = new (std::nothrow) Services::CEventArg_Data<int>(code);
    manager->SendEvent(socket->GetOwner(), SocketsManagerGuid, event, arg, extra, false);
}

void CSocketsManagerImpl::OnSocketText(CYolSocket* socket, int event, const CYolString& text) {
    if (!manager)
        return;
    auto* arg = new (std::nothrow) Services::CEventArg_Data<CYolSocket*>(socket);
    auto* extra = new (std::nothrow) Services::CEventArg_Data<CYolString>(text);
    manager->SendEvent(socket->GetOwner(), SocketsManagerGuid, event, arg, extra, false);
}

void CSocketsManagerImpl::TrafficChanged() {
    if (manager)
        manager->BroadcastEvent(trafficEventKey, nullptr, nullptr, false);
}

unsigned int CSocketsManagerImpl::GetBytesSent() { return bytesSent.load(std::memory_order_relaxed); }

unsigned int CSocketsManagerImpl::GetBytesReceived() { return bytesReceived.load(std::memory_order_relaxed); }

// --- connection settings -----------------------------------------------------------

void CSocketsManagerImpl::GetSettings(ConnectionSettings& settings) {
    std::lock_guard<std::mutex> hold(settingsLock);
    settings = current;
}

void CSocketsManagerImpl::SetSettings(const ConnectionSettings& settings) {
    std::lock_guard<std::mutex> hold(settingsLock);
    current = settings;
}

// Host, port and secure are each caller's own and are not kept.
void CSocketsManagerImpl::LoadSettings() {
    Database::CYolDatabase* database = FindDatabase(manager);
    if (!database)
        return;
    const YOL_GUID& section = SocketsManagerGuid;
    ConnectionSettings loaded;
    unsigned char byte = 0;
    unsigned long dword = 0;
    database->GetString(section, u"Access point", loaded.accessPoint);
    if (database->GetByte(section, u"Proxy type", byte))
        loaded.proxyType = byte;
    database->GetString(section, u"Proxy hostname", loaded.proxyHost);
    if (database->GetDword(section, u"Proxy port", dword))
        loaded.proxyPort = static_cast<unsigned int>(dword);
    byte = 0;
    if (database->GetByte(section, u"Proxy auth", byte))
        loaded.proxyAuth = byte ? 1 : 0;
    database->GetString(section, u"Proxy login", loaded.proxyLogin);
    database->GetString(section, u"Proxy password", loaded.proxyPassword);
    std::lock_guard<std::mutex> hold(settingsLock);
    current = loaded;
}

void CSocketsManagerImpl::SaveSettings() {
    Database::CYolDatabase* database = FindDatabase(manager);
    if (!database)
        return;
    ConnectionSettings saved;
    GetSettings(saved);
    const YOL_GUID& section = SocketsManagerGuid;
    database->SetString(section, u"Access point", saved.accessPoint);
    database->SetByte(section, u"Proxy type", static_cast<unsigned char>(saved.proxyType));
    database->SetString(section, u"Proxy hostname", saved.proxyHost);
    database->SetDword(section, u"Proxy port", saved.proxyPort);
    database->SetByte(section, u"Proxy auth", static_cast<unsigned char>(saved.proxyAuth ? 1 : 0));
    database->SetString(section, u"Proxy login", saved.proxyLogin);
    database->SetString(section, u"Proxy password", saved.proxyPassword);
}

}  // namespace Sockets
