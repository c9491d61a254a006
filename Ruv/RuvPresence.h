#pragma once
// RuvPresence: the buddy family's arrival and departure notices. An
// arrival keeps the contact's user information (status, capabilities,
// direct-connection block, icon hash) on its list item and shows its new
// status; a departure shows it offline and ends its typing. Notices about
// names outside the list are dropped. Runs on the account's queue thread.

#include "RuvServerList.h"

#include <functional>

class RuvPresence {
public:
    // Called after an arrival was taken, for what reads the contact's
    // user information (client identification).
    using ArrivalHook = std::function<void(CRuvListItem&)>;
    RuvPresence(CRuvServerList& list, RuvListModel& model) : list(list), model(model) {}
    void SetArrivalHook(ArrivalHook hook) { onArrival = std::move(hook); }

    void OnArrived(const uint8_t* frame, size_t size);
    void OnDeparted(const uint8_t* frame, size_t size);

private:
    CRuvServerList& list;
    RuvListModel& model;
    ArrivalHook onArrival;
};
