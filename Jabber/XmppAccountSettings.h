#pragma once
// The settings record of one XMPP account: what it connects to, how it logs
// in and which extras it shows. A fresh record holds the values an account
// has before its settings were ever loaded; Load fills it from the account's
// values in the protocols manager with the defaults of the account kind, and
// Save writes it back under the same keys.

#include "CServicesManager.h"
#include "CYolString.h"

#include <cstdint>

// Where the record is kept: the typed account values of one account. The
// plug-in uses the protocols manager's; tests may hand in any store.
class XmppSettingsStorage {
public:
    // Getters answer false, leaving the output as it was, when the key is
    // missing or its value has another size (GetBlob: when it is longer than
    // `size`; on success `size` is the value's length).
    virtual bool GetString(const CYolString& key, CYolString& value, bool isProtected) = 0;
    virtual bool GetBlob(const CYolString& key, void* buffer, unsigned int& size) = 0;
    virtual bool GetDword(const CYolString& key, unsigned int& value) = 0;
    virtual bool GetByte(const CYolString& key, unsigned char& value) = 0;
    virtual void SetString(const CYolString& key, const CYolString& value, bool isProtected) = 0;
    virtual void SetBlob(const CYolString& key, const void* data, unsigned int size) = 0;
    virtual void SetDword(const CYolString& key, unsigned int value) = 0;
    virtual void SetByte(const CYolString& key, unsigned char value) = 0;

protected:
    ~XmppSettingsStorage() = default;
};

struct XmppAccountSettings {
    CYolString userName;
    int passwordHashed = 0;
    CYolString password;
    uint8_t passwordHash[16] = {};
    uint8_t mailPasswordHash[16] = {};
    CYolString server;
    unsigned int port = 5222;
    CYolString resource;
    int8_t priority = 0;
    bool useSsl = false;
    bool compression = false;
    bool fileTransferProxyEnabled = false;
    bool keepAlive = true;
    bool manualHost = false;
    CYolString host;
    CYolString fileTransferProxy;
    unsigned int hostPort = 5222;
    bool emailNotify = true;
    bool showEmailButton = true;
    bool showClientIcons = true;
    bool loaded = false;

    // From the protocols manager's values of the account; nothing without
    // that service.
    void Load(Services::CServicesManager* manager, unsigned int accountId, int kind);
    // To the protocols manager; nothing before the first load or without the
    // service.
    void Save(Services::CServicesManager* manager, unsigned int accountId, int kind) const;

    void Load(XmppSettingsStorage& storage, int kind);
    void Save(XmppSettingsStorage& storage, int kind) const;

    // The account's login: user name "@" server; empty without a user name.
    CYolString Login() const;
};

// The stored form of the password hash: its 32 lower-case hex digits, each
// byte b at position i turned into (-b - i - 2) mod 256. Unscrambling is the
// same sum backwards; it answers false, leaving `hash` as it was, for a blob
// that is not 32 scrambled hex digits.
void ScramblePasswordHash(const uint8_t hash[16], uint8_t blob[32]);
bool UnscramblePasswordHash(const uint8_t blob[32], uint8_t hash[16]);
