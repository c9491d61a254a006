#include "JabberProtocolInfo.h"

#include "JabberNamespaces.h"
#include "JabberStrings.h"
#include "PluginExports.h"

#include <iterator>

namespace {

using Protocols::Status;

// The order of the kinds follows the enumeration; the descriptions use their
// own order below.
const JabberFlavour kFlavours[kJabberKindCount] = {
    {&JabberYolProtocolGuid, u"Yol", u"Yol", u"xmpyol_stconnect.png", 19, {kYolDomain, nullptr}, kYolHost,
     kYolFileTransferProxy},
    {&JabberProtocolGuid, u"Jabber", u"XMPP(Jabber)", u"xmpxmpp_stconnect.png", 0, {nullptr, nullptr}, nullptr,
     nullptr},
    {&JabberYandexProtocolGuid, u"Yandex Online", u"Yandex Online", u"xmpyandex_stonline.png", 24,
     {kYandexDomain, kYandexSecondDomain}, kYandexHost, nullptr},
    {&JabberGoogleTalkProtocolGuid, u"Google Talk", u"Google Talk", u"xmpgoogle_stonline.png", 29,
     {kGoogleTalkDomain, nullptr}, kGoogleTalkHost, nullptr},
    {&JabberLiveJournalProtocolGuid, u"Live Journal", u"Live Journal", u"xmplj_stonline.png", 34,
     {kLiveJournalDomain, nullptr}, nullptr, nullptr},
    {&JabberVKontakteProtocolGuid, u"VKontakte", u"VKontakte", u"xmpvk_stonline.png", 39,
     {kVKontakteDomain, kVKontakteSecondDomain}, kVKontakteHost, nullptr},
};

// The program lists protocols in the order a plug-in reports them.
const int kDescriptionOrder[kJabberKindCount] = {
    JabberKindYol, JabberKindYandex, JabberKindGoogleTalk, JabberKindLiveJournal, JabberKindVKontakte, JabberKindXmpp,
};

constexpr const char16_t* kAuthors = u"The Yol developers";

const char16_t* const kImageNames[kJabberImageCount] = {
    u"xmpxmpp_stoffline.png", u"xmpxmpp_stconnect.png", u"xmpxmpp_stonline.png", u"xmpxmpp_stifa.png",
    u"xmpxmpp_stnotinlist.png", u"yol_stinvis.png", u"yol_stfreeforchat.png", u"yol_stevil.png",
    u"yol_stdepression.png", u"yol_stathome.png", u"yol_statwork.png", u"yol_stlunch.png", u"yol_staway.png",
    u"yol_stna.png", u"yol_stoccupied.png", u"yol_stdnd.png", u"yol_cmn_connect.png", u"proto_optadvanced.png",
    u"proto_mailboxfull.png",
    // 19-43: the status images of the preset flavours
    u"xmpyol_stoffline.png", u"xmpyol_stconnect.png", u"xmpyol_stonline.png", u"xmpyol_stifa.png",
    u"xmpyol_stnotinlist.png", u"xmpyandex_stoffline.png", u"xmpyandex_stconnect.png", u"xmpyandex_stonline.png",
    u"xmpyandex_stifa.png", u"xmpyandex_stnotinlist.png", u"xmpgoogle_stoffline.png", u"xmpgoogle_stconnect.png",
    u"xmpgoogle_stonline.png", u"xmpgoogle_stifa.png", u"xmpgoogle_stnotinlist.png", u"xmplj_stoffline.png",
    u"xmplj_stconnect.png", u"xmplj_stonline.png", u"xmplj_stifa.png", u"xmplj_stnotinlist.png",
    u"xmpvk_stoffline.png", u"xmpvk_stconnect.png", u"xmpvk_stonline.png", u"xmpvk_stifa.png",
    u"xmpvk_stnotinlist.png",
    // 44-50
    u"proto_authrequired.png", u"proto_authrequest.png", u"proto_authaccept.png", u"proto_authdecline.png",
    u"proto_balloon.png", u"xstatus_mode.png", u"xstatus_none.png",
    // 51-85: extended statuses
    u"xstatus_angry.png", u"xstatus_duck.png", u"xstatus_tired.png", u"xstatus_party.png", u"xstatus_beer.png",
    u"xstatus_thinking.png", u"xstatus_eating.png", u"xstatus_tv.png", u"xstatus_friends.png",
    u"xstatus_coffee.png", u"xstatus_music.png", u"xstatus_business.png", u"xstatus_camera.png",
    u"xstatus_funny.png", u"xstatus_phone.png", u"xstatus_games.png", u"xstatus_college.png",
    u"xstatus_shopping.png", u"xstatus_sick.png", u"xstatus_sleeping.png", u"xstatus_surfing.png",
    u"xstatus_@.png", u"xstatus_engineering.png", u"xstatus_typing.png", u"xstatus_china1.png",
    u"xstatus_china2.png", u"xstatus_china3.png", u"xstatus_china4.png", u"xstatus_china5.png",
    u"xstatus_de1.png", u"xstatus_de2.png", u"xstatus_de3.png", u"xstatus_ru_search.png", u"xstatus_ru_love.png",
    u"xstatus_ru_journal.png",
};

// Per status, in status order: the string id of its name and its icon as
// {status image offset from the flavour's first, shared overlay or -1}.
struct StatusRow {
    int nameId;
    int statusImage;
    int overlay;
};

const StatusRow kStatusRows[Protocols::StatusCount] = {
    {JabberStrOffline, JabberImgStatusOffline, -1},
    {JabberStrConnection, JabberImgStatusConnect, -1},
    {JabberStrOnline, JabberImgStatusOnline, -1},
    {JabberStrInvisible, JabberImgStatusOnline, JabberImgInvisible},
    {JabberStrInvisibleForAll, JabberImgStatusInvisibleForAll, JabberImgInvisible},
    {JabberStrFreeForChat, JabberImgStatusOnline, Protocols::FreeForChat + 1},
    {JabberStrEvil, JabberImgStatusOnline, Protocols::Evil + 1},
    {JabberStrDepression, JabberImgStatusOnline, Protocols::Depression + 1},
    {JabberStrAtHome, JabberImgStatusOnline, Protocols::AtHome + 1},
    {JabberStrAtWork, JabberImgStatusOnline, Protocols::AtWork + 1},
    {JabberStrLunch, JabberImgStatusOnline, Protocols::Lunch + 1},
    {JabberStrAway, JabberImgStatusOnline, Protocols::Away + 1},
    {JabberStrNotAvailable, JabberImgStatusOnline, Protocols::NotAvailable + 1},
    {JabberStrOccupied, JabberImgStatusOnline, Protocols::Occupied + 1},
    {JabberStrDoNotDisturb, JabberImgStatusOnline, Protocols::DoNotDisturb + 1},
};

// The status menu, top to bottom; -1 is a separator.
const int kStatusMenu[] = {
    Protocols::FreeForChat, Protocols::Evil,        Protocols::Depression,   Protocols::AtHome,
    Protocols::AtWork,      -1,                     Protocols::Lunch,        Protocols::Away,
    Protocols::NotAvailable, Protocols::Occupied,   Protocols::DoNotDisturb, -1,
    Protocols::Online,      Protocols::Invisible,   Protocols::InvisibleForAll, -1,
    Protocols::Offline,
};

unsigned int ImageIdAt(const CYolArray<unsigned int>& imageIds, int index) {
    return imageIds[index < imageIds.Count() ? index : imageIds.Count() - 1];
}


}  // namespace

const JabberFlavour& GetJabberFlavour(int kind) {
    if (kind < 0 || kind >= kJabberKindCount)
        kind = JabberKindXmpp;
    return kFlavours[kind];
}

int JabberKindOf(const YOL_GUID& protocol) {
    for (int kind = 0; kind < kJabberKindCount; ++kind)
        if (*kFlavours[kind].protocol == protocol)
            return kind;
    return JabberKindXmpp;
}

void GetJabberProtocols(Services::CServicesManager*, CYolArray<Protocols::ProtocolInfo>& out) {
    for (int kind : kDescriptionOrder) {
        const JabberFlavour& flavour = kFlavours[kind];
        Protocols::ProtocolInfo info;
        info.id = *flavour.protocol;
        info.iconFile = flavour.iconFile;
        info.name = u"Jabber";
        info.displayName = flavour.displayName;
        info.authors = kAuthors;
        info.pluginName = u"Jabber";
        for (const char16_t* domain : flavour.domains) {
            if (domain == nullptr)
                continue;
            CYolString suffix(u"@");
            suffix += domain;
            info.loginSuffixes.Add(suffix);
        }
        out.Add(info);
    }
}

CYolString GetStatusImageName(int index) {
    if (index < 0 || index >= kJabberImageCount)
        return {};
    return CYolString(kImageNames[index]);
}

CYolArray<Protocols::StatusInfo> BuildJabberStatusList(int kind, const CYolArray<unsigned int>& imageIds,
                                                       const std::function<CYolString(int)>& text) {
    const int first = GetJabberFlavour(kind).firstStatusImage;
    CYolArray<Protocols::StatusInfo> list;
    list.SetGrowStep(Protocols::StatusCount);
    for (int status = 0; status < Protocols::StatusCount; ++status) {
        const StatusRow& row = kStatusRows[status];
        Protocols::StatusInfo entry(static_cast<Status>(status), text(row.nameId));
        if (imageIds.Count() > 0) {
            entry.icon.Add(ImageIdAt(imageIds, first + row.statusImage));
            if (row.overlay >= 0)
                entry.icon.Add(ImageIdAt(imageIds, row.overlay));
        }
        list.Add(entry);
    }
    return list;
}

void FillJabberStatusMenu(CYolMenuInfo& menu, const CYolArray<Protocols::StatusInfo>& statuses,
                          const CYolString& title, unsigned int /*accountId*/, int wantedStatus) {
    menu.title = CYolFormatString(title);
    for (int status : kStatusMenu) {
        if (status < 0) {
            menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Separator));
            continue;
        }
        CYolArray<unsigned int> icon;
        CYolString name;
        for (int i = 0; i < statuses.Count(); ++i) {
            if (statuses[i].status == status) {
                icon = statuses[i].icon;
                name = statuses[i].name;
                break;
            }
        }
        // The program calls the entry back with the account id it opened the menu for.
        menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, icon, CYolFormatString(name), status,
                                  Protocols::StatusMenuCallback, YolMenuContext(static_cast<unsigned int>(status)),
                                  status == wantedStatus));
    }
}

void FillJabberMailboxMenu(CYolMenuInfo& menu, const CYolString& title, const CYolString& openInbox,
                           unsigned int mailboxImageId, YolMenuCallback open, unsigned int context) {
    menu.title = CYolFormatString(title);
    CYolArray<unsigned int> image;
    image.Add(mailboxImageId);
    menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, image, CYolFormatString(openInbox), 0, open,
                              YolMenuContext(context), false));
}
