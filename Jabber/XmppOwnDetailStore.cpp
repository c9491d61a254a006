// The own detail values as account values of the protocols manager.

#include "XmppOwnDetailStore.h"

#include "CProtocolsManager.h"
#include "CServicesManager.h"
#include "YolGuids.h"

namespace {

Protocols::CProtocolsManager* Manager(Services::CServicesManager* services) {
    return services != nullptr
               ? static_cast<Protocols::CProtocolsManager*>(services->GetService(ProtocolsManagerGuid))
               : nullptr;
}

}  // namespace

bool XmppAccountDetailStore::Available() { return Manager(manager) != nullptr; }

bool XmppAccountDetailStore::ReadText(const char16_t* key, CYolString& out) {
    Protocols::CProtocolsManager* service = Manager(manager);
    return service != nullptr && service->GetAccountString(accountId, CYolString(key), out, false);
}

bool XmppAccountDetailStore::ReadNumber(const char16_t* key, DetailType type, unsigned int& out) {
    Protocols::CProtocolsManager* service = Manager(manager);
    if (service == nullptr)
        return false;
    if (type == DetailType::Word) {
        unsigned short word = 0;
        if (!service->GetAccountWord(accountId, CYolString(key), word))
            return false;
        out = word;
        return true;
    }
    unsigned char byte = 0;
    if (!service->GetAccountByte(accountId, CYolString(key), byte))
        return false;
    out = byte;
    return true;
}

void XmppAccountDetailStore::WriteText(const char16_t* key, const CYolString& value) {
    if (Protocols::CProtocolsManager* service = Manager(manager))
        service->SetAccountString(accountId, CYolString(key), value, false);
}

void XmppAccountDetailStore::WriteNumber(const char16_t* key, DetailType type, unsigned int value) {
    Protocols::CProtocolsManager* service = Manager(manager);
    if (service == nullptr)
        return;
    if (type == DetailType::Word) {
        const unsigned short word = static_cast<unsigned short>(value & 0xFFFF);
        service->SetAccountWord(accountId, CYolString(key), word);
    } else {
        const unsigned char byte = static_cast<unsigned char>(value & 0xFF);
        service->SetAccountByte(accountId, CYolString(key), byte);
    }
}
