// Bounded reads: a script of reads over untrusted bytes never reads outside
// them, a failed read keeps the position, and failure sticks.
#include "CAutoBuf.h"
#include "CByteReader.h"
#include "CPacker.h"
#include "CYolString.h"

#include <cstdint>
#include <cstdlib>

namespace {

// One scripted read; `arg` gives counts and positions.
bool Step(CByteReader& r, uint8_t op, int arg) {
    unsigned char u8;
    unsigned short u16;
    unsigned int u32;
    unsigned char out[64];
    const unsigned char* view;
    CAutoBuf buf;
    CYolString text;
    CByteReader sub;
    switch (op % 13) {
    case 0: return r.Read8(u8);
    case 1: return r.Read16(u16);
    case 2: return r.Read32(u32);
    case 3: return r.Read16LE(u16);
    case 4: return r.Read32LE(u32);
    case 5: return r.ReadBytes(out, arg % 65);
    case 6: {
        if (!r.ReadBuffer(buf, arg))
            return false;
        if (buf.Length() != arg)
            abort();
        return true;
    }
    case 7: return r.ReadView(view, arg);
    case 8: {
        if (!r.ReadSub(sub, arg))
            return false;
        // Drain the sub-reader: it must stop at its own end.
        while (sub.Read8(u8)) {
        }
        if (sub.Position() != arg)
            abort();
        return true;
    }
    case 9: return r.ReadSN(text);
    case 10: return r.ReadEMail(text);
    case 11: return r.Skip(arg - 8);
    default: return r.Peek16(u16);
    }
}

// The static bounded forms at an arbitrary position: each either fails
// where it stood or moves forward within the buffer.
void StaticForms(const uint8_t* data, int size, int start) {
    unsigned char u8;
    unsigned short u16;
    unsigned int u32;
    unsigned char out[16];
    CAutoBuf buf;
    CYolString text;
    for (int form = 0; form < 9; ++form) {
        int pos = start;
        bool ok = false;
        switch (form) {
        case 0: ok = CPacker::Unpack8(data, size, pos, u8); break;
        case 1: ok = CPacker::Unpack16(data, size, pos, u16); break;
        case 2: ok = CPacker::Unpack32(data, size, pos, u32); break;
        case 3: ok = CPacker::Unpack16LE(data, size, pos, u16); break;
        case 4: ok = CPacker::Unpack32LE(data, size, pos, u32); break;
        case 5: ok = CPacker::UnpackBuffer(data, size, pos, out, 16); break;
        case 6: ok = CPacker::UnpackBuffer(data, size, pos, buf, 16) && buf.Length() == 16; break;
        case 7: ok = CPacker::UnpackSN(data, size, pos, text); break;
        default: ok = CPacker::UnpackEMail(data, size, pos, text); break;
        }
        if (ok ? (pos <= start || pos > size) : pos != start)
            abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > (1 << 16))
        return 0;
    // First byte: script length; then the script (op, argument pairs); the
    // rest is the buffer read.
    size_t scriptBytes = (size_t(data[0]) * 2 < size - 1) ? size_t(data[0]) * 2 : (size - 1) & ~size_t(1);
    const uint8_t* script = data + 1;
    const uint8_t* payload = script + scriptBytes;
    int length = int(size - 1 - scriptBytes);

    CByteReader r(payload, length);
    bool failed = false;
    for (size_t i = 0; i + 1 < scriptBytes; i += 2) {
        int before = r.Position();
        bool ok = Step(r, script[i], script[i + 1]);
        if (script[i] % 13 == 12) { // a peek fails without marking the reader
            if ((failed && ok) || r.Position() != before)
                abort();
            continue;
        }
        if (failed && ok)
            abort(); // failure must stick
        if (!ok && r.Position() != before)
            abort();
        if (r.Position() < 0 || r.Position() > r.Length() || r.Remaining() != r.Length() - r.Position())
            abort();
        failed = failed || !ok;
        if (failed != r.Failed())
            abort();
    }

    for (int pos : {0, length - 1, length, length + 1, -1, data[0] % (length + 1)})
        StaticForms(payload, length, pos);
    return 0;
}
