#include "TYolWMAlertSettings.h"

#include "CYolPath.h"
#include "FileHelpers.h"
#include "PackNames.h"

#include <cstring>
#include <string>
#include <string_view>

namespace Alert {

namespace {

constexpr char kHeader[] = "[YolAlerts]\r\n";
constexpr std::size_t kHeaderLength = sizeof kHeader - 1;
constexpr int kMaxFlags = 32;
// The handheld built each sound path and flag token in a buffer of its path
// limit; ours is the Linux one. Anything longer is not a pack of ours.
constexpr std::size_t kMaxPathUnits = 4095;
constexpr std::size_t kMaxFlagToken = 259;

// Vibration of the built-in settings, by event: a long buzz for a message,
// two short ones for e-mail, none for the rest.
constexpr unsigned int kDefaultVibra[kAlertEventCount] = {0xF, 0, 0, 0, 0x3, 0, 0};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// Packs come from the handheld in its code page, or are written here in
// UTF-8; plain ASCII reads the same either way.
CYolString DecodeName(std::string_view bytes) {
    CYolString name = CYolString::FromUtf8(bytes);
    if (name.ToUtf8() == bytes)
        return name;
    return CYolString(bytes.data(), static_cast<int>(bytes.size()), 1251);
}

// Reads one "=name flags" entry from `at`; false when the text ends or holds
// something no pack of ours would. `last` allows the text to end right after
// the flags.
bool ParseEntry(std::string_view text, std::size_t& at, bool last, const CYolString& packFolder,
                TYolWMAlertSettings& entry) {
    const std::size_t sign = text.find('=', at);
    if (sign == std::string_view::npos)
        return false;
    at = sign + 1;
    const std::size_t nameStart = at;
    while (at < text.size() && !IsBlank(text[at]))
        ++at;
    if (at == text.size())
        return false;
    const std::string_view name = text.substr(nameStart, at - nameStart);
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    if (at == text.size())
        return false;
    const std::size_t flagsStart = at;
    while (at < text.size() && !IsBlank(text[at]))
        ++at;
    if ((at == text.size() && !last) || at - flagsStart > kMaxFlagToken)
        return false;
    // A sound must lie in the pack's own folder.
    const CYolString fileName = DecodeName(name);
    if (!IsPlainEntryName(fileName))
        return false;
    CYolString path = packFolder;
    path += fileName;
    if (static_cast<std::size_t>(path.Length()) > kMaxPathUnits)
        return false;
    entry.on = true;
    entry.soundOn = true;
    entry.sound = std::move(path);
    entry.vibra = FlagsFromString(text.data() + flagsStart, at - flagsStart);
    return true;
}

}  // namespace

const char16_t* GetDefaultAlertPackName() { return u"Yol PDA alerts"; }

bool ParseAlertsFile(const char* text, std::size_t length, const CYolString& packFolder,
                     CYolArray<TYolWMAlertSettings>& settings) {
    if (text == nullptr || length < kHeaderLength || std::memcmp(text, kHeader, kHeaderLength) != 0)
        return false;
    const std::string_view whole(text, length);
    std::size_t at = kHeaderLength;
    for (int event = 0; event < kAlertEventCount; ++event) {
        TYolWMAlertSettings entry;
        if (!ParseEntry(whole, at, event == kAlertEventCount - 1, packFolder, entry))
            return false;
        settings.Add(std::move(entry));
    }
    return true;
}

void SetDefaultAlertSettings(CYolArray<TYolWMAlertSettings>& settings) {
    settings.Clear();
    for (unsigned int vibra : kDefaultVibra) {
        TYolWMAlertSettings entry;
        entry.on = true;
        entry.soundOn = false;
        entry.vibra = vibra;
        settings.Add(std::move(entry));
    }
}

void LoadAlertSettingsFile(const CYolString& path, CYolArray<TYolWMAlertSettings>& settings) {
    settings.Clear();
    std::size_t size = 0;
    const std::unique_ptr<unsigned char[]> text = ReadWholeFile(path, &size);
    if (!text || !ParseAlertsFile(reinterpret_cast<const char*>(text.get()), size, CYolPath::ExtractFilePath(path),
                                  settings)) {
        SetDefaultAlertSettings(settings);
        return;
    }
    // Packs copied from the handheld may spell their sounds' names in any case.
    for (TYolWMAlertSettings& entry : settings) {
        CYolString resolved;
        if (CYolPath::ResolveCaseInsensitive(entry.sound, resolved))
            entry.sound = resolved;
    }
}

void LoadAlertSettings(const CYolString& packName, CYolArray<TYolWMAlertSettings>& settings) {
    const CYolString path = CYolPath::Path({CYolPath::AlertsDir(), packName, CYolPath::Sep(), GetAlertsFileName()});
    // Packs copied from the handheld may spell their names in any case.
    CYolString resolved;
    if (!IsPlainEntryName(packName) || !CYolPath::ResolveCaseInsensitive(path, resolved)) {
        SetDefaultAlertSettings(settings);
        return;
    }
    LoadAlertSettingsFile(resolved, settings);
}

unsigned int FlagsFromString(const char* text, std::size_t length) {
    unsigned int flags = 0;
    for (std::size_t i = 0; i < length && i < kMaxFlags; ++i)
        if (text[i] != '0')
            flags |= 1u << i;
    return flags;
}

unsigned int FlagsFromString(const CYolString& text) {
    unsigned int flags = 0;
    const char16_t* units = text.c_str();
    for (int i = 0; i < text.Length() && i < kMaxFlags; ++i)
        if (units[i] != u'0')
            flags |= 1u << i;
    return flags;
}

CYolString FlagsToString(unsigned int flags) {
    if (flags == 0)
        return CYolString(u"0");
    std::u16string text;
    for (; flags != 0; flags >>= 1)
        text += (flags & 1) != 0 ? u'1' : u'0';
    return CYolString(text.data(), static_cast<int>(text.size()));
}

}  // namespace Alert
