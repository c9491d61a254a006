#include "TYolWMPrefs.h"

#include "CContactListImpl.h"
#include "CServicesManagerImpl.h"
#include "CYolDatabase.h"
#include "YolGuids.h"

#include <cstring>

namespace UI {

namespace {

using Database::CYolDatabase;
using P = TYolWMPrefs;

// How a number preference is kept: a bool and a "byte value" are both one
// stored byte, but a bool is 0 or 1 in the record while a byte value is the
// stored byte unchanged.
enum class Kind { Bool, ByteValue, Dword, Led };

struct NumberKey {
    const char16_t* key;
    Kind kind;
    bool P::*flag;
    unsigned int P::*word;
    unsigned char P::*led;
};

constexpr NumberKey Flag(const char16_t* key, bool P::*field) { return {key, Kind::Bool, field, nullptr, nullptr}; }
constexpr NumberKey ByteValue(const char16_t* key, unsigned int P::*field) {
    return {key, Kind::ByteValue, nullptr, field, nullptr};
}
constexpr NumberKey Dword(const char16_t* key, unsigned int P::*field) {
    return {key, Kind::Dword, nullptr, field, nullptr};
}
constexpr NumberKey Led(const char16_t* key, unsigned char P::*field) {
    return {key, Kind::Led, nullptr, nullptr, field};
}

// Every number preference but "AntispamEnable", which belongs to the
// contact-list model.
constexpr NumberKey kNumbers[] = {
    Flag(u"GlobAutoConnect", &P::GlobAutoConnect),
    Flag(u"GlobTrayIcon", &P::GlobTrayIcon),
    Flag(u"GlobFullScreen", &P::GlobFullScreen),
    Flag(u"GlobWideMenu", &P::GlobWideMenu),
    ByteValue(u"CLMeta", &P::CLMeta),
    ByteValue(u"CLMode", &P::CLMode),
    Flag(u"CLOnlyOnline", &P::CLOnlyOnline),
    ByteValue(u"CLColumns", &P::CLColumns),
    Flag(u"CLDontShowIcon", &P::CLDontShowIcon),
    Flag(u"Turn off", &P::TurnOff),
    Flag(u"Sign on", &P::SignOn),
    Flag(u"Sign off", &P::SignOff),
    Flag(u"Dont blinking", &P::DontBlinking),
    Flag(u"Show msg", &P::ShowMsg),
    Flag(u"Dont show if occupied", &P::DontShowIfOccupied),
    Flag(u"Dont show if active", &P::DontShowIfActive),
    Flag(u"Wake up", &P::WakeUp),
    Flag(u"Use blinking", &P::UseBlinking),
    ByteValue(u"AlertSoundOn", &P::AlertSoundOn),
    ByteValue(u"AlertAdvancedSound", &P::AlertAdvancedSound),
    Dword(u"AlertVol", &P::AlertVol),
    ByteValue(u"AlertVibraOn", &P::AlertVibraOn),
    ByteValue(u"AlertSoftMode", &P::AlertSoftMode),
    ByteValue(u"UseSmile", &P::UseSmile),
    ByteValue(u"ScaleSmile", &P::ScaleSmile),
    Flag(u"HistSaveHist", &P::HistSaveHist),
    Flag(u"HistSaveNotInList", &P::HistSaveNotInList),
    Flag(u"HistShowInMW", &P::HistShowInMW),
    Dword(u"HistMsgCountForShow", &P::HistMsgCountForShow),
    Flag(u"GlobDontSleep", &P::GlobDontSleep),
    Led(u"HardBlinkLed", &P::HardBlinkLed),
    Led(u"HardVibraLed", &P::HardVibraLed),
};

constexpr char16_t kFontKey[] = u"CLFont";
constexpr char16_t kAlertPackKey[] = u"AlertPackName";
constexpr char16_t kAlertsKey[] = u"Alerts";
constexpr char16_t kSkinKey[] = u"SkinName";
constexpr char16_t kColorsKey[] = u"Colors";
constexpr char16_t kSmilePackKey[] = u"SmilePack";
constexpr char16_t kLangKey[] = u"Lang";
constexpr char16_t kAntispamEnableKey[] = u"AntispamEnable";
constexpr char16_t kAntispamQuestionKey[] = u"AntispamQuestion";
constexpr char16_t kAntispamAnswerKey[] = u"AntispamAnswer";
constexpr char16_t kAntispamConfirmKey[] = u"AntispamConfirm";

constexpr char16_t kDefaultQuestion[] =
    u"Hello! This is an anti-spam control: your message reaches me once you answer a simple question. "
    u"Which word is written here in capital letters: PLUMO?";
constexpr char16_t kDefaultAnswer[] = u"Plumo";
constexpr char16_t kDefaultConfirm[] = u"Thank you. Now you can send messages directly to my contact list.";

void ReadNumber(CYolDatabase* database, const NumberKey& number, const P& defaults, P& prefs) {
    if (number.kind == Kind::Dword) {
        unsigned long value = 0;
        const bool read = database != nullptr && database->GetDword(PreferencesGuid, number.key, value);
        prefs.*number.word = read ? static_cast<unsigned int>(value) : defaults.*number.word;
        return;
    }
    unsigned char value = 0;
    const bool read = database != nullptr && database->GetByte(PreferencesGuid, number.key, value);
    switch (number.kind) {
    case Kind::Bool:
        prefs.*number.flag = read ? value != 0 : defaults.*number.flag;
        break;
    case Kind::ByteValue:
        prefs.*number.word = read ? value : defaults.*number.word;
        break;
    default:
        prefs.*number.led = read ? value : defaults.*number.led;
        break;
    }
}

void WriteNumber(CYolDatabase& database, const NumberKey& number, const P& prefs) {
    switch (number.kind) {
    case Kind::Dword:
        database.SetDword(PreferencesGuid, number.key, prefs.*number.word);
        break;
    case Kind::Bool:
        database.SetByte(PreferencesGuid, number.key, prefs.*number.flag ? 1 : 0);
        break;
    case Kind::ByteValue:
        database.SetByte(PreferencesGuid, number.key, static_cast<unsigned char>(prefs.*number.word));
        break;
    case Kind::Led:
        database.SetByte(PreferencesGuid, number.key, prefs.*number.led);
        break;
    }
}

void SetBuiltInFont(LOGFONTW& font) {
    font = LOGFONTW();
    font.lfHeight = 14;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    std::memcpy(font.lfFaceName, u"Tahoma", sizeof u"Tahoma");
}

// Exactly the record's size, so that neither a short value leaves half of
// the old font nor a face name runs on without its terminator.
void ReadFont(CYolDatabase* database, LOGFONTW& font) {
    LOGFONTW stored;
    unsigned long size = sizeof stored;
    if (database == nullptr || !database->GetData(PreferencesGuid, kFontKey, &stored, size) || size != sizeof stored) {
        SetBuiltInFont(font);
        return;
    }
    stored.lfFaceName[LF_FACESIZE - 1] = 0;
    font = stored;
}

bool ReadString(CYolDatabase* database, const char16_t* key, CYolString& value) {
    return database != nullptr && database->GetString(PreferencesGuid, key, value);
}

void ReadColors(CYolDatabase* database, const CYolString& skinName, Skins::TSkinColorTable& colors) {
    Skins::TSkinColorTable stored;
    unsigned long size = sizeof stored;
    if (database != nullptr && database->GetData(PreferencesGuid, kColorsKey, stored, size) &&
        size == sizeof stored) {
        std::memcpy(colors, stored, sizeof stored);
        return;
    }
    Skins::LoadColorScheme(skinName, colors);
}

CL::CContactListImpl* FindContactList(Services::CServicesManager* services) {
    if (services == nullptr)
        return nullptr;
    auto* list = static_cast<CL::CContactList*>(services->GetService(ContactListGuid));
    return dynamic_cast<CL::CContactListImpl*>(list);
}

CYolDatabase* FindDatabase(Services::CServicesManager* services) {
    return services != nullptr ? static_cast<CYolDatabase*>(services->GetService(DatabaseGuid)) : nullptr;
}

// The model's text, or the built-in one, which the model then keeps too.
CYolString ModelText(CL::CContactListImpl& list, CYolString (CL::CContactListImpl::*get)(),
                     void (CL::CContactListImpl::*set)(const CYolString&), const char16_t* builtIn) {
    CYolString text = (list.*get)();
    if (text.Length() == 0) {
        text = builtIn;
        (list.*set)(text);
    }
    return text;
}

void LoadAntispam(Services::CServicesManager* services, P& prefs) {
    CL::CContactListImpl* list = FindContactList(services);
    if (list == nullptr) {
        prefs.AntispamQuestion = kDefaultQuestion;
        prefs.AntispamAnswer = kDefaultAnswer;
        prefs.AntispamConfirm = kDefaultConfirm;
        return;
    }
    using L = CL::CContactListImpl;
    prefs.AntispamEnable = list->GetAntispamEnable();
    prefs.AntispamQuestion = ModelText(*list, &L::GetAntispamQuestion, &L::SetAntispamQuestion, kDefaultQuestion);
    prefs.AntispamAnswer = ModelText(*list, &L::GetAntispamAnswer, &L::SetAntispamAnswer, kDefaultAnswer);
    prefs.AntispamConfirm = ModelText(*list, &L::GetAntispamConfirm, &L::SetAntispamConfirm, kDefaultConfirm);
}

}  // namespace

TYolWMPrefs::TYolWMPrefs() {
    SetBuiltInFont(CLFont);
    Skins::SetDefaultSkinColors(Colors);
    Alerts.SetGrowStep(10);
}

void TYolWMPrefs::Load() { Load(&Services::CServicesManagerImpl::Instance()); }

// Without a settings database every read below fails, which gives every
// field its default through the same rules as a missing key.
void TYolWMPrefs::Load(Services::CServicesManager* services) {
    LoadAntispam(services, *this);
    CYolDatabase* database = FindDatabase(services);
    const TYolWMPrefs defaults;
    for (const NumberKey& number : kNumbers)
        ReadNumber(database, number, defaults, *this);
    ReadFont(database, CLFont);

    if (!ReadString(database, kAlertPackKey, AlertPackName))
        GetDefaultAlertPack(AlertPackName);
    CYolArray<Alert::TYolWMAlertSettings> stored;
    if (database != nullptr && ReadAlertSettingsArray(*database, PreferencesGuid, kAlertsKey, stored) &&
        stored.Count() == Alert::kAlertEventCount)
        Alerts = std::move(stored);
    else
        Alert::LoadAlertSettings(AlertPackName, Alerts);

    if (!ReadString(database, kSkinKey, SkinName) || !IsSkinValid(SkinName))
        GetDefaultSkin(SkinName);
    ReadColors(database, SkinName, Colors);
    if (!ReadString(database, kSmilePackKey, SmilePack) || !IsSmilePackValid(SmilePack))
        GetDefaultSmilePack(SmilePack);
    if (!ReadString(database, kLangKey, Lang))
        AskLanguage(Lang);
}

void TYolWMPrefs::Save() const { Save(&Services::CServicesManagerImpl::Instance()); }

// The database is keyed, so the order of the writes does not show in the file.
void TYolWMPrefs::Save(Services::CServicesManager* services) const {
    CYolDatabase* database = FindDatabase(services);
    if (database == nullptr)
        return;
    for (const NumberKey& number : kNumbers)
        WriteNumber(*database, number, *this);
    const unsigned long fontSize = sizeof CLFont;
    database->SetData(PreferencesGuid, kFontKey, &CLFont, fontSize);
    database->SetString(PreferencesGuid, kAlertPackKey, AlertPackName);
    WriteAlertSettingsArray(*database, PreferencesGuid, kAlertsKey, Alerts);
    database->SetString(PreferencesGuid, kSkinKey, SkinName);
    const unsigned long colorsSize = sizeof Colors;
    database->SetData(PreferencesGuid, kColorsKey, Colors, colorsSize);
    database->SetString(PreferencesGuid, kSmilePackKey, SmilePack);
    database->SetString(PreferencesGuid, kLangKey, Lang);
    // Kept here as well; the values in force are the contact-list model's.
    database->SetByte(PreferencesGuid, kAntispamEnableKey, AntispamEnable ? 1 : 0);
    database->SetString(PreferencesGuid, kAntispamQuestionKey, AntispamQuestion);
    database->SetString(PreferencesGuid, kAntispamAnswerKey, AntispamAnswer);
    database->SetString(PreferencesGuid, kAntispamConfirmKey, AntispamConfirm);
}

}  // namespace UI
