#include "CAccountSettingsStore.h"

#include <cstring>
#include <memory>

namespace Protocols {

const Database::CRecord* CAccountSettingsStore::Find(const CYolString& key) const {
    return Database::FindRecord(records, key);
}

bool CAccountSettingsStore::GetValueSize(const CYolString& key, unsigned int& size) const {
    const Database::CRecord* record = Find(key);
    if (record == nullptr)
        return false;
    size = static_cast<unsigned int>(record->GetSize());
    return true;
}

bool CAccountSettingsStore::GetBlob(const CYolString& key, void* buffer, unsigned int& size) const {
    const Database::CRecord* record = Find(key);
    if (record == nullptr || size < record->GetSize())
        return false;
    if (record->GetSize() > 0)
        std::memcpy(buffer, record->GetData(), record->GetSize());
    size = static_cast<unsigned int>(record->GetSize());
    return true;
}

bool CAccountSettingsStore::GetString(const CYolString& key, CYolString& value, bool isProtected) const {
    const Database::CRecord* record = Find(key);
    if (record == nullptr)
        return false;
    record->GetString(value, isProtected);
    return true;
}

bool CAccountSettingsStore::GetDword(const CYolString& key, unsigned int& value) const {
    const Database::CRecord* record = Find(key);
    if (record == nullptr || record->GetSize() != 4)
        return false;
    value = static_cast<unsigned int>(record->GetDword());
    return true;
}

bool CAccountSettingsStore::GetWord(const CYolString& key, unsigned short& value) const {
    const Database::CRecord* record = Find(key);
    if (record == nullptr || record->GetSize() != 2)
        return false;
    value = record->GetWord();
    return true;
}

bool CAccountSettingsStore::GetByte(const CYolString& key, unsigned char& value) const {
    const Database::CRecord* record = Find(key);
    if (record == nullptr || record->GetSize() != 1)
        return false;
    value = record->GetByte();
    return true;
}

bool CAccountSettingsStore::GetBool(const CYolString& key, bool& value) const {
    unsigned char byte = 0;
    if (!GetByte(key, byte))
        return false;
    value = byte != 0;
    return true;
}

bool CAccountSettingsStore::Store(const CYolString& key, const void* data, unsigned long size) {
    if (Database::CRecord* record = Database::FindRecord(records, key))
        return record->SetData(data, size);
    return Database::AddRecord(records, Database::CRecord(key, data, size)) >= 0;
}

bool CAccountSettingsStore::SetBlob(const CYolString& key, const void* data, unsigned int size) {
    return Store(key, data, data != nullptr ? size : 0);
}

bool CAccountSettingsStore::SetString(const CYolString& key, const CYolString& value, bool isProtected) {
    int length = 0;
    std::unique_ptr<char, decltype(&std::free)> utf8(CYolString::Convert(value, YOL_CP_UTF8, &length), &std::free);
    if (utf8 == nullptr)
        length = 0;
    if (isProtected && length > 0)
        Database::CRecord::TransformProtected(reinterpret_cast<unsigned char*>(utf8.get()),
                                              static_cast<unsigned long>(length));
    return Store(key, utf8.get(), static_cast<unsigned long>(length));
}

bool CAccountSettingsStore::SetDword(const CYolString& key, unsigned int value) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    return Store(key, bytes, sizeof bytes);
}

bool CAccountSettingsStore::SetWord(const CYolString& key, unsigned short value) {
    const unsigned char bytes[2] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8)};
    return Store(key, bytes, sizeof bytes);
}

bool CAccountSettingsStore::SetByte(const CYolString& key, unsigned char value) {
    return Store(key, &value, 1);
}

bool CAccountSettingsStore::Pack(std::vector<unsigned char>& out) const {
    unsigned long size = Database::GetRecordsSize(records);
    out.assign(size, 0);
    if (size == 0)
        return true;
    return Database::PackRecords(records, out.data(), size) == size;
}

bool CAccountSettingsStore::Unpack(const unsigned char* bytes, size_t size) {
    CYolArray<Database::CRecord> list;
    list.SetGrowStep(10);
    if (size > 0xFFFFFFFFu)
        return false;
    if (size > 0 && Database::UnpackRecords(list, bytes, static_cast<unsigned long>(size)) != size)
        return false;
    records = std::move(list);
    return true;
}

}  // namespace Protocols
