#pragma once
// XmlNode: one element of the plug-in's XML, built for sending or made by the
// stream parser. Names are narrow UTF-8 bytes compared exactly as written,
// prefixes included ("stream:features"); there is no namespace processing,
// "xmlns" is an attribute like any other. Text and attribute values are
// CYolString in both kinds of tree and hold the characters themselves, never
// entities: the writer escapes them on the way out, the parser decodes them
// on the way in.
//
// Trees may be as deep as their builder or the parser's depth limit allows;
// destroying and serialising them never recurses.

#include "CYolString.h"
#include "XmlWriter.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct XmlAttr {
    std::string name;
    CYolString value;
};

class XmlNode {
public:
    XmlNode() = default;
    explicit XmlNode(std::string_view name) { Init(name); }
    XmlNode(XmlNode&& other) noexcept;
    XmlNode& operator=(XmlNode&& other) noexcept;
    XmlNode(const XmlNode&) = delete;
    XmlNode& operator=(const XmlNode&) = delete;
    ~XmlNode();

    // --- building. Narrow text is Windows-1251, wide text UTF-16; both are
    // stored as characters. Element text goes through the character rules
    // of XmlEscape: CR is dropped, LF kept, every other control character
    // becomes a blank. Attribute values keep TAB, LF and CR (a reply echoes
    // an id exactly) and blank the other control characters. In both a lone
    // surrogate, U+FFFE and U+FFFF become U+FFFD.

    // Clears the element (keeping its depth) and sets the name.
    void Init(std::string_view name);
    void InitWithText(std::string_view name, std::string_view narrowText);
    void InitWithWideText(std::string_view name, const CYolString& text);
    void SetText(const CYolString& text);
    // Markup written as it is right before the start tag (the XML
    // declaration in front of the stream header).
    void SetPrefix(std::string_view prefix) { prefix_ = prefix; }
    // An element without children or text is then written as a bare start
    // tag, as the stream header is.
    void SetKeepOpen(bool keepOpen) { keepOpen_ = keepOpen; }

    XmlNode& AddChild(std::string_view name);
    XmlNode& AddTextChild(std::string_view name, std::string_view narrowText);
    XmlNode& AddWideTextChild(std::string_view name, const CYolString& text);
    XmlNode& AddNsChild(std::string_view name, const CYolString& xmlns);
    XmlNode& AddQuery(std::string_view narrowXmlns);
    // Takes a finished element (a parsed one, say) as the last child; its
    // depth and that of its subtree follow the new parent.
    XmlNode& AdoptChild(XmlNode&& child);

    // Setting an attribute that the element already has replaces its value
    // in place: an element never carries one name twice.
    void SetAttr(std::string_view name, const CYolString& value);
    void SetAttrNarrow(std::string_view name, std::string_view narrowValue);
    void SetAttrInt(std::string_view name, int value);
    // "id" = "yol_" followed by the request number.
    void SetId(int number);

    // Back to an empty element without a name; children are freed without
    // recursion.
    void Free();
    // Takes the child out (the others keep their order) and frees it. False
    // when it is not a child of this element.
    bool RemoveChild(const XmlNode* child);

    // --- reading. A missing element, or an empty name, gives null.
    const CYolString* GetAttr(std::string_view name) const;
    const XmlNode* GetChild(std::string_view name) const;
    // n counts from 1.
    const XmlNode* GetNthChild(std::string_view name, int n) const;
    const XmlNode* GetFirstChild() const;
    const XmlNode* FindChildWithAttr(std::string_view name, std::string_view attr, const CYolString& value) const;
    // Whether the element's "xmlns" is exactly that ASCII namespace.
    bool IsInNs(std::string_view xmlns) const;
    // The first child of that name in that ASCII namespace, or null.
    const XmlNode* FindChildInNs(std::string_view name, std::string_view xmlns) const;

    // The same look-ups on an element that may itself be missing, so that
    // a chain of them needs one test at its end.
    static const CYolString* GetAttr(const XmlNode* node, std::string_view name);
    static const XmlNode* GetChild(const XmlNode* node, std::string_view name);
    static const XmlNode* GetNthChild(const XmlNode* node, std::string_view name, int n);
    static const XmlNode* GetFirstChild(const XmlNode* node);
    static const XmlNode* FindChildWithAttr(const XmlNode* node, std::string_view name, std::string_view attr,
                                            const CYolString& value);

    int Depth() const { return depth_; }
    const std::string& Name() const { return name_; }
    const CYolString& Text() const { return text_; }
    const std::string& Prefix() const { return prefix_; }
    bool KeepOpen() const { return keepOpen_; }
    // Parsed elements: whether the end tag has been read. Built elements are
    // always complete.
    bool IsComplete() const { return complete_; }
    int AttrCount() const { return static_cast<int>(attrs_.size()); }
    const XmlAttr& AttrAt(int index) const { return attrs_[static_cast<size_t>(index)]; }
    int ChildCount() const { return static_cast<int>(children_.size()); }
    const XmlNode& ChildAt(int index) const { return *children_[static_cast<size_t>(index)]; }

    // --- writing. One UTF-8 text: start tag with every attribute value in
    // single quotes, text, children, end tag. Every value and text is
    // escaped. Empty when an element or attribute name is not a valid XML
    // name (a tree that cannot be written is not sent in part) or when
    // memory runs out.
    std::string Serialize() const;

private:
    friend class XmlStreamParser;

    // The parser stores decoded characters as they came: no builder rules.
    void SetParsedText(CYolString text) { text_ = std::move(text); }
    void ReleaseChildren();

    int depth_ = 0;
    std::string name_;
    CYolString text_;
    std::vector<XmlAttr> attrs_;
    std::vector<std::unique_ptr<XmlNode>> children_;
    bool complete_ = true;
    std::string prefix_;
    bool keepOpen_ = false;
};

// Stanza heads. Empty type or to leave the attribute out; number -1 leaves
// the id out.
XmlNode MakeIq(std::string_view type, int number, const CYolString& to);
// "type", then "to", then "id" copied as received; null leaves one out.
XmlNode MakeIqReply(std::string_view type, const CYolString* id, const CYolString* to);

// An answer to a request the handler registry passed on: "to" is the
// request's sender and "id" its id. The request carries them as members
// `from` and `id`, each a CYolString (empty when absent) or a pointer to one.
namespace XmlDetail {
inline const CYolString* Optional(const CYolString* value) { return value; }
inline const CYolString* Optional(const CYolString& value) { return value.IsEmpty() ? nullptr : &value; }
}  // namespace XmlDetail

template <typename Request>
XmlNode MakeIqAnswer(std::string_view type, const Request& request) {
    return MakeIqReply(type, XmlDetail::Optional(request.id), XmlDetail::Optional(request.from));
}
