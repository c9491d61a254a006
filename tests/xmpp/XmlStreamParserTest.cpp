// The stream parser on real server traffic: what each stanza becomes, the
// same result however the bytes are split, and the way it treats input that
// is not what a server should send.

#include "XmlTestSupport.h"

namespace {

struct Fixture {
    const char* name;
    std::string input;
    std::vector<std::string> stanzas;
    bool ended = false;
};

const std::vector<Fixture>& Fixtures() {
    static const std::vector<Fixture> fixtures = {
        {"StreamHeaderAlone", InStream("\n"), {}},
        {"FeaturesWithMechanisms",
         InStream("<stream:features><starttls xmlns='urn:ietf:params:xml:ns:xmpp-tls'/>"
                  "<mechanisms xmlns='urn:ietf:params:xml:ns:xmpp-sasl'><mechanism>DIGEST-MD5</mechanism>"
                  "<mechanism>PLAIN</mechanism></mechanisms><compression xmlns='http://jabber.org/features/compress'>"
                  "<method>zlib</method></compression><auth xmlns='http://jabber.org/features/iq-auth'/>"
                  "</stream:features>"),
         {"stream:features {starttls xmlns='urn:ietf:params:xml:ns:xmpp-tls'; "
          "mechanisms xmlns='urn:ietf:params:xml:ns:xmpp-sasl' {mechanism \"DIGEST-MD5\"; mechanism \"PLAIN\"}; "
          "compression xmlns='http://jabber.org/features/compress' {method \"zlib\"}; "
          "auth xmlns='http://jabber.org/features/iq-auth'}"}},
        {"SaslChallenge",
         InStream("<challenge xmlns='urn:ietf:params:xml:ns:xmpp-sasl'>cmVhbG09ImV4YW1wbGUub3JnIixub25jZT0iT0E2"
                  "TUc5dEVRR20yaGgiLHFvcD0iYXV0aCIsY2hhcnNldD11dGYtOCxhbGdvcml0aG09bWQ1LXNlc3M=</challenge>"),
         {"challenge xmlns='urn:ietf:params:xml:ns:xmpp-sasl' \"cmVhbG09ImV4YW1wbGUub3JnIixub25jZT0iT0E2TUc5dEVRR20y"
          "aGgiLHFvcD0iYXV0aCIsY2hhcnNldD11dGYtOCxhbGdvcml0aG09bWQ1LXNlc3M=\""}},
        {"RosterResult",
         InStream("<iq type='result' id='yol_3' to='alice@example.org/Yol'>\n"
                  "  <query xmlns='jabber:iq:roster' ver='ver7'>\n"
                  "    <item jid='bob@example.org' name='Bob &amp; Co' subscription='both'><group>Friends</group></item>\n"
                  "    <item jid='ivan@example.ru' name=\"Иван\" subscription='to' ask='subscribe'>"
                  "<group>Работа</group><group>Friends</group></item>\n"
                  "  </query>\n</iq>"),
         {"iq type='result' id='yol_3' to='alice@example.org/Yol' \"\n  \" {query xmlns='jabber:iq:roster' "
          "ver='ver7' \"\n    \" {item jid='bob@example.org' name='Bob & Co' subscription='both' {group \"Friends\"}; "
          "item jid='ivan@example.ru' name='Иван' subscription='to' ask='subscribe' {group \"Работа\"; group "
          "\"Friends\"}}}"}},
        {"PresenceWithCaps",
         InStream("<presence from='bob@example.org/laptop' to='alice@example.org/Yol' xml:lang='en'><show>away</show>"
                  "<status>At lunch &lt;back at 2&gt;</status><priority>-1</priority>"
                  "<c xmlns='http://jabber.org/protocol/caps' hash='sha-1' node='http://psi-im.org' "
                  "ver='QgayPKawpkPSDYmwT/WM94uAlu0='/></presence>"),
         {"presence from='bob@example.org/laptop' to='alice@example.org/Yol' xml:lang='en' {show \"away\"; status "
          "\"At lunch <back at 2>\"; priority \"-1\"; c xmlns='http://jabber.org/protocol/caps' hash='sha-1' "
          "node='http://psi-im.org' ver='QgayPKawpkPSDYmwT/WM94uAlu0='}"}},
        {"MessageWithBodyAndChatStates",
         InStream("<message from='ivan@example.ru/phone' to='alice@example.org/Yol' type='chat' id='m1'>"
                  "<body>Привет! 2 &lt; 3 &amp;&amp; 4 &gt; 1 &#x1F600; &#1046;</body>"
                  "<active xmlns='http://jabber.org/protocol/chatstates'/></message>"
                  "<message from='ivan@example.ru/phone' to='alice@example.org/Yol' type='chat'>"
                  "<composing xmlns='http://jabber.org/protocol/chatstates'/></message>"),
         {"message from='ivan@example.ru/phone' to='alice@example.org/Yol' type='chat' id='m1' {body \"Привет! 2 < 3 "
          "&& 4 > 1 😀 Ж\"; active xmlns='http://jabber.org/protocol/chatstates'}",
          "message from='ivan@example.ru/phone' to='alice@example.org/Yol' type='chat' {composing "
          "xmlns='http://jabber.org/protocol/chatstates'}"}},
        {"StreamEnd",
         InStream("<presence type='unavailable' from='bob@example.org/laptop'/>\n</stream:stream>\n"),
         {"presence type='unavailable' from='bob@example.org/laptop'"},
         true},
        {"CommentsCDataAndQuotedMarkup",
         InStream("<!-- server banner --><message to='a@b' note='x > y &apos;q&apos; \"z\"'>"
                  "<body><![CDATA[<b>&amp;</b> ]]>tail</body></message>"),
         {"message to='a@b' note='x > y 'q' \"z\"' {body \"<b>&amp;</b> tail\"}"}},
    };
    return fixtures;
}

class ParserFixtures : public testing::TestWithParam<Fixture> {};

TEST_P(ParserFixtures, DeliversEachStanzaWhenItCloses) {
    const Fixture& fixture = GetParam();
    ParseRun run = FeedWhole(fixture.input);
    EXPECT_EQ(run.error, XmlParseError::None);
    EXPECT_EQ(run.header, kStreamHeaderDump);
    EXPECT_EQ(run.stanzas, fixture.stanzas);
    EXPECT_EQ(run.ended, fixture.ended);
    EXPECT_EQ(run.leftOver, 0u);
}

TEST_P(ParserFixtures, GivesTheSameStanzasFedOneByteAtATime) {
    ParseRun run = FeedBytewise(GetParam().input);
    EXPECT_EQ(run, FeedWhole(GetParam().input));
    EXPECT_EQ(run.leftOver, 0u);
}

TEST_P(ParserFixtures, GivesTheSameStanzasSplitInTwoAtEveryOffset) {
    const std::string& input = GetParam().input;
    ParseRun whole = FeedWhole(input);
    for (size_t cut = 1; cut < input.size(); ++cut) {
        bool first = true;
        ParseRun run = FeedInChunks(input, [&](size_t rest) {
            size_t chunk = first ? cut : rest;
            first = false;
            return chunk;
        });
        ASSERT_EQ(run, whole) << "cut at " << cut;
    }
}

TEST_P(ParserFixtures, GivesTheSameStanzasInRandomChunks) {
    ParseRun whole = FeedWhole(GetParam().input);
    for (unsigned seed = 1; seed <= 50; ++seed)
        ASSERT_EQ(FeedRandomly(GetParam().input, seed), whole) << "seed " << seed;
}

TEST_P(ParserFixtures, ReadsBackWhatTheWriterWritesOfEachStanza) {
    ParseRun first = FeedWhole(GetParam().input);
    // Parse, write each stanza out, parse the writing: the same trees.
    XmlStreamParser parser;
    std::string rewritten = std::string(kStreamHeader);
    parser.SetCallback(2, XmlStreamParser::End,
                       [](XmlNode* element, void* context) { *static_cast<std::string*>(context) += element->Serialize(); },
                       &rewritten);
    parser.Feed(GetParam().input);
    ASSERT_FALSE(parser.Failed());
    ParseRun second = FeedWhole(rewritten);
    EXPECT_EQ(second.error, XmlParseError::None);
    EXPECT_EQ(second.stanzas, first.stanzas);
}

INSTANTIATE_TEST_SUITE_P(ServerTraffic, ParserFixtures, testing::ValuesIn(Fixtures()),
                         [](const testing::TestParamInfo<Fixture>& info) { return std::string(info.param.name); });

// --- the reading rules themselves

struct Collector {
    XmlStreamParser parser;
    std::vector<std::string> stanzas;
    Collector() {
        parser.SetCallback(2, XmlStreamParser::End,
                           [](XmlNode* element, void* context) {
                               static_cast<Collector*>(context)->stanzas.push_back(Dump(*element));
                           },
                           this);
    }
};

TEST(XmlStreamParser, HandsAnEmptyStanzaWithAttributesOverAtOnce) {
    for (std::string_view stanza : {"<presence type='unavailable'/>", "<presence type='unavailable' />"}) {
        Collector c;
        c.parser.Feed(kStreamHeader);
        EXPECT_EQ(c.parser.Feed(stanza), stanza.size());
        EXPECT_EQ(c.stanzas, std::vector<std::string>{"presence type='unavailable'"}) << stanza;
    }
}

TEST(XmlStreamParser, KeepsOnlyTheCharacterDataAfterTheLastChildOrComment) {
    struct Case {
        const char* stanza;
        const char* dump;
    } cases[] = {
        {"<message><body>first<br/>last</body></message>", "message {body \"last\" {br}}"},
        {"<message><body>first<!-- c -->last</body></message>", "message {body \"last\"}"},
        {"<message><body>only<br/></body></message>", "message {body \"only\" {br}}"},
        // Whitespace right after an end or empty-element tag is no text; after
        // a start tag it is.
        {"<message>  <body> x </body>\n </message>", "message \"  \" {body \" x \"}"},
        {"<message><br/>  tail</message>", "message \"tail\" {br}"},
    };
    for (const Case& test : cases) {
        Collector c;
        c.parser.Feed(InStream(test.stanza));
        EXPECT_FALSE(c.parser.Failed()) << test.stanza;
        EXPECT_EQ(c.stanzas, std::vector<std::string>{test.dump}) << test.stanza;
    }
}

TEST(XmlStreamParser, DecodesEntitiesAndCharacterReferencesAsXmlDecodeDoes) {
    const char* texts[] = {
        "&lt;&gt;&amp;&apos;&quot;", "&#65;&#x42;&#x6a;&#x6A;", "&#x1F600; &#128512;", "&#0000065;&amp;lt;",
        "Привет &#1046;&#x416;", "tab\tline\ncr\r",
    };
    for (const char* text : texts) {
        Collector c;
        c.parser.Feed(InStream(std::string("<m a='") + text + "'>" + text + "</m>"));
        ASSERT_FALSE(c.parser.Failed()) << text;
        CYolString decoded = CYolString::XmlDecode(W(text));
        std::string expected = decoded.ToUtf8();
        EXPECT_EQ(c.stanzas, std::vector<std::string>{"m a='" + expected + "' \"" + expected + "\""}) << text;
    }
}

TEST(XmlStreamParser, LeavesATagOpenWhileAQuotedValueHoldsAGreaterThanSign) {
    Collector c;
    c.parser.Feed(kStreamHeader);
    std::string first = "<presence><status note='a>b";
    EXPECT_EQ(c.parser.Feed(first), std::string_view("<presence>").size());
    std::string rest = "<status note='a>b' x=\"'\">ok</status></presence>";
    EXPECT_EQ(c.parser.Feed(rest), rest.size());
    EXPECT_EQ(c.stanzas, std::vector<std::string>{"presence {status note='a>b' x=''' \"ok\"}"});
}

TEST(XmlStreamParser, TakesCommentsAndCharacterDataButLeavesAnUnfinishedTag) {
    struct Case {
        std::string_view bytes;
        size_t taken;
    } cases[] = {
        {"<!-- keep-alive -->", 19},
        {"<!-- unfinished --", 0},
        {"<message><body>some text", 24},
        {"<message><body>some text</bo", 24},
        {"<![CDATA[ab]", 0},
        {"<", 0},
        {" \n\t", 3},
    };
    for (const Case& test : cases) {
        XmlStreamParser fresh;
        fresh.Feed(kStreamHeader);
        EXPECT_EQ(fresh.Feed(test.bytes), test.taken) << test.bytes;
        EXPECT_FALSE(fresh.Failed()) << test.bytes;
    }
}

TEST(XmlStreamParser, OpensTheStreamBeforeAnyStanzaAndNoticesItsEnd) {
    struct Log {
        std::vector<std::string> events;
    } log;
    XmlStreamParser parser;
    parser.SetCallback(1, XmlStreamParser::Start,
                       [](XmlNode* e, void* l) {
                           static_cast<Log*>(l)->events.push_back("open " + XmlNode::GetAttr(e, "id")->ToUtf8());
                       },
                       &log);
    parser.SetCallback(2, XmlStreamParser::Start,
                       [](XmlNode* e, void* l) {
                           static_cast<Log*>(l)->events.push_back("begin " + e->Name() + " " +
                                                                  std::to_string(e->AttrCount()) + " " +
                                                                  std::to_string(e->ChildCount()));
                       },
                       &log);
    parser.SetCallback(2, XmlStreamParser::End,
                       [](XmlNode* e, void* l) { static_cast<Log*>(l)->events.push_back("stanza " + e->Name()); }, &log);
    parser.SetCallback(1, XmlStreamParser::End,
                       [](XmlNode* e, void* l) { static_cast<Log*>(l)->events.push_back("close " + e->Name()); }, &log);
    parser.Feed(kStreamHeader);
    EXPECT_EQ(log.events, std::vector<std::string>{"open c2s_3b5f"});
    EXPECT_FALSE(parser.StreamEnded());
    parser.Feed("<iq type='result' id='yol_1'/><message><body/>");
    EXPECT_EQ(log.events, (std::vector<std::string>{"open c2s_3b5f", "begin iq 2 0", "stanza iq", "begin message 0 0"}));
    parser.Feed("</message></stream:stream>");
    EXPECT_EQ(log.events, (std::vector<std::string>{"open c2s_3b5f", "begin iq 2 0", "stanza iq", "begin message 0 0",
                                                    "stanza message", "close stream:stream"}));
    EXPECT_TRUE(parser.StreamEnded());
    EXPECT_EQ(parser.Root().ChildCount(), 0);
    // Whitespace and comments may follow the end; nothing else.
    EXPECT_EQ(parser.Feed(" \n<!-- bye -->"), 14u);
    EXPECT_FALSE(parser.Failed());
    parser.Feed("<iq/>");
    EXPECT_EQ(parser.Error(), XmlParseError::OutsideElement);
}

TEST(XmlStreamParser, KeepsElementsThatHaveNoEndCallBackInTheTree) {
    XmlStreamParser parser;
    parser.Feed(InStream("<a x='1'><b/></a><c>t</c>"));
    ASSERT_EQ(parser.Root().ChildCount(), 1);
    const XmlNode& stream = parser.Root().ChildAt(0);
    EXPECT_EQ(stream.Depth(), 1);
    EXPECT_FALSE(stream.IsComplete());
    EXPECT_EQ(Dump(stream), std::string(kStreamHeaderDump) + " {a x='1' {b}; c \"t\"}");
    EXPECT_TRUE(stream.ChildAt(0).IsComplete());
    EXPECT_EQ(stream.ChildAt(0).ChildAt(0).Depth(), 3);
}

TEST(XmlStreamParser, LetsAnEndCallBackKeepTheStanza) {
    XmlNode kept;
    XmlStreamParser parser;
    parser.SetCallback(2, XmlStreamParser::End, [](XmlNode* e, void* k) { *static_cast<XmlNode*>(k) = std::move(*e); },
                       &kept);
    parser.Feed(InStream("<message><body>hi</body></message>"));
    EXPECT_EQ(Dump(kept), "message {body \"hi\"}");
    EXPECT_EQ(parser.Root().ChildAt(0).ChildCount(), 0);
}

TEST(XmlStreamParser, StopsFeedingWhenACallBackResetsIt) {
    XmlStreamParser parser;
    parser.SetCallback(2, XmlStreamParser::End, [](XmlNode*, void* p) { static_cast<XmlStreamParser*>(p)->Reset(); },
                       &parser);
    std::string first = InStream("<success xmlns='urn:ietf:params:xml:ns:xmpp-sasl'/>");
    EXPECT_EQ(parser.Feed(first + "<junk>"), first.size());
    EXPECT_EQ(parser.Root().ChildCount(), 0);
    EXPECT_FALSE(parser.Failed());
    // The reset parser reads the restarted stream from its header.
    EXPECT_EQ(parser.Feed(kStreamHeader), kStreamHeader.size());
    EXPECT_EQ(parser.Root().ChildCount(), 1);
}

TEST(XmlStreamParser, TakesNothingFedFromInsideACallBack) {
    struct Nested {
        XmlStreamParser parser;
        size_t taken = 99;
    } nested;
    nested.parser.SetCallback(2, XmlStreamParser::End,
                              [](XmlNode*, void* n) {
                                  auto* self = static_cast<Nested*>(n);
                                  self->taken = self->parser.Feed("<x/>");
                              },
                              &nested);
    nested.parser.Feed(InStream("<a/><b/>"));
    EXPECT_EQ(nested.taken, 0u);
    EXPECT_FALSE(nested.parser.Failed());
}

TEST(XmlStreamParser, RefusesCallBacksForOtherDepthsAndKinds) {
    XmlStreamParser parser;
    auto noop = [](XmlNode*, void*) {};
    EXPECT_FALSE(parser.SetCallback(0, XmlStreamParser::End, noop, nullptr));
    EXPECT_FALSE(parser.SetCallback(3, XmlStreamParser::End, noop, nullptr));
    EXPECT_FALSE(parser.SetCallback(2, 2, noop, nullptr));
    EXPECT_TRUE(parser.SetCallback(2, XmlStreamParser::Start, noop, nullptr));
}

// --- input a server should never send

struct BadInput {
    const char* name;
    std::string input;
    XmlParseError error;
};

std::string Raw(std::string_view hex) {
    Bytes b = Hex(hex);
    return std::string(b.begin(), b.end());
}

const std::vector<BadInput>& BadInputs() {
    using E = XmlParseError;
    static const std::vector<BadInput> inputs = {
        {"NulInText", InStream("<message><body>a" + Raw("00") + "b</body></message>"), E::NulByte},
        {"NulInTag", InStream("<message to='a" + Raw("00") + "'/>"), E::NulByte},
        {"NulBetweenStanzas", InStream("<a/>" + Raw("00")), E::NulByte},
        {"TruncatedUtf8", InStream("<body>" + Raw("d0") + "</body>"), E::BadUtf8},
        {"OverlongUtf8", InStream("<body>" + Raw("c0 bc") + "</body>"), E::BadUtf8},
        {"EncodedSurrogate", InStream("<body>" + Raw("ed a0 80") + "</body>"), E::BadUtf8},
        {"PastUnicode", InStream("<body>" + Raw("f4 90 80 80") + "</body>"), E::BadUtf8},
        {"StrayContinuationInAttribute", InStream("<m a='" + Raw("80") + "'/>"), E::BadUtf8},
        {"BadUtf8InName", InStream("<m" + Raw("ff") + "/>"), E::BadTag},
        {"ControlCharacter", InStream("<body>a" + Raw("01") + "</body>"), E::BadCharacter},
        {"NonCharacter", InStream("<body>" + Raw("ef bf bf") + "</body>"), E::BadCharacter},
        {"ControlInCData", InStream("<body><![CDATA[" + Raw("1b") + "]]></body>"), E::BadCharacter},
        {"UnknownEntity", InStream("<body>&nbsp;</body>"), E::BadReference},
        {"BareAmpersand", InStream("<body>you & me</body>"), E::BadReference},
        {"ReferenceToNul", InStream("<body>&#0;</body>"), E::BadReference},
        {"ReferenceToControl", InStream("<body>&#x1b;</body>"), E::BadReference},
        {"ReferenceToSurrogate", InStream("<body>&#xD800;</body>"), E::BadReference},
        {"ReferencePastUnicode", InStream("<body>&#x110000;</body>"), E::BadReference},
        {"UpperCaseHexMarker", InStream("<body>&#X41;</body>"), E::BadReference},
        {"UnterminatedReference", InStream("<body>&#65</body>"), E::BadReference},
        {"UnknownEntityInAttribute", InStream("<m a='&foo;'/>"), E::BadReference},
        {"MismatchedEndTag", InStream("<message><body></message>"), E::MismatchedEndTag},
        {"EndTagWithNothingOpen", "</stream:stream>", E::MismatchedEndTag},
        {"EndTagWithAttribute", InStream("<a></a x='1'>"), E::BadTag},
        {"EmptyName", InStream("<>"), E::BadTag},
        {"NameStartingWithDigit", InStream("<1a/>"), E::BadTag},
        {"BlankBeforeName", InStream("< a/>"), E::BadTag},
        {"AttributeWithoutValue", InStream("<option selected/>"), E::BadTag},
        {"UnquotedValue", InStream("<m a=1/>"), E::BadTag},
        {"AttributesNotSeparated", InStream("<m a='1'b='2'/>"), E::BadTag},
        {"DuplicateAttribute", InStream("<iq from='a' from='b'/>"), E::BadTag},
        {"LessThanInValue", InStream("<m a='<'/>"), E::BadTag},
        {"Doctype", "<!DOCTYPE stream [<!ENTITY x 'xxxxxxxx'>]><stream:stream>&x;", E::Declaration},
        {"EntityDeclarationInside", InStream("<!ENTITY x 'y'>"), E::Declaration},
        {"ProcessingInstruction", InStream("<?php echo 1; ?>"), E::Declaration},
        {"XmlDeclarationInsideStream", InStream("<?xml version='1.0'?>"), E::Declaration},
        {"TextBeforeStream", "hello<stream:stream>", E::OutsideElement},
        {"CDataBeforeStream", "<![CDATA[x]]><stream:stream>", E::OutsideElement},
        {"SecondRoot", InStream("</stream:stream><stream:stream>"), E::OutsideElement},
        {"TextAfterEnd", InStream("</stream:stream>junk"), E::OutsideElement},
        {"VerticalTabAsBlank", "\v" + std::string(kStreamHeader), E::OutsideElement},
    };
    return inputs;
}

class ParserRejects : public testing::TestWithParam<BadInput> {};

TEST_P(ParserRejects, FailsForGoodWithAClearError) {
    XmlStreamParser parser;
    parser.Feed(GetParam().input);
    EXPECT_TRUE(parser.Failed());
    EXPECT_EQ(parser.Error(), GetParam().error) << parser.ErrorText();
    EXPECT_STRNE(parser.ErrorText(), XmlParseErrorText(XmlParseError::None));
    EXPECT_LT(parser.ErrorOffset(), GetParam().input.size());
    // A failed parser takes nothing more, even a well-formed stanza.
    EXPECT_EQ(parser.Feed("<a/>"), 0u);
}

TEST_P(ParserRejects, FailsTheSameWayFedOneByteAtATime) {
    ParseRun whole = FeedWhole(GetParam().input);
    EXPECT_EQ(FeedBytewise(GetParam().input), whole);
    for (unsigned seed = 1; seed <= 10; ++seed)
        EXPECT_EQ(FeedRandomly(GetParam().input, seed), whole);
}

INSTANTIATE_TEST_SUITE_P(Malformed, ParserRejects, testing::ValuesIn(BadInputs()),
                         [](const testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

TEST(XmlStreamParser, DeliversTheStanzasBeforeAFailure) {
    ParseRun run = FeedBytewise(InStream("<a/><b>x</b><c>" + Raw("00")));
    EXPECT_EQ(run.stanzas, (std::vector<std::string>{"a", "b \"x\""}));
    EXPECT_EQ(run.error, XmlParseError::NulByte);
}

TEST(XmlStreamParser, PointsAtTheOffendingByte) {
    XmlStreamParser parser;
    std::string input = InStream("<body>ok" + Raw("01"));
    parser.Feed(input);
    parser.Feed("</body>");
    EXPECT_EQ(parser.Error(), XmlParseError::BadCharacter);
    EXPECT_EQ(parser.ErrorOffset(), input.size() - 1);
}

// --- limits

TEST(XmlStreamParser, AcceptsAStanzaUpToTheSizeLimitAndDropsOneByteMoreAlone) {
    std::string stanza = "<message><body>" + std::string(200, 'x') + "</body></message>";
    XmlParserLimits limits;
    limits.maxStanzaBytes = stanza.size();
    EXPECT_EQ(FeedBytewise(InStream(stanza), limits).stanzas.size(), 1u);
    std::string input = InStream("<message from='a@example.org/r' id='m1'><body>" + std::string(201, 'x') +
                                 "</body></message><message><body>next</body></message>");
    ParseRun run = FeedWhole(input, limits);
    EXPECT_EQ(run.error, XmlParseError::None);
    EXPECT_EQ(run.dropped, 1u);
    EXPECT_EQ(run.reported, std::vector<std::string>{"message from='a@example.org/r' id='m1'"});
    EXPECT_EQ(run.stanzas, std::vector<std::string>{"message {body \"next\"}"});
    EXPECT_EQ(FeedBytewise(input, limits), run);
}

TEST(XmlStreamParser, DropsAnOversizedStanzaWithoutEverHoldingItWhole) {
    XmlParserLimits limits;
    limits.maxStanzaBytes = 4096;
    const std::string big(1 << 20, 'x');
    struct Case {
        const char* name;
        std::string stanza;
        const char* reported;
    } cases[] = {
        {"long text", "<message id='t'><body>" + big + "</body></message>", "message id='t'"},
        {"long attribute inside", "<message id='a'><x v='" + big + "'/></message>", "message id='a'"},
        {"long CDATA", "<message id='c'><body><![CDATA[" + big + "]]></body></message>", "message id='c'"},
        {"long comment", "<message id='k'><!--" + big + "--></message>", "message id='k'"},
        {"many children", "<iq id='n'>" + [] {
             std::string many;
             for (int i = 0; i < 2000; ++i)
                 many += "<item jid='contact" + std::to_string(i) + "@example.org'/>";
             return many;
         }() + "</iq>", "iq id='n'"},
        // Nothing of a start tag that alone is too large can be kept.
        {"long start tag", "<message id='" + big + "'><body>x</body></message>", ""},
        {"long empty stanza", "<presence status='" + big + "'/>", ""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        std::string input = InStream(test.stanza + "<message><body>after</body></message>");
        ParseRun run = FeedInChunks(input, [](size_t) { return size_t(1000); }, limits);
        EXPECT_EQ(run.error, XmlParseError::None);
        EXPECT_LE(run.largestHeld, limits.maxStanzaBytes + 1000);
        EXPECT_EQ(run.reported, std::vector<std::string>{test.reported});
        EXPECT_EQ(run.stanzas, std::vector<std::string>{"message {body \"after\"}"});
        EXPECT_EQ(FeedRandomly(input, 7, limits), run);
    }
}

TEST(XmlStreamParser, FailsWhatTheServerItselfMakesTooLarge) {
    XmlParserLimits limits;
    limits.maxStanzaBytes = 4096;
    for (std::string input : {InStream("<!-- " + std::string(1 << 16, '-')),
                              InStream(std::string(1 << 16, 'x')),
                              std::string("<stream:stream a='") + std::string(1 << 16, 'x') + "'>"}) {
        ParseRun run = FeedInChunks(input, [](size_t) { return size_t(1000); }, limits);
        EXPECT_EQ(run.error, XmlParseError::TooLarge);
        EXPECT_LE(run.largestHeld, limits.maxStanzaBytes + 1000);
    }
}

TEST(XmlStreamParser, CountsStanzasKeptWithoutACallBackAgainstTheLimit) {
    XmlParserLimits limits;
    limits.maxStanzaBytes = 1000;
    XmlStreamParser parser(limits);
    parser.Feed(kStreamHeader);
    for (int i = 0; i < 100 && !parser.Failed(); ++i)
        parser.Feed("<presence from='someone@example.org'/>");
    EXPECT_EQ(parser.Error(), XmlParseError::TooLarge);
}

TEST(XmlStreamParser, SkipsOnlyTheElementsNestedTooDeepAndDeliversTheRest) {
    XmlParserLimits limits;
    limits.maxDepth = 4;
    std::string input = InStream(
        "<message id='1'><x><y><z>deep<w a='1'/><v>t</v></z></y><keep/>text</x><body>hi</body></message>"
        "<message id='2'><x><y/></x></message></stream:stream>");
    ParseRun run = FeedWhole(input, limits);
    EXPECT_EQ(run.error, XmlParseError::None);
    EXPECT_EQ(run.dropped, 0u);
    EXPECT_EQ(run.skipped, 1u);
    EXPECT_EQ(run.stanzas, (std::vector<std::string>{"message id='1' {x \"text\" {y; keep}; body \"hi\"}",
                                                     "message id='2' {x {y}}"}));
    EXPECT_TRUE(run.ended);
    EXPECT_EQ(FeedBytewise(input, limits), run);
}

TEST(XmlStreamParser, DeliversTheBodyBesideTenThousandNestedElements) {
    std::string nested;
    for (int i = 0; i < 10000; ++i)
        nested += "<n>";
    for (int i = 0; i < 10000; ++i)
        nested += "</n>";
    std::string input = InStream("<message from='b@example.org'><body>hi</body>" + nested + "<thread>t</thread></message>");
    ParseRun run = FeedWhole(input);
    ASSERT_EQ(run.error, XmlParseError::None);
    ASSERT_EQ(run.stanzas.size(), 1u);
    // The stanza sits at depth 2: its elements down to depth 32 are kept.
    std::string kept = "n";
    for (int depth = 4; depth <= XmlParserLimits().maxDepth; ++depth)
        kept = "n {" + kept + "}";
    EXPECT_EQ(run.stanzas[0], "message from='b@example.org' {body \"hi\"; " + kept + "; thread \"t\"}");
    EXPECT_EQ(run.skipped, 1u);
    EXPECT_EQ(FeedRandomly(input, 3), run);
}

TEST(XmlStreamParser, SkipsElementsWithTooManyAttributesAndDropsSuchStanzas) {
    XmlParserLimits limits;
    limits.maxAttributes = 6;  // as many as the stream header has
    const std::string seven = "a='1' b='2' c='3' d='4' e='5' f='6' g='7'";
    std::string input = InStream("<iq " + seven + "><query/></iq><iq " + seven + "/><message><x " + seven +
                                 "><y/></x><body>b</body></message><iq a='1' b='2' c='3' d='4' e='5' f='6'/>");
    ParseRun run = FeedWhole(input, limits);
    EXPECT_EQ(run.error, XmlParseError::None);
    EXPECT_EQ(run.dropped, 2u);
    EXPECT_TRUE(run.reported.empty());
    EXPECT_EQ(run.stanzas,
              (std::vector<std::string>{"message {body \"b\"}", "iq a='1' b='2' c='3' d='4' e='5' f='6'"}));
    EXPECT_EQ(FeedBytewise(input, limits), run);
}

TEST(XmlStreamParser, FollowsSkippedMarkupToTheEndOfTheSkippedElement) {
    XmlParserLimits limits;
    limits.maxDepth = 3;
    // Every "</x>" below but the last stands where it closes nothing.
    std::string input = InStream(
        "<m><x><y t='/>' u=\"a>b\"><e/><e a='>'/><q a='\"/>'></q><!-- </x> - -></x> --><![CDATA[</x>] ]></x> ]]>"
        "<?pi </x>? ></x>?></y></x><after/></m>");
    ParseRun run = FeedWhole(input, limits);
    EXPECT_EQ(run.error, XmlParseError::None);
    EXPECT_EQ(run.stanzas, std::vector<std::string>{"m {x; after}"});
    EXPECT_EQ(FeedBytewise(input, limits), run);

    EXPECT_EQ(FeedWhole(InStream("<m><x><y><!DOCTYPE y></y></x></m>"), limits).error, XmlParseError::Declaration);
    EXPECT_EQ(FeedWhole(InStream("<m><x><y>" + Raw("00") + "</y></x></m>"), limits).error, XmlParseError::NulByte);
}

TEST(XmlStreamParser, FailsAStreamHeaderWithTooManyAttributes) {
    XmlParserLimits limits;
    limits.maxAttributes = 4;
    EXPECT_EQ(FeedWhole(kStreamHeader, limits).error, XmlParseError::TooManyAttributes);
}

TEST(XmlStreamParser, ReadsAndFreesAVeryDeepTreeWithoutRecursion) {
    const int depth = 200000;
    XmlParserLimits limits;
    limits.maxDepth = depth + 10;
    limits.maxStanzaBytes = 64 << 20;
    std::string input(kStreamHeader);
    for (int i = 0; i < depth; ++i)
        input += "<d>";
    for (int i = 0; i < depth; ++i)
        input += "</d>";
    size_t written = 0;
    {
        XmlStreamParser parser(limits);
        parser.SetCallback(2, XmlStreamParser::End,
                           [](XmlNode* e, void* w) { *static_cast<size_t*>(w) = e->Serialize().size(); }, &written);
        EXPECT_EQ(parser.Feed(input), input.size());
        EXPECT_FALSE(parser.Failed());
    }
    EXPECT_EQ(written, size_t(depth) * 7 - 3);  // the innermost is written <d/>
    // Left open, the whole tree is freed with the parser.
    XmlStreamParser parser(limits);
    parser.Feed(input.substr(0, kStreamHeader.size() + size_t(depth) * 3));
    EXPECT_FALSE(parser.Failed());
}

}  // namespace
