#pragma once
// What the accounts of the XMPP plug-in share: the language controller, the
// ids of the plug-in's registered images and the status list of each
// flavour. The first account to start sets them up, the last one to shut
// down releases them.

#include "CServicesManager.h"
#include "CYolArray.h"
#include "CYolString.h"
#include "ProtocolRecords.h"
#include "YOL_GUID.h"

namespace Protocols {
class CAccount;
}

namespace JabberPlugin {

// The text of `id` in the plug-in's current language (the built-in English
// text without a controller).
CYolString UiString(int id);

// Joins an account: the first one creates the language controller and
// registers the images through the skin service. Answers how many accounts
// are joined now.
int Join(Services::CServicesManager* manager);
// Leaves; the last account releases the images (last first), the status
// lists and the language controller. Answers how many accounts remain.
int Leave(Services::CServicesManager* manager);
int AccountCount();

// The ids the skin service gave the image table, by index.
CYolArray<unsigned int> ImageIds();
// The id of image `index`; an index past the end gives the last one, an
// empty table 0.
unsigned int ImageId(int index);

// Switches the plug-in's language (one for all accounts); every open page
// and dialog of the plug-in then takes its texts again.
void ChangeLanguage(const CYolString& language);

// A copy of a flavour's status list, built on first use.
CYolArray<Protocols::StatusInfo> StatusList(int kind);
// Rebuilds a flavour's status list in the current language.
void RebuildStatusList(int kind);
// The entry of `status` in a flavour's list; false when it has none.
bool FindStatus(int kind, int status, Protocols::StatusInfo& out);

// The account for `protocol` (any GUID: unknown ones give plain XMPP).
Protocols::CAccount* NewAccount(const YOL_GUID& protocol, Services::CServicesManager* manager,
                                unsigned int accountId, unsigned int managerClientId);

}  // namespace JabberPlugin
