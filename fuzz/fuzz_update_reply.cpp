// Replies of the version and download servers: any bytes. A head either is
// incomplete, or ends where the parser says; a valid one has a status of
// three digits and a range inside its total; the version text reader takes
// digits alone.

#include "FuzzSupport.h"
#include "UpdateReply.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Fuzz::ExactCopy copy(data, size);
    char* bytes = copy.Chars();
    const std::string_view text(bytes, size);
    const UpdateWire::ReplyHead head = UpdateWire::ParseReplyHead(text);
    if (head.complete) {
        Fuzz::Check(head.bodyOffset >= 4 && head.bodyOffset <= size);
        Fuzz::Check(text.substr(head.bodyOffset - 4, 4) == "\r\n\r\n");
    }
    if (head.valid) {
        Fuzz::Check(head.complete && head.status >= 100 && head.status <= 999);
        if (head.hasRange)
            Fuzz::Check(head.first <= head.last && head.last < head.total);
    }
    unsigned int version = 0;
    if (UpdateWire::ParseVersionText(text, version))
        Fuzz::Check(version <= 999999999u && size > 0 && text[0] >= '0' && text[0] <= '9');
    return 0;
}
