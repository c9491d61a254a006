#pragma once
// What the accounts of the MRIM plug-in share: the language controller, the
// ids of the plug-in's registered images and the status list. The first
// account to start sets them up, the last one to shut down releases them.
// Guarded by one lock: accounts start and stop on their own threads.

#include "CServicesManager.h"
#include "CYolArray.h"
#include "CYolString.h"
#include "ProtocolRecords.h"
#include "YOL_GUID.h"

namespace Protocols {
class CAccount;
}

// {E3CA4FAB-0F3C-4FA8-ADFF-88A01C3622F7}
inline constexpr YOL_GUID ZemProtocolGuid{0xE3CA4FAB, 0x0F3C, 0x4FA8, 0xAD, 0xFF, 0x88, 0xA0, 0x1C, 0x36, 0x22, 0xF7};

namespace ZemPlugin {

inline constexpr int kImageCount = 30;
// The file of image `index` of the plug-in's image list.
const char16_t* ImageName(int index);

CYolString UiString(int id);
int Join(Services::CServicesManager* manager);
int Leave(Services::CServicesManager* manager);
// The id of image `index` (0 before the images are registered).
unsigned int ImageId(int index);
CYolArray<unsigned int> ImageIds();
void ChangeLanguage(const CYolString& language);
bool FindStatus(int status, Protocols::StatusInfo& out);

void DescribeProtocols(Services::CServicesManager* manager, CYolArray<Protocols::ProtocolInfo>& out);
Protocols::CAccount* NewAccount(const YOL_GUID& protocol, Services::CServicesManager* manager,
                                unsigned int accountId, unsigned int managerClientId);

}  // namespace ZemPlugin
