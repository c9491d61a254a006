#pragma once
// CZemContactList: an MRIM account's copy of its server-side contact list
// (groups and contacts with their server fields) and the bridge between that
// copy and the program's contact list: it loads the list packet, reconciles
// the program's items with it, applies status packets, builds the requests
// that change the list and applies the server's acknowledgements. A change
// reaches the copy and the program's list only when the server accepted it.
//
// It owns the group and contact tables and the tables of changes waiting for
// their acknowledgement. Runs on the account's queue thread.

#include "CYolString.h"
#include "MrimWire.h"
#include "ProtocolRecords.h"
#include "ZemContactListPorts.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct ZemGroup {
    uint32_t flags = 0;
    uint32_t index = 0;
    CYolString name;
    unsigned int clGroupId = 0;
};

struct ZemContact {
    uint32_t flags = 0;
    uint32_t groupIndex = 0;
    uint32_t serverId = 0;
    CYolString address;
    CYolString nick;
    uint32_t serverFlags = 0;
    uint32_t status = 0;
    CYolString phone;
    CYolString statusUri;
    CYolString statusTitle;
    CYolString statusDescription;
    uint32_t features = 0;
    CYolString userAgent;
    unsigned int clItemId = 0;
};

namespace ZemFlags {
inline constexpr uint32_t kRemoved = 0x1;
inline constexpr uint32_t kGroup = 0x2;
inline constexpr uint32_t kInvisibleList = 0x4;
inline constexpr uint32_t kVisibleList = 0x8;
inline constexpr uint32_t kIgnoreList = 0x10;
inline constexpr uint32_t kHidden = 0x20 | 0x100000;
inline constexpr uint32_t kUnicodeName = 0x200;
inline constexpr uint32_t kAuthPending = 0x1;  // in serverFlags
}  // namespace ZemFlags

class CZemContactList {
public:
    // `showText` tells the user a server's refusal.
    CZemContactList(ZemListModel& model, std::function<void(const CYolString&)> showText)
        : model(model), showText(std::move(showText)) {}

    // Image ids of the plug-in's image list by index (the index itself
    // until the plug-in sets its own).
    void SetImageIds(std::function<unsigned int(int)> ids) { imageIds = std::move(ids); }

    // --- the list packet and status packets ---
    // 0 when the tables were rebuilt; the result of the packet otherwise.
    uint32_t Load(std::string_view body);
    void Reconcile();
    void AllOffline();
    void ApplyUserStatus(std::string_view body);

    // --- look-ups (removed and hidden contacts are never found) ---
    const ZemContact* FindByAddress(const CYolString& address) const;
    const ZemContact* FindByItem(unsigned int item) const;
    const ZemGroup* FindGroupByItem(unsigned int item) const;
    const std::vector<ZemGroup>& Groups() const { return groups; }
    const std::vector<ZemContact>& Contacts() const { return contacts; }

    // The status record of a contact item as the list shows it.
    void BuildContactStatus(unsigned int item, Protocols::ContactStatusInfo& out);

    // The contact accepted the user's authorization request: true when it
    // was pending (its mark is cleared and its status shown anew).
    bool AuthorizationGranted(const CYolString& address);

    // --- changes (the body, empty when nothing can be built) ---
    std::string AddGroup(uint32_t sequence, const CYolString& name);
    std::string RenameGroup(uint32_t sequence, unsigned int group, const CYolString& name);
    std::string RemoveGroup(uint32_t sequence, unsigned int group);
    std::string AddContact(uint32_t sequence, const CYolString& address, const CYolString& nick, unsigned int group,
                           const CYolString& requestText);
    std::string RenameContact(uint32_t sequence, unsigned int contact, const CYolString& nick);
    std::string MoveContact(uint32_t sequence, unsigned int contact, unsigned int group);
    std::string RemoveContact(uint32_t sequence, unsigned int contact);
    std::string SetListFlag(uint32_t sequence, unsigned int contact, uint32_t mask, bool set);

    void OnAddAck(uint32_t sequence, std::string_view body);
    void OnModifyAck(uint32_t sequence, std::string_view body);

    // Groups not removed get their position in the top byte of their flags;
    // answers their count.
    uint32_t RenumberGroups();

    // The text shown for a refused change; empty for success and unknown codes.
    static CYolString AckText(uint32_t result);

private:
    enum class Op { Add = 0, Rename = 1, Remove = 2, Move = 3, ListFlags = 4 };
    struct PendingGroup {
        uint32_t sequence;
        ZemGroup group;
    };
    struct PendingGroupChange {
        uint32_t sequence;
        unsigned int clGroupId;
        CYolString name;  // empty for a removal
        bool removal;
    };
    struct PendingContact {
        uint32_t sequence;
        Op op;
        ZemContact contact;
    };

    void ReadGroup(MrimBodyReader& body, std::string_view mask);
    void ReadContact(MrimBodyReader& body, std::string_view mask);
    unsigned int ShowNewContact(unsigned int group, const ZemContact& contact, bool authPending);
    void ReconcileContact(ZemContact& contact, const std::vector<const ZemGroup*>& live,
                          std::vector<ZemListedItem>& unmatched);
    ZemContact* LiveByItem(unsigned int item);
    ZemGroup* GroupByItem(unsigned int item);
    const ZemGroup* GroupByIndex(uint32_t index) const;
    std::string ContactChange(uint32_t sequence, Op op, const ZemContact& changed);
    void ApplyContactChange(const PendingContact& change);
    bool TakeGroupAddition(uint32_t sequence, uint32_t result, uint32_t newId);
    bool TakeContactAddition(uint32_t sequence, uint32_t result, uint32_t newId);
    void ShowStatus(const ZemContact& contact);
    void BuildStatus(const ZemContact* contact, unsigned int item, Protocols::ContactStatusInfo& out);
    void WriteListFlags(const ZemContact& contact, bool& changed);

    ZemListModel& model;
    std::function<void(const CYolString&)> showText;
    std::function<unsigned int(int)> imageIds = [](int index) { return static_cast<unsigned int>(index); };
    std::vector<ZemGroup> groups;
    std::vector<ZemContact> contacts;
    std::vector<PendingGroup> groupAdditions;
    std::vector<PendingGroupChange> groupChanges;
    std::vector<PendingContact> contactChanges;
};
