#include "RuvContactCommands.h"

#include "RuvCapabilityCatalogue.h"
#include "RuvMessagePackets.h"
#include "RuvMessageRecords.h"
#include "RuvPackets.h"
#include "RuvPlugin.h"
#include "RuvStatuses.h"

namespace {

// The request ids the server echoes for these two questions.
constexpr uint32_t kUserInfoRequestId = 6;
constexpr uint32_t kXStatusRequestId = 6;

}  // namespace

CRuvListItem* RuvContactCommands::BuddyOf(unsigned int contact) {
    if (!model.Available())
        return nullptr;
    return list.FindBuddy(model.Key(contact));
}

int RuvContactCommands::XStatusOf(const CRuvListItem& item) {
    const std::vector<RuvCapabilityGuid>& capabilities = item.presence.capabilities;
    return RuvCapabilityCatalogue::GetXStatusId(RuvCapabilityCatalogue::XStatusList(), capabilities.data(),
                                                capabilities.size());
}

std::optional<MRuvMenusOwner::Entry> RuvContactCommands::Entry(unsigned int contact) {
    const CRuvListItem* item = BuddyOf(contact);
    if (item == nullptr)
        return std::nullopt;
    MRuvMenusOwner::Entry entry;
    entry.awaitsAuthorization = CRuvServerList::IsAwaitingAuthorization(*item);
    entry.status = item->presence.status;
    entry.groupId = item->groupId;
    entry.hasXStatus = XStatusOf(*item) != 0;
    return entry;
}

bool RuvContactCommands::OnPrivacyList(unsigned int contact, RuvPrivacyList which) {
    if (!model.Available())
        return false;
    const RuvListMembership in = list.Membership(model.Key(contact));
    switch (which) {
    case RuvPrivacyList::Visible:
        return in.visible;
    case RuvPrivacyList::Invisible:
        return in.invisible;
    case RuvPrivacyList::Ignore:
        return in.ignore;
    }
    return false;
}

void RuvContactCommands::CheckStatus(unsigned int contact) {
    if (const CRuvListItem* item = BuddyOf(contact))
        sink.Send(CUserInfoRequestPacket(sink.NextSequence(), kUserInfoRequestId, item->name));
}

bool RuvContactCommands::RequestXStatus(unsigned int contact, const CYolString& ownLogin) {
    const CRuvListItem* item = BuddyOf(contact);
    if (item == nullptr || item->presence.status <= 1)
        return false;
    const int number = XStatusOf(*item);
    if (number == 0)
        return false;
    RuvCookie cookie;
    cookie.second = sink.RandomRequestId();
    cookie.first = sink.RandomRequestId();
    return sink.Send(
        CXStatusRequestPacket(sink.NextSequence(), kXStatusRequestId, cookie, item->name, ownLogin, number));
}

void RuvContactCommands::OnUserInfo(const uint8_t* frame, size_t size) {
    CSnacUserInfo info;
    if (info.Unpack(frame, size) == 0)
        return;
    const CRuvListItem* item = list.FindBuddy(info.screenName);
    if (item == nullptr || item->contactId == 0 || !model.Available())
        return;
    // Only a status word the reply carries counts; without one the
    // contact is shown offline.
    const int status = info.tlvs.Find(0x0006) ? RuvStatus::FromWord(info.StatusOrClassWord()) : Protocols::Offline;
    Protocols::StatusInfo named;
    RuvPlugin::FindStatus(status, named);
    showText(model.Alias(item->contactId) + CYolString(u" \n") + named.name);
}
