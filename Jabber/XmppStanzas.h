#pragma once
// Read-only views of the stanzas the server hands the account, each parsed
// once: the head every stanza has (from, to, type, id) and what its kind
// carries. A view points into its element and lives no longer than it.
// One walk over the element's children fills every field, so a stanza of
// any size or shape costs one pass, and anything missing is null (or the
// empty text): a view never fails.

#include "CYolString.h"
#include "XmlNode.h"

#include <array>
#include <cstddef>

// The head every stanza has.
struct StanzaHead {
    const CYolString* from = nullptr;
    const CYolString* to = nullptr;
    const CYolString* type = nullptr;
    const CYolString* id = nullptr;

    explicit StanzaHead(const XmlNode& node);
    bool HasFrom() const { return from != nullptr && !from->IsEmpty(); }
    // Whether "type" is exactly `value`; false without a type.
    bool TypeIs(const char16_t* value) const { return type != nullptr && *type == value; }
};

// The text of an element that may be missing: empty then.
const CYolString& TextOf(const XmlNode* node);

// The children a message may carry that this client reads, each found by
// name and namespace.
enum class MessagePart : int {
    GotAccount,      // a service's note that the sender has an account
    InBandData,      // a block of an in-band transfer
    PubsubEvent,
    Addresses,       // the first sender of a message a service passed on
    ChatActive,      // the sender shows chat states
    ReceiptRequest,
    ReceiptReceived,
    Count
};

class MessageStanza {
public:
    explicit MessageStanza(const XmlNode& node);

    bool IsMessage() const { return node.Name() == "message"; }
    const StanzaHead& Head() const { return head; }
    // An error stanza, by its type or by its error child.
    bool IsError() const { return head.TypeIs(u"error") || error != nullptr; }
    const XmlNode* Body() const { return body; }
    const XmlNode* Subject() const { return subject; }
    const XmlNode* Thread() const { return thread; }
    bool HasBody() const { return body != nullptr && !body->Text().IsEmpty(); }
    // The first child of that kind, or null.
    const XmlNode* Part(MessagePart part) const { return parts[static_cast<size_t>(part)]; }
    const XmlNode& Node() const { return node; }

private:
    const XmlNode& node;
    StanzaHead head;
    const XmlNode* body = nullptr;
    const XmlNode* subject = nullptr;
    const XmlNode* thread = nullptr;
    const XmlNode* error = nullptr;
    std::array<const XmlNode*, static_cast<size_t>(MessagePart::Count)> parts{};
};

// The children a presence may carry that this client reads.
enum class PresencePart : int {
    Caps,         // entity capabilities
    Mood,         // the finer status of this client's own network
    XStatus,      // the extended status: an icon id and a title
    MailNotify,   // the own server's new-mail notice
    Count
};

class PresenceStanza {
public:
    explicit PresenceStanza(const XmlNode& node);

    bool IsPresence() const { return node.Name() == "presence"; }
    const StanzaHead& Head() const { return head; }
    // No type, or "available": the sender is online.
    bool IsAvailable() const { return head.type == nullptr || *head.type == u"available"; }
    const XmlNode* Show() const { return show; }
    const XmlNode* Status() const { return status; }
    const XmlNode* Priority() const { return priority; }
    const XmlNode* Part(PresencePart part) const { return parts[static_cast<size_t>(part)]; }
    const XmlNode& Node() const { return node; }

private:
    const XmlNode& node;
    StanzaHead head;
    const XmlNode* show = nullptr;
    const XmlNode* status = nullptr;
    const XmlNode* priority = nullptr;
    std::array<const XmlNode*, static_cast<size_t>(PresencePart::Count)> parts{};
};

// An iq with its first child, the request or answer it carries.
class IqStanza {
public:
    explicit IqStanza(const XmlNode& node);

    bool IsIq() const { return node.Name() == "iq"; }
    const StanzaHead& Head() const { return head; }
    // The first child, or null.
    const XmlNode* Payload() const { return payload; }
    // The first child when it is that element in that namespace, or null.
    const XmlNode* PayloadIn(std::string_view name, std::string_view xmlns) const;
    const XmlNode& Node() const { return node; }

private:
    const XmlNode& node;
    StanzaHead head;
    const XmlNode* payload = nullptr;
};
