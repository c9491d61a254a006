// The MRIM plug-in's built-in English texts, by string id, and the maps from
// the directory's country, zodiac and gender ids to string ids.

#include "ZemStrings.h"

#include "PluginHelpers.h"

#include <iterator>

namespace {

// Ids 57-110 are the countries in the order of their names, 111-200 the
// regions.
constexpr const char* kStrings[] = {
    "@ Home",  // 0
    "@ Work",  // 1
    "Away",  // 2
    "Connection",  // 3
    "Depression",  // 4
    "Do not disturb",  // 5
    "Evil",  // 6
    "Free for chat",  // 7
    "Invisible",  // 8
    "Lunch",  // 9
    "Not available",  // 10
    "Occupied",  // 11
    "Offline",  // 12
    "Online",  // 13
    "Add to visible list",  // 14
    "Remove from vis. list",  // 15
    "Add to invis. list",  // 16
    "Remove from invis. list",  // 17
    "Add to ignore list",  // 18
    "Remove from ignore list",  // 19
    "Request authorization",  // 20
    "Authorization request",  // 21
    "Enter request reason",  // 22
    "Please authorize my request.",  // 23
    "Accepted your authorization",  // 24
    "Declined your authorization",  // 25
    "Contact trying to wake you",  // 26
    "Wakeup",  // 27
    "Acc.: <account>\r\nIn your mailbox <n> unreaded messages",  // 28
    "Acc.: <account>\r\nE-mail received\r\nFrom: <name>\r\nSubject: <subject>",  // 29
    "Account",  // 30
    "Domain",  // 31
    "Password",  // 32
    "Show password",  // 33
    "Advanced",  // 34
    "Display email notifications",  // 35
    "Hide email button",  // 36
    "General",  // 37
    "Home",  // 38
    "Personal",  // 39
    "User details can be edited only in browser.\nFor opening it, push button below:",  // 40
    "Open...",  // 41
    "Account name",  // 42
    "Nickname",  // 43
    "First name",  // 44
    "Last name",  // 45
    "Gender",  // 46
    "Location",  // 47
    "Country",  // 48
    "Gender",  // 49
    "Birthday",  // 50
    "Zodiak sign",  // 51
    "By Email",  // 52
    "Global",  // 53
    "Search by Email",  // 54
    "Age:",  // 55
    "Online only",  // 56
    "Armenia",  // 57
    "Australia",  // 58
    "Austria",  // 59
    "Azerbaijan",  // 60
    "Belarus",  // 61
    "Belgium",  // 62
    "Bulgaria",  // 63
    "Canada",  // 64
    "China",  // 65
    "Croatia",  // 66
    "Cyprus",  // 67
    "Czech Republic",  // 68
    "Denmark",  // 69
    "Estonia",  // 70
    "Finland",  // 71
    "France",  // 72
    "Georgia",  // 73
    "Germany",  // 74
    "Great Britain",  // 75
    "Greece",  // 76
    "Hungary",  // 77
    "Iceland",  // 78
    "India",  // 79
    "Ireland",  // 80
    "Israel",  // 81
    "Italy",  // 82
    "Japan",  // 83
    "Kazakhstan",  // 84
    "Korea,-republic",  // 85
    "Kyrgyzia (Kyrgyzstan)",  // 86
    "Latvia",  // 87
    "Lithuania",  // 88
    "Moldavia",  // 89
    "New Zealand",  // 90
    "North Korea (DPRK)",  // 91
    "Norway",  // 92
    "Poland",  // 93
    "Portugal",  // 94
    "Republic of South Africa (RSA)",  // 95
    "Romania",  // 96
    "Russia",  // 97
    "Serbia and Montenegro",  // 98
    "Slovakia",  // 99
    "Slovenia",  // 100
    "Spain",  // 101
    "Sweden",  // 102
    "Switzerland",  // 103
    "Tajikistan",  // 104
    "The Netherlands",  // 105
    "Turkey",  // 106
    "Turkmenistan",  // 107
    "Ukraine",  // 108
    "USA",  // 109
    "Uzbekistan",  // 110
    "Adygea",  // 111
    "Aginsk Buryatsk Autonomous District",  // 112
    "Altai (Republic)",  // 113
    "Altaisky Krai",  // 114
    "Amur Region",  // 115
    "Archangelsk Region",  // 116
    "Astrakhan Region",  // 117
    "Bashkortostan",  // 118
    "Belgorod Region",  // 119
    "Bryansk Region",  // 120
    "Buryatia",  // 121
    "Chechnya",  // 122
    "Chelyabinsk Region",  // 123
    "Chita Region",  // 124
    "Chukotsk Autonomous District",  // 125
    "Chuvashia",  // 126
    "Dagestan",  // 127
    "Evenk Autonomous District",  // 128
    "Ingushetia",  // 129
    "Irkutsk Region",  // 130
    "Ivanovo Region",  // 131
    "Jewish Autonomous District",  // 132
    "Kabardino Balkaria",  // 133
    "Kaliningrad Region",  // 134
    "Kalmykia",  // 135
    "Kaluga Region",  // 136
    "Kamchatka Region",  // 137
    "Karachaevo-Cherkessia",  // 138
    "Karelia",  // 139
    "Kemerovo Region",  // 140
    "Khabarovsk Krai",  // 141
    "Khakasia",  // 142
    "Khanty-Mansiisk Autonomous District",  // 143
    "Kirov Region",  // 144
    "Komi Permyatsky Autonomous District",  // 145
    "Komi",  // 146
    "Koryak Autonomous District",  // 147
    "Kostroma Region",  // 148
    "Krasnodarsky Krai",  // 149
    "Krasnoyarsk Krai",  // 150
    "Kurgan Region",  // 151
    "Kursk Region",  // 152
    "Leningrad Region",  // 153
    "Lipetsk Region",  // 154
    "Magadan Region",  // 155
    "Mari El",  // 156
    "Mordovia",  // 157
    "Moscow Region",  // 158
    "Moscow",  // 159
    "Murmansk Region",  // 160
    "Nenetsk Autonomous District",  // 161
    "Nizhegorodskaya Region",  // 162
    "North Osetia - Alania",  // 163
    "Novgorod Region",  // 164
    "Novosibirsk Region",  // 165
    "Omsk Region",  // 166
    "Orenburg",  // 167
    "Orlov Region",  // 168
    "Penza Region",  // 169
    "Perm Region",  // 170
    "Primorsky Krai",  // 171
    "Pskov Region",  // 172
    "Rostov Region",  // 173
    "Ryazan Region",  // 174
    "Sakha (Yakutia)",  // 175
    "Sakhalin Region",  // 176
    "Samara Region",  // 177
    "Saratov Region",  // 178
    "Smolensk Region",  // 179
    "St. Petersburg",  // 180
    "Stavropolsky Krai",  // 181
    "Sverdlovsk Region",  // 182
    "Taimir Autnomous District",  // 183
    "Tambov Region",  // 184
    "Tatarstan",  // 185
    "Tomsk Region",  // 186
    "Trans-Baikal territory",  // 187
    "Tula Region",  // 188
    "Tver Region",  // 189
    "Tyumen Region",  // 190
    "Tyva",  // 191
    "Udmurtia",  // 192
    "Ulianovsk Region",  // 193
    "Ust-Ordinsk Buryatsk Autonomous District",  // 194
    "Vladimir Region",  // 195
    "Volgograd Region",  // 196
    "Vologda Region",  // 197
    "Voronezh Region",  // 198
    "Yamal-Nenetsk Autonomous District",  // 199
    "Yaroslavl Region",  // 200
    "Aries",  // 201
    "Taurus",  // 202
    "Gemini",  // 203
    "Cancer",  // 204
    "Leo",  // 205
    "Virgo",  // 206
    "Libra",  // 207
    "Scorpio",  // 208
    "Sagittarius",  // 209
    "Capricorn",  // 210
    "Aquarius",  // 211
    "Pisces",  // 212
    "Male",  // 213
    "Female",  // 214
    "<n> unreaded msgs",  // 215
    "Open Inbox",  // 216
    "Account being used on another computer",  // 217
    "OK",  // 218
    "Cancel",  // 219
    "Age must be a number from 0 to 120.",  // 220
};
static_assert(std::size(kStrings) == ZemStrings::kCount);

struct IdRow {
    unsigned int id;
    unsigned int stringId;
};
constexpr IdRow kCountries[] = {
    {24, 97},  // Russia
    {29, 91},  // North Korea (DPRK)
    {34, 101},  // Spain
    {35, 94},  // Portugal
    {37, 72},  // France
    {38, 62},  // Belgium
    {39, 108},  // Ukraine
    {40, 59},  // Austria
    {41, 63},  // Bulgaria
    {44, 77},  // Hungary
    {45, 75},  // Great Britain
    {46, 74},  // Germany
    {48, 76},  // Greece
    {49, 69},  // Denmark
    {50, 80},  // Ireland
    {51, 78},  // Iceland
    {52, 82},  // Italy
    {53, 87},  // Latvia
    {54, 88},  // Lithuania
    {59, 89},  // Moldavia
    {60, 105},  // The Netherlands
    {61, 92},  // Norway
    {62, 93},  // Poland
    {63, 96},  // Romania
    {65, 99},  // Slovakia
    {66, 100},  // Slovenia
    {68, 71},  // Finland
    {69, 66},  // Croatia
    {70, 68},  // Czech Republic
    {71, 103},  // Switzerland
    {72, 102},  // Sweden
    {73, 70},  // Estonia
    {74, 98},  // Serbia and Montenegro
    {75, 83},  // Japan
    {76, 65},  // China
    {77, 106},  // Turkey
    {81, 60},  // Azerbaijan
    {82, 57},  // Armenia
    {83, 73},  // Georgia
    {84, 84},  // Kazakhstan
    {86, 81},  // Israel
    {90, 107},  // Turkmenistan
    {91, 104},  // Tajikistan
    {92, 86},  // Kyrgyzia (Kyrgyzstan)
    {93, 110},  // Uzbekistan
    {95, 79},  // India
    {107, 67},  // Cyprus
    {108, 85},  // Korea,-republic
    {123, 58},  // Australia
    {130, 90},  // New Zealand
    {138, 64},  // Canada
    {139, 109},  // USA
    {225, 95},  // Republic of South Africa (RSA)
    {340, 61},  // Belarus
};

}  // namespace

bool ZemDefaultUiString(int id, CYolString& out) { return Protocols::GetDefaultUiString(kStrings, id, out); }

const ZemIdMaps& ZemIdMaps::Shared() {
    static const ZemIdMaps maps = [] {
        ZemIdMaps built;
        built.gender = {{1, 213}, {2, 214}};
        for (unsigned int sign = 1; sign <= 12; ++sign)
            built.zodiac[sign] = 200 + sign;
        for (const IdRow& row : kCountries)
            built.country[row.id] = row.stringId;
        return built;
    }();
    return maps;
}

bool ZemIdMaps::Lookup(const std::map<unsigned int, unsigned int>& map, unsigned int id, unsigned int& stringId) {
    auto it = map.find(id);
    if (it == map.end())
        return false;
    stringId = it->second;
    return true;
}
