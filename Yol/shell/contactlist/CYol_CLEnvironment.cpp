#include "CYol_CLEnvironment.h"

#include "CContactList.h"
#include "CProtocolsManager.h"
#include "CServicesManager.h"
#include "YolGuids.h"

#include <atomic>

namespace CL {

namespace {
std::atomic<Services::CServicesManager*> g_services{nullptr};
std::atomic<MYol_CLStrings*> g_strings{nullptr};
}  // namespace

void CYol_CLEnvironment::Set(Services::CServicesManager* services, MYol_CLStrings* strings) {
    g_services = services;
    g_strings = strings;
}

CContactList* CYol_CLEnvironment::Model() {
    Services::CServicesManager* services = g_services;
    return services != nullptr ? static_cast<CContactList*>(services->GetService(ContactListGuid)) : nullptr;
}

Protocols::CProtocolsManager* CYol_CLEnvironment::Manager() {
    Services::CServicesManager* services = g_services;
    return services != nullptr ? static_cast<Protocols::CProtocolsManager*>(services->GetService(ProtocolsManagerGuid))
                               : nullptr;
}

CYolString CYol_CLEnvironment::String(int languageId) {
    MYol_CLStrings* strings = g_strings;
    return strings != nullptr ? strings->GetString(languageId) : CYolString();
}

bool CYol_CLEnvironment::IsAccountOnline(unsigned int accountId) {
    Protocols::CProtocolsManager* manager = Manager();
    Protocols::Status status = Protocols::Offline;
    if (manager == nullptr || manager->GetStatus(accountId, status) != 0)
        return false;
    return static_cast<unsigned int>(status) >= 2;
}

CYolString CYol_CLEnvironment::ItemString(unsigned int id, const char16_t* key) {
    CYolString out;
    if (CContactList* model = Model())
        model->GetItemString(id, CYolString(key), out);
    return out;
}

}  // namespace CL
