#include "CRuvCapabilityTree.h"

#include <cstring>
#include <new>

namespace {

using Node = CRuvCapabilityTree::Node;

bool IsRed(const Node* node) { return node != nullptr && node->red; }

Node* RotateSingle(Node* top, int dir) {
    Node* save = top->link[!dir];
    top->link[!dir] = save->link[dir];
    save->link[dir] = top;
    top->red = true;
    save->red = false;
    return save;
}

Node* RotateDouble(Node* top, int dir) {
    top->link[!dir] = RotateSingle(top->link[!dir], !dir);
    return RotateSingle(top, dir);
}

}  // namespace

bool CRuvCapabilityTree::Insert(const CRuvCapability& record) {
    if (root == nullptr) {
        root = new (std::nothrow) Node{false, record, {nullptr, nullptr}};
        if (root == nullptr)
            return false;
        ++count;
        return true;
    }
    // One pass down from a false head: colour flips on the way and a
    // rotation wherever a flip left two reds in a row.
    Node head;
    head.red = false;
    Node* great = &head;
    Node* grand = nullptr;
    Node* parent = nullptr;
    Node* node = root;
    head.link[1] = root;
    int dir = 0;
    int last = 0;
    bool allocated = true;
    for (;;) {
        if (node == nullptr) {
            node = new (std::nothrow) Node{true, record, {nullptr, nullptr}};
            if (node == nullptr) {
                allocated = false;
                break;
            }
            parent->link[dir] = node;
            ++count;
        } else if (IsRed(node->link[0]) && IsRed(node->link[1])) {
            node->red = true;
            node->link[0]->red = false;
            node->link[1]->red = false;
        }
        if (IsRed(node) && IsRed(parent)) {
            const int side = great->link[1] == grand;
            great->link[side] = node == parent->link[last] ? RotateSingle(grand, !last) : RotateDouble(grand, !last);
        }
        const int order = std::memcmp(node->record.guid.data(), record.guid.data(), 16);
        if (order == 0)
            break;
        last = dir;
        dir = order < 0;
        if (grand != nullptr)
            great = grand;
        grand = parent;
        parent = node;
        node = node->link[dir];
    }
    root = head.link[1];
    root->red = false;
    return allocated;
}

const CRuvCapability* CRuvCapabilityTree::FindByGuid(const uint8_t* guid) const {
    const Node* node = root;
    while (node != nullptr) {
        const int order = std::memcmp(node->record.guid.data(), guid, 16);
        if (order == 0)
            return &node->record;
        node = node->link[order < 0];
    }
    return nullptr;
}

const CRuvCapability* CRuvCapabilityTree::FindByKey(const CYolString& key) const {
    for (Iterator it = Begin(); it.Current() != nullptr; it.Next())
        if (it.Current()->key == key)
            return it.Current();
    return nullptr;
}

bool CRuvCapabilityTree::HasCapability(const RuvCapabilityList& peer, const CYolString& key, size_t length) const {
    const CRuvCapability* wanted = FindByKey(key);
    if (wanted == nullptr)
        return false;
    if (length > 16)
        length = 16;
    for (int i = 0; i < peer.Count(); ++i)
        if (std::memcmp(peer[i].guid.data(), wanted->guid.data(), length) == 0)
            return true;
    return false;
}

void CRuvCapabilityTree::Clear() {
    // Rotating every left child up turns the tree into a right spine that
    // is freed without recursion.
    Node* node = root;
    while (node != nullptr) {
        if (node->link[0] != nullptr) {
            Node* left = node->link[0];
            node->link[0] = left->link[1];
            left->link[1] = node;
            node = left;
        } else {
            Node* right = node->link[1];
            delete node;
            node = right;
        }
    }
    root = nullptr;
    count = 0;
}

void CRuvCapabilityTree::Iterator::Descend(const Node* node) {
    for (; node != nullptr && depth < kMaxDepth; node = node->link[0])
        stack[depth++] = node;
}

void CRuvCapabilityTree::Iterator::Next() {
    if (depth == 0)
        return;
    const Node* done = stack[--depth];
    Descend(done->link[1]);
}
