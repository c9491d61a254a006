#pragma once
// Protocols::CProtocolsManager: how the rest of the program, and the plug-ins
// through the services manager (service ProtocolsManagerGuid), work with the
// protocol table and the accounts. Most per-account operations become one
// AccountCommand event sent to the account's events client. Commands that
// ask for an answer (logins, statuses, menus, panes, renaming a group) are
// waited for; commands that only ask the account to act (adding, moving,
// deleting, sending, changing the status) are posted.
//
// Result kinds of the command operations:
//   bool R1/R3  true when the account took the command: a waited-for command
//               answered 0, or a posted one was queued; false for an unknown
//               account.
//   int  R2     the account's answer for a waited-for command, 0 for a posted
//               one that was queued, -3 when it could not be queued, -2 for an
//               unknown account, -1 when sending failed, and 0 at once for
//               account 0.
// Account 0 is never an account: where an operation says so it means "all
// accounts" or the global status.
//
// Plug-ins are built against this exact table of operations: keep the order.

#include "AccountEvents.h"
#include "CYolArray.h"
#include "CYolString.h"
#include "CYolTime.h"
#include "ProtocolRecords.h"
#include "ProtocolsManagerEvents.h"
#include "YOL_GUID.h"
#include "YolGuids.h"

class CYolMenuInfo;

namespace YolTabDlg {
class CDlgInfo;
}

// Protocols the protocol table orders specially: the maker's own XMPP service
// first, the OSCAR network second (RuvProtocolGuid), plain XMPP last.
inline constexpr YOL_GUID JabberYolProtocolGuid{0x97573E1B, 0x25C2, 0x4222, 0xA5, 0xE3, 0xC2, 0xCC, 0x54, 0x0F, 0x0A, 0xDE};
inline constexpr YOL_GUID JabberProtocolGuid{0xAB4D1737, 0x3B4D, 0x4DA7, 0x8B, 0x82, 0x60, 0xC8, 0xDD, 0xF8, 0xD8, 0xEB};

namespace Protocols {

// Flags of ProtocolsManagerRequest::DeleteAccount.
namespace DeleteFlags {
enum : unsigned int {
    BroadcastRemoved = 1,  // broadcast AccountRemoved first
    WriteServerList = 2,   // write the account list to the server store afterwards
};
}

// One protocol of the table. The entries handed out by FindProtocol stay
// valid, unchanged, for the life of the manager (a later scan replaces the
// table, not the entries it handed out).
struct ProtocolEntry {
    YOL_GUID id{};
    int imageId = -1;  // the protocol icon in the skin's image store; -1 when none
    CYolString name;
    CYolString displayName;
    CYolString description;
    CYolString authors;
    CYolString pluginName;  // stem of the accounts' file names ("SrvFileName")
    CYolArray<CYolString> loginSuffixes;
    CYolString dllFile;  // the library's file name: the folder name + ".so"
    CYolString folder;   // protocols folder + folder name + "/"
};

class CProtocolsManager {
public:
    // --- protocol table ------------------------------------------------------
    // Scans the protocols folder now; the number of protocols the libraries
    // reported (a GUID reported twice counts twice).
    virtual int DiscoverProtocols() = 0;
    virtual int GetProtocolCount() = 0;
    virtual const ProtocolEntry* FindProtocol(const YOL_GUID& id) = 0;
    // The index-th protocol in table order; an empty record (id and image id
    // not written) when index is out of range.
    virtual void GetProtocolInfo(ProtocolRecord& out, int index) = 0;

    // --- base account and extended status -----------------------------------
    virtual unsigned int GetBaseAccount() = 0;
    virtual void SetBaseAccountLogin(const CYolString& login, const CYolString& password) = 0;
    virtual void ResetAccounts() = 0;
    virtual unsigned int GetXStatusId() = 0;
    virtual void SetXStatus(unsigned int id, const CYolString& title, const CYolString& description) = 0;
    virtual void GetXStatusText(unsigned int id, CYolString& title, CYolString& description) = 0;

    // --- account table -------------------------------------------------------
    // A new, started account of the protocol; 0 when none could be made.
    virtual unsigned int AddAccount(const YOL_GUID& protocol) = 0;
    // Queues the deletion; 0.
    virtual int DeleteAccount(unsigned int account) = 0;
    virtual int ReloadAccountSettings(unsigned int account) = 0;
    virtual int SendNotify84(unsigned int account, unsigned int value) = 0;
    virtual int SendStringList(unsigned int account, CYolArray<CYolString> list) = 0;
    virtual int GetAccountCount() = 0;
    // Moves the account to position index; 0, or -1 when index is not below
    // the count or the account is unknown.
    virtual int NotifyAccountChanged(unsigned int account, unsigned int index) = 0;
    virtual unsigned int GetAccountId(unsigned int index) = 0;
    // The account's login as it reports it; with withProtocol preceded by the
    // protocol GUID's text, a key unique across protocols.
    virtual void GetAccountLogin(CYolString& out, unsigned int account, bool withProtocol) = 0;
    virtual void GetAccountProtocolInfo(ProtocolRecord& out, unsigned int account) = 0;

    // --- account settings ------------------------------------------------------
    // Getters answer false, leaving the output untouched, when the account or
    // the key is missing or (typed getters) the value has another size.
    virtual bool GetAccountValueSize(unsigned int account, const CYolString& key, unsigned int& size) = 0;
    virtual bool GetAccountBlob(unsigned int account, const CYolString& key, void* buffer, unsigned int& size) = 0;
    virtual bool GetAccountString(unsigned int account, const CYolString& key, CYolString& value,
                                  bool isProtected) = 0;
    virtual bool GetAccountDword(unsigned int account, const CYolString& key, unsigned int& value) = 0;
    virtual bool GetAccountWord(unsigned int account, const CYolString& key, unsigned short& value) = 0;
    virtual bool GetAccountByte(unsigned int account, const CYolString& key, unsigned char& value) = 0;
    virtual bool GetAccountBool(unsigned int account, const CYolString& key, bool& value) = 0;
    // Setters never notify the account: send ReloadAccountSettings when it
    // must re-read. False when the account is unknown or the key unstorable.
    virtual bool SetAccountBlob(unsigned int account, const CYolString& key, const void* data,
                                const unsigned int& size) = 0;
    virtual bool SetAccountString(unsigned int account, const CYolString& key, const CYolString& value,
                                  bool isProtected) = 0;
    virtual bool SetAccountDword(unsigned int account, const CYolString& key, const unsigned int& value) = 0;
    virtual bool SetAccountWord(unsigned int account, const CYolString& key, const unsigned short& value) = 0;
    virtual bool SetAccountByte(unsigned int account, const CYolString& key, const unsigned char& value) = 0;
    virtual bool SetAccountBool(unsigned int account, const CYolString& key, const bool& value) = 0;

    // --- commands to one account -------------------------------------------------
    virtual bool SendContactIdList(unsigned int account, CYolArray<unsigned int>* ids) = 0;
    virtual bool GetContactStatus(unsigned int account, unsigned int contact, ContactStatusInfo* out) = 0;
    virtual bool SendMenu60(unsigned int account, CYolMenuInfo* menu) = 0;
    virtual bool SendMenu61(unsigned int account, unsigned int value, CYolMenuInfo* menu) = 0;
    virtual bool GetContactMenu(unsigned int account, unsigned int contact, CYolMenuInfo* menu) = 0;
    virtual bool GetContactQuickMenu(unsigned int account, unsigned int contact, CYolMenuInfo* menu) = 0;
    // To every account in table order; true when any answered 0.
    virtual bool BroadcastMenu64(CYolMenuInfo* menu) = 0;
    virtual bool AddGroup(unsigned int account, const CYolString& name) = 0;
    virtual bool RenameGroup(unsigned int account, unsigned int group, const CYolString& name) = 0;
    virtual bool DeleteGroup(unsigned int account, unsigned int group) = 0;
    virtual bool AddContact(unsigned int account, unsigned int group, const CYolString& login,
                            const CYolString& name) = 0;
    virtual bool RenameContact(unsigned int account, unsigned int contact, const CYolString& name) = 0;
    virtual bool MoveContact(unsigned int account, unsigned int contact, unsigned int group) = 0;
    virtual bool DeleteContact(unsigned int account, unsigned int contact) = 0;
    virtual bool SendContact80(unsigned int account, unsigned int contact) = 0;
    virtual bool RequestContactInfo(unsigned int account, unsigned int contact) = 0;
    // Unless silent, MessageSent is broadcast with a copy of the message.
    virtual bool SendMessage(unsigned int account, const MessageInfo& message, bool silent) = 0;
    virtual bool SendTyping(unsigned int account, unsigned int contact, bool typing) = 0;
    virtual bool SetAuthorization(unsigned int account, unsigned int contact, bool grant) = 0;
    virtual int CreateOwnDetailsPanes(unsigned int account, YolTabDlg::CDlgInfo* panes) = 0;
    virtual int CreateContactDetailsPanes(unsigned int account, unsigned int contact, YolTabDlg::CDlgInfo* panes) = 0;
    virtual int StartSearch(unsigned int account, int page) = 0;
    virtual int CreateSearchPanes(unsigned int account, YolTabDlg::CDlgInfo* panes) = 0;
    // Account 0 sets the global status: the connected accounts get it, or all
    // when none is connected; Offline always goes to every account.
    virtual int SetStatus(unsigned int account, Status status) = 0;
    // Account 0: the global status. An unknown account leaves out unchanged.
    virtual int GetStatus(unsigned int account, Status& out) = 0;
    // Account 0: the entry of the global status list.
    virtual int GetStatusInfo(unsigned int account, Status status, StatusInfo& out) = 0;
    // The account's "Logon date" as local time; 0 when stored, 1 when not.
    virtual int GetLogonDate(unsigned int account, CYolTime& out) = 0;
    // Account 0, kind 0: the global status menu.
    virtual int GetAccountMenu(unsigned int account, unsigned int kind, CYolMenuInfo* menu) = 0;
    virtual int CreateSettingsPanes(unsigned int account, YolTabDlg::CDlgInfo* panes) = 0;
    virtual int GetAccountObject(unsigned int account, void** out) = 0;
    virtual int AcceptFile(unsigned int account, unsigned int contact, const CYolString& fileName,
                           const CYolString& targetPath) = 0;
    virtual int SendFile(unsigned int account, unsigned int contact, const CYolString& path) = 0;
    virtual int RefuseFile(unsigned int account, unsigned int contact, const CYolString& fileName) = 0;

protected:
    // The manager is destroyed by the core, never through this interface.
    ~CProtocolsManager() = default;
};

}  // namespace Protocols
