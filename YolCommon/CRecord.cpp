#include "CRecord.h"

#include "CPacker.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

namespace Database {

namespace {

// Names and string values are UTF-8. The library's conversion never fails on
// malformed input: each bad sequence, and each lone surrogate, becomes
// U+FFFD.
CYolString DecodeText(const unsigned char* in, unsigned long count) {
    return CYolString::FromUtf8(std::string_view(reinterpret_cast<const char*>(in), count));
}

// Size of a record at `buffer` without decoding it; 0 when the buffer ends
// inside the head or the data.
unsigned long MeasurePacked(const unsigned char* buffer, unsigned long room) {
    if (room == 0)
        return 0;
    unsigned long nameBytes = buffer[0];
    if (room < nameBytes + 5)
        return 0;
    unsigned long dataLength = CPacker::Unpack32LE(buffer + 1 + nameBytes);
    if (room - nameBytes - 5 < dataLength)
        return 0;
    return nameBytes + 5 + dataLength;
}

}  // namespace

CRecord::CRecord(const CYolString& recordName, const void* bytes, unsigned long count) : name(recordName) {
    if (bytes != nullptr && count != 0 && count <= kMaxDataBytes) {
        data = static_cast<unsigned char*>(std::malloc(count));
        if (data == nullptr)
            throw std::bad_alloc();
        std::memcpy(data, bytes, count);
        size = count;
    }
}

CRecord::CRecord(const CRecord& other) : CRecord(other.name, other.data, other.size) {}

CRecord::CRecord(CRecord&& other) noexcept
    : name(std::move(other.name)), size(std::exchange(other.size, 0)), data(std::exchange(other.data, nullptr)) {}

CRecord& CRecord::operator=(const CRecord& other) {
    if (this != &other) {
        CRecord copy(other);
        *this = std::move(copy);
    }
    return *this;
}

CRecord& CRecord::operator=(CRecord&& other) noexcept {
    if (this != &other) {
        std::free(data);
        name = std::move(other.name);
        size = std::exchange(other.size, 0);
        data = std::exchange(other.data, nullptr);
    }
    return *this;
}

CRecord::~CRecord() { std::free(data); }

unsigned long CRecord::Utf8Length(const CYolString& text) { return text.Utf8Length(); }

bool CRecord::IsValidName(const CYolString& text) { return Utf8Length(text) <= kMaxNameBytes; }

unsigned long CRecord::GetPackedSize() const { return Utf8Length(name) + size + 5; }

unsigned long CRecord::PackHeader(const CYolString& text, unsigned long dataLength, unsigned char* buffer,
                                  unsigned long room) {
    unsigned long nameBytes = text.Utf8Length();
    if (nameBytes > kMaxNameBytes || dataLength > kMaxDataBytes || room < nameBytes + 5)
        return 0;
    buffer[0] = static_cast<unsigned char>(nameBytes);
    text.WriteUtf8(reinterpret_cast<char*>(buffer + 1));
    CPacker::Pack32LE(buffer + 1 + nameBytes, static_cast<uint32_t>(dataLength));
    return nameBytes + 5;
}

unsigned long CRecord::UnpackHeader(const unsigned char* buffer, unsigned long room, CYolString& text,
                                    unsigned long& dataLength) {
    if (buffer == nullptr || room == 0)
        return 0;
    unsigned long nameBytes = buffer[0];
    if (room < nameBytes + 5)
        return 0;
    text = DecodeText(buffer + 1, nameBytes);
    dataLength = CPacker::Unpack32LE(buffer + 1 + nameBytes);
    return nameBytes + 5;
}

unsigned long CRecord::Pack(unsigned char* buffer, unsigned long room) const {
    // 64-bit sizes: a 4 GB value cannot wrap the sum.
    unsigned long head = PackHeader(name, size, buffer, room);
    if (head == 0 || room - head < size)
        return 0;
    if (size != 0)
        std::memcpy(buffer + head, data, size);
    return head + size;
}

unsigned long CRecord::Unpack(const unsigned char* buffer, unsigned long room) {
    CYolString text;
    unsigned long dataLength = 0;
    unsigned long head = UnpackHeader(buffer, room, text, dataLength);
    if (head == 0 || room - head < dataLength)
        return 0;
    CRecord fresh(text, buffer + head, dataLength);
    *this = std::move(fresh);
    return head + dataLength;
}

unsigned char CRecord::GetByte() const { return size >= 1 ? data[0] : 0; }

unsigned short CRecord::GetWord() const { return size >= 2 ? CPacker::Unpack16LE(data) : 0; }

unsigned long CRecord::GetDword() const { return size >= 4 ? CPacker::Unpack32LE(data) : 0; }

void CRecord::GetString(CYolString& out, bool isProtected) const {
    if (!isProtected) {
        out = DecodeText(data, size);
        return;
    }
    std::vector<unsigned char> plain(data, data + size);
    TransformProtected(plain.data(), plain.size());
    out = DecodeText(plain.data(), plain.size());
}

unsigned char* CRecord::Resize(unsigned long count) {
    if (count == size)
        return data;
    unsigned char* fresh = nullptr;
    if (count != 0) {
        fresh = static_cast<unsigned char*>(std::malloc(count));
        if (fresh == nullptr)
            throw std::bad_alloc();
    }
    std::free(data);
    data = fresh;
    size = count;
    return data;
}

void CRecord::SetByte(unsigned char value) { Resize(1)[0] = value; }

void CRecord::SetWord(unsigned short value) { CPacker::Pack16LE(Resize(2), value); }

void CRecord::SetDword(unsigned long value) { CPacker::Pack32LE(Resize(4), static_cast<uint32_t>(value)); }

bool CRecord::SetData(const void* bytes, unsigned long count) {
    if (count > kMaxDataBytes)
        return false;
    if (bytes == nullptr)
        count = 0;
    // The source may lie inside our own buffer.
    if (count == size) {
        if (count != 0)
            std::memmove(data, bytes, count);
        return true;
    }
    CRecord fresh(name, bytes, count);
    *this = std::move(fresh);
    return true;
}

void CRecord::SetString(const CYolString& value, bool isProtected) {
    unsigned long count = value.Utf8Length();
    unsigned char* p = Resize(count);
    if (count == 0)
        return;
    value.WriteUtf8(reinterpret_cast<char*>(p));
    if (isProtected)
        TransformProtected(p, count);
}

void CRecord::TransformProtected(unsigned char* bytes, unsigned long count) {
    for (unsigned long i = 0; i < count; ++i)
        bytes[i] = static_cast<unsigned char>(256 - bytes[i] - i - 2);
}

CRecord* FindRecord(CYolArray<CRecord>& list, const CYolString& name) {
    for (CRecord& record : list)
        if (record.GetName() == name)
            return &record;
    return nullptr;
}

const CRecord* FindRecord(const CYolArray<CRecord>& list, const CYolString& name) {
    for (const CRecord& record : list)
        if (record.GetName() == name)
            return &record;
    return nullptr;
}

int AddRecord(CYolArray<CRecord>& list, const CRecord& record) {
    if (!record.HasValidName())
        return -1;
    return list.Add(record);
}

unsigned long GetRecordsSize(const CYolArray<CRecord>& list) {
    unsigned long total = 0;
    for (const CRecord& record : list)
        total += record.GetPackedSize();
    return total;
}

unsigned long PackRecords(const CYolArray<CRecord>& list, unsigned char* buffer, unsigned long room) {
    if (room < GetRecordsSize(list))
        return 0;
    unsigned long used = 0;
    for (const CRecord& record : list) {
        unsigned long n = record.Pack(buffer + used, room - used);
        if (n == 0)
            return 0;
        used += n;
    }
    return used;
}

unsigned long UnpackRecords(CYolArray<CRecord>& list, const unsigned char* buffer, unsigned long room) {
    // A first pass checks the whole buffer and counts, so a bad record adds
    // nothing and the array grows once.
    int records = 0;
    for (unsigned long pos = 0; pos < room; ++records) {
        unsigned long n = MeasurePacked(buffer + pos, room - pos);
        if (n == 0) {
            list.Clear();
            return 0;
        }
        pos += n;
    }
    list.Reserve(list.Count() + records);
    unsigned long pos = 0;
    while (pos < room) {
        CRecord record;
        pos += record.Unpack(buffer + pos, room - pos);
        list.Add(record);
    }
    return pos;
}

}  // namespace Database
