#pragma once
// MrimMessages: everything that travels as an MRIM message: the user's
// texts and their delivery acknowledgements, received texts (online and
// kept offline in mail form) with their receipts, typing notices,
// authorization requests and grants, and the wake-up signal.
//
// Flags of a received message are read in one fixed order so that no
// notice is ever shown as text: a rich part marks a text; the
// authorization flag a request; the typing flag a notice (never text, never
// a receipt); everything else is a text. Texts of an authorization request
// are UTF-16LE unless the Windows-1251 flag is set, as the requests this
// plug-in sends are written.
//
// It owns the table of sent texts waiting for their acknowledgement. It
// writes to its packet sink, reads the account's copy of the contact list
// and reaches the program's list through ZemListModel. Runs on the
// account's queue thread.

#include "CYolString.h"
#include "CZemContactList.h"
#include "MrimPacketSink.h"
#include "MrimWire.h"
#include "ProtocolRecords.h"
#include "ZemContactListPorts.h"
#include "ZemTyping.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace MrimFlag {
inline constexpr uint32_t kOffline = 0x1;
inline constexpr uint32_t kNoReceipt = 0x4;
inline constexpr uint32_t kAuthorize = 0x8;
inline constexpr uint32_t kSystem = 0x40;
inline constexpr uint32_t kRich = 0x80;
inline constexpr uint32_t kTyping = 0x400;
inline constexpr uint32_t kWakeup = 0x4000;
inline constexpr uint32_t kFlash = 0x8000;
inline constexpr uint32_t kUtf16 = 0x00100000;
inline constexpr uint32_t kCp1251 = 0x00200000;
}  // namespace MrimFlag

namespace MrimMessageKind {
inline constexpr unsigned int kText = 0;
inline constexpr unsigned int kOffline = 1;
inline constexpr unsigned int kSystem = 2;
inline constexpr unsigned int kAuthorization = 3;
}  // namespace MrimMessageKind

class MrimMessages {
public:
    struct Context {
        std::function<bool()> loggedIn;
        // The text of a string id in the plug-in's language.
        std::function<CYolString(int)> uiString;
        // The image id of an image index of the plug-in's list.
        std::function<int(int)> imageId;
        // Unix seconds of the injectable clock.
        std::function<int64_t()> now;
        // The typing table gained its first entry: the expiry timer starts.
        std::function<void()> typingStarted;
    };

    MrimMessages(MrimPacketSink& sink, CZemContactList& list, ZemListModel& model, ZemTyping& typing, Context context)
        : sink(sink), list(list), model(model), typing(typing), context(std::move(context)) {}

    // Sends a text of the user; false when it did not go (unknown contact,
    // not logged in, the write failed).
    bool SendText(const Protocols::MessageInfo& message);
    void SendTyping(unsigned int contact);
    void SendAuthorize(unsigned int contact);
    void SendAuthorizationRequest(unsigned int contact, const CYolString& text);
    void SendWakeup(unsigned int contact);

    void OnIncoming(const MrimPacket& packet);
    void OnOffline(const MrimPacket& packet);
    void OnMessageStatus(const MrimPacket& packet);
    void OnAuthorizeAck(const MrimPacket& packet);

    // A received message's flags and raw text; `offlineDate` is empty for a
    // message that arrived online. Answers whether a receipt is due.
    bool HandleIncoming(const CYolString& from, uint32_t flags, std::string_view text, const CYolString& offlineDate);
    void Deliver(const CYolString& from, unsigned int kind, int image, const CYolString& text);

    // The session ended: no acknowledgement can name its texts any more.
    void ClearPending() { pending.clear(); }
    size_t PendingCount() const { return pending.size(); }

    // The fixed rich part of the wake-up message, with its trailing 0.
    static std::string WakeupRichPart();

private:
    const ZemContact* Reachable(unsigned int contact) const;

    MrimPacketSink& sink;
    CZemContactList& list;
    ZemListModel& model;
    ZemTyping& typing;
    Context context;
    std::map<uint32_t, unsigned int> pending;
};

// A received text in the encoding its flags name.
CYolString DecodeMessageText(uint32_t flags, std::string_view bytes);
