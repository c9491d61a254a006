#pragma once
// CRuvSettings: an account's persistent settings, read and written by key
// through the protocols manager's account store. The password is kept only
// as its MD5 digest, stored as 32 hex characters passed through the
// plug-in's keyless scrambling. The connection keys (server, port, keep-
// alive, list loading, privacy switching) are read on demand by the small
// accessors, so a pane's change takes effect at the next use.

#include "CYolString.h"

#include <array>
#include <cstdint>
#include <string>

namespace Protocols {
class CProtocolsManager;
}

// The byte transform of the stored password text; its own inverse.
std::string ScramblePasswordText(std::string bytes);

struct CRuvSettings {
    static constexpr const char16_t* kDefaultServer = u"login.ruv.example.net";
    static constexpr unsigned int kDefaultPort = 5190;
    // The rendezvous proxy that file transfers meet at.
    static constexpr const char16_t* kDefaultTransferProxy = u"ars.ruv.example.net";

    CYolString login;
    std::array<uint8_t, 16> passwordDigest{};
    bool showStandardIcon = false;
    bool showPrivStatusInStatusbar = true;
    bool showClientsIcons = true;
    bool typingNotification = true;
    bool xStatusAutoRequest = true;
    bool loaded = false;
};

// The account's view of the store; every call is a no-op (a getter answers
// its default) without the store.
class CRuvSettingsStore {
public:
    CRuvSettingsStore(Protocols::CProtocolsManager* manager, unsigned int accountId)
        : manager(manager), accountId(accountId) {}

    void Load(CRuvSettings& settings) const;
    void Save(const CRuvSettings& settings) const;

    CYolString GetServer() const;
    void SetServer(const CYolString& host) const;
    unsigned int GetPort() const;
    void SetPort(unsigned int port) const;
    // The rendezvous proxy ("SrvFTProxy", "SrvFTProxyPort"); the defaults
    // when none is stored.
    CYolString GetTransferProxy() const;
    unsigned int GetTransferProxyPort() const;
    unsigned char GetLastServerIndex() const { return GetByte(u"Last server index", 0); }
    void SetLastServerIndex(unsigned char value) const { SetByte(u"Last server index", value); }
    unsigned char GetKeepAlive() const { return GetByte(u"Keep alive", 1); }
    void SetKeepAlive(unsigned char value) const { SetByte(u"Keep alive", value); }
    unsigned char GetLoadCl() const { return GetByte(u"Load cl", 1); }
    void SetLoadCl(unsigned char value) const { SetByte(u"Load cl", value); }
    unsigned char GetAutoSwitchPrivacy() const { return GetByte(u"Auto-switch privacy status", 0); }
    void SetAutoSwitchPrivacy(unsigned char value) const { SetByte(u"Auto-switch privacy status", value); }
    unsigned char GetMoveServers() const { return GetByte(u"Move servers", 0); }
    void SetMoveServers(unsigned char value) const { SetByte(u"Move servers", value); }
    // The server-side list as last received ("CL data"); empty when none
    // is stored or it is larger than any list can be.
    std::string GetListCache() const;
    void SetListCache(const std::string& bytes) const;

private:
    unsigned char GetByte(const char16_t* key, unsigned char fallback) const;
    void SetByte(const char16_t* key, unsigned char value) const;

    Protocols::CProtocolsManager* manager;
    unsigned int accountId;
};
