#include "CYolWMAppHistoryContext.h"

#include "AppServices.h"
#include "TYolWMPrefs.h"

namespace UI {

unsigned int CYolWMAppHistoryContext::GetItemAccount(unsigned int id) {
    CL::CContactList* model = ModelOf(services);
    return model != nullptr ? model->GetItemAccount(id) : 0;
}

bool CYolWMAppHistoryContext::GetItemString(unsigned int id, const CYolString& name, CYolString& out) {
    CL::CContactList* model = ModelOf(services);
    return model != nullptr && model->GetItemString(id, name, out);
}

unsigned int CYolWMAppHistoryContext::GetParentId(unsigned int id) {
    CL::CContactList* model = ModelOf(services);
    return model != nullptr ? model->GetParentId(id) : 0;
}

void CYolWMAppHistoryContext::GetMetaSubContacts(unsigned int metaContactId, CYolArray<unsigned int>& out) {
    if (CL::CContactList* model = ModelOf(services))
        model->GetMetaSubContacts(metaContactId, out);
}

CYolString CYolWMAppHistoryContext::GetAccountProtocolName(unsigned int accountId) {
    Protocols::ProtocolRecord record;
    if (Protocols::CProtocolsManager* manager = ManagerOf(services))
        manager->GetAccountProtocolInfo(record, accountId);
    return record.name;
}

CYolString CYolWMAppHistoryContext::GetAccountLogin(unsigned int accountId) {
    CYolString login;
    if (Protocols::CProtocolsManager* manager = ManagerOf(services))
        manager->GetAccountLogin(login, accountId, false);
    return login;
}

unsigned char CYolWMAppHistoryContext::GetPreferenceByte(const CYolString& name) {
    if (name == CYolString(u"HistSaveHist"))
        return prefs.HistSaveHist ? 1 : 0;
    if (name == CYolString(u"HistSaveNotInList"))
        return prefs.HistSaveNotInList ? 1 : 0;
    return 0;
}

CYolString CYolWMAppHistoryContext::GetOwnName() {
    return messageWindows != nullptr ? messageWindows->GetOwnName(0) : CYolString();
}

}  // namespace UI
