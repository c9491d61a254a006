// A user-directory reply from any sender, read into found users. Beyond
// memory safety: every user read has a login.

#include "XmlStreamParser.h"
#include "XmppSearch.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
void Take(XmlNode* element, void* target) { *static_cast<XmlNode*>(target) = std::move(*element); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    XmlNode iq;
    XmlStreamParser parser;
    parser.SetCallback(2, XmlStreamParser::End, Take, &iq);
    parser.Feed("<stream:stream xmlns='jabber:client'>" + std::string(reinterpret_cast<const char*>(data), size));
    for (const Protocols::UserInfo& user : ReadSearchResults(iq))
        if (user.login.IsEmpty())
            std::abort();
    return 0;
}
