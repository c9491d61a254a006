#include "RuvPresence.h"

#include "RuvMessageRecords.h"
#include "RuvStatuses.h"

namespace {

uint32_t Number(const OscarTlvs& tlvs, uint16_t type) {
    const std::string* value = tlvs.Find(type);
    if (value == nullptr || value->size() < 4)
        return 0;
    const auto* b = reinterpret_cast<const uint8_t*>(value->data());
    return static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 | static_cast<uint32_t>(b[2]) << 8 |
           b[3];
}

// The status a capability carries, checked in this order for each one.
int StatusOfCapability(const RuvCapabilityGuid& capability) {
    static constexpr int kOrder[] = {7, 5, 8, 9, 6, 10};
    for (int status : kOrder)
        if (RuvCapabilities::ForStatus(status) == capability)
            return status;
    return 0;
}

// TLV 0x1D: entries {type, flags, length, bytes}; the icon hash is the
// 16-byte entry of type 1.
std::string IconHash(const OscarTlvs& tlvs) {
    const std::string* block = tlvs.Find(0x001D);
    if (block == nullptr)
        return {};
    const auto* b = reinterpret_cast<const uint8_t*>(block->data());
    for (size_t at = 0; at + 4 <= block->size();) {
        const uint16_t type = static_cast<uint16_t>(b[at] << 8 | b[at + 1]);
        const size_t length = b[at + 3];
        if (at + 4 + length > block->size())
            break;
        if (type == 1 && length == 16)
            return block->substr(at + 4, 16);
        at += 4 + length;
    }
    return {};
}

}  // namespace

void RuvPresence::OnArrived(const uint8_t* frame, size_t size) {
    CSnacUserInfo info;
    if (info.Unpack(frame, size) == 0)
        return;
    CRuvListItem* item = list.FindBuddy(info.screenName);
    if (item == nullptr)
        return;
    RuvContactPresence& presence = item->presence;
    presence.status = RuvStatus::FromWord(info.StatusOrClassWord());
    presence.userInfo = info.tlvs;
    presence.signOnTime = Number(info.tlvs, 0x0003);
    presence.memberSince = Number(info.tlvs, 0x0005);
    const std::string* direct = info.tlvs.Find(0x000C);
    presence.directInfo = direct ? *direct : std::string();
    presence.directType = direct && direct->size() > 8 ? static_cast<uint8_t>((*direct)[8]) : 0xFF;
    presence.protocolVersion =
        direct && direct->size() > 10
            ? static_cast<uint16_t>(static_cast<uint8_t>((*direct)[9]) << 8 | static_cast<uint8_t>((*direct)[10]))
            : 0;
    presence.capabilities = info.Capabilities();
    for (const RuvCapabilityGuid& capability : presence.capabilities) {
        if (const int status = StatusOfCapability(capability)) {
            presence.status = status;
            break;
        }
    }
    presence.iconHash = IconHash(info.tlvs);
    if (onArrival)
        onArrival(*item);
    list.ShowStatus(*item);
}

void RuvPresence::OnDeparted(const uint8_t* frame, size_t size) {
    CSnacUserInfo info;
    if (info.Unpack(frame, size) == 0)
        return;
    CRuvListItem* item = list.FindBuddy(info.screenName);
    if (item == nullptr)
        return;
    const bool typing = item->presence.typing;
    item->presence = RuvContactPresence();
    list.ShowStatus(*item);
    if (typing)
        model.SetTyping(item->contactId, false);
}
