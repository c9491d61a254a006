// Replies of the version and download servers: any bytes. A head either is
// incomplete, or ends where the parser says; a valid one has a status of
// three digits and a range inside its total; the version text reader takes
// digits alone.

#include "UpdateReply.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that reading one byte too far trips the sanitizer.
    char* bytes = static_cast<char*>(std::malloc(size == 0 ? 1 : size));
    if (size > 0)
        std::memcpy(bytes, data, size);
    const std::string_view text(bytes, size);
    const UpdateWire::ReplyHead head = UpdateWire::ParseReplyHead(text);
    if (head.complete) {
        Check(head.bodyOffset >= 4 && head.bodyOffset <= size);
        Check(text.substr(head.bodyOffset - 4, 4) == "\r\n\r\n");
    }
    if (head.valid) {
        Check(head.complete && head.status >= 100 && head.status <= 999);
        if (head.hasRange)
            Check(head.first <= head.last && head.last < head.total);
    }
    unsigned int version = 0;
    if (UpdateWire::ParseVersionText(text, version))
        Check(version <= 999999999u && size > 0 && text[0] >= '0' && text[0] <= '9');
    std::free(bytes);
    return 0;
}
