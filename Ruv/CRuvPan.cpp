#include "CRuvPan.h"

#include "CRuvAccount.h"
#include "RuvPaneTemplates.h"
#include "RuvPlugin.h"

#include <iterator>
#include <string_view>

namespace {

// The details and search pages share one picture, which they register
// themselves; until then they show none.
constexpr const char16_t* kDetailsImage = nullptr;

constexpr RuvPaneIdentity kPanes[] = {
    {RuvPane::Account, 36, 135, u"ruv_proto.png"},
    {RuvPane::Connection, 40, 136, u"yol_cmn_connect.png"},
    {RuvPane::Additional, 47, 158, u"proto_optadvanced.png"},
    {RuvPane::ViewGeneral, 53, 137, kDetailsImage},
    {RuvPane::ViewHome, 54, 138, kDetailsImage},
    {RuvPane::ViewWork, 55, 139, kDetailsImage},
    {RuvPane::ViewCompany, 56, 140, kDetailsImage},
    {RuvPane::ViewPhones, 57, 141, kDetailsImage},
    {RuvPane::ViewPersonal, 58, 142, kDetailsImage},
    {RuvPane::ViewOrigin, 59, 143, kDetailsImage},
    {RuvPane::ViewInterests, 60, 144, kDetailsImage},
    {RuvPane::ViewAbout, 61, 145, kDetailsImage},
    {RuvPane::EditGeneral, 53, 146, kDetailsImage},
    {RuvPane::EditHome, 54, 147, kDetailsImage},
    {RuvPane::EditWork, 55, 148, kDetailsImage},
    {RuvPane::EditCompany, 56, 149, kDetailsImage},
    {RuvPane::EditPhones, 57, 150, kDetailsImage},
    {RuvPane::EditPersonal, 58, 151, kDetailsImage},
    {RuvPane::EditOrigin, 59, 152, kDetailsImage},
    {RuvPane::EditInterests, 60, 153, kDetailsImage},
    {RuvPane::EditAbout, 61, 154, kDetailsImage},
    {RuvPane::SearchByNumber, 91, 162, kDetailsImage},
    {RuvPane::SearchByEmail, 92, 161, kDetailsImage},
    {RuvPane::SearchGlobal1, 93, 159, kDetailsImage},
    {RuvPane::SearchGlobal2, 94, 160, kDetailsImage},
};

// The id the plug-in's registration gave the image of that file name; 0
// while the images are not registered.
unsigned int RegisteredImage(const char16_t* name) {
    if (name == nullptr)
        return 0;
    for (int i = 0; i < RuvPlugin::kImageCount; ++i)
        if (const char16_t* known = RuvPlugin::ImageName(i); known != nullptr && std::u16string_view(known) == name)
            return RuvPlugin::ImageId(i);
    return 0;
}

}  // namespace

const RuvPaneIdentity& RuvPaneRow(RuvPane pane) { return kPanes[static_cast<std::size_t>(pane)]; }

CRuvPan::CRuvPan(CRuvAccount* account, RuvPane pane) : CAccountSetsPan(account), row(RuvPaneRow(pane)) {
    static_assert(std::size(kPanes) == static_cast<std::size_t>(RuvPane::SearchGlobal2) + 1);
    EnsureRuvPaneTemplates();
}

CYolString CRuvPan::GetCaption() { return RuvPlugin::UiString(row.captionId); }

CYolArray<unsigned int> CRuvPan::GetImages() {
    CYolArray<unsigned int> images;
    if (const unsigned int id = RegisteredImage(row.image))
        images.Add(id);
    return images;
}

YolTabDlg::TDlgTemplate CRuvPan::GetDlgTemplate() { return PluginTemplate(row.templateId); }

CYolString CRuvPan::PaneString(int id) { return RuvPlugin::UiString(id); }
