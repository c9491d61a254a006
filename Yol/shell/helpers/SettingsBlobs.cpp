#include "SettingsBlobs.h"

#include "CRecord.h"
#include "CYolDatabase.h"

#include <new>
#include <vector>

using Database::CRecord;

namespace {

CRecord StringRecord(const CYolString& name, const CYolString& text) {
    const std::string utf8 = text.ToUtf8();
    return CRecord(name, utf8.data(), static_cast<unsigned long>(utf8.size()));
}

CRecord ByteRecord(const char16_t* name, bool value) {
    CRecord record(name, nullptr, 0);
    record.SetByte(value ? 1 : 0);
    return record;
}

bool Pack(const CYolArray<CRecord>& records, std::vector<unsigned char>& blob) {
    blob.assign(Database::GetRecordsSize(records), 0);
    if (blob.empty())
        return records.Count() == 0;
    return Database::PackRecords(records, blob.data(), static_cast<unsigned long>(blob.size())) == blob.size();
}

bool Unpack(const unsigned char* blob, unsigned long size, CYolArray<CRecord>& records) {
    records.Clear();
    if (size == 0)
        return true;
    return blob != nullptr && Database::UnpackRecords(records, blob, size) == size;
}

bool ReadBlob(Database::CYolDatabase& database, const YOL_GUID& section, const CYolString& key,
              std::vector<unsigned char>& blob) {
    unsigned long size = 0;
    if (!database.GetSize(section, key, size))
        return false;
    blob.assign(size, 0);
    return size == 0 || database.GetData(section, key, blob.data(), size);
}

bool WriteBlob(Database::CYolDatabase& database, const YOL_GUID& section, const CYolString& key,
               const std::vector<unsigned char>& blob) {
    const unsigned long size = static_cast<unsigned long>(blob.size());
    return database.SetData(section, key, blob.data(), size);
}

}  // namespace

Services::CEventArg_Data<CYolString>* NewStringEventArg(const CYolString& text) {
    return new (std::nothrow) Services::CEventArg_Data<CYolString>(text);
}

bool PackStringList(const CYolArray<CYolString>& list, std::vector<unsigned char>& blob) {
    CYolArray<CRecord> records;
    for (const CYolString& text : list)
        records.Add(StringRecord(CYolString(), text));
    return Pack(records, blob);
}

bool UnpackStringList(const unsigned char* blob, unsigned long size, CYolArray<CYolString>& list) {
    CYolArray<CRecord> records;
    if (!Unpack(blob, size, records))
        return false;
    for (const CRecord& record : records) {
        CYolString text;
        record.GetString(text);
        list.Add(std::move(text));
    }
    return true;
}

bool PackAlertSettings(const CYolArray<TAlertSettingsEntry>& list, std::vector<unsigned char>& blob) {
    CYolArray<CRecord> records;
    for (const TAlertSettingsEntry& entry : list) {
        CYolArray<CRecord> fields;
        fields.Add(ByteRecord(u"On", entry.on));
        fields.Add(ByteRecord(u"SoundOn", entry.soundOn));
        fields.Add(StringRecord(u"Sound", entry.sound));
        CRecord vibra(u"Vibra", nullptr, 0);
        vibra.SetDword(entry.vibra);
        fields.Add(vibra);
        std::vector<unsigned char> inner;
        if (!Pack(fields, inner))
            return false;
        records.Add(CRecord(CYolString(), inner.data(), static_cast<unsigned long>(inner.size())));
    }
    return Pack(records, blob);
}

bool UnpackAlertSettings(const unsigned char* blob, unsigned long size, CYolArray<TAlertSettingsEntry>& list) {
    CYolArray<CRecord> records;
    if (!Unpack(blob, size, records))
        return false;
    for (const CRecord& record : records) {
        CYolArray<CRecord> fields;
        if (!Unpack(record.GetData(), record.GetSize(), fields))
            return false;
        const CRecord* on = Database::FindRecord(fields, u"On");
        const CRecord* soundOn = Database::FindRecord(fields, u"SoundOn");
        const CRecord* sound = Database::FindRecord(fields, u"Sound");
        const CRecord* vibra = Database::FindRecord(fields, u"Vibra");
        if (on == nullptr || soundOn == nullptr || sound == nullptr || vibra == nullptr)
            return false;
        TAlertSettingsEntry entry;
        entry.on = on->GetByte() != 0;
        entry.soundOn = soundOn->GetByte() != 0;
        sound->GetString(entry.sound);
        entry.vibra = static_cast<unsigned int>(vibra->GetDword());
        list.Add(std::move(entry));
    }
    return true;
}

bool ReadStringList(Database::CYolDatabase& database, const YOL_GUID& section, const CYolString& key,
                    CYolArray<CYolString>& list) {
    std::vector<unsigned char> blob;
    return ReadBlob(database, section, key, blob) &&
           UnpackStringList(blob.data(), static_cast<unsigned long>(blob.size()), list);
}

bool WriteStringList(Database::CYolDatabase& database, const YOL_GUID& section, const CYolString& key,
                     const CYolArray<CYolString>& list) {
    std::vector<unsigned char> blob;
    return PackStringList(list, blob) && WriteBlob(database, section, key, blob);
}

bool ReadAlertSettingsArray(Database::CYolDatabase& database, const YOL_GUID& section, const CYolString& key,
                            CYolArray<TAlertSettingsEntry>& list) {
    std::vector<unsigned char> blob;
    return ReadBlob(database, section, key, blob) &&
           UnpackAlertSettings(blob.data(), static_cast<unsigned long>(blob.size()), list);
}

bool WriteAlertSettingsArray(Database::CYolDatabase& database, const YOL_GUID& section, const CYolString& key,
                             const CYolArray<TAlertSettingsEntry>& list) {
    std::vector<unsigned char> blob;
    return PackAlertSettings(list, blob) && WriteBlob(database, section, key, blob);
}
