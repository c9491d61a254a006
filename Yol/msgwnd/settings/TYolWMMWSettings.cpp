#include "TYolWMMWSettings.h"

#include "CServicesManagerImpl.h"
#include "CYolDatabase.h"
#include "DialogStrings.h"
#include "Drawing/Gdi.h"
#include "SettingsBlobs.h"
#include "YolGuids.h"

#include <algorithm>
#include <cstring>

namespace MW {

namespace {

using Database::CYolDatabase;
using S = TYolWMMWSettings;

constexpr int kReplyGrowStep = 10;

struct FlagKey {
    const char16_t* key;
    bool S::*field;
    bool fallback;
};

constexpr FlagKey kFlags[] = {
    {u"MWShowNames", &S::showNames, true},
    {u"MWShowTime", &S::showTime, false},
    {u"MWMsgFromNewl", &S::msgFromNewl, false},
    {u"MWShowSB", &S::showSB, true},
    {u"MWSendOnEnter", &S::sendOnEnter, true},
    {u"MWTypingNotify", &S::typingNotify, true},
    {u"MWDlgCompactMode", &S::dlgCompactMode, true},
    {u"MWShowTB", &S::showTB, true},
    {u"MWShowTBSmaily", &S::showTBSmaily, true},
    {u"MWShowTBSend", &S::showTBSend, false},
    {u"MWSendRepliesImmediately", &S::sendRepliesImmediately, false},
    {u"MWRepliesInContextMenu", &S::repliesInContextMenu, true},
    {u"MWCaretLeftRight", &S::caretLeftRight, true},
    {u"MWCaretUpDown", &S::caretUpDown, true},
    {u"MWVolumeForScroll", &S::volumeForScroll, true},
};

// Numbers kept as a dword or as one byte. The stored value is brought into
// [low, high], so that a damaged file cannot ask the editor for a hundred
// lines or the history for a thousand pictures.
struct NumberKey {
    const char16_t* key;
    int S::*field;
    int fallback;
    bool dword;
    int low;
    int high;
};

constexpr NumberKey kNumbers[] = {
    {u"MWMaxLine", &S::maxLine, 3, true, S::kMaxLineMin, S::kMaxLineMax},
    {u"MWSmiliesNum", &S::smiliesNum, 10, true, 0, S::kSmiliesNumMax},
    {u"MWLeftSK", &S::leftSK, S::EMinimize, false, 0, 255},
    {u"MWRightSK", &S::rightSK, S::EMenu, false, 0, 255},
};

struct FontKey {
    const char16_t* key;
    LOGFONTW S::*field;
    int height;
    int weight;
};

constexpr FontKey kFonts[] = {
    {u"MWHeadFont", &S::headLogFont, 12, FW_BOLD},
    {u"MWHead2Font", &S::head2LogFont, 12, FW_NORMAL},
    {u"MWTextFont", &S::textLogFont, 14, FW_NORMAL},
    {u"MWEditFont", &S::editLogFont, 14, FW_NORMAL},
};

constexpr char16_t kYourNameKey[] = u"MWYourName";
constexpr char16_t kYourNameDefault[] = u"I";
constexpr char16_t kRepliesKey[] = u"MWReplies";

void ReadFlag(CYolDatabase* database, const FlagKey& flag, S& settings)
{
    unsigned char value = 0;
    const bool read = database != nullptr && database->GetByte(PreferencesGuid, flag.key, value);
    settings.*flag.field = read ? value != 0 : flag.fallback;
}

void ReadNumber(CYolDatabase* database, const NumberKey& number, S& settings)
{
    long long value = number.fallback;
    if (database != nullptr && number.dword) {
        unsigned long stored = 0;
        if (database->GetDword(PreferencesGuid, number.key, stored))
            value = static_cast<int>(static_cast<std::uint32_t>(stored));
    } else if (database != nullptr) {
        unsigned char stored = 0;
        if (database->GetByte(PreferencesGuid, number.key, stored))
            value = stored;
    }
    settings.*number.field = static_cast<int>(std::clamp<long long>(value, number.low, number.high));
}

void WriteNumber(CYolDatabase& database, const NumberKey& number, const S& settings)
{
    const int value = settings.*number.field;
    if (number.dword)
        database.SetDword(PreferencesGuid, number.key, static_cast<unsigned long>(static_cast<std::uint32_t>(value)));
    else
        database.SetByte(PreferencesGuid, number.key, static_cast<unsigned char>(value));
}

// Only a value of exactly the record's size is a font: a shorter one would
// leave part of the record unset, a longer one is something else. The face
// name is cut to its room so that it always ends.
void ReadFont(CYolDatabase* database, const FontKey& font, S& settings)
{
    LOGFONTW stored;
    unsigned long size = sizeof stored;
    if (database == nullptr || !database->GetData(PreferencesGuid, font.key, &stored, size) ||
        size != sizeof stored) {
        settings.*font.field = S::DefaultFont(font.height, font.weight);
        return;
    }
    stored.lfFaceName[LF_FACESIZE - 1] = 0;
    settings.*font.field = stored;
}

CYolDatabase* FindDatabase(Services::CServicesManager* services)
{
    return services != nullptr ? static_cast<CYolDatabase*>(services->GetService(DatabaseGuid)) : nullptr;
}

} // namespace

LOGFONTW TYolWMMWSettings::DefaultFont(int height, int weight)
{
    LOGFONTW font;
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    std::memcpy(font.lfFaceName, u"Tahoma", sizeof u"Tahoma");
    return font;
}

TYolWMMWSettings::TYolWMMWSettings(Services::CServicesManager* services)
    : m_services(services != nullptr ? services : &Services::CServicesManagerImpl::Instance())
{
    replies.SetGrowStep(kReplyGrowStep);
    Load();
}

TYolWMMWSettings::~TYolWMMWSettings()
{
    DeleteFonts();
    Save();
}

void TYolWMMWSettings::DeleteFonts()
{
    for (HFONT* font : {&headFont, &head2Font, &textFont, &linkFont, &editFont}) {
        if (*font != nullptr)
            DeleteObject(*font);
        *font = nullptr;
    }
}

void TYolWMMWSettings::Load()
{
    CYolDatabase* database = FindDatabase(m_services);
    for (const FlagKey& flag : kFlags)
        ReadFlag(database, flag, *this);
    for (const NumberKey& number : kNumbers)
        ReadNumber(database, number, *this);
    for (const FontKey& font : kFonts)
        ReadFont(database, font, *this);
    if (database == nullptr || !database->GetString(PreferencesGuid, kYourNameKey, yourName))
        yourName = kYourNameDefault;
    replies.Clear();
    if (database == nullptr || !ReadStringList(*database, PreferencesGuid, kRepliesKey, replies)) {
        LoadDefaultReplies();
    }
}

void TYolWMMWSettings::Save() const
{
    CYolDatabase* database = FindDatabase(m_services);
    if (database == nullptr)
        return;
    for (const FlagKey& flag : kFlags)
        database->SetByte(PreferencesGuid, flag.key, this->*flag.field ? 1 : 0);
    for (const NumberKey& number : kNumbers)
        WriteNumber(*database, number, *this);
    for (const FontKey& font : kFonts)
        database->SetData(PreferencesGuid, font.key, &(this->*font.field), sizeof(LOGFONTW));
    database->SetString(PreferencesGuid, kYourNameKey, yourName);
    WriteStringList(*database, PreferencesGuid, kRepliesKey, replies);
}

void TYolWMMWSettings::LoadDefaultReplies()
{
    replies.Clear();
    for (int id : kDefaultReplyStrings)
        replies.Add(UI::DialogString(id));
}

} // namespace MW
