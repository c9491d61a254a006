// The change documents: attribute order, command names (the server's own
// "metadded" spelling included), one-based positions, and escaping of every
// text that goes into an attribute.

#include "ServerStoreChanges.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace ServerStoreChanges;

TEST(ServerStoreChanges, EachBuilderWritesItsAttributesInOrder) {
    struct Case {
        const char* name;
        CYolString element;
        const char* expected;
    } cases[] = {
        {"group added after another", GroupAdded(W("Work"), W("Family")),
         R"(<change groupname="Work" command="groupadded" aftergroup="Family"/>)"},
        {"group added first", GroupAdded(W("Work"), CYolString()), R"(<change groupname="Work" command="groupadded"/>)"},
        {"group renamed", GroupRenamed(W("Old"), W("New")),
         R"(<change oldname="Old" newname="New" command="grouprenamed"/>)"},
        {"group deleted", GroupDeleted(W("Gone")), R"(<change groupname="Gone" command="groupdeleted"/>)"},
        {"meta added", MetaAdded(3221225473u, W("Work"), W("Ann")),
         R"(<change metaid="3221225473" metagroup="Work" metaname="Ann" command="metadded"/>)"},
        {"meta renamed", MetaRenamed(7, W("Anna")), R"(<change metaid="7" newname="Anna" command="metarenamed"/>)"},
        {"meta moved", MetaMoved(7, W("Home")), R"(<change metaid="7" newgroupname="Home" command="metamoved"/>)"},
        {"meta deleted", MetaDeleted(7), R"(<change metaid="7" command="metadeleted"/>)"},
        {"sub added", SubAdded(7, W("Work"), 0, W("12345"), W("Ruv2")),
         R"(<change metaid="7" metagroup="Work" subid="1" subname="12345" protoname="Ruv2" command="subadded"/>)"},
        {"sub moved", SubMoved(7, 2, 0, W("bob@x.org"), W("Jabber1")),
         R"(<change metaid="7" subid="3" newsubpos="1" subname="bob@x.org" protoname="Jabber1" command="moved"/>)"},
        {"sub deleted", SubDeleted(7, 1, W("12345"), W("Ruv")),
         R"(<change metaid="7" subid="2" subname="12345" protoname="Ruv" command="deleted"/>)"},
        {"last position does not wrap", SubDeleted(1, 0xFFFFFFFFu, W("x"), W("Ruv")),
         R"(<change metaid="1" subid="4294967296" subname="x" protoname="Ruv" command="deleted"/>)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.element.ToUtf8(), c.expected) << c.name;
}

TEST(ServerStoreChanges, EveryTextAttributeIsEscapedTheAccountKeyToo) {
    const CYolString nasty = W(R"(a"b&c<d>e'f)");
    const std::string escaped = "a&quot;b&amp;c&lt;d&gt;e&apos;f";
    EXPECT_EQ(GroupRenamed(nasty, nasty).ToUtf8(),
              "<change oldname=\"" + escaped + "\" newname=\"" + escaped + "\" command=\"grouprenamed\"/>");
    EXPECT_EQ(SubAdded(1, nasty, 0, nasty, nasty).ToUtf8(), "<change metaid=\"1\" metagroup=\"" + escaped +
                                                                "\" subid=\"1\" subname=\"" + escaped +
                                                                "\" protoname=\"" + escaped +
                                                                "\" command=\"subadded\"/>");
}

TEST(ServerStoreChanges, AttributeTextKeepsWhitespaceAndDropsWhatXmlCannotHold) {
    struct Case {
        std::u16string in;
        const char* out;
    } cases[] = {
        {u"plain", "plain"},
        {u"Семья", "Семья"},
        {u"a\tb\nc\rd", "a&#9;b&#10;c&#13;d"},
        {std::u16string(u"a\0b\x01\x1F" u"c", 6), "abc"},
        {u"x\xFFFEy\xFFFF", "xy"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EscapeAttribute(CYolString(c.in.data(), static_cast<int>(c.in.size()))).ToUtf8(), c.out);
}

TEST(ServerStoreChanges, DocumentsWrapElementsWithNothingBetween) {
    CYolArray<CYolString> elements;
    EXPECT_TRUE(Document(elements).IsEmpty());
    elements.Add(MetaDeleted(1));
    elements.Add(GroupDeleted(W("G")));
    EXPECT_EQ(Document(elements).ToUtf8(),
              R"(<changes><change metaid="1" command="metadeleted"/><change groupname="G" command="groupdeleted"/></changes>)");
    EXPECT_EQ(Document(MetaDeleted(2)).ToUtf8(), R"(<changes><change metaid="2" command="metadeleted"/></changes>)");
}
