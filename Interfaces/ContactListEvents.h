#pragma once
// The contact-list model's event numbers on ContactListGuid: the broadcasts
// its subscribers (the window, the message windows) receive, and the
// requests the model posts to its own events client ("CL") so that removals,
// moves and message deliveries run on the model's queue thread. "a"/"b" are
// the first and second argument, each a Services::CEventArg_Data<T> of the
// type named; "-" means no argument.

namespace CL {

// Broadcasts, registered in the order 1 to 22. Posted, except the three
// noted as synchronous, which are sent with the model's lock released so
// that a subscriber may call back into the model while it handles them.
namespace ContactListEvent {
enum : int {
    ContactListReady = 1,           // -, -
    FillStatusList = 2,             // a CYolArray<Protocols::StatusInfo>*, filled in place by a subscriber
    UpdateBegin = 3,                // -, -   (outermost BeginUpdate)
    UpdateEnd = 4,                  // -, -   (outermost EndUpdate)
    GroupAdded = 5,                 // a unsigned int group id, -
    GroupRemoved = 6,               // a unsigned int group id, -   (synchronous)
    GroupChanged = 7,               // a unsigned int group id, -
    ContactAdded = 8,               // a unsigned int contact id,
                                    // b CYolPair<unsigned int, Protocols::ContactStatusInfo> (group id, status)
    ContactRemoved = 9,             // a unsigned int contact id, b unsigned int group id, or - when the contact
                                    //   goes with its group or moves out of no group   (synchronous)
    ContactStatusChanged = 10,      // a unsigned int contact id, b Protocols::ContactStatusInfo
    ContactChanged = 11,            // a unsigned int contact id, -
    MessageReceived = 12,           // a unsigned int contact id, b Protocols::MessageInfo (metaContactId set)
    MessageAcknowledged = 13,       // a unsigned int contact id, b unsigned int message id
    ContactTyping = 14,             // a unsigned int contact id, b bool typing flag as the plug-in gave it
    MetaGroupAdded = 15,            // a unsigned int meta group id, -
    MetaGroupChanged = 16,          // a unsigned int meta group id, -
    MetaGroupRemoved = 17,          // a unsigned int meta group id, -
    MetaContactAdded = 18,          // a unsigned int meta contact id,
                                    // b CYolPair<unsigned int, Protocols::ContactStatusInfo> (meta group id, merged status)
    MetaContactRemoved = 19,        // a unsigned int meta contact id, b unsigned int meta group id   (synchronous)
    MetaContactStatusChanged = 20,  // a unsigned int meta contact id, b Protocols::ContactStatusInfo (merged)
    MetaContactChanged = 21,        // a unsigned int meta contact id, -
    MessageNotSent = 22,            // a unsigned int contact id, b Protocols::MessageInfo (metaContactId set):
                                    //   a message the user sent never reached the network; the text
                                    //   travels back so that the user can send it again
};
inline constexpr int First = ContactListReady;
inline constexpr int Last = MessageNotSent;
}  // namespace ContactListEvent

// Requests the model posts to its own events client, never waiting; carried
// out one at a time in posting order on the model's queue thread.
namespace ContactListRequest {
enum : int {
    ReceiveMessage = 161,            // a unsigned int contact id, b Protocols::MessageInfo
    MessageAck = 162,                // a unsigned int contact id, b unsigned int message id
    Typing = 163,                    // a unsigned int contact id, b unsigned int typing flag
    RemoveGroup = 164,               // a unsigned int group id, -
    RemoveContact = 165,             // a unsigned int contact id, -
    MoveContact = 166,               // a unsigned int contact id, b unsigned int group id
    RemoveMetaGroup = 167,           // a unsigned int meta group id, -
    RemoveMetaContact = 168,         // a unsigned int meta contact id, -
    MoveMetaContact = 169,           // a unsigned int meta contact id, b unsigned int meta group id
    MoveContactToMetaContact = 170,  // a unsigned int contact id, b unsigned int meta contact or meta group id
    ClearMetaContacts = 171,         // a bool (true: with events and server-store changes), -
    MessageNotSent = 173,            // a unsigned int contact id, b Protocols::MessageInfo   (172 is the
                                     //   model's own kSaveCachesRequest)
};
}  // namespace ContactListRequest

}  // namespace CL
