#pragma once
// CL::CServerStoreLink: the contact-list model's view of the server store
// (MServerStoreLink) on the real CServerStore. The core makes one next to
// the two objects and hands it to CContactListImpl::SetServerStore.

#include "CContactListImpl.h"
#include "CServerStore.h"

namespace CL {

class CServerStoreLink final : public MServerStoreLink {
public:
    explicit CServerStoreLink(CServerStore& store) : store(store) {}

    bool IsEnabled() override { return store.IsEnabled(); }
    void BeginBatch() override { store.BeginBatch(); }
    int EndBatch(unsigned int requester) override { return store.EndBatch(requester); }
    int GroupAdded(unsigned int requester, const CYolString& groupName, const CYolString& afterGroup) override {
        return store.GroupAdded(requester, groupName, afterGroup);
    }
    int GroupRenamed(unsigned int requester, const CYolString& oldName, const CYolString& newName) override {
        return store.GroupRenamed(requester, oldName, newName);
    }
    int GroupDeleted(unsigned int requester, const CYolString& groupName) override {
        return store.GroupDeleted(requester, groupName);
    }
    int MetaAdded(unsigned int requester, unsigned int metaId, const CYolString& metaGroup,
                  const CYolString& metaName) override {
        return store.MetaAdded(requester, metaId, metaGroup, metaName);
    }
    int MetaRenamed(unsigned int requester, unsigned int metaId, const CYolString& newName) override {
        return store.MetaRenamed(requester, metaId, newName);
    }
    int MetaMoved(unsigned int requester, unsigned int metaId, const CYolString& newGroupName) override {
        return store.MetaMoved(requester, metaId, newGroupName);
    }
    int MetaDeleted(unsigned int requester, unsigned int metaId) override {
        return store.MetaDeleted(requester, metaId);
    }
    int SubAdded(unsigned int requester, unsigned int metaId, const CYolString& metaGroup, unsigned int subPosition,
                 const CYolString& subName, const CYolString& protoName) override {
        return store.SubAdded(requester, metaId, metaGroup, subPosition, subName, protoName);
    }
    int SubMoved(unsigned int requester, unsigned int metaId, unsigned int subPosition, unsigned int newPosition,
                 const CYolString& subName, const CYolString& protoName) override {
        return store.SubMoved(requester, metaId, subPosition, newPosition, subName, protoName);
    }
    int SubDeleted(unsigned int requester, unsigned int metaId, unsigned int subPosition, const CYolString& subName,
                   const CYolString& protoName) override {
        return store.SubDeleted(requester, metaId, subPosition, subName, protoName);
    }

private:
    CServerStore& store;
};

}  // namespace CL
