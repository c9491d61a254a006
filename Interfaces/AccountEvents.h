#pragma once
// The numbered events between the program and the accounts of the protocol
// plug-ins. "a" is the event's first argument, "b" its second; every argument
// is a Services::CEventArg_Data<T> of the type named, and "-" means none.
// Senders must give every argument a row names: the account's dispatcher
// reads them without testing for null.

#include "CSocketsManager.h"
#include "YOL_GUID.h"

namespace Protocols {

// Commands of the protocols manager to one account: channel
// ProtocolsManagerGuid, receiver the account's events-client key. Numbers
// without a name (79, 90-95) and those marked "no operation" are answered 0.
namespace AccountCommand {
enum : int {
    Init = 49,                       // -, -
    Ready = 50,                      // -, -
    Shutdown = 51,                   // -, -   (sent and waited for before the account is destroyed)
    GetLogin = 52,                   // a CYolString* out, -
    SetStatus = 53,                  // a Protocols::Status, -
    GetStatus = 54,                  // -, -   (the result is the status)
    GetStatusInfo = 55,              // a Protocols::Status, b Protocols::StatusInfo* out
    GetAccountMenu = 56,             // a CYolMenuInfo*, b unsigned int kind (0 status menu, 1 extra menu)
    ContactIdList = 57,              // a CYolArray<unsigned int>*, -   (no operation)
    GetContactStatus = 58,           // a unsigned int contact, b Protocols::ContactStatusInfo* out
    CreateSettingsPanes = 59,        // a YolTabDlg::CDlgInfo*, -
    Menu60 = 60,                     // -, b CYolMenuInfo*
    Menu61 = 61,                     // a unsigned int, b CYolMenuInfo*
    GetContactMenu = 62,             // a unsigned int contact, b CYolMenuInfo*
    GetContactQuickMenu = 63,        // a unsigned int contact, b CYolMenuInfo*
    Menu64 = 64,                     // a unsigned int account id, b CYolMenuInfo*   (no operation)
    AddGroup = 65,                   // a CYolString name, -
    RenameGroup = 66,                // a unsigned int group, b CYolString name
    DeleteGroup = 67,                // a unsigned int group, -
    AddContact = 68,                 // a CYolPair<CYolString, CYolString> (login, name), b unsigned int group
    RenameContact = 69,              // a unsigned int contact, b CYolString name
    MoveContact = 70,                // a unsigned int contact, b unsigned int group
    DeleteContact = 71,              // a unsigned int contact, -
    RequestContactInfo = 72,         // a unsigned int contact, -
    SendMessage = 73,                // a Protocols::MessageInfo, -
    CreateOwnDetailsPanes = 74,      // a YolTabDlg::CDlgInfo*, -
    CreateContactDetailsPanes = 75,  // a unsigned int contact, b YolTabDlg::CDlgInfo*
    SetLanguage = 76,                // a CYolString language name, -
    StartSearch = 77,                // a unsigned int search page, -
    CreateSearchPanes = 78,          // -, b YolTabDlg::CDlgInfo*
    Contact80 = 80,                  // a unsigned int contact, -
    SendTyping = 81,                 // a unsigned int contact, b bool typing
    Contact82 = 82,                  // a unsigned int, b bool
    GetAccountObject = 83,           // a void** out (receives the account's address), -
    Notify84 = 84,                   // a unsigned int value, -
    StringList = 85,                 // a CYolArray<CYolString>, -
    ReloadSettings = 86,             // -, -
    SetAuthorization = 87,           // a unsigned int contact, b bool grant
    SetXStatus = 88,                 // a unsigned int x-status id, b CYolPair<CYolString, CYolString>
                                     //   (title, description)
    SendFile = 89,                   // a unsigned int contact, b CYolString path
    AcceptFile = 96,                 // a unsigned int contact, b CYolPair<CYolString, CYolString>
                                     //   (file name, target path)
    RefuseFile = 97,                 // a unsigned int contact, b CYolString file name
};
inline constexpr int First = Init;
inline constexpr int Last = RefuseFile;
}  // namespace AccountCommand

// What an account reports to the protocols manager: channel = the account's
// protocol GUID, receiver = the manager's events-client key, a always a
// CEventArg_Data<unsigned int> holding the account id. All are posted.
// Numbers 110-112 are not used.
namespace AccountEvent {
enum : int {
    ClearContacts = 97,          // a account id, b unsigned int clear generation (or none: everything)
    StatusChanged = 98,          // a account id, b Protocols::StatusInfo
    OwnDetailsReady = 99,        // a account id, b Protocols::UserInfo (or none)
    ContactDetailsReady = 100,   // a account id, b Protocols::UserInfo (or unsigned int contact item id)
    ShowText = 101,              // a account id, b CYolString
    Notification = 102,          // a account id, b Protocols::NotificationInfo
    SearchResult = 103,          // a account id, b Protocols::UserInfo (none: the search has ended)
    AddStatusIcon = 104,         // a account id, b CYolArray<unsigned int> image ids
    SetStatusIcon = 105,         // a account id, b Protocols::StatusIconInfo {index, image ids}
    RemoveStatusIcon = 106,      // a account id, b int icon index
    SetTimer = 107,              // a account id, b Protocols::TimerRequest
    KillTimer = 108,             // a account id, b Protocols::TimerInfo
    OpenUrl = 109,               // a account id, b CYolString URL
    FileTransferProgress = 113,  // a account id, b Protocols::FTProgress
};
inline constexpr int First = ClearContacts;
inline constexpr int Last = FileTransferProgress;
}  // namespace AccountEvent

// Events of the sockets service to a socket's owner: channel
// SocketsManagerGuid, a always a CEventArg_Data<Sockets::CYolSocket*>; the
// numbers are the sockets service's own (CSocketsManager.h):
//   ConnectResult = 2   b int: 0 connected, else the failing step's code
//   Closed = 3          b int: 0 closed by the peer or by Close, else the error
//   DataAvailable = 4   b int: bytes of the chunk just queued
//   SendError = 5       b int: after every Send, 0 or the socket error
//   Progress = 8        b CYolString: a connect step begins
//   Error = 9           b CYolString: a connect step failed
// Numbers 1 (the traffic broadcast), 6 and 7 never reach an account's
// operations.
namespace SocketEvent = Sockets::SocketEvent;

// The timer service's channel: the fire events of timers that accounts asked
// for with AccountEvent::SetTimer arrive on it (see Protocols::TimerRequest).
inline constexpr YOL_GUID TimerServiceGuid{0x6F1C2A4E, 0x3B7D, 0x4E21, 0x9A, 0x5C, 0x1D, 0x83, 0xE2, 0x47, 0xB0, 0x6A};

namespace TimerEvent {
enum : int {
    Fire = 1,  // a Protocols::TimerRequest (the one that came due), -
};
}  // namespace TimerEvent

}  // namespace Protocols
