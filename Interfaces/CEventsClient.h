#pragma once
// The receiver side of events: every core object, window and account that
// takes events implements this and registers with the services manager,
// which gives it a queue thread of its own.

#include "YOL_GUID.h"

namespace Services {

class CEventArg;

class CEventsClient {
public:
    // Runs on the client's queue thread (or nested on it, for a synchronous
    // send made from that thread). The result reaches a synchronous sender:
    // 0 means handled, and anything else stops a synchronous broadcast. The
    // arguments belong to the delivery: keep one past the call only after
    // adding a reference of your own. An exception thrown here reaches the
    // sender as -1.
    virtual int OnEvent(const YOL_GUID& channel, int event, CEventArg* arg, CEventArg* extra) = 0;

protected:
    // Clients are never deleted through this interface; the interface holds
    // its one slot and nothing else.
    ~CEventsClient() = default;
};

} // namespace Services
