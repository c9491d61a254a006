// The user search: the directory form and its results.

#include "XmppSearch.h"

#include "JabberNamespaces.h"
#include "XmppStanzas.h"

#include <string_view>

namespace {

enum FieldCode : int { CodeJid = 0, CodeEmail = 2, CodeNick = 3, CodeFirst = 4, CodeLast = 5 };

struct SearchField {
    const char16_t* name;
    int code;
};
// Looked up ignoring case, in order: the first match wins.
constexpr SearchField kSearchFields[] = {
    {u"jid", 0},     {u"fn", 1},     {u"email", 2},  {u"nickname", 3}, {u"nick", 3},
    {u"name", 4},    {u"first", 4},  {u"given", 4},  {u"last", 5},     {u"family", 5},
    {u"gender", 6},  {u"bday", 7},   {u"ctry", 9},   {u"locality", 10}, {u"language", 11},
};

void Fill(Protocols::UserInfo& user, int code, const CYolString& value) {
    switch (code) {
    case CodeJid: user.login = value; break;
    case CodeEmail: user.email = value; break;
    case CodeNick: user.nick = value; break;
    case CodeFirst: user.firstName = value; break;
    case CodeLast: user.lastName = value; break;
    default: break;
    }
}

bool NameIs(const XmlNode& node, std::string_view name) {
    const std::string& own = node.Name();
    return own.size() == name.size() && CYolString::Comparei(own.c_str(), name.data(), static_cast<int>(name.size())) == 0;
}

// x:data: each "item" holds "field"s with a "var" and a "value".
void ReadFormItems(const XmlNode& x, std::vector<Protocols::UserInfo>& out) {
    for (int i = 0; i < x.ChildCount(); ++i) {
        const XmlNode& item = x.ChildAt(i);
        if (!NameIs(item, "item"))
            continue;
        Protocols::UserInfo user;
        for (int f = 0; f < item.ChildCount(); ++f) {
            const XmlNode& field = item.ChildAt(f);
            const CYolString* var = field.GetAttr("var");
            const XmlNode* value = field.GetChild("value");
            if (NameIs(field, "field") && var != nullptr && value != nullptr)
                Fill(user, SearchFieldCode(*var), value->Text());
        }
        if (!user.login.IsEmpty())
            out.push_back(user);
    }
}

// The plain form: "item" with a "jid" attribute and the fields as children.
void ReadPlainItems(const XmlNode& query, std::vector<Protocols::UserInfo>& out) {
    for (int i = 0; i < query.ChildCount(); ++i) {
        const XmlNode& item = query.ChildAt(i);
        const CYolString* jid = item.GetAttr("jid");
        if (item.Name() != "item" || jid == nullptr || jid->IsEmpty())
            continue;
        Protocols::UserInfo user;
        user.login = *jid;
        for (int f = 0; f < item.ChildCount(); ++f) {
            const XmlNode& field = item.ChildAt(f);
            const int code = SearchFieldCode(CYolString::FromUtf8(field.Name()));
            if (code != CodeJid)
                Fill(user, code, field.Text());
        }
        out.push_back(user);
    }
}

void AddField(XmlNode& x, const char* var, const CYolString& value) {
    if (value.IsEmpty())
        return;
    XmlNode& field = x.AddChild("field");
    field.SetAttrNarrow("var", var);
    field.AddWideTextChild("value", value);
}

}  // namespace

int SearchFieldCode(const CYolString& name) {
    for (const SearchField& field : kSearchFields) {
        const CYolString known(field.name);
        if (name.Length() == known.Length() && CYolString::Comparei(name.c_str(), known.c_str(), known.Length()) == 0)
            return field.code;
    }
    return -1;
}

std::vector<Protocols::UserInfo> ReadSearchResults(const XmlNode& iq) {
    std::vector<Protocols::UserInfo> out;
    const XmlNode* query = iq.GetChild("query");
    if (query == nullptr)
        return out;
    if (const XmlNode* x = query->FindChildInNs("x", "jabber:x:data"))
        ReadFormItems(*x, out);
    else
        ReadPlainItems(*query, out);
    return out;
}

XmppSearch::XmppSearch(XmppStanzaSink& sink, XmppDetailsList& list, XmppDetailsEvents& events, XmppVCard& vcard,
                       DirectoryJid directory)
    : sink(sink), list(list), events(events), vcard(vcard), directory(std::move(directory)) {}

void XmppSearch::Start(int page) {
    if (page == SearchByJid) {
        if (params.jid.IsEmpty())
            events.SearchResult(nullptr);
        else
            vcard.Request(params.jid, XmppVCard::kSearchTarget);
        return;
    }
    XmlNode iq = MakeIq("set", -1, directory());
    iq.SetAttrNarrow("xml:lang", "en");
    XmlNode& x = iq.AddQuery("jabber:iq:search").AddChild("x");
    x.SetAttrNarrow("xmlns", "jabber:x:data");
    x.SetAttrNarrow("type", "submit");
    if (page == SearchByEmail) {
        AddField(x, "email", params.email);
    } else if (page == SearchGlobal) {
        AddField(x, "nick", params.nickname);
        AddField(x, "first", params.firstName);
        AddField(x, "last", params.lastName);
        AddField(x, "ctry", params.country);
    }
    sink.SendIq(iq, [this](const XmlNode& reply) { OnReply(reply); }, kSearchKey);
}

void XmppSearch::OnReply(const XmlNode& iq) {
    // An error or an odd answer ends the search like an empty result: the
    // dialog waits for the end marker whatever happened.
    if (StanzaHead(iq).TypeIs(u"result")) {
        for (Protocols::UserInfo& user : ReadSearchResults(iq)) {
            user.contactId = list.TempContact(user.login);
            if (user.contactId == 0)
                continue;
            list.SetAlias(user.contactId, user.nick);
            events.SearchResult(&user);
        }
    }
    events.SearchResult(nullptr);
}
