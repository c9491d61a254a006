#include "JabberSasl.h"

#include "CMD5.h"
#include "CSHA1.h"
#include "CYolRand.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};

std::string Hex(const unsigned char* data, size_t length) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(length * 2);
    for (size_t i = 0; i < length; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 0x0f];
    }
    return out;
}

std::string Md5Hex(std::string_view text) {
    unsigned char digest[CMD5::DigestLength];
    CMD5::Hash(text.data(), static_cast<unsigned int>(text.size()), digest);
    return Hex(digest, sizeof digest);
}

std::string Base64(const std::string& bytes) {
    int length = static_cast<int>(bytes.size());
    std::unique_ptr<char, FreeDeleter> encoded(CYolString::Base64Encode(bytes.data(), length));
    return encoded ? std::string(encoded.get(), static_cast<size_t>(length)) : std::string();
}

// False when the text is not Base64; empty text decodes to nothing.
bool DecodeBase64(const CYolString& text, std::string& out) {
    out.clear();
    if (text.IsEmpty())
        return true;
    int length = 0;
    std::unique_ptr<char, FreeDeleter> decoded(CYolString::Base64Decode(text.c_str(), length));
    if (!decoded)
        return false;
    out.assign(decoded.get(), static_cast<size_t>(length));
    return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A value inside double quotes, with the quoted-pair escapes RFC 2831 asks
// for, so a login or realm holding a quote cannot add fields of its own.
std::string Quoted(std::string_view value) {
    std::string out = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y)
            return false;
    }
    return true;
}

}  // namespace

// ---- PLAIN ----

std::string SaslPlain::InitialResponse() {
    std::string login = credentials_.login.ToUtf8();
    std::string text = login + "@" + credentials_.domain.ToUtf8();
    text += '\0';
    text += login;
    text += '\0';
    text += credentials_.password.ToUtf8();
    return Base64(text);
}

bool SaslPlain::ChallengeResponse(const CYolString&, std::string& response) {
    response.clear();
    return true;
}

bool SaslPlain::AcceptSuccess(const CYolString&) {
    completed_ = true;
    return true;
}

// ---- DIGEST-MD5 ----

SaslDigestMd5::SaslDigestMd5(const SaslCredentials& credentials, std::string cnonce)
    : SaslMechanism("DIGEST-MD5", credentials), cnonce_(cnonce.empty() ? MakeCnonce() : std::move(cnonce)) {}

std::string SaslDigestMd5::MakeCnonce() {
    unsigned char bytes[16];
    CYolRand::Secure(bytes, sizeof bytes);
    return Hex(bytes, sizeof bytes);
}

std::string SaslDigestMd5::ComputeDigest(const SaslCredentials& credentials, std::string_view realm,
                                         std::string_view nonce, std::string_view cnonce, bool forClient) {
    unsigned char h[CMD5::DigestLength];
    if (credentials.passwordHashed) {
        std::copy(std::begin(credentials.passwordHash), std::end(credentials.passwordHash), h);
    } else {
        std::string secret = credentials.login.ToUtf8();
        secret += ':';
        secret += realm;
        secret += ':';
        secret += credentials.password.ToUtf8();
        CMD5::Hash(secret.data(), static_cast<unsigned int>(secret.size()), h);
    }
    std::string a1(reinterpret_cast<const char*>(h), sizeof h);
    a1 += ':';
    a1 += nonce;
    a1 += ':';
    a1 += cnonce;
    // The client proves itself with "AUTHENTICATE:uri"; the server answers
    // with the same digest over ":uri".
    std::string a2 = forClient ? "AUTHENTICATE:" : ":";
    a2 += "xmpp/" + credentials.domain.ToUtf8();

    std::string kd = Md5Hex(a1);
    kd += ':';
    kd += nonce;
    kd += ":00000001:";
    kd += cnonce;
    kd += ":auth:";
    kd += Md5Hex(a2);
    return Md5Hex(kd);
}

std::string SaslDigestMd5::InitialResponse() { return {}; }

bool SaslDigestMd5::ChallengeResponse(const CYolString& challenge, std::string& response) {
    response.clear();
    int step = step_++;
    std::string decoded;
    if (step >= 2)
        return true;
    if (!DecodeBase64(challenge, decoded))
        return false;
    if (step == 1)
        return VerifyRspauth(decoded);

    DigestChallenge parsed;
    parsed.Parse(decoded);
    if (parsed.Get("nonce").empty())
        return false;
    realm_ = parsed.Get("realm");
    nonce_ = parsed.Get("nonce");

    std::string domain = credentials_.domain.ToUtf8();
    std::string text = "username=" + Quoted(credentials_.login.ToUtf8());
    text += ",realm=" + Quoted(realm_);
    text += ",nonce=" + Quoted(nonce_);
    text += ",cnonce=" + Quoted(cnonce_);
    text += ",nc=00000001,qop=auth";
    text += ",digest-uri=" + Quoted("xmpp/" + domain);
    text += ",charset=utf-8,response=";
    text += ComputeDigest(credentials_, realm_, nonce_, cnonce_, true);
    response = Base64(text);
    return true;
}

bool SaslDigestMd5::VerifyRspauth(const std::string& decodedText) {
    if (step_ == 0 || nonce_.empty())
        return false;
    DigestChallenge parsed;
    parsed.Parse(decodedText);
    const std::string& rspauth = parsed.Get("rspauth");
    serverVerified_ = !rspauth.empty() &&
                      EqualsIgnoringCase(rspauth, ComputeDigest(credentials_, realm_, nonce_, cnonce_, false));
    return serverVerified_;
}

bool SaslDigestMd5::AcceptSuccess(const CYolString& additionalData) {
    std::string decoded;
    if (!serverVerified_ && !additionalData.IsEmpty() && DecodeBase64(additionalData, decoded))
        VerifyRspauth(decoded);
    completed_ = serverVerified_;
    return completed_;
}

// ---- DigestChallenge ----

void DigestChallenge::Parse(std::string_view text) {
    pairs_.clear();
    size_t pos = 0;
    const size_t end = text.size();
    for (;;) {
        while (pos < end && (IsBlank(text[pos]) || text[pos] == ','))
            ++pos;
        size_t eq = text.find('=', pos);
        if (pos >= end || eq == std::string_view::npos)
            return;
        size_t keyEnd = eq;
        while (keyEnd > pos && IsBlank(text[keyEnd - 1]))
            --keyEnd;
        std::string_view key = text.substr(pos, keyEnd - pos);

        pos = eq + 1;
        while (pos < end && IsBlank(text[pos]))
            ++pos;
        std::string value;
        if (pos < end && text[pos] == '"') {
            bool closed = false;
            for (++pos; pos < end; ++pos) {
                char c = text[pos];
                if (c == '"') {
                    closed = true;
                    ++pos;
                    break;
                }
                if (c == '\\' && pos + 1 < end)
                    c = text[++pos];
                value += c;
            }
            if (!closed)
                return;
        } else {
            size_t start = pos;
            while (pos < end && text[pos] != ',' && !IsBlank(text[pos]))
                ++pos;
            value.assign(text.substr(start, pos - start));
        }
        if (!key.empty() && pairs_.size() < static_cast<size_t>(MaxPairs))
            pairs_.emplace_back(std::string(key), std::move(value));
    }
}

const std::string& DigestChallenge::Get(std::string_view key) const {
    static const std::string empty;
    for (const auto& pair : pairs_)
        if (pair.first == key)
            return pair.second;
    return empty;
}

// ---- jabber:iq:auth ----

std::string LegacyDigest(std::string_view text) {
    unsigned char digest[CSHA1::DigestLength];
    CSHA1::Hash(text.data(), static_cast<unsigned int>(text.size()), digest);
    return Hex(digest, sizeof digest);
}
