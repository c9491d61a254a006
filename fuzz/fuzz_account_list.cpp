// The account-list payload from the storage server on arbitrary bytes: a
// list that parses must serialise to a payload that parses to the same
// blocks, and applying it to an account table, then building the list from
// that table, must stay within the table it was given.

#include "AccountListExchange.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace Protocols;

namespace {

constexpr YOL_GUID kFirst{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
constexpr YOL_GUID kSecond{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

class Table final : public MAccountListTable {
public:
    std::vector<AccountListEntry> accounts;
    unsigned int next = 100;

    Table() {
        accounts.push_back({1, kFirst, CYolString(u"me@yol.example"), CYolString(u"jabberyol")});
        accounts.push_back({2, kSecond, CYolString(u"12345"), CYolString(u"Ruv")});
    }
    std::vector<AccountListProtocol> ListProtocols() override {
        AccountListProtocol first{kFirst, CYolString(u"Jabber"), {CYolString(u"@yol.example")}};
        AccountListProtocol second{kSecond, CYolString(u"Ruv"), {}};
        return {first, second};
    }
    std::vector<AccountListEntry> ListAccounts() override { return accounts; }
    bool ExportAccount(unsigned int account, CBigTLVCol& block) override {
        AccountListEntry* a = Find(account);
        if (a == nullptr)
            return false;
        block.Clear();
        const std::string file = a->fileName.ToUtf8();
        block.Add(CBigTLV(7, static_cast<unsigned int>(file.size()), reinterpret_cast<const unsigned char*>(file.data())));
        block.Add(CBigTLV(8, static_cast<unsigned char>(1)));
        return true;
    }
    void ImportAccount(unsigned int account, const CBigTLVCol& block) override {
        if (AccountListEntry* a = Find(account)) {
            a->login = AccountList::Login(block);
            a->fileName = AccountList::FileName(block);
        } else {
            std::abort();
        }
    }
    void MoveAccount(unsigned int account, unsigned int index) override {
        if (Find(account) == nullptr || index > 1u << 20)
            std::abort();
    }
    unsigned int CreateAccount(const YOL_GUID& protocol) override {
        if (accounts.size() > 1000)
            return 0;
        accounts.push_back({next, protocol, CYolString(), CYolString()});
        return next++;
    }
    void ReloadAccount(unsigned int account) override {
        if (Find(account) == nullptr)
            std::abort();
    }
    void RemoveAccount(unsigned int account) override {
        if (Find(account) == nullptr)
            std::abort();
        for (auto it = accounts.begin(); it != accounts.end(); ++it)
            if (it->id == account) {
                accounts.erase(it);
                break;
            }
    }

private:
    AccountListEntry* Find(unsigned int id) {
        for (auto& a : accounts)
            if (a.id == id)
                return &a;
        return nullptr;
    }
};

std::vector<unsigned char> Wire(const CBigTLVCol& block) {
    unsigned char* bytes = block.GetBuffer(false);
    std::vector<unsigned char> out(bytes, bytes + (bytes ? block.GetDataLength() : 0));
    std::free(bytes);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CYolArray<CBigTLVCol> blocks;
    if (!AccountList::Parse(data, size, blocks))
        return 0;

    // Serialised again, the blocks come back whole and in order.
    const auto payload = AccountList::Serialize(blocks);
    CYolArray<CBigTLVCol> again;
    if (payload[0] == '*') {
        if (!AccountList::Parse(payload.data(), payload.size(), again) || again.Count() != blocks.Count())
            std::abort();
        for (int i = 0; i < blocks.Count(); ++i)
            if (Wire(again[i]) != Wire(blocks[i]))
                std::abort();
    }

    Table table;
    CServerAccountList list;
    if (!list.Apply(data, size, table))
        std::abort();
    list.Build(table);
    return 0;
}
