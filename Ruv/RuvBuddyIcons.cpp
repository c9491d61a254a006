#include "RuvBuddyIcons.h"

#include "RuvIconPackets.h"

void RuvBuddyIcons::OnFrame(std::string_view frame) {
    CServiceRedirectParser redirect;
    if (redirect.Unpack(reinterpret_cast<const uint8_t*>(frame.data()), frame.size()) == 0 || !redirect.ForIcons())
        return;
    link.reset();
    MRuvIconLinkOwner& owner = *this;
    link = std::make_unique<CRuvAvatarConnection>(owner, ports.sockets, ports.clientId ? ports.clientId() : 0);
    link->SetCookie(redirect.cookie);
    link->SetAddress(redirect.address);
    for (Pending& request : waiting)
        link->AddRequest(std::move(request.hash), request.screenName);
    waiting.clear();
    link->Connect();
}

CYolString RuvBuddyIcons::Lookup(const CYolString& screenName, const std::string& hash) {
    if (hash.empty() || screenName.IsEmpty())
        return CYolString();
    const CYolString kept = Store().Find(hash);
    if (!kept.IsEmpty())
        return kept;
    if (link) {
        link->AddRequest(hash, screenName);
    } else if (waiting.size() < CRuvAvatarConnection::kMaxQueued) {
        waiting.push_back({hash, screenName});
    }
    return CYolString();
}

void RuvBuddyIcons::Ended() {
    link.reset();
    waiting.clear();
}

uint32_t RuvBuddyIcons::KeepAlive() {
    return link && link->SendKeepAlive() ? CRuvAvatarConnection::kKeepAliveMs : 0;
}

void RuvBuddyIcons::IconLinkReady(bool ready) {
    if (ports.keepAlive)
        ports.keepAlive(ready);
}

void RuvBuddyIcons::IconReceived(const CYolString& screenName, std::string_view hash, std::string_view icon) {
    const CYolString path = Store().Save(hash, icon);
    if (!path.IsEmpty() && ports.stored)
        ports.stored(screenName, hash, path);
}
