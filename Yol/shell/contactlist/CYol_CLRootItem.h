#pragma once
// CL::CYol_CLRootItem: the holder of the four view trees (grouped, flat,
// grouped meta, flat meta) and the operations that keep all four in step
// with the contact-list model, so that switching views shows the new tree
// at once.
//
// Threads: the operations run on the events-queue thread; painting, hit
// tests, keys and item menus run on the UI thread. Both sides take Lock():
// the operations take it themselves, the UI side holds it around every
// reading or menu action on a tree. While it is held the queue thread only
// posts to windows (the controls' notifications), never waits on the UI.

#include "CYol_CLItemKinds.h"

#include <mutex>

namespace CL {

class CYol_CLRootItem : public CYol_CLModelItem {
public:
    // Builds the four views.
    CYol_CLRootItem();

    std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(mutex); }

    // --- accounts (grouped view) ---
    void AccountAdded(unsigned int account);
    void AccountRemoved(unsigned int account);
    void AccountMoved(unsigned int account, int index);

    // --- groups and meta groups ---
    void GroupAdded(unsigned int account, unsigned int group, bool showOffline);
    void GroupRemoved(unsigned int account, unsigned int group);
    void GroupChanged(unsigned int account, unsigned int group);
    void MetaGroupAdded(unsigned int metaGroup, bool showOffline);
    void MetaGroupRemoved(unsigned int metaGroup);
    void MetaGroupChanged(unsigned int metaGroup);

    // --- contacts and meta contacts ---
    void ContactAdded(unsigned int account, unsigned int group, unsigned int contact,
                      const Protocols::ContactStatusInfo& status);
    void ContactRemoved(unsigned int account, unsigned int group, unsigned int contact);
    void ContactStatusChanged(unsigned int account, unsigned int group, unsigned int contact,
                              const Protocols::ContactStatusInfo& status);
    void ContactChanged(unsigned int account, unsigned int group, unsigned int contact);
    void MetaContactAdded(unsigned int metaGroup, unsigned int metaContact, const Protocols::ContactStatusInfo& status);
    void MetaContactRemoved(unsigned int metaGroup, unsigned int metaContact);
    void MetaContactStatusChanged(unsigned int metaGroup, unsigned int metaContact,
                                  const Protocols::ContactStatusInfo& status);
    void MetaContactChanged(unsigned int metaGroup, unsigned int metaContact);
    void ContactTyping(unsigned int account, unsigned int group, unsigned int contact, unsigned int metaGroup,
                       unsigned int metaContact, bool stopped);

    // --- unread messages (contact, or meta contact, the other 0) ---
    void MessageUnread(unsigned int account, unsigned int group, unsigned int contact, unsigned int metaGroup,
                       unsigned int metaContact, const Protocols::MessageInfo& message);
    // messageId -1: all of them.
    void MessagesRead(unsigned int account, unsigned int group, unsigned int contact, unsigned int metaGroup,
                      unsigned int metaContact, unsigned int messageId);
    void SetShowOffline(bool show);

    CYol_CLGroupViewItem* grouped = nullptr;
    CYol_CLSimpleViewItem* flat = nullptr;
    CYol_CLMetaGroupViewItem* groupedMeta = nullptr;
    CYol_CLMetaSimpleViewItem* flatMeta = nullptr;

private:
    CYol_CLGroupItem* GroupOf(unsigned int account, unsigned int group);
    CYol_CLGroupItem* MetaGroupOf(unsigned int metaGroup);

    std::mutex mutex;
};

}  // namespace CL
