#pragma once
// What the test plug-in tells its tests through its extra exports.

#include "YOL_GUID.h"

#include <cstddef>

// The two flavours the test plug-in serves.
inline constexpr YOL_GUID TestProtoGuid{0x51E0B7C2, 0x1111, 0x4A2B, 0x80, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01};
inline constexpr YOL_GUID TestProtoLiteGuid{0x51E0B7C2, 0x1111, 0x4A2B, 0x80, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02};

struct TestProtoProbe {
    int liveAccounts;
    int handled;               // events that reached an operation
    int handledWhileDying;     // events that reached an account whose destructor had begun
    int setStatusCalls;
    int lastStatus;
    size_t lastStatusThread;   // hash of the thread SetStatus ran on
    size_t initThread;         // hash of the thread OnInit ran on
    unsigned int registered;   // accounts in the plug-in's registry
    int livePanes;             // settings pages not yet deleted
    unsigned int lastPaneNumber;  // what the page last accepted
};

// The settings page the test accounts make: one number field.
inline constexpr int TestProtoPaneTemplateId = 700;
inline constexpr int TestProtoPaneEditId = 1001;

// Notify84 with this value blocks its handler until TestProto_OpenGate.
inline constexpr unsigned int TestProtoGateValue = 1;

using TestProtoReadFunc = void (*)(TestProtoProbe* out);
using TestProtoVoidFunc = void (*)();
using TestProtoStatusMenuFunc = void (*)(unsigned int accountId, unsigned int status);
