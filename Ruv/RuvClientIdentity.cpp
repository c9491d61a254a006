#include "RuvClientIdentity.h"

#include "CRuvClientRules.h"
#include "RuvCapabilityCatalogue.h"
#include "RuvRecords.h"

#include <cstring>

RuvClientInputs RuvClientInputs::FromTlvs(const OscarTlvs& userInfo) {
    RuvClientInputs out;
    auto copy = [&](uint16_t type, std::optional<std::string>& to) {
        if (const std::string* value = userInfo.Find(type))
            to = *value;
    };
    copy(0x000C, out.dcInfo);
    copy(0x000D, out.caps);
    copy(0x0019, out.shortCaps);
    return out;
}

std::vector<RuvCapabilityGuid> RuvClientInputs::Guids() const {
    std::vector<RuvCapabilityGuid> out;
    if (caps) {
        for (size_t at = 0; at + 16 <= caps->size(); at += 16) {
            RuvCapabilityGuid guid;
            std::memcpy(guid.data(), caps->data() + at, 16);
            out.push_back(guid);
        }
    }
    if (shortCaps) {
        for (size_t at = 0; at + 2 <= shortCaps->size(); at += 2)
            out.push_back(RuvCapabilityCatalogue::FromShort(static_cast<uint8_t>((*shortCaps)[at]),
                                                            static_cast<uint8_t>((*shortCaps)[at + 1])));
    }
    return out;
}

void ParseCapabilities(const CRuvCapabilityTree& tree, const RuvClientInputs& user, RuvCapabilityList& out) {
    out.SetGrowStep(10);
    for (const RuvCapabilityGuid& guid : user.Guids()) {
        if (const CRuvCapability* known = tree.FindByGuid(guid))
            out.Add(*known);
        else
            out.Add(CRuvCapability(guid, CYolString(), CYolString()));
    }
}

RuvClientFamily IdentifyClient(const CRuvCapabilityTree& tree, const RuvClientInputs& user) {
    // "caYol" is asked first and by its ten leading bytes only, which the
    // PDA and mobile markers share: those peers count as the family itself.
    static constexpr struct {
        const char16_t* key;
        size_t length;
        RuvClientFamily family;
    } kMarkers[] = {
        {u"caYol", 10, RuvClientFamily::Yol},
        {u"caYolPda", 16, RuvClientFamily::YolPda},
        {u"caYolPdaSymbian", 16, RuvClientFamily::YolPdaSymbian},
        {u"caYolMobile", 16, RuvClientFamily::YolMobile},
        {u"caYolVantum", 16, RuvClientFamily::YolVantum},
        {u"caYolIPhone", 16, RuvClientFamily::YolIPhone},
    };
    RuvCapabilityList peer;
    ParseCapabilities(tree, user, peer);
    for (const auto& marker : kMarkers)
        if (tree.HasCapability(peer, CYolString(marker.key), marker.length))
            return marker.family;
    return RuvClientFamily::None;
}

RuvClientIdentification IdentifyUser(const RuvClientInputs& user) {
    RuvClientIdentification out;
    out.family = IdentifyClient(RuvCapabilityCatalogue::Tree(), user);
    const std::vector<RuvCapabilityGuid> guids = user.Guids();
    out.xStatus = RuvCapabilityCatalogue::GetXStatusId(RuvCapabilityCatalogue::XStatusList(), guids.data(), guids.size());
    CRuvClientRules::Instance().Identify(user, out);
    return out;
}
