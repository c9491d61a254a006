#pragma once
// CRuvCapability and CRuvCapabilityTree: the capabilities the plug-in knows
// by name. A capability is a 16-byte identifier in wire order with the key
// the code asks for it by ("caUTF8support") and a display name. The tree
// keeps them ordered by their bytes (memcmp order), a red-black tree filled
// by top-down insertion, so a peer's list of a dozen entries is looked up
// without a scan of the hundred-odd rows.
//
// Built once and read-only afterwards; any thread may read a built tree.

#include "CYolArray.h"
#include "CYolString.h"

#include <array>
#include <cstdint>

using RuvCapabilityGuid = std::array<uint8_t, 16>;

class CRuvCapability {
public:
    CRuvCapability() = default;
    CRuvCapability(const RuvCapabilityGuid& guid, const CYolString& key, const CYolString& name)
        : guid(guid), key(key), name(name) {}
    CRuvCapability(const CRuvCapability&) = default;
    CRuvCapability& operator=(const CRuvCapability&) = default;
    virtual ~CRuvCapability() = default;

    RuvCapabilityGuid guid{};
    CYolString key;
    CYolString name;
};

// A list of capabilities in the order a peer sent them.
using RuvCapabilityList = CYolArray<CRuvCapability>;

class CRuvCapabilityTree {
public:
    CRuvCapabilityTree() = default;
    CRuvCapabilityTree(const CRuvCapabilityTree&) = delete;
    CRuvCapabilityTree& operator=(const CRuvCapabilityTree&) = delete;
    ~CRuvCapabilityTree() { Clear(); }

    // True when stored or already present (the stored record stays as it
    // is); false only when no node could be allocated.
    bool Insert(const CRuvCapability& record);
    const CRuvCapability* FindByGuid(const uint8_t* guid) const;
    const CRuvCapability* FindByGuid(const RuvCapabilityGuid& guid) const { return FindByGuid(guid.data()); }
    // The first record in identifier order whose key is `key` exactly.
    const CRuvCapability* FindByKey(const CYolString& key) const;
    // Whether some entry of `peer` begins with the first `length` bytes
    // (at most 16) of the capability named `key`; false for an unknown key.
    bool HasCapability(const RuvCapabilityList& peer, const CYolString& key, size_t length) const;
    void Clear();
    size_t Count() const { return count; }

    struct Node {
        bool red = true;
        CRuvCapability record;
        Node* link[2] = {nullptr, nullptr};
    };

    // In-order walk with a bounded stack of ancestors (a red-black tree of
    // any size a 32-bit count allows stays well within it).
    class Iterator {
    public:
        explicit Iterator(const Node* root) { Descend(root); }
        const CRuvCapability* Current() const { return depth > 0 ? &stack[depth - 1]->record : nullptr; }
        void Next();

    private:
        void Descend(const Node* node);
        static constexpr int kMaxDepth = 64;
        const Node* stack[kMaxDepth] = {};
        int depth = 0;
    };
    Iterator Begin() const { return Iterator(root); }

private:
    Node* root = nullptr;
    size_t count = 0;
};
