#include "RuvPrivacy.h"

#include "RuvPackets.h"

namespace {

constexpr int kStatusInvisible = 3;
constexpr int kStatusInvisibleForAll = 4;

}  // namespace

int RuvPrivacy::ModeImage(uint8_t mode) {
    static constexpr int kImages[] = {59, 57, 61, 58, 59, 60};
    return mode < std::size(kImages) ? kImages[mode] : 59;
}

void RuvPrivacy::TakeStoredMode() {
    const CRuvListItem* item = list.FindVisibility();
    const std::string* stored = item ? item->tlvs.Find(kModeTlv) : nullptr;
    if (stored != nullptr && stored->size() == 1)
        mode = static_cast<uint8_t>((*stored)[0]);
}

void RuvPrivacy::SetMode(uint8_t wanted, bool force) {
    mode = wanted;
    if (ports.showMode)
        ports.showMode(ModeImage(wanted));
    const std::string modeByte(1, static_cast<char>(wanted));
    const std::string allBits("\xFF\xFF\xFF\xFF", 4);
    const int status = ports.status();
    if (CRuvListItem* item = list.FindVisibility()) {
        const std::string* old = item->tlvs.Find(kModeTlv);
        const bool changed = old == nullptr || *old != modeByte;
        item->tlvs.Set(kModeTlv, modeByte);
        item->tlvs.Set(kMaskTlv, allBits);
        if ((changed || force) && status > 0)
            sink.Send(CListItemPacket(sink.NextSequence(), 0x09, sink.RandomRequestId(), {}, 0, item->itemId,
                                      RuvItemType::Visibility, item->tlvs.Bytes()));
    } else {
        CSsiItem made;
        made.itemId = list.NextFreeItemId();
        made.type = RuvItemType::Visibility;
        made.tlvs.Set(kModeTlv, modeByte);
        made.tlvs.Set(kMaskTlv, allBits);
        list.Items().emplace_back(made);
        if (status >= 1)
            sink.Send(CListItemPacket(sink.NextSequence(), 0x08, sink.RandomRequestId(), {}, 0, made.itemId,
                                      made.type, made.tlvs.Bytes()));
    }
    FollowInvisible();
}

void RuvPrivacy::FollowInvisible() {
    const int status = ports.status();
    if (status == kStatusInvisible && mode == RuvPrivacyMode::InvisibleForAll)
        ports.changeStatus(kStatusInvisibleForAll);
    else if (status == kStatusInvisibleForAll && mode != RuvPrivacyMode::InvisibleForAll)
        ports.changeStatus(kStatusInvisible);
}

bool RuvPrivacy::IsVisibleTo(const CRuvListItem* item) const {
    if (item == nullptr)
        return false;
    const bool grouped = item->groupId != 0;
    const RuvListMembership in = grouped ? list.Membership(item->name) : RuvListMembership();
    switch (mode) {
    case RuvPrivacyMode::InvisibleForAll:
        return false;
    case RuvPrivacyMode::VisibleListOnly:
        return grouped && in.visible;
    case RuvPrivacyMode::AllButInvisibleList:
        return grouped && !in.invisible;
    case RuvPrivacyMode::ContactListOnly:
        return grouped;
    default:
        return true;
    }
}
