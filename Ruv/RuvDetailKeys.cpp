#include "RuvDetailKeys.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace {

using K = RuvDetailKind;
namespace N = RuvDetailKey;

constexpr RuvDetailField kFields[] = {
    {N::NickName, K::Text, 0x00C8},          {N::FirstName, K::Text, 0x00C8},
    {N::LastName, K::Text, 0x00C8},          {N::Email, K::Text, 0x00C8},
    {N::HomeCity, K::Text, 0x00C8},          {N::HomeState, K::Text, 0x00C8},
    {N::HomePhone, K::Text, 0x00C8},         {N::HomeFax, K::Text, 0x00C8},
    {N::HomeAddress, K::Text, 0x00C8},       {N::CellPhone, K::Text, 0x00C8},
    {N::HomeZip, K::Text, 0x00C8},           {N::HomeCountryCode, K::Word, 0x00C8},
    {N::GmtOffset, K::Byte, 0x00C8},         {N::AuthorizationFlag, K::Byte, 0x00C8},
    {N::WebawareFlag, K::Byte, 0x00C8},      {N::DirectConnection, K::Byte, 0x00C8},
    {N::PublishEmailFlag, K::Byte, 0x00C8},  {N::WorkCity, K::Text, 0x00D2},
    {N::WorkState, K::Text, 0x00D2},         {N::WorkPhone, K::Text, 0x00D2},
    {N::WorkFax, K::Text, 0x00D2},           {N::WorkAddress, K::Text, 0x00D2},
    {N::WorkZip, K::Text, 0x00D2},           {N::WorkCountryCode, K::Word, 0x00D2},
    {N::WorkCompany, K::Text, 0x00D2},       {N::WorkDepartment, K::Text, 0x00D2},
    {N::WorkPosition, K::Text, 0x00D2},      {N::WorkOccupationCode, K::Word, 0x00D2},
    {N::WorkWebpage, K::Text, 0x00D2},       {N::Age, K::Word, 0x00DC},
    {N::Gender, K::Byte, 0x00DC},            {N::Homepage, K::Text, 0x00DC},
    {N::BirthYear, K::Word, 0x00DC},         {N::BirthMonth, K::Byte, 0x00DC},
    {N::BirthDay, K::Byte, 0x00DC},          {N::SpokenLanguage1, K::Byte, 0x00DC},
    {N::SpokenLanguage2, K::Byte, 0x00DC},   {N::SpokenLanguage3, K::Byte, 0x00DC},
    {N::City, K::Text, 0x00DC},              {N::State, K::Text, 0x00DC},
    {N::CountryCode, K::Word, 0x00DC},       {N::MaritalStatusCode, K::Byte, 0x00DC},
    {N::LocalizationId, K::Text, 0x00DC},    {N::LocalizationEmail, K::Text, 0x00DC},
    {N::Interest1, K::Word, 0x00F0},         {N::InterestKeys1, K::Text, 0x00F0},
    {N::Interest2, K::Word, 0x00F0},         {N::InterestKeys2, K::Text, 0x00F0},
    {N::Interest3, K::Word, 0x00F0},         {N::InterestKeys3, K::Text, 0x00F0},
    {N::Interest4, K::Word, 0x00F0},         {N::InterestKeys4, K::Text, 0x00F0},
    {N::About, K::Text, 0x00E6},             {N::Notes, K::Text, 0},
};

}  // namespace

std::span<const RuvDetailField> RuvDetailFields() { return kFields; }

RuvDetailKind RuvDetailKindOf(const char16_t* key) {
    const std::u16string_view name(key);
    const auto* found =
        std::find_if(std::begin(kFields), std::end(kFields), [&](const RuvDetailField& f) { return name == f.key; });
    return found == std::end(kFields) ? RuvDetailKind::Text : found->kind;
}
