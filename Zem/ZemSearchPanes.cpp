#include "ZemSearchPanes.h"

#include "CZemAccount.h"
#include "Controls/ControlCombo.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Window.h"
#include "ZemPlugin.h"
#include "ZemPaneTemplates.h"
#include "ZemStrings.h"

namespace {

constexpr int kFieldChars = 256;
constexpr unsigned int kOldestAge = 120;
constexpr int kAgeMessage = 220;

enum GlobalControl : int {
    kNickname = 1112, kFirstName = 1114, kLastName = 1116, kGender = 1118,
    kAgeFrom = 1120, kAgeTo = 1122, kCountry = 1124, kOnlineOnly = 1131,
};

constexpr CAccountSetsPan::TLabel kEmailLabels[] = {{1108, 54}};
constexpr CAccountSetsPan::TLabel kGlobalLabels[] = {{1111, 43}, {1113, 44}, {1115, 45}, {1117, 46},
                                                     {1119, 55}, {1123, 48}, {1132, 56}};

}  // namespace

void PostSearchQuery(CAccountSetsPan& pane, const ZemSearchQuery& query) {
    if (Protocols::CAccount* account = pane.Account())
        account->PostToSelf(ZemProtocolGuid, CZemAccount::kSearchQueryEvent,
                            new Services::CEventArg_Data<ZemSearchQuery>(query));
}

CZemSearchEmailPan::CZemSearchEmailPan(CZemAccount* account, std::shared_ptr<ZemSearchQuery> query)
    : CZemPan(account, 52, kZemSearchEmailTemplate), query(std::move(query)) {}

int CZemSearchEmailPan::DoDataExchange(int save) {
    if (save == 0) {
        SetLabels(kEmailLabels, std::size(kEmailLabels));
        return 1;
    }
    query->email = GetItemText(1109, kFieldChars);
    PostSearchQuery(*this, *query);
    return 1;
}

CZemSearchGlobalPan::CZemSearchGlobalPan(CZemAccount* account, std::shared_ptr<ZemSearchQuery> query)
    : CZemPan(account, 53, kZemSearchGlobalTemplate), query(std::move(query)) {}

void CZemSearchGlobalPan::FillList(int control, const std::map<unsigned int, unsigned int>& map) {
    HWND list = GetDlgItem(control);
    if (SendMessage(list, CB_GETCOUNT, 0, 0) > 0)
        return;
    const LRESULT none = SendMessage(list, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u""));
    SendMessage(list, CB_SETITEMDATA, static_cast<WPARAM>(none), 0);
    for (const auto& [id, stringId] : map) {
        const int at = AddComboString(control, static_cast<int>(stringId));
        SendMessage(list, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(id));
    }
    SendMessage(list, CB_SETCURSEL, 0, 0);
}

int CZemSearchGlobalPan::SelectedValue(int control) {
    HWND list = GetDlgItem(control);
    const LRESULT at = SendMessage(list, CB_GETCURSEL, 0, 0);
    return at < 0 ? 0 : static_cast<int>(SendMessage(list, CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
}

int CZemSearchGlobalPan::DoDataExchange(int save) {
    if (save == 0) {
        SetLabels(kGlobalLabels, std::size(kGlobalLabels));
        SetItemText(1121, CYolString(u"-"));
        SetItemText(kAgeFrom, CYolString(u"0"));
        SetItemText(kAgeTo, CYolString(u"0"));
        FillList(kGender, ZemIdMaps::Shared().gender);
        FillList(kCountry, ZemIdMaps::Shared().country);
        return 1;
    }
    unsigned int from = 0;
    unsigned int to = 0;
    if (!ReadNumber(kAgeFrom, 0, kOldestAge, PaneString(kAgeMessage), from) ||
        !ReadNumber(kAgeTo, 0, kOldestAge, PaneString(kAgeMessage), to))
        return 0;
    query->nickname = GetItemText(kNickname, kFieldChars);
    query->firstName = GetItemText(kFirstName, kFieldChars);
    query->lastName = GetItemText(kLastName, kFieldChars);
    query->ageFrom = static_cast<int>(from);
    query->ageTo = static_cast<int>(to);
    query->onlineOnly = IsChecked(kOnlineOnly) ? 1 : 0;
    query->gender = SelectedValue(kGender);
    query->countryId = SelectedValue(kCountry);
    PostSearchQuery(*this, *query);
    return 1;
}
