// The context menus of the account, group, meta-group, contact and
// meta-contact rows, and the call-backs their entries carry.
//
// An entry's call-back is called by the row that built the menu
// (CallWithId) with the id the row stands for and the entry's context: the
// row itself, the control that asked for the menu, or a target group.

#include "CContactList.h"
#include "CProtocolsManager.h"
#include "CYol_CLEnvironment.h"
#include "CYol_CLItemKinds.h"
#include "ValueNames.h"

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

// Choices are carried out only through the entry's call-back, with the id
// the row stands for and the entry's own context.
void RunChoice(YolMenuCallback callback, unsigned int id, void* entryContext) {
    if (callback != nullptr)
        callback(id, entryContext);
}

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

// Entries that act on their own row carry the row as their context; those
// that act on the control carry the control that asked for the menu.
CYol_CLItem* ItemOf(void* context) { return static_cast<CYol_CLItem*>(context); }

template <typename F>
int WithControl(void* context, F call) {
    if (auto* control = static_cast<CYol_CLCtrlBase*>(context))
        call(*control);
    return 0;
}

// --- the call-backs (id, entry context) ---
template <void (*Expand)(CYol_CLItem*, bool), bool Open>
int OnRow(unsigned int, void* item) {
    Expand(ItemOf(item), Open);
    return 0;
}
constexpr YolMenuCallback OpenAll = OnRow<ExpandTree, true>;
constexpr YolMenuCallback CloseAll = OnRow<ExpandTree, false>;
constexpr YolMenuCallback OpenSiblings = OnRow<ExpandSiblings, true>;
constexpr YolMenuCallback CloseSiblings = OnRow<ExpandSiblings, false>;
int MoveUp(unsigned int, void* item) {
    if (auto* group = dynamic_cast<CYol_CLGroupItem*>(ItemOf(item)))
        group->MoveUp();
    return 0;
}
int MoveDown(unsigned int, void* item) {
    if (auto* group = dynamic_cast<CYol_CLGroupItem*>(ItemOf(item)))
        group->MoveDown();
    return 0;
}
// Entries that hand their id straight to one operation of the control, and
// the meta-contact forms that hand over the first sub-contact instead.
template <void (CYol_CLCtrlBase::*Operation)(unsigned int)>
int OnControl(unsigned int id, void* control) {
    return WithControl(control, [&](CYol_CLCtrlBase& c) { (c.*Operation)(id); });
}
template <void (CYol_CLCtrlBase::*Operation)(unsigned int)>
int OnFirstSub(unsigned int id, void* control) {
    return OnControl<Operation>(FirstSub(id), control);
}

constexpr YolMenuCallback NewGroupOfAccount = OnControl<&CYol_CLCtrlBase::NewGroup>;
constexpr YolMenuCallback EditAccount = OnControl<&CYol_CLCtrlBase::EditAccount>;
constexpr YolMenuCallback RenameGroup = OnControl<&CYol_CLCtrlBase::RenameGroup>;
constexpr YolMenuCallback DeleteGroup = OnControl<&CYol_CLCtrlBase::DeleteGroup>;
constexpr YolMenuCallback SendMessage = OnControl<&CYol_CLCtrlBase::ActivateItem2>;
constexpr YolMenuCallback SendFile = OnControl<&CYol_CLCtrlBase::SendFile>;
constexpr YolMenuCallback Details = OnControl<&CYol_CLCtrlBase::ShowContactDetails>;
constexpr YolMenuCallback History = OnControl<&CYol_CLCtrlBase::ShowHistory>;
constexpr YolMenuCallback CopyName = OnControl<&CYol_CLCtrlBase::CopyLogin>;
constexpr YolMenuCallback RenameContact = OnControl<&CYol_CLCtrlBase::RenameItem>;
constexpr YolMenuCallback DeleteContact = OnControl<&CYol_CLCtrlBase::DeleteContact>;
constexpr YolMenuCallback MoveToMeta = OnControl<&CYol_CLCtrlBase::MoveContact>;
constexpr YolMenuCallback MetaDetails = OnFirstSub<&CYol_CLCtrlBase::ShowContactDetails>;
constexpr YolMenuCallback MetaHistory = OnFirstSub<&CYol_CLCtrlBase::ShowHistory>;
constexpr YolMenuCallback MetaCopyName = OnFirstSub<&CYol_CLCtrlBase::CopyLogin>;
constexpr YolMenuCallback MetaMoveToMeta = OnFirstSub<&CYol_CLCtrlBase::MoveContact>;

// A new group also goes next to the chosen group, in its account, or among
// the meta groups.
int NewGroupBesideGroup(unsigned int id, void* control) {
    return WithControl(control, [&](CYol_CLCtrlBase& c) { c.NewGroup(AccountOf(id)); });
}
int NewMetaGroup(unsigned int, void* control) {
    return WithControl(control, [&](CYol_CLCtrlBase& c) { c.NewGroup(0); });
}
int AddContactToAccount(unsigned int id, void* control) {
    return WithControl(control, [&](CYol_CLCtrlBase& c) { c.AddContact(id, 0); });
}
int AddContactToGroup(unsigned int id, void* control) {
    return WithControl(control, [&](CYol_CLCtrlBase& c) { c.AddContact(AccountOf(id), id); });
}
int AddToList(unsigned int id, void* control) {
    unsigned int contact = FirstSub(id);
    return WithControl(control, [&](CYol_CLCtrlBase& c) { c.AddContactToGroup(AccountOf(contact), contact); });
}
int MoveToGroup(unsigned int id, void* target) {
    if (Protocols::CProtocolsManager* manager = CYol_CLEnvironment::Manager())
        manager->MoveContact(AccountOf(id), id, YolMenuContextValue(target));
    return 0;
}
int MoveMeta(unsigned int id, void* target) {
    CContactList* model = Model();
    if (model == nullptr)
        return 0;
    if (model->IsMetaContact(id))
        model->MoveMetaContact(id, YolMenuContextValue(target));
    else
        model->MoveContact(id, YolMenuContextValue(target));
    return 0;
}

// --- building ---

CYolMenuItemInfo Entry(int image, int text, YolMenuCallback callback, void* context, unsigned int command = 0) {
    return CYolMenuItemInfo(CYolMenuItemInfo::Item, image, CYolFormatString(ListText(text)),
                            static_cast<int>(command), callback, context, false);
}

void Separator(CYolMenuInfo& menu) { menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator)); }

// "Move to group": every other group of the account (0: every meta group).
void MoveToGroupMenu(CYolMenuInfo& menu, unsigned int account, unsigned int own, YolMenuCallback callback,
                     unsigned int command) {
    CContactList* model = Model();
    if (model == nullptr)
        return;
    CYolArray<unsigned int> ids;
    model->GetGroupIds(account, ids);
    CYolMenuInfo sub(CYolFormatString(ListText(TMoveToGroup)), YolMenuContext(command));
    for (unsigned int id : ids)
        if (id != own)
            sub.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item,
                                     CYolFormatString(CYol_CLEnvironment::ItemString(id, ValueName::Alias)),
                                     static_cast<int>(command), callback, YolMenuContext(id), false));
    if (sub.Count() > 0)
        menu.Add(CYolMenuItemInfo(IMoveToGroup, CYolFormatString(ListText(TMoveToGroup)), sub));
}

void PluginEntries(CYolMenuInfo& menu, unsigned int account, unsigned int contact) {
    if (Protocols::CProtocolsManager* manager = CYol_CLEnvironment::Manager())
        manager->GetContactMenu(account, contact, &menu);
}

void MoveSteps(CYolMenuInfo& menu, CYol_CLGroupItem& group) {
    bool separated = false;
    if (group.prev != nullptr) {
        Separator(menu);
        separated = true;
        menu.Add(Entry(IMoveUp, TMoveUp, MoveUp, &group));
    }
    const auto* below = static_cast<const CYol_CLGroupItem*>(group.next);
    if (below != nullptr && below->modelId != 0) {
        if (!separated)
            Separator(menu);
        menu.Add(Entry(IMoveDown, TMoveDown, MoveDown, &group));
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

void CYol_CLAccountItem::BuildMenu(CYolMenuInfo& menu, int, int, CYol_CLCtrlBase* control) {
    menu.title = CYolFormatString(ListText(TAccount));
    menu.Add(Entry(IOpenGroups, TOpenGroups, OpenAll, this));
    menu.Add(Entry(ICloseGroups, TCloseGroups, CloseAll, this));
    if (CYol_CLEnvironment::IsAccountOnline(modelId)) {
        Separator(menu);
        menu.Add(Entry(INewGroup, TNewGroup, NewGroupOfAccount, control));
        menu.Add(Entry(IAddContact, TAddContact, AddContactToAccount, control));
    }
    Separator(menu);
    menu.Add(Entry(INetworkSettings, TNetworkSettings, EditAccount, control));
}

void CYol_CLAccountItem::CallWithId(int, YolMenuCallback callback, void*, void* entryContext) {
    RunChoice(callback, modelId, entryContext);
}

// ------------------------------------------------------------------ groups

void CYol_CLGroupItem::BuildMenu(CYolMenuInfo& menu, int, int, CYol_CLCtrlBase* control) {
    menu.title = CYolFormatString(ListText(TGroup));
    menu.Add(Entry(IOpenGroups, TOpenGroups, OpenSiblings, this));
    menu.Add(Entry(ICloseGroups, TCloseGroups, CloseSiblings, this));
    if (modelId == 0 || !CYol_CLEnvironment::IsAccountOnline(AccountOf(modelId)))
        return;
    Separator(menu);
    menu.Add(Entry(INewGroup, TNewGroup, NewGroupBesideGroup, control));
    menu.Add(Entry(IRenameGroup, TRenameGroup, RenameGroup, control));
    menu.Add(Entry(IDeleteGroup, TDeleteGroup, DeleteGroup, control));
    menu.Add(Entry(IAddContact, TAddContact, AddContactToGroup, control));
    MoveSteps(menu, *this);
}

void CYol_CLGroupItem::CallWithId(int, YolMenuCallback callback, void*, void* entryContext) {
    RunChoice(callback, modelId, entryContext);
}

void CYol_CLMetagroupItem::BuildMenu(CYolMenuInfo& menu, int, int, CYol_CLCtrlBase* control) {
    menu.title = CYolFormatString(ListText(TGroup));
    menu.Add(Entry(IOpenGroups, TOpenGroups, OpenSiblings, this));
    menu.Add(Entry(ICloseGroups, TCloseGroups, CloseSiblings, this));
    if (modelId == 0)
        return;
    Separator(menu);
    menu.Add(Entry(INewGroup, TNewGroup, NewMetaGroup, control));
    menu.Add(Entry(IRenameGroup, TRenameGroup, RenameGroup, control));
    menu.Add(Entry(IDeleteGroup, TDeleteGroup, DeleteGroup, control));
    MoveSteps(menu, *this);
}

// ---------------------------------------------------------------- contacts

void CYol_CLContactItem::BuildMenu(CYolMenuInfo& menu, int, int, CYol_CLCtrlBase* control) {
    menu.title = CYolFormatString(Joined(CYol_CLEnvironment::ItemString(modelId, ValueName::SrvLogName), name));
    unsigned int account = AccountOf(modelId);
    bool online = ContactAccountOnline(modelId);
    CContactList* model = Model();
    bool inGroup = model != nullptr && model->GetParentId(modelId) != 0;
    if (online) {
        menu.Add(Entry(ISendMessage, TSendMessage, SendMessage, control));
        menu.Add(Entry(ISendFile, TSendFile, SendFile, control));
        Separator(menu);
    }
    menu.Add(Entry(IDetails, TDetails, Details, control));
    menu.Add(Entry(IHistory, THistory, History, control));
    menu.Add(Entry(ICopyName, TCopyName, CopyName, control));
    Separator(menu);
    if (online)
        menu.Add(inGroup ? Entry(IRenameContact, TRenameContact, RenameContact, control)
                         : Entry(IAddContact, TAddToList, AddToList, control));
    if (online || !inGroup)
        menu.Add(Entry(IDeleteContact, TDeleteContact, DeleteContact, control));
    if (online && inGroup)
        MoveToGroupMenu(menu, account, model->GetParentId(modelId), MoveToGroup, 0);
    PluginEntries(menu, account, modelId);
}

void CYol_CLContactItem::CallWithId(int, YolMenuCallback callback, void*, void* entryContext) {
    RunChoice(callback, modelId, entryContext);
}

void CYol_CLMetacontactItem::BuildMenu(CYolMenuInfo& menu, int, int, CYol_CLCtrlBase* control) {
    CContactList* model = Model();
    menu.title = CYolFormatString(name);
    menu.context = YolMenuContext(modelId);
    if (model == nullptr)
        return;
    CYolArray<unsigned int> subs;
    model->GetMetaSubContacts(modelId, subs);
    unsigned int metaGroup = model->GetParentId(modelId);
    if (subs.Count() == 1) {
        unsigned int sub = subs[0];
        bool online = ContactAccountOnline(sub);
        if (online) {
            menu.Add(Entry(ISendMessage, TSendMessage, SendMessage, control, modelId));
            menu.Add(Entry(ISendFile, TSendFile, SendFile, control, modelId));
            Separator(menu);
        }
        menu.Add(Entry(IDetails, TDetails, MetaDetails, control, modelId));
        menu.Add(Entry(IHistory, THistory, MetaHistory, control, modelId));
        menu.Add(Entry(ICopyName, TCopyName, MetaCopyName, control, modelId));
        Separator(menu);
        if (online && metaGroup == 0)
            menu.Add(Entry(IAddContact, TAddToList, AddToList, control, modelId));
        if (metaGroup != 0)
            menu.Add(Entry(IRenameContact, TRenameContact, RenameContact, control, modelId));
        menu.Add(Entry(IDeleteContact, TDeleteContact, DeleteContact, control, modelId));
        if (metaGroup != 0) {
            MoveToGroupMenu(menu, 0, metaGroup, MoveMeta, modelId);
            menu.Add(Entry(IMoveToMeta, TMoveToMeta, MetaMoveToMeta, control, modelId));
        }
        PluginEntries(menu, AccountOf(sub), sub);
        return;
    }
    menu.Add(Entry(ISendMessage, TSendMessage, SendMessage, control, modelId));
    menu.Add(Entry(ISendFile, TSendFile, SendFile, control, modelId));
    Separator(menu);
    menu.Add(Entry(IRenameContact, TRenameContact, RenameContact, control, modelId));
    menu.Add(Entry(IDeleteContact, TDeleteContact, DeleteContact, control, modelId));
    MoveToGroupMenu(menu, 0, metaGroup, MoveMeta, modelId);
    Separator(menu);
    for (unsigned int sub : subs) {
        CYolString login = CYol_CLEnvironment::ItemString(sub, ValueName::SrvLogName);
        CYolMenuInfo subMenu(CYolFormatString(Joined(login, CYol_CLEnvironment::ItemString(sub, ValueName::Alias))),
                             YolMenuContext(sub));
        subMenu.Add(Entry(IDetails, TDetails, Details, control));
        subMenu.Add(Entry(IHistory, THistory, History, control));
        subMenu.Add(Entry(ICopyName, TCopyName, CopyName, control));
        Separator(subMenu);
        if (ContactAccountOnline(sub)) {
            subMenu.Add(Entry(IRenameContact, TRenameContact, RenameContact, control));
            subMenu.Add(Entry(IDeleteContact, TDeleteContact, DeleteContact, control));
        }
        subMenu.Add(Entry(IMoveToMeta, TMoveToMeta, MoveToMeta, control));
        PluginEntries(subMenu, AccountOf(sub), sub);
        // A status without any icon list shows no image.
        Protocols::ContactStatusInfo status;
        model->GetItemStatus(status, sub);
        CYolArray<unsigned int> images;
        if (status.icons.Count() > 0)
            images = status.icons[0];
        menu.Add(CYolMenuItemInfo(images, CYolFormatString(login), subMenu));
    }
}

// The meta contact's own menu carries its id as the menu's context, each
// sub-contact's sub-menu that sub-contact's id; entries numbered with the
// chosen id act on it, the others on its first sub-contact.
void CYol_CLMetacontactItem::CallWithId(int commandId, YolMenuCallback callback, void* menuContext,
                                        void* entryContext) {
    unsigned int chosen = YolMenuContextValue(menuContext);
    unsigned int id = chosen;
    if (static_cast<unsigned int>(commandId) != chosen) {
        CYolArray<unsigned int> subs;
        if (CContactList* model = Model())
            model->GetMetaSubContacts(chosen, subs);
        if (subs.Count() > 0)
            id = subs[0];
    }
    RunChoice(callback, id, entryContext);
}

}  // namespace CL
