#pragma once
// CYolSystemInfo: facts about the program and the device that peers and the
// version check are told.

#include "CYolString.h"
#include "YolTypes.h"

class YOL_API CYolSystemInfo {
public:
    // The build number.
    static int YolVersion() { return 2142; }
    // The platform name that peers see; a wire value, not a description of
    // the machine we run on.
    static const char16_t* OSName() { return u"WM"; }

    // A stable identifier of this machine for this program: 32 lower-case
    // hex digits derived from /etc/machine-id with a keyed hash, so the
    // machine id itself never leaves the machine. Empty when the machine id
    // cannot be read or is malformed.
    static CYolString DeviceID();
    // The machine's model name (DMI product name), trimmed; empty when
    // unknown.
    static CYolString DeviceName();

    // The same taken from other files (containers without these files,
    // tests).
    static CYolString DeviceIDFrom(const char* machineIdPath);
    static CYolString DeviceNameFrom(const char* productNamePath);
};
