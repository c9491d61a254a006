#pragma once
// One HTTP/1.0 GET over a socket of the sockets service, run as an events
// client of its own: the base of the version check and the update download.
// It connects (the service's access point and proxy settings, our host and
// port, never TLS), sends the request its subclass builds, collects the reply
// head within UpdateWire::kHeadCap and hands the subclass the head and then
// the body as it arrives. The exchange ends once: when the connection fails
// or closes, or when the reply or the subclass gives up (Abort, which closes
// the connection); OnEnd runs exactly once then and nothing arrives
// afterwards.
//
// Socket events run on the exchange's own queue thread; construction,
// Connect and Shutdown on the thread that owns the exchange (the UI thread).
// The outcome and its report text may be read from any thread.

#include "CEventsClient.h"
#include "CServicesManager.h"
#include "CYolString.h"
#include "UpdateReply.h"

#include <atomic>
#include <mutex>
#include <string>

namespace Sockets {
class CSocketsManager;
class CYolSocket;
struct ConnectionSettings;
}  // namespace Sockets

namespace UI {

// How an exchange ended, for the report to the user.
enum class TUpdateOutcome : int {
    Running = 0,
    ConnectFailed,
    HttpError,        // a status the exchange cannot use
    BrokenReply,      // not HTTP, a head past its cap, contradicting fields
    BadVersionText,   // the version answer is no version number
    Truncated,        // the connection closed before the announced end
    TooLong,          // more bytes than announced or allowed
    RangeMismatch,    // a partial reply for other bytes than asked
    FileError,        // the package file could not be written
    NotDue,           // the day's answer was evaluated already
    UpToDate,
    NewVersion,
    Ready,
};

class CYolHttpExchange : public Services::CEventsClient {
public:
    CYolHttpExchange(const CYolHttpExchange&) = delete;
    CYolHttpExchange& operator=(const CYolHttpExchange&) = delete;

    TUpdateOutcome Outcome() const { return outcome.load(); }
    // One line for the user: what happened, where; never a proxy password.
    CYolString Report() const;
    unsigned int ClientKey() const { return clientKey; }

    int OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* arg, Services::CEventArg* extra) final;

    // "host:port", and the proxy as "type login:******@host:port" when one is
    // used: what reports say about the way to the server.
    static std::string DescribeRoute(const Sockets::ConnectionSettings& settings);

protected:
    CYolHttpExchange(Services::CServicesManager* services, unsigned int requester);
    virtual ~CYolHttpExchange();

    // Registers the client, makes the socket and connects; false (outcome
    // ConnectFailed) when any step fails at once.
    bool Connect(const std::string& host, unsigned int port);
    // Unregisters (no handler runs afterwards) and gives the socket back.
    void Shutdown();

    virtual std::string BuildRequest() = 0;
    // The head, once; `body` holds what came with it.
    virtual void OnHead(const UpdateWire::ReplyHead& head, std::string_view body) = 0;
    virtual void OnBody(std::string_view data) = 0;
    // The end: closed, failed to connect (connected false) or aborted; the
    // outcome is still Running unless a failure was set.
    virtual void OnEnd(bool connected) = 0;

    // Ends the exchange as failed: the connection is closed, OnEnd runs.
    void Abort(TUpdateOutcome why, const std::string& text);
    void SetOutcome(TUpdateOutcome why, const std::string& text);
    bool Ended() const { return ended; }
    void SendToRequester(int event, Services::CEventArg* arg);
    Services::CServicesManager* Services() const { return services; }
    const std::string& Route() const { return route; }

private:
    Sockets::CSocketsManager* Sockets() const;
    void OnConnected(int code);
    void OnData();
    void TakeHead();
    void End(bool connected);

    Services::CServicesManager* services;
    unsigned int requester;
    unsigned int clientKey = 0;
    Sockets::CYolSocket* socket = nullptr;
    std::string route;
    std::string head;        // until the head is complete
    bool headDone = false;
    bool connectedOnce = false;
    bool ended = false;
    std::atomic<TUpdateOutcome> outcome{TUpdateOutcome::Running};
    mutable std::mutex reportLock;
    std::string report;
};

}  // namespace UI
