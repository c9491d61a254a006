#pragma once
// The MRIM statuses: the translation between the program's statuses and the
// network's status number with its status URI, both ways, the plug-in's
// status list (names by string id and icons by image index), the
// ChangeStatus body and the status record of a contact. Tables of data; no
// state.

#include "CYolArray.h"
#include "CYolString.h"
#include "ProtocolRecords.h"

#include <cstdint>
#include <functional>
#include <string>

namespace ZemStatus {

inline constexpr uint32_t kWireOffline = 0;
inline constexpr uint32_t kWireOnline = 1;
inline constexpr uint32_t kWireAway = 2;
inline constexpr uint32_t kWireExtended = 4;
inline constexpr uint32_t kWireInvisibleBit = 0x80000000;
inline constexpr uint32_t kFeatures = 0x3FF;

// Image indexes of the plug-in's image list used for statuses.
inline constexpr int kImageOffline = 0;
inline constexpr int kImageConnecting = 1;
inline constexpr int kImageOnline = 2;
inline constexpr int kImageInvisible = 3;
inline constexpr int kImageNotInList = 14;
inline constexpr int kImageVisibleList = 15;
inline constexpr int kImageInvisibleList = 16;
inline constexpr int kImageIgnoreList = 17;
inline constexpr int kImageAuthRequired = 18;

}  // namespace ZemStatus

// The wire status and URI of a program status.
uint32_t StatusToWire(int status, CYolString& uri);
// The program status of a wire status and URI (the URI compared in lower case).
Protocols::Status WireToStatus(uint32_t wire, const CYolString& uri);

// One row of the plug-in's status list.
struct ZemStatusRow {
    Protocols::Status status;
    int nameId;
    int extraImage;  // -1: the status image alone
};
// The 14 rows in list order.
const ZemStatusRow* ZemStatusRows(int& count);

// The status list with names from `uiString` and image ids from `images`.
CYolArray<Protocols::StatusInfo> BuildZemStatusList(const CYolArray<unsigned int>& images,
                                                    const std::function<CYolString(int)>& uiString);

// The ChangeStatus body for a program status.
std::string BuildChangeStatusBody(int status);

// The image indexes of a contact's status icon (empty for none).
CYolArray<unsigned int> ContactStatusImages(Protocols::Status status);
