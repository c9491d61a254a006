// Alert pack files ("_alerts.ini"): any bytes. A parse either fails or gives
// seven records whose sounds lie directly in the pack's folder, and every
// vibration pattern written as flags reads back as itself.

#include "TYolWMAlertSettings.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that reading one byte too far trips the sanitizer.
    char* text = static_cast<char*>(std::malloc(size == 0 ? 1 : size));
    if (size > 0)
        std::memcpy(text, data, size);
    const CYolString folder(u"/pack/");
    CYolArray<Alert::TYolWMAlertSettings> records;
    const bool parsed = Alert::ParseAlertsFile(text, size, folder, records);
    Check(records.Count() <= Alert::kAlertEventCount);
    Check(!parsed || records.Count() == Alert::kAlertEventCount);
    for (const Alert::TYolWMAlertSettings& record : records) {
        Check(record.on && record.soundOn);
        Check(record.sound.Length() > folder.Length());
        Check(std::memcmp(record.sound.c_str(), folder.c_str(), folder.Length() * sizeof(char16_t)) == 0);
        const CYolString name = record.sound.Substring(folder.Length(), record.sound.Length() - folder.Length());
        for (int i = 0; i < name.Length(); ++i)
            Check(name.c_str()[i] != u'/' && name.c_str()[i] != u'\\' && name.c_str()[i] != 0);
        Check(Alert::FlagsFromString(Alert::FlagsToString(record.vibra)) == record.vibra);
    }
    std::free(text);
    return 0;
}
