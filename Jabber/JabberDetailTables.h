#pragma once
// The controls of the details pages that the own (editing) and the
// contact's (viewing) twins share: the detail key each edit shows and the
// string id of each label.

#include "CAccountSetsPan.h"
#include "XmppVCardFields.h"

// One edit control and the detail key it shows.
struct DetailField {
    int control;
    const char16_t* key;
};

namespace JabberDetailTables {

using namespace DetailKey;

// The note on a contact (and the own one) takes more than the other texts.
inline constexpr int kNotesChars = 1023;

inline constexpr DetailField kHomeFields[] = {{1006, HomeCountry}, {1008, HomeState}, {1007, HomeCity},
                                              {1009, HomeZip},     {1010, HomeAddress}, {1060, HomeEmail}};
inline constexpr DetailField kWorkFields[] = {{1011, WorkCountry}, {1013, WorkState}, {1012, WorkCity},
                                              {1014, WorkZip},     {1015, WorkAddress}, {1059, WorkEmail}};
inline constexpr DetailField kCompanyFields[] = {{1016, WorkCompany}, {1017, WorkDepartment}, {1018, WorkPosition}};
inline constexpr DetailField kPhonesFields[] = {
    {1019, HomePhone}, {1020, HomeFax}, {1021, CellPhone}, {1022, WorkPhone}, {1023, WorkFax}};

inline constexpr CAccountSetsPan::TLabel kGeneralLabels[] = {
    {1030, 45}, {1031, 46}, {1032, 47}, {1034, 48}, {1033, 49}};
inline constexpr CAccountSetsPan::TLabel kHomeLabels[] = {
    {1034, 50}, {1036, 52}, {1035, 51}, {1037, 53}, {1038, 54}, {1039, 55}};
inline constexpr CAccountSetsPan::TLabel kWorkLabels[] = {
    {1039, 50}, {1041, 52}, {1040, 51}, {1042, 53}, {1043, 54}, {1058, 55}};
inline constexpr CAccountSetsPan::TLabel kCompanyLabels[] = {{1044, 56}, {1045, 57}, {1046, 58}};
inline constexpr CAccountSetsPan::TLabel kPhonesLabels[] = {
    {1047, 59}, {1048, 60}, {1049, 61}, {1050, 62}, {1051, 63}};
inline constexpr CAccountSetsPan::TLabel kAboutLabels[] = {{1056, 70}, {1057, 71}};

}  // namespace JabberDetailTables
