#pragma once
// One line of a chat: what the application hands the message windows for a
// message sent, received, or taken from history.

#include "CYolString.h"

namespace MW {

struct TYolWMMWMsg {
    enum : unsigned int { EIncoming = 0, EOutgoing = 1, EOther = 2, ESeparator = 3 };

    unsigned int direction = EIncoming;
    unsigned int messageId = 0;
    unsigned int iconId = 0;
    CYolString name;
    CYolString time;  // "(" + the time as "%c" + ")"
    CYolString text;
};

}  // namespace MW
