// Reading settings back: an account's values as "Accounts data" keeps them
// (records back to back), unpacked by the protocols manager's store and read
// with every typed getter a plug-in calls, and an XMPP account's settings
// record loaded from them for each account kind. The first byte picks the
// kind; the rest is the packed records.
//
// Beyond memory safety: a typed getter answers only for a value of exactly
// its size, a blob reads back at the size the store reports, and loading
// the same values twice gives the same record.

#include "FuzzSupport.h"
#include "CAccountSettingsStore.h"
#include "JabberProtocolInfo.h"
#include "XmppAccountSettings.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using Protocols::CAccountSettingsStore;

namespace {


// The plug-in's view of the store, as the protocols manager gives it.
class StoreStorage final : public XmppSettingsStorage {
public:
    explicit StoreStorage(CAccountSettingsStore& store) : store(store) {}
    bool GetString(const CYolString& key, CYolString& value, bool isProtected) override {
        return store.GetString(key, value, isProtected);
    }
    bool GetBlob(const CYolString& key, void* buffer, unsigned int& size) override {
        return store.GetBlob(key, buffer, size);
    }
    bool GetDword(const CYolString& key, unsigned int& value) override { return store.GetDword(key, value); }
    bool GetByte(const CYolString& key, unsigned char& value) override { return store.GetByte(key, value); }
    void SetString(const CYolString& key, const CYolString& value, bool isProtected) override {
        store.SetString(key, value, isProtected);
    }
    void SetBlob(const CYolString& key, const void* data, unsigned int size) override { store.SetBlob(key, data, size); }
    void SetDword(const CYolString& key, unsigned int value) override { store.SetDword(key, value); }
    void SetByte(const CYolString& key, unsigned char value) override { store.SetByte(key, value); }

private:
    CAccountSettingsStore& store;
};

void ReadEveryValue(const CAccountSettingsStore& store) {
    for (const Database::CRecord& record : store.Records()) {
        const CYolString key = record.GetName();
        unsigned int size = 0;
        Fuzz::Check(store.GetValueSize(key, size));
        std::vector<unsigned char> buffer(size + 1);
        unsigned int room = size ? size - 1 : 0;
        if (size > 0)
            Fuzz::Check(!store.GetBlob(key, buffer.data(), room) && room == size - 1);
        room = size + 1;
        Fuzz::Check(store.GetBlob(key, buffer.data(), room) && room == size);
        CYolString text;
        store.GetString(key, text, false);
        store.GetString(key, text, true);
        unsigned int dword = 0;
        unsigned short word = 0;
        unsigned char byte = 0;
        bool flag = false;
        // The first record of a name answers; a later one of the same name
        // is never reached, so only the first decides the sizes.
        Fuzz::Check(store.GetDword(key, dword) == (size == 4));
        Fuzz::Check(store.GetWord(key, word) == (size == 2));
        Fuzz::Check(store.GetByte(key, byte) == (size == 1));
        Fuzz::Check(store.GetBool(key, flag) == (size == 1));
    }
}

bool SameRecord(const XmppAccountSettings& a, const XmppAccountSettings& b) {
    return a.userName == b.userName && a.passwordHashed == b.passwordHashed && a.password == b.password &&
           std::memcmp(a.passwordHash, b.passwordHash, sizeof a.passwordHash) == 0 &&
           std::memcmp(a.mailPasswordHash, b.mailPasswordHash, sizeof a.mailPasswordHash) == 0 &&
           a.server == b.server && a.port == b.port && a.resource == b.resource && a.priority == b.priority &&
           a.useSsl == b.useSsl && a.compression == b.compression &&
           a.fileTransferProxyEnabled == b.fileTransferProxyEnabled && a.keepAlive == b.keepAlive &&
           a.manualHost == b.manualHost && a.host == b.host && a.fileTransferProxy == b.fileTransferProxy &&
           a.hostPort == b.hostPort && a.emailNotify == b.emailNotify && a.showEmailButton == b.showEmailButton &&
           a.showClientIcons == b.showClientIcons;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    CAccountSettingsStore store;
    if (!store.Unpack(data + 1, size - 1)) {
        Fuzz::Check(store.Count() == 0);
        return 0;
    }
    ReadEveryValue(store);

    const int kind = data[0] % (kJabberKindCount + 1);  // one past the kinds: an unknown kind
    StoreStorage storage(store);
    XmppAccountSettings first;
    first.Load(storage, kind);
    XmppAccountSettings second;
    second.Load(storage, kind);
    Fuzz::Check(SameRecord(first, second));
    (void)first.Login();

    // What the plug-in writes back is read by the same getters.
    first.Save(storage, kind);
    ReadEveryValue(store);
    return 0;
}
