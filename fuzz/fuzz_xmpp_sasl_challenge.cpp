// The DIGEST-MD5 challenge from an untrusted server. The bytes are parsed as
// a challenge directly, and go Base64-encoded through a whole exchange: the
// first challenge, a second one holding the same bytes, and a success.
// Parsing must stay within the text and the pair cap, every value it hands
// back must come from the text, and a second challenge the server could
// only have made from the password is never accepted blindly.

#include "JabberSasl.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

CYolString EncodeWide(std::string_view bytes) {
    int length = static_cast<int>(bytes.size());
    char* encoded = CYolString::Base64Encode(bytes.data(), length);
    CYolString wide = encoded ? CYolString(encoded, length, YOL_CP_UTF8) : CYolString();
    std::free(encoded);
    return wide;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);

    DigestChallenge parsed;
    parsed.Parse(text);
    if (parsed.Count() > DigestChallenge::MaxPairs)
        std::abort();
    if (parsed.Get("nonce").size() > size || parsed.Get("realm").size() > size)
        std::abort();

    SaslCredentials credentials;
    credentials.login = CYolString::FromUtf8("juliet");
    credentials.domain = CYolString::FromUtf8("capulet.example");
    credentials.password = CYolString::FromUtf8("r0m30myr0m30");
    SaslDigestMd5 sasl(credentials, "0123456789abcdef0123456789abcdef");
    std::string response;
    CYolString challenge = EncodeWide(text);
    bool first = sasl.ChallengeResponse(challenge, response);
    if (first != !parsed.Get("nonce").empty())
        std::abort();
    if (!first)
        return 0;
    // The server's proof for this exchange is a digest over the password; a
    // random second challenge that matches it would mean a broken check.
    std::string expected = SaslDigestMd5::ComputeDigest(credentials, parsed.Get("realm"), parsed.Get("nonce"),
                                                        sasl.Cnonce(), false);
    bool second = sasl.ChallengeResponse(challenge, response);
    DigestChallenge proof;
    proof.Parse(text);
    bool holdsProof = proof.Get("rspauth").size() == expected.size() &&
                      std::equal(expected.begin(), expected.end(), proof.Get("rspauth").begin(),
                                 [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b); });
    if (second != holdsProof || !response.empty())
        std::abort();
    sasl.AcceptSuccess(challenge);
    return 0;
}
