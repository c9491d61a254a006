#include "ZemPlugin.h"

#include "CPluginShared.h"
#include "CZemAccount.h"
#include "YolGuids.h"
#include "ZemStatuses.h"
#include "ZemStrings.h"

#include <iterator>
#include <memory>
#include <mutex>

namespace ZemPlugin {
namespace {

constexpr const char16_t* kImages[kImageCount] = {
    u"zem_stoffline.png",      u"zem_stconnect.png",      u"zem_stonline.png",       u"yol_stinvis.png",
    u"yol_stfreeforchat.png",  u"yol_stevil.png",         u"yol_stdepression.png",   u"yol_stathome.png",
    u"yol_statwork.png",       u"yol_stlunch.png",        u"yol_staway.png",         u"yol_stna.png",
    u"yol_stoccupied.png",     u"yol_stdnd.png",          u"zem_stnotinlist.png",    u"proto_invislist.png",
    u"proto_ininvislist.png",  u"proto_inignorelist.png", u"proto_authrequired.png", u"proto_authrequest.png",
    u"proto_addtovis.png",     u"proto_addtoinvis.png",   u"proto_addtoignore.png",  u"proto_authaccept.png",
    u"proto_authdecline.png",  u"zem_wakeup.png",         u"zem_proto.png",          u"proto_optadvanced.png",
    u"proto_mailboxempty.png", u"proto_mailboxfull.png",
};

CPluginShared& State() {
    static CPluginShared shared(u"Zem", u"Zem_", &ZemDefaultUiString, kImages, kImageCount);
    return shared;
}

// The status records in the current language, kept under the shared lock.
CYolArray<Protocols::StatusInfo>& Statuses() {
    static CYolArray<Protocols::StatusInfo> statuses;
    return statuses;
}

void RebuildStatuses() {
    Statuses() = BuildZemStatusList(State().ImageIds(), [](int id) { return State().UiString(id); });
}

}  // namespace

const char16_t* ImageName(int index) { return index >= 0 && index < kImageCount ? kImages[index] : u""; }

CYolString UiString(int id) { return State().UiString(id); }
int Join(Services::CServicesManager* manager) { return State().Join(manager); }

int Leave(Services::CServicesManager* manager) {
    std::lock_guard guard(State().Lock());
    const int left = State().Leave(manager);
    if (left == 0)
        Statuses() = CYolArray<Protocols::StatusInfo>();
    return left;
}

unsigned int ImageId(int index) { return State().ImageId(index); }
CYolArray<unsigned int> ImageIds() { return State().ImageIds(); }

void ChangeLanguage(const CYolString& language) {
    std::lock_guard guard(State().Lock());
    State().ChangeLanguage(language);
    RebuildStatuses();
}

bool FindStatus(int status, Protocols::StatusInfo& out) {
    if (status == Protocols::InvisibleForAll)
        status = Protocols::Invisible;
    std::lock_guard guard(State().Lock());
    CYolArray<Protocols::StatusInfo>& statuses = Statuses();
    if (statuses.Count() == 0)
        RebuildStatuses();
    for (int i = 0; i < statuses.Count(); ++i) {
        if (statuses[i].status == status) {
            out = statuses[i];
            return true;
        }
    }
    return false;
}

void DescribeProtocols(Services::CServicesManager*, CYolArray<Protocols::ProtocolInfo>& out) {
    Protocols::ProtocolInfo info;
    info.id = ZemProtocolGuid;
    info.iconFile = CYolString(u"zem_proto.png");
    info.name = CYolString(u"Zem");
    info.displayName = CYolString(u"Mail.Ru Agent");
    info.authors = CYolString(u"The Yol developers");
    info.pluginName = CYolString(u"zem");
    out.Add(info);
}

Protocols::CAccount* NewAccount(const YOL_GUID& protocol, Services::CServicesManager* manager,
                                unsigned int accountId, unsigned int managerClientId) {
    if (protocol != ZemProtocolGuid)
        return nullptr;
    return new CZemAccount(manager, accountId, managerClientId);
}

}  // namespace ZemPlugin
