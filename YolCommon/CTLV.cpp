#include "CTLV.h"

#include "CAutoBuf.h"
#include "CPacker.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

template <typename Len>
Len ReadLength(const unsigned char* p) {
    if constexpr (sizeof(Len) == 2)
        return CPacker::Unpack16(p);
    else
        return CPacker::Unpack32(p);
}

template <typename Len>
void WriteLength(unsigned char* p, Len length, bool littleEndian) {
    if constexpr (sizeof(Len) == 2)
        littleEndian ? CPacker::Pack16LE(p, length) : CPacker::Pack16(p, length);
    else
        littleEndian ? CPacker::Pack32LE(p, length) : CPacker::Pack32(p, length);
}

// The last `bytes` bytes of the number, big-endian.
template <typename Len>
CTLVBase<Len> NumberRecord(unsigned short type, unsigned int number, int bytes) {
    unsigned char be[4];
    CPacker::Pack32(be, number);
    return CTLVBase<Len>(type, Len(bytes), be + 4 - bytes);
}

} // namespace

// --- one record ---------------------------------------------------------

template <typename Len>
CTLVBase<Len>::CTLVBase(unsigned short t, unsigned char v) : CTLVBase(NumberRecord<Len>(t, v, 1)) {}

template <typename Len>
CTLVBase<Len>::CTLVBase(unsigned short t, unsigned short v) : CTLVBase(NumberRecord<Len>(t, v, 2)) {}

template <typename Len>
CTLVBase<Len>::CTLVBase(unsigned short t, unsigned int v) : CTLVBase(NumberRecord<Len>(t, v, 4)) {}

template <typename Len>
CTLVBase<Len>::CTLVBase(unsigned short t, Len n, const unsigned char* data) {
    Load(t, n, data);
}

template <typename Len>
CTLVBase<Len>::CTLVBase(const unsigned char* wire)
    : CTLVBase(CPacker::Unpack16(wire), ReadLength<Len>(wire + 2), wire + kHeaderSize) {}

template <typename Len>
CTLVBase<Len>::CTLVBase(const CTLVBase& other) {
    Load(other.type, other.length, other.value);
}

template <typename Len>
CTLVBase<Len>::CTLVBase(CTLVBase&& other) noexcept
    : type(std::exchange(other.type, 0xFFFF)), length(std::exchange(other.length, 0)),
      value(std::exchange(other.value, nullptr)) {}

template <typename Len>
CTLVBase<Len>::~CTLVBase() {
    std::free(value);
}

template <typename Len>
CTLVBase<Len>& CTLVBase<Len>::operator=(const CTLVBase& other) {
    if (this != &other)
        Load(other.type, other.length, other.value);
    return *this;
}

template <typename Len>
CTLVBase<Len>& CTLVBase<Len>::operator=(CTLVBase&& other) noexcept {
    if (this != &other) {
        std::free(value);
        type = std::exchange(other.type, 0xFFFF);
        length = std::exchange(other.length, 0);
        value = std::exchange(other.value, nullptr);
    }
    return *this;
}

// The old value is freed last, so data may point into it.
template <typename Len>
bool CTLVBase<Len>::Load(unsigned short t, Len n, const unsigned char* data) {
    if (data == nullptr)
        n = 0;
    if constexpr (sizeof(Len) >= sizeof(int)) {
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
    type = t;
    length = n;
    return true;
}

template <typename Len>
bool CTLVBase<Len>::LoadWire(const unsigned char* wire, int available) {
    if (wire == nullptr || available < kHeaderSize)
        return false;
    Len n = ReadLength<Len>(wire + 2);
    if (kHeaderSize + int64_t(n) > available)
        return false;
    return Load(CPacker::Unpack16(wire), n, wire + kHeaderSize);
}

template <typename Len>
void CTLVBase<Len>::Write(unsigned char* out, bool littleEndian) const {
    if (littleEndian)
        CPacker::Pack16LE(out, type);
    else
        CPacker::Pack16(out, type);
    WriteLength(out + 2, length, littleEndian);
    if (length > 0)
        std::memcpy(out + kHeaderSize, value, length);
}

template class CTLVBase<unsigned short>;
template class CTLVBase<unsigned int>;

// --- collections --------------------------------------------------------

template <class Rec>
int CTLVColBase<Rec>::Unpack(const unsigned char* data, int n) {
    if (data == nullptr || n < Rec::kHeaderSize)
        return GetDataLength();
    int64_t offset = 0;
    for (;;) {
        Rec rec;
        // Fails on a value that runs past the input: that record and
        // everything after it are dropped.
        if (!rec.LoadWire(data + offset, int(n - offset)))
            break;
        offset += rec.WireSize();
        this->Add(std::move(rec));
        if (n - offset < Rec::kHeaderSize)
            break;
    }
    return GetDataLength();
}

template <class Rec>
const Rec* CTLVColBase<Rec>::GetTLV(unsigned short type) const {
    for (const Rec& rec : *this)
        if (rec.GetType() == type)
            return &rec;
    return nullptr;
}

template <class Rec>
int CTLVColBase<Rec>::GetDataLength() const {
    int64_t total = 0;
    for (const Rec& rec : *this) {
        total += rec.WireSize();
        if (total > INT_MAX)
            return -1;
    }
    return int(total);
}

template <class Rec>
void CTLVColBase<Rec>::WriteAll(unsigned char* out, bool littleEndian) const {
    for (const Rec& rec : *this) {
        rec.Write(out, littleEndian);
        out += rec.WireSize();
    }
}

template <class Rec>
unsigned char* CTLVColBase<Rec>::GetBuffer(bool littleEndian) const {
    int total = GetDataLength();
    if (total <= 0)
        return nullptr;
    auto* out = static_cast<unsigned char*>(std::malloc(size_t(total)));
    if (out != nullptr)
        WriteAll(out, littleEndian);
    return out;
}

template <class Rec>
bool CTLVColBase<Rec>::AppendTo(CAutoBuf& out, bool littleEndian) const {
    int total = GetDataLength();
    if (total < 0 || !out.EnsureSpace(total))
        return false;
    WriteAll(out.Data() + out.Length(), littleEndian);
    return out.SetLength(out.Length() + total);
}

template class CTLVColBase<CTLV>;
template class CTLVColBase<CBigTLV>;
