#pragma once
// Database::CRecord: one named binary value, the unit of the settings file,
// of every account's settings and of the contact-list values.
//
// Packed form (settings file, account blobs, "CL data"):
//   1 byte   N, the name's length in UTF-8 bytes
//   N bytes  the name in UTF-8, no terminator
//   4 bytes  L, the data length, little-endian
//   L bytes  the data
//
// Typed values are little-endian; a "protected" string goes through a keyless
// byte transform that stored files depend on, so it must never change.

#include "CYolArray.h"
#include "CYolString.h"
#include "YolTypes.h"

#include <cstdint>

namespace Database {

class YOL_API CRecord {
public:
    // The length byte holds names of at most this many UTF-8 bytes; a longer
    // name would be cut in the file and spoil everything after it.
    static constexpr unsigned long kMaxNameBytes = 255;
    // The data length field is 32 bits.
    static constexpr unsigned long kMaxDataBytes = 0xFFFFFFFFul;

    CRecord() = default;
    // No buffer when data is null, size is 0 or size is past the 32-bit
    // length of the packed form.
    CRecord(const CYolString& name, const void* data, unsigned long size);
    CRecord(const CRecord& other);
    CRecord(CRecord&& other) noexcept;
    CRecord& operator=(const CRecord& other);
    CRecord& operator=(CRecord&& other) noexcept;
    ~CRecord();

    // True when the name fits the length byte of the packed form.
    static bool IsValidName(const CYolString& name);
    bool HasValidName() const { return IsValidName(name); }

    // N + L + 5.
    unsigned long GetPackedSize() const;
    // Bytes written; 0 when the buffer is smaller than the packed size, or
    // when the record has no packed form (name over 255 bytes, data over 4 GB).
    unsigned long Pack(unsigned char* buffer, unsigned long size) const;
    // Bytes consumed (N + L + 5); 0, with the record unchanged, when the
    // buffer is empty or ends before the name, the length or the data.
    unsigned long Unpack(const unsigned char* buffer, unsigned long size);

    const CYolString& GetName() const { return name; }
    unsigned long GetSize() const { return size; }
    // Null when the value is empty.
    const unsigned char* GetData() const { return data; }

    // The first 1, 2 or 4 bytes; 0 when the value is shorter.
    unsigned char GetByte() const;
    unsigned short GetWord() const;
    unsigned long GetDword() const;
    // The data decoded from UTF-8; `isProtected` undoes the password
    // transform first.
    void GetString(CYolString& out, bool isProtected = false) const;

    void SetByte(unsigned char value);
    void SetWord(unsigned short value);
    // Stores the low 32 bits.
    void SetDword(unsigned long value);
    // False, with the value unchanged, when size is past the 32-bit length.
    bool SetData(const void* bytes, unsigned long count);
    void SetString(const CYolString& value, bool isProtected = false);

    // The password transform: byte i becomes (256 - b - i - 2) mod 256. It is
    // its own inverse.
    static void TransformProtected(unsigned char* bytes, unsigned long count);

    // The head of a packed record (N, name, L) on its own, for writers that
    // stream the data after it (the settings file's sections). Bytes written,
    // 0 when it does not fit or the name is too long.
    static unsigned long PackHeader(const CYolString& name, unsigned long dataLength, unsigned char* buffer,
                                    unsigned long size);
    // Reads a head; its size (N + 5), 0 when the buffer ends inside it. The
    // data length is not checked against the buffer.
    static unsigned long UnpackHeader(const unsigned char* buffer, unsigned long size, CYolString& name,
                                      unsigned long& dataLength);
    // Length of the text in UTF-8.
    static unsigned long Utf8Length(const CYolString& text);

private:
    // Keeps the buffer when the size stays, so a value rewritten in place
    // costs no allocation.
    unsigned char* Resize(unsigned long count);

    CYolString name;
    unsigned long size = 0;
    unsigned char* data = nullptr;
};

// Record lists: named values kept in insertion order, looked up linearly.
// Protocol plug-ins keep their account values in these too, so they are
// exported with the class.

// The first record with exactly that name, or null.
YOL_API CRecord* FindRecord(CYolArray<CRecord>& list, const CYolString& name);
YOL_API const CRecord* FindRecord(const CYolArray<CRecord>& list, const CYolString& name);
// Appends a copy; the index, or -1 when the name has no packed form.
YOL_API int AddRecord(CYolArray<CRecord>& list, const CRecord& record);
// The packed size of all records back to back.
YOL_API unsigned long GetRecordsSize(const CYolArray<CRecord>& list);
// Packs all records back to back; bytes written, 0 when the buffer is smaller
// than the total or some record has no packed form.
YOL_API unsigned long PackRecords(const CYolArray<CRecord>& list, unsigned char* buffer, unsigned long size);
// Appends every record packed in the buffer; the bytes consumed (all of
// them). When any record is malformed, or bytes are left over that do not
// make a record, the list is emptied and 0 returned.
YOL_API unsigned long UnpackRecords(CYolArray<CRecord>& list, const unsigned char* buffer, unsigned long size);

}  // namespace Database
