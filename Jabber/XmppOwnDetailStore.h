#pragma once
// XmppAccountDetailStore: the own detail values of one account, kept as
// account values of the protocols manager. It owns nothing but the way to
// the service, which may be missing (then nothing is read or written). The
// account's queue thread and the own-details dialog both use it; the
// protocols manager locks its own values.

#include "XmppVCard.h"

namespace Services {
class CServicesManager;
}

class XmppAccountDetailStore final : public XmppOwnDetailStore {
public:
    XmppAccountDetailStore(Services::CServicesManager* manager, unsigned int accountId)
        : manager(manager), accountId(accountId) {}

    bool Available() override;
    bool ReadText(const char16_t* key, CYolString& out) override;
    bool ReadNumber(const char16_t* key, DetailType type, unsigned int& out) override;
    void WriteText(const char16_t* key, const CYolString& value) override;
    void WriteNumber(const char16_t* key, DetailType type, unsigned int value) override;

private:
    Services::CServicesManager* manager;
    unsigned int accountId;
};
