// Alert pack files ("_alerts.ini"): any bytes. A parse either fails or gives
// seven records whose sounds lie directly in the pack's folder, and every
// vibration pattern written as flags reads back as itself.

#include "FuzzSupport.h"
#include "TYolWMAlertSettings.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Fuzz::ExactCopy copy(data, size);
    char* text = copy.Chars();
    const CYolString folder(u"/pack/");
    CYolArray<Alert::TYolWMAlertSettings> records;
    const bool parsed = Alert::ParseAlertsFile(text, size, folder, records);
    Fuzz::Check(records.Count() <= Alert::kAlertEventCount);
    Fuzz::Check(!parsed || records.Count() == Alert::kAlertEventCount);
    for (const Alert::TYolWMAlertSettings& record : records) {
        Fuzz::Check(record.on && record.soundOn);
        Fuzz::Check(record.sound.Length() > folder.Length());
        Fuzz::Check(std::memcmp(record.sound.c_str(), folder.c_str(), folder.Length() * sizeof(char16_t)) == 0);
        const CYolString name = record.sound.Substring(folder.Length(), record.sound.Length() - folder.Length());
        for (int i = 0; i < name.Length(); ++i)
            Fuzz::Check(name.c_str()[i] != u'/' && name.c_str()[i] != u'\\' && name.c_str()[i] != 0);
        Fuzz::Check(Alert::FlagsFromString(Alert::FlagsToString(record.vibra)) == record.vibra);
    }
    return 0;
}
