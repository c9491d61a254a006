#include "CYolWMUI_FileLoadServices.h"

#include "CContactList.h"
#include "CProtocolsManager.h"
#include "CServicesManager.h"
#include "YolGuids.h"

namespace UI {

namespace {

CL::CContactList* ContactList(Services::CServicesManager& services)
{
    return static_cast<CL::CContactList*>(services.GetService(ContactListGuid));
}

Protocols::CProtocolsManager* ProtocolsManager(Services::CServicesManager& services)
{
    return static_cast<Protocols::CProtocolsManager*>(services.GetService(ProtocolsManagerGuid));
}

// The account of the contact; 0 when the model or the contact is gone.
unsigned int AccountOf(Services::CServicesManager& services, unsigned int contactId)
{
    CL::CContactList* list = ContactList(services);
    return list ? list->GetItemAccount(contactId) : 0;
}

} // namespace

CYolWMUI_FileLoadServices::CYolWMUI_FileLoadServices(Services::CServicesManager& services, HWND mainWindow,
                                                     TWarning warning)
    : m_services(services), m_mainWindow(mainWindow), m_warning(std::move(warning))
{
}

bool CYolWMUI_FileLoadServices::AcceptOffer(unsigned int contactId, const CYolString& fileName,
                                            const CYolString& targetPath)
{
    const unsigned int account = AccountOf(m_services, contactId);
    Protocols::CProtocolsManager* manager = ProtocolsManager(m_services);
    if (account == 0 || !manager)
        return false;
    manager->AcceptFile(account, contactId, fileName, targetPath);
    return true;
}

bool CYolWMUI_FileLoadServices::DeclineOffer(unsigned int contactId, const CYolString& fileName)
{
    const unsigned int account = AccountOf(m_services, contactId);
    Protocols::CProtocolsManager* manager = ProtocolsManager(m_services);
    if (account == 0 || !manager)
        return false;
    manager->RefuseFile(account, contactId, fileName);
    return true;
}

CYolString CYolWMUI_FileLoadServices::ContactLogin(unsigned int contactId)
{
    CYolString login;
    CL::CContactList* list = ContactList(m_services);
    if (!list || !list->GetItemString(contactId, CYolString(u"SrvLogName"), login))
        login = CYolString();
    return login;
}

void CYolWMUI_FileLoadServices::CancelTransfer(unsigned int contactId, const CYolString& fileName)
{
    DeclineOffer(contactId, fileName);
}

void CYolWMUI_FileLoadServices::ShowWarning(const CYolString& text)
{
    if (m_warning)
        m_warning(text);
}

} // namespace UI
