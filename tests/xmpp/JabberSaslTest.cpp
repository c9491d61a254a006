// SASL mechanisms of the login, checked against answers computed outside this
// code (Python's hashlib, by hand, once) and written here as hex.

#include "JabberSasl.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

std::string Encode(std::string_view bytes) {
    int length = static_cast<int>(bytes.size());
    char* encoded = CYolString::Base64Encode(bytes.data(), length);
    std::string out(encoded, static_cast<size_t>(length));
    std::free(encoded);
    return out;
}

std::string Decode(const std::string& text) {
    int length = 0;
    char* decoded = CYolString::Base64Decode(text.c_str(), length);
    std::string out = decoded ? std::string(decoded, static_cast<size_t>(length)) : std::string("<not base64>");
    std::free(decoded);
    return out;
}

CYolString Wide(std::string_view utf8) { return CYolString::FromUtf8(utf8); }

SaslCredentials Juliet() {
    SaslCredentials c;
    c.login = Wide("juliet");
    c.domain = Wide("capulet.example");
    c.password = Wide("r0m30myr0m30");
    return c;
}

const char* const kCnonce = "OA6MHXh6VqTrRk";
const char* const kFirstChallenge =
    "realm=\"capulet.example\",nonce=\"OA6MG9tEQGm2hh\",qop=\"auth\",charset=utf-8,algorithm=md5-sess";

// Runs the first challenge and answers the decoded response text.
std::string FirstResponse(SaslDigestMd5& sasl, std::string_view challenge) {
    std::string response;
    EXPECT_TRUE(sasl.ChallengeResponse(Wide(Encode(challenge)), response));
    return Decode(response);
}

}  // namespace

TEST(JabberSaslPlain, InitialResponseIsBase64OfThreeNulSeparatedFields) {
    SaslPlain plain(Juliet());
    EXPECT_STREQ("PLAIN", plain.Name());
    EXPECT_EQ("anVsaWV0QGNhcHVsZXQuZXhhbXBsZQBqdWxpZXQAcjBtMzBteXIwbTMw", plain.InitialResponse());

    SaslCredentials cyrillic;
    cyrillic.login = Wide("иван");
    cyrillic.domain = Wide("example.org");
    cyrillic.password = Wide("пароль");
    EXPECT_EQ("0LjQstCw0L1AZXhhbXBsZS5vcmcA0LjQstCw0L0A0L/QsNGA0L7Qu9GM", SaslPlain(cyrillic).InitialResponse());
}

TEST(JabberSaslPlain, AnswersChallengesEmptyAndTakesAnySuccess) {
    SaslPlain plain(Juliet());
    std::string response = "x";
    EXPECT_TRUE(plain.ChallengeResponse(Wide("Zm9v"), response));
    EXPECT_EQ("", response);
    EXPECT_TRUE(plain.AcceptSuccess(CYolString()));
}

TEST(JabberSaslDigestMd5, InitialResponseIsEmpty) {
    SaslDigestMd5 sasl(Juliet(), kCnonce);
    EXPECT_STREQ("DIGEST-MD5", sasl.Name());
    EXPECT_EQ("", sasl.InitialResponse());
}

TEST(JabberSaslDigestMd5, FirstChallengeGivesTheKnownResponse) {
    SaslDigestMd5 sasl(Juliet(), kCnonce);
    EXPECT_EQ(
        "username=\"juliet\",realm=\"capulet.example\",nonce=\"OA6MG9tEQGm2hh\",cnonce=\"OA6MHXh6VqTrRk\","
        "nc=00000001,qop=auth,digest-uri=\"xmpp/capulet.example\",charset=utf-8,"
        "response=8390fd0d148ad0ab33baf1eed005cf3a",
        FirstResponse(sasl, kFirstChallenge));
    EXPECT_EQ(1, sasl.Step());
}

struct DigestCase {
    const char* name;
    const char* login;
    const char* domain;
    const char* password;
    const char* storedHash;  // hex of MD5(login:realm:password), or null
    const char* challenge;
    const char* cnonce;
    const char* response;
    const char* rspauth;
};

const DigestCase kDigestCases[] = {
    {"realm given", "juliet", "capulet.example", "r0m30myr0m30", nullptr,
     "realm=\"capulet.example\",nonce=\"OA6MG9tEQGm2hh\",qop=\"auth\"", "OA6MHXh6VqTrRk",
     "8390fd0d148ad0ab33baf1eed005cf3a", "77e966ba75eb3c6e3928d312ad80bb92"},
    {"realm missing: empty realm", "juliet", "capulet.example", "r0m30myr0m30", nullptr,
     "nonce=\"OA6MG9tEQGm2hh\",qop=\"auth\",charset=utf-8,algorithm=md5-sess", "OA6MHXh6VqTrRk",
     "38ec1e37ac5a5705dba89614721b4c76", "0b73c82ab94b35db2d355617aca86673"},
    {"cyrillic credentials in UTF-8", "иван", "example.org", "пароль", nullptr,
     "qop=\"auth\", nonce = \"abc123\" ,realm=\"example.org\"", "0123456789abcdef0123456789abcdef",
     "dc80153f3f45fe54882b4c7f7ad18354", "28fc8fd5646aeffa5badd83e63f17325"},
    {"stored hash instead of the password", "иван", "example.org", "wrong password is not used",
     "e84181111f63823360f0bf6b889b3321", "realm=\"example.org\",nonce=\"abc123\"",
     "0123456789abcdef0123456789abcdef", "dc80153f3f45fe54882b4c7f7ad18354", "28fc8fd5646aeffa5badd83e63f17325"},
    {"unquoted values before the realm", "juliet", "capulet.example", "r0m30myr0m30", nullptr,
     "charset=utf-8,algorithm=md5-sess,realm=\"capulet.example\",nonce=\"OA6MG9tEQGm2hh\"", "OA6MHXh6VqTrRk",
     "8390fd0d148ad0ab33baf1eed005cf3a", "77e966ba75eb3c6e3928d312ad80bb92"},
};

TEST(JabberSaslDigestMd5, ComputesResponseAndVerifiesRspauth) {
    for (const DigestCase& c : kDigestCases) {
        SCOPED_TRACE(c.name);
        SaslCredentials credentials;
        credentials.login = Wide(c.login);
        credentials.domain = Wide(c.domain);
        credentials.password = Wide(c.password);
        if (c.storedHash) {
            credentials.passwordHashed = true;
            for (int i = 0; i < 16; ++i)
                credentials.passwordHash[i] =
                    static_cast<unsigned char>(std::stoi(std::string(c.storedHash + 2 * i, 2), nullptr, 16));
        }
        SaslDigestMd5 sasl(credentials, c.cnonce);
        std::string first = FirstResponse(sasl, c.challenge);
        EXPECT_NE(std::string::npos, first.find(std::string(",response=") + c.response)) << first;

        std::string second = "x";
        EXPECT_TRUE(sasl.ChallengeResponse(Wide(Encode(std::string("rspauth=") + c.rspauth)), second));
        EXPECT_EQ("", second) << "the proof is answered with an empty response";
        EXPECT_TRUE(sasl.ServerVerified());
        EXPECT_TRUE(sasl.AcceptSuccess(CYolString()));
    }
}

TEST(JabberSaslDigestMd5, SecondChallengeWithoutTheRightRspauthFailsTheLogin) {
    const char* const seconds[] = {
        "rspauth=0b73c82ab94b35db2d355617aca86673",  // the proof for another realm
        "rspauth=",
        "qop=\"auth\"",
        "",
    };
    for (const char* text : seconds) {
        SCOPED_TRACE(text);
        SaslDigestMd5 sasl(Juliet(), kCnonce);
        FirstResponse(sasl, kFirstChallenge);
        std::string response;
        EXPECT_FALSE(sasl.ChallengeResponse(Wide(Encode(text)), response));
        EXPECT_FALSE(sasl.ServerVerified());
        EXPECT_FALSE(sasl.AcceptSuccess(CYolString()));
    }
}

TEST(JabberSaslDigestMd5, RspauthMayComeWithTheSuccess) {
    SaslDigestMd5 sasl(Juliet(), kCnonce);
    FirstResponse(sasl, kFirstChallenge);
    EXPECT_FALSE(sasl.AcceptSuccess(Wide(Encode("rspauth=00000000000000000000000000000000"))));
    EXPECT_TRUE(sasl.AcceptSuccess(Wide(Encode("rspauth=77E966BA75EB3C6E3928D312AD80BB92"))));
}

TEST(JabberSaslDigestMd5, SuccessBeforeAnyChallengeIsRefused) {
    SaslDigestMd5 sasl(Juliet(), kCnonce);
    EXPECT_FALSE(sasl.AcceptSuccess(Wide(Encode("rspauth=77e966ba75eb3c6e3928d312ad80bb92"))));
}

TEST(JabberSaslDigestMd5, UnreadableFirstChallengeFailsTheLogin) {
    const char* const challenges[] = {"not base64!", "cmVhbG09IngiLHFvcD0iYXV0aCI="};  // the second has no nonce
    for (const char* text : challenges) {
        SCOPED_TRACE(text);
        SaslDigestMd5 sasl(Juliet(), kCnonce);
        std::string response;
        EXPECT_FALSE(sasl.ChallengeResponse(Wide(text), response));
        EXPECT_EQ("", response);
    }
}

TEST(JabberSaslDigestMd5, QuotesInTheLoginAreEscapedInTheResponse) {
    SaslCredentials credentials = Juliet();
    credentials.login = Wide("ju\"li\\et");
    SaslDigestMd5 sasl(credentials, kCnonce);
    std::string first = FirstResponse(sasl, kFirstChallenge);
    EXPECT_EQ(0u, first.find("username=\"ju\\\"li\\\\et\",realm=")) << first;
    DigestChallenge parsed;
    parsed.Parse(first);
    EXPECT_EQ("ju\"li\\et", parsed.Get("username"));
    EXPECT_EQ("xmpp/capulet.example", parsed.Get("digest-uri"));
}

TEST(JabberSaslDigestMd5, FreshClientNoncesAreHexAndDiffer) {
    std::string a = SaslDigestMd5::MakeCnonce();
    std::string b = SaslDigestMd5::MakeCnonce();
    EXPECT_EQ(32u, a.size());
    EXPECT_EQ(std::string::npos, a.find_first_not_of("0123456789abcdef"));
    EXPECT_NE(a, b);
    EXPECT_EQ(32u, SaslDigestMd5(Juliet()).Cnonce().size());
}

struct ChallengeCase {
    const char* text;
    int count;
    const char* realm;
    const char* nonce;
    const char* charset;
};

TEST(JabberDigestChallenge, ParsesQuotedAndTokenValues) {
    const ChallengeCase cases[] = {
        {"realm=\"a\",nonce=\"b\",qop=\"auth\",charset=utf-8,algorithm=md5-sess", 5, "a", "b", "utf-8"},
        {"  realm = \"a b\" ,, nonce=\"b\"  ", 2, "a b", "b", ""},
        {"realm=\"a\\\"q\",nonce=b", 2, "a\"q", "b", ""},
        {"nonce=\"b\",realm=\"unterminated", 1, "", "b", ""},
        {"nonce=\"b\",garbage", 1, "", "b", ""},
        {"realm=\"\"", 1, "", "", ""},
        {"", 0, "", "", ""},
        {"=\"x\",nonce=\"n\"", 1, "", "n", ""},
        {"realm=\"first\",realm=\"second\"", 2, "first", "", ""},
        {"REALM=\"upper\"", 1, "", "", ""},
        {"nonce=\"ends with backslash\\", 0, "", "", ""},
    };
    for (const ChallengeCase& c : cases) {
        SCOPED_TRACE(c.text);
        DigestChallenge parsed;
        parsed.Parse(c.text);
        EXPECT_EQ(c.count, parsed.Count());
        EXPECT_EQ(c.realm, parsed.Get("realm"));
        EXPECT_EQ(c.nonce, parsed.Get("nonce"));
        EXPECT_EQ(c.charset, parsed.Get("charset"));
        EXPECT_EQ("", parsed.Get("missing"));
    }
}

TEST(JabberDigestChallenge, HoldsAtMostOneHundredPairs) {
    std::string text;
    for (int i = 0; i < 150; ++i)
        text += "k" + std::to_string(i) + "=\"v" + std::to_string(i) + "\",";
    text += "nonce=\"late\"";
    DigestChallenge parsed;
    parsed.Parse(text);
    EXPECT_EQ(DigestChallenge::MaxPairs, parsed.Count());
    EXPECT_EQ("v99", parsed.Get("k99"));
    EXPECT_EQ("", parsed.Get("k100"));
    EXPECT_EQ("", parsed.Get("nonce"));
}

TEST(JabberDigestChallenge, NeverReadsPastTheText) {
    // The view ends inside the quoted value; the bytes after it must not
    // close the quote.
    const std::string backing = "nonce=\"abc\"";
    DigestChallenge parsed;
    parsed.Parse(std::string_view(backing).substr(0, 9));
    EXPECT_EQ(0, parsed.Count());
    parsed.Parse(std::string_view(backing).substr(0, 11));
    EXPECT_EQ("abc", parsed.Get("nonce"));
}

TEST(JabberLegacyDigest, IsLowerCaseSha1OfStreamIdAndPassword) {
    EXPECT_EQ("9aed07b400f10a934e30c0d3a680d2642f1cc1f1", LegacyDigest("3EE948B0r0m30myr0m30"));
    EXPECT_EQ("2792e984aac061a5113a6e2b6c9f9e8858852fb8", LegacyDigest("3EE948B0пароль"));
    EXPECT_EQ("da39a3ee5e6b4b0d3255bfef95601890afd80709", LegacyDigest(""));
}
