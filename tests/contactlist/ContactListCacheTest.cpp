#include "CContactListCache.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

using namespace CL;
using Database::CRecord;

namespace {

Bytes Ascii(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes ToBytes(const CAutoBuf& buf) { return Bytes(buf.Data(), buf.Data() + buf.Length()); }

const Bytes kMarker = Ascii("F088BADFAD5545C48FC99C21CC4A7353");

// ----------------------------------------------------------- "MetaCL data"

// Meta contact x (number 3) in meta group y with the sub-contact 1 on account a.
const Bytes kGoldenRecord = Hex(
    "0000001C"     // R = A + B + S + 18
    "01 0004 00000003"
    "02 0001 79"   // meta group "y"
    "03 0001 78"   // meta contact "x"
    "04 00000008"  // S
    "01 0001 31  02 0001 61");

MetaContactRecord Meta(unsigned int number, const char* group, const char* name,
                       std::vector<std::pair<std::string, std::string>> subs) {
    MetaContactRecord record;
    record.number = number;
    record.metaGroupName = W(group);
    record.name = W(name);
    for (const auto& [login, key] : subs)
        record.subContacts.Add(MetaSubContactEntry{W(login), W(key)});
    return record;
}

MetaListData MetaList(std::vector<MetaContactRecord> records, std::vector<const char*> groups) {
    MetaListData list;
    for (MetaContactRecord& record : records)
        list.metaContacts.Add(record);
    for (const char* group : groups)
        list.metaGroupNames.Add(W(group));
    return list;
}

Bytes Build(const MetaListData& list, int* leftOut = nullptr) {
    CAutoBuf out;
    EXPECT_TRUE(CContactListCache::BuildMetaList(list, out, leftOut));
    return ToBytes(out);
}

MetaListData Parse(const Bytes& bytes, bool expectRead = true) {
    MetaListData list;
    EXPECT_EQ(CContactListCache::ParseMetaList(bytes.data(), bytes.size(), list), expectRead);
    return list;
}

std::vector<std::string> Names(const CYolArray<CYolString>& names) {
    std::vector<std::string> out;
    for (const CYolString& name : names)
        out.push_back(name.ToUtf8());
    return out;
}

// A record as text, for comparing whole lists in one line.
std::string Describe(const MetaContactRecord& record) {
    std::string text = std::to_string(record.number) + " " + record.metaGroupName.ToUtf8() + "/" +
                       record.name.ToUtf8() + " @" + std::to_string(record.metaGroupIndex) + ":";
    for (const MetaSubContactEntry& sub : record.subContacts)
        text += " " + sub.login.ToUtf8() + "|" + sub.accountKey.ToUtf8();
    return text;
}

std::vector<std::string> Describe(const MetaListData& list) {
    std::vector<std::string> out;
    for (const MetaContactRecord& record : list.metaContacts)
        out.push_back(Describe(record));
    return out;
}

TEST(MetaList, BuildsTheGoldenRecordThenMarkerThenNames) {
    Bytes bytes = Build(MetaList({Meta(3, "y", "x", {{"1", "a"}})}, {"y"}));
    EXPECT_EQ(bytes, Cat({kGoldenRecord, kMarker, Hex("79 0D0A")}));
}

TEST(MetaList, ParsesTheGoldenRecord) {
    MetaListData list = Parse(Cat({kGoldenRecord, kMarker, Hex("79 0D0A")}));
    EXPECT_TRUE(list.recordsIntact);
    EXPECT_EQ(Names(list.metaGroupNames), std::vector<std::string>{"y"});
    EXPECT_EQ(Describe(list), std::vector<std::string>{"3 y/x @0: 1|a"});
}

TEST(MetaList, EmptyListIsTheMarkerAlone) {
    EXPECT_EQ(Build(MetaListData()), kMarker);
    MetaListData list = Parse(kMarker);
    EXPECT_TRUE(list.recordsIntact);
    EXPECT_EQ(list.metaContacts.Count(), 0);
    EXPECT_EQ(list.metaGroupNames.Count(), 0);
}

TEST(MetaList, RoundTripsEveryField) {
    MetaListData list = MetaList({Meta(1, "Друзья", "Маша", {{"12345", "Ruv_1"}, {"masha@jabber.ru", "Jab_2"}}),
                                  Meta(7, "Друзья", "", {}),
                                  Meta(0xFFFFFFFF, "Work", "Boss", {{"", ""}})},
                                 {"Друзья", "Work", "Empty"});
    MetaListData back = Parse(Build(list));
    EXPECT_TRUE(back.recordsIntact);
    EXPECT_EQ(Names(back.metaGroupNames), (std::vector<std::string>{"Друзья", "Work", "Empty"}));
    EXPECT_EQ(Describe(back), (std::vector<std::string>{"1 Друзья/Маша @0: 12345|Ruv_1 masha@jabber.ru|Jab_2",
                                                        "7 Друзья/ @0:", "4294967295 Work/Boss @1: |"}));
}

TEST(MetaList, ReadsOnlyGroupLinesEndedByLineBreak) {
    struct Case {
        const char* name;
        Bytes tail;  // what follows the marker
        std::vector<std::string> groups;
    } const cases[] = {
        {"last line without CRLF", Hex("79 0D0A 7A"), {"y"}},
        {"bare LF does not end a line", Hex("79 0A 7A 0D0A"), {"y\nz"}},
        {"empty lines", Hex("0D0A 0D0A 79 0D0A"), {"y"}},
        {"same name in another case", Ascii("Друзья\r\nДРУЗЬЯ\r\nдрузья2\r\n"), {"Друзья", "друзья2"}},
        {"invalid UTF-8 still names a group", Hex("FF 0D0A"), {"\xEF\xBF\xBD"}},
        {"nothing", Bytes(), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MetaListData list = Parse(Cat({kMarker, c.tail}));
        EXPECT_EQ(Names(list.metaGroupNames), c.groups);
    }
}

TEST(MetaList, RecordFindsItsGroupWithCaseFolded) {
    MetaListData list = Parse(Cat({Build(MetaList({Meta(1, "ДРУЗЬЯ", "a", {{"1", "k"}}), Meta(2, "Nobody", "b", {})},
                                                  {})),
                                   Ascii("Друзья\r\n")}));
    EXPECT_EQ(Describe(list), (std::vector<std::string>{"1 ДРУЗЬЯ/a @0: 1|k", "2 Nobody/b @-1:"}));
}

TEST(MetaList, RefusesInputWithoutMarker) {
    const Bytes cases[] = {
        Bytes(),
        kGoldenRecord,
        Cat({kGoldenRecord, Ascii("F088BADFAD5545C48FC99C21CC4A735")}),  // one byte short
        Cat({kGoldenRecord, Ascii("f088badfad5545c48fc99c21cc4a7353")}),  // the marker is exact
    };
    for (const Bytes& bytes : cases) {
        MetaListData list = Parse(bytes, false);
        EXPECT_EQ(list.metaContacts.Count(), 0);
        EXPECT_EQ(list.metaGroupNames.Count(), 0);
    }
}

// Damaged records: reading stops at the damage, keeps the whole records before
// it and nothing of the damaged one; the group lines are read all the same.
TEST(MetaList, StopsCleanlyAtADamagedRecord) {
    struct Case {
        const char* name;
        Bytes records;
    } const cases[] = {
        {"record length past the marker", Hex("0000001D 01 0004 00000003 02 0001 79 03 0001 78 04 00000008"
                                             "01 0001 31 02 0001 61")},
        {"record length far past the data", Hex("FFFFFFF0 01 0004 00000003")},
        {"group name past the record", Hex("0000000A 01 0004 00000003 02 0005")},
        {"name past the record", Hex("0000000E 01 0004 00000003 02 0000 03 0009 78")},
        {"login past the record", Hex("00000018 01 0004 00000003 02 0001 79 03 0001 78 04 00000008 01 0002 31")},
        {"key past the record", Hex("0000001C 01 0004 00000003 02 0001 79 03 0001 78 04 00000008 01 0001 31 02 0002 61")},
        {"half an entry at the end", Hex("0000001A 01 0004 00000003 02 0001 79 03 0001 78 04 00000008 01 0001 31 02 00")},
        {"record too short for its head", Hex("00000006 01 0004 000000")},
        {"three bytes, no length", Hex("000000")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MetaListData list = Parse(Cat({kGoldenRecord, c.records, kMarker, Hex("79 0D0A")}));
        EXPECT_FALSE(list.recordsIntact);
        EXPECT_EQ(Describe(list), std::vector<std::string>{"3 y/x @0: 1|a"});
        EXPECT_EQ(Names(list.metaGroupNames), std::vector<std::string>{"y"});
    }
}

TEST(MetaList, NameHoldingTheMarkerIsReadAsTheRecordsEnd) {
    // Written by some other hand: a meta contact name that contains the marker.
    Bytes name = Cat({Ascii("a"), kMarker});
    Bytes record = Cat({Hex("00000034 01 0004 00000001 02 0001 79 03 0021"), name, Hex("04 00000000")});
    MetaListData list = Parse(Cat({kGoldenRecord, record, kMarker, Hex("79 0D0A")}));
    EXPECT_FALSE(list.recordsIntact);
    EXPECT_EQ(Describe(list), std::vector<std::string>{"3 y/x @-1: 1|a"});
}

TEST(MetaList, LeavesOutRecordsThatWouldHoldTheMarker) {
    const std::string marker(kMarker.begin(), kMarker.end());
    // Length 0x4630 is "F0": with a name starting "88BADF..." the record holds
    // the marker although the name does not.
    std::string spanning = marker.substr(2);
    spanning.resize(0x4630, 'z');
    struct Case {
        const char* name;
        MetaContactRecord record;
    } const cases[] = {
        {"in the meta contact name", Meta(2, "y", ("x" + marker).c_str(), {{"1", "a"}})},
        {"in the meta group name", Meta(2, (marker + "!").c_str(), "x", {{"1", "a"}})},
        {"in a login", Meta(2, "y", "x", {{"1", "a"}, {marker.c_str(), "a"}})},
        {"in an account key", Meta(2, "y", "x", {{"1", marker.c_str()}})},
        {"across a length and a name", Meta(2, "y", spanning.c_str(), {{"1", "a"}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int leftOut = -1;
        Bytes bytes = Build(MetaList({Meta(3, "y", "x", {{"1", "a"}}), c.record, Meta(4, "y", "x", {{"1", "a"}})},
                                     {"y"}),
                            &leftOut);
        EXPECT_EQ(leftOut, 1);
        MetaListData back = Parse(bytes);
        EXPECT_TRUE(back.recordsIntact);
        EXPECT_EQ(Describe(back), (std::vector<std::string>{"3 y/x @0: 1|a", "4 y/x @0: 1|a"}));
    }
}

TEST(MetaList, LeavesOutWhatALengthFieldCannotHold) {
    const std::string tooLong(0x10000, 'n');
    const std::string longest(0xFFFF, 'n');
    int leftOut = -1;
    MetaListData back = Parse(Build(MetaList({Meta(1, "y", tooLong.c_str(), {{"1", "a"}}),
                                              Meta(2, tooLong.c_str(), "x", {{"1", "a"}}),
                                              Meta(3, "y", "x", {{tooLong.c_str(), "a"}, {"1", "a"}}),
                                              Meta(4, "y", "x", {{"1", tooLong.c_str()}}),
                                              Meta(5, "y", longest.c_str(), {{longest.c_str(), "a"}})},
                                             {"y"}),
                                    &leftOut));
    EXPECT_EQ(leftOut, 4);  // two records, two entries
    EXPECT_TRUE(back.recordsIntact);
    ASSERT_EQ(back.metaContacts.Count(), 3);
    EXPECT_EQ(Describe(back.metaContacts[0]), "3 y/x @0: 1|a");
    EXPECT_EQ(Describe(back.metaContacts[1]), "4 y/x @0:");
    EXPECT_EQ(back.metaContacts[2].name.Length(), 0xFFFF);
    EXPECT_EQ(back.metaContacts[2].subContacts[0].login.Length(), 0xFFFF);
}

TEST(MetaList, GroupNameLineBreaksAreStoredAsBlanks) {
    Bytes bytes = Build(MetaList({Meta(1, "two\r\nlines", "x", {{"1", "a"}})}, {"two\r\nlines", "a\rb\nc"}));
    EXPECT_EQ(bytes, Cat({Hex("00000024 01 0004 00000001 02 0009"), Ascii("two lines"),
                          Hex("03 0001 78 04 00000008 01 0001 31 02 0001 61"), kMarker,
                          Ascii("two lines\r\na\rb\nc\r\n")}));
    EXPECT_EQ(Describe(Parse(bytes)), std::vector<std::string>{"1 two lines/x @0: 1|a"});
}

// ------------------------------------------------------------- "CL data"

CRecord Value(const char* name, const char* text) {
    CRecord record;
    CYolString key = W(name);
    record = CRecord(key, nullptr, 0);
    record.SetString(W(text));
    return record;
}

CacheValues Values(std::initializer_list<CRecord> records) {
    CacheValues values;
    for (const CRecord& record : records)
        values.Add(record);
    return values;
}

CachedListItem Group(CacheValues settings, std::initializer_list<CacheValues> contacts) {
    CachedListItem item;
    item.isGroup = true;
    item.values = std::move(settings);
    for (const CacheValues& contact : contacts)
        item.contacts.Add(contact);
    return item;
}

CachedListItem Contact(CacheValues values) {
    CachedListItem item;
    item.values = std::move(values);
    return item;
}

CachedAccountList Account(const std::string& text, std::initializer_list<CachedListItem> items) {
    CachedAccountList account;
    account.accountText = W(text);
    for (const CachedListItem& item : items)
        account.items.Add(item);
    return account;
}

Bytes BuildClData(std::initializer_list<CachedAccountList> accounts) {
    CYolArray<CachedAccountList> list;
    for (const CachedAccountList& account : accounts)
        list.Add(account);
    CAutoBuf out;
    EXPECT_TRUE(CContactListCache::BuildContactListData(list, out));
    return ToBytes(out);
}

std::string Describe(const CacheValues& values) {
    std::string text = "{";
    for (const CRecord& value : values) {
        CYolString string;
        value.GetString(string);
        text += (text.size() > 1 ? " " : "") + value.GetName().ToUtf8() + "=" + string.ToUtf8();
    }
    return text + "}";
}

// The account's items as text, or "fail".
std::string ParseAccount(const Bytes& bytes, const std::string& account) {
    CYolArray<CachedListItem> items;
    items.Add(Contact(Values({Value("stale", "!")})));
    if (!CContactListCache::ParseAccountList(bytes.data(), bytes.size(), W(account), items))
        return items.Count() == 0 ? "fail" : "fail, but items left behind";
    std::string text;
    for (const CachedListItem& item : items) {
        text += item.isGroup ? "G" : "C";
        text += Describe(item.values);
        for (const CacheValues& contact : item.contacts)
            text += " C" + Describe(contact);
        text += ";";
    }
    return text;
}

// Account "acc": group G holding contact 1, then contact 2 outside groups.
const Bytes kGroupSettingsField = Hex("0E 47726F75702073657474696E6773 10000000  0A 5372764C6F674E616D65 01000000 47");
const Bytes kContact1Field = Hex("07 436F6E74616374 10000000  0A 5372764C6F674E616D65 01000000 31");
const Bytes kContact2Field = Hex("07 436F6E74616374 10000000  0A 5372764C6F674E616D65 01000000 32");
const Bytes kGroupField = Cat({Hex("05 47726F7570 3F000000"), kGroupSettingsField, kContact1Field});
const Bytes kAccountList = Cat({kGroupField, kContact2Field});
const Bytes kClData = Cat({Hex("03 616363 65000000"), kAccountList});
const char kParsed[] = "G{SrvLogName=G} C{SrvLogName=1};C{SrvLogName=2};";

TEST(ClData, BuildsNestedFieldLists) {
    EXPECT_EQ(BuildClData({Account("acc", {Group(Values({Value("SrvLogName", "G")}),
                                                 {Values({Value("SrvLogName", "1")})}),
                                           Contact(Values({Value("SrvLogName", "2")}))})}),
              kClData);
}

TEST(ClData, ParsesTheAccountsList) {
    EXPECT_EQ(ParseAccount(kClData, "acc"), kParsed);
}

TEST(ClData, FindsTheAccountAmongOthers) {
    Bytes bytes = BuildClData({Account("{BB11FAAD-81A3-4CD4-913B-39DDA89CF340}111", {Contact(Values({}))}),
                               Account("{BB11FAAD-81A3-4CD4-913B-39DDA89CF340}222",
                                       {Group(Values({Value("SrvLogName", "Семья")}), {}),
                                        Contact(Values({Value("SrvLogName", "3"), Value("CL Alias", "Мама")}))}),
                               Account("empty", {})});
    EXPECT_EQ(ParseAccount(bytes, "{BB11FAAD-81A3-4CD4-913B-39DDA89CF340}111"), "C{};");
    EXPECT_EQ(ParseAccount(bytes, "{BB11FAAD-81A3-4CD4-913B-39DDA89CF340}222"),
              "G{SrvLogName=Семья};C{SrvLogName=3 CL Alias=Мама};");
    EXPECT_EQ(ParseAccount(bytes, "empty"), "");
    EXPECT_EQ(ParseAccount(bytes, "{BB11FAAD-81A3-4CD4-913B-39DDA89CF340}11"), "fail");
}

TEST(ClData, ReadsAnyFieldHoldingGroupSettingsAsAGroup) {
    // The account list's fields named "Whatever" and "Contact"; the group list
    // has its settings last and a field that is no contact.
    Bytes group = Cat({kContact1Field, Hex("03 787878 00000000"), kGroupSettingsField});
    Bytes list = Cat({Hex("08 5768617465766572"), Hex("47000000"), group, kContact2Field});
    EXPECT_EQ(ParseAccount(Cat({Hex("03 616363 70000000"), list}), "acc"), kParsed);
}

TEST(ClData, FailsCleanlyOnDamage) {
    struct Case {
        const char* name;
        Bytes bytes;
    } const cases[] = {
        {"empty blob", Bytes()},
        {"no such account", Cat({Hex("03 616364 65000000"), kAccountList})},
        {"account data past the end", Cat({Hex("03 616363 66000000"), kAccountList})},
        {"account data length past 2 GB", Cat({Hex("03 616363 FFFFFFFF"), kAccountList})},
        {"name past the end", Hex("09 616363")},
        {"truncated list", Bytes(kClData.begin(), kClData.end() - 1)},
        {"group length past the account list",
         Cat({Hex("03 616363 65000000 05 47726F7570 5F000000"), kGroupSettingsField, kContact1Field, kContact2Field})},
        {"stray byte in the account list", Cat({Hex("03 616363 66000000"), kAccountList, Hex("00")})},
        {"stray byte in a group", Cat({Hex("03 616363 66000000 05 47726F7570 40000000"), kGroupSettingsField,
                                       kContact1Field, Hex("07"), kContact2Field})},
        {"value length past a contact",
         Cat({Hex("03 616363 65000000"), kGroupField,
              Hex("07 436F6E74616374 10000000  0A 5372764C6F674E616D65 02000000 32")})},
        {"the first field of the name is damaged",
         Cat({Hex("03 616363 03000000 01 41 FF"), kClData})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseAccount(c.bytes, "acc"), "fail");
    }
}

TEST(ClData, ReadsTheWholeFieldsBeforeDamageInTheTopList) {
    Bytes other = Hex("03 626262 00000000");
    EXPECT_EQ(ParseAccount(Cat({other, kClData, Hex("05 78")}), "acc"), kParsed);
    EXPECT_EQ(ParseAccount(Cat({Hex("05 78"), kClData}), "acc"), "fail");
    // A later field of the same name is not looked at.
    EXPECT_EQ(ParseAccount(Cat({Hex("03 616363 00000000"), kClData}), "acc"), "");
}

TEST(ClData, LeavesOutWhatWouldNotReadBack) {
    CRecord longName(W(std::string(256, 'n')), "v", 1);
    Bytes bytes = BuildClData({Account(std::string(256, 'a'), {Contact(Values({Value("k", "v")}))}),
                               Account("acc", {Group(Values({Value("SrvLogName", "G"), longName}),
                                                     {Values({Value("SrvLogName", "1"), longName})}),
                                               Contact(Values({Value("SrvLogName", "2"), longName,
                                                               Value("Group settings", "x")}))})});
    EXPECT_EQ(bytes, kClData);
    // Inside a group a contact's "Group settings" value is harmless and kept.
    EXPECT_EQ(ParseAccount(BuildClData({Account("acc", {Group(Values({}), {Values({Value("Group settings", "x")})})})}),
                           "acc"),
              "G{} C{Group settings=x};");
}

TEST(ClData, NoAccountsBuildNothing) {
    EXPECT_EQ(BuildClData({}), Bytes());
}

// ---------------------------------------------------------- "Metagroup data"

TEST(MetagroupData, WritesOneLinePerGroupItCanReadBack) {
    CYolArray<MetaGroupOpenedLine> lines;
    lines.Add({W(""), 1});
    lines.Add({W("Друзья"), 0});
    lines.Add({W("tab\there"), 1});
    lines.Add({W("line\nbreak"), 1});
    lines.Add({W("Work\r"), 255});
    EXPECT_EQ(CContactListCache::BuildMetagroupData(lines).ToUtf8(), "\t1\nДрузья\t0\nWork\r\t255\n");
    EXPECT_TRUE(CContactListCache::BuildMetagroupData(CYolArray<MetaGroupOpenedLine>()).IsEmpty());
}

TEST(MetagroupData, ReadsLinesWithTabBeforeLineFeedAndAByteValue) {
    struct Case {
        const char* text;
        const char* parsed;  // name=value lines joined by ";"
    } const cases[] = {
        {"a\t1\n", "a=1;"},
        {"\t0\nДрузья\t1\n", "=0;Друзья=1;"},
        {"a\t1", ""},
        {"a1\nb\t0\n", "b=0;"},
        {"a\n\tb\n", ""},
        {"a\t\n", ""},
        {"a\t007\nb\t255\nc\t256\nd\t1000\n", "a=7;b=255;"},
        {"a\t-1\nb\t1x\nc\t 1\n", ""},
        {"a\tb\t1\n", ""},
        {"a\r\t1\r\n", ""},
        {"\n\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CYolArray<MetaGroupOpenedLine> lines;
        lines.Add({W("stale"), 9});
        CContactListCache::ParseMetagroupData(W(c.text), lines);
        std::string parsed;
        for (const MetaGroupOpenedLine& line : lines)
            parsed += line.name.ToUtf8() + "=" + std::to_string(line.opened) + ";";
        EXPECT_EQ(parsed, c.parsed);
    }
}

}  // namespace
