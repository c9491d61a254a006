#pragma once
// CL::CYol_CLItem: one node of the contact-list window's own item trees (one
// tree per view). It keeps the tree links, the visible and expanded flags,
// lays its rows out, draws them through a draw context, answers hit tests
// and the four arrow-key neighbours, and tells the controls showing its
// tree what changed. CL::CYol_CLCtrlBase is the platform-independent part of
// a control that shows one view root and keeps the selection.
//
// Threads: the trees change on the events-queue thread and are read on the
// UI thread; neither the items nor the control base lock. The view set
// (CYol_CLRootItem) owns the one lock both sides take.

#include "CYolArray.h"
#include "CYolMenuInfo.h"
#include "CYolString.h"
#include "ProtocolRecords.h"

namespace CL {

class CYol_CLCtrlBase;
class CYol_CLDrawContext;

// The kinds of row, each with its own row height.
enum class CLRowKind : int {
    StatusHeader = 0,
    MetaStatusHeader,
    Account,
    Group,
    Contact,
    MetaGroup,
    MetaContact,
    Count
};

// Row heights and items per row are owned by the window control, which
// publishes them here for every tree at once.
class CYol_CLMetrics {
public:
    static int RowHeight(CLRowKind kind);
    static void SetRowHeight(CLRowKind kind, int pixels);
    static void SetAllRowHeights(int pixels);
    // max(font height, 20) logical pixels, scaled by the vertical dpi.
    static int RowHeightForFont(int fontHeight, int logPixelsY);
    static int ContactsPerRow();
    static int MetaContactsPerRow();
    static void SetItemsPerRow(int n);
};

class CYol_CLItem {
public:
    CYol_CLItem();
    CYol_CLItem(const CYol_CLItem&) = delete;
    CYol_CLItem& operator=(const CYol_CLItem&) = delete;
    virtual ~CYol_CLItem();

    // Negative puts this item before `other`.
    virtual int Compare(const CYol_CLItem& other) const;
    virtual void SetVisible(bool visible);
    virtual int GetItemsPerRow() const;
    virtual int GetColumn() const;
    virtual int GetOwnHeight() const;
    virtual int GetHeight() const;
    // False: drawing stops (the area's bottom was reached).
    virtual bool Draw(CYol_CLDrawContext& dc, int left, int top, int width, bool withChildren);
    // y counts from this item's top.
    virtual CYol_CLItem* HitTest(int x, int y, int width);
    virtual void SetExpanded(bool expanded);
    virtual CYolString GetText() const;
    virtual void BuildMenu(CYolMenuInfo& menu, int x, int width, CYol_CLCtrlBase* control);
    virtual void Activate(int x, int width, CYol_CLCtrlBase* control);
    virtual void ReservedA() {}
    virtual void ReservedB(int /*x*/, int /*width*/, CYol_CLCtrlBase* /*control*/) {}
    // The choice of a menu this item built: the entry's call-back is run
    // with the id the item stands for and the entry's context.
    virtual void CallWithId(int commandId, YolMenuCallback callback, void* menuContext, void* entryContext);
    // y of this item below the ancestor's own row.
    virtual int GetChildOffset(const CYol_CLItem* ancestor) const;
    // The four neighbours the arrow keys move to: Down, Up, Left, Right.
    virtual CYol_CLItem* GetNthVisibleChild(CYol_CLItem* root, int column);
    virtual CYol_CLItem* StepVisible(CYol_CLItem* root, int column);
    virtual CYol_CLItem* NextVisibleSibling(CYol_CLItem* root, int column);
    virtual CYol_CLItem* FirstVisibleChild(CYol_CLItem* root, int column);

    // --- tree upkeep ---
    // index -1: the sorted place (before the first child this item compares
    // below, else last); otherwise before the child at that position.
    void InsertInto(CYol_CLItem* newParent, int index);
    void Detach();
    void Reposition();
    // Tells the controls, unlinks and destroys the item.
    void Remove();
    CYol_CLItem* LastVisibleDescendant();

    // The parent's side of the upkeep: where a child goes in sorted order
    // (the sibling it goes before, null for the end), and the notices that a
    // child was linked, is about to be unlinked, or changed its sort key in
    // place. The base walks the children from the first.
    virtual CYol_CLItem* SortedPlace(const CYol_CLItem& child);
    virtual void ChildLinked(CYol_CLItem&) {}
    virtual void ChildUnlinking(CYol_CLItem&) {}
    virtual void ChildKeyChanged(CYol_CLItem&) {}

    // --- notification of the controls on the path to the root ---
    void Changed(bool relayout);
    void NotifyStartBlink();
    void NotifyStopBlink();
    void NotifyCollapsing(CYol_CLItem* item);
    void NotifyUpdateLayout();
    void NotifyCameOnline(unsigned int id);
    void NotifyWentOffline(unsigned int id);

    CYol_CLItem* Parent() const { return parent; }
    CYol_CLItem* Prev() const { return prev; }
    CYol_CLItem* Next() const { return next; }
    CYol_CLItem* FirstChild() const { return firstChild; }
    CYol_CLItem* LastChild() const { return lastChild; }
    int ChildCount() const { return childCount; }
    bool IsVisible() const { return visible; }
    bool IsExpanded() const { return expanded; }
    // True when this item is `other` or lies below it.
    bool IsWithin(const CYol_CLItem* other) const;
    int VisibleChildCount() const;

    CYol_CLItem* parent = nullptr;
    CYol_CLItem* prev = nullptr;
    CYol_CLItem* next = nullptr;
    CYol_CLItem* firstChild = nullptr;
    CYol_CLItem* lastChild = nullptr;
    int childCount = 0;
    bool visible = true;
    bool expanded = true;
    CYolArray<CYol_CLCtrlBase*> controls;

protected:
    template <typename F>
    void ForEachControl(F call) {
        for (CYol_CLItem* item = this; item != nullptr; item = item->parent)
            for (int i = 0; i < item->controls.Count(); ++i)
                call(item->controls[i]);
    }
    // The visible children in order, n per row, as rows of columns.
    bool DrawChildrenInColumns(CYol_CLDrawContext& dc, int left, int top, int width, int perRow);
    CYol_CLItem* HitTestColumns(int x, int y, int width, int perRow);
    int ColumnsHeight(int perRow) const;

private:
    void NotifyHiding();
};

// The draw calls the rows make. Rectangles are (top, left, bottom, right) in
// device pixels; "the area" is [0, height).
struct CYol_CLContactRow {
    bool online = false;
    bool inNoGroup = false;
    const CYolArray<CYolArray<unsigned int>>* icons = nullptr;
    CYolString name;
    const CYolArray<CYolArray<unsigned int>>* extraIcons = nullptr;
    bool selected = false;
    int eventImage = -1;  // the first unread event's image, -1 none
    bool typing = false;
};

// Which text colour a contact row's name takes.
enum class CLContactTextColor : int { NoGroup, Online, Offline };
CLContactTextColor ContactTextColor(const CYol_CLContactRow& row);
// What the first icon column shows at a tick count: the event image in the
// odd half-seconds (nothing in the even ones), else the typing image, else
// the status images of column 0.
CYolArray<unsigned int> ContactFirstColumn(const CYol_CLContactRow& row, unsigned int tickCount);
inline constexpr unsigned int kTypingImage = 53;

class CYol_CLDrawContext {
public:
    virtual ~CYol_CLDrawContext() = default;
    virtual void DrawSelection(int top, int left, int bottom, int right) = 0;
    virtual void DrawAccountRow(int top, int left, int bottom, int right, bool expanded, int icon,
                                const CYolString& caption, bool highlighted) = 0;
    virtual void DrawGroupRow(int top, int left, int bottom, int right, bool expanded, const CYolString& caption,
                              bool selected, int online, int total) = 0;
    virtual void DrawContactRow(int top, int left, int bottom, int right, const CYol_CLContactRow& row) = 0;

    int width = 0;
    int height = 0;
    int yOrigin = 0;
    const CYol_CLItem* selected = nullptr;
    // Set when the context paints the selection itself.
    bool ownSelection = false;
};

class CYol_CLCtrlBase {
public:
    explicit CYol_CLCtrlBase(CYol_CLItem* root);
    CYol_CLCtrlBase(const CYol_CLCtrlBase&) = delete;
    CYol_CLCtrlBase& operator=(const CYol_CLCtrlBase&) = delete;
    virtual ~CYol_CLCtrlBase();

    virtual void Invalidate(bool relayout) = 0;
    virtual void StartBlinkTimer() = 0;
    virtual void StopBlinkTimer() = 0;
    virtual void OnItemRemoving(CYol_CLItem* item);
    virtual void OnItemCollapsing(CYol_CLItem* item);
    virtual void UpdateLayout();
    virtual void EditAccount(unsigned int) {}
    virtual void NewGroup(unsigned int) {}
    virtual void RenameGroup(unsigned int) {}
    virtual void DeleteGroup(unsigned int) {}
    virtual void ActivateItem(unsigned int, const Protocols::ContactStatusInfo&) {}
    virtual void ReservedA() {}
    virtual void ReservedB() {}
    virtual void CopyLogin(unsigned int) {}
    virtual void AddContact(unsigned int, unsigned int) {}
    virtual void AddContactToGroup(unsigned int, unsigned int) {}
    virtual void MoveContact(unsigned int) {}
    virtual void RenameItem(unsigned int) {}
    virtual void ShowContactDetails(unsigned int) {}
    virtual void DeleteContact(unsigned int) {}
    virtual void ActivateItem2(unsigned int) {}
    virtual void SendFile(unsigned int) {}
    virtual void ShowHistory(unsigned int) {}
    virtual void PostCommand(unsigned int, bool) {}
    virtual void ReservedC(unsigned int) {}

    void SetRoot(CYol_CLItem* newRoot);
    CYol_CLItem* Root() const { return root; }
    CYol_CLItem* Selected() const { return selected; }
    void Select(CYol_CLItem* item) { selected = item; }

    CYol_CLItem* root = nullptr;
    CYol_CLItem* selected = nullptr;
    bool held = false;
    int column = 0;

private:
    void Register();
    void Unregister();
};

}  // namespace CL
