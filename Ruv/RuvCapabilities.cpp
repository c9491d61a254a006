#include "RuvCapabilities.h"

#include "RuvCapabilityCatalogue.h"

#include <string>

namespace RuvCapabilities {
namespace {

using RuvCapabilityCatalogue::GuidOf;

constexpr struct {
    int status;
    const char16_t* key;
} kStatusCaps[] = {
    {5, u"caStatusFFC"},  {6, u"caStatusEvil"},  {7, u"caStatusDepression"},
    {8, u"caStatusHome"}, {9, u"caStatusWork"},  {10, u"caStatusLunch"},
};

std::optional<RuvCapabilityGuid> Known(const CYolString& key) {
    if (const CRuvCapability* row = RuvCapabilityCatalogue::Tree().FindByKey(key))
        return row->guid;
    return std::nullopt;
}

}  // namespace

RuvCapabilityGuid Typing() { return GuidOf(u"caTyping"); }
RuvCapabilityGuid Relay() { return GuidOf(u"caRuvRelay"); }
RuvCapabilityGuid Utf8Support() { return GuidOf(u"caUTF8support"); }
RuvCapabilityGuid FileTransfer() { return GuidOf(u"caFTSend"); }

std::vector<RuvCapabilityGuid> FullList() {
    std::vector<RuvCapabilityGuid> out;
    for (const char16_t* key : {u"caTyping", u"caRuvRelay", u"caRuvBI", u"caUnification", u"caUTF8support",
                                u"caRTFsupport", u"caShortSupport", u"capXSStatuses", u"caFTSend", u"caRouteFinder",
                                u"caRuvVoiceChat", u"caXtraz"})
        out.push_back(GuidOf(key));
    return out;
}

std::vector<RuvCapabilityGuid> OwnFixed() {
    std::vector<RuvCapabilityGuid> out;
    for (const char16_t* key : {u"caShortSupport", u"caRouteFinder", u"caRuvRelay", u"caUTF8support", u"caXtraz",
                                u"caFTSend", u"caYolPda"})
        out.push_back(GuidOf(key));
    return out;
}

std::optional<RuvCapabilityGuid> ForStatus(int status) {
    for (const auto& row : kStatusCaps)
        if (row.status == status)
            return Known(CYolString(row.key));
    return std::nullopt;
}

std::optional<RuvCapabilityGuid> ForXStatus(int id) {
    if (id <= 0)
        return std::nullopt;
    const std::string key = "capXS" + std::to_string(id) + "pic";
    return Known(CYolString::FromUtf8(key));
}

std::vector<RuvCapabilityGuid> OwnListed(int status, int xStatus) {
    std::vector<RuvCapabilityGuid> out;
    if (auto capability = ForXStatus(xStatus))
        out.push_back(*capability);
    if (auto capability = ForStatus(status))
        out.push_back(*capability);
    return out;
}

}  // namespace RuvCapabilities
