// The account list exchanged with the storage server: its payload, and how
// building and applying it meet the account table (match, move, create,
// delete; disabled blocks and blocks of protocols not installed kept).

#include "AccountListExchange.h"
#include "CRecord.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace Protocols;

namespace {

constexpr YOL_GUID kJabber{0x97573E1B, 0x25C2, 0x4222, 0xA5, 0xE3, 0xC2, 0xCC, 0x54, 0x0F, 0x0A, 0xDE};
constexpr YOL_GUID kRuv{0xBB11FAAD, 0x81A3, 0x4CD4, 0x91, 0x3B, 0x39, 0xDD, 0xA8, 0x9C, 0xF3, 0x40};

Bytes Utf8(const std::string& s) { return Bytes(s.begin(), s.end()); }

void AddBig(CBigTLVCol& block, unsigned short type, const Bytes& value) {
    block.Add(CBigTLV(type, static_cast<unsigned int>(value.size()), value.data()));
}

// An account-settings block as the server keeps it. enabled < 0: no TLV 8.
CBigTLVCol Block(const std::string& proto, const std::string& file, int enabled, const std::string& login,
                 const std::string& extra = "") {
    CBigTLVCol block;
    CTLVCol loginTlvs;
    Bytes name = Utf8(login);
    Database::CRecord::TransformProtected(name.data(), name.size());
    if (!login.empty())
        loginTlvs.Add(CTLV(1, static_cast<unsigned short>(name.size()), name.data()));
    unsigned char* packed = loginTlvs.GetBuffer(false);
    AddBig(block, 3, packed ? Bytes(packed, packed + loginTlvs.GetDataLength()) : Bytes());
    std::free(packed);
    if (!extra.empty())
        AddBig(block, 4, Utf8(extra));
    if (!proto.empty())
        AddBig(block, 6, Utf8(proto));
    if (!file.empty())
        AddBig(block, 7, Utf8(file));
    if (enabled >= 0)
        AddBig(block, 8, Bytes{static_cast<unsigned char>(enabled)});
    return block;
}

Bytes Wire(const CBigTLVCol& block) {
    unsigned char* bytes = block.GetBuffer(false);
    Bytes out(bytes, bytes + (bytes ? block.GetDataLength() : 0));
    std::free(bytes);
    return out;
}

Bytes Payload(const std::string& text, const std::vector<CBigTLVCol>& blocks) {
    Bytes out = Utf8(text + AccountList::kMarker);
    for (const auto& b : blocks) {
        Bytes wire = Wire(b);
        const auto n = static_cast<uint32_t>(wire.size());
        out.insert(out.end(), {static_cast<unsigned char>(n >> 24), static_cast<unsigned char>(n >> 16),
                               static_cast<unsigned char>(n >> 8), static_cast<unsigned char>(n)});
        out.insert(out.end(), wire.begin(), wire.end());
    }
    return out;
}

CYolArray<CBigTLVCol> Array(const std::vector<CBigTLVCol>& blocks) {
    CYolArray<CBigTLVCol> out;
    for (const auto& b : blocks)
        out.Add(b);
    return out;
}

std::vector<std::string> FileNames(const CYolArray<CBigTLVCol>& blocks) {
    std::vector<std::string> out;
    for (const auto& b : blocks)
        out.push_back(AccountList::FileName(b).ToUtf8());
    return out;
}

// The account table as the protocols manager would run it, recording every
// call the list makes of it.
class FakeTable final : public MAccountListTable {
public:
    struct Account {
        unsigned int id;
        YOL_GUID protocol;
        std::string login;
        std::string file;
        std::string settings;  // what Export writes and Import reads (big TLV 4)
    };
    std::vector<AccountListProtocol> protocols;
    std::vector<Account> accounts;
    std::vector<std::string> log;
    unsigned int nextId = 100;
    bool createFails = false;

    FakeTable() {
        AccountListProtocol jabber;
        jabber.id = kJabber;
        jabber.pluginName = u"Jabber";
        jabber.loginSuffixes = {W("@yol.example")};
        AccountListProtocol ruv;
        ruv.id = kRuv;
        ruv.pluginName = u"Ruv";
        protocols = {jabber, ruv};
    }

    std::vector<AccountListProtocol> ListProtocols() override { return protocols; }
    std::vector<AccountListEntry> ListAccounts() override {
        std::vector<AccountListEntry> out;
        for (const auto& a : accounts)
            out.push_back({a.id, a.protocol, W(a.login), W(a.file)});
        return out;
    }
    bool ExportAccount(unsigned int id, CBigTLVCol& block) override {
        Account* a = Find(id);
        if (a == nullptr)
            return false;
        block = Block(a->protocol == kRuv ? "Ruv" : "Jabber", a->file, 1, a->login, a->settings);
        log.push_back("export " + std::to_string(id));
        return true;
    }
    void ImportAccount(unsigned int id, const CBigTLVCol& block) override {
        Account* a = Find(id);
        ASSERT_NE(a, nullptr);
        a->login = AccountList::Login(block).ToUtf8();
        a->file = AccountList::FileName(block).ToUtf8();
        const CBigTLV* s = block.GetTLV(4);
        a->settings = s ? std::string(reinterpret_cast<const char*>(s->GetValue()), s->GetLength()) : "";
        log.push_back("import " + std::to_string(id));
    }
    void MoveAccount(unsigned int id, unsigned int index) override {
        log.push_back("move " + std::to_string(id) + " " + std::to_string(index));
        auto it = std::find_if(accounts.begin(), accounts.end(), [&](const Account& a) { return a.id == id; });
        if (it == accounts.end() || index >= accounts.size())
            return;
        Account moving = *it;
        accounts.erase(it);
        accounts.insert(accounts.begin() + index, moving);
    }
    unsigned int CreateAccount(const YOL_GUID& protocol) override {
        if (createFails) {
            log.push_back("create failed");
            return 0;
        }
        accounts.push_back({nextId, protocol, "", "", ""});
        log.push_back("create " + std::string(protocol == kRuv ? "Ruv" : "Jabber") + " " + std::to_string(nextId));
        return nextId++;
    }
    void ReloadAccount(unsigned int id) override { log.push_back("reload " + std::to_string(id)); }
    void RemoveAccount(unsigned int id) override {
        log.push_back("remove " + std::to_string(id));
        accounts.erase(std::remove_if(accounts.begin(), accounts.end(), [&](const Account& a) { return a.id == id; }),
                       accounts.end());
    }

    std::vector<unsigned int> Order() const {
        std::vector<unsigned int> out;
        for (const auto& a : accounts)
            out.push_back(a.id);
        return out;
    }

private:
    Account* Find(unsigned int id) {
        for (auto& a : accounts)
            if (a.id == id)
                return &a;
        return nullptr;
    }
};

}  // namespace

// --- payload ---------------------------------------------------------------------------------

TEST(AccountListPayload, TextListsTheBlocksOfOtherNetworks) {
    const CBigTLVCol ruv = Block("Ruv", "Ruv2", 1, "12345");
    const CBigTLVCol base = Block("Jabber", "jabberyol", 1, "me@yol.example");
    const CBigTLVCol anonymous = Block("Ruv", "", 1, "1");
    struct Case {
        const char* name;
        std::vector<CBigTLVCol> blocks;
        const char* text;
    } cases[] = {
        {"one listed, one of the provider's", {ruv, base}, "*Ruv.dll:Ruv2*"},
        {"only the provider's", {base}, "0"},
        {"none", {}, "0"},
        {"every trailing digit goes from the stem", {Block("Ruv", "Ruv123", 1, "1"), Block("X", "x", 1, "1")},
         "*Ruv.dll:Ruv123*x.dll:x*"},
        {"a block without a file name is carried but not listed", {anonymous, ruv}, "*Ruv.dll:Ruv2*"},
        {"the other services of the provider", {Block("X", "ximssyol", 1, "a"), Block("S", "yolsip", 1, "b")}, "0"},
        {"a file name holding the marker is not listed", {Block("R", std::string("R") + AccountList::kMarker, 1, "a")},
         "0"},
    };
    for (const auto& c : cases) {
        const auto payload = AccountList::Serialize(Array(c.blocks));
        EXPECT_EQ(Bytes(payload.begin(), payload.end()), Payload(c.text, c.blocks)) << c.name;
    }
}

TEST(AccountListPayload, BlockLengthsAreBigEndian) {
    const CBigTLVCol block = Block("", "R", -1, "");  // TLV 3 (empty) and TLV 7
    const auto payload = AccountList::Serialize(Array({block}));
    EXPECT_EQ(Bytes(payload.begin(), payload.end()),
              Concat({Utf8("*R.dll:R*"), Utf8(AccountList::kMarker), Hex("0000000D" "0003 00000000" "0007 00000001 52")}));
}

TEST(AccountListPayload, ParsingRefusesWhatIsNoWholeList) {
    const CBigTLVCol ruv = Block("Ruv", "Ruv", 1, "1");
    const Bytes good = Payload("*Ruv.dll:Ruv*", {ruv, ruv});
    Bytes cut = good;
    cut.pop_back();
    Bytes trailing = good;
    trailing.insert(trailing.end(), {0, 0});
    Bytes zeroText = good;
    zeroText[0] = '0';
    struct Case {
        const char* name;
        Bytes payload;
        bool accepted;
        int blocks;
    } cases[] = {
        {"whole", good, true, 2},
        {"text is not read past its first byte", Payload("*anything at all*", {ruv}), true, 1},
        {"no blocks", Payload("*", {}), true, 0},
        {"empty", {}, false, 0},
        {"first byte not an asterisk", zeroText, false, 0},
        {"no marker", Utf8("*Ruv.dll:Ruv*"), false, 0},
        {"last block cut short", cut, false, 0},
        {"bytes too few for a length", trailing, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CYolArray<CBigTLVCol> blocks = Array({Block("Old", "Old", 1, "o")});
        EXPECT_EQ(AccountList::Parse(c.payload.data(), c.payload.size(), blocks), c.accepted);
        if (c.accepted) {
            ASSERT_EQ(blocks.Count(), c.blocks);
            for (const auto& b : blocks)
                EXPECT_EQ(Wire(b), Wire(ruv));
        } else {
            EXPECT_EQ(FileNames(blocks), std::vector<std::string>{"Old"});
        }
    }
}

TEST(AccountListPayload, MalformedBlockIsKeptAsFarAsItUnpacks) {
    Bytes broken = Wire(Block("Ruv", "Ruv", 1, "1"));
    const Bytes tail = Hex("0008 0000FFFF 01");  // runs past its block
    broken.insert(broken.end(), tail.begin(), tail.end());
    Bytes payload = Utf8(std::string("*") + AccountList::kMarker);
    const auto n = static_cast<unsigned char>(broken.size());
    payload.insert(payload.end(), {0, 0, 0, n});
    payload.insert(payload.end(), broken.begin(), broken.end());
    CYolArray<CBigTLVCol> blocks;
    ASSERT_TRUE(AccountList::Parse(payload.data(), payload.size(), blocks));
    ASSERT_EQ(blocks.Count(), 1);
    EXPECT_EQ(Wire(blocks[0]), Wire(Block("Ruv", "Ruv", 1, "1")));
}

TEST(AccountListPayload, BlockHelpers) {
    EXPECT_TRUE(AccountList::IsEnabled(Block("Ruv", "Ruv", 1, "")));
    EXPECT_FALSE(AccountList::IsEnabled(Block("Ruv", "Ruv", 0, "")));
    EXPECT_FALSE(AccountList::IsEnabled(Block("Ruv", "Ruv", 2, "")));
    EXPECT_FALSE(AccountList::IsEnabled(Block("Ruv", "Ruv", -1, "")));
    EXPECT_FALSE(AccountList::HasIdentity(Block("", "Ruv", 1, "")));
    EXPECT_EQ(AccountList::Login(Block("Ruv", "Ruv", 1, "Вася@yol.example")).ToUtf8(), "Вася@yol.example");
    EXPECT_TRUE(AccountList::FileNameFits(W("ruv7"), W("Ruv")));
    EXPECT_FALSE(AccountList::FileNameFits(W("Ru"), W("Ruv")));
}

// --- build -------------------------------------------------------------------------------------

TEST(AccountListBuild, AccountsClaimTheirBlocksAndOthersStayInPlace) {
    FakeTable table;
    table.accounts = {{1, kJabber, "me@yol.example", "jabberyol", "base"},
                      {2, kRuv, "111", "Ruv", "fresh settings"},
                      {3, kRuv, "333", "Ruv3", "new"}};
    CServerAccountList list;
    list.SetBlocks(Array({
        Block("Ruv", "Ruv", 1, "111", "stale settings"),  // claimed by account 2
        Block("Ruv", "Ruv1", 1, "222"),                    // its account was deleted here: dropped
        Block("Ruv", "Ruv2", 0, "444"),                    // disabled: kept
        Block("Xyz", "Xyz", 1, "555"),                     // protocol not installed: kept
        Block("Jabber", "jabberyol", 1, "me@yol.example"), // claimed by account 1
        Block("Ruv", "Ruv5", -1, "666"),                   // no TLV 8: kept
    }));
    const auto payload = list.Build(table);

    const CYolArray<CBigTLVCol> blocks = list.Blocks();
    EXPECT_EQ(FileNames(blocks), (std::vector<std::string>{"Ruv", "Ruv2", "Xyz", "jabberyol", "Ruv5", "Ruv3"}));
    EXPECT_EQ(Wire(blocks[0]), Wire(Block("Ruv", "Ruv", 1, "111", "fresh settings")));
    EXPECT_EQ(Wire(blocks[1]), Wire(Block("Ruv", "Ruv2", 0, "444")));
    EXPECT_EQ(Wire(blocks[5]), Wire(Block("Ruv", "Ruv3", 1, "333", "new")));
    EXPECT_EQ(Bytes(payload.begin(), payload.end()),
              Payload("*Ruv.dll:Ruv*Ruv.dll:Ruv2*Xyz.dll:Xyz*Ruv.dll:Ruv5*Ruv.dll:Ruv3*",
                      std::vector<CBigTLVCol>(blocks.begin(), blocks.end())));
}

TEST(AccountListBuild, TheLastOfTwoBlocksWithOneFileNameIsClaimed) {
    FakeTable table;
    table.accounts = {{2, kRuv, "111", "Ruv", "mine"}};
    CServerAccountList list;
    list.SetBlocks(Array({Block("Ruv", "Ruv", 1, "first"), Block("Ruv", "Ruv", 1, "second")}));
    list.Build(table);
    const auto blocks = list.Blocks();
    ASSERT_EQ(blocks.Count(), 1);
    EXPECT_EQ(Wire(blocks[0]), Wire(Block("Ruv", "Ruv", 1, "111", "mine")));
}

// --- apply -------------------------------------------------------------------------------------

TEST(AccountListApply, MatchesMovesCreatesImportsAndRemoves) {
    FakeTable table;
    table.accounts = {{1, kJabber, "me@yol.example", "jabberyol", ""},
                      {2, kRuv, "111", "Ruv", ""},
                      {3, kRuv, "222", "Ruv1", ""},
                      {4, kRuv, "jabber-login@yol.example", "Ruv2", ""}};
    const std::vector<CBigTLVCol> server = {
        Block("Ruv", "Ruv1", 1, "222", "s222"),                  // matches 3, moved to 0
        Block("Ruv", "Ruv9", 0, "111"),                          // disabled: no match, 2 is not claimed by it
        Block("Xyz", "Xyz", 1, "111"),                           // no protocol installed
        Block("Jabber", "jabberyol", 1, "me@yol.example", "sb"), // matches 1, moved to 1
        Block("Ruv", "Ruv5", 1, "555", "s555"),                  // nobody: a new account
        Block("Jabber", "Jabber1", 1, "her@other.org"),          // login suffix fits no protocol
        Block("Jabber", "jabberyol", 1, "jabber-login@yol.example"),  // same login, but 4 is of another protocol
    };
    CServerAccountList list;
    const Bytes payload = Payload("*Ruv.dll:Ruv1*", server);
    ASSERT_TRUE(list.Apply(payload.data(), payload.size(), table));

    EXPECT_EQ(table.log, (std::vector<std::string>{
                             "move 3 0", "import 3", "reload 3",
                             "move 1 1", "import 1", "reload 1",
                             "create Ruv 100", "import 100", "reload 100",
                             "create Jabber 101", "import 101", "reload 101",
                             "remove 2", "remove 4"}));
    EXPECT_EQ(table.Order(), (std::vector<unsigned int>{3, 1, 100, 101}));
    EXPECT_EQ(table.accounts[0].settings, "s222");
    EXPECT_EQ(table.accounts[2].login, "555");
    EXPECT_EQ(table.accounts[2].file, "Ruv5");
    EXPECT_EQ(list.Blocks().Count(), static_cast<int>(server.size()));
}

TEST(AccountListApply, AFailedCreationStillTakesItsPosition) {
    FakeTable table;
    table.createFails = true;
    table.accounts = {{2, kRuv, "111", "Ruv", ""}};
    CServerAccountList list;
    const Bytes payload = Payload("*", {Block("Ruv", "Ruv1", 1, "999"), Block("Ruv", "Ruv", 1, "111")});
    ASSERT_TRUE(list.Apply(payload.data(), payload.size(), table));
    EXPECT_EQ(table.log, (std::vector<std::string>{"create failed", "move 2 1", "import 2", "reload 2"}));
}

TEST(AccountListApply, WhatIsNoListChangesNothing) {
    FakeTable table;
    table.accounts = {{2, kRuv, "111", "Ruv", ""}};
    CServerAccountList list;
    list.SetBlocks(Array({Block("Ruv", "Ruv", 1, "111")}));
    const std::vector<Bytes> refused = {
        {},
        Payload("0", {Block("Ruv", "Ruv", 1, "999")}),  // written with nothing listed
        Utf8("*no marker"),
    };
    for (const Bytes& payload : refused) {
        EXPECT_FALSE(list.Apply(payload.data(), payload.size(), table));
        EXPECT_TRUE(table.log.empty());
        EXPECT_EQ(FileNames(list.Blocks()), std::vector<std::string>{"Ruv"});
    }
}

TEST(AccountListApply, BuildAfterApplyWritesTheServerBlocksBack) {
    FakeTable table;
    const std::vector<CBigTLVCol> server = {Block("Ruv", "Ruv", 1, "111", "x"), Block("Ruv", "Ruv7", 0, "777"),
                                            Block("Q", "Q", 1, "q")};
    const Bytes payload = Payload("*Ruv.dll:Ruv*Ruv.dll:Ruv7*Q.dll:Q*", server);
    CServerAccountList list;
    ASSERT_TRUE(list.Apply(payload.data(), payload.size(), table));
    ASSERT_EQ(table.Order(), std::vector<unsigned int>{100});
    const auto written = list.Build(table);
    EXPECT_EQ(Bytes(written.begin(), written.end()), payload);
}
