#pragma once
// The account list kept on the storage server, so that a new installation can
// restore the user's accounts.
//
// Payload of the server store's account-list block:
//   text    UTF-8 "*", then per listed block "<stem>.dll:<file name>*" (the
//           file name without its trailing digits, then the whole name), or
//           "0" alone when no block is listed. Blocks of the provider's own
//           services ("jabberyol", "ximssyol", "yolsip") are not listed.
//           Readers look at the first byte only and skip to the marker.
//   marker  the 32 ASCII bytes of kMarker
//   blocks  per account block: its length (u32, big-endian), then the block
//           (an account-settings CBigTLVCol, see CAccountSettingsStore.h)
//
// CServerAccountList keeps the server's blocks between a read and the next
// write, so that blocks this installation cannot serve (disabled ones, those
// of protocols not installed here) go back to the server unchanged. Build and
// Apply work on the account table only through MAccountListTable, which the
// protocols manager implements; they exclude each other, so the blocks are
// never rewritten by two threads at once. Neither may be called with the
// manager's account lock held.

#include "CTLV.h"
#include "CYolArray.h"
#include "CYolString.h"
#include "YOL_GUID.h"

#include <cstddef>
#include <mutex>
#include <vector>

namespace Protocols {

// One protocol of the table, as the account list matches blocks to it.
struct AccountListProtocol {
    YOL_GUID id{};
    CYolString pluginName;                // stem of the accounts' file names
    std::vector<CYolString> loginSuffixes;  // "@domain"; empty: any login
};

// One account of the table.
struct AccountListEntry {
    unsigned int id = 0;
    YOL_GUID protocol{};
    CYolString login;     // "SrvLogName"
    CYolString fileName;  // "SrvFileName"
};

// What Build and Apply need of the protocols manager. Every call comes on the
// caller's thread of Build or Apply.
class MAccountListTable {
public:
    // Both lists in table order.
    virtual std::vector<AccountListProtocol> ListProtocols() = 0;
    virtual std::vector<AccountListEntry> ListAccounts() = 0;
    // The account's settings as an account-settings block; false for an
    // unknown account.
    virtual bool ExportAccount(unsigned int account, CBigTLVCol& block) = 0;
    virtual void ImportAccount(unsigned int account, const CBigTLVCol& block) = 0;
    // Moves the account to position index without telling the subscribers.
    virtual void MoveAccount(unsigned int account, unsigned int index) = 0;
    // A new account with empty settings, appended and not started; 0 when
    // none could be made.
    virtual unsigned int CreateAccount(const YOL_GUID& protocol) = 0;
    // Tells the account to read its settings again.
    virtual void ReloadAccount(unsigned int account) = 0;
    // Deletes the account without the AccountRemoved broadcast and without
    // writing the list back (the deletion request with flags 0).
    virtual void RemoveAccount(unsigned int account) = 0;

protected:
    ~MAccountListTable() = default;
};

namespace AccountList {

inline constexpr char kMarker[] = "F088BADFAD5545C48FC99C21CC4A7353";
inline constexpr size_t kMarkerLength = sizeof(kMarker) - 1;

// Big TLVs of an account-settings block that the list looks at.
inline constexpr unsigned short kLoginTlv = 3;
inline constexpr unsigned short kProtoNameTlv = 6;
inline constexpr unsigned short kFileNameTlv = 7;
inline constexpr unsigned short kEnabledTlv = 8;

// The payload for these blocks.
std::vector<unsigned char> Serialize(const CYolArray<CBigTLVCol>& blocks);
// The blocks of a payload. False, with `blocks` untouched, when the payload
// is no list (empty, not starting with "*", no marker) or when a block
// length runs past the end: a cut-off list must not delete the accounts of
// the blocks it lost.
bool Parse(const unsigned char* data, size_t length, CYolArray<CBigTLVCol>& blocks);

// Big TLV 8 is exactly the one byte 1.
bool IsEnabled(const CBigTLVCol& block);
// Big TLVs 6, 7 and 8 are all there.
bool HasIdentity(const CBigTLVCol& block);
// Big TLV 7 as text; empty when absent.
CYolString FileName(const CBigTLVCol& block);
// TLV 1 of the login collection in big TLV 3, transformed back; empty when
// absent.
CYolString Login(const CBigTLVCol& block);
// The file name begins with the plug-in name, compared without case over the
// plug-in name's length.
bool FileNameFits(const CYolString& fileName, const CYolString& pluginName);
// The first protocol (table order) whose plug-in name fits the file name and
// whose login suffixes, when it has any, include one the login ends with;
// null when none.
const AccountListProtocol* FindProtocol(const std::vector<AccountListProtocol>& protocols,
                                        const CYolString& fileName, const CYolString& login);

}  // namespace AccountList

class CServerAccountList {
public:
    CServerAccountList() { blocks.SetGrowStep(10); }

    // Brings the blocks up to date with the account table and answers the
    // payload to save: every account's settings go into the block carrying
    // its file name (a new block when there is none), enabled blocks of
    // installed protocols that no account claimed are dropped, and the
    // other blocks stay as they are, in their places.
    std::vector<unsigned char> Build(MAccountListTable& table);
    // Takes a payload read from the server: the blocks replace the kept ones,
    // each enabled block is matched to an account of its protocol and login
    // (moved into the block's position) or gets a new account, its settings
    // are imported, and accounts no block matched are removed. False, with
    // nothing changed, when the payload is no list.
    bool Apply(const unsigned char* data, size_t length, MAccountListTable& table);

    CYolArray<CBigTLVCol> Blocks() const;
    void SetBlocks(const CYolArray<CBigTLVCol>& list);

private:
    mutable std::mutex lock;
    CYolArray<CBigTLVCol> blocks;
};

}  // namespace Protocols
