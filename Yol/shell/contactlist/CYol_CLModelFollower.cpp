#include "CYol_CLModelFollower.h"

#include "CContactList.h"
#include "CEventArg.h"
#include "CServicesManager.h"
#include "CYolPair.h"
#include "CYol_CLEnvironment.h"
#include "ContactListEvents.h"
#include "ProtocolsManagerEvents.h"
#include "WindowSystem/MessageQueue.h"
#include "YolGuids.h"

namespace CL {

namespace {
using Services::CEventArg;
using Services::CEventArg_Data;
using StatusPair = CYolPair<unsigned int, Protocols::ContactStatusInfo>;

// Null for an argument of another type: the follower takes every event of
// the model, and some carry no item id (the status list to fill).
template <typename T>
const T* Value(CEventArg* arg) {
    auto* data = dynamic_cast<CEventArg_Data<T>*>(arg);
    return data != nullptr ? &data->data : nullptr;
}
unsigned int Id(CEventArg* arg) {
    const unsigned int* id = Value<unsigned int>(arg);
    return id != nullptr ? *id : 0;
}
}  // namespace

CYol_CLModelFollower::CYol_CLModelFollower(CYol_CLRootItem& viewSet) : views(viewSet) {}

CYol_CLModelFollower::~CYol_CLModelFollower() { Detach(); }

void CYol_CLModelFollower::Attach(Services::CServicesManager& manager) {
    services = &manager;
    clientId = manager.RegisterEventsClient(this, CYolString(u"CLViews"));
    using namespace Protocols::ProtocolsManagerEvent;
    for (int event : {AccountAdded, AccountRemoved, AccountChanged})
        manager.Subscribe(ProtocolsManagerGuid, event, clientId);
    for (int event = ContactListEvent::First; event <= ContactListEvent::Last; ++event)
        manager.Subscribe(ContactListGuid, event, clientId);
}

void CYol_CLModelFollower::Detach() {
    if (services != nullptr && clientId != 0)
        services->UnregisterEventsClient(clientId);
    services = nullptr;
    clientId = 0;
}

int CYol_CLModelFollower::OnEvent(const YOL_GUID& channel, int event, CEventArg* arg, CEventArg* extra) {
    if (channel == ProtocolsManagerGuid) {
        using namespace Protocols::ProtocolsManagerEvent;
        if (event == AccountAdded)
            views.AccountAdded(Id(arg));
        else if (event == AccountRemoved)
            views.AccountRemoved(Id(arg));
        else if (event == AccountChanged)
            views.AccountMoved(Id(arg), static_cast<int>(Id(extra)));
    } else if (channel == ContactListGuid) {
        OnModelEvent(event, arg, extra);
    }
    return 0;
}

void CYol_CLModelFollower::OnModelEvent(int event, CEventArg* arg, CEventArg* extra) {
    CContactList* model = CYol_CLEnvironment::Model();
    if (model == nullptr)
        return;
    unsigned int id = Id(arg);
    using namespace ContactListEvent;
    switch (event) {
        case GroupAdded:
            views.GroupAdded(model->GetItemAccount(id), id, showOffline);
            break;
        case GroupRemoved:
            views.GroupRemoved(model->GetItemAccount(id), id);
            break;
        case GroupChanged:
            views.GroupChanged(model->GetItemAccount(id), id);
            break;
        case ContactAdded:
            if (const StatusPair* pair = Value<StatusPair>(extra))
                views.ContactAdded(model->GetItemAccount(id), pair->first, id, pair->second);
            break;
        case ContactRemoved:
            // Sent before the contact goes, so the model still knows its
            // group when the event does not carry it.
            views.ContactRemoved(model->GetItemAccount(id), extra != nullptr ? Id(extra) : model->GetParentId(id),
                                 id);
            break;
        case ContactStatusChanged:
            if (const auto* status = Value<Protocols::ContactStatusInfo>(extra))
                views.ContactStatusChanged(model->GetItemAccount(id), model->GetParentId(id), id, *status);
            break;
        case ContactChanged:
            views.ContactChanged(model->GetItemAccount(id), model->GetParentId(id), id);
            break;
        case ContactTyping:
            if (const bool* stopped = Value<bool>(extra)) {
                unsigned int meta = model->GetMetaContactOf(id);
                views.ContactTyping(model->GetItemAccount(id), model->GetParentId(id), id,
                                    meta != 0 ? model->GetParentId(meta) : 0, meta, *stopped);
            }
            break;
        case MetaGroupAdded:
            views.MetaGroupAdded(id, showOffline);
            break;
        case MetaGroupChanged:
            views.MetaGroupChanged(id);
            break;
        case MetaGroupRemoved:
            views.MetaGroupRemoved(id);
            break;
        case MetaContactAdded:
            if (const StatusPair* pair = Value<StatusPair>(extra))
                views.MetaContactAdded(pair->first, id, pair->second);
            break;
        case MetaContactRemoved:
            views.MetaContactRemoved(extra != nullptr ? Id(extra) : model->GetParentId(id), id);
            break;
        case MetaContactStatusChanged:
            if (const auto* status = Value<Protocols::ContactStatusInfo>(extra))
                views.MetaContactStatusChanged(model->GetParentId(id), id, *status);
            break;
        case MetaContactChanged:
            views.MetaContactChanged(model->GetParentId(id), id);
            break;
        default:
            break;
    }
}

void CYol_CLPostingCtrl::Invalidate(bool relayout) { PostMessage(window, kCLMsgInvalidate, relayout ? 1 : 0, 0); }
void CYol_CLPostingCtrl::StartBlinkTimer() { PostMessage(window, kCLMsgBlink, 1, 0); }
void CYol_CLPostingCtrl::StopBlinkTimer() { PostMessage(window, kCLMsgBlink, 0, 0); }
void CYol_CLPostingCtrl::PostCommand(unsigned int id, bool) { PostMessage(window, kCLMsgContactOnline, id, 0); }

}  // namespace CL
