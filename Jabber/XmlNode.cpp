// XmlNode: building, look-ups and freeing without recursion.

#include "XmlNode.h"

#include <utility>

namespace {

CYolString FromNarrow(std::string_view text) {
    if (text.empty())
        return {};
    return CYolString(text.data(), static_cast<int>(text.size()), YOL_CP_1251);
}

}  // namespace

// ------------------------------------------------------------- life cycle

XmlNode::XmlNode(XmlNode&& other) noexcept
    : depth_(other.depth_),
      name_(std::move(other.name_)),
      text_(std::move(other.text_)),
      attrs_(std::move(other.attrs_)),
      children_(std::move(other.children_)),
      complete_(other.complete_),
      prefix_(std::move(other.prefix_)),
      keepOpen_(other.keepOpen_) {}

XmlNode& XmlNode::operator=(XmlNode&& other) noexcept {
    if (this != &other) {
        // The source may sit inside this very tree (an element taking the
        // place of its own parent): take its content out before freeing.
        XmlNode taken(std::move(other));
        ReleaseChildren();
        depth_ = taken.depth_;
        name_ = std::move(taken.name_);
        text_ = std::move(taken.text_);
        attrs_ = std::move(taken.attrs_);
        children_ = std::move(taken.children_);
        complete_ = taken.complete_;
        prefix_ = std::move(taken.prefix_);
        keepOpen_ = taken.keepOpen_;
    }
    return *this;
}

XmlNode::~XmlNode() { ReleaseChildren(); }

// Every descendant is moved onto one list and freed once it has no children
// left, so a tree of any depth goes without recursion.
void XmlNode::ReleaseChildren() {
    std::vector<std::unique_ptr<XmlNode>> pending = std::move(children_);
    children_.clear();
    while (!pending.empty()) {
        std::unique_ptr<XmlNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->children_)
            pending.push_back(std::move(child));
        node->children_.clear();
    }
}

void XmlNode::Free() {
    ReleaseChildren();
    name_.clear();
    text_ = CYolString();
    attrs_.clear();
    prefix_.clear();
    keepOpen_ = false;
    complete_ = true;
}

// ----------------------------------------------------------------- building

void XmlNode::Init(std::string_view name) {
    int depth = depth_;
    Free();
    depth_ = depth;
    name_ = name;
}

void XmlNode::InitWithText(std::string_view name, std::string_view narrowText) {
    Init(name);
    SetText(FromNarrow(narrowText));
}

void XmlNode::InitWithWideText(std::string_view name, const CYolString& text) {
    Init(name);
    SetText(text);
}

void XmlNode::SetText(const CYolString& text) { text_ = XmlStorableText(text, true); }

XmlNode& XmlNode::AddChild(std::string_view name) {
    auto child = std::make_unique<XmlNode>(name);
    child->depth_ = depth_ + 1;
    children_.push_back(std::move(child));
    return *children_.back();
}

XmlNode& XmlNode::AddTextChild(std::string_view name, std::string_view narrowText) {
    XmlNode& child = AddChild(name);
    child.SetText(FromNarrow(narrowText));
    return child;
}

XmlNode& XmlNode::AddWideTextChild(std::string_view name, const CYolString& text) {
    XmlNode& child = AddChild(name);
    child.SetText(text);
    return child;
}

XmlNode& XmlNode::AddNsChild(std::string_view name, const CYolString& xmlns) {
    XmlNode& child = AddChild(name);
    child.SetAttr("xmlns", xmlns);
    return child;
}

XmlNode& XmlNode::AddQuery(std::string_view narrowXmlns) {
    XmlNode& child = AddChild("query");
    child.SetAttrNarrow("xmlns", narrowXmlns);
    return child;
}

XmlNode& XmlNode::AdoptChild(XmlNode&& child) {
    auto node = std::make_unique<XmlNode>(std::move(child));
    // Walk the adopted subtree without recursion to renumber its depths.
    std::vector<std::pair<XmlNode*, int>> pending{{node.get(), depth_ + 1}};
    while (!pending.empty()) {
        auto [at, depth] = pending.back();
        pending.pop_back();
        at->depth_ = depth;
        for (auto& grandChild : at->children_)
            pending.emplace_back(grandChild.get(), depth + 1);
    }
    children_.push_back(std::move(node));
    return *children_.back();
}

void XmlNode::SetAttr(std::string_view name, const CYolString& value) {
    CYolString stored = XmlStorableText(value, false);
    for (XmlAttr& attr : attrs_)
        if (attr.name == name) {
            attr.value = std::move(stored);
            return;
        }
    attrs_.push_back({std::string(name), std::move(stored)});
}

void XmlNode::SetAttrNarrow(std::string_view name, std::string_view narrowValue) {
    SetAttr(name, FromNarrow(narrowValue));
}

void XmlNode::SetAttrInt(std::string_view name, int value) {
    SetAttrNarrow(name, std::to_string(value));
}

void XmlNode::SetId(int number) { SetAttrNarrow("id", "yol_" + std::to_string(number)); }

bool XmlNode::RemoveChild(const XmlNode* child) {
    for (auto it = children_.begin(); it != children_.end(); ++it)
        if (it->get() == child) {
            std::unique_ptr<XmlNode> gone = std::move(*it);
            children_.erase(it);
            return true;
        }
    return false;
}

// ------------------------------------------------------------------ reading

const CYolString* XmlNode::GetAttr(std::string_view name) const {
    if (name.empty())
        return nullptr;
    for (const XmlAttr& attr : attrs_)
        if (attr.name == name)
            return &attr.value;
    return nullptr;
}

const XmlNode* XmlNode::GetChild(std::string_view name) const { return GetNthChild(name, 1); }

const XmlNode* XmlNode::GetNthChild(std::string_view name, int n) const {
    if (name.empty() || n < 1)
        return nullptr;
    for (const auto& child : children_)
        if (child->name_ == name && --n == 0)
            return child.get();
    return nullptr;
}

const XmlNode* XmlNode::GetFirstChild() const { return children_.empty() ? nullptr : children_.front().get(); }

const XmlNode* XmlNode::FindChildWithAttr(std::string_view name, std::string_view attr, const CYolString& value) const {
    if (name.empty() || attr.empty())
        return nullptr;
    for (const auto& child : children_)
        if (child->name_ == name) {
            const CYolString* have = child->GetAttr(attr);
            if (have && *have == value)
                return child.get();
        }
    return nullptr;
}

bool XmlNode::IsInNs(std::string_view xmlns) const {
    const CYolString* have = GetAttr("xmlns");
    if (!have || have->Length() != static_cast<int>(xmlns.size()))
        return false;
    // Namespaces are ASCII: comparing unit by unit needs no converted copy
    // per child looked at.
    for (int i = 0; i < have->Length(); ++i)
        if (have->At(i) != static_cast<unsigned char>(xmlns[static_cast<size_t>(i)]))
            return false;
    return true;
}

const XmlNode* XmlNode::FindChildInNs(std::string_view name, std::string_view xmlns) const {
    if (name.empty())
        return nullptr;
    for (const auto& child : children_)
        if (child->name_ == name && child->IsInNs(xmlns))
            return child.get();
    return nullptr;
}

const CYolString* XmlNode::GetAttr(const XmlNode* node, std::string_view name) {
    return node ? node->GetAttr(name) : nullptr;
}

const XmlNode* XmlNode::GetChild(const XmlNode* node, std::string_view name) {
    return node ? node->GetChild(name) : nullptr;
}

const XmlNode* XmlNode::GetNthChild(const XmlNode* node, std::string_view name, int n) {
    return node ? node->GetNthChild(name, n) : nullptr;
}

const XmlNode* XmlNode::GetFirstChild(const XmlNode* node) { return node ? node->GetFirstChild() : nullptr; }

const XmlNode* XmlNode::FindChildWithAttr(const XmlNode* node, std::string_view name, std::string_view attr,
                                          const CYolString& value) {
    return node ? node->FindChildWithAttr(name, attr, value) : nullptr;
}

// ------------------------------------------------------------- stanza heads

XmlNode MakeIq(std::string_view type, int number, const CYolString& to) {
    XmlNode iq("iq");
    if (!type.empty())
        iq.SetAttrNarrow("type", type);
    if (!to.IsEmpty())
        iq.SetAttr("to", to);
    if (number != -1)
        iq.SetId(number);
    return iq;
}

XmlNode MakeIqReply(std::string_view type, const CYolString* id, const CYolString* to) {
    XmlNode iq("iq");
    if (!type.empty())
        iq.SetAttrNarrow("type", type);
    if (to)
        iq.SetAttr("to", *to);
    if (id)
        iq.SetAttr("id", *id);
    return iq;
}

