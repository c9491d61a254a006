// TLV runs: Unpack keeps a prefix of whole records, GetBuffer gives exactly
// that prefix back, the little-endian form differs only in the headers, and
// the written bytes parse to the same records again.
#include "CTLV.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

template <typename Len>
Len ReadLen(const unsigned char* p, bool littleEndian) {
    Len v = 0;
    for (size_t i = 0; i < sizeof(Len); ++i) {
        size_t shift = littleEndian ? 8 * i : 8 * (sizeof(Len) - 1 - i);
        v = Len(v | Len(p[i]) << shift);
    }
    return v;
}

template <class Col, typename Len>
void Check(const uint8_t* data, int size) {
    constexpr int kHeader = 2 + int(sizeof(Len));
    Col col;
    int n = col.Unpack(data, size);
    if (n != col.GetDataLength() || n < 0 || n > size)
        abort();
    unsigned char* be = col.GetBuffer(false);
    unsigned char* le = col.GetBuffer(true);
    if ((n == 0) != (be == nullptr) || (n == 0) != (le == nullptr))
        abort();
    if (n > 0 && std::memcmp(be, data, size_t(n)) != 0)
        abort();

    // Walk the little-endian form alongside the records.
    int offset = 0;
    for (const auto& rec : col) {
        if (ReadLen<unsigned short>(le + offset, true) != rec.GetType() ||
            ReadLen<Len>(le + offset + 2, true) != rec.GetLength() ||
            (rec.GetLength() > 0 && std::memcmp(le + offset + kHeader, rec.GetValue(), rec.GetLength()) != 0))
            abort();
        if (rec.GetLength() > 0 && rec.GetValue() == nullptr)
            abort();
        const auto* first = col.GetTLV(rec.GetType());
        if (first == nullptr || first > &rec)
            abort();
        offset += kHeader + int(rec.GetLength());
    }
    if (offset != n)
        abort();

    Col again;
    if (again.Unpack(be, n) != n || again.Count() != col.Count())
        abort();
    Col copy;
    copy = again;
    unsigned char* twice = copy.GetBuffer(false);
    if (n > 0 && std::memcmp(twice, be, size_t(n)) != 0)
        abort();
    std::free(twice);
    std::free(be);
    std::free(le);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1 << 20))
        return 0;
    Check<CTLVCol, unsigned short>(data, int(size));
    Check<CBigTLVCol, unsigned int>(data, int(size));

    CTLV one;
    if (one.LoadWire(data, int(size)) && one.WireSize() > int(size))
        abort();
    CBigTLV big;
    if (big.LoadWire(data, int(size)) && big.WireSize() > int64_t(size))
        abort();
    return 0;
}
