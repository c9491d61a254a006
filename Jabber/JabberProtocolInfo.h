#pragma once
// The six flavours of XMPP account that the plug-in serves with one code
// base, and what tells them apart towards the program: the protocol
// descriptions of the plug-in export, the service each preset flavour talks
// to, the plug-in's fixed image table with each flavour's status images, the
// localized status lists and the two account menus.

#include "CProtocolsManager.h"
#include "CServicesManager.h"
#include "CYolArray.h"
#include "CYolMenuInfo.h"
#include "CYolString.h"
#include "ProtocolRecords.h"
#include "YOL_GUID.h"

#include <functional>

inline constexpr YOL_GUID JabberYandexProtocolGuid{0xE80A6482, 0x0D37, 0x420C, 0xBA, 0x47,
                                                   0x6E, 0x88, 0xB0, 0x05, 0xE1, 0xD1};
inline constexpr YOL_GUID JabberGoogleTalkProtocolGuid{0xF244A939, 0x6296, 0x4220, 0x9C, 0x0E,
                                                       0xC7, 0x3B, 0xA6, 0x93, 0xA8, 0x22};
inline constexpr YOL_GUID JabberLiveJournalProtocolGuid{0x4C563B29, 0x225C, 0x4342, 0xAA, 0x71,
                                                        0xDA, 0xB3, 0xF2, 0x12, 0x18, 0xD6};
inline constexpr YOL_GUID JabberVKontakteProtocolGuid{0x72A0A87C, 0xCEAF, 0x41D2, 0x94, 0x8F,
                                                      0xF2, 0x86, 0x63, 0x13, 0x9F, 0xFD};

// The account kind; fixed when the account is made.
enum JabberKind : int {
    JabberKindYol = 0,
    JabberKindXmpp = 1,
    JabberKindYandex = 2,
    JabberKindGoogleTalk = 3,
    JabberKindLiveJournal = 4,
    JabberKindVKontakte = 5,
};
inline constexpr int kJabberKindCount = 6;

struct JabberFlavour {
    const YOL_GUID* protocol;
    const char16_t* protocolName;    // what the account's GetProtocolName answers
    const char16_t* displayName;     // the name in the protocol description
    const char16_t* iconFile;        // the description's icon, in the plug-in's folder
    int firstStatusImage;            // index of the flavour's five status images in the image table
    const char16_t* domains[2];      // the service's login domains, the first is the default server
    const char16_t* connectionHost;  // where the service is reached; null: the server itself
    const char16_t* fileTransferProxy;  // default bytestream proxy; null: none
};

// The flavour of a kind; any kind outside 0-5 reads as plain XMPP.
const JabberFlavour& GetJabberFlavour(int kind);
// The kind serving a protocol GUID; every GUID that is not one of the five
// preset flavours (the OSCAR one included) makes a plain XMPP account.
int JabberKindOf(const YOL_GUID& protocol);

// The plug-in export's descriptions, appended in the program's listing order:
// the preset services first, plain XMPP last.
void GetJabberProtocols(Services::CServicesManager* manager, CYolArray<Protocols::ProtocolInfo>& out);

// --- image table ----------------------------------------------------------------

// Every image the plug-in registers with the skin service at start, in a
// fixed order: indexes into it name the images everywhere in the plug-in.
inline constexpr int kJabberImageCount = 86;

enum JabberImage : int {
    JabberImgStatusOffline = 0,  // + the flavour's first status image
    JabberImgStatusConnect = 1,
    JabberImgStatusOnline = 2,
    JabberImgStatusInvisibleForAll = 3,
    JabberImgStatusNotInList = 4,
    JabberImgInvisible = 5,  // overlays of the statuses 5-14 follow it: status + 1
    JabberImgConnect = 16,
    JabberImgAdvanced = 17,
    JabberImgMailbox = 18,
    JabberImgAuthRequired = 44,
    JabberImgAuthRequest = 45,
    JabberImgAuthAccept = 46,
    JabberImgAuthDecline = 47,
    JabberImgBalloon = 48,
    JabberImgXStatusMode = 49,
    JabberImgXStatusNone = 50,
    JabberImgXStatusFirst = 51,  // the extended-status icons, for ids 1 and up
};

// Extended-status ids with an icon: 1 to this many.
inline constexpr int kJabberXStatusCount = kJabberImageCount - JabberImgXStatusFirst;

// The file name of image `index` (relative to the skin folder); empty outside
// the table.
CYolString GetStatusImageName(int index);

// --- status list -------------------------------------------------------------------

// The kind's 15 status entries in status order, each with its localized name
// (`text` answers a string id) and its icon: the image ids at the table
// indexes of the status, taken from `imageIds` (the ids the skin service gave
// the table, by index; an index past its end takes the last id, an empty
// array gives no icons).
CYolArray<Protocols::StatusInfo> BuildJabberStatusList(int kind, const CYolArray<unsigned int>& imageIds,
                                                       const std::function<CYolString(int)>& text);

// --- account menus ---------------------------------------------------------------------

// The status menu: title, then every status but Connecting with its icon and
// name, grouped by separators; picking an item sets the account's status
// through the framework's status call-back (context = account id, command =
// the status). The item of `wantedStatus` is checked.
void FillJabberStatusMenu(CYolMenuInfo& menu, const CYolArray<Protocols::StatusInfo>& statuses,
                          const CYolString& title, unsigned int accountId, int wantedStatus);

// The mailbox menu: one item that opens the web mailbox through `open`
// (called with `context` and command 0).
void FillJabberMailboxMenu(CYolMenuInfo& menu, const CYolString& title, const CYolString& openInbox,
                           unsigned int mailboxImageId, YolMenuCallback open, unsigned int context);
