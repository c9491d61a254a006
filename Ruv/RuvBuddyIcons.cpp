#include "RuvBuddyIcons.h"

#include "CSkinManager.h"
#include "CYolPath.h"
#include "RuvIconPackets.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace {

// The skin service reads a picture by its name inside the current skin's
// folder, "Skins/<skin>/" in the program folder, where the icon folder
// also lies.
constexpr char16_t kFromSkinFolder[] = u"../../BuddyIcons/";

}  // namespace

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

int RuvBuddyIcons::Picture(const CYolString& path) {
    Skins::CSkinManager* skins = ports.skins ? ports.skins() : nullptr;
    const CYolString name = CYolPath::ExtractFileNameFromPath(path);
    const std::string key = name.ToUtf8();
    // The kinds of picture the skins draw, as the icon store names them.
    static constexpr std::string_view kDrawn[] = {".png", ".gif", ".jpg", ".bmp"};
    const bool drawn = key.size() >= 4 && std::find(std::begin(kDrawn), std::end(kDrawn),
                                                    std::string_view(key).substr(key.size() - 4)) != std::end(kDrawn);
    if (skins == nullptr || path.IsEmpty() || !drawn)
        return -1;
    if (const auto found = pictures.find(key); found != pictures.end())
        return found->second;
    const int id = skins->RegisterImage(CYolString(kFromSkinFolder) + name);
    if (id >= 0)
        pictures.emplace(key, id);
    return id;
}

void RuvBuddyIcons::ReleasePictures() {
    Skins::CSkinManager* skins = ports.skins ? ports.skins() : nullptr;
    if (skins != nullptr)
        for (const auto& [name, id] : pictures)
            skins->ReleaseImage(id);
    pictures.clear();
}
