#pragma once
// A cursor over untrusted bytes. Every read is checked against the end; the
// first read that does not fit fails, leaves the position where it was and
// marks the reader failed, and every later read fails too. A parser can
// therefore read a whole record and test Failed() once: no read after a
// failure takes bytes from the wrong place. Numbers read by a failed call
// are 0.

#include "YolTypes.h"

class CAutoBuf;
class CYolString;

class YOL_API CByteReader {
public:
    CByteReader() = default;
    CByteReader(const unsigned char* data, int length);
    explicit CByteReader(const CAutoBuf& buf);

    bool Read8(unsigned char& value);
    bool Read16(unsigned short& value);
    bool Read32(unsigned int& value);
    bool Read16LE(unsigned short& value);
    bool Read32LE(unsigned int& value);
    // The next value without moving; fails (not sticky) when absent.
    bool Peek16(unsigned short& value) const;

    bool ReadBytes(unsigned char* out, int n);
    // Replaces out with a copy of the next n bytes.
    bool ReadBuffer(CAutoBuf& out, int n);
    // Points at the next n bytes without copying them.
    bool ReadView(const unsigned char*& bytes, int n);
    // A reader limited to the next n bytes, for a record inside a record.
    bool ReadSub(CByteReader& sub, int n);
    // One count byte / a 32-bit little-endian count, then Windows-1251 text.
    bool ReadSN(CYolString& text);
    bool ReadEMail(CYolString& text);
    bool Skip(int n);

    const unsigned char* Data() const { return data; }
    const unsigned char* Current() const { return data + pos; }
    int Position() const { return pos; }
    int Length() const { return length; }
    int Remaining() const { return length - pos; }
    bool AtEnd() const { return pos == length; }
    bool Failed() const { return failed; }

private:
    bool Take(int64_t n);
    bool Fail() {
        failed = true;
        return false;
    }

    const unsigned char* data = nullptr;
    int length = 0;
    int pos = 0;
    bool failed = false;
};
