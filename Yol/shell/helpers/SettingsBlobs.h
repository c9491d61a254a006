#pragma once
// Lists kept under one key of the settings database as one blob of packed
// records, and small event and record helpers.
//
// A string list is one record per string, with an empty name and the
// string's UTF-8 as data. An alert-settings list is one record per entry,
// with an empty name, whose data is itself four records: "On" (byte),
// "SoundOn" (byte), "Sound" (UTF-8) and "Vibra" (32-bit little-endian).

#include "CEventArg.h"
#include "CYolArray.h"
#include "CYolString.h"
#include "YOL_GUID.h"

namespace Database {
class CYolDatabase;
}

// One alert's settings as the blob stores them.
struct TAlertSettingsEntry {
    bool on = false;
    bool soundOn = false;
    CYolString sound;
    unsigned int vibra = 0;
};

struct TKeyedStringPair {
    unsigned int key = 0;
    CYolString first;
    CYolString second;
};

// Null when memory is short.
Services::CEventArg_Data<CYolString>* NewStringEventArg(const CYolString& text);

bool ReadStringList(Database::CYolDatabase& database, const YOL_GUID& section, const CYolString& key,
                    CYolArray<CYolString>& list);
bool WriteStringList(Database::CYolDatabase& database, const YOL_GUID& section, const CYolString& key,
                     const CYolArray<CYolString>& list);
// Appends the entries in order; stops at the first entry that lacks one of
// the four fields and answers false (the entries before it stay).
bool ReadAlertSettingsArray(Database::CYolDatabase& database, const YOL_GUID& section, const CYolString& key,
                            CYolArray<TAlertSettingsEntry>& list);
bool WriteAlertSettingsArray(Database::CYolDatabase& database, const YOL_GUID& section, const CYolString& key,
                             const CYolArray<TAlertSettingsEntry>& list);

// The blobs themselves, for the readers above and the tests.
bool PackStringList(const CYolArray<CYolString>& list, std::vector<unsigned char>& blob);
bool UnpackStringList(const unsigned char* blob, unsigned long size, CYolArray<CYolString>& list);
bool PackAlertSettings(const CYolArray<TAlertSettingsEntry>& list, std::vector<unsigned char>& blob);
bool UnpackAlertSettings(const unsigned char* blob, unsigned long size, CYolArray<TAlertSettingsEntry>& list);
