// XmlDecode on untrusted text: bounded output, and encoding any text then
// decoding it gives the text back.

#include "CYolString.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CYolString text(reinterpret_cast<const char*>(data), static_cast<int>(size), YOL_CP_UTF8);
    CYolString decoded = CYolString::XmlDecode(text);
    if (decoded.Length() > text.Length())
        std::abort();
    if (CYolString::XmlDecode(CYolString::XmlEncode(text)) != text)
        std::abort();

    CYolString raw(reinterpret_cast<const char*>(data), static_cast<int>(size), YOL_CP_UTF16LE);
    if (CYolString::XmlDecode(CYolString::XmlEncode(raw)) != raw)
        std::abort();
    CYolString rawDecoded = CYolString::XmlDecode(raw);
    if (rawDecoded.Length() > raw.Length())
        std::abort();
    return 0;
}
