// Building elements, reading them, and writing them out: every text and
// attribute escaped, whatever a contact or a setting puts into them.

#include "XmlTestSupport.h"

namespace {

using namespace std::string_view_literals;

struct Built {
    const char* name;
    std::function<XmlNode()> build;
    std::string written;
};

class WriterWrites : public testing::TestWithParam<Built> {};

TEST_P(WriterWrites, TheElementAsOneUtf8Text) { EXPECT_EQ(GetParam().build().Serialize(), GetParam().written); }

struct ByPointer {
    const CYolString* from;
    const CYolString* id;
};
struct ByValue {
    CYolString from;
    CYolString id;
};

const CYolString kBob = W("bob@example.org/pc");
const CYolString kId = W("purple3a1");

INSTANTIATE_TEST_SUITE_P(
    Stanzas, WriterWrites,
    testing::Values(
        Built{"StreamHeaderAsABareStartTag",
              [] {
                  XmlNode h("stream:stream");
                  h.SetPrefix("<?xml version='1.0'?>");
                  h.SetKeepOpen(true);
                  h.SetAttrNarrow("to", "example.org");
                  h.SetAttrNarrow("xmlns", "jabber:client");
                  h.SetAttrNarrow("xmlns:stream", "http://etherx.jabber.org/streams");
                  h.SetAttrNarrow("version", "1.0");
                  return h;
              },
              "<?xml version='1.0'?><stream:stream to='example.org' xmlns='jabber:client' "
              "xmlns:stream='http://etherx.jabber.org/streams' version='1.0'>"},
        Built{"KeepOpenIgnoredWithChildren",
              [] {
                  XmlNode h("a");
                  h.SetKeepOpen(true);
                  h.AddChild("b");
                  return h;
              },
              "<a><b/></a>"},
        Built{"RosterRequest",
              [] {
                  XmlNode iq = MakeIq("get", 7, CYolString());
                  iq.AddQuery("jabber:iq:roster");
                  return iq;
              },
              "<iq type='get' id='yol_7'><query xmlns='jabber:iq:roster'/></iq>"},
        Built{"IqWithoutId", [] { return MakeIq("set", -1, W("example.org")); }, "<iq type='set' to='example.org'/>"},
        Built{"IqWithoutType", [] { return MakeIq("", 12, W("example.org")); }, "<iq to='example.org' id='yol_12'/>"},
        Built{"IqReplyOrder", [] { return MakeIqReply("result", &kId, &kBob); },
              "<iq type='result' to='bob@example.org/pc' id='purple3a1'/>"},
        Built{"IqReplyWithoutId", [] { return MakeIqReply("result", nullptr, &kBob); },
              "<iq type='result' to='bob@example.org/pc'/>"},
        Built{"IqAnswerFromPointers", [] { return MakeIqAnswer("result", ByPointer{&kBob, &kId}); },
              "<iq type='result' to='bob@example.org/pc' id='purple3a1'/>"},
        Built{"IqAnswerFromValues",
              [] {
                  XmlNode iq = MakeIqAnswer("error", ByValue{kBob, CYolString()});
                  XmlNode& error = iq.AddChild("error");
                  error.SetAttrNarrow("type", "cancel");
                  error.AddNsChild("service-unavailable", W("urn:ietf:params:xml:ns:xmpp-stanzas"));
                  return iq;
              },
              "<iq type='error' to='bob@example.org/pc'><error type='cancel'><service-unavailable "
              "xmlns='urn:ietf:params:xml:ns:xmpp-stanzas'/></error></iq>"},
        Built{"MessageWithBodyAndChatState",
              [] {
                  XmlNode m("message");
                  m.SetAttr("to", W("ivan@example.ru"));
                  m.SetAttrNarrow("type", "chat");
                  m.SetId(5);
                  m.AddWideTextChild("body", W("Привет <b> & \"q\" 'a'"));
                  m.AddNsChild("active", W("http://jabber.org/protocol/chatstates"));
                  return m;
              },
              "<message to='ivan@example.ru' type='chat' id='yol_5'><body>Привет &lt;b&gt; &amp; &quot;q&quot; "
              "&apos;a&apos;</body><active xmlns='http://jabber.org/protocol/chatstates'/></message>"},
        Built{"NarrowTextIsWindows1251",
              [] {
                  XmlNode p("presence");
                  p.AddTextChild("status", "\xcf\xf0\xe8\xe2\xe5\xf2 & co");
                  p.SetAttrNarrow("from", "\xc6");
                  return p;
              },
              "<presence from='Ж'><status>Привет &amp; co</status></presence>"},
        Built{"InitWithTextReplacesEverything",
              [] {
                  XmlNode n("old");
                  n.SetAttrNarrow("a", "1");
                  n.AddChild("c");
                  n.InitWithText("resource", "Yol");
                  return n;
              },
              "<resource>Yol</resource>"},
        Built{"NumbersInDecimal",
              [] {
                  XmlNode n("priority");
                  n.SetAttrInt("value", -5);
                  n.SetAttrInt("max", 2147483647);
                  return n;
              },
              "<priority value='-5' max='2147483647'/>"},
        Built{"SettingAnAttributeAgainReplacesIt",
              [] {
                  XmlNode n("iq");
                  n.SetAttrNarrow("type", "get");
                  n.SetId(1);
                  n.SetAttrNarrow("type", "set");
                  n.SetId(2);
                  return n;
              },
              "<iq type='set' id='yol_2'/>"},
        Built{"ElementWithoutNameWritesItsContentOnly",
              [] {
                  XmlNode n;
                  n.SetText(W("a<"));
                  n.AddChild("b");
                  return n;
              },
              "a&lt;<b/>"}),
    [](const testing::TestParamInfo<Built>& info) { return std::string(info.param.name); });

// --- escaping

struct Escaped {
    std::u16string_view text;
    const char* inText;
    const char* inAttribute;
};

TEST(XmlWriter, EscapesEveryTextAndAttributeItWrites) {
    const Escaped cases[] = {
        {u"<>&\"'", "&lt;&gt;&amp;&quot;&apos;", "&lt;&gt;&amp;&quot;&apos;"},
        {u"' onload='x", "&apos; onload=&apos;x", "&apos; onload=&apos;x"},
        {u"</body><evil/>", "&lt;/body&gt;&lt;evil/&gt;", "&lt;/body&gt;&lt;evil/&gt;"},
        {u"&amp; &#65;", "&amp;amp; &amp;#65;", "&amp;amp; &amp;#65;"},
        {u"]]>", "]]&gt;", "]]&gt;"},
        // Text drops CR and blanks other control characters; values keep
        // TAB, LF and CR as references, which attribute normalisation
        // leaves alone.
        {u"one\r\ntwo", "one\ntwo", "one&#13;&#10;two"},
        {u"a\tb\x01\x1f\0c"sv, "a b   c", "a&#9;b   c"},
        {u"\xD83D\xDE00 \xD800x \xDC00 \xFFFF", "\xF0\x9F\x98\x80 \xEF\xBF\xBDx \xEF\xBF\xBD \xEF\xBF\xBD",
         "\xF0\x9F\x98\x80 \xEF\xBF\xBDx \xEF\xBF\xBD \xEF\xBF\xBD"},
        {u"Жук", "Жук", "Жук"},
    };
    for (const Escaped& test : cases) {
        CYolString text(test.text.data(), static_cast<int>(test.text.size()));
        XmlNode t("t");
        t.SetText(text);
        EXPECT_EQ(t.Serialize(), std::string("<t>") + test.inText + "</t>");
        EXPECT_EQ(XmlEscape(text), test.inText);
        XmlNode a("a");
        a.SetAttr("v", text);
        EXPECT_EQ(a.Serialize(), std::string("<a v='") + test.inAttribute + "'/>");
    }
}

TEST(XmlWriter, WritesParsedWhitespaceSoThatItReadsBackTheSame) {
    // What a server sent as references comes out as references again.
    std::string stanza = "<m a='&#9;x&#10;y&#13;'>&#13;\t\n</m>";
    XmlNode kept;
    XmlStreamParser parser;
    parser.SetCallback(2, XmlStreamParser::End, [](XmlNode* e, void* k) { *static_cast<XmlNode*>(k) = std::move(*e); },
                       &kept);
    parser.Feed(InStream(stanza));
    ASSERT_EQ(kept.Text(), CYolString(u"\r\t\n"));
    EXPECT_EQ(kept.Serialize(), "<m a='&#9;x&#10;y&#13;'>&#13;\t\n</m>");
}

TEST(XmlWriter, EchoesARequestIdExactlyAsItCame) {
    XmlNode request;
    XmlStreamParser parser;
    parser.SetCallback(2, XmlStreamParser::End, [](XmlNode* e, void* k) { *static_cast<XmlNode*>(k) = std::move(*e); },
                       &request);
    parser.Feed(InStream("<iq type='get' id='a&#9;b&#13;&#10;c &lt;&amp;' from='bob@example.org/\xd0\x96'>"
                         "<ping xmlns='urn:xmpp:ping'/></iq>"));
    XmlNode reply = MakeIqReply("result", request.GetAttr("id"), request.GetAttr("from"));
    ParseRun run = FeedWhole(InStream(reply.Serialize()));
    ASSERT_EQ(run.stanzas.size(), 1u);
    EXPECT_EQ(run.stanzas[0], "iq type='result' to='bob@example.org/\xd0\x96' id='a\tb\r\nc <&'");
}

TEST(XmlWriter, WritesNothingForANameThatIsNoXmlName) {
    const std::function<XmlNode()> builds[] = {
        [] { return XmlNode("1a"); },
        [] { return XmlNode("a b"); },
        [] { return XmlNode("a<b"); },
        [] { return XmlNode("-a"); },
        [] { return XmlNode("a/"); },
        [] {
            XmlNode n("a");
            n.SetAttrNarrow("x y", "1");
            return n;
        },
        [] {
            XmlNode n("a");
            n.SetAttrNarrow("x='1' y", "1");
            return n;
        },
        [] {
            XmlNode n("a");
            n.AddChild("ok").AddChild("bad>");
            return n;
        },
        [] { return XmlNode(std::string_view("a\xff", 2)); },
    };
    for (const auto& build : builds)
        EXPECT_EQ(build().Serialize(), "");
    EXPECT_EQ(XmlNode("\xd0\x96:x_1.-").Serialize(), "<\xd0\x96:x_1.-/>");
}

// Whatever text a builder takes, the parser reads back what the builder
// stored.
TEST(XmlWriter, WritesWhatTheParserReadsBack) {
    const char16_t* texts[] = {
        u"plain", u"<>&\"'", u"&#65; &amp; &lt;", u"]]>", u"Привет, мир", u"\xD83D\xDE00\xD83D\xDC4D",
        u"  leading and trailing  ", u"multi\nline\n", u"tab\tand\rcr", u"<!-- not a comment -->", u"<![CDATA[x]]>",
    };
    for (const char16_t* text : texts) {
        CYolString value(text);
        XmlNode message("message");
        message.SetAttr("to", value);
        message.SetAttrNarrow("type", "chat");
        message.AddWideTextChild("body", value);
        message.AddNsChild("x", value).SetAttr("note", value);
        message.AddChild("empty");
        std::string written = message.Serialize();
        ASSERT_FALSE(written.empty());
        ParseRun run = FeedWhole(InStream(written));
        ASSERT_EQ(run.error, XmlParseError::None) << written;
        EXPECT_EQ(run.stanzas, std::vector<std::string>{Dump(message)}) << written;
    }
}

// --- reading

class XmlNodeLookups : public testing::Test {
protected:
    XmlNodeLookups() : query("query") {
        query.SetAttrNarrow("xmlns", "jabber:iq:roster");
        query.AddChild("item").SetAttrNarrow("jid", "a@example.org");
        query.AddTextChild("group", "Friends");
        query.AddChild("item").SetAttrNarrow("jid", "b@example.org");
    }
    XmlNode query;
};

TEST_F(XmlNodeLookups, FindAttributesAndChildrenByExactName) {
    EXPECT_EQ(*query.GetAttr("xmlns"), W("jabber:iq:roster"));
    EXPECT_EQ(query.GetAttr("XMLNS"), nullptr);
    EXPECT_EQ(query.GetAttr(""), nullptr);
    EXPECT_EQ(*query.GetChild("item")->GetAttr("jid"), W("a@example.org"));
    EXPECT_EQ(*query.GetNthChild("item", 2)->GetAttr("jid"), W("b@example.org"));
    EXPECT_EQ(query.GetNthChild("item", 3), nullptr);
    EXPECT_EQ(query.GetNthChild("item", 0), nullptr);
    EXPECT_EQ(query.GetChild("Item"), nullptr);
    EXPECT_EQ(query.GetChild(""), nullptr);
    EXPECT_EQ(query.GetFirstChild(), query.GetChild("item"));
    EXPECT_EQ(query.FindChildWithAttr("item", "jid", W("b@example.org")), query.GetNthChild("item", 2));
    EXPECT_EQ(query.FindChildWithAttr("item", "jid", W("B@example.org")), nullptr);
    EXPECT_EQ(query.FindChildWithAttr("group", "jid", W("a@example.org")), nullptr);
    EXPECT_EQ(query.GetChild("group")->Text(), W("Friends"));
    EXPECT_EQ(query.GetChild("item")->Depth(), 1);
}

TEST_F(XmlNodeLookups, AnswerNullForAMissingElementAlongAChain) {
    const XmlNode* missing = XmlNode::GetChild(&query, "vCard");
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(XmlNode::GetAttr(missing, "jid"), nullptr);
    EXPECT_EQ(XmlNode::GetChild(missing, "item"), nullptr);
    EXPECT_EQ(XmlNode::GetNthChild(missing, "item", 1), nullptr);
    EXPECT_EQ(XmlNode::GetFirstChild(missing), nullptr);
    EXPECT_EQ(XmlNode::FindChildWithAttr(missing, "item", "jid", W("a@example.org")), nullptr);
    EXPECT_EQ(*XmlNode::GetAttr(XmlNode::GetNthChild(&query, "item", 2), "jid"), W("b@example.org"));
}

TEST_F(XmlNodeLookups, RemoveChildKeepsTheOrderOfTheRest) {
    EXPECT_TRUE(query.RemoveChild(query.GetChild("group")));
    EXPECT_EQ(Dump(query), "query xmlns='jabber:iq:roster' {item jid='a@example.org'; item jid='b@example.org'}");
    XmlNode other("other");
    EXPECT_FALSE(query.RemoveChild(&other));
    EXPECT_EQ(query.ChildCount(), 2);
}

TEST(XmlNode, InitClearsTheElementButKeepsItsPlace) {
    XmlNode parent("parent");
    XmlNode& child = parent.AddChild("old");
    child.SetAttrNarrow("a", "1");
    child.AddChild("grandchild");
    child.Init("new");
    EXPECT_EQ(child.Depth(), 1);
    EXPECT_EQ(Dump(parent), "parent {new}");
    parent.Free();
    EXPECT_EQ(parent.Name(), "");
    EXPECT_EQ(parent.ChildCount(), 0);
    EXPECT_EQ(parent.Serialize(), "");
}

TEST(XmlNode, AdoptedElementsTakeTheirDepthFromTheNewParent) {
    XmlNode kept;
    XmlStreamParser parser;
    parser.SetCallback(2, XmlStreamParser::End, [](XmlNode* e, void* k) { *static_cast<XmlNode*>(k) = std::move(*e); },
                       &kept);
    parser.Feed(InStream("<x xmlns='jabber:x:data'><field><value>1</value></field></x>"));
    ASSERT_EQ(kept.Depth(), 2);
    XmlNode iq("iq");
    XmlNode& x = iq.AdoptChild(std::move(kept));
    EXPECT_EQ(x.Depth(), 1);
    EXPECT_EQ(x.GetChild("field")->Depth(), 2);
    EXPECT_EQ(x.GetChild("field")->GetChild("value")->Depth(), 3);
    EXPECT_EQ(iq.Serialize(), "<iq><x xmlns='jabber:x:data'><field><value>1</value></field></x></iq>");
}

TEST(XmlNode, WritesAndFreesAVeryDeepTreeWithoutRecursion) {
    const int depth = 200000;
    auto root = std::make_unique<XmlNode>("d");
    XmlNode* at = root.get();
    for (int i = 1; i < depth; ++i)
        at = &at->AddChild("d");
    at->SetText(W("x"));
    EXPECT_EQ(at->Depth(), depth - 1);
    EXPECT_EQ(root->Serialize().size(), size_t(depth) * 7 + 1);
    root.reset();
}

// --- text helpers

TEST(XmlTextHelpers, UnescapeReplacesThePredefinedEntitiesInOnePass) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"&lt;b&gt; &amp; &quot;&apos;", "<b> & \"'"}, {"&amp;lt;", "&lt;"}, {"&#65; &#x42;", "&#65; &#x42;"},
        {"a & b &amp", "a & b &amp"},                  {"&nbsp;", "&nbsp;"}, {"", ""},
    };
    for (Case& test : cases) {
        std::string text = test.in;
        XmlUnescape(text);
        EXPECT_EQ(text, test.out) << test.in;
    }
}

TEST(XmlTextHelpers, ToCrLfPutsACrBeforeEveryLf) {
    struct Case {
        const char16_t* in;
        const char16_t* out;
    } cases[] = {
        {u"a\nb", u"a\r\nb"}, {u"a\r\nb", u"a\r\nb"}, {u"\n\n", u"\r\n\r\n"}, {u"\n\r\n", u"\r\n\r\n"},
        {u"plain", u"plain"}, {u"", u""},
    };
    for (const Case& test : cases)
        EXPECT_EQ(ToCrLf(CYolString(test.in)), CYolString(test.out));
    EXPECT_TRUE(ToCrLf(CYolString()).IsEmpty());
}

}  // namespace
