#pragma once
// Type-length-value records and runs of them.
//
// Wire forms, big-endian unless asked for little-endian headers:
//   CTLV     type (2), length (2), value (length bytes)
//   CBigTLV  type (2), length (4), value (length bytes)
// A collection on the wire is its records back to back, with no count and no
// terminator. Records keep the order in which they were added; a type may
// repeat.
//
// Both record forms are one implementation, CTLVBase, told apart by the type
// of the length field; the two collections likewise share CTLVColBase. Only
// the four instantiations below exist, built once in the library.

#include "CByteReader.h"
#include "CYolArray.h"
#include "YolTypes.h"

#include <cstdint>
#include <type_traits>

class CAutoBuf;

template <typename Len>
class YOL_API CTLVBase {
    static_assert(std::is_same_v<Len, unsigned short> || std::is_same_v<Len, unsigned int>);

public:
    static constexpr int kHeaderSize = 2 + int(sizeof(Len));
    // A record's wire size: an int while the length field cannot take it
    // past INT_MAX.
    using WireSizeType = std::conditional_t<sizeof(Len) < sizeof(int), int, int64_t>;

    // Type 0xFFFF, no value.
    CTLVBase() = default;
    // Numbers become 1-, 2- or 4-byte big-endian values.
    CTLVBase(unsigned short type, unsigned char value);
    CTLVBase(unsigned short type, unsigned short value);
    CTLVBase(unsigned short type, unsigned int value);
    // A copy of the bytes; null data gives an empty value.
    CTLVBase(unsigned short type, Len length, const unsigned char* data);
    // One record from its wire form; the caller has checked that the whole
    // record is there. Bytes from outside go through LoadWire.
    explicit CTLVBase(const unsigned char* wire);
    CTLVBase(const CTLVBase& other);
    CTLVBase(CTLVBase&& other) noexcept;
    virtual ~CTLVBase();

    CTLVBase& operator=(const CTLVBase& other);
    CTLVBase& operator=(CTLVBase&& other) noexcept;

    // Replaces type and value (data may be this record's own value). False,
    // the record unchanged, when the copy cannot be allocated, or when the
    // value is longer than INT_MAX bytes (no byte count in this library
    // reaches it; only a 32-bit length can ask for it).
    bool Load(unsigned short type, Len length, const unsigned char* data);
    // One record from the first `available` bytes of wire. False, the record
    // unchanged, when the header or the value runs past them.
    bool LoadWire(const unsigned char* wire, int available);

    unsigned short GetType() const { return type; }
    Len GetLength() const { return length; }
    const unsigned char* GetValue() const { return value; }
    WireSizeType WireSize() const { return kHeaderSize + WireSizeType(length); }
    // A bounded reader over the value.
    CByteReader Reader() const { return CByteReader(value, int(length)); }
    // Writes the wire form (WireSize() bytes) at out.
    void Write(unsigned char* out, bool littleEndian) const;

private:
    unsigned short type = 0xFFFF;
    Len length = 0;
    unsigned char* value = nullptr;
};

extern template class CTLVBase<unsigned short>;
extern template class CTLVBase<unsigned int>;

class YOL_API CTLV : public CTLVBase<unsigned short> {
public:
    using CTLVBase::CTLVBase;
};

class YOL_API CBigTLV : public CTLVBase<unsigned int> {
public:
    using CTLVBase::CTLVBase;
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
template <class Rec>
class YOL_API CTLVColBase : public CYolArray<Rec> {
public:
    int Unpack(const unsigned char* data, int length);
    // The first record of that type in order of addition; null when none.
    const Rec* GetTLV(unsigned short type) const;
    int GetDataLength() const;
    unsigned char* GetBuffer(bool littleEndian) const;
    bool AppendTo(CAutoBuf& out, bool littleEndian = false) const;

private:
    void WriteAll(unsigned char* out, bool littleEndian) const;
};

extern template class CTLVColBase<CTLV>;
extern template class CTLVColBase<CBigTLV>;

class YOL_API CTLVCol : public CTLVColBase<CTLV> {};

class YOL_API CBigTLVCol : public CTLVColBase<CBigTLV> {};
