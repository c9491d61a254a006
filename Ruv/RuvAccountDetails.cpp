// The account's details and search: the commands, the pages' posted
// requests and the meta service's frames.

#include "CProtocolsManager.h"
#include "CRuvAccount.h"

Protocols::CProtocolsManager* CRuvAccount::ProtocolsManagerService() const {
    return servicesManager
               ? static_cast<Protocols::CProtocolsManager*>(servicesManager->GetService(ProtocolsManagerGuid))
               : nullptr;
}

int CRuvAccount::RequestContactInfo(unsigned int contact) {
    details.RequestContactInfo(contact);
    return 0;
}

int CRuvAccount::StartSearch(int page) {
    meta.StartSearch(page);
    return 0;
}

void CRuvAccount::PostSearchRequest(const TSearchRequest& request) {
    PostToSelf(RuvProtocolGuid, kSearchRequestEvent, new Services::CEventArg_Data<TSearchRequest>(request));
}

void CRuvAccount::PostOwnDetailsSave(const CTLVCol& changes) {
    PostToSelf(RuvProtocolGuid, kSaveOwnDetailsEvent, new Services::CEventArg_Data<CTLVCol>(changes));
}

void CRuvAccount::PostOwnDetailsRequest() { PostToSelf(RuvProtocolGuid, kRequestOwnDetailsEvent); }

bool CRuvAccount::OnDetailsEvent(int event, Services::CEventArg* first) {
    switch (event) {
    case kSearchRequestEvent:
        if (first != nullptr)
            meta.SearchRequest() = static_cast<Services::CEventArg_Data<TSearchRequest>*>(first)->data;
        return true;
    case kSaveOwnDetailsEvent:
        if (first != nullptr)
            details.SaveOwnInfo(static_cast<Services::CEventArg_Data<CTLVCol>*>(first)->data);
        return true;
    case kRequestOwnDetailsEvent:
        details.RequestOwnInfo();
        return true;
    default:
        return false;
    }
}

void CRuvAccount::OnMetaFrame(uint16_t subtype, const uint8_t* frame, size_t size) {
    if (subtype == 0x01)
        meta.OnError(frame, size);
    else
        meta.OnReply(frame, size);
}
