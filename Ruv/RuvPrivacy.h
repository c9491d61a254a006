#pragma once
// RuvPrivacy: who sees the account. The privacy mode lives in the
// visibility item of the server-side list; this class sets and publishes
// it, keeps the two invisible statuses in step with it, and answers
// whether a contact may see the account (messages are acknowledged only
// then). Runs on the account's queue thread.

#include "RuvPacketSink.h"
#include "RuvServerList.h"

#include <functional>

namespace RuvPrivacyMode {
inline constexpr uint8_t Unknown = 0;
inline constexpr uint8_t VisibleForAll = 1;
inline constexpr uint8_t InvisibleForAll = 2;
inline constexpr uint8_t VisibleListOnly = 3;
inline constexpr uint8_t AllButInvisibleList = 4;
inline constexpr uint8_t ContactListOnly = 5;
}  // namespace RuvPrivacyMode

class RuvPrivacy {
public:
    struct Ports {
        // The account's confirmed status, and a change of it that the
        // mode makes (invisible and invisible for all).
        std::function<int()> status;
        std::function<void(int)> changeStatus;
        // The mode's image index for the status bar.
        std::function<void(int image)> showMode;
    };
    RuvPrivacy(RuvPacketSink& sink, CRuvServerList& list, Ports ports)
        : sink(sink), list(list), ports(std::move(ports)) {}

    static constexpr uint16_t kModeTlv = 0x00CA;
    static constexpr uint16_t kMaskTlv = 0x00CB;

    uint8_t Mode() const { return mode; }
    // Stores the mode and writes it into the visibility item (made when
    // missing); the server hears of it while connected when it changed or
    // when `force`.
    void SetMode(uint8_t mode, bool force);
    // The mode the visibility item holds, when it holds one.
    void TakeStoredMode();
    bool IsVisibleTo(const CRuvListItem* item) const;
    // The image index of a mode in the plug-in's image list.
    static int ModeImage(uint8_t mode);

private:
    void FollowInvisible();

    RuvPacketSink& sink;
    CRuvServerList& list;
    Ports ports;
    uint8_t mode = RuvPrivacyMode::Unknown;
};
