#pragma once
// The plain records that the program and the protocol plug-ins exchange,
// inside event arguments or through the out-pointers of account commands.
//
// Both sides are built from this header and each carries its own copy of the
// constructors, copies and destructors, so everything here is inline: the
// program only has the include path of this folder and never links the
// framework library. A record built on one side is read field by field on
// the other, so field order and types are the contract between separately
// built modules: change them only on both sides together.
//
// Copies are deep: the strings and arrays of a copy are its own (CYolString
// shares its buffer until a holder writes, which reads as a deep copy), and
// nested arrays are copied element by element.

#include "CYolArray.h"
#include "CYolString.h"
#include "CYolTime.h"
#include "YOL_GUID.h"

#include <cstdint>
#include <type_traits>

namespace Protocols {

// The statuses of every protocol, the same numbers everywhere. Values above
// Connecting count as connected; the program's string table names them under
// the same ids.
enum Status : int {
    Offline = 0,
    Connecting = 1,
    Online = 2,
    Invisible = 3,
    InvisibleForAll = 4,
    FreeForChat = 5,
    Evil = 6,
    Depression = 7,
    AtHome = 8,
    AtWork = 9,
    Lunch = 10,
    Away = 11,
    NotAvailable = 12,
    Occupied = 13,
    DoNotDisturb = 14,
};

inline constexpr int StatusCount = 15;

inline constexpr bool IsConnectedStatus(int status) { return status > Connecting; }

// One protocol (or service flavour) that a plug-in offers. The program keys
// protocols and accounts by `id`.
struct ProtocolInfo {
    YOL_GUID id{};
    CYolString iconFile;     // PNG in the plug-in's folder
    CYolString name;         // protocol family
    CYolString displayName;  // this flavour
    CYolString description;  // left empty by the plug-ins
    CYolString authors;
    CYolString pluginName;
    CYolArray<CYolString> loginSuffixes;  // "@domain" endings of this flavour's logins
    int imageId = -1;                     // the icon in the skin image store; -1 until registered

    ProtocolInfo() = default;
    ProtocolInfo(const ProtocolInfo&) = default;
    ProtocolInfo& operator=(const ProtocolInfo&) = default;
    ~ProtocolInfo() = default;
};

// The protocols manager's name for the same record.
using ProtocolRecord = ProtocolInfo;

// One entry of a status list: the status, its localized name and the image
// ids that make up its icon.
struct StatusInfo {
    Status status = Offline;
    CYolString name;
    CYolArray<unsigned int> icon;

    StatusInfo() = default;
    StatusInfo(Status s, const CYolString& text) : status(s), name(text) {}
};

// What an account reports for one contact. `icons` holds the status icon
// first and the extended-status icon second; `extraIcons` the icons shown
// beside the contact (client, missing authorization).
struct ContactStatusInfo {
    unsigned int status = Offline;
    CYolString text;
    CYolArray<CYolArray<unsigned int>> icons;
    CYolArray<CYolArray<unsigned int>> extraIcons;

    ContactStatusInfo() {
        icons.growStep = 1;
        extraIcons.growStep = 1;
    }
};

// One message in either direction. `kind` and `flags` are set by the sending
// side and read together.
struct MessageInfo {
    unsigned int metaContactId = 0;
    unsigned int contactId = 0;
    unsigned int messageId = 0;
    unsigned int kind = 0;
    int32_t flags = 0;
    CYolTime time;  // plain bytes: a copy carries them unchanged
    CYolString text;
    CYolString extra;
};

// One state report of a file transfer.
struct FTProgress {
    unsigned int contactId = 0;
    CYolString fileName;
    unsigned int state = 0;     // 1: a new transfer; else the transfer row's state
    unsigned int activate = 0;  // bring the transfers window forward
    unsigned int outgoing = 0;  // non-zero: the user sends the file
    unsigned int totalSize = 0;
    unsigned int doneSize = 0;
    unsigned int reserved = 0;  // carried, not interpreted
    CYolString text;            // carried, not interpreted
};

// A timed call-back of a plug-in. The call-back runs on the queue thread of
// the account that asked for it (never on the timer service's thread) and
// answers the milliseconds until it wants to run again, 0 to end the timer.
// Timers are matched by call-back and context together.
using TimerCallback = unsigned int (*)(void* context);

struct TimerInfo {
    TimerCallback callback = nullptr;
    void* context = nullptr;  // the plug-ins pass their account object

    bool operator==(const TimerInfo& other) const {
        return callback == other.callback && context == other.context;
    }
};

// The request to start a timer (second argument of AccountEvent::SetTimer),
// and also the argument of the fire event that the timer service posts back
// (TimerEvent::Fire, AccountEvents.h).
//
// How the timer service serves it:
//   - it keeps the request until `fireTime` (local time, whole seconds) has
//     come, then forgets it and posts TimerEvent::Fire on TimerServiceGuid to
//     the events client `clientId`, with a copy of the request as the first
//     argument: the call-back then runs on that client's queue thread;
//   - it never calls `info.callback` itself; a call-back that wants to run
//     again arrives as a fresh request;
//   - KillTimer removes the first kept request whose call-back and context
//     equal its argument's; KillTimer without a second argument (account
//     deletion) removes every request of that account.
// `requestId` is the account's own number for the request; the fire event
// carries it back so that an account can tell a fire it still wants from one
// that was already under way when it stopped the timer.
struct TimerRequest {
    CYolTime fireTime;
    TimerInfo info;
    unsigned int clientId = 0;
    unsigned int requestId = 0;
};

static_assert(std::is_trivially_copyable_v<TimerInfo>);
static_assert(std::is_trivially_copyable_v<TimerRequest>, "timer requests travel as plain bytes");

// One set of user details, or one search result. A record whose contactId is
// 0 ends a search.
struct UserInfo {
    unsigned int contactId = 0;
    CYolArray<unsigned int> imageIds;
    CYolString login;
    CYolString nick;
    CYolString firstName;
    CYolString lastName;
    CYolString email;
    uint8_t gender = 0;  // 0 none, 1 female, 2 male
    uint16_t age = 0;    // shown when 1 to 999
};

// A notification for the program to show; the receiver localizes the text.
struct NotificationInfo {
    CYolString title;
    CYolFormatString text;

    NotificationInfo() = default;
    NotificationInfo(const CYolString& t, const CYolFormatString& body) : title(t), text(body) {}
};

// Second argument of AccountEvent::SetStatusIcon: which status-bar icon and
// its new image ids.
struct StatusIconInfo {
    int index = 0;
    CYolArray<unsigned int> icon;
};

// A contact-list item as an account matches it against the server's list:
// the item id, its parent item id and its key (a login or a group name).
struct CLItemRef {
    unsigned int id = 0;
    unsigned int parentId = 0;
    CYolString key;
};

}  // namespace Protocols
