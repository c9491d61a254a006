// One pass over a stanza's children, each matched against the table of its
// kind.

#include "XmppStanzas.h"

#include "JabberNamespaces.h"

#include <string_view>

namespace {

struct PartRow {
    std::string_view name;
    std::string_view xmlns;
};

// In MessagePart order.
constexpr PartRow kMessageParts[] = {
    {"x", JabberNs::YolGotAccount},   {"data", JabberNs::Ibb},          {"event", JabberNs::PubsubEvent},
    {"addresses", JabberNs::Address}, {"active", JabberNs::ChatStates}, {"request", JabberNs::Receipts},
    {"received", JabberNs::Receipts},
};
static_assert(std::size(kMessageParts) == static_cast<size_t>(MessagePart::Count));

// In PresencePart order.
constexpr PartRow kPresenceParts[] = {
    {"c", JabberNs::Caps},
    {"x", JabberNs::YolStatus},
    {"x", kXStatusNs},
    {"x", JabberNs::YolMailNotify},
};
static_assert(std::size(kPresenceParts) == static_cast<size_t>(PresencePart::Count));

// Files the child into the first empty slot whose row it matches.
template <size_t N>
void FileChild(const XmlNode& child, const PartRow (&rows)[N], std::array<const XmlNode*, N>& slots) {
    for (size_t i = 0; i < N; ++i)
        if (slots[i] == nullptr && child.Name() == rows[i].name && child.IsInNs(rows[i].xmlns)) {
            slots[i] = &child;
            return;
        }
}

void KeepFirst(const XmlNode*& slot, const XmlNode& child) {
    if (slot == nullptr)
        slot = &child;
}

}  // namespace

StanzaHead::StanzaHead(const XmlNode& node)
    : from(node.GetAttr("from")), to(node.GetAttr("to")), type(node.GetAttr("type")), id(node.GetAttr("id")) {}

const CYolString& TextOf(const XmlNode* node) {
    static const CYolString empty;
    return node != nullptr ? node->Text() : empty;
}

MessageStanza::MessageStanza(const XmlNode& node) : node(node), head(node) {
    for (int i = 0; i < node.ChildCount(); ++i) {
        const XmlNode& child = node.ChildAt(i);
        const std::string& name = child.Name();
        if (name == "body")
            KeepFirst(body, child);
        else if (name == "subject")
            KeepFirst(subject, child);
        else if (name == "thread")
            KeepFirst(thread, child);
        else if (name == "error")
            KeepFirst(error, child);
        else
            FileChild(child, kMessageParts, parts);
    }
}

PresenceStanza::PresenceStanza(const XmlNode& node) : node(node), head(node) {
    for (int i = 0; i < node.ChildCount(); ++i) {
        const XmlNode& child = node.ChildAt(i);
        const std::string& name = child.Name();
        if (name == "show")
            KeepFirst(show, child);
        else if (name == "status")
            KeepFirst(status, child);
        else if (name == "priority")
            KeepFirst(priority, child);
        // Some clients send the capabilities with a prefix of their own.
        else if (name == "caps:c" && child.GetAttr("xmlns:caps") != nullptr &&
                 *child.GetAttr("xmlns:caps") == CYolString::FromUtf8(JabberNs::Caps))
            KeepFirst(parts[static_cast<size_t>(PresencePart::Caps)], child);
        else
            FileChild(child, kPresenceParts, parts);
    }
}

IqStanza::IqStanza(const XmlNode& node) : node(node), head(node), payload(node.GetFirstChild()) {}

const XmlNode* IqStanza::PayloadIn(std::string_view name, std::string_view xmlns) const {
    return payload != nullptr && payload->Name() == name && payload->IsInNs(xmlns) ? payload : nullptr;
}
