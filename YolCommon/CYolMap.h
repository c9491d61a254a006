#pragma once
// CYolMap: the ordered map of the core and the plug-ins' registries. A
// red-black tree whose insertion and erasure both work top-down in one pass
// from a sentinel head, so neither needs parent pointers nor recursion; the
// cursor keeps its ancestors on a fixed stack instead.
//
// Keys are ordered by `Less` (by default the key's operator<); two keys are
// equal when neither is less than the other. Inserting a key that is already
// present keeps the stored element unchanged. Any change to the map
// invalidates cursors and iterators.

#include <cassert>
#include <cstddef>
#include <type_traits>
#include <utility>
#include <vector>

template <typename K>
struct CYolMapLess {
    bool operator()(const K& a, const K& b) const { return a < b; }
};

template <typename K, typename V, typename Less = CYolMapLess<K>>
class CYolMap {
    struct Link {
        Link* link[2] = {nullptr, nullptr};  // 0 left, 1 right
        unsigned char red = 0;
    };
    struct Node : Link {
        template <typename KK, typename VV>
        Node(KK&& k, VV&& v) : key(std::forward<KK>(k)), value(std::forward<VV>(v)) {}
        K key;
        V value;
    };

public:
    // Enough for any red-black tree of fewer than 2^32 elements: its height
    // is at most twice the base-2 logarithm of the element count.
    static constexpr int MaxDepth = 64;

    CYolMap() = default;
    explicit CYolMap(const Less& less) : less(less) {}
    CYolMap(const CYolMap&) = delete;
    CYolMap& operator=(const CYolMap&) = delete;
    CYolMap(CYolMap&& other) noexcept : root(other.root), count(other.count), less(other.less) {
        other.root = nullptr;
        other.count = 0;
    }
    CYolMap& operator=(CYolMap&& other) noexcept {
        if (this != &other) {
            Clear();
            root = other.root;
            count = other.count;
            less = other.less;
            other.root = nullptr;
            other.count = 0;
        }
        return *this;
    }
    ~CYolMap() { Clear(); }

    unsigned int Count() const { return count; }
    bool IsEmpty() const { return root == nullptr; }

    // Adds (key, value) unless the key is present. Answers the stored value
    // (the new one, or the one that was already there) and whether it was
    // added. Throws what the allocation or the element's copy throws; the
    // map then holds the same elements as before.
    template <typename KK, typename VV>
    std::pair<V*, bool> Insert(KK&& key, VV&& value) {
        if (root == nullptr) {
            root = new Node(std::forward<KK>(key), std::forward<VV>(value));
            root->red = 0;
            count = 1;
            return {&AsNode(root)->value, true};
        }

        // The search key must survive the forwarding into a new node, which
        // may move from it.
        const K& sought = key;
        Link head;
        Link* t = &head;  // great-grandparent
        Link* g = nullptr;
        Link* p = nullptr;
        Link* q = head.link[1] = root;
        int dir = 0;
        int last = 0;
        bool added = false;

        for (;;) {
            if (q == nullptr) {
                try {
                    q = new Node(std::forward<KK>(key), std::forward<VV>(value));
                } catch (...) {
                    // The flips and rotations made on the way down already
                    // left a valid tree; only its top has to be taken over.
                    root = head.link[1];
                    root->red = 0;
                    throw;
                }
                q->red = 1;
                p->link[dir] = q;
                added = true;
            } else if (IsRed(q->link[0]) && IsRed(q->link[1])) {
                q->red = 1;
                q->link[0]->red = 0;
                q->link[1]->red = 0;
            }

            if (IsRed(q) && IsRed(p)) {
                int dir2 = t->link[1] == g;
                t->link[dir2] = q == p->link[last] ? RotateSingle(g, !last) : RotateDouble(g, !last);
            }

            if (added)
                break;
            const K& here = AsNode(q)->key;
            bool qLess = less(here, sought);
            if (!qLess && !less(sought, here))
                break;

            last = dir;
            dir = qLess;
            if (g != nullptr)
                t = g;
            g = p;
            p = q;
            q = q->link[dir];
        }

        root = head.link[1];
        root->red = 0;
        if (added)
            ++count;
        return {&AsNode(q)->value, added};
    }

    V* Find(const K& key) { return const_cast<V*>(std::as_const(*this).Find(key)); }
    const V* Find(const K& key) const {
        const Link* it = root;
        while (it != nullptr) {
            const Node* n = AsNode(it);
            if (less(n->key, key))
                it = it->link[1];
            else if (less(key, n->key))
                it = it->link[0];
            else
                return &n->value;
        }
        return nullptr;
    }
    bool Contains(const K& key) const { return Find(key) != nullptr; }

    // Removes the element with the key; false when there is none.
    bool Erase(const K& key) {
        if (root == nullptr)
            return false;

        Link head;
        Link* q = &head;
        Link* p = nullptr;
        Link* g = nullptr;
        Node* found = nullptr;
        int dir = 1;
        head.link[1] = root;

        // Walks to the in-order predecessor of the key (or the key's own node
        // when it has no left subtree), pushing a red node down the path so
        // that the node finally unlinked is red or has a red child.
        while (q->link[dir] != nullptr) {
            int last = dir;
            g = p;
            p = q;
            q = q->link[dir];
            Node* n = AsNode(q);
            bool qLess = less(n->key, key);
            dir = qLess;
            if (!qLess && !less(key, n->key))
                found = n;

            if (IsRed(q) || IsRed(q->link[dir]))
                continue;
            if (IsRed(q->link[!dir])) {
                p = p->link[last] = RotateSingle(q, dir);
                continue;
            }
            Link* s = p->link[!last];
            if (s == nullptr)
                continue;
            if (!IsRed(s->link[!last]) && !IsRed(s->link[last])) {
                p->red = 0;
                s->red = 1;
                q->red = 1;
            } else {
                int dir2 = g->link[1] == p;
                if (IsRed(s->link[last]))
                    g->link[dir2] = RotateDouble(p, last);
                else
                    g->link[dir2] = RotateSingle(p, last);
                Link* top = g->link[dir2];
                top->red = 1;
                q->red = 1;
                top->link[0]->red = 0;
                top->link[1]->red = 0;
            }
        }

        if (found != nullptr) {
            Node* victim = AsNode(q);
            if (victim != found) {
                found->key = std::move(victim->key);
                found->value = std::move(victim->value);
            }
            p->link[p->link[1] == q] = q->link[q->link[0] == nullptr];
            delete victim;
            --count;
        }

        root = head.link[1];
        if (root != nullptr)
            root->red = 0;
        return found != nullptr;
    }

    // Frees every node without recursion or a stack: rotating right at each
    // node with a left child turns the tree into a right-leaning list that is
    // freed from the front.
    void Clear() {
        Link* it = root;
        while (it != nullptr) {
            Link* next;
            if (it->link[0] != nullptr) {
                next = it->link[0];
                it->link[0] = next->link[1];
                next->link[1] = it;
            } else {
                next = it->link[1];
                delete AsNode(it);
            }
            it = next;
        }
        root = nullptr;
        count = 0;
    }

    // In-order walk, ascending by default. Usable while the map stays
    // unchanged.
    class Cursor {
    public:
        // A cursor that is not on any element.
        Cursor() = default;
        explicit Cursor(const CYolMap& map, bool ascending = true) : forward(ascending ? 1 : 0) {
            // Begin at the outermost node of the side the walk starts from.
            current = map.root;
            if (current != nullptr)
                Descend(!forward);
        }

        bool IsValid() const { return current != nullptr; }
        // Same element (or both past the end).
        bool operator==(const Cursor& other) const { return current == other.current; }
        const K& Key() const { return AsNode(current)->key; }
        // Callers that only hold the map as const read the value only.
        V& Value() const { return AsNode(current)->value; }

        void Next() {
            if (current == nullptr)
                return;
            if (current->link[forward] != nullptr) {
                Push(current);
                current = current->link[forward];
                Descend(!forward);
                return;
            }
            // Climb until arriving from the side that has not been visited.
            Link* from;
            do {
                if (depth == 0) {
                    current = nullptr;
                    return;
                }
                from = current;
                current = path[--depth];
            } while (from == current->link[forward]);
        }

    private:
        void Descend(int side) {
            while (current->link[side] != nullptr) {
                Push(current);
                current = current->link[side];
            }
        }
        void Push(Link* node) {
            assert(depth < MaxDepth);
            path[depth++] = node;
        }

        Link* current = nullptr;
        Link* path[MaxDepth] = {};
        int depth = 0;
        int forward = 1;
    };

    // Range-for support over (key, value) pairs in ascending order:
    //     for (auto [key, value] : map) ...
    // binds `key` to a const K& and `value` to a V&.
    template <bool Const>
    class Iterator {
        using ValueRef = std::conditional_t<Const, const V&, V&>;

    public:
        Iterator() = default;
        explicit Iterator(const CYolMap& map) : cursor(map) {}
        std::pair<const K&, ValueRef> operator*() const { return {cursor.Key(), cursor.Value()}; }
        Iterator& operator++() {
            cursor.Next();
            return *this;
        }
        bool operator==(const Iterator& other) const { return cursor == other.cursor; }
        bool operator!=(const Iterator& other) const { return !(*this == other); }

    private:
        Cursor cursor;
    };

    Iterator<false> begin() { return Iterator<false>(*this); }
    Iterator<false> end() { return Iterator<false>(); }
    Iterator<true> begin() const { return Iterator<true>(*this); }
    Iterator<true> end() const { return Iterator<true>(); }

    // Checks the tree's own rules: keys in ascending order, no red node with
    // a red child, the same number of black nodes on every path from the root
    // down, a black root and the element count. For tests and diagnostics.
    bool CheckTree() const {
        if (IsRed(root))
            return false;
        std::vector<std::pair<const Link*, int>> pending;  // node, black nodes above it
        int blackHeight = -1;
        unsigned int seen = 0;
        if (root != nullptr)
            pending.push_back({root, 0});
        while (!pending.empty()) {
            auto [node, blacks] = pending.back();
            pending.pop_back();
            ++seen;
            blacks += node->red ? 0 : 1;
            for (int side = 0; side < 2; ++side) {
                const Link* child = node->link[side];
                if (child == nullptr) {
                    if (blackHeight < 0)
                        blackHeight = blacks;
                    else if (blackHeight != blacks)
                        return false;
                    continue;
                }
                if (node->red && child->red)
                    return false;
                pending.push_back({child, blacks});
            }
        }
        if (seen != count)
            return false;
        Cursor c(*this);
        if (!c.IsValid())
            return true;
        const K* previous = &c.Key();
        for (c.Next(); c.IsValid(); c.Next()) {
            if (!less(*previous, c.Key()))
                return false;
            previous = &c.Key();
        }
        return true;
    }

private:
    static Node* AsNode(Link* l) { return static_cast<Node*>(l); }
    static const Node* AsNode(const Link* l) { return static_cast<const Node*>(l); }
    static bool IsRed(const Link* l) { return l != nullptr && l->red == 1; }

    // The child on side !dir moves up, black; the old root moves down, red.
    static Link* RotateSingle(Link* top, int dir) {
        Link* save = top->link[!dir];
        top->link[!dir] = save->link[dir];
        save->link[dir] = top;
        top->red = 1;
        save->red = 0;
        return save;
    }
    static Link* RotateDouble(Link* top, int dir) {
        top->link[!dir] = RotateSingle(top->link[!dir], !dir);
        return RotateSingle(top, dir);
    }

    Link* root = nullptr;
    unsigned int count = 0;
    [[no_unique_address]] Less less;
};
