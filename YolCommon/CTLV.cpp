#include "CTLV.h"

#include "CAutoBuf.h"
#include "CPacker.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <utility>

namespace {

template <typename Len>
constexpr int kHeader = 2 + int(sizeof(Len));

template <typename Len>
Len ReadLength(const unsigned char* p) {
    if constexpr (sizeof(Len) == 2)
        return CPacker::Unpack16(p);
    else
        return CPacker::Unpack32(p);
}

// Replaces a record's fields with a copy of the bytes. The old value is
// freed last, so data may point into it.
template <typename Len>
bool Assign(unsigned short& type, Len& length, unsigned char*& value, unsigned short newType, Len n,
            const unsigned char* data) {
    if (data == nullptr)
        n = 0;
    if constexpr (sizeof(Len) > 2) {
        if (n > unsigned(INT_MAX))
            return false;
    }
    unsigned char* fresh = nullptr;
    if (n > 0) {
        fresh = static_cast<unsigned char*>(std::malloc(n));
        if (fresh == nullptr)
            return false;
        std::memcpy(fresh, data, n);
    }
    std::free(value);
    value = fresh;
    type = newType;
    length = n;
    return true;
}

// The header of one record and where its value starts; false when the
// header or the value does not lie within `available` bytes.
template <typename Len>
bool ParseWire(const unsigned char* wire, int64_t available, unsigned short& type, Len& length,
               const unsigned char*& value) {
    if (wire == nullptr || available < kHeader<Len>)
        return false;
    Len n = ReadLength<Len>(wire + 2);
    if (kHeader<Len> + int64_t(n) > available)
        return false;
    type = CPacker::Unpack16(wire);
    length = n;
    value = wire + kHeader<Len>;
    return true;
}

template <typename Len>
void WriteWire(unsigned char* out, unsigned short type, Len length, const unsigned char* value, bool littleEndian) {
    if (littleEndian)
        CPacker::Pack16LE(out, type);
    else
        CPacker::Pack16(out, type);
    if constexpr (sizeof(Len) == 2) {
        if (littleEndian)
            CPacker::Pack16LE(out + 2, length);
        else
            CPacker::Pack16(out + 2, length);
    } else {
        if (littleEndian)
            CPacker::Pack32LE(out + 2, length);
        else
            CPacker::Pack32(out + 2, length);
    }
    if (length > 0)
        std::memcpy(out + kHeader<Len>, value, length);
}

template <typename Len>
void Construct(unsigned short& type, Len& length, unsigned char*& value, unsigned short newType, unsigned int number,
               int bytes) {
    unsigned char be[4];
    CPacker::Pack32(be, number);
    Assign<Len>(type, length, value, newType, Len(bytes), be + 4 - bytes);
}

// --- collections --------------------------------------------------------

template <class Rec>
void UnpackRun(CYolArray<Rec>& col, const unsigned char* data, int length) {
    if (data == nullptr || length < Rec::kHeaderSize)
        return;
    int64_t offset = 0;
    for (;;) {
        Rec rec;
        // Fails on a value that runs past the input: that record and
        // everything after it are dropped.
        if (!rec.LoadWire(data + offset, int(length - offset)))
            return;
        offset += rec.WireSize();
        col.Add(std::move(rec));
        if (length - offset < Rec::kHeaderSize)
            return;
    }
}

template <class Rec>
const Rec* Find(const CYolArray<Rec>& col, unsigned short type) {
    for (const Rec& rec : col)
        if (rec.GetType() == type)
            return &rec;
    return nullptr;
}

template <class Rec>
int DataLength(const CYolArray<Rec>& col) {
    int64_t total = 0;
    for (const Rec& rec : col) {
        total += rec.WireSize();
        if (total > INT_MAX)
            return -1;
    }
    return int(total);
}

template <class Rec>
void WriteAll(const CYolArray<Rec>& col, unsigned char* out, bool littleEndian) {
    for (const Rec& rec : col) {
        rec.Write(out, littleEndian);
        out += rec.WireSize();
    }
}

template <class Rec>
unsigned char* Buffer(const CYolArray<Rec>& col, bool littleEndian) {
    int total = DataLength(col);
    if (total <= 0)
        return nullptr;
    auto* out = static_cast<unsigned char*>(std::malloc(size_t(total)));
    if (out != nullptr)
        WriteAll(col, out, littleEndian);
    return out;
}

template <class Rec>
bool Append(const CYolArray<Rec>& col, CAutoBuf& out, bool littleEndian) {
    int total = DataLength(col);
    if (total < 0 || !out.EnsureSpace(total))
        return false;
    WriteAll(col, out.Data() + out.Length(), littleEndian);
    return out.SetLength(out.Length() + total);
}

} // namespace

// --- CTLV ---------------------------------------------------------------

CTLV::CTLV(unsigned short t, unsigned char v) { Construct(type, length, value, t, v, 1); }
CTLV::CTLV(unsigned short t, unsigned short v) { Construct(type, length, value, t, v, 2); }
CTLV::CTLV(unsigned short t, unsigned int v) { Construct(type, length, value, t, v, 4); }
CTLV::CTLV(unsigned short t, unsigned short n, const unsigned char* data) { Load(t, n, data); }
CTLV::CTLV(const unsigned char* wire) : CTLV(CPacker::Unpack16(wire), CPacker::Unpack16(wire + 2), wire + 4) {}
CTLV::CTLV(const CTLV& other) { Load(other.type, other.length, other.value); }
CTLV::CTLV(CTLV&& other) noexcept
    : type(std::exchange(other.type, 0xFFFF)), length(std::exchange(other.length, 0)),
      value(std::exchange(other.value, nullptr)) {}
CTLV::~CTLV() { std::free(value); }

CTLV& CTLV::operator=(const CTLV& other) {
    if (this != &other)
        Load(other.type, other.length, other.value);
    return *this;
}

CTLV& CTLV::operator=(CTLV&& other) noexcept {
    if (this != &other) {
        std::free(value);
        type = std::exchange(other.type, 0xFFFF);
        length = std::exchange(other.length, 0);
        value = std::exchange(other.value, nullptr);
    }
    return *this;
}

bool CTLV::Load(unsigned short t, unsigned short n, const unsigned char* data) {
    return Assign(type, length, value, t, n, data);
}

bool CTLV::LoadWire(const unsigned char* wire, int available) {
    unsigned short t, n;
    const unsigned char* v;
    return ParseWire(wire, available, t, n, v) && Load(t, n, v);
}

void CTLV::Write(unsigned char* out, bool littleEndian) const { WriteWire(out, type, length, value, littleEndian); }

// --- CBigTLV ------------------------------------------------------------

CBigTLV::CBigTLV(unsigned short t, unsigned char v) { Construct(type, length, value, t, v, 1); }
CBigTLV::CBigTLV(unsigned short t, unsigned short v) { Construct(type, length, value, t, v, 2); }
CBigTLV::CBigTLV(unsigned short t, unsigned int v) { Construct(type, length, value, t, v, 4); }
CBigTLV::CBigTLV(unsigned short t, unsigned int n, const unsigned char* data) { Load(t, n, data); }
CBigTLV::CBigTLV(const unsigned char* wire)
    : CBigTLV(CPacker::Unpack16(wire), CPacker::Unpack32(wire + 2), wire + 6) {}
CBigTLV::CBigTLV(const CBigTLV& other) { Load(other.type, other.length, other.value); }
CBigTLV::CBigTLV(CBigTLV&& other) noexcept
    : type(std::exchange(other.type, 0xFFFF)), length(std::exchange(other.length, 0)),
      value(std::exchange(other.value, nullptr)) {}
CBigTLV::~CBigTLV() { std::free(value); }

CBigTLV& CBigTLV::operator=(const CBigTLV& other) {
    if (this != &other)
        Load(other.type, other.length, other.value);
    return *this;
}

CBigTLV& CBigTLV::operator=(CBigTLV&& other) noexcept {
    if (this != &other) {
        std::free(value);
        type = std::exchange(other.type, 0xFFFF);
        length = std::exchange(other.length, 0);
        value = std::exchange(other.value, nullptr);
    }
    return *this;
}

bool CBigTLV::Load(unsigned short t, unsigned int n, const unsigned char* data) {
    return Assign(type, length, value, t, n, data);
}

bool CBigTLV::LoadWire(const unsigned char* wire, int available) {
    unsigned short t;
    unsigned int n;
    const unsigned char* v;
    return ParseWire(wire, available, t, n, v) && Load(t, n, v);
}

void CBigTLV::Write(unsigned char* out, bool littleEndian) const { WriteWire(out, type, length, value, littleEndian); }

// --- collections --------------------------------------------------------

CTLVCol::CTLVCol(const CTLVCol& other) : CYolArray<CTLV>(other) {}
CTLVCol::~CTLVCol() = default;

CTLVCol& CTLVCol::operator=(const CTLVCol& other) {
    if (this != &other) {
        count = 0;
        CYolArray<CTLV>::operator=(other);
    }
    return *this;
}

int CTLVCol::Unpack(const unsigned char* data, int n) {
    UnpackRun(*this, data, n);
    return GetDataLength();
}

const CTLV* CTLVCol::GetTLV(unsigned short type) const { return Find(*this, type); }
int CTLVCol::GetDataLength() const { return DataLength(*this); }
unsigned char* CTLVCol::GetBuffer(bool littleEndian) const { return Buffer(*this, littleEndian); }
bool CTLVCol::AppendTo(CAutoBuf& out, bool littleEndian) const { return Append(*this, out, littleEndian); }

CBigTLVCol::CBigTLVCol(const CBigTLVCol& other) : CYolArray<CBigTLV>(other) {}
CBigTLVCol::~CBigTLVCol() = default;

CBigTLVCol& CBigTLVCol::operator=(const CBigTLVCol& other) {
    if (this != &other) {
        count = 0;
        CYolArray<CBigTLV>::operator=(other);
    }
    return *this;
}

int CBigTLVCol::Unpack(const unsigned char* data, int n) {
    UnpackRun(*this, data, n);
    return GetDataLength();
}

const CBigTLV* CBigTLVCol::GetTLV(unsigned short type) const { return Find(*this, type); }
int CBigTLVCol::GetDataLength() const { return DataLength(*this); }
unsigned char* CBigTLVCol::GetBuffer(bool littleEndian) const { return Buffer(*this, littleEndian); }
bool CBigTLVCol::AppendTo(CAutoBuf& out, bool littleEndian) const { return Append(*this, out, littleEndian); }
