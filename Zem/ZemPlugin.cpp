#include "ZemPlugin.h"

#include "CSkinManager.h"
#include "CYolPath.h"
#include "CZemAccount.h"
#include "YolGuids.h"
#include "YolWMMUI_Controller.h"
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

struct Shared {
    std::recursive_mutex lock;
    int accounts = 0;
    std::unique_ptr<MUI::CYolWMMUI_Controller> language;
    CYolArray<unsigned int> images;
    CYolArray<Protocols::StatusInfo> statuses;
};

Shared& State() {
    static Shared shared;
    return shared;
}

Skins::CSkinManager* Skin(Services::CServicesManager* manager) {
    return manager ? static_cast<Skins::CSkinManager*>(manager->GetService(SkinManagerGuid)) : nullptr;
}

void RebuildStatuses(Shared& s) {
    s.statuses = BuildZemStatusList(s.images, [](int id) { return UiString(id); });
}

}  // namespace

const char16_t* ImageName(int index) { return index >= 0 && index < kImageCount ? kImages[index] : u""; }

CYolString UiString(int id) {
    Shared& s = State();
    std::lock_guard guard(s.lock);
    CYolString text;
    if (s.language)
        s.language->GetString(id, text);
    else
        ZemDefaultUiString(id, text);
    return text;
}

int Join(Services::CServicesManager* manager) {
    Shared& s = State();
    std::lock_guard guard(s.lock);
    if (!s.language)
        s.language = std::make_unique<MUI::CYolWMMUI_Controller>(CYolPath::GetProtoDir(CYolString(u"Zem")),
                                                                 CYolString(u"Zem_"), CYolString(u"English"),
                                                                 &ZemDefaultUiString);
    if (s.images.Count() == 0) {
        if (Skins::CSkinManager* skins = Skin(manager))
            for (const char16_t* name : kImages)
                s.images.Add(static_cast<unsigned int>(skins->RegisterImage(CYolString(name))));
    }
    return ++s.accounts;
}

int Leave(Services::CServicesManager* manager) {
    Shared& s = State();
    std::lock_guard guard(s.lock);
    if (s.accounts > 0)
        --s.accounts;
    if (s.accounts > 0)
        return s.accounts;
    if (Skins::CSkinManager* skins = Skin(manager))
        for (int i = s.images.Count() - 1; i >= 0; --i)
            skins->ReleaseImage(static_cast<int>(s.images[i]));
    s.images = CYolArray<unsigned int>();
    s.statuses = CYolArray<Protocols::StatusInfo>();
    s.language.reset();
    return 0;
}

unsigned int ImageId(int index) {
    Shared& s = State();
    std::lock_guard guard(s.lock);
    return index >= 0 && index < s.images.Count() ? s.images[index] : 0;
}

CYolArray<unsigned int> ImageIds() {
    Shared& s = State();
    std::lock_guard guard(s.lock);
    return s.images;
}

void ChangeLanguage(const CYolString& language) {
    Shared& s = State();
    std::lock_guard guard(s.lock);
    if (s.language)
        s.language->ChangeLang(language);
    RebuildStatuses(s);
}

bool FindStatus(int status, Protocols::StatusInfo& out) {
    if (status == Protocols::InvisibleForAll)
        status = Protocols::Invisible;
    Shared& s = State();
    std::lock_guard guard(s.lock);
    if (s.statuses.Count() == 0)
        RebuildStatuses(s);
    for (int i = 0; i < s.statuses.Count(); ++i) {
        if (s.statuses[i].status == status) {
            out = s.statuses[i];
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
