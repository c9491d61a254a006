#pragma once
// One line of a chat, as the message windows define it: what the
// application hands them for a message sent, received, or taken from
// history.

#include "../../msgwnd/history/TYolWMMWMsg.h"
