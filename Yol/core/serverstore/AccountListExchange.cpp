#include "AccountListExchange.h"

#include "CRecord.h"
#include "YolTypes.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace Protocols {
namespace AccountList {

namespace {

// Accounts of the provider's own services: the server knows them without
// being told, so the list's text leaves them out.
constexpr std::string_view kUnlistedFileNames[] = {"jabberyol", "ximssyol", "yolsip"};

std::string_view Bytes(const CBigTLV& tlv) {
    return {reinterpret_cast<const char*>(tlv.GetValue()), tlv.GetLength()};
}

bool IsUnlisted(std::string_view fileName) {
    if (fileName.find(std::string_view(kMarker, kMarkerLength)) != fileName.npos)
        return true;  // would pass for the marker and cut the list short
    return std::find(std::begin(kUnlistedFileNames), std::end(kUnlistedFileNames), fileName) !=
           std::end(kUnlistedFileNames);
}

void PutU32(std::vector<unsigned char>& out, uint32_t v) {
    out.push_back(static_cast<unsigned char>(v >> 24));
    out.push_back(static_cast<unsigned char>(v >> 16));
    out.push_back(static_cast<unsigned char>(v >> 8));
    out.push_back(static_cast<unsigned char>(v));
}

bool EndsWith(const CYolString& text, const CYolString& suffix) {
    const int n = text.Length(), m = suffix.Length();
    return m <= n && CYolString::Compare(text.c_str() + (n - m), suffix.c_str(), m) == 0;
}

}  // namespace

std::vector<unsigned char> Serialize(const CYolArray<CBigTLVCol>& blocks) {
    std::string text = "*";
    for (const CBigTLVCol& block : blocks) {
        const CBigTLV* file = block.GetTLV(kFileNameTlv);
        if (file == nullptr)
            continue;
        std::string_view name = Bytes(*file);
        if (IsUnlisted(name))
            continue;
        std::string_view stem = name;
        while (!stem.empty() && stem.back() >= '0' && stem.back() <= '9')
            stem.remove_suffix(1);
        text.append(stem).append(".dll:").append(name).append("*");
    }
    if (text.size() == 1)
        text = "0";

    std::vector<unsigned char> out(text.begin(), text.end());
    out.insert(out.end(), kMarker, kMarker + kMarkerLength);
    for (const CBigTLVCol& block : blocks) {
        const int size = block.GetDataLength();
        unsigned char* bytes = size > 0 ? block.GetBuffer(false) : nullptr;
        const uint32_t written = bytes != nullptr ? static_cast<uint32_t>(size) : 0;
        PutU32(out, written);
        if (bytes != nullptr)
            out.insert(out.end(), bytes, bytes + written);
        std::free(bytes);
    }
    return out;
}

bool Parse(const unsigned char* data, size_t length, CYolArray<CBigTLVCol>& blocks) {
    if (data == nullptr || length == 0 || data[0] != '*')
        return false;
    std::string_view all(reinterpret_cast<const char*>(data), length);
    const size_t marker = all.find(std::string_view(kMarker, kMarkerLength));
    if (marker == all.npos)
        return false;

    CYolArray<CBigTLVCol> parsed;
    parsed.SetGrowStep(10);
    size_t pos = marker + kMarkerLength;
    while (pos < length) {
        if (length - pos < 4)
            return false;
        const uint32_t size = (uint32_t(data[pos]) << 24) | (uint32_t(data[pos + 1]) << 16) |
                              (uint32_t(data[pos + 2]) << 8) | uint32_t(data[pos + 3]);
        pos += 4;
        if (size > length - pos || size > INT_MAX)
            return false;
        CBigTLVCol block;
        block.Unpack(data + pos, static_cast<int>(size));
        parsed.Add(std::move(block));
        pos += size;
    }
    blocks = std::move(parsed);
    return true;
}

bool IsEnabled(const CBigTLVCol& block) {
    const CBigTLV* enabled = block.GetTLV(kEnabledTlv);
    return enabled != nullptr && enabled->GetLength() == 1 && enabled->GetValue()[0] == 1;
}

bool HasIdentity(const CBigTLVCol& block) {
    return block.GetTLV(kProtoNameTlv) != nullptr && block.GetTLV(kFileNameTlv) != nullptr &&
           block.GetTLV(kEnabledTlv) != nullptr;
}

CYolString FileName(const CBigTLVCol& block) {
    const CBigTLV* file = block.GetTLV(kFileNameTlv);
    if (file == nullptr || file->GetLength() == 0)
        return CYolString();
    return CYolString(reinterpret_cast<const char*>(file->GetValue()), static_cast<int>(file->GetLength()),
                      YOL_CP_UTF8);
}

CYolString Login(const CBigTLVCol& block) {
    const CBigTLV* login = block.GetTLV(kLoginTlv);
    if (login == nullptr)
        return CYolString();
    CTLVCol inner;
    inner.Unpack(login->GetValue(), static_cast<int>(login->GetLength()));
    const CTLV* name = inner.GetTLV(1);
    if (name == nullptr || name->GetLength() == 0)
        return CYolString();
    std::vector<unsigned char> bytes(name->GetValue(), name->GetValue() + name->GetLength());
    Database::CRecord::TransformProtected(bytes.data(), bytes.size());
    return CYolString(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), YOL_CP_UTF8);
}

bool FileNameFits(const CYolString& fileName, const CYolString& pluginName) {
    const int n = pluginName.Length();
    return fileName.Length() >= n && CYolString::Comparei(fileName.c_str(), pluginName.c_str(), n) == 0;
}

const AccountListProtocol* FindProtocol(const std::vector<AccountListProtocol>& protocols,
                                        const CYolString& fileName, const CYolString& login) {
    for (const AccountListProtocol& protocol : protocols) {
        if (!FileNameFits(fileName, protocol.pluginName))
            continue;
        if (protocol.loginSuffixes.empty())
            return &protocol;
        for (const CYolString& suffix : protocol.loginSuffixes)
            if (EndsWith(login, suffix))
                return &protocol;
    }
    return nullptr;
}

}  // namespace AccountList

using namespace AccountList;

std::vector<unsigned char> CServerAccountList::Build(MAccountListTable& table) {
    const std::vector<AccountListProtocol> protocols = table.ListProtocols();
    const std::vector<AccountListEntry> accounts = table.ListAccounts();
    std::lock_guard<std::mutex> hold(lock);

    // Blocks an account of this installation may claim: enabled ones of an
    // installed protocol. The rest are somebody else's and stay untouched.
    std::vector<int> candidates;
    for (int i = 0; i < blocks.Count(); ++i) {
        const CBigTLVCol& block = blocks[i];
        if (!HasIdentity(block) || !IsEnabled(block))
            continue;
        const CYolString file = FileName(block);
        const bool installed = std::any_of(protocols.begin(), protocols.end(), [&](const AccountListProtocol& p) {
            return FileNameFits(file, p.pluginName);
        });
        if (installed)
            candidates.push_back(i);
    }

    for (const AccountListEntry& account : accounts) {
        int target = -1;
        for (auto it = candidates.rbegin(); it != candidates.rend(); ++it) {
            if (FileName(blocks[*it]) == account.fileName) {
                target = *it;
                candidates.erase(std::next(it).base());
                break;
            }
        }
        if (target >= 0) {
            table.ExportAccount(account.id, blocks[target]);
            continue;
        }
        CBigTLVCol fresh;
        if (table.ExportAccount(account.id, fresh))
            blocks.Add(std::move(fresh));
    }

    // Unclaimed candidates belonged to accounts deleted here.
    for (auto it = candidates.rbegin(); it != candidates.rend(); ++it)
        blocks.RemoveAt(*it);
    return Serialize(blocks);
}

bool CServerAccountList::Apply(const unsigned char* data, size_t length, MAccountListTable& table) {
    std::lock_guard<std::mutex> hold(lock);
    if (!Parse(data, length, blocks))
        return false;

    const std::vector<AccountListProtocol> protocols = table.ListProtocols();
    std::vector<AccountListEntry> unmatched = table.ListAccounts();
    unsigned int position = 0;
    for (const CBigTLVCol& block : blocks) {
        if (!HasIdentity(block) || !IsEnabled(block))
            continue;
        const CYolString login = Login(block);
        const AccountListProtocol* protocol = FindProtocol(protocols, FileName(block), login);
        if (protocol == nullptr)
            continue;

        unsigned int account = 0;
        auto match = std::find_if(unmatched.begin(), unmatched.end(), [&](const AccountListEntry& e) {
            return e.protocol == protocol->id && e.login == login;
        });
        if (match != unmatched.end()) {
            account = match->id;
            unmatched.erase(match);
            table.MoveAccount(account, position);
        } else {
            account = table.CreateAccount(protocol->id);
        }
        ++position;
        // A protocol whose plug-in made no account leaves its block unused.
        if (account == 0)
            continue;
        table.ImportAccount(account, block);
        table.ReloadAccount(account);
    }

    for (const AccountListEntry& gone : unmatched)
        table.RemoveAccount(gone.id);
    return true;
}

CYolArray<CBigTLVCol> CServerAccountList::Blocks() const {
    std::lock_guard<std::mutex> hold(lock);
    return blocks;
}

void CServerAccountList::SetBlocks(const CYolArray<CBigTLVCol>& list) {
    std::lock_guard<std::mutex> hold(lock);
    blocks = list;
}

}  // namespace Protocols
