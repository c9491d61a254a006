#pragma once
// What the accounts of the OSCAR plug-in share: the language controller and
// the ids of the plug-in's registered images, from which the status records
// are built. The first account to start sets them up, the last one to shut
// down releases them. Guarded by one lock: accounts start and stop on their
// own threads.

#include "CServicesManager.h"
#include "CYolArray.h"
#include "CYolString.h"
#include "ProtocolRecords.h"
#include "YOL_GUID.h"
#include "YolGuids.h"

namespace Protocols {
class CAccount;
}

namespace RuvPlugin {

inline constexpr int kImageCount = 76;
const char16_t* ImageName(int index);

CYolString UiString(int id);
int Join(Services::CServicesManager* manager);
int Leave(Services::CServicesManager* manager);
// The id of image `index` (0 before the images are registered).
unsigned int ImageId(int index);
void ChangeLanguage(const CYolString& language);
// An account takes its share of the client rules ("clients.cfg" is read by
// the first that wants client icons while the skin service is there) and
// gives it back when it stops.
void JoinClientRules(Services::CServicesManager* manager, bool wanted);
void LeaveClientRules(Services::CServicesManager* manager);
// The record of a status: its localized name and its image.
bool FindStatus(int status, Protocols::StatusInfo& out);

void DescribeProtocols(Services::CServicesManager* manager, CYolArray<Protocols::ProtocolInfo>& out);
Protocols::CAccount* NewAccount(const YOL_GUID& protocol, Services::CServicesManager* manager,
                                unsigned int accountId, unsigned int managerClientId);

}  // namespace RuvPlugin
