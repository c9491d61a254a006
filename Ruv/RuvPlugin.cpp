#include "RuvPlugin.h"

#include "CRuvAccount.h"
#include "CPluginShared.h"
#include "CRuvClientRules.h"
#include "CSkinManager.h"
#include "RuvStrings.h"
#include "YolGuids.h"

#include <memory>
#include <mutex>

namespace RuvPlugin {
namespace {

constexpr const char16_t* kImages[kImageCount] = {
    u"ruv_stoffline.png",
    u"ruv_staimoffline.png",
    u"ruv_stconnect.png",
    u"ruv_stonline.png",
    u"ruv_styolonline.png",
    u"ruv_staimonline.png",
    u"yol_stinvis.png",
    u"ruv_stifa.png",
    u"yol_stfreeforchat.png",
    u"yol_stevil.png",
    u"yol_stdepression.png",
    u"yol_stathome.png",
    u"yol_statwork.png",
    u"yol_stlunch.png",
    u"yol_staway.png",
    u"yol_stna.png",
    u"yol_stoccupied.png",
    u"yol_stdnd.png",
    u"ruv_stnotinlist.png",
    u"ruv_staimnotinlist.png",
    u"xstatus_mode.png",
    u"xstatus_none.png",
    u"xstatus_angry.png",
    u"xstatus_duck.png",
    u"xstatus_tired.png",
    u"xstatus_party.png",
    u"xstatus_beer.png",
    u"xstatus_thinking.png",
    u"xstatus_eating.png",
    u"xstatus_tv.png",
    u"xstatus_friends.png",
    u"xstatus_coffee.png",
    u"xstatus_music.png",
    u"xstatus_business.png",
    u"xstatus_camera.png",
    u"xstatus_funny.png",
    u"xstatus_phone.png",
    u"xstatus_games.png",
    u"xstatus_college.png",
    u"xstatus_shopping.png",
    u"xstatus_sick.png",
    u"xstatus_sleeping.png",
    u"xstatus_surfing.png",
    u"xstatus_@.png",
    u"xstatus_engineering.png",
    u"xstatus_typing.png",
    u"xstatus_china1.png",
    u"xstatus_china2.png",
    u"xstatus_china3.png",
    u"xstatus_china4.png",
    u"xstatus_china5.png",
    u"xstatus_de1.png",
    u"xstatus_de2.png",
    u"xstatus_de3.png",
    u"xstatus_ru_search.png",
    u"xstatus_ru_love.png",
    u"xstatus_ru_journal.png",
    u"ruv_priv_st_vis4all.png",
    u"ruv_priv_st_vis4vis.png",
    u"ruv_priv_st_vis4all_except_invis.png",
    u"ruv_priv_st_vis4cl.png",
    u"ruv_priv_st_invis4all.png",
    u"proto_invislist.png",
    u"proto_ininvislist.png",
    u"proto_inignorelist.png",
    u"proto_authrequired.png",
    u"ruv_check_status.png",
    u"proto_authrequest.png",
    u"proto_addtovis.png",
    u"proto_addtoinvis.png",
    u"proto_addtoignore.png",
    u"proto_authaccept.png",
    u"proto_authdecline.png",
    u"ruv_proto.png",
    u"yol_cmn_connect.png",
    u"proto_optadvanced.png",
};

// Each status: its name's string id and its icon, a base image with an
// overlay drawn over it (-1: none).
constexpr struct {
    Protocols::Status status;
    int nameId;
    int image;
    int overlay;
} kStatuses[] = {
    {Protocols::Offline, 14, 0, -1},      {Protocols::Connecting, 4, 2, -1},   {Protocols::Online, 15, 3, -1},
    {Protocols::Invisible, 10, 3, 6},     {Protocols::InvisibleForAll, 9, 7, 6}, {Protocols::FreeForChat, 8, 3, 8},
    {Protocols::Evil, 7, 3, 9},           {Protocols::Depression, 5, 3, 10},   {Protocols::AtHome, 1, 3, 11},
    {Protocols::AtWork, 2, 3, 12},        {Protocols::Lunch, 11, 3, 13},       {Protocols::Away, 3, 3, 14},
    {Protocols::NotAvailable, 12, 3, 15}, {Protocols::Occupied, 13, 3, 16},    {Protocols::DoNotDisturb, 6, 3, 17},
};

CRuvClientRules::Images ClientImages(Services::CServicesManager* manager) {
    auto* skins = manager ? static_cast<Skins::CSkinManager*>(manager->GetService(SkinManagerGuid)) : nullptr;
    if (skins == nullptr)
        return {};
    return {[skins](const CYolString& file) { return skins->RegisterImage(file); },
            [skins](int id) { skins->ReleaseImage(id); }};
}

CPluginShared& State() {
    static CPluginShared shared(u"Ruv", u"Ruv_", &RuvDefaultUiString, kImages, kImageCount);
    return shared;
}

}  // namespace

const char16_t* ImageName(int index) { return index >= 0 && index < kImageCount ? kImages[index] : u""; }

CYolString UiString(int id) { return State().UiString(id); }
int Join(Services::CServicesManager* manager) { return State().Join(manager); }
int Leave(Services::CServicesManager* manager) { return State().Leave(manager); }
unsigned int ImageId(int index) { return State().ImageId(index); }
void ChangeLanguage(const CYolString& language) { State().ChangeLanguage(language); }

void JoinClientRules(Services::CServicesManager* manager, bool wanted) {
    const CRuvClientRules::Images images = ClientImages(manager);
    CRuvClientRules::Instance().Join(wanted && images.registerImage != nullptr, RuvClientRulesPath(), images);
}

void LeaveClientRules(Services::CServicesManager* manager) { CRuvClientRules::Instance().Leave(ClientImages(manager)); }

bool FindStatus(int status, Protocols::StatusInfo& out) {
    for (const auto& row : kStatuses) {
        if (row.status == status) {
            out = Protocols::StatusInfo(row.status, UiString(row.nameId));
            out.icon.Add(ImageId(row.image));
            if (row.overlay >= 0)
                out.icon.Add(ImageId(row.overlay));
            return true;
        }
    }
    return false;
}

void DescribeProtocols(Services::CServicesManager*, CYolArray<Protocols::ProtocolInfo>& out) {
    Protocols::ProtocolInfo info;
    info.id = RuvProtocolGuid;
    info.iconFile = CYolString(u"ruv_proto.png");
    info.name = CYolString(u"Ruv");
    info.displayName = CYolString(u"Ruv");
    info.authors = CYolString(u"The Yol developers");
    info.pluginName = CYolString(u"vanruv");
    out.Add(info);
}

Protocols::CAccount* NewAccount(const YOL_GUID& protocol, Services::CServicesManager* manager,
                                unsigned int accountId, unsigned int managerClientId) {
    if (protocol != RuvProtocolGuid)
        return nullptr;
    return new CRuvAccount(manager, accountId, managerClientId);
}

}  // namespace RuvPlugin
