#pragma once
// One line of a conversation as the application hands it to a message
// window: a message either way, an event, or the mark between the loaded
// history and what came after.

#include "CYolString.h"

namespace MW {

struct TYolWMMWMsg {
    enum TKind : unsigned int { EIncoming = 0, EOutgoing = 1, EEvent = 2, ESeparator = 3 };

    unsigned int kind = EIncoming;
    // Lets a later delivery mark find the message's icon.
    unsigned int msgId = 0;
    // Skin image of the message's icon; also what an unread tab flashes.
    unsigned int iconId = 0;
    // Sender (messages) or first text (events).
    CYolString name;
    // Shown as given (messages), or the second text (events).
    CYolString time;
    CYolString text;
};

} // namespace MW
