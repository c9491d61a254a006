#include "CPacker.h"

#include "CYolString.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace {

void Put16(unsigned char* p, unsigned short v) {
    p[0] = static_cast<unsigned char>(v >> 8);
    p[1] = static_cast<unsigned char>(v);
}

void Put16LE(unsigned char* p, unsigned short v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

void Put32(unsigned char* p, unsigned int v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

void Put32LE(unsigned char* p, unsigned int v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

unsigned short Get16(const unsigned char* p) { return static_cast<unsigned short>(p[0] << 8 | p[1]); }
unsigned short Get16LE(const unsigned char* p) { return static_cast<unsigned short>(p[1] << 8 | p[0]); }
unsigned int Get32(const unsigned char* p) {
    return unsigned(p[0]) << 24 | unsigned(p[1]) << 16 | unsigned(p[2]) << 8 | p[3];
}
unsigned int Get32LE(const unsigned char* p) {
    return unsigned(p[3]) << 24 | unsigned(p[2]) << 16 | unsigned(p[1]) << 8 | p[0];
}

// The position and appending forms of the integer writers and readers, built
// on the pointer form.
template <auto Put, typename T>
void PutAt(unsigned char* buf, T value, int& pos) {
    Put(buf + pos, value);
    pos += int(sizeof(T));
}

template <auto Put, typename T>
bool PutAppended(CAutoBuf& buf, T value) {
    unsigned char bytes[sizeof(T)];
    Put(bytes, value);
    return buf.Append(bytes, int(sizeof(T)));
}

template <auto Get>
auto GetAt(const unsigned char* buf, int& pos) {
    constexpr int kSize = int(sizeof(Get(buf)));
    pos += kSize;
    return Get(buf + pos - kSize);
}

// True when n bytes at pos lie within data[0, length).
bool Fits(const unsigned char* data, int length, int pos, int64_t n) {
    return data != nullptr && pos >= 0 && n >= 0 && int64_t(pos) + n <= int64_t(length);
}

template <typename T, T (*Get)(const unsigned char*)>
bool ReadBounded(const unsigned char* data, int length, int& pos, T& value) {
    if (!Fits(data, length, pos, sizeof(T)))
        return false;
    value = Get(data + pos);
    pos += int(sizeof(T));
    return true;
}

unsigned char Get8(const unsigned char* p) { return p[0]; }

// The text in Windows-1251. False when a non-empty text does not convert.
bool To1251(const CYolString& text, char*& bytes, int& n) {
    bytes = nullptr;
    n = 0;
    if (text.IsEmpty())
        return true;
    bytes = CYolString::Convert(text, YOL_CP_1251, &n);
    return bytes != nullptr && n >= 0;
}

// A count of CountBytes bytes (one byte, or 32-bit little-endian), then the
// text's bytes. Appends to `grow` when given, else writes at out + pos.
template <int CountBytes>
bool PackCounted(const CYolString& text, unsigned char* out, int& pos, CAutoBuf* grow) {
    constexpr int64_t kMaxCount = CountBytes == 1 ? 0xFF : INT_MAX;
    if (text.Length() > kMaxCount)
        return false;
    char* bytes;
    int n;
    bool ok = To1251(text, bytes, n) && n <= kMaxCount;
    if (ok && grow != nullptr) {
        ok = grow->EnsureSpace(int64_t(CountBytes) + n);
        out = grow->Data();
        pos = grow->Length();
    }
    if (ok) {
        if constexpr (CountBytes == 1)
            out[pos] = static_cast<unsigned char>(n);
        else
            Put32LE(out + pos, unsigned(n));
        if (n > 0)
            std::memcpy(out + pos + CountBytes, bytes, size_t(n));
        pos += CountBytes + n;
        if (grow != nullptr)
            grow->SetLength(pos);
    }
    std::free(bytes);
    return ok;
}

bool UnpackCounted(const unsigned char* data, int length, int& pos, int64_t n, int countBytes,
                   CYolString& text) {
    if (!Fits(data, length, pos + countBytes, n))
        return false;
    const char* bytes = reinterpret_cast<const char*>(data + pos + countBytes);
    text = n > 0 ? CYolString(bytes, int(n), YOL_CP_1251) : CYolString();
    pos += countBytes + int(n);
    return true;
}

} // namespace

void CPacker::Pack8(unsigned char* p, unsigned char value) { p[0] = value; }
void CPacker::Pack8(unsigned char* buf, unsigned char value, int& pos) { buf[pos++] = value; }
bool CPacker::Pack8(CAutoBuf& buf, unsigned char value) { return buf.Append(&value, 1); }

void CPacker::Pack16(unsigned char* p, unsigned short value) { Put16(p, value); }
void CPacker::Pack16(unsigned char* buf, unsigned short value, int& pos) { PutAt<Put16>(buf, value, pos); }
bool CPacker::Pack16(CAutoBuf& buf, unsigned short value) { return PutAppended<Put16>(buf, value); }

void CPacker::Pack16LE(unsigned char* p, unsigned short value) { Put16LE(p, value); }
void CPacker::Pack16LE(unsigned char* buf, unsigned short value, int& pos) { PutAt<Put16LE>(buf, value, pos); }
bool CPacker::Pack16LE(CAutoBuf& buf, unsigned short value) { return PutAppended<Put16LE>(buf, value); }

void CPacker::Pack32(unsigned char* p, unsigned int value) { Put32(p, value); }
void CPacker::Pack32(unsigned char* buf, unsigned int value, int& pos) { PutAt<Put32>(buf, value, pos); }
bool CPacker::Pack32(CAutoBuf& buf, unsigned int value) { return PutAppended<Put32>(buf, value); }

void CPacker::Pack32LE(unsigned char* p, unsigned int value) { Put32LE(p, value); }
void CPacker::Pack32LE(unsigned char* buf, unsigned int value, int& pos) { PutAt<Put32LE>(buf, value, pos); }
bool CPacker::Pack32LE(CAutoBuf& buf, unsigned int value) { return PutAppended<Put32LE>(buf, value); }

void CPacker::PackBuffer(unsigned char* dst, const unsigned char* src, int n) {
    if (n > 0)
        std::memcpy(dst, src, size_t(n));
}

void CPacker::PackBuffer(unsigned char* buf, const unsigned char* src, int n, int& pos) {
    if (n > 0) {
        std::memcpy(buf + pos, src, size_t(n));
        pos += n;
    }
}

bool CPacker::PackBuffer(CAutoBuf& buf, const unsigned char* src, int n) { return buf.Append(src, n); }

bool CPacker::PackBuffer(CAutoBuf& buf, const CAutoBuf& src) { return buf.Append(src.Data(), src.Length()); }

void CPacker::Pack16TLV(unsigned char* buf, unsigned short type, unsigned short value, int& pos) {
    Pack16(buf, type, pos);
    Pack16(buf, 2, pos);
    Pack16(buf, value, pos);
}

void CPacker::Pack32TLV(unsigned char* buf, unsigned short type, unsigned int value, int& pos) {
    Pack16(buf, type, pos);
    Pack16(buf, 4, pos);
    Pack32(buf, value, pos);
}

bool CPacker::PackBufferTLV(unsigned char* buf, unsigned short type, const unsigned char* data, int n, int& pos) {
    if (n < 0 || n > 0xFFFF || (n > 0 && data == nullptr))
        return false;
    Pack16(buf, type, pos);
    Pack16(buf, static_cast<unsigned short>(n), pos);
    PackBuffer(buf, data, n, pos);
    return true;
}

bool CPacker::PackBufferTLV(CAutoBuf& buf, unsigned short type, const unsigned char* data, int n) {
    if (n < 0 || n > 0xFFFF || (n > 0 && data == nullptr) || !buf.EnsureSpace(4 + int64_t(n)))
        return false;
    int pos = buf.Length();
    PackBufferTLV(buf.Data(), type, data, n, pos);
    return buf.SetLength(pos);
}

bool CPacker::PackBufferTLV(CAutoBuf& buf, unsigned short type, const CAutoBuf& value) {
    if (&buf == &value) {
        CAutoBuf copy(value);
        return PackBufferTLV(buf, type, copy.Data(), copy.Length());
    }
    return PackBufferTLV(buf, type, value.Data(), value.Length());
}

bool CPacker::PackEMail(const CYolString& text, unsigned char* buf, int& pos) {
    return PackCounted<4>(text, buf, pos, nullptr);
}

bool CPacker::PackEMail(const CYolString& text, CAutoBuf& buf) {
    int pos = 0;
    return PackCounted<4>(text, nullptr, pos, &buf);
}

bool CPacker::PackSN(const CYolString& text, unsigned char* buf, int& pos) {
    return PackCounted<1>(text, buf, pos, nullptr);
}

bool CPacker::PackSN(const CYolString& text, CAutoBuf& buf) {
    int pos = 0;
    return PackCounted<1>(text, nullptr, pos, &buf);
}

unsigned char CPacker::Unpack8(const unsigned char* p) { return p[0]; }
unsigned char CPacker::Unpack8(const unsigned char* buf, int& pos) { return buf[pos++]; }

unsigned short CPacker::Unpack16(const unsigned char* p) { return Get16(p); }
unsigned short CPacker::Unpack16(const unsigned char* buf, int& pos) { return GetAt<Get16>(buf, pos); }

unsigned int CPacker::Unpack32(const unsigned char* p) { return Get32(p); }
unsigned int CPacker::Unpack32(const unsigned char* buf, int& pos) { return GetAt<Get32>(buf, pos); }

unsigned short CPacker::Unpack16LE(const unsigned char* p) { return Get16LE(p); }
unsigned short CPacker::Unpack16LE(const unsigned char* buf, int& pos) { return GetAt<Get16LE>(buf, pos); }

unsigned int CPacker::Unpack32LE(const unsigned char* p) { return Get32LE(p); }
unsigned int CPacker::Unpack32LE(const unsigned char* buf, int& pos) { return GetAt<Get32LE>(buf, pos); }

unsigned char* CPacker::UnpackBuffer(const unsigned char* data, int n) {
    if (data == nullptr || n < 1)
        return nullptr;
    auto* copy = static_cast<unsigned char*>(std::malloc(size_t(n)));
    if (copy != nullptr)
        std::memcpy(copy, data, size_t(n));
    return copy;
}

bool CPacker::Unpack8(const unsigned char* data, int length, int& pos, unsigned char& value) {
    return ReadBounded<unsigned char, Get8>(data, length, pos, value);
}

bool CPacker::Unpack16(const unsigned char* data, int length, int& pos, unsigned short& value) {
    return ReadBounded<unsigned short, Get16>(data, length, pos, value);
}

bool CPacker::Unpack32(const unsigned char* data, int length, int& pos, unsigned int& value) {
    return ReadBounded<unsigned int, Get32>(data, length, pos, value);
}

bool CPacker::Unpack16LE(const unsigned char* data, int length, int& pos, unsigned short& value) {
    return ReadBounded<unsigned short, Get16LE>(data, length, pos, value);
}

bool CPacker::Unpack32LE(const unsigned char* data, int length, int& pos, unsigned int& value) {
    return ReadBounded<unsigned int, Get32LE>(data, length, pos, value);
}

bool CPacker::UnpackBuffer(const unsigned char* data, int length, int& pos, unsigned char* out, int n) {
    if (!Fits(data, length, pos, n) || (n > 0 && out == nullptr))
        return false;
    if (n > 0)
        std::memcpy(out, data + pos, size_t(n));
    pos += n;
    return true;
}

bool CPacker::UnpackBuffer(const unsigned char* data, int length, int& pos, CAutoBuf& out, int n) {
    if (!Fits(data, length, pos, n))
        return false;
    CAutoBuf copy(data + pos, n);
    if (copy.Length() != n)
        return false;
    out = std::move(copy);
    pos += n;
    return true;
}

bool CPacker::UnpackSN(const unsigned char* data, int length, int& pos, CYolString& text) {
    if (!Fits(data, length, pos, 1))
        return false;
    return UnpackCounted(data, length, pos, data[pos], 1, text);
}

bool CPacker::UnpackEMail(const unsigned char* data, int length, int& pos, CYolString& text) {
    if (!Fits(data, length, pos, 4))
        return false;
    return UnpackCounted(data, length, pos, Get32LE(data + pos), 4, text);
}

CYolString CPacker::ToString(const unsigned char* data, int length) {
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    if (data == nullptr || length < 1 || length > INT_MAX / 3)
        return CYolString();
    std::u16string text(size_t(length) * 3, u' ');
    for (int i = 0; i < length; ++i) {
        char16_t* cell = &text[size_t(i) * 3];
        if (i % 16 == 0)
            cell[0] = u'\n';
        cell[1] = kDigits[data[i] >> 4];
        cell[2] = kDigits[data[i] & 0x0F];
    }
    return CYolString(text.data(), int(text.size()));
}
