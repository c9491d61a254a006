#pragma once
// RuvBuddyIcons: the contacts' pictures of an OSCAR account. It owns the
// icon service's connection (made anew on each redirect of the main
// connection, gone when the session ends), the requests made while there is
// none yet, and the icon files. A contact's icon hash either names a file
// already kept (shown at once) or becomes a request; an icon that comes is
// written under its hash and shown for its contact. Runs on the account's
// queue thread: its link's socket is the account's.

#include "CRuvAvatarConnection.h"
#include "RuvIconFiles.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace Skins {
class CSkinManager;
}

class RuvBuddyIcons final : private MRuvIconLinkOwner {
public:
    struct Ports {
        RuvConnection::SocketsLookup sockets;
        // The events client the link's socket reports to.
        std::function<unsigned int()> clientId;
        // Starts (true) or stops the link's keep-alive timer.
        std::function<void(bool start)> keepAlive;
        // An icon file for the contact `screenName` with icon hash `hash`
        // was written.
        std::function<void(const CYolString& screenName, std::string_view hash, const CYolString& path)> stored;
        // Where the icon files live: the program folder's "BuddyIcons/".
        std::function<CYolString()> folder;
        // The skin service that draws the icons in the contact list (null:
        // none).
        std::function<Skins::CSkinManager*()> skins;
    };
    explicit RuvBuddyIcons(Ports ports) : ports(std::move(ports)) {}
    RuvBuddyIcons(const RuvBuddyIcons&) = delete;
    RuvBuddyIcons& operator=(const RuvBuddyIcons&) = delete;
    ~RuvBuddyIcons() { Ended(); }

    // A frame of the main connection: its service redirect (01/05) names
    // the icon service's address and cookie; any earlier link goes first.
    void OnFrame(std::string_view frame);
    // A contact's user information named its icon: the path of the file
    // kept for that hash, or empty when the icon has been asked for.
    CYolString Lookup(const CYolString& screenName, const std::string& hash);
    // The session ended: the link goes, and what it had not asked for.
    void Ended();

    // The image id the contact list draws the icon file at `path` with, -1
    // for none (no skin service, or a kind the skin's pictures cannot be:
    // only PNG). Each file is registered once, until ReleasePictures.
    int Picture(const CYolString& path);
    void ReleasePictures();

    // The link's socket events; false for a socket that is not the link's.
    bool OnSocketConnected(Sockets::CYolSocket* socket, int code) {
        return link && link->OnSocketConnected(socket, code);
    }
    bool OnSocketData(Sockets::CYolSocket* socket, int byteCount) {
        return link && link->OnSocketData(socket, byteCount);
    }
    bool OnSocketClosed(Sockets::CYolSocket* socket) { return link && link->OnSocketClosed(socket); }

    // The keep-alive timer fired: the delay until the next one, 0 once the
    // link is gone or not ready.
    uint32_t KeepAlive();
    const CRuvAvatarConnection* Link() const { return link.get(); }
    size_t Waiting() const { return waiting.size(); }

private:
    struct Pending {
        std::string hash;
        CYolString screenName;
    };
    void IconLinkReady(bool ready) override;
    void IconReceived(const CYolString& screenName, std::string_view hash, std::string_view icon) override;
    RuvIconStore Store() const { return RuvIconStore(ports.folder ? ports.folder() : CYolString()); }

    Ports ports;
    std::unique_ptr<CRuvAvatarConnection> link;
    // Requests from before the first redirect of a session.
    std::deque<Pending> waiting;
    // Registered pictures by file name.
    std::map<std::string, int> pictures;
};
