// The context menus of the account, group, meta-group, contact and
// meta-contact rows, and the call-backs their entries carry.
//
// An entry's call-back is called by the row that built the menu
// (CallWithId) with the id the row stands for and the entry's context; the
// row and the control that showed the menu are handed to the call-back for
// the length of that call.

#include "CContactList.h"
#include "CProtocolsManager.h"
#include "CYol_CLEnvironment.h"
#include "CYol_CLItemKinds.h"

#include <cstdint>

namespace CL {

namespace {

// The contact-list strings, by number, as language-string ids.
constexpr int kLanguageIds[] = {28, 34, 35, 32, 33, 36, 37, 38, 39, 40, 41, 42, 43,
                                44, 45, 46, 47, 48, 49, 50, 51, 52, 192, 193, 194};

enum Text : int {
    TAccount = 0,
    TOpenGroups = 1,
    TCloseGroups = 2,
    TNetworkSettings = 3,
    TGroup = 4,
    TNewGroup = 5,
    TRenameGroup = 6,
    TDeleteGroup = 7,
    TMoveUp = 8,
    TMoveDown = 9,
    TContact = 10,
    TSendMessage = 11,
    TSendFile = 12,
    TDetails = 13,
    THistory = 14,
    TCopyName = 15,
    TAddContact = 16,
    TAddToList = 17,
    TRenameContact = 18,
    TDeleteContact = 19,
    TMoveToGroup = 20,
    TMoveToMeta = 21,
};

// Skin images of the entries.
enum Image : int {
    ICloseGroups = 16,
    INewGroup = 17,
    IAddContact = 18,
    IDeleteContact = 19,
    IDeleteGroup = 20,
    IMoveUp = 23,
    IMoveDown = 24,
    IMoveToGroup = 25,
    IMoveToMeta = 26,
    ISendMessage = 28,
    IOpenGroups = 33,
    IRenameContact = 34,
    IRenameGroup = 35,
    IDetails = 38,
    IHistory = 39,
    ICopyName = 40,
    INetworkSettings = 41,
    ISendFile = 76,
};

CYolString ListText(int number) {
    int languageId = number >= 0 && number < static_cast<int>(sizeof kLanguageIds / sizeof kLanguageIds[0])
                         ? kLanguageIds[number]
                         : 0;
    return CYol_CLEnvironment::String(languageId);
}

// The row and control of the choice being carried out.
struct Dispatch {
    CYol_CLItem* item = nullptr;
    CYol_CLCtrlBase* control = nullptr;
};
thread_local Dispatch t_dispatch;

void RunChoice(CYol_CLItem* item, CYol_CLCtrlBase* control, YolMenuCallback callback, unsigned int id,
               unsigned int entryContext) {
    if (callback == nullptr)
        return;
    Dispatch saved = t_dispatch;
    t_dispatch = Dispatch{item, control};
    callback(id, entryContext);
    t_dispatch = saved;
}

CYol_CLCtrlBase* Control() { return t_dispatch.control; }
CContactList* Model() { return CYol_CLEnvironment::Model(); }

unsigned int AccountOf(unsigned int id) {
    CContactList* model = Model();
    return model != nullptr ? model->GetItemAccount(id) : 0;
}

// A meta contact stands for its first sub-contact.
unsigned int FirstSub(unsigned int id) {
    CContactList* model = Model();
    if (model == nullptr || !model->IsMetaContact(id))
        return id;
    CYolArray<unsigned int> subs;
    model->GetMetaSubContacts(id, subs);
    return subs.Count() > 0 ? subs[0] : id;
}

void ExpandTree(CYol_CLItem* item, bool open) {
    if (item == nullptr)
        return;
    item->SetExpanded(open);
    for (CYol_CLItem* child = item->firstChild; child != nullptr; child = child->next)
        child->SetExpanded(open);
}

void ExpandSiblings(CYol_CLItem* item, bool open) {
    if (item == nullptr || item->parent == nullptr)
        return;
    for (CYol_CLItem* child = item->parent->firstChild; child != nullptr; child = child->next)
        child->SetExpanded(open);
    item->parent->Changed(true);
}

template <typename F>
void WithControl(F call) {
    if (CYol_CLCtrlBase* control = Control())
        call(*control);
}

// --- the call-backs (id, entry context) ---
void OpenAll(unsigned int, unsigned int) { ExpandTree(t_dispatch.item, true); }
void CloseAll(unsigned int, unsigned int) { ExpandTree(t_dispatch.item, false); }
void OpenSiblings(unsigned int, unsigned int) { ExpandSiblings(t_dispatch.item, true); }
void CloseSiblings(unsigned int, unsigned int) { ExpandSiblings(t_dispatch.item, false); }
void MoveUp(unsigned int, unsigned int) {
    if (auto* group = dynamic_cast<CYol_CLGroupItem*>(t_dispatch.item))
        group->MoveUp();
}
void MoveDown(unsigned int, unsigned int) {
    if (auto* group = dynamic_cast<CYol_CLGroupItem*>(t_dispatch.item))
        group->MoveDown();
}
void NewGroup(unsigned int id, unsigned int) {
    CYol_CLItem* item = t_dispatch.item;
    unsigned int account = dynamic_cast<CYol_CLAccountItem*>(item) != nullptr ? id
                           : dynamic_cast<CYol_CLMetagroupItem*>(item) != nullptr ? 0
                                                                                 : AccountOf(id);
    WithControl([&](CYol_CLCtrlBase& c) { c.NewGroup(account); });
}
void AddContact(unsigned int id, unsigned int) {
    bool account = dynamic_cast<CYol_CLAccountItem*>(t_dispatch.item) != nullptr;
    WithControl([&](CYol_CLCtrlBase& c) {
        if (account)
            c.AddContact(id, 0);
        else
            c.AddContact(AccountOf(id), id);
    });
}
void AddToList(unsigned int id, unsigned int) {
    unsigned int contact = FirstSub(id);
    WithControl([&](CYol_CLCtrlBase& c) { c.AddContactToGroup(AccountOf(contact), contact); });
}
void EditAccount(unsigned int id, unsigned int) {
    WithControl([&](CYol_CLCtrlBase& c) { c.EditAccount(id); });
}
void RenameGroup(unsigned int id, unsigned int) {
    WithControl([&](CYol_CLCtrlBase& c) { c.RenameGroup(id); });
}
void DeleteGroup(unsigned int id, unsigned int) {
    WithControl([&](CYol_CLCtrlBase& c) { c.DeleteGroup(id); });
}
void SendMessage(unsigned int id, unsigned int) {
    WithControl([&](CYol_CLCtrlBase& c) { c.ActivateItem2(id); });
}
void SendFile(unsigned int id, unsigned int) {
    WithControl([&](CYol_CLCtrlBase& c) { c.SendFile(id); });
}
void Details(unsigned int id, unsigned int) {
    WithControl([&](CYol_CLCtrlBase& c) { c.ShowContactDetails(id); });
}
void History(unsigned int id, unsigned int) {
    WithControl([&](CYol_CLCtrlBase& c) { c.ShowHistory(id); });
}
void CopyName(unsigned int id, unsigned int) {
    WithControl([&](CYol_CLCtrlBase& c) { c.CopyLogin(id); });
}
void RenameContact(unsigned int id, unsigned int) {
    WithControl([&](CYol_CLCtrlBase& c) { c.RenameItem(id); });
}
void DeleteContact(unsigned int id, unsigned int) {
    WithControl([&](CYol_CLCtrlBase& c) { c.DeleteContact(id); });
}
void MoveToMeta(unsigned int id, unsigned int) {
    WithControl([&](CYol_CLCtrlBase& c) { c.MoveContact(id); });
}
void MetaDetails(unsigned int id, unsigned int context) { Details(FirstSub(id), context); }
void MetaHistory(unsigned int id, unsigned int context) { History(FirstSub(id), context); }
void MetaCopyName(unsigned int id, unsigned int context) { CopyName(FirstSub(id), context); }
void MetaMoveToMeta(unsigned int id, unsigned int context) { MoveToMeta(FirstSub(id), context); }
void MoveToGroup(unsigned int id, unsigned int target) {
    if (Protocols::CProtocolsManager* manager = CYol_CLEnvironment::Manager())
        manager->MoveContact(AccountOf(id), id, target);
}
void MoveMeta(unsigned int id, unsigned int target) {
    CContactList* model = Model();
    if (model == nullptr)
        return;
    if (model->IsMetaContact(id))
        model->MoveMetaContact(id, target);
    else
        model->MoveContact(id, target);
}

// --- building ---

CYolMenuItemInfo Entry(int image, int text, YolMenuCallback callback, unsigned int command = 0,
                       unsigned int context = 0) {
    CYolArray<unsigned int> images;
    if (image != -1)
        images.Add(static_cast<unsigned int>(image));
    return CYolMenuItemInfo(CYolMenuItemInfo::Item, images, CYolFormatString(ListText(text)),
                            static_cast<int>(command), callback, context, false);
}

void Separator(CYolMenuInfo& menu) {
    CYolMenuItemInfo separator;
    separator.kind = CYolMenuItemInfo::Separator;
    menu.AddItem(separator);
}

void SubMenu(CYolMenuInfo& menu, const CYolArray<unsigned int>& images, const CYolString& caption,
             const CYolMenuInfo& sub) {
    CYolMenuItemInfo entry(CYolMenuItemInfo::SubMenu, images, CYolFormatString(caption), 0, nullptr, 0, false);
    entry.subMenu = new CYolMenuInfo(sub);
    menu.AddItem(entry);
}

void* IdContext(unsigned int id) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(id)); }

// "Move to group": every other group of the account (0: every meta group).
void MoveToGroupMenu(CYolMenuInfo& menu, unsigned int account, unsigned int own, YolMenuCallback callback,
                     unsigned int command) {
    CContactList* model = Model();
    if (model == nullptr)
        return;
    CYolArray<unsigned int> ids;
    model->GetGroupIds(account, ids);
    CYolMenuInfo sub;
    sub.title = CYolFormatString(ListText(TMoveToGroup));
    sub.context = IdContext(command);
    for (unsigned int id : ids)
        if (id != own)
            sub.AddItem(CYolMenuItemInfo(CYolMenuItemInfo::Item, CYolArray<unsigned int>(),
                                         CYolFormatString(CYol_CLEnvironment::ItemString(id, u"CL Alias")),
                                         static_cast<int>(command), callback, id, false));
    if (sub.GetCount() > 0) {
        CYolArray<unsigned int> images;
        images.Add(IMoveToGroup);
        SubMenu(menu, images, ListText(TMoveToGroup), sub);
    }
}

void PluginEntries(CYolMenuInfo& menu, unsigned int account, unsigned int contact) {
    if (Protocols::CProtocolsManager* manager = CYol_CLEnvironment::Manager())
        manager->GetContactMenu(account, contact, &menu);
}

void MoveSteps(CYolMenuInfo& menu, const CYol_CLGroupItem& group) {
    bool separated = false;
    if (group.prev != nullptr) {
        Separator(menu);
        separated = true;
        menu.AddItem(Entry(IMoveUp, TMoveUp, MoveUp));
    }
    const auto* below = static_cast<const CYol_CLGroupItem*>(group.next);
    if (below != nullptr && below->modelId != 0) {
        if (!separated)
            Separator(menu);
        menu.AddItem(Entry(IMoveDown, TMoveDown, MoveDown));
    }
}

CYolString Joined(const CYolString& first, const CYolString& second) {
    CYolString text = first;
    text += u" - ";
    text += second;
    return text;
}

// The account whose status decides what a contact's menu offers: the
// account of the contact itself, so that a contact outside every group is
// judged by its own account rather than by the global status.
bool ContactAccountOnline(unsigned int contact) { return CYol_CLEnvironment::IsAccountOnline(AccountOf(contact)); }

}  // namespace

// ---------------------------------------------------------------- accounts

void CYol_CLAccountItem::BuildMenu(CYolMenuInfo& menu, int, int, CYol_CLCtrlBase*) {
    menu.title = CYolFormatString(ListText(TAccount));
    menu.AddItem(Entry(IOpenGroups, TOpenGroups, OpenAll));
    menu.AddItem(Entry(ICloseGroups, TCloseGroups, CloseAll));
    if (CYol_CLEnvironment::IsAccountOnline(modelId)) {
        Separator(menu);
        menu.AddItem(Entry(INewGroup, TNewGroup, NewGroup));
        menu.AddItem(Entry(IAddContact, TAddContact, AddContact));
    }
    Separator(menu);
    menu.AddItem(Entry(INetworkSettings, TNetworkSettings, EditAccount));
}

void CYol_CLAccountItem::CallWithId(int, YolMenuCallback callback, void*, unsigned int entryContext,
                                    CYol_CLCtrlBase* control) {
    RunChoice(this, control, callback, modelId, entryContext);
}

// ------------------------------------------------------------------ groups

void CYol_CLGroupItem::BuildMenu(CYolMenuInfo& menu, int, int, CYol_CLCtrlBase*) {
    menu.title = CYolFormatString(ListText(TGroup));
    menu.AddItem(Entry(IOpenGroups, TOpenGroups, OpenSiblings));
    menu.AddItem(Entry(ICloseGroups, TCloseGroups, CloseSiblings));
    if (modelId == 0 || !CYol_CLEnvironment::IsAccountOnline(AccountOf(modelId)))
        return;
    Separator(menu);
    menu.AddItem(Entry(INewGroup, TNewGroup, NewGroup));
    menu.AddItem(Entry(IRenameGroup, TRenameGroup, RenameGroup));
    menu.AddItem(Entry(IDeleteGroup, TDeleteGroup, DeleteGroup));
    menu.AddItem(Entry(IAddContact, TAddContact, AddContact));
    MoveSteps(menu, *this);
}

void CYol_CLGroupItem::CallWithId(int, YolMenuCallback callback, void*, unsigned int entryContext,
                                  CYol_CLCtrlBase* control) {
    RunChoice(this, control, callback, modelId, entryContext);
}

void CYol_CLMetagroupItem::BuildMenu(CYolMenuInfo& menu, int, int, CYol_CLCtrlBase*) {
    menu.title = CYolFormatString(ListText(TGroup));
    menu.AddItem(Entry(IOpenGroups, TOpenGroups, OpenSiblings));
    menu.AddItem(Entry(ICloseGroups, TCloseGroups, CloseSiblings));
    if (modelId == 0)
        return;
    Separator(menu);
    menu.AddItem(Entry(INewGroup, TNewGroup, NewGroup));
    menu.AddItem(Entry(IRenameGroup, TRenameGroup, RenameGroup));
    menu.AddItem(Entry(IDeleteGroup, TDeleteGroup, DeleteGroup));
    MoveSteps(menu, *this);
}

// ---------------------------------------------------------------- contacts

void CYol_CLContactItem::BuildMenu(CYolMenuInfo& menu, int, int, CYol_CLCtrlBase*) {
    menu.title = CYolFormatString(Joined(CYol_CLEnvironment::ItemString(modelId, u"SrvLogName"), name));
    unsigned int account = AccountOf(modelId);
    bool online = ContactAccountOnline(modelId);
    CContactList* model = Model();
    bool inGroup = model != nullptr && model->GetParentId(modelId) != 0;
    if (online) {
        menu.AddItem(Entry(ISendMessage, TSendMessage, SendMessage));
        menu.AddItem(Entry(ISendFile, TSendFile, SendFile));
        Separator(menu);
    }
    menu.AddItem(Entry(IDetails, TDetails, Details));
    menu.AddItem(Entry(IHistory, THistory, History));
    menu.AddItem(Entry(ICopyName, TCopyName, CopyName));
    Separator(menu);
    if (online)
        menu.AddItem(inGroup ? Entry(IRenameContact, TRenameContact, RenameContact)
                             : Entry(IAddContact, TAddToList, AddToList));
    if (online || !inGroup)
        menu.AddItem(Entry(IDeleteContact, TDeleteContact, DeleteContact));
    if (online && inGroup)
        MoveToGroupMenu(menu, account, model->GetParentId(modelId), MoveToGroup, 0);
    PluginEntries(menu, account, modelId);
}

void CYol_CLContactItem::CallWithId(int, YolMenuCallback callback, void*, unsigned int entryContext,
                                    CYol_CLCtrlBase* control) {
    RunChoice(this, control, callback, modelId, entryContext);
}

void CYol_CLMetacontactItem::BuildMenu(CYolMenuInfo& menu, int, int, CYol_CLCtrlBase*) {
    CContactList* model = Model();
    menu.title = CYolFormatString(name);
    menu.context = IdContext(modelId);
    if (model == nullptr)
        return;
    CYolArray<unsigned int> subs;
    model->GetMetaSubContacts(modelId, subs);
    unsigned int metaGroup = model->GetParentId(modelId);
    if (subs.Count() == 1) {
        unsigned int sub = subs[0];
        bool online = ContactAccountOnline(sub);
        if (online) {
            menu.AddItem(Entry(ISendMessage, TSendMessage, SendMessage, modelId));
            menu.AddItem(Entry(ISendFile, TSendFile, SendFile, modelId));
            Separator(menu);
        }
        menu.AddItem(Entry(IDetails, TDetails, MetaDetails, modelId));
        menu.AddItem(Entry(IHistory, THistory, MetaHistory, modelId));
        menu.AddItem(Entry(ICopyName, TCopyName, MetaCopyName, modelId));
        Separator(menu);
        if (online && metaGroup == 0)
            menu.AddItem(Entry(IAddContact, TAddToList, AddToList, modelId));
        if (metaGroup != 0)
            menu.AddItem(Entry(IRenameContact, TRenameContact, RenameContact, modelId));
        menu.AddItem(Entry(IDeleteContact, TDeleteContact, DeleteContact, modelId));
        if (metaGroup != 0) {
            MoveToGroupMenu(menu, 0, metaGroup, MoveMeta, modelId);
            menu.AddItem(Entry(IMoveToMeta, TMoveToMeta, MetaMoveToMeta, modelId));
        }
        PluginEntries(menu, AccountOf(sub), sub);
        return;
    }
    menu.AddItem(Entry(ISendMessage, TSendMessage, SendMessage, modelId));
    menu.AddItem(Entry(ISendFile, TSendFile, SendFile, modelId));
    Separator(menu);
    menu.AddItem(Entry(IRenameContact, TRenameContact, RenameContact, modelId));
    menu.AddItem(Entry(IDeleteContact, TDeleteContact, DeleteContact, modelId));
    MoveToGroupMenu(menu, 0, metaGroup, MoveMeta, modelId);
    Separator(menu);
    for (unsigned int sub : subs) {
        CYolString login = CYol_CLEnvironment::ItemString(sub, u"SrvLogName");
        CYolMenuInfo subMenu;
        subMenu.title = CYolFormatString(Joined(login, CYol_CLEnvironment::ItemString(sub, u"CL Alias")));
        subMenu.context = IdContext(sub);
        subMenu.AddItem(Entry(IDetails, TDetails, Details));
        subMenu.AddItem(Entry(IHistory, THistory, History));
        subMenu.AddItem(Entry(ICopyName, TCopyName, CopyName));
        Separator(subMenu);
        if (ContactAccountOnline(sub)) {
            subMenu.AddItem(Entry(IRenameContact, TRenameContact, RenameContact));
            subMenu.AddItem(Entry(IDeleteContact, TDeleteContact, DeleteContact));
        }
        subMenu.AddItem(Entry(IMoveToMeta, TMoveToMeta, MoveToMeta));
        PluginEntries(subMenu, AccountOf(sub), sub);
        // A status without any icon list shows no image.
        Protocols::ContactStatusInfo status;
        model->GetItemStatus(status, sub);
        CYolArray<unsigned int> images;
        if (status.icons.Count() > 0)
            images = status.icons[0];
        SubMenu(menu, images, login, subMenu);
    }
}

void CYol_CLMetacontactItem::CallWithId(int commandId, YolMenuCallback callback, void* menuContext,
                                        unsigned int entryContext, CYol_CLCtrlBase* control) {
    auto chosen = static_cast<unsigned int>(reinterpret_cast<std::uintptr_t>(menuContext));
    unsigned int id = chosen;
    if (static_cast<unsigned int>(commandId) != chosen) {
        CYolArray<unsigned int> subs;
        if (CContactList* model = Model())
            model->GetMetaSubContacts(chosen, subs);
        if (subs.Count() > 0)
            id = subs[0];
    }
    RunChoice(this, control, callback, id, entryContext);
}

}  // namespace CL
