#pragma once
// Sockets::CSocketsManagerImpl: the sockets service. It owns the sockets,
// forwards their events to their owners through the services manager, counts
// the traffic of all of them and keeps the connection settings (access point
// and proxy) in the settings database, section SocketsManagerGuid.
//
// Sockets are validated against the socket set on every call; a call that is
// using a socket (a Send waiting for room) keeps it alive while another
// thread destroys it, and the close wakes that call.

#include "CSocketsManager.h"
#include "CYolSocket.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace Services {
class CServicesManager;
}

namespace Sockets {

class CSocketsManagerImpl final : public CSocketsManager, private MSocketEvents {
public:
    // Registers the service SocketsManagerGuid and the traffic event, and
    // loads the connection settings. The network is the always-connected
    // stand-in reading the process environment.
    explicit CSocketsManagerImpl(Services::CServicesManager* manager);
    // The same with a network and tunables of the caller's (tests).
    CSocketsManagerImpl(Services::CServicesManager* manager, std::unique_ptr<CConnectionManager> network,
                        const SocketOptions& options);
    // Saves the connection settings, unregisters, and closes and deletes
    // every socket.
    ~CSocketsManagerImpl();
    CSocketsManagerImpl(const CSocketsManagerImpl&) = delete;
    CSocketsManagerImpl& operator=(const CSocketsManagerImpl&) = delete;

    CYolSocket* CreateSocket(unsigned int ownerClientKey) override;
    bool IsValidSocket(CYolSocket* socket) override;
    int DestroySocket(CYolSocket* socket) override;
    int Connect(CYolSocket* socket, const ConnectionSettings& settings) override;
    int Send(CYolSocket* socket, const void* data, int length, int flags) override;
    int Receive(CYolSocket* socket, void* buffer, int size, int flags) override;
    void Close(CYolSocket* socket) override;
    void CloseAll() override;
    int SetSocketOption(CYolSocket* socket, int value) override;
    int Reserved9(CYolSocket* socket, int value) override;
    int Reserved10(CYolSocket* socket, int value) override;
    void GetSettings(ConnectionSettings& settings) override;
    void SetSettings(const ConnectionSettings& settings) override;
    unsigned int GetBytesSent() override;
    unsigned int GetBytesReceived() override;

    unsigned int GetTrafficEventKey() const { return trafficEventKey; }
    size_t SocketCount();

private:
    void OnSocketEvent(CYolSocket* socket, int event, int code) override;
    void OnSocketText(CYolSocket* socket, int event, const CYolString& text) override;
    std::shared_ptr<CYolSocket> Find(CYolSocket* socket);
    void TrafficChanged();
    void LoadSettings();
    void SaveSettings();

    Services::CServicesManager* manager;
    std::unique_ptr<CConnectionManager> network;
    const SocketOptions options;
    unsigned int serviceKey = 0;
    unsigned int trafficEventKey = 0;

    std::mutex lock;  // the socket set
    std::map<CYolSocket*, std::shared_ptr<CYolSocket>> sockets;

    std::mutex settingsLock;
    ConnectionSettings current;

    std::atomic<uint32_t> bytesSent{0};
    std::atomic<uint32_t> bytesReceived{0};
};

}  // namespace Sockets
