#pragma once
// SASL for the login: PLAIN and DIGEST-MD5 (RFC 2831, qop "auth"), the
// parsed DIGEST-MD5 challenge, and the SHA-1 digest of the older
// "jabber:iq:auth" login. The mechanisms see only the credentials, never the
// account, so they can be checked against known answers on their own.

#include "CYolString.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What a mechanism needs of the account: the login name (the part before the
// at sign), the server domain and the password, or, when only a hash is
// stored, the 16-byte MD5 of "login:realm:password".
struct SaslCredentials {
    CYolString login;
    CYolString domain;
    CYolString password;
    bool passwordHashed = false;
    unsigned char passwordHash[16] = {};
};

// One mechanism for one login attempt; the account owns it and drops it at
// disconnect. Texts are the Base64 contents of the SASL elements; an empty
// text stands for an empty element.
class SaslMechanism {
public:
    explicit SaslMechanism(const char* name, const SaslCredentials& credentials)
        : name_(name), credentials_(credentials) {}
    virtual ~SaslMechanism() = default;
    SaslMechanism(const SaslMechanism&) = delete;
    SaslMechanism& operator=(const SaslMechanism&) = delete;

    // "PLAIN" or "DIGEST-MD5": the "mechanism" attribute of "auth".
    const char* Name() const { return name_; }

    // The text of the "auth" element.
    virtual std::string InitialResponse() = 0;
    // The answer to a "challenge" element's text, put into `response`. False
    // when the challenge cannot be read or shows that the server does not
    // know the password: the login then fails as on a SASL "failure".
    virtual bool ChallengeResponse(const CYolString& challenge, std::string& response) = 0;
    // Whether the server's "success" (with its text, the optional additional
    // data) may end the exchange. False fails the login as a "failure" does.
    virtual bool AcceptSuccess(const CYolString& additionalData) = 0;
    // A success has been accepted: the stream after it may bind.
    bool Completed() const { return completed_; }

protected:
    const char* name_;
    SaslCredentials credentials_;
    bool completed_ = false;
};

class SaslPlain : public SaslMechanism {
public:
    explicit SaslPlain(const SaslCredentials& credentials) : SaslMechanism("PLAIN", credentials) {}

    // Base64 of "login@domain" NUL "login" NUL "password", in UTF-8.
    std::string InitialResponse() override;
    bool ChallengeResponse(const CYolString& challenge, std::string& response) override;
    bool AcceptSuccess(const CYolString& additionalData) override;
};

class SaslDigestMd5 : public SaslMechanism {
public:
    // `cnonce` is the client nonce to use; empty picks a fresh unpredictable
    // one (tests pass their own to check known answers).
    explicit SaslDigestMd5(const SaslCredentials& credentials, std::string cnonce = {});

    std::string InitialResponse() override;
    // The first challenge gets the digest response; the second must carry
    // the "rspauth" that proves the server knows the password too, and is
    // answered with an empty response; later ones get empty responses.
    bool ChallengeResponse(const CYolString& challenge, std::string& response) override;
    // A server may send "rspauth" with its success instead of a second
    // challenge; without it, and without an earlier proof, the success is
    // refused.
    bool AcceptSuccess(const CYolString& additionalData) override;

    int Step() const { return step_; }
    bool ServerVerified() const { return serverVerified_; }
    const std::string& Cnonce() const { return cnonce_; }

    // 32 lower-case hexadecimal digits from the kernel's generator.
    static std::string MakeCnonce();
    // The hexadecimal "response" (forClient) or "rspauth" value for the
    // given challenge values, credentials and client nonce.
    static std::string ComputeDigest(const SaslCredentials& credentials, std::string_view realm,
                                     std::string_view nonce, std::string_view cnonce, bool forClient);

private:
    bool VerifyRspauth(const std::string& decodedText);

    std::string cnonce_;
    int step_ = 0;
    bool serverVerified_ = false;
    // The realm and nonce of the first challenge: the server's proof is
    // computed from the same values.
    std::string realm_;
    std::string nonce_;
};

// A DIGEST-MD5 challenge as key/value pairs (RFC 2831: key = token or
// quoted-string, separated by commas). The input is the server's; parsing
// never reads past it and holds at most MaxPairs pairs, ignoring the rest.
class DigestChallenge {
public:
    static constexpr int MaxPairs = 100;

    // Replaces any earlier content. Stops at the first construct that is not
    // a pair (text with no "=", an unterminated quoted string); the pairs
    // read up to there are kept.
    void Parse(std::string_view text);
    // The first value of the key (compared case-sensitively), or the empty
    // text.
    const std::string& Get(std::string_view key) const;
    int Count() const { return static_cast<int>(pairs_.size()); }

private:
    std::vector<std::pair<std::string, std::string>> pairs_;
};

// 40 lower-case hexadecimal digits: the SHA-1 of the bytes.
std::string LegacyDigest(std::string_view text);
