#pragma once
// Static writers and readers of integers, byte runs, strings and TLV records.
//
// Three kinds of form:
// - pointer forms write or read at the pointer;
// - position forms write or read at buffer + pos and advance pos;
// - appending forms write at the end of a CAutoBuf, growing it.
// Pointer and position forms trust the caller to have sized the buffer: use
// them to build records and to read headers already checked. Bytes from
// outside (network, files, packs) go through the bounded forms, which take
// the buffer's length and answer false, pos unchanged, when the read would
// run past it; or through CByteReader.
//
// Integers are big-endian unless the name says LE. Text crosses as
// Windows-1251.

#include "CAutoBuf.h"
#include "YolTypes.h"

class CYolString;

class YOL_API CPacker {
public:
    // --- writing -------------------------------------------------------
    static void Pack8(unsigned char* p, unsigned char value);
    static void Pack8(unsigned char* buf, unsigned char value, int& pos);
    static bool Pack8(CAutoBuf& buf, unsigned char value);

    static void Pack16(unsigned char* p, unsigned short value);
    static void Pack16(unsigned char* buf, unsigned short value, int& pos);
    static bool Pack16(CAutoBuf& buf, unsigned short value);

    static void Pack16LE(unsigned char* p, unsigned short value);
    static void Pack16LE(unsigned char* buf, unsigned short value, int& pos);
    static bool Pack16LE(CAutoBuf& buf, unsigned short value);

    static void Pack32(unsigned char* p, unsigned int value);
    static void Pack32(unsigned char* buf, unsigned int value, int& pos);
    static bool Pack32(CAutoBuf& buf, unsigned int value);

    static void Pack32LE(unsigned char* p, unsigned int value);
    static void Pack32LE(unsigned char* buf, unsigned int value, int& pos);
    static bool Pack32LE(CAutoBuf& buf, unsigned int value);

    // n may be 0 with a null source.
    static void PackBuffer(unsigned char* dst, const unsigned char* src, int n);
    static void PackBuffer(unsigned char* buf, const unsigned char* src, int n, int& pos);
    static bool PackBuffer(CAutoBuf& buf, const unsigned char* src, int n);
    static bool PackBuffer(CAutoBuf& buf, const CAutoBuf& src);

    // type, 00 02, value (6 bytes) / type, 00 04, value (8 bytes).
    static void Pack16TLV(unsigned char* buf, unsigned short type, unsigned short value, int& pos);
    static void Pack32TLV(unsigned char* buf, unsigned short type, unsigned int value, int& pos);
    // type, 16-bit length, bytes; a length of 0 writes the header alone. A
    // length outside 0..65535 cannot be written: false, nothing written.
    static bool PackBufferTLV(unsigned char* buf, unsigned short type, const unsigned char* data, int n, int& pos);
    static bool PackBufferTLV(CAutoBuf& buf, unsigned short type, const unsigned char* data, int n);
    static bool PackBufferTLV(CAutoBuf& buf, unsigned short type, const CAutoBuf& value);

    // 32-bit little-endian byte count, then the Windows-1251 bytes, no
    // terminator. False, nothing written, when the text cannot be converted.
    // The position form needs room for 4 + text length bytes.
    static bool PackEMail(const CYolString& text, unsigned char* buf, int& pos);
    static bool PackEMail(const CYolString& text, CAutoBuf& buf);
    // One count byte, then the Windows-1251 bytes, no terminator. A text of
    // 256 characters or more has no count byte that describes it: false,
    // nothing written. The position form needs room for 1 + text length.
    static bool PackSN(const CYolString& text, unsigned char* buf, int& pos);
    static bool PackSN(const CYolString& text, CAutoBuf& buf);

    // --- reading, unchecked ----------------------------------------------
    static unsigned char Unpack8(const unsigned char* p);
    static unsigned char Unpack8(const unsigned char* buf, int& pos);
    static unsigned short Unpack16(const unsigned char* p);
    static unsigned short Unpack16(const unsigned char* buf, int& pos);
    static unsigned int Unpack32(const unsigned char* p);
    static unsigned int Unpack32(const unsigned char* buf, int& pos);
    static unsigned short Unpack16LE(const unsigned char* p);
    static unsigned short Unpack16LE(const unsigned char* buf, int& pos);
    static unsigned int Unpack32LE(const unsigned char* p);
    static unsigned int Unpack32LE(const unsigned char* buf, int& pos);

    // A new malloc copy of n bytes that the caller frees; null for n < 1.
    static unsigned char* UnpackBuffer(const unsigned char* data, int n);

    // --- reading, bounded by the buffer length ---------------------------
    // Each reads at data + pos within data[0, length); on success advances
    // pos. On failure (pos outside the buffer, too few bytes left, a bad
    // count) answers false and leaves pos and the output as they were.
    static bool Unpack8(const unsigned char* data, int length, int& pos, unsigned char& value);
    static bool Unpack16(const unsigned char* data, int length, int& pos, unsigned short& value);
    static bool Unpack32(const unsigned char* data, int length, int& pos, unsigned int& value);
    static bool Unpack16LE(const unsigned char* data, int length, int& pos, unsigned short& value);
    static bool Unpack32LE(const unsigned char* data, int length, int& pos, unsigned int& value);
    // Copies n bytes to out.
    static bool UnpackBuffer(const unsigned char* data, int length, int& pos, unsigned char* out, int n);
    // Replaces out with a copy of the next n bytes.
    static bool UnpackBuffer(const unsigned char* data, int length, int& pos, CAutoBuf& out, int n);
    // The forms PackSN and PackEMail write.
    static bool UnpackSN(const unsigned char* data, int length, int& pos, CYolString& text);
    static bool UnpackEMail(const unsigned char* data, int length, int& pos, CYolString& text);

    // Hex dump: each byte as two lower-case digits, preceded by a line feed
    // at every 16th byte (starting with the first) and by a blank otherwise.
    // Empty for length < 1.
    static CYolString ToString(const unsigned char* data, int length);
};
