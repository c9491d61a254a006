#include "JabberPlugin.h"

#include "CJabberAccount.h"
#include "CYolPath.h"
#include "JabberCaps.h"
#include "JabberProtocolInfo.h"
#include "JabberSkinImages.h"
#include "JabberStrings.h"
#include "PluginLanguage.h"
#include "YolGuids.h"
#include "YolWMMUI_Controller.h"

#include <memory>
#include <mutex>

namespace JabberPlugin {
namespace {

struct Shared {
    std::recursive_mutex lock;
    int accounts = 0;
    std::unique_ptr<MUI::CYolWMMUI_Controller> language;
    CYolArray<unsigned int> images;
    CYolArray<Protocols::StatusInfo> statusLists[kJabberKindCount];
};

Shared& State() {
    static Shared shared;
    return shared;
}

int ClampKind(int kind) { return kind >= 0 && kind < kJabberKindCount ? kind : JabberKindXmpp; }

// The client-icon table's way to the skin service; without one, icons get
// no image.
CClientIconTable::Images ClientImages(Services::CServicesManager* manager) {
    CClientIconTable::Images images;
    images.registerImage = [manager](const CYolString& name) { return JabberSkin::RegisterImage(manager, name); };
    images.releaseImage = [manager](int id) { JabberSkin::ReleaseImage(manager, id); };
    return images;
}

}  // namespace

CYolString UiString(int id) {
    Shared& s = State();
    std::lock_guard guard(s.lock);
    CYolString text;
    if (s.language)
        s.language->GetString(id, text);
    else
        JabberDefaultUiString(id, text);
    return text;
}

int Join(Services::CServicesManager* manager) {
    Shared& s = State();
    std::lock_guard guard(s.lock);
    if (!s.language)
        s.language = std::make_unique<MUI::CYolWMMUI_Controller>(CYolPath::GetProtoDir(CYolString(u"Jabber")),
                                                                 CYolString(u"Xmp_"), CYolString(u"English"),
                                                                 &JabberDefaultUiString);
    if (s.images.Count() == 0 && manager && manager->GetService(SkinManagerGuid)) {
        for (int i = 0; i < kJabberImageCount; ++i)
            s.images.Add(static_cast<unsigned int>(JabberSkin::RegisterImage(manager, GetStatusImageName(i))));
    }
    CClientIconTable::Instance().Join(ClientsIniPath(), ClientImages(manager));
    return ++s.accounts;
}

int Leave(Services::CServicesManager* manager) {
    Shared& s = State();
    std::lock_guard guard(s.lock);
    if (s.accounts > 0)
        --s.accounts;
    if (s.accounts > 0)
        return s.accounts;
    for (int i = s.images.Count() - 1; i >= 0; --i)
        JabberSkin::ReleaseImage(manager, static_cast<int>(s.images[i]));
    s.images = CYolArray<unsigned int>();
    for (auto& list : s.statusLists)
        list = CYolArray<Protocols::StatusInfo>();
    s.language.reset();
    CClientIconTable::Instance().Leave(ClientImages(manager));
    return 0;
}

int AccountCount() {
    Shared& s = State();
    std::lock_guard guard(s.lock);
    return s.accounts;
}

CYolArray<unsigned int> ImageIds() {
    Shared& s = State();
    std::lock_guard guard(s.lock);
    return s.images;
}

unsigned int ImageId(int index) {
    Shared& s = State();
    std::lock_guard guard(s.lock);
    int count = s.images.Count();
    if (count == 0 || index < 0)
        return 0;
    return s.images[index < count ? index : count - 1];
}

void ChangeLanguage(const CYolString& language) {
    {
        Shared& s = State();
        std::lock_guard guard(s.lock);
        if (s.language)
            s.language->ChangeLang(language);
    }
    Protocols::TellLanguageChanged();
}

void RebuildStatusList(int kind) {
    kind = ClampKind(kind);
    Shared& s = State();
    std::lock_guard guard(s.lock);
    s.statusLists[kind] = BuildJabberStatusList(kind, s.images, [](int id) { return UiString(id); });
}

CYolArray<Protocols::StatusInfo> StatusList(int kind) {
    kind = ClampKind(kind);
    Shared& s = State();
    std::lock_guard guard(s.lock);
    if (s.statusLists[kind].Count() == 0)
        RebuildStatusList(kind);
    return s.statusLists[kind];
}

bool FindStatus(int kind, int status, Protocols::StatusInfo& out) {
    kind = ClampKind(kind);
    Shared& s = State();
    std::lock_guard guard(s.lock);
    if (s.statusLists[kind].Count() == 0)
        RebuildStatusList(kind);
    const CYolArray<Protocols::StatusInfo>& list = s.statusLists[kind];
    for (int i = 0; i < list.Count(); ++i) {
        if (list[i].status == status) {
            out = list[i];
            return true;
        }
    }
    return false;
}

Protocols::CAccount* NewAccount(const YOL_GUID& protocol, Services::CServicesManager* manager,
                                unsigned int accountId, unsigned int managerClientId) {
    return new CJabberAccount(manager, accountId, managerClientId, JabberKindOf(protocol));
}

}  // namespace JabberPlugin
