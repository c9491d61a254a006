#include "CByteReader.h"

#include "CAutoBuf.h"
#include "CPacker.h"
#include "CYolString.h"

CByteReader::CByteReader(const unsigned char* bytes, int n)
    : data(bytes), length(bytes != nullptr && n > 0 ? n : 0) {}

CByteReader::CByteReader(const CAutoBuf& buf) : CByteReader(buf.Data(), buf.Length()) {}

// Checks that n more bytes are there; marks the reader failed when not.
bool CByteReader::Take(int64_t n) {
    if (!failed && n >= 0 && n <= int64_t(length) - pos)
        return true;
    failed = true;
    return false;
}

namespace {

template <typename T, typename Read>
bool ReadNumber(bool ok, T& value, Read read) {
    value = ok ? read() : T(0);
    return ok;
}

} // namespace

bool CByteReader::Read8(unsigned char& value) {
    return ReadNumber(Take(1), value, [&] { return CPacker::Unpack8(data, pos); });
}

bool CByteReader::Read16(unsigned short& value) {
    return ReadNumber(Take(2), value, [&] { return CPacker::Unpack16(data, pos); });
}

bool CByteReader::Read32(unsigned int& value) {
    return ReadNumber(Take(4), value, [&] { return CPacker::Unpack32(data, pos); });
}

bool CByteReader::Read16LE(unsigned short& value) {
    return ReadNumber(Take(2), value, [&] { return CPacker::Unpack16LE(data, pos); });
}

bool CByteReader::Read32LE(unsigned int& value) {
    return ReadNumber(Take(4), value, [&] { return CPacker::Unpack32LE(data, pos); });
}

bool CByteReader::Peek16(unsigned short& value) const {
    int at = pos;
    return !failed && CPacker::Unpack16(data, length, at, value);
}

bool CByteReader::ReadBytes(unsigned char* out, int n) {
    if (!Take(n) || (n > 0 && out == nullptr))
        return Fail();
    return CPacker::UnpackBuffer(data, length, pos, out, n);
}

bool CByteReader::ReadBuffer(CAutoBuf& out, int n) {
    if (!Take(n) || !CPacker::UnpackBuffer(data, length, pos, out, n))
        return Fail();
    return true;
}

bool CByteReader::ReadView(const unsigned char*& bytes, int n) {
    if (!Take(n))
        return false;
    bytes = data + pos;
    pos += n;
    return true;
}

bool CByteReader::ReadSub(CByteReader& sub, int n) {
    const unsigned char* bytes;
    if (!ReadView(bytes, n))
        return false;
    sub = CByteReader(bytes, n);
    return true;
}

bool CByteReader::ReadSN(CYolString& text) {
    if (failed || !CPacker::UnpackSN(data, length, pos, text))
        return Fail();
    return true;
}

bool CByteReader::ReadEMail(CYolString& text) {
    if (failed || !CPacker::UnpackEMail(data, length, pos, text))
        return Fail();
    return true;
}

bool CByteReader::Skip(int n) {
    if (!Take(n))
        return false;
    pos += n;
    return true;
}
