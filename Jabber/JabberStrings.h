#pragma once
// The XMPP plug-in's built-in English texts, by string id. A language pack
// ("Xmp_<Language>.so" in the plug-in's folder) translates the same ids; the
// plug-in's language controller falls back to this table for any id the pack
// does not know.

#include "CYolString.h"

// Ids other code of the plug-in asks for by name.
enum JabberStringId : int {
    JabberStrAtHome = 0,
    JabberStrAtWork = 1,
    JabberStrAway = 2,
    JabberStrConnection = 3,
    JabberStrDepression = 4,
    JabberStrDoNotDisturb = 5,
    JabberStrEvil = 6,
    JabberStrFreeForChat = 7,
    JabberStrInvisibleForAll = 8,
    JabberStrInvisible = 9,
    JabberStrLunch = 10,
    JabberStrNotAvailable = 11,
    JabberStrOccupied = 12,
    JabberStrOffline = 13,
    JabberStrOnline = 14,
    JabberStrAccount = 16,
    JabberStrExpert = 24,
    JabberStrAdvanced = 31,
    JabberStrRequestAuthorization = 35,
    JabberStrGrantAuthorization = 36,
    JabberStrRevokeAuthorization = 37,
    JabberStrFemale = 65,
    JabberStrMale = 66,
    JabberStrMailNotice = 76,
    JabberStrMailbox = 77,
    JabberStrOpenInbox = 78,
    JabberStrInvalidLogin = 79,
    JabberStrMessageTooLarge = 82,
    JabberStrUnknownMessageTooLarge = 83,
    JabberStrPortRange = 84,
};

// Ids 0 to kJabberStringCount - 1; a language pack of this plug-in has as
// many entries.
inline constexpr int kJabberStringCount = 85;

// The built-in text of `id` (the plug-in's language controller's default
// source). False, with `out` unchanged, for an id outside the table or one
// that no text of the plug-in uses.
bool JabberDefaultUiString(int id, CYolString& out);
