#pragma once
// Type-length-value records and runs of them.
//
// Wire forms, big-endian unless asked for little-endian headers:
//   CTLV     type (2), length (2), value (length bytes)
//   CBigTLV  type (2), length (4), value (length bytes)
// A collection on the wire is its records back to back, with no count and no
// terminator. Records keep the order in which they were added; a type may
// repeat.

#include "CByteReader.h"
#include "CYolArray.h"
#include "YolTypes.h"

class CAutoBuf;

class YOL_API CTLV {
public:
    static constexpr int kHeaderSize = 4;

    // Type 0xFFFF, no value.
    CTLV() = default;
    // Numbers become 1-, 2- or 4-byte big-endian values.
    CTLV(unsigned short type, unsigned char value);
    CTLV(unsigned short type, unsigned short value);
    CTLV(unsigned short type, unsigned int value);
    // A copy of the bytes; null data gives an empty value.
    CTLV(unsigned short type, unsigned short length, const unsigned char* data);
    // One record from its wire form; the caller has checked that the whole
    // record is there. Bytes from outside go through LoadWire.
    explicit CTLV(const unsigned char* wire);
    CTLV(const CTLV& other);
    CTLV(CTLV&& other) noexcept;
    virtual ~CTLV();

    CTLV& operator=(const CTLV& other);
    CTLV& operator=(CTLV&& other) noexcept;

    // Replaces type and value (data may be this record's own value). False,
    // the record unchanged, when the copy cannot be allocated.
    bool Load(unsigned short type, unsigned short length, const unsigned char* data);
    // One record from the first `available` bytes of wire. False, the record
    // unchanged, when the header or the value runs past them.
    bool LoadWire(const unsigned char* wire, int available);

    unsigned short GetType() const { return type; }
    unsigned short GetLength() const { return length; }
    const unsigned char* GetValue() const { return value; }
    int WireSize() const { return kHeaderSize + length; }
    // A bounded reader over the value.
    CByteReader Reader() const { return CByteReader(value, length); }
    // Writes the wire form (WireSize() bytes) at out.
    void Write(unsigned char* out, bool littleEndian) const;

private:
    unsigned short type = 0xFFFF;
    unsigned short length = 0;
    unsigned char* value = nullptr;
};

class YOL_API CBigTLV {
public:
    static constexpr int kHeaderSize = 6;

    CBigTLV() = default;
    CBigTLV(unsigned short type, unsigned char value);
    CBigTLV(unsigned short type, unsigned short value);
    CBigTLV(unsigned short type, unsigned int value);
    CBigTLV(unsigned short type, unsigned int length, const unsigned char* data);
    explicit CBigTLV(const unsigned char* wire);
    CBigTLV(const CBigTLV& other);
    CBigTLV(CBigTLV&& other) noexcept;
    virtual ~CBigTLV();

    CBigTLV& operator=(const CBigTLV& other);
    CBigTLV& operator=(CBigTLV&& other) noexcept;

    // As CTLV; a value longer than INT_MAX bytes cannot be held (no byte
    // count in this library reaches it) and fails.
    bool Load(unsigned short type, unsigned int length, const unsigned char* data);
    bool LoadWire(const unsigned char* wire, int available);

    unsigned short GetType() const { return type; }
    unsigned int GetLength() const { return length; }
    const unsigned char* GetValue() const { return value; }
    int64_t WireSize() const { return kHeaderSize + int64_t(length); }
    CByteReader Reader() const { return CByteReader(value, int(length)); }
    void Write(unsigned char* out, bool littleEndian) const;

private:
    unsigned short type = 0xFFFF;
    unsigned int length = 0;
    unsigned char* value = nullptr;
};

// Both collections: Add, Count, operator[] and the rest come from the array.
//
// Unpack appends the whole records found at the start of data (it does not
// clear the collection): parsing stops at the first record whose value runs
// past the input, and trailing bytes too short for a header are ignored.
// It answers GetDataLength().
//
// GetDataLength is the sum of header size + value length over all records;
// 0 when empty and -1 when the sum exceeds INT_MAX (it cannot be one buffer).
//
// GetBuffer answers a new malloc block of GetDataLength() bytes holding every
// record in order (type and length little-endian when asked, values as they
// are), which the caller frees; null when the collection is empty or too
// large. AppendTo writes the same bytes at the end of a CAutoBuf.
class YOL_API CTLVCol : public CYolArray<CTLV> {
public:
    CTLVCol() = default;
    CTLVCol(const CTLVCol& other);
    CTLVCol(CTLVCol&& other) noexcept = default;
    ~CTLVCol() override;
    CTLVCol& operator=(const CTLVCol& other);
    CTLVCol& operator=(CTLVCol&& other) noexcept = default;

    int Unpack(const unsigned char* data, int length);
    // The first record of that type in order of addition; null when none.
    const CTLV* GetTLV(unsigned short type) const;
    int GetDataLength() const;
    unsigned char* GetBuffer(bool littleEndian) const;
    bool AppendTo(CAutoBuf& out, bool littleEndian = false) const;
};

class YOL_API CBigTLVCol : public CYolArray<CBigTLV> {
public:
    CBigTLVCol() = default;
    CBigTLVCol(const CBigTLVCol& other);
    CBigTLVCol(CBigTLVCol&& other) noexcept = default;
    ~CBigTLVCol() override;
    CBigTLVCol& operator=(const CBigTLVCol& other);
    CBigTLVCol& operator=(CBigTLVCol&& other) noexcept = default;

    int Unpack(const unsigned char* data, int length);
    const CBigTLV* GetTLV(unsigned short type) const;
    int GetDataLength() const;
    unsigned char* GetBuffer(bool littleEndian) const;
    bool AppendTo(CAutoBuf& out, bool littleEndian = false) const;
};
