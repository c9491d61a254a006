#pragma once
// The switchboard every core object, window and plug-in account talks
// through: services found by identifier, events clients with a queue thread
// each, and numbered events on identifier channels sent to one client or
// broadcast to the subscribers of a registered event.
//
// Keys are unsigned and never reused; a key of 0 means failure. Results:
// 0 success, -1 an exception caught inside the operation, -2 an unknown key,
// -3 an event that could not be queued.
//
// Event arguments: the caller creates them with reference count 0 and hands
// them over with the call; from then on the manager and the deliveries own
// them, and an argument nobody else holds is freed once the last delivery is
// done (at once when there is nobody to deliver to).

#include "CEventArg.h"
#include "CEventsClient.h"
#include "YOL_GUID.h"

class CYolString;

namespace Services {

// Plug-ins are built against this exact table of operations: keep the order.
class CServicesManager {
public:
    // Adds a service under the identifier; 0 when it cannot be added (also
    // when the identifier is already taken: the first registration stays).
    virtual unsigned int RegisterService(const YOL_GUID& id, void* service) = 0;
    // 0, or -2 when no service has the key.
    virtual int UnregisterService(unsigned int key) = 0;
    virtual bool IsServiceRegistered(const YOL_GUID& id) = 0;
    // The object registered under the identifier, or null; the caller casts
    // it to the interface the identifier stands for.
    virtual void* GetService(const YOL_GUID& id) = 0;

    // Gives the client a queue thread named after it; answers the client key.
    virtual unsigned int RegisterEventsClient(CEventsClient* client, const CYolString& name) = 0;
    // Removes every subscription of the key, then stops the client's queue:
    // queued events are dropped and waiting senders released with 0. Waits
    // for a running handler to return unless called from that very handler.
    // 0, or -2 when the client is unknown.
    virtual int UnregisterEventsClient(unsigned int key) = 0;
    // Delivers one event to one client. wait false: queued, 1 when accepted
    // and 0 when not. wait true: the handler's result once it has run (at
    // once, nested, when called on the client's own queue thread), or 0 when
    // the client's queue is stopping. -2 for an unknown client.
    virtual int SendEvent(unsigned int clientKey, const YOL_GUID& channel, int event, CEventArg* arg,
                          CEventArg* extra, bool wait) = 0;

    // Registers (channel, event) for broadcasting; answers the event key.
    // The same pair may be registered again under a key of its own.
    virtual unsigned int RegisterEvent(const YOL_GUID& channel, int event) = 0;
    virtual int UnregisterEvent(unsigned int key) = 0;
    // Delivers the event to its subscribers in subscription order. wait true:
    // a nonzero handler result stops the walk and is answered. wait false: -3
    // when a subscriber's queue refused the event, which also stops the walk.
    // 0 when everything went through (or nobody subscribed), -2 for an
    // unknown event key.
    virtual int BroadcastEvent(unsigned int eventKey, CEventArg* arg, CEventArg* extra, bool wait) = 0;
    // Subscribes the client to the first registered event with this channel
    // and number; 0 when none is registered. The client key is not checked.
    virtual unsigned int Subscribe(const YOL_GUID& channel, int event, unsigned int clientKey) = 0;
    // 0, or -2 when no event has the subscription.
    virtual int Unsubscribe(unsigned int subscriptionKey) = 0;

protected:
    // Nobody deletes the manager through this interface.
    ~CServicesManager() = default;
};

} // namespace Services
