#pragma once
// What a peer's user information says about the program it runs: its
// capability list (long entries of TLV 0x000D, then the two-byte short ones
// of TLV 0x0019), whether it is a client of this program's own family, and
// the name and picture the "clients.cfg" rules give it.
//
// Pure functions over copied TLV bytes; any thread.

#include "CRuvCapabilityTree.h"

#include <optional>
#include <string>
#include <vector>

class OscarTlvs;

// The inputs of identification, as the server reported them for one user:
// the direct-connection block and the two capability lists.
struct RuvClientInputs {
    std::optional<std::string> dcInfo;     // TLV 0x000C
    std::optional<std::string> caps;       // TLV 0x000D
    std::optional<std::string> shortCaps;  // TLV 0x0019

    static RuvClientInputs FromTlvs(const OscarTlvs& userInfo);
    // Every capability identifier, long ones first, in wire order; a
    // remainder shorter than one entry is ignored.
    std::vector<RuvCapabilityGuid> Guids() const;
};

// The client families of this program; 0 for any other client.
enum class RuvClientFamily : int { None = 0, Yol, YolPda, YolPdaSymbian, YolMobile, YolVantum, YolIPhone };

// Appends the peer's capabilities (never clears `out`): known ones as the
// tree's record, unknown ones with their identifier alone.
void ParseCapabilities(const CRuvCapabilityTree& tree, const RuvClientInputs& user, RuvCapabilityList& out);
RuvClientFamily IdentifyClient(const CRuvCapabilityTree& tree, const RuvClientInputs& user);

struct RuvClientIdentification {
    RuvClientFamily family = RuvClientFamily::None;
    // The first "clients.cfg" rule that matched (-1: none), its client name
    // with the version put in, and its picture (-1: none).
    int rule = -1;
    CYolString clientName;
    int picture = -1;
    // The extended status the peer announces (0: none).
    int xStatus = 0;
};

// Everything the contact list shows of a peer's client, from the shared
// capability tables and the plug-in's loaded rules.
RuvClientIdentification IdentifyUser(const RuvClientInputs& user);
