#pragma once
// What the account knows of a contact while it is online: the status and
// the user information of its last arrival notice, with the inputs of
// client identification (capabilities, direct-connection block, protocol
// version) kept ready to read. Written by the presence handler, cleared
// when the contact leaves or the connection ends.

#include "RuvCapabilities.h"
#include "RuvRecords.h"

#include <cstdint>
#include <string>
#include <vector>

struct RuvContactPresence {
    int status = 0;
    OscarTlvs userInfo;
    uint32_t signOnTime = 0;
    uint32_t memberSince = 0;
    // TLV 0x0C: the whole block, its connection type (0xFF without it) and
    // the protocol version in it (0 without it).
    std::string directInfo;
    uint8_t directType = 0xFF;
    uint16_t protocolVersion = 0;
    // TLV 0x0D, one entry per 16 bytes, in the order received.
    std::vector<RuvCapabilityGuid> capabilities;
    std::string iconHash;
    // The file kept for that hash (empty while it is being fetched) and
    // the image the contact list draws it with (-1: none).
    CYolString iconFile;
    int iconPicture = -1;
    bool typing = false;
    // The client rule identification matched (null: none); owned by the
    // rules, which outlive every contact.
    const void* clientRule = nullptr;
    // What identification made of the contact's client: the name with its
    // version, the rule's picture (a skin image id, -1: none) and the
    // extended status its capabilities name (0: none).
    CYolString clientName;
    int clientPicture = -1;
    int xStatus = 0;
    // The title and description of its last answer to an extended-status
    // request.
    CYolString xStatusTitle;
    CYolString xStatusDescription;

    bool Has(const RuvCapabilityGuid& capability) const {
        for (const RuvCapabilityGuid& own : capabilities)
            if (own == capability)
                return true;
        return false;
    }
};
