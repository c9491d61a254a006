#pragma once
// Protocols::CAccount: the base of every account object of a protocol
// plug-in, and the whole contract between the program and an account. The
// account is an events client of the services manager; the program never
// calls it directly. The protocols manager sends AccountCommand events on
// ProtocolsManagerGuid, the sockets service SocketEvent events on
// SocketsManagerGuid, the timer service TimerEvent::Fire on TimerServiceGuid;
// OnEvent unpacks their arguments and calls the operations below. A protocol
// class overrides the operations it supports; the others answer 0.
//
// Threads: OnEvent, and so every operation, runs on the account's own queue
// thread (or nested on it for a synchronous send made from that thread), one
// event at a time. Everything an account owns (sockets, counters, pending
// tables, its timers) is touched only there; threads of a protocol class talk
// to the account by posting events to it (PostToSelf).
//
// Lifetime: the registry (CAccountRegistry.h) creates accounts and destroys
// them with Destroy(), which unregisters the events client first: that drops
// the queued events and waits for a running handler, so no event reaches a
// half-destroyed account. The destructor of a protocol class may then stop
// its own threads and free its state without racing the queue.
//
// Arguments an account sends out are made by the program's factory
// (CEventArgFactory.h); use the New...EventArg helpers, never new one.

#include "AccountEvents.h"
#include "CEventArg.h"
#include "CEventArgFactory.h"
#include "CEventsClient.h"
#include "CServicesManager.h"
#include "CYolArray.h"
#include "CYolString.h"
#include "ProtocolRecords.h"
#include "YOL_GUID.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

class CYolMenuInfo;
namespace YolTabDlg {
class CDlgInfo;
}
namespace Sockets {
class CYolSocket;
}

namespace Protocols {

class CAccount : public Services::CEventsClient {
public:
    // Registers the account as an events client (under the base class's own,
    // empty, protocol name: a protocol class's override is not reachable
    // from here) and keeps the key in clientId.
    CAccount(Services::CServicesManager* servicesManager, unsigned int accountId, unsigned int managerClientId);
    CAccount(const CAccount&) = delete;
    CAccount& operator=(const CAccount&) = delete;
    // Unregisters when Destroy has not already done so. That is late for a
    // protocol class (its part is gone by then): destroy accounts through
    // Destroy.
    virtual ~CAccount();

    // Stops event delivery, then deletes the account. Called from inside the
    // account's own handler (its thread cannot wait for itself) it stops the
    // events at once and deletes the account when that handler returns.
    void Destroy();

    // Unregisters the events client: when it returns, queued events have
    // been dropped and no handler of this account runs or will run.
    void StopEvents();

    // A page of the account shown in one of the program's dialogs keeps the
    // account object alive: Destroy while a page holds it only stops the
    // events, and the last page to let go deletes the account. The page's
    // own code stays mapped meanwhile, because the dialog showing it holds
    // the library (see CAccountSetsPan.h). Any thread.
    void HoldForPane();
    void ReleasePane();
    int PaneHolds() const;

    // The only entry of the program into an account.
    int OnEvent(const YOL_GUID& channel, int event, Services::CEventArg* first, Services::CEventArg* second) final;

    // True on the thread that runs this account's handlers, while one runs.
    bool IsOnAccountThread() const { return handlerDepth > 0 && handlerThread == std::this_thread::get_id(); }

    unsigned int GetAccountId() const { return accountId; }
    unsigned int GetClientId() const { return clientId; }
    unsigned int GetManagerClientId() const { return managerClientId; }
    Services::CServicesManager* GetServicesManager() const { return servicesManager; }
    const YOL_GUID& GetProtocolId() const { return protocolId; }
    // The channel of the account's events to the manager; the registry sets
    // it from the protocol the account was created for.
    void SetProtocolId(const YOL_GUID& id) { protocolId = id; }

    virtual CYolString GetProtocolName();

    // Outgoing arguments, made by the program's factory; null when there is
    // no factory or the argument cannot be made. Each is handed over whole to
    // the send that takes it.
    Services::CEventArg* NewUIntEventArg(unsigned int value) const;
    Services::CEventArg* NewIntEventArg(int value) const;
    Services::CEventArg* NewBoolEventArg(bool value) const;
    Services::CEventArg* NewStatusEventArg(Status value) const;
    Services::CEventArg* NewStringEventArg(const CYolString& value) const;
    Services::CEventArg* NewUIntArrayEventArg(const CYolArray<unsigned int>& value) const;
    Services::CEventArg* NewStatusInfoEventArg(const StatusInfo& value) const;
    Services::CEventArg* NewStatusIconEventArg(const StatusIconInfo& value) const;
    Services::CEventArg* NewUserInfoEventArg(const UserInfo& value) const;
    Services::CEventArg* NewNotificationInfoEventArg(const NotificationInfo& value) const;
    Services::CEventArg* NewFTProgressEventArg(const FTProgress& value) const;
    Services::CEventArg* NewTimerInfoEventArg(const TimerInfo& value) const;
    Services::CEventArg* NewTimerRequestEventArg(const TimerRequest& value) const;

    // Posts an AccountEvent to the protocols manager on the protocol's
    // channel, with a new account-id argument first. Takes `second` in every
    // case (it is freed when nothing could be sent). The services manager's
    // result: 1 when queued, 0 or negative when not.
    int SendAccountEvent(int event, Services::CEventArg* second = nullptr);

    // The account's login changed: every group and contact the contact list
    // holds for it now goes, and nothing the account adds from here on does,
    // even when the new login's list arrives before the removal is carried
    // out. Retires the items in the contact list at once and posts
    // ClearContacts with the clear's generation. Any thread. The result of
    // SendAccountEvent.
    int RaiseClearContacts();

    // A message of the user that did not reach the network (the connection
    // was down or went down, or the contact cannot be written to): the
    // contact list hands the whole record back to the message windows and
    // the history, so that the text can be sent again. Whatever a protocol
    // class does not write to its connection it reports here; a message is
    // never dropped without a word.
    void ReportMessageNotSent(const MessageInfo& message) const;

    // Posts an event to the account's own queue (another thread of the
    // protocol class asking for work on the account's thread). Takes both
    // arguments.
    int PostToSelf(const YOL_GUID& channel, int event, Services::CEventArg* first = nullptr,
                   Services::CEventArg* second = nullptr);

    // Timers, on the account's own thread only (elsewhere they refuse and
    // answer false). StartTimer asks the program
    // to run callback(context) on this account's queue thread after `delayMs`
    // (whole seconds, rounded up); an answer other than 0 starts it again
    // with that many milliseconds. A call-back and context pair has at most
    // one timer: starting it again replaces it. StopTimer removes it; a fire
    // already under way when it was stopped is ignored. Both answer whether
    // the request went out (StopTimer: whether the timer was running).
    bool StartTimer(unsigned int delayMs, TimerCallback callback, void* context);
    bool StopTimer(TimerCallback callback, void* context);
    bool IsTimerRunning(TimerCallback callback, void* context) const;

    // Milliseconds a protocol class waits before its automatic reconnection
    // posts SetStatus to the account itself.
    static constexpr unsigned int DefaultReconnectDelay = 15000;

protected:
    virtual int OnInit();
    virtual int OnReady();
    virtual int OnShutdown();
    virtual int GetLogin(CYolString* out);
    virtual int SetStatus(Status status);
    virtual int GetStatus();
    virtual int GetStatusInfo(Status status, StatusInfo* out);
    virtual int GetAccountMenu(unsigned int kind, CYolMenuInfo* menu);
    virtual int GetContactStatus(unsigned int contact, ContactStatusInfo* out);
    virtual int CreateSettingsPanes(YolTabDlg::CDlgInfo* panes);
    virtual int OnMenu60(CYolMenuInfo* menu);
    virtual int OnMenu61(unsigned int value, CYolMenuInfo* menu);
    virtual int GetContactMenu(unsigned int contact, CYolMenuInfo* menu);
    virtual int GetContactQuickMenu(unsigned int contact, CYolMenuInfo* menu);
    virtual int AddGroup(const CYolString& name);
    virtual int RenameGroup(unsigned int group, const CYolString& name);
    virtual int DeleteGroup(unsigned int group);
    virtual int AddContact(const CYolString& login, const CYolString& name, unsigned int group);
    virtual int RenameContact(unsigned int contact, const CYolString& name);
    virtual int MoveContact(unsigned int contact, unsigned int group);
    virtual int DeleteContact(unsigned int contact);
    virtual int RequestContactInfo(unsigned int contact);
    virtual int SendMessage(MessageInfo message);
    virtual int CreateOwnDetailsPanes(YolTabDlg::CDlgInfo* panes);
    virtual int CreateContactDetailsPanes(unsigned int contact, YolTabDlg::CDlgInfo* panes);
    virtual int SetLanguage(const CYolString& language);
    virtual int CreateSearchPanes(YolTabDlg::CDlgInfo* panes);
    virtual int StartSearch(int page);
    virtual int OnContact80(unsigned int contact);
    virtual int SendTyping(unsigned int contact, bool typing);
    virtual int SetAuthorization(unsigned int contact, bool grant);
    virtual int SetXStatus(unsigned int id, const CYolString& title, const CYolString& description);
    virtual int OnContact82(unsigned int contact, bool value);
    virtual int OnNotify84(unsigned int value);
    virtual int SetStringList(CYolArray<CYolString> list);
    virtual int ReloadSettings();
    virtual int AcceptFile(unsigned int contact, CYolString fileName, CYolString targetPath);
    virtual int SendFile(unsigned int contact, CYolString path);
    virtual int RefuseFile(unsigned int contact, CYolString fileName);
    virtual int OnSocketConnected(Sockets::CYolSocket* socket, int code);
    virtual int OnSocketData(Sockets::CYolSocket* socket, int byteCount);
    virtual int OnSocketSendError(Sockets::CYolSocket* socket, int code);
    virtual int OnSocketClosed(Sockets::CYolSocket* socket, int code);
    virtual int OnSocketProgress(Sockets::CYolSocket* socket, const CYolString& text);
    virtual int OnSocketError(Sockets::CYolSocket* socket, const CYolString& text);
    virtual int OnOtherEvent(const YOL_GUID& channel, int event, Services::CEventArg* first,
                             Services::CEventArg* second);

    Services::CServicesManager* servicesManager;
    unsigned int accountId;
    unsigned int managerClientId;
    unsigned int clientId = 0;
    unsigned int reconnectDelay = DefaultReconnectDelay;
    YOL_GUID protocolId{};
    CEventArgFactory* argFactory = nullptr;

private:
    struct Dispatch;
    friend struct Dispatch;

    int Handle(const YOL_GUID& channel, int event, Services::CEventArg* first, Services::CEventArg* second);
    // Deletes the account now, or leaves it to the last page that holds it.
    void DeleteUnlessHeld();
    int OnTimerFire(const TimerRequest& request);

    std::atomic<bool> registered{false};
    // Set by the handler on entry; nested synchronous sends on the same
    // thread only deepen it.
    std::atomic<std::thread::id> handlerThread{};
    std::atomic<int> handlerDepth{0};
    bool destroyWhenIdle = false;
    mutable std::mutex paneLock;
    int paneHolds = 0;
    bool destroyWhenReleased = false;
    // Timers this account asked for and has not seen fire or stopped.
    std::vector<TimerRequest> timers;
    unsigned int nextTimerRequest = 1;
};

}  // namespace Protocols
