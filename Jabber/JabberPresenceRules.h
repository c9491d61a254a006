#pragma once
// The fixed mappings between the program's statuses and XMPP presence: what
// a wanted status sends, and what an incoming presence shows.

#include "CYolString.h"
#include "ProtocolRecords.h"

#include <cstdint>

// How one wanted status goes out.
struct PresenceRule {
    Protocols::Status presence;  // the status the account is then in
    int mood;                    // "yol:x:status" value, 0: none
    const char* show;            // null: no <show>
    bool invisible;              // type="invisible"
};

PresenceRule PresenceForStatus(Protocols::Status wanted);

// <show> text (null: absent) as a status; anything unknown is Online.
Protocols::Status StatusFromShow(const CYolString* show);
// The status a "yol:x:status" value stands for; `current` for other values.
Protocols::Status StatusFromMood(unsigned int value, Protocols::Status current);

// An incoming <priority>: a signed decimal number, clamped to -128..127;
// anything that is not a number is 0.
int8_t ParsePriority(const CYolString* text);

// The description of an extended status sent as status text: the text with
// the title taken off its front, and one "." or " " after it.
CYolString XStatusDescription(const CYolString& statusText, const CYolString& title);
