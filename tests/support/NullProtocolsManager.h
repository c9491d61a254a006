#pragma once
// A protocols manager that knows no protocol and no account and does
// nothing: every request answers that it did nothing (0, false, an empty
// record; a logon date is never stored). The doubles of the tests derive from
// it and override only what their code under test asks. Needs nothing of
// GoogleTest, so benchmarks use it too.

#include "CProtocolsManager.h"

namespace YolTest {

class NullProtocolsManager : public Protocols::CProtocolsManager {
public:
    using ContactStatusInfo = Protocols::ContactStatusInfo;
    using MessageInfo = Protocols::MessageInfo;
    using ProtocolEntry = Protocols::ProtocolEntry;
    using ProtocolRecord = Protocols::ProtocolRecord;
    using Status = Protocols::Status;
    using StatusInfo = Protocols::StatusInfo;

    int DiscoverProtocols() override { return 0; }
    int GetProtocolCount() override { return 0; }
    const ProtocolEntry* FindProtocol(const YOL_GUID&) override { return nullptr; }
    void GetProtocolInfo(ProtocolRecord&, int) override {}
    unsigned int GetBaseAccount() override { return 0; }
    void SetBaseAccountLogin(const CYolString&, const CYolString&) override {}
    void ResetAccounts() override {}
    unsigned int GetXStatusId() override { return 0; }
    void SetXStatus(unsigned int, const CYolString&, const CYolString&) override {}
    void GetXStatusText(unsigned int, CYolString&, CYolString&) override {}
    unsigned int AddAccount(const YOL_GUID&) override { return 0; }
    int DeleteAccount(unsigned int) override { return 0; }
    int ReloadAccountSettings(unsigned int) override { return 0; }
    int SendNotify84(unsigned int, unsigned int) override { return 0; }
    int SendStringList(unsigned int, CYolArray<CYolString>) override { return 0; }
    int GetAccountCount() override { return 0; }
    int NotifyAccountChanged(unsigned int, unsigned int) override { return 0; }
    unsigned int GetAccountId(unsigned int) override { return 0; }
    void GetAccountLogin(CYolString&, unsigned int, bool) override {}
    void GetAccountProtocolInfo(ProtocolRecord&, unsigned int) override {}

    bool GetAccountValueSize(unsigned int, const CYolString&, unsigned int&) override { return false; }
    bool GetAccountBlob(unsigned int, const CYolString&, void*, unsigned int&) override { return false; }
    bool GetAccountString(unsigned int, const CYolString&, CYolString&, bool) override { return false; }
    bool GetAccountDword(unsigned int, const CYolString&, unsigned int&) override { return false; }
    bool GetAccountWord(unsigned int, const CYolString&, unsigned short&) override { return false; }
    bool GetAccountByte(unsigned int, const CYolString&, unsigned char&) override { return false; }
    bool GetAccountBool(unsigned int, const CYolString&, bool&) override { return false; }
    bool SetAccountBlob(unsigned int, const CYolString&, const void*, const unsigned int&) override { return false; }
    bool SetAccountString(unsigned int, const CYolString&, const CYolString&, bool) override { return false; }
    bool SetAccountDword(unsigned int, const CYolString&, const unsigned int&) override { return false; }
    bool SetAccountWord(unsigned int, const CYolString&, const unsigned short&) override { return false; }
    bool SetAccountByte(unsigned int, const CYolString&, const unsigned char&) override { return false; }
    bool SetAccountBool(unsigned int, const CYolString&, const bool&) override { return false; }

    bool SendContactIdList(unsigned int, CYolArray<unsigned int>*) override { return false; }
    bool GetContactStatus(unsigned int, unsigned int, ContactStatusInfo*) override { return false; }
    bool SendMenu60(unsigned int, CYolMenuInfo*) override { return false; }
    bool SendMenu61(unsigned int, unsigned int, CYolMenuInfo*) override { return false; }
    bool GetContactMenu(unsigned int, unsigned int, CYolMenuInfo*) override { return false; }
    bool GetContactQuickMenu(unsigned int, unsigned int, CYolMenuInfo*) override { return false; }
    bool BroadcastMenu64(CYolMenuInfo*) override { return false; }
    bool AddGroup(unsigned int, const CYolString&) override { return false; }
    bool RenameGroup(unsigned int, unsigned int, const CYolString&) override { return false; }
    bool DeleteGroup(unsigned int, unsigned int) override { return false; }
    bool AddContact(unsigned int, unsigned int, const CYolString&, const CYolString&) override { return false; }
    bool RenameContact(unsigned int, unsigned int, const CYolString&) override { return false; }
    bool MoveContact(unsigned int, unsigned int, unsigned int) override { return false; }
    bool DeleteContact(unsigned int, unsigned int) override { return false; }
    bool SendContact80(unsigned int, unsigned int) override { return false; }
    bool RequestContactInfo(unsigned int, unsigned int) override { return false; }
    bool SendMessage(unsigned int, const MessageInfo&, bool) override { return false; }
    bool SendTyping(unsigned int, unsigned int, bool) override { return false; }
    bool SetAuthorization(unsigned int, unsigned int, bool) override { return false; }
    int CreateOwnDetailsPanes(unsigned int, YolTabDlg::CDlgInfo*) override { return 0; }
    int CreateContactDetailsPanes(unsigned int, unsigned int, YolTabDlg::CDlgInfo*) override { return 0; }
    int StartSearch(unsigned int, int) override { return 0; }
    int CreateSearchPanes(unsigned int, YolTabDlg::CDlgInfo*) override { return 0; }
    int SetStatus(unsigned int, Status) override { return 0; }
    int GetStatus(unsigned int, Status&) override { return 0; }
    int GetStatusInfo(unsigned int, Status, StatusInfo&) override { return 0; }
    int GetLogonDate(unsigned int, CYolTime&) override { return 1; }
    int GetAccountMenu(unsigned int, unsigned int, CYolMenuInfo*) override { return 0; }
    int CreateSettingsPanes(unsigned int, YolTabDlg::CDlgInfo*) override { return 0; }
    int GetAccountObject(unsigned int, void**) override { return 0; }
    int AcceptFile(unsigned int, unsigned int, const CYolString&, const CYolString&) override { return 0; }
    int SendFile(unsigned int, unsigned int, const CYolString&) override { return 0; }
    int RefuseFile(unsigned int, unsigned int, const CYolString&) override { return 0; }

protected:
    ~NullProtocolsManager() = default;
};

}  // namespace YolTest
