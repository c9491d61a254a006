#pragma once
// Typed read-only views of what the buddy and messaging families deliver:
// a contact's user information (arrival and departure notices), a message
// on channel 1, 2 or 4, another client's automatic answer (a delivery
// acknowledgement or an extended-status answer), and a typing notice. Every length inside is checked
// against the bytes received; a record that does not fit reads as empty,
// never past its frame.

#include "CFlapPacket.h"
#include "CYolString.h"
#include "RuvCapabilities.h"
#include "RuvRecords.h"

#include <optional>
#include <string>
#include <vector>

// Screen name, warning level and the user's TLVs (count-bounded).
class CSnacUserInfo final : public CSnacPacket {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    // The status word: that of TLV 6, else away when the user class
    // (TLV 1) says so, else online.
    uint16_t StatusOrClassWord() const;
    std::vector<RuvCapabilityGuid> Capabilities() const;
    CYolString screenName;
    uint16_t warningLevel = 0;
    OscarTlvs tlvs;
};

class CSnacIncomingMessage final : public CSnacPacket {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    // The text to show; empty for what carries none (file offers, status
    // requests, unknown kinds). An extended-status answer sent as a message
    // reads as its title followed by its description.
    CYolString GetMessageText();
    // Whether the message is a script plug-in message asking for the
    // user's extended status; sets `sequence` on the way.
    bool IsXStatusRequest();
    bool IsOfflineMessage() const { return messageTlvs.Find(0x0006) != nullptr; }
    uint32_t GetSentTime() const;

    uint32_t cookieFirst = 0;
    uint32_t cookieSecond = 0;
    uint16_t channel = 0;
    // Lower case, spaces removed.
    CYolString sender;
    uint16_t warningLevel = 0;
    // The relayed message's sequence (channel 2), echoed by its
    // acknowledgement.
    uint16_t sequence = 0;
    OscarTlvs userTlvs;
    OscarTlvs messageTlvs;

private:
    // The server-relay extension data (TLV 0x2711 of a relay block).
    std::optional<std::string> RelayExtension() const;
    CYolString PlainText() const;
    CYolString RelayText();
    CYolString TypedText() const;
};

enum class ClientResponseKind {
    None = 0,
    // An answer of the plug-in 811A18BC-0E6C-1847-A591-6F18DCC76F1A.
    PluginAnswer = 2,
    // An extended-status answer: title and/or description are set.
    XStatus = 3,
    // A delivery acknowledgement (the message id is the cookie's first word).
    Delivered = 4,
};

// Another client's automatic answer, classified.
class CSnacClientResponse final : public CSnacPacket {
public:
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    uint32_t cookieFirst = 0;
    uint32_t cookieSecond = 0;
    uint16_t channel = 0;
    CYolString sender;
    ClientResponseKind kind = ClientResponseKind::None;
    // Entities decoded, each within its limit.
    CYolString xStatusTitle;
    CYolString xStatusDescription;
};

// Wire codes: 0 finished, 1 typed, 2 begun.
class CRuvTypingNotification final : public CSnacPacket {
public:
    static constexpr uint16_t kFinished = 0;
    static constexpr uint16_t kTyped = 1;
    static constexpr uint16_t kBegun = 2;
    size_t Unpack(const uint8_t* bytes, size_t size) override;
    CYolString sender;
    uint16_t code = kFinished;
};
