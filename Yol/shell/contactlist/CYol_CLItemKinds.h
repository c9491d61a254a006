#pragma once
// The rows of the contact-list trees (account, group, contact, meta group,
// meta contact), the status headers of the flat views, the four view roots
// and the holder of the four. Each row keeps copies of what it shows and
// reads the rest from the contact-list model and the protocols manager
// (CYol_CLEnvironment).

#include "CYolPair.h"
#include "CYol_CLItem.h"
#include "CYol_CLRowBlocks.h"
#include "ProtocolRecords.h"

#include <typeinfo>

namespace CL {

// Every row stands for one model object (or a header number).
class CYol_CLContactItem;

class CYol_CLModelItem : public CYol_CLItem {
public:
    explicit CYol_CLModelItem(unsigned int id) : modelId(id) {}
    unsigned int modelId = 0;
};

// Items whose children are laid out several to a row.
class CYol_CLColumnsItem : public CYol_CLModelItem {
public:
    using CYol_CLModelItem::CYol_CLModelItem;
    int GetHeight() const override;
    CYol_CLItem* HitTest(int x, int y, int width) override;
    bool Draw(CYol_CLDrawContext& dc, int left, int top, int width, bool withChildren) override;
    CYol_CLItem* SortedPlace(const CYol_CLItem& child) override;
    void ChildLinked(CYol_CLItem& child) override;
    void ChildUnlinking(CYol_CLItem& child) override;
    void ChildKeyChanged(CYol_CLItem& child) override;
    // The contact or meta-contact row of that model id, or null.
    CYol_CLContactItem* FindRow(unsigned int id) const { return rows.Find(id); }

protected:
    virtual int ChildrenPerRow() const = 0;

    CYol_CLRowBlocks rows;
    virtual void DrawRow(CYol_CLDrawContext& dc, int top, int left, int bottom, int right) = 0;
};

// ------------------------------------------------------------- view roots

class CYol_CLGroupViewItem : public CYol_CLModelItem {
public:
    CYol_CLGroupViewItem() : CYol_CLModelItem(0) {}
};

class CYol_CLMetaGroupViewItem : public CYol_CLModelItem {
public:
    CYol_CLMetaGroupViewItem() : CYol_CLModelItem(0) {}
};

class CYol_CLStatusItem : public CYol_CLColumnsItem {
public:
    enum : unsigned int { Online = 0, Offline = 1, NotInList = 2 };
    using CYol_CLColumnsItem::CYol_CLColumnsItem;
    int GetOwnHeight() const override;
    void SetExpanded(bool expanded) override;
    CYolString Caption() const;

protected:
    int ChildrenPerRow() const override;
    void DrawRow(CYol_CLDrawContext& dc, int top, int left, int bottom, int right) override;
};

class CYol_CLMetaStatusItem : public CYol_CLStatusItem {
public:
    using CYol_CLStatusItem::CYol_CLStatusItem;
    int GetOwnHeight() const override;

protected:
    int ChildrenPerRow() const override;
};

class CYol_CLSimpleViewItem : public CYol_CLModelItem {
public:
    CYol_CLSimpleViewItem();
    CYol_CLStatusItem* headers[3] = {};

protected:
    explicit CYol_CLSimpleViewItem(bool meta);
};

class CYol_CLMetaSimpleViewItem : public CYol_CLSimpleViewItem {
public:
    CYol_CLMetaSimpleViewItem() : CYol_CLSimpleViewItem(true) {}
};

// ------------------------------------------------------------------ rows

class CYol_CLAccountItem : public CYol_CLModelItem {
public:
    explicit CYol_CLAccountItem(unsigned int accountId);
    int GetOwnHeight() const override;
    bool Draw(CYol_CLDrawContext& dc, int left, int top, int width, bool withChildren) override;
    void SetExpanded(bool expanded) override;
    CYolString GetText() const override;
    void BuildMenu(CYolMenuInfo& menu, int x, int width, CYol_CLCtrlBase* control) override;
    void CallWithId(int commandId, YolMenuCallback callback, void* menuContext, void* entryContext) override;

    int icon = -1;
    CYolString login;
};

class CYol_CLGroupItem : public CYol_CLColumnsItem {
public:
    CYol_CLGroupItem(unsigned int id, unsigned int index);
    int Compare(const CYol_CLItem& other) const override;
    int GetOwnHeight() const override;
    void SetExpanded(bool expanded) override;
    CYolString GetText() const override;
    void BuildMenu(CYolMenuInfo& menu, int x, int width, CYol_CLCtrlBase* control) override;
    void CallWithId(int commandId, YolMenuCallback callback, void* menuContext, void* entryContext) override;

    void RereadCaption();
    // Stores the flag and applies it to every contact below; true when a
    // row was shown or hidden.
    bool ApplyShowOffline(bool show);
    // Order among the siblings, kept in the model as "CLCtrl group index".
    // The index is read when the group enters its parent, or one past the
    // last sibling's when none is stored.
    void LoadIndex(CYol_CLItem* futureParent);
    void MoveUp();
    void MoveDown();
    // Online children counted from the first; -1 for the row outside groups.
    int OnlineCount() const;

    CYolString caption;
    unsigned int groupIndex = 0;
    bool showOffline = true;

protected:
    int ChildrenPerRow() const override;
    void DrawRow(CYol_CLDrawContext& dc, int top, int left, int bottom, int right) override;
    void StoreIndex();
};

class CYol_CLMetagroupItem : public CYol_CLGroupItem {
public:
    using CYol_CLGroupItem::CYol_CLGroupItem;
    int GetOwnHeight() const override;
    void BuildMenu(CYolMenuInfo& menu, int x, int width, CYol_CLCtrlBase* control) override;

protected:
    int ChildrenPerRow() const override;
};

class CYol_CLContactItem : public CYol_CLModelItem {
public:
    CYol_CLContactItem(unsigned int id, const Protocols::ContactStatusInfo& statusInfo, bool noGroup);
    int Compare(const CYol_CLItem& other) const override;
    int GetOwnHeight() const override;
    int GetItemsPerRow() const override;
    int GetColumn() const override;
    int GetChildOffset(const CYol_CLItem* ancestor) const override;
    bool Draw(CYol_CLDrawContext& dc, int left, int top, int width, bool withChildren) override;
    CYolString GetText() const override;
    void BuildMenu(CYolMenuInfo& menu, int x, int width, CYol_CLCtrlBase* control) override;
    void Activate(int x, int width, CYol_CLCtrlBase* control) override;
    void CallWithId(int commandId, YolMenuCallback callback, void* menuContext, void* entryContext) override;

    void RereadCaption();
    void SetStatus(const Protocols::ContactStatusInfo& statusInfo);
    void AddPending(const Protocols::MessageInfo& message);
    // messageId -1: every unread event.
    void RemovePending(unsigned int messageId);
    // True when the row was shown or hidden.
    bool ApplyShowOffline(bool show);
    void SetTypingMark(bool stopped);
    bool IsOnline() const { return status.status > 1; }
    CYol_CLContactRow Row(bool selectedRow) const;

    Protocols::ContactStatusInfo status;
    CYolString name;
    CYolArray<CYolPair<unsigned int, unsigned int>> pending;
    bool typingMark = false;
    // Shown outside every group (the model gives it no parent).
    bool noGroup = false;
    // The run of the parent's row index that holds this row.
    CYol_CLRowBlocks::Run* run = nullptr;
};

class CYol_CLMetacontactItem : public CYol_CLContactItem {
public:
    using CYol_CLContactItem::CYol_CLContactItem;
    int GetOwnHeight() const override;
    int GetItemsPerRow() const override;
    void BuildMenu(CYolMenuInfo& menu, int x, int width, CYol_CLCtrlBase* control) override;
    void CallWithId(int commandId, YolMenuCallback callback, void* menuContext, void* entryContext) override;
};

// Finds the first child of exactly class T with that model id; children of
// one parent are all of one class, so a child of another class ends the walk.
template <typename T>
T* FindChild(CYol_CLItem* parentItem, unsigned int id) {
    if (parentItem == nullptr)
        return nullptr;
    for (CYol_CLItem* child = parentItem->firstChild; child != nullptr; child = child->next) {
        if (typeid(*child) != typeid(T))
            return nullptr;
        if (static_cast<T*>(child)->modelId == id)
            return static_cast<T*>(child);
    }
    return nullptr;
}

}  // namespace CL
