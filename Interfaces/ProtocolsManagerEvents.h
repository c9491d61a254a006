#pragma once
// The protocols manager's own event numbers on ProtocolsManagerGuid: the
// broadcasts its subscribers (application, contact-list model, timer service)
// receive, and the requests it posts to itself. "a"/"b" are the first and
// second argument, each a Services::CEventArg_Data<T> of the type named.

namespace Protocols {

// Broadcasts, registered in the order 1 to 22, 84, 85, 23. Posted, except
// the three noted as synchronous.
namespace ProtocolsManagerEvent {
enum : int {
    AccountsLoaded = 1,         // -, -
    StatusList = 2,             // a CYolString* global status title, b CYolArray<Protocols::StatusInfo>*,
                                //   both filled in place by the subscribers
    AccountAdded = 3,           // a unsigned int account id, -
    AccountRemoved = 4,         // a unsigned int account id, -   (synchronous, before the account is deleted)
    AccountChanged = 5,         // a unsigned int account id, b unsigned int new index
    ClearContacts = 6,          // as AccountEvent::ClearContacts
    StatusChanged = 7,          // a int account id (0: the global status), b Protocols::StatusInfo
    MessageSent = 8,            // a unsigned int account id, b Protocols::MessageInfo
    OwnDetailsReady = 9,        // as AccountEvent::OwnDetailsReady
    ContactDetailsReady = 10,   // as AccountEvent::ContactDetailsReady
    SearchResult = 11,          // as AccountEvent::SearchResult
    AddStatusIcon = 12,         // as AccountEvent::AddStatusIcon
    SetStatusIcon = 13,         // as AccountEvent::SetStatusIcon
    RemoveStatusIcon = 14,      // as AccountEvent::RemoveStatusIcon
    ShowText = 15,              // as AccountEvent::ShowText
    Notification = 16,          // as AccountEvent::Notification
    SetTimer = 17,              // a unsigned int account id, b Protocols::TimerRequest
    KillTimer = 18,             // a unsigned int account id, b Protocols::TimerInfo; b - at account deletion
                                //   (synchronous): every timer of the account
    OpenUrl = 19,               // a unsigned int account id, b CYolString URL
    BaseAccountPrompt = 20,     // a CYolString login, b CYolString password
    AccountsLoading = 21,       // -, -
    MetacontactsLoading = 22,   // -, -
    FileTransferProgress = 23,  // a unsigned int account id, b Protocols::FTProgress
    Event84 = 84,               // -, -   (registered, never sent)
    Event85 = 85,               // -, -   (registered, never sent)
};
}  // namespace ProtocolsManagerEvent

// Requests the manager posts to its own events client.
namespace ProtocolsManagerRequest {
enum : int {
    ComputeGlobalStatus = 161,  // a unsigned int account id, b Protocols::StatusInfo
    DeleteAccount = 163,        // a unsigned int account id, b unsigned int flags: bit 0 broadcast AccountRemoved
                                //   first, bit 1 save the account list to the server afterwards
    UnloadPluginDll = 164,      // a CYolDll, -
    AskBaseAccount = 166,       // a bool again, -
    SetBaseAccountLogin = 167,  // a CYolString login, b CYolString password
    SaveAccounts = 168,         // -, -: write "Accounts data" once for a burst of changes
    BuildServerAccountList = 169,  // -, -: write "Accounts data" and the account list to the server store
};
}  // namespace ProtocolsManagerRequest

}  // namespace Protocols
