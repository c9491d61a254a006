#include "ZemDetailsPanes.h"

#include "CContactList.h"
#include "CZemAccount.h"
#include "YolGuids.h"
#include "ZemPaneTemplates.h"
#include "ZemStrings.h"
#include "ZemPlugin.h"

#include <map>

namespace {

struct TextField {
    int control;
    const char16_t* key;
};

constexpr TextField kGeneralFields[] = {
    {1002, u"SrvLogName"}, {1003, u"Zem: nick name"}, {1004, u"Zem: first name"}, {1005, u"Zem: last name"}};
constexpr TextField kHomeFields[] = {{1006, u"Zem: location"}};

constexpr CAccountSetsPan::TLabel kGeneralLabels[] = {{1030, 42}, {1031, 43}, {1032, 44}, {1033, 45}};
constexpr CAccountSetsPan::TLabel kHomeLabels[] = {{1034, 47}};
constexpr CAccountSetsPan::TLabel kPersonalLabels[] = {{1052, 49}, {1055, 50}, {1053, 51}};

CYolString Padded(unsigned int value, int digits) {
    if (value == 0)
        return CYolString();
    std::u16string text;
    for (unsigned int rest = value; rest > 0 || static_cast<int>(text.size()) < digits; rest /= 10)
        text.insert(text.begin(), static_cast<char16_t>(u'0' + rest % 10));
    return CYolString(text.c_str(), static_cast<int>(text.size()));
}

}  // namespace

CZemDetailsPan::CZemDetailsPan(CZemAccount* account, unsigned int item, int captionId, unsigned int templateId)
    : CZemPan(account, captionId, templateId), item(item) {}

int CZemDetailsPan::DoDataExchange(int save) {
    if (save == 0) {
        SetPageLabels();
        Fill();
    }
    return 1;
}

bool CZemDetailsPan::ReadString(const char16_t* key, CYolString& out) {
    Services::CServicesManager* services = ServicesManager();
    auto* list = services ? static_cast<CL::CContactList*>(services->GetService(ContactListGuid)) : nullptr;
    return list != nullptr && item != 0 && list->GetItemString(item, CYolString(key), out);
}

bool CZemDetailsPan::ReadNumber(const char16_t* key, unsigned int& out) {
    Services::CServicesManager* services = ServicesManager();
    auto* list = services ? static_cast<CL::CContactList*>(services->GetService(ContactListGuid)) : nullptr;
    return list != nullptr && item != 0 && list->GetItemDword(item, CYolString(key), &out);
}

CZemDetailsGeneralPan::CZemDetailsGeneralPan(CZemAccount* account, unsigned int item)
    : CZemDetailsPan(account, item, 37, kZemDetailsGeneralTemplate) {}

void CZemDetailsGeneralPan::SetPageLabels() { SetLabels(kGeneralLabels, std::size(kGeneralLabels)); }

void CZemDetailsGeneralPan::Fill() {
    for (const TextField& f : kGeneralFields) {
        CYolString value;
        if (ReadString(f.key, value))
            SetItemText(f.control, value);
    }
}

CZemDetailsHomePan::CZemDetailsHomePan(CZemAccount* account, unsigned int item)
    : CZemDetailsPan(account, item, 38, kZemDetailsHomeTemplate) {}

void CZemDetailsHomePan::SetPageLabels() { SetLabels(kHomeLabels, std::size(kHomeLabels)); }

void CZemDetailsHomePan::Fill() {
    for (const TextField& f : kHomeFields) {
        CYolString value;
        if (ReadString(f.key, value))
            SetItemText(f.control, value);
    }
}

CZemDetailsPersonalPan::CZemDetailsPersonalPan(CZemAccount* account, unsigned int item)
    : CZemDetailsPan(account, item, 39, kZemDetailsPersonalTemplate) {}

void CZemDetailsPersonalPan::SetPageLabels() { SetLabels(kPersonalLabels, std::size(kPersonalLabels)); }

CYolString CZemDetailsPersonalPan::BirthdayText(unsigned int day, unsigned int month, unsigned int year) {
    return Padded(day, 2) + CYolString(u"/") + Padded(month, 2) + CYolString(u"/") + Padded(year, 4);
}

void CZemDetailsPersonalPan::Fill() {
    const ZemIdMaps& maps = ZemIdMaps::Shared();
    const struct {
        int control;
        const char16_t* key;
        const std::map<unsigned int, unsigned int>& map;
    } named[] = {{1024, u"Zem: gender id", maps.gender}, {1026, u"Zem: zodiac id", maps.zodiac}};
    for (const auto& n : named) {
        unsigned int id = 0;
        unsigned int stringId = 0;
        if (ReadNumber(n.key, id) && ZemIdMaps::Lookup(n.map, id, stringId))
            SetItemString(n.control, static_cast<int>(stringId));
    }
    unsigned int day = 0;
    unsigned int month = 0;
    unsigned int year = 0;
    ReadNumber(u"Zem: birth day", day);
    ReadNumber(u"Zem: birth month", month);
    ReadNumber(u"Zem: birth year", year);
    SetItemText(1027, BirthdayText(day, month, year));
}
